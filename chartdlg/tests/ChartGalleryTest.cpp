// The series gallery as a user meets it: the grid of sample charts and how it follows the
// window's size, the pages, moving the highlight with the keys (greyed samples are
// skipped), choosing with Enter or cancelling, and what the entry points make of it.

#include "chartdlg/ChartGallery.h"

#include "chart/ChartFunctions.h"
#include "chart/GanttSeries.h"
#include "chart/Series.h"
#include "chartdlg/tests/ChartDlgTestSupport.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

class ChartGalleryTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        FForm.reset(new TForm(nullptr));
        FChart = new TChart(FForm.get());
        FChart->SetName("Chart1");
        FChart->SetParent(FForm.get());
        FBar = new TBarSeries(FForm.get());
        FBar->SetName("Bar1");
        FBar->SetParentChart(FChart);
        FBar->FillSampleValues(4);
    }
    void TearDown() override {
        Application->SetModalHandler(nullptr);
        FForm.reset();
    }
    // Shows the gallery (for a new series, or to change oldSeries' type) and runs check
    // while it is up; answers what ShowSeriesGallery answered.
    bool Run(TChartSeries* oldSeries, bool allowFunctions,
             const std::function<void(TChartGallery*)>& check) {
        ShowOnce<TChartGallery>(
            [&] {
                FResult = ShowSeriesGallery(FForm.get(), oldSeries, allowFunctions, FFunctionClass,
                                            FView3D, FSeriesClass);
            },
            check);
        return FResult;
    }
    static void Press(TChartGallery* g, uint16_t key) {
        g->ChartGalleryPanel1->ProcessKeyDown(key);
    }
    static std::string Selected(TChartGallery* g) {
        TCustomChart* chart = g->ChartGalleryPanel1->SelectedChart();
        return chart ? g->ChartGalleryPanel1->ChartType(chart)->Description : "";
    }

    std::unique_ptr<TForm> FForm;
    TChart* FChart = nullptr;
    TBarSeries* FBar = nullptr;
    bool FResult = false;
    TClass FFunctionClass = nullptr;
    TClass FSeriesClass = nullptr;
    bool FView3D = true;
};

TEST_F(ChartGalleryTest, SamplesFillAGridThatFollowsThePanelSize) {
    Run(nullptr, true, [&](TChartGallery* g) {
        EXPECT_EQ(g->Caption(), "VedIvuri Gallery");
        EXPECT_EQ(g->TabControl->Tabs()->ToVector(),
                  (std::vector<std::string>{"Standard", "Functions"}));
        TChartGalleryPanel* panel = g->ChartGalleryPanel1;
        ASSERT_EQ(panel->Charts().size(), 8u);
        EXPECT_EQ(panel->NumRows(), 3);
        EXPECT_EQ(panel->NumCols(), 4);
        auto check = [&] {
            const int b = panel->BevelWidth() + panel->BorderWidth();
            const int cw = (panel->Width() - b) / 4;
            const int ch = (panel->Height() - b) / 3;
            for (TCustomChart* chart : panel->Charts()) {
                const int t = chart->Tag();
                EXPECT_EQ(chart->Name(), "GalleryChart" + std::to_string(t));
                EXPECT_EQ(chart->Left(), b + (t % 4) * cw) << t;
                EXPECT_EQ(chart->Top(), b + (t / 4) * ch) << t;
                EXPECT_LE(chart->Left() + chart->Width(), panel->Width() - b) << t;
                EXPECT_EQ(chart->Width(), cw) << t;
                EXPECT_EQ(chart->Height(), ch) << t;
                EXPECT_FALSE(chart->Legend()->Visible());
            }
        };
        check();
        g->SetBounds(g->Left(), g->Top(), 640, 500);
        TestKit::ProcessMessages();
        EXPECT_GT(panel->CellWidth(), 140);
        check();
        // The line sample is highlighted for a new series; the others stay plain.
        EXPECT_EQ(Selected(g), "Line");
        for (TCustomChart* chart : panel->Charts()) {
            const bool highlighted = chart == panel->SelectedChart();
            EXPECT_EQ(chart->Gradient()->Visible(), highlighted);
            EXPECT_EQ(chart->Title()->Font()->Style().Contains(fsBold), highlighted);
        }
        g->SetModalResult(mrCancel);
    });
    EXPECT_FALSE(FResult);
    EXPECT_EQ(FSeriesClass, nullptr);
}

