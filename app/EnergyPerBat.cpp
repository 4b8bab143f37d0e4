#include "app/EnergyPerBat.h"

#include "chart/Series.h"

#include <string>

namespace {

TAreaSeries* MakeArea(TfmEnergyPerBat* form, const std::string& name, const std::string& title,
                      TColor color) {
    auto* series = new TAreaSeries(form);
    series->SetName(name);
    series->SetTitle(title);
    series->SetSeriesColor(color);
    series->AreaLinesPen()->SetVisible(false);
    series->Marks()->SetVisible(false);
    series->SetParentChart(form->Chart1);
    series->SetMultiArea(maStacked);
    return series;
}

} // namespace

TfmEnergyPerBat::TfmEnergyPerBat(TComponent* owner) : TfmGraphBase(owner) {
    TLoadingBracket loading(this);
    SetName("fmEnergyPerBat");
    SetCaption("fmEnergyPerBat");
    Chart1->Legend()->SetVisible(true);
    srPHZ = MakeArea(this, "srPHZ", "phz", clRed);
    srPW = MakeArea(this, "srPW", "pw", clGreen);
    srPPH = MakeArea(this, "srPPH", "pph", clYellow);
    srPDL = MakeArea(this, "srPDL", "pdl", clOlive);
}
