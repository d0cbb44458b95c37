// Paragraphs in the item store: bounds, normalisation, merging adjacent text
// items, character steps and reading direction.
#include <gtest/gtest.h>

#include "document/crvdata.h"
#include "document/rvstyle.h"
#include "tests/support/testrvdata.h"

namespace {

class ParasTest : public ::testing::Test {
protected:
    // Items: 0 "a" (paragraph start), 1 "b" (same line), 2 "c" (line break),
    // 3 "d" (paragraph start, style 1), 4 "e" (same line).
    void AddSample()
    {
        Data.AddNL("a", 0, 0);
        Data.AddNL("b", 0, -1);
        Data.SetAddParagraphMode(false);
        Data.AddNL("c", 0, 0);
        Data.SetAddParagraphMode(true);
        Data.AddNL("d", 0, 1);
        Data.AddNL("e", 0, -1);
    }

    // An item continuing the line, of text style StyleNo.
    void AddSameLine(const AnsiString& s, int StyleNo) { Data.AddNL(s, StyleNo, -1); }

    bool CanConcate(int i, bool IgnorePara = false)
    {
        return Data.RV_CanConcateItems(i, Data.GetItem(i), Data.GetItem(i + 1), IgnorePara);
    }

    TRVStyle Style{nullptr};
    TTestRVData Data{&Style};
};

} // namespace

TEST_F(ParasTest, Bounds)
{
    AddSample();
    EXPECT_TRUE(Data.IsParaStart(0));
    EXPECT_FALSE(Data.IsParaStart(2));
    EXPECT_TRUE(Data.IsFromNewLine(2));
    EXPECT_FALSE(Data.IsFromNewLine(1));
    EXPECT_EQ(Data.GetFirstParaItem(0), 0);
    EXPECT_EQ(Data.GetFirstParaItem(2), 0);
    EXPECT_EQ(Data.GetFirstParaItem(4), 3);
    EXPECT_EQ(Data.GetFirstParaSectionItem(2), 2);
    EXPECT_EQ(Data.GetFirstParaSectionItem(1), 0);

    int First = -1, Last = -1;
    Data.ExpandToPara(1, 1, First, Last);
    EXPECT_EQ(First, 0);
    EXPECT_EQ(Last, 2);
    Data.ExpandToPara(4, 4, First, Last);
    EXPECT_EQ(First, 3);
    EXPECT_EQ(Last, 4);
    Data.ExpandToParaSection(1, 1, First, Last);
    EXPECT_EQ(First, 0);
    EXPECT_EQ(Last, 1);

    int ItemNo = 9;
    Data.AdjustInItemsRange(ItemNo);
    EXPECT_EQ(ItemNo, 4);
    ItemNo = -3;
    Data.AdjustInItemsRange(ItemNo);
    EXPECT_EQ(ItemNo, 0);
}

TEST_F(ParasTest, NormalizeGivesTheParagraphItsFirstStyle)
{
    AddSample();
    Data.GetItem(1)->ParaNo = 5;
    Data.GetItem(2)->ParaNo = 6;
    Data.NormalizeParas(2);
    EXPECT_EQ(Data.GetItemPara(1), 0);
    EXPECT_EQ(Data.GetItemPara(2), 0);
    EXPECT_EQ(Data.GetItemPara(3), 1);
    Data.NormalizeParas(100); // beyond the items: the last paragraph
    EXPECT_EQ(Data.GetItemPara(4), 1);

    Data.AddBreak();
    Data.SetParagraphStyleToAll(1);
    EXPECT_EQ(Data.GetItemPara(0), 1);
    EXPECT_EQ(Data.GetItemPara(5), 0);
}

TEST_F(ParasTest, EmptyItemMergesWithAnyNeighbourOnItsLine)
{
    Data.AddNL("", 0, 0);
    AddSameLine("text", 2);
    EXPECT_TRUE(CanConcate(0));
    Data.MassSimpleConcate(0, 1);
    ASSERT_EQ(Data.GetItemCount(), 1);
    EXPECT_EQ(Data.GetItemText(0), "text");
    // The text keeps its own style; the item keeps its place as paragraph start.
    EXPECT_EQ(Data.GetItemStyle(0), 2);
    EXPECT_TRUE(Data.IsParaStart(0));
}

TEST_F(ParasTest, EmptySecondItemLeavesTheFirstAsItWas)
{
    Data.AddNL("text", 2, 0);
    AddSameLine("", 0);
    Data.MassSimpleConcate(0, 1);
    ASSERT_EQ(Data.GetItemCount(), 1);
    EXPECT_EQ(Data.GetItemText(0), "text");
    EXPECT_EQ(Data.GetItemStyle(0), 2);
}

TEST_F(ParasTest, NewParagraphMergesOnlyWhenIgnored)
{
    Data.AddNL("a", 0, 0);
    Data.AddNL("b", 0, 0);
    EXPECT_FALSE(CanConcate(0));
    EXPECT_TRUE(CanConcate(0, true));
}

TEST_F(ParasTest, ProtectionTagsAndCheckpointsPreventMerging)
{
    Style.TextStyles()->Items(1)->SetProtection(TRVProtectOptions{rvprConcateProtect});
    Style.TextStyles()->Items(2)->SetProtection(TRVProtectOptions{rvprModifyProtect});
    Data.AddNL("a", 1, 0);
    AddSameLine("b", 1);
    EXPECT_FALSE(CanConcate(0));
    AddSameLine("", 1);
    EXPECT_TRUE(CanConcate(1));
    Data.AddNL("c", 2, 0);
    AddSameLine("d", 2);
    EXPECT_FALSE(CanConcate(3));

    Data.AddNL("e", 0, 0);
    Data.AddNLTag("f", 0, -1, 5);
    EXPECT_FALSE(CanConcate(5));
    Data.GetItem(6)->Tag = 0;
    EXPECT_TRUE(CanConcate(5));
    Data.InsertCheckpoint(6, 0, "cp", false);
    EXPECT_FALSE(CanConcate(5));

    Data.AddBulletEx("bullet", 0, nullptr, -1);
    EXPECT_FALSE(CanConcate(6));
}

