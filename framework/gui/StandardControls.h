#pragma once
// The standard controls: labels and static texts, edits and memos, check boxes, radio
// buttons and radio groups, group boxes, combo boxes, list boxes, push buttons and scroll
// bars.
//
// Window controls wrap the matching Qt widget (created through CreateNativeWidget); labels
// are graphic controls drawn by us. Changes follow the platform's event rules:
// - a change made by the user fires the control's event once, after the value changed;
// - a change made by the program fires the same event as on the platform and no other:
//   TEdit.Text and TMemo.Lines fire OnChange (the notification comes from the window, so
//   an edit without a window yet only stores its text), TCheckBox.Checked and
//   TRadioGroup.ItemIndex fire OnClick when the value changes, TScrollBar.Position fires
//   OnChange, and TComboBox.ItemIndex / TListBox.ItemIndex fire nothing.
// Qt's signals are connected only where they mean a user action (activated, textEdited,
// clicked, actionTriggered), and are blocked while the program sets a value.

#include "framework/core/Classes.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Messages.h"
#include "framework/gui/Types.h"

#include <memory>
#include <string>
#include <vector>

class QLineEdit;
class QPlainTextEdit;
class QComboBox;
class QListWidget;
class QAbstractButton;
class QScrollBar;

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TLeftRight { taLeftSide, taRightSide };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};

// State of an owner-drawn item.
enum TOwnerDrawStateMember {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odHotLight,
    odInactive,
    odNoAccel,
    odNoFocusRect,
    odReserved1,
    odReserved2,
    odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateMember>;

// Control, item index, item rectangle (control client coordinates), state.
using TDrawItemEvent = TEvent<void(TWinControl*, int, TRect, TOwnerDrawState)>;
// Sender, scroll code, position (may be changed).
using TScrollEvent = TEvent<void(TObject*, TScrollCode, int&)>;

// Text with accelerator marks: "&x" marks x, "&&" is a literal "&" (StripHotkey of the
// menus removes the marks).
// The marked character, lower-cased (0 when none).
char32_t GetHotkey(const std::string& text);
// Whether the character is the text's accelerator (compared without regard to case).
bool IsAccel(char32_t ch, const std::string& text);

// True when the control and each of its parents are enabled (a control inside a disabled
// container takes no input and is shown disabled, whatever its own Enabled says).
bool EffectivelyEnabled(const TControl* control);

// ===========================================================================
// Labels

// A text drawn on its parent's window. "&x" in the caption underlines x and makes it the
// accelerator: Alt+x (or x alone when the focus is on a control that takes no characters)
// focuses FocusControl. Without ShowAccelChar the caption is shown as it is.
class TCustomLabel : public TGraphicControl {
    ORV_CLASS(TCustomLabel, TGraphicControl)
public:
    explicit TCustomLabel(TComponent* owner);
    static void Publish(TPublisher<TCustomLabel>& p);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout value);
    // With AutoSize the label takes the size of its text (keeping its width when it word
    // wraps); a right-aligned label keeps its right edge.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool value);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* value);

    // The DT_ flags the caption is drawn with.
    unsigned DrawTextFlags() const;
    // Resizes the label to its text (AutoSize does it on every change).
    void AdjustBounds();

protected:
    void PaintControl() override;
    void HandleMessage(TMessage& message) override;
    void ComponentNotification(TComponent* component, TOperation operation) override;
    // Draws the caption in rect with the flags (DT_CALCRECT only measures).
    virtual void DoDrawText(TRect& rect, unsigned flags);

private:
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FAutoSize = true;
    bool FWordWrap = false;
    bool FTransparent = false;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
    ORV_CLASS(TLabel, TCustomLabel)
public:
    explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

enum TStaticBorderStyle { sbsNone, sbsSingle, sbsSunken };

// A text in a window of its own, drawn by us (value boxes: right-aligned and sunken).
class TCustomStaticText : public TCustomControl {
    ORV_CLASS(TCustomStaticText, TCustomControl)
public:
    explicit TCustomStaticText(TComponent* owner);
    static void Publish(TPublisher<TCustomStaticText>& p);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    TStaticBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TStaticBorderStyle value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool value);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* value);
    void AdjustBounds();

