#pragma once
// The caption renderer of the fx controls: several lines, word wrap, alignment, rotation
// by whole degrees through a rotated font, and the effects shadow, extrusion, outline,
// raised and lowered. The owner passes its canvas, its font and three callbacks; the
// renderer never owns the canvas.

#include "framework/core/Classes.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Graphics.h"

#include <functional>
#include <memory>
#include <string>

class TFxText;

enum TFxTextOption { toShowAccel, toShowEllipsis };
using TFxTextOptions = TSet<TFxTextOption>;
enum TFxTextStyle { fclsDefault, fclsLowered, fclsRaised, fclsOutline };
enum TFxVAlignment { vaTop, vaVCenter, vaBottom };
enum TFxOrientation {
    fxTopLeft,
    fxTopRight,
    fxBottomLeft,
    fxBottomRight,
    fxTop,
    fxRight,
    fxLeft,
    fxBottom
};

// The step (dx, dy) of an orientation.
TPoint OrientationStep(TFxOrientation orientation);

class TFxShadowEffects : public TPersistent {
    ORV_CLASS(TFxShadowEffects, TPersistent)
public:
    explicit TFxShadowEffects(TFxText* owner = nullptr) : FOwner(owner) {}
    static void Publish(TPublisher<TFxShadowEffects>& p);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    int XOffset() const { return FXOffset; }
    void SetXOffset(int value);
    int YOffset() const { return FYOffset; }
    void SetYOffset(int value);

protected:
    void CopyInto(TPersistent* dest) const override;

private:
    TFxText* FOwner;
    TColor FColor = clBtnShadow;
    bool FEnabled = false;
    int FXOffset = 10;
    int FYOffset = 10;
};

class TFxExtrudeEffects : public TPersistent {
    ORV_CLASS(TFxExtrudeEffects, TPersistent)
public:
    explicit TFxExtrudeEffects(TFxText* owner = nullptr) : FOwner(owner) {}
    static void Publish(TPublisher<TFxExtrudeEffects>& p);
    int Depth() const { return FDepth; }
    void SetDepth(int value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    TColor FarColor() const { return FFarColor; }
    void SetFarColor(TColor value);
    TColor NearColor() const { return FNearColor; }
    void SetNearColor(TColor value);
    TFxOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TFxOrientation value);
    bool Striated() const { return FStriated; }
    void SetStriated(bool value);

protected:
    void CopyInto(TPersistent* dest) const override;

private:
    TFxText* FOwner;
    int FDepth = 10;
    bool FEnabled = false;
    TColor FFarColor = clBlack;
    TColor FNearColor = clBlack;
    TFxOrientation FOrientation = fxBottomRight;
    bool FStriated = false;
};

class TFxDisabledColors : public TPersistent {
    ORV_CLASS(TFxDisabledColors, TPersistent)
public:
    explicit TFxDisabledColors(TFxText* owner = nullptr) : FOwner(owner) {}
    static void Publish(TPublisher<TFxDisabledColors>& p);
    TColor HighlightColor() const { return FHighlightColor; }
    void SetHighlightColor(TColor value);
    TColor ShadeColor() const { return FShadeColor; }
    void SetShadeColor(TColor value);

private:
    TFxText* FOwner;
    TColor FHighlightColor = clBtnHighlight;
    TColor FShadeColor = clBtnShadow;
};

class TFxText : public TPersistent {
    ORV_CLASS(TFxText, TPersistent)
public:
    using TChangedFn = std::function<void(int, int)>;
    using TSizeChangedFn = std::function<void(int)>;
    using TIsEnabledFn = std::function<bool()>;

    TFxText(TCanvas* canvas, TFont* font, TChangedFn onChanged, TSizeChangedFn onSizeChanged,
            TIsEnabledFn onIsEnabled);
    ~TFxText() override;

    // ---- What the owner gives
    TCanvas* Canvas() const { return FCanvas; }
    void SetCanvas(TCanvas* value) { FCanvas = value; }
    TFont* Font() const { return FFont; }
    void SetFont(TFont* value) { FFont = value; }
    const std::string& Text() const { return FText; }
    void SetText(const std::string& value) { FText = value; }
    const TRect& DrawRect() const { return FDrawRect; }
    void SetDrawRect(const TRect& value) { FDrawRect = value; }
    unsigned DrawFlags() const { return FDrawFlags; }
    bool PixelScaled() const { return FPixelScaled; }
    void SetPixelScaled(bool value) { FPixelScaled = value; }
    // Where the text was last placed.
    const TRect& TextRect() const { return FTextRect; }

