#include "framework/gui/Controls.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Actions.h"
#include "framework/gui/Forms.h"
#include "framework/gui/RedrawLock.h"
#include "framework/gui/WindowBridge.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <unordered_map>

using WindowSystemDetail::IsMouseMessage;
using WindowSystemDetail::MessagePoint;
using WindowSystemDetail::WidgetControls;

namespace {

TControl* gCaptureControl = nullptr; // a graphic control holding the capture
int gEventDepth = 0;                 // Qt events being handed to controls now
TControl* gMouseControl = nullptr;   // the control under the mouse (enter/leave)

void SetMouseControl(TControl* control) {
    if (control == gMouseControl)
        return;
    TControl* old = gMouseControl;
    gMouseControl = control;
    if (old)
        old->Perform(CM_MOUSELEAVE);
    if (control && gMouseControl == control)
        control->Perform(CM_MOUSEENTER);
}

} // namespace

// ---------------------------------------------------------------------------
// Helpers

TShiftState ShiftStateFromMouseFlags(WPARAM flags) {
    TShiftState s;
    if (flags & MK_SHIFT)
        s.Include(ssShift);
    if (flags & MK_CONTROL)
        s.Include(ssCtrl);
    if (flags & MK_LBUTTON)
        s.Include(ssLeft);
    if (flags & MK_RBUTTON)
        s.Include(ssRight);
    if (flags & MK_MBUTTON)
        s.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0)
        s.Include(ssAlt);
    return s;
}

TShiftState KeyboardShiftState() {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0)
        s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        s.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0)
        s.Include(ssAlt);
    return s;
}

TCustomForm* GetParentForm(const TControl* control) {
    const TControl* c = control;
    while (c && c->Parent())
        c = c->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

TWinControl* FindFocusedControl() {
    QWidget* w = QApplication::focusWidget();
    while (w) {
        if (TWinControl* c = TWindowBridge::ControlOfWidget(w))
            return c;
        w = w->parentWidget();
    }
    return nullptr;
}

TControl* GetCaptureControl() {
    if (gCaptureControl)
        return gCaptureControl;
    return FindControl(GetCapture());
}

void SetCaptureControl(TControl* control) {
    gCaptureControl = nullptr;
    if (!control) {
        ReleaseCapture();
        return;
    }
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        SetCapture(w->Handle());
        return;
    }
    if (control->Parent() && control->Parent()->HandleAllocated()) {
        SetCapture(control->Parent()->Handle());
        gCaptureControl = control;
    }
}

namespace {
// Marks the scroll bars a control lays over its own widget.
constexpr const char* kOverlayBar = "orvOverlayBar";
} // namespace

namespace WindowSystemDetail {
std::unordered_map<const QWidget*, TWinControl*>& WidgetControls() {
    static std::unordered_map<const QWidget*, TWinControl*> map;
    return map;
}

bool InsideEvent() {
    return gEventDepth > 0;
}

bool IsMouseMessage(UINT msg) {
    return msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK;
}

TPoint MessagePoint(const TMessage& m) {
    return TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
}

QRegion CoveredByOpaqueChildren(const QWidget* w) {
    QRegion covered;
    for (QObject* child : w->children())
        if (auto* c = qobject_cast<QWidget*>(child);
            c && c->isVisible() && c->testAttribute(Qt::WA_OpaquePaintEvent))
            covered +=
                c->mask().isEmpty() ? QRegion(c->geometry()) : c->mask().translated(c->pos());
    return covered;
}

QRegion OwnPaintArea(const QWidget* w) {
    QRegion area(w->rect());
    for (QObject* child : w->children())
        if (auto* bar = qobject_cast<QWidget*>(child);
            bar && bar->isVisible() && bar->property(kOverlayBar).toBool())
            area -= bar->geometry();
    return area;
}

QScrollBar* NewScrollBar(QWidget* parent, bool vertical) {
    auto* bar = new QScrollBar(vertical ? Qt::Vertical : Qt::Horizontal, parent);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setProperty(kOverlayBar, true);
    return bar;
}

void ReleaseScrollBar(QScrollBar*& bar) {
    if (!bar)
        return;
    bar->disconnect();
    bar->hide();
    bar->deleteLater();
    bar = nullptr;
}

WPARAM MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    WPARAM flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

void ForgetControl(const void* control) {
    ForgetDragControl(control);
    if (gCaptureControl == control) {
        gCaptureControl = nullptr;
        ReleaseCapture();
    }
    if (gMouseControl == control)
        gMouseControl = nullptr;
}

int VirtualKeyFromQt(int key, const QString& text) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_Print:
        return VK_SNAPSHOT;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_CapsLock:
        return VK_CAPITAL;
    case Qt::Key_NumLock:
        return VK_NUMLOCK;
    case Qt::Key_ScrollLock:
        return VK_SCROLL;
    case Qt::Key_Menu:
        return VK_APPS;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Plus:
        return VK_OEM_PLUS;
    case Qt::Key_Minus:
        return VK_OEM_MINUS;
    case Qt::Key_Comma:
        return VK_OEM_COMMA;
    case Qt::Key_Period:
        return VK_OEM_PERIOD;
    case Qt::Key_Asterisk:
        return VK_MULTIPLY;
    case Qt::Key_Help:
        return VK_HELP;
    default:
        break;
    }
    // A character of another script: the key of Unicode input.
    return text.isEmpty() ? 0 : 0xE7;
}

