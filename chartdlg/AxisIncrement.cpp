#include "chartdlg/AxisIncrement.h"

#include "chart/ChartProcs.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Dialogs.h"

#include <cmath>

using namespace ChartEdit;

namespace {

const char* const kStepNames[25] = {
    "One Second", "Five Seconds", "Ten Seconds", "Fifteen Seconds", "Thirty Seconds",
    "One Minute", "Five Minutes", "Ten Minutes", "Fifteen Minutes", "Thirty Minutes",
    "One Hour",   "Two Hours",    "Six Hours",   "Twelve Hours",    "One Day",
    "Two Days",   "Three Days",   "One Week",    "Half Month",      "One Month",
    "Two Months", "Three Months", "Four Months", "Six Months",      "One Year"};

// Days and time of a span: the time of one second for none, whole days and the time of
// the rest from one day on, else the time.
std::string SpanText(double value) {
    if (value <= 0)
        return TimeToStr(DateTimeStep[dtOneSecond]);
    if (value >= 1) {
        const double days = std::floor(value);
        std::string text = FloatToStr(days);
        const double rest = value - days;
        if (rest > 0)
            text += " " + TimeToStr(rest);
        return text;
    }
    return TimeToStr(value);
}

constexpr int kMargin = 8;

} // namespace

std::string DateTimeStepText(int stepIndex) {
    return stepIndex >= 0 && stepIndex < 25 ? kStepNames[stepIndex] : "";
}

std::string IncrementToText(bool isDateTime, bool useStepNames, const std::string& format,
                            double value) {
    if (!isDateTime)
        return FormatFloat(format, value);
    if (useStepNames) {
        const int step = DateTimeStepIndex(value);
        if (step != dtNone)
            return DateTimeStepText(step);
    }
    return SpanText(value);
}

TAxisIncrement::TAxisIncrement(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("AxisIncrement");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 330, 160);

    RadioGroup1 = MakeRadioGroup(
        this, this, "RadioGroup1", "Increment:", 8, 4, 100, 70, {"&Standard:", "&Custom:"},
        TNotifyEvent(this, &TAxisIncrement::RadioGroup1Click, "RadioGroup1Click"));
    CBSteps = MakeList(this, this, "CBSteps", 116, 18, 200, {},
                       TNotifyEvent(this, &TAxisIncrement::CBStepsChange, "CBStepsChange"));
    for (const char* name : kStepNames)
        CBSteps->Items()->Add(name);
    Label1 = MakeLabel(this, this, "Label1", "&Increment:", 116, 52, 70);
    ECustom = PlaceControl<TEdit>(this, this, "ECustom", 190, 48, 126, 24);
    ECustom->SetShowHint(true);
    Label1->SetFocusControl(ECustom);
    CBExact = MakeCheck(this, this, "CBExact", "&Exact Date Time", 8, 82, 160,
                        TNotifyEvent(this, &TAxisIncrement::CBExactClick, "CBExactClick"));
    BitBtn1 = PlaceControl<TBitBtn>(this, this, "BitBtn1", 150, 110, 80, 27, "OK");
    BitBtn1->SetDefault(true);
    BitBtn1->SetOnClick(TNotifyEvent(this, &TAxisIncrement::BitBtn1Click, "BitBtn1Click"));
    BitBtn2 = PlaceControl<TBitBtn>(this, this, "BitBtn2", 236, 110, 80, 27, "Cancel");
    BitBtn2->SetCancel(true);
    BitBtn2->SetModalResult(mrCancel);
    // The buttons' row and a margin below it inside the client area, whatever the frame.
    SetClientHeight(BitBtn1->Top() + BitBtn1->Height() + kMargin);

    SetOnShow(TNotifyEvent(this, &TAxisIncrement::FormShow, "FormShow"));
}

