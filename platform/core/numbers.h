// Integer scaling and rounding with the platform's rules, which layout and
// scoring results depend on to the unit.
#pragma once

#include <cstdint>

// a * b / c with a 64-bit product, the quotient rounded to the nearest integer
// with halves away from zero; -1 when c is 0 or the result does not fit 32 bits.
int MulDiv(int a, int b, int c);

// To the nearest integer, halves to even (2.5 -> 2, 3.5 -> 4), in long double,
// whatever the floating-point rounding mode. Values beyond 64 bits saturate at
// the ends of the range; NaN gives 0.
int64_t Round(long double x);
// Toward zero, saturating like Round.
int64_t Trunc(long double x);
