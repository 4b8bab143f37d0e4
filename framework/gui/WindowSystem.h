#pragma once
// The window system's calls that are not methods of a control: window handles and
// message-only windows, sending and posting messages, the message queue, numbered window
// timers on a replaceable clock, the keyboard hook chain and the keyboard state, mouse
// capture, focus, the cursor position, system metrics and the beep. GUI thread only.

#include "framework/gui/Messages.h"
#include "framework/gui/Types.h"

#include <cstdint>
#include <functional>

class TWinControl;

// ---------------------------------------------------------------------------
// Windows

// A hidden window that only receives messages; its procedure is the given method.
HWND AllocateHWnd(TWndMethod method);
void DeallocateHWnd(HWND window);
// True while the handle names a live window (a control's or a message-only one).
bool IsWindow(HWND window);
// The control whose window the handle is, or nullptr.
TWinControl* FindControl(HWND window);

// ---------------------------------------------------------------------------
// Messages

// Runs the window's procedure now and answers the message's result (0 for no window).
LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Queues the message; it is handled after the message being handled now has finished.
// False when the window does not exist.
bool PostMessage(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Queues WM_QUIT: when it is handled, the application terminates with the exit code.
void PostQuitMessage(int exitCode);

struct TMsg {
    HWND hwnd = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;
// Looks for the oldest queued message for the window (0: any window, WM_QUIT included)
// numbered filterMin..filterMax (both 0: any number); with PM_REMOVE it leaves the queue.
bool PeekMessage(TMsg& msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// The number of queued messages not yet handled.
int QueuedMessageCount();
// Handles every message queued so far (and those they post), without running Qt's loop.
void DispatchQueuedMessages();

// ---------------------------------------------------------------------------
// Timers and the clock

// Starts (or restarts) timer id of the window: WM_TIMER with WParam = id arrives every
// elapse milliseconds of the clock. A timer dies with its window. Answers id, 0 for no
// window.
uintptr_t SetTimer(HWND window, uintptr_t id, UINT elapse);
bool KillTimer(HWND window, uintptr_t id);
bool TimerActive(HWND window, uintptr_t id);

// Milliseconds since the start of the clock.
uint32_t GetTickCount();
// A manual clock stands still until advanced: timers fire only from AdvanceManualClock,
// in the order their times come, each WM_TIMER handled before the clock moves on.
void SetManualClock(bool manual);
bool ManualClock();
void AdvanceManualClock(uint32_t milliseconds);

// ---------------------------------------------------------------------------
// Keyboard

// Key state: bit 15 set while the key is down, bit 0 the toggle of the lock keys (Caps
// Lock, Num Lock, Scroll Lock, Insert), flipped by each press.
int16_t GetKeyState(int virtualKey);
int16_t GetAsyncKeyState(int virtualKey);
// 256 bytes: bit 7 down, bit 0 toggled.
void GetKeyboardState(uint8_t* state);
void SetKeyboardState(const uint8_t* state);
// Virtual key to scan code (mapType 0) and back (mapType 1).
UINT MapVirtualKey(UINT code, UINT mapType);
// The key data (LParam) of a key message: repeat count 1, scan code, previous state in bit
// 30, release in bit 31.
LPARAM MakeKeyData(int virtualKey, bool keyUp, bool wasDown);
constexpr UINT KEYEVENTF_KEYUP = 0x0002;
// Presses or releases a key as if typed: the keyboard state changes, the hooks run and the
// window with the focus gets the key (and the character of a printable key).
void SynthesizeKey(int virtualKey, UINT flags);

using HHOOK = uintptr_t;
constexpr int HC_ACTION = 0;
constexpr int HC_NOREMOVE = 3;
// A keyboard hook: code, virtual key, key data. A non-zero answer swallows the key.
using TKeyboardHookProc = std::function<LRESULT(int code, WPARAM wParam, LPARAM lParam)>;
// The newest hook is called first; it passes the key on with CallNextHookEx.
HHOOK SetKeyboardHook(TKeyboardHookProc proc);
bool UnhookKeyboardHook(HHOOK hook);
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------
// Mouse, focus, cursor

// Mouse messages go to the capturing window wherever the mouse is. Setting or releasing
// sends WM_CAPTURECHANGED to the window that loses the capture.
HWND GetCapture();
HWND SetCapture(HWND window);
bool ReleaseCapture();

HWND GetFocus();
HWND SetFocus(HWND window); // answers the window that had the focus

// The mouse position in screen coordinates, as the last mouse event left it.
bool GetCursorPos(TPoint& point);
bool SetCursorPos(int x, int y);

// ---------------------------------------------------------------------------
// Metrics and sounds

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CYVTHUMB = 9;
constexpr int SM_CXHTHUMB = 10;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXCURSOR = 13;
constexpr int SM_CYCURSOR = 14;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;
constexpr int SM_CYVSCROLL = 20;
constexpr int SM_CXHSCROLL = 21;
constexpr int SM_CXMIN = 28;
constexpr int SM_CYMIN = 29;
constexpr int SM_CXSIZE = 30;
constexpr int SM_CYSIZE = 31;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_CYSMCAPTION = 51;
constexpr int SM_CXDRAG = 68;
constexpr int SM_CYDRAG = 69;
constexpr int SM_CXMAXIMIZED = 61;
constexpr int SM_CYMAXIMIZED = 62;
constexpr int SM_CXVIRTUALSCREEN = 78;
constexpr int SM_CYVIRTUALSCREEN = 79;
constexpr int SM_CMONITORS = 80;
// The classic desktop's sizes at 96 pixels per inch; the screen's size from the display.
int GetSystemMetrics(int index);

// Double-click time in milliseconds.
UINT GetDoubleClickTime();

constexpr UINT MB_OK = 0x0;
// Beeps; the beeps are counted so that tests can see them.
bool MessageBeep(UINT type);
int BeepCount();
