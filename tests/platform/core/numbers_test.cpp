// MulDiv and Round, the rounding rules that layout and scores depend on, and
// rectangle arithmetic with the platform's rules (right and bottom edges lie outside).
#include <gtest/gtest.h>

#include <cfenv>
#include <climits>
#include <limits>

#include "platform/core/numbers.h"
#include "platform/core/types.h"

TEST(MulDiv, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(5, 1, -2), -3);
    EXPECT_EQ(MulDiv(-5, -1, -2), -3);
    EXPECT_EQ(MulDiv(7, 1, 3), 2); // 2.33
    EXPECT_EQ(MulDiv(8, 1, 3), 3); // 2.67
    EXPECT_EQ(MulDiv(-8, 1, 3), -3);
    EXPECT_EQ(MulDiv(96, 144, 96), 144);
}

TEST(MulDiv, ProductIsSixtyFourBits)
{
    EXPECT_EQ(MulDiv(100000, 100000, 1000), 10000000);
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(MulDiv(INT_MIN, INT_MIN, INT_MIN), INT_MIN);
    EXPECT_EQ(MulDiv(INT_MIN, 1, 1), INT_MIN);
}

TEST(MulDiv, ResultOutsideThirtyTwoBitsGivesMinusOne)
{
    EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
    EXPECT_EQ(MulDiv(INT_MIN, -1, 1), -1); // 2^31
    EXPECT_EQ(MulDiv(INT_MIN, 1, -1), -1);
    EXPECT_EQ(MulDiv(INT_MIN, INT_MIN, 1), -1);
    EXPECT_EQ(MulDiv(INT_MAX, 3, 2), -1);
}

TEST(Round, HalvesGoToEven)
{
    EXPECT_EQ(Round(2.5L), 2);
    EXPECT_EQ(Round(3.5L), 4);
    EXPECT_EQ(Round(-2.5L), -2);
    EXPECT_EQ(Round(-3.5L), -4);
    EXPECT_EQ(Round(0.5L), 0);
    EXPECT_EQ(Round(-0.5L), 0);
    EXPECT_EQ(Round(1.5L), 2);
}

TEST(Round, OtherValuesGoToTheNearest)
{
    EXPECT_EQ(Round(2.4999999L), 2);
    EXPECT_EQ(Round(2.5000001L), 3);
    EXPECT_EQ(Round(-2.6L), -3);
    EXPECT_EQ(Round(-2.4L), -2);
    EXPECT_EQ(Round(0.0L), 0);
    // Just below a half in long double must not become a half.
    EXPECT_EQ(Round(0.5L - std::numeric_limits<long double>::epsilon() / 4), 0);
    EXPECT_EQ(Round(1e15L + 0.5L), 1000000000000000LL);
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

TEST(Round, SaturatesOutsideSixtyFourBits)
{
    EXPECT_EQ(Round(1e30L), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(Round(-1e30L), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(Round(std::numeric_limits<long double>::infinity()), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(Round(std::numeric_limits<long double>::quiet_NaN()), 0);
    EXPECT_EQ(Round(-9223372036854775808.0L), std::numeric_limits<int64_t>::min());
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

TEST(MulDiv, ZeroDivisorGivesMinusOne)
{
    EXPECT_EQ(MulDiv(5, 1, 0), -1);
    EXPECT_EQ(MulDiv(0, 0, 0), -1);
}
