#include "framework/gui/WindowSystem.h"

#include "framework/gui/Controls.h"
#include "framework/gui/WindowBridge.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#if defined(ORV_HAVE_XCB) && QT_CONFIG(xcb)
#define ORV_ASK_X_SCREEN 1
#include <xcb/xcb.h>
#endif

#include <algorithm>
#include <array>
#include <cstdlib>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct TWindowRecord {
    TWinControl* Control = nullptr;
    TWndMethod Proc; // message-only windows
};

std::unordered_map<HWND, TWindowRecord>& Windows() {
    static std::unordered_map<HWND, TWindowRecord> windows;
    return windows;
}
HWND gNextHandle = 0x1000;

// ---------------------------------------------------------------------------
// The message queue: our own list, so that a queued message can be looked at and
// removed; Qt's queue carries one wake-up per message so that messages interleave with
// the toolkit's own events in posting order.

struct TQueued {
    uint64_t Serial;
    TMsg Msg;
};
std::deque<TQueued>& Queue() {
    static std::deque<TQueued> queue;
    return queue;
}
uint64_t gNextSerial = 1;
void (*gQuitHandler)(int) = nullptr;

constexpr QEvent::Type kWakeEvent = QEvent::Type(QEvent::User + 0x2A1);

class TWakeEvent : public QEvent {
public:
    explicit TWakeEvent(uint64_t serial) : QEvent(kWakeEvent), Serial(serial) {}
    uint64_t Serial;
};

void DispatchOne(const TMsg& msg);
void FireDueTimers();

class TMessagePump : public QObject {
public:
    TMessagePump() {
        FTimer.setSingleShot(true);
        QObject::connect(&FTimer, &QTimer::timeout, this, [] { FireDueTimers(); });
    }
    bool event(QEvent* e) override {
        if (e->type() != kWakeEvent)
            return QObject::event(e);
        uint64_t serial = static_cast<TWakeEvent*>(e)->Serial;
        auto it = std::find_if(Queue().begin(), Queue().end(),
                               [serial](const TQueued& q) { return q.Serial == serial; });
        if (it != Queue().end()) {
            TMsg msg = it->Msg;
            Queue().erase(it);
            DispatchOne(msg);
        }
        return true;
    }
    QTimer FTimer;
};

TMessagePump* Pump() {
    static TMessagePump* pump = nullptr;
    if (!pump && QCoreApplication::instance()) {
        pump = new TMessagePump();
        pump->moveToThread(QCoreApplication::instance()->thread());
    }
    return pump;
}

void Enqueue(const TMsg& msg) {
    uint64_t serial = gNextSerial++;
    Queue().push_back({serial, msg});
    if (TMessagePump* pump = Pump())
        QCoreApplication::postEvent(pump, new TWakeEvent(serial));
}

// ---------------------------------------------------------------------------
// Timers and the clock

struct TTimer {
    HWND Window;
    uintptr_t Id;
    uint32_t Interval;
    uint64_t Due;
    bool Pending;
};
// Function-local so that units may start timers and hooks while they initialise.
std::vector<TTimer>& Timers() {
    static std::vector<TTimer> timers;
    return timers;
}
bool gManualClock = false;
uint64_t gManualNow = 0;

QElapsedTimer& RealClock() {
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock;
}

uint64_t Now64() {
    return gManualClock ? gManualNow : uint64_t(RealClock().elapsed());
}

void ScheduleRealTimer() {
    TMessagePump* pump = Pump();
    if (!pump)
        return;
    if (gManualClock || Timers().empty()) {
        pump->FTimer.stop();
        return;
    }
    uint64_t next = UINT64_MAX;
    for (const TTimer& t : Timers())
        next = std::min(next, t.Due);
    uint64_t now = Now64();
    pump->FTimer.start(int(next > now ? next - now : 0));
}

void FireDueTimers() {
    uint64_t now = Now64();
    for (TTimer& t : Timers()) {
        if (t.Due > now)
            continue;
        t.Due = now + t.Interval;
        if (!t.Pending) {
            t.Pending = true;
            Enqueue({t.Window, WM_TIMER, WPARAM(t.Id), 0});
        }
    }
    ScheduleRealTimer();
}

