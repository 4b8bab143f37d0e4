#include "framework/gui/ExtraControls.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/WindowSystem.h"

#include <QPointer>
#include <QScrollBar>
#include <QWidget>

#include <algorithm>

namespace {

const TTypeInfo* AlignmentType() {
    static const TTypeInfo type =
        MakeEnumType("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
    return &type;
}

const TTypeInfo* BorderStyleType() {
    static const TTypeInfo type = MakeEnumType("TBorderStyle", {"bsNone", "bsSingle"});
    return &type;
}

// The colours of a bevel's top-left and bottom-right lines.
void BevelColors(TBevelCut cut, TColor background, TColor& topColor, TColor& bottomColor) {
    switch (cut) {
    case bvLowered:
        topColor = clBtnShadow;
        bottomColor = clBtnHighlight;
        break;
    case bvSpace:
        topColor = bottomColor = background;
        break;
    default:
        topColor = clBtnHighlight;
        bottomColor = clBtnShadow;
        break;
    }
}

unsigned AlignmentFlags(TAlignment alignment) {
    switch (alignment) {
    case taLeftJustify:
        return DT_LEFT;
    case taRightJustify:
        return DT_RIGHT;
    default:
        return DT_CENTER;
    }
}

} // namespace

const TTypeInfo* TypeInfoTBevelCut() {
    static const TTypeInfo type =
        MakeEnumType("TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"});
    return &type;
}

// ---------------------------------------------------------------------------
// TCustomPanel

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
    FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                  csOpaque,          csDoubleClicks, csReplicatable};
    SetParentColor(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::Publish(TPublisher<TCustomPanel>& p) {
    using T = TCustomPanel;
    p.Enum("Alignment", AlignmentType(), &T::Alignment, &T::SetAlignment).Default(taCenter);
    p.Enum("BevelInner", TypeInfoTBevelCut(), &T::BevelInner, &T::SetBevelInner).Default(bvNone);
    p.Enum("BevelOuter", TypeInfoTBevelCut(), &T::BevelOuter, &T::SetBevelOuter).Default(bvRaised);
    p.Integer("BevelWidth", &T::BevelWidth, &T::SetBevelWidth).Default(1);
    p.Integer("BorderWidth", &T::BorderWidth, &T::SetBorderWidth).Default(0);
    p.Enum("BorderStyle", BorderStyleType(), &T::BorderStyle, &T::SetBorderStyle).Default(bsNone);
    p.String(
        "Caption", [](const T* c) { return c->Caption(); },
        [](T* c, const std::string& v) { c->SetCaption(v); });
    p.Ordinal("Color", TypeInfoTColor(), &TControl::Color, &TControl::SetColor)
        .Default(int64_t(clBtnFace));
    p.Class("Font", TFont::StaticClass(), &TControl::Font, &TControl::SetFont);
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
    if (value == FBevelInner)
        return;
    FBevelInner = value;
    LayoutChanged();
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
    if (value == FBevelOuter)
        return;
    FBevelOuter = value;
    LayoutChanged();
}

void TCustomPanel::SetBevelWidth(int value) {
    value = std::max(value, 1);
    if (value == FBevelWidth)
        return;
    FBevelWidth = value;
    LayoutChanged();
}

void TCustomPanel::SetBorderWidth(int value) {
    value = std::max(value, 0);
    if (value == FBorderWidth)
        return;
    FBorderWidth = value;
    LayoutChanged();
}

void TCustomPanel::SetBorderStyle(TBorderStyle value) {
    if (value != bsNone)
        value = bsSingle;
    if (value == FBorderStyle)
        return;
    TRect oldClient = ClientRect();
    FBorderStyle = value;
    // Children sit in the client area, which moves with the edge: new windows place them.
    if (HandleAllocated())
        RecreateWnd();
    TRect newClient = ClientRect();
    if (newClient != oldClient)
        Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(newClient.Width(), newClient.Height()));
    LayoutChanged();
}

void TCustomPanel::SetAlignment(TAlignment value) {
    if (value == FAlignment)
        return;
    FAlignment = value;
    Invalidate();
}

TRect TCustomPanel::InnerRect() const {
    TRect r = ClientRect();
    int inset = FBorderWidth;
    if (FBevelOuter != bvNone)
        inset += FBevelWidth;
    if (FBevelInner != bvNone)
        inset += FBevelWidth;
    InflateRect(r, -inset, -inset);
    return r;
}

