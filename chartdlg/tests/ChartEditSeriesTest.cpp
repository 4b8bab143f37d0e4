// The series page as the chart editor hosts it: its combo mirrors the series list, tabs
// are filled without writing anything back, edits reach the series at once, and the data
// source is applied (with its cycle check and its question) when the user leaves its tab,
// switches series or closes the editor. The function period dialog rounds point counts.

#include "chartdlg/ChartEditSeries.h"

#include "chart/ChartFunctions.h"
#include "chart/Series.h"
#include "chartdlg/AxisIncrement.h"
#include "chartdlg/ChartEditPeriod.h"
#include "chartdlg/ChartListBox.h"
#include "chartdlg/PenDlg.h"
#include "chartdlg/tests/ChartDlgTestSupport.h"
#include "framework/core/Streams.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// The separators of a locale whose thousands are grouped with blanks.
class TSeparatorGuard {
public:
    TSeparatorGuard(char decimal, char thousand)
        : FDecimal(DecimalSeparator), FThousand(ThousandSeparator) {
        DecimalSeparator = decimal;
        ThousandSeparator = thousand;
    }
    ~TSeparatorGuard() {
        DecimalSeparator = FDecimal;
        ThousandSeparator = FThousand;
    }

private:
    char FDecimal, FThousand;
};

class ChartEditSeriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        FForm.reset(new TForm(nullptr));
        FForm->SetName("Form1");
        FForm->SetBounds(0, 0, 420, 460);
        FChart = new TChart(FForm.get());
        FChart->SetName("Chart1");
        FChart->SetParent(FForm.get());
        FChart->SetBounds(0, 300, 410, 150);
        FWind = Add(new TLineSeries(FForm.get()), "Wind", 6);
        FLoad = Add(new TBarSeries(FForm.get()), "Load", 6);
        FEmpty = Add(new TLineSeries(FForm.get()), "Empty", 0);
        FList = new TChartListBox(FForm.get());
        FList->SetName("LBSeries");
        FList->SetBounds(0, 0, 10, 10);
        FList->SetVisible(false);
        FList->SetParent(FForm.get());
        FPage = CreateForm<TFormChartSeries>(FForm.get());
        FPage->SetBounds(0, 0, 411, 264);
        FPage->SetParent(FForm.get());
        FList->SetOtherItems(FPage->CBSeries->Items());
        FList->SetChart(FChart);
        FForm->Show();
        FPage->Show();
        TestKit::ProcessMessages();
    }
    void TearDown() override {
        Application->SetModalHandler(nullptr);
        FForm.reset();
    }
    TChartSeries* Add(TChartSeries* s, const std::string& name, int points) {
        s->SetName(name);
        s->SetParentChart(FChart);
        if (points > 0)
            s->FillSampleValues(points);
        return s;
    }
    // The page opens on series, as the editor's series tab does.
    void Open(TChartSeries* series) {
        FPage->SetTheSeries(series);
        FList->FillSeries(series);
        FPage->ShowCurrentSeries();
    }
    // A click on the tab of page, as the user switches.
    void ClickTab(TTabSheet* sheet) {
        TPageControl* pages = sheet->PageControl();
        const TRect r = pages->TabRect(sheet->TabIndex());
        TestKit::ClickAt(pages, TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        TestKit::ProcessMessages();
    }
    // The empty series opened on its data source page with Wind chosen as the source of a
    // function, not yet applied.
    void PendFunctionOfWind() {
        Open(FEmpty);
        ClickTab(FPage->TabDataSource);
        FPage->CBDataSourcestyle->SetItemIndex(dssFunction);
        FPage->CBDataSourcestyleChange(nullptr);
        FPage->LBAvailSeries->ClearSelection();
        FPage->LBAvailSeries->SetSelected(FPage->LBAvailSeries->Items()->IndexOf("Wind"), true);
        FPage->BRightOneClick(nullptr);
    }
    std::string Snapshot() {
        std::string all;
        for (TChartSeries* s : FChart->SeriesList()) {
            TMemoryStream m;
            m.WriteComponent(s);
            all += m.Data();
            all += s->XValues()->DateTime() ? "X" : "x";
            all += s->YValues()->DateTime() ? "Y" : "y";
            all += IntToStr(s->Count()) + ";";
            for (TChartSeries* source : s->DataSources())
                all += source->Name() + ",";
        }
        return all;
    }
    std::vector<std::string> Items(TListBox* list) { return list->Items()->ToVector(); }
    // Sets up FEmpty as the average of FWind and FLoad through the page.
    void MakeAverage() {
        Open(FEmpty);
        ClickTab(FPage->TabDataSource);
        FPage->CBDataSourcestyle->SetItemIndex(dssFunction);
        FPage->CBDataSourcestyleChange(nullptr);
        FPage->CBFunctions->SetItemIndex(FPage->CBFunctions->Items()->IndexOf("Average"));
        FPage->CBFunctionsChange(nullptr);
        FPage->LBAvailSeries->SelectAll();
        FPage->BRightOneClick(nullptr);
        FPage->ApplyDataSource();
    }

    std::unique_ptr<TForm> FForm;
    TChart* FChart = nullptr;
    TChartSeries* FWind = nullptr;
    TChartSeries* FLoad = nullptr;
    TChartSeries* FEmpty = nullptr;
    TChartListBox* FList = nullptr;
    TFormChartSeries* FPage = nullptr;
};

