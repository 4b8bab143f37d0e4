#include "chart/ChartFunctions.h"
#include "chart/tests/TestChart.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A series with the given values at X = 0, 1, 2 ...
std::unique_ptr<TChartSeries> Source(std::vector<double> values) {
    auto s = std::make_unique<TChartSeries>(nullptr);
    for (double v : values)
        s->Add(v);
    return s;
}

std::vector<double> YOf(const TChartSeries& s) {
    std::vector<double> result;
    for (int i = 0; i < s.Count(); ++i)
        result.push_back(s.YValueAt(i));
    return result;
}

template <class F> std::vector<double> Across(const std::vector<TChartSeries*>& sources) {
    TChartSeries result(nullptr);
    auto* function = new F(nullptr);
    result.AttachFunction(function);
    for (TChartSeries* s : sources)
        result.AddDataSource(s);
    return YOf(result);
}

} // namespace

TEST(ChartFunctionsTest, OneSourceWholeRangeAndPeriods) {
    auto src = Source({4, -2, 8, 6, 1, 3, 5});
    struct {
        std::function<TChartFunction*()> Make;
        double Whole;
        std::vector<double> ByThree; // points 0-2 and 3-5; the last one alone adds nothing
    } cases[] = {
        {[] { return new TAddChartFunction(nullptr); }, 25, {10, 10}},
        {[] { return new THighChartFunction(nullptr); }, 8, {8, 6}},
        {[] { return new TLowChartFunction(nullptr); }, -2, {-2, 1}},
        {[] { return new TAverageChartFunction(nullptr); }, 25.0 / 7, {10.0 / 3, 10.0 / 3}},
    };
    for (const auto& c : cases) {
        TTestLineSeries line; // a level line across the source
        line.AttachFunction(c.Make());
        line.AddDataSource(src.get());
        ASSERT_EQ(line.Count(), 2);
        EXPECT_DOUBLE_EQ(line.YValueAt(0), c.Whole);
        EXPECT_EQ(line.XValueAt(0), 0);
        EXPECT_EQ(line.XValueAt(1), 6);

        TChartSeries bars(nullptr); // one point in the middle
        bars.AttachFunction(c.Make());
        bars.AddDataSource(src.get());
        ASSERT_EQ(bars.Count(), 1);
        EXPECT_EQ(bars.XValueAt(0), 3);

        bars.FunctionType()->SetPeriod(3);
        std::vector<double> got = YOf(bars);
        ASSERT_EQ(got.size(), c.ByThree.size());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_DOUBLE_EQ(got[i], c.ByThree[i]);
        EXPECT_EQ(bars.XValueAt(1), 4); // the middle of points 3 to 5
    }
}

TEST(ChartFunctionsTest, SeveralSourcesPointByPoint) {
    auto a = Source({10, 20, 30});
    auto b = Source({1, 2});
    auto c = Source({3, 0, 5});
    EXPECT_EQ(Across<TSubtractChartFunction>({a.get(), b.get(), c.get()}),
              (std::vector<double>{6, 18, 25})); // B lacks point 2: A - C
    EXPECT_EQ(Across<TAddChartFunction>({a.get(), b.get(), c.get()}),
              (std::vector<double>{14, 22, 35}));
    EXPECT_EQ(Across<TMultiplyChartFunction>({a.get(), b.get(), c.get()}),
              (std::vector<double>{30, 0, 150}));
    EXPECT_EQ(Across<TDivideChartFunction>({a.get(), c.get()}),
              (std::vector<double>{10.0 / 3, 20, 6})); // dividing by 0 keeps the result
    EXPECT_EQ(Across<TAverageChartFunction>({a.get(), b.get()}),
              (std::vector<double>{5.5, 11, 30}));

    // High and low start from the first source that has the point.
    auto shortOne = Source({1});
    auto m5 = Source({0, -5});
    auto m2 = Source({0, -2});
    EXPECT_EQ(Across<THighChartFunction>({m5.get(), shortOne.get(), m2.get()}),
              (std::vector<double>{1, -2}));
    EXPECT_EQ(Across<TLowChartFunction>({m2.get(), shortOne.get(), m5.get()}),
              (std::vector<double>{0, -5}));
}

TEST(ChartFunctionsTest, EmptySourcesGiveNothingOrZero) {
    auto empty = Source({});
    TAverageChartFunction average(nullptr);
    TChartSeries result(nullptr);
    result.AttachFunction(new TAverageChartFunction(nullptr));
    result.AddDataSource(empty.get());
    EXPECT_EQ(result.Count(), 0);
    EXPECT_EQ(average.CalculateRange(empty.get(), -1, -1), 0);
    EXPECT_EQ(average.CalculateRange(empty.get(), 2, 1), 0); // an empty range
}
