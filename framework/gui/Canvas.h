#pragma once
// The drawing surface of the window system: a canvas with a pen, a brush and a font,
// a current position and the device-context state (background colour and mode, text
// colour and alignment, clip region, mapping mode), drawing on a Qt paint device
// (an image, a widget during its paint event, a printer) with the window system's pixel
// rules: no antialiasing, right and bottom edges of rectangles and ellipses excluded,
// LineTo does not set its last pixel.
//
// Coordinates given to the canvas are logical; the mapping mode turns them into device
// pixels. Clip regions are given in device pixels.

#include "framework/core/Classes.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Regions.h"
#include "framework/gui/Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QFont;
class QImage;
class QPaintDevice;
class QPainter;
class QRegion;
class TBitmap;
class TGraphic;

// ---------------------------------------------------------------------------
// Device-context constants

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Text alignment flags (SetTextAlign): one horizontal and one vertical choice.
constexpr unsigned TA_NOUPDATECP = 0;
constexpr unsigned TA_UPDATECP = 1;
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;
constexpr unsigned TA_RTLREADING = 256;

// Text-drawing flags (DrawText).
constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_TABSTOP = 0x80;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_EXTERNALLEADING = 0x200;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_INTERNAL = 0x1000;
constexpr unsigned DT_EDITCONTROL = 0x2000;
constexpr unsigned DT_PATH_ELLIPSIS = 0x4000;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;
constexpr unsigned DT_MODIFYSTRING = 0x10000;
constexpr unsigned DT_RTLREADING = 0x20000;
constexpr unsigned DT_WORD_ELLIPSIS = 0x40000;
constexpr unsigned DT_HIDEPREFIX = 0x100000;

// Text-output options (ExtTextOut, TextFlags).
constexpr unsigned ETO_OPAQUE = 0x2;
constexpr unsigned ETO_CLIPPED = 0x4;
constexpr unsigned ETO_RTLREADING = 0x80;

// Raster operations of block copies: the result per bit of pattern (the brush),
// source and destination.
constexpr uint32_t SRCCOPY = 0x00CC0020;     // S
constexpr uint32_t SRCPAINT = 0x00EE0086;    // S or D
constexpr uint32_t SRCAND = 0x008800C6;      // S and D
constexpr uint32_t SRCINVERT = 0x00660046;   // S xor D
constexpr uint32_t SRCERASE = 0x00440328;    // S and not D
constexpr uint32_t NOTSRCCOPY = 0x00330008;  // not S
constexpr uint32_t NOTSRCERASE = 0x001100A6; // not (S or D)
constexpr uint32_t MERGECOPY = 0x00C000CA;   // P and S
constexpr uint32_t MERGEPAINT = 0x00BB0226;  // not S or D
constexpr uint32_t PATCOPY = 0x00F00021;     // P
constexpr uint32_t PATPAINT = 0x00FB0A09;    // P or not S or D
constexpr uint32_t PATINVERT = 0x005A0049;   // P xor D
constexpr uint32_t DSTINVERT = 0x00550009;   // not D
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;
constexpr uint32_t ROP_DSNA = 0x00220326;    // D and not S
constexpr uint32_t ROP_PSDPXAX = 0x00E20746; // P where S is set, else D (masked paint)

using TCopyMode = uint32_t;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

// Mapping modes.
constexpr int MM_TEXT = 1;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

// Edge and border flags of DrawEdge.
constexpr unsigned BDR_RAISEDOUTER = 0x1;
constexpr unsigned BDR_SUNKENOUTER = 0x2;
constexpr unsigned BDR_RAISEDINNER = 0x4;
constexpr unsigned BDR_SUNKENINNER = 0x8;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr unsigned BF_LEFT = 0x1;
constexpr unsigned BF_TOP = 0x2;
constexpr unsigned BF_RIGHT = 0x4;
constexpr unsigned BF_BOTTOM = 0x8;
constexpr unsigned BF_RECT = 0xF;
constexpr unsigned BF_MIDDLE = 0x800;
constexpr unsigned BF_SOFT = 0x1000;
constexpr unsigned BF_ADJUST = 0x2000;
constexpr unsigned BF_FLAT = 0x4000;
constexpr unsigned BF_MONO = 0x8000;

enum TCanvasOrientation { coLeftToRight, coRightToLeft };

