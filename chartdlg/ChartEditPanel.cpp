#include "chartdlg/ChartEditPanel.h"

#include "chart/ChartConst.h"
#include "chartdlg/PenDlg.h"
#include "framework/gui/Bitmaps.h"

using namespace ChartEdit;

namespace {

void ShowSwatch(TShape* shape, TColor color) {
    shape->Pen()->SetColor(clBlack);
    shape->Pen()->SetStyle(psSolid);
    shape->Brush()->SetStyle(bsSolid);
    shape->Brush()->SetColor(color);
}

} // namespace

TFormChartPanel::TFormChartPanel(TComponent* owner) : TChartEditPage(owner) {
    TLoadingBracket loading(this);
    SetName("FormChartPanel");
    SetCaption("");
    SetBounds(0, 0, 400, 225);

    const auto bevelItems = {"None", "Lowered", "Raised"};
    RGBevelIn =
        MakeRadioGroup(this, this, "RGBevelIn", "Bevel &Inner:", 8, 4, 95, 81, bevelItems,
                       TNotifyEvent(this, &TFormChartPanel::RGBevelInClick, "RGBevelInClick"));
    RGBevelOut =
        MakeRadioGroup(this, this, "RGBevelOut", "Bevel &Outer:", 108, 4, 95, 81, bevelItems,
                       TNotifyEvent(this, &TFormChartPanel::RGBevelOutClick, "RGBevelOutClick"));
    L19 = MakeLabel(this, this, "L19", "&Width:", 8, 94, 50);
    MakeSpin(this, this, SEPanelWi, UDPanelWi, "SEPanelWi", "UDPanelWi", 60, 90, 36, 0, 1000, 1, 1,
             TNotifyEvent(this, &TFormChartPanel::SEPanelWiChange, "SEPanelWiChange"));
    L19->SetFocusControl(SEPanelWi);
    BPanelColor =
        MakeButton(this, this, "BPanelColor", "&Panel Color...", 8, 122, 110,
                   TNotifyEvent(this, &TFormChartPanel::BPanelColorClick, "BPanelColorClick"));
    CBPanelBorder =
        MakeCheck(this, this, "CBPanelBorder", "&Border", 8, 156, 80,
                  TNotifyEvent(this, &TFormChartPanel::CBPanelBorderClick, "CBPanelBorderClick"));
    L2 = MakeLabel(this, this, "L2", "Widt&h:", 8, 184, 50);
    MakeSpin(this, this, SEPanelBor, UDPanelBor, "SEPanelBor", "UDPanelBor", 60, 180, 36, 0, 1000,
             1, 0, TNotifyEvent(this, &TFormChartPanel::SEPanelBorChange, "SEPanelBorChange"));
    L2->SetFocusControl(SEPanelBor);

    GB4 = PlaceControl<TGroupBox>(this, this, "GB4", 212, 4, 185, 122, "Gradient");
    CBGradVisible =
        MakeCheck(this, GB4, "CBGradVisible", "&Visible", 8, 16, 80,
                  TNotifyEvent(this, &TFormChartPanel::CBGradVisibleClick, "CBGradVisibleClick"));
    BGradientStart = MakeButton(
        this, GB4, "BGradientStart", "&Start Color...", 8, 38, 100,
        TNotifyEvent(this, &TFormChartPanel::BGradientStartClick, "BGradientStartClick"));
    Shape1 = PlaceControl<TShape>(this, GB4, "Shape1", 114, 42, 24, 17);
    BGradientEnd =
        MakeButton(this, GB4, "BGradientEnd", "&End Color...", 8, 66, 100,
                   TNotifyEvent(this, &TFormChartPanel::BGradientEndClick, "BGradientEndClick"));
    Shape2 = PlaceControl<TShape>(this, GB4, "Shape2", 114, 70, 24, 17);
    Label1 = MakeLabel(this, GB4, "Label1", "&Direction:", 8, 96, 60);
    ComboBox1 = MakeList(this, GB4, "ComboBox1", 70, 92, 108,
                         {"Top Bottom", "Bottom Top", "Left Right", "Right Left", "From Center",
                          "From Top Left", "From Bottom Left"},
                         TNotifyEvent(this, &TFormChartPanel::ComboBox1Change, "ComboBox1Change"));
    Label1->SetFocusControl(ComboBox1);
    Shape1->SetOnMouseUp(TMouseEvent(this, &TFormChartPanel::Shape1MouseUp, "Shape1MouseUp"));
    Shape2->SetOnMouseUp(TMouseEvent(this, &TFormChartPanel::Shape2MouseUp, "Shape2MouseUp"));

    GB6 = PlaceControl<TGroupBox>(this, this, "GB6", 212, 130, 185, 92, "Back Image");
    RGBitmap = MakeRadioGroup(this, GB6, "RGBitmap", "St&yle", 8, 16, 80, 70,
                              {"Stretch", "Tile", "Center"},
                              TNotifyEvent(this, &TFormChartPanel::RGBitmapClick, "RGBitmapClick"));
    BBrowseImage =
        MakeButton(this, GB6, "BBrowseImage", "B&rowse...", 96, 20, 80,
                   TNotifyEvent(this, &TFormChartPanel::BBrowseImageClick, "BBrowseImageClick"));
    CBImageInside =
        MakeCheck(this, GB6, "CBImageInside", "I&nside", 96, 56, 80,
                  TNotifyEvent(this, &TFormChartPanel::CBImageInsideClick, "CBImageInsideClick"));

    OpenPictureDialog1 = new TOpenDialog(this);
    OpenPictureDialog1->SetName("OpenPictureDialog1");
    OpenPictureDialog1->SetFilter(GraphicFilter());
    OpenPictureDialog1->SetOptions({ofHideReadOnly, ofFileMustExist, ofEnableSizing});

    // The swatches take the chart's hand cursor: a click on them picks their colour.
    Shape1->SetCursor(crChartHand);
    Shape2->SetCursor(crChartHand);
    SetOnShow(TNotifyEvent(this, &TFormChartPanel::FormShow, "FormShow"));
}