TRect TCustomPanel::NonClientBorder() const {
    if (FBorderStyle == bsSingle)
        return TRect(2, 2, 2, 2);
    return TRect();
}

void TCustomPanel::LayoutChanged() {
    Realign();
    Invalidate();
}

void TCustomPanel::ArrangeChildren(TControl* control, TRect& rect) {
    TRect inner = InnerRect();
    rect.Left = std::max(rect.Left, inner.Left);
    rect.Top = std::max(rect.Top, inner.Top);
    rect.Right = std::min(rect.Right, inner.Right);
    rect.Bottom = std::min(rect.Bottom, inner.Bottom);
    TCustomControl::ArrangeChildren(control, rect);
}

void TCustomPanel::PaintNonClient(TCanvas* canvas) {
    TRect r(0, 0, Width(), Height());
    DrawEdge(canvas, r, EDGE_SUNKEN, BF_RECT);
}

void TCustomPanel::PaintControl() {
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    TColor topColor, bottomColor;
    if (FBevelOuter != bvNone) {
        BevelColors(FBevelOuter, Color(), topColor, bottomColor);
        Frame3D(canvas, r, topColor, bottomColor, FBevelWidth);
    }
    Frame3D(canvas, r, Color(), Color(), FBorderWidth);
    if (FBevelInner != bvNone) {
        BevelColors(FBevelInner, Color(), topColor, bottomColor);
        Frame3D(canvas, r, topColor, bottomColor, FBevelWidth);
    }
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(r);
    std::string caption = Caption();
    if (caption.empty())
        return;
    canvas->Brush()->SetStyle(bsClear);
    canvas->SetFont(Font());
    int fontHeight = canvas->TextHeight("W");
    TRect textRect = r;
    textRect.Top = (r.Top + r.Bottom - fontHeight) / 2;
    textRect.Bottom = textRect.Top + fontHeight;
    DrawText(canvas, caption, textRect,
             DT_EXPANDTABS | DT_VCENTER | DT_SINGLELINE | AlignmentFlags(FAlignment));
}

// ---------------------------------------------------------------------------
// TControlScrollBar, TScrollingWinControl, TScrollBox

TControlScrollBar::TControlScrollBar(TScrollingWinControl* control, TKind kind)
    : FControl(control), FKind(kind) {}

void TControlScrollBar::Publish(TPublisher<TControlScrollBar>& p) {
    using T = TControlScrollBar;
    p.Integer("Increment", &T::Increment, &T::SetIncrement).Default(8);
    p.Integer("Position", &T::Position, &T::SetPosition).Default(0);
    p.Integer("Range", &T::Range, &T::SetRange).Default(0);
    p.Bool("Visible", &T::Visible, &T::SetVisible).Default(true);
}

int TControlScrollBar::ScrollMax() const {
    TRect client = FControl->ClientRect();
    int size = FKind == sbHorizontal ? client.Width() : client.Height();
    return std::max(0, FRange - size);
}

bool TControlScrollBar::IsScrollBarVisible() const {
    return FKind == sbHorizontal ? FControl->FShowHorz : FControl->FShowVert;
}

void TControlScrollBar::SetPosition(int value) {
    FControl->UpdateScrollBars();
    value = std::clamp(value, 0, ScrollMax());
    if (value == FPosition)
        return;
    FControl->ScrollBarMoved(this, value);
}

void TControlScrollBar::SetRange(int value) {
    FControl->FAutoScroll = false;
    value = std::max(0, value);
    if (value == FRange)
        return;
    FRange = value;
    FControl->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool value) {
    if (value == FVisible)
        return;
    FVisible = value;
    FControl->UpdateScrollBars();
}

class TScrollingWinControl::TScrollBarWidgets {
public:
    QPointer<QScrollBar> Horz;
    QPointer<QScrollBar> Vert;
};

