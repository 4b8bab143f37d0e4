#include "chart/ChartCanvas.h"
#include "chart/tests/ChartTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

class ChartCanvasTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTestApplication(); }

    // A frame drawn straight onto the recording canvas (no buffer), view centre at the
    // middle of a 400 x 200 chart rectangle, depth 100.
    void BeginFlatFrame(bool is3D) {
        Canvas.WriteBuffered(false);
        Canvas.BeginFrame(&Target, &Options, clWhite, is3D, TRect(0, 0, 400, 200));
        Canvas.SetViewCentre(100, TRect(0, 0, 400, 200), TRect(0, 0, 400, 200));
    }

    TRecordingCanvas Target;
    TView3DOptions Options;
    TChartCanvas3D Canvas;
};

TEST_F(ChartCanvasTest, OrthogonalDepthMovesRightAndUpScaledByZoomWithHalvesToEven) {
    struct {
        int Zoom;
        int X, Y, Z;
        TPoint Expected;
    } cases[] = {
        {100, 10, 20, 30, {40, -10}},   // (10-200+30, 20-100-30) + centre
        {100, 200, 100, 0, {200, 100}}, // the centre stays
        {50, 10, 20, 30, {120, 45}},    // -160 * 0.5, -110 * 0.5
        {50, 195, 100, 0, {198, 100}},  // -5 * 0.5 = -2.5 rounds to -2 (even)
        {50, 193, 100, 0, {196, 100}},  // -7 * 0.5 = -3.5 rounds to -4 (even)
    };
    for (const auto& c : cases) {
        Options.SetZoom(c.Zoom);
        BeginFlatFrame(true);
        EXPECT_EQ(Canvas.SpaceToScreen(c.X, c.Y, c.Z), c.Expected) << c.Zoom << " " << c.X;
    }
    Options.SetZoom(100);
    Options.SetHorizOffset(7);
    Options.SetVertOffset(-3);
    BeginFlatFrame(true);
    EXPECT_EQ(Canvas.SpaceToScreen(200, 100, 0), TPoint(207, 97));
}

TEST_F(ChartCanvasTest, FlatFrameLeavesPointsUnchanged) {
    BeginFlatFrame(false);
    EXPECT_EQ(Canvas.SpaceToScreen(13, 17, 50), TPoint(13, 17));
}

TEST_F(ChartCanvasTest, RotationCoefficientsFollowTheViewAngles) {
    Options.SetOrthogonal(false);
    Options.SetPerspective(0);
    BeginFlatFrame(true);
    const auto& c = Canvas.Coefficients();
    // Rotation 345, elevation 345, tilt 0.
    EXPECT_NEAR(double(c.S), std::sin(345 * M_PI / 180), 1e-12);
    EXPECT_NEAR(double(c.E), std::cos(345 * M_PI / 180) * std::sin(345 * M_PI / 180), 1e-12);
    EXPECT_NEAR(c.C72, 0, 1e-12);
    EXPECT_NEAR(c.C80, 0.9659258262890683, 1e-12);
    EXPECT_NEAR(c.C88, 0.9330127018922194, 1e-12);
    EXPECT_NEAR(c.C96, 0.9659258262890683, 1e-12);
    EXPECT_NEAR(c.C104, 0.0669872981077807, 1e-12);
    EXPECT_NEAR(c.C112, 0.2588190451025207, 1e-12);
    EXPECT_NEAR(c.C120, -0.25, 1e-12);
    EXPECT_EQ(Canvas.PerspectiveFactor(), 0);

    // Rotation 90, elevation 0: depth becomes horizontal, and C96 is held at its floor.
    Options.SetRotation(90);
    Options.SetElevation(0);
    BeginFlatFrame(true);
    EXPECT_NEAR(Canvas.Coefficients().C96, 0.00001, 1e-15);
    EXPECT_NEAR(Canvas.Coefficients().C112, -1, 1e-12);
    // dx = 0, dy = 0, dz = 80 - 50: X = -30 + 200.
    EXPECT_EQ(Canvas.SpaceToScreen(200, 100, 80), TPoint(170, 100));
}

