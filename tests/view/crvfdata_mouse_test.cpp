// The mouse on a laid-out document: hyperlink clicks, drag selection, Shift
// and double clicks, right clicks, hover, words and their Unicode text, the
// positions of checkpoints and hyperlinks, and the drag kept across a layout.
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
    bool IsAssignedRVDblClick() override { return DblClickAssigned; }
    void DoRVDblClick(const AnsiString& Word, int StyleNo) override { DblClicks.push_back({Word, StyleNo}); }
    bool IsAssignedRVRightClick() override { return true; }
    void DoRVRightClick(const AnsiString& Word, int StyleNo, int X, int Y) override
    {
        RightClicks.push_back({Word, StyleNo, X, Y});
    }

    struct TRightClick {
        AnsiString Word;
        int StyleNo, X, Y;
    };
    bool DblClickAssigned = true;
    std::vector<std::pair<AnsiString, int>> DblClicks;
    std::vector<TRightClick> RightClicks;
};

struct TSel {
    int StartItem, StartOffs, EndItem, EndOffs;
    bool operator==(const TSel& o) const
    {
        return StartItem == o.StartItem && StartOffs == o.StartOffs && EndItem == o.EndItem &&
               EndOffs == o.EndOffs;
    }
};

std::ostream& operator<<(std::ostream& os, const TSel& s)
{
    return os << "(" << s.StartItem << ":" << s.StartOffs << " - " << s.EndItem << ":" << s.EndOffs << ")";
}

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

    // The client point of character Offs (1-based) of item ItemNo's first draw item, 3 px into it.
    TPoint At(int ItemNo, int Offs)
    {
        const TRVDrawLineInfo* dli = D.DI(D.GetItem(ItemNo)->DrawItemNo);
        return {dli->Left + (Offs - 1) * 7 + 3 - D.HOffs, dli->Top + 5 - D.VOffs};
    }
    void Press(TPoint P, TShiftState Shift = {ssLeft}) { D.MouseDown(mbLeft, Shift, P.X, P.Y); }
    void Release(TPoint P, TShiftState Shift = {}) { D.MouseUp(mbLeft, Shift, P.X, P.Y); }
    void Click(TPoint P, TShiftState Shift = {ssLeft})
    {
        Press(P, Shift);
        Release(P, Shift);
    }
    void Drag(TPoint From, TPoint To)
    {
        Press(From);
        D.MouseMove({ssLeft}, To.X, To.Y);
        Release(To);
    }
    // The order of input of a double click: press, release, DblClick, press with ssDouble, release.
    void DoubleClick(TPoint P)
    {
        Click(P);
        SetCursorPos(P.X, P.Y);
        D.DblClick();
        Press(P, {ssLeft, ssDouble});
        Release(P);
    }
    TSel Selection(bool Normalize = false)
    {
        TSel s;
        D.GetSelectionBounds(s.StartItem, s.StartOffs, s.EndItem, s.EndOffs, Normalize);
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
    const int Before = D.SelectEvents;
    Press(At(0, 3));
    EXPECT_TRUE(D.State.Contains(rvstMakingSelection));
    D.MouseMove({ssLeft}, At(1, 2).X, At(1, 2).Y);
    EXPECT_EQ(Selection(), (TSel{0, 3, 1, 2}));
    // A selection being dragged is never collapsed by asking for it.
    D.MouseMove({ssLeft}, At(0, 3).X, At(0, 3).Y);
    EXPECT_FALSE(D.SelectionExists(true, false));
    EXPECT_TRUE(D.State.Contains(rvstMakingSelection));
    D.MouseMove({ssLeft}, At(2, 4).X, At(2, 4).Y);
    EXPECT_EQ(D.SelectEvents, Before);
    Release(At(2, 4));
    EXPECT_FALSE(D.State.Contains(rvstMakingSelection));
    EXPECT_EQ(D.SelectEvents, Before + 1);
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
    // Without a selection Shift+click starts one.
    Click(At(0, 5), {ssLeft, ssShift});
    EXPECT_EQ(Selection(), (TSel{0, 5, 0, 5}));
    // After a plain click the empty selection is gone: Shift+click starts anew.
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
    EXPECT_TRUE(D.SelectionExists(false, false));
    EXPECT_FALSE(D.State.Contains(rvstIgnoreNextMouseDown));
    EXPECT_FALSE(D.State.Contains(rvstMakingSelection));
    ASSERT_EQ(D.DblClicks.size(), 1u);
    EXPECT_EQ(D.DblClicks[0].first, "beta");
    EXPECT_EQ(D.DblClicks[0].second, 0);
    // The next press is an ordinary one again.
    Click(At(0, 2));
    EXPECT_FALSE(D.SelectionExists(false, false));
}

