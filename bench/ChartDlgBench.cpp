// The chart dialogs: opening the series gallery as the chart editor opens it (up to its
// first paint, closed and freed again), the open gallery painting every sample chart of a
// page (target: under 50 ms for a page), and building a page's sample charts.

#include "chartdlg/ChartGallery.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <utility>

namespace {

struct TGallery {
    std::unique_ptr<TChartGallery> Form;
    explicit TGallery(int page) {
        TestKit::StartTestApplication();
        Form.reset(CreateForm<TChartGallery>(nullptr));
        Form->FormShow(Form.get());
        Form->TabControl->SetTabIndex(page);
        Form->TabControlChange(Form->TabControl);
    }
};

// The gallery made as the chart editor makes it (standard page, functions tab), shown and
// painted once, then freed: what the user waits for after asking for a new series.
void BM_OpenGallery(benchmark::State& state) {
    TestKit::StartTestApplication();
    long painted = 0;
    for (auto _ : state) {
        std::unique_ptr<TChartGallery> gallery(CreateForm<TChartGallery>(nullptr));
        gallery->SetFunctionsVisible(true);
        bool shown = false;
        WhenFirstPainted(gallery.get(), [&shown] { shown = true; });
        gallery->Show();
        for (int round = 0; round < 100 && !shown; ++round)
            TestKit::ProcessMessages();
        painted += shown ? 1 : 0;
    }
    state.counters["painted"] = double(painted) / double(state.iterations());
    state.SetLabel("goal < 50 ms");
}
BENCHMARK(BM_OpenGallery)->Unit(benchmark::kMillisecond);

// The whole gallery window drawn off screen with every sample chart painted anew.
void PaintGallery(benchmark::State& state, int page) {
    TGallery gallery(page);
    TChartGallery* form = gallery.Form.get();
    TBitmap bitmap(form->Width(), form->Height());
    // Counts the series drawn, to show that every sample is painted on every pass.
    int64_t drawn = 0;
    for (TCustomChart* chart : form->ChartGalleryPanel1->Charts())
        for (TChartSeries* series : chart->SeriesList())
            series->SetBeforeDrawValues(TNotifyEvent([&drawn](TObject*) { ++drawn; }));
    for (auto _ : state) {
        for (TCustomChart* chart : form->ChartGalleryPanel1->Charts())
            chart->Invalidate();
        form->PaintTo(bitmap.Canvas(), 0, 0);
        benchmark::DoNotOptimize(std::as_const(bitmap).ScanLine(0));
    }
    state.counters["charts"] = double(form->ChartGalleryPanel1->Charts().size());
    state.counters["series drawn"] =
        benchmark::Counter(double(drawn), benchmark::Counter::kAvgIterations);
}

void BM_PaintGalleryStandardPage(benchmark::State& state) {
    PaintGallery(state, 0);
}
BENCHMARK(BM_PaintGalleryStandardPage)->Unit(benchmark::kMillisecond);

void BM_PaintGalleryFunctionsPage(benchmark::State& state) {
    PaintGallery(state, 1);
}
BENCHMARK(BM_PaintGalleryFunctionsPage)->Unit(benchmark::kMillisecond);

// Freeing and making the sample charts of the standard page again (a tab change).
void BM_FillGalleryStandardPage(benchmark::State& state) {
    TGallery gallery(0);
    for (auto _ : state)
        gallery.Form->ChartGalleryPanel1->CreateGalleryPage("Standard", true);
}
BENCHMARK(BM_FillGalleryStandardPage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