TEST_F(ChartCanvasTest, PerspectiveOnlyWhenPositive) {
    Options.SetOrthogonal(false);
    Options.SetPerspective(35);
    BeginFlatFrame(true);
    EXPECT_DOUBLE_EQ(Canvas.PerspectiveFactor(), 35 / 35000.0);
    const TPoint withPerspective = Canvas.SpaceToScreen(380, 20, 90);

    Options.SetPerspective(0);
    BeginFlatFrame(true);
    EXPECT_EQ(Canvas.PerspectiveFactor(), 0);
    EXPECT_NE(Canvas.SpaceToScreen(380, 20, 90), withPerspective);
}

TEST_F(ChartCanvasTest, ScreenToSpaceInvertsTheProjection) {
    // Rotated views invert exactly when there is no rotation about the vertical axis
    // (the inverse takes the screen X for the space X).
    Options.SetRotation(0);
    Options.SetElevation(30);
    for (bool orthogonal : {true, false}) {
        Options.SetOrthogonal(orthogonal);
        Options.SetPerspective(0);
        Options.SetZoom(80);
        BeginFlatFrame(true);
        for (TPoint p : {TPoint(10, 20), TPoint(350, 180), TPoint(200, 100)}) {
            const int z = 40;
            TPoint s = Canvas.SpaceToScreen(p.X, p.Y, z);
            int x = s.X, y = s.Y;
            Canvas.ScreenToSpace(x, y, z);
            EXPECT_NEAR(x, p.X, 1) << orthogonal;
            EXPECT_NEAR(y, p.Y, 1) << orthogonal;
        }
    }
}

TEST_F(ChartCanvasTest, GradientBandsAreAtMost256AndRunFromStartAtBottom) {
    BeginFlatFrame(false);
    struct {
        TRect R;
        TGradientDirection Direction;
        size_t Bands;
    } cases[] = {
        {TRect(0, 0, 50, 1000), gdTopBottom, 256}, {TRect(0, 0, 50, 10), gdTopBottom, 10},
        {TRect(0, 0, 50, 10), gdBottomTop, 10},    {TRect(0, 0, 300, 5), gdLeftRight, 256},
        {TRect(20, 10, 0, 0), gdTopBottom, 10}, // normalised first
    };
    for (const auto& c : cases) {
        Target.Calls.clear();
        Canvas.FillGradient(c.R, clBlack, RGB(255, 0, 0), c.Direction);
        EXPECT_EQ(Target.OfKind(TDrawCall::dcPatBlt).size(), c.Bands);
    }

    Target.Calls.clear();
    Canvas.FillGradient(TRect(0, 0, 50, 10), clBlack, RGB(90, 0, 0), gdTopBottom);
    auto bands = Target.OfKind(TDrawCall::dcPatBlt);
    ASSERT_EQ(bands.size(), 10u);
    EXPECT_EQ(bands[0].Rect, TRect(0, 9, 50, 10)); // start colour at the bottom edge
    EXPECT_EQ(bands[0].BrushColor, clBlack);
    EXPECT_EQ(bands[9].Rect, TRect(0, 0, 50, 1));
    EXPECT_EQ(bands[9].BrushColor, RGB(90, 0, 0));
    EXPECT_EQ(bands[3].BrushColor, RGB(30, 0, 0)); // MulDiv(3, 90, 9)

    Target.Calls.clear();
    Canvas.FillGradient(TRect(0, 0, 4, 10), clBlack, RGB(0, 0, 255), gdLeftRight);
    bands = Target.OfKind(TDrawCall::dcPatBlt);
    ASSERT_EQ(bands.size(), 4u);
    EXPECT_EQ(bands[0].Rect, TRect(3, 0, 4, 10)); // start colour at the right edge
    EXPECT_EQ(bands[0].BrushColor, clBlack);
    EXPECT_EQ(bands[3].BrushColor, RGB(0, 0, 255));
}

