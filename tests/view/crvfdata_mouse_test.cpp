// The mouse on a laid-out document: hyperlink clicks, drag selection, shift
// and double clicks, right clicks, hover, words and their Unicode text, and a
// selection whose items went during a layout.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/winapi.h"
#include "tests/support/testrvfdata.h"

namespace {

// A test document that answers the word delimiters and records the click events.
class TMouseData : public TTestRVFData {
public:
    using TTestRVFData::TTestRVFData;

    AnsiString GetDelimiters() override { return " .;,:(){}\"/\\"; }
    bool IsAssignedRVDblClick() override { return true; }
    void DoRVDblClick(const AnsiString& word, int styleNo) override { DblClicks.push_back({word, styleNo}); }
    bool IsAssignedRVRightClick() override { return true; }
    void DoRVRightClick(const AnsiString& word, int styleNo, int x, int y) override
    {
        RightClicks.push_back({word, styleNo, x, y});
    }

    struct TRightClick {
        AnsiString Word;
        int StyleNo, X, Y;
    };
    std::vector<std::pair<AnsiString, int>> DblClicks;
    std::vector<TRightClick> RightClicks;
};

class DocumentMouse : public ::testing::Test {
protected:
    DocumentMouse()
    {
        D.Options = {rvoAllowSelection, rvoDblClickSelectsWord, rvoRClickDeselects};
        // Line 0: item 0. Line 1: items 1 (plain) and 2 (hyperlink). Line 2: item 3 (hyperlink).
        D.AddNL("alpha beta gamma", 0, 0);
        D.AddNL("see ", 0, 0);
        D.AddNL("the link", 4, -1);
        D.AddNL("other link", 5, 0);
        D.FormatAll();
    }

    // The client point of character Offs (1-based) of item itemNo's first draw item, 3 px into it.
    TPoint At(int itemNo, int offs)
    {
        const TRVDrawLineInfo* dli = D.DI(D.GetItem(itemNo)->DrawItemNo);
        return {dli->Left + (offs - 1) * 7 + 3 - D.HOffs, dli->Top + 5 - D.VOffs};
    }
    void Press(TPoint p, TShiftState shift = {ssLeft}) { D.MouseDown(mbLeft, shift, p.X, p.Y); }
    void Release(TPoint p, TShiftState shift = {}) { D.MouseUp(mbLeft, shift, p.X, p.Y); }
    void Click(TPoint p, TShiftState shift = {ssLeft})
    {
        Press(p, shift);
        Release(p, shift);
    }
    void Drag(TPoint from, TPoint to)
    {
        Press(from);
        D.MouseMove({ssLeft}, to.X, to.Y);
        Release(to);
    }
    // The order of input of a double click: press, release, DblClick, press with ssDouble, release.
    void DoubleClick(TPoint p)
    {
        Click(p);
        SetCursorPos(p.X, p.Y);
        D.DblClick();
        Press(p, {ssLeft, ssDouble});
        Release(p);
    }
    TSel Selection(bool normalize = false)
    {
        TSel s;
        D.GetSelectionBounds(s.StartItem, s.StartOffs, s.EndItem, s.EndOffs, normalize);
        return s;
    }

