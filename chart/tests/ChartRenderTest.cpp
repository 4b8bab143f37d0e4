// The charts the programs show, drawn to bitmaps: their geometry is checked through a
// recording canvas, and each is written as a PNG for people to look at (into
// $ORV_SHOT_DIR when set, else into a temporary folder that is removed).

#include "chart/Chart.h"
#include "chart/GanttSeries.h"
#include "chart/Series.h"
#include "chart/tests/ChartTestSupport.h"
#include "framework/gui/Clipboard.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Printers.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct ChartRenderTest : ::testing::Test {
    fs::path Dir;
    bool KeepShots = false;
    void SetUp() override {
        EnsureTestApplication();
        if (const char* dir = std::getenv("ORV_SHOT_DIR")) {
            Dir = dir;
            KeepShots = true;
        } else {
            Dir = fs::temp_directory_path() /
                  ("orv_chart_render_" +
                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        }
        fs::create_directories(Dir);
    }
    void TearDown() override {
        if (!KeepShots)
            fs::remove_all(Dir);
    }
    // Draws the chart into a bitmap and writes it as a PNG.
    void Shoot(TCustomChart& chart, const std::string& name) {
        std::unique_ptr<TBitmap> bitmap = chart.MakeBitmap(clWhite, chart.GetDrawRect());
        const fs::path file = Dir / (name + ".png");
        ASSERT_TRUE(TestKit::SaveBitmapToPng(*bitmap, file.string()));
        EXPECT_GT(fs::file_size(file), 1000u);
    }
};

void Record(TCustomChart& chart, TRecordingCanvas& canvas) {
    chart.SetBuffered(false);
    chart.DrawToRect(&canvas, chart.GetDrawRect());
}

// The texts drawn below the chart rectangle (the bottom axis' labels).
std::vector<std::string> TextsBelow(const TRecordingCanvas& canvas, const TCustomChart& chart) {
    std::vector<std::string> texts;
    for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcText))
        if (c.Points[0].Y > chart.ChartRect().Bottom &&
            c.Points[0].Y < chart.ChartRect().Bottom + 30)
            texts.push_back(c.Text);
    return texts;
}

// The texts drawn inside the legend.
std::vector<std::string> LegendTexts(const TRecordingCanvas& canvas, const TCustomChart& chart) {
    std::vector<std::string> texts;
    for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcText))
        if (PtInRect(chart.Legend()->RectLegend(), c.Points[0]))
            texts.push_back(c.Text);
    return texts;
}

int CountFills(const TRecordingCanvas& canvas, TDrawCall::TKind kind, TColor color) {
    int n = 0;
    for (const TDrawCall& c : canvas.OfKind(kind))
        if (c.BrushColor == color && c.BrushStyle == bsSolid)
            ++n;
    return n;
}

std::unique_ptr<TChart> NewChart(int width = 800, int height = 500) {
    auto chart = std::make_unique<TChart>(nullptr);
    chart->SetBounds(0, 0, width, height);
    chart->SetColor(clWhite);
    return chart;
}

void FillHourlyYear(TChartSeries& series) {
    const double start = EncodeDate(1991, 1, 1);
    series.XValues()->SetDateTime(true);
    for (int h = 0; h < 8760; ++h)
        series.AddXY(start + h / 24.0,
                     500 + 300 * std::sin(h * 2 * M_PI / 8760) + 150 * std::sin(h * 2 * M_PI / 24));
}

// A fast line of the hourly year on the chart.
TFastLineSeries* AddHourlyYearLine(TChart& chart) {
    auto* series = new TFastLineSeries(&chart);
    series->SetParentChart(&chart);
    FillHourlyYear(*series);
    return series;
}

// The line segments drawn in the pen colour, single lines and the segments of polylines.
std::vector<std::pair<TPoint, TPoint>> SegmentsIn(const TRecordingCanvas& canvas, TColor color) {
    std::vector<std::pair<TPoint, TPoint>> result;
    for (const TDrawCall& c : canvas.Calls)
        if (c.PenColor == color && (c.Kind == TDrawCall::dcLine || c.Kind == TDrawCall::dcPolyline))
            for (size_t i = 1; i < c.Points.size(); ++i)
                result.emplace_back(c.Points[i - 1], c.Points[i]);
    return result;
}

} // namespace

