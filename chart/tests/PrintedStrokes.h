#pragma once
// The lines a printed PDF draws, read from its first page's own drawing commands: each
// stroke with its width, dash array, colour, extent and inked length as the page states
// them, in points. What a picture of the page cannot tell apart (a hairline from a 1-point
// line at a coarse resolution, dots from a grey line) the commands do. Links zlib for the
// page's compressed content.

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct TPrintedStroke {
    double Width = 0;           // points; 0 is the thinnest line the device draws
    std::vector<double> Dashes; // on and off lengths in points; empty for a solid line
    double Red = 0, Green = 0, Blue = 0;
    double Left = 0, Top = 0, Right = 0, Bottom = 0; // the path's box on the page, points
    int Pieces = 0; // subpaths: a dotted line may be drawn as one piece per dot
    // The length the line inks along its straight segments: the dash array's gaps left
    // out, square caps (half the width at each end) counted.
    double Ink = 0;
    double Extent() const { return std::max(Right - Left, Bottom - Top); }
};

namespace PrintedStrokesDetail {

// The bytes of object number's stream, inflated when it is compressed; empty when the file
// has no such stream.
inline std::string ObjectStream(const std::string& pdf, int number) {
    const std::string head = "\n" + std::to_string(number) + " 0 obj";
    const size_t at = pdf.find(head);
    if (at == std::string::npos)
        return {};
    size_t start = pdf.find("stream", at);
    const size_t end = pdf.find("endobj", at);
    if (start == std::string::npos || start > end)
        return {};
    const bool compressed = pdf.substr(at, start - at).find("/FlateDecode") != std::string::npos;
    start += 6;
    if (pdf[start] == '\r')
        ++start;
    if (pdf[start] == '\n')
        ++start;
    const size_t stop = pdf.find("endstream", start);
    const std::string raw = pdf.substr(start, stop - start);
    if (!compressed)
        return raw;
    std::string out;
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return {};
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    z.avail_in = uInt(raw.size());
    char buffer[65536];
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? out : std::string();
}

// The graphics state the strokes need: the matrix (a b c d e f), line width, dashes and
// the stroke colour.
struct TState {
    double M[6] = {1, 0, 0, 1, 0, 0};
    double Width = 1;
    std::vector<double> Dashes;
    double Rgb[3] = {0, 0, 0};
    int Cap = 0;
};

} // namespace PrintedStrokesDetail

