#include "controls/fxImgBtn.h"

#include "controls/fxCommon.h"
#include "controls/fxImager.h"
#include "framework/gui/PlatformCalls.h"

#include <cstring>

namespace {

const TTypeInfo* DitherStyleTypeInfo() {
    static const TTypeInfo t =
        MakeEnumType("TFxDitherStyle", {"dsDither", "dsBlendDither", "dsFill"});
    return &t;
}

} // namespace

void TFxImgDownOffsets::Publish(TPublisher<TFxImgDownOffsets>& p) {
    p.Integer("ImageDownX", &TFxImgDownOffsets::ImageDownX, &TFxImgDownOffsets::SetImageDownX)
        .Default(2);
    p.Integer("ImageDownY", &TFxImgDownOffsets::ImageDownY, &TFxImgDownOffsets::SetImageDownY)
        .Default(2);
}

void TFxImgDownOffsets::CopyInto(TPersistent* dest) const {
    if (auto* d = dynamic_cast<TFxImgDownOffsets*>(dest)) {
        d->FImageDownX = FImageDownX;
        d->FImageDownY = FImageDownY;
    }
    TFxOffsets::CopyInto(dest);
}

// ---------------------------------------------------------------------------

TFxCustomImageBtn::TFxCustomImageBtn(TComponent* owner)
    : TFxCustomBitBtn(owner), FImage(std::make_unique<TFxBitmap>()),
      FImageDown(std::make_unique<TFxBitmap>()) {
    FOffsets.reset(CreateOffsets());
    SetColor(clNone);
    FImage->SetOnChange(TNotifyEvent(this, &TFxCustomImageBtn::ImageChanged));
    FImageDown->SetOnChange(TNotifyEvent(this, &TFxCustomImageBtn::ImageChanged));
    FImageLink.SetOnChange(TNotifyEvent([this](TObject* sender) { ImageChanged(sender); }));
}

TFxCustomImageBtn::~TFxCustomImageBtn() {
    FImage->SetOnChange(TNotifyEvent());
    FImageDown->SetOnChange(TNotifyEvent());
    DetachLink(FExtImage, false);
    DetachLink(FExtImageDown, true);
}

void TFxCustomImageBtn::Publish(TPublisher<TFxCustomImageBtn>& p) {
    p.Ordinal("DitherColor", TypeInfoTColor(), &TFxCustomImageBtn::DitherColor,
              &TFxCustomImageBtn::SetDitherColor)
        .Default(int(clWhite));
    p.Enum("DitherStyle", DitherStyleTypeInfo(), &TFxCustomImageBtn::DitherStyle,
           &TFxCustomImageBtn::SetDitherStyle)
        .Default(dsDither);
    p.Class("Image", TFxBitmap::StaticClass(), &TFxCustomImageBtn::Image,
            &TFxCustomImageBtn::SetImage);
    p.Class("ImageDown", TFxBitmap::StaticClass(), &TFxCustomImageBtn::ImageDown,
            &TFxCustomImageBtn::SetImageDown);
    p.Ordinal("TransparentColor", TypeInfoTColor(), &TFxCustomImageBtn::TransparentColor,
              &TFxCustomImageBtn::SetTransparentColor)
        .Default(int(clNone));
    p.Bool("RespectPalette", &TFxCustomImageBtn::RespectPalette,
           &TFxCustomImageBtn::SetRespectPalette)
        .Default(false);
    p.Class("ExtImage", TComponent::StaticClass(), &TFxCustomImageBtn::ExtImage,
            &TFxCustomImageBtn::SetExtImage);
    p.Class("ExtImageDown", TComponent::StaticClass(), &TFxCustomImageBtn::ExtImageDown,
            &TFxCustomImageBtn::SetExtImageDown);
    // The parent window's style bit: nothing of the button's own to store.
    p.Bool("ParentClipping", &TFxCustomImageBtn::ParentClipping,
           &TFxCustomImageBtn::SetParentClipping)
        .Stored(false);
}

