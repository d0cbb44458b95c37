// Item text on the recording canvas (every character 7 pixels wide, 13 high):
// widths, prefix extents, caret positions and selected mixed-direction text.
#include "document/rvuni.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/graphics/recordingcanvas.h"

namespace {

const TRVItemOptions Ansi;
const TRVItemOptions Uni{rvioUnicode};

AnsiString Raw(const WideString& s)
{
    return RVU_GetRawUnicode(s);
}

// Narrow 'i' (3 pixels) beside the 7-pixel characters, to tell prefixes apart.
class TNarrowICanvas : public TRecordingCanvas {
protected:
    int CharAdvance(const WideChar* Char, int Count) override
    {
        return Count == 1 && Char[0] == u'i' ? 3 : TRecordingCanvas::CharAdvance(Char, Count);
    }
};

const WideString Hebrew = u"\u05D0\u05D1\u05D2\u05D3\u05D4";

} // namespace

TEST(RVUniExtentTest, TextWidthOfAnsiAndUnicodeText)
{
    TRecordingCanvas canvas;
    EXPECT_EQ(RVU_TextWidth(Raw(u"a\U0001F600"), &canvas, Uni), 14); // a pair is one character on screen
    EXPECT_EQ(RVU_TextWidth(Raw(u"ab") + "c", &canvas, Uni), 14);    // an odd byte is none
}

// An item's bytes are measured in place, as a view into the item list: only
// the viewed bytes count, not those that follow them in memory.
TEST(RVUniExtentTest, ExtentOfTextViewedInPlace)
{
    TNarrowICanvas canvas;
    const AnsiString ansi = "aiiiii";
    const AnsiString uni = Raw(u"aiiiii");
    TSize size;
    ASSERT_TRUE(RVU_TextExtent(std::string_view(ansi).substr(0, 2), &canvas, Ansi, size));
    EXPECT_EQ(size.cx, 10);
    EXPECT_EQ(size.cy, 13);
    EXPECT_EQ(RVU_TextWidth(std::string_view(uni).substr(0, 4), &canvas, Uni), 10);
    EXPECT_EQ(RVU_TextWidth(std::string_view(ansi).substr(1, 0), &canvas, Ansi), 0);
}

TEST(RVUniExtentTest, FitAndPrefixExtents)
{
    TNarrowICanvas canvas;
    for (TRVItemOptions options : {Ansi, Uni}) {
        const AnsiString s = options.Contains(rvioUnicode) ? Raw(u"aibc") : AnsiString("aibc");
        int fit = -1;
        std::vector<int> pos(4, -1);
        RVU_GetTextExtentExPoint(&canvas, s, 17, fit, pos.data(), options);
        EXPECT_EQ(fit, 3);
        EXPECT_EQ(pos, (std::vector<int>{7, 10, 17, 24}));
        RVU_GetTextExtentExPoint(&canvas, s, 6, fit, nullptr, options);
        EXPECT_EQ(fit, 0);
        RVU_GetTextExtentExPoint(&canvas, s, 1000, fit, nullptr, options);
        EXPECT_EQ(fit, 4);
    }
    int fit = -1;
    RVU_GetTextExtentExPoint(&canvas, "", 100, fit, nullptr, Ansi);
    EXPECT_EQ(fit, 0);
}

TEST(RVUniExtentTest, BufferExtentsMeasureOnlyTheGivenCharacters)
{
    TRecordingCanvas canvas;
    int fit = -1;
    TSize size;
    const AnsiString ansi = "abcdef";
    RVU_GetTextExtentExPointPC(&canvas, ansi.data() + 2, 3, 100, fit, nullptr, Ansi, size);
    EXPECT_EQ(fit, 3);
    EXPECT_EQ(size, (TSize{21, 13}));
    // Unicode units at an odd address inside a string.
    const AnsiString uni = "x" + Raw(u"abcdef");
    std::vector<int> pos(2);
    RVU_GetTextExtentExPointPC(&canvas, uni.data() + 1 + 2 * 4, 2, 10, fit, pos.data(), Uni, size);
    EXPECT_EQ(fit, 1);
    EXPECT_EQ(pos, (std::vector<int>{7, 14}));
    EXPECT_EQ(size, (TSize{14, 13}));
    RVU_GetTextExtentExPointPC(&canvas, ansi.data(), 0, 100, fit, nullptr, Ansi, size);
    EXPECT_EQ(fit, 0);
    EXPECT_EQ(size, (TSize{0, 0}));
}

