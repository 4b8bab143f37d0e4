#pragma once
// The chart editor's "Legend" page: visibility, styles, colours, frame, shadow, position
// and margin of the chart's legend.

#include "chart/Chart.h"
#include "chartdlg/ChartEditControls.h"

class TFormChartLegend : public TChartEditPage {
    ORV_CLASS(TFormChartLegend, TChartEditPage)
public:
    explicit TFormChartLegend(TComponent* owner);
    static TFormChartLegend* CreateForLegend(TComponent* owner, TCustomChartLegend* legend);

    TCheckBox* CBShow = nullptr;
    TButton* BColor = nullptr;
    TButton* BFont = nullptr;
    TButton* BFrame = nullptr;
    TButton* BDivLines = nullptr;
    TCheckBox* CBResizeChart = nullptr;
    TCheckBox* CBInverted = nullptr;
    TComboBox* CBLegendStyle = nullptr;
    TComboBox* CBLegStyle = nullptr;
    TEdit* SETopPos = nullptr;
    TUpDown* UDTopPos = nullptr;
    TEdit* SEColWi = nullptr;
    TUpDown* UDColWi = nullptr;
    TGroupBox* GBShadow = nullptr;
    TButton* BShadow = nullptr;
    TEdit* SEShadowSize = nullptr;
    TUpDown* UDShadowSize = nullptr;
    TGroupBox* GBPosition = nullptr;
    TRadioButton* RBLeft = nullptr;
    TRadioButton* RBRight = nullptr;
    TRadioButton* RBTop = nullptr;
    TRadioButton* RBBottom = nullptr;
    TEdit* SEMargin = nullptr;
    TUpDown* UDMargin = nullptr;

    TCustomChartLegend* Legend() const { return FLegend; }

    void FormShow(TObject* sender);
    void RBLeftClick(TObject* sender);
    void RBRightClick(TObject* sender);
    void RBTopClick(TObject* sender);
    void RBBottomClick(TObject* sender);
    void CBLegendStyleChange(TObject* sender);
    void CBLegStyleChange(TObject* sender);
    void SETopPosChange(TObject* sender);
    void SEColWiChange(TObject* sender);
    void SEShadowSizeChange(TObject* sender);
    void SEMarginChange(TObject* sender);
    void BFontClick(TObject* sender);
    void BColorClick(TObject* sender);
    void BShadowClick(TObject* sender);
    void BFrameClick(TObject* sender);
    void BDivLinesClick(TObject* sender);
    void CBResizeChartClick(TObject* sender);
    void CBInvertedClick(TObject* sender);
    void CBShowClick(TObject* sender);

private:
    void SetAlignment(TLegendAlignment alignment);
    // The margin edit shows the horizontal margin of a vertical legend, else the vertical.
    void ShowMargin();
    TCustomChartLegend* FLegend = nullptr;
};
