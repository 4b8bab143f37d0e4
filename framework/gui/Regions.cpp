#include "framework/gui/Regions.h"

#include <QPolygon>
#include <QRegion>

#include <cstring>

namespace {

constexpr uint32_t kHeaderSize = 32;
constexpr uint32_t kRectangles = 1;

void PutInt(std::vector<uint8_t>& out, int32_t v) {
    uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(u >> (8 * i)));
}

int32_t GetInt(const uint8_t* p) {
    return int32_t(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                   (uint32_t(p[3]) << 24));
}

QRect ToQRect(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

const QRegion& EmptyRegion() {
    static const QRegion empty;
    return empty;
}

} // namespace

TRegion::TRegion() = default;

TRegion::TRegion(const QRegion& region) {
    Assign(region);
}

TRegion::TRegion(const TRegion& other) {
    if (other.FRegion)
        FRegion = std::make_unique<QRegion>(*other.FRegion);
}

TRegion::TRegion(TRegion&& other) noexcept = default;

TRegion& TRegion::operator=(const TRegion& other) {
    if (this != &other)
        Assign(other.ToQRegion());
    return *this;
}

TRegion& TRegion::operator=(TRegion&& other) noexcept = default;

TRegion::~TRegion() = default;

void TRegion::Assign(const QRegion& region) {
    if (region.isEmpty())
        FRegion.reset();
    else if (FRegion)
        *FRegion = region;
    else
        FRegion = std::make_unique<QRegion>(region);
}

const QRegion& TRegion::ToQRegion() const {
    return FRegion ? *FRegion : EmptyRegion();
}

bool operator==(const TRegion& a, const TRegion& b) {
    return a.ToQRegion() == b.ToQRegion();
}

bool TRegion::IsEmpty() const {
    return !FRegion || FRegion->isEmpty();
}

TRegion TRegion::FromRect(const TRect& r) {
    if (r.IsEmpty())
        return TRegion();
    return TRegion(QRegion(ToQRect(r)));
}

TRegion TRegion::FromRect(int left, int top, int right, int bottom) {
    return FromRect(TRect(left, top, right, bottom));
}

TRegion TRegion::FromEllipse(const TRect& r) {
    if (r.IsEmpty())
        return TRegion();
    return TRegion(QRegion(ToQRect(r), QRegion::Ellipse));
}

TRegion TRegion::FromRoundRect(const TRect& r, int ellipseWidth, int ellipseHeight) {
    if (r.IsEmpty())
        return TRegion();
    int ew = std::min(std::abs(ellipseWidth), r.Width());
    int eh = std::min(std::abs(ellipseHeight), r.Height());
    if (ew < 2 || eh < 2)
        return FromRect(r);
    // The straight parts as two crossing rectangles, the corners as quarter ellipses.
    QRegion result(QRect(r.Left + ew / 2, r.Top, r.Width() - ew / 2 * 2, r.Height()));
    result += QRegion(QRect(r.Left, r.Top + eh / 2, r.Width(), r.Height() - eh / 2 * 2));
    result += QRegion(QRect(r.Left, r.Top, ew, eh), QRegion::Ellipse);
    result += QRegion(QRect(r.Right - ew, r.Top, ew, eh), QRegion::Ellipse);
    result += QRegion(QRect(r.Left, r.Bottom - eh, ew, eh), QRegion::Ellipse);
    result += QRegion(QRect(r.Right - ew, r.Bottom - eh, ew, eh), QRegion::Ellipse);
    return TRegion(result);
}

TRegion TRegion::FromPolygon(const TPoint* points, int count, int fillMode) {
    if (count < 3)
        return TRegion();
    QPolygon poly;
    poly.reserve(count);
    for (int i = 0; i < count; ++i)
        poly << QPoint(points[i].X, points[i].Y);
    return TRegion(QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill));
}

TRegion TRegion::FromPolygon(const std::vector<TPoint>& points, int fillMode) {
    return FromPolygon(points.data(), int(points.size()), fillMode);
}

TRegion TRegion::FromData(const uint8_t* data, size_t size, bool* ok) {
    if (ok)
        *ok = false;
    if (!data || size < kHeaderSize)
        return TRegion();
    uint32_t headerSize = uint32_t(GetInt(data));
    uint32_t type = uint32_t(GetInt(data + 4));
    int32_t count = GetInt(data + 8);
    if (headerSize != kHeaderSize || type != kRectangles || count < 0 ||
        size < kHeaderSize + size_t(count) * 16)
        return TRegion();
    QRegion region;
    std::vector<QRect> rects;
    rects.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t* p = data + kHeaderSize + size_t(i) * 16;
        TRect r(GetInt(p), GetInt(p + 4), GetInt(p + 8), GetInt(p + 12));
        if (!r.IsEmpty())
            rects.push_back(ToQRect(r));
    }
    region.setRects(rects.data(), int(rects.size()));
    if (ok)
        *ok = true;
    return TRegion(region);
}

TRegion TRegion::FromData(const std::vector<uint8_t>& data, bool* ok) {
    return FromData(data.data(), data.size(), ok);
}

int TRegion::Combine(const TRegion& a, const TRegion& b, int mode) {
    const QRegion& qa = a.ToQRegion();
    const QRegion& qb = b.ToQRegion();
    switch (mode) {
    case RGN_AND:
        Assign(qa & qb);
        break;
    case RGN_OR:
        Assign(qa | qb);
        break;
    case RGN_XOR:
        Assign(qa ^ qb);
        break;
    case RGN_DIFF:
        Assign(qa - qb);
        break;
    case RGN_COPY:
        Assign(QRegion(qa));
        break;
    default:
        return RGN_ERROR;
    }
    return Complexity();
}

void TRegion::Offset(int dx, int dy) {
    if (FRegion)
        FRegion->translate(dx, dy);
}

bool TRegion::Contains(int x, int y) const {
    return FRegion && FRegion->contains(QPoint(x, y));
}

bool TRegion::Intersects(const TRect& r) const {
    return FRegion && !r.IsEmpty() && FRegion->intersects(ToQRect(r));
}

TRect TRegion::BoundingBox() const {
    if (IsEmpty())
        return TRect();
    QRect b = FRegion->boundingRect();
    return TRect(b.left(), b.top(), b.left() + b.width(), b.top() + b.height());
}

int TRegion::Complexity() const {
    if (IsEmpty())
        return NULLREGION;
    return FRegion->rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

std::vector<TRect> TRegion::Rects() const {
    std::vector<TRect> result;
    for (const QRect& r : ToQRegion())
        result.emplace_back(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
    return result;
}

std::vector<uint8_t> TRegion::Data() const {
    std::vector<TRect> rects = Rects();
    std::vector<uint8_t> out;
    out.reserve(kHeaderSize + rects.size() * 16);
    PutInt(out, int32_t(kHeaderSize));
    PutInt(out, int32_t(kRectangles));
    PutInt(out, int32_t(rects.size()));
    PutInt(out, int32_t(rects.size() * 16));
    TRect b = BoundingBox();
    PutInt(out, b.Left);
    PutInt(out, b.Top);
    PutInt(out, b.Right);
    PutInt(out, b.Bottom);
    for (const TRect& r : rects) {
        PutInt(out, r.Left);
        PutInt(out, r.Top);
        PutInt(out, r.Right);
        PutInt(out, r.Bottom);
    }
    return out;
}
