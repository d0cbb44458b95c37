// Appending to the item store: the line road every log line takes (AddTextNL),
// paragraph and line mode, markers, breaks, Unicode styles, tabs and pending
// checkpoints.
#include <gtest/gtest.h>

#include <functional>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "tests/document/doctestdata.h"

namespace {

class AddTest : public ::testing::Test {
protected:
    TRVStyle Style{nullptr};
    TTestRVData Data{&Style};
};

// A store whose item-action handler can be made to fail while an item is inserted.
class TFailingRVData : public TTestRVData {
public:
    using TTestRVData::TTestRVData;
    void ItemAction(TRVItemAction action, TCustomRVItemInfo* item, AnsiString& text,
                    TCustomRVData* rvData) override
    {
        if (FailInserting && action == rviaInserting)
            throw ERollViewError("refused");
        TTestRVData::ItemAction(action, item, text, rvData);
    }
    bool FailInserting = false;
};

struct TAddCase {
    const char* Name;
    std::function<void(TTestRVData&)> Add;
    const char* Shape;
};

} // namespace

TEST_F(AddTest, LinesBecomeParagraphsOrLinesAsTheModeAndStylesSay)
{
    const TAddCase cases[] = {
        {"first and other paragraph styles", [](TTestRVData& d) { d.AddTextNL("a\r\nb", 0, 1, 2); },
         "P1:a P2:b"},
        // The first item too gets its line-break flag in line mode.
        {"line mode keeps the first paragraph style",
         [](TTestRVData& d) {
             d.SetAddParagraphMode(false);
             d.AddTextNL("a\r\nb", 0, 1, 2);
         },
         "/1:a /1:b"},
        // CR LF, lone CR and lone LF each end one line; LF CR is two line ends.
        {"every line end", [](TTestRVData& d) { d.AddTextNL("a\rb\nc\r\nd\n\re", 3, 0, 0); },
         "P0:a@3 P0:b@3 P0:c@3 P0:d@3 P0:@3 P0:e@3"},
        // Nothing to continue: the first line starts a paragraph of style 0.
        {"no paragraph skips empty lines",
         [](TTestRVData& d) { d.AddTextNL("x\r\ny\r\n\r\nz\r\n", 0, -1, -1); }, "P0:x +y +z"},
        {"empty text without a paragraph adds nothing", [](TTestRVData& d) { d.AddTextNL("", 0, -1, -1); },
         ""},
        {"empty text with a paragraph is an empty line", [](TTestRVData& d) { d.AddTextNL("", 0, 0, 0); },
         "P0:"},
        {"a final line end makes an empty line only with a paragraph",
         [](TTestRVData& d) {
             d.AddTextNL("a\r\n", 0, 1, 1);
             d.AddTextNL("b\r\n", 0, -1, -1);
         },
         "P1:a P1: +b"},
        {"continues the last paragraph",
         [](TTestRVData& d) {
             d.AddNL("first", 1, 1);
             d.AddTextNL("more", 2, -1, -1);
         },
         "P1:first@1 +more@2"},
        {"after a full-width item a paragraph of style 0",
         [](TTestRVData& d) {
             d.AddNL("first", 0, 1);
             d.AddBreak();
             d.AddTextNL("after", 0, -1, -1);
         },
         "P1:first P0:<break> P0:after"},
        {"a text block is one paragraph of lines", [](TTestRVData& d) { d.AddTextBlockNL("a\n\nb", 1, 1); },
         "P1:a@1 /1:@1 /1:b@1"},
        {"a marker is followed by an empty item on its line",
         [](TTestRVData& d) {
             d.AddItem("", new TRVMarkerItemInfo(&d, 0, 0, 1, false));
             d.AddNL("text", 2, 1);
         },
         "P0:<marker > + P1:text@2"},
        {"paragraph -1 joins the marker's line",
         [](TTestRVData& d) {
             d.AddItem("", new TRVMarkerItemInfo(&d, 0, 0, 1, false));
             d.AddNL("text", 0, -1);
         },
         "P0:<marker > +text"},
        // Full-width items never break lines; a bullet in line mode starts a line.
        {"line mode and other items",
         [](TTestRVData& d) {
             d.SetAddParagraphMode(false);
             d.AddNL("a", 0, 0);
             d.AddBreakEx(3, rvbs3d, clRed);
             d.AddBulletEx("b", 2, nullptr, 0);
         },
         "/0:a P0:<break> /0:<bullet>"},
    };
    for (const TAddCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTestRVData data(&Style);
        c.Add(data);
        EXPECT_EQ(Shape(data), c.Shape);
        if (std::string(c.Name).find("line mode") == std::string::npos) {
            EXPECT_TRUE(data.AddParagraphMode) << "restored";
        }
        for (int i = 0; i < data.GetItemCount(); ++i)
            EXPECT_FALSE(data.GetItem(i)->GetBR() && data.GetItem(i)->GetBoolValue(rvbpFullWidth)) << i;
    }
}

TEST_F(AddTest, TextNLGivesEveryLineItsOwnTag)
{
    Data.Options.Include(rvoTagsArePChars);
    const TRVTag tag(AnsiString("anchor"));
    Data.AddTextNL("a\r\nb", 0, 0, 0, tag);
    Data.SetItemTag(0, TRVTag(AnsiString("changed")));
    EXPECT_EQ(Data.GetItemTag(1), tag);
}

