#include "chartdlg/ChartEditor.h"

#include "chart/ChartConst.h"
#include "chart/Series.h"
#include "chartdlg/ChartEdit3D.h"
#include "chartdlg/ChartEditAxis.h"
#include "chartdlg/ChartEditGeneral.h"
#include "chartdlg/ChartEditLegend.h"
#include "chartdlg/ChartEditPaging.h"
#include "chartdlg/ChartEditPanel.h"
#include "chartdlg/ChartEditSeries.h"
#include "chartdlg/ChartEditTitle.h"
#include "chartdlg/ChartEditWall.h"
#include "framework/core/SystemUtils.h"

using namespace ChartEdit;

namespace {

const struct TRegisterChartEditForm {
    TRegisterChartEditForm() { RegisterClass(TChartEditForm::StaticClass()); }
} registerChartEditForm;

// A 16 x 16 glyph with a black arrow pointing up or down on a transparent ground.
void DrawArrowGlyph(TBitBtn* button, bool up) {
    TBitmap glyph;
    glyph.SetSize(16, 16);
    TCanvas* canvas = glyph.Canvas();
    canvas->Brush()->SetColor(clOlive);
    canvas->FillRect(TRect(0, 0, 16, 16));
    canvas->Brush()->SetColor(clBlack);
    canvas->Pen()->SetColor(clBlack);
    if (up)
        canvas->Polygon(std::vector<TPoint>{{3, 11}, {12, 11}, {7, 5}});
    else
        canvas->Polygon(std::vector<TPoint>{{3, 5}, {12, 5}, {7, 11}});
    glyph.SetTransparentColor(clOlive);
    button->SetGlyph(&glyph);
}

} // namespace

