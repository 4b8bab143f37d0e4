#include "controls/fxText.h"

#include "controls/fxCommon.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

int RoundInt(double v) {
    return int(std::nearbyint(v));
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

const TTypeInfo* AlignmentType() {
    static const TTypeInfo t =
        MakeEnumType("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
    return &t;
}
const TTypeInfo* OrientationType() {
    static const TTypeInfo t =
        MakeEnumType("TFxOrientation", {"fxTopLeft", "fxTopRight", "fxBottomLeft", "fxBottomRight",
                                        "fxTop", "fxRight", "fxLeft", "fxBottom"});
    return &t;
}
const TTypeInfo* TextOptionsType() {
    static const TTypeInfo member =
        MakeEnumType("TFxTextOption", {"toShowAccel", "toShowEllipsis"});
    static const TTypeInfo t = MakeSetType("TFxTextOptions", &member);
    return &t;
}
const TTypeInfo* TextStyleType() {
    static const TTypeInfo t =
        MakeEnumType("TFxTextStyle", {"fclsDefault", "fclsLowered", "fclsRaised", "fclsOutline"});
    return &t;
}
const TTypeInfo* VAlignmentType() {
    static const TTypeInfo t = MakeEnumType("TFxVAlignment", {"vaTop", "vaVCenter", "vaBottom"});
    return &t;
}

// Stores a property's new value and has the renderer repaint.
template <class T> void ChangeAndRepaint(TFxText* owner, T& field, T value) {
    if (field == value)
        return;
    field = value;
    if (owner)
        owner->NotifyChanged();
}

// The same for a property that can move or grow the text: the renderer first reports the
// old extent, so that what the text covered there is repainted too.
template <class T> void ChangeAndResize(TFxText* owner, T& field, T value) {
    if (field == value)
        return;
    if (owner)
        owner->NotifySizeChanged();
    field = value;
    if (owner)
        owner->NotifyChanged();
}

} // namespace

TPoint OrientationStep(TFxOrientation orientation) {
    static const TPoint kSteps[] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1},
                                    {0, 1}, {-1, 0}, {1, 0},  {0, -1}};
    return kSteps[int(orientation)];
}

// ---------------------------------------------------------------------------
// Effect parameters

void TFxShadowEffects::Publish(TPublisher<TFxShadowEffects>& p) {
    p.Ordinal("Color", TypeInfoTColor(), &TFxShadowEffects::Color, &TFxShadowEffects::SetColor)
        .Default(int(clBtnShadow));
    p.Bool("Enabled", &TFxShadowEffects::Enabled, &TFxShadowEffects::SetEnabled).Default(false);
    p.Integer("XOffset", &TFxShadowEffects::XOffset, &TFxShadowEffects::SetXOffset).Default(10);
    p.Integer("YOffset", &TFxShadowEffects::YOffset, &TFxShadowEffects::SetYOffset).Default(10);
}

void TFxShadowEffects::SetColor(TColor value) {
    ChangeAndRepaint(FOwner, FColor, value);
}

void TFxShadowEffects::SetEnabled(bool value) {
    ChangeAndResize(FOwner, FEnabled, value);
}

void TFxShadowEffects::SetXOffset(int value) {
    ChangeAndResize(FOwner, FXOffset, value);
}

void TFxShadowEffects::SetYOffset(int value) {
    ChangeAndResize(FOwner, FYOffset, value);
}

void TFxShadowEffects::CopyInto(TPersistent* dest) const {
    auto* d = dynamic_cast<TFxShadowEffects*>(dest);
    if (!d) {
        TPersistent::CopyInto(dest);
        return;
    }
    d->FColor = FColor;
    d->FEnabled = FEnabled;
    d->FXOffset = FXOffset;
    d->FYOffset = FYOffset;
    if (d->FOwner)
        d->FOwner->NotifyChanged();
}

