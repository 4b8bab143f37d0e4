#include "chart/ChartEngine.h"
#include "chart/tests/ChartTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::vector<double> Values(const TChartValueList* list) {
    std::vector<double> v;
    for (int i = 0; i < list->ValueCount(); ++i)
        v.push_back(list->ValueAt(i));
    return v;
}

// A series whose points join (like a line series).
class TJoinedSeries : public TChartSeries {
public:
    explicit TJoinedSeries(TComponent* owner) : TChartSeries(owner) { SetPointsStandAlone(false); }
};

// Sums the values of a range (the whole list for -1, -1).
class TSumFunction : public TChartFunction {
public:
    using TChartFunction::TChartFunction;
    double CalculateRange(TChartSeries* source, int first, int last) override {
        TChartValueList* list = ValueListToUse(source);
        if (first == -1)
            return list->Sum();
        double sum = 0;
        for (int i = first; i <= last; ++i)
            sum += list->ValueAt(i);
        return sum;
    }
};

// ---------------------------------------------------------------------------
// Value lists

TEST(ChartEngineTest, AscendingListInsertsInOrderAndEqualValuesKeepAddingOrder) {
    TChartValueList list(nullptr, "X");
    list.SetOrder(loAscending);
    for (double v : {3.0, 1.0, 2.0})
        list.AddValue(v);
    EXPECT_EQ(Values(&list), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(list.AddValue(2), 2); // after the existing 2
    EXPECT_EQ(list.AddValue(0), 0);
    EXPECT_EQ(list.AddValue(9), 5);

    TChartValueList down(nullptr, "Y");
    down.SetOrder(loDescending);
    for (double v : {1.0, 3.0, 2.0, 3.0})
        down.AddValue(v);
    EXPECT_EQ(Values(&down), (std::vector<double>{3, 3, 2, 1}));

    TChartValueList none(nullptr, "Z");
    for (double v : {3.0, 1.0, 2.0})
        none.AddValue(v);
    EXPECT_EQ(Values(&none), (std::vector<double>{3, 1, 2}));
}

TEST(ChartEngineTest, StatisticsUseTheMultiplierAndFollowChanges) {
    TChartValueList list(nullptr, "Y");
    EXPECT_EQ(list.Highest(), 0);
    EXPECT_EQ(list.Lowest(), 0);
    EXPECT_EQ(list.Sum(), 0);
    EXPECT_EQ(list.AbsSum(), 0);
    for (double v : {2.0, -3.0, 5.0})
        list.AddValue(v);
    EXPECT_EQ(list.Highest(), 5);
    EXPECT_EQ(list.Lowest(), -3);
    EXPECT_EQ(list.Sum(), 4);
    EXPECT_EQ(list.AbsSum(), 10);

    list.SetMultiplier(2);
    EXPECT_EQ(list.ValueAt(2), 10);
    EXPECT_EQ(list.RawValueAt(2), 5);
    EXPECT_EQ(list.Highest(), 10);
    EXPECT_EQ(list.Sum(), 8);

    list.AddValue(50); // the cache is refreshed after a change
    EXPECT_EQ(list.Highest(), 100);
    list.DeleteValueAt(3);
    EXPECT_EQ(list.Highest(), 10);
    EXPECT_EQ(list.IndexOfValue(-6), 1);
    EXPECT_EQ(list.IndexOfValue(-3), -1);
}

TEST(ChartEngineTest, RotateAndNumber) {
    TChartValueList list(nullptr, "Y");
    list.RotateFirstToEnd(); // nothing when empty
    for (double v : {7.0, 8.0, 9.0})
        list.AddValue(v);
    list.RotateFirstToEnd();
    EXPECT_EQ(Values(&list), (std::vector<double>{8, 9, 7}));
    list.NumberSequentially();
    EXPECT_EQ(Values(&list), (std::vector<double>{0, 1, 2}));
}

TEST(ChartEngineTest, SortingMovesWholePointsThroughTheSeries) {
    TChartSeries series(nullptr);
    series.XValues()->SetOrder(loNone);
    const double xs[] = {5, 3, 9, 1, 7, 3};
    for (int i = 0; i < 6; ++i)
        series.AddXY(xs[i], xs[i] * 10, "p" + IntToStr(int(xs[i])), RGB(i, 0, 0));
    series.XValues()->SetOrder(loAscending);
    series.XValues()->SortByOrder();
    EXPECT_EQ(Values(series.XValues()), (std::vector<double>{1, 3, 3, 5, 7, 9}));
    for (int i = 0; i < series.Count(); ++i) {
        EXPECT_EQ(series.YValueAt(i), series.XValueAt(i) * 10);
        EXPECT_EQ(series.ValueLabel(i), "p" + IntToStr(int(series.XValueAt(i))));
    }
    EXPECT_EQ(series.ValueColor(0), RGB(3, 0, 0)); // the point X = 1 was added fourth

    series.YValues()->SetOrder(loDescending);
    series.YValues()->SortByOrder();
    EXPECT_EQ(Values(series.XValues()), (std::vector<double>{9, 7, 5, 3, 3, 1}));
}

// ---------------------------------------------------------------------------
// The point store

TEST(ChartEngineTest, AddingOutOfOrderKeepsYColourAndLabelWithTheirX) {
    TChartSeries series(nullptr);
    series.AddXY(3, 30, "c", clRed);
    series.AddXY(1, 10, "a", clBlue);
    series.AddNullPoint(2, 20, "b");
    EXPECT_EQ(Values(series.XValues()), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(Values(series.YValues()), (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(series.ValueLabel(0), "a");
    EXPECT_EQ(series.ValueColor(1), clNone); // a null point counts and keeps its place
    EXPECT_EQ(series.ValueColor(2), clRed);
    EXPECT_EQ(series.ValueLabel(7), "");

    series.DeleteValue(0);
    EXPECT_EQ(series.Count(), 2);
    EXPECT_EQ(series.ValueLabel(0), "b");
}

TEST(ChartEngineTest, RefusedAdditionAddsNothingAndTellsNobody) {
    TChartSeries series(nullptr);
    TChartSeries dependent(nullptr);
    dependent.AddDataSource(&series);
    int after = 0;
    series.SetOnBeforeAdd([](TChartSeries*) { return false; });
    series.SetOnAfterAdd([&](TChartSeries*, int) { ++after; });
    EXPECT_EQ(series.AddXY(1, 2), -1);
    EXPECT_EQ(series.Count(), 0);
    EXPECT_EQ(after, 0);
    EXPECT_EQ(dependent.Count(), 0);
}

TEST(ChartEngineTest, AutomaticColoursAndColorEachPoint) {
    TChartSeries series(nullptr);
    series.SetSeriesColor(clTeal);
    series.Add(1);
    series.Add(2, "", clRed);
    EXPECT_EQ(series.ValueColor(0), clTeal);
    series.SetColorEachPoint(true);
    EXPECT_EQ(series.ValueColor(0), PaletteColor(0));
    EXPECT_EQ(series.ValueColor(1), clRed);
    series.SetColorEachPoint(false); // forgets the point colours
    EXPECT_EQ(series.ValueColor(1), clTeal);
    EXPECT_EQ(series.XValueAt(1), 1); // Add puts the point after the last
}

TEST(ChartEngineTest, DependentSeriesFollowTheirSource) {
    TChartSeries source(nullptr);
    TChartSeries copy(nullptr);
    source.AddXY(1, 10);
    copy.AddDataSource(&source);
    EXPECT_EQ(copy.Count(), 1);
    source.AddXY(2, 20, "b");
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.ValueLabel(1), "b");
    source.DeleteValue(0);
    EXPECT_EQ(copy.Count(), 1);
    source.YValues()->SetValueAt(0, 99);
    EXPECT_EQ(copy.YValueAt(0), 99);
    source.ClearValues();
    EXPECT_EQ(copy.Count(), 0);

    copy.SetSourceReactions(srCleared);
    source.AddXY(5, 5);
    EXPECT_EQ(copy.Count(), 0);

    TChartSeries third(nullptr);
    third.AddDataSource(&copy);
    EXPECT_THROW(source.AddDataSource(&third), ChartException);
    EXPECT_TRUE(source.DataSources().empty());
}

TEST(ChartEngineTest, MarkPositionsPlacedByTheUserStay) {
    TSeriesMarks marks;
    TSeriesMarkPosition computed;
    computed.LeftTop = TPoint(10, 20);
    computed.Width = 30;
    computed.Height = 15;
    marks.ApplyPosition(3, computed);
    ASSERT_NE(marks.Positions().Position(3), nullptr);
    EXPECT_EQ(marks.Positions().Position(1), nullptr);
    EXPECT_EQ(marks.Positions().Position(3)->Bounds(), TRect(10, 20, 40, 35));

    marks.Positions().Position(3)->Custom = true;
    marks.Positions().Position(3)->LeftTop = TPoint(100, 200);
    TSeriesMarkPosition next;
    next.LeftTop = TPoint(11, 21);
    marks.ApplyPosition(3, next);
    EXPECT_EQ(next.LeftTop, TPoint(100, 200));
    EXPECT_EQ(marks.Positions().Position(3)->LeftTop, TPoint(100, 200));
}

// ---------------------------------------------------------------------------
// The function base

struct TFunctionFixture : ::testing::Test {
    TChartSeries Source{nullptr};
    void Fill(int count) {
        for (int i = 0; i < count; ++i)
            Source.AddXY(i, i + 1);
    }
    std::unique_ptr<TChartSeries> Result(bool joined, double period,
                                         TFunctionPeriodStyle style = psNumPoints,
                                         TFunctionPeriodAlign align = paCenter) {
        std::unique_ptr<TChartSeries> result = joined ? std::make_unique<TJoinedSeries>(nullptr)
                                                      : std::make_unique<TChartSeries>(nullptr);
        auto* function = new TSumFunction(nullptr);
        function->SetPeriod(period);
        function->SetPeriodStyle(style);
        function->SetPeriodAlign(align);
        result->AttachFunction(function);
        result->AddDataSource(&Source);
        return result;
    }
};

TEST_F(TFunctionFixture, WholeRangeGivesALevelLineOrOneMiddlePoint) {
    Fill(5); // X 0..4, Y 1..5, sum 15
    auto line = Result(true, 0);
    EXPECT_EQ(Values(line->XValues()), (std::vector<double>{0, 4}));
    EXPECT_EQ(Values(line->YValues()), (std::vector<double>{15, 15}));
    auto bars = Result(false, 0);
    EXPECT_EQ(Values(bars->XValues()), (std::vector<double>{2}));
    EXPECT_EQ(Values(bars->YValues()), (std::vector<double>{15}));
}

TEST_F(TFunctionFixture, NumPointsPeriodsDropAShortLastPeriod) {
    Fill(7);
    auto result = Result(false, 3);
    EXPECT_EQ(Values(result->XValues()), (std::vector<double>{1, 4})); // centred
    EXPECT_EQ(Values(result->YValues()), (std::vector<double>{6, 15}));
    auto first = Result(false, 3, psNumPoints, paFirst);
    EXPECT_EQ(Values(first->XValues()), (std::vector<double>{0, 3}));
}

TEST_F(TFunctionFixture, PeriodRoundingToZeroUsesOnePointPerPeriod) {
    Fill(4);
    auto result = Result(false, 0.2);
    EXPECT_EQ(Values(result->YValues()), (std::vector<double>{1, 2, 3, 4}));
}

TEST_F(TFunctionFixture, RangePeriodsCoverTheSourceAndEmptyOnesGiveZero) {
    Source.AddXY(0, 1);
    Source.AddXY(1, 2);
    Source.AddXY(5, 3);
    auto result = Result(false, 2, psRange, paFirst);
    // [0,2) = 3, [2,4) empty = 0, [4,6) = 3.
    EXPECT_EQ(Values(result->XValues()), (std::vector<double>{0, 2, 4}));
    EXPECT_EQ(Values(result->YValues()), (std::vector<double>{3, 0, 3}));
}

TEST_F(TFunctionFixture, RangePeriodThatCannotAdvanceStops) {
    Source.AddXY(1e9, 1);
    Source.AddXY(1e9 + 1, 2);
    auto result = Result(false, 1e-300, psRange);
    EXPECT_EQ(result->Count(), 0);
}

TEST_F(TFunctionFixture, NegativePeriodIsRefusedAndKeepsTheOldValue) {
    TSumFunction function(nullptr);
    function.SetPeriod(4);
    try {
        function.SetPeriod(-1);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Function Period should be >= 0");
    }
    EXPECT_EQ(function.Period(), 4);
}

TEST_F(TFunctionFixture, FunctionRecalculatesOnPropertyChangesUnlessUpdating) {
    Fill(6);
    auto result = Result(false, 2);
    EXPECT_EQ(result->Count(), 3);
    TChartFunction* function = result->FunctionType();
    function->BeginUpdate();
    function->SetPeriod(3);
    EXPECT_EQ(result->Count(), 3);
    function->EndUpdate();
    EXPECT_EQ(result->Count(), 2);
}

// ---------------------------------------------------------------------------
// Axes

struct TAxisFixture : ::testing::Test {
    void SetUp() override { EnsureTestApplication(); }
    TFakePanel Panel;
};

TEST_F(TAxisFixture, LinearMappingByOrientationAndInversion) {
    TChartAxis bottom(&Panel, true, false);
    bottom.PlaceOnSide(100, 400); // pixels 100..500
    bottom.SetWorkingRange(0, 100);
    TChartAxis left(&Panel, false, false);
    left.PlaceOnSide(50, 200); // pixels 50..250
    left.SetWorkingRange(0, 100);
    struct {
        TCustomChartAxis* Axis;
        bool Inverted;
        double Value;
        int Pixel;
    } cases[] = {
        {&bottom, false, 0, 100},   {&bottom, false, 100, 500}, {&bottom, false, 25, 200},
        {&bottom, true, 25, 400},   {&left, false, 0, 250},     {&left, false, 100, 50},
        {&left, false, 25, 200},    {&left, true, 25, 100},     {&bottom, false, -50, -100},
        {&left, false, 0.625, 249}, // 1.25 pixels rounds to 1
    };
    for (const auto& c : cases) {
        c.Axis->SetInverted(c.Inverted);
        EXPECT_EQ(c.Axis->ValueToPixel(c.Value), c.Pixel) << c.Value;
        EXPECT_NEAR(c.Axis->PixelToValue(c.Pixel), c.Value, 0.5);
    }
}

TEST_F(TAxisFixture, OutOfRangeValuesSaturateAndDegenerateRangesMapToTheCentre) {
    TChartAxis bottom(&Panel, true, false);
    bottom.PlaceOnSide(0, 400);
    bottom.SetWorkingRange(0, 1);
    EXPECT_EQ(bottom.ValueToPixel(1e30), 100000000);
    EXPECT_EQ(bottom.ValueToPixel(-1e30), -100000000);
    bottom.SetWorkingRange(5, 5);
    EXPECT_EQ(bottom.ValueToPixel(5), 200);
    EXPECT_EQ(bottom.ValueToPixel(1e30), 200);

    bottom.FixRange(1, 1000);
    bottom.SetLogarithmic(true);
    EXPECT_EQ(bottom.ValueToPixel(1), 0);
    EXPECT_EQ(bottom.ValueToPixel(1000), 400);
    EXPECT_EQ(bottom.ValueToPixel(10), 133); // a third of the way
    EXPECT_EQ(bottom.ValueToPixel(0), 0);    // no logarithm: the minimum's end
    EXPECT_EQ(bottom.ValueToPixel(-5), 0);
    bottom.SetInverted(true);
    EXPECT_EQ(bottom.ValueToPixel(0), 400);
    bottom.SetInverted(false);
    EXPECT_DOUBLE_EQ(bottom.PixelToValue(0), 1);
    EXPECT_DOUBLE_EQ(bottom.PixelToValue(400), 1000);
    EXPECT_NEAR(bottom.PixelToValue(200), std::sqrt(1000.0), 1e-9);
}

TEST_F(TAxisFixture, DepthAxisMapsOntoTheTotalDepth) {
    TChartDepthAxis depth(&Panel);
    EXPECT_FALSE(depth.Visible());
    depth.SetTotalDepth(60);
    depth.SetWorkingRange(0, 3);
    EXPECT_EQ(depth.ValueToPixel(1), 20);
    depth.SetInverted(true);
    EXPECT_EQ(depth.ValueToPixel(1), 40);
    depth.SetWorkingRange(2, 2);
    EXPECT_EQ(depth.ValueToPixel(2), 30);
}

TEST_F(TAxisFixture, RangeChecks) {
    TChartAxis axis(&Panel, true, false);
    axis.FixRange(5, 5);
    EXPECT_EQ(axis.Minimum(), 5);
    EXPECT_DOUBLE_EQ(axis.Maximum(), 5.0000000001);
    EXPECT_FALSE(axis.Automatic());

    auto message = [](auto&& f) {
        try {
            f();
        } catch (const AxisException& e) {
            return e.Message();
        }
        return std::string("no exception");
    };
    EXPECT_EQ(message([&] { axis.SetMinimum(10); }), "Axis Minimum Value must be <= Maximum");
    EXPECT_EQ(message([&] { axis.SetMaximum(1); }), "Axis Maximum Value must be >= Minimum");
    EXPECT_EQ(message([&] { axis.SetIncrement(-1); }), "Axis increment must be >= 0");
    EXPECT_EQ(message([&] { axis.SetLabelsSeparation(-1); }),
              "Labels Separation % must be greater than 0");
    EXPECT_EQ(message([&] { axis.SetLogarithmicBase(1); }), "Axis Logarithmic Base should be >= 2");
    EXPECT_EQ(axis.LogarithmicBase(), 10);
    EXPECT_EQ(axis.Minimum(), 5);

    axis.FixRange(-5, 10);
    EXPECT_EQ(message([&] { axis.SetLogarithmic(true); }),
              "Logarithmic Axis Min and Max values should be >= 0");
    EXPECT_FALSE(axis.Logarithmic());
    axis.SetIsDateTime(true);
    EXPECT_EQ(message([&] { axis.SetLogarithmic(true); }), "DateTime Axis cannot be Logarithmic");

    Panel.Loading = true; // values read from a form resource are not checked
    TChartAxis loaded(&Panel, true, false);
    loaded.SetMinimum(10);
    EXPECT_EQ(loaded.Minimum(), 10);
}

TEST_F(TAxisFixture, AutomaticFlagsFollowEachOther) {
    TChartAxis axis(&Panel, true, false);
    axis.SetAutomaticMaximum(false);
    EXPECT_FALSE(axis.Automatic());
    axis.SetAutomaticMaximum(true);
    EXPECT_TRUE(axis.Automatic());
    axis.SetAutomatic(false);
    EXPECT_FALSE(axis.AutomaticMinimum());
    EXPECT_FALSE(axis.AutomaticMaximum());

    axis.SetAutomatic(true);
    axis.SetLimitQuery([](const TCustomChartAxis*, bool lowest) { return lowest ? -2.0 : 8.0; });
    axis.RecalcLimits();
    EXPECT_EQ(axis.MinimumValue(), -2);
    EXPECT_EQ(axis.MaximumValue(), 8);
    EXPECT_EQ(axis.Range(), 10);
}

TEST_F(TAxisFixture, IncrementFollowsTheLabelWidth) {
    const char thousand = ThousandSeparator;
    ThousandSeparator = ',';
    TRecordingCanvas target;
    TChartCanvas3D canvas;
    canvas.AttachCanvas(&target);
    Panel.Canvas = &canvas;
    TChartAxis axis(&Panel, true, false);
    axis.PlaceOnSide(0, 600);
    axis.SetWorkingRange(0, 8760);
    // "8,760" is 35 pixels, plus 10 % (3.5 rounds to 4): 15 labels fit in 600 pixels.
    EXPECT_DOUBLE_EQ(axis.CalcIncrement(), 1000);
    axis.SetIncrement(3000);
    EXPECT_DOUBLE_EQ(axis.CalcIncrement(), 3000);
    axis.SetIncrement(0);
    axis.SetWorkingRange(0, 0.5);
    // "0.5" is 21 + 2 pixels: 26 labels, so 0.02 (25 labels).
    EXPECT_NEAR(axis.CalcIncrement(), 0.02, 1e-15);

    // Labels across a vertical axis are as high as a line.
    TChartAxis left(&Panel, false, false);
    left.PlaceOnSide(0, 143);
    left.SetWorkingRange(0, 100);
    // 13 + 1 = 14 pixels: Round(143 / 14) = 10 labels.
    EXPECT_DOUBLE_EQ(left.CalcIncrement(), 10);
    ThousandSeparator = thousand;
}

TEST_F(TAxisFixture, LabelValuesRunDownFromTheRoundedMaximum) {
    TChartAxis axis(&Panel, true, false);
    axis.SetWorkingRange(0, 8760);
    EXPECT_EQ(axis.LabelValues(1000),
              (std::vector<double>{8000, 7000, 6000, 5000, 4000, 3000, 2000, 1000, 0}));
    axis.SetLabelsOnAxis(false);
    axis.SetWorkingRange(0, 8000);
    EXPECT_EQ(axis.LabelValues(2000), (std::vector<double>{6000, 4000, 2000}));
    axis.SetLabelsOnAxis(true);
    axis.SetRoundFirstLabel(false);
    axis.SetWorkingRange(-1, 8.5);
    EXPECT_EQ(axis.LabelValues(3), (std::vector<double>{8.5, 5.5, 2.5, -0.5}));

    // Large values with a small range still get labels; a too fine step gets none.
    axis.SetRoundFirstLabel(true);
    axis.SetWorkingRange(1e9, 1e9 + 10);
    EXPECT_EQ(axis.LabelValues(5).size(), 3u);
    axis.SetWorkingRange(0, 1e6);
    EXPECT_TRUE(axis.LabelValues(1).empty());
    EXPECT_TRUE(axis.LabelValues(0).empty());
}

TEST_F(TAxisFixture, DateTimeLabelsAndCalendarSteps) {
    TChartAxis axis(&Panel, true, false);
    axis.SetIsDateTime(true);
    axis.SetDateTimeFormat("yyyy-mm-dd");
    EXPECT_EQ(axis.LabelText(EncodeDate(1999, 7, 17)), "1999-07-17");
    EXPECT_EQ(axis.LabelText(-1), "");

    double v = EncodeDate(2001, 3, 1);
    axis.IncrementValue(true, v, dtOneMonth, 30);
    EXPECT_DOUBLE_EQ(v, EncodeDate(2001, 4, 1));
    axis.SetExactDateTime(false);
    axis.IncrementValue(true, v, dtOneMonth, 30);
    EXPECT_DOUBLE_EQ(v, EncodeDate(2001, 5, 1));

    // A year with a monthly increment: labels on the first of each month.
    axis.SetExactDateTime(true);
    axis.SetIncrement(30);
    axis.SetWorkingRange(EncodeDate(2001, 1, 1), EncodeDate(2001, 12, 31));
    std::vector<double> labels = axis.LabelValues(30);
    ASSERT_EQ(labels.size(), 12u);
    for (double label : labels) {
        int y, m, d;
        DecodeDate(label, y, m, d);
        EXPECT_EQ(d, 1);
    }
}

TEST_F(TAxisFixture, NumberLabelsUseTheFormatAndMultiLine) {
    const char thousand = ThousandSeparator, decimal = DecimalSeparator;
    ThousandSeparator = ',';
    DecimalSeparator = '.';
    TChartAxis axis(&Panel, true, false);
    EXPECT_EQ(axis.LabelText(1234.5), "1,234.5");
    axis.SetAxisValuesFormat("##0.## %");
    EXPECT_EQ(axis.LabelText(25), "25 %");
    axis.SetLabelsMultiLine(true);
    EXPECT_EQ(axis.LabelText(25), "25\r%");
    ThousandSeparator = thousand;
    DecimalSeparator = decimal;
}

TEST_F(TAxisFixture, TitleAnglesAndSpace) {
    TChartAxis left(&Panel, false, false);
    TChartAxis right(&Panel, false, true);
    EXPECT_EQ(left.Title()->Angle(), 90);
    EXPECT_EQ(right.Title()->Angle(), 270);
    EXPECT_THROW(left.Title()->SetAngle(360), ChartException);
    EXPECT_THROW(left.SetLabelsAngle(-1), ChartException);
    // Axis pen 2 + ticks 4.
    EXPECT_EQ(left.SpaceNeeded(), 6);
    left.Ticks()->SetVisible(false);
    EXPECT_EQ(left.SpaceNeeded(), 2);
    left.Axis()->SetVisible(false);
    EXPECT_EQ(left.SpaceNeeded(), 2); // the minor ticks
}

TEST_F(TAxisFixture, PixelRangeMakesRoomForMargins) {
    TChartAxis bottom(&Panel, true, false);
    bottom.PlaceOnSide(0, 100);
    bottom.SetWorkingRange(0, 80);
    bottom.SetPixelRange(10, 10);
    EXPECT_DOUBLE_EQ(bottom.MinimumValue(), -10);
    EXPECT_DOUBLE_EQ(bottom.MaximumValue(), 90);
    EXPECT_EQ(bottom.IStartPos(), 0);
    EXPECT_EQ(bottom.IEndPos(), 100);
    EXPECT_EQ(bottom.ValueToPixel(0), 10);
}

} // namespace
