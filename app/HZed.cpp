#include "app/HZed.h"

#include "app/FormParts.h"
#include "model/Data.h"

TFmHZed::TFmHZed(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("FmHZed");
    SetCaption("FmHZed");
    SetBounds(0, 0, 400, 300);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-13);

    ScrollBox1 = MakeScrollPane(this);
    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(ScrollBox1);
    Label1->SetCaption("Συνολική Ισχύς (Watt):");
    Label1->SetBounds(16, 12, 200, 16);

    edHZConType = new TRadioGroup(this);
    edHZConType->SetName("edHZConType");
    edHZConType->SetParent(ScrollBox1);
    edHZConType->SetCaption(" Σύνδεση ");
    edHZConType->SetBounds(16, 36, 290, 72);
    edHZConType->Items()->Add("Στον πίνακα κατανάλωσης");
    edHZConType->Items()->Add("Στον φορτιστή μπαταριών");
    edHZConType->SetOnClick(TNotifyEvent(this, &TFmHZed::edHZConTypeClick, "edHZConTypeClick"));

    gbHZPower = new TGroupBox(this);
    gbHZPower->SetName("gbHZPower");
    gbHZPower->SetParent(ScrollBox1);
    gbHZPower->SetCaption("");
    gbHZPower->SetBounds(16, 116, 290, 56);
    Label2 = new TLabel(this);
    Label2->SetName("Label2");
    Label2->SetParent(gbHZPower);
    Label2->SetCaption("Ισχύς :");
    Label2->SetBounds(12, 24, 60, 16);
    edHZPower = new TExSpinEdit(this);
    edHZPower->SetName("edHZPower");
    edHZPower->SetParent(gbHZPower);
    edHZPower->SetBounds(80, 20, 121, 24);
    edHZPower->SetAlignment(taRightJustify);
    edHZPower->SetOnChange(TNotifyEvent(this, &TFmHZed::edHZPowerChange, "edHZPowerChange"));

    cbHZCalc = new TCheckBox(this);
    cbHZCalc->SetName("cbHZCalc");
    cbHZCalc->SetParent(ScrollBox1);
    cbHZCalc->SetCaption("Οπως προκύπτει από τις καταναλώσεις");
    cbHZCalc->SetBounds(16, 180, 290, 20);
    cbHZCalc->SetOnClick(TNotifyEvent(this, &TFmHZed::cbHZCalcClick, "cbHZCalcClick"));

    SetOnCreate(TNotifyEvent(this, &TFmHZed::FormCreate, "FormCreate"));
}

void TFmHZed::FormCreate(TObject*) {
    FLoading = true;
    try {
        edHZPower->SetValue(HZPower);
        edHZConType->SetItemIndex(HZConType);
        cbHZCalc->SetChecked(HZCalc);
        cbHZCalcClick(cbHZCalc);
    } catch (...) {
        FLoading = false;
        throw;
    }
    FLoading = false;
}

void TFmHZed::edHZPowerChange(TObject*) {
    double power;
    if (!FLoading && ReadSpin(edHZPower, HZPower, power, 0, kMaxPower))
        HZPower = power;
}

void TFmHZed::edHZConTypeClick(TObject*) {
    if (!FLoading)
        HZConType = edHZConType->ItemIndex();
}

void TFmHZed::cbHZCalcClick(TObject*) {
    gbHZPower->SetEnabled(!cbHZCalc->Checked());
    if (!FLoading)
        HZCalc = cbHZCalc->Checked();
}
