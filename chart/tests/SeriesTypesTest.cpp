#include "chart/Chart.h"
#include "chart/ChartFunctions.h"
#include "chart/GanttSeries.h"
#include "chart/Series.h"
#include "chart/tests/ChartTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

struct SeriesTypesTest : ::testing::Test {
    std::unique_ptr<TChart> Chart;
    void SetUp() override {
        EnsureTestApplication();
        Chart = std::make_unique<TChart>(nullptr);
        Chart->SetBounds(0, 0, 400, 300);
        Chart->SetView3D(false);
        Chart->Legend()->SetVisible(false);
        Chart->Title()->SetVisible(false);
    }
    void Record(TRecordingCanvas& canvas) {
        Chart->SetBuffered(false);
        Chart->DrawToRect(&canvas, Chart->GetDrawRect());
    }
    void Draw() {
        TRecordingCanvas canvas;
        Record(canvas);
    }
    template <class T> T* Add(const std::string& title = {}) {
        auto* s = new T(Chart.get());
        s->SetParentChart(Chart.get());
        s->SetTitle(title);
        return s;
    }
};

std::vector<TDrawCall> LinesIn(const TRecordingCanvas& canvas, TColor color) {
    std::vector<TDrawCall> result;
    for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcLine))
        if (c.PenColor == color)
            result.push_back(c);
    return result;
}

std::vector<TDrawCall> RectanglesIn(const TRecordingCanvas& canvas, TColor color) {
    std::vector<TDrawCall> result;
    for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcRectangle))
        if (c.BrushColor == color && c.BrushStyle == bsSolid)
            result.push_back(c);
    return result;
}

} // namespace

// ---------------------------------------------------------------------------
// Fast line

TEST_F(SeriesTypesTest, FastLineJoinsAYearAndSkipsRepeatedPixels) {
    auto* line = Add<TFastLineSeries>();
    line->SetSeriesColor(clRed);
    const double start = EncodeDate(1991, 1, 1);
    line->XValues()->SetDateTime(true);
    for (int h = 0; h < 8760; ++h)
        line->AddXY(start + h / 24.0, h % 24 < 12 ? 100 : 200);
    TRecordingCanvas canvas;
    Record(canvas);
    // The year goes to the canvas as one polyline, not segment by segment.
    EXPECT_TRUE(LinesIn(canvas, clRed).empty());
    std::vector<TDrawCall> polylines;
    for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcPolyline))
        if (c.PenColor == clRed)
            polylines.push_back(c);
    ASSERT_EQ(polylines.size(), 1u);
    std::vector<TDrawCall> lines;
    const std::vector<TPoint>& points = polylines[0].Points;
    for (size_t i = 1; i < points.size(); ++i) {
        TDrawCall segment = polylines[0];
        segment.Points = {points[i - 1], points[i]};
        lines.push_back(segment);
    }
    // Far fewer segments than points: points on the pixel of the one before draw nothing.
    ASSERT_GT(lines.size(), 300u);
    EXPECT_LT(lines.size(), 8760u);
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_NE(lines[i].Points[0], lines[i].Points[1]);
        if (i > 0) {
            EXPECT_EQ(lines[i].Points[0], lines[i - 1].Points[1]);
        }
    }
    EXPECT_EQ(lines.front().Points[0], TPoint(line->CalcXPos(0), line->CalcYPos(0)));
    EXPECT_EQ(lines.back().Points[1], TPoint(line->CalcXPos(8759), line->CalcYPos(8759)));
}

TEST_F(SeriesTypesTest, FastLineColourFollowsItsPenAndBack) {
    auto* line = Add<TFastLineSeries>();
    line->SetSeriesColor(clBlue);
    EXPECT_EQ(line->LinePen()->Color(), clBlue);
    TChartPen pen;
    pen.SetColor(clGreen);
    line->SetLinePen(&pen);
    EXPECT_EQ(line->SeriesColor(), clGreen);
}

