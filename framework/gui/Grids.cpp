#include "framework/gui/Grids.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/ControlHelpers.h"
#include "framework/gui/ScrollBarLayout.h"
#include "framework/gui/WindowSystem.h"

#include <QScrollBar>
#include <QWidget>

#include <algorithm>

using ControlHelpers::StoreChanged;

namespace {

// Scroll bar positions travel in 16 bits: longer ranges are scaled to this.
constexpr int kMaxScrollPos = 32767;
// The timer that scrolls while a drag is outside the cells.
constexpr uintptr_t kScrollTimer = 1;
constexpr UINT kScrollTimerInterval = 60;

const char* const kIndexOutOfRange = "Grid index out of range";
const char* const kFixedColTooBig = "Fixed column count must be less than column count";
const char* const kFixedRowTooBig = "Fixed row count must be less than row count";

bool PointInGridRect(int col, int row, const TGridRect& r) {
    return col >= r.Left && col <= r.Right && row >= r.Top && row <= r.Bottom;
}

TGridRect GridRectOf(const TGridCoord& a, const TGridCoord& b) {
    return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
}

// Where an index ends up when the item at from moves to to.
void MoveAdjust(int& pos, int from, int to) {
    if (pos == from)
        pos = to;
    else if (pos > from && pos <= to)
        --pos;
    else if (pos >= to && pos < from)
        ++pos;
}

void MoveExtent(std::vector<int>& v, int from, int to) {
    int value = v[size_t(from)];
    v.erase(v.begin() + from);
    v.insert(v.begin() + to, value);
}

bool Intersects(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

} // namespace

// ===========================================================================
// TCustomGrid

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner) {
    FControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks};
    FColWidths.assign(size_t(FColCount), FDefaultColWidth);
    FRowHeights.assign(size_t(FRowCount), FDefaultRowHeight);
    SetColor(clWindow);
    SetTabStop(true);
    Initialize();
    SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() {
    if (TInplaceEdit* editor = FInplaceEdit) {
        FInplaceEdit = nullptr;
        editor->SetGrid(nullptr);
        delete editor;
    }
    // The scroll bars call back into the grid: they go with the window, now.
    DestroyHandle();
}

void TCustomGrid::ComponentNotification(TComponent* component, TOperation operation) {
    TCustomControl::ComponentNotification(component, operation);
    if (operation == opRemove && component == FInplaceEdit)
        FInplaceEdit = nullptr;
}

void TCustomGrid::Initialize() {
    FTopLeft = {FFixedCols, FFixedRows};
    FCurrent = FTopLeft;
    FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect))
        FAnchor.X = FColCount - 1;
}

// ---- Size -----------------------------------------------------------------

void TCustomGrid::SetColCount(int value) {
    if (value == FColCount)
        return;
    value = std::max(value, 1);
    if (value <= FFixedCols)
        SetFixedCols(value - 1);
    ChangeSize(value, FRowCount);
}

void TCustomGrid::SetRowCount(int value) {
    if (value == FRowCount)
        return;
    value = std::max(value, 1);
    if (value <= FFixedRows)
        SetFixedRows(value - 1);
    ChangeSize(FColCount, value);
}

void TCustomGrid::ChangeSize(int newColCount, int newRowCount) {
    int oldColCount = FColCount;
    int oldRowCount = FRowCount;
    FColCount = newColCount;
    FRowCount = newRowCount;
    FColWidths.resize(size_t(newColCount), FDefaultColWidth);
    FRowHeights.resize(size_t(newRowCount), FDefaultRowHeight);
    TGridCoord coord = FCurrent;
    coord.X = std::min(coord.X, FColCount - 1);
    coord.Y = std::min(coord.Y, FRowCount - 1);
    if (coord != FCurrent)
        MoveCurrent(coord.X, coord.Y, true, true);
    // A cell that refused to become current still may not stay outside the grid.
    FCurrent.X = std::min(FCurrent.X, FColCount - 1);
    FCurrent.Y = std::min(FCurrent.Y, FRowCount - 1);
    FAnchor.X = std::min(FAnchor.X, FColCount - 1);
    FAnchor.Y = std::min(FAnchor.Y, FRowCount - 1);
    if (FOptions.Contains(goRowSelect))
        FAnchor.X = FColCount - 1;
    FTopLeft.X = std::min(FTopLeft.X, FColCount - 1);
    FTopLeft.Y = std::min(FTopLeft.Y, FRowCount - 1);
    InvalidateGrid();
    UpdateScrollRange();
    SizeChanged(oldColCount, oldRowCount);
}

void TCustomGrid::SetFixedCols(int value) {
    if (value == FFixedCols)
        return;
    if (value < 0)
        throw EInvalidGridOperation(kIndexOutOfRange);
    if (value >= FColCount)
        throw EInvalidGridOperation(kFixedColTooBig);
    FFixedCols = value;
    Initialize();
    InvalidateGrid();
    UpdateScrollRange();
}

void TCustomGrid::SetFixedRows(int value) {
    if (value == FFixedRows)
        return;
    if (value < 0)
        throw EInvalidGridOperation(kIndexOutOfRange);
    if (value >= FRowCount)
        throw EInvalidGridOperation(kFixedRowTooBig);
    FFixedRows = value;
    Initialize();
    InvalidateGrid();
    UpdateScrollRange();
}

void TCustomGrid::SetDefaultColWidth(int value) {
    FDefaultColWidth = value;
    FColWidths.assign(size_t(FColCount), value);
    InvalidateGrid();
    AfterColumnSized();
}

void TCustomGrid::SetDefaultRowHeight(int value) {
    FDefaultRowHeight = value;
    FRowHeights.assign(size_t(FRowCount), value);
    InvalidateGrid();
    AfterRowSized();
}

int TCustomGrid::ColWidths(int index) const {
    if (index < 0 || index >= FColCount)
        return FDefaultColWidth;
    return FColWidths[size_t(index)];
}

void TCustomGrid::SetColWidths(int index, int value) {
    if (index < 0 || index >= FColCount)
        throw EInvalidGridOperation(kIndexOutOfRange);
    if (value == FColWidths[size_t(index)])
        return;
    FColWidths[size_t(index)] = value;
    InvalidateGrid();
    AfterColumnSized();
}

int TCustomGrid::RowHeights(int index) const {
    if (index < 0 || index >= FRowCount)
        return FDefaultRowHeight;
    return FRowHeights[size_t(index)];
}

void TCustomGrid::SetRowHeights(int index, int value) {
    if (index < 0 || index >= FRowCount)
        throw EInvalidGridOperation(kIndexOutOfRange);
    if (value == FRowHeights[size_t(index)])
        return;
    FRowHeights[size_t(index)] = value;
    InvalidateGrid();
    AfterRowSized();
}

void TCustomGrid::SetGridLineWidth(int value) {
    value = std::max(value, 0);
    if (!StoreChanged(FGridLineWidth, value))
        return;
    InvalidateGrid();
    UpdateScrollRange();
    UpdateEdit();
}

int TCustomGrid::GridWidth() const {
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    return h.GridBoundary;
}

int TCustomGrid::GridHeight() const {
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    return v.GridBoundary;
}

// ---- Look -----------------------------------------------------------------

void TCustomGrid::SetOptions(TGridOptions value) {
    if (value == FOptions)
        return;
    if (value.Contains(goRowSelect))
        value.Exclude(goAlwaysShowEditor);
    FOptions = value;
    if (!FEditorMode) {
        if (value.Contains(goAlwaysShowEditor))
            ShowEditor();
        else
            HideEditor();
    }
    if (value.Contains(goRowSelect))
        MoveCurrent(Col(), Row(), true, false);
    InvalidateGrid();
    UpdateScrollRange();
}

void TCustomGrid::SetFixedColor(TColor value) {
    if (StoreChanged(FFixedColor, value))
        InvalidateGrid();
}

void TCustomGrid::SetDefaultDrawing(bool value) {
    // A plain switch: grids built on this one turn it off and on around their painting.
    FDefaultDrawing = value;
}

