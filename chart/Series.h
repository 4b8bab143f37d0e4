#pragma once
// The standard series types: the fast line of long hourly series, lines, points and
// (stacked) areas with their pointer markers, vertical and horizontal bars (side by side
// or stacked), and the pie with its grouping of small slices.

#include "chart/ChartCanvas.h"
#include "chart/ChartConst.h"
#include "chart/ChartEngine.h"
#include "framework/core/Classes.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Types.h"

#include <memory>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Fast line

// All points as one line in one pen: no pointers, areas or point colours. Without
// AutoRepaint each added point is drawn at once instead of repainting the chart.
class TFastLineSeries : public TChartSeries {
    ORV_CLASS(TFastLineSeries, TChartSeries)

    explicit TFastLineSeries(TComponent* owner);
    ~TFastLineSeries() override;
    static void Publish(TPublisher<TFastLineSeries>& p);
    // AutoRepaint and LinePen, then the base's part.
    void AssignFrom(const TPersistent* source) override;

    void DrawAllValues() override;
    void DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) override;
    void DrawValue(int index) override;
    void NotifyValueAdded(int index) override;
    void SetSeriesColor(TColor value) override;
    std::string EditorClassName() const override { return "TFastLineSeriesEditor"; }
    int ValueIndexAt(int x, int y) override;
    void DrawLegendShape(int legendIndex, const TRect& r) override;
    // The pen's colour becomes SeriesColor; the canvas takes the pen and a clear brush.
    void PrepareCanvas();

    bool AutoRepaint() const { return FAutoRepaint; }
    void SetAutoRepaint(bool value) { FAutoRepaint = value; }
    TChartPen* LinePen() const { return FLinePen.get(); }
    // Copies the pen; SeriesColor takes its colour.
    void SetLinePen(const TChartPen* value);

private:
    void PenChanged(TObject* sender);
    // The pen moves to (or draws to) a point at depth z; while all values are drawn, the
    // connected points are gathered and drawn as one polyline.
    void MoveToPoint(int x, int y, int z);
    void LineToPoint(int x, int y, int z);
    void FlushRun();

    bool FAutoRepaint = true;
    std::unique_ptr<TChartPen> FLinePen;
    int FLastX = 0;
    int FLastY = 0;
    bool FGathering = false;
    int FRunZ = 0;
    std::vector<TPoint> FRun;
};

// ---------------------------------------------------------------------------
// Pointers

enum TSeriesPointerStyle {
    psRectangle,
    psCircle,
    psTriangle,
    psDownTriangle,
    psCross,
    psDiagCross,
    psStar,
    psDiamond,
    psSmallDot
};
const TTypeInfo* TypeInfoTSeriesPointerStyle();

// The marker drawn at each point of a line, point or area series.
class TSeriesPointer : public TPersistent {
    ORV_CLASS(TSeriesPointer, TPersistent)

    explicit TSeriesPointer(TChartSeries* series = nullptr);
    ~TSeriesPointer() override;
    static void Publish(TPublisher<TSeriesPointer>& p);
    void AssignFrom(const TPersistent* source) override;

    // The shape centred at (x, y) with half sizes vertSize and horizSize; in 3-D at the
    // series' start depth (solid shapes reach its end depth).
    void Draw(bool is3D, int x, int y, TSeriesPointerStyle style, TColor color, int vertSize,
              int horizSize);
    // With the chart's View3D and the pointer's own sizes.
    void DrawAt(int x, int y, TSeriesPointerStyle style, TColor color);
    // Canvas pen and brush for a point of the colour (automatic colours take it).
    void PrepareCanvas(TColor color);
    // Room for the pointer at the two ends of the axes (InflateMargins).
    void HorizMargins(int& left, int& right) const;
    void VertMargins(int& top, int& bottom) const;
    void DrawLegendSymbol(TColor color, const TRect& r, bool small);

