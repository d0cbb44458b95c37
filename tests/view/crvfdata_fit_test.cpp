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

// Joined letters are narrower than those at a word's ends, so that a word cut
// in two measures wider than whole: a letter with a letter of its word on both
// sides is 3 pixels, any other 5; marks add nothing.
bool ContextualShaper(const WideChar* str, int count, int* advances, uint8_t* starts)
{
    auto letter = [&](int k) { return k >= 0 && k < count && !(str[k] >= 0x064B && str[k] <= 0x065F); };
    for (int i = 0; i < count; ++i) {
        starts[i] = letter(i);
        if (!letter(i)) {
            advances[i] = 0;
            continue;
        }
        int before = i - 1;
        while (before >= 0 && !letter(before))
            --before;
        int after = i + 1;
        while (after < count && !letter(after))
            ++after;
        advances[i] = before >= 0 && after < count ? 3 : 5;
    }
    return true;
}

TEST(TextFit, WordsOfJoiningScriptsMeasureWholeAcrossPrefixWindows)
{
    std::mt19937 random(20261207);
    TRecordingCanvas canvas;
    canvas.Shaper = ContextualShaper;
    const char16_t* const parts[] = {u"\u0628", u"\u0644", u"\u0627", u"\u064E", u"\u0628\u0628\u0628",
                                     u" ",      u"a"};
    SetACP(CP_UTF8);
    for (bool unicode : {true, false})
        for (int window : {3, 7, 20}) {
            SCOPED_TRACE(std::to_string(window) + (unicode ? " wide" : " UTF-8"));
            WideString wide;
            while (wide.size() < 150)
                wide += parts[random() % (sizeof parts / sizeof parts[0])];
            const AnsiString text = unicode ? Bytes(wide) : UTF8Encode(wide);
            const int length = static_cast<int>(unicode ? wide.size() : text.size());
            TPieceText direct(text, 0, length, unicode);
            TPieceText prefixed(text, 0, length, unicode, window);
            prefixed.MeasureByPrefixes(&canvas);
            ASSERT_TRUE(prefixed.ByPrefixes());
            // Parts between spaces hold whole words: they measure as they do alone,
            // wherever the windows of prefix extents begin and end.
            std::vector<int> bounds{0};
            for (int i = 0; i < length; ++i)
                if (unicode ? wide[static_cast<size_t>(i)] == u' ' : text[static_cast<size_t>(i)] == ' ')
                    bounds.insert(bounds.end(), {i, i + 1});
            bounds.push_back(length);
            // The rest of the piece from every unit on, as lines are laid out:
            // each window begins where the one before it stopped being trusted,
            // often inside a word. From a boundary, the rest measures as alone.
            for (int start = 0; start <= length; ++start) {
                const int byPrefixes = prefixed.Measure(&canvas, start, length - start).cx;
                if (std::find(bounds.begin(), bounds.end(), start) != bounds.end()) {
                    ASSERT_EQ(direct.Measure(&canvas, start, length - start).cx, byPrefixes) << start;
                }
            }
            for (size_t a = 0; a < bounds.size(); ++a)
                for (size_t b = a; b < bounds.size(); ++b)
                    ASSERT_EQ(direct.Measure(&canvas, bounds[a], bounds[b] - bounds[a]).cx,
                              prefixed.Measure(&canvas, bounds[a], bounds[b] - bounds[a]).cx)
                        << bounds[a] << ".." << bounds[b];
        }
    SetACP(0);
}

} // namespace
