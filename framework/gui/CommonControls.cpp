#include "framework/gui/CommonControls.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Actions.h"
#include "framework/gui/ControlHelpers.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Menus.h"

#include <QColor>

#include <algorithm>
#include <cstdlib>

using namespace ControlHelpers;

namespace {

// A small filled triangle pointing in the direction (0 up, 1 down, 2 left, 3 right),
// centred in r.
void DrawArrow(TCanvas* canvas, const TRect& r, int direction, TColor color) {
    int size = std::max(2, std::min(r.Width(), r.Height()) / 4);
    int cx = (r.Left + r.Right) / 2;
    int cy = (r.Top + r.Bottom) / 2;
    std::vector<TPoint> points;
    switch (direction) {
    case 0:
        points = {{cx - size, cy + size / 2}, {cx + size, cy + size / 2}, {cx, cy - size / 2 - 1}};
        break;
    case 1:
        points = {{cx - size, cy - size / 2}, {cx + size, cy - size / 2}, {cx, cy + size / 2 + 1}};
        break;
    case 2:
        points = {{cx + size / 2, cy - size}, {cx + size / 2, cy + size}, {cx - size / 2 - 1, cy}};
        break;
    default:
        points = {{cx - size / 2, cy - size}, {cx - size / 2, cy + size}, {cx + size / 2 + 1, cy}};
        break;
    }
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetColor(color);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->Polygon(points);
}

// Runs a user handler from a window-system callback: failures go to the application.
template <class F> void Guarded(TObject* sender, F&& f) {
    try {
        f();
    } catch (...) {
        if (Application)
            Application->HandleException(sender);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// THeaderControl

THeaderSection::THeaderSection(TCollection* collection) : TCollectionItem(collection) {}

void THeaderSection::Publish(TPublisher<THeaderSection>& p) {
    static const TTypeInfo styleType =
        MakeEnumType("THeaderSectionStyle", {"hsText", "hsOwnerDraw"});
    using T = THeaderSection;
    p.Enum("Alignment", AlignmentType(), &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
    p.Bool("AllowClick", &T::AllowClick, &T::SetAllowClick).Default(true);
    p.Integer("MaxWidth", &T::MaxWidth, &T::SetMaxWidth).Default(10000);
    p.Integer("MinWidth", &T::MinWidth, &T::SetMinWidth).Default(0);
    p.Enum("Style", &styleType, &T::Style, &T::SetStyle).Default(hsText);
    p.String("Text", &T::Text, &T::SetText);
    p.Integer("Width", &T::Width, &T::SetWidth).Default(50);
}

void THeaderSection::SetText(const std::string& value) {
    FText = value;
    Changed(false);
}

void THeaderSection::SetWidth(int value) {
    value = std::clamp(value, FMinWidth, std::max(FMinWidth, FMaxWidth));
    if (StoreChanged(FWidth, value))
        Changed(true);
}

void THeaderSection::SetAlignment(TAlignment value) {
    FAlignment = value;
    Changed(false);
}

void THeaderSection::SetStyle(THeaderSectionStyle value) {
    FStyle = value;
    Changed(false);
}

int THeaderSection::Left() const {
    int x = 0;
    TCollection* c = Collection();
    for (int i = 0; c && i < Index(); ++i)
        x += static_cast<THeaderSection*>(c->Items(i))->Width();
    return x;
}

THeaderSections::THeaderSections(THeaderControl* header)
    : TCollection(THeaderSection::StaticClass(), header), FHeader(header) {}

void THeaderSections::Update(TCollectionItem*) {
    if (FHeader)
        FHeader->Invalidate();
}

THeaderControl::THeaderControl(TComponent* owner)
    : TCustomControl(owner), FSections(std::make_unique<THeaderSections>(this)) {
    FControlStyle = TControlStyle{csCaptureMouse, csOpaque};
    SetParentColor(false);
    SetColor(clBtnFace);
    SetAlign(alTop);
    SetBounds(0, 0, 170, 17);
}

THeaderControl::~THeaderControl() = default;

void THeaderControl::Publish(TPublisher<THeaderControl>& p) {
    using T = THeaderControl;
    p.Bool("HotTrack", &T::HotTrack, &T::SetHotTrack).Default(false);
    p.Class("Sections", THeaderSections::StaticClass(), &T::Sections, &T::SetSections);
    p.Event("OnSectionClick", &T::OnSectionClick, &T::SetOnSectionClick);
    p.Event("OnSectionResize", &T::OnSectionResize, &T::SetOnSectionResize);
    p.Event("OnSectionTrack", &T::OnSectionTrack, &T::SetOnSectionTrack);
    p.Event("OnDrawSection", &T::OnDrawSection, &T::SetOnDrawSection);
}

void THeaderControl::SetSections(const THeaderSections* value) {
    if (value)
        FSections->AssignFrom(value);
    Invalidate();
}

int THeaderControl::SectionAt(int x) const {
    int left = 0;
    for (int i = 0; i < FSections->Count(); ++i) {
        int right = left + FSections->Items(i)->Width();
        if (x >= left && x < right)
            return i;
        left = right;
    }
    return -1;
}

int THeaderControl::DividerAt(int x) const {
    int right = 0;
    for (int i = 0; i < FSections->Count(); ++i) {
        right += FSections->Items(i)->Width();
        if (std::abs(x - right) <= 2)
            return i;
    }
    return -1;
}

void THeaderControl::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::HandleMouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled())
        return;
    int divider = DividerAt(x);
    if (divider >= 0) {
        FTracking = divider;
        FTrackStartX = x;
        FTrackStartWidth = FSections->Items(divider)->Width();
        if (FOnSectionTrack)
            FOnSectionTrack(this, FSections->Items(divider), FTrackStartWidth, tsTrackBegin);
        return;
    }
    int section = SectionAt(x);
    if (section >= 0 && FSections->Items(section)->AllowClick()) {
        FPressed = section;
        Invalidate();
    }
}

void THeaderControl::HandleMouseMove(TShiftState shift, int x, int y) {
    TCustomControl::HandleMouseMove(shift, x, y);
    if (FTracking >= 0) {
        THeaderSection* s = FSections->Items(FTracking);
        s->SetWidth(FTrackStartWidth + x - FTrackStartX);
        if (FOnSectionTrack)
            FOnSectionTrack(this, s, s->Width(), tsTrackMove);
        return;
    }
    SetCursor(DividerAt(x) >= 0 ? crHSplit : crDefault);
}

void THeaderControl::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && FTracking >= 0) {
        THeaderSection* s = FSections->Items(FTracking);
        FTracking = -1;
        if (FOnSectionTrack)
            FOnSectionTrack(this, s, s->Width(), tsTrackEnd);
        if (FOnSectionResize)
            FOnSectionResize(this, s);
    } else if (button == mbLeft && FPressed >= 0) {
        int pressed = FPressed;
        FPressed = -1;
        Invalidate();
        if (SectionAt(x) == pressed && y >= 0 && y < Height() && FOnSectionClick)
            FOnSectionClick(this, FSections->Items(pressed));
    }
    TCustomControl::HandleMouseUp(button, shift, x, y);
}

