// The RTF writer: escaping, Unicode, units, the header and its tables, list
// tables, bookmarks, hyperlinks, selections, a document with every item kind,
// and documents read back by real RTF readers when they are installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>

#include "document/crvdata.h"
#include "document/crvdata_rtfsave.h"
#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/controls.h"
#include "platform/core/codepages.h"
#include "platform/core/colors.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/imagelist.h"
#include "tests/document/doctestdata.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/tempdir.h"

namespace {

AnsiString Contains(const AnsiString& Text, const AnsiString& Part)
{
    return Text.find(Part) != AnsiString::npos ? AnsiString() : "missing: " + Part + "\nin: " + Text;
}
#define EXPECT_CONTAINS(Text, Part) EXPECT_EQ(Contains(Text, Part), "")

int CountOf(const AnsiString& Text, const AnsiString& Part)
{
    int Count = 0;
    for (size_t p = Text.find(Part); p != AnsiString::npos; p = Text.find(Part, p + 1))
        ++Count;
    return Count;
}

AnsiString Utf16(const char16_t* s)
{
    return RVU_GetRawUnicode(WideString(s));
}

// A style sheet with fixed fonts, so that output does not depend on defaults.
void SetUpStyles(TRVStyle& Style)
{
    TFontInfos* Text = Style.TextStyles();
    for (int i = 0; i < Text->Count(); ++i) {
        Text->Items(i)->SetFontName("Arial");
        Text->Items(i)->SetSize(10);
        Text->Items(i)->SetCharset(DEFAULT_CHARSET);
    }
}

class RTFWriterTest : public ::testing::Test {
public:
    RTFWriterTest() : Data(&Style)
    {
        SetUpStyles(Style);
        RV_SeedRTFListIds(1);
    }
    ~RTFWriterTest() override { RollViewPixelsPerInch = 0; }

    AnsiString Save(bool SelectionOnly = false)
    {
        TMemoryStream Stream;
        EXPECT_TRUE(Data.SaveRTFToStream(Stream, SelectionOnly, 0, clWindow, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr, 0));
        return StreamBytes(Stream);
    }

    TRVStyle Style{nullptr};
    TDocTestData Data;
};

} // namespace

// ---------------------------------------------------------------------------
// Escaping and units

TEST(RTFEscaping, TextBytesAndNames)
{
    EXPECT_EQ(RVMakeRTFStr("{a}", false), "\\{a\\}");
    EXPECT_EQ(RVMakeRTFStr("a\\b", false), "a\\\\b");
    EXPECT_EQ(RVMakeRTFStr("{\\b a}", true), "{\\b a}") << "RTF code passes unchanged";
    EXPECT_EQ(RVMakeRTFStr("caf\xE9", false), "caf\\'e9");
    EXPECT_EQ(RVMakeRTFStr("a\tb\r\n", false), "a\\'09b\\'0d\\'0a");
    EXPECT_EQ(RVMakeRTFStr(AnsiString("\x19\x1A", 2), false), "\\'19\x1A") << "bytes below 26";

    EXPECT_EQ(RVMakeRTFFontName("Times New Roman"), "Times New Roman");
    EXPECT_EQ(RVMakeRTFFontName("A{b};c\\"), "A\\{b\\}\\'3bc\\\\");
    EXPECT_EQ(RVMakeRTFStyleName("H{1}\\x;y"), "H_1__x\\'3by");
    EXPECT_EQ(RVMakeRTFBookmarkName("a b-c\xE9"
                                    "9"),
              "a_b_c_9");
}

