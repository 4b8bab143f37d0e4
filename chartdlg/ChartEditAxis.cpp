#include "chartdlg/ChartEditAxis.h"

#include "chart/ChartConst.h"
#include "chartdlg/AxisIncrement.h"
#include "chartdlg/AxisMinMax.h"
#include "chartdlg/PenDlg.h"
#include "framework/core/SystemUtils.h"

#include <cmath>
#include <memory>

using namespace ChartEdit;

namespace {

// A date-time limit as date and time from one day on, as time alone below.
std::string LimitText(const TCustomChartAxis* axis, double value) {
    if (axis->IsDateTime())
        return value >= 1 ? DateTimeToStr(value) : TimeToStr(value);
    return FormatFloat(axis->AxisValuesFormat(), value);
}

} // namespace

TFormChartAxis::TFormChartAxis(TComponent* owner) : TChartEditPage(owner) {
    TLoadingBracket loading(this);
    SetName("FormChartAxis");
    SetCaption("");
    SetBounds(0, 0, 388, 216);

    using T = TFormChartAxis;
    CBShow = MakeCheck(this, this, "CBShow", "&Show Axis", 4, 2, 90,
                       TNotifyEvent(this, &T::CBShowClick, "CBShowClick"));
    RGWhich = MakeRadioGroup(this, this, "RGWhich", "Axis:", 4, 22, 78, 126,
                             {"&Left", "&Right", "&Top", "&Bottom", "&Depth"},
                             TNotifyEvent(this, &T::RGWhichClick, "RGWhichClick"));
    CBVisible = MakeCheck(this, this, "CBVisible", "&Visible", 4, 154, 78,
                          TNotifyEvent(this, &T::CBVisibleClick, "CBVisibleClick"));

    PageAxis = PlaceControl<TPageControl>(this, this, "PageAxis", 88, 0, 300, 216);
    PageAxis->SetHotTrack(true);
    TabScales = MakeTab(this, PageAxis, "TabScales", "Scales");
    TabTitle = MakeTab(this, PageAxis, "TabTitle", "Title");
    TabLabels = MakeTab(this, PageAxis, "TabLabels", "Labels");
    TabTicks = MakeTab(this, PageAxis, "TabTicks", "Ticks");
    TabPositions = MakeTab(this, PageAxis, "TabPositions", "Position");
    PageAxis->SetOnChanging(TTabChangingEvent(this, &T::PageAxisChanging, "PageAxisChanging"));
    PageAxis->SetOnChange(TNotifyEvent(this, &T::PageAxisChange, "PageAxisChange"));

    // Scales
    CBAutomatic = MakeCheck(this, TabScales, "CBAutomatic", "&Automatic", 6, 6, 100,
                            TNotifyEvent(this, &T::CBAutomaticClick, "CBAutomaticClick"));
    CBLogarithmic = MakeCheck(this, TabScales, "CBLogarithmic", "Logarith&mic", 110, 6, 100,
                              TNotifyEvent(this, &T::CBLogarithmicClick, "CBLogarithmicClick"));
    CBInverted = MakeCheck(this, TabScales, "CBInverted", "&Inverted", 210, 6, 80,
                           TNotifyEvent(this, &T::CBInvertedClick, "CBInvertedClick"));
    L5 = MakeLabel(this, TabScales, "L5", "Maximum:", 6, 38, 70);
    LAxisMax = MakeLabel(this, TabScales, "LAxisMax", "", 76, 38, 120);
    CBAutoMax = MakeCheck(this, TabScales, "CBAutoMax", "A&uto", 6, 58, 60,
                          TNotifyEvent(this, &T::CBAutoMaxClick, "CBAutoMaxClick"));
    BAxisMax = MakeButton(this, TabScales, "BAxisMax", "C&hange...", 76, 56, 80,
                          TNotifyEvent(this, &T::BAxisMaxClick, "BAxisMaxClick"));
    L8 = MakeLabel(this, TabScales, "L8", "Minimum:", 6, 92, 70);
    LAxisMin = MakeLabel(this, TabScales, "LAxisMin", "", 76, 92, 120);
    CBAutoMin = MakeCheck(this, TabScales, "CBAutoMin", "Aut&o", 6, 112, 60,
                          TNotifyEvent(this, &T::CBAutoMaxClick, "CBAutoMaxClick"));
    BAxisMin = MakeButton(this, TabScales, "BAxisMin", "Chan&ge...", 76, 110, 80,
                          TNotifyEvent(this, &T::BAxisMinClick, "BAxisMinClick"));
    L6 = MakeLabel(this, TabScales, "L6", "Desired Increment:", 6, 146, 110);
    LAxisIncre = MakeLabel(this, TabScales, "LAxisIncre", "", 120, 146, 120);
    BIncre = MakeButton(this, TabScales, "BIncre", "&Change...", 76, 164, 80,
                        TNotifyEvent(this, &T::BIncreClick, "BIncreClick"));

    // Title
    MakeLabel(this, TabTitle, "L1", "T&itle:", 6, 12, 50)
        ->SetFocusControl(ETitle = PlaceControl<TEdit>(this, TabTitle, "ETitle", 60, 8, 220, 24));
    ETitle->SetOnChange(TNotifyEvent(this, &T::ETitleChange, "ETitleChange"));
    BTitleFont = MakeButton(this, TabTitle, "BTitleFont", "F&ont...", 60, 40, 80,
                            TNotifyEvent(this, &T::BTitleFontClick, "BTitleFontClick"));
    MakeLabel(this, TabTitle, "L2", "&Angle:", 6, 80, 50);
    MakeSpin(this, TabTitle, SETitleAngle, UDTitleAngle, "SETitleAngle", "UDTitleAngle", 60, 76, 44,
             0, 360, 90, 0, TNotifyEvent(this, &T::SETitleAngleChange, "SETitleAngleChange"));
    MakeLabel(this, TabTitle, "L3", "Si&ze:", 6, 112, 50);
    MakeSpin(this, TabTitle, SETitleSize, UDTitleSize, "SETitleSize", "UDTitleSize", 60, 108, 44, 0,
             1000, 1, 0, TNotifyEvent(this, &T::SETitleSizeChange, "SETitleSizeChange"));

    // Labels
    CBLabels = MakeCheck(this, TabLabels, "CBLabels", "V&isible", 6, 4, 90,
                         TNotifyEvent(this, &T::CBLabelsClick, "CBLabelsClick"));
    CBOnAxis = MakeCheck(this, TabLabels, "CBOnAxis", "Label On A&xis", 6, 24, 110,
                         TNotifyEvent(this, &T::CBOnAxisClick, "CBOnAxisClick"));
    CBRoundFirst = MakeCheck(this, TabLabels, "CBRoundFirst", "Ro&und First", 6, 44, 110,
                             TNotifyEvent(this, &T::CBRoundFirstClick, "CBRoundFirstClick"));
    CBMultiline = MakeCheck(this, TabLabels, "CBMultiline", "Multi-lin&e", 6, 64, 110,
                            TNotifyEvent(this, &T::CBMultilineClick, "CBMultilineClick"));
    LabelAxisFormat = MakeLabel(this, TabLabels, "LabelAxisFormat", "Values For&mat:", 6, 88, 110);
    EValuesFormat = PlaceControl<TEdit>(this, TabLabels, "EValuesFormat", 6, 106, 110, 24);
    EValuesFormat->SetOnChange(TNotifyEvent(this, &T::EValuesFormatChange, "EValuesFormatChange"));
    LabelAxisFormat->SetFocusControl(EValuesFormat);
    MakeLabel(this, TabLabels, "L4", "Min. Se&paration %:", 6, 138, 110);
    MakeSpin(this, TabLabels, SESepar, UDSepar, "SESepar", "UDSepar", 6, 156, 44, 0, 100, 10, 0,
             TNotifyEvent(this, &T::SESeparChange, "SESeparChange"));
    BLabelsFont = MakeButton(this, TabLabels, "BLabelsFont", "F&ont...", 124, 4, 70,
                             TNotifyEvent(this, &T::BLabelsFontClick, "BLabelsFontClick"));
    MakeLabel(this, TabLabels, "L7", "Si&ze:", 200, 8, 30);
    MakeSpin(this, TabLabels, SELabelsSize, UDLabelsSize, "SELabelsSize", "UDLabelsSize", 232, 4,
             40, 0, 1000, 1, 0, TNotifyEvent(this, &T::SELabelsSizeChange, "SELabelsSizeChange"));
    MakeLabel(this, TabLabels, "L9", "&Angle:", 124, 38, 40);
    MakeSpin(this, TabLabels, SELabelsAngle, UDLabelsAngle, "SELabelsAngle", "UDLabelsAngle", 168,
             34, 40, 0, 360, 90, 0,
             TNotifyEvent(this, &T::SELabelsAngleChange, "SELabelsAngleChange"));
    RGLabelStyle = MakeRadioGroup(this, TabLabels, "RGLabelStyle", "St&yle:", 124, 66, 166, 64,
                                  {"Auto", "None", "Value", "Mark", "Text"},
                                  TNotifyEvent(this, &T::RGLabelStyleClick, "RGLabelStyleClick"));
    RGLabelStyle->SetColumns(3);

    // Ticks
    BAxisPen = MakeButton(this, TabTicks, "BAxisPen", "&Axis Border...", 6, 6, 110,
                          TNotifyEvent(this, &T::BAxisPenClick, "BAxisPenClick"));
    BAxisGrid = MakeButton(this, TabTicks, "BAxisGrid", "&Grid Border...", 6, 36, 110,
                           TNotifyEvent(this, &T::BAxisGridClick, "BAxisGridClick"));
    BTickPen = MakeButton(this, TabTicks, "BTickPen", "T&icks...", 6, 66, 110,
                          TNotifyEvent(this, &T::BTickPenClick, "BTickPenClick"));
    BTickInner = MakeButton(this, TabTicks, "BTickInner", "I&nner...", 6, 96, 110,
                            TNotifyEvent(this, &T::BTickInnerClick, "BTickInnerClick"));
    BTickMinor = MakeButton(this, TabTicks, "BTickMinor", "&Minor...", 6, 126, 110,
                            TNotifyEvent(this, &T::BTickMinorClick, "BTickMinorClick"));
    MakeLabel(this, TabTicks, "L10", "Len:", 124, 72, 30);
    MakeSpin(this, TabTicks, SEAxisTickLength, UDAxisTickLength, "SEAxisTickLength",
             "UDAxisTickLength", 156, 68, 40, 0, 1000, 1, 0,
             TNotifyEvent(this, &T::SEAxisTickLengthChange, "SEAxisTickLengthChange"));
    MakeLabel(this, TabTicks, "L11", "Len:", 124, 102, 30);
    MakeSpin(this, TabTicks, SEInnerTicksLength, UDInnerTicksLength, "SEInnerTicksLength",
             "UDInnerTicksLength", 156, 98, 40, 0, 1000, 1, 0,
             TNotifyEvent(this, &T::SEInnerTicksLengthChange, "SEInnerTicksLengthChange"));
    MakeLabel(this, TabTicks, "L12", "Len:", 124, 132, 30);
    MakeSpin(this, TabTicks, SEAxisMinorTickLen, UDAxisMinorTickLen, "SEAxisMinorTickLen",
             "UDAxisMinorTickLen", 156, 128, 40, 0, 1000, 1, 0,
             TNotifyEvent(this, &T::SEAxisMinorTickLenChange, "SEAxisMinorTickLenChange"));
    MakeLabel(this, TabTicks, "L13", "&Count:", 210, 132, 40);
    MakeSpin(this, TabTicks, SEMinorCount, UDMinorCount, "SEMinorCount", "UDMinorCount", 250, 128,
             30, 0, 1000, 1, 0, TNotifyEvent(this, &T::SEMinorCountChange, "SEMinorCountChange"));
    CBTickOnLabels = MakeCheck(this, TabTicks, "CBTickOnLabels", "At Labels Onl&y", 124, 8, 150,
                               TNotifyEvent(this, &T::CBTickOnLabelsClick, "CBTickOnLabelsClick"));
    CBGridCentered = MakeCheck(this, TabTicks, "CBGridCentered", "C&entered", 124, 38, 150,
                               TNotifyEvent(this, &T::CBGridCenteredClick, "CBGridCenteredClick"));

    // Position
    MakeLabel(this, TabPositions, "L14", "&Position %:", 6, 14, 80);
    MakeSpin(this, TabPositions, EPos, UDPos, "EPos", "UDPos", 90, 10, 44, -100, 100, 1, 0,
             TNotifyEvent(this, &T::EPosChange, "EPosChange"));
    MakeLabel(this, TabPositions, "L15", "St&art %:", 6, 48, 80);
    MakeSpin(this, TabPositions, EStart, UDStart, "EStart", "UDStart", 90, 44, 44, 0, 100, 1, 0,
             TNotifyEvent(this, &T::EStartChange, "EStartChange"));
    MakeLabel(this, TabPositions, "L16", "&End %:", 6, 82, 80);
    MakeSpin(this, TabPositions, EEnd, UDEnd, "EEnd", "UDEnd", 90, 78, 44, 0, 100, 1, 100,
             TNotifyEvent(this, &T::EEndChange, "EEndChange"));

    PageAxis->SetActivePage(TabScales);
    SetOnShow(TNotifyEvent(this, &T::FormShow, "FormShow"));
}

