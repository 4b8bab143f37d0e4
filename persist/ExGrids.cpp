#include "persist/ExGrids.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Forms.h"
#include "framework/gui/WindowSystem.h"
#include "persist/AppUtils.h"

#include <algorithm>

namespace {

constexpr int kPickListRows = 8;
constexpr int kPickListItemHeight = 11;
constexpr uint32_t kSearchPause = 4000; // ms after which typing starts a new search
constexpr size_t kMaxSearchText = 32;   // characters
// The programs' texts are Greek: a printable character of this 8-bit code page is one that
// the type-ahead search takes.
constexpr int kProgramCodePage = 1253;

size_t Utf8CharCount(const std::string& text) {
    return size_t(std::count_if(text.begin(), text.end(),
                                [](char c) { return (uint8_t(c) & 0xC0) != 0x80; }));
}

constexpr TGridOptions kExGridOptions{goFixedVertLine, goFixedHorzLine,     goVertLine,
                                      goHorzLine,      goDrawFocusSelected, goColSizing};

TPoint MessagePoint(const TMessage& m) {
    return TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
}

} // namespace

// ===========================================================================
// TPopupListbox

TPopupListbox::TPopupListbox(TComponent* owner) : TCustomListBox(owner) {
    SetVisible(false);
    SetTabStop(false);
    SetIntegralHeight(true);
    SetStyle(lbOwnerDrawFixed);
    SetItemHeight(kPickListItemHeight);
}

void TPopupListbox::PrepareWindowParams(TCreateParams& params) {
    TCustomListBox::PrepareWindowParams(params);
    params.Style |= WS_BORDER;
    params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    params.ClassStyle |= CS_SAVEBITS;
}

void TPopupListbox::HandleKeyPress(char32_t& key) {
    if (key == 8 || key == 27) {
        FSearchText.clear();
    } else if (const int byte = UnicodeToAnsiChar(key, kProgramCodePage); byte >= 32) {
        const uint32_t now = GetTickCount();
        if (now - FSearchTickCount > kSearchPause)
            FSearchText.clear();
        FSearchTickCount = now;
        if (Utf8CharCount(FSearchText) < kMaxSearchText)
            AppendUtf8(FSearchText, key);
        const int found = FindItemStarting(FSearchText, -1);
        if (found >= 0)
            SetItemIndex(found);
        key = 0;
        return;
    }
    TCustomListBox::HandleKeyPress(key);
}

void TPopupListbox::HandleKeyDown(uint16_t& key, TShiftState shift) {
    TCustomListBox::HandleKeyDown(key, shift);
    const int count = Count();
    if (count == 0 || key == 0)
        return;
    int index = ItemIndex();
    switch (key) {
    case VK_UP:
        index = std::max(0, index - 1);
        break;
    case VK_DOWN:
        index = std::min(count - 1, index + 1);
        break;
    case VK_PRIOR:
        index = std::max(0, index - kPickListRows);
        break;
    case VK_NEXT:
        index = std::min(count - 1, std::max(0, index) + kPickListRows);
        break;
    case VK_HOME:
        index = 0;
        break;
    case VK_END:
        index = count - 1;
        break;
    default:
        return;
    }
    SetItemIndex(index);
    MakeVisible(index);
    key = 0;
}

void TPopupListbox::EditorKey(UINT msg, WPARAM key) {
    if (msg == WM_CHAR) {
        char32_t ch = char32_t(key);
        HandleKeyPress(ch);
    } else {
        uint16_t vk = uint16_t(key);
        HandleKeyDown(vk, KeyboardShiftState());
    }
}

void TPopupListbox::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomListBox::HandleMouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    FPressed = true;
    SetMouseCapture(true);
    const int index = ItemAtPos(TPoint(x, y), true);
    if (index >= 0)
        SetItemIndex(index);
}

void TPopupListbox::HandleMouseMove(TShiftState shift, int x, int y) {
    TCustomListBox::HandleMouseMove(shift, x, y);
    if (!FPressed)
        return;
    const int index = ItemAtPos(TPoint(x, y), true);
    if (index >= 0)
        SetItemIndex(index);
}

void TPopupListbox::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    FPressed = false;
    SetMouseCapture(false);
    TCustomListBox::HandleMouseUp(button, shift, x, y);
    if (FOnListMouseUp)
        FOnListMouseUp(this, button, shift, x, y);
}

// ===========================================================================
// TExInplaceEdit

