// The chart axes: the axis title, the range, pixel mapping, label values and texts, and
// the layout and drawing of ticks, grid and labels; the depth axis.

#include "chart/ChartEngine.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
using TStoredFn = std::function<bool(const TObject*)>;
constexpr double kOneSecond = 1.0 / 86400.0;
constexpr double kMinimumStep = 1e-12;
// Pixel offsets beyond this saturate (a value far outside the axis range).
constexpr double kMaxPixelOffset = 100000000.0;
// At most this many labels on an axis.
constexpr double kMaxLabels = 10000;
} // namespace

// ---------------------------------------------------------------------------
// Axis title

TChartAxisTitle::TChartAxisTitle(TCustomChartAxis* axis, TChartPanelLink* parent)
    : TChartFontObject(parent), FAxis(axis) {}

void TChartAxisTitle::Publish(TPublisher<TChartAxisTitle>& p) {
    using T = TChartAxisTitle;
    p.Integer("Angle", &T::Angle, &T::SetAngle).Stored(TStoredFn([](const TObject* o) {
        auto* t = static_cast<const T*>(o);
        return t->Angle() != t->DefaultAngle();
    }));
    p.String("Caption", &T::Caption, &T::SetCaption);
    p.Class("Font", TFont::StaticClass(), &T::Font, &T::SetFont)
        .Stored(
            TStoredFn([](const TObject* o) { return static_cast<const T*>(o)->IsFontStored(); }));
}

void TChartAxisTitle::AssignFrom(const TPersistent* source) {
    if (auto* t = dynamic_cast<const TChartAxisTitle*>(source)) {
        FAxis = t->FAxis;
        FAngle = t->FAngle;
        FCaption = t->FCaption;
    }
    TChartFontObject::AssignFrom(source);
}

void TChartAxisTitle::SetAngle(int value) {
    if (FAngle == value)
        return;
    ValidateAngle(value, SAxisTitle);
    FAngle = value;
    Repaint();
}

void TChartAxisTitle::SetCaption(const std::string& value) {
    if (FCaption == value)
        return;
    FCaption = value;
    Repaint();
}

// ---------------------------------------------------------------------------
// TCustomChartAxis

TCustomChartAxis::TCustomChartAxis(TChartPanelLink* parentChart, bool horizontal, bool otherSide,
                                   bool isDepthAxis)
    : FParentChart(parentChart), FHorizontal(horizontal), FOtherSide(otherSide),
      FIsDepthAxis(isDepthAxis) {
    TNotifyEvent changed(this, &TCustomChartAxis::PenChanged);
    FAxis = std::make_unique<TChartAxisPen>(changed);
    FGrid = std::make_unique<TDottedGrayPen>(changed);
    FTicks = std::make_unique<TDarkGrayPen>(changed);
    FTicksInner = std::make_unique<TDarkGrayPen>(changed);
    FMinorTicks = std::make_unique<TDarkGrayPen>(changed);
    FLabelsFont = NewStandardFont(changed);
    FTitle = std::make_unique<TChartAxisTitle>(this, parentChart);
    if (!horizontal && !isDepthAxis) {
        const int angle = otherSide ? 270 : 90;
        FTitle->SetDefaultAngle(angle);
        FTitle->SetAngle(angle);
    }
}

TCustomChartAxis::~TCustomChartAxis() = default;

void TCustomChartAxis::Publish(TPublisher<TCustomChartAxis>& p) {
    using T = TCustomChartAxis;
    auto notAutomaticMax = [](const TObject* o) {
        auto* a = static_cast<const T*>(o);
        return !a->Automatic() && !a->AutomaticMaximum();
    };
    auto notAutomaticMin = [](const TObject* o) {
        auto* a = static_cast<const T*>(o);
        return !a->Automatic() && !a->AutomaticMinimum();
    };
    p.Bool("Automatic", &T::Automatic, &T::SetAutomatic).Default(true);
    p.Bool("AutomaticMaximum", &T::AutomaticMaximum, &T::SetAutomaticMaximum).Default(true);
    p.Bool("AutomaticMinimum", &T::AutomaticMinimum, &T::SetAutomaticMinimum).Default(true);
    p.Class("Axis", TChartAxisPen::StaticClass(), &T::Axis, &T::SetAxis);
    p.String("AxisValuesFormat", &T::AxisValuesFormat, &T::SetAxisValuesFormat)
        .Default(SDefaultValueFormat);
    p.String("DateTimeFormat", &T::DateTimeFormat, &T::SetDateTimeFormat);
    p.Bool("ExactDateTime", &T::ExactDateTime, &T::SetExactDateTime).Default(true);
    p.Class("Grid", TDottedGrayPen::StaticClass(), &T::Grid, &T::SetGrid);
    p.Bool("GridCentered", &T::GridCentered, &T::SetGridCentered).Default(false);
    p.Float("Increment", &T::Increment, &T::SetIncrement).Default(0.0);
    p.Bool("Inverted", &T::Inverted, &T::SetInverted).Default(false);
    p.Bool("Labels", &T::Labels, &T::SetLabels).Default(true);
    p.Integer("LabelsAngle", &T::LabelsAngle, &T::SetLabelsAngle).Default(0);
    p.Class("LabelsFont", TFont::StaticClass(), &T::LabelsFont, &T::SetLabelsFont)
        .Stored(TStoredFn([](const TObject* o) {
            return !IsStandardFont(static_cast<const T*>(o)->LabelsFont());
        }));
    p.Bool("LabelsMultiLine", &T::LabelsMultiLine, &T::SetLabelsMultiLine).Default(false);
    p.Bool("LabelsOnAxis", &T::LabelsOnAxis, &T::SetLabelsOnAxis).Default(true);
    p.Integer("LabelsSeparation", &T::LabelsSeparation, &T::SetLabelsSeparation).Default(10);
    p.Integer("LabelsSize", &T::LabelsSize, &T::SetLabelsSize).Default(0);
    p.Enum("LabelStyle", TypeInfoTAxisLabelStyle(), &T::LabelStyle, &T::SetLabelStyle)
        .Default(talAuto);
    p.Bool("Logarithmic", &T::Logarithmic, &T::SetLogarithmic).Default(false);
    p.Integer("LogarithmicBase", &T::LogarithmicBase, &T::SetLogarithmicBase).Default(10);
    p.Float("Maximum", &T::Maximum, &T::SetMaximum).Stored(TStoredFn(notAutomaticMax));
    p.Float("Minimum", &T::Minimum, &T::SetMinimum).Stored(TStoredFn(notAutomaticMin));
    p.Class("MinorTicks", TDarkGrayPen::StaticClass(), &T::MinorTicks, &T::SetMinorTicks);
    p.Integer("MinorTickCount", &T::MinorTickCount, &T::SetMinorTickCount).Default(3);
    p.Integer("MinorTickLength", &T::MinorTickLength, &T::SetMinorTickLength).Default(2);
    p.Float("StartPosition", &T::StartPosition, &T::SetStartPosition).Default(0.0);
    p.Float("EndPosition", &T::EndPosition, &T::SetEndPosition).Default(100.0);
    p.Float("PositionPercent", &T::PositionPercent, &T::SetPositionPercent).Default(0.0);
    p.Bool("RoundFirstLabel", &T::RoundFirstLabel, &T::SetRoundFirstLabel).Default(true);
    p.Class("Ticks", TDarkGrayPen::StaticClass(), &T::Ticks, &T::SetTicks);
    p.Class("TicksInner", TDarkGrayPen::StaticClass(), &T::TicksInner, &T::SetTicksInner);
    p.Integer("TickInnerLength", &T::TickInnerLength, &T::SetTickInnerLength).Default(0);
    p.Integer("TickLength", &T::TickLength, &T::SetTickLength).Default(4);
    p.Bool("TickOnLabelsOnly", &T::TickOnLabelsOnly, &T::SetTickOnLabelsOnly).Default(true);
    p.Class("Title", TChartAxisTitle::StaticClass(), &T::Title, &T::SetTitle);
    p.Integer("TitleSize", &T::TitleSize, &T::SetTitleSize).Default(0);
    p.Bool("Visible", &T::Visible, &T::SetVisible).Default(true);
}

