#include "framework/gui/Grids.h"

#include "framework/core/SystemUtils.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QScrollBar>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// A grid that only takes digits into its editor.
class TDigitGrid : public TDrawGrid {
public:
    using TDrawGrid::TDrawGrid;
    int ColumnSized = 0;

protected:
    bool AcceptEditKey(char32_t key) override { return key >= '0' && key <= '9'; }
    void AfterColumnSized() override {
        TDrawGrid::AfterColumnSized();
        ++ColumnSized;
    }
};

class GridsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = new TForm(nullptr);
        Form->SetName("fmGrid");
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(10, 10, 400, 300);
        MakeGrid(new TDigitGrid(Form));
    }
    void TearDown() override {
        delete Form;
        TestKit::ProcessMessages();
    }
    void MakeGrid(TDigitGrid* grid) {
        Grid = grid;
        Grid->SetName("gdTest");
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 300, 200);
        Grid->SetOnDrawCell(
            TDrawCellEvent([this](TObject*, int c, int r, const TRect& rect, TGridDrawState) {
                ++Drawn;
                Grid->Canvas()->TextRect(rect, rect.Left + 2, rect.Top + 2, Cell(c, r));
            }));
        Grid->SetOnSelectCell(TSelectCellEvent([this](TObject*, int c, int r, bool& ok) {
            Log.push_back(Format("select %d,%d", {c, r}));
            ok = !(c == RefusedCol && r == RefusedRow);
        }));
        Grid->SetOnClick(TNotifyEvent([this](TObject*) { Log.push_back("click"); }));
        Grid->SetOnTopLeftChanged(
            TNotifyEvent([this](TObject*) { Log.push_back(Format("top %d", {Grid->TopRow()})); }));
        Grid->SetOnGetEditText(TGetEditEvent(
            [this](TObject*, int c, int r, std::string& value) { value = Cell(c, r); }));
        Grid->SetOnSetEditText(TSetEditEvent([this](TObject*, int c, int r, const std::string& v) {
            Cells[{c, r}] = v;
            Log.push_back(Format("set %d,%d=%s", {c, r, v}));
        }));
    }
    std::string Cell(int c, int r) {
        auto it = Cells.find({c, r});
        return it == Cells.end() ? Format("%d:%d", {c, r}) : it->second;
    }
    TPoint CellCenter(int c, int r) {
        TRect rc = Grid->CellRect(c, r);
        return TPoint((rc.Left + rc.Right) / 2, (rc.Top + rc.Bottom) / 2);
    }
    void ShowAndFocus() {
        Form->Show();
        TestKit::Focus(Grid);
        Log.clear();
    }

    TForm* Form = nullptr;
    TDigitGrid* Grid = nullptr;
    std::map<std::pair<int, int>, std::string> Cells;
    std::vector<std::string> Log;
    int Drawn = 0;
    int RefusedCol = -1;
    int RefusedRow = -1;
};

// Default geometry: 64 x 24 cells, 1-pixel lines, one fixed column and row.
// The glyphs of dark text on a light row of pixels: each run of columns holding ink (a
// pixel darker than 40 % of white), with its darkest value. A blank or light column (what
// the eye takes for a gap) parts two runs.
struct TInkRun {
    int First = 0, Last = 0, Darkest = 255;
};
std::vector<TInkRun> InkRuns(const QImage& image, const TRect& area) {
    std::vector<TInkRun> runs;
    bool inRun = false;
    for (int x = area.Left; x < area.Right; ++x) {
        int darkest = 255;
        for (int y = area.Top; y < area.Bottom; ++y)
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
        if (darkest < 102) {
            if (!inRun)
                runs.push_back({x, x, darkest});
            runs.back().Last = x;
            runs.back().Darkest = std::min(runs.back().Darkest, darkest);
        }
        inRun = darkest < 102;
    }
    return runs;
}