TEST_F(ChartGalleryTest, ThirteenTypesOnAPageMakeFourRowsOfFour) {
    // The page is taken out of the process-wide registry again when the test ends, so the
    // tests run after it see the standard pages only.
    struct TAddedEntries {
        const int Count = ChartSeriesTypes()->Count();
        ~TAddedEntries() {
            while (ChartSeriesTypes()->Count() > Count)
                ChartSeriesTypes()->Delete(ChartSeriesTypes()->Count() - 1);
        }
    } added;
    const TClass series[] = {TLineSeries::StaticClass(),     TBarSeries::StaticClass(),
                             THorizBarSeries::StaticClass(), TAreaSeries::StaticClass(),
                             TPointSeries::StaticClass(),    TPieSeries::StaticClass(),
                             TFastLineSeries::StaticClass(), TGanttSeries::StaticClass()};
    for (int i = 0; i < 13; ++i)
        AddGalleryEntry(series[i % 8],
                        i < 8 ? TAverageChartFunction::StaticClass()
                              : THighChartFunction::StaticClass(),
                        "Many " + std::to_string(i), 1, "Many");
    Run(nullptr, true, [&](TChartGallery* g) {
        const int tab = g->TabControl->Tabs()->IndexOf("Many");
        ASSERT_GE(tab, 0);
        g->TabControl->SetTabIndex(tab);
        g->TabControlChange(g->TabControl);
        TChartGalleryPanel* panel = g->ChartGalleryPanel1;
        EXPECT_EQ(panel->Charts().size(), 13u);
        EXPECT_EQ(panel->NumRows(), 4);
        EXPECT_EQ(panel->NumCols(), 4);
        TCustomChart* last = panel->ChartAt(3, 0);
        ASSERT_NE(last, nullptr);
        EXPECT_EQ(last->Tag(), 12);
        EXPECT_EQ(panel->ChartAt(3, 1), nullptr);
        // Down from the last row's only chart stays; Right finds no chart there.
        panel->SelectChart(last);
        Press(g, VK_DOWN);
        Press(g, VK_RIGHT);
        EXPECT_EQ(panel->SelectedChart(), last);
        g->SetModalResult(mrCancel);
    });
}

TEST_F(ChartGalleryTest, ArrowKeysStayInTheGridAndSkipGreyedSamples) {
    Run(FBar, false, [&](TChartGallery* g) {
        TChartGalleryPanel* panel = g->ChartGalleryPanel1;
        // Changing a bar series: no functions, the bar sample highlighted, the Gantt
        // sample (which cannot take bar data) greyed.
        EXPECT_EQ(g->TabControl->Tabs()->IndexOf("Functions"), -1);
        EXPECT_EQ(Selected(g), "Bar");
        TCustomChart* gantt = panel->ChartAt(1, 3);
        ASSERT_NE(gantt, nullptr);
        EXPECT_EQ(panel->ChartType(gantt)->Description, "Gantt");
        EXPECT_FALSE(panel->IsChartEnabled(gantt));
        EXPECT_EQ(gantt->Cursor(), crNoDrop);
        EXPECT_EQ(gantt->Title()->Font()->Color(), TColor(0x808080));

        struct {
            uint16_t Key;
            const char* Expected;
        } steps[] = {
            {VK_LEFT, "Line"},       {VK_LEFT, "Line"},       {VK_UP, "Line"},
            {VK_DOWN, "Point"},      {VK_RIGHT, "Pie"},       {VK_RIGHT, "Fast Line"},
            {VK_RIGHT, "Fast Line"}, // the greyed Gantt sample
            {VK_UP, "Horiz. Bar"},   {VK_RIGHT, "Area"},      {VK_DOWN, "Area"},
            {VK_RIGHT, "Area"},      {VK_LEFT, "Horiz. Bar"}, {VK_DOWN, "Fast Line"},
            {VK_DOWN, "Fast Line"}, // row 2 is empty
        };
        for (const auto& s : steps) {
            Press(g, s.Key);
            EXPECT_EQ(Selected(g), s.Expected) << "key " << s.Key;
        }
        Press(g, VK_RETURN);
        EXPECT_EQ(g->ModalResult(), mrOk);
    });
    EXPECT_TRUE(FResult);
    EXPECT_EQ(FSeriesClass, TFastLineSeries::StaticClass());
    EXPECT_EQ(FFunctionClass, nullptr);
}

