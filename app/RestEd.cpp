#include "app/RestEd.h"

namespace {

// Sections and groups as wide as the longest check box caption needs, so that the page
// fits beside the design page's summary.
constexpr int kLeft = 8;
constexpr int kGroupWidth = 304;

TLabel* MakeCaption(TfmRestED* form, const std::string& name, const std::string& caption, int top) {
    auto* label = new TLabel(form);
    label->SetName(name);
    label->SetParent(form->ScrollBox1);
    label->SetCaption(caption);
    label->SetBounds(kLeft, top, 300, 16);
    label->Font()->SetStyle(TFontStyles{fsBold});
    label->Font()->SetColor(clNavy);
    return label;
}

TGroupBox* MakeGroup(TfmRestED* form, const std::string& name, int top, int height) {
    auto* group = new TGroupBox(form);
    group->SetName(name);
    group->SetParent(form->ScrollBox1);
    group->SetCaption("");
    group->SetBounds(kLeft, top, kGroupWidth, height);
    return group;
}

TExSpinEdit* MakeField(TfmRestED* form, TGroupBox* group, const std::string& name,
                       const std::string& caption, int top, int& labelNo) {
    auto* label = new TLabel(form);
    label->SetName("Label" + std::to_string(++labelNo));
    label->SetParent(group);
    label->SetCaption(caption);
    label->SetBounds(12, top + 4, 90, 16);
    auto* edit = new TExSpinEdit(form);
    edit->SetName(name);
    edit->SetParent(group);
    edit->SetBounds(110, top, 121, 24);
    edit->SetAlignment(taRightJustify);
    return edit;
}

TCheckBox* MakeCheck(TfmRestED* form, TGroupBox* group, const std::string& name,
                     const std::string& caption, int top) {
    auto* box = new TCheckBox(form);
    box->SetName(name);
    box->SetParent(group);
    box->SetCaption(caption);
    box->SetBounds(6, top, kGroupWidth - 10, 20);
    return box;
}

} // namespace

TfmRestED::TfmRestED(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("fmRestED");
    SetCaption("fmRestED");
    SetBounds(0, 0, 400, 420);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-13);

    ScrollBox1 = new TScrollBox(this);
    ScrollBox1->SetName("ScrollBox1");
    ScrollBox1->SetParent(this);
    ScrollBox1->SetAlign(alClient);

    int labels = 0;
    lbInverter = MakeCaption(this, "lbInverter", "Inverter:", 8);
    gbInverter = MakeGroup(this, "gbInverter", 28, 104);
    edInvPower = MakeField(this, gbInverter, "edInvPower", "Ισχύς :", 14, labels);
    edInvEfficiency = MakeField(this, gbInverter, "edInvEfficiency", "Βαθμός Απ.:", 44, labels);
    cbInvCalc =
        MakeCheck(this, gbInverter, "cbInvCalc", "Ισχύς όπως προκύπτει από τις καταναλώσεις", 76);

    lbCharger = MakeCaption(this, "lbCharger", "Φορτιστής:", 144);
    gbCharger = MakeGroup(this, "gbCharger", 164, 104);
    edChrPower = MakeField(this, gbCharger, "edChrPower", "Ισχύς :", 14, labels);
    edChrEfficiency = MakeField(this, gbCharger, "edChrEfficiency", "Βαθμός Απ.:", 44, labels);
    cbChrCalc =
        MakeCheck(this, gbCharger, "cbChrCalc", "Ισχύς οπως προκύπτει από το σύνολο πηγών", 76);

    lbRest = MakeCaption(this, "lbRest", "Λοιπές Συσκευές - Καλωδιώσεις", 280);
    gbRest = MakeGroup(this, "gbRest", 300, 50);
    edRestEfficiency = MakeField(this, gbRest, "edRestEfficiency", "Βαθμός Απ.:", 14, labels);
}