TEST_F(GridsTest, DigitsOfPaintedTextStayApartAndCrisp) {
    // "0.000" in a grid cell and in a static text at the sizes the programs' windows use:
    // five glyphs apart from each other, each with a dark stem (not a grey smear).
    auto* label = new TLabel(Form);
    label->SetParent(Form);
    label->SetBounds(0, 210, 120, 30);
    label->SetCaption("0.000");
    label->SetColor(clWhite);
    Grid->SetDefaultColWidth(90);
    Grid->SetDefaultRowHeight(24);
    Cells[{2, 2}] = "0.000"; // not the current cell, which is highlighted
    Form->Show();
    for (int pixels : {11, 12, 13}) {
        SCOPED_TRACE(pixels);
        Grid->Font()->SetHeight(-pixels);
        label->Font()->SetHeight(-pixels);
        TestKit::ProcessMessages();
        const QImage grid = TestKit::Render(Grid)->ToImage();
        TRect cell = Grid->CellRect(2, 2);
        InflateRect(cell, -1, -1);
        const QImage text = TestKit::Render(label)->ToImage();
        for (const auto& [what, runs] :
             {std::pair{"grid cell", InkRuns(grid, cell)},
              std::pair{"static text", InkRuns(text, TRect(0, 0, text.width(), text.height()))}}) {
            SCOPED_TRACE(what);
            ASSERT_EQ(runs.size(), 5u) << "0 . 0 0 0 apart";
            for (const TInkRun& run : runs)
                EXPECT_LT(run.Darkest, 64) << "a dark stem at " << run.First;
        }
    }
}

TEST_F(GridsTest, CellRectAndMouseCoordAgreeWithLinesFixedCellsAndScrolling) {
    Grid->SetRowCount(50);
    Form->Show();
    struct TCase {
        int top, col, row;
        TRect rect;
    } cases[] = {
        {1, 0, 0, TRect(0, 0, 64, 24)},       // fixed corner
        {1, 1, 1, TRect(65, 25, 129, 49)},    // first scrolling cell
        {1, 2, 3, TRect(130, 75, 194, 99)},   // lines add one pixel per cell
        {10, 2, 10, TRect(130, 25, 194, 49)}, // scrolled: row 10 follows the header
        {10, 0, 12, TRect(0, 75, 64, 99)},    // the fixed column scrolls with its rows
        {10, 2, 5, TRect()},                  // scrolled out of view
    };
    for (const TCase& c : cases) {
        Grid->SetTopRow(c.top);
        EXPECT_EQ(Grid->CellRect(c.col, c.row), c.rect) << c.col << "," << c.row;
        if (!c.rect.IsEmpty()) {
            // Every pixel of the cell and of its right and bottom line maps back to it.
            for (TPoint p : {c.rect.TopLeft(), TPoint(c.rect.Right, c.rect.Bottom)}) {
                TGridCoord hit = Grid->MouseCoord(p.X, p.Y);
                EXPECT_EQ(hit.X, c.col);
                EXPECT_EQ(hit.Y, c.row);
            }
        }
    }
    Grid->SetTopRow(1);
    int col = 0, row = 0;
    Grid->MouseToCell(-3, 10, col, row);
    EXPECT_EQ(col, -1);
    EXPECT_EQ(row, -1);
    Grid->SetRowCount(3);
    EXPECT_EQ(Grid->MouseCoord(70, 150).Y, -1); // below the last row
}

TEST_F(GridsTest, AYearOfRowsPaintsOnlyTheVisibleCells) {
    Grid->SetColCount(8);
    Grid->SetRowCount(8761);
    Grid->SetDefaultRowHeight(18);
    Form->Show();
    TestKit::ProcessMessages();
    Grid->SetTopRow(4000);
    Drawn = 0;
    Grid->Repaint();
    // 200 - 4 (edge) - 16 (horizontal bar) = 180 pixels of rows 19 pixels apart: the
    // header, 8 whole rows and part of one.
    int rows = 1 + 8 + 1;
    int cols = 5; // 296 - 16 (vertical bar) = 280 pixels: 4 whole columns and part of one
    EXPECT_EQ(Drawn, rows * cols);
    EXPECT_EQ(Grid->VisibleRowCount(), 8);

    // One invalidated cell paints only that cell.
    Drawn = 0;
    Grid->InvalidateCell(2, 4003);
    Grid->Update();
    EXPECT_EQ(Drawn, 1);
}