void THeaderControl::PaintControl() {
    TCanvas* canvas = Canvas();
    TRect client = ClientRect();
    FillFace(canvas, client, Color());
    canvas->SetFont(Font());
    int left = 0;
    for (int i = 0; i < FSections->Count(); ++i) {
        THeaderSection* s = FSections->Items(i);
        TRect r(left, 0, left + s->Width(), client.Height());
        left = r.Right;
        bool pressed = i == FPressed;
        TRect edge = r;
        DrawEdge(canvas, edge, pressed ? BDR_SUNKENOUTER : EDGE_RAISED, BF_RECT | BF_ADJUST);
        if (s->Style() == hsOwnerDraw && FOnDrawSection) {
            FOnDrawSection(this, s, r, pressed);
            continue;
        }
        TRect text = r;
        InflateRect(text, -4, 0);
        if (pressed)
            OffsetRect(text, 1, 1);
        unsigned flags = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
        flags |= s->Alignment() == taCenter         ? DT_CENTER
                 : s->Alignment() == taRightJustify ? DT_RIGHT
                                                    : DT_LEFT;
        canvas->Brush()->SetStyle(bsClear);
        canvas->Font()->SetColor(Enabled() ? clBtnText : clGrayText);
        DrawText(canvas, s->Text(), text, flags);
    }
    if (left < client.Right) {
        TRect rest(left, 0, client.Right, client.Height());
        DrawEdge(canvas, rest, EDGE_RAISED, BF_RECT);
    }
}

// ---------------------------------------------------------------------------
// TCustomUpDown

TCustomUpDown::TCustomUpDown(TComponent* owner) : TCustomControl(owner) {
    FControlStyle = TControlStyle{csCaptureMouse, csOpaque, csFixedWidth};
    SetParentColor(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, GetSystemMetrics(SM_CXVSCROLL), 36);
}

TCustomUpDown::~TCustomUpDown() {
    if (FKeyHook)
        UnhookKeyboardHook(FKeyHook);
    FKeyHook = 0;
}

void TCustomUpDown::Publish(TPublisher<TCustomUpDown>& p) {
    static const TTypeInfo orientationType =
        MakeEnumType("TUDOrientation", {"udHorizontal", "udVertical"});
    static const TTypeInfo alignType = MakeEnumType("TUDAlignButton", {"udLeft", "udRight"});
    using T = TCustomUpDown;
    p.Enum("AlignButton", &alignType, &T::AlignButton, &T::SetAlignButton).Default(udRight);
    p.Bool("ArrowKeys", &T::ArrowKeys, &T::SetArrowKeys).Default(true);
    p.Class("Associate", TWinControl::StaticClass(), &T::Associate, &T::SetAssociate);
    p.Integer("Increment", &T::Increment, &T::SetIncrement).Default(1);
    p.Integer("Max", &T::Max, &T::SetMax).Default(100);
    p.Integer("Min", &T::Min, &T::SetMin).Default(0);
    p.Enum("Orientation", &orientationType, &T::Orientation, &T::SetOrientation)
        .Default(udVertical);
    p.Integer("Position", &T::Position, &T::SetPosition).Default(0);
    p.Bool("Thousands", &T::Thousands, &T::SetThousands).Default(true);
    p.Bool("Wrap", &T::Wrap, &T::SetWrap).Default(false);
    p.Event("OnChanging", &T::OnChanging, &T::SetOnChanging);
    p.Event("OnClick", &T::OnClick, &T::SetOnClick);
}

std::string TCustomUpDown::PositionText(int value) const {
    std::string digits = std::to_string(std::abs(value));
    if (FThousands && ThousandSeparator != 0)
        for (int i = int(digits.size()) - 3; i > 0; i -= 3)
            digits.insert(size_t(i), 1, ThousandSeparator);
    return value < 0 ? "-" + digits : digits;
}

int TCustomUpDown::Position() const {
    if (FAssociate) {
        // A number typed into the associated control becomes the position.
        std::string text;
        for (char c : FAssociate->Text())
            if (c != ' ' && !(FThousands && c == ThousandSeparator))
                text += c;
        int value = 0;
        if (TryStrToInt(text, value))
            FPosition = std::clamp(value, Lower(), Upper());
    }
    return FPosition;
}

void TCustomUpDown::SetPosition(int value) {
    value = std::clamp(value, Lower(), Upper());
    if (value == Position())
        return;
    FPosition = value;
    WriteAssociateText();
}

void TCustomUpDown::WriteAssociateText() {
    if (FAssociate)
        FAssociate->SetText(PositionText(FPosition));
}

void TCustomUpDown::SetMin(int value) {
    FMin = value;
    FPosition = std::clamp(FPosition, Lower(), Upper());
}

void TCustomUpDown::SetMax(int value) {
    FMax = value;
    FPosition = std::clamp(FPosition, Lower(), Upper());
}

void TCustomUpDown::SetOrientation(TUDOrientation value) {
    if (!StoreChanged(FOrientation, value))
        return;
    SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TCustomUpDown::SetAlignButton(TUDAlignButton value) {
    if (StoreChanged(FAlignButton, value))
        PlaceAtAssociate();
}

void TCustomUpDown::SetThousands(bool value) {
    if (value == FThousands)
        return;
    Position();
    FThousands = value;
    WriteAssociateText();
}

void TCustomUpDown::SetArrowKeys(bool value) {
    FArrowKeys = value;
    UpdateKeyHook();
}

void TCustomUpDown::SetAssociate(TWinControl* value) {
    if (value == this)
        value = nullptr;
    if (value == FAssociate)
        return;
    if (FAssociate && FAssociate != FKeyBuddy)
        FAssociate->RemoveFreeNotification(this);
    FAssociate = value;
    if (!value) {
        SetKeyBuddy(nullptr);
        return;
    }
    value->FreeNotification(this);
    PlaceAtAssociate();
    WriteAssociateText();
    SetKeyBuddy(value);
}

void TCustomUpDown::PlaceAtAssociate() {
    if (!FAssociate)
        return;
    if (!Parent() && FAssociate->Parent())
        SetParent(FAssociate->Parent());
    int width = Width();
    int remaining = std::max(0, FAssociate->Width() - width);
    int top = FAssociate->Top();
    int height = FAssociate->Height();
    if (FAlignButton == udRight) {
        FAssociate->SetWidth(remaining);
        SetBounds(FAssociate->Left() + remaining, top, width, height);
    } else {
        SetBounds(FAssociate->Left(), top, width, height);
        FAssociate->SetBounds(FAssociate->Left() + width, top, remaining, height);
    }
}

void TCustomUpDown::SetKeyBuddy(TWinControl* control) {
    if (control == FKeyBuddy)
        return;
    if (FKeyBuddy && FKeyBuddy != FAssociate)
        FKeyBuddy->RemoveFreeNotification(this);
    FKeyBuddy = control;
    if (FKeyBuddy)
        FKeyBuddy->FreeNotification(this);
    UpdateKeyHook();
}

void TCustomUpDown::UpdateKeyHook() {
    bool wanted = FKeyBuddy && FArrowKeys;
    if (wanted && !FKeyHook) {
        FKeyHook = SetKeyboardHook([this](int code, WPARAM key, LPARAM data) -> LRESULT {
            bool press = code == HC_ACTION && (uint32_t(data) & 0x80000000u) == 0;
            if (press && (key == VK_UP || key == VK_DOWN) && FKeyBuddy &&
                FKeyBuddy->HandleAllocated() && GetFocus() == FKeyBuddy->Handle() && Enabled()) {
                Guarded(this, [&] { Step(key == VK_UP ? btNext : btPrev); });
                return 1;
            }
            return CallNextHookEx(FKeyHook, code, key, data);
        });
    } else if (!wanted && FKeyHook) {
        UnhookKeyboardHook(FKeyHook);
        FKeyHook = 0;
    }
}

void TCustomUpDown::ComponentNotification(TComponent* component, TOperation operation) {
    TCustomControl::ComponentNotification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FAssociate)
        FAssociate = nullptr;
    if (component == FKeyBuddy) {
        FKeyBuddy = nullptr;
        UpdateKeyHook();
    }
}