    // ---- Published
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    TFxDisabledColors* DisabledColors() const { return FDisabledColors.get(); }
    void SetDisabledColors(const TFxDisabledColors* value);
    TFxExtrudeEffects* ExtrudeEffects() const { return FExtrudeEffects.get(); }
    void SetExtrudeEffects(const TFxExtrudeEffects* value);
    TColor HighlightColor() const { return FHighlightColor; }
    void SetHighlightColor(TColor value);
    int LineSpacing() const { return FLineSpacing; }
    void SetLineSpacing(int value);
    TFxTextOptions Options() const { return FOptions; }
    void SetOptions(TFxTextOptions value);
    TColor OutlineColor() const { return FOutlineColor; }
    void SetOutlineColor(TColor value);
    int Rotation() const { return FRotation; }
    // Stored as 0..359.
    void SetRotation(int value);
    TColor ShadeColor() const { return FShadeColor; }
    void SetShadeColor(TColor value);
    TFxShadowEffects* Shadow() const { return FShadow.get(); }
    void SetShadow(const TFxShadowEffects* value);
    TFxTextStyle Style() const { return FStyle; }
    void SetStyle(TFxTextStyle value);
    TFxVAlignment VAlignment() const { return FVAlignment; }
    void SetVAlignment(TFxVAlignment value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);

    // ---- Rendering
    // The font to draw with: the owner's, turned by Rotation.
    virtual void MakeLogFont(TFont& font) const;
    // Size (X width, Y height) of the text's lines, unrotated and without effects.
    virtual TPoint TextExtent();
    // Size of the text with its effects, turned by Rotation; cut to DrawRect's size unless
    // unclipped.
    virtual TPoint RotatedExtent(bool unclipped);
    virtual void CalcTextRect(bool unclipped, TRect& r);
    virtual void DrawHighlighted();
    virtual void DrawOutline();
    virtual void DrawShadow(const TRect& r);
    virtual void DrawLines(const TRect& r);
    // Sets DrawRect to r and answers in r where the text goes.
    virtual void CalcRect(bool unclipped, TRect& r);
    virtual void NotifyChanged();
    virtual void Draw();
    virtual void DrawDefault();
    virtual void DrawOutlined();
    virtual void DrawBeveled(bool raised);
    virtual void SelectRotatedFont();

    void NotifySizeChanged();
    bool OwnerEnabled() const { return !FOnIsEnabled || FOnIsEnabled(); }

protected:
    void CopyInto(TPersistent* dest) const override;

private:
    void DrawExtrusion();
    void DrawLinesIn(const TRect& r, TColor color);
    TPoint ShadowMargin() const;
    TPoint ExtrusionExtent(bool scaled) const;
    void ReleaseRotatedFont();

    TCanvas* FCanvas;
    TFont* FFont;
    TChangedFn FOnChanged;
    TSizeChangedFn FOnSizeChanged;
    TIsEnabledFn FOnIsEnabled;
    std::string FText;
    TRect FDrawRect;
    unsigned FDrawFlags = DT_NOCLIP;
    bool FPixelScaled = false;
    TRect FTextRect;
    std::unique_ptr<TFont> FSavedFont;

    TAlignment FAlignment = taLeftJustify;
    std::unique_ptr<TFxDisabledColors> FDisabledColors;
    std::unique_ptr<TFxExtrudeEffects> FExtrudeEffects;
    TColor FHighlightColor = clBtnHighlight;
    int FLineSpacing = 5;
    TFxTextOptions FOptions{toShowAccel};
    TColor FOutlineColor = clBlack;
    int FRotation = 0;
    TColor FShadeColor = clBtnShadow;
    std::unique_ptr<TFxShadowEffects> FShadow;
    TFxTextStyle FStyle = fclsDefault;
    TFxVAlignment FVAlignment = vaTop;
    bool FWordWrap = false;
};

// The published form of the renderer: the TextOptions of fx buttons, list items and
// status panels.
class TFxCaptionText : public TFxText {
    ORV_CLASS(TFxCaptionText, TFxText)
public:
    using TFxText::TFxText;
    TFxCaptionText() : TFxText(nullptr, nullptr, nullptr, nullptr, nullptr) {}
    static void Publish(TPublisher<TFxCaptionText>& p);
};
