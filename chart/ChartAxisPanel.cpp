// The chart panel with axes: its series list, the axes' limits and layout, depth, pages
// and the drawing of axes and series.

#include "chart/ChartEngine.h"

#include <algorithm>
#include <cmath>

bool ChartDrawAxesBeforeSeries = true;

TCustomAxisPanel::TCustomAxisPanel(TComponent* owner) : TCustomChartPanelExtended(owner) {
    FAllowInvalidate = false;
    FBottomAxis = std::make_unique<TChartAxis>(this, true, false);
    FTopAxis = std::make_unique<TChartAxis>(this, true, true);
    FLeftAxis = std::make_unique<TChartAxis>(this, false, false);
    FRightAxis = std::make_unique<TChartAxis>(this, false, true);
    FDepthAxis = std::make_unique<TChartDepthAxis>(this);
    FAxes = {FBottomAxis.get(), FTopAxis.get(), FLeftAxis.get(), FRightAxis.get(),
             FDepthAxis.get()};
    for (TCustomChartAxis* axis : FAxes) {
        axis->SetParentPanel(this);
        axis->SetLimitQuery([this](const TCustomChartAxis* a, bool lowest) {
            return SeriesValueLimit(a, lowest, a->Horizontal());
        });
        axis->SetOnGetAxisLabel([this](TCustomChartAxis* a, std::string& text) {
            if (FOnGetAxisLabel)
                FOnGetAxisLabel(this, a, nullptr, text, -1);
        });
    }
    FAllowInvalidate = true;
}

TCustomAxisPanel::~TCustomAxisPanel() {
    FAllowInvalidate = false;
    FreeAllSeries();
}

void TCustomAxisPanel::Publish(TPublisher<TCustomAxisPanel>& p) {
    using T = TCustomAxisPanel;
    p.Bool("AxisVisible", &T::AxisVisible, &T::SetAxisVisible).Default(true);
    p.Class("BottomAxis", TChartAxis::StaticClass(), &T::BottomAxis, &T::SetBottomAxis);
    p.Bool("ClipPoints", &T::ClipPoints, &T::SetClipPoints).Default(true);
    p.Class("DepthAxis", TChartDepthAxis::StaticClass(), &T::DepthAxis, &T::SetDepthAxis);
    p.Class("LeftAxis", TChartAxis::StaticClass(), &T::LeftAxis, &T::SetLeftAxis);
    p.Integer("MaxPointsPerPage", &T::MaxPointsPerPage, &T::SetMaxPointsPerPage).Default(0);
    p.Integer("Page", &T::Page, &T::SetPage).Default(1);
    p.Class("RightAxis", TChartAxis::StaticClass(), &T::RightAxis, &T::SetRightAxis);
    p.Bool("ScaleLastPage", &T::ScaleLastPage, &T::SetScaleLastPage).Default(true);
    p.Class("TopAxis", TChartAxis::StaticClass(), &T::TopAxis, &T::SetTopAxis);
    p.Bool("View3DWalls", &T::View3DWalls, &T::SetView3DWalls).Default(true);
    p.Event("OnAfterDraw", &T::OnAfterDraw, &T::SetOnAfterDraw);
    p.Event("OnBeforeDrawAxes", &T::OnBeforeDrawAxes, &T::SetOnBeforeDrawAxes);
    p.Event("OnBeforeDrawSeries", &T::OnBeforeDrawSeries, &T::SetOnBeforeDrawSeries);
    p.Event("OnGetAxisLabel", &T::OnGetAxisLabel, &T::SetOnGetAxisLabel);
    p.Event("OnGetNextAxisLabel", &T::OnGetNextAxisLabel, &T::SetOnGetNextAxisLabel);
    p.Event("OnPageChange", &T::OnPageChange, &T::SetOnPageChange);
}

void TCustomAxisPanel::AssignFrom(const TPersistent* source) {
    if (auto* panel = dynamic_cast<const TCustomAxisPanel*>(source)) {
        for (size_t i = 0; i < FAxes.size(); ++i)
            FAxes[i]->AssignFrom(panel->FAxes[i]);
        FAxisVisible = panel->FAxisVisible;
        FClipPoints = panel->FClipPoints;
        FView3DWalls = panel->FView3DWalls;
        FMaxPointsPerPage = panel->FMaxPointsPerPage;
        FPage = panel->FPage;
        FScaleLastPage = panel->FScaleLastPage;
    }
    TCustomChartPanelExtended::AssignFrom(source);
}

