#include "app/SsnGr.h"

#include "chart/GanttSeries.h"
#include "chart/Series.h"
#include "model/Data.h"

TfmSsnGr::TfmSsnGr(TComponent* owner) : TfmGraphBaseSt(owner) {
    TLoadingBracket loading(this);
    SetName("fmSsnGr");
    SetCaption("Περίοδοι Λειτουργίας");
    Chart1->Title()->SetVisible(false);
    Chart1->BottomAxis()->SetDateTimeFormat("d/M");

    Series1 = new TGanttSeries(this);
    Series1->SetName("Series1");
    Series1->SetColorEachPoint(true);
    Series1->Marks()->SetVisible(false);
    Series1->Pointer()->SetStyle(psRectangle);
    Series1->Pointer()->SetInflateMargins(true);
    Series1->Pointer()->SetVisible(true);
    Series1->StartValues()->SetDateTime(true);
    Series1->EndValues()->SetDateTime(true);
    Series1->ConnectingPen()->SetVisible(false);
    Series1->SetParentChart(Chart1);

    SetOnCreate(TNotifyEvent(this, &TfmSsnGr::FormCreate, "FormCreate"));
}

void TfmSsnGr::FormCreate(TObject*) {
    FillFromSeasons();
}

void TfmSsnGr::FillFromSeasons() {
    Series1->ClearValues();
    const TDateTime d0 = BaseDate;
    for (int i = 0; i < SeasonList->Count(); ++i) {
        const TSeason* season = SeasonList->GetSeason(i);
        const std::string& label = season->Description();
        if (season->DayStop() >= season->DayStart()) {
            Series1->AddTask(d0 + season->DayStart() - 1, d0 + season->DayStop() - 1, i, label);
        } else {
            // Across New Year: from the eve of the year to the last day, then from the
            // first day to the end of the year.
            Series1->AddTask(d0 - 1, d0 + season->DayStop() - 1, i, label);
            Series1->AddTask(d0 + season->DayStart() - 1, d0 + 364, i, label);
        }
    }
}