TScrollingWinControl::TScrollingWinControl(TComponent* owner)
    : TWinControl(owner),
      FHorzScrollBar(std::make_unique<TControlScrollBar>(this, TControlScrollBar::sbHorizontal)),
      FVertScrollBar(std::make_unique<TControlScrollBar>(this, TControlScrollBar::sbVertical)),
      FWidgets(std::make_unique<TScrollBarWidgets>()) {
    FControlStyle.Include(csAcceptsControls);
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::Publish(TPublisher<TScrollingWinControl>& p) {
    using T = TScrollingWinControl;
    p.Bool("AutoScroll", &T::AutoScroll, &T::SetAutoScroll).Default(true);
    p.Class("HorzScrollBar", TControlScrollBar::StaticClass(), &T::HorzScrollBar,
            &T::SetHorzScrollBar);
    p.Class("VertScrollBar", TControlScrollBar::StaticClass(), &T::VertScrollBar,
            &T::SetVertScrollBar);
}

void TScrollingWinControl::SetHorzScrollBar(const TControlScrollBar* value) {
    if (!value)
        return;
    FHorzScrollBar->FIncrement = value->FIncrement;
    FHorzScrollBar->FVisible = value->FVisible;
    if (!FAutoScroll)
        FHorzScrollBar->FRange = value->FRange;
    UpdateScrollBars();
    FHorzScrollBar->SetPosition(value->FPosition);
}

void TScrollingWinControl::SetVertScrollBar(const TControlScrollBar* value) {
    if (!value)
        return;
    FVertScrollBar->FIncrement = value->FIncrement;
    FVertScrollBar->FVisible = value->FVisible;
    if (!FAutoScroll)
        FVertScrollBar->FRange = value->FRange;
    UpdateScrollBars();
    FVertScrollBar->SetPosition(value->FPosition);
}

void TScrollingWinControl::SetAutoScroll(bool value) {
    if (value == FAutoScroll)
        return;
    FAutoScroll = value;
    UpdateScrollBars();
}

TRect TScrollingWinControl::NonClientBorder() const {
    TRect r = FrameWidths();
    if (FShowVert)
        r.Right += GetSystemMetrics(SM_CXVSCROLL);
    if (FShowHorz)
        r.Bottom += GetSystemMetrics(SM_CYHSCROLL);
    return r;
}

void TScrollingWinControl::ScrollBy(int dx, int dy) {
    if (dx == 0 && dy == 0)
        return;
    DisableAlign();
    try {
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
        }
    } catch (...) {
        EnableAlign();
        throw;
    }
    EnableAlign();
    Invalidate();
}

void TScrollingWinControl::ScrollInView(TControl* control) {
    if (!control || !ContainsControl(control) || control == this)
        return;
    // The control's rectangle in this window's client area.
    TPoint origin = ScreenToClient(control->ClientToScreen(TPoint(0, 0)));
    TRect r = Bounds(origin.X, origin.Y, control->Width(), control->Height());
    TRect client = ClientRect();
    auto bring = [](TControlScrollBar* bar, int low, int high, int size) {
        if (!bar->IsScrollBarVisible())
            return;
        if (low < 0)
            bar->SetPosition(bar->Position() + low);
        else if (high > size)
            bar->SetPosition(bar->Position() + std::min(high - size, low));
    };
    bring(FHorzScrollBar.get(), r.Left, r.Right, client.Width());
    bring(FVertScrollBar.get(), r.Top, r.Bottom, client.Height());
}

void TScrollingWinControl::ScrollBarMoved(TControlScrollBar* bar, int position) {
    int delta = bar->FPosition - position;
    bar->FPosition = position;
    if (bar->FKind == TControlScrollBar::sbHorizontal) {
        ScrollBy(delta, 0);
        if (FWidgets->Horz) {
            QSignalBlocker block(FWidgets->Horz.data());
            FWidgets->Horz->setValue(position);
        }
    } else {
        ScrollBy(0, delta);
        if (FWidgets->Vert) {
            QSignalBlocker block(FWidgets->Vert.data());
            FWidgets->Vert->setValue(position);
        }
    }
}

