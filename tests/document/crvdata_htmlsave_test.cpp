// HTML pages of the item store, with and without a style sheet: a document
// with every item kind, the parts of a page, escaping, lists,
// checkpoints, backgrounds, selections and files. The pages checked by real
// programs are in crvdata_htmlsave_programs_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "platform/controls/controls.h"
#include "platform/core/codepages.h"
#include "platform/core/colors.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/jpeg.h"
#include "tests/document/doctestdata.h"
#include "tests/document/htmlsavepage.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/tempdir.h"

namespace {

// A stream that refuses every byte after the first Limit.
class TFullStream : public TMemoryStream {
public:
    explicit TFullStream(int64_t ALimit) : Limit(ALimit) {}
    int64_t Write(const void* Buffer, int64_t Count) override
    {
        const int64_t Room = std::max<int64_t>(Limit - Size(), 0);
        return TMemoryStream::Write(Buffer, std::min(Count, Room));
    }
    int64_t Limit;
};

// Text in the ANSI code page is written as its bytes; on a UTF-8 system the
// page says so, in both dialects, and on a single-byte one it stays silent.
TEST(HTMLText, UTF8TextDeclaresItsCharset)
{
    const unsigned SavedACP = GetACP();
    TRVStyle Style(nullptr);
    TDocTestData Data(&Style);
    Style.TextStyles()->Items(0)->SetCharset(DEFAULT_CHARSET);
    Data.AddNL("caf\xC3\xA9 \xE2\x9C\x93", 0, 0);
    const AnsiString Meta =
        "</TITLE>\r\n<META HTTP-EQUIV=\"Content-Type\"  CONTENT=\"text/html; CHARSET=UTF-8\">\r\n";
    SetACP(CP_UTF8);
    const AnsiString Page = Plain(Data);
    EXPECT_TRUE(Contains(Page, Meta));
    EXPECT_TRUE(Contains(Page, "caf\xC3\xA9 \xE2\x9C\x93"));
    EXPECT_TRUE(Contains(WithCSS(Data), Meta));
    // A reader that does not guess the encoding reads the text as it was.
    const std::string Python = PythonWithHTML5Lib();
    if (!Python.empty()) {
        TempDir Dir;
        const std::string Page = Dir.Write("page.html", Plain(Data));
        const std::string Script = Dir.Write(
            "text.py", "import sys, html5lib\n"
                       "doc = html5lib.parse(open(sys.argv[1], 'rb').read(), namespaceHTMLElements=False)\n"
                       "sys.stdout.buffer.write(''.join(doc.find('body').itertext()).encode('utf-8'))\n");
        int Status = 0;
        const std::string Text = RunCommand(Python + " '" + Script + "' '" + Page + "'", Status);
        EXPECT_EQ(Status, 0);
        EXPECT_NE(Text.find("caf\xC3\xA9 \xE2\x9C\x93"), std::string::npos) << Text;
    }
    SetACP(1252);
    EXPECT_FALSE(Contains(Plain(Data), "<META"));
    SetACP(SavedACP);
}

// Fails for each part the page lacks.
void ExpectParts(const AnsiString& Page, const std::vector<const char*>& Parts)
{
    for (const char* Part : Parts)
        EXPECT_TRUE(Page.find(Part) != AnsiString::npos) << "missing: " << Part << "\nin: " << Page;
}

} // namespace

// ---------------------------------------------------------------------------
// Text and character sets