TEST_F(ChartRenderTest, HourlyYear) {
    auto chart = NewChart();
    chart->SetView3D(false);
    chart->Title()->Text()->Add("Ωριαία ζήτηση 1991");
    chart->Legend()->SetAlignment(laBottom);
    chart->Legend()->SetLegendStyle(lsSeries);
    auto* series = new TFastLineSeries(chart.get());
    series->SetParentChart(chart.get());
    series->SetTitle("Ζήτηση");
    FillHourlyYear(*series);
    Shoot(*chart, "hourly_year");
    TRecordingCanvas canvas;
    Record(*chart, canvas);
    const std::vector<std::string> dates = TextsBelow(canvas, *chart);
    ASSERT_GE(dates.size(), 5u);
    for (const std::string& d : dates)
        EXPECT_NE(d.find("1991"), std::string::npos) << d;
    EXPECT_EQ(LegendTexts(canvas, *chart), std::vector<std::string>{"Ζήτηση"});
    EXPECT_GT(SegmentsIn(canvas, series->SeriesColor()).size(), 700u);
}

TEST_F(ChartRenderTest, HourlyYearZoomedToAWeek) {
    auto chart = NewChart();
    chart->SetView3D(false);
    chart->Title()->Text()->Add("Ωριαία ζήτηση 1991");
    auto* series = AddHourlyYearLine(*chart);
    chart->MakeBitmap(clWhite, chart->GetDrawRect());
    const double monday = EncodeDate(1991, 3, 4);
    chart->ZoomToValues({{0, 1}, {0, 1000}, {0, 1}, {monday, monday + 7}});
    Shoot(*chart, "hourly_week");
    TRecordingCanvas canvas;
    Record(*chart, canvas);
    // Day labels of the week are still there.
    const std::vector<std::string> dates = TextsBelow(canvas, *chart);
    ASSERT_GE(dates.size(), 5u);
    EXPECT_NE(std::find(dates.begin(), dates.end(), FormatDateTime(ShortDateFormat, monday)),
              dates.end());
    EXPECT_EQ(series->FirstValueIndex(), int((monday - EncodeDate(1991, 1, 1)) * 24));
}

TEST_F(ChartRenderTest, PowerCurve) {
    auto chart = NewChart(600, 400);
    chart->SetView3D(false);
    chart->Title()->Text()->Add("Καμπύλη Ισχύος");
    chart->BottomAxis()->Title()->SetCaption("Ταχύτητα Ανέμου (m/s)");
    chart->LeftAxis()->Title()->SetCaption("Ισχύς (Watt)");
    chart->Legend()->SetVisible(false);
    auto* series = new TFastLineSeries(chart.get());
    series->SetParentChart(chart.get());
    series->SetSeriesColor(clRed);
    const double power[] = {0, 0, 0, 20, 80, 180, 320, 500, 700, 880, 1000, 1050, 1050, 1000, 950};
    for (int v = 0; v < 15; ++v)
        series->AddXY(v, power[v]);
    chart->LeftAxis()->SetMinMax(0, 1.1 * series->MaxYValue());
    chart->BottomAxis()->SetMinMax(0, 1.1 * series->MaxXValue());
    Shoot(*chart, "power_curve");
    TRecordingCanvas canvas;
    Record(*chart, canvas);
    EXPECT_DOUBLE_EQ(chart->LeftAxis()->Maximum(), 1.1 * 1050);
    bool peak = false;
    for (const auto& [from, to] : SegmentsIn(canvas, clRed))
        peak |= to == TPoint(series->CalcXPos(11), series->CalcYPos(11));
    EXPECT_TRUE(peak);
}

