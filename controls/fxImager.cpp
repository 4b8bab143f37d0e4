#include "controls/fxImager.h"

#include "controls/fxCommon.h"
#include "framework/gui/Clipboard.h"

#include <algorithm>

namespace {

// Stores an effect parameter's new value and runs the imager's effects again.
template <class T> void ChangeAndApply(TFxBitmapOptions* options, T& field, T value) {
    if (field == value)
        return;
    field = value;
    if (options)
        options->ApplyEffects();
}

} // namespace

// ---------------------------------------------------------------------------
// Effect parameters

void TFxRotate::Publish(TPublisher<TFxRotate>& p) {
    p.Integer("CenterX", &TFxRotate::CenterX, &TFxRotate::SetCenterX).Default(-1);
    p.Integer("CenterY", &TFxRotate::CenterY, &TFxRotate::SetCenterY).Default(-1);
    p.Integer("Angle", &TFxRotate::Angle, &TFxRotate::SetAngle).Default(0);
}

void TFxRotate::SetCenterX(int value) {
    ChangeAndApply(FOptions, FCenterX, value);
}

void TFxRotate::SetCenterY(int value) {
    ChangeAndApply(FOptions, FCenterY, value);
}

void TFxRotate::SetAngle(int value) {
    ChangeAndApply(FOptions, FAngle, value);
}

TFxAlphaBlend::TFxAlphaBlend(TFxBitmapOptions* options)
    : FOptions(options), FBitmap(std::make_unique<TFxBitmap>()) {
    FLink.SetOnChange(TNotifyEvent(this, &TFxAlphaBlend::BitmapChanged));
    FBitmap->AddChangeLink(&FLink);
}

TFxAlphaBlend::~TFxAlphaBlend() {
    FBitmap->RemoveChangeLink(&FLink);
}

void TFxAlphaBlend::Publish(TPublisher<TFxAlphaBlend>& p) {
    p.Integer("Amount", &TFxAlphaBlend::Amount, &TFxAlphaBlend::SetAmount).Default(0);
    p.Class("Bitmap", TFxBitmap::StaticClass(), &TFxAlphaBlend::Bitmap, &TFxAlphaBlend::SetBitmap);
    p.Bool("Transparent", &TFxAlphaBlend::Transparent, &TFxAlphaBlend::SetTransparent)
        .Default(false);
}

void TFxAlphaBlend::SetAmount(int value) {
    ChangeAndApply(FOptions, FAmount, uint8_t(std::clamp(value, 0, 255)));
}

void TFxAlphaBlend::SetBitmap(const TFxBitmap* value) {
    FBitmap->AssignFrom(value);
}

void TFxAlphaBlend::SetTransparent(bool value) {
    FBitmap->SetTransparent(value);
}

void TFxAlphaBlend::BitmapChanged(TObject* /*sender*/) {
    if (FRunning || !FOptions)
        return;
    FRunning = true;
    try {
        FOptions->ApplyEffects();
    } catch (...) {
        FRunning = false;
        throw;
    }
    FRunning = false;
}

void TFxWave::Publish(TPublisher<TFxWave>& p) {
    p.Integer("XDiv", &TFxWave::XDiv, &TFxWave::SetXDiv).Default(0);
    p.Integer("YDiv", &TFxWave::YDiv, &TFxWave::SetYDiv).Default(0);
    p.Integer("Ratio", &TFxWave::Ratio, &TFxWave::SetRatio).Default(0);
    p.Bool("Wrap", &TFxWave::Wrap, &TFxWave::SetWrap).Default(false);
}

void TFxWave::SetXDiv(int value) {
    ChangeAndApply(FOptions, FXDiv, value);
}

void TFxWave::SetYDiv(int value) {
    ChangeAndApply(FOptions, FYDiv, value);
}

void TFxWave::SetRatio(int value) {
    ChangeAndApply(FOptions, FRatio, value);
}

void TFxWave::SetWrap(bool value) {
    ChangeAndApply(FOptions, FWrap, value);
}

// ---------------------------------------------------------------------------
// The pipeline

