// Printing a chart view: the print action's preview prints to the PDF printer, asking for
// the file through the save dialog; the paper shows the chart in the screen's proportions,
// its text as large relative to the chart as on screen, nothing dropped.

#include "app/EnergyGraph.h"
#include "app/GraphBase.h"
#include "app/WDataEd.h"

#include "app/tests/WorkbenchTestSupport.h"
#include "chart/Chart.h"
#include "chart/tests/PrintedPage.h"
#include "chart/tests/PrintedStrokes.h"
#include "chartdlg/ChartPreview.h"
#include "framework/core/Registry.h"
#include "framework/gui/Printers.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
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
    std::unique_ptr<TBitmap> Screen;
    int ScreenLegendTop = 0;
};

// The box of the pixels in one of colors (each channel within 16), in rows above limit.
TRect ColorBox(TBitmap& picture, const std::vector<TColor>& colors, int limit) {
    TRect box(picture.Width(), picture.Height(), -1, -1);
    for (int y = 0; y < std::min(limit, picture.Height()); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const TColor c = picture.Canvas()->Pixels(x, y);
            for (TColor want : colors)
                if (std::abs(GetRValue(c) - GetRValue(want)) <= 16 &&
                    std::abs(GetGValue(c) - GetGValue(want)) <= 16 &&
                    std::abs(GetBValue(c) - GetBValue(want)) <= 16) {
                    box.Left = std::min(box.Left, x);
                    box.Top = std::min(box.Top, y);
                    box.Right = std::max(box.Right, x + 1);
                    box.Bottom = std::max(box.Bottom, y + 1);
                }
        }
    return box;
}

// A text placed on a page: its words, and where it sits (the point it is aligned at for a
// recorded text, the box's right edge and top for a printed word).
struct TPlacedText {
    std::string Text;
    double X = 0, Y = 0;
};

bool IsNumber(const std::string& text) {
    std::string plain;
    for (char c : text)
        if (c != ',')
            plain += c;
    char* end = nullptr;
    std::strtod(plain.c_str(), &end);
    return !plain.empty() && end == plain.c_str() + plain.size();
}

// The two axes' labels as read on a page: the left axis' are the largest set of numbers
// sharing a right edge, top to bottom; the bottom axis' the largest set of texts sharing a
// line, left to right. tolerance is how far apart in units of the page two edges may be.
struct TAxisLabels {
    std::vector<std::string> Left, Bottom;
};

TAxisLabels ReadAxisLabels(const std::vector<TPlacedText>& texts, double tolerance) {
    const auto largestGroup = [&](bool byX) {
        std::vector<TPlacedText> best;
        for (const TPlacedText& seed : texts) {
            if (byX && !IsNumber(seed.Text))
                continue;
            std::vector<TPlacedText> group;
            for (const TPlacedText& t : texts)
                if ((!byX || IsNumber(t.Text)) &&
                    std::fabs(byX ? t.X - seed.X : t.Y - seed.Y) <= tolerance)
                    group.push_back(t);
            if (group.size() > best.size())
                best = group;
        }
        std::sort(best.begin(), best.end(), [&](const TPlacedText& a, const TPlacedText& b) {
            return byX ? a.Y < b.Y : a.X < b.X;
        });
        std::vector<std::string> labels;
        for (const TPlacedText& t : best)
            labels.push_back(t.Text);
        return labels;
    };
    return {largestGroup(true), largestGroup(false)};
}

// The steps between neighbouring numeric labels, each once, in order of first meeting.
std::string Steps(const std::vector<std::string>& labels) {
    std::vector<double> values;
    for (const std::string& label : labels) {
        std::string plain;
        for (char c : label)
            if (c != ',')
                plain += c;
        values.push_back(std::strtod(plain.c_str(), nullptr));
    }
    std::vector<double> steps;
    for (size_t i = 1; i < values.size(); ++i) {
        const double step = std::fabs(values[i] - values[i - 1]);
        if (std::find(steps.begin(), steps.end(), step) == steps.end())
            steps.push_back(step);
    }
    std::string text;
    for (double step : steps) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%g", step);
        text += (text.empty() ? "" : ",") + std::string(buffer);
    }
    return text;
}

std::string Joined(const std::vector<std::string>& labels) {
    std::string text;
    for (const std::string& label : labels)
        text += (text.empty() ? "" : " ") + label;
    return text;
}

class GraphPrintTest : public TWorkbenchTest {
protected:
    void SetUp() override {
        TWorkbenchTest::SetUp();
        TPrinter* printer = Printer();
        printer->SetPrinterIndex(printer->Printers()->IndexOf(kPdfPrinterName));
    }