TFormChartPanel* TFormChartPanel::CreateForPanel(TComponent* owner, TCustomChart* chart) {
    auto* page = CreateForm<TFormChartPanel>(owner);
    page->FChart = chart;
    return page;
}

void TFormChartPanel::FormShow(TObject*) {
    FLoading = true;
    RGBevelIn->SetItemIndex(int(FChart->BevelInner()));
    RGBevelOut->SetItemIndex(int(FChart->BevelOuter()));
    CBPanelBorder->SetChecked(FChart->BorderStyle() == bsSingle);
    UDPanelWi->SetPosition(FChart->BevelWidth());
    UDPanelBor->SetPosition(FChart->BorderWidth());
    CBGradVisible->SetChecked(FChart->Gradient()->Visible());
    RefreshGradient();
    RGBitmap->SetItemIndex(int(FChart->BackImageMode()));
    CBImageInside->SetChecked(FChart->BackImageInside());
    RefreshBackImage();
    FLoading = false;
}

void TFormChartPanel::RGBevelInClick(TObject*) {
    const int index = RGBevelIn->ItemIndex();
    if (!FLoading && index >= 0 && TPanelBevel(index) != FChart->BevelInner())
        FChart->SetBevelInner(TPanelBevel(index));
}

void TFormChartPanel::RGBevelOutClick(TObject*) {
    const int index = RGBevelOut->ItemIndex();
    if (!FLoading && index >= 0 && TPanelBevel(index) != FChart->BevelOuter())
        FChart->SetBevelOuter(TPanelBevel(index));
}

void TFormChartPanel::SEPanelWiChange(TObject*) {
    if (!FLoading && UDPanelWi->Position() != FChart->BevelWidth())
        FChart->SetBevelWidth(UDPanelWi->Position());
}

void TFormChartPanel::SEPanelBorChange(TObject*) {
    if (!FLoading && UDPanelBor->Position() != FChart->BorderWidth())
        FChart->SetBorderWidth(UDPanelBor->Position());
}

void TFormChartPanel::BPanelColorClick(TObject*) {
    FChart->SetColor(EditColor(this, FChart->Color()));
    FChart->Invalidate();
}

void TFormChartPanel::CBPanelBorderClick(TObject*) {
    if (!FLoading)
        FChart->SetBorderStyle(CBPanelBorder->Checked() ? bsSingle : bsNone);
}

void TFormChartPanel::RefreshGradient() {
    TChartGradient* gradient = FChart->Gradient();
    {
        TFlagGuard guard(FLoading);
        ComboBox1->SetItemIndex(int(gradient->Direction()));
    }
    SetControlsEnabled(gradient->Visible(),
                       {ComboBox1, BGradientStart, BGradientEnd, Shape1, Shape2});
    ShowSwatch(Shape1, gradient->StartColor());
    ShowSwatch(Shape2, gradient->EndColor());
}

void TFormChartPanel::CBGradVisibleClick(TObject*) {
    if (FLoading)
        return;
    FChart->Gradient()->SetVisible(CBGradVisible->Checked());
    RefreshGradient();
}

void TFormChartPanel::BGradientStartClick(TObject*) {
    TChartGradient* gradient = FChart->Gradient();
    gradient->SetStartColor(EditColor(this, gradient->StartColor()));
    RefreshGradient();
}

void TFormChartPanel::BGradientEndClick(TObject*) {
    TChartGradient* gradient = FChart->Gradient();
    gradient->SetEndColor(EditColor(this, gradient->EndColor()));
    RefreshGradient();
}

void TFormChartPanel::Shape1MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    if (Shape1->Enabled())
        BGradientStartClick(this);
}

void TFormChartPanel::Shape2MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    if (Shape2->Enabled())
        BGradientEndClick(this);
}

void TFormChartPanel::ComboBox1Change(TObject*) {
    if (!FLoading && ComboBox1->ItemIndex() >= 0)
        FChart->Gradient()->SetDirection(TGradientDirection(ComboBox1->ItemIndex()));
}

void TFormChartPanel::RefreshBackImage() {
    const bool hasImage = FChart->BackImage()->Graphic() != nullptr;
    SetControlsEnabled(hasImage, {RGBitmap, CBImageInside});
    BBrowseImage->SetCaption(hasImage ? "Clea&r" : "B&rowse...");
}

void TFormChartPanel::BBrowseImageClick(TObject*) {
    if (FChart->BackImage()->Graphic()) {
        FChart->BackImage()->SetGraphic(nullptr);
    } else if (OpenPictureDialog1->Execute()) {
        FChart->BackImage()->LoadFromFile(OpenPictureDialog1->FileName());
    }
    RefreshBackImage();
}

void TFormChartPanel::RGBitmapClick(TObject*) {
    if (!FLoading && RGBitmap->ItemIndex() >= 0)
        FChart->SetBackImageMode(TChartBackImageMode(RGBitmap->ItemIndex()));
}

void TFormChartPanel::CBImageInsideClick(TObject*) {
    if (!FLoading)
        FChart->SetBackImageInside(CBImageInside->Checked());
}