int QtKeyFromVirtualKey(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        return vk;
    if (vk >= VK_F1 && vk <= VK_F12)
        return Qt::Key_F1 + (vk - VK_F1);
    switch (vk) {
    case VK_ESCAPE:
        return Qt::Key_Escape;
    case VK_TAB:
        return Qt::Key_Tab;
    case VK_BACK:
        return Qt::Key_Backspace;
    case VK_RETURN:
        return Qt::Key_Return;
    case VK_INSERT:
        return Qt::Key_Insert;
    case VK_DELETE:
        return Qt::Key_Delete;
    case VK_PAUSE:
        return Qt::Key_Pause;
    case VK_SNAPSHOT:
        return Qt::Key_Print;
    case VK_HOME:
        return Qt::Key_Home;
    case VK_END:
        return Qt::Key_End;
    case VK_LEFT:
        return Qt::Key_Left;
    case VK_UP:
        return Qt::Key_Up;
    case VK_RIGHT:
        return Qt::Key_Right;
    case VK_DOWN:
        return Qt::Key_Down;
    case VK_PRIOR:
        return Qt::Key_PageUp;
    case VK_NEXT:
        return Qt::Key_PageDown;
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
        return Qt::Key_Shift;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
        return Qt::Key_Control;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
        return Qt::Key_Alt;
    case VK_CAPITAL:
        return Qt::Key_CapsLock;
    case VK_NUMLOCK:
        return Qt::Key_NumLock;
    case VK_SCROLL:
        return Qt::Key_ScrollLock;
    case VK_APPS:
        return Qt::Key_Menu;
    case VK_SPACE:
        return Qt::Key_Space;
    case VK_OEM_PLUS:
        return Qt::Key_Plus;
    case VK_OEM_MINUS:
        return Qt::Key_Minus;
    case VK_OEM_COMMA:
        return Qt::Key_Comma;
    case VK_OEM_PERIOD:
        return Qt::Key_Period;
    case VK_MULTIPLY:
        return Qt::Key_Asterisk;
    default:
        return Qt::Key_unknown;
    }
}
} // namespace WindowSystemDetail

// ---------------------------------------------------------------------------
// TWindowWidget

TWindowWidget::TWindowWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoMousePropagation);
    setAutoFillBackground(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void TWindowWidget::mousePressEvent(QMouseEvent* e) {
    e->accept();
}
void TWindowWidget::mouseReleaseEvent(QMouseEvent* e) {
    e->accept();
}
void TWindowWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    e->accept();
}
void TWindowWidget::mouseMoveEvent(QMouseEvent* e) {
    e->accept();
}
void TWindowWidget::wheelEvent(QWheelEvent* e) {
    // Unlike a click, a wheel turn the window does not use goes on to its parent.
    e->ignore();
}
void TWindowWidget::keyPressEvent(QKeyEvent* e) {
    e->accept();
}
void TWindowWidget::keyReleaseEvent(QKeyEvent* e) {
    e->accept();
}
void TWindowWidget::closeEvent(QCloseEvent* e) {
    e->ignore();
}