TEST_F(ChartRenderTest, TwelveMonthlyLines) {
    auto chart = NewChart();
    chart->SetView3D(false);
    chart->Title()->SetVisible(false);
    const char* months[] = {"Ιαν",  "Φεβ", "Μαρ", "Απρ", "Μαϊ", "Ιουν",
                            "Ιουλ", "Αυγ", "Σεπ", "Οκτ", "Νοε", "Δεκ"};
    for (int m = 0; m < 12; ++m) {
        auto* series = new TFastLineSeries(chart.get());
        series->SetParentChart(chart.get());
        series->SetTitle(months[m]);
        for (int h = 0; h < 24; ++h) {
            const double sun = std::max(0.0, std::sin((h - 6) * M_PI / 12));
            series->AddXY(h + 1, 100 * sun * (0.5 + 0.5 * std::sin((m + 1) * M_PI / 13)));
        }
    }
    Shoot(*chart, "monthly_lines");
    TRecordingCanvas canvas;
    Record(*chart, canvas);
    const std::vector<std::string> rows = LegendTexts(canvas, *chart);
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows.front(), "Ιαν");
    EXPECT_EQ(rows.back(), "Δεκ");
    EXPECT_EQ(chart->Legend()->Alignment(), laRight);
    EXPECT_LT(chart->ChartRect().Right, chart->Legend()->RectLegend().Left);
}

TEST_F(ChartRenderTest, StairsArea) {
    auto chart = NewChart(600, 400);
    chart->SetView3D(false);
    chart->Title()->Text()->Add("Λειτουργία συσκευής");
    chart->Legend()->SetVisible(false);
    auto* area = new TAreaSeries(chart.get());
    area->SetParentChart(chart.get());
    area->SetStairs(true);
    for (int h = 0; h < 24; ++h)
        area->AddXY(h, (h >= 7 && h < 9) || (h >= 18 && h < 23) ? 150 : (h == 13 ? 80 : 0));
    Shoot(*chart, "stairs_area");
    TRecordingCanvas canvas;
    Record(*chart, canvas);
    EXPECT_EQ(CountFills(canvas, TDrawCall::dcRectangle, area->SeriesColor()), 23);
}

TEST_F(ChartRenderTest, FourStackedAreas) {
    auto chart = NewChart();
    chart->SetView3D(false);
    chart->Title()->Text()->Add("Ενέργεια ανά μπαταρία");
    const char* names[] = {"phz", "pw", "pph", "pdl"};
    const TColor colors[] = {clRed, clGreen, clYellow, clOlive};
    for (int k = 0; k < 4; ++k) {
        auto* area = new TAreaSeries(chart.get());
        area->SetParentChart(chart.get());
        area->SetTitle(names[k]);
        area->SetSeriesColor(colors[k]);
        area->SetMultiArea(maStacked);
        area->AreaLinesPen()->SetVisible(false);
        for (int step = 0; step <= 10; ++step)
            area->AddXY(step * 100, 100 + 50 * k + 20 * std::sin(step + k));
    }
    Shoot(*chart, "stacked_areas");
    TRecordingCanvas canvas;
    Record(*chart, canvas);
    EXPECT_EQ(LegendTexts(canvas, *chart), (std::vector<std::string>{"phz", "pw", "pph", "pdl"}));
    for (TColor color : colors)
        EXPECT_EQ(CountFills(canvas, TDrawCall::dcPolygon, color), 10);
    EXPECT_GT(chart->LeftAxis()->MaximumValue(), 4 * 100 + 50 * 6);
}

TEST_F(ChartRenderTest, StackedDailyLoadBars) {
    auto chart = NewChart();
    chart->SetView3D(false);
    chart->Title()->Text()->Add("Ημερήσιο φορτίο");
    const char* names[] = {"Ψυγείο", "Φωτισμός", "Αντλία"};
    for (int k = 0; k < 3; ++k) {
        auto* bars = new TBarSeries(chart.get());
        bars->SetParentChart(chart.get());
        bars->SetTitle(names[k]);
        bars->SetMultiBar(mbStacked);
        bars->Marks()->SetVisible(false);
        for (int h = 0; h < 24; ++h)
            bars->AddXY(h, k == 0   ? 60
                           : k == 1 ? (h >= 18 && h < 23 ? 120 : 0)
                                    : (h == 7 ? 400 : 0));
    }
    Shoot(*chart, "stacked_bars");
    TRecordingCanvas canvas;
    Record(*chart, canvas);
    EXPECT_EQ(CountFills(canvas, TDrawCall::dcRectangle, clRed), 24);
    EXPECT_EQ(CountFills(canvas, TDrawCall::dcRectangle, clGreen), 5);
    EXPECT_EQ(CountFills(canvas, TDrawCall::dcRectangle, clYellow), 1);
    EXPECT_EQ(LegendTexts(canvas, *chart).size(), 3u);
}

