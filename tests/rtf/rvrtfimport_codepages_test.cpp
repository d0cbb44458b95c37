// RTF text in the code pages of its fonts: the letters stay the letters
// whatever style the text lands in, and LibreOffice's RTF of texts in
// several scripts reads back word for word.
#include <gtest/gtest.h>

#include <cstdio>

#include "document/rvuni.h"
#include "platform/core/codepages.h"
#include "tests/document/doctestdata.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/rtfimport.h"
#include "tests/support/tempdir.h"

namespace {

// The document's text as UTF-8, each item read in its style's code page,
// paragraphs divided by "\n".
std::string Letters(TCustomRVData& data)
{
    WideString all;
    TRVStyle* style = data.GetRVStyle();
    for (int i = 0; i < data.GetItemCount(); ++i) {
        const TCustomRVItemInfo* item = data.GetItem(i);
        if (i > 0 && !item->GetSameAsPrev())
            all += u'\n';
        if (item->StyleNo < 0)
            continue;
        const AnsiString& text = data.GetItemText(i);
        if (item->ItemOptions.Contains(rvioUnicode)) {
            all += WideString(reinterpret_cast<const WideChar*>(text.data()), text.size() / 2);
        } else {
            const int charset = style->TextStyles()->Items(item->StyleNo)->Charset();
            all += AnsiToWide(text, RVU_Charset2CodePage(charset));
        }
    }
    return UTF8Encode(all);
}

struct TScriptCase {
    const char* Name;
    const char* Rtf;
    const char* Expected;
};

const TScriptCase ScriptCases[] = {
    {"Central European", R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0\fcharset238 Arial CE;}}\f0 ra\'e8un})",
     "račun"},
    {"Cyrillic", R"({\rtf1\ansi{\fonttbl{\f0\fcharset204 Arial;}}\f0 \'c6\'e6})", "Жж"},
    {"Greek", R"({\rtf1\ansi{\fonttbl{\f0\fcharset161 Arial;}}\f0 \'e1\'e2\'e3})", "αβγ"},
    {"Turkish", R"({\rtf1\ansi{\fonttbl{\f0\fcharset162 Arial;}}\f0 \'f0\'fe})", "ğş"},
    {"a default-charset font in the document's code page",
     R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0 Arial;}}\f0 \'c6\'e6})", "Жж"},
    {"two fonts in one paragraph",
     R"({\rtf1\ansi{\fonttbl{\f0\fcharset238 A;}{\f1\fcharset204 B;}}\f0 \'e8{\f1 \'c6}\'e8})", "čЖč"},
};

// Style sheets that the text may meet.
enum TSheet { shDefault, shLatinOnly, shLatinAndUnicode, shLatinAndCyrillic };

void MakeSheet(TRVStyle& style, TSheet sheet)
{
    if (sheet == shDefault)
        return;
    style.TextStyles()->Clear();
    style.TextStyles()->Add()->SetCharset(ANSI_CHARSET);
    if (sheet == shLatinAndUnicode) {
        TFontInfo* unicode = style.TextStyles()->Add();
        unicode->SetUnicode(true);
    } else if (sheet == shLatinAndCyrillic) {
        style.TextStyles()->Add()->SetCharset(RUSSIAN_CHARSET);
    }
}

} // namespace

TEST_F(TRTFImportTest, BytesAreReadInTheCodePageOfTheirFont)
{
    for (TRVReaderStyleMode mode : {rvrsUseClosest, rvrsAddIfNeeded})
        for (TRVReaderUnicode unicode : {rvruNoUnicode, rvruOnlyUnicode})
            for (const TScriptCase& c : ScriptCases) {
                SCOPED_TRACE(std::string(c.Name) + " mode " + std::to_string(mode) + " unicode " +
                             std::to_string(unicode));
                Data.Clear();
                Props.SetTextStyleMode(mode);
                Props.SetUnicodeMode(unicode);
                ASSERT_EQ(Load(c.Rtf), rtf_ec_OK);
                EXPECT_EQ(Letters(Data), c.Expected);
                ExpectStylesInRange();
            }
}