TExInplaceEdit::TExInplaceEdit(TComponent* owner)
    : TInplaceEdit(owner), FButtonWidth(GetSystemMetrics(SM_CXVSCROLL)) {}

TExInplaceEdit::~TExInplaceEdit() = default;

TExDrawGrid* TExInplaceEdit::ExGrid() const {
    return dynamic_cast<TExDrawGrid*>(Grid());
}

TRect TExInplaceEdit::ButtonRect() const {
    if (FEditStyle == ieSimple)
        return TRect();
    return TRect(Width() - FButtonWidth, 0, Width(), Height());
}

bool TExInplaceEdit::OverButton(int x, int y) const {
    return FEditStyle != ieSimple && PtInRect(ButtonRect(), TPoint(x, y));
}

void TExInplaceEdit::SetEditStyle(TInplaceEditStyle value) {
    if (value == FEditStyle)
        return;
    FEditStyle = value;
    if (value == iePickList) {
        if (!FPickList) {
            FPickList = new TPopupListbox(this);
            FPickList->SetVisible(false);
            FPickList->SetOnListMouseUp(TMouseEvent(this, &TExInplaceEdit::ListMouseUp));
        }
        FActiveList = FPickList;
    } else {
        FActiveList = nullptr;
    }
    UpdateEditRect();
    Invalidate();
}

void TExInplaceEdit::PrepareWindowParams(TCreateParams& params) {
    TInplaceEdit::PrepareWindowParams(params);
}

void TExInplaceEdit::UpdateContents() {
    TExDrawGrid* grid = ExGrid();
    if (!grid) {
        TInplaceEdit::UpdateContents();
        return;
    }
    const TAlignment alignment = grid->EditAlignment(grid->Col(), grid->Row());
    if (alignment != Alignment())
        SetAlignment(alignment); // re-creates the window
    SetEditStyle(grid->EditStyle(grid->Col(), grid->Row()));
    TNotifyEvent saved = FOnChange;
    FOnChange = nullptr;
    try {
        TInplaceEdit::UpdateContents();
    } catch (...) {
        FOnChange = saved;
        throw;
    }
    FOnChange = saved;
    SetModified(false);
}

void TExInplaceEdit::UpdateEditRect() {
    TRect r(2, 2, Width() - 2, Height());
    if (FEditStyle != ieSimple)
        r.Right -= FButtonWidth;
    SetEditRect(r);
}

void TExInplaceEdit::PaintWindowContent(TCanvas* canvas) {
    TInplaceEdit::PaintWindowContent(canvas);
    if (FEditStyle == ieSimple)
        return;
    TRect r = ButtonRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(r);
    TRect edge = r;
    if (FEditStyle == iePickList) {
        // The drop-down arrow of a combo box: inactive without a list, flat and pushed
        // while pressed.
        DrawEdge(canvas, edge, FPressed ? BDR_SUNKENOUTER : EDGE_RAISED,
                 BF_RECT | (FPressed ? BF_FLAT : 0));
        const int cx = r.Left + r.Width() / 2 + (FPressed ? 1 : 0);
        const int cy = r.Top + r.Height() / 2 + (FPressed ? 1 : 0);
        const TColor arrow = FActiveList ? clBtnText : clBtnShadow;
        canvas->Pen()->SetColor(arrow);
        canvas->Brush()->SetColor(arrow);
        std::vector<TPoint> tri{TPoint(cx - 3, cy - 1), TPoint(cx + 3, cy - 1), TPoint(cx, cy + 2)};
        canvas->Polygon(tri);
        return;
    }
    DrawEdge(canvas, edge, FPressed ? BDR_SUNKENOUTER : EDGE_RAISED,
             BF_RECT | (FPressed ? BF_FLAT : 0));
    // Three 2 by 2 dots.
    const int g = std::clamp((FButtonWidth - 12) / 2, 1, 3);
    int x = r.Left + (FButtonWidth - 6 - 2 * g) / 2 + (FPressed ? 1 : 0);
    const int y = r.Top + (ClientHeight() - 2) / 2;
    canvas->Brush()->SetColor(clBlack);
    for (int i = 0; i < 3; ++i)
        canvas->FillRect(TRect(x + i * (g + 2), y, x + i * (g + 2) + 2, y + 2));
}

void TExInplaceEdit::TrackButton(int x, int y) {
    const bool pressed = OverButton(x, y);
    if (pressed != FPressed) {
        FPressed = pressed;
        Invalidate();
    }
}

void TExInplaceEdit::StopTracking() {
    if (!FTracking)
        return;
    TrackButton(-1, -1);
    FTracking = false;
    SetMouseCapture(false);
}