TEST(HTMLText, EscapingAndCharsets)
{
    const std::pair<AnsiString, AnsiString> Cases[] = {{"", "&nbsp;"},
                                                       {"a<b", "a&lt;b"},
                                                       {"a&lt;", "a&amp;lt;"},
                                                       {"x    y", "x&nbsp;&nbsp;&nbsp; y"},
                                                       {" a ", "&nbsp;a&nbsp;"}};
    for (const auto& c : Cases)
        EXPECT_EQ(RV_MakeHTMLStr(c.first, true, false), c.second) << c.first;
    EXPECT_EQ(RV_MakeHTMLStr("<b> & ", true, true), "<b> & ");

    EXPECT_EQ(RV_CharSet2HTMLLang(204), "Windows-1251");
    EXPECT_EQ(RV_CharSet2HTMLLang(1), "");
    EXPECT_EQ(RV_CharSet2HTMLLang(-5), "");
    TRVStyle Style(nullptr);
    TDocTestData Data(&Style);
    Style.TextStyles()->Items(0)->SetCharset(0);
    EXPECT_FALSE(Contains(Plain(Data), "<META"));
    Style.TextStyles()->Items(0)->SetCharset(204);
    const AnsiString Meta =
        "<META HTTP-EQUIV=\"Content-Type\"  CONTENT=\"text/html; CHARSET=Windows-1251\">\r\n";
    EXPECT_TRUE(Contains(Plain(Data), "</TITLE>\r\n" + Meta));
    EXPECT_TRUE(Contains(WithCSS(Data), "</TITLE>\r\n" + Meta));
}

// ---------------------------------------------------------------------------
// The document with every item kind (real programs check the pages below)

// Both writers: what matters is escaping, structure and attribute values,
// and one picture file for each picture the page refers to.
TEST(HTMLDocument, EveryItemKind)
{
    const struct {
        bool CSS;
        TRVSaveOptions Options;
        int Pictures;
        std::vector<const char*> Parts;
    } Cases[] = {
        {false,
         {rvsoImageSizes},
         4,
         {"<TITLE>Every &lt;item&gt; &amp; kind</TITLE>", "<BODY bgcolor=#FFFFFF leftmargin=1",
          "Title&nbsp; &lt;&amp;&gt; text", "<A href=\"http://example.com/?a=1&amp;b=&quot;2&quot;\">",
          "&#220;n&#239;c&#246;de &#10003;", "<b>raw</b>", "<IMG width=16 height=16 src=\"img1.jpg\">",
          "<A href=\"pages/next page.html\"><IMG align=middle width=8 height=8 src=\"img4.jpg\"></A>",
          "<INPUT type=button value=\"a control\">", "<OL type=a>", "</BODY></HTML>"}},
        {true,
         {rvsoUseCheckpointsNames},
         5,
         {"P.extra { color: #123456; }\r\n-->", "<A name=\"top\"></A>",
          "<SPAN class=RVTS1>Title&nbsp; &lt;&amp;&gt; text</SPAN>", "<SPAN class=RVTS7><b>raw</b></SPAN>",
          "<IMG style=\"vertical-align: 8px\" src=\"img1.jpg\">",
          "<HR noshade size=2 style=\"color: #FF0000\">",
          "<LI style=\"list-style: url('img5.jpg')\">pictured</LI>", "<A name=\"end\"></A>"}},
    };
    for (const auto& c : Cases) {
        SCOPED_TRACE(c.CSS ? "CSS" : "plain");
        TempDir dir;
        TDocument doc;
        doc.Build();
        TPageArgs a;
        a.Path = dir.Path() + "/";
        a.Title = "Every <item> & kind";
        a.Color = clWhite;
        a.ExtraCSS = "P.extra { color: #123456; }";
        a.Options = c.Options;
        int counter = 0;
        ExpectParts(c.CSS ? WithCSS(doc.Data, a, &counter) : Plain(doc.Data, a, &counter), c.Parts);
        // Without CSS a list item of pictures shows no picture.
        EXPECT_EQ(counter, c.Pictures);
        for (int i = 1; i <= c.Pictures; ++i)
            EXPECT_FALSE(dir.Read("img" + std::to_string(i) + ".jpg").empty()) << i;
    }
}

// ---------------------------------------------------------------------------
// Parts of a page, failures

TEST(HTMLPage, PartsByOptions)
{
    TRVStyle Style(nullptr);
    TDocTestData Data(&Style);
    Data.AddNL("body text", 0, 0);
    for (bool CSS : {false, true}) {
        auto Page = [&](TRVSaveOptions Options) {
            TPageArgs a;
            a.Options = Options;
            return CSS ? WithCSS(Data, a) : Plain(Data, a);
        };
        const AnsiString Whole = Page({});
        const AnsiString Head = Page({rvsoFirstOnly});
        const AnsiString Middle = Page({rvsoMiddleOnly});
        const AnsiString End = Page({rvsoLastOnly});
        EXPECT_EQ(Head.rfind("<HTML><HEAD><TITLE>Page</TITLE>\r\n", 0), 0u);
        EXPECT_FALSE(Contains(Head, "body text"));
        EXPECT_TRUE(Contains(Middle, "body text"));
        EXPECT_FALSE(Contains(Middle, "<BODY"));
        EXPECT_FALSE(Contains(Middle, "</BODY>"));
        EXPECT_TRUE(Contains(End, "</BODY></HTML>\r\n"));
        EXPECT_FALSE(Contains(End, "body text"));
        EXPECT_EQ(Head + Middle + End, Whole);
        EXPECT_EQ(Page({rvsoFirstOnly, rvsoLastOnly}), "");
    }
}

