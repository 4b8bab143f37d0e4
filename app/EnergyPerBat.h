#pragma once
// The sensitivity chart of the energy workbench: four stacked areas over the swept value
// (battery capacity, power factor or PV power), the energies of the generator set, the
// wind generator, the PV array and the surplus. The workbench fills the series, shows the
// window modally and frees it.

#include "app/GraphBase.h"

class TAreaSeries;

class TfmEnergyPerBat : public TfmGraphBase {
    ORV_CLASS(TfmEnergyPerBat, TfmGraphBase)
public:
    explicit TfmEnergyPerBat(TComponent* owner);

    TAreaSeries* srPHZ = nullptr; // "phz", red
    TAreaSeries* srPW = nullptr;  // "pw", green
    TAreaSeries* srPPH = nullptr; // "pph", yellow
    TAreaSeries* srPDL = nullptr; // "pdl", olive
};
