#pragma once
// Internal to the window system: the bridge that turns the Qt events of a control's
// widget into messages, the widget we paint ourselves, the handle table and the key
// translation between Qt keys and virtual keys.

#include "framework/gui/Messages.h"
#include "framework/gui/Types.h"

#include <QObject>
#include <QRegion>
#include <QWidget>

#include <unordered_map>

class QEvent;
class QKeyEvent;
class QScrollBar;
class TWinControl;

// The widget of a window we paint ourselves: it draws nothing on its own and keeps mouse
// events to itself (a child window's default processing never passes them to its parent),
// all but the wheel, which goes on to the parent when the window does not use it.
class TWindowWidget : public QWidget {
public:
    explicit TWindowWidget(QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override {}
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
};

// Watches one control's widget and hands its events to the control's window procedure.
class TWindowBridge : public QObject {
public:
    TWindowBridge(TWinControl* control, QWidget* widget);
    bool eventFilter(QObject* watched, QEvent* event) override;
    TWinControl* Control() const { return FControl; }
    // The control's window is going: later events are left to Qt.
    void Detach() { FControl = nullptr; }
    QWidget* Widget() const { return FWidget; }
    // Gives the Qt event a message was made from back to the widget (once).
    static bool HandBack(TWinControl* control, TMessage& message);
    // The control of a widget watched by a bridge (nullptr for other widgets).
    static TWinControl* ControlOfWidget(const QWidget* widget);

private:
    bool Translate(QEvent* event);
    bool MouseEvent(QEvent* event);
    bool KeyEvent(QKeyEvent* event);
    TWinControl* FControl;
    QWidget* FWidget;
};

namespace WindowSystemDetail {
// The control of each widget that is a control's window.
std::unordered_map<const QWidget*, TWinControl*>& WidgetControls();
// True while a Qt event is being handed to a control.
bool InsideEvent();
bool IsMouseMessage(UINT msg);
// The client point of a mouse message.
TPoint MessagePoint(const TMessage& m);
// What a repaint of a window drawn by us covers: its widget without the scroll bars laid
// over it, which repaint themselves when their range or position changes (the style's
// scroll bars are costly to draw: a full repaint of a grid would mostly paint them).
QRegion OwnPaintArea(const QWidget* w);
// The part of a window that its visible opaque child windows cover: the toolkit never
// shows the window's own picture there.
QRegion CoveredByOpaqueChildren(const QWidget* w);
// Handle table of control windows.
HWND RegisterControlWindow(TWinControl* control);
void UnregisterWindow(HWND window);
// The key of a Qt key event as a virtual key (0 when it has none).
int VirtualKeyFromQt(int qtKey, const QString& text);
int QtKeyFromVirtualKey(int virtualKey);
// The MK_ flags of the mouse buttons held and the Shift and Ctrl keys, as mouse messages
// carry them in their wParam.
WPARAM MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
// Records a key press or release in the keyboard state; answers whether it was down.
bool RecordKey(int virtualKey, bool down);
// Runs the keyboard hooks; true when one swallowed the key.
bool RunKeyboardHooks(int virtualKey, LPARAM keyData);
// The mouse position the bridge saw last (screen coordinates).
void SetLastCursorPos(int x, int y);
// Hands an exception caught at an event boundary to the application.
void HandleEventException();
// Set by the application: what WM_QUIT does.
void SetQuitHandler(void (*handler)(int exitCode));
// The capture state is cleared for a control that goes away.
void ForgetControl(const void* control);
// The drag in progress sees the mouse first (moves and releases); true when the drag
// used the event (the control must not see it).
bool DragMouseEvent(QEvent* event);
// Escape cancels a drag that has begun; true when it did.
bool DragKey(int virtualKey);
// A control that goes away stops being the drag's source or target.
void ForgetDragControl(const void* control);
// A drag image list going away is no longer shown by the drag in progress.
void ForgetDragImages(const void* images);
// Whether the screen blends a see-through window with what lies under it: false on an X
// display without a compositing manager, true elsewhere. Tests may force the answer
// (1 or 0); -1 asks the screen again.
bool ScreenCanBlend();
void ForceScreenCanBlend(int answer);
// A scroll bar a control lays over its own widget; it never takes the focus.
QScrollBar* NewScrollBar(QWidget* parent, bool vertical);
// Disconnects, hides and deletes (once control returns to the event loop) a control's
// scroll bar, and clears the pointer; nothing for a bar never made.
void ReleaseScrollBar(QScrollBar*& bar);
} // namespace WindowSystemDetail
