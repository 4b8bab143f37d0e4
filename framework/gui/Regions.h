#pragma once
// Regions: sets of pixels made of rectangles, ellipses and polygons, combined with the
// window system's operations and exchanged as its region data (a 32-byte header and
// 16-byte rectangles in y-then-x bands).

#include "framework/gui/Types.h"

#include <cstdint>
#include <memory>
#include <vector>

class QRegion;

// Combination modes of TRegion::Combine.
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

// Region complexity, as answered by Combine and the clipping calls.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// Polygon fill modes.
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// A region is a value. Right and bottom edges of the shapes that make it are outside it.
class TRegion {
public:
    TRegion();
    explicit TRegion(const QRegion& region);
    TRegion(const TRegion& other);
    TRegion(TRegion&& other) noexcept;
    TRegion& operator=(const TRegion& other);
    TRegion& operator=(TRegion&& other) noexcept;
    ~TRegion();

    static TRegion FromRect(const TRect& r);
    static TRegion FromRect(int left, int top, int right, int bottom);
    // The ellipse inside the rectangle, right and bottom edges excluded.
    static TRegion FromEllipse(const TRect& r);
    static TRegion FromRoundRect(const TRect& r, int ellipseWidth, int ellipseHeight);
    static TRegion FromPolygon(const TPoint* points, int count, int fillMode = ALTERNATE);
    static TRegion FromPolygon(const std::vector<TPoint>& points, int fillMode = ALTERNATE);
    // A region from region data as Data writes it; malformed data gives an empty region
    // and *ok false.
    static TRegion FromData(const uint8_t* data, size_t size, bool* ok = nullptr);
    static TRegion FromData(const std::vector<uint8_t>& data, bool* ok = nullptr);

    // this := a op b (RGN_COPY: this := a); answers the complexity of the result.
    int Combine(const TRegion& a, const TRegion& b, int mode);
    int Combine(const TRegion& other, int mode) { return Combine(*this, other, mode); }
    void Offset(int dx, int dy);
    bool Contains(int x, int y) const;
    bool Contains(const TPoint& p) const { return Contains(p.X, p.Y); }
    // True when any pixel of the rectangle is in the region.
    bool Intersects(const TRect& r) const;
    TRect BoundingBox() const;
    bool IsEmpty() const;
    int Complexity() const;
    // The rectangles in y-then-x bands.
    std::vector<TRect> Rects() const;

    // The region data: header dwSize 32, iType 1, nCount, nRgnSize (16 * nCount),
    // rcBound, then nCount rectangles of four 32-bit little-endian integers.
    std::vector<uint8_t> Data() const;

    const QRegion& ToQRegion() const;
    friend bool operator==(const TRegion& a, const TRegion& b);

private:
    void Assign(const QRegion& region);
    // Null for the empty region, so that empty regions (the common case of a canvas
    // without a clip) cost no allocation.
    std::unique_ptr<QRegion> FRegion;
};
