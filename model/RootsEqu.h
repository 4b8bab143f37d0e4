#pragma once
// Roots of a real function of one real variable: bisection and the secant method.
// Failures are reported through an error code, never raised:
//   0 success, 1 iteration limit, 2 bad start values, 3 tolerance not positive,
//   4 negative iteration limit.
// The function may have side effects (a whole year's energy balance), so the order and
// number of its evaluations are fixed: in the normal case the last one is at the root.

#include <cstdint>

// A plain function; callers that need context pass it through global variables.
using TRootFunction = double (*)(double);

// The one place where the root finders evaluate F.
double CallRootFunction(TRootFunction f, double x);

// True when |fNew| counts as zero or xNew moved less than |xOld * tol| from xOld.
bool Converged(double xNew, double xOld, double fNew, double tol);

// Bisection on [a, b]. Err is in-out: it is never set to 0 here, the caller clears it, and
// a non-zero Err on entry stops the search after its end checks. With error 2, 3 or 4
// from the end checks, root, fRoot and iter keep their values.
void Bisect(double a, double b, double tol, int maxIter, TRootFunction f, double& root,
            double& fRoot, int& iter, uint8_t& err);

// The secant method from x0 and x1; every output is set.
void Secant(double x0, double x1, double tol, int maxIter, TRootFunction f, double& root,
            double& fRoot, int& iter, uint8_t& err);
