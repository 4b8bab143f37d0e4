#pragma once
// The chart engine's drawing tools: chart pens and brushes, the 3-D view options of a
// chart, the background gradient, and the canvas every chart object draws through.
// TChartCanvas3D projects chart space (x, y in pixels of the chart rectangle, z in pixels
// of depth) onto a framework canvas (screen, bitmap, metafile or printer), optionally
// through an off-screen buffer bitmap that survives between frames.

#include "chart/ChartConst.h"
#include "framework/core/Classes.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Types.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TView3DOptions;

// A point of chart space: pixels across, pixels down, pixels of depth.
struct TPoint3 {
    int X = 0;
    int Y = 0;
    int Z = 0;
};

class TCanvas3D;

// The chart panel as the chart objects see it: what they need of the chart that owns
// them (repainting, the drawing canvas, its colour and 3-D switch, the loading state).
// The chart panel implements it.
class TChartPanelLink {
public:
    virtual ~TChartPanelLink() = default;
    // Invalidates the panel, so that it draws a new frame.
    virtual void RepaintPanel() = 0;
    // The canvas the chart draws through (nullptr when none).
    virtual TCanvas3D* ChartCanvas() const { return nullptr; }
    // The panel's colour.
    virtual TColor PanelColor() const { return clBtnFace; }
    virtual bool PanelView3D() const { return true; }
    // True while the chart is read from its form resource (range checks are skipped).
    virtual bool PanelLoading() const { return false; }
    // True while the chart is being destroyed.
    virtual bool PanelDestroying() const { return false; }
};

// ---------------------------------------------------------------------------
// Small numeric routines

void SineAndCosine(long double angle, long double& sine, long double& cosine);
// The angle of (x, y) in radians.
double ArcTangent2(double y, double x);
void GetRectSize(const TRect& r, int& width, int& height);
// The centre, each coordinate halved toward zero.
void RectCentre(const TRect& r, int& x, int& y);
double MaxReal(double a, double b);
int MaxInteger(int a, int b);
int MinInteger(int a, int b);
void ExchangeIntegers(int& a, int& b);
void ExchangeReals(double& a, double& b);
// Each of red, green and blue reduced by amount (never below 0); system colours are
// resolved to RGB first.
TColor DarkenColor(TColor color, int amount);
// Clips the canvas to the rectangle (logical coordinates) / removes the clip region.
void ClipCanvasToRect(TCanvas* canvas, const TRect& r);
void ClearCanvasClip(TCanvas* canvas);

// ---------------------------------------------------------------------------
// Pens and brushes of chart objects

class TChartPen : public TPen {
    ORV_CLASS(TChartPen, TPen)

    explicit TChartPen(TNotifyEvent onChange = nullptr);
    static void Publish(TPublisher<TChartPen>& p);

    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    bool SmallDots() const { return FSmallDots; }
    void SetSmallDots(bool value);
    // From another chart pen: Visible and SmallDots, then the pen attributes.
    void AssignFrom(const TPersistent* source) override;

protected:
    void NotifyChange();

private:
    bool FVisible = true;
    bool FSmallDots = false;
};

// Hidden until made visible (frames of titles and legends).
class TChartHiddenPen : public TChartPen {
    ORV_CLASS(TChartHiddenPen, TChartPen)

    explicit TChartHiddenPen(TNotifyEvent onChange = nullptr);
    static void Publish(TPublisher<TChartHiddenPen>& p);
};

// Gray and dotted (axis grids).
class TDottedGrayPen : public TChartPen {
    ORV_CLASS(TDottedGrayPen, TChartPen)

    explicit TDottedGrayPen(TNotifyEvent onChange = nullptr);
    static void Publish(TPublisher<TDottedGrayPen>& p);
};

// Gray (ticks).
class TDarkGrayPen : public TChartPen {
    ORV_CLASS(TDarkGrayPen, TChartPen)

    explicit TDarkGrayPen(TNotifyEvent onChange = nullptr);
    static void Publish(TPublisher<TDarkGrayPen>& p);
};

// Two pixels wide (axis lines).
class TChartAxisPen : public TChartPen {
    ORV_CLASS(TChartAxisPen, TChartPen)

