#include "controls/fxBitmap.h"

#include "controls/fxGraphics.h"
#include "framework/core/SystemUtils.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Round half to even, as the run-time library rounds.
int RoundInt(double v) {
    return int(std::nearbyint(v));
}

int Clamp(int v, int lo, int hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

// The effects' arguments beyond this size act as this size does (every channel value has
// reached 0 or 255 long before), and products of it with a channel value fit an int.
constexpr int kMaxEffectAmount = 1 << 16;

int ClampAmount(int amount) {
    return Clamp(amount, -kMaxEffectAmount, kMaxEffectAmount);
}

// The random source of the sponge effect: one per run, like the run-time library's.
std::minstd_rand& RandomSource() {
    static std::minstd_rand rng(1);
    return rng;
}

// A random number in 0 .. n - 1 (0 for n <= 0).
int64_t RandomBelow(int64_t n) {
    if (n <= 0)
        return 0;
    return int64_t(RandomSource()() % uint64_t(n));
}

// Addresses the pixels of an image with the coordinates clamped to it, so that a
// neighbourhood reaching past an edge reads the edge pixel. Coordinates are 64-bit, so
// that offsets of any int radius or amount can be added without overflow.
struct TClampedPixels {
    explicit TClampedPixels(TFxBitmap& bmp)
        : bits(bmp.Bits()), stride(bmp.RowStride()), w(bmp.ImageWidth()), h(bmp.ImageHeight()) {}
    uint8_t* operator()(int64_t x, int64_t y) const {
        return bits + size_t(std::clamp<int64_t>(y, 0, h - 1)) * size_t(stride) +
               3 * size_t(std::clamp<int64_t>(x, 0, w - 1));
    }
    uint8_t* bits;
    int stride, w, h;
};

// Runs fn(pixel) over every pixel, row by row from the top.
template <class F> void ForEachPixel(TFxBitmap& bmp, F fn) {
    uint8_t* bits = bmp.Bits();
    int stride = bmp.RowStride(), w = bmp.ImageWidth();
    for (int y = 0; y < bmp.ImageHeight(); ++y) {
        uint8_t* p = bits + size_t(y) * size_t(stride);
        for (int x = 0; x < w; ++x, p += 3)
            fn(p);
    }
}

void ApplyTable(TFxBitmap& bmp, const uint8_t* table) {
    ForEachPixel(bmp, [table](uint8_t* p) {
        p[0] = table[p[0]];
        p[1] = table[p[1]];
        p[2] = table[p[2]];
    });
}

} // namespace

TFxBitmap::TFxBitmap() {
    FDib.SetPixelFormat(pf24bit);
}

TFxBitmap::~TFxBitmap() {
    FChangeLinks.Clear();
    DiscardStashedImage();
    FUpdating = true; // nobody is told of the end
    FreeImage();
}

uint8_t* TFxBitmap::Bits() {
    return IsBlank() ? nullptr : FDib.ScanLine(0);
}

const uint8_t* TFxBitmap::Bits() const {
    return IsBlank() ? nullptr : static_cast<const TBitmap&>(FDib).ScanLine(0);
}

TColor TFxBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= FImageWidth || y >= FImageHeight)
        return clNone;
    const uint8_t* p = ScanLine(y) + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

void TFxBitmap::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= FImageWidth || y >= FImageHeight)
        return;
    color = ColorToRGB(color);
    uint8_t* p = ScanLine(y) + 3 * x;
    p[0] = uint8_t(GetBValue(color));
    p[1] = uint8_t(GetGValue(color));
    p[2] = uint8_t(GetRValue(color));
}

TCanvas* TFxBitmap::Canvas() {
    return FDib.Canvas();
}

void TFxBitmap::SetTransparentColor(TColor value) {
    if (FTransparentColor == value)
        return;
    FTransparentColor = value;
    FMaskCache.reset();
}

TColor TFxBitmap::KeyColor() const {
    if (FTransparentColor != clNone)
        return ColorToRGB(FTransparentColor);
    return Pixel(0, 0);
}