void TCustomChartAxis::AssignFrom(const TPersistent* source) {
    auto* a = dynamic_cast<const TCustomChartAxis*>(source);
    if (!a) {
        TPersistent::AssignFrom(source);
        return;
    }
    FAutomatic = a->FAutomatic;
    FAutomaticMaximum = a->FAutomaticMaximum;
    FAutomaticMinimum = a->FAutomaticMinimum;
    FMaximum = a->FMaximum;
    FMinimum = a->FMinimum;
    FIncrement = a->FIncrement;
    FLogarithmic = a->FLogarithmic;
    FLogarithmicBase = a->FLogarithmicBase;
    FInverted = a->FInverted;
    FAxis->AssignFrom(a->FAxis.get());
    FGrid->AssignFrom(a->FGrid.get());
    FGridCentered = a->FGridCentered;
    FTicks->AssignFrom(a->FTicks.get());
    FTicksInner->AssignFrom(a->FTicksInner.get());
    FMinorTicks->AssignFrom(a->FMinorTicks.get());
    FTickLength = a->FTickLength;
    FTickInnerLength = a->FTickInnerLength;
    FMinorTickLength = a->FMinorTickLength;
    FMinorTickCount = a->FMinorTickCount;
    FTickOnLabelsOnly = a->FTickOnLabelsOnly;
    FLabels = a->FLabels;
    FLabelsAngle = a->FLabelsAngle;
    FLabelsFont->AssignFrom(a->FLabelsFont.get());
    FLabelsOnAxis = a->FLabelsOnAxis;
    FLabelsSeparation = a->FLabelsSeparation;
    FLabelsSize = a->FLabelsSize;
    FTitleSize = a->FTitleSize;
    FLabelsMultiLine = a->FLabelsMultiLine;
    FLabelStyle = a->FLabelStyle;
    FAxisValuesFormat = a->FAxisValuesFormat;
    FDateTimeFormat = a->FDateTimeFormat;
    FExactDateTime = a->FExactDateTime;
    FRoundFirstLabel = a->FRoundFirstLabel;
    FTitle->AssignFrom(a->FTitle.get());
    FVisible = a->FVisible;
    FStartPosition = a->FStartPosition;
    FEndPosition = a->FEndPosition;
    FPositionPercent = a->FPositionPercent;
    FIsDepthAxis = a->FIsDepthAxis;
}

void TCustomChartAxis::Repaint() {
    if (FParentChart)
        FParentChart->RepaintPanel();
}

void TCustomChartAxis::PenChanged(TObject* /*sender*/) {
    Repaint();
}

void TCustomChartAxis::SetBooleanValue(bool& field, bool value) {
    if (ChangeField(field, value))
        Repaint();
}

void TCustomChartAxis::SetIntegerValue(int& field, int value) {
    if (ChangeField(field, value))
        Repaint();
}

void TCustomChartAxis::SetDoubleValue(double& field, double value) {
    if (ChangeField(field, value))
        Repaint();
}

// ---- Range

void TCustomChartAxis::SetAutomatic(bool value) {
    FAutomatic = value;
    if (!Loading()) {
        FAutomaticMinimum = value;
        FAutomaticMaximum = value;
    }
    Repaint();
}

void TCustomChartAxis::SetAutomaticMaximum(bool value) {
    if (FAutomaticMaximum == value)
        return;
    FAutomaticMaximum = value;
    if (!value)
        FAutomatic = false;
    else if (FAutomaticMinimum)
        FAutomatic = true;
    Repaint();
}

void TCustomChartAxis::SetAutomaticMinimum(bool value) {
    if (FAutomaticMinimum == value)
        return;
    FAutomaticMinimum = value;
    if (!value)
        FAutomatic = false;
    else if (FAutomaticMaximum)
        FAutomatic = true;
    Repaint();
}

void TCustomChartAxis::SetMaximum(double value) {
    if (!Loading() && value < FMinimum)
        throw AxisException(SAxisMaxMin);
    SetDoubleValue(FMaximum, value);
}

void TCustomChartAxis::SetMinimum(double value) {
    if (!Loading() && value > FMaximum)
        throw AxisException(SAxisMinMax);
    SetDoubleValue(FMinimum, value);
}

void TCustomChartAxis::SetMinMax(double minimum, double maximum) {
    if (!Loading() && minimum > maximum)
        throw AxisException(SAxisMinMax);
    FAutomatic = FAutomaticMinimum = FAutomaticMaximum = false;
    FMinimum = minimum;
    FMaximum = maximum;
    Repaint();
}

void TCustomChartAxis::FixRange(double a, double b) {
    FAutomatic = FAutomaticMinimum = FAutomaticMaximum = false;
    FMinimum = std::min(a, b);
    FMaximum = std::max(a, b);
    if (FMaximum - FMinimum < 1e-10)
        FMaximum = FMinimum + 1e-10;
    Repaint();
}

void TCustomChartAxis::RecalcLimits() {
    if (FLimitQuery) {
        if (FAutomatic || FAutomaticMaximum)
            FMaximum = FLimitQuery(this, false);
        if (FAutomatic || FAutomaticMinimum)
            FMinimum = FLimitQuery(this, true);
    }
    SetWorkingRange(FMinimum, FMaximum);
}