TFxBitmapOptions::TFxBitmapOptions(TFxCustomImager* imager)
    : FImager(imager), FAlphaBlend(std::make_unique<TFxAlphaBlend>(this)),
      FRotation(std::make_unique<TFxRotate>(this)), FWave(std::make_unique<TFxWave>(this)) {}

TFxBitmapOptions::~TFxBitmapOptions() = default;

void TFxBitmapOptions::Publish(TPublisher<TFxBitmapOptions>& p) {
    p.Class("AlphaBlend", TFxAlphaBlend::StaticClass(), &TFxBitmapOptions::AlphaBlend, nullptr);
    p.Ordinal("Color", TypeInfoTColor(), &TFxBitmapOptions::Color, &TFxBitmapOptions::SetColor)
        .Default(int(clNone));
    p.Integer("Contrast", &TFxBitmapOptions::Contrast, &TFxBitmapOptions::SetContrast).Default(0);
    p.Bool("Embossed", &TFxBitmapOptions::Embossed, &TFxBitmapOptions::SetEmbossed).Default(false);
    p.Ordinal("TintColor", TypeInfoTColor(), &TFxBitmapOptions::TintColor,
              &TFxBitmapOptions::SetTintColor)
        .Default(int(clNone));
    p.Integer("GaussianBlur", &TFxBitmapOptions::GaussianBlur, &TFxBitmapOptions::SetGaussianBlur)
        .Default(0);
    p.Bool("GrayScale", &TFxBitmapOptions::GrayScale, &TFxBitmapOptions::SetGrayScale)
        .Default(false);
    p.Bool("HorizontallyFlipped", &TFxBitmapOptions::HorizontallyFlipped,
           &TFxBitmapOptions::SetHorizontallyFlipped)
        .Default(false);
    p.Bool("Inverted", &TFxBitmapOptions::Inverted, &TFxBitmapOptions::SetInverted).Default(false);
    p.Integer("Lightness", &TFxBitmapOptions::Lightness, &TFxBitmapOptions::SetLightness)
        .Default(0);
    p.Class("Rotation", TFxRotate::StaticClass(), &TFxBitmapOptions::Rotation, nullptr);
    p.Integer("Saturation", &TFxBitmapOptions::Saturation, &TFxBitmapOptions::SetSaturation)
        .Default(-1);
    p.Integer("Sharpen", &TFxBitmapOptions::Sharpen, &TFxBitmapOptions::SetSharpen).Default(0);
    p.Integer("Sponge", &TFxBitmapOptions::Sponge, &TFxBitmapOptions::SetSponge).Default(0);
    p.Bool("VerticallyFlipped", &TFxBitmapOptions::VerticallyFlipped,
           &TFxBitmapOptions::SetVerticallyFlipped)
        .Default(false);
    p.Class("Wave", TFxWave::StaticClass(), &TFxBitmapOptions::Wave, nullptr);
}