TEST(RTFEscaping, UnicodeUnits)
{
    const auto Write = [](const AnsiString& s, unsigned CodePage, bool Duplicate, bool Special) {
        TMemoryStream Stream;
        RVWriteUnicodeRTFStr(Stream, s, CodePage, Duplicate, Special);
        return StreamBytes(Stream);
    };
    EXPECT_EQ(Write(Utf16(u"\u4E2D"), 1252, false, false), "\\u20013 ");
    EXPECT_EQ(Write(Utf16(u"\uFF21"), 1252, false, false), "\\u-223 ");
    EXPECT_EQ(Write(Utf16(u"{x}\u00E9"), 1252, false, false), "\\{x\\}\\u233 ");
    EXPECT_EQ(Write(Utf16(u"{x}"), 1252, false, true), "{x}");
    // With the ANSI text after each character: one byte needs no skip count.
    EXPECT_EQ(Write(Utf16(u"\u00E9"), 1252, true, false), "\\u233 \\'e9");
    // Two bytes in a double-byte code page: the skip count around them.
    EXPECT_EQ(Write(Utf16(u"\u4E2D"), 936, true, false), "\\uc2\\u20013 \\'d6\\'d0\\uc1 ");
    // A character beyond U+FFFF: its ANSI text, converted whole, after its first half.
    EXPECT_EQ(Write(Utf16(u"\U0001F600"), 65001, true, false),
              "\\uc4\\u-10179 \\'f0\\'9f\\'98\\'80\\uc0\\u-8704 \\uc1 ");
    EXPECT_EQ(Write(Utf16(u"\U0001F600"), 1252, true, false), "\\u-10179 ?\\uc0\\u-8704 \\uc1 ");
    EXPECT_EQ(Write(Utf16(u"\U0001F600"), 1252, false, false), "\\u-10179 \\u-8704 ");
    EXPECT_EQ(Write(AnsiString("A\0B", 3), 1252, false, false), "A") << "an odd last byte is ignored";
}

TEST(RTFEscaping, TwipsFollowThePixelsPerInch)
{
    EXPECT_DOUBLE_EQ(RV_GetRTFTwipsPerPixel(), 15.0);
    EXPECT_EQ(RV_PixelsToTwips(10, 15), 150);
    RollViewPixelsPerInch = 120;
    EXPECT_DOUBLE_EQ(RV_GetRTFTwipsPerPixel(), 12.0);
    RollViewPixelsPerInch = 0;
    // Halves to even.
    EXPECT_EQ(RV_PixelsToTwips(1, 2.5), 2);
    EXPECT_EQ(RV_PixelsToTwips(1, 3.5), 4);
}

TEST(RTFEscaping, SeededListIdsRepeatAndStayInRange)
{
    RV_SeedRTFListIds(77);
    std::vector<int> First;
    for (int i = 0; i < 50; ++i)
        First.push_back(RV_NextRTFListId());
    RV_SeedRTFListIds(77);
    for (int i = 0; i < 50; ++i) {
        const int Id = RV_NextRTFListId();
        EXPECT_EQ(Id, First[static_cast<size_t>(i)]);
        EXPECT_GE(Id, 0);
        EXPECT_LE(Id, 2147483646);
    }
    RV_SeedRTFListIds(78);
    EXPECT_NE(RV_NextRTFListId(), First[0]);
}

// ---------------------------------------------------------------------------
// Header, styles and paragraphs

TEST_F(RTFWriterTest, EmptyDocumentOrRangeWritesNothing)
{
    EXPECT_EQ(Save(), "");
    TDocTestData Selection(&Style);
    Selection.Select(-1, 0, -1, 0);
    Selection.AddNL("text", 0, 0);
    TMemoryStream Stream;
    EXPECT_TRUE(Selection.SaveRTFToStream(Stream, true, 0, clWindow, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr, 0));
    EXPECT_EQ(Stream.Size(), 0);
}