TEST_F(SeriesTypesTest, FastLineWithoutAutoRepaintDrawsNewSegmentsAtOnce) {
    auto* line = Add<TFastLineSeries>();
    line->SetSeriesColor(clRed);
    line->SetAutoRepaint(false);
    int added = 0;
    line->SetOnAfterAdd([&](TChartSeries*, int) { ++added; });
    auto* dependent = Add<TLineSeries>();
    dependent->SetDataSource(line);
    // Never drawn: the point is only stored.
    line->AddXY(0, 0);
    EXPECT_EQ(line->Count(), 1);
    line->AddXY(10, 10);
    TRecordingCanvas canvas;
    Chart->Canvas3D()->AttachCanvas(&canvas);
    Chart->SetBuffered(false);
    Chart->DrawToRect(&canvas, Chart->GetDrawRect());
    Chart->Canvas3D()->AttachCanvas(&canvas);
    canvas.Calls.clear();
    line->AddXY(5, 2);
    const std::vector<TDrawCall> lines = LinesIn(canvas, clRed);
    ASSERT_EQ(lines.size(), 1u);
    // The new point lands between the two others: the segment comes from the one before.
    EXPECT_EQ(lines[0].Points[0], TPoint(line->CalcXPos(0), line->CalcYPos(0)));
    EXPECT_EQ(lines[0].Points[1], TPoint(line->CalcXPos(1), line->CalcYPos(1)));
    EXPECT_EQ(added, 0);
    EXPECT_EQ(dependent->Count(), 0);
}

// ---------------------------------------------------------------------------
// Lines, points, areas

TEST_F(SeriesTypesTest, LineZoomedIntoTheMiddleEntersAtTheLeftEdge) {
    auto* line = Add<TLineSeries>();
    line->SetSeriesColor(clRed);
    for (int i = 0; i <= 10; ++i)
        line->AddXY(i, i * 10);
    Chart->BottomAxis()->SetMinMax(2.5, 7.5);
    Chart->LeftAxis()->SetMinMax(0, 100);
    TRecordingCanvas canvas;
    Record(canvas);
    const std::vector<TDrawCall> lines = LinesIn(canvas, clRed);
    ASSERT_GE(lines.size(), 2u);
    const TRect r = Chart->ChartRect();
    // From the edge at the height of 25 (on the line from point 2 to 3) ...
    EXPECT_EQ(lines.front().Points[0].X, r.Left);
    EXPECT_NEAR(lines.front().Points[0].Y, Chart->LeftAxis()->ValueToPixel(25), 1);
    // ... to the first point past the right edge.
    EXPECT_EQ(lines.back().Points[1], TPoint(line->CalcXPos(8), line->CalcYPos(8)));
}

TEST_F(SeriesTypesTest, NullAndOffScreenPointsBreakNoLine) {
    auto* line = Add<TLineSeries>();
    line->SetSeriesColor(clRed);
    line->AddXY(0, 0);
    line->AddXY(1, 1);
    line->AddNullPoint(2, 2, "");
    line->AddXY(3, 3);
    line->AddXY(4, 4);
    TRecordingCanvas canvas;
    Record(canvas);
    // 0-1 and 3-4: no segment to the null point nor from it.
    std::vector<TDrawCall> lines = LinesIn(canvas, clRed);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].Points[0], TPoint(line->CalcXPos(3), line->CalcYPos(3)));
    // A point far off screen is skipped: the next segment starts from the last drawn one.
    line->SetPointColor(2, clAutoColor);
    line->YValues()->SetValueAt(2, 1e12);
    Chart->LeftAxis()->SetMinMax(0, 5);
    TRecordingCanvas skipped;
    Record(skipped);
    lines = LinesIn(skipped, clRed);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].Points[0], TPoint(line->CalcXPos(1), line->CalcYPos(1)));
    EXPECT_EQ(lines[1].Points[1], TPoint(line->CalcXPos(3), line->CalcYPos(3)));
}

TEST_F(SeriesTypesTest, PointerShapesAndClicks) {
    auto* points = Add<TPointSeries>();
    points->SetSeriesColor(clBlue);
    points->AddXY(1, 1);
    points->AddXY(2, 2);
    TRecordingCanvas canvas;
    Record(canvas);
    const std::vector<TDrawCall> boxes = RectanglesIn(canvas, clBlue);
    ASSERT_EQ(boxes.size(), 2u);
    const int x = points->CalcXPos(1);
    const int y = points->CalcYPos(1);
    EXPECT_EQ(boxes[1].Rect, TRect(x - 4, y - 4, x + 5, y + 5));
    int clicked = -1;
    points->SetOnClickPointer([&](TChartSeries*, int index, int, int) { clicked = index; });
    EXPECT_EQ(points->ValueIndexAt(x + 3, y - 3), 1);
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(points->ValueIndexAt(x + 4, y), -1);
    EXPECT_THROW(points->Pointer()->SetHorizSize(0), ChartException);
    EXPECT_EQ(points->Pointer()->HorizSize(), 4);
}