TFxOffsets* TFxCustomImageBtn::CreateOffsets() {
    return new TFxImgDownOffsets(this);
}

void TFxCustomImageBtn::SetDitherColor(TColor value) {
    if (FDitherColor == value)
        return;
    FDitherColor = value;
    Invalidate();
}

void TFxCustomImageBtn::SetDitherStyle(TFxDitherStyle value) {
    if (FDitherStyle == value)
        return;
    FDitherStyle = value;
    Invalidate();
}

void TFxCustomImageBtn::SetImage(const TFxBitmap* value) {
    if (value)
        SetExtImage(nullptr);
    FImage->AssignFrom(value);
    if (HandleAllocated() && !(Down() && !FImageDown->IsBlank()))
        RecreateWnd();
}

void TFxCustomImageBtn::SetImageDown(const TFxBitmap* value) {
    if (value)
        SetExtImageDown(nullptr);
    FImageDown->AssignFrom(value);
    if (HandleAllocated() && Down())
        RecreateWnd();
}

void TFxCustomImageBtn::AttachLink(TComponent* source, bool down) {
    if (!source)
        return;
    if (auto* imager = dynamic_cast<TFxCustomImager*>(source))
        imager->AddChangeLink(&FImageLink);
    else if (auto* btn = dynamic_cast<TFxCustomImageBtn*>(source))
        (down ? btn->ImageDown() : btn->Image())->AddChangeLink(&FImageLink);
    source->FreeNotification(this);
}

void TFxCustomImageBtn::DetachLink(TComponent* source, bool down) {
    if (!source)
        return;
    if (auto* imager = dynamic_cast<TFxCustomImager*>(source))
        imager->RemoveChangeLink(&FImageLink);
    else if (auto* btn = dynamic_cast<TFxCustomImageBtn*>(source))
        (down ? btn->ImageDown() : btn->Image())->RemoveChangeLink(&FImageLink);
}

void TFxCustomImageBtn::ChangeExtImage(TComponent* value, bool down) {
    TComponent*& source = down ? FExtImageDown : FExtImage;
    if (source == value)
        return;
    if (value)
        (down ? FImageDown : FImage)->ReleaseImage();
    DetachLink(source, down);
    source = value;
    AttachLink(value, down);
    if (HandleAllocated())
        RecreateWnd();
}

void TFxCustomImageBtn::SetExtImage(TComponent* value) {
    ChangeExtImage(value, false);
}

void TFxCustomImageBtn::SetExtImageDown(TComponent* value) {
    ChangeExtImage(value, true);
}

void TFxCustomImageBtn::ComponentNotification(TComponent* component, TOperation operation) {
    TFxCustomBitBtn::ComponentNotification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FExtImage)
        FExtImage = nullptr;
    if (component == FExtImageDown)
        FExtImageDown = nullptr;
}

void TFxCustomImageBtn::SetTransparentColor(TColor value) {
    if (FTransparentColor == value)
        return;
    FTransparentColor = value;
    FreeRegionData();
    if (HandleAllocated())
        RecreateWnd();
    InvalidateParentArea(this, true);
}

void TFxCustomImageBtn::SetRespectPalette(bool value) {
    FRespectPalette = value;
    FImage->SetUsePalette(value);
    FImageDown->SetUsePalette(value);
    Invalidate();
}

bool TFxCustomImageBtn::ParentClipping() const {
    return Parent() && (GetWindowLong(Parent()->Handle(), GWL_STYLE) & WS_CLIPCHILDREN) != 0;
}

void TFxCustomImageBtn::SetParentClipping(bool value) {
    if (!Parent())
        return;
    HWND parent = Parent()->Handle();
    uint32_t style = GetWindowLong(parent, GWL_STYLE);
    SetWindowLong(parent, GWL_STYLE, value ? style | WS_CLIPCHILDREN : style & ~WS_CLIPCHILDREN);
}

