#pragma once
// Calls of the window system that stand apart from any one control: moving a window
// without redrawing it, drawing the standard frame controls (push buttons, scroll arrows,
// check boxes, the size grip), the program's named bitmap resources, and the names of the
// user and of the computer.

#include "framework/gui/Bitmaps.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Messages.h"
#include "framework/gui/Types.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// ---------------------------------------------------------------------------
// Window position

constexpr HWND HWND_TOP = 0;
constexpr HWND HWND_BOTTOM = 1;
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

// Moves and sizes a control's window (parent client coordinates). Without SWP_NOZORDER
// the window goes to the top (HWND_TOP) or the bottom (HWND_BOTTOM) of its siblings. With
// SWP_NOREDRAW neither the window nor the uncovered part of its parent is repainted.
// False when the handle names no control.
bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// Marks part of a window (nullptr: all of it) for painting; erase asks for the background
// to be erased first (a window painted by us always repaints its background).
bool InvalidateRect(HWND window, const TRect* r, bool erase);

// ---------------------------------------------------------------------------
// Window styles

constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_STYLE = -16;

// A window's style (GWL_STYLE) or extended style (GWL_EXSTYLE) bits, as made by the
// control's PrepareWindowParams and changed by SetWindowLong since; 0 when the handle
// names no control or the index is another.
uint32_t GetWindowLong(HWND window, int index);
// Replaces a window's style bits and returns the previous ones. The bits live with the
// window: a recreated window starts again from PrepareWindowParams.
uint32_t SetWindowLong(HWND window, int index, uint32_t value);

// ---------------------------------------------------------------------------
// Frame controls

constexpr UINT DFC_CAPTION = 1;
constexpr UINT DFC_MENU = 2;
constexpr UINT DFC_SCROLL = 3;
constexpr UINT DFC_BUTTON = 4;

// DFC_BUTTON kinds.
constexpr UINT DFCS_BUTTONCHECK = 0x0000;
constexpr UINT DFCS_BUTTONRADIO = 0x0004;
constexpr UINT DFCS_BUTTONPUSH = 0x0010;
// DFC_SCROLL kinds.
constexpr UINT DFCS_SCROLLUP = 0x0000;
constexpr UINT DFCS_SCROLLDOWN = 0x0001;
constexpr UINT DFCS_SCROLLLEFT = 0x0002;
constexpr UINT DFCS_SCROLLRIGHT = 0x0003;
constexpr UINT DFCS_SCROLLCOMBOBOX = 0x0005;
constexpr UINT DFCS_SCROLLSIZEGRIP = 0x0008;
// DFC_CAPTION kinds.
constexpr UINT DFCS_CAPTIONCLOSE = 0x0000;
// States.
constexpr UINT DFCS_INACTIVE = 0x0100;
constexpr UINT DFCS_PUSHED = 0x0200;
constexpr UINT DFCS_CHECKED = 0x0400;
constexpr UINT DFCS_ADJUSTRECT = 0x2000;
constexpr UINT DFCS_FLAT = 0x4000;
constexpr UINT DFCS_MONO = 0x8000;

// Draws a frame control of the type and state in the rectangle, in the system colours.
// A push button is a raised edge over the button face (sunken when pushed, one line when
// flat); with DFCS_ADJUSTRECT the rectangle shrinks to the inside of the frame. False for
// an unknown type.
bool DrawFrameControl(TCanvas* canvas, TRect& r, UINT type, UINT state);

// ---------------------------------------------------------------------------
// Bitmap resources

// Fills the bitmap with the program's bitmap resource of that name (names compare without
// regard to case); false when there is none, the bitmap unchanged. Our own pictures, drawn
// by code, are built in: "FCDROPUP" and "FCDROPDOWN" (10 × 4 arrows pointing up and
// down) and "FCDROPLEFT" and "FCDROPRIGHT" (4 × 10), black on a white background (the
// bottom-left pixel, so that they draw transparently), 16 colours.
bool LoadBitmapResource(TBitmap* bitmap, const std::string& name);
// Adds (or replaces) a named resource made by the function.
void RegisterBitmapResource(const std::string& name, std::function<void(TBitmap*)> make);

// ---------------------------------------------------------------------------
// User and computer

// The login name of the user running the program; false (name emptied) when it is
// unknown or does not fit a buffer of bufferSize characters with its terminator.
bool GetUserName(std::string& name, std::size_t bufferSize);
// The computer's name; false as above.
bool GetComputerName(std::string& name, std::size_t bufferSize);
// Tests replace the names the system reports (std::nullopt: the system's own again).
void OverrideSystemNames(std::optional<std::string> userName,
                         std::optional<std::string> computerName);
