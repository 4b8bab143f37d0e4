#include "windrose/ChartShape.h"

#include "chart/ChartProcs.h"
#include "framework/core/SystemUtils.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>

namespace {

// Corner ellipse of a rounded rectangle.
constexpr int kRoundCorner = 12;
// Gap between the outline and left or right aligned text.
constexpr int kTextMargin = 4;

// A value taken as pixels: truncated, kept inside the integer range.
int TruncPixel(double value) {
    if (std::isnan(value))
        return 0;
    return int(std::clamp(std::trunc(value), double(INT_MIN / 2), double(INT_MAX / 2)));
}

int RandomBelow(int range) {
    return range > 0 ? Random(range) : 0;
}

} // namespace

const TTypeInfo* TypeInfoTChartShapeStyle() {
    static const TTypeInfo info = MakeEnumType(
        "TChartShapeStyle",
        {"chasRectangle", "chasCircle", "chasVertLine", "chasHorizLine", "chasTriangle",
         "chasInvertTriangle", "chasLine", "chasDiamond", "chasCube", "chasCross", "chasDiagCross",
         "chasStar", "chasPyramid", "chasInvertPyramid"});
    return &info;
}

const TTypeInfo* TypeInfoTChartShapeXYStyle() {
    static const TTypeInfo info =
        MakeEnumType("TChartShapeXYStyle", {"xysPixels", "xysAxis", "xysAxisOrigin"});
    return &info;
}

// ---------------------------------------------------------------------------

TChartShape::TChartShape(TComponent* owner) : TChartSeries(owner) {
    FBrush = std::make_unique<TChartBrush>(TNotifyEvent(this, &TChartShape::BrushChanged));
    FBrush->SetColor(clWhite);
    FBrush->SetStyle(bsSolid);
    FFont = NewStandardFont(TNotifyEvent(this, &TChartShape::PartChanged));
    FText = std::make_unique<TStringList>();
    FText->SetOnChange(TNotifyEvent(this, &TChartShape::PartChanged));
    FPen = std::make_unique<TChartPen>(TNotifyEvent(this, &TChartShape::PartChanged));
    TChartSeries::SetSeriesColor(FBrush->Color());
    // The two points are the shape's corners in the order given, never sorted.
    XValues()->SetOrder(loNone);
    // Point 0 is drawn whatever the axis range shows.
    SetCalcVisiblePoints(false);
    AddXY(0, 0);
    AddXY(100, 100);
}

TChartShape::~TChartShape() = default;

void TChartShape::Publish(TPublisher<TChartShape>& p) {
    using T = TChartShape;
    p.Enum("Alignment", TypeInfoTAlignment(), &T::Alignment, &T::SetAlignment).Default(taCenter);
    p.Class("Brush", TChartBrush::StaticClass(), &T::Brush, &T::SetBrush);
    p.Class("Font", TFont::StaticClass(), &T::Font, &T::SetFont)
        .Stored(std::function<bool(const TObject*)>(
            [](const TObject* o) { return !IsStandardFont(static_cast<const T*>(o)->Font()); }));
    p.Class("Pen", TChartPen::StaticClass(), &T::Pen, &T::SetPen);
    p.Bool("RoundRectangle", &T::RoundRectangle, &T::SetRoundRectangle).Default(false);
    p.Enum("Style", TypeInfoTChartShapeStyle(), &T::Style, &T::SetStyle).Default(chasCircle);
    p.Class("Text", TStrings::StaticClass(), &T::Text, &T::SetText);
    p.Bool("Transparent", &T::Transparent, &T::SetTransparent).Default(false);
    p.Enum("XYStyle", TypeInfoTChartShapeXYStyle(), &T::XYStyle, &T::SetXYStyle).Default(xysAxis);
    p.Float("X0", &T::X0, &T::SetX0);
    p.Float("Y0", &T::Y0, &T::SetY0);
    p.Float("X1", &T::X1, &T::SetX1);
    p.Float("Y1", &T::Y1, &T::SetY1);
}

void TChartShape::AssignFrom(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TChartShape*>(source)) {
        FAlignment = s->FAlignment;
        FBrush->AssignFrom(s->FBrush.get());
        FFont->AssignFrom(s->FFont.get());
        FPen->AssignFrom(s->FPen.get());
        FRoundRectangle = s->FRoundRectangle;
        FStyle = s->FStyle;
        FText->Assign(*s->FText);
        FTransparent = s->FTransparent;
        FXYStyle = s->FXYStyle;
    }
    TChartSeries::AssignFrom(source);
}

