#pragma once
// Shared services of the chart engine: the colour palette, the standard chart font and
// the font object base, the date-time step table and its stepping routines, the angle
// check, multi-line text measuring, number-format conversion, hit tests, the print
// margin arithmetic and the zoom / panning record.

#include "chart/ChartCanvas.h"
#include "chart/ChartConst.h"
#include "framework/core/Classes.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Bitmaps.h"
#include "framework/gui/Controls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Metafile.h"
#include "framework/gui/Types.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// ---------------------------------------------------------------------------
// Colours

// The 16 colours that give new series and points their automatic colours.
extern const std::array<TColor, 16> ColorPalette;
// Entry index mod 16 (index >= 0).
TColor PaletteColor(int index);

// ---------------------------------------------------------------------------
// Unit-wide switches

// Clip series to the chart while printing / while drawing into a metafile.
extern bool ChartClipWhenPrinting;
extern bool ChartClipWhenMetafiling;
// Let the window system erase the panel's background before painting.
extern bool ChartEraseBack;
// Paint the panel background and bevels also while printing.
extern bool ChartPaintBackAndBevelsWhenPrinting;

// ---------------------------------------------------------------------------
// Angles

// Raises ChartException "%s Angle must be between 0 and 359 degrees" with name in place
// of %s for an angle below 0 or above 359.
void ValidateAngle(int angle, std::string_view name);

// ---------------------------------------------------------------------------
// The standard chart font

// "8" points, adjusted for the locale.
int StandardFontSize();
// "Arial", or "MS Sans Serif" on Japanese systems.
std::string StandardFontName();
// On Japanese systems a size of 8 becomes the size of the system's default font.
void AdjustFontSizeForLocale(int& size);
// A black font of the standard name and size, without style, with the change event.
std::unique_ptr<TFont> NewStandardFont(TNotifyEvent onChange = nullptr);
// Size and name of the standard font, black, no style, default character set.
bool IsStandardFont(const TFont* font);

// A chart object that owns a font (axis titles, legend, titles). The font starts as the
// standard font; its changes repaint the panel.
class TChartFontObject : public TPersistent {
    ORV_CLASS(TChartFontObject, TPersistent)

    explicit TChartFontObject(TChartPanelLink* parent = nullptr);
    ~TChartFontObject() override;

    TFont* Font() const { return FFont.get(); }
    // Copies the given font.
    void SetFont(const TFont* value);
    // Copies another font object's font.
    void AssignFrom(const TPersistent* source) override;
    TChartPanelLink* ParentChart() const { return FParent; }
    void SetParentChart(TChartPanelLink* value) { FParent = value; }
    // The font is stored with the chart only when it is not the standard font.
    bool IsFontStored() const { return !IsStandardFont(FFont.get()); }

protected:
    void Repaint();

private:
    void FontChanged(TObject* sender);
    TChartPanelLink* FParent;
    std::unique_ptr<TFont> FFont;
};

// ---------------------------------------------------------------------------
// Date-time steps

// Indexes of the step table.
enum TDateTimeStep {
    dtOneSecond,
    dtFiveSeconds,
    dtTenSeconds,
    dtFifteenSeconds,
    dtThirtySeconds,
    dtOneMinute,
    dtFiveMinutes,
    dtTenMinutes,
    dtFifteenMinutes,
    dtThirtyMinutes,
    dtOneHour,
    dtTwoHours,
    dtSixHours,
    dtTwelveHours,
    dtOneDay,
    dtTwoDays,
    dtThreeDays,
    dtOneWeek,
    dtHalfMonth,
    dtOneMonth,
    dtTwoMonths,
    dtThreeMonths,
    dtFourMonths,
    dtSixMonths,
    dtOneYear,
    dtNone
};

// The steps in days, by index.
extern const std::array<double, 25> DateTimeStep;

// The locale's short date format for steps above one day, else the short time format.
std::string DateTimeFormatForStep(double step);
// The largest index whose step differs from step by less than one second; dtNone when none.
int DateTimeStepIndex(double step);
// The table step after the largest one not above step; one year below one second.
double NextLargerDateStep(double step);
// The next value of the 1-2-5 series above step (0.3 gives 0.5, 7 gives 10, 20 gives 50).
double NextNiceStep(double step);
// The date moved back to the start of its calendar step (half month, month, year); dates
// on or before 1900-01-01 and other steps are left alone.
TDateTime AlignDateToStep(int stepIndex, TDateTime date);
// One step up or down. Calendar steps (half month to year) move by calendar dates;
// every other step adds or subtracts step.
void AdvanceByStep(bool isDateTime, bool up, double& value, int stepIndex, double step);