TFxBitmap* TFxCustomImageBtn::EffectiveImage(bool down) {
    TComponent* ext = down ? FExtImageDown : FExtImage;
    if (ext && !ext->IsDestroying()) {
        if (auto* imager = dynamic_cast<TFxCustomImager*>(ext)) {
            if (imager->WorkBitmap()->IsBlank())
                imager->UpdateWorkBitmap();
            return imager->WorkBitmap();
        }
        if (auto* btn = dynamic_cast<TFxCustomImageBtn*>(ext))
            return down ? btn->ImageDown() : btn->Image();
    }
    return down ? FImageDown.get() : FImage.get();
}

TColor TFxCustomImageBtn::KeyColor(bool down) {
    if (FTransparentColor == kFxNoTransparency)
        return clNone;
    if (FTransparentColor != clNone)
        return ColorToRGB(FTransparentColor);
    TFxBitmap* img = EffectiveImage(down);
    if (down && img->IsBlank())
        img = EffectiveImage(false);
    return img->IsBlank() ? clNone : img->Pixel(0, 0);
}

bool TFxCustomImageBtn::TracksRegionChange() const {
    auto* self = const_cast<TFxCustomImageBtn*>(this);
    bool both = !self->EffectiveImage(false)->IsBlank() && !self->EffectiveImage(true)->IsBlank();
    return (both || ShadeStyle() == fbsRaised) && FTransparentColor != kFxNoTransparency;
}

void TFxCustomImageBtn::SizeToContent() {
    TFxBitmap* img = EffectiveImage(false);
    SetBounds(Left(), Top(), img->ImageWidth(), img->ImageHeight());
    InvalidateParentArea(this, true);
}

void TFxCustomImageBtn::ImageChanged(TObject* bitmap) {
    bool up = bitmap == EffectiveImage(false);
    bool down = bitmap == EffectiveImage(true);
    if (up)
        KeepRegionData(std::nullopt, false);
    if (down)
        KeepRegionData(std::nullopt, true);
    if (auto* b = dynamic_cast<TFxBitmap*>(bitmap)) {
        bool was = b->Updating();
        b->SetUpdating(true);
        ApplyWindowRegion();
        b->SetUpdating(was);
    } else {
        ApplyWindowRegion();
    }
    InvalidateParentArea(this, true);
    Invalidate();
}

void TFxCustomImageBtn::RenderImage(const TFxBitmap* source, TFxBitmap* dest, bool forRegion,
                                    TFxShadeStyle style) {
    int w = Width(), h = Height();
    if (style == fbsRaised) {
        w -= 2;
        h -= 2;
    }
    if (w <= 0 || h <= 0 || !source || !dest)
        return;
    dest->EnsureSize(w, h);
    bool dither = GroupIndex() > 0 && Down() && FDitherColor != clNone && FImageDown->IsBlank() &&
                  EffectiveImage(true)->IsBlank();
    std::optional<TRegion> region;
    if (!forRegion && (Color() != clNone || dither))
        region = CreateStateRegion(true, Down());
    TFxBitmap plain;
    plain.AssignFrom(source);
    plain.SetTransparent(false);
    dest->Canvas()->StretchDraw(TRect(0, 0, w, h), &plain);
    dest->Canvas()->ReleasePainter();
    if (!forRegion && Color() != clNone) {
        dest->SetTransparentColor(KeyColor(Down()));
        TColor c = ColorToRGB(Color());
        dest->ApplyColorize(GetRValue(c), GetGValue(c), GetBValue(c));
    }
    if (!forRegion && dither) {
        TRegion clip = region ? *region : TRegion::FromRect(0, 0, w, h);
        if (style == fbsRaised)
            clip.Offset(-2, -2);
        TCanvas* c = dest->Canvas();
        c->SelectClipRgn(&clip);
        TRect all(0, 0, w, h);
        switch (FDitherStyle) {
        case dsFill:
            c->Brush()->SetColor(FDitherColor);
            c->Brush()->SetStyle(bsSolid);
            c->FillRect(all);
            break;
        case dsDither:
            DitherFill(c, all, clSilver, FDitherColor);
            break;
        case dsBlendDither:
            DitherFill(c, all, clNone, FDitherColor);
            break;
        }
        c->SelectClipRgn(nullptr);
        c->ReleasePainter();
    }
}