TEST_F(SeriesTypesTest, StairsAreaOf24HoursHas23Steps) {
    auto* area = Add<TAreaSeries>();
    area->SetSeriesColor(clRed);
    area->SetStairs(true);
    for (int h = 0; h < 24; ++h)
        area->AddXY(h, h % 2 ? 10 : 20);
    TRecordingCanvas canvas;
    Record(canvas);
    const std::vector<TDrawCall> steps = RectanglesIn(canvas, clRed);
    ASSERT_EQ(steps.size(), 23u);
    // Each step runs at the height of its first point to the next point's X.
    const int bottom = Chart->LeftAxis()->IEndPos();
    EXPECT_EQ(steps[0].Rect,
              TRect(area->CalcXPos(0), area->CalcYPos(0), area->CalcXPos(1) + 1, bottom));
}

TEST_F(SeriesTypesTest, StackedAreas) {
    auto* a = Add<TAreaSeries>();
    auto* b = Add<TAreaSeries>();
    a->AddXY(0, 1);
    a->AddXY(1, 0);
    b->AddXY(0, 1);
    b->AddXY(1, 0);
    a->SetMultiArea(maStacked100);
    EXPECT_EQ(b->MultiArea(), maStacked100); // every area of the chart
    Draw();
    TChartAxis* left = Chart->LeftAxis();
    EXPECT_EQ(a->CalcYPos(0), left->ValueToPixel(50));
    EXPECT_EQ(b->CalcYPos(0), left->ValueToPixel(100));
    EXPECT_EQ(b->AreaBottomPos(0), left->ValueToPixel(50));
    // A total of 0 stands at the pixel of 0.
    EXPECT_EQ(b->CalcYPos(1), left->ValueToPixel(0));
    EXPECT_DOUBLE_EQ(b->MaxYValue(), 100);
    b->SetMultiArea(maStacked);
    EXPECT_DOUBLE_EQ(b->MaxYValue(), 2);
    Draw();
    EXPECT_EQ(b->CalcYPos(0), left->ValueToPixel(2));
    // Stacked areas share one depth row.
    Chart->SetView3D(true);
    Draw();
    EXPECT_EQ(a->ZOrder(), b->ZOrder());
}

// ---------------------------------------------------------------------------
// Bars

TEST_F(SeriesTypesTest, SideBySideBarWidth) {
    std::vector<TBarSeries*> bars;
    for (int k = 0; k < 3; ++k) {
        bars.push_back(Add<TBarSeries>());
        for (int i = 0; i < 10; ++i)
            bars[size_t(k)]->AddXY(i, i + 1);
    }
    Draw();
    Chart->BottomAxis()->PlaceOnSide(20, 440);
    bars[0]->CalcBarWidth();
    EXPECT_EQ(bars[0]->BarWidth(), 10); // room 40, round(28) div 3 = 9, made even
    EXPECT_EQ(bars[0]->SideCount(), 3);
    EXPECT_EQ(bars[2]->SideOrder(), 3);
    bars[1]->SetMultiBar(mbStacked);
    for (TBarSeries* b : bars)
        EXPECT_EQ(b->MultiBar(), mbStacked);
    EXPECT_EQ(bars[0]->SideCount(), 1);
    struct {
        std::function<void()> Set;
        std::string Message;
    } checks[] = {
        {[&] { bars[0]->SetBarWidthPercent(0); }, "Bar Width Percent must be between 1 and 100"},
        {[&] { bars[0]->SetBarWidthPercent(101); }, "Bar Width Percent must be between 1 and 100"},
        {[&] { bars[0]->SetOffsetPercent(-101); },
         "Bar Offset Percent must be between -100% and 100%"},
    };
    for (const auto& c : checks) {
        try {
            c.Set();
            ADD_FAILURE() << c.Message;
        } catch (const BarException& e) {
            EXPECT_EQ(std::string(e.what()), c.Message);
        }
    }
    EXPECT_EQ(bars[0]->BarWidthPercent(), 70);
}

