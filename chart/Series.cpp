#include "chart/Series.h"

#include "chart/Chart.h"
#include "chart/ChartProcs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using TStoredFn = std::function<bool(const TObject*)>;

// Pixels beyond this are not drawn: the point is off any screen.
constexpr int kMaxPixel = 32766;
// How far from a line a click still hits it.
constexpr int kLineTolerance = 3;
// Steep 3-D segments and stair risers are darkened by this amount.
constexpr int kDarkerSides = 32;

bool OffScreen(int x, int y) {
    return x < -kMaxPixel || x > kMaxPixel || y < -kMaxPixel || y > kMaxPixel;
}

TRect Normalised(int x0, int y0, int x1, int y1) {
    return TRect(std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1));
}

} // namespace

// ---------------------------------------------------------------------------
// TFastLineSeries

TFastLineSeries::TFastLineSeries(TComponent* owner) : TChartSeries(owner) {
    FLinePen = std::make_unique<TChartPen>(TNotifyEvent(this, &TFastLineSeries::PenChanged));
    SetPointsStandAlone(false);
    SetDrawBetweenPoints(true);
}

TFastLineSeries::~TFastLineSeries() = default;

void TFastLineSeries::Publish(TPublisher<TFastLineSeries>& p) {
    using T = TFastLineSeries;
    p.Bool("AutoRepaint", &T::AutoRepaint, &T::SetAutoRepaint).Default(true);
    p.Class("LinePen", TChartPen::StaticClass(), &T::LinePen, &T::SetLinePen);
}

void TFastLineSeries::AssignFrom(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TFastLineSeries*>(source)) {
        FAutoRepaint = s->FAutoRepaint;
        FLinePen->AssignFrom(s->FLinePen.get());
    }
    TChartSeries::AssignFrom(source);
}

void TFastLineSeries::PenChanged(TObject* /*sender*/) {
    RepaintChart();
}

void TFastLineSeries::SetLinePen(const TChartPen* value) {
    FLinePen->AssignFrom(value);
    TChartSeries::SetSeriesColor(FLinePen->Color());
}

void TFastLineSeries::SetSeriesColor(TColor value) {
    TChartSeries::SetSeriesColor(value);
    FLinePen->SetColor(value);
}

void TFastLineSeries::PrepareCanvas() {
    TCustomAxisPanel* chart = ParentChart();
    TChartCanvas3D* canvas = chart->Canvas3D();
    canvas->UseChartPen(FLinePen.get());
    if (FLinePen->Visible())
        canvas->Pen()->SetColor(SeriesColor());
    chart->AdjustPenForPrinter(canvas->Pen());
    canvas->Brush()->SetStyle(bsClear);
}

void TFastLineSeries::DrawAllValues() {
    PrepareCanvas();
    FRun.clear();
    FGathering = true;
    try {
        TChartSeries::DrawAllValues();
    } catch (...) {
        FGathering = false;
        FRun.clear();
        throw;
    }
    FGathering = false;
    FlushRun();
}

void TFastLineSeries::MoveToPoint(int x, int y, int z) {
    if (!FGathering) {
        ParentChart()->Canvas3D()->MovePenToSpace(x, y, z);
        return;
    }
    FlushRun();
    FRun.push_back(TPoint(x, y));
    FRunZ = z;
}

void TFastLineSeries::LineToPoint(int x, int y, int z) {
    if (!FGathering || FRun.empty() || z != FRunZ) {
        FlushRun();
        ParentChart()->Canvas3D()->DrawLineToSpace(x, y, z);
        return;
    }
    FRun.push_back(TPoint(x, y));
}

void TFastLineSeries::FlushRun() {
    if (FRun.empty())
        return;
    TChartCanvas3D* canvas = ParentChart()->Canvas3D();
    if (FRun.size() == 1)
        canvas->MovePenToSpace(FRun[0].X, FRun[0].Y, FRunZ);
    else
        canvas->DrawPolylineAtDepth(FRun.data(), int(FRun.size()), FRunZ);
    FRun.clear();
}

void TFastLineSeries::DrawValue(int index) {
    const int x = CalcXPos(index);
    const int y = CalcYPos(index);
    const int z = MiddleZ();
    if (index != FirstValueIndex()) {
        // Consecutive points on the same pixel draw nothing more.
        if (x == FLastX && y == FLastY)
            return;
        LineToPoint(x, y, z);
    } else if (index == 0) {
        MoveToPoint(x, y, z);
    } else {
        // The line enters from the point before the visible range.
        MoveToPoint(CalcXPos(index - 1), CalcYPos(index - 1), z);
        LineToPoint(x, y, z);
    }
    FLastX = x;
    FLastY = y;
}

void TFastLineSeries::NotifyValueAdded(int index) {
    if (FAutoRepaint) {
        TChartSeries::NotifyValueAdded(index);
        return;
    }
    TCustomAxisPanel* chart = ParentChart();
    // A chart that has never been drawn has no axes to draw against yet.
    if (!chart || !chart->HasBeenDrawn() || !Active())
        return;
    TChartCanvas3D* canvas = chart->Canvas3D();
    PrepareCanvas();
    const int previous = index > 0 ? index - 1 : 0;
    FLastX = CalcXPos(previous);
    FLastY = CalcYPos(previous);
    canvas->MovePenToSpace(FLastX, FLastY, MiddleZ());
    if (index > 0 && index != FirstValueIndex()) {
        DrawValue(index);
    } else {
        FLastX = CalcXPos(index);
        FLastY = CalcYPos(index);
    }
    // The picture changed outside a frame: the next paint draws a new one.
    canvas->MarkBufferDirty();
}

void TFastLineSeries::DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) {
    const int length = Marks()->ArrowLength();
    position.ArrowTo.Y -= length;
    position.LeftTop.Y -= length;
    TChartSeries::DrawMark(index, text, position);
}

int TFastLineSeries::ValueIndexAt(int x, int y) {
    const int first = FirstValueIndex();
    if (first < 0 || !ParentChart())
        return -1;
    ParentChart()->Canvas3D()->ScreenToSpace(x, y, MiddleZ());
    const TPoint p(x, y);
    TPoint previous;
    for (int i = first; i <= LastValueIndex() && i < Count(); ++i) {
        const TPoint point(CalcXPos(i), CalcYPos(i));
        if (point == p)
            return i;
        if (i > first && NearSegment(p, previous, point, kLineTolerance))
            return i - 1;
        previous = point;
    }
    return -1;
}

void TFastLineSeries::DrawLegendShape(int /*legendIndex*/, const TRect& r) {
    PrepareCanvas();
    ParentChart()->Canvas3D()->DrawHorizontalSegment(r.Left, r.Right, (r.Top + r.Bottom) / 2);
}

// ---------------------------------------------------------------------------
// TSeriesPointer

const TTypeInfo* TypeInfoTSeriesPointerStyle() {
    static const TTypeInfo info = MakeEnumType(
        "TSeriesPointerStyle", {"psRectangle", "psCircle", "psTriangle", "psDownTriangle",
                                "psCross", "psDiagCross", "psStar", "psDiamond", "psSmallDot"});
    return &info;
}

TSeriesPointer::TSeriesPointer(TChartSeries* series) : FSeries(series) {
    FBrush = std::make_unique<TChartBrush>(TNotifyEvent(this, &TSeriesPointer::PartChanged));
    FPen = std::make_unique<TChartPen>(TNotifyEvent(this, &TSeriesPointer::PartChanged));
}

TSeriesPointer::~TSeriesPointer() = default;

void TSeriesPointer::Publish(TPublisher<TSeriesPointer>& p) {
    using T = TSeriesPointer;
    p.Class("Brush", TChartBrush::StaticClass(), &T::Brush, &T::SetBrush);
    p.Bool("Dark3D", &T::Dark3D, &T::SetDark3D).Default(true);
    p.Bool("Draw3D", &T::Draw3D, &T::SetDraw3D).Default(true);
    p.Integer("HorizSize", &T::HorizSize, &T::SetHorizSize).Default(4);
    p.Bool("InflateMargins", &T::InflateMargins, &T::SetInflateMargins).Default(true);
    p.Class("Pen", TChartPen::StaticClass(), &T::Pen, &T::SetPen);
    p.Enum("Style", TypeInfoTSeriesPointerStyle(), &T::Style, &T::SetStyle).Default(psRectangle);
    p.Integer("VertSize", &T::VertSize, &T::SetVertSize).Default(4);
    p.Bool("Visible", &T::Visible, &T::SetVisible).Default(true);
}

void TSeriesPointer::AssignFrom(const TPersistent* source) {
    auto* s = dynamic_cast<const TSeriesPointer*>(source);
    if (!s) {
        TPersistent::AssignFrom(source);
        return;
    }
    FBrush->AssignFrom(s->FBrush.get());
    FDark3D = s->FDark3D;
    FDraw3D = s->FDraw3D;
    FHorizSize = s->FHorizSize;
    FInflateMargins = s->FInflateMargins;
    FPen->AssignFrom(s->FPen.get());
    FStyle = s->FStyle;
    FVertSize = s->FVertSize;
    FVisible = s->FVisible;
    Repaint();
}

void TSeriesPointer::Repaint() {
    if (FSeries)
        FSeries->RepaintChart();
}

void TSeriesPointer::PartChanged(TObject* /*sender*/) {
    Repaint();
}

void TSeriesPointer::SetBooleanValue(bool& field, bool value) {
    if (ChangeField(field, value))
        Repaint();
}

void TSeriesPointer::SetHorizSize(int value) {
    if (value < 1)
        throw ChartException(SPointerSize);
    if (FHorizSize == value)
        return;
    FHorizSize = value;
    Repaint();
}

void TSeriesPointer::SetVertSize(int value) {
    if (value < 1)
        throw ChartException(SPointerSize);
    if (FVertSize == value)
        return;
    FVertSize = value;
    Repaint();
}

void TSeriesPointer::SetStyle(TSeriesPointerStyle value) {
    if (FStyle == value)
        return;
    FStyle = value;
    Repaint();
}

void TSeriesPointer::PrepareCanvas(TColor color) {
    TChartCanvas3D* canvas = FSeries->ParentChart()->Canvas3D();
    canvas->UseChartPen(FPen.get());
    if (FPen->Visible() && FPen->Color() == clAutoColor)
        canvas->Pen()->SetColor(color);
    canvas->Brush()->SetColor(FBrush->Color() == clAutoColor ? color : FBrush->Color());
    canvas->Brush()->SetStyle(FBrush->Style());
}