// ---- Properties

void TChartShape::SetAlignment(TAlignment value) {
    if (FAlignment == value)
        return;
    FAlignment = value;
    RepaintChart();
}

void TChartShape::SetStyle(TChartShapeStyle value) {
    if (FStyle == value)
        return;
    FStyle = value;
    RepaintChart();
}

void TChartShape::SetXYStyle(TChartShapeXYStyle value) {
    if (FXYStyle == value)
        return;
    FXYStyle = value;
    RepaintChart();
}

double TChartShape::PointValue(bool isX, int index) const {
    if (index >= Count())
        return 0;
    return isX ? XValueAt(index) : YValueAt(index);
}

void TChartShape::SetPointValue(bool isX, int index, double value) {
    if (index >= Count())
        return;
    if (isX)
        SetXValueAt(index, value);
    else
        SetYValueAt(index, value);
}

void TChartShape::SetSeriesColor(TColor value) {
    TChartSeries::SetSeriesColor(value);
    FBrush->SetColor(value);
}

void TChartShape::PartChanged(TObject*) {
    RepaintChart();
}

void TChartShape::BrushChanged(TObject*) {
    // The series colour is the brush colour (the legend and the editor show it).
    TChartSeries::SetSeriesColor(FBrush->Color());
    RepaintChart();
}

// ---- Geometry

TRect TChartShape::ShapeBounds() const {
    TRect r;
    switch (FXYStyle) {
    case xysPixels:
        r = TRect(TruncPixel(X0()), TruncPixel(Y0()), TruncPixel(X1()), TruncPixel(Y1()));
        break;
    case xysAxis:
        r = TRect(CalcXPos(0), CalcYPos(0), CalcXPos(1), CalcYPos(1));
        break;
    case xysAxisOrigin:
        r.Left = CalcXPos(0);
        r.Top = CalcYPos(0);
        r.Right = r.Left + TruncPixel(X1());
        r.Bottom = r.Top + TruncPixel(Y1());
        break;
    }
    if (r.Top == r.Bottom)
        ++r.Bottom;
    else if (r.Bottom < r.Top)
        std::swap(r.Top, r.Bottom);
    if (r.Left == r.Right)
        ++r.Right;
    else if (r.Right < r.Left)
        std::swap(r.Left, r.Right);
    return r;
}

int TChartShape::ValueIndexAt(int x, int y) {
    if (Count() != 2)
        return -1;
    if (TCustomAxisPanel* chart = ParentChart())
        chart->Canvas3D()->ScreenToSpace(x, y, StartZ());
    const TPoint p(x, y);
    const TRect r = ShapeBounds();
    const int cx = (r.Left + r.Right) / 2;
    const int cy = (r.Top + r.Bottom) / 2;
    bool hit = false;
    switch (FStyle) {
    case chasCircle:
        hit = InsideEllipse(p, r);
        break;
    case chasVertLine:
        hit = OnSegment(p, TPoint(cx, r.Top), TPoint(cx, r.Bottom));
        break;
    case chasHorizLine:
        hit = OnSegment(p, TPoint(r.Left, cy), TPoint(r.Right, cy));
        break;
    case chasLine:
        hit = OnSegment(p, TPoint(r.Left, r.Top), TPoint(r.Right, r.Bottom));
        break;
    case chasTriangle:
    case chasPyramid:
        hit = InsideTriangle(p, r.Left, r.Right, r.Bottom, r.Top);
        break;
    case chasInvertTriangle:
    case chasInvertPyramid:
        hit = InsideTriangle(p, r.Left, r.Right, r.Top, r.Bottom);
        break;
    case chasDiamond: {
        const TPoint points[4] = {{r.Left, cy}, {cx, r.Top}, {r.Right, cy}, {cx, r.Bottom}};
        hit = InsidePolygon(p, points, 3);
        break;
    }
    default:
        hit = PtInRect(r, p);
        break;
    }
    return hit ? 0 : -1;
}

void TChartShape::CalcZOrder() {
    if (UsesAxes())
        TChartSeries::CalcZOrder();
}

