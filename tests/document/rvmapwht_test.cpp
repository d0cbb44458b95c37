// Similarity scores, with the values style merging relies on and values from hostile files.
#include "document/rvmapwht.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/core/colors.h"

TEST(RVCompareIntsTest, Scores)
{
    EXPECT_EQ(RV_CompareInts(0, 0, 77), 77);
    EXPECT_EQ(RV_CompareInts(0, 1, 77), 0);
    EXPECT_EQ(RV_CompareInts(0, 3, 10), -20);
    EXPECT_EQ(RV_CompareInts(15, 10, 1000), 667);
    EXPECT_EQ(RV_CompareInts(-10, -15, 1000), 500);
}

TEST(RVCompareIntsTest, HalvesRoundToEvenInExtendedPrecision)
{
    EXPECT_EQ(RV_CompareInts(4, 5, 6), 4);  // 4.5
    EXPECT_EQ(RV_CompareInts(4, 3, 10), 8); // 7.5
    // (1 - 5/6) * 3 lands a hair above 0.5 in extended precision.
    EXPECT_EQ(RV_CompareInts(6, 1, 3), 1);
}

TEST(RVCompareIntsTest, ExtremeValuesClampInsteadOfOverflowing)
{
    EXPECT_EQ(RV_CompareInts(INT_MIN, INT_MIN, 1000), 1000);
    EXPECT_EQ(RV_CompareInts(INT_MIN, 0, 1000), 0);
    EXPECT_EQ(RV_CompareInts(INT_MAX, INT_MIN, 1), -1);
    EXPECT_EQ(RV_CompareInts(0, INT_MIN, 1000), INT_MIN);
    EXPECT_EQ(RV_CompareInts(0, INT_MIN, -1000), INT_MAX);
    EXPECT_EQ(RV_CompareInts(0, INT_MAX, 2), INT_MIN);
    EXPECT_EQ(RV_CompareInts(0, 0, INT_MIN), INT_MIN);
    EXPECT_EQ(RV_CompareInts(5, 5, INT_MAX), INT_MAX);
    EXPECT_EQ(RV_CompareInts(1, INT_MAX, INT_MAX), INT_MIN);
    EXPECT_EQ(RV_CompareInts(1, INT_MIN, INT_MIN), INT_MAX);
}

TEST(RVCompareColorsTest, Scores)
{
    EXPECT_EQ(RV_CompareColors(clNone, clNone, 3000, 5000), 14000);
    EXPECT_EQ(RV_CompareColors(clNone, clRed, 3000, 5000), 0);
    EXPECT_EQ(RV_CompareColors(clRed, clNone, 3000, 5000), 0);
    EXPECT_EQ(RV_CompareColors(clTeal, clTeal, 3000, 5000), 5000);
    // Red against black: one bright channel against none, so no Weight2.
    EXPECT_EQ(RV_CompareColors(clRed, clBlack, 3000, 5000), -3000);
    EXPECT_EQ(RV_CompareColors(clWhite, clBlack, 255, 1), -765);
    // Two dark colours still get Weight2; each channel's cost truncates.
    EXPECT_EQ(RV_CompareColors(RGB(10, 10, 10), clBlack, 255, 7), 7 - 30);
    EXPECT_EQ(RV_CompareColors(RGB(1, 1, 1), clBlack, 100, 7), 7);
    // A system colour is compared by its value.
    EXPECT_EQ(RV_CompareColors(clBtnFace, GetSysColor(COLOR_BTNFACE), 3000, 5000), 5000);
}

TEST(RVCompareColorsTest, ExtremeWeightsClamp)
{
    EXPECT_EQ(RV_CompareColors(clNone, clNone, INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(RV_CompareColors(clNone, clNone, INT_MIN, -1), INT_MIN);
    EXPECT_EQ(RV_CompareColors(clWhite, clBlack, INT_MAX, 0), INT_MIN);
    EXPECT_EQ(RV_CompareColors(clWhite, clBlack, INT_MIN, 0), INT_MAX);
}