    // Opens the workbench's hourly totals chart in the real nested loops of the chart window
    // and of its preview, each left by its close box; answerSave prepares the answer to the
    // save dialog before the preview's "&Print". Answers how many chart windows and previews
    // were met.
    std::pair<int, int> PrintThroughTheRealLoops(const std::function<void()>& answerSave) {
        Application->SetModalHandler(nullptr);
        int graphs = 0, previews = 0;
        Application->AddIdleHandler(&graphs, [&] {
            TCustomForm* top = nullptr;
            for (int i = 0; i < Screen->FormCount(); ++i) {
                TCustomForm* form = Screen->Forms(i);
                if (form->FormState().Contains(fsModal) && form->Showing() &&
                    (!top || dynamic_cast<TChartPreview*>(form)))
                    top = form;
            }
            if (auto* preview = dynamic_cast<TChartPreview*>(top)) {
                ++previews;
                answerSave();
                TestKit::Click(preview->BPrint);
                preview->Perform(WM_CLOSE);
            } else if (auto* graph = dynamic_cast<TfmGraphBase*>(top)) {
                ++graphs;
                TestKit::Click(graph->ToolButton3); // "Εκτύπωση": the preview's own loop
                graph->Perform(WM_CLOSE);
            }
        });
        Bench->actTTLGraph->Execute();
        Application->RemoveIdleHandler(&graphs);
        return {graphs, previews};
    }