void TSeriesPointer::Draw(bool is3D, int x, int y, TSeriesPointerStyle style, TColor color,
                          int vertSize, int horizSize) {
    TChartCanvas3D* canvas = FSeries->ParentChart()->Canvas3D();
    const int z0 = FSeries->StartZ();
    const int z1 = FSeries->EndZ();
    const int l = x - horizSize, r = x + horizSize, t = y - vertSize, b = y + vertSize;
    auto line = [&](int x0, int y0, int x1, int y1) {
        if (is3D)
            canvas->DrawLineAtDepth(x0, y0, x1, y1, z0);
        else
            canvas->DrawSegment(x0, y0, x1, y1);
    };
    auto cross = [&] {
        canvas->Pen()->SetColor(color);
        line(x, t, x, b + 1);
        line(l, y, r + 1, y);
    };
    auto diagonalCross = [&] {
        canvas->Pen()->SetColor(color);
        line(l, t, r + 1, b + 1);
        line(r, t, l - 1, b + 1);
    };
    switch (style) {
    case psRectangle:
        if (is3D && FDraw3D)
            canvas->DrawBox(l, r, t, b, z0, z1, FDark3D);
        else if (is3D)
            canvas->DrawRectangleAtDepth(TRect(l, t, r + 1, b + 1), z0);
        else
            canvas->DrawRectangle(l, t, r + 1, b + 1);
        break;
    case psCircle:
        if (is3D)
            canvas->DrawEllipseAtDepth(l, t, r, b, z0);
        else
            canvas->DrawEllipse(l, t, r, b);
        break;
    case psTriangle:
    case psDownTriangle: {
        const bool up = style == psTriangle;
        if (is3D && FDraw3D) {
            canvas->DrawPyramid(true, l, up ? t : b, r, up ? b : t, z0, z1, FDark3D);
        } else if (is3D) {
            canvas->DrawTriangleAtDepth(TPoint(l, up ? b : t), TPoint(r, up ? b : t),
                                        TPoint(x, up ? t : b), z0);
        } else {
            const TPoint points[3] = {TPoint(l, up ? b : t), TPoint(r, up ? b : t),
                                      TPoint(x, up ? t : b)};
            canvas->DrawPolygon(points, 2);
        }
        break;
    }
    case psCross:
        cross();
        break;
    case psDiagCross:
        diagonalCross();
        break;
    case psStar:
        cross();
        diagonalCross();
        break;
    case psDiamond:
        if (is3D) {
            canvas->DrawQuadAtDepth(TPoint(l, y), TPoint(x, t), TPoint(r, y), TPoint(x, b), z0);
        } else {
            const TPoint points[4] = {TPoint(l, y), TPoint(x, t), TPoint(r, y), TPoint(x, b)};
            canvas->DrawPolygon(points, 3);
        }
        break;
    case psSmallDot:
        if (is3D)
            canvas->PlotPixelAtDepth(x, y, z0, color);
        else
            canvas->PlotPixel(x, y, color);
        break;
    }
}

void TSeriesPointer::DrawAt(int x, int y, TSeriesPointerStyle style, TColor color) {
    Draw(FSeries->ParentChart()->View3D(), x, y, style, color, FVertSize, FHorizSize);
}

void TSeriesPointer::HorizMargins(int& left, int& right) const {
    if (FVisible && FInflateMargins) {
        left = std::max(left, FHorizSize + 1);
        right = std::max(right, FHorizSize + 1);
    }
}

void TSeriesPointer::VertMargins(int& top, int& bottom) const {
    if (FVisible && FInflateMargins) {
        top = std::max(top, FVertSize + 1);
        bottom = std::max(bottom, FVertSize + 1);
    }
}

void TSeriesPointer::DrawLegendSymbol(TColor color, const TRect& r, bool small) {
    PrepareCanvas(color);
    const int w = r.Width();
    const int h = r.Height();
    const int horiz = std::min(FHorizSize, small ? w / 3 : w / 2 + 1);
    const int vert = std::min(FVertSize, small ? h / 3 : h / 2 + 1);
    Draw(false, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, FStyle, color, vert, horiz);
}

// ---------------------------------------------------------------------------
// TCustomSeries

TCustomSeries::TCustomSeries(TComponent* owner) : TChartSeries(owner) {
    FAreaLinesPen = std::make_unique<TChartPen>(TNotifyEvent(this, &TCustomSeries::PartChanged));
    FLinePen = std::make_unique<TChartPen>(TNotifyEvent(this, &TCustomSeries::PartChanged));
    FPointer = std::make_unique<TSeriesPointer>(this);
    SetDrawBetweenPoints(true);
}

TCustomSeries::~TCustomSeries() = default;

void TCustomSeries::Publish(TPublisher<TCustomSeries>& /*p*/) {}

void TCustomSeries::PartChanged(TObject* /*sender*/) {
    RepaintChart();
}

void TCustomSeries::AssignFrom(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TCustomSeries*>(source)) {
        FAreaBrush = s->FAreaBrush;
        FAreaColor = s->FAreaColor;
        FAreaLinesPen->AssignFrom(s->FAreaLinesPen.get());
        FClickableLine = s->FClickableLine;
        FDark3D = s->FDark3D;
        FDrawArea = s->FDrawArea;
        FDrawLine = s->FDrawLine;
        FInvertedStairs = s->FInvertedStairs;
        FLineBrush = s->FLineBrush;
        FLineHeight = s->FLineHeight;
        FLinePen->AssignFrom(s->FLinePen.get());
        FPointer->AssignFrom(s->FPointer.get());
        FStairs = s->FStairs;
        FOnClickPointer = s->FOnClickPointer;
        FOnGetPointerStyle = s->FOnGetPointerStyle;
    }
    TChartSeries::AssignFrom(source);
}

void TCustomSeries::SetAreaBrush(TBrushStyle value) {
    if (FAreaBrush == value)
        return;
    FAreaBrush = value;
    RepaintChart();
}

void TCustomSeries::SetLineBrush(TBrushStyle value) {
    if (FLineBrush == value)
        return;
    FLineBrush = value;
    RepaintChart();
}

TColor TCustomSeries::AreaColorOf(TColor color) const {
    if (ColorEachPoint() || FAreaColor == clAutoColor)
        return color;
    return FAreaColor;
}

int TCustomSeries::AreaBottomPos(int /*index*/) {
    return GetVertAxis() ? GetVertAxis()->IEndPos() : 0;
}

TSeriesPointerStyle TCustomSeries::PointerStyleAt(int index) {
    if (FOnGetPointerStyle)
        return FOnGetPointerStyle(this, index);
    return FPointer->Style();
}

void TCustomSeries::DrawPointer(int x, int y, int index, TColor color) {
    FPointer->PrepareCanvas(color);
    FPointer->DrawAt(x, y, PointerStyleAt(index), color);
}

bool TCustomSeries::PointerHit(int /*index*/, int x, int y, int px, int py) {
    return std::abs(x - px) < FPointer->HorizSize() && std::abs(y - py) < FPointer->VertSize();
}

void TCustomSeries::HorizMargins(int& left, int& right) {
    left = right = 0;
    FPointer->HorizMargins(left, right);
    if (FStairs && FDrawLine) {
        left = std::max(left, FLinePen->Width());
        right = std::max(right, FLinePen->Width());
    }
}

void TCustomSeries::VertMargins(int& top, int& bottom) {
    top = bottom = 0;
    FPointer->VertMargins(top, bottom);
    if (FStairs && FDrawLine) {
        top = std::max(top, FLinePen->Width());
        bottom = std::max(bottom, FLinePen->Width() + 1);
    }
    if (FLineHeight > 0 && !FDrawArea)
        bottom = std::max(bottom, FLineHeight);
}

void TCustomSeries::DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) {
    Marks()->SetZPosition(StartZ());
    const int length = Marks()->ArrowLength();
    position.ArrowTo.Y -= length;
    position.LeftTop.Y -= length;
    TChartSeries::DrawMark(index, text, position);
}

void TCustomSeries::PreviousOutside(int index, int x, int& px, int& py, int& pb) {
    const int xa = CalcXPos(index - 1);
    const int ya = CalcYPos(index - 1);
    if (FDrawArea) {
        px = xa;
        py = ya;
        pb = AreaBottomPos(index - 1);
        return;
    }
    TCustomChartAxis* horizontal = GetHorizAxis();
    const TRect& r = ParentChart()->ChartRect();
    px = horizontal && horizontal->Inverted() ? r.Right : r.Left;
    pb = FBottomPos;
    const int y = CalcYPos(index);
    if (FStairs || xa == x)
        py = ya;
    else
        py = ya + int(Round(double(y - ya) * (px - xa) / double(x - xa)));
}

void TCustomSeries::DrawValue(int index) {
    TCustomAxisPanel* chart = ParentChart();
    TChartCanvas3D* canvas = chart->Canvas3D();
    const int x = CalcXPos(index);
    const int y = CalcYPos(index);
    if (OffScreen(x, y))
        return;
    const TColor color = ValueColor(index);
    canvas->Pen()->SetColor(clBlack);
    canvas->Brush()->SetColor(color);
    const bool first = index == FirstValueIndex();
    if (first)
        FPrevColor = clNone;
    if (FPrevColor == clNone) {
        FPrevX = x;
        FPrevY = y;
    }
    FBottomPos = AreaBottomPos(index);
    const bool isLast = index == LastValueIndex();
    if (first) {
        // The 3-D height over the 3-D width: the chart's are both its total depth.
        FSteepness = 1.0;
        FPrevIndex = -1;
        if (index > 0) {
            int px = 0, py = 0, pb = 0;
            PreviousOutside(index, x, px, py, pb);
            if (ValueColor(index - 1) != clNone && !OffScreen(px, py))
                DrawSegment(px, py, pb, x, y, FBottomPos, color, index, false, false);
        }
        if (isLast && FPointer->Visible() && color != clNone)
            DrawPointer(x, y, index, color);
    } else {
        DrawSegment(FPrevX, FPrevY, FPrevBottom, x, y, FBottomPos, color, index, true, isLast);
    }
    FPrevX = x;
    FPrevY = y;
    FPrevBottom = FBottomPos;
    FPrevColor = color;
    FPrevIndex = index;
}

