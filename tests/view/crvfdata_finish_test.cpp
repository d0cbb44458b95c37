// Line finishing: alignment, justification, line spacing and right-to-left
// order, through whole layouts on the recording canvas (7 px a character).
#include <gtest/gtest.h>

#include <vector>

#include "document/rvstyle.h"
#include "tests/support/testrvfdata.h"

namespace {

class LineFinishing : public ::testing::Test {
protected:
    LineFinishing() : Style(nullptr) { Para = Style.ParaStyles()->Items(0); }

    std::vector<int> Lefts()
    {
        std::vector<int> v;
        for (int i = 0; i < Data.DrawItems.Count(); ++i)
            v.push_back(Data.DI(i)->Left);
        return v;
    }

    TRVStyle Style;
    TParaInfo* Para;
    TTestRVFData Data{&Style};
};

TEST_F(LineFinishing, JustificationSharesThreeThreeFourForTenFreePixels)
{
    Para->SetAlignment(rvaJustify);
    Data.Width = 77 + 10; // "aa bb cc dd" is 77 px
    Data.AddNL("aa bb cc dd eeeeeeeeeeee", 0, 0);
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 5);
    EXPECT_EQ(Data.DI(0)->SpaceBefore, 0);
    EXPECT_EQ(Data.DI(1)->SpaceBefore, 3);
    EXPECT_EQ(Data.DI(2)->SpaceBefore, 3);
    EXPECT_EQ(Data.DI(3)->SpaceBefore, 4);
    EXPECT_EQ(Lefts(), (std::vector<int>{0, 14, 38, 62, 0}));
    EXPECT_EQ(Data.DI(3)->Left + Data.DI(3)->Width, 87);
    // The last line of the paragraph is left as it is.
    EXPECT_EQ(Data.DI(4)->SpaceBefore, 0);
    EXPECT_EQ(Data.DI(4)->Width, 84);
}

TEST_F(LineFinishing, JustifiedLineOfOnePieceAndBidiParagraphsStayLeft)
{
    Para->SetAlignment(rvaJustify);
    Data.Width = 50;
    Data.AddNL("abcdefghijklmnop", 0, 0); // one long word: lines of one piece
    Data.FormatAll();
    for (int i = 0; i < Data.DrawItems.Count(); ++i) {
        EXPECT_EQ(Data.DI(i)->Left, 0);
        EXPECT_EQ(Data.DI(i)->SpaceBefore, 0);
    }
    Data.Clear();
    Para->SetBiDiMode(rvbdLeftToRight);
    Data.Width = 87;
    Data.AddNL("aa bb cc dd eeeeeeeeeeee", 0, 0);
    Data.FormatAll();
    EXPECT_EQ(Lefts(), (std::vector<int>{0, 14, 35, 56, 0}));
}