TEST_F(GridsTest, ProgramChangesFireWhatThePlatformFires) {
    Grid->SetRowCount(40);
    Form->Show();
    Log.clear();

    Grid->SetRow(3);
    EXPECT_EQ(Log, (std::vector<std::string>{"select 1,3", "click"}));

    Log.clear();
    RefusedCol = 2;
    RefusedRow = 3;
    Grid->SetCol(2); // refused: the cell stays, the click still comes
    EXPECT_EQ(Log, (std::vector<std::string>{"select 2,3", "click"}));
    EXPECT_EQ(Grid->Col(), 1);

    Log.clear();
    Grid->SetTopRow(20); // scrolling asks nothing
    EXPECT_EQ(Log, (std::vector<std::string>{"top 20"}));
    EXPECT_EQ(Grid->Row(), 3);

    Log.clear();
    Grid->SetRow(39); // a row out of view is scrolled in (last row at the bottom)
    EXPECT_EQ(Log.front(), "select 1,39");
    EXPECT_EQ(Grid->TopRow() + Grid->VisibleRowCount() - 1, 39);

    Log.clear();
    Grid->SetRowCount(10); // the current row leaves the grid: the last row is selected
    EXPECT_EQ(Log.front(), "select 1,9");
    EXPECT_EQ(Grid->Row(), 9);

    Log.clear();
    Grid->SetFixedRows(2); // the first scrolling cell becomes current, unasked
    EXPECT_TRUE(Log.empty());
    EXPECT_EQ(Grid->Row(), 2);
    EXPECT_EQ(Grid->TopRow(), 2);

    EXPECT_THROW(Grid->SetFixedRows(10), EInvalidGridOperation);
    EXPECT_THROW(Grid->SetColWidths(7, 10), EInvalidGridOperation);
    EXPECT_THROW(Grid->SetRow(10), EInvalidGridOperation);
}

TEST_F(GridsTest, ClickingAndArrowKeysMoveTheCurrentCell) {
    Grid->SetRowCount(30);
    ShowAndFocus();
    TestKit::ClickAt(Grid, CellCenter(3, 2));
    EXPECT_EQ(Log, (std::vector<std::string>{"select 3,2", "click"}));
    EXPECT_EQ(Grid->Col(), 3);
    EXPECT_EQ(Grid->Row(), 2);

    Log.clear();
    TestKit::ClickAt(Grid, CellCenter(0, 4)); // a fixed cell is no place to go
    EXPECT_TRUE(Log.empty());

    struct TKey {
        int key;
        TShiftState shift;
        int col, row;
    } keys[] = {
        {VK_DOWN, {}, 3, 3}, {VK_RIGHT, {}, 4, 3},      {VK_LEFT, {}, 3, 3},
        {VK_UP, {}, 3, 2},   {VK_HOME, {}, 1, 2},       {VK_END, {}, 4, 2},
        {VK_NEXT, {}, 4, 8}, {VK_END, {ssCtrl}, 4, 29}, {VK_HOME, {ssCtrl}, 1, 1},
        {VK_UP, {}, 1, 1}, // stays at the first scrolling row
    };
    for (const TKey& k : keys) {
        TestKit::PressKey(k.key, k.shift);
        EXPECT_EQ(Grid->Col(), k.col) << "key " << k.key;
        EXPECT_EQ(Grid->Row(), k.row) << "key " << k.key;
    }
    TestKit::PressKey(VK_END, {ssCtrl});
    EXPECT_GT(Grid->TopRow(), 20); // the last row was scrolled into view
}

