#include "app/Icons.h"

#include "framework/gui/Bitmaps.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

namespace {

// The transparent colour of the cells; no rendering of a drawing colour gives it.
constexpr TColor kMask = clFuchsia;

constexpr TColor kInk = RGB(40, 44, 56);
constexpr TColor kWhite = RGB(250, 250, 250);
constexpr TColor kSilver = RGB(200, 204, 210);
constexpr TColor kGray = RGB(130, 134, 142);
constexpr TColor kBlue = RGB(52, 104, 186);
constexpr TColor kLightBlue = RGB(150, 190, 235);
constexpr TColor kGreen = RGB(60, 150, 70);
constexpr TColor kYellow = RGB(245, 205, 60);
constexpr TColor kOrange = RGB(230, 130, 40);
constexpr TColor kRed = RGB(205, 55, 45);
constexpr TColor kBrown = RGB(150, 100, 50);

using TPt = std::pair<double, double>;

// Draws in design units (a 22 x 20 or 32 x 32 grid) scaled and shifted into the cell:
// shapes are outlined in ink and filled flat; every colour goes through the rendering.
class TIconPainter {
public:
    TIconPainter(TCanvas* canvas, TIconStyle style, double scale, double dx = 0, double dy = 0)
        : FCanvas(canvas), FStyle(style), FScale(scale), FDx(dx), FDy(dy) {}

    int X(double v) const { return int(std::lround(v * FScale + FDx)); }
    int Y(double v) const { return int(std::lround(v * FScale + FDy)); }

    void Rect(double x1, double y1, double x2, double y2, TColor fill) {
        Outline(fill);
        FCanvas->Rectangle(X(x1), Y(y1), X(x2), Y(y2));
    }
    void Ellipse(double x1, double y1, double x2, double y2, TColor fill) {
        Outline(fill);
        FCanvas->Ellipse(X(x1), Y(y1), X(x2), Y(y2));
    }
    void Poly(std::initializer_list<TPt> points, TColor fill) {
        Outline(fill);
        FCanvas->Polygon(Points(points));
    }
    // An open line of points in a colour, width in design units (at least one pixel).
    void Lines(std::initializer_list<TPt> points, TColor color, double width = 1) {
        FCanvas->Pen()->SetColor(IconColor(color, FStyle));
        FCanvas->Pen()->SetWidth(std::max(1, int(std::lround(width * FScale))));
        FCanvas->Polyline(Points(points));
    }
    void Line(double x1, double y1, double x2, double y2, TColor color, double width = 1) {
        Lines({{x1, y1}, {x2, y2}}, color, width);
    }

private:
    void Outline(TColor fill) {
        FCanvas->Pen()->SetColor(IconColor(kInk, FStyle));
        FCanvas->Pen()->SetWidth(1);
        FCanvas->Brush()->SetStyle(bsSolid);
        FCanvas->Brush()->SetColor(IconColor(fill, FStyle));
    }
    std::vector<TPoint> Points(std::initializer_list<TPt> points) const {
        std::vector<TPoint> result;
        for (const TPt& p : points)
            result.push_back(TPoint{X(p.first), Y(p.second)});
        return result;
    }