std::optional<TRegion> TFxCustomImageBtn::CreateStateRegion(bool make, bool down) {
    if (FTransparentColor == kFxNoTransparency)
        return std::nullopt;
    if (auto stored = TFxCustomBitBtn::CreateStateRegion(make, down))
        return stored;
    TFxBitmap* up = EffectiveImage(false);
    if (!make || up->IsBlank())
        return std::nullopt;
    TFxBitmap* picture = (down && !EffectiveImage(true)->IsBlank()) ? EffectiveImage(true) : up;
    TFxBitmap tmp;
    tmp.SetUsePalette(FRespectPalette);
    tmp.SetUpdating(true);
    RenderImage(picture, &tmp, true, ShadeStyle());
    std::optional<TRegion> region = RegionFromBitmap(&tmp, KeyColor(down));
    if (region && ShadeStyle() == fbsRaised) {
        TRegion moved = *region;
        moved.Offset(2, 2);
        if (down)
            region = moved;
        else
            region->Combine(moved, RGN_OR);
    }
    KeepRegionData(region, down);
    return region;
}

void TFxCustomImageBtn::ShadeEdges(const TFxBitmap* source, TFxBitmap* dest, bool down,
                                   TColor key) {
    if (!source || !dest || source->IsBlank() || source->ImageWidth() != dest->ImageWidth() ||
        source->ImageHeight() != dest->ImageHeight())
        return;
    int w = source->ImageWidth(), h = source->ImageHeight();
    TColor hl = ColorToRGB(ShadeColors()->BtnHighlight());
    TColor l3 = ColorToRGB(ShadeColors()->Btn3DLight());
    TColor sh = ColorToRGB(ShadeColors()->BtnShadow());
    TColor bk = ColorToRGB(ShadeColors()->BtnBlack());
    bool outline = Focused() || Default();
    bool focusShift = Focused() && Options().Contains(boFocusable);
    // The source may be the destination: runs are found on a copy.
    TFxBitmap copy;
    copy.SetUpdating(true);
    copy.AssignFrom(source);
    auto set = [&](int x, int y, TColor c) {
        if (x >= 0 && y >= 0 && x < w && y < h)
            dest->SetPixel(x, y, c);
    };
    auto isKey = [&](int x, int y) { return copy.Pixel(x, y) == key; };
    auto shadeRun = [&](int ux, int uy, int lx, int ly) {
        int oux = ux, ouy = uy, olx = lx, oly = ly;
        if (outline) {
            ++ux, ++uy, --lx, --ly;
        }
        if (focusShift)
            ++ux, ++uy;
        if (!down) {
            set(ux, uy, hl);
            set(ux + 1, uy + 1, l3);
            set(lx - 1, ly - 1, sh);
            set(lx, ly, bk);
        } else {
            set(ux, uy, bk);
            set(ux + 1, uy + 1, sh);
            set(lx - 1, ly - 1, l3);
            set(lx, ly, hl);
        }
        if (outline) {
            set(oux, ouy, bk);
            set(olx, oly, bk);
        }
        if (focusShift && down)
            set(ux - 1, uy - 1, clBlack);
    };
    auto diagonal = [&](int sx, int sy) {
        int x = sx, y = sy;
        while (x < w && y < h) {
            while (x < w && y < h && isKey(x, y))
                ++x, ++y;
            if (x >= w || y >= h)
                break;
            int ux = x, uy = y;
            while (x + 1 < w && y + 1 < h && !isKey(x + 1, y + 1))
                ++x, ++y;
            shadeRun(ux, uy, x, y);
            ++x, ++y;
        }
    };
    for (int sx = w - 1; sx >= 0; --sx)
        diagonal(sx, 0);
    for (int sy = 1; sy < h; ++sy)
        diagonal(0, sy);
}

