// Orvanti's windows as the user meets them: the program started as a whole process up to
// its main window's first paint, and each view switch through the navigation bar's view
// list at 800 x 500 with the settings store on disk, up to the window painted again.
// The windows are shown on the platform QT_QPA_PLATFORM names, offscreen when it names
// none; a real display is slower: time it with QT_QPA_PLATFORM=xcb (under xvfb-run
// without one). Each bench's label names the platform and the goal.

#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "bench/GuiBench.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Forms.h"
#include "framework/gui/RedrawLock.h"
#include "framework/gui/TestKit.h"
#include "model/Data.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

// A folder on disk for this run's settings store (and nothing else).
std::string StoreDir;

// The program beside this benchmark in the build tree.
std::string ProgramPath() {
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return (self.parent_path().parent_path() / "app" / "Orvanti").string();
}

// Start-up to first paint as the user waits for it: the process made, Qt and the model
// started, the default files read, the main window shown and painted once; the program
// then ends by itself (ORV_QUIT_AFTER_FIRST_PAINT), and its exit counts too.
void BM_StartUpToFirstPaintProcess(benchmark::State& state) {
    const std::string program = ProgramPath();
    if (access(program.c_str(), X_OK) != 0) {
        state.SkipWithError(("no program at " + program).c_str());
        return;
    }
    const std::string store = StoreDir + "/startup-store.txt";
    long failed = 0;
    // The child's environment: this process's, with the three settings of the run.
    std::vector<std::string> settings = {"ORV_QUIT_AFTER_FIRST_PAINT=1",
                                         "QT_QPA_PLATFORM=" + GuiPlatform(), "HKCU_STORE=" + store};
    std::vector<char*> env;
    for (std::string& s : settings)
        env.push_back(s.data());
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (name != "ORV_QUIT_AFTER_FIRST_PAINT" && name != "QT_QPA_PLATFORM" &&
            name != "HKCU_STORE")
            env.push_back(*e);
    }
    env.push_back(nullptr);
    std::string argv0 = program;
    char* argv[] = {argv0.data(), nullptr};
    for (auto _ : state) {
        // Spawned without copying this process's pages, so the figure is the program's own.
        pid_t child = -1;
        int status = 0;
        if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, env.data()) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            ++failed;
    }
    if (failed)
        state.SkipWithError("the program did not start and end cleanly");
    state.SetLabel(GuiPlatform() + ", goal < 100 ms");
}
BENCHMARK(BM_StartUpToFirstPaintProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

// The program's windows, the main window shown at 800 x 500.
struct TProgram {
    TProgram() {
        InitModel();
        CreateProgramWindows();
        fmHolder->SetBounds(0, 0, 800, 500);
        fmHolder->Show();
        TestKit::ProcessMessages();
    }
    ~TProgram() {
        FreeProgramWindows();
        TestKit::ProcessMessages();
        FinalizeModel();
    }
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    // Presses the mouse button on the view list's item of the view (the item shows pressed)
    // and handles the messages that follow.
    static void Press(int view) {
        TestKit::MouseDown(List(), ItemMiddle(view));
        TestKit::ProcessMessages();
    }
    // Releases the button there, which switches the view, and handles the messages that
    // follow (the painting of the window among them).
    static void Release(int view) {
        TestKit::MouseUp(List(), ItemMiddle(view));
        TestKit::ProcessMessages();
    }
    static void Click(int view) {
        Press(view);
        Release(view);
    }
    static TFxOutlookList* List() { return fmHolder->fxOutlookBar1OutlookList1; }

private:
    static TPoint ItemMiddle(int view) { return MiddleOf(List()->Items()->Items(view)->HitRect()); }
};

// One switch into the view of the argument (by the view list's order: "Σχεδιασμός",
// "Περίοδοι", "Συσκευές", "Ηλιοφάνεια", "Αιολ. Δυναμικό"), from the view before it: the
// whole click on the view's item, the press (which paints the item pressed) and the release
// (which switches the view), each with the messages and the paints that follow it. The
// switch away before it happens outside the timing. Counters, per click: the paints, the
// windows painted, and how many of those were painted more than once, the view list aside
// (it paints at the press and again at the release).
void BM_SwitchIntoView(benchmark::State& state) {
    const int view = int(state.range(0));
    const int from = (view + ViewCount - 1) % ViewCount;
    TProgram program;
    long switched = 0, paints = 0, windows = 0, twice = 0;
    // The windows painted in the timed click, with their count of paints.
    std::unordered_map<TWinControl*, int> painted;
    const TPaintObserver previous =
        SetPaintObserver([&painted](TWinControl* window) { ++painted[window]; });
    for (auto _ : state) {
        state.PauseTiming();
        TProgram::Click(from);
        painted.clear();
        const long before = WindowPaintCount();
        state.ResumeTiming();
        TProgram::Click(view);
        state.PauseTiming();
        paints += WindowPaintCount() - before;
        windows += long(painted.size());
        for (const auto& [window, count] : painted)
            twice += count > 1 && window != TProgram::List() ? 1 : 0;
        TCustomForm* shown = fmHolder->CurrentView();
        switched += shown && shown->ClassType() == ViewClasses[size_t(view)] ? 1 : 0;
        state.ResumeTiming();
    }
    state.counters["switched"] = double(switched) / double(state.iterations());
    SetPaintObserver(previous);
    state.counters["window_paints"] = double(paints) / double(state.iterations());
    state.counters["windows_painted"] = double(windows) / double(state.iterations());
    state.counters["painted_twice"] = double(twice) / double(state.iterations());
    state.SetLabel(GuiPlatform() + ", goal < 10 ms");
}
BENCHMARK(BM_SwitchIntoView)->DenseRange(0, ViewCount - 1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The remembered placement and folders go to a store of this run only, on disk.
    std::string pattern = std::filesystem::temp_directory_path().string() + "/app-bench-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return 1;
    StoreDir = pattern;
    setenv("HKCU_STORE", (StoreDir + "/hkcu.txt").c_str(), 1);
    const int status = RunGuiBenchmarks(argc, argv);
    std::filesystem::remove_all(StoreDir);
    return status;
}
