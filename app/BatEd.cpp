#include "app/BatEd.h"

#include "app/FormParts.h"
#include "framework/core/SystemUtils.h"
#include "model/Data.h"

namespace {

TLabel* MakeLabel(TfmBatEd* form, const std::string& name, const std::string& caption, int top) {
    auto* label = new TLabel(form);
    label->SetName(name);
    label->SetParent(form->ScrollBox1);
    label->SetCaption(caption);
    label->SetBounds(16, top + 4, 150, 16);
    return label;
}

TExSpinEdit* MakeSpin(TfmBatEd* form, const std::string& name, int top) {
    auto* edit = new TExSpinEdit(form);
    edit->SetName(name);
    edit->SetParent(form->ScrollBox1);
    edit->SetBounds(176, top, 121, 24);
    edit->SetAlignment(taRightJustify);
    return edit;
}

} // namespace

TfmBatEd::TfmBatEd(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmBatEd");
    SetCaption("Στοιχεία Συσσωρευτών");
    SetBounds(0, 0, 400, 300);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-13);

    ScrollBox1 = MakeScrollPane(this);
    Label1 = MakeLabel(this, "Label1", "Χωρητικότητα (Wh):", 16);
    edBateryCap = MakeSpin(this, "edBateryCap", 16);
    Label2 = MakeLabel(this, "Label2", "Χωρητικότητα (Ah):", 48);
    stBatCapA = new TStaticText(this);
    stBatCapA->SetName("stBatCapA");
    stBatCapA->SetParent(ScrollBox1);
    stBatCapA->SetAutoSize(false);
    stBatCapA->SetAlignment(taRightJustify);
    stBatCapA->SetBorderStyle(sbsSunken);
    stBatCapA->SetBounds(176, 48, 121, 24);
    stBatCapA->SetCaption("");
    Label3 = MakeLabel(this, "Label3", "Τάση (Volts):", 80);
    edBatVoltage = MakeSpin(this, "edBatVoltage", 80);
    Label4 = MakeLabel(this, "Label4", "Ελάχιστη (%)", 112);
    edSafeBatCoef = MakeSpin(this, "edSafeBatCoef", 112);
    edSafeBatCoef->SetValueType(TExSpinEdit::vtFloat);
    edSafeBatCoef->SetIncrement(0.1);
    edSafeBatCoef->SetMaxValue(100);
    Label5 = MakeLabel(this, "Label5", "Απώλειες/h/C (%)", 144);
    edBatLossesPerHour = MakeSpin(this, "edBatLossesPerHour", 144);
    edBatLossesPerHour->SetValueType(TExSpinEdit::vtFloat);

    TNotifyEvent capChange(this, &TfmBatEd::edBateryCapChange, "edBateryCapChange");
    edBateryCap->SetOnChange(capChange);
    edBatVoltage->SetOnChange(capChange);
    edSafeBatCoef->SetOnChange(
        TNotifyEvent(this, &TfmBatEd::edSafeBatCoefChange, "edSafeBatCoefChange"));
    edBatLossesPerHour->SetOnChange(
        TNotifyEvent(this, &TfmBatEd::edBatLossesPerHourChange, "edBatLossesPerHourChange"));

    SetOnCreate(TNotifyEvent(this, &TfmBatEd::FormCreate, "FormCreate"));
}

void TfmBatEd::FormCreate(TObject*) {
    FLoading = true;
    try {
        edBateryCap->SetValue(BatCapacity);
        edSafeBatCoef->SetValue(100 * BatSafeCoef);
        edBatVoltage->SetValue(BatVoltage);
        edBatLossesPerHour->SetValue(100 * BatLossesPerHour);
        edBateryCapChange(edBateryCap);
    } catch (...) {
        FLoading = false;
        throw;
    }
    FLoading = false;
}

void TfmBatEd::edBateryCapChange(TObject* sender) {
    // A box without a number stands for the model's value.
    const double capacity = edBateryCap->HasValue() ? edBateryCap->Value() : BatCapacity;
    const double voltage = edBatVoltage->HasValue() ? edBatVoltage->Value() : BatVoltage;
    if (voltage == 0)
        stBatCapA->SetCaption("Δ/Υ");
    else
        stBatCapA->SetCaption(Format("%0.3f", {capacity / voltage}));
    if (FLoading)
        return;
    double value;
    if (sender == edBateryCap && ReadSpin(edBateryCap, BatCapacity, value, 0, kMaxBatCapacity))
        BatCapacity = value;
    else if (sender == edBatVoltage && ReadSpin(edBatVoltage, BatVoltage, value))
        BatVoltage = value;
}

void TfmBatEd::edSafeBatCoefChange(TObject*) {
    double percent;
    if (!FLoading && ReadSpin(edSafeBatCoef, 100 * BatSafeCoef, percent, 0, 100))
        BatSafeCoef = percent / 100;
}

void TfmBatEd::edBatLossesPerHourChange(TObject*) {
    double percent;
    if (!FLoading && ReadSpin(edBatLossesPerHour, 100 * BatLossesPerHour, percent))
        BatLossesPerHour = percent / 100;
}