// Documents built by a step each and the fragments of RTF they must write.
TEST_F(RTFWriterTest, FragmentsOfTheHeaderStylesAndParagraphs)
{
    const struct {
        const char* Name;
        std::function<void(RTFWriterTest&)> Build;
        std::vector<const char*> Fragments;
    } Cases[] = {
        {"code page, language, fonts and colours",
         [](RTFWriterTest& t) {
             t.Style.TextStyles()->Items(0)->SetCharset(204);
             t.Style.TextStyles()->Items(1)->SetFontName("Odd{Font};Name");
             t.Style.TextStyles()->Items(1)->SetColor(TColor(0x123456));
             t.Data.AddNL("x", 0, 0);
         },
         {"{\\rtf1\\ansi\\ansicpg0\\uc1\\deff0\\deflang1049\\deflangfe1049{\\fonttbl",
          "{\\f1\\fnil\\fcharset1 Odd\\{Font\\}\\'3bName;}",
          // The automatic colour, the sixteen standard ones, then those of the styles.
          "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;", "\\red86\\green52\\blue18;",
          "}\r\n\\uc0\r\n\\pard\\fi0\\li0\\ql\\ri0\\sb0\\sa0\\itap0 \\plain \\f0"}},
        {"shifted sizes doubled, character formatting, indents in twips",
         [](RTFWriterTest& t) {
             TFontInfos* f = t.Style.TextStyles();
             f->Items(1)->SetVShift(30);
             f->Items(2)->SetVShift(-30);
             f->Items(3)->SetStyle(TFontStyles{fsBold, fsItalic, fsUnderline, fsStrikeOut});
             f->Items(3)->SetCharScale(150);
             f->Items(3)->SetCharSpacing(2);
             f->Items(3)->SetStyleEx(TRVFontStyles{rvfsAllCaps});
             f->Items(3)->SetBackColor(clYellow);
             t.Style.ParaStyles()->Items(0)->SetLeftIndent(10);
             t.Data.AddNL("sup", 1, 0);
             t.Data.AddNL("sub", 2, -1);
             t.Data.AddNL("bold", 3, -1);
         },
         {"\\f0\\b\\super\\fs40\\cf2 sup", "\\f0\\b\\sub\\fs40\\cf9 sub",
          "\\f0\\b\\i\\ul\\strike\\charscalex150\\expndtw30\\caps\\fs20\\chcbpat7\\cf13 bold",
          "\\fi0\\li150\\ql"}},
        {"style sheet, paragraph formatting and borders",
         [](RTFWriterTest& t) {
             TParaInfo* Para = t.Style.ParaStyles()->Items(1);
             Para->SetAlignment(rvaJustify);
             Para->SetRightIndent(2);
             Para->SetSpaceBefore(4);
             Para->SetSpaceAfter(6);
             Para->SetLineSpacing(150);
             Para->SetStyleName("Body {main}");
             Para->Border()->SetStyle(rvbThickInside);
             Para->Border()->SetColor(clRed);
             Para->Border()->BorderOffsets()->SetAll(2);
             Para->Border()->VisibleBorders()->SetValues(true, false, true, false);
             Para->Background()->SetColor(clYellow);
             t.Data.RTFOptions = TRVRTFOptions{rvrtfSaveStyleSheet};
             t.Data.AddNL("p", 0, 1);
         },
         {"{\\stylesheet{\\s0\\fi0\\li0\\ql\\ri0\\sb0\\sa0 Paragraph Style;}",
          // Thick lines inside: thick-thin on the left, thin-thick on the right, twice as wide.
          "{\\s1\\sl360\\slmult1\\fi0\\li0\\qj\\ri30\\sb60\\sa90\\cbpat7\\brdrbtw"
          "\\brdrl\\brsp30\\brdrthtnmg\\brdrcf6\\brdrw30\\brdrr\\brsp30\\brdrtnthmg\\brdrcf6\\brdrw30 "
          "Body _main_;}",
          "{\\*\\cs2\\f0\\fs20 Normal text;}{\\*\\cs3\\f0\\b\\fs20\\cf2 Heading;}",
          "\\itap0 \\plain \\cs2\\f0\\fs20 p}"}},
        {"a hyperlink's target escaped",
         [](RTFWriterTest& t) {
             t.Style.TextStyles()->Items(4)->SetJump(true);
             t.Data.AddNL("here", 4, 0);
             t.Data.GetItem(0)->SetJumpID(3);
             t.Data.URLs[3] = "http://x/?a=\"b\"&c={d}";
         },
         {"{\\field{\\*\\fldinst HYPERLINK \"http://x/?a=%22b%22&c=\\{d\\}\"}"}},
    };
    for (const auto& c : Cases) {
        SCOPED_TRACE(c.Name);
        Style.ResetTextStyles();
        Style.ResetParaStyles();
        SetUpStyles(Style);
        Data.Clear();
        Data.RTFOptions = TRVRTFOptions();
        c.Build(*this);
        const AnsiString RTF = Save();
        for (const char* Fragment : c.Fragments)
            EXPECT_CONTAINS(RTF, Fragment);
    }
    // Without a target a hyperlink makes no field.
    Data.Clear();
    Data.AddNL("nowhere", 4, 0);
    EXPECT_EQ(CountOf(Save(), "HYPERLINK"), 0);
    // Twips follow the pixels per inch.
    Style.ParaStyles()->Items(0)->SetLeftIndent(10);
    RollViewPixelsPerInch = 120;
    EXPECT_CONTAINS(Save(), "\\fi0\\li120\\ql");
}