    explicit TChartAxisPen(TNotifyEvent onChange = nullptr);
    static void Publish(TPublisher<TChartAxisPen>& p);
};

// White (the arrows of series marks).
class TChartArrowPen : public TChartPen {
    ORV_CLASS(TChartArrowPen, TChartPen)

    explicit TChartArrowPen(TNotifyEvent onChange = nullptr);
    static void Publish(TPublisher<TChartArrowPen>& p);
};

// A brush whose colour starts automatic (clAutoColor).
class TChartBrush : public TBrush {
    ORV_CLASS(TChartBrush, TBrush)

    explicit TChartBrush(TNotifyEvent onChange = nullptr);
    static void Publish(TPublisher<TChartBrush>& p);
};

// ---------------------------------------------------------------------------
// Gradients

enum TGradientDirection {
    gdTopBottom,
    gdBottomTop,
    gdLeftRight,
    gdRightLeft,
    gdFromCenter,
    gdFromTopLeft,
    gdFromBottomLeft
};
const TTypeInfo* TypeInfoTGradientDirection();

// The values of a background gradient; copying copies them.
class TCustomChartGradient : public TPersistent {
    ORV_CLASS(TCustomChartGradient, TPersistent)

    explicit TCustomChartGradient(TChartPanelLink* parent = nullptr) : FParent(parent) {}
    void AssignFrom(const TPersistent* source) override;

    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    TGradientDirection Direction() const { return FDirection; }
    void SetDirection(TGradientDirection value);
    TColor StartColor() const { return FStartColor; }
    void SetStartColor(TColor value);
    TColor EndColor() const { return FEndColor; }
    void SetEndColor(TColor value);
    TChartPanelLink* Parent() const { return FParent; }
    void SetParent(TChartPanelLink* value) { FParent = value; }

protected:
    void Repaint();

private:
    TChartPanelLink* FParent;
    bool FVisible = false;
    TGradientDirection FDirection = gdTopBottom;
    TColor FStartColor = clWhite;
    TColor FEndColor = clYellow;
};

// The gradient a chart publishes.
class TChartGradient : public TCustomChartGradient {
    ORV_CLASS(TChartGradient, TCustomChartGradient)

    explicit TChartGradient(TChartPanelLink* parent = nullptr) : TCustomChartGradient(parent) {}
    static void Publish(TPublisher<TChartGradient>& p);
};

// ---------------------------------------------------------------------------
// 3-D view options of a chart

using TChartScrollEvent = TEvent<void(bool horizontal)>;
using TChartZoomEvent = TEvent<void(int newZoom)>;

class TView3DOptions : public TPersistent {
    ORV_CLASS(TView3DOptions, TPersistent)

    explicit TView3DOptions(TChartPanelLink* parent = nullptr) : FParent(parent) {}
    static void Publish(TPublisher<TView3DOptions>& p);
    // Copies all nine values; nothing is repainted.
    void AssignFrom(const TPersistent* source) override;

    int Elevation() const { return FElevation; }
    void SetElevation(int value);
    int HorizOffset() const { return FHorizOffset; }
    void SetHorizOffset(int value);
    bool Orthogonal() const { return FOrthogonal; }
    void SetOrthogonal(bool value);
    int Perspective() const { return FPerspective; }
    void SetPerspective(int value);
    int Rotation() const { return FRotation; }
    void SetRotation(int value);
    int Tilt() const { return FTilt; }
    void SetTilt(int value);
    int VertOffset() const { return FVertOffset; }
    void SetVertOffset(int value);
    // Percent.
    int Zoom() const { return FZoom; }
    void SetZoom(int value);
    bool ZoomText() const { return FZoomText; }
    void SetZoomText(bool value);

    TChartPanelLink* Parent() const { return FParent; }
    void SetParent(TChartPanelLink* value) { FParent = value; }
    // Called after an offset changed (true: the horizontal one).
    void SetOnScrolled(TChartScrollEvent value) { FOnScrolled = std::move(value); }
    // Called with the new zoom before it is stored.
    void SetOnChangedZoom(TChartZoomEvent value) { FOnChangedZoom = std::move(value); }
    void Repaint();

private:
    void SetIntegerValue(int& field, int value);
    void SetBooleanValue(bool& field, bool value);

