#include "app/phDataGr.h"

#include "chart/Series.h"
#include "framework/core/SystemUtils.h"
#include "model/Data.h"

TfmPhDataGr::TfmPhDataGr(TComponent* owner) : TfmGraphBaseSt(owner) {
    TLoadingBracket loading(this);
    SetName("fmPhDataGr");
    SetCaption("Ηλιακή Ακτινοβολία");
    Chart1->Title()->SetVisible(false);
    Chart1->LeftAxis()->SetAxisValuesFormat("#,##0.###%");
    Chart1->Legend()->SetVisible(true);
    SetOnCreate(TNotifyEvent(this, &TfmPhDataGr::FormCreate, "FormCreate"));
}

void TfmPhDataGr::FormCreate(TObject*) {
    for (int month = 1; month <= 12; ++month) {
        auto* series = new TFastLineSeries(this);
        series->SetTitle(ShortMonthNames[size_t(month - 1)]);
        series->SetParentChart(Chart1);
        for (int hour = 0; hour < 24; ++hour)
            series->AddXY(hour + 1, 100 * PhFactors->GetFactor(month, hour), "", clAutoColor);
    }
}
