#include "chartdlg/ChartGallery.h"

#include "chart/ChartConst.h"
#include "chart/ChartProcs.h"
#include "chart/Series.h"
#include "framework/core/SystemUtils.h"

#include <algorithm>

namespace {

constexpr TColor kGalleryTitleColor = TColor(0x800000); // navy
constexpr TColor kGalleryRed = TColor(0x0000FF);
constexpr TColor kGalleryBlue = TColor(0xFF0000);
constexpr TColor kDisabledGrey = TColor(0x808080);
constexpr TColor kHighlightStart = TColor(0x80FFFF);

// Whether the type is listed: it shows at least one gallery series and is allowed.
bool TypeAllowed(const TChartSeriesType* type, bool functionsAllowed) {
    return type->NumGallerySeries > 0 && (functionsAllowed || !type->FunctionClass);
}

int GalleryTitleSize() {
    int size = 8;
    AdjustFontSizeForLocale(size);
    return size;
}

} // namespace

// ===========================================================================
// TChartGalleryPanel

TChartGalleryPanel::TChartGalleryPanel(TComponent* owner) : TCustomPanel(owner) {
    SetBevelOuter(bvNone);
}

TChartGalleryPanel::~TChartGalleryPanel() {
    SetOldSeries(nullptr);
}

void TChartGalleryPanel::SetGrid(int rows, int cols) {
    FNumRows = std::max(1, rows);
    FNumCols = std::max(1, cols);
    ResizeCharts();
}

int TChartGalleryPanel::BorderSize() const {
    return BevelWidth() + BorderWidth();
}

int TChartGalleryPanel::CellWidth() const {
    return (Width() - BorderSize()) / FNumCols;
}

int TChartGalleryPanel::CellHeight() const {
    return (Height() - BorderSize()) / FNumRows;
}

TRect TChartGalleryPanel::ChartBounds(int tag) const {
    const int border = BorderSize();
    const int row = tag / FNumCols;
    const int col = tag % FNumCols;
    const int left = border + col * CellWidth();
    const int top = border + row * CellHeight();
    const int right = std::min(left + CellWidth(), Width() - border);
    const int bottom = std::min(top + CellHeight(), Height() - border);
    return TRect(left, top, right, bottom);
}

void TChartGalleryPanel::ResizeCharts() {
    for (TCustomChart* chart : FCharts)
        chart->SetBoundsRect(ChartBounds(chart->Tag()));
}

void TChartGalleryPanel::HandleResize() {
    TCustomPanel::HandleResize();
    ResizeCharts();
}

void TChartGalleryPanel::ComponentNotification(TComponent* component, TOperation operation) {
    TCustomPanel::ComponentNotification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FOldSeries)
        FOldSeries = nullptr;
    if (component == FSelectedChart)
        FSelectedChart = nullptr;
    auto it = std::find(FCharts.begin(), FCharts.end(), component);
    if (it != FCharts.end()) {
        FSamples.erase(FSamples.begin() + (it - FCharts.begin()));
        FCharts.erase(it);
    }
}

void TChartGalleryPanel::SetOldSeries(TChartSeries* value) {
    if (value == FOldSeries)
        return;
    if (FOldSeries)
        FOldSeries->RemoveFreeNotification(this);
    FOldSeries = value;
    if (FOldSeries)
        FOldSeries->FreeNotification(this);
}

void TChartGalleryPanel::FreeCharts() {
    FSelectedChart = nullptr;
    std::vector<TCustomChart*> charts;
    charts.swap(FCharts);
    FSamples.clear();
    for (TCustomChart* chart : charts)
        delete chart;
}

void TChartGalleryPanel::CreateGalleryPage(const std::string& page, bool functionsAllowed) {
    FreeCharts();
    TChartSeriesTypes* types = ChartSeriesTypes();
    std::vector<TChartSeriesType*> onPage;
    for (int i = 0; i < types->Count(); ++i) {
        TChartSeriesType* type = types->GetItem(i);
        if (type->GalleryPage == page && TypeAllowed(type, functionsAllowed))
            onPage.push_back(type);
    }
    FNumRows = 3;
    FNumCols = 4;
    const int n = int(onPage.size());
    if (n > 12)
        FNumRows = (n - 1) / 4 + 1;
    for (int i = 0; i < n; ++i)
        CreateChart(onPage[size_t(i)], i);
    ResizeCharts();
}