// Direction of GradientFillRect: the start colour at the top, or at the left.
enum TGradientFillDirection { gfdVertical, gfdHorizontal };

// ---------------------------------------------------------------------------

class TCanvas : public TPersistent {
    ORV_CLASS(TCanvas, TPersistent)

    TCanvas();
    // Draws on the device (not owned) from the first operation on.
    explicit TCanvas(QPaintDevice* device);
    ~TCanvas() override;

    // ---- The surface
    QPaintDevice* Device() const { return FDevice; }
    // Attaches another device (nullptr detaches). The device-context state is reset.
    void SetDevice(QPaintDevice* device);
    // Draws through a painter that someone else began on a device (a widget's paint
    // event, a printer); the canvas neither begins nor ends it. nullptr detaches.
    void AttachPainter(QPainter* painter);
    // Ends the canvas' own painter, so that the device may be read, resized or painted by
    // others; the next operation begins a new one. The state is kept.
    void ReleasePainter();
    // The painter of the device, begun on demand, with no clip and no transformation set
    // by the canvas; nullptr when there is no device.
    QPainter* Painter();
    bool HandleAllocated() const { return FDevice != nullptr || FExternalPainter != nullptr; }
    // Brings pen, brush and font into the device-context state (text colour from the
    // font, background colour and mode from the brush) and answers the canvas, as code
    // that works on the device context expects.
    TCanvas* Handle();
    // The device's size in pixels (0, 0 when none).
    virtual TSize DeviceSize() const;

