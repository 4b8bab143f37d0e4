// The value lists of a series: storage, order, totals and the source lists they follow.

#include "chart/ChartEngine.h"

#include <algorithm>
#include <cmath>

TChartValueList::TChartValueList(TChartSeries* owner, std::string name)
    : FOwner(owner), FName(std::move(name)) {}

TChartValueList::~TChartValueList() = default;

void TChartValueList::Publish(TPublisher<TChartValueList>& p) {
    using T = TChartValueList;
    p.String("Name", &T::Name, &T::SetName);
    p.Enum("Order", TypeInfoTChartListOrder(), &T::Order, &T::SetOrder).NoDefault();
    p.Float("Multiplier", &T::Multiplier, &T::SetMultiplier).Default(1.0);
    p.Bool("DateTime", &T::DateTime, &T::SetDateTime).NoDefault();
    p.String("ValueSource", &T::ValueSource, &T::SetValueSource);
}

void TChartValueList::AssignFrom(const TPersistent* source) {
    if (auto* list = dynamic_cast<const TChartValueList*>(source)) {
        FOrder = list->FOrder;
        FDateTime = list->FDateTime;
        FMultiplier = list->FMultiplier;
        FValueSource = list->FValueSource;
        MarkModified();
        return;
    }
    TPersistent::AssignFrom(source);
}

double TChartValueList::ValueAt(int index) const {
    return FValues[size_t(index)] * FMultiplier;
}

void TChartValueList::SetValueAt(int index, double value) {
    FValues[size_t(index)] = value;
    MarkModified();
    if (FOwner)
        FOwner->NotifyDependents(TChartSeries::scValueChanged, index);
}

void TChartValueList::ClearValues() {
    FValues.clear();
    FValues.shrink_to_fit();
    MarkModified();
}

int TChartValueList::AddValue(double value) {
    const int count = ValueCount();
    int index = count;
    if (FOrder == loAscending && count > 0 && value < FValues.back()) {
        int t = count - 1;
        while (t >= 0 && FValues[size_t(t)] > value)
            --t;
        index = t + 1;
    } else if (FOrder == loDescending && count > 0 && value > FValues.back()) {
        int t = count - 1;
        while (t >= 0 && FValues[size_t(t)] < value)
            --t;
        index = t + 1;
    }
    FValues.insert(FValues.begin() + index, value);
    MarkModified();
    return index;
}

void TChartValueList::InsertValueAt(int index, double value) {
    FValues.insert(FValues.begin() + index, value);
    MarkModified();
}

void TChartValueList::DeleteValueAt(int index) {
    FValues.erase(FValues.begin() + index);
    MarkModified();
}

void TChartValueList::RotateFirstToEnd() {
    if (FValues.empty())
        return;
    std::rotate(FValues.begin(), FValues.begin() + 1, FValues.end());
    MarkModified();
}

void TChartValueList::Exchange(int index1, int index2) {
    std::swap(FValues[size_t(index1)], FValues[size_t(index2)]);
    MarkModified();
}

void TChartValueList::Recalc() const {
    FModified = false;
    if (FValues.empty()) {
        FHighest = FLowest = FSum = FAbsSum = 0;
        return;
    }
    double v = ValueAt(0);
    FHighest = FLowest = FSum = v;
    FAbsSum = std::fabs(v);
    for (int i = 1; i < ValueCount(); ++i) {
        v = ValueAt(i);
        if (v < FLowest)
            FLowest = v;
        else if (v > FHighest)
            FHighest = v;
        FSum += v;
        FAbsSum += std::fabs(v);
    }
}

double TChartValueList::Highest() const {
    if (FModified)
        Recalc();
    return FHighest;
}

double TChartValueList::Lowest() const {
    if (FModified)
        Recalc();
    return FLowest;
}

double TChartValueList::Sum() const {
    if (FModified)
        Recalc();
    return FSum;
}

double TChartValueList::AbsSum() const {
    if (FModified)
        Recalc();
    return FAbsSum;
}

int TChartValueList::IndexOfValue(double value) const {
    for (int i = 0; i < ValueCount(); ++i)
        if (ValueAt(i) == value)
            return i;
    return -1;
}

void TChartValueList::StoreValue(int index, double value) {
    FValues[size_t(index)] = value;
    MarkModified();
}

void TChartValueList::NumberSequentially() {
    for (int i = 0; i < ValueCount(); ++i)
        FValues[size_t(i)] = i;
    MarkModified();
}

int TChartValueList::CompareValues(int a, int b) const {
    const double va = ValueAt(a);
    const double vb = ValueAt(b);
    int result = va < vb ? -1 : (va > vb ? 1 : 0);
    return FOrder == loDescending ? -result : result;
}

void TChartValueList::QuickSort(int low, int high) {
    int i = low;
    int j = high;
    int pivot = (low + high) / 2;
    while (i <= j) {
        while (CompareValues(i, pivot) < 0)
            ++i;
        while (CompareValues(pivot, j) < 0)
            --j;
        if (i <= j) {
            if (i != j) {
                if (FOwner)
                    FOwner->SwapValues(i, j);
                else
                    Exchange(i, j);
            }
            // The pivot index follows its element.
            if (pivot == i)
                pivot = j;
            else if (pivot == j)
                pivot = i;
            ++i;
            --j;
        }
    }
    if (low < j)
        QuickSort(low, j);
    if (i < high)
        QuickSort(i, high);
}

void TChartValueList::SortByOrder() {
    if (FOrder == loNone || ValueCount() < 2)
        return;
    QuickSort(0, ValueCount() - 1);
}

void TChartValueList::SetMultiplier(double value) {
    if (FMultiplier == value)
        return;
    FMultiplier = value;
    MarkModified();
    if (FOwner) {
        FOwner->NotifyDependents(TChartSeries::scRefresh);
        FOwner->RepaintChart();
    }
}

void TChartValueList::SetDateTime(bool value) {
    if (FOwner)
        FOwner->SetBooleanProperty(FDateTime, value);
    else
        FDateTime = value;
}

void TChartValueList::SetValueSource(const std::string& value) {
    if (FValueSource == value)
        return;
    FValueSource = value;
    if (FOwner)
        FOwner->ReloadFromSource();
}
