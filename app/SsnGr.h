#pragma once
// The periods chart: each operating period as a bar over the model year, one row per
// period in list order; a period across New Year is drawn as two bars on its row.

#include "app/GraphBaseSt.h"

class TGanttSeries;

class TfmSsnGr : public TfmGraphBaseSt {
    ORV_CLASS(TfmSsnGr, TfmGraphBaseSt)
public:
    explicit TfmSsnGr(TComponent* owner);

    TGanttSeries* Series1 = nullptr;

    // Fills the chart from the periods of SeasonList.
    void FormCreate(TObject* sender);
    // Draws the periods of SeasonList again, in place of those shown: the chart follows
    // the list while the periods view changes it.
    void FillFromSeasons();
};
