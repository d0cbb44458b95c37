// The item store's life: settings asked of the root, deleting ranges and
// sections, freeing markers and checkpoints with their items, clearing.
#include <gtest/gtest.h>

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
    EXPECT_EQ(Cell.GetOptions(), Root.Options);
    EXPECT_EQ(Cell.GetBiDiMode(), rvbdRightToLeft);
    EXPECT_EQ(Cell.GetRVStyle(), &Style);
    EXPECT_EQ(Cell.GetDelimiters(), Root.Delimiters);
    Cell.SetOptions(TRVOptions{rvoAllowSelection});
    EXPECT_EQ(Root.Options, TRVOptions{rvoAllowSelection});

    // A root that does not answer a setting gives the neutral value.
    EXPECT_EQ(Root.GetRVFOptions(), TRVFOptions());
    EXPECT_EQ(Root.GetDoInPaletteMode(), rvpaDoNothing);
    EXPECT_EQ(Root.GetParentControl(), nullptr);
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
    Data.GetItem(3)->Checkpoint->Name = ""; // an unnamed checkpoint goes with the section
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
    EXPECT_EQ(Data.GetItemCount(), 0);
    EXPECT_EQ(Data.CPCount, 0);
    EXPECT_EQ(Data.FirstCP, nullptr);
    EXPECT_EQ(Data.LastCP, nullptr);
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
    // Run under the leak checker: nothing of these stores may stay behind.
    TRVStyle Style(nullptr);
    auto Data = std::make_unique<TTestRVData>(&Style);
    Data->Options.Include(rvoTagsArePChars);
    Fill(*Data, 50, {0, 10, 49});
    Data->AddBreakTag(TRVTag(AnsiString("rule")));
    Data->AddNamedCheckpointExTag("pending", true, TRVTag(AnsiString("p")));
    Data.reset();

    TTestRVData Root;
    auto Cell = std::make_unique<TTestSubRVData>(&Root);
    Fill(*Cell, 3, {1});
    Cell.reset();
}