void TFxBitmapOptions::ApplyEffects() {
    if (!FImager || FImager->IsLoading() || FUpdateLock > 0)
        return;
    TFxBitmap* dest = FImager->WorkBitmap();
    TGraphic* graphic = FImager->Picture()->Graphic();
    if (dest->IsBlank() || !graphic || graphic->Empty())
        return;
    bool updating = dest->Updating();
    dest->SetUpdating(true);
    int w = dest->ImageWidth(), h = dest->ImageHeight();
    if (w == graphic->Width() && h == graphic->Height()) {
        dest->AssignFrom(graphic);
    } else if (FTile) {
        TileGraphic(graphic, dest->Canvas(), TRect(0, 0, w, h));
        dest->Canvas()->ReleasePainter();
    } else {
        TFxBitmap tmp;
        tmp.AssignFrom(graphic);
        tmp.SetSmoothStretch(FImager->WorkBitmap()->SmoothStretch());
        tmp.SetTransparent(false);
        dest->Canvas()->StretchDraw(TRect(0, 0, w, h), &tmp);
        dest->Canvas()->ReleasePainter();
    }
    if (FGrayScale)
        dest->ApplyGrayScale();
    if (FLightness != 0)
        dest->ApplyLightness(FLightness);
    if (FAlphaBlend->Amount() != 0 && !FAlphaBlend->Bitmap()->IsBlank())
        dest->AlphaBlend(FAlphaBlend->Bitmap(), FAlphaBlend->Amount(), true);
    if (FColor != clNone) {
        TColor c = ColorToRGB(FColor);
        dest->ApplyColorize(GetRValue(c), GetGValue(c), GetBValue(c));
    }
    if (FTintColor != clNone) {
        TColor c = ColorToRGB(FTintColor);
        dest->ApplyTint(GetRValue(c) / 2, GetGValue(c) / 2, GetBValue(c) / 2);
    }
    if (FSponge != 0)
        dest->ApplySponge(FSponge);
    if (FSaturation != -1)
        dest->ApplySaturation(FSaturation);
    if (FGaussianBlur != 0)
        dest->ApplyGaussianBlur(FGaussianBlur);
    if (FEmbossed)
        dest->ApplyEmboss();
    if (FInverted)
        dest->ApplyInvert();
    if (FContrast != 0)
        dest->ApplyContrast(FContrast);
    if (FSharpen != 0)
        dest->ApplySharpen(FSharpen);
    if (FHorizontallyFlipped)
        dest->Flip(true);
    if (FVerticallyFlipped)
        dest->Flip(false);
    if (FWave->Ratio() != 0 && FWave->XDiv() != 0 && FWave->YDiv() != 0)
        dest->ApplyWave(FWave->Wrap(), FWave->XDiv(), FWave->YDiv(), FWave->Ratio());
    if (FRotation->Angle() != 0)
        dest->Rotate(TPoint(FRotation->CenterX(), FRotation->CenterY()), FRotation->Angle());
    dest->SetUpdating(updating);
    if (FOnChange)
        FOnChange(this);
}

// ---------------------------------------------------------------------------
// The imager

TFxCustomImager::TFxCustomImager(TComponent* owner)
    : TGraphicControl(owner), FBitmapOptions(std::make_unique<TFxBitmapOptions>(this)),
      FWorkBitmap(std::make_unique<TFxBitmap>()), FPicture(std::make_unique<TPicture>()) {
    FWorkBitmap->SetUsePalette(true);
    FPicture->SetOnChange(TNotifyEvent(this, &TFxCustomImager::PictureChanged));
    FBitmapOptions->SetOnChange(TNotifyEvent(this, &TFxCustomImager::HandleOptionsChange));
    TControlStyle style = ControlStyle();
    style.Include(csOpaque);
    SetControlStyle(style);
    SetBounds(Left(), Top(), 100, 100);
}

TFxCustomImager::~TFxCustomImager() {
    FPicture->SetOnChange(TNotifyEvent());
    FBitmapOptions->SetOnChange(TNotifyEvent());
}

bool TFxCustomImager::Transparent() const {
    TGraphic* g = FPicture->Graphic();
    return g && g->Transparent();
}

void TFxCustomImager::SetTransparent(bool value) {
    if (TGraphic* g = FPicture->Graphic())
        g->SetTransparent(value);
    Invalidate();
}

void TFxCustomImager::SetAutoSize(bool value) {
    FAutoSize = value;
    AdjustAutoSize();
}

void TFxCustomImager::SetDrawStyle(TFxImagerDrawStyle value) {
    FDrawStyle = value;
    FBitmapOptions->SetTile(value == idsTiled);
    UpdateWorkBitmap();
    Invalidate();
}

void TFxCustomImager::SetWorkAtPictureSize(bool value) {
    if (FWorkAtPictureSize == value)
        return;
    FWorkAtPictureSize = value;
    UpdateWorkBitmap();
    Invalidate();
}

bool TFxCustomImager::PictureIsEmpty() const {
    TGraphic* g = FPicture->Graphic();
    return !g || g->Empty();
}

void TFxCustomImager::TellLinks() {
    FChangeLinks.Fire(FWorkBitmap.get(), &TFxChangeLink::FireChange);
}

void TFxCustomImager::HandleOptionsChange(TObject* /*sender*/) {
    InvalidateParentArea(this, Transparent());
    TellLinks();
}