    TChartBrush* Brush() const { return FBrush.get(); }
    void SetBrush(const TChartBrush* value) { FBrush->AssignFrom(value); }
    bool Dark3D() const { return FDark3D; }
    void SetDark3D(bool value) { SetBooleanValue(FDark3D, value); }
    bool Draw3D() const { return FDraw3D; }
    void SetDraw3D(bool value) { SetBooleanValue(FDraw3D, value); }
    int HorizSize() const { return FHorizSize; }
    // Raises ChartException below 1.
    void SetHorizSize(int value);
    bool InflateMargins() const { return FInflateMargins; }
    void SetInflateMargins(bool value) { SetBooleanValue(FInflateMargins, value); }
    TChartPen* Pen() const { return FPen.get(); }
    void SetPen(const TChartPen* value) { FPen->AssignFrom(value); }
    TSeriesPointerStyle Style() const { return FStyle; }
    void SetStyle(TSeriesPointerStyle value);
    int VertSize() const { return FVertSize; }
    // Raises ChartException below 1.
    void SetVertSize(int value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value) { SetBooleanValue(FVisible, value); }
    bool SizeEditable() const { return FSizeEditable; }
    void SetSizeEditable(bool value) { FSizeEditable = value; }
    TChartSeries* Series() const { return FSeries; }

private:
    void SetBooleanValue(bool& field, bool value);
    void Repaint();
    void PartChanged(TObject* sender);

    TChartSeries* FSeries;
    bool FDark3D = true;
    bool FDraw3D = true;
    std::unique_ptr<TChartBrush> FBrush;
    int FHorizSize = 4;
    bool FInflateMargins = true;
    std::unique_ptr<TChartPen> FPen;
    TSeriesPointerStyle FStyle = psRectangle;
    int FVertSize = 4;
    bool FVisible = true;
    bool FSizeEditable = true;
};

// ---------------------------------------------------------------------------
// Lines, points and areas

// Series, point index, x, y.
using TSeriesClickPointerEvent = TEvent<void(TChartSeries*, int, int, int)>;
using TOnGetPointerStyle = TEvent<TSeriesPointerStyle(TChartSeries*, int)>;

// Points joined by lines, optionally filled down to a baseline and marked by pointers.
class TCustomSeries : public TChartSeries {
    ORV_CLASS(TCustomSeries, TChartSeries)

    explicit TCustomSeries(TComponent* owner);
    ~TCustomSeries() override;
    static void Publish(TPublisher<TCustomSeries>& p);
    void AssignFrom(const TPersistent* source) override;

    void DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) override;
    void DrawValue(int index) override;
    std::string EditorClassName() const override { return "TCustomSeriesEditor"; }
    int ValueIndexAt(int x, int y) override;
    void DrawLegendShape(int legendIndex, const TRect& r) override;
    void HorizMargins(int& left, int& right) override;
    void VertMargins(int& top, int& bottom) override;
    // The click at (x, y) hits the pointer at (px, py).
    virtual bool PointerHit(int index, int x, int y, int px, int py);
    virtual void DrawPointer(int x, int y, int index, TColor color);
    // The baseline pixel of point index.
    virtual int AreaBottomPos(int index);

    // The colour areas of a point of colour c are filled with.
    TColor AreaColorOf(TColor color) const;

    TBrushStyle AreaBrush() const { return FAreaBrush; }
    void SetAreaBrush(TBrushStyle value);
    TColor AreaColor() const { return FAreaColor; }
    void SetAreaColor(TColor value) { SetColorProperty(FAreaColor, value); }
    TChartPen* AreaLinesPen() const { return FAreaLinesPen.get(); }
    void SetAreaLinesPen(const TChartPen* value) { FAreaLinesPen->AssignFrom(value); }
    bool Dark3D() const { return FDark3D; }
    void SetDark3D(bool value) { SetBooleanProperty(FDark3D, value); }
    bool DrawArea() const { return FDrawArea; }
    void SetDrawArea(bool value) { SetBooleanProperty(FDrawArea, value); }
    bool InvertedStairs() const { return FInvertedStairs; }
    void SetInvertedStairs(bool value) { SetBooleanProperty(FInvertedStairs, value); }
    TBrushStyle LineBrush() const { return FLineBrush; }
    void SetLineBrush(TBrushStyle value);
    int LineHeight() const { return FLineHeight; }
    void SetLineHeight(int value) { SetIntegerProperty(FLineHeight, value); }
    TChartPen* LinePen() const { return FLinePen.get(); }
    void SetLinePen(const TChartPen* value) { FLinePen->AssignFrom(value); }
    TSeriesPointer* Pointer() const { return FPointer.get(); }
    void SetPointer(const TSeriesPointer* value) { FPointer->AssignFrom(value); }
    bool Stairs() const { return FStairs; }
    void SetStairs(bool value) { SetBooleanProperty(FStairs, value); }
    // The points are joined with a line.
    bool DrawLine() const { return FDrawLine; }
    void SetDrawLine(bool value) { SetBooleanProperty(FDrawLine, value); }
    // A click on a segment selects its first point.
    bool ClickableLine() const { return FClickableLine; }
    void SetClickableLine(bool value) { FClickableLine = value; }

    const TSeriesClickPointerEvent& OnClickPointer() const { return FOnClickPointer; }
    void SetOnClickPointer(TSeriesClickPointerEvent value) { FOnClickPointer = std::move(value); }
    const TOnGetPointerStyle& OnGetPointerStyle() const { return FOnGetPointerStyle; }
    void SetOnGetPointerStyle(TOnGetPointerStyle value) { FOnGetPointerStyle = std::move(value); }

