#include "chart/ChartEngine.h"
#include "chart/tests/ChartTestSupport.h"
#include "chart/tests/TestChart.h"
#include "framework/core/Streams.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct SeriesTest : ::testing::Test {
    void SetUp() override { EnsureTestApplication(); }
};

// A filer that keeps what is written and hands it back when reading.
class TMemoryFiler : public TFiler {
public:
    bool Writing = true;
    std::map<std::string, int64_t> Integers;
    std::map<std::string, std::string> Strings;
    std::map<std::string, std::vector<std::string>> Lists;

    bool IsWriting() const override { return Writing; }
    void DefineBoolean(const std::string&, bool, std::function<void(bool)>, bool) override {}
    void DefineInteger(const std::string& name, int64_t value, std::function<void(int64_t)> read,
                       bool hasData) override {
        if (Writing && hasData)
            Integers[name] = value;
        else if (!Writing && Integers.count(name))
            read(Integers[name]);
    }
    void DefineString(const std::string& name, const std::string& value,
                      std::function<void(const std::string&)> read, bool hasData) override {
        if (Writing && hasData)
            Strings[name] = value;
        else if (!Writing && Strings.count(name))
            read(Strings[name]);
    }
    void DefineStrings(const std::string& name, const std::vector<std::string>& value,
                       std::function<void(const std::vector<std::string>&)> read,
                       bool hasData) override {
        if (Writing && hasData)
            Lists[name] = value;
        else if (!Writing && Lists.count(name))
            read(Lists[name]);
    }
    void DefineBinary(const std::string&, std::string_view, std::function<void(std::string_view)>,
                      bool) override {}
};

} // namespace

TEST_F(SeriesTest, MarkTextsByStyle) {
    TChartSeries series(nullptr);
    series.Add(10, "a");
    series.Add(30);
    series.Add(60, "c");
    struct {
        TSeriesMarksStyle Style;
        int Index;
        std::string Text;
    } cases[] = {
        {smsValue, 0, "10"},
        {smsPercent, 1, "30 %"},
        {smsLabel, 0, "a"},
        {smsLabel, 1, "30"}, // no label: the value
        {smsLabelPercent, 2, "60 % c"},
        {smsLabelValue, 0, "10 a"},
        {smsPercentTotal, 0, "10 % of 100"},
        {smsLabelPercentTotal, 1, "30 % of 100 30"},
        {smsXValue, 2, "2"},
        {smsLegend, 0, ""}, // no chart, no legend
    };
    for (const auto& c : cases) {
        series.Marks()->SetStyle(c.Style);
        EXPECT_EQ(series.GetMarkText(c.Index), c.Text) << int(c.Style);
    }
    series.Marks()->SetStyle(smsXValue);
    series.SetOnGetMarkText(
        [](TChartSeries*, int index, std::string& text) { text += "!" + IntToStr(index); });
    EXPECT_EQ(series.GetMarkText(1), "1!1"); // smsXValue: X of point 1

    TChartSeries zero(nullptr);
    zero.Add(5);
    zero.Add(-5);
    EXPECT_EQ(zero.MarkPercentText(0, false), "100 %"); // a total of 0 shows 100
    EXPECT_EQ(zero.LegendItemText(1, ltsRightPercent), " 100 %");
}

TEST_F(SeriesTest, LegendTextsByStyle) {
    TChartSeries series(nullptr);
    series.Add(25, "Ιαν");
    series.Add(75, "Φεβ");
    struct {
        TLegendTextStyle Style;
        std::string Text;
    } cases[] = {{ltsPlain, "Φεβ"},
                 {ltsLeftValue, "75 Φεβ"},
                 {ltsRightValue, "Φεβ 75"},
                 {ltsLeftPercent, "75 % Φεβ"},
                 {ltsRightPercent, "Φεβ 75 %"},
                 {ltsXValue, "1"}};
    for (const auto& c : cases)
        EXPECT_EQ(series.LegendItemText(1, c.Style), c.Text) << int(c.Style);
}