// Every stroke of the first page, in drawing order; empty when the file cannot be read.
inline std::vector<TPrintedStroke> ReadPrintedStrokes(const std::string& file) {
    using namespace PrintedStrokesDetail;
    std::ifstream in(file, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    const std::string pdf = all.str();
    const size_t contents = pdf.find("/Contents ");
    if (contents == std::string::npos)
        return {};
    const std::string page = ObjectStream(pdf, std::atoi(pdf.c_str() + contents + 10));

    std::vector<TPrintedStroke> strokes;
    std::vector<TState> saved;
    TState state;
    std::vector<double> operands;
    std::vector<double> array; // the last array operand
    bool inArray = false;
    double length = 0, x = 0, y = 0;
    int pieces = 0;
    double left = 0, top = 0, right = 0, bottom = 0;
    const auto extend = [&](double px, double py) {
        left = std::min(left, px);
        right = std::max(right, px);
        top = std::min(top, py);
        bottom = std::max(bottom, py);
    };
    const auto toPage = [&](double px, double py, double& ox, double& oy) {
        const double* m = state.M;
        ox = m[0] * px + m[2] * py + m[4];
        oy = m[1] * px + m[3] * py + m[5];
    };
    const auto scale = [&] {
        const double* m = state.M;
        return std::sqrt(std::fabs(m[0] * m[3] - m[1] * m[2]));
    };
    size_t i = 0;
    while (i < page.size()) {
        const char c = page[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '[') {
            inArray = true;
            array.clear();
            ++i;
        } else if (c == ']') {
            inArray = false;
            ++i;
        } else if (c == '(' || c == '<' || c == '/') {
            // Strings, dictionaries and names carry nothing a stroke needs: skip them.
            if (c == '(') {
                int depth = 0;
                for (; i < page.size(); ++i) {
                    if (page[i] == '\\')
                        ++i;
                    else if (page[i] == '(')
                        ++depth;
                    else if (page[i] == ')' && --depth == 0)
                        break;
                }
                ++i;
            } else {
                ++i;
                while (i < page.size() && !std::isspace(static_cast<unsigned char>(page[i])) &&
                       page[i] != '/' && page[i] != '[' && page[i] != '(')
                    ++i;
            }
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.' ||
                   c == '+') {
            char* end = nullptr;
            const double v = std::strtod(page.c_str() + i, &end);
            i = size_t(end - page.c_str());
            (inArray ? array : operands).push_back(v);
        } else {
            size_t j = i;
            while (j < page.size() && (std::isalpha(static_cast<unsigned char>(page[j])) ||
                                       page[j] == '*' || page[j] == '\'' || page[j] == '"'))
                ++j;
            if (j == i)
                j = i + 1;
            const std::string op = page.substr(i, j - i);
            i = j;
            const auto arg = [&](size_t k) {
                return operands.size() > k ? operands[operands.size() - 1 - k] : 0.0;
            };
            if (op == "q") {
                saved.push_back(state);
            } else if (op == "Q") {
                if (!saved.empty()) {
                    state = saved.back();
                    saved.pop_back();
                }
            } else if (op == "cm" && operands.size() >= 6) {
                const double n[6] = {arg(5), arg(4), arg(3), arg(2), arg(1), arg(0)};
                const double* m = state.M;
                const double r[6] = {
                    n[0] * m[0] + n[1] * m[2],        n[0] * m[1] + n[1] * m[3],
                    n[2] * m[0] + n[3] * m[2],        n[2] * m[1] + n[3] * m[3],
                    n[4] * m[0] + n[5] * m[2] + m[4], n[4] * m[1] + n[5] * m[3] + m[5]};
                std::copy(r, r + 6, state.M);
            } else if (op == "w") {
                state.Width = arg(0);
            } else if (op == "d") {
                state.Dashes = array;
            } else if ((op == "RG" || op == "SCN" || op == "SC") && operands.size() >= 3) {
                state.Rgb[0] = arg(2);
                state.Rgb[1] = arg(1);
                state.Rgb[2] = arg(0);
            } else if (op == "G" && !operands.empty()) {
                state.Rgb[0] = state.Rgb[1] = state.Rgb[2] = arg(0);
            } else if (op == "J") {
                state.Cap = int(arg(0));
            } else if (op == "m") {
                toPage(arg(1), arg(0), x, y);
                if (++pieces == 1) {
                    left = right = x;
                    top = bottom = y;
                }
                extend(x, y);
            } else if (op == "l") {
                double nx = 0, ny = 0;
                toPage(arg(1), arg(0), nx, ny);
                length += std::hypot(nx - x, ny - y);
                x = nx;
                y = ny;
                extend(x, y);
            } else if (op == "S" || op == "s" || op == "B" || op == "B*" || op == "b" ||
                       op == "b*") {
                TPrintedStroke stroke;
                stroke.Width = state.Width * scale();
                for (double dash : state.Dashes)
                    stroke.Dashes.push_back(dash * scale());
                stroke.Red = state.Rgb[0];
                stroke.Green = state.Rgb[1];
                stroke.Blue = state.Rgb[2];
                stroke.Left = left;
                stroke.Top = top;
                stroke.Right = right;
                stroke.Bottom = bottom;
                stroke.Pieces = pieces;
                double on = 0, period = 0;
                for (size_t k = 0; k < stroke.Dashes.size(); ++k) {
                    period += stroke.Dashes[k];
                    if (k % 2 == 0)
                        on += stroke.Dashes[k];
                }
                stroke.Ink = (period > 0 ? length * on / period : length) +
                             (state.Cap == 2 ? pieces * stroke.Width : 0);
                strokes.push_back(stroke);
                length = 0;
                pieces = 0;
            } else if (op == "f" || op == "f*" || op == "F" || op == "n") {
                length = 0;
                pieces = 0;
            }
            operands.clear();
        }
    }
    return strokes;
}