TFormChartAxis* TFormChartAxis::CreateForAxis(TComponent* owner, TCustomChartAxis* axis) {
    auto* page = CreateForm<TFormChartAxis>(owner);
    page->FAxis = axis;
    return page;
}

TCustomChart* TFormChartAxis::Chart() const {
    return FAxis ? dynamic_cast<TCustomChart*>(FAxis->ParentPanel()) : nullptr;
}

void TFormChartAxis::FormShow(TObject*) {
    FLoading = true;
    TCustomChart* chart = Chart();
    int which = 4;
    if (FAxis == chart->LeftAxis())
        which = 0;
    else if (FAxis == chart->RightAxis())
        which = 1;
    else if (FAxis == chart->TopAxis())
        which = 2;
    else if (FAxis == chart->BottomAxis())
        which = 3;
    RGWhich->SetItemIndex(which);
    CBShow->SetChecked(chart->AxisVisible());
    CBVisible->SetChecked(FAxis->Visible());
    PageAxis->SetActivePage(TabScales);
    FillActiveTab();
}

void TFormChartAxis::FillActiveTab() {
    FLoading = true;
    TTabSheet* tab = PageAxis->ActivePage();
    if (tab == TabScales)
        FillScales();
    else if (tab == TabTitle)
        FillTitle();
    else if (tab == TabLabels)
        FillLabels();
    else if (tab == TabTicks)
        FillTicks();
    else if (tab == TabPositions)
        FillPositions();
    FLoading = false;
}