void TFxCustomImager::PictureChanged(TObject* /*sender*/) {
    UpdateWorkBitmap();
    InvalidateParentArea(this, true);
    TellLinks();
}

void TFxCustomImager::UpdateWorkBitmap() {
    if (IsLoading())
        return;
    if (FWorkAtPictureSize || FDrawStyle < idsStretched)
        FWorkBitmap->EnsureSize(FPicture->Width(), FPicture->Height());
    else
        FWorkBitmap->EnsureSize(Width(), Height());
    RunEffects();
    AdjustAutoSize();
}

void TFxCustomImager::RunEffects() {
    if (PictureIsEmpty() || IsLoading())
        return;
    if (FWorkBitmap->IsBlank()) {
        UpdateWorkBitmap();
        return;
    }
    FBitmapOptions->ApplyEffects();
}

void TFxCustomImager::AdjustAutoSize() {
    if (!FAutoSize || PictureIsEmpty() || IsLoading() || Align() != alNone || FInAutoSize)
        return;
    FInAutoSize = true;
    SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
    FInAutoSize = false;
}

void TFxCustomImager::AddChangeLink(TFxChangeLink* link) {
    FChangeLinks.Add(link);
}

void TFxCustomImager::RemoveChangeLink(TFxChangeLink* link) {
    FChangeLinks.Remove(link);
}

void TFxCustomImager::CopyToClipboard() {
    TBitmap bmp;
    FWorkBitmap->CopyToBitmap(&bmp);
    Clipboard()->AssignFrom(&bmp);
}

void TFxCustomImager::SetBounds(int left, int top, int width, int height) {
    bool resized = width != Width() || height != Height();
    if (!resized || FInAutoSize || FInSizeChange) {
        TGraphicControl::SetBounds(left, top, width, height);
        return;
    }
    FInSizeChange = true;
    TGraphicControl::SetBounds(left, top, width, height);
    FInSizeChange = false;
    if (Visible())
        Invalidate();
    UpdateWorkBitmap();
}

void TFxCustomImager::RequestRepaint() {
    if (FInSizeChange)
        return;
    InvalidateParentArea(this, true);
}

void TFxCustomImager::AfterLoad() {
    TGraphicControl::AfterLoad();
    AdjustAutoSize();
    FBitmapOptions->ApplyEffects();
}

TRect TFxCustomImager::DestRect() const {
    int bw = FWorkBitmap->ImageWidth(), bh = FWorkBitmap->ImageHeight();
    switch (FDrawStyle) {
    case idsNormal:
        return TRect(0, 0, FPicture->Width(), FPicture->Height());
    case idsCentered: {
        int c = Width() / 2 - bw / 2, b = Height() / 2 - bh / 2;
        return TRect(c, b, Width() - c, Height() - b);
    }
    case idsStretched:
    case idsTiled:
        return TRect(0, 0, Width(), Height());
    case idsProportional:
        return FitRectKeepAspect(TRect(0, 0, Width(), Height()), bw, bh);
    }
    return TRect();
}

void TFxCustomImager::PaintControl() {
    if (ComponentState().Contains(csDestroying))
        return;
    if (FWorkBitmap->IsBlank()) {
        if (!PictureIsEmpty())
            RunEffects();
        else if (ComponentState().Contains(csDesigning)) {
            TCanvas* c = Canvas();
            c->Brush()->SetColor(clWhite);
            c->Pen()->SetColor(clBlack);
            c->Pen()->SetStyle(psDash);
            c->Rectangle(0, 0, Width(), Height());
        }
        return;
    }
    TCanvas* c = Canvas();
    TRect r = DestRect();
    if (!FWorkAtPictureSize) {
        c->Draw(r.Left, r.Top, FWorkBitmap.get());
        return;
    }
    switch (FDrawStyle) {
    case idsStretched:
    case idsProportional:
        c->StretchDraw(r, FWorkBitmap.get());
        break;
    case idsTiled:
        FWorkBitmap->TileDraw(c, r);
        break;
    default:
        c->Draw(r.Left, r.Top, FWorkBitmap.get());
        break;
    }
}