protected:
    void PartChanged(TObject* sender);
    TSeriesPointerStyle PointerStyleAt(int index);

private:
    void DrawSegment(int x0, int y0, int b0, int x1, int y1, int b1, TColor color, int index,
                     bool withPointers, bool isLast);
    // The pixel of the point that enters the visible range from outside it.
    void PreviousOutside(int index, int x, int& px, int& py, int& pb);

    TBrushStyle FAreaBrush = bsSolid;
    TColor FAreaColor = clAutoColor;
    std::unique_ptr<TChartPen> FAreaLinesPen;
    bool FClickableLine = true;
    bool FDark3D = true;
    bool FDrawArea = false;
    bool FDrawLine = false;
    bool FInvertedStairs = false;
    TBrushStyle FLineBrush = bsSolid;
    int FLineHeight = 0;
    std::unique_ptr<TChartPen> FLinePen;
    std::unique_ptr<TSeriesPointer> FPointer;
    bool FStairs = false;
    TSeriesClickPointerEvent FOnClickPointer;
    TOnGetPointerStyle FOnGetPointerStyle;
    // Drawing state carried from one point to the next.
    int FPrevX = 0;
    int FPrevY = 0;
    int FPrevBottom = 0;
    TColor FPrevColor = clNone;
    int FBottomPos = 0;
    double FSteepness = 1.0;
    int FPrevIndex = -1;
};

// Points joined by a line, without markers.
class TLineSeries : public TCustomSeries {
    ORV_CLASS(TLineSeries, TCustomSeries)

    explicit TLineSeries(TComponent* owner);
    static void Publish(TPublisher<TLineSeries>& p);
    void AssignFrom(const TPersistent* source) override;
    void PrepareLegendCanvas(int legendIndex, TColor& backColor, TBrushStyle& brushStyle) override;
};

// Markers without a line.
class TPointSeries : public TCustomSeries {
    ORV_CLASS(TPointSeries, TCustomSeries)

    explicit TPointSeries(TComponent* owner);
    static void Publish(TPublisher<TPointSeries>& p);
    void AssignFrom(const TPersistent* source) override;
    void SetColorEachPoint(bool value) override;
    void PrepareForGallery(bool keepColor) override;
    std::string EditorClassName() const override { return "TSeriesPointerEditor"; }
};

enum TMultiArea { maNone, maStacked, maStacked100 };
const TTypeInfo* TypeInfoTMultiArea();

// A filled area down to the baseline, or stacked on the area series before it.
class TAreaSeries : public TCustomSeries {
    ORV_CLASS(TAreaSeries, TCustomSeries)

    explicit TAreaSeries(TComponent* owner);
    static void Publish(TPublisher<TAreaSeries>& p);
    void AssignFrom(const TPersistent* source) override;
    double MaxYValue() const override;
    double MinYValue() const override;
    std::string EditorClassName() const override { return "TAreaSeriesEditor"; }
    int CalcYPos(int index) const override;
    void CalcZOrder() override;
    void PrepareLegendCanvas(int legendIndex, TColor& backColor, TBrushStyle& brushStyle) override;
    int AreaBottomPos(int index) override;

