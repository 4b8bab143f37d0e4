// The chart's series list driven as a user would: filling, reordering by buttons and by
// dragging a title, deleting (with its question and the series' locks), cloning, renaming,
// changing the type through the gallery, and following series and charts that are freed.

#include "chartdlg/ChartListBox.h"

#include "chart/Series.h"
#include "chartdlg/ChartGallery.h"
#include "chartdlg/tests/ChartDlgTestSupport.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class ChartListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        FForm.reset(new TForm(nullptr));
        FForm->SetBounds(0, 0, 420, 320);
        FChart = new TChart(FForm.get());
        FChart->SetName("Chart1");
        FChart->SetParent(FForm.get());
        FChart->SetBounds(0, 160, 400, 150);
        AddSeries(new TLineSeries(FForm.get()), "Line1", "Wind");
        AddSeries(new TBarSeries(FForm.get()), "Bar1", "");
        AddSeries(new TAreaSeries(FForm.get()), "Area1", "Load");
        FList = new TChartListBox(FForm.get());
        FList->SetName("LBSeries");
        FList->SetBounds(0, 0, 300, 150);
        FList->SetParent(FForm.get());
        FList->SetOtherItems(&FMirror);
        FList->SetOnRefresh(TNotifyEvent([this](TObject*) { ++FRefreshes; }));
        FList->SetOnOtherItemsChange(TNotifyEvent([this](TObject*) { ++FOtherChanges; }));
        FList->SetChart(FChart);
        FForm->Show();
        TestKit::ProcessMessages();
    }
    void TearDown() override {
        Application->SetModalHandler(nullptr);
        FForm.reset();
    }
    void AddSeries(TChartSeries* s, const std::string& name, const std::string& title) {
        s->SetName(name);
        s->SetTitle(title);
        s->SetParentChart(FChart);
        s->FillSampleValues(5);
    }
    std::vector<std::string> ChartOrder() const {
        std::vector<std::string> names;
        for (TChartSeries* s : FChart->SeriesList())
            names.push_back(s->Name());
        return names;
    }
    std::vector<std::string> Shown() const { return FList->Items()->ToVector(); }
    // The centre of column section of item index.
    TPoint CellPoint(int index, int section) const {
        const TRect r = FList->ItemRect(index);
        return TPoint(FList->SectionLeft(section) + FList->Sections()[size_t(section)].Width / 2,
                      (r.Top + r.Bottom) / 2);
    }
    void SelectOnly(int index) {
        FList->ClearSelection();
        FList->SetItemIndex(index);
        FList->SetSelected(index, true);
    }

    std::unique_ptr<TForm> FForm;
    TChart* FChart = nullptr;
    TChartListBox* FList = nullptr;
    TStringList FMirror;
    int FRefreshes = 0;
    int FOtherChanges = 0;
};

TEST_F(ChartListBoxTest, FillsTitlesOrNamesMirrorsThemAndSelects) {
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Wind", "Bar1", "Load"}));
    EXPECT_EQ(FMirror.ToVector(), Shown());
    EXPECT_EQ(FList->ItemIndex(), 0);
    EXPECT_EQ(FList->CurrentSeries(), FChart->GetSeries(0));
    EXPECT_GT(FRefreshes, 0);

    FList->FillSeries(FChart->GetSeries(2));
    EXPECT_EQ(FList->ItemIndex(), 2);
    EXPECT_TRUE(FList->Selected(2));
    EXPECT_EQ(FList->SelCount(), 1);
}

