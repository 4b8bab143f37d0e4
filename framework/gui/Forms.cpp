#include "framework/gui/Forms.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/Registry.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/ToolkitStyle.h"
#include "framework/gui/Translations.h"
#include "framework/gui/WindowBridge.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <functional>

const TGlobalObject<TApplication> Application;
const TGlobalObject<TScreen> Screen;

namespace {
TApplication* gApplication = nullptr;
TScreen* gScreen = nullptr;
} // namespace

void EnsureApplicationObjects() {
    if (!gScreen)
        gScreen = new TScreen(nullptr);
    if (!gApplication)
        gApplication = new TApplication(nullptr);
}

template <> TApplication* TGlobalObject<TApplication>::Get() const {
    EnsureApplicationObjects();
    return gApplication;
}

template <> TScreen* TGlobalObject<TScreen>::Get() const {
    EnsureApplicationObjects();
    return gScreen;
}

namespace {
void QuitHandler(int exitCode) {
    if (Application) {
        Application->Terminate();
        (void)exitCode;
    }
}
} // namespace

namespace WindowSystemDetail {
void HandleEventException() {
    if (Application)
        Application->HandleException(nullptr);
}
} // namespace WindowSystemDetail

std::string GetShortHint(const std::string& hint) {
    size_t p = hint.find('|');
    return p == std::string::npos ? hint : hint.substr(0, p);
}

std::string GetLongHint(const std::string& hint) {
    size_t p = hint.find('|');
    return p == std::string::npos ? hint : hint.substr(p + 1);
}

// ---------------------------------------------------------------------------
// Shortcuts

TShortCut ShortCut(uint16_t key, TShiftState shift) {
    if (key & 0xFF00)
        return scNone;
    TShortCut s = key;
    if (shift.Contains(ssShift))
        s |= scShift;
    if (shift.Contains(ssCtrl))
        s |= scCtrl;
    if (shift.Contains(ssAlt))
        s |= scAlt;
    return s;
}

void ShortCutToKey(TShortCut shortCut, uint16_t& key, TShiftState& shift) {
    key = shortCut & 0xFF;
    shift = TShiftState();
    if (shortCut & scShift)
        shift.Include(ssShift);
    if (shortCut & scCtrl)
        shift.Include(ssCtrl);
    if (shortCut & scAlt)
        shift.Include(ssAlt);
}

namespace {
struct TKeyName {
    uint16_t Key;
    const char* Name;
};
constexpr TKeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},    {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},  {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};
} // namespace

std::string ShortCutToText(TShortCut shortCut) {
    uint16_t key = shortCut & 0xFF;
    std::string name;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        name = std::string(1, char(key));
    else if (key >= VK_F1 && key <= VK_F12)
        name = "F" + std::to_string(key - VK_F1 + 1);
    else
        for (const TKeyName& k : kKeyNames)
            if (k.Key == key)
                name = k.Name;
    if (name.empty())
        return "";
    std::string prefix;
    if (shortCut & scShift)
        prefix += "Shift+";
    if (shortCut & scCtrl)
        prefix += "Ctrl+";
    if (shortCut & scAlt)
        prefix += "Alt+";
    return prefix + name;
}

TShortCut TextToShortCut(const std::string& text) {
    std::string rest = text;
    TShortCut mods = 0;
    for (;;) {
        auto take = [&](const char* p, TShortCut flag) {
            size_t n = std::char_traits<char>::length(p);
            if (rest.size() > n && SameText(rest.substr(0, n), p)) {
                rest = rest.substr(n);
                mods |= flag;
                return true;
            }
            return false;
        };
        if (!take("Shift+", scShift) && !take("Ctrl+", scCtrl) && !take("Alt+", scAlt))
            break;
    }
    for (int k = 1; k < 256; ++k) {
        std::string name = ShortCutToText(TShortCut(k));
        if (!name.empty() && SameText(name, rest))
            return TShortCut(k) | mods;
    }
    return scNone;
}

TShortCut ShortCutFromMessage(const TMessage& message) {
    return ShortCut(uint16_t(message.WParam), KeyboardShiftState());
}

// ---------------------------------------------------------------------------
// TCustomForm

struct TCustomForm::TMenuBarRef {
    QPointer<QWidget> Bar;
};

TCustomForm::TCustomForm(TComponent* owner)
    : TWinControl(owner), FMenuBar(std::make_unique<TMenuBarRef>()) {
    EnsureApplicationObjects();
    FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                  csDoubleClicks};
    TControl::SetVisible(false);
    SetParentColor(false);
    SetParentFont(false);
    FColor = clBtnFace;
    SetBounds(0, 0, 320, 240);
    Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    BeforeDestruction();
    Screen->RemoveForm(this);
    if (Application->FMainForm == this)
        Application->FMainForm = nullptr;
}

