#include "framework/gui/Buttons.h"

#include "framework/gui/Forms.h"

#include <QImage>
#include <QWidget>

#include <algorithm>

namespace {

const TTypeInfo* LayoutType() {
    static const TTypeInfo t = MakeEnumType(
        "TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"});
    return &t;
}

// Frame index of a state in a glyph of several frames.
int FrameOf(TButtonState state) {
    switch (state) {
    case bsDisabled:
        return 1;
    case bsDown:
        return 2;
    case bsExclusive:
        return 3;
    default:
        return 0;
    }
}

// One frame of the glyph as a bitmap drawn with its transparent colour; a missing
// disabled frame is the up frame in the shadow colour.
std::unique_ptr<TBitmap> GlyphFrame(const TBitmap* glyph, int numGlyphs, TButtonState state) {
    int n = std::clamp(numGlyphs, 1, 4);
    int w = glyph->Width() / n;
    int index = FrameOf(state);
    bool makeDisabled = state == bsDisabled && index >= n;
    if (index >= n)
        index = 0;
    QImage src = glyph->ToImage().convertToFormat(QImage::Format_RGB32);
    QImage frame = src.copy(index * w, 0, w, src.height());
    if (makeDisabled && !frame.isNull()) {
        QRgb transparent = frame.pixel(0, frame.height() - 1);
        QRgb shadow = ColorToQColor(clBtnShadow).rgb();
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                if (frame.pixel(x, y) != transparent)
                    frame.setPixel(x, y, shadow);
    }
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetImage(frame);
    bmp->SetTransparent(true);
    return bmp;
}

} // namespace

void CalcButtonLayout(const TRect& client, const TSize& glyphSize, const TSize& textSize,
                      TButtonLayout layout, int margin, int spacing, TPoint& glyphPos,
                      TRect& textBounds) {
    int w = client.Width();
    int h = client.Height();
    bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    TPoint textPos;
    if (horizontal) {
        glyphPos.Y = (h - glyphSize.cy + 1) / 2;
        textPos.Y = (h - textSize.cy + 1) / 2;
    } else {
        glyphPos.X = (w - glyphSize.cx + 1) / 2;
        textPos.X = (w - textSize.cx + 1) / 2;
    }
    if (textSize.cx == 0 || glyphSize.cx == 0)
        spacing = 0;
    int axis = horizontal ? w : h;
    int g = horizontal ? glyphSize.cx : glyphSize.cy;
    int t = horizontal ? textSize.cx : textSize.cy;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (axis - (g + t)) / 3;
            spacing = margin;
        } else {
            margin = (axis - (g + spacing + t) + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = (axis - (margin + g) - t) / 2;
    }
    switch (layout) {
    case blGlyphLeft:
        glyphPos.X = margin;
        textPos.X = glyphPos.X + glyphSize.cx + spacing;
        break;
    case blGlyphRight:
        glyphPos.X = w - margin - glyphSize.cx;
        textPos.X = glyphPos.X - spacing - textSize.cx;
        break;
    case blGlyphTop:
        glyphPos.Y = margin;
        textPos.Y = glyphPos.Y + glyphSize.cy + spacing;
        break;
    case blGlyphBottom:
        glyphPos.Y = h - margin - glyphSize.cy;
        textPos.Y = glyphPos.Y - spacing - textSize.cy;
        break;
    }
    glyphPos.X += client.Left;
    glyphPos.Y += client.Top;
    textBounds = Bounds(textPos.X + client.Left, textPos.Y + client.Top, textSize.cx, textSize.cy);
}

void DrawButtonGlyphAndText(TCanvas* canvas, const TBitmap* glyph, int numGlyphs,
                            TButtonState state, const std::string& caption, const TFont* font,
                            const TRect& client, const TPoint& offset, TButtonLayout layout,
                            int margin, int spacing, bool enabled) {
    canvas->Font()->AssignFrom(font);
    TSize glyphSize;
    std::unique_ptr<TBitmap> frame;
    if (glyph && !glyph->Empty()) {
        frame = GlyphFrame(glyph, numGlyphs, enabled ? state : bsDisabled);
        glyphSize = TSize(frame->Width(), frame->Height());
    }
    TSize textSize;
    if (!caption.empty()) {
        TRect r(0, 0, client.Width(), 0);
        canvas->DrawText(caption, r, DT_CALCRECT | DT_SINGLELINE);
        textSize = TSize(r.Width(), r.Height());
    }
    TPoint glyphPos;
    TRect textBounds;
    CalcButtonLayout(client, glyphSize, textSize, layout, margin, spacing, glyphPos, textBounds);
    glyphPos.X += offset.X;
    glyphPos.Y += offset.Y;
    OffsetRect(textBounds, offset.X, offset.Y);
    if (frame)
        canvas->Draw(glyphPos.X, glyphPos.Y, frame.get());
    if (caption.empty())
        return;
    canvas->Brush()->SetStyle(bsClear);
    unsigned flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (!enabled) {
        TRect r = textBounds;
        OffsetRect(r, 1, 1);
        canvas->Font()->SetColor(clBtnHighlight);
        canvas->DrawText(caption, r, flags);
        canvas->Font()->SetColor(clBtnShadow);
    }
    canvas->DrawText(caption, textBounds, flags);
}

