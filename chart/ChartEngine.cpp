// The chart engine's type information, the functions that compute a series from its
// sources, and the classes form resources name.

#include "chart/ChartEngine.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------
// Type information

const TTypeInfo* TypeInfoTChartListOrder() {
    static const TTypeInfo info =
        MakeEnumType("TChartListOrder", {"loNone", "loAscending", "loDescending"});
    return &info;
}

const TTypeInfo* TypeInfoTSeriesMarksStyle() {
    static const TTypeInfo info =
        MakeEnumType("TSeriesMarksStyle",
                     {"smsValue", "smsPercent", "smsLabel", "smsLabelPercent", "smsLabelValue",
                      "smsLegend", "smsPercentTotal", "smsLabelPercentTotal", "smsXValue"});
    return &info;
}

const TTypeInfo* TypeInfoTFunctionPeriodStyle() {
    static const TTypeInfo info = MakeEnumType("TFunctionPeriodStyle", {"psNumPoints", "psRange"});
    return &info;
}

const TTypeInfo* TypeInfoTFunctionPeriodAlign() {
    static const TTypeInfo info =
        MakeEnumType("TFunctionPeriodAlign", {"paFirst", "paCenter", "paLast"});
    return &info;
}

const TTypeInfo* TypeInfoTAxisLabelStyle() {
    static const TTypeInfo info =
        MakeEnumType("TAxisLabelStyle", {"talAuto", "talNone", "talValue", "talMark", "talText"});
    return &info;
}

// ---------------------------------------------------------------------------
// TChartFunction

TChartFunction::TChartFunction(TComponent* owner) : TComponent(owner) {}

TChartFunction::~TChartFunction() {
    if (FParent && FParent->FFunction == this)
        FParent->FFunction = nullptr;
}

void TChartFunction::Publish(TPublisher<TChartFunction>& p) {
    using T = TChartFunction;
    p.Float("Period", &T::Period, &T::SetPeriod).Default(0.0);
    p.Enum("PeriodAlign", TypeInfoTFunctionPeriodAlign(), &T::PeriodAlign, &T::SetPeriodAlign)
        .Default(paCenter);
    p.Enum("PeriodStyle", TypeInfoTFunctionPeriodStyle(), &T::PeriodStyle, &T::SetPeriodStyle)
        .Default(psNumPoints);
}

void TChartFunction::AssignFrom(const TPersistent* source) {
    if (auto* f = dynamic_cast<const TChartFunction*>(source)) {
        FPeriod = f->FPeriod;
        FPeriodStyle = f->FPeriodStyle;
        FPeriodAlign = f->FPeriodAlign;
        return;
    }
    TComponent::AssignFrom(source);
}

void TChartFunction::AddPeriodPoint(TChartSeries* source, int first, int last, double x) {
    const double value = CalculateRange(source, first, last);
    AddFunctionXY(source->IsYMandatory(), value, x);
}

void TChartFunction::AddWholeRangePoints(TChartSeries* source, TChartValueList* positionList) {
    const double value = CalculateRange(source, -1, -1);
    const double low = positionList->Lowest();
    const double high = positionList->Highest();
    if (FParent->PointsStandAlone()) {
        const double middle = low + (high - low) * 0.5;
        if (FParent->IsYMandatory())
            FParent->AddPoint(middle, value, {}, clAutoColor);
        else
            FParent->AddPoint(value, middle, {}, clAutoColor);
    } else {
        AddFunctionXY(source->IsYMandatory(), value, low);
        AddFunctionXY(source->IsYMandatory(), value, high);
    }
}

