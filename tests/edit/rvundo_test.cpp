// The undo and redo lists: opening groups under a limit and in group mode,
// typing records played one character at a time, failures, and what a list
// keeps being freed with the right notices.
#include <gtest/gtest.h>

#include <stdexcept>

#include "edit/rvundorecords.h"
#include "tests/support/editcommands.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"

namespace {

class UndoList : public TEditFixture {
protected:
    TRVUndoList& L() { return *d->UndoList; }
    void Open(TRVUndoType Type, int Caret = 0) { L().BeginItem(Type, AnsiString(), 0, Caret); }
    void AddMisc()
    {
        auto Info = std::make_unique<TRVUndoTagInfo>();
        Info->ItemNo = -1;
        L().AddInfo(std::move(Info));
    }
};

TEST_F(UndoList, LimitEvictsOldestAndLoweredLimitTakesEffect)
{
    L().Limit = 3;
    for (TRVUndoType t : {rvutDelete, rvutInsert, rvutPara, rvutTag}) {
        Open(t);
        AddMisc();
    }
    ASSERT_EQ(L().Count(), 3);
    EXPECT_EQ(L().Group(0)->UndoType, rvutInsert);
    // A lowered limit evicts down to it at the next group, not only at equality.
    L().Limit = 1;
    Open(rvutStyleNo);
    EXPECT_EQ(L().Count(), 1);
    EXPECT_EQ(L().CurrentUndoType(), rvutStyleNo);
}

TEST_F(UndoList, LimitZeroRecordsNothingButEditsStillHappen)
{
    AddText("abc");
    d->FormatAll();
    L().Limit = 0;
    Caret(0, 4);
    d->OnEnterPress_(false);
    d->Change();
    editinvariant::CheckState(*d, "enter");
    EXPECT_EQ(d->GetItemCount(), 2);
    EXPECT_EQ(L().CurrentUndoType(), rvutNone);
    EXPECT_FALSE(L().BeginItem(rvutDelete, AnsiString(), 0, 0));
}

TEST_F(UndoList, EmptyLastGroupIsReplacedKeepingItsCaretAndCaption)
{
    L().BeginItem(rvutDelete, "first", 3, 7);
    L().BeginItem(rvutInsert, "second", 1, 1);
    ASSERT_EQ(L().Count(), 1);
    EXPECT_EQ(L().Last()->UndoType, rvutInsert);
    EXPECT_EQ(L().Last()->Caption, "first");
    EXPECT_EQ(L().Last()->CaretItemNo, 3);
    EXPECT_EQ(L().Last()->CaretOffs, 7);
}

TEST_F(UndoList, GroupModeJoinsCommandsButNotTypingGroups)
{
    L().GroupModeCount = 1;
    Open(rvutDelete);
    AddMisc();
    Open(rvutInsert);
    AddMisc();
    EXPECT_EQ(L().Count(), 1);
    L().GroupModeCount = 0;
    L().AddTyping(0, 1, false);
    L().GroupModeCount = 1;
    Open(rvutInsert);
    EXPECT_EQ(L().Count(), 3);
}

TEST_F(UndoList, FailuresLeaveTheListsAsTheyWere)
{
    auto Expect = [](const std::function<void()>& f, const char* Message) {
        try {
            f();
            ADD_FAILURE() << "no error";
        } catch (const ERollViewError& e) {
            EXPECT_STREQ(e.what(), Message);
        }
    };
    Expect([&] { AddMisc(); }, "Can't modify empty undo list");
    L().AddTyping(0, 1, false);
    Expect([&] { AddMisc(); }, "Incorrect adding into undo list");
    EXPECT_EQ(L().Count(), 1);
    Expect([&] { d->RedoList->Undo(d); }, "Undo buffer is empty");
}

// Typing A then B at offset 5, undone and redone one character at a time.
class Typing : public TEditFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(Typing, CharactersAreUndoneAndRedoneOneByOne)
{
    const bool Unicode = GetParam();
    AddText("0123456789", Unicode ? Uni : 0);
    d->FormatAll();
    Caret(0, 5);
    const std::vector<std::pair<const char*, int>> Expected = {
        {"0123AB456789", 7}, {"0123A456789", 6}, {"0123456789", 5}, {"0123A456789", 6}, {"0123AB456789", 7}};
    editcommands::TypeChar(*d, 'A');
    d->Change();
    editcommands::TypeChar(*d, 'B');
    d->Change();
    ASSERT_EQ(d->UndoList->Count(), 1);
    auto* Record = dynamic_cast<TRVUndoTypingInfo*>(d->UndoList->Last()->Records[0].get());
    ASSERT_NE(Record, nullptr);
    EXPECT_EQ(Record->Index, 5);
    EXPECT_EQ(Record->Length, 2);
    EXPECT_EQ(d->UndoList->Last()->CaretOffs, 6);
    std::vector<std::function<void()>> Steps = {[] {}, [&] { d->Undo(); }, [&] { d->Undo(); },
                                                [&] { d->Redo(); }, [&] { d->Redo(); }};
    for (size_t i = 0; i < Steps.size(); ++i) {
        SCOPED_TRACE(i);
        Steps[i]();
        EXPECT_EQ(Text(0), Expected[i].first);
        EXPECT_EQ(CaretPos(), std::make_pair(0, Expected[i].second));
        editinvariant::CheckState(*d, "typing");
    }
    EXPECT_EQ(d->UndoList->Count(), 1);
    EXPECT_EQ(d->RedoList->Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(AnsiAndUnicode, Typing, ::testing::Bool());

TEST_F(UndoList, TypingInAnotherItemOpensAnotherGroup)
{
    AddText("abc");
    AddText("def");
    d->FormatAll();
    Caret(0, 2);
    editcommands::TypeChar(*d, 'x');
    Caret(1, 2);
    editcommands::TypeChar(*d, 'y');
    EXPECT_EQ(d->UndoList->Count(), 2);
}

// A record whose play-back fails.
class TFailingRecord : public TRVUndoItemNoInfo {
public:
    void Undo(TRVEditRVData*) override { throw std::runtime_error("broken record"); }
};

// Undo never raises: a record that fails ends the history quietly.
TEST_F(UndoList, FailingUndoClearsBothListsAndLaysOutInFull)
{
    AddText("abc def");
    AddText("ghi");
    d->FormatAll();
    Caret(0, 4);
    editinvariant::Run(*d, "enter", [&] { d->OnEnterPress_(false); });
    // The failing record is played first, after a real change was played back.
    d->BeginUndoSequence(rvutMiscTyping, false);
    bool Flag = false;
    d->Do_BR(2, true, Flag);
    d->UndoList->AddInfo(std::make_unique<TFailingRecord>());
    d->Change();
    EXPECT_NO_THROW(d->Undo());
    EXPECT_EQ(d->UndoList->Count(), 0);
    EXPECT_EQ(d->RedoList->Count(), 0);
    EXPECT_EQ(d->UndoDest, udNone);
    editinvariant::CheckState(*d, "after a failed undo");
}

TEST_F(UndoList, DestinationResetsAfterUndoSoUnopenedPrimitivesRecordNowhere)
{
    AddText("abc");
    d->FormatAll();
    Caret(0, 4);
    editinvariant::Run(*d, "enter", [&] { d->OnEnterPress_(false); });
    d->Undo();
    ASSERT_EQ(d->RedoList->Count(), 1);
    const size_t Records = d->RedoList->Last()->Records.size();
    EXPECT_EQ(d->UndoDest, udNone);
    d->Do_InsertSubstring(0, 1, "x");
    EXPECT_EQ(d->RedoList->Count(), 1);
    EXPECT_EQ(d->RedoList->Last()->Records.size(), Records);
    EXPECT_EQ(d->UndoList->Count(), 0);
}

// Items kept by records are freed through the document with the notice that
// they are destroyed in the undo list, each once.
class TNoticeData : public TRVEditRVData {
public:
    using TRVEditRVData::TRVEditRVData;
    int Destroying = 0;
    int DestroyInUndo = 0;
    void ItemAction(TRVItemAction Action, TCustomRVItemInfo*, AnsiString&, TCustomRVData*) override
    {
        Destroying += Action == rviaDestroying;
    }
    void ControlAction(TRVControlAction Action, int, TCustomRVItemInfo*) override
    {
        DestroyInUndo += Action == rvcaDestroyInUndoList;
    }
};

TEST_F(UndoList, KeptItemsAreFreedOnceWithNotices)
{
    d = Editor.NewEditor(&Style,
                         [](TCustomRollView* view) -> TRollViewRVData* { return new TNoticeData(view); });
    auto* n = static_cast<TNoticeData*>(d);
    // The empty line a focused empty editor gets went with the editor's clearing.
    n->Destroying = n->DestroyInUndo = 0;
    AddText("abc");
    AddPicture(0);
    AddPicture(0);
    AddText("def");
    d->FormatAll();
    editinvariant::Run(*d, "delete", [&] { editcommands::DeleteRange(*d, 0, 2, 3, 2); });
    EXPECT_EQ(n->DestroyInUndo, 0);
    d->ClearUndo();
    // Two pictures and the end text item that joined the start one.
    EXPECT_EQ(n->DestroyInUndo, 3);
    EXPECT_EQ(n->Destroying, 3);
    d->ClearUndo();
    EXPECT_EQ(n->DestroyInUndo, 3);
}

} // namespace
