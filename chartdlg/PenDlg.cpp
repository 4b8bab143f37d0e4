#include "chartdlg/PenDlg.h"

#include "chart/ChartCanvas.h"
#include "chart/ChartConst.h"
#include "framework/gui/ControlPlacing.h"

#include <memory>

namespace {

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

    CBVisible = PlaceControl<TCheckBox>(this, this, "CBVisible", 8, 8, 97, 17, "&Visible");
    CBVisible->SetOnClick(TNotifyEvent(this, &T::CBVisibleClick, "CBVisibleClick"));

    LWidth = PlaceControl<TLabel>(this, this, "LWidth", 8, 36, 40, 13, "&Width:");

    SEWidth = PlaceControl<TEdit>(this, this, "SEWidth", 52, 32, 49, 21);
    SEWidth->SetText("1");
    LWidth->SetFocusControl(SEWidth);

    UDWidth = PlaceControl<TUpDown>(this, this, "UDWidth", 101, 32, 15, 21);
    UDWidth->SetMin(1);
    UDWidth->SetPosition(1);
    UDWidth->SetAssociate(SEWidth);
    SEWidth->SetOnChange(TNotifyEvent(this, &T::SEWidthChange, "SEWidthChange"));

    RGStyle = PlaceControl<TRadioGroup>(this, this, "RGStyle", 8, 60, 108, 123, "&Style:");
    for (const char* item : {"Solid", "Dash", "Dot", "Dash Dot", "Dash Dot Dot"})
        RGStyle->Items()->Add(item);
    RGStyle->SetOnClick(TNotifyEvent(this, &T::RGStyleClick, "RGStyleClick"));

    GroupBox1 = PlaceControl<TGroupBox>(this, this, "GroupBox1", 124, 4, 81, 97);

    SHColor = PlaceControl<TShape>(this, GroupBox1, "SHColor", 16, 18, 49, 33);
    SHColor->SetOnMouseUp(TMouseEvent(this, &T::SHColorMouseUp, "SHColorMouseUp"));

    BColor = PlaceControl<TButton>(this, GroupBox1, "BColor", 8, 60, 65, 25, "&Color...");
    BColor->SetOnClick(TNotifyEvent(this, &T::BColorClick, "BColorClick"));

    Button1 = PlaceControl<TButton>(this, this, "Button1", 128, 120, 75, 25, "OK");
    Button1->SetDefault(true);
    Button1->SetModalResult(mrOk);

    Button3 = PlaceControl<TButton>(this, this, "Button3", 128, 154, 75, 25, "Cancel");
    Button3->SetCancel(true);
    Button3->SetModalResult(mrCancel);
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