void TAxisIncrement::LayOutPlainNumber() {
    // Without the step choice the edit (its label with it) moves up to the height of the OK
    // button, and the buttons' row moves up into the room the choice leaves: one row of
    // label, edit, OK and Cancel, nothing empty above it.
    const int top = kMargin;
    const int labelOffset = Label1->Top() - ECustom->Top();
    Label1->SetLeft(kMargin);
    ECustom->SetLeft(Label1->Left() + Label1->Width() + 4);
    BitBtn1->SetLeft(ECustom->Left() + ECustom->Width() + kMargin);
    BitBtn2->SetLeft(BitBtn1->Left() + BitBtn1->Width() + 6);
    BitBtn1->SetTop(top);
    BitBtn2->SetTop(top);
    ECustom->SetTop(BitBtn1->Top());
    Label1->SetTop(ECustom->Top() + labelOffset);
    // The dialog keeps the centre it was placed at.
    const TRect before = BoundsRect();
    SetClientWidth(BitBtn2->Left() + BitBtn2->Width() + kMargin);
    SetClientHeight(BitBtn1->Top() + BitBtn1->Height() + kMargin);
    SetBounds(before.Left + (before.Width() - Width()) / 2,
              before.Top + (before.Height() - Height()) / 2, Width(), Height());
}

void TAxisIncrement::ShowCustomIncrement() {
    ECustom->SetText(IsDateTime ? SpanText(Increment) : FloatToStr(Increment));
}

void TAxisIncrement::FormShow(TObject*) {
    Screen->SetCursor(crDefault);
    TFlagGuard guard(FShowing);
    CBExact->SetVisible(IsDateTime);
    if (IsDateTime) {
        ECustom->SetHint("Enter [Number of Days] [hh:mm:ss]");
        ShowCustomIncrement();
        if (ExactDateTime && StepIndex != dtNone) {
            RadioGroup1->SetItemIndex(0);
            CBSteps->SetItemIndex(StepIndex);
            ECustom->SetText("");
            ECustom->SetEnabled(false);
            SetActiveControl(CBSteps);
        } else {
            RadioGroup1->SetItemIndex(1);
            CBSteps->SetItemIndex(-1);
            CBSteps->SetEnabled(false);
        }
        CBExact->SetEnabled(RadioGroup1->ItemIndex() == 0);
        CBExact->SetChecked(ExactDateTime);
    } else {
        CBSteps->SetVisible(false);
        RadioGroup1->SetVisible(false);
        RadioGroup1->SetItemIndex(1);
        ECustom->SetHint("");
        ShowCustomIncrement();
        LayOutPlainNumber();
        SetActiveControl(ECustom);
    }
}

void TAxisIncrement::RadioGroup1Click(TObject*) {
    if (FShowing)
        return;
    if (RadioGroup1->ItemIndex() == 0) {
        CBSteps->SetEnabled(true);
        CBExact->SetEnabled(true);
        {
            TFlagGuard guard(FShowing);
            CBExact->SetChecked(true);
        }
        ExactDateTime = true;
        ECustom->SetEnabled(false);
        if (StepIndex == dtNone)
            StepIndex = 0;
        CBSteps->SetItemIndex(StepIndex);
        if (CBSteps->CanFocus())
            CBSteps->SetFocus();
    } else {
        ECustom->SetEnabled(true);
        {
            TFlagGuard guard(FShowing);
            CBExact->SetChecked(false);
        }
        CBExact->SetEnabled(false);
        ExactDateTime = false;
        CBSteps->SetEnabled(false);
        ShowCustomIncrement();
        if (ECustom->CanFocus())
            ECustom->SetFocus();
    }
}

void TAxisIncrement::CBStepsChange(TObject*) {
    StepIndex = CBSteps->ItemIndex();
}

void TAxisIncrement::CBExactClick(TObject*) {
    if (FShowing)
        return;
    ExactDateTime = CBExact->Checked();
    if (!ExactDateTime)
        RadioGroup1->SetItemIndex(1);
}

void TAxisIncrement::BitBtn1Click(TObject*) {
    try {
        const std::string text = Trim(ECustom->Text());
        if (!IsDateTime) {
            Increment = StrToFloat(text);
        } else if (RadioGroup1->ItemIndex() == 1) {
            const size_t blank = text.find(' ');
            if (blank != std::string::npos) {
                Increment = StrToFloat(text.substr(0, blank)) + StrToTime(text.substr(blank + 1));
            } else {
                try {
                    Increment = StrToTime(text);
                } catch (const EConvertError&) {
                    Increment = StrToFloat(text);
                }
            }
        } else {
            const int index = CBSteps->ItemIndex() >= 0 ? CBSteps->ItemIndex() : 0;
            Increment = DateTimeStep[size_t(index)];
        }
        SetModalResult(mrOk);
    } catch (const Exception& e) {
        ShowMessage(Format("Incorrect value. Reason: %s", {std::string(e.what())}));
    }
}