// ===========================================================================
// TBitBtn

namespace {
struct TKindInfo {
    const char* Caption;
    TModalResult Result;
    bool Default, Cancel;
};
const TKindInfo kKinds[] = {
    {"", mrNone, false, false},        {"OK", mrOk, true, false},
    {"Cancel", mrCancel, false, true}, {"&Help", mrNone, false, false},
    {"&Yes", mrYes, true, false},      {"&No", mrNo, false, true},
    {"&Close", mrNone, false, false},  {"Abort", mrAbort, false, false},
    {"&Retry", mrRetry, false, false}, {"&Ignore", mrIgnore, false, false},
    {"&All", mrAll, false, false},
};
} // namespace

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), FGlyph(std::make_unique<TBitmap>()) {
    FControlStyle.Include(csCaptureMouse);
    FGlyph->SetOnChange(TNotifyEvent([this](TObject*) { Invalidate(); }));
}

TBitBtn::~TBitBtn() {
    FGlyph->SetOnChange(TNotifyEvent());
}

void TBitBtn::Publish(TPublisher<TBitBtn>& p) {
    static const TTypeInfo kindType =
        MakeEnumType("TBitBtnKind", {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo",
                                     "bkClose", "bkAbort", "bkRetry", "bkIgnore", "bkAll"});
    p.Class("Glyph", TBitmap::StaticClass(), &TBitBtn::Glyph, &TBitBtn::SetGlyph);
    p.Enum("Kind", &kindType, &TBitBtn::Kind, &TBitBtn::SetKind).Default(bkCustom);
    p.Enum("Layout", LayoutType(), &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft);
    p.Integer("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1);
    p.Integer("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
    p.Integer("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4);
}

void TBitBtn::SetGlyph(const TBitmap* value) {
    if (value)
        FGlyph->AssignFrom(value);
    else
        FGlyph->SetSize(0, 0);
    Invalidate();
}

void TBitBtn::SetNumGlyphs(TNumGlyphs value) {
    FNumGlyphs = std::clamp(value, 1, 4);
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout value) {
    FLayout = value;
    Invalidate();
}

void TBitBtn::SetMargin(int value) {
    if (value < -1)
        return;
    FMargin = value;
    Invalidate();
}

void TBitBtn::SetSpacing(int value) {
    FSpacing = value;
    Invalidate();
}

TBitBtnKind TBitBtn::Kind() const {
    if (FKind != bkCustom) {
        const TKindInfo& k = kKinds[FKind];
        if (k.Default != Default() || k.Cancel != Cancel() || k.Result != ModalResult())
            FKind = bkCustom;
    }
    return FKind;
}

void TBitBtn::SetKind(TBitBtnKind value) {
    FKind = value;
    if (value == bkCustom)
        return;
    const TKindInfo& k = kKinds[value];
    SetDefault(k.Default);
    SetCancel(k.Cancel);
    SetModalResult(k.Result);
    if (!(ComponentState().Contains(csLoading) && !Caption().empty()))
        SetCaption(k.Caption);
}

QWidget* TBitBtn::CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) {
    QWidget* w = TWinControl::CreateNativeWidget(params, parentWidget);
    w->setFocusPolicy(Qt::StrongFocus);
    return w;
}

void TBitBtn::PaintWindowContent(TCanvas* canvas) {
    TRect r = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(r);
    bool focused = Focused();
    if (IsActiveDefault() || focused) {
        canvas->Brush()->SetColor(clWindowFrame);
        canvas->FrameRect(r);
        InflateRect(r, -1, -1);
    }
    if (FPressed) {
        canvas->Brush()->SetColor(clBtnShadow);
        canvas->FrameRect(r);
        InflateRect(r, -1, -1);
    } else {
        DrawEdge(canvas, r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    }
    TPoint offset = FPressed ? TPoint(1, 1) : TPoint(0, 0);
    bool enabled = EffectivelyEnabled(this);
    DrawButtonGlyphAndText(canvas, FGlyph.get(), FNumGlyphs, FPressed ? bsDown : bsUp, Caption(),
                           Font(), r, offset, FLayout, FMargin, FSpacing, enabled);
    if (focused) {
        TRect f = r;
        InflateRect(f, -2, -2);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->DrawFocusRect(f);
    }
}

void TBitBtn::SetPressed(bool value) {
    if (value == FPressed)
        return;
    FPressed = value;
    Invalidate();
}

void TBitBtn::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && EffectivelyEnabled(this)) {
        if (CanFocus() && !Focused())
            SetFocus();
        FTracking = true;
        SetPressed(true);
    }
    TButton::HandleMouseDown(button, shift, x, y);
}

void TBitBtn::HandleMouseMove(TShiftState shift, int x, int y) {
    if (FTracking)
        SetPressed(PtInRect(ClientRect(), TPoint(x, y)));
    TButton::HandleMouseMove(shift, x, y);
}

void TBitBtn::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && FTracking) {
        FTracking = false;
        bool inside = PtInRect(ClientRect(), TPoint(x, y));
        SetPressed(false);
        if (inside)
            Click();
    }
    TButton::HandleMouseUp(button, shift, x, y);
}

