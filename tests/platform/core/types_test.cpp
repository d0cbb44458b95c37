// Rectangle arithmetic with the platform's rules: right and bottom edges lie outside.
#include "platform/core/types.h"

#include <climits>

#include <gtest/gtest.h>

TEST(TRect, EdgesAndContains)
{
    const TRect r = Rect(10, 20, 30, 50);
    EXPECT_EQ(r.Width(), 20);
    EXPECT_EQ(r.Height(), 30);
    EXPECT_TRUE(r.Contains(Point(10, 20)));
    EXPECT_FALSE(r.Contains(Point(30, 20))); // right edge is outside
    EXPECT_FALSE(r.Contains(Point(10, 50))); // bottom edge is outside
    EXPECT_TRUE(r.Contains(Point(29, 49)));
    EXPECT_TRUE(Rect(5, 5, 5, 10).IsEmpty());
    EXPECT_TRUE(Rect(5, 5, 4, 10).IsEmpty());
    EXPECT_EQ(Bounds(1, 2, 3, 4), Rect(1, 2, 4, 6));
}

TEST(TRect, IntersectRect)
{
    TRect result;
    EXPECT_TRUE(IntersectRect(result, Rect(0, 0, 10, 10), Rect(5, 5, 20, 20)));
    EXPECT_EQ(result, Rect(5, 5, 10, 10));
    // Rectangles that only touch do not meet: the shared edge belongs to neither.
    result = Rect(1, 1, 2, 2);
    EXPECT_FALSE(IntersectRect(result, Rect(0, 0, 10, 10), Rect(10, 0, 20, 10)));
    EXPECT_EQ(result, TRect{});
}

TEST(TRect, UnionRectIgnoresEmptyRectangles)
{
    TRect result;
    EXPECT_TRUE(UnionRect(result, Rect(0, 0, 10, 10), Rect(20, 5, 30, 15)));
    EXPECT_EQ(result, Rect(0, 0, 30, 15));
    EXPECT_TRUE(UnionRect(result, Rect(100, 100, 100, 200), Rect(1, 2, 3, 4)));
    EXPECT_EQ(result, Rect(1, 2, 3, 4));
    EXPECT_TRUE(UnionRect(result, Rect(1, 2, 3, 4), TRect{}));
    EXPECT_EQ(result, Rect(1, 2, 3, 4));
    EXPECT_FALSE(UnionRect(result, TRect{}, Rect(5, 5, 5, 9)));
    EXPECT_EQ(result, TRect{});
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
