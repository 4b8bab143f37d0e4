// The canvas' text: written at a point or in a rectangle, measured (with the fonts'
// metrics and the extents of the strings kept), laid out in lines and drawn formatted. The
// pixels of a text are set by DoTextOut, with the other primitives in Canvas.cpp.

#include "framework/gui/Canvas.h"

#include <QFontMetrics>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

std::string RemoveBreaks(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (char c : s)
        if (c != '\r' && c != '\n')
            r += c;
    return r;
}

} // namespace

void TCanvas::TextOut(int x, int y, std::string_view text) {
    Changing();
    RequireFont();
    RequireBrush();
    DoTextOut(TPoint(x, y), FTextFlags, nullptr, text);
    if (!(FTextAlign & TA_UPDATECP))
        FPenPos = TPoint(x + TextWidth(text), y);
    Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, std::string_view text) {
    Changing();
    RequireFont();
    RequireBrush();
    unsigned options = ETO_CLIPPED | FTextFlags;
    if (FBrush->Style() != bsClear)
        options |= ETO_OPAQUE;
    DoTextOut(TPoint(x, y), options, &r, text);
    Changed();
}

TSize TCanvas::TextExtent(std::string_view text) {
    RequireFont();
    return DoTextExtent(text);
}

namespace {

// Text measuring for layout asks for the same few strings in the same few fonts over and
// over (labels, list items, grid cells at every paint): the metrics of a font and the
// extent of a string in it are kept, keyed by what makes the font's size and shape.
std::string FontKey(const TFont& font) {
    std::string key = font.Name();
    key += '\x1f';
    key += std::to_string(font.Height());
    key += '\x1f';
    key += std::to_string(font.Style().ToInt());
    key += '\x1f';
    key += std::to_string(int(font.Pitch()));
    return key;
}

const QFontMetrics& CachedMetrics(const TFont& font, std::string* keyOut = nullptr) {
    static std::unordered_map<std::string, QFontMetrics> metrics;
    std::string key = FontKey(font);
    auto it = metrics.find(key);
    // Never emptied: callers hold the metrics while measuring, and a program uses few fonts.
    if (it == metrics.end())
        it = metrics.emplace(key, QFontMetrics(font.ToQFont(1.0))).first;
    if (keyOut)
        *keyOut = std::move(key);
    return it->second;
}

// The extent kept under key (the font's key, then the text), measured once by measure;
// the table is emptied when it grows past its bound.
template <class TMeasure>
TSize KeptExtent(std::unordered_map<std::string, TSize>& extents, std::string key,
                 std::string_view text, const TMeasure& measure) {
    key += '\0';
    key += text;
    if (auto it = extents.find(key); it != extents.end())
        return it->second;
    if (extents.size() > 50000)
        extents.clear();
    const TSize size = measure();
    extents.emplace(std::move(key), size);
    return size;
}

TSize CachedTextExtent(const TFont& font, std::string_view text) {
    static std::unordered_map<std::string, TSize> extents;
    std::string key;
    const QFontMetrics& fm = CachedMetrics(font, &key);
    return KeptExtent(extents, std::move(key), text, [&] {
        return TSize(fm.horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size()))),
                     fm.height());
    });
}

// Under a scaling map (a page drawn in screen units) the text is drawn with the font
// scaled to the device's pixels, whose glyph widths do not follow the font's size exactly:
// measured as it is drawn, back in logical units, the width rounded up so that what is laid
// out beside it never covers it. A printed chart measures each label again for every step
// it tries, so the extents are kept too, per font, scale and text; the scaled fonts'
// metrics are few per print but new for each page size, hence their bound.
TSize CachedScaledTextExtent(const TFont& font, double sx, double sy, std::string_view text) {
    static std::unordered_map<std::string, QFontMetrics> metrics;
    static std::unordered_map<std::string, TSize> extents;
    const auto appendScale = [](std::string& key, double scale) {
        char bytes[sizeof scale];
        std::memcpy(bytes, &scale, sizeof scale);
        key += '\x1f';
        key.append(bytes, sizeof bytes);
    };
    std::string fontKey = FontKey(font);
    appendScale(fontKey, sy);
    std::string key = fontKey;
    appendScale(key, sx);
    return KeptExtent(extents, std::move(key), text, [&] {
        auto fm = metrics.find(fontKey);
        if (fm == metrics.end()) {
            if (metrics.size() > 64)
                metrics.clear();
            fm = metrics.emplace(fontKey, QFontMetrics(font.ToQFont(sy))).first;
        }
        const int width =
            fm->second.horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size())));
        return TSize(int(std::ceil(width / sx - 1e-9)), int(std::lround(fm->second.height() / sy)));
    });
}

} // namespace