TEST_F(SeriesTypesTest, StackedBarsStartOnTheSeriesBelow) {
    auto* low = Add<TBarSeries>();
    auto* high = Add<TBarSeries>();
    low->SetSeriesColor(clRed);
    high->SetSeriesColor(clGreen);
    for (int i = 0; i < 4; ++i) {
        low->AddXY(i, 10 * (i + 1));
        high->AddXY(i, 5);
    }
    low->SetMultiBar(mbStacked);
    TRecordingCanvas canvas;
    Record(canvas);
    const std::vector<TDrawCall> red = RectanglesIn(canvas, clRed);
    const std::vector<TDrawCall> green = RectanglesIn(canvas, clGreen);
    ASSERT_EQ(red.size(), 4u);
    ASSERT_EQ(green.size(), 4u);
    TChartAxis* left = Chart->LeftAxis();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(green[size_t(i)].Rect.Bottom, red[size_t(i)].Rect.Top);
        EXPECT_EQ(green[size_t(i)].Rect.Top, left->ValueToPixel(10 * (i + 1) + 5));
        EXPECT_EQ(green[size_t(i)].Rect.Left, red[size_t(i)].Rect.Left);
        EXPECT_EQ(red[size_t(i)].Rect.Width(), low->BarWidth());
    }
    EXPECT_DOUBLE_EQ(high->MaxYValue(), 45);
    // In 100 %, a total of 0 draws at the pixel of 0.
    low->SetMultiBar(mbStacked100);
    low->YValues()->SetValueAt(0, 0);
    high->YValues()->SetValueAt(0, 0);
    Draw();
    EXPECT_EQ(high->CalcYPos(0), left->ValueToPixel(0));
    EXPECT_EQ(high->OriginPos(0, -1), left->ValueToPixel(0));
}

TEST_F(SeriesTypesTest, NegativeBarHangsFromTheOriginWithItsMarkBelow) {
    auto* bars = Add<TBarSeries>();
    bars->SetSeriesColor(clRed);
    bars->AddXY(0, 10, "up");
    bars->AddXY(1, -10, "down");
    TRecordingCanvas canvas;
    Record(canvas);
    const std::vector<TDrawCall> red = RectanglesIn(canvas, clRed);
    ASSERT_EQ(red.size(), 2u);
    const int zero = Chart->LeftAxis()->ValueToPixel(0);
    EXPECT_EQ(red[1].Rect.Top, zero);
    EXPECT_EQ(red[1].Rect.Bottom, Chart->LeftAxis()->ValueToPixel(-10));
    EXPECT_EQ(red[0].Rect.Bottom, zero);
    // The marks are the last texts (the axis labels show the point labels too).
    const TDrawCall* down = nullptr;
    const TDrawCall* up = nullptr;
    for (const TDrawCall& c : canvas.Calls) {
        if (c.Kind == TDrawCall::dcText && c.Text == "down")
            down = &c;
        if (c.Kind == TDrawCall::dcText && c.Text == "up")
            up = &c;
    }
    ASSERT_TRUE(up && down);
    EXPECT_GT(down->Points[0].Y, red[1].Rect.Bottom);
    EXPECT_LT(up->Points[0].Y, red[0].Rect.Top);
    // Clicks inside a bar find it.
    EXPECT_EQ(bars->ValueIndexAt(red[1].Rect.Left + 2, red[1].Rect.Bottom - 2), 1);
    EXPECT_EQ(bars->ValueIndexAt(red[1].Rect.Left + 2, zero - 5), -1);
}

