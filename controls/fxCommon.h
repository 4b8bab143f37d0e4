#pragma once
// Plain routines every fx control calls: rectangles, string tokens, colours, regions,
// masked and disabled drawing, the glyph-and-text layout of buttons, dithered fills, and
// the animation that moves a set of controls from their start to their end rectangles.

#include "framework/core/Classes.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Controls.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/Regions.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class TFxBitmap;

// The version text of the unit, "1.0" while the program runs.
const std::string& FxCommonVersion();

// ---- Rectangles, points and numbers
inline int RectWidth(const TRect& r) {
    return r.Right - r.Left;
}
inline int RectHeight(const TRect& r) {
    return r.Bottom - r.Top;
}
inline int MinInt(int a, int b) {
    return a < b ? a : b;
}
inline int MaxInt(int a, int b) {
    return a > b ? a : b;
}
inline int IfThenInt(bool flag, int a, int b) {
    return flag ? a : b;
}
inline TPoint MakePoint(int x, int y) {
    return TPoint(x, y);
}
inline bool SamePoint(const TPoint& a, const TPoint& b) {
    return a == b;
}
// Equal to (0, 0, 0, 0).
inline bool IsEmptyRect(const TRect& r) {
    return r == TRect();
}
// Raises a flag that keeps a routine from running again inside itself, and lowers it when
// the scope ends, also after an exception.
class TFxBusyFlag {
public:
    explicit TFxBusyFlag(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TFxBusyFlag() { FFlag = false; }
    TFxBusyFlag(const TFxBusyFlag&) = delete;
    TFxBusyFlag& operator=(const TFxBusyFlag&) = delete;

private:
    bool& FFlag;
};
// The common part of a and b in dest; false (and an empty dest) when they do not meet.
bool IntersectRects(TRect& dest, const TRect& a, const TRect& b);
// The control's rectangle in screen coordinates.
TRect WindowRect(const TControl* control);
// The mouse position in screen coordinates.
TPoint CursorPos();
void SetOrClearBits(bool on, uint32_t& value, uint32_t bits);
// A rectangle at r's top-left corner with w:h proportions filling r; an empty rectangle
// at r's top-left when r is empty or w or h is not positive.
TRect FitRectKeepAspect(const TRect& r, int w, int h);

// ---- Strings (1-based positions; tokens are the pieces between separators)
// Characters from .. to - 1; with to = 0, from "from" to the end.
std::string CopyRange(const std::string& s, int from, int to);
// Position of sub in s at or after start, 0 when absent.
int PosFrom(const std::string& sub, const std::string& s, int start);
// Position of occurrence n + 1 of sub (n = 0: the first), 0 when absent.
int NthPos(const std::string& sub, const std::string& s, int n);
int CountTokens(const std::string& s, const std::string& sep);
std::string GetToken(const std::string& s, const std::string& sep, int index);
int TokenIndex(const std::string& s, const std::string& sep, const std::string& token);
// "&&" stays one "&", every other "&" is removed.
std::string StripAccelerators(const std::string& s);
// base followed by the smallest N >= 1 that no component of owner is named.
std::string UniqueComponentName(const TComponent* owner, const std::string& base);
// True when the class or an ancestor has the name (without regard to case).
bool InheritsFromName(TClass cls, const std::string& name);
// A published ordinal property's value, 0 when the object has none of that name.
int64_t GetOrdPropByName(const TObject* object, const std::string& name);

// ---- Text measuring
int WrappedTextHeight(TCanvas* canvas, unsigned flags, int width, const std::string& text);
// Size of the CR LF separated lines (X the widest, Y the heights plus the spacing
// between lines); with width <> 0 each line is measured wrapped to that width.
void MultiLineExtent(TCanvas* canvas, const std::string& text, int lineSpacing, TPoint& size,
                     unsigned flags, int width);

// ---- Colours
void SplitColor(TColor color, uint8_t& flags, uint8_t& blue, uint8_t& red, uint8_t& green);
// Lightens (amount > 0) or darkens each channel, by percent of the way to 255 or 0, or by
// an absolute amount.
TColor AdjustColor(TColor color, int amount, bool percent);
// The image list's colour values: clNone → 0xFFFFFFFF, clDefault → 0xFF000000.
uint32_t ImageListColor(TColor color);

// ---- Drawing
// White mask pixels show the image, black ones keep the destination.
void MaskedDraw(TCanvas* canvas, const TRect& dest, const TBitmap* image, bool offScreen,
                const TBitmap* mask);
// keyColor -1: the colour of the bitmap's top-left pixel.
void DrawTransparentBitmap(TCanvas* canvas, const TRect& r, const TFxBitmap* bitmap,
                           TColor keyColor);
void DrawImageListGlyph(const TImageList* list, int index, TCanvas* canvas, bool enabled,
                        TDrawingStyle style, int y, int x);
void MakeDisabledBitmap(const TBitmap* source, TBitmap* dest);
// The 8 × 8 monochrome checker pattern (rows 0xAAAA, 0x5555 ...) for a pattern brush;
// the brush keeps a reference, so the caller keeps the bitmap while the brush uses it.
std::unique_ptr<TBitmap> CreateCheckerBrush();
// A checker of color1 and color2; color1 clNone draws only the color2 half.
// EInvalidOperation "Color2 cannot be clNone".
void DitherFill(TCanvas* canvas, const TRect& r, TColor color1, TColor color2);
void TileGraphic(const TGraphic* graphic, TCanvas* canvas, const TRect& r);
// The bitmap's pixels outside the region take its TransparentColor.
void FillOutsideRegion(TFxBitmap* bitmap, const TRegion& region);

// ---- Regions and invalidation
// Every maximal run of pixels of another colour than keyColor (-1: the top-left pixel's)
// in every row; none for an empty bitmap or when every pixel has the key colour.
std::optional<TRegion> RegionFromBitmap(const TFxBitmap* bitmap, TColor keyColor);
// The region data bytes of rectangles given in y-then-x bands.
std::vector<uint8_t> RegionDataOfRects(const std::vector<TRect>& rects);
void CombineChildRegions(const TWinControl* parent, TRegion& region, int mode,
                         const TPoint& offset);
void InvalidateWindowTree(TWinControl* window);
void InvalidateChildrenOver(TWinControl* parent, const TWinControl* window);
void InvalidateParentArea(TControl* control, bool erase);

// ---- Glyph-and-text layout of buttons
// glyphSize and textSize as (width, height).
void CalcGlyphTextLayout(const TPoint& center, TRect& textRect, TRect& glyphRect, int spacing,
                         TButtonLayout layout, const TPoint& glyphSize, const TPoint& textSize);

// ---- Animation of controls
class TFxAnimateListItem : public TObject {
    ORV_CLASS(TFxAnimateListItem, TObject)
public:
    TFxAnimateListItem(TControl* control, const TRect& startRect, const TRect& endRect)
        : Control(control), StartRect(startRect), StepRect(startRect), EndRect(endRect) {}
    TControl* Control;
    TRect StartRect;
    TRect StepRect; // the bounds at the start of the current step
    TRect EndRect;
};

// A button's item and, optionally, its panel's item, moved together.
class TFxGroupAnimateItem : public TObject {
    ORV_CLASS(TFxGroupAnimateItem, TObject)
public:
    TFxGroupAnimateItem() = default;
    std::unique_ptr<TFxAnimateListItem> ButtonItem;
    std::unique_ptr<TFxAnimateListItem> PanelItem;
};

using TFxPlaceEvent = TEvent<void(TControl*, const TRect&)>;

// Moves every control in steps rounds from its start to its end rectangle (each side at
// start + trunc((end - start) * s / steps)), repainting, processing messages and
// sleeping interval milliseconds after each round. OnPlace, when assigned, places the
// controls instead of their bounds being set.
void AnimateControls(const std::vector<std::unique_ptr<TFxGroupAnimateItem>>& list,
                     const TFxPlaceEvent& onPlace, int steps, int interval);