// ---------------------------------------------------------------------------
// Lists

namespace {

void AddNumberedList(TRVStyle& Style, int Levels)
{
    TRVListInfo* List = Style.ListStyles()->Add();
    for (int i = 0; i < Levels; ++i) {
        TRVListLevel* Level = List->Levels()->Add();
        Level->SetListType(rvlstDecimal);
        Level->SetFormatString(i == 0 ? "%0:s." : "%0:s.%1:s.");
        Level->SetLeftIndent(24 * (i + 1));
        Level->SetMarkerIndent(24 * i);
        Level->SetFirstIndent(0);
    }
}

} // namespace

TEST_F(RTFWriterTest, ListTablesLevelsAndOverrides)
{
    AddNumberedList(Style, 3);
    AddNumberedList(Style, 1);
    TRVListLevel* Bullet = Style.ListStyles()->Add()->Levels()->Add();
    Bullet->SetListType(rvlstBullet);
    Data.AddNL("one", 0, 0);
    Data.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    Data.AddNL("two", 0, 0);
    Data.SetListMarkerInfo(2, 0, 1, 1, 0, false);
    Data.AddNL("again", 0, 0);
    Data.SetListMarkerInfo(4, 0, 0, 5, 0, true);
    const AnsiString RTF = Save();
    // Three levels are written as nine; one level as one, marked simple.
    const size_t Second = RTF.find("{\\list\\listtemplateid", RTF.find("{\\list\\listtemplateid") + 1);
    EXPECT_EQ(CountOf(RTF.substr(0, Second), "{\\listlevel"), 9);
    EXPECT_EQ(CountOf(RTF.substr(0, Second), "\\levelnfc0\\leveljc0\\li1080\\fi-360\\jclisttab\\tx1080"), 7);
    EXPECT_CONTAINS(RTF, "\\listsimple1\r\n{\\listlevel\\levelnfc0");
    // The restarting marker has its own override entry: list 0 takes \ls1 and
    // \ls2, so list 1 starts at \ls3.
    EXPECT_CONTAINS(RTF, "\\listoverridecount0\\ls1}\r\n{\\listoverride\\listid");
    EXPECT_CONTAINS(RTF, "\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat5}\\ls2}\r\n");
    EXPECT_CONTAINS(RTF, "{\\listtext\\pard\\plain\\f0\\fs16 5.\\tab}\\ls2\\ilvl0");

    // The same seed gives the same ids.
    RV_SeedRTFListIds(1);
    EXPECT_EQ(Save(), RTF);
}

// ---------------------------------------------------------------------------
// Bookmarks, hyperlinks, breaks, selections

TEST_F(RTFWriterTest, TextInAMultiByteCodePageIsWrittenAsUnicode)
{
    // Style 0 is in the ANSI code page, which is UTF-8 here; style 1 in 1251;
    // style 2 in a symbol font, whose bytes are its own.
    SetACP(65001);
    Style.TextStyles()->Items(1)->SetCharset(204);
    Style.TextStyles()->Items(2)->SetCharset(SYMBOL_CHARSET);
    Data.AddNL("caf\xC3\xA9 \xE4\xB8\xAD", 0, 0);
    Data.AddNL("\xEF\xF0\xE8", 1, -1);
    Data.AddNL("\xB7\x61\xE5", 2, -1);
    const AnsiString RTF = Save();
    SetACP(0);
    EXPECT_CONTAINS(RTF, "caf\\u233  \\u20013 ") << "a blank ends the control word, a blank follows";
    EXPECT_CONTAINS(RTF, "\\lang1049\\fs20\\cf2 \\'ef\\'f0\\'e8")
        << "a single-byte code page keeps its bytes";
    EXPECT_CONTAINS(RTF, "\\'b7a\\'e5") << "a symbol font keeps its bytes";
}

