#include "chartdlg/ChartEditPeriod.h"

#include "chart/ChartProcs.h"
#include "chartdlg/AxisIncrement.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Dialogs.h"

#include <cmath>
#include <memory>

namespace {
// How a range that is not a date-time span is shown.
constexpr const char* kRangeFormat = "#,##0.###";
} // namespace

TFormPeriod::TFormPeriod(TComponent* owner) : TForm(owner) {
    SetName("FormPeriod");
    SetCaption("Function Period");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(300);
    SetClientHeight(190);

    LCalc = new TLabel(this);
    LCalc->SetName("LCalc");
    LCalc->SetCaption("");
    LCalc->SetBounds(8, 8, 280, 13);
    LCalc->SetParent(this);

    RBNum = new TRadioButton(this);
    RBNum->SetName("RBNum");
    RBNum->SetCaption("&Number of points:");
    RBNum->SetBounds(8, 30, 130, 17);
    RBNum->SetParent(this);
    ENum = new TEdit(this);
    ENum->SetName("ENum");
    ENum->SetBounds(140, 28, 60, 21);
    ENum->SetParent(this);
    CBAll = new TCheckBox(this);
    CBAll->SetName("CBAll");
    CBAll->SetCaption("&All points");
    CBAll->SetBounds(208, 30, 85, 17);
    CBAll->SetParent(this);

    RBRange = new TRadioButton(this);
    RBRange->SetName("RBRange");
    RBRange->SetCaption("&Range of values:");
    RBRange->SetBounds(8, 60, 130, 17);
    RBRange->SetParent(this);
    BChange = new TButton(this);
    BChange->SetName("BChange");
    BChange->SetCaption("&Change...");
    BChange->SetBounds(140, 57, 75, 23);
    BChange->SetParent(this);
    BLabel = new TLabel(this);
    BLabel->SetName("BLabel");
    BLabel->SetCaption("");
    BLabel->SetBounds(222, 62, 70, 13);
    BLabel->SetParent(this);

    RGAlign = new TRadioGroup(this);
    RGAlign->SetName("RGAlign");
    RGAlign->SetCaption("Alignment:");
    RGAlign->SetColumns(3);
    for (const char* item : {"&First", "C&enter", "&Last"})
        RGAlign->Items()->Add(item);
    RGAlign->SetBounds(8, 90, 284, 50);
    RGAlign->SetParent(this);

    Button2 = new TButton(this);
    Button2->SetName("Button2");
    Button2->SetCaption("OK");
    Button2->SetModalResult(mrOk);
    Button2->SetDefault(true);
    Button2->SetBounds(136, 154, 75, 25);
    Button2->SetParent(this);
    Button3 = new TButton(this);
    Button3->SetName("Button3");
    Button3->SetCaption("Cancel");
    Button3->SetModalResult(mrCancel);
    Button3->SetCancel(true);
    Button3->SetBounds(217, 154, 75, 25);
    Button3->SetParent(this);

    SetOnShow(TNotifyEvent([this](TObject* s) { FormShow(s); }));
    RBNum->SetOnClick(TNotifyEvent([this](TObject* s) { RBNumClick(s); }));
    RBRange->SetOnClick(TNotifyEvent([this](TObject* s) { RBRangeClick(s); }));
    ENum->SetOnChange(TNotifyEvent([this](TObject* s) { ENumChange(s); }));
    CBAll->SetOnClick(TNotifyEvent([this](TObject* s) { CBAllClick(s); }));
    BChange->SetOnClick(TNotifyEvent([this](TObject* s) { BChangeClick(s); }));
    RGAlign->SetOnClick(TNotifyEvent([this](TObject* s) { RGAlignClick(s); }));
}

void TFormPeriod::EnableControls() {
    const bool numbers = RBNum->Checked();
    CBAll->SetEnabled(numbers);
    ENum->SetEnabled(numbers);
    BChange->SetEnabled(!numbers);
}

void TFormPeriod::RefreshLabel() {
    BLabel->SetCaption(IncrementToText(IsDateTime, true, kRangeFormat, Period));
}

void TFormPeriod::FormShow(TObject*) {
    FLoading = true;
    if (PeriodStyle == 1)
        RBRange->SetChecked(true);
    else
        RBNum->SetChecked(true);
    RGAlign->SetItemIndex(PeriodAlign);
    if (RBNum->Checked()) {
        if (Period < 0)
            Period = 0;
        Period = std::round(Period);
    }
    // Checked after the count is made whole, so that it agrees with the count shown.
    CBAll->SetChecked(Period == 0);
    ENum->SetText(FloatToStr(Period));
    RefreshLabel();
    EnableControls();
    FLoading = false;
}

void TFormPeriod::RBNumClick(TObject*) {
    if (FLoading)
        return;
    PeriodStyle = 0;
    EnableControls();
    if (ENum->CanFocus())
        ENum->SetFocus();
}

void TFormPeriod::RBRangeClick(TObject*) {
    if (FLoading)
        return;
    PeriodStyle = 1;
    EnableControls();
    if (BChange->CanFocus())
        BChange->SetFocus();
}

void TFormPeriod::ENumChange(TObject*) {
    if (FLoading)
        return;
    Period = StrToFloat(ENum->Text());
    FLoading = true;
    CBAll->SetChecked(Period == 0);
    FLoading = false;
}

void TFormPeriod::CBAllClick(TObject*) {
    if (FLoading || !CBAll->Checked())
        return;
    FLoading = true;
    ENum->SetText("0");
    FLoading = false;
    Period = 0;
}

void TFormPeriod::BChangeClick(TObject*) {
    RBRange->SetChecked(true);
    std::unique_ptr<TAxisIncrement> dialog(new TAxisIncrement(this));
    dialog->SetCaption("Period range");
    dialog->IsDateTime = IsDateTime;
    dialog->ExactDateTime = true;
    dialog->Increment = Period;
    dialog->StepIndex = DateTimeStepIndex(Period);
    if (dialog->ShowModal() != mrOk)
        return;
    Period = dialog->Increment;
    RefreshLabel();
    FLoading = true;
    CBAll->SetChecked(Period == 0);
    FLoading = false;
}

void TFormPeriod::RGAlignClick(TObject*) {
    if (!FLoading)
        PeriodAlign = RGAlign->ItemIndex();
}
