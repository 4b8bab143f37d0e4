// The sunshine view as a user meets it: the factors of every month and hour in the grid,
// a factor typed into its cell, .pph files opened and saved through the file dialogs, and
// the monthly lines of the factors docked over the view.

#include "ViewsTestSupport.h"

#include "app/phDataEd.h"
#include "app/phDataGr.h"
#include "chart/Series.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Dialogs.h"
#include "persist/tests/ShownCell.h"

#include <filesystem>

namespace {

using TestKit::Find;

class SunshineViewTest : public TProgramTest {
protected:
    void SetUp() override {
        TProgramTest::SetUp();
        fmHolder->SetWidth(800);
        fmHolder->SetHeight(620);
        fmHolder->ShowView(3);
        TestKit::ProcessMessages();
        Ed = Find<TfmPhDataEd>(fmHolder->pnlHolder, "fmPhDataEd");
        ASSERT_NE(Ed, nullptr);
    }

    void TypeIntoCell(int col, int row, const std::string& text) {
        TestKit::Focus(Ed->gdPhData);
        Ed->gdPhData->SetCol(col);
        Ed->gdPhData->SetRow(row);
        TestKit::TypeText(text);
        TestKit::PressKey(VK_RETURN);
        TestKit::ProcessMessages();
    }
    // Answers the next file dialog with the file (Cancel for ""), checking its settings.
    void ChooseFile(const std::string& file, const std::string& kind) {
        TestKit::Dialogs().AnswerNextWith([file, kind](const TestKit::TShownDialog& shown) {
            auto* dlg = dynamic_cast<TOpenDialog*>(shown.Dialog);
            EXPECT_EQ(shown.Kind, kind);
            if (!dlg)
                return 0;
            EXPECT_EQ(dlg->Filter(), "Φωτοβολταϊκά Δεδομένα|*.pph");
            EXPECT_EQ(dlg->DefaultExt(), "pph");
            EXPECT_EQ(dlg->FilterIndex(), 1);
            if (file.empty())
                return 0;
            dlg->SetFileName(file);
            return 1;
        });
    }

    TfmPhDataEd* Ed = nullptr;
};

TEST_F(SunshineViewTest, ATypedFactorShowsInItsCellOnEnter) {
    TestKit::Focus(Ed->gdPhData);
    Ed->gdPhData->SetCol(6);
    Ed->gdPhData->SetRow(13);
    TestKit::ProcessMessages();
    const std::vector<uint8_t> before = ShownCellPixels(Ed->gdPhData, 6, 13);
    TestKit::TypeText("0.123");
    TestKit::PressKey(VK_RETURN);
    TestKit::ProcessMessages();
    ASSERT_DOUBLE_EQ(PhFactors->GetFactor(6, 12), 0.123);
    const std::vector<uint8_t> shown = ShownCellPixels(Ed->gdPhData, 6, 13);
    EXPECT_EQ(shown, RepaintedCellPixels(Ed->gdPhData, 6, 13));
    EXPECT_NE(shown, before);
}

TEST_F(SunshineViewTest, GridShowsEveryMonthAndHourOfTheFactors) {
    EXPECT_EQ(Ed->Caption(), "Ηλιοφάνεια");
    EXPECT_EQ(Ed->gdPhData->ColCount(), 13);
    EXPECT_EQ(Ed->gdPhData->RowCount(), 25);
    EXPECT_EQ(Ed->gdPhData->ColWidths(0), 2 * Ed->gdPhData->ColWidths(1));
    PhFactors->SetFactor(1, 0, 0.125);
    PhFactors->SetFactor(12, 23, 0.5);
    struct TCell {
        int Col, Row;
        std::string Text;
    };
    const std::vector<TCell> cells = {
        {0, 0, "Α/Α"},         {1, 0, ShortMonthNames[0]}, {12, 0, ShortMonthNames[11]},
        {0, 1, "00:00-01:00"}, {0, 24, "23:00-24:00"},     {1, 1, "0.125"},
        {12, 24, "0.500"},     {0, 13, "12:00-13:00"},
    };
    for (const TCell& c : cells)
        EXPECT_EQ(Ed->CellText(c.Col, c.Row), c.Text) << c.Col << "," << c.Row;
    std::string text;
    Ed->gdPhDataGetEditText(Ed->gdPhData, 12, 24, text);
    EXPECT_EQ(text, "0.500");
    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("sunshine.png")));
}

TEST_F(SunshineViewTest, ATypedFactorIsStoredAndANonNumberIsReported) {
    TypeIntoCell(7, 13, "0.75");
    EXPECT_DOUBLE_EQ(PhFactors->GetFactor(7, 12), 0.75);
    EXPECT_EQ(Ed->CellText(7, 13), "0.750");
    // No range check.
    TypeIntoCell(2, 1, "1.5");
    EXPECT_DOUBLE_EQ(PhFactors->GetFactor(2, 0), 1.5);

    TestKit::Dialogs().Clear();
    TypeIntoCell(7, 13, "abc");
    EXPECT_DOUBLE_EQ(PhFactors->GetFactor(7, 12), 0.75);
    EXPECT_EQ(TestKit::Dialogs().Shown().size(), 1u);
}

