#pragma once
// The generator-set editor: power, connection, and whether the power follows from the
// loads (then the power box is disabled).

#include "framework/core/Classes.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "persist/ExSpin.h"

class TFmHZed : public TForm {
    ORV_CLASS(TFmHZed, TForm)
public:
    explicit TFmHZed(TComponent* owner);

    TScrollBox* ScrollBox1 = nullptr; // holds the boxes below
    TLabel* Label1 = nullptr;         // "Συνολική Ισχύς (Watt):"
    TRadioGroup* edHZConType = nullptr;
    TGroupBox* gbHZPower = nullptr;
    TLabel* Label2 = nullptr; // "Ισχύς :"
    TExSpinEdit* edHZPower = nullptr;
    TCheckBox* cbHZCalc = nullptr;

    void FormCreate(TObject* sender);
    void edHZPowerChange(TObject* sender);
    void edHZConTypeClick(TObject* sender);
    void cbHZCalcClick(TObject* sender);

private:
    bool FLoading = false; // filling the controls: no writes to the model
};
