#pragma once
// The chart editor: a modal, tabbed dialog over one chart. The first page lists the
// chart's series (TChartListBox) with the series operations; every other page edits a
// part of the chart and is created the first time its tab is shown. Every change goes to
// the chart at once; "Close" only closes.

#include "chart/Chart.h"
#include "chartdlg/ChartEditControls.h"
#include "chartdlg/ChartListBox.h"
#include "framework/gui/Buttons.h"

#include <bitset>

class TFormChartSeries;
class TFormChart3D;

// The series operations the editor offers.
enum TChartEditorOption {
    AllowAdd,
    AllowDelete,
    AllowChangeType,
    AllowClone,
    AllowDataSource,
    AllowRename
};
using TChartEditorOptions = TSet<TChartEditorOption>;
constexpr TChartEditorOptions ChartEditorAllOptions{AllowAdd,   AllowDelete,     AllowChangeType,
                                                    AllowClone, AllowDataSource, AllowRename};

// Bits 0..8 hide the chart tabs of those page indexes; bit 9 the series page's "General"
// tab, bit 10 its "Marks" tab.
using TChartEditorHiddenPages = std::bitset<11>;

// The chart tabs, by page index.
enum TChartEditorPage {
    cepSeriesList,
    cepGeneral,
    cepAxis,
    cepTitles,
    cepLegend,
    cepPanel,
    cepPaging,
    cepWalls,
    cep3D
};

class TChartEditForm : public TForm {
    ORV_CLASS(TChartEditForm, TForm)
public:
    explicit TChartEditForm(TComponent* owner);
    ~TChartEditForm() override;

    TPageControl* MainPage = nullptr;
    TTabSheet* TabChart = nullptr;
    TTabSheet* TabSeries = nullptr;
    TPageControl* Notebook1 = nullptr;
    TTabSheet* TabSeriesList = nullptr;
    TTabSheet* TabGeneral = nullptr;
    TTabSheet* TabAxis = nullptr;
    TTabSheet* TabTitle = nullptr;
    TTabSheet* TabLegend = nullptr;
    TTabSheet* TabPanel = nullptr;
    TTabSheet* TabPaging = nullptr;
    TTabSheet* TabWalls = nullptr;
    TTabSheet* Tab3D = nullptr;
    THeaderControl* Header1 = nullptr;
    TChartListBox* LBSeries = nullptr;
    TBitBtn* BMoveUP = nullptr;
    TBitBtn* BMoveDown = nullptr;
    TButton* BAddSeries = nullptr;
    TButton* BDeleteSeries = nullptr;
    TButton* BRenameSeries = nullptr;
    TButton* BCloneSeries = nullptr;
    TButton* BChangeTypeSeries = nullptr;
    TButton* BClose = nullptr;

    // Set by the caller between creating and showing the window.
    TCustomChart* EditedChart = nullptr;
    TCustomChartAxis* EditedAxis = nullptr;
    TChartTitle* EditedTitle = nullptr;
    TChartWall* EditedWall = nullptr;
    TChartSeries* SeriesToOpen = nullptr;
    // The chart tab to open (0..8); -1 keeps the series list. Other values are ignored.
    int OpenPageIndex = -1;
    TChartEditorHiddenPages HiddenPages;
    TChartEditorOptions SeriesActions = ChartEditorAllOptions;
    bool ShowPersistentCheck = false;
    // The series page, created on first use.
    TFormChartSeries* SeriesPage = nullptr;

    // Raises before anything shows when there is no chart to edit.
    TModalResult ShowModal() override;

    // The page form docked in a chart tab (nullptr until the tab was shown).
    TForm* PageOf(TTabSheet* tab) const;
    TTabSheet* NotebookTab(int pageIndex) const;

    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void FormCloseQuery(TObject* sender, bool& canClose);
    void Notebook1Change(TObject* sender);
    void MainPageChange(TObject* sender);
    void MainPageChanging(TObject* sender, bool& allowChange);
    void LBSeriesEditSeries(TObject* sender, int index);
    void LBSeriesOtherItemsChange(TObject* sender);
    void LBSeriesRefreshButtons(TObject* sender);
    void BMoveUPClick(TObject* sender);
    void BMoveDownClick(TObject* sender);
    void BAddSeriesClick(TObject* sender);
    void BDeleteSeriesClick(TObject* sender);
    void BRenameSeriesClick(TObject* sender);
    void BCloneSeriesClick(TObject* sender);
    void BChangeTypeSeriesClick(TObject* sender);
    void BCloseClick(TObject* sender);

    // Switches to the series tab and opens the series page on the series selected in the
    // list.
    void ShowSeriesPage();
    // The series page on the selected series, created and docked the first time.
    void OpenSeriesPage();

protected:
    void ComponentNotification(TComponent* component, TOperation operation) override;

private:
    // The page of the active chart tab, created and docked when it has none yet.
    void CreateActivePage();
    TForm* FPages[9] = {};
};
