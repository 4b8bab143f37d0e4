#pragma once
// Controls: the visual components. TControl has bounds, alignment, colour, font and a
// replaceable window procedure; TWinControl owns one Qt widget as its window, created on
// demand and re-created by RecreateWnd; TGraphicControl draws on its parent's window;
// TCustomControl is a window control that paints itself through a canvas.
//
// Every event of a window reaches the control as a message (TMessage) through its window
// procedure; HandleMessage is the control's own processing and DefaultHandler gives the
// event back to Qt. Coordinates of a control are in its parent's client area.

#include "framework/core/Classes.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Messages.h"
#include "framework/gui/Regions.h"
#include "framework/gui/Types.h"
#include "framework/gui/WindowSystem.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QRegion;
class QWidget;
class TActionLink;
class TBasicAction;
class TDragImageList;
class TWinControl;
class TCustomForm;
class TWindowBridge;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

// Horizontal alignment of a control's text (labels, edits, panels, grid cells).
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
constexpr TAnchors kDefaultAnchors{akLeft, akTop};

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftStateMember { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateMember>;

// Control styles.
enum TControlStyleMember {
    csAcceptsControls, // other controls may be placed on it
    csCaptureMouse,    // a button press captures the mouse until its release
    csDesignInteractive,
    csClickEvents, // a press and release on the control fire Click
    csFramed,
    csSetCaption,
    csOpaque,       // the control covers its whole client area: no background erase
    csDoubleClicks, // double clicks arrive as such (else as a second press)
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents
};
using TControlStyle = TSet<TControlStyleMember>;

// Control states.
enum TControlStateMember {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking
};
using TControlState = TSet<TControlStateMember>;

// Cursors: the screen's cursor table maps these numbers (and any number a program adds)
// to shapes.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSize = -22;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// The cursor identifiers ("crDefault", "crArrow" ...) and their numbers, in table order;
// "crSize" is read as crSizeAll.
void GetCursorValues(const std::function<void(const std::string&)>& proc);
bool CursorToIdent(TCursor cursor, std::string& ident);
bool IdentToCursor(std::string_view ident, TCursor& cursor);

// Window styles of PrepareWindowParams.
constexpr uint32_t WS_OVERLAPPED = 0x00000000;
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_DISABLED = 0x08000000;
constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000;
constexpr uint32_t WS_CLIPCHILDREN = 0x02000000;
constexpr uint32_t WS_CAPTION = 0x00C00000;
constexpr uint32_t WS_BORDER = 0x00800000;
constexpr uint32_t WS_DLGFRAME = 0x00400000;
constexpr uint32_t WS_VSCROLL = 0x00200000;
constexpr uint32_t WS_HSCROLL = 0x00100000;
constexpr uint32_t WS_SYSMENU = 0x00080000;
constexpr uint32_t WS_THICKFRAME = 0x00040000;
constexpr uint32_t WS_TABSTOP = 0x00010000;
constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000;
constexpr uint32_t WS_EX_DLGMODALFRAME = 0x00000001;
constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
// The window lets its parent's picture show through: the parent's pixels under it are
// its background, and it paints over them.
constexpr uint32_t WS_EX_TRANSPARENT = 0x00000020;
constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
constexpr uint32_t WS_EX_WINDOWEDGE = 0x00000100;
constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200;
constexpr uint32_t CS_VREDRAW = 0x0001;
constexpr uint32_t CS_HREDRAW = 0x0002;
constexpr uint32_t CS_DBLCLKS = 0x0008;
constexpr uint32_t CS_SAVEBITS = 0x0800;

// What a window control asks of its window before it is created.
struct TCreateParams {
    std::string Caption;
    uint32_t Style = 0;
    uint32_t ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = 0;
    uint32_t ClassStyle = 0;
    std::string WinClassName;
};

// Owner-draw request of WM_DRAWITEM (LParam points to it); the parent reflects it to the
// control as CN_DRAWITEM.
struct TDrawItemStruct {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT ItemID = 0;
    UINT ItemAction = 0;
    UINT ItemState = 0;
    HWND HwndItem = 0;
    TCanvas* Canvas = nullptr;
    TRect RcItem;
    uintptr_t ItemData = 0;
};

// The placement record of a window (Get/SetWindowPlacement).
constexpr UINT SW_HIDE = 0;
constexpr UINT SW_SHOWNORMAL = 1;
constexpr UINT SW_SHOWMINIMIZED = 2;
constexpr UINT SW_SHOWMAXIMIZED = 3;
constexpr UINT SW_SHOW = 5;
constexpr UINT SW_MINIMIZE = 6;
constexpr UINT SW_RESTORE = 9;
constexpr UINT WPF_SETMINPOSITION = 0x0001;
constexpr UINT WPF_RESTORETOMAXIMIZED = 0x0002;
struct TWindowPlacement {
    UINT Length = sizeof(TWindowPlacement);
    UINT Flags = 0;
    UINT ShowCmd = SW_SHOWNORMAL;
    TPoint MinPosition{-1, -1};
    TPoint MaxPosition{-1, -1};
    TRect NormalPosition;
};

// Sizes a window may take (WM_GETMINMAXINFO, LParam points to it).
struct TMinMaxInfo {
    TPoint Reserved;
    TPoint MaxSize;
    TPoint MaxPosition;
    TPoint MinTrackSize;
    TPoint MaxTrackSize;
};

// Sender, button, shift state, x, y (client coordinates of the sender).
using TMouseEvent = TEvent<void(TObject*, TMouseButton, TShiftState, int, int)>;
using TMouseMoveEvent = TEvent<void(TObject*, TShiftState, int, int)>;
// The wheel turned one way over a control (mousePos in screen coordinates); a handler that
// sets handled keeps the turn from the control's own scrolling.
using TMouseWheelUpDownEvent = TEvent<void(TObject*, TShiftState, TPoint, bool&)>;
// Sender, virtual key (set 0 to consume it), shift state.
using TKeyEvent = TEvent<void(TObject*, uint16_t&, TShiftState)>;
// Sender, character (set 0 to consume it).
using TKeyPressEvent = TEvent<void(TObject*, char32_t&)>;

// Drag and drop inside the program. A drag starts at once (BeginDrag(true)) or once the
// mouse has moved more than a threshold with the button down; while it lasts, the control
// under the mouse is asked by OnDragOver whether it takes the source (the answer sets the
// drag or no-drop cursor); releasing the button over a control that accepted calls its
// OnDragDrop, and the source's OnEndDrag learns the target (nullptr when the drag was
// refused or cancelled by Escape).
enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
// Sender (the target), source, client point of the target, state, accept (true on entry).
using TDragOverEvent = TEvent<void(TObject*, TObject*, int, int, TDragState, bool&)>;
// Sender (the target), source, client point of the target.
using TDragDropEvent = TEvent<void(TObject*, TObject*, int, int)>;
// Sender (the source), target (nullptr when nothing took it), client point of the target.
using TEndDragEvent = TEvent<void(TObject*, TObject*, int, int)>;
// Sender (the source), when the drag has begun.
using TStartDragEvent = TEvent<void(TObject*)>;

// The shift state of mouse-message flags and of the keyboard state.
TShiftState ShiftStateFromMouseFlags(WPARAM flags);
TShiftState KeyboardShiftState();

// ---------------------------------------------------------------------------

class TControl;

// What a control asks of its pop-up menu; the menus unit's pop-up menu answers it.
class IPopupMenu {
public:
    virtual ~IPopupMenu() = default;
    // Shows the menu at a screen point on behalf of the control.
    virtual void PopupFor(TControl* control, int screenX, int screenY) = 0;
};

class TControl : public TComponent {
    ORV_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;
    static void Publish(TPublisher<TControl>& p);

    // ---- Parent
    TWinControl* Parent() const { return FParent; }
    void SetParent(TWinControl* parent) { AttachParent(parent); }
    // Moves the control into another window control's client area (nullptr removes it).
    // Ownership does not change.
    virtual void AttachParent(TWinControl* parent);
    // A control aligned alCustom places itself: called whenever its parent arranges its
    // children, after the other alignments, with the parent's whole client rectangle.
    virtual void AlignCustom(const TRect& clientRect) { (void)clientRect; }
    bool HasParent() const override { return true; }
    TComponent* ParentComponent() const override;
    void SetParentComponent(TComponent* value) override;

    // ---- Bounds (parent client coordinates)
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
    void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
    void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
    void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    // (0, 0, ClientWidth, ClientHeight).
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int value);
    void SetClientHeight(int value);
    // Screen position of the client area's top-left corner.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(const TPoint& p) const;
    TPoint ScreenToClient(const TPoint& p) const;

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign value);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors value);

    // ---- Look and state
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool value);
    void Show();
    void Hide();
    // Visible, and so are all parents up to a shown top-level window.
    virtual bool Showing() const;
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* value) { FFont->AssignFrom(value); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool value);
    // The caption or text the control shows.
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& value) { SetText(value); }
    virtual std::string Text() const { return FText; }
    virtual void SetText(const std::string& value);
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& value) { FHint = value; }
    // The pop-up menu a right click (WM_CONTEXTMENU) shows; a component that implements
    // IPopupMenu, cleared when it is freed. A control without one passes the request to
    // its parent.
    TComponent* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TComponent* value);
    void ComponentNotification(TComponent* component, TOperation operation) override;
    // Own, or the parent's while ParentShowHint.
    bool ShowHint() const;
    void SetShowHint(bool value);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value);
    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle value) { FControlStyle = value; }
    bool HasStyle(TControlStyleMember m) const { return FControlStyle.Contains(m); }
    TControlState ControlState() const { return FControlState; }
    void SetControlState(TControlState value) { FControlState = value; }
    bool HasState(TControlStateMember m) const { return FControlState.Contains(m); }
    // The control receives every mouse message while set (the framework's capture).
    bool MouseCapture() const;
    void SetMouseCapture(bool value);
    // The top-level form of the parent chain (a docked form's host form), or nullptr.
    TCustomForm* ParentForm() const;

    // ---- Messages
    // The window procedure every message of the control goes through.
    TWndMethod WindowProc() const { return FWindowProc; }
    void SetWindowProc(TWndMethod value) { FWindowProc = std::move(value); }
    // The procedure a control starts with: it calls HandleMessage.
    TWndMethod DefaultWindowProc() const { return FDefaultWindowProc; }
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Sends the message to the window procedure and answers its result.
    void SendToWindowProc(TMessage& message);
    // The control's own processing of a message; ends in DefaultHandler.
    virtual void HandleMessage(TMessage& message);
    // The platform's processing: the event goes back to Qt; a message made by the
    // program itself answers 0.
    virtual void DefaultHandler(TMessage& message);

    // ---- Painting
    void Invalidate() { RequestRepaint(); }
    // Marks the control for painting (the whole of it).
    virtual void RequestRepaint();
    // Paints what is marked now.
    virtual void Update();
    void Repaint();
    void Refresh() { Repaint(); }

    void BringToFront();
    void SendToBack();

    // ---- Events
    const TNotifyEvent& OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent value) { FOnClick = std::move(value); }
    const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
    void SetOnDblClick(TNotifyEvent value) { FOnDblClick = std::move(value); }
    const TNotifyEvent& OnResize() const { return FOnResize; }
    void SetOnResize(TNotifyEvent value) { FOnResize = std::move(value); }
    const TNotifyEvent& OnMouseEnter() const { return FOnMouseEnter; }
    void SetOnMouseEnter(TNotifyEvent value) { FOnMouseEnter = std::move(value); }
    const TNotifyEvent& OnMouseLeave() const { return FOnMouseLeave; }
    void SetOnMouseLeave(TNotifyEvent value) { FOnMouseLeave = std::move(value); }
    const TMouseEvent& OnMouseDown() const { return FOnMouseDown; }
    void SetOnMouseDown(TMouseEvent value) { FOnMouseDown = std::move(value); }
    const TMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
    void SetOnMouseMove(TMouseMoveEvent value) { FOnMouseMove = std::move(value); }
    const TMouseEvent& OnMouseUp() const { return FOnMouseUp; }
    void SetOnMouseUp(TMouseEvent value) { FOnMouseUp = std::move(value); }
    const TMouseWheelUpDownEvent& OnMouseWheelUp() const { return FOnMouseWheelUp; }
    void SetOnMouseWheelUp(TMouseWheelUpDownEvent value) { FOnMouseWheelUp = std::move(value); }
    const TMouseWheelUpDownEvent& OnMouseWheelDown() const { return FOnMouseWheelDown; }
    void SetOnMouseWheelDown(TMouseWheelUpDownEvent value) { FOnMouseWheelDown = std::move(value); }
    // Hands a WM_MOUSEWHEEL to OnMouseWheelUp or OnMouseWheelDown; true when one handled it.
    bool DoMouseWheel(const TMessage& message);

    // OnClick, or without one the action's execution.
    virtual void Click();
    virtual void DblClick();

    // ---- Action
    // The action the control follows: its caption, enabled state, visibility and hint
    // (controls with a check or an image show those too); a click without an OnClick runs
    // it. The link is cleared when the action is freed.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* value);

    // ---- Drag and drop inside the program
    // dmAutomatic starts a drag when the left button goes down on the control.
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode value) { FDragMode = value; }
    // The cursor over a target that accepts (crDrag by default).
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor value) { FDragCursor = value; }
    // Starts dragging the control: at once, or after the mouse has moved more than
    // threshold pixels (-1: the platform's distance). Nothing while another drag runs.
    void BeginDrag(bool immediate, int threshold = -1);
    // Ends the control's drag: a drop where the mouse is (when the target accepted), or a
    // cancel.
    void EndDrag(bool drop);
    // The control is the source of a drag that has begun.
    bool Dragging() const;
    const TDragOverEvent& OnDragOver() const { return FOnDragOver; }
    void SetOnDragOver(TDragOverEvent value) { FOnDragOver = std::move(value); }
    const TDragDropEvent& OnDragDrop() const { return FOnDragDrop; }
    void SetOnDragDrop(TDragDropEvent value) { FOnDragDrop = std::move(value); }
    const TEndDragEvent& OnEndDrag() const { return FOnEndDrag; }
    void SetOnEndDrag(TEndDragEvent value) { FOnEndDrag = std::move(value); }
    const TStartDragEvent& OnStartDrag() const { return FOnStartDrag; }
    void SetOnStartDrag(TStartDragEvent value) { FOnStartDrag = std::move(value); }
    // The target's answer: false without an OnDragOver, else what OnDragOver says.
    virtual void DragOver(TObject* source, int x, int y, TDragState state, bool& accept);
    virtual void DragDrop(TObject* source, int x, int y);
    // The source's end: fires OnEndDrag.
    virtual void DoEndDrag(TObject* target, int x, int y);
    virtual void DoStartDrag();
    // The picture a drag of this control shows under the cursor over controls with
    // csDisplayDragImage; nullptr (the default) for none. Asked when the drag begins.
    virtual TDragImageList* GetDragImages() { return nullptr; }

    // ---- Docking
    // Docks the control into a dock site (see TWinControl::DockSite); nullptr takes it
    // out of its site again (it keeps its parent).
    void ManualDock(TWinControl* newDockSite);
    TWinControl* HostDockSite() const { return FHostDockSite; }

