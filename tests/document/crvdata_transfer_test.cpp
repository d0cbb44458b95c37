// Copying, moving and sharing items between stores: what each store owns
// afterwards (checked under LeakSanitizer), checkpoints, list markers, tags
// and the notifications the items get.
#include <gtest/gtest.h>

#include <vector>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstr.h"
#include "document/rvstyle.h"
#include "tests/support/testrvdata.h"

namespace {

// A store that marks the texts of items inserted into it.
class TRenamingRVData : public TTestRVData {
public:
    using TTestRVData::TTestRVData;
    void ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, AnsiString& Text,
                    TCustomRVData* RVData) override
    {
        if (Action == rviaInserting)
            Text += "!";
        TTestRVData::ItemAction(Action, Item, Text, RVData);
    }
};

// A store that shows another store's items (a printable view, say).
class TSharingRVData : public TTestRVData {
public:
    using TTestRVData::TTestRVData;
    bool ShareItems() const override { return true; }
};

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRVListLevel* Level = Style.ListStyles()->Add()->Levels()->Add();
        Level->SetListType(rvlstDecimal);
        Level->SetFormatString("%0:s.");
    }
    static std::vector<AnsiString> Texts(const TCustomRVData& D)
    {
        std::vector<AnsiString> s;
        for (int i = 0; i < D.GetItemCount(); ++i)
            s.push_back(D.GetItemText(i));
        return s;
    }
    static std::vector<AnsiString> Shown(const TTestRVData& D)
    {
        std::vector<AnsiString> s;
        if (D.Markers)
            for (int i = 0; i < D.Markers->Count(); ++i)
                s.push_back(D.Markers->Marker(i)->DisplayString);
        return s;
    }
    // "one" (numbered, with checkpoint "cp"), "two" continuing its line, and
    // "three" (numbered); a checkpoint "end" pending after them.
    void Fill(TTestRVData& D)
    {
        D.AddNamedCheckpointExTag("cp", false, TRVTag());
        D.AddNL("one", 0, 0);
        D.AddNL("two", 0, -1);
        D.AddNL("three", 0, 0);
        D.SetListMarkerInfo(0, 0, 0, 1, 0, false);
        D.SetListMarkerInfo(3, 0, 0, 1, 0, false);
        D.AddNamedCheckpointExTag("end", false, TRVTag());
    }

    TRVStyle Style{nullptr};
    TTestRVData Target{&Style};
    TTestRVData Source{&Style};
};

using Strings = std::vector<AnsiString>;

} // namespace

// ---------------------------------------------------------------------------
// AppendFrom

TEST_F(TransferTest, AppendFromCopiesItemsCheckpointsAndMarkers)
{
    Target.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    Target.AddNL("zero", 0, -1);
    Fill(Source);
    Target.AppendFrom(&Source);

    EXPECT_EQ(Texts(Target), (Strings{"", "zero", "", "one", "two", "", "three"}));
    EXPECT_TRUE(Target.GetItem(4)->GetSameAsPrev());
    EXPECT_EQ(Shown(Target), (Strings{"1.", "2.", "3."}));
    TRVCPInfo* cp = Target.GetFirstCheckpoint();
    ASSERT_NE(cp, nullptr);
    EXPECT_EQ(cp->Name, "cp");
    EXPECT_EQ(Target.GetCheckpointItemNo(cp), 3);
    // The source keeps everything of its own.
    EXPECT_EQ(Texts(Source), (Strings{"", "one", "two", "", "three"}));
    EXPECT_EQ(Shown(Source), (Strings{"1.", "2."}));
    EXPECT_EQ(Source.CPCount, 2);
}

TEST_F(TransferTest, AppendFromDropsInvalidItems)
{
    Source.AddNL("a", 0, 0);
    Source.AddBulletEx("no image list", 0, nullptr, 0);
    Source.AddNL("b", 0, 0);
    Target.AppendFrom(&Source);
    EXPECT_EQ(Texts(Target), (Strings{"a", "b"}));
}

TEST_F(TransferTest, StoresThatDisagreeOnStringTagsExchangeNothing)
{
    Source.AddNL("a", 0, 0);
    Source.Options = TRVOptions{rvoTagsArePChars};
    try {
        Target.AppendFrom(&Source);
        FAIL() << "no exception";
    } catch (const ERollViewError& e) {
        EXPECT_STREQ(e.what(), errRVTagsTypesMismatch);
    }
    EXPECT_THROW(Target.DrainFrom(&Source), ERollViewError);
    EXPECT_EQ(Target.GetItemCount(), 0);
    EXPECT_EQ(Source.GetItemCount(), 1);
}

// ---------------------------------------------------------------------------
// DrainFrom

