#include "chart/ChartEngine.h"
#include "chart/tests/ChartTestSupport.h"
#include "chart/tests/TestChart.h"
#include "framework/core/tests/TempFolder.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct AxisPanelTest : ::testing::Test {
    void SetUp() override { EnsureTestApplication(); }
};

// 8760 hourly values from 1991-01-01: a yearly and a daily wave.
void FillHourlyYear(TChartSeries& series) {
    const double start = EncodeDate(1991, 1, 1);
    series.XValues()->SetDateTime(true);
    for (int h = 0; h < 8760; ++h)
        series.AddXY(start + h / 24.0,
                     500 + 300 * std::sin(h * 2 * M_PI / 8760) + 150 * std::sin(h * 2 * M_PI / 24));
}

// Draws one frame of the chart onto a recording canvas.
void Record(TTestChart& chart, TRecordingCanvas& canvas) {
    chart.SetBuffered(false);
    chart.DrawToRect(&canvas, chart.GetDrawRect());
}

bool HasLine(const TRecordingCanvas& canvas, TPoint from, TPoint to, TPenStyle style) {
    for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcLine))
        if (c.Points[0] == from && c.Points[1] == to && c.PenStyle == style)
            return true;
    return false;
}

} // namespace

TEST_F(AxisPanelTest, HourlyYearDrawsDateLabelsBelowAndValueGridOnTheLeft) {
    TTestChart chart;
    chart.SetView3D(false);
    chart.SetBounds(0, 0, 800, 500);
    chart.TitleText = "Hourly";
    auto* series = new TTestLineSeries(&chart);
    series->SetParentChart(&chart);
    FillHourlyYear(*series);

    TRecordingCanvas canvas;
    Record(chart, canvas);
    const TRect r = chart.ChartRect();
    std::vector<std::string> dates;
    std::vector<TDrawCall> values;
    for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcText)) {
        if (c.Points[0].Y > r.Bottom)
            dates.push_back(c.Text);
        else if (c.Points[0].X < r.Left)
            values.push_back(c);
    }
    // The first days of months of 1991, one or two months apart as the label widths allow.
    ASSERT_GE(dates.size(), 5u);
    int previous = -1;
    int gap = 0;
    for (const std::string& text : dates) {
        int month = -1;
        for (int m = 1; m <= 12; ++m)
            if (FormatDateTime(ShortDateFormat, EncodeDate(1991, m, 1)) == text)
                month = m;
        ASSERT_NE(month, -1) << text;
        if (previous != -1) {
            if (gap == 0)
                gap = std::abs(month - previous);
            EXPECT_EQ(std::abs(month - previous), gap);
        }
        previous = month;
    }
    EXPECT_TRUE(gap == 1 || gap == 2) << gap;
    // Numbers with a dotted grid line across the chart at each of them.
    ASSERT_GE(values.size(), 5u);
    for (const TDrawCall& c : values) {
        const double v = StrToFloat(ReplaceAll(c.Text, ",", ""));
        const int y = chart.LeftAxis()->ValueToPixel(v);
        EXPECT_EQ(c.Points[0].Y, y - TRecordingCanvas::kLineHeight / 2) << c.Text;
        EXPECT_TRUE(HasLine(canvas, TPoint(r.Left, y), TPoint(r.Right, y), psDot)) << c.Text;
    }
    // The series' line runs across the whole chart.
    int seriesSegments = 0;
    for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcLine))
        if (c.PenColor == series->SeriesColor() && c.PenStyle == psSolid)
            ++seriesSegments;
    EXPECT_EQ(seriesSegments, 8759);

    // For people to look at.
    auto bitmap = chart.MakeBitmap(clWhite, chart.GetDrawRect());
    TTempFolder folder;
    EXPECT_TRUE(TestKit::SaveBitmapToPng(*bitmap, folder.File("chart_hourly_year.png")));
}

TEST_F(AxisPanelTest, AxesTakeTheRoomOfTheirLabelsAndTicks) {
    TTestChart chart; // 400 x 250: chart rectangle (12, 10, 388, 240) before the axes
    chart.SetView3D(false);
    auto* series = new TTestLineSeries(&chart);
    series->SetParentChart(&chart);
    for (int x = 0; x <= 10; ++x)
        series->AddXY(x, x * 10);
    TRecordingCanvas canvas;
    Record(chart, canvas);
    // Left: the widest label "100" (21 pixels), axis pen 2 and ticks 4; bottom: a line of
    // 13 pixels and the same 6.
    EXPECT_EQ(chart.ChartRect(), TRect(39, 10, 388, 221));
    EXPECT_EQ(chart.LeftAxis()->PosLabels(), 33);
    EXPECT_EQ(chart.BottomAxis()->PosLabels(), 227);

    std::vector<std::string> left, bottom;
    for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcText)) {
        if (c.Points[0].X == 33)
            left.push_back(c.Text);
        if (c.Points[0].Y == 227)
            bottom.push_back(c.Text);
    }
    EXPECT_EQ(left, (std::vector<std::string>{"100", "90", "80", "70", "60", "50", "40", "30", "20",
                                              "10", "0"}));
    EXPECT_EQ(bottom.size(), 11u);
    // Ticks point outward from the axis lines.
    EXPECT_TRUE(HasLine(canvas, TPoint(39, 10), TPoint(35, 10), psSolid));
    EXPECT_TRUE(HasLine(canvas, TPoint(39, 221), TPoint(39, 225), psSolid));
    EXPECT_TRUE(chart.LeftAxis()->ContainsPoint(20, 100));
    EXPECT_FALSE(chart.LeftAxis()->ContainsPoint(200, 100));
}

