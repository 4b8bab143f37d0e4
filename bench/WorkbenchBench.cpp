// The energy workbench docked in the main window as the view list docks it, the window
// shown at 800 x 500: one battery sizing as F9 runs it (bisection over whole-year
// balances, the hourly arrays rewritten at every step) up to the window painted with the
// result, one balance of the year, and one repaint of the hourly table (8760 rows). Also the
// wind series' "Sort" of a million values in the order that is the worst case of a sort
// around the middle element.

#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "app/WDataEd.h"
#include "app/tests/CraftedOrder.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/TestKit.h"
#include "model/Data.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
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

} // namespace

BENCHMARK_MAIN();