void TCustomSeries::DrawSegment(int x0, int y0, int b0, int x1, int y1, int b1, TColor color,
                                int index, bool withPointers, bool isLast) {
    TCustomAxisPanel* chart = ParentChart();
    TChartCanvas3D* canvas = chart->Canvas3D();
    const bool is3D = chart->View3D();
    const int z0 = StartZ();
    const int z1 = EndZ();
    if ((x0 != x1 || y0 != y1) && color != clNone) {
        // The 3-D band of the line (or the top of the area).
        if (is3D && (FDrawArea || (FDrawLine && FLineBrush != bsClear))) {
            TColor face = AreaColorOf(color);
            canvas->UseChartPen(FLinePen.get());
            if (FLinePen->Visible())
                chart->AdjustPenForPrinter(canvas->Pen());
            canvas->Brush()->SetStyle(FLineBrush == bsClear ? bsSolid : FLineBrush);
            canvas->Brush()->SetColor(face);
            const TColor darker = FDark3D ? DarkenColor(face, kDarkerSides) : face;
            if (FStairs) {
                if (!FInvertedStairs) {
                    canvas->DrawHorizontalPlane(x0, y0, x1, z0, z1);
                    canvas->Brush()->SetColor(darker);
                    canvas->DrawSidePlane(x1, y1, y0, z0, z1);
                } else {
                    canvas->Brush()->SetColor(darker);
                    canvas->DrawSidePlane(x0, y0, y1, z0, z1);
                    canvas->Brush()->SetColor(face);
                    canvas->DrawHorizontalPlane(x1, y1, x0, z0, z1);
                }
            } else {
                int ya = y0;
                int yb = y1;
                const bool band = FLineHeight > 0 && !FDrawArea;
                if (band) {
                    canvas->DrawQuadAtDepth(TPoint(x1, y1), TPoint(x0, y0),
                                            TPoint(x0, y0 + FLineHeight),
                                            TPoint(x1, y1 + FLineHeight), z0);
                    if (isLast)
                        canvas->DrawSidePlane(x1, y1, y1 + FLineHeight, z0, z1);
                }
                if (FDark3D && x1 != x0 && double(y0 - y1) / (x1 - x0) > FSteepness) {
                    canvas->Brush()->SetColor(darker);
                    if (band) {
                        ya += FLineHeight;
                        yb += FLineHeight;
                    }
                }
                canvas->DrawDepthPlane(TPoint(x0, ya), TPoint(x1, yb), z0, z1);
            }
            canvas->Brush()->SetColor(face);
        } else if (is3D && FDrawLine && !FDrawArea) {
            // A clear band still shows its line.
            canvas->UseChartPen(FLinePen.get());
            canvas->Pen()->SetColor(color);
            canvas->DrawLineAtDepth(x0, y0, x1, y1, MiddleZ());
        }
        if (FDrawArea) {
            // The area down to the baseline.
            const TColor face = AreaColorOf(color);
            canvas->UseChartPen(FAreaLinesPen.get());
            if (FAreaLinesPen->Color() == clAutoColor || !FAreaLinesPen->Visible())
                canvas->Pen()->SetColor(color);
            TColor back = chart->ChartBackColor();
            if (back == clAutoColor)
                back = chart->Color();
            chart->PrepareBrush(face, FAreaBrush, back);
            if (is3D && isLast)
                canvas->DrawSidePlane(x1, y1, b1, z0, z1);
            if (FStairs) {
                const TRect r = Normalised(x0, b1, x1 + 1, FInvertedStairs ? y1 : y0);
                if (is3D)
                    canvas->DrawRectangleAtDepth(r, z0);
                else
                    canvas->DrawRectangle(r.Left, r.Top, r.Right, r.Bottom);
            } else if (is3D) {
                canvas->DrawQuadAtDepth(TPoint(x0, b0), TPoint(x0, y0), TPoint(x1, y1),
                                        TPoint(x1, b1), z0);
            } else {
                const TPoint points[4] = {TPoint(x0, b0), TPoint(x0, y0), TPoint(x1, y1),
                                          TPoint(x1, b1)};
                canvas->DrawPolygon(points, 3);
            }
        } else if (!is3D && FDrawLine) {
            // The line.
            canvas->UseChartPen(FLinePen.get());
            if (FLinePen->Visible())
                canvas->Pen()->SetColor(color);
            canvas->Brush()->SetStyle(bsClear);
            canvas->MovePenTo(x0, y0);
            if (FStairs) {
                if (FInvertedStairs)
                    canvas->DrawLineTo(x0, y1);
                else
                    canvas->DrawLineTo(x1, y0);
            }
            canvas->DrawLineTo(x1, y1);
        }
    }
    // Pointers over the segments next to them.
    if (withPointers && FPointer->Visible()) {
        if (FPrevColor != clNone && FPrevIndex >= 0)
            DrawPointer(x0, y0, FPrevIndex, FPrevColor);
        if (isLast && color != clNone)
            DrawPointer(x1, y1, index, color);
    }
}

int TCustomSeries::ValueIndexAt(int x, int y) {
    const int first = FirstValueIndex();
    TCustomAxisPanel* chart = ParentChart();
    if (first < 0 || !chart)
        return -1;
    chart->Canvas3D()->ScreenToSpace(x, y, StartZ());
    const TPoint p(x, y);
    const bool is3D = chart->View3D();
    const int depth = chart->Width3D();
    TPoint previous;
    int previousBottom = 0;
    for (int i = first; i <= LastValueIndex() && i < Count(); ++i) {
        const TPoint point(CalcXPos(i), CalcYPos(i));
        const int bottom = FDrawArea ? AreaBottomPos(i) : 0;
        if (FPointer->Visible() && PointerHit(i, x, y, point.X, point.Y)) {
            if (FOnClickPointer)
                FOnClickPointer(this, i, x, y);
            return i;
        }
        if (point == p)
            return i;
        if (i > first) {
            if (FClickableLine) {
                bool hit;
                if (is3D) {
                    const TPoint band[4] = {previous,
                                            TPoint(previous.X + depth, previous.Y - depth),
                                            TPoint(point.X + depth, point.Y - depth), point};
                    hit = InsidePolygon(p, band, 3);
                } else if (FStairs) {
                    const TPoint corner =
                        FInvertedStairs ? TPoint(previous.X, point.Y) : TPoint(point.X, previous.Y);
                    hit = NearSegment(p, previous, corner, kLineTolerance) ||
                          NearSegment(p, corner, point, kLineTolerance);
                } else {
                    hit = NearSegment(p, previous, point, kLineTolerance);
                }
                if (hit)
                    return i - 1;
            }
            if (FDrawArea) {
                const TPoint area[4] = {previous, point, TPoint(point.X, bottom),
                                        TPoint(previous.X, previousBottom)};
                if (InsidePolygon(p, area, 3))
                    return i - 1;
            }
        }
        previous = point;
        previousBottom = bottom;
    }
    return -1;
}

void TCustomSeries::DrawLegendShape(int legendIndex, const TRect& r) {
    TChartCanvas3D* canvas = ParentChart()->Canvas3D();
    const TColor color = legendIndex == -1 ? SeriesColor() : ValueColor(legendIndex);
    const int middle = (r.Top + r.Bottom) / 2;
    if (FPointer->Visible()) {
        if (FDrawLine) {
            canvas->UseChartPen(FLinePen.get());
            if (FLinePen->Visible())
                canvas->Pen()->SetColor(color);
            canvas->DrawHorizontalSegment(r.Left, r.Right, middle);
        }
        FPointer->DrawLegendSymbol(color, r, FLinePen->Visible());
    } else if (!FDrawLine || FDrawArea) {
        TChartSeries::DrawLegendShape(legendIndex, r);
    } else {
        canvas->UseChartPen(FLinePen.get());
        if (FLinePen->Visible())
            canvas->Pen()->SetColor(color);
        if (ParentChart()->View3D())
            canvas->DrawRectangleRecord(r);
        else
            canvas->DrawHorizontalSegment(r.Left, r.Right, middle);
    }
}

// ---------------------------------------------------------------------------
// TLineSeries, TPointSeries

TLineSeries::TLineSeries(TComponent* owner) : TCustomSeries(owner) {
    SetDrawLine(true);
    Pointer()->SetVisible(false);
    SetPointsStandAlone(false);
}

void TLineSeries::Publish(TPublisher<TLineSeries>& p) {
    using T = TCustomSeries;
    p.Bool("Dark3D", &T::Dark3D, &T::SetDark3D).Default(true);
    p.Bool("InvertedStairs", &T::InvertedStairs, &T::SetInvertedStairs).Default(false);
    p.Enum("LineBrush", TypeInfoTBrushStyle(), &T::LineBrush, &T::SetLineBrush).Default(bsSolid);
    p.Integer("LineHeight", &T::LineHeight, &T::SetLineHeight).Default(0);
    p.Class("LinePen", TChartPen::StaticClass(), &T::LinePen, &T::SetLinePen);
    p.Class("Pointer", TSeriesPointer::StaticClass(), &T::Pointer, &T::SetPointer);
    p.Bool("Stairs", &T::Stairs, &T::SetStairs).Default(false);
    p.Event("OnGetPointerStyle", &T::OnGetPointerStyle, &T::SetOnGetPointerStyle);
}

void TLineSeries::AssignFrom(const TPersistent* source) {
    TCustomSeries::AssignFrom(source);
    Pointer()->SetVisible(false);
    SetDrawArea(false);
    SetDrawLine(true);
}

void TLineSeries::PrepareLegendCanvas(int /*legendIndex*/, TColor& /*backColor*/,
                                      TBrushStyle& brushStyle) {
    ParentChart()->Canvas3D()->UseChartPen(LinePen());
    brushStyle = LineBrush();
}

TPointSeries::TPointSeries(TComponent* owner) : TCustomSeries(owner) {
    SetClickableLine(false);
    Marks()->SetArrowLength(0);
}

void TPointSeries::Publish(TPublisher<TPointSeries>& p) {
    using T = TCustomSeries;
    p.Class("Pointer", TSeriesPointer::StaticClass(), &T::Pointer, &T::SetPointer);
    p.Event("OnClickPointer", &T::OnClickPointer, &T::SetOnClickPointer);
    p.Event("OnGetPointerStyle", &T::OnGetPointerStyle, &T::SetOnGetPointerStyle);
}

void TPointSeries::AssignFrom(const TPersistent* source) {
    TCustomSeries::AssignFrom(source);
    Pointer()->SetVisible(true);
    SetDrawArea(false);
    SetDrawLine(false);
    SetClickableLine(false);
}

void TPointSeries::SetColorEachPoint(bool value) {
    TCustomSeries::SetColorEachPoint(value);
    if (value)
        Pointer()->Brush()->SetColor(clAutoColor);
}

void TPointSeries::PrepareForGallery(bool keepColor) {
    TCustomSeries::PrepareForGallery(keepColor);
    Pointer()->SetHorizSize(6);
    Pointer()->SetVertSize(6);
    if (TCustomAxisPanel* chart = ParentChart())
        if (chart->SeriesCount() > 1 && chart->GetSeries(1) == this)
            Pointer()->SetStyle(psTriangle);
}

// ---------------------------------------------------------------------------
// TAreaSeries

const TTypeInfo* TypeInfoTMultiArea() {
    static const TTypeInfo info =
        MakeEnumType("TMultiArea", {"maNone", "maStacked", "maStacked100"});
    return &info;
}

TAreaSeries::TAreaSeries(TComponent* owner) : TCustomSeries(owner) {
    SetDrawArea(true);
    Pointer()->SetVisible(false);
    SetPointsStandAlone(false);
}

void TAreaSeries::Publish(TPublisher<TAreaSeries>& p) {
    using T = TCustomSeries;
    p.Enum("AreaBrush", TypeInfoTBrushStyle(), &T::AreaBrush, &T::SetAreaBrush).Default(bsSolid);
    p.Ordinal("AreaColor", TypeInfoTColor(), &T::AreaColor, &T::SetAreaColor)
        .Default(int64_t(clAutoColor));
    p.Class("AreaLinesPen", TChartPen::StaticClass(), &T::AreaLinesPen, &T::SetAreaLinesPen);
    p.Bool("Dark3D", &T::Dark3D, &T::SetDark3D).Default(true);
    p.Bool("DrawArea", &T::DrawArea, &T::SetDrawArea).Default(true);
    p.Bool("InvertedStairs", &T::InvertedStairs, &T::SetInvertedStairs).Default(false);
    p.Class("LinePen", TChartPen::StaticClass(), &T::LinePen, &T::SetLinePen);
    p.Enum("MultiArea", TypeInfoTMultiArea(), &TAreaSeries::MultiArea, &TAreaSeries::SetMultiArea)
        .Default(maNone);
    p.Bool("Stairs", &T::Stairs, &T::SetStairs).Default(false);
    p.Event("OnGetPointerStyle", &T::OnGetPointerStyle, &T::SetOnGetPointerStyle);
}

void TAreaSeries::AssignFrom(const TPersistent* source) {
    TCustomSeries::AssignFrom(source);
    if (auto* s = dynamic_cast<const TAreaSeries*>(source))
        FMultiArea = s->FMultiArea;
    SetDrawArea(true);
    SetDrawLine(true);
    Pointer()->SetVisible(false);
}

