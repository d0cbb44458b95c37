// Appending to the item store: the line road every log line takes (AddTextNL),
// paragraph and line mode, markers, breaks, Unicode styles, tabs and pending
// checkpoints.
#include <gtest/gtest.h>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "tests/support/testrvdata.h"

namespace {

class AddTest : public ::testing::Test {
protected:
    TRVStyle Style{nullptr};
    TTestRVData Data{&Style};

    AnsiString Text(int i) const { return Data.GetItemText(i); }
    bool SameAsPrev(int i) const { return Data.GetItem(i)->GetSameAsPrev(); }
    bool BR(int i) const { return Data.GetItem(i)->GetBR(); }
    int Para(int i) const { return Data.GetItemPara(i); }
};

// A store whose item-action handler can be made to fail while an item is inserted.
class TFailingRVData : public TTestRVData {
public:
    using TTestRVData::TTestRVData;
    void ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, AnsiString& Text,
                    TCustomRVData* RVData) override
    {
        if (FailInserting && Action == rviaInserting)
            throw ERollViewError("refused");
        TTestRVData::ItemAction(Action, Item, Text, RVData);
    }
    bool FailInserting = false;
};

} // namespace

// ---------------------------------------------------------------------------
// AddTextNL

TEST_F(AddTest, TextNLGivesFirstAndOtherParagraphStyles)
{
    Data.AddTextNL("a\r\nb", 0, 1, 2);
    ASSERT_EQ(Data.GetItemCount(), 2);
    EXPECT_EQ(Text(0), "a");
    EXPECT_EQ(Text(1), "b");
    EXPECT_EQ(Para(0), 1);
    EXPECT_EQ(Para(1), 2);
    EXPECT_TRUE(Data.IsParaStart(0));
    EXPECT_TRUE(Data.IsParaStart(1));
}

TEST_F(AddTest, TextNLInLineModeKeepsTheFirstParagraphStyleAndBreaksLines)
{
    Data.SetAddParagraphMode(false);
    Data.AddTextNL("a\r\nb", 0, 1, 2);
    ASSERT_EQ(Data.GetItemCount(), 2);
    EXPECT_EQ(Para(0), 1);
    EXPECT_EQ(Para(1), 1);
    EXPECT_TRUE(BR(1));
    EXPECT_FALSE(SameAsPrev(1));
    EXPECT_FALSE(Data.IsParaStart(1));
    EXPECT_TRUE(Data.IsFromNewLine(1));
}

TEST_F(AddTest, TextNLNormalisesEveryLineEnd)
{
    // CR LF, lone CR and lone LF each end one line; LF CR is two line ends.
    Data.AddTextNL("a\rb\nc\r\nd\n\re", 3, 0, 0);
    ASSERT_EQ(Data.GetItemCount(), 6);
    const char* Expected[] = {"a", "b", "c", "d", "", "e"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Text(i), Expected[i]) << i;
        EXPECT_EQ(Data.GetItemStyle(i), 3);
    }
}

TEST_F(AddTest, TextNLWithoutParagraphSkipsEmptyLinesAndContinues)
{
    Data.AddTextNL("x\r\ny\r\n\r\nz\r\n", 0, -1, -1);
    ASSERT_EQ(Data.GetItemCount(), 3);
    // Nothing to continue: the first line starts a paragraph of style 0.
    EXPECT_FALSE(SameAsPrev(0));
    EXPECT_EQ(Para(0), 0);
    EXPECT_TRUE(SameAsPrev(1));
    EXPECT_TRUE(SameAsPrev(2));
    EXPECT_EQ(Text(2), "z");
}