// ---------------------------------------------------------------------------
// Change notification

void TFxBitmap::Changed() {
    SignalChange(this);
}

void TFxBitmap::SignalChange(TObject* /*sender*/) {
    if (FUpdating)
        return;
    TGraphic::Changed();
    NotifyChangeLinks();
}

void TFxBitmap::NotifyChangeLinks() {
    FChangeLinks.Fire(this, &TFxChangeLink::FireChange);
}

void TFxBitmap::AddChangeLink(TFxChangeLink* link) {
    FChangeLinks.Add(link);
}

void TFxBitmap::RemoveChangeLink(TFxChangeLink* link) {
    FChangeLinks.Remove(link);
}

// ---------------------------------------------------------------------------
// Life of the image

void TFxBitmap::FreeImage() {
    FDib.SetSize(0, 0);
    FMaskCache.reset();
    FImageWidth = FImageHeight = 0;
}

void TFxBitmap::ReleaseImage() {
    FreeImage();
}

void TFxBitmap::BuildScanLines() {
    FImageWidth = FDib.Width();
    FImageHeight = FDib.Height();
    if (FDib.Empty())
        FreeImage();
    SignalChange(this);
}

void TFxBitmap::AllocateImage(int width, int height) {
    FreeImage();
    if (width > 0 && height > 0)
        FDib.SetSize(width, height); // a new image is white
    BuildScanLines();
}

void TFxBitmap::EnsureSize(int width, int height) {
    if (width != FImageWidth || height != FImageHeight)
        AllocateImage(width, height);
}

void TFxBitmap::StretchToSize(int width, int height) {
    if (width == FImageWidth && height == FImageHeight)
        return;
    TFxBitmap copy;
    copy.AssignFrom(this);
    AllocateImage(width, height);
    if (!IsBlank())
        Canvas()->StretchDraw(TRect(0, 0, width, height), &copy);
    FDib.Canvas()->ReleasePainter();
}

void TFxBitmap::StashImage() {
    DiscardStashedImage();
    if (!IsBlank()) {
        const uint8_t* bits = Bits();
        FStashedBits.assign(bits, bits + ImageSize());
        FStashedWidth = FImageWidth;
        FStashedHeight = FImageHeight;
    }
    FreeImage();
}

void TFxBitmap::UnstashImage() {
    if (FStashedBits.empty())
        return;
    std::vector<uint8_t> bits = std::move(FStashedBits);
    int w = FStashedWidth, h = FStashedHeight;
    DiscardStashedImage();
    LoadFromPixels(bits.data(), int(bits.size()), w, h);
}

void TFxBitmap::DiscardStashedImage() {
    FStashedBits.clear();
    FStashedBits.shrink_to_fit();
    FStashedWidth = FStashedHeight = 0;
}

void TFxBitmap::CreateColorPalette() {
    if (FPaletteHandle || (FColorTable[0].Red == 0 && FColorTable[0].Green == 0 &&
                           FColorTable[0].Blue == 0 && FColorTable[0].Reserved == 0))
        return;
    TLogPalette pal;
    for (const TFxRGBQuad& q : FColorTable)
        pal.Entries.push_back({q.Red, q.Green, q.Blue, 0});
    FPaletteHandle = ::CreatePalette(pal);
}

// ---------------------------------------------------------------------------
// Loading and copying

void TFxBitmap::LoadFromBitmap(const TBitmap* bitmap) {
    FreeImage();
    if (bitmap && !bitmap->Empty()) {
        FDib.CopyPixels(bitmap);
        FPixelFormat = bitmap->PixelFormat() == pfCustom ? pf24bit : bitmap->PixelFormat();
    }
    FColorTable.fill(TFxRGBQuad());
    BuildScanLines();
}

