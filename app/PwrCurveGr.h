#pragma once
// The power-curve chart: the points of a wind generator's curve as one red line, both
// axes from 0 to 110 % of the largest speed and power.

#include "app/GraphBaseSt.h"

class TFastLineSeries;
class TWindPwrCurve;

class TfmPwrCurveGr : public TfmGraphBaseSt {
    ORV_CLASS(TfmPwrCurveGr, TfmGraphBaseSt)
public:
    explicit TfmPwrCurveGr(TComponent* owner);

    TFastLineSeries* Series1 = nullptr;
    // Reached by no button, menu item or shortcut.
    TAction* actChgWG = nullptr;

    // Fills the chart from the curve (nothing for nullptr).
    void ShowCurve(const TWindPwrCurve* curve);
    void FormCreate(TObject* sender);
};
