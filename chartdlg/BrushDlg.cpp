#include "chartdlg/BrushDlg.h"

#include "chart/ChartConst.h"
#include "framework/gui/ControlPlacing.h"

#include <memory>

TBrushDialog::TBrushDialog(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    using T = TBrushDialog;
    SetName("BrushDialog");
    SetCaption("Pattern Color Editor");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(243);
    SetClientHeight(175);

    RGStyle = PlaceControl<TRadioGroup>(this, this, "RGStyle", 8, 4, 129, 163, "Style:");
    // In the order of the brush styles.
    for (const char* item : {"&Solid", "&None", "&Horizontal", "&Vertical", "&Diagonal",
                             "&Back.Diagonal", "C&ross", "D&iagonal Cross"})
        RGStyle->Items()->Add(item);
    RGStyle->SetOnClick(TNotifyEvent(this, &T::RGStyleClick, "RGStyleClick"));

    GroupBox1 = PlaceControl<TGroupBox>(this, this, "GroupBox1", 146, 4, 89, 97);

    SHColor = PlaceControl<TShape>(this, GroupBox1, "SHColor", 16, 18, 57, 33);
    SHColor->SetOnMouseUp(TMouseEvent(this, &T::SHColorMouseUp, "SHColorMouseUp"));

    BColor = PlaceControl<TButton>(this, GroupBox1, "BColor", 8, 60, 73, 25, "&Color...");
    BColor->SetOnClick(TNotifyEvent(this, &T::BColorClick, "BColorClick"));

    Button2 = PlaceControl<TButton>(this, this, "Button2", 153, 108, 75, 25, "OK");
    Button2->SetDefault(true);
    Button2->SetModalResult(mrOk);

    Button3 = PlaceControl<TButton>(this, this, "Button3", 153, 142, 75, 25, "Cancel");
    Button3->SetCancel(true);
    Button3->SetModalResult(mrCancel);
    Button3->SetOnClick(TNotifyEvent(this, &T::Button3Click, "Button3Click"));

    SetOnShow(TNotifyEvent(this, &T::FormShow, "FormShow"));
    SetOnClose(TCloseEvent(this, &T::FormClose, "FormClose"));
}

TBrushDialog::~TBrushDialog() = default;

void TBrushDialog::RefreshControls() {
    BColor->SetEnabled(TheBrush->Style() != bsClear);
    SHColor->Brush()->SetColor(TheBrush->Color());
    SHColor->SetVisible(BColor->Enabled());
}

void TBrushDialog::FormShow(TObject*) {
    Screen->SetCursor(crDefault);
    if (!TheBrush)
        return;
    FLoading = true;
    FBackupBrush = std::make_unique<TBrush>();
    FBackupBrush->AssignFrom(TheBrush);
    RGStyle->SetItemIndex(int(TheBrush->Style()));
    SHColor->SetCursor(crChartHand);
    RefreshControls();
    FLoading = false;
}

void TBrushDialog::FormClose(TObject*, TCloseAction&) {
    // Every way out but OK (Cancel, Escape, the title bar's close) leaves the brush as it
    // was.
    if (ModalResult() != mrOk)
        RestoreBrush();
    FBackupBrush.reset();
}

void TBrushDialog::RestoreBrush() {
    if (TheBrush && FBackupBrush)
        TheBrush->AssignFrom(FBackupBrush.get());
}

void TBrushDialog::RGStyleClick(TObject*) {
    if (FLoading || !TheBrush || RGStyle->ItemIndex() < 0)
        return;
    TheBrush->SetStyle(TBrushStyle(RGStyle->ItemIndex()));
    RefreshControls();
}

void TBrushDialog::BColorClick(TObject*) {
    if (!TheBrush)
        return;
    TheBrush->SetColor(EditColor(this, TheBrush->Color()));
    RefreshControls();
}

void TBrushDialog::SHColorMouseUp(TObject* sender, TMouseButton, TShiftState, int, int) {
    BColorClick(sender);
}

void TBrushDialog::Button3Click(TObject*) {
    RestoreBrush();
    SetModalResult(mrCancel);
}

void EditChartBrush(TComponent* owner, TBrush* brush) {
    std::unique_ptr<TBrushDialog> dialog(CreateForm<TBrushDialog>(owner));
    dialog->TheBrush = brush;
    dialog->ShowModal();
}