TChartEditForm::TChartEditForm(TComponent* owner) : TForm(owner) {
    {
        TLoadingBracket loading(this);
        SetName("ChartEditForm");
        SetBorderStyle(bsDialog);
        SetBorderIcons({biSystemMenu, biMinimize});
        SetPosition(poScreenCenter);
        SetHelpContext(726);
        SetClientWidth(418);
        SetClientHeight(319);

        using T = TChartEditForm;
        MainPage = PlaceControl<TPageControl>(this, this, "MainPage", 0, 0, 418, 289);
        MainPage->SetAlign(alTop);
        TabChart = MakeTab(this, MainPage, "TabChart", "Chart");
        TabSeries = MakeTab(this, MainPage, "TabSeries", "Series");
        MainPage->SetOnChange(TNotifyEvent(this, &T::MainPageChange, "MainPageChange"));
        MainPage->SetOnChanging(TTabChangingEvent(this, &T::MainPageChanging, "MainPageChanging"));

        Notebook1 = PlaceControl<TPageControl>(this, TabChart, "Notebook1", 0, 0, 409, 257);
        Notebook1->SetAlign(alClient);
        TabSeriesList = MakeTab(this, Notebook1, "TabSeriesList", "Series");
        TabGeneral = MakeTab(this, Notebook1, "TabGeneral", "General");
        TabAxis = MakeTab(this, Notebook1, "TabAxis", "Axis");
        TabTitle = MakeTab(this, Notebook1, "TabTitle", "Titles");
        TabLegend = MakeTab(this, Notebook1, "TabLegend", "Legend");
        TabPanel = MakeTab(this, Notebook1, "TabPanel", "Panel");
        TabPaging = MakeTab(this, Notebook1, "TabPaging", "Paging");
        TabWalls = MakeTab(this, Notebook1, "TabWalls", "Walls");
        Tab3D = MakeTab(this, Notebook1, "Tab3D", "3D");
        Notebook1->SetOnChange(TNotifyEvent(this, &T::Notebook1Change, "Notebook1Change"));

        Header1 = PlaceControl<THeaderControl>(this, TabSeriesList, "Header1", 4, 4, 288, 17);
        const int widths[] = {26, 16, 26, 216};
        for (int i = 0; i < 4; ++i) {
            THeaderSection* section = Header1->Sections()->Add();
            section->SetWidth(widths[i]);
            section->SetAllowClick(false);
            if (i == 3)
                section->SetText("Series Title");
        }
        LBSeries = PlaceControl<TChartListBox>(this, TabSeriesList, "LBSeries", 4, 21, 288, 200);
        LBSeries->SetMultiSelect(true);
        LBSeries->SetOnOtherItemsChange(
            TNotifyEvent(this, &T::LBSeriesOtherItemsChange, "LBSeriesOtherItemsChange"));
        LBSeries->SetOnDblClickSeries(
            TDblClickSeriesEvent(this, &T::LBSeriesEditSeries, "LBSeriesEditSeries"));
        LBSeries->SetOnRefresh(
            TNotifyEvent(this, &T::LBSeriesRefreshButtons, "LBSeriesRefreshButtons"));

        BMoveUP = PlaceControl<TBitBtn>(this, TabSeriesList, "BMoveUP", 298, 21, 25, 25);
        BMoveUP->SetOnClick(TNotifyEvent(this, &T::BMoveUPClick, "BMoveUPClick"));
        DrawArrowGlyph(BMoveUP, true);
        BMoveDown = PlaceControl<TBitBtn>(this, TabSeriesList, "BMoveDown", 298, 50, 25, 25);
        BMoveDown->SetOnClick(TNotifyEvent(this, &T::BMoveDownClick, "BMoveDownClick"));
        DrawArrowGlyph(BMoveDown, false);
        BAddSeries = MakeButton(this, TabSeriesList, "BAddSeries", "&Add...", 328, 21, 72,
                                TNotifyEvent(this, &T::BAddSeriesClick, "BAddSeriesClick"));
        BDeleteSeries =
            MakeButton(this, TabSeriesList, "BDeleteSeries", "&Delete", 328, 54, 72,
                       TNotifyEvent(this, &T::BDeleteSeriesClick, "BDeleteSeriesClick"));
        BRenameSeries =
            MakeButton(this, TabSeriesList, "BRenameSeries", "&Title...", 328, 87, 72,
                       TNotifyEvent(this, &T::BRenameSeriesClick, "BRenameSeriesClick"));
        BCloneSeries = MakeButton(this, TabSeriesList, "BCloneSeries", "C&lone", 328, 120, 72,
                                  TNotifyEvent(this, &T::BCloneSeriesClick, "BCloneSeriesClick"));
        BChangeTypeSeries =
            MakeButton(this, TabSeriesList, "BChangeTypeSeries", "&Change...", 328, 153, 72,
                       TNotifyEvent(this, &T::BChangeTypeSeriesClick, "BChangeTypeSeriesClick"));

        BClose = MakeButton(this, this, "BClose", "Close", 330, 292, 80,
                            TNotifyEvent(this, &T::BCloseClick, "BCloseClick"));
        BClose->SetDefault(true);
        BClose->SetCancel(true);

        SetOnCreate(TNotifyEvent(this, &T::FormCreate, "FormCreate"));
        SetOnShow(TNotifyEvent(this, &T::FormShow, "FormShow"));
        SetOnCloseQuery(TCloseQueryEvent(this, &T::FormCloseQuery, "FormCloseQuery"));
    }
    FormCreate(this);
}

TChartEditForm::~TChartEditForm() {
    // The list stops mirroring into the series page, whichever of the two goes first.
    if (LBSeries)
        LBSeries->SetOtherItems(nullptr);
}

void TChartEditForm::FormCreate(TObject*) {
    LBSeries->SetChart(nullptr);
    SetCaption("");
    OpenPageIndex = -1;
    SeriesActions = ChartEditorAllOptions;
    SeriesToOpen = nullptr;
    EditedChart = nullptr;
    EditedTitle = nullptr;
    ShowPersistentCheck = false;
    MainPage->SetActivePage(TabChart);
    Notebook1->SetActivePage(TabSeriesList);
    Notebook1->SetHotTrack(true);
}

TModalResult TChartEditForm::ShowModal() {
    if (!EditedChart)
        throw EInvalidOperation("The chart editor has no chart to edit");
    return TForm::ShowModal();
}

void TChartEditForm::ComponentNotification(TComponent* component, TOperation operation) {
    TForm::ComponentNotification(component, operation);
    if (operation != opRemove)
        return;
    if (component == SeriesToOpen)
        SeriesToOpen = nullptr;
    if (component == LBSeries)
        LBSeries = nullptr;
    if (component == SeriesPage) {
        SeriesPage = nullptr;
        if (LBSeries)
            LBSeries->SetOtherItems(nullptr);
    }
    if (component == EditedChart) {
        EditedChart = nullptr;
        EditedAxis = nullptr;
        EditedTitle = nullptr;
        EditedWall = nullptr;
    }
}

