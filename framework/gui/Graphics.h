#pragma once
// Colours and the drawing tools of a canvas: pens, brushes and fonts, with the
// window system's value conventions (colours as 0x00BBGGRR, system colours as
// 0x80000000 + index, font sizes in points at 96 pixels per inch).

#include "framework/core/Classes.h"

#include <cstdint>
#include <initializer_list>
#include <string>

class QColor;
class QFont;
class TBitmap;

// ---------------------------------------------------------------------------
// Colours

// 0x00BBGGRR for an RGB colour; 0x80000000 + index for a system colour; clNone and
// clDefault as special values.
using TColor = int32_t;

constexpr TColor RGB(int r, int g, int b) {
    return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) {
    return c & 0xFF;
}
constexpr int GetGValue(TColor c) {
    return (c >> 8) & 0xFF;
}
constexpr int GetBValue(TColor c) {
    return (c >> 16) & 0xFF;
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colour indices (the display's colour scheme).
enum TSysColorIndex : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
};
constexpr int kSystemColorCount = 31;

constexpr TColor SystemColor(int index) {
    return TColor(0x80000000u | unsigned(index));
}

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SystemColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SystemColor(COLOR_MENUBAR);

constexpr bool IsSystemColor(TColor c) {
    return (uint32_t(c) & 0xFF000000u) == 0x80000000u;
}

// The RGB value of a system colour index in the classic default scheme
// (button face silver, highlight navy, tooltip pale yellow ...).
TColor GetSysColor(int index);
// A system colour resolved to its RGB value; every other value (clNone, clDefault
// included) is returned unchanged.
TColor ColorToRGB(TColor color);
// Resolved to RGB, as an opaque Qt colour (the low three bytes; clNone is white).
QColor ColorToQColor(TColor color);
TColor QColorToColor(const QColor& color);

// Colour names ("clRed", "clBtnFace") and back; other values as "$00BBGGRR".
std::string ColorToString(TColor color);
// Accepts a colour name, "$hex" or a decimal number; false when it is none of them.
bool IdentToColor(const std::string& text, TColor& color);
TColor StringToColor(const std::string& text); // EConvertError on bad text

// Type information of the published properties of the drawing tools.
const TTypeInfo* TypeInfoTColor();
const TTypeInfo* TypeInfoTPenStyle();
const TTypeInfo* TypeInfoTPenMode();
const TTypeInfo* TypeInfoTBrushStyle();
const TTypeInfo* TypeInfoTFontStyle();
const TTypeInfo* TypeInfoTFontStyles();
const TTypeInfo* TypeInfoTFontPitch();
const TTypeInfo* TypeInfoTFontCharset();

// ---------------------------------------------------------------------------
// Drawing tools

// The base of pens, brushes and fonts: a change fires OnChange once per change.
class TGraphicsObject : public TPersistent {
    ORV_CLASS(TGraphicsObject, TPersistent)

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }

protected:
    virtual void Changed();

private:
    TNotifyEvent FOnChange;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// How the pen (and the brush) combine with what is on the surface already.
enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};

// A pen: colour, width in logical units, style and mix mode. Width 0 is the thinnest line
// the device draws, one device pixel whatever the mapping (a styled pen keeps its style); a
// styled pen (dash, dot ...) wider than one device pixel draws solid. The cosmetic alternate-pixel
// pen sets every other pixel; any later change of style or width returns to the ordinary pen.
class TPen : public TGraphicsObject {
    ORV_CLASS(TPen, TGraphicsObject)

    TPen() = default;
    static void Publish(TPublisher<TPen>& p);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    int Width() const { return FWidth; }
    void SetWidth(int value); // values below 0 are taken as 0
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle value);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode value);
    bool CosmeticAlternate() const { return FAlternate; }
    void SetCosmeticAlternate(bool value);
    void AssignFrom(const TPersistent* source) override;

private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
    bool FAlternate = false;
};

enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

// A brush: colour and style, or a pattern bitmap (not owned; while set it overrides the
// style). A monochrome pattern paints its black pixels in the canvas' text colour and its
// white ones in the background colour.
class TBrush : public TGraphicsObject {
    ORV_CLASS(TBrush, TGraphicsObject)

    TBrush() = default;
    static void Publish(TPublisher<TBrush>& p);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle value);
    TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* value);
    void AssignFrom(const TPersistent* source) override;

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

using TFontStyles = TSet<TFontStyle>; // TFontStyles{fsBold, fsItalic}

using TFontCharset = uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
constexpr TFontCharset GREEK_CHARSET = 161;

enum TFontPitch { fpDefault, fpVariable, fpFixed };

// A font. Size is in points, Height in pixels: a negative Height is the character height
// without internal leading (Height = -Size * PixelsPerInch / 72), which is what a size sets.
// Escapement turns the text counter-clockwise, in tenths of a degree.
class TFont : public TGraphicsObject {
    ORV_CLASS(TFont, TGraphicsObject)

    TFont() = default;
    static void Publish(TPublisher<TFont>& p);
    const std::string& Name() const { return FName; }
    void SetName(const std::string& value);
    int Size() const;
    void SetSize(int value);
    int Height() const { return FHeight; }
    void SetHeight(int value);
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int value); // keeps Height
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset value);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch value);
    int Escapement() const { return FEscapement; }
    void SetEscapement(int value);
    void AssignFrom(const TPersistent* source) override;

    // The Qt font for drawing at pixelScale device pixels per logical pixel: the mapped
    // family, pixel size |Height| (or Height plus the leading when Height is positive),
    // weight, italic, underline and strike-out; no hinting differences between machines.
    QFont ToQFont(double pixelScale = 1.0) const;

private:
    std::string FName = "MS Sans Serif";
    int FHeight = -11; // 8 points at 96 pixels per inch
    int FPixelsPerInch = 96;
    TFontStyles FStyle;
    TColor FColor = clWindowText;
    TFontCharset FCharset = DEFAULT_CHARSET;
    TFontPitch FPitch = fpDefault;
    int FEscapement = 0;
};

// The installed family that stands for a font name of the programs: "MS Sans Serif",
// "Arial", "Tahoma", "Verdana" → Liberation Sans; "Times New Roman" → Liberation Serif;
// "Courier New", "Courier" → Liberation Mono; the DejaVu family when Liberation is
// missing; any other name as it is.
std::string MapFontFamily(const std::string& name);
