// Item text in characters, code pages, the UTF-16 file test, UTF-8 decoding,
// HTML escaping and capitals.
#include "document/rvuni.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "document/rvfmisc.h"
#include "document/rvstr.h"
#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "platform/core/codepages.h"
#include "platform/core/inifiles.h"
#include "platform/core/streams.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/tempdir.h"

namespace {

const TRVItemOptions Ansi;
const TRVItemOptions Uni{rvioUnicode};

AnsiString Raw(const WideString& s)
{
    return RVU_GetRawUnicode(s);
}

AnsiString Bytes(std::initializer_list<int> bytes)
{
    AnsiString s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

// Sets the ANSI code page for one test and returns to the locale's afterwards.
class CodePageTest : public ::testing::Test {
protected:
    void TearDown() override { SetACP(0); }
};

} // namespace

// ---------------------------------------------------------------------------
// Strings in characters

TEST(RVUniStringTest, LengthCountsBytesOrUnits)
{
    EXPECT_EQ(RVU_Length("abc", Ansi), 3);
    EXPECT_EQ(RVU_Length(Raw(u"abc"), Uni), 3);
    EXPECT_EQ(RVU_Length(Raw(u"a\U0001F600"), Uni), 3); // a pair is two characters
    EXPECT_EQ(RVU_Length("abc", Uni), 1);               // an odd byte is no character
    EXPECT_EQ(RVU_Length("", Uni), 0);
}

TEST(RVUniStringTest, CopyDeleteInsertWorkInCharacters)
{
    EXPECT_EQ(RVU_Copy(Raw(u"h\u00E9llo"), 2, 3, Uni), Raw(u"\u00E9ll"));
    EXPECT_EQ(RVU_Copy(Raw(u"hello"), 4, 10, Uni), Raw(u"lo"));
    EXPECT_EQ(RVU_Copy(Raw(u"hello"), 6, 1, Uni), "");

    AnsiString s = Raw(u"hello");
    RVU_Delete(s, 2, 2, Uni);
    EXPECT_EQ(s, Raw(u"hlo"));
    RVU_Delete(s, 4, 1, Uni); // past the end: nothing
    EXPECT_EQ(s, Raw(u"hlo"));
    RVU_Delete(s, 3, 5, Uni);
    EXPECT_EQ(s, Raw(u"hl"));

    s = Raw(u"abc");
    RVU_Insert(Raw(u"XY"), s, 2, Uni);
    EXPECT_EQ(s, Raw(u"aXYbc"));
    RVU_Insert(Raw(u"!"), s, 6, Uni);
    EXPECT_EQ(s, Raw(u"aXYbc!"));
}

TEST(RVUniStringTest, IsSpaceTakesOnlyTheSpaceItself)
{
    EXPECT_FALSE(RVU_IsSpace("\t", 1, Ansi));
    const AnsiString s = Raw(u" \u3000\u00A0\u0120");
    EXPECT_TRUE(RVU_IsSpace(s, 1, Uni));
    EXPECT_FALSE(RVU_IsSpace(s, 2, Uni)); // ideographic space
    EXPECT_FALSE(RVU_IsSpace(s, 3, Uni)); // no-break space
    EXPECT_FALSE(RVU_IsSpace(s, 4, Uni)); // low byte 0x20 is not enough
    EXPECT_FALSE(RVU_IsSpace(s, 0, Uni));
    EXPECT_FALSE(RVU_IsSpace(s, 5, Uni));
    EXPECT_FALSE(RVU_IsSpace(" ", 1, Uni)); // half a unit
}

TEST(RVUniStringTest, StrScanWSearchesBeyond65535Units)
{
    WideString text(70000, u'a');
    text[65541] = u'x';
    EXPECT_EQ(RVU_StrScanW(text.data(), u'x', 70000), text.data() + 65541);
    EXPECT_EQ(RVU_StrScanW(text.data(), u'x', 65541), nullptr);
    EXPECT_EQ(RVU_StrScanW(text.data(), u'a', 0), nullptr);
    EXPECT_EQ(RVU_StrScanW(text.data(), u'z', 70000), nullptr);
    EXPECT_EQ(RVU_StrScanW(nullptr, u'a', 5), nullptr);
}

TEST(RVUniStringTest, RawUnicodeAndWideStringsHoldTheSameUnits)
{
    const WideString w = u"A\u00E9\u20AC\U0001F600";
    const AnsiString raw = RVU_GetRawUnicode(w);
    EXPECT_EQ(raw, Bytes({0x41, 0, 0xE9, 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE}));
    EXPECT_EQ(RVU_RawUnicodeToWideString(raw), w);
    EXPECT_EQ(RVU_RawUnicodeToWideString(""), u"");

    AnsiString bigEndian = Bytes({0x00, 0x41, 0x20, 0xAC});
    RVU_SwapWordBytes(bigEndian.data(), 2);
    EXPECT_EQ(RVU_RawUnicodeToWideString(bigEndian), u"A\u20AC");
}

TEST(RVUniStringTest, OddByteLengthsRaise)
{
    EXPECT_NO_THROW(RVCheckUni(4));
    EXPECT_THROW(RVU_RawUnicodeToWideString("abc"), ERollViewError);
    EXPECT_THROW(RVU_UnicodeToAnsi(1252, "abc"), ERollViewError);
}

// Decoding takes whole units, low byte first at any address, and leaves a
// trailing odd byte out; only the conversion of text that must be whole
// refuses it.
TEST(RVUniStringTest, WholeUnitsLeaveAnOddByteOut)
{
    const AnsiString raw = "x" + RVU_GetRawUnicode(u"A\u20AC\U0001F600");
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(RVU_RawUnicodeUnit(raw.data() + 1, i), (u"A\u20AC\U0001F600")[i]) << i;
    const struct {
        AnsiString Bytes;
        WideString Units;
    } Cases[] = {
        {"", u""}, {"a", u""}, {Bytes({0x41, 0, 0x42}), u"A"}, {raw.substr(1) + "z", u"A\u20AC\U0001F600"}};
    for (const auto& c : Cases) {
        SCOPED_TRACE(c.Bytes.size());
        EXPECT_EQ(RVU_RawUnicodeUnits(c.Bytes), c.Units);
        if (c.Bytes.size() % 2 != 0)
            EXPECT_THROW(RVU_RawUnicodeToWideString(c.Bytes), ERollViewError);
        else
            EXPECT_EQ(RVU_RawUnicodeToWideString(c.Bytes), c.Units);
    }
}

// Every reader of raw Unicode text takes the same whole units from a text of
// odd byte length and leaves the last byte out: a text style drawing it, the
// capitals of it, its measure and a list level's format string read from an
// ini file.
TEST(RVUniStringTest, EveryReaderLeavesTheSameOddByteOut)
{
    const WideString units = u"a\u00E9\u05D0";
    const AnsiString odd = Raw(units) + "\x42";
    TRVStyle style(nullptr);
    TRecordingCanvas canvas;
    TFontInfo* font = style.TextStyles()->Add();
    font->SetUnicode(true);
    font->Draw(odd, &canvas, font->Index(), 0, 0, 0, 100, 13, &style, {}, false, false, rvcmColor,
               rvbdUnspecified);
    const auto texts = canvas.RecordsOf(TCanvasOp::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->Text, units);

    // The capitals of the units; the odd byte stays as it is.
    EXPECT_EQ(RV_ReturnCapitalized(odd, true, true), Raw(u"A\u00C9\u05D0") + "\x42");

    TSize measured, whole;
    ASSERT_TRUE(RVU_TextExtent(odd, &canvas, Uni, measured));
    ASSERT_TRUE(RVU_TextExtent(Raw(units), &canvas, Uni, whole));
    EXPECT_GT(whole.cx, 0);
    EXPECT_EQ(measured.cx, whole.cx);

    TMemIniFile ini("");
    ini.WriteString("S", "LvlFormatStringW", RVEncodeString(odd));
    TRVListLevel* level = style.ListStyles()->Add()->Levels()->Add();
    level->LoadFromINI(&ini, "S", "Lvl%s");
    EXPECT_EQ(level->FormatStringW(), units);
}

// ---------------------------------------------------------------------------
// Code pages

TEST_F(CodePageTest, AnsiToUnicodeConvertsInTheCodePage)
{
    EXPECT_EQ(RVU_AnsiToUnicode(1252, "a\x80"), Raw(u"a\u20AC"));
    EXPECT_EQ(RVU_AnsiToUnicode(1251, "\xC0"), Raw(u"\u0410"));
    EXPECT_EQ(RVU_AnsiToUnicode(932, "\x82\xA0"), Raw(u"\u3042"));
    EXPECT_EQ(RVU_AnsiToUnicode(1252, ""), "");
}

TEST_F(CodePageTest, AnsiToUnicodeFallsBackToTheAnsiCodePageThenToQuestionMarks)
{
    SetACP(CP_UTF8);
    EXPECT_EQ(RVU_AnsiToUnicode(54321, "ab\xC3\xA9"), Raw(u"ab\u00E9"));
    SetACP(1251);
    EXPECT_EQ(RVU_AnsiToUnicode(54321, "\xC0"), Raw(u"\u0410"));
    // An ANSI code page that cannot be converted either: nothing converts.
    SetACP(54320);
    EXPECT_EQ(RVU_AnsiToUnicode(54321, "abc"), Raw(u"???"));
    EXPECT_EQ(RVU_UnicodeToAnsi(54321, Raw(u"ab")), "??");
}

TEST_F(CodePageTest, UnicodeToAnsiConvertsWithTheDefaultCharacter)
{
    EXPECT_EQ(RVU_UnicodeToAnsi(1252, Raw(u"a\u20AC")), "a\x80");
    EXPECT_EQ(RVU_UnicodeToAnsi(1252, Raw(u"a\u4E00b")), "a?b");
    EXPECT_EQ(RVU_UnicodeToAnsi(1252, ""), "");
    SetACP(CP_UTF8);
    EXPECT_EQ(RVU_UnicodeToAnsi(CP_ACP, Raw(u"\u00E9\U0001F600")), "\xC3\xA9\xF0\x9F\x98\x80");
    SetACP(1250);
    EXPECT_EQ(RVU_UnicodeToAnsi(54321, Raw(u"\u0141")), "\xA3");
}

TEST_F(CodePageTest, KeyboardTextUsesTheAnsiCodePage)
{
    SetACP(1251);
    EXPECT_EQ(RVU_GetKeyboardCodePage(), 1251u);
    EXPECT_EQ(RVU_KeyToUnicode("\xC0\xE0"), Raw(u"\u0410\u0430"));
    SetACP(CP_UTF8);
    EXPECT_EQ(RVU_GetKeyboardCodePage(), 65001u);
    EXPECT_EQ(RVU_KeyToUnicode("\xC3\xA9"), Raw(u"\u00E9"));
}

// ---------------------------------------------------------------------------
// UTF-16 file test

TEST(RVUniFileTest, TellsUtf16FilesApart)
{
    TempDir dir;
    EXPECT_EQ(RV_TestFileUnicode(dir.Write("empty", "")), rvutEmpty);
    EXPECT_EQ(RV_TestFileUnicode(dir.Write("odd", "abc")), rvutNo);
    EXPECT_EQ(RV_TestFileUnicode(dir.Write("le", Bytes({0xFF, 0xFE, 'a', 'b'}))), rvutYes);
    EXPECT_EQ(RV_TestFileUnicode(dir.Write("be", Bytes({0xFE, 0xFF, 'a', 'b'}))), rvutYes);
    EXPECT_EQ(RV_TestFileUnicode(dir.Write("mark", Bytes({0xFF, 0xFE}))), rvutYes);
    EXPECT_EQ(RV_TestFileUnicode(dir.Write("crlf", "ab\r\n")), rvutProbably);
    EXPECT_EQ(RV_TestFileUnicode(dir.Write("zero", Bytes({'a', 0, 'b', 0}))), rvutYes);
    // A zero byte in the first unit, or past the 500 bytes after it, is not looked at.
    EXPECT_EQ(RV_TestFileUnicode(dir.Write("first", Bytes({'a', 0}))), rvutProbably);
    AnsiString text(600, 'a');
    text[501] = '\0';
    EXPECT_EQ(RV_TestFileUnicode(dir.Write("last", text)), rvutYes);
    text[501] = 'a';
    text[502] = '\0';
    EXPECT_EQ(RV_TestFileUnicode(dir.Write("beyond", text)), rvutProbably);
}

TEST(RVUniFileTest, UnreadableFilesGiveError)
{
    TempDir dir;
    EXPECT_EQ(RV_TestFileUnicode(dir.File("missing")), rvutError);
    EXPECT_EQ(RV_TestFileUnicode(dir.Path()), rvutError);
    const AnsiString fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(RV_TestFileUnicode(fifo), rvutError);
}

// ---------------------------------------------------------------------------
// UTF-8

TEST(RVUniUtf8Test, DecodesEveryLengthOfSequence)
{
    EXPECT_EQ(Utf8Decode("abc"), u"abc"); // the last character is kept
    EXPECT_EQ(Utf8Decode("\xC3\xA9"), u"\u00E9");
    EXPECT_EQ(Utf8Decode("\xE2\x82\xAC"), u"\u20AC");
    EXPECT_EQ(Utf8Decode("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(Utf8Decode("a\xF0\x9F\x98\x80z"), u"a\U0001F600z");
    EXPECT_EQ(Utf8Decode(AnsiString("a\0b", 3)), WideString(u"a\0b", 3));
    // The edges around the surrogates and at the top.
    EXPECT_EQ(Utf8Decode("\xED\x9F\xBF"), u"\uD7FF");
    EXPECT_EQ(Utf8Decode("\xEE\x80\x80"), u"\uE000");
    EXPECT_EQ(Utf8Decode("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
}

TEST(RVUniUtf8Test, MalformedInputGivesNothing)
{
    const char* const malformed[] = {
        "\xC3",          // cut off
        "a\xF0\x9F\x98", // cut off after three of four
        "\x80",          // a continuation byte alone
        "\xC0\x80",      // overlong forms
        "\xC1\xBF",
        "\xE0\x80\x80",
        "\xE0\x9F\xBF",
        "\xF0\x80\x80\x80",
        "\xF0\x8F\xBF\xBF",
        "\xED\xA0\x80", // a surrogate
        "\xED\xBF\xBF",
        "\xF4\x90\x80\x80", // above U+10FFFF
        "\xF5\x80\x80\x80",
        "\xFF",
        "\xE2\x28\xA1", // a continuation that is not one
        "\xC3\xA9\xC3(",
    };
    for (const char* s : malformed)
        EXPECT_EQ(Utf8Decode(s), u"") << ::testing::PrintToString(AnsiString(s));
}

TEST(RVUniUtf8Test, BufferConversionCountsAndStopsAtTheBuffer)
{
    const AnsiString s = "\xC3\xA9\xF0\x9F\x98\x80z";
    EXPECT_EQ(RVU_Utf8ToUnicodeBuf(nullptr, 0, s.data(), static_cast<int>(s.size())), 5);
    EXPECT_EQ(RVU_Utf8ToUnicodeBuf(nullptr, 0, nullptr, 4), 0);
    EXPECT_EQ(RVU_Utf8ToUnicodeBuf(nullptr, 0, "\xC3", 1), -1);

    WideChar buf[8];
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(RVU_Utf8ToUnicodeBuf(buf, 8, s.data(), static_cast<int>(s.size())), 5);
    EXPECT_EQ(WideString(buf, 5), WideString(u"\u00E9\U0001F600z\0", 5));

    // Full buffers: the terminator ends what fits, and a pair is never cut.
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(RVU_Utf8ToUnicodeBuf(buf, 3, "abc", 3), 3);
    EXPECT_EQ(WideString(buf, 4), WideString(u"ab\0#", 4));
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(RVU_Utf8ToUnicodeBuf(buf, 3, s.data(), static_cast<int>(s.size())), 2);
    EXPECT_EQ(WideString(buf, 3), WideString(u"\u00E9\0#", 3));
    EXPECT_EQ(RVU_Utf8ToUnicodeBuf(buf, 0, "abc", 3), 0);
    EXPECT_EQ(buf[0], u'\u00E9'); // untouched
    EXPECT_EQ(RVU_Utf8ToUnicodeBuf(buf, 4, "", 0), 1);
    EXPECT_EQ(buf[0], 0);
}

// ---------------------------------------------------------------------------
// HTML

namespace {

AnsiString Html(const WideString& s, bool noEmptyLines = false, bool specialCode = false)
{
    return RVU_GetHTMLEncodedUnicode(Raw(s), noEmptyLines, specialCode);
}

} // namespace

TEST(RVUniHtmlTest, SpacesAlternateWithNonBreakingOnes)
{
    EXPECT_EQ(Html(u" a"), "&nbsp;a");
    EXPECT_EQ(Html(u"   "), "&nbsp; &nbsp;");
    EXPECT_EQ(Html(u"a    b"), "a &nbsp; &nbsp;b");
    EXPECT_EQ(Html(u"a b c"), "a b c");
}

TEST(RVUniHtmlTest, EscapesMarkupAndWritesReferences)
{
    EXPECT_EQ(Html(u"a<b>&c\"'"), "a&lt;b&gt;&amp;c\"'");
    EXPECT_EQ(Html(u"\u00E9"), "&#233;");
    EXPECT_EQ(Html(u"\u0080\u20AC\uFFFF"), "&#128;&#8364;&#65535;");
    EXPECT_EQ(Html(u"\u00E9 x"), "&#233; x");
    // Unescaped: only what is below 128 passes as it is.
    EXPECT_EQ(Html(u"<b> \u00E9 </b>", false, true), "<b> &#233; </b>");
}

TEST(RVUniHtmlTest, OneReferencePerCodePoint)
{
    EXPECT_EQ(Html(u"\U0001F600"), "&#128512;");
    EXPECT_EQ(Html(u"a\U0010FFFFb"), "a&#1114111;b");
    const WideChar loneHigh[] = {0xD83D, u'a', 0};
    const WideChar loneLow[] = {u'a', 0xDE00, 0};
    const WideChar reversed[] = {0xDE00, 0xD83D, 0};
    EXPECT_EQ(Html(loneHigh), "&#65533;a");
    EXPECT_EQ(Html(loneLow), "a&#65533;");
    EXPECT_EQ(Html(reversed), "&#65533;&#65533;");
    const WideChar highAtEnd[] = {u'a', 0xD83D, 0};
    EXPECT_EQ(Html(highAtEnd), "a&#65533;");
}

TEST(RVUniHtmlTest, EmptyTextAndOddBytes)
{
    EXPECT_EQ(Html(u""), "");
    EXPECT_EQ(Html(u"", true), "&nbsp;");
    EXPECT_EQ(RVU_GetHTMLEncodedUnicode("a", true, false), "&nbsp;"); // half a unit is no text
    EXPECT_EQ(RVU_GetHTMLEncodedUnicode(Raw(u"ab") + "c", false, false), "ab");
}

TEST(RVUniHtmlTest, StreamGetsTheSameText)
{
    WideString longText;
    for (int i = 0; i < 20000; ++i)
        longText += u"a <\u00E9\U0001F600 ";
    for (const WideString& s : {WideString(u"a  <b>"), WideString(u""), longText}) {
        TMemoryStream stream;
        RVU_WriteHTMLEncodedUnicode(stream, Raw(s), true, false);
        const char* bytes = static_cast<const char*>(stream.Memory());
        const AnsiString written(bytes, static_cast<size_t>(stream.Size()));
        EXPECT_EQ(written, Html(s, true));
    }
}

// ---------------------------------------------------------------------------
// Capitals

TEST(RVUniCapitalsTest, TextStylesSayWhetherAndHow)
{
    TFontInfo style(nullptr);
    EXPECT_EQ(RV_ReturnCapitalized("abc", &style), "abc");
    style.SetStyleEx(TRVFontStyles{rvfsAllCaps});
    EXPECT_EQ(RV_ReturnCapitalized("abc", &style), "ABC");
    style.SetUnicode(true);
    EXPECT_EQ(RV_ReturnCapitalized(Raw(u"a\u00E9"), &style), Raw(u"A\u00C9"));
    style.SetStyleEx(TRVFontStyles{rvfsOverline});
    EXPECT_EQ(RV_ReturnCapitalized(Raw(u"a"), &style), Raw(u"a"));
}

TEST(RVUniCapitalsTest, UnicodeKeepsItsLength)
{
    EXPECT_EQ(RV_ReturnCapitalized(Raw(u"stra\u00DFe \u01C6 \uFB01"), true, true),
              Raw(u"STRA\u00DFE \u01C4 \uFB01")); // no "SS", no "FI"
    EXPECT_EQ(RV_ReturnCapitalized(Raw(u"\U00010428x"), true, true), Raw(u"\U00010400X"));
    const WideChar lone[] = {u'a', 0xDC28, u'b', 0};
    const WideChar loneUpper[] = {u'A', 0xDC28, u'B', 0};
    EXPECT_EQ(RV_ReturnCapitalized(Raw(lone), true, true), Raw(loneUpper));
    EXPECT_EQ(RV_ReturnCapitalized(Raw(u"ab") + "c", true, true), Raw(u"AB") + "c");
}

TEST_F(CodePageTest, AnsiTextIsUpperCasedInTheAnsiCodePage)
{
    SetACP(CP_UTF8);
    EXPECT_EQ(RV_ReturnCapitalized("stra\xC3\x9F"
                                   "e \xC3\xA9",
                                   true, false),
              "STRA\xC3\x9F"
              "E \xC3\x89");
    // Dotless i becomes a one-byte "I": kept, so that offsets hold; a stray byte stays.
    EXPECT_EQ(RV_ReturnCapitalized("a\xC4\xB1z\xFF", true, false), "A\xC4\xB1Z\xFF");
    SetACP(1252);
    EXPECT_EQ(RV_ReturnCapitalized("\xE9\xFF\xDF", true, false), "\xC9\x9F\xDF");
    SetACP(1251);
    EXPECT_EQ(RV_ReturnCapitalized("\xE0z", true, false), "\xC0Z");
}

TEST(RVUniCharsetTest, CharsetsGiveTheirCodePagesAndLanguages)
{
    // Code page 0 is the ANSI code page; language 0x400 is "none".
    const struct {
        int Charset;
        unsigned CodePage, Language;
    } table[] = {{0, 1252, 0x400},   {1, 0, 0x400},      {77, 2, 0x400}, {128, 932, 0x411},
                 {204, 1251, 0x419}, {178, 1256, 0x400}, {254, 0, 0x400}};
    for (const auto& c : table) {
        EXPECT_EQ(RVU_Charset2CodePage(c.Charset), c.CodePage) << "charset " << c.Charset;
        EXPECT_EQ(RVU_Charset2Language(c.Charset), c.Language) << "charset " << c.Charset;
    }
}