// ---------------------------------------------------------------------------
// TWindowBridge

TWindowBridge::TWindowBridge(TWinControl* control, QWidget* widget)
    : FControl(control), FWidget(widget) {
    WidgetControls()[widget] = control;
    widget->installEventFilter(this);
}

TWinControl* TWindowBridge::ControlOfWidget(const QWidget* widget) {
    auto it = WidgetControls().find(widget);
    return it == WidgetControls().end() ? nullptr : it->second;
}

bool TWindowBridge::HandBack(TWinControl* control, TMessage& message) {
    if (!message.Origin)
        return false;
    auto* e = static_cast<QEvent*>(message.Origin);
    message.Origin = nullptr;
    QWidget* w = control->WidgetIfAllocated();
    if (!w)
        return false;
    // QObject::event is public: the widget's own processing, without our filter.
    return static_cast<QObject*>(w)->event(e);
}

bool TWindowBridge::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FWidget || !FControl)
        return false;
    ++gEventDepth;
    bool handled = true;
    try {
        handled = Translate(event);
    } catch (...) {
        WindowSystemDetail::HandleEventException();
    }
    --gEventDepth;
    return handled;
}

bool TWindowBridge::Translate(QEvent* event) {
    TWinControl* c = FControl;
    switch (event->type()) {
    case QEvent::Paint: {
        TMessage m{WM_PAINT, 0, 0, 0, event};
        c->SendToWindowProc(m);
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return MouseEvent(event);
    case QEvent::Wheel: {
        auto* we = static_cast<QWheelEvent*>(event);
        QPoint g = we->globalPosition().toPoint();
        const WPARAM flags = WindowSystemDetail::MouseKeyFlags(we->buttons(), we->modifiers());
        TMessage m{WM_MOUSEWHEEL, MAKEWPARAM(int(flags), we->angleDelta().y()),
                   MAKELPARAM(g.x(), g.y()), 0, event};
        c->SendToWindowProc(m);
        // The window's procedure has passed it on to the parents that wanted it: the
        // toolkit must not hand it to the parent widgets a second time.
        event->accept();
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return KeyEvent(static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn: {
        TMessage m{WM_SETFOCUS, 0, 0, 0, event};
        c->SendToWindowProc(m);
        return true;
    }
    case QEvent::FocusOut: {
        TMessage m{WM_KILLFOCUS, 0, 0, 0, event};
        c->SendToWindowProc(m);
        return true;
    }
    case QEvent::Leave:
        if (gMouseControl && (gMouseControl == c || gMouseControl->Parent() == c))
            SetMouseControl(nullptr);
        return false;
    case QEvent::Close: {
        event->ignore();
        c->Perform(WM_CLOSE);
        return true;
    }
    case QEvent::Resize:
    case QEvent::Move:
        if (!c->Parent() && event->spontaneous()) {
            // The window manager moved or sized the window.
            TRect f = c->WindowFrame();
            QRect g = FWidget->geometry();
            c->SetBounds(g.x() - f.Left, g.y() - f.Top, g.width() + f.Left + f.Right,
                         g.height() + f.Top + f.Bottom);
        }
        return false;
    case QEvent::WindowStateChange:
        if (!c->Parent() && event->spontaneous()) {
            // The window manager's buttons act as the system menu's commands.
            Qt::WindowStates st = FWidget->windowState();
            WPARAM cmd = (st & Qt::WindowMinimized)   ? SC_MINIMIZE
                         : (st & Qt::WindowMaximized) ? SC_MAXIMIZE
                                                      : SC_RESTORE;
            c->Perform(WM_SYSCOMMAND, cmd);
        }
        return false;
    case QEvent::WindowActivate:
        if (!c->Parent())
            c->Perform(WM_ACTIVATE, WA_ACTIVE);
        return false;
    case QEvent::WindowDeactivate:
        if (!c->Parent())
            c->Perform(WM_ACTIVATE, WA_INACTIVE);
        return false;
    default:
        return false;
    }
}

bool TWindowBridge::MouseEvent(QEvent* event) {
    auto* me = static_cast<QMouseEvent*>(event);
    if (!FWidget->isEnabled()) {
        // A disabled window gets no mouse input.
        event->accept();
        return true;
    }
    QPoint global = me->globalPosition().toPoint();
    WindowSystemDetail::SetLastCursorPos(global.x(), global.y());
    if (WindowSystemDetail::DragMouseEvent(event)) // a drag sees the mouse first
        return true;
    TWinControl* target = FControl;
    QPoint local = me->position().toPoint();
    HWND cap = GetCapture();
    if (cap != 0 && cap != FControl->Handle()) {
        if (TWinControl* capControl = FindControl(cap); capControl && capControl->Widget()) {
            target = capControl;
            local = capControl->Widget()->mapFromGlobal(global);
        }
    }
    TRect nc = target->NonClientBorder();
    TPoint pt(local.x() - nc.Left, local.y() - nc.Top);

    const WPARAM flags = WindowSystemDetail::MouseKeyFlags(me->buttons(), me->modifiers());

    UINT base = 0; // offset from the left-button message
    switch (me->button()) {
    case Qt::RightButton:
        base = WM_RBUTTONDOWN - WM_LBUTTONDOWN;
        break;
    case Qt::MiddleButton:
        base = WM_MBUTTONDOWN - WM_LBUTTONDOWN;
        break;
    default:
        break;
    }
    UINT msg = WM_MOUSEMOVE;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        msg = WM_LBUTTONDOWN + base;
        break;
    case QEvent::MouseButtonDblClick:
        msg = WM_LBUTTONDBLCLK + base;
        break;
    case QEvent::MouseButtonRelease:
        msg = WM_LBUTTONUP + base;
        break;
    default:
        break;
    }

    void* origin = target == FControl ? event : nullptr;
    bool inClient = PtInRect(target->ClientRect(), pt);
    if (msg != WM_MOUSEMOVE && cap == 0 && !inClient) {
        // The frame or caption strip of a docked form.
        LRESULT hit = target->Perform(WM_NCHITTEST, 0, MAKELPARAM(global.x(), global.y()));
        if (msg == WM_LBUTTONDOWN)
            target->Perform(WM_NCLBUTTONDOWN, WPARAM(hit), MAKELPARAM(global.x(), global.y()));
        event->accept();
        return true;
    }
    if (msg == WM_MOUSEMOVE) {
        TControl* under = target;
        if (cap == 0)
            if (TControl* child = target->ControlAtPos(pt, false))
                under = child;
        SetMouseControl(under);
        target->Perform(WM_SETCURSOR, target->Handle(), MAKELPARAM(int(HTCLIENT), WM_MOUSEMOVE));
    }
    if ((msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) && cap == 0 &&
        target->Parent()) {
        // A child window is asked first whether the press activates and reaches it.
        HWND top = target->Handle();
        for (TWinControl* p = target->Parent(); p; p = p->Parent())
            top = p->Handle();
        LRESULT answer =
            target->Perform(WM_MOUSEACTIVATE, WPARAM(top), MAKELPARAM(int(HTCLIENT), int(msg)));
        if (answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT) {
            event->accept();
            return true;
        }
    }
    TMessage m{msg, flags, MAKELPARAM(pt.X, pt.Y), 0, origin};
    target->SendToWindowProc(m);
    event->accept();
    return true;
}

bool TWindowBridge::KeyEvent(QKeyEvent* ke) {
    int vk = WindowSystemDetail::VirtualKeyFromQt(ke->key(), ke->text());
    if (vk == 0)
        return false;
    bool down = ke->type() == QEvent::KeyPress;
    if (down && WindowSystemDetail::DragKey(vk)) {
        ke->accept();
        return true;
    }
    // The modifier keys' state follows the event.
    Qt::KeyboardModifiers mods = ke->modifiers();
    uint8_t state[256];
    GetKeyboardState(state);
    auto sync = [&](int generic, Qt::KeyboardModifier mod) {
        if (vk == generic)
            return;
        if (mods & mod)
            state[generic] |= 0x80;
        else
            state[generic] &= 0x7F;
    };
    sync(VK_SHIFT, Qt::ShiftModifier);
    sync(VK_CONTROL, Qt::ControlModifier);
    sync(VK_MENU, Qt::AltModifier);
    SetKeyboardState(state);
    bool was = WindowSystemDetail::RecordKey(vk, down);
    LPARAM data = MakeKeyData(vk, !down, was || ke->isAutoRepeat());
    if (WindowSystemDetail::RunKeyboardHooks(vk, data)) {
        ke->accept();
        return true;
    }
    TWinControl* c = FControl;
    bool alt = (mods & Qt::AltModifier) != 0;
    if (down) {
        TMessage pre{CN_KEYDOWN, WPARAM(vk), data, 0, nullptr};
        c->SendToWindowProc(pre);
        if (pre.Result != 0 || !FControl) {
            ke->accept();
            return true;
        }
        HWND h = c->Handle();
        TMessage m{alt ? WM_SYSKEYDOWN : WM_KEYDOWN, WPARAM(vk), data, 0, ke};
        c->SendToWindowProc(m);
        // The typed characters follow as their own messages, after this one.
        QString text = ke->text();
        if (!text.isEmpty() && IsWindow(h))
            for (char32_t ch : text.toUcs4())
                PostMessage(h, alt ? WM_SYSCHAR : WM_CHAR, WPARAM(ch), data);
    } else {
        TMessage m{alt ? WM_SYSKEYUP : WM_KEYUP, WPARAM(vk), data, 0, ke};
        c->SendToWindowProc(m);
    }
    ke->accept();
    return true;
}

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* owner) : TComponent(owner), FFont(std::make_unique<TFont>()) {
    FDefaultWindowProc = TWndMethod([this](TMessage& m) { HandleMessage(m); });
    FWindowProc = FDefaultWindowProc;
    FFont->SetOnChange(TNotifyEvent([this](TObject* s) { FontChanged(s); }));
}

TControl::~TControl() {
    Destroying();
    if (FHostDockSite)
        FHostDockSite->RemoveDockClient(this);
    WindowSystemDetail::ForgetControl(this);
    if (FParent)
        FParent->RemoveControl(this);
}

void TControl::Publish(TPublisher<TControl>& p) {
    static const TTypeInfo alignType = MakeEnumType(
        "TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"});
    p.Integer("Left", &TControl::Left, &TControl::SetLeft);
    p.Integer("Top", &TControl::Top, &TControl::SetTop);
    p.Integer("Width", &TControl::Width, &TControl::SetWidth);
    p.Integer("Height", &TControl::Height, &TControl::SetHeight);
    p.Enum("Align", &alignType, &TControl::Align, &TControl::SetAlign).Default(alNone);
    p.Bool("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    p.Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    p.String("Hint", &TControl::Hint, &TControl::SetHint);
    p.Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Default(false);
    p.Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    p.Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(true);
    p.Event("OnClick", &TControl::OnClick, &TControl::SetOnClick);
    p.Event("OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    p.Event("OnResize", &TControl::OnResize, &TControl::SetOnResize);
    p.Event("OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    p.Event("OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    p.Event("OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
}

TComponent* TControl::ParentComponent() const {
    return FParent;
}

void TControl::SetParentComponent(TComponent* value) {
    if (auto* w = dynamic_cast<TWinControl*>(value))
        SetParent(w);
}

void TControl::AttachParent(TWinControl* parent) {
    if (parent == FParent)
        return;
    if (parent == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent)
        FParent->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
        return;
    TRect old = BoundsRect();
    bool sized = width != FWidth || height != FHeight;
    bool moved = left != FLeft || top != FTop;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (auto* w = dynamic_cast<TWinControl*>(this))
        w->UpdateWidgetGeometry();
    else if (FParent && FVisible) {
        FParent->InvalidateRect(&old);
        TRect now = BoundsRect();
        FParent->InvalidateRect(&now);
    }
    Perform(WM_WINDOWPOSCHANGED);
    if (sized)
        Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth(), ClientHeight()));
    if (moved)
        Perform(WM_MOVE, 0, MAKELPARAM(FLeft, FTop));
    if (FAlign != alNone)
        RequestAlign();
}

TRect TControl::ClientRect() const {
    return TRect(0, 0, FWidth, FHeight);
}

void TControl::SetClientWidth(int value) {
    SetWidth(FWidth + value - ClientWidth());
}

void TControl::SetClientHeight(int value) {
    SetHeight(FHeight + value - ClientHeight());
}

TPoint TControl::ClientOrigin() const {
    if (!FParent)
        return TPoint(FLeft, FTop);
    TPoint p = FParent->ClientOrigin();
    return TPoint(p.X + FLeft, p.Y + FTop);
}

TPoint TControl::ClientToScreen(const TPoint& p) const {
    TPoint o = ClientOrigin();
    return TPoint(p.X + o.X, p.Y + o.Y);
}

TPoint TControl::ScreenToClient(const TPoint& p) const {
    TPoint o = ClientOrigin();
    return TPoint(p.X - o.X, p.Y - o.Y);
}

void TControl::SetAlign(TAlign value) {
    if (value == FAlign)
        return;
    FAlign = value;
    if (value != alNone && value != alCustom)
        FAnchors = TAnchors{akLeft, akTop};
    RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
    FAnchors = value;
}

void TControl::RequestAlign() {
    if (FParent)
        FParent->Realign();
}

void TControl::ApplyAnchors(int dw, int dh) {
    if (FAlign != alNone)
        return;
    int l = FLeft, t = FTop, w = FWidth, h = FHeight;
    if (FAnchors.Contains(akRight)) {
        if (FAnchors.Contains(akLeft))
            w += dw;
        else
            l += dw;
    } else if (!FAnchors.Contains(akLeft)) {
        l += dw / 2;
    }
    if (FAnchors.Contains(akBottom)) {
        if (FAnchors.Contains(akTop))
            h += dh;
        else
            t += dh;
    } else if (!FAnchors.Contains(akTop)) {
        t += dh / 2;
    }
    SetBounds(l, t, w, h);
}

void TControl::SetVisible(bool value) {
    if (value == FVisible)
        return;
    FVisible = value;
    if (FParent && !dynamic_cast<TWinControl*>(this)) {
        TRect r = BoundsRect();
        FParent->InvalidateRect(&r);
    }
    Perform(CM_VISIBLECHANGED, value ? 1 : 0);
    RequestAlign();
}

void TControl::Show() {
    SetVisible(true);
}
void TControl::Hide() {
    SetVisible(false);
}

bool TControl::Showing() const {
    return FVisible && FParent && FParent->Showing();
}

void TControl::SetEnabled(bool value) {
    if (value == FEnabled)
        return;
    FEnabled = value;
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor value) {
    FParentColor = false;
    if (value == FColor)
        return;
    FColor = value;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
    if (value == FParentColor)
        return;
    FParentColor = value;
    if (value)
        ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (!FParentColor || !FParent)
        return;
    if (FParent->Color() != FColor) {
        FColor = FParent->Color();
        Perform(CM_COLORCHANGED);
    }
}

namespace {
bool gFontFromParent = false;
}

void TControl::FontChanged(TObject*) {
    if (!gFontFromParent)
        FParentFont = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool value) {
    if (value == FParentFont)
        return;
    FParentFont = value;
    if (value)
        ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!FParentFont || !FParent)
        return;
    bool saved = gFontFromParent;
    gFontFromParent = true;
    try {
        FFont->AssignFrom(FParent->Font());
    } catch (...) {
        gFontFromParent = saved;
        throw;
    }
    gFontFromParent = saved;
}

void TControl::SetText(const std::string& value) {
    if (value == FText)
        return;
    FText = value;
    TextChanged();
}

void TControl::TextChanged() {
    Perform(CM_TEXTCHANGED);
}

bool TControl::ShowHint() const {
    if (FParentShowHint && FParent)
        return FParent->ShowHint();
    return FShowHint;
}

void TControl::SetShowHint(bool value) {
    FParentShowHint = false;
    FShowHint = value;
}

void TControl::SetParentShowHint(bool value) {
    FParentShowHint = value;
    if (value && FParent)
        FShowHint = FParent->ShowHint();
}

void TControl::SetCursor(TCursor value) {
    if (value == FCursor)
        return;
    FCursor = value;
    Perform(CM_CURSORCHANGED);
}

bool TControl::MouseCapture() const {
    return GetCaptureControl() == this;
}

void TControl::SetMouseCapture(bool value) {
    if (value == MouseCapture())
        return;
    SetCaptureControl(value ? this : nullptr);
}

TCustomForm* TControl::ParentForm() const {
    return GetParentForm(this);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0, nullptr};
    SendToWindowProc(m);
    return m.Result;
}