protected:
    void PaintControl() override;
    void HandleMessage(TMessage& message) override;
    void ComponentNotification(TComponent* component, TOperation operation) override;

private:
    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = true;
    TStaticBorderStyle FBorderStyle = sbsNone;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

class TStaticText : public TCustomStaticText {
    ORV_CLASS(TStaticText, TCustomStaticText)
public:
    explicit TStaticText(TComponent* owner) : TCustomStaticText(owner) {}
};

// ===========================================================================
// Edits

// A single-line edit over a QLineEdit.
//
// Notifications: every change of the text, typed or set by the program, goes to the parent
// as WM_COMMAND with EN_CHANGE in the high word of WParam and the edit's handle in LParam;
// the parent reflects it back as CN_COMMAND, on which the edit runs Change (OnChange). A
// parent may consume the notification by not passing WM_COMMAND on (the grid does for its
// cell editor). A text set by the program clears Modified; a typed change sets it.
//
// Override points for edits built on this one (the spin edit, the grid's cell editor):
// - HandleKeyDown / HandleKeyPress (set the key to 0 to consume it; the character then
//   never reaches the text), HandleEnter / HandleExit (focus arrives / leaves; the base
//   selects all on entry with AutoSelect, then fires OnEnter / OnExit);
// - HandleCut / HandlePaste / HandleClear: the WM_CUT, WM_PASTE and WM_CLEAR messages.
//   CutToClipboard, PasteFromClipboard and ClearSelection send them, and so do the keys
//   Ctrl+X / Shift+Del, Ctrl+V / Shift+Ins and Del with a selection; the base carries
//   them out unless ReadOnly;
// - Change: the text changed (fires OnChange);
// - PrepareWindowParams / AfterWindowCreated: the window's life (the base reads Alignment,
//   ReadOnly, MaxLength... into the widget after creation); RecreateWnd keeps the text,
//   the selection and Modified;
// - PaintWindowContent: draws over what the widget painted (client coordinates), for
//   buttons inside the edit; the editable rectangle keeps the text clear of them;
// - HandleMessage: the window procedure; mouse messages not passed on never reach the
//   widget (a button strip inside the edit).
class TCustomEdit : public TWinControl {
    ORV_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* owner);
    ~TCustomEdit() override;
    static void Publish(TPublisher<TCustomEdit>& p);

    // ---- Text
    std::string Text() const override;
    // Sets the text when it differs (clears Modified; with a window: notifies EN_CHANGE).
    void SetText(const std::string& value) override;
    void Clear() { SetText(""); }
    // 0 = no limit; counted in characters. A longer text set by the program is kept.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    // All text is selected when the focus arrives by keyboard or program.
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool value) { FAutoSelect = value; }
    // The height follows the font (text height + borders) when set.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase value);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool value) { FHideSelection = value; }
    // 0: shown as typed; otherwise every character shows as this one.
    char32_t PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char32_t value);
    // Horizontal alignment of the text; changing it re-creates the window.
    TAlignment Alignment() const { return FAlignment; }
    virtual void SetAlignment(TAlignment value);
    bool Modified() const;
    void SetModified(bool value);

    // ---- Selection (character positions)
    int SelStart() const;
    virtual void SetSelStart(int value);
    int SelLength() const;
    virtual void SetSelLength(int value);
    std::string SelText() const;
    // Replaces the selection (a change by the program: notifies EN_CHANGE).
    void SetSelText(const std::string& value);
    void SelectAll();
    void ClearSelection() { Perform(WM_CLEAR); }
    void CutToClipboard() { Perform(WM_CUT); }
    void CopyToClipboard() { Perform(WM_COPY); }
    void PasteFromClipboard() { Perform(WM_PASTE); }
    void Undo();
    bool CanUndo() const;
    // The caret's character position.
    int CaretPos() const;

    // ---- The editable rectangle (client coordinates): text is shown and typed only in
    // it. The default is the client area inside the frame.
    TRect EditRect() const;
    void SetEditRect(const TRect& rect);
    // Back to the default rectangle.
    void ResetEditRect();

    // ---- Events
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }

    // The widget (created on demand).
    QLineEdit* LineEdit();

    void HandleMessage(TMessage& message) override;
    // Keys that type a character (and Backspace) reach the widget with their WM_CHAR.
    void DefaultHandler(TMessage& message) override;