protected:
    virtual void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void HandleMouseMove(TShiftState shift, int x, int y);
    virtual void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // After a size change: fires OnResize.
    virtual void HandleResize();
    // The control's rectangle in its parent's client area was painted; graphic controls
    // draw on their own canvas.
    virtual void PaintControl() {}
    // The parent's client rectangle changed by (dw, dh): anchors move or size the control.
    void ApplyAnchors(int dw, int dh);
    // Asks the parent to arrange its aligned children again.
    void RequestAlign();
    // The text changed (CM_TEXTCHANGED).
    void TextChanged();
    // The linked action changed (or was just linked): the control takes its properties.
    virtual void ActionChange(TBasicAction* sender);
    // Runs the linked action on behalf of the control; true when a handler ran.
    bool ExecuteAction();

    TColor FColor = clWindow;
    std::string FText;
    TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState FControlState;

private:
    friend class TWinControl;
    friend class TWindowBridge;
    void MouseMessage(TMessage& message);
    void FontChanged(TObject* sender);
    void ParentFontChanged();
    void ParentColorChanged();

    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TAlign FAlign = alNone;
    TAnchors FAnchors = kDefaultAnchors;
    bool FVisible = true;
    bool FEnabled = true;
    bool FParentColor = true;
    bool FParentFont = true;
    bool FShowHint = false;
    bool FParentShowHint = true;
    std::string FHint;
    TComponent* FPopupMenu = nullptr;
    TCursor FCursor = crDefault;
    std::unique_ptr<TFont> FFont;
    TWndMethod FDefaultWindowProc;
    TWndMethod FWindowProc;
    TNotifyEvent FOnClick;
    TNotifyEvent FOnDblClick;
    TNotifyEvent FOnResize;
    TNotifyEvent FOnMouseEnter;
    TNotifyEvent FOnMouseLeave;
    TMouseEvent FOnMouseDown;
    TMouseMoveEvent FOnMouseMove;
    TMouseWheelUpDownEvent FOnMouseWheelUp, FOnMouseWheelDown;
    TMouseEvent FOnMouseUp;
    TDragMode FDragMode = dmManual;
    TCursor FDragCursor = crDrag;
    TDragOverEvent FOnDragOver;
    TDragDropEvent FOnDragDrop;
    TEndDragEvent FOnEndDrag;
    TStartDragEvent FOnStartDrag;
    TWinControl* FHostDockSite = nullptr;
    std::unique_ptr<TActionLink> FActionLink;
};