    // Prints the chart window shown modally by show through its print action and the
    // preview's "&Print", the save dialog answered with a file of the test's folder;
    // prepare runs on the window first.
    TPrintSeen PrintChartWindow(const std::function<void()>& show,
                                const std::function<void(TfmGraphBase*)>& prepare,
                                const std::string& name,
                                const std::function<void(TChartPreview*)>& inPreview = {}) {
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
                if (inPreview)
                    inPreview(preview);
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
            seen.Screen = std::move(bitmap);
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
                seen.ScreenLegendTop = legend->RectLegend().Top;
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
    // The axes keep their labels (the screen shows a label every two months and every
    // 500 on the left).
    for (const char* label : {"01/02/1991", "01/06/1991", "01/12/1991", "0", "1,500", "3,000"})
        EXPECT_GE(page.Count(label), 1) << label;
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
    ASSERT_EQ(seen.ScreenLegend.size(), 3u);
    if (!PdfToolsInstalled())
        GTEST_SKIP() << "poppler's pdftotext is not installed";
    const TPrintedPage page = ReadPrintedPage(seen.Pdf);
    ASSERT_GT(page.Width, 0);
    ExpectTitleInProportion(seen, page);
    // The legend's first entry on paper: the slices are what lies above it.
    TPrintedWord entry;
    ASSERT_TRUE(page.Find(seen.ScreenLegend[0], entry)) << page.Text();
    constexpr int kDpi = 96;
    TBitmap paper;
    RenderPrintedPage(seen.Pdf, kDpi, paper, ShotFile("pie-paper.png"));
    ASSERT_FALSE(paper.Empty());
    const std::vector<TColor> slices = {clRed, clGreen, clYellow};
    const TRect onScreen = ColorBox(*seen.Screen, slices, seen.ScreenLegendTop);
    const TRect onPaper = ColorBox(paper, slices, int(entry.Top * kDpi / 72) - 2);
    ASSERT_GT(onScreen.Height(), 20);
    ASSERT_GT(onPaper.Height(), 20);
    const double screenAspect = double(onScreen.Width()) / onScreen.Height();
    const double paperAspect = double(onPaper.Width()) / onPaper.Height();
    EXPECT_NEAR(paperAspect / screenAspect, 1.0, 0.05)
        << "the pie's width over its height: paper " << paperAspect << ", screen " << screenAspect;
    // And its size relative to the chart is the screen's.
    const double paperChart = PrintedChartWidth(seen, page) * kDpi / 72;
    EXPECT_NEAR(onPaper.Width() / paperChart, double(onScreen.Width()) / seen.Screen->Width(),
                0.03);
}

// The hourly chart's month labels on the bottom axis never touch on paper, whatever the
// window's size: each label is a word of its own and the next one starts to its right with
// a gap between them. 880 and 898 pixels wide are the narrowest windows that show every
// month, their labels closest together.
TEST_F(GraphPrintTest, HourlyChartsMonthLabelsKeepAGapOnPaper) {
    if (!PdfToolsInstalled())
        GTEST_SKIP() << "poppler's pdftotext is not installed";
    const struct {
        int Width, Height; // 0: the window as it opens
    } sizes[] = {{0, 0}, {800, 500}, {1000, 700}, {880, 500}, {898, 500}};
    for (const auto& size : sizes) {
        const std::string name =
            "hourly-labels-" + std::to_string(size.Width) + "x" + std::to_string(size.Height);
        SCOPED_TRACE(name);
        const TPrintSeen seen =
            PrintChartWindow([&] { Bench->actPwGraph->Execute(); },
                             [&](TfmGraphBase* graph) {
                                 if (size.Width > 0)
                                     graph->SetBounds(0, 0, size.Width, size.Height);
                             },
                             name);
        const TPrintedPage page = ReadPrintedPage(seen.Pdf);
        ASSERT_GT(page.Width, 0);
        // The bottom axis' labels: the words with a date, on the lowest line that has one.
        const auto isDate = [](const std::string& t) { return t.find('/') != std::string::npos; };
        double lowest = 0;
        for (const TPrintedWord& w : page.Words)
            if (isDate(w.Text))
                lowest = std::max(lowest, w.Top);
        std::vector<TPrintedWord> labels;
        for (const TPrintedWord& w : page.Words)
            if (isDate(w.Text) && std::fabs(w.Top - lowest) < 1)
                labels.push_back(w);
        std::sort(labels.begin(), labels.end(),
                  [](const TPrintedWord& a, const TPrintedWord& b) { return a.Left < b.Left; });
        ASSERT_GE(labels.size(), 5u) << page.Text();
        double narrowest = 1e9;
        for (size_t i = 0; i < labels.size(); ++i) {
            EXPECT_EQ(labels[i].Text.size(), 10u) << "labels run together: " << labels[i].Text;
            if (i == 0)
                continue;
            const double gap = labels[i].Left - labels[i - 1].Right;
            narrowest = std::min(narrowest, gap);
            EXPECT_GT(gap, 0.5) << labels[i - 1].Text << " " << labels[i].Text;
        }
        std::printf("%s: %zu labels, narrowest gap %.2f pt\n", name.c_str(), labels.size(),
                    narrowest);
        TBitmap picture;
        RenderPrintedPage(seen.Pdf, 100, picture, ShotFile(name + "-paper.png"));
    }
}

// The hourly chart's grid prints as the screen draws it: a grey dotted line of the thinnest
// width the printer draws, read from the page's own drawing commands (a dash array or one
// piece per dot), not a solid stroke of about a point that competes with the data line.
TEST_F(GraphPrintTest, HourlyChartsGridPrintsAsADottedHairline) {
    const TPrintSeen seen =
        PrintChartWindow([&] { Bench->actPwGraph->Execute(); }, [](TfmGraphBase*) {}, "grid");
    const std::vector<TPrintedStroke> strokes = ReadPrintedStrokes(seen.Pdf);
    ASSERT_FALSE(strokes.empty()) << seen.Pdf;
    constexpr double kGrey = 128 / 255.0;
    int grid = 0;
    for (const TPrintedStroke& stroke : strokes) {
        const bool grey = std::fabs(stroke.Red - kGrey) < 0.01 &&
                          std::fabs(stroke.Green - kGrey) < 0.01 &&
                          std::fabs(stroke.Blue - kGrey) < 0.01;
        // The axes' ticks are grey too, but a few points long; grid lines cross the chart.
        if (!grey || stroke.Extent() < 50)
            continue;
        if (grid++ == 0)
            std::printf("grid line: width %.3f pt, dash array of %zu (first %.3f pt), %d pieces, "
                        "inked %.0f %% of %.1f pt\n",
                        stroke.Width, stroke.Dashes.size(),
                        stroke.Dashes.empty() ? 0.0 : stroke.Dashes[0], stroke.Pieces,
                        100 * stroke.Ink / stroke.Extent(), stroke.Extent());
        EXPECT_LE(stroke.Width, 0.3) << "a grid line " << stroke.Width << " pt wide";
        EXPECT_TRUE(!stroke.Dashes.empty() || stroke.Pieces > 10)
            << "a grid line drawn solid in " << stroke.Pieces << " pieces";
        EXPECT_NEAR(stroke.Ink / stroke.Extent(), 0.5, 0.15) << "dotted: half of it inked";
        for (double dash : stroke.Dashes)
            EXPECT_LE(dash, 1.0) << "dots, not dashes";
    }
    EXPECT_GE(grid, 10) << strokes.size() << " strokes";
}

// The preview promises the paper's labels: with the wind-speed chart (the first of the
// workbench's charts) at the size it opens at and at client areas of 800 x 500 and
// 1000 x 700, the preview's page and the printed PDF read the same labels on both axes,
// the preview's from the page picture it shows, the paper's from the PDF's text.
TEST_F(GraphPrintTest, WindSpeedChartsPreviewShowsThePapersLabels) {
    if (!PdfToolsInstalled())
        GTEST_SKIP() << "poppler's pdftotext is not installed";
    const struct {
        int Width, Height; // client area; 0: the window as it opens
    } sizes[] = {{0, 0}, {800, 500}, {1000, 700}};
    for (const auto& size : sizes) {
        const std::string name =
            "speed-labels-" + std::to_string(size.Width) + "x" + std::to_string(size.Height);
        SCOPED_TRACE(name);
        std::vector<TPlacedText> previewTexts;
        const TPrintSeen seen = PrintChartWindow(
            [&] { Bench->actViGraph->Execute(); },
            [&](TfmGraphBase* graph) {
                if (size.Width > 0) {
                    graph->SetClientWidth(size.Width);
                    graph->SetClientHeight(size.Height);
                }
            },
            name,
            [&](TChartPreview* preview) {
                std::unique_ptr<TMetafile> page = preview->ChartPreviewPanel1->MakePagePicture();
                ASSERT_NE(page, nullptr);
                for (const TMetafileRecord& r : page->Records())
                    if (r.Kind == TMetafileRecord::mrText && r.FontEscapement == 0)
                        previewTexts.push_back(
                            {r.Text, double(r.Points[0].X), double(r.Points[0].Y)});
            });
        const TPrintedPage paper = ReadPrintedPage(seen.Pdf);
        ASSERT_GT(paper.Width, 0);
        std::vector<TPlacedText> paperTexts;
        for (const TPrintedWord& w : paper.Words)
            paperTexts.push_back({w.Text, w.Right, w.Top});
        // Two printer pixels (300 per inch) on the preview's page, half a point on paper.
        const TAxisLabels onPreview = ReadAxisLabels(previewTexts, 2);
        const TAxisLabels onPaper = ReadAxisLabels(paperTexts, 0.5);
        EXPECT_GE(onPaper.Left.size(), 4u) << paper.Text();
        EXPECT_GE(onPaper.Bottom.size(), 4u) << paper.Text();
        EXPECT_EQ(Joined(onPreview.Left), Joined(onPaper.Left));
        EXPECT_EQ(Joined(onPreview.Bottom), Joined(onPaper.Bottom));
        std::printf("%s: left axis preview %s (step %s), paper %s (step %s); bottom axis "
                    "preview %s, paper %s\n",
                    name.c_str(), Joined(onPreview.Left).c_str(), Steps(onPreview.Left).c_str(),
                    Joined(onPaper.Left).c_str(), Steps(onPaper.Left).c_str(),
                    Joined(onPreview.Bottom).c_str(), Joined(onPaper.Bottom).c_str());
    }
}

// The same journey through the real nested loops of the chart window and of the preview,
// each left by its close box: the PDF is written and both windows go.
TEST_F(GraphPrintTest, PrintingFromTheRealModalLoopsWritesThePdf) {
    const std::string pdf = ShotFile("pie-loop.pdf");
    const auto [graphs, previews] = PrintThroughTheRealLoops([&] {
        TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
            auto* save = dynamic_cast<TSaveDialog*>(shown.Dialog);
            if (save)
                save->SetFileName(pdf);
            return save ? 1 : 0;
        });
    });
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(graphs, 1);
    EXPECT_TRUE(std::filesystem::exists(pdf));
}

