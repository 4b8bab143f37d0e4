#pragma once
// Grids: TCustomGrid, a table of cells drawn by the program on its canvas, with fixed
// (header) columns and rows, a current cell and a selection, scrolling by the top row and
// the left column (with scroll bars), sizing and moving of columns and rows with the mouse,
// and a cell editor (TInplaceEdit) shown over the current cell. TDrawGrid hands the
// drawing, the selection and the editing text of each cell to its events.
//
// Geometry: column c is ColWidths(c) pixels wide and followed by a grid line of
// GridLineWidth pixels (none when neither goFixedVertLine nor goVertLine is set; rows
// likewise with the horizontal options). Fixed columns and rows stay in place; the others
// scroll, LeftCol and TopRow being the first shown. Only the visible cells are painted.
//
// Program changes fire what the platform fires: setting Col or Row asks SelectCell
// (OnSelectCell) and then fires OnClick; setting TopRow or LeftCol fires AfterScroll
// (OnTopLeftChanged); setting a column width or row height runs AfterColumnSized /
// AfterRowSized. FixedRows / FixedCols put the current cell at the first scrolling cell
// without asking anything.
//
// Editing (goEditing): Enter or F2 or a typed character shows the editor on the current
// cell (a typed character replaces the text); its text is loaded from GetEditText and every
// change is passed to CommitEditText at once (the grid consumes the editor's EN_CHANGE);
// hiding the editor passes the text once more. Enter hides it again; moving to another
// cell hides it.

#include "framework/core/Classes.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Messages.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/Types.h"

#include <cstdint>
#include <string>
#include <vector>

class QScrollBar;
class TCustomGrid;

enum TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking
};
using TGridOptions = TSet<TGridOption>;
constexpr TGridOptions kDefaultGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                                           goRangeSelect};

enum TGridDrawStateMember { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateMember>;

// What a mouse drag in progress does.
enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

// A cell: X is the column, Y the row.
struct TGridCoord {
    int X = 0;
    int Y = 0;
    friend constexpr bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// A block of cells, edges included.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend constexpr bool operator==(const TGridRect&, const TGridRect&) = default;
};

// Errors of grid operations (an index out of range, too many fixed cells).
class EInvalidGridOperation : public Exception {
public:
    using Exception::Exception;
};

// Sender, column, row, may select (set false to refuse).
using TSelectCellEvent = TEvent<void(TObject*, int, int, bool&)>;
// Sender, column, row, cell rectangle (client coordinates), state.
using TDrawCellEvent = TEvent<void(TObject*, int, int, const TRect&, TGridDrawState)>;
// Sender, column, row, text (the handler fills it).
using TGetEditEvent = TEvent<void(TObject*, int, int, std::string&)>;
// Sender, column, row, text.
using TSetEditEvent = TEvent<void(TObject*, int, int, const std::string&)>;
// Sender, index moved from, index moved to.
using TMovedEvent = TEvent<void(TObject*, int, int)>;

// ===========================================================================

// The cell editor: a borderless edit the grid places over its current cell. Its keys go
// to the grid first where they move the cell (Up, Down, PgUp, PgDn, Escape, Tab, and with
// goAlwaysShowEditor Left / Right / Home / End at the ends of the text); its typed
// characters pass the grid's AcceptEditKey. It never fires its own OnChange: its change
// notifications go to the grid. While it has the focus the grid stays its form's active
// control.
class TInplaceEdit : public TCustomEdit {
    ORV_CLASS(TInplaceEdit, TCustomEdit)
public:
    explicit TInplaceEdit(TComponent* owner);
    ~TInplaceEdit() override;

    TCustomGrid* Grid() const { return FGrid; }
    void SetGrid(TCustomGrid* grid) { FGrid = grid; }

    // Places the editor over loc (grid client coordinates), shows it and gives it the
    // focus when the grid has it; an empty rectangle hides it.
    void MoveTo(const TRect& loc);
    // The same for an editor that is shown already (after scrolling).
    void UpdateLoc(const TRect& loc);
    // Hides the editor; the focus goes back to the grid when the editor had it.
    void HideEdit();
    // Whether the editor is shown at rect.
    bool PosEqual(const TRect& rect) const;
    // No selection, the caret after the text.
    void Deselect();
    // Loads the current cell: the grid's edit limit and the cell's text (no change
    // notification).
    virtual void UpdateContents();
    // The editable rectangle after the editor moved: (2, 2, Width - 2, Height).
    virtual void UpdateEditRect();