    // ---- Tools (owned; assign to change)
    TPen* Pen() const { return FPen.get(); }
    TBrush* Brush() const { return FBrush.get(); }
    TFont* Font() const { return FFont.get(); }
    void SetPen(const TPen* value) { FPen->AssignFrom(value); }
    void SetBrush(const TBrush* value) { FBrush->AssignFrom(value); }
    void SetFont(const TFont* value) { FFont->AssignFrom(value); }

    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(const TPoint& value) { FPenPos = value; }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode value) { FCopyMode = value; }
    // ETO_ options every TextOut and TextRect adds.
    unsigned TextFlags() const { return FTextFlags; }
    void SetTextFlags(unsigned value) { FTextFlags = value; }
    TCanvasOrientation CanvasOrientation() const { return FOrientation; }
    void SetCanvasOrientation(TCanvasOrientation value) { FOrientation = value; }
    // The clip box in logical coordinates (the device's whole area when nothing clips).
    TRect ClipRect();

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
    const TNotifyEvent& OnChanging() const { return FOnChanging; }
    void SetOnChanging(TNotifyEvent value) { FOnChanging = std::move(value); }
    // Serialises drawing from several places; counted.
    void Lock() { ++FLockCount; }
    void Unlock() { --FLockCount; }
    int LockCount() const { return FLockCount; }

    // ---- Drawing with pen, brush and font
    void MoveTo(int x, int y);
    // A line from the current position up to, not including, (x, y); the position moves.
    void LineTo(int x, int y);
    // Outline with the pen, inside with the brush; covers Left..Right-1, Top..Bottom-1.
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    // Fills with the brush, no outline.
    void FillRect(const TRect& r);
    // A one-pixel frame in the brush.
    void FrameRect(const TRect& r);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    // Counter-clockwise from the ray to (x3, y3) to the ray to (x4, y4) on the ellipse
    // bounded by (x1, y1, x2, y2).
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // Closed and filled with the alternate (even-odd) rule.
    void Polygon(const TPoint* points, int count);
    void Polygon(const std::vector<TPoint>& points) { Polygon(points.data(), int(points.size())); }
    void Polyline(const TPoint* points, int count);
    void Polyline(const std::vector<TPoint>& points) {
        Polyline(points.data(), int(points.size()));
    }
    // Reads a pixel (clNone outside the device or on a device that cannot be read).
    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor color);

    // Text at (x, y) in the font, placed by the text alignment; with a solid brush the
    // text cell is filled in the background colour (the brush colour). The current
    // position moves to the end of the text.
    void TextOut(int x, int y, std::string_view text);
    // Text clipped to the rectangle; with a solid brush the rectangle is filled first.
    void TextRect(const TRect& r, int x, int y, std::string_view text);
    TSize TextExtent(std::string_view text);
    int TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int TextHeight(std::string_view text) { return TextExtent(text).cy; }

    // A graphic at its own size, or stretched over the rectangle.
    void Draw(int x, int y, const TGraphic* graphic);
    void StretchDraw(const TRect& r, const TGraphic* graphic);
    // Copies a part of another canvas, stretched to the destination, with CopyMode.
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& src);
    // An exclusive-or dotted frame: drawing it twice restores the picture.
    void DrawFocusRect(const TRect& r);

    // ---- Device-context state
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor value);
    int BkMode() const { return FBkMode; }
    void SetBkMode(int value);
    TColor TextColor() const { return FTextColor; }
    void SetTextColor(TColor value);
    unsigned TextAlign() const { return FTextAlign; }
    void SetTextAlign(unsigned flags);

    // Draws formatted text in the rectangle with DT_ flags and answers the height of the
    // text; with DT_CALCRECT only measures and sets the rectangle's right and bottom.
    // CR, LF and CR LF all break lines (except with DT_SINGLELINE).
    int DrawText(std::string_view text, TRect& r, unsigned flags);
    // Text at a point with ETO_ options and an optional rectangle for opaque filling
    // and clipping.
    void ExtTextOut(int x, int y, unsigned options, const TRect* r, std::string_view text);

    // Block copies (logical coordinates on both sides).
    bool BitBlt(int x, int y, int width, int height, TCanvas* source, int xSrc, int ySrc,
                uint32_t rop);
    bool StretchBlt(int x, int y, int width, int height, TCanvas* source, int xSrc, int ySrc,
                    int widthSrc, int heightSrc, uint32_t rop);
    // The same from an image (a monochrome image is a Format_Mono one, or any image whose
    // pixels are all black and white when sourceIsMonochrome is set: black pixels take
    // the text colour and white ones the background colour).
    bool StretchBltImage(const TRect& dest, const QImage& source, const TRect& src, uint32_t rop,
                         bool sourceIsMonochrome = false);
    // The same from a bitmap's pixels (a monochrome bitmap counts as monochrome only when
    // sourceIsMonochrome is set, as for an image).
    bool StretchBltBitmap(const TRect& dest, const TBitmap* source, const TRect& src, uint32_t rop,
                          bool sourceIsMonochrome = false);
    // A raster operation between the brush and the destination.
    bool PatBlt(int x, int y, int width, int height, uint32_t rop);

    // ---- Clipping (device coordinates) and saved states
    // nullptr removes the clip region; answers the complexity of the result.
    int SelectClipRgn(const TRegion* region);
    int IntersectClipRect(int left, int top, int right, int bottom); // logical
    int ExcludeClipRect(int left, int top, int right, int bottom);   // logical
    // False when no clip region is set.
    bool GetClipRgn(TRegion& region) const;
    // The clip box in logical coordinates; answers the complexity.
    int GetClipBox(TRect& r);
    // Saves the device-context state (background, text colour and alignment, clip,
    // mapping, position) and answers its level; RestoreDC(-1) restores the last one.
    int SaveDC();
    bool RestoreDC(int savedDC);

    // ---- Mapping
    int MapMode() const { return FMapMode; }
    int SetMapMode(int mode); // answers the previous mode
    void SetWindowOrg(int x, int y, TPoint* previous = nullptr);
    void SetWindowExt(int x, int y, TSize* previous = nullptr);
    void SetViewportOrg(int x, int y, TPoint* previous = nullptr);
    void SetViewportExt(int x, int y, TSize* previous = nullptr);
    TPoint WindowOrg() const { return FWindowOrg; }
    TSize WindowExt() const { return FWindowExt; }
    TPoint ViewportOrg() const { return FViewportOrg; }
    TSize ViewportExt() const { return FViewportExt; }
    void LPtoDP(TPoint* points, int count) const;
    void DPtoLP(TPoint* points, int count) const;
    TPoint LPtoDP(const TPoint& p) const;
    TRect LPtoDP(const TRect& r) const;
    TRect DPtoLP(const TRect& r) const;

    // ---- Fills
    // At most 256 bands from startColor (top or left) to endColor (bottom or right).
    void GradientFillRect(const TRect& r, TColor startColor, TColor endColor,
                          TGradientFillDirection direction);

