#pragma once
// The shape series: one geometric shape (rectangle, ellipse, lines, triangles, diamond,
// cube, crosses, star, pyramids) with lines of text inside, spanning the rectangle between
// its two points. Pelmora creates none itself; the type is registered for the chart
// editor's series gallery and streams, copies and draws like every other series.

#include "chart/Chart.h"
#include "chart/ChartCanvas.h"
#include "chart/ChartEngine.h"
#include "framework/core/Classes.h"
#include "framework/core/TypeInfo.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Types.h"

#include <memory>
#include <string>

enum TChartShapeStyle {
    chasRectangle,
    chasCircle,
    chasVertLine,
    chasHorizLine,
    chasTriangle,
    chasInvertTriangle,
    chasLine,
    chasDiamond,
    chasCube,
    chasCross,
    chasDiagCross,
    chasStar,
    chasPyramid,
    chasInvertPyramid
};
const TTypeInfo* TypeInfoTChartShapeStyle();

// How the two points become pixels: as pixels, through the axes, or point 0 through the
// axes and point 1 a size in pixels.
enum TChartShapeXYStyle { xysPixels, xysAxis, xysAxisOrigin };
const TTypeInfo* TypeInfoTChartShapeXYStyle();

class TChartShape : public TChartSeries {
    ORV_CLASS(TChartShape, TChartSeries)

    // A white ellipse from (0, 0) to (100, 100) through the axes.
    explicit TChartShape(TComponent* owner);
    ~TChartShape() override;
    static void Publish(TPublisher<TChartShape>& p);
    // The shape's own settings from another shape series, then the base's part.
    void AssignFrom(const TPersistent* source) override;

    // Draws the shape and its text for point 0 of a series of exactly two points.
    void DrawValue(int index) override;
    bool SharesDepth() const override { return false; }
    // The brush takes the colour.
    void SetSeriesColor(TColor value) override;
    void FillSampleValues(int count) override;
    bool CanCopyFrom(TChartSeries* source) const override;
    void PrepareForGallery(bool keepColor) override;
    std::string EditorClassName() const override { return "TChartShapeEditor"; }
    // 0 when the chart pixel hits the shape, else -1.
    int ValueIndexAt(int x, int y) override;
    // Takes a depth of its own only when it is drawn against the axes.
    void CalcZOrder() override;
    // The shape in 2-D in the legend's symbol rectangle.
    void DrawLegendShape(int legendIndex, const TRect& r) override;
    bool UsesAxes() const override { return FXYStyle != xysPixels; }
    // The shape's rectangle in pixels, normalised and at least one pixel high and wide.
    virtual TRect ShapeBounds() const;

    // ---- Properties
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    TChartBrush* Brush() const { return FBrush.get(); }
    void SetBrush(const TChartBrush* value) { FBrush->AssignFrom(value); }
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* value) { FFont->AssignFrom(value); }
    TChartPen* Pen() const { return FPen.get(); }
    void SetPen(const TChartPen* value) { FPen->AssignFrom(value); }
    bool RoundRectangle() const { return FRoundRectangle; }
    void SetRoundRectangle(bool value) { SetBooleanProperty(FRoundRectangle, value); }
    TChartShapeStyle Style() const { return FStyle; }
    void SetStyle(TChartShapeStyle value);
    TStrings* Text() const { return FText.get(); }
    void SetText(const TStrings* value) { FText->Assign(*value); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value) { SetBooleanProperty(FTransparent, value); }
    TChartShapeXYStyle XYStyle() const { return FXYStyle; }
    void SetXYStyle(TChartShapeXYStyle value);
    // The two points; 0 for a point the series does not hold.
    double X0() const { return PointValue(true, 0); }
    void SetX0(double value) { SetPointValue(true, 0, value); }
    double Y0() const { return PointValue(false, 0); }
    void SetY0(double value) { SetPointValue(false, 0, value); }
    double X1() const { return PointValue(true, 1); }
    void SetX1(double value) { SetPointValue(true, 1, value); }
    double Y1() const { return PointValue(false, 1); }
    void SetY1(double value) { SetPointValue(false, 1, value); }

private:
    double PointValue(bool isX, int index) const;
    void SetPointValue(bool isX, int index, double value);
    void PartChanged(TObject* sender);
    void BrushChanged(TObject* sender);
    // The canvas' pen and brush for the shape.
    void PrepareCanvas(TChartCanvas3D* canvas);
    void DrawShape(TChartCanvas3D* canvas, bool is3D, const TRect& r);
    void DrawText(TChartCanvas3D* canvas, bool is3D, const TRect& r);

    TAlignment FAlignment = taCenter;
    std::unique_ptr<TChartBrush> FBrush;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TChartPen> FPen;
    bool FRoundRectangle = false;
    TChartShapeStyle FStyle = chasCircle;
    std::unique_ptr<TStringList> FText;
    bool FTransparent = false;
    TChartShapeXYStyle FXYStyle = xysAxis;
};

// Registers TChartShape for the series gallery ("Shape" on the page "Standard", two gallery
// series) and with the class registry. Called at start-up; a second call does nothing.
void RegisterChartShape();