void TCustomAxisPanel::ApplySeriesMargins() {
    for (TChartAxis* axis : {TopAxis(), LeftAxis(), RightAxis(), BottomAxis()}) {
        int low = 0;
        int high = 0;
        for (TChartSeries* s : SeriesList()) {
            if (!s->Active() || !s->UsesAxis(axis))
                continue;
            int a = 0;
            int b = 0;
            if (axis->Horizontal()) {
                s->HorizMargins(a, b);
                if (axis->AutomaticMinimum())
                    low = std::max(low, a);
                if (axis->AutomaticMaximum())
                    high = std::max(high, b);
            } else {
                s->VertMargins(a, b);
                if (axis->AutomaticMaximum())
                    low = std::max(low, a);
                if (axis->AutomaticMinimum())
                    high = std::max(high, b);
            }
        }
        if (low || high)
            axis->SetPixelRange(low, high);
    }
}

void TCustomAxisPanel::GetChildren(const TGetChildProc& proc, TComponent* root) {
    TCustomChartPanelExtended::GetChildren(proc, root);
    for (int i = 0; i < ControlCount(); ++i)
        proc(Controls(i));
    for (TChartSeries* series : std::vector<TChartSeries*>(FSeriesList))
        proc(series);
}

// ---- Series

void TCustomAxisPanel::AddSeries(TChartSeries* series) {
    if (!series || std::find(FSeriesList.begin(), FSeriesList.end(), series) != FSeriesList.end())
        return;
    if (series->FParentChart && series->FParentChart != this)
        series->FParentChart->RemoveSeries(series);
    if (series->SeriesColor() == clAutoColor)
        series->SetSeriesColor(FreeSeriesColor(true));
    series->FParentChart = this;
    series->ResolveAxes();
    if (series->ComponentState().Contains(csDesigning) && !series->FunctionType())
        series->FillSampleValues(series->NumSampleValues());
    else
        series->ReloadFromSource();
    FSeriesList.push_back(series);
    Invalidate();
}

void TCustomAxisPanel::RemoveSeries(TChartSeries* series) {
    auto it = std::find(FSeriesList.begin(), FSeriesList.end(), series);
    if (it == FSeriesList.end())
        return;
    series->FParentChart = nullptr;
    series->ResolveAxes();
    if (series->Cursor() != 0 && Cursor() == series->Cursor())
        SetCursor(OriginalCursor());
    FSeriesList.erase(std::find(FSeriesList.begin(), FSeriesList.end(), series));
    Invalidate();
}

void TCustomAxisPanel::FreeAllSeries() {
    while (!FSeriesList.empty()) {
        TChartSeries* series = FSeriesList.front();
        series->SetParentChart(nullptr);
        delete series;
    }
}

int TCustomAxisPanel::MaxPointCount() const {
    int result = 0;
    for (TChartSeries* s : FSeriesList)
        if (s->Active())
            result = std::max(result, s->Count());
    return result;
}

int TCustomAxisPanel::CountActiveSeries() const {
    return int(std::count_if(FSeriesList.begin(), FSeriesList.end(),
                             [](TChartSeries* s) { return s->Active(); }));
}

TChartSeries* TCustomAxisPanel::FirstSeriesOnAxis(const TCustomChartAxis* axis) const {
    for (TChartSeries* s : FSeriesList)
        if (s->Active() && s->UsesAxis(axis))
            return s;
    return nullptr;
}

TChartSeries* TCustomAxisPanel::LegendSeries(int index) const {
    int n = 0;
    for (TChartSeries* s : FSeriesList)
        if (s->Active() && s->ShowInLegend()) {
            if (n == index)
                return s;
            ++n;
        }
    return nullptr;
}

std::string TCustomAxisPanel::LegendSeriesTitle(int index) const {
    TChartSeries* s = LegendSeries(index);
    if (!s)
        return {};
    if (!s->Title().empty())
        return s->Title();
    if (!s->Name().empty())
        return s->Name();
    return SSeriesNumbered + IntToStr(index);
}