void TCustomGrid::SetScrollBars(TScrollStyle value) {
    if (StoreChanged(FScrollBars, value))
        UpdateScrollRange();
}

void TCustomGrid::SetBorderStyle(TBorderStyle value) {
    if (!StoreChanged(FBorderStyle, value))
        return;
    UpdateScrollRange();
    LayoutScrollBars();
    Invalidate();
}

void TCustomGrid::SetCtl3D(bool value) {
    if (!StoreChanged(FCtl3D, value))
        return;
    UpdateScrollRange();
    LayoutScrollBars();
    Invalidate();
}

// ---- Current cell and selection --------------------------------------------

void TCustomGrid::SetCol(int value) {
    if (value != Col())
        FocusCell(value, Row(), true);
}

void TCustomGrid::SetRow(int value) {
    if (value != Row())
        FocusCell(Col(), value, true);
}

TGridRect TCustomGrid::Selection() const {
    return GridRectOf(FCurrent, FAnchor);
}

void TCustomGrid::SetSelection(const TGridRect& value) {
    TGridRect oldSel = Selection();
    FAnchor = {value.Left, value.Top};
    FCurrent = {value.Right, value.Bottom};
    SelectionMoved(oldSel);
}

void TCustomGrid::SetEditorMode(bool value) {
    if (!value)
        HideEditor();
    else {
        ShowEditor();
        if (FInplaceEdit)
            FInplaceEdit->Deselect();
    }
}

void TCustomGrid::MoveCurrent(int aCol, int aRow, bool moveAnchor, bool show) {
    if (aCol < 0 || aRow < 0 || aCol >= FColCount || aRow >= FRowCount)
        throw EInvalidGridOperation(kIndexOutOfRange);
    if (!SelectCell(aCol, aRow))
        return;
    TGridRect oldSel = Selection();
    FCurrent = {aCol, aRow};
    if (!FOptions.Contains(goAlwaysShowEditor))
        HideEditor();
    if (moveAnchor || !FOptions.Contains(goRangeSelect)) {
        FAnchor = FCurrent;
        if (FOptions.Contains(goRowSelect))
            FAnchor.X = FColCount - 1;
    }
    if (FOptions.Contains(goRowSelect))
        FCurrent.X = FFixedCols;
    if (show)
        ClampInView(FCurrent);
    SelectionMoved(oldSel);
}

void TCustomGrid::FocusCell(int aCol, int aRow, bool moveAnchor) {
    MoveCurrent(aCol, aRow, moveAnchor, true);
    UpdateEdit();
    Click();
}

void TCustomGrid::MoveAnchor(const TGridCoord& anchor) {
    if (!FOptions.Contains(goRangeSelect)) {
        MoveCurrent(anchor.X, anchor.Y, true, true);
        return;
    }
    TGridRect oldSel = Selection();
    FAnchor = anchor;
    if (FOptions.Contains(goRowSelect))
        FAnchor.X = FColCount - 1;
    ClampInView(anchor);
    SelectionMoved(oldSel);
}

void TCustomGrid::SelectionMoved(const TGridRect& oldSel) {
    InvalidateGridRect(oldSel);
    InvalidateGridRect(Selection());
}

// ---- Scrolling ------------------------------------------------------------

void TCustomGrid::SetTopRow(int value) {
    value = std::clamp(value, FFixedRows, std::max(FFixedRows, FRowCount - 1));
    if (value != TopRow())
        MoveTopLeft(LeftCol(), value);
}

void TCustomGrid::SetLeftCol(int value) {
    value = std::clamp(value, FFixedCols, std::max(FFixedCols, FColCount - 1));
    if (value != LeftCol())
        MoveTopLeft(value, TopRow());
}

void TCustomGrid::MoveTopLeft(int aLeft, int aTop) {
    if (aLeft == FTopLeft.X && aTop == FTopLeft.Y)
        return;
    FTopLeft = {aLeft, aTop};
    InvalidateGrid();
    UpdateScrollPos();
    AfterScroll();
}

void TCustomGrid::ClampInView(const TGridCoord& coord) {
    if (ClientWidth() <= 0 || ClientHeight() <= 0)
        return;
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    if (coord.X <= h.LastFullVisibleCell && coord.Y <= v.LastFullVisibleCell &&
        coord.X >= LeftCol() && coord.Y >= TopRow())
        return;
    TGridCoord topLeft = FTopLeft;
    if (coord.X < LeftCol())
        topLeft.X = coord.X;
    else if (coord.X > h.LastFullVisibleCell)
        topLeft.X = CalcMaxCell(h, coord.X);
    if (coord.Y < TopRow())
        topLeft.Y = coord.Y;
    else if (coord.Y > v.LastFullVisibleCell)
        topLeft.Y = CalcMaxCell(v, coord.Y);
    topLeft.X = std::max(topLeft.X, FFixedCols);
    topLeft.Y = std::max(topLeft.Y, FFixedRows);
    MoveTopLeft(topLeft.X, topLeft.Y);
}

int TCustomGrid::VisibleColCount() {
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    return h.LastFullVisibleCell - LeftCol() + 1;
}

int TCustomGrid::VisibleRowCount() {
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    return v.LastFullVisibleCell - TopRow() + 1;
}

TGridCoord TCustomGrid::MaxTopLeft() {
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    return {CalcMaxCell(h, FColCount - 1), CalcMaxCell(v, FRowCount - 1)};
}

// ---- Geometry -------------------------------------------------------------

void TCustomGrid::CalcAxis(TAxisInfo& axis, int extent, bool horizontal) const {
    axis.Extents = horizontal ? &FColWidths : &FRowHeights;
    bool lines = horizontal ? FOptions.Contains(goFixedVertLine) || FOptions.Contains(goVertLine)
                            : FOptions.Contains(goFixedHorzLine) || FOptions.Contains(goHorzLine);
    axis.LineWidth = lines ? FGridLineWidth : 0;
    axis.FixedCellCount = horizontal ? FFixedCols : FFixedRows;
    axis.FirstGridCell = horizontal ? FTopLeft.X : FTopLeft.Y;
    axis.GridCellCount = horizontal ? FColCount : FRowCount;
    axis.GridExtent = extent;
    int fixed = 0;
    for (int i = 0; i < axis.FixedCellCount; ++i)
        fixed += axis.Extent(i) + axis.LineWidth;
    axis.FixedBoundary = fixed;
    int boundary = fixed;
    axis.FullVisBoundary = fixed;
    axis.LastFullVisibleCell = axis.FirstGridCell;
    for (int i = axis.FirstGridCell; i < axis.GridCellCount; ++i) {
        boundary += axis.Extent(i) + axis.LineWidth;
        if (boundary > extent + axis.LineWidth) {
            boundary = extent;
            break;
        }
        axis.LastFullVisibleCell = i;
        axis.FullVisBoundary = boundary;
    }
    axis.GridBoundary = boundary;
}

void TCustomGrid::CalcDrawInfo(TAxisInfo& horz, TAxisInfo& vert) const {
    TRect client = ClientRect();
    CalcAxis(horz, client.Width(), true);
    CalcAxis(vert, client.Height(), false);
}

int TCustomGrid::CalcMaxCell(const TAxisInfo& axis, int start) {
    int result = start;
    int line = axis.GridExtent + axis.LineWidth;
    for (int i = start; i >= axis.FixedCellCount; --i) {
        line -= axis.Extent(i) + axis.LineWidth;
        if (line < axis.FixedBoundary)
            break;
        result = i;
    }
    return result;
}

namespace {
// Start of cell i on the axis; a value beyond the extent once the cell is past it.
template <class A> int AxisPos(const A& a, int i) {
    int pos = 0;
    int start = 0;
    if (i >= a.FixedCellCount) {
        pos = a.FixedBoundary;
        start = a.FirstGridCell;
    }
    for (int j = start; j < i; ++j) {
        pos += a.Extent(j) + a.LineWidth;
        if (pos > a.GridExtent)
            return pos;
    }
    return pos;
}
} // namespace

