#include "model/RootsEqu.h"

#include <cmath>

namespace {

// A function value of at most this magnitude is a root (an extended-precision constant).
constexpr long double kZero = 1e-15L;

bool IsZero(double value) {
    return std::fabs(static_cast<long double>(value)) <= kZero;
}

} // namespace

double CallRootFunction(TRootFunction f, double x) {
    return f(x);
}

bool Converged(double xNew, double xOld, double fNew, double tol) {
    return IsZero(fNew) || std::fabs(xNew - xOld) < std::fabs(xOld * tol);
}

void Bisect(double a, double b, double tol, int maxIter, TRootFunction f, double& root,
            double& fRoot, int& iter, uint8_t& err) {
    bool found = false;
    double fa = CallRootFunction(f, a);
    const double fb = CallRootFunction(f, b);
    if (IsZero(fa)) {
        root = a;
        fRoot = CallRootFunction(f, a);
        found = true;
    }
    if (IsZero(fb)) {
        root = b;
        fRoot = CallRootFunction(f, b);
        found = true;
    }
    if (!found) {
        if (fa * fb > 0)
            err = 2;
        if (!(tol > 0))
            err = 3;
        if (maxIter < 0)
            err = 4;
    }
    if (err != 0 || found)
        return;

    iter = 0;
    fa = CallRootFunction(f, a);
    // Without a pass (maxIter 0) the result is the left end.
    double m = a;
    double fm = fa;
    while (!found && iter < maxIter) {
        ++iter;
        m = (a + b) / 2;
        fm = CallRootFunction(f, m);
        found = Converged(m, a, fm, tol);
        if (fa * fm < 0) {
            b = m;
        } else {
            a = m;
            fa = fm;
        }
    }
    root = m;
    fRoot = fm;
    if (iter >= maxIter)
        err = 1;
}

void Secant(double x0, double x1, double tol, int maxIter, TRootFunction f, double& root,
            double& fRoot, int& iter, uint8_t& err) {
    bool found = false;
    iter = 0;
    err = 0;
    double f0 = CallRootFunction(f, x0);
    double f1 = CallRootFunction(f, x1);
    if (IsZero(f0)) {
        x1 = x0;
        f1 = f0;
        found = true;
    } else if (IsZero(f1)) {
        found = true;
    } else if (IsZero(f0 - f1)) {
        err = 2;
    }
    if (!(tol > 0))
        err = 3;
    if (maxIter < 0)
        err = 4;

    while (!found && err == 0 && iter < maxIter) {
        // Two equal successive values give no secant: stop as for equal start values.
        if (f1 == f0) {
            err = 2;
            break;
        }
        ++iter;
        const double x2 = x1 - (x1 - x0) * f1 / (f1 - f0);
        const double f2 = CallRootFunction(f, x2);
        found = Converged(x2, x0, f2, tol);
        x0 = x1;
        f0 = f1;
        x1 = x2;
        f1 = f2;
    }
    root = x1;
    fRoot = f1;
    if (!found && err == 0 && iter >= maxIter)
        err = 1;
}