TColor TCustomAxisPanel::FreeSeriesColor(bool checkAll) const {
    for (int t = 0; t < 16; ++t)
        if (IsFreeSeriesColor(PaletteColor(t), checkAll))
            return PaletteColor(t);
    return PaletteColor(16);
}

void TCustomAxisPanel::CheckSourceChain(TComponent* component, TChartSeries* series) const {
    if (!series)
        return;
    if (series->DataSource() && series->DataSource() == component)
        throw ChartException(SCircularSeries);
    for (TChartSeries* source : series->DataSources())
        CheckSourceChain(component, source);
}

void TCustomAxisPanel::RefreshFromSource(TChartSeries* series) {
    if (!series->IsLoading() && series->DataSource())
        series->AddValuesFrom(series->DataSource());
}

std::string TCustomAxisPanel::LegendValueText(TChartSeries* /*series*/, int /*index*/) {
    return {};
}

bool TCustomAxisPanel::IsValidSource(TChartSeries* series, TComponent* candidate) const {
    auto* source = dynamic_cast<TChartSeries*>(candidate);
    return source && source != series && series->AcceptsDataSource(source);
}

// ---- Axes

bool TCustomAxisPanel::IsAxisVisible(const TCustomChartAxis* axis) const {
    if (!FAxisVisible || !axis->Visible())
        return false;
    if (axis->IsDepthAxis())
        return View3D();
    for (TChartSeries* s : FSeriesList)
        if (s->Active() && s->UsesAxes() && s->UsesAxis(axis))
            return true;
    return false;
}

double TCustomAxisPanel::SeriesValueLimit(const TCustomChartAxis* axis, bool lowest,
                                          bool isX) const {
    if (axis->IsDepthAxis()) {
        if (axis->EffectiveLabelStyle() != talValue)
            return lowest ? -0.5 : FSeriesHigh + 0.5;
        for (TChartSeries* s : FSeriesList)
            if (s->Active())
                return lowest ? s->MinZValue() : s->MaxZValue();
        return 0;
    }
    if (FMaxPointsPerPage > 0) {
        TChartSeries* first = FirstSeriesOnAxis(axis);
        if (!first || isX == first->IsYMandatory()) {
            if (!first)
                return 0;
            const int n = first->Count();
            if (n == 0)
                return 0;
            const int perPage = FMaxPointsPerPage;
            int firstIndex = perPage * (FPage - 1);
            if (firstIndex >= n)
                firstIndex = std::max(0, n / perPage - 1) * perPage;
            int lastIndex = firstIndex + perPage - 1;
            if (lastIndex >= n)
                lastIndex = firstIndex + n % perPage - 1;
            lastIndex = std::clamp(lastIndex, firstIndex, n - 1);
            const double low = first->GetValue(isX, firstIndex);
            if (lowest)
                return low;
            const double high = first->GetValue(isX, lastIndex);
            const int onPage = lastIndex - firstIndex + 1;
            if (!FScaleLastPage && onPage < perPage)
                return low + (high - low) * perPage / onPage;
            return high;
        }
    }
    bool found = false;
    double result = 0;
    for (TChartSeries* s : FSeriesList) {
        if (!s->Active() || s->Count() == 0 || !s->UsesAxis(axis))
            continue;
        const double v = isX ? (lowest ? s->MinXValue() : s->MaxXValue())
                             : (lowest ? s->MinYValue() : s->MaxYValue());
        if (!found || (lowest ? v < result : v > result))
            result = v;
        found = true;
    }
    return result;
}

double TCustomAxisPanel::MaxXValue(const TCustomChartAxis* axis) const {
    return SeriesValueLimit(axis, false, true);
}
double TCustomAxisPanel::MaxYValue(const TCustomChartAxis* axis) const {
    return SeriesValueLimit(axis, false, false);
}
double TCustomAxisPanel::MinXValue(const TCustomChartAxis* axis) const {
    return SeriesValueLimit(axis, true, true);
}
double TCustomAxisPanel::MinYValue(const TCustomChartAxis* axis) const {
    return SeriesValueLimit(axis, true, false);
}