// ---------------------------------------------------------------------------
// Multi-line texts (lines separated by ChartLineSeparator)

// The width of the widest line in the canvas font, and the number of lines.
int WidestLineWidth(TChartCanvas* canvas, std::string_view text, int& lineCount);
int LineCount(std::string_view text);
// Every occurrence of separator starts a new line: its first character becomes the line
// separator.
void MarkLineBreaks(std::string& text, std::string_view separator);

// Number formats between the neutral "," and "." and the locale's thousand and decimal
// separators.
std::string FormatStringToLocal(std::string_view format);
std::string FormatStringToNeutral(std::string_view format);

// ---------------------------------------------------------------------------
// Hit tests

// True when p is within tolerance of the segment from `from` to `to`.
bool NearSegment(const TPoint& p, const TPoint& from, const TPoint& to, int tolerance);
bool OnSegment(const TPoint& p, const TPoint& from, const TPoint& to);
// Even-odd test of a polygon of lastIndex + 1 points.
bool InsidePolygon(const TPoint& p, const TPoint* points, int lastIndex);
// The triangle (x0, y0), ((x0 + x1) div 2, y1), (x1, y0).
bool InsideTriangle(const TPoint& p, int x0, int x1, int y0, int y1);
// The triangle (x1, y0), (x0, (y0 + y1) div 2), (x1, y1).
bool InsideSideTriangle(const TPoint& p, int y0, int y1, int x0, int x1);
// The ellipse inside the rectangle.
bool InsideEllipse(const TPoint& p, const TRect& r);

// ---------------------------------------------------------------------------
// Printing arithmetic

// Proportional margins (percent of the page) that keep the drawing's aspect on the page:
// 15 % at both ends of the longer side, the other two computed (never below 0); an empty
// drawing gets 15 % on every side.
// dpiX and dpiY are the printer's pixels per inch.
TRect ProportionalPrintMargins(int drawWidth, int drawHeight, int pageWidth, int pageHeight,
                               int dpiX, int dpiY);
// The page rectangle left by the margins (percent).
TRect PrintRectFromMargins(const TRect& margins, int pageWidth, int pageHeight);
// Scales rect for printing the drawing (drawWidth x drawHeight) with a detail percent:
// the drawing is reduced by the percent, rect is scaled by reduced size / rect size,
// windowExt becomes the reduced size and viewportExt rect's original size. A rect of no
// width or height answers false: there is nothing to print.
bool CalcPrintScaling(int drawWidth, int drawHeight, int detailPercent, TRect& rect,
                      TSize& windowExt, TSize& viewportExt);

// ---------------------------------------------------------------------------
// Other helpers

// The export format's file extension ("BMP", "WMF", "EMF", "TEE"); empty out of range.
std::string ExportFileExtension(int index);
// Cursors by name and back: the chart's hand cursor, then the framework's; false for
// names and numbers neither knows.
bool ChartIdentToCursor(std::string_view ident, int& cursor);
bool ChartCursorToIdent(int cursor, std::string& ident);
// base followed by 1, 2, 3 ... up to the first name owner does not hold.
std::string UniqueComponentName(const TComponent* owner, std::string_view base);
// The gallery icon (24 x 24, white where transparent) of the series' class, else of its
// parent class, drawn into bitmap; false (bitmap untouched) when neither has one.
bool LoadSeriesBitmap(const TObject* series, TBitmap* bitmap);

// The corners and state of a zoom or panning drag.
class TZoomPanningRecord : public TObject {
public:
    std::string ClassName() const override { return "TZoomPanningRecord"; }
    // Both corners at (x, y); active.
    void StartAt(int x, int y);
    // Start X <= end X and start Y <= end Y.
    void Normalise();

    int X0 = 0;
    int Y0 = 0;
    int X1 = 0;
    int Y1 = 0;
    bool Active = false;
};

// ---------------------------------------------------------------------------
// The chart panel

// How the back image covers the panel.
enum TChartBackImageMode { pbmStretch, pbmTile, pbmCenter };
const TTypeInfo* TypeInfoTChartBackImageMode();

// Which directions a right-button drag scrolls the axes.
enum TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };
const TTypeInfo* TypeInfoTPanningMode();

// The printer page the chart is printed on: its size in printer pixels and the printer's
// pixels per inch.
struct TPrintPage {
    int Width = 0;
    int Height = 0;
    int PixelsPerInchX = 600;
    int PixelsPerInchY = 600;
};