protected:
    // The text changed (typed or by the program): fires OnChange.
    virtual void Change();
    void HandleKeyDown(uint16_t& key, TShiftState shift) override;
    void HandleKeyPress(char32_t& key) override;
    void HandleEnter() override;
    void HandleExit() override;
    // WM_CUT, WM_PASTE, WM_CLEAR, WM_COPY, WM_UNDO: the clipboard operations on the
    // selection. Cut, paste, clear and undo do nothing when ReadOnly.
    virtual void HandleCut(TMessage& message);
    virtual void HandlePaste(TMessage& message);
    virtual void HandleClear(TMessage& message);
    virtual void HandleCopy(TMessage& message);
    virtual void HandleUndo(TMessage& message);
    // Whether the user may change the text now (not ReadOnly).
    virtual bool CanModify() const { return !FReadOnly; }

    QWidget* CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) override;
    void AfterWindowCreated() override;
    void BeforeWindowDestroyed() override;
    void HandleResize() override;
    // Sends the change notification to the parent (or straight to the edit without one).
    void NotifyChange();
    // The text as a program would set it, without notifications (loading a cell's text).
    void SetTextSilently(const std::string& value);
    void AdjustHeight();

    TNotifyEvent FOnChange;

private:
    void ApplyEditRect();
    void PaintOverlay(TMessage& message);
    void UserEdited();
    // Runs a change of the widget's text on the user's command (paste, clear, undo): the
    // widget's own notice is left out, and the change counts as the user's.
    void EditAsUser(const std::function<void()>& edit);

    int FMaxLength = 0;
    bool FReadOnly = false;
    bool FAutoSelect = true;
    bool FAutoSize = true;
    TBorderStyle FBorderStyle = bsSingle;
    TEditCharCase FCharCase = ecNormal;
    bool FHideSelection = true;
    char32_t FPasswordChar = 0;
    TAlignment FAlignment = taLeftJustify;
    bool FModified = false;
    bool FHasEditRect = false;
    TRect FEditRect;
    int FSelStart = 0;
    int FSelLength = 0;
    int FSetting = 0; // the program is changing the widget
    bool FMouseEntering = false;
};

class TEdit : public TCustomEdit {
    ORV_CLASS(TEdit, TCustomEdit)
public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

// A multi-line edit over a QPlainTextEdit. Lines is the text line by line; changing
// Lines or Text by the program notifies EN_CHANGE as for an edit (once per operation).
class TCustomMemo : public TWinControl {
    ORV_CLASS(TCustomMemo, TWinControl)
public:
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;
    static void Publish(TPublisher<TCustomMemo>& p);

    std::string Text() const override;
    void SetText(const std::string& value) override;
    TStrings* Lines() const { return FLines.get(); }
    void SetLines(const TStrings* value);
    void Clear() { SetText(""); }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int value) { FMaxLength = value; }
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool value) { FWantReturns = value; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool value) { FWantTabs = value; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    bool Modified() const { return FModified; }
    void SetModified(bool value) { FModified = value; }
    int SelStart() const;
    void SetSelStart(int value);
    int SelLength() const;
    void SetSelLength(int value);
    std::string SelText() const;
    void SelectAll();

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }

    void HandleMessage(TMessage& message) override;

protected:
    virtual void Change();
    QWidget* CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) override;
    void AfterWindowCreated() override;
    void BeforeWindowDestroyed() override;

