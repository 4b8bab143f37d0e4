#include "chartdlg/BrushDlg.h"

#include "chart/ChartConst.h"

#include <memory>

namespace {

void Place(TControl* control, TWinControl* parent, int left, int top, int width, int height) {
    control->SetBounds(left, top, width, height);
    control->SetParent(parent);
}

} // namespace

TBrushDialog::TBrushDialog(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    using T = TBrushDialog;
    SetName("BrushDialog");
    SetCaption("Pattern Color Editor");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(243);
    SetClientHeight(175);

    RGStyle = new TRadioGroup(this);
    RGStyle->SetName("RGStyle");
    RGStyle->SetCaption("Style:");
    Place(RGStyle, this, 8, 4, 129, 163);
    // In the order of the brush styles.
    for (const char* item : {"&Solid", "&None", "&Horizontal", "&Vertical", "&Diagonal",
                             "&Back.Diagonal", "C&ross", "D&iagonal Cross"})
        RGStyle->Items()->Add(item);
    RGStyle->SetOnClick(TNotifyEvent(this, &T::RGStyleClick, "RGStyleClick"));

    GroupBox1 = new TGroupBox(this);
    GroupBox1->SetName("GroupBox1");
    Place(GroupBox1, this, 146, 4, 89, 97);

    SHColor = new TShape(this);
    SHColor->SetName("SHColor");
    Place(SHColor, GroupBox1, 16, 18, 57, 33);
    SHColor->SetOnMouseUp(TMouseEvent(this, &T::SHColorMouseUp, "SHColorMouseUp"));

    BColor = new TButton(this);
    BColor->SetName("BColor");
    BColor->SetCaption("&Color...");
    Place(BColor, GroupBox1, 8, 60, 73, 25);
    BColor->SetOnClick(TNotifyEvent(this, &T::BColorClick, "BColorClick"));

    Button2 = new TButton(this);
    Button2->SetName("Button2");
    Button2->SetCaption("OK");
    Button2->SetDefault(true);
    Button2->SetModalResult(mrOk);
    Place(Button2, this, 153, 108, 75, 25);

    Button3 = new TButton(this);
    Button3->SetName("Button3");
    Button3->SetCaption("Cancel");
    Button3->SetCancel(true);
    Button3->SetModalResult(mrCancel);
    Place(Button3, this, 153, 142, 75, 25);
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