TEST_F(AxisPanelTest, LabelStyleFollowsTheSeries) {
    TTestChart chart;
    EXPECT_EQ(chart.BottomAxis()->EffectiveLabelStyle(), talNone);
    auto* series = new TTestLineSeries(&chart);
    series->SetParentChart(&chart);
    series->AddXY(1, 5);
    EXPECT_EQ(chart.BottomAxis()->EffectiveLabelStyle(), talValue);
    EXPECT_EQ(chart.TopAxis()->EffectiveLabelStyle(), talNone);
    series->ClearValues();
    series->AddXY(1, 5, "Ιαν");
    series->AddXY(2, 6, "Φεβ");
    EXPECT_EQ(chart.BottomAxis()->EffectiveLabelStyle(), talText);
    EXPECT_EQ(chart.LeftAxis()->EffectiveLabelStyle(), talValue);
    chart.BottomAxis()->SetLabelStyle(talValue);
    EXPECT_EQ(chart.BottomAxis()->EffectiveLabelStyle(), talValue);
    EXPECT_EQ(chart.DepthAxis()->EffectiveLabelStyle(), talText);

    // Text labels are the point labels, drawn where they do not overlap.
    chart.BottomAxis()->SetLabelStyle(talAuto);
    chart.SetView3D(false);
    TRecordingCanvas canvas;
    Record(chart, canvas);
    std::vector<std::string> texts;
    for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcText))
        texts.push_back(c.Text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Ιαν"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Φεβ"), texts.end());
}

TEST_F(AxisPanelTest, PagesShowSlicesOfTheSeries) {
    TTestChart chart;
    auto* series = new TTestLineSeries(&chart);
    series->SetParentChart(&chart);
    for (int i = 0; i < 8760; ++i)
        series->AddXY(i, 1);
    EXPECT_EQ(chart.NumPages(), 1);
    chart.SetMaxPointsPerPage(1000);
    EXPECT_EQ(chart.NumPages(), 9);
    struct {
        int Page, Expected;
    } pages[] = {{0, 1}, {20, 9}, {3, 3}, {-4, 1}};
    for (const auto& p : pages) {
        chart.SetPage(p.Page);
        EXPECT_EQ(chart.Page(), p.Expected) << p.Page;
    }
    chart.SetPage(2);
    EXPECT_EQ(chart.MinXValue(chart.BottomAxis()), 1000);
    EXPECT_EQ(chart.MaxXValue(chart.BottomAxis()), 1999);
    chart.SetPage(9);
    EXPECT_EQ(chart.MinXValue(chart.BottomAxis()), 8000);
    EXPECT_EQ(chart.MaxXValue(chart.BottomAxis()), 8759);
    chart.SetScaleLastPage(false); // the short last page keeps the scale of a full one
    EXPECT_DOUBLE_EQ(chart.MaxXValue(chart.BottomAxis()), 8000 + 759.0 * 1000 / 760);
    EXPECT_EQ(chart.MaxYValue(chart.LeftAxis()), 1); // values are not paged

    try {
        chart.SetMaxPointsPerPage(-1);
        ADD_FAILURE();
    } catch (const ChartException& e) {
        EXPECT_EQ(e.Message(), "MaxPointsPerPage must be >= 0");
    }
    EXPECT_EQ(chart.MaxPointsPerPage(), 1000);
    chart.SetMaxPointsPerPage(5000); // fewer pages: the page follows
    EXPECT_EQ(chart.Page(), 2);
}

TEST_F(AxisPanelTest, SeriesJoinWithFreeColoursAndLeaveCleanly) {
    TTestChart chart;
    auto* a = new TTestLineSeries(&chart);
    auto* b = new TTestLineSeries(&chart);
    auto* c = new TTestLineSeries(&chart);
    c->SetSeriesColor(clRed);
    c->SetParentChart(&chart);
    a->SetParentChart(&chart);
    b->SetParentChart(&chart);
    EXPECT_EQ(a->SeriesColor(), clGreen); // red is taken
    EXPECT_EQ(b->SeriesColor(), clYellow);
    EXPECT_EQ(chart.SeriesCount(), 3);
    EXPECT_EQ(a->GetHorizAxis(), chart.BottomAxis());
    b->SetVertAxis(aRightAxis);
    EXPECT_EQ(b->GetVertAxis(), chart.RightAxis());

    TTestLineSeries stranger;
    chart.RemoveSeries(&stranger); // not in the list: nothing happens
    EXPECT_EQ(chart.SeriesCount(), 3);
    delete c;
    EXPECT_EQ(chart.SeriesCount(), 2);
    a->SetParentChart(nullptr);
    EXPECT_EQ(chart.SeriesCount(), 1);
    EXPECT_EQ(a->GetHorizAxis(), nullptr);
    EXPECT_EQ(chart.LegendSeriesTitle(0), "Series 0");
    b->SetTitle("Ζήτηση");
    EXPECT_EQ(chart.LegendSeriesTitle(0), "Ζήτηση");
    EXPECT_EQ(chart.LegendSeriesTitle(1), "");
}