TEST(RTFCodePages, AStyleThatCannotHoldTheLettersGivesWay)
{
    RV_RegisterRTFImport();
    const std::string cyrillic = R"({\rtf1\ansi{\fonttbl{\f0\fcharset204 Arial;}}\f0 \'c6\'e6})";
    const struct {
        TSheet Sheet;
        TRVReaderStyleMode Mode;
        const char* Expected;
        int Styles; // text styles after the load
    } cases[] = {
        {shLatinAndCyrillic, rvrsUseClosest, "Жж", 2},
        {shLatinAndUnicode, rvrsUseClosest, "Жж", 2},
        {shLatinOnly, rvrsAddIfNeeded, "Жж", 2},
        // Nothing holds the letters and nothing may be added: converted as well as can be.
        {shLatinOnly, rvrsUseClosest, "??", 1},
        // The specified style is the caller's choice.
        {shLatinOnly, rvrsUseSpecified, "??", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Sheet) + " mode " + std::to_string(c.Mode));
        TRVStyle style(nullptr);
        MakeSheet(style, c.Sheet);
        TRVRTFReaderProperties props;
        props.SetTextStyleMode(c.Mode);
        TRTFTestData data(&style, &props);
        TStringStream stream(cyrillic);
        ASSERT_EQ(props.ReadFromStream(stream, &data), rtf_ec_OK);
        EXPECT_EQ(Letters(data), c.Expected);
        EXPECT_EQ(style.TextStyles()->Count(), c.Styles);
    }
}

// Characters given as \u (or as \bullet, \~ and the like) where the import
// makes 8-bit text become the bytes of the font they are shown in: a symbol
// font's bullet is 0xB7 (its bytes U+F0xx are xx), a font of a character set
// takes that set's code page, whatever the document's code page is.
TEST_F(TRTFImportTest, CharactersBecomeTheBytesOfTheirFont)
{
    const std::string fonts =
        R"({\fonttbl{\f0\fcharset0 Arial;}{\f1\fcharset2 Symbol;}{\f2\fcharset204 Arial;})"
        R"({\f3\fcharset161 Arial;}})";
    auto bulletList = [&](const std::string& level) {
        return R"({\rtf1\ansi\ansicpg0)" + fonts + R"({\*\listtable{\list{\listlevel)" + level +
               R"(}\listid1}}{\*\listoverridetable{\listoverride\listid1\listoverridecount0\ls1}})"
               R"(\pard\ls1 x\par})";
    };
    const struct {
        const char* Name;
        std::string Rtf;
        const char* FormatString;
    } levels[] = {
        {"a bullet in a symbol font", bulletList(R"(\levelnfc23{\leveltext\'01\u8226 ?;}\f1)"), "\xB7"},
        {"the symbol font's own code", bulletList(R"(\levelnfc23\f1{\leveltext\'01\u-3913 ?;})"), "\xB7"},
        {"a bullet word in a symbol font", bulletList(R"(\levelnfc23{\leveltext\'01\bullet;}\f1)"), "\xB7"},
        {"a dash after the number", bulletList(R"(\levelnfc0{\leveltext\'02\'00\u8212 ?;}\f0)"), "%0:s\x97"},
        {"Greek after the number", bulletList(R"(\levelnfc0{\leveltext\'02\'00\u945 ?;}\f3)"), "%0:s\xE1"},
        {"an old-style bullet",
         R"({\rtf1\ansi\ansicpg0)" + fonts + R"({\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\u8226 ?}}\f0 x\par})",
         "\xB7"},
    };
    for (const auto& c : levels) {
        SCOPED_TRACE(c.Name);
        TRVStyle style(nullptr);
        TRVRTFReaderProperties props;
        props.SetParaStyleMode(rvrsAddIfNeeded);
        TRTFTestData data(&style, &props);
        TStringStream stream(c.Rtf);
        ASSERT_EQ(props.ReadFromStream(stream, &data), rtf_ec_OK);
        ASSERT_EQ(style.ListStyles()->Count(), 1);
        EXPECT_EQ(style.ListStyles()->Items(0)->Levels()->Items(0)->FormatString(), c.FormatString);
    }

    // Text runs: with no Unicode text wanted, with a style that takes no
    // Unicode, and with a symbol style that keeps its bytes.
    const struct {
        const char* Name;
        TRVReaderStyleMode Mode;
        TRVReaderUnicode Unicode;
        int SpecifiedCharset;
        const char* Body;
        const char* Bytes;
    } runs[] = {
        {"typographic words in a Latin font", rvrsUseClosest, rvruNoUnicode, 0, R"(\f0 a\bullet b\~c)",
         "a\x95"
         "b\xA0"
         "c"},
        {"a bullet word in a symbol font", rvrsUseSpecified, rvruNoUnicode, 2, R"(\f1 a\bullet b)",
         "a\xB7"
         "b"},
        {"Cyrillic into a Cyrillic style", rvrsUseSpecified, rvruMixed, 204, R"(\f2 \u1046?\u1078?)",
         "\xC6\xE6"},
        {"Greek into a Greek style", rvrsUseSpecified, rvruMixed, 161, R"(\f3 \u945?)", "\xE1"},
        {"Latin letters into a symbol style", rvrsUseSpecified, rvruNoUnicode, 2, R"(\f0 abc)", "abc"},
    };
    for (const auto& c : runs) {
        SCOPED_TRACE(c.Name);
        TRVStyle style(nullptr);
        style.TextStyles()->Items(0)->SetCharset(static_cast<TFontCharset>(c.SpecifiedCharset));
        TRVRTFReaderProperties props;
        props.SetTextStyleMode(c.Mode);
        props.SetUnicodeMode(c.Unicode);
        TRTFTestData data(&style, &props);
        TStringStream stream(R"({\rtf1\ansi\ansicpg0)" + fonts + c.Body + "}");
        ASSERT_EQ(props.ReadFromStream(stream, &data), rtf_ec_OK);
        ASSERT_EQ(data.GetItemCount(), 1);
        EXPECT_FALSE(data.GetItem(0)->ItemOptions.Contains(rvioUnicode));
        EXPECT_EQ(data.GetItemText(0), c.Bytes);
    }
}