void TScrollingWinControl::UpdateScrollBars() {
    if (FUpdatingBars || IsDestroying())
        return;
    FUpdatingBars = true;
    struct TGuard {
        bool& Flag;
        ~TGuard() { Flag = false; }
    } guard{FUpdatingBars};
    if (FAutoScroll) {
        // The content's extent at scroll position 0.
        int right = 0, bottom = 0;
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            if (!c->Visible())
                continue;
            if (c->Align() == alNone || c->Align() == alLeft)
                right = std::max(right, c->Left() + c->Width() + FHorzScrollBar->FPosition);
            if (c->Align() == alNone || c->Align() == alTop)
                bottom = std::max(bottom, c->Top() + c->Height() + FVertScrollBar->FPosition);
        }
        FHorzScrollBar->FRange = right;
        FVertScrollBar->FRange = bottom;
    }
    TRect frame = FrameWidths();
    int width = std::max(0, Width() - frame.Left - frame.Right);
    int height = std::max(0, Height() - frame.Top - frame.Bottom);
    bool showHorz = false, showVert = false;
    // Showing one bar narrows the other direction: decide twice.
    for (int pass = 0; pass < 2; ++pass) {
        int w = width - (showVert ? GetSystemMetrics(SM_CXVSCROLL) : 0);
        int h = height - (showHorz ? GetSystemMetrics(SM_CYHSCROLL) : 0);
        showHorz = FHorzScrollBar->FVisible && FHorzScrollBar->FRange > w;
        showVert = FVertScrollBar->FVisible && FVertScrollBar->FRange > h;
    }
    bool changed = showHorz != FShowHorz || showVert != FShowVert;
    FShowHorz = showHorz;
    FShowVert = showVert;
    // Positions stay within the new limits; a hidden bar scrolls back to the start.
    for (TControlScrollBar* bar : {FHorzScrollBar.get(), FVertScrollBar.get()}) {
        int limit = bar->IsScrollBarVisible() ? bar->ScrollMax() : 0;
        if (bar->FPosition > limit)
            ScrollBarMoved(bar, limit);
    }
    PlaceScrollBarWidgets();
    if (changed) {
        TRect client = ClientRect();
        Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
        Invalidate();
    }
}

void TScrollingWinControl::PlaceScrollBarWidgets() {
    QWidget* w = WidgetIfAllocated();
    if (!w)
        return;
    TRect frame = FrameWidths();
    int sbw = GetSystemMetrics(SM_CXVSCROLL);
    int sbh = GetSystemMetrics(SM_CYHSCROLL);
    auto make = [&](QPointer<QScrollBar>& bar, Qt::Orientation o, TControlScrollBar* model) {
        if (!bar) {
            bar = new QScrollBar(o, w);
            QObject::connect(bar.data(), &QScrollBar::valueChanged, bar.data(),
                             [this, model](int value) {
                                 try {
                                     model->SetPosition(value);
                                 } catch (...) {
                                     if (Application)
                                         Application->HandleException(this);
                                 }
                             });
        }
    };
    make(FWidgets->Horz, Qt::Horizontal, FHorzScrollBar.get());
    make(FWidgets->Vert, Qt::Vertical, FVertScrollBar.get());
    TRect client = ClientRect();
    auto configure = [](QScrollBar* bar, bool show, const QRect& geometry, int max, int page,
                        int step, int value) {
        QSignalBlocker block(bar);
        bar->setVisible(show);
        if (!show)
            return;
        bar->setGeometry(geometry);
        bar->setRange(0, max);
        bar->setPageStep(std::max(1, page));
        bar->setSingleStep(step);
        bar->setValue(value);
    };
    configure(FWidgets->Horz, FShowHorz,
              QRect(frame.Left, frame.Top + client.Height(), client.Width(), sbh),
              FHorzScrollBar->ScrollMax(), client.Width(), FHorzScrollBar->FIncrement,
              FHorzScrollBar->FPosition);
    configure(FWidgets->Vert, FShowVert,
              QRect(frame.Left + client.Width(), frame.Top, sbw, client.Height()),
              FVertScrollBar->ScrollMax(), client.Height(), FVertScrollBar->FIncrement,
              FVertScrollBar->FPosition);
}

void TScrollingWinControl::AfterWindowCreated() {
    TWinControl::AfterWindowCreated();
    FWidgets->Horz = nullptr;
    FWidgets->Vert = nullptr;
    UpdateScrollBars();
    PlaceScrollBarWidgets();
}

void TScrollingWinControl::ArrangeChildren(TControl* control, TRect& rect) {
    // Children moved since the last look may have changed the content's extent.
    UpdateScrollBars();
    rect = Bounds(-FHorzScrollBar->FPosition, -FVertScrollBar->FPosition,
                  std::max(FHorzScrollBar->FRange, rect.Width()),
                  std::max(FVertScrollBar->FRange, rect.Height()));
    TWinControl::ArrangeChildren(control, rect);
}

void TScrollingWinControl::PaintNonClient(TCanvas* canvas) {
    TRect frame = FrameWidths();
    TRect r(0, 0, Width(), Height());
    if (frame.Left >= 2)
        DrawEdge(canvas, r, EDGE_SUNKEN, BF_RECT);
    if (FShowHorz && FShowVert) {
        // The corner between the two bars.
        TRect client = ClientRect();
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clBtnFace);
        canvas->FillRect(Bounds(frame.Left + client.Width(), frame.Top + client.Height(),
                                GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)));
    }
}