TEST(RVUniCaretTest, LeftToRightPlacesFollowTheCharacters)
{
    TNarrowICanvas canvas;
    std::vector<int> pos(4, -1);
    ASSERT_TRUE(RVU_GetTextCaretPos(&canvas, "aib", pos.data(), Ansi));
    EXPECT_EQ(pos, (std::vector<int>{0, 8, 11, 18}));
    std::fill(pos.begin(), pos.end(), -1);
    ASSERT_TRUE(RVU_GetTextCaretPos(&canvas, Raw(u"aib"), pos.data(), Uni));
    EXPECT_EQ(pos, (std::vector<int>{0, 8, 11, 18}));
}

TEST(RVUniCaretTest, RightToLeftAndMixedText)
{
    TRecordingCanvas canvas;
    // Shown reversed: the caret after each letter is at its left edge.
    std::vector<int> pos(4, -1);
    ASSERT_TRUE(RVU_GetTextCaretPos(&canvas, Raw(Hebrew.substr(0, 3)), pos.data(), Uni));
    EXPECT_EQ(pos, (std::vector<int>{21, 14, 7, 0}));
    // "ab" then two Hebrew letters, shown as a b bet alef: the place before
    // alef is at its right edge, the end after bet at bet's left edge, so that
    // each place has a spot of its own.
    pos.assign(5, -1);
    ASSERT_TRUE(RVU_GetTextCaretPos(&canvas, Raw(u"ab" + Hebrew.substr(0, 2)), pos.data(), Uni));
    EXPECT_EQ(pos, (std::vector<int>{0, 8, 28, 21, 14}));
}

TEST(RVUniCaretTest, FailedPlacementLeavesThePositions)
{
    TRecordingCanvas canvas;
    int pos[2] = {-5, -5};
    EXPECT_FALSE(RVU_GetTextCaretPos(&canvas, "", pos, Ansi));
    EXPECT_FALSE(RVU_GetTextCaretPos(&canvas, "a", pos, Uni)); // half a unit: no character
    EXPECT_EQ(pos[0], -5);
    EXPECT_EQ(pos[1], -5);
}

// ---------------------------------------------------------------------------
// Selected text

namespace {

// The clip rectangles of the text records, each checked to draw the whole text
// at (Left, Top), clipped and opaque.
std::vector<TRect> SelectionRects(const TRecordingCanvas& canvas, const WideString& text, int left, int top)
{
    std::vector<TRect> rects;
    for (const TCanvasRecord* r : canvas.RecordsOf(TCanvasOp::Text)) {
        EXPECT_EQ(r->Text, text);
        EXPECT_EQ(r->X, left);
        EXPECT_EQ(r->Y, top);
        EXPECT_EQ(r->Options, unsigned(ETO_CLIPPED | ETO_OPAQUE));
        EXPECT_TRUE(r->HasRect);
        rects.push_back(r->Rect);
    }
    return rects;
}

} // namespace

TEST(RVUniSelectedTextTest, UnspecifiedDirectionOrBadRangeDrawsNothing)
{
    TRecordingCanvas canvas;
    const AnsiString s = Raw(u"abc");
    EXPECT_FALSE(RVU_DrawSelectedTextEx(0, 0, 20, s, &canvas, 1, 2, Uni, rvbdUnspecified));
    EXPECT_FALSE(RVU_DrawSelectedTextEx(0, 0, 20, s, &canvas, 0, 2, Uni, rvbdLeftToRight));
    EXPECT_FALSE(RVU_DrawSelectedTextEx(0, 0, 20, s, &canvas, 2, 4, Uni, rvbdLeftToRight));
    EXPECT_FALSE(RVU_DrawSelectedTextEx(0, 0, 20, s, &canvas, 3, 2, Uni, rvbdRightToLeft));
    EXPECT_FALSE(RVU_DrawSelectedTextEx(0, 0, 20, "", &canvas, 1, 1, Ansi, rvbdRightToLeft));
    EXPECT_EQ(canvas.Count(), 0);
}

