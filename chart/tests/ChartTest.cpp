#include "chart/Chart.h"
#include "chart/ChartFunctions.h"
#include "chart/GanttSeries.h"
#include "chart/Series.h"
#include "chart/tests/ChartTestSupport.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

struct ChartTest : ::testing::Test {
    TForm* Form = nullptr;
    TChart* Chart = nullptr;
    void SetUp() override {
        EnsureTestApplication();
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 440, 340);
        Chart = new TChart(Form);
        Chart->SetParent(Form);
        Chart->SetBounds(0, 0, 400, 300);
        Chart->SetView3D(false);
        Chart->SetColor(clWhite);
    }
    void TearDown() override { delete Form; }

    // One frame onto a recording canvas (fixed text metrics).
    void Record(TRecordingCanvas& canvas) {
        Chart->SetBuffered(false);
        Chart->DrawToRect(&canvas, Chart->GetDrawRect());
    }
    void Draw() {
        TRecordingCanvas canvas;
        Record(canvas);
    }
    // One frame with the real fonts, as the window draws it.
    void Paint() { Chart->MakeBitmap(clWhite, Chart->GetDrawRect()); }
    template <class T> T* Add(const std::string& title = {}) {
        auto* s = new T(Form);
        s->SetParentChart(Chart);
        s->SetTitle(title);
        return s;
    }
};

