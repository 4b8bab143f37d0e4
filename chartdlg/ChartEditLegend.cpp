#include "chartdlg/ChartEditLegend.h"

#include "chartdlg/PenDlg.h"

using namespace ChartEdit;

TFormChartLegend::TFormChartLegend(TComponent* owner) : TChartEditPage(owner) {
    TLoadingBracket loading(this);
    SetName("FormChartLegend");
    SetCaption("");
    SetBounds(0, 0, 400, 225);

    using T = TFormChartLegend;
    CBShow = MakeCheck(this, this, "CBShow", "&Visible", 8, 6, 90,
                       TNotifyEvent(this, &T::CBShowClick, "CBShowClick"));
    CBResizeChart = MakeCheck(this, this, "CBResizeChart", "Resi&ze Chart", 8, 28, 110,
                              TNotifyEvent(this, &T::CBResizeChartClick, "CBResizeChartClick"));
    CBInverted = MakeCheck(this, this, "CBInverted", "&Inverted", 8, 50, 90,
                           TNotifyEvent(this, &T::CBInvertedClick, "CBInvertedClick"));
    MakeLabel(this, this, "L1", "Legend &Style:", 122, 8, 90);
    CBLegendStyle = MakeList(this, this, "CBLegendStyle", 214, 4, 130,
                             {"Automatic", "Series Names", "Series Values", "Last Values"},
                             TNotifyEvent(this, &T::CBLegendStyleChange, "CBLegendStyleChange"));
    MakeLabel(this, this, "L2", "Text St&yle:", 122, 36, 90);
    CBLegStyle =
        MakeList(this, this, "CBLegStyle", 214, 32, 130,
                 {"Plain", "Left Value", "Right Value", "Left Percent", "Right Percent", "X Value"},
                 TNotifyEvent(this, &T::CBLegStyleChange, "CBLegStyleChange"));
    BColor = MakeButton(this, this, "BColor", "Bac&k Color...", 8, 76, 100,
                        TNotifyEvent(this, &T::BColorClick, "BColorClick"));
    BFont = MakeButton(this, this, "BFont", "F&ont...", 8, 104, 100,
                       TNotifyEvent(this, &T::BFontClick, "BFontClick"));
    BFrame = MakeButton(this, this, "BFrame", "&Frame...", 8, 132, 100,
                        TNotifyEvent(this, &T::BFrameClick, "BFrameClick"));
    BDivLines = MakeButton(this, this, "BDivLines", "&Dividing Lines...", 8, 160, 100,
                           TNotifyEvent(this, &T::BDivLinesClick, "BDivLinesClick"));
    MakeLabel(this, this, "L3", "% Top &Pos:", 122, 66, 90);
    MakeSpin(this, this, SETopPos, UDTopPos, "SETopPos", "UDTopPos", 214, 62, 40, 0, 100, 1, 0,
             TNotifyEvent(this, &T::SETopPosChange, "SETopPosChange"));
    MakeLabel(this, this, "L4", "% Color &Width:", 122, 94, 90);
    MakeSpin(this, this, SEColWi, UDColWi, "SEColWi", "UDColWi", 214, 90, 40, 0, 100, 5, 0,
             TNotifyEvent(this, &T::SEColWiChange, "SEColWiChange"));

    GBShadow = PlaceControl<TGroupBox>(this, this, "GBShadow", 122, 122, 130, 90, "Shadow:");
    BShadow = MakeButton(this, GBShadow, "BShadow", "&Color...", 8, 18, 80,
                         TNotifyEvent(this, &T::BShadowClick, "BShadowClick"));
    MakeLabel(this, GBShadow, "L5", "Siz&e:", 8, 54, 36);
    MakeSpin(this, GBShadow, SEShadowSize, UDShadowSize, "SEShadowSize", "UDShadowSize", 46, 50, 40,
             0, 100, 1, 0, TNotifyEvent(this, &T::SEShadowSizeChange, "SEShadowSizeChange"));

    GBPosition = PlaceControl<TGroupBox>(this, this, "GBPosition", 262, 60, 132, 152, "Position:");
    RBLeft = PlaceControl<TRadioButton>(this, GBPosition, "RBLeft", 8, 18, 100, 19, "&Left");
    RBLeft->SetOnClick(TNotifyEvent(this, &T::RBLeftClick, "RBLeftClick"));
    RBRight = PlaceControl<TRadioButton>(this, GBPosition, "RBRight", 8, 40, 100, 19, "&Right");
    RBRight->SetOnClick(TNotifyEvent(this, &T::RBRightClick, "RBRightClick"));
    RBTop = PlaceControl<TRadioButton>(this, GBPosition, "RBTop", 8, 62, 100, 19, "&Top");
    RBTop->SetOnClick(TNotifyEvent(this, &T::RBTopClick, "RBTopClick"));
    RBBottom = PlaceControl<TRadioButton>(this, GBPosition, "RBBottom", 8, 84, 100, 19, "&Bottom");
    RBBottom->SetOnClick(TNotifyEvent(this, &T::RBBottomClick, "RBBottomClick"));
    MakeLabel(this, GBPosition, "L6", "&Margin:", 8, 118, 50);
    MakeSpin(this, GBPosition, SEMargin, UDMargin, "SEMargin", "UDMargin", 60, 114, 44, 0, 1000, 1,
             0, TNotifyEvent(this, &T::SEMarginChange, "SEMarginChange"));

    SetOnShow(TNotifyEvent(this, &T::FormShow, "FormShow"));
}

