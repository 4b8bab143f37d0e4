#pragma once
// Buttons with glyphs, drawn by us: TBitBtn (a push button with a glyph and standard
// kinds) and TSpeedButton (a graphic tool button that may stay down, alone or in a group).
//
// A glyph is a bitmap of NumGlyphs frames side by side: up, disabled, pressed, down
// (stays down); its bottom-left pixel is the transparent colour. A missing disabled frame
// is made from the up frame, a missing pressed or down frame is the up frame.

#include "framework/core/Classes.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Controls.h"
#include "framework/gui/StandardControls.h"

#include <memory>
#include <string>

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
using TNumGlyphs = int; // 1..4

// Places glyph and caption in a client rectangle (client coordinates): with Margin -1
// the pair is centred; Spacing is the gap between them (-1: as large as the margins).
// Answers the text rectangle and the glyph's top-left corner.
void CalcButtonLayout(const TRect& client, const TSize& glyphSize, const TSize& textSize,
                      TButtonLayout layout, int margin, int spacing, TPoint& glyphPos,
                      TRect& textBounds);

// Draws one button face's glyph frame and caption (shared by both buttons).
void DrawButtonGlyphAndText(TCanvas* canvas, const TBitmap* glyph, int numGlyphs,
                            TButtonState state, const std::string& caption, const TFont* font,
                            const TRect& client, const TPoint& offset, TButtonLayout layout,
                            int margin, int spacing, bool enabled);

// A push button with a glyph, drawn by us; Default, Cancel and ModalResult as TButton.
// Kind sets caption, ModalResult, Default and Cancel from the standard table; it reads
// back bkCustom once any of these was changed.
class TBitBtn : public TButton {
    ORV_CLASS(TBitBtn, TButton)
public:
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;
    static void Publish(TPublisher<TBitBtn>& p);

    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(const TBitmap* value);
    TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TNumGlyphs value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return FMargin; }
    void SetMargin(int value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    TBitBtnKind Kind() const;
    void SetKind(TBitBtnKind value);
    // True while the button shows pressed (mouse held on it, or space held).
    bool Pressed() const { return FPressed; }

    void HandleMessage(TMessage& message) override;

protected:
    QWidget* CreateNativeWidget(const TCreateParams& params, QWidget* parentWidget) override;
    void AfterWindowCreated() override {}
    void PaintWindowContent(TCanvas* canvas) override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleKeyDown(uint16_t& key, TShiftState shift) override;
    void HandleKeyUp(uint16_t& key, TShiftState shift) override;

private:
    void SetPressed(bool value);
    std::unique_ptr<TBitmap> FGlyph;
    TNumGlyphs FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    mutable TBitBtnKind FKind = bkCustom;
    bool FPressed = false;
    bool FTracking = false;
    bool FSpaceDown = false;
};

// A tool button without a window. With GroupIndex 0 it springs back after a click; with
// a GroupIndex it stays down, and going down raises the other buttons of the same parent
// and group (AllowAllUp lets a click raise the down button; the group shares it). OnClick
// fires on a release over the button. Flat buttons show a border only under the mouse.
class TSpeedButton : public TGraphicControl {
    ORV_CLASS(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;
    static void Publish(TPublisher<TSpeedButton>& p);

    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value);
    // Setting Down fires nothing; without a group the button cannot stay down, and a
    // down button of a group without AllowAllUp cannot be raised.
    bool Down() const { return FDown; }
    void SetDown(bool value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(const TBitmap* value);
    TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TNumGlyphs value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return FMargin; }
    void SetMargin(int value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    // The face being shown: up, pressed (bsDown), or down (bsExclusive).
    TButtonState State() const { return FState; }
    // True while the mouse is over a flat button.
    bool MouseInControl() const { return FMouseInControl; }

    void Click() override;
    void HandleMessage(TMessage& message) override;

protected:
    void PaintControl() override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void UpdateExclusive();
    bool Inside(int x, int y) const;

    std::unique_ptr<TBitmap> FGlyph;
    TNumGlyphs FNumGlyphs = 1;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FDown = false;
    bool FFlat = false;
    bool FTransparent = true;
    bool FDragging = false;
    bool FMouseInControl = false;
    TButtonState FState = bsUp;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
};