void TFxBitmap::LoadFromGraphic(const TGraphic* graphic) {
    if (!graphic || graphic->Empty()) {
        LoadFromBitmap(nullptr);
        return;
    }
    TBitmap tmp(graphic->Width(), graphic->Height());
    tmp.Canvas()->Draw(0, 0, graphic);
    tmp.Canvas()->ReleasePainter();
    LoadFromBitmap(&tmp);
}

void TFxBitmap::LoadFromPersistent(const TPersistent* source) {
    if (auto* g = dynamic_cast<const TGraphic*>(source)) {
        LoadFromGraphic(g);
        return;
    }
    TBitmap tmp;
    tmp.AssignFrom(source);
    LoadFromBitmap(&tmp);
}

void TFxBitmap::LoadFromPixels(const uint8_t* pixels, int size, int width, int height) {
    FreeImage();
    if (width > 0 && height > 0) {
        FDib.SetSize(width, height);
        FImageWidth = width;
        FImageHeight = height;
        if (pixels && size > 0)
            std::memcpy(Bits(), pixels, size_t(std::min(size, ImageSize())));
    }
    BuildScanLines();
}

void TFxBitmap::CopyToBitmap(TBitmap* bitmap) const {
    if (!bitmap)
        return;
    bitmap->SetPixelFormat(FPixelFormat);
    if (IsBlank()) {
        bitmap->SetSize(0, 0);
        return;
    }
    // The pixels as they are: the transparency of this image is not applied.
    FDrawingToBitmap = true;
    bitmap->CopyPixels(&FDib);
    FDrawingToBitmap = false;
}

void TFxBitmap::LoadFromBytes(const std::vector<uint8_t>& bytes) {
    TBitmap tmp;
    tmp.LoadFromBytes(bytes);
    LoadFromBitmap(&tmp);
}

std::vector<uint8_t> TFxBitmap::SaveToBytes() const {
    TBitmap tmp;
    CopyToBitmap(&tmp);
    return tmp.SaveToBytes();
}

void TFxBitmap::AssignFrom(const TPersistent* source) {
    if (auto* b = dynamic_cast<const TBitmap*>(source)) {
        if (b->Empty()) {
            FreeImage();
            SignalChange(this);
            return;
        }
        FPixelFormat = b->PixelFormat();
        LoadFromBitmap(b);
        SetTransparent(b->Transparent());
        return;
    }
    if (!source) {
        FreeImage();
        SignalChange(this);
        return;
    }
    if (dynamic_cast<const TFxBitmap*>(source) || !dynamic_cast<const TGraphic*>(source)) {
        TGraphic::AssignFrom(source);
        return;
    }
    LoadFromPersistent(source);
}

void TFxBitmap::CopyInto(TPersistent* dest) const {
    if (auto* b = dynamic_cast<TBitmap*>(dest)) {
        CopyToBitmap(b);
        b->SetTransparent(Transparent());
        if (!IsBlank())
            b->SetTransparentColor(KeyColor());
        return;
    }
    if (auto* f = dynamic_cast<TFxBitmap*>(dest)) {
        if (IsBlank()) {
            f->FreeImage();
        } else {
            bool was = f->FUpdating;
            f->FUpdating = true;
            f->FUsePalette = FUsePalette;
            f->AllocateImage(FImageWidth, FImageHeight);
            std::memcpy(f->Bits(), Bits(), size_t(ImageSize()));
            f->SetTransparent(Transparent());
            f->FSmoothStretch = FSmoothStretch;
            f->SetTransparentColor(FTransparentColor);
            f->FPixelFormat = FPixelFormat;
            f->FColorTable = FColorTable;
            f->FUpdating = was;
        }
        f->SignalChange(f);
        return;
    }
    TGraphic::CopyInto(dest);
}

// ---------------------------------------------------------------------------
// Drawing

