#pragma once
// Shared services of the chart engine: the colour palette, the standard chart font and
// the font object base, the date-time step table and its stepping routines, the angle
// check, multi-line text measuring, number-format conversion, hit tests, the print
// margin arithmetic and the zoom / panning record.

#include "chart/TeCanvas.h"
#include "chart/TeeConst.h"
#include "framework/core/Classes.h"
#include "framework/core/SysUtils.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/Types.h"

#include <array>
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
extern bool TeeClipWhenPrinting;
extern bool TeeClipWhenMetafiling;
// Let the window system erase the panel's background before painting.
extern bool TeeEraseBack;
// Paint the panel background and bevels also while printing.
extern bool TeePaintBackAndBevelsWhenPrinting;

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

    explicit TChartFontObject(TTeePanelLink* parent = nullptr);
    ~TChartFontObject() override;

    TFont* Font() const { return FFont.get(); }
    // Copies the given font.
    void SetFont(const TFont* value);
    // Copies another font object's font.
    void AssignFrom(const TPersistent* source) override;
    TTeePanelLink* ParentChart() const { return FParent; }
    void SetParentChart(TTeePanelLink* value) { FParent = value; }
    // The font is stored with the chart only when it is not the standard font.
    bool IsFontStored() const { return !IsStandardFont(FFont.get()); }

protected:
    void Repaint();

private:
    void FontChanged(TObject* sender);
    TTeePanelLink* FParent;
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
// Multi-line texts (lines separated by TeeLineSeparator)

// The width of the widest line in the canvas font, and the number of lines.
int WidestLineWidth(TTeeCanvas* canvas, std::string_view text, int& lineCount);
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
// 15 % on the longer side, the rest computed; an empty drawing gets 15 % on every side.
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
// The chart's hand cursor by name and back; false for every other name or number.
bool ChartIdentToCursor(std::string_view ident, int& cursor);
bool ChartCursorToIdent(int cursor, std::string& ident);
// base followed by 1, 2, 3 ... up to the first name owner does not hold.
std::string UniqueComponentName(const TComponent* owner, std::string_view base);

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
