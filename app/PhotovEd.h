#pragma once
// The PV editor: the total power of the PV array.

#include "framework/core/Classes.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "persist/ExSpin.h"

class TfmPhotovEd : public TForm {
    ORV_CLASS(TfmPhotovEd, TForm)
public:
    explicit TfmPhotovEd(TComponent* owner);

    TScrollBox* ScrollBox1 = nullptr; // holds the boxes below
    TLabel* Label1 = nullptr;         // "Συνολική Ισχύς (Wh):"
    TExSpinEdit* edPhPower = nullptr;

    void FormCreate(TObject* sender);
    void edPhPowerChange(TObject* sender);

private:
    bool FLoading = false; // filling the controls: no writes to the model
};