void TCustomForm::Publish(TPublisher<TCustomForm>& p) {
    p.String(
        "Caption", [](const TCustomForm* f) { return f->Caption(); },
        [](TCustomForm* f, const std::string& v) { f->SetCaption(v); });
    p.Bool("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(false);
    p.Integer("HelpContext", &TCustomForm::HelpContext, &TCustomForm::SetHelpContext).Default(0);
    p.Event("OnCreate", &TCustomForm::OnCreate, &TCustomForm::SetOnCreate);
    p.Event("OnDestroy", &TCustomForm::OnDestroy, &TCustomForm::SetOnDestroy);
    p.Event("OnShow", &TCustomForm::OnShow, &TCustomForm::SetOnShow);
    p.Event("OnHide", &TCustomForm::OnHide, &TCustomForm::SetOnHide);
    p.Event("OnClose", &TCustomForm::OnClose, &TCustomForm::SetOnClose);
    p.Event("OnCloseQuery", &TCustomForm::OnCloseQuery, &TCustomForm::SetOnCloseQuery);
    p.Event("OnActivate", &TCustomForm::OnActivate, &TCustomForm::SetOnActivate);
    p.Event("OnDeactivate", &TCustomForm::OnDeactivate, &TCustomForm::SetOnDeactivate);
    p.Event("OnPaint", &TCustomForm::OnPaint, &TCustomForm::SetOnPaint);
}

void TCustomForm::AfterConstruction() {
    if (FOnCreate)
        FOnCreate(this);
}

namespace {

// OnDestroy of a form or data module: fired once; an error it raises goes to the
// application's handler, since the object is on its way out whatever happens.
void FireDestroyOnce(TObject* sender, bool& fired, const TNotifyEvent& handler) {
    if (fired)
        return;
    fired = true;
    if (!handler)
        return;
    try {
        handler(sender);
    } catch (...) {
        if (Application)
            Application->HandleException(sender);
    }
}

} // namespace

void TCustomForm::BeforeDestruction() {
    FireDestroyOnce(this, FDestroyFired, FOnDestroy);
}

void TCustomForm::FrameSizes(int& border, int& caption) const {
    border = 0;
    caption = 0;
    switch (FBorderStyle) {
    case bsNone:
        return;
    case bsSingle:
    case bsDialog:
        border = GetSystemMetrics(SM_CXDLGFRAME);
        caption = GetSystemMetrics(SM_CYCAPTION);
        return;
    case bsSizeable:
        border = GetSystemMetrics(SM_CXFRAME);
        caption = GetSystemMetrics(SM_CYCAPTION);
        return;
    case bsToolWindow:
        border = GetSystemMetrics(SM_CXDLGFRAME);
        caption = GetSystemMetrics(SM_CYSMCAPTION);
        return;
    case bsSizeToolWin:
        border = GetSystemMetrics(SM_CXFRAME);
        caption = GetSystemMetrics(SM_CYSMCAPTION);
        return;
    }
}

TRect TCustomForm::NonClientBorder() const {
    if (!Parent())
        return TRect(0, MenuBarHeight(), 0, 0);
    int b, c;
    FrameSizes(b, c);
    return TRect(b, b + c, b, b);
}

TRect TCustomForm::WindowFrame() const {
    if (Parent())
        return TRect();
    int b, c;
    FrameSizes(b, c);
    return TRect(b, b + c, b, b);
}

TRect TCustomForm::CaptionRect() const {
    int b, c;
    FrameSizes(b, c);
    if (c == 0)
        return TRect();
    return TRect(b, b, Width() - b, b + c - 1);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
    if (value == FBorderStyle)
        return;
    TRect oldClient = ClientRect();
    FBorderStyle = value;
    if (HandleAllocated())
        RecreateWnd();
    // The window keeps its outer size; the client area changes with the frame.
    TRect newClient = ClientRect();
    if (newClient != oldClient) {
        Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(newClient.Width(), newClient.Height()));
        Realign();
    }
    Invalidate();
}

int TCustomForm::MenuBarHeight() const {
    return !Parent() && dynamic_cast<IFormMenu*>(FMenu) ? GetSystemMetrics(SM_CYMENU) : 0;
}

void TCustomForm::SetMenu(TComponent* value) {
    const TRect oldClient = ClientRect();
    if (!SetComponentReference(this, FMenu, value))
        return;
    delete FMenuBar->Bar.data();
    if (HandleAllocated())
        AfterWindowCreated();
    MenuBarChanged(oldClient);
}

void TCustomForm::MenuBarChanged(const TRect& oldClient) {
    // The window keeps its outer size; the bar takes its height from the client area, and
    // the child windows move down or up with the client area's origin.
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* child = dynamic_cast<TWinControl*>(Controls(i)))
            child->UpdateWidgetGeometry();
    TRect newClient = ClientRect();
    if (newClient != oldClient) {
        Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(newClient.Width(), newClient.Height()));
        Realign();
    }
    Invalidate();
}