void TControl::SendToWindowProc(TMessage& message) {
    TWndMethod proc = FWindowProc; // the procedure may be replaced while it runs
    if (proc)
        proc(message);
    else
        HandleMessage(message);
}

void TControl::DefaultHandler(TMessage& message) {}

bool TControl::DoMouseWheel(const TMessage& message) {
    const int delta = int16_t(HIWORD(message.WParam));
    const TMouseWheelUpDownEvent& handler = delta > 0 ? FOnMouseWheelUp : FOnMouseWheelDown;
    if (delta == 0 || !handler)
        return false;
    bool handled = false;
    handler(this, ShiftStateFromMouseFlags(LOWORD(message.WParam)),
            TPoint(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)), handled);
    return handled;
}

void TControl::HandleMessage(TMessage& message) {
    if (IsMouseMessage(message.Msg)) {
        MouseMessage(message);
        return;
    }
    switch (message.Msg) {
    case WM_SIZE:
        HandleResize();
        break;
    case WM_PAINT:
        if (message.WParam != 0 && !dynamic_cast<TWinControl*>(this)) {
            PaintControl();
            return;
        }
        break;
    case CM_MOUSEENTER:
        if (FOnMouseEnter)
            FOnMouseEnter(this);
        if (Application && message.LParam == 0)
            Application->ControlMouseEntered(this);
        return;
    case CM_MOUSELEAVE:
        if (FOnMouseLeave)
            FOnMouseLeave(this);
        if (Application && message.LParam == 0)
            Application->ControlMouseLeft(this);
        return;
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_TEXTCHANGED:
        Invalidate();
        return;
    case CM_FONTCHANGED:
        Invalidate();
        return;
    case CM_CANCELMODE:
    case WM_CANCELMODE:
        if (MouseCapture())
            SetMouseCapture(false);
        break;
    case CM_HITTEST:
        message.Result = HTCLIENT;
        return;
    case WM_CONTEXTMENU:
        if (auto* menu = dynamic_cast<IPopupMenu*>(FPopupMenu)) {
            int x = int16_t(message.LParam & 0xFFFF);
            int y = int16_t((message.LParam >> 16) & 0xFFFF);
            if (message.LParam == LPARAM(-1)) {
                // Asked by the keyboard: the menu comes up at the control's corner.
                const TPoint corner = ClientToScreen(TPoint(0, 0));
                x = corner.X;
                y = corner.Y;
            }
            menu->PopupFor(this, x, y);
            message.Result = 1;
            return;
        }
        if (Parent()) {
            message.Result = Parent()->Perform(WM_CONTEXTMENU, message.WParam, message.LParam);
            return;
        }
        break;
    default:
        break;
    }
    DefaultHandler(message);
}

