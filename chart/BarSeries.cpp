// Vertical and horizontal bar series: the bar width and family layout, stacking, the
// bar shapes and their hit tests, and the marks at the bar ends.

#include "chart/Series.h"

#include "chart/ChartProcs.h"

#include <algorithm>
#include <cmath>

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

// ---- Both orientations

TCustomChartAxis* TCustomBarSeries::LayoutAxis() const {
    return VerticalBars() ? GetHorizAxis() : GetVertAxis();
}

TCustomChartAxis* TCustomBarSeries::ValueAxis() const {
    return VerticalBars() ? GetVertAxis() : GetHorizAxis();
}

int TCustomBarSeries::OriginPos(int index) const {
    return VerticalBars() ? OriginPos(index, GetVertAxis()->IEndPos())
                          : OriginPos(index, GetHorizAxis()->IStartPos());
}

int TCustomBarSeries::AcrossPos(int index) const {
    const bool vertical = VerticalBars();
    int pos = vertical ? CalcXPosValue(XValueAt(index)) : CalcYPosValue(YValueAt(index));
    if (MultiBar() == mbSide) {
        // Side by side from left to right, or from the top down.
        const double slot =
            vertical ? SideOrder() - SideCount() * 0.5 - 1 : SideCount() * 0.5 - SideOrder();
        pos += int(Round(slot * FBarWidth));
    } else {
        pos -= FBarWidth / 2;
    }
    return pos + int(Round(OffsetPercent() * FBarWidth / 100.0));
}

int TCustomBarSeries::ValuePos(int index) const {
    const bool vertical = VerticalBars();
    if (MultiBar() == mbNone || MultiBar() == mbSide)
        return vertical ? TChartSeries::CalcYPos(index) : TChartSeries::CalcXPos(index);
    bool zeroTotal = false;
    const double value = StackedValue(index, zeroTotal);
    return vertical ? CalcYPosValue(value) : CalcXPosValue(value);
}

int TCustomBarSeries::CalcXPos(int index) const {
    return VerticalBars() ? AcrossPos(index) : ValuePos(index);
}

int TCustomBarSeries::CalcYPos(int index) const {
    return VerticalBars() ? ValuePos(index) : AcrossPos(index);
}

double TCustomBarSeries::MaxBarValue() const {
    if (MultiBar() == mbStacked100)
        return 100;
    const bool isX = !VerticalBars();
    double result = MandatoryValueList()->Highest();
    if (MultiBar() == mbStacked)
        for (int i = 0; i < Count(); ++i)
            result = std::max(result, GetValue(isX, i) + StackedSumAt(i, false));
    if (UseYOrigin())
        result = std::max(result, YOrigin());
    return result;
}

double TCustomBarSeries::MinBarValue() const {
    if (MultiBar() == mbStacked100)
        return 0;
    const double result = MandatoryValueList()->Lowest();
    return UseYOrigin() ? std::min(result, YOrigin()) : result;
}

bool TCustomBarSeries::DrawValuesForward() const {
    return !(LayoutAxis() && LayoutAxis()->Inverted());
}

bool TCustomBarSeries::DrawSeriesForwardAt(int index) const {
    if (MultiBar() == mbNone || MultiBar() == mbSide)
        return true;
    const bool inverted = ValueAxis() && ValueAxis()->Inverted();
    return GetValue(!VerticalBars(), index) >= 0 ? !inverted : inverted;
}

void TCustomBarSeries::HorizMargins(int& left, int& right) {
    if (VerticalBars()) {
        CalcBarWidth();
        left = right = BarSpace();
    } else {
        left = right = 0;
        ValueMargins(left, right);
    }
}

void TCustomBarSeries::VertMargins(int& top, int& bottom) {
    if (VerticalBars()) {
        top = bottom = 0;
        ValueMargins(bottom, top);
    } else {
        CalcBarWidth();
        top = bottom = BarSpace();
    }
}

void TCustomBarSeries::ValueMargins(int& low, int& high) {
    // Index -1: the widest mark of all.
    int a = MarkSpace(-1);
    if (a <= 0)
        return;
    ++a;
    const bool inverted = ValueAxis() && ValueAxis()->Inverted();
    const TChartValueList* values = MandatoryValueList();
    if (UseYOrigin() && values->Lowest() < YOrigin())
        (inverted ? high : low) += a;
    if (!(UseYOrigin() && values->Highest() <= YOrigin()))
        (inverted ? low : high) += a;
}

TRect TCustomBarSeries::BarRect(int index) const {
    const int across = VerticalBars() ? CalcXPos(index) : CalcYPos(index);
    const int value = VerticalBars() ? CalcYPos(index) : CalcXPos(index);
    const int origin = OriginPos(index);
    const int start = std::min(value, origin);
    const int end = std::max(value, origin);
    return VerticalBars() ? TRect(across, start, across + FBarWidth, end)
                          : TRect(start, across, end, across + FBarWidth);
}

void TCustomBarSeries::DrawValue(int index) {
    const TColor color = ValueColor(index);
    if (color == clNone)
        return;
    FBarBounds = BarRect(index);
    FBarColor = color;
    if (VerticalBars())
        DrawBar(index, FBarBounds.Top, FBarBounds.Bottom);
    else
        DrawBar(index, FBarBounds.Left, FBarBounds.Right);
}