TEST_F(AddTest, TextNLAddsEmptyLinesOnlyWithAParagraph)
{
    Data.AddTextNL("", 0, -1, -1);
    EXPECT_EQ(Data.GetItemCount(), 0);
    Data.AddTextNL("", 0, 0, 0);
    ASSERT_EQ(Data.GetItemCount(), 1);
    EXPECT_EQ(Text(0), "");

    // A trailing line end adds an empty last line only with a paragraph.
    Data.AddTextNL("a\r\n", 0, 1, 1);
    EXPECT_EQ(Data.GetItemCount(), 3);
    EXPECT_EQ(Text(2), "");
    Data.AddTextNL("b\r\n", 0, -1, -1);
    EXPECT_EQ(Data.GetItemCount(), 4);
}

TEST_F(AddTest, TextNLContinuesTheLastParagraph)
{
    Data.AddNL("first", 1, 1);
    Data.AddTextNL("more", 2, -1, -1);
    ASSERT_EQ(Data.GetItemCount(), 2);
    EXPECT_TRUE(SameAsPrev(1));
    EXPECT_EQ(Para(1), 1);
    EXPECT_EQ(Data.GetItemStyle(1), 2);
}

TEST_F(AddTest, TextNLAfterAFullWidthItemStartsAParagraphOfStyleZero)
{
    Data.AddNL("first", 0, 1);
    Data.AddBreak();
    Data.AddTextNL("after", 0, -1, -1);
    ASSERT_EQ(Data.GetItemCount(), 3);
    EXPECT_FALSE(SameAsPrev(2));
    EXPECT_TRUE(Data.IsParaStart(2));
    EXPECT_EQ(Para(2), 0);
}

TEST_F(AddTest, TextNLGivesEveryLineItsOwnTag)
{
    Data.Options.Include(rvoTagsArePChars);
    TRVTag Tag(AnsiString("anchor"));
    Data.AddTextNL("a\r\nb", 0, 0, 0, Tag);
    ASSERT_EQ(Data.GetItemCount(), 2);
    EXPECT_EQ(Data.GetItemTag(0), Tag);
    EXPECT_EQ(Data.GetItemTag(1), Tag);
    Data.SetItemTag(0, TRVTag(AnsiString("changed")));
    EXPECT_EQ(Data.GetItemTag(1), Tag);
}

TEST_F(AddTest, TextBlockIsOneParagraphOfLines)
{
    Data.AddTextBlockNL("a\n\nb", 1, 1);
    ASSERT_EQ(Data.GetItemCount(), 3);
    EXPECT_TRUE(Data.IsParaStart(0));
    EXPECT_EQ(Text(1), "");
    EXPECT_TRUE(BR(1));
    EXPECT_TRUE(BR(2));
    EXPECT_EQ(Para(2), 1);
    EXPECT_TRUE(Data.AddParagraphMode);
}

// ---------------------------------------------------------------------------
// AddNL and its forms

TEST_F(AddTest, ReplacesTabsBySpacesOfTheStyleSheet)
{
    Style.SetSpacesInTab(2);
    Data.AddNL("a\tb", 0, 0);
    EXPECT_EQ(Text(0), "a  b");

    TTestRVData Bare;
    Bare.AddNL("\t", 0, 0);
    EXPECT_EQ(Bare.GetItemText(0), AnsiString(8, ' '));
}

TEST_F(AddTest, UnicodeStyleTakesOnlyWholeCodeUnits)
{
    Style.TextStyles()->Items(1)->SetUnicode(true);
    EXPECT_THROW(
        {
            try {
                Data.AddNL("abc", 1, 0);
            } catch (const ERollViewError& e) {
                EXPECT_STREQ(e.what(), "Can't perform Unicode operation");
                throw;
            }
        },
        ERollViewError);
    EXPECT_EQ(Data.GetItemCount(), 0);

    Data.AddNL(AnsiString("a\0b\0", 4), 1, 0);
    ASSERT_EQ(Data.GetItemCount(), 1);
    EXPECT_TRUE(Data.GetItemOptions(0).Contains(rvioUnicode));
    EXPECT_EQ(Data.ItemLength(0), 2);

    // Without a style sheet nothing is Unicode.
    TTestRVData Bare;
    Bare.AddNL("abc", 1, 0);
    EXPECT_FALSE(Bare.GetItemOptions(0).Contains(rvioUnicode));
}

