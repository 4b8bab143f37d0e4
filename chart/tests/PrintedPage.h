#pragma once
// What a printed PDF shows, read back with the PDF tools of the system (poppler's pdftotext
// and pdftoppm): the words of the first page with their boxes in points, and the page as a
// picture. Used by the tests that compare paper with screen.

#include "framework/gui/Bitmaps.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct TPrintedWord {
    std::string Text;
    double Left = 0, Top = 0, Right = 0, Bottom = 0; // points from the page's top left
};

struct TPrintedPage {
    double Width = 0, Height = 0; // points
    std::vector<TPrintedWord> Words;

    // The words in page order as one text, separated by single spaces.
    std::string Text() const {
        std::string all;
        for (const TPrintedWord& w : Words)
            all += (all.empty() ? "" : " ") + w.Text;
        return all;
    }
    // How many words read exactly text.
    int Count(const std::string& text) const {
        int n = 0;
        for (const TPrintedWord& w : Words)
            n += w.Text == text;
        return n;
    }
    // The box of the first run of consecutive words that reads phrase (words separated by
    // single spaces); false when the page has no such run.
    bool Find(const std::string& phrase, TPrintedWord& box) const {
        std::vector<std::string> parts;
        std::istringstream in(phrase);
        for (std::string part; in >> part;)
            parts.push_back(part);
        if (parts.empty())
            return false;
        for (size_t i = 0; i + parts.size() <= Words.size(); ++i) {
            bool match = true;
            for (size_t k = 0; match && k < parts.size(); ++k)
                match = Words[i + k].Text == parts[k];
            if (!match)
                continue;
            box = Words[i];
            box.Text = phrase;
            for (size_t k = 1; k < parts.size(); ++k) {
                const TPrintedWord& w = Words[i + k];
                box.Left = std::min(box.Left, w.Left);
                box.Top = std::min(box.Top, w.Top);
                box.Right = std::max(box.Right, w.Right);
                box.Bottom = std::max(box.Bottom, w.Bottom);
            }
            return true;
        }
        return false;
    }
};

inline bool PdfToolsInstalled() {
    return std::system("command -v pdftotext >/dev/null 2>&1 && "
                       "command -v pdftoppm >/dev/null 2>&1") == 0;
}

namespace PrintedPageDetail {

inline double Attribute(const std::string& tag, const std::string& name) {
    const std::string key = " " + name + "=\"";
    const size_t at = tag.find(key);
    if (at == std::string::npos)
        return 0;
    return std::strtod(tag.c_str() + at + key.size(), nullptr);
}

inline std::string Unescape(std::string s) {
    static const std::pair<const char*, const char*> kEntities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, text] : kEntities)
        for (size_t at = s.find(entity); at != std::string::npos; at = s.find(entity, at + 1))
            s.replace(at, std::string(entity).size(), text);
    return s;
}

} // namespace PrintedPageDetail

// The first page's size and words (pdftotext -bbox); an empty page when it cannot be read.
inline TPrintedPage ReadPrintedPage(const std::string& pdf) {
    using namespace PrintedPageDetail;
    TPrintedPage page;
    const std::string html = pdf + ".words.html";
    const std::string command =
        "pdftotext -f 1 -l 1 -bbox '" + pdf + "' '" + html + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return page;
    std::ifstream in(html);
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    size_t at = text.find("<page ");
    if (at == std::string::npos)
        return page;
    const std::string pageTag = text.substr(at, text.find('>', at) - at);
    page.Width = Attribute(pageTag, "width");
    page.Height = Attribute(pageTag, "height");
    for (at = text.find("<word ", at); at != std::string::npos; at = text.find("<word ", at)) {
        const size_t close = text.find('>', at);
        const size_t end = text.find("</word>", close);
        if (close == std::string::npos || end == std::string::npos)
            break;
        const std::string tag = text.substr(at, close - at);
        TPrintedWord word;
        word.Left = Attribute(tag, "xMin");
        word.Top = Attribute(tag, "yMin");
        word.Right = Attribute(tag, "xMax");
        word.Bottom = Attribute(tag, "yMax");
        word.Text = Unescape(text.substr(close + 1, end - close - 1));
        page.Words.push_back(word);
        at = end;
    }
    std::remove(html.c_str());
    return page;
}

// The first page as a picture of dpi pixels per inch (pdftoppm); empty when it cannot be
// made. Drawn without smoothing, crisp as the screen draws.
inline void RenderPrintedPage(const std::string& pdf, int dpi, TBitmap& picture,
                              const std::string& png = "") {
    const std::string base = png.empty() ? pdf + ".page" : png.substr(0, png.size() - 4);
    const std::string command = "pdftoppm -f 1 -l 1 -singlefile -aa no -aaVector no -png -r " +
                                std::to_string(dpi) + " '" + pdf + "' '" + base +
                                "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return;
    picture.LoadFromFile(base + ".png");
    if (png.empty())
        std::remove((base + ".png").c_str());
}

// How many dark pixels (every channel below 96) the picture of the page, made at dpi, has
// inside the word's box: text that was clipped away leaves its word in the PDF's text but
// no ink on the page.
inline int InkIn(TBitmap& picture, const TPrintedWord& word, int dpi) {
    const double scale = dpi / 72.0;
    int ink = 0;
    for (int y = int(word.Top * scale); y < int(word.Bottom * scale + 0.5); ++y)
        for (int x = int(word.Left * scale); x < int(word.Right * scale + 0.5); ++x) {
            if (x < 0 || y < 0 || x >= picture.Width() || y >= picture.Height())
                continue;
            const TColor c = picture.Canvas()->Pixels(x, y);
            ink += GetRValue(c) < 96 && GetGValue(c) < 96 && GetBValue(c) < 96;
        }
    return ink;
}
