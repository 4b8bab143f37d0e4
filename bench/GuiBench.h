#pragma once
// What the benchmark programs that drive windows share: the start of an offscreen test
// application before the benchmarks run, and the middle of a rectangle to click at.

#include "framework/gui/TestKit.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

// The middle of r, where a click lands on an item whose rectangle it is.
inline TPoint MiddleOf(const TRect& r) {
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

// Starts the offscreen test application and runs the benchmarks the command line names;
// the value main returns (1 for arguments the benchmark library does not know).
inline int RunGuiBenchmarks(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TestKit::StartTestApplication();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
