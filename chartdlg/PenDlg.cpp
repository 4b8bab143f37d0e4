#include "chartdlg/PenDlg.h"

#include "chart/ChartCanvas.h"
#include "chart/ChartConst.h"

#include <memory>

namespace {

void Place(TControl* control, TWinControl* parent, int left, int top, int width, int height) {
    control->SetBounds(left, top, width, height);
    control->SetParent(parent);
}

// The alternate-pixel pen is a feature of the NT-family window systems; ours draws it
// everywhere.
constexpr bool kSmallDotsAvailable = true;

} // namespace

TColor EditColor(TComponent* owner, TColor color) {
    auto dialog = std::make_unique<TColorDialog>(owner);
    dialog->SetColor(color);
    return dialog->Execute() ? dialog->Color() : color;
}

TFont* EditFont(TComponent* owner, TFont* font) {
    auto dialog = std::make_unique<TFontDialog>(owner);
    dialog->SetFont(font);
    if (dialog->Execute())
        font->AssignFrom(dialog->Font());
    return font;
}

void SetControlsVisible(bool visible, std::initializer_list<TControl*> controls) {
    for (TControl* control : controls)
        control->SetVisible(visible);
}

void SetControlsEnabled(bool enabled, std::initializer_list<TControl*> controls) {
    for (TControl* control : controls)
        control->SetEnabled(enabled);
}

// ---------------------------------------------------------------------------
// TPenDialog

TPenDialog::TPenDialog(TComponent* owner) : TForm(owner) {
    TLoadingBracket loading(this);
    using T = TPenDialog;
    SetName("PenDialog");
    SetCaption("Border Color Editor");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(213);
    SetClientHeight(191);

    CBVisible = new TCheckBox(this);
    CBVisible->SetName("CBVisible");
    CBVisible->SetCaption("&Visible");
    Place(CBVisible, this, 8, 8, 97, 17);
    CBVisible->SetOnClick(TNotifyEvent(this, &T::CBVisibleClick, "CBVisibleClick"));

    LWidth = new TLabel(this);
    LWidth->SetName("LWidth");
    LWidth->SetCaption("&Width:");
    Place(LWidth, this, 8, 36, 40, 13);

    SEWidth = new TEdit(this);
    SEWidth->SetName("SEWidth");
    SEWidth->SetText("1");
    Place(SEWidth, this, 52, 32, 49, 21);
    LWidth->SetFocusControl(SEWidth);

    UDWidth = new TUpDown(this);
    UDWidth->SetName("UDWidth");
    Place(UDWidth, this, 101, 32, 15, 21);
    UDWidth->SetMin(1);
    UDWidth->SetPosition(1);
    UDWidth->SetAssociate(SEWidth);
    SEWidth->SetOnChange(TNotifyEvent(this, &T::SEWidthChange, "SEWidthChange"));

    RGStyle = new TRadioGroup(this);
    RGStyle->SetName("RGStyle");
    RGStyle->SetCaption("&Style:");
    Place(RGStyle, this, 8, 60, 108, 123);
    for (const char* item : {"Solid", "Dash", "Dot", "Dash Dot", "Dash Dot Dot"})
        RGStyle->Items()->Add(item);
    RGStyle->SetOnClick(TNotifyEvent(this, &T::RGStyleClick, "RGStyleClick"));

    GroupBox1 = new TGroupBox(this);
    GroupBox1->SetName("GroupBox1");
    Place(GroupBox1, this, 124, 4, 81, 97);

    SHColor = new TShape(this);
    SHColor->SetName("SHColor");
    Place(SHColor, GroupBox1, 16, 18, 49, 33);
    SHColor->SetOnMouseUp(TMouseEvent(this, &T::SHColorMouseUp, "SHColorMouseUp"));

    BColor = new TButton(this);
    BColor->SetName("BColor");
    BColor->SetCaption("&Color...");
    Place(BColor, GroupBox1, 8, 60, 65, 25);
    BColor->SetOnClick(TNotifyEvent(this, &T::BColorClick, "BColorClick"));

    Button1 = new TButton(this);
    Button1->SetName("Button1");
    Button1->SetCaption("OK");
    Button1->SetDefault(true);
    Button1->SetModalResult(mrOk);
    Place(Button1, this, 128, 120, 75, 25);

    Button3 = new TButton(this);
    Button3->SetName("Button3");
    Button3->SetCaption("Cancel");
    Button3->SetCancel(true);
    Button3->SetModalResult(mrCancel);
    Place(Button3, this, 128, 154, 75, 25);
    Button3->SetOnClick(TNotifyEvent(this, &T::Button3Click, "Button3Click"));

    SetOnShow(TNotifyEvent(this, &T::FormShow, "FormShow"));
    SetOnClose(TCloseEvent(this, &T::FormClose, "FormClose"));
}

