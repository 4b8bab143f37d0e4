#pragma once
// The owner-drawn grid of the table editors: fixed cells that act as push buttons, a
// per-key filter and a length limit for the cell editor, a cell editor with three styles
// (simple, ellipsis button, drop-down pick list), Escape cancelling an edit, one focus
// rectangle over the whole row in row-select mode, column widths kept by a form
// placement, and the cell-text routines the windows' OnDrawCell handlers call.
//
// Editing: the editor's text goes to the cell (OnSetEditText) when the editor is hidden
// (moving to another cell, Enter, a press elsewhere), and only when the text was
// modified, so that visiting a cell never rewrites its value; a value chosen in the pick
// list or set by the ellipsis button counts as modified. Escape drops the text.

#include "framework/gui/Grids.h"
#include "framework/gui/StandardControls.h"
#include "persist/GuiUtils.h"
#include "persist/Placement.h"

#include <memory>
#include <string>

class TExDrawGrid;
class TExInplaceEdit;

enum TInplaceEditStyle { ieSimple, ieEllipsis, iePickList };

using TAcceptKeyEvent = TEvent<bool(TObject*, char32_t&)>;
using TEditLimitEvent = TEvent<void(TObject*, int&)>;
using TEditShowEvent = TEvent<void(TObject*, int, int, bool&)>;
using TFixedCellClickEvent = TEvent<void(TObject*, int, int)>;
using TFixedCellCheckEvent = TEvent<void(TObject*, int, int, bool&)>;
using TEditAlignEvent = TEvent<void(TObject*, int, int, TAlignment&)>;
using TPicklistEvent = TEvent<void(TObject*, int, int, TStrings*)>;
using TEditStyleEvent = TEvent<void(TObject*, int, int, TInplaceEditStyle&)>;

// The drop-down list of the cell editor: a top-level pop-up that never takes the focus,
// with typed-ahead search (characters typed within 4 seconds of each other build one
// search text).
class TPopupListbox : public TCustomListBox {
    ORV_CLASS(TPopupListbox, TCustomListBox)
public:
    explicit TPopupListbox(TComponent* owner);
    bool IsTopLevel() const override { return true; }
    const std::string& SearchText() const { return FSearchText; }
    // A key the editor passes on while the list is open.
    void EditorKey(UINT msg, WPARAM key);
    const TMouseEvent& OnListMouseUp() const { return FOnListMouseUp; }
    void SetOnListMouseUp(TMouseEvent value) { FOnListMouseUp = std::move(value); }

protected:
    void PrepareWindowParams(TCreateParams& params) override;
    void HandleKeyPress(char32_t& key) override;
    void HandleKeyDown(uint16_t& key, TShiftState shift) override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    std::string FSearchText;
    uint32_t FSearchTickCount = 0;
    bool FPressed = false;
    TMouseEvent FOnListMouseUp;
};

class TExInplaceEdit : public TInplaceEdit {
    ORV_CLASS(TExInplaceEdit, TInplaceEdit)
public:
    explicit TExInplaceEdit(TComponent* owner);
    ~TExInplaceEdit() override;

    TInplaceEditStyle EditStyle() const { return FEditStyle; }
    void SetEditStyle(TInplaceEditStyle value);
    TPopupListbox* PickList() const { return FPickList; }
    bool ListVisible() const { return FListVisible; }
    int ButtonWidth() const { return FButtonWidth; }
    // The strip of the ellipsis or drop-down button (client coordinates; empty when simple).
    TRect ButtonRect() const;
    bool Pressed() const { return FPressed; }
    void DropDown();
    void CloseUp(bool accept);
    // The editor's change handling (its OnChange).
    void NotifyChanged() { Change(); }

    void UpdateContents() override;
    void UpdateEditRect() override;
    void HandleMessage(TMessage& message) override;

protected:
    void PrepareWindowParams(TCreateParams& params) override;
    void PaintWindowContent(TCanvas* canvas) override;

private:
    TExDrawGrid* ExGrid() const;
    bool OverButton(int x, int y) const;
    void TrackButton(int x, int y);
    void StopTracking();
    // Enter, Escape, Alt+Up and Alt+Down of the pick list; true when the key was used.
    bool DropDownKeys(UINT key, TShiftState shift);
    void ListMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);

    int FButtonWidth;
    TPopupListbox* FPickList = nullptr;
    TPopupListbox* FActiveList = nullptr;
    TInplaceEditStyle FEditStyle = ieSimple;
    bool FListVisible = false;
    bool FTracking = false;
    bool FPressed = false;
};

class TExDrawGrid : public TDrawGrid {
    ORV_CLASS(TExDrawGrid, TDrawGrid)
public:
    explicit TExDrawGrid(TComponent* owner);
    ~TExDrawGrid() override;
    static void Publish(TPublisher<TExDrawGrid>& p);

