// The primitives: each change, recorded, undone and redone byte for byte
// (the editing invariant), with the bounds and special cases they check.
#include <gtest/gtest.h>

#include "edit/rvundorecords.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"

namespace {

using Items = std::vector<AnsiString>;

class Primitives : public TEditFixture {
protected:
    // One group of primitives as a command, laid out in full afterwards.
    void Do(const std::string& Name, const std::function<void()>& Body)
    {
        editinvariant::Run(*d, Name, [&] {
            d->BeginUndoSequence(rvutCustom, false);
            Body();
            d->FormatAll();
        });
    }
    std::vector<TRVUndoAction> LastActions() const
    {
        std::vector<TRVUndoAction> r;
        for (const auto& Record : d->UndoList->Last()->Records)
            r.push_back(Record->Action);
        return r;
    }
    bool Flag = false;
};

struct TSubstringCase {
    const char* Name;
    int ItemNo;
    int Index;
    int Count; // -2: insert "xy"; else delete Count
    bool Throws;
    const char* Result;
};

class Substrings : public Primitives, public ::testing::WithParamInterface<TSubstringCase> {};

TEST_P(Substrings, IndexAndCountAreChecked)
{
    const TSubstringCase& c = GetParam();
    AddText("abcd");
    AddPicture(-1);
    d->FormatAll();
    auto Body = [&] {
        if (c.Count == -2)
            d->Do_InsertSubstring(c.ItemNo, c.Index, "xy");
        else
            d->Do_DeleteSubstring(c.ItemNo, c.Index, c.Count);
    };
    if (c.Throws) {
        d->BeginUndoSequence(rvutCustom, false);
        EXPECT_THROW(Body(), ERollViewError);
        EXPECT_TRUE(d->UndoList->Last()->Records.empty());
        d->Change();
        EXPECT_EQ(d->UndoList->CurrentUndoType(), rvutNone);
    } else {
        Do(c.Name, Body);
    }
    EXPECT_EQ(Text(0), c.Result);
}

INSTANTIATE_TEST_SUITE_P(Cases, Substrings,
                         ::testing::Values(TSubstringCase{"InsertAtStart", 0, 1, -2, false, "xyabcd"},
                                           TSubstringCase{"InsertAtEnd", 0, 5, -2, false, "abcdxy"},
                                           TSubstringCase{"InsertBeforeStart", 0, 0, -2, true, "abcd"},
                                           TSubstringCase{"InsertPastEnd", 0, 6, -2, true, "abcd"},
                                           TSubstringCase{"InsertIntoPicture", 1, 1, -2, true, "abcd"},
                                           TSubstringCase{"InsertPastItems", 5, 1, -2, true, "abcd"},
                                           TSubstringCase{"DeleteToEnd", 0, 2, -1, false, "a"},
                                           TSubstringCase{"DeleteCountClamped", 0, 3, 50, false, "ab"},
                                           TSubstringCase{"DeleteAtEndNothing", 0, 5, 2, false, "abcd"},
                                           TSubstringCase{"DeleteBeforeStart", 0, 0, 1, true, "abcd"}),
                         [](const auto& i) { return std::string(i.param.Name); });

TEST_F(Primitives, ParaListUndoRestoresEveryItemsOwnStyle)
{
    AddText("a");
    AddText("b");
    AddText("c");
    d->FormatAll();
    Do("para list", [&] { d->Do_ParaList(0, {Indented, 0, Indented}, Flag); });
    Do("para", [&] { d->Do_Para(0, 2, ReadOnlyPara, Flag); });
    d->Undo();
    EXPECT_EQ(d->GetItemPara(0), Indented);
    EXPECT_EQ(d->GetItemPara(1), 0);
    EXPECT_EQ(d->GetItemPara(2), Indented);
}

TEST_F(Primitives, DeletingItemsThreeToFiveAndUndoingRestoresTheirOrder)
{
    for (const char* s : {"0", "1", "2", "3", "4", "5", "6"})
        AddText(s);
    d->FormatAll();
    Do("delete items", [&] { d->Do_DeleteItems(3, 5, Flag); });
    EXPECT_EQ(Texts(), (Items{"0", "1", "2", "6"}));
    d->Undo();
    EXPECT_EQ(Texts(), (Items{"0", "1", "2", "3", "4", "5", "6"}));
}

TEST_F(Primitives, CheckpointGoesFirstAndComesBackAfterItsItem)
{
    AddText("a");
    AddText("b");
    d->FormatAll();
    d->InsertCheckpoint(1, TRVTag(AnsiString("t")), "cp", false);
    Do("delete", [&] { d->Do_DeleteItem(1, Flag); });
    EXPECT_EQ(LastActions(), (std::vector<TRVUndoAction>{rvuCheckpoint, rvuDeleteItem}));
    d->Undo();
    ASSERT_NE(d->GetItemCheckpoint(1), nullptr);
    EXPECT_EQ(d->GetItemCheckpoint(1)->Name, "cp");
    EXPECT_EQ(d->CPCount, 1);
}

TEST_F(Primitives, AParagraphStartInsertedBeforeContinuingItemsGivesThemItsStyle)
{
    AddText("a");
    AddText("b", 0, -1);
    AddText("c", 0, -1);
    d->FormatAll();
    Do("insert", [&] {
        AnsiString s = "new";
        d->Do_InsertItem(1, s, d->CreateTextItem(TRVTag(), Indented, 0, false, false), false, Flag);
    });
    EXPECT_EQ(d->GetItemPara(2), Indented);
    EXPECT_EQ(d->GetItemPara(3), Indented);
}

TEST_F(Primitives, ChangesThatAreNoChangesRecordNothing)
{
    AddText("a");
    AddText("b", 0, -1);
    d->AddBreak();
    AddText("c");
    d->FormatAll();
    d->BeginUndoSequence(rvutCustom, false);
    d->Do_NewLine(2, true, -1, Flag); // a break always starts its paragraph
    d->Do_BR(1, true, Flag);          // an item continuing its line
    d->Do_Tag(0, TRVTag());
    d->Do_StyleNo(2, 0); // not a text item
    d->Do_ChangeText(0, "a");
    EXPECT_TRUE(d->UndoList->Last()->Records.empty());
    d->Change();
    EXPECT_EQ(d->UndoList->CurrentUndoType(), rvutNone);
}

TEST_F(Primitives, StyleChangeFlipsOnlyTheUnicodeOption)
{
    AddText("ab");
    d->FormatAll();
    const AnsiString Before = d->GetItemText(0);
    Do("style", [&] { d->Do_StyleNo(0, Uni); });
    EXPECT_TRUE(d->GetItemOptions(0).Contains(rvioUnicode));
    EXPECT_EQ(d->GetItemText(0), Before);
    d->Undo();
    EXPECT_FALSE(d->GetItemOptions(0).Contains(rvioUnicode));
}

TEST_F(Primitives, TagsAreValuesTheRecordDoesNotShare)
{
    AddText("a");
    d->FormatAll();
    TRVTag Tag(AnsiString("first"));
    Do("tag", [&] { d->Do_Tag(0, Tag); });
    Tag = TRVTag(AnsiString("changed"));
    Do("tag", [&] { d->Do_Tag(0, TRVTag(AnsiString("second"))); });
    d->Undo();
    EXPECT_TRUE(d->GetItem(0)->GetTag() == TRVTag(AnsiString("first")));
}

TEST_F(Primitives, AnEmptyItemGivesWayToAFollowingItemOfTheOtherEncoding)
{
    AddText("", 0, Indented);
    AddText("wide", Uni, -1);
    d->GetItem(1)->SetSameAsPrev(false);
    d->GetItem(0)->SetBR(true);
    d->FormatAll();
    d->InsertCheckpoint(0, TRVTag(), "cp", false);
    Do("concate", [&] { d->Do_Concate(0); });
    ASSERT_EQ(Texts(), (Items{"wide"}));
    EXPECT_EQ(d->GetItemPara(0), Indented);
    EXPECT_TRUE(d->GetItem(0)->GetBR());
    ASSERT_NE(d->GetItemCheckpoint(0), nullptr);
}

TEST_F(Primitives, TextsOfTwoEncodingsNeverJoin)
{
    AddText("narrow");
    AddText("wide", Uni, -1);
    d->FormatAll();
    d->BeginUndoSequence(rvutCustom, false);
    EXPECT_FALSE(d->Do_Concate(0));
    d->Change();
    EXPECT_EQ(Texts(), (Items{"narrow", "wide"}));
}

// Changes of item objects and properties, each undone and redone exactly.
struct TItemChange {
    const char* Name;
    std::function<void(Primitives&)> Change;
    std::function<void(Primitives&)> Check;
};

class ItemChanges : public Primitives, public ::testing::WithParamInterface<TItemChange> {
public:
    using Primitives::d;
    using Primitives::Flag;
    using Primitives::NewPicture;
};

TEST_P(ItemChanges, AreRecordedAndPlayedBack)
{
    AddText("ab");
    AddPicture(-1);
    AddText("cd", 0, -1);
    d->FormatAll();
    d->InsertCheckpoint(1, TRVTag(), "cp", false);
    Do(GetParam().Name, [&] { GetParam().Change(*this); });
    GetParam().Check(*this);
    ASSERT_NE(d->GetItemCheckpoint(1), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ItemChanges,
    ::testing::Values(
        TItemChange{
            "VAlign", [](Primitives& p) { static_cast<ItemChanges&>(p).d->Do_ChangeVAlign(1, rvvaMiddle); },
            [](Primitives& p) {
                EXPECT_EQ(static_cast<TRVRectItemInfo*>(static_cast<ItemChanges&>(p).d->GetItem(1))->VAlign,
                          rvvaMiddle);
            }},
        TItemChange{"ImageWidth",
                    [](Primitives& p) {
                        static_cast<ItemChanges&>(p).d->Do_ExtraIntProperty(1, rvepImageWidth, 150);
                    },
                    [](Primitives& p) {
                        int Width = 0;
                        static_cast<ItemChanges&>(p).d->GetItem(1)->GetExtraIntProperty(rvepImageWidth,
                                                                                        Width);
                        EXPECT_EQ(Width, 150);
                    }},
        TItemChange{
            "ModifyItem",
            [](Primitives& p) {
                auto& q = static_cast<ItemChanges&>(p);
                q.d->Do_ModifyItem(1, AnsiString(), q.NewPicture(40, 30));
            },
            [](Primitives& p) { EXPECT_EQ(static_cast<ItemChanges&>(p).d->DrawItems[1]->Width, 40 + 2); }},
        TItemChange{"ReplaceItem",
                    [](Primitives& p) {
                        auto& q = static_cast<ItemChanges&>(p);
                        q.d->Do_ReplaceItem(1, q.NewPicture(40, 30));
                    },
                    [](Primitives& p) {
                        // The new object takes the old one's fields, its picture included.
                        EXPECT_TRUE(static_cast<ItemChanges&>(p).d->GetItem(1)->GetSameAsPrev());
                        EXPECT_EQ(static_cast<ItemChanges&>(p).d->DrawItems[1]->Width, 20 + 2);
                    }},
        TItemChange{"ReformateRangeAndBrackets",
                    [](Primitives& p) {
                        auto& q = static_cast<ItemChanges&>(p);
                        q.d->Do_ItemModifyTerminator(1, true);
                        q.d->Do_ExtraIntProperty(1, rvepImageHeight, 44);
                        q.d->Do_ItemModifyTerminator(1, false);
                        q.d->Do_ReformateRange(0, 2, false);
                    },
                    [](Primitives& p) {
                        EXPECT_EQ(static_cast<ItemChanges&>(p).d->UndoList->Last()->Records.size(), 4u);
                    }}),
    [](const auto& i) { return std::string(i.param.Name); });

TEST_F(Primitives, VerticalAlignmentOfATextItemIsRefused)
{
    AddText("ab");
    d->FormatAll();
    EXPECT_THROW(d->Do_ChangeVAlign(0, rvvaMiddle), ERollViewError);
}

} // namespace