class TPrinter;
// The page of the printer's chosen paper and orientation.
TPrintPage PrinterPage(TPrinter* printer);

// The window every chart is: it frames the chart (margins, bevels), owns the 3-D canvas
// and its view options, draws itself into any canvas (its own window through the
// canvas' off-screen buffer, a bitmap, a metafile, a printer page), copies and saves its
// picture. What is drawn inside the frame comes from DrawContents.
class TCustomChartPanel : public TCustomControl, public TChartPanelLink {
    ORV_CLASS(TCustomChartPanel, TCustomControl)

    explicit TCustomChartPanel(TComponent* owner);
    ~TCustomChartPanel() override;
    static void Publish(TPublisher<TCustomChartPanel>& p);
    // Buffering, print settings, margins, Monochrome, View3D, the view options,
    // Chart3DPercent and Color.
    void AssignFrom(const TPersistent* source) override;
    // Remembers the cursor.
    void AfterLoad() override;
    // Marks the canvas buffer dirty and invalidates (once construction has finished).
    void RequestRepaint() override;

    // ---- What chart objects see of the panel
    void RepaintPanel() override { Invalidate(); }
    TCanvas3D* ChartCanvas() const override { return FCanvas3D.get(); }
    TColor PanelColor() const override { return Color(); }
    bool PanelView3D() const override { return FView3D; }
    bool PanelLoading() const override { return IsLoading(); }
    bool PanelDestroying() const override { return IsDestroying(); }
    TChartCanvas3D* Canvas3D() const { return FCanvas3D.get(); }

    // ---- Drawing
    // One frame into the rectangle of the canvas: the chart rectangle from the borders
    // and margins, then DrawContents.
    virtual void DrawToRect(TCanvas* canvas, const TRect& r);
    // The same into a metafile or printer canvas: unbuffered, with the metafiling flag.
    void DrawToForeignCanvas(TCanvas* canvas, const TRect& r);
    // Draws the chart inside the panel bounds (the chart rectangle is already set).
    virtual void DrawContents(const TRect& bounds) = 0;
    // Outer bevel, a frame of BorderWidth in Color, inner bevel; r shrinks by each.
    virtual void DrawBevels(TRect& r);
    // The font into the canvas font, keeping the canvas font's pixels per inch.
    void AssignCanvasFont(const TFont* font);
    // The rectangle pictures and prints are made of: the client area.
    virtual TRect GetDrawRect() const { return ClientRect(); }
    // True on screen; while printing or metafiling as the unit's switches say.
    bool CanClip() const;
    // A hatched brush of the background colour turns black (white on black) so it shows.
    void PrepareBrush(TColor color, TBrushStyle style, TColor backColor);
    // A non-solid pen of width 1 prints with width 0 (the printer's thinnest line).
    void AdjustPenForPrinter(TPen* pen) const;
    // The zoom rectangle in not-xor mode (drawing it twice removes it).
    void DrawZoomFrame();

    // ---- Pictures
    // A metafile of the drawing of r; at least 1 x 1.
    std::unique_ptr<TMetafile> MakeMetafile(bool enhanced, const TRect& r);
    // A bitmap of the drawing of r, filled with backColor first unless it is white.
    std::unique_ptr<TBitmap> MakeBitmap(TColor backColor, const TRect& r);
    // The picture onto the clipboard: a Windows or an enhanced metafile, or a bitmap.
    void CopyAsMetafile(bool enhanced);
    void CopyAsBitmap();
    void SaveAsWindowsMetafile(const std::string& fileName);
    void SaveAsEnhancedMetafile(const std::string& fileName);
    void SaveAsBitmap(const std::string& fileName);

    // ---- Printing
    // Margins (percent of the page) that keep the drawing's proportions on the page.
    TRect CalcProportionalMargins(const TPrintPage& page) const;
    // The page rectangle inside PrintPageMargins (made proportional first when
    // PrintProportional).
    TRect CalcPrintRect(const TPrintPage& page);
    // Draws the chart for paper scaled into r of a canvas (the printer's page), with the
    // detail percent: the screen's picture stretched to r, its text in proportion. A rect
    // or a chart without width or height prints nothing.
    void PrintToCanvasRect(TCanvas* canvas, const TRect& r);
    // The chart drawn for paper as a bitmap: the drawing rectangle enlarged by the detail
    // percent, filled with backColor first unless it is white.
    std::unique_ptr<TBitmap> MakePrintBitmap(TColor backColor);
    // The whole page as the printer draws it: an enhanced metafile of the page's size in
    // its pixels, the chart drawn by PrintToCanvasRect inside PrintPageMargins (as they
    // are: not made proportional here). Text is measured and labels spaced as on paper,
    // so the picture stretched onto a drawn sheet shows what prints. Nothing for a chart,
    // a page or a printed rectangle of no size.
    std::unique_ptr<TMetafile> MakePrintMetafile(const TPrintPage& page);
    // True while drawing for the printer.
    bool Printing() const { return FPrinting; }
    // One page on the program's printer, inside CalcPrintRect of its page.
    void Print();
    // A document of one page with the chart in r (printer pixels), titled with the Name;
    // a failure aborts the document and is raised again.
    void PrintInRect(const TRect& r);
    // The name a printed file of the chart is proposed under: the caption of the window
    // the chart is in, else the chart's Name.
    std::string PrintFileName() const;
    // The chart into r of the printer's current page.
    void DrawOnPrinter(const TRect& r);