void TFxExtrudeEffects::Publish(TPublisher<TFxExtrudeEffects>& p) {
    p.Integer("Depth", &TFxExtrudeEffects::Depth, &TFxExtrudeEffects::SetDepth).Default(10);
    p.Bool("Enabled", &TFxExtrudeEffects::Enabled, &TFxExtrudeEffects::SetEnabled).Default(false);
    p.Ordinal("FarColor", TypeInfoTColor(), &TFxExtrudeEffects::FarColor,
              &TFxExtrudeEffects::SetFarColor)
        .Default(int(clBlack));
    p.Ordinal("NearColor", TypeInfoTColor(), &TFxExtrudeEffects::NearColor,
              &TFxExtrudeEffects::SetNearColor)
        .Default(int(clBlack));
    p.Enum("Orientation", OrientationType(), &TFxExtrudeEffects::Orientation,
           &TFxExtrudeEffects::SetOrientation)
        .Default(fxBottomRight);
    p.Bool("Striated", &TFxExtrudeEffects::Striated, &TFxExtrudeEffects::SetStriated)
        .Default(false);
}

void TFxExtrudeEffects::SetDepth(int value) {
    ChangeAndResize(FOwner, FDepth, value);
}

void TFxExtrudeEffects::SetEnabled(bool value) {
    ChangeAndResize(FOwner, FEnabled, value);
}

void TFxExtrudeEffects::SetFarColor(TColor value) {
    ChangeAndRepaint(FOwner, FFarColor, value);
}

void TFxExtrudeEffects::SetNearColor(TColor value) {
    ChangeAndRepaint(FOwner, FNearColor, value);
}

void TFxExtrudeEffects::SetOrientation(TFxOrientation value) {
    ChangeAndResize(FOwner, FOrientation, value);
}

void TFxExtrudeEffects::SetStriated(bool value) {
    ChangeAndRepaint(FOwner, FStriated, value);
}

void TFxExtrudeEffects::CopyInto(TPersistent* dest) const {
    auto* d = dynamic_cast<TFxExtrudeEffects*>(dest);
    if (!d) {
        TPersistent::CopyInto(dest);
        return;
    }
    d->FDepth = FDepth;
    d->FEnabled = FEnabled;
    d->FFarColor = FFarColor;
    d->FNearColor = FNearColor;
    d->FOrientation = FOrientation;
    d->FStriated = FStriated;
    if (d->FOwner)
        d->FOwner->NotifyChanged();
}

void TFxDisabledColors::Publish(TPublisher<TFxDisabledColors>& p) {
    p.Ordinal("HighlightColor", TypeInfoTColor(), &TFxDisabledColors::HighlightColor,
              &TFxDisabledColors::SetHighlightColor)
        .Default(int(clBtnHighlight));
    p.Ordinal("ShadeColor", TypeInfoTColor(), &TFxDisabledColors::ShadeColor,
              &TFxDisabledColors::SetShadeColor)
        .Default(int(clBtnShadow));
}

void TFxDisabledColors::SetHighlightColor(TColor value) {
    ChangeAndRepaint(FOwner, FHighlightColor, value);
}

void TFxDisabledColors::SetShadeColor(TColor value) {
    ChangeAndRepaint(FOwner, FShadeColor, value);
}

// ---------------------------------------------------------------------------
// The renderer

TFxText::TFxText(TCanvas* canvas, TFont* font, TChangedFn onChanged, TSizeChangedFn onSizeChanged,
                 TIsEnabledFn onIsEnabled)
    : FCanvas(canvas), FFont(font), FOnChanged(std::move(onChanged)),
      FOnSizeChanged(std::move(onSizeChanged)), FOnIsEnabled(std::move(onIsEnabled)),
      FDisabledColors(std::make_unique<TFxDisabledColors>(this)),
      FExtrudeEffects(std::make_unique<TFxExtrudeEffects>(this)),
      FShadow(std::make_unique<TFxShadowEffects>(this)) {}

TFxText::~TFxText() = default;

void TFxText::NotifyChanged() {
    if (FOnChanged)
        FOnChanged(0, 0);
}

void TFxText::NotifySizeChanged() {
    if (FOnSizeChanged)
        FOnSizeChanged(0);
}

void TFxText::SetAlignment(TAlignment value) {
    ChangeAndRepaint(this, FAlignment, value);
}