TEST_F(AddTest, TextFormsTabsAndUnicodeStyles)
{
    Style.SetSpacesInTab(2);
    Style.TextStyles()->Items(1)->SetUnicode(true);
    Data.AddNL("a\tb", 0, 0);
    Data.AddNLATag("ab", 1, 0, 7);
    Data.AddNLWTag(u"cd", 0, 0, 0);
    Data.AddNLWTag(u"ef", 1, 0, 0);
    Data.AddFmt("%d-%s", {12, "x"}, 0, 0);
    Data.AddNL(AnsiString("g\0h\0", 4), 1, 0);
    EXPECT_EQ(Shape(Data), "P0:a  b P0:uab@1 P0:cd P0:uef@1 P0:12-x P0:ugh@1");
    EXPECT_EQ(Data.GetItemTag(1), TRVTag(7));
    EXPECT_EQ(Data.GetItemTextW(3), u"ef");

    // Odd bytes for a Unicode style are refused and add nothing.
    try {
        Data.AddNL("abc", 1, 0);
        FAIL() << "no error";
    } catch (const ERollViewError& e) {
        EXPECT_STREQ(e.what(), "Can't perform Unicode operation");
    }
    EXPECT_EQ(Data.GetItemCount(), 6);

    // Without a style sheet nothing is Unicode and a tab is 8 spaces.
    TTestRVData bare;
    bare.AddNL("\t", 1, 0);
    EXPECT_EQ(Shape(bare), "P0:        @1");
}

TEST_F(AddTest, ItemActionsSurroundTheInsertion)
{
    Data.AddNL("x", 0, 0);
    ASSERT_EQ(Data.Actions.size(), 2u);
    EXPECT_EQ(Data.Actions[0].Action, rviaInserting);
    EXPECT_EQ(Data.Actions[0].Text, "x");
    EXPECT_EQ(Data.Actions[1].Action, rviaInserted);
}

TEST_F(AddTest, PendingCheckpointWaitsForTheNextItem)
{
    EXPECT_EQ(Data.AddNamedCheckpointExTag("one", true, 5), 0);
    EXPECT_EQ(Data.AddNamedCheckpointExTag("two", false, 6), 0); // replaces nothing: one is pending
    EXPECT_EQ(Shape(Data), " {one}");
    TRVCPInfo* cp = Data.NotAddedCP;
    Data.AddNL("a", 0, 0);
    EXPECT_EQ(Data.AddNamedCheckpointExTag("three", false, 0), 1);
    Data.AddNL("b", 0, 0);
    EXPECT_EQ(Shape(Data), "P0:{one}a P0:{three}b");
    EXPECT_EQ(Data.CPCount, 2);
    EXPECT_EQ(cp->ItemInfo, Data.GetItem(0));
    EXPECT_EQ(Data.FirstCP, cp);
    EXPECT_EQ(Data.FirstCP->Next, Data.LastCP);
    EXPECT_EQ(Data.LastCP->Prev, cp);
}

TEST_F(AddTest, CarriedCheckpointBecomesTheItemsOwnUnlessOneIsPending)
{
    auto carrying = [&](const char* name) {
        TCustomRVItemInfo* item = RollViewTextItemClass->Create(&Data);
        item->SetCheckpoint(new TRVCPInfo);
        item->GetCheckpoint()->Name = name;
        item->GetCheckpoint()->Tag = TRVTag(AnsiString("t"));
        item->GetCheckpoint()->RaiseEvent = true;
        return item;
    };
    TCustomRVItemInfo* item = carrying("carried");
    Data.AddItem("x", item);
    EXPECT_EQ(item->GetCheckpoint()->ItemInfo, item);
    EXPECT_EQ(item->GetCheckpoint()->Tag, TRVTag(AnsiString("t")));
    EXPECT_TRUE(item->GetCheckpoint()->RaiseEvent);
    EXPECT_EQ(Data.FirstCP, item->GetCheckpoint());

    // A pending checkpoint wins; the carried record is freed (the leak checker watches).
    Data.AddNamedCheckpointExTag("pending", false, 0);
    Data.AddItem("y", carrying("lost"));
    EXPECT_EQ(Shape(Data), "P0:{carried}x P0:{pending}y");
    EXPECT_EQ(Data.CPCount, 2);
}

TEST(AddFailureTest, RefusedInsertionLeavesStoreAndPendingCheckpoint)
{
    TFailingRVData data;
    data.AddNL("a", 0, 0);
    data.AddNamedCheckpointExTag("cp", false, 0);
    data.FailInserting = true;
    EXPECT_THROW(data.AddNL("b", 0, 0), ERollViewError);
    EXPECT_EQ(Shape(data), "P0:a {cp}");
    EXPECT_EQ(data.FirstCP, nullptr);
    EXPECT_EQ(data.CPCount, 1);
    data.FailInserting = false;
    data.AddNL("b", 0, 0);
    EXPECT_EQ(Shape(data), "P0:a P0:{cp}b");
}
