#pragma once
// The chart editor's "Series" tab: a borderless page that edits one series of the chart at
// a time, chosen in its combo. Its tabs edit the series' general settings, its marks and
// its data source, where a series can compute a function of other series. Settings reach
// the series at once; the data source is applied when the user leaves its tab (after
// asking), switches series, closes the editor or opens the period dialog.

#include "chart/Chart.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"

#include <string>
#include <vector>

// The choices of CBDataSourcestyle.
enum TDataSourceStyle { dssNoData, dssRandom, dssFunction };

class TFormChartSeries : public TForm {
    ORV_CLASS(TFormChartSeries, TForm)
public:
    explicit TFormChartSeries(TComponent* owner);
    ~TFormChartSeries() override;

    // ---- Components
    TComboBox* CBSeries = nullptr;
    TImage* ImageSeries = nullptr;
    TLabel* LabelSeriesClass = nullptr;
    TCheckBox* CBPersistent = nullptr;
    TPageControl* PageSeries = nullptr;
    TTabSheet* TheTabSheet = nullptr;
    TTabSheet* TabGeneral = nullptr;
    TTabSheet* TabMarks = nullptr;
    TTabSheet* TabDataSource = nullptr;
    // General
    TCheckBox* CBShowInLegend = nullptr;
    TComboBox* CBSeriesCursor = nullptr;
    TEdit* EValueformat = nullptr;
    TEdit* EPercentFormat = nullptr;
    TRadioGroup* RGHorizAxis = nullptr;
    TRadioGroup* RGVertAxis = nullptr;
    TCheckBox* CBXDateTime = nullptr;
    TCheckBox* CBYDateTime = nullptr;
    // Marks
    TCheckBox* CBMarksVisible = nullptr;
    TGroupBox* GBMarksFormat = nullptr;
    TButton* BMarksBackColor = nullptr;
    TCheckBox* CBTransparent = nullptr;
    TButton* BMarkFont = nullptr;
    TButton* BMarksFrame = nullptr;
    TCheckBox* CBMarkClip = nullptr;
    TGroupBox* GBMarksArrows = nullptr;
    TButton* BMarkLinCol = nullptr;
    TEdit* SEArrowLength = nullptr;
    TUpDown* UDArrowLength = nullptr;
    TRadioGroup* RGMarkStyle = nullptr;
    // Data source
    TComboBox* CBDataSourcestyle = nullptr;
    TPageControl* PCData = nullptr;
    TTabSheet* TabFunctions = nullptr;
    TComboBox* CBFunctions = nullptr;
    TButton* BEditFunc = nullptr;
    TListBox* LBAvailSeries = nullptr;
    TListBox* LBSelectedSeries = nullptr;
    TButton* BRightOne = nullptr;
    TButton* BRightAll = nullptr;
    TButton* BLeftOne = nullptr;
    TButton* BLeftAll = nullptr;

    // ---- The series and the options the editor gives
    // The series shown (nullptr: none); cleared when it is freed.
    TChartSeries* TheSeries() const { return FTheSeries; }
    void SetTheSeries(TChartSeries* value);
    bool ShowTabDataSource() const { return FShowTabDataSource; }
    void SetShowTabDataSource(bool value) { FShowTabDataSource = value; }
    bool ShowTabGeneral() const { return FShowTabGeneral; }
    void SetShowTabGeneral(bool value) { FShowTabGeneral = value; }
    bool ShowTabMarks() const { return FShowTabMarks; }
    void SetShowTabMarks(bool value) { FShowTabMarks = value; }
    bool ShowPersistentCheck() const { return FShowPersistentCheck; }
    void SetShowPersistentCheck(bool value) { FShowPersistentCheck = value; }
    // On while the page fills its controls: nothing is written back meanwhile.
    bool Loading() const { return FLoading; }
    // The data source tab holds edits not yet applied to the series.
    bool FunctionChangePending() const { return FChangingFunction; }

    // Selects the current series in CBSeries and shows it; without one PageSeries hides.
    void ShowCurrentSeries();
    // Applies the pending data-source edits (raises on a circular source, changing nothing).
    void ApplyDataSource();
    // The editor is closing: pending data-source edits are applied without asking; one
    // that fails is shown and dropped. Never refuses, never raises.
    void CloseSeriesPage();

    // ---- Handlers
    void FormShow(TObject* sender);
    void FormCloseQuery(TObject* sender, bool& canClose);
    void CBSeriesChange(TObject* sender);
    void PageSeriesChange(TObject* sender);
    void PageSeriesChanging(TObject* sender, bool& allowChange);
    void CBShowInLegendClick(TObject* sender);
    void CBSeriesCursorChange(TObject* sender);
    void EValueformatChange(TObject* sender);
    void EPercentFormatChange(TObject* sender);
    void RGHorizAxisClick(TObject* sender);
    void RGVertAxisClick(TObject* sender);
    void CBXDateTimeClick(TObject* sender);
    void CBYDateTimeClick(TObject* sender);
    void CBMarksVisibleClick(TObject* sender);
    void RGMarkStyleClick(TObject* sender);
    void BMarksBackColorClick(TObject* sender);
    void CBTransparentClick(TObject* sender);
    void BMarkFontClick(TObject* sender);
    void BMarksFrameClick(TObject* sender);
    void BMarkLinColClick(TObject* sender);
    void SEArrowLengthChange(TObject* sender);
    void CBMarkClipClick(TObject* sender);
    void CBPersistentClick(TObject* sender);
    void CBDataSourcestyleChange(TObject* sender);
    void CBFunctionsChange(TObject* sender);
    void BRightOneClick(TObject* sender);
    void BRightAllClick(TObject* sender);
    void BLeftOneClick(TObject* sender);
    void BLeftAllClick(TObject* sender);
    void BEditFuncClick(TObject* sender);

    void ComponentNotification(TComponent* component, TOperation operation) override;

private:
    void BuildGeneralTab();
    void BuildMarksTab();
    void BuildDataSourceTab();
    void FillGeneral();
    void FillMarks();
    void FillDataSource();
    void FillFunctions();
    // The candidate source series of the current series, with their texts.
    void FillSourceLists();
    void UpdateMoveButtons();
    void MoveItems(TListBox* from, TListBox* to, bool all);
    void ShowOwnEditor();
    void FreeOwnEditor();
    // Follows a series this page refers to (the listed sources too).
    void Watch(TChartSeries* series);
    // Drops a freed series from the lists and combos.
    void ForgetSeries(TComponent* series);

    TChartSeries* FTheSeries = nullptr;
    bool FShowTabDataSource = true;
    bool FShowTabGeneral = true;
    bool FShowTabMarks = true;
    bool FShowPersistentCheck = false;
    bool FLoading = true;
    bool FChangingFunction = false;
    TForm* FOwnEditor = nullptr;
    std::vector<TComponent*> FWatched;
    // The function class of each CBFunctions item (nullptr for "Copy").
    std::vector<TClass> FFunctionClasses;
};