void TExInplaceEdit::DropDown() {
    TExDrawGrid* grid = ExGrid();
    if (FListVisible || !FActiveList || !grid)
        return;
    TPopupListbox* list = FActiveList;
    list->SetColor(Color());
    list->SetFont(Font());
    list->Items()->Clear();
    grid->FillPickList(grid->Col(), grid->Row(), list->Items());
    const int count = list->Count();
    const int rows = std::min(count, kPickListRows);
    const int height = rows * list->ItemHeight() + 4;
    list->SetItemIndex(list->Items()->IndexOf(Text()));
    // As wide as the editor, or as its widest item, with room for a scroll bar.
    TBitmap measure(1, 1);
    measure.Canvas()->SetFont(list->Font());
    int clientWidth = Width() - 2;
    for (int i = 0; i < count; ++i)
        clientWidth = std::max(clientWidth, measure.Canvas()->TextWidth(list->Items()->Get(i)));
    if (count > kPickListRows)
        clientWidth += GetSystemMetrics(SM_CXVSCROLL);
    const TPoint p = ClientToScreen(TPoint(0, 0));
    int y = p.Y + Height();
    if (y + height > GetSystemMetrics(SM_CYSCREEN))
        y = p.Y - height;
    list->SetBounds(p.X, y, clientWidth + 2, height);
    list->Show();
    FListVisible = true;
    Invalidate();
    if (!Focused() && CanFocus())
        SetFocus();
}

void TExInplaceEdit::CloseUp(bool accept) {
    if (!FListVisible || !FActiveList)
        return;
    if (GetCapture() != 0)
        ReleaseCapture();
    TPopupListbox* list = FActiveList;
    const int index = list->ItemIndex();
    const std::string value = index >= 0 ? list->Items()->Get(index) : std::string();
    list->Hide();
    FListVisible = false;
    Invalidate();
    if (accept && CanModify()) {
        SetText(value);
        // A chosen value counts as typed: it reaches the cell when the editor hides.
        SetModified(true);
        if (HandleAllocated())
            SelectAll();
    }
}

void TExInplaceEdit::ListMouseUp(TObject*, TMouseButton button, TShiftState, int x, int y) {
    if (button == mbLeft && FActiveList)
        CloseUp(PtInRect(FActiveList->ClientRect(), TPoint(x, y)));
}

