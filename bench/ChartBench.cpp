// Chart drawing, all on the chart the programs draw (TChart): one frame of an hourly year
// (8760 points on a date axis) as the hourly chart window shows it, painted into an
// 800 x 500 bitmap (target: under 5 ms), the same frame without the line and through the
// chart's buffer, the programs' 3-D hourly chart repainted in a shown window, the same chart
// zoomed to a week and back, a 3-D pie, and the label step and labels of a year of dates.

#include "bench/GuiBench.h"
#include "chart/Chart.h"
#include "chart/ChartEngine.h"
#include "chart/Series.h"
#include "framework/gui/tests/TestApp.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>

namespace {

// The chart of the hourly chart window: 2-D, a clear back wall, a title, the legend
// hidden, and a fast line of the year's hours. withLine false: the frame is the same but
// for the 8759 segments (the base series draws nothing), which shows what the line costs.
struct THourlyChart {
    TChart Chart{nullptr};
    explicit THourlyChart(bool withLine = true) {
        EnsureTestApplication();
        Chart.SetBounds(0, 0, 800, 500);
        Chart.SetColor(clWindow);
        Chart.SetView3D(false);
        Chart.BackWall()->Brush()->SetStyle(bsClear);
        Chart.Title()->Text()->SetText("TChart");
        Chart.Legend()->SetAlignment(laBottom);
        Chart.Legend()->SetVisible(false);
        TChartSeries* series = withLine ? new TFastLineSeries(&Chart) : new TChartSeries(&Chart);
        series->SetParentChart(&Chart);
        series->XValues()->SetDateTime(true);
        const double start = EncodeDate(1991, 1, 1);
        for (int h = 0; h < 8760; ++h)
            series->AddXY(start + h / 24.0, 500 + 300 * std::sin(h * 2 * M_PI / 8760) +
                                                150 * std::sin(h * 2 * M_PI / 24));
    }
};

void BM_PaintHourlyYear(benchmark::State& state) {
    THourlyChart hourly;
    TBitmap bitmap(800, 500);
    hourly.Chart.SetBuffered(false);
    const TRect r(0, 0, 800, 500);
    for (auto _ : state) {
        hourly.Chart.DrawToRect(bitmap.Canvas(), r);
        benchmark::DoNotOptimize(std::as_const(bitmap).ScanLine(0));
    }
}
BENCHMARK(BM_PaintHourlyYear)->Unit(benchmark::kMillisecond);

void BM_PaintHourlyYearFrameWithoutLine(benchmark::State& state) {
    THourlyChart hourly(false);
    TBitmap bitmap(800, 500);
    hourly.Chart.SetBuffered(false);
    const TRect r(0, 0, 800, 500);
    for (auto _ : state) {
        hourly.Chart.DrawToRect(bitmap.Canvas(), r);
        benchmark::DoNotOptimize(std::as_const(bitmap).ScanLine(0));
    }
}
BENCHMARK(BM_PaintHourlyYearFrameWithoutLine)->Unit(benchmark::kMillisecond);

void BM_PaintHourlyYearThroughBuffer(benchmark::State& state) {
    THourlyChart hourly;
    TBitmap bitmap(800, 500);
    const TRect r(0, 0, 800, 500);
    for (auto _ : state) {
        hourly.Chart.Canvas3D()->MarkBufferDirty();
        hourly.Chart.DrawToRect(bitmap.Canvas(), r);
        benchmark::DoNotOptimize(std::as_const(bitmap).ScanLine(0));
    }
}
BENCHMARK(BM_PaintHourlyYearThroughBuffer)->Unit(benchmark::kMillisecond);

void BM_DateAxisIncrementAndLabels(benchmark::State& state) {
    THourlyChart hourly;
    TBitmap bitmap(800, 500);
    hourly.Chart.SetBuffered(false);
    hourly.Chart.DrawToRect(bitmap.Canvas(), TRect(0, 0, 800, 500)); // lays the axes out
    TChartAxis* axis = hourly.Chart.BottomAxis();
    for (auto _ : state) {
        const double step = axis->CalcIncrement();
        int characters = 0;
        for (double value : axis->LabelValues(step))
            characters += int(axis->LabelText(value).size());
        benchmark::DoNotOptimize(characters);
    }
}
BENCHMARK(BM_DateAxisIncrementAndLabels)->Unit(benchmark::kMicrosecond);

// The hourly chart of the programs: title, legend, a fast line of 8760 points.
struct THourlyFastLineChart {
    TChart Chart{nullptr};
    TFastLineSeries* Series = nullptr;
    explicit THourlyFastLineChart(bool view3D = false) {
        EnsureTestApplication();
        Chart.SetView3D(view3D);
        Chart.SetBounds(0, 0, 800, 500);
        Chart.Title()->Text()->Add("Hourly load");
        Chart.Legend()->SetLegendStyle(lsSeries);
        Series = new TFastLineSeries(&Chart);
        Series->SetParentChart(&Chart);
        Series->SetTitle("Load");
        Series->XValues()->SetDateTime(true);
        const double start = EncodeDate(1991, 1, 1);
        for (int h = 0; h < 8760; ++h)
            Series->AddXY(start + h / 24.0, 500 + 300 * std::sin(h * 2 * M_PI / 8760) +
                                                150 * std::sin(h * 2 * M_PI / 24));
        Chart.SetBuffered(false);
    }
};

// Range 0: 2-D, 1: 3-D (the charts' default view).
void BM_PaintHourlyFastLineChart(benchmark::State& state) {
    THourlyFastLineChart hourly(state.range(0) != 0);
    TBitmap bitmap(800, 500);
    const TRect r(0, 0, 800, 500);
    for (auto _ : state) {
        hourly.Chart.DrawToRect(bitmap.Canvas(), r);
        benchmark::DoNotOptimize(std::as_const(bitmap).ScanLine(0));
    }
}
BENCHMARK(BM_PaintHourlyFastLineChart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The 3-D hourly chart of the programs in a shown window of 800 x 500, painted anew on
// screen: a new frame drawn (as after a zoom or a change of the data, not the picture
// kept from the last one) and shown. The screen is the platform QT_QPA_PLATFORM names (the
// offscreen one when it names none: run under a display with QT_QPA_PLATFORM=xcb to time
// a real screen); the label says which.
void BM_Paint3DHourlyChartOnScreen(benchmark::State& state) {
    EnsureTestApplication();
    TBenchForm form(800, 500);
    THourlyFastLineChart hourly(true);
    hourly.Chart.SetParent(form.Get());
    hourly.Chart.SetAlign(alClient);
    hourly.Chart.SetBuffered(true);
    form.Show();
    int64_t drawn = 0;
    hourly.Series->SetBeforeDrawValues(TNotifyEvent([&drawn](TObject*) { ++drawn; }));
    for (auto _ : state) {
        hourly.Chart.Canvas3D()->MarkBufferDirty();
        hourly.Chart.Repaint();
    }
    hourly.Chart.SetParent(nullptr);
    state.counters["frames_drawn"] =
        benchmark::Counter(double(drawn), benchmark::Counter::kAvgIterations);
    state.SetLabel(GuiPlatform() + ", goal < 5 ms");
}
BENCHMARK(BM_Paint3DHourlyChartOnScreen)->Unit(benchmark::kMillisecond);

// One zoom step: zoom to a week, paint, reset, paint.
void BM_ZoomToAWeekAndBack(benchmark::State& state) {
    THourlyFastLineChart hourly;
    TBitmap bitmap(800, 500);
    const TRect r(0, 0, 800, 500);
    hourly.Chart.DrawToRect(bitmap.Canvas(), r);
    const double monday = EncodeDate(1991, 3, 4);
    for (auto _ : state) {
        hourly.Chart.ZoomToValues({{0, 1}, {0, 1000}, {0, 1}, {monday, monday + 7}});
        hourly.Chart.DrawToRect(bitmap.Canvas(), r);
        hourly.Chart.ResetZoom();
        hourly.Chart.DrawToRect(bitmap.Canvas(), r);
        benchmark::DoNotOptimize(std::as_const(bitmap).ScanLine(0));
    }
}
BENCHMARK(BM_ZoomToAWeekAndBack)->Unit(benchmark::kMillisecond);

// The coverage pie: 3-D, not orthogonal, four slices one of them "Other", a percent legend.
void BM_Paint3DPie(benchmark::State& state) {
    EnsureTestApplication();
    TChart chart(nullptr);
    chart.SetBounds(0, 0, 800, 500);
    chart.Legend()->SetTextStyle(ltsRightPercent);
    auto* pie = new TPieSeries(&chart);
    pie->SetParentChart(&chart);
    chart.View3DOptions()->SetElevation(315);
    chart.View3DOptions()->SetRotation(360);
    pie->OtherSlice()->SetStyle(poBelowPercent);
    pie->OtherSlice()->SetValue(10);
    pie->AddSlice(50, "hz", clRed);
    pie->AddSlice(35, "pw", clGreen);
    pie->AddSlice(9, "pph", clYellow);
    pie->AddSlice(6, "bat", clBlue);
    chart.SetBuffered(false);
    TBitmap bitmap(800, 500);
    const TRect r(0, 0, 800, 500);
    for (auto _ : state) {
        chart.DrawToRect(bitmap.Canvas(), r);
        benchmark::DoNotOptimize(std::as_const(bitmap).ScanLine(0));
    }
}
BENCHMARK(BM_Paint3DPie)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