TEST_F(DocumentMouse, DoubleClickOnAHyperlinkSelectsItsWordAndFiresNoJump)
{
    DoubleClick(At(3, 8));
    EXPECT_EQ(Selection(), (TSel{3, 7, 3, 11}));
    // The first click of the two was a click on the hyperlink.
    EXPECT_EQ(D.JumpEvents, std::vector<int>({1}));
}

TEST_F(DocumentMouse, DoubleClickWithoutWordSelectionOnlyReportsTheWord)
{
    D.Options.Exclude(rvoDblClickSelectsWord);
    DoubleClick(At(0, 13));
    EXPECT_FALSE(D.SelectionExists(false, false));
    ASSERT_EQ(D.DblClicks.size(), 1u);
    EXPECT_EQ(D.DblClicks[0].first, "gamma");
    // Nobody listens: nothing at all.
    D.DblClickAssigned = false;
    SetCursorPos(At(0, 13).X, At(0, 13).Y);
    D.DblClick();
    EXPECT_EQ(D.DblClicks.size(), 1u);
}

TEST_F(DocumentMouse, SingleClickOptionReportsTheWordOfEveryClick)
{
    D.Options.Include(rvoSingleClick);
    D.Options.Exclude(rvoDblClickSelectsWord);
    Click(At(0, 2));
    ASSERT_EQ(D.DblClicks.size(), 1u);
    EXPECT_EQ(D.DblClicks[0].first, "alpha");
    // The double click then adds nothing of its own.
    SetCursorPos(At(0, 2).X, At(0, 2).Y);
    D.DblClick();
    EXPECT_EQ(D.DblClicks.size(), 1u);
}