bool TExInplaceEdit::DropDownKeys(UINT key, TShiftState shift) {
    switch (key) {
    case VK_UP:
    case VK_DOWN:
        if (shift.Contains(ssAlt)) {
            if (FListVisible)
                CloseUp(true);
            else
                DropDown();
            return true;
        }
        return false;
    case VK_RETURN:
    case VK_ESCAPE:
        if (FListVisible && !shift.Contains(ssAlt)) {
            CloseUp(key == VK_RETURN);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void TExInplaceEdit::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR: {
        const TShiftState shift = KeyboardShiftState();
        const bool charMsg = message.Msg == WM_CHAR;
        if (FEditStyle == ieEllipsis && !charMsg && message.WParam == VK_RETURN &&
            shift.Contains(ssCtrl)) {
            if (TExDrawGrid* grid = ExGrid())
                grid->EditButtonClicked();
            if (HandleAllocated())
                DiscardPendingMessage(Handle(), WM_CHAR);
            message.Result = 0;
            return;
        }
        if (FEditStyle == iePickList) {
            // The character of a key already used here comes as 13 or 27 too.
            if (DropDownKeys(UINT(message.WParam), charMsg ? TShiftState{} : shift)) {
                message.Result = 0;
                return;
            }
            if (FListVisible && FActiveList) {
                FActiveList->EditorKey(message.Msg == WM_SYSKEYDOWN ? WM_KEYDOWN : message.Msg,
                                       message.WParam);
                message.Result = 0;
                return;
            }
        }
        break;
    }
    case WM_LBUTTONDOWN: {
        TPoint p = MessagePoint(message);
        if (OverButton(p.X, p.Y)) {
            if (FListVisible) {
                CloseUp(false);
            } else {
                SetMouseCapture(true);
                FTracking = true;
                TrackButton(p.X, p.Y);
                if (FActiveList)
                    DropDown();
            }
            return;
        }
        break;
    }
    case WM_LBUTTONDBLCLK: {
        TPoint p = MessagePoint(message);
        if (OverButton(p.X, p.Y))
            return;
        break;
    }
    case WM_MOUSEMOVE: {
        TPoint p = MessagePoint(message);
        SetCursor(OverButton(p.X, p.Y) ? crArrow : crIBeam);
    }
        if (FTracking) {
            TPoint p = MessagePoint(message);
            TrackButton(p.X, p.Y);
            if (FListVisible && FActiveList) {
                // Moving onto the open list hands it the press: press, drag, release
                // chooses.
                TPoint screen = ClientToScreen(p);
                TPoint listPoint = FActiveList->ScreenToClient(screen);
                if (PtInRect(FActiveList->ClientRect(), listPoint)) {
                    StopTracking();
                    FActiveList->Perform(WM_LBUTTONDOWN, MK_LBUTTON,
                                         MAKELPARAM(listPoint.X, listPoint.Y));
                }
            }
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (FTracking) {
            const bool wasPressed = FPressed;
            StopTracking();
            if (wasPressed && FEditStyle == ieEllipsis)
                if (TExDrawGrid* grid = ExGrid())
                    grid->EditButtonClicked();
            return;
        }
        break;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
        StopTracking();
        if (message.LParam == 0 || (FActiveList && HWND(message.LParam) != FActiveList->Handle()))
            CloseUp(false);
        break;
    case WM_KILLFOCUS:
        CloseUp(false);
        break;
    default:
        break;
    }
    TInplaceEdit::HandleMessage(message);
}

// ===========================================================================
// TExDrawGrid

TExDrawGrid::TExDrawGrid(TComponent* owner)
    : TDrawGrid(owner), FIniLink(std::make_unique<TIniLink>()) {
    RegisterExCursors();
    TDrawGrid::SetDefaultDrawing(false);
    SetDefaultRowHeight(18);
    SetOptions(kExGridOptions);
    FIniLink->SetOnSave(TNotifyEvent(this, &TExDrawGrid::SaveColumnWidths));
    FIniLink->SetOnLoad(TNotifyEvent(this, &TExDrawGrid::LoadColumnWidths));
}

TExDrawGrid::~TExDrawGrid() {
    FOnChangeFocus = nullptr;
    FIniLink.reset();
}

void TExDrawGrid::Publish(TPublisher<TExDrawGrid>& p) {
    p.Integer("DefaultRowHeight", &TExDrawGrid::DefaultRowHeight, &TExDrawGrid::SetDefaultRowHeight)
        .Default(18);
    p.Bool("DefaultDrawing", &TExDrawGrid::DefaultDrawing, &TExDrawGrid::SetDefaultDrawing)
        .Default(true);
    if (PPropInfo options = TDrawGrid::StaticClass()->Properties().Find("Options"))
        p.Set(
             "Options", options->PropType,
             [](const TExDrawGrid* g) { return g->Options().ToInt(); },
             [](TExDrawGrid* g, int64_t v) { g->SetOptions(TGridOptions::FromInt(uint32_t(v))); })
            .Default(int64_t(kExGridOptions.ToInt()));
    p.Bool("FixedButtons", &TExDrawGrid::FixedButtons, &TExDrawGrid::SetFixedButtons)
        .Default(false);
    p.Class("IniStorage", TFormPlacement::StaticClass(), &TExDrawGrid::IniStorage,
            &TExDrawGrid::SetIniStorage);
    p.Event("OnColumnSized", &TExDrawGrid::OnColumnSized, &TExDrawGrid::SetOnColumnSized);
    p.Event("OnRowSized", &TExDrawGrid::OnRowSized, &TExDrawGrid::SetOnRowSized);
    p.Event("OnAcceptEditKey", &TExDrawGrid::OnAcceptEditKey, &TExDrawGrid::SetOnAcceptEditKey);
    p.Event("OnGetEditLimit", &TExDrawGrid::OnGetEditLimit, &TExDrawGrid::SetOnGetEditLimit);
    p.Event("OnEditChange", &TExDrawGrid::OnEditChange, &TExDrawGrid::SetOnEditChange);
    p.Event("OnShowEditor", &TExDrawGrid::OnShowEditor, &TExDrawGrid::SetOnShowEditor);
    p.Event("OnCancelEdit", &TExDrawGrid::OnCancelEdit, &TExDrawGrid::SetOnCancelEdit);
    p.Event("OnFixedCellClick", &TExDrawGrid::OnFixedCellClick, &TExDrawGrid::SetOnFixedCellClick);
    p.Event("OnCheckButton", &TExDrawGrid::OnCheckButton, &TExDrawGrid::SetOnCheckButton);
    p.Event("OnChangeFocus", &TExDrawGrid::OnChangeFocus, &TExDrawGrid::SetOnChangeFocus);
    p.Event("OnGetEditAlign", &TExDrawGrid::OnGetEditAlign, &TExDrawGrid::SetOnGetEditAlign);
    p.Event("OnEditButtonClick", &TExDrawGrid::OnEditButtonClick,
            &TExDrawGrid::SetOnEditButtonClick);
    p.Event("OnGetPicklist", &TExDrawGrid::OnGetPicklist, &TExDrawGrid::SetOnGetPicklist);
    p.Event("OnGetEditStyle", &TExDrawGrid::OnGetEditStyle, &TExDrawGrid::SetOnGetEditStyle);
}

void TExDrawGrid::SetFixedButtons(bool value) {
    if (value == FFixedButtons)
        return;
    FFixedButtons = value;
    Invalidate();
}

void TExDrawGrid::SetDefaultDrawing(bool value) {
    if (value == FDefaultDrawing)
        return;
    FDefaultDrawing = value;
    Invalidate();
}

TFormPlacement* TExDrawGrid::IniStorage() const {
    return FIniLink ? FIniLink->IniObject() : nullptr;
}

void TExDrawGrid::SetIniStorage(TFormPlacement* value) {
    FIniLink->AttachTo(value);
}

TExInplaceEdit* TExDrawGrid::ExInplaceEditor() const {
    return dynamic_cast<TExInplaceEdit*>(InplaceEditor());
}

// ---- Cell text

void TExDrawGrid::DrawCellLine(const TRect& rect, const std::string& text, TAlignment alignment) {
    DrawCellTextAligned(this, false, false, vaCenter, alignment, rect, text);
}

void TExDrawGrid::DrawCellWrapped(const TRect& rect, const std::string& text,
                                  TAlignment alignment) {
    DrawCellTextAligned(this, false, true, vaTopJustify, alignment, rect, text);
}

void TExDrawGrid::RedrawCell(int aCol, int aRow) {
    InvalidateCell(aCol, aRow);
}

void TExDrawGrid::RedrawRow(int aRow) {
    for (int c = 0; c < ColCount(); ++c)
        InvalidateCell(c, aRow);
}

// ---- Column widths through the placement

void TExDrawGrid::SaveColumnWidths(TObject*) {
    TCustomIniFile* store = FIniLink->IniStorage();
    if (Name().empty() || !store)
        return;
    SaveGridColumnWidths(this, store, FIniLink->BaseSection() + SectionForComponent(this));
}

void TExDrawGrid::LoadColumnWidths(TObject*) {
    TCustomIniFile* store = FIniLink->IniStorage();
    if (Name().empty() || !store)
        return;
    LoadGridColumnWidths(this, store, FIniLink->BaseSection() + SectionForComponent(this));
}

// ---- Editing

TInplaceEdit* TExDrawGrid::CreateCellEditor() {
    auto* editor = new TExInplaceEdit(this);
    editor->SetOnChange(TNotifyEvent(this, &TExDrawGrid::EditTextChanged));
    return editor;
}

bool TExDrawGrid::CanShowEditor() {
    bool allow = TDrawGrid::CanShowEditor();
    if (allow && FOnShowEditor) {
        FOnShowEditor(this, Col(), Row(), allow);
        if (!allow && InplaceEditor() && InplaceEditor()->Visible())
            HideEditor();
    }
    return allow;
}

bool TExDrawGrid::AcceptEditKey(char32_t key) {
    if (FOnAcceptEditKey) {
        char32_t k = key;
        return FOnAcceptEditKey(this, k);
    }
    return TDrawGrid::AcceptEditKey(key);
}

int TExDrawGrid::EditLimit() {
    int limit = TDrawGrid::EditLimit();
    if (FOnGetEditLimit)
        FOnGetEditLimit(this, limit);
    return limit;
}

void TExDrawGrid::CommitEditText(int aCol, int aRow, const std::string& value) {
    if (FCancelEditing)
        return;
    // Only a modified text reaches the cell: visiting a cell never rewrites its value.
    TInplaceEdit* editor = InplaceEditor();
    if (editor && !editor->Modified())
        return;
    TDrawGrid::CommitEditText(aCol, aRow, value);
}

void TExDrawGrid::EditTextChanged(TObject*) {
    if (FOnEditChange)
        FOnEditChange(this);
}

void TExDrawGrid::EditButtonClicked() {
    TInplaceEdit* editor = InplaceEditor();
    const std::string before = editor ? editor->Text() : std::string();
    if (FOnEditButtonClick)
        FOnEditButtonClick(this);
    // A value set through the button counts as typed.
    if (editor && InplaceEditor() == editor && editor->Text() != before)
        editor->SetModified(true);
}

TAlignment TExDrawGrid::EditAlignment(int aCol, int aRow) {
    TAlignment alignment = taLeftJustify;
    if (FOnGetEditAlign)
        FOnGetEditAlign(this, aCol, aRow, alignment);
    return alignment;
}

TInplaceEditStyle TExDrawGrid::EditStyle(int aCol, int aRow) {
    TInplaceEditStyle style = ieSimple;
    if (FOnGetEditStyle)
        FOnGetEditStyle(this, aCol, aRow, style);
    return style;
}

void TExDrawGrid::FillPickList(int aCol, int aRow, TStrings* pickList) {
    if (FOnGetPicklist)
        FOnGetPicklist(this, aCol, aRow, pickList);
}

void TExDrawGrid::HandleKeyDown(uint16_t& key, TShiftState shift) {
    if (!CanGridAcceptKey(key, shift)) {
        key = 0;
        return;
    }
    if (key == VK_ESCAPE && !shift.Contains(ssCtrl) && EditorMode() && InplaceEditor() &&
        InplaceEditor()->Visible() && !Options().Contains(goAlwaysShowEditor)) {
        FCancelEditing = true;
        struct TReset {
            bool& Flag;
            ~TReset() { Flag = false; }
        } reset{FCancelEditing};
        HideEditor();
        if (FOnCancelEdit)
            FOnCancelEdit(this);
        key = 0;
        return;
    }
    TDrawGrid::HandleKeyDown(key, shift);
}

void TExDrawGrid::HandleEditorCommand(TMessage& message) {
    TInplaceEdit* editor = InplaceEditor();
    if (!Options().Contains(goAlwaysShowEditor) && HIWORD(message.WParam) == EN_CHANGE && editor &&
        editor->HandleAllocated() && HWND(message.LParam) == editor->Handle()) {
        // The text reaches the cell when the editor hides; a change is only reported.
        if (editor->Visible())
            if (auto* rx = dynamic_cast<TExInplaceEdit*>(editor))
                rx->NotifyChanged();
        return;
    }
    TDrawGrid::HandleEditorCommand(message);
}

// ---- Fixed cells as buttons

bool TExDrawGrid::IsFixedCell(int aCol, int aRow) const {
    return aCol >= 0 && aRow >= 0 && (aCol < FixedCols() || aRow < FixedRows());
}

bool TExDrawGrid::LeftButtonHeld() const {
    return GetKeyState(VK_LBUTTON) < 0 || FLeftDown;
}

void TExDrawGrid::CanPressFixedCell(int aCol, int aRow, bool& enabled) {
    if (aCol < 0 || aRow < 0 || (aCol >= FixedCols() && aRow >= FixedRows())) {
        enabled = false;
        return;
    }
    if (FOnCheckButton)
        FOnCheckButton(this, aCol, aRow, enabled);
}

void TExDrawGrid::FixedCellClicked(int aCol, int aRow) {
    if (FOnFixedCellClick)
        FOnFixedCellClick(this, aCol, aRow);
}

void TExDrawGrid::TrackFixedButton(int x, int y) {
    TGridCoord cell = MouseCoord(x, y);
    const bool down =
        PtInRect(ClientRect(), TPoint(x, y)) && cell.X == FPressedCol && cell.Y == FPressedRow;
    if (down != FPressed) {
        FPressed = down;
        InvalidateCell(cell.X, cell.Y);
        InvalidateCell(FPressedCol, FPressedRow);
    }
}

void TExDrawGrid::StopButtonTracking() {
    if (!FTracking)
        return;
    TrackFixedButton(-1, -1);
    FTracking = false;
    SetMouseCapture(false);
}

void TExDrawGrid::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
        FLeftDown = (message.WParam & MK_LBUTTON) != 0 || message.Msg == WM_LBUTTONDOWN ||
                    message.Msg == WM_LBUTTONDBLCLK;
        if (message.Msg == WM_LBUTTONUP)
            FLeftDown = false;
        break;
    default:
        break;
    }
    switch (message.Msg) {
    case WM_LBUTTONDBLCLK:
        HandleDoubleClick(message);
        return;
    case WM_RBUTTONUP:
        HandleRightButtonUp(message);
        return;
    default:
        break;
    }
    TDrawGrid::HandleMessage(message);
}

