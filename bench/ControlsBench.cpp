// Standard controls: painting one screen of a draw grid of 8761 rows (the hourly table of
// the workbench: a header row and one row per hour of the year), with a cell painter that
// writes the text of every cell.

#include "bench/GuiBench.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Grids.h"
#include "framework/gui/TestKit.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

struct TGridFixture {
    TBenchForm Form{900, 640};
    TDrawGrid* Grid = nullptr;
    long CellsDrawn = 0;

    TGridFixture() {
        Grid = new TDrawGrid(Form.Get());
        Grid->SetParent(Form.Get());
        Grid->SetAlign(alClient);
        Grid->SetColCount(8);
        Grid->SetDefaultColWidth(120);
        const int widths[] = {120, 88, 79, 93, 78, 80, 120, 120};
        for (int c = 0; c < 8; ++c)
            Grid->SetColWidths(c, widths[c]);
        Grid->SetDefaultRowHeight(18);
        Grid->SetRowCount(8761);
        Grid->SetOnDrawCell(TDrawCellEvent([this](TObject*, int col, int row, const TRect& rect,
                                                  TGridDrawState) {
            ++CellsDrawn;
            std::string text = row == 0   ? "Header " + IntToStr(col)
                               : col == 0 ? Format("%0.2d/01 %0.2d:00", {row % 28 + 1, row % 24})
                                          : FormatFloat("0.000", row * 0.125 + col);
            TCanvas* canvas = Grid->Canvas();
            canvas->TextRect(rect, rect.Left + 2, rect.Top + 2, text);
        }));
        Form.Show();
    }
};

// One full repaint of the visible cells (header, fixed column and the data rows shown).
void BM_DrawGridPaintScreen(benchmark::State& state) {
    TGridFixture f;
    f.Grid->SetTopRow(4000);
    f.Grid->Repaint();
    f.CellsDrawn = 0;
    long paints = 0;
    for (auto _ : state) {
        f.Grid->Repaint();
        ++paints;
    }
    state.counters["cells_per_paint"] = double(f.CellsDrawn) / double(paints);
    state.counters["visible_rows"] = f.Grid->VisibleRowCount();
}
BENCHMARK(BM_DrawGridPaintScreen)->Unit(benchmark::kMillisecond);

// Scrolling a page down and painting the new screen.
void BM_DrawGridScrollPage(benchmark::State& state) {
    TGridFixture f;
    int page = f.Grid->VisibleRowCount();
    for (auto _ : state) {
        int top = f.Grid->TopRow() + page;
        if (top > 8700)
            top = 1;
        f.Grid->SetTopRow(top);
        f.Grid->Update();
    }
}
BENCHMARK(BM_DrawGridScrollPage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunGuiBenchmarks(argc, argv);
}
