#pragma once
// Metafiles: pictures kept as drawing calls. A TMetafileCanvas records what is drawn on
// it; the metafile replays the calls on any canvas, stretched to the rectangle it is
// drawn in, and saves them as an enhanced metafile (EMF) or as a placeable Windows
// metafile (WMF) that other programs open.

#include "framework/gui/Bitmaps.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QImage;

// One recorded call with the drawing state it was made in. Coordinates are the
// recording canvas' device pixels.
struct TMetafileRecord {
    enum TKind {
        mrLine,      // Points[0] → Points[1], last pixel excluded
        mrRectangle, // Rect
        mrFillRect,  // Rect in FillColor
        mrBrushFill, // Rect in the brush
        mrEllipse,   // Rect
        mrRoundRect, // Rect, Points[0] = corner ellipse size
        mrArc,       // Rect, Points[0] start, Points[1] end
        mrPie,
        mrChord,
        mrPolygon, // Points
        mrPolyline,
        mrPixel,  // Points[0] in FillColor
        mrText,   // Points[0], Options, Rect when HasRect, Text
        mrImage,  // Rect (destination), Image, SourceRect, Rop
        mrPatBlt, // Rect, Rop
        mrFocusRect
    };
    TKind Kind = mrLine;
    std::vector<TPoint> Points;
    TRect Rect;
    TRect SourceRect;
    TColor FillColor = clBlack;
    unsigned Options = 0;
    bool HasRect = false;
    std::string Text;
    std::shared_ptr<const QImage> Image; // shared by copies of the record; null for none
    uint32_t Rop = 0;
    bool Monochrome = false;

    // State
    TColor PenColor = clBlack;
    int PenWidth = 1; // device pixels
    TPenStyle PenStyle = psSolid;
    TPenMode PenMode = pmCopy;
    TColor BrushColor = clWhite;
    TBrushStyle BrushStyle = bsSolid;
    std::string FontName;
    int FontHeight = -11; // device pixels
    TFontStyles FontStyle;
    TFontCharset FontCharset = DEFAULT_CHARSET;
    int FontEscapement = 0;
    TColor TextColor = clBlack;
    TColor BkColor = clWhite;
    int BkMode = OPAQUE;
    unsigned TextAlign = 0;
    bool HasClip = false;
    std::vector<TRect> Clip; // device rectangles
};

class TMetafile : public TGraphic {
    ORV_CLASS(TMetafile, TGraphic)

    TMetafile();
    ~TMetafile() override;

    bool Empty() const override { return FRecords.empty() && FWidth == 0 && FHeight == 0; }
    // The picture's size in pixels at 96 pixels per inch.
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    // Size in 0.01 mm (from the pixel size at 96 pixels per inch unless set).
    int MMWidth() const;
    int MMHeight() const;
    void SetMMWidth(int value);
    void SetMMHeight(int value);
    // Saved as EMF when set (default), as placeable WMF otherwise.
    bool Enhanced() const { return FEnhanced; }
    void SetEnhanced(bool value) { FEnhanced = value; }
    // Units per inch of the placeable WMF header (default 96: one unit per pixel).
    int Inch() const { return FInch; }
    void SetInch(int value) { FInch = value; }
    const std::string& CreatedBy() const { return FCreatedBy; }
    const std::string& Description() const { return FDescription; }
    void SetDescription(const std::string& createdBy, const std::string& description);

    void Clear();
    const std::vector<TMetafileRecord>& Records() const { return FRecords; }

    // Replays the calls scaled from (0, 0, Width, Height) onto the rectangle.
    void DrawOnCanvas(TCanvas* canvas, const TRect& r) const override;
    // EMF or WMF bytes, following Enhanced. Reading takes back the drawing calls of both
    // formats (what SaveToBytes writes, and the same records from other programs), so a
    // saved picture draws again; a file whose sizes or offsets point outside it, or that is
    // neither format, raises EInvalidGraphic MetafileNotValid and changes nothing.
    std::vector<uint8_t> SaveToBytes() const override;
    void LoadFromBytes(const std::vector<uint8_t>& bytes) override;
    std::vector<uint8_t> SaveEnhanced() const;
    std::vector<uint8_t> SaveWindows() const;
    void AssignFrom(const TPersistent* source) override;

private:
    friend class TMetafileCanvas;
    std::vector<TMetafileRecord> FRecords;
    int FWidth = 0;
    int FHeight = 0;
    int FMMWidth = 0; // 0: from the pixel size
    int FMMHeight = 0;
    bool FEnhanced = true;
    int FInch = 96;
    std::string FCreatedBy;
    std::string FDescription;
};

// Records the drawing made on it; the calls reach the metafile when the canvas is
// destroyed (the metafile keeps its earlier calls only when the canvas is made with
// append set). The size of a metafile with no size set becomes the bounds of what was
// drawn. The reference canvas (may be nullptr) is only for text measurement.
class TMetafileCanvas : public TCanvas {
    ORV_CLASS(TMetafileCanvas, TCanvas)

    TMetafileCanvas(TMetafile* metafile, TCanvas* reference);
    TMetafileCanvas(TMetafile* metafile, TCanvas* reference, const std::string& createdBy,
                    const std::string& description);
    ~TMetafileCanvas() override;
    TSize DeviceSize() const override;

protected:
    void DoLine(const TPoint& from, const TPoint& to) override;
    void DoRectangle(const TRect& r) override;
    void DoFillRect(const TRect& r, TColor color) override;
    void DoBrushFill(const TRect& r) override;
    void DoEllipse(const TRect& r) override;
    void DoRoundRect(const TRect& r, int ellipseWidth, int ellipseHeight) override;
    void DoArc(TArcKind kind, const TRect& r, const TPoint& start, const TPoint& end) override;
    void DoPolygon(const std::vector<TPoint>& points) override;
    void DoPolyline(const std::vector<TPoint>& points) override;
    void DoSetPixel(const TPoint& p, TColor color) override;
    void DoTextOut(const TPoint& p, unsigned options, const TRect* r,
                   std::string_view text) override;
    void DoStretchImage(const TRect& dest, const QImage& source, const TRect& src, uint32_t rop,
                        bool sourceIsMonochrome) override;
    void DoPatBlt(const TRect& r, uint32_t rop) override;
    void DoFocusRect(const TRect& r) override;

private:
    TMetafileRecord& Add(TMetafileRecord::TKind kind);
    void Extend(const TRect& deviceRect);
    TMetafile* FMetafile;
    std::vector<TMetafileRecord> FRecords;
    TRect FBounds;
    bool FHasBounds = false;
};