void TExDrawGrid::HandleDoubleClick(TMessage& message) {
    const TPoint p = MessagePoint(message);
    const TGridCoord cell = MouseCoord(p.X, p.Y);
    if (FFixedButtons && IsFixedCell(cell.X, cell.Y)) {
        // Each click of a double click presses the button; the grid's OnMouseDown still
        // learns that it was a double click.
        if (HWND cap = GetCapture(); cap && cap != Handle())
            SendMessage(cap, WM_CANCELMODE);
        if (HasStyle(csCaptureMouse))
            SetMouseCapture(true);
        FDoubleClickPress = true;
        struct TReset {
            bool& Flag;
            ~TReset() { Flag = false; }
        } reset{FDoubleClickPress};
        TShiftState shift = ShiftStateFromMouseFlags(message.WParam);
        shift.Exclude(ssDouble);
        HandleMouseDown(mbLeft, shift, p.X, p.Y);
        return;
    }
    TDrawGrid::HandleMessage(message);
}

void TExDrawGrid::HandleRightButtonUp(TMessage& message) {
    if (GridState() == gsRowMoving || GridState() == gsColMoving) {
        const TPoint p = MessagePoint(message);
        HandleMouseUp(mbRight, ShiftStateFromMouseFlags(message.WParam), p.X, p.Y);
        return;
    }
    TDrawGrid::HandleMessage(message);
}