TEST(HTMLPage, ExtraCodeAndStyleSheetInTheirPlaces)
{
    TRVStyle Style(nullptr);
    TDocTestData Data(&Style);
    Data.ExtraHTML[rv_thms_Head] = "<META name=x>";
    Data.ExtraHTML[rv_thms_BodyAttribute] = "text=red";
    Data.ExtraHTML[rv_thms_Body] = "<!-- body -->";
    Data.ExtraHTML[rv_thms_End] = "<!-- end -->";
    TPageArgs a;
    a.Color = clYellow;
    a.ExtraCSS = "P.x { color: red; }";
    const AnsiString Page = Plain(Data, a);
    const auto At = [&](const char* Part) { return Page.find(Part); };
    EXPECT_LT(At("<META name=x>"), At("</HEAD>"));
    EXPECT_LT(At("<BODY bgcolor=#FFFF00 text=red"), At("<!-- body -->"));
    EXPECT_LT(At("<!-- end -->"), At("</BODY></HTML>"));
    EXPECT_NE(At("<!-- end -->"), AnsiString::npos);

    // The style sheet is embedded with the extra rules, or linked by its
    // escaped name and then not embedded.
    TStringStream Sheet;
    Style.SaveCSSToStream(&Sheet, {});
    const AnsiString Embedded = WithCSS(Data, a);
    ExpectParts(Embedded, {"background-color: #FFFF00;", Sheet.DataString().c_str(), "P.x { color: red; }"});
    a.ExternalCSS = "my \"styles\".css";
    const AnsiString Linked = WithCSS(Data, a);
    EXPECT_FALSE(Contains(Linked, "SPAN.RVTS1"));
    EXPECT_TRUE(
        Contains(Linked, "<LINK type=\"text/css\" href=\"my &quot;styles&quot;.css\" rel=STYLESHEET>"));
}