// A person's journey through the toolkit's real file dialogs, each run by its own nested
// loop with the name typed into it: measurements opened on the workbench, then a chart
// printed from the real loops of the chart window and of its preview to a PDF named in the
// save dialog. The test command also runs it under the memory checker, which sees the
// toolkit's heap.
TEST_F(GraphPrintTest, MeasurementsOpenedAndAChartPrintedThroughTheRealFileDialogs) {
    {
        std::ofstream out(FDir + "/measured.dat", std::ios::binary);
        out << "Μετρήσεις\r\nΣταθμός\r\nm/s\r\n";
        for (int i = 0; i < 8760; ++i)
            out << 3 + i % 11 << "\r\n";
    }
    Bench->OpenDialog->SetInitialDir(FDir);
    TestKit::Dialogs().TypeIntoNextFileDialog("measured.dat");
    Bench->actLoadWindData->Execute();
    ASSERT_EQ(WindSpeed.size(), 8760u);
    EXPECT_EQ(WindSpeed[1], 4.0);

    // The save dialog starts in the folder the last PDF went to.
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\Software\\Orvanti\\Printer", true));
        reg.WriteString("PdfFolder", FDir);
    }
    const auto [graphs, previews] =
        PrintThroughTheRealLoops([] { TestKit::Dialogs().TypeIntoNextFileDialog("totals"); });
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(graphs, 1);
    std::vector<std::string> kinds;
    for (const TestKit::TShownDialog& shown : TestKit::Dialogs().Shown())
        kinds.push_back(shown.Kind);
    EXPECT_EQ(kinds, (std::vector<std::string>{"TOpenDialog", "TSaveDialog"}));
    const std::string pdf = FDir + "/totals.pdf";
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_GT(std::filesystem::file_size(pdf), 1000u);
}

} // namespace
