#pragma once
// The chart engine's texts and shared constants, the exception classes its range
// checks raise, and the field update its setters share. Every text here is shown to the
// user as it is.

#include "framework/core/SystemUtils.h"

#include <cstdint>

// Stores value in field; true when that changed it, for the setters that repaint only
// on a change.
template <class T> bool ChangeField(T& field, const T& value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

// ---------------------------------------------------------------------------
// Exceptions

// Raised by the range checks of chart objects (panel, series, walls, titles).
class ChartException : public Exception {
public:
    using Exception::Exception;
};

// Raised by the range checks of axes.
class AxisException : public Exception {
public:
    using Exception::Exception;
};

// Raised by the range checks of the legend.
class LegendException : public Exception {
public:
    using Exception::Exception;
};

// Raised by the range checks of bar series.
class BarException : public Exception {
public:
    using Exception::Exception;
};

// Raised by the range checks of pie series.
class PieException : public Exception {
public:
    using Exception::Exception;
};

// ---------------------------------------------------------------------------
// Messages of the range checks

// Panel
inline constexpr const char* SChart3DPercent = "3D effect percent must be between %d and %d";
inline constexpr const char* SAngleRange = "%s Angle must be between 0 and 359 degrees";
inline constexpr const char* SAxisTitle = "Axis Title";
inline constexpr const char* SAxisLabels = "Axis Labels";

// Axes
inline constexpr const char* SAxisMinMax = "Axis Minimum Value must be <= Maximum";
inline constexpr const char* SAxisMaxMin = "Axis Maximum Value must be >= Minimum";
inline constexpr const char* SAxisIncrementNegative = "Axis increment must be >= 0";
inline constexpr const char* SAxisLabelSep = "Labels Separation % must be greater than 0";
inline constexpr const char* SAxisLogDateTime = "DateTime Axis cannot be Logarithmic";
inline constexpr const char* SAxisLogNotPositive =
    "Logarithmic Axis Min and Max values should be >= 0";
inline constexpr const char* SAxisLogBase = "Axis Logarithmic Base should be >= 2";

// Axis panel and series
inline constexpr const char* SMaxPointsPerPage = "MaxPointsPerPage must be >= 0";
inline constexpr const char* SCircularSeries = "Circular Series dependences are not allowed";
inline constexpr const char* SNoParentChartSource = "No ParentChart to validate DataSource";
inline constexpr const char* SInvalidDataSource = "No valid DataSource: %s";
inline constexpr const char* SFillSample = "FillSampleValues NumValues must be > 0";
inline constexpr const char* SFunctionPeriod = "Function Period should be >= 0";
inline constexpr const char* SSeriesNumbered = "Series ";

// Legend
inline constexpr const char* SLegendFirstValue = "First Legend Value must be > 0";
inline constexpr const char* SLegendColorWidth = "Legend Color Width must be between 0 and 100 %";
inline constexpr const char* SLegendTopPos = "Top Legend Position must be between 0 and 100 %";

// Series types
inline constexpr const char* SBarWidthPercent = "Bar Width Percent must be between 1 and 100";
inline constexpr const char* SBarOffsetPercent =
    "Bar Offset Percent must be between -100% and 100%";
inline constexpr const char* SPointerSize = "Pointer size must be greater than zero";

// ---------------------------------------------------------------------------
// Defaults

// The standard chart font, before the locale adjustments.
inline constexpr const char* SDefaultFontName = "Arial";
inline constexpr const char* SDefaultFontSize = "8";
// The font used instead of the standard one on Japanese systems.
inline constexpr const char* SJapaneseFontName = "MS Sans Serif";

// Number formats of values and percentages.
inline constexpr const char* SDefaultValueFormat = "#,##0.###";
inline constexpr const char* SDefaultPercentFormat = "##0.## %";

// Names of the two mandatory value lists of a series.
inline constexpr const char* SValuesX = "X";
inline constexpr const char* SValuesY = "Y";

// Chart texts break into lines at this character.
inline constexpr char ChartLineSeparator = '\r';

// The automatic colour of chart objects. It has the bit pattern of a system colour, so
// test for it before anything resolves colours. (clNone, 0x1FFFFFFF, marks a null point:
// counted, not drawn.)
inline constexpr int32_t clAutoColor = int32_t(0x80000000u);

// The hand cursor of the charts.
inline constexpr int crChartHand = 2020;
inline constexpr const char* SCursorChartHand = "crChartHand";

// Export formats, by index.
inline constexpr const char* ChartExportExtensions[4] = {"BMP", "WMF", "EMF", "TEE"};