void TCustomChartAxis::SetWorkingRange(double minimum, double maximum) {
    FMinimumValue = minimum;
    FMaximumValue = maximum;
    FRange = maximum - minimum;
    FLogLowerEnd = minimum;
    if (FLogarithmic && !(minimum > 0))
        FLogLowerEnd = SmallestPositiveValue(maximum);
}

double TCustomChartAxis::SmallestPositiveValue(double maximum) const {
    double lowest = std::numeric_limits<double>::infinity();
    if (FPanel)
        for (TChartSeries* s : FPanel->SeriesList()) {
            if (!s->Active() || !s->UsesAxis(this))
                continue;
            const TChartValueList* list = FHorizontal ? s->XValues() : s->YValues();
            for (int i = 0; i < list->ValueCount(); ++i) {
                const double v = list->ValueAt(i);
                if (v > 0 && v < lowest)
                    lowest = v;
            }
        }
    if (std::isfinite(lowest) && lowest < maximum)
        return lowest;
    // Nothing positive below the maximum: one step of the base under it.
    return maximum > 0 ? maximum / std::max(2, FLogarithmicBase) : 1;
}

void TCustomChartAxis::SetPixelRange(int startMargin, int endMargin) {
    const int start = FIStartPos;
    const int end = FIEndPos;
    FIStartPos = start + startMargin;
    FIEndPos = end - endMargin;
    FIAxisSize = FIEndPos - FIStartPos;
    double a = FMinimumValue;
    double b = FMaximumValue;
    if (FIAxisSize >= 1) {
        a = PixelToValue(start);
        b = PixelToValue(end);
    }
    FIStartPos = start;
    FIEndPos = end;
    FIAxisSize = end - start;
    FICenterPos = (start + end) / 2;
    SetWorkingRange(std::min(a, b), std::max(a, b));
}

// ---- Pixels

void TCustomChartAxis::PlaceOnSide(int origin, int length) {
    FIStartPos = origin + int(Round(length * FStartPosition / 100));
    FIEndPos = origin + int(Round(length * FEndPosition / 100));
    FIAxisSize = FIEndPos - FIStartPos;
    FICenterPos = (FIStartPos + FIEndPos) / 2;
}

int TCustomChartAxis::ValueToPixel(double value) const {
    const double m = FMinimumValue;
    const double M = FMaximumValue;
    const double r = FRange;
    if (FIsDepthAxis) {
        if (r == 0)
            return FTotalDepth / 2;
        const double d = FTotalDepth * ((FInverted ? M - value : value - m) / r);
        return int(Round(std::clamp(d, -kMaxPixelOffset, kMaxPixelOffset)));
    }
    const int s = FIStartPos;
    const int e = FIEndPos;
    const int n = FIAxisSize;
    double d;
    if (FLogarithmic) {
        const double low = FLogLowerEnd;
        if (!(low > 0))
            return FICenterPos;
        const double lm = std::log(low);
        const double lM = std::log(M);
        const double span = lM - lm;
        if (span == 0 || !std::isfinite(span))
            return FICenterPos;
        // No logarithm for 0 or less: such a value sits at the end that stands for the minimum.
        if (value <= 0)
            return FHorizontal != FInverted ? s : e;
        const double lx = std::log(value);
        d = n * (FInverted ? lM - lx : lx - lm) / span;
        if (std::isnan(d))
            return FICenterPos;
        const int offset = int(Round(std::clamp(d, -kMaxPixelOffset, kMaxPixelOffset)));
        return FHorizontal ? s + offset : e - offset;
    }
    if (r == 0)
        return FICenterPos;
    d = (value - m) * n / r;
    if (std::isnan(d))
        return FICenterPos;
    const int offset = int(Round(std::clamp(d, -kMaxPixelOffset, kMaxPixelOffset)));
    if (FHorizontal)
        return FInverted ? e - offset : s + offset;
    return FInverted ? s + offset : e - offset;
}

double TCustomChartAxis::PixelToValue(int pixel) const {
    const int s = FIStartPos;
    const int e = FIEndPos;
    const int n = FIAxisSize;
    if (n < 1)
        return 0;
    const double m = FMinimumValue;
    const double M = FMaximumValue;
    if (FLogarithmic) {
        // The fraction of the way from the pixel that stands for the minimum.
        const int minPixel = FHorizontal != FInverted ? s : e;
        const int maxPixel = FHorizontal != FInverted ? e : s;
        if (pixel == minPixel)
            return m;
        if (pixel == maxPixel)
            return M;
        const double low = FLogLowerEnd;
        if (low <= 0 || M <= 0)
            return 0;
        const double fraction = double(std::abs(pixel - minPixel)) / n *
                                ((pixel - minPixel) * (maxPixel - minPixel) < 0 ? -1 : 1);
        return std::exp(std::log(low) + fraction * (std::log(M) - std::log(low)));
    }
    const double d = double(FInverted ? e - pixel : pixel - s) * FRange / n;
    return FHorizontal ? m + d : M - d;
}

// ---- Labels

bool TCustomChartAxis::IsLabelAcross() const {
    if (FHorizontal)
        return FLabelsAngle == 90 || FLabelsAngle == 270;
    return FLabelsAngle == 0 || FLabelsAngle == 180;
}

int TCustomChartAxis::LabelSizeForIncrement() {
    TCanvas3D* canvas = FParentChart ? FParentChart->ChartCanvas() : nullptr;
    if (!canvas || !canvas->ReferenceCanvas())
        return 0;
    canvas->Font()->AssignFrom(FLabelsFont.get());
    const std::string low = LabelText(FMinimumValue);
    const std::string high = LabelText(FMaximumValue);
    int lowLines = 0;
    int highLines = 0;
    const int lowWidth = WidestLineWidth(canvas, low, lowLines);
    const int highWidth = WidestLineWidth(canvas, high, highLines);
    if (IsLabelAcross())
        return canvas->FontHeight() * std::max(lowLines, highLines);
    return std::max(lowWidth, highWidth);
}