    TChartPanelLink* FParent;
    int FElevation = 345;
    int FHorizOffset = 0;
    bool FOrthogonal = true;
    int FPerspective = 15;
    int FRotation = 345;
    int FTilt = 0;
    int FVertOffset = 0;
    int FZoom = 100;
    bool FZoomText = true;
    TChartScrollEvent FOnScrolled;
    TChartZoomEvent FOnChangedZoom;
};

// ---------------------------------------------------------------------------
// The canvas

// The 2-D operations of a chart canvas, over a framework canvas.
class TChartCanvas : public TObject {
public:
    TChartCanvas() = default;
    ~TChartCanvas() override = default;
    std::string ClassName() const override { return "TChartCanvas"; }

    // Stores the framework canvas whose pen, brush and font the operations use.
    TChartCanvas* AttachCanvas(TCanvas* canvas);
    TCanvas* ReferenceCanvas() const { return FCanvas; }
    TPen* Pen() const { return FCanvas->Pen(); }
    TBrush* Brush() const { return FCanvas->Brush(); }
    TFont* Font() const { return FCanvas->Font(); }
    // Set while a chart draws into a metafile.
    bool Metafiling() const { return FMetafiling; }
    void SetMetafiling(bool value) { FMetafiling = value; }

    // Black solid pen of width 1, white solid brush, black font of size 10, white
    // transparent background.
    void ResetDrawingState();
    // A hidden chart pen clears the pen; a small-dots pen of width 1 becomes the cosmetic
    // alternate-pixel pen of its colour; otherwise the chart pen is copied.
    void UseChartPen(const TChartPen* chartPen);
    // Text height of "W".
    int FontHeight();

    virtual TColor ReadBackgroundColor() = 0;
    virtual int ReadBackgroundMode() = 0;
    virtual TCanvas* DeviceContext() = 0;
    virtual bool IsMonochrome() = 0;
    virtual int ReadTextAlignment() = 0;
    virtual bool IsBuffered() = 0;
    virtual void WriteBackgroundColor(TColor color) = 0;
    // 1 transparent, 2 opaque.
    virtual void WriteBackgroundMode(int mode) = 0;
    virtual void WriteMonochrome(bool value) = 0;
    virtual void PlotPixel(int x, int y, TColor color) = 0;
    virtual void WriteTextAlignment(int flags) = 0;
    virtual void WriteBuffered(bool value) = 0;
    virtual void DrawArc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
    virtual void DrawGraphic(int x, int y, const TGraphic* graphic) = 0;
    virtual void DrawEllipse(int x1, int y1, int x2, int y2) = 0;
    virtual void FillRectangle(const TRect& r) = 0;
    // Width lines of a bevel; the rectangle shrinks by one on every side per line.
    virtual void DrawBevelFrame(TRect& r, TColor topColor, TColor bottomColor, int width) = 0;
    virtual void DrawLineTo(int x, int y) = 0;
    virtual void MovePenTo(int x, int y) = 0;
    virtual void DrawPieSlice(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
    virtual void DrawRectangle(int x0, int y0, int x1, int y1) = 0;
    virtual void DrawRoundRectangle(int x1, int y1, int x2, int y2, int x3, int y3) = 0;
    virtual void StretchGraphic(const TRect& r, const TGraphic* graphic) = 0;
    virtual void DrawText(int x, int y, std::string_view text) = 0;
    // Measured in the canvas font; 0 when the text cannot be measured.
    virtual int MeasureTextWidth(std::string_view text);
    virtual int MeasureTextHeight(std::string_view text);
    virtual void ClipToRectangle(const TRect& r) = 0;
    virtual void DrawHorizontalSegment(int x0, int x1, int y) = 0;
    virtual void DrawRectangleRecord(const TRect& r) = 0;
    virtual void DrawVerticalSegment(int x, int y0, int y1) = 0;
    virtual void PaintBackground(const TRect& r) = 0;
    virtual void FillGradient(const TRect& r, TColor startColor, TColor endColor,
                              TGradientDirection direction) = 0;
    virtual void MarkBufferDirty() = 0;
    virtual void DrawSegment(int x0, int y0, int x1, int y1) = 0;
    // A polygon of lastIndex + 1 points.
    virtual void DrawPolygon(const TPoint* points, int lastIndex) = 0;
    // Angle in degrees, counter-clockwise.
    virtual void DrawRotatedText(int x, int y, std::string_view text, int angle) = 0;
    virtual void RemoveClipping() = 0;

protected:
    TCanvas* FCanvas = nullptr;
    bool FMetafiling = false;
};

// The 3-D operations.
// The parts of a solid pie slice to draw.
enum TPieSliceParts { ppWhole, ppSides, ppFace };

class TCanvas3D : public TChartCanvas {
public:
    std::string ClassName() const override { return "TCanvas3D"; }
    TView3DOptions* View3DOptions() const { return FView3DOptions; }
    bool IsOrthogonal() const { return FIsOrthogonal; }