// Bars of positive values leave room for their marks beyond their value ends only: above
// vertical bars (below them when the value axis is inverted), right of horizontal ones;
// the bars start at the edge of the axes' rectangle on the origin's side, and the mark of
// the tallest vertical bar is drawn inside the rectangle.
TEST_F(SeriesTypesTest, BarsLeaveRoomForTheirMarksBeyondTheirValues) {
    struct TCase {
        bool Vertical;
        bool Inverted;
    };
    for (const TCase c : {TCase{true, false}, TCase{true, true}, TCase{false, false}}) {
        SCOPED_TRACE(std::string(c.Vertical ? "vertical" : "horizontal") +
                     (c.Inverted ? " inverted" : ""));
        Chart->FreeAllSeries();
        TCustomBarSeries* bars =
            c.Vertical ? static_cast<TCustomBarSeries*>(Add<TBarSeries>()) : Add<THorizBarSeries>();
        bars->SetSeriesColor(clRed);
        bars->Add(30, "low");
        bars->Add(60, "high");
        Chart->LeftAxis()->SetInverted(c.Vertical && c.Inverted);
        Chart->BottomAxis()->SetInverted(!c.Vertical && c.Inverted);
        TRecordingCanvas canvas;
        Record(canvas);
        int top = -1, bottom = -1, left = -1, right = -1;
        bars->VertMargins(top, bottom);
        bars->HorizMargins(left, right);
        const int room = bars->MarkSpace(-1) + 1;
        const TRect axes = Chart->ChartRect();
        const std::vector<TDrawCall> red = RectanglesIn(canvas, clRed);
        ASSERT_EQ(red.size(), 2u);
        const TRect& high = red[1].Rect;
        std::vector<TPoint> marks;
        for (const TDrawCall& call : canvas.OfKind(TDrawCall::dcText))
            if (call.Text == "high")
                marks.push_back(call.Points[0]);
        // The mark is the last of them (the axis across the bars shows the labels too).
        ASSERT_FALSE(marks.empty());
        const TPoint at = marks.back();
        // Across the bars, the room of their width.
        EXPECT_EQ(c.Vertical ? left : top, bars->BarSpace());
        EXPECT_EQ(c.Vertical ? right : bottom, bars->BarSpace());
        if (!c.Vertical) {
            EXPECT_EQ(left, 0);
            EXPECT_EQ(right, room);
            EXPECT_EQ(high.Left, axes.Left);
        } else if (!c.Inverted) {
            EXPECT_EQ(top, room);
            EXPECT_EQ(bottom, 0);
            EXPECT_EQ(high.Bottom, axes.Bottom);
            EXPECT_GE(at.Y, axes.Top);
        } else {
            EXPECT_EQ(top, 0);
            EXPECT_EQ(bottom, room);
            EXPECT_EQ(high.Top, axes.Top);
            EXPECT_LE(at.Y + TRecordingCanvas::kLineHeight, axes.Bottom);
        }
    }
}

TEST_F(SeriesTypesTest, HorizontalBarsRunAlongX) {
    auto* bars = Add<THorizBarSeries>();
    bars->SetSeriesColor(clRed);
    bars->Marks()->SetVisible(false);
    bars->Add(30);
    bars->Add(60);
    TRecordingCanvas canvas;
    Record(canvas);
    const std::vector<TDrawCall> red = RectanglesIn(canvas, clRed);
    ASSERT_EQ(red.size(), 2u);
    EXPECT_EQ(red[1].Rect.Left, Chart->BottomAxis()->ValueToPixel(0));
    EXPECT_EQ(red[1].Rect.Right, Chart->BottomAxis()->ValueToPixel(60));
    EXPECT_EQ(red[1].Rect.Height(), bars->BarWidth());
    EXPECT_THROW(bars->FillSampleValues(0), BarException);
}

