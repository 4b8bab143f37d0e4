#include "windrose/ChartShape.h"

#include "chart/Series.h"
#include "framework/core/TypeInfo.h"
#include "framework/gui/Metafile.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using TK = TMetafileRecord;

class ChartShapeTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        FChart = std::make_unique<TChart>(nullptr);
        FChart->SetBounds(0, 0, 400, 300);
        FChart->SetView3D(false);
        FChart->Legend()->SetVisible(false);
        FShape = new TChartShape(FChart.get());
        FShape->SetParentChart(FChart.get());
    }
    void TearDown() override { FChart.reset(); }

    // One frame of the chart, recorded.
    std::unique_ptr<TMetafile> Draw() { return FChart->MakeMetafile(true, FChart->ClientRect()); }
    static std::vector<TMetafileRecord> RecordsOf(const TMetafile& metafile, TK::TKind kind) {
        std::vector<TMetafileRecord> found;
        for (const TMetafileRecord& r : metafile.Records())
            if (r.Kind == kind)
                found.push_back(r);
        return found;
    }
    // Recorded shapes in the shape's brush colour.
    std::vector<TMetafileRecord> Filled(const TMetafile& metafile, TK::TKind kind) const {
        std::vector<TMetafileRecord> found;
        for (const TMetafileRecord& r : RecordsOf(metafile, kind))
            if (r.BrushColor == FShape->Brush()->Color() && r.BrushStyle == bsSolid)
                found.push_back(r);
        return found;
    }

    std::unique_ptr<TChart> FChart;
    TChartShape* FShape = nullptr;
};

} // namespace

TEST_F(ChartShapeTest, ANewShapeIsAWhiteEllipseFromOriginToHundred) {
    EXPECT_EQ(FShape->Count(), 2);
    EXPECT_EQ(FShape->X0(), 0);
    EXPECT_EQ(FShape->Y0(), 0);
    EXPECT_EQ(FShape->X1(), 100);
    EXPECT_EQ(FShape->Y1(), 100);
    EXPECT_EQ(FShape->Style(), chasCircle);
    EXPECT_EQ(FShape->SeriesColor(), clWhite);
    const auto picture = Draw();
    const std::vector<TMetafileRecord> ellipses = Filled(*picture, TK::mrEllipse);
    ASSERT_EQ(ellipses.size(), 1u);
    EXPECT_EQ(ellipses[0].BrushColor, clWhite);
    // Through the axes: the corners land on the axis positions of the two points.
    const TRect bounds = FShape->ShapeBounds();
    EXPECT_EQ(bounds, TRect(FShape->CalcXPos(0), FShape->CalcYPos(1), FShape->CalcXPos(1),
                            FShape->CalcYPos(0)));
    EXPECT_EQ(ellipses[0].Rect.Left, bounds.Left);
    EXPECT_EQ(ellipses[0].Rect.Top, bounds.Top);
    EXPECT_GT(bounds.Width(), 100);
}

TEST_F(ChartShapeTest, OnlyASeriesOfTwoPointsDraws) {
    FShape->AddXY(50, 50);
    EXPECT_TRUE(Filled(*Draw(), TK::mrEllipse).empty());
    FShape->DeleteValue(2);
    FShape->DeleteValue(1);
    EXPECT_TRUE(Filled(*Draw(), TK::mrEllipse).empty());
}

TEST_F(ChartShapeTest, ShapeBoundsNormaliseThePoints) {
    FShape->SetXYStyle(xysPixels);
    EXPECT_FALSE(FShape->UsesAxes());
    struct Case {
        double X0, Y0, X1, Y1;
        TRect Expected;
    };
    const std::vector<Case> cases = {
        {50, 10, 50, 60, TRect(50, 10, 51, 60)},         // one pixel wide
        {20, 80, 70, 80, TRect(20, 80, 70, 81)},         // one pixel high
        {90.7, 60.2, 30.9, 10.5, TRect(30, 10, 90, 60)}, // swapped, truncated
    };
    for (const Case& c : cases) {
        FShape->SetX0(c.X0);
        FShape->SetY0(c.Y0);
        FShape->SetX1(c.X1);
        FShape->SetY1(c.Y1);
        EXPECT_EQ(FShape->ShapeBounds(), c.Expected);
    }
    // Point 0 through the axes, point 1 a size in pixels.
    FShape->SetXYStyle(xysAxisOrigin);
    FShape->SetX0(0);
    FShape->SetY0(100);
    FShape->SetX1(40);
    FShape->SetY1(25);
    Draw();
    const TRect r = FShape->ShapeBounds();
    EXPECT_EQ(r.Left, FShape->CalcXPos(0));
    EXPECT_EQ(r.Top, FShape->CalcYPos(0));
    EXPECT_EQ(r.Width(), 40);
    EXPECT_EQ(r.Height(), 25);
}