// ---------------------------------------------------------------------------

class TWinControl : public TControl {
    ORV_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;
    static void Publish(TPublisher<TWinControl>& p);

    // ---- The window
    // The window's handle; the window is created when there is none yet (which needs a
    // parent with a window, except for top-level windows).
    HWND Handle();
    bool HandleAllocated() const { return FHandle != 0; }
    void HandleNeeded() { Handle(); }
    // The window's widget, created on demand like the handle.
    QWidget* Widget();
    QWidget* WidgetIfAllocated() const { return FWidget; }
    // Destroys the window and creates a new one with the present properties; the window
    // procedure starts again from the default.
    void RecreateWnd();
    void DestroyHandle();
    // True for a control that may have a window without a parent control (forms, pop-up
    // lists); such a window is a top-level window while it has no parent.
    virtual bool IsTopLevel() const { return false; }

    // ---- Children
    int ControlCount() const { return int(FControls.size()); }
    TControl* Controls(int index) const { return FControls.at(index); }
    // The child at the client point: the topmost visible one (enabled ones only unless
    // allowDisabled); window controls too when allowWinControls.
    TControl* ControlAtPos(const TPoint& p, bool allowDisabled,
                           bool allowWinControls = false) const;
    bool ContainsControl(const TControl* control) const;
    // Sends the message to every child; stops at the first non-zero result.
    void Broadcast(TMessage& message);