TFormChartLegend* TFormChartLegend::CreateForLegend(TComponent* owner, TCustomChartLegend* legend) {
    auto* page = CreateForm<TFormChartLegend>(owner);
    page->FLegend = legend;
    return page;
}

void TFormChartLegend::FormShow(TObject*) {
    FLoading = true;
    UDTopPos->SetPosition(FLegend->TopPos());
    UDColWi->SetPosition(FLegend->ColorWidth());
    UDShadowSize->SetPosition(FLegend->ShadowSize());
    CBResizeChart->SetChecked(FLegend->ResizeChart());
    CBInverted->SetChecked(FLegend->Inverted());
    CBShow->SetChecked(FLegend->Visible());
    CBLegendStyle->SetItemIndex(int(FLegend->LegendStyle()));
    CBLegStyle->SetItemIndex(int(FLegend->TextStyle()));
    switch (FLegend->Alignment()) {
    case laLeft:
        RBLeft->SetChecked(true);
        break;
    case laRight:
        RBRight->SetChecked(true);
        break;
    case laTop:
        RBTop->SetChecked(true);
        break;
    case laBottom:
        RBBottom->SetChecked(true);
        break;
    }
    ShowMargin();
    FLoading = false;
}

void TFormChartLegend::ShowMargin() {
    TFlagGuard guard(FLoading);
    UDMargin->SetPosition(FLegend->IsVertical() ? FLegend->HorizMargin() : FLegend->VertMargin());
}

void TFormChartLegend::SetAlignment(TLegendAlignment alignment) {
    if (FLoading)
        return;
    FLegend->SetAlignment(alignment);
    ShowMargin();
}

void TFormChartLegend::RBLeftClick(TObject*) {
    SetAlignment(laLeft);
}

void TFormChartLegend::RBRightClick(TObject*) {
    SetAlignment(laRight);
}

void TFormChartLegend::RBTopClick(TObject*) {
    SetAlignment(laTop);
}

void TFormChartLegend::RBBottomClick(TObject*) {
    SetAlignment(laBottom);
}

void TFormChartLegend::CBLegendStyleChange(TObject*) {
    if (!FLoading && CBLegendStyle->ItemIndex() >= 0)
        FLegend->SetLegendStyle(TLegendStyle(CBLegendStyle->ItemIndex()));
}

void TFormChartLegend::CBLegStyleChange(TObject*) {
    if (!FLoading && CBLegStyle->ItemIndex() >= 0)
        FLegend->SetTextStyle(TLegendTextStyle(CBLegStyle->ItemIndex()));
}

void TFormChartLegend::SETopPosChange(TObject*) {
    if (!FLoading)
        FLegend->SetTopPos(UDTopPos->Position());
}

void TFormChartLegend::SEColWiChange(TObject*) {
    if (!FLoading)
        FLegend->SetColorWidth(UDColWi->Position());
}

void TFormChartLegend::SEShadowSizeChange(TObject*) {
    if (!FLoading)
        FLegend->SetShadowSize(UDShadowSize->Position());
}

void TFormChartLegend::SEMarginChange(TObject*) {
    if (FLoading)
        return;
    if (FLegend->IsVertical())
        FLegend->SetHorizMargin(UDMargin->Position());
    else
        FLegend->SetVertMargin(UDMargin->Position());
}

void TFormChartLegend::BFontClick(TObject*) {
    EditFont(this, FLegend->Font());
}

void TFormChartLegend::BColorClick(TObject*) {
    FLegend->SetColor(EditColor(this, FLegend->Color()));
}

void TFormChartLegend::BShadowClick(TObject*) {
    FLegend->SetShadowColor(EditColor(this, FLegend->ShadowColor()));
}

void TFormChartLegend::BFrameClick(TObject*) {
    EditChartPen(this, FLegend->Frame());
}

void TFormChartLegend::BDivLinesClick(TObject*) {
    EditChartPen(this, FLegend->DividingLines());
}

void TFormChartLegend::CBResizeChartClick(TObject*) {
    if (!FLoading)
        FLegend->SetResizeChart(CBResizeChart->Checked());
}

void TFormChartLegend::CBInvertedClick(TObject*) {
    if (!FLoading)
        FLegend->SetInverted(CBInverted->Checked());
}

void TFormChartLegend::CBShowClick(TObject*) {
    if (!FLoading)
        FLegend->SetVisible(CBShow->Checked());
}
