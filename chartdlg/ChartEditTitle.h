#pragma once
// The chart editor's "Titles" page: the chart's title or foot, its text, font, frame,
// pattern, colour, alignment and visibility.

#include "chart/Chart.h"
#include "chartdlg/ChartEditControls.h"

class TFormChartTitle : public TChartEditPage {
    ORV_CLASS(TFormChartTitle, TChartEditPage)
public:
    explicit TFormChartTitle(TComponent* owner);
    static TFormChartTitle* CreateForTitle(TComponent* owner, TChartTitle* title);

    TComboBox* CBTitles = nullptr;
    TCheckBox* CBVisible = nullptr;
    TCheckBox* CBAdjust = nullptr;
    TButton* BFont = nullptr;
    TButton* BFrame = nullptr;
    TButton* BBrush = nullptr;
    TButton* BColor = nullptr;
    TRadioGroup* RGAlign = nullptr;
    TMemo* MText = nullptr;

    TChartTitle* Title() const { return FTitle; }

    void FormShow(TObject* sender);
    void CBTitlesChange(TObject* sender);
    void MTextChange(TObject* sender);
    void CBVisibleClick(TObject* sender);
    void CBAdjustClick(TObject* sender);
    void RGAlignClick(TObject* sender);
    void BFontClick(TObject* sender);
    void BColorClick(TObject* sender);
    void BFrameClick(TObject* sender);
    void BBrushClick(TObject* sender);

private:
    void FillPage();
    // The memo in the title's font and colour (grey behind a white font when automatic).
    void RefreshMemo();
    TChartTitle* FTitle = nullptr;
    // Set while the memo is filled, so that its change does not reach the title.
    bool FSettingText = false;
};
