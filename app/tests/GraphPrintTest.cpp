// Printing a chart view: the print action's preview prints to the PDF printer, asking for
// the file through the save dialog; the paper shows the chart in the screen's proportions,
// its text as large relative to the chart as on screen, nothing dropped.

#include "app/EnergyGraph.h"
#include "app/GraphBase.h"
#include "app/WDataEd.h"

#include "app/tests/WorkbenchTestSupport.h"
#include "chart/Chart.h"
#include "chart/tests/PrintedPage.h"
#include "chartdlg/ChartPreview.h"
#include "framework/gui/Printers.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace {

// What the chart shows on screen (its bitmap) and on paper (the PDF).
struct TPrintSeen {
    std::string Title;
    double ScreenTitleRatio = 0; // the title's width over the chart's width
    std::vector<std::string> ScreenLegend;
    std::string ProposedFile;
    std::string Filter;
    std::string Pdf;
    TRect Margins; // percent of the page the chart was printed inside
};

class GraphPrintTest : public TWorkbenchTest {
protected:
    void SetUp() override {
        TWorkbenchTest::SetUp();
        TPrinter* printer = Printer();
        printer->SetPrinterIndex(printer->Printers()->IndexOf(kPdfPrinterName));
    }

    // Prints the chart window shown modally by show through its print action and the
    // preview's "&Print", the save dialog answered with a file of the test's folder;
    // prepare runs on the window first.
    TPrintSeen PrintChartWindow(const std::function<void()>& show,
                                const std::function<void(TfmGraphBase*)>& prepare,
                                const std::string& name) {
        TPrintSeen seen;
        seen.Pdf = ShotFile(name + ".pdf");
        Application->SetModalHandler([&](TCustomForm* form) {
            if (auto* preview = dynamic_cast<TChartPreview*>(form)) {
                TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
                    auto* save = dynamic_cast<TSaveDialog*>(shown.Dialog);
                    if (!save)
                        return 0;
                    seen.ProposedFile = save->FileName();
                    seen.Filter = save->Filter();
                    save->SetFileName(seen.Pdf);
                    return 1;
                });
                EXPECT_TRUE(TestKit::RenderToPng(preview, ShotFile(name + "-preview.png")));
                TestKit::Click(preview->BPrint);
                TestKit::Click(preview->BClose);
                return;
            }
            auto* graph = dynamic_cast<TfmGraphBase*>(form);
            ASSERT_NE(graph, nullptr) << form->ClassName();
            prepare(graph);
            TChart* chart = graph->Chart1;
            std::unique_ptr<TBitmap> bitmap = chart->MakeBitmap(clWhite, chart->GetDrawRect());
            EXPECT_TRUE(TestKit::SaveBitmapToPng(*bitmap, ShotFile(name + "-screen.png")));
            seen.Title = chart->Title()->Text()->Text();
            while (!seen.Title.empty() && (seen.Title.back() == '\n' || seen.Title.back() == '\r'))
                seen.Title.pop_back();
            TBitmap probe(1, 1);
            probe.Canvas()->Font()->AssignFrom(chart->Title()->Font());
            seen.ScreenTitleRatio =
                double(probe.Canvas()->TextWidth(seen.Title)) / chart->GetDrawRect().Width();
            TCustomChartLegend* legend = chart->Legend();
            if (legend->Visible()) {
                const int shown =
                    std::min(legend->TotalRows(), legend->NumColumns() * legend->NumRows());
                for (int i = 0; i < shown; ++i)
                    seen.ScreenLegend.push_back(legend->RowText(legend->FirstValue() + i));
            }
            graph->actGraphPrint->Execute();
            seen.Margins = chart->PrintPageMargins();
        });
        show();
        Application->SetModalHandler([](TCustomForm*) {});
        return seen;
    }

    // The chart's width on the page, in points.
    static double PrintedChartWidth(const TPrintSeen& seen, const TPrintedPage& page) {
        return page.Width * (100 - seen.Margins.Left - seen.Margins.Right) / 100.0;
    }

    // The title's width relative to the chart is as on screen, within 15 %.
    static void ExpectTitleInProportion(const TPrintSeen& seen, const TPrintedPage& page) {
        TPrintedWord title;
        ASSERT_TRUE(page.Find(seen.Title, title))
            << "title \"" << seen.Title << "\" in: " << page.Text();
        const double paper = (title.Right - title.Left) / PrintedChartWidth(seen, page);
        EXPECT_NEAR(paper / seen.ScreenTitleRatio, 1.0, 0.15)
            << "title over chart width: paper " << paper << ", screen " << seen.ScreenTitleRatio;
    }
};

TEST_F(GraphPrintTest, HourlyChartPrintsItsTitleAndWholeLegendInTheScreensProportions) {
    const TPrintSeen seen = PrintChartWindow([&] { Bench->actPwGraph->Execute(); },
                                             [](TfmGraphBase* graph) {
                                                 // The legend a user turns on in the chart editor
                                                 // lists the hours' values.
                                                 graph->Chart1->Legend()->SetVisible(true);
                                             },
                                             "hourly");
    EXPECT_EQ(seen.ProposedFile, "fmGraphBase.pdf");
    ASSERT_GE(seen.ScreenLegend.size(), 30u);
    if (!PdfToolsInstalled())
        GTEST_SKIP() << "poppler's pdftotext is not installed";
    const TPrintedPage page = ReadPrintedPage(seen.Pdf);
    ASSERT_GT(page.Width, 0);
    ExpectTitleInProportion(seen, page);
    // Every word of every entry shown on screen is on paper, as often as on screen.
    std::vector<std::string> words;
    for (const std::string& entry : seen.ScreenLegend) {
        std::istringstream in(entry);
        for (std::string word; in >> word;)
            words.push_back(word);
    }
    std::vector<std::string> missing;
    for (const std::string& word : words)
        if (page.Count(word) < int(std::count(words.begin(), words.end(), word)))
            missing.push_back(word);
    EXPECT_TRUE(missing.empty()) << missing.size() << " of " << words.size()
                                 << " words of the legend missing on paper, the first \""
                                 << (missing.empty() ? "" : missing[0]) << "\"";
    TBitmap picture;
    RenderPrintedPage(seen.Pdf, 50, picture, ShotFile("hourly-paper.png"));
}

TEST_F(GraphPrintTest, CoveragePieKeepsItsShapeOnPaper) {
    const TPrintSeen seen =
        PrintChartWindow([&] { Bench->actTTLGraph->Execute(); }, [](TfmGraphBase*) {}, "pie");
    if (!PdfToolsInstalled())
        GTEST_SKIP() << "poppler's pdftotext is not installed";
    const TPrintedPage page = ReadPrintedPage(seen.Pdf);
    ASSERT_GT(page.Width, 0);
    ExpectTitleInProportion(seen, page);
    TBitmap picture;
    RenderPrintedPage(seen.Pdf, 50, picture, ShotFile("pie-paper.png"));
}

} // namespace