void TControl::SetPopupMenu(TComponent* value) {
    SetComponentReference(this, FPopupMenu, value);
}

void TControl::ComponentNotification(TComponent* component, TOperation operation) {
    TComponent::ComponentNotification(component, operation);
    if (operation == opRemove && component == FPopupMenu)
        FPopupMenu = nullptr;
    if (operation == opRemove && FActionLink)
        FActionLink->ActionRemoved(component);
}

void TControl::MouseMessage(TMessage& message) {
    // Without double clicks, a double click is a second press.
    if (!HasStyle(csDoubleClicks)) {
        if (message.Msg == WM_LBUTTONDBLCLK || message.Msg == WM_RBUTTONDBLCLK ||
            message.Msg == WM_MBUTTONDBLCLK)
            message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    }
    DefaultHandler(message);
    TPoint pt = MessagePoint(message);
    TShiftState shift = ShiftStateFromMouseFlags(message.WParam);
    if (message.Msg != WM_MOUSEMOVE && Application)
        Application->CancelHint(); // a click ends the hint
    switch (message.Msg) {
    case WM_MOUSEMOVE:
        HandleMouseMove(shift, pt.X, pt.Y);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        bool dbl = message.Msg == WM_LBUTTONDBLCLK;
        if (HasStyle(csCaptureMouse))
            SetMouseCapture(true);
        if (HasStyle(csClickEvents))
            FControlState.Include(csClicked);
        if (dbl) {
            shift.Include(ssDouble);
            if (HasStyle(csClickEvents))
                DblClick();
        }
        // An automatic drag waits for the mouse to move; the control's own press
        // handling may still call it off (EndDrag).
        if (FDragMode == dmAutomatic && !dbl)
            BeginDrag(false);
        HandleMouseDown(mbLeft, shift, pt.X, pt.Y);
        break;
    }
    case WM_LBUTTONUP:
        if (HasStyle(csCaptureMouse))
            SetMouseCapture(false);
        if (FControlState.Contains(csClicked)) {
            FControlState.Exclude(csClicked);
            if (PtInRect(ClientRect(), pt))
                Click();
        }
        HandleMouseUp(mbLeft, shift, pt.X, pt.Y);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        if (message.Msg == WM_RBUTTONDBLCLK)
            shift.Include(ssDouble);
        HandleMouseDown(mbRight, shift, pt.X, pt.Y);
        break;
    case WM_RBUTTONUP: {
        HandleMouseUp(mbRight, shift, pt.X, pt.Y);
        // As the platform's default processing does: a right click asks for a context menu.
        const TPoint screen = ClientToScreen(pt);
        Perform(WM_CONTEXTMENU, 0, LPARAM((screen.X & 0xFFFF) | ((screen.Y & 0xFFFF) << 16)));
        break;
    }
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        if (message.Msg == WM_MBUTTONDBLCLK)
            shift.Include(ssDouble);
        HandleMouseDown(mbMiddle, shift, pt.X, pt.Y);
        break;
    case WM_MBUTTONUP:
        HandleMouseUp(mbMiddle, shift, pt.X, pt.Y);
        break;
    default:
        break;
    }
}