    virtual void PlotPixelAtDepth(int x, int y, int z, TColor color) = 0;
    virtual bool CanRotateFully() = 0;
    virtual bool CanDrawTextAtDepth() = 0;
    virtual void ScreenToSpace(int& x, int& y, int z) = 0;
    virtual TPoint SpaceToScreen(int x, int y, int z) = 0;
    virtual TRect BeginFrame(TCanvas* destCanvas, TView3DOptions* options, TColor backColor,
                             bool is3D, const TRect& r) = 0;
    // Takes the other canvas' monochrome flag.
    virtual void CopyCanvasSettings(TCanvas3D* other);
    virtual void SetViewCentre(int maxDepth, const TRect& bounds, const TRect& chartRect) = 0;
    virtual void EndFrame(TCanvas* destCanvas, TCanvas* defaultCanvas, const TPoint& origin) = 0;
    virtual bool RestoreFromBuffer() = 0;
    virtual void DrawArrow(bool filled, const TPoint& from, const TPoint& to, int headLength,
                           int headWidth, int z) = 0;
    virtual void ClipToBox(const TRect& r, int minZ, int maxZ) = 0;
    virtual void DrawBox(int left, int right, int top, int bottom, int z0, int z1,
                         bool darkSides) = 0;
    virtual void DrawCylinder(bool vertical, int left, int top, int right, int bottom, int z0,
                              int z1, bool darkCover) = 0;
    virtual void DrawHorizontalLineAtDepth(int left, int right, int y, int z) = 0;
    virtual void DrawVerticalLineAtDepth(int x, int top, int bottom, int z) = 0;
    virtual void DrawDepthLine(int x, int y, int z0, int z1) = 0;
    virtual void DrawEllipseAtDepth(int x1, int y1, int x2, int y2, int z) = 0;
    virtual void SuspendProjection() = 0;
    virtual void ResumeProjection() = 0;
    virtual void DrawLineAtDepth(int x0, int y0, int x1, int y1, int z) = 0;
    virtual void MovePenToSpace(int x, int y, int z) = 0;
    virtual void DrawLineToSpace(int x, int y, int z) = 0;
    // Connected lines through count points at depth z, as from a pen moved to the first
    // point and drawn to each next one; the pen ends at the last point.
    virtual void DrawPolylineAtDepth(const TPoint* points, int count, int z) = 0;
    // Angles in radians; z0 the front depth, z1 the back one. Only the faces turned to the
    // viewer are drawn: the rim and (with darkSides) the two radial sides first, the front
    // face over them; parts picks both or one of the two (a whole pie draws every slice's
    // rim before the faces, so that no rim lies across a neighbouring face).
    virtual void DrawSolidPieSlice(int xCenter, int yCenter, int xRadius, int yRadius,
                                   double startAngle, double endAngle, int z0, int z1,
                                   bool darkSides, TPieSliceParts parts = ppWhole) = 0;
    virtual void DrawDepthPlane(const TPoint& p0, const TPoint& p1, int z0, int z1) = 0;
    virtual void DrawQuadAtDepth(const TPoint& p1, const TPoint& p2, const TPoint& p3,
                                 const TPoint& p4, int z) = 0;
    // Points 0-1 at z0, points 2-3 at z1.
    virtual void DrawQuadBetweenDepths(const TPoint* points, int z0, int z1) = 0;
    virtual void DrawPyramid(bool vertical, int left, int top, int right, int bottom, int z0,
                             int z1, bool darkSides) = 0;
    virtual void DrawRectangleAtDepth(const TRect& r, int z) = 0;
    virtual void DrawHorizontalPlane(int left, int y, int right, int z0, int z1) = 0;
    virtual void DrawSidePlane(int x, int top, int bottom, int z0, int z1) = 0;
    virtual void DrawRotatedTextAtDepth(int x, int y, int z, std::string_view text, int angle) = 0;
    virtual void DrawTextAtDepth(int x, int y, int z, std::string_view text) = 0;
    virtual void DrawTriangleAtDepth(const TPoint& p1, const TPoint& p2, const TPoint& p3,
                                     int z) = 0;

protected:
    TView3DOptions* FView3DOptions = nullptr;
    bool FIsOrthogonal = false;
};

// The chart canvas.
class TChartCanvas3D : public TCanvas3D {
public:
    TChartCanvas3D();
    ~TChartCanvas3D() override;
    std::string ClassName() const override { return "TChartCanvas3D"; }