private:
    friend class TMemoStrings;
    void NotifyChange();
    void LinesChanged();
    void ApplyText();

    std::unique_ptr<TStringList> FLines;
    bool FReadOnly = false;
    int FMaxLength = 0;
    TScrollStyle FScrollBars = ssNone;
    bool FWordWrap = true;
    bool FWantReturns = true;
    bool FWantTabs = false;
    TAlignment FAlignment = taLeftJustify;
    bool FModified = false;
    int FSetting = 0;
    int FSelStart = 0, FSelLength = 0;
    TNotifyEvent FOnChange;
};

class TMemo : public TCustomMemo {
    ORV_CLASS(TMemo, TCustomMemo)
public:
    explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};

// ===========================================================================
// Buttons

// The base of push buttons, check boxes and radio buttons: a Qt button whose clicks (by
// mouse, space or accelerator) run Click.
class TButtonControl : public TWinControl {
    ORV_CLASS(TButtonControl, TWinControl)
public:
    explicit TButtonControl(TComponent* owner);
    static void Publish(TPublisher<TButtonControl>& p);
    // The control's state as a check box or radio button (false for push buttons).
    virtual bool Checked() const { return false; }
    virtual void SetChecked(bool) {}
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value) { FWordWrap = value; }
    void HandleMessage(TMessage& message) override;

protected:
    // The Qt button was clicked by the user (mouse release on it, space, accelerator).
    virtual void ButtonClicked() { Click(); }
    // Connects the button's clicked signal to ButtonClicked.
    void ConnectButton(QAbstractButton* button);
    // A linked action also gives its Checked (without clicking the button).
    void ActionChange(TBasicAction* sender) override;
    // Clicks of the Qt button are not passed on while set.
    int FClicksDisabled = 0;

private:
    bool FWordWrap = false;
};

// A push button. Default: Enter clicks it (unless the focus is on another button);
// Cancel: Escape clicks it. A click sets the parent form's ModalResult to the button's
// ModalResult (which closes a modal form when not mrNone), then fires OnClick.
class TButton : public TButtonControl {
    ORV_CLASS(TButton, TButtonControl)
public:
    explicit TButton(TComponent* owner);
    static void Publish(TPublisher<TButton>& p);
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value) { FCancel = value; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult value) { FModalResult = value; }
    void Click() override;
    void HandleMessage(TMessage& message) override;

protected:
    QWidget* CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) override;
    void AfterWindowCreated() override;
    // True when Enter would click this button now.
    bool IsActiveDefault() const;

private:
    bool FDefault = false;
    bool FCancel = false;
    TModalResult FModalResult = mrNone;
};

class TCustomCheckBox : public TButtonControl {
    ORV_CLASS(TCustomCheckBox, TButtonControl)
public:
    explicit TCustomCheckBox(TComponent* owner);
    static void Publish(TPublisher<TCustomCheckBox>& p);
    // Setting the state fires OnClick when it changes.
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState value);
    bool Checked() const override { return FState == cbChecked; }
    void SetChecked(bool value) override { SetState(value ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool value);
    // The side of the box the caption stands on (taRightJustify: caption right of box).
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);

protected:
    QWidget* CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) override;
    void AfterWindowCreated() override;
    // The user toggled the box: unchecked → checked → grayed (with AllowGrayed) → ...
    virtual void Toggle();
    void ButtonClicked() override;

private:
    void UpdateWidget();
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
    ORV_CLASS(TCheckBox, TCustomCheckBox)
public:
    explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

// A radio button: checking it unchecks the other radio buttons of the same parent.
// Setting Checked to True fires OnClick when it changes; unchecking fires nothing.
class TRadioButton : public TButtonControl {
    ORV_CLASS(TRadioButton, TButtonControl)
public:
    explicit TRadioButton(TComponent* owner);
    static void Publish(TPublisher<TRadioButton>& p);
    bool Checked() const override { return FChecked; }
    void SetChecked(bool value) override;
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);