TEST_F(SeriesTest, DataSourceIsCheckedAndFollowed) {
    TTestChart chart;
    auto* source = new TTestLineSeries(&chart);
    auto* copy = new TTestLineSeries(&chart);
    source->SetName("Source");
    copy->SetName("Copy");
    source->AddXY(1, 10);

    TTestLineSeries orphan;
    try {
        orphan.SetDataSource(source);
        ADD_FAILURE();
    } catch (const ChartException& e) {
        EXPECT_EQ(e.Message(), "No ParentChart to validate DataSource");
    }
    source->SetParentChart(&chart);
    copy->SetParentChart(&chart);
    try {
        copy->SetDataSource(copy);
        ADD_FAILURE();
    } catch (const ChartException& e) {
        EXPECT_EQ(e.Message(), "No valid DataSource: Copy");
    }
    copy->SetDataSource(source);
    EXPECT_EQ(copy->Count(), 1);
    try {
        source->SetDataSource(copy);
        ADD_FAILURE();
    } catch (const ChartException& e) {
        EXPECT_EQ(e.Message(), "Circular Series dependences are not allowed");
    }
    EXPECT_EQ(source->DataSource(), nullptr); // nothing changed

    // Reactions by the dependent's flags.
    copy->SetSourceReactions(srCleared | srValueChanged);
    source->AddXY(2, 20);
    EXPECT_EQ(copy->Count(), 1); // not told of additions any more
    source->YValues()->SetValueAt(0, 11);
    EXPECT_EQ(copy->Count(), 2); // a changed value reloads everything
    EXPECT_EQ(copy->YValueAt(0), 11);
    source->ClearValues();
    EXPECT_EQ(copy->Count(), 0);

    // Leaving a source, or a source that goes away, clears the dependent.
    source->AddXY(3, 30);
    copy->SetDataSource(nullptr);
    EXPECT_EQ(copy->Count(), 0);
    copy->SetDataSource(source);
    EXPECT_EQ(copy->Count(), 1);
    delete source;
    EXPECT_EQ(copy->DataSource(), nullptr);
    EXPECT_EQ(copy->Count(), 0);
}

