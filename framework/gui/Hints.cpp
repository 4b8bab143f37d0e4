// Hints: the hint window and the application's handling of it. Entering a control sets
// Application.Hint to the control's long hint; when ShowHint is on, its short hint shows
// in the hint window after HintPause (HintShortPause while another hint has just been
// showing), below the mouse, and hides after HintHidePause, on leaving, on a click or by
// CancelHint. The delays run on the framework's timers, so a manual clock drives them.

#include "framework/gui/Forms.h"

#include "framework/gui/Bitmaps.h"
#include "framework/gui/WindowBridge.h"

#include <QWidget>

#include <algorithm>

namespace {

constexpr uintptr_t kShowTimer = 1;
constexpr uintptr_t kHideTimer = 2;
constexpr int kCursorHeight = 20; // the hint window shows below the mouse pointer
constexpr int kMaxHintWidth = 300;

// The control whose hint applies: the control, or the nearest parent with a hint.
TControl* HintSource(TControl* control) {
    for (TControl* c = control; c; c = c->Parent())
        if (!c->Hint().empty())
            return c;
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// THintWindow

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
    SetVisible(false);
    SetColor(clInfoBk);
    SetParentColor(false);
    Font()->SetColor(clInfoText);
}

void THintWindow::PrepareWindowParams(TCreateParams& params) {
    TCustomControl::PrepareWindowParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
}

void THintWindow::AfterWindowCreated() {
    TCustomControl::AfterWindowCreated();
    // The mouse goes through to whatever lies below.
    if (QWidget* w = WidgetIfAllocated())
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
}

TRect THintWindow::CalcHintRect(int maxWidth, const std::string& hint) const {
    TBitmap measure(1, 1);
    measure.Canvas()->SetFont(Font());
    TRect r(0, 0, maxWidth, 0);
    DrawText(measure.Canvas(), hint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    r.Right += 6;
    r.Bottom += 2;
    return r;
}

void THintWindow::ActivateHint(const TPoint& screenPoint, const std::string& hint) {
    SetCaption(hint);
    const TRect r = CalcHintRect(kMaxHintWidth, hint);
    // Kept on the screen.
    int left = screenPoint.X;
    int top = screenPoint.Y;
    if (Screen) {
        left = std::max(0, std::min(left, Screen->Width() - r.Width()));
        top = std::max(0, std::min(top, Screen->Height() - r.Height()));
    }
    SetBounds(left, top, r.Width(), r.Height());
    HandleNeeded();
    Show();
    Invalidate();
}

void THintWindow::PaintControl() {
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
    canvas->Brush()->SetColor(clWindowFrame);
    canvas->FrameRect(client);
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    TRect text = client;
    InflateRect(text, -3, -1);
    DrawText(canvas, Caption(), text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    canvas->Brush()->SetStyle(bsSolid);
}

// ---------------------------------------------------------------------------
// TApplication's hints

THintWindow* TApplication::HintWindow() const {
    return FHintWindow && FHintWindow->Visible() ? FHintWindow : nullptr;
}

void TApplication::SetHintControl(TControl* control) {
    if (control == FHintControl)
        return;
    if (FHintControl)
        FHintControl->RemoveFreeNotification(this);
    FHintControl = control;
    if (FHintControl)
        FHintControl->FreeNotification(this);
}

void TApplication::ComponentNotification(TComponent* component, TOperation operation) {
    TComponent::ComponentNotification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FHintControl) {
        FHintControl = nullptr;
        CancelHint();
    }
    if (component == FHintWindow)
        FHintWindow = nullptr;
}

void TApplication::ControlMouseEntered(TControl* control) {
    SetHint(GetLongHint(control->Hint()));
    TControl* source = HintSource(control);
    if (source == FHintControl && source)
        return; // still within the control whose hint is due or showing
    // Straight from one shown hint to the next, the short pause.
    const bool wasShowing =
        HintWindow() != nullptr ||
        (FHintLeftShowing && GetTickCount() - FHintLeftAt <= uint32_t(std::max(0, FHintPause)));
    FHintLeftShowing = false;
    CancelHint();
    if (!source || !FShowHint || !source->ShowHint() || GetShortHint(source->Hint()).empty())
        return;
    SetHintControl(source);
    if (!FHintTimers)
        FHintTimers = AllocateHWnd(TWndMethod([this](TMessage& m) { HintTimerMessage(m); }));
    ::SetTimer(FHintTimers, kShowTimer,
               UINT(std::max(1, wasShowing ? FHintShortPause : FHintPause)));
}

void TApplication::ControlMouseLeft(TControl* control) {
    if (!FHintControl)
        return;
    // Leaving the hinted control (or a child that showed its hint) ends the hint.
    for (TControl* c = control; c; c = c->Parent())
        if (c == FHintControl) {
            FHintLeftShowing = HintWindow() != nullptr;
            FHintLeftAt = GetTickCount();
            CancelHint();
            SetHint("");
            return;
        }
}

void TApplication::CancelHint() {
    if (FHintTimers) {
        ::KillTimer(FHintTimers, kShowTimer);
        ::KillTimer(FHintTimers, kHideTimer);
    }
    if (FHintWindow && FHintWindow->Visible())
        FHintWindow->Hide();
    SetHintControl(nullptr);
}

void TApplication::HintTimerMessage(TMessage& message) {
    if (message.Msg != WM_TIMER)
        return;
    ::KillTimer(FHintTimers, message.WParam);
    try {
        if (message.WParam == kShowTimer)
            ShowHintWindow();
        else if (message.WParam == kHideTimer)
            CancelHint();
    } catch (...) {
        HandleException(this);
    }
}

void TApplication::ShowHintWindow() {
    if (!FHintControl || !FHintControl->Showing())
        return;
    if (!FHintWindow) {
        FHintWindow = new THintWindow(this);
        FHintWindow->FreeNotification(this);
    }
    FHintWindow->SetColor(FHintColor);
    TPoint p;
    GetCursorPos(p);
    FHintWindow->ActivateHint(TPoint(p.X, p.Y + kCursorHeight), GetShortHint(FHintControl->Hint()));
    ::SetTimer(FHintTimers, kHideTimer, UINT(std::max(1, FHintHidePause)));
}
