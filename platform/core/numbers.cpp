// Integer scaling (MulDiv) and rounding (Round, Trunc) with the platform's rules.
#include "platform/core/numbers.h"

#include <cmath>
#include <limits>

namespace {

// Product / c rounded to the nearest integer, halves away from zero: one unit
// further from zero when the remainder is at least half the divisor. W holds
// the product, and so twice any remainder.
template <class W> W DivideRounded(W product, W c)
{
    W quotient = product / c;
    const W remainder = product % c;
    const W absRemainder = remainder < 0 ? -remainder : remainder;
    const W absDivisor = c < 0 ? -c : c;
    if (2 * absRemainder >= absDivisor)
        quotient += (product < 0) != (c < 0) ? -1 : 1;
    return quotient;
}

} // namespace

int64_t MulDiv64(int64_t a, int64_t b, int64_t c)
{
    // Operands of 32 bits, the common case, keep to 64-bit arithmetic (a
    // product below 2^62, a divisor whose remainders double safely).
    constexpr int64_t small = int64_t{1} << 31;
    constexpr int64_t divisorLimit = int64_t{1} << 62;
    if (a > -small && a < small && b > -small && b < small && c > -divisorLimit && c < divisorLimit)
        return DivideRounded<int64_t>(a * b, c);
    // Two 64-bit operands make a product of up to 127 bits: it and the
    // quotient are taken in 128 bits, so no operand is cut on the way.
    const __int128 quotient = DivideRounded<__int128>(static_cast<__int128>(a) * b, c);
    if (quotient > std::numeric_limits<int64_t>::max())
        return std::numeric_limits<int64_t>::max();
    if (quotient < std::numeric_limits<int64_t>::min())
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(quotient);
}

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    // Scaling between equal resolutions, the common case on screen: exact.
    if (b == c)
        return a;
    const int64_t quotient = MulDiv64(a, b, c);
    if (quotient < std::numeric_limits<int32_t>::min() || quotient > std::numeric_limits<int32_t>::max())
        return -1;
    return static_cast<int>(quotient);
}

namespace {

// long double -> int64 without undefined behaviour: NaN gives 0, values beyond
// the range saturate at its ends (the callers clamp scores to 32 bits anyway).
int64_t SaturateToInt64(long double whole)
{
    if (std::isnan(whole))
        return 0;
    // 2^63 is exact in long double; every whole value below it converts exactly.
    constexpr long double limit = 9223372036854775808.0L;
    if (whole >= limit)
        return std::numeric_limits<int64_t>::max();
    if (whole < -limit)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(whole);
}

} // namespace

int64_t Round(long double x)
{
    // floor and the subtraction below are exact, so the result does not depend on
    // the floating-point rounding mode that other code may have changed.
    if (!std::isfinite(x))
        return SaturateToInt64(x);
    const long double below = std::floor(x);
    const long double fraction = x - below; // exact: 0 <= fraction < 1
    long double result = below;
    if (fraction > 0.5L)
        result = below + 1;
    else if (fraction == 0.5L && std::fmod(below, 2.0L) != 0) // a half goes to the even neighbour
        result = below + 1;
    return SaturateToInt64(result);
}

int64_t Trunc(long double x)
{
    if (!std::isfinite(x))
        return SaturateToInt64(x);
    return SaturateToInt64(std::trunc(x));
}