void TChartGalleryPanel::ResetLook(TCustomChart* chart) {
    chart->Gradient()->SetVisible(false);
    chart->SetBevelOuter(bvNone);
    TFont* font = chart->Title()->Font();
    font->SetStyle({});
    font->SetColor(IsChartEnabled(chart) ? kGalleryTitleColor : kDisabledGrey);
    font->SetSize(GalleryTitleSize());
    chart->View3DOptions()->SetRotation(335);
    if (chart->SeriesCount() > 0)
        chart->GetSeries(0)->PrepareGalleryChart(FView3D);
}

void TChartGalleryPanel::PrepareLook(TCustomChart* chart) {
    chart->Gradient()->SetDirection(gdFromTopLeft);
    chart->Gradient()->SetStartColor(kHighlightStart);
    chart->Gradient()->SetEndColor(clWhite);
    chart->Gradient()->SetVisible(true);
    chart->View3DOptions()->SetRotation(345);
    if (chart->SeriesCount() > 0)
        chart->GetSeries(0)->PrepareGalleryChart(FView3D);
    TFont* font = chart->Title()->Font();
    font->SetStyle({fsBold});
    font->SetColor(clBlack);
    font->SetSize(10);
    chart->SetBevelOuter(bvRaised);
}

TCustomChart* TChartGalleryPanel::CreateChart(TChartSeriesType* type, int tag) {
    auto* chart = new TChart(this);
    chart->SetTag(tag);
    chart->SetName("GalleryChart" + IntToStr(tag));
    FCharts.push_back(chart);
    FSamples.push_back({chart, type, true});
    chart->Legend()->SetVisible(false);
    chart->LeftAxis()->SetLabels(FAxisLabels);
    chart->BottomAxis()->SetLabels(FAxisLabels);
    chart->Title()->Text()->Clear();
    chart->Title()->Text()->Add(type->Description);
    chart->Title()->Font()->SetSize(GalleryTitleSize());
    chart->Title()->Font()->SetColor(kGalleryTitleColor);
    chart->SetAnimatedZoom(true);
    chart->View3DOptions()->SetOrthogonal(false);
    chart->View3DOptions()->SetZoom(70);
    chart->View3DOptions()->SetPerspective(60);
    chart->View3DOptions()->SetRotation(335);
    chart->View3DOptions()->SetElevation(345);
    chart->SetChart3DPercent(100);
    chart->SetClipPoints(false);
    chart->Frame()->SetVisible(false);
    chart->SetBevelWidth(2);
    chart->SetBevelOuter(bvNone);
    chart->LeftWall()->SetSize(4);
    chart->LeftWall()->SetColor(clWhite);
    chart->BottomWall()->SetSize(4);
    chart->BottomWall()->SetColor(clWhite);
    chart->SetBoundsRect(ChartBounds(tag));
    chart->SetParent(this);

    const int count = std::max(1, type->NumGallerySeries);
    TClass seriesClass = type->SeriesClass ? type->SeriesClass : TLineSeries::StaticClass();
    for (int i = 0; i < count; ++i) {
        TChartSeries* series = CreateNewSeries(chart, chart, seriesClass, type->FunctionClass);
        if (i == 0)
            series->SetSeriesColor(kGalleryRed);
        else if (i == 1)
            series->SetSeriesColor(kGalleryBlue);
    }

    bool enabled = true;
    if (FCheckSeries && FOldSeries && !chart->GetSeries(0)->CanCopyFrom(FOldSeries))
        enabled = false;
    FSamples.back().Enabled = enabled;
    if (!enabled) {
        chart->SetCursor(crNoDrop);
        chart->Title()->Font()->SetColor(kDisabledGrey);
        chart->LeftWall()->Pen()->SetColor(kDisabledGrey);
        chart->BottomWall()->Pen()->SetColor(kDisabledGrey);
        for (TChartAxis* axis : {chart->LeftAxis(), chart->BottomAxis()}) {
            axis->Axis()->SetColor(clWhite);
            axis->Axis()->SetWidth(1);
        }
    } else {
        chart->SetCursor(crChartHand);
        chart->SetOnMouseDown(TMouseEvent(
            [this, chart](TObject*, TMouseButton, TShiftState, int, int) { SelectChart(chart); }));
        chart->SetOnEnter(TNotifyEvent([this, chart](TObject*) {
            if (FSelectedChart != chart)
                SelectChart(chart);
        }));
        chart->SetOnDblClick(TNotifyEvent([this, chart](TObject*) {
            SelectChart(chart);
            ChooseSelected();
        }));
    }
    chart->GetSeries(0)->PrepareGalleryChart(FView3D);
    for (int i = 0; i < chart->SeriesCount(); ++i)
        chart->GetSeries(i)->PrepareForGallery(enabled);
    const int margin = FView3D ? 2 : 6;
    chart->SetMarginLeft(margin);
    chart->SetMarginTop(margin);
    chart->SetMarginRight(margin);
    chart->SetMarginBottom(margin);
    return chart;
}

