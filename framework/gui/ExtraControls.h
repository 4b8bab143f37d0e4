#pragma once
// Containers and simple drawn controls: panels, the scroll box, splitters, shapes, images,
// bevels, and the timer component.
//
// Panels, bevels, shapes and splitters are drawn by us with the canvas (Frame3D and the
// button colours); the scroll box is a window that scrolls its children; the timer runs
// on the window system's numbered timers, so the manual clock of tests drives it.

#include "framework/core/Classes.h"
#include "framework/core/TypeInfo.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Messages.h"
#include "framework/gui/Types.h"

#include <memory>
#include <string>

// The cut of a bevel: none, lowered into the surface, raised from it, or a flat space.
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TPanelBevel = TBevelCut;
const TTypeInfo* TypeInfoTBevelCut();

// ---------------------------------------------------------------------------
// Panels

// A container drawn as a raised or lowered slab: from the outside in, the outer bevel,
// BorderWidth pixels of the panel's colour, the inner bevel, then the face with the
// caption on one line, vertically centred. Aligned children are placed inside the
// bevels and the border.
class TCustomPanel : public TCustomControl {
    ORV_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* owner);
    static void Publish(TPublisher<TCustomPanel>& p);

    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value);
    // bsSingle adds a sunken two-pixel edge around the client area (outside the bevels).
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);

    // The rectangle inside the bevels and the border, where aligned children go.
    TRect InnerRect() const;

    TRect NonClientBorder() const override;

protected:
    void PaintControl() override;
    void PaintNonClient(TCanvas* canvas) override;
    void ArrangeChildren(TControl* control, TRect& rect) override;
    // The bevel layout changed: children are placed again and the panel repainted.
    void LayoutChanged();

private:
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TBorderStyle FBorderStyle = bsNone;
    TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
    ORV_CLASS(TPanel, TCustomPanel)
public:
    explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

// ---------------------------------------------------------------------------
// Scroll box

class TScrollingWinControl;

// One scroll bar of a scrolling window: Range is the extent of the content in pixels
// along the bar, Position the first visible pixel of it. The bar shows while the range
// exceeds the client size.
class TControlScrollBar : public TPersistent {
    ORV_CLASS(TControlScrollBar, TPersistent)
public:
    enum TKind { sbHorizontal, sbVertical };
    TControlScrollBar(TScrollingWinControl* control, TKind kind);
    static void Publish(TPublisher<TControlScrollBar>& p);

    TKind Kind() const { return FKind; }
    int Position() const { return FPosition; }
    // Scrolls the content to the position (kept within 0 .. Range - client size).
    void SetPosition(int value);
    int Range() const { return FRange; }
    // Setting a range switches the window's automatic range off.
    void SetRange(int value);
    int Increment() const { return FIncrement; }
    void SetIncrement(int value) { FIncrement = std::max(1, value); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    // True while the bar is shown (visible and the content larger than the client).
    bool IsScrollBarVisible() const;
    // The largest position.
    int ScrollMax() const;

private:
    friend class TScrollingWinControl;
    TScrollingWinControl* FControl;
    TKind FKind;
    int FPosition = 0;
    int FRange = 0;
    int FIncrement = 8;
    bool FVisible = true;
};

// A window whose children may extend beyond its client area; scroll bars move them.
// With AutoScroll the ranges follow the children's extent.
class TScrollingWinControl : public TWinControl {
    ORV_CLASS(TScrollingWinControl, TWinControl)
public:
    explicit TScrollingWinControl(TComponent* owner);
    ~TScrollingWinControl() override;
    static void Publish(TPublisher<TScrollingWinControl>& p);

    TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
    TControlScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
    void SetHorzScrollBar(const TControlScrollBar* value);
    void SetVertScrollBar(const TControlScrollBar* value);
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool value);
    // Moves every child by (dx, dy).
    void ScrollBy(int dx, int dy);
    // Scrolls so that the child is wholly visible where possible.
    void ScrollInView(TControl* control);

    TRect NonClientBorder() const override;

protected:
    void HandleMessage(TMessage& message) override;
    void AfterWindowCreated() override;
    void PaintNonClient(TCanvas* canvas) override;
    // Aligned children are placed over the whole scrolled content.
    void ArrangeChildren(TControl* control, TRect& rect) override;
    // The frame drawn outside the client area (beside the scroll bars), per side.
    virtual TRect FrameWidths() const { return TRect(); }
    // Recomputes the ranges (AutoScroll), the bars' visibility and placement.
    void UpdateScrollBars();

private:
    friend class TControlScrollBar;
    void PlaceScrollBarWidgets();
    void ScrollBarMoved(TControlScrollBar* bar, int position);
    std::unique_ptr<TControlScrollBar> FHorzScrollBar;
    std::unique_ptr<TControlScrollBar> FVertScrollBar;
    bool FAutoScroll = true;
    bool FUpdatingBars = false;
    bool FShowHorz = false;
    bool FShowVert = false;
    class TScrollBarWidgets;
    std::unique_ptr<TScrollBarWidgets> FWidgets;
};

class TScrollBox : public TScrollingWinControl {
    ORV_CLASS(TScrollBox, TScrollingWinControl)
public:
    explicit TScrollBox(TComponent* owner);
    static void Publish(TPublisher<TScrollBox>& p);

