#pragma once
// The base of every fx button: a windowed, owner-drawn push button with a glyph of up to
// four frames, a caption drawn by a caption renderer, glyph and text offsets, shade
// colours, the standard kinds, group behaviour (GroupIndex, Down, AllowAllUp), change
// links, and a window region per state (up and down) that can be stored with the form.
// It paints off screen into a TFxBitmap and leaves the face to its descendants.

#include "controls/fxBitmap.h"
#include "controls/fxChangeLink.h"
#include "controls/fxText.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/OwnerDrawButton.h"
#include "framework/gui/Regions.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TFxCustomBitBtn;

enum TFxShadeStyle { fbsNormal, fbsRaised, fbsHighlight, fbsFlat };
enum TFxButtonOption { boFocusable, boOverrideActionGlyph, boToggleOnUp, boFocusRect, boAutoBold };
using TFxButtonOptions = TSet<TFxButtonOption>;

// The message a grouped button broadcasts to its siblings (WParam the group, LParam the
// button).
constexpr UINT CM_FXBUTTONPRESSED = CM_BUTTONPRESSED;

class TFxOffsets : public TPersistent {
    ORV_CLASS(TFxOffsets, TPersistent)
public:
    explicit TFxOffsets(TFxCustomBitBtn* button = nullptr) : FButton(button) {}
    static void Publish(TPublisher<TFxOffsets>& p);
    int GlyphX() const { return FGlyphX; }
    void SetGlyphX(int value) { Set(FGlyphX, value); }
    int GlyphY() const { return FGlyphY; }
    void SetGlyphY(int value) { Set(FGlyphY, value); }
    int TextX() const { return FTextX; }
    void SetTextX(int value) { Set(FTextX, value); }
    int TextY() const { return FTextY; }
    void SetTextY(int value) { Set(FTextY, value); }
    int TextDownX() const { return FTextDownX; }
    void SetTextDownX(int value) { Set(FTextDownX, value); }
    int TextDownY() const { return FTextDownY; }
    void SetTextDownY(int value) { Set(FTextDownY, value); }

protected:
    void CopyInto(TPersistent* dest) const override;
    void Set(int& field, int value);
    TFxCustomBitBtn* FButton;

private:
    int FGlyphX = 0, FGlyphY = 0, FTextX = 0, FTextY = 0, FTextDownX = 1, FTextDownY = 1;
};

class TFxShadeColors : public TPersistent {
    ORV_CLASS(TFxShadeColors, TPersistent)
public:
    explicit TFxShadeColors(TFxCustomBitBtn* button = nullptr) : FButton(button) {}
    static void Publish(TPublisher<TFxShadeColors>& p);
    TColor BtnHighlight() const { return FBtnHighlight; }
    void SetBtnHighlight(TColor value) { Set(FBtnHighlight, value); }
    TColor Btn3DLight() const { return FBtn3DLight; }
    void SetBtn3DLight(TColor value) { Set(FBtn3DLight, value); }
    TColor BtnShadow() const { return FBtnShadow; }
    void SetBtnShadow(TColor value) { Set(FBtnShadow, value); }
    TColor BtnBlack() const { return FBtnBlack; }
    void SetBtnBlack(TColor value) { Set(FBtnBlack, value); }
    TColor BtnFocus() const { return FBtnFocus; }
    void SetBtnFocus(TColor value) { Set(FBtnFocus, value); }
    TColor Shadow() const { return FShadow; }
    void SetShadow(TColor value) { Set(FShadow, value); }

protected:
    void CopyInto(TPersistent* dest) const override;

private:
    void Set(TColor& field, TColor value);
    TFxCustomBitBtn* FButton;
    TColor FBtnHighlight = clBtnHighlight;
    TColor FBtn3DLight = cl3DLight;
    TColor FBtnShadow = clBtnShadow;
    TColor FBtnBlack = clBlack;
    TColor FBtnFocus = clBlack;
    TColor FShadow = clBlack;
};

class TFxCustomBitBtn : public TOwnerDrawButton {
    ORV_CLASS(TFxCustomBitBtn, TOwnerDrawButton)
public:
    explicit TFxCustomBitBtn(TComponent* owner);
    ~TFxCustomBitBtn() override;
    static void Publish(TPublisher<TFxCustomBitBtn>& p);