void TAreaSeries::SetMultiArea(TMultiArea value) {
    if (FMultiArea == value)
        return;
    FMultiArea = value;
    if (TCustomAxisPanel* chart = ParentChart())
        for (TChartSeries* s : chart->SeriesList())
            if (auto* area = dynamic_cast<TAreaSeries*>(s); area && s->ClassType() == ClassType())
                area->FMultiArea = value;
    RepaintChart();
}

int TAreaSeries::StackedPixel(int index, double value) const {
    const double below = StackedSumAt(index, false);
    TCustomChartAxis* axis = GetVertAxis();
    if (FMultiArea == maStacked100) {
        const double total = StackedSumAt(index, true);
        // A total of 0 stands at the pixel of value 0.
        return CalcYPosValue(total == 0 ? 0.0 : (below + value) * 100.0 / total);
    }
    const int pixel = CalcYPosValue(below + value);
    if (!axis)
        return pixel;
    return axis->Inverted() ? std::max(pixel, axis->IStartPos()) : std::min(pixel, axis->IEndPos());
}

int TAreaSeries::CalcYPos(int index) const {
    if (FMultiArea == maNone)
        return TCustomSeries::CalcYPos(index);
    return StackedPixel(index, YValueAt(index));
}

int TAreaSeries::AreaBottomPos(int index) {
    if (FMultiArea == maNone)
        return TCustomSeries::AreaBottomPos(index);
    return StackedPixel(index, 0);
}

double TAreaSeries::MaxYValue() const {
    if (FMultiArea == maStacked100)
        return 100;
    double result = TCustomSeries::MaxYValue();
    if (FMultiArea == maStacked)
        for (int i = 0; i < Count(); ++i)
            result = std::max(result, YValueAt(i) + StackedSumAt(i, false));
    return result;
}

double TAreaSeries::MinYValue() const {
    if (FMultiArea == maStacked100)
        return 0;
    return TCustomSeries::MinYValue();
}

void TAreaSeries::CalcZOrder() {
    if (FMultiArea == maNone) {
        TCustomSeries::CalcZOrder();
        return;
    }
    // Stacked areas share one depth: the chart's current one, not increased.
    if (TCustomAxisPanel* chart = ParentChart()) {
        if (chart->SeriesHigh() < 0)
            chart->SetSeriesHigh(0);
        SetZOrder(chart->SeriesHigh());
    }
}

void TAreaSeries::PrepareLegendCanvas(int /*legendIndex*/, TColor& backColor,
                                      TBrushStyle& brushStyle) {
    TChartCanvas3D* canvas = ParentChart()->Canvas3D();
    backColor = AreaColorOf(canvas->Brush()->Color());
    canvas->UseChartPen(AreaLinesPen());
    brushStyle = AreaBrush();
}

// ---------------------------------------------------------------------------
// Bars

const TTypeInfo* TypeInfoTBarStyle() {
    static const TTypeInfo info =
        MakeEnumType("TBarStyle", {"bsRectangle", "bsPyramid", "bsInvPyramid", "bsCilinder",
                                   "bsEllipse", "bsArrow", "bsRectGradient"});
    return &info;
}

const TTypeInfo* TypeInfoTMultiBar() {
    static const TTypeInfo info =
        MakeEnumType("TMultiBar", {"mbNone", "mbSide", "mbStacked", "mbStacked100"});
    return &info;
}

TCustomBarSeries::TCustomBarSeries(TComponent* owner) : TChartSeries(owner) {
    FBarBrush = std::make_unique<TChartBrush>(TNotifyEvent(this, &TCustomBarSeries::PartChanged));
    FBarBrush->SetStyle(bsSolid);
    FBarPen = std::make_unique<TChartPen>(TNotifyEvent(this, &TCustomBarSeries::PartChanged));
    Marks()->SetVisible(true);
    Marks()->SetArrowLength(20);
    YValues()->SetName("Bar");
    YValues()->SetOrder(loNone);
}

TCustomBarSeries::~TCustomBarSeries() = default;

void TCustomBarSeries::Publish(TPublisher<TCustomBarSeries>& p) {
    using T = TCustomBarSeries;
    p.Bool("AutoBarSize", &T::AutoBarSize, &T::SetAutoBarSize).Default(false);
    p.Bool("AutoMarkPosition", &T::AutoMarkPosition, &T::SetAutoMarkPosition).Default(true);
    p.Class("BarBrush", TChartBrush::StaticClass(), &T::BarBrush, &T::SetBarBrush);
    p.Class("BarPen", TChartPen::StaticClass(), &T::BarPen, &T::SetBarPen);
    p.Enum("BarStyle", TypeInfoTBarStyle(), &T::BarStyle, &T::SetBarStyle).Default(bsRectangle);
    p.Integer("BarWidthPercent", &T::BarWidthPercent, &T::SetBarWidthPercent).Default(70);
    p.Bool("Dark3D", &T::Dark3D, &T::SetDark3D).Default(true);
    p.Enum("MultiBar", TypeInfoTMultiBar(), &T::MultiBar, &T::SetMultiBar).Default(mbSide);
    p.Integer("OffsetPercent", &T::OffsetPercent, &T::SetOffsetPercent).Default(0);
    p.Bool("SideMargins", &T::SideMargins, &T::SetSideMargins).Default(true);
    p.Bool("UseYOrigin", &T::UseYOrigin, &T::SetUseYOrigin).Default(true);
    p.Float("YOrigin", &T::YOrigin, &T::SetYOrigin).Default(0.0);
    p.Event("OnGetBarStyle", &T::OnGetBarStyle, &T::SetOnGetBarStyle);
}

void TCustomBarSeries::PartChanged(TObject* /*sender*/) {
    RepaintChart();
}

void TCustomBarSeries::AssignFrom(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TCustomBarSeries*>(source)) {
        FAutoMarkPosition = s->FAutoMarkPosition;
        FBarBrush->AssignFrom(s->FBarBrush.get());
        FBarPen->AssignFrom(s->FBarPen.get());
        FBarStyle = s->FBarStyle;
        FBarWidthPercent = s->FBarWidthPercent;
        FCustomBarWidth = s->FCustomBarWidth;
        FDark3D = s->FDark3D;
        FMultiBar = s->FMultiBar;
        FOffsetPercent = s->FOffsetPercent;
        FSideMargins = s->FSideMargins;
        FUseYOrigin = s->FUseYOrigin;
        FYOrigin = s->FYOrigin;
        FAutoBarSize = s->FAutoBarSize;
        FOnGetBarStyle = s->FOnGetBarStyle;
    }
    TChartSeries::AssignFrom(source);
}

void TCustomBarSeries::SetBarStyle(TBarStyle value) {
    if (FBarStyle == value)
        return;
    FBarStyle = value;
    RepaintChart();
}

void TCustomBarSeries::SetBarWidthPercent(int value) {
    if (value < 1 || value > 100)
        throw BarException(SBarWidthPercent);
    SetIntegerProperty(FBarWidthPercent, value);
}

void TCustomBarSeries::SetOffsetPercent(int value) {
    if (value < -100 || value > 100)
        throw BarException(SBarOffsetPercent);
    SetIntegerProperty(FOffsetPercent, value);
}

std::vector<TCustomBarSeries*> TCustomBarSeries::BarFamily() const {
    std::vector<TCustomBarSeries*> family;
    if (!ParentChart())
        return family;
    for (TChartSeries* s : ParentChart()->SeriesList()) {
        auto* bar = dynamic_cast<TCustomBarSeries*>(s);
        if (bar && s->Active() && (s->InheritsFrom(ClassType()) || InheritsFrom(s->ClassType())))
            family.push_back(bar);
    }
    return family;
}

void TCustomBarSeries::SetMultiBar(TMultiBar value) {
    if (FMultiBar == value)
        return;
    FMultiBar = value;
    if (TCustomAxisPanel* chart = ParentChart())
        for (TChartSeries* s : chart->SeriesList())
            if (auto* bar = dynamic_cast<TCustomBarSeries*>(s);
                bar && (s->InheritsFrom(ClassType()) || InheritsFrom(s->ClassType())))
                bar->FMultiBar = value;
    RepaintChart();
}

void TCustomBarSeries::SetSideMargins(bool value) {
    SetBooleanProperty(FSideMargins, value);
    for (TCustomBarSeries* bar : BarFamily())
        if (bar != this)
            bar->FSideMargins = value;
}

TBarStyle TCustomBarSeries::BarStyleAt(int index) {
    TBarStyle style = FBarStyle;
    if (FOnGetBarStyle)
        FOnGetBarStyle(this, index, style);
    return style;
}

int TCustomBarSeries::SideCount() const {
    if (FMultiBar != mbSide)
        return 1;
    return std::max<int>(1, int(BarFamily().size()));
}

int TCustomBarSeries::SideOrder() const {
    int order = 1;
    for (TCustomBarSeries* bar : BarFamily()) {
        if (bar == this)
            break;
        ++order;
    }
    return order;
}

double TCustomBarSeries::StackedSumAt(int index, bool includeAll) const {
    if (FMultiBar == mbStacked || FMultiBar == mbStacked100)
        return TChartSeries::StackedSumAt(index, includeAll);
    return FYOrigin;
}

double TCustomBarSeries::StackedValue(int index, bool& zeroTotal) const {
    zeroTotal = false;
    const double value = MandatoryValueList()->ValueAt(index) + StackedSumAt(index, false);
    if (FMultiBar != mbStacked100)
        return value;
    const double total = StackedSumAt(index, true);
    if (total == 0) {
        zeroTotal = true;
        return 0;
    }
    return value * 100.0 / total;
}

int TCustomBarSeries::OriginPos(int index, int defaultPixel) const {
    if (FMultiBar == mbStacked)
        return CalcPosValue(StackedSumAt(index, false));
    if (FMultiBar == mbStacked100) {
        const double total = StackedSumAt(index, true);
        // A total of 0 stands at the pixel of value 0.
        return CalcPosValue(total == 0 ? 0.0 : StackedSumAt(index, false) * 100.0 / total);
    }
    return FUseYOrigin ? CalcPosValue(FYOrigin) : defaultPixel;
}

void TCustomBarSeries::CalcBarWidth() {
    if (FCustomBarWidth != 0) {
        FBarWidth = FCustomBarWidth;
        return;
    }
    int n = Count();
    int k = 1;
    TCustomAxisPanel* chart = ParentChart();
    if (chart && FMultiBar == mbSide) {
        const std::vector<TCustomBarSeries*> family = BarFamily();
        k = std::max<int>(1, int(family.size()));
        for (TCustomBarSeries* bar : family)
            n = std::max(n, bar->Count());
    }
    if (chart && chart->MaxPointsPerPage() > 0)
        n = chart->MaxPointsPerPage();
    TCustomChartAxis* axis = LayoutAxis();
    if (n <= 0 || !axis) {
        FBarWidth = 0;
        return;
    }
    const int size = axis->IAxisSize();
    int room;
    if (FAutoBarSize)
        room = int(Round(size / (axis->Maximum() + 2 - axis->Minimum())));
    else
        room = FSideMargins ? size / (n + 1) : size / n;
    int width = int(Round(FBarWidthPercent * room / 100.0)) / k;
    if (width % 2 != 0)
        ++width;
    FBarWidth = width;
}

int TCustomBarSeries::BarSpace() const {
    const int k = SideCount();
    return FSideMargins ? k * FBarWidth : k * FBarWidth / 2;
}