TEST_F(ChartRenderTest, CoveragePieIn3D) {
    auto chart = NewChart(600, 400);
    chart->Title()->Text()->Add("Κάλυψη ζήτησης");
    chart->SetAllowZoom(false);
    chart->SetAllowPanning(pmNone);
    chart->SetAxisVisible(false);
    chart->Frame()->SetVisible(false);
    chart->SetClipPoints(false);
    chart->Legend()->SetTextStyle(ltsRightPercent);
    chart->SetView3D(true);
    chart->SetView3DWalls(false);
    auto* pie = new TPieSeries(chart.get());
    pie->SetParentChart(chart.get());
    chart->View3DOptions()->SetElevation(315);
    chart->View3DOptions()->SetRotation(360);
    chart->View3DOptions()->SetOrthogonal(false);
    pie->SetTitle("Καλυψη Ζήτησης");
    pie->OtherSlice()->SetStyle(poBelowPercent);
    pie->OtherSlice()->SetValue(10);
    pie->AddSlice(50, "hz", clRed);
    pie->AddSlice(35, "pw", clGreen);
    pie->AddSlice(9, "pph", clYellow);
    pie->AddSlice(6, "bat", clBlue);
    Shoot(*chart, "coverage_pie");
    TRecordingCanvas canvas;
    Record(*chart, canvas);
    EXPECT_EQ(LegendTexts(canvas, *chart),
              (std::vector<std::string>{"hz 50 %", "pw 35 %", "Other 15 %"}));
    // Three slices with their marks; the grouped ones draw nothing.
    int marks = 0;
    for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcText))
        marks += c.Text == "hz" || c.Text == "pw" || c.Text == "Other" || c.Text == "pph";
    EXPECT_EQ(marks, 3);
    EXPECT_NEAR(pie->EndAngle(0), M_PI, 1e-12);
}

TEST_F(ChartRenderTest, GanttOfPeriods) {
    auto chart = NewChart();
    chart->SetView3D(false);
    chart->Title()->SetVisible(false);
    chart->BottomAxis()->SetDateTimeFormat("d/M");
    auto* gantt = new TGanttSeries(chart.get());
    gantt->SetParentChart(chart.get());
    gantt->Marks()->SetVisible(false);
    gantt->ConnectingPen()->SetVisible(false);
    const double d0 = EncodeDate(1991, 1, 1);
    gantt->AddTask(d0 + 1 - 1, d0 + 365 - 1, 0, "Όλο το έτος");
    gantt->AddTask(d0 + 120 - 1, d0 + 270 - 1, 1, "Καλοκαίρι");
    gantt->AddTask(d0 - 1, d0 + 59 - 1, 2, "Χειμώνας");
    gantt->AddTask(d0 + 335 - 1, d0 + 364, 2, "Χειμώνας");
    Shoot(*chart, "gantt");
    TRecordingCanvas canvas;
    Record(*chart, canvas);
    // Four bars; the two of the period across New Year on one row.
    std::vector<TRect> bars;
    for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcRectangle))
        if (c.BrushStyle == bsSolid && c.BrushColor != clWhite &&
            PtInRect(chart->ChartRect(), c.Rect.TopLeft()))
            bars.push_back(c.Rect);
    ASSERT_EQ(bars.size(), 4u);
    const int row2 = chart->LeftAxis()->ValueToPixel(2);
    int onRow2 = 0;
    for (const TRect& r : bars)
        onRow2 += (r.Top + r.Bottom) / 2 == row2;
    EXPECT_EQ(onRow2, 2);
}

namespace {
bool HasProgram(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}
} // namespace