const TDrawCall* FindText(const TRecordingCanvas& canvas, const std::string& text) {
    for (const TDrawCall& c : canvas.Calls)
        if (c.Kind == TDrawCall::dcText && c.Text == text)
            return &c;
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// Zoom and panning with the mouse

TEST_F(ChartTest, ZoomDragNeedsMoreThanSixteenPixelsAndResetsUpOrLeft) {
    auto* line = Add<TLineSeries>("a");
    for (int i = 0; i <= 10; ++i)
        line->AddXY(i, i * 10);
    Form->Show();
    struct {
        TPoint From, To;
        bool Zooms;
    } cases[] = {
        {{100, 80}, {117, 97}, true},   // 17 x 17: zoom
        {{100, 80}, {116, 150}, false}, // 16 across: nothing
        {{100, 80}, {180, 96}, false},  // 16 down: nothing
    };
    for (const auto& c : cases) {
        Paint();
        const double x0 = Chart->BottomAxis()->PixelToValue(c.From.X);
        const double x1 = Chart->BottomAxis()->PixelToValue(c.To.X);
        const double y0 = Chart->LeftAxis()->PixelToValue(c.To.Y);
        TestKit::Drag(Chart, c.From, c.To);
        EXPECT_EQ(Chart->Zoomed(), c.Zooms);
        EXPECT_EQ(!Chart->BottomAxis()->Automatic(), c.Zooms);
        if (c.Zooms) {
            EXPECT_DOUBLE_EQ(Chart->BottomAxis()->Minimum(), x0);
            EXPECT_DOUBLE_EQ(Chart->BottomAxis()->Maximum(), x1);
            EXPECT_DOUBLE_EQ(Chart->LeftAxis()->Minimum(), y0);
            // A drag up and to the left undoes it.
            Paint();
            TestKit::Drag(Chart, {200, 200}, {100, 100});
            EXPECT_FALSE(Chart->Zoomed());
            EXPECT_TRUE(Chart->BottomAxis()->Automatic());
        }
    }
}

TEST_F(ChartTest, TwoZoomsAndOneResetRestoreTheFirstLimits) {
    auto* line = Add<TLineSeries>("a");
    for (int i = 0; i <= 10; ++i)
        line->AddXY(i, i);
    Chart->LeftAxis()->SetMinMax(-5, 20);
    Draw();
    Chart->ZoomToRect(TRect(60, 40, 300, 200));
    Draw();
    Chart->ZoomToRect(TRect(100, 80, 200, 150));
    EXPECT_FALSE(Chart->LeftAxis()->Automatic());
    Chart->ResetZoom();
    EXPECT_TRUE(Chart->BottomAxis()->Automatic());
    EXPECT_FALSE(Chart->LeftAxis()->Automatic());
    EXPECT_DOUBLE_EQ(Chart->LeftAxis()->Minimum(), -5);
    EXPECT_DOUBLE_EQ(Chart->LeftAxis()->Maximum(), 20);
}

TEST_F(ChartTest, ZoomAndPanningSortLimitsOfInvertedAxes) {
    auto* line = Add<TLineSeries>("a");
    for (int i = 0; i <= 10; ++i)
        line->AddXY(i, i);
    Chart->LeftAxis()->SetInverted(true);
    Chart->SetAnimatedZoom(true);
    int zooms = 0;
    Chart->SetOnZoom([&](TObject*) { ++zooms; });
    Draw();
    EXPECT_NO_THROW(Chart->ZoomToRect(TRect(60, 40, 300, 200)));
    EXPECT_EQ(zooms, 1);
    EXPECT_LT(Chart->LeftAxis()->Minimum(), Chart->LeftAxis()->Maximum());
    EXPECT_LT(Chart->BottomAxis()->Minimum(), Chart->BottomAxis()->Maximum());
}

TEST_F(ChartTest, RightDragPansTheAxesUnlessRefused) {
    auto* line = Add<TLineSeries>("a");
    for (int i = 0; i <= 10; ++i)
        line->AddXY(i, i * 10);
    Form->Show();
    Paint();
    const double min0 = Chart->BottomAxis()->MinimumValue();
    const double max0 = Chart->BottomAxis()->MaximumValue();
    const double d =
        Chart->BottomAxis()->PixelToValue(150) - Chart->BottomAxis()->PixelToValue(200);
    int scrolls = 0;
    Chart->SetOnScroll([&](TObject*) { ++scrolls; });
    TestKit::Drag(Chart, {150, 150}, {200, 150}, mbRight, 1);
    EXPECT_GT(scrolls, 0);
    EXPECT_NEAR(Chart->BottomAxis()->Minimum(), min0 + d, 1e-9);
    EXPECT_NEAR(Chart->BottomAxis()->Maximum(), max0 + d, 1e-9);
    // Refused scrolls leave the axis alone; a reset brings the automatic range back.
    Chart->SetOnAllowScroll(
        [](TCustomChartAxis*, double&, double&, bool& allow) { allow = false; });
    const double min1 = Chart->BottomAxis()->Minimum();
    Paint();
    TestKit::Drag(Chart, {150, 150}, {250, 150}, mbRight, 1);
    EXPECT_DOUBLE_EQ(Chart->BottomAxis()->Minimum(), min1);
    Chart->ResetZoom();
    EXPECT_TRUE(Chart->BottomAxis()->Automatic());
}

TEST_F(ChartTest, ClicksGoToSeriesAxisBackgroundAndLegendInThatOrder) {
    auto* points = Add<TPointSeries>("p");
    points->AddXY(1, 1);
    points->AddXY(2, 2);
    Add<TPointSeries>("q")->AddXY(3, 1);
    Chart->SetAllowZoom(false);
    Chart->SetAllowPanning(pmNone);
    Form->Show();
    Paint();
    std::vector<std::string> log;
    Chart->SetOnClickSeries(
        [&](TCustomChart*, TChartSeries* s, int index, TMouseButton, TShiftState, int, int) {
            log.push_back("series " + s->Title() + " " + std::to_string(index));
        });
    Chart->SetOnClickAxis([&](TCustomChart*, TCustomChartAxis* axis, TMouseButton, TShiftState, int,
                              int) { log.push_back(Chart->AxisDisplayName(axis)); });
    Chart->SetOnClickBackground(
        [&](TCustomChart*, TMouseButton, TShiftState, int, int) { log.push_back("background"); });
    Chart->SetOnClickLegend(
        [&](TCustomChart*, TMouseButton, TShiftState, int, int) { log.push_back("legend"); });
    const TRect legend = Chart->Legend()->RectLegend();
    const TPoint p1(points->CalcXPos(1), points->CalcYPos(1));
    const TPoint clicks[] = {p1,
                             {Chart->ChartRect().Left - 3, Chart->ChartYCenter()},
                             {Chart->ChartXCenter(), Chart->ChartYCenter() + 7},
                             {(legend.Left + legend.Right) / 2, legend.Top + 5}};
    for (const TPoint& p : clicks)
        TestKit::ClickAt(Chart, p);
    EXPECT_EQ(log, (std::vector<std::string>{"series p 1", "Left Axis", "background", "legend"}));
}

// ---------------------------------------------------------------------------
// Titles, walls, 3-D

TEST_F(ChartTest, TitleAndFootTakeTheirRoomFromTheChartRectangle) {
    Chart->Title()->Text()->Add("Top");
    Chart->Title()->Text()->Add("Second");
    Chart->Foot()->Text()->Add("Foot");
    Chart->Legend()->SetVisible(false);
    Add<TLineSeries>()->AddXY(1, 1);
    TRecordingCanvas canvas;
    Record(canvas);
    const TDrawCall* top = FindText(canvas, "Top");
    const TDrawCall* second = FindText(canvas, "Second");
    const TDrawCall* foot = FindText(canvas, "Foot");
    ASSERT_TRUE(top && second && foot);
    const int h = TRecordingCanvas::kLineHeight;
    EXPECT_EQ(second->Points[0].Y, top->Points[0].Y + h);
    // Centred on the chart rectangle of the margins: 3 % of 400 on each side.
    EXPECT_EQ(top->Points[0].X, 200 - 3 * TRecordingCanvas::kCharWidth / 2);
    EXPECT_EQ(Chart->Title()->TitleRect().Bottom, top->Points[0].Y + 2 * h);
    EXPECT_EQ(Chart->Foot()->TitleRect().Top, foot->Points[0].Y);
    EXPECT_EQ(foot->Points[0].Y + h, 300 - 12); // bottom margin 4 % of 300
    EXPECT_LT(Chart->ChartRect().Bottom, foot->Points[0].Y - 5);
}

TEST_F(ChartTest, DepthOf3DChartIsBothItsWidthAndHeight) {
    Chart->SetView3D(true);
    Chart->Legend()->SetVisible(false);
    Chart->Title()->SetVisible(false);
    Chart->LeftAxis()->SetVisible(false);
    Chart->BottomAxis()->SetVisible(false);
    Add<TBarSeries>()->AddXY(1, 1);
    Draw();
    const int depth = Chart->Width3D();
    ASSERT_GT(depth, 0);
    EXPECT_EQ(Chart->Height3D(), depth);
    // The orthogonal view gives up the depth at the right and at the top.
    EXPECT_EQ(Chart->ChartRect().Top, 12 + depth);
}

TEST_F(ChartTest, WallsIn2DAnd3D) {
    Chart->Legend()->SetVisible(false);
    Add<TLineSeries>()->AddXY(1, 1);
    Chart->SetBackColor(clYellow);
    Chart->BackWall()->Brush()->SetStyle(bsSolid);
    TRecordingCanvas flat;
    Record(flat);
    const TRect r = Chart->ChartRect();
    bool backWall = false;
    for (const TDrawCall& c : flat.OfKind(TDrawCall::dcRectangle))
        if (c.Rect == TRect(r.Left, r.Top, r.Right + 1, r.Bottom) && c.BrushColor == clYellow)
            backWall = true;
    EXPECT_TRUE(backWall);
    Chart->SetView3D(true);
    Chart->LeftWall()->SetSize(5);
    TRecordingCanvas deep;
    Record(deep);
    // The left wall is a box in its colour, the bottom wall a plane in white.
    std::vector<TColor> fills;
    for (const TDrawCall& c : deep.OfKind(TDrawCall::dcPolygon))
        fills.push_back(c.BrushColor);
    EXPECT_NE(std::find(fills.begin(), fills.end(), TColor(0x80FFFF)), fills.end());
    EXPECT_NE(std::find(fills.begin(), fills.end(), clWhite), fills.end());
    EXPECT_EQ(Chart->AxisWallSize(Chart->LeftAxis()), 5);
    Chart->SetView3DWalls(false);
    EXPECT_EQ(Chart->AxisWallSize(Chart->LeftAxis()), 0);
}

// ---------------------------------------------------------------------------
// The legend

TEST_F(ChartTest, RightLegendListsSeriesAndTakesItsRoomWithAMargin) {
    Add<TLineSeries>("first")->AddXY(1, 1);
    Add<TLineSeries>("second series")->AddXY(1, 2);
    TRecordingCanvas canvas;
    Record(canvas);
    const TCustomChartLegend* legend = Chart->Legend();
    EXPECT_EQ(legend->EffectiveStyle(), lsSeries);
    const TRect r = legend->RectLegend();
    const int w = 13 * TRecordingCanvas::kCharWidth; // "second series"
    // Right edge: chart right (400 - 12) less the frame (1 + 1) and the shadow (3).
    EXPECT_EQ(r.Right, 388 - 2 - 3);
    EXPECT_EQ(r.Left, r.Right - 2 - w - int(Round((w + 10) * 12 / 100.0)) - 8);
    // Rows from 10 % of the panel height down.
    EXPECT_EQ(r.Top, 30);
    EXPECT_EQ(r.Bottom, 30 + 2 * TRecordingCanvas::kLineHeight + 2);
    const TDrawCall* first = FindText(canvas, "first");
    const TDrawCall* second = FindText(canvas, "second series");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->Points[0], TPoint(r.Right - w - 2, 31));
    EXPECT_EQ(second->Points[0].Y, 31 + TRecordingCanvas::kLineHeight);
    // The chart ends 3 % of its width left of the legend.
    const int widthBefore = r.Left - 12;
    EXPECT_EQ(Chart->ChartRect().Right, r.Left - int(Round(widthBefore * 3 / 100.0)));
}