int TCustomBarSeries::MarkSpace(int index) {
    if (Count() == 0 || !Marks()->Visible() || !ParentChart())
        return 0;
    ParentChart()->AssignCanvasFont(Marks()->Font());
    int result = BarLabelExtent(index) + Marks()->ArrowLength();
    if (Marks()->Frame()->Visible())
        result += 2 * Marks()->Frame()->Width();
    return result;
}

void TCustomBarSeries::DoBeforeDrawValues() {
    CalcBarWidth();
    TChartSeries::DoBeforeDrawValues();
}

void TCustomBarSeries::PrepareForGallery(bool keepColor) {
    TChartSeries::PrepareForGallery(keepColor);
    SetBarWidthPercent(85);
    SetMultiBar(mbNone);
}

int TCustomBarSeries::ValueIndexAt(int x, int y) {
    if (!ParentChart() || FirstValueIndex() < 0)
        return -1;
    ParentChart()->Canvas3D()->ScreenToSpace(x, y, StartZ());
    const TPoint p(x, y);
    for (int i = FirstValueIndex(); i <= LastValueIndex() && i < Count(); ++i)
        if (PointInBar(i, p))
            return i;
    return -1;
}

void TCustomBarSeries::CalcZOrder() {
    if (FMultiBar != mbNone) {
        for (TCustomBarSeries* bar : BarFamily()) {
            if (bar == this)
                break;
            SetZOrder(bar->ZOrder());
            return;
        }
    }
    TChartSeries::CalcZOrder();
}

void TCustomBarSeries::DrawLegendShape(int legendIndex, const TRect& r) {
    if (FBarBrush->Bitmap() && !FBarBrush->Bitmap()->Empty())
        ParentChart()->Canvas3D()->Brush()->SetBitmap(FBarBrush->Bitmap());
    TChartSeries::DrawLegendShape(legendIndex, r);
    ParentChart()->Canvas3D()->Brush()->SetBitmap(nullptr);
}

void TCustomBarSeries::PrepareLegendCanvas(int /*legendIndex*/, TColor& backColor,
                                           TBrushStyle& brushStyle) {
    ParentChart()->Canvas3D()->UseChartPen(FBarPen.get());
    brushStyle = FBarBrush->Style();
    backColor = FBarBrush->Color() == clAutoColor ? ParentChart()->Color() : FBarBrush->Color();
}

void TCustomBarSeries::PrepareBarCanvas(TColor color) {
    TCustomAxisPanel* chart = ParentChart();
    TChartCanvas3D* canvas = chart->Canvas3D();
    canvas->UseChartPen(FBarPen.get());
    if (FBarPen->Visible())
        chart->AdjustPenForPrinter(canvas->Pen());
    if (FBarBrush->Bitmap() && !FBarBrush->Bitmap()->Empty()) {
        canvas->Brush()->SetBitmap(FBarBrush->Bitmap());
        return;
    }
    canvas->Brush()->SetBitmap(nullptr);
    const TColor back = FBarBrush->Color() == clAutoColor ? chart->Color() : FBarBrush->Color();
    chart->PrepareBrush(color, FBarBrush->Style(), back);
}

void TCustomBarSeries::DrawBarRectangle(const TRect& r) {
    TChartCanvas3D* canvas = ParentChart()->Canvas3D();
    TPen* pen = canvas->Pen();
    TBrush* brush = canvas->Brush();
    if (brush->Style() == bsSolid) {
        if (r.Left == r.Right || r.Top == r.Bottom) {
            // An empty bar is a line in the bar's colour.
            pen->SetColor(brush->Color());
            if (pen->Style() == psClear)
                pen->SetStyle(psSolid);
            canvas->DrawSegment(r.Left, r.Top, r.Right, r.Bottom);
            return;
        }
        if (r.Width() < pen->Width() || r.Height() < pen->Width()) {
            pen->SetColor(brush->Color());
            brush->SetStyle(bsClear);
        }
    }
    canvas->DrawRectangle(r.Left, r.Top, r.Right, r.Bottom);
}

// ---- TBarSeries

TBarSeries::TBarSeries(TComponent* owner) : TCustomBarSeries(owner) {}

void TBarSeries::Publish(TPublisher<TBarSeries>& p) {
    using T = TCustomBarSeries;
    p.Integer("CustomBarWidth", &T::CustomBarWidth, &T::SetCustomBarWidth).Default(0);
}

int TBarSeries::CalcXPos(int index) const {
    int x = CalcXPosValue(XValueAt(index));
    if (MultiBar() == mbSide)
        x += int(Round((SideOrder() - SideCount() * 0.5 - 1) * FBarWidth));
    else
        x -= FBarWidth / 2;
    return x + int(Round(OffsetPercent() * FBarWidth / 100.0));
}

int TBarSeries::CalcYPos(int index) const {
    if (MultiBar() == mbNone || MultiBar() == mbSide)
        return TCustomBarSeries::CalcYPos(index);
    bool zeroTotal = false;
    return CalcYPosValue(StackedValue(index, zeroTotal));
}

double TBarSeries::MaxYValue() const {
    if (MultiBar() == mbStacked100)
        return 100;
    double result = TCustomBarSeries::MaxYValue();
    if (MultiBar() == mbStacked)
        for (int i = 0; i < Count(); ++i)
            result = std::max(result, YValueAt(i) + StackedSumAt(i, false));
    if (UseYOrigin())
        result = std::max(result, YOrigin());
    return result;
}

double TBarSeries::MinYValue() const {
    if (MultiBar() == mbStacked100)
        return 0;
    const double result = TCustomBarSeries::MinYValue();
    return UseYOrigin() ? std::min(result, YOrigin()) : result;
}

bool TBarSeries::DrawValuesForward() const {
    return !(GetHorizAxis() && GetHorizAxis()->Inverted());
}

bool TBarSeries::DrawSeriesForwardAt(int index) const {
    if (MultiBar() == mbNone || MultiBar() == mbSide)
        return true;
    const bool inverted = GetVertAxis() && GetVertAxis()->Inverted();
    return YValueAt(index) >= 0 ? !inverted : inverted;
}

void TBarSeries::HorizMargins(int& left, int& right) {
    CalcBarWidth();
    left = right = BarSpace();
}

void TBarSeries::VertMargins(int& top, int& bottom) {
    top = bottom = 0;
    const int a = MarkSpace(0);
    if (a <= 0)
        return;
    const bool inverted = GetVertAxis() && GetVertAxis()->Inverted();
    if (UseYOrigin() && YValues()->Lowest() < YOrigin())
        (inverted ? top : bottom) += a + 1;
    if (!(UseYOrigin() && YValues()->Highest() <= YOrigin()))
        (inverted ? bottom : top) += a + 1;
}

int TBarSeries::BarLabelExtent(int /*index*/) {
    return ParentChart()->Canvas3D()->FontHeight();
}

void TBarSeries::DrawValue(int index) {
    const TColor color = ValueColor(index);
    if (color == clNone)
        return;
    const int left = CalcXPos(index);
    const int value = CalcYPos(index);
    const int origin = OriginPos(index, GetVertAxis()->IEndPos());
    FBarBounds = TRect(left, std::min(value, origin), left + FBarWidth, std::max(value, origin));
    FBarColor = color;
    DrawBar(index, FBarBounds.Top, FBarBounds.Bottom);
}

void TBarSeries::DrawBar(int index, int top, int bottom) {
    TCustomAxisPanel* chart = ParentChart();
    TChartCanvas3D* canvas = chart->Canvas3D();
    PrepareBarCanvas(FBarColor);
    const int left = FBarBounds.Left;
    const int right = FBarBounds.Right;
    const int middle = (left + right) / 2;
    const bool is3D = chart->View3D();
    const int z0 = StartZ();
    const int z1 = EndZ();
    switch (BarStyleAt(index)) {
    case bsRectangle:
    case bsCilinder:
        if (!is3D)
            DrawBarRectangle(TRect(left, top, right, bottom));
        else if (BarStyleAt(index) == bsCilinder)
            canvas->DrawCylinder(true, left, top, right, bottom, z0, z1, Dark3D());
        else
            canvas->DrawBox(left, right, top, bottom, z0, z1, Dark3D());
        break;
    case bsPyramid:
    case bsInvPyramid: {
        const bool up = BarStyleAt(index) == bsPyramid;
        if (is3D) {
            canvas->DrawPyramid(true, left, up ? top : bottom, right, up ? bottom : top, z0, z1,
                                Dark3D());
        } else {
            const TPoint points[3] = {TPoint(left, up ? bottom : top),
                                      TPoint(middle, up ? top : bottom),
                                      TPoint(right, up ? bottom : top)};
            canvas->DrawPolygon(points, 2);
        }
        break;
    }
    case bsEllipse:
        if (is3D)
            canvas->DrawEllipseAtDepth(left, top, right, bottom, MiddleZ());
        else
            canvas->DrawEllipse(left, top, right, bottom);
        break;
    case bsArrow: {
        const int value = CalcYPos(index);
        const int origin = value == top ? bottom : top;
        canvas->DrawArrow(true, TPoint(middle, origin), TPoint(middle, value), (right - left) / 2,
                          right - left, is3D ? MiddleZ() : 0);
        break;
    }
    case bsRectGradient:
        if (is3D) {
            canvas->DrawBox(left, right, top, bottom, z0, z1, Dark3D());
            if (chart->View3DOptions()->Orthogonal()) {
                const int inset = 1 + (BarPen()->Visible() ? BarPen()->Width() : 0);
                const TPoint a = canvas->SpaceToScreen(left + inset, top + inset, z0);
                const TPoint b = canvas->SpaceToScreen(right - inset, bottom - inset, z0);
                canvas->FillGradient(TRect(a.X, a.Y, b.X, b.Y), clWhite, FBarColor, gdTopBottom);
            }
        } else {
            canvas->FillGradient(TRect(left, top, right, bottom), clWhite, FBarColor, gdTopBottom);
            if (BarPen()->Visible()) {
                canvas->Brush()->SetStyle(bsClear);
                canvas->DrawRectangle(left, top, right, bottom);
            }
        }
        break;
    }
    canvas->Brush()->SetBitmap(nullptr);
}

void TBarSeries::DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) {
    const int half = FBarWidth / 2;
    position.LeftTop.X += half;
    position.ArrowFrom.X += half;
    position.ArrowTo.X += half;
    const int origin = OriginPos(index, GetVertAxis()->IEndPos());
    int length = Marks()->ArrowLength();
    // A bar that hangs down has its mark below it.
    if (origin < position.ArrowFrom.Y)
        length = -(length + position.Height);
    position.LeftTop.Y -= length;
    position.ArrowTo.Y -= length;
    TCustomBarSeries::DrawMark(index, text, position);
}

bool TBarSeries::PointInBar(int index, const TPoint& p) {
    const int left = CalcXPos(index);
    const int right = left + FBarWidth;
    if (p.X < left || p.X > right)
        return false;
    const int value = CalcYPos(index);
    const int origin = OriginPos(index, GetVertAxis()->IEndPos());
    const int top = std::min(value, origin);
    const int bottom = std::max(value, origin);
    switch (BarStyle()) {
    case bsPyramid:
        return InsideTriangle(p, left, right, bottom, top);
    case bsInvPyramid:
        return InsideTriangle(p, left, right, top, bottom);
    case bsEllipse:
        return InsideEllipse(p, TRect(left, top, right, bottom));
    default:
        return p.Y >= top && p.Y <= bottom;
    }
}