    void HandleMessage(TMessage& message) override;

protected:
    void HandleKeyDown(uint16_t& key, TShiftState shift) override;
    void HandleKeyUp(uint16_t& key, TShiftState shift) override;
    void HandleKeyPress(char32_t& key) override;
    bool CanModify() const override;
    void ComponentNotification(TComponent* component, TOperation operation) override;

private:
    void InternalMove(const TRect& loc, bool redraw);
    void SendToGrid(uint16_t& key, TShiftState shift);
    void GridKeyEvent(uint16_t& key, TShiftState shift);
    TCustomGrid* FGrid = nullptr;
};

// ===========================================================================

class TCustomGrid : public TCustomControl {
    ORV_CLASS(TCustomGrid, TCustomControl)
public:
    explicit TCustomGrid(TComponent* owner);
    ~TCustomGrid() override;

    // ---- Size
    int ColCount() const { return FColCount; }
    void SetColCount(int value);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int value);
    // Raise EInvalidGridOperation unless less than the column (row) count.
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int value);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int value);
    // Setting a default gives every column (row) that size.
    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int value);
    int ColWidths(int index) const;
    void SetColWidths(int index, int value);
    int RowHeights(int index) const;
    void SetRowHeights(int index, int value);
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int value);
    // Width and height of all cells with their lines, or of the client area when smaller.
    int GridWidth() const;
    int GridHeight() const;

    // ---- Look
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor value);
    // With default drawing the grid fills each cell (highlighted when selected), draws the
    // raised edges of fixed cells and the focus rectangle; otherwise DrawGridCell does all.
    // Setting it repaints nothing.
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle value);
    // bsSingle: a sunken edge (a line without Ctl3D) around the client area.
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    // The 3-D look: fixed cells drawn as raised buttons.
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool value);

    // ---- Current cell and selection
    int Col() const { return FCurrent.X; }
    void SetCol(int value);
    int Row() const { return FCurrent.Y; }
    void SetRow(int value);
    TGridRect Selection() const;
    void SetSelection(const TGridRect& value);
    // Whether the editor is wanted (shown while the grid may show it).
    bool EditorMode() const { return FEditorMode; }
    void SetEditorMode(bool value);
    TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
    TGridState GridState() const { return FGridState; }

    // ---- Scrolling
    int TopRow() const { return FTopLeft.Y; }
    void SetTopRow(int value);
    int LeftCol() const { return FTopLeft.X; }
    void SetLeftCol(int value);
    // Scrolling cells wholly shown.
    int VisibleColCount();
    int VisibleRowCount();
    // Whether the scroll bar is shown now.
    bool VertScrollBarVisible() const { return FVertBarShown; }
    bool HorzScrollBarVisible() const { return FHorzBarShown; }
    QScrollBar* VertScrollBar() const { return FVertBar; }
    QScrollBar* HorzScrollBar() const { return FHorzBar; }

    // ---- Geometry (client coordinates)
    // The cell's rectangle without its lines, cut at the client area; empty when the cell
    // is not shown.
    TRect CellRect(int aCol, int aRow);
    // The rectangle of the shown part of a block of cells.
    TRect BoxRect(int aLeft, int aTop, int aRight, int aBottom);
    // The cell under the point; (-1, -1) when there is none.
    TGridCoord MouseCoord(int x, int y);
    void MouseToCell(int x, int y, int& aCol, int& aRow);
    void InvalidateCell(int aCol, int aRow);
    void InvalidateCol(int aCol);
    void InvalidateRow(int aRow);
    void InvalidateGrid() { Invalidate(); }
    void InvalidateGridRect(const TGridRect& r);

    // ---- Moving columns and rows (their sizes go with them)
    void MoveColumn(int fromIndex, int toIndex);
    void MoveRow(int fromIndex, int toIndex);

    // The grid is its form's active control (without a form: the focus is in the grid).
    bool IsActiveControl() const;

    TRect NonClientBorder() const override;
    void HandleMessage(TMessage& message) override;
    // Typed characters that reach the grid show the editor (goEditing) and go into it.
    void DefaultHandler(TMessage& message) override;

