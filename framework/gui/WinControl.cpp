// The window controls: TWinControl (its window's life, children, alignment, focus,
// painting through its surface, messages), TCustomControl and TGraphicControl.

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

using WindowSystemDetail::CoveredByOpaqueChildren;
using WindowSystemDetail::IsMouseMessage;
using WindowSystemDetail::MessagePoint;
using WindowSystemDetail::OwnPaintArea;
using WindowSystemDetail::WidgetControls;

namespace {

// The form (docked or not) of each level of the parent chain, innermost first.
std::vector<TCustomForm*> FormsOfChain(TControl* control) {
    std::vector<TCustomForm*> forms;
    for (TControl* c = control; c; c = c->Parent())
        if (auto* f = dynamic_cast<TCustomForm*>(c))
            forms.push_back(f);
    return forms;
}

} // namespace

// ---------------------------------------------------------------------------
// TWinControl

struct TWinControl::TSurface {
    QImage Image;
    QRegion Invalid;
};

TWinControl::TWinControl(TComponent* owner)
    : TControl(owner), FSurface(std::make_unique<TSurface>()) {}

TWinControl::~TWinControl() {
    TComponent::Destroying();
    for (TControl* client : FDockClients)
        client->FHostDockSite = nullptr;
    FDockClients.clear();
    FDockCaptions.clear();
    for (TCustomForm* f : FormsOfChain(Parent()))
        f->ControlRemoved(this);
    DestroyHandle();
    // Children still placed here go with their parent (they leave their owners).
    while (!FControls.empty()) {
        TControl* child = FControls.back();
        RemoveControl(child);
        delete child;
    }
}

