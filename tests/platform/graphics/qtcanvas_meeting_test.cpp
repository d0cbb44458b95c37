// A font of the Qt canvas meeting the characters of ANSI text one at a time:
// asked before each character it does not know, ending where it is told, in
// whole characters of the code page, and knowing afterwards what it met.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/codepages.h"
#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/qtcanvas.h"
#include "platform/graphics/qtfont_qt.h"

namespace {

// A pixel height no font of this program had before: a font that knows no
// character yet.
int UnusedHeight()
{
    static int height = -60;
    return --height;
}

// A canvas whose font knows no character yet.
struct TUnmetCanvas {
    TPixelBuffer Buffer{40, 40};
    std::unique_ptr<TCanvas> Canvas = CreateBufferCanvas(Buffer);
    TUnmetCanvas()
    {
        Canvas->Font()->SetName("DejaVu Sans");
        Canvas->Font()->SetHeight(UnusedHeight());
    }
};

struct TMeetingCase {
    const char* Name;
    TFontCharset Charset; // the default one reads the ANSI code page (UTF-8)
    std::string Text;
    // Where each meeting ends when it may meet one character the font does
    // not know (a code point and its marks; the ASCII letters are known).
    std::vector<int> Stops;
};

const TMeetingCase MeetingCases[] = {
    // An accented letter, a letter with a combining acute (one character),
    // ASCII, a Cyrillic letter, one beyond the 16-bit units (a surrogate
    // pair), another accented letter.
    {"UTF-8",
     DEFAULT_CHARSET,
     "\xC3\xA9"
     "a\xCC\x81"
     "z"
     "\xD0\xB6"
     "\xF0\x9D\x84\x9E"
     "\xC3\xB1",
     {2, 6, 8, 12, 14}},
    // Two-byte characters around ASCII and a one-byte half-width letter.
    {"Shift-JIS",
     SHIFTJIS_CHARSET,
     "\x82\xA0"
     "A"
     "\xB1"
     "\x8A\xBF",
     {3, 4, 6}},
    {"Windows-1251", RUSSIAN_CHARSET, "\xC0x\xE1", {2, 3}},
};

class QtCanvasMeetingTest : public ::testing::TestWithParam<TMeetingCase> {
protected:
    void SetUp() override { SetACP(CP_UTF8); }
    void TearDown() override { SetACP(0); }
};

TEST_P(QtCanvasMeetingTest, EachCharacterNewToTheFontIsAskedForAndTheMeetingEndsBeforeARefusedOne)
{
    // Each meeting lets one new character be met and refuses the next: it
    // passes the characters met before without asking, and ends at the
    // character it was refused, never inside one.
    const TMeetingCase& c = GetParam();
    TUnmetCanvas unmet;
    TCanvas* canvas = unmet.Canvas.get();
    canvas->Font()->SetCharset(c.Charset);
    // The letters of the texts that the font knows before.
    canvas->TextWidth("Axz");
    const int count = static_cast<int>(c.Text.size());
    for (size_t k = 0; k < c.Stops.size(); ++k) {
        SCOPED_TRACE(k);
        int asks = 0;
        const int met = canvas->MeetCharactersA(c.Text.data(), count, [&] { return ++asks > 1; });
        EXPECT_EQ(met, c.Stops[k]);
        EXPECT_EQ(asks, k + 1 < c.Stops.size() ? 2 : 1);
    }
    // Met whole: nothing more is asked, and measuring lays nothing out.
    int asks = 0;
    EXPECT_EQ(canvas->MeetCharactersA(c.Text.data(), count, [&] { return ++asks > 0; }), count);
    EXPECT_EQ(asks, 0);
    const std::shared_ptr<TQtFontData> data = qtfontcache::FontFor(*canvas->Font());
    const size_t layouts = data->LayoutCount();
    TSize size;
    ASSERT_TRUE(canvas->GetTextExtentPoint32A(c.Text.data(), count, size));
    EXPECT_GT(size.cx, 0);
    EXPECT_EQ(data->LayoutCount(), layouts) << "a character was laid out after it was met";
}

INSTANTIATE_TEST_SUITE_P(CodePages, QtCanvasMeetingTest, ::testing::ValuesIn(MeetingCases),
                         [](const ::testing::TestParamInfo<TMeetingCase>& info) {
                             std::string name = info.param.Name;
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name;
                         });

TEST(QtCanvasMeetingTextTest, ACharacterWhoseCodePointsWereMetApartIsKnown)
{
    // A letter and a combining acute measured each alone: the letter under
    // the acute, a cluster never measured, is met without an ask (the fonts
    // of its code points were looked for). A letter the font has not met is
    // asked for.
    SetACP(CP_UTF8);
    TUnmetCanvas unmet;
    TCanvas* canvas = unmet.Canvas.get();
    canvas->TextWidth("q");
    canvas->TextWidth("\xCC\x81");
    int asks = 0;
    const auto refuse = [&] { return ++asks > 0; };
    const std::string accented = "q\xCC\x81";
    EXPECT_EQ(canvas->MeetCharactersA(accented.data(), 3, refuse), 3);
    EXPECT_EQ(asks, 0);
    const std::string cyrillic = "\xD0\xB6";
    EXPECT_EQ(canvas->MeetCharactersA(cyrillic.data(), 2, refuse), 0);
    EXPECT_EQ(asks, 1);
    SetACP(0);
}

TEST(QtCanvasMeetingTextTest, APileOfMarksTooLongToBeRememberedIsKnownWhileTheGlyphMapKeepsIt)
{
    // A letter under 40 marks is not among the answers: the glyph map keeps
    // it, and a second meeting asks nothing. A text that stops at once meets
    // nothing; an empty one asks nothing.
    SetACP(CP_UTF8);
    TUnmetCanvas unmet;
    TCanvas* canvas = unmet.Canvas.get();
    std::string pile = "b";
    for (int i = 0; i < 40; ++i)
        pile += "\xCC\x81";
    const int count = static_cast<int>(pile.size());
    int asks = 0;
    const auto refuse = [&] { return ++asks > 0; };
    EXPECT_EQ(canvas->MeetCharactersA(pile.data(), count, refuse), 0);
    EXPECT_EQ(canvas->MeetCharactersA(pile.data(), 0, refuse), 0);
    EXPECT_EQ(asks, 1);
    EXPECT_EQ(canvas->MeetCharactersA(pile.data(), count, [] { return false; }), count);
    EXPECT_EQ(canvas->MeetCharactersA(pile.data(), count, refuse), count);
    EXPECT_EQ(asks, 1);
    SetACP(0);
}

TEST(QtCanvasMeetingTextTest, WhatTheFontMetIsPassedUpToTheWholeCharacterItDoesNotKnow)
{
    // The characters a font met are passed without converting the text; the
    // meeting then begins at the whole character that holds the first code
    // point the font does not know, or whose pieces it met only apart. Each
    // text is met once with every ask refused: where it ends, and whether it
    // asked.
    SetACP(CP_UTF8);
    const std::string acute = "\xCC\x81";
    const std::string clef = "\xF0\x9D\x84\x9E"; // beyond the 16-bit units
    const std::string stem = "\xF0\x9D\x85\xA5"; // a combining mark beyond them
    const std::string e = "\xC3\xA9";
    std::string manyE;
    for (int i = 0; i < 127; ++i)
        manyE += e;
    struct TCase {
        const char* Name;
        std::vector<std::string> MeasuredBefore;
        std::string Text;
        int Met;
    } cases[] = {
        // A letter the font knows under a mark it does not: the letter too.
        {"letter under a new mark", {"q"}, "zq" + acute, 1},
        // The same across the end of a block of characters read at once.
        {"mark after a block", {"q", e}, manyE + "q" + acute, 254},
        // A character beyond the 16-bit units the font measured, before a
        // letter of its own: passed.
        {"known pair", {clef, "\xE2\x82\x80", e}, clef + "\xE2\x82\x80" + e, -1},
        // ... but not when a mark follows it: the two were never measured
        // together.
        {"known pair under a mark", {clef, acute, "z"}, "z" + clef + acute, 1},
        // A mark beyond the 16-bit units belongs to the letter before it.
        {"mark beyond the units", {"q", stem}, "zq" + stem, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TUnmetCanvas unmet;
        TCanvas* canvas = unmet.Canvas.get();
        canvas->TextWidth("z");
        for (const std::string& text : c.MeasuredBefore)
            canvas->TextWidth(text.c_str());
        int asks = 0;
        const int count = static_cast<int>(c.Text.size());
        const int met = canvas->MeetCharactersA(c.Text.data(), count, [&] { return ++asks > 0; });
        EXPECT_EQ(met, c.Met < 0 ? count : c.Met);
        EXPECT_EQ(asks, c.Met < 0 ? 0 : 1);
    }
    SetACP(0);
}

} // namespace
