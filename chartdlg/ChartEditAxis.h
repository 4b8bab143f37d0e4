#pragma once
// The chart editor's "Axis" page: one of the chart's five axes with its scales, title,
// labels, ticks and position.

#include "chart/Chart.h"
#include "chartdlg/ChartEditControls.h"

class TFormChartAxis : public TChartEditPage {
    ORV_CLASS(TFormChartAxis, TChartEditPage)
public:
    explicit TFormChartAxis(TComponent* owner);
    static TFormChartAxis* CreateForAxis(TComponent* owner, TCustomChartAxis* axis);

    TCheckBox* CBShow = nullptr;
    TRadioGroup* RGWhich = nullptr;
    TCheckBox* CBVisible = nullptr;
    TPageControl* PageAxis = nullptr;
    TTabSheet* TabScales = nullptr;
    TTabSheet* TabTitle = nullptr;
    TTabSheet* TabLabels = nullptr;
    TTabSheet* TabTicks = nullptr;
    TTabSheet* TabPositions = nullptr;
    // Scales
    TLabel* L5 = nullptr;
    TLabel* LAxisMax = nullptr;
    TLabel* L8 = nullptr;
    TLabel* LAxisMin = nullptr;
    TLabel* L6 = nullptr;
    TLabel* LAxisIncre = nullptr;
    TCheckBox* CBAutomatic = nullptr;
    TCheckBox* CBLogarithmic = nullptr;
    TCheckBox* CBInverted = nullptr;
    TCheckBox* CBAutoMax = nullptr;
    TCheckBox* CBAutoMin = nullptr;
    TButton* BAxisMax = nullptr;
    TButton* BAxisMin = nullptr;
    TButton* BIncre = nullptr;
    // Title
    TEdit* ETitle = nullptr;
    TButton* BTitleFont = nullptr;
    TEdit* SETitleAngle = nullptr;
    TUpDown* UDTitleAngle = nullptr;
    TEdit* SETitleSize = nullptr;
    TUpDown* UDTitleSize = nullptr;
    // Labels
    TCheckBox* CBLabels = nullptr;
    TCheckBox* CBOnAxis = nullptr;
    TCheckBox* CBRoundFirst = nullptr;
    TCheckBox* CBMultiline = nullptr;
    TLabel* LabelAxisFormat = nullptr;
    TEdit* EValuesFormat = nullptr;
    TEdit* SESepar = nullptr;
    TUpDown* UDSepar = nullptr;
    TButton* BLabelsFont = nullptr;
    TEdit* SELabelsSize = nullptr;
    TUpDown* UDLabelsSize = nullptr;
    TEdit* SELabelsAngle = nullptr;
    TUpDown* UDLabelsAngle = nullptr;
    TRadioGroup* RGLabelStyle = nullptr;
    // Ticks
    TButton* BAxisPen = nullptr;
    TButton* BAxisGrid = nullptr;
    TButton* BTickPen = nullptr;
    TButton* BTickInner = nullptr;
    TButton* BTickMinor = nullptr;
    TEdit* SEAxisTickLength = nullptr;
    TUpDown* UDAxisTickLength = nullptr;
    TEdit* SEInnerTicksLength = nullptr;
    TUpDown* UDInnerTicksLength = nullptr;
    TEdit* SEAxisMinorTickLen = nullptr;
    TUpDown* UDAxisMinorTickLen = nullptr;
    TEdit* SEMinorCount = nullptr;
    TUpDown* UDMinorCount = nullptr;
    TCheckBox* CBTickOnLabels = nullptr;
    TCheckBox* CBGridCentered = nullptr;
    // Position
    TEdit* EPos = nullptr;
    TUpDown* UDPos = nullptr;
    TEdit* EStart = nullptr;
    TUpDown* UDStart = nullptr;
    TEdit* EEnd = nullptr;
    TUpDown* UDEnd = nullptr;

    TCustomChartAxis* Axis() const { return FAxis; }
    TCustomChart* Chart() const;

    void FormShow(TObject* sender);
    void RGWhichClick(TObject* sender);
    void PageAxisChanging(TObject* sender, bool& allowChange);
    void PageAxisChange(TObject* sender);
    void CBVisibleClick(TObject* sender);
    void CBShowClick(TObject* sender);
    void CBAutomaticClick(TObject* sender);
    void CBAutoMaxClick(TObject* sender);
    void CBLogarithmicClick(TObject* sender);
    void CBInvertedClick(TObject* sender);
    void BAxisMaxClick(TObject* sender);
    void BAxisMinClick(TObject* sender);
    void BIncreClick(TObject* sender);
    void ETitleChange(TObject* sender);
    void BTitleFontClick(TObject* sender);
    void SETitleAngleChange(TObject* sender);
    void SETitleSizeChange(TObject* sender);
    void CBLabelsClick(TObject* sender);
    void CBOnAxisClick(TObject* sender);
    void CBRoundFirstClick(TObject* sender);
    void CBMultilineClick(TObject* sender);
    void EValuesFormatChange(TObject* sender);
    void SESeparChange(TObject* sender);
    void BLabelsFontClick(TObject* sender);
    void SELabelsSizeChange(TObject* sender);
    void SELabelsAngleChange(TObject* sender);
    void RGLabelStyleClick(TObject* sender);
    void BAxisPenClick(TObject* sender);
    void BAxisGridClick(TObject* sender);
    void BTickPenClick(TObject* sender);
    void BTickInnerClick(TObject* sender);
    void BTickMinorClick(TObject* sender);
    void SEAxisTickLengthChange(TObject* sender);
    void SEInnerTicksLengthChange(TObject* sender);
    void SEAxisMinorTickLenChange(TObject* sender);
    void SEMinorCountChange(TObject* sender);
    void CBTickOnLabelsClick(TObject* sender);
    void CBGridCenteredClick(TObject* sender);
    void EPosChange(TObject* sender);
    void EStartChange(TObject* sender);
    void EEndChange(TObject* sender);

    // Fills the active tab from the axis (writing nothing back).
    void FillActiveTab();

private:
    void FillScales();
    void FillTitle();
    void FillLabels();
    void FillTicks();
    void FillPositions();
    void ChangeLimit(bool maximum);
    TCustomChartAxis* FAxis = nullptr;
};