    // ---- Frame geometry of the current frame
    const TRect& ChartBounds() const { return FChartBounds; }
    const TRect& ChartRect() const { return FChartRect; }
    void SetChartRect(const TRect& r);
    int ChartWidth() const { return FChartWidth; }
    int ChartHeight() const { return FChartHeight; }
    int ChartXCenter() const { return FChartXCenter; }
    int ChartYCenter() const { return FChartYCenter; }
    // Width, height and centre from the chart rectangle.
    void RecalcWidthHeight();
    // The total depth of the chart in pixels (0 in 2-D).
    int Width3D() const { return FWidth3D; }
    void SetWidth3D(int value) { FWidth3D = value; }
    // Each series gets its own depth row in 3-D.
    bool DepthRows() const { return FDepthRows; }
    void SetDepthRows(bool value) { SetBooleanProperty(FDepthRows, value); }
    TZoomPanningRecord& ZoomRecord() { return FZoom; }
    TZoomPanningRecord& PanningRecord() { return FPanning; }
    TCursor OriginalCursor() const { return FOriginalCursor; }
    void SetOriginalCursor(TCursor value) { FOriginalCursor = value; }

    // ---- Change and repaint: a changed value is stored and the chart repainted
    void SetIntegerProperty(int& field, int value);
    void SetBooleanProperty(bool& field, bool value);
    void SetDoubleProperty(double& field, double value);
    void SetStringProperty(std::string& field, const std::string& value);
    void SetColorProperty(TColor& field, TColor value);

    // ---- Properties
    bool Buffered() const { return FCanvas3D->IsBuffered(); }
    void SetBuffered(bool value) { FCanvas3D->WriteBuffered(value); }
    bool View3D() const { return FView3D; }
    void SetView3D(bool value) { SetBooleanProperty(FView3D, value); }
    TView3DOptions* View3DOptions() const { return FView3DOptions.get(); }
    void SetView3DOptions(const TView3DOptions* value) { FView3DOptions->AssignFrom(value); }
    int Chart3DPercent() const { return FChart3DPercent; }
    // Raises ChartException outside 1..100.
    void SetChart3DPercent(int value);
    // Margins in percent of the panel, by index 0..3: left, top, right, bottom.
    int Margin(int index) const { return FMargins[size_t(index)]; }
    void SetMargin(int index, int value);
    int MarginLeft() const { return Margin(0); }
    void SetMarginLeft(int value) { SetMargin(0, value); }
    int MarginTop() const { return Margin(1); }
    void SetMarginTop(int value) { SetMargin(1, value); }
    int MarginRight() const { return Margin(2); }
    void SetMarginRight(int value) { SetMargin(2, value); }
    int MarginBottom() const { return Margin(3); }
    void SetMarginBottom(int value) { SetMargin(3, value); }
    bool Monochrome() const { return FCanvas3D->IsMonochrome(); }
    void SetMonochrome(bool value) { FCanvas3D->WriteMonochrome(value); }
    bool PrintProportional() const { return FPrintProportional; }
    void SetPrintProportional(bool value) { FPrintProportional = value; }
    // Left, top, right and bottom margins in percent of the printer page.
    const TRect& PrintPageMargins() const { return FPrintPageMargins; }
    void SetPrintPageMargins(const TRect& value) { FPrintPageMargins = value; }
    int PrintDetailPercent() const { return FPrintDetailPercent; }
    void SetPrintDetailPercent(int value) { FPrintDetailPercent = value; }
    TPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel value);
    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int value) { SetIntegerProperty(FBevelWidth, value); }
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value) { SetIntegerProperty(FBorderWidth, value); }
    // bsSingle: a sunken two-pixel edge around the panel, outside the bevels.
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TRect NonClientBorder() const override;

