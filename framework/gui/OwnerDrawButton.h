#pragma once
// The window system's button class with the owner-draw style: the window paints nothing
// of its own; every paint asks the parent with WM_DRAWITEM, which the parent reflects to
// the button as CN_DRAWITEM, and the button draws itself into the canvas it is given.
// Also the two-frame glyphs (normal, disabled) of the standard button kinds.

#include "framework/gui/Bitmaps.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/Controls.h"

// Button window styles.
constexpr uint32_t BS_PUSHBUTTON = 0x00000000;
constexpr uint32_t BS_OWNERDRAW = 0x0000000B;

// Owner-draw control types, actions and states (TDrawItemStruct).
constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODA_DRAWENTIRE = 0x1;
constexpr UINT ODA_SELECT = 0x2;
constexpr UINT ODA_FOCUS = 0x4;
constexpr UINT ODS_SELECTED = 0x1;
constexpr UINT ODS_GRAYED = 0x2;
constexpr UINT ODS_DISABLED = 0x4;
constexpr UINT ODS_FOCUS = 0x10;
constexpr UINT ODS_DEFAULT = 0x20;

// Size request of WM_MEASUREITEM (LParam points to it); reflected as CN_MEASUREITEM.
struct TMeasureItemStruct {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT ItemID = 0;
    UINT ItemWidth = 0;
    UINT ItemHeight = 0;
    uintptr_t ItemData = 0;
};

class TOwnerDrawButton : public TWinControl {
    ORV_CLASS(TOwnerDrawButton, TWinControl)
public:
    explicit TOwnerDrawButton(TComponent* owner);

protected:
    // Window class "BUTTON" with BS_OWNERDRAW.
    void PrepareWindowParams(TCreateParams& params) override;
    // Sends the draw request (ODA_DRAWENTIRE with OwnerDrawState) for the whole client area.
    void PaintWindowContent(TCanvas* canvas) override;
    // The ODS_ flags of the request: disabled and focus here.
    virtual UINT OwnerDrawState();
};

// The glyph of a standard kind: two frames side by side (normal, disabled) of 18 × 18
// pixels on an olive background (the bottom-left pixel, so the transparent colour).
// Made once per kind and shared; nullptr for bkCustom.
const TBitmap* KindGlyph(TBitBtnKind kind);