bool TCustomGrid::AxisSpan(const TAxisInfo& axis, int lo, int hi, bool includeLine, int& start,
                           int& end) {
    if (lo > hi)
        std::swap(lo, hi);
    lo = std::max(lo, 0);
    hi = std::min(hi, axis.GridCellCount - 1);
    if (lo > hi)
        return false;
    // Cells scrolled out of view before the first shown one.
    if (lo >= axis.FixedCellCount && lo < axis.FirstGridCell) {
        if (hi < axis.FirstGridCell)
            return false;
        lo = axis.FirstGridCell;
    }
    if (hi >= axis.FixedCellCount && hi < axis.FirstGridCell)
        hi = axis.FixedCellCount - 1;
    int s = AxisPos(axis, lo);
    if (s >= axis.GridExtent)
        return false;
    int e = AxisPos(axis, hi);
    if (e >= axis.GridExtent)
        e = axis.GridExtent;
    else
        e = std::min(e + axis.Extent(hi), axis.GridExtent);
    if (includeLine)
        e += axis.LineWidth;
    start = s;
    end = e;
    return true;
}

TRect TCustomGrid::BoxRect(int aLeft, int aTop, int aRight, int aBottom) {
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    int x0, x1, y0, y1;
    if (!AxisSpan(h, aLeft, aRight, false, x0, x1) || !AxisSpan(v, aTop, aBottom, false, y0, y1))
        return TRect();
    return TRect(x0, y0, x1, y1);
}

TRect TCustomGrid::CellRect(int aCol, int aRow) {
    return BoxRect(aCol, aRow, aCol, aRow);
}

int TCustomGrid::AxisCoord(const TAxisInfo& axis, int pos) {
    if (pos < 0)
        return -1;
    int start, stop, line;
    if (pos < axis.FixedBoundary) {
        start = 0;
        stop = axis.FixedCellCount - 1;
        line = 0;
    } else {
        start = axis.FirstGridCell;
        stop = axis.GridCellCount - 1;
        line = axis.FixedBoundary;
    }
    for (int i = start; i <= stop; ++i) {
        line += axis.Extent(i) + axis.LineWidth;
        if (pos < line)
            return i;
    }
    return -1;
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) {
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    TGridCoord c{AxisCoord(h, x), AxisCoord(v, y)};
    if (c.X < 0)
        c.Y = -1;
    else if (c.Y < 0)
        c.X = -1;
    return c;
}

void TCustomGrid::MouseToCell(int x, int y, int& aCol, int& aRow) {
    TGridCoord c = MouseCoord(x, y);
    aCol = c.X;
    aRow = c.Y;
}

void TCustomGrid::InvalidateGridRect(const TGridRect& r) {
    if (!HandleAllocated())
        return;
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    int x0, x1, y0, y1;
    if (!AxisSpan(h, r.Left, r.Right, true, x0, x1) || !AxisSpan(v, r.Top, r.Bottom, true, y0, y1))
        return;
    TRect rect(x0, y0, x1, y1);
    InvalidateRect(&rect);
}

void TCustomGrid::InvalidateCell(int aCol, int aRow) {
    InvalidateGridRect({aCol, aRow, aCol, aRow});
}

void TCustomGrid::InvalidateCol(int aCol) {
    InvalidateGridRect({aCol, 0, aCol, FRowCount - 1});
}

void TCustomGrid::InvalidateRow(int aRow) {
    InvalidateGridRect({0, aRow, FColCount - 1, aRow});
}

bool TCustomGrid::IsActiveControl() const {
    if (TCustomForm* form = GetParentForm(this))
        return form->ActiveControl() == this;
    for (TControl* c = FindFocusedControl(); c; c = c->Parent())
        if (c == this)
            return true;
    return false;
}

// ---- Sizing and moving ----------------------------------------------------

bool TCustomGrid::AxisSizing(const TAxisInfo& axis, int pos, TGridState state, TSizingInfo& info) {
    // A border is grabbed within 7 pixels around its line.
    int range = axis.LineWidth;
    int back = 0;
    if (range < 7) {
        range = 7;
        back = (range - axis.LineWidth) >> 1;
    }
    int line = axis.FixedBoundary;
    for (int i = axis.FirstGridCell; i < axis.GridCellCount; ++i) {
        line += axis.Extent(i);
        if (line > axis.GridBoundary)
            break;
        if (pos >= line - back && pos <= line - back + range) {
            info = {state, i, line, line - pos};
            return true;
        }
        line += axis.LineWidth;
    }
    int last = axis.LastFullVisibleCell + 1;
    if (axis.GridBoundary == axis.GridExtent && last < axis.GridCellCount &&
        pos >= axis.GridExtent - back && pos <= axis.GridExtent) {
        info = {state, last, axis.GridExtent, axis.GridExtent - pos};
        return true;
    }
    return false;
}

TCustomGrid::TSizingInfo TCustomGrid::CalcSizing(int x, int y) {
    TSizingInfo info;
    bool cols = FOptions.Contains(goColSizing);
    bool rows = FOptions.Contains(goRowSizing);
    if (!cols && !rows)
        return info;
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    // Columns are sized in the fixed rows, rows in the fixed columns.
    if (x > h.FixedBoundary && cols) {
        if (y >= v.FixedBoundary)
            return info;
        AxisSizing(h, x, gsColSizing, info);
    } else if (y > v.FixedBoundary && rows) {
        if (x >= h.FixedBoundary)
            return info;
        AxisSizing(v, y, gsRowSizing, info);
    }
    return info;
}

TGridState TCustomGrid::SizingStateAt(int x, int y) {
    return CalcSizing(x, y).State;
}

void TCustomGrid::MoveColumn(int fromIndex, int toIndex) {
    if (fromIndex == toIndex)
        return;
    if (fromIndex < 0 || toIndex < 0 || fromIndex >= FColCount || toIndex >= FColCount)
        throw EInvalidGridOperation(kIndexOutOfRange);
    bool sized = std::any_of(FColWidths.begin(), FColWidths.end(),
                             [this](int w) { return w != FDefaultColWidth; });
    MoveExtent(FColWidths, fromIndex, toIndex);
    MoveAdjust(FCurrent.X, fromIndex, toIndex);
    MoveAdjust(FAnchor.X, fromIndex, toIndex);
    if (FInplaceCol != -1)
        MoveAdjust(FInplaceCol, fromIndex, toIndex);
    InvalidateGrid();
    ColumnMoved(fromIndex, toIndex);
    if (sized)
        AfterColumnSized();
    UpdateEdit();
}

void TCustomGrid::MoveRow(int fromIndex, int toIndex) {
    if (fromIndex == toIndex)
        return;
    if (fromIndex < 0 || toIndex < 0 || fromIndex >= FRowCount || toIndex >= FRowCount)
        throw EInvalidGridOperation(kIndexOutOfRange);
    bool sized = std::any_of(FRowHeights.begin(), FRowHeights.end(),
                             [this](int h) { return h != FDefaultRowHeight; });
    MoveExtent(FRowHeights, fromIndex, toIndex);
    MoveAdjust(FCurrent.Y, fromIndex, toIndex);
    MoveAdjust(FAnchor.Y, fromIndex, toIndex);
    if (FInplaceRow != -1)
        MoveAdjust(FInplaceRow, fromIndex, toIndex);
    InvalidateGrid();
    RowMoved(fromIndex, toIndex);
    if (sized)
        AfterRowSized();
    UpdateEdit();
}

// ---- Override points --------------------------------------------------------

void TCustomGrid::DrawGridCell(int, int, const TRect&, TGridDrawState) {}

bool TCustomGrid::SelectCell(int, int) {
    return true;
}

std::string TCustomGrid::GetEditText(int, int) {
    return std::string();
}

void TCustomGrid::CommitEditText(int, int, const std::string&) {}

int TCustomGrid::EditLimit() {
    return 0;
}

bool TCustomGrid::AcceptEditKey(char32_t) {
    return true;
}