void TFxText::SetDisabledColors(const TFxDisabledColors* value) {
    if (value) {
        FDisabledColors->SetHighlightColor(value->HighlightColor());
        FDisabledColors->SetShadeColor(value->ShadeColor());
    }
}

void TFxText::SetExtrudeEffects(const TFxExtrudeEffects* value) {
    if (value)
        FExtrudeEffects->AssignFrom(value);
}

void TFxText::SetShadow(const TFxShadowEffects* value) {
    if (value)
        FShadow->AssignFrom(value);
}

void TFxText::SetHighlightColor(TColor value) {
    ChangeAndRepaint(this, FHighlightColor, value);
}

void TFxText::SetLineSpacing(int value) {
    ChangeAndResize(this, FLineSpacing, value);
}

void TFxText::SetOptions(TFxTextOptions value) {
    if (FOptions == value)
        return;
    NotifySizeChanged();
    FOptions = value;
    if (value.Contains(toShowAccel))
        FDrawFlags &= ~DT_NOPREFIX;
    else
        FDrawFlags |= DT_NOPREFIX;
    if (value.Contains(toShowEllipsis))
        FDrawFlags |= DT_END_ELLIPSIS;
    else
        FDrawFlags &= ~DT_END_ELLIPSIS;
    NotifyChanged();
}

void TFxText::SetOutlineColor(TColor value) {
    ChangeAndRepaint(this, FOutlineColor, value);
}

void TFxText::SetRotation(int value) {
    // A negative angle r is 360 - (|r| mod 360); a whole turn is 0.
    int r = value < 0 ? 360 - (int(std::abs(int64_t(value)) % 360)) : value % 360;
    r %= 360;
    if (FRotation == r)
        return;
    NotifySizeChanged();
    FRotation = r;
    NotifyChanged();
}

void TFxText::SetShadeColor(TColor value) {
    ChangeAndRepaint(this, FShadeColor, value);
}

void TFxText::SetStyle(TFxTextStyle value) {
    ChangeAndResize(this, FStyle, value);
}

void TFxText::SetVAlignment(TFxVAlignment value) {
    ChangeAndRepaint(this, FVAlignment, value);
}

void TFxText::SetWordWrap(bool value) {
    if (FWordWrap == value)
        return;
    FWordWrap = value;
    if (value)
        FDrawFlags |= DT_WORDBREAK;
    else
        FDrawFlags &= ~DT_WORDBREAK;
    NotifyChanged();
}

void TFxText::CopyInto(TPersistent* dest) const {
    auto* d = dynamic_cast<TFxText*>(dest);
    if (!d) {
        TPersistent::CopyInto(dest);
        return;
    }
    d->FExtrudeEffects->AssignFrom(FExtrudeEffects.get());
    d->FHighlightColor = FHighlightColor;
    d->FLineSpacing = FLineSpacing;
    d->FOptions = FOptions;
    d->FDrawFlags = (d->FDrawFlags & ~(DT_NOPREFIX | DT_END_ELLIPSIS)) |
                    (FDrawFlags & (DT_NOPREFIX | DT_END_ELLIPSIS));
    d->FOutlineColor = FOutlineColor;
    d->FRotation = FRotation;
    d->FShadeColor = FShadeColor;
    d->FShadow->AssignFrom(FShadow.get());
    d->FStyle = FStyle;
    d->FText = FText;
    d->NotifyChanged();
}

void TFxText::MakeLogFont(TFont& font) const {
    if (FFont)
        font.AssignFrom(FFont);
    if (FPixelScaled)
        font.SetHeight(RoundInt(font.Height() * 96.0 / 96.0));
    font.SetEscapement(FRotation * 10);
}

void TFxText::SelectRotatedFont() {
    if (!FCanvas)
        return;
    if (!FSavedFont) {
        FSavedFont = std::make_unique<TFont>();
        FSavedFont->AssignFrom(FCanvas->Font());
    }
    TFont f;
    MakeLogFont(f);
    FCanvas->Font()->AssignFrom(&f);
    CalcTextRect(false, FTextRect);
}