void TExDrawGrid::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    // A press ends the edit in progress: its text goes to the cell.
    HideEdit();
    if (!ComponentState().Contains(csDesigning) && (CanFocus() || !GetParentForm(this))) {
        SetFocus();
        if (!IsActiveControl()) {
            SetMouseCapture(false);
            return;
        }
    }
    const TGridCoord cell = MouseCoord(x, y);
    if (button == mbLeft && shift.Contains(ssDouble) &&
        (!FFixedButtons || !IsFixedCell(cell.X, cell.Y))) {
        DblClick();
        return;
    }
    if (SizingStateAt(x, y) == gsNormal && IsFixedCell(cell.X, cell.Y) && FFixedButtons &&
        !ComponentState().Contains(csDesigning)) {
        if ((Options().Contains(goRowMoving) || Options().Contains(goColMoving)) &&
            button == mbRight) {
            FSwapButtons = true;
            SetMouseCapture(true);
            TDrawGrid::HandleMouseDown(mbLeft, shift, x, y);
            return;
        }
        if (button == mbLeft) {
            // The grid's own OnMouseDown first (with the double-click flag of a double
            // click); a modal message there may have seen the button released.
            TShiftState eventShift = shift;
            if (FDoubleClickPress)
                eventShift.Include(ssDouble);
            TControl::HandleMouseDown(button, eventShift, x, y);
            if (!LeftButtonHeld()) {
                SetMouseCapture(false);
                return;
            }
            bool enabled = true;
            CanPressFixedCell(cell.X, cell.Y, enabled);
            if (enabled) {
                SetMouseCapture(true);
                FTracking = true;
                FPressedCol = cell.X;
                FPressedRow = cell.Y;
                TrackFixedButton(x, y);
            } else {
                Beep();
            }
            return;
        }
    }
    TDrawGrid::HandleMouseDown(button, shift, x, y);
}