void TCustomForm::ComponentNotification(TComponent* component, TOperation operation) {
    TWinControl::ComponentNotification(component, operation);
    if (operation == opRemove && component == FMenu) {
        // The bar's actions belong to the menu that is going away.
        const TRect oldClient = ClientRect();
        delete FMenuBar->Bar.data();
        FMenu = nullptr;
        if (!ComponentState().Contains(csDestroying))
            MenuBarChanged(oldClient);
    }
}

void TCustomForm::AfterWindowCreated() {
    TWinControl::AfterWindowCreated();
    auto* menu = dynamic_cast<IFormMenu*>(FMenu);
    if (!menu || Parent() || FMenuBar->Bar)
        return;
    FMenuBar->Bar = menu->CreateMenuBarFor(Widget());
    PlaceMenuBar();
    FMenuBar->Bar->show();
}

bool TCustomForm::EnterMenuBar() {
    auto* bar = qobject_cast<QMenuBar*>(FMenuBar->Bar.data());
    if (!bar || !bar->isVisible())
        return false;
    for (QAction* a : bar->actions())
        if (a->isVisible() && a->isEnabled()) {
            bar->setActiveAction(a);
            return true;
        }
    return false;
}

void TCustomForm::PlaceMenuBar() {
    if (FMenuBar->Bar)
        FMenuBar->Bar->setGeometry(0, 0, ClientWidth(), MenuBarHeight());
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
    if (value == FBorderIcons)
        return;
    FBorderIcons = value;
    Invalidate();
}

void TCustomForm::SetWindowState(TWindowState value) {
    if (value == FWindowState)
        return;
    if (FWindowState == wsNormal)
        FNormalBounds = BoundsRect();
    FWindowState = value;
    if (value == wsMaximized && !Parent()) {
        TRect area = Screen->WorkAreaRect();
        SetBounds(area.Left, area.Top, area.Width(), area.Height());
    } else if (value == wsNormal && !FNormalBounds.IsEmpty()) {
        SetBoundsRect(FNormalBounds);
        if (Visible())
            FitIntoAvailableArea();
    }
    if (QWidget* w = WidgetIfAllocated(); w && w->isWindow() && Visible()) {
        if (value == wsMinimized)
            w->showMinimized();
        else if (value == wsMaximized)
            w->showNormal();
        else
            w->showNormal();
    }
}

TWindowPlacement TCustomForm::GetWindowPlacement() const {
    TWindowPlacement p;
    p.NormalPosition = FWindowState == wsNormal ? BoundsRect() : FNormalBounds;
    switch (FWindowState) {
    case wsNormal:
        p.ShowCmd = Visible() ? SW_SHOWNORMAL : SW_HIDE;
        break;
    case wsMinimized:
        p.ShowCmd = SW_SHOWMINIMIZED;
        break;
    case wsMaximized:
        p.ShowCmd = SW_SHOWMAXIMIZED;
        break;
    }
    return p;
}

void TCustomForm::SetWindowPlacement(const TWindowPlacement& placement) {
    if (FWindowState != wsNormal)
        FNormalBounds = placement.NormalPosition;
    else {
        SetBoundsRect(placement.NormalPosition);
        if (Visible())
            FitIntoAvailableArea();
    }
    FPositioned = true;
    switch (placement.ShowCmd) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
        SetWindowState(wsMinimized);
        break;
    case SW_SHOWMAXIMIZED:
        SetWindowState(wsMaximized);
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        SetWindowState(wsNormal);
        break;
    default:
        break;
    }
}

void TCustomForm::PrepareWindowParams(TCreateParams& params) {
    TWinControl::PrepareWindowParams(params);
    if (!Parent()) {
        params.Style = WS_CLIPCHILDREN;
        switch (FBorderStyle) {
        case bsNone:
            params.Style |= WS_POPUP;
            break;
        case bsSingle:
        case bsToolWindow:
            params.Style |= WS_CAPTION | WS_BORDER;
            break;
        case bsSizeable:
        case bsSizeToolWin:
            params.Style |= WS_CAPTION | WS_THICKFRAME;
            break;
        case bsDialog:
            params.Style |= WS_POPUP | WS_CAPTION;
            params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
            break;
        }
        if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin)
            params.ExStyle |= WS_EX_TOOLWINDOW;
        if (FBorderIcons.Contains(biSystemMenu))
            params.Style |= WS_SYSMENU;
    }
}

void TCustomForm::PaintWindowContent(TCanvas* canvas) {
    if (FOnPaint)
        FOnPaint(this);
}

void TCustomForm::PaintNonClient(TCanvas* canvas) {
    // The frame is drawn with its own tools; the canvas keeps those of the client area.
    TFont savedFont;
    savedFont.AssignFrom(canvas->Font());
    TBrush savedBrush;
    savedBrush.AssignFrom(canvas->Brush());
    TPen savedPen;
    savedPen.AssignFrom(canvas->Pen());
    DrawFrameAndCaption(canvas);
    canvas->SetFont(&savedFont);
    canvas->SetBrush(&savedBrush);
    canvas->SetPen(&savedPen);
}