TEST_F(ChartCanvasTest, GradientOfOneBandOrZeroScaleUsesTheStartColour) {
    BeginFlatFrame(false);
    const TColor start = RGB(10, 20, 30);
    for (auto [r, direction] :
         {std::pair{TRect(0, 0, 80, 1), gdTopBottom}, std::pair{TRect(0, 0, 1, 80), gdLeftRight},
          std::pair{TRect(0, 0, 1, 1), gdFromCenter},
          std::pair{TRect(0, 0, 1, 1), gdFromTopLeft}}) {
        Target.Calls.clear();
        Canvas.FillGradient(r, start, clWhite, direction);
        auto bands = Target.OfKind(TDrawCall::dcPatBlt);
        ASSERT_FALSE(bands.empty()) << direction;
        for (const auto& band : bands)
            EXPECT_EQ(band.BrushColor, start) << direction;
    }
}

TEST_F(ChartCanvasTest, GradientKeepsTheCanvasBrush) {
    BeginFlatFrame(false);
    Target.Brush()->SetColor(clLime);
    Target.Brush()->SetStyle(bsCross);
    Canvas.FillGradient(TRect(0, 0, 30, 30), clBlack, clWhite, gdFromCenter);
    EXPECT_EQ(Target.Brush()->Color(), clLime);
    EXPECT_EQ(Target.Brush()->Style(), bsCross);
}

TEST_F(ChartCanvasTest, RotatedTextTurnsByTheAngleAndZoomsOnlyWhenAsked) {
    BeginFlatFrame(false);
    Target.Font()->SetSize(8);
    const int height = Target.Font()->Height();
    Canvas.DrawRotatedText(5, 6, "a", 450);
    auto texts = Target.OfKind(TDrawCall::dcText);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Escapement, 900);
    EXPECT_EQ(texts[0].BrushStyle, bsClear);
    EXPECT_EQ(Target.Font()->Escapement(), 0); // restored

    // Zoom 100 %: the font is used as it is.
    Options.SetZoom(100);
    BeginFlatFrame(true);
    Target.Calls.clear();
    Canvas.DrawTextAtDepth(10, 10, 0, "b");
    EXPECT_EQ(Target.OfKind(TDrawCall::dcText).at(0).FontHeight, height);

    // Zoom 200 %: a font of twice the size for the text, then the old one again.
    Options.SetZoom(200);
    BeginFlatFrame(true);
    Target.Calls.clear();
    Canvas.DrawTextAtDepth(10, 10, 0, "b");
    EXPECT_EQ(Target.OfKind(TDrawCall::dcText).at(0).FontHeight, -MulDiv(16, 96, 72));
    EXPECT_EQ(Target.Font()->Height(), height);

    // Without zoomed text, no change.
    Options.SetZoomText(false);
    BeginFlatFrame(true);
    Target.Calls.clear();
    Canvas.DrawTextAtDepth(10, 10, 0, "b");
    EXPECT_EQ(Target.OfKind(TDrawCall::dcText).at(0).FontHeight, height);
}

TEST_F(ChartCanvasTest, ChartPenChoosesClearAlternateOrPlainPen) {
    BeginFlatFrame(false);
    TChartPen pen;
    pen.SetColor(clRed);
    pen.SetSmallDots(true);
    Canvas.UseChartPen(&pen);
    EXPECT_TRUE(Target.Pen()->CosmeticAlternate());
    EXPECT_EQ(Target.Pen()->Color(), clRed);

    pen.SetWidth(2); // a small-dots pen of width 2 draws as a normal pen
    Canvas.UseChartPen(&pen);
    EXPECT_FALSE(Target.Pen()->CosmeticAlternate());
    EXPECT_EQ(Target.Pen()->Width(), 2);

    TChartHiddenPen hidden;
    Canvas.UseChartPen(&hidden);
    EXPECT_EQ(Target.Pen()->Style(), psClear);
}