int TCustomAxisPanel::MaxTextLabelWidth() {
    int widest = 0;
    for (TChartSeries* s : FSeriesList)
        for (const auto& label : s->FLabels)
            if (label && !label->empty()) {
                int lines = 0;
                widest = std::max(widest, WidestLineWidth(Canvas3D(), *label, lines));
            }
    return widest;
}

int TCustomAxisPanel::MaxMarkWidth() {
    int widest = 0;
    for (TChartSeries* s : FSeriesList)
        if (s->Active())
            widest = std::max(widest, s->MaxMarkWidth());
    return widest;
}

void TCustomAxisPanel::RecalcAxesLimits() {
    CalcDepthSize();
    for (TCustomChartAxis* axis : FAxes)
        axis->AdjustMaxMin();
}

TRect TCustomAxisPanel::ReserveAxesSpace(const TRect& r) {
    TRect result = r;
    for (TCustomChartAxis* axis : FAxes) {
        if (!IsAxisVisible(axis))
            continue;
        TRect reserved = result;
        axis->ReserveSpace(reserved, true);
        // The room an axis takes never turns the chart inside out.
        if (reserved.Right > reserved.Left && reserved.Bottom > reserved.Top)
            result = reserved;
    }
    return result;
}

void TCustomAxisPanel::CalcAxesPositions() {
    for (TCustomChartAxis* axis : FAxes) {
        TRect r = ChartRect();
        axis->ReserveSpace(r, false);
    }
}

// ---- Depth

void TCustomAxisPanel::CalcDepthSize() {
    if (View3D()) {
        FSeriesWidth3D = int(Round(ChartWidth() * Chart3DPercent() / 1000.0));
        if (!View3DOptions()->Orthogonal())
            FSeriesWidth3D *= 2;
        const bool rows = DepthRows();
        SetWidth3D(FSeriesWidth3D * (rows ? std::max(1, FSeriesHigh + 1) : 1));
    } else {
        FSeriesWidth3D = 0;
        SetWidth3D(0);
    }
    for (TCustomChartAxis* axis : FAxes)
        axis->SetTotalDepth(Width3D());
}

void TCustomAxisPanel::CalcSeriesDepthRows() {
    FSeriesHigh = 0;
    if (DepthRows() && View3D()) {
        FSeriesHigh = -1;
        for (TChartSeries* s : FSeriesList)
            if (s->Active())
                s->CalcZOrder();
    } else {
        for (TChartSeries* s : FSeriesList)
            s->FZOrder = 0;
    }
}

void TCustomAxisPanel::CalcSeriesSpans() {
    const bool rows = View3D() && DepthRows();
    for (TChartSeries* s : FSeriesList) {
        if (!s->Active())
            continue;
        const int row = rows ? FSeriesHigh - s->ZPosition() : 0;
        const int start = row * FSeriesWidth3D;
        s->SetDepthSpan(start, start + FSeriesWidth3D);
    }
}

// ---- Paging

int TCustomAxisPanel::PageCountOnAxis(const TCustomChartAxis* axis) const {
    int most = 0;
    for (TChartSeries* s : FSeriesList)
        if (s->Active() && s->UsesAxis(axis))
            most = std::max(most, s->Count());
    if (most == 0)
        return 1;
    return (most + FMaxPointsPerPage - 1) / FMaxPointsPerPage;
}

int TCustomAxisPanel::NumPages() const {
    if (FMaxPointsPerPage == 0 || FSeriesList.empty())
        return 1;
    const TChartSeries* first = FSeriesList.front();
    if (first->IsYMandatory())
        return std::max(PageCountOnAxis(FTopAxis.get()), PageCountOnAxis(FBottomAxis.get()));
    return std::max(PageCountOnAxis(FLeftAxis.get()), PageCountOnAxis(FRightAxis.get()));
}

void TCustomAxisPanel::SetPage(int value) {
    if (!IsLoading()) {
        value = std::min(value, NumPages());
        value = std::max(value, 1);
    }
    if (FPage == value)
        return;
    FPage = value;
    Invalidate();
    if (FOnPageChange)
        FOnPageChange(this);
}

void TCustomAxisPanel::SetMaxPointsPerPage(int value) {
    if (value < 0)
        throw ChartException(SMaxPointsPerPage);
    SetIntegerProperty(FMaxPointsPerPage, value);
    if (!IsLoading() && FPage > NumPages())
        SetPage(NumPages());
}