// Our own RTF of 8-bit text in UTF-8, of Unicode text with a character
// beyond U+FFFF and of 8-bit Cyrillic reads back letter for letter whatever
// the import takes as Unicode, written with or without ANSI copies of the
// Unicode characters.
TEST(RTFCodePages, OwnTextReadsBackInEveryUnicodeMode)
{
    RV_RegisterRTFImport();
    SetACP(65001);
    TRVStyle sourceStyle(nullptr);
    TDocTestData source(&sourceStyle);
    TFontInfos* fonts = sourceStyle.TextStyles();
    fonts->Items(1)->SetUnicode(true);
    fonts->Items(2)->SetCharset(RUSSIAN_CHARSET);
    source.AddNL("caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80", 0, 0);
    source.AddNLWTag(u"Gr\u00FC\u00DFe \u2013 \u0395\u03BB \U0001F600!", 1, 0, TRVTag());
    source.AddNL("\xC6\xE6", 2, 0);
    const std::string expected = Letters(source);
    for (bool duplicate : {false, true}) {
        source.RTFOptions = duplicate ? TRVRTFOptions{rvrtfDuplicateUnicode} : TRVRTFOptions{};
        TMemoryStream rtf;
        ASSERT_TRUE(source.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr,
                                           nullptr, nullptr, 0));
        for (TRVReaderUnicode unicode : {rvruNoUnicode, rvruMixed, rvruOnlyUnicode}) {
            SCOPED_TRACE(std::string(duplicate ? "with" : "without") + " ANSI copies, unicode mode " +
                         std::to_string(unicode));
            TRVStyle style(nullptr);
            TRVRTFReaderProperties props;
            props.SetTextStyleMode(rvrsAddIfNeeded);
            props.SetUnicodeMode(unicode);
            TRTFTestData data(&style, &props);
            rtf.SetPosition(0);
            ASSERT_EQ(props.ReadFromStream(rtf, &data), rtf_ec_OK);
            EXPECT_EQ(Letters(data), expected);
        }
    }
    SetACP(0);
}

struct TScriptText {
    const char* Name;
    int Charset;
    const char* Text;
};

