#pragma once
// Checked extended-precision arithmetic.
//
// Every calculator computes in `long double` (80-bit x87 extended on x86-64,
// round to nearest, ties to even) and stores results as `double` where the
// calculation says so. Each operation clears the floating-point status flags,
// runs, and inspects them: division by zero, invalid operation and overflow
// raise OrvelError with the message the error box shows; underflow and inexact
// results pass silently. Storing to double is checked the same way.
#include "calc/OrvelError.h"

#include <cstdint>

namespace orvel {

using ext = long double;

ext xadd(ext a, ext b);
ext xsub(ext a, ext b);
ext xmul(ext a, ext b);
ext xdiv(ext a, ext b);
ext xneg(ext a);
ext xln(ext a);  // natural logarithm; a negative argument is invalid
ext xexp(ext a); // e^a; overflow raises, underflow gives 0 or a denormal

// Round an extended value to double ("stored"): overflow raises.
double store(ext a);

// Throws the error for the first of the faulting flags that is set, after a
// computation done outside these helpers (library calls, conversions).
void raiseIfFaulted();
void clearFlags();

// g to the power n as the deposit and loan calculations define it: repeated
// squaring over the bits of |n| for a whole n with |n| <= 2147483647 (n = 0
// gives 1), otherwise e^(n ln g), with g = 0 giving 0.
ext power(ext g, ext n);

// x rounded to the nearest whole number, ties to even, as a signed 64-bit
// integer. A magnitude of 2^63 or more (or a NaN) is an invalid operation.
std::int64_t roundWhole(ext x);

// Hundredths rounding: x * 100 in extended precision, rounded to a whole
// number with ties to even as a signed 64-bit integer, divided by 100 and
// stored. A product of magnitude 2^63 or more is an invalid operation.
double roundHundredths(double x);

// Roubles in whole kopecks: x * 100 in extended precision rounded to a whole
// number, ties to even (the step of roundHundredths before its division).
// A product of magnitude 2^63 or more is an invalid operation.
std::int64_t kopecksOf(double roubles);

// A value that enforces the checks through ordinary operators, for formulas
// that read better written out.
class X {
public:
    X() = default;
    X(ext v) : m_v(v) {} // NOLINT: implicit on purpose, for literals and doubles
    ext value() const { return m_v; }
    double stored() const { return store(m_v); }

    friend X operator+(X a, X b) { return xadd(a.m_v, b.m_v); }
    friend X operator-(X a, X b) { return xsub(a.m_v, b.m_v); }
    friend X operator*(X a, X b) { return xmul(a.m_v, b.m_v); }
    friend X operator/(X a, X b) { return xdiv(a.m_v, b.m_v); }
    X operator-() const { return xneg(m_v); }

private:
    ext m_v = 0;
};

} // namespace orvel
