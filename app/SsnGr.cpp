#include "app/SsnGr.h"

#include "chart/Chart.h"
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
    Series1->FreeNotification(this);

    SetOnCreate(TNotifyEvent(this, &TfmSsnGr::FormCreate, "FormCreate"));
}

void TfmSsnGr::FormCreate(TObject*) {
    FillFromSeasons();
}

void TfmSsnGr::ComponentNotification(TComponent* component, TOperation operation) {
    TfmGraphBaseSt::ComponentNotification(component, operation);
    if (operation == opRemove && component == Series1)
        Series1 = nullptr;
}

TChartSeries* TfmSsnGr::PeriodsSeries() const {
    if (Series1)
        return Series1;
    // A type change replaces the series by a new one under the same name.
    for (TChartSeries* series : Chart1->SeriesList())
        if (series->Name() == "Series1")
            return series;
    return nullptr;
}

void TfmSsnGr::FillFromSeasons() {
    TChartSeries* series = PeriodsSeries();
    if (!series)
        return;
    auto* gantt = dynamic_cast<TGanttSeries*>(series);
    // A series of another type shows each bar as a point at its start on the period's row,
    // as the type change left it.
    auto bar = [&](TDateTime start, TDateTime end, int row, const std::string& label) {
        if (gantt)
            gantt->AddTask(start, end, row, label);
        else
            series->AddXY(start, row, label);
    };
    series->ClearValues();
    const TDateTime d0 = BaseDate;
    for (int i = 0; i < SeasonList->Count(); ++i) {
        const TSeason* season = SeasonList->GetSeason(i);
        const std::string& label = season->Description();
        if (season->DayStop() >= season->DayStart()) {
            bar(d0 + season->DayStart() - 1, d0 + season->DayStop() - 1, i, label);
        } else {
            // Across New Year: from the eve of the year to the last day, then from the
            // first day to the end of the year.
            bar(d0 - 1, d0 + season->DayStop() - 1, i, label);
            bar(d0 + season->DayStart() - 1, d0 + 364, i, label);
        }
    }
}