TEST_F(SeriesTest, ExtraStreamedDataRoundTrips) {
    TTestChart chart;
    auto* a = new TTestLineSeries(&chart);
    auto* b = new TTestLineSeries(&chart);
    auto* sum = new TTestLineSeries(&chart);
    a->SetName("A");
    b->SetName("B");
    sum->SetName("Sum");
    a->AddXY(0, 1);
    b->AddXY(0, 2);
    sum->AddDataSource(a);
    sum->AddDataSource(b);
    sum->SetIdentifier("demand");
    sum->SetStyle({tssDenyDelete, tssIsPersistent});

    TMemoryFiler filer;
    sum->DefineStreamedData(filer);
    EXPECT_EQ(filer.Lists["DataSources"], (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(filer.Strings["Identifier"], "demand");
    EXPECT_EQ(filer.Integers["Style"], 4 + 16);

    TMemoryFiler single;
    a->DefineStreamedData(single); // one source or none, no identifier, no style: nothing
    EXPECT_TRUE(single.Lists.empty() && single.Strings.empty() && single.Integers.empty());

    auto* loaded = new TTestLineSeries(&chart);
    loaded->SetComponentStateFlag(csLoading, true);
    filer.Writing = false;
    filer.Integers["Style"] = 0xFF; // bits beyond the sixth are ignored
    loaded->DefineStreamedData(filer);
    loaded->SetParentChart(&chart);
    loaded->AfterLoad();
    EXPECT_EQ(loaded->DataSources(), (std::vector<TChartSeries*>{a, b}));
    EXPECT_EQ(loaded->Identifier(), "demand");
    EXPECT_EQ(loaded->Style().ToInt(), 0x3Fu);
    EXPECT_EQ(loaded->Count(), 1); // reloaded from the first source
}

TEST_F(SeriesTest, SampleValues) {
    TChartSeries series(nullptr);
    try {
        series.FillSampleValues(0);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "FillSampleValues NumValues must be > 0");
    }
    series.FillSampleValues(1);
    ASSERT_EQ(series.Count(), 1);
    EXPECT_EQ(series.XValueAt(0), 0);

    series.XValues()->SetDateTime(true);
    series.FillSampleValues(3);
    const double today = double(Trunc(Now()));
    ASSERT_EQ(series.Count(), 3);
    EXPECT_EQ(series.XValueAt(0), today);
    EXPECT_EQ(series.XValueAt(2), today + 2);

    // In a chart the samples take the range of the other series.
    TTestChart chart;
    auto* other = new TTestLineSeries(&chart);
    other->SetParentChart(&chart);
    other->AddXY(100, 5);
    other->AddXY(200, 5);
    auto* samples = new TTestLineSeries(&chart);
    samples->SetParentChart(&chart);
    samples->FillSampleValues(11);
    EXPECT_EQ(samples->XValueAt(0), 100);
    EXPECT_EQ(samples->XValueAt(10), 200);
    for (int i = 0; i < samples->Count(); ++i)
        EXPECT_GE(samples->YValueAt(i), 0);
}

TEST_F(SeriesTest, VisibleRangeFollowsTheAxis) {
    TTestChart chart;
    chart.SetView3D(false);
    auto* series = new TTestLineSeries(&chart);
    series->SetParentChart(&chart);
    for (int x = 0; x <= 10; ++x)
        series->AddXY(x, x);
    chart.BottomAxis()->SetMinMax(2.5, 7.5);
    TRecordingCanvas canvas;
    chart.SetBuffered(false);
    chart.DrawToRect(&canvas, chart.GetDrawRect());
    // A line runs to the points just outside so that it reaches the chart's edges.
    EXPECT_EQ(series->FirstValueIndex(), 3);
    EXPECT_EQ(series->LastValueIndex(), 8);

    TChartSeries points(nullptr); // points stop at the last one inside
    points.SetParentChart(&chart);
    for (int x = 0; x <= 10; ++x)
        points.AddXY(x, x);
    points.CalcFirstLastVisible();
    EXPECT_EQ(points.FirstValueIndex(), 3);
    EXPECT_EQ(points.LastValueIndex(), 7);
    chart.BottomAxis()->SetMinMax(20, 30);
    chart.DrawToRect(&canvas, chart.GetDrawRect());
    points.CalcFirstLastVisible();
    EXPECT_EQ(points.FirstValueIndex(), -1);
    points.SetParentChart(nullptr);
}

TEST_F(SeriesTest, AssignCopiesSettingsAndPoints) {
    TChartSeries source(nullptr);
    source.AddXY(1, 2, "a", clRed);
    source.AddXY(3, 4);
    source.SetTitle("Φορτίο");
    source.SetValueFormat("0.0");
    source.SetHorizAxis(aTopAxis);
    source.SetSourceReactions(srCleared);
    source.Marks()->SetVisible(true);
    TChartSeries copy(nullptr);
    copy.AssignFrom(&source);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.ValueLabel(0), "a");
    EXPECT_EQ(copy.ValueColor(0), clRed);
    EXPECT_EQ(copy.Title(), "Φορτίο");
    EXPECT_EQ(copy.ValueFormat(), "0.0");
    EXPECT_EQ(copy.HorizAxis(), aTopAxis);
    EXPECT_EQ(copy.SourceReactions(), srCleared);
    EXPECT_TRUE(copy.Marks()->Visible());
}

TEST_F(SeriesTest, StackedSumsAddTheSeriesBefore) {
    TTestChart chart;
    std::vector<TChartSeries*> series;
    for (double v : {1.0, 10.0, 100.0}) {
        auto* s = new TTestLineSeries(&chart);
        s->SetParentChart(&chart);
        s->Add(v);
        series.push_back(s);
    }
    auto* other = new TChartSeries(&chart); // another family
    other->SetParentChart(&chart);
    other->Add(1000);
    EXPECT_EQ(series[2]->StackedSumAt(0, false), 11);
    EXPECT_EQ(series[0]->StackedSumAt(0, false), 0);
    EXPECT_EQ(series[0]->StackedSumAt(0, true), 1111); // the base class is of every family
    series[1]->SetActive(false);
    EXPECT_EQ(series[2]->StackedSumAt(0, false), 1);
    EXPECT_EQ(series[2]->StackedSumAt(1, false), 0); // nobody has a second point
}