TEST_F(ChartCanvasTest, PenClassesCarryTheirDefaultsAndCopyVisibility) {
    EXPECT_FALSE(TChartHiddenPen().Visible());
    EXPECT_EQ(TDottedGrayPen().Color(), clGray);
    EXPECT_EQ(TDottedGrayPen().Style(), psDot);
    EXPECT_EQ(TChartAxisPen().Width(), 2);
    EXPECT_EQ(TChartArrowPen().Color(), clWhite);
    EXPECT_EQ(TChartBrush().Color(), clAutoColor);

    int changes = 0;
    TChartPen pen([&](TObject*) { ++changes; });
    pen.SetVisible(true); // unchanged: no notification
    EXPECT_EQ(changes, 0);
    pen.SetVisible(false);
    EXPECT_EQ(changes, 1);
    TChartPen copy;
    copy.AssignFrom(&pen);
    EXPECT_FALSE(copy.Visible());
}

TEST_F(ChartCanvasTest, ZoomCallbackGetsTheNewValueBeforeItIsStored) {
    TFakePanel panel;
    TView3DOptions options(&panel);
    int calls = 0;
    options.SetOnChangedZoom([&](int zoom) {
        ++calls;
        EXPECT_EQ(zoom, 150);
        EXPECT_EQ(options.Zoom(), 100);
    });
    options.SetZoom(100);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(panel.Repaints, 0);
    options.SetZoom(150);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(options.Zoom(), 150);
    EXPECT_EQ(panel.Repaints, 1);

    std::vector<bool> scrolled;
    options.SetOnScrolled([&](bool horizontal) { scrolled.push_back(horizontal); });
    options.SetHorizOffset(5);
    options.SetVertOffset(5);
    options.SetVertOffset(5);
    EXPECT_EQ(scrolled, (std::vector<bool>{true, false}));
}

TEST_F(ChartCanvasTest, BevelFrameDrawsTopLeftThenBottomRightAndShrinks) {
    BeginFlatFrame(false);
    TRect r(0, 0, 10, 10);
    Canvas.DrawBevelFrame(r, clWhite, clGray, 1);
    auto lines = Target.OfKind(TDrawCall::dcLine);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].Points, (std::vector<TPoint>{{0, 9}, {0, 0}}));
    EXPECT_EQ(lines[0].PenColor, clWhite);
    EXPECT_EQ(lines[1].Points, (std::vector<TPoint>{{0, 0}, {9, 0}}));
    EXPECT_EQ(lines[2].Points, (std::vector<TPoint>{{9, 0}, {9, 9}}));
    EXPECT_EQ(lines[2].PenColor, clGray);
    EXPECT_EQ(lines[3].Points, (std::vector<TPoint>{{9, 9}, {-1, 9}}));
    EXPECT_EQ(r, TRect(1, 1, 8, 8));
}

TEST_F(ChartCanvasTest, BoxDrawsFrontVisibleSideAndTopWithDarkenedFaces) {
    Options.SetZoom(100);
    BeginFlatFrame(true); // orthogonal: depth moves right and up
    Target.Brush()->SetColor(RGB(200, 150, 100));
    Target.Brush()->SetStyle(bsSolid);
    Canvas.DrawBox(10, 50, 20, 80, 0, 30, true);
    auto faces = Target.OfKind(TDrawCall::dcPolygon);
    ASSERT_EQ(faces.size(), 3u);
    EXPECT_EQ(faces[0].BrushColor, RGB(200, 150, 100));
    // The side at the right edge: its far edge projects further right.
    EXPECT_EQ(faces[1].Points[0], Canvas.SpaceToScreen(50, 20, 0));
    EXPECT_EQ(faces[1].BrushColor, RGB(72, 22, 0));
    EXPECT_EQ(faces[2].BrushColor, RGB(136, 86, 36));
    EXPECT_EQ(Target.Brush()->Color(), RGB(200, 150, 100));
}