void TCustomForm::DrawFrameAndCaption(TCanvas* canvas) {
    int b, c;
    FrameSizes(b, c);
    if (b == 0 && c == 0)
        return;
    TRect r(0, 0, Width(), Height());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(TRect(0, 0, Width(), b + c));
    canvas->FillRect(TRect(0, 0, b, Height()));
    canvas->FillRect(TRect(Width() - b, 0, Width(), Height()));
    canvas->FillRect(TRect(0, Height() - b, Width(), Height()));
    TRect edge = r;
    DrawEdge(canvas, edge, EDGE_RAISED, BF_RECT);
    TRect cap = CaptionRect();
    bool active = true;
    canvas->GradientFillRect(cap, active ? clActiveCaption : clInactiveCaption,
                             active ? clGradientActiveCaption : clGradientInactiveCaption,
                             gfdHorizontal);
    TFont font;
    font.AssignFrom(Font());
    font.SetStyle(TFontStyles{fsBold});
    font.SetColor(active ? clCaptionText : clInactiveCaptionText);
    canvas->SetFont(&font);
    canvas->Brush()->SetStyle(bsClear);
    TRect text = cap;
    text.Left += 4;
    if (FBorderIcons.Contains(biSystemMenu))
        text.Right -= cap.Height() + 2;
    canvas->DrawText(Caption(), text,
                     DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (FBorderIcons.Contains(biSystemMenu)) {
        // The close box.
        int s = cap.Height() - 4;
        TRect box(cap.Right - s - 2, cap.Top + 2, cap.Right - 2, cap.Top + 2 + s);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clBtnFace);
        canvas->FillRect(box);
        TRect e = box;
        DrawEdge(canvas, e, EDGE_RAISED, BF_RECT);
        canvas->Pen()->SetColor(clBtnText);
        canvas->Pen()->SetWidth(1);
        int m = 4;
        canvas->MoveTo(box.Left + m, box.Top + m - 1);
        canvas->LineTo(box.Right - m + 1, box.Bottom - m);
        canvas->MoveTo(box.Right - m, box.Top + m - 1);
        canvas->LineTo(box.Left + m - 1, box.Bottom - m);
    }
    canvas->Brush()->SetStyle(bsSolid);
}

void TCustomForm::AttachParent(TWinControl* parent) {
    if (parent == Parent())
        return;
    TRect oldClient = ClientRect();
    bool wasTop = Parent() == nullptr;
    TWinControl::AttachParent(parent);
    if (parent && wasTop && Visible() && WidgetIfAllocated())
        WidgetIfAllocated()->setVisible(true);
    TRect newClient = ClientRect();
    if (newClient != oldClient) {
        Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(newClient.Width(), newClient.Height()));
        Realign();
    }
}

bool TCustomForm::Showing() const {
    if (Parent())
        return TWinControl::Showing();
    QWidget* w = WidgetIfAllocated();
    return Visible() && w && w->isVisible();
}

void TCustomForm::ApplyPosition() {
    if (FPositioned || Parent())
        return;
    FPositioned = true;
    auto center = [this](const TRect& area) {
        SetBounds(area.Left + (area.Width() - Width()) / 2,
                  area.Top + (area.Height() - Height()) / 2, Width(), Height());
    };
    switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
        center(Screen->WorkAreaRect());
        break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TCustomForm* ref = FPosition == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner())
                                                          : Application->MainForm();
        if (ref && ref != this)
            center(ref->BoundsRect());
        else
            center(Screen->WorkAreaRect());
        break;
    }
    default:
        break;
    }
}

void TCustomForm::FitIntoAvailableArea() {
    if (FWindowState != wsNormal || (Parent() && Align() != alNone))
        return;
    const TRect area = Parent() ? Parent()->ClientRect() : Screen->WorkAreaRect();
    if (area.IsEmpty())
        return;
    const int width = std::min(Width(), area.Width());
    const int height = std::min(Height(), area.Height());
    const int left = std::clamp(Left(), area.Left, area.Right - width);
    const int top = std::clamp(Top(), area.Top, area.Bottom - height);
    if (left != Left() || top != Top() || width != Width() || height != Height())
        SetBounds(left, top, width, height);
}

void TCustomForm::SetVisible(bool value) {
    if (value == Visible())
        return;
    if (value) {
        ApplyPosition();
        // The placement restored while showing (OnShow) is fitted as well as the default.
        HandleShow();
        FitIntoAvailableArea();
        TWinControl::SetVisible(true);
        ShowWindow();
    } else {
        if (QWidget* w = WidgetIfAllocated(); w && w->isWindow())
            w->hide();
        TWinControl::SetVisible(false);
        HandleHide();
    }
}

