// The metafile canvas: records what is drawn on it, in device pixels, with the drawing
// state of each call, and hands the records to its metafile when it is destroyed.

#include "framework/gui/Metafile.h"

#include "framework/gui/MetafileFormat.h"

#include <QImage>

#include <algorithm>
#include <cmath>

using MetafileFormat::BoundsOf;

// ---------------------------------------------------------------------------
// TMetafileCanvas

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, TCanvas* reference)
    : TMetafileCanvas(metafile, reference, std::string(), std::string()) {}

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, TCanvas* reference,
                                 const std::string& createdBy, const std::string& description)
    : FMetafile(metafile) {
    if (reference)
        Font()->AssignFrom(reference->Font());
    if (FMetafile && (!createdBy.empty() || !description.empty()))
        FMetafile->SetDescription(createdBy, description);
}

TMetafileCanvas::~TMetafileCanvas() {
    if (!FMetafile)
        return;
    FMetafile->FRecords = std::move(FRecords);
    if (FMetafile->FWidth == 0 && FMetafile->FHeight == 0 && FHasBounds) {
        FMetafile->FWidth = std::max(1, FBounds.Right);
        FMetafile->FHeight = std::max(1, FBounds.Bottom);
    }
    FMetafile->Changed();
}

TSize TMetafileCanvas::DeviceSize() const {
    if (FMetafile && FMetafile->Width() > 0 && FMetafile->Height() > 0)
        return TSize(FMetafile->Width(), FMetafile->Height());
    return TSize(32767, 32767);
}

TMetafileRecord& TMetafileCanvas::Add(TMetafileRecord::TKind kind) {
    TMetafileRecord& r = FRecords.emplace_back();
    r.Kind = kind;
    r.PenColor = ColorToRGB(Pen()->Color());
    r.PenWidth = std::max(1, int(std::lround(Pen()->Width() * std::fabs(ScaleX()))));
    r.PenStyle = Pen()->CosmeticAlternate() ? psDot : Pen()->Style();
    r.PenMode = Pen()->Mode();
    r.BrushColor = ColorToRGB(Brush()->Color());
    r.BrushStyle = Brush()->Style();
    r.FontName = Font()->Name();
    double fy = std::fabs(ScaleY());
    r.FontHeight = Font()->Height() < 0 ? std::min(-1, int(std::lround(Font()->Height() * fy)))
                                        : std::max(1, int(std::lround(Font()->Height() * fy)));
    r.FontStyle = Font()->Style();
    r.FontCharset = Font()->Charset();
    r.FontEscapement = Font()->Escapement();
    r.TextColor = TextColor();
    r.BkColor = BkColor();
    r.BkMode = BkMode();
    r.TextAlign = TextAlign();
    TRegion clip;
    if (GetClipRgn(clip)) {
        r.HasClip = true;
        r.Clip = clip.Rects();
    }
    return r;
}

void TMetafileCanvas::Extend(const TRect& deviceRect) {
    TRect n(
        std::min(deviceRect.Left, deviceRect.Right), std::min(deviceRect.Top, deviceRect.Bottom),
        std::max(deviceRect.Left, deviceRect.Right), std::max(deviceRect.Top, deviceRect.Bottom));
    if (!FHasBounds) {
        FBounds = n;
        FHasBounds = true;
    } else {
        FBounds = TRect(std::min(FBounds.Left, n.Left), std::min(FBounds.Top, n.Top),
                        std::max(FBounds.Right, n.Right), std::max(FBounds.Bottom, n.Bottom));
    }
}

void TMetafileCanvas::DoLine(const TPoint& from, const TPoint& to) {
    if (Pen()->Style() == psClear)
        return;
    TMetafileRecord& r = Add(TMetafileRecord::mrLine);
    r.Points = {LPtoDP(from), LPtoDP(to)};
    Extend(TRect(r.Points[0], r.Points[1]));
}

void TMetafileCanvas::DoRectangle(const TRect& rect) {
    TMetafileRecord& r = Add(TMetafileRecord::mrRectangle);
    r.Rect = LPtoDP(rect);
    Extend(r.Rect);
}

void TMetafileCanvas::DoFillRect(const TRect& rect, TColor color) {
    TMetafileRecord& r = Add(TMetafileRecord::mrFillRect);
    r.Rect = LPtoDP(rect);
    r.FillColor = ColorToRGB(color);
    r.BrushColor = r.FillColor;
    r.BrushStyle = bsSolid;
    Extend(r.Rect);
}