void TControl::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (FOnMouseDown)
        FOnMouseDown(this, button, shift, x, y);
}

void TControl::HandleMouseMove(TShiftState shift, int x, int y) {
    if (FOnMouseMove)
        FOnMouseMove(this, shift, x, y);
}

void TControl::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (FOnMouseUp)
        FOnMouseUp(this, button, shift, x, y);
}

void TControl::HandleResize() {
    if (FOnResize)
        FOnResize(this);
}

void TControl::Click() {
    if (FOnClick)
        FOnClick(this);
    else
        ExecuteAction();
}

void TControl::DblClick() {
    if (FOnDblClick)
        FOnDblClick(this);
}

void TControl::RequestRepaint() {
    if (FParent && FVisible) {
        TRect r = BoundsRect();
        FParent->InvalidateRect(&r);
    }
}

void TControl::Update() {
    if (FParent)
        FParent->Update();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::BringToFront() {
    if (!FParent)
        return;
    auto& list = FParent->FControls;
    std::erase(list, this);
    list.push_back(this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->FWidget)
        w->FWidget->raise();
    Invalidate();
}

void TControl::SendToBack() {
    if (!FParent)
        return;
    auto& list = FParent->FControls;
    std::erase(list, this);
    list.insert(list.begin(), this);
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->FWidget)
        w->FWidget->lower();
    Invalidate();
}