void TCustomForm::SetBounds(int left, int top, int width, int height) {
    QWidget* w = WidgetIfAllocated();
    if (w && w->isWindow()) {
        // The program may set any size; the limits are for the user's sizing.
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    TWinControl::SetBounds(left, top, width, height);
    UpdateSizeLimits();
}

void TCustomForm::UpdateSizeLimits() {
    QWidget* w = WidgetIfAllocated();
    if (!w || !w->isWindow() || !Visible())
        return;
    TRect area = Screen->WorkAreaRect();
    TRect f = WindowFrame();
    int fw = f.Left + f.Right, fh = f.Top + f.Bottom;
    TMinMaxInfo info;
    info.MaxSize = TPoint(area.Width() + fw, area.Height() + fh);
    info.MaxPosition = TPoint(-f.Left, -f.Left);
    info.MinTrackSize = TPoint(GetSystemMetrics(SM_CXMIN), GetSystemMetrics(SM_CYMIN));
    info.MaxTrackSize = TPoint(Screen->Width() + 12, Screen->Height() + 12);
    Perform(WM_GETMINMAXINFO, 0, LPARAM(&info));
    auto clampSize = [](int v) { return std::clamp(v, 0, QWIDGETSIZE_MAX); };
    w->setMinimumSize(clampSize(info.MinTrackSize.X - fw), clampSize(info.MinTrackSize.Y - fh));
    w->setMaximumSize(std::max(clampSize(info.MaxTrackSize.X - fw), w->minimumWidth()),
                      std::max(clampSize(info.MaxTrackSize.Y - fh), w->minimumHeight()));
}

void TCustomForm::ShowWindow() {
    QWidget* w = Widget();
    if (!w->isWindow())
        return;
    UpdateSizeLimits();
    if (FWindowState == wsMinimized)
        w->showMinimized();
    else
        w->show();
    w->raise();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    if (FActiveControl && FActiveControl->CanFocus())
        FActiveControl->SetFocus();
    else if (!FActiveControl)
        SelectFirst();
}

void TCustomForm::HandleShow() {
    if (FOnShow)
        FOnShow(this);
}

void TCustomForm::HandleHide() {
    if (FOnHide)
        FOnHide(this);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    if (control == FActiveControl)
        return;
    if (control && !ContainsControl(control))
        throw EInvalidOperation("Invalid control in ActiveControl");
    FActiveControl = control;
    if (control && Showing() && control->CanFocus())
        control->SetFocus();
}

void TCustomForm::SelectFirst() {
    SelectNext(nullptr, true, true);
}

void TCustomForm::SetFocusedControl(TWinControl* control) {
    for (TControl* c = control; c; c = c->Parent())
        if (auto* f = dynamic_cast<TCustomForm*>(c); f && f != control)
            f->FActiveControl = control;
    if (control == FFocusedControl)
        return;
    TWinControl* old = FFocusedControl;
    FFocusedControl = control;
    if (old)
        old->Perform(CM_EXIT);
    if (control && FFocusedControl == control)
        control->Perform(CM_ENTER);
    // Every control of the form hears which control has the focus now (buttons that answer
    // Enter follow it).
    std::function<void(TWinControl*)> tell = [&](TWinControl* parent) {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* c = parent->Controls(i);
            c->Perform(CM_FOCUSCHANGED, 0, LPARAM(control));
            if (auto* w = dynamic_cast<TWinControl*>(c))
                tell(w);
        }
    };
    tell(this);
}

void TCustomForm::ControlRemoved(TControl* control) {
    // Walked up from the live active and focused controls and compared by address: the
    // control leaving may be inside its own destructor already, no longer of its class.
    auto within = [control](TWinControl* c) {
        for (TControl* p = c; p; p = p->Parent())
            if (p == control)
                return true;
        return false;
    };
    if (within(FActiveControl))
        FActiveControl = nullptr;
    if (within(FFocusedControl))
        FFocusedControl = nullptr;
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || FFormState.Contains(fsModal))
        throw EInvalidOperation("Cannot make a visible window modal");
    FModalResult = mrNone;
    FFormState.Include(fsModal);
    ++Application->FModalLevel;
    struct TModalGuard {
        TCustomForm* Form;
        ~TModalGuard() {
            Form->FFormState.Exclude(fsModal);
            --Application->FModalLevel;
        }
    } guard{this};
    // A drag or press in progress elsewhere ends before the modal form takes over.
    if (HWND cap = GetCapture())
        SendMessage(cap, WM_CANCELMODE);
    Widget()->setWindowModality(Qt::ApplicationModal);
    Show();
    bool handlerRan = false;
    for (;;) {
        if (!handlerRan && Application->ModalHandler()) {
            handlerRan = true;
            try {
                Application->ModalHandler()(this);
            } catch (...) {
                Application->HandleException(this);
            }
            if (FModalResult == mrNone && Visible())
                FModalResult = mrCancel; // nobody there to answer
        }
        if (Application->Terminated() && FModalResult == mrNone)
            FModalResult = mrCancel;
        if (!Visible() && FModalResult == mrNone)
            FModalResult = mrCancel;
        if (FModalResult != mrNone) {
            // Closing a modal form asks it first, as Close does.
            if (!CloseQuery()) {
                FModalResult = mrNone;
            } else {
                TCloseAction action = caHide;
                if (FOnClose)
                    FOnClose(this, action);
                if (action == caNone)
                    FModalResult = mrNone;
                else
                    break;
            }
            if (handlerRan && FModalResult == mrNone) {
                // Nobody is there to try again: the form closes all the same.
                FModalResult = mrCancel;
                break;
            }
            continue;
        }
        Application->HandleMessage();
    }
    // Hide first: Qt takes a window off its modal list only while it is still modal, and
    // a window left on that list would be asked about after it is gone.
    Hide();
    if (QWidget* w = WidgetIfAllocated())
        w->setWindowModality(Qt::NonModal);
    return FModalResult;
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (FOnCloseQuery)
        FOnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (FFormState.Contains(fsModal)) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    if (FOnClose)
        FOnClose(this, action);
    if (action == caNone)
        return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case caHide:
        Hide();
        break;
    case caMinimize:
        SetWindowState(wsMinimized);
        break;
    case caFree:
        Release();
        break;
    default:
        break;
    }
}