TEST_F(GridsTest, ShiftExtendsARangeAndRowSelectSelectsWholeRows) {
    Grid->SetRowCount(10);
    ShowAndFocus();
    TestKit::ClickAt(Grid, CellCenter(1, 1));
    TestKit::PressKey(VK_DOWN, {ssShift}); // Shift with a key moves the current cell
    TestKit::PressKey(VK_RIGHT, {ssShift});
    EXPECT_EQ(Grid->Selection(), (TGridRect{1, 1, 2, 2}));
    EXPECT_EQ(Grid->Row(), 2);
    TestKit::ClickAt(Grid, CellCenter(3, 3), mbLeft, {ssShift}); // with a click, the anchor
    EXPECT_EQ(Grid->Selection(), (TGridRect{2, 2, 3, 3}));
    EXPECT_EQ(Grid->Row(), 2);

    Grid->SetOptions(Grid->Options() + TGridOptions{goRowSelect});
    Grid->SetRow(5);
    EXPECT_EQ(Grid->Selection(), (TGridRect{1, 5, 4, 5}));
    TestKit::PressKey(VK_DOWN);
    EXPECT_EQ(Grid->Selection(), (TGridRect{1, 6, 4, 6}));
}

TEST_F(GridsTest, TypingEditsTheCellAndEnterEndsTheEdit) {
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    ShowAndFocus();
    TestKit::ClickAt(Grid, CellCenter(2, 2));
    Log.clear();

    TestKit::TypeText("42"); // the first character replaces the cell's text
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->Visible());
    EXPECT_EQ(editor->BoundsRect(), Grid->CellRect(2, 2));
    EXPECT_EQ(editor->Text(), "42");
    EXPECT_EQ(Log, (std::vector<std::string>{"set 2,2=4", "set 2,2=42"}));
    // The grid stays the form's active control while its editor has the focus.
    EXPECT_EQ(Form->ActiveControl(), Grid);
    EXPECT_TRUE(Grid->IsActiveControl());

    Log.clear();
    TestKit::PressKey(VK_RETURN);
    EXPECT_FALSE(editor->Visible());
    EXPECT_EQ(Log, (std::vector<std::string>{"set 2,2=42"})); // hiding passes the text once more
    EXPECT_TRUE(Grid->Focused());

    // Enter again shows the editor with the cell's text all selected; typing replaces it.
    TestKit::PressKey(VK_RETURN);
    EXPECT_TRUE(editor->Visible());
    EXPECT_EQ(editor->SelLength(), 2);
    TestKit::TypeText("7");
    EXPECT_EQ(Cell(2, 2), "7");

    // Up and Down leave the cell, its editor hidden and its text passed on.
    TestKit::PressKey(VK_DOWN);
    EXPECT_FALSE(editor->Visible());
    EXPECT_EQ(Grid->Row(), 3);

    // F2 shows the editor with the caret after the text.
    TestKit::PressKey(VK_F2);
    EXPECT_TRUE(editor->Visible());
    EXPECT_EQ(editor->SelLength(), 0);
    EXPECT_EQ(editor->SelStart(), 3); // "2:3"
}

// The cell under the editor was painted with its old text; after Enter it shows the new
// one without waiting for the selection to move.
TEST_F(GridsTest, EnterShowsTheEditedCellsNewText) {
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    ShowAndFocus();
    TestKit::ClickAt(Grid, CellCenter(2, 2));
    TestKit::ProcessMessages();
    auto cellPixels = [this] {
        QImage img = TestKit::Render(Grid)->ToImage();
        TRect r = Grid->CellRect(2, 2);
        const TRect nc = Grid->NonClientBorder();
        return img.copy(r.Left + nc.Left, r.Top + nc.Top, r.Width(), r.Height());
    };
    const QImage before = cellPixels();
    TestKit::TypeText("4711");
    TestKit::PressKey(VK_RETURN);
    TestKit::ProcessMessages();
    ASSERT_EQ(Cell(2, 2), "4711");
    const QImage shown = cellPixels();
    Grid->Invalidate();
    TestKit::ProcessMessages();
    EXPECT_EQ(shown, cellPixels());
    EXPECT_NE(shown, before);
}