void TFxBitmap::DrawOnCanvas(TCanvas* canvas, const TRect& r) const {
    if (!canvas || IsBlank())
        return;
    bool palette = ScreenBitsPerPixel() <= 8 && FUsePalette;
    HPALETTE old = 0;
    if (palette) {
        const_cast<TFxBitmap*>(this)->CreateColorPalette();
        old = SelectPalette(canvas, FPaletteHandle, false);
        RealizePalette(canvas);
    }
    if (r.Width() == FImageWidth && r.Height() == FImageHeight) {
        if (Transparent() && !FDrawingToBitmap)
            TransparentDraw(canvas, r);
        else
            canvas->StretchBltBitmap(r, &FDib, TRect(0, 0, FImageWidth, FImageHeight), SRCCOPY);
    } else if (FSmoothStretch) {
        SmoothStretchDraw(canvas, r);
    } else {
        PlainStretchDraw(canvas, r);
    }
    if (palette) {
        SelectPalette(canvas, old, true);
        DeletePalette(FPaletteHandle);
        FPaletteHandle = 0;
    }
}

const TBitmap* TFxBitmap::MaskBitmap() const {
    if (!FMaskCache && !IsBlank()) {
        TFxBitmap copy;
        copy.SetUpdating(true);
        copy.AllocateImage(FImageWidth, FImageHeight);
        std::memcpy(copy.Bits(), Bits(), size_t(ImageSize()));
        copy.MaskFromColor(KeyColor());
        auto mask = std::make_unique<TBitmap>();
        copy.CopyToBitmap(mask.get());
        mask->SetMonochrome(true);
        FMaskCache = std::move(mask);
    }
    return FMaskCache.get();
}

void TFxBitmap::TransparentDraw(TCanvas* canvas, const TRect& r) const {
    if (IsBlank())
        return;
    const TBitmap* mask = MaskBitmap();
    TRect src(0, 0, FImageWidth, FImageHeight);
    TColor bk = canvas->BkColor(), text = canvas->TextColor();
    canvas->SetBkColor(clWhite);
    canvas->SetTextColor(clBlack);
    // Image xor, mask and-not, image xor: white mask pixels show the image, black ones keep
    // what was there.
    canvas->StretchBltBitmap(r, &FDib, src, SRCINVERT);
    canvas->StretchBltBitmap(r, mask, src, ROP_DSNA, true);
    canvas->StretchBltBitmap(r, &FDib, src, SRCINVERT);
    canvas->SetBkColor(bk);
    canvas->SetTextColor(text);
}

void TFxBitmap::PlainStretchDraw(TCanvas* canvas, const TRect& r) const {
    if (IsBlank())
        return;
    TRect src(0, 0, FImageWidth, FImageHeight);
    if (Transparent()) {
        TFxBitmap tmp;
        tmp.SetUpdating(true);
        tmp.AllocateImage(r.Width(), r.Height());
        if (tmp.IsBlank())
            return;
        tmp.Canvas()->StretchBltBitmap(TRect(0, 0, r.Width(), r.Height()), &FDib, src, SRCCOPY);
        tmp.Canvas()->ReleasePainter();
        tmp.SetTransparentColor(FTransparentColor != clNone ? FTransparentColor : KeyColor());
        tmp.TransparentDraw(canvas, r);
        return;
    }
    canvas->StretchBltBitmap(r, &FDib, src, SRCCOPY);
}