TEST_F(RTFWriterTest, SelectionWritesItsPartAndTheMarkerOfItsParagraph)
{
    AddNumberedList(Style, 1);
    TDocTestData Selecting(&Style);
    Selecting.Select(1, 3, 3, 1); // touches the last item only
    Selecting.AddNL("first", 0, 0);
    Selecting.SetListMarkerInfo(0, 0, 0, 1, 0, false);
    Selecting.AddNL(" and more", 0, -1);
    Selecting.AddNL("next", 0, 0);
    ASSERT_EQ(Selecting.GetItemCount(), 4); // the marker, "first", " and more", "next"
    TMemoryStream Stream;
    ASSERT_TRUE(Selecting.SaveRTFToStream(Stream, true, 0, clWindow, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr, 0));
    const AnsiString RTF = StreamBytes(Stream);
    EXPECT_CONTAINS(
        RTF, "\\uc0{\\listtext\\pard\\plain\\f0\\fs16 1.\\tab}\\ls1\\ilvl0\\plain \\f0\\fs20 rst\\plain "
             "\\f0\\fs20  and more}");
    EXPECT_EQ(CountOf(RTF, "next"), 0);
}

// ---------------------------------------------------------------------------
// Files

TEST_F(RTFWriterTest, SaveRTFWritesWholeFilesOrNothing)
{
    TempDir Dir;
    Data.AddNL("file", 0, 0);
    ASSERT_TRUE(Data.SaveRTF(Dir.File("a.rtf"), false, clWindow, nullptr));
    EXPECT_EQ(Dir.Read("a.rtf"), Save());
    EXPECT_FALSE(Data.SaveRTF(Dir.File("missing/a.rtf"), false, clWindow, nullptr));

    // A store without a style sheet cannot write RTF; the old file stays.
    TDocTestData NoStyle;
    NoStyle.AddNL("x", 0, 0);
    EXPECT_FALSE(NoStyle.SaveRTF(Dir.File("a.rtf"), false, clWindow, nullptr));
    EXPECT_EQ(Dir.Read("a.rtf"), Save());
}

// ---------------------------------------------------------------------------
// A document with every item kind