void DispatchOne(const TMsg& msg) {
    if (msg.message == WM_TIMER) {
        bool live = false;
        for (TTimer& t : Timers())
            if (t.Window == msg.hwnd && t.Id == msg.wParam) {
                t.Pending = false;
                live = true;
            }
        if (!live)
            return; // killed while queued
    }
    if (msg.message == WM_QUIT && msg.hwnd == 0) {
        if (gQuitHandler)
            gQuitHandler(int(msg.wParam));
        return;
    }
    try {
        SendMessage(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    } catch (...) {
        WindowSystemDetail::HandleEventException();
    }
}

// ---------------------------------------------------------------------------
// Keyboard

std::array<uint8_t, 256> gKeys{};

struct THook {
    HHOOK Id;
    TKeyboardHookProc Proc;
};
std::vector<THook>& Hooks() { // oldest first
    static std::vector<THook> hooks;
    return hooks;
}
HHOOK gNextHook = 1;

HWND gCapture = 0;
TPoint gCursorPos;
int gBeeps = 0;

bool IsToggleKey(int vk) {
    return vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL || vk == VK_INSERT;
}

} // namespace

// ---------------------------------------------------------------------------
// Windows

HWND AllocateHWnd(TWndMethod method) {
    HWND h = gNextHandle++;
    Windows()[h] = TWindowRecord{nullptr, std::move(method)};
    return h;
}

void DeallocateHWnd(HWND window) {
    WindowSystemDetail::UnregisterWindow(window);
}

bool IsWindow(HWND window) {
    return window != 0 && Windows().count(window) != 0;
}

TWinControl* FindControl(HWND window) {
    auto it = Windows().find(window);
    return it == Windows().end() ? nullptr : it->second.Control;
}

namespace WindowSystemDetail {

HWND RegisterControlWindow(TWinControl* control) {
    HWND h = gNextHandle++;
    Windows()[h] = TWindowRecord{control, {}};
    return h;
}

void UnregisterWindow(HWND window) {
    Windows().erase(window);
    std::erase_if(Timers(), [window](const TTimer& t) { return t.Window == window; });
    if (gCapture == window)
        gCapture = 0;
    ScheduleRealTimer();
}

bool RecordKey(int virtualKey, bool down) {
    uint8_t& k = gKeys[virtualKey & 0xFF];
    bool was = (k & 0x80) != 0;
    if (down) {
        if (!was && IsToggleKey(virtualKey))
            k ^= 0x01;
        k |= 0x80;
    } else {
        k &= 0x7F;
    }
    // The generic modifier keys follow their left and right keys.
    auto pair = [](int generic, int left, int right) {
        bool d = (gKeys[left] & 0x80) || (gKeys[right] & 0x80);
        if (d)
            gKeys[generic] |= 0x80;
    };
    pair(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    pair(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
    pair(VK_MENU, VK_LMENU, VK_RMENU);
    return was;
}

bool RunKeyboardHooks(int virtualKey, LPARAM keyData) {
    if (Hooks().empty())
        return false;
    LRESULT r = 0;
    try {
        r = Hooks().back().Proc(HC_ACTION, WPARAM(virtualKey), keyData);
    } catch (...) {
        HandleEventException();
    }
    return r != 0;
}

void SetLastCursorPos(int x, int y) {
    gCursorPos = TPoint(x, y);
}

void SetQuitHandler(void (*handler)(int)) {
    gQuitHandler = handler;
}

namespace {
int gForcedCanBlend = -1;

#ifdef ORV_ASK_X_SCREEN
// An X screen blends windows while a compositing manager owns its selection _NET_WM_CM_S<n>.
bool CompositingManagerRuns(xcb_connection_t* connection) {
    char* host = nullptr;
    int display = 0, screen = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen))
        free(host);
    else
        screen = 0;
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool owned = owner && owner->owner != XCB_NONE;
    free(owner);
    free(atom);
    return owned;
}
#endif
} // namespace

bool ScreenCanBlend() {
    if (gForcedCanBlend >= 0)
        return gForcedCanBlend != 0;
#ifdef ORV_ASK_X_SCREEN
    if (auto* x11 =
            qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        if (xcb_connection_t* connection = x11->connection())
            return CompositingManagerRuns(connection);
#endif
    return true; // the other platforms compose their windows, or draw offscreen
}

void ForceScreenCanBlend(int answer) {
    gForcedCanBlend = answer;
}

} // namespace WindowSystemDetail

// ---------------------------------------------------------------------------
// Messages

LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto it = Windows().find(window);
    if (it == Windows().end())
        return 0;
    if (it->second.Control)
        return it->second.Control->Perform(msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0, nullptr};
    TWndMethod proc = it->second.Proc; // the window may go while its procedure runs
    proc(m);
    return m.Result;
}