void TScrollingWinControl::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_SIZE:
        UpdateScrollBars();
        TWinControl::HandleMessage(message);
        PlaceScrollBarWidgets();
        return;
    case CM_CONTROLLISTCHANGE:
    case CM_CONTROLCHANGE:
        TWinControl::HandleMessage(message);
        UpdateScrollBars();
        return;
    case WM_MOUSEWHEEL: {
        int delta = int16_t(HIWORD(message.WParam));
        TControlScrollBar* bar = FShowVert ? FVertScrollBar.get() : FHorzScrollBar.get();
        if (bar->IsScrollBarVisible() && delta != 0) {
            // One increment per notch (120); a finer wheel moves at least a pixel.
            int step = delta * bar->Increment() / 120;
            if (step == 0)
                step = delta > 0 ? 1 : -1;
            bar->SetPosition(bar->Position() - step);
            message.Result = 1;
            return;
        }
        TWinControl::HandleMessage(message);
        return;
    }
    default:
        TWinControl::HandleMessage(message);
        return;
    }
}

TScrollBox::TScrollBox(TComponent* owner) : TScrollingWinControl(owner) {
    FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                  csDoubleClicks};
    SetBounds(0, 0, 185, 41);
}

void TScrollBox::Publish(TPublisher<TScrollBox>& p) {
    p.Enum("BorderStyle", BorderStyleType(), &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle)
        .Default(bsSingle);
    p.Ordinal("Color", TypeInfoTColor(), &TControl::Color, &TControl::SetColor);
    p.Class("Font", TFont::StaticClass(), &TControl::Font, &TControl::SetFont);
}

TRect TScrollBox::FrameWidths() const {
    return FBorderStyle == bsSingle ? TRect(2, 2, 2, 2) : TRect();
}

void TScrollBox::SetBorderStyle(TBorderStyle value) {
    if (value != bsNone)
        value = bsSingle;
    if (value == FBorderStyle)
        return;
    FBorderStyle = value;
    if (HandleAllocated())
        RecreateWnd();
    UpdateScrollBars();
    TRect client = ClientRect();
    Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
    Invalidate();
}

// ---------------------------------------------------------------------------
// TSplitter

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
    SetAlign(alLeft);
    SetBounds(0, 0, 3, 100);
    SetCursor(crHSplit);
}

void TSplitter::Publish(TPublisher<TSplitter>& p) {
    static const TTypeInfo resizeStyleType =
        MakeEnumType("TResizeStyle", {"rsNone", "rsLine", "rsUpdate", "rsPattern"});
    using T = TSplitter;
    p.Bool("AutoSnap", &T::AutoSnap, &T::SetAutoSnap).Default(true);
    p.Bool("Beveled", &T::Beveled, &T::SetBeveled).Default(false);
    p.Ordinal("Color", TypeInfoTColor(), &TControl::Color, &TControl::SetColor);
    p.Integer("MinSize", &T::MinSize, &T::SetMinSize).Default(30);
    p.Enum("ResizeStyle", &resizeStyleType, &T::ResizeStyle, &T::SetResizeStyle).Default(rsPattern);
    p.Event("OnCanResize", &T::OnCanResize, &T::SetOnCanResize);
    p.Event("OnMoved", &T::OnMoved, &T::SetOnMoved);
}

void TSplitter::SetBeveled(bool value) {
    if (value == FBeveled)
        return;
    FBeveled = value;
    Invalidate();
}

TControl* TSplitter::FindControl() const {
    TWinControl* parent = Parent();
    if (!parent || Align() == alNone || Align() == alClient)
        return nullptr;
    // The control aligned the same way whose inner edge touches the splitter.
    TPoint p;
    switch (Align()) {
    case alLeft:
        p = TPoint(Left() - 1, Top() + Height() / 2);
        break;
    case alRight:
        p = TPoint(Left() + Width(), Top() + Height() / 2);
        break;
    case alTop:
        p = TPoint(Left() + Width() / 2, Top() - 1);
        break;
    default:
        p = TPoint(Left() + Width() / 2, Top() + Height());
        break;
    }
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (c == this || !c->Visible() || c->Align() != Align())
            continue;
        TRect r = c->BoundsRect();
        // A collapsed control still touches the splitter on its far side.
        bool nearSide = Align() == alLeft || Align() == alTop;
        if (r.Width() == 0)
            (nearSide ? r.Left : r.Right) += nearSide ? -1 : 1;
        if (r.Height() == 0)
            (nearSide ? r.Top : r.Bottom) += nearSide ? -1 : 1;
        if (PtInRect(r, p))
            return c;
    }
    return nullptr;
}

