// Orvanti's windows: the start-up to the first painted main window (the model with its
// default files, the data module with its images and remembered folders, the main window
// with the design page and the wind-generator editor docked, one paint).

#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "bench/GuiBench.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"
#include "model/Data.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// Start-up as the program block does it, up to the main window's first paint; the
// windows and the model are freed again outside the timing.
void BM_StartUpToFirstPaint(benchmark::State& state) {
    long paints = 0;
    for (auto _ : state) {
        InitModel();
        CreateProgramWindows();
        bool painted = false;
        WhenFirstPainted(fmHolder, [&painted] { painted = true; });
        fmHolder->Show();
        for (int round = 0; round < 100 && !painted; ++round)
            TestKit::ProcessMessages();
        paints += painted ? 1 : 0;

        state.PauseTiming();
        FreeProgramWindows();
        TestKit::ProcessMessages();
        FinalizeModel();
        state.ResumeTiming();
    }
    state.counters["painted"] = double(paints) / double(state.iterations());
}
BENCHMARK(BM_StartUpToFirstPaint)->Unit(benchmark::kMillisecond);

// A view switch as the user makes it: a click on the next item of the main window's view
// list (the bar's animation does not take part: the list switches views, not pages), the
// new view docked and the old one freed, until the window is painted again.
void BM_SwitchViewThroughViewList(benchmark::State& state) {
    InitModel();
    CreateProgramWindows();
    fmHolder->Show();
    TestKit::ProcessMessages();
    TFxOutlookList* list = fmHolder->fxOutlookBar1OutlookList1;
    TestKit::Render(fmHolder);
    int tag = 0;
    long switched = 0;
    for (auto _ : state) {
        tag = (tag + 1) % ViewCount;
        const TRect r = list->Items()->Items(tag)->HitRect();
        TestKit::ClickAt(list, MiddleOf(r));
        TestKit::ProcessMessages();
        TestKit::Render(fmHolder);
        TCustomForm* view = fmHolder->CurrentView();
        switched += view && view->ClassType() == ViewClasses[size_t(tag)] ? 1 : 0;
    }
    state.counters["switched"] = double(switched) / double(state.iterations());
    FreeProgramWindows();
    TestKit::ProcessMessages();
    FinalizeModel();
}
BENCHMARK(BM_SwitchViewThroughViewList)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The remembered placement and folders go to a store of this run only.
    char pattern[] = "/tmp/app-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir)
        return 1;
    setenv("HKCU_STORE", (std::string(dir) + "/hkcu.txt").c_str(), 1);
    const int status = RunGuiBenchmarks(argc, argv);
    std::filesystem::remove_all(dir);
    return status;
}