void TExDrawGrid::HandleMouseMove(TShiftState shift, int x, int y) {
    if (FTracking)
        TrackFixedButton(x, y);
    TDrawGrid::HandleMouseMove(shift, x, y);
}

void TExDrawGrid::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (FTracking && FPressedCol >= 0 && FPressedRow >= 0) {
        const TGridCoord cell = MouseCoord(x, y);
        const bool onCell =
            PtInRect(ClientRect(), TPoint(x, y)) && cell.X == FPressedCol && cell.Y == FPressedRow;
        StopButtonTracking();
        if (onCell && FPressedRow < RowCount() && FPressedCol < ColCount())
            FixedCellClicked(FPressedCol, FPressedRow);
    } else if (FSwapButtons) {
        FSwapButtons = false;
        SetMouseCapture(false);
        if (button == mbRight)
            button = mbLeft;
    }
    TDrawGrid::HandleMouseUp(button, shift, x, y);
}

void TExDrawGrid::HandleCancelMode(TMessage& message) {
    StopButtonTracking();
    TDrawGrid::HandleCancelMode(message);
}

void TExDrawGrid::AfterScroll() {
    if (Options().Contains(goRowSelect) && FDefaultDrawing)
        RedrawRow(Row());
    StopButtonTracking();
    TDrawGrid::AfterScroll();
}

