// The metafile picture: its size, its records replayed on a canvas, and saving and
// loading through the writers and the reader of the two file formats.

#include "framework/gui/Metafile.h"

#include "framework/gui/MetafileFormat.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace MetafileFormat {

const QImage& ImageOf(const TMetafileRecord& record) {
    static const QImage none;
    return record.Image ? *record.Image : none;
}

namespace {
// Pen modes in enumeration order, as binary raster operation codes.
constexpr uint32_t kRop2Codes[] = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};
} // namespace

uint32_t Rop2Code(TPenMode mode) {
    return kRop2Codes[mode];
}

TPenMode PenModeFromRop2(uint32_t code) {
    for (size_t i = 0; i < std::size(kRop2Codes); ++i)
        if (kRop2Codes[i] == code)
            return TPenMode(i);
    return pmCopy;
}

TRect BoundsOf(const std::vector<TPoint>& points) {
    if (points.empty())
        return TRect();
    TRect b(points[0].X, points[0].Y, points[0].X, points[0].Y);
    for (const TPoint& p : points) {
        b.Left = std::min(b.Left, p.X);
        b.Top = std::min(b.Top, p.Y);
        b.Right = std::max(b.Right, p.X);
        b.Bottom = std::max(b.Bottom, p.Y);
    }
    return b;
}

} // namespace MetafileFormat

// ---------------------------------------------------------------------------
// TMetafile

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

void TMetafile::SetWidth(int value) {
    if (FWidth == value)
        return;
    FWidth = std::max(0, value);
    Changed();
}

void TMetafile::SetHeight(int value) {
    if (FHeight == value)
        return;
    FHeight = std::max(0, value);
    Changed();
}

int TMetafile::MMWidth() const {
    return FMMWidth ? FMMWidth : MulDiv(FWidth, 2540, 96);
}
int TMetafile::MMHeight() const {
    return FMMHeight ? FMMHeight : MulDiv(FHeight, 2540, 96);
}
void TMetafile::SetMMWidth(int value) {
    FMMWidth = value;
}
void TMetafile::SetMMHeight(int value) {
    FMMHeight = value;
}

void TMetafile::SetDescription(const std::string& createdBy, const std::string& description) {
    FCreatedBy = createdBy;
    FDescription = description;
}

void TMetafile::Clear() {
    FRecords.clear();
    FWidth = FHeight = 0;
    FMMWidth = FMMHeight = 0;
    Changed();
}