protected:
    QWidget* CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) override;
    void AfterWindowCreated() override;
    void ButtonClicked() override;

private:
    void UpdateWidget();
    bool FChecked = false;
    TAlignment FAlignment = taRightJustify;
};

// ===========================================================================
// Group boxes

// A frame with a caption around other controls, drawn by us. Disabled, its children take
// no input and are shown disabled while their own Enabled stays as set.
class TCustomGroupBox : public TCustomControl {
    ORV_CLASS(TCustomGroupBox, TCustomControl)
public:
    explicit TCustomGroupBox(TComponent* owner);
    static void Publish(TPublisher<TCustomGroupBox>& p);

protected:
    void PaintControl() override;
    void ArrangeChildren(TControl* control, TRect& rect) override;
    void HandleMessage(TMessage& message) override;
};

class TGroupBox : public TCustomGroupBox {
    ORV_CLASS(TGroupBox, TCustomGroupBox)
public:
    explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
};

// A group box of radio buttons, one per item, in Columns columns (filled top to bottom).
// ItemIndex is the checked button (-1 none). OnClick fires when ItemIndex changes, by the
// user or by the program.
class TCustomRadioGroup : public TCustomGroupBox {
    ORV_CLASS(TCustomRadioGroup, TCustomGroupBox)
public:
    explicit TCustomRadioGroup(TComponent* owner);
    ~TCustomRadioGroup() override;
    static void Publish(TPublisher<TCustomRadioGroup>& p);

    TStrings* Items() const { return FItems.get(); }
    void SetItems(const TStrings* value);
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int value);
    int Columns() const { return FColumns; }
    void SetColumns(int value);
    // The button of item index (valid until the items change).
    TRadioButton* Buttons(int index) const { return FButtons.at(index); }
    int ButtonCount() const { return int(FButtons.size()); }

    void AfterLoad() override;

protected:
    void HandleMessage(TMessage& message) override;
    void HandleResize() override;
    // Whether the selection may change (the base always allows it).
    virtual bool CanModify() const { return true; }

private:
    void UpdateButtons();
    void ArrangeButtons();
    void ButtonClick(TRadioButton* button);
    void ItemsChanged(TObject* sender);

    std::unique_ptr<TStringList> FItems;
    std::vector<TRadioButton*> FButtons;
    int FItemIndex = -1;
    int FColumns = 1;
    bool FUpdating = false;
};

class TRadioGroup : public TCustomRadioGroup {
    ORV_CLASS(TRadioGroup, TCustomRadioGroup)
public:
    explicit TRadioGroup(TComponent* owner) : TCustomRadioGroup(owner) {}
};

// ===========================================================================
// Lists

// A list of items over a QListWidget. ItemIndex set by the program fires nothing; a
// selection by the user fires OnClick (and notifies LBN_SELCHANGE to the parent).
// Owner-draw fixed: each item is ItemHeight pixels high and drawn by DrawItem (OnDrawItem,
// or the text when there is no handler) on Canvas.
//
// Override points (the grid's pick list): PrepareWindowParams / AfterWindowCreated (a
// list may make itself a top-level pop-up by returning IsTopLevel and WS_EX_TOOLWINDOW),
// HandleKeyPress / HandleKeyDown, HandleMouseDown / HandleMouseUp, DrawItem.
class TCustomListBox : public TWinControl {
    ORV_CLASS(TCustomListBox, TWinControl)
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;
    static void Publish(TPublisher<TCustomListBox>& p);

    // ---- Items (the objects are not owned)
    TStrings* Items() const { return FItems.get(); }
    void SetItems(const TStrings* value);
    int Count() const { return FItems->Count(); }
    void Clear();
    bool Sorted() const { return FSorted; }
    void SetSorted(bool value);