void TChartFunction::AddPeriodPoints(TChartSeries* source, TChartValueList* positionList) {
    const int count = source->Count();
    if (count == 0)
        return;
    auto aligned = [this](double start, double end) {
        switch (FPeriodAlign) {
        case paFirst:
            return start;
        case paLast:
            return end;
        default:
            return (start + end) * 0.5;
        }
    };
    int first = 0;
    if (FPeriodStyle == psNumPoints) {
        // A period that rounds to no points counts one point per period.
        const int points = int(std::clamp<int64_t>(Round(FPeriod), 1, count));
        while (first < count) {
            const int last = first + points - 1;
            if (last >= count)
                break; // a short final period adds nothing
            AddPeriodPoint(source, first, last,
                           aligned(positionList->ValueAt(first), positionList->ValueAt(last)));
            first = last + 1;
        }
        return;
    }

    TCustomChartAxis* axis = FParent->GetHorizAxis();
    int stepIndex = DateTimeStepIndex(FPeriod);
    if (stepIndex < dtHalfMonth)
        stepIndex = dtNone;
    double boundary = positionList->ValueAt(0);
    while (first < count) {
        const double start = boundary;
        double next = boundary;
        if (axis)
            axis->IncrementValue(true, next, stepIndex, FPeriod);
        else
            next += FPeriod;
        // A boundary that no longer grows ends the function (no endless periods).
        if (!(next > boundary))
            break;
        boundary = next;
        const double end = boundary - FPeriod * 0.001;
        const double position = aligned(start, end);
        if (positionList->ValueAt(first) < boundary) {
            int last = first;
            while (last + 1 < count && positionList->ValueAt(last + 1) < boundary)
                ++last;
            AddPeriodPoint(source, first, last, position);
            first = last + 1;
        } else {
            AddFunctionXY(source->IsYMandatory(), 0, position);
        }
    }
}

double TChartFunction::CalculateRange(TChartSeries*, int, int) {
    return 0;
}

double TChartFunction::CalculateAcross(const std::vector<TChartSeries*>&, int) {
    return 0;
}

void TChartFunction::FillFromSource(TChartSeries* source) {
    if (!source || !FParent)
        return;
    TChartValueList* positionList = source->IsYMandatory() ? source->XValues() : source->YValues();
    if (FParent->DataSources().size() > 1) {
        for (int i = 0; i < source->Count(); ++i) {
            double position = positionList->ValueAt(i);
            double value = CalculateAcross(FParent->DataSources(), i);
            if (!source->IsYMandatory())
                std::swap(position, value);
            FParent->AddPoint(position, value, source->ValueLabel(i), clAutoColor);
        }
    } else if (source->Count() > 0) {
        if (FPeriod == 0)
            AddWholeRangePoints(source, positionList);
        else
            AddPeriodPoints(source, positionList);
    }
}

void TChartFunction::EndUpdate() {
    if (FUpdating) {
        FUpdating = false;
        Recalculate();
    }
}

void TChartFunction::Recalculate() {
    if (!FUpdating && FParent)
        FParent->ReloadFromSource();
}

TChartValueList* TChartFunction::ValueListToUse(TChartSeries* source) const {
    const std::string& name = FParent ? FParent->MandatoryValueList()->ValueSource() : "";
    if (name.empty())
        return source->MandatoryValueList();
    return source->ValueListByName(name);
}

void TChartFunction::AddFunctionXY(bool sourceIsYMandatory, double value, double position) {
    if (sourceIsYMandatory)
        FParent->AddPoint(position, value, {}, clAutoColor);
    else
        FParent->AddPoint(value, position, {}, clAutoColor);
}

void TChartFunction::AttachToSeries(TChartSeries* series) {
    if (!series || FParent == series)
        return;
    if (FParent)
        FParent->FFunction = nullptr;
    FParent = nullptr;
    series->AttachFunction(this);
}

TComponent* TChartFunction::ParentComponent() const {
    return FParent;
}

void TChartFunction::SetParentComponent(TComponent* value) {
    if (auto* series = dynamic_cast<TChartSeries*>(value))
        AttachToSeries(series);
}

void TChartFunction::SetPeriod(double value) {
    if (value < 0)
        throw Exception(SFunctionPeriod);
    if (FPeriod == value)
        return;
    FPeriod = value;
    Recalculate();
}

void TChartFunction::SetPeriodStyle(TFunctionPeriodStyle value) {
    if (FPeriodStyle == value)
        return;
    FPeriodStyle = value;
    Recalculate();
}

void TChartFunction::SetPeriodAlign(TFunctionPeriodAlign value) {
    if (FPeriodAlign == value)
        return;
    FPeriodAlign = value;
    Recalculate();
}

namespace {
// Form resources name these classes.
const bool kClassesRegistered = [] {
    RegisterClasses({TChartAxis::StaticClass(), TChartDepthAxis::StaticClass(),
                     TSeriesMarks::StaticClass(), TChartAxisTitle::StaticClass()});
    return true;
}();
} // namespace