protected:
    friend class TInplaceEdit;

    // ---- Override points
    // Draws one cell; the base draws nothing (TDrawGrid fires OnDrawCell).
    virtual void DrawGridCell(int aCol, int aRow, const TRect& rect, TGridDrawState state);
    // Whether the cell may become current (TDrawGrid asks OnSelectCell).
    virtual bool SelectCell(int aCol, int aRow);
    // The text the editor starts with (TDrawGrid asks OnGetEditText).
    virtual std::string GetEditText(int aCol, int aRow);
    // The editor's text for the cell (TDrawGrid fires OnSetEditText).
    virtual void CommitEditText(int aCol, int aRow, const std::string& value);
    // The editor's maximum length: 0 none, -1 read-only.
    virtual int EditLimit();
    // Whether a typed character may go into the editor.
    virtual bool AcceptEditKey(char32_t key);
    // Whether the grid handles a key at all (false: the key is dropped).
    virtual bool CanGridAcceptKey(uint16_t key, TShiftState shift);
    // Whether the editor may change the text.
    virtual bool CanEditModify();
    // Whether the editor may show now: goEditing without goRowSelect, editor mode, a
    // window, and the grid active (or goAlwaysShowEditor).
    virtual bool CanShowEditor();
    // Makes the cell editor (owned by the grid).
    virtual TInplaceEdit* CreateCellEditor();
    // The top row or left column changed: the editor follows its cell.
    virtual void AfterScroll();
    // A column width (row height) or the default changed: scroll range and editor follow.
    virtual void AfterColumnSized();
    virtual void AfterRowSized();
    // A column (row) was moved by the user or MoveColumn (MoveRow).
    virtual void ColumnMoved(int fromIndex, int toIndex) {}
    virtual void RowMoved(int fromIndex, int toIndex) {}
    // The column or row count changed.
    virtual void SizeChanged(int oldColCount, int oldRowCount) {}

    // ---- Message handlers
    virtual void HandleFocusGained(TMessage& message);
    virtual void HandleFocusLost(TMessage& message);
    virtual void HandleCancelMode(TMessage& message);
    // WM_COMMAND: the editor's change notification is consumed (its text is committed);
    // other commands get the base handling.
    virtual void HandleEditorCommand(TMessage& message);

    void PaintControl() override;
    void PaintNonClient(TCanvas* canvas) override;
    void HandleKeyDown(uint16_t& key, TShiftState shift) override;
    void HandleKeyUp(uint16_t& key, TShiftState shift) override;
    void HandleKeyPress(char32_t& key) override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void AfterWindowCreated() override;
    void BeforeWindowDestroyed() override;
    void ComponentNotification(TComponent* component, TOperation operation) override;

    // ---- Editor
    void ShowEditor();
    void HideEditor();
    // Shows the editor and hands it the typed character.
    void ShowEditorChar(char32_t ch);
    // Shows the editor on the current cell when it may show (moving it from another cell).
    void UpdateEdit();
    // Hides the editor after passing its text on.
    void HideEdit();
    // Passes the editor's text to CommitEditText for the cell it edits.
    void UpdateText();

    // ---- Moving the current cell and the view
    // Makes (aCol, aRow) current when SelectCell allows it; the anchor follows unless a
    // range is being extended; show scrolls it into view.
    void MoveCurrent(int aCol, int aRow, bool moveAnchor, bool show);
    // MoveCurrent, the editor follows, OnClick.
    void FocusCell(int aCol, int aRow, bool moveAnchor);
    void MoveAnchor(const TGridCoord& anchor);
    void MoveTopLeft(int aLeft, int aTop);
    void ClampInView(const TGridCoord& coord);
    // The sizing border under the point: gsColSizing / gsRowSizing, or gsNormal.
    TGridState SizingStateAt(int x, int y);
    // The largest top-left cell (last cells still fill the client area).
    TGridCoord MaxTopLeft();

