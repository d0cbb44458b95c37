// MulDiv and Round, the rounding rules that layout and scores depend on, and
// rectangle arithmetic at the edges of the integer range.
#include <gtest/gtest.h>

#include <cfenv>
#include <climits>
#include <limits>
#include <random>
#include <utility>

#include "platform/core/numbers.h"
#include "platform/core/types.h"

// Halves away from zero, a sixty-four-bit product, and -1 for a result outside
// thirty-two bits or a zero divisor.
TEST(MulDiv, RoundingProductAndFailures)
{
    const struct {
        int a, b, c, expected;
    } cases[] = {
        {5, 1, 2, 3},
        {-5, 1, 2, -3},
        {5, 1, -2, -3},
        {-5, -1, -2, -3},
        {7, 1, 3, 2},
        {8, 1, 3, 3},
        {-8, 1, 3, -3},
        {96, 144, 96, 144},
        {-7, 96, 96, -7},
        {100000, 100000, 1000, 10000000},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {INT_MIN, INT_MIN, INT_MIN, INT_MIN},
        {INT_MIN, 1, 1, INT_MIN},
        {INT_MAX, 2, 1, -1},
        {INT_MIN, -1, 1, -1},
        {INT_MIN, 1, -1, -1},
        {INT_MIN, INT_MIN, 1, -1},
        {INT_MAX, 3, 2, -1},
        {5, 1, 0, -1},
        {0, 0, 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
}

// The 64-bit form rounds as MulDiv does on both of its ways (operands of 32
// bits and wider ones), checked against the rounding worked out on magnitudes.
TEST(MulDiv64, RoundsHalvesAwayFromZeroAndSaturates)
{
    std::mt19937_64 random(2026);
    for (int i = 0; i < 20000; ++i) {
        const int shift = i % 64;
        const int64_t a = static_cast<int64_t>(random()) >> shift;
        const int64_t b = static_cast<int64_t>(random()) >> (63 - shift);
        int64_t c = static_cast<int64_t>(random()) >> (i % 63);
        if (c == 0)
            c = 1;
        const unsigned __int128 magA = a < 0 ? -static_cast<unsigned __int128>(a) : a;
        const unsigned __int128 magB = b < 0 ? -static_cast<unsigned __int128>(b) : b;
        const unsigned __int128 magC = c < 0 ? -static_cast<unsigned __int128>(c) : c;
        const unsigned __int128 rounded = (2 * magA * magB + magC) / (2 * magC);
        const bool negative = rounded != 0 && ((a < 0) != (b < 0)) != (c < 0);
        int64_t expected;
        if (negative)
            expected = rounded > static_cast<unsigned __int128>(INT64_MAX) + 1
                           ? INT64_MIN
                           : static_cast<int64_t>(-static_cast<__int128>(rounded));
        else
            expected = rounded > INT64_MAX ? INT64_MAX : static_cast<int64_t>(rounded);
        ASSERT_EQ(MulDiv64(a, b, c), expected) << a << " * " << b << " / " << c;
    }
}

// Halves to even, the rest to the nearest, saturating outside sixty-four bits.
TEST(Round, HalvesToEvenOthersToTheNearest)
{
    using ld = std::numeric_limits<long double>;
    using i64 = std::numeric_limits<int64_t>;
    const std::pair<long double, int64_t> cases[] = {
        {2.5L, 2},
        {3.5L, 4},
        {-2.5L, -2},
        {-3.5L, -4},
        {0.5L, 0},
        {-0.5L, 0},
        {1.5L, 2},
        {2.4999999L, 2},
        {2.5000001L, 3},
        {-2.6L, -3},
        {-2.4L, -2},
        {0.0L, 0},
        {0.5L - ld::epsilon() / 4, 0}, // just below a half must not become a half
        {1e15L + 0.5L, 1000000000000000LL},
        {1e30L, i64::max()},
        {-1e30L, i64::min()},
        {ld::infinity(), i64::max()},
        {ld::quiet_NaN(), 0},
        {-9223372036854775808.0L, i64::min()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Round(c.first), c.second) << static_cast<double>(c.first);
}

TEST(Round, DoesNotDependOnTheRoundingMode)
{
    const int saved = std::fegetround();
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        EXPECT_EQ(Round(2.5L), 2);
        EXPECT_EQ(Round(3.5L), 4);
        EXPECT_EQ(Round(-2.5L), -2);
        EXPECT_EQ(Round(2.6L), 3);
        EXPECT_EQ(Round(-2.6L), -3);
    }
    std::fesetround(saved);
}

// Sums of sizes and scores read from files come back to int saturated, never wrapped.
TEST(RV_Clamp32, SaturatesAtBothEnds)
{
    const std::pair<int64_t, int> cases[] = {{0, 0},
                                             {-7, -7},
                                             {INT32_MAX, INT32_MAX},
                                             {int64_t(INT32_MAX) + 1, INT32_MAX},
                                             {INT64_MAX, INT32_MAX},
                                             {INT32_MIN, INT32_MIN},
                                             {int64_t(INT32_MIN) - 1, INT32_MIN},
                                             {INT64_MIN, INT32_MIN},
                                             {int64_t(1) << 32, INT32_MAX}};
    for (const auto& [value, clamped] : cases)
        EXPECT_EQ(RV_Clamp32(value), clamped) << value;
}

TEST(TRect, ExtremeValuesWrapInsteadOfOverflowing)
{
    const TRect wide = Rect(INT_MIN, 0, INT_MAX, 1);
    EXPECT_EQ(wide.Width(), -1); // 2^32 - 1 wraps, as in 32-bit arithmetic
    TRect r = Rect(0, 0, INT_MAX, 10);
    OffsetRect(r, 1, 0);
    EXPECT_EQ(r.Right, INT_MIN);
    InflateRect(r, 1, 0);
    EXPECT_EQ(r.Left, 0);
    EXPECT_EQ(r.Right, INT_MIN + 1);
}