bool TCustomGrid::CanGridAcceptKey(uint16_t, TShiftState) {
    return true;
}

bool TCustomGrid::CanEditModify() {
    return FCanEditModify;
}

bool TCustomGrid::CanShowEditor() {
    return (FOptions * TGridOptions{goRowSelect, goEditing}) == TGridOptions{goEditing} &&
           FEditorMode && HandleAllocated() &&
           (FOptions.Contains(goAlwaysShowEditor) || IsActiveControl());
}

TInplaceEdit* TCustomGrid::CreateCellEditor() {
    return new TInplaceEdit(this);
}

void TCustomGrid::AfterScroll() {
    if (FEditorMode && FInplaceEdit && FInplaceCol != -1)
        FInplaceEdit->UpdateLoc(CellRect(Col(), Row()));
}

void TCustomGrid::AfterColumnSized() {
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::AfterRowSized() {
    UpdateScrollRange();
    UpdateEdit();
}

// ---- Editor -----------------------------------------------------------------

void TCustomGrid::ShowEditor() {
    FEditorMode = true;
    UpdateEdit();
}

void TCustomGrid::HideEditor() {
    FEditorMode = false;
    HideEdit();
}

void TCustomGrid::ShowEditorChar(char32_t ch) {
    ShowEditor();
    if (FInplaceEdit && FInplaceEdit->Visible() && FInplaceEdit->HandleAllocated())
        PostMessage(FInplaceEdit->Handle(), WM_CHAR, WPARAM(ch), 0);
}

void TCustomGrid::UpdateEdit() {
    if (!CanShowEditor())
        return;
    auto loadEditor = [this] {
        FInplaceCol = Col();
        FInplaceRow = Row();
        FInplaceEdit->UpdateContents();
        FInplaceEdit->SelectAll();
    };
    if (!FInplaceEdit) {
        FInplaceEdit = CreateCellEditor();
        FInplaceEdit->SetGrid(this);
        FInplaceEdit->SetParent(this);
        loadEditor();
    } else if (Col() != FInplaceCol || Row() != FInplaceRow) {
        HideEdit();
        loadEditor();
    }
    if (CanShowEditor())
        FInplaceEdit->MoveTo(CellRect(Col(), Row()));
}

void TCustomGrid::HideEdit() {
    if (!FInplaceEdit)
        return;
    // The cell under the editor was last painted with its old text: once the editor's text
    // has gone to the cell (or was refused), the cell is painted again so that it shows
    // what the grid now holds.
    auto finish = [this] {
        if (FInplaceCol != -1 && FInplaceRow != -1)
            InvalidateCell(FInplaceCol, FInplaceRow);
        FInplaceCol = -1;
        FInplaceRow = -1;
        FInplaceEdit->HideEdit();
    };
    try {
        UpdateText();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TCustomGrid::UpdateText() {
    if (FInplaceEdit && FInplaceCol != -1 && FInplaceRow != -1)
        CommitEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

// ---- Painting ---------------------------------------------------------------

void TCustomGrid::PaintControl() {
    TCanvas* canvas = Canvas();
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    TRect clip;
    canvas->GetClipBox(clip);
    if (clip.IsEmpty())
        clip = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    bool active = IsActiveControl();
    TGridRect sel = Selection();
    if (FGridLineWidth > 0) {
        TColor lineColor = ColorToRGB(Color()) == clSilver ? clGray : clSilver;
        bool fixedHorz = FOptions.Contains(goFixedHorzLine);
        bool fixedVert = FOptions.Contains(goFixedVertLine);
        DrawLines(h, v, fixedHorz, fixedVert, 0, 0, TRect(0, 0, h.FixedBoundary, v.FixedBoundary),
                  clBlack, FFixedColor);
        DrawLines(h, v, fixedHorz, fixedVert, LeftCol(), 0,
                  TRect(h.FixedBoundary, 0, h.GridBoundary, v.FixedBoundary), clBlack, FFixedColor);
        DrawLines(h, v, fixedHorz, fixedVert, 0, TopRow(),
                  TRect(0, v.FixedBoundary, h.FixedBoundary, v.GridBoundary), clBlack, FFixedColor);
        DrawLines(h, v, FOptions.Contains(goHorzLine), FOptions.Contains(goVertLine), LeftCol(),
                  TopRow(), TRect(h.FixedBoundary, v.FixedBoundary, h.GridBoundary, v.GridBoundary),
                  lineColor, Color());
    }
    DrawCells(h, v, 0, 0, TRect(0, 0, h.FixedBoundary, v.FixedBoundary), FFixedColor,
              TGridDrawState{gdFixed}, active, sel, clip);
    DrawCells(h, v, LeftCol(), 0, TRect(h.FixedBoundary, 0, h.GridBoundary, v.FixedBoundary),
              FFixedColor, TGridDrawState{gdFixed}, active, sel, clip);
    DrawCells(h, v, 0, TopRow(), TRect(0, v.FixedBoundary, h.FixedBoundary, v.GridBoundary),
              FFixedColor, TGridDrawState{gdFixed}, active, sel, clip);
    DrawCells(h, v, LeftCol(), TopRow(),
              TRect(h.FixedBoundary, v.FixedBoundary, h.GridBoundary, v.GridBoundary), Color(),
              TGridDrawState{}, active, sel, clip);
    if (FOptions.Contains(goRowSelect) && FDefaultDrawing && active) {
        TRect r = BoxRect(sel.Left, sel.Top, sel.Right, sel.Bottom);
        if (!r.IsEmpty())
            canvas->DrawFocusRect(r);
    }
    // The area past the last cells.
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    if (h.GridBoundary < h.GridExtent)
        canvas->FillRect(TRect(h.GridBoundary, 0, h.GridExtent, v.GridBoundary));
    if (v.GridBoundary < v.GridExtent)
        canvas->FillRect(TRect(0, v.GridBoundary, h.GridExtent, v.GridExtent));
    DrawDragFeedback(h, v);
}

void TCustomGrid::DrawLines(const TAxisInfo& horz, const TAxisInfo& vert, bool doHorz, bool doVert,
                            int col, int row, const TRect& bounds, TColor onColor,
                            TColor offColor) {
    if (bounds.IsEmpty())
        return;
    TCanvas* canvas = Canvas();
    auto verticalLines = [&] {
        if (horz.LineWidth <= 0)
            return;
        canvas->Brush()->SetColor(doVert ? onColor : offColor);
        int x = bounds.Left;
        for (int c = col; c < FColCount && x < bounds.Right; ++c) {
            x += horz.Extent(c);
            canvas->FillRect(TRect(x, bounds.Top, x + horz.LineWidth, bounds.Bottom));
            x += horz.LineWidth;
        }
    };
    auto horizontalLines = [&] {
        if (vert.LineWidth <= 0)
            return;
        canvas->Brush()->SetColor(doHorz ? onColor : offColor);
        int y = bounds.Top;
        for (int r = row; r < FRowCount && y < bounds.Bottom; ++r) {
            y += vert.Extent(r);
            canvas->FillRect(TRect(bounds.Left, y, bounds.Right, y + vert.LineWidth));
            y += vert.LineWidth;
        }
    };
    // Lines that are switched off are drawn first, in the background colour, so that the
    // lines shown cross them.
    if (!doHorz) {
        horizontalLines();
        verticalLines();
    } else {
        verticalLines();
        horizontalLines();
    }
}

void TCustomGrid::DrawCells(const TAxisInfo& horz, const TAxisInfo& vert, int col, int row,
                            const TRect& bounds, TColor color, TGridDrawState include,
                            bool activeGrid, const TGridRect& sel, const TRect& clip) {
    if (bounds.IsEmpty())
        return;
    TCanvas* canvas = Canvas();
    bool fixedVert = FOptions.Contains(goFixedVertLine);
    bool fixedHorz = FOptions.Contains(goFixedHorzLine);
    unsigned frame1 = (fixedVert ? BF_RIGHT : 0) | (fixedHorz ? BF_BOTTOM : 0);
    unsigned frame2 = (fixedVert ? BF_LEFT : 0) | (fixedHorz ? BF_TOP : 0);
    bool highlightFocused =
        FOptions.Contains(goDrawFocusSelected) || FOptions.Contains(goRowSelect);
    bool editorOverFocus = FOptions.Contains(goEditing) && FEditorMode;
    bool focusFrame = !(FOptions.Contains(goEditing) && FOptions.Contains(goAlwaysShowEditor)) &&
                      !FOptions.Contains(goRowSelect);
    int y = bounds.Top;
    for (int r = row; r < FRowCount && y < bounds.Bottom; ++r) {
        int height = vert.Extent(r);
        if (y + height > clip.Top && y < clip.Bottom) {
            int x = bounds.Left;
            for (int c = col; c < FColCount && x < bounds.Right; ++c) {
                int width = horz.Extent(c);
                TRect where(x, y, x + width, y + height);
                x += width + horz.LineWidth;
                if (width <= 0 || height <= 0 || !Intersects(where, clip))
                    continue;
                TGridDrawState state = include;
                if (activeGrid && r == FCurrent.Y && c == FCurrent.X)
                    state.Include(gdFocused);
                if (PointInGridRect(c, r, sel))
                    state.Include(gdSelected);
                bool focused = state.Contains(gdFocused);
                // The editor covers the focused cell.
                if (focused && editorOverFocus)
                    continue;
                if (FDefaultDrawing) {
                    canvas->SetFont(Font());
                    if (state.Contains(gdSelected) && (!focused || highlightFocused)) {
                        canvas->Brush()->SetColor(clHighlight);
                        canvas->Font()->SetColor(clHighlightText);
                    } else
                        canvas->Brush()->SetColor(color);
                    canvas->Brush()->SetStyle(bsSolid);
                    canvas->FillRect(where);
                }
                DrawGridCell(c, r, where, state);
                if (FDefaultDrawing && state.Contains(gdFixed) && FCtl3D &&
                    (frame1 | frame2) != 0) {
                    TRect edge = where;
                    if ((frame1 & BF_RIGHT) == 0)
                        edge.Right += horz.LineWidth;
                    else if ((frame1 & BF_BOTTOM) == 0)
                        edge.Bottom += vert.LineWidth;
                    TRect e1 = edge;
                    DrawEdge(canvas, e1, BDR_RAISEDINNER, frame1);
                    TRect e2 = edge;
                    DrawEdge(canvas, e2, BDR_RAISEDINNER, frame2);
                }
                if (FDefaultDrawing && focused && focusFrame)
                    canvas->DrawFocusRect(where);
            }
        }
        y += height + vert.LineWidth;
    }
}

TRect TCustomGrid::DragFeedbackRect() {
    TRect client = ClientRect();
    switch (FGridState) {
    case gsColSizing: {
        int w = std::max(FGridLineWidth, 1);
        return TRect(FSizing.Pos, 0, FSizing.Pos + w, client.Height());
    }
    case gsRowSizing: {
        int w = std::max(FGridLineWidth, 1);
        return TRect(0, FSizing.Pos, client.Width(), FSizing.Pos + w);
    }
    case gsColMoving: {
        TRect r = BoxRect(FMovePos, 0, FMovePos, 0);
        if (r.IsEmpty())
            return TRect();
        int x = FMovePos > FMoveIndex ? r.Right : r.Left;
        return TRect(x - 2, 0, x + 3, client.Height());
    }
    case gsRowMoving: {
        TRect r = BoxRect(0, FMovePos, 0, FMovePos);
        if (r.IsEmpty())
            return TRect();
        int y = FMovePos > FMoveIndex ? r.Bottom : r.Top;
        return TRect(0, y - 2, client.Width(), y + 3);
    }
    default:
        return TRect();
    }
}

void TCustomGrid::DrawDragFeedback(const TAxisInfo&, const TAxisInfo&) {
    TRect r = DragFeedbackRect();
    if (r.IsEmpty())
        return;
    Canvas()->PatBlt(r.Left, r.Top, r.Width(), r.Height(), DSTINVERT);
}

int TCustomGrid::BorderWidth() const {
    if (FBorderStyle == bsNone)
        return 0;
    return FCtl3D ? 2 : 1;
}

TRect TCustomGrid::NonClientBorder() const {
    int b = BorderWidth();
    return TRect(b, b, b + (FVertBarShown ? FBarSize : 0), b + (FHorzBarShown ? FBarSize : 0));
}

void TCustomGrid::PaintNonClient(TCanvas* canvas) {
    int b = BorderWidth();
    TRect r(0, 0, Width(), Height());
    if (b == 2) {
        DrawEdge(canvas, r, EDGE_SUNKEN, BF_RECT);
    } else if (b == 1) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clWindowFrame);
        canvas->FrameRect(r);
    }
    if (FVertBarShown && FHorzBarShown) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clBtnFace);
        canvas->FillRect(
            TRect(Width() - b - FBarSize, Height() - b - FBarSize, Width() - b, Height() - b));
    }
}

