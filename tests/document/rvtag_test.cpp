// Tag values: kinds, copies and the comparison rules of both tag modes.
#include "document/rvtag.h"

#include <gtest/gtest.h>

TEST(TRVTagTest, CopiesOwnTheirText)
{
    TRVTag original(AnsiString("first"));
    TRVTag copy = RV_CopyTag(original, true);
    original = TRVTag(AnsiString("second"));
    EXPECT_EQ(copy.AsString(), "first");
    EXPECT_EQ(RV_CopyTag(TRVTag(5), false).AsInteger(), 5);
}

TEST(TRVTagTest, CompareTags)
{
    // Integer tags.
    EXPECT_TRUE(RV_CompareTags(7, 7, false));
    EXPECT_FALSE(RV_CompareTags(7, -7, false));

    // String tags: 0 is "no string", distinct from every string, even an empty one.
    const TRVTag none;
    EXPECT_TRUE(RV_CompareTags(none, none, true));
    EXPECT_FALSE(RV_CompareTags(none, TRVTag(AnsiString("")), true));
    EXPECT_FALSE(RV_CompareTags(TRVTag(AnsiString("x")), none, true));
    EXPECT_TRUE(RV_CompareTags(TRVTag(AnsiString("")), TRVTag(AnsiString("")), true));
    EXPECT_TRUE(RV_CompareTags(TRVTag(AnsiString("Link")), TRVTag(AnsiString("Link")), true));
    EXPECT_FALSE(RV_CompareTags(TRVTag(AnsiString("Link")), TRVTag(AnsiString("link")), true));

    // A string never equals an integer, whatever its text.
    EXPECT_FALSE(RV_CompareTags(TRVTag(AnsiString("5")), TRVTag(5), true));
    EXPECT_FALSE(RV_CompareTags(TRVTag(AnsiString("5")), TRVTag(5), false));
}
