#pragma once
// What a grid cell shows on the screen, for the tests of the windows' grids: the cell's
// pixels as the grid is rendered now, and as it renders after a paint of the whole grid.
// A cell whose new value was stored but not painted differs between the two.

#include "framework/gui/Bitmaps.h"
#include "framework/gui/Grids.h"
#include "framework/gui/TestKit.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// The cell's pixels (blue-green-red-unused bytes, row after row) as the grid shows it.
inline std::vector<uint8_t> ShownCellPixels(TCustomGrid* grid, int col, int row) {
    TBitmap shot;
    TestKit::RenderToBitmap(grid, shot);
    const TRect nc = grid->NonClientBorder();
    TRect cell = grid->CellRect(col, row);
    OffsetRect(cell, nc.Left, nc.Top);
    std::vector<uint8_t> pixels;
    for (int y = std::max(0, cell.Top); y < std::min(shot.Height(), cell.Bottom); ++y) {
        const uint8_t* line = shot.ScanLine(y);
        for (int x = std::max(0, cell.Left); x < std::min(shot.Width(), cell.Right); ++x)
            pixels.insert(pixels.end(), line + 4 * x, line + 4 * x + 4);
    }
    return pixels;
}

// The cell's pixels after the whole grid was painted afresh.
inline std::vector<uint8_t> RepaintedCellPixels(TCustomGrid* grid, int col, int row) {
    grid->Invalidate();
    TestKit::ProcessMessages();
    return ShownCellPixels(grid, col, row);
}
