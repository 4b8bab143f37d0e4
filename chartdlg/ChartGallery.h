#pragma once
// The series gallery: every registered series type as a small live sample chart, laid out
// in a grid on tabbed pages ("Standard", "Functions" and the types' own pages). The user
// picks one to add a series or to change the type of existing series.

#include "chart/Chart.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"

#include <string>
#include <vector>

// Sender: the panel.
using TChartGalleryEvent = TEvent<void(TObject*)>;

// The grid of sample charts of one gallery page.
class TChartGalleryPanel : public TCustomPanel {
    ORV_CLASS(TChartGalleryPanel, TCustomPanel)
public:
    explicit TChartGalleryPanel(TComponent* owner);
    ~TChartGalleryPanel() override;

    // ---- The grid
    int NumRows() const { return FNumRows; }
    int NumCols() const { return FNumCols; }
    void SetGrid(int rows, int cols);
    int CellWidth() const;
    int CellHeight() const;
    // Where the chart with running number tag lies in the panel.
    TRect ChartBounds(int tag) const;
    // Places every chart in its cell (after a resize or a new grid).
    void ResizeCharts();

    // ---- The charts
    // Frees the charts and makes one per allowed type of the page, in registry order.
    void CreateGalleryPage(const std::string& page, bool functionsAllowed);
    const std::vector<TCustomChart*>& Charts() const { return FCharts; }
    // The chart at row and column; nullptr outside the grid or the charts.
    TCustomChart* ChartAt(int row, int col) const;
    // The series type a sample chart shows.
    TChartSeriesType* ChartType(const TCustomChart* chart) const;
    bool IsChartEnabled(const TCustomChart* chart) const;
    TCustomChart* SelectedChart() const { return FSelectedChart; }
    // Highlights chart (nullptr clears the highlight) and fires OnChangeChart.
    void SelectChart(TCustomChart* chart);
    // Highlights the first chart of the old series' class without a function, else keeps
    // the selected chart, else the first.
    void FindSeriesChart();
    // Chooses the selected chart for good: OnSelectedChart.
    void ChooseSelected();

    // The series being replaced (or the reference of a new one); cleared when freed.
    TChartSeries* OldSeries() const { return FOldSeries; }
    void SetOldSeries(TChartSeries* value);
    // Charts whose first series cannot take over the old series' data are disabled.
    bool CheckSeries() const { return FCheckSeries; }
    void SetCheckSeries(bool value) { FCheckSeries = value; }
    bool View3D() const { return FView3D; }
    // Every chart follows (first series prepared again, margins 2 in 3-D, 6 in 2-D).
    void SetView3D(bool value);
    // Axis labels of the sample charts that show axes (on while the gallery is maximised).
    void ShowAxisLabels(bool value);

    // Enter chooses; the arrow keys move the highlight within the grid.
    void ProcessKeyDown(uint16_t& key);

    const TChartGalleryEvent& OnSelectedChart() const { return FOnSelectedChart; }
    void SetOnSelectedChart(TChartGalleryEvent value) { FOnSelectedChart = std::move(value); }
    const TChartGalleryEvent& OnChangeChart() const { return FOnChangeChart; }
    void SetOnChangeChart(TChartGalleryEvent value) { FOnChangeChart = std::move(value); }

protected:
    void HandleResize() override;
    void ComponentNotification(TComponent* component, TOperation operation) override;

private:
    struct TSample {
        TCustomChart* Chart;
        TChartSeriesType* Type;
        bool Enabled;
    };
    void FreeCharts();
    TCustomChart* CreateChart(TChartSeriesType* type, int tag);
    void ResetLook(TCustomChart* chart);
    void PrepareLook(TCustomChart* chart);
    const TSample* SampleOf(const TCustomChart* chart) const;
    int BorderSize() const;

    int FNumRows = 3;
    int FNumCols = 4;
    std::vector<TCustomChart*> FCharts;
    std::vector<TSample> FSamples;
    TCustomChart* FSelectedChart = nullptr;
    TChartSeries* FOldSeries = nullptr;
    bool FCheckSeries = false;
    bool FView3D = true;
    bool FAxisLabels = false;
    TChartGalleryEvent FOnSelectedChart;
    TChartGalleryEvent FOnChangeChart;
};

// The gallery's tab control.
class TChartTabControl : public TTabControl {
    ORV_CLASS(TChartTabControl, TTabControl)
public:
    explicit TChartTabControl(TComponent* owner) : TTabControl(owner) {}
};

// The gallery dialog.
class TChartGallery : public TForm {
    ORV_CLASS(TChartGallery, TForm)
public:
    explicit TChartGallery(TComponent* owner);

    TPanel* P1 = nullptr;
    TButton* BOk = nullptr;
    TButton* BCancel = nullptr;
    TCheckBox* CB3D = nullptr;
    TChartTabControl* TabControl = nullptr;
    TChartGalleryPanel* ChartGalleryPanel1 = nullptr;

    bool FunctionsVisible() const { return FFunctionsVisible; }
    // Without functions the "Functions" tab is removed (call before showing).
    void SetFunctionsVisible(bool value);

    // The series class and function class of the chosen sample (nullptr when none).
    TClass SelectedSeriesClass() const;
    TClass SelectedFunctionClass() const;

    void FormShow(TObject* sender);
    void CB3DClick(TObject* sender);
    void TabControlChange(TObject* sender);
    void FormKeyDown(TObject* sender, uint16_t& key, TShiftState shift);
    void FormResize(TObject* sender);

private:
    // Fills the panel with the page of tab index.
    void FillPage(int index);
    bool FLoading = false;
    bool FFunctionsVisible = true;
};

// The modal gallery: true with the chosen sample's first series class, its function
// class (or nullptr) and 3-D state; false when cancelled or nothing was chosen.
bool ShowSeriesGallery(TComponent* owner, TChartSeries* oldSeries, bool allowFunctions,
                       TClass& functionClass, bool& view3D, TClass& seriesClass);
// A new series of the chosen type in chart (nullptr when cancelled, or when a type
// change keeps the old series' class); the chart takes the chosen 3-D state.
TChartSeries* CreateSeriesFromGallery(TComponent* owner, TChartSeries* oldSeries,
                                      TCustomAxisPanel* chart, bool allowFunctions);
// Replaces series by one of the type chosen in the gallery (series then names the new
// one); nothing changes when the gallery is cancelled or keeps the class.
void ChangeSeriesTypeFromGallery(TComponent* owner, TChartSeries*& series);
// The description of the series' registered type without a function; its class name
// when none is registered.
void SeriesTypeDescription(const TChartSeries* series, std::string& text);
std::string SeriesTypeDescription(const TChartSeries* series);
