// Tag values: kinds, copies and the comparison rules of both tag modes.
#include "document/rvtag.h"

#include <gtest/gtest.h>

TEST(TRVTagTest, KindsAndConversions)
{
    TRVTag none;
    EXPECT_FALSE(none.IsString());
    EXPECT_EQ(none.AsInteger(), 0);
    EXPECT_EQ(none.AsString(), "");

    TRVTag number(-42);
    EXPECT_FALSE(number.IsString());
    EXPECT_EQ(number.AsInteger(), -42);

    TRVTag text(AnsiString("abc"));
    EXPECT_TRUE(text.IsString());
    EXPECT_EQ(text.AsString(), "abc");
    EXPECT_EQ(text.AsInteger(), 0);

    TRVTag empty(AnsiString(""));
    EXPECT_TRUE(empty.IsString());
}

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
