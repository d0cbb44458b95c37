// The editor as the viewer it is: the mouse places the caret and selects,
// Shift with the caret keys selects, Up and Down keep the caret's column, a
// read-only editor's hyperlinks work, a new width lays the document out again
// with the caret and the selection kept, and the selection survives layouts
// and edits that remove its items. Real toolkit events on the headless editor
// (recording metrics: 7 px a character, lines 13 px, margins 5 px).
#include <gtest/gtest.h>

#include <string>

#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"

namespace {

class EditorAsViewer : public TEditFixture {
protected:
    // The client point before character Index (0-based) of line Line.
    static int X(int index) { return 5 + 7 * index; }
    static int Y(int line) { return 5 + 13 * line + 6; }
    void Type(const AnsiString& text)
    {
        for (char c : text)
            SimulateKeyDown(Edit(), 0, TShiftState(), WideString(1, static_cast<WideChar>(c)));
    }
    void Key(WORD key, TShiftState shift = TShiftState()) { SimulateKey(Edit(), key, shift); }
    void Lines(std::initializer_list<const char*> lines)
    {
        for (const char* line : lines)
            AddText(line);
        Edit()->Format();
    }
    // The paragraphs' texts joined by '|'.
    std::string Doc()
    {
        std::string s;
        for (int i = 0; i < d->GetItemCount(); ++i)
            s += (i > 0 && d->IsParaStart(i) ? "|" : "") + std::string(Text(i));
        return s;
    }
};

TEST_F(EditorAsViewer, AClickPlacesTheCaretWhereTypingGoes)
{
    Lines({"hello world", "second line"});
    SimulateClick(Edit(), mbLeft, X(3), Y(0));
    EXPECT_EQ(CaretPos(), std::make_pair(0, 4));
    Type("X");
    EXPECT_EQ(Doc(), "helXlo world|second line");
    SimulateClick(Edit(), mbLeft, X(6), Y(1));
    Type("Y");
    EXPECT_EQ(Doc(), "helXlo world|secondY line");
}

TEST_F(EditorAsViewer, ADragSelectsAcrossLinesAndDeleteRemovesExactlyThat)
{
    Lines({"first line", "second line", "third"});
    SimulateMouseDown(Edit(), mbLeft, X(2), Y(0));
    SimulateMouseMove(Edit(), X(4), Y(1), TShiftState{ssLeft});
    SimulateMouseUp(Edit(), mbLeft, X(4), Y(1));
    EXPECT_TRUE(d->SelectionExists(false, false));
    EXPECT_EQ(CaretPos(), std::make_pair(1, 5));
    Key(VK_DELETE);
    EXPECT_EQ(Doc(), "find line|third");
    EXPECT_EQ(CaretPos(), std::make_pair(0, 3));
}

TEST_F(EditorAsViewer, ShiftClickExtendsFromTheCaretAndADoubleClickSelectsAWord)
{
    Lines({"one two three"});
    SimulateClick(Edit(), mbLeft, X(1), Y(0));
    SimulateClick(Edit(), mbLeft, X(6), Y(0), TShiftState{ssShift});
    int a, oa, b, ob;
    d->GetSelectionBounds(a, oa, b, ob, true);
    EXPECT_EQ(std::vector<int>({a, oa, b, ob}), std::vector<int>({0, 2, 0, 7}));
    SimulateDoubleClick(Edit(), mbLeft, X(9), Y(0));
    d->GetSelectionBounds(a, oa, b, ob, true);
    EXPECT_EQ(std::vector<int>({a, oa, b, ob}), std::vector<int>({0, 9, 0, 14}));
    Type("4");
    EXPECT_EQ(Doc(), "one two 4");
}

TEST_F(EditorAsViewer, ShiftWithTheCaretKeysSelects)
{
    Lines({"abcdef ghi", "jkl"});
    const struct {
        const char* Name;
        WORD Key;
        TShiftState Shift;
        int Times;
        const char* After;
    } cases[] = {
        {"shift right", VK_RIGHT, {ssShift}, 3, "Zdef ghi|jkl"},
        {"shift end", VK_END, {ssShift}, 1, "Z|jkl"},
        {"ctrl shift right", VK_RIGHT, {ssShift, ssCtrl}, 1, "Zghi|jkl"},
        {"shift down", VK_DOWN, {ssShift}, 1, "Zjkl"},
        {"shift down twice", VK_DOWN, {ssShift}, 2, "Z"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        d->Clear();
        Lines({"abcdef ghi", "jkl"});
        Caret(0, 1);
        for (int i = 0; i < c.Times; ++i)
            Key(c.Key, c.Shift);
        Type("Z");
        EXPECT_EQ(Doc(), c.After);
        editinvariant::CheckState(*d, c.Name);
    }
    // Shift+Left back over a selection made with Shift+Right shrinks it.
    d->Clear();
    Lines({"abcdef"});
    Caret(0, 2);
    for (int i = 0; i < 3; ++i)
        Key(VK_RIGHT, {ssShift});
    Key(VK_LEFT, {ssShift});
    Type("Z");
    EXPECT_EQ(Doc(), "aZdef");
    // A caret key without Shift ends the selection.
    Key(VK_HOME, {ssShift});
    Key(VK_RIGHT);
    EXPECT_FALSE(d->SelectionExists(false, false));
}

TEST_F(EditorAsViewer, UpAndDownKeepTheColumnAcrossShortLines)
{
    Lines({"abcdefgh", "ab", "", "abcdefgh"});
    Caret(0, 7);
    Key(VK_DOWN);
    EXPECT_EQ(CaretPos(), std::make_pair(1, 3));
    Key(VK_DOWN);
    EXPECT_EQ(CaretPos(), std::make_pair(2, 1));
    Key(VK_DOWN);
    EXPECT_EQ(CaretPos(), std::make_pair(3, 7));
    Key(VK_UP);
    Key(VK_UP);
    Key(VK_UP);
    EXPECT_EQ(CaretPos(), std::make_pair(0, 7));
    // Any other move forgets the column.
    Key(VK_DOWN);
    Key(VK_LEFT);
    Key(VK_DOWN);
    EXPECT_EQ(CaretPos(), std::make_pair(2, 1));
    Key(VK_DOWN);
    EXPECT_EQ(CaretPos(), std::make_pair(3, 2));
}

TEST_F(EditorAsViewer, AReadOnlyEditorsLinksWorkAndItsUndoChangesNothing)
{
    const int link = AddText([](TFontInfo* f) { f->SetJump(true); });
    AddText("see ");
    AddText("here", link, -1);
    Edit()->Format();
    Type("x");
    ASSERT_EQ(Doc(), "xsee here");
    std::vector<int> jumps;
    Edit()->OnJump = [&](TObject*, int id) { jumps.push_back(id); };
    SimulateClick(Edit(), mbLeft, X(6), Y(0));
    EXPECT_TRUE(jumps.empty()) << "an editable editor edits its links' text";
    Edit()->SetReadOnly(true);
    SimulateClick(Edit(), mbLeft, X(6), Y(0));
    EXPECT_EQ(jumps, std::vector<int>({0}));
    const AnsiString before = editinvariant::SaveRVF(*d);
    const int changes = d->UndoList->Count();
    Key('Z', {ssCtrl});
    Edit()->Perform(WM_UNDO, 0, 0);
    Edit()->Perform(EM_REDO, 0, 0);
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
    EXPECT_EQ(d->UndoList->Count(), changes);
    Edit()->SetReadOnly(false);
    EXPECT_EQ(d->Jumps.Count(), 0);
}

TEST_F(EditorAsViewer, ANewWidthRewrapsAndKeepsTheCaretAndTheSelection)
{
    AddText("a rather long line of words that wraps over several lines at a narrow width");
    Edit()->Format();
    Edit()->SelectAll();
    Editor.SetClientSize(120, 200);
    EXPECT_GT(d->DrawItems.Count(), 3);
    for (int i = 0; i < d->DrawItems.Count(); ++i)
        EXPECT_LE(d->DrawItems[i]->Left + d->DrawItems[i]->Width, 120) << i;
    Type("Q");
    EXPECT_EQ(Doc(), "Q");
    editinvariant::CheckState(*d, "after the width changed");

    d->Clear();
    AddText("a rather long line of words that wraps over several lines at a narrow width");
    Edit()->Format();
    Caret(0, 60);
    Editor.SetClientSize(300, 200);
    EXPECT_EQ(CaretPos(), std::make_pair(0, 60));
}

TEST_F(EditorAsViewer, ALayoutKeepsTheSelectionByItemAndAnEditThatRemovesItsItemsDropsIt)
{
    Lines({"first line", "second line"});
    d->SetSelectionBounds(0, 3, 1, 4);
    Edit()->Format();
    int a, oa, b, ob;
    d->GetSelectionBounds(a, oa, b, ob, true);
    EXPECT_EQ(std::vector<int>({a, oa, b, ob}), std::vector<int>({0, 3, 1, 4}));
    bool full = false;
    d->Do_DeleteItem(0, full);
    d->FormatAll();
    EXPECT_FALSE(d->SelectionExists(false, false));
    Type("z");
    editinvariant::CheckState(*d, "typed after the selection went");
}

TEST_F(EditorAsViewer, RefusedKeysAreNoChange)
{
    Lines({"ab"});
    Edit()->Modified = false;
    int changes = 0;
    Edit()->OnChange = [&](TObject*) { ++changes; };
    Caret(0, 1);
    Key(VK_BACK);
    Caret(0, 3);
    Key(VK_DELETE);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(Edit()->Modified);
    // Something to redo survives a refused key.
    Type("c");
    Key('Z', {ssCtrl});
    ASSERT_EQ(d->RedoList->Count(), 1);
    Key(VK_DELETE);
    EXPECT_EQ(d->RedoList->Count(), 1);
    // Enter in a paragraph that wants no returns.
    d->Clear();
    AddText("x", 0, NoReturns);
    Edit()->Format();
    changes = 0;
    Key(VK_RETURN);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(Doc(), "x");
}

TEST_F(EditorAsViewer, TheStyleEventsFireWhenTheCaretOrEnterChangesTheStyles)
{
    const int bold = AddText([](TFontInfo* f) { f->SetStyle(TFontStyles{fsBold}); });
    Style.TextStyles()->Items(bold)->SetNextStyleNo(0);
    AddText("plain ");
    AddText("bold", bold, -1);
    AddText("indented", 0, Indented);
    Edit()->Format();
    int textEvents = 0;
    int paraEvents = 0;
    Edit()->OnCurTextStyleChanged = [&](TObject*) { ++textEvents; };
    Edit()->OnCurParaStyleChanged = [&](TObject*) { ++paraEvents; };
    SimulateClick(Edit(), mbLeft, X(8), Y(0));
    EXPECT_EQ(Edit()->CurTextStyleNo(), bold);
    EXPECT_EQ(textEvents, 1);
    Key(VK_DOWN);
    EXPECT_EQ(Edit()->CurParaStyleNo(), Indented);
    EXPECT_EQ(paraEvents, 1);
    Key(VK_UP);
    Key(VK_END);
    // Enter at the end of the bold text switches to its next style.
    textEvents = 0;
    Key(VK_RETURN);
    EXPECT_EQ(Edit()->CurTextStyleNo(), 0);
    EXPECT_GE(textEvents, 1);
}

TEST_F(EditorAsViewer, AControlInsertedIntoTheEditorIsItsChild)
{
    Lines({"a control: "});
    auto* box = new TCustomControl(nullptr);
    box->SetBounds(0, 0, 30, 12);
    Caret(0, 12);
    Edit()->InsertControl("", box, rvvaBaseline);
    ASSERT_EQ(d->GetItemStyle(1), rvsComponent);
    EXPECT_EQ(d->GetParentControl(), Edit());
    EXPECT_EQ(box->Parent(), Edit());
    editinvariant::CheckState(*d, "with a control");
}

TEST_F(EditorAsViewer, TypingAndBackspaceRepaintTheLinesTheyChangeNotTheWindow)
{
    for (int i = 0; i < 12; ++i)
        AddText("line " + std::to_string(i));
    Edit()->Format();
    Caret(2, 3);
    // What is invalid is painted before the watch begins, and after each key.
    UpdateWindow(Edit()->Handle());
    TRect painted;
    Edit()->OnPaint = [&](TObject*, TCanvas* canvas, bool) {
        const TRect clip = canvas->ClipRect();
        painted = painted.Width() <= 0
                      ? clip
                      : TRect{std::min(painted.Left, clip.Left), std::min(painted.Top, clip.Top),
                              std::max(painted.Right, clip.Right), std::max(painted.Bottom, clip.Bottom)};
    };
    const struct {
        const char* Name;
        std::function<void()> Key;
    } keys[] = {
        {"a letter", [&] { Type("x"); }},
        {"backspace", [&] { Key(VK_BACK); }},
        {"delete", [&] { Key(VK_DELETE); }},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.Name);
        painted = TRect();
        k.Key();
        UpdateWindow(Edit()->Handle());
        EXPECT_GT(painted.Height(), 0);
        // The caret's line and its neighbours, not the twelve lines in view.
        EXPECT_LT(painted.Height(), 13 * 6);
    }
}

} // namespace