private:
    struct TAxisInfo {
        int LineWidth = 0;
        int FixedBoundary = 0;
        int GridBoundary = 0;
        int GridExtent = 0;
        int LastFullVisibleCell = 0;
        int FullVisBoundary = 0;
        int FixedCellCount = 0;
        int FirstGridCell = 0;
        int GridCellCount = 0;
        const std::vector<int>* Extents = nullptr;
        int Extent(int i) const { return (*Extents)[size_t(i)]; }
    };
    struct TSizingInfo {
        TGridState State = gsNormal;
        int Index = -1;
        int Pos = 0;
        int Offset = 0;
    };

    void CalcAxis(TAxisInfo& axis, int extent, bool horizontal) const;
    void CalcDrawInfo(TAxisInfo& horz, TAxisInfo& vert) const;
    static int CalcMaxCell(const TAxisInfo& axis, int start);
    // Screen span of cells lo..hi of the axis; false when none of it shows.
    static bool AxisSpan(const TAxisInfo& axis, int lo, int hi, bool includeLine, int& start,
                         int& end);
    static int AxisCoord(const TAxisInfo& axis, int pos);
    TSizingInfo CalcSizing(int x, int y);
    static bool AxisSizing(const TAxisInfo& axis, int pos, TGridState state, TSizingInfo& info);

    void ChangeSize(int newColCount, int newRowCount);
    void Initialize();
    void SelectionMoved(const TGridRect& oldSel);
    void DrawLines(const TAxisInfo& horz, const TAxisInfo& vert, bool doHorz, bool doVert, int col,
                   int row, const TRect& bounds, TColor onColor, TColor offColor);
    void DrawCells(const TAxisInfo& horz, const TAxisInfo& vert, int col, int row,
                   const TRect& bounds, TColor color, TGridDrawState include, bool activeGrid,
                   const TGridRect& sel, const TRect& clip);
    void DrawDragFeedback(const TAxisInfo& horz, const TAxisInfo& vert);
    TRect DragFeedbackRect();

    // Scroll bars.
    void UpdateScrollRange();
    void UpdateScrollPos();
    void LayoutScrollBars();
    bool NeedsBar(bool vertical, bool vertShown, bool horzShown) const;
    void ScrollMessage(bool vertical, WPARAM wParam);
    void BarAction(bool vertical, int action);
    void BarReleased(bool vertical);
    int BarRange(bool vertical);
    int BorderWidth() const;

    void TimerScroll();
    void UpdateSizingCursor();

    int FColCount = 5;
    int FRowCount = 5;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    int FGridLineWidth = 1;
    std::vector<int> FColWidths;
    std::vector<int> FRowHeights;
    TGridOptions FOptions = kDefaultGridOptions;
    TColor FFixedColor = clBtnFace;
    bool FDefaultDrawing = true;
    TScrollStyle FScrollBars = ssBoth;
    TBorderStyle FBorderStyle = bsSingle;
    bool FCtl3D = true;

    TGridCoord FCurrent{1, 1};
    TGridCoord FAnchor{1, 1};
    TGridCoord FTopLeft{1, 1};
    TGridState FGridState = gsNormal;
    TSizingInfo FSizing;
    int FMoveIndex = -1;
    int FMovePos = -1;

    bool FEditorMode = false;
    TInplaceEdit* FInplaceEdit = nullptr;
    int FInplaceCol = -1;
    int FInplaceRow = -1;
    bool FCanEditModify = true;
    bool FFocusFromEditor = false;

    bool FVertBarShown = false;
    bool FHorzBarShown = false;
    QScrollBar* FVertBar = nullptr;
    QScrollBar* FHorzBar = nullptr;
    int FBarSize = 16;
    int FSettingBars = 0;
};

// ===========================================================================

// A grid whose cells the program draws in OnDrawCell, with OnSelectCell and the editing
// events.
class TDrawGrid : public TCustomGrid {
    ORV_CLASS(TDrawGrid, TCustomGrid)
public:
    explicit TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}
    static void Publish(TPublisher<TDrawGrid>& p);

    const TDrawCellEvent& OnDrawCell() const { return FOnDrawCell; }
    void SetOnDrawCell(TDrawCellEvent value) { FOnDrawCell = std::move(value); }
    const TSelectCellEvent& OnSelectCell() const { return FOnSelectCell; }
    void SetOnSelectCell(TSelectCellEvent value) { FOnSelectCell = std::move(value); }
    const TGetEditEvent& OnGetEditText() const { return FOnGetEditText; }
    void SetOnGetEditText(TGetEditEvent value) { FOnGetEditText = std::move(value); }
    const TSetEditEvent& OnSetEditText() const { return FOnSetEditText; }
    void SetOnSetEditText(TSetEditEvent value) { FOnSetEditText = std::move(value); }
    const TMovedEvent& OnColumnMoved() const { return FOnColumnMoved; }
    void SetOnColumnMoved(TMovedEvent value) { FOnColumnMoved = std::move(value); }
    const TMovedEvent& OnRowMoved() const { return FOnRowMoved; }
    void SetOnRowMoved(TMovedEvent value) { FOnRowMoved = std::move(value); }
    const TNotifyEvent& OnTopLeftChanged() const { return FOnTopLeftChanged; }
    void SetOnTopLeftChanged(TNotifyEvent value) { FOnTopLeftChanged = std::move(value); }

protected:
    void DrawGridCell(int aCol, int aRow, const TRect& rect, TGridDrawState state) override;
    bool SelectCell(int aCol, int aRow) override;
    std::string GetEditText(int aCol, int aRow) override;
    void CommitEditText(int aCol, int aRow, const std::string& value) override;
    void ColumnMoved(int fromIndex, int toIndex) override;
    void RowMoved(int fromIndex, int toIndex) override;
    void AfterScroll() override;

private:
    TDrawCellEvent FOnDrawCell;
    TSelectCellEvent FOnSelectCell;
    TGetEditEvent FOnGetEditText;
    TSetEditEvent FOnSetEditText;
    TMovedEvent FOnColumnMoved;
    TMovedEvent FOnRowMoved;
    TNotifyEvent FOnTopLeftChanged;
};