void TWinControl::Publish(TPublisher<TWinControl>& p) {
    p.Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    p.Integer("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder);
    p.Event("OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    p.Event("OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    p.Event("OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    p.Event("OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
    p.Event("OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
}

HWND TWinControl::Handle() {
    if (!FHandle)
        CreateHandle();
    return FHandle;
}

QWidget* TWinControl::Widget() {
    if (!FWidget)
        CreateHandle();
    return FWidget;
}

void TWinControl::PrepareWindowParams(TCreateParams& params) {
    params.Caption = Text();
    params.Style = Parent() ? WS_CHILD | WS_CLIPSIBLINGS : WS_OVERLAPPED;
    if (Visible())
        params.Style |= WS_VISIBLE;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    if (TabStop())
        params.Style |= WS_TABSTOP;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    params.ClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    params.WinClassName = ClassName();
}

QWidget* TWinControl::CreateNativeWidget(const TCreateParams&, QWidget* parentWidget) {
    return new TWindowWidget(parentWidget);
}

void TWinControl::CreateHandle() {
    if (FHandle)
        return;
    QWidget* parentWidget = nullptr;
    if (Parent()) {
        parentWidget = Parent()->Widget();
        if (FHandle)
            return; // made with the parent's window
    } else if (!IsTopLevel())
        throw EInvalidOperation(Format("Control '%s' has no parent window", {Name()}));
    TCreateParams params;
    PrepareWindowParams(params);
    if (Parent())
        params.WndParent = Parent()->Handle();
    QWidget* w = CreateNativeWidget(params, parentWidget);
    FOwnPainted = dynamic_cast<TWindowWidget*>(w) != nullptr;
    w->setAttribute(Qt::WA_NoMousePropagation);
    w->setMouseTracking(true);
    bool isForm = dynamic_cast<TCustomForm*>(this) != nullptr;
    if (!parentWidget) {
        Qt::WindowFlags flags = Qt::Window;
        if (params.ExStyle & WS_EX_TOOLWINDOW)
            flags = Qt::Tool;
        if ((params.Style & WS_CAPTION) != WS_CAPTION)
            flags |= Qt::FramelessWindowHint;
        else
            flags |= Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        if (params.ExStyle & WS_EX_TOPMOST)
            flags |= Qt::WindowStaysOnTopHint;
        if (!isForm) {
            // A pop-up (a drop-down list): shown without taking the activation.
            flags |= Qt::WindowDoesNotAcceptFocus;
            w->setAttribute(Qt::WA_ShowWithoutActivating);
        }
        w->setWindowFlags(flags);
        w->setWindowTitle(QString::fromStdString(params.Caption));
    } else if (w->parentWidget() != parentWidget) {
        w->setParent(parentWidget);
    }
    // Kept with the window for painting (see PaintHandler).
    w->setProperty("orvStyle", uint(params.Style));
    w->setProperty("orvExStyle", uint(params.ExStyle));
    FWidget = w;
    FHandle = WindowSystemDetail::RegisterControlWindow(this);
    FBridge = new TWindowBridge(this, w);
    FSurface->Image = QImage();
    FSurface->Invalid = QRegion();
    UpdateWidgetGeometry();
    w->setEnabled(Enabled());
    if (FHasRegion)
        w->setMask(FRegion.ToQRegion());
    if (!FOwnPainted)
        w->setFont(Font()->ToQFont());
    if (Screen && Cursor() != crDefault)
        w->setCursor(Screen->CursorShape(Cursor()));
    AfterWindowCreated();
    for (TControl* c : std::vector<TControl*>(FControls))
        if (auto* wc = dynamic_cast<TWinControl*>(c))
            wc->CreateHandle();
    if (parentWidget || !isForm)
        w->setVisible(Visible());
}

void TWinControl::DestroyHandle() {
    if (!FHandle)
        return;
    FControlState.Include(csDestroyingHandle);
    for (TControl* c : std::vector<TControl*>(FControls))
        if (auto* wc = dynamic_cast<TWinControl*>(c))
            wc->DestroyHandle();
    try {
        BeforeWindowDestroyed();
        Perform(WM_DESTROY);
    } catch (...) {
        FControlState.Exclude(csDestroyingHandle);
        WindowSystemDetail::HandleEventException();
    }
    // A procedure installed on this window goes with it; the next window starts again
    // from the default.
    SetWindowProc(DefaultWindowProc());
    if (FCanvas)
        FCanvas->SetDevice(nullptr);
    WindowSystemDetail::UnregisterWindow(FHandle);
    FHandle = 0;
    QWidget* w = FWidget;
    FWidget = nullptr;
    WidgetControls().erase(w);
    w->removeEventFilter(FBridge);
    FBridge->Detach();
    w->hide();
    if (WindowSystemDetail::InsideEvent()) {
        // The widget may be inside one of its own events: it goes once that has returned.
        FBridge->deleteLater();
        w->deleteLater();
    } else {
        delete FBridge;
        delete w;
    }
    FBridge = nullptr;
    FSurface->Image = QImage();
    FControlState.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd() {
    if (!FHandle)
        return;
    bool hadFocus = Focused();
    DestroyHandle();
    CreateHandle();
    if (!Parent() && Visible() && FWidget)
        FWidget->show();
    if (hadFocus)
        SetFocus();
}

void TWinControl::UpdateWidgetGeometry() {
    if (!FWidget)
        return;
    if (!Parent()) {
        TRect f = WindowFrame();
        FWidget->setGeometry(Left() + f.Left, Top() + f.Top,
                             std::max(0, Width() - f.Left - f.Right),
                             std::max(0, Height() - f.Top - f.Bottom));
    } else {
        TRect nc = Parent()->NonClientBorder();
        FWidget->setGeometry(Left() + nc.Left, Top() + nc.Top, Width(), Height());
    }
}

void TWinControl::ReparentWidget() {
    if (!FWidget)
        return;
    if (!Parent()) {
        if (!IsTopLevel())
            DestroyHandle();
        else
            RecreateWnd();
        return;
    }
    QWidget* pw = Parent()->Widget();
    bool wasTop = FWidget->isWindow();
    if (wasTop) {
        // A window becoming a child gets a child window, as the platform re-creates it.
        RecreateWnd();
        return;
    }
    FWidget->setParent(pw);
    UpdateWidgetGeometry();
    FWidget->setVisible(Visible());
}

void TWinControl::AttachParent(TWinControl* parent) {
    if (parent == Parent())
        return;
    for (TWinControl* p = parent; p; p = p->Parent())
        if (p == this)
            throw EInvalidOperation("A control cannot have itself as its parent");
    TControl::AttachParent(parent);
    if (FHandle)
        ReparentWidget();
    else if (parent && parent->HandleAllocated())
        CreateHandle();
}

void TWinControl::InsertControl(TControl* control) {
    FControls.push_back(control);
    control->FParent = this;
    if (auto* w = dynamic_cast<TWinControl*>(control))
        FTabList.push_back(w);
    if (control->ParentFont())
        control->ParentFontChanged();
    if (control->ParentColor())
        control->ParentColorChanged();
    if (control->ParentShowHint())
        control->FShowHint = ShowHint();
    if (control->Align() != alNone)
        Realign();
    control->Invalidate();
    Perform(CM_CONTROLLISTCHANGE, WPARAM(control), 1);
}

void TWinControl::RemoveControl(TControl* control) {
    if (control->FParent != this)
        return;
    control->Invalidate();
    for (TCustomForm* f : FormsOfChain(this))
        f->ControlRemoved(control);
    if (GetCaptureControl() == control)
        SetCaptureControl(nullptr);
    std::erase(FControls, control);
    // Compared by address: a control leaving from its own destructor is no longer a window
    // control to dynamic_cast, yet its tab-list entry must go with it.
    std::erase_if(FTabList,
                  [control](TWinControl* w) { return static_cast<TControl*>(w) == control; });
    control->FParent = nullptr;
    if (control->Align() != alNone && !IsDestroying())
        Realign();
    if (!IsDestroying())
        Perform(CM_CONTROLLISTCHANGE, WPARAM(control), 0);
}

TControl* TWinControl::ControlAtPos(const TPoint& p, bool allowDisabled,
                                    bool allowWinControls) const {
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (!allowWinControls && dynamic_cast<TWinControl*>(c))
            continue;
        if (!c->Visible() || (!allowDisabled && !c->Enabled()))
            continue;
        if (!PtInRect(c->BoundsRect(), p))
            continue;
        TPoint local(p.X - c->Left(), p.Y - c->Top());
        if (c->Perform(CM_HITTEST, 0, MAKELPARAM(local.X, local.Y)) == 0)
            continue;
        return c;
    }
    return nullptr;
}

bool TWinControl::ContainsControl(const TControl* control) const {
    for (const TControl* c = control; c; c = c->Parent())
        if (c == this)
            return true;
    return false;
}

void TWinControl::Broadcast(TMessage& message) {
    for (TControl* c : std::vector<TControl*>(FControls)) {
        c->SendToWindowProc(message);
        if (message.Result != 0)
            return;
    }
}

void TWinControl::DisableAlign() {
    ++FAlignLevel;
}

void TWinControl::EnableAlign() {
    if (--FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded))
        Realign();
}

void TWinControl::Realign() {
    AlignControls();
}

void TWinControl::AlignControls() {
    if (FAlignLevel > 0 || FAligning || IsDestroying()) {
        FControlState.Include(csAlignmentNeeded);
        return;
    }
    FControlState.Exclude(csAlignmentNeeded);
    FAligning = true;
    try {
        TRect r = ClientRect();
        ArrangeChildren(nullptr, r);
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

void TWinControl::ArrangeChildren(TControl* /*control*/, TRect& rect) {
    const TRect client = rect;
    if (FDockSite)
        ArrangeDockClients(rect);
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<TControl*> list;
        for (TControl* c : FControls)
            if (c->Align() == a && c->Visible())
                list.push_back(c);
        auto key = [a](const TControl* c) {
            switch (a) {
            case alTop:
                return c->Top();
            case alBottom:
                return -(c->Top() + c->Height());
            case alLeft:
                return c->Left();
            case alRight:
                return -(c->Left() + c->Width());
            default:
                return 0;
            }
        };
        std::stable_sort(list.begin(), list.end(),
                         [&](const TControl* x, const TControl* y) { return key(x) < key(y); });
        for (TControl* c : list) {
            int w = std::max(0, rect.Width());
            int h = std::max(0, rect.Height());
            switch (a) {
            case alTop:
                c->SetBounds(rect.Left, rect.Top, w, c->Height());
                rect.Top += c->Height();
                break;
            case alBottom:
                c->SetBounds(rect.Left, rect.Bottom - c->Height(), w, c->Height());
                rect.Bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(rect.Left, rect.Top, c->Width(), h);
                rect.Left += c->Width();
                break;
            case alRight:
                c->SetBounds(rect.Right - c->Width(), rect.Top, c->Width(), h);
                rect.Right -= c->Width();
                break;
            case alClient:
                c->SetBounds(rect.Left, rect.Top, w, h);
                break;
            default:
                break;
            }
        }
    }
    std::vector<TControl*> custom;
    for (TControl* c : FControls)
        if (c->Align() == alCustom && c->Visible())
            custom.push_back(c);
    for (TControl* c : custom)
        c->AlignCustom(client);
}

TRect TWinControl::ClientRect() const {
    TRect f = WindowFrame();
    TRect nc = NonClientBorder();
    return TRect(0, 0, std::max(0, Width() - f.Left - f.Right - nc.Left - nc.Right),
                 std::max(0, Height() - f.Top - f.Bottom - nc.Top - nc.Bottom));
}

TPoint TWinControl::ClientOrigin() const {
    TRect f = WindowFrame();
    TRect nc = NonClientBorder();
    TPoint base = Parent() ? Parent()->ClientOrigin() : TPoint(0, 0);
    return TPoint(base.X + Left() + f.Left + nc.Left, base.Y + Top() + f.Top + nc.Top);
}

void TWinControl::SetVisible(bool value) {
    if (value == Visible())
        return;
    TControl::SetVisible(value);
    if (FWidget)
        FWidget->setVisible(value);
}

void TWinControl::SetEnabled(bool value) {
    TControl::SetEnabled(value);
    if (FWidget)
        FWidget->setEnabled(value);
}

bool TWinControl::Focused() const {
    return FWidget && FindFocusedControl() == this;
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

void TWinControl::SetFocus() {
    QWidget* w = Widget();
    QWidget* top = w->window();
    if (top && !top->isActiveWindow() && top->isVisible()) {
        top->activateWindow();
        QApplication::setActiveWindow(top);
    }
    w->setFocus(Qt::OtherFocusReason);
}

int TWinControl::TabOrder() const {
    if (!Parent())
        return -1;
    auto& list = Parent()->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

void TWinControl::SetTabOrder(int value) {
    if (!Parent())
        return;
    auto& list = Parent()->FTabList;
    std::erase(list, this);
    value = std::clamp(value, 0, int(list.size()));
    list.insert(list.begin() + value, this);
}

std::vector<TWinControl*> TWinControl::TabList() const {
    return FTabList;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
    std::vector<TWinControl*> all;
    std::function<void(const TWinControl*)> collect = [&](const TWinControl* w) {
        for (TWinControl* c : w->FTabList) {
            all.push_back(c);
            collect(c);
        }
    };
    collect(this);
    if (all.empty())
        return;
    int n = int(all.size());
    int start = -1;
    for (int i = 0; i < n; ++i)
        if (all[i] == current)
            start = i;
    for (int step = 1; step <= n; ++step) {
        int i = goForward ? (start + step) % n : ((start - step) % n + n) % n;
        if (start < 0)
            i = goForward ? step - 1 : n - step;
        TWinControl* c = all[i];
        if (c == current)
            continue;
        if (c->CanFocus() && (!checkTabStop || c->TabStop())) {
            c->SetFocus();
            return;
        }
    }
}

void TWinControl::SetWindowRgn(const TRegion* region, bool redraw) {
    FHasRegion = region != nullptr;
    FRegion = region ? *region : TRegion();
    if (FWidget) {
        if (FHasRegion)
            FWidget->setMask(FRegion.ToQRegion());
        else
            FWidget->clearMask();
        if (redraw)
            RequestRepaint();
    }
}

TWindowPlacement TWinControl::GetWindowPlacement() const {
    TWindowPlacement p;
    p.ShowCmd = Visible() ? SW_SHOWNORMAL : SW_HIDE;
    p.NormalPosition = BoundsRect();
    return p;
}

void TWinControl::SetWindowPlacement(const TWindowPlacement& placement) {
    SetBoundsRect(placement.NormalPosition);
}

void TWinControl::RequestRepaint() {
    if (!FWidget)
        return;
    FSurface->Invalid = QRegion(FWidget->rect());
    if (FOwnPainted)
        FWidget->update(OwnPaintArea(FWidget));
    else
        FWidget->update();
}

namespace {

struct TCursorIdent {
    TCursor Cursor;
    const char* Name;
};

constexpr TCursorIdent kCursorIdents[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},           {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},     {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},
};

} // namespace

void GetCursorValues(const std::function<void(const std::string&)>& proc) {
    for (const TCursorIdent& c : kCursorIdents)
        proc(c.Name);
}

bool CursorToIdent(TCursor cursor, std::string& ident) {
    for (const TCursorIdent& c : kCursorIdents)
        if (c.Cursor == cursor) {
            ident = c.Name;
            return true;
        }
    return false;
}

bool IdentToCursor(std::string_view ident, TCursor& cursor) {
    if (SameText(ident, "crSize")) {
        cursor = crSizeAll;
        return true;
    }
    for (const TCursorIdent& c : kCursorIdents)
        if (SameText(ident, c.Name)) {
            cursor = c.Cursor;
            return true;
        }
    return false;
}

void TWinControl::PaintTo(TCanvas* canvas, int x, int y) {
    QWidget* w = Widget();
    if (!w || !canvas)
        return;
    w->ensurePolished();
    if (w->size() != QSize(Width(), Height()))
        w->resize(Width(), Height());
    const QPixmap picture = w->grab();
    if (QPainter* painter = canvas->Painter())
        painter->drawPixmap(x, y, picture);
}

void TWinControl::InvalidateRect(const TRect* r) {
    if (!FWidget)
        return;
    if (!r) {
        RequestRepaint();
        return;
    }
    TRect nc = NonClientBorder();
    QRect q(r->Left + nc.Left, r->Top + nc.Top, r->Width(), r->Height());
    FSurface->Invalid += q;
    FWidget->update(q);
}

namespace {
long gPaintCount = 0;
TPaintObserver gPaintObserver;

TWinControl* TopLevelWindow(const TControl* control) {
    TWinControl* window = control ? control->Parent() : nullptr;
    if (auto* w = dynamic_cast<const TWinControl*>(control))
        window = const_cast<TWinControl*>(w);
    while (window && window->Parent())
        window = window->Parent();
    return window;
}
} // namespace

long WindowPaintCount() {
    return gPaintCount;
}

TPaintObserver SetPaintObserver(TPaintObserver observer) {
    std::swap(observer, gPaintObserver);
    return observer;
}

bool RedrawLocked(const TControl* control) {
    TWinControl* window = TopLevelWindow(control);
    QWidget* w = window ? window->WidgetIfAllocated() : nullptr;
    return w && !w->updatesEnabled();
}

TRedrawLock::TRedrawLock(TControl* control) {
    // The widget's updates are turned off for it and its children; an outer lock (or
    // anyone else) that turned them off already ends the suspension.
    TWinControl* window = TopLevelWindow(control);
    QWidget* w = window ? window->WidgetIfAllocated() : nullptr;
    if (!w || !w->updatesEnabled())
        return;
    w->setUpdatesEnabled(false);
    FWindow = window->Handle();
}

TRedrawLock::~TRedrawLock() {
    TWinControl* window = FWindow ? FindControl(FWindow) : nullptr;
    if (QWidget* w = window ? window->WidgetIfAllocated() : nullptr)
        w->setUpdatesEnabled(true); // marks the whole window for one repaint
}

void TWinControl::Update() {
    if (!FWidget || !FWidget->isVisible())
        return;
    if (FOwnPainted)
        FWidget->repaint(OwnPaintArea(FWidget));
    else
        FWidget->repaint();
}

TCanvas* TWinControl::WindowCanvas() {
    if (!FCanvas)
        FCanvas = std::make_unique<TCanvas>();
    if (FPaintDepth == 0 && FWidget) {
        // Drawing outside a paint goes to the surface and shows when the current event
        // has been handled.
        EnsureSurface();
        if (FCanvas->Device() != &FSurface->Image) {
            FCanvas->SetDevice(&FSurface->Image);
            TRect nc = NonClientBorder();
            FCanvas->SetViewportOrg(nc.Left, nc.Top);
        }
        QWidget* w = FWidget;
        QTimer::singleShot(0, w, [w] { w->update(); });
    }
    return FCanvas.get();
}

void TWinControl::EnsureSurface() {
    if (!FWidget)
        return;
    QSize size = FWidget->size().expandedTo(QSize(1, 1));
    if (FSurface->Image.size() == size)
        return;
    if (FCanvas)
        FCanvas->ReleasePainter();
    FSurface->Image = QImage(size, QImage::Format_RGB32);
    FSurface->Invalid = QRegion(FSurface->Image.rect());
    // Fresh memory is touched only where it shows: the parts under opaque child windows
    // are painted when they are uncovered (they stay invalid until then).
    const QRegion shown = QRegion(FSurface->Image.rect()) - CoveredByOpaqueChildren(FWidget);
    if (shown == QRegion(FSurface->Image.rect())) {
        FSurface->Image.fill(ColorToQColor(Color()));
    } else {
        QPainter p(&FSurface->Image);
        p.setClipRegion(shown);
        p.fillRect(FSurface->Image.rect(), ColorToQColor(Color()));
    }
    if (FCanvas && FCanvas->Device() == &FSurface->Image)
        FCanvas->SetDevice(&FSurface->Image); // the size changed
}

void TWinControl::PaintEvent(TMessage& message) {
    auto* pe = static_cast<QPaintEvent*>(message.Origin);
    message.Origin = nullptr;
    EnsureSurface();
    // What opaque child windows cover is left out: it keeps its invalid mark until it
    // shows.
    QRegion area =
        (FSurface->Invalid & QRegion(FSurface->Image.rect())) - CoveredByOpaqueChildren(FWidget);
    if (!area.isEmpty()) {
        FSurface->Invalid -= area;
        PaintHandler(area);
    }
    QPainter p(FWidget);
    if (pe)
        p.setClipRegion(pe->region());
    p.drawImage(0, 0, FSurface->Image);
}

void TWinControl::PaintHandler(const QRegion& area) {
    if (!FCanvas)
        FCanvas = std::make_unique<TCanvas>();
    TCanvas* c = FCanvas.get();
    ++gPaintCount;
    if (gPaintObserver)
        gPaintObserver(this);
    ++FPaintDepth;
    struct TDepthGuard {
        int& Depth;
        ~TDepthGuard() { --Depth; }
    } guard{FPaintDepth};
    c->SetDevice(&FSurface->Image);
    if (Parent() && Parent()->FWidget && !Parent()->FSurface->Image.isNull() &&
        (FWidget->property("orvExStyle").toUInt() & WS_EX_TRANSPARENT)) {
        // A transparent window starts from the parent's picture under it, brought up to
        // date first where the parent has not painted it yet.
        TWinControl* parent = Parent();
        QRegion stale = parent->FSurface->Invalid & QRect(FWidget->pos(), FSurface->Image.size());
        if (!stale.isEmpty() && parent->FPaintDepth == 0) {
            parent->FSurface->Invalid -= stale;
            parent->PaintHandler(stale);
        }
        QPainter p(&FSurface->Image);
        p.setClipRegion(area);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(0, 0), Parent()->FSurface->Image,
                    QRect(FWidget->pos(), FSurface->Image.size()));
    }
    TRegion clip(area);
    c->SelectClipRgn(&clip);
    TRect nc = NonClientBorder();
    if (nc != TRect())
        PaintNonClient(c);
    c->SetViewportOrg(nc.Left, nc.Top);
    TRect client = ClientRect();
    c->IntersectClipRect(0, 0, client.Width(), client.Height());
    if (!HasStyle(csOpaque)) {
        TMessage m{WM_ERASEBKGND, WPARAM(c), 0, 0, nullptr};
        SendToWindowProc(m);
    }
    PaintWindowContent(c);
    c->ReleasePainter();
    PaintGraphicChildren(area);
    c->SetDevice(&FSurface->Image);
    c->SetViewportOrg(nc.Left, nc.Top);
}

void TWinControl::PaintGraphicChildren(const QRegion& area) {
    TRect nc = NonClientBorder();
    for (TControl* child : std::vector<TControl*>(FControls)) {
        auto* g = dynamic_cast<TGraphicControl*>(child);
        if (!g || !g->Visible())
            continue;
        QRect r(g->Left() + nc.Left, g->Top() + nc.Top, g->Width(), g->Height());
        if (!area.intersects(r))
            continue;
        g->PaintOn(FCanvas.get(), area, TPoint(r.x(), r.y()));
    }
}

void TWinControl::HandleMessage(TMessage& message) {
    if (IsMouseMessage(message.Msg) && ForwardMouseToGraphicChild(message))
        return;
    switch (message.Msg) {
    case WM_MOUSEWHEEL:
        if (DoMouseWheel(message)) {
            message.Result = 1;
            return;
        }
        TControl::HandleMessage(message);
        return;
    case WM_PAINT:
        if (FOwnPainted && message.Origin) {
            PaintEvent(message);
            return;
        }
        DefaultHandler(message);
        return;
    case WM_ERASEBKGND: {
        auto* c = reinterpret_cast<TCanvas*>(message.WParam);
        if (c) {
            TBrush saved;
            saved.AssignFrom(c->Brush());
            c->Brush()->SetStyle(bsSolid);
            c->Brush()->SetColor(Color());
            c->FillRect(ClientRect());
            c->SetBrush(&saved);
        }
        message.Result = 1;
        return;
    }
    case WM_SIZE: {
        // Anchored children follow the change of the client area, aligned ones are
        // arranged again, then the control hears of its new size.
        TRect client = ClientRect();
        int dw = client.Width() - FArrangedSize.cx;
        int dh = client.Height() - FArrangedSize.cy;
        bool hadSize = FArrangedSize.cx > 0 || FArrangedSize.cy > 0;
        FArrangedSize = TSize(client.Width(), client.Height());
        if (hadSize && (dw != 0 || dh != 0)) {
            DisableAlign();
            try {
                for (TControl* c : std::vector<TControl*>(FControls))
                    if (c->Align() == alNone)
                        c->ApplyAnchors(dw, dh);
            } catch (...) {
                EnableAlign();
                throw;
            }
            FAlignLevel--;
        }
        Realign();
        HandleResize();
        return;
    }
    case WM_NCHITTEST: {
        TPoint p =
            ScreenToClient(TPoint(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)));
        message.Result = PtInRect(ClientRect(), p) ? HTCLIENT : HTBORDER;
        return;
    }
    case WM_SETCURSOR: {
        if (!FWidget)
            return;
        TCursor cur = Cursor();
        TPoint p;
        GetCursorPos(p);
        TPoint local = ScreenToClient(p);
        if (TControl* child = ControlAtPos(local, false); child && child->Cursor() != crDefault)
            cur = child->Cursor();
        if (Screen) {
            if (Screen->Cursor() != crDefault)
                cur = Screen->Cursor();
            if (cur == crDefault)
                FWidget->unsetCursor();
            else
                FWidget->setCursor(Screen->CursorShape(cur));
        }
        message.Result = 1;
        return;
    }
    case WM_SETFOCUS: {
        std::vector<TCustomForm*> forms = FormsOfChain(this);
        if (!forms.empty())
            forms.back()->SetFocusedControl(this);
        DefaultHandler(message);
        return;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
        KeyMessage(message);
        return;
    case CN_KEYDOWN:
        message.Result = PreviewKey(message) ? 1 : 0;
        return;
    case CM_ENTER:
        HandleEnter();
        return;
    case CM_EXIT:
        HandleExit();
        return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
        Broadcast(message);
        return;
    case CM_FONTCHANGED:
        if (FWidget && !FOwnPainted)
            FWidget->setFont(Font()->ToQFont());
        for (TControl* c : std::vector<TControl*>(FControls))
            c->ParentFontChanged();
        Invalidate();
        return;
    case CM_COLORCHANGED:
        for (TControl* c : std::vector<TControl*>(FControls))
            c->ParentColorChanged();
        Invalidate();
        return;
    case CM_CURSORCHANGED:
        if (FWidget && Screen) {
            if (Cursor() == crDefault)
                FWidget->unsetCursor();
            else
                FWidget->setCursor(Screen->CursorShape(Cursor()));
        }
        return;
    case CM_TEXTCHANGED:
        if (FWidget && FWidget->isWindow())
            FWidget->setWindowTitle(QString::fromStdString(Text()));
        Invalidate();
        return;
    case WM_COMMAND:
        // A child's notification (its handle in LParam) goes back to it as CN_COMMAND.
        if (TWinControl* child = FindControl(HWND(message.LParam)); child && child != this) {
            message.Result = child->Perform(CN_COMMAND, message.WParam, message.LParam);
            return;
        }
        DefaultHandler(message);
        return;
    case WM_DRAWITEM: {
        // Owner drawing is the child's business: reflect the request to it.
        auto* dis = reinterpret_cast<TDrawItemStruct*>(message.LParam);
        if (dis)
            if (TWinControl* child = FindControl(dis->HwndItem); child && child != this) {
                message.Result = child->Perform(CN_DRAWITEM, message.WParam, message.LParam);
                return;
            }
        DefaultHandler(message);
        return;
    }
    case WM_GETMINMAXINFO:
    case WM_CLOSE:
    case WM_ACTIVATE:
    case WM_DESTROY:
    case WM_MOVE:
    case WM_WINDOWPOSCHANGED:
    case WM_CAPTURECHANGED:
        DefaultHandler(message);
        return;
    default:
        TControl::HandleMessage(message);
        return;
    }
}

bool TWinControl::ForwardMouseToGraphicChild(TMessage& message) {
    TPoint pt = MessagePoint(message);
    TControl* target = nullptr;
    TControl* cap = GetCaptureControl();
    if (cap && cap != this) {
        if (cap->Parent() == this && !dynamic_cast<TWinControl*>(cap))
            target = cap;
        else
            return false;
    } else if (!cap) {
        target = ControlAtPos(pt, false);
    }
    if (!target)
        return false;
    TMessage m = message;
    m.Origin = nullptr;
    m.LParam = MAKELPARAM(pt.X - target->Left(), pt.Y - target->Top());
    target->SendToWindowProc(m);
    message.Result = m.Result;
    // A press on a graphic control still gives the window its default processing.
    message.Origin = nullptr;
    return true;
}

void TWinControl::KeyMessage(TMessage& message) {
    TCustomForm* form = GetParentForm(this);
    bool preview = form && form != static_cast<TControl*>(this) && form->KeyPreview();
    switch (message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        uint16_t key = uint16_t(message.WParam);
        TShiftState shift = KeyboardShiftState();
        if (preview) {
            form->HandleKeyDown(key, shift);
            if (key == 0)
                return;
        }
        HandleKeyDown(key, shift);
        if (key == 0)
            return;
        message.WParam = key;
        DefaultHandler(message);
        return;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        uint16_t key = uint16_t(message.WParam);
        TShiftState shift = KeyboardShiftState();
        if (preview) {
            form->HandleKeyUp(key, shift);
            if (key == 0)
                return;
        }
        HandleKeyUp(key, shift);
        if (key == 0)
            return;
        // What the window system does with a key let go that no one took: the menu key,
        // or Shift+F10, asks for the context menu of the control with the focus (at no
        // point: the control places it); F10 alone takes the keyboard to the menu bar.
        const bool plain = !shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
        if (plain && (key == VK_APPS || (key == VK_F10 && shift.Contains(ssShift)))) {
            Perform(WM_CONTEXTMENU, WPARAM(Handle()), LPARAM(-1));
            return;
        }
        if (plain && key == VK_F10) {
            TWinControl* top = this;
            while (top->Parent())
                top = top->Parent();
            if (auto* window = dynamic_cast<TCustomForm*>(top); window && window->EnterMenuBar())
                return;
        }
        message.WParam = key;
        DefaultHandler(message);
        return;
    }
    case WM_SYSCHAR:
        // The character of an Alt key is no typing: it reaches neither OnKeyPress nor
        // the window's text.
        DefaultHandler(message);
        return;
    default: {
        char32_t ch = char32_t(message.WParam);
        if (preview) {
            form->HandleKeyPress(ch);
            if (ch == 0)
                return;
        }
        HandleKeyPress(ch);
        if (ch == 0)
            return;
        message.WParam = ch;
        DefaultHandler(message);
        return;
    }
    }
}

bool TWinControl::PreviewKey(TMessage& message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->IsShortCut(message))
        return true;
    if (Application && Application->IsShortCut(message))
        return true;
    int key = int(message.WParam);
    LRESULT mask = 0;
    switch (key) {
    case VK_TAB:
        mask = DLGC_WANTTAB;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        mask = DLGC_WANTARROWS;
        break;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_CANCEL:
        mask = DLGC_WANTALLKEYS;
        break;
    default:
        break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, WPARAM(key)) == 0 &&
        (Perform(WM_GETDLGCODE) & mask) == 0 && form &&
        form->Perform(CM_DIALOGKEY, WPARAM(key), message.LParam) != 0)
        return true;
    return false;
}

void TWinControl::DefaultHandler(TMessage& message) {
    if (message.Msg == WM_MOUSEWHEEL) {
        // A wheel turn the window leaves alone goes to its parent, up to a window that
        // scrolls: a scroll box scrolls under any of its children.
        bool taken = false;
        if (auto* e = static_cast<QEvent*>(message.Origin)) {
            e->setAccepted(false);
            TWindowBridge::HandBack(this, message);
            taken = e->isAccepted();
        }
        if (!taken && Parent())
            message.Result = Parent()->Perform(WM_MOUSEWHEEL, message.WParam, message.LParam);
        return;
    }
    if (!FWidget)
        return;
    if (message.Origin) {
        if ((message.Msg == WM_KEYDOWN || message.Msg == WM_SYSKEYDOWN) && !FOwnPainted) {
            // A key that types a character reaches the widget with its WM_CHAR, so that
            // a character handler can change or drop it first. With Alt it is a menu or
            // accelerator key only: one that none took types nothing.
            auto* ke = static_cast<QKeyEvent*>(message.Origin);
            QString t = ke->text();
            const bool typing = !t.isEmpty() && t.at(0).unicode() >= 0x20 &&
                                t.at(0).unicode() != 0x7F &&
                                !(ke->modifiers() & Qt::ControlModifier);
            if (typing) {
                message.Origin = nullptr;
                return;
            }
        }
        TWindowBridge::HandBack(this, message);
        return;
    }
    if ((message.Msg == WM_CHAR) && !FOwnPainted && message.WParam >= 0x20 &&
        message.WParam != 0x7F) {
        char32_t ch = char32_t(message.WParam);
        int vk = int(MapVirtualKey(UINT((message.LParam >> 16) & 0x1FF), 1));
        Qt::KeyboardModifiers mods;
        if (GetKeyState(VK_SHIFT) < 0)
            mods |= Qt::ShiftModifier;
        QKeyEvent e(QEvent::KeyPress, WindowSystemDetail::QtKeyFromVirtualKey(vk), mods,
                    QString::fromUcs4(&ch, 1));
        static_cast<QObject*>(FWidget)->event(&e);
    }
}

void TWinControl::HandleKeyDown(uint16_t& key, TShiftState shift) {
    if (FOnKeyDown)
        FOnKeyDown(this, key, shift);
}

void TWinControl::HandleKeyUp(uint16_t& key, TShiftState shift) {
    if (FOnKeyUp)
        FOnKeyUp(this, key, shift);
}

void TWinControl::HandleKeyPress(char32_t& key) {
    if (FOnKeyPress)
        FOnKeyPress(this, key);
}

void TWinControl::HandleEnter() {
    if (FOnEnter)
        FOnEnter(this);
}

void TWinControl::HandleExit() {
    if (FOnExit)
        FOnExit(this);
}

// ---------------------------------------------------------------------------
// TCustomControl, TGraphicControl

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::PaintWindowContent(TCanvas* canvas) {
    PaintControl();
}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), FCanvas(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() {
    if (FCanvas)
        FCanvas->SetDevice(nullptr);
}

TCanvas* TGraphicControl::Canvas() {
    TWinControl* p = Parent();
    if (!p || !p->HandleAllocated() || p->FPaintDepth > 0)
        return FCanvas.get();
    // Outside a paint: the parent's surface, limited to this control.
    p->EnsureSurface();
    if (p->FCanvas)
        p->FCanvas->ReleasePainter();
    TRect nc = p->NonClientBorder();
    FCanvas->SetDevice(&p->FSurface->Image);
    FCanvas->SetViewportOrg(Left() + nc.Left, Top() + nc.Top);
    TRegion clip = TRegion::FromRect(Bounds(Left() + nc.Left, Top() + nc.Top, Width(), Height()));
    FCanvas->SelectClipRgn(&clip);
    QWidget* w = p->FWidget;
    QTimer::singleShot(0, w, [w] { w->update(); });
    return FCanvas.get();
}

void TGraphicControl::PaintOn(TCanvas* parentCanvas, const QRegion& area, const TPoint& origin) {
    TWinControl* p = Parent();
    parentCanvas->ReleasePainter();
    FCanvas->SetDevice(&p->FSurface->Image);
    QRegion clip = area & QRegion(origin.X, origin.Y, Width(), Height());
    TRegion rgn(clip);
    FCanvas->SelectClipRgn(&rgn);
    FCanvas->SetViewportOrg(origin.X, origin.Y);
    try {
        Perform(WM_PAINT, WPARAM(FCanvas.get()), 0);
    } catch (...) {
        FCanvas->SetDevice(nullptr);
        throw;
    }
    FCanvas->SetDevice(nullptr);
}
