// List markers in the editor: applying a list style, removing lists, moving
// levels, and the layout of numbers whose width changes when an edit adds or
// removes markers. Every command runs through the editing invariant, whose
// layout check catches a marker laid out for its old number.
#include <gtest/gtest.h>

#include "document/rvmarker.h"
#include "tests/support/editcommands.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"

namespace {

using Items = std::vector<AnsiString>;

class Lists : public TEditFixture {
protected:
    Lists()
    {
        // Numbers with no room of their own: every digit widens the marker.
        Narrow = AddList(1, 0);
        Deep = AddList(2, 24);
    }
    int AddList(int levels, int indent)
    {
        TRVListInfo* list = Style.ListStyles()->Add();
        for (int i = 0; i < levels; ++i) {
            TRVListLevel* level = list->Levels()->Add();
            level->SetListType(rvlstDecimal);
            level->SetFormatString("%" + std::to_string(i) + ":s.");
            level->SetLeftIndent(indent * (i + 1));
            level->SetFirstIndent(0);
        }
        return Style.ListStyles()->Count() - 1;
    }
    void AddNumberedIn(int listNo, const AnsiString& text, int level = 0)
    {
        d->SetListMarkerInfo(-1, listNo, level, 1, 0, false);
        d->AddNL(text, 0, -1);
    }
    TRVMarkerItemInfo* Marker(int itemNo) { return dynamic_cast<TRVMarkerItemInfo*>(d->GetItem(itemNo)); }
    // The display strings of the document's markers, in order.
    std::vector<AnsiString> Numbers()
    {
        std::vector<AnsiString> r;
        for (int i = 0; i < d->GetItemCount(); ++i)
            if (TRVMarkerItemInfo* m = Marker(i))
                r.push_back(m->DisplayString);
        return r;
    }
    void Apply(int listNo, int level, int startFrom, bool useStartFrom)
    {
        Run("apply", [&] { Editor.Edit->ApplyListStyle(listNo, level, startFrom, useStartFrom, false); });
    }
    int Narrow = 0;
    int Deep = 0;
};

TEST_F(Lists, ApplyingANumberedListRestartsOnlyAtTheFirstParagraph)
{
    for (const char* t : {"one", "two", "three", "four"})
        AddText(t);
    d->FormatAll();
    d->SetSelectionBounds(0, 2, 2, 3);
    Editor.Edit->ApplyListStyle(Narrow, -1, 5, true, false);
    editinvariant::CheckState(*d, "apply");
    EXPECT_EQ(Texts(), (Items{"<-11>", "one", "<-11>", "two", "<-11>", "three", "four"}));
    EXPECT_TRUE(Marker(0)->Reset);
    EXPECT_FALSE(Marker(2)->Reset);
    EXPECT_FALSE(Marker(4)->Reset);
    EXPECT_EQ(Numbers(), (std::vector<AnsiString>{"5.", "6.", "7."}));
    // The selection covers the same text, the caret at its end.
    int si = 0, so = 0, ei = 0, eo = 0;
    d->GetSelectionBounds(si, so, ei, eo, true);
    EXPECT_EQ(std::vector<int>({si, so, ei, eo}), std::vector<int>({1, 2, 5, 3}));
    EXPECT_EQ(CaretPos(), std::make_pair(5, 3));
    d->Undo();
    EXPECT_EQ(Texts(), (Items{"one", "two", "three", "four"}));
}

TEST_F(Lists, LevelsMoveWithinTheListAndRemovingGivesBackPlainParagraphs)
{
    AddNumberedIn(Deep, "a");
    AddText("plain");
    AddNumberedIn(Deep, "b");
    d->GetItem(0)->SetPageBreakBefore(true);
    d->FormatAll();
    d->SetSelectionBounds(1, 1, 4, 1);
    Run("deeper", [&] { Editor.Edit->ChangeListLevels(1); });
    EXPECT_EQ(Marker(0)->Level, 1);
    EXPECT_EQ(Marker(3)->Level, 1);
    EXPECT_EQ(Texts(), (Items{"<-11>", "a", "plain", "<-11>", "b"}))
        << "a paragraph without a marker gets none";
    d->SetSelectionBounds(1, 1, 4, 1);
    EXPECT_FALSE(Run("deeper at the deepest level", [&] { Editor.Edit->ChangeListLevels(1); }));
    EXPECT_EQ(Marker(0)->Level, 1);
    EXPECT_TRUE(Marker(0)->GetPageBreakBefore()) << "the marker keeps the paragraph's page break";
    d->SetSelectionBounds(1, 1, 4, 1);
    Run("remove", [&] { Editor.Edit->RemoveLists(false); });
    EXPECT_EQ(Texts(), (Items{"a", "plain", "b"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(d->IsParaStart(i)) << i;
    EXPECT_TRUE(d->GetItem(0)->GetPageBreakBefore()) << "the page break goes back to the text";
}

TEST_F(Lists, AParagraphStartingWithABreakGetsNoMarker)
{
    AddText("one");
    d->AddItem(AnsiString(), new TRVBreakItemInfo(d, 1, rvbsLine, clNone));
    AddText("two");
    d->FormatAll();
    d->SetSelectionBounds(0, 1, 2, 2);
    Apply(Narrow, 0, 1, false);
    EXPECT_EQ(Texts(), (Items{"<-11>", "one", "<-1>", "<-11>", "two"}));
    EXPECT_EQ(Numbers(), (std::vector<AnsiString>{"1.", "2."}));
}

TEST_F(Lists, ACaretWithoutSelectionNumbersItsParagraphAndTheListAfterItFollows)
{
    AddText("first");
    for (int i = 0; i < 9; ++i)
        AddNumberedIn(Narrow, "x");
    d->FormatAll();
    Caret(0, 3);
    Apply(Narrow, 0, 1, false);
    ASSERT_EQ(Numbers().size(), 10u);
    EXPECT_EQ(Numbers().back(), "10.");
    EXPECT_EQ(CaretPos(), std::make_pair(1, 3));
    // Moving the paragraph to another list renumbers the one it left.
    Apply(Deep, 0, 1, false);
    EXPECT_EQ(Numbers().front(), "1.");
    EXPECT_EQ(Numbers().back(), "9.");
}

// Edits that add or remove a marker of a list with variable-width numbers
// change the numbers, and so the widths, of the markers after it: their
// paragraphs are laid out again, and again on undo and redo.
TEST_F(Lists, EditsThatAddOrRemoveMarkersLayOutTheNumbersAfterThem)
{
    for (int i = 0; i < 12; ++i)
        AddNumberedIn(Narrow, "p" + std::to_string(i));
    d->FormatAll();
    auto textOf = [&](int paragraph) { return 2 * paragraph + 1; };
    Caret(textOf(0), 3);
    Run("enter", [&] { d->OnEnterPress_(false); });
    EXPECT_EQ(Numbers().back(), "13.");
    Run("delete across paragraphs", [&] { editcommands::DeleteRange(*d, textOf(1), 1, textOf(3), 1); });
    EXPECT_EQ(Numbers().back(), "11.");
    Caret(textOf(2), 1);
    Run("backspace removes the marker", [&] { d->OnBackSpacePress_(false, false, false); });
    EXPECT_EQ(Numbers().back(), "10.");
    Caret(textOf(0), d->GetOffsAfterItem(textOf(0)));
    Run("delete joins the next numbered paragraph", [&] { d->OnDeletePress_(false, false); });
    EXPECT_EQ(Numbers().back(), "9.");
}

// Redoing a removal lays the numbers after it out again too, although the
// group's record of that layout names items as the removal left them.
TEST_F(Lists, RedoingARemovedMarkerLaysOutTheNumbersAfterIt)
{
    AddText("wider_than_every_numbered_paragraph");
    for (int i = 0; i < 11; ++i)
        AddNumberedIn(Narrow, "p");
    d->FormatAll();
    d->SetSelectionBounds(2, 1, 4, 2);
    Run("remove the first two", [&] { Editor.Edit->RemoveLists(false); });
    EXPECT_EQ(Numbers().back(), "9.");
}

// Delete at the end of an empty line of another encoding joins the next
// numbered paragraph's text into this paragraph, which keeps its own style.
TEST_F(Lists, DeleteJoiningANumberedParagraphIntoAnEmptyLineGivesItThisParagraphsStyle)
{
    d->SetListMarkerInfo(-1, Narrow, 0, 1, Indented, false);
    AddText("", Uni, -1);
    AddNumberedIn(Narrow, "cd ef");
    d->FormatAll();
    Caret(1, 1);
    Run("delete", [&] { d->OnDeletePress_(false, false); });
    EXPECT_EQ(Texts(), (Items{"<-11>", "cd ef"}));
    EXPECT_EQ(d->GetItemPara(1), Indented);
}

// The markers list is put in order once for the whole command: applying a
// list to many paragraphs costs work in proportion to them, not to their square.
TEST_F(Lists, ApplyingToManyParagraphsNumbersTheListOnce)
{
    const int count = 2000;
    for (int i = 0; i < count; ++i)
        AddText("p");
    d->FormatAll();
    d->SetSelectionBounds(0, 1, count - 1, 2);
    Editor.Edit->ApplyListStyle(Narrow, 0, 1, false, false);
    TRVMarkerList* markers = d->GetMarkers(false);
    ASSERT_NE(markers, nullptr);
    ASSERT_EQ(markers->Count(), count);
    EXPECT_EQ(Marker(2 * (count - 1))->DisplayString, "2000.");
    EXPECT_LT(markers->WorkDone(), 20 * count);
    const int64_t before = markers->WorkDone();
    d->SetSelectionBounds(1, 1, 2 * count - 1, 2);
    Editor.Edit->ApplyListStyle(Deep, 0, 1, false, false);
    EXPECT_LT(d->GetMarkers(false)->WorkDone() - before, 20 * count) << "replacing every marker";
}

} // namespace
