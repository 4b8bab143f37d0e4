#pragma once
// The page of the other components (inverter, charger, wiring): inputs that nothing reads
// or stores yet.

#include "framework/core/Classes.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "persist/ExSpin.h"

class TfmRestED : public TForm {
    ORV_CLASS(TfmRestED, TForm)
public:
    explicit TfmRestED(TComponent* owner);

    TScrollBox* ScrollBox1 = nullptr;
    TLabel* lbInverter = nullptr;
    TGroupBox* gbInverter = nullptr;
    TExSpinEdit* edInvPower = nullptr;
    TExSpinEdit* edInvEfficiency = nullptr;
    TCheckBox* cbInvCalc = nullptr;
    TLabel* lbCharger = nullptr;
    TGroupBox* gbCharger = nullptr;
    TExSpinEdit* edChrPower = nullptr;
    TExSpinEdit* edChrEfficiency = nullptr;
    TCheckBox* cbChrCalc = nullptr;
    TLabel* lbRest = nullptr;
    TGroupBox* gbRest = nullptr;
    TExSpinEdit* edRestEfficiency = nullptr;
};