TEST_F(ChartShapeTest, EachStyleDrawsItsOutline) {
    FShape->SetXYStyle(xysPixels);
    FShape->SetX0(100);
    FShape->SetY0(80);
    FShape->SetX1(200);
    FShape->SetY1(180);
    struct Case {
        TChartShapeStyle Style;
        TK::TKind Kind;
        size_t Count;
        size_t Points; // of the first record (0: not checked)
    };
    const std::vector<Case> cases = {
        {chasRectangle, TK::mrRectangle, 1, 0}, {chasCircle, TK::mrEllipse, 1, 0},
        {chasTriangle, TK::mrPolygon, 1, 3},    {chasInvertTriangle, TK::mrPolygon, 1, 3},
        {chasDiamond, TK::mrPolygon, 1, 4},     {chasCube, TK::mrRectangle, 1, 0},
        {chasPyramid, TK::mrPolygon, 1, 3},     {chasInvertPyramid, TK::mrPolygon, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.Style));
        FShape->SetStyle(c.Style);
        const std::vector<TMetafileRecord> found = Filled(*Draw(), c.Kind);
        ASSERT_EQ(found.size(), c.Count);
        if (c.Points) {
            EXPECT_EQ(found[0].Points.size(), c.Points);
        }
    }
    // The triangle points up, the inverted one down.
    FShape->SetStyle(chasTriangle);
    EXPECT_EQ(Filled(*Draw(), TK::mrPolygon)[0].Points[1], TPoint(150, 80));
    FShape->SetStyle(chasInvertTriangle);
    EXPECT_EQ(Filled(*Draw(), TK::mrPolygon)[0].Points[1], TPoint(150, 180));
    // Lines in the shape's pen: a cross has two, a star four.
    const auto linesOf = [&](TChartShapeStyle style) {
        FShape->SetStyle(style);
        FShape->Pen()->SetColor(clFuchsia);
        size_t count = 0;
        for (const TMetafileRecord& r : RecordsOf(*Draw(), TK::mrLine))
            count += r.PenColor == clFuchsia;
        return count;
    };
    EXPECT_EQ(linesOf(chasLine), 1u);
    EXPECT_EQ(linesOf(chasCross), 2u);
    EXPECT_EQ(linesOf(chasDiagCross), 2u);
    EXPECT_EQ(linesOf(chasStar), 4u);
}

TEST_F(ChartShapeTest, TextThatWouldVanishInTheFillTurnsWhiteOrBlack) {
    FShape->Text()->Add("abc");
    FShape->Text()->Add("de");
    struct Case {
        TColor Brush, Font, Shown;
    };
    for (const Case& c : std::vector<Case>{{clBlack, clBlack, clWhite},
                                           {clRed, clRed, clBlack},
                                           {clWhite, clBlack, clBlack},
                                           {clYellow, clBlue, clBlue}}) {
        FShape->Brush()->SetColor(c.Brush);
        FShape->Font()->SetColor(c.Font);
        const auto picture = Draw();
        std::vector<TMetafileRecord> texts;
        for (const TMetafileRecord& r : RecordsOf(*picture, TK::mrText))
            if (r.Text == "abc" || r.Text == "de")
                texts.push_back(r);
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[0].TextColor, c.Shown);
        // Two centred lines, one below the other.
        EXPECT_GT(texts[1].Points[0].Y, texts[0].Points[0].Y);
        const TRect r = FShape->ShapeBounds();
        EXPECT_LT(texts[0].Points[0].X, (r.Left + r.Right) / 2);
    }
    // Text beside the outline keeps the pen width and 4 pixels from it, whether the pen is
    // drawn or not.
    FShape->Pen()->SetWidth(3);
    std::vector<int> rightStarts;
    for (bool penShown : {true, false}) {
        FShape->Pen()->SetVisible(penShown);
        FShape->SetAlignment(taLeftJustify);
        auto picture = Draw();
        for (const TMetafileRecord& r : RecordsOf(*picture, TK::mrText))
            if (r.Text == "de") {
                EXPECT_EQ(r.Points[0].X, FShape->ShapeBounds().Left + 3 + 4) << penShown;
            }
        FShape->SetAlignment(taRightJustify);
        picture = Draw();
        for (const TMetafileRecord& r : RecordsOf(*picture, TK::mrText))
            if (r.Text == "abc")
                rightStarts.push_back(r.Points[0].X);
    }
    ASSERT_EQ(rightStarts.size(), 2u);
    EXPECT_EQ(rightStarts[0], rightStarts[1]);
    EXPECT_LT(rightStarts[0], FShape->ShapeBounds().Right - 3 - 4);
}