void TFxBitmap::SmoothStretchDraw(TCanvas* canvas, const TRect& r) const {
    int dw = r.Width(), dh = r.Height();
    if (dw < 1 || dh < 1 || IsBlank())
        return;
    TFxBitmap tmp;
    tmp.SetUpdating(true);
    tmp.AllocateImage(dw, dh);
    int sw = FImageWidth, sh = FImageHeight;
    int xStep = int((int64_t(sw - 1) * 32768) / dw);
    int yStep = int((int64_t(sh - 1) * 32768) / dh);
    const uint8_t* src = Bits();
    int sStride = RowStride();
    uint8_t* dst = tmp.Bits();
    int dStride = tmp.RowStride();
    for (int row = 0; row < dh; ++row) {
        int64_t y = int64_t(row) * yStep;
        int y0 = int(y >> 15);
        int fy = int(y & 0x7FFF);
        int wy = 0x8000 - fy;
        const uint8_t* upper = src + size_t(y0) * size_t(sStride);
        // The lower row is read only when it has a weight and exists.
        const uint8_t* lower = (fy != 0 && y0 + 1 < sh) ? upper + sStride : upper;
        uint8_t* out = dst + size_t(row) * size_t(dStride);
        for (int col = 0; col < dw; ++col, out += 3) {
            int64_t x = int64_t(col) * xStep;
            int x0 = int(x >> 15);
            int fx = int(x & 0x7FFF);
            int tr = (fx * wy) >> 15;
            int tl = wy - tr;
            int br = (fx * fy) >> 15;
            int bl = fy - br;
            int x1 = (fx != 0 && x0 + 1 < sw) ? x0 + 1 : x0;
            const uint8_t* ul = upper + 3 * x0;
            const uint8_t* ur = upper + 3 * x1;
            const uint8_t* ll = lower + 3 * x0;
            const uint8_t* lr = lower + 3 * x1;
            for (int c = 0; c < 3; ++c)
                out[c] = uint8_t((tl * ul[c] + tr * ur[c] + bl * ll[c] + br * lr[c]) >> 15);
        }
    }
    if (Transparent()) {
        tmp.SetTransparentColor(FTransparentColor != clNone ? FTransparentColor : KeyColor());
        tmp.TransparentDraw(canvas, r);
    } else {
        canvas->StretchBltBitmap(r, &tmp.FDib, TRect(0, 0, dw, dh), SRCCOPY);
    }
}

void TFxBitmap::TileDraw(TCanvas* canvas, const TRect& r) const {
    if (IsBlank())
        return;
    for (int y = 0; y < r.Bottom; y += FImageHeight)
        for (int x = 0; x < r.Right; x += FImageWidth)
            DrawOnCanvas(canvas, TRect(x - r.Left, y - r.Top, x - r.Left + FImageWidth,
                                       y - r.Top + FImageHeight));
}

// ---------------------------------------------------------------------------
// Effects

void TFxBitmap::ApplyLightness(int amount) {
    if (IsBlank())
        return;
    amount = ClampAmount(amount);
    uint8_t table[256];
    for (int c = 0; c < 256; ++c)
        table[c] = amount > 0 ? ClampByte(c + (((255 - c) * amount) >> 8))
                              : ClampByte(c - ((std::abs(amount) * c) >> 8));
    ApplyTable(*this, table);
}

void TFxBitmap::ApplyContrast(int amount) {
    if (IsBlank())
        return;
    amount = ClampAmount(amount);
    uint8_t table[256];
    for (int c = 0; c < 256; ++c) {
        int d = (std::abs(128 - c) * amount) / 256;
        table[c] = ClampByte(c <= 126 ? c - d : c + d);
    }
    ApplyTable(*this, table);
}

void TFxBitmap::ApplyGrayScale() {
    if (IsBlank())
        return;
    uint8_t third[256];
    for (int c = 0; c < 256; ++c)
        third[c] = uint8_t(c / 3);
    ForEachPixel(*this, [&third](uint8_t* p) {
        uint8_t g = uint8_t(third[p[0]] + third[p[1]] + third[p[2]]);
        p[0] = p[1] = p[2] = g;
    });
}

void TFxBitmap::ApplySaturation(int amount) {
    if (IsBlank())
        return;
    int table[256];
    for (int v = 0; v < 256; ++v)
        table[v] = int(uint16_t((int64_t(v) * amount) >> 8));
    ForEachPixel(*this, [&table](uint8_t* p) {
        int g = p[0] / 3 + p[1] / 3 + p[2] / 3;
        for (int c = 0; c < 3; ++c)
            p[c] = ClampByte(g + table[p[c]] - table[g]);
    });
}

