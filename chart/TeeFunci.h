#pragma once
// The standard series functions: add, subtract, multiply, divide, high, low and average
// of the points of one source series (over the whole series or period by period) or of
// several source series point by point.

#include "chart/TeEngine.h"

#include <vector>

// The sum.
class TAddTeeFunction : public TTeeFunction {
    ORV_CLASS(TAddTeeFunction, TTeeFunction)

    explicit TAddTeeFunction(TComponent* owner) : TTeeFunction(owner) {}
    double CalculateRange(TChartSeries* source, int first, int last) override;
    double CalculateAcross(const std::vector<TChartSeries*>& sources, int index) override;
};

// Functions of several sources that combine the values at one point in source order.
class TManySeriesTeeFunction : public TTeeFunction {
    ORV_CLASS(TManySeriesTeeFunction, TTeeFunction)

    explicit TManySeriesTeeFunction(TComponent* owner) : TTeeFunction(owner) {}
    // The first source that has the point starts; each later one combines.
    double CalculateAcross(const std::vector<TChartSeries*>& sources, int index) override;
    virtual double CombineValues(double result, double value) { return value; }
};

// The first source minus the others.
class TSubtractTeeFunction : public TManySeriesTeeFunction {
    ORV_CLASS(TSubtractTeeFunction, TManySeriesTeeFunction)

    explicit TSubtractTeeFunction(TComponent* owner) : TManySeriesTeeFunction(owner) {}
    double CombineValues(double result, double value) override { return result - value; }
};

// The product.
class TMultiplyTeeFunction : public TManySeriesTeeFunction {
    ORV_CLASS(TMultiplyTeeFunction, TManySeriesTeeFunction)

    explicit TMultiplyTeeFunction(TComponent* owner) : TManySeriesTeeFunction(owner) {}
    double CombineValues(double result, double value) override { return result * value; }
};

// The first source divided by the others; a zero divisor leaves the result as it is.
class TDivideTeeFunction : public TManySeriesTeeFunction {
    ORV_CLASS(TDivideTeeFunction, TManySeriesTeeFunction)

    explicit TDivideTeeFunction(TComponent* owner) : TManySeriesTeeFunction(owner) {}
    double CombineValues(double result, double value) override {
        return value == 0 ? result : result / value;
    }
};

// The largest value.
class THighTeeFunction : public TTeeFunction {
    ORV_CLASS(THighTeeFunction, TTeeFunction)

    explicit THighTeeFunction(TComponent* owner) : TTeeFunction(owner) {}
    double CalculateRange(TChartSeries* source, int first, int last) override;
    double CalculateAcross(const std::vector<TChartSeries*>& sources, int index) override;
};

// The smallest value.
class TLowTeeFunction : public TTeeFunction {
    ORV_CLASS(TLowTeeFunction, TTeeFunction)

    explicit TLowTeeFunction(TComponent* owner) : TTeeFunction(owner) {}
    double CalculateRange(TChartSeries* source, int first, int last) override;
    double CalculateAcross(const std::vector<TChartSeries*>& sources, int index) override;
};

// The mean.
class TAverageTeeFunction : public TTeeFunction {
    ORV_CLASS(TAverageTeeFunction, TTeeFunction)

    explicit TAverageTeeFunction(TComponent* owner) : TTeeFunction(owner) {}
    double CalculateRange(TChartSeries* source, int first, int last) override;
    double CalculateAcross(const std::vector<TChartSeries*>& sources, int index) override;
};