double TCustomChartAxis::CalcIncrement() {
    int size = LabelSizeForIncrement();
    if (size > 0 && FLabelsSeparation > 0)
        size += int(Round(size * FLabelsSeparation / 100.0));
    const int maxLabels = size == 0 ? 1 : int(Round(double(FIAxisSize) / size));
    if (maxLabels <= 0)
        return FIsDateTime ? kOneSecond : kMinimumStep;
    const double r = FRange;
    if (!std::isfinite(r))
        return FIsDateTime ? kOneSecond : kMinimumStep;

    if (FIsDateTime) {
        double step = std::max(FIncrement, kOneSecond);
        if (r / step > 1000000)
            step = r / 1000000;
        for (int guard = 0; guard < 5000 && Round(r / step) > maxLabels; ++guard)
            step = LargerStep(step);
        return std::max(step, kOneSecond);
    }

    double step = FIncrement > 0 ? FIncrement : (std::fabs(r) >= 1 ? 1 : kMinimumStep);
    if (FLabelsSeparation > 0) {
        auto tooMany = [&]() {
            const double q = r / step;
            if (!std::isfinite(q) || q > INT_MAX || q < INT_MIN)
                return true;
            return Round(q) > maxLabels;
        };
        for (int guard = 0; guard < 5000 && tooMany(); ++guard)
            step = LargerStep(step);
    }
    return std::max(step, kMinimumStep);
}

double TCustomChartAxis::LargerStep(double step) const {
    if (FIsDateTime)
        return step >= 365 ? step * 2 : NextLargerDateStep(step);
    return NextNiceStep(step);
}

bool TCustomChartAxis::LabelsTouch(const std::vector<TAxisLabel>& labels) {
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    FPanel->AssignCanvasFont(FLabelsFont.get());
    const bool across = IsLabelAcross();
    const int gap = std::max(1, canvas->MeasureTextWidth(" "));
    bool havePrevious = false;
    int previousPixel = 0;
    int previousSize = 0;
    for (const TAxisLabel& label : labels) {
        if (!label.Drawn || label.Text.empty())
            continue;
        int lines = 0;
        const int width = WidestLineWidth(canvas, label.Text, lines);
        const int size = across ? canvas->FontHeight() * lines : width;
        if (havePrevious &&
            2 * std::abs(label.Pixel - previousPixel) < previousSize + size + 2 * gap)
            return true;
        havePrevious = true;
        previousPixel = label.Pixel;
        previousSize = size;
    }
    return false;
}

std::string TCustomChartAxis::AutomaticDateFormat() const {
    if (!FDateTimeFormat.empty())
        return FDateTimeFormat;
    return FDateWithTime.empty() ? DateTimeFormatForStep(FRange) : FDateWithTime;
}

bool TCustomChartAxis::ChooseDateFormat(const std::vector<TAxisLabel>& labels, double step) {
    if (!FIsDateTime || !FDateTimeFormat.empty() || !FDateWithTime.empty())
        return false;
    const std::string format = DateTimeFormatForStep(FRange);
    std::vector<std::string> texts;
    for (const TAxisLabel& label : labels)
        if (label.Value >= 0)
            texts.push_back(FormatDateTime(format, label.Value));
    std::sort(texts.begin(), texts.end());
    if (std::adjacent_find(texts.begin(), texts.end()) == texts.end())
        return false;
    // Two labels alike: the date with the time of day (seconds for steps under a minute).
    FDateWithTime = ShortDateFormat + " " + (step < 1.0 / 1440 ? LongTimeFormat : ShortTimeFormat);
    return true;
}

std::string TCustomChartAxis::LabelText(double value) const {
    std::string text;
    if (FIsDateTime) {
        if (value >= 0)
            text = FormatDateTime(AutomaticDateFormat(), value);
    } else {
        text = FormatFloat(FAxisValuesFormat, value);
    }
    if (FOnGetAxisLabel)
        FOnGetAxisLabel(const_cast<TCustomChartAxis*>(this), text);
    if (FLabelsMultiLine)
        std::replace(text.begin(), text.end(), ' ', ChartLineSeparator);
    return text;
}

void TCustomChartAxis::IncrementValue(bool up, double& value, int stepIndex, double step) const {
    if (FExactDateTime && FIsDateTime && stepIndex > dtOneWeek)
        AdvanceByStep(true, up, value, stepIndex, step);
    else
        value = up ? value + step : value - step;
}

std::vector<double> TCustomChartAxis::LabelValues(double step) {
    std::vector<double> values;
    const double m = FMinimumValue;
    const double M = FMaximumValue;
    int stepIndex = dtNone;
    // Exact date-time steps follow the calendar: the step's place in the date-time steps
    // table, from the Increment when one is set, else from the step chosen for the labels.
    if (FIsDateTime && FExactDateTime) {
        stepIndex = DateTimeStepIndex(FIncrement != 0 ? FIncrement : step);
        if (stepIndex != dtNone)
            while (stepIndex < dtOneYear && step > DateTimeStep[size_t(stepIndex)])
                ++stepIndex;
    }
    const bool calendar = stepIndex >= dtHalfMonth && stepIndex <= dtOneYear;
    if (!(step > 0 || calendar) || M < m)
        return values;
    // The number of labels is limited by the range, not by the size of the values.
    if (step > 0 && FRange / step >= kMaxLabels)
        return values;

    double value;
    if (FIsDateTime && FExactDateTime && stepIndex >= dtHalfMonth && stepIndex <= dtOneYear)
        value = AlignDateToStep(stepIndex, M);
    else if (m == M)
        value = M;
    else if (FRoundFirstLabel)
        value = std::trunc(M / step) * step;
    else
        value = M;

    auto aboveTop = [&](double v) { return FLabelsOnAxis ? v > M : v >= M; };
    auto aboveBottom = [&](double v) { return FLabelsOnAxis ? v >= m : v > m; };
    for (int guard = 0; guard < kMaxLabels && aboveTop(value); ++guard) {
        const double before = value;
        IncrementValue(false, value, stepIndex, step);
        if (!(value < before))
            return values;
    }
    for (int guard = 0; guard < kMaxLabels && aboveBottom(value); ++guard) {
        values.push_back(value);
        const double before = value;
        IncrementValue(false, value, stepIndex, step);
        if (!(value < before))
            break;
    }
    return values;
}

int TCustomChartAxis::SpaceNeeded() const {
    int space = 0;
    if (FAxis->Visible())
        space += FAxis->Width();
    if (FTicks->Visible())
        space += FTickLength;
    if (FMinorTicks->Visible())
        space = std::max(space, FMinorTickLength);
    return space;
}

// ---- Setters with checks

void TCustomChartAxis::SetIncrement(double value) {
    if (value < 0)
        throw AxisException(SAxisIncrementNegative);
    SetDoubleValue(FIncrement, value);
}

void TCustomChartAxis::SetLogarithmic(bool value) {
    if (FLogarithmic == value)
        return;
    if (value && !Loading()) {
        // The series decide whether the axis shows dates now, not at the last paint.
        UpdateIsDateTime();
        if (FIsDateTime)
            throw AxisException(SAxisLogDateTime);
        RecalcLimits();
        if (FMinimumValue < 0 || FMaximumValue < 0)
            throw AxisException(SAxisLogNotPositive);
    }
    FLogarithmic = value;
    Repaint();
}