TEST_F(ChartEditSeriesTest, ShowsTheSeriesTypeAndTheTabsItsLocksAllow) {
    Open(FLoad);
    EXPECT_EQ(FPage->CBSeries->Items()->ToVector(),
              (std::vector<std::string>{"Wind", "Load", "Empty"}));
    EXPECT_EQ(FPage->CBSeries->ItemIndex(), 1);
    EXPECT_EQ(FPage->LabelSeriesClass->Caption(), "Bar: Load");
    EXPECT_TRUE(FPage->ImageSeries->Visible());
    EXPECT_TRUE(FPage->PageSeries->Visible());
    EXPECT_FALSE(FPage->CBPersistent->Visible());

    struct {
        const char* Name;
        TChartSeriesStyle Style;
        bool General, Marks, DataSource, Persistent;
        bool DataSourceShown, PersistentShown;
    } cases[] = {
        {"all", {}, true, true, true, false, true, false},
        {"no data source", {tssHideDataSource}, true, true, true, true, false, true},
        {"template", {tssIsTemplate}, true, true, true, true, false, false},
        {"options", {}, false, false, false, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        FWind->SetStyle(c.Style);
        FPage->SetShowTabGeneral(c.General);
        FPage->SetShowTabMarks(c.Marks);
        FPage->SetShowTabDataSource(c.DataSource);
        FPage->SetShowPersistentCheck(c.Persistent);
        Open(FWind);
        EXPECT_EQ(FPage->TabGeneral->TabVisible(), c.General);
        EXPECT_EQ(FPage->TabMarks->TabVisible(), c.Marks);
        EXPECT_EQ(FPage->TabDataSource->TabVisible(), c.DataSourceShown);
        EXPECT_EQ(FPage->CBPersistent->Visible(), c.PersistentShown);
    }
    // The persistent check shows and sets its bit of the series' locks.
    FWind->SetStyle({tssIsPersistent});
    Open(FWind);
    EXPECT_TRUE(FPage->CBPersistent->Checked());
    TestKit::Click(FPage->CBPersistent);
    EXPECT_FALSE(FWind->Style().Contains(tssIsPersistent));

    // Without a series the tabs go.
    FPage->CBSeries->SetItemIndex(-1);
    FPage->CBSeriesChange(nullptr);
    EXPECT_FALSE(FPage->PageSeries->Visible());
    EXPECT_EQ(FPage->LabelSeriesClass->Caption(), "");
}

TEST_F(ChartEditSeriesTest, FillingEveryTabWritesNothingBack) {
    // Blank-grouped thousands: a format written back from its edit would change.
    TSeparatorGuard separators(',', ' ');
    FWind->SetValueFormat("#,##0.0 kW");
    FWind->SetPercentFormat("##0.## %");
    FWind->XValues()->SetDateTime(true);
    FWind->SetHorizAxis(aTopAxis);
    FWind->SetCursor(crHandPoint);
    FWind->Marks()->SetVisible(true);
    FWind->Marks()->SetStyle(smsLabelValue);
    FWind->Marks()->SetArrowLength(150);
    FWind->Marks()->SetClip(true);
    FLoad->Marks()->SetTransparent(true);
    FLoad->SetShowInLegend(false);
    auto* pie = Add(new TPieSeries(FForm.get()), "Pie", 4);
    pie->SetActive(false);
    MakeAverage();
    FList->FillSeries(FWind);
    const std::string before = Snapshot();
    for (TChartSeries* s : std::vector<TChartSeries*>(FChart->SeriesList())) {
        SCOPED_TRACE(s->Name());
        Open(s);
        for (TTabSheet* tab :
             {FPage->TabGeneral, FPage->TabMarks, FPage->TabDataSource, FPage->TheTabSheet}) {
            ClickTab(tab);
            EXPECT_EQ(FPage->PageSeries->ActivePage(), tab);
            EXPECT_FALSE(FPage->FunctionChangePending());
        }
        EXPECT_EQ(Snapshot(), before);
    }
    Open(FWind);
    ClickTab(FPage->TabGeneral);
    EXPECT_EQ(FPage->EValueformat->Text(), "# ##0,0 kW");
    EXPECT_EQ(FPage->CBSeriesCursor->Text(), "HandPoint");
    EXPECT_EQ(FPage->RGHorizAxis->ItemIndex(), int(aTopAxis));
    EXPECT_TRUE(FPage->CBXDateTime->Checked());
    ClickTab(FPage->TabMarks);
    EXPECT_EQ(FPage->SEArrowLength->Text(), "150");
    EXPECT_EQ(FPage->RGMarkStyle->ItemIndex(), int(smsLabelValue));
}

TEST_F(ChartEditSeriesTest, EditsReachTheSeriesAtOnce) {
    TSeparatorGuard separators(',', '.');
    Open(FWind);
    ClickTab(FPage->TabGeneral);
    TestKit::Click(FPage->CBShowInLegend);
    EXPECT_FALSE(FWind->ShowInLegend());
    FPage->EValueformat->SetText("0,00");
    EXPECT_EQ(FWind->ValueFormat(), "0.00");
    TestKit::Click(FPage->RGVertAxis->Buttons(1));
    EXPECT_EQ(FWind->VertAxis(), aRightAxis);
    TestKit::Click(FPage->CBYDateTime);
    EXPECT_TRUE(FWind->YValues()->DateTime());
    FPage->CBSeriesCursor->SetItemIndex(FPage->CBSeriesCursor->Items()->IndexOf("ChartHand"));
    FPage->CBSeriesCursorChange(nullptr);
    EXPECT_EQ(FWind->Cursor(), 2020);

    ClickTab(FPage->TabMarks);
    TestKit::Click(FPage->CBMarksVisible);
    EXPECT_TRUE(FWind->Marks()->Visible());
    TestKit::Click(FPage->RGMarkStyle->Buttons(int(smsXValue)));
    EXPECT_EQ(FWind->Marks()->Style(), smsXValue);
    FPage->SEArrowLength->SetText("12");
    EXPECT_EQ(FWind->Marks()->ArrowLength(), 12);
    FPage->SEArrowLength->SetText("");
    EXPECT_EQ(FWind->Marks()->ArrowLength(), 12);
    TestKit::Click(FPage->CBTransparent);
    EXPECT_TRUE(FWind->Marks()->Transparent());
    AnswerColor(clLime);
    FPage->BMarksBackColorClick(nullptr);
    EXPECT_EQ(FWind->Marks()->BackColor(), clLime);
    EXPECT_FALSE(FWind->Marks()->Transparent());
}

TEST_F(ChartEditSeriesTest, APageNotYetShownTakesEditsAfterASeriesSwitch) {
    std::unique_ptr<TFormChartSeries> owned(CreateForm<TFormChartSeries>(nullptr));
    TFormChartSeries* page = owned.get();
    page->CBSeries->Items()->Assign(*FPage->CBSeries->Items());
    page->SetTheSeries(FLoad);
    page->ShowCurrentSeries();
    EXPECT_FALSE(page->Loading());
    page->CBMarksVisible->SetChecked(true);
    EXPECT_TRUE(FLoad->Marks()->Visible());
}

TEST_F(ChartEditSeriesTest, APieHidesTheAxisChoices) {
    auto* pie = Add(new TPieSeries(FForm.get()), "Pie", 4);
    FList->FillSeries(pie);
    Open(pie);
    for (TControl* c : std::initializer_list<TControl*>{FPage->RGHorizAxis, FPage->RGVertAxis,
                                                        FPage->CBXDateTime, FPage->CBYDateTime})
        EXPECT_FALSE(c->Visible()) << c->Name();
    Open(FWind);
    EXPECT_TRUE(FPage->RGHorizAxis->Visible());
}

TEST_F(ChartEditSeriesTest, DataSourceTabShowsWhereTheSeriesTakesItsPoints) {
    Open(FWind);
    ClickTab(FPage->TabDataSource);
    EXPECT_EQ(FPage->CBDataSourcestyle->Text(), "Random Values");
    EXPECT_FALSE(FPage->PCData->Visible());
    Open(FEmpty);
    EXPECT_EQ(FPage->PageSeries->ActivePage(), FPage->TabDataSource);
    EXPECT_EQ(FPage->CBDataSourcestyle->Text(), "No Data");

    MakeAverage();
    ASSERT_EQ(FEmpty->DataSources().size(), 2u);
    ASSERT_NE(FEmpty->FunctionType(), nullptr);
    EXPECT_EQ(FEmpty->FunctionType()->ClassType(), TAverageChartFunction::StaticClass());
    EXPECT_EQ(FEmpty->Count(), 6);

    Open(FWind);
    Open(FEmpty);
    EXPECT_EQ(FPage->CBDataSourcestyle->Text(), "Function");
    EXPECT_TRUE(FPage->PCData->Visible());
    EXPECT_EQ(FPage->CBFunctions->Items()->ToVector(),
              (std::vector<std::string>{"Copy", "Average", "Low", "High", "Divide", "Multiply",
                                        "Subtract", "Add"}));
    EXPECT_EQ(FPage->CBFunctions->Text(), "Average");
    EXPECT_TRUE(FPage->BEditFunc->Enabled());
    EXPECT_EQ(Items(FPage->LBSelectedSeries), (std::vector<std::string>{"Wind", "Load"}));
    EXPECT_TRUE(Items(FPage->LBAvailSeries).empty());
    EXPECT_FALSE(FPage->BRightAll->Enabled());
    EXPECT_TRUE(FPage->BLeftAll->Enabled());

    // "Random Values" drops the sources and the function and fills sample points.
    FPage->CBDataSourcestyle->SetItemIndex(dssRandom);
    FPage->CBDataSourcestyleChange(nullptr);
    EXPECT_TRUE(FEmpty->DataSources().empty());
    EXPECT_EQ(FEmpty->FunctionType(), nullptr);
    EXPECT_EQ(FEmpty->Count(), FEmpty->NumSampleValues());
    FPage->CBDataSourcestyle->SetItemIndex(dssNoData);
    FPage->CBDataSourcestyleChange(nullptr);
    EXPECT_EQ(FEmpty->Count(), 0);
}

TEST_F(ChartEditSeriesTest, LeavingTheDataSourceAsksBeforeApplying) {
    struct {
        const char* Name;
        int Answer;
        bool Left;    // the page switched to "General"
        bool Applied; // FEmpty takes its points from FWind
    } cases[] = {
        {"yes", mrYes, true, true},
        {"no", mrNo, true, false},
        {"cancel", mrCancel, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        PendFunctionOfWind();
        EXPECT_EQ(Items(FPage->LBSelectedSeries), (std::vector<std::string>{"Wind"}));
        EXPECT_TRUE(FPage->FunctionChangePending());
        TestKit::Dialogs().Clear();
        TestKit::Dialogs().AnswerNext(c.Answer);
        ClickTab(FPage->TabGeneral);
        EXPECT_EQ(TestKit::Dialogs().LastText(), "Apply Changes?");
        EXPECT_EQ(FPage->PageSeries->ActivePage(),
                  c.Left ? FPage->TabGeneral : FPage->TabDataSource);
        EXPECT_EQ(FEmpty->DataSource(), c.Applied ? FWind : nullptr);
        EXPECT_EQ(FEmpty->Count(), c.Applied ? FWind->Count() : 0);
        EXPECT_EQ(FPage->FunctionChangePending(), !c.Left);
    }
}

// The question comes while the mouse is down on the tab; its release goes to the question,
// so the tab control must not keep the mouse: it would swallow the next click in the
// editor (on its "Chart" tab, say).
TEST_F(ChartEditSeriesTest, ApplyChangesAskedOnATabPressLeavesTheMouseFree) {
    PendFunctionOfWind();
    ASSERT_TRUE(FPage->FunctionChangePending());
    TestKit::Dialogs().Clear();
    TestKit::Dialogs().AnswerNext(mrYes);
    TPageControl* pages = FPage->PageSeries;
    const TRect r = pages->TabRect(FPage->TabGeneral->TabIndex());
    const TPoint at((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    TestKit::MouseDown(pages, at);
    EXPECT_EQ(TestKit::Dialogs().LastText(), "Apply Changes?");
    EXPECT_EQ(pages->ActivePage(), FPage->TabGeneral);
    EXPECT_EQ(GetCaptureControl(), nullptr);
    TestKit::MouseUp(pages, at);
}

TEST_F(ChartEditSeriesTest, ACircularSourceIsRefusedAndChangesNothing) {
    // Load copies Wind; making Wind take Load's points would close a circle.
    FLoad->SetDataSource(FWind);
    Open(FWind);
    ClickTab(FPage->TabDataSource);
    FPage->CBDataSourcestyle->SetItemIndex(dssFunction);
    FPage->CBDataSourcestyleChange(nullptr);
    const int load = FPage->LBAvailSeries->Items()->IndexOf("Load");
    ASSERT_GE(load, 0);
    FPage->LBAvailSeries->ClearSelection();
    FPage->LBAvailSeries->SetSelected(load, true);
    FPage->BRightOneClick(nullptr);
    TestKit::Dialogs().Clear();
    TestKit::Dialogs().AnswerNext(mrYes);
    ClickTab(FPage->TabMarks);
    ASSERT_EQ(TestKit::Dialogs().Shown().size(), 2u);
    EXPECT_EQ(TestKit::Dialogs().Shown()[1].Text, "Circular Series dependences are not allowed.");
    EXPECT_EQ(FPage->PageSeries->ActivePage(), FPage->TabDataSource);
    EXPECT_TRUE(FWind->DataSources().empty());
    EXPECT_EQ(FWind->Count(), 6);
    EXPECT_EQ(FLoad->DataSource(), FWind);

    // Closing the editor with that change pending shows the error once, drops the change
    // and lets the editor close.
    TestKit::Dialogs().Clear();
    bool canClose = false;
    FPage->FormCloseQuery(FPage, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_EQ(TestKit::Dialogs().LastText(), "Circular Series dependences are not allowed.");
    EXPECT_FALSE(FPage->FunctionChangePending());
    EXPECT_TRUE(FWind->DataSources().empty());
    TestKit::Dialogs().Clear();
    FPage->CloseSeriesPage();
    EXPECT_TRUE(TestKit::Dialogs().Shown().empty());
}

TEST_F(ChartEditSeriesTest, MovingEverySourceBackRemovesTheSourceAndKeepsTheFunction) {
    MakeAverage();
    Open(FEmpty);
    FPage->BLeftAllClick(nullptr);
    EXPECT_TRUE(Items(FPage->LBSelectedSeries).empty());
    EXPECT_EQ(Items(FPage->LBAvailSeries).size(), 2u);
    TestKit::Dialogs().AnswerNext(mrYes);
    ClickTab(FPage->TabGeneral);
    EXPECT_TRUE(FEmpty->DataSources().empty());
    ASSERT_NE(FEmpty->FunctionType(), nullptr);

    // "Copy" removes the function, and a switch of series applies without asking.
    ClickTab(FPage->TabDataSource);
    FPage->CBFunctions->SetItemIndex(0);
    FPage->CBFunctionsChange(nullptr);
    EXPECT_FALSE(FPage->BEditFunc->Enabled());
    TestKit::Dialogs().Clear();
    FPage->CBSeries->SetItemIndex(0);
    FPage->CBSeriesChange(nullptr);
    EXPECT_TRUE(TestKit::Dialogs().Shown().empty());
    EXPECT_EQ(FEmpty->FunctionType(), nullptr);
    EXPECT_EQ(FPage->TheSeries(), FWind);
}

TEST_F(ChartEditSeriesTest, FreedSeriesAreDroppedFromThePage) {
    Open(FEmpty);
    ClickTab(FPage->TabDataSource);
    FPage->CBDataSourcestyle->SetItemIndex(dssFunction);
    FPage->CBDataSourcestyleChange(nullptr);
    FPage->LBAvailSeries->SelectAll();
    FPage->BRightAllClick(nullptr);
    // A listed source goes: it leaves the lists, and applying uses the others.
    delete FLoad;
    FLoad = nullptr;
    EXPECT_EQ(Items(FPage->LBSelectedSeries), (std::vector<std::string>{"Wind"}));
    FPage->ApplyDataSource();
    EXPECT_EQ(FEmpty->DataSource(), FWind);
    // The series shown goes: the page empties and closes without touching it.
    delete FEmpty;
    FEmpty = nullptr;
    EXPECT_EQ(FPage->TheSeries(), nullptr);
    EXPECT_FALSE(FPage->PageSeries->Visible());
    EXPECT_EQ(FPage->CBSeries->Items()->IndexOf("Empty"), -1);
    bool canClose = false;
    FPage->FormCloseQuery(FPage, canClose);
    EXPECT_TRUE(canClose);
}

TEST_F(ChartEditSeriesTest, PeriodDialogRoundsCountsAndUpdatesTheFunctionOnce) {
    MakeAverage();
    struct {
        double Period;
        int Style;
        const char* Shown;
        bool All;
    } cases[] = {{2.6, 0, "3", false}, {-4, 0, "0", true}, {0, 0, "0", true}};
    for (const auto& c : cases) {
        std::unique_ptr<TFormPeriod> dialog(CreateForm<TFormPeriod>(FForm.get()));
        dialog->Period = c.Period;
        dialog->PeriodStyle = c.Style;
        Application->SetModalHandler([&](TCustomForm* form) {
            EXPECT_EQ(dialog->ENum->Text(), c.Shown) << c.Period;
            EXPECT_EQ(dialog->CBAll->Checked(), c.All) << c.Period;
            EXPECT_TRUE(dialog->ENum->Enabled());
            EXPECT_FALSE(dialog->BChange->Enabled());
            form->SetModalResult(mrCancel);
        });
        dialog->ShowModal();
    }

    Open(FEmpty);
    ClickTab(FPage->TabDataSource);
    Application->SetModalHandler([](TCustomForm* form) {
        auto* dialog = dynamic_cast<TFormPeriod*>(form);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->LCalc->Caption(), "Calculate Average every:");
        dialog->ENum->SetText("2");
        TestKit::Click(dialog->RGAlign->Buttons(2));
        form->SetModalResult(mrOk);
    });
    FPage->BEditFuncClick(nullptr);
    TChartFunction* function = FEmpty->FunctionType();
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(function->Period(), 2);
    EXPECT_EQ(function->PeriodAlign(), paLast);
    EXPECT_EQ(function->PeriodStyle(), psNumPoints);
}

TEST_F(ChartEditSeriesTest, PeriodRangeIsChosenInTheIncrementDialog) {
    std::unique_ptr<TFormPeriod> dialog(CreateForm<TFormPeriod>(FForm.get()));
    dialog->Period = 5;
    dialog->PeriodStyle = 1;
    std::string caption;
    Application->SetModalHandler([&](TCustomForm* form) {
        if (form == dialog.get()) {
            EXPECT_EQ(TestKit::TextOf(dialog->BLabel), "5");
            TestKit::Click(dialog->BChange);
            EXPECT_EQ(TestKit::TextOf(dialog->BLabel), "12.5");
            EXPECT_FALSE(dialog->CBAll->Checked());
            form->SetModalResult(mrOk);
            return;
        }
        auto* increment = dynamic_cast<TAxisIncrement*>(form);
        ASSERT_NE(increment, nullptr);
        caption = increment->Caption();
        EXPECT_EQ(TestKit::TextOf(increment->ECustom), "5");
        increment->ECustom->SetText("12.5");
        increment->BitBtn1Click(nullptr);
    });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    Application->SetModalHandler(nullptr);
    EXPECT_EQ(caption, "Period range");
    EXPECT_DOUBLE_EQ(dialog->Period, 12.5);
}

TEST_F(ChartEditSeriesTest, ScreenshotsOfEveryTab) {
    TTestFolder folder;
    MakeAverage();
    FEmpty->Marks()->SetVisible(true);
    Open(FEmpty);
    const std::pair<TTabSheet*, const char*> tabs[] = {
        {FPage->TabGeneral, "series-general.png"},
        {FPage->TabMarks, "series-marks.png"},
        {FPage->TabDataSource, "series-datasource.png"},
        {FPage->TheTabSheet, "series-format.png"},
    };
    for (const auto& [tab, file] : tabs) {
        ClickTab(tab);
        EXPECT_TRUE(TestKit::RenderToPng(FPage, folder.File(file)));
    }
}

} // namespace