bool TCustomUpDown::CanChange() {
    bool allow = true;
    if (FOnChanging)
        FOnChanging(this, allow);
    return allow;
}

void TCustomUpDown::Click(TUDBtnType button) {
    if (FOnClick)
        FOnClick(this, button);
}

void TCustomUpDown::Step(TUDBtnType button) {
    int old = Position();
    int next = old + (button == btNext ? FIncrement : -FIncrement);
    if (next > Upper())
        next = FWrap ? Lower() : Upper();
    else if (next < Lower())
        next = FWrap ? Upper() : Lower();
    if (!CanChange())
        return;
    FPosition = next;
    if (next != old)
        WriteAssociateText();
    FNotifyBase = old;
    UINT msg = FOrientation == udVertical ? CN_VSCROLL : CN_HSCROLL;
    Perform(msg, MAKEWPARAM(int(SB_THUMBPOSITION), int(uint16_t(int16_t(next)))),
            LPARAM(HandleAllocated() ? Handle() : 0));
    Perform(msg, MAKEWPARAM(int(SB_ENDSCROLL), 0), LPARAM(HandleAllocated() ? Handle() : 0));
}

TUDBtnType TCustomUpDown::ButtonAt(int x, int y) const {
    if (FOrientation == udVertical)
        return y < Height() / 2 ? btNext : btPrev;
    return x >= Width() / 2 ? btNext : btPrev;
}

void TCustomUpDown::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CN_VSCROLL:
    case CN_HSCROLL:
        if (LOWORD(message.WParam) == SB_THUMBPOSITION) {
            int pos = int16_t(HIWORD(message.WParam));
            if (pos > FNotifyBase)
                Click(btNext);
            else if (pos < FNotifyBase)
                Click(btPrev);
        }
        message.Result = 0;
        return;
    case UDM_SETPOS: {
        int previous = FPosition;
        SetPosition(int16_t(LOWORD(message.LParam)));
        message.Result = previous;
        return;
    }
    case UDM_GETPOS:
        message.Result = LRESULT(uint16_t(int16_t(Position())));
        return;
    case UDM_SETRANGE:
        FMax = int16_t(LOWORD(message.LParam));
        FMin = int16_t(HIWORD(message.LParam));
        FPosition = std::clamp(FPosition, Lower(), Upper());
        return;
    case UDM_GETRANGE:
        message.Result = MAKELPARAM(int(uint16_t(FMax)), int(uint16_t(FMin)));
        return;
    case UDM_SETBUDDY: {
        TWinControl* previous = FKeyBuddy;
        SetKeyBuddy(message.WParam ? FindControl(HWND(message.WParam)) : nullptr);
        message.Result = previous && previous->HandleAllocated() ? LRESULT(previous->Handle()) : 0;
        return;
    }
    case UDM_GETBUDDY:
        message.Result =
            FKeyBuddy && FKeyBuddy->HandleAllocated() ? LRESULT(FKeyBuddy->Handle()) : 0;
        return;
    case WM_TIMER:
        if (message.WParam == 1) {
            // Held down: the first repeat after 400 ms, then every 100 ms.
            if (HandleAllocated())
                SetTimer(Handle(), 1, 100);
            if (FPressed >= 0 && MouseCapture())
                Step(TUDBtnType(FPressed));
            return;
        }
        break;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        StopRepeat();
        break;
    default:
        break;
    }
    TCustomControl::HandleMessage(message);
}

void TCustomUpDown::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::HandleMouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled())
        return;
    FPressed = ButtonAt(x, y);
    Invalidate();
    if (HandleAllocated())
        SetTimer(Handle(), 1, 400);
    Step(TUDBtnType(FPressed));
}

void TCustomUpDown::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft)
        StopRepeat();
    TCustomControl::HandleMouseUp(button, shift, x, y);
}

void TCustomUpDown::StopRepeat() {
    if (HandleAllocated())
        KillTimer(Handle(), 1);
    if (FPressed >= 0) {
        FPressed = -1;
        Invalidate();
    }
}

void TCustomUpDown::BeforeWindowDestroyed() {
    FPressed = -1;
    TCustomControl::BeforeWindowDestroyed();
}

void TCustomUpDown::PaintControl() {
    TCanvas* canvas = Canvas();
    TRect client = ClientRect();
    TRect next, prev;
    if (FOrientation == udVertical) {
        next = TRect(0, 0, client.Width(), client.Height() / 2);
        prev = TRect(0, client.Height() / 2, client.Width(), client.Height());
    } else {
        prev = TRect(0, 0, client.Width() / 2, client.Height());
        next = TRect(client.Width() / 2, 0, client.Width(), client.Height());
    }
    TColor arrow = Enabled() ? clBtnText : clGrayText;
    auto button = [&](TRect r, TUDBtnType type, int direction) {
        bool down = FPressed == int(type);
        FillFace(canvas, r, clBtnFace);
        TRect e = r;
        DrawEdge(canvas, e, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
        if (down)
            OffsetRect(e, 1, 1);
        DrawArrow(canvas, e, direction, arrow);
    };
    button(next, btNext, FOrientation == udVertical ? 0 : 3);
    button(prev, btPrev, FOrientation == udVertical ? 1 : 2);
}

// ---------------------------------------------------------------------------
// TToolButton

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner) {
    FControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks, csSetCaption};
    SetBounds(0, 0, 23, 22);
}

TToolButton::~TToolButton() = default;