const TScriptText ScriptTexts[] = {
    {"ce", 238, "Příliš žluťoučký kůň úpěl ďábelské ódy. Zażółć gęślą jaźń. Árvíztűrő tükörfúrógép."},
    {"cyr", 204, "Съешь же ещё этих мягких французских булок, да выпей чаю."},
    {"greek", 161, "Ξεσκεπάζω την ψυχοφθόρα βδελυγμία. Άλφα βήτα γάμμα."},
    {"tr", 162, "Pijamalı hasta yağız şoföre çabucak güvendi. İstanbul ığdır."},
};

// LibreOffice run on files written into a folder of the test.
class TRTFLibreOffice : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!LibreOfficeAvailable())
            GTEST_SKIP() << "LibreOffice is not installed";
        RV_RegisterRTFImport();
    }
    // Writes a file of the folder and notes it for the next run.
    void Add(const std::string& name, const std::string& bytes)
    {
        Dir.Write(name, bytes);
        Files.push_back(Dir.File(name));
    }
    // Converts the noted files into Dir/out; false when LibreOffice failed.
    bool Soffice(const std::string& convertTo)
    {
        return LibreOfficeConvert(Dir.Path(), convertTo, Dir.File("out"), Files);
    }
    TempDir Dir;
    std::vector<std::string> Files;
};

std::string LoadLetters(const std::string& file, TRVReaderUnicode unicode)
{
    TRVStyle style(nullptr);
    TRVRTFReaderProperties props;
    props.SetUnicodeMode(unicode);
    TRTFTestData data(&style, &props);
    EXPECT_EQ(props.ReadFromFile(file, &data), rtf_ec_OK);
    return Letters(data);
}

// Texts in four scripts written as RTF by LibreOffice read back word for
// word. LibreOffice writes these letters as \u with a '?' for readers
// without Unicode, which get that fallback as the import's settings say.
TEST_F(TRTFLibreOffice, TextsInFourScriptsReadBackWordForWord)
{
    for (const TScriptText& t : ScriptTexts)
        Add(std::string(t.Name) + ".html",
            std::string("<html><head><meta charset=\"utf-8\"></head><body><p>") + t.Text +
                "</p></body></html>\n");
    ASSERT_TRUE(Soffice("rtf:Rich Text Format"));
    for (const TScriptText& t : ScriptTexts)
        for (TRVReaderUnicode unicode : {rvruMixed, rvruOnlyUnicode}) {
            SCOPED_TRACE(std::string(t.Name) + " unicode mode " + std::to_string(unicode));
            EXPECT_EQ(LoadLetters(Dir.File("out/" + std::string(t.Name) + ".rtf"), unicode), t.Text);
        }
}

// RTF whose letters are bytes in the code pages of their fonts' character
// sets, as older writers make it: in every Unicode mode the import reads
// the same text as LibreOffice does.
TEST_F(TRTFLibreOffice, FontCharsetBytesReadAsLibreOfficeReadsThem)
{
    for (const TScriptText& t : ScriptTexts) {
        const AnsiString bytes = WideToAnsi(UTF8Decode(t.Text), RVU_Charset2CodePage(t.Charset));
        std::string body;
        for (unsigned char c : bytes) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\'%02x", c);
            body += c < 128 ? std::string(1, static_cast<char>(c)) : std::string(hex);
        }
        Add(std::string(t.Name) + ".rtf",
            "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fswiss\\fcharset" +
                std::to_string(t.Charset) + " Arial;}}\\f0 A: {\\f1 " + body + "}\\par}");
    }
    ASSERT_TRUE(Soffice("txt:Text (encoded):UTF8"));
    for (const TScriptText& t : ScriptTexts) {
        std::string theirs = WithoutByteOrderMark(Dir.Read(Dir.File("out/" + std::string(t.Name) + ".txt")));
        while (!theirs.empty() && (theirs.back() == '\n' || theirs.back() == '\r'))
            theirs.pop_back();
        ASSERT_EQ(theirs, std::string("A: ") + t.Text);
        for (TRVReaderUnicode unicode : {rvruNoUnicode, rvruMixed, rvruOnlyUnicode}) {
            SCOPED_TRACE(std::string(t.Name) + " unicode mode " + std::to_string(unicode));
            EXPECT_EQ(LoadLetters(Dir.File(t.Name + std::string(".rtf")), unicode), theirs);
        }
    }
}