void TCustomChartAxis::SetLogarithmicBase(int value) {
    if (value < 2)
        throw AxisException(SAxisLogBase);
    SetIntegerValue(FLogarithmicBase, value);
}

void TCustomChartAxis::SetLabelsAngle(int value) {
    if (FLabelsAngle == value)
        return;
    ValidateAngle(value, SAxisLabels);
    FLabelsAngle = value;
    Repaint();
}

void TCustomChartAxis::SetLabelsSeparation(int value) {
    if (value < 0)
        throw AxisException(SAxisLabelSep);
    SetIntegerValue(FLabelsSeparation, value);
}

// ---- Plain setters

void TCustomChartAxis::SetInverted(bool value) {
    SetBooleanValue(FInverted, value);
}
void TCustomChartAxis::SetGridCentered(bool value) {
    SetBooleanValue(FGridCentered, value);
}
void TCustomChartAxis::SetTickLength(int value) {
    SetIntegerValue(FTickLength, value);
}
void TCustomChartAxis::SetTickInnerLength(int value) {
    SetIntegerValue(FTickInnerLength, value);
}
void TCustomChartAxis::SetMinorTickLength(int value) {
    SetIntegerValue(FMinorTickLength, value);
}
void TCustomChartAxis::SetMinorTickCount(int value) {
    SetIntegerValue(FMinorTickCount, value);
}
void TCustomChartAxis::SetTickOnLabelsOnly(bool value) {
    SetBooleanValue(FTickOnLabelsOnly, value);
}
void TCustomChartAxis::SetLabels(bool value) {
    SetBooleanValue(FLabels, value);
}
void TCustomChartAxis::SetLabelsOnAxis(bool value) {
    SetBooleanValue(FLabelsOnAxis, value);
}
void TCustomChartAxis::SetLabelsSize(int value) {
    SetIntegerValue(FLabelsSize, value);
}
void TCustomChartAxis::SetTitleSize(int value) {
    SetIntegerValue(FTitleSize, value);
}
void TCustomChartAxis::SetLabelsMultiLine(bool value) {
    SetBooleanValue(FLabelsMultiLine, value);
}
void TCustomChartAxis::SetExactDateTime(bool value) {
    SetBooleanValue(FExactDateTime, value);
}
void TCustomChartAxis::SetRoundFirstLabel(bool value) {
    SetBooleanValue(FRoundFirstLabel, value);
}
void TCustomChartAxis::SetVisible(bool value) {
    SetBooleanValue(FVisible, value);
}
void TCustomChartAxis::SetStartPosition(double value) {
    SetDoubleValue(FStartPosition, value);
}
void TCustomChartAxis::SetEndPosition(double value) {
    SetDoubleValue(FEndPosition, value);
}
void TCustomChartAxis::SetPositionPercent(double value) {
    SetDoubleValue(FPositionPercent, value);
}

void TCustomChartAxis::SetLabelStyle(TAxisLabelStyle value) {
    if (FLabelStyle == value)
        return;
    FLabelStyle = value;
    Repaint();
}

void TCustomChartAxis::SetAxisValuesFormat(const std::string& value) {
    if (FAxisValuesFormat == value)
        return;
    FAxisValuesFormat = value;
    Repaint();
}

void TCustomChartAxis::SetDateTimeFormat(const std::string& value) {
    if (FDateTimeFormat == value)
        return;
    FDateTimeFormat = value;
    Repaint();
}

// ---------------------------------------------------------------------------
// TChartDepthAxis

TChartDepthAxis::TChartDepthAxis(TChartPanelLink* parentChart)
    : TCustomChartAxis(parentChart, false, true, true) {
    SetVisible(false);
}

void TChartDepthAxis::Publish(TPublisher<TChartDepthAxis>& p) {
    p.Bool("Visible", &TChartDepthAxis::Visible, &TChartDepthAxis::SetVisible).Default(false);
}

// ---------------------------------------------------------------------------
// Axis layout and drawing

namespace {

std::vector<std::string> SplitLabelLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t pos = text.find(ChartLineSeparator, start);
        if (pos == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    return lines;
}

} // namespace

void TCustomChartAxis::UpdateIsDateTime() {
    if (!FPanel)
        return;
    for (TChartSeries* s : FPanel->SeriesList())
        if (s->Active() && s->UsesAxis(this)) {
            FIsDateTime = FHorizontal ? s->XValues()->DateTime() : s->YValues()->DateTime();
            return;
        }
    FIsDateTime = false;
}

void TCustomChartAxis::AdjustMaxMin() {
    UpdateIsDateTime();
    if (FPanel)
        FTotalDepth = FPanel->Width3D();
    RecalcLimits();
}

TAxisLabelStyle TCustomChartAxis::EffectiveLabelStyle() const {
    if (FLabelStyle != talAuto)
        return FLabelStyle;
    if (!FPanel)
        return talValue;
    if (FIsDepthAxis) {
        for (TChartSeries* s : FPanel->SeriesList()) {
            if (!s->Active())
                continue;
            if (s->MinZValue() != s->MaxZValue())
                return talValue;
        }
        return talText;
    }
    bool used = false;
    for (TChartSeries* s : FPanel->SeriesList()) {
        if (!s->Active() || !s->UsesAxis(this))
            continue;
        used = true;
        const bool positions = FHorizontal ? s->IsYMandatory() : !s->IsYMandatory();
        if (positions && s->Count() > 0 && !s->ValueLabel(0).empty())
            return talText;
    }
    return used ? talValue : talNone;
}

int TCustomChartAxis::MaxLabelWidth() {
    TChartCanvas3D* canvas = FPanel ? FPanel->Canvas3D() : nullptr;
    if (!canvas)
        return 0;
    FPanel->AssignCanvasFont(FLabelsFont.get());
    int lines = 0;
    switch (EffectiveLabelStyle()) {
    case talValue:
        return std::max(WidestLineWidth(canvas, LabelText(FMinimumValue), lines),
                        WidestLineWidth(canvas, LabelText(FMaximumValue), lines));
    case talText:
        if (FIsDepthAxis) {
            int widest = 0;
            for (int k = 0; k < FPanel->SeriesCount(); ++k)
                widest =
                    std::max(widest, WidestLineWidth(canvas, FPanel->LegendSeriesTitle(k), lines));
            return widest;
        }
        return FPanel->MaxTextLabelWidth();
    case talMark:
        return FPanel->MaxMarkWidth();
    default:
        return 0;
    }
}

