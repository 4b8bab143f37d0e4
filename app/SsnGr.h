#pragma once
// The periods chart: each operating period as a bar over the model year, one row per
// period in list order; a period across New Year is drawn as two bars on its row.

#include "app/GraphBaseSt.h"

class TChartSeries;
class TGanttSeries;

class TfmSsnGr : public TfmGraphBaseSt {
    ORV_CLASS(TfmSsnGr, TfmGraphBaseSt)
public:
    explicit TfmSsnGr(TComponent* owner);

    // The Gantt series the window made; nullptr once it is freed (the chart editor may
    // delete it or put a series of another type in its place).
    TGanttSeries* Series1 = nullptr;

    // Fills the chart from the periods of SeasonList.
    void FormCreate(TObject* sender);
    // Draws the periods of SeasonList again, in place of those shown: the chart follows
    // the list while the periods view changes it. The series drawn is the one in the chart
    // under the name "Series1": the window's own, or the one of another type the chart
    // editor put in its place; none when the user deleted it.
    void FillFromSeasons();
    // The series FillFromSeasons draws (nullptr when there is none).
    TChartSeries* PeriodsSeries() const;

protected:
    void ComponentNotification(TComponent* component, TOperation operation) override;
};
