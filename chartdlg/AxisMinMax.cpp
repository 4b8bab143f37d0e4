#include "chartdlg/AxisMinMax.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Dialogs.h"

using namespace ChartEdit;

TAxisMaxMin::TAxisMaxMin(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    SetName("AxisMaxMin");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 260, 150);

    Label1 = MakeLabel(this, this, "Label1", "&Date:", 8, 16, 60);
    EMaximum = PlaceControl<TEdit>(this, this, "EMaximum", 72, 12, 170, 24);
    EMaximum->SetHint("Enter Date");
    EMaximum->SetShowHint(true);
    Label1->SetFocusControl(EMaximum);
    Label2 = MakeLabel(this, this, "Label2", "&Time:", 8, 48, 60);
    EMinimum = PlaceControl<TEdit>(this, this, "EMinimum", 72, 44, 170, 24);
    EMinimum->SetHint("Enter Time");
    EMinimum->SetShowHint(true);
    Label2->SetFocusControl(EMinimum);
    BitBtn1 = PlaceControl<TBitBtn>(this, this, "BitBtn1", 76, 84, 80, 27, "OK");
    BitBtn1->SetDefault(true);
    BitBtn1->SetOnClick(TNotifyEvent(this, &TAxisMaxMin::BitBtn1Click, "BitBtn1Click"));
    BitBtn2 = PlaceControl<TBitBtn>(this, this, "BitBtn2", 162, 84, 80, 27, "Cancel");
    BitBtn2->SetCancel(true);
    BitBtn2->SetModalResult(mrCancel);

    SetOnShow(TNotifyEvent(this, &TAxisMaxMin::FormShow, "FormShow"));
}

void TAxisMaxMin::FormShow(TObject*) {
    Screen->SetCursor(crDefault);
    if (IsDateTime) {
        if (Value >= 1) {
            EMaximum->SetText(DateToStr(Value));
        } else {
            Label1->SetVisible(false);
            EMaximum->SetVisible(false);
        }
        EMinimum->SetText(TimeToStr(Value));
    } else {
        EMaximum->SetHint("");
        EMinimum->SetHint("");
        Label1->SetCaption("Value:");
        EMaximum->SetText(FloatToStr(Value));
        Label2->SetVisible(false);
        EMinimum->SetVisible(false);
    }
}

void TAxisMaxMin::BitBtn1Click(TObject*) {
    try {
        if (IsDateTime && EMaximum->Visible())
            Value = StrToDateTime(Trim(EMaximum->Text()) + " " + Trim(EMinimum->Text()));
        else if (IsDateTime)
            Value = StrToTime(EMinimum->Text());
        else
            Value = StrToFloat(Trim(EMaximum->Text()));
        SetModalResult(mrOk);
    } catch (const Exception& e) {
        ShowMessage(Format("Incorrect value. Reason: %s", {std::string(e.what())}));
    }
}