bool TCustomChartAxis::IsTextAcross(int angle) const {
    if (FHorizontal)
        return angle == 0 || angle == 180;
    return angle == 90 || angle == 270;
}

int TCustomChartAxis::SideTextSize(const std::string& caption, int angle, const TFont* font) {
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    FPanel->AssignCanvasFont(font);
    int lines = 0;
    const int width = WidestLineWidth(canvas, caption, lines);
    return IsTextAcross(angle) ? canvas->FontHeight() * lines : width;
}

void TCustomChartAxis::ReserveSpace(TRect& r, bool reserve) {
    if (!FPanel)
        return;
    int titleSize = 0;
    if (!FTitle->Caption().empty())
        titleSize = FTitleSize != 0
                        ? FTitleSize
                        : SideTextSize(FTitle->Caption(), FTitle->Angle(), FTitle->Font());
    int labelsSize = 0;
    if (FLabels && EffectiveLabelStyle() != talNone) {
        if (FLabelsSize != 0) {
            labelsSize = FLabelsSize;
        } else if (IsTextAcross(FLabelsAngle)) {
            FPanel->AssignCanvasFont(FLabelsFont.get());
            const int lines =
                std::max(LineCount(LabelText(FMinimumValue)), LineCount(LabelText(FMaximumValue)));
            labelsSize = FPanel->Canvas3D()->FontHeight() * std::max(1, lines);
        } else {
            labelsSize = MaxLabelWidth();
        }
    }
    FTitleSizeUsed = titleSize;
    FLabelsSizeUsed = labelsSize;
    const int wall = FPanel->AxisWallSize(this);
    const int space = SpaceNeeded() + wall;
    if (reserve) {
        if (FIsDepthAxis) {
            r.Right -= labelsSize + space;
            r.Bottom -= titleSize;
        } else if (FHorizontal) {
            if (FOtherSide)
                r.Top += titleSize + labelsSize + space;
            else
                r.Bottom -= titleSize + labelsSize + space;
        } else if (FOtherSide) {
            r.Right -= titleSize + labelsSize + space;
        } else {
            r.Left += titleSize + labelsSize + space;
        }
        return;
    }
    const TRect& c = FPanel->ChartRect();
    FTotalDepth = FPanel->Width3D();
    if (FIsDepthAxis) {
        PlaceOnSide(0, FTotalDepth);
        FPosAxis = c.Right;
        FPosLabels = c.Right + space;
        FPosTitle = FPosLabels + labelsSize;
        return;
    }
    if (FHorizontal) {
        PlaceOnSide(c.Left, c.Width());
        const int offset = int(Round(FPositionPercent * FPanel->ChartHeight() / 100));
        if (FOtherSide) {
            FPosAxis = c.Top + offset;
            FPosLabels = FPosAxis - space;
            FPosTitle = FPosLabels - labelsSize;
        } else {
            FPosAxis = c.Bottom - offset;
            FPosLabels = FPosAxis + space;
            FPosTitle = FPosLabels + labelsSize;
        }
    } else {
        PlaceOnSide(c.Top, c.Height());
        const int offset = int(Round(FPositionPercent * FPanel->ChartWidth() / 100));
        if (FOtherSide) {
            FPosAxis = c.Right - offset;
            FPosLabels = FPosAxis + space;
            FPosTitle = FPosLabels + labelsSize;
        } else {
            FPosAxis = c.Left + offset;
            FPosLabels = FPosAxis - space;
            FPosTitle = FPosLabels - labelsSize;
        }
    }
}

int TCustomChartAxis::LabelPixel(double value) const {
    return ValueToPixel(value);
}

void TCustomChartAxis::CollectLabels(double step, std::vector<TAxisLabel>& labels) {
    const double m = FMinimumValue;
    const double M = FMaximumValue;
    auto add = [&](double value) {
        labels.push_back({value, LabelPixel(value), LabelText(value), true});
    };
    if (FPanel && FPanel->OnGetNextAxisLabel()) {
        bool stoppedAtStart = false;
        for (int index = 0; index < 1000; ++index) {
            bool stop = false;
            double value = 0;
            FPanel->OnGetNextAxisLabel()(FPanel, this, index, stop, value);
            if (stop) {
                stoppedAtStart = index == 0;
                break;
            }
            if (value >= m - 1e-7 && value <= M + 1e-7)
                add(value);
        }
        if (!stoppedAtStart)
            return;
    }
    if (FLogarithmic && FIncrement == 0) {
        if (M < m)
            return;
        const double base = FLogarithmicBase;
        const double low = FLogLowerEnd;
        if (!(low > 0))
            return;
        double value = std::pow(base, double(Round(std::log(low) / std::log(base))));
        for (int guard = 0; guard < 1000 && value <= M && value > 0; ++guard) {
            if (value >= low * (1 - 1e-12))
                add(value);
            value *= base;
        }
        return;
    }
    for (double value : LabelValues(step))
        add(value);
}

void TCustomChartAxis::CollectTextLabels(TAxisLabelStyle style, std::vector<TAxisLabel>& labels) {
    if (!FPanel)
        return;
    const TAxisOnGetLabel& event = FPanel->OnGetAxisLabel();
    if (FIsDepthAxis) {
        if (FPanel->CountActiveSeries() == 0)
            return;
        for (int64_t k = Trunc(FMinimumValue); k <= Trunc(FMaximumValue) && k < 10000; ++k) {
            const double value = FMaximumValue - double(k) - 0.5;
            std::string text = FPanel->LegendSeriesTitle(int(k));
            if (event)
                event(FPanel, this, nullptr, text, int(k));
            labels.push_back({value, LabelPixel(value), text, true});
        }
        return;
    }
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    FPanel->AssignCanvasFont(FLabelsFont.get());
    const bool across = IsLabelAcross();
    const int lineHeight = canvas->FontHeight();
    bool haveLast = false;
    int lastPixel = 0;
    int lastHalf = 0;
    for (TChartSeries* s : FPanel->SeriesList()) {
        if (!s->Active() || !s->UsesAxis(this))
            continue;
        s->CalcFirstLastVisible();
        if (s->FirstValueIndex() < 0)
            continue;
        for (int i = s->FirstValueIndex(); i <= s->LastValueIndex(); ++i) {
            const double value = FHorizontal ? s->XValueAt(i) : s->YValueAt(i);
            std::string text = style == talMark ? s->GetMarkText(i) : s->ValueLabel(i);
            if (event)
                event(FPanel, this, s, text, i);
            if (FLabelsMultiLine)
                std::replace(text.begin(), text.end(), ' ', ChartLineSeparator);
            const int pixel = LabelPixel(value);
            int lines = 0;
            const int width = WidestLineWidth(canvas, text, lines);
            const int size = across ? lineHeight * lines : width;
            const int half = (size + int(Trunc(size * 0.02 * FLabelsSeparation))) / 2;
            const bool drawn = !haveLast || std::abs(pixel - lastPixel) >= lastHalf + half;
            if (drawn) {
                haveLast = true;
                lastPixel = pixel;
                lastHalf = half;
            }
            if (drawn || !FTickOnLabelsOnly)
                labels.push_back({value, pixel, text, drawn});
        }
    }
}