void TFormChartAxis::FillScales() {
    const bool dateTime = FAxis->IsDateTime();
    LAxisIncre->SetCaption(
        IncrementToText(dateTime, true, FAxis->AxisValuesFormat(), FAxis->Increment()));
    LAxisMax->SetCaption(LimitText(FAxis, FAxis->Maximum()));
    LAxisMin->SetCaption(LimitText(FAxis, FAxis->Minimum()));
    CBAutomatic->SetChecked(FAxis->Automatic());
    CBAutoMax->SetChecked(FAxis->AutomaticMaximum());
    CBAutoMin->SetChecked(FAxis->AutomaticMinimum());
    CBLogarithmic->SetChecked(FAxis->Logarithmic());
    CBInverted->SetChecked(FAxis->Inverted());
    CBLogarithmic->SetEnabled(!FAxis->IsDepthAxis());
    BAxisMax->SetEnabled(!FAxis->Automatic() && !FAxis->AutomaticMaximum());
    BAxisMin->SetEnabled(!FAxis->Automatic() && !FAxis->AutomaticMinimum());
    CBAutoMax->SetEnabled(!FAxis->Automatic());
    CBAutoMin->SetEnabled(!FAxis->Automatic());
}

void TFormChartAxis::FillTitle() {
    ETitle->SetText(FAxis->Title()->Caption());
    UDTitleAngle->SetPosition(FAxis->Title()->Angle());
    UDTitleSize->SetPosition(FAxis->TitleSize());
}

