// The chart editor: opening it on a chart of 12 series and showing one of its chart pages
// (the window made, the page created, filled and painted, the window closed and freed).
// Goal: under 20 ms for each page.

#include "bench/GuiBench.h"
#include "chart/Series.h"
#include "chartdlg/ChartEditor.h"
#include "framework/gui/TestKit.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

struct TTwelveSeriesChart {
    std::unique_ptr<TForm> Form;
    TChart* Chart = nullptr;
    TTwelveSeriesChart() {
        Form.reset(new TForm(nullptr));
        Form->SetBounds(0, 0, 700, 450);
        Chart = new TChart(Form.get());
        Chart->SetName("Chart1");
        Chart->SetParent(Form.get());
        Chart->SetAlign(alClient);
        for (int s = 0; s < 12; ++s) {
            TChartSeries* series = nullptr;
            if (s % 3 == 0)
                series = new TBarSeries(Form.get());
            else if (s % 3 == 1)
                series = new TLineSeries(Form.get());
            else
                series = new TAreaSeries(Form.get());
            series->SetName("Series" + std::to_string(s + 1));
            series->SetParentChart(Chart);
            for (int i = 0; i < 24; ++i)
                series->AddXY(i, 50 + 40 * std::sin(i * 0.3 + s));
        }
        Form->Show();
        TestKit::ProcessMessages();
    }
};

void BM_OpenEditorOnPage(benchmark::State& state) {
    TTwelveSeriesChart chart;
    const int page = int(state.range(0));
    Application->SetModalHandler([](TCustomForm*) { TestKit::ProcessMessages(); });
    for (auto _ : state) {
        std::unique_ptr<TChartEditForm> editor(new TChartEditForm(Application));
        editor->EditedChart = chart.Chart;
        editor->OpenPageIndex = page;
        editor->ShowModal();
        benchmark::DoNotOptimize(editor.get());
    }
    Application->SetModalHandler(nullptr);
    state.SetLabel(GuiPlatform() + ", goal < 20 ms");
}
BENCHMARK(BM_OpenEditorOnPage)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv);
}