void TCustomChartAxis::DrawTick(int pixel, int length, int wallSize) {
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    const int depth = FPanel->Width3D();
    if (FIsDepthAxis) {
        const TRect& c = FPanel->ChartRect();
        canvas->DrawLineAtDepth(c.Right, c.Bottom, c.Right + length, c.Bottom, pixel);
    } else if (FHorizontal) {
        if (FOtherSide)
            canvas->DrawLineAtDepth(pixel, FPosAxis, pixel, FPosAxis - length, depth);
        else
            canvas->DrawLineAtDepth(pixel, FPosAxis + wallSize, pixel, FPosAxis + wallSize + length,
                                    0);
    } else if (FOtherSide) {
        canvas->DrawLineAtDepth(FPosAxis, pixel, FPosAxis + length, pixel, depth);
    } else {
        canvas->DrawLineAtDepth(FPosAxis - wallSize, pixel, FPosAxis - wallSize - length, pixel, 0);
    }
}

void TCustomChartAxis::DrawGridLine(int pixel) {
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    const TRect& c = FPanel->ChartRect();
    const int depth = FPanel->Width3D();
    if (FIsDepthAxis)
        canvas->DrawHorizontalLineAtDepth(c.Left, c.Right, c.Bottom, pixel);
    else if (FHorizontal)
        canvas->DrawVerticalLineAtDepth(pixel, c.Top, c.Bottom, depth);
    else
        canvas->DrawHorizontalLineAtDepth(c.Left, c.Right, pixel, depth);
}

void TCustomChartAxis::DrawTicksAndGrid(const std::vector<TAxisLabel>& labels) {
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    const int wall = FPanel->AxisWallSize(this);
    const bool minor = FMinorTicks->Visible() && FMinorTickLength != 0 && FMinorTickCount > 0;
    bool havePrevious = false;
    int previous = 0;
    for (const TAxisLabel& label : labels) {
        if (FTickOnLabelsOnly && !label.Drawn)
            continue;
        const int p = label.Pixel;
        if (FGrid->Visible() && (!FGridCentered || havePrevious)) {
            canvas->UseChartPen(FGrid.get());
            if (FGrid->Color() == clAutoColor)
                canvas->Pen()->SetColor(clGray);
            canvas->Brush()->SetStyle(bsClear);
            FPanel->AdjustPenForPrinter(canvas->Pen());
            DrawGridLine(FGridCentered ? (p + previous) / 2 : p);
        }
        if (FTicks->Visible() && FTickLength != 0) {
            canvas->UseChartPen(FTicks.get());
            DrawTick(p, FTickLength, wall);
        }
        if (FTicksInner->Visible() && FTickInnerLength != 0) {
            canvas->UseChartPen(FTicksInner.get());
            DrawTick(p, -FTickInnerLength, wall);
        }
        if (minor) {
            canvas->UseChartPen(FMinorTicks.get());
            if (FLogarithmic) {
                const double value = label.Value;
                const double width = (FLogarithmicBase * value - value) / (FMinorTickCount + 1);
                for (int k = 1; k <= FMinorTickCount; ++k) {
                    const double v = value + k * width;
                    if (v >= FMinimumValue && v <= FMaximumValue)
                        DrawTick(LabelPixel(v), FMinorTickLength, wall);
                }
            } else if (havePrevious) {
                for (int k = 1; k <= FMinorTickCount; ++k)
                    DrawTick(previous + (p - previous) * k / (FMinorTickCount + 1),
                             FMinorTickLength, wall);
            }
        }
        havePrevious = true;
        previous = p;
    }
}

void TCustomChartAxis::DrawLabelText(int x, int y, const std::string& text, int angle) {
    TChartCanvas3D* canvas = FPanel ? FPanel->Canvas3D() : nullptr;
    if (!canvas)
        return;
    const std::vector<std::string> lines = SplitLabelLines(text);
    const int n = int(lines.size());
    const int h = canvas->FontHeight();
    const int half = h / 2;
    enum {
        sBottom,
        sTop,
        sLeft,
        sRight
    } side = FHorizontal ? (FOtherSide ? sTop : sBottom) : (FOtherSide ? sRight : sLeft);
    unsigned align = TA_LEFT | TA_TOP;
    int dx = 0, dy = 0; // the first line's offset
    int sx = 0, sy = h; // each further line's step
    switch (angle) {
    case 0:
        sx = 0;
        sy = h;
        switch (side) {
        case sBottom:
            align = TA_CENTER | TA_TOP;
            break;
        case sTop:
            align = TA_CENTER | TA_BOTTOM;
            dy = -(n - 1) * h;
            break;
        case sLeft:
            align = TA_RIGHT | TA_TOP;
            dy = n == 1 ? -half : -(n * h) / 2;
            break;
        case sRight:
            align = TA_LEFT | TA_TOP;
            dy = n == 1 ? -half : -(n * h) / 2;
            break;
        }
        break;
    case 180:
        sx = 0;
        sy = -h;
        switch (side) {
        case sBottom:
            align = TA_CENTER | TA_BOTTOM;
            dy = (n - 1) * h;
            break;
        case sTop:
            align = TA_CENTER | TA_TOP;
            break;
        case sLeft:
            align = TA_LEFT | TA_TOP;
            dy = n == 1 ? half : (n * h) / 2;
            break;
        case sRight:
            align = TA_RIGHT | TA_TOP;
            dy = n == 1 ? half : (n * h) / 2;
            break;
        }
        break;
    case 90:
        sx = h;
        sy = 0;
        switch (side) {
        case sBottom:
            align = TA_RIGHT | TA_TOP;
            dx = n == 1 ? -half : -(n * h) / 2;
            break;
        case sTop:
            align = TA_LEFT | TA_TOP;
            dx = n == 1 ? -half : -(n * h) / 2;
            break;
        case sLeft:
            align = TA_CENTER | TA_BOTTOM;
            dx = -(n - 1) * h;
            break;
        case sRight:
            align = TA_CENTER | TA_TOP;
            break;
        }
        break;
    case 270:
        sx = -h;
        sy = 0;
        switch (side) {
        case sBottom:
            align = TA_LEFT | TA_TOP;
            dx = n == 1 ? half : (n * h) / 2;
            break;
        case sTop:
            align = TA_RIGHT | TA_TOP;
            dx = n == 1 ? half : (n * h) / 2;
            break;
        case sLeft:
            align = TA_CENTER | TA_TOP;
            break;
        case sRight:
            align = TA_CENTER | TA_BOTTOM;
            dx = (n - 1) * h;
            break;
        }
        break;
    default:
        break;
    }
    const int z = FOtherSide ? FPanel->Width3D() : 0;
    canvas->WriteTextAlignment(int(align));
    for (int i = 0; i < n; ++i) {
        const int px = x + dx + i * sx;
        const int py = y + dy + i * sy;
        if (angle == 0)
            canvas->DrawTextAtDepth(px, py, z, lines[size_t(i)]);
        else
            canvas->DrawRotatedTextAtDepth(px, py, z, lines[size_t(i)], angle);
    }
    canvas->WriteTextAlignment(int(TA_LEFT | TA_TOP));
}