// ---- THorizBarSeries

THorizBarSeries::THorizBarSeries(TComponent* owner) : TCustomBarSeries(owner) {
    YValues()->SetName(SValuesY);
    YValues()->SetOrder(loAscending);
    XValues()->SetName("Bar");
    XValues()->SetOrder(loNone);
}

void THorizBarSeries::Publish(TPublisher<THorizBarSeries>& p) {
    using T = TCustomBarSeries;
    p.Integer("CustomBarHeight", &T::CustomBarWidth, &T::SetCustomBarWidth).Default(0);
}

int THorizBarSeries::CalcYPos(int index) const {
    int y = CalcYPosValue(YValueAt(index));
    if (MultiBar() == mbSide)
        y += int(Round((SideCount() * 0.5 - SideOrder()) * FBarWidth));
    else
        y -= FBarWidth / 2;
    return y + int(Round(OffsetPercent() * FBarWidth / 100.0));
}

int THorizBarSeries::CalcXPos(int index) const {
    if (MultiBar() == mbNone || MultiBar() == mbSide)
        return TCustomBarSeries::CalcXPos(index);
    bool zeroTotal = false;
    return CalcXPosValue(StackedValue(index, zeroTotal));
}

double THorizBarSeries::MaxXValue() const {
    if (MultiBar() == mbStacked100)
        return 100;
    double result = TCustomBarSeries::MaxXValue();
    if (MultiBar() == mbStacked)
        for (int i = 0; i < Count(); ++i)
            result = std::max(result, XValueAt(i) + StackedSumAt(i, false));
    if (UseYOrigin())
        result = std::max(result, YOrigin());
    return result;
}

double THorizBarSeries::MinXValue() const {
    if (MultiBar() == mbStacked100)
        return 0;
    const double result = TCustomBarSeries::MinXValue();
    return UseYOrigin() ? std::min(result, YOrigin()) : result;
}

bool THorizBarSeries::DrawValuesForward() const {
    return !(GetVertAxis() && GetVertAxis()->Inverted());
}

bool THorizBarSeries::DrawSeriesForwardAt(int index) const {
    if (MultiBar() == mbNone || MultiBar() == mbSide)
        return true;
    const bool inverted = GetHorizAxis() && GetHorizAxis()->Inverted();
    return XValueAt(index) >= 0 ? !inverted : inverted;
}

void THorizBarSeries::VertMargins(int& top, int& bottom) {
    CalcBarWidth();
    top = bottom = BarSpace();
}

void THorizBarSeries::HorizMargins(int& left, int& right) {
    left = right = 0;
    int a = MarkSpace(-1);
    if (a <= 0)
        return;
    ++a;
    const bool inverted = GetHorizAxis() && GetHorizAxis()->Inverted();
    if (UseYOrigin() && XValues()->Lowest() < YOrigin())
        (inverted ? right : left) += a;
    if (!(UseYOrigin() && XValues()->Highest() <= YOrigin()))
        (inverted ? left : right) += a;
}

int THorizBarSeries::BarLabelExtent(int index) {
    if (index == -1)
        return MaxMarkWidth();
    return ParentChart()->Canvas3D()->MeasureTextWidth(GetMarkText(index));
}

void THorizBarSeries::FillSampleValues(int count) {
    if (count <= 0)
        throw BarException(SFillSample);
    ClearValues();
    double x = 1000 + Random(1000);
    double y = GetVertAxis() ? GetVertAxis()->Minimum() : 0;
    for (int i = 0; i < count; ++i) {
        AppendPointQuietly(x, y, {}, clAutoColor);
        x += Random(500) - 250;
        y += 1;
    }
    NotifyDependents(scRefresh);
    RepaintChart();
}

void THorizBarSeries::DrawValue(int index) {
    const TColor color = ValueColor(index);
    if (color == clNone)
        return;
    const int top = CalcYPos(index);
    const int value = CalcXPos(index);
    const int origin = OriginPos(index, GetHorizAxis()->IStartPos());
    FBarBounds = TRect(std::min(value, origin), top, std::max(value, origin), top + FBarWidth);
    FBarColor = color;
    DrawBar(index, FBarBounds.Left, FBarBounds.Right);
}

void THorizBarSeries::DrawBar(int index, int left, int right) {
    TCustomAxisPanel* chart = ParentChart();
    TChartCanvas3D* canvas = chart->Canvas3D();
    PrepareBarCanvas(FBarColor);
    const int top = FBarBounds.Top;
    const int bottom = FBarBounds.Bottom;
    const int middle = (top + bottom) / 2;
    const bool is3D = chart->View3D();
    const int z0 = StartZ();
    const int z1 = EndZ();
    switch (BarStyleAt(index)) {
    case bsRectangle:
    case bsCilinder:
        if (!is3D)
            DrawBarRectangle(TRect(left, top, right, bottom));
        else if (BarStyleAt(index) == bsCilinder)
            canvas->DrawCylinder(false, left, top, right, bottom, z0, z1, Dark3D());
        else
            canvas->DrawBox(left, right, top, bottom, z0, z1, Dark3D());
        break;
    case bsPyramid:
    case bsInvPyramid: {
        const bool toRight = BarStyleAt(index) == bsPyramid;
        if (is3D) {
            canvas->DrawPyramid(false, toRight ? left : right, top, toRight ? right : left, bottom,
                                z0, z1, Dark3D());
        } else {
            const TPoint points[3] = {TPoint(toRight ? left : right, top),
                                      TPoint(toRight ? right : left, middle),
                                      TPoint(toRight ? left : right, bottom)};
            canvas->DrawPolygon(points, 2);
        }
        break;
    }
    case bsEllipse:
        if (is3D)
            canvas->DrawEllipseAtDepth(left, top, right, bottom, MiddleZ());
        else
            canvas->DrawEllipse(left, top, right, bottom);
        break;
    case bsArrow: {
        const int value = CalcXPos(index);
        const int origin = value == left ? right : left;
        canvas->DrawArrow(true, TPoint(origin, middle), TPoint(value, middle), (bottom - top) / 2,
                          bottom - top, is3D ? MiddleZ() : 0);
        break;
    }
    case bsRectGradient:
        if (is3D) {
            canvas->DrawBox(left, right, top, bottom, z0, z1, Dark3D());
            if (chart->View3DOptions()->Orthogonal()) {
                const int inset = 1 + (BarPen()->Visible() ? BarPen()->Width() : 0);
                const TPoint a = canvas->SpaceToScreen(left + inset, top + inset, z0);
                const TPoint b = canvas->SpaceToScreen(right - inset, bottom - inset, z0);
                canvas->FillGradient(TRect(a.X, a.Y, b.X, b.Y), clWhite, FBarColor, gdLeftRight);
            }
        } else {
            canvas->FillGradient(TRect(left, top, right, bottom), clWhite, FBarColor, gdLeftRight);
            if (BarPen()->Visible()) {
                canvas->Brush()->SetStyle(bsClear);
                canvas->DrawRectangle(left, top, right, bottom);
            }
        }
        break;
    }
    canvas->Brush()->SetBitmap(nullptr);
}

void THorizBarSeries::DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) {
    const int origin = OriginPos(index, GetHorizAxis()->IStartPos());
    int length = Marks()->ArrowLength();
    // A bar that grows to the left has its mark on the left.
    if (position.ArrowFrom.X < origin)
        length = -(length + position.Width);
    const int half = FBarWidth / 2;
    position.LeftTop.X += length + position.Width / 2;
    position.LeftTop.Y += half + position.Height / 2;
    position.ArrowTo.X += length;
    position.ArrowFrom.Y += half;
    position.ArrowTo.Y += half;
    TCustomBarSeries::DrawMark(index, text, position);
}

bool THorizBarSeries::PointInBar(int index, const TPoint& p) {
    const int top = CalcYPos(index);
    const int bottom = top + FBarWidth;
    if (p.Y < top || p.Y > bottom)
        return false;
    const int value = CalcXPos(index);
    const int origin = OriginPos(index, GetHorizAxis()->IStartPos());
    const int left = std::min(value, origin);
    const int right = std::max(value, origin);
    switch (BarStyle()) {
    case bsPyramid:
        return InsideSideTriangle(p, top, bottom, right, left);
    case bsInvPyramid:
        return InsideSideTriangle(p, top, bottom, left, right);
    case bsEllipse:
        return InsideEllipse(p, TRect(left, top, right, bottom));
    default:
        return p.X >= left && p.X <= right;
    }
}

// ---------------------------------------------------------------------------
// Round series

TCircledSeries::TCircledSeries(TComponent* owner) : TChartSeries(owner) {
    XValues()->SetName("Angle");
    SetCalcVisiblePoints(false);
}

TCircledSeries::~TCircledSeries() {
    AdjustParentChart(true);
}

void TCircledSeries::Publish(TPublisher<TCircledSeries>& /*p*/) {}

void TCircledSeries::AssignFrom(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TCircledSeries*>(source)) {
        FCircled = s->FCircled;
        FRotationAngle = s->FRotationAngle;
        FRotationRadians = s->FRotationRadians;
        FCustomXRadius = s->FCustomXRadius;
        FCustomYRadius = s->FCustomYRadius;
        FCircleBackColor = s->FCircleBackColor;
    }
    TChartSeries::AssignFrom(source);
}

template <class F> void TCircledSeries::ForEachOfClass(F f) {
    f(this);
    if (TCustomAxisPanel* chart = ParentChart())
        for (TChartSeries* s : chart->SeriesList())
            if (s != this && s->ClassType() == ClassType())
                f(static_cast<TCircledSeries*>(s));
    RepaintChart();
}

void TCircledSeries::SetCircled(bool value) {
    ForEachOfClass([value](TCircledSeries* s) { s->FCircled = value; });
}

void TCircledSeries::SetCustomXRadius(int value) {
    ForEachOfClass([value](TCircledSeries* s) { s->FCustomXRadius = value; });
}

void TCircledSeries::SetCustomYRadius(int value) {
    ForEachOfClass([value](TCircledSeries* s) { s->FCustomYRadius = value; });
}

void TCircledSeries::SetRotationAngle(int value) {
    if (value < 0)
        throw PieException(Format(SAngleRange, {"Rotation"}));
    const int angle = value % 360;
    FRotationRadians = angle * std::numbers::pi / 180.0;
    SetIntegerProperty(FRotationAngle, angle);
}

void TCircledSeries::SetActive(bool value) {
    TChartSeries::SetActive(value);
    AdjustParentChart(!value);
}

void TCircledSeries::SetParentChart(TCustomAxisPanel* value) {
    if (value == ParentChart())
        return;
    if (ParentChart())
        AdjustParentChart(true);
    TChartSeries::SetParentChart(value);
    if (value && Active())
        AdjustParentChart(false);
}