TEST_F(SunshineViewTest, PphFilesAreSavedAndOpenedThroughTheDialogs) {
    const std::string file = FDir + "/sun.pph";
    PhFactors->SetFactor(6, 12, 0.875);
    ChooseFile(file, "TSaveDialog");
    ClickStrip("Αποθήκευση");
    ASSERT_TRUE(std::filesystem::exists(file));

    PhFactors->SetFactor(6, 12, 0.25);
    ChooseFile("", "TOpenDialog"); // cancelled: nothing read
    ClickStrip("Ανοιγμα");
    EXPECT_DOUBLE_EQ(PhFactors->GetFactor(6, 12), 0.25);

    ChooseFile(file, "TOpenDialog");
    ClickStrip("Ανοιγμα");
    EXPECT_DOUBLE_EQ(PhFactors->GetFactor(6, 12), 0.875);
    EXPECT_EQ(Ed->CellText(6, 13), "0.875");
    EXPECT_EQ(TestKit::Dialogs().PendingAnswers(), 0);
}

TEST_F(SunshineViewTest, ChartDrawsOneLinePerMonthInPercent) {
    PhFactors->SetFactor(3, 0, 0.5);
    PhFactors->SetFactor(3, 23, 0.25);
    ClickStrip("Γράφημα");
    auto* gr = Find<TfmPhDataGr>(fmHolder->pnlHolder, "fmPhDataGr");
    ASSERT_NE(gr, nullptr);
    EXPECT_EQ(gr->Caption(), "Ηλιακή Ακτινοβολία");
    EXPECT_FALSE(gr->Chart1->Title()->Visible());
    EXPECT_TRUE(gr->Chart1->Legend()->Visible());
    EXPECT_EQ(gr->Chart1->LeftAxis()->AxisValuesFormat(), "#,##0.###%");
    ASSERT_EQ(gr->Chart1->SeriesCount(), 12);
    for (int m = 0; m < 12; ++m) {
        TChartSeries* s = gr->Chart1->GetSeries(m);
        EXPECT_EQ(s->ClassName(), "TFastLineSeries");
        EXPECT_EQ(s->Title(), ShortMonthNames[size_t(m)]);
        ASSERT_EQ(s->Count(), 24);
        EXPECT_DOUBLE_EQ(s->XValues()->ValueAt(0), 1);
        EXPECT_DOUBLE_EQ(s->XValues()->ValueAt(23), 24);
    }
    TChartSeries* march = gr->Chart1->GetSeries(2);
    EXPECT_DOUBLE_EQ(march->YValues()->ValueAt(0), 50);
    EXPECT_DOUBLE_EQ(march->YValues()->ValueAt(23), 25);
    EXPECT_TRUE(TestKit::RenderToPng(fmHolder, ShotFile("sunshine-chart.png")));
}

TEST_F(SunshineViewTest, LegendFramesEveryMonthAndNoLineTakesTheBackColour) {
    ClickStrip("Γράφημα");
    auto* gr = Find<TfmPhDataGr>(fmHolder->pnlHolder, "fmPhDataGr");
    ASSERT_NE(gr, nullptr);
    TChart* chart = gr->Chart1;
    ASSERT_EQ(chart->SeriesCount(), 12);
    // Every month in its own colour, none of them the colour behind the lines.
    const TColor back = ColorToRGB(chart->Color());
    for (int m = 0; m < 12; ++m) {
        TColor color = ColorToRGB(chart->GetSeries(m)->SeriesColor());
        EXPECT_NE(color, back) << m;
        for (int k = 0; k < m; ++k)
            EXPECT_NE(color, ColorToRGB(chart->GetSeries(k)->SeriesColor())) << m << " " << k;
    }
    // Where the legend writes each month: symbol and text inside its frame.
    std::vector<std::pair<int, int>> placed; // row, x of the text
    chart->SetOnGetLegendPos(TChartGetLegendPos(
        [&](TCustomChart*, int row, int& x, int&, int&) { placed.emplace_back(row, x); }));
    chart->Invalidate();
    TestKit::ProcessMessages();
    TestKit::RenderToPng(fmHolder, ShotFile("sunshine-legend.png"));
    ASSERT_EQ(placed.size(), 12u);
    TBitmap measure;
    measure.Canvas()->Font()->AssignFrom(chart->Legend()->Font());
    const TRect frame = chart->Legend()->RectLegend();
    for (const auto& [row, x] : placed) {
        const std::string& month = ShortMonthNames[size_t(row)];
        EXPECT_GE(x - 4 - chart->Legend()->SymbolWidth(), frame.Left) << month;
        EXPECT_LE(x + measure.Canvas()->TextWidth(month), frame.Right) << month;
    }
}

} // namespace
