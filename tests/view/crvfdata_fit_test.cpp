// Fitting text into lines: a piece measured by its prefix extents measures
// and fits exactly as one measured part by part on the canvas, on a canvas
// whose characters differ in width (some add nothing, a negative character
// extra makes some narrower than nothing), for Unicode text with marks, pairs
// and right-to-left and CJK characters, and for UTF-8 ANSI text.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "platform/core/codepages.h"
#include "platform/graphics/recordingcanvas.h"
#include "view/crvfdata_fit.h"

namespace {

// Every character as wide as its first unit says; a zero-width space adds nothing.
class TUnevenCanvas : public TRecordingCanvas {
protected:
    int CharAdvance(const WideChar* chars, int count) override
    {
        if (chars[0] == 0x200B)
            return 0;
        return 2 + chars[0] % 9 + (count - 1);
    }
};

const char16_t* const Pieces[] = {u"a",
                                  u"b",
                                  u"W",
                                  u" ",
                                  u" ",
                                  u"e\u0301",
                                  u"\u6F22",
                                  u"\u5B57",
                                  u"\u05D0",
                                  u"\u05D1",
                                  u"\xD83D\xDE00",
                                  u"\u200B",
                                  u"-",
                                  u"\u0301\u0327"};

WideString RandomText(std::mt19937& random, int units)
{
    WideString text;
    while (static_cast<int>(text.size()) < units)
        text += Pieces[random() % (sizeof Pieces / sizeof Pieces[0])];
    text.resize(static_cast<size_t>(units));
    return text;
}

AnsiString Bytes(const WideString& wide)
{
    AnsiString bytes;
    for (WideChar c : wide) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// The same text measured part by part, and by its prefix extents.
void ExpectSameFits(TCanvas& canvas, const AnsiString& text, int length, bool unicode)
{
    TPieceText direct(text, 0, length, unicode);
    // A window of a few characters, so that it moves on many times.
    TPieceText prefixed(text, 0, length, unicode, 7);
    prefixed.MeasureByPrefixes(&canvas);
    ASSERT_TRUE(prefixed.ByPrefixes());
    for (int start = 0; start <= length; ++start)
        for (int count = 0; start + count <= length; ++count) {
            const TSize a = direct.Measure(&canvas, start, count);
            const TSize b = prefixed.Measure(&canvas, start, count);
            ASSERT_EQ(a.cx, b.cx) << start << "+" << count;
            ASSERT_EQ(a.cy, b.cy) << start << "+" << count;
        }
    for (int pos = 0; pos < length; pos += 3)
        for (int avail : {0, 1, 9, 23, 40, 77, 150, 400})
            for (bool byCharacter : {false, true}) {
                TSize wholeA, wholeB;
                const int fitA =
                    FitChars(direct, pos, length - pos, avail, false, byCharacter, &canvas, wholeA);
                const int fitB =
                    FitChars(prefixed, pos, length - pos, avail, false, byCharacter, &canvas, wholeB);
                ASSERT_EQ(fitA, fitB) << pos << " in " << avail << (byCharacter ? " by character" : "");
                ASSERT_EQ(wholeA.cx, wholeB.cx);
            }
}

TEST(TextFit, PrefixExtentsMeasureAndFitAsThePartsDo)
{
    std::mt19937 random(20240501);
    TUnevenCanvas canvas;
    for (int extra : {0, 1, -3}) {
        canvas.SetTextCharacterExtra(extra);
        for (int round = 0; round < 4; ++round) {
            SCOPED_TRACE(std::to_string(extra) + "/" + std::to_string(round));
            // Short enough that the direct side is measured part by part.
            const WideString wide = RandomText(random, 60 + round * 60);
            const int length = static_cast<int>(wide.size());
            ExpectSameFits(canvas, Bytes(wide), length, true);

            SetACP(CP_UTF8);
            AnsiString utf8;
            for (WideChar c : wide)
                if (c < 0xD800 || c > 0xDFFF)
                    utf8 += UTF8Encode(WideString(1, c));
            utf8.resize(std::min<size_t>(utf8.size(), 250));
            ExpectSameFits(canvas, utf8, static_cast<int>(utf8.size()), false);
            SetACP(0);
        }
    }
}

TEST(TextFit, APieceThatStartsInsideACharacterFallsBackToTheCanvas)
{
    // The range begins on a mark: its parts are measured as the canvas sees
    // them alone, the mark a character of its own.
    TUnevenCanvas canvas;
    const WideString wide = u"e\u0301\u0301x y\u0327z";
    const AnsiString text = Bytes(wide);
    TPieceText direct(text, 1, 6, true);
    TPieceText prefixed(text, 1, 6, true, 2);
    prefixed.MeasureByPrefixes(&canvas);
    for (int start = 0; start <= 6; ++start)
        for (int count = 0; start + count <= 6; ++count)
            EXPECT_EQ(direct.Measure(&canvas, start, count).cx, prefixed.Measure(&canvas, start, count).cx)
                << start << "+" << count;
}

} // namespace