bool PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (window != 0 && !IsWindow(window))
        return false;
    Enqueue({window, msg, wParam, lParam});
    return true;
}

void PostQuitMessage(int exitCode) {
    Enqueue({0, WM_QUIT, WPARAM(exitCode), 0});
}

bool PeekMessage(TMsg& msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    for (auto it = Queue().begin(); it != Queue().end(); ++it) {
        const TMsg& m = it->Msg;
        if (window != 0 && m.hwnd != window)
            continue;
        if ((filterMin != 0 || filterMax != 0) && (m.message < filterMin || m.message > filterMax))
            continue;
        msg = m;
        if (removeFlags & PM_REMOVE) {
            if (m.message == WM_TIMER)
                for (TTimer& t : Timers())
                    if (t.Window == m.hwnd && t.Id == m.wParam)
                        t.Pending = false;
            Queue().erase(it);
        }
        return true;
    }
    return false;
}

int QueuedMessageCount() {
    return int(Queue().size());
}

void DispatchQueuedMessages() {
    while (!Queue().empty()) {
        TMsg msg = Queue().front().Msg;
        Queue().pop_front();
        DispatchOne(msg);
    }
}

// ---------------------------------------------------------------------------
// Timers

uintptr_t SetTimer(HWND window, uintptr_t id, UINT elapse) {
    if (!IsWindow(window))
        return 0;
    uint32_t interval = std::max<UINT>(elapse, 10);
    uint64_t due = Now64() + interval;
    auto it = std::find_if(Timers().begin(), Timers().end(),
                           [&](const TTimer& t) { return t.Window == window && t.Id == id; });
    if (it != Timers().end()) {
        it->Interval = interval;
        it->Due = due;
    } else {
        Timers().push_back({window, id, interval, due, false});
    }
    ScheduleRealTimer();
    return id;
}

bool KillTimer(HWND window, uintptr_t id) {
    size_t n =
        std::erase_if(Timers(), [&](const TTimer& t) { return t.Window == window && t.Id == id; });
    ScheduleRealTimer();
    return n > 0;
}

bool TimerActive(HWND window, uintptr_t id) {
    return std::any_of(Timers().begin(), Timers().end(),
                       [&](const TTimer& t) { return t.Window == window && t.Id == id; });
}

uint32_t GetTickCount() {
    return uint32_t(Now64());
}

void SetManualClock(bool manual) {
    if (manual == gManualClock)
        return;
    uint64_t now = Now64();
    gManualClock = manual;
    if (manual)
        gManualNow = now;
    // Timers keep their remaining time across the switch.
    uint64_t base = Now64();
    for (TTimer& t : Timers())
        t.Due = base + (t.Due > now ? t.Due - now : 0);
    ScheduleRealTimer();
}

bool ManualClock() {
    return gManualClock;
}

void AdvanceManualClock(uint32_t milliseconds) {
    uint64_t target = gManualNow + milliseconds;
    for (;;) {
        uint64_t next = UINT64_MAX;
        for (const TTimer& t : Timers())
            next = std::min(next, t.Due);
        if (next > target)
            break;
        gManualNow = std::max(gManualNow, next);
        FireDueTimers();
        DispatchQueuedMessages();
    }
    gManualNow = target;
}

// ---------------------------------------------------------------------------
// Keyboard