void TFxText::ReleaseRotatedFont() {
    if (FCanvas && FSavedFont)
        FCanvas->Font()->AssignFrom(FSavedFont.get());
    FSavedFont.reset();
}

TPoint TFxText::TextExtent() {
    TPoint size;
    if (!FCanvas)
        return size;
    std::string text = FOptions.Contains(toShowAccel) ? StripAccelerators(FText) : FText;
    // Measured with the owner's font, unturned; the canvas keeps its font.
    TFont saved;
    saved.AssignFrom(FCanvas->Font());
    TFont f;
    MakeLogFont(f);
    f.SetEscapement(0);
    FCanvas->Font()->AssignFrom(&f);
    MultiLineExtent(FCanvas, text, FLineSpacing, size, FDrawFlags | DT_NOPREFIX,
                    FWordWrap ? FDrawRect.Width() : 0);
    FCanvas->Font()->AssignFrom(&saved);
    return size;
}

TPoint TFxText::ShadowMargin() const {
    TPoint m;
    if (FShadow->Enabled())
        m = TPoint(FShadow->XOffset(), FShadow->YOffset());
    if (FExtrudeEffects->Enabled()) {
        TPoint step = OrientationStep(FExtrudeEffects->Orientation());
        if (Sign(m.X) != 0 && Sign(step.X) != 0 && Sign(m.X) != Sign(step.X))
            m.X = 0;
        if (Sign(m.Y) != 0 && Sign(step.Y) != 0 && Sign(m.Y) != Sign(step.Y))
            m.Y = 0;
    }
    return m;
}

TPoint TFxText::ExtrusionExtent(bool scaled) const {
    if (!FExtrudeEffects->Enabled())
        return TPoint();
    int d = FExtrudeEffects->Depth();
    if (!scaled)
        return TPoint(d, d);
    TPoint step = OrientationStep(FExtrudeEffects->Orientation());
    return TPoint(d * std::abs(step.X), d * std::abs(step.Y));
}

TPoint TFxText::RotatedExtent(bool unclipped) {
    TPoint t = TextExtent();
    TPoint ext = ExtrusionExtent(true);
    TPoint sh = ShadowMargin();
    int extra = FStyle == fclsOutline ? 2 : 0;
    double w = t.X + ext.X + std::abs(sh.X) + extra;
    double h = t.Y + ext.Y + std::abs(sh.Y) + extra;
    double theta = FRotation * kPi / 180.0;
    double c = std::fabs(std::cos(theta)), s = std::fabs(std::sin(theta));
    int rw = RoundInt(c * w + s * h - 0.4999);
    int rh = RoundInt(s * w + c * h - 0.4999);
    if (!unclipped) {
        rw = std::min(rw, FDrawRect.Width());
        rh = std::min(rh, FDrawRect.Height());
    }
    return TPoint(rw, rh);
}

void TFxText::CalcTextRect(bool unclipped, TRect& r) {
    int x = FDrawRect.Left + FDrawRect.Width() / 2;
    int y = FDrawRect.Top + FDrawRect.Height() / 2;
    TPoint sm = ShadowMargin();
    TPoint ext = ExtrusionExtent(false);
    x -= sm.X / 2 + ext.X / 2;
    y -= sm.Y / 2 + ext.Y / 2;
    TPoint t = TextExtent();
    double theta = FRotation * kPi / 180.0;
    double c = std::cos(theta), s = std::sin(theta);
    x -= RoundInt(c * t.X) / 2;
    y += RoundInt(s * t.X) / 2;
    y -= RoundInt(c * t.Y) / 2;
    x -= RoundInt(s * t.Y) / 2;
    TPoint size = RotatedExtent(unclipped);
    r = TRect(x, y, x + size.X, y + size.Y);
    int dx = std::max(0, FDrawRect.Left - x), dy = std::max(0, FDrawRect.Top - y);
    r = TRect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy);
}

void TFxText::CalcRect(bool unclipped, TRect& r) {
    FDrawRect = r;
    CalcTextRect(unclipped, r);
}

void TFxText::DrawLinesIn(const TRect& r, TColor color) {
    if (!FCanvas || color == clNone)
        return;
    FCanvas->Font()->SetColor(color);
    DrawLines(r);
}