void TMetafile::DrawOnCanvas(TCanvas* canvas, const TRect& r) const {
    if (!canvas || FRecords.empty() || FWidth <= 0 || FHeight <= 0)
        return;
    double sx = double(r.Width()) / FWidth, sy = double(r.Height()) / FHeight;
    auto px = [&](int x) { return r.Left + int(std::lround(x * sx)); };
    auto py = [&](int y) { return r.Top + int(std::lround(y * sy)); };
    auto pt = [&](const TPoint& p) { return TPoint(px(p.X), py(p.Y)); };
    auto rc = [&](const TRect& q) {
        return TRect(px(q.Left), py(q.Top), px(q.Right), py(q.Bottom));
    };
    // The canvas' tools and state come back afterwards.
    TPen pen;
    TBrush brush;
    TFont font;
    pen.AssignFrom(canvas->Pen());
    brush.AssignFrom(canvas->Brush());
    font.AssignFrom(canvas->Font());
    TPoint penPos = canvas->PenPos();
    int saved = canvas->SaveDC();
    TRegion baseClip;
    bool hadClip = canvas->GetClipRgn(baseClip);
    for (const TMetafileRecord& m : FRecords) {
        using K = TMetafileRecord;
        canvas->Pen()->SetColor(m.PenColor);
        canvas->Pen()->SetWidth(std::max(1, int(std::lround(m.PenWidth * sx))));
        canvas->Pen()->SetStyle(m.PenStyle);
        canvas->Pen()->SetMode(m.PenMode);
        canvas->Brush()->SetColor(m.BrushColor);
        canvas->Brush()->SetStyle(m.BrushStyle);
        canvas->Font()->SetName(m.FontName);
        canvas->Font()->SetHeight(m.FontHeight < 0
                                      ? std::min(-1, int(std::lround(m.FontHeight * sy)))
                                      : std::max(1, int(std::lround(m.FontHeight * sy))));
        canvas->Font()->SetStyle(m.FontStyle);
        canvas->Font()->SetEscapement(m.FontEscapement);
        canvas->Font()->SetColor(m.TextColor);
        canvas->Handle();
        canvas->SetBkColor(m.BkColor);
        canvas->SetBkMode(m.BkMode);
        canvas->SetTextColor(m.TextColor);
        canvas->SetTextAlign(m.TextAlign & ~TA_UPDATECP);
        if (m.HasClip) {
            TRegion clip;
            for (const TRect& c : m.Clip)
                clip.Combine(TRegion::FromRect(canvas->LPtoDP(rc(c))), RGN_OR);
            if (hadClip)
                clip.Combine(baseClip, RGN_AND);
            canvas->SelectClipRgn(&clip);
        } else {
            canvas->SelectClipRgn(hadClip ? &baseClip : nullptr);
        }
        const TRect box = rc(m.Rect);
        switch (m.Kind) {
        case K::mrLine:
            canvas->MoveTo(px(m.Points[0].X), py(m.Points[0].Y));
            canvas->LineTo(px(m.Points[1].X), py(m.Points[1].Y));
            break;
        case K::mrRectangle:
            canvas->Rectangle(box);
            break;
        case K::mrFillRect: {
            canvas->Brush()->SetColor(m.FillColor);
            canvas->Brush()->SetStyle(bsSolid);
            canvas->FillRect(box);
            break;
        }
        case K::mrBrushFill:
            canvas->FillRect(box);
            break;
        case K::mrEllipse:
            canvas->Ellipse(box);
            break;
        case K::mrRoundRect:
            canvas->RoundRect(box.Left, box.Top, box.Right, box.Bottom,
                              int(std::lround(m.Points[0].X * sx)),
                              int(std::lround(m.Points[0].Y * sy)));
            break;
        case K::mrArc:
        case K::mrPie:
        case K::mrChord: {
            TPoint a = pt(m.Points[0]), b = pt(m.Points[1]);
            if (m.Kind == K::mrArc)
                canvas->Arc(box.Left, box.Top, box.Right, box.Bottom, a.X, a.Y, b.X, b.Y);
            else if (m.Kind == K::mrPie)
                canvas->Pie(box.Left, box.Top, box.Right, box.Bottom, a.X, a.Y, b.X, b.Y);
            else
                canvas->Chord(box.Left, box.Top, box.Right, box.Bottom, a.X, a.Y, b.X, b.Y);
            break;
        }
        case K::mrPolygon:
        case K::mrPolyline: {
            std::vector<TPoint> pts;
            for (const TPoint& p : m.Points)
                pts.push_back(pt(p));
            if (m.Kind == K::mrPolygon)
                canvas->Polygon(pts);
            else
                canvas->Polyline(pts);
            break;
        }
        case K::mrPixel:
            canvas->SetPixels(px(m.Points[0].X), py(m.Points[0].Y), m.FillColor);
            break;
        case K::mrText: {
            TRect clip = box;
            canvas->ExtTextOut(px(m.Points[0].X), py(m.Points[0].Y), m.Options,
                               m.HasRect ? &clip : nullptr, m.Text);
            break;
        }
        case K::mrImage:
            canvas->StretchBltImage(box, MetafileFormat::ImageOf(m), m.SourceRect, m.Rop,
                                    m.Monochrome);
            break;
        case K::mrPatBlt:
            canvas->PatBlt(box.Left, box.Top, box.Width(), box.Height(), m.Rop);
            break;
        case K::mrFocusRect:
            canvas->DrawFocusRect(box);
            break;
        }
    }
    canvas->RestoreDC(saved);
    canvas->Pen()->AssignFrom(&pen);
    canvas->Brush()->AssignFrom(&brush);
    canvas->Font()->AssignFrom(&font);
    canvas->SetPenPos(penPos);
}

std::vector<uint8_t> TMetafile::SaveEnhanced() const {
    return MetafileFormat::WriteEnhanced(*this);
}

std::vector<uint8_t> TMetafile::SaveWindows() const {
    return MetafileFormat::WriteWindows(*this);
}

std::vector<uint8_t> TMetafile::SaveToBytes() const {
    return FEnhanced ? SaveEnhanced() : SaveWindows();
}

void TMetafile::LoadFromBytes(const std::vector<uint8_t>& bytes) {
    MetafileFormat::TReadMetafile read = MetafileFormat::Read(bytes);
    // Nothing changes until the whole file has been read.
    FRecords = std::move(read.Records);
    FEnhanced = read.Enhanced;
    if (!read.Enhanced)
        FInch = read.Inch;
    FWidth = read.Width;
    FHeight = read.Height;
    FMMWidth = FMMHeight = 0;
    Changed();
}

void TMetafile::AssignFrom(const TPersistent* source) {
    if (auto* m = dynamic_cast<const TMetafile*>(source)) {
        if (m == this)
            return;
        FRecords = m->FRecords;
        FWidth = m->FWidth;
        FHeight = m->FHeight;
        FMMWidth = m->FMMWidth;
        FMMHeight = m->FMMHeight;
        FEnhanced = m->FEnhanced;
        FInch = m->FInch;
        FCreatedBy = m->FCreatedBy;
        FDescription = m->FDescription;
        Changed();
        return;
    }
    if (!source) {
        Clear();
        return;
    }
    TGraphic::AssignFrom(source);
}