void TFxCustomImageBtn::DrawFace(TFxBitmap* bitmap, bool forRegion, bool down,
                                 TFxShadeStyle style) {
    if (!bitmap)
        return;
    bitmap->EnsureSize(Width(), Height());
    if (FRespectPalette) {
        bitmap->ColorTable() = EffectiveImage(false)->ColorTable();
        bitmap->SetUsePalette(true);
    }
    if (bitmap->IsBlank())
        return;
    TCanvas* c = bitmap->Canvas();
    TFxBitmap* up = EffectiveImage(false);
    if (up->IsBlank()) {
        c->Brush()->SetColor(clBtnFace);
        c->Brush()->SetStyle(bsSolid);
        c->Pen()->SetColor(clBlack);
        c->Pen()->SetStyle(psDashDot);
        c->Rectangle(0, 0, Width(), Height());
        c->Pen()->SetStyle(psSolid);
        c->ReleasePainter();
        return;
    }
    TFxBitmap* downImage = EffectiveImage(true);
    bool hasDown = !downImage->IsBlank();
    TFxBitmap* picture = (down && hasDown) ? downImage : up;
    TFxBitmap tmp;
    tmp.SetUpdating(true);
    RenderImage(picture, &tmp, forRegion, style);
    TPoint at(0, 0);
    if (down && !hasDown)
        at = TPoint(DownOffsets()->ImageDownX(), DownOffsets()->ImageDownY());
    TColor key = KeyColor(down);
    if (style == fbsHighlight || (style == fbsFlat && MouseInControl())) {
        c->Brush()->SetColor(key == clNone ? Color() : key);
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(TRect(0, 0, Width(), Height()));
        c->Draw(at.X, at.Y, &tmp);
        c->ReleasePainter();
        if (key != clNone)
            ShadeEdges(bitmap, bitmap, down, key);
        return;
    }
    c->Brush()->SetColor(ShadeColors()->Shadow());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(TRect(0, 0, Width(), Height()));
    if (FTransparentColor != kFxNoTransparency && key != clNone) {
        tmp.SetTransparentColor(key);
        tmp.SetTransparent(true);
    }
    c->Draw(at.X, at.Y, &tmp);
    c->ReleasePainter();
}

TColor TFxCustomImageBtn::FacePixel(const TPoint& point) {
    TFxBitmap tmp;
    tmp.SetUpdating(true);
    DrawFace(&tmp, false, Down(), ShadeStyle());
    return tmp.Pixel(point.X, point.Y);
}

void TFxCustomImageBtn::PrepareStateFaces() {
    if (EffectiveImage(false)->IsBlank())
        return;
    TFxBitmap upFace, downFace;
    DrawFace(&upFace, false, false, fbsHighlight);
    DrawFace(&downFace, false, true, fbsHighlight);
    if (auto region = CreateStateRegion(true, Down())) {
        downFace.SetTransparentColor(KeyColor(true));
        FillOutsideRegion(&downFace, *region);
    }
    SetImage(&upFace);
    SetImageDown(&downFace);
    if (HandleAllocated())
        RecreateWnd();
}

void TFxCustomImageBtn::AfterWindowCreated() {
    if (FImage->HasStash())
        FImage->UnstashImage();
    TFxCustomBitBtn::AfterWindowCreated();
    ApplyWindowRegion();
}

void TFxCustomImageBtn::BeforeWindowDestroyed() {
    TFxCustomBitBtn::BeforeWindowDestroyed();
    if (!IsDestroying()) {
        bool was = FImage->Updating();
        FImage->SetUpdating(true);
        FImage->StashImage();
        FImage->SetUpdating(was);
    }
}

void TFxCustomImageBtn::CopyInto(TPersistent* dest) const {
    if (auto* d = dynamic_cast<TFxCustomImageBtn*>(dest)) {
        auto* self = const_cast<TFxCustomImageBtn*>(this);
        d->FDitherColor = FDitherColor;
        d->FDitherStyle = FDitherStyle;
        d->SetExtImage(self);
        d->SetExtImageDown(self);
        d->SetRespectPalette(FRespectPalette);
        d->SetTransparentColor(FTransparentColor);
    }
    TFxCustomBitBtn::CopyInto(dest);
}