TEST_F(AxisPanelTest, RangesComeFromTheSeriesOnEachAxis) {
    TTestChart chart;
    auto* a = new TTestLineSeries(&chart);
    auto* b = new TTestLineSeries(&chart);
    a->SetParentChart(&chart);
    b->SetParentChart(&chart);
    b->SetVertAxis(aRightAxis);
    a->AddXY(1, -5);
    a->AddXY(4, 20);
    b->AddXY(0, 100);
    b->AddXY(2, 300);
    EXPECT_EQ(chart.MinXValue(chart.BottomAxis()), 0);
    EXPECT_EQ(chart.MaxXValue(chart.BottomAxis()), 4);
    EXPECT_EQ(chart.MinYValue(chart.LeftAxis()), -5);
    EXPECT_EQ(chart.MaxYValue(chart.RightAxis()), 300);
    a->SetActive(false);
    EXPECT_EQ(chart.MaxXValue(chart.BottomAxis()), 2);
    EXPECT_EQ(chart.MaxYValue(chart.LeftAxis()), 0); // no series: 0
    EXPECT_FALSE(chart.IsAxisVisible(chart.LeftAxis()));
    EXPECT_TRUE(chart.IsAxisVisible(chart.RightAxis()));
}

TEST_F(AxisPanelTest, DepthRowsSpanTheChartsDepth) {
    TTestChart chart;
    std::vector<TTestLineSeries*> series;
    for (int i = 0; i < 3; ++i) {
        series.push_back(new TTestLineSeries(&chart));
        series.back()->SetParentChart(&chart);
        series.back()->AddXY(0, 1);
        series.back()->AddXY(1, 2);
    }
    TRecordingCanvas canvas;
    Record(chart, canvas);
    const int row = chart.SeriesWidth3D();
    EXPECT_EQ(row, int(Round(chart.ChartWidth() * 15 / 1000.0)));
    EXPECT_EQ(chart.Width3D(), 3 * row);
    // The first series stands at the back.
    EXPECT_EQ(series[0]->StartZ(), 2 * row);
    EXPECT_EQ(series[2]->StartZ(), 0);
    EXPECT_EQ(series[1]->MiddleZ(), row + row / 2);

    chart.SetView3D(false);
    Record(chart, canvas);
    EXPECT_EQ(chart.Width3D(), 0);
    for (TTestLineSeries* s : series)
        EXPECT_EQ(s->StartZ(), 0);
}

TEST_F(AxisPanelTest, SeriesSharingADepthAreDrawnPointByPoint) {
    TTestChart chart;
    chart.SetDepthRows(false);
    std::vector<int> order;
    for (int k = 0; k < 2; ++k) {
        auto* s = new TTestLineSeries(&chart);
        s->SetParentChart(&chart);
        for (int i = 0; i < 3; ++i)
            s->AddXY(i, i + k);
        s->Drawn = &order;
    }
    TRecordingCanvas canvas;
    Record(chart, canvas);
    EXPECT_EQ(order, (std::vector<int>{0, 0, 1, 1, 2, 2}));

    order.clear();
    chart.SetDepthRows(true); // each series in its own row: one after the other
    Record(chart, canvas);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 0, 1, 2}));
}

TEST_F(AxisPanelTest, EmptyAndDegenerateChartsDrawWithoutError) {
    struct {
        int Width, Height, Points;
        bool Flat, View3D;
    } cases[] = {
        {800, 500, 0, false, true}, {800, 500, 1, false, false}, {800, 500, 5, true, true},
        {0, 0, 5, false, true},     {1, 1, 5, false, false},
    };
    for (const auto& c : cases) {
        TTestChart chart;
        chart.SetBounds(0, 0, c.Width, c.Height);
        chart.SetView3D(c.View3D);
        auto* s = new TTestLineSeries(&chart);
        s->SetParentChart(&chart);
        for (int i = 0; i < c.Points; ++i)
            s->AddXY(c.Flat ? 0 : i, 0); // all at one place: both axes have no range
        TRecordingCanvas canvas;
        EXPECT_NO_THROW(Record(chart, canvas)) << c.Width << " " << c.Points;
        EXPECT_NO_THROW(chart.MakeBitmap(clWhite, chart.GetDrawRect()));
    }
}