TEST(HTMLPage, NoStyleSheetOrAFailingStreamGivesFalse)
{
    TDocTestData Data(nullptr);
    TMemoryStream Stream;
    int Counter = 0;
    TColor FileColor = clNone;
    EXPECT_FALSE(
        Data.SaveHTMLToStream(Stream, "", "t", "img", {}, clNone, Counter, 0, 0, 0, 0, nullptr, nullptr));
    EXPECT_FALSE(Data.SaveHTMLToStreamEx(Stream, "", "t", "img", "", "", "", {}, clRed, FileColor, Counter, 0,
                                         0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(Stream.Size(), 0);
    EXPECT_EQ(FileColor, clRed);

    TRVStyle Style(nullptr);
    TDocTestData Styled(&Style);
    Styled.AddNL("some text that does not fit", 0, 0);
    TFullStream Full(40);
    EXPECT_FALSE(
        Styled.SaveHTMLToStream(Full, "", "t", "img", {}, clNone, Counter, 0, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(Full.Size(), 40); // what was written stays
    TFullStream FullToo(40);
    EXPECT_FALSE(Styled.SaveHTMLToStreamEx(FullToo, "", "t", "img", "", "", "", {}, clNone, FileColor,
                                           Counter, 0, 0, 0, 0, nullptr, nullptr));
}

// ---------------------------------------------------------------------------
// Escaping of what documents and callers give

TEST(HTMLEscaping, TitleTargetsAnchorsAndLocations)
{
    TRVStyle Style(nullptr);
    TDocTestData Data(&Style);
    Data.AddNamedCheckpointExTag("a \"quoted\" <name>", false, TRVTag());
    Data.AddNL("link", 4, 0);
    Data.URLs[0] = "x.html?a=1&b=\"><script>";
    TPageArgs a;
    a.Title = "</TITLE><script>x & y";
    a.Options = {rvsoUseCheckpointsNames};
    for (bool CSS : {false, true}) {
        const AnsiString Page = CSS ? WithCSS(Data, a) : Plain(Data, a);
        EXPECT_TRUE(Contains(Page, "<TITLE>&lt;/TITLE&gt;&lt;script&gt;x &amp; y</TITLE>")) << Page;
        EXPECT_TRUE(Contains(Page, "href=\"x.html?a=1&amp;b=&quot;&gt;&lt;script&gt;\"")) << Page;
        EXPECT_TRUE(Contains(Page, "<A name=\"a &quot;quoted&quot; &lt;name&gt;\"></A>")) << Page;
        EXPECT_FALSE(Contains(Page, "<script>"));
    }
    // A numbered anchor's prefix that an unquoted attribute cannot hold is quoted.
    a.Options = {};
    a.CPPrefix = "my anchor\"";
    EXPECT_TRUE(Contains(WithCSS(Data, a), "<A name=\"my anchor&quot;0\"></A>"));
    a.CPPrefix = "cp-";
    EXPECT_TRUE(Contains(WithCSS(Data, a), "<A name=cp-0></A>"));
}

TEST(HTMLEscaping, BackgroundLocationInAttributeAndCSS)
{
    TRVStyle Style(nullptr);
    TDocTestData Data(&Style);
    Data.HTMLLocations[-1] = "pics/a\"b<c>.jpg";
    TTestBackground Background(2, TDocument::NewBitmap(4, 4, clWhite));
    TPageArgs a;
    a.Background = &Background;
    a.Options = {rvsoFirstOnly};
    EXPECT_TRUE(Contains(Plain(Data, a), " background=\"pics/a&quot;b&lt;c&gt;.jpg\" bgproperties=fixed"));
    const AnsiString CSS = WithCSS(Data, a);
    EXPECT_TRUE(Contains(CSS, "  background-image: url(\"pics/a\\22 b\\3C c\\3E .jpg\");\r\n")) << CSS;
}

// ---------------------------------------------------------------------------
// Backgrounds

TEST(HTMLBackground, PictureBesideThePageByStyle)
{
    TempDir Dir;
    TRVStyle Style(nullptr);
    TDocTestData Data(&Style);
    TPageArgs a;
    a.Path = Dir.Path() + "/";
    a.Options = {rvsoFirstOnly};
    a.Prefix = "bk";
    TTestBackground Scrolled(3, TDocument::NewBitmap(4, 4, clWhite));
    a.Background = &Scrolled;
    int Counter = 0;
    EXPECT_TRUE(Contains(Plain(Data, a, &Counter), "<BODY background=\"bk1.jpg\""));
    EXPECT_TRUE(Contains(WithCSS(Data, a, &Counter), "background-image: url(\"bk2.jpg\")"));
    EXPECT_EQ(Counter, 2);
    EXPECT_FALSE(Dir.Read("bk1.jpg").empty());

    // No picture style, or no picture: nothing is written.
    TTestBackground None(0, TDocument::NewBitmap(4, 4, clWhite));
    a.Background = &None;
    EXPECT_FALSE(Contains(Plain(Data, a, &Counter), "background"));
    TTestBackground Empty(2, TDocument::NewBitmap(4, 4, clWhite));
    Empty.Image.reset(new TBitmap);
    a.Background = &Empty;
    EXPECT_FALSE(Contains(WithCSS(Data, a, &Counter), "background-image"));
    EXPECT_EQ(Counter, 2);
}

// ---------------------------------------------------------------------------
// Text styles and paragraphs

TEST(HTMLStyles, ALinkNeverSitsInAnOpenSpan)
{
    TRVStyle Style(nullptr);
    TDocTestData Data(&Style);
    // Two pieces of one hyperlink style: the first without a target, the second with one.
    Data.AddNL("no target ", 4, 0);
    Data.GetItem(0)->SetJumpID(0);
    Data.AddNL("target", 4, -1);
    Data.GetItem(1)->SetJumpID(1);
    Data.URLs[1] = "t.html";
    EXPECT_EQ(Body(Data, true), "\r\n<P><SPAN class=RVTS4>no target&nbsp;</SPAN>"
                                "<A class=RVTS4 href=\"t.html\">target</A></P>");
}

TEST(HTMLStyles, CurrentFileColorFollowsParagraphBackgrounds)
{
    TRVStyle Style(nullptr);
    Style.ParaStyles()->Items(1)->Background()->SetColor(clSilver);
    TDocTestData Data(&Style);
    Data.AddNL("a", 0, 0);
    Data.AddNL("b", 0, 1);
    TMemoryStream Stream;
    int Counter = 0;
    TColor FileColor = clRed;
    ASSERT_TRUE(Data.SaveHTMLToStreamEx(Stream, "", "", "", "", "", "", {}, clWhite, FileColor, Counter, 0, 0,
                                        0, 0, nullptr, nullptr));
    EXPECT_EQ(FileColor, clSilver);
    Data.AddNL("c", 0, 0);
    ASSERT_TRUE(Data.SaveHTMLToStreamEx(Stream, "", "", "", "", "", "", {}, clWhite, FileColor, Counter, 0, 0,
                                        0, 0, nullptr, nullptr));
    EXPECT_EQ(FileColor, clWhite);
}

// ---------------------------------------------------------------------------
// Lists

TEST(HTMLLists, RuleBetweenListItemsKeepsTheList)
{
    TDocument Doc;
    Doc.Marker(0, 0);
    Doc.Data.AddNL("one", 0, -1);
    Doc.Data.AddBreak();
    Doc.Marker(0, 0);
    Doc.Data.AddNL("two", 0, -1);
    Doc.Data.AddNL("after", 0, 0);
    TPageArgs a;
    a.Options = {rvsoDefault0Style};
    const AnsiString Page = Body(Doc.Data, false, a);
    EXPECT_EQ(Page, "<OL>\r\n<LI value=1>one</LI>\r\n<HR noshade size=1>\r\n<LI value=2>two</LI>\r\n</OL>\r\n"
                    "<DIV>after</DIV>\r\n");
    const AnsiString CSS = Body(Doc.Data, true);
    EXPECT_TRUE(Contains(CSS,
                         ">\r\n<LI value=1>one</LI>\r\n<HR noshade size=1><LI value=2>two</LI>\r\n</OL>\r\n"
                         "<P>after</P>"))
        << CSS;
}

TEST(HTMLLists, MarkersAsTextMakeNoListTags)
{
    TDocument Doc;
    Doc.Marker(0, 0);
    Doc.Data.AddNL("one", 0, -1);
    Doc.Marker(0, 1);
    Doc.Data.AddNL("inner", 0, -1);
    TPageArgs a;
    a.Options = {rvsoMarkersAsText};
    for (bool CSS : {false, true}) {
        const AnsiString Text = Body(Doc.Data, CSS, a);
        EXPECT_FALSE(Contains(Text, "<LI")) << Text;
        EXPECT_TRUE(Contains(Text, "1.")) << Text;
    }
}

// ---------------------------------------------------------------------------
// Selections

TEST(HTMLSelection, PartsOfTheEndItems)
{
    TRVStyle Style(nullptr);
    TDocTestData Data(&Style);
    Data.AddNL("first item", 0, 0);
    Data.AddNL("second", 1, -1);
    Data.AddNL("third item", 0, 1);
    Data.Select(0, 7, 2, 6); // "item" to "third"
    TPageArgs a;
    a.Selection = true;
    EXPECT_EQ(Body(Data, true, a),
              "\r\n<P>item<SPAN class=RVTS1>second</SPAN></P>\r\n<P class=RVPS1>third</P>");

    // Nothing of the last item selected: it is left out.
    Data.Select(0, 7, 2, 1);
    EXPECT_FALSE(Contains(Body(Data, true, a), "RVPS1"));
    // Within one item.
    Data.Select(2, 2, 2, 5);
    EXPECT_EQ(Body(Data, true, a), "\r\n<P class=RVPS1>hir</P>");
    // No selection: an empty body.
    Data.Select(-1, 0, -1, 0);
    EXPECT_EQ(Body(Data, true, a), "");
}

TEST(HTMLSelection, KeepsTheListAndDocumentAnchorNumbers)
{
    TDocument Doc;
    TDocTestData& Data = Doc.Data;
    Data.AddNamedCheckpointExTag("", false, TRVTag());
    Data.AddNL("zero", 0, 0);
    Doc.Marker(0, 0);
    Data.AddNL("one ", 0, -1);
    Data.AddNamedCheckpointExTag("", false, TRVTag());
    Data.AddNL("two", 1, -1);
    Data.AddNamedCheckpointExTag("", false, TRVTag()); // pending
    // From the middle of the numbered paragraph (item 3, "two") to its end.
    Data.Select(3, 1, 3, 4);
    TPageArgs a;
    a.Selection = true;
    a.Options = {rvsoDefault0Style};
    // The list item comes with it; the anchor keeps its number; the pending
    // checkpoint follows the selection that reaches the end.
    EXPECT_EQ(Body(Data, false, a), "<OL>\r\n<LI value=1>\r\n<A name=RollViewCheckpoint1></A>\r\n"
                                    "<FONT color=#0000FF><B>two</B></FONT></LI>\r\n</OL>\r\n"
                                    "<A name=RollViewCheckpoint2></A>\r\n");
    Data.Select(3, 1, 3, 3);
    EXPECT_FALSE(Contains(Body(Data, false, a), "RollViewCheckpoint2"));
}

TEST(HTMLSelection, NonTextItemsAtTheEnds)
{
    TDocument Doc;
    TDocTestData& Data = Doc.Data;
    Data.AddBulletEx("b", 0, &Doc.Images, 0);
    Data.AddNL("text", 0, -1);
    Data.AddBulletEx("b", 1, &Doc.Images, -1);
    TempDir Dir;
    TPageArgs a;
    a.Selection = true;
    a.Path = Dir.Path() + "/";
    Data.Select(0, 1, 2, 0); // after the first bullet, before the last one
    EXPECT_EQ(Body(Data, true, a), "\r\n<P>text</P>");
    Data.Select(0, 0, 2, 1);
    EXPECT_EQ(Body(Data, true, a), "\r\n<P><IMG src=\"img1.jpg\">text<IMG src=\"img2.jpg\"></P>");
}

// ---------------------------------------------------------------------------
// Files

TEST(HTMLFiles, PagesWithPicturesBesideThem)
{
    TempDir Dir;
    TDocument Doc;
    Doc.Build();
    int Counter = 0;
    const AnsiString FileName = Dir.File("page.html");
    ASSERT_TRUE(Doc.Data.SaveHTML(FileName, "t", "pics", {}, clWhite, Counter, 0, 0, 0, 0, nullptr));
    EXPECT_EQ(Dir.Read(FileName).rfind("<HTML><HEAD><TITLE>t</TITLE>", 0), 0u);
    EXPECT_FALSE(Dir.Read("pics1.jpg").empty());
    TColor FileColor = clNone;
    ASSERT_TRUE(Doc.Data.SaveHTMLEx(Dir.File("css.html"), "t", "pics", "", "", "", {}, clWhite, FileColor,
                                    Counter, 0, 0, 0, 0, nullptr));
    EXPECT_TRUE(Contains(Dir.Read("css.html"), "<STYLE type=\"text/css\">"));
    EXPECT_GT(Counter, 3);

    // A folder that does not exist, and a document without a style sheet:
    // false, and an existing page stays as it was.
    EXPECT_FALSE(Doc.Data.SaveHTML(Dir.Path() + "/none/page.html", "t", "p", {}, clNone, Counter, 0, 0, 0, 0,
                                   nullptr));
    const AnsiString Before = Dir.Read(FileName);
    TDocTestData Unstyled(nullptr);
    EXPECT_FALSE(Unstyled.SaveHTML(FileName, "t", "p", {}, clNone, Counter, 0, 0, 0, 0, nullptr));
    EXPECT_FALSE(Unstyled.SaveHTMLEx(FileName, "t", "p", "", "", "", {}, clNone, FileColor, Counter, 0, 0, 0,
                                     0, nullptr));
    EXPECT_EQ(Dir.Read(FileName), Before);
}
