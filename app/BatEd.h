#pragma once
// The battery editor: capacity (Wh, also shown in Ah at the voltage), voltage, minimum
// charge and losses per hour, both in per cent.

#include "framework/core/Classes.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "persist/ExSpin.h"

class TfmBatEd : public TForm {
    ORV_CLASS(TfmBatEd, TForm)
public:
    explicit TfmBatEd(TComponent* owner);

    TScrollBox* ScrollBox1 = nullptr; // holds the boxes below
    TLabel* Label1 = nullptr;         // "Χωρητικότητα (Wh):"
    TExSpinEdit* edBateryCap = nullptr;
    TLabel* Label2 = nullptr; // "Χωρητικότητα (Ah):"
    TStaticText* stBatCapA = nullptr;
    TLabel* Label3 = nullptr; // "Τάση (Volts):"
    TExSpinEdit* edBatVoltage = nullptr;
    TLabel* Label4 = nullptr; // "Ελάχιστη (%)"
    TExSpinEdit* edSafeBatCoef = nullptr;
    TLabel* Label5 = nullptr; // "Απώλειες/h/C (%)"
    TExSpinEdit* edBatLossesPerHour = nullptr;

    void FormCreate(TObject* sender);
    // Bound to the capacity and the voltage: the Ah display, and the changed box's value
    // into the model.
    void edBateryCapChange(TObject* sender);
    void edSafeBatCoefChange(TObject* sender);
    void edBatLossesPerHourChange(TObject* sender);

private:
    bool FLoading = false; // filling the controls: no writes to the model
};