TEST_F(GridsTest, EditorKeysReachTheGridAndRefusedCharactersBeep) {
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    std::vector<int> gridKeys;
    Grid->SetOnKeyDown(
        TKeyEvent([&](TObject*, uint16_t& key, TShiftState) { gridKeys.push_back(key); }));
    ShowAndFocus();
    TestKit::PressKey(VK_RETURN);
    ASSERT_TRUE(Grid->InplaceEditor()->Visible());
    gridKeys.clear();

    int beeps = BeepCount();
    TestKit::TypeText("a1b");
    EXPECT_EQ(Grid->InplaceEditor()->Text(), "1");
    EXPECT_EQ(BeepCount() - beeps, 2);

    // Escape goes to the grid (a grid built on this one cancels the edit there); the base
    // grid leaves the editor as it is.
    gridKeys.clear();
    TestKit::PressKey(VK_ESCAPE);
    EXPECT_EQ(gridKeys, (std::vector<int>{VK_ESCAPE}));
    EXPECT_TRUE(Grid->InplaceEditor()->Visible());
}

TEST_F(GridsTest, AnAlwaysShownEditorFollowsTheCurrentCell) {
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing, goAlwaysShowEditor, goTabs});
    Grid->SetRowCount(40);
    ShowAndFocus();
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_NE(editor, nullptr); // shown as soon as the grid has had the focus
    EXPECT_TRUE(editor->Visible());
    TestKit::ClickAt(Grid, CellCenter(1, 2));
    EXPECT_TRUE(editor->Focused());
    EXPECT_EQ(editor->Text(), "1:2");

    // With the whole text selected Left and Right move the cell; with a caret inside the
    // text they move the caret, and past its end the cell.
    TestKit::PressKey(VK_F2); // the caret after the text
    TestKit::PressKey(VK_LEFT);
    EXPECT_EQ(Grid->Col(), 1);
    TestKit::PressKey(VK_RIGHT);
    EXPECT_EQ(Grid->Col(), 1);
    TestKit::PressKey(VK_RIGHT);
    EXPECT_EQ(Grid->Col(), 2);
    EXPECT_EQ(editor->Text(), "2:2");
    EXPECT_EQ(editor->BoundsRect(), Grid->CellRect(2, 2));
    TestKit::PressKey(VK_TAB);
    EXPECT_EQ(Grid->Col(), 3);
    EXPECT_TRUE(editor->Focused());

    // Scrolling moves the editor with its cell; out of view it hides.
    Grid->SetTopRow(3);
    EXPECT_FALSE(editor->Visible());
    Grid->SetTopRow(2);
    EXPECT_TRUE(editor->Visible());
    EXPECT_EQ(editor->BoundsRect(), Grid->CellRect(3, 2));
    EXPECT_EQ(editor->Top(), 25);
}

TEST_F(GridsTest, DraggingABorderSizesTheColumnOrRow) {
    Grid->SetOptions(Grid->Options() + TGridOptions{goColSizing, goRowSizing});
    ShowAndFocus();
    int sizedBefore = Grid->ColumnSized;
    // The border after column 1 lies at x = 65 + 64 = 129, in the header row.
    TestKit::Drag(Grid, TPoint(129, 10), TPoint(159, 10));
    EXPECT_EQ(Grid->ColWidths(1), 94);
    EXPECT_EQ(Grid->ColWidths(2), 64);
    EXPECT_EQ(Grid->ColumnSized, sizedBefore + 1);
    EXPECT_EQ(Grid->CellRect(2, 1).Left, 65 + 94 + 1);

    // The border below row 2 lies at y = 25 + 24 + 24 + 1 = 74, in the fixed column.
    TestKit::Drag(Grid, TPoint(20, 74), TPoint(20, 64));
    EXPECT_EQ(Grid->RowHeights(2), 14);

    // A drag inside the cells selects instead.
    TestKit::Drag(Grid, CellCenter(1, 1), CellCenter(2, 2));
    EXPECT_EQ(Grid->ColWidths(1), 94);
    EXPECT_EQ(Grid->Selection(), (TGridRect{1, 1, 2, 2}));
}

