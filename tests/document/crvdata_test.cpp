// The item store's life: settings asked of the root, deleting ranges and
// sections, freeing markers and checkpoints with their items, clearing; and
// its checkpoint chain: traversal with a pending checkpoint, ordinals, lookup,
// insertion in item order, change and removal.
#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "tests/support/testrvdata.h"

namespace {

// A store of Count items "0", "1", ...; item i carries a checkpoint named
// "cp<i>" for every i in Checkpoints.
void Fill(TCustomRVData& Data, int Count, std::initializer_list<int> Checkpoints = {})
{
    for (int i = 0; i < Count; ++i) {
        for (int c : Checkpoints)
            if (c == i)
                Data.AddNamedCheckpointExTag("cp" + IntToStr(i), false,
                                             TRVTag(AnsiString("tag") + IntToStr(i)));
        Data.AddNL(IntToStr(i), 0, 0);
    }
}

AnsiString Texts(const TCustomRVData& Data)
{
    AnsiString s;
    for (int i = 0; i < Data.GetItemCount(); ++i)
        s += Data.GetItemText(i);
    return s;
}

void ExpectError(const std::function<void()>& call, const char* message)
{
    try {
        call();
        ADD_FAILURE() << "no error, expected: " << message;
    } catch (const ERollViewError& e) {
        EXPECT_STREQ(e.what(), message);
    }
}

// The bytes of the heap in use: small blocks and the large ones mapped apart.
size_t HeapInUse()
{
    const struct mallinfo2 Info = mallinfo2();
    return Info.uordblks + Info.hblkhd;
}

AnsiString ChainNames(const TCustomRVData& Data)
{
    AnsiString s;
    for (const TRVCPInfo* cp = Data.FirstCP; cp; cp = cp->Next)
        s += cp->Name + " ";
    return s;
}

} // namespace

TEST(CustomRVDataTest, NestedStoreAsksItsRoot)
{
    TRVStyle Style(nullptr);
    TTestRVData Root(&Style);
    Root.Options = TRVOptions{rvoTagsArePChars, rvoShowCheckpoints};
    Root.BiDiMode = rvbdRightToLeft;
    TTestSubRVData Cell(&Root);
    EXPECT_EQ(Cell.GetBiDiMode(), rvbdRightToLeft);
    EXPECT_EQ(Cell.GetRVStyle(), &Style);
    Cell.SetOptions(TRVOptions{rvoAllowSelection});
    EXPECT_EQ(Root.Options, TRVOptions{rvoAllowSelection});

    // A root that does not keep style maps gives none.
    TRVIntegerList Dummy;
    TRVIntegerList* Maps[3] = {&Dummy, &Dummy, &Dummy};
    Cell.InitStyleMappings(Maps[0], Maps[1], Maps[2]);
    EXPECT_EQ(Maps[0], nullptr);
    EXPECT_EQ(Maps[2], nullptr);
}

TEST(CustomRVDataTest, DeleteItemsCutsTheRangeToTheItems)
{
    TTestRVData Data;
    Fill(Data, 8);
    Data.DeleteItems(8, 1);
    EXPECT_EQ(Data.GetItemCount(), 8);
    Data.DeleteItems(5, 10);
    EXPECT_EQ(Texts(Data), "01234");
    Data.DeleteItems(1, 2);
    EXPECT_EQ(Texts(Data), "034");
    Data.DeleteItems(0, 0);
    EXPECT_EQ(Texts(Data), "034");
    Data.DeleteItems(-1, 2);
    EXPECT_EQ(Texts(Data), "34");
}

TEST(CustomRVDataTest, DeleteItemsFreesTheirCheckpoints)
{
    TTestRVData Data;
    Fill(Data, 6, {0, 2, 3, 5});
    ASSERT_EQ(Data.CPCount, 4);
    Data.Actions.clear();
    Data.DeleteItems(2, 2);
    EXPECT_EQ(Data.CPCount, 2);
    EXPECT_EQ(ChainNames(Data), "cp0 cp5 ");
    EXPECT_EQ(Data.LastCP->Prev, Data.FirstCP);
    ASSERT_EQ(Data.Actions.size(), 2u);
    EXPECT_EQ(Data.Actions[0].Action, rviaDestroying);
    EXPECT_EQ(Data.Actions[0].Text, "2");
    EXPECT_EQ(Data.Actions[1].Text, "3");

    Data.DeleteItems(0, 1);
    EXPECT_EQ(ChainNames(Data), "cp5 ");
    Data.DeleteItems(2, 1);
    EXPECT_EQ(Data.FirstCP, nullptr);
    EXPECT_EQ(Data.LastCP, nullptr);
    EXPECT_EQ(Data.CPCount, 0);
}

TEST(CustomRVDataTest, DeleteSectionEndsAtTheNextNamedCheckpoint)
{
    TTestRVData Data;
    Fill(Data, 7, {1, 3, 5});
    Data.GetItem(3)->GetCheckpoint()->Name = ""; // an unnamed checkpoint goes with the section
    Data.DeleteSection("cp1");
    EXPECT_EQ(Texts(Data), "056");
    EXPECT_EQ(ChainNames(Data), "cp5 ");
    Data.DeleteSection("none");
    EXPECT_EQ(Texts(Data), "056");
    Data.DeleteSection("cp5"); // the last section runs to the end
    EXPECT_EQ(Texts(Data), "0");
}

