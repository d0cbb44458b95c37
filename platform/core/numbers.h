// Integer scaling and rounding with the platform's rules, which layout and
// scoring results depend on to the unit.
#pragma once

#include <cstdint>

// a * b / c with a 64-bit product, the quotient rounded to the nearest integer
// with halves away from zero; -1 when c is 0 or the result does not fit 32 bits.
int MulDiv(int a, int b, int c);
// a * b / c of 64-bit operands, the product and quotient taken in 128 bits and
// rounded as MulDiv rounds, saturated to the 64-bit range; c must not be 0.
int64_t MulDiv64(int64_t a, int64_t b, int64_t c);

// To the nearest integer, halves to even (2.5 -> 2, 3.5 -> 4), in long double,
// whatever the floating-point rounding mode. Values beyond 64 bits saturate at
// the ends of the range; NaN gives 0.
int64_t Round(long double x);
// Toward zero, saturating like Round.
int64_t Trunc(long double x);

// Value cut to the 32-bit range. Sizes and scores that come from files are
// summed in 64 bits and brought back to int with this.
inline int RV_Clamp32(int64_t value)
{
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(value);
}