TEST_F(ChartGalleryTest, FunctionSamplesAnswerTheirFunctionClass) {
    Run(nullptr, true, [&](TChartGallery* g) {
        g->TabControl->SetTabIndex(1);
        g->TabControlChange(g->TabControl);
        TChartGalleryPanel* panel = g->ChartGalleryPanel1;
        ASSERT_EQ(panel->Charts().size(), 7u);
        for (TCustomChart* chart : panel->Charts())
            EXPECT_EQ(chart->SeriesCount(), 2);
        // The gallery starts on the first sample; "Average" is the seventh.
        panel->SelectChart(panel->ChartAt(1, 2));
        EXPECT_EQ(Selected(g), "Average");
        g->CB3D->SetChecked(false);
        for (TCustomChart* chart : panel->Charts()) {
            EXPECT_FALSE(chart->View3D());
            EXPECT_EQ(chart->MarginLeft(), 6);
        }
        g->SetModalResult(mrOk);
    });
    EXPECT_TRUE(FResult);
    EXPECT_FALSE(FView3D);
    EXPECT_EQ(FSeriesClass, TLineSeries::StaticClass());
    EXPECT_EQ(FFunctionClass, TAverageChartFunction::StaticClass());
}

TEST_F(ChartGalleryTest, TypeChangeKeepsTheSeriesWhenCancelledOrTheSameTypeIsChosen) {
    struct {
        const char* Name;
        int Result;
        uint16_t Key; // 0: keep the bar sample
        bool Replaced;
        TClass NewClass;
    } cases[] = {
        {"cancel", mrCancel, 0, false, TBarSeries::StaticClass()},
        {"same type", mrOk, 0, false, TBarSeries::StaticClass()},
        {"horizontal bar", mrOk, VK_RIGHT, true, THorizBarSeries::StaticClass()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        FBar->SetTitle("Demand");
        Application->SetModalHandler([&](TCustomForm* form) {
            auto* g = dynamic_cast<TChartGallery*>(form);
            ASSERT_NE(g, nullptr);
            if (c.Key)
                Press(g, c.Key);
            form->SetModalResult(c.Result);
        });
        TChartSeries* series = FBar;
        ChangeSeriesTypeFromGallery(FForm.get(), series);
        ASSERT_NE(series, nullptr);
        EXPECT_EQ(series == FBar, !c.Replaced);
        EXPECT_EQ(series->ClassType(), c.NewClass);
        EXPECT_EQ(series->Title(), "Demand");
        EXPECT_EQ(FChart->SeriesCount(), 1);
        EXPECT_EQ(FChart->GetSeries(0), series);
    }
}

TEST_F(ChartGalleryTest, DescriptionsComeFromTheRegistry) {
    EXPECT_EQ(SeriesTypeDescription(FBar), "Bar");
    TPieSeries pie(nullptr);
    EXPECT_EQ(SeriesTypeDescription(&pie), "Pie");
    EXPECT_EQ(SeriesTypeDescription(nullptr), "");
}

TEST_F(ChartGalleryTest, ScreenshotsOfBothPages) {
    TTestFolder folder;
    Run(nullptr, true, [&](TChartGallery* g) {
        TestKit::ProcessMessages();
        EXPECT_TRUE(TestKit::RenderToPng(g, folder.File("gallery-standard.png")));
        g->TabControl->SetTabIndex(1);
        g->TabControlChange(g->TabControl);
        TestKit::ProcessMessages();
        EXPECT_TRUE(TestKit::RenderToPng(g, folder.File("gallery-functions.png")));
        g->SetModalResult(mrCancel);
    });
}

} // namespace
