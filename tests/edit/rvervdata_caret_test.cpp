// The caret: its stops on a line, the rectangle the host paints, the caret
// keys, the editor's own layout (an empty editor's first line, a width change)
// and hyperlink mode.
#include <gtest/gtest.h>

#include "platform/controls/syntheticinput.h"
#include "platform/core/codepages.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/editcommands.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"

namespace {

class CaretTest : public TEditFixture {
protected:
    std::vector<std::vector<int>> Stops() const
    {
        std::vector<std::vector<int>> r;
        for (const TRVCharPos& p : d->CharPos)
            r.push_back({p.X, p.DrawItemNo, p.Offset});
        return r;
    }
};

TEST_F(CaretTest, StopsOfALineOfTwoDrawItemsAndTheCaretRectangle)
{
    AddText("abc");
    AddText("de", 0, -1);
    d->FormatAll();
    Caret(1, 2);
    // Margin 5, characters 7 pixels wide; one stop between the two items.
    EXPECT_EQ(Stops(), (std::vector<std::vector<int>>{
                           {5, 0, 1}, {12, 0, 2}, {19, 0, 3}, {26, 0, 4}, {33, 1, 2}, {40, 1, 3}}));
    EXPECT_EQ(d->CaretOffs, 4);
    const TTestRollViewEdit* edit = Editor.Edit;
    EXPECT_TRUE(edit->CaretVisible());
    EXPECT_EQ(edit->CaretRect().Left, 33);
    EXPECT_EQ(edit->CaretRect().Width(), 1);
    EXPECT_EQ(edit->CaretRect().Height(), 13 + 2);
    EXPECT_EQ(edit->CaretRect().Bottom, d->DrawItems[1]->Top + d->DrawItems[1]->Height);
    Editor.SetFocused(false);
    d->ChangeCaret(rvcmNone);
    EXPECT_FALSE(edit->CaretVisible());
}

TEST_F(CaretTest, NoStopInsideALigatureOfJoinedLetters)
{
    // Seen, lam, alef, meem: lam and alef drawn as one ligature (the shaper's
    // clusters: 4, 6 with the alef adding nothing, 4), the word right to left
    // from the seen at the right.
    Editor.Edit->Measure.Shaper = [](const WideChar* str, int count, int* advances, uint8_t* starts) {
        for (int i = 0; i < count; ++i) {
            const bool joined = i > 0 && str[i - 1] == 0x0644 && str[i] == 0x0627;
            starts[i] = !joined;
            advances[i] = joined ? 0 : str[i] == 0x0644 ? 6 : 4;
        }
        return true;
    };
    SetACP(CP_UTF8);
    struct TCase {
        int Style;
        int Inside; // the caret offset between lam and alef: in units, or in UTF-8 bytes
        std::vector<std::vector<int>> Stops;
    };
    for (const TCase& c : {TCase{Uni, 3, {{19, 0, 1}, {15, 0, 2}, {9, 0, 4}, {5, 0, 5}}},
                           TCase{0, 5, {{19, 0, 1}, {15, 0, 3}, {9, 0, 7}, {5, 0, 9}}}}) {
        SCOPED_TRACE(c.Style);
        d->Clear();
        AddText("\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85", c.Style);
        d->FormatAll();
        Caret(0, c.Inside);
        EXPECT_EQ(Stops(), c.Stops);
        // The caret asked for inside the ligature stands at the stop before it.
        EXPECT_EQ(d->CaretOffs, 1);
    }
    SetACP(0);
}

TEST_F(CaretTest, AnEmptyEditorLaidOutHasACaretOnOneEmptyLine)
{
    d->CurTextStyleNo = Uni;
    d->CurParaStyleNo = Indented;
    d->FormatAll();
    ASSERT_EQ(d->GetItemCount(), 1);
    EXPECT_EQ(d->GetItemStyle(0), Uni);
    EXPECT_EQ(d->GetItemPara(0), Indented);
    EXPECT_TRUE(d->GetItemOptions(0).Contains(rvioUnicode));
    EXPECT_EQ(CaretPos(), std::make_pair(0, 1));
    EXPECT_TRUE(Editor.Edit->CaretVisible());
    editinvariant::CheckState(*d, "empty editor");
}

TEST_F(CaretTest, AWidthChangeKeepsTheCaretsItemAndOffset)
{
    AddText("a rather long line of words that wraps over several lines at a narrow width");
    d->FormatAll();
    Caret(0, 60);
    for (int Width : {120, 60, 400}) {
        Editor.SetClientSize(Width, 200);
        EXPECT_EQ(CaretPos(), std::make_pair(0, 60)) << Width;
    }
}

TEST_F(CaretTest, AnInvalidStopIsResetQuietly)
{
    AddText("abc");
    AddText("def");
    d->FormatAll();
    Caret(1, 3);
    d->CaretOffs = 100000;
    EXPECT_NO_THROW(d->ChangeCaret(rvcmNone));
    EXPECT_EQ(CaretPos(), std::make_pair(0, 1));
}

TEST_F(CaretTest, LinesLongerThanAHundredThousandCharactersKeepExactCarets)
{
    const int NoWrap = AddPara([](TParaInfo* p) { p->SetOptions(TRVParaOptions{rvpaoNoWrap}); });
    AddText(AnsiString(100005, 'x'), 0, NoWrap);
    d->FormatAll();
    for (int Offs : {100001, 100006, 3}) {
        Caret(0, Offs);
        EXPECT_EQ(CaretPos(), std::make_pair(0, Offs));
    }
}

TEST_F(CaretTest, LeftAndRightAtTheDocumentsEdgesStayAndReportLeaving)
{
    AddText("ab");
    AddText("cd");
    d->FormatAll();
    Caret(0, 1);
    EXPECT_TRUE(d->OnLeftPress(false, false));
    EXPECT_EQ(CaretPos(), std::make_pair(0, 1));
    Caret(1, 3);
    const int Moves = Editor.CaretMoves;
    EXPECT_TRUE(d->OnRightPress(false, false));
    EXPECT_TRUE(d->OnRightPress(false, true));
    EXPECT_EQ(Editor.CaretMoves, Moves);
    EXPECT_EQ(CaretPos(), std::make_pair(1, 3));
    // Across the paragraph boundary and back.
    Caret(0, 3);
    EXPECT_FALSE(d->OnRightPress(false, false));
    EXPECT_EQ(CaretPos(), std::make_pair(1, 1));
    EXPECT_FALSE(d->OnLeftPress(false, false));
    EXPECT_EQ(CaretPos(), std::make_pair(0, 3));
}

struct TWordMove {
    bool Right;
    int From;
    int To;
};

class WordMoves : public CaretTest, public ::testing::WithParamInterface<TWordMove> {};

TEST_P(WordMoves, CtrlArrowsStopAtWordStarts)
{
    AddText("abc def");
    d->FormatAll();
    Caret(0, GetParam().From);
    Run("ctrl+arrow", [&] { GetParam().Right ? d->OnRightPress(false, true) : d->OnLeftPress(false, true); });
    EXPECT_EQ(CaretPos(), std::make_pair(0, GetParam().To));
}

INSTANTIATE_TEST_SUITE_P(AbcDef, WordMoves,
                         ::testing::Values(TWordMove{false, 8, 5}, TWordMove{false, 5, 1},
                                           TWordMove{true, 1, 5}, TWordMove{true, 5, 8}));

class Pages : public CaretTest, public ::testing::WithParamInterface<int> {};

// Page Down near the end goes where Ctrl+End goes, Page Up near the top where
// Ctrl+Home goes, whatever the visible height (0 and 1 included).
TEST_P(Pages, PageKeysEndAtTheDocumentsEdges)
{
    for (int i = 0; i < 30; ++i)
        AddText("line " + std::to_string(i));
    d->FormatAll();
    Editor.SetClientSize(300, GetParam());
    Caret(27, 2);
    for (int i = 0; i < 40 && CaretPos() != std::make_pair(29, 8); ++i)
        Run("page down", [&] { d->OnPgDownPress(); });
    EXPECT_EQ(CaretPos(), std::make_pair(29, 8));
    Caret(2, 2);
    Editor.Edit->ScrollTo(0);
    for (int i = 0; i < 40 && CaretPos() != std::make_pair(0, 1); ++i)
        Run("page up", [&] { d->OnPgUpPress(); });
    EXPECT_EQ(CaretPos(), std::make_pair(0, 1));
}

INSTANTIATE_TEST_SUITE_P(Heights, Pages, ::testing::Values(0, 1, 60, 200));

TEST_F(CaretTest, UpAndDownKeepTheCaretsX)
{
    AddText("abcdef");
    AddText("ghijkl");
    AddText("mn");
    d->FormatAll();
    Caret(0, 4);
    Run("down", [&] { d->OnDownPress(false, false); });
    EXPECT_EQ(CaretPos(), std::make_pair(1, 4));
    Run("down", [&] { d->OnDownPress(false, false); });
    EXPECT_EQ(CaretPos(), std::make_pair(2, 3));
    EXPECT_TRUE(d->OnDownPress(false, false));
    Run("up", [&] { d->OnUpPress(false, false); });
    EXPECT_EQ(d->GetCurItemNo(), 1);
    Caret(0, 2);
    EXPECT_TRUE(d->OnUpPress(false, false));
}

// In a right-to-left paragraph a Hebrew word's first character is on the
// right: the caret before it stands at the word's right edge, after its last
// at its left edge, and Right moves through the word in logical order.
TEST_F(CaretTest, RightToLeftTextTakesItsStopsWhereItsCharactersAreShown)
{
    const int rtl = AddPara([](TParaInfo* p) { p->SetBiDiMode(rvbdRightToLeft); });
    AddText("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", Uni, rtl); // four Hebrew letters
    d->FormatAll();
    const TRVDrawLineInfo* dli = d->DrawItems[0];
    ASSERT_EQ(dli->Width, 4 * 7);
    std::vector<int> xs;
    for (int offs = 1; offs <= 5; ++offs) {
        Caret(0, offs);
        xs.push_back(d->CharPos[static_cast<size_t>(d->CaretOffs)].X - dli->Left);
        EXPECT_EQ(CaretPos(), std::make_pair(0, offs));
    }
    // Each step to the left of the one before it, from the right edge to the left one.
    EXPECT_EQ(xs.front(), dli->Width);
    EXPECT_EQ(xs.back(), 0);
    for (size_t i = 1; i < xs.size(); ++i)
        EXPECT_LT(xs[i], xs[i - 1]) << i;
    Caret(0, 1);
    Run("right", [&] { d->OnRightPress(false, false); });
    EXPECT_EQ(CaretPos(), std::make_pair(0, 2));
}

// Arabic in a paragraph without a direction of its own is drawn right to
// left (a space between two Arabic words too). The caret after each character
// stands where the drawing put that character's far edge, a click on a
// character's left or right part lands after or before it, a selection is
// shown over the characters selected, and Left and Right move the caret the
// way they point: on through the Arabic for Left. Latin text before it keeps
// its places.
TEST_F(CaretTest, RightToLeftTextWithoutADirectionIsMeasuredWhereItIsDrawn)
{
    struct TCase {
        const char* Name;
        AnsiString Text;
        int Latin; // units of Latin text (and a space) before the Arabic
    };
    const AnsiString arabic = "\xD9\x83\xD8\xAA\xD8\xA8 \xD8\xAC\xD8\xAF\xD9\x8A\xD8\xAF"; // two words
    for (const TCase& c : {TCase{"Arabic", arabic, 0}, TCase{"after Latin", "log " + arabic, 4}}) {
        SCOPED_TRACE(c.Name);
        d->Clear();
        AddText(c.Text, Uni);
        AddText("next");
        d->FormatAll();
        const TRVDrawLineInfo* dli = d->DrawItems[0];
        TRecordingCanvas canvas(300, 200, 96);
        d->PaintTo(&canvas, Rect(0, 0, 300, 200));
        const TCanvasRecord drawn = *canvas.RecordsOf(TCanvasOp::Text).at(0);
        const int n = d->ItemLength(0);
        ASSERT_EQ(static_cast<int>(drawn.CharX.size()), n);
        // Where the drawing shows unit U, and whether it reads right to left.
        auto left = [&](int u) { return drawn.X + drawn.CharX[static_cast<size_t>(u)]; };
        auto right = [&](int u) { return left(u) + drawn.Advances[static_cast<size_t>(u)]; };
        auto rtl = [&](int u) { return u >= c.Latin; };
        ASSERT_LT(left(n - 1), left(c.Latin)) << "the Arabic is drawn right to left";

        std::vector<int> carets;
        for (int offs = 1; offs <= n + 1; ++offs) {
            Caret(0, offs);
            ASSERT_EQ(CaretPos(), std::make_pair(0, offs));
            const TRVCharPos& stop = d->CharPos[static_cast<size_t>(d->CaretOffs)];
            const int x = stop.X - 1 + stop.XShift;
            // Before a character that starts the text or the Arabic its near
            // edge (the right one of an Arabic letter); else after the
            // character before it, at that one's far edge.
            const int q = offs - 1;
            const int edge = q == 0 || (q < n && rtl(q) && !rtl(q - 1))
                                 ? (rtl(q) ? right(q) : left(q))
                                 : (rtl(q - 1) ? left(q - 1) : right(q - 1));
            EXPECT_NEAR(x, edge, 1) << "offset " << offs;
            carets.push_back(x);
        }
        for (int u = c.Latin; u < n; ++u) {
            SCOPED_TRACE(u);
            int drawItemNo = -1;
            int offs = -1;
            d->FindDrawItemForSel(left(u) + 1, dli->Top + 2, drawItemNo, offs, false);
            EXPECT_EQ(offs, u + 2) << "left part: after it";
            d->FindDrawItemForSel(right(u) - 2, dli->Top + 2, drawItemNo, offs, false);
            EXPECT_EQ(offs, u + 1) << "right part: before it";
        }

        // The second and third Arabic letters selected: one stretch on the screen.
        const int a = c.Latin + 1;
        d->SetSelectionBounds(0, a + 1, 0, a + 3);
        canvas.Clear();
        d->PaintTo(&canvas, Rect(0, 0, 300, 200));
        std::vector<TRect> selected;
        for (const TCanvasRecord* r : canvas.RecordsOf(TCanvasOp::Text))
            if (r->Y == drawn.Y && r->HasRect)
                selected.push_back(r->Rect);
        EXPECT_EQ(selected,
                  (std::vector<TRect>{Rect(left(a + 1), dli->Top, right(a), dli->Top + dli->Height)}));
        d->Deselect(nullptr, false);

        // Left from the Arabic's first place goes on through it, each step
        // to the left; Right comes back the same way; past the line's right
        // end the caret goes on to the next line.
        Caret(0, c.Latin + 1);
        std::vector<int> wentLeft;
        std::vector<int> wentRight;
        std::vector<int> onward;
        for (int k = c.Latin; k < n; ++k) {
            SimulateKey(Edit(), VK_LEFT);
            wentLeft.push_back(d->GetOffsetInCurItem());
            onward.push_back(k + 2);
        }
        EXPECT_EQ(wentLeft, onward);
        for (int k = c.Latin; k < n; ++k) {
            SimulateKey(Edit(), VK_RIGHT);
            wentRight.insert(wentRight.begin(), d->GetOffsetInCurItem() + 1);
        }
        EXPECT_EQ(wentRight, onward);
        for (size_t k = static_cast<size_t>(c.Latin) + 1; k < carets.size(); ++k)
            EXPECT_LT(carets[k], carets[k - 1]) << "each place of the Arabic left of the one before";
        EXPECT_EQ(CaretPos(), std::make_pair(0, c.Latin + 1));
        SimulateKey(Edit(), VK_RIGHT);
        EXPECT_EQ(CaretPos(), std::make_pair(1, 1)) << "on to the next line";
        editinvariant::CheckState(*d, c.Name);
    }
}

TEST_F(CaretTest, HyperlinksActOnlyWhileBuilt)
{
    const int Link = AddText([](TFontInfo* f) { f->SetJump(true); });
    AddText("see ");
    AddText("here", Link, -1);
    d->FormatAll();
    EXPECT_FALSE(d->GetFlags().Contains(rvflUseJumps));
    EXPECT_EQ(d->BuildJumpsCoords(false), 1);
    EXPECT_TRUE(d->GetFlags().Contains(rvflUseJumps));
    d->ClearJumpsCoords();
    EXPECT_FALSE(d->GetFlags().Contains(rvflUseJumps));
    EXPECT_EQ(d->Jumps.Count(), 0);
    // A read-only editor builds them at once.
    Editor.Edit->SetReadOnly(true);
    EXPECT_EQ(d->Jumps.Count(), 1);
    EXPECT_EQ(d->BuildJumpsCoords(false), 0);
    EXPECT_EQ(d->BuildJumpsCoords(true), 1);
}

// What follows the caret's item: the current text style (from the selected
// text for a selection made backwards), the display-active picture, the
// hovered hot-cold hyperlink; and when no caret shows.
TEST_F(CaretTest, ABackwardSelectionTakesTheStyleOfTheTextItSelected)
{
    const int red = AddText([](TFontInfo* f) { f->SetColor(clRed); });
    AddText("abc");
    AddText("def", red, -1);
    d->FormatAll();
    struct Case {
        int StartItem, StartOffs, EndItem, EndOffs, Style;
    };
    for (const Case& c : {Case{1, 3, 0, 4, red}, Case{0, 1, 0, 4, 0}, Case{0, 2, 0, 4, 0}}) {
        SCOPED_TRACE(testing::Message() << c.StartItem << "," << c.StartOffs);
        Caret(0, 1);
        d->SetSelectionBounds(c.StartItem, c.StartOffs, c.EndItem, c.EndOffs);
        d->DoOnSelection();
        EXPECT_EQ(Edit()->CurTextStyleNo(), c.Style);
    }
}

TEST_F(CaretTest, NoCaretWhileResizeHandlesShowOrTheDocumentIsSelectedWhole)
{
    AddText("ab");
    AddPicture(-1);
    d->FormatAll();
    Caret(0, 2);
    ASSERT_TRUE(Edit()->CaretVisible());
    d->SetSelectionBounds(1, 0, 1, 1);
    d->CreateResizer();
    ASSERT_NE(d->Resizer, nullptr);
    d->ChangeCaret(rvcmScrollToCaret | rvcmKeepStyles);
    EXPECT_FALSE(Edit()->CaretVisible());
    d->Deselect(nullptr, false);
    d->CreateResizer();
    Caret(0, 2);
    d->ChangeCaret(rvcmScrollToCaret | rvcmKeepStyles);
    EXPECT_TRUE(Edit()->CaretVisible());
    d->State.Include(rvstCompletelySelected);
    const int moves = Editor.CaretMoves;
    d->ChangeCaret(rvcmScrollToCaret | rvcmKeepStyles);
    EXPECT_FALSE(Edit()->CaretVisible());
    EXPECT_EQ(Editor.CaretMoves, moves + 1) << "the caret's move is still reported";
    d->State.Exclude(rvstCompletelySelected);
}

TEST_F(CaretTest, APictureAtTheCaretIsDisplayActiveAndAHotColdLinkHovered)
{
    const int link = AddText([](TFontInfo* f) {
        f->SetJump(true);
        f->SetHoverColor(clRed);
    });
    AddText("ab");
    AddPicture(-1);
    AddText("here", link, -1);
    d->FormatAll();
    Caret(1, 1);
    EXPECT_EQ(d->CurrentItem, d->GetItem(1));
    EXPECT_FALSE(d->State.Contains(rvstDrawHover));
    Caret(2, 3);
    EXPECT_EQ(d->CurrentItem, nullptr);
    EXPECT_TRUE(d->State.Contains(rvstDrawHover));
    EXPECT_EQ(d->HoverJumpId, d->GetItem(2)->GetJumpID());
    EXPECT_EQ(d->HotDrawItemNo, d->CaretDrawItemNo);
    Caret(0, 2);
    EXPECT_FALSE(d->State.Contains(rvstDrawHover));
    EXPECT_EQ(d->HoverJumpId, -1);
}

TEST_F(CaretTest, TheCaretsSizeFollowsItsSettings)
{
    AddText("abc");
    d->FormatAll();
    struct Saved {
        int W = RollViewEditCaretWidth, E = RollViewEditCaretHeightExtra, M = RollViewEditMaxCaretHeight;
        ~Saved()
        {
            RollViewEditCaretWidth = W;
            RollViewEditCaretHeightExtra = E;
            RollViewEditMaxCaretHeight = M;
        }
    } saved;
    RollViewEditCaretWidth = 3;
    RollViewEditCaretHeightExtra = 2;
    RollViewEditMaxCaretHeight = 6;
    Caret(0, 2);
    const TRect r = Edit()->CaretRect();
    const TRVDrawLineInfo* dli = d->DrawItems[0];
    EXPECT_EQ(r.Left, 12 - 1) << "centred on the stop";
    EXPECT_EQ(r.Width(), 3);
    EXPECT_EQ(r.Height(), 6 + 2 * 2);
    EXPECT_EQ(r.Bottom, dli->Top + dli->Height + 2);
}

} // namespace