TEST_F(ChartCanvasTest, DarkenColorStopsAtZeroAndResolvesSystemColours) {
    EXPECT_EQ(DarkenColor(RGB(100, 200, 50), 64), RGB(36, 136, 0));
    EXPECT_EQ(DarkenColor(RGB(64, 64, 64), 64), RGB(0, 0, 0));
    EXPECT_EQ(DarkenColor(clBtnFace, 0), ColorToRGB(clBtnFace));
}

TEST_F(ChartCanvasTest, RectCentreTruncatesTowardZero) {
    int x, y;
    RectCentre(TRect(-5, -3, 0, 0), x, y);
    EXPECT_EQ(x, -2);
    EXPECT_EQ(y, -1);
}

TEST_F(ChartCanvasTest, BufferIsReusedWhileTheSizeStaysAndCopiedAtTheOrigin) {
    TBitmap dest(60, 40);
    dest.Canvas()->Brush()->SetColor(clWhite);
    dest.Canvas()->FillRect(TRect(0, 0, 60, 40));
    TRect r = Canvas.BeginFrame(dest.Canvas(), &Options, clWhite, false, TRect(5, 5, 25, 15));
    EXPECT_EQ(r, TRect(0, 0, 20, 10));
    TBitmap* buffer = Canvas.Buffer();
    ASSERT_NE(buffer, nullptr);
    Canvas.Brush()->SetColor(clRed);
    Canvas.Brush()->SetStyle(bsSolid);
    Canvas.FillRectangle(r);
    EXPECT_TRUE(Canvas.BufferDirty());
    Canvas.EndFrame(dest.Canvas(), dest.Canvas(), TPoint(5, 5));
    EXPECT_FALSE(Canvas.BufferDirty());
    EXPECT_EQ(dest.Canvas()->Pixels(4, 4), clWhite);
    EXPECT_EQ(dest.Canvas()->Pixels(5, 5), clRed);
    EXPECT_EQ(dest.Canvas()->Pixels(24, 14), clRed);
    EXPECT_EQ(dest.Canvas()->Pixels(25, 15), clWhite);
    EXPECT_TRUE(Canvas.RestoreFromBuffer());
    Canvas.MarkBufferDirty();
    EXPECT_FALSE(Canvas.RestoreFromBuffer());

    Canvas.BeginFrame(dest.Canvas(), &Options, clWhite, false, TRect(5, 5, 25, 15));
    EXPECT_EQ(Canvas.Buffer(), buffer);
    Canvas.EndFrame(dest.Canvas(), dest.Canvas(), TPoint(0, 0));
    Canvas.WriteMonochrome(true); // a new monochrome buffer next time
    EXPECT_EQ(Canvas.Buffer(), nullptr);
}

TEST_F(ChartCanvasTest, EllipseAtDepthUsesThirtyTrianglesAndAnOutlineOf31Points) {
    Options.SetOrthogonal(false);
    BeginFlatFrame(true);
    Target.Brush()->SetStyle(bsSolid);
    Canvas.DrawEllipseAtDepth(100, 50, 200, 150, 10);
    EXPECT_EQ(Target.OfKind(TDrawCall::dcPolygon).size(), 30u);
    for (const auto& t : Target.OfKind(TDrawCall::dcPolygon))
        EXPECT_EQ(t.PenStyle, psClear);
    auto outline = Target.OfKind(TDrawCall::dcPolyline);
    ASSERT_EQ(outline.size(), 1u);
    EXPECT_EQ(outline[0].Points.size(), 31u);

    BeginFlatFrame(false);
    Target.Calls.clear();
    Canvas.DrawEllipseAtDepth(1, 2, 3, 4, 0);
    EXPECT_EQ(Target.OfKind(TDrawCall::dcEllipse).at(0).Rect, TRect(1, 2, 4, 5));
}