TEST_F(AddTest, AnsiAndWideFormsConvertToTheStyle)
{
    Style.TextStyles()->Items(1)->SetUnicode(true);
    Data.AddNLATag("ab", 1, 0, 7);
    EXPECT_EQ(Text(0), AnsiString("a\0b\0", 4));
    EXPECT_EQ(Data.GetItemTag(0), TRVTag(7));
    Data.AddNLWTag(u"cd", 0, 0, 0);
    EXPECT_EQ(Text(1), "cd");
    Data.AddNLWTag(u"ef", 1, 0, 0);
    EXPECT_EQ(Text(2), AnsiString("e\0f\0", 4));
    EXPECT_EQ(Data.GetItemTextW(2), u"ef");
    Data.AddFmt("%d-%s", {12, "x"}, 0, 0);
    EXPECT_EQ(Text(3), "12-x");
}

// ---------------------------------------------------------------------------
// Paragraph and line mode of other items

TEST_F(AddTest, MarkerIsFollowedByAnEmptyItemOnItsLine)
{
    Data.AddItem("", new TRVMarkerItemInfo(&Data, 0, 0, 1, false));
    Data.AddNL("text", 2, 1);
    ASSERT_EQ(Data.GetItemCount(), 3);
    EXPECT_EQ(Data.GetItemStyle(0), rvsListMarker);
    // The empty item of style 0 continues the marker's line...
    EXPECT_EQ(Data.GetItemStyle(1), 0);
    EXPECT_EQ(Text(1), "");
    EXPECT_TRUE(SameAsPrev(1));
    EXPECT_EQ(Para(1), Para(0));
    // ...and the text starts the next paragraph.
    EXPECT_TRUE(Data.IsParaStart(2));
    EXPECT_EQ(Para(2), 1);
}

TEST_F(AddTest, ItemOfParagraphMinusOneJoinsTheMarkersLine)
{
    Data.AddItem("", new TRVMarkerItemInfo(&Data, 0, 0, 1, false));
    Data.AddNL("text", 0, -1);
    ASSERT_EQ(Data.GetItemCount(), 2);
    EXPECT_TRUE(SameAsPrev(1));
}

TEST_F(AddTest, FullWidthItemsNeverBreakLines)
{
    Data.SetAddParagraphMode(false);
    Data.AddNL("a", 0, 0);
    Data.AddBreakEx(3, rvbs3d, clRed);
    ASSERT_EQ(Data.GetItemCount(), 2);
    EXPECT_FALSE(BR(1));
    EXPECT_FALSE(SameAsPrev(1));
    uint8_t Width = 0;
    TRVBreakStyle BreakStyle = rvbsLine;
    TColor Color = 0;
    TRVTag Tag;
    Data.GetBreakInfo(1, Width, BreakStyle, Color, Tag);
    EXPECT_EQ(Width, 3);
    EXPECT_EQ(BreakStyle, rvbs3d);
    EXPECT_EQ(Color, clRed);

    // A bullet in line mode starts a new line inside the paragraph.
    Data.AddBulletEx("b", 2, nullptr, 0);
    EXPECT_TRUE(BR(2));
}

TEST_F(AddTest, ItemActionsSurroundTheInsertion)
{
    Data.AddNL("x", 0, 0);
    ASSERT_EQ(Data.Actions.size(), 2u);
    EXPECT_EQ(Data.Actions[0].Action, rviaInserting);
    EXPECT_EQ(Data.Actions[0].Text, "x");
    EXPECT_EQ(Data.Actions[1].Action, rviaInserted);
}

// ---------------------------------------------------------------------------
// Pending checkpoints