    // bsSingle (the default): a sunken two-pixel edge around the box.
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);

protected:
    TRect FrameWidths() const override;

private:
    TBorderStyle FBorderStyle = bsSingle;
};

// ---------------------------------------------------------------------------
// Splitter

enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
// Sender, the new size of the control being resized (may be changed), accept.
using TCanResizeEvent = TEvent<void(TObject*, int&, bool&)>;

// A bar between an aligned control and the rest of its parent: dragging it resizes that
// control (the one aligned the same way that the splitter touches). rsUpdate resizes
// while the mouse moves; the other styles resize when the button is released.
class TSplitter : public TGraphicControl {
    ORV_CLASS(TSplitter, TGraphicControl)
public:
    explicit TSplitter(TComponent* owner);
    static void Publish(TPublisher<TSplitter>& p);

    bool Beveled() const { return FBeveled; }
    void SetBeveled(bool value);
    // The smallest size of the resized control and of the space left beside it.
    int MinSize() const { return FMinSize; }
    void SetMinSize(int value) { FMinSize = std::max(1, value); }
    // Below half the minimum size, the control collapses to 0.
    bool AutoSnap() const { return FAutoSnap; }
    void SetAutoSnap(bool value) { FAutoSnap = value; }
    TResizeStyle ResizeStyle() const { return FResizeStyle; }
    void SetResizeStyle(TResizeStyle value) { FResizeStyle = value; }
    // The control the splitter resizes (nullptr when none touches it).
    TControl* FindControl() const;

    const TCanResizeEvent& OnCanResize() const { return FOnCanResize; }
    void SetOnCanResize(TCanResizeEvent value) { FOnCanResize = std::move(value); }
    const TNotifyEvent& OnMoved() const { return FOnMoved; }
    void SetOnMoved(TNotifyEvent value) { FOnMoved = std::move(value); }

protected:
    void PaintControl() override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    bool Horizontal() const { return Align() == alLeft || Align() == alRight; }
    int NewSizeAt(int parentCoord) const;
    void ApplySize(int size);
    bool FBeveled = false;
    int FMinSize = 30;
    bool FAutoSnap = true;
    TResizeStyle FResizeStyle = rsPattern;
    TControl* FControl = nullptr;
    int FDownCoord = 0;
    int FStartSize = 0;
    int FNewSize = 0;
    bool FDragging = false;
    TCanResizeEvent FOnCanResize;
    TNotifyEvent FOnMoved;
};

// ---------------------------------------------------------------------------
// Shapes, bevels and images

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

// A geometric figure outlined with its pen and filled with its brush.
class TShape : public TGraphicControl {
    ORV_CLASS(TShape, TGraphicControl)
public:
    explicit TShape(TComponent* owner);
    static void Publish(TPublisher<TShape>& p);

    TPen* Pen() const { return FPen.get(); }
    void SetPen(const TPen* value) { FPen->AssignFrom(value); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(const TBrush* value) { FBrush->AssignFrom(value); }
    TShapeType Shape() const { return FShape; }
    void SetShape(TShapeType value);

protected:
    void PaintControl() override;

private:
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    TShapeType FShape = stRectangle;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

// A beveled box, frame or line in the button shadow and highlight colours.
class TBevel : public TGraphicControl {
    ORV_CLASS(TBevel, TGraphicControl)
public:
    explicit TBevel(TComponent* owner);
    static void Publish(TPublisher<TBevel>& p);

    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape value);
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle value);

protected:
    void PaintControl() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

// Shows a picture: at its own size from the top-left corner, centred, or stretched
// (proportionally when asked). Its Canvas draws on the picture's bitmap, made at the
// control's size when the picture is empty.
class TImage : public TGraphicControl {
    ORV_CLASS(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;
    static void Publish(TPublisher<TImage>& p);

    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(const TPicture* value) { FPicture->AssignFrom(value); }
    // The canvas of the picture's bitmap; EInvalidOperation "Can only modify an image if
    // it contains a bitmap" when it holds another kind of graphic.
    TCanvas* Canvas();
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    bool Center() const { return FCenter; }
    void SetCenter(bool value);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool value);
    bool Proportional() const { return FProportional; }
    void SetProportional(bool value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    // Where the picture is drawn, in client coordinates.
    TRect DestRect() const;

protected:
    void PaintControl() override;

private:
    void PictureChanged(TObject* sender);
    std::unique_ptr<TPicture> FPicture;
    bool FAutoSize = false;
    bool FCenter = false;
    bool FStretch = false;
    bool FProportional = false;
    bool FTransparent = false;
    bool FDrawing = false;
};

// ---------------------------------------------------------------------------
// Timer

// Fires OnTimer every Interval milliseconds while enabled and assigned, from a window
// timer of its own message window.
class TTimer : public TComponent {
    ORV_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    static void Publish(TPublisher<TTimer>& p);

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned value);
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent value);
    // True while the window timer runs.
    bool Running() const;

protected:
    virtual void Timer();

private:
    void UpdateTimer();
    void WndProc(TMessage& message);
    HWND FWindow = 0;
    bool FEnabled = true;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
};