// Pyramids point to higher values (up, or right), inverted ones away from them, in 2-D and
// in 3-D, and a click counts only inside the triangle.
TEST_F(SeriesTypesTest, PyramidBarsPointToHigherValuesInEitherOrientation) {
    struct TCase {
        bool Vertical;
        TBarStyle Style;
        bool View3D;
        bool ApexAtHighValues;
    };
    const TCase cases[] = {
        {true, bsPyramid, false, true},  {true, bsInvPyramid, false, false},
        {false, bsPyramid, false, true}, {false, bsInvPyramid, false, false},
        {true, bsPyramid, true, true},   {true, bsInvPyramid, true, false},
        {false, bsPyramid, true, true},  {false, bsInvPyramid, true, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Vertical ? "vertical " : "horizontal ") +
                     (c.Style == bsPyramid ? "pyramid" : "inverted") + (c.View3D ? " 3-D" : ""));
        Chart->FreeAllSeries();
        Chart->SetView3D(c.View3D);
        Chart->SetAxisVisible(false);
        TCustomBarSeries* bars =
            c.Vertical ? static_cast<TCustomBarSeries*>(Add<TBarSeries>()) : Add<THorizBarSeries>();
        bars->SetSeriesColor(clBlue);
        bars->Marks()->SetVisible(false);
        bars->SetBarStyle(c.Style);
        bars->Add(50);
        bars->Add(80);
        TRecordingCanvas canvas;
        Record(canvas);
        // The bar of the first point: across it from a to b, along it from its origin to
        // its value.
        const int a = c.Vertical ? bars->CalcXPos(0) : bars->CalcYPos(0);
        const int b = a + bars->BarWidth();
        const int value = c.Vertical ? bars->CalcYPos(0) : bars->CalcXPos(0);
        const int origin = bars->OriginPos(0, -1);
        const int middle = (value + origin) / 2;
        // The faces of the pyramid are filled in blue or a darker blue; every corner past
        // the middle of the bar towards the apex is the apex.
        int beyond = 0;
        std::vector<TPoint> apexes;
        for (const TDrawCall& call : canvas.OfKind(TDrawCall::dcPolygon)) {
            if ((call.BrushColor & 0xFFFF) != 0 || call.BrushColor == 0)
                continue;
            for (const TPoint& p : call.Points) {
                const int along = c.Vertical ? p.Y : p.X;
                const int acrossPos = c.Vertical ? p.X : p.Y;
                if (acrossPos < a - 20 || acrossPos > b + 20)
                    continue; // the other point's bar
                const bool towardsValue = value < origin ? along < middle : along > middle;
                if (towardsValue == c.ApexAtHighValues) {
                    ++beyond;
                    apexes.push_back(p);
                }
            }
        }
        ASSERT_GT(beyond, 0);
        for (const TPoint& p : apexes)
            EXPECT_TRUE(p.X == apexes[0].X && p.Y == apexes[0].Y);
        // Hit test: a corner at the base is inside, the corner beside the apex is not.
        const int baseEnd = c.ApexAtHighValues ? origin : value;
        const int apexEnd = c.ApexAtHighValues ? value : origin;
        const int step = apexEnd > baseEnd ? -2 : 2;
        auto at = [&](int along, int across) {
            return c.Vertical ? TPoint(across, along) : TPoint(along, across);
        };
        EXPECT_TRUE(bars->PointInBar(0, at(baseEnd - step, a + 1)));
        EXPECT_FALSE(bars->PointInBar(0, at(apexEnd + step, a + 1)));
        EXPECT_TRUE(bars->PointInBar(0, at(apexEnd + step, (a + b) / 2)));
    }
}

// ---------------------------------------------------------------------------
// Pie

TEST_F(SeriesTypesTest, PieGroupsSmallSlicesIntoOther) {
    Chart->Legend()->SetVisible(true);
    Chart->Legend()->SetTextStyle(ltsRightPercent);
    auto* pie = Add<TPieSeries>();
    for (double v : {50.0, 45.0, 3.0, 2.0})
        pie->AddSlice(v, "s" + std::to_string(int(v)));
    pie->OtherSlice()->SetStyle(poBelowPercent);
    pie->OtherSlice()->SetValue(10);
    TRecordingCanvas canvas;
    Record(canvas);
    EXPECT_EQ(pie->Count(), 5);
    EXPECT_EQ(pie->LegendItemCount(), 3);
    EXPECT_EQ(Chart->Legend()->NumRows(), 3);
    EXPECT_EQ(pie->ValueLabel(4), "Other");
    EXPECT_DOUBLE_EQ(pie->YValueAt(4), 5);
    EXPECT_EQ(Chart->LegendValueText(pie, 2), "Other 5 %");
    EXPECT_EQ(Chart->LegendValueText(pie, 0), "s50 50 %");
    // Angles: 50 % is half a turn; the grouped slices take none.
    const double turn = 2 * std::numbers::pi;
    EXPECT_NEAR(pie->EndAngle(0), turn / 2, 1e-12);
    EXPECT_NEAR(pie->EndAngle(2), pie->StartAngle(2), 1e-12);
    EXPECT_NEAR(pie->EndAngle(4), turn, 1e-12);
    // Drawing again groups again, without piling up "Other" slices.
    Draw();
    EXPECT_EQ(pie->Count(), 5);
}