TEST_F(ChartTest, LegendStyleRowsAndFirstValue) {
    auto* single = Add<TBarSeries>();
    for (int i = 0; i < 5; ++i)
        single->AddXY(i, (i + 1) * 10, "p" + std::to_string(i));
    Chart->Legend()->SetTextStyle(ltsPlain);
    TRecordingCanvas values;
    Record(values);
    EXPECT_EQ(Chart->Legend()->EffectiveStyle(), lsValues);
    EXPECT_EQ(Chart->Legend()->NumRows(), 5);
    // FirstValue 2 shows three rows, the third point first.
    Chart->Legend()->SetFirstValue(2);
    TRecordingCanvas shifted;
    Record(shifted);
    EXPECT_EQ(Chart->Legend()->TotalRows(), 3);
    const TDrawCall* p2 = FindText(shifted, "p2");
    const TDrawCall* p4 = FindText(shifted, "p4");
    ASSERT_TRUE(p2 && p4);
    EXPECT_EQ(p4->Points[0].Y - p2->Points[0].Y, 2 * TRecordingCanvas::kLineHeight);
    const TRect box = Chart->Legend()->RectLegend();
    for (const TDrawCall& c : shifted.OfKind(TDrawCall::dcText)) {
        if (PtInRect(box, c.Points[0])) {
            EXPECT_TRUE(c.Text != "p0" && c.Text != "p1") << c.Text;
        }
    }
    // Inverted: the last row first.
    Chart->Legend()->SetInverted(true);
    TRecordingCanvas inverted;
    Record(inverted);
    EXPECT_LT(FindText(inverted, "p4")->Points[0].Y, FindText(inverted, "p2")->Points[0].Y);
    // A second series makes it a series legend.
    Add<TBarSeries>("other")->AddXY(1, 1);
    Chart->Legend()->SetFirstValue(0);
    Draw();
    EXPECT_EQ(Chart->Legend()->EffectiveStyle(), lsSeries);
}