    // ---- Alignment
    void DisableAlign();
    void EnableAlign();
    void Realign();

    // ---- Focus and keys
    bool Focused() const;
    virtual bool CanFocus() const;
    virtual void SetFocus();
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool value) { FTabStop = value; }
    int TabOrder() const;
    void SetTabOrder(int value);
    // The window controls in tab order.
    std::vector<TWinControl*> TabList() const;
    // Moves the focus to the next (or previous) control that can take it.
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

    const TNotifyEvent& OnEnter() const { return FOnEnter; }
    void SetOnEnter(TNotifyEvent value) { FOnEnter = std::move(value); }
    const TNotifyEvent& OnExit() const { return FOnExit; }
    void SetOnExit(TNotifyEvent value) { FOnExit = std::move(value); }
    const TKeyEvent& OnKeyDown() const { return FOnKeyDown; }
    void SetOnKeyDown(TKeyEvent value) { FOnKeyDown = std::move(value); }
    const TKeyEvent& OnKeyUp() const { return FOnKeyUp; }
    void SetOnKeyUp(TKeyEvent value) { FOnKeyUp = std::move(value); }
    const TKeyPressEvent& OnKeyPress() const { return FOnKeyPress; }
    void SetOnKeyPress(TKeyPressEvent value) { FOnKeyPress = std::move(value); }

    // ---- Docking
    // A dock site lays its docked clients out over its client area, one below the other,
    // each below a caption strip whose close button closes it (a form's Close, so its
    // OnClose decides; other controls are hidden). A hidden client gives up its place.
    bool DockSite() const { return FDockSite; }
    void SetDockSite(bool value);
    int DockClientCount() const { return int(FDockClients.size()); }
    TControl* DockClients(int index) const { return FDockClients.at(index); }
    // The caption strip of a shown docked client and its close button, in the client
    // area of the site (empty when the client is not docked here or hidden).
    TRect DockCaptionRect(const TControl* client) const;
    TRect DockCloseButtonRect(const TControl* client) const;

    // ---- Window extras
    // The window's region: painting and hit testing are limited to it (nullptr: none).
    void SetWindowRgn(const TRegion* region, bool redraw);
    bool HasWindowRgn() const { return FHasRegion; }
    const TRegion& WindowRgn() const { return FRegion; }
    virtual TWindowPlacement GetWindowPlacement() const;
    virtual void SetWindowPlacement(const TWindowPlacement& placement);
    // The window's border drawn by us inside its bounds (a docked form's frame and caption
    // strip), as widths per side; the client area lies inside it.
    virtual TRect NonClientBorder() const { return TRect(); }
    // The frame the window manager draws around a top-level window, per side.
    virtual TRect WindowFrame() const { return TRect(); }

    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    void AttachParent(TWinControl* parent) override;
    void SetVisible(bool value) override;
    void SetEnabled(bool value) override;
    void RequestRepaint() override;
    void Update() override;
    void HandleMessage(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

    // Invalidates part of the client area (nullptr: all of it).
    void InvalidateRect(const TRect* r);
    // Draws what the window shows (its children included) on canvas with its top-left
    // corner at (x, y); the window is created when needed and may be hidden.
    void PaintTo(TCanvas* canvas, int x, int y);

protected:
    // ---- Override points of the window's life
    // Fills the parameters of the window to be created.
    virtual void PrepareWindowParams(TCreateParams& params);
    // The widget to use as the window; the default is a plain widget that we paint.
    // Subclasses that wrap a Qt widget return it (the bridge watches it all the same).
    virtual QWidget* CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget);
    // After the window has been created (the handle is valid).
    virtual void AfterWindowCreated() {}
    // Before the window is destroyed (the handle is still valid).
    virtual void BeforeWindowDestroyed() {}
    // Places the aligned children (top, bottom, left, right, then client) inside rect,
    // which starts as the client area and shrinks as each one is placed; control is the
    // one whose change asked for it (nullptr for none). Overrides may adjust rect first.
    virtual void ArrangeChildren(TControl* control, TRect& rect);
    // Paints the window's own content into the canvas (the client area); the default
    // does nothing. TCustomControl calls PaintControl.
    virtual void PaintWindowContent(TCanvas* canvas) {}
    // The non-client part (the caption strip of a docked form), in widget coordinates.
    virtual void PaintNonClient(TCanvas* canvas) {}
    // True when the window is painted by us (its widget was not supplied by a subclass).
    bool OwnPainted() const { return FOwnPainted; }

    // ---- Key and focus handling (fire the events)
    virtual void HandleKeyDown(uint16_t& key, TShiftState shift);
    virtual void HandleKeyUp(uint16_t& key, TShiftState shift);
    virtual void HandleKeyPress(char32_t& key);
    virtual void HandleEnter();
    virtual void HandleExit();
    // Answers whether the key was used as a shortcut or dialog key before the control saw
    // it (CN_KEYDOWN).
    virtual bool PreviewKey(TMessage& message);

    // The canvas of the window's surface (created on first use).
    TCanvas* WindowCanvas();
    // The painting of the window: background, PaintWindowContent, graphic children.
    void PaintHandler(const QRegion& area);
    void PaintGraphicChildren(const QRegion& area);

    TRect FNonClientCache;