void TFormChartAxis::FillLabels() {
    CBLabels->SetChecked(FAxis->Labels());
    RGLabelStyle->SetItemIndex(int(FAxis->LabelStyle()));
    CBOnAxis->SetChecked(FAxis->LabelsOnAxis());
    CBRoundFirst->SetChecked(FAxis->RoundFirstLabel());
    CBMultiline->SetChecked(FAxis->LabelsMultiLine());
    UDLabelsAngle->SetPosition(FAxis->LabelsAngle());
    UDSepar->SetPosition(FAxis->LabelsSeparation());
    UDLabelsSize->SetPosition(FAxis->LabelsSize());
    if (FAxis->IsDateTime()) {
        LabelAxisFormat->SetCaption("DateTime For&mat:");
        EValuesFormat->SetText(FAxis->DateTimeFormat().empty()
                                   ? DateTimeFormatForStep(FAxis->Maximum() - FAxis->Minimum())
                                   : FAxis->DateTimeFormat());
    } else {
        LabelAxisFormat->SetCaption("Values For&mat:");
        EValuesFormat->SetText(FormatStringToLocal(
            FAxis->AxisValuesFormat().empty() ? "#,##0.###" : FAxis->AxisValuesFormat()));
    }
}

void TFormChartAxis::FillTicks() {
    UDAxisTickLength->SetPosition(FAxis->TickLength());
    UDInnerTicksLength->SetPosition(FAxis->TickInnerLength());
    UDAxisMinorTickLen->SetPosition(FAxis->MinorTickLength());
    UDMinorCount->SetPosition(FAxis->MinorTickCount());
    CBTickOnLabels->SetChecked(FAxis->TickOnLabelsOnly());
    CBGridCentered->SetChecked(FAxis->GridCentered());
}