int TSplitter::NewSizeAt(int parentCoord) const {
    int delta = parentCoord - FDownCoord;
    if (Align() == alRight || Align() == alBottom)
        delta = -delta;
    int size = FStartSize + delta;
    // The control and the space the others keep (the client-aligned part) stay above the
    // minimum.
    TWinControl* parent = Parent();
    int available = FStartSize;
    if (parent) {
        TRect client = parent->ClientRect();
        int total = Horizontal() ? client.Width() : client.Height();
        int used = 0;
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* c = parent->Controls(i);
            if (c == FControl || !c->Visible())
                continue;
            bool sameAxis = Horizontal() ? (c->Align() == alLeft || c->Align() == alRight)
                                         : (c->Align() == alTop || c->Align() == alBottom);
            if (sameAxis)
                used += Horizontal() ? c->Width() : c->Height();
        }
        available = std::max(0, total - used - FMinSize);
    }
    size = std::min(size, available);
    if (size < FMinSize)
        size = FAutoSnap && size < FMinSize / 2 ? 0 : FMinSize;
    return std::max(0, size);
}

void TSplitter::ApplySize(int size) {
    if (!FControl)
        return;
    bool accept = true;
    if (FOnCanResize)
        FOnCanResize(this, size, accept);
    if (!accept)
        return;
    if (Horizontal()) {
        if (Align() == alRight)
            FControl->SetBounds(FControl->Left() + FControl->Width() - size, FControl->Top(), size,
                                FControl->Height());
        else
            FControl->SetWidth(size);
    } else {
        if (Align() == alBottom)
            FControl->SetBounds(FControl->Left(), FControl->Top() + FControl->Height() - size,
                                FControl->Width(), size);
        else
            FControl->SetHeight(size);
    }
}

void TSplitter::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::HandleMouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    FControl = FindControl();
    if (!FControl)
        return;
    FDragging = true;
    FDownCoord = Horizontal() ? Left() + x : Top() + y;
    FStartSize = Horizontal() ? FControl->Width() : FControl->Height();
    FNewSize = FStartSize;
}

void TSplitter::HandleMouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::HandleMouseMove(shift, x, y);
    if (!FDragging)
        return;
    FNewSize = NewSizeAt(Horizontal() ? Left() + x : Top() + y);
    if (FResizeStyle == rsUpdate)
        ApplySize(FNewSize);
}

void TSplitter::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (FDragging && button == mbLeft) {
        FDragging = false;
        FNewSize = NewSizeAt(Horizontal() ? Left() + x : Top() + y);
        if (FResizeStyle != rsNone)
            ApplySize(FNewSize);
        FControl = nullptr;
        if (FOnMoved)
            FOnMoved(this);
    }
    TGraphicControl::HandleMouseUp(button, shift, x, y);
}

void TSplitter::PaintControl() {
    TCanvas* canvas = TGraphicControl::Canvas();
    TRect r = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(r);
    if (!FBeveled)
        return;
    if (Horizontal())
        InflateRect(r, -1, 2);
    else
        InflateRect(r, 2, -1);
    OffsetRect(r, 1, 1);
    canvas->Brush()->SetColor(clBtnHighlight);
    canvas->FrameRect(r);
    OffsetRect(r, -2, -2);
    canvas->Brush()->SetColor(clBtnShadow);
    canvas->FrameRect(r);
}

// ---------------------------------------------------------------------------
// TShape

TShape::TShape(TComponent* owner)
    : TGraphicControl(owner), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 65, 65);
    TNotifyEvent changed([this](TObject*) { Invalidate(); });
    FPen->SetOnChange(changed);
    FBrush->SetOnChange(changed);
}