TEST_F(ChartShapeTest, HitTestsFollowTheShape) {
    FShape->SetXYStyle(xysPixels);
    FShape->SetX0(100);
    FShape->SetY0(100);
    FShape->SetX1(200);
    FShape->SetY1(200);
    struct Case {
        TChartShapeStyle Style;
        TPoint At;
        int Expected;
    };
    const std::vector<Case> cases = {
        {chasCircle, {150, 150}, 0},         {chasCircle, {102, 102}, -1},
        {chasRectangle, {102, 102}, 0},      {chasRectangle, {250, 150}, -1},
        {chasTriangle, {150, 190}, 0},       {chasTriangle, {105, 105}, -1},
        {chasInvertTriangle, {105, 105}, 0}, {chasInvertTriangle, {110, 190}, -1},
        {chasDiamond, {150, 150}, 0},        {chasDiamond, {103, 103}, -1},
        {chasVertLine, {150, 120}, 0},       {chasVertLine, {120, 120}, -1},
        {chasHorizLine, {120, 150}, 0},      {chasLine, {150, 150}, 0},
        {chasLine, {150, 120}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.Style) << " at " << c.At.X << "," << c.At.Y);
        FShape->SetStyle(c.Style);
        EXPECT_EQ(FShape->ValueIndexAt(c.At.X, c.At.Y), c.Expected);
    }
}

TEST_F(ChartShapeTest, ThePublishedPointsWriteTheValueLists) {
    SetFloatProp(FShape, GetPropInfo(FShape, "X1"), 55.5);
    SetFloatProp(FShape, GetPropInfo(FShape, "Y0"), -3);
    EXPECT_EQ(FShape->XValues()->ValueAt(1), 55.5);
    EXPECT_EQ(FShape->YValues()->ValueAt(0), -3);
    EXPECT_EQ(GetFloatProp(FShape, GetPropInfo(FShape, "X1")), 55.5);
    // The series colour and the brush colour are one.
    FShape->SetSeriesColor(clTeal);
    EXPECT_EQ(FShape->Brush()->Color(), clTeal);
    FShape->Brush()->SetColor(clNavy);
    EXPECT_EQ(FShape->SeriesColor(), clNavy);
}

TEST_F(ChartShapeTest, ClonesCopyTheShapeAndOnlyShapesCopyIn) {
    FShape->SetStyle(chasStar);
    FShape->SetRoundRectangle(true);
    FShape->SetTransparent(true);
    FShape->SetXYStyle(xysPixels);
    FShape->SetAlignment(taRightJustify);
    FShape->Text()->Add("x");
    FShape->Brush()->SetColor(clLime);
    FShape->SetX1(42);
    auto* clone = dynamic_cast<TChartShape*>(CloneChartSeries(FShape));
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->Style(), chasStar);
    EXPECT_TRUE(clone->RoundRectangle());
    EXPECT_TRUE(clone->Transparent());
    EXPECT_EQ(clone->XYStyle(), xysPixels);
    EXPECT_EQ(clone->Alignment(), taRightJustify);
    EXPECT_EQ(clone->Text()->Text(), FShape->Text()->Text());
    EXPECT_EQ(clone->Brush()->Color(), clLime);
    EXPECT_EQ(clone->Count(), 2);
    EXPECT_EQ(clone->X1(), 42);

    TFastLineSeries line(nullptr);
    EXPECT_FALSE(FShape->CanCopyFrom(&line));
    EXPECT_FALSE(FShape->CanCopyFrom(FShape));
    EXPECT_TRUE(FShape->CanCopyFrom(clone));
}

TEST_F(ChartShapeTest, TheGalleryListsShapesAndPreparesTwoOfThem) {
    RegisterChartShape();
    RegisterChartShape();
    int entries = 0;
    for (int i = 0; i < ChartSeriesTypes()->Count(); ++i)
        entries += ChartSeriesTypes()->GetItem(i)->SeriesClass == TChartShape::StaticClass();
    EXPECT_EQ(entries, 1);
    const TChartSeriesType* type = ChartSeriesTypes()->Find(TChartShape::StaticClass(), nullptr);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->Description, "Shape");
    EXPECT_EQ(type->GalleryPage, "Standard");
    EXPECT_EQ(type->NumGallerySeries, 2);
    ASSERT_NE(FindClass("TChartShape"), nullptr);

    auto* second = new TChartShape(FChart.get());
    second->SetParentChart(FChart.get());
    FShape->PrepareForGallery(true);
    second->PrepareForGallery(true);
    EXPECT_EQ(FShape->Style(), chasTriangle);
    EXPECT_EQ(FShape->Brush()->Color(), clRed);
    EXPECT_EQ(FShape->Text()->Get(0), "123");
    EXPECT_EQ(second->Style(), chasCircle);
    EXPECT_EQ(second->Brush()->Color(), clBlue);
    EXPECT_EQ(second->Text()->Get(0), "abc");
    EXPECT_EQ(second->Font()->Color(), clWhite);
    EXPECT_EQ(second->Font()->Size(), 14);
    EXPECT_EQ(second->Count(), 2);
    second->PrepareForGallery(false);
    EXPECT_EQ(second->Brush()->Color(), clSilver);
}
