#include "framework/gui/Canvas.h"

#include "framework/core/SystemUtils.h"
#include "framework/gui/Bitmaps.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>

namespace {

QRect ToQRect(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

TRect Normalized(const TRect& r) {
    return TRect(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                 std::max(r.Top, r.Bottom));
}

uint32_t Rgb24(TColor c) {
    TColor v = ColorToRGB(c);
    // TColor holds red in the low byte; pixels hold blue there.
    return uint32_t(GetRValue(v) << 16 | GetGValue(v) << 8 | GetBValue(v));
}

TColor FromRgb24(uint32_t v) {
    return RGB(int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF));
}

// The result of a binary pen mode on pen colour p and destination d (24-bit values).
uint32_t ApplyPenMode(TPenMode mode, uint32_t p, uint32_t d) {
    uint32_t r;
    switch (mode) {
    case pmBlack:
        r = 0;
        break;
    case pmWhite:
        r = 0xFFFFFF;
        break;
    case pmNop:
        r = d;
        break;
    case pmNot:
        r = ~d;
        break;
    case pmCopy:
        r = p;
        break;
    case pmNotCopy:
        r = ~p;
        break;
    case pmMergePenNot:
        r = p | ~d;
        break;
    case pmMaskPenNot:
        r = p & ~d;
        break;
    case pmMergeNotPen:
        r = ~p | d;
        break;
    case pmMaskNotPen:
        r = ~p & d;
        break;
    case pmMerge:
        r = p | d;
        break;
    case pmNotMerge:
        r = ~(p | d);
        break;
    case pmMask:
        r = p & d;
        break;
    case pmNotMask:
        r = ~(p & d);
        break;
    case pmXor:
        r = p ^ d;
        break;
    case pmNotXor:
        r = ~(p ^ d);
        break;
    default:
        r = p;
    }
    return r & 0xFFFFFF;
}

// A ternary raster operation: bit i of the operation code (bits 16..23 of rop) gives the
// result for pattern, source and destination bits (i = 4P + 2S + D).
uint32_t ApplyRop3(uint32_t rop, uint32_t p, uint32_t s, uint32_t d) {
    uint32_t code = (rop >> 16) & 0xFF;
    uint32_t r = 0;
    for (int i = 0; i < 8; ++i) {
        if (!((code >> i) & 1))
            continue;
        r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
    return r & 0xFFFFFF;
}

QPainter::CompositionMode CompositionFor(TPenMode mode) {
    switch (mode) {
    case pmBlack:
        return QPainter::RasterOp_ClearDestination;
    case pmWhite:
        return QPainter::RasterOp_SetDestination;
    case pmNot:
        return QPainter::RasterOp_NotDestination;
    case pmNotCopy:
        return QPainter::RasterOp_NotSource;
    case pmMergePenNot:
        return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot:
        return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen:
        return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen:
        return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge:
        return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask:
        return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor:
        return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor:
        return QPainter::RasterOp_NotSourceXorDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

// Counter-clockwise angle in degrees of the point on the ellipse that the ray from the
// centre towards p meets, measured in the ellipse's own parameter.
double EllipseAngle(const QRectF& box, const TPoint& p) {
    double cx = box.center().x(), cy = box.center().y();
    double rx = std::max(box.width() / 2, 0.5), ry = std::max(box.height() / 2, 0.5);
    double a = std::atan2(-(p.Y - cy) / ry, (p.X - cx) / rx) * 180 / std::numbers::pi;
    return a < 0 ? a + 360 : a;
}

// The pixels of a one-pixel line from a up to, not including, b.
std::vector<QPoint> LinePixels(const TPoint& a, const TPoint& b) {
    std::vector<QPoint> pts;
    int dx = std::abs(b.X - a.X), dy = -std::abs(b.Y - a.Y);
    int sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
    int err = dx + dy, x = a.X, y = a.Y;
    while (x != b.X || y != b.Y) {
        pts.emplace_back(x, y);
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    return pts;
}

// On and off runs of the styled one-pixel pens; empty for solid.
std::vector<int> DashPattern(const TPen& pen) {
    if (pen.CosmeticAlternate())
        return {1, 1};
    switch (pen.Style()) {
    case psDash:
        return {18, 6};
    case psDot:
        return {3, 3};
    case psDashDot:
        return {9, 6, 3, 6};
    case psDashDotDot:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

// The rows of an ellipse filling the box's pixels Left..Right-1, Top..Bottom-1: for each
// row from Top, the first and last pixel.
std::vector<std::pair<int, int>> EllipseSpans(const TRect& box) {
    std::vector<std::pair<int, int>> spans;
    int w = box.Width(), h = box.Height();
    double cx = box.Left + (w - 1) / 2.0, cy = box.Top + (h - 1) / 2.0;
    double a = (w - 1) / 2.0, b = (h - 1) / 2.0;
    for (int y = box.Top; y < box.Bottom; ++y) {
        double hw = a;
        if (b > 0) {
            double t = (y - cy) / b;
            hw = a * std::sqrt(std::max(0.0, 1 - t * t));
        }
        int left = int(std::floor(cx - hw + 0.5)), right = int(std::ceil(cx + hw - 0.5));
        if (left > right)
            std::swap(left, right);
        spans.emplace_back(left, right);
    }
    return spans;
}

} // namespace

// Helper with access to the canvas' painter set-up.
class TCanvasPaint {
public:
    // Draws through fn with the canvas' clip, background and the given mix mode. bounds
    // is the device area fn may touch (used when the mode has to be applied pixel by
    // pixel on an image).
    static void Render(TCanvas& c, const QRect& bounds, TPenMode mode,
                       const std::function<void(QPainter&)>& fn);
    static void Prepare(TCanvas& c, QPainter& p);
    static QPen MakePen(const TCanvas& c, bool* visible);
    static QBrush MakeBrush(const TCanvas& c);
    static QPainter* ActivePainter(TCanvas& c);
    // The image a solid one-pixel pen in copy mode may set its pixels in directly
    // (nullptr when the line has to go through the painter).
    static QImage* DirectLineImage(TCanvas& c);
    // True when the canvas draws on paper (a printer or its PDF file), where lines are kept
    // as strokes rather than pixels.
    static bool OnPaper(TCanvas& c);
};

namespace {

// Sets the pixels of one-pixel solid lines straight into an image, inside the canvas'
// clip. Lines leave out their last pixel, as every one-pixel line does.
// A clip region's rectangles by row, so that a pixel is tested against the few spans of
// its own row (a 3-D chart's clip is a polygon of hundreds of rows). The rows of the last
// region lines were drawn through are kept: the lines of a series share one clip.
struct TClipRows {
    QRegion Region;
    int Top = 0;
    std::vector<uint32_t> RowStart; // per row, from Top, into Spans; one more at the end
    std::vector<std::pair<int, int>> Spans;

    bool Inside(int x, int y) const {
        const int row = y - Top;
        if (row < 0 || row + 1 >= int(RowStart.size()))
            return false;
        for (uint32_t k = RowStart[size_t(row)]; k < RowStart[size_t(row) + 1]; ++k)
            if (x >= Spans[k].first && x <= Spans[k].second)
                return true;
        return false;
    }

    static const TClipRows& Of(const QRegion& clip) {
        static thread_local TClipRows cache;
        static thread_local bool built = false;
        if (built && cache.Region == clip)
            return cache;
        built = true;
        cache.Region = clip;
        const QRect bounds = clip.boundingRect();
        cache.Top = bounds.top();
        const size_t rows = size_t(std::max(0, bounds.height()));
        std::vector<uint32_t> counts(rows + 1, 0);
        for (const QRect& r : clip)
            for (int y = r.top(); y <= r.bottom(); ++y)
                ++counts[size_t(y - cache.Top)];
        cache.RowStart.assign(rows + 1, 0);
        for (size_t row = 0; row < rows; ++row)
            cache.RowStart[row + 1] = cache.RowStart[row] + counts[row];
        cache.Spans.assign(cache.RowStart[rows], {});
        std::vector<uint32_t> next(cache.RowStart.begin(), cache.RowStart.end() - 1);
        for (const QRect& r : clip)
            for (int y = r.top(); y <= r.bottom(); ++y)
                cache.Spans[next[size_t(y - cache.Top)]++] = {r.left(), r.right()};
        return cache;
    }
};

class TDirectLineWriter {
public:
    TDirectLineWriter(QImage& image, const TCanvas& canvas, bool hasClip, const QRegion& clip,
                      TColor color)
        : FImage(image), FCanvas(canvas) {
        FBox = image.rect();
        if (hasClip) {
            FBox &= clip.boundingRect();
            if (clip.rectCount() > 1)
                FRows = &TClipRows::Of(clip);
        }
        const uint32_t rgb = Rgb24(color);
        FArgb = 0xFF000000u | rgb;
        FColor = QColor::fromRgb(FArgb);
        const QImage::Format format = image.format();
        F32Bit = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
                 format == QImage::Format_ARGB32_Premultiplied;
        if (F32Bit) {
            FBits = image.bits();
            FStride = image.bytesPerLine();
        }
    }

    // A line between two logical points.
    void Line(const TPoint& from, const TPoint& to) {
        DeviceLine(FCanvas.LPtoDP(from), FCanvas.LPtoDP(to));
    }

    void DeviceLine(const TPoint& a, const TPoint& b) {
        if (a == b || FBox.isEmpty())
            return;
        // Nothing of a line outside the clip box is drawn.
        if (std::max(a.X, b.X) < FBox.left() || std::min(a.X, b.X) > FBox.right() ||
            std::max(a.Y, b.Y) < FBox.top() || std::min(a.Y, b.Y) > FBox.bottom())
            return;
        const int dx = std::abs(b.X - a.X), dy = -std::abs(b.Y - a.Y);
        const int sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
        int err = dx + dy, x = a.X, y = a.Y;
        while (x != b.X || y != b.Y) {
            Plot(x, y);
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
    }

private:
    void Plot(int x, int y) {
        if (x < FBox.left() || x > FBox.right() || y < FBox.top() || y > FBox.bottom())
            return;
        if (FRows && !FRows->Inside(x, y))
            return;
        if (F32Bit)
            reinterpret_cast<uint32_t*>(FBits + qsizetype(y) * FStride)[x] = FArgb;
        else
            FImage.setPixelColor(x, y, FColor);
    }

    QImage& FImage;
    const TCanvas& FCanvas;
    QRect FBox;
    const TClipRows* FRows = nullptr;
    uint32_t FArgb = 0;
    QColor FColor;
    bool F32Bit = false;
    uchar* FBits = nullptr;
    qsizetype FStride = 0;
};

} // namespace

QImage* TCanvasPaint::DirectLineImage(TCanvas& c) {
    const TPen& pen = *c.FPen;
    if (pen.Style() != psSolid || pen.CosmeticAlternate() || pen.Mode() != pmCopy)
        return nullptr;
    if (std::lround(pen.Width() * std::fabs(c.ScaleX())) > 1)
        return nullptr;
    // A painter from outside may carry its own transformation and clip.
    if (c.FExternalPainter)
        return nullptr;
    QImage* image = c.DeviceImage();
    // Writing into shared pixel data would detach it from the painter's.
    if (!image || image->isNull() || !image->isDetached())
        return nullptr;
    if (!TCanvasPaint::ActivePainter(c))
        return nullptr;
    return image;
}

bool TCanvasPaint::OnPaper(TCanvas& c) {
    const QPaintDevice* device = c.FExternalPainter ? c.FExternalPainter->device() : c.FDevice;
    return device && device->devType() == QInternal::Printer;
}

QPainter* TCanvasPaint::ActivePainter(TCanvas& c) {
    if (c.FExternalPainter)
        return c.FExternalPainter;
    if (!c.BeginPainter())
        return nullptr;
    return c.FPainter.get();
}

void TCanvasPaint::Prepare(TCanvas& c, QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    // Lines and shapes stay crisp pixels; text is smoothed (see TFont::ToQFont).
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (c.FHasClip)
        p.setClipRegion(c.FClip.ToQRegion(), p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    p.setBackground(QBrush(ColorToQColor(c.FBkColor)));
    p.setBackgroundMode(c.FBkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
}

void TCanvasPaint::Render(TCanvas& c, const QRect& bounds, TPenMode mode,
                          const std::function<void(QPainter&)>& fn) {
    if (mode == pmNop)
        return;
    QPainter* p = ActivePainter(c);
    if (!p)
        return;
    QImage* image = c.DeviceImage();
    if (mode == pmCopy || !image) {
        p->save();
        Prepare(c, *p);
        if (mode != pmCopy)
            p->setCompositionMode(CompositionFor(mode));
        fn(*p);
        p->restore();
        return;
    }
    // The mode is applied pixel by pixel: fn paints a coverage image, whose painted
    // pixels are combined with the image's.
    QRect area = bounds.adjusted(-2, -2, 2, 2) & image->rect();
    if (c.FHasClip)
        area &= c.FClip.ToQRegion().boundingRect();
    if (area.isEmpty())
        return;
    QImage cover(area.size(), QImage::Format_ARGB32_Premultiplied);
    cover.fill(0);
    {
        QPainter mp(&cover);
        mp.translate(-area.topLeft());
        Prepare(c, mp);
        fn(mp);
    }
    QImage result(area.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(0);
    const QImage& dest = *image;
    for (int y = 0; y < area.height(); ++y) {
        const QRgb* cov = reinterpret_cast<const QRgb*>(cover.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            if (qAlpha(cov[x]) == 0)
                continue;
            uint32_t d = dest.pixel(area.x() + x, area.y() + y) & 0xFFFFFF;
            out[x] = 0xFF000000u | ApplyPenMode(mode, cov[x] & 0xFFFFFF, d);
        }
    }
    p->save();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->drawImage(area.topLeft(), result);
    p->restore();
}

QPen TCanvasPaint::MakePen(const TCanvas& c, bool* visible) {
    const TPen& pen = *c.FPen;
    *visible = pen.Style() != psClear;
    if (!*visible)
        return QPen(Qt::NoPen);
    int width = std::max(1, int(std::lround(pen.Width() * std::fabs(c.ScaleX()))));
    QPen qp(ColorToQColor(pen.Color()));
    qp.setWidth(width);
    if (width <= 1) {
        // One-pixel lines leave out their last pixel.
        qp.setCapStyle(Qt::FlatCap);
        qp.setJoinStyle(Qt::MiterJoin);
        if (pen.CosmeticAlternate()) {
            qp.setDashPattern({1, 1});
        } else {
            switch (pen.Style()) {
            case psDash:
                qp.setDashPattern({18, 6});
                break;
            case psDot:
                qp.setDashPattern({3, 3});
                break;
            case psDashDot:
                qp.setDashPattern({9, 6, 3, 6});
                break;
            case psDashDotDot:
                qp.setDashPattern({9, 3, 3, 3, 3, 3});
                break;
            default:
                break;
            }
        }
    } else {
        // Wide pens draw solid with round ends and joins.
        qp.setCapStyle(Qt::RoundCap);
        qp.setJoinStyle(Qt::RoundJoin);
    }
    return qp;
}

QBrush TCanvasPaint::MakeBrush(const TCanvas& c) {
    const TBrush& brush = *c.FBrush;
    if (TBitmap* bmp = brush.Bitmap(); bmp && !bmp->Empty()) {
        QImage pattern = bmp->ToImage();
        if (bmp->Monochrome()) {
            QRgb fore = 0xFF000000u | Rgb24(c.FTextColor), back = 0xFF000000u | Rgb24(c.FBkColor);
            for (int y = 0; y < pattern.height(); ++y) {
                QRgb* row = reinterpret_cast<QRgb*>(pattern.scanLine(y));
                for (int x = 0; x < pattern.width(); ++x)
                    row[x] = (row[x] & 0xFFFFFF) == 0xFFFFFF ? back : fore;
            }
        }
        return QBrush(pattern);
    }
    QColor color = ColorToQColor(brush.Color());
    switch (brush.Style()) {
    case bsSolid:
        return QBrush(color);
    case bsClear:
        return QBrush(Qt::NoBrush);
    case bsHorizontal:
        return QBrush(color, Qt::HorPattern);
    case bsVertical:
        return QBrush(color, Qt::VerPattern);
    case bsFDiagonal:
        return QBrush(color, Qt::FDiagPattern);
    case bsBDiagonal:
        return QBrush(color, Qt::BDiagPattern);
    case bsCross:
        return QBrush(color, Qt::CrossPattern);
    case bsDiagCross:
        return QBrush(color, Qt::DiagCrossPattern);
    }
    return QBrush(color);
}

// ---------------------------------------------------------------------------

TCanvas::TCanvas()
    : FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()),
      FFont(std::make_unique<TFont>()) {
    auto handler = [this](TObject* sender) { ToolChanged(sender); };
    FPen->SetOnChange(handler);
    FBrush->SetOnChange(handler);
    FFont->SetOnChange(handler);
}

TCanvas::TCanvas(QPaintDevice* device) : TCanvas() {
    FDevice = device;
}

TCanvas::~TCanvas() {
    ReleasePainter();
}

void TCanvas::SetDevice(QPaintDevice* device) {
    ReleasePainter();
    FExternalPainter = nullptr;
    FDevice = device;
    ResetDCState();
}

void TCanvas::AttachPainter(QPainter* painter) {
    ReleasePainter();
    FDevice = painter ? painter->device() : nullptr;
    FExternalPainter = painter;
    ResetDCState();
}

void TCanvas::ReleasePainter() {
    if (FPainter && FPainter->isActive())
        FPainter->end();
}

QPainter* TCanvas::Painter() {
    return TCanvasPaint::ActivePainter(*this);
}

bool TCanvas::BeginPainter() {
    if (!FDevice)
        return false;
    if (!FPainter)
        FPainter = std::make_unique<QPainter>();
    if (FPainter->isActive())
        return true;
    return FPainter->begin(FDevice);
}

TCanvas* TCanvas::Handle() {
    RequireFont();
    RequireBrush();
    return this;
}

TSize TCanvas::DeviceSize() const {
    if (!FDevice)
        return TSize();
    return TSize(FDevice->width(), FDevice->height());
}

QImage* TCanvas::DeviceImage() const {
    if (FDevice && FDevice->devType() == QInternal::Image)
        return static_cast<QImage*>(FDevice);
    return nullptr;
}

void TCanvas::ResetDCState() {
    FBkColor = clWhite;
    FBkMode = OPAQUE;
    FTextColor = clBlack;
    FTextAlign = TA_LEFT | TA_TOP;
    FHasClip = false;
    FClip = TRegion();
    FMapMode = MM_TEXT;
    FWindowOrg = FViewportOrg = TPoint();
    FWindowExt = FViewportExt = TSize(1, 1);
    FSaved.clear();
    FFontValid = false;
    FBrushValid = false;
}

void TCanvas::ToolChanged(TObject* sender) {
    if (sender == FFont.get())
        FFontValid = false;
    else if (sender == FBrush.get())
        FBrushValid = false;
}

void TCanvas::RequireFont() {
    if (FFontValid)
        return;
    FTextColor = ColorToRGB(FFont->Color());
    FFontValid = true;
}

void TCanvas::RequireBrush() {
    if (FBrushValid)
        return;
    // Selecting a brush sets the background: the brush colour and opaque for a solid
    // brush, transparent otherwise.
    TColor c = ColorToRGB(FBrush->Color());
    if (FBrush->Style() == bsSolid) {
        FBkColor = c;
        FBkMode = OPAQUE;
    } else {
        FBkColor = TColor(~uint32_t(c) & 0xFFFFFF);
        FBkMode = TRANSPARENT;
    }
    FBrushValid = true;
}

void TCanvas::Changing() {
    if (FOnChanging)
        FOnChanging(this);
}

void TCanvas::Changed() {
    if (FOnChange)
        FOnChange(this);
}

TRect TCanvas::ClipRect() {
    TRect r;
    GetClipBox(r);
    return r;
}

// ---------------------------------------------------------------------------
// Mapping

double TCanvas::ScaleX() const {
    if (FMapMode == MM_TEXT || FWindowExt.cx == 0)
        return 1.0;
    double sx = double(FViewportExt.cx) / FWindowExt.cx;
    if (FMapMode == MM_ISOTROPIC && FWindowExt.cy != 0) {
        double sy = double(FViewportExt.cy) / FWindowExt.cy;
        return std::copysign(std::min(std::fabs(sx), std::fabs(sy)), sx);
    }
    return sx;
}

double TCanvas::ScaleY() const {
    if (FMapMode == MM_TEXT || FWindowExt.cy == 0)
        return 1.0;
    double sy = double(FViewportExt.cy) / FWindowExt.cy;
    if (FMapMode == MM_ISOTROPIC && FWindowExt.cx != 0) {
        double sx = double(FViewportExt.cx) / FWindowExt.cx;
        return std::copysign(std::min(std::fabs(sx), std::fabs(sy)), sy);
    }
    return sy;
}

int TCanvas::SetMapMode(int mode) {
    int old = FMapMode;
    if (mode == MM_TEXT || mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC)
        FMapMode = mode;
    return old;
}

void TCanvas::SetWindowOrg(int x, int y, TPoint* previous) {
    if (previous)
        *previous = FWindowOrg;
    FWindowOrg = TPoint(x, y);
}

void TCanvas::SetWindowExt(int x, int y, TSize* previous) {
    if (previous)
        *previous = FWindowExt;
    if (FMapMode != MM_TEXT && x != 0 && y != 0)
        FWindowExt = TSize(x, y);
}

void TCanvas::SetViewportOrg(int x, int y, TPoint* previous) {
    if (previous)
        *previous = FViewportOrg;
    FViewportOrg = TPoint(x, y);
}

void TCanvas::SetViewportExt(int x, int y, TSize* previous) {
    if (previous)
        *previous = FViewportExt;
    if (FMapMode != MM_TEXT && x != 0 && y != 0)
        FViewportExt = TSize(x, y);
}

TPoint TCanvas::LPtoDP(const TPoint& p) const {
    double sx = ScaleX(), sy = ScaleY();
    return TPoint(int(std::lround((p.X - FWindowOrg.X) * sx)) + FViewportOrg.X,
                  int(std::lround((p.Y - FWindowOrg.Y) * sy)) + FViewportOrg.Y);
}

void TCanvas::LPtoDP(TPoint* points, int count) const {
    for (int i = 0; i < count; ++i)
        points[i] = LPtoDP(points[i]);
}

void TCanvas::DPtoLP(TPoint* points, int count) const {
    double sx = ScaleX(), sy = ScaleY();
    for (int i = 0; i < count; ++i) {
        TPoint& p = points[i];
        p = TPoint(int(std::lround((p.X - FViewportOrg.X) / sx)) + FWindowOrg.X,
                   int(std::lround((p.Y - FViewportOrg.Y) / sy)) + FWindowOrg.Y);
    }
}

TRect TCanvas::LPtoDP(const TRect& r) const {
    return TRect(LPtoDP(r.TopLeft()), LPtoDP(r.BottomRight()));
}

TRect TCanvas::DPtoLP(const TRect& r) const {
    TPoint pts[2] = {r.TopLeft(), r.BottomRight()};
    DPtoLP(pts, 2);
    return TRect(pts[0], pts[1]);
}

QFont TCanvas::DeviceFont() const {
    return FFont->ToQFont(std::fabs(ScaleY()));
}

// ---------------------------------------------------------------------------
// Device-context state

void TCanvas::SetBkColor(TColor value) {
    Handle();
    FBkColor = ColorToRGB(value);
}

void TCanvas::SetBkMode(int value) {
    Handle();
    if (value == TRANSPARENT || value == OPAQUE)
        FBkMode = value;
}

void TCanvas::SetTextColor(TColor value) {
    Handle();
    FTextColor = ColorToRGB(value);
}

void TCanvas::SetTextAlign(unsigned flags) {
    Handle();
    FTextAlign = flags;
}

QRegion TCanvas::DeviceClip() const {
    if (FHasClip)
        return FClip.ToQRegion();
    TSize s = DeviceSize();
    return QRegion(0, 0, s.cx, s.cy);
}

int TCanvas::SelectClipRgn(const TRegion* region) {
    Handle();
    if (!region) {
        FHasClip = false;
        FClip = TRegion();
        return SIMPLEREGION;
    }
    FHasClip = true;
    FClip = *region;
    return FClip.Complexity();
}

int TCanvas::IntersectClipRect(int left, int top, int right, int bottom) {
    Handle();
    TRect d = Normalized(LPtoDP(TRect(left, top, right, bottom)));
    FClip = TRegion(DeviceClip() & QRegion(ToQRect(d)));
    FHasClip = true;
    return FClip.Complexity();
}

int TCanvas::ExcludeClipRect(int left, int top, int right, int bottom) {
    Handle();
    TRect d = Normalized(LPtoDP(TRect(left, top, right, bottom)));
    FClip = TRegion(DeviceClip() - QRegion(ToQRect(d)));
    FHasClip = true;
    return FClip.Complexity();
}

bool TCanvas::GetClipRgn(TRegion& region) const {
    if (!FHasClip)
        return false;
    region = FClip;
    return true;
}

int TCanvas::GetClipBox(TRect& r) {
    QRegion clip = DeviceClip();
    QRect b = clip.boundingRect();
    r = Normalized(DPtoLP(TRect(b.left(), b.top(), b.left() + b.width(), b.top() + b.height())));
    return TRegion(clip).Complexity();
}

int TCanvas::SaveDC() {
    Handle();
    FSaved.push_back(TDCState{FBkColor, FBkMode, FTextColor, FTextAlign, FHasClip, FClip, FMapMode,
                              FWindowOrg, FViewportOrg, FWindowExt, FViewportExt, FPenPos});
    return int(FSaved.size());
}

bool TCanvas::RestoreDC(int savedDC) {
    int level = savedDC < 0 ? int(FSaved.size()) + savedDC + 1 : savedDC;
    if (level < 1 || level > int(FSaved.size()))
        return false;
    const TDCState s = FSaved[size_t(level - 1)];
    FSaved.resize(size_t(level - 1));
    FBkColor = s.BkColor;
    FBkMode = s.BkMode;
    FTextColor = s.TextColor;
    FTextAlign = s.TextAlign;
    FHasClip = s.HasClip;
    FClip = s.Clip;
    FMapMode = s.MapMode;
    FWindowOrg = s.WindowOrg;
    FViewportOrg = s.ViewportOrg;
    FWindowExt = s.WindowExt;
    FViewportExt = s.ViewportExt;
    FPenPos = s.PenPos;
    return true;
}

// ---------------------------------------------------------------------------
// Public drawing operations (those of text in CanvasText.cpp)

void TCanvas::MoveTo(int x, int y) {
    FPenPos = TPoint(x, y);
}

void TCanvas::LineTo(int x, int y) {
    Changing();
    TPoint from = FPenPos;
    FPenPos = TPoint(x, y);
    DoLine(from, FPenPos);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    Changing();
    RequireBrush();
    DoRectangle(TRect(x1, y1, x2, y2));
    Changed();
}

void TCanvas::FillRect(const TRect& r) {
    Changing();
    RequireBrush();
    DoBrushFill(r);
    Changed();
}

void TCanvas::FrameRect(const TRect& r) {
    Changing();
    RequireBrush();
    TRect n = Normalized(r);
    if (n.Width() > 0 && n.Height() > 0) {
        DoBrushFill(TRect(n.Left, n.Top, n.Right, n.Top + 1));
        DoBrushFill(TRect(n.Left, n.Bottom - 1, n.Right, n.Bottom));
        DoBrushFill(TRect(n.Left, n.Top + 1, n.Left + 1, n.Bottom - 1));
        DoBrushFill(TRect(n.Right - 1, n.Top + 1, n.Right, n.Bottom - 1));
    }
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    Changing();
    RequireBrush();
    DoEllipse(TRect(x1, y1, x2, y2));
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
    Changing();
    RequireBrush();
    DoRoundRect(TRect(x1, y1, x2, y2), x3, y3);
    Changed();
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    Changing();
    DoArc(akArc, TRect(x1, y1, x2, y2), TPoint(x3, y3), TPoint(x4, y4));
    Changed();
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    Changing();
    RequireBrush();
    DoArc(akPie, TRect(x1, y1, x2, y2), TPoint(x3, y3), TPoint(x4, y4));
    Changed();
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    Changing();
    RequireBrush();
    DoArc(akChord, TRect(x1, y1, x2, y2), TPoint(x3, y3), TPoint(x4, y4));
    Changed();
}

void TCanvas::Polygon(const TPoint* points, int count) {
    if (count < 2)
        return;
    Changing();
    RequireBrush();
    DoPolygon(std::vector<TPoint>(points, points + count));
    Changed();
}

void TCanvas::Polyline(const TPoint* points, int count) {
    if (count < 2)
        return;
    Changing();
    DoPolyline(std::vector<TPoint>(points, points + count));
    Changed();
}

TColor TCanvas::Pixels(int x, int y) {
    QImage* image = DeviceImage();
    if (!image)
        return clNone;
    TPoint d = LPtoDP(TPoint(x, y));
    const QImage& img = *image;
    if (!img.valid(d.X, d.Y))
        return clNone;
    if (FHasClip && !FClip.Contains(d.X, d.Y))
        return clNone;
    return FromRgb24(img.pixel(d.X, d.Y) & 0xFFFFFF);
}

void TCanvas::SetPixels(int x, int y, TColor color) {
    Changing();
    DoSetPixel(TPoint(x, y), color);
    Changed();
}

void TCanvas::Draw(int x, int y, const TGraphic* graphic) {
    if (!graphic || graphic->Empty())
        return;
    graphic->DrawOnCanvas(this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& r, const TGraphic* graphic) {
    if (!graphic || graphic->Empty())
        return;
    graphic->DrawOnCanvas(this, r);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& src) {
    if (!source)
        return;
    Changing();
    Handle();
    StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), source, src.Left, src.Top,
               src.Width(), src.Height(), FCopyMode);
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& r) {
    Changing();
    Handle();
    DoFocusRect(r);
    Changed();
}

void TCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* r, std::string_view text) {
    Handle();
    Changing();
    DoTextOut(TPoint(x, y), options, r, text);
    Changed();
}

bool TCanvas::BitBlt(int x, int y, int width, int height, TCanvas* source, int xSrc, int ySrc,
                     uint32_t rop) {
    return StretchBlt(x, y, width, height, source, xSrc, ySrc, width, height, rop);
}

bool TCanvas::StretchBlt(int x, int y, int width, int height, TCanvas* source, int xSrc, int ySrc,
                         int widthSrc, int heightSrc, uint32_t rop) {
    Handle();
    QImage image;
    TRect src;
    if (source) {
        TRect s = source->LPtoDP(TRect(xSrc, ySrc, xSrc + widthSrc, ySrc + heightSrc));
        TRect sn = Normalized(s);
        if (QImage* img = source->DeviceImage()) {
            image = img->copy(ToQRect(sn));
        } else if (source->FDevice && source->FDevice->devType() == QInternal::Widget) {
            image = static_cast<QWidget*>(source->FDevice)->grab(ToQRect(sn)).toImage();
        } else if (source->FDevice && source->FDevice->devType() == QInternal::Pixmap) {
            image = static_cast<QPixmap*>(source->FDevice)->copy(ToQRect(sn)).toImage();
        } else {
            return false;
        }
        src = TRect(s.Left <= s.Right ? 0 : sn.Width(), s.Top <= s.Bottom ? 0 : sn.Height(),
                    s.Left <= s.Right ? sn.Width() : 0, s.Top <= s.Bottom ? sn.Height() : 0);
    }
    Changing();
    DoStretchImage(TRect(x, y, x + width, y + height), image, src, rop, false);
    Changed();
    return true;
}

bool TCanvas::StretchBltImage(const TRect& dest, const QImage& source, const TRect& src,
                              uint32_t rop, bool sourceIsMonochrome) {
    Handle();
    Changing();
    DoStretchImage(dest, source, src, rop,
                   sourceIsMonochrome || source.format() == QImage::Format_Mono ||
                       source.format() == QImage::Format_MonoLSB);
    Changed();
    return true;
}

bool TCanvas::StretchBltBitmap(const TRect& dest, const TBitmap* source, const TRect& src,
                               uint32_t rop, bool sourceIsMonochrome) {
    if (!source)
        return false;
    return StretchBltImage(dest, source->Image(), src, rop, sourceIsMonochrome);
}

bool TCanvas::PatBlt(int x, int y, int width, int height, uint32_t rop) {
    Handle();
    Changing();
    DoPatBlt(TRect(x, y, x + width, y + height), rop);
    Changed();
    return true;
}

void TCanvas::GradientFillRect(const TRect& r, TColor startColor, TColor endColor,
                               TGradientFillDirection direction) {
    TRect n = Normalized(r);
    int extent = direction == gfdVertical ? n.Height() : n.Width();
    if (extent <= 0 || n.Width() <= 0 || n.Height() <= 0)
        return;
    Changing();
    TColor s = ColorToRGB(startColor), e = ColorToRGB(endColor);
    int bands = std::min(extent, 256);
    for (int i = 0; i < bands; ++i) {
        int r0 = GetRValue(s) + (bands > 1 ? MulDiv(i, GetRValue(e) - GetRValue(s), bands - 1) : 0);
        int g0 = GetGValue(s) + (bands > 1 ? MulDiv(i, GetGValue(e) - GetGValue(s), bands - 1) : 0);
        int b0 = GetBValue(s) + (bands > 1 ? MulDiv(i, GetBValue(e) - GetBValue(s), bands - 1) : 0);
        int a = MulDiv(i, extent, bands), b = MulDiv(i + 1, extent, bands);
        TRect band = direction == gfdVertical ? TRect(n.Left, n.Top + a, n.Right, n.Top + b)
                                              : TRect(n.Left + a, n.Top, n.Left + b, n.Bottom);
        DoFillRect(band, RGB(r0, g0, b0));
    }
    Changed();
}

// ---------------------------------------------------------------------------
// Primitives on the paint device

void TCanvas::DoLine(const TPoint& from, const TPoint& to) {
    if (QImage* image = TCanvasPaint::DirectLineImage(*this)) {
        TDirectLineWriter(*image, *this, FHasClip, FClip.ToQRegion(), FPen->Color()).Line(from, to);
        return;
    }
    bool visible;
    QPen pen = TCanvasPaint::MakePen(*this, &visible);
    if (!visible)
        return;
    TPoint a = LPtoDP(from), b = LPtoDP(to);
    if (a == b)
        return;
    QRect bounds = QRect(QPoint(std::min(a.X, b.X), std::min(a.Y, b.Y)),
                         QPoint(std::max(a.X, b.X), std::max(a.Y, b.Y)))
                       .adjusted(-pen.width(), -pen.width(), pen.width(), pen.width());
    // On paper a styled one-pixel line is one stroke with the pen's dash pattern: the
    // device lays its dots, and the page holds one line rather than a piece per dot.
    if (pen.width() > 1 || (pen.style() != Qt::SolidLine && TCanvasPaint::OnPaper(*this))) {
        TCanvasPaint::Render(*this, bounds, FPen->Mode(), [&](QPainter& p) {
            p.setPen(pen);
            p.drawLine(QPoint(a.X, a.Y), QPoint(b.X, b.Y));
        });
        return;
    }
    // One-pixel lines are set pixel by pixel, so that the last pixel stays out whatever
    // the direction; styled pens paint their gaps in the background colour when opaque.
    std::vector<QPoint> pixels = LinePixels(a, b);
    std::vector<int> dashes = DashPattern(*FPen);
    std::vector<QPoint> on, off;
    size_t run = 0;
    int left = dashes.empty() ? 0 : dashes[0];
    for (const QPoint& q : pixels) {
        if (dashes.empty() || run % 2 == 0)
            on.push_back(q);
        else
            off.push_back(q);
        if (!dashes.empty() && --left == 0) {
            run = (run + 1) % dashes.size();
            left = dashes[run];
        }
    }
    QColor color = pen.color(), back = ColorToQColor(FBkColor);
    bool opaque = FBkMode == OPAQUE;
    TCanvasPaint::Render(*this, bounds, FPen->Mode(), [&](QPainter& p) {
        p.setPen(QPen(color, 1));
        p.drawPoints(on.data(), int(on.size()));
        if (opaque && !off.empty()) {
            p.setPen(QPen(back, 1));
            p.drawPoints(off.data(), int(off.size()));
        }
    });
}

namespace {

// The figure's box for an outline pen of the given width: the path runs through the
// pixels Left..Right-1; an inside-frame pen moves it inward by half its width.
QRect FigureBox(const TRect& d, int penWidth, bool insideFrame) {
    QRect box(d.Left, d.Top, d.Width() - 1, d.Height() - 1);
    if (insideFrame && penWidth > 1) {
        int in = penWidth / 2;
        box.adjust(in, in, -(penWidth - 1 - in), -(penWidth - 1 - in));
    }
    return box;
}

} // namespace

void TCanvas::DoRectangle(const TRect& r) {
    TRect d = Normalized(LPtoDP(r));
    if (d.Width() <= 0 || d.Height() <= 0)
        return;
    bool visible;
    QPen pen = TCanvasPaint::MakePen(*this, &visible);
    QBrush brush = TCanvasPaint::MakeBrush(*this);
    TCanvasPaint::Render(
        *this, ToQRect(d).adjusted(-pen.width(), -pen.width(), pen.width(), pen.width()),
        FPen->Mode(), [&](QPainter& p) {
            if (!visible) {
                // Without an outline the fill is one pixel smaller.
                p.fillRect(QRect(d.Left, d.Top, d.Width() - 1, d.Height() - 1), brush);
                return;
            }
            QRect box = FigureBox(d, pen.width(), FPen->Style() == psInsideFrame);
            if (brush.style() != Qt::NoBrush)
                p.fillRect(box.adjusted(0, 0, 1, 1), brush);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            if (box.width() == 0 || box.height() == 0)
                p.drawLine(box.topLeft(), box.bottomRight() + QPoint(1, 1));
            else
                p.drawRect(box);
        });
}

void TCanvas::DoFillRect(const TRect& r, TColor color) {
    TRect d = Normalized(LPtoDP(r));
    if (d.IsEmpty())
        return;
    TCanvasPaint::Render(*this, ToQRect(d), pmCopy,
                         [&](QPainter& p) { p.fillRect(ToQRect(d), ColorToQColor(color)); });
}

void TCanvas::DoBrushFill(const TRect& r) {
    TRect d = Normalized(LPtoDP(r));
    if (d.IsEmpty() || FBrush->Style() == bsClear)
        return;
    QBrush brush = TCanvasPaint::MakeBrush(*this);
    TCanvasPaint::Render(*this, ToQRect(d), pmCopy,
                         [&](QPainter& p) { p.fillRect(ToQRect(d), brush); });
}

void TCanvas::DoEllipse(const TRect& r) {
    TRect d = Normalized(LPtoDP(r));
    if (d.Width() <= 0 || d.Height() <= 0)
        return;
    bool visible;
    QPen pen = TCanvasPaint::MakePen(*this, &visible);
    QBrush brush = TCanvasPaint::MakeBrush(*this);
    QRect bounds = ToQRect(d).adjusted(-pen.width(), -pen.width(), pen.width(), pen.width());
    if (visible && pen.width() > 1) {
        TCanvasPaint::Render(*this, bounds, FPen->Mode(), [&](QPainter& p) {
            p.setPen(pen);
            p.setBrush(brush);
            p.drawEllipse(FigureBox(d, pen.width(), FPen->Style() == psInsideFrame));
        });
        return;
    }
    // Thin ellipses are laid out row by row so that they fill their box exactly; without
    // an outline the box is one pixel smaller.
    TRect box = visible ? d : TRect(d.Left, d.Top, d.Right - 1, d.Bottom - 1);
    if (box.IsEmpty())
        return;
    auto spans = EllipseSpans(box);
    // Only the rows and columns on the device are laid out, so a huge ellipse costs no more
    // than the surface it can cover.
    const TSize device = DeviceSize();
    const int rowFrom = std::max(box.Top, -1);
    const int rowTo = std::min(box.Bottom, device.cy + 1);
    std::vector<QPoint> outline;
    if (visible) {
        auto inside = [&](int x, int y) {
            if (y < box.Top || y >= box.Bottom)
                return false;
            const auto& s = spans[size_t(y - box.Top)];
            return x >= s.first && x <= s.second;
        };
        for (int y = rowFrom; y < rowTo; ++y) {
            const auto& s = spans[size_t(y - box.Top)];
            const int columnTo = std::min(s.second, device.cx + 1);
            for (int x = std::max(s.first, -1); x <= columnTo; ++x)
                if (!inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) ||
                    !inside(x, y + 1))
                    outline.emplace_back(x, y);
        }
    }
    QColor penColor = pen.color();
    TCanvasPaint::Render(*this, bounds, FPen->Mode(), [&](QPainter& p) {
        if (brush.style() != Qt::NoBrush)
            for (int y = rowFrom; y < rowTo; ++y) {
                const auto& s = spans[size_t(y - box.Top)];
                const int left = std::max(s.first, -1);
                const int right = std::min(s.second, device.cx + 1);
                if (left <= right)
                    p.fillRect(QRect(left, y, right - left + 1, 1), brush);
            }
        if (!outline.empty()) {
            p.setPen(QPen(penColor, 1));
            p.drawPoints(outline.data(), int(outline.size()));
        }
    });
}

void TCanvas::DoRoundRect(const TRect& r, int ellipseWidth, int ellipseHeight) {
    TRect d = Normalized(LPtoDP(r));
    if (d.Width() <= 0 || d.Height() <= 0)
        return;
    double rx = std::fabs(ellipseWidth * ScaleX()) / 2,
           ry = std::fabs(ellipseHeight * ScaleY()) / 2;
    bool visible;
    QPen pen = TCanvasPaint::MakePen(*this, &visible);
    QBrush brush = TCanvasPaint::MakeBrush(*this);
    TCanvasPaint::Render(
        *this, ToQRect(d).adjusted(-pen.width(), -pen.width(), pen.width(), pen.width()),
        FPen->Mode(), [&](QPainter& p) {
            QRect box = visible ? FigureBox(d, pen.width(), FPen->Style() == psInsideFrame)
                                : QRect(d.Left, d.Top, d.Width() - 1, d.Height() - 1);
            p.setPen(pen);
            p.setBrush(brush);
            p.drawRoundedRect(box, rx, ry, Qt::AbsoluteSize);
        });
}

void TCanvas::DoArc(TArcKind kind, const TRect& r, const TPoint& start, const TPoint& end) {
    TRect d = Normalized(LPtoDP(r));
    if (d.Width() <= 0 || d.Height() <= 0)
        return;
    TPoint s = LPtoDP(start), e = LPtoDP(end);
    bool visible;
    QPen pen = TCanvasPaint::MakePen(*this, &visible);
    QBrush brush = kind == akArc ? QBrush(Qt::NoBrush) : TCanvasPaint::MakeBrush(*this);
    if (!visible && kind == akArc)
        return;
    QRect box = visible ? FigureBox(d, pen.width(), FPen->Style() == psInsideFrame)
                        : QRect(d.Left, d.Top, d.Width() - 1, d.Height() - 1);
    double a0 = EllipseAngle(box, s), a1 = EllipseAngle(box, e);
    double span = a1 - a0;
    if (span <= 0)
        span += 360;
    int qa = int(std::lround(a0 * 16)), qs = int(std::lround(span * 16));
    TCanvasPaint::Render(*this,
                         ToQRect(d).adjusted(-pen.width(), -pen.width(), pen.width(), pen.width()),
                         FPen->Mode(), [&](QPainter& p) {
                             p.setPen(pen);
                             p.setBrush(brush);
                             if (kind == akArc)
                                 p.drawArc(box, qa, qs);
                             else if (kind == akPie)
                                 p.drawPie(box, qa, qs);
                             else
                                 p.drawChord(box, qa, qs);
                         });
}

void TCanvas::DoPolygon(const std::vector<TPoint>& points) {
    QPolygon poly;
    for (const TPoint& pt : points) {
        TPoint d = LPtoDP(pt);
        poly << QPoint(d.X, d.Y);
    }
    bool visible;
    QPen pen = TCanvasPaint::MakePen(*this, &visible);
    QBrush brush = TCanvasPaint::MakeBrush(*this);
    std::vector<QPoint> outline;
    if (visible && pen.width() <= 1)
        for (size_t i = 0; i < points.size(); ++i) {
            auto seg = LinePixels(LPtoDP(points[i]), LPtoDP(points[(i + 1) % points.size()]));
            outline.insert(outline.end(), seg.begin(), seg.end());
        }
    TCanvasPaint::Render(
        *this, poly.boundingRect().adjusted(-pen.width(), -pen.width(), pen.width(), pen.width()),
        FPen->Mode(), [&](QPainter& p) {
            if (brush.style() != Qt::NoBrush) {
                p.setPen(Qt::NoPen);
                p.setBrush(brush);
                p.drawPolygon(poly, Qt::OddEvenFill);
            }
            if (!visible)
                return;
            if (pen.width() > 1) {
                p.setPen(pen);
                for (int i = 0; i < poly.size(); ++i)
                    p.drawLine(poly[i], poly[(i + 1) % poly.size()]);
            } else {
                p.setPen(QPen(pen.color(), 1));
                p.drawPoints(outline.data(), int(outline.size()));
            }
        });
}

void TCanvas::DoPolyline(const std::vector<TPoint>& points) {
    bool visible;
    QPen pen = TCanvasPaint::MakePen(*this, &visible);
    if (!visible)
        return;
    if (pen.width() <= 1) {
        // Each segment leaves out its last pixel, which the next one sets.
        if (QImage* image = TCanvasPaint::DirectLineImage(*this)) {
            TDirectLineWriter writer(*image, *this, FHasClip, FClip.ToQRegion(), FPen->Color());
            TPoint previous = LPtoDP(points[0]);
            for (size_t i = 1; i < points.size(); ++i) {
                const TPoint next = LPtoDP(points[i]);
                writer.DeviceLine(previous, next);
                previous = next;
            }
            return;
        }
        for (size_t i = 0; i + 1 < points.size(); ++i)
            TCanvas::DoLine(points[i], points[i + 1]);
        return;
    }
    QPolygon poly;
    for (const TPoint& pt : points) {
        TPoint d = LPtoDP(pt);
        poly << QPoint(d.X, d.Y);
    }
    TCanvasPaint::Render(
        *this, poly.boundingRect().adjusted(-pen.width(), -pen.width(), pen.width(), pen.width()),
        FPen->Mode(), [&](QPainter& p) {
            // Wide pens go segment by segment.
            p.setPen(pen);
            for (int i = 0; i + 1 < poly.size(); ++i)
                p.drawLine(poly[i], poly[i + 1]);
        });
}

void TCanvas::DoSetPixel(const TPoint& pt, TColor color) {
    TPoint d = LPtoDP(pt);
    TCanvasPaint::Render(*this, QRect(d.X, d.Y, 1, 1), pmCopy, [&](QPainter& p) {
        p.fillRect(QRect(d.X, d.Y, 1, 1), ColorToQColor(color));
    });
}

void TCanvas::DoTextOut(const TPoint& pt, unsigned options, const TRect* r, std::string_view text) {
    QFont font = DeviceFont();
    QFontMetrics fm(font);
    QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    TPoint origin = (FTextAlign & TA_UPDATECP) ? FPenPos : pt;
    TPoint d = LPtoDP(origin);
    int width = fm.horizontalAdvance(s);
    int dx = 0;
    switch (FTextAlign & TA_CENTER) {
    case TA_RIGHT:
        dx = -width;
        break;
    case TA_CENTER:
        dx = -width / 2;
        break;
    default:
        break;
    }
    int baseline;
    switch (FTextAlign & TA_BASELINE) {
    case TA_BASELINE:
        baseline = 0;
        break;
    case TA_BOTTOM:
        baseline = -fm.descent();
        break;
    default:
        baseline = fm.ascent();
        break;
    }
    if (FTextAlign & TA_UPDATECP) {
        int moved = (FTextAlign & TA_CENTER) == TA_LEFT    ? width
                    : (FTextAlign & TA_CENTER) == TA_RIGHT ? -width
                                                           : 0;
        FPenPos.X += int(std::lround(moved / ScaleX()));
    }
    TRect dr = r ? Normalized(LPtoDP(*r)) : TRect();
    double angle = FFont->Escapement() / 10.0;
    QRect cell(dx, baseline - fm.ascent(), width, fm.height());
    QRect bounds = QRect(d.X - width - fm.height(), d.Y - width - fm.height(),
                         2 * (width + fm.height()), 2 * (width + fm.height()));
    if (r)
        bounds |= ToQRect(dr);
    QColor textColor = ColorToQColor(FTextColor), back = ColorToQColor(FBkColor);
    bool opaqueCell = FBkMode == OPAQUE;
    TCanvasPaint::Render(*this, bounds, pmCopy, [&](QPainter& p) {
        if (r && (options & ETO_CLIPPED))
            p.setClipRect(ToQRect(dr), p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        if (r && (options & ETO_OPAQUE))
            p.fillRect(ToQRect(dr), back);
        p.translate(d.X, d.Y);
        if (angle != 0)
            p.rotate(-angle);
        if (opaqueCell)
            p.fillRect(cell, back);
        p.setFont(font);
        p.setPen(textColor);
        p.setBackgroundMode(Qt::TransparentMode);
        if (options & ETO_RTLREADING)
            p.setLayoutDirection(Qt::RightToLeft);
        p.drawText(QPoint(dx, baseline), s);
    });
}

void TCanvas::DoStretchImage(const TRect& dest, const QImage& source, const TRect& src,
                             uint32_t rop, bool sourceIsMonochrome) {
    TRect dd = LPtoDP(dest);
    TRect d = Normalized(dd);
    if (d.IsEmpty())
        return;
    // The source part, mirrored when either side runs backwards, scaled to the
    // destination pixels (nearest pixel).
    QImage part;
    uint32_t code = (rop >> 16) & 0xFF;
    bool usesSource = (((code >> 2) ^ code) & 0x33) != 0;
    if (usesSource && !source.isNull()) {
        TRect sn = Normalized(src);
        part = source.copy(ToQRect(sn)).convertToFormat(QImage::Format_ARGB32);
        bool mirrorX = (src.Right < src.Left) != (dd.Right < dd.Left);
        bool mirrorY = (src.Bottom < src.Top) != (dd.Bottom < dd.Top);
        if (mirrorX || mirrorY)
            part = part.mirrored(mirrorX, mirrorY);
        // A destination far larger than the device (a crafted picture's) is cut to the
        // device first, so that the scaled image never outgrows what can be shown.
        const TSize device = DeviceSize();
        const QRect whole = ToQRect(d);
        if (int64_t(whole.width()) * whole.height() >
            4 * int64_t(device.cx) * device.cy + 1000000) {
            const QRect shown = whole & QRect(0, 0, device.cx, device.cy);
            if (shown.isEmpty() || part.isNull())
                return;
            const double sx = double(part.width()) / whole.width();
            const double sy = double(part.height()) / whole.height();
            const int left = int(std::floor((shown.left() - whole.left()) * sx));
            const int top = int(std::floor((shown.top() - whole.top()) * sy));
            const int right = int(std::ceil((shown.right() + 1 - whole.left()) * sx));
            const int bottom = int(std::ceil((shown.bottom() + 1 - whole.top()) * sy));
            part = part.copy(left, top, std::max(1, right - left), std::max(1, bottom - top));
            d = TRect(shown.left(), shown.top(), shown.right() + 1, shown.bottom() + 1);
        }
        if (part.size() != QSize(d.Width(), d.Height()))
            part =
                part.scaled(d.Width(), d.Height(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (sourceIsMonochrome) {
            // Black takes the text colour, white the background colour.
            QRgb fore = 0xFF000000u | Rgb24(FTextColor), back = 0xFF000000u | Rgb24(FBkColor);
            for (int y = 0; y < part.height(); ++y) {
                QRgb* row = reinterpret_cast<QRgb*>(part.scanLine(y));
                for (int x = 0; x < part.width(); ++x)
                    row[x] = (row[x] & 0xFFFFFF) == 0xFFFFFF ? back : fore;
            }
        }
    } else if (usesSource) {
        return;
    }
    uint32_t pattern = FBrush->Style() == bsClear ? Rgb24(FBkColor) : Rgb24(FBrush->Color());
    QRect area = ToQRect(d);
    if (rop == SRCCOPY) {
        // A plain copy: pixels with alpha 0 (transparent pictures) keep the destination.
        TCanvasPaint::Render(*this, area, pmCopy, [&](QPainter& p) {
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            p.drawImage(area.topLeft(), part);
        });
        return;
    }
    QImage* image = DeviceImage();
    if (image) {
        QRect visible = area & image->rect();
        if (visible.isEmpty())
            return;
        QImage result(visible.size(), QImage::Format_ARGB32_Premultiplied);
        const QImage& dst = *image;
        for (int y = 0; y < visible.height(); ++y) {
            QRgb* out = reinterpret_cast<QRgb*>(result.scanLine(y));
            const QRgb* in =
                part.isNull()
                    ? nullptr
                    : reinterpret_cast<const QRgb*>(part.constScanLine(y + visible.y() - area.y()));
            for (int x = 0; x < visible.width(); ++x) {
                uint32_t dv = dst.pixel(visible.x() + x, visible.y() + y) & 0xFFFFFF;
                uint32_t sv = in ? in[x + visible.x() - area.x()] & 0xFFFFFF : 0;
                out[x] = 0xFF000000u | ApplyRop3(rop, pattern, sv, dv);
            }
        }
        TCanvasPaint::Render(*this, visible, pmCopy, [&](QPainter& p) {
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(visible.topLeft(), result);
        });
        return;
    }
    // Devices whose pixels cannot be read: the common operations map to Qt's raster
    // operations, the masked paint to an image transparent where the source is black.
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (rop) {
    case SRCINVERT:
        mode = QPainter::RasterOp_SourceXorDestination;
        break;
    case SRCAND:
        mode = QPainter::RasterOp_SourceAndDestination;
        break;
    case SRCPAINT:
        mode = QPainter::RasterOp_SourceOrDestination;
        break;
    case ROP_DSNA:
        mode = QPainter::RasterOp_NotSourceAndDestination;
        break;
    case NOTSRCCOPY:
        mode = QPainter::RasterOp_NotSource;
        break;
    case SRCERASE:
        mode = QPainter::RasterOp_SourceAndNotDestination;
        break;
    case ROP_PSDPXAX:
        for (int y = 0; y < part.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(part.scanLine(y));
            for (int x = 0; x < part.width(); ++x)
                row[x] = (row[x] & 0xFFFFFF) == 0xFFFFFF ? 0xFF000000u | pattern : 0;
        }
        break;
    case PATCOPY:
    case BLACKNESS:
    case WHITENESS:
        part = QImage(area.size(), QImage::Format_ARGB32);
        part.fill(QColor::fromRgb(0xFF000000u | ApplyRop3(rop, pattern, 0, 0)));
        break;
    default:
        break;
    }
    TCanvasPaint::Render(*this, area, pmCopy, [&](QPainter& p) {
        p.setCompositionMode(mode);
        p.drawImage(area.topLeft(), part);
    });
}

void TCanvas::DoPatBlt(const TRect& r, uint32_t rop) {
    DoStretchImage(r, QImage(), TRect(), rop, false);
}

void TCanvas::DoFocusRect(const TRect& r) {
    TRect d = Normalized(LPtoDP(r));
    if (d.IsEmpty())
        return;
    // Every other pixel of the frame inverted.
    QImage* image = DeviceImage();
    auto onFrame = [&](int x, int y) {
        return ((x + y) & 1) == 0 &&
               (x == d.Left || x == d.Right - 1 || y == d.Top || y == d.Bottom - 1);
    };
    if (image) {
        QRect area = ToQRect(d) & image->rect();
        if (FHasClip)
            area &= FClip.ToQRegion().boundingRect();
        if (area.isEmpty())
            return;
        QImage result(area.size(), QImage::Format_ARGB32_Premultiplied);
        result.fill(0);
        const QImage& dst = *image;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (onFrame(x, y) && (!FHasClip || FClip.Contains(x, y)))
                    result.setPixel(x - area.left(), y - area.top(),
                                    0xFF000000u | (~dst.pixel(x, y) & 0xFFFFFF));
        TCanvasPaint::Render(*this, area, pmCopy,
                             [&](QPainter& p) { p.drawImage(area.topLeft(), result); });
        return;
    }
    TCanvasPaint::Render(*this, ToQRect(d), pmXor, [&](QPainter& p) {
        p.setPen(QPen(Qt::white, 1));
        for (int x = d.Left; x < d.Right; ++x)
            for (int y : {d.Top, d.Bottom - 1})
                if (onFrame(x, y))
                    p.drawPoint(x, y);
        for (int y = d.Top + 1; y < d.Bottom - 1; ++y)
            for (int x : {d.Left, d.Right - 1})
                if (onFrame(x, y))
                    p.drawPoint(x, y);
    });
}

// ---------------------------------------------------------------------------
// Free functions

void Frame3D(TCanvas* canvas, TRect& r, TColor topColor, TColor bottomColor, int width) {
    canvas->Pen()->SetWidth(1);
    --r.Bottom;
    --r.Right;
    while (width > 0) {
        --width;
        TPoint topRight(r.Right, r.Top), bottomLeft(r.Left, r.Bottom);
        canvas->Pen()->SetColor(topColor);
        TPoint first[3] = {bottomLeft, r.TopLeft(), topRight};
        canvas->Polyline(first, 3);
        canvas->Pen()->SetColor(bottomColor);
        --bottomLeft.X;
        TPoint second[3] = {topRight, r.BottomRight(), bottomLeft};
        canvas->Polyline(second, 3);
        InflateRect(r, -1, -1);
    }
    ++r.Bottom;
    ++r.Right;
}

bool DrawEdge(TCanvas* canvas, TRect& r, unsigned edge, unsigned flags) {
    if (!canvas)
        return false;
    struct TLine {
        unsigned Mask;
        TColor TopLeft, BottomRight;
    };
    // Outer line first, then the inner one.
    const TLine outer[2] = {{BDR_RAISEDOUTER, cl3DLight, cl3DDkShadow},
                            {BDR_SUNKENOUTER, clBtnShadow, clBtnHighlight}};
    const TLine inner[2] = {{BDR_RAISEDINNER, clBtnHighlight, clBtnShadow},
                            {BDR_SUNKENINNER, cl3DDkShadow, cl3DLight}};
    TRect rc = r;
    auto line = [&](TColor tl, TColor br) {
        if (flags & BF_MONO)
            tl = br = clWindowFrame;
        else if (flags & BF_FLAT)
            tl = br = clBtnShadow;
        auto fill = [&](const TRect& part, TColor color) {
            canvas->Brush()->SetColor(color);
            canvas->Brush()->SetStyle(bsSolid);
            canvas->FillRect(part);
        };
        if (flags & BF_TOP)
            fill(TRect(rc.Left, rc.Top, rc.Right, rc.Top + 1), tl);
        if (flags & BF_LEFT)
            fill(TRect(rc.Left, rc.Top, rc.Left + 1, rc.Bottom), tl);
        if (flags & BF_BOTTOM)
            fill(TRect(rc.Left, rc.Bottom - 1, rc.Right, rc.Bottom), br);
        if (flags & BF_RIGHT)
            fill(TRect(rc.Right - 1, rc.Top, rc.Right, rc.Bottom), br);
        if (flags & BF_LEFT)
            ++rc.Left;
        if (flags & BF_TOP)
            ++rc.Top;
        if (flags & BF_RIGHT)
            --rc.Right;
        if (flags & BF_BOTTOM)
            --rc.Bottom;
    };
    for (const TLine& l : outer)
        if (edge & l.Mask) {
            line(l.TopLeft, l.BottomRight);
            break;
        }
    for (const TLine& l : inner)
        if (edge & l.Mask) {
            line(l.TopLeft, l.BottomRight);
            break;
        }
    if (flags & BF_MIDDLE) {
        canvas->Brush()->SetColor(clBtnFace);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(rc);
    }
    if (flags & BF_ADJUST)
        r = rc;
    return true;
}