TPenDialog::~TPenDialog() = default;

TChartPen* TPenDialog::ChartPen() const {
    return dynamic_cast<TChartPen*>(ThePen);
}

bool TPenDialog::HasSmallDotsItem() const {
    return kSmallDotsAvailable && ChartPen() != nullptr;
}

void TPenDialog::EnableStyleForWidth() {
    // Styled pens wider than one pixel draw solid, so the style only matters at width 1.
    RGStyle->SetEnabled(ThePen->Width() == 1);
}

void TPenDialog::FormShow(TObject*) {
    Screen->SetCursor(crDefault);
    if (!ThePen)
        return;
    FLoading = true;
    FBackupPen = std::make_unique<TChartPen>();
    FBackupPen->AssignFrom(ThePen);
    const int lastStyle = RGStyle->Items()->Count() - 1;
    if (TChartPen* pen = ChartPen()) {
        CBVisible->SetVisible(true);
        CBVisible->SetChecked(pen->Visible());
        FBackupPen->SetVisible(pen->Visible());
        if (HasSmallDotsItem() && lastStyle < int(psDashDotDot) + 1)
            RGStyle->Items()->Add("Small Dots");
        if (HasSmallDotsItem() && pen->SmallDots())
            RGStyle->SetItemIndex(RGStyle->Items()->Count() - 1);
        else
            RGStyle->SetItemIndex(pen->Style() <= psDashDotDot ? int(pen->Style()) : -1);
    } else {
        CBVisible->SetVisible(false);
        RGStyle->SetItemIndex(ThePen->Style() <= psDashDotDot ? int(ThePen->Style()) : -1);
    }
    UDWidth->SetPosition(ThePen->Width());
    EnableStyleForWidth();
    SHColor->SetCursor(crChartHand);
    SHColor->Brush()->SetColor(ThePen->Color());
    FLoading = false;
}

void TPenDialog::FormClose(TObject*, TCloseAction&) {
    // Every way out but OK (Cancel, Escape, the title bar's close) leaves the pen as it was.
    if (ModalResult() != mrOk)
        RestorePen();
    FBackupPen.reset();
}

void TPenDialog::RestorePen() {
    if (!ThePen || !FBackupPen)
        return;
    ThePen->AssignFrom(FBackupPen.get());
    if (TChartPen* pen = ChartPen()) {
        pen->SetVisible(FBackupPen->Visible());
        // The owner of the pen repaints on its change notification.
        if (pen->OnChange())
            pen->OnChange()(pen);
    }
}

void TPenDialog::RGStyleClick(TObject*) {
    const int index = RGStyle->ItemIndex();
    if (FLoading || !ThePen || index < 0)
        return;
    TChartPen* pen = ChartPen();
    if (HasSmallDotsItem() && index == RGStyle->Items()->Count() - 1) {
        pen->SetSmallDots(true);
        return;
    }
    ThePen->SetStyle(TPenStyle(index));
    if (pen)
        pen->SetSmallDots(false);
}

void TPenDialog::SEWidthChange(TObject*) {
    if (FLoading || !ThePen)
        return;
    ThePen->SetWidth(UDWidth->Position());
    EnableStyleForWidth();
}

void TPenDialog::CBVisibleClick(TObject*) {
    if (FLoading)
        return;
    if (TChartPen* pen = ChartPen())
        pen->SetVisible(CBVisible->Checked());
}

void TPenDialog::BColorClick(TObject*) {
    if (!ThePen)
        return;
    ThePen->SetColor(EditColor(this, ThePen->Color()));
    SHColor->Brush()->SetColor(ThePen->Color());
    BColor->SetEnabled(SHColor->Visible());
}

void TPenDialog::SHColorMouseUp(TObject* sender, TMouseButton, TShiftState, int, int) {
    BColorClick(sender);
}

void TPenDialog::Button3Click(TObject*) {
    RestorePen();
    SetModalResult(mrCancel);
}

void EditChartPen(TComponent* owner, TPen* pen) {
    std::unique_ptr<TPenDialog> dialog(CreateForm<TPenDialog>(owner));
    dialog->ThePen = pen;
    dialog->ShowModal();
}