TEST(RVUniSelectedTextTest, LeftToRightSelectionIsOneRectangle)
{
    TRecordingCanvas canvas;
    ASSERT_TRUE(RVU_DrawSelectedTextEx(100, 50, 20, Raw(u"abcdef"), &canvas, 2, 4, Uni, rvbdLeftToRight));
    EXPECT_EQ(SelectionRects(canvas, u"abcdef", 100, 50), (std::vector<TRect>{Rect(107, 50, 128, 70)}));
    canvas.Clear();
    ASSERT_TRUE(RVU_DrawSelectedTextEx(10, 5, 13, "abcdef", &canvas, 6, 6, Ansi, rvbdRightToLeft));
    EXPECT_EQ(SelectionRects(canvas, u"abcdef", 10, 5), (std::vector<TRect>{Rect(45, 5, 52, 18)}));
    EXPECT_TRUE(canvas.RecordsOf(TCanvasOp::Text)[0]->FromAnsi);
}

TEST(RVUniSelectedTextTest, RightToLeftSelectionCoversItsPlaceOnScreen)
{
    TRecordingCanvas canvas;
    // Letters 2 and 3 of five are shown at positions 3 and 2 from the left.
    ASSERT_TRUE(RVU_DrawSelectedTextEx(0, 0, 13, Raw(Hebrew), &canvas, 2, 3, Uni, rvbdRightToLeft));
    EXPECT_EQ(SelectionRects(canvas, Hebrew, 0, 0), (std::vector<TRect>{Rect(14, 0, 28, 13)}));
}

TEST(RVUniSelectedTextTest, MixedSelectionSplitsWhereTheScreenDoes)
{
    TRecordingCanvas canvas;
    // "ab" + alef bet gimel is shown as a b gimel bet alef; b, alef and bet are selected.
    const WideString text = u"ab" + Hebrew.substr(0, 3);
    ASSERT_TRUE(RVU_DrawSelectedTextEx(0, 0, 13, Raw(text), &canvas, 2, 4, Uni, rvbdLeftToRight));
    EXPECT_EQ(SelectionRects(canvas, text, 0, 0),
              (std::vector<TRect>{Rect(7, 0, 14, 13), Rect(21, 0, 35, 13)}));
}

TEST(RVUniSelectedTextTest, SurrogatePairsAndLongLines)
{
    TRecordingCanvas canvas;
    const WideString pair = u"a\U0001F600b";
    ASSERT_TRUE(RVU_DrawSelectedTextEx(0, 0, 13, Raw(pair), &canvas, 2, 3, Uni, rvbdLeftToRight));
    EXPECT_EQ(SelectionRects(canvas, pair, 0, 0), (std::vector<TRect>{Rect(7, 0, 14, 13)}));

    // A long right-to-left line selected whole is one stretch, drawn once.
    canvas.Clear();
    WideString line;
    while (line.size() < 70000)
        line += Hebrew;
    ASSERT_TRUE(RVU_DrawSelectedTextEx(0, 0, 13, Raw(line), &canvas, 1, 70000, Uni, rvbdRightToLeft));
    ASSERT_EQ(canvas.RecordsOf(TCanvasOp::Text).size(), 1u);
    EXPECT_EQ(canvas.RecordsOf(TCanvasOp::Text)[0]->Rect, Rect(0, 0, 490000, 13));
}

// ---------------------------------------------------------------------------
// An odd last byte

// Measuring and drawing take the whole units of a text: a trailing odd byte
// is left out, so the text with it measures and draws as without it.
TEST(RVUniOddByteTest, MeasuringAndDrawingLeaveTheOddByteOut)
{
    const WideString text = u"ai" + Hebrew.substr(0, 3);
    std::vector<TRect> rects[2];
    std::vector<int> pos[2];
    for (int odd = 0; odd < 2; ++odd) {
        const AnsiString s = Raw(text) + (odd ? "\x41" : "");
        TNarrowICanvas canvas;
        int fit = -1;
        pos[odd].assign(text.size(), -1);
        RVU_GetTextExtentExPoint(&canvas, s, 12, fit, pos[odd].data(), Uni);
        EXPECT_EQ(fit, 2);
        ASSERT_TRUE(RVU_DrawSelectedTextEx(3, 4, 13, s, &canvas, 2, 4, Uni, rvbdLeftToRight));
        rects[odd] = SelectionRects(canvas, text, 3, 4);
    }
    EXPECT_EQ(pos[1], pos[0]);
    EXPECT_EQ(rects[1], rects[0]);
}