// ---- Scroll bars ----------------------------------------------------------

bool TCustomGrid::NeedsBar(bool vertical, bool vertShown, bool horzShown) const {
    int b = BorderWidth();
    int width = Width() - 2 * b - (vertShown ? FBarSize : 0);
    int height = Height() - 2 * b - (horzShown ? FBarSize : 0);
    TAxisInfo axis;
    CalcAxis(axis, vertical ? height : width, !vertical);
    return CalcMaxCell(axis, axis.GridCellCount - 1) > axis.FixedCellCount;
}

void TCustomGrid::UpdateScrollRange() {
    FBarSize = GetSystemMetrics(SM_CXVSCROLL);
    bool allowVert = FScrollBars == ssVertical || FScrollBars == ssBoth;
    bool allowHorz = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    const ScrollBarLayout::TBarsShown shown =
        ScrollBarLayout::ChooseBars([&](ScrollBarLayout::TBarsShown now) {
            return ScrollBarLayout::TBarsShown{allowVert && NeedsBar(true, now.Vert, now.Horz),
                                               allowHorz && NeedsBar(false, now.Vert, now.Horz)};
        });
    if (shown.Vert != FVertBarShown || shown.Horz != FHorzBarShown) {
        FVertBarShown = shown.Vert;
        FHorzBarShown = shown.Horz;
        LayoutScrollBars();
        Invalidate();
        if (FEditorMode && FInplaceEdit && FInplaceCol != -1)
            FInplaceEdit->UpdateLoc(CellRect(Col(), Row()));
    }
    // No empty space after the last cells while there is more to show.
    TGridCoord max = MaxTopLeft();
    TGridCoord topLeft = FTopLeft;
    topLeft.X = std::max(std::min(topLeft.X, max.X), FFixedCols);
    topLeft.Y = std::max(std::min(topLeft.Y, max.Y), FFixedRows);
    if (topLeft != FTopLeft)
        MoveTopLeft(topLeft.X, topLeft.Y);
    UpdateScrollPos();
}

int TCustomGrid::BarRange(bool vertical) {
    TGridCoord max = MaxTopLeft();
    return vertical ? std::max(0, max.Y - FFixedRows) : std::max(0, max.X - FFixedCols);
}

void TCustomGrid::UpdateScrollPos() {
    if (!FVertBar && !FHorzBar)
        return;
    ++FSettingBars;
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    auto apply = [](QScrollBar* bar, int range, int pos, int page) {
        if (range > kMaxScrollPos) {
            pos = MulDiv(pos, kMaxScrollPos, range);
            page = std::max(1, MulDiv(page, kMaxScrollPos, range));
            range = kMaxScrollPos;
        }
        ScrollBarLayout::SetBarParams(bar, range, page, 1, pos);
    };
    if (FVertBar)
        apply(FVertBar, BarRange(true), TopRow() - FFixedRows,
              v.LastFullVisibleCell - TopRow() + 1);
    if (FHorzBar)
        apply(FHorzBar, BarRange(false), LeftCol() - FFixedCols,
              h.LastFullVisibleCell - LeftCol() + 1);
    --FSettingBars;
}