    TCanvas* FCanvas;
    TIconStyle FStyle;
    double FScale, FDx, FDy;
};

// Tool-bar pictures on a 22 x 20 grid.
void DrawTool(TIconPainter& p, int index) {
    switch (index) {
    case 0: // copy: two pages
        p.Rect(3, 1, 13, 14, kWhite);
        p.Rect(8, 5, 18, 19, kWhite);
        p.Line(10, 9, 16, 9, kBlue);
        p.Line(10, 12, 16, 12, kBlue);
        p.Line(10, 15, 14, 15, kBlue);
        break;
    case 1: // properties: a window with two sliders
        p.Rect(2, 2, 20, 18, kWhite);
        p.Rect(2, 2, 20, 6, kBlue);
        p.Line(5, 10, 17, 10, kGray);
        p.Line(5, 14, 17, 14, kGray);
        p.Rect(7, 8, 10, 13, kYellow);
        p.Rect(12, 12, 15, 17, kYellow);
        break;
    case 2: // print: a printer with paper
        p.Rect(6, 1, 16, 8, kWhite);
        p.Rect(2, 7, 20, 15, kSilver);
        p.Rect(5, 12, 17, 19, kWhite);
        p.Rect(16, 9, 18, 11, kGreen);
        break;
    case 3: // wind generator
        p.Poly({{10, 8}, {12, 8}, {13, 19}, {9, 19}}, kSilver);
        p.Line(11, 7, 11, 1, kBlue, 2);
        p.Line(11, 7, 5, 11, kBlue, 2);
        p.Line(11, 7, 17, 11, kBlue, 2);
        p.Ellipse(9, 5, 14, 10, kWhite);
        break;
    case 4: // graph: axes, bars and a line
        p.Rect(5, 11, 8, 18, kBlue);
        p.Rect(9, 7, 12, 18, kGreen);
        p.Rect(13, 9, 16, 18, kOrange);
        p.Lines({{5, 7}, {10, 3}, {14, 5}, {19, 1}}, kRed);
        p.Lines({{3, 1}, {3, 18}, {20, 18}}, kInk);
        break;
    case 5: // large icons
        p.Rect(3, 2, 10, 9, kBlue);
        p.Rect(12, 2, 19, 9, kGreen);
        p.Rect(3, 11, 10, 18, kOrange);
        p.Rect(12, 11, 19, 18, kYellow);
        break;
    case 6: { // small icons
        const TColor colours[] = {kBlue, kGreen, kOrange};
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                p.Rect(3 + col * 6, 2 + row * 6, 8 + col * 6, 7 + row * 6,
                       colours[(row + col) % 3]);
        break;
    }
    case 7: // devices: a plug and its cord
        p.Lines({{11, 13}, {11, 16}, {15, 18}, {20, 18}}, kInk, 2);
        p.Rect(8, 2, 10, 7, kYellow);
        p.Rect(12, 2, 14, 7, kYellow);
        p.Rect(6, 6, 16, 13, kSilver);
        break;
    case 8: // list
        for (int y : {3, 9, 15}) {
            p.Rect(3, y, 6, y + 3, kBlue);
            p.Line(8, y + 1, 19, y + 1, kInk);
        }
        break;
    case 9: // open: an open folder
        p.Poly({{2, 3}, {7, 3}, {9, 5}, {17, 5}, {17, 17}, {2, 17}}, kOrange);
        p.Poly({{2, 17}, {6, 9}, {21, 9}, {17, 17}}, kYellow);
        break;
    case 10: // delete: a red cross
        p.Line(5, 4, 17, 16, kRed, 3);
        p.Line(17, 4, 5, 16, kRed, 3);
        break;
    case 11: // save: a disk
        p.Rect(3, 2, 19, 18, kBlue);
        p.Rect(6, 2, 16, 8, kWhite);
        p.Rect(7, 12, 15, 18, kSilver);
        break;
    case 12: // insert: a page and a plus
        p.Rect(3, 1, 14, 18, kWhite);
        p.Line(5, 5, 11, 5, kGray);
        p.Line(5, 8, 9, 8, kGray);
        p.Poly({{14, 7},
                {17, 7},
                {17, 11},
                {21, 11},
                {21, 14},
                {17, 14},
                {17, 18},
                {14, 18},
                {14, 14},
                {10, 14},
                {10, 11},
                {14, 11}},
               kGreen);
        break;
    case 13: // battery
        p.Rect(18, 8, 21, 13, kGray);
        p.Rect(2, 5, 19, 16, kSilver);
        p.Rect(4, 7, 12, 14, kGreen);
        p.Line(14, 10, 17, 10, kInk);
        p.Line(15, 9, 15, 12, kInk);
        break;
    case 14: // catalogue: a stack of cards
        p.Rect(7, 1, 20, 13, kWhite);
        p.Rect(5, 3, 18, 15, kWhite);
        p.Rect(2, 5, 15, 18, kLightBlue);
        p.Line(4, 9, 12, 9, kBlue);
        p.Line(4, 12, 10, 12, kBlue);
        break;
    case 15: // back: an arrow to the left
        p.Poly({{2, 10}, {10, 3}, {10, 7}, {19, 7}, {19, 13}, {10, 13}, {10, 17}}, kGreen);
        break;
    default:
        break;
    }
}

// Device pictures on a 32 x 32 grid.
void DrawDevice(TIconPainter& p, int index) {
    switch (index) {
    case 0: // fridge
        p.Rect(8, 2, 25, 31, kWhite);
        p.Line(8, 12, 24, 12, kInk);
        p.Rect(20, 5, 22, 10, kGray);
        p.Rect(20, 15, 22, 22, kGray);
        break;
    case 1: // freezer chest
        p.Rect(3, 12, 29, 29, kWhite);
        p.Rect(2, 9, 30, 13, kLightBlue);
        p.Rect(13, 15, 19, 18, kGray);
        p.Line(16, 20, 16, 27, kBlue);
        p.Line(12, 23, 20, 23, kBlue);
        break;
    case 2: // lamp
        p.Rect(12, 18, 20, 27, kSilver);
        p.Ellipse(7, 1, 25, 20, kYellow);
        p.Line(12, 22, 20, 22, kInk);
        p.Rect(14, 27, 18, 31, kGray);
        break;
    case 3: // television
        p.Line(13, 6, 8, 1, kInk);
        p.Line(19, 6, 24, 1, kInk);
        p.Rect(10, 25, 22, 29, kGray);
        p.Rect(2, 6, 30, 26, kGray);
        p.Rect(5, 9, 24, 23, kLightBlue);
        p.Ellipse(25, 10, 29, 14, kInk);
        p.Ellipse(25, 16, 29, 20, kInk);
        break;
    case 4: // water pump
        p.Rect(21, 2, 25, 10, kGray);
        p.Rect(2, 24, 30, 29, kGray);
        p.Rect(3, 10, 17, 24, kBlue);
        p.Ellipse(15, 8, 30, 23, kSilver);
        p.Ellipse(20, 13, 25, 18, kLightBlue);
        break;
    case 5: // washing machine
        p.Rect(5, 2, 28, 31, kWhite);
        p.Line(5, 8, 27, 8, kInk);
        p.Ellipse(20, 3, 25, 7, kGray);
        p.Ellipse(9, 11, 24, 26, kLightBlue);
        p.Ellipse(12, 14, 21, 23, kBlue);
        break;
    case 6: // iron
        p.Poly({{14, 13}, {16, 5}, {28, 5}, {28, 14}, {25, 14}, {25, 9}, {19, 9}, {18, 13}}, kBlue);
        p.Poly({{2, 25}, {30, 25}, {30, 16}, {21, 13}, {10, 13}}, kSilver);
        p.Line(5, 22, 28, 22, kGray);
        break;
    case 7: // radio
        p.Line(24, 10, 29, 1, kInk);
        p.Rect(2, 10, 30, 29, kBrown);
        p.Ellipse(5, 13, 17, 26, kGray);
        p.Rect(19, 14, 28, 19, kYellow);
        p.Ellipse(20, 20, 26, 26, kInk);
        break;
    case 8: // computer
        p.Rect(13, 20, 19, 25, kGray);
        p.Rect(8, 25, 24, 29, kGray);
        p.Rect(3, 3, 29, 21, kSilver);
        p.Rect(6, 6, 26, 18, kBlue);
        break;
    case 9: // water heater
        p.Rect(12, 26, 14, 31, kGray);
        p.Rect(18, 26, 20, 31, kGray);
        p.Rect(9, 4, 24, 28, kWhite);
        p.Ellipse(9, 1, 24, 8, kWhite);
        p.Rect(9, 14, 24, 18, kRed);
        break;
    case 10: // milking machine
        p.Line(12, 8, 9, 2, kInk, 2);
        p.Line(20, 8, 23, 2, kInk, 2);
        p.Poly({{6, 10}, {26, 10}, {23, 30}, {9, 30}}, kSilver);
        p.Rect(5, 7, 27, 11, kGray);
        p.Line(10, 18, 22, 18, kGray);
        break;
    case 11: // fan
        p.Rect(14, 24, 18, 29, kGray);
        p.Rect(8, 28, 24, 31, kGray);
        p.Ellipse(3, 1, 29, 26, kWhite);
        p.Ellipse(12, 3, 20, 13, kLightBlue);
        p.Ellipse(5, 12, 15, 20, kLightBlue);
        p.Ellipse(17, 12, 27, 20, kLightBlue);
        p.Ellipse(13, 10, 19, 16, kBlue);
        break;
    case 12: // cooker
        p.Rect(4, 3, 28, 31, kWhite);
        p.Rect(4, 3, 28, 9, kGray);
        p.Ellipse(7, 4, 11, 8, kWhite);
        p.Ellipse(13, 4, 17, 8, kWhite);
        p.Rect(7, 12, 25, 28, kGray);
        p.Rect(10, 15, 22, 23, kOrange);
        break;
    case 13: // coffee cup
        p.Lines({{10, 9}, {12, 6}, {10, 3}}, kGray);
        p.Lines({{16, 9}, {18, 6}, {16, 3}}, kGray);
        p.Ellipse(19, 15, 29, 24, kWhite);
        p.Ellipse(22, 18, 26, 21, kMask);
        p.Poly({{5, 12}, {23, 12}, {21, 29}, {7, 29}}, kWhite);
        p.Rect(6, 12, 23, 15, kBrown);
        break;
    case 14: // drill
        p.Line(26, 12, 31, 12, kInk, 2);
        p.Rect(21, 9, 27, 15, kGray);
        p.Poly({{8, 16}, {16, 16}, {14, 30}, {6, 30}}, kOrange);
        p.Rect(3, 7, 22, 17, kOrange);
        p.Rect(15, 17, 18, 21, kInk);
        break;
    case 15: // phone charger
        p.Lines({{7, 16}, {7, 26}, {17, 26}}, kInk, 2);
        p.Rect(5, 3, 7, 9, kGray);
        p.Rect(9, 3, 11, 9, kGray);
        p.Rect(3, 8, 13, 17, kWhite);
        p.Rect(16, 3, 28, 30, kGray);
        p.Rect(18, 6, 26, 24, kLightBlue);
        break;
    default:
        break;
    }
}

// View pictures on a 32 x 32 grid; those that are tool pictures are drawn larger.
void DrawView(TCanvas* canvas, int index) {
    const auto tool = [canvas](int toolIndex) {
        TIconPainter p(canvas, TIconStyle::Hot, 32.0 / 22.0, 0, 1.5);
        DrawTool(p, toolIndex);
    };
    TIconPainter p(canvas, TIconStyle::Hot, 1.0);
    switch (index) {
    case 0:
        tool(9);
        break;
    case 1:
        tool(4);
        break;
    case 2:
        tool(0);
        break;
    case 3:
        tool(1);
        break;
    case 4: // periods: a calendar
        p.Rect(3, 5, 30, 30, kWhite);
        p.Rect(3, 5, 30, 12, kRed);
        p.Rect(9, 2, 12, 8, kGray);
        p.Rect(21, 2, 24, 8, kGray);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 4; ++col)
                p.Rect(6 + col * 6, 14 + row * 5, 10 + col * 6, 17 + row * 5,
                       row == 1 && col == 2 ? kBlue : kSilver);
        break;
    case 5: // sunshine: the sun
        for (int i = 0; i < 8; ++i) {
            const double a = i * 3.14159265358979 / 4;
            p.Line(16 + 10 * std::cos(a), 16 + 10 * std::sin(a), 16 + 15 * std::cos(a),
                   16 + 15 * std::sin(a), kOrange, 2);
        }
        p.Ellipse(8, 8, 25, 25, kYellow);
        break;
    case 6:
        tool(13);
        break;
    case 7: // design: set square and pencil
        p.Poly({{3, 29}, {3, 5}, {27, 29}}, kLightBlue);
        p.Poly({{8, 24}, {8, 17}, {15, 24}}, kMask);
        p.Poly({{14, 25}, {26, 4}, {30, 6}, {18, 27}}, kYellow);
        p.Poly({{14, 25}, {18, 27}, {13, 30}}, kWhite);
        break;
    case 8: // devices: a large plug
        p.Lines({{16, 22}, {16, 27}, {27, 30}}, kInk, 3);
        p.Rect(11, 2, 14, 11, kYellow);
        p.Rect(18, 2, 21, 11, kYellow);
        p.Rect(8, 10, 24, 23, kSilver);
        break;
    case 9: // wind: a turbine
        p.Poly({{14, 12}, {18, 12}, {21, 31}, {11, 31}}, kWhite);
        p.Line(16, 10, 16, 1, kBlue, 3);
        p.Line(16, 10, 7, 16, kBlue, 3);
        p.Line(16, 10, 25, 16, kBlue, 3);
        p.Ellipse(13, 7, 20, 14, kSilver);
        break;
    default:
        break;
    }
}