TSize TCanvas::DoTextExtent(std::string_view text) {
    const double sx = std::fabs(ScaleX());
    const double sy = std::fabs(ScaleY());
    if ((sx == 1.0 && sy == 1.0) || sx <= 0 || sy <= 0)
        return CachedTextExtent(*FFont, text);
    return CachedScaledTextExtent(*FFont, sx, sy, text);
}

// ---------------------------------------------------------------------------
// Formatted text

std::vector<std::string> TCanvas::LayoutLines(std::string_view text, int width, unsigned flags,
                                              std::vector<int>* underlines) {
    // Prefix characters: "&x" underlines x, "&&" is one "&".
    std::string plain;
    int underline = -1;
    if (!(flags & DT_NOPREFIX)) {
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '&' && i + 1 < text.size()) {
                ++i;
                if (text[i] != '&' && underline < 0 && !(flags & DT_HIDEPREFIX))
                    underline = int(plain.size());
            }
            plain += text[i];
        }
    } else {
        plain = std::string(text);
    }
    const QFontMetrics& fm = CachedMetrics(*FFont);
    auto measure = [&](const std::string& s) {
        return fm.horizontalAdvance(QString::fromUtf8(s.data(), qsizetype(s.size())));
    };
    if (flags & DT_EXPANDTABS) {
        int tab = std::max(1, fm.averageCharWidth() * 8);
        int space = std::max(1, fm.horizontalAdvance(' '));
        std::string out;
        for (char c : plain) {
            if (c == '\t') {
                size_t lineStart = out.find_last_of("\r\n");
                std::string line = lineStart == std::string::npos ? out : out.substr(lineStart + 1);
                int w = measure(line);
                int next = (w / tab + 1) * tab;
                int spaces = std::max(1, (next - w + space - 1) / space);
                out.append(size_t(spaces), ' ');
            } else {
                out += c;
            }
        }
        plain = out;
    }
    std::vector<std::string> paragraphs;
    if (flags & DT_SINGLELINE) {
        paragraphs.push_back(RemoveBreaks(plain));
    } else {
        std::string cur;
        for (size_t i = 0; i < plain.size(); ++i) {
            char c = plain[i];
            if (c == '\r' || c == '\n') {
                paragraphs.push_back(cur);
                cur.clear();
                if (c == '\r' && i + 1 < plain.size() && plain[i + 1] == '\n')
                    ++i;
            } else {
                cur += c;
            }
        }
        paragraphs.push_back(cur);
    }
    std::vector<std::string> lines;
    int underlineLine = -1, underlineCol = -1, consumed = 0;
    for (const std::string& para : paragraphs) {
        if (!(flags & DT_WORDBREAK) || (flags & DT_SINGLELINE) || measure(para) <= width) {
            if (underline >= consumed && underline < consumed + int(para.size())) {
                underlineLine = int(lines.size());
                underlineCol = underline - consumed;
            }
            lines.push_back(para);
            consumed += int(para.size()) + 1;
            continue;
        }
        // Word wrap: break after blanks; a word wider than the line stays whole.
        size_t pos = 0;
        while (pos < para.size() || pos == 0) {
            size_t lineEnd = pos, best = std::string::npos;
            while (lineEnd < para.size()) {
                size_t wordEnd = para.find(' ', lineEnd);
                if (wordEnd == std::string::npos)
                    wordEnd = para.size();
                if (measure(para.substr(pos, wordEnd - pos)) > width && best != std::string::npos)
                    break;
                best = wordEnd;
                lineEnd = wordEnd < para.size() ? wordEnd + 1 : wordEnd;
            }
            if (best == std::string::npos)
                best = para.size();
            std::string line = para.substr(pos, best - pos);
            if (underline >= consumed + int(pos) && underline < consumed + int(best)) {
                underlineLine = int(lines.size());
                underlineCol = underline - consumed - int(pos);
            }
            lines.push_back(line);
            pos = best;
            while (pos < para.size() && para[pos] == ' ')
                ++pos;
            if (pos >= para.size())
                break;
        }
        consumed += int(para.size()) + 1;
    }
    if (underlines) {
        underlines->assign(lines.size(), -1);
        if (underlineLine >= 0)
            (*underlines)[size_t(underlineLine)] = underlineCol;
    }
    return lines;
}