TEST_F(GridsTest, DraggingAHeaderMovesTheColumnWithItsWidth) {
    Grid->SetOptions(Grid->Options() + TGridOptions{goColMoving, goRowMoving});
    std::vector<std::string> moves;
    Grid->SetOnColumnMoved(TMovedEvent([&](TObject*, int from, int to) {
        moves.push_back(Format("col %d>%d", {from, to}));
    }));
    Grid->SetOnRowMoved(TMovedEvent([&](TObject*, int from, int to) {
        moves.push_back(Format("row %d>%d", {from, to}));
    }));
    Grid->SetColWidths(1, 40);
    ShowAndFocus();
    Grid->SetCol(1);
    TestKit::Drag(Grid, CellCenter(1, 0), CellCenter(3, 0));
    TestKit::Drag(Grid, CellCenter(0, 3), CellCenter(0, 1));
    EXPECT_EQ(moves, (std::vector<std::string>{"col 1>3", "row 3>1"}));
    EXPECT_EQ(Grid->ColWidths(3), 40);
    EXPECT_EQ(Grid->ColWidths(1), 64);
    EXPECT_EQ(Grid->Col(), 3); // the current cell went with its column
}

TEST_F(GridsTest, ScrollBarsFollowTheGridAndScrollIt) {
    Form->Show();
    // 5 columns of 65 pixels do not fit 296: only the horizontal bar.
    EXPECT_TRUE(Grid->HorzScrollBarVisible());
    EXPECT_FALSE(Grid->VertScrollBarVisible());
    EXPECT_EQ(Grid->ClientHeight(), 200 - 4 - 16);

    Grid->SetRowCount(8761);
    ASSERT_TRUE(Grid->VertScrollBarVisible());
    QScrollBar* bar = Grid->VertScrollBar();
    ASSERT_NE(bar, nullptr);
    int page = Grid->VisibleRowCount();
    Log.clear();
    Grid->Perform(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(Grid->TopRow(), 1 + page);
    EXPECT_EQ(bar->value(), page);
    Grid->Perform(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(Grid->TopRow() + Grid->VisibleRowCount() - 1, 8760);
    EXPECT_EQ(bar->value(), bar->maximum());
    Grid->Perform(WM_VSCROLL, MAKEWPARAM(int(SB_THUMBPOSITION), 99));
    EXPECT_EQ(Grid->TopRow(), 100);
    EXPECT_EQ(Log.back(), "top 100");
    EXPECT_EQ(Grid->Row(), 1); // scrolling leaves the current cell

    // A click on the bar's lower arrow scrolls one row.
    QRect g = bar->geometry();
    TRect nc = Grid->NonClientBorder();
    TestKit::ClickAt(Grid, TPoint(g.center().x() - nc.Left, g.bottom() - 4 - nc.Top));
    EXPECT_EQ(Grid->TopRow(), 101);

    // Rows that fit need no bar, and the top row comes back.
    Grid->SetRowCount(5);
    EXPECT_FALSE(Grid->VertScrollBarVisible());
    EXPECT_EQ(Grid->TopRow(), 1);
}

TEST_F(GridsTest, DoubleClickAndWheel) {
    Grid->SetRowCount(20);
    int doubles = 0;
    Grid->SetOnDblClick(TNotifyEvent([&](TObject*) { ++doubles; }));
    ShowAndFocus();
    TestKit::DoubleClickAt(Grid, CellCenter(2, 2));
    EXPECT_EQ(doubles, 1);
    Grid->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, -120));
    EXPECT_EQ(Grid->Row(), 3);
    Grid->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 120));
    EXPECT_EQ(Grid->Row(), 2);
}

