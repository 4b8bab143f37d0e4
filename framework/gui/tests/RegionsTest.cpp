#include "framework/gui/Regions.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(RegionsTest, CombineModes) {
    TRegion a = TRegion::FromRect(0, 0, 10, 10);
    TRegion b = TRegion::FromRect(5, 5, 15, 15);
    struct TCase {
        int Mode;
        int Complexity;
        TPoint In, Out;
        TRect Box;
    };
    const TCase cases[] = {
        {RGN_AND, SIMPLEREGION, {5, 5}, {4, 4}, {5, 5, 10, 10}},
        {RGN_OR, COMPLEXREGION, {14, 14}, {14, 0}, {0, 0, 15, 15}},
        {RGN_XOR, COMPLEXREGION, {0, 0}, {7, 7}, {0, 0, 15, 15}},
        {RGN_DIFF, COMPLEXREGION, {9, 4}, {9, 5}, {0, 0, 10, 10}},
        {RGN_COPY, SIMPLEREGION, {9, 9}, {10, 10}, {0, 0, 10, 10}},
    };
    for (const TCase& tc : cases) {
        TRegion r;
        EXPECT_EQ(r.Combine(a, b, tc.Mode), tc.Complexity) << tc.Mode;
        EXPECT_TRUE(r.Contains(tc.In)) << tc.Mode;
        EXPECT_FALSE(r.Contains(tc.Out)) << tc.Mode;
        EXPECT_EQ(r.BoundingBox(), tc.Box) << tc.Mode;
    }
    TRegion empty;
    EXPECT_EQ(empty.Combine(a, TRegion::FromRect(20, 20, 30, 30), RGN_AND), NULLREGION);
    EXPECT_EQ(empty.Combine(a, b, 99), RGN_ERROR);
}

TEST(RegionsTest, RegionsAreValuesThatCombineWithThemselves) {
    TRegion a = TRegion::FromRect(0, 0, 10, 10);
    TRegion copy = a;
    copy.Offset(20, 0); // a copy is its own region
    EXPECT_TRUE(a.Contains(5, 5));
    EXPECT_FALSE(a.Contains(25, 5));
    EXPECT_TRUE(copy.Contains(25, 5));

    TRegion moved = std::move(copy);
    EXPECT_TRUE(moved.Contains(25, 5));
    copy = a; // a moved-from region takes a new value
    EXPECT_EQ(copy, a);
    copy = copy;
    EXPECT_EQ(copy, a);

    // The operands may be the result itself.
    EXPECT_EQ(a.Combine(a, moved, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(a.Contains(5, 5) && a.Contains(25, 5));
    EXPECT_EQ(a.Combine(a, a, RGN_XOR), NULLREGION);
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a, TRegion());
    EXPECT_TRUE(a.Rects().empty());
    EXPECT_EQ(a.BoundingBox(), TRect());
    a.Offset(3, 3); // an empty region stays empty
    EXPECT_EQ(a.Complexity(), NULLREGION);
    EXPECT_FALSE(a.Intersects(TRect(0, 0, 100, 100)));
}

TEST(RegionsTest, ShapesExcludeRightAndBottomEdges) {
    TRegion e = TRegion::FromEllipse(TRect(0, 0, 20, 10));
    EXPECT_TRUE(e.Contains(10, 5));
    EXPECT_FALSE(e.Contains(0, 0));
    EXPECT_EQ(e.BoundingBox(), TRect(0, 0, 20, 10));
    TRegion r = TRegion::FromRect(2, 2, 4, 4);
    EXPECT_TRUE(r.Contains(3, 3));
    EXPECT_FALSE(r.Contains(4, 3));
    r.Offset(10, 0);
    EXPECT_EQ(r.BoundingBox(), TRect(12, 2, 14, 4));
    EXPECT_TRUE(TRegion::FromRect(5, 5, 5, 9).IsEmpty());
}

TEST(RegionsTest, PolygonFillModes) {
    // A pentagram: the centre is outside with the alternate rule, inside with winding.
    std::vector<TPoint> star = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    EXPECT_FALSE(TRegion::FromPolygon(star, ALTERNATE).Contains(50, 50));
    EXPECT_TRUE(TRegion::FromPolygon(star, WINDING).Contains(50, 50));
    EXPECT_TRUE(TRegion::FromPolygon(star, ALTERNATE).Contains(50, 10));
}

TEST(RegionsTest, RegionDataRoundTrip) {
    TRegion r;
    r.Combine(TRegion::FromRect(0, 0, 10, 4), TRegion::FromRect(2, 4, 6, 8), RGN_OR);
    std::vector<uint8_t> data = r.Data();
    ASSERT_EQ(data.size(), 32u + 2 * 16);
    auto at = [&](size_t i) {
        return int32_t(data[i] | data[i + 1] << 8 | data[i + 2] << 16 | data[i + 3] << 24);
    };
    EXPECT_EQ(at(0), 32);
    EXPECT_EQ(at(4), 1);
    EXPECT_EQ(at(8), 2);
    EXPECT_EQ(at(12), 32);
    EXPECT_EQ(TRect(at(16), at(20), at(24), at(28)), TRect(0, 0, 10, 8));
    // Bands from top to bottom, each band left to right.
    EXPECT_EQ(TRect(at(32), at(36), at(40), at(44)), TRect(0, 0, 10, 4));
    EXPECT_EQ(TRect(at(48), at(52), at(56), at(60)), TRect(2, 4, 6, 8));
    bool ok = false;
    TRegion back = TRegion::FromData(data, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(back, r);
    TRegion ellipse = TRegion::FromEllipse(TRect(3, 3, 40, 25));
    EXPECT_EQ(TRegion::FromData(ellipse.Data()), ellipse);
    // Malformed data gives an empty region.
    data[0] = 31;
    EXPECT_TRUE(TRegion::FromData(data, &ok).IsEmpty());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(TRegion::FromData(data.data(), 10, &ok).IsEmpty());
}

} // namespace