void TToolButton::Publish(TPublisher<TToolButton>& p) {
    static const TTypeInfo styleType = MakeEnumType(
        "TToolButtonStyle", {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"});
    using T = TToolButton;
    p.Class("Action", TBasicAction::StaticClass(), &T::Action, &T::SetAction);
    p.Bool("AllowAllUp", &T::AllowAllUp, &T::SetAllowAllUp).Default(false);
    p.String(
        "Caption", [](const T* c) { return c->Caption(); },
        [](T* c, const std::string& v) { c->SetCaption(v); });
    p.Bool("Down", &T::Down, &T::SetDown).Default(false);
    p.Class("DropdownMenu", TPopupMenu::StaticClass(), &T::DropdownMenu, &T::SetDropdownMenu);
    p.Bool("Grouped", &T::Grouped, &T::SetGrouped).Default(false);
    p.Integer("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1);
    p.Enum("Style", &styleType, &T::Style, &T::SetStyle).Default(tbsButton);
}

TToolBar* TToolButton::ToolBar() const {
    return dynamic_cast<TToolBar*>(Parent());
}

void TToolButton::SetStyle(TToolButtonStyle value) {
    if (value == FStyle)
        return;
    bool wasSeparator = FStyle == tbsSeparator || FStyle == tbsDivider;
    FStyle = value;
    if ((value == tbsSeparator || value == tbsDivider) && !wasSeparator)
        SetWidth(8);
    if (TToolBar* bar = ToolBar())
        bar->ButtonsChanged();
    Invalidate();
}

void TToolButton::SetGrouped(bool value) {
    FGrouped = value;
    if (FDown && value)
        for (TToolButton* b : Group())
            if (b != this)
                b->SetDown(false);
}

std::vector<TToolButton*> TToolButton::Group() const {
    TToolBar* bar = ToolBar();
    if (!bar || !FGrouped || FStyle != tbsCheck)
        return {const_cast<TToolButton*>(this)};
    const auto& buttons = bar->FButtons;
    auto it = std::find(buttons.begin(), buttons.end(), this);
    if (it == buttons.end())
        return {const_cast<TToolButton*>(this)};
    auto member = [](const TToolButton* b) { return b->FGrouped && b->FStyle == tbsCheck; };
    auto first = it;
    while (first != buttons.begin() && member(*(first - 1)))
        --first;
    auto last = it;
    while (last + 1 != buttons.end() && member(*(last + 1)))
        ++last;
    return std::vector<TToolButton*>(first, last + 1);
}

void TToolButton::SetDown(bool value) {
    if (!StoreChanged(FDown, value))
        return;
    if (value && FGrouped)
        for (TToolButton* b : Group())
            if (b != this && b->FDown) {
                b->FDown = false;
                b->Invalidate();
            }
    Invalidate();
}

void TToolButton::SetImageIndex(int value) {
    if (StoreChanged(FImageIndex, value))
        Invalidate();
}

void TToolButton::SetDropdownMenu(TPopupMenu* value) {
    SetComponentReference(this, FDropdownMenu, value);
}

void TToolButton::ActionChange(TBasicAction* sender) {
    TGraphicControl::ActionChange(sender);
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    SetImageIndex(action->ImageIndex());
    if (FStyle == tbsCheck)
        SetDown(action->Checked());
    Invalidate();
}

void TToolButton::ComponentNotification(TComponent* component, TOperation operation) {
    TGraphicControl::ComponentNotification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FDropdownMenu)
        FDropdownMenu = nullptr;
}

bool TToolButton::CheckMenuDropdown() {
    if (!FDropdownMenu)
        return false;
    TPoint p = ClientToScreen(TPoint(0, Height()));
    FDropdownMenu->SetPopupComponent(this);
    FDropdownMenu->Popup(p.X, p.Y);
    return true;
}

void TToolButton::Click() {
    if (FStyle == tbsCheck) {
        std::vector<TToolButton*> group = Group();
        bool allowAllUp =
            std::any_of(group.begin(), group.end(), [](TToolButton* b) { return b->FAllowAllUp; });
        if (!FDown)
            SetDown(true);
        else if (!FGrouped || allowAllUp || group.size() == 1)
            SetDown(false);
    }
    TGraphicControl::Click();
}

void TToolButton::SetHot(bool value) {
    if (StoreChanged(FHot, value))
        Invalidate();
}

void TToolButton::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CM_MOUSEENTER:
        SetHot(Enabled());
        break;
    case CM_MOUSELEAVE:
        SetHot(false);
        break;
    case CM_ENABLEDCHANGED:
        if (!Enabled())
            FHot = false;
        break;
    default:
        break;
    }
    TGraphicControl::HandleMessage(message);
}

void TToolButton::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::HandleMouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled() || FStyle == tbsSeparator || FStyle == tbsDivider)
        return;
    if (FStyle == tbsDropDown && x >= Width() - kDropDownWidth) {
        SetMouseCapture(false);
        CheckMenuDropdown();
        return;
    }
    FPressed = true;
    Invalidate();
}

void TToolButton::HandleMouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::HandleMouseMove(shift, x, y);
    if (Enabled())
        SetHot(PtInRect(ClientRect(), TPoint(x, y)) || FPressed);
}

void TToolButton::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && FPressed) {
        FPressed = false;
        Invalidate();
        int right = FStyle == tbsDropDown ? Width() - kDropDownWidth : Width();
        if (x >= 0 && x < right && y >= 0 && y < Height())
            Click();
    }
    TGraphicControl::HandleMouseUp(button, shift, x, y);
}