TEST_F(ParasTest, RunsCollapseIntoTheirFirstItem)
{
    Data.AddNL("A", 0, 0);
    AddSameLine("B", 0);
    AddSameLine("C", 0);
    Data.AddNL("D", 0, 0);
    Data.MassSimpleConcate(-5, 99);
    ASSERT_EQ(Data.GetItemCount(), 2);
    EXPECT_EQ(Data.GetItemText(0), "ABC");
    EXPECT_EQ(Data.GetItemText(1), "D");
}

TEST_F(ParasTest, UnicodeAndByteTextNeverJoin)
{
    Style.TextStyles()->Items(0)->SetUnicode(true);
    Data.AddNL(AnsiString("a\0", 2), 0, 0);
    // An item of the same style whose text was stored as bytes.
    Data.AddNL("bc", 1, -1);
    Data.GetItem(1)->StyleNo = 0;
    EXPECT_FALSE(CanConcate(0));
    Data.MassSimpleConcate(0, 1);
    EXPECT_EQ(Data.GetItemCount(), 2);

    // With an empty side, the merged item takes the encoding of the text it keeps.
    Data.AddNL(AnsiString(), 0, 0);
    Data.AddNL("xy", 1, -1);
    ASSERT_TRUE(Data.GetItemOptions(2).Contains(rvioUnicode));
    Data.MassSimpleConcate(2, 3);
    ASSERT_EQ(Data.GetItemCount(), 3);
    EXPECT_EQ(Data.GetItemText(2), "xy");
    EXPECT_FALSE(Data.GetItemOptions(2).Contains(rvioUnicode));
    EXPECT_EQ(Data.GetItemStyle(2), 1);
}

TEST_F(ParasTest, MergeKeepsTheCheckpoints)
{
    Data.AddNamedCheckpointExTag("first", false, 0);
    Data.AddNL("x", 0, 0);
    AddSameLine("", 0);
    Data.InsertCheckpoint(1, 0, "second", false);
    Data.AddNL("y", 0, 0);
    AddSameLine("", 0);
    Data.InsertCheckpoint(3, 0, "third", false);
    ASSERT_EQ(Data.CPCount, 3);

    // The first item's checkpoint stays; the second item's is dropped with it.
    Data.MassSimpleConcate(0, 1);
    EXPECT_EQ(Data.GetItemCheckpoint(0)->Name, "first");
    EXPECT_EQ(Data.CPCount, 2);
    // An item without a checkpoint takes over the merged item's one.
    Data.MassSimpleConcate(1, 2);
    ASSERT_NE(Data.GetItemCheckpoint(1), nullptr);
    EXPECT_EQ(Data.GetItemCheckpoint(1)->Name, "third");
    EXPECT_EQ(Data.GetCheckpointItemNo(Data.LastCP), 1);
    EXPECT_EQ(Data.CPCount, 2);
}

TEST_F(ParasTest, CharacterSteps)
{
    Data.AddNL("abc", 0, 0);
    EXPECT_EQ(Data.NextChar(0, 1), 2);
    EXPECT_EQ(Data.PrevChar(0, 3), 2);

    Style.TextStyles()->Items(1)->SetUnicode(true);
    // e, combining acute, a surrogate pair, x.
    Data.AddNLWTag(std::u16string{u'e', 0x0301, 0xD83D, 0xDE00, u'x'}, 1, 0, 0);
    EXPECT_EQ(Data.NextChar(1, 1), 3);
    EXPECT_EQ(Data.NextChar(1, 3), 5);
    EXPECT_EQ(Data.NextChar(1, 5), 6);
    EXPECT_EQ(Data.PrevChar(1, 6), 5);
    EXPECT_EQ(Data.PrevChar(1, 5), 3);
    EXPECT_EQ(Data.PrevChar(1, 3), 1);
    EXPECT_EQ(Data.PrevChar(1, 1), 1);
    // Outside the text, plain steps.
    EXPECT_EQ(Data.NextChar(1, 9), 10);
    EXPECT_EQ(Data.NextCharStr(AnsiString("a\0b\0", 4), 0, 1), 2);
}

TEST_F(ParasTest, ReadingDirectionFallsBackToParagraphAndDocument)
{
    Data.BiDiMode = rvbdRightToLeft;
    Data.AddNL("a", 1, 1);
    Data.AddBreak();
    EXPECT_EQ(Data.GetItemBiDiMode(0), rvbdRightToLeft);
    Style.ParaStyles()->Items(1)->SetBiDiMode(rvbdLeftToRight);
    EXPECT_EQ(Data.GetItemBiDiMode(0), rvbdLeftToRight);
    Style.TextStyles()->Items(1)->SetBiDiMode(rvbdRightToLeft);
    EXPECT_EQ(Data.GetItemBiDiMode(0), rvbdRightToLeft);
    EXPECT_EQ(Data.GetItemBiDiMode(1), rvbdRightToLeft); // the rule: paragraph 0, then the document
    EXPECT_EQ(Data.GetParaBiDiMode(1), rvbdLeftToRight);
}
