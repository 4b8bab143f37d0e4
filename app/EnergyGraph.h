#pragma once
// The coverage of the load as a 3-D pie: the shares of the generator set, the wind
// generator and the PV array. The energy workbench fills the pie, shows the window
// modally and frees it.

#include "app/GraphBase.h"

class TPieSeries;

class TfmEnergyGraph : public TfmGraphBase {
    ORV_CLASS(TfmEnergyGraph, TfmGraphBase)
public:
    explicit TfmEnergyGraph(TComponent* owner);

    TPieSeries* Series1 = nullptr; // "Καλυψη Ζήτησης"
};