int16_t GetKeyState(int virtualKey) {
    uint8_t k = gKeys[virtualKey & 0xFF];
    return int16_t(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

int16_t GetAsyncKeyState(int virtualKey) {
    return (gKeys[virtualKey & 0xFF] & 0x80) ? int16_t(0x8000) : 0;
}

void GetKeyboardState(uint8_t* state) {
    std::copy(gKeys.begin(), gKeys.end(), state);
}

void SetKeyboardState(const uint8_t* state) {
    std::copy(state, state + 256, gKeys.begin());
}

namespace {
// Scan codes of the standard keyboard for the keys the programs use; others get the
// virtual key itself plus 0x100 so the mapping stays reversible.
struct TScanPair {
    int Vk;
    int Scan;
};
constexpr TScanPair kScanCodes[] = {
    {VK_ESCAPE, 0x01},  {'1', 0x02},       {'2', 0x03},     {'3', 0x04},       {'4', 0x05},
    {'5', 0x06},        {'6', 0x07},       {'7', 0x08},     {'8', 0x09},       {'9', 0x0A},
    {'0', 0x0B},        {VK_BACK, 0x0E},   {VK_TAB, 0x0F},  {'Q', 0x10},       {'W', 0x11},
    {'E', 0x12},        {'R', 0x13},       {'T', 0x14},     {'Y', 0x15},       {'U', 0x16},
    {'I', 0x17},        {'O', 0x18},       {'P', 0x19},     {VK_RETURN, 0x1C}, {VK_CONTROL, 0x1D},
    {'A', 0x1E},        {'S', 0x1F},       {'D', 0x20},     {'F', 0x21},       {'G', 0x22},
    {'H', 0x23},        {'J', 0x24},       {'K', 0x25},     {'L', 0x26},       {VK_SHIFT, 0x2A},
    {'Z', 0x2C},        {'X', 0x2D},       {'C', 0x2E},     {'V', 0x2F},       {'B', 0x30},
    {'N', 0x31},        {'M', 0x32},       {VK_MENU, 0x38}, {VK_SPACE, 0x39},  {VK_CAPITAL, 0x3A},
    {VK_F1, 0x3B},      {VK_F2, 0x3C},     {VK_F3, 0x3D},   {VK_F4, 0x3E},     {VK_F5, 0x3F},
    {VK_F6, 0x40},      {VK_F7, 0x41},     {VK_F8, 0x42},   {VK_F9, 0x43},     {VK_F10, 0x44},
    {VK_NUMLOCK, 0x45}, {VK_SCROLL, 0x46}, {VK_HOME, 0x47}, {VK_UP, 0x48},     {VK_PRIOR, 0x49},
    {VK_LEFT, 0x4B},    {VK_RIGHT, 0x4D},  {VK_END, 0x4F},  {VK_DOWN, 0x50},   {VK_NEXT, 0x51},
    {VK_INSERT, 0x52},  {VK_DELETE, 0x53}, {VK_F11, 0x57},  {VK_F12, 0x58},
};
} // namespace

UINT MapVirtualKey(UINT code, UINT mapType) {
    if (mapType == 0) {
        for (const TScanPair& p : kScanCodes)
            if (UINT(p.Vk) == code)
                return UINT(p.Scan);
        return code + 0x100;
    }
    for (const TScanPair& p : kScanCodes)
        if (UINT(p.Scan) == code)
            return UINT(p.Vk);
    return code >= 0x100 ? code - 0x100 : 0;
}

LPARAM MakeKeyData(int virtualKey, bool keyUp, bool wasDown) {
    uint32_t scan = MapVirtualKey(UINT(virtualKey), 0) & 0x1FF;
    uint32_t data = 1u | (scan << 16);
    if (wasDown || keyUp)
        data |= 1u << 30;
    if (keyUp)
        data |= 1u << 31;
    return LPARAM(int32_t(data));
}

void SynthesizeKey(int virtualKey, UINT flags) {
    bool up = (flags & KEYEVENTF_KEYUP) != 0;
    QWidget* focus = QApplication::focusWidget();
    if (focus && TWindowBridge::ControlOfWidget(focus)) {
        Qt::KeyboardModifiers mods;
        auto down = [](int vk) { return (gKeys[vk] & 0x80) != 0; };
        if (down(VK_SHIFT) || (virtualKey == VK_SHIFT && !up))
            mods |= Qt::ShiftModifier;
        if (down(VK_CONTROL) || (virtualKey == VK_CONTROL && !up))
            mods |= Qt::ControlModifier;
        if (down(VK_MENU) || (virtualKey == VK_MENU && !up))
            mods |= Qt::AltModifier;
        // The text as an X display gives it: a letter or digit keeps its character with
        // Alt held too (the program, not the key event, decides that it types nothing).
        QString text;
        if (!(mods & Qt::ControlModifier)) {
            if (virtualKey >= 'A' && virtualKey <= 'Z') {
                bool caps = (gKeys[VK_CAPITAL] & 1) != 0;
                bool shift = (mods & Qt::ShiftModifier) != 0;
                text = QChar(caps != shift ? virtualKey : virtualKey + 32);
            } else if (virtualKey >= '0' && virtualKey <= '9' && !(mods & Qt::ShiftModifier)) {
                text = QChar(virtualKey);
            } else if (virtualKey == VK_SPACE) {
                text = QStringLiteral(" ");
            } else if (virtualKey == VK_RETURN) {
                text = QStringLiteral("\r");
            } else if (virtualKey == VK_BACK) {
                text = QStringLiteral("\b");
            } else if (virtualKey == VK_ESCAPE) {
                text = QChar(27);
            }
        }
        QKeyEvent e(up ? QEvent::KeyRelease : QEvent::KeyPress,
                    WindowSystemDetail::QtKeyFromVirtualKey(virtualKey), mods,
                    MapVirtualKey(UINT(virtualKey), 0), UINT(virtualKey), 0, text);
        QCoreApplication::sendEvent(focus, &e);
        return;
    }
    bool was = WindowSystemDetail::RecordKey(virtualKey, !up);
    WindowSystemDetail::RunKeyboardHooks(virtualKey, MakeKeyData(virtualKey, up, was));
}

HHOOK SetKeyboardHook(TKeyboardHookProc proc) {
    HHOOK id = gNextHook++;
    Hooks().push_back({id, std::move(proc)});
    return id;
}

bool UnhookKeyboardHook(HHOOK hook) {
    return std::erase_if(Hooks(), [hook](const THook& h) { return h.Id == hook; }) > 0;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
    for (size_t i = Hooks().size(); i-- > 0;) {
        if (Hooks()[i].Id != hook)
            continue;
        if (i == 0)
            return 0;
        TKeyboardHookProc next = Hooks()[i - 1].Proc;
        return next(code, wParam, lParam);
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Capture, focus, cursor

HWND GetCapture() {
    return gCapture;
}

HWND SetCapture(HWND window) {
    HWND old = gCapture;
    gCapture = IsWindow(window) ? window : 0;
    if (old != 0 && old != gCapture)
        SendMessage(old, WM_CAPTURECHANGED, 0, LPARAM(gCapture));
    return old;
}

bool ReleaseCapture() {
    HWND old = gCapture;
    gCapture = 0;
    if (old != 0)
        SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

HWND GetFocus() {
    TWinControl* c = FindFocusedControl();
    return c ? c->Handle() : 0;
}

HWND SetFocus(HWND window) {
    HWND old = GetFocus();
    if (TWinControl* c = FindControl(window))
        c->SetFocus();
    return old;
}

bool GetCursorPos(TPoint& point) {
    point = gCursorPos;
    return true;
}

bool SetCursorPos(int x, int y) {
    gCursorPos = TPoint(x, y);
    return true;
}

// ---------------------------------------------------------------------------
// Metrics

int GetSystemMetrics(int index) {
    QScreen* screen = QGuiApplication::instance() ? QGuiApplication::primaryScreen() : nullptr;
    QRect geo = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXVIRTUALSCREEN:
    case SM_CXMAXIMIZED:
        return geo.width();
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
    case SM_CYMAXIMIZED:
        return geo.height();
    case SM_CYFULLSCREEN:
        return geo.height() - 19;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 16;
    case SM_CYCAPTION:
        return 19;
    case SM_CYSMCAPTION:
        return 15;
    case SM_CYMENU:
        return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return 18;
    case SM_CXMIN:
        return 112;
    case SM_CYMIN:
        return 27;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG:
        return 4;
    case SM_CMONITORS:
        return 1;
    default:
        return 0;
    }
}

UINT GetDoubleClickTime() {
    return 500;
}

bool MessageBeep(UINT) {
    ++gBeeps;
    return true;
}

int BeepCount() {
    return gBeeps;
}