    // ---- Properties
    bool ActiveDefault() const { return FActiveDefault; }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value) { FCancel = value; }
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    bool Down() const { return FDown; }
    void SetDown(bool value);
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(const TBitmap* value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value);
    TBitBtnKind Kind() const;
    void SetKind(TBitBtnKind value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return FMargin; }
    void SetMargin(int value);
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int value) { FModalResult = value; }
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int value);
    TFxShadeColors* ShadeColors() const { return FShadeColors.get(); }
    void SetShadeColors(const TFxShadeColors* value);
    TFxShadeStyle ShadeStyle() const { return FShadeStyle; }
    void SetShadeStyle(TFxShadeStyle value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    TButtonStyle Style() const { return FStyle; }
    void SetStyle(TButtonStyle value);
    TFxCaptionText* TextOptions() const { return FTextOptions.get(); }
    void SetTextOptions(const TFxCaptionText* value);
    TFxOffsets* Offsets() const { return FOffsets.get(); }
    void SetOffsets(const TFxOffsets* value);
    TFxButtonOptions Options() const { return FOptions; }
    void SetOptions(TFxButtonOptions value);
    const TRect& GlyphRect() const { return FGlyphRect; }
    const TRect& TextRect() const { return FTextRect; }
    const TNotifyEvent& OnSelChange() const { return FOnSelChange; }
    void SetOnSelChange(TNotifyEvent value) { FOnSelChange = std::move(value); }
    const TNotifyEvent& OnNameChange() const { return FOnNameChange; }
    void SetOnNameChange(TNotifyEvent value) { FOnNameChange = std::move(value); }
    bool Pressing() const { return FPressing; }
    // Down at the last selection change.
    bool LastDown() const { return FLastDown; }
    bool IgnoreInput() const { return FIgnoreInput; }
    void SetIgnoreInput(bool value) { FIgnoreInput = value; }
    // True while the mouse is over the button.
    bool MouseInControl() const { return FMouseInControl; }
    // The stored region data of a state (empty: none).
    const std::vector<uint8_t>& RegionData(bool down) const {
        return down ? FDownRegionData : FRegionData;
    }
    const std::optional<TRegion>& WindowRegion() const { return FWindowRegion; }

    // ---- Operations
    void Click() override;
    void HandleMessage(TMessage& message) override;
    void DefineStreamedData(TFiler& filer) override;
    void AfterLoad() override;
    void Rename(const std::string& newName) override;

    virtual TFxOffsets* CreateOffsets();
    // The region of a state: here only what stored data gives (make is for descendants).
    virtual std::optional<TRegion> CreateStateRegion(bool make, bool down);
    virtual void CalcContentLayout(TCanvas* canvas);
    virtual int GlyphWidth() const;
    virtual bool GlyphNeedsStoring() const;
    virtual bool CaptionNeedsStoring() const;
    virtual bool StoresRegionData() const { return false; }
    virtual void RefreshRegion();
    virtual void ClearWindowRegion();
    virtual void FreeRegionData();
    virtual void DrawGlyph(TCanvas* canvas);
    virtual void DrawCaption(TCanvas* canvas);
    virtual void PaintOnDC(TCanvas* canvas);
    // Sizes and paints the face into bitmap; nothing here.
    virtual void DrawFace(TFxBitmap* bitmap, bool forRegion, bool down, TFxShadeStyle style);
    virtual void RedrawButton();
    virtual void NotifyLinksSelChange();
    virtual void NotifyLinksDown();
    virtual void NotifyLinksLoaded();
    virtual void PaintBuffered(TCanvas* canvas);
    // Paints at once through the window's own surface.
    virtual void PaintNow();
    virtual void ReadRegionData(std::string_view stored);
    virtual void ReadDownRegionData(std::string_view stored);
    virtual void KeepRegionData(const std::optional<TRegion>& region, bool down);
    virtual void SelectionChanged();
    virtual std::string WriteRegionData() const;
    virtual std::string WriteDownRegionData() const;
    virtual void ReleaseGroupMates();
    virtual bool UsesWindowRegion() const { return false; }
    virtual void ApplyWindowRegion();
    virtual void InvalidateOutsideRegion(bool erase);
    virtual void DrawContent(TCanvas* canvas, const TRect& r);
    virtual bool TracksRegionChange() const { return false; }
    virtual void SizeToContent() {}
    virtual void DeriveShadeColors(TColor color);
    virtual void AddChangeLink(TFxChangeLink* link);
    virtual void RemoveChangeLink(TFxChangeLink* link);
    virtual bool IsEnabledForDrawing() const { return Enabled(); }
    virtual void ReservedHook() {}

    // Down changes with optional repaint and release of the group's other buttons.
    void SetDownState(bool down, bool repaint, bool releaseMates);
    // Whether the point (client coordinates; -1, -1 for the mouse) is over the button.
    bool IsCursorOver(int x, int y, bool needPressing);

protected:
    void PrepareWindowParams(TCreateParams& params) override;
    void AfterWindowCreated() override;
    void BeforeWindowDestroyed() override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleKeyDown(uint16_t& key, TShiftState shift) override;
    void HandleResize() override;
    void CopyInto(TPersistent* dest) const override;
    UINT OwnerDrawState() override;
    // A linked action with an image list and a valid image index gives an empty glyph its
    // image (any glyph with boOverrideActionGlyph).
    void ActionChange(TBasicAction* sender) override;

    std::unique_ptr<TFxOffsets> FOffsets;

private:
    void StartPress();
    void FinishPress(bool inside);
    void ApplyAutoBold();
    void ParentInvalidateRegion(const TRegion& region);

    bool FActiveDefault = false;
    bool FAllowAllUp = false;
    bool FCancel = false;
    bool FDefault = false;
    bool FDown = false;
    std::unique_ptr<TBitmap> FGlyph;
    int FGroupIndex = 0;
    mutable TBitBtnKind FKind = bkCustom;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FModalResult = 0;
    int FNumGlyphs = 1;
    std::optional<TRegion> FWindowRegion;
    std::optional<TRegion> FLastRegion;
    std::unique_ptr<TFxShadeColors> FShadeColors;
    TFxShadeStyle FShadeStyle = fbsNormal;
    int FSpacing = 4;
    TButtonStyle FStyle = bsAutoDetect;
    std::unique_ptr<TFxCaptionText> FTextOptions;
    TRect FGlyphRect, FTextRect;
    TNotifyEvent FOnSelChange;
    TNotifyEvent FOnNameChange;
    bool FKindModified = false;
    TFxButtonOptions FOptions;
    TFxChangeLinks FChangeLinks;
    bool FPressing = false;
    bool FWasDown = false;
    std::vector<uint8_t> FDownRegionData;
    std::vector<uint8_t> FRegionData;
    bool FLastDown = false;
    bool FIgnoreInput = false;
    bool FMouseInControl = false;
};