const TChartGalleryPanel::TSample* TChartGalleryPanel::SampleOf(const TCustomChart* chart) const {
    for (const TSample& s : FSamples)
        if (s.Chart == chart)
            return &s;
    return nullptr;
}

TChartSeriesType* TChartGalleryPanel::ChartType(const TCustomChart* chart) const {
    const TSample* s = SampleOf(chart);
    return s ? s->Type : nullptr;
}

bool TChartGalleryPanel::IsChartEnabled(const TCustomChart* chart) const {
    const TSample* s = SampleOf(chart);
    return s && s->Enabled;
}

TCustomChart* TChartGalleryPanel::ChartAt(int row, int col) const {
    if (row < 0 || col < 0 || col >= FNumCols)
        return nullptr;
    const int tag = row * FNumCols + col;
    for (TCustomChart* chart : FCharts)
        if (chart->Tag() == tag)
            return chart;
    return nullptr;
}

void TChartGalleryPanel::SelectChart(TCustomChart* chart) {
    FSelectedChart = chart;
    if (chart) {
        PrepareLook(chart);
        if (chart->Showing() && chart->CanFocus() && !chart->Focused())
            chart->SetFocus();
    }
    for (TCustomChart* other : FCharts)
        if (other != chart && other->Gradient()->Visible())
            ResetLook(other);
    if (FOnChangeChart)
        FOnChangeChart(this);
}

void TChartGalleryPanel::FindSeriesChart() {
    TCustomChart* found = nullptr;
    if (FOldSeries) {
        for (TCustomChart* chart : FCharts) {
            if (chart->SeriesCount() == 0)
                continue;
            TChartSeries* first = chart->GetSeries(0);
            if (first->ClassType() == FOldSeries->ClassType() && !first->FunctionType()) {
                found = chart;
                break;
            }
        }
    }
    if (!found)
        found = FSelectedChart ? FSelectedChart : (FCharts.empty() ? nullptr : FCharts.front());
    if (found)
        SelectChart(found);
}

void TChartGalleryPanel::ChooseSelected() {
    if (FSelectedChart && FOnSelectedChart)
        FOnSelectedChart(this);
}

void TChartGalleryPanel::SetView3D(bool value) {
    FView3D = value;
    const int margin = value ? 2 : 6;
    for (TCustomChart* chart : FCharts) {
        if (chart->SeriesCount() > 0)
            chart->GetSeries(0)->PrepareGalleryChart(value);
        chart->SetMarginLeft(margin);
        chart->SetMarginTop(margin);
        chart->SetMarginRight(margin);
        chart->SetMarginBottom(margin);
    }
}

void TChartGalleryPanel::ShowAxisLabels(bool value) {
    FAxisLabels = value;
    for (TCustomChart* chart : FCharts) {
        chart->LeftAxis()->SetLabels(value);
        chart->BottomAxis()->SetLabels(value);
    }
}

void TChartGalleryPanel::ProcessKeyDown(uint16_t& key) {
    if (key == VK_RETURN) {
        ChooseSelected();
        return;
    }
    if (key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN)
        return;
    int row = 0, col = 0;
    if (FSelectedChart) {
        row = FSelectedChart->Tag() / FNumCols;
        col = FSelectedChart->Tag() % FNumCols;
    }
    switch (key) {
    case VK_LEFT:
        col = std::max(0, col - 1);
        break;
    case VK_RIGHT:
        if (col < FNumCols - 1)
            ++col;
        break;
    case VK_UP:
        row = std::max(0, row - 1);
        break;
    default:
        if (row < FNumRows - 1)
            ++row;
        break;
    }
    TCustomChart* chart = ChartAt(row, col);
    if (chart && IsChartEnabled(chart) && chart != FSelectedChart)
        SelectChart(chart);
    key = 0;
}

