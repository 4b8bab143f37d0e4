#pragma once
// The chart editor's "General" page: zoom and scrolling switches, point clipping, the
// chart's margins, and the print preview and export dialogs.

#include "chart/Chart.h"
#include "chartdlg/ChartEditControls.h"

class TFormChartGeneral : public TChartEditPage {
    ORV_CLASS(TFormChartGeneral, TChartEditPage)
public:
    explicit TFormChartGeneral(TComponent* owner);
    static TFormChartGeneral* CreateForChart(TComponent* owner, TCustomChart* chart);

    TGroupBox* GBZoom = nullptr;
    TCheckBox* CBAllowZoom = nullptr;
    TCheckBox* CBAnimatedZoom = nullptr;
    TLabel* LSteps = nullptr;
    TEdit* SEAniZoomSteps = nullptr;
    TUpDown* UDAniZoomSteps = nullptr;
    TRadioGroup* RGPanning = nullptr;
    TCheckBox* CBClipPoints = nullptr;
    TButton* BPrint = nullptr;
    TButton* BExport = nullptr;
    TGroupBox* GBMargins = nullptr;
    TEdit* SETopMa = nullptr;
    TEdit* SELeftMa = nullptr;
    TEdit* SEBotMa = nullptr;
    TEdit* SERightMa = nullptr;
    TUpDown* UDTopMa = nullptr;
    TUpDown* UDLeftMa = nullptr;
    TUpDown* UDBotMa = nullptr;
    TUpDown* UDRightMa = nullptr;

    TCustomChart* Chart() const { return FChart; }

    void FormShow(TObject* sender);
    void CBAllowZoomClick(TObject* sender);
    void CBAnimatedZoomClick(TObject* sender);
    void SEAniZoomStepsChange(TObject* sender);
    void RGPanningClick(TObject* sender);
    void CBClipPointsClick(TObject* sender);
    void BPrintClick(TObject* sender);
    void BExportClick(TObject* sender);
    void SETopMaChange(TObject* sender);
    void SELeftMaChange(TObject* sender);
    void SEBotMaChange(TObject* sender);
    void SERightMaChange(TObject* sender);

private:
    // A margin edit: the up-down's value when it and the opposite margin leave room,
    // otherwise the up-down goes back to the margin.
    void MarginChanged(TUpDown* upDown, int index, int opposite);
    TCustomChart* FChart = nullptr;
};
