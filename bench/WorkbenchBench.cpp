// The energy workbench docked in the main window as the view list docks it, the window
// shown at 800 x 500: one battery sizing as F9 runs it (bisection over whole-year
// balances, the hourly arrays rewritten at every step) up to the window painted with the
// result, one balance of the year, one repaint of the hourly table (8760 rows), and the
// wind-speed chart (the first of its charts) printed to a PDF file and painted on the
// print preview's page. Also the wind series' "Sort" of a million values in the order that
// is the worst case of a sort around the middle element.

#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "app/GraphBase.h"
#include "app/WDataEd.h"
#include "app/tests/CraftedOrder.h"
#include "chart/Chart.h"
#include "chartdlg/ChartPreview.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Messages.h"
#include "framework/gui/Printers.h"
#include "framework/gui/TestKit.h"
#include "model/Data.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace {

// The program's windows over the default files beside the benchmark, the settings store
// in a temporary folder; message boxes are answered at once.
class TWorkbenchSession {
public:
    TWorkbenchSession() {
        char pattern[] = "/tmp/workbench-bench-XXXXXX";
        if (mkdtemp(pattern))
            FDir = pattern;
        setenv("HKCU_STORE", (FDir + "/hkcu.txt").c_str(), 1);
        TestKit::StartTestApplication();
        InitModel();
        CreateProgramWindows();
        fmHolder->SetBounds(0, 0, 800, 500);
        fmHolder->ShowView(4);
        fmHolder->Show();
        TestKit::ProcessMessages();
        Bench = dynamic_cast<TfmWDataEd*>(fmHolder->CurrentView());
    }
    ~TWorkbenchSession() {
        FreeProgramWindows();
        FinalizeModel();
        std::filesystem::remove_all(FDir);
    }

    TfmWDataEd* Bench = nullptr;
    const std::string& Dir() const { return FDir; }

private:
    std::string FDir = "/tmp";
};

void BM_F9BatterySizing(benchmark::State& state) {
    TWorkbenchSession session;
    if (!session.Bench) {
        state.SkipWithError("the workbench view is not available");
        return;
    }
    RandSeed = 1;
    for (double& load : DemandLoad)
        load = 800 * Random();
    double capacity = 0;
    TestKit::Focus(session.Bench->gdEditor);
    for (auto _ : state) {
        BatCapacity = 6000;
        TestKit::PressShortCut("F9");
        TestKit::ProcessMessages();
        capacity = BatCapacity;
        TestKit::Dialogs().Clear();
    }
    state.counters["capacity_Wh"] = capacity;
    state.counters["genset_share"] = LastSizingResult.GensetShare;
    if (capacity == 6000)
        state.SkipWithError("F9 did not size the battery");
    state.SetLabel("goal < 20 ms");
}
BENCHMARK(BM_F9BatterySizing)->Unit(benchmark::kMillisecond);

// One balance of the year with the per-hour storage, what every sizing step costs.
void BM_WorkbenchRecalc(benchmark::State& state) {
    TWorkbenchSession session;
    if (!session.Bench) {
        state.SkipWithError("the workbench view is not available");
        return;
    }
    for (auto _ : state)
        session.Bench->Recalc();
}
BENCHMARK(BM_WorkbenchRecalc)->Unit(benchmark::kMicrosecond);

// The hourly table painted anew as it stands in the shown window (header, hour column and
// the rows in view, with its scroll bars).
void BM_HourlyTableRepaint(benchmark::State& state) {
    TWorkbenchSession session;
    if (!session.Bench) {
        state.SkipWithError("the workbench view is not available");
        return;
    }
    TExDrawGrid* table = session.Bench->gdEditor;
    table->SetTopRow(4000);
    TestKit::ProcessMessages();
    for (auto _ : state)
        table->Repaint();
    state.counters["visible_rows"] = table->VisibleRowCount();
    state.counters["table_width"] = table->Width();
    state.counters["table_height"] = table->Height();
    state.SetLabel("goal < 3 ms");
}
BENCHMARK(BM_HourlyTableRepaint)->Unit(benchmark::kMillisecond);