void TFxBitmap::ApplyInvert() {
    if (IsBlank())
        return;
    ForEachPixel(*this, [](uint8_t* p) {
        p[0] = uint8_t(255 - p[0]);
        p[1] = uint8_t(255 - p[1]);
        p[2] = uint8_t(255 - p[2]);
    });
}

void TFxBitmap::ApplyTint(int red, int green, int blue) {
    if (IsBlank())
        return;
    red = ClampAmount(red);
    green = ClampAmount(green);
    blue = ClampAmount(blue);
    uint8_t tb[256], tg[256], tr[256];
    for (int c = 0; c < 256; ++c) {
        tb[c] = ClampByte(c + blue);
        tg[c] = ClampByte(c + green);
        tr[c] = ClampByte(c + red);
    }
    ForEachPixel(*this, [&](uint8_t* p) {
        p[0] = tb[p[0]];
        p[1] = tg[p[1]];
        p[2] = tr[p[2]];
    });
}

void TFxBitmap::ApplyColorize(int red, int green, int blue) {
    if (IsBlank())
        return;
    red = ClampAmount(red);
    green = ClampAmount(green);
    blue = ClampAmount(blue);
    bool skip = FTransparentColor != clNone;
    TColor key = skip ? ColorToRGB(FTransparentColor) : 0;
    uint8_t kb = uint8_t(GetBValue(key)), kg = uint8_t(GetGValue(key)),
            kr = uint8_t(GetRValue(key));
    ForEachPixel(*this, [&](uint8_t* p) {
        if (skip && p[0] == kb && p[1] == kg && p[2] == kr)
            return;
        p[0] = ClampByte(p[0] - 192 + blue);
        p[1] = ClampByte(p[1] - 192 + green);
        p[2] = ClampByte(p[2] - 192 + red);
    });
}

void TFxBitmap::ApplyEmboss() {
    if (IsBlank())
        return;
    int w = FImageWidth, h = FImageHeight, stride = RowStride();
    uint8_t* bits = Bits();
    // The second pixel of the last row, as it was before the pass.
    const uint8_t* lastRow = bits + size_t(h - 1) * size_t(stride);
    uint8_t lastPixel[3];
    std::memcpy(lastPixel, lastRow + 3 * std::min(1, w - 1), 3);
    for (int y = 0; y < h; ++y) {
        uint8_t* p = bits + size_t(y) * size_t(stride);
        const uint8_t* below = y + 1 < h ? p + stride : p;
        for (int x = 0; x < w; ++x, p += 3) {
            const uint8_t* n = y >= h - 2 ? lastPixel : below + 3 * std::min(x + 1, w - 1);
            for (int c = 0; c < 3; ++c)
                p[c] = uint8_t(((255 - n[c]) + p[c]) >> 1);
        }
    }
}

void TFxBitmap::Blur(int radius) {
    if (IsBlank())
        return;
    TClampedPixels at(*this);
    for (int y = 0; y < at.h; ++y)
        for (int x = 0; x < at.w; ++x) {
            const int64_t r = radius;
            const uint8_t* a = at(x - r, y - r);
            const uint8_t* b = at(x + r, y - r);
            const uint8_t* c = at(x - r, y + r);
            const uint8_t* d = at(x + r, y + r);
            uint8_t* p = at(x, y);
            for (int k = 0; k < 3; ++k)
                p[k] = uint8_t((a[k] + b[k] + c[k] + d[k]) >> 2);
        }
}

void TFxBitmap::ApplyGaussianBlur(int amount) {
    if (IsBlank())
        return;
    // Every radius from the image's size up reads only the four corner pixels: those
    // passes are one and the same, so once it changes nothing the rest are skipped.
    const int reach = std::max(FImageWidth, FImageHeight);
    int r = amount;
    std::vector<uint8_t> before;
    for (; r > reach; --r) {
        before.assign(Bits(), Bits() + ImageSize());
        Blur(reach);
        if (std::equal(before.begin(), before.end(), Bits()))
            r = reach + 1;
    }
    for (; r >= 1; --r)
        Blur(r);
}

