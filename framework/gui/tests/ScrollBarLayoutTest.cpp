#include "framework/gui/ScrollBarLayout.h"

#include "framework/gui/tests/TestApp.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using ScrollBarLayout::TBarsShown;

TEST(ScrollBarLayoutTest, ChooseBarsAddsTheBarThatTheOtherBarMakesNeeded) {
    // A 100 x 100 window with 16-pixel bars: each bar takes its width from the content's
    // room in the other direction.
    struct TCase {
        int ContentWidth, ContentHeight;
        TBarsShown Expected;
    } cases[] = {
        {50, 50, {false, false}}, {100, 100, {false, false}}, {50, 200, {true, false}},
        {84, 200, {true, false}}, {85, 200, {true, true}},    {200, 50, {false, true}},
        {200, 85, {true, true}},  {200, 200, {true, true}},
    };
    for (const TCase& c : cases) {
        std::vector<TBarsShown> asked;
        const TBarsShown shown = ScrollBarLayout::ChooseBars([&](TBarsShown now) {
            asked.push_back(now);
            const int width = 100 - (now.Vert ? 16 : 0);
            const int height = 100 - (now.Horz ? 16 : 0);
            return TBarsShown{c.ContentHeight > height, c.ContentWidth > width};
        });
        EXPECT_EQ(shown, c.Expected) << c.ContentWidth << " x " << c.ContentHeight;
        // Bars are only ever added, and the answer is settled once asked again.
        for (size_t i = 1; i < asked.size(); ++i)
            EXPECT_TRUE((asked[i].Vert || !asked[i - 1].Vert) &&
                        (asked[i].Horz || !asked[i - 1].Horz));
        EXPECT_LE(asked.size(), 3u);
    }
    // Content that wants a bar it was just given taken away again never loops for ever.
    int calls = 0;
    const TBarsShown flip = ScrollBarLayout::ChooseBars([&](TBarsShown now) {
        ++calls;
        return TBarsShown{!now.Vert, !now.Horz};
    });
    EXPECT_EQ(flip, (TBarsShown{true, true}));
    EXPECT_LE(calls, 3);
}

TEST(ScrollBarLayoutTest, PlaceBarsLaysTheShownBarsAlongTheEdgesInsideTheBorder) {
    EnsureTestApplication();
    auto window = std::make_unique<QWidget>();
    window->resize(200, 100);
    QScrollBar* vert = nullptr;
    QScrollBar* horz = nullptr;
    std::vector<std::pair<QScrollBar*, bool>> connected;
    auto connect = [&](QScrollBar* bar, bool vertical) { connected.emplace_back(bar, vertical); };

    ScrollBarLayout::PlaceBars(window.get(), vert, horz, {true, true}, connect, 200, 100, 2, 16);
    ASSERT_TRUE(vert && horz);
    ASSERT_EQ(connected.size(), 2u);
    EXPECT_EQ(connected[0], std::make_pair(vert, true));
    EXPECT_EQ(connected[1], std::make_pair(horz, false));
    EXPECT_EQ(vert->orientation(), Qt::Vertical);
    EXPECT_EQ(horz->orientation(), Qt::Horizontal);
    // The vertical bar stops above the horizontal one; neither covers the border.
    EXPECT_EQ(vert->geometry(), QRect(182, 2, 16, 80));
    EXPECT_EQ(horz->geometry(), QRect(2, 82, 180, 16));
    EXPECT_FALSE(vert->isHidden());
    EXPECT_FALSE(horz->isHidden());

    // Without the horizontal bar the vertical one runs down to the border; the hidden bar
    // is kept for later and nothing new is made.
    QScrollBar* keptHorz = horz;
    ScrollBarLayout::PlaceBars(window.get(), vert, horz, {true, false}, connect, 200, 100, 2, 16);
    EXPECT_EQ(connected.size(), 2u);
    EXPECT_EQ(horz, keptHorz);
    EXPECT_TRUE(horz->isHidden());
    EXPECT_EQ(vert->geometry(), QRect(182, 2, 16, 96));

    // A window too small for the bars gives them no negative length.
    ScrollBarLayout::PlaceBars(window.get(), vert, horz, {true, true}, connect, 10, 10, 0, 16);
    EXPECT_EQ(vert->height(), 0);
    EXPECT_EQ(horz->width(), 0);

    ScrollBarLayout::ReleaseBars(vert, horz);
    EXPECT_EQ(vert, nullptr);
    EXPECT_EQ(horz, nullptr);
}

TEST(ScrollBarLayoutTest, SetBarParamsKeepsStepsPositiveAndTheValueInRange) {
    EnsureTestApplication();
    QScrollBar bar(Qt::Vertical);
    struct TCase {
        int Max, Page, Line, Value;
        int ExpectedPage, ExpectedLine, ExpectedValue;
    } cases[] = {
        {100, 20, 5, 30, 20, 5, 30}, {100, 0, 0, 30, 1, 1, 30}, {100, -5, -1, 150, 1, 1, 100},
        {100, 20, 5, -3, 20, 5, 0},  {0, 20, 5, 7, 20, 5, 0},
    };
    for (const TCase& c : cases) {
        ScrollBarLayout::SetBarParams(&bar, c.Max, c.Page, c.Line, c.Value);
        EXPECT_EQ(bar.minimum(), 0);
        EXPECT_EQ(bar.maximum(), c.Max);
        EXPECT_EQ(bar.pageStep(), c.ExpectedPage) << c.Page;
        EXPECT_EQ(bar.singleStep(), c.ExpectedLine) << c.Line;
        EXPECT_EQ(bar.value(), c.ExpectedValue) << c.Value;
    }
}

} // namespace