void TCustomChartAxis::DrawAxis(bool calcPosition) {
    if (!FPanel)
        return;
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    UpdateIsDateTime();
    FTotalDepth = FPanel->Width3D();
    if (calcPosition) {
        TRect r = FPanel->ChartRect();
        ReserveSpace(r, false);
    }
    FPanel->AssignCanvasFont(FLabelsFont.get());
    FDateWithTime.clear();
    double step = CalcIncrement();

    if (!FTitle->Caption().empty()) {
        FPanel->AssignCanvasFont(FTitle->Font());
        canvas->Brush()->SetStyle(bsClear);
        if (FIsDepthAxis)
            canvas->DrawTextAtDepth(FPosTitle, FPanel->ChartRect().Bottom, FTotalDepth / 2,
                                    FTitle->Caption());
        else if (FHorizontal)
            DrawLabelText(FICenterPos, FPosTitle, FTitle->Caption(), FTitle->Angle());
        else
            DrawLabelText(FPosTitle, FICenterPos, FTitle->Caption(), FTitle->Angle());
    }

    std::vector<TAxisLabel> labels;
    const TAxisLabelStyle style = EffectiveLabelStyle();
    if (style == talValue) {
        CollectLabels(step, labels);
        // The step comes from the widest label and the average spacing; shorter months and
        // the rounding of the label count can still bring two neighbours together, on
        // paper by the printer's own glyph widths too: such labels take a larger step.
        // Labels a handler places, and the powers of a logarithmic axis, stay as they are.
        const bool keepApart = FLabels && FLabelsSeparation > 0 && !FPanel->OnGetNextAxisLabel() &&
                               !(FLogarithmic && FIncrement == 0);
        for (int guard = 0; guard < 100; ++guard) {
            if (ChooseDateFormat(labels, step)) {
                // The longer texts may need a larger step.
                FPanel->AssignCanvasFont(FLabelsFont.get());
                step = CalcIncrement();
            } else if (keepApart && LabelsTouch(labels)) {
                const double larger = LargerStep(step);
                if (!(larger > step) || !std::isfinite(larger))
                    break;
                step = larger;
            } else {
                break;
            }
            labels.clear();
            CollectLabels(step, labels);
        }
    } else if (style == talText || style == talMark)
        CollectTextLabels(style, labels);
    DrawTicksAndGrid(labels);

    if (FLabels && !labels.empty()) {
        FPanel->AssignCanvasFont(FLabelsFont.get());
        if (FPanel->Printing() && canvas->Font()->Color() == clWhite)
            canvas->Font()->SetColor(clBlack);
        canvas->Brush()->SetStyle(bsClear);
        const TRect& c = FPanel->ChartRect();
        for (const TAxisLabel& label : labels) {
            if (!label.Drawn || label.Text.empty())
                continue;
            if (FIsDepthAxis) {
                canvas->WriteTextAlignment(int(TA_LEFT | TA_TOP));
                canvas->DrawTextAtDepth(FPosLabels, c.Bottom, label.Pixel, label.Text);
            } else if (FHorizontal) {
                DrawLabelText(label.Pixel, FPosLabels, label.Text, FLabelsAngle);
            } else {
                DrawLabelText(FPosLabels, label.Pixel, label.Text, FLabelsAngle);
            }
        }
    }

    if (FAxis->Visible()) {
        canvas->UseChartPen(FAxis.get());
        AxisLinePos(FPanel->AxisWallSize(this));
    }
}

void TCustomChartAxis::AxisLinePos(int wallSize) {
    if (!FPanel)
        return;
    TChartCanvas3D* canvas = FPanel->Canvas3D();
    const int depth = FPanel->Width3D();
    if (FHorizontal) {
        if (FOtherSide)
            canvas->DrawHorizontalLineAtDepth(FIStartPos, FIEndPos, FPosAxis, depth);
        else
            canvas->DrawHorizontalLineAtDepth(FIStartPos - FPanel->AxisWallSize(FPanel->LeftAxis()),
                                              FIEndPos, FPosAxis + wallSize, 0);
    } else if (FOtherSide) {
        canvas->DrawVerticalLineAtDepth(FPosAxis, FIStartPos, FIEndPos, depth);
    } else {
        canvas->DrawVerticalLineAtDepth(FPosAxis - wallSize, FIStartPos,
                                        FIEndPos + FPanel->AxisWallSize(FPanel->BottomAxis()), 0);
    }
}

void TChartDepthAxis::AxisLinePos(int /*wallSize*/) {
    TCustomAxisPanel* panel = ParentPanel();
    if (!panel)
        return;
    const TRect& c = panel->ChartRect();
    panel->Canvas3D()->DrawDepthLine(c.Right, c.Bottom + panel->AxisWallSize(panel->BottomAxis()),
                                     0, panel->Width3D());
}

bool TCustomChartAxis::ContainsPoint(int x, int y) const {
    if (!FPanel || !FPanel->AxisVisible() || !FPanel->IsAxisVisible(this))
        return false;
    const int farSide =
        FOtherSide == FHorizontal ? FPosLabels - FLabelsSizeUsed : FPosLabels + FLabelsSizeUsed;
    TRect r;
    if (FHorizontal)
        r = TRect(FIStartPos, std::min(FPosAxis, farSide), FIEndPos, std::max(FPosAxis, farSide));
    else
        r = TRect(std::min(FPosAxis, farSide), FIStartPos, std::max(FPosAxis, farSide), FIEndPos);
    InflateRect(r, 3, 3);
    return x >= r.Left && x <= r.Right && y >= r.Top && y <= r.Bottom;
}
