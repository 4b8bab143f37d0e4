#include "chart/ChartFunctions.h"

#include <algorithm>

namespace {

// The values of the sources that have point index, in source order.
template <class F>
void ForEachValueAt(const TChartFunction& function, const std::vector<TChartSeries*>& sources,
                    int index, F&& f) {
    for (TChartSeries* source : sources) {
        TChartValueList* list = function.ValueListToUse(source);
        if (list->ValueCount() > index)
            f(list->ValueAt(index));
    }
}

// Sum and count of first..last (all points for first = -1); count 0 for an empty range.
void RangeSum(TChartValueList* list, int first, int last, double& sum, int& count) {
    sum = 0;
    count = 0;
    if (first == -1) {
        first = 0;
        last = list->ValueCount() - 1;
    }
    last = std::min(last, list->ValueCount() - 1);
    for (int i = std::max(first, 0); i <= last; ++i) {
        sum += list->ValueAt(i);
        ++count;
    }
}

// The largest (or smallest) of first..last; 0 for an empty range.
double RangeExtreme(TChartValueList* list, int first, int last, bool highest) {
    if (first == -1)
        return list->ValueCount() == 0 ? 0 : (highest ? list->Highest() : list->Lowest());
    last = std::min(last, list->ValueCount() - 1);
    first = std::max(first, 0);
    if (last < first)
        return 0;
    double result = list->ValueAt(first);
    for (int i = first + 1; i <= last; ++i) {
        const double v = list->ValueAt(i);
        if (highest ? v > result : v < result)
            result = v;
    }
    return result;
}

// The largest (or smallest) value at index over the sources that have it, starting from
// the first source that has the point; 0 when none has it.
double AcrossExtreme(const TChartFunction& function, const std::vector<TChartSeries*>& sources,
                     int index, bool highest) {
    bool found = false;
    double result = 0;
    ForEachValueAt(function, sources, index, [&](double v) {
        if (!found || (highest ? v > result : v < result))
            result = v;
        found = true;
    });
    return result;
}

} // namespace

double TAddChartFunction::CalculateRange(TChartSeries* source, int first, int last) {
    TChartValueList* list = ValueListToUse(source);
    if (first == -1)
        return list->Sum();
    double sum = 0;
    int count = 0;
    RangeSum(list, first, last, sum, count);
    return sum;
}

double TAddChartFunction::CalculateAcross(const std::vector<TChartSeries*>& sources, int index) {
    double sum = 0;
    ForEachValueAt(*this, sources, index, [&](double v) { sum += v; });
    return sum;
}

double TManySeriesChartFunction::CalculateAcross(const std::vector<TChartSeries*>& sources,
                                                 int index) {
    bool found = false;
    double result = 0;
    ForEachValueAt(*this, sources, index, [&](double v) {
        result = found ? CombineValues(result, v) : v;
        found = true;
    });
    return result;
}

double THighChartFunction::CalculateRange(TChartSeries* source, int first, int last) {
    return RangeExtreme(ValueListToUse(source), first, last, true);
}

double THighChartFunction::CalculateAcross(const std::vector<TChartSeries*>& sources, int index) {
    return AcrossExtreme(*this, sources, index, true);
}

double TLowChartFunction::CalculateRange(TChartSeries* source, int first, int last) {
    return RangeExtreme(ValueListToUse(source), first, last, false);
}

double TLowChartFunction::CalculateAcross(const std::vector<TChartSeries*>& sources, int index) {
    return AcrossExtreme(*this, sources, index, false);
}

double TAverageChartFunction::CalculateRange(TChartSeries* source, int first, int last) {
    TChartValueList* list = ValueListToUse(source);
    if (first == -1)
        return list->ValueCount() == 0 ? 0 : list->Sum() / list->ValueCount();
    double sum = 0;
    int count = 0;
    RangeSum(list, first, last, sum, count);
    return count == 0 ? 0 : sum / count;
}

double TAverageChartFunction::CalculateAcross(const std::vector<TChartSeries*>& sources,
                                              int index) {
    double sum = 0;
    int count = 0;
    ForEachValueAt(*this, sources, index, [&](double v) {
        sum += v;
        ++count;
    });
    return count == 0 ? 0 : sum / count;
}