void TMetafileCanvas::DoBrushFill(const TRect& rect) {
    if (Brush()->Style() == bsClear)
        return;
    TMetafileRecord& r = Add(TMetafileRecord::mrBrushFill);
    r.Rect = LPtoDP(rect);
    Extend(r.Rect);
}

void TMetafileCanvas::DoEllipse(const TRect& rect) {
    TMetafileRecord& r = Add(TMetafileRecord::mrEllipse);
    r.Rect = LPtoDP(rect);
    Extend(r.Rect);
}

void TMetafileCanvas::DoRoundRect(const TRect& rect, int ellipseWidth, int ellipseHeight) {
    TMetafileRecord& r = Add(TMetafileRecord::mrRoundRect);
    r.Rect = LPtoDP(rect);
    r.Points = {TPoint(int(std::lround(ellipseWidth * std::fabs(ScaleX()))),
                       int(std::lround(ellipseHeight * std::fabs(ScaleY()))))};
    Extend(r.Rect);
}

void TMetafileCanvas::DoArc(TArcKind kind, const TRect& rect, const TPoint& start,
                            const TPoint& end) {
    TMetafileRecord& r = Add(kind == akArc   ? TMetafileRecord::mrArc
                             : kind == akPie ? TMetafileRecord::mrPie
                                             : TMetafileRecord::mrChord);
    r.Rect = LPtoDP(rect);
    r.Points = {LPtoDP(start), LPtoDP(end)};
    Extend(r.Rect);
}

void TMetafileCanvas::DoPolygon(const std::vector<TPoint>& points) {
    TMetafileRecord& r = Add(TMetafileRecord::mrPolygon);
    for (const TPoint& p : points)
        r.Points.push_back(LPtoDP(p));
    TRect b = BoundsOf(r.Points);
    Extend(TRect(b.Left, b.Top, b.Right + 1, b.Bottom + 1));
}

void TMetafileCanvas::DoPolyline(const std::vector<TPoint>& points) {
    if (Pen()->Style() == psClear)
        return;
    TMetafileRecord& r = Add(TMetafileRecord::mrPolyline);
    for (const TPoint& p : points)
        r.Points.push_back(LPtoDP(p));
    TRect b = BoundsOf(r.Points);
    Extend(TRect(b.Left, b.Top, b.Right + 1, b.Bottom + 1));
}

void TMetafileCanvas::DoSetPixel(const TPoint& p, TColor color) {
    TMetafileRecord& r = Add(TMetafileRecord::mrPixel);
    r.Points = {LPtoDP(p)};
    r.FillColor = ColorToRGB(color);
    Extend(TRect(r.Points[0].X, r.Points[0].Y, r.Points[0].X + 1, r.Points[0].Y + 1));
}

void TMetafileCanvas::DoTextOut(const TPoint& p, unsigned options, const TRect* rect,
                                std::string_view text) {
    TMetafileRecord& r = Add(TMetafileRecord::mrText);
    r.Points = {LPtoDP(p)};
    r.Options = options;
    r.Text = std::string(text);
    if (rect) {
        r.HasRect = true;
        r.Rect = LPtoDP(*rect);
        Extend(r.Rect);
    }
    TSize ext = TextExtent(text);
    Extend(TRect(r.Points[0].X, r.Points[0].Y, r.Points[0].X + ext.cx, r.Points[0].Y + ext.cy));
}

void TMetafileCanvas::DoStretchImage(const TRect& dest, const QImage& source, const TRect& src,
                                     uint32_t rop, bool sourceIsMonochrome) {
    TMetafileRecord& r = Add(TMetafileRecord::mrImage);
    r.Rect = LPtoDP(dest);
    r.Image = std::make_shared<const QImage>(source);
    r.SourceRect = src;
    r.Rop = rop;
    r.Monochrome = sourceIsMonochrome;
    if (source.isNull())
        r.Kind = TMetafileRecord::mrPatBlt;
    Extend(r.Rect);
}

void TMetafileCanvas::DoPatBlt(const TRect& rect, uint32_t rop) {
    TMetafileRecord& r = Add(TMetafileRecord::mrPatBlt);
    r.Rect = LPtoDP(rect);
    r.Rop = rop;
    Extend(r.Rect);
}

void TMetafileCanvas::DoFocusRect(const TRect& rect) {
    TMetafileRecord& r = Add(TMetafileRecord::mrFocusRect);
    r.Rect = LPtoDP(rect);
}
