// The checkpoint chain of the item store: traversal with a pending checkpoint,
// ordinals, lookup, insertion in item order, change and removal.
#include <gtest/gtest.h>

#include "document/crvdata.h"
#include "tests/support/testrvdata.h"

namespace {

class CheckpointTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 10; ++i)
            Data.AddNL(IntToStr(i), 0, 0);
    }

    std::vector<int> ChainItems()
    {
        std::vector<int> Result;
        for (TRVCPInfo* cp = Data.GetFirstCheckpoint(); cp; cp = Data.GetNextCheckpoint(cp))
            Result.push_back(Data.GetCheckpointItemNo(cp));
        return Result;
    }

    TTestRVData Data;
};

void ExpectError(const std::function<void()>& Call, const char* Message)
{
    try {
        Call();
        ADD_FAILURE() << "no error, expected: " << Message;
    } catch (const ERollViewError& e) {
        EXPECT_STREQ(e.what(), Message);
    }
}

} // namespace

TEST_F(CheckpointTest, OnlyPendingCheckpoint)
{
    Data.AddNamedCheckpointExTag("end", false, 0);
    TRVCPInfo* cp = Data.NotAddedCP;
    EXPECT_EQ(Data.GetFirstCheckpoint(), cp);
    EXPECT_EQ(Data.GetLastCheckpoint(), cp);
    EXPECT_EQ(Data.GetCheckpointItemNo(cp), -1);
    EXPECT_EQ(Data.GetCheckpointNo(cp), 0);
    EXPECT_EQ(Data.GetCheckpointByNo(0), cp);
    EXPECT_EQ(Data.GetNextCheckpoint(cp), nullptr);
    EXPECT_EQ(Data.GetPrevCheckpoint(cp), nullptr);
}

TEST_F(CheckpointTest, InsertionKeepsItemOrder)
{
    Data.InsertCheckpoint(5, 0, "five", false);
    Data.InsertCheckpoint(2, 0, "two", false);
    Data.InsertCheckpoint(8, 0, "eight", true);
    Data.InsertCheckpoint(6, 0, "six", false);
    EXPECT_EQ(ChainItems(), (std::vector<int>{2, 5, 6, 8}));
    EXPECT_EQ(Data.CPCount, 4);
    EXPECT_EQ(Data.GetCheckpointNo(Data.GetItemCheckpoint(6)), 2);
    EXPECT_EQ(Data.GetCheckpointByNo(3)->Name, "eight");
    EXPECT_EQ(Data.GetPrevCheckpoint(Data.GetItemCheckpoint(2)), nullptr);
    EXPECT_EQ(Data.GetPrevCheckpoint(Data.GetItemCheckpoint(8))->Name, "six");

    ExpectError([&] { Data.InsertCheckpoint(5, 0, "again", false); }, "Checkpoint already exists");
    EXPECT_EQ(Data.CPCount, 4);
}

TEST_F(CheckpointTest, PendingCheckpointFollowsTheChain)
{
    Data.InsertCheckpoint(3, 0, "three", false);
    Data.AddNamedCheckpointExTag("end", false, 0);
    TRVCPInfo* Pending = Data.NotAddedCP;
    EXPECT_EQ(Data.GetNextCheckpoint(Data.LastCP), Pending);
    EXPECT_EQ(Data.GetPrevCheckpoint(Pending), Data.LastCP);
    EXPECT_EQ(Data.GetLastCheckpoint(), Pending);
    EXPECT_EQ(Data.GetCheckpointNo(Pending), 1);
    EXPECT_EQ(Data.GetCheckpointByNo(1), Pending);
    // Items may still be numbered while one is pending.
    Data.InsertCheckpoint(1, 0, "one", false);
    EXPECT_EQ(Data.GetCheckpointNo(Pending), 2);
    EXPECT_EQ(ChainItems(), (std::vector<int>{1, 3, -1}));
}