// A cell in the mask colour, drawn on by paint, added to the list.
template <class F> void AddCell(TImageList* list, F paint) {
    TBitmap bitmap;
    bitmap.SetSize(list->Width(), list->Height());
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(kMask);
    canvas->FillRect(TRect{0, 0, list->Width(), list->Height()});
    paint(canvas);
    list->AddMasked(&bitmap, kMask);
}

} // namespace

TColor IconColor(TColor color, TIconStyle style) {
    if (color == kMask || style == TIconStyle::Hot)
        return color;
    const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    const int luma = (r * 30 + g * 59 + b * 11) / 100;
    if (style == TIconStyle::Gray) {
        const int v = color == kInk ? 64 : 110 + luma * 140 / 255;
        return RGB(v, v, v);
    }
    const int v = color == kInk ? 160 : 200 + luma * 32 / 255;
    return RGB(v, v, v);
}

void PaintToolIcon(TCanvas* canvas, int index, TIconStyle style) {
    TIconPainter p(canvas, style, 1.0);
    DrawTool(p, index);
}

void PaintDeviceIcon(TCanvas* canvas, int index, int size) {
    TIconPainter p(canvas, TIconStyle::Hot, size / 32.0);
    DrawDevice(p, index);
}

void PaintViewIcon(TCanvas* canvas, int index) {
    DrawView(canvas, index);
}

void FillToolImages(TImageList* list, int count, TIconStyle style) {
    for (int i = 0; i < count; ++i)
        AddCell(list, [i, style](TCanvas* c) { PaintToolIcon(c, i, style); });
}

void FillDeviceImages(TImageList* list) {
    for (int i = 0; i < 16; ++i)
        AddCell(list, [i, list](TCanvas* c) { PaintDeviceIcon(c, i, list->Width()); });
}

void FillViewImages(TImageList* list, int count) {
    for (int i = 0; i < count; ++i)
        AddCell(list, [i](TCanvas* c) { PaintViewIcon(c, i); });
}
