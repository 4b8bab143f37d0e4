#pragma once
// The standard series functions: add, subtract, multiply, divide, high, low and average
// of the points of one source series (over the whole series or period by period) or of
// several source series point by point.

#include "chart/ChartEngine.h"

#include <vector>

// The sum.
class TAddChartFunction : public TChartFunction {
    ORV_CLASS(TAddChartFunction, TChartFunction)

    explicit TAddChartFunction(TComponent* owner) : TChartFunction(owner) {}
    double CalculateRange(TChartSeries* source, int first, int last) override;
    double CalculateAcross(const std::vector<TChartSeries*>& sources, int index) override;
};

// Functions of several sources that combine the values at one point in source order.
class TManySeriesChartFunction : public TChartFunction {
    ORV_CLASS(TManySeriesChartFunction, TChartFunction)

    explicit TManySeriesChartFunction(TComponent* owner) : TChartFunction(owner) {}
    // The first source that has the point starts; each later one combines.
    double CalculateAcross(const std::vector<TChartSeries*>& sources, int index) override;
    virtual double CombineValues(double result, double value) { return value; }
};

// The first source minus the others.
class TSubtractChartFunction : public TManySeriesChartFunction {
    ORV_CLASS(TSubtractChartFunction, TManySeriesChartFunction)

    explicit TSubtractChartFunction(TComponent* owner) : TManySeriesChartFunction(owner) {}
    double CombineValues(double result, double value) override { return result - value; }
};

// The product.
class TMultiplyChartFunction : public TManySeriesChartFunction {
    ORV_CLASS(TMultiplyChartFunction, TManySeriesChartFunction)

    explicit TMultiplyChartFunction(TComponent* owner) : TManySeriesChartFunction(owner) {}
    double CombineValues(double result, double value) override { return result * value; }
};

// The first source divided by the others; a zero divisor leaves the result as it is.
class TDivideChartFunction : public TManySeriesChartFunction {
    ORV_CLASS(TDivideChartFunction, TManySeriesChartFunction)

    explicit TDivideChartFunction(TComponent* owner) : TManySeriesChartFunction(owner) {}
    double CombineValues(double result, double value) override {
        return value == 0 ? result : result / value;
    }
};

// The largest value.
class THighChartFunction : public TChartFunction {
    ORV_CLASS(THighChartFunction, TChartFunction)

    explicit THighChartFunction(TComponent* owner) : TChartFunction(owner) {}
    double CalculateRange(TChartSeries* source, int first, int last) override;
    double CalculateAcross(const std::vector<TChartSeries*>& sources, int index) override;
};

// The smallest value.
class TLowChartFunction : public TChartFunction {
    ORV_CLASS(TLowChartFunction, TChartFunction)

    explicit TLowChartFunction(TComponent* owner) : TChartFunction(owner) {}
    double CalculateRange(TChartSeries* source, int first, int last) override;
    double CalculateAcross(const std::vector<TChartSeries*>& sources, int index) override;
};

// The mean.
class TAverageChartFunction : public TChartFunction {
    ORV_CLASS(TAverageChartFunction, TChartFunction)

    explicit TAverageChartFunction(TComponent* owner) : TChartFunction(owner) {}
    double CalculateRange(TChartSeries* source, int first, int last) override;
    double CalculateAcross(const std::vector<TChartSeries*>& sources, int index) override;
};