namespace {

TBitmap* SmallBitmap(TColor Color)
{
    auto* Bitmap = new TBitmap;
    Bitmap->SetSize(2, 2);
    Bitmap->Canvas()->Brush()->SetColor(Color);
    Bitmap->Canvas()->FillRect(Rect(0, 0, 2, 2));
    return Bitmap;
}

// Fills Data with one item of every kind the document model has.
void BuildEverything(TRVStyle& Style, TDocTestData& Data, TCustomImageList& Images)
{
    SetUpStyles(Style);
    Style.TextStyles()->Items(1)->SetSize(16);
    Style.TextStyles()->Items(1)->SetStyle(TFontStyles{fsBold});
    Style.TextStyles()->Items(4)->SetJump(true);
    Style.TextStyles()->Items(4)->SetColor(clBlue);
    const int Unicode = Style.AddTextStyle();
    Style.TextStyles()->Items(Unicode)->SetFontName("Times New Roman");
    Style.TextStyles()->Items(Unicode)->SetSize(12);
    Style.TextStyles()->Items(Unicode)->SetUnicode(true);
    const int Super = Style.AddTextStyle();
    Style.TextStyles()->Items(Super)->SetFontName("Arial");
    Style.TextStyles()->Items(Super)->SetSize(10);
    Style.TextStyles()->Items(Super)->SetVShift(33);
    AddNumberedList(Style, 2);
    TRVListLevel* Bullet = Style.ListStyles()->Add()->Levels()->Add();
    Bullet->SetListType(rvlstBullet);
    Bullet->SetLeftIndent(24);
    Bullet->SetFirstIndent(-12);

    TPixelBuffer Pixels(4, 4, 0xFF00FF00u);
    Images.AddPixels(Pixels);
    Images.AddPixels(TPixelBuffer(4, 4, 0xFFFF0000u));

    Data.RTFOptions = TRVRTFOptions{rvrtfSaveStyleSheet, rvrtfSaveBitmapDefault};
    Data.ComponentText = [](const AnsiString&, TComponent*, TRVSaveFormat Format) {
        return Format == rvsfRTF ? AnsiString("{\\i control}") : AnsiString();
    };

    Data.AddNamedCheckpointExTag("top", false, TRVTag());
    Data.AddNL("Kelvor {log} \\ viewer", 1, 1);
    Data.AddNL("Plain text, a tab\there, ", 0, 0);
    Data.AddNL("a link", 4, -1);
    Data.GetItem(Data.GetItemCount() - 1)->SetJumpID(0);
    Data.URLs[0] = "https://example.org/log?id=1";
    Data.AddNL(" and x", 0, -1);
    Data.AddNL("2", Super, -1);
    Data.AddNLWTag(u"Unicode: Gr\u00FC\u00DFe \u2013 \u4E2D\u6587 \u0395\u03BB\u03BB\u03AC\u03B4\u03B1",
                   Unicode, 0, TRVTag());
    Data.AddTextBlockNL("First line\nSecond line", 0, 0);
    Data.AddBreakEx(2, rvbsLine, clRed);
    Data.AddNL("one", 0, 0);
    Data.SetListMarkerInfo(Data.GetItemCount() - 1, 0, 0, 1, 0, false);
    Data.AddNL("two", 0, 0);
    Data.SetListMarkerInfo(Data.GetItemCount() - 1, 0, 0, 1, 0, false);
    Data.AddNL("two, nested", 0, 0);
    Data.SetListMarkerInfo(Data.GetItemCount() - 1, 0, 1, 1, 0, false);
    Data.AddNL("restarted at five", 0, 0);
    Data.SetListMarkerInfo(Data.GetItemCount() - 1, 0, 0, 5, 0, true);
    Data.AddNL("a bullet", 0, 0);
    Data.SetListMarkerInfo(Data.GetItemCount() - 1, 1, 0, 1, 0, false);
    Data.AddNL("Pictures: ", 0, 0);
    Data.AddPictureEx("picture", SmallBitmap(clRed), -1, rvvaBaseline);
    Data.AddHotPicture("hot picture", SmallBitmap(clBlue), -1, rvvaMiddle);
    Data.GetItem(Data.GetItemCount() - 1)->SetJumpID(1);
    Data.URLs[1] = "https://example.org/picture";
    Data.AddBulletEx("bullet", 0, &Images, -1);
    Data.AddHotspotEx("hot spot", 0, 1, &Images, -1);
    Data.AddControlEx("control", new TWinControl(nullptr), -1, rvvaBaseline);
    Data.AddNL("After a page break", 0, 1);
    Data.SetPageBreaksBeforeItems(Data.GetItemCount() - 1, true);
    Data.AddNL("", 0, 0);
    Data.AddNamedCheckpointExTag("end", false, TRVTag());
}

} // namespace

TEST_F(RTFWriterTest, DocumentWithEveryItemKind)
{
    TImageList images(nullptr, 4, 4);
    BuildEverything(Style, Data, images);
    RV_SeedRTFListIds(2024);
    const AnsiString rtf = Save();
    RV_SeedRTFListIds(2024);
    EXPECT_EQ(Save(), rtf) << "the same document writes the same bytes";
    // Every kind is there (real readers check what they make of it below).
    for (const char* part :
         {"\\pict", "{\\field{\\*\\fldinst HYPERLINK \"https://example.org/log?id=1\"}", "{\\listtext",
          "\\bkmkstart top", "\\bkmkstart end", "{\\i control}", "\\u20013 ", "\\line", "\\page", "\\brdrb",
          "Kelvor \\{log\\} \\\\ viewer", "\\super", "\\listoverridestartat\\levelstartat5"})
        EXPECT_CONTAINS(rtf, part);
    EXPECT_EQ(CountOf(rtf, "{"), CountOf(rtf, "}") + CountOf(rtf, "\\{") - CountOf(rtf, "\\}"));
}

// ---------------------------------------------------------------------------
// Read back by real RTF readers (skipped when they are not installed)