int TCanvas::DrawText(std::string_view text, TRect& r, unsigned flags) {
    Handle();
    const QFontMetrics& fm = CachedMetrics(*FFont);
    int lineHeight = fm.height() + ((flags & DT_EXTERNALLEADING) ? fm.leading() : 0);
    std::vector<int> underlines;
    std::vector<std::string> lines = LayoutLines(text, r.Width(), flags, &underlines);
    auto measure = [&](const std::string& s) {
        return fm.horizontalAdvance(QString::fromUtf8(s.data(), qsizetype(s.size())));
    };
    if (flags & DT_END_ELLIPSIS) {
        for (std::string& line : lines) {
            if (measure(line) <= r.Width())
                continue;
            QString q = QString::fromStdString(line);
            while (!q.isEmpty() && fm.horizontalAdvance(q + "...") > r.Width())
                q.chop(1);
            line = (q + "...").toStdString();
        }
    }
    int height = int(lines.size()) * lineHeight;
    if (flags & DT_CALCRECT) {
        int widest = 0;
        for (const std::string& line : lines)
            widest = std::max(widest, measure(line));
        if (lines.size() <= 1 || !(flags & DT_WORDBREAK))
            r.Right = r.Left + widest;
        else
            r.Right = r.Left + std::max(r.Width(), widest);
        r.Bottom = r.Top + height;
        return height;
    }
    int y = r.Top;
    if (flags & DT_SINGLELINE) {
        if (flags & DT_VCENTER)
            y = r.Top + (r.Height() - lineHeight) / 2;
        else if (flags & DT_BOTTOM)
            y = r.Bottom - lineHeight;
    }
    Changing();
    unsigned savedAlign = FTextAlign;
    FTextAlign = TA_LEFT | TA_TOP;
    unsigned options = (flags & DT_NOCLIP) ? 0 : ETO_CLIPPED;
    if (flags & DT_RTLREADING)
        options |= ETO_RTLREADING;
    for (size_t i = 0; i < lines.size(); ++i, y += lineHeight) {
        const std::string& line = lines[i];
        int w = measure(line);
        int x = r.Left;
        if (flags & DT_CENTER)
            x = r.Left + (r.Width() - w) / 2;
        else if (flags & DT_RIGHT)
            x = r.Right - w;
        if (!line.empty())
            DoTextOut(TPoint(x, y), options, (options & ETO_CLIPPED) ? &r : nullptr, line);
        if (underlines[i] >= 0 && underlines[i] < int(line.size())) {
            int ux = x + measure(line.substr(0, size_t(underlines[i])));
            size_t len = 1;
            while (underlines[i] + int(len) < int(line.size()) &&
                   (uint8_t(line[size_t(underlines[i]) + len]) & 0xC0) == 0x80)
                ++len;
            int uw = measure(line.substr(size_t(underlines[i]), len));
            int uy = y + fm.ascent() + 1;
            TRect ul(ux, uy, ux + uw, uy + 1);
            TRect clipped;
            if ((options & ETO_CLIPPED) ? IntersectRect(clipped, ul, r) : !(clipped = ul).IsEmpty())
                DoFillRect(clipped, FTextColor);
        }
    }
    FTextAlign = savedAlign;
    Changed();
    if (flags & (DT_VCENTER | DT_BOTTOM))
        return y - r.Top;
    return height;
}
// ---------------------------------------------------------------------------
// Free functions

int DrawText(TCanvas* canvas, std::string_view text, TRect& r, unsigned flags) {
    return canvas ? canvas->DrawText(text, r, flags) : 0;
}