void TFormChartAxis::FillPositions() {
    UDPos->SetPosition(int(std::lround(FAxis->PositionPercent())));
    UDStart->SetPosition(int(std::lround(FAxis->StartPosition())));
    UDEnd->SetPosition(int(std::lround(FAxis->EndPosition())));
    SetControlsEnabled(!FAxis->IsDepthAxis(), {EPos, UDPos, EStart, UDStart, EEnd, UDEnd});
}

void TFormChartAxis::RGWhichClick(TObject*) {
    if (FLoading)
        return;
    TCustomChart* chart = Chart();
    switch (RGWhich->ItemIndex()) {
    case 0:
        FAxis = chart->LeftAxis();
        break;
    case 1:
        FAxis = chart->RightAxis();
        break;
    case 2:
        FAxis = chart->TopAxis();
        break;
    case 3:
        FAxis = chart->BottomAxis();
        break;
    default:
        FAxis = chart->DepthAxis();
        break;
    }
    FLoading = true;
    CBVisible->SetChecked(FAxis->Visible());
    FillActiveTab();
}

void TFormChartAxis::PageAxisChanging(TObject*, bool&) {
    FLoading = true;
}

void TFormChartAxis::PageAxisChange(TObject*) {
    FillActiveTab();
}

void TFormChartAxis::CBVisibleClick(TObject*) {
    if (!FLoading)
        FAxis->SetVisible(CBVisible->Checked());
}

void TFormChartAxis::CBShowClick(TObject*) {
    if (!FLoading)
        Chart()->SetAxisVisible(CBShow->Checked());
}

void TFormChartAxis::CBAutomaticClick(TObject*) {
    if (FLoading)
        return;
    FAxis->SetAutomatic(CBAutomatic->Checked());
    if (FAxis->Automatic()) {
        FAxis->RecalcLimits();
    } else {
        FAxis->SetAutomaticMaximum(false);
        FAxis->SetAutomaticMinimum(false);
    }
    FillActiveTab();
}