// ---- Drawing

void TChartShape::PrepareCanvas(TChartCanvas3D* canvas) {
    canvas->UseChartPen(FPen.get());
    if (TCustomAxisPanel* chart = ParentChart())
        chart->AdjustPenForPrinter(canvas->Pen());
    if (FTransparent) {
        canvas->Brush()->SetStyle(bsClear);
    } else {
        canvas->Brush()->AssignFrom(FBrush.get());
    }
    canvas->WriteBackgroundMode(TRANSPARENT);
}

void TChartShape::DrawShape(TChartCanvas3D* canvas, bool is3D, const TRect& r) {
    const int cx = (r.Left + r.Right) / 2;
    const int cy = (r.Top + r.Bottom) / 2;
    const int z = MiddleZ();
    const TPoint upward[3] = {{r.Left, r.Bottom}, {cx, r.Top}, {r.Right, r.Bottom}};
    const TPoint downward[3] = {{r.Left, r.Top}, {cx, r.Bottom}, {r.Right, r.Top}};
    const auto vertical = [&] {
        if (is3D)
            canvas->DrawVerticalLineAtDepth(cx, r.Top, r.Bottom, z);
        else
            canvas->DrawVerticalSegment(cx, r.Top, r.Bottom);
    };
    const auto horizontal = [&] {
        if (is3D)
            canvas->DrawHorizontalLineAtDepth(r.Left, r.Right, cy, z);
        else
            canvas->DrawHorizontalSegment(r.Left, r.Right, cy);
    };
    const auto segment = [&](int x0, int y0, int x1, int y1) {
        if (is3D)
            canvas->DrawLineAtDepth(x0, y0, x1, y1, z);
        else
            canvas->DrawSegment(x0, y0, x1, y1);
    };
    const auto triangle = [&](const TPoint(&points)[3]) {
        if (is3D)
            canvas->DrawTriangleAtDepth(points[0], points[1], points[2], z);
        else
            canvas->DrawPolygon(points, 2);
    };
    switch (FStyle) {
    case chasRectangle:
        if (is3D)
            canvas->DrawRectangleAtDepth(r, z);
        else if (FRoundRectangle)
            canvas->DrawRoundRectangle(r.Left, r.Top, r.Right, r.Bottom, kRoundCorner,
                                       kRoundCorner);
        else
            canvas->DrawRectangle(r.Left, r.Top, r.Right, r.Bottom);
        break;
    case chasCircle:
        if (is3D)
            canvas->DrawEllipseAtDepth(r.Left, r.Top, r.Right, r.Bottom, z);
        else
            canvas->DrawEllipse(r.Left, r.Top, r.Right, r.Bottom);
        break;
    case chasVertLine:
        vertical();
        break;
    case chasHorizLine:
        horizontal();
        break;
    case chasTriangle:
        triangle(upward);
        break;
    case chasInvertTriangle:
        triangle(downward);
        break;
    case chasLine:
        segment(r.Left, r.Top, r.Right, r.Bottom);
        break;
    case chasDiamond: {
        const TPoint points[4] = {{r.Left, cy}, {cx, r.Top}, {r.Right, cy}, {cx, r.Bottom}};
        if (is3D)
            canvas->DrawQuadAtDepth(points[0], points[1], points[2], points[3], z);
        else
            canvas->DrawPolygon(points, 3);
        break;
    }
    case chasCube:
        if (is3D)
            canvas->DrawBox(r.Left, r.Right, r.Top, r.Bottom, StartZ(), EndZ(), !FTransparent);
        else
            canvas->DrawRectangle(r.Left, r.Top, r.Right, r.Bottom);
        break;
    case chasCross:
        vertical();
        horizontal();
        break;
    case chasDiagCross:
        segment(r.Left, r.Top, r.Right, r.Bottom);
        segment(r.Left, r.Bottom, r.Right, r.Top);
        break;
    case chasStar:
        vertical();
        horizontal();
        segment(r.Left, r.Top, r.Right, r.Bottom);
        segment(r.Left, r.Bottom, r.Right, r.Top);
        break;
    case chasPyramid:
        if (is3D)
            canvas->DrawPyramid(true, r.Left, r.Top, r.Right, r.Bottom, StartZ(), EndZ(),
                                !FTransparent);
        else
            triangle(upward);
        break;
    case chasInvertPyramid:
        // The apex at the bottom: the pyramid's "top" is the rectangle's bottom.
        if (is3D)
            canvas->DrawPyramid(true, r.Left, r.Bottom, r.Right, r.Top, StartZ(), EndZ(),
                                !FTransparent);
        else
            triangle(downward);
        break;
    }
}