TEST_F(AddTest, PendingCheckpointWaitsForTheNextItem)
{
    EXPECT_EQ(Data.AddNamedCheckpointExTag("one", true, 5), 0);
    EXPECT_EQ(Data.AddNamedCheckpointExTag("two", false, 6), 0);
    EXPECT_EQ(Data.CPCount, 1);
    TRVCPInfo* cp = Data.NotAddedCP;
    ASSERT_NE(cp, nullptr);
    EXPECT_EQ(cp->Name, "one");

    Data.AddNL("a", 0, 0);
    EXPECT_EQ(Data.NotAddedCP, nullptr);
    EXPECT_EQ(Data.FirstCP, cp);
    EXPECT_EQ(Data.LastCP, cp);
    EXPECT_EQ(cp->ItemInfo, Data.GetItem(0));
    EXPECT_EQ(Data.GetItem(0)->Checkpoint, cp);

    EXPECT_EQ(Data.AddNamedCheckpointExTag("three", false, 0), 1);
    Data.AddNL("b", 0, 0);
    EXPECT_EQ(Data.CPCount, 2);
    EXPECT_EQ(Data.FirstCP->Next, Data.LastCP);
    EXPECT_EQ(Data.LastCP->Name, "three");
    EXPECT_EQ(Data.LastCP->Prev, cp);
}

TEST_F(AddTest, CarriedCheckpointBecomesTheItemsOwn)
{
    TCustomRVItemInfo* Item = RollViewTextItemClass->Create(&Data);
    TRVCPInfo* Carried = new TRVCPInfo;
    Carried->Name = "carried";
    Carried->Tag = TRVTag(AnsiString("t"));
    Carried->RaiseEvent = true;
    Item->Checkpoint = Carried;
    Data.AddItem("x", Item);
    EXPECT_EQ(Data.CPCount, 1);
    ASSERT_NE(Item->Checkpoint, nullptr);
    EXPECT_EQ(Item->Checkpoint->Name, "carried");
    EXPECT_EQ(Item->Checkpoint->Tag, TRVTag(AnsiString("t")));
    EXPECT_TRUE(Item->Checkpoint->RaiseEvent);
    EXPECT_EQ(Item->Checkpoint->ItemInfo, Item);
    EXPECT_EQ(Data.FirstCP, Item->Checkpoint);
}

TEST_F(AddTest, CarriedCheckpointGivesWayToAPendingOne)
{
    Data.AddNamedCheckpointExTag("pending", false, 0);
    TCustomRVItemInfo* Item = RollViewTextItemClass->Create(&Data);
    TRVCPInfo* Carried = new TRVCPInfo;
    Carried->Name = "carried";
    Item->Checkpoint = Carried;
    Data.AddItem("x", Item); // the carried record is freed: the leak checker watches
    EXPECT_EQ(Data.CPCount, 1);
    ASSERT_NE(Item->Checkpoint, nullptr);
    EXPECT_EQ(Item->Checkpoint->Name, "pending");
}

TEST(AddFailureTest, RefusedInsertionLeavesStoreAndPendingCheckpoint)
{
    TFailingRVData Data;
    Data.AddNL("a", 0, 0);
    Data.AddNamedCheckpointExTag("cp", false, 0);
    TRVCPInfo* cp = Data.NotAddedCP;
    Data.FailInserting = true;
    EXPECT_THROW(Data.AddNL("b", 0, 0), ERollViewError);
    EXPECT_EQ(Data.GetItemCount(), 1);
    EXPECT_EQ(Data.NotAddedCP, cp);
    EXPECT_EQ(Data.FirstCP, nullptr);
    EXPECT_EQ(Data.LastCP, nullptr);
    EXPECT_EQ(Data.CPCount, 1);
    Data.FailInserting = false;
    Data.AddNL("b", 0, 0);
    EXPECT_EQ(Data.GetItem(1)->Checkpoint, cp);
}