    // ---- Selection
    // The focused item, selected in a single-selection list (-1 none). Fires nothing.
    int ItemIndex() const;
    void SetItemIndex(int value);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool value);
    // With MultiSelect: Shift and Ctrl extend the selection (else a click toggles).
    bool ExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool value);
    bool Selected(int index) const;
    void SetSelected(int index, bool value);
    int SelCount() const;
    void ClearSelection();
    void SelectAll();

    // ---- Look
    TListBoxStyle Style() const { return FStyle; }
    void SetStyle(TListBoxStyle value);
    // Height of one item in pixels: the font's text height for a standard list with a
    // window, else the value set (16 by default).
    int ItemHeight() const;
    void SetItemHeight(int value);
    // The list's height is a whole number of items.
    bool IntegralHeight() const { return FIntegralHeight; }
    void SetIntegralHeight(bool value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    int Columns() const { return FColumns; }
    void SetColumns(int value) { FColumns = value; }
    int TopIndex() const;
    void SetTopIndex(int value);
    // The item at the client point; -1 when none (existing: only a point on an item; else
    // a point below the last item gives Count).
    int ItemAtPos(const TPoint& pos, bool existing) const;
    // The item's rectangle in client coordinates (empty when out of range).
    TRect ItemRect(int index) const;
    // The canvas owner-draw handlers draw on (valid inside DrawItem).
    TCanvas* Canvas() const { return FCanvas.get(); }
    // Scrolls so that the item is visible.
    void MakeVisible(int index);
    // The index of the first item starting with text (without regard to case), from
    // start + 1 on and wrapping around; -1 when none.
    int FindItemStarting(const std::string& text, int start = -1) const;

    const TDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
    void SetOnDrawItem(TDrawItemEvent value) { FOnDrawItem = std::move(value); }

    // The widget (created on demand).
    QListWidget* ListWidget();
    void HandleMessage(TMessage& message) override;
    // Mouse messages made from the list's viewport go back to it here.
    void DefaultHandler(TMessage& message) override;

protected:
    // Draws item index in rect (the widget's client coordinates) on Canvas: OnDrawItem
    // when set, else the item's text over the selection colour when selected.
    virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
    // The user changed the selection: fires OnClick.
    virtual void SelectionChangedByUser();
    QWidget* CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) override;
    void AfterWindowCreated() override;
    void BeforeWindowDestroyed() override;

private:
    friend class TListBoxDelegate;
    friend class TListBoxStrings;
    void ItemsChanged();
    void ApplyItems();
    void ApplySelection();
    void ReadSelection();
    void PaintItem(QPainter* painter, int index, const TRect& rect, TOwnerDrawState state);

    std::unique_ptr<TStringList> FItems;
    std::unique_ptr<TCanvas> FCanvas;
    std::vector<bool> FSelected; // selection kept while there is no window
    int FItemIndex = -1;
    bool FSorted = false;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    TListBoxStyle FStyle = lbStandard;
    int FItemHeight = 16;
    bool FIntegralHeight = false;
    TBorderStyle FBorderStyle = bsSingle;
    int FColumns = 0;
    int FTopIndex = 0;
    int FSetting = 0;
    void* FViewportEvent = nullptr; // the viewport's mouse event being handled
    TDrawItemEvent FOnDrawItem;
};

class TListBox : public TCustomListBox {
    ORV_CLASS(TListBox, TCustomListBox)
public:
    explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

// A combo box over a QComboBox: csDropDown has an edit field, csDropDownList only a list.
// Items carry objects (not owned). ItemIndex set by the program fires nothing; a choice
// by the user fires OnChange then OnClick (and OnSelect); typing in the edit field fires
// OnChange. DropDownCount is the number of items the open list shows.
class TCustomComboBox : public TWinControl {
    ORV_CLASS(TCustomComboBox, TWinControl)
public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;
    static void Publish(TPublisher<TCustomComboBox>& p);