TEST_F(TransferTest, DrainFromMovesEverythingAndLeavesTheVictimEmpty)
{
    Target.AddNL("zero", 0, 0);
    Target.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    Fill(Source);
    TRVMarkerItemInfo* Moved = dynamic_cast<TRVMarkerItemInfo*>(Source.GetItem(0));
    Target.DrainFrom(&Source);

    EXPECT_EQ(Texts(Target), (Strings{"", "zero", "", "one", "two", "", "three"}));
    EXPECT_EQ(Target.GetItem(2), Moved); // the items themselves, not copies
    // The markers left the victim's list for this one's.
    EXPECT_EQ(Source.Markers, nullptr);
    EXPECT_EQ(Shown(Target), (Strings{"1.", "2.", "3."}));
    ASSERT_EQ(Target.Markers->Count(), 3);
    EXPECT_EQ(Target.Markers->Marker(1), Moved);
    // Checkpoints came along: the chained one on its item, the pending one pending.
    TRVCPInfo* cp = Target.GetFirstCheckpoint();
    ASSERT_NE(cp, nullptr);
    EXPECT_EQ(cp->Name, "cp");
    EXPECT_EQ(Target.GetCheckpointItemNo(cp), 3);
    ASSERT_NE(Target.NotAddedCP, nullptr);
    EXPECT_EQ(Target.NotAddedCP->Name, "end");
    EXPECT_EQ(Target.CPCount, 2);

    EXPECT_EQ(Source.GetItemCount(), 0);
    EXPECT_EQ(Source.FirstCP, nullptr);
    EXPECT_EQ(Source.LastCP, nullptr);
    EXPECT_EQ(Source.NotAddedCP, nullptr);
    EXPECT_EQ(Source.CPCount, 0);
    // The victim is usable again.
    Source.AddNL("again", 0, 0);
    EXPECT_EQ(Texts(Source), (Strings{"again"}));
}

TEST_F(TransferTest, APendingCheckpointOfTheTargetGoesToTheFirstItemMoved)
{
    Target.AddNL("zero", 0, 0);
    Target.AddNamedCheckpointExTag("mine", false, TRVTag());
    Source.AddNL("a", 0, 0);
    Source.AddNamedCheckpointExTag("theirs", false, TRVTag());
    Target.DrainFrom(&Source);
    ASSERT_NE(Target.GetItemCheckpoint(1), nullptr);
    EXPECT_EQ(Target.GetItemCheckpoint(1)->Name, "mine");
    // The victim's pending one waits for the next item here.
    ASSERT_NE(Target.NotAddedCP, nullptr);
    EXPECT_EQ(Target.NotAddedCP->Name, "theirs");
    EXPECT_EQ(Target.CPCount, 2);
}

TEST_F(TransferTest, DrainingANestedDocumentIntoItsRootKeepsOneMarkersList)
{
    Target.AddNL("root", 0, 0);
    Target.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    {
        TTestSubRVData Cell(&Target);
        Cell.AddNL("cell", 0, 0);
        Cell.SetListMarkerInfo(0, 0, 0, 1, 0, false);
        Cell.AddNL("more", 0, 0);
        Cell.SetListMarkerInfo(2, 0, 0, 1, 0, false);
        ASSERT_EQ(Target.Markers->Count(), 3);
        Target.DrainFrom(&Cell);
        EXPECT_EQ(Cell.GetItemCount(), 0);
    }
    EXPECT_EQ(Texts(Target), (Strings{"", "root", "", "cell", "", "more"}));
    EXPECT_EQ(Shown(Target), (Strings{"1.", "2.", "3."}));
    ASSERT_EQ(Target.Markers->Count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Target.Markers->Get(i), Target.GetItem(2 * i));
}

TEST_F(TransferTest, DrainFromAStoreThatSharesItsItemsMovesNothing)
{
    Source.AddNL("a", 0, 0);
    {
        TSharingRVData Sharer(&Style);
        Sharer.ShareItemsFrom(&Source);
        Target.DrainFrom(&Sharer);
        EXPECT_EQ(Target.GetItemCount(), 0);
        EXPECT_EQ(Sharer.GetItemCount(), 1);
    }
    EXPECT_EQ(Texts(Source), (Strings{"a"}));
}

// ---------------------------------------------------------------------------
// ShareItemsFrom

TEST_F(TransferTest, ASharingStoreShowsTheItemsWithoutOwningThem)
{
    Fill(Source);
    {
        TSharingRVData Sharer(&Style);
        Sharer.AddNL("own item", 0, 0); // freed when sharing starts
        Sharer.ShareItemsFrom(&Source);
        EXPECT_EQ(Sharer.Items, Source.Items);
        EXPECT_EQ(Texts(Sharer), Texts(Source));
        Sharer.Clear(); // never frees what it shows
        EXPECT_EQ(Source.GetItemCount(), 5);
    }
    EXPECT_EQ(Source.GetItemCount(), 5);
    Source.AddNL("still mine", 0, 0);
    EXPECT_EQ(Texts(Source).back(), "still mine");
}

TEST_F(TransferTest, AStoreThatDoesNotShareKeepsItsOwnItems)
{
    Source.AddNL("a", 0, 0);
    Target.AddNL("b", 0, 0);
    Target.ShareItemsFrom(&Source);
    EXPECT_NE(Target.Items, Source.Items);
    EXPECT_EQ(Texts(Target), (Strings{"b"}));
}

// ---------------------------------------------------------------------------
// Notifications

TEST_F(TransferTest, InsertingTellsEveryItem)
{
    Source.AddNL("a", 0, 0);
    Source.AddBreak();
    Target.Actions.clear();
    Source.Inserting(&Target, false);
    ASSERT_EQ(Target.Actions.size(), 2u);
    EXPECT_EQ(Target.Actions[0].Action, rviaInserting);
    EXPECT_EQ(Target.Actions[0].Text, "a");
    // A text the item's insertion changes is stored back.
    TRenamingRVData Renamer(&Style);
    Source.Inserting(&Renamer, false);
    EXPECT_EQ(Texts(Source), (Strings{"a!", "!"}));
}
