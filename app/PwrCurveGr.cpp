#include "app/PwrCurveGr.h"

#include "app/ViewHelpers.h"
#include "chart/Series.h"
#include "model/Data.h"

TfmPwrCurveGr::TfmPwrCurveGr(TComponent* owner) : TfmGraphBaseSt(owner) {
    TLoadingBracket loading;
    SetName("fmPwrCurveGr");
    SetCaption("Καμπύλη Ισχύος Α/Γ");
    Chart1->Title()->Text()->SetText("Καμπύλη Ισχύος");
    TChartAxis* bottom = Chart1->BottomAxis();
    bottom->Title()->SetCaption("Ταχύτητα Ανέμου (m/s)");
    bottom->SetAutomatic(false);
    bottom->SetAutomaticMinimum(false);
    bottom->SetMinimum(0);
    TChartAxis* left = Chart1->LeftAxis();
    left->Title()->SetCaption("Ισχύς (Watt)");
    left->SetAutomatic(false);
    left->SetAutomaticMinimum(false);
    left->SetMinimum(0);
    left->SetTitleSize(6);
    FormStorage->SetActive(false);

    Series1 = new TFastLineSeries(this);
    Series1->SetName("Series1");
    Series1->SetTitle("Καμπύλη Ισχύος");
    Series1->SetSeriesColor(clRed);
    Series1->Marks()->SetVisible(false);
    Series1->SetParentChart(Chart1);

    actChgWG = AddAction(this, ActionList1, "actChgWG", "Ανεμ/τρια", 3, scNone, {});
    SetOnCreate(TNotifyEvent(this, &TfmPwrCurveGr::FormCreate, "FormCreate"));
}

void TfmPwrCurveGr::ShowCurve(const TWindPwrCurve* curve) {
    if (!curve)
        return;
    Chart1->Title()->Text()->SetText(curve->ModelName());
    Series1->ClearValues();
    for (const TPwrCurvePoint& p : curve->Points())
        Series1->AddXY(p.Speed, p.Power, "", clAutoColor);
    TChartAxis* left = Chart1->LeftAxis();
    left->SetAutomaticMaximum(false);
    left->SetMaximum(1.1 * Series1->MaxYValue());
    TChartAxis* bottom = Chart1->BottomAxis();
    bottom->SetAutomaticMaximum(false);
    bottom->SetMaximum(1.1 * Series1->MaxXValue());
}

void TfmPwrCurveGr::FormCreate(TObject*) {
    ShowCurve(PwrCurve.get());
}