namespace {

// Tabs and runs of blanks as one blank, no blanks at the ends.
std::string Squeeze(const std::string& s)
{
    std::string Out;
    for (char c : s) {
        const bool Blank = c == ' ' || c == '\t' || c == '\r' || c == '\xA0';
        if (Blank) {
            if (!Out.empty() && Out.back() != ' ')
                Out += ' ';
        } else {
            Out += c;
        }
    }
    while (!Out.empty() && Out.back() == ' ')
        Out.pop_back();
    return Out;
}

// The non-empty lines of a text, squeezed. A byte-order mark is dropped.
std::vector<std::string> Lines(const std::string& Text)
{
    std::vector<std::string> Out;
    std::istringstream In(WithoutByteOrderMark(Text));
    for (std::string Line; std::getline(In, Line);) {
        // A no-break space (U+00A0) counts as a blank.
        for (size_t p; (p = Line.find("\xC2\xA0")) != std::string::npos;)
            Line.replace(p, 2, " ");
        Line = Squeeze(Line);
        if (!Line.empty())
            Out.push_back(Line);
    }
    return Out;
}

// The text of an HTML page by Python's own parser: block tags end lines, the
// head is left out, character references are decoded.
std::string HTMLText(const TempDir& Dir, const std::string& Html)
{
    const std::string Script =
        Dir.Write("text.py", "import sys, html.parser\n"
                             "BLOCKS = {'p', 'br', 'li', 'div', 'h1', 'h2', 'tr', 'ol', 'ul', 'hr'}\n"
                             "class Text(html.parser.HTMLParser):\n"
                             "    out, skip = [], 0\n"
                             "    def handle_starttag(self, tag, attrs):\n"
                             "        self.skip += tag in ('head', 'style', 'script')\n"
                             "        self.out.append('\\n' if tag in BLOCKS else '')\n"
                             "    def handle_endtag(self, tag):\n"
                             "        self.skip -= tag in ('head', 'style', 'script')\n"
                             "        self.out.append('\\n' if tag in BLOCKS else '')\n"
                             "    def handle_data(self, data):\n"
                             "        self.out.append('' if self.skip else data.replace('\\n', ' '))\n"
                             "t = Text()\n"
                             "t.feed(open(sys.argv[1], encoding='utf-8', errors='replace').read())\n"
                             "sys.stdout.write(''.join(t.out))\n");
    int Status = 0;
    const std::string Text =
        RunCommand("python3 '" + Script + "' '" + Dir.Write("page.html", Html) + "' 2>&1", Status);
    EXPECT_EQ(Status, 0) << Text;
    return Text;
}

// A document of paragraphs, text beyond ASCII in 8-bit and Unicode items, and
// numbered paragraphs with a nested level and a restart.
class RealReaderTest : public ::testing::Test {
protected:
    RealReaderTest() : Data(&Style)
    {
        SetUpStyles(Style);
        Style.SetDefCodePage(1252);
        Style.TextStyles()->Items(0)->SetCharset(ANSI_CHARSET);
        const int Unicode = Style.AddTextStyle();
        Style.TextStyles()->Items(Unicode)->SetFontName("Arial");
        Style.TextStyles()->Items(Unicode)->SetSize(10);
        Style.TextStyles()->Items(Unicode)->SetCharset(ANSI_CHARSET);
        Style.TextStyles()->Items(Unicode)->SetUnicode(true);
        AddNumberedList(Style, 2);
        RV_SeedRTFListIds(5);

        Data.AddNL("Kelvor log monitor", 0, 0);
        Data.AddNL("Plain {braces}, a \\ backslash and caf\xE9", 0, 0);
        Data.AddNLWTag(
            u"Gr\u00FC\u00DFe \u2013 \u4E2D\u6587 \u2013 \u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC",
            Unicode, 0, TRVTag());
        // No marker restarts its numbering here: LibreOffice applies a restart
        // of a list-override entry one paragraph late (the golden document has one).
        const char* Numbered[] = {"first", "second", "nested", "third"};
        const int Levels[] = {0, 0, 1, 0};
        for (int i = 0; i < 4; ++i) {
            Data.AddNL(Numbered[i], 0, 0);
            Data.SetListMarkerInfo(Data.GetItemCount() - 1, 0, Levels[i], 1, 0, false);
        }
        Data.AddNL("Last line", 0, 0);
        Expected = {"Kelvor log monitor",
                    "Plain {braces}, a \\ backslash and caf\xC3\xA9",
                    "Gr\xC3\xBC\xC3\x9F"
                    "e \xE2\x80\x93 \xE4\xB8\xAD\xE6\x96\x87 \xE2\x80\x93 "
                    "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",
                    "1. first",
                    "2. second",
                    "2.1. nested",
                    "3. third",
                    "Last line"};
    }