protected:
    // The primitives every drawing operation ends in; coordinates are logical, and
    // pen, brush, font and device-context state are the canvas' current ones. A canvas
    // that records (a metafile canvas) overrides them all.
    virtual void DoLine(const TPoint& from, const TPoint& to);
    virtual void DoRectangle(const TRect& r);
    virtual void DoFillRect(const TRect& r, TColor color); // solid, no outline
    virtual void DoBrushFill(const TRect& r);              // the brush, no outline
    virtual void DoEllipse(const TRect& r);
    virtual void DoRoundRect(const TRect& r, int ellipseWidth, int ellipseHeight);
    enum TArcKind { akArc, akPie, akChord };
    virtual void DoArc(TArcKind kind, const TRect& r, const TPoint& start, const TPoint& end);
    virtual void DoPolygon(const std::vector<TPoint>& points);
    virtual void DoPolyline(const std::vector<TPoint>& points);
    virtual void DoSetPixel(const TPoint& p, TColor color);
    // One line of text at a point, placed by the text alignment, with ETO_ options.
    virtual void DoTextOut(const TPoint& p, unsigned options, const TRect* r,
                           std::string_view text);
    virtual void DoStretchImage(const TRect& dest, const QImage& source, const TRect& src,
                                uint32_t rop, bool sourceIsMonochrome);
    virtual void DoPatBlt(const TRect& r, uint32_t rop);
    virtual void DoFocusRect(const TRect& r);
    // Text metrics in logical units for the current font.
    virtual TSize DoTextExtent(std::string_view text);

    virtual void Changing();
    virtual void Changed();

    // Realises pen, brush and font into the device-context state as the device context
    // would on selecting them.
    void RequireFont();
    void RequireBrush();
    // The font for drawing in device pixels (scaled by the mapping).
    QFont DeviceFont() const;
    double ScaleX() const;
    double ScaleY() const;
    // The device image when the device is a QImage (pixels can be combined directly).
    QImage* DeviceImage() const;

private:
    struct TDCState {
        TColor BkColor;
        int BkMode;
        TColor TextColor;
        unsigned TextAlign;
        bool HasClip;
        TRegion Clip;
        int MapMode;
        TPoint WindowOrg, ViewportOrg;
        TSize WindowExt, ViewportExt;
        TPoint PenPos;
    };
    friend class TCanvasPaint;
    void ResetDCState();
    void ToolChanged(TObject* sender);
    bool BeginPainter();
    QRegion DeviceClip() const;
    std::vector<std::string> LayoutLines(std::string_view text, int width, unsigned flags,
                                         std::vector<int>* underlines);

    QPaintDevice* FDevice = nullptr;
    QPainter* FExternalPainter = nullptr;
    std::unique_ptr<QPainter> FPainter;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TFont> FFont;
    bool FFontValid = false;
    bool FBrushValid = false;
    TPoint FPenPos;
    TCopyMode FCopyMode = cmSrcCopy;
    unsigned FTextFlags = 0;
    TCanvasOrientation FOrientation = coLeftToRight;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnChanging;
    int FLockCount = 0;

    TColor FBkColor = clWhite;
    int FBkMode = OPAQUE;
    TColor FTextColor = clBlack;
    unsigned FTextAlign = TA_LEFT | TA_TOP;
    bool FHasClip = false;
    TRegion FClip;
    int FMapMode = MM_TEXT;
    TPoint FWindowOrg, FViewportOrg;
    TSize FWindowExt{1, 1}, FViewportExt{1, 1};
    std::vector<TDCState> FSaved;
};

// Free functions of the drawing library.

// Text in the rectangle with DT_ flags (see TCanvas::DrawText).
int DrawText(TCanvas* canvas, std::string_view text, TRect& r, unsigned flags);
// Width lines of a bevel: top and left in topColor, bottom and right in bottomColor;
// the rectangle shrinks by Width on every side.
void Frame3D(TCanvas* canvas, TRect& r, TColor topColor, TColor bottomColor, int width);
// A raised or sunken edge of one or two lines on the chosen sides; with BF_ADJUST the
// rectangle shrinks by the edge, with BF_MIDDLE the inside is filled with the button face.
bool DrawEdge(TCanvas* canvas, TRect& r, unsigned edge, unsigned flags);
