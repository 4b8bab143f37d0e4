#pragma once
// Geometry of the window system: points, sizes and rectangles in integer pixels.
// A rectangle holds its right and bottom edges exclusively: (0, 0, 10, 10) covers
// pixels 0..9 in each direction.

#include <algorithm>

struct TPoint {
    int X = 0;
    int Y = 0;
    constexpr TPoint() = default;
    constexpr TPoint(int x, int y) : X(x), Y(y) {}
    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    constexpr TSize() = default;
    constexpr TSize(int width, int height) : cx(width), cy(height) {}
    friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(int left, int top, int right, int bottom)
        : Left(left), Top(top), Right(right), Bottom(bottom) {}
    constexpr TRect(TPoint topLeft, TPoint bottomRight)
        : Left(topLeft.X), Top(topLeft.Y), Right(bottomRight.X), Bottom(bottomRight.Y) {}
    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    // True when the rectangle covers no pixel.
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TPoint Point(int x, int y) {
    return {x, y};
}
constexpr TRect Rect(int left, int top, int right, int bottom) {
    return {left, top, right, bottom};
}
// A rectangle from its top-left corner and its size.
constexpr TRect Bounds(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

// The point lies inside; the right and bottom edges are outside.
constexpr bool PtInRect(const TRect& r, const TPoint& p) {
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
constexpr bool IsRectEmpty(const TRect& r) {
    return r.IsEmpty();
}
constexpr bool EqualRect(const TRect& a, const TRect& b) {
    return a == b;
}

// Grows the rectangle by dx on the left and right and dy on the top and bottom
// (negative values shrink it).
constexpr void InflateRect(TRect& r, int dx, int dy) {
    r.Left -= dx;
    r.Top -= dy;
    r.Right += dx;
    r.Bottom += dy;
}
constexpr void OffsetRect(TRect& r, int dx, int dy) {
    r.Left += dx;
    r.Top += dy;
    r.Right += dx;
    r.Bottom += dy;
}
// The common part of a and b; an empty (0, 0, 0, 0) result answers false.
constexpr bool IntersectRect(TRect& dest, const TRect& a, const TRect& b) {
    TRect r(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom));
    if (r.IsEmpty()) {
        dest = TRect();
        return false;
    }
    dest = r;
    return true;
}
// The smallest rectangle holding both; an empty operand is ignored.
constexpr bool UnionRect(TRect& dest, const TRect& a, const TRect& b) {
    if (a.IsEmpty() && b.IsEmpty()) {
        dest = TRect();
        return false;
    }
    if (a.IsEmpty()) {
        dest = b;
        return true;
    }
    if (b.IsEmpty()) {
        dest = a;
        return true;
    }
    dest = TRect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                 std::max(a.Bottom, b.Bottom));
    return true;
}