// SortDoubles over a million values in the order crafted against a sort around the middle
// element (which took minutes on it); the crafted copy is made outside the timing.
void BM_SortDoublesCraftedMillion(benchmark::State& state) {
    const TFloatArray crafted = CraftedMiddlePivotOrder(1000000);
    TFloatArray a;
    for (auto _ : state) {
        state.PauseTiming();
        a = crafted;
        state.ResumeTiming();
        SortDoubles(a, 0, int(a.size()) - 1);
        benchmark::DoNotOptimize(a.data());
    }
    state.counters["values"] = double(crafted.size());
    state.SetLabel("n log n: well under a second");
}
BENCHMARK(BM_SortDoublesCraftedMillion)->Unit(benchmark::kMillisecond);
// Runs body on the wind-speed chart's window as the workbench's first chart action shows
// it (modally), its client area at 800 x 500 and painted; false when no window came.
bool WithWindSpeedChart(TWorkbenchSession& session,
                        const std::function<void(TfmGraphBase*)>& body) {
    bool ran = false;
    Application->SetModalHandler([&](TCustomForm* form) {
        auto* graph = dynamic_cast<TfmGraphBase*>(form);
        if (!graph || ran)
            return;
        ran = true;
        graph->SetClientWidth(800);
        graph->SetClientHeight(500);
        TestKit::ProcessMessages();
        body(graph);
    });
    session.Bench->actViGraph->Execute();
    Application->SetModalHandler([](TCustomForm*) {});
    return ran;
}

// The PDF printer, landscape as the preview leaves it, its file in the session's folder.
TPrinter* PdfPrinter(const TWorkbenchSession& session) {
    TPrinter* printer = Printer();
    printer->SetPrinterIndex(printer->Printers()->IndexOf(kPdfPrinterName));
    printer->SetOrientation(poLandscape);
    printer->SetPdfFileName(session.Dir() + "/speed.pdf");
    return printer;
}

// One print of the wind-speed chart to the PDF printer as the chart's print runs it: the
// file chosen in the save dialog (answered by the script at once), the document begun, the
// chart laid out and drawn for paper inside the print margins, the document ended and the
// file written.
void BM_PrintWindSpeedChartToPdf(benchmark::State& state) {
    TWorkbenchSession session;
    if (!session.Bench) {
        state.SkipWithError("the workbench view is not available");
        return;
    }
    const std::string pdf = session.Dir() + "/speed.pdf";
    TPrinter* printer = PdfPrinter(session);
    const bool shown = WithWindSpeedChart(session, [&](TfmGraphBase* graph) {
        for (auto _ : state) {
            // A file already there would bring the overwrite question.
            state.PauseTiming();
            std::filesystem::remove(pdf);
            state.ResumeTiming();
            TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& dialog) {
                auto* save = dynamic_cast<TSaveDialog*>(dialog.Dialog);
                if (save)
                    save->SetFileName(pdf);
                return save ? 1 : 0;
            });
            graph->Chart1->Print();
            TestKit::Dialogs().Clear();
        }
    });
    if (!shown || !std::filesystem::exists(pdf)) {
        state.SkipWithError("the chart was not printed");
        return;
    }
    state.counters["pdf_bytes"] = double(std::filesystem::file_size(pdf));
    state.counters["page_width"] = printer->PageWidth();
    state.SetLabel("goal: no slower than 21 ms");
}
BENCHMARK(BM_PrintWindSpeedChartToPdf)->Unit(benchmark::kMillisecond);

// The print preview's page for the same chart painted anew as the dialog shows it, its area
// invalidated and its window painted at once as after a change of the margins: the page
// drawn as the printer draws it into the picture of the page, that picture stretched onto
// the sheet, the margins drawn over it. The page's paints are counted at its window
// procedure; anything but one per iteration fails the run (a page shown from a picture
// kept would time no drawing).
void BM_PreviewWindSpeedChartPage(benchmark::State& state) {
    TWorkbenchSession session;
    if (!session.Bench) {
        state.SkipWithError("the workbench view is not available");
        return;
    }
    PdfPrinter(session);
    bool previewed = false;
    long paints = 0;
    const bool shown = WithWindSpeedChart(session, [&](TfmGraphBase* graph) {
        Application->SetModalHandler([&](TCustomForm* form) {
            auto* preview = dynamic_cast<TChartPreview*>(form);
            if (!preview || previewed)
                return;
            previewed = true;
            // The dialog on the screen and painted first, as the user sees it.
            TestKit::ProcessMessages();
            TChartPreviewPage* page = preview->ChartPreviewPanel1;
            const TWndMethod pageProc = page->WindowProc();
            // A paint message carries the canvas the page draws on.
            page->SetWindowProc(TWndMethod([&paints, pageProc](TMessage& message) {
                if (message.Msg == WM_PAINT && message.WParam != 0)
                    ++paints;
                pageProc(message);
            }));
            for (auto _ : state)
                page->Repaint();
            page->SetWindowProc(pageProc);
            state.counters["page_width"] = page->Width();
            state.counters["page_height"] = page->Height();
        });
        graph->actGraphPrint->Execute();
    });
    if (!shown || !previewed) {
        state.SkipWithError("the preview was not shown");
        return;
    }
    state.counters["page_paints"] = double(paints) / double(state.iterations());
    if (paints != long(state.iterations())) {
        const std::string error = "the page was painted " + std::to_string(paints) + " times in " +
                                  std::to_string(state.iterations()) +
                                  " iterations, not once in each";
        state.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_PreviewWindSpeedChartPage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