void TFxBitmap::ApplySharpen(int amount) {
    if (IsBlank())
        return;
    TClampedPixels at(*this);
    for (int y = 0; y < at.h; ++y)
        for (int x = 0; x < at.w; ++x) {
            int sum[3] = {0, 0, 0};
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    if (dx == 0 && dy == 0)
                        continue;
                    const uint8_t* n = at(x + dx * int64_t(amount), y + dy * int64_t(amount));
                    for (int k = 0; k < 3; ++k)
                        sum[k] += n[k];
                }
            uint8_t* p = at(x, y);
            for (int k = 0; k < 3; ++k)
                p[k] = ClampByte((256 * p[k] - 16 * sum[k]) / 128);
        }
}

void TFxBitmap::ApplySponge(int amount) {
    if (IsBlank())
        return;
    TClampedPixels at(*this);
    for (int y = 0; y < at.h; ++y)
        for (int x = 0; x < at.w; ++x) {
            const int64_t k = RandomBelow(amount);
            const int64_t dx = RandomBelow(2 * k), dy = RandomBelow(2 * k);
            std::memmove(at(x, y), at(x + k - dx, y + k - dy), 3);
        }
}

void TFxBitmap::MaskFromColor(TColor key) {
    if (IsBlank())
        return;
    key = ColorToRGB(key);
    uint8_t kb = uint8_t(GetBValue(key)), kg = uint8_t(GetGValue(key)),
            kr = uint8_t(GetRValue(key));
    ForEachPixel(*this, [&](uint8_t* p) {
        uint8_t v = (p[0] == kb && p[1] == kg && p[2] == kr) ? 0 : 255;
        p[0] = p[1] = p[2] = v;
    });
}

void TFxBitmap::Flip(bool horizontal) {
    if (IsBlank())
        return;
    int w = FImageWidth, h = FImageHeight, stride = RowStride();
    uint8_t* bits = Bits();
    if (horizontal) {
        for (int y = 0; y < h; ++y) {
            uint8_t* row = bits + size_t(y) * size_t(stride);
            for (int i = 0; i <= (w - 1) / 2; ++i)
                std::swap_ranges(row + 3 * i, row + 3 * i + 3, row + 3 * (w - 1 - i));
        }
    } else {
        std::vector<uint8_t> buffer(static_cast<size_t>(stride));
        for (int i = 0; i <= (h - 1) / 2; ++i) {
            uint8_t* a = bits + size_t(i) * size_t(stride);
            uint8_t* b = bits + size_t(h - 1 - i) * size_t(stride);
            std::memcpy(buffer.data(), a, size_t(stride));
            std::memcpy(a, b, size_t(stride));
            std::memcpy(b, buffer.data(), size_t(stride));
        }
    }
}

void TFxBitmap::ApplyWave(bool wrap, double xDiv, double yDiv, double ratio) {
    if (IsBlank() || xDiv == 0 || yDiv == 0)
        return;
    int w = FImageWidth, h = FImageHeight, stride = RowStride();
    uint8_t* bits = Bits();
    std::vector<uint8_t> out(size_t(ImageSize()), 0xFF);
    std::vector<int> shift(static_cast<size_t>(h));
    for (int j = 0; j < h; ++j)
        shift[size_t(j)] = RoundInt(ratio * std::sin(j / yDiv));
    for (int d = 0; d < w; ++d) {
        int f = RoundInt(ratio * std::sin(d / xDiv));
        if (!wrap) {
            for (int j = 0; j < h; ++j) {
                int srow = f + j;
                if (srow >= h - 1)
                    break; // at or past the last row: the rest of the column stays white
                int g = d + shift[size_t(j)];
                if (srow < 0 || g < 0 || g >= w)
                    continue;
                std::memcpy(out.data() + size_t(j) * size_t(stride) + 3 * d,
                            bits + size_t(srow) * size_t(stride) + 3 * g, 3);
            }
            continue;
        }
        // Wrapped: the start row is brought into the image (a one-row image wraps by its
        // height), then rows and columns run round.
        if (f < 0)
            f = h - 1 - ((-f) % h);
        else if (f >= h)
            f = h > 1 ? f % (h - 1) : f % h;
        int srow = f;
        for (int j = 0; j < h; ++j) {
            int g = d + shift[size_t(j)];
            if (g < 0)
                g = w - 1 - ((-g) % w);
            else if (g >= w)
                g = g % w;
            std::memcpy(out.data() + size_t(j) * size_t(stride) + 3 * d,
                        bits + size_t(srow) * size_t(stride) + 3 * g, 3);
            if (++srow >= h)
                srow = 0;
        }
    }
    std::memcpy(bits, out.data(), out.size());
}