TEST_F(ChartTest, HorizontalLegendTooNarrowShowsNothing) {
    Chart->Legend()->SetAlignment(laBottom);
    Add<TLineSeries>(std::string(80, 'x'))->AddXY(1, 1);
    Add<TLineSeries>(std::string(80, 'y'))->AddXY(1, 1);
    Chart->Legend()->SetVisible(false);
    Draw();
    const TRect without = Chart->ChartRect();
    Chart->Legend()->SetVisible(true);
    TRecordingCanvas canvas;
    Record(canvas);
    EXPECT_EQ(Chart->Legend()->NumColumns(), 0);
    EXPECT_EQ(FindText(canvas, std::string(80, 'x')), nullptr);
    EXPECT_EQ(Chart->ChartRect(), without);
}

TEST_F(ChartTest, BottomLegendPutsRowsInColumnsAndClicksFindThem) {
    Chart->Legend()->SetAlignment(laBottom);
    for (const char* t : {"aa", "bb", "cc"})
        Add<TLineSeries>(t)->AddXY(1, 1);
    TRecordingCanvas canvas;
    Record(canvas);
    const TCustomChartLegend* legend = Chart->Legend();
    EXPECT_EQ(legend->NumColumns(), 3);
    EXPECT_EQ(legend->NumRows(), 1);
    const TDrawCall* aa = FindText(canvas, "aa");
    const TDrawCall* bb = FindText(canvas, "bb");
    ASSERT_TRUE(aa && bb);
    EXPECT_EQ(aa->Points[0].Y, bb->Points[0].Y);
    EXPECT_EQ(bb->Points[0].X - aa->Points[0].X,
              2 * TRecordingCanvas::kCharWidth + 4 + legend->SymbolWidth() + 4);
    const TRect r = legend->RectLegend();
    const int column = (r.Right - r.Left) / 3;
    EXPECT_EQ(legend->Clicked(r.Left + column + 5, r.Top + 5), 1);
    EXPECT_EQ(legend->Clicked(r.Left - 1, r.Top + 5), -1);
    // The chart ends above the legend, by 4 % of its height.
    EXPECT_LT(Chart->ChartRect().Bottom, r.Top);
    EXPECT_GT(Chart->ChartRect().Bottom, r.Top - 300 / 10);
}