// ===========================================================================
// TChartGallery

TChartGallery::TChartGallery(TComponent* owner) : TForm(owner) {
    SetName("ChartGallery");
    SetCaption("VedIvuri Gallery");
    SetBorderStyle(bsSizeable);
    SetPosition(poScreenCenter);
    SetClientWidth(415);
    SetClientHeight(329);
    SetKeyPreview(true);

    P1 = new TPanel(this);
    P1->SetName("P1");
    P1->SetCaption("");
    P1->SetAlign(alTop);
    P1->SetHeight(34);
    P1->SetBevelOuter(bvNone);
    P1->SetParent(this);

    CB3D = new TCheckBox(this);
    CB3D->SetName("CB3D");
    CB3D->SetCaption("&3D");
    CB3D->SetBounds(8, 9, 60, 17);
    CB3D->SetChecked(true);
    CB3D->SetParent(P1);

    BOk = new TButton(this);
    BOk->SetName("BOk");
    BOk->SetCaption("OK");
    BOk->SetModalResult(mrOk);
    BOk->SetDefault(true);
    BOk->SetBounds(248, 5, 75, 25);
    BOk->SetParent(P1);

    BCancel = new TButton(this);
    BCancel->SetName("BCancel");
    BCancel->SetCaption("Cancel");
    BCancel->SetModalResult(mrCancel);
    BCancel->SetCancel(true);
    BCancel->SetBounds(332, 5, 75, 25);
    BCancel->SetParent(P1);

    TabControl = new TChartTabControl(this);
    TabControl->SetName("TabControl");
    TabControl->SetAlign(alClient);
    TabControl->SetHotTrack(true);
    TabControl->Tabs()->Add("Standard");
    TabControl->Tabs()->Add("Functions");
    TabControl->SetTabIndex(0);
    TabControl->SetParent(this);

    ChartGalleryPanel1 = new TChartGalleryPanel(this);
    ChartGalleryPanel1->SetName("ChartGalleryPanel1");
    ChartGalleryPanel1->SetCaption("");
    ChartGalleryPanel1->SetAlign(alClient);
    ChartGalleryPanel1->SetBevelOuter(bvNone);
    ChartGalleryPanel1->SetParent(TabControl);
    ChartGalleryPanel1->SetOnSelectedChart(
        TChartGalleryEvent([this](TObject*) { SetModalResult(mrOk); }));

    CB3D->SetOnClick(TNotifyEvent([this](TObject* s) { CB3DClick(s); }));
    TabControl->SetOnChange(TNotifyEvent([this](TObject* s) { TabControlChange(s); }));
    SetOnShow(TNotifyEvent([this](TObject* s) { FormShow(s); }));
    SetOnKeyDown(
        TKeyEvent([this](TObject* s, uint16_t& key, TShiftState sh) { FormKeyDown(s, key, sh); }));
    SetOnResize(TNotifyEvent([this](TObject* s) { FormResize(s); }));
}

void TChartGallery::SetFunctionsVisible(bool value) {
    FFunctionsVisible = value;
    if (!value) {
        const int i = TabControl->Tabs()->IndexOf("Functions");
        if (i >= 0)
            TabControl->Tabs()->Delete(i);
    }
}

void TChartGallery::FillPage(int index) {
    TStrings* tabs = TabControl->Tabs();
    if (index < 0 || index >= tabs->Count())
        return;
    ChartGalleryPanel1->SetView3D(CB3D->Checked());
    ChartGalleryPanel1->SetCheckSeries(!FFunctionsVisible);
    ChartGalleryPanel1->CreateGalleryPage(tabs->Get(index), FFunctionsVisible);
}