    TMultiArea MultiArea() const { return FMultiArea; }
    // Also on every area series of the chart.
    void SetMultiArea(TMultiArea value);
    // The Y pixel of value v at point index, stacked on the series before this one.
    int StackedPixel(int index, double value) const;

private:
    TMultiArea FMultiArea = maNone;
};

// ---------------------------------------------------------------------------
// Bars

enum TBarStyle {
    bsRectangle,
    bsPyramid,
    bsInvPyramid,
    bsCilinder,
    bsEllipse,
    bsArrow,
    bsRectGradient
};
enum TMultiBar { mbNone, mbSide, mbStacked, mbStacked100 };
const TTypeInfo* TypeInfoTBarStyle();
const TTypeInfo* TypeInfoTMultiBar();

// Series, point index, style.
using TGetBarStyleEvent = TEvent<void(TChartSeries*, int, TBarStyle&)>;

// One bar per point from an origin to the value, side by side with or stacked on the
// other bar series of the chart.
class TCustomBarSeries : public TChartSeries {
    ORV_CLASS(TCustomBarSeries, TChartSeries)

    explicit TCustomBarSeries(TComponent* owner);
    ~TCustomBarSeries() override;
    static void Publish(TPublisher<TCustomBarSeries>& p);
    void AssignFrom(const TPersistent* source) override;

    int NumSampleValues() const override { return 6; }
    // The bar width is computed for the frame.
    void DoBeforeDrawValues() override;
    void PrepareForGallery(bool keepColor) override;
    std::string EditorClassName() const override { return "TBarSeriesEditor"; }
    int ValueIndexAt(int x, int y) override;
    double StackedSumAt(int index, bool includeAll) const override;
    void CalcZOrder() override;
    void DrawLegendShape(int legendIndex, const TRect& r) override;
    void PrepareLegendCanvas(int legendIndex, TColor& backColor, TBrushStyle& brushStyle) override;
    void DrawValue(int index) override;
    int CalcXPos(int index) const override;
    int CalcYPos(int index) const override;
    // Drawn in the direction of the axis across the bars.
    bool DrawValuesForward() const override;
    // Stacked bars are drawn from the value axis' origin outwards.
    bool DrawSeriesForwardAt(int index) const override;
    // Bar space across the bars, mark space along them.
    void HorizMargins(int& left, int& right) override;
    void VertMargins(int& top, int& bottom) override;
    // The size of a mark across the bars: line height (vertical bars) or text width.
    virtual int BarLabelExtent(int index) = 0;
    virtual bool PointInBar(int index, const TPoint& p);
    // The bar of point index from valueStart to valueEnd along the value axis (top and
    // bottom of a vertical bar, left and right of a horizontal one), across it as
    // FBarBounds holds.
    virtual void DrawBar(int index, int valueStart, int valueEnd);

    // The bar width in pixels (computed before margins and drawing).
    void CalcBarWidth();
    int BarWidth() const { return FBarWidth; }
    TBarStyle BarStyleAt(int index);
    int SideCount() const;
    int SideOrder() const;
    // The pixel the bar of point index starts at; without a default pixel, the value
    // axis' low end.
    int OriginPos(int index, int defaultPixel) const;
    int OriginPos(int index) const;
    int MarkSpace(int index);
    // The room bars need at each end of the axis across them.
    int BarSpace() const;
    // The active bar series of the chart of this one's family, in chart order.
    std::vector<TCustomBarSeries*> BarFamily() const;