void TCustomForm::Release() {
    PostMessage(Handle(), CM_RELEASE);
}

bool TCustomForm::IsShortCut(TMessage& message) {
    bool handled = false;
    if (FOnShortCut)
        FOnShortCut(message, handled);
    if (handled)
        return true;
    TShortCut sc = ShortCutFromMessage(message);
    if (sc == scNone)
        return false;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* h = dynamic_cast<IShortCutHandler*>(Components(i)))
            if (h->HandleShortCut(sc))
                return true;
    return false;
}

void TCustomForm::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_SIZE:
        PlaceMenuBar();
        break;
    case WM_CLOSE:
        Close();
        return;
    case CM_RELEASE:
        delete this;
        return;
    case WM_SYSCOMMAND:
        switch (message.WParam & 0xFFF0) {
        case SC_MINIMIZE:
            SetWindowState(wsMinimized);
            break;
        case SC_MAXIMIZE:
            SetWindowState(wsMaximized);
            break;
        case SC_RESTORE:
            SetWindowState(wsNormal);
            break;
        case SC_CLOSE:
            Close();
            break;
        default:
            break;
        }
        return;
    case WM_ACTIVATE:
        if (message.WParam != WA_INACTIVE) {
            FActive = true;
            Screen->SetActiveForm(this);
            if (FOnActivate)
                FOnActivate(this);
        } else {
            FActive = false;
            if (FOnDeactivate)
                FOnDeactivate(this);
        }
        return;
    case CM_DIALOGKEY: {
        int key = int(message.WParam);
        TShiftState shift = KeyboardShiftState();
        if (key == VK_TAB && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) {
            SelectNext(FFocusedControl ? FFocusedControl : FActiveControl, !shift.Contains(ssShift),
                       true);
            message.Result = 1;
            return;
        }
        // Enter and Escape go to the default and cancel buttons.
        Broadcast(message);
        return;
    }
    case WM_NCHITTEST: {
        TPoint p(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
        TPoint origin = ClientOrigin();
        TRect nc = NonClientBorder();
        TPoint w(p.X - origin.X + nc.Left, p.Y - origin.Y + nc.Top);
        if (PtInRect(CaptionRect(), w))
            message.Result = HTCAPTION;
        else if (PtInRect(TRect(nc.Left, nc.Top, Width() - nc.Right, Height() - nc.Bottom), w))
            message.Result = HTCLIENT;
        else
            message.Result = HTBORDER;
        return;
    }
    case WM_NCLBUTTONDOWN:
        if (message.WParam == WPARAM(HTCAPTION) && Parent()) {
            FDragging = true;
            FDragStart = TPoint(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
            FDragOrigin = TPoint(Left(), Top());
            SetCapture(Handle());
        }
        return;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        if (FDragging) {
            TPoint p;
            GetCursorPos(p);
            if (Align() == alNone)
                SetBounds(FDragOrigin.X + p.X - FDragStart.X, FDragOrigin.Y + p.Y - FDragStart.Y,
                          Width(), Height());
            if (message.Msg == WM_LBUTTONUP) {
                FDragging = false;
                ReleaseCapture();
            }
            return;
        }
        break;
    case WM_CAPTURECHANGED:
        FDragging = false;
        break;
    default:
        break;
    }
    TWinControl::HandleMessage(message);
}

// ---------------------------------------------------------------------------
// TDataModule

TDataModule::TDataModule(TComponent* owner) : TComponent(owner) {
    EnsureApplicationObjects();
    Screen->AddDataModule(this);
}

TDataModule::~TDataModule() {
    BeforeDestruction();
    Screen->RemoveDataModule(this);
}