TTabSheet* TChartEditForm::NotebookTab(int pageIndex) const {
    return pageIndex >= 0 && pageIndex < Notebook1->PageCount() ? Notebook1->Pages(pageIndex)
                                                                : nullptr;
}

TForm* TChartEditForm::PageOf(TTabSheet* tab) const {
    if (!tab || tab->PageControl() != Notebook1)
        return nullptr;
    const int index = tab->PageIndex();
    return index >= 0 && index < 9 ? FPages[index] : nullptr;
}

void TChartEditForm::FormShow(TObject*) {
    Screen->SetCursor(crDefault);
    EditedChart->FreeNotification(this);
    if (SeriesToOpen)
        SeriesToOpen->FreeNotification(this);
    LBSeries->SetChart(EditedChart);
    for (int i = 0; i < Header1->Sections()->Count() && i < int(LBSeries->Sections().size()); ++i)
        LBSeries->Sections()[size_t(i)].Width = Header1->Sections()->Items(i)->Width();
    if (Caption().empty())
        SetCaption(Format("Editing %s", {EditedChart->Name()}));
    for (int i = 0; i < 9; ++i)
        if (HiddenPages.test(size_t(i)))
            Notebook1->Pages(i)->SetTabVisible(false);
    if (OpenPageIndex >= 0 && OpenPageIndex <= 8 && Notebook1->Pages(OpenPageIndex)->TabVisible())
        Notebook1->SetActivePage(Notebook1->Pages(OpenPageIndex));
    // The active tab may have lost its place to a hidden tab's neighbour, or been chosen
    // above: its page is made now.
    CreateActivePage();
    LBSeries->FillSeries(SeriesToOpen);
    if (SeriesToOpen)
        LBSeriesEditSeries(LBSeries, LBSeries->ItemIndex());
}

void TChartEditForm::CreateActivePage() {
    TTabSheet* tab = Notebook1->ActivePage();
    if (!tab || !EditedChart)
        return;
    const int index = tab->PageIndex();
    if (index > cepSeriesList && index <= cep3D && !FPages[index]) {
        TForm* page = nullptr;
        switch (index) {
        case cepGeneral:
            page = TFormChartGeneral::CreateForChart(this, EditedChart);
            break;
        case cepAxis:
            if (!EditedAxis)
                EditedAxis = EditedChart->LeftAxis();
            page = TFormChartAxis::CreateForAxis(this, EditedAxis);
            break;
        case cepTitles:
            if (!EditedTitle)
                EditedTitle = EditedChart->Title();
            page = TFormChartTitle::CreateForTitle(this, EditedTitle);
            break;
        case cepLegend:
            page = TFormChartLegend::CreateForLegend(this, EditedChart->Legend());
            break;
        case cepPanel:
            page = TFormChartPanel::CreateForPanel(this, EditedChart);
            break;
        case cepPaging:
            page = TFormChartPage::CreateForChart(this, EditedChart);
            break;
        case cepWalls:
            if (!EditedWall)
                EditedWall = EditedChart->LeftWall();
            page = TFormChartWall::CreateForWall(this, EditedWall);
            break;
        default:
            page = TFormChart3D::CreateForChart(this, EditedChart);
            break;
        }
        FPages[index] = page;
        page->SetAlign(alClient);
        page->SetParent(tab);
        if (auto* page3D = dynamic_cast<TFormChart3D*>(page))
            page3D->SetAllowRotation(!dynamic_cast<TPieSeries*>(EditedChart->FirstActiveSeries()));
        page->SetVisible(true);
    }
    if (index == cep3D) {
        auto* page3D = static_cast<TFormChart3D*>(FPages[cep3D]);
        page3D->SetAllowRotation(!dynamic_cast<TPieSeries*>(EditedChart->FirstActiveSeries()));
        page3D->CheckControls();
    }
}

void TChartEditForm::Notebook1Change(TObject*) {
    CreateActivePage();
}

void TChartEditForm::OpenSeriesPage() {
    if (SeriesPage) {
        SeriesPage->SetTheSeries(LBSeries->CurrentSeries());
    } else {
        SeriesPage = CreateForm<TFormChartSeries>(this);
        SeriesPage->SetBorderStyle(bsNone);
        SeriesPage->SetBorderIcons({});
        LBSeries->SetOtherItems(SeriesPage->CBSeries->Items());
        SeriesPage->SetAlign(alClient);
        SeriesPage->SetParent(TabSeries);
        SeriesPage->SetShowTabDataSource(SeriesActions.Contains(AllowDataSource));
        SeriesPage->SetShowTabGeneral(!HiddenPages.test(9));
        SeriesPage->SetShowTabMarks(!HiddenPages.test(10));
        SeriesPage->SetShowPersistentCheck(ShowPersistentCheck);
        SeriesPage->SetTheSeries(LBSeries->CurrentSeries());
        LBSeries->FillSeries(SeriesPage->TheSeries());
        SeriesPage->SetVisible(true);
    }
    SeriesPage->ShowCurrentSeries();
}