void TCustomGrid::LayoutScrollBars() {
    QWidget* w = WidgetIfAllocated();
    if (!w)
        return;
    auto connect = [this](QScrollBar* bar, bool vertical) {
        QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [this, vertical](int a) {
            ControlHelpers::CallFromQt([&] { BarAction(vertical, a); });
        });
        QObject::connect(bar, &QAbstractSlider::sliderReleased, bar, [this, vertical] {
            ControlHelpers::CallFromQt([&] { BarReleased(vertical); });
        });
    };
    ScrollBarLayout::PlaceBars(w, FVertBar, FHorzBar, {FVertBarShown, FHorzBarShown}, connect,
                               Width(), Height(), BorderWidth(), FBarSize);
    UpdateScrollPos();
}

void TCustomGrid::BarAction(bool vertical, int action) {
    if (FSettingBars > 0)
        return;
    QScrollBar* bar = vertical ? FVertBar : FHorzBar;
    if (!bar)
        return;
    WPARAM code;
    int pos = 0;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        code = SB_LINEDOWN;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        code = SB_LINEUP;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = SB_PAGEDOWN;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = SB_PAGEUP;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = SB_TOP;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = SB_BOTTOM;
        break;
    case QAbstractSlider::SliderMove:
        code = SB_THUMBTRACK;
        pos = bar->sliderPosition();
        break;
    default:
        return;
    }
    Perform(vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(int(code), pos), 0);
    // The bar shows where the grid went, not its own step.
    if (code != SB_THUMBTRACK || FOptions.Contains(goThumbTracking))
        UpdateScrollPos();
}

void TCustomGrid::BarReleased(bool vertical) {
    QScrollBar* bar = vertical ? FVertBar : FHorzBar;
    if (!bar || FSettingBars > 0)
        return;
    Perform(vertical ? WM_VSCROLL : WM_HSCROLL,
            MAKEWPARAM(int(SB_THUMBPOSITION), bar->sliderPosition()), 0);
    UpdateScrollPos();
}

void TCustomGrid::ScrollMessage(bool vertical, WPARAM wParam) {
    int code = LOWORD(wParam);
    int pos = HIWORD(wParam);
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    const TAxisInfo& axis = vertical ? v : h;
    int first = vertical ? TopRow() : LeftCol();
    int fixed = vertical ? FFixedRows : FFixedCols;
    TGridCoord max = MaxTopLeft();
    int maxFirst = std::max(fixed, vertical ? max.Y : max.X);
    int range = maxFirst - fixed;
    int page = std::max(1, axis.LastFullVisibleCell - first + 1);
    auto unscale = [range](int p) {
        return range > kMaxScrollPos ? MulDiv(p, range, kMaxScrollPos) : p;
    };
    int newFirst = first;
    switch (code) {
    case SB_LINEUP:
        --newFirst;
        break;
    case SB_LINEDOWN:
        ++newFirst;
        break;
    case SB_PAGEUP:
        newFirst -= page;
        break;
    case SB_PAGEDOWN:
        newFirst += page;
        break;
    case SB_THUMBPOSITION:
        newFirst = fixed + unscale(pos);
        break;
    case SB_THUMBTRACK:
        if (!FOptions.Contains(goThumbTracking))
            return;
        newFirst = fixed + unscale(pos);
        break;
    case SB_TOP:
        newFirst = fixed;
        break;
    case SB_BOTTOM:
        newFirst = maxFirst;
        break;
    default:
        return;
    }
    newFirst = std::clamp(newFirst, fixed, maxFirst);
    if (newFirst == first)
        return;
    if (vertical)
        MoveTopLeft(LeftCol(), newFirst);
    else
        MoveTopLeft(newFirst, TopRow());
}

// ---- Window -------------------------------------------------------------------

void TCustomGrid::AfterWindowCreated() {
    TCustomControl::AfterWindowCreated();
    UpdateScrollRange();
    LayoutScrollBars();
}

void TCustomGrid::BeforeWindowDestroyed() {
    ScrollBarLayout::ReleaseBars(FVertBar, FHorzBar);
    TCustomControl::BeforeWindowDestroyed();
}

void TCustomGrid::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_SIZE:
        TCustomControl::HandleMessage(message);
        UpdateScrollRange();
        LayoutScrollBars();
        return;
    case WM_SETFOCUS:
        HandleFocusGained(message);
        return;
    case WM_KILLFOCUS:
        HandleFocusLost(message);
        return;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
        HandleCancelMode(message);
        return;
    case WM_COMMAND:
        HandleEditorCommand(message);
        return;
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS;
        if (!FOptions.Contains(goRowSelect)) {
            if (FOptions.Contains(goTabs))
                message.Result |= DLGC_WANTTAB;
            if (FOptions.Contains(goEditing))
                message.Result |= DLGC_WANTCHARS;
        }
        return;
    case WM_VSCROLL:
    case WM_HSCROLL:
        ScrollMessage(message.Msg == WM_VSCROLL, message.WParam);
        message.Result = 0;
        return;
    case WM_TIMER:
        if (message.WParam == kScrollTimer) {
            TimerScroll();
            return;
        }
        break;
    case WM_MOUSEWHEEL: {
        int delta = int16_t(HIWORD(message.WParam));
        if (delta < 0 && Row() < FRowCount - 1)
            SetRow(Row() + 1);
        else if (delta > 0 && Row() > FFixedRows)
            SetRow(Row() - 1);
        message.Result = 1;
        return;
    }
    case WM_SETCURSOR:
        if (FGridState == gsNormal || FGridState == gsColSizing || FGridState == gsRowSizing) {
            TPoint p;
            GetCursorPos(p);
            p = ScreenToClient(p);
            TGridState s = FGridState == gsNormal ? SizingStateAt(p.X, p.Y) : FGridState;
            if ((s == gsColSizing || s == gsRowSizing) && Screen && WidgetIfAllocated()) {
                WidgetIfAllocated()->setCursor(
                    Screen->CursorShape(s == gsColSizing ? crHSplit : crVSplit));
                message.Result = 1;
                return;
            }
        }
        break;
    default:
        break;
    }
    TCustomControl::HandleMessage(message);
}

void TCustomGrid::DefaultHandler(TMessage& message) {
    if (message.Msg == WM_CHAR && FOptions.Contains(goEditing)) {
        char32_t ch = char32_t(message.WParam);
        if (ch == 8 || (ch >= 32 && ch != 127)) {
            message.Origin = nullptr;
            ShowEditorChar(ch);
            return;
        }
    }
    TCustomControl::DefaultHandler(message);
}

void TCustomGrid::HandleFocusGained(TMessage& message) {
    TCustomControl::HandleMessage(message);
    bool fromEditor = FFocusFromEditor;
    FFocusFromEditor = false;
    if (!fromEditor) {
        InvalidateGridRect(Selection());
        UpdateEdit();
    }
}

void TCustomGrid::HandleFocusLost(TMessage& message) {
    TCustomControl::HandleMessage(message);
    InvalidateGridRect(Selection());
    if (FInplaceEdit && FindFocusedControl() != FInplaceEdit)
        HideEdit();
}

void TCustomGrid::HandleCancelMode(TMessage& message) {
    TGridState state = FGridState;
    if (state != gsNormal) {
        TRect r = DragFeedbackRect();
        FGridState = gsNormal;
        if (HandleAllocated()) {
            KillTimer(Handle(), kScrollTimer);
            InvalidateRect(&r);
        }
    }
    TCustomControl::HandleMessage(message);
}

void TCustomGrid::HandleEditorCommand(TMessage& message) {
    if (FInplaceEdit && FInplaceEdit->HandleAllocated() &&
        HWND(message.LParam) == FInplaceEdit->Handle()) {
        if (HIWORD(message.WParam) == EN_CHANGE)
            UpdateText();
        return;
    }
    TCustomControl::HandleMessage(message);
}