void TDataModule::AfterConstruction() {
    if (FOnCreate)
        FOnCreate(this);
}

void TDataModule::BeforeDestruction() {
    FireDestroyOnce(this, FDestroyFired, FOnDestroy);
}

// ---------------------------------------------------------------------------
// TScreen

struct TScreen::TCursorTable : std::map<TCursor, QCursor> {};

TScreen::TScreen(TComponent* owner)
    : TComponent(owner), FCustomCursors(std::make_unique<TCursorTable>()) {}

TScreen::~TScreen() = default;

int TScreen::Width() const {
    return GetSystemMetrics(SM_CXSCREEN);
}
int TScreen::Height() const {
    return GetSystemMetrics(SM_CYSCREEN);
}

TRect TScreen::WorkAreaRect() const {
    QScreen* s = QGuiApplication::instance() ? QGuiApplication::primaryScreen() : nullptr;
    if (!s)
        return TRect(0, 0, Width(), Height());
    QRect a = s->availableGeometry();
    return TRect(a.left(), a.top(), a.left() + a.width(), a.top() + a.height());
}

TWinControl* TScreen::ActiveControl() const {
    return FActiveForm ? FActiveForm->ActiveControl() : nullptr;
}

void TScreen::SetCursor(TCursor value) {
    if (value == FCursor)
        return;
    FCursor = value;
    if (!QGuiApplication::instance())
        return;
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    if (value != crDefault)
        QGuiApplication::setOverrideCursor(CursorShape(value));
}

QCursor TScreen::CursorShape(TCursor cursor) const {
    auto it = FCustomCursors->find(cursor);
    if (it != FCustomCursors->end())
        return it->second;
    switch (cursor) {
    case crNone:
        return QCursor(Qt::BlankCursor);
    case crCross:
        return QCursor(Qt::CrossCursor);
    case crIBeam:
        return QCursor(Qt::IBeamCursor);
    case crSizeNESW:
        return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS:
        return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE:
        return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE:
        return QCursor(Qt::SizeHorCursor);
    case crSizeAll:
        return QCursor(Qt::SizeAllCursor);
    case crUpArrow:
        return QCursor(Qt::UpArrowCursor);
    case crHourGlass:
    case crSQLWait:
        return QCursor(Qt::WaitCursor);
    case crDrag:
    case crMultiDrag:
        return QCursor(Qt::DragCopyCursor);
    case crNoDrop:
    case crNo:
        return QCursor(Qt::ForbiddenCursor);
    case crHSplit:
        return QCursor(Qt::SplitHCursor);
    case crVSplit:
        return QCursor(Qt::SplitVCursor);
    case crAppStart:
        return QCursor(Qt::BusyCursor);
    case crHelp:
        return QCursor(Qt::WhatsThisCursor);
    case crHandPoint:
        return QCursor(Qt::PointingHandCursor);
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

void TScreen::SetCursorShape(TCursor cursor, const QCursor& shape) {
    (*FCustomCursors)[cursor] = shape;
}

bool TScreen::SetCursorShape(TCursor cursor, TBitmap* image, int hotX, int hotY) {
    if (!QGuiApplication::instance())
        return false;
    QImage shape = image->ToImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb see = QRgb(ColorToRGB(image->TransparentColor()));
    const QRgb transparent = qRgb(qBlue(see), qGreen(see), qRed(see)) & 0xFFFFFF;
    for (int y = 0; y < shape.height(); ++y)
        for (int x = 0; x < shape.width(); ++x)
            if ((shape.pixel(x, y) & 0xFFFFFF) == transparent)
                shape.setPixel(x, y, 0);
    (*FCustomCursors)[cursor] = QCursor(QPixmap::fromImage(shape), hotX, hotY);
    return true;
}

bool TScreen::HasCursor(TCursor cursor) const {
    return FCustomCursors->count(cursor) != 0 || (cursor <= 0 && cursor >= crHandPoint);
}

void TScreen::AddForm(TCustomForm* form) {
    FForms.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form) {
    std::erase(FForms, form);
    if (FActiveForm == form)
        FActiveForm = nullptr;
}

void TScreen::AddDataModule(TDataModule* module) {
    FDataModules.push_back(module);
}

void TScreen::RemoveDataModule(TDataModule* module) {
    std::erase(FDataModules, module);
}

void TScreen::SetActiveForm(TCustomForm* form) {
    FActiveForm = form;
}

// ---------------------------------------------------------------------------
// TApplication

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
    WindowSystemDetail::SetQuitHandler(&QuitHandler);
}

TApplication::~TApplication() {
    CancelHint();
    SetHintControl(nullptr);
    if (FHintTimers)
        DeallocateHWnd(FHintTimers);
    FHintTimers = 0;
}

void TApplication::Initialize() {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static std::string name = ParamStr0();
        static char* argv[] = {name.data(), nullptr};
        new QApplication(argc, argv);
    }
    // The toolkit's dialogs speak the program's language, whatever the environment's.
    InstallToolkitTranslations();
    InstallToolkitStyle();
    if (FTitle.empty())
        FTitle = ChangeFileExt(ExtractFileName(ParamStr0()), "");
}