void TCircledSeries::AdjustParentChart(bool axesOn) {
    TCustomAxisPanel* panel = ParentChart();
    if (!panel || panel->IsDestroying() || panel->PanelDestroying())
        return;
    if (axesOn) {
        // Other round series keep the chart out of axis mode.
        bool others = false;
        bool allRound = true;
        for (TChartSeries* s : panel->SeriesList()) {
            if (s == this)
                continue;
            others = true;
            if (!dynamic_cast<TCircledSeries*>(s))
                allRound = false;
        }
        if (others && allRound)
            return;
    }
    panel->SetAxisVisible(axesOn);
    panel->SetClipPoints(axesOn);
    panel->SetView3DWalls(axesOn);
    if (auto* chart = dynamic_cast<TCustomChart*>(panel)) {
        chart->Frame()->SetVisible(axesOn);
        chart->BackWall()->Brush()->SetStyle(axesOn ? bsSolid : bsClear);
    }
    panel->SetAllowZoom(axesOn);
    panel->SetAllowPanning(axesOn ? pmBoth : pmNone);
    if (!panel->Canvas3D()->CanRotateFully()) {
        TView3DOptions* options = panel->View3DOptions();
        options->SetOrthogonal(false);
        options->SetRotation(360);
        options->SetElevation(315);
        options->SetPerspective(0);
        options->SetTilt(0);
    }
}

TColor TCircledSeries::BackColorUsed() const {
    if (FCircleBackColor != clAutoColor)
        return FCircleBackColor;
    TCustomAxisPanel* chart = ParentChart();
    if (!chart)
        return clWhite;
    if (chart->ChartBackColor() != clAutoColor)
        return chart->ChartBackColor();
    return chart->Color();
}

void TCircledSeries::PrepareLegendCanvas(int /*legendIndex*/, TColor& backColor,
                                         TBrushStyle& /*brushStyle*/) {
    backColor = BackColorUsed();
}

void TCircledSeries::AdjustCircleRect() {
    TRect& r = FCircleRect;
    if (r.Width() % 2 != 0)
        --r.Right;
    if (r.Height() % 2 != 0)
        --r.Bottom;
    if (r.Width() < 4)
        r.Right = r.Left + 4;
    if (r.Height() < 4)
        r.Bottom = r.Top + 4;
    FCircleWidth = r.Width();
    FCircleHeight = r.Height();
    FCircleXCenter = (r.Left + r.Right) / 2;
    FCircleYCenter = (r.Top + r.Bottom) / 2;
}

void TCircledSeries::CalcRadius() {
    FXRadius = FCustomXRadius != 0 ? FCustomXRadius : FCircleWidth / 2;
    FYRadius = FCustomYRadius != 0 ? FCustomYRadius : FCircleHeight / 2;
    FCircleRect = TRect(FCircleXCenter - FXRadius, FCircleYCenter - FYRadius,
                        FCircleXCenter + FXRadius, FCircleYCenter + FYRadius);
    FCircleWidth = FCircleRect.Width();
    FCircleHeight = FCircleRect.Height();
}

void TCircledSeries::DoBeforeDrawValues() {
    TChartSeries::DoBeforeDrawValues();
    TCustomAxisPanel* chart = ParentChart();
    if (!chart)
        return;
    TChartCanvas3D* canvas = chart->Canvas3D();
    FCircleRect = chart->ChartRect();
    AdjustCircleRect();
    if (Marks()->Visible()) {
        int a = Marks()->ArrowLength();
        if (Marks()->Frame()->Visible())
            a += 2 * Marks()->Frame()->Width();
        const int widest = chart->MaxMarkWidth();
        chart->AssignCanvasFont(Marks()->Font());
        // The room a mark takes beyond the circle: its arrow's reach (the arrow length plus
        // a line height, or a "W", as DrawMark places it) and the whole mark past that end.
        const int markHeight = canvas->FontHeight();
        const int markWidth = widest + canvas->MeasureTextWidth("W");
        const int vertical = a + canvas->FontHeight() + markHeight;
        const int horizontal = canvas->MeasureTextWidth("W") + markWidth + a;
        FCircleRect.Top += vertical;
        FCircleRect.Bottom -= vertical;
        FCircleRect.Left += horizontal;
        FCircleRect.Right -= horizontal;
        AdjustCircleRect();
    }
    if (FCircled) {
        // Square screen pixels: the same number of pixels per millimetre both ways.
        const double aspect = 1.0;
        CalcRadius();
        if (int(Round(FYRadius * aspect)) < FXRadius) {
            const int d = FXRadius - int(Round(FYRadius * aspect));
            FCircleRect.Left += d;
            FCircleRect.Right -= d;
        } else {
            const int d = FYRadius - int(Round(FXRadius / aspect));
            FCircleRect.Top += d;
            FCircleRect.Bottom -= d;
        }
        AdjustCircleRect();
    }
    CalcRadius();
}

double TCircledSeries::AngleOfPoint(int x, int y) const {
    double angle;
    if (x == FCircleXCenter) {
        angle = y < FCircleYCenter ? std::numbers::pi / 2 : -std::numbers::pi / 2;
    } else if (FYRadius == 0 || FXRadius == 0) {
        angle = 0;
    } else {
        angle = std::atan2(double(FCircleYCenter - y) / FYRadius,
                           double(x - FCircleXCenter) / FXRadius);
    }
    const double turn = 2 * std::numbers::pi;
    if (angle < 0)
        angle += turn;
    angle -= FRotationRadians;
    if (angle < 0)
        angle += turn;
    return angle;
}

// ---------------------------------------------------------------------------
// The pie

const TTypeInfo* TypeInfoTPieOtherStyle() {
    static const TTypeInfo info =
        MakeEnumType("TPieOtherStyle", {"poNone", "poBelowPercent", "poBelowValue"});
    return &info;
}

TPieOtherSlice::TPieOtherSlice(TPieSeries* owner) : FOwner(owner) {}

void TPieOtherSlice::Publish(TPublisher<TPieOtherSlice>& p) {
    using T = TPieOtherSlice;
    p.Enum("Style", TypeInfoTPieOtherStyle(), &T::Style, &T::SetStyle).Default(poNone);
    p.String("Text", &T::Text, &T::SetText).Default("Other");
    p.Float("Value", &T::Value, &T::SetValue).Default(0.0);
}

void TPieOtherSlice::AssignFrom(const TPersistent* source) {
    auto* s = dynamic_cast<const TPieOtherSlice*>(source);
    if (!s) {
        TPersistent::AssignFrom(source);
        return;
    }
    FStyle = s->FStyle;
    FText = s->FText;
    FValue = s->FValue;
    Repaint();
}

void TPieOtherSlice::Repaint() {
    if (FOwner)
        FOwner->RepaintChart();
}

void TPieOtherSlice::SetStyle(TPieOtherStyle value) {
    if (FStyle == value)
        return;
    FStyle = value;
    Repaint();
}

void TPieOtherSlice::SetText(const std::string& value) {
    if (FText == value)
        return;
    FText = value;
    Repaint();
}

void TPieOtherSlice::SetValue(double value) {
    if (FValue == value)
        return;
    FValue = value;
    Repaint();
}

TPieSeries::TPieSeries(TComponent* owner) : TCircledSeries(owner) {
    FPiePen = std::make_unique<TChartPen>(TNotifyEvent(this, &TPieSeries::PartChanged));
    FOtherSlice = std::make_unique<TPieOtherSlice>(this);
    XValues()->SetName("");
    // Slices keep the order they were added in.
    XValues()->SetOrder(loNone);
    YValues()->SetName("Pie");
    Marks()->SetVisible(true);
    Marks()->SetArrowLength(8);
    SetColorEachPoint(true);
}

TPieSeries::~TPieSeries() = default;

void TPieSeries::Publish(TPublisher<TPieSeries>& p) {
    using T = TPieSeries;
    p.Class("PieValues", TChartValueList::StaticClass(), &T::PieValues, &T::SetPieValues);
    p.Ordinal("CircleBackColor", TypeInfoTColor(), &TCircledSeries::CircleBackColor,
              &TCircledSeries::SetCircleBackColor)
        .Default(int64_t(clAutoColor));
    p.Bool("Dark3D", &T::Dark3D, &T::SetDark3D).Default(true);
    p.Integer("ExplodeBiggest", &T::ExplodeBiggest, &T::SetExplodeBiggest).Default(0);
    p.Class("OtherSlice", TPieOtherSlice::StaticClass(), &T::OtherSlice, &T::SetOtherSlice);
    p.Class("PiePen", TChartPen::StaticClass(), &T::PiePen, &T::SetPiePen);
    p.Integer("RotationAngle", &TCircledSeries::RotationAngle, &TCircledSeries::SetRotationAngle)
        .Default(0);
    p.Bool("UsePatterns", &T::UsePatterns, &T::SetUsePatterns).Default(false);
    p.Bool("Circled", &TCircledSeries::Circled, &TCircledSeries::SetCircled).Default(false);
    p.Integer("CustomXRadius", &TCircledSeries::CustomXRadius, &TCircledSeries::SetCustomXRadius)
        .Default(0);
    p.Integer("CustomYRadius", &TCircledSeries::CustomYRadius, &TCircledSeries::SetCustomYRadius)
        .Default(0);
}

void TPieSeries::PartChanged(TObject* /*sender*/) {
    RepaintChart();
}

void TPieSeries::AssignFrom(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TPieSeries*>(source)) {
        FDark3D = s->FDark3D;
        FExploded = s->FExploded;
        FExplodeBiggest = s->FExplodeBiggest;
        FPiePen->AssignFrom(s->FPiePen.get());
        FOtherSlice->AssignFrom(s->FOtherSlice.get());
        FUsePatterns = s->FUsePatterns;
    }
    TCircledSeries::AssignFrom(source);
    SetColorEachPoint(true);
}

void TPieSeries::ClearLists() {
    TCircledSeries::ClearLists();
    FExploded.clear();
    FAngles.clear();
}

int TPieSeries::Explode(int index) const {
    return index >= 0 && index < int(FExploded.size()) ? FExploded[size_t(index)] : 0;
}

void TPieSeries::SetExplode(int index, int percent) {
    if (index < 0)
        return;
    if (int(FExploded.size()) <= index)
        FExploded.resize(size_t(index) + 1, 0);
    if (FExploded[size_t(index)] == percent)
        return;
    FExploded[size_t(index)] = percent;
    RepaintChart();
}

void TPieSeries::ExplodeBiggestSlice() {
    if (Count() == 0)
        return;
    int biggest = 0;
    for (int i = 1; i < Count(); ++i)
        if (YValueAt(i) > YValueAt(biggest))
            biggest = i;
    if (int(FExploded.size()) <= biggest)
        FExploded.resize(size_t(biggest) + 1, 0);
    FExploded[size_t(biggest)] = FExplodeBiggest;
}

void TPieSeries::SetExplodeBiggest(int value) {
    SetIntegerProperty(FExplodeBiggest, value);
    ExplodeBiggestSlice();
}

double TPieSeries::PercentTotal() const {
    double total = 0;
    for (int i = 0; i < Count(); ++i)
        if (!IsHiddenSlice(i))
            total += std::fabs(YValueAt(i));
    return total;
}

void TPieSeries::PrepareDraw() {
    // The lists change quietly here: this runs while a frame is being drawn.
    if (PieValues()->Order() != loNone)
        PieValues()->SortByOrder();
    for (int i = 0; i < Count(); ++i) {
        if (XValueAt(i) == kOtherSlice) {
            DeletePointQuietly(i);
            break;
        }
    }
    XValues()->NumberSequentially();
    if (FOtherSlice->Style() == poNone)
        return;
    double total = 0;
    for (int i = 0; i < Count(); ++i)
        total += std::fabs(YValueAt(i));
    double grouped = 0;
    for (int i = 0; i < Count(); ++i) {
        const double value = YValueAt(i);
        const double measure = FOtherSlice->Style() == poBelowPercent
                                   ? (total == 0 ? 0 : std::fabs(value) * 100.0 / total)
                                   : value;
        if (measure < FOtherSlice->Value()) {
            XValues()->StoreValue(i, kHiddenSlice);
            grouped += value;
        }
    }
    if (grouped != 0)
        AppendPointQuietly(kOtherSlice, grouped, FOtherSlice->Text(), clAutoColor);
}