// Moving the caret through the data ends a selection left in place: an item
// inserted next goes in at the caret, in the caret paragraph's style, and the
// live layout equals a fresh one.
TEST_F(CaretTest, MovingTheCaretEndsASelectionLeftInPlace)
{
    const int centred = AddPara([](TParaInfo* p) { p->SetAlignment(rvaCenter); });
    const int rtl = AddPara([](TParaInfo* p) { p->SetBiDiMode(rvbdRightToLeft); });
    AddText("first line of the document");
    AddNumbered("numbered text", centred);
    AddText("a plain paragraph in the middle");
    AddText("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", Uni, rtl);
    AddText("the last paragraph");
    d->FormatAll();
    Caret(2, 1);
    Run("break", [&] {
        d->BeginUndoSequence(rvutInsert, true);
        TCustomRVItemInfo* brk = new TRVBreakItemInfo(d, 1, rvbsLine, clNone);
        AnsiString none;
        ASSERT_TRUE(d->InsertSomething(brk, none, true, false));
    });
    const int hebrew = d->GetItemCount() - 2;
    ASSERT_EQ(d->GetItemPara(hebrew), rtl);
    d->SetSelectionBounds(d->GetItemCount() - 1, 5, 0, 1);
    Caret(hebrew, 4);
    EXPECT_EQ(CaretPos(), std::make_pair(hebrew, 4));
    const int itemsBefore = d->GetItemCount();
    Run("picture", [&] {
        auto* bitmap = new TBitmap;
        bitmap->SetPixelFormat(pf24bit);
        bitmap->SetSize(20, 10);
        ASSERT_TRUE(Edit()->InsertPicture("", bitmap, rvvaBaseline));
    });
    // Nothing of the old selection was deleted: the picture and the second
    // half of the split text are the only new items.
    EXPECT_EQ(d->GetItemCount(), itemsBefore + 2);
    EXPECT_EQ(Text(0), "first line of the document");
    // The Hebrew text was split at the caret and the picture stands between its halves.
    const int pictureNo = hebrew + 1;
    ASSERT_EQ(d->GetItemStyle(pictureNo), rvsPicture);
    EXPECT_EQ(d->GetItemPara(pictureNo), rtl);
    EXPECT_EQ(d->GetItemPara(pictureNo + 1), rtl);
    EXPECT_EQ(CaretPos(), std::make_pair(pictureNo, d->GetOffsAfterItem(pictureNo)));
}