    bool AutoMarkPosition() const { return FAutoMarkPosition; }
    void SetAutoMarkPosition(bool value) { SetBooleanProperty(FAutoMarkPosition, value); }
    TChartBrush* BarBrush() const { return FBarBrush.get(); }
    void SetBarBrush(const TChartBrush* value) { FBarBrush->AssignFrom(value); }
    TChartPen* BarPen() const { return FBarPen.get(); }
    void SetBarPen(const TChartPen* value) { FBarPen->AssignFrom(value); }
    TBarStyle BarStyle() const { return FBarStyle; }
    void SetBarStyle(TBarStyle value);
    int BarWidthPercent() const { return FBarWidthPercent; }
    // Raises BarException outside 1..100.
    void SetBarWidthPercent(int value);
    int CustomBarWidth() const { return FCustomBarWidth; }
    void SetCustomBarWidth(int value) { SetIntegerProperty(FCustomBarWidth, value); }
    bool Dark3D() const { return FDark3D; }
    void SetDark3D(bool value) { SetBooleanProperty(FDark3D, value); }
    TMultiBar MultiBar() const { return FMultiBar; }
    // Also on every series of the bar family.
    void SetMultiBar(TMultiBar value);
    int OffsetPercent() const { return FOffsetPercent; }
    // Raises BarException outside -100..100.
    void SetOffsetPercent(int value);
    bool SideMargins() const { return FSideMargins; }
    // Also on every other series of the bar family.
    void SetSideMargins(bool value);
    bool UseYOrigin() const { return FUseYOrigin; }
    void SetUseYOrigin(bool value) { SetBooleanProperty(FUseYOrigin, value); }
    double YOrigin() const { return FYOrigin; }
    void SetYOrigin(double value) { SetDoubleProperty(FYOrigin, value); }
    bool AutoBarSize() const { return FAutoBarSize; }
    void SetAutoBarSize(bool value) { SetBooleanProperty(FAutoBarSize, value); }
    const TGetBarStyleEvent& OnGetBarStyle() const { return FOnGetBarStyle; }
    void SetOnGetBarStyle(TGetBarStyleEvent value) { FOnGetBarStyle = std::move(value); }

protected:
    // Bars stand on the horizontal axis (true) or lie along the vertical one (false).
    virtual bool VerticalBars() const = 0;
    // The axis across the bars and the value axis.
    TCustomChartAxis* LayoutAxis() const;
    TCustomChartAxis* ValueAxis() const;
    // The pixel of point index's bar across the bars (its left or top) and along them
    // (its value end, stacked).
    int AcrossPos(int index) const;
    int ValuePos(int index) const;
    // The range of the value axis the bars need: stacked sums and the origin included.
    double MaxBarValue() const;
    double MinBarValue() const;
    // Adds the mark space to the margins below and above the origin.
    void ValueMargins(int& low, int& high);
    // The rectangle of point index's bar.
    TRect BarRect(int index) const;
    // The stacked value of point index (below + value, scaled for 100 %); 0 for a total
    // of 0.
    double StackedValue(int index, bool& zeroTotal) const;
    // Canvas pen and brush for a bar of the colour.
    void PrepareBarCanvas(TColor color);
    // The 2-D rectangle of a bar, drawn by the rules for thin and empty bars.
    void DrawBarRectangle(const TRect& r);
    void PartChanged(TObject* sender);

    int FBarWidth = 0;
    // The bar being drawn.
    TRect FBarBounds;
    TColor FBarColor = clAutoColor;

private:
    bool FAutoMarkPosition = true;
    std::unique_ptr<TChartBrush> FBarBrush;
    std::unique_ptr<TChartPen> FBarPen;
    TBarStyle FBarStyle = bsRectangle;
    int FBarWidthPercent = 70;
    int FCustomBarWidth = 0;
    bool FDark3D = true;
    TMultiBar FMultiBar = mbSide;
    int FOffsetPercent = 0;
    bool FSideMargins = true;
    bool FUseYOrigin = true;
    double FYOrigin = 0;
    bool FAutoBarSize = false;
    TGetBarStyleEvent FOnGetBarStyle;
};

// Vertical bars along the horizontal axis.
class TBarSeries : public TCustomBarSeries {
    ORV_CLASS(TBarSeries, TCustomBarSeries)

    explicit TBarSeries(TComponent* owner);
    static void Publish(TPublisher<TBarSeries>& p);

    void DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) override;
    double MaxYValue() const override { return MaxBarValue(); }
    double MinYValue() const override { return MinBarValue(); }
    int BarLabelExtent(int index) override;

protected:
    bool VerticalBars() const override { return true; }
};

// Horizontal bars along the vertical axis (X is the value, Y the row).
class THorizBarSeries : public TCustomBarSeries {
    ORV_CLASS(THorizBarSeries, TCustomBarSeries)

    explicit THorizBarSeries(TComponent* owner);
    static void Publish(TPublisher<THorizBarSeries>& p);

    void DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) override;
    void FillSampleValues(int count) override;
    double MaxXValue() const override { return MaxBarValue(); }
    double MinXValue() const override { return MinBarValue(); }
    TChartValueList* MandatoryValueList() const override { return XValues(); }
    int BarLabelExtent(int index) override;