TEST(CustomRVDataTest, DeletedMarkerLeavesTheMarkersList)
{
    TTestRVData Data;
    auto* Marker1 = new TRVMarkerItemInfo(&Data, 0, 0, 1, false);
    auto* Marker2 = new TRVMarkerItemInfo(&Data, 0, 0, 1, false);
    Data.AddItem("", Marker1);
    Data.AddNL("a", 0, 0);
    Data.AddItem("", Marker2);
    TRVMarkerList* List = Data.GetMarkers(true);
    List->Add(Marker1);
    List->Add(Marker2);
    Data.DeleteItems(0, 1);
    ASSERT_NE(Data.Markers, nullptr);
    EXPECT_EQ(Data.Markers->Count(), 1);
    EXPECT_EQ(Data.Markers->Get(0), Marker2);
    // The last marker gone, the list goes too.
    Data.DeleteItems(Data.GetItemNo(Marker2), 1);
    EXPECT_EQ(Data.Markers, nullptr);
}

TEST(CustomRVDataTest, ClearFreesEverythingAndResetsTheState)
{
    TTestRVData Data;
    Data.Options.Include(rvoTagsArePChars);
    Fill(Data, 5, {1, 4});
    Data.AddNamedCheckpointExTag("pending", false, TRVTag(AnsiString("pending tag")));
    Data.SetItemTag(2, TRVTag(AnsiString("item tag")));
    Data.State.Include(rvstFirstParaAborted);
    Data.State.Include(rvstLastParaAborted);
    Data.Clear();
    EXPECT_EQ(Data.CPCount, 0);
    EXPECT_EQ(Data.NotAddedCP, nullptr);
    EXPECT_TRUE(Data.State.Empty());

    // A clear inside a clear leaves the outer one's flag alone.
    Fill(Data, 2);
    Data.State.Include(rvstClearing);
    Data.Clear();
    EXPECT_TRUE(Data.State.Contains(rvstClearing));

    // The store is usable again.
    Data.State.Exclude(rvstClearing);
    Fill(Data, 3, {2});
    EXPECT_EQ(Data.CPCount, 1);
    EXPECT_EQ(Texts(Data), "012");
}

TEST(CustomRVDataTest, DestructionFreesItemsAndCheckpoints)
{
    // A store full of items, tags, checkpoints (one still pending) and a
    // nested store, made and destroyed: the heap in use is what it was before
    // (the leak checker also looks, in the sanitizer build).
    TRVStyle Style(nullptr);
    TTestRVData Root;
    const auto MakeAndDestroy = [&] {
        auto Data = std::make_unique<TTestRVData>(&Style);
        Data->Options.Include(rvoTagsArePChars);
        Fill(*Data, 50, {0, 10, 49});
        Data->AddBreakTag(TRVTag(AnsiString("rule")));
        Data->AddNamedCheckpointExTag("pending", true, TRVTag(AnsiString("p")));
        EXPECT_EQ(Data->GetItemCount(), 51);
        Data.reset();
        auto Cell = std::make_unique<TTestSubRVData>(&Root);
        Fill(*Cell, 3, {1});
        Cell.reset();
    };
    // Once first, for what is made once per process; then the smallest growth
    // of three rounds, since a cache of the library may still grow once.
    MakeAndDestroy();
    int64_t Growth = INT64_MAX;
    for (int Round = 0; Round < 3; ++Round) {
        const size_t Before = HeapInUse();
        MakeAndDestroy();
        Growth = std::min(Growth, static_cast<int64_t>(HeapInUse()) - static_cast<int64_t>(Before));
    }
    EXPECT_EQ(Growth, 0);
}

// ---------------------------------------------------------------------------
// The checkpoint chain

namespace {

class CheckpointTest : public ::testing::Test {
protected:
    void SetUp() override { Fill(Data, 10); }

    // The item of every checkpoint from the first to the last (-1: pending), and their ordinals.
    std::string Chain()
    {
        std::string s;
        int no = 0;
        for (TRVCPInfo* cp = Data.GetFirstCheckpoint(); cp; cp = Data.GetNextCheckpoint(cp), ++no) {
            EXPECT_EQ(Data.GetCheckpointNo(cp), no);
            EXPECT_EQ(Data.GetCheckpointByNo(no), cp);
            if (no > 0) {
                EXPECT_NE(Data.GetPrevCheckpoint(cp), nullptr);
            }
            s += (no ? " " : "") + std::to_string(Data.GetCheckpointItemNo(cp)) + ":" + std::string(cp->Name);
        }
        EXPECT_EQ(Data.CPCount, no);
        return s;
    }

    TTestRVData Data;
};

} // namespace