    // Our own plain text of the document, as UTF-8 lines.
    std::vector<std::string> OurLines()
    {
        TMemoryStream Stream;
        EXPECT_TRUE(Data.SaveTextToStream("", Stream, 80, false, false, true));
        return Lines(UTF8Encode(RVU_RawUnicodeToWideString(StreamBytes(Stream))));
    }

    std::string SaveFile()
    {
        const std::string Name = Dir.File("doc.rtf");
        EXPECT_TRUE(Data.SaveRTF(Name, false, clWindow, nullptr));
        return Name;
    }

    std::string LibreOffice(const std::string& File, const std::string& Filter, const std::string& Ext)
    {
        EXPECT_TRUE(LibreOfficeConvert(Dir.Path(), Filter, Dir.File("out"), {File})) << Filter;
        return Dir.Read(Dir.Path() + "/out/doc." + Ext);
    }

    TempDir Dir;
    TRVStyle Style{nullptr};
    TDocTestData Data;
    std::vector<std::string> Expected;
};

} // namespace

TEST_F(RealReaderTest, OurOwnPlainTextIsTheReference)
{
    EXPECT_EQ(OurLines(), Expected);
}

TEST_F(RealReaderTest, LibreOfficeReadsTheSameText)
{
    if (!LibreOfficeAvailable())
        GTEST_SKIP() << "LibreOffice is not installed";
    const std::string File = SaveFile();
    const std::vector<std::string> Ours = OurLines();
    EXPECT_EQ(Lines(LibreOffice(File, "txt:Text (encoded):UTF8", "txt")), Ours);
}

TEST_F(RealReaderTest, UnrtfReadsTheSameText)
{
    if (!ProgramAvailable("/usr/bin/unrtf"))
        GTEST_SKIP() << "unrtf is not installed";
    // unrtf does not honour \uc0 (it always skips what follows a \u
    // character), so it is given the form with the ANSI text after each one.
    Data.RTFOptions = TRVRTFOptions{rvrtfDuplicateUnicode};
    const std::string File = SaveFile();
    int status = 0;
    const std::string html = RunCommand("unrtf --html '" + File + "' 2>/dev/null", status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(Lines(HTMLText(Dir, html)), OurLines());
}

TEST_F(RealReaderTest, LibreOfficeOpensTheDocumentWithEveryItemKind)
{
    if (!LibreOfficeAvailable())
        GTEST_SKIP() << "LibreOffice is not installed";
    TDocTestData Everything(&Style);
    TImageList Images(nullptr, 4, 4);
    TRVStyle EveryStyle(nullptr);
    Everything.Style = &EveryStyle;
    BuildEverything(EveryStyle, Everything, Images);
    const std::string File = Dir.File("doc.rtf");
    ASSERT_TRUE(Everything.SaveRTF(File, false, clWindow, nullptr));
    const std::vector<std::string> Text = Lines(LibreOffice(File, "txt:Text (encoded):UTF8", "txt"));
    const std::string All = [&] {
        std::string s;
        for (const std::string& Line : Text)
            s += Line + "\n";
        return s;
    }();
    for (const char* Part :
         {"Kelvor {log} \\ viewer\n", "a link and x2\n", "First line\nSecond line\n", "1. one\n", "2. two\n",
          "2.1. two, nested\n", "restarted at five\n", "Pictures:", "control", "After a page break\n",
          "Gr\xC3\xBC\xC3\x9F"
          "e \xE2\x80\x93 \xE4\xB8\xAD\xE6\x96\x87"})
        EXPECT_NE(All.find(Part), std::string::npos) << Part << "\nin:\n" << All;
}
