#pragma once
// What the benchmark programs that drive windows share: the start of the test application
// (offscreen unless QT_QPA_PLATFORM names another platform) before the benchmarks run, a
// borderless form to hold the controls measured, and the middle of a rectangle to click at.

#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

// A borderless form of the given size at the screen's origin; freed, and the messages its
// end posts handled, when the benchmark is done with it.
class TBenchForm {
public:
    TBenchForm(int width, int height) : FForm(new TForm(nullptr)) {
        FForm->SetBorderStyle(bsNone);
        FForm->SetBounds(0, 0, width, height);
    }
    ~TBenchForm() {
        delete FForm;
        TestKit::ProcessMessages();
    }
    TBenchForm(const TBenchForm&) = delete;
    TBenchForm& operator=(const TBenchForm&) = delete;

    TForm* Get() const { return FForm; }
    TForm* operator->() const { return FForm; }
    // Shows the form and handles the messages that brings.
    void Show() {
        FForm->Show();
        TestKit::ProcessMessages();
    }

private:
    TForm* FForm;
};

// The middle of r, where a click lands on an item whose rectangle it is.
inline TPoint MiddleOf(const TRect& r) {
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

// The platform the windows are shown on, for the benches' labels.
inline std::string GuiPlatform() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return platform && *platform ? platform : "offscreen";
}

// Starts the test application, on the platform QT_QPA_PLATFORM names (offscreen when it
// names none), and runs the benchmarks the command line names; the value main returns (1
// for arguments the benchmark library does not know).
inline int RunGuiBenchmarks(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TestKit::StartTestApplication();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
