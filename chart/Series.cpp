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
