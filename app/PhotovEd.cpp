#include "app/PhotovEd.h"

#include "app/FormParts.h"
#include "model/Data.h"

TfmPhotovEd::TfmPhotovEd(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmPhotovEd");
    SetCaption("fmPhotovEd");
    SetBounds(0, 0, 400, 300);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-13);

    ScrollBox1 = MakeScrollPane(this);
    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(ScrollBox1);
    Label1->SetCaption("Συνολική Ισχύς (Wh):");
    Label1->SetBounds(16, 20, 150, 16);
    edPhPower = new TExSpinEdit(this);
    edPhPower->SetName("edPhPower");
    edPhPower->SetParent(ScrollBox1);
    edPhPower->SetBounds(176, 16, 121, 24);
    edPhPower->SetAlignment(taRightJustify);
    edPhPower->SetOnChange(TNotifyEvent(this, &TfmPhotovEd::edPhPowerChange, "edPhPowerChange"));

    SetOnCreate(TNotifyEvent(this, &TfmPhotovEd::FormCreate, "FormCreate"));
}

void TfmPhotovEd::FormCreate(TObject*) {
    FLoading = true;
    try {
        edPhPower->SetValue(PVPower);
    } catch (...) {
        FLoading = false;
        throw;
    }
    FLoading = false;
}

void TfmPhotovEd::edPhPowerChange(TObject*) {
    double power;
    if (!FLoading && ReadSpin(edPhPower, PVPower, power, 0, kMaxPower))
        PVPower = power;
}