    // ---- Properties
    bool FixedButtons() const { return FFixedButtons; }
    void SetFixedButtons(bool value);
    // The grid's own default drawing (the base grid's is kept off: this grid fills,
    // frames and focuses its cells itself).
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool value);
    TFormPlacement* IniStorage() const;
    void SetIniStorage(TFormPlacement* value);
    TExInplaceEdit* ExInplaceEditor() const;
    // The fixed cell shown pressed (-1, -1 when none).
    TGridCoord PressedCell() const { return {FPressedCol, FPressedRow}; }
    bool FixedButtonDown() const { return FPressed; }

    // ---- Cell text for OnDrawCell handlers
    // One line, vertically centred.
    void DrawCellLine(const TRect& rect, const std::string& text, TAlignment alignment);
    // Word-wrapped from the top.
    void DrawCellWrapped(const TRect& rect, const std::string& text, TAlignment alignment);
    void RedrawCell(int aCol, int aRow);
    void RedrawRow(int aRow);

    // ---- Events
    const TNotifyEvent& OnColumnSized() const { return FOnColumnSized; }
    void SetOnColumnSized(TNotifyEvent v) { FOnColumnSized = std::move(v); }
    const TNotifyEvent& OnRowSized() const { return FOnRowSized; }
    void SetOnRowSized(TNotifyEvent v) { FOnRowSized = std::move(v); }
    const TAcceptKeyEvent& OnAcceptEditKey() const { return FOnAcceptEditKey; }
    void SetOnAcceptEditKey(TAcceptKeyEvent v) { FOnAcceptEditKey = std::move(v); }
    const TEditLimitEvent& OnGetEditLimit() const { return FOnGetEditLimit; }
    void SetOnGetEditLimit(TEditLimitEvent v) { FOnGetEditLimit = std::move(v); }
    const TNotifyEvent& OnEditChange() const { return FOnEditChange; }
    void SetOnEditChange(TNotifyEvent v) { FOnEditChange = std::move(v); }
    const TEditShowEvent& OnShowEditor() const { return FOnShowEditor; }
    void SetOnShowEditor(TEditShowEvent v) { FOnShowEditor = std::move(v); }
    const TNotifyEvent& OnCancelEdit() const { return FOnCancelEdit; }
    void SetOnCancelEdit(TNotifyEvent v) { FOnCancelEdit = std::move(v); }
    const TFixedCellClickEvent& OnFixedCellClick() const { return FOnFixedCellClick; }
    void SetOnFixedCellClick(TFixedCellClickEvent v) { FOnFixedCellClick = std::move(v); }
    const TFixedCellCheckEvent& OnCheckButton() const { return FOnCheckButton; }
    void SetOnCheckButton(TFixedCellCheckEvent v) { FOnCheckButton = std::move(v); }
    const TNotifyEvent& OnChangeFocus() const { return FOnChangeFocus; }
    void SetOnChangeFocus(TNotifyEvent v) { FOnChangeFocus = std::move(v); }
    const TEditAlignEvent& OnGetEditAlign() const { return FOnGetEditAlign; }
    void SetOnGetEditAlign(TEditAlignEvent v) { FOnGetEditAlign = std::move(v); }
    const TNotifyEvent& OnEditButtonClick() const { return FOnEditButtonClick; }
    void SetOnEditButtonClick(TNotifyEvent v) { FOnEditButtonClick = std::move(v); }
    const TPicklistEvent& OnGetPicklist() const { return FOnGetPicklist; }
    void SetOnGetPicklist(TPicklistEvent v) { FOnGetPicklist = std::move(v); }
    const TEditStyleEvent& OnGetEditStyle() const { return FOnGetEditStyle; }
    void SetOnGetEditStyle(TEditStyleEvent v) { FOnGetEditStyle = std::move(v); }

    void HandleMessage(TMessage& message) override;

protected:
    friend class TExInplaceEdit;

    void PaintControl() override;
    TInplaceEdit* CreateCellEditor() override;
    bool CanShowEditor() override;
    void DrawGridCell(int aCol, int aRow, const TRect& rect, TGridDrawState state) override;
    void HandleKeyDown(uint16_t& key, TShiftState shift) override;
    bool AcceptEditKey(char32_t key) override;
    int EditLimit() override;
    void CommitEditText(int aCol, int aRow, const std::string& value) override;
    void AfterScroll() override;
    void AfterColumnSized() override;
    void AfterRowSized() override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleEditorCommand(TMessage& message) override;
    void HandleCancelMode(TMessage& message) override;
    void HandleFocusLost(TMessage& message) override;
    void HandleFocusGained(TMessage& message) override;

    virtual void EditTextChanged(TObject* sender);
    virtual void FixedCellClicked(int aCol, int aRow);
    virtual void CanPressFixedCell(int aCol, int aRow, bool& enabled);
    virtual void EditButtonClicked();
    virtual TAlignment EditAlignment(int aCol, int aRow);
    virtual TInplaceEditStyle EditStyle(int aCol, int aRow);
    virtual void FillPickList(int aCol, int aRow, TStrings* pickList);

private:
    void HandleDoubleClick(TMessage& message);
    void HandleRightButtonUp(TMessage& message);
    void TrackFixedButton(int x, int y);
    void StopButtonTracking();
    void SaveColumnWidths(TObject* sender);
    void LoadColumnWidths(TObject* sender);
    bool IsFixedCell(int aCol, int aRow) const;
    bool LeftButtonHeld() const;

    bool FCancelEditing = false;
    bool FFixedButtons = false;
    int FPressedCol = -1;
    int FPressedRow = -1;
    bool FPressed = false;
    bool FTracking = false;
    bool FSwapButtons = false;
    bool FDefaultDrawing = true;
    bool FDefaultDrawingMemo = true;
    bool FDoubleClickPress = false; // the press being handled is a double click's
    bool FLeftDown = false;         // as the last mouse message said
    std::unique_ptr<TIniLink> FIniLink;
    TNotifyEvent FOnColumnSized, FOnRowSized;
    TAcceptKeyEvent FOnAcceptEditKey;
    TEditLimitEvent FOnGetEditLimit;
    TNotifyEvent FOnEditChange;
    TEditShowEvent FOnShowEditor;
    TNotifyEvent FOnCancelEdit;
    TFixedCellClickEvent FOnFixedCellClick;
    TFixedCellCheckEvent FOnCheckButton;
    TNotifyEvent FOnChangeFocus;
    TEditAlignEvent FOnGetEditAlign;
    TNotifyEvent FOnEditButtonClick;
    TPicklistEvent FOnGetPicklist;
    TEditStyleEvent FOnGetEditStyle;
};