void TBitBtn::HandleKeyDown(uint16_t& key, TShiftState shift) {
    TButton::HandleKeyDown(key, shift);
    if (key == VK_SPACE && shift.Empty()) {
        FSpaceDown = true;
        SetPressed(true);
    }
}

void TBitBtn::HandleKeyUp(uint16_t& key, TShiftState shift) {
    TButton::HandleKeyUp(key, shift);
    if (key == VK_SPACE && FSpaceDown) {
        FSpaceDown = false;
        SetPressed(false);
        Click();
    }
}

void TBitBtn::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (message.Msg == WM_KILLFOCUS) {
            FSpaceDown = false;
            SetPressed(false);
        }
        Invalidate();
        break;
    case CM_CANCELMODE:
    case WM_CANCELMODE:
        FTracking = false;
        SetPressed(false);
        break;
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
        Invalidate();
        break;
    default:
        break;
    }
    TButton::HandleMessage(message);
}

// ===========================================================================
// TSpeedButton

TSpeedButton::TSpeedButton(TComponent* owner)
    : TGraphicControl(owner), FGlyph(std::make_unique<TBitmap>()) {
    // The button fires its click itself, on a release over it.
    FControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks};
    SetBounds(0, 0, 23, 22);
    FGlyph->SetOnChange(TNotifyEvent([this](TObject*) { Invalidate(); }));
}

TSpeedButton::~TSpeedButton() {
    FGlyph->SetOnChange(TNotifyEvent());
}