    TStrings* Items() const { return FItems.get(); }
    void SetItems(const TStrings* value);
    void Clear();
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle value);
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int value);
    // The text of the edit field (csDropDown) or of the selected item.
    std::string Text() const override;
    void SetText(const std::string& value) override;
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int value);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool value);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int value);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int value) { FItemHeight = value; }
    bool DroppedDown() const;
    void SetDroppedDown(bool value);
    void SelectAll();

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
    const TNotifyEvent& OnSelect() const { return FOnSelect; }
    void SetOnSelect(TNotifyEvent value) { FOnSelect = std::move(value); }
    const TNotifyEvent& OnDropDown() const { return FOnDropDown; }
    void SetOnDropDown(TNotifyEvent value) { FOnDropDown = std::move(value); }
    const TNotifyEvent& OnCloseUp() const { return FOnCloseUp; }
    void SetOnCloseUp(TNotifyEvent value) { FOnCloseUp = std::move(value); }

    QComboBox* ComboWidget();
    void HandleMessage(TMessage& message) override;
    void AfterLoad() override;

protected:
    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    QWidget* CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) override;
    void AfterWindowCreated() override;
    void BeforeWindowDestroyed() override;

private:
    friend class TComboPopupWatcher;
    void ItemsChanged();
    void ApplyItems();
    void UserActivated(int index);
    void UserEdited();

    std::unique_ptr<TStringList> FItems;
    TComboBoxStyle FStyle = csDropDown;
    int FItemIndex = -1;
    int FDropDownCount = 8;
    bool FSorted = false;
    int FMaxLength = 0;
    int FItemHeight = 16;
    int FSetting = 0;
    TNotifyEvent FOnChange, FOnSelect, FOnDropDown, FOnCloseUp;
};

class TComboBox : public TCustomComboBox {
    ORV_CLASS(TComboBox, TCustomComboBox)
public:
    explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

// ===========================================================================
// Scroll bars

// A scroll bar over QScrollBar. Position set by the program fires OnChange when it
// changes; the user's scrolling fires OnScroll (which may change the position) and then
// OnChange when the position changed.
class TScrollBar : public TWinControl {
    ORV_CLASS(TScrollBar, TWinControl)
public:
    explicit TScrollBar(TComponent* owner);
    static void Publish(TPublisher<TScrollBar>& p);

    TScrollBarKind Kind() const { return FKind; }
    void SetKind(TScrollBarKind value);
    int Min() const { return FMin; }
    void SetMin(int value) { SetParams(FPosition, value, FMax); }
    int Max() const { return FMax; }
    void SetMax(int value) { SetParams(FPosition, FMin, value); }
    int Position() const { return FPosition; }
    void SetPosition(int value) { SetParams(value, FMin, FMax); }
    // Sets all three at once (raises EInvalidOperation "Scroll bar property out of range"
    // when max < min); the position is clamped.
    void SetParams(int position, int min, int max);
    int SmallChange() const { return FSmallChange; }
    void SetSmallChange(int value) { FSmallChange = value; }
    int LargeChange() const { return FLargeChange; }
    void SetLargeChange(int value) { FLargeChange = value; }
    int PageSize() const { return FPageSize; }
    void SetPageSize(int value);

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
    const TScrollEvent& OnScroll() const { return FOnScroll; }
    void SetOnScroll(TScrollEvent value) { FOnScroll = std::move(value); }

    QScrollBar* ScrollWidget();

protected:
    virtual void Change();
    virtual void Scroll(TScrollCode code, int& position);
    // A scroll by the user: the new position (trackPosition for scTrack and scPosition)
    // goes through Scroll, then becomes Position.
    void DoScroll(TScrollCode code, int trackPosition);
    void HandleKeyDown(uint16_t& key, TShiftState shift) override;
    QWidget* CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) override;
    void AfterWindowCreated() override;

private:
    void UserAction(int action);
    void ApplyParams();

    TScrollBarKind FKind = sbHorizontal;
    int FMin = 0, FMax = 100, FPosition = 0;
    int FSmallChange = 1, FLargeChange = 1, FPageSize = 0;
    int FSetting = 0;
    TNotifyEvent FOnChange;
    TScrollEvent FOnScroll;
};
