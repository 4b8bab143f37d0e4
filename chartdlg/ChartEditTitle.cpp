#include "chartdlg/ChartEditTitle.h"

#include "chartdlg/BrushDlg.h"
#include "chartdlg/PenDlg.h"

using namespace ChartEdit;

TFormChartTitle::TFormChartTitle(TComponent* owner) : TChartEditPage(owner) {
    TLoadingBracket loading(this);
    SetName("FormChartTitle");
    SetCaption("");
    SetBounds(0, 0, 400, 225);

    using T = TFormChartTitle;
    CBTitles = MakeList(this, this, "CBTitles", 8, 8, 100, {"Title", "Foot"},
                        TNotifyEvent(this, &T::CBTitlesChange, "CBTitlesChange"));
    CBVisible = MakeCheck(this, this, "CBVisible", "&Visible", 120, 10, 80,
                          TNotifyEvent(this, &T::CBVisibleClick, "CBVisibleClick"));
    CBAdjust = MakeCheck(this, this, "CBAdjust", "&Adjust Frame", 204, 10, 110,
                         TNotifyEvent(this, &T::CBAdjustClick, "CBAdjustClick"));
    BFont = MakeButton(this, this, "BFont", "F&ont...", 8, 40, 90,
                       TNotifyEvent(this, &T::BFontClick, "BFontClick"));
    BFrame = MakeButton(this, this, "BFrame", "&Border...", 104, 40, 90,
                        TNotifyEvent(this, &T::BFrameClick, "BFrameClick"));
    BBrush = MakeButton(this, this, "BBrush", "&Pattern...", 200, 40, 90,
                        TNotifyEvent(this, &T::BBrushClick, "BBrushClick"));
    BColor = MakeButton(this, this, "BColor", "Bac&k Color...", 296, 40, 96,
                        TNotifyEvent(this, &T::BColorClick, "BColorClick"));
    RGAlign = MakeRadioGroup(this, this, "RGAlign", "Alignment:", 8, 72, 90, 90,
                             {"&Left", "&Center", "&Right"},
                             TNotifyEvent(this, &T::RGAlignClick, "RGAlignClick"));
    MText = PlaceControl<TMemo>(this, this, "MText", 104, 76, 288, 140);
    MText->SetOnChange(TNotifyEvent(this, &T::MTextChange, "MTextChange"));

    SetOnShow(TNotifyEvent(this, &T::FormShow, "FormShow"));
}

TFormChartTitle* TFormChartTitle::CreateForTitle(TComponent* owner, TChartTitle* title) {
    auto* page = CreateForm<TFormChartTitle>(owner);
    page->FTitle = title;
    return page;
}

void TFormChartTitle::FormShow(TObject*) {
    FLoading = true;
    TCustomChart* chart = dynamic_cast<TCustomChart*>(FTitle->ParentChart());
    CBTitles->SetItemIndex(chart && FTitle == chart->Foot() ? 1 : 0);
    FillPage();
    FLoading = false;
}

void TFormChartTitle::FillPage() {
    TFlagGuard guard(FLoading);
    switch (FTitle->Alignment()) {
    case taLeftJustify:
        RGAlign->SetItemIndex(0);
        break;
    case taRightJustify:
        RGAlign->SetItemIndex(2);
        break;
    default:
        RGAlign->SetItemIndex(1);
        break;
    }
    CBVisible->SetChecked(FTitle->Visible());
    CBAdjust->SetChecked(FTitle->AdjustFrame());
    RefreshMemo();
    TFlagGuard settingText(FSettingText);
    MText->Lines()->Assign(*FTitle->Text());
}

void TFormChartTitle::RefreshMemo() {
    MText->Font()->AssignFrom(FTitle->Font());
    TColor color = FTitle->Color();
    if (color == clAutoColor)
        color =
            ColorToRGB(FTitle->Font()->Color()) == ColorToRGB(clWhite) ? TColor(0x808080) : clWhite;
    MText->SetColor(color);
}

void TFormChartTitle::CBTitlesChange(TObject*) {
    if (FLoading)
        return;
    auto* chart = dynamic_cast<TCustomChart*>(FTitle->ParentChart());
    if (!chart)
        return;
    FTitle = CBTitles->ItemIndex() == 1 ? chart->Foot() : chart->Title();
    FillPage();
}

void TFormChartTitle::MTextChange(TObject*) {
    if (FLoading || FSettingText)
        return;
    const TStrings* lines = MText->Lines();
    const TStrings* text = FTitle->Text();
    bool differs = lines->Count() != text->Count();
    for (int i = 0; !differs && i < lines->Count(); ++i)
        differs = lines->Get(i) != text->Get(i);
    if (differs)
        FTitle->SetText(lines);
}

void TFormChartTitle::CBVisibleClick(TObject*) {
    if (!FLoading)
        FTitle->SetVisible(CBVisible->Checked());
}

void TFormChartTitle::CBAdjustClick(TObject*) {
    if (!FLoading)
        FTitle->SetAdjustFrame(CBAdjust->Checked());
}

void TFormChartTitle::RGAlignClick(TObject*) {
    if (FLoading)
        return;
    static const TAlignment alignments[] = {taLeftJustify, taCenter, taRightJustify};
    const int index = RGAlign->ItemIndex();
    if (index >= 0 && index < 3)
        FTitle->SetAlignment(alignments[index]);
}

void TFormChartTitle::BFontClick(TObject*) {
    EditFont(this, FTitle->Font());
    RefreshMemo();
}

void TFormChartTitle::BColorClick(TObject*) {
    FTitle->SetColor(EditColor(this, FTitle->Color()));
    RefreshMemo();
}

void TFormChartTitle::BFrameClick(TObject*) {
    EditChartPen(this, FTitle->Frame());
}

void TFormChartTitle::BBrushClick(TObject*) {
    EditChartBrush(this, FTitle->Brush());
}