void TShape::Publish(TPublisher<TShape>& p) {
    static const TTypeInfo shapeType =
        MakeEnumType("TShapeType", {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare",
                                    "stEllipse", "stCircle"});
    using T = TShape;
    p.Class("Brush", TBrush::StaticClass(), &T::Brush, &T::SetBrush);
    p.Class("Pen", TPen::StaticClass(), &T::Pen, &T::SetPen);
    p.Enum("Shape", &shapeType, &T::Shape, &T::SetShape).Default(stRectangle);
}

void TShape::SetShape(TShapeType value) {
    if (value == FShape)
        return;
    FShape = value;
    Invalidate();
}

void TShape::PaintControl() {
    TCanvas* canvas = Canvas();
    canvas->SetPen(FPen.get());
    canvas->SetBrush(FBrush.get());
    int penWidth = FPen->Width();
    int x = penWidth / 2;
    int y = x;
    int w = Width() - penWidth + 1;
    int h = Height() - penWidth + 1;
    if (penWidth == 0) {
        --w;
        --h;
    }
    int s = std::min(w, h);
    if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = h = s;
    }
    switch (FShape) {
    case stRectangle:
    case stSquare:
        canvas->Rectangle(x, y, x + w, y + h);
        break;
    case stRoundRect:
    case stRoundSquare:
        canvas->RoundRect(x, y, x + w, y + h, s / 4, s / 4);
        break;
    case stEllipse:
    case stCircle:
        canvas->Ellipse(x, y, x + w, y + h);
        break;
    }
}

// ---------------------------------------------------------------------------
// TBevel

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 50, 50);
}

void TBevel::Publish(TPublisher<TBevel>& p) {
    static const TTypeInfo shapeType =
        MakeEnumType("TBevelShape", {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine",
                                     "bsRightLine", "bsSpacer"});
    static const TTypeInfo styleType = MakeEnumType("TBevelStyle", {"bsLowered", "bsRaised"});
    p.Enum("Shape", &shapeType, &TBevel::Shape, &TBevel::SetShape).Default(bsBox);
    p.Enum("Style", &styleType, &TBevel::Style, &TBevel::SetStyle).Default(bsLowered);
}

void TBevel::SetShape(TBevelShape value) {
    if (value == FShape)
        return;
    FShape = value;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle value) {
    if (value == FStyle)
        return;
    FStyle = value;
    Invalidate();
}

void TBevel::PaintControl() {
    TCanvas* canvas = Canvas();
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetStyle(psSolid);
    TColor color1 = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor color2 = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    auto rect = [&](const TRect& r) {
        canvas->Pen()->SetColor(color1);
        TPoint first[3] = {{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}};
        canvas->Polyline(first, 3);
        canvas->Pen()->SetColor(color2);
        TPoint second[3] = {{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}};
        canvas->Polyline(second, 3);
    };
    auto line = [&](TColor color, int x1, int y1, int x2, int y2) {
        canvas->Pen()->SetColor(color);
        canvas->MoveTo(x1, y1);
        canvas->LineTo(x2, y2);
    };
    int w = Width(), h = Height();
    switch (FShape) {
    case bsBox:
        rect(TRect(0, 0, w - 1, h - 1));
        break;
    case bsFrame: {
        TColor outer = color1;
        color1 = color2;
        rect(TRect(1, 1, w - 1, h - 1));
        color1 = color2 = outer;
        rect(TRect(0, 0, w - 2, h - 2));
        break;
    }
    case bsTopLine:
        line(color1, 0, 0, w, 0);
        line(color2, 0, 1, w, 1);
        break;
    case bsBottomLine:
        line(color1, 0, h - 2, w, h - 2);
        line(color2, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        line(color1, 0, 0, 0, h);
        line(color2, 1, 0, 1, h);
        break;
    case bsRightLine:
        line(color1, w - 2, 0, w - 2, h);
        line(color2, w - 1, 0, w - 1, h);
        break;
    case bsSpacer:
        break;
    }
}

// ---------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner), FPicture(std::make_unique<TPicture>()) {
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 105, 105);
    FPicture->SetOnChange(TNotifyEvent([this](TObject* s) { PictureChanged(s); }));
}

TImage::~TImage() {
    FPicture->SetOnChange(TNotifyEvent());
}