TEST_F(CheckpointTest, OrdinalsOutsideRaise)
{
    Data.InsertCheckpoint(1, 0, "a", false);
    ExpectError([&] { Data.GetCheckpointByNo(1); }, "Invalid checkpoint index - 1");
    ExpectError([&] { Data.GetCheckpointByNo(-1); }, "Invalid checkpoint index - -1");
    ExpectError([&] { Data.GetNextCheckpoint(nullptr); }, "Parameter can't be NIL");
    ExpectError([&] { Data.GetCheckpointNo(nullptr); }, "Parameter can't be NIL");
    TRVCPInfo Stranger;
    ExpectError([&] { Data.GetCheckpointNo(&Stranger); }, "Invalid checkpoint data");
    ExpectError([&] { Data.GetCheckpointItemNo(&Stranger); }, "Invalid checkpoint data");
}

TEST_F(CheckpointTest, FindByNameAndTag)
{
    Data.Options.Include(rvoTagsArePChars);
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
}

TEST_F(CheckpointTest, FindBeforeItem)
{
    EXPECT_EQ(Data.FindCPBeforeItem(5), nullptr);
    Data.InsertCheckpoint(2, 0, "two", false);
    Data.InsertCheckpoint(6, 0, "six", false);
    EXPECT_EQ(Data.FindCPBeforeItem(2), nullptr);
    EXPECT_EQ(Data.FindCPBeforeItem(3)->Name, "two");
    EXPECT_EQ(Data.FindCPBeforeItem(6)->Name, "two");
    EXPECT_EQ(Data.FindCPBeforeItem(9)->Name, "six");
}

TEST_F(CheckpointTest, SetInfoChangesInPlace)
{
    Data.InsertCheckpoint(2, 0, "two", false);
    Data.InsertCheckpoint(6, 0, "six", false);
    TRVCPInfo* cp = Data.GetItemCheckpoint(6);
    Data.SetCheckpointInfo(6, 9, "renamed", true);
    EXPECT_EQ(Data.GetItemCheckpoint(6), cp);
    EXPECT_EQ(Data.GetCheckpointNo(cp), 1);
    TRVTag Tag;
    AnsiString Name;
    bool RaiseEvent = false;
    Data.GetCheckpointInfo(cp, Tag, Name, RaiseEvent);
    EXPECT_EQ(Tag, TRVTag(9));
    EXPECT_EQ(Name, "renamed");
    EXPECT_TRUE(RaiseEvent);
    // Without a checkpoint, one is inserted at its place.
    Data.SetCheckpointInfo(4, 0, "four", false);
    EXPECT_EQ(ChainItems(), (std::vector<int>{2, 4, 6}));
}

TEST_F(CheckpointTest, RemoveUnlinksAndCounts)
{
    Data.InsertCheckpoint(2, 0, "two", false);
    Data.InsertCheckpoint(4, 0, "four", false);
    Data.InsertCheckpoint(6, 0, "six", false);
    EXPECT_TRUE(Data.RemoveCheckpoint(4));
    EXPECT_FALSE(Data.RemoveCheckpoint(4));
    EXPECT_EQ(Data.CPCount, 2);
    EXPECT_EQ(ChainItems(), (std::vector<int>{2, 6}));
    EXPECT_TRUE(Data.RemoveCheckpoint(2));
    EXPECT_TRUE(Data.RemoveCheckpoint(6));
    EXPECT_EQ(Data.FirstCP, nullptr);
    EXPECT_EQ(Data.LastCP, nullptr);
    EXPECT_EQ(Data.CPCount, 0);
}

TEST_F(CheckpointTest, UpdatePositionMovesALinkedCheckpoint)
{
    Data.InsertCheckpoint(2, 0, "two", false);
    Data.InsertCheckpoint(6, 0, "six", false);
    // Move the checkpoint of item 2 to item 8 by hand, then relink it.
    TRVCPInfo* cp = Data.GetItemCheckpoint(2);
    Data.GetItem(2)->Checkpoint = nullptr;
    Data.GetItem(8)->Checkpoint = cp;
    cp->ItemInfo = Data.GetItem(8);
    Data.UpdateCPPos(cp, 8);
    EXPECT_EQ(ChainItems(), (std::vector<int>{6, 8}));
    EXPECT_EQ(Data.LastCP, cp);
}