TEST_F(ChartCanvasTest, SolidPieSliceHas32ArcPointsInItsFrontFace) {
    Options.SetZoom(100);
    BeginFlatFrame(true);
    Target.Brush()->SetStyle(bsSolid);
    Canvas.DrawSolidPieSlice(200, 100, 50, 40, 0, M_PI, 0, 20, true);
    auto polygons = Target.OfKind(TDrawCall::dcPolygon);
    bool hasFront = false;
    for (const auto& p : polygons)
        hasFront = hasFront || p.Points.size() == 33u;
    EXPECT_TRUE(hasFront);
}

TEST_F(ChartCanvasTest, ArrowOfZeroLengthDrawsNothing) {
    BeginFlatFrame(false);
    Canvas.DrawArrow(true, TPoint(5, 5), TPoint(5, 5), 10, 8, 0);
    Canvas.DrawArrow(false, TPoint(5, 5), TPoint(5, 5), 10, 8, 0);
    EXPECT_TRUE(Target.Calls.empty());
    Canvas.DrawArrow(true, TPoint(0, 0), TPoint(100, 0), 10, 8, 0);
    auto polygons = Target.OfKind(TDrawCall::dcPolygon);
    ASSERT_EQ(polygons.size(), 1u);
    // The tip is To, the head's base 10 pixels back, 4 pixels to either side.
    EXPECT_NE(std::find(polygons[0].Points.begin(), polygons[0].Points.end(), TPoint(100, 0)),
              polygons[0].Points.end());
    EXPECT_NE(std::find(polygons[0].Points.begin(), polygons[0].Points.end(), TPoint(90, 4)),
              polygons[0].Points.end());
}

} // namespace

namespace {

// A zig-zag through every direction, in space, drawn at depth z on a fresh bitmap either
// as one polyline or segment by segment, under a rotated 3-D view with perspective.
std::vector<TColor> ZigZagAtDepth(bool asPolyline, int penWidth) {
    TView3DOptions options;
    options.SetOrthogonal(false);
    options.SetRotation(340);
    options.SetElevation(340);
    options.SetPerspective(30);
    TChartCanvas3D canvas;
    TBitmap target(400, 200);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 400, 200));
    canvas.WriteBuffered(false);
    canvas.BeginFrame(target.Canvas(), &options, clWhite, true, TRect(0, 0, 400, 200));
    canvas.SetViewCentre(100, TRect(0, 0, 400, 200), TRect(20, 20, 380, 180));
    canvas.Pen()->SetColor(clRed);
    canvas.Pen()->SetWidth(penWidth);
    std::vector<TPoint> points;
    for (int i = 0; i < 60; ++i)
        points.push_back(TPoint(20 + i * 6, 100 + int(70 * std::sin(i * 0.7)) * (i % 3 - 1)));
    points.push_back(points.back()); // a repeated point draws nothing more
    if (asPolyline) {
        canvas.DrawPolylineAtDepth(points.data(), int(points.size()), 40);
    } else {
        canvas.MovePenToSpace(points[0].X, points[0].Y, 40);
        for (size_t i = 1; i < points.size(); ++i)
            canvas.DrawLineToSpace(points[i].X, points[i].Y, 40);
    }
    // The pen ends at the last point either way: a line drawn on goes on from there.
    canvas.DrawLineToSpace(390, 10, 40);
    canvas.EndFrame(target.Canvas(), target.Canvas(), TPoint(0, 0));
    std::vector<TColor> pixels;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; ++x)
            pixels.push_back(target.Canvas()->Pixels(x, y));
    return pixels;
}

} // namespace

TEST_F(ChartCanvasTest, PolylineAtDepthDrawsTheSamePixelsAsItsSegments) {
    for (int width : {1, 3}) {
        const std::vector<TColor> segments = ZigZagAtDepth(false, width);
        const std::vector<TColor> polyline = ZigZagAtDepth(true, width);
        EXPECT_TRUE(segments == polyline) << "pen width " << width;
        EXPECT_GT(std::count(segments.begin(), segments.end(), clRed), 300) << width;
    }
}