void TChartEditForm::ShowSeriesPage() {
    MainPage->SetActivePage(TabSeries);
    OpenSeriesPage();
}

void TChartEditForm::MainPageChange(TObject*) {
    if (MainPage->ActivePage() == TabSeries)
        OpenSeriesPage();
}

void TChartEditForm::MainPageChanging(TObject*, bool& allowChange) {
    if (SeriesPage)
        SeriesPage->PageSeriesChanging(SeriesPage->PageSeries, allowChange);
}

void TChartEditForm::FormCloseQuery(TObject*, bool& canClose) {
    // Pending data-source edits are applied without asking; one that fails is shown and
    // dropped: the window always closes.
    if (SeriesPage)
        SeriesPage->CloseSeriesPage();
    canClose = true;
}

void TChartEditForm::LBSeriesEditSeries(TObject*, int) {
    if (LBSeries->CurrentSeries())
        ShowSeriesPage();
}

void TChartEditForm::LBSeriesOtherItemsChange(TObject*) {
    if (SeriesPage)
        SeriesPage->CBSeries->SetItemIndex(LBSeries->ItemIndex());
}

void TChartEditForm::LBSeriesRefreshButtons(TObject*) {
    TCustomChart* chart = LBSeries->Chart();
    const bool hasSeries = chart && chart->SeriesCount() > 0;
    TChartSeries* current = LBSeries->CurrentSeries();
    const TChartSeriesStyle style = current ? current->Style() : TChartSeriesStyle();
    const bool inherited = current && current->ComponentState().Contains(csAncestor);
    const int selected = LBSeries->SelCount();
    const int index = LBSeries->ItemIndex();
    BAddSeries->SetEnabled(SeriesActions.Contains(AllowAdd));
    BDeleteSeries->SetEnabled(hasSeries && !inherited && SeriesActions.Contains(AllowDelete) &&
                              !style.Contains(tssIsTemplate) && !style.Contains(tssDenyDelete));
    BRenameSeries->SetEnabled(hasSeries && selected < 2 && SeriesActions.Contains(AllowRename));
    BChangeTypeSeries->SetEnabled(hasSeries && !inherited &&
                                  SeriesActions.Contains(AllowChangeType) &&
                                  !style.Contains(tssDenyChangeType));
    BCloneSeries->SetEnabled(hasSeries && selected <= 1 && SeriesActions.Contains(AllowClone) &&
                             !style.Contains(tssIsTemplate) && !style.Contains(tssDenyClone));
    BMoveDown->SetEnabled(hasSeries && selected <= 1 && index < LBSeries->Items()->Count() - 1);
    BMoveUP->SetEnabled(hasSeries && selected <= 1 && index > 0);
}

void TChartEditForm::BMoveUPClick(TObject*) {
    LBSeries->MoveUp();
}

void TChartEditForm::BMoveDownClick(TObject*) {
    LBSeries->MoveDown();
}

void TChartEditForm::BAddSeriesClick(TObject*) {
    TChartSeries* series = LBSeries->AddFromGallery();
    if (!series || !series->FunctionType())
        return;
    // A function's source series is what the user picks next.
    ShowSeriesPage();
    SeriesPage->PageSeries->SetActivePage(SeriesPage->TabDataSource);
    SeriesPage->PageSeriesChange(SeriesPage->PageSeries);
}

void TChartEditForm::BDeleteSeriesClick(TObject*) {
    LBSeries->DeleteSelected();
}

void TChartEditForm::BRenameSeriesClick(TObject*) {
    LBSeries->RenameCurrent();
    if (LBSeries->CanFocus())
        LBSeries->SetFocus();
}

void TChartEditForm::BCloneSeriesClick(TObject*) {
    LBSeries->CloneCurrent();
}

void TChartEditForm::BChangeTypeSeriesClick(TObject*) {
    LBSeries->ChangeTypeOfSelected();
}

void TChartEditForm::BCloseClick(TObject*) {
    SetModalResult(mrCancel);
}