void TFormChartAxis::CBAutoMaxClick(TObject* sender) {
    if (FLoading)
        return;
    if (sender == CBAutoMax)
        FAxis->SetAutomaticMaximum(CBAutoMax->Checked());
    else
        FAxis->SetAutomaticMinimum(CBAutoMin->Checked());
    FAxis->RecalcLimits();
    FillActiveTab();
}

void TFormChartAxis::CBLogarithmicClick(TObject*) {
    if (FLoading)
        return;
    try {
        FAxis->SetLogarithmic(CBLogarithmic->Checked());
    } catch (const std::exception& e) {
        // The axis refused (a date-time axis): the switch goes back off and the
        // application shows why.
        FAxis->SetLogarithmic(false);
        {
            TFlagGuard guard(FLoading);
            CBLogarithmic->SetChecked(false);
        }
        Application->ShowException(e);
    }
}

void TFormChartAxis::CBInvertedClick(TObject*) {
    if (!FLoading)
        FAxis->SetInverted(CBInverted->Checked());
}

void TFormChartAxis::ChangeLimit(bool maximum) {
    std::unique_ptr<TAxisMaxMin> dialog(new TAxisMaxMin(this));
    dialog->SetCaption(std::string(maximum ? "Maximum" : "Minimum") + " " +
                       Chart()->AxisDisplayName(FAxis));
    dialog->IsDateTime = FAxis->IsDateTime();
    dialog->Value = maximum ? FAxis->Maximum() : FAxis->Minimum();
    if (dialog->ShowModal() != mrOk)
        return;
    if (maximum) {
        FAxis->SetMaximum(dialog->Value);
        FLoading = true;
        CBAutoMax->SetChecked(false);
    } else {
        FAxis->SetMinimum(dialog->Value);
        FLoading = true;
        CBAutoMin->SetChecked(false);
    }
    FillActiveTab();
}

void TFormChartAxis::BAxisMaxClick(TObject*) {
    ChangeLimit(true);
}

void TFormChartAxis::BAxisMinClick(TObject*) {
    ChangeLimit(false);
}

void TFormChartAxis::BIncreClick(TObject*) {
    std::unique_ptr<TAxisIncrement> dialog(new TAxisIncrement(this));
    dialog->SetCaption(Format("Desired %s Increment", {Chart()->AxisDisplayName(FAxis)}));
    dialog->IsDateTime = FAxis->IsDateTime();
    dialog->ExactDateTime = FAxis->ExactDateTime();
    dialog->Increment = FAxis->Increment();
    dialog->StepIndex = DateTimeStepIndex(FAxis->Increment());
    if (dialog->ShowModal() != mrOk)
        return;
    FAxis->SetIncrement(dialog->Increment);
    FAxis->SetExactDateTime(dialog->ExactDateTime);
    FillActiveTab();
}

void TFormChartAxis::ETitleChange(TObject*) {
    if (!FLoading)
        FAxis->Title()->SetCaption(ETitle->Text());
}

void TFormChartAxis::BTitleFontClick(TObject*) {
    EditFont(this, FAxis->Title()->Font());
}

void TFormChartAxis::SETitleAngleChange(TObject*) {
    if (!FLoading)
        FAxis->Title()->SetAngle(UDTitleAngle->Position());
}

void TFormChartAxis::SETitleSizeChange(TObject*) {
    if (!FLoading)
        FAxis->SetTitleSize(UDTitleSize->Position());
}

void TFormChartAxis::CBLabelsClick(TObject*) {
    if (!FLoading)
        FAxis->SetLabels(CBLabels->Checked());
}

void TFormChartAxis::CBOnAxisClick(TObject*) {
    if (!FLoading)
        FAxis->SetLabelsOnAxis(CBOnAxis->Checked());
}

void TFormChartAxis::CBRoundFirstClick(TObject*) {
    if (!FLoading)
        FAxis->SetRoundFirstLabel(CBRoundFirst->Checked());
}