TEST_F(ChartRenderTest, CopiedAndSavedPicturesOpenElsewhere) {
    auto chart = NewChart(400, 250);
    chart->SetView3D(false);
    chart->Title()->Text()->Add("Εξαγωγή");
    auto* bars = new TBarSeries(chart.get());
    bars->SetParentChart(chart.get());
    for (int i = 0; i < 6; ++i)
        bars->AddXY(i, 10 + i * 5, "b" + std::to_string(i));
    chart->CopyAsMetafile(false);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_METAFILEPICT));
    chart->CopyAsMetafile(true);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_ENHMETAFILE));
    const fs::path emf = Dir / "chart.emf";
    const fs::path wmf = Dir / "chart.wmf";
    const fs::path bmp = Dir / "chart.bmp";
    chart->SaveAsEnhancedMetafile(emf.string());
    chart->SaveAsWindowsMetafile(wmf.string());
    chart->SaveAsBitmap(bmp.string());
    TBitmap loaded;
    loaded.LoadFromFile(bmp.string());
    EXPECT_EQ(loaded.Width(), 400);
    if (HasProgram("emf2svg-conv")) {
        const fs::path svg = Dir / "chart_emf.svg";
        const std::string cmd =
            "emf2svg-conv -i '" + emf.string() + "' -o '" + svg.string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        EXPECT_GT(fs::file_size(svg), 1000u);
    }
    if (HasProgram("wmf2svg")) {
        const fs::path svg = Dir / "chart_wmf.svg";
        const std::string cmd =
            "wmf2svg -o '" + svg.string() + "' '" + wmf.string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        EXPECT_GT(fs::file_size(svg), 1000u);
    }
}

TEST_F(ChartRenderTest, PrintsOnePageOnThePdfPrinter) {
    auto chart = NewChart(400, 250);
    chart->SetName("Chart1");
    auto* line = new TLineSeries(chart.get());
    line->SetParentChart(chart.get());
    line->AddXY(0, 1);
    line->AddXY(1, 3);
    const fs::path pdf = Dir / "chart.pdf";
    std::unique_ptr<TPrinter> saved = SetPrinter(std::make_unique<TPrinter>());
    Printer()->SetPrinterIndex(Printer()->Printers()->Count() - 1);
    // Cancelling the file dialog prints nothing.
    std::string offered;
    TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
        if (auto* save = dynamic_cast<TSaveDialog*>(shown.Dialog))
            offered = save->FileName();
        return 0;
    });
    chart->Print();
    EXPECT_EQ(offered, "Chart1.pdf");
    EXPECT_FALSE(fs::exists(pdf));
    EXPECT_FALSE(chart->Printing());
    // OK writes where the person chose.
    TestKit::Dialogs().AnswerNextWith([&](const TestKit::TShownDialog& shown) {
        auto* save = dynamic_cast<TSaveDialog*>(shown.Dialog);
        if (!save)
            return 0;
        save->SetFileName(pdf.string());
        return 1;
    });
    chart->Print();
    SetPrinter(std::move(saved));
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_GT(fs::file_size(pdf), 500u);
    EXPECT_FALSE(chart->Printing());
}

// The charts whose drawing was mended, written for people to look at and checked where a
// number says it.
TEST_F(ChartRenderTest, PieMarksKeepClearOfTheTitleAndItsRimFacesTheViewer) {
    for (bool view3D : {false, true}) {
        SCOPED_TRACE(view3D ? "3-D" : "2-D");
        auto chart = NewChart(600, 400);
        chart->Title()->Text()->Add("Κάλυψη ζήτησης");
        chart->SetAxisVisible(false);
        chart->Frame()->SetVisible(false);
        chart->SetClipPoints(false);
        chart->SetView3D(view3D);
        chart->SetView3DWalls(false);
        chart->View3DOptions()->SetElevation(315);
        chart->View3DOptions()->SetRotation(360);
        chart->View3DOptions()->SetOrthogonal(false);
        chart->SetMarginTop(0);
        chart->SetMarginBottom(0);
        auto* pie = new TPieSeries(chart.get());
        pie->SetParentChart(chart.get());
        // The first slice's mark stands straight above the pie, the second's below it.
        pie->AddSlice(50, "Άνεμος", clGreen);
        pie->AddSlice(50, "Ήλιος", clYellow);
        Shoot(*chart, view3D ? "pie_3d" : "pie_2d");
        TRecordingCanvas canvas;
        Record(*chart, canvas);
        // Every mark's text lies below the title and inside the chart.
        const int titleBottom = chart->Title()->TitleRect().Bottom;
        int marks = 0;
        for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcText))
            if (c.Text == "Άνεμος" || c.Text == "Ήλιος") {
                ++marks;
                EXPECT_GE(c.Points[0].Y, titleBottom) << c.Text;
                EXPECT_LE(c.Points[0].Y + TRecordingCanvas::kLineHeight, chart->Height()) << c.Text;
            }
        EXPECT_EQ(marks, 2);
        if (!view3D)
            continue;
        // The slices' faces come after every rim band: no rim lies across a face.
        int lastFace = -1, lastRim = -1;
        for (size_t i = 0; i < canvas.Calls.size(); ++i) {
            const TDrawCall& c = canvas.Calls[i];
            if (c.Kind != TDrawCall::dcPolygon)
                continue;
            if (c.Points.size() > 4)
                lastFace = std::max(lastFace, int(i));
            else if (c.Points.size() == 4)
                lastRim = std::max(lastRim, int(i));
        }
        EXPECT_GT(lastRim, -1);
        EXPECT_GT(lastFace, lastRim);
    }
}