protected:
    bool VerticalBars() const override { return false; }
};

// ---------------------------------------------------------------------------
// Round series and the pie

// A series drawn in an ellipse inside the chart rectangle, without axes: while one is in
// a chart, the chart leaves axis mode.
class TCircledSeries : public TChartSeries {
    ORV_CLASS(TCircledSeries, TChartSeries)

    explicit TCircledSeries(TComponent* owner);
    ~TCircledSeries() override;
    static void Publish(TPublisher<TCircledSeries>& p);
    void AssignFrom(const TPersistent* source) override;

    void DoBeforeDrawValues() override;
    void SetActive(bool value) override;
    void SetParentChart(TCustomAxisPanel* value) override;
    bool UsesAxis(const TCustomChartAxis* /*axis*/) const override { return true; }
    void PrepareLegendCanvas(int legendIndex, TColor& backColor, TBrushStyle& brushStyle) override;
    bool UsesAxes() const override { return false; }
    // Axes, walls, frame, zoom and panning of the chart on or off.
    virtual void AdjustParentChart(bool axesOn);

    // CircleBackColor, else the chart's BackColor, else its Color.
    TColor BackColorUsed() const;
    // The angle of the screen point around the centre, less the rotation, in 0..2 pi.
    double AngleOfPoint(int x, int y) const;
    // Radii and rectangle from the circle rectangle.
    void CalcRadius();
    // The rectangle made even and at least 4 x 4, with its width, height and centre.
    void AdjustCircleRect();

    bool Circled() const { return FCircled; }
    // Also on every series of this class in the chart.
    void SetCircled(bool value);
    int RotationAngle() const { return FRotationAngle; }
    // Raises PieException for a negative angle; stores it mod 360.
    void SetRotationAngle(int value);
    double RotationRadians() const { return FRotationRadians; }
    int CustomXRadius() const { return FCustomXRadius; }
    void SetCustomXRadius(int value);
    int CustomYRadius() const { return FCustomYRadius; }
    void SetCustomYRadius(int value);
    TColor CircleBackColor() const { return FCircleBackColor; }
    void SetCircleBackColor(TColor value) { SetColorProperty(FCircleBackColor, value); }
    int XRadius() const { return FXRadius; }
    int YRadius() const { return FYRadius; }
    int CircleXCenter() const { return FCircleXCenter; }
    int CircleYCenter() const { return FCircleYCenter; }
    int CircleWidth() const { return FCircleWidth; }
    int CircleHeight() const { return FCircleHeight; }
    const TRect& CircleRect() const { return FCircleRect; }
    void SetCircleRect(const TRect& value) { FCircleRect = value; }

protected:
    // Applies a setting to every series of this class in the chart.
    template <class F> void ForEachOfClass(F f);

private:
    bool FCircled = false;
    int FRotationAngle = 0;
    double FRotationRadians = 0;
    int FCustomXRadius = 0;
    int FCustomYRadius = 0;
    int FXRadius = 0;
    int FYRadius = 0;
    TColor FCircleBackColor = clAutoColor;
    int FCircleWidth = 0;
    int FCircleHeight = 0;
    int FCircleXCenter = 0;
    int FCircleYCenter = 0;
    TRect FCircleRect;
};

enum TPieOtherStyle { poNone, poBelowPercent, poBelowValue };
const TTypeInfo* TypeInfoTPieOtherStyle();

class TPieSeries;

// How the pie groups its small slices into one.
class TPieOtherSlice : public TPersistent {
    ORV_CLASS(TPieOtherSlice, TPersistent)

    explicit TPieOtherSlice(TPieSeries* owner = nullptr);
    static void Publish(TPublisher<TPieOtherSlice>& p);
    void AssignFrom(const TPersistent* source) override;

    TPieOtherStyle Style() const { return FStyle; }
    void SetStyle(TPieOtherStyle value);
    const std::string& Text() const { return FText; }
    void SetText(const std::string& value);
    double Value() const { return FValue; }
    void SetValue(double value);

private:
    void Repaint();

    TPieSeries* FOwner;
    TPieOtherStyle FStyle = poNone;
    std::string FText = "Other";
    double FValue = 0;
};

