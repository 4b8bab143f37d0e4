// Round series and the pie: the circle the series is drawn in, the slices, their
// explosion and the grouping of small slices into one.

#include "chart/Series.h"

#include "chart/Chart.h"
#include "chart/ChartProcs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

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