std::string TApplication::ExeName() const {
    return ParamStr0();
}

int TApplication::Run() {
    if (FMainForm)
        FMainForm->Show();
    while (!FTerminated) {
        HandleMessage();
        if (FMainForm && !FMainForm->Visible() && !FTerminated)
            Terminate();
    }
    return FExitCode;
}

void TApplication::ProcessMessages() {
    if (!QCoreApplication::instance())
        return;
    for (int round = 0; round < 8; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (QueuedMessageCount() == 0)
            break;
    }
}

void TApplication::HandleMessage() {
    if (!QCoreApplication::instance())
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Idle();
}

void TApplication::Idle() {
    bool done = true;
    try {
        if (FOnIdle)
            FOnIdle(this, done);
        for (auto handlers = FIdleHandlers; auto& h : handlers)
            h.second();
    } catch (...) {
        HandleException(this);
    }
}

void TApplication::AddIdleHandler(const void* key, std::function<void()> handler) {
    RemoveIdleHandler(key);
    FIdleHandlers.emplace_back(key, std::move(handler));
}

void TApplication::RemoveIdleHandler(const void* key) {
    std::erase_if(FIdleHandlers, [key](const auto& h) { return h.first == key; });
}

void TApplication::Terminate() {
    FTerminated = true;
    // Loops check Terminated after each event; wake one that is waiting.
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance())
        d->wakeUp();
}

void TApplication::SetHint(const std::string& value) {
    if (value == FHint)
        return;
    FHint = value;
    if (FOnHint) {
        try {
            FOnHint(this);
        } catch (...) {
            HandleException(this);
        }
    }
}

bool TApplication::IsShortCut(TMessage& message) {
    bool handled = false;
    if (FOnShortCut)
        FOnShortCut(message, handled);
    return handled;
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return DialogService().MessageBox(text, caption.empty() ? FTitle : caption, flags);
}

void TApplication::ShowException(const std::exception& e) {
    std::string msg = e.what();
    // The message reads as a sentence.
    if (!msg.empty() && msg.back() != '.' && uint8_t(msg.back()) > '.')
        msg += '.';
    MessageBox(msg, FTitle, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(TObject* sender) {
    if (FHandlingException)
        return;
    FHandlingException = true;
    struct TGuard {
        bool& Flag;
        ~TGuard() { Flag = false; }
    } guard{FHandlingException};
    std::exception_ptr ep = std::current_exception();
    if (!ep)
        return;
    try {
        std::rethrow_exception(ep);
    } catch (const std::exception& e) {
        try {
            if (FOnException)
                FOnException(sender, e);
            else
                ShowException(e);
        } catch (...) {
        }
    } catch (...) {
        try {
            ShowException(Exception(FrameworkTexts::UnknownError));
        } catch (...) {
        }
    }
}

namespace {

// Watches the paint events of one window and its children; lives as a child of the
// window, so it goes with it.
class TFirstPaintWatch : public QObject {
public:
    TFirstPaintWatch(QWidget* window, std::function<void()> action)
        : QObject(window), FWindow(window), FAction(std::move(action)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && FAction) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->window() == FWindow) {
                auto action = std::move(FAction);
                FAction = nullptr;
                action();
            }
        }
        return false;
    }

private:
    QWidget* FWindow;
    std::function<void()> FAction;
};

} // namespace

void WhenFirstPainted(TCustomForm* form, std::function<void()> action) {
    QWidget* window = form->Widget();
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(
            new TFirstPaintWatch(window, std::move(action)));
}

// ---------------------------------------------------------------------------
// The program's exit save

namespace {

std::unique_ptr<TSettingsStoreUpdate> gExitSave;

void CommitExitSave(std::unique_ptr<TSettingsStoreUpdate> save) {
    try {
        save->Commit();
    } catch (...) {
        Application->HandleException(nullptr);
    }
}

} // namespace

bool CloseQueryGatheringExitSave(TCustomForm* form, const std::function<bool()>& inherited) {
    const bool ending = Application->MainForm() == form;
    if (ending && !gExitSave)
        gExitSave = std::make_unique<TSettingsStoreUpdate>();
    const bool canClose = inherited();
    // The program goes on: what was saved meanwhile is written now.
    if (!canClose && ending && gExitSave)
        CommitExitSave(std::move(gExitSave));
    return canClose;
}

void FreeWindowsSavingOnce(const std::function<void()>& freeWindows) {
    std::unique_ptr<TSettingsStoreUpdate> save = std::move(gExitSave);
    if (!save)
        save = std::make_unique<TSettingsStoreUpdate>();
    freeWindows();
    CommitExitSave(std::move(save));
}