TEST_F(ChartRenderTest, LogarithmicAxisFromZeroSpreadsItsLabels) {
    auto chart = NewChart(600, 400);
    chart->SetView3D(false);
    chart->Title()->Text()->Add("Λογαριθμικός άξονας από το 0");
    chart->Legend()->SetVisible(false);
    auto* series = new TLineSeries(chart.get());
    series->SetParentChart(chart.get());
    for (double y : {0.0, 1.0, 10.0, 100.0, 1000.0, 5.0, 0.0})
        series->Add(y);
    chart->LeftAxis()->SetLogarithmic(true);
    Shoot(*chart, "logarithmic_from_zero");
    TRecordingCanvas canvas;
    Record(*chart, canvas);
    TChartAxis* axis = chart->LeftAxis();
    EXPECT_EQ(axis->MinimumValue(), 0);
    EXPECT_EQ(axis->LogLowerEnd(), 1);
    // Each decade a step higher; 0 at the bottom with the smallest value.
    EXPECT_EQ(axis->ValueToPixel(0), axis->ValueToPixel(1));
    EXPECT_GT(axis->ValueToPixel(1), axis->ValueToPixel(10));
    EXPECT_GT(axis->ValueToPixel(10), axis->ValueToPixel(100));
    EXPECT_GT(axis->ValueToPixel(100), axis->ValueToPixel(1000));
    std::vector<int> rows;
    for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcText))
        if (c.Points[0].X < chart->ChartRect().Left)
            rows.push_back(c.Points[0].Y);
    ASSERT_GE(rows.size(), 4u);
    std::sort(rows.begin(), rows.end());
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_GT(rows[i] - rows[i - 1], TRecordingCanvas::kLineHeight);
}

// Dates along the bottom never repeat a text: a year labels the first days of months, a
// zoomed day its hours, a day and a half its dates with their times.
TEST_F(ChartRenderTest, DateLabelsFollowTheCalendarAndNeverRepeat) {
    const double start = EncodeDate(1991, 1, 1);
    struct TCase {
        const char* Shot;
        double From, To;
        bool FirstOfMonth;
    };
    const TCase cases[] = {
        {"date_axis_year", 0, 0, true},
        {"date_axis_day", EncodeDate(1991, 3, 1), EncodeDate(1991, 3, 2), false},
        {"date_axis_day_and_a_half", EncodeDate(1991, 3, 1), EncodeDate(1991, 3, 2) + 0.5, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Shot);
        auto chart = NewChart();
        chart->SetView3D(false);
        chart->Legend()->SetVisible(false);
        AddHourlyYearLine(*chart);
        if (c.To > c.From)
            chart->BottomAxis()->SetMinMax(c.From, c.To);
        Shoot(*chart, c.Shot);
        TRecordingCanvas canvas;
        Record(*chart, canvas);
        std::vector<std::string> dates = TextsBelow(canvas, *chart);
        ASSERT_GE(dates.size(), 3u);
        if (c.FirstOfMonth)
            for (const std::string& d : dates) {
                bool first = false;
                for (int m = 1; m <= 12; ++m)
                    first = first || d == FormatDateTime(ShortDateFormat, EncodeDate(1991, m, 1));
                EXPECT_TRUE(first) << d;
            }
        std::sort(dates.begin(), dates.end());
        EXPECT_EQ(std::adjacent_find(dates.begin(), dates.end()), dates.end());
    }
    (void)start;
}

