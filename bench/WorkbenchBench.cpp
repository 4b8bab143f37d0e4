// The energy workbench: one battery sizing as F9 runs it (bisection over whole-year
// balances, the hourly arrays rewritten at every step), with the workbench docked in the
// main window as the view list docks it. Target on the development machine: under 20 ms.

#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "app/WDataEd.h"
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
        fmHolder->ShowView(4);
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
    for (auto _ : state) {
        BatCapacity = 6000;
        session.Bench->actEQUBat->Execute();
        capacity = BatCapacity;
        TestKit::Dialogs().Clear();
    }
    state.counters["capacity_Wh"] = capacity;
    state.counters["genset_share"] = LastSizingResult.GensetShare;
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

} // namespace

BENCHMARK_MAIN();
