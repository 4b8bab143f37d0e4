#pragma once
// A bit button whose face and window shape come from a picture: an up image and an
// optional down image, or those of another image button or an imager. Pixels of the key
// colour are outside the button; the face gets a bevel that follows the image's outline.

#include "controls/fxBitmap.h"
#include "controls/fxButton.h"
#include "controls/fxChangeLink.h"

#include <memory>
#include <optional>

enum TFxDitherStyle { dsDither, dsBlendDither, dsFill };

// TransparentColor value that turns transparency off: the button stays rectangular.
constexpr TColor kFxNoTransparency = 0x0FFFFFFF;

class TFxImgDownOffsets : public TFxOffsets {
    ORV_CLASS(TFxImgDownOffsets, TFxOffsets)
public:
    explicit TFxImgDownOffsets(TFxCustomBitBtn* button = nullptr) : TFxOffsets(button) {}
    static void Publish(TPublisher<TFxImgDownOffsets>& p);
    int ImageDownX() const { return FImageDownX; }
    void SetImageDownX(int value) { Set(FImageDownX, value); }
    int ImageDownY() const { return FImageDownY; }
    void SetImageDownY(int value) { Set(FImageDownY, value); }

protected:
    void CopyInto(TPersistent* dest) const override;

private:
    int FImageDownX = 2;
    int FImageDownY = 2;
};

class TFxCustomImageBtn : public TFxCustomBitBtn {
    ORV_CLASS(TFxCustomImageBtn, TFxCustomBitBtn)
public:
    explicit TFxCustomImageBtn(TComponent* owner);
    ~TFxCustomImageBtn() override;
    static void Publish(TPublisher<TFxCustomImageBtn>& p);

    TColor DitherColor() const { return FDitherColor; }
    void SetDitherColor(TColor value);
    TFxDitherStyle DitherStyle() const { return FDitherStyle; }
    void SetDitherStyle(TFxDitherStyle value);
    TFxBitmap* Image() const { return FImage.get(); }
    void SetImage(const TFxBitmap* value);
    TFxBitmap* ImageDown() const { return FImageDown.get(); }
    void SetImageDown(const TFxBitmap* value);
    TComponent* ExtImage() const { return FExtImage; }
    void SetExtImage(TComponent* value);
    TComponent* ExtImageDown() const { return FExtImageDown; }
    void SetExtImageDown(TComponent* value);
    TColor TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(TColor value);
    bool RespectPalette() const { return FRespectPalette; }
    void SetRespectPalette(bool value);
    bool ParentClipping() const;
    void SetParentClipping(bool value);
    TFxImgDownOffsets* DownOffsets() const { return static_cast<TFxImgDownOffsets*>(Offsets()); }

    // The key colour of a state (clNone when transparency is off).
    TColor KeyColor(bool down);

    void ComponentNotification(TComponent* component, TOperation operation) override;
    TFxOffsets* CreateOffsets() override;
    std::optional<TRegion> CreateStateRegion(bool make, bool down) override;
    bool StoresRegionData() const override { return true; }
    void DrawFace(TFxBitmap* bitmap, bool forRegion, bool down, TFxShadeStyle style) override;
    bool UsesWindowRegion() const override { return FTransparentColor != kFxNoTransparency; }
    bool TracksRegionChange() const override;
    void SizeToContent() override;

    virtual TFxBitmap* EffectiveImage(bool down);
    virtual void RenderImage(const TFxBitmap* source, TFxBitmap* dest, bool forRegion,
                             TFxShadeStyle style);
    virtual void ImageChanged(TObject* bitmap);
    virtual TColor FacePixel(const TPoint& point);
    virtual void PrepareStateFaces();

    // Bevels the outline of the non-key pixels of source into dest (same size).
    void ShadeEdges(const TFxBitmap* source, TFxBitmap* dest, bool down, TColor key);

protected:
    void AfterWindowCreated() override;
    void BeforeWindowDestroyed() override;
    void CopyInto(TPersistent* dest) const override;

private:
    void AttachLink(TComponent* source, bool down);
    void DetachLink(TComponent* source, bool down);
    // Takes the pictures of the up (or down) state from value from now on.
    void ChangeExtImage(TComponent* value, bool down);

    TColor FDitherColor = clWhite;
    TFxDitherStyle FDitherStyle = dsDither;
    std::unique_ptr<TFxBitmap> FImage;
    std::unique_ptr<TFxBitmap> FImageDown;
    TFxChangeLink FImageLink;
    TComponent* FExtImage = nullptr;
    TComponent* FExtImageDown = nullptr;
    TColor FTransparentColor = clNone;
    bool FRespectPalette = false;
};

class TFxImageBtn : public TFxCustomImageBtn {
    ORV_CLASS(TFxImageBtn, TFxCustomImageBtn)
public:
    using TFxCustomImageBtn::TFxCustomImageBtn;
};
