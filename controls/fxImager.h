#pragma once
// A picture control without a window that keeps a working 24-bit bitmap made from its
// picture by an effect pipeline, draws it in one of five ways, and tells change links
// when it changes (image buttons can take their picture from it).

#include "controls/fxBitmap.h"
#include "controls/fxChangeLink.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Controls.h"

#include <memory>
#include <vector>

class TFxBitmapOptions;
class TFxCustomImager;

class TFxRotate : public TPersistent {
    ORV_CLASS(TFxRotate, TPersistent)
public:
    explicit TFxRotate(TFxBitmapOptions* options = nullptr) : FOptions(options) {}
    static void Publish(TPublisher<TFxRotate>& p);
    int CenterX() const { return FCenterX; }
    void SetCenterX(int value);
    int CenterY() const { return FCenterY; }
    void SetCenterY(int value);
    int Angle() const { return FAngle; }
    void SetAngle(int value);

private:
    TFxBitmapOptions* FOptions;
    int FCenterX = -1;
    int FCenterY = -1;
    int FAngle = 0;
};

class TFxAlphaBlend : public TPersistent {
    ORV_CLASS(TFxAlphaBlend, TPersistent)
public:
    explicit TFxAlphaBlend(TFxBitmapOptions* options = nullptr);
    ~TFxAlphaBlend() override;
    static void Publish(TPublisher<TFxAlphaBlend>& p);
    int Amount() const { return FAmount; }
    void SetAmount(int value);
    TFxBitmap* Bitmap() const { return FBitmap.get(); }
    void SetBitmap(const TFxBitmap* value);
    bool Transparent() const { return FBitmap->Transparent(); }
    void SetTransparent(bool value);

private:
    void BitmapChanged(TObject* sender);
    TFxBitmapOptions* FOptions;
    uint8_t FAmount = 0;
    std::unique_ptr<TFxBitmap> FBitmap;
    TFxChangeLink FLink;
    bool FRunning = false;
};

class TFxWave : public TPersistent {
    ORV_CLASS(TFxWave, TPersistent)
public:
    explicit TFxWave(TFxBitmapOptions* options = nullptr) : FOptions(options) {}
    static void Publish(TPublisher<TFxWave>& p);
    int XDiv() const { return FXDiv; }
    void SetXDiv(int value);
    int YDiv() const { return FYDiv; }
    void SetYDiv(int value);
    int Ratio() const { return FRatio; }
    void SetRatio(int value);
    bool Wrap() const { return FWrap; }
    void SetWrap(bool value);

private:
    TFxBitmapOptions* FOptions;
    int FXDiv = 0, FYDiv = 0, FRatio = 0;
    bool FWrap = false;
};

// The effect pipeline of an imager: every change that differs reruns it.
class TFxBitmapOptions : public TPersistent {
    ORV_CLASS(TFxBitmapOptions, TPersistent)
public:
    explicit TFxBitmapOptions(TFxCustomImager* imager = nullptr);
    ~TFxBitmapOptions() override;
    static void Publish(TPublisher<TFxBitmapOptions>& p);

    TFxAlphaBlend* AlphaBlend() const { return FAlphaBlend.get(); }
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { Set(FColor, value); }
    int Contrast() const { return FContrast; }
    void SetContrast(int value) { Set(FContrast, value); }
    bool Embossed() const { return FEmbossed; }
    void SetEmbossed(bool value) { Set(FEmbossed, value); }
    TColor TintColor() const { return FTintColor; }
    void SetTintColor(TColor value) { Set(FTintColor, value); }
    int GaussianBlur() const { return FGaussianBlur; }
    void SetGaussianBlur(int value) { Set(FGaussianBlur, value); }
    bool GrayScale() const { return FGrayScale; }
    void SetGrayScale(bool value) { Set(FGrayScale, value); }
    bool HorizontallyFlipped() const { return FHorizontallyFlipped; }
    void SetHorizontallyFlipped(bool value) { Set(FHorizontallyFlipped, value); }
    bool Inverted() const { return FInverted; }
    void SetInverted(bool value) { Set(FInverted, value); }
    int Lightness() const { return FLightness; }
    void SetLightness(int value) { Set(FLightness, value); }
    TFxRotate* Rotation() const { return FRotation.get(); }
    int Saturation() const { return FSaturation; }
    void SetSaturation(int value) { Set(FSaturation, value); }
    int Sharpen() const { return FSharpen; }
    void SetSharpen(int value) { Set(FSharpen, value); }
    int Sponge() const { return FSponge; }
    void SetSponge(int value) { Set(FSponge, value); }
    bool Tile() const { return FTile; }
    void SetTile(bool value) { FTile = value; }
    bool VerticallyFlipped() const { return FVerticallyFlipped; }
    void SetVerticallyFlipped(bool value) { Set(FVerticallyFlipped, value); }
    TFxWave* Wave() const { return FWave.get(); }
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
    int UpdateLock() const { return FUpdateLock; }