void TExDrawGrid::AfterColumnSized() {
    TDrawGrid::AfterColumnSized();
    StopButtonTracking();
    if (FOnColumnSized)
        FOnColumnSized(this);
}

void TExDrawGrid::AfterRowSized() {
    TDrawGrid::AfterRowSized();
    StopButtonTracking();
    if (FOnRowSized)
        FOnRowSized(this);
}

void TExDrawGrid::HandleFocusLost(TMessage& message) {
    TDrawGrid::HandleFocusLost(message);
    if (FOnChangeFocus)
        FOnChangeFocus(this);
}

void TExDrawGrid::HandleFocusGained(TMessage& message) {
    TDrawGrid::HandleFocusGained(message);
    if (FOnChangeFocus)
        FOnChangeFocus(this);
}

// ---- Painting

void TExDrawGrid::PaintControl() {
    FDefaultDrawingMemo = FDefaultDrawing;
    TDrawGrid::PaintControl();
    if (ComponentState().Contains(csDesigning) || !FDefaultDrawing || !Focused())
        return;
    const TGridOptions options = Options();
    if (options.Contains(goRowSelect) && !options.Contains(goRangeSelect) && Row() >= FixedRows()) {
        TCanvas* canvas = Canvas();
        canvas->Font()->SetColor(Font()->Color());
        canvas->Brush()->SetColor(Color());
        TRect r = BoxRect(FixedCols(), Row(), ColCount() - 1, Row());
        if (!options.Contains(goHorzLine))
            r.Bottom += GridLineWidth();
        if (!r.IsEmpty())
            canvas->DrawFocusRect(r);
    }
}

void TExDrawGrid::DrawGridCell(int aCol, int aRow, const TRect& rect, TGridDrawState state) {
    TCanvas* canvas = Canvas();
    const TGridOptions options = Options();
    const bool designing = ComponentState().Contains(csDesigning);
    const bool defaultDrawing = FDefaultDrawingMemo;
    const bool fixed = state.Contains(gdFixed);
    const bool focused = state.Contains(gdFocused);
    const int lw = GridLineWidth();
    if (defaultDrawing || designing) {
        canvas->SetFont(Font());
        TRect fill = rect;
        if (options.Contains(goRowSelect) && !fixed) {
            if (!options.Contains(goVertLine))
                fill.Right += lw;
            if (!options.Contains(goHorzLine))
                fill.Bottom += lw;
        }
        if (state.Contains(gdSelected) &&
            (!focused || options.Contains(goDrawFocusSelected) || options.Contains(goRowSelect))) {
            canvas->Brush()->SetColor(clHighlight);
            canvas->Font()->SetColor(clHighlightText);
        } else {
            canvas->Brush()->SetColor(fixed ? FixedColor() : Color());
        }
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(fill);
    }
    const bool down = FFixedButtons && fixed && Ctl3D() && !IsLoading() && FPressed &&
                      defaultDrawing && aCol == FPressedCol && aRow == FPressedRow;
    TRect cellRect = rect;
    if (down) {
        cellRect.Left += lw;
        cellRect.Top += lw;
        cellRect.Right += lw;
        cellRect.Bottom += lw;
    }
    TDrawGrid::DrawGridCell(aCol, aRow, cellRect, state);
    if (defaultDrawing && fixed && Ctl3D()) {
        const bool fixedVert = options.Contains(goFixedVertLine);
        const bool fixedHorz = options.Contains(goFixedHorzLine);
        const unsigned frame1 = (fixedVert ? BF_RIGHT : 0) | (fixedHorz ? BF_BOTTOM : 0);
        const unsigned frame2 = (fixedVert ? BF_LEFT : 0) | (fixedHorz ? BF_TOP : 0);
        if ((frame1 | frame2) != 0) {
            TRect edge = rect;
            if (fixedVert && !fixedHorz)
                edge.Bottom += lw;
            const unsigned kind = down ? BDR_SUNKENINNER : BDR_RAISEDINNER;
            TRect e1 = edge, e2 = edge;
            DrawEdge(canvas, e1, kind, frame1);
            DrawEdge(canvas, e2, kind, frame2);
        }
    }
    if (defaultDrawing && !designing && focused &&
        !(options.Contains(goEditing) && options.Contains(goAlwaysShowEditor)) &&
        !options.Contains(goRowSelect))
        canvas->DrawFocusRect(rect);
}