TEST_F(DocumentMouse, AClickOnADelimiterGivesAnEmptyWordAtItsPosition)
{
    AnsiString Word = "x";
    int StyleNo, ItemNo, Offs;
    TCustomRVFormattedData* Data;
    ASSERT_TRUE(D.FindWordAt(Word, At(0, 6).X, At(0, 6).Y, StyleNo, ItemNo, Offs, Data));
    EXPECT_EQ(Word, "");
    EXPECT_EQ(ItemNo, 0);
    EXPECT_EQ(Offs, 6);
    EXPECT_EQ(Data, &D);
    // Below the document: nothing.
    EXPECT_FALSE(D.FindWordAt(Word, 5, 150, StyleNo, ItemNo, Offs, Data));
    EXPECT_EQ(ItemNo, -1);
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

TEST_F(DocumentMouse, HoverReportsEachHyperlinkOnceAndTheLeave)
{
    D.MouseMove({}, At(2, 2).X, At(2, 2).Y);
    D.MouseMove({}, At(2, 5).X, At(2, 5).Y);
    EXPECT_EQ(D.MouseMoveEvents, std::vector<int>({0}));
    EXPECT_EQ(D.HoverJumpData, &D);
    EXPECT_EQ(D.HoverJumpId, 0);
    D.MouseMove({}, At(3, 2).X, At(3, 2).Y);
    D.MouseMove({}, At(0, 2).X, At(0, 2).Y);
    EXPECT_EQ(D.MouseMoveEvents, std::vector<int>({0, 1, -1}));
    EXPECT_EQ(D.HoverJumpData, nullptr);
    // The draw item under the pointer is the plain text again.
    EXPECT_EQ(D.HotDrawItemNo, D.GetItem(0)->DrawItemNo);
}

TEST_F(DocumentMouse, HoverLooksChangeOnlyForHyperlinksWithAHoverLook)
{
    D.MouseMove({}, At(2, 2).X, At(2, 2).Y);
    EXPECT_FALSE(D.State.Contains(rvstDrawHover));
    D.MouseMove({}, At(0, 2).X, At(0, 2).Y);
    Style.TextStyles()->Items(4)->SetHoverColor(clRed);
    D.MouseMove({}, At(2, 2).X, At(2, 2).Y);
    EXPECT_TRUE(D.State.Contains(rvstDrawHover));
    D.MouseMove({}, At(3, 2).X, At(3, 2).Y);
    EXPECT_FALSE(D.State.Contains(rvstDrawHover));
    D.MouseMove({}, At(2, 2).X, At(2, 2).Y);
    D.MouseLeave();
    EXPECT_FALSE(D.State.Contains(rvstDrawHover));
    EXPECT_EQ(D.MouseMoveEvents.back(), -1);
}

TEST_F(DocumentMouse, HoverIsNotTrackedWithoutHyperlinkUse)
{
    D.Flags.Exclude(rvflUseJumps);
    D.MouseMove({}, At(2, 2).X, At(2, 2).Y);
    EXPECT_TRUE(D.MouseMoveEvents.empty());
    EXPECT_EQ(D.HotDrawItemNo, D.GetItem(2)->DrawItemNo);
}

TEST_F(DocumentMouse, UnicodeWordsAreSelectedInTheirOwnUnitsAndReportedWithoutLoss)
{
    const int Uni = Style.AddTextStyle();
    Style.TextStyles()->Items(Uni)->SetUnicode(true);
    Style.TextStyles()->Items(Uni)->SetCharset(RUSSIAN_CHARSET);
    // Latin, Cyrillic and a character beyond the 16-bit plane: no code page holds them all.
    D.AddNLWTag(u"Grüße, мир \U0001D11Ex.", Uni, 0, TRVTag());
    D.FormatAll();
    const int Item = 4;
    ASSERT_TRUE(D.GetItemOptions(Item).Contains(rvioUnicode));

    DoubleClick(At(Item, 9)); // in "мир"
    EXPECT_EQ(Selection(), (TSel{Item, 8, Item, 11}));
    ASSERT_EQ(D.DblClicks.size(), 1u);
    EXPECT_EQ(D.DblClicks[0].first, u8"мир");

    // The musical symbol is two UTF-16 units and one character on the screen.
    const TRVDrawLineInfo* dli = D.DI(D.GetItem(Item)->DrawItemNo);
    const int XOfX = dli->Left + 12 * 7 + 3; // the 13th character drawn is "x"
    DoubleClick({XOfX, dli->Top + 5});
    EXPECT_EQ(Selection(), (TSel{Item, 12, Item, 15}));
    EXPECT_EQ(D.DblClicks.back().first, u8"\U0001D11Ex");

    TCustomRVFormattedData* Data;
    int ItemNo;
    AnsiString Word;
    D.GetWordAt(At(Item, 2).X, At(Item, 2).Y, Data, ItemNo, Word);
    EXPECT_EQ(Word, u8"Grüße");
    EXPECT_EQ(ItemNo, Item);
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

TEST_F(DocumentMouse, SelectionQueries)
{
    EXPECT_FALSE(D.SelectionExists(true, true));
    D.SetSelectionBounds(0, 3, 2, 2);
    EXPECT_TRUE(D.SelectionExists(true, true));
    const int d0 = D.GetItem(0)->DrawItemNo;
    const int d2 = D.GetItem(2)->DrawItemNo;
    EXPECT_TRUE(D.InsideSelection(d0, 3));
    EXPECT_TRUE(D.InsideSelection(d2, 2));
    EXPECT_FALSE(D.InsideSelection(d2, 3));
    EXPECT_FALSE(D.InsideSelection(d0, 2));
    int No, Offs;
    D.GetSelStart(No, Offs);
    EXPECT_EQ(No, d0);
    EXPECT_EQ(Offs, 3);
    // An empty selection is removed when asked with Collapse.
    const int Events = D.SelectEvents;
    D.SetSelectionBounds(1, 2, 1, 2);
    EXPECT_FALSE(D.SelectionExists(false, false));
    EXPECT_EQ(D.SelStartNo, D.GetItem(1)->DrawItemNo);
    EXPECT_FALSE(D.SelectionExists(true, false));
    EXPECT_EQ(D.SelStartNo, -1);
    EXPECT_EQ(D.SelectEvents, Events + 2);

    const TRect R = D.GetClientSelectionRect();
    EXPECT_EQ(R, Bounds(0, 0, D.Width, D.Height)); // no selection: the whole area
    D.SetSelectionBounds(0, 1, 1, 3);
    const TRect S = D.GetClientSelectionRect();
    EXPECT_EQ(S.Top, 0);
    EXPECT_EQ(S.Bottom, D.DI(D.GetItem(1)->DrawItemNo)->Top + 13);
}

TEST_F(DocumentMouse, PositionsOfItemsCheckpointsAndHyperlinks)
{
    int X, Y;
    EXPECT_THROW(D.GetCheckpointXY(nullptr, X, Y), ERollViewError);
    D.AddNamedCheckpointExTag("", false, TRVTag());
    D.AddNL("after", 0, 0);
    D.AddNamedCheckpointExTag("end", true, TRVTag());
    TRVCPInfo* cp = D.GetItemCheckpoint(4);
    ASSERT_NE(cp, nullptr);
    // Not laid out yet.
    EXPECT_THROW(D.GetCheckpointXY(cp, X, Y), ERollViewError);
    D.FormatAll();
    D.GetCheckpointXY(cp, X, Y);
    EXPECT_EQ(Y, D.DI(D.GetItem(4)->DrawItemNo)->Top);
    EXPECT_EQ(D.GetCheckpointYEx(D.NotAddedCP), D.DocumentHeight);

    EXPECT_EQ(D.GetJumpPointY(1), D.DI(D.GetItem(3)->DrawItemNo)->Top);
    EXPECT_EQ(D.GetJumpPointItemNo(0), 2);
    EXPECT_EQ(D.GetJumpPointItemNo(7), -1);
    TCustomRVFormattedData* Data;
    int ItemNo;
    D.GetJumpPointLocation(1, Data, ItemNo);
    EXPECT_EQ(Data, &D);
    EXPECT_EQ(ItemNo, 3);

    int L, T;
    D.VOffs = 5;
    ASSERT_TRUE(D.GetItemClientCoords(3, L, T));
    EXPECT_EQ(T, 26 - 5);
    EXPECT_FALSE(D.GetItemCoords(17, L, T));
    D.GetItemAt(At(1, 2).X, At(1, 2).Y + 5, ItemNo, X);
    EXPECT_EQ(ItemNo, 1);
    D.GetItemAt(290, 5, ItemNo, X); // strict: no item right of the text
    EXPECT_EQ(ItemNo, -1);
}

TEST(DocumentMouseEmpty, MouseInputOnAnEmptyDocumentSelectsNothing)
{
    TRVStyle Style(nullptr);
    TMouseData D(&Style);
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

// ---------------------------------------------------------------------------
// The drag, hover and pressed hyperlink across a layout

TEST_F(DocumentMouse, AFullLayoutWithTheStateKeptLeavesTheDragGoing)
{
    Press(At(0, 3));
    D.MouseMove({ssLeft}, At(1, 2).X, At(1, 2).Y);
    for (int i = 0; i < 30; ++i)
        D.AddNL("appended line " + std::to_string(i), 0, 0);
    // A tail layout that must lay everything out again.
    D.InvalidateTailLayout();
    TCustomRVFormattedData::TRVMouseStateNote Note;
    D.SaveMouseState(Note);
    D.FormatTail();
    D.RestoreMouseState(Note);
    EXPECT_TRUE(D.State.Contains(rvstMakingSelection));
    EXPECT_EQ(Selection(), (TSel{0, 3, 1, 2}));
    D.MouseMove({ssLeft}, At(3, 4).X, At(3, 4).Y);
    Release(At(3, 4));
    EXPECT_EQ(Selection(), (TSel{0, 3, 3, 4}));
}

TEST_F(DocumentMouse, AFullLayoutWithTheStateKeptKeepsTheHyperlinkPress)
{
    Press(At(2, 3));
    D.InvalidateTailLayout();
    TCustomRVFormattedData::TRVMouseStateNote Note;
    D.SaveMouseState(Note);
    D.FormatTail();
    // Unkept, the layout forgets the press.
    EXPECT_EQ(D.PressedJumpId, -1);
    D.RestoreMouseState(Note);
    Release(At(2, 3));
    EXPECT_EQ(D.JumpEvents, std::vector<int>({0}));
}

TEST_F(DocumentMouse, RestoringAfterTheItemsWentDropsTheSelection)
{
    Drag(At(3, 1), At(3, 5));
    TCustomRVFormattedData::TRVMouseStateNote Note;
    D.SaveMouseState(Note);
    D.DeleteItems(2, 2);
    D.FormatAll();
    D.RestoreMouseState(Note);
    EXPECT_EQ(D.SelStartNo, -1);
    EXPECT_FALSE(D.State.Contains(rvstMakingSelection));
}

} // namespace