TEST_F(GridsTest, RendersFixedCellsSelectionAndLines) {
    Grid->SetOnDrawCell(
        TDrawCellEvent([this](TObject*, int c, int r, const TRect& rect, TGridDrawState) {
            Grid->Canvas()->TextRect(rect, rect.Left + 2, rect.Top + 2, Format("%d:%d", {c, r}));
        }));
    Grid->SetRowCount(30);
    Form->Show();
    Grid->SetSelection(TGridRect{1, 1, 2, 2});
    QImage img = TestKit::Render(Grid)->ToImage();
    TTempFolder folder;
    EXPECT_TRUE(TestKit::RenderToPng(Grid, folder.File("grid.png")));

    auto pixel = [&](int x, int y) { // client coordinates
        TRect nc = Grid->NonClientBorder();
        QColor c = img.pixelColor(x + nc.Left, y + nc.Top);
        return RGB(c.red(), c.green(), c.blue());
    };
    EXPECT_EQ(pixel(60, 20), ColorToRGB(clBtnFace));     // fixed cell
    EXPECT_EQ(pixel(64, 30), clBlack);                   // fixed vertical line
    EXPECT_EQ(pixel(125, 45), ColorToRGB(clHighlight));  // selected, not the current cell
    EXPECT_EQ(pixel(200, 45), ColorToRGB(clWindow));     // outside the selection
    EXPECT_EQ(pixel(194, 60), clSilver);                 // line between normal cells
    EXPECT_EQ(pixel(0, 10), ColorToRGB(clBtnHighlight)); // raised edges of a fixed cell
    EXPECT_EQ(pixel(63, 10), ColorToRGB(clBtnShadow));
}

// A dialog over the main window: typed keys reach its grid, and Enter and Escape end the
// cell's edit before they reach the default and cancel buttons.
TEST_F(GridsTest, ASecondWindowsGridTakesTypingAndEnterEndsTheEditNotTheDialog) {
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    ShowAndFocus();
    TForm* dialog = new TForm(nullptr);
    dialog->SetName("fmDialog");
    dialog->SetBounds(60, 60, 320, 260);
    auto* grid = new TDigitGrid(dialog);
    grid->SetName("gdDialog");
    grid->SetParent(dialog);
    grid->SetBounds(0, 0, 300, 180);
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    std::map<std::pair<int, int>, std::string> cells;
    grid->SetOnSetEditText(TSetEditEvent([&](TObject*, int c, int r, const std::string& v) {
        cells[{c, r}] = v;
    }));
    auto* ok = new TButton(dialog);
    ok->SetParent(dialog);
    ok->SetBounds(10, 190, 80, 25);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = new TButton(dialog);
    cancel->SetParent(dialog);
    cancel->SetBounds(100, 190, 80, 25);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    dialog->Show();
    TestKit::Focus(grid);
    EXPECT_EQ(Screen->ActiveForm(), dialog);

    grid->SetCol(1);
    grid->SetRow(2);
    TestKit::TypeText("42");
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_EQ(grid->InplaceEditor()->Text(), "42");
    EXPECT_EQ(grid->InplaceEditor()->Parent(), grid);
    TestKit::PressKey(VK_RETURN);
    EXPECT_FALSE(grid->InplaceEditor()->Visible());
    EXPECT_EQ((cells[{1, 2}]), "42");
    EXPECT_EQ(dialog->ModalResult(), mrNone);
    EXPECT_TRUE(grid->Focused());
    // The main window's grid got nothing.
    EXPECT_TRUE(Log.empty());

    // Escape leaves the editor, not the dialog.
    TestKit::PressKey(VK_F2);
    EXPECT_TRUE(grid->InplaceEditor()->Visible());
    TestKit::PressKey(VK_ESCAPE);
    EXPECT_EQ(dialog->ModalResult(), mrNone);

    // With no edit open, Enter is the default button's.
    grid->SetEditorMode(false);
    TestKit::PressKey(VK_RETURN);
    EXPECT_EQ(dialog->ModalResult(), mrOk);
    delete dialog;
}

} // namespace