void TToolButton::PaintControl() {
    TCanvas* canvas = Canvas();
    TToolBar* bar = ToolBar();
    TRect client = ClientRect();
    if (FStyle == tbsSeparator || FStyle == tbsDivider) {
        if (FStyle == tbsDivider) {
            TRect line(client.Width() / 2 - 1, 0, client.Width() / 2 + 1, client.Height());
            DrawEdge(canvas, line, EDGE_ETCHED, BF_LEFT);
        }
        return;
    }
    bool flat = bar && bar->Flat();
    bool sunken = FDown || (FPressed && FHot);
    TRect main = client;
    TRect arrowPart;
    if (FStyle == tbsDropDown) {
        main.Right -= kDropDownWidth;
        arrowPart = TRect(main.Right, client.Top, client.Right, client.Bottom);
    }
    if (FDown && !FPressed) {
        // A checked button shows a lighter face.
        QColor face = ColorToQColor(clBtnFace);
        QColor light = ColorToQColor(clBtnHighlight);
        TColor mix =
            QColorToColor(QColor((face.red() + light.red()) / 2, (face.green() + light.green()) / 2,
                                 (face.blue() + light.blue()) / 2));
        FillFace(canvas, main, mix);
    }
    auto edge = [&](TRect r, bool down) {
        if (down)
            DrawEdge(canvas, r, flat ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
        else if (!flat)
            DrawEdge(canvas, r, EDGE_RAISED, BF_RECT);
        else if (FHot && Enabled())
            DrawEdge(canvas, r, BDR_RAISEDINNER, BF_RECT);
    };
    edge(main, sunken);
    if (FStyle == tbsDropDown) {
        edge(arrowPart, false);
        DrawArrow(canvas, arrowPart, 1, Enabled() ? clBtnText : clGrayText);
    }
    // The image and the caption.
    TImageList* images = bar ? bar->Images() : nullptr;
    bool drawEnabled = Enabled();
    if (bar && !Enabled() && bar->DisabledImages()) {
        images = bar->DisabledImages();
        drawEnabled = true;
    } else if (bar && FHot && Enabled() && bar->HotImages()) {
        images = bar->HotImages();
    }
    bool hasImage = images && FImageIndex >= 0 && FImageIndex < images->Count();
    bool showCaption = bar && bar->ShowCaptions() && !Caption().empty();
    int offset = sunken ? 1 : 0;
    canvas->SetFont(bar ? bar->Font() : Font());
    TSize textSize = showCaption ? canvas->TextExtent(Caption()) : TSize(0, 0);
    int imageW = hasImage ? images->Width() : 0;
    int imageH = hasImage ? images->Height() : 0;
    TRect textRect;
    if (bar && bar->List()) {
        int total = imageW + (showCaption ? textSize.cx + (hasImage ? 4 : 0) : 0);
        int x = main.Left + (main.Width() - total) / 2 + offset;
        if (hasImage)
            images->Draw(canvas, x, main.Top + (main.Height() - imageH) / 2 + offset, FImageIndex,
                         drawEnabled);
        textRect = TRect(x + imageW + (hasImage ? 4 : 0), main.Top + offset, main.Right,
                         main.Bottom + offset);
    } else {
        int total = imageH + (showCaption ? textSize.cy + (hasImage ? 2 : 0) : 0);
        int y = main.Top + (main.Height() - total) / 2 + offset;
        if (hasImage)
            images->Draw(canvas, main.Left + (main.Width() - imageW) / 2 + offset, y, FImageIndex,
                         drawEnabled);
        int textTop = y + imageH + (hasImage ? 2 : 0);
        textRect =
            TRect(main.Left + 2 + offset, textTop, main.Right - 2 + offset, textTop + textSize.cy);
    }
    if (showCaption) {
        canvas->Brush()->SetStyle(bsClear);
        unsigned flags = DT_SINGLELINE | DT_VCENTER | (bar->List() ? DT_LEFT : DT_CENTER);
        if (!Enabled()) {
            TRect shadow = textRect;
            OffsetRect(shadow, 1, 1);
            canvas->Font()->SetColor(clBtnHighlight);
            DrawText(canvas, Caption(), shadow, flags);
            canvas->Font()->SetColor(clBtnShadow);
        } else {
            canvas->Font()->SetColor(clBtnText);
        }
        DrawText(canvas, Caption(), textRect, flags);
    }
}

// ---------------------------------------------------------------------------
// TToolBar

TToolBar::TToolBar(TComponent* owner) : TCustomControl(owner) {
    FControlStyle =
        TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    SetParentColor(false);
    SetColor(clBtnFace);
    SetAlign(alTop);
    SetBounds(0, 0, 150, 29);
}

TToolBar::~TToolBar() {
    FButtons.clear();
}

void TToolBar::Publish(TPublisher<TToolBar>& p) {
    static const TTypeInfo edgeStyleType =
        MakeEnumType("TEdgeStyle", {"esNone", "esRaised", "esLowered"});
    static const TTypeInfo edgeBorderType =
        MakeEnumType("TEdgeBorder", {"ebLeft", "ebTop", "ebRight", "ebBottom"});
    static const TTypeInfo edgeBordersType = MakeSetType("TEdgeBorders", &edgeBorderType);
    using T = TToolBar;
    p.Bool("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(false);
    p.Integer("ButtonHeight", &T::ButtonHeight, &T::SetButtonHeight).Default(22);
    p.Integer("ButtonWidth", &T::ButtonWidth, &T::SetButtonWidth).Default(23);
    p.Ordinal("Color", TypeInfoTColor(), &TControl::Color, &TControl::SetColor);
    p.Class("DisabledImages", TImageList::StaticClass(), &T::DisabledImages, &T::SetDisabledImages);
    p.Set(
        "EdgeBorders", &edgeBordersType, [](const T* t) { return t->EdgeBorders().ToInt(); },
        [](T* t, int64_t v) { t->SetEdgeBorders(TEdgeBorders::FromInt(uint32_t(v))); });
    p.Enum("EdgeInner", &edgeStyleType, &T::EdgeInner, &T::SetEdgeInner).Default(esRaised);
    p.Enum("EdgeOuter", &edgeStyleType, &T::EdgeOuter, &T::SetEdgeOuter).Default(esLowered);
    p.Bool("Flat", &T::Flat, &T::SetFlat).Default(false);
    p.Class("Font", TFont::StaticClass(), &TControl::Font, &TControl::SetFont);
    p.Class("HotImages", TImageList::StaticClass(), &T::HotImages, &T::SetHotImages);
    p.Class("Images", TImageList::StaticClass(), &T::Images, &T::SetImages);
    p.Integer("Indent", &T::Indent, &T::SetIndent).Default(0);
    p.Bool("List", &T::List, &T::SetList).Default(false);
    p.Bool("ShowCaptions", &T::ShowCaptions, &T::SetShowCaptions).Default(false);
    p.Bool("Wrapable", &T::Wrapable, &T::SetWrapable).Default(true);
}

void TToolBar::SetButtonWidth(int value) {
    if (value == FButtonWidth)
        return;
    FButtonWidth = std::max(0, value);
    ButtonsChanged();
}

void TToolBar::SetButtonHeight(int value) {
    if (value == FButtonHeight)
        return;
    FButtonHeight = std::max(0, value);
    ButtonsChanged();
}

void TToolBar::SetFlat(bool value) {
    if (StoreChanged(FFlat, value))
        Invalidate();
}

void TToolBar::SetShowCaptions(bool value) {
    if (StoreChanged(FShowCaptions, value))
        ButtonsChanged();
}

void TToolBar::SetList(bool value) {
    if (StoreChanged(FList, value))
        ButtonsChanged();
}

void TToolBar::SetWrapable(bool value) {
    if (StoreChanged(FWrapable, value))
        ButtonsChanged();
}

void TToolBar::SetIndent(int value) {
    if (value == FIndent)
        return;
    FIndent = std::max(0, value);
    ButtonsChanged();
}

void TToolBar::SetAutoSize(bool value) {
    if (StoreChanged(FAutoSize, value))
        ButtonsChanged();
}

void TToolBar::SetImages(TImageList* value) {
    SetComponentReference(this, FImages, value);
    Invalidate();
}

void TToolBar::SetHotImages(TImageList* value) {
    SetComponentReference(this, FHotImages, value);
    Invalidate();
}

void TToolBar::SetDisabledImages(TImageList* value) {
    SetComponentReference(this, FDisabledImages, value);
    Invalidate();
}

void TToolBar::ComponentNotification(TComponent* component, TOperation operation) {
    TCustomControl::ComponentNotification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FImages)
        FImages = nullptr;
    if (component == FHotImages)
        FHotImages = nullptr;
    if (component == FDisabledImages)
        FDisabledImages = nullptr;
}

void TToolBar::SetEdgeBorders(TEdgeBorders value) {
    if (StoreChanged(FEdgeBorders, value))
        EdgesChanged();
}

void TToolBar::SetEdgeInner(TEdgeStyle value) {
    if (StoreChanged(FEdgeInner, value))
        EdgesChanged();
}

void TToolBar::SetEdgeOuter(TEdgeStyle value) {
    if (StoreChanged(FEdgeOuter, value))
        EdgesChanged();
}

void TToolBar::EdgesChanged() {
    if (HandleAllocated())
        RecreateWnd();
    TRect client = ClientRect();
    Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
    Invalidate();
}

TRect TToolBar::NonClientBorder() const {
    int edge = (FEdgeInner != esNone ? 1 : 0) + (FEdgeOuter != esNone ? 1 : 0);
    return TRect(FEdgeBorders.Contains(ebLeft) ? edge : 0, FEdgeBorders.Contains(ebTop) ? edge : 0,
                 FEdgeBorders.Contains(ebRight) ? edge : 0,
                 FEdgeBorders.Contains(ebBottom) ? edge : 0);
}

void TToolBar::PaintNonClient(TCanvas* canvas) {
    unsigned flags = 0;
    if (FEdgeBorders.Contains(ebLeft))
        flags |= BF_LEFT;
    if (FEdgeBorders.Contains(ebTop))
        flags |= BF_TOP;
    if (FEdgeBorders.Contains(ebRight))
        flags |= BF_RIGHT;
    if (FEdgeBorders.Contains(ebBottom))
        flags |= BF_BOTTOM;
    unsigned edge = 0;
    if (FEdgeOuter == esRaised)
        edge |= BDR_RAISEDOUTER;
    else if (FEdgeOuter == esLowered)
        edge |= BDR_SUNKENOUTER;
    if (FEdgeInner == esRaised)
        edge |= BDR_RAISEDINNER;
    else if (FEdgeInner == esLowered)
        edge |= BDR_SUNKENINNER;
    FillFace(canvas, TRect(0, 0, Width(), Height()), Color());
    TRect r(0, 0, Width(), Height());
    if (flags && edge)
        DrawEdge(canvas, r, edge, flags);
}

void TToolBar::PaintWindowContent(TCanvas* canvas) {
    FillFace(canvas, ClientRect(), Color());
    TCustomControl::PaintWindowContent(canvas);
}

int TToolBar::ButtonWidthOf(const TToolButton* button) const {
    switch (button->Style()) {
    case tbsSeparator:
    case tbsDivider:
        return button->Width();
    case tbsDropDown:
        return FButtonWidth + TToolButton::kDropDownWidth;
    default:
        return FButtonWidth;
    }
}

int TToolBar::ContentWidth() const {
    int width = FIndent;
    for (TToolButton* b : FButtons)
        if (b->Visible())
            width += ButtonWidthOf(b);
    return width;
}

int TToolBar::ContentHeight() const {
    TRect nc = NonClientBorder();
    const int clientWidth = const_cast<TToolBar*>(this)->ClientWidth();
    return HeightAt(clientWidth + nc.Left + nc.Right) - nc.Top - nc.Bottom;
}

int TToolBar::HeightAt(int width) const {
    TRect nc = NonClientBorder();
    int rows = 1;
    int x = FIndent;
    int limit = width - nc.Left - nc.Right;
    for (TToolButton* b : FButtons) {
        if (!b->Visible())
            continue;
        int w = ButtonWidthOf(b);
        if (FWrapable && x + w > limit && x > FIndent) {
            ++rows;
            x = FIndent;
        }
        x += w;
    }
    return rows * FButtonHeight + nc.Top + nc.Bottom;
}

void TToolBar::ArrangeButtons() {
    if (FArranging)
        return;
    FArranging = true;
    struct TGuard {
        bool& Flag;
        ~TGuard() { Flag = false; }
    } guard{FArranging};
    int x = FIndent, y = 0;
    int limit = ClientWidth();
    for (TToolButton* b : FButtons) {
        if (!b->Visible())
            continue;
        int w = ButtonWidthOf(b);
        if (FWrapable && x + w > limit && x > FIndent) {
            x = FIndent;
            y += FButtonHeight;
        }
        b->SetBounds(x, y, w, FButtonHeight);
        x += w;
    }
    if (FAutoSize) {
        TRect nc = NonClientBorder();
        int height = ContentHeight() + nc.Top + nc.Bottom;
        if (height != Height())
            SetHeight(height);
    }
}

void TToolBar::ButtonsChanged() {
    ArrangeButtons();
    Invalidate();
    // A cool bar holding the bar makes room for its new size.
    if (Parent())
        Parent()->Realign();
}

void TToolBar::ArrangeChildren(TControl* control, TRect& rect) {
    ArrangeButtons();
    TCustomControl::ArrangeChildren(control, rect);
}

void TToolBar::HandleMessage(TMessage& message) {
    if (message.Msg == CM_CONTROLLISTCHANGE) {
        // A control being freed is no longer of its class: compare it as a control.
        auto* control = reinterpret_cast<TControl*>(message.WParam);
        size_t before = FButtons.size();
        std::erase_if(FButtons, [control](const TToolButton* b) { return b == control; });
        bool changed = FButtons.size() != before;
        if (message.LParam != 0)
            if (auto* button = dynamic_cast<TToolButton*>(control)) {
                FButtons.push_back(button);
                changed = true;
            }
        if (changed && !IsDestroying())
            ButtonsChanged();
    }
    TCustomControl::HandleMessage(message);
}

// ---------------------------------------------------------------------------
// TCoolBand, TCoolBands, TCoolBar

TCoolBand::TCoolBand(TCollection* collection) : TCollectionItem(collection) {}

TCoolBand::~TCoolBand() = default;

void TCoolBand::Publish(TPublisher<TCoolBand>& p) {
    using T = TCoolBand;
    p.Bool("Break", &T::Break, &T::SetBreak).Default(true);
    p.Class("Control", TWinControl::StaticClass(), &T::Control, &T::SetControl);
    p.Bool("FixedSize", &T::FixedSize, &T::SetFixedSize).Default(false);
    p.Integer("MinHeight", &T::MinHeight, &T::SetMinHeight).Default(25);
    p.Integer("MinWidth", &T::MinWidth, &T::SetMinWidth).Default(0);
    p.String("Text", &T::Text, &T::SetText);
    p.Bool("Visible", &T::Visible, &T::SetVisible).Default(true);
    p.Integer("Width", &T::Width, &T::SetWidth).Default(0);
}

TCoolBar* TCoolBand::CoolBar() const {
    auto* bands = dynamic_cast<TCoolBands*>(Collection());
    return bands ? bands->CoolBar() : nullptr;
}

void TCoolBand::SetControl(TWinControl* value) {
    if (value == FControl)
        return;
    if (value)
        if (TCoolBar* bar = CoolBar())
            if (TCoolBand* other = bar->Bands()->FindBand(value); other && other != this)
                other->FControl = nullptr;
    FControl = value;
    if (value && CoolBar() && value->Parent() != CoolBar())
        value->SetParent(CoolBar());
    Changed(false);
}

void TCoolBand::SetText(const std::string& value) {
    FText = value;
    Changed(false);
}

void TCoolBand::SetMinHeight(int value) {
    FMinHeight = std::max(0, value);
    Changed(false);
}

void TCoolBand::SetMinWidth(int value) {
    FMinWidth = std::max(0, value);
    Changed(false);
}

void TCoolBand::SetWidth(int value) {
    FWidth = std::max(0, value);
    Changed(false);
}

void TCoolBand::SetBreak(bool value) {
    FBreak = value;
    Changed(false);
}

void TCoolBand::SetFixedSize(bool value) {
    FFixedSize = value;
    Changed(false);
}

void TCoolBand::SetVisible(bool value) {
    FVisible = value;
    if (FControl)
        FControl->SetVisible(value);
    Changed(false);
}

std::string TCoolBand::DisplayName() const {
    if (!FText.empty())
        return FText;
    if (FControl)
        return FControl->Name();
    return TCollectionItem::DisplayName();
}

int TCoolBand::NaturalWidth() const {
    if (FWidth > 0)
        return FWidth;
    TCoolBar* bar = CoolBar();
    int width = TCoolBar::kGripperWidth + 2 * TCoolBar::kBandPadding;
    if (bar && bar->ShowText() && !FText.empty())
        width += TextWidthIn(bar->Font(), FText) + 4;
    if (auto* toolBar = dynamic_cast<TToolBar*>(FControl)) {
        TRect nc = toolBar->NonClientBorder();
        width += toolBar->ContentWidth() + nc.Left + nc.Right;
    } else if (FControl) {
        width += FControl->Width();
    }
    return std::max(width, FMinWidth);
}

int TCoolBand::BandHeight() const {
    return BandHeightAt(NaturalWidth());
}

int TCoolBand::ControlOffset() const {
    TCoolBar* bar = CoolBar();
    int offset = TCoolBar::kGripperWidth + TCoolBar::kBandPadding;
    if (bar && bar->ShowText() && !FText.empty())
        offset += TextWidthIn(bar->Font(), FText) + 4;
    return offset;
}

int TCoolBand::BandHeightAt(int width) const {
    int content = FMinHeight;
    if (auto* toolBar = dynamic_cast<TToolBar*>(FControl)) {
        TRect nc = toolBar->NonClientBorder();
        int height = toolBar->ButtonHeight() + nc.Top + nc.Bottom;
        if (toolBar->Wrapable())
            height = std::max(height, toolBar->HeightAt(std::max(0, width - ControlOffset() -
                                                                        TCoolBar::kBandPadding)));
        content = std::max(content, height);
    } else if (FControl) {
        content = std::max(content, FControl->Height());
    }
    return content + 2 * TCoolBar::kBandPadding;
}

TCoolBands::TCoolBands(TCoolBar* coolBar)
    : TCollection(TCoolBand::StaticClass(), coolBar), FCoolBar(coolBar) {}

std::vector<TCoolBand*> TCoolBands::Live() const {
    std::vector<TCoolBand*> bands;
    for (int i = 0; i < Count(); ++i)
        if (TCoolBand* band = Items(i))
            bands.push_back(band);
    return bands;
}

TCoolBand* TCoolBands::FindBand(const TControl* control) const {
    for (TCoolBand* band : Live())
        if (band->Control() == control)
            return band;
    return nullptr;
}

void TCoolBands::Update(TCollectionItem*) {
    if (FCoolBar && !FCoolBar->IsDestroying()) {
        FCoolBar->ArrangeBands();
        FCoolBar->Invalidate();
    }
}

TCoolBar::TCoolBar(TComponent* owner)
    : TCustomControl(owner), FBands(std::make_unique<TCoolBands>(this)) {
    FControlStyle =
        TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    SetParentColor(false);
    SetColor(clBtnFace);
    SetAlign(alTop);
    SetBounds(0, 0, 150, 75);
}

TCoolBar::~TCoolBar() {
    // Leaving a strip that stays lets the other bars there close up.
    if (FStrip && !FStrip->IsDestroying())
        SetParent(nullptr);
    Destroying();
    FBands->Clear();
}

void TCoolBar::Publish(TPublisher<TCoolBar>& p) {
    using T = TCoolBar;
    p.Bool("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(false);
    p.Class("Bands", TCoolBands::StaticClass(), &T::Bands, &T::SetBands);
    p.Ordinal("Color", TypeInfoTColor(), &TControl::Color, &TControl::SetColor);
    p.Bool("FixedOrder", &T::FixedOrder, &T::SetFixedOrder).Default(false);
    p.Class("Font", TFont::StaticClass(), &TControl::Font, &TControl::SetFont);
    p.Bool("ShowText", &T::ShowText, &T::SetShowText).Default(true);
}

void TCoolBar::SetBands(const TCoolBands* value) {
    if (value)
        FBands->AssignFrom(value);
    ArrangeBands();
}

void TCoolBar::SetAutoSize(bool value) {
    if (StoreChanged(FAutoSize, value))
        ArrangeBands();
}

void TCoolBar::SetShowText(bool value) {
    if (!StoreChanged(FShowText, value))
        return;
    ArrangeBands();
    Invalidate();
}

bool TCoolBar::DockedElsewhere() const {
    auto* home = dynamic_cast<TCustomForm*>(Owner());
    if (!home || !Parent())
        return false;
    for (TWinControl* p = Parent(); p; p = p->Parent())
        if (auto* form = dynamic_cast<TCustomForm*>(p))
            return form != home;
    return true;
}

void TCoolBar::AttachParent(TWinControl* parent) {
    bool wasElsewhere = DockedElsewhere();
    if (!wasElsewhere && !FStrip)
        FHomeAlign = Align();
    TWinControl* oldStrip = FStrip;
    const int oldStripHeight = FStripHeight;
    if (parent != oldStrip)
        FStrip = nullptr;
    TCustomControl::AttachParent(parent);
    if (oldStrip && parent != oldStrip && !oldStrip->IsDestroying()) {
        // The last bar to leave gives the strip its own height back.
        if (StripBars(oldStrip).empty())
            oldStrip->SetHeight(oldStripHeight);
        else
            oldStrip->Realign();
    }
    if (!parent)
        return;
    if (DockedElsewhere()) {
        if (FStrip != parent) {
            FStripHeight = parent->Height();
            for (TCoolBar* other : StripBars(parent))
                if (other != this && other->FStripHeight > 0)
                    FStripHeight = other->FStripHeight;
            FStrip = parent;
        }
        // Placed by FlowStrip whenever the strip arranges its children.
        SetAlign(alNone);
        SetAlign(alCustom);
    } else if (wasElsewhere || oldStrip) {
        SetAlign(FHomeAlign);
    }
    ArrangeBands();
}

std::vector<TCoolBar*> TCoolBar::StripBars(const TWinControl* strip) {
    std::vector<TCoolBar*> bars;
    for (int i = 0; i < strip->ControlCount(); ++i)
        if (auto* bar = dynamic_cast<TCoolBar*>(strip->Controls(i)))
            if (bar->FStrip == strip && bar->Visible() && bar->Align() == alCustom)
                bars.push_back(bar);
    return bars;
}

void TCoolBar::AlignCustom(const TRect& clientRect) {
    // The first bar of the strip lays out all of them.
    if (FStrip && Parent() == FStrip) {
        std::vector<TCoolBar*> bars = StripBars(FStrip);
        if (!bars.empty() && bars.front() == this)
            FlowStrip(FStrip, clientRect);
    }
}

void TCoolBar::FlowStrip(TWinControl* strip, const TRect& clientRect) {
    std::vector<TCoolBar*> bars = StripBars(strip);
    if (bars.empty())
        return;
    const int available = std::max(0, clientRect.Width());
    struct TRow {
        std::vector<std::pair<TCoolBar*, int>> Bars; // with their widths
        int Height = 0;
    };
    std::vector<TRow> rows;
    int x = 0;
    for (TCoolBar* bar : bars) {
        const int width =
            available > 0 ? std::min(bar->ContentWidth(), available) : bar->ContentWidth();
        if (rows.empty() || (x > 0 && x + width > available)) {
            rows.emplace_back();
            x = 0;
        }
        rows.back().Bars.emplace_back(bar, width);
        const int frame = bar->Width() - bar->ClientWidth();
        rows.back().Height = std::max(rows.back().Height, bar->ContentHeightAt(width - frame));
        x += width;
    }
    const int frame = strip->Height() - strip->ClientHeight();
    const int ownClient = std::max(0, bars.front()->FStripHeight - frame);
    if (rows.size() == 1)
        rows[0].Height = std::max(rows[0].Height, ownClient);
    int y = clientRect.Top;
    for (const TRow& row : rows) {
        x = clientRect.Left;
        for (size_t i = 0; i < row.Bars.size(); ++i) {
            // As in a cool bar's own rows, the last bar takes the rest of the row.
            auto [bar, width] = row.Bars[i];
            if (i + 1 == row.Bars.size())
                width = std::max(width, clientRect.Left + available - x);
            bar->SetBounds(x, y, width, row.Height);
            x += width;
        }
        y += row.Height;
    }
    const int needed = std::max(ownClient, y - clientRect.Top);
    if (strip->ClientHeight() != needed)
        strip->SetHeight(needed + frame);
}

int TCoolBar::ContentWidth() const {
    int widest = 0, row = 0;
    bool first = true;
    for (TCoolBand* band : FBands->Live()) {
        if (!band->Visible())
            continue;
        if (band->Break() && !first) {
            widest = std::max(widest, row);
            row = 0;
        }
        first = false;
        row += band->NaturalWidth();
    }
    return std::max(widest, row);
}

int TCoolBar::ContentHeight() const {
    return ContentHeightAt(const_cast<TCoolBar*>(this)->ClientWidth());
}

int TCoolBar::ContentHeightAt(int clientWidth) const {
    int total = 0;
    for (const TBandRow& row : BandRows(clientWidth))
        total += row.Height;
    return total;
}

std::vector<TCoolBar::TBandRow> TCoolBar::BandRows(int clientWidth) const {
    std::vector<TBandRow> rows;
    int x = 0;
    for (TCoolBand* band : FBands->Live()) {
        if (!band->Visible())
            continue;
        if (rows.empty() || band->Break()) {
            rows.emplace_back();
            x = 0;
        }
        rows.back().Bands.emplace_back(band, band->NaturalWidth());
        x += band->NaturalWidth();
    }
    for (TBandRow& row : rows) {
        x = 0;
        for (size_t i = 0; i < row.Bands.size(); ++i) {
            auto& [band, width] = row.Bands[i];
            if (i + 1 == row.Bands.size() && clientWidth > 0)
                width = std::max(clientWidth - x, band->ControlOffset() + kBandPadding + 1);
            row.Height = std::max(row.Height, band->BandHeightAt(width));
            x += width;
        }
    }
    return rows;
}

void TCoolBar::ArrangeBands() {
    if (FArranging || IsDestroying())
        return;
    FArranging = true;
    struct TGuard {
        bool& Flag;
        ~TGuard() { Flag = false; }
    } guard{FArranging};
    bool docked = DockedElsewhere();
    if (docked && FStrip && Align() == alCustom && Width() != ContentWidth())
        FStrip->Realign();
    else if (FAutoSize && !docked && Height() != ContentHeight())
        SetHeight(ContentHeight());
    int y = 0;
    for (const TBandRow& row : BandRows(ClientWidth())) {
        const int height = row.Height;
        int x = 0;
        for (const auto& [band, width] : row.Bands) {
            band->FRect = TRect(x, y, x + width, y + height);
            if (TWinControl* c = band->Control()) {
                int left = x + band->ControlOffset();
                c->SetBounds(left, y + kBandPadding, std::max(0, x + width - kBandPadding - left),
                             height - 2 * kBandPadding);
            }
            x += width;
        }
        y += height;
    }
}

void TCoolBar::ArrangeChildren(TControl*, TRect&) {
    // Every window control sits in its band, whatever its own alignment says.
    ArrangeBands();
}

void TCoolBar::HandleMessage(TMessage& message) {
    if (message.Msg == CM_CONTROLLISTCHANGE && !IsDestroying()) {
        // A control being freed is no longer of its class: look it up as a control.
        auto* control = reinterpret_cast<TControl*>(message.WParam);
        TCoolBand* band = FBands->FindBand(control);
        auto* winControl = message.LParam != 0 ? dynamic_cast<TWinControl*>(control) : nullptr;
        if (winControl && !band) {
            band = static_cast<TCoolBand*>(FBands->Add());
            band->FControl = winControl;
        } else if (message.LParam == 0 && band) {
            delete band;
        }
        ArrangeBands();
        Invalidate();
    }
    TCustomControl::HandleMessage(message);
}

void TCoolBar::PaintControl() {
    TCanvas* canvas = Canvas();
    TRect client = ClientRect();
    FillFace(canvas, client, Color());
    canvas->SetFont(Font());
    for (TCoolBand* band : FBands->Live()) {
        if (!band->Visible())
            continue;
        TRect r = band->BandRect();
        TRect frame = r;
        DrawEdge(canvas, frame, EDGE_ETCHED, BF_RECT);
        // The gripper: two raised bars.
        if (!band->FixedSize())
            for (int k = 0; k < 2; ++k) {
                TRect grip(r.Left + 3 + 3 * k, r.Top + 3, r.Left + 6 + 3 * k, r.Bottom - 3);
                DrawEdge(canvas, grip, BDR_RAISEDINNER, BF_RECT);
            }
        if (FShowText && !band->Text().empty()) {
            TRect text(r.Left + kGripperWidth + kBandPadding, r.Top, r.Right, r.Bottom);
            canvas->Brush()->SetStyle(bsClear);
            canvas->Font()->SetColor(Enabled() ? clBtnText : clGrayText);
            DrawText(canvas, band->Text(), text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        }
    }
}