void TChartGallery::FormShow(TObject*) {
    if (ChartGalleryPanel1->Charts().empty()) {
        FLoading = true;
        TChartSeriesTypes* types = ChartSeriesTypes();
        TStrings* tabs = TabControl->Tabs();
        for (int i = 0; i < types->Count(); ++i) {
            TChartSeriesType* type = types->GetItem(i);
            if (TypeAllowed(type, FFunctionsVisible) && tabs->IndexOf(type->GalleryPage) < 0)
                tabs->Add(type->GalleryPage);
        }
        TabControl->SetTabIndex(0);
        FillPage(0);
        FLoading = false;
    }
    ChartGalleryPanel1->FindSeriesChart();
}

void TChartGallery::CB3DClick(TObject*) {
    ChartGalleryPanel1->SetView3D(CB3D->Checked());
}

void TChartGallery::TabControlChange(TObject*) {
    if (FLoading)
        return;
    FillPage(TabControl->TabIndex());
    ChartGalleryPanel1->FindSeriesChart();
}

void TChartGallery::FormKeyDown(TObject*, uint16_t& key, TShiftState) {
    ChartGalleryPanel1->ProcessKeyDown(key);
}

void TChartGallery::FormResize(TObject*) {
    ChartGalleryPanel1->ShowAxisLabels(WindowState() == wsMaximized);
    ChartGalleryPanel1->ResizeCharts();
}

TClass TChartGallery::SelectedSeriesClass() const {
    TCustomChart* chart = ChartGalleryPanel1->SelectedChart();
    if (!chart || chart->SeriesCount() == 0)
        return nullptr;
    return chart->GetSeries(0)->ClassType();
}

TClass TChartGallery::SelectedFunctionClass() const {
    TCustomChart* chart = ChartGalleryPanel1->SelectedChart();
    if (!chart || chart->SeriesCount() == 0 || !chart->GetSeries(0)->FunctionType())
        return nullptr;
    return chart->GetSeries(0)->FunctionType()->ClassType();
}

// ===========================================================================
// Entry points

bool ShowSeriesGallery(TComponent* owner, TChartSeries* oldSeries, bool allowFunctions,
                       TClass& functionClass, bool& view3D, TClass& seriesClass) {
    functionClass = nullptr;
    seriesClass = nullptr;
    std::unique_ptr<TChartGallery> gallery(CreateForm<TChartGallery>(owner));
    gallery->ChartGalleryPanel1->SetOldSeries(oldSeries);
    gallery->SetFunctionsVisible(allowFunctions);
    gallery->CB3D->SetChecked(view3D);
    if (gallery->ShowModal() != mrOk)
        return false;
    TCustomChart* chart = gallery->ChartGalleryPanel1->SelectedChart();
    if (!chart)
        return false;
    seriesClass = gallery->SelectedSeriesClass();
    functionClass = gallery->SelectedFunctionClass();
    view3D = gallery->CB3D->Checked();
    return seriesClass != nullptr;
}

TChartSeries* CreateSeriesFromGallery(TComponent* owner, TChartSeries* oldSeries,
                                      TCustomAxisPanel* chart, bool allowFunctions) {
    if (!chart)
        return nullptr;
    TClass functionClass = nullptr;
    TClass seriesClass = nullptr;
    bool view3D = chart->View3D();
    if (!ShowSeriesGallery(owner, oldSeries, allowFunctions, functionClass, view3D, seriesClass))
        return nullptr;
    chart->SetView3D(view3D);
    if (!allowFunctions && oldSeries && seriesClass == oldSeries->ClassType())
        return nullptr;
    return CreateNewSeries(owner, chart, seriesClass, functionClass);
}

void ChangeSeriesTypeFromGallery(TComponent* owner, TChartSeries*& series) {
    if (!series)
        return;
    TChartSeries* created = CreateSeriesFromGallery(owner, series, series->ParentChart(), false);
    if (!created)
        return;
    TChartSeries* old = series;
    ReplaceSeries(old, created);
    series = created;
}

void SeriesTypeDescription(const TChartSeries* series, std::string& text) {
    text.clear();
    if (!series)
        return;
    TChartSeriesTypes* types = ChartSeriesTypes();
    for (int i = 0; i < types->Count(); ++i) {
        TChartSeriesType* type = types->GetItem(i);
        if (type->SeriesClass == series->ClassType() && !type->FunctionClass) {
            text = type->Description;
            return;
        }
    }
    text = series->ClassName();
}

std::string SeriesTypeDescription(const TChartSeries* series) {
    std::string text;
    SeriesTypeDescription(series, text);
    return text;
}