TEST_F(LineFinishing, AlignmentAndRightToLeftPlaceThePieces)
{
    struct TCase {
        const char* Name;
        TRVAlignment Alignment;
        TRVBiDiMode BiDi;
        int FirstIndent, CharWidth, Width;
        std::vector<int> Lefts; // of the pieces of "A", "BB" (style 1), "CCC" on one line
    };
    const TCase cases[] = {
        {"right", rvaRight, rvbdUnspecified, 0, 7, 100, {58, 65, 79}},
        {"centred: the free space halved, rounded down", rvaCenter, rvbdUnspecified, 0, 7, 100, {29, 36, 50}},
        // A, B, C at 0, 7, 21 left to right: C, B, A from the line's left edge.
        {"right to left", rvaLeft, rvbdRightToLeft, 0, 7, 200, {35, 21, 0}},
        {"right to left, the first indent on the right", rvaLeft, rvbdRightToLeft, 10, 7, 200, {35, 21, 0}},
        // A line wider than its area (the document keeps its minimum width of
        // 20), one character a line: centred it starts at its left edge,
        // right-aligned it moves left.
        {"centred and too wide", rvaCenter, rvbdUnspecified, 0, 30, 10, {0, 0, 0, 0, 0, 0}},
        {"right-aligned and too wide", rvaRight, rvbdUnspecified, 0, 30, 10, {-10, -10, -10, -10, -10, -10}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Para->SetAlignment(c.Alignment);
        Para->SetBiDiMode(c.BiDi);
        Para->SetFirstIndent(c.FirstIndent);
        const int charWidth = c.CharWidth;
        Data.Canvas.MetricsForFont = [charWidth](const TFont&) {
            TRecordingMetrics m;
            m.CharWidth = charWidth;
            return m;
        };
        Data.Width = c.Width;
        Data.Clear();
        Data.AddNL("A", 0, 0);
        Data.AddNL("BB", 1, -1);
        Data.AddNL("CCC", 0, -1);
        Data.FormatAll();
        EXPECT_EQ(Lefts(), c.Lefts);
    }
}

TEST_F(LineFinishing, LineSpacingMovesTheNextLineDown)
{
    Data.Canvas.MetricsForFont = [](const TFont&) {
        TRecordingMetrics m;
        m.Ascent = 15;
        m.Descent = 5;
        return m;
    };
    struct TCase {
        TRVLineSpacingType Type;
        int Value, SecondTop;
    };
    const TCase cases[] = {
        {rvlsPercent, 150, 30}, // the 20 px line gets 10 px more below it
        {rvlsSpaceBetween, 5, 25},
        {rvlsSpaceBetween, -5, 20}, // no negative space
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Value);
        Para->SetLineSpacingType(c.Type);
        Para->SetLineSpacing(c.Value);
        Data.Clear();
        Data.AddNL("a", 0, 0);
        Data.AddNL("b", 0, 0);
        Data.FormatAll();
        EXPECT_EQ(Data.DI(1)->Top, c.SecondTop);
        EXPECT_EQ(Data.DocumentHeight, 2 * c.SecondTop);
    }
}

TEST_F(LineFinishing, ALineOfBoxesOnlyGetsNoPercentSpacingAndARuleNoAlignment)
{
    class TBox : public TRVRectItemInfo {
    public:
        TBox() : TRVRectItemInfo(nullptr) { StyleNo = rvsPicture; }
        int GetWidth() const override { return 20; }
        int GetHeight() const override { return 20; }
    };
    Para->SetLineSpacing(200);
    Para->SetAlignment(rvaCenter);
    Data.Width = 100;
    Data.AddItem("box", new TBox());
    Data.AddBreak();
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 2);
    EXPECT_EQ(Data.DI(0)->ExtraSpaceBelow, 0);
    EXPECT_EQ(Data.DI(0)->Left, 40);
    EXPECT_EQ(Data.DI(1)->Left, 0);
    EXPECT_EQ(Data.DI(1)->ExtraSpaceBelow, 0);
}

// A spacing past what a draw item keeps is laid out at that bound, so that
// the next line and the painted bottom of this one agree.
TEST_F(LineFinishing, AHugeLineSpacingIsKeptAtItsBoundAndTheNextLineFollowsIt)
{
    Para->SetLineSpacingType(rvlsSpaceBetween);
    Para->SetLineSpacing(100000);
    Data.AddNL("a", 0, 0);
    Data.AddNL("b", 0, 0);
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 2);
    EXPECT_EQ(Data.DI(0)->ExtraSpaceBelow, TRVDrawLineInfo::MaxExtraSpaceBelow);
    EXPECT_EQ(Data.DI(1)->Top, 13 + TRVDrawLineInfo::MaxExtraSpaceBelow);
}

TEST_F(LineFinishing, TheSpacingOfALineClosedByARuleStaysBelowIt)
{
    Para->SetLineSpacingType(rvlsSpaceBetween);
    Para->SetLineSpacing(8);
    Data.AddNL("a", 0, 0);
    Data.AddBreak();
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 2);
    EXPECT_EQ(Data.DI(0)->ExtraSpaceBelow, 8);
    EXPECT_EQ(Data.DI(1)->Top, 13 + 8);
}

} // namespace