TEST_F(CheckpointTest, InsertionInItemOrderWithAPendingCheckpointLast)
{
    Data.AddNamedCheckpointExTag("end", false, 0);
    EXPECT_EQ(Chain(), "-1:end");
    EXPECT_EQ(Data.GetPrevCheckpoint(Data.NotAddedCP), nullptr);
    for (int itemNo : {5, 2, 8, 6})
        Data.InsertCheckpoint(itemNo, 0, "c" + IntToStr(itemNo), itemNo == 8);
    EXPECT_EQ(Chain(), "2:c2 5:c5 6:c6 8:c8 -1:end");
    EXPECT_EQ(Data.GetLastCheckpoint(), Data.NotAddedCP);
    EXPECT_EQ(Data.GetPrevCheckpoint(Data.NotAddedCP), Data.LastCP);
    ExpectError([&] { Data.InsertCheckpoint(5, 0, "again", false); }, "Checkpoint already exists");
    EXPECT_EQ(Data.CPCount, 5);
}

TEST_F(CheckpointTest, BadOrdinalsAndStrangersRaise)
{
    Data.InsertCheckpoint(1, 0, "a", false);
    ExpectError([&] { Data.GetCheckpointByNo(1); }, "Invalid checkpoint index - 1");
    ExpectError([&] { Data.GetCheckpointByNo(-1); }, "Invalid checkpoint index - -1");
    ExpectError([&] { Data.GetNextCheckpoint(nullptr); }, "Parameter can't be NIL");
    ExpectError([&] { Data.GetCheckpointNo(nullptr); }, "Parameter can't be NIL");
    TRVCPInfo stranger;
    ExpectError([&] { Data.GetCheckpointNo(&stranger); }, "Invalid checkpoint data");
    ExpectError([&] { Data.GetCheckpointItemNo(&stranger); }, "Invalid checkpoint data");
}

TEST_F(CheckpointTest, FindByNameTagAndItem)
{
    Data.Options.Include(rvoTagsArePChars);
    EXPECT_EQ(Data.FindCPBeforeItem(5), nullptr);
    Data.InsertCheckpoint(4, TRVTag(AnsiString("t4")), "same", false);
    Data.InsertCheckpoint(7, TRVTag(AnsiString("t7")), "Same", false);
    Data.AddNamedCheckpointExTag("same", false, TRVTag(AnsiString("tp")));
    // The chain is searched before the pending checkpoint, case-sensitively.
    EXPECT_EQ(Data.FindCheckpointByName("same"), Data.GetItemCheckpoint(4));
    EXPECT_EQ(Data.FindCheckpointByName("Same"), Data.GetItemCheckpoint(7));
    EXPECT_EQ(Data.FindCheckpointByName("SAME"), nullptr);
    EXPECT_EQ(Data.FindCheckpointByTag(TRVTag(AnsiString("t7"))), Data.GetItemCheckpoint(7));
    EXPECT_EQ(Data.FindCheckpointByTag(TRVTag(AnsiString("tp"))), Data.NotAddedCP);
    EXPECT_EQ(Data.FindCheckpointByTag(0), nullptr);
    EXPECT_EQ(Data.FindCPBeforeItem(4), nullptr);
    EXPECT_EQ(Data.FindCPBeforeItem(5), Data.GetItemCheckpoint(4));
    EXPECT_EQ(Data.FindCPBeforeItem(9), Data.GetItemCheckpoint(7));
}

TEST_F(CheckpointTest, ChangeMoveAndRemove)
{
    for (int itemNo : {2, 4, 6})
        Data.InsertCheckpoint(itemNo, 0, "c" + IntToStr(itemNo), false);
    TRVCPInfo* cp = Data.GetItemCheckpoint(6);
    Data.SetCheckpointInfo(6, 9, "renamed", true);
    EXPECT_EQ(Data.GetItemCheckpoint(6), cp) << "changed in place";
    TRVTag tag;
    AnsiString name;
    bool raiseEvent = false;
    Data.GetCheckpointInfo(cp, tag, name, raiseEvent);
    EXPECT_EQ(tag, TRVTag(9));
    EXPECT_TRUE(raiseEvent);
    Data.SetCheckpointInfo(3, 0, "c3", false); // none there: one is inserted at its place
    EXPECT_EQ(Chain(), "2:c2 3:c3 4:c4 6:renamed");

    // Moved by hand to another item, then relinked.
    cp = Data.GetItemCheckpoint(2);
    Data.GetItem(2)->SetCheckpoint(nullptr);
    Data.GetItem(8)->SetCheckpoint(cp);
    cp->ItemInfo = Data.GetItem(8);
    Data.UpdateCPPos(cp, 8);
    EXPECT_EQ(Chain(), "3:c3 4:c4 6:renamed 8:c2");
    EXPECT_EQ(Data.LastCP, cp);

    EXPECT_TRUE(Data.RemoveCheckpoint(4));
    EXPECT_FALSE(Data.RemoveCheckpoint(4));
    EXPECT_EQ(Chain(), "3:c3 6:renamed 8:c2");
    for (int itemNo : {3, 6, 8})
        EXPECT_TRUE(Data.RemoveCheckpoint(itemNo));
    EXPECT_EQ(Data.FirstCP, nullptr);
    EXPECT_EQ(Data.LastCP, nullptr);
    EXPECT_EQ(Chain(), "");
}
