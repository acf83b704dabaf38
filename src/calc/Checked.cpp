#include "calc/Checked.h"

#include <cfenv>
#include <cmath>
#include <cstdint>

// This file is compiled with -frounding-math and -fno-fast-math (see the
// build), and every operation goes through volatile operands, so the compiler
// neither folds nor moves an operation away from its flag test.

namespace orvel {

namespace {

constexpr int kFaultFlags = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;

[[noreturn]] void raiseFlags(int flags)
{
    // Report the fault that the operation itself signalled; one operation sets
    // at most one of the three, except overflow with inexact (not a fault).
    if (flags & FE_INVALID)
        throw OrvelError(QString::fromLatin1(kInvalidOp));
    if (flags & FE_DIVBYZERO)
        throw OrvelError(QString::fromLatin1(kDivByZero));
    throw OrvelError(QString::fromLatin1(kOverflow));
}

inline void check()
{
    const int flags = std::fetestexcept(kFaultFlags);
    if (flags)
        raiseFlags(flags);
}

} // namespace

void clearFlags() { std::feclearexcept(FE_ALL_EXCEPT); }

void raiseIfFaulted() { check(); }

ext xadd(ext a, ext b)
{
    volatile ext x = a, y = b;
    clearFlags();
    volatile ext r = x + y;
    check();
    return r;
}

ext xsub(ext a, ext b)
{
    volatile ext x = a, y = b;
    clearFlags();
    volatile ext r = x - y;
    check();
    return r;
}

ext xmul(ext a, ext b)
{
    volatile ext x = a, y = b;
    clearFlags();
    volatile ext r = x * y;
    check();
    return r;
}

ext xdiv(ext a, ext b)
{
    volatile ext x = a, y = b;
    clearFlags();
    volatile ext r = x / y;
    check();
    return r;
}

ext xneg(ext a) { return -a; }

ext xln(ext a)
{
    volatile ext x = a;
    clearFlags();
    volatile ext r = logl(x);
    check();
    return r;
}

ext xexp(ext a)
{
    volatile ext x = a;
    clearFlags();
    volatile ext r = expl(x);
    check();
    return r;
}

double store(ext a)
{
    volatile ext x = a;
    clearFlags();
    volatile double r = static_cast<double>(x);
    check();
    return r;
}

ext power(ext g, ext n)
{
    const bool whole = std::isfinite(n) && std::fabs(n) <= 2147483647.0L && n == std::trunc(n);
    if (whole) {
        std::uint32_t bits = static_cast<std::uint32_t>(std::llabs(static_cast<long long>(n)));
        ext result = 1.0L;
        ext base = g;
        while (bits != 0) {
            if (bits & 1u)
                result = xmul(result, base);
            bits >>= 1;
            if (bits != 0)
                base = xmul(base, base);
        }
        if (n < 0)
            result = xdiv(1.0L, result);
        return result;
    }
    if (g == 0)
        return 0.0L;
    return xexp(xmul(n, xln(g)));
}

std::int64_t roundWhole(ext x)
{
    volatile ext v = x;
    const ext whole = nearbyintl(v); // ties to even
    // 2^63: the first magnitude a signed 64-bit integer cannot hold (2^63 - 0.5
    // is an extended value and rounds up to it).
    if (!(std::fabs(whole) < 9223372036854775808.0L))
        throw OrvelError(QString::fromLatin1(kInvalidOp));
    return static_cast<std::int64_t>(whole);
}

std::int64_t kopecksOf(double roubles) { return roundWhole(xmul(static_cast<ext>(roubles), 100.0L)); }

double roundHundredths(double x) { return store(xdiv(static_cast<ext>(kopecksOf(x)), 100.0L)); }

} // namespace orvel
