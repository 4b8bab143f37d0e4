#include "framework/gui/Grids.h"

#include "framework/gui/WindowSystem.h"

#include <algorithm>

namespace {

int Utf8Length(const std::string& s) {
    int n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

} // namespace

// ===========================================================================
// TInplaceEdit

TInplaceEdit::TInplaceEdit(TComponent* owner) : TCustomEdit(owner) {
    SetTabStop(false);
    SetBorderStyle(bsNone);
    SetAutoSize(false);
    SetVisible(false);
}

TInplaceEdit::~TInplaceEdit() {
    if (FGrid && FGrid->FInplaceEdit == this)
        FGrid->FInplaceEdit = nullptr;
}

void TInplaceEdit::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_SETFOCUS:
        // While the editor has the focus its grid stays the form's active control.
        if (TCustomForm* form = GetParentForm(this); form && FGrid)
            form->SetFocusedControl(FGrid);
        DefaultHandler(message);
        return;
    case WM_KILLFOCUS:
        if (FGrid && FindFocusedControl() == FGrid)
            FGrid->FFocusFromEditor = true;
        break;
    case WM_GETDLGCODE:
        TCustomEdit::HandleMessage(message);
        message.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
        // Enter and Escape end the edit the user opened (kept or cancelled) rather than
        // going to the form's default or cancel button, which would close a dialog with
        // the typed text still in the editor. An editor always shown leaves them to the
        // form.
        if (FGrid && !FGrid->Options().Contains(goAlwaysShowEditor))
            message.Result |= DLGC_WANTALLKEYS;
        if (FGrid && FGrid->Options().Contains(goTabs))
            message.Result |= DLGC_WANTTAB;
        return;
    default:
        break;
    }
    TCustomEdit::HandleMessage(message);
}

void TInplaceEdit::SendToGrid(uint16_t& key, TShiftState shift) {
    FGrid->HandleKeyDown(key, shift);
    key = 0;
}

void TInplaceEdit::GridKeyEvent(uint16_t& key, TShiftState shift) {
    if (FGrid->OnKeyDown())
        FGrid->OnKeyDown()(FGrid, key, shift);
}

void TInplaceEdit::HandleKeyDown(uint16_t& key, TShiftState shift) {
    if (!FGrid) {
        TCustomEdit::HandleKeyDown(key, shift);
        return;
    }
    // With goAlwaysShowEditor the horizontal keys leave the text at its ends.
    bool forward = FGrid->Options().Contains(goAlwaysShowEditor);
    bool ctrl = shift.Contains(ssCtrl);
    int length = Utf8Length(Text());
    int selStart = SelStart();
    int selEnd = selStart + SelLength();
    bool rightSide = (selStart == 0 || selEnd == selStart) && selEnd == length;
    bool leftSide = selStart == 0 && (selEnd == 0 || selEnd == length);
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
        SendToGrid(key, shift);
        break;
    case VK_INSERT:
        if (shift.Empty())
            SendToGrid(key, shift);
        else if (shift == TShiftState{ssShift} && !FGrid->CanEditModify())
            key = 0;
        break;
    case VK_LEFT:
    case VK_HOME:
        if (forward && (ctrl || leftSide))
            SendToGrid(key, shift);
        break;
    case VK_RIGHT:
    case VK_END:
        if (forward && (ctrl || rightSide))
            SendToGrid(key, shift);
        break;
    case VK_F2:
        GridKeyEvent(key, shift);
        if (key == VK_F2) {
            Deselect();
            return;
        }
        break;
    case VK_TAB:
        if (!shift.Contains(ssAlt))
            SendToGrid(key, shift);
        break;
    case VK_DELETE:
        if (ctrl)
            SendToGrid(key, shift);
        else if (!FGrid->CanEditModify())
            key = 0;
        break;
    default:
        break;
    }
    if (key != 0) {
        GridKeyEvent(key, shift);
        TCustomEdit::HandleKeyDown(key, shift);
    }
}

void TInplaceEdit::HandleKeyUp(uint16_t& key, TShiftState shift) {
    if (FGrid)
        FGrid->HandleKeyUp(key, shift);
    else
        TCustomEdit::HandleKeyUp(key, shift);
}

void TInplaceEdit::HandleKeyPress(char32_t& key) {
    if (!FGrid) {
        TCustomEdit::HandleKeyPress(key);
        return;
    }
    FGrid->HandleKeyPress(key);
    if (key >= 32 && key != 127 && !FGrid->AcceptEditKey(key)) {
        key = 0;
        MessageBeep(MB_OK);
    }
    switch (key) {
    case 0:
        break;
    case 9:
    case 27:
        key = 0;
        break;
    case 13:
        // Enter with the editor kept shown: toggles between all selected and the caret.
        if (SelStart() == 0 && SelLength() == Utf8Length(Text()))
            Deselect();
        else
            SelectAll();
        key = 0;
        break;
    default:
        if ((key == 8 || key == 22 || key == 24 || key >= 32) && !FGrid->CanEditModify())
            key = 0;
        break;
    }
    if (key != 0)
        TCustomEdit::HandleKeyPress(key);
}

bool TInplaceEdit::CanModify() const {
    return TCustomEdit::CanModify() && (!FGrid || FGrid->CanEditModify());
}

void TInplaceEdit::ComponentNotification(TComponent* component, TOperation operation) {
    TCustomEdit::ComponentNotification(component, operation);
    if (operation == opRemove && component == FGrid)
        FGrid = nullptr;
}

void TInplaceEdit::InternalMove(const TRect& loc, bool redraw) {
    if (loc.IsEmpty()) {
        HideEdit();
        return;
    }
    HandleNeeded();
    SetBounds(loc.Left, loc.Top, loc.Width(), loc.Height());
    if (!Visible())
        SetVisible(true);
    UpdateEditRect();
    if (redraw)
        Invalidate();
    if (FGrid && FGrid->Focused())
        SetFocus();
}

void TInplaceEdit::MoveTo(const TRect& loc) {
    InternalMove(loc, true);
}

void TInplaceEdit::UpdateLoc(const TRect& loc) {
    InternalMove(loc, false);
}

void TInplaceEdit::HideEdit() {
    if (!Visible())
        return;
    // The focus goes back to the grid before the window goes, so that it does not wander
    // to another control.
    if (Focused() && FGrid && FGrid->CanFocus())
        FGrid->SetFocus();
    SetVisible(false);
}

bool TInplaceEdit::PosEqual(const TRect& rect) const {
    return Visible() && BoundsRect() == rect;
}

void TInplaceEdit::Deselect() {
    SetSelStart(Utf8Length(Text()));
    SetSelLength(0);
}

void TInplaceEdit::UpdateContents() {
    if (!FGrid)
        return;
    int limit = FGrid->EditLimit();
    FGrid->FCanEditModify = limit != -1;
    SetMaxLength(std::max(0, limit));
    SetTextSilently(FGrid->GetEditText(FGrid->Col(), FGrid->Row()));
}

void TInplaceEdit::UpdateEditRect() {
    SetEditRect(TRect(2, 2, Width() - 2, Height()));
}