TEST_F(ChartTest, LegendRangeChecksKeepTheOldValue) {
    TCustomChartLegend* legend = Chart->Legend();
    struct {
        std::function<void()> Set;
        std::string Message;
    } cases[] = {
        {[&] { legend->SetTopPos(101); }, "Top Legend Position must be between 0 and 100 %"},
        {[&] { legend->SetColorWidth(-1); }, "Legend Color Width must be between 0 and 100 %"},
        {[&] { legend->SetFirstValue(-1); }, "First Legend Value must be > 0"},
    };
    for (const auto& c : cases) {
        try {
            c.Set();
            ADD_FAILURE() << c.Message;
        } catch (const LegendException& e) {
            EXPECT_EQ(std::string(e.what()), c.Message);
        }
    }
    EXPECT_EQ(legend->TopPos(), 10);
    EXPECT_EQ(legend->ColorWidth(), 12);
    EXPECT_EQ(legend->FirstValue(), 0);
}

TEST_F(ChartTest, LegendValueTextIsOneLine) {
    auto* bars = Add<TBarSeries>();
    bars->AddXY(1, 5, std::string("two") + ChartLineSeparator + "lines");
    Chart->Legend()->SetTextStyle(ltsRightValue);
    EXPECT_EQ(Chart->LegendValueText(bars, 0), "two lines 5");
    EXPECT_EQ(Chart->LegendValueText(bars, -1), "");
    EXPECT_EQ(Chart->LegendValueText(nullptr, 0), "");
}