void TChartShape::DrawText(TChartCanvas3D* canvas, bool is3D, const TRect& r) {
    const int lines = FText->Count();
    if (lines == 0)
        return;
    if (TCustomAxisPanel* chart = ParentChart())
        chart->AssignCanvasFont(FFont.get());
    else
        canvas->Font()->AssignFrom(FFont.get());
    // Text the colour of the fill would not show.
    if (canvas->Brush()->Color() == canvas->Font()->Color())
        canvas->Font()->SetColor(canvas->Font()->Color() == clBlack ? clWhite : clBlack);
    const int h = canvas->FontHeight();
    const int cx = (r.Left + r.Right) / 2;
    const int cy = (r.Top + r.Bottom) / 2;
    // The gap beside the outline counts the pen width, drawn or not.
    const int penWidth = FPen->Width();
    int y = cy - int(Round(lines * h / 2.0));
    for (int i = 0; i < lines; ++i) {
        const std::string line = FText->Get(i);
        const int w = canvas->MeasureTextWidth(line);
        int x = cx - w / 2;
        if (FAlignment == taLeftJustify)
            x = r.Left + penWidth + kTextMargin;
        else if (FAlignment == taRightJustify)
            x = r.Right - penWidth - w - kTextMargin;
        if (is3D)
            canvas->DrawTextAtDepth(x, y, StartZ(), line);
        else
            canvas->DrawText(x, y, line);
        y += h;
    }
}

void TChartShape::DrawValue(int index) {
    TCustomAxisPanel* chart = ParentChart();
    if (index != 0 || Count() != 2 || !chart)
        return;
    const TRect r = ShapeBounds();
    TRect common;
    if (!IntersectRect(common, r, chart->ChartRect()))
        return;
    TChartCanvas3D* canvas = chart->Canvas3D();
    PrepareCanvas(canvas);
    DrawShape(canvas, chart->View3D(), r);
    DrawText(canvas, chart->View3D(), r);
}

void TChartShape::DrawLegendShape(int, const TRect& r) {
    TCustomAxisPanel* chart = ParentChart();
    if (!chart)
        return;
    TChartCanvas3D* canvas = chart->Canvas3D();
    PrepareCanvas(canvas);
    DrawShape(canvas, false, r);
}

// ---- Samples and gallery

void TChartShape::FillSampleValues(int) {
    ClearValues();
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    CalcRandomBounds(1, minX, maxX, minY, maxY);
    const double stepX = maxX - minX;
    const int spanY = int(Round(std::clamp(maxY - minY, -2147483647.0, 2147483647.0)));
    const double startY = minY + RandomBelow(spanY);
    if (stepX == 0) {
        AddXY(0, 0);
        AddXY(100, 100);
    } else {
        AddXY(minX + stepX / 8, startY / 2);
        AddXY(minX + stepX - stepX / 8, startY + RandomBelow(spanY));
    }
    NotifyDependents(scRefresh);
    RepaintChart();
}

bool TChartShape::CanCopyFrom(TChartSeries* source) const {
    return source != this && dynamic_cast<TChartShape*>(source) != nullptr;
}

void TChartShape::PrepareForGallery(bool keepColor) {
    TChartSeries::PrepareForGallery(keepColor);
    FFont->SetColor(clWhite);
    FFont->SetSize(14);
    FText->Clear();
    TCustomAxisPanel* chart = ParentChart();
    const bool second = chart && chart->SeriesCount() > 1 && chart->GetSeries(1) == this;
    if (second) {
        SetStyle(chasCircle);
        FBrush->SetColor(keepColor ? clBlue : clSilver);
        FText->Add("abc");
    } else {
        SetStyle(chasTriangle);
        FBrush->SetColor(keepColor ? clRed : clSilver);
        FText->Add("123");
    }
}

void RegisterChartShape() {
    // The registry ignores a second entry of the same class.
    AddGalleryEntry(TChartShape::StaticClass(), nullptr, "Shape", 2, "Standard");
}