TEST_F(SeriesTypesTest, PieRotationAndClicks) {
    auto* pie = Add<TPieSeries>();
    pie->Marks()->SetVisible(false);
    pie->AddSlice(1);
    pie->AddSlice(3);
    pie->SetRotationAngle(400);
    EXPECT_EQ(pie->RotationAngle(), 40);
    try {
        pie->SetRotationAngle(-1);
        ADD_FAILURE();
    } catch (const PieException& e) {
        EXPECT_EQ(std::string(e.what()), "Rotation Angle must be between 0 and 359 degrees");
    }
    pie->SetRotationAngle(0);
    Draw();
    // The first slice is the upper right quarter.
    const int cx = pie->CircleXCenter();
    const int cy = pie->CircleYCenter();
    EXPECT_EQ(pie->ValueIndexAt(cx + 10, cy - 10), 0);
    EXPECT_EQ(pie->ValueIndexAt(cx - 10, cy + 10), 1);
    EXPECT_EQ(pie->ValueIndexAt(cx + pie->XRadius() + 5, cy), -1);
    // A single slice is a full turn.
    pie->DeleteValue(1);
    Draw();
    EXPECT_NEAR(pie->EndAngle(0) - pie->StartAngle(0), 2 * std::numbers::pi, 1e-12);
}

TEST_F(SeriesTypesTest, PieTakesTheChartOutOfAxisModeWhileInIt) {
    auto* line = Add<TLineSeries>();
    line->AddXY(1, 1);
    auto* pie = Add<TPieSeries>();
    EXPECT_FALSE(Chart->AxisVisible());
    EXPECT_FALSE(Chart->AllowZoom());
    EXPECT_EQ(Chart->AllowPanning(), pmNone);
    EXPECT_FALSE(Chart->View3DWalls());
    pie->SetParentChart(nullptr);
    EXPECT_TRUE(Chart->AxisVisible());
    EXPECT_TRUE(Chart->AllowZoom());
    EXPECT_EQ(Chart->AllowPanning(), pmBoth);
    delete pie;
    // With only round series left, the axes stay off.
    delete line;
    auto* first = Add<TPieSeries>();
    auto* second = Add<TPieSeries>();
    delete second;
    EXPECT_FALSE(Chart->AxisVisible());
    (void)first;
}

// ---------------------------------------------------------------------------
// Gantt

TEST_F(SeriesTypesTest, GanttDrawsBarsAndConnectors) {
    auto* gantt = Add<TGanttSeries>();
    gantt->Marks()->SetVisible(false);
    gantt->ConnectingPen()->SetColor(clRed);
    const double d0 = EncodeDate(1991, 1, 1);
    // One period across New Year: two bars on one row.
    const int a = gantt->AddTask(d0 - 1, d0 + 58, 0, "winter");
    const int c = gantt->AddTask(d0 + 100, d0 + 200, 1, "summer");
    const int b = gantt->AddTask(d0 + 334, d0 + 364, 0, "winter");
    EXPECT_EQ(gantt->NextTask()->ValueAt(a), -1);
    EXPECT_DOUBLE_EQ(gantt->EndValues()->ValueAt(b), d0 + 364);
    EXPECT_DOUBLE_EQ(gantt->MaxXValue(), d0 + 364);
    gantt->NextTask()->SetValueAt(a, c);
    gantt->NextTask()->SetValueAt(c, 99); // not a task: no connector
    TRecordingCanvas canvas;
    Record(canvas);
    TCustomChartAxis* bottom = Chart->BottomAxis();
    std::vector<TRect> bars;
    for (const TDrawCall& call : canvas.OfKind(TDrawCall::dcRectangle))
        if (call.BrushStyle == bsSolid && call.BrushColor != clWhite)
            bars.push_back(call.Rect);
    ASSERT_EQ(bars.size(), 3u);
    const int row0 = Chart->LeftAxis()->ValueToPixel(0);
    for (int i : {a, b}) {
        const int x0 = bottom->ValueToPixel(gantt->StartValues()->ValueAt(i));
        const int x1 = bottom->ValueToPixel(gantt->EndValues()->ValueAt(i));
        const int half = (x1 - x0) / 2;
        EXPECT_EQ(bars[size_t(i)], TRect(x0, row0 - 4, x0 + 2 * half + 1, row0 + 5));
    }
    // The connector from the end of task a to the start of task c, in three lines.
    const std::vector<TDrawCall> links = LinesIn(canvas, clRed);
    ASSERT_EQ(links.size(), 3u);
    const int x1 = bottom->ValueToPixel(d0 + 58);
    const int xc = bottom->ValueToPixel(d0 + 100);
    const int yc = Chart->LeftAxis()->ValueToPixel(1);
    const int xm = x1 + (xc - x1) / 2;
    EXPECT_EQ(links[0].Points[0], TPoint(x1, row0));
    EXPECT_EQ(links[1].Points[1], TPoint(xm, yc));
    EXPECT_EQ(links[2].Points[1], TPoint(xc, yc));
    // Clicking a bar finds its task.
    EXPECT_EQ(gantt->ValueIndexAt(bottom->ValueToPixel(d0 + 340), row0 + 2), b);
}