// One slice per point, its angle proportional to the point's value.
class TPieSeries : public TCircledSeries {
    ORV_CLASS(TPieSeries, TCircledSeries)

    // The X value of a slice folded into the grouped slice, and of the grouped slice.
    static constexpr double kHiddenSlice = -1;
    static constexpr double kOtherSlice = 2147483647;

    explicit TPieSeries(TComponent* owner);
    ~TPieSeries() override;
    static void Publish(TPublisher<TPieSeries>& p);
    void AssignFrom(const TPersistent* source) override;

    void ClearLists() override;
    void PrepareDraw() override;
    void DrawAllValues() override;
    void DrawMark(int index, const std::string& text, TSeriesMarkPosition& position) override;
    void DrawValue(int index) override;
    int LegendItemCount() const override;
    void FillSampleValues(int count) override;
    void PrepareGalleryChart(bool is3D) override;
    int LegendToValueIndex(int legendIndex) const override;
    double MaxXValue() const override;
    double MaxYValue() const override;
    double MinXValue() const override;
    double MinYValue() const override;
    int NumSampleValues() const override { return 8; }
    void PrepareForGallery(bool keepColor) override;
    std::string EditorClassName() const override { return "TPieSeriesEditor"; }
    int CalcXPos(int index) const override;
    int ValueIndexAt(int x, int y) override;
    void SwapValues(int index1, int index2) override;
    // The sum of the slices shown (the grouped ones are counted in the "Other" slice).
    double PercentTotal() const override;
    void PrepareLegendCanvas(int legendIndex, TColor& backColor, TBrushStyle& brushStyle) override;
    virtual void DrawSlice(int index);

    int AddSlice(double value, const std::string& label = {}, TColor color = clAutoColor) {
        return AddMandatoryValue(value, label, color);
    }
    // Pads the list with 0 up to index; repaints when changed.
    void SetExplode(int index, int percent);
    int Explode(int index) const;
    // Start, middle and end angles in radians.
    void CalcAngles();
    double StartAngle(int index) const { return FAngles[size_t(index)].Start; }
    double MiddleAngle(int index) const { return FAngles[size_t(index)].Middle; }
    double EndAngle(int index) const { return FAngles[size_t(index)].End; }
    bool IsHiddenSlice(int index) const { return XValueAt(index) == kHiddenSlice; }
    TPoint PointOnEllipse(double angle, int xRadius, int yRadius) const;
    // The hatch of slice index when UsePatterns.
    static TBrushStyle PatternOfIndex(int index);

    TChartValueList* PieValues() const { return YValues(); }
    void SetPieValues(const TChartValueList* value) { SetYValues(value); }
    bool Dark3D() const { return FDark3D; }
    void SetDark3D(bool value) { SetBooleanProperty(FDark3D, value); }
    int ExplodeBiggest() const { return FExplodeBiggest; }
    void SetExplodeBiggest(int value);
    TPieOtherSlice* OtherSlice() const { return FOtherSlice.get(); }
    void SetOtherSlice(const TPieOtherSlice* value) { FOtherSlice->AssignFrom(value); }
    TChartPen* PiePen() const { return FPiePen.get(); }
    void SetPiePen(const TChartPen* value) { FPiePen->AssignFrom(value); }
    bool UsePatterns() const { return FUsePatterns; }
    void SetUsePatterns(bool value) { SetBooleanProperty(FUsePatterns, value); }

private:
    struct TSliceAngles {
        double Start = 0;
        double Middle = 0;
        double End = 0;
    };
    void ExplodeBiggestSlice();
    void ExplodeOffset(int index, int& dx, int& dy) const;
    void PartChanged(TObject* sender);

    bool FDark3D = true;
    std::vector<int> FExploded;
    int FExplodeBiggest = 0;
    std::unique_ptr<TChartPen> FPiePen;
    std::unique_ptr<TPieOtherSlice> FOtherSlice;
    bool FUsePatterns = false;
    std::vector<TSliceAngles> FAngles;
    TPoint FStartPoint;
    TPoint FEndPoint;
    bool FAnyExploded = false;
    // The parts of the slices drawn by this pass of a 3-D pie.
    TPieSliceParts FSliceParts = ppWhole;
    double FGroupedSum = 0;
};