void TFxBitmap::Rotate(TPoint center, double angle) {
    if (IsBlank())
        return;
    int w = FImageWidth, h = FImageHeight, stride = RowStride();
    int cx = center.X < 0 ? w / 2 : center.X;
    int cy = center.Y < 0 ? h / 2 : center.Y;
    uint8_t* bits = Bits();
    std::vector<uint8_t> out(static_cast<size_t>(ImageSize()));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            std::memcpy(out.data() + size_t(y) * size_t(stride) + 3 * x, bits, 3);
    double theta = -angle * kPi / 180.0;
    double cs = std::cos(theta), sn = std::sin(theta);
    for (int y = 0; y < h; ++y) {
        int v = 2 * (y - cy) + 1;
        for (int x = 0; x < w; ++x) {
            int u = 2 * (x - cx) + 1;
            int sx = cx + (RoundInt(u * cs - v * sn) - 1) / 2;
            int sy = cy + (RoundInt(u * sn + v * cs) - 1) / 2;
            if (sx < 0 || sy < 0 || sx >= w || sy >= h)
                continue;
            std::memcpy(out.data() + size_t(y) * size_t(stride) + 3 * x,
                        bits + size_t(sy) * size_t(stride) + 3 * sx, 3);
        }
    }
    std::memcpy(bits, out.data(), out.size());
}

void TFxBitmap::AlphaBlend(TFxBitmap* blend, int amount, bool stretchToFit) {
    if (IsBlank() || !blend || blend->IsBlank())
        return;
    TFxBitmap stretched;
    TFxBitmap* src = blend;
    if (blend->ImageWidth() != FImageWidth || blend->ImageHeight() != FImageHeight) {
        if (!stretchToFit)
            throw EInvalidOperation(
                "In Alpha Blend, Blend Bitmap must be same dimensions as Current Bitmap");
        stretched.SetUpdating(true);
        stretched.AllocateImage(FImageWidth, FImageHeight);
        stretched.SetTransparent(blend->Transparent());
        bool was = blend->Transparent();
        bool updating = blend->Updating();
        blend->SetUpdating(true);
        blend->SetTransparent(false);
        stretched.Canvas()->StretchDraw(TRect(0, 0, FImageWidth, FImageHeight), blend);
        stretched.Canvas()->ReleasePainter();
        blend->SetTransparent(was);
        blend->SetUpdating(updating);
        src = &stretched;
    }
    bool keyed = src->Transparent();
    const uint8_t* sb = src->Bits();
    uint8_t key[3] = {sb[0], sb[1], sb[2]};
    uint8_t* bits = Bits();
    int stride = RowStride(), sStride = src->RowStride();
    for (int y = 0; y < FImageHeight; ++y) {
        uint8_t* p = bits + size_t(y) * size_t(stride);
        const uint8_t* b = sb + size_t(y) * size_t(sStride);
        for (int x = 0; x < FImageWidth; ++x, p += 3, b += 3) {
            if (keyed && b[0] == key[0] && b[1] == key[1] && b[2] == key[2])
                continue;
            for (int c = 0; c < 3; ++c)
                p[c] = uint8_t(p[c] + ((int64_t(amount) * (b[c] - p[c])) >> 8));
        }
    }
}