private:
    friend class TControl;
    friend class TWindowBridge;
    friend class TCustomForm;
    friend class TGraphicControl;
    void CreateHandle();
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void UpdateWidgetGeometry();
    void ReparentWidget();
    void AlignControls();
    void EnsureSurface();
    void PaintEvent(TMessage& message);
    bool ForwardMouseToGraphicChild(TMessage& message);
    void KeyMessage(TMessage& message);

    friend class TDockCaption;
    void ArrangeDockClients(TRect& rect);
    void AddDockClient(TControl* client);
    void RemoveDockClient(TControl* client);
    bool FDockSite = false;
    std::vector<TControl*> FDockClients;
    std::vector<TControl*> FDockCaptions; // one per client, in the same order
    std::vector<TControl*> FControls;     // children in z-order (the last is on top)
    HWND FHandle = 0;
    QWidget* FWidget = nullptr;
    TWindowBridge* FBridge = nullptr;
    bool FOwnPainted = false;
    bool FTabStop = false;
    int FAlignLevel = 0;
    bool FAligning = false;
    TSize FArrangedSize; // client size the children were last arranged for
    bool FHasRegion = false;
    TRegion FRegion;
    std::vector<TWinControl*> FTabList;
    // The surface: what the window shows, kept between paints so that a control may
    // draw outside a paint, and the part of it that needs painting.
    struct TSurface;
    std::unique_ptr<TSurface> FSurface;
    std::unique_ptr<TCanvas> FCanvas;
    int FPaintDepth = 0;
    TNotifyEvent FOnEnter;
    TNotifyEvent FOnExit;
    TKeyEvent FOnKeyDown;
    TKeyEvent FOnKeyUp;
    TKeyPressEvent FOnKeyPress;
};

