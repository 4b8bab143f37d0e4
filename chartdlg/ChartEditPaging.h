#pragma once
// The chart editor's "Paging" page: points per page and moving through the pages.

#include "chart/Chart.h"
#include "chartdlg/ChartEditControls.h"

class TFormChartPage : public TChartEditPage {
    ORV_CLASS(TFormChartPage, TChartEditPage)
public:
    explicit TFormChartPage(TComponent* owner);
    static TFormChartPage* CreateForChart(TComponent* owner, TCustomChart* chart);

    TLabel* L17 = nullptr;
    TEdit* SEPointsPerPage = nullptr;
    TUpDown* UDPointsPerPage = nullptr;
    TCheckBox* CBScaleLast = nullptr;
    TLabel* L18 = nullptr;
    TLabel* LabelPages = nullptr;
    TButton* BFirstPage = nullptr;
    TButton* ButtonPrevious = nullptr;
    TButton* ButtonNext = nullptr;
    TButton* BLastPage = nullptr;

    TCustomChart* Chart() const { return FChart; }

    void FormShow(TObject* sender);
    void SEPointsPerPageChange(TObject* sender);
    void CBScaleLastClick(TObject* sender);
    void BFirstPageClick(TObject* sender);
    void ButtonPreviousClick(TObject* sender);
    void ButtonNextClick(TObject* sender);
    void BLastPageClick(TObject* sender);

private:
    // The page label and the navigation buttons from the chart's page and page count.
    void RefreshStatus();
    TCustomChart* FChart = nullptr;
};