void TFormChartAxis::CBMultilineClick(TObject*) {
    if (!FLoading)
        FAxis->SetLabelsMultiLine(CBMultiline->Checked());
}

void TFormChartAxis::EValuesFormatChange(TObject*) {
    if (FLoading)
        return;
    if (FAxis->IsDateTime())
        FAxis->SetDateTimeFormat(EValuesFormat->Text());
    else
        FAxis->SetAxisValuesFormat(FormatStringToNeutral(EValuesFormat->Text()));
}

void TFormChartAxis::SESeparChange(TObject*) {
    if (!FLoading)
        FAxis->SetLabelsSeparation(UDSepar->Position());
}

void TFormChartAxis::BLabelsFontClick(TObject*) {
    EditFont(this, FAxis->LabelsFont());
}

void TFormChartAxis::SELabelsSizeChange(TObject*) {
    if (!FLoading)
        FAxis->SetLabelsSize(UDLabelsSize->Position());
}

void TFormChartAxis::SELabelsAngleChange(TObject*) {
    if (!FLoading)
        FAxis->SetLabelsAngle(UDLabelsAngle->Position());
}

void TFormChartAxis::RGLabelStyleClick(TObject*) {
    if (!FLoading && RGLabelStyle->ItemIndex() >= 0)
        FAxis->SetLabelStyle(TAxisLabelStyle(RGLabelStyle->ItemIndex()));
}

void TFormChartAxis::BAxisPenClick(TObject*) {
    EditChartPen(this, FAxis->Axis());
}

void TFormChartAxis::BAxisGridClick(TObject*) {
    EditChartPen(this, FAxis->Grid());
}

void TFormChartAxis::BTickPenClick(TObject*) {
    EditChartPen(this, FAxis->Ticks());
}

void TFormChartAxis::BTickInnerClick(TObject*) {
    EditChartPen(this, FAxis->TicksInner());
}

void TFormChartAxis::BTickMinorClick(TObject*) {
    EditChartPen(this, FAxis->MinorTicks());
}

void TFormChartAxis::SEAxisTickLengthChange(TObject*) {
    if (!FLoading)
        FAxis->SetTickLength(UDAxisTickLength->Position());
}

void TFormChartAxis::SEInnerTicksLengthChange(TObject*) {
    if (!FLoading)
        FAxis->SetTickInnerLength(UDInnerTicksLength->Position());
}

void TFormChartAxis::SEAxisMinorTickLenChange(TObject*) {
    if (!FLoading)
        FAxis->SetMinorTickLength(UDAxisMinorTickLen->Position());
}

void TFormChartAxis::SEMinorCountChange(TObject*) {
    if (!FLoading)
        FAxis->SetMinorTickCount(UDMinorCount->Position());
}

void TFormChartAxis::CBTickOnLabelsClick(TObject*) {
    if (!FLoading)
        FAxis->SetTickOnLabelsOnly(CBTickOnLabels->Checked());
}

void TFormChartAxis::CBGridCenteredClick(TObject*) {
    if (!FLoading)
        FAxis->SetGridCentered(CBGridCentered->Checked());
}

void TFormChartAxis::EPosChange(TObject*) {
    if (!FLoading)
        FAxis->SetPositionPercent(UDPos->Position());
}

void TFormChartAxis::EStartChange(TObject*) {
    if (FLoading)
        return;
    const int position = UDStart->Position();
    if (position >= FAxis->EndPosition()) {
        TFlagGuard guard(FLoading);
        UDStart->SetPosition(int(std::lround(FAxis->StartPosition())));
    } else {
        FAxis->SetStartPosition(position);
    }
}

void TFormChartAxis::EEndChange(TObject*) {
    if (FLoading)
        return;
    const int position = UDEnd->Position();
    if (position > FAxis->StartPosition()) {
        FAxis->SetEndPosition(position);
    } else {
        TFlagGuard guard(FLoading);
        UDEnd->SetPosition(int(std::lround(FAxis->EndPosition())));
    }
}
