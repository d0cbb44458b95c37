// Code pages: conversions in both directions, malformed and unconvertible
// input, the Windows calling convention, stepping through multi-byte text,
// steps through UTF-16 text (surrogate pairs and combining marks belong to
// their character) and its length-keeping upper case.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "platform/core/charnextw.h"
#include "platform/core/codepages.h"
#include "platform/core/unicase.h"

namespace {

WideString W(std::initializer_list<unsigned> units)
{
    WideString s;
    for (unsigned u : units)
        s.push_back(static_cast<WideChar>(u));
    return s;
}

AnsiString RandomBytes(std::mt19937& rng, size_t length)
{
    AnsiString s;
    for (size_t i = 0; i < length; ++i)
        s.push_back(static_cast<char>(rng() & 0xFF));
    return s;
}

class CodePages : public ::testing::Test {
protected:
    void SetUp() override { SetACP(1252); }
    void TearDown() override { SetACP(0); }
};

// ---------------------------------------------------------------------------
// Single-byte code pages

TEST_F(CodePages, UnitWithoutEquivalentBecomesDefaultChar)
{
    WideString wide = W({'a', 0x4E00, 'b', 0xD83D, 0xDE00, 'c', 0xDC00});
    EXPECT_EQ(WideToAnsi(wide, 1252), "a?b?c?"); // a surrogate pair is one character

    char out[16];
    bool usedDefault = false;
    int n = WideCharToMultiByte(1252, 0, wide.data(), static_cast<int>(wide.size()), out, sizeof out, "*",
                                &usedDefault);
    EXPECT_EQ(AnsiString(out, n), "a*b*c*");
    EXPECT_TRUE(usedDefault);

    WideString plain = W({'a', 0xE9});
    n = WideCharToMultiByte(1252, 0, plain.data(), 2, out, sizeof out, nullptr, &usedDefault);
    EXPECT_EQ(AnsiString(out, n), "a\xE9");
    EXPECT_FALSE(usedDefault);
}

// ---------------------------------------------------------------------------
// Double-byte code pages

TEST_F(CodePages, Cp932MalformedAndUndefinedBytes)
{
    // A lead byte before a byte that cannot trail: each byte alone.
    EXPECT_EQ(AnsiToWide("\x81 x", 932), W({0x81, ' ', 'x'}));
    // Bytes 932 leaves undefined.
    EXPECT_EQ(AnsiToWide("\x80\xA0\xFD", 932), W({0x80, 0xA0, 0xFD}));
    EXPECT_EQ(WideToAnsi(W({0x80, 0xA0, 0xFD}), 932), "\x80\xA0\xFD");
    // ASCII controls are not swapped.
    EXPECT_EQ(AnsiToWide("\x1A\x1C\x7F", 932), W({0x1A, 0x1C, 0x7F}));
    EXPECT_EQ(WideToAnsi(W({0x1A, 0x1C, 0x7F}), 932), "\x1A\x1C\x7F");
}

TEST_F(CodePages, Cp932LeadByteAloneNeverJoinsTheNextByte)
{
    // U+0093 comes from a lone lead byte 0x93; written before 'A' it would read
    // back as the kanji 0x93 0x41, so it becomes the default character there.
    ASSERT_NE(AnsiToWide("\x93"
                         "A",
                         932)
                  .size(),
              2u);
    EXPECT_EQ(WideToAnsi(W({0x93, 'A'}), 932), "?A");
    EXPECT_EQ(WideToAnsi(W({0x93, ' '}), 932), "\x93 ");
    EXPECT_EQ(WideToAnsi(W({'x', 0x93}), 932), "x\x93");
}

TEST_F(CodePages, ArbitraryBytesReadBackTheSameAfterWriting)
{
    // Whatever the bytes, the text they decode to is written so that it decodes
    // to the same text again (no lead byte joins a neighbour, nothing is lost).
    std::mt19937 rng(1234);
    for (unsigned cp : {932u, 936u, 949u, 950u, 1252u, 1253u, unsigned(CP_UTF8)}) {
        SCOPED_TRACE(cp);
        for (int round = 0; round < 50; ++round) {
            WideString wide = AnsiToWide(RandomBytes(rng, 64), cp);
            bool usedDefault = false;
            char out[256];
            int n = WideCharToMultiByte(cp, 0, wide.data(), static_cast<int>(wide.size()), out, sizeof out,
                                        nullptr, &usedDefault);
            ASSERT_GT(n, 0);
            if (!usedDefault) {
                EXPECT_EQ(AnsiToWide(AnsiString(out, n), cp), wide);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// UTF-8

TEST(Utf8, MalformedBytesBecomeTheirOwnCodePoints)
{
    EXPECT_EQ(UTF8Decode("\xC0\xAF"), W({0xC0, 0xAF}));                     // overlong '/'
    EXPECT_EQ(UTF8Decode("\xE0\x80\xAF"), W({0xE0, 0x80, 0xAF}));           // overlong
    EXPECT_EQ(UTF8Decode("\xED\xA0\x80"), W({0xED, 0xA0, 0x80}));           // surrogate
    EXPECT_EQ(UTF8Decode("\xF4\x90\x80\x80"), W({0xF4, 0x90, 0x80, 0x80})); // past U+10FFFF
    EXPECT_EQ(UTF8Decode("a\xFF"
                         "b\x80"),
              W({'a', 0xFF, 'b', 0x80}));
    EXPECT_EQ(UTF8Decode("\xE2\x82"
                         "A"),
              W({0xE2, 0x82, 'A'}));                                    // cut short
    EXPECT_EQ(UTF8Decode("x\xF0\x9F\x98"), W({'x', 0xF0, 0x9F, 0x98})); // cut by the end
}

TEST(Utf8, EncodesPairsAndReplacesLoneSurrogates)
{
    EXPECT_EQ(UTF8Encode(W({'A', 0xE9, 0x20AC, 0xD83D, 0xDE00})), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(UTF8Encode(W({0xD800, 'a', 0xDC00})), "\xEF\xBF\xBD"
                                                    "a\xEF\xBF\xBD");
    EXPECT_EQ(UTF8Encode(W({0xD83D})), "\xEF\xBF\xBD");
    EXPECT_EQ(UTF8Encode(W({0xFFFF, 0x7FF, 0x800})), "\xEF\xBF\xBF\xDF\xBF\xE0\xA0\x80");
}

// ---------------------------------------------------------------------------
// The Windows calling convention

TEST_F(CodePages, WideCharToMultiByteConvention)
{
    WideString text = W({'a', 0x65E5, 0});
    char out[8] = {};
    bool usedDefault = true;
    EXPECT_EQ(WideCharToMultiByte(932, 0, text.data(), -1, nullptr, 0, nullptr, &usedDefault), 4);
    EXPECT_FALSE(usedDefault);
    EXPECT_EQ(WideCharToMultiByte(932, 0, text.data(), -1, out, 3, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(932, 0, text.data(), -1, out, 4, nullptr, nullptr), 4);
    EXPECT_EQ(AnsiString(out, 4), AnsiString("a\x93\xFA\0", 4));
    EXPECT_EQ(WideCharToMultiByte(932, 0, text.data(), 0, out, 8, nullptr, nullptr), 0);
    // Size query in UTF-8: a surrogate pair is four bytes.
    WideString emoji = W({0xD83D, 0xDE00});
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, emoji.data(), 2, nullptr, 0, nullptr, nullptr), 4);
    // A default character that is a lead byte would corrupt what follows.
    int n = WideCharToMultiByte(932, 0, W({0x4E02, 'A'}).data(), 2, out, 8, "\x93", &usedDefault);
    EXPECT_EQ(AnsiString(out, n), "?A");
    EXPECT_TRUE(usedDefault);
}

// ---------------------------------------------------------------------------
// Stepping through multi-byte text

TEST_F(CodePages, SteppingAgreesWithConversion)
{
    // On any bytes, the characters CharNextExA finds are those the conversion
    // makes, and CharPrevExA finds the same boundaries going back.
    std::mt19937 rng(99);
    for (unsigned cp : {932u, 936u, 949u, 950u, unsigned(CP_UTF8), 1252u}) {
        SCOPED_TRACE(cp);
        for (int round = 0; round < 100; ++round) {
            AnsiString s = RandomBytes(rng, 40);
            const char* start = s.data();
            const char* end = start + s.size();
            std::vector<const char*> boundaries;
            for (const char* p = start; p < end; p = CharNextExA(cp, p, end))
                boundaries.push_back(p);
            WideString wide = AnsiToWide(s, cp);
            size_t characters = 0;
            for (WideChar u : wide)
                characters += (u >= 0xDC00 && u <= 0xDFFF) ? 0 : 1;
            EXPECT_EQ(boundaries.size(), characters);
            const char* p = end;
            for (size_t i = boundaries.size(); i-- > 0;) {
                p = CharPrevExA(cp, start, p);
                ASSERT_EQ(p, boundaries[i]);
            }
        }
    }
}

} // namespace

TEST(CharNextWTest, StepsOverPairsAndMarks)
{
    // a, e + acute + dot below, U+1F600 (a pair), a lone low surrogate, b.
    const WideChar s[] = {u'a', u'e', 0x0301, 0x0323, 0xD83D, 0xDE00, 0xDC00, u'b', 0};
    EXPECT_EQ(CharNextW(s), s + 1);
    EXPECT_EQ(CharNextW(s + 1), s + 4);
    EXPECT_EQ(CharNextW(s + 4), s + 6);
    EXPECT_EQ(CharNextW(s + 6), s + 7);
    EXPECT_EQ(CharNextW(s + 7), s + 8);
    EXPECT_EQ(CharNextW(s + 8), s + 8); // the terminator stays

    EXPECT_EQ(CharPrevW(s, s + 8), s + 7);
    EXPECT_EQ(CharPrevW(s, s + 7), s + 6);
    EXPECT_EQ(CharPrevW(s, s + 6), s + 4);
    EXPECT_EQ(CharPrevW(s, s + 4), s + 1);
    EXPECT_EQ(CharPrevW(s, s + 1), s);
    EXPECT_EQ(CharPrevW(s, s), s);
}

TEST(CharNextWTest, MarksAtTheStartAndHalfPairs)
{
    // A text that starts with a mark; a high surrogate before the terminator.
    const WideChar s[] = {0x0301, 0x0301, u'x', 0xD83D, 0};
    EXPECT_EQ(CharNextW(s), s + 2);
    EXPECT_EQ(CharPrevW(s, s + 2), s);
    EXPECT_EQ(CharNextW(s + 3), s + 4);
    EXPECT_EQ(CharPrevW(s, s + 4), s + 3);
}

namespace {

WideString Upper(WideString s)
{
    EXPECT_EQ(CharUpperBuffW(s.data(), static_cast<int>(s.size())), static_cast<int>(s.size()));
    return s;
}

TEST(Utf8, ReadingACharacterAtATimeAgreesWithConversionAndStepping)
{
    // Well-formed characters of every length mixed with bytes of any value:
    // the code points read one at a time make the converted text, and each
    // step ends where CharNextExA ends it.
    const auto utf16 = [](unsigned cp) {
        return cp < 0x10000 ? W({cp})
                            : W({0xD800 + ((cp - 0x10000) >> 10), 0xDC00 + ((cp - 0x10000) & 0x3FF)});
    };
    std::mt19937 rng(65001);
    for (int round = 0; round < 200; ++round) {
        AnsiString s;
        while (s.size() < 60) {
            const unsigned pick = rng() % 4;
            const unsigned cp = pick == 0 ? rng() % 0x800 : pick == 1 ? rng() % 0x10000 : rng() % 0x110000;
            if (pick == 3 || (cp >= 0xD800 && cp <= 0xDFFF))
                s.push_back(static_cast<char>(rng() & 0xFF));
            else
                s += UTF8Encode(utf16(cp));
        }
        SCOPED_TRACE(round);
        WideString read;
        for (const char *p = s.data(), *end = s.data() + s.size(); p < end;) {
            unsigned cp = 0;
            const char* next = Utf8CharAt(p, end, cp);
            ASSERT_EQ(next, CharNextExA(CP_UTF8, p, end));
            read += utf16(cp);
            p = next;
        }
        EXPECT_EQ(read, UTF8Decode(s));
    }
}

} // namespace

TEST(UniCaseTest, LengthNeverChanges)
{
    // Full mappings would lengthen these; the simple mapping leaves them.
    EXPECT_EQ(Upper(u"\u00DF\uFB01\u0149"), u"\u00DF\uFB01\u0149");
    // Lone surrogates stay as they are, and so do their neighbours' pairs.
    const WideChar lone[] = {0xDC28, u'a', 0xD801, 0};
    const WideChar loneUpper[] = {0xDC28, u'A', 0xD801, 0};
    EXPECT_EQ(Upper(lone), loneUpper);
    WideString cut = u"\U00010428";
    EXPECT_EQ(CharUpperBuffW(cut.data(), 1), 1); // half of the pair is not a code point
    EXPECT_EQ(cut, u"\U00010428");
}

TEST_F(CodePages, UnconvertibleAnsiCodePageGivesQuestionMarks)
{
    SetACP(12345);
    EXPECT_EQ(AnsiToWide("ab", 54321), u"??");
    EXPECT_EQ(WideToAnsi(u"abc", 54321), "???");
    EXPECT_EQ(MultiByteToWideChar(54321, 0, "ab", 2, nullptr, 0), 0);
}