    TRVStyle Style{nullptr};
    TMouseData D{&Style};
};

TEST_F(DocumentMouse, HyperlinkClickFiresOnlyWhenPressAndReleaseMeetOnOneLinkWithoutSelection)
{
    Click(At(2, 3));
    EXPECT_EQ(D.JumpEvents, std::vector<int>({0}));

    D.FirstJumpNo = 10;
    Click(At(3, 2));
    EXPECT_EQ(D.JumpEvents, std::vector<int>({0, 11}));

    // Pressed on one hyperlink, released on another.
    Press(At(2, 2));
    Release(At(3, 2));
    // Pressed on plain text, released on a hyperlink.
    Press(At(0, 2));
    Release(At(2, 2));
    // Pressed and released on one hyperlink after dragging a selection over it.
    Press(At(2, 1));
    D.MouseMove({ssLeft}, At(2, 6).X, At(2, 6).Y);
    Release(At(2, 6));
    EXPECT_TRUE(D.SelectionExists(false, false));
    EXPECT_EQ(D.JumpEvents, std::vector<int>({0, 11}));
    EXPECT_EQ(D.PressedJumpId, -1);
}

TEST_F(DocumentMouse, HyperlinkClickWithoutAJumpHandlerOrWithoutSelectingStillEndsThePress)
{
    // A right release between press and release does not consume the press.
    Press(At(2, 3));
    D.MouseUp(mbRight, {}, At(2, 3).X, At(2, 3).Y);
    EXPECT_EQ(D.PressedJumpId, 0);
    Release(At(2, 3));
    EXPECT_EQ(D.JumpEvents, std::vector<int>({0}));
    EXPECT_EQ(D.PressedJumpId, -1);
    EXPECT_EQ(D.PressedDrawItemNo, -1);
}

TEST_F(DocumentMouse, DragSelectsFromPressToReleaseAndReportsOnceAtTheEnd)
{
    const int before = D.SelectEvents;
    Press(At(0, 3));
    EXPECT_TRUE(D.State.Contains(rvstMakingSelection));
    D.MouseMove({ssLeft}, At(1, 2).X, At(1, 2).Y);
    EXPECT_EQ(Selection(), (TSel{0, 3, 1, 2}));
    // A selection being dragged is never collapsed by asking for it.
    D.MouseMove({ssLeft}, At(0, 3).X, At(0, 3).Y);
    EXPECT_FALSE(D.SelectionExists(true, false));
    EXPECT_TRUE(D.State.Contains(rvstMakingSelection));
    D.MouseMove({ssLeft}, At(2, 4).X, At(2, 4).Y);
    EXPECT_EQ(D.SelectEvents, before);
    Release(At(2, 4));
    EXPECT_FALSE(D.State.Contains(rvstMakingSelection));
    EXPECT_EQ(D.SelectEvents, before + 1);
    EXPECT_EQ(Selection(), (TSel{0, 3, 2, 4}));
    // Backwards: the fixed end stays where the press was.
    Drag(At(3, 5), At(0, 2));
    EXPECT_EQ(Selection(), (TSel{3, 5, 0, 2}));
    EXPECT_EQ(Selection(true), (TSel{0, 2, 3, 5}));
}

TEST_F(DocumentMouse, DragAboveTheWindowStopsAtTheFirstVisibleLineUnlessThePointIsTrusted)
{
    D.VOffs = 13; // line 1 at the top of the view
    Press(At(2, 3));
    D.MouseMove({ssLeft}, 10, -20);
    EXPECT_EQ(Selection().EndItem, 1);
    Release({10, -20});

    D.Flags.Include(rvflMouseXYAlwaysCorrect);
    Press(At(2, 3));
    D.MouseMove({ssLeft}, 10, -10);
    EXPECT_EQ(Selection().EndItem, 0);
    Release({10, -10});
}

TEST_F(DocumentMouse, ShiftClickExtendsOnlyASelectionThatHasAStart)
{
    // Without a selection shift+click starts one.
    Click(At(0, 5), {ssLeft, ssShift});
    EXPECT_EQ(Selection(), (TSel{0, 5, 0, 5}));
    // After a plain click the empty selection is gone: shift+click starts anew.
    Click(At(0, 2));
    Click(At(1, 3), {ssLeft, ssShift});
    EXPECT_EQ(Selection(), (TSel{1, 3, 1, 3}));
    // With a selection its fixed end stays and the other moves.
    Drag(At(0, 2), At(0, 9));
    Click(At(3, 4), {ssLeft, ssShift});
    EXPECT_EQ(Selection(), (TSel{0, 2, 3, 4}));
    // A plain click starts anew.
    Click(At(1, 2));
    EXPECT_FALSE(D.SelectionExists(false, false));
    EXPECT_EQ(Selection(), (TSel{1, 2, 1, 2}));
}

TEST_F(DocumentMouse, DoubleClickSelectsTheWordAndTheFollowingReleaseKeepsIt)
{
    DoubleClick(At(0, 8));
    EXPECT_EQ(Selection(), (TSel{0, 7, 0, 11}));
    EXPECT_FALSE(D.State.Contains(rvstIgnoreNextMouseDown));
    EXPECT_FALSE(D.State.Contains(rvstMakingSelection));
    EXPECT_EQ(D.DblClicks, (std::vector<std::pair<AnsiString, int>>{{"beta", 0}}));
    Click(At(0, 2)); // the next press is an ordinary one again
    EXPECT_FALSE(D.SelectionExists(false, false));
    // On a hyperlink: its word; the first click of the two was a click on it.
    DoubleClick(At(3, 8));
    EXPECT_EQ(Selection(), (TSel{3, 7, 3, 11}));
    EXPECT_EQ(D.JumpEvents, std::vector<int>({1}));
}

TEST_F(DocumentMouse, RightClickInsideTheSelectionKeepsItOutsideCollapsesIt)
{
    Drag(At(0, 2), At(0, 12));
    D.MouseUp(mbRight, {}, At(0, 8).X, At(0, 8).Y);
    EXPECT_EQ(Selection(), (TSel{0, 2, 0, 12}));
    ASSERT_EQ(D.RightClicks.size(), 1u);
    EXPECT_EQ(D.RightClicks[0].Word, "beta");
    EXPECT_EQ(D.RightClicks[0].X, At(0, 8).X); // no window: screen = client
    D.MouseUp(mbRight, {}, At(3, 3).X, At(3, 3).Y);
    EXPECT_EQ(Selection(), (TSel{3, 3, 3, 3}));
    EXPECT_EQ(D.RightClicks.back().Word, "other");
    EXPECT_EQ(D.RightClicks.back().StyleNo, 5);
}

TEST_F(DocumentMouse, HoverReportsEachHyperlinkOnceAndChangesOnlyHoverLooks)
{
    auto move = [&](int itemNo) { D.MouseMove({}, At(itemNo, 2).X, At(itemNo, 2).Y); };
    move(2);
    D.MouseMove({}, At(2, 5).X, At(2, 5).Y);
    EXPECT_EQ(D.MouseMoveEvents, std::vector<int>({0}));
    EXPECT_EQ(D.HoverJumpData, &D);
    EXPECT_FALSE(D.State.Contains(rvstDrawHover)) << "style 4 has no hover look yet";
    move(3);
    move(0);
    EXPECT_EQ(D.MouseMoveEvents, std::vector<int>({0, 1, -1}));
    Style.TextStyles()->Items(4)->SetHoverColor(clRed);
    move(2);
    EXPECT_TRUE(D.State.Contains(rvstDrawHover));
    D.MouseLeave();
    EXPECT_FALSE(D.State.Contains(rvstDrawHover));
    // Without hyperlink use nothing is tracked.
    D.MouseMoveEvents.clear();
    D.Flags.Exclude(rvflUseJumps);
    move(2);
    EXPECT_TRUE(D.MouseMoveEvents.empty());
}

TEST_F(DocumentMouse, UnicodeWordsAreSelectedInTheirOwnUnitsAndReportedWithoutLoss)
{
    const int uni = Style.AddTextStyle();
    Style.TextStyles()->Items(uni)->SetUnicode(true);
    Style.TextStyles()->Items(uni)->SetCharset(RUSSIAN_CHARSET);
    // Latin, Cyrillic and a character beyond the 16-bit plane: no code page holds them all.
    D.AddNLWTag(u"Grüße, мир \U0001D11Ex.", uni, 0, TRVTag());
    D.FormatAll();
    const int item = 4;
    ASSERT_TRUE(D.GetItemOptions(item).Contains(rvioUnicode));

    DoubleClick(At(item, 9)); // in "мир"
    EXPECT_EQ(Selection(), (TSel{item, 8, item, 11}));
    ASSERT_EQ(D.DblClicks.size(), 1u);
    EXPECT_EQ(D.DblClicks[0].first, u8"мир");

    // The musical symbol is two UTF-16 units and one character on the screen.
    const TRVDrawLineInfo* dli = D.DI(D.GetItem(item)->DrawItemNo);
    const int xOfX = dli->Left + 12 * 7 + 3; // the 13th character drawn is "x"
    DoubleClick({xOfX, dli->Top + 5});
    EXPECT_EQ(Selection(), (TSel{item, 12, item, 15}));
    EXPECT_EQ(D.DblClicks.back().first, u8"\U0001D11Ex");

    TCustomRVFormattedData* data;
    int itemNo;
    AnsiString word;
    D.GetWordAt(At(item, 2).X, At(item, 2).Y, data, itemNo, word);
    EXPECT_EQ(word, u8"Grüße");
    EXPECT_EQ(itemNo, item);
}

// Two Arabic words after a Latin one, drawn right to left in a paragraph
// without a direction of its own: a double click on either part of any
// letter selects the word the letter is drawn in.
TEST_F(DocumentMouse, ArabicWordsAreFoundWhereTheyAreDrawn)
{
    const int uni = Style.AddTextStyle();
    Style.TextStyles()->Items(uni)->SetUnicode(true);
    // "log", then "book" and "new" in Arabic: units 4..7 and 9..12.
    D.AddNLWTag(u"log \u0643\u062A\u0627\u0628 \u062C\u062F\u064A\u062F", uni, 0, TRVTag());
    D.FormatAll();
    const int item = 4;
    const TRVDrawLineInfo* dli = D.DI(D.GetItem(item)->DrawItemNo);
    // Shown as "log", then "new" and "book" reversed, from the left.
    const int arabicLeft = dli->Left + 4 * 7;
    for (int unit = 4; unit <= 12; ++unit) {
        if (unit == 8)
            continue;
        SCOPED_TRACE(unit);
        const bool book = unit < 8;
        const int cell = arabicLeft + (12 - unit) * 7; // its left edge: the last unit leftmost
        for (const int x : {cell + 1, cell + 5}) {
            DoubleClick({x - D.HOffs, dli->Top + 5 - D.VOffs});
            EXPECT_EQ(Selection(true), book ? (TSel{item, 5, item, 9}) : (TSel{item, 10, item, 14}));
        }
    }
}

TEST_F(DocumentMouse, SelectLineAndSelectWordAt)
{
    D.SelectLine(2, 3);
    EXPECT_EQ(Selection(), (TSel{1, 1, 2, 9}));
    // The last line ends after its last draw item.
    D.SelectLine(3, 1);
    EXPECT_EQ(Selection(), (TSel{3, 1, 3, 11}));
    D.SelectWordAt(At(0, 14).X, At(0, 14).Y);
    EXPECT_EQ(Selection(), (TSel{0, 12, 0, 17}));
    D.Options.Exclude(rvoAllowSelection);
    D.SelectWordAt(At(0, 2).X, At(0, 2).Y);
    EXPECT_EQ(Selection(), (TSel{0, 12, 0, 17}));
}

TEST(DocumentMouseEmpty, MouseInputOnAnEmptyDocumentSelectsNothing)
{
    TRVStyle style(nullptr);
    TMouseData D(&style);
    D.Options = {rvoAllowSelection, rvoDblClickSelectsWord, rvoRClickDeselects};
    D.FormatAll();
    D.MouseDown(mbLeft, {ssLeft}, 5, 5);
    D.MouseMove({ssLeft}, 30, 40);
    D.MouseUp(mbLeft, {}, 30, 40);
    D.MouseUp(mbRight, {}, 30, 40);
    SetCursorPos(5, 5);
    D.DblClick();
    D.SelectLine(0, 1);
    EXPECT_EQ(D.SelStartNo, -1);
    EXPECT_EQ(D.SelEndNo, -1);
    EXPECT_FALSE(D.State.Contains(rvstMakingSelection));
    EXPECT_TRUE(D.DblClicks.empty());
    EXPECT_TRUE(D.RightClicks.empty());
    EXPECT_TRUE(D.JumpEvents.empty());
}

TEST_F(DocumentMouse, RestoringAfterTheItemsWentDropsTheSelection)
{
    Drag(At(3, 1), At(3, 5));
    TCustomRVFormattedData::TRVMouseStateNote note;
    D.SaveMouseState(note);
    D.DeleteItems(2, 2);
    D.FormatAll();
    D.RestoreMouseState(note);
    EXPECT_EQ(D.SelStartNo, -1);
    EXPECT_FALSE(D.State.Contains(rvstMakingSelection));
}

} // namespace
