#include "chart/ChartProcs.h"
#include "chart/tests/ChartTestSupport.h"

#include <gtest/gtest.h>

namespace {

TDateTime D(int y, int m, int d) {
    return EncodeDate(y, m, d);
}

TEST(ChartProcsTest, ValidateAngleAcceptsTheFullCircleOnly) {
    EXPECT_NO_THROW(ValidateAngle(0, SAxisTitle));
    EXPECT_NO_THROW(ValidateAngle(359, SAxisTitle));
    for (int angle : {-1, 360}) {
        try {
            ValidateAngle(angle, SAxisTitle);
            ADD_FAILURE() << angle;
        } catch (const ChartException& e) {
            EXPECT_EQ(e.Message(), "Axis Title Angle must be between 0 and 359 degrees");
        }
    }
}

TEST(ChartProcsTest, PaletteWrapsAfterSixteen) {
    EXPECT_EQ(PaletteColor(0), clRed);
    EXPECT_EQ(PaletteColor(17), clGreen);
    EXPECT_EQ(PaletteColor(15), clBlack);
    EXPECT_EQ(PaletteColor(16), PaletteColor(0));
}

TEST(ChartProcsTest, NextNiceStepFollowsOneTwoFive) {
    struct {
        double Step, Next;
    } cases[] = {{0.3, 0.5}, {7, 10},  {20, 50},    {1, 2},
                 {2, 5},     {10, 20}, {0.05, 0.1}, {1500, 2000}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(NextNiceStep(c.Step), c.Next) << c.Step;
    EXPECT_GT(NextNiceStep(0), 0); // never a step that cannot grow
}

TEST(ChartProcsTest, DateStepTableLookups) {
    const double second = 1.0 / 86400;
    EXPECT_EQ(DateTimeStepIndex(second), dtOneSecond);
    EXPECT_EQ(DateTimeStepIndex(0.5), dtTwelveHours);
    EXPECT_EQ(DateTimeStepIndex(30), dtOneMonth);
    EXPECT_EQ(DateTimeStepIndex(365), dtOneYear);
    EXPECT_EQ(DateTimeStepIndex(4), dtNone);
    EXPECT_DOUBLE_EQ(NextLargerDateStep(1), 2);
    EXPECT_DOUBLE_EQ(NextLargerDateStep(8), 15);
    EXPECT_DOUBLE_EQ(NextLargerDateStep(200), 365);
    EXPECT_DOUBLE_EQ(NextLargerDateStep(second / 2), 365);
    EXPECT_DOUBLE_EQ(NextLargerDateStep(second), 5 * second);
}

TEST(ChartProcsTest, AlignDateToStepMovesToTheStartOfTheCalendarStep) {
    struct {
        int Step;
        TDateTime Date, Expected;
    } cases[] = {
        {dtOneYear, D(1999, 7, 17), D(1999, 1, 1)},
        {dtHalfMonth, D(1999, 7, 17), D(1999, 7, 15)},
        {dtHalfMonth, D(1999, 7, 3), D(1999, 7, 1)},
        {dtThreeMonths, D(1999, 7, 17), D(1999, 7, 1)},
        {dtOneDay, D(1999, 7, 17) + 0.25, D(1999, 7, 17) + 0.25},
        {dtOneYear, D(1899, 12, 31), D(1899, 12, 31)},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(AlignDateToStep(c.Step, c.Date), c.Expected) << c.Step;
}

TEST(ChartProcsTest, AdvanceByStepMovesByCalendarDates) {
    struct {
        int Step;
        bool Up;
        TDateTime From, To;
    } cases[] = {
        {dtHalfMonth, true, D(2001, 1, 3), D(2001, 1, 15)},
        {dtHalfMonth, true, D(2001, 1, 1), D(2001, 1, 15)},
        {dtHalfMonth, true, D(2001, 1, 15), D(2001, 2, 1)},
        {dtHalfMonth, true, D(2001, 12, 31), D(2002, 1, 1)},
        {dtHalfMonth, false, D(2001, 1, 3), D(2001, 1, 1)},
        {dtHalfMonth, false, D(2001, 1, 1), D(2000, 12, 15)},
        {dtHalfMonth, false, D(2001, 1, 20), D(2001, 1, 15)},
        {dtOneMonth, true, D(2001, 12, 10), D(2002, 1, 1)},
        {dtSixMonths, false, D(2001, 3, 5), D(2000, 9, 1)},
        {dtFourMonths, true, D(2001, 11, 1), D(2002, 3, 1)},
        {dtOneYear, true, D(2000, 2, 29), D(2001, 2, 28)},
        {dtOneYear, false, D(2001, 7, 4), D(2000, 7, 4)},
    };
    for (const auto& c : cases) {
        double v = c.From;
        AdvanceByStep(true, c.Up, v, c.Step, DateTimeStep[size_t(c.Step)]);
        EXPECT_DOUBLE_EQ(v, c.To) << c.Step << " " << c.Up << " " << c.From;
    }
    double v = 10;
    AdvanceByStep(false, true, v, dtOneMonth, 2.5);
    EXPECT_DOUBLE_EQ(v, 12.5);
    v = D(2001, 1, 1);
    AdvanceByStep(true, false, v, dtOneDay, 1);
    EXPECT_DOUBLE_EQ(v, D(2000, 12, 31));
}

TEST(ChartProcsTest, HalfMonthSteppingUpAlwaysAdvances) {
    double v = D(2001, 1, 1);
    for (int i = 0; i < 48; ++i) {
        const double before = v;
        AdvanceByStep(true, true, v, dtHalfMonth, 15);
        ASSERT_GT(v, before);
    }
    EXPECT_DOUBLE_EQ(v, D(2003, 1, 1));
}

TEST(ChartProcsTest, HitTests) {
    EXPECT_TRUE(OnSegment(TPoint(5, 5), TPoint(0, 0), TPoint(10, 10)));
    EXPECT_FALSE(OnSegment(TPoint(5, 7), TPoint(0, 0), TPoint(10, 10)));
    EXPECT_FALSE(OnSegment(TPoint(11, 11), TPoint(0, 0), TPoint(10, 10)));
    EXPECT_TRUE(NearSegment(TPoint(12, 12), TPoint(0, 0), TPoint(10, 10), 3));
    EXPECT_FALSE(NearSegment(TPoint(14, 14), TPoint(0, 0), TPoint(10, 10), 3));

    const TPoint square[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_TRUE(InsidePolygon(TPoint(5, 5), square, 3));
    EXPECT_TRUE(InsidePolygon(TPoint(5, 0), square, 3));   // at the lower end: in
    EXPECT_FALSE(InsidePolygon(TPoint(5, 10), square, 3)); // at the upper end: out
    EXPECT_FALSE(InsidePolygon(TPoint(11, 5), square, 3));

    EXPECT_TRUE(InsideTriangle(TPoint(10, 8), 0, 20, 10, 0));
    EXPECT_FALSE(InsideTriangle(TPoint(1, 1), 0, 20, 10, 0));
    EXPECT_TRUE(InsideSideTriangle(TPoint(15, 10), 0, 20, 0, 20));

    EXPECT_TRUE(InsideEllipse(TPoint(10, 5), TRect(0, 0, 20, 10)));
    EXPECT_TRUE(InsideEllipse(TPoint(20, 5), TRect(0, 0, 20, 10)));
    EXPECT_FALSE(InsideEllipse(TPoint(19, 9), TRect(0, 0, 20, 10)));
    EXPECT_FALSE(InsideEllipse(TPoint(0, 0), TRect(0, 0, 0, 10)));
}

TEST(ChartProcsTest, ProportionalPrintMargins) {
    // 400 x 250 on an A4-like page at 600 dpi: 15 % left and right, so the chart is
    // 0.7 * 4800 wide; top and bottom leave it the height that keeps its aspect:
    // (6600 - 0.7 * 4800 * 0.625) * 100 / 6600 = 68.2, halved 34.
    EXPECT_EQ(ProportionalPrintMargins(400, 250, 4800, 6600, 600, 600), TRect(15, 34, 15, 34));
    // Taller than wide: (4800 - 0.7 * 6600 * 0.625) * 100 / 4800 = 39.8, halved 20.
    EXPECT_EQ(ProportionalPrintMargins(250, 400, 4800, 6600, 600, 600), TRect(20, 15, 20, 15));
    // The two margins' whole percent is halved, not each half rounded:
    // (6600 - 0.7 * 4800 * 0.6) * 100 / 6600 = 69.45, 69 halved 34 (not 34.73 rounded to 35).
    EXPECT_EQ(ProportionalPrintMargins(500, 300, 4800, 6600, 600, 600), TRect(15, 34, 15, 34));
    // (4800 - 0.7 * 6600 * 0.55) * 100 / 4800 = 47.06, 47 halved 23.
    EXPECT_EQ(ProportionalPrintMargins(220, 400, 4800, 6600, 600, 600), TRect(23, 15, 23, 15));
    // A drawing too long for the page's other side gets no margin there, never a negative.
    EXPECT_EQ(ProportionalPrintMargins(100, 99, 7000, 4800, 600, 600), TRect(15, 0, 15, 0));
    // An empty drawing: 15 % everywhere.
    EXPECT_EQ(ProportionalPrintMargins(0, 0, 4800, 6600, 600, 600), TRect(15, 15, 15, 15));
    EXPECT_EQ(ProportionalPrintMargins(400, 0, 4800, 6600, 600, 600), TRect(15, 15, 15, 15));

    EXPECT_EQ(PrintRectFromMargins(TRect(15, 36, 15, 36), 4800, 6600),
              TRect(720, 2376, 4080, 4224));
}

TEST(ChartProcsTest, PrintScalingReducesByDetailAndRefusesEmptyRectangles) {
    TSize window, viewport;
    TRect r(100, 100, 500, 350);
    ASSERT_TRUE(CalcPrintScaling(400, 250, 50, r, window, viewport));
    EXPECT_EQ(window, TSize(200, 125));
    EXPECT_EQ(viewport, TSize(400, 250));
    EXPECT_EQ(r, TRect(50, 50, 250, 175));

    for (TRect empty : {TRect(100, 100, 100, 350), TRect(100, 100, 500, 100)}) {
        TRect e = empty;
        EXPECT_FALSE(CalcPrintScaling(400, 250, 0, e, window, viewport));
        EXPECT_EQ(e, empty);
    }
}

TEST(ChartProcsTest, MultiLineTexts) {
    EnsureTestApplication();
    TRecordingCanvas target;
    TChartCanvas3D canvas;
    canvas.AttachCanvas(&target);
    int lines = 0;
    EXPECT_EQ(WidestLineWidth(&canvas, "ab\rcdef\r", lines), 4 * TRecordingCanvas::kCharWidth);
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(WidestLineWidth(&canvas, "", lines), 0);
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(LineCount("a\rb\rc"), 3);
    EXPECT_EQ(LineCount("a"), 1);

    std::string text = "one|two|three";
    MarkLineBreaks(text, "|");
    EXPECT_EQ(text, "one\rtwo\rthree");
}

TEST(ChartProcsTest, NumberFormatsSwapSeparators) {
    const char decimal = DecimalSeparator, thousand = ThousandSeparator;
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    EXPECT_EQ(FormatStringToLocal("#,##0.###"), "#.##0,###");
    EXPECT_EQ(FormatStringToNeutral("#.##0,###"), "#,##0.###");
    DecimalSeparator = decimal;
    ThousandSeparator = thousand;
}

TEST(ChartProcsTest, UniqueNamesAndCursors) {
    TComponent owner(nullptr);
    EXPECT_EQ(UniqueComponentName(&owner, "Series"), "Series1");
    auto* first = new TComponent(&owner);
    first->SetName("Series1");
    EXPECT_EQ(UniqueComponentName(&owner, "Series"), "Series2");
    EXPECT_EQ(UniqueComponentName(nullptr, "Series"), "Series1");

    int cursor = 0;
    EXPECT_TRUE(ChartIdentToCursor("crChartHand", cursor));
    EXPECT_EQ(cursor, 2020);
    std::string ident;
    EXPECT_TRUE(ChartCursorToIdent(2020, ident));
    EXPECT_EQ(ident, "crChartHand");
    // Other cursors are the framework's.
    EXPECT_TRUE(ChartIdentToCursor("crHandPoint", cursor));
    EXPECT_EQ(cursor, crHandPoint);
    EXPECT_TRUE(ChartCursorToIdent(crNoDrop, ident));
    EXPECT_EQ(ident, "crNoDrop");
    EXPECT_FALSE(ChartIdentToCursor("crNothing", cursor));
    EXPECT_FALSE(ChartCursorToIdent(12345, ident));
    EXPECT_EQ(ExportFileExtension(2), "EMF");
    EXPECT_EQ(ExportFileExtension(4), "");
}

TEST(ChartProcsTest, StandardFontIsRecognised) {
    EnsureTestApplication();
    auto font = NewStandardFont();
    EXPECT_TRUE(IsStandardFont(font.get()));
    font->SetColor(clRed);
    EXPECT_FALSE(IsStandardFont(font.get()));
}

} // namespace