// ---- Keys -----------------------------------------------------------------------

void TCustomGrid::HandleKeyDown(uint16_t& key, TShiftState shift) {
    TCustomControl::HandleKeyDown(key, shift);
    if (key == 0)
        return;
    if (!CanGridAcceptKey(key, shift)) {
        key = 0;
        return;
    }
    bool rowSelect = FOptions.Contains(goRowSelect);
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    int pageWidth = std::max(1, h.LastFullVisibleCell - LeftCol() + 1);
    int pageHeight = std::max(1, v.LastFullVisibleCell - TopRow() + 1);
    TGridCoord current = FCurrent;
    TGridCoord topLeft = FTopLeft;
    if (shift.Contains(ssCtrl)) {
        switch (key) {
        case VK_UP:
            --topLeft.Y;
            break;
        case VK_DOWN:
            ++topLeft.Y;
            break;
        case VK_LEFT:
            if (!rowSelect) {
                current.X -= pageWidth;
                topLeft.X -= pageWidth;
            }
            break;
        case VK_RIGHT:
            if (!rowSelect) {
                current.X += pageWidth;
                topLeft.X += pageWidth;
            }
            break;
        case VK_PRIOR:
            current.Y = TopRow();
            break;
        case VK_NEXT:
            current.Y = v.LastFullVisibleCell;
            break;
        case VK_HOME:
            current = {FFixedCols, FFixedRows};
            break;
        case VK_END:
            current = {FColCount - 1, FRowCount - 1};
            break;
        default:
            break;
        }
    } else {
        switch (key) {
        case VK_UP:
            --current.Y;
            break;
        case VK_DOWN:
            ++current.Y;
            break;
        case VK_LEFT:
            if (rowSelect)
                --topLeft.X;
            else
                --current.X;
            break;
        case VK_RIGHT:
            if (rowSelect)
                ++topLeft.X;
            else
                ++current.X;
            break;
        case VK_NEXT:
            current.Y += pageHeight;
            topLeft.Y += pageHeight;
            break;
        case VK_PRIOR:
            current.Y -= pageHeight;
            topLeft.Y -= pageHeight;
            break;
        case VK_HOME:
            if (rowSelect)
                current.Y = FFixedRows;
            else
                current.X = FFixedCols;
            break;
        case VK_END:
            if (rowSelect)
                current.Y = FRowCount - 1;
            else
                current.X = FColCount - 1;
            break;
        case VK_TAB:
            if (shift.Contains(ssAlt))
                break;
            if (shift.Contains(ssShift)) {
                if (--current.X < FFixedCols) {
                    current.X = FColCount - 1;
                    if (--current.Y < FFixedRows)
                        current.Y = FRowCount - 1;
                }
                shift = TShiftState{};
            } else if (++current.X >= FColCount) {
                current.X = FFixedCols;
                if (++current.Y >= FRowCount)
                    current.Y = FFixedRows;
            }
            break;
        case VK_F2:
            SetEditorMode(true);
            break;
        default:
            break;
        }
    }
    TGridCoord max = MaxTopLeft();
    topLeft.X = std::clamp(topLeft.X, FFixedCols, std::max(FFixedCols, max.X));
    topLeft.Y = std::clamp(topLeft.Y, FFixedRows, std::max(FFixedRows, max.Y));
    if (topLeft != FTopLeft)
        MoveTopLeft(topLeft.X, topLeft.Y);
    current.X = std::clamp(current.X, FFixedCols, FColCount - 1);
    current.Y = std::clamp(current.Y, FFixedRows, FRowCount - 1);
    if (current.X != Col() || current.Y != Row())
        FocusCell(current.X, current.Y, !shift.Contains(ssShift));
}

void TCustomGrid::HandleKeyUp(uint16_t& key, TShiftState shift) {
    TCustomControl::HandleKeyUp(key, shift);
}

void TCustomGrid::HandleKeyPress(char32_t& key) {
    TCustomControl::HandleKeyPress(key);
    if (!FOptions.Contains(goAlwaysShowEditor) && key == U'\r') {
        if (FEditorMode)
            HideEditor();
        else
            ShowEditor();
        key = 0;
    }
}

// ---- Mouse --------------------------------------------------------------------

void TCustomGrid::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (CanFocus() || !GetParentForm(this)) {
        SetFocus();
        if (!IsActiveControl()) {
            SetMouseCapture(false);
            return;
        }
    }
    if (button == mbLeft && shift.Contains(ssDouble)) {
        DblClick();
    } else if (button == mbLeft) {
        TSizingInfo sizing = CalcSizing(x, y);
        if (sizing.State != gsNormal) {
            FGridState = sizing.State;
            FSizing = sizing;
            TRect r = DragFeedbackRect();
            InvalidateRect(&r);
        } else {
            TGridCoord cell = MouseCoord(x, y);
            if (cell.X >= FFixedCols && cell.Y >= FFixedRows) {
                if (FOptions.Contains(goEditing)) {
                    if (cell.X == Col() && cell.Y == Row())
                        ShowEditor();
                    else {
                        MoveCurrent(cell.X, cell.Y, true, true);
                        UpdateEdit();
                    }
                    Click();
                } else {
                    FGridState = gsSelecting;
                    SetTimer(Handle(), kScrollTimer, kScrollTimerInterval);
                    if (shift.Contains(ssShift))
                        MoveAnchor(cell);
                    else
                        MoveCurrent(cell.X, cell.Y, true, true);
                }
            } else if (FOptions.Contains(goRowMoving) && cell.X >= 0 && cell.X < FFixedCols &&
                       cell.Y >= FFixedRows) {
                FMoveIndex = cell.Y;
                FMovePos = cell.Y;
                FGridState = gsRowMoving;
                SetTimer(Handle(), kScrollTimer, kScrollTimerInterval);
                TRect r = DragFeedbackRect();
                InvalidateRect(&r);
            } else if (FOptions.Contains(goColMoving) && cell.Y >= 0 && cell.Y < FFixedRows &&
                       cell.X >= FFixedCols) {
                FMoveIndex = cell.X;
                FMovePos = cell.X;
                FGridState = gsColMoving;
                SetTimer(Handle(), kScrollTimer, kScrollTimerInterval);
                TRect r = DragFeedbackRect();
                InvalidateRect(&r);
            }
        }
    }
    TCustomControl::HandleMouseDown(button, shift, x, y);
}

void TCustomGrid::HandleMouseMove(TShiftState shift, int x, int y) {
    switch (FGridState) {
    case gsSelecting: {
        TAxisInfo h, v;
        CalcDrawInfo(h, v);
        TGridCoord cell = MouseCoord(x, y);
        if (cell.X >= FFixedCols && cell.Y >= FFixedRows && cell.X <= h.LastFullVisibleCell + 1 &&
            cell.Y <= v.LastFullVisibleCell + 1) {
            bool rowSelect = FOptions.Contains(goRowSelect);
            if (FOptions.Contains(goRangeSelect)) {
                bool same = rowSelect ? cell.Y == FAnchor.Y : cell == FAnchor;
                if (!same)
                    MoveAnchor(cell);
            } else {
                bool same = rowSelect ? cell.Y == FCurrent.Y : cell == FCurrent;
                if (!same)
                    MoveCurrent(cell.X, cell.Y, true, true);
            }
        }
        break;
    }
    case gsColSizing:
    case gsRowSizing: {
        TRect old = DragFeedbackRect();
        FSizing.Pos = (FGridState == gsColSizing ? x : y) + FSizing.Offset;
        TRect now = DragFeedbackRect();
        if (old != now) {
            InvalidateRect(&old);
            InvalidateRect(&now);
        }
        break;
    }
    case gsColMoving:
    case gsRowMoving: {
        TGridCoord cell = MouseCoord(x, y);
        bool cols = FGridState == gsColMoving;
        int index = cols ? cell.X : cell.Y;
        int fixed = cols ? FFixedCols : FFixedRows;
        if (index >= fixed && index != FMovePos) {
            TRect old = DragFeedbackRect();
            FMovePos = index;
            TRect now = DragFeedbackRect();
            InvalidateRect(&old);
            InvalidateRect(&now);
        }
        break;
    }
    default:
        break;
    }
    TCustomControl::HandleMouseMove(shift, x, y);
}

