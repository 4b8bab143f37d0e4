#pragma once
// The pixel engine of the fx controls: a graphic that always holds its image as 24-bit
// top-down rows of blue-green-red bytes (rows padded to 4 bytes), draws itself plainly,
// stretched (plain or smooth), tiled or with one colour transparent, and changes its own
// pixels in place by a fixed set of effects.

#include "controls/fxChangeLink.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Palettes.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// Colour-table entry: blue, green, red, reserved.
struct TFxRGBQuad {
    uint8_t Blue = 0;
    uint8_t Green = 0;
    uint8_t Red = 0;
    uint8_t Reserved = 0;
};

class TFxBitmap : public TGraphic {
    ORV_CLASS(TFxBitmap, TGraphic)
public:
    TFxBitmap();
    ~TFxBitmap() override;

    // ---- Graphic
    bool Empty() const override { return IsBlank(); }
    bool IsBlank() const { return FImageWidth == 0 || FImageHeight == 0; }
    int Width() const override { return FImageWidth; }
    int Height() const override { return FImageHeight; }
    int ImageWidth() const { return FImageWidth; }
    int ImageHeight() const { return FImageHeight; }
    void SetWidth(int value) override { ResizeWidth(value); }
    void SetHeight(int value) override { ResizeHeight(value); }
    void DrawOnCanvas(TCanvas* canvas, const TRect& r) const override;
    // The standard bitmap file format (through a class-library bitmap).
    void LoadFromBytes(const std::vector<uint8_t>& bytes) override;
    std::vector<uint8_t> SaveToBytes() const override;
    void AssignFrom(const TPersistent* source) override;

    // ---- Layout of the pixels
    int RowPadding() const { return FImageWidth % 4; }
    int RowStride() const { return 3 * FImageWidth + FImageWidth % 4; }
    int ImageSize() const { return RowStride() * FImageHeight; }
    // First byte of the pixel memory (nullptr when empty); row i starts at
    // Bits() + i * RowStride(), row 0 at the top.
    uint8_t* Bits();
    const uint8_t* Bits() const;
    uint8_t* ScanLine(int row) { return Bits() + size_t(row) * size_t(RowStride()); }
    const uint8_t* ScanLine(int row) const { return Bits() + size_t(row) * size_t(RowStride()); }
    // The colour (0x00BBGGRR) of a pixel; clNone outside the image.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);
    // The drawing surface on the pixels (no device while the image is empty).
    TCanvas* Canvas();
    // The class-library bitmap that holds the pixels (24 bits).
    const TBitmap* Dib() const { return &FDib; }

    // ---- Options
    bool SmoothStretch() const { return FSmoothStretch; }
    void SetSmoothStretch(bool value) { FSmoothStretch = value; }
    TColor TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(TColor value);
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat value) { FPixelFormat = value; }
    bool UsePalette() const { return FUsePalette; }
    void SetUsePalette(bool value) { FUsePalette = value; }
    bool Updating() const { return FUpdating; }
    void SetUpdating(bool value) { FUpdating = value; }
    std::array<TFxRGBQuad, 256>& ColorTable() { return FColorTable; }
    // The colour keyed out by masks: TransparentColor, or the top-left pixel's colour.
    TColor KeyColor() const;
    bool HasStash() const { return !FStashedBits.empty(); }
    int StashedWidth() const { return FStashedWidth; }
    int StashedHeight() const { return FStashedHeight; }

    // Runs the change event and the change links, unless Updating.
    void SignalChange(TObject* sender);

    // ---- Life of the image
    virtual void FreeImage();
    virtual void BuildScanLines();
    virtual void NotifyChangeLinks();
    virtual void CreateColorPalette();
    virtual void AddChangeLink(TFxChangeLink* link);
    virtual void RemoveChangeLink(TFxChangeLink* link);
    virtual void ReleaseImage();
    virtual void DiscardStashedImage();
    virtual void AllocateImage(int width, int height);
    virtual void LoadFromBitmap(const TBitmap* bitmap);
    virtual void LoadFromGraphic(const TGraphic* graphic);
    virtual void LoadFromPersistent(const TPersistent* source);
    // Pixels: size bytes of 24-bit rows laid out as this class lays them out.
    virtual void LoadFromPixels(const uint8_t* pixels, int size, int width, int height);
    virtual void CopyToBitmap(TBitmap* bitmap) const;
    virtual void EnsureSize(int width, int height);
    virtual void StretchToSize(int width, int height);
    virtual void StashImage();
    virtual void SmoothStretchDraw(TCanvas* canvas, const TRect& r) const;
    virtual void PlainStretchDraw(TCanvas* canvas, const TRect& r) const;
    virtual void TileDraw(TCanvas* canvas, const TRect& r) const;
    virtual void TransparentDraw(TCanvas* canvas, const TRect& r) const;
    virtual void UnstashImage();
    void ResizeWidth(int value) { EnsureSize(value, FImageHeight); }
    void ResizeHeight(int value) { EnsureSize(FImageWidth, value); }

    // ---- Effects (in place; nothing on an empty image)
    virtual void Blur(int radius);
    virtual void ApplyContrast(int amount);
    virtual void ApplyEmboss();
    virtual void Flip(bool horizontal);
    virtual void ApplyGaussianBlur(int amount);
    virtual void ApplyGrayScale();
    virtual void ApplyInvert();
    virtual void ApplyLightness(int amount);
    // Pixels of the key colour (0x00BBGGRR) black, all others white.
    virtual void MaskFromColor(TColor key);
    virtual void ApplyTint(int red, int green, int blue);
    virtual void ApplyColorize(int red, int green, int blue);
    // Center (-1 for the image's centre), angle in degrees.
    virtual void Rotate(TPoint center, double angle);
    virtual void ApplySaturation(int amount);
    virtual void ApplySharpen(int amount);
    virtual void ApplySponge(int amount);
    virtual void ApplyWave(bool wrap, double xDiv, double yDiv, double ratio);
    // Blends another image of this size (or stretched to it) by amount/256; raises
    // EInvalidOperation when the sizes differ and stretchToFit is false.
    void AlphaBlend(TFxBitmap* blend, int amount, bool stretchToFit);

    // The monochrome mask of transparent drawing (key colour black, others white); built
    // on first use and kept until the image is freed.
    const TBitmap* MaskBitmap() const;

protected:
    void CopyInto(TPersistent* dest) const override;
    void Changed() override;

private:
    TBitmap FDib; // the 24-bit pixels and the canvas on them
    bool FSmoothStretch = false;
    TColor FTransparentColor = clNone;
    int FImageWidth = 0;
    int FImageHeight = 0;
    mutable std::unique_ptr<TBitmap> FMaskCache;
    std::vector<uint8_t> FStashedBits;
    int FStashedWidth = 0;
    int FStashedHeight = 0;
    TPixelFormat FPixelFormat = pf24bit;
    mutable HPALETTE FPaletteHandle = 0;
    bool FUsePalette = false;
    bool FUpdating = false;
    TFxChangeLinks FChangeLinks;
    mutable bool FDrawingToBitmap = false;
    std::array<TFxRGBQuad, 256> FColorTable{};
};