// Neighbouring value labels never touch: the step comes from the widest label and the
// average spacing, and February's short month (or the rounding of the label count) can
// bring two months closer than that; they then take the next step. Wide enough, every
// month keeps its label; labels of the numeric left axis keep apart too.
TEST_F(ChartRenderTest, NeighbouringValueLabelsNeverTouch) {
    // Dates of one width (the day and month with two digits), as the Greek locale writes
    // them: the widest label is then as wide as February's.
    struct TDateFormatGuard {
        std::string Saved = ShortDateFormat;
        ~TDateFormatGuard() { ShortDateFormat = Saved; }
    } restore;
    ShortDateFormat = "dd/mm/yyyy";
    auto chart = NewChart();
    chart->SetView3D(false);
    chart->Legend()->SetVisible(false);
    AddHourlyYearLine(*chart);
    std::map<int, size_t> shown; // chart width -> bottom labels
    for (int width = 500; width <= 1300; width += 4) {
        SCOPED_TRACE(width);
        chart->SetBounds(0, 0, width, 400);
        TRecordingCanvas canvas;
        Record(*chart, canvas);
        std::vector<TDrawCall> bottom, left;
        for (const TDrawCall& c : canvas.OfKind(TDrawCall::dcText)) {
            if (c.Points[0].Y > chart->ChartRect().Bottom)
                bottom.push_back(c);
            else if (c.Points[0].X < chart->ChartRect().Left)
                left.push_back(c);
        }
        ASSERT_GE(bottom.size(), 2u);
        shown[width] = bottom.size();
        // Bottom labels are centred on their point, left ones centred on their line.
        std::sort(bottom.begin(), bottom.end(), [](const TDrawCall& a, const TDrawCall& b) {
            return a.Points[0].X < b.Points[0].X;
        });
        for (size_t i = 1; i < bottom.size(); ++i) {
            const int halves = int(bottom[i - 1].Text.size() + bottom[i].Text.size()) *
                               TRecordingCanvas::kCharWidth / 2;
            EXPECT_GT(bottom[i].Points[0].X - bottom[i - 1].Points[0].X, halves)
                << bottom[i - 1].Text << " " << bottom[i].Text;
        }
        std::sort(left.begin(), left.end(), [](const TDrawCall& a, const TDrawCall& b) {
            return a.Points[0].Y < b.Points[0].Y;
        });
        for (size_t i = 1; i < left.size(); ++i)
            EXPECT_GT(left[i].Points[0].Y - left[i - 1].Points[0].Y, TRecordingCanvas::kLineHeight)
                << left[i - 1].Text << " " << left[i].Text;
    }
    EXPECT_EQ(shown[1300], 12u);
    EXPECT_LT(shown[500], 12u);
}

// Switching a date axis to logarithmic is refused whether or not the chart has been drawn.
TEST_F(ChartRenderTest, DateAxisRefusesLogarithmicBeforeAndAfterPainting) {
    for (bool painted : {false, true}) {
        SCOPED_TRACE(painted ? "after" : "before");
        auto chart = NewChart();
        AddHourlyYearLine(*chart);
        if (painted)
            chart->MakeBitmap(clWhite, chart->GetDrawRect());
        EXPECT_THROW(chart->BottomAxis()->SetLogarithmic(true), Exception);
        EXPECT_FALSE(chart->BottomAxis()->Logarithmic());
        EXPECT_NO_THROW(chart->LeftAxis()->SetLogarithmic(true));
    }
}

// A series listed in descending order draws only the points inside the axis' range.
TEST_F(ChartRenderTest, DescendingSeriesDrawsOnlyItsVisiblePoints) {
    auto chart = NewChart();
    chart->SetView3D(false);
    auto* series = new TLineSeries(chart.get());
    series->SetParentChart(chart.get());
    series->XValues()->SetOrder(loDescending);
    for (int x = 100; x >= 0; --x)
        series->AddXY(x, x % 7);
    chart->BottomAxis()->SetMinMax(20, 40);
    chart->MakeBitmap(clWhite, chart->GetDrawRect());
    ASSERT_GE(series->FirstValueIndex(), 0);
    EXPECT_EQ(series->XValueAt(series->FirstValueIndex()), 40);
    EXPECT_EQ(series->XValueAt(series->LastValueIndex()), 20);
}