// A window control drawn by the program: PaintControl draws with Canvas.
class TCustomControl : public TWinControl {
    ORV_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* owner);
    // The control's canvas: the window's surface. Drawing outside a paint shows at once.
    TCanvas* Canvas() { return WindowCanvas(); }

protected:
    void PaintWindowContent(TCanvas* canvas) override;
    void PaintControl() override {}
};

// A control without a window of its own: it draws on its parent's window.
class TGraphicControl : public TControl {
    ORV_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    // The canvas on the parent's window surface, its origin and clip at the control.
    TCanvas* Canvas();

protected:
    void PaintControl() override {}

private:
    friend class TWinControl;
    void PaintOn(TCanvas* parentCanvas, const QRegion& area, const TPoint& origin);
    std::unique_ptr<TCanvas> FCanvas;
};

// ---------------------------------------------------------------------------

// The window control that has the keyboard focus, or nullptr.
TWinControl* FindFocusedControl();
// The control of a window handle (nullptr when the handle is no control's).
inline TWinControl* FindControlOfHandle(HWND window) {
    return FindControl(window);
}
// The top-level form of the control's parent chain.
TCustomForm* GetParentForm(const TControl* control);
// The control receiving every mouse message (the framework's capture), or nullptr.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);

// The control a drop at the screen point would go to: the innermost enabled control
// under it (graphic controls included), or nullptr.
TControl* FindDragTarget(const TPoint& screenPoint, bool allowDisabled = false);
// The source of the drag in progress (begun or waiting for its threshold), or nullptr.
TControl* DragSource();
// The cursor the drag in progress shows (crDefault when none has begun).
TCursor DragCursorShown();
// The drag image that shows under the cursor at the moment, or nullptr.
TDragImageList* DragImagesShown();