    virtual void BeginUpdate() { ++FUpdateLock; }
    // Loads the imager's picture into its working bitmap and runs the switched-on effects
    // in their fixed order.
    virtual void ApplyEffects();

private:
    template <class T> void Set(T& field, T value) {
        if (field == value)
            return;
        field = value;
        ApplyEffects();
    }
    TFxCustomImager* FImager;
    std::unique_ptr<TFxAlphaBlend> FAlphaBlend;
    TColor FColor = clNone;
    int FContrast = 0;
    bool FEmbossed = false;
    TColor FTintColor = clNone;
    int FGaussianBlur = 0;
    bool FGrayScale = false;
    bool FHorizontallyFlipped = false;
    bool FInverted = false;
    int FLightness = 0;
    std::unique_ptr<TFxRotate> FRotation;
    int FSaturation = -1;
    int FSharpen = 0;
    int FSponge = 0;
    bool FTile = false;
    bool FVerticallyFlipped = false;
    std::unique_ptr<TFxWave> FWave;
    TNotifyEvent FOnChange;
    int FUpdateLock = 0;
};

enum TFxImagerDrawStyle { idsNormal, idsCentered, idsStretched, idsTiled, idsProportional };

class TFxCustomImager : public TGraphicControl {
    ORV_CLASS(TFxCustomImager, TGraphicControl)
public:
    explicit TFxCustomImager(TComponent* owner);
    ~TFxCustomImager() override;

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    TFxBitmapOptions* BitmapOptions() const { return FBitmapOptions.get(); }
    TFxImagerDrawStyle DrawStyle() const { return FDrawStyle; }
    void SetDrawStyle(TFxImagerDrawStyle value);
    bool WorkAtPictureSize() const { return FWorkAtPictureSize; }
    void SetWorkAtPictureSize(bool value);
    TFxBitmap* WorkBitmap() const { return FWorkBitmap.get(); }
    TPicture* Picture() const { return FPicture.get(); }
    bool Transparent() const;
    void SetTransparent(bool value);
    // Where the working bitmap is drawn in the control.
    TRect DestRect() const;

    virtual void HandleOptionsChange(TObject* sender);
    virtual void AdjustAutoSize();
    virtual bool PictureIsEmpty() const;
    virtual void AddChangeLink(TFxChangeLink* link);
    virtual void UpdateWorkBitmap();
    virtual void RunEffects();
    virtual void RemoveChangeLink(TFxChangeLink* link);
    virtual void CopyToClipboard();

    void SetBounds(int left, int top, int width, int height) override;
    void RequestRepaint() override;
    void AfterLoad() override;

protected:
    void PaintControl() override;

private:
    void PictureChanged(TObject* sender);
    void TellLinks();

    bool FAutoSize = false;
    std::unique_ptr<TFxBitmapOptions> FBitmapOptions;
    TFxImagerDrawStyle FDrawStyle = idsNormal;
    bool FWorkAtPictureSize = true;
    std::unique_ptr<TFxBitmap> FWorkBitmap;
    std::unique_ptr<TPicture> FPicture;
    TFxChangeLinks FChangeLinks;
    bool FInAutoSize = false;
    bool FInSizeChange = false;
};
