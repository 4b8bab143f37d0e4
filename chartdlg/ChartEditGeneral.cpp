#include "chartdlg/ChartEditGeneral.h"

#include "chartdlg/ChartExport.h"
#include "chartdlg/ChartPreview.h"

using namespace ChartEdit;

TFormChartGeneral::TFormChartGeneral(TComponent* owner) : TChartEditPage(owner) {
    TLoadingBracket loading(this);
    SetName("FormChartGeneral");
    SetCaption("");
    SetBounds(0, 0, 400, 225);

    GBZoom = PlaceControl<TGroupBox>(this, this, "GBZoom", 8, 4, 169, 97, "Zoom");
    CBAllowZoom =
        MakeCheck(this, GBZoom, "CBAllowZoom", "&Allow Zoom", 8, 18, 150,
                  TNotifyEvent(this, &TFormChartGeneral::CBAllowZoomClick, "CBAllowZoomClick"));
    CBAnimatedZoom = MakeCheck(
        this, GBZoom, "CBAnimatedZoom", "Animated Z&oom", 8, 40, 150,
        TNotifyEvent(this, &TFormChartGeneral::CBAnimatedZoomClick, "CBAnimatedZoomClick"));
    LSteps = MakeLabel(this, GBZoom, "LSteps", "&Steps:", 8, 68, 50);
    MakeSpin(this, GBZoom, SEAniZoomSteps, UDAniZoomSteps, "SEAniZoomSteps", "UDAniZoomSteps", 62,
             64, 40, 0, 100, 1, 8,
             TNotifyEvent(this, &TFormChartGeneral::SEAniZoomStepsChange, "SEAniZoomStepsChange"));
    LSteps->SetFocusControl(SEAniZoomSteps);

    RGPanning =
        MakeRadioGroup(this, this, "RGPanning", "Allow Scroll:", 8, 106, 169, 110,
                       {"&None", "&Horizontal", "&Vertical", "&Both"},
                       TNotifyEvent(this, &TFormChartGeneral::RGPanningClick, "RGPanningClick"));

    CBClipPoints =
        MakeCheck(this, this, "CBClipPoints", "&Clip Points", 190, 10, 120,
                  TNotifyEvent(this, &TFormChartGeneral::CBClipPointsClick, "CBClipPointsClick"));
    BPrint = MakeButton(this, this, "BPrint", "Print &Preview...", 280, 150, 110,
                        TNotifyEvent(this, &TFormChartGeneral::BPrintClick, "BPrintClick"));
    BExport = MakeButton(this, this, "BExport", "&Export...", 280, 184, 110,
                         TNotifyEvent(this, &TFormChartGeneral::BExportClick, "BExportClick"));

    GBMargins = PlaceControl<TGroupBox>(this, this, "GBMargins", 190, 36, 170, 105, "Margins (%)");
    MakeSpin(this, GBMargins, SETopMa, UDTopMa, "SETopMa", "UDTopMa", 60, 18, 38, 0, 100, 5, 3,
             TNotifyEvent(this, &TFormChartGeneral::SETopMaChange, "SETopMaChange"));
    MakeSpin(this, GBMargins, SELeftMa, UDLeftMa, "SELeftMa", "UDLeftMa", 8, 46, 38, 0, 100, 5, 3,
             TNotifyEvent(this, &TFormChartGeneral::SELeftMaChange, "SELeftMaChange"));
    MakeSpin(this, GBMargins, SERightMa, UDRightMa, "SERightMa", "UDRightMa", 110, 46, 38, 0, 100,
             5, 3, TNotifyEvent(this, &TFormChartGeneral::SERightMaChange, "SERightMaChange"));
    MakeSpin(this, GBMargins, SEBotMa, UDBotMa, "SEBotMa", "UDBotMa", 60, 74, 38, 0, 100, 5, 3,
             TNotifyEvent(this, &TFormChartGeneral::SEBotMaChange, "SEBotMaChange"));

    SetOnShow(TNotifyEvent(this, &TFormChartGeneral::FormShow, "FormShow"));
}

TFormChartGeneral* TFormChartGeneral::CreateForChart(TComponent* owner, TCustomChart* chart) {
    auto* page = CreateForm<TFormChartGeneral>(owner);
    page->FChart = chart;
    return page;
}

void TFormChartGeneral::FormShow(TObject*) {
    FLoading = true;
    RGPanning->SetItemIndex(int(FChart->AllowPanning()));
    CBClipPoints->SetChecked(FChart->ClipPoints());
    UDTopMa->SetPosition(FChart->MarginTop());
    UDLeftMa->SetPosition(FChart->MarginLeft());
    UDBotMa->SetPosition(FChart->MarginBottom());
    UDRightMa->SetPosition(FChart->MarginRight());
    CBAllowZoom->SetChecked(FChart->AllowZoom());
    CBAnimatedZoom->SetChecked(FChart->AnimatedZoom());
    UDAniZoomSteps->SetPosition(FChart->AnimatedZoomSteps());
    FLoading = false;
}

void TFormChartGeneral::CBAllowZoomClick(TObject*) {
    if (!FLoading)
        FChart->SetAllowZoom(CBAllowZoom->Checked());
}

void TFormChartGeneral::CBAnimatedZoomClick(TObject*) {
    if (!FLoading)
        FChart->SetAnimatedZoom(CBAnimatedZoom->Checked());
}

void TFormChartGeneral::SEAniZoomStepsChange(TObject*) {
    if (!FLoading)
        FChart->SetAnimatedZoomSteps(UDAniZoomSteps->Position());
}

void TFormChartGeneral::RGPanningClick(TObject*) {
    if (!FLoading && RGPanning->ItemIndex() >= 0)
        FChart->SetAllowPanning(TPanningMode(RGPanning->ItemIndex()));
}

void TFormChartGeneral::CBClipPointsClick(TObject*) {
    if (!FLoading)
        FChart->SetClipPoints(CBClipPoints->Checked());
}

void TFormChartGeneral::BPrintClick(TObject*) {
    ShowChartPreview(this, FChart);
}

void TFormChartGeneral::BExportClick(TObject*) {
    ExportChart(this, FChart);
}

void TFormChartGeneral::MarginChanged(TUpDown* upDown, int index, int opposite) {
    if (FLoading)
        return;
    const int value = upDown->Position();
    if (value + FChart->Margin(opposite) < 100) {
        FChart->SetMargin(index, value);
    } else {
        TFlagGuard guard(FLoading);
        upDown->SetPosition(FChart->Margin(index));
    }
}

// Margin indexes: 0 left, 1 top, 2 right, 3 bottom.
void TFormChartGeneral::SETopMaChange(TObject*) {
    MarginChanged(UDTopMa, 1, 3);
}

void TFormChartGeneral::SELeftMaChange(TObject*) {
    MarginChanged(UDLeftMa, 0, 2);
}

void TFormChartGeneral::SEBotMaChange(TObject*) {
    MarginChanged(UDBotMa, 3, 1);
}

void TFormChartGeneral::SERightMaChange(TObject*) {
    MarginChanged(UDRightMa, 2, 0);
}