void TCustomBarSeries::DrawBar(int index, int valueStart, int valueEnd) {
    TCustomAxisPanel* chart = ParentChart();
    TChartCanvas3D* canvas = chart->Canvas3D();
    PrepareBarCanvas(FBarColor);
    const bool vertical = VerticalBars();
    // Across the bar: the left and right of a vertical bar, the top and bottom of a
    // horizontal one.
    const int acrossStart = vertical ? FBarBounds.Left : FBarBounds.Top;
    const int acrossEnd = vertical ? FBarBounds.Right : FBarBounds.Bottom;
    const int middle = (acrossStart + acrossEnd) / 2;
    // The pixel at a place along the value axis and across it.
    const auto at = [vertical](int along, int across) {
        return vertical ? TPoint(across, along) : TPoint(along, across);
    };
    const TPoint first = at(valueStart, acrossStart);
    const TPoint last = at(valueEnd, acrossEnd);
    const int left = first.X;
    const int top = first.Y;
    const int right = last.X;
    const int bottom = last.Y;
    const bool is3D = chart->View3D();
    const int z0 = StartZ();
    const int z1 = EndZ();
    switch (BarStyleAt(index)) {
    case bsRectangle:
    case bsCilinder:
        if (!is3D)
            DrawBarRectangle(TRect(left, top, right, bottom));
        else if (BarStyleAt(index) == bsCilinder)
            canvas->DrawCylinder(vertical, left, top, right, bottom, z0, z1, Dark3D());
        else
            canvas->DrawBox(left, right, top, bottom, z0, z1, Dark3D());
        break;
    case bsPyramid:
    case bsInvPyramid: {
        // A pyramid points up (or right), an inverted one down (or left).
        const bool tipAtEnd = (BarStyleAt(index) == bsPyramid) != vertical;
        const int base = tipAtEnd ? valueStart : valueEnd;
        const int tip = tipAtEnd ? valueEnd : valueStart;
        if (is3D) {
            // The canvas takes the apex first for vertical pyramids, the base first for
            // horizontal ones.
            const TPoint a = at(vertical ? tip : base, acrossStart);
            const TPoint b = at(vertical ? base : tip, acrossEnd);
            canvas->DrawPyramid(vertical, a.X, a.Y, b.X, b.Y, z0, z1, Dark3D());
        } else {
            const TPoint points[3] = {at(base, acrossStart), at(tip, middle), at(base, acrossEnd)};
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
        const int value = vertical ? CalcYPos(index) : CalcXPos(index);
        const int origin = value == valueStart ? valueEnd : valueStart;
        const int width = acrossEnd - acrossStart;
        canvas->DrawArrow(true, at(origin, middle), at(value, middle), width / 2, width,
                          is3D ? MiddleZ() : 0);
        break;
    }
    case bsRectGradient: {
        const TGradientDirection direction = vertical ? gdTopBottom : gdLeftRight;
        if (is3D) {
            canvas->DrawBox(left, right, top, bottom, z0, z1, Dark3D());
            if (chart->View3DOptions()->Orthogonal()) {
                const int inset = 1 + (BarPen()->Visible() ? BarPen()->Width() : 0);
                const TPoint a = canvas->SpaceToScreen(left + inset, top + inset, z0);
                const TPoint b = canvas->SpaceToScreen(right - inset, bottom - inset, z0);
                canvas->FillGradient(TRect(a.X, a.Y, b.X, b.Y), clWhite, FBarColor, direction);
            }
        } else {
            canvas->FillGradient(TRect(left, top, right, bottom), clWhite, FBarColor, direction);
            if (BarPen()->Visible()) {
                canvas->Brush()->SetStyle(bsClear);
                canvas->DrawRectangle(left, top, right, bottom);
            }
        }
        break;
    }
    }
    canvas->Brush()->SetBitmap(nullptr);
}

bool TCustomBarSeries::PointInBar(int index, const TPoint& p) {
    const TRect r = BarRect(index);
    const bool vertical = VerticalBars();
    if (vertical ? p.X < r.Left || p.X > r.Right : p.Y < r.Top || p.Y > r.Bottom)
        return false;
    switch (BarStyle()) {
    case bsPyramid:
        return vertical ? InsideTriangle(p, r.Left, r.Right, r.Bottom, r.Top)
                        : InsideSideTriangle(p, r.Top, r.Bottom, r.Right, r.Left);
    case bsInvPyramid:
        return vertical ? InsideTriangle(p, r.Left, r.Right, r.Top, r.Bottom)
                        : InsideSideTriangle(p, r.Top, r.Bottom, r.Left, r.Right);
    case bsEllipse:
        return InsideEllipse(p, r);
    default:
        return p.X >= r.Left && p.X <= r.Right && p.Y >= r.Top && p.Y <= r.Bottom;
    }
}

// ---- TBarSeries

TBarSeries::TBarSeries(TComponent* owner) : TCustomBarSeries(owner) {}

void TBarSeries::Publish(TPublisher<TBarSeries>& p) {
    using T = TCustomBarSeries;
    p.Integer("CustomBarWidth", &T::CustomBarWidth, &T::SetCustomBarWidth).Default(0);
}

int TBarSeries::BarLabelExtent(int /*index*/) {
    return ParentChart()->Canvas3D()->FontHeight();
}

void TBarSeries::DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) {
    const int half = FBarWidth / 2;
    position.LeftTop.X += half;
    position.ArrowFrom.X += half;
    position.ArrowTo.X += half;
    const int origin = OriginPos(index);
    int length = Marks()->ArrowLength();
    // A bar that hangs down has its mark below it.
    if (origin < position.ArrowFrom.Y)
        length = -(length + position.Height);
    position.LeftTop.Y -= length;
    position.ArrowTo.Y -= length;
    TCustomBarSeries::DrawMark(index, text, position);
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

void THorizBarSeries::DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) {
    const int origin = OriginPos(index);
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