void TCustomGrid::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGridState state = FGridState;
    switch (state) {
    case gsSelecting:
        HandleMouseMove(shift, x, y);
        FGridState = gsNormal;
        if (HandleAllocated())
            KillTimer(Handle(), kScrollTimer);
        UpdateEdit();
        Click();
        break;
    case gsColSizing:
    case gsRowSizing: {
        TRect r = DragFeedbackRect();
        FGridState = gsNormal;
        InvalidateRect(&r);
        TAxisInfo h, v;
        CalcDrawInfo(h, v);
        const TAxisInfo& axis = state == gsColSizing ? h : v;
        int start = axis.FixedBoundary;
        for (int i = axis.FirstGridCell; i < FSizing.Index; ++i)
            start += axis.Extent(i) + axis.LineWidth;
        int newSize = FSizing.Pos - start;
        if (newSize > 1) {
            if (state == gsColSizing)
                SetColWidths(FSizing.Index, newSize);
            else
                SetRowHeights(FSizing.Index, newSize);
        }
        break;
    }
    case gsColMoving:
    case gsRowMoving: {
        TRect r = DragFeedbackRect();
        FGridState = gsNormal;
        if (HandleAllocated())
            KillTimer(Handle(), kScrollTimer);
        InvalidateRect(&r);
        if (FMoveIndex != FMovePos) {
            if (state == gsColMoving)
                MoveColumn(FMoveIndex, FMovePos);
            else
                MoveRow(FMoveIndex, FMovePos);
        }
        break;
    }
    default:
        break;
    }
    FGridState = gsNormal;
    TCustomControl::HandleMouseUp(button, shift, x, y);
}

void TCustomGrid::TimerScroll() {
    if (FGridState != gsSelecting && FGridState != gsRowMoving && FGridState != gsColMoving)
        return;
    TPoint p;
    GetCursorPos(p);
    p = ScreenToClient(p);
    TAxisInfo h, v;
    CalcDrawInfo(h, v);
    int dx = 0;
    int dy = 0;
    if (p.X < h.FixedBoundary)
        dx = -1;
    else if (p.X >= h.GridExtent)
        dx = 1;
    if (p.Y < v.FixedBoundary)
        dy = -1;
    else if (p.Y >= v.GridExtent)
        dy = 1;
    if (FGridState == gsRowMoving)
        dx = 0;
    if (FGridState == gsColMoving)
        dy = 0;
    if (dx == 0 && dy == 0)
        return;
    TGridCoord max = MaxTopLeft();
    int left = std::clamp(LeftCol() + dx, FFixedCols, std::max(FFixedCols, max.X));
    int top = std::clamp(TopRow() + dy, FFixedRows, std::max(FFixedRows, max.Y));
    MoveTopLeft(left, top);
    // The drag goes on at the nearest point inside the cells.
    int x = std::clamp(p.X, h.FixedBoundary, std::max(h.FixedBoundary, h.GridExtent - 1));
    int y = std::clamp(p.Y, v.FixedBoundary, std::max(v.FixedBoundary, v.GridExtent - 1));
    HandleMouseMove(KeyboardShiftState(), x, y);
}

// ===========================================================================
// TDrawGrid

void TDrawGrid::Publish(TPublisher<TDrawGrid>& p) {
    static const TTypeInfo optionType = MakeEnumType(
        "TGridOption",
        {"goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine", "goRangeSelect",
         "goDrawFocusSelected", "goRowSizing", "goColSizing", "goRowMoving", "goColMoving",
         "goEditing", "goTabs", "goRowSelect", "goAlwaysShowEditor", "goThumbTracking"});
    static const TTypeInfo optionsType = MakeSetType("TGridOptions", &optionType);
    static const TTypeInfo scrollType =
        MakeEnumType("TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"});
    p.Integer("ColCount", &TDrawGrid::ColCount, &TDrawGrid::SetColCount).Default(5);
    p.Integer("DefaultColWidth", &TDrawGrid::DefaultColWidth, &TDrawGrid::SetDefaultColWidth)
        .Default(64);
    p.Integer("DefaultRowHeight", &TDrawGrid::DefaultRowHeight, &TDrawGrid::SetDefaultRowHeight)
        .Default(24);
    p.Bool("DefaultDrawing", &TDrawGrid::DefaultDrawing, &TDrawGrid::SetDefaultDrawing)
        .Default(true);
    p.Ordinal("FixedColor", TypeInfoTColor(), &TDrawGrid::FixedColor, &TDrawGrid::SetFixedColor)
        .Default(clBtnFace);
    p.Integer("FixedCols", &TDrawGrid::FixedCols, &TDrawGrid::SetFixedCols).Default(1);
    p.Integer("RowCount", &TDrawGrid::RowCount, &TDrawGrid::SetRowCount).Default(5);
    p.Integer("FixedRows", &TDrawGrid::FixedRows, &TDrawGrid::SetFixedRows).Default(1);
    p.Integer("GridLineWidth", &TDrawGrid::GridLineWidth, &TDrawGrid::SetGridLineWidth).Default(1);
    p.Set(
         "Options", &optionsType, [](const TDrawGrid* g) { return g->Options().ToInt(); },
         [](TDrawGrid* g, int64_t v) { g->SetOptions(TGridOptions::FromInt(uint32_t(v))); })
        .Default(int64_t(kDefaultGridOptions.ToInt()));
    p.Enum("ScrollBars", &scrollType, &TDrawGrid::ScrollBars, &TDrawGrid::SetScrollBars)
        .Default(ssBoth);
    p.Event("OnDrawCell", &TDrawGrid::OnDrawCell, &TDrawGrid::SetOnDrawCell);
    p.Event("OnSelectCell", &TDrawGrid::OnSelectCell, &TDrawGrid::SetOnSelectCell);
    p.Event("OnGetEditText", &TDrawGrid::OnGetEditText, &TDrawGrid::SetOnGetEditText);
    p.Event("OnSetEditText", &TDrawGrid::OnSetEditText, &TDrawGrid::SetOnSetEditText);
    p.Event("OnColumnMoved", &TDrawGrid::OnColumnMoved, &TDrawGrid::SetOnColumnMoved);
    p.Event("OnRowMoved", &TDrawGrid::OnRowMoved, &TDrawGrid::SetOnRowMoved);
    p.Event("OnTopLeftChanged", &TDrawGrid::OnTopLeftChanged, &TDrawGrid::SetOnTopLeftChanged);
}

void TDrawGrid::DrawGridCell(int aCol, int aRow, const TRect& rect, TGridDrawState state) {
    if (FOnDrawCell)
        FOnDrawCell(this, aCol, aRow, rect, state);
}

bool TDrawGrid::SelectCell(int aCol, int aRow) {
    bool canSelect = true;
    if (FOnSelectCell)
        FOnSelectCell(this, aCol, aRow, canSelect);
    return canSelect;
}

std::string TDrawGrid::GetEditText(int aCol, int aRow) {
    std::string value;
    if (FOnGetEditText)
        FOnGetEditText(this, aCol, aRow, value);
    return value;
}

void TDrawGrid::CommitEditText(int aCol, int aRow, const std::string& value) {
    if (FOnSetEditText)
        FOnSetEditText(this, aCol, aRow, value);
}

void TDrawGrid::ColumnMoved(int fromIndex, int toIndex) {
    if (FOnColumnMoved)
        FOnColumnMoved(this, fromIndex, toIndex);
}

void TDrawGrid::RowMoved(int fromIndex, int toIndex) {
    if (FOnRowMoved)
        FOnRowMoved(this, fromIndex, toIndex);
}

void TDrawGrid::AfterScroll() {
    TCustomGrid::AfterScroll();
    if (FOnTopLeftChanged)
        FOnTopLeftChanged(this);
}