// ---- Drawing

void TCustomAxisPanel::ClipToChartBox() {
    Canvas3D()->ClipToBox(ChartRect(), 0, Width3D());
}

void TCustomAxisPanel::DrawAxes() {
    if (FOnBeforeDrawAxes)
        FOnBeforeDrawAxes(this);
    for (TCustomChartAxis* axis : FAxes)
        if (IsAxisVisible(axis))
            axis->DrawAxis(true);
}

void TCustomAxisPanel::DrawSeries(TChartSeries* series) {
    const bool clip = FClipPoints && CanClip();
    auto drawMarks = [&](TChartSeries* s) {
        if (!s->Marks()->Visible())
            return;
        const bool clipMarks = s->Marks()->Clip() && CanClip();
        if (clipMarks)
            ClipToChartBox();
        s->DrawMarks();
        if (clipMarks)
            Canvas3D()->RemoveClipping();
    };
    if (!View3D() || !series->SharesDepth()) {
        series->CalcFirstLastVisible();
        if (series->FirstValueIndex() < 0)
            return;
        series->DoBeforeDrawValues();
        if (clip)
            ClipToChartBox();
        series->DrawAllValues();
        if (clip)
            Canvas3D()->RemoveClipping();
        drawMarks(series);
        series->DoAfterDrawValues();
        return;
    }
    if (!series->IsFirstInDepth())
        return;
    // The series of one depth are drawn point by point, so that they overlap correctly.
    std::vector<TChartSeries*> group;
    for (TChartSeries* s : FSeriesList)
        if (s->Active() && s->ZPosition() == series->ZPosition() && (s == series || !group.empty()))
            group.push_back(s);
    int first = -1;
    int last = -1;
    for (TChartSeries* s : group) {
        s->CalcFirstLastVisible();
        s->DoBeforeDrawValues();
        if (s->FirstValueIndex() < 0)
            continue;
        first = first < 0 ? s->FirstValueIndex() : std::min(first, s->FirstValueIndex());
        last = std::max(last, s->LastValueIndex());
    }
    if (first >= 0) {
        if (clip)
            ClipToChartBox();
        auto drawIndex = [&](int index) {
            const bool forward = group.front()->DrawSeriesForwardAt(index);
            const int n = int(group.size());
            for (int k = 0; k < n; ++k) {
                TChartSeries* s = group[size_t(forward ? k : n - 1 - k)];
                if (index < s->Count())
                    s->DrawValue(index);
            }
        };
        if (group.front()->DrawValuesForward())
            for (int index = first; index <= last; ++index)
                drawIndex(index);
        else
            for (int index = last; index >= first; --index)
                drawIndex(index);
        if (clip)
            Canvas3D()->RemoveClipping();
    }
    for (TChartSeries* s : group) {
        drawMarks(s);
        s->DoAfterDrawValues();
    }
}

void TCustomAxisPanel::ExchangeSeriesAt(int index1, int index2) {
    std::swap(FSeriesList[size_t(index1)], FSeriesList[size_t(index2)]);
}

void TCustomAxisPanel::DrawContents(const TRect& bounds) {
    FHasBeenDrawn = true;
    DrawPanelBackground(bounds);
    for (TChartSeries* s : FSeriesList)
        if (s->Active())
            s->PrepareDraw();
    DrawTitlesAndLegend();
    CalcSeriesDepthRows();
    CalcAxesRect();
    CalcSeriesSpans();
    ApplySeriesMargins();
    Canvas3D()->SetViewCentre(Width3D(), bounds, ChartRect());
    DrawWalls();
    if (FAxisVisible && ChartDrawAxesBeforeSeries)
        DrawAxes();
    if (FOnBeforeDrawSeries)
        FOnBeforeDrawSeries(this);
    for (TChartSeries* s : std::vector<TChartSeries*>(FSeriesList))
        if (s->Active())
            DrawSeries(s);
    if (FAxisVisible && !ChartDrawAxesBeforeSeries)
        DrawAxes();
    if (ZoomRecord().Active)
        DrawZoomFrame();
    Canvas3D()->ResetDrawingState();
    if (FOnAfterDraw)
        FOnAfterDraw(this);
}