void TFxText::DrawLines(const TRect& r) {
    if (!FCanvas)
        return;
    TRect rect = r;
    double theta = FRotation * kPi / 180.0;
    int n = CountTokens(FText, "\r\n");
    FCanvas->SetBkMode(TRANSPARENT);
    FCanvas->Brush()->SetStyle(bsClear);
    for (int i = 0; i < n; ++i) {
        std::string line = GetToken(FText, "\r\n", i);
        TRect lr = rect;
        FCanvas->DrawText(line, lr, FDrawFlags | DT_NOCLIP);
        int h = WrappedTextHeight(FCanvas, FDrawFlags, rect.Width(), line) + FLineSpacing;
        int dx = RoundInt(std::sin(theta) * h), dy = RoundInt(std::cos(theta) * h);
        rect = TRect(rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy);
    }
}

void TFxText::DrawShadow(const TRect& r) {
    if (!FShadow->Enabled())
        return;
    TColor color = OwnerEnabled() ? FShadow->Color() : FDisabledColors->ShadeColor();
    TRect s(r.Left + FShadow->XOffset(), r.Top + FShadow->YOffset(), r.Right + FShadow->XOffset(),
            r.Bottom + FShadow->YOffset());
    DrawLinesIn(s, color);
}

void TFxText::DrawExtrusion() {
    if (!FExtrudeEffects->Enabled() || !FCanvas)
        return;
    int depth = FExtrudeEffects->Depth();
    if (depth <= 0)
        return;
    TPoint step = OrientationStep(FExtrudeEffects->Orientation());
    TColor nearC = ColorToRGB(FExtrudeEffects->NearColor());
    TColor farC = ColorToRGB(FExtrudeEffects->FarColor());
    int x = FTextRect.Left - step.X * depth / 2, y = FTextRect.Top - step.Y * depth / 2;
    auto channel = [&](int n, int f, int i) {
        if (FExtrudeEffects->Striated())
            return std::clamp(i * ((n - f) / depth + f) / ((i % 2) ? 1 : 4), 0, 255);
        return std::clamp(RoundInt((n - f) / (double(depth) / i) + f), 0, 255);
    };
    for (int i = 1; i <= depth; ++i) {
        x += step.X;
        y += step.Y;
        TColor c = RGB(channel(GetRValue(nearC), GetRValue(farC), i),
                       channel(GetGValue(nearC), GetGValue(farC), i),
                       channel(GetBValue(nearC), GetBValue(farC), i));
        DrawLinesIn(TRect(x, y, x + FTextRect.Width(), y + FTextRect.Height()), c);
    }
}

void TFxText::DrawHighlighted() {
    TPoint step = OrientationStep(FExtrudeEffects->Orientation());
    TRect r = FTextRect;
    DrawLinesIn(TRect(r.Left - step.X, r.Top - step.Y, r.Right - step.X, r.Bottom - step.Y),
                FHighlightColor);
    DrawLinesIn(r, FFont ? FFont->Color() : clBlack);
}

void TFxText::DrawOutline() {
    TColor color = OwnerEnabled() ? FOutlineColor : FDisabledColors->ShadeColor();
    for (int o = 0; o < 8; ++o) {
        TPoint s = OrientationStep(TFxOrientation(o));
        DrawLinesIn(TRect(FTextRect.Left + s.X, FTextRect.Top + s.Y, FTextRect.Right + s.X,
                          FTextRect.Bottom + s.Y),
                    color);
    }
}

void TFxText::DrawDefault() {
    if (!OwnerEnabled()) {
        DrawBeveled(false);
        return;
    }
    SelectRotatedFont();
    DrawExtrusion();
    DrawShadow(FTextRect);
    DrawLinesIn(FTextRect, FFont ? FFont->Color() : clBlack);
    ReleaseRotatedFont();
}

void TFxText::DrawOutlined() {
    SelectRotatedFont();
    DrawExtrusion();
    DrawShadow(FTextRect);
    DrawOutline();
    DrawLinesIn(FTextRect, OwnerEnabled() ? (FFont ? FFont->Color() : clBlack)
                                          : FDisabledColors->HighlightColor());
    ReleaseRotatedFont();
}