protected:
    // Paints from the canvas buffer when it is still valid, else draws a new frame.
    void PaintControl() override;
    void PaintNonClient(TCanvas* canvas) override;
    void HandleMessage(TMessage& message) override;
    // Set once the constructors have run.
    bool FAllowInvalidate = false;

private:
    std::unique_ptr<TChartCanvas3D> FCanvas3D;
    std::unique_ptr<TView3DOptions> FView3DOptions;
    bool FView3D = true;
    int FChart3DPercent = 15;
    std::array<int, 4> FMargins{3, 4, 3, 4};
    bool FPrintProportional = true;
    TRect FPrintPageMargins{15, 15, 15, 15};
    int FPrintDetailPercent = 0;
    TPanelBevel FBevelInner = bvNone;
    TPanelBevel FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TBorderStyle FBorderStyle = bsNone;
    TRect FChartBounds;
    TRect FChartRect;
    int FChartWidth = 0;
    int FChartHeight = 0;
    int FChartXCenter = 0;
    int FChartYCenter = 0;
    bool FPrinting = false;
    TCursor FOriginalCursor = crDefault;
    bool FDepthRows = true;
    int FWidth3D = 0;
    TZoomPanningRecord FZoom;
    TZoomPanningRecord FPanning;
};

// The panel with a background (gradient, picture) and the zoom and panning settings.
class TCustomChartPanelExtended : public TCustomChartPanel {
    ORV_CLASS(TCustomChartPanelExtended, TCustomChartPanel)

    explicit TCustomChartPanelExtended(TComponent* owner);
    ~TCustomChartPanelExtended() override;
    static void Publish(TPublisher<TCustomChartPanelExtended>& p);
    // Back image and mode, gradient, zoom and panning settings, then the panel's part.
    void AssignFrom(const TPersistent* source) override;

    // The back image over the rectangle (when there is one).
    virtual void DrawBackImage(const TRect& r);
    // The gradient, or (unless printing) a solid fill in Color.
    virtual void FillBackground(const TRect& r);
    // Background, back image, then (unless printing) the bevels.
    virtual void DrawPanelBackground(const TRect& r);
    // Fires OnUndoZoom, repaints, not zoomed any more.
    virtual void ResetZoom();
    // The back image over r (at depth z in a 3-D chart): stretched, tiled or centred.
    void DrawBackPicture(const TRect& r, int z);

    TChartGradient* Gradient() const { return FGradient.get(); }
    void SetGradient(const TChartGradient* value);
    TPicture* BackImage() const { return FBackImage.get(); }
    void SetBackImage(const TPicture* value) { FBackImage->AssignFrom(value); }
    TChartBackImageMode BackImageMode() const { return FBackImageMode; }
    void SetBackImageMode(TChartBackImageMode value);
    bool AnimatedZoom() const { return FAnimatedZoom; }
    void SetAnimatedZoom(bool value) { FAnimatedZoom = value; }
    int AnimatedZoomSteps() const { return FAnimatedZoomSteps; }
    void SetAnimatedZoomSteps(int value) { FAnimatedZoomSteps = value; }
    bool AllowZoom() const { return FAllowZoom; }
    void SetAllowZoom(bool value) { FAllowZoom = value; }
    TPanningMode AllowPanning() const { return FAllowPanning; }
    void SetAllowPanning(TPanningMode value) { FAllowPanning = value; }
    bool Zoomed() const { return FZoomed; }
    void SetZoomed(bool value) { FZoomed = value; }
    const TNotifyEvent& OnScroll() const { return FOnScroll; }
    void SetOnScroll(TNotifyEvent value) { FOnScroll = std::move(value); }
    const TNotifyEvent& OnUndoZoom() const { return FOnUndoZoom; }
    void SetOnUndoZoom(TNotifyEvent value) { FOnUndoZoom = std::move(value); }
    const TNotifyEvent& OnZoom() const { return FOnZoom; }
    void SetOnZoom(TNotifyEvent value) { FOnZoom = std::move(value); }

private:
    void BackImageChanged(TObject* sender);

    std::unique_ptr<TChartGradient> FGradient;
    std::unique_ptr<TPicture> FBackImage;
    TChartBackImageMode FBackImageMode = pbmStretch;
    bool FAnimatedZoom = false;
    int FAnimatedZoomSteps = 8;
    bool FAllowZoom = true;
    TPanningMode FAllowPanning = pmBoth;
    bool FZoomed = false;
    TNotifyEvent FOnScroll;
    TNotifyEvent FOnUndoZoom;
    TNotifyEvent FOnZoom;
};
