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

// A tag is one word (every item carries one), whichever kind it holds.
TEST(TRVTagTest, EveryValueSurvivesCopiesMovesAndAssignments)
{
    static_assert(sizeof(TRVTag) <= sizeof(uint64_t), "a tag fits in one word");
    for (int32_t value : {0, 1, -1, 2, INT32_MAX, INT32_MIN, 0x40000000, -0x40000000}) {
        SCOPED_TRACE(value);
        const TRVTag tag(value);
        EXPECT_FALSE(tag.IsString());
        EXPECT_EQ(tag.AsInteger(), value);
        EXPECT_EQ(tag.AsString(), "");
        TRVTag copy(tag);
        EXPECT_EQ(copy, tag);
        TRVTag moved(std::move(copy));
        EXPECT_EQ(moved.AsInteger(), value);
        TRVTag assigned(AnsiString("replaced"));
        assigned = moved;
        EXPECT_FALSE(assigned.IsString());
        EXPECT_EQ(assigned.AsInteger(), value);
    }
    EXPECT_NE(TRVTag(1), TRVTag(-1));
    EXPECT_NE(TRVTag(INT32_MIN), TRVTag(0));

    TRVTag text(AnsiString("text"));
    EXPECT_TRUE(text.IsString());
    EXPECT_EQ(text.AsInteger(), 0);
    TRVTag moved(std::move(text));
    EXPECT_EQ(moved.AsString(), "text");
    TRVTag target(7);
    target = std::move(moved);
    EXPECT_EQ(target.AsString(), "text");
    TRVTag& self = target;
    target = self;
    EXPECT_EQ(target.AsString(), "text");
    target = TRVTag(3);
    EXPECT_FALSE(target.IsString());
    EXPECT_EQ(target.AsInteger(), 3);
    EXPECT_EQ(TRVTag().AsInteger(), 0);
    EXPECT_FALSE(TRVTag().IsString());
}