// ---------------------------------------------------------------------------
// The series-type registry and the series routines

TEST_F(SeriesTypesTest, RegistryListsFunctionsThenSeriesTypes) {
    TChartSeriesTypes* types = ChartSeriesTypes();
    ASSERT_GE(types->Count(), 15);
    const char* names[] = {"Add",  "Subtract", "Multiply", "Divide",    "High",
                           "Low",  "Average",  "Line",     "Bar",       "Horiz. Bar",
                           "Area", "Point",    "Pie",      "Fast Line", "Gantt"};
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(types->GetItem(i)->Description, names[i]);
    EXPECT_EQ(types->GetItem(0)->FunctionClass, TAddChartFunction::StaticClass());
    EXPECT_EQ(types->GetItem(0)->GalleryPage, "Functions");
    EXPECT_EQ(types->GetItem(12)->SeriesClass, TPieSeries::StaticClass());
    EXPECT_EQ(types->GetItem(12)->NumGallerySeries, 1);
    EXPECT_EQ(types->GetItem(13)->GalleryPage, "Standard");
    // The same classes again add nothing; long texts are cut.
    AddGallerySeries(TLineSeries::StaticClass(), "Line again", "Standard", 2);
    EXPECT_EQ(types->Count(), 15);
    EXPECT_NE(FindClass("TGanttSeries"), nullptr);
}

TEST_F(SeriesTypesTest, CreateCloneRetypeAndExchangeSeries) {
    TComponent owner(nullptr);
    TChartSeries* first = CreateNewSeries(&owner, Chart.get(), TLineSeries::StaticClass());
    TChartSeries* second = CreateNewSeries(&owner, Chart.get(), TLineSeries::StaticClass(),
                                           TAverageChartFunction::StaticClass());
    EXPECT_EQ(first->Name(), "Series1");
    EXPECT_EQ(second->Name(), "Series2");
    ASSERT_NE(second->FunctionType(), nullptr);
    EXPECT_EQ(second->FunctionType()->Name(), "ChartFunction1");
    first->AddXY(1, 5, "a");
    first->AddXY(2, 7);
    first->SetTitle("first");
    TChartSeries* copy = CloneChartSeries(first);
    EXPECT_EQ(copy->Name(), "Series3");
    EXPECT_EQ(copy->Count(), 2);
    EXPECT_EQ(copy->Title(), "first");
    EXPECT_EQ(copy->ValueLabel(0), "a");
    // Retyping keeps the name, the place, the points and the dependents.
    second->SetDataSource(first);
    TChartSeries* retyped = first;
    ChangeSeriesClass(retyped, TBarSeries::StaticClass());
    ASSERT_NE(retyped, nullptr);
    EXPECT_EQ(retyped->ClassName(), "TBarSeries");
    EXPECT_EQ(retyped->Name(), "Series1");
    EXPECT_EQ(Chart->GetSeries(0), retyped);
    EXPECT_EQ(retyped->Count(), 2);
    EXPECT_EQ(second->DataSource(), retyped);
    const int copyIndex = copy->ComponentIndex();
    const int retypedIndex = retyped->ComponentIndex();
    Chart->ExchangeSeries(0, 2);
    EXPECT_EQ(Chart->GetSeries(2), retyped);
    EXPECT_EQ(copy->ComponentIndex(), retypedIndex);
    EXPECT_EQ(retyped->ComponentIndex(), copyIndex);
}
