// Characters as the caret and the deleting keys see them: an emoji with its
// skin tone, a flag, a joined emoji sequence and a letter with its mark are one
// character each, in Unicode items and in UTF-8 text; a character of a
// multi-byte code page is never split between its lead and trail bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "platform/core/codepages.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"
#include "view/rvchars.h"

namespace {

// The text as a Unicode item holds it.
AnsiString Raw(const char* utf8)
{
    return RVU_GetRawUnicode(UTF8Decode(utf8));
}

TEST(CharBoundaries, UserPerceivedCharactersAreOneStepEach)
{
    const struct {
        const char* Name;
        const char* Text;
        std::vector<int> Units; // UTF-16 boundaries
        std::vector<int> Bytes; // UTF-8 boundaries
    } cases[] = {
        {"skin tone",
         "a\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"
         "b",
         {1, 5},
         {1, 9}},
        {"flag",
         "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"
         "c",
         {4},
         {8}},
        {"two flags", "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7", {4}, {8}},
        {"joined family",
         "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7x",
         {8},
         {18}},
        {"letter and mark",
         "e\xCC\x81"
         "f",
         {2},
         {3}},
        {"cr lf", "a\r\nb", {1, 3}, {1, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(RVE_CharBoundaries(Raw(c.Text), true, 0), c.Units);
        EXPECT_EQ(RVE_CharBoundaries(c.Text, false, 65001), c.Bytes);
    }
}

TEST(CharBoundaries, MultiByteCodePagesStepOverWholeCharacters)
{
    const struct {
        unsigned CodePage;
        const char* Text; // "a", one two-byte character, "b", an ASCII letter
        std::vector<int> Bytes;
    } cases[] = {
        {932,
         "a\x82\xA0"
         "bc",
         {1, 3, 4}}, // Shift-JIS
        {936,
         "a\xD6\xD0"
         "bc",
         {1, 3, 4}}, // GBK
        {950,
         "a\xA4\xA4"
         "bc",
         {1, 3, 4}}, // Big5
        {1252,
         "a\xE9"
         "bc",
         {1, 2, 3}}, // one byte a character
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.CodePage);
        if (!IsValidCodePage(c.CodePage))
            continue;
        EXPECT_EQ(RVE_CharBoundaries(c.Text, false, c.CodePage), c.Bytes);
        // The character before the caret after the two-byte one is two bytes.
        EXPECT_EQ(RVE_PrevCharUnits(c.Text, false, c.CodePage, 3), c.CodePage == 1252 ? 1 : 2);
    }
}

class GraphemeEditing : public TEditFixture {};

TEST_F(GraphemeEditing, TheCaretAndTheKeysNeverSplitAnEmojiOrAFlag)
{
    // a, thumbs up with a skin tone, b, the German flag, c.
    AddText("a\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"
            "b\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"
            "c",
            Uni);
    d->FormatAll();
    Caret(0, 1);
    std::vector<int> stops;
    for (int i = 0; i < 6; ++i) {
        d->OnRightPress(false, false);
        stops.push_back(CaretPos().second);
    }
    EXPECT_EQ(stops, (std::vector<int>{2, 6, 7, 11, 12, 12}));
    Caret(0, 11);
    Run("backspace after the flag", [&] { d->OnBackSpacePress_(false, false, false); });
    EXPECT_EQ(Text(0), "a\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"
                       "bc");
    Caret(0, 2);
    Run("delete before the emoji", [&] { d->OnDeletePress_(false, false); });
    EXPECT_EQ(Text(0), "abc");
}

TEST_F(GraphemeEditing, BackspaceRemovesAWholeCharacterOfAMultiByteCodePage)
{
    if (!IsValidCodePage(932))
        GTEST_SKIP() << "no Shift-JIS converter";
    const int sjis = AddText([](TFontInfo* f) { f->SetCharset(SHIFTJIS_CHARSET); });
    ASSERT_EQ(d->GetStyleCodePage(sjis), 932u);
    AddText("a\x82\xA0"
            "b",
            sjis);
    d->FormatAll();
    Caret(0, 1);
    d->OnRightPress(false, false);
    d->OnRightPress(false, false);
    EXPECT_EQ(CaretPos(), std::make_pair(0, 4));
    Run("backspace", [&] { d->OnBackSpacePress_(false, false, false); });
    EXPECT_EQ(d->GetItemText(0), "ab");
}

} // namespace