void TImage::Publish(TPublisher<TImage>& p) {
    using T = TImage;
    p.Bool("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(false);
    p.Bool("Center", &T::Center, &T::SetCenter).Default(false);
    p.Class("Picture", TPicture::StaticClass(), &T::Picture, &T::SetPicture);
    p.Bool("Proportional", &T::Proportional, &T::SetProportional).Default(false);
    p.Bool("Stretch", &T::Stretch, &T::SetStretch).Default(false);
    p.Bool("Transparent", &T::Transparent, &T::SetTransparent).Default(false);
}

TCanvas* TImage::Canvas() {
    if (!FPicture->Graphic()) {
        TBitmap bitmap(Width(), Height());
        FPicture->SetGraphic(&bitmap);
    }
    auto* bitmap = dynamic_cast<TBitmap*>(FPicture->Graphic());
    if (!bitmap)
        throw EInvalidOperation("Can only modify an image if it contains a bitmap");
    return bitmap->Canvas();
}

void TImage::SetAutoSize(bool value) {
    FAutoSize = value;
    if (value)
        PictureChanged(this);
}

void TImage::SetCenter(bool value) {
    if (value == FCenter)
        return;
    FCenter = value;
    Invalidate();
}

void TImage::SetStretch(bool value) {
    if (value == FStretch)
        return;
    FStretch = value;
    Invalidate();
}

void TImage::SetProportional(bool value) {
    if (value == FProportional)
        return;
    FProportional = value;
    Invalidate();
}

void TImage::SetTransparent(bool value) {
    if (value == FTransparent)
        return;
    FTransparent = value;
    if (TGraphic* g = FPicture->Graphic())
        g->SetTransparent(value);
    Invalidate();
}

TRect TImage::DestRect() const {
    int w = FPicture->Width();
    int h = FPicture->Height();
    int cw = ClientWidth();
    int ch = ClientHeight();
    if (FStretch || (FProportional && (w > cw || h > ch))) {
        if (FProportional && w > 0 && h > 0) {
            double xyaspect = double(w) / h;
            if (w > h) {
                w = cw;
                h = int(cw / xyaspect);
                if (h > ch) {
                    h = ch;
                    w = int(ch * xyaspect);
                }
            } else {
                h = ch;
                w = int(ch * xyaspect);
                if (w > cw) {
                    w = cw;
                    h = int(cw / xyaspect);
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r(0, 0, w, h);
    if (FCenter)
        OffsetRect(r, (cw - w) / 2, (ch - h) / 2);
    return r;
}

void TImage::PictureChanged(TObject*) {
    if (FDrawing)
        return;
    TGraphic* g = FPicture->Graphic();
    if (g && FTransparent != g->Transparent() && !dynamic_cast<TBitmap*>(g))
        g->SetTransparent(FTransparent);
    if (FAutoSize && g && g->Width() > 0 && g->Height() > 0)
        SetBounds(Left(), Top(), g->Width(), g->Height());
    Invalidate();
}

void TImage::PaintControl() {
    TCanvas* canvas = TGraphicControl::Canvas();
    TGraphic* g = FPicture->Graphic();
    if (!g || g->Empty())
        return;
    FDrawing = true;
    struct TGuard {
        bool& Flag;
        ~TGuard() { Flag = false; }
    } guard{FDrawing};
    canvas->StretchDraw(DestRect(), g);
}

// ---------------------------------------------------------------------------
// TTimer

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    FWindow = AllocateHWnd(TWndMethod([this](TMessage& m) { WndProc(m); }));
}

TTimer::~TTimer() {
    FEnabled = false;
    if (FWindow) {
        KillTimer(FWindow, 1);
        DeallocateHWnd(FWindow);
        FWindow = 0;
    }
}

void TTimer::Publish(TPublisher<TTimer>& p) {
    p.Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
    p.Integer("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
    p.Event("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}

void TTimer::SetEnabled(bool value) {
    if (value == FEnabled)
        return;
    FEnabled = value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned value) {
    if (value == FInterval)
        return;
    FInterval = value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent value) {
    FOnTimer = std::move(value);
    UpdateTimer();
}

bool TTimer::Running() const {
    return FWindow && TimerActive(FWindow, 1);
}

void TTimer::UpdateTimer() {
    if (!FWindow)
        return;
    KillTimer(FWindow, 1);
    if (FInterval != 0 && FEnabled && FOnTimer)
        SetTimer(FWindow, 1, FInterval);
}

void TTimer::Timer() {
    if (FOnTimer)
        FOnTimer(this);
}

void TTimer::WndProc(TMessage& message) {
    if (message.Msg != WM_TIMER)
        return;
    try {
        Timer();
    } catch (...) {
        if (Application)
            Application->HandleException(this);
    }
}