void TPieSeries::CalcAngles() {
    const int n = Count();
    FAngles.assign(size_t(n), TSliceAngles{});
    const double turn = 2 * std::numbers::pi;
    const double total = PercentTotal();
    double sum = 0;
    double start = 0;
    for (int i = 0; i < n; ++i) {
        TSliceAngles& a = FAngles[size_t(i)];
        if (total == 0) {
            // Nothing to share: every slice is a full turn.
            a.Start = 0;
            a.End = turn;
        } else {
            a.Start = start;
            if (!IsHiddenSlice(i))
                sum += std::fabs(YValueAt(i));
            a.End = sum == total ? turn : sum * turn / total;
            if (a.End > a.Start + turn)
                a.End = a.Start + turn;
        }
        a.Middle = (a.Start + a.End) / 2;
        start = a.End;
    }
}

TPoint TPieSeries::PointOnEllipse(double angle, int xRadius, int yRadius) const {
    const double a = angle + RotationRadians();
    return TPoint(CircleXCenter() + int(Round(std::cos(a) * xRadius)),
                  CircleYCenter() - int(Round(std::sin(a) * yRadius)));
}

TBrushStyle TPieSeries::PatternOfIndex(int index) {
    static const TBrushStyle patterns[6] = {bsHorizontal, bsVertical, bsFDiagonal,
                                            bsBDiagonal,  bsCross,    bsDiagCross};
    return patterns[std::abs(index) % 6];
}

void TPieSeries::ExplodeOffset(int index, int& dx, int& dy) const {
    dx = dy = 0;
    const int percent = Explode(index);
    if (!FAnyExploded || percent <= 0 || index >= int(FAngles.size()))
        return;
    const double a = FAngles[size_t(index)].Middle + RotationRadians();
    dx = int(Round(std::cos(a) * XRadius() * percent / 100.0));
    dy = int(Round(std::sin(a) * YRadius() * percent / 100.0));
}

void TPieSeries::DrawAllValues() {
    if (FExplodeBiggest > 0)
        ExplodeBiggestSlice();
    int most = 0;
    for (int i = 0; i < Count(); ++i)
        most = std::max(most, Explode(i));
    CalcAngles();
    FAnyExploded = most > 0;
    if (FAnyExploded) {
        const int offsetX = int(Round(XRadius() * most / 100.0)) / 2;
        const int offsetY = int(Round(YRadius() * most / 100.0)) / 2;
        TRect r = CircleRect();
        r.Left += offsetX;
        r.Right -= offsetX;
        r.Top += offsetY;
        r.Bottom -= offsetY;
        SetCircleRect(r);
        AdjustCircleRect();
        CalcRadius();
    }
    FStartPoint = PointOnEllipse(0, XRadius(), YRadius());
    std::vector<int> order(static_cast<size_t>(Count()));
    for (int i = 0; i < Count(); ++i)
        order[size_t(i)] = i;
    if (ParentChart()->View3D() && FAnyExploded) {
        // The slices nearest the back are drawn first.
        const double turn = 2 * std::numbers::pi;
        auto distance = [&](int i) {
            const double a = std::fmod(FAngles[size_t(i)].Middle + RotationRadians(), turn);
            const double d = std::fabs(a - std::numbers::pi / 2);
            return std::min(d, turn - d);
        };
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return distance(a) < distance(b); });
    }
    if (ParentChart()->View3D() && !FAnyExploded) {
        // A whole pie: every slice's rim and sides, then the faces over them.
        FSliceParts = ppSides;
        for (int i : order)
            DrawValue(i);
        FSliceParts = ppFace;
        for (int i : order)
            DrawValue(i);
        FSliceParts = ppWhole;
        return;
    }
    for (int i : order)
        DrawValue(i);
}

void TPieSeries::DrawValue(int index) {
    if (CircleWidth() < 5 || CircleHeight() < 5 || IsHiddenSlice(index) ||
        index >= int(FAngles.size()))
        return;
    TCustomAxisPanel* chart = ParentChart();
    const TColor color = ValueColor(index);
    chart->Canvas3D()->Brush()->SetBitmap(nullptr);
    chart->PrepareBrush(color, FUsePatterns ? PatternOfIndex(index) : bsSolid, BackColorUsed());
    DrawSlice(index);
}

void TPieSeries::DrawSlice(int index) {
    TCustomAxisPanel* chart = ParentChart();
    TChartCanvas3D* canvas = chart->Canvas3D();
    canvas->UseChartPen(FPiePen.get());
    int dx = 0, dy = 0;
    ExplodeOffset(index, dx, dy);
    const TSliceAngles& a = FAngles[size_t(index)];
    const double rotation = RotationRadians();
    if (chart->View3D()) {
        const int x = CircleXCenter() + (canvas->CanRotateFully() ? -dx : dx);
        canvas->DrawSolidPieSlice(x, CircleYCenter() - dy, XRadius(), YRadius(), a.Start + rotation,
                                  a.End + rotation, StartZ(), EndZ(),
                                  // A whole pie's radial sides lie inside it.
                                  FDark3D && FSliceParts == ppWhole, FSliceParts);
        return;
    }
    FEndPoint = PointOnEllipse(a.End, XRadius(), YRadius());
    const bool fullTurn = a.End - a.Start >= 2 * std::numbers::pi - 1e-12;
    if (FEndPoint != FStartPoint || Count() == 1 || fullTurn) {
        const TRect& r = CircleRect();
        canvas->DrawPieSlice(r.Left + dx, r.Top - dy, r.Right + dx, r.Bottom - dy,
                             FStartPoint.X + dx, FStartPoint.Y - dy, FEndPoint.X + dx,
                             FEndPoint.Y - dy);
        FStartPoint = FEndPoint;
    }
}

void TPieSeries::DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) {
    if (IsHiddenSlice(index) || index >= int(FAngles.size()))
        return;
    TCustomAxisPanel* chart = ParentChart();
    TChartCanvas3D* canvas = chart->Canvas3D();
    const double f = 1 + (FAnyExploded ? Explode(index) : 0) / 100.0;
    const double middle = FAngles[size_t(index)].Middle;
    const int rx = int(Round(XRadius() * f));
    const int ry = int(Round(YRadius() * f));
    position.ArrowFrom = PointOnEllipse(middle, rx, ry);
    const int length = Marks()->ArrowLength();
    position.ArrowTo = PointOnEllipse(middle, rx + canvas->MeasureTextWidth("W") + length,
                                      ry + canvas->FontHeight() + length);
    position.LeftTop.X = position.ArrowTo.X > CircleXCenter() ? position.ArrowTo.X
                                                              : position.ArrowTo.X - position.Width;
    position.LeftTop.Y = position.ArrowTo.Y > CircleYCenter()
                             ? position.ArrowTo.Y
                             : position.ArrowTo.Y - position.Height;
    Marks()->SetZPosition(EndZ());
    TCircledSeries::DrawMark(index, text, position);
}

int TPieSeries::LegendItemCount() const {
    int count = 0;
    for (int i = 0; i < Count(); ++i)
        if (!IsHiddenSlice(i))
            ++count;
    return count;
}

int TPieSeries::LegendToValueIndex(int legendIndex) const {
    int row = -1;
    for (int i = 0; i < Count(); ++i) {
        if (IsHiddenSlice(i))
            continue;
        if (++row == legendIndex)
            return i;
    }
    return legendIndex;
}

double TPieSeries::MaxXValue() const {
    return GetHorizAxis() ? GetHorizAxis()->Maximum() : 0;
}

double TPieSeries::MaxYValue() const {
    return GetVertAxis() ? GetVertAxis()->Maximum() : 0;
}

double TPieSeries::MinXValue() const {
    return GetHorizAxis() ? GetHorizAxis()->Minimum() : 0;
}

double TPieSeries::MinYValue() const {
    return GetVertAxis() ? GetVertAxis()->Minimum() : 0;
}

int TPieSeries::CalcXPos(int index) const {
    if (XValueAt(index) == kOtherSlice)
        return 0;
    return TCircledSeries::CalcXPos(index);
}

int TPieSeries::ValueIndexAt(int x, int y) {
    TCustomAxisPanel* chart = ParentChart();
    if (!chart || int(FAngles.size()) != Count())
        return -1;
    chart->Canvas3D()->ScreenToSpace(x, y, 0);
    const double angle = AngleOfPoint(x, y);
    for (int i = 0; i < Count(); ++i) {
        if (IsHiddenSlice(i))
            continue;
        int dx = 0, dy = 0;
        ExplodeOffset(i, dx, dy);
        const TSliceAngles& a = FAngles[size_t(i)];
        if (std::abs(x - CircleXCenter()) < XRadius() + std::abs(dx) &&
            std::abs(y - CircleYCenter()) < YRadius() + std::abs(dy) && a.Start <= angle &&
            angle <= a.End)
            return i;
    }
    return -1;
}

void TPieSeries::SwapValues(int index1, int index2) {
    TCircledSeries::SwapValues(index1, index2);
    if (int(FExploded.size()) < Count())
        FExploded.resize(size_t(Count()), 0);
    if (index1 < int(FExploded.size()) && index2 < int(FExploded.size()))
        std::swap(FExploded[size_t(index1)], FExploded[size_t(index2)]);
}

void TPieSeries::PrepareLegendCanvas(int legendIndex, TColor& backColor, TBrushStyle& brushStyle) {
    TCircledSeries::PrepareLegendCanvas(legendIndex, backColor, brushStyle);
    if (FUsePatterns)
        brushStyle = PatternOfIndex(legendIndex);
}

void TPieSeries::FillSampleValues(int count) {
    static const char* const labels[8] = {"Cars",  "Phones",    "Tables", "Monitors",
                                          "Lamps", "Keyboards", "Bikes",  "Chairs"};
    ClearValues();
    for (int i = 0; i < count; ++i)
        AppendPointQuietly(i, 1 + Random(1000), labels[i % 8], clAutoColor);
    NotifyDependents(scRefresh);
    RepaintChart();
}

void TPieSeries::PrepareGalleryChart(bool is3D) {
    TCircledSeries::PrepareGalleryChart(is3D);
    if (TCustomAxisPanel* chart = ParentChart()) {
        chart->View3DOptions()->SetOrthogonal(false);
        chart->View3DOptions()->SetRotation(0);
        chart->View3DOptions()->SetElevation(305);
    }
}

void TPieSeries::PrepareForGallery(bool keepColor) {
    TCircledSeries::PrepareForGallery(keepColor);
    FillSampleValues(8);
    if (TCustomAxisPanel* chart = ParentChart()) {
        chart->SetChart3DPercent(75);
        SetCircled(!chart->View3D());
        chart->View3DOptions()->SetOrthogonal(false);
        chart->View3DOptions()->SetRotation(0);
        chart->View3DOptions()->SetElevation(305);
    }
    SetColorEachPoint(keepColor);
}