void TSpeedButton::Publish(TPublisher<TSpeedButton>& p) {
    p.Bool("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false);
    p.Integer("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
    p.Bool("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(false);
    p.String("Caption", &TSpeedButton::Caption, &TSpeedButton::SetCaption);
    p.Bool("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(false);
    p.Class("Glyph", TBitmap::StaticClass(), &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
    p.Enum("Layout", LayoutType(), &TSpeedButton::Layout, &TSpeedButton::SetLayout)
        .Default(blGlyphLeft);
    p.Integer("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin).Default(-1);
    p.Integer("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
    p.Integer("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing).Default(4);
    p.Bool("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent).Default(true);
}

void TSpeedButton::SetGroupIndex(int value) {
    if (value == FGroupIndex)
        return;
    FGroupIndex = value;
    UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value) {
    if (value == FAllowAllUp)
        return;
    FAllowAllUp = value;
    UpdateExclusive();
}

void TSpeedButton::SetDown(bool value) {
    if (FGroupIndex == 0)
        value = false;
    if (value == FDown)
        return;
    if (FDown && !FAllowAllUp)
        return;
    FDown = value;
    FState = value ? bsExclusive : bsUp;
    Invalidate();
    if (value)
        UpdateExclusive();
}

void TSpeedButton::SetFlat(bool value) {
    if (value == FFlat)
        return;
    FFlat = value;
    Invalidate();
}

void TSpeedButton::SetGlyph(const TBitmap* value) {
    if (value)
        FGlyph->AssignFrom(value);
    else
        FGlyph->SetSize(0, 0);
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs value) {
    FNumGlyphs = std::clamp(value, 1, 4);
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout value) {
    FLayout = value;
    Invalidate();
}

void TSpeedButton::SetMargin(int value) {
    if (value < -1)
        return;
    FMargin = value;
    Invalidate();
}

void TSpeedButton::SetSpacing(int value) {
    FSpacing = value;
    Invalidate();
}

void TSpeedButton::SetTransparent(bool value) {
    FTransparent = value;
    Invalidate();
}

void TSpeedButton::UpdateExclusive() {
    if (FGroupIndex == 0 || !Parent())
        return;
    TWinControl* p = Parent();
    for (int i = 0; i < p->ControlCount(); ++i)
        p->Controls(i)->Perform(CM_BUTTONPRESSED, WPARAM(FGroupIndex),
                                LPARAM(static_cast<TControl*>(this)));
}

bool TSpeedButton::Inside(int x, int y) const {
    return x >= 0 && x < ClientWidth() && y >= 0 && y <= ClientHeight();
}

void TSpeedButton::Click() {
    TGraphicControl::Click();
}

void TSpeedButton::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::HandleMouseDown(button, shift, x, y);
    if (button != mbLeft || !EffectivelyEnabled(this))
        return;
    if (!FDown) {
        FState = bsDown;
        Invalidate();
    }
    FDragging = true;
}

void TSpeedButton::HandleMouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::HandleMouseMove(shift, x, y);
    if (!FDragging)
        return;
    TButtonState state = FDown ? bsExclusive : bsUp;
    if (Inside(x, y))
        state = FDown ? bsExclusive : bsDown;
    if (state != FState) {
        FState = state;
        Invalidate();
    }
}

void TSpeedButton::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::HandleMouseUp(button, shift, x, y);
    if (!FDragging || button != mbLeft)
        return;
    FDragging = false;
    bool doClick = Inside(x, y);
    if (FGroupIndex == 0) {
        FState = bsUp;
        Invalidate();
    } else if (doClick) {
        SetDown(!FDown);
        FState = FDown ? bsExclusive : bsUp;
        Invalidate();
    } else {
        FState = FDown ? bsExclusive : bsUp;
        Invalidate();
    }
    if (doClick)
        Click();
}

void TSpeedButton::PaintControl() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    bool enabled = EffectivelyEnabled(this);
    TButtonState state = FState;
    bool pushed = state == bsDown || state == bsExclusive;
    if (!FFlat || !FTransparent) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(state == bsExclusive ? clBtnHighlight : clBtnFace);
        c->FillRect(r);
    } else if (state == bsExclusive) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clBtnHighlight);
        c->FillRect(r);
    }
    TRect face = r;
    if (!FFlat) {
        DrawEdge(c, face, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    } else if (pushed || (FMouseInControl && enabled)) {
        DrawEdge(c, face, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    } else {
        InflateRect(face, -1, -1);
    }
    TPoint offset = pushed ? TPoint(1, 1) : TPoint(0, 0);
    DrawButtonGlyphAndText(c, FGlyph.get(), FNumGlyphs, state, Caption(), Font(), face, offset,
                           FLayout, FMargin, FSpacing, enabled);
}

void TSpeedButton::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CM_BUTTONPRESSED: {
        // Other button families share the message: only a speed button is a group mate.
        auto* sender = dynamic_cast<TSpeedButton*>(reinterpret_cast<TControl*>(message.LParam));
        if (int(message.WParam) == FGroupIndex && sender && sender != this) {
            if (sender->Down() && FDown) {
                FDown = false;
                FState = bsUp;
                Invalidate();
            }
            FAllowAllUp = sender->AllowAllUp();
        }
        return;
    }
    case CM_MOUSEENTER:
        FMouseInControl = true;
        if (FFlat)
            Invalidate();
        break;
    case CM_MOUSELEAVE:
        FMouseInControl = false;
        if (FFlat)
            Invalidate();
        break;
    case CM_CANCELMODE:
    case WM_CANCELMODE:
        if (FDragging) {
            FDragging = false;
            FState = FDown ? bsExclusive : bsUp;
            Invalidate();
        }
        break;
    case CM_DIALOGCHAR:
        if (IsAccel(char32_t(message.WParam), Caption()) && EffectivelyEnabled(this) && Visible()) {
            if (FGroupIndex != 0)
                SetDown(!FDown);
            Click();
            message.Result = 1;
        }
        return;
    default:
        break;
    }
    TGraphicControl::HandleMessage(message);
}

namespace {
const bool kRegistered = [] {
    RegisterClasses({TBitBtn::StaticClass(), TSpeedButton::StaticClass()});
    return true;
}();
} // namespace