    TColor ReadBackgroundColor() override;
    int ReadBackgroundMode() override;
    TCanvas* DeviceContext() override;
    bool IsMonochrome() override { return FMonochrome; }
    int ReadTextAlignment() override;
    bool IsBuffered() override { return FBufferedDisplay; }
    void WriteBackgroundColor(TColor color) override;
    void WriteBackgroundMode(int mode) override;
    void WriteMonochrome(bool value) override;
    void PlotPixel(int x, int y, TColor color) override;
    void WriteTextAlignment(int flags) override;
    void WriteBuffered(bool value) override;
    void DrawArc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void DrawGraphic(int x, int y, const TGraphic* graphic) override;
    void DrawEllipse(int x1, int y1, int x2, int y2) override;
    void FillRectangle(const TRect& r) override;
    void DrawBevelFrame(TRect& r, TColor topColor, TColor bottomColor, int width) override;
    void DrawLineTo(int x, int y) override;
    void MovePenTo(int x, int y) override;
    void DrawPieSlice(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void DrawRectangle(int x0, int y0, int x1, int y1) override;
    void DrawRoundRectangle(int x1, int y1, int x2, int y2, int x3, int y3) override;
    void StretchGraphic(const TRect& r, const TGraphic* graphic) override;
    void DrawText(int x, int y, std::string_view text) override;
    void ClipToRectangle(const TRect& r) override;
    void DrawHorizontalSegment(int x0, int x1, int y) override;
    void DrawRectangleRecord(const TRect& r) override;
    void DrawVerticalSegment(int x, int y0, int y1) override;
    void PaintBackground(const TRect& r) override;
    void FillGradient(const TRect& r, TColor startColor, TColor endColor,
                      TGradientDirection direction) override;
    void MarkBufferDirty() override { FBufferDirty = true; }
    void DrawSegment(int x0, int y0, int x1, int y1) override;
    void DrawPolygon(const TPoint* points, int lastIndex) override;
    void DrawRotatedText(int x, int y, std::string_view text, int angle) override;
    void RemoveClipping() override;

    void PlotPixelAtDepth(int x, int y, int z, TColor color) override;
    bool CanRotateFully() override { return false; }
    bool CanDrawTextAtDepth() override { return false; }
    void ScreenToSpace(int& x, int& y, int z) override;
    TPoint SpaceToScreen(int x, int y, int z) override;
    TRect BeginFrame(TCanvas* destCanvas, TView3DOptions* options, TColor backColor, bool is3D,
                     const TRect& r) override;
    void SetViewCentre(int maxDepth, const TRect& bounds, const TRect& chartRect) override;
    void EndFrame(TCanvas* destCanvas, TCanvas* defaultCanvas, const TPoint& origin) override;
    bool RestoreFromBuffer() override;
    void DrawArrow(bool filled, const TPoint& from, const TPoint& to, int headLength, int headWidth,
                   int z) override;
    void ClipToBox(const TRect& r, int minZ, int maxZ) override;
    void DrawBox(int left, int right, int top, int bottom, int z0, int z1, bool darkSides) override;
    void DrawCylinder(bool vertical, int left, int top, int right, int bottom, int z0, int z1,
                      bool darkCover) override;
    void DrawHorizontalLineAtDepth(int left, int right, int y, int z) override;
    void DrawVerticalLineAtDepth(int x, int top, int bottom, int z) override;
    void DrawDepthLine(int x, int y, int z0, int z1) override;
    void DrawEllipseAtDepth(int x1, int y1, int x2, int y2, int z) override;
    void SuspendProjection() override;
    void ResumeProjection() override;
    void DrawLineAtDepth(int x0, int y0, int x1, int y1, int z) override;
    void MovePenToSpace(int x, int y, int z) override;
    void DrawLineToSpace(int x, int y, int z) override;
    void DrawPolylineAtDepth(const TPoint* points, int count, int z) override;
    void DrawSolidPieSlice(int xCenter, int yCenter, int xRadius, int yRadius, double startAngle,
                           double endAngle, int z0, int z1, bool darkSides,
                           TPieSliceParts parts = ppWhole) override;
    void DrawDepthPlane(const TPoint& p0, const TPoint& p1, int z0, int z1) override;
    void DrawQuadAtDepth(const TPoint& p1, const TPoint& p2, const TPoint& p3, const TPoint& p4,
                         int z) override;
    void DrawQuadBetweenDepths(const TPoint* points, int z0, int z1) override;
    void DrawPyramid(bool vertical, int left, int top, int right, int bottom, int z0, int z1,
                     bool darkSides) override;
    void DrawRectangleAtDepth(const TRect& r, int z) override;
    void DrawHorizontalPlane(int left, int y, int right, int z0, int z1) override;
    void DrawSidePlane(int x, int top, int bottom, int z0, int z1) override;
    void DrawRotatedTextAtDepth(int x, int y, int z, std::string_view text, int angle) override;
    void DrawTextAtDepth(int x, int y, int z, std::string_view text) override;
    void DrawTriangleAtDepth(const TPoint& p1, const TPoint& p2, const TPoint& p3, int z) override;

    // State of the current frame, read by the panel and by tests.
    bool Is3D() const { return FIs3D; }
    double ZoomFactor() const { return FZoom; }
    double PerspectiveFactor() const { return FPerspectiveFactor; }
    bool ZoomText() const { return FZoomText; }
    TBitmap* Buffer() const { return FBitmap.get(); }
    bool BufferDirty() const { return FBufferDirty; }
    const TRect& Bounds() const { return FBounds; }
    TPoint Centre() const { return {FXCenter, FYCenter}; }
    int CentreZ() const { return FZCenter; }
    TPoint ScreenCentre() const { return {FXCenterOffset, FYCenterOffset}; }

    // The rotation coefficients (see CalcRotation).
    struct TCoefficients {
        long double S, E;
        double C72, C80, C88, C96, C104, C112, C120;
    };
    const TCoefficients& Coefficients() const { return FCoef; }

private:
    void CalcRotation();
    void ProjectPoints(TPoint* points, int count, int z);
    void PolygonOfPoints(const TPoint* points, int count);
    // The colour faces are filled in: the brush colour, or the background colour when the
    // brush is not solid; SetFaceColor sets the one that is in use.
    TColor FaceColor();
    void SetFaceColor(TColor color);
    // A filled quadrilateral of four projected space points.
    void SpaceQuad(const TPoint3& a, const TPoint3& b, const TPoint3& c, const TPoint3& d);
    void SpaceTriangle(const TPoint3& a, const TPoint3& b, const TPoint3& c);
    void TextWithZoomedFont(int x, int y, std::string_view text, int escapement);

    int FXCenter = 0;
    int FYCenter = 0;
    int FZCenter = 0;
    int FXCenterOffset = 0;
    int FYCenterOffset = 0;
    TCoefficients FCoef{0, 0, 0, 0.00001, 0, 0.00001, 0, 0, 0};
    bool FWas3D = false;
    std::vector<TPoint> FPolyline; // the projected points of DrawPolylineAtDepth
    bool FIs3D = false;
    std::unique_ptr<TBitmap> FBitmap;
    bool FBufferedDisplay = true;
    bool FMonochrome = false;
    bool FBufferDirty = true;
    TRect FBounds;
    bool FZoomText = true;
    double FZoom = 1.0;
    double FPerspectiveFactor = 0;
};