TEST_F(ChartListBoxTest, ColumnsHitTestExcludesTheirEdges) {
    struct {
        int X;
        int Section;
    } cases[] = {{0, -1},         {1, lbcIcon},    {25, lbcIcon},  {26, -1},
                 {27, lbcActive}, {42, -1},        {43, lbcColor}, {68, -1},
                 {69, lbcTitle},  {283, lbcTitle}, {284, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(FList->SectionAt(c.X), c.Section) << "x " << c.X;
    FList->SetShowActiveCheck(false);
    EXPECT_EQ(FList->SectionAt(30), lbcColor);
    EXPECT_EQ(FList->SectionLeft(lbcTitle), 52);
}

TEST_F(ChartListBoxTest, MoveUpAndDownExchangeSeriesInTheChart) {
    FList->MoveUp(); // first item: nothing
    EXPECT_EQ(ChartOrder(), (std::vector<std::string>{"Line1", "Bar1", "Area1"}));
    FList->MoveDown();
    EXPECT_EQ(ChartOrder(), (std::vector<std::string>{"Bar1", "Line1", "Area1"}));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Bar1", "Wind", "Load"}));
    EXPECT_EQ(FMirror.ToVector(), Shown());
    EXPECT_EQ(FList->ItemIndex(), 1);
    FList->MoveDown();
    FList->MoveDown(); // last item: nothing
    EXPECT_EQ(ChartOrder(), (std::vector<std::string>{"Bar1", "Area1", "Line1"}));
    EXPECT_EQ(FList->CurrentSeries()->Name(), "Line1");
    FList->MoveUp();
    EXPECT_EQ(ChartOrder(), (std::vector<std::string>{"Bar1", "Line1", "Area1"}));
}

TEST_F(ChartListBoxTest, DeleteAsksAndSelectsTheSeriesThatTakesThePlace) {
    struct {
        const char* Name;
        std::vector<int> Select;
        int Answer;
        const char* Question;
        std::vector<std::string> Left;
        int Current; // -1: none
    } cases[] = {
        {"no keeps all", {1}, mrNo, "Delete Bar1?", {"Line1", "Bar1", "Area1"}, 1},
        {"middle", {1}, mrYes, "Delete Bar1?", {"Line1", "Area1"}, 1},
        {"last selects new last", {2}, mrYes, "Delete Area1?", {"Line1", "Bar1"}, 1},
        {"two", {0, 2}, mrYes, "Delete (Selected Series)?", {"Bar1"}, 0},
        {"all", {0, 1, 2}, mrYes, "Delete (Selected Series)?", {}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        FList->ClearSelection();
        for (int i : c.Select)
            FList->SetSelected(i, true);
        FList->SetItemIndex(c.Select.front());
        for (int i : c.Select)
            FList->SetSelected(i, true);
        TestKit::Dialogs().Clear();
        TestKit::Dialogs().AnswerNext(c.Answer);
        FOtherChanges = 0;
        FList->DeleteSelected();
        EXPECT_EQ(TestKit::Dialogs().LastText(), c.Question);
        EXPECT_EQ(ChartOrder(), c.Left);
        EXPECT_EQ(int(Shown().size()), int(c.Left.size()));
        EXPECT_EQ(FList->ItemIndex(), c.Current);
        if (c.Current < 0) {
            EXPECT_GT(FOtherChanges, 0);
        }
    }
}

TEST_F(ChartListBoxTest, DeleteSelectsTheSeriesNowAtTheDeletedIndex) {
    struct {
        int Delete;
        std::vector<std::string> Left;
        int Current;
    } cases[] = {
        {0, {"Bar1", "Area1", "Pie1"}, 0},
        {1, {"Line1", "Area1", "Pie1"}, 1},
        {2, {"Line1", "Bar1", "Pie1"}, 2},
        {3, {"Line1", "Bar1", "Area1"}, 2}, // past the end: the new last
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Delete);
        TearDown();
        SetUp();
        AddSeries(new TLineSeries(FForm.get()), "Pie1", "");
        FList->FillSeries(nullptr);
        ASSERT_EQ(FList->Count(), 4);
        SelectOnly(c.Delete);
        FList->SetAskDelete(false);
        FList->DeleteSelected();
        EXPECT_EQ(ChartOrder(), c.Left);
        EXPECT_EQ(FList->ItemIndex(), c.Current);
        ASSERT_NE(FList->CurrentSeries(), nullptr);
        EXPECT_EQ(FList->CurrentSeries()->Name(), c.Left[size_t(c.Current)]);
    }
}

TEST_F(ChartListBoxTest, DeleteKeyRespectsTheLocksOfTheDeleteButton) {
    FList->SetAskDelete(false);
    struct {
        const char* Name;
        TChartSeriesStyle Style;
        bool Allow;
        bool Deleted;
    } cases[] = {
        {"free", {}, true, true},
        {"template", {tssIsTemplate}, true, false},
        {"no delete", {tssDenyDelete}, true, false},
        {"list forbids", {}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        FList->SetAskDelete(false);
        FList->SetAllowDeleteSeries(c.Allow);
        FChart->GetSeries(1)->SetStyle(c.Style);
        SelectOnly(1);
        TestKit::Focus(FList);
        TestKit::PressKey(VK_DELETE);
        EXPECT_EQ(FChart->SeriesCount(), c.Deleted ? 2 : 3);
        EXPECT_EQ(FList->CanDeleteCurrent(), c.Allow && c.Style.Empty());
    }
}

TEST_F(ChartListBoxTest, CloneAddsACopyAndSelectsIt) {
    SelectOnly(1);
    FList->CloneCurrent();
    ASSERT_EQ(FChart->SeriesCount(), 4);
    TChartSeries* copy = FChart->GetSeries(3);
    EXPECT_EQ(copy->ClassType(), TBarSeries::StaticClass());
    EXPECT_EQ(copy->Count(), FChart->GetSeries(1)->Count());
    EXPECT_EQ(FList->CurrentSeries(), copy);
    EXPECT_EQ(FMirror.Count(), 4);
}

TEST_F(ChartListBoxTest, RenameSetsTheTitleUnlessItIsTheName) {
    struct {
        const char* Name;
        bool Confirm;
        const char* Typed;
        const char* Title;
        const char* ShownText;
    } cases[] = {
        {"new title", true, "Production", "Production", "Production"},
        {"own name", true, "Line1", "Wind", "Line1"},
        {"empty", true, "", "Wind", "Wind"},
        {"cancelled", false, "x", "Wind", "Wind"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        SelectOnly(0);
        TestKit::Dialogs().Clear();
        if (c.Confirm)
            TestKit::Dialogs().AnswerNextInput(c.Typed);
        FList->RenameCurrent();
        ASSERT_FALSE(TestKit::Dialogs().Shown().empty());
        EXPECT_EQ(TestKit::Dialogs().Shown().back().Caption, "Change Series Title");
        EXPECT_EQ(TestKit::Dialogs().Shown().back().Text, "New Series Title:");
        EXPECT_EQ(FChart->GetSeries(0)->Title(), c.Title);
        EXPECT_EQ(Shown()[0], c.ShownText);
        EXPECT_EQ(FMirror[0], c.ShownText);
        EXPECT_EQ(FList->ItemIndex(), 0);
    }
}

TEST_F(ChartListBoxTest, ChangingTypeWithTheGalleryCancelledChangesNothing) {
    FList->SelectAll();
    FList->SetItemIndex(0);
    FList->SelectAll();
    TChartSeries* first = FChart->GetSeries(0);
    int shown = 0;
    Application->SetModalHandler([&](TCustomForm* form) {
        ++shown;
        EXPECT_NE(dynamic_cast<TChartGallery*>(form), nullptr);
        form->SetModalResult(mrCancel);
    });
    FList->ChangeTypeOfSelected();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(ChartOrder(), (std::vector<std::string>{"Line1", "Bar1", "Area1"}));
    EXPECT_EQ(FChart->GetSeries(0), first);
    EXPECT_EQ(FChart->GetSeries(1)->ClassType(), TBarSeries::StaticClass());
}

TEST_F(ChartListBoxTest, ChangingTypeGivesEverySelectedSeriesTheChosenClass) {
    FList->ClearSelection();
    FList->SetItemIndex(0);
    FList->SetSelected(0, true);
    FList->SetSelected(2, true);
    Application->SetModalHandler([&](TCustomForm* form) {
        auto* gallery = dynamic_cast<TChartGallery*>(form);
        ASSERT_NE(gallery, nullptr);
        // A type change offers no functions; the line sample starts highlighted.
        EXPECT_EQ(gallery->TabControl->Tabs()->IndexOf("Functions"), -1);
        ASSERT_NE(gallery->ChartGalleryPanel1->SelectedChart(), nullptr);
        EXPECT_EQ(gallery->SelectedSeriesClass(), TLineSeries::StaticClass());
        // Right once: the bar sample.
        uint16_t key = VK_RIGHT;
        gallery->ChartGalleryPanel1->ProcessKeyDown(key);
        EXPECT_EQ(gallery->SelectedSeriesClass(), TBarSeries::StaticClass());
        form->SetModalResult(mrOk);
    });
    FList->ChangeTypeOfSelected();
    ASSERT_EQ(FChart->SeriesCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(FChart->GetSeries(i)->ClassType(), TBarSeries::StaticClass()) << i;
    EXPECT_EQ(ChartOrder(), (std::vector<std::string>{"Line1", "Bar1", "Area1"}));
    EXPECT_EQ(FChart->GetSeries(0)->Title(), "Wind");
    EXPECT_EQ(FList->CurrentSeries(), FChart->GetSeries(2));
}

TEST_F(ChartListBoxTest, AddFromGalleryCreatesTheChosenTypeOrNothing) {
    Application->SetModalHandler([](TCustomForm* form) { form->SetModalResult(mrCancel); });
    EXPECT_EQ(FList->AddFromGallery(), nullptr);
    EXPECT_EQ(FChart->SeriesCount(), 3);

    Application->SetModalHandler([](TCustomForm* form) {
        auto* gallery = dynamic_cast<TChartGallery*>(form);
        ASSERT_NE(gallery, nullptr);
        EXPECT_NE(gallery->TabControl->Tabs()->IndexOf("Functions"), -1);
        uint16_t key = VK_DOWN; // the point sample (row 1, column 0)
        gallery->ChartGalleryPanel1->ProcessKeyDown(key);
        EXPECT_EQ(gallery->SelectedSeriesClass(), TPointSeries::StaticClass());
        form->SetModalResult(mrOk);
    });
    SelectOnly(0);
    TChartSeries* created = FList->AddFromGallery();
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->ClassType(), TPointSeries::StaticClass());
    EXPECT_EQ(created->ParentChart(), FChart);
    EXPECT_EQ(FList->CurrentSeries(), created);
    EXPECT_EQ(FMirror.Count(), 4);
}

TEST_F(ChartListBoxTest, FollowsSeriesAndChartsThatAreFreed) {
    SelectOnly(2);
    // The mirror's owner (the series page) may have dropped the series first.
    FMirror.Delete(FMirror.IndexOf("Bar1"));
    delete FChart->GetSeries(1);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Wind", "Load"}));
    EXPECT_EQ(FMirror.ToVector(), Shown());
    EXPECT_EQ(FList->CurrentSeries(), FChart->GetSeries(1));
    delete FChart;
    FChart = nullptr;
    EXPECT_EQ(FList->Chart(), nullptr);
    EXPECT_EQ(FList->Count(), 0);
    EXPECT_EQ(FMirror.Count(), 0);
    EXPECT_EQ(FList->CurrentSeries(), nullptr);
}

TEST_F(ChartListBoxTest, MouseTogglesActiveDoubleClickOpensAndDragReorders) {
    // A press on the check column of the current item switches the series off and on.
    SelectOnly(1);
    TestKit::ClickAt(FList, CellPoint(1, lbcActive));
    EXPECT_FALSE(FChart->GetSeries(1)->Active());
    TestKit::ClickAt(FList, CellPoint(1, lbcActive));
    EXPECT_TRUE(FChart->GetSeries(1)->Active());

    int opened = -1;
    FList->SetOnDblClickSeries(TDblClickSeriesEvent([&](TObject*, int index) { opened = index; }));
    TestKit::ClickAt(FList, CellPoint(2, lbcTitle));
    TestKit::DoubleClickAt(FList, CellPoint(2, lbcTitle));
    EXPECT_EQ(opened, 2);

    // Dragging the first title onto the third row exchanges the two series.
    SelectOnly(0);
    TestKit::Drag(FList, CellPoint(0, lbcTitle), CellPoint(2, lbcTitle));
    EXPECT_EQ(ChartOrder(), (std::vector<std::string>{"Area1", "Bar1", "Line1"}));
    EXPECT_EQ(FList->ItemIndex(), 2);
    EXPECT_EQ(FList->SelCount(), 1);

    // Only the list's own items are taken.
    bool accept = true;
    FList->DragOver(FChart, 10, 10, dsDragMove, accept);
    EXPECT_FALSE(accept);

    // Dropped onto itself: nothing moves.
    const TPoint self = CellPoint(2, lbcTitle);
    TestKit::Drag(FList, self, TPoint(self.X + 30, self.Y + 2));
    EXPECT_EQ(ChartOrder(), (std::vector<std::string>{"Area1", "Bar1", "Line1"}));

    TTestFolder folder;
    EXPECT_TRUE(TestKit::RenderToPng(FList, folder.File("chartlistbox.png")));
}

} // namespace