void TFxText::DrawBeveled(bool raised) {
    SelectRotatedFont();
    DrawExtrusion();
    DrawShadow(FTextRect);
    bool enabled = OwnerEnabled();
    TColor h = enabled ? FHighlightColor : FDisabledColors->HighlightColor();
    TColor s = enabled ? FShadeColor : FDisabledColors->ShadeColor();
    TRect r = FTextRect;
    DrawLinesIn(TRect(r.Left - 1, r.Top - 1, r.Right - 1, r.Bottom - 1), raised ? h : s);
    DrawLinesIn(TRect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1), raised ? s : h);
    DrawLinesIn(r, enabled ? (FFont ? FFont->Color() : clBlack) : FDisabledColors->ShadeColor());
    ReleaseRotatedFont();
}

void TFxText::Draw() {
    if (!FCanvas)
        return;
    if (FRotation == 0) {
        FDrawFlags &= ~(DT_CENTER | DT_RIGHT);
        if (FAlignment == taCenter)
            FDrawFlags |= DT_CENTER;
        else if (FAlignment == taRightJustify)
            FDrawFlags |= DT_RIGHT;
        TPoint t = TextExtent();
        if (FAlignment == taLeftJustify)
            FDrawRect.Right = FDrawRect.Left + t.X;
        else if (FAlignment == taRightJustify)
            FDrawRect.Left = FDrawRect.Right - t.X;
        if (FVAlignment == vaTop)
            FDrawRect.Bottom = FDrawRect.Top + t.Y;
        else if (FVAlignment == vaBottom)
            FDrawRect.Top = FDrawRect.Bottom - t.Y;
    }
    switch (FStyle) {
    case fclsDefault:
        DrawDefault();
        break;
    case fclsLowered:
        DrawBeveled(false);
        break;
    case fclsRaised:
        DrawBeveled(true);
        break;
    case fclsOutline:
        DrawOutlined();
        break;
    }
}

void TFxCaptionText::Publish(TPublisher<TFxCaptionText>& p) {
    p.Enum("Alignment", AlignmentType(), &TFxText::Alignment, &TFxText::SetAlignment)
        .Default(taLeftJustify);
    p.Class("DisabledColors", TFxDisabledColors::StaticClass(), &TFxText::DisabledColors,
            &TFxText::SetDisabledColors);
    p.Class("ExtrudeEffects", TFxExtrudeEffects::StaticClass(), &TFxText::ExtrudeEffects,
            &TFxText::SetExtrudeEffects);
    p.Ordinal("HighlightColor", TypeInfoTColor(), &TFxText::HighlightColor,
              &TFxText::SetHighlightColor)
        .Default(int(clBtnHighlight));
    p.Integer("LineSpacing", &TFxText::LineSpacing, &TFxText::SetLineSpacing).Default(5);
    p.Set("Options", TextOptionsType(), &TFxText::Options, &TFxText::SetOptions)
        .Default(int(TFxTextOptions{toShowAccel}.ToInt()));
    p.Ordinal("OutlineColor", TypeInfoTColor(), &TFxText::OutlineColor, &TFxText::SetOutlineColor)
        .Default(int(clBlack));
    p.Integer("Rotation", &TFxText::Rotation, &TFxText::SetRotation).Default(0);
    p.Ordinal("ShadeColor", TypeInfoTColor(), &TFxText::ShadeColor, &TFxText::SetShadeColor)
        .Default(int(clBtnShadow));
    p.Class("Shadow", TFxShadowEffects::StaticClass(), &TFxText::Shadow, &TFxText::SetShadow);
    p.Enum("Style", TextStyleType(), &TFxText::Style, &TFxText::SetStyle).Default(fclsDefault);
    p.Enum("VAlignment", VAlignmentType(), &TFxText::VAlignment, &TFxText::SetVAlignment)
        .Default(vaTop);
    p.Bool("WordWrap", &TFxText::WordWrap, &TFxText::SetWordWrap).Default(false);
}
