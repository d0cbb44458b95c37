// HTML pages of the item store, with and without a style sheet: a document
// with every item kind, the parts of a page, escaping, lists,
// checkpoints, backgrounds, selections and files; and the pages checked by
// real programs where installed: tidy and html5lib parse them without errors,
// headless Chromium shows the style sheet's colours and fonts and keeps every
// inline style, and ImageMagick opens the pictures written beside them.
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

struct TPageArgs {
    AnsiString Path;
    AnsiString Title = "Page";
    AnsiString Prefix = "img";
    AnsiString ExtraCSS;
    AnsiString ExternalCSS;
    AnsiString CPPrefix;
    TRVSaveOptions Options;
    TColor Color = clNone;
    TRVFBackground* Background = nullptr;
    bool Selection = false;
};

AnsiString Plain(TCustomRVData& Data, const TPageArgs& a = TPageArgs(), int* Counter = nullptr)
{
    TMemoryStream Stream;
    int OwnCounter = 0;
    EXPECT_TRUE(Data.SaveHTMLToStream(Stream, a.Path, a.Title, a.Prefix, a.Options, a.Color,
                                      Counter ? *Counter : OwnCounter, 1, 2, 3, 4, a.Background, nullptr,
                                      a.Selection));
    return StreamBytes(Stream);
}

AnsiString WithCSS(TCustomRVData& Data, const TPageArgs& a = TPageArgs(), int* Counter = nullptr)
{
    TMemoryStream Stream;
    int OwnCounter = 0;
    TColor FileColor = clNone;
    EXPECT_TRUE(Data.SaveHTMLToStreamEx(
        Stream, a.Path, a.Title, a.Prefix, a.ExtraCSS, a.ExternalCSS, a.CPPrefix, a.Options, a.Color,
        FileColor, Counter ? *Counter : OwnCounter, 1, 2, 3, 4, a.Background, nullptr, a.Selection));
    return StreamBytes(Stream);
}

AnsiString Body(TCustomRVData& Data, bool CSS, TPageArgs a = TPageArgs())
{
    a.Options.Include(rvsoMiddleOnly);
    return CSS ? WithCSS(Data, a) : Plain(Data, a);
}

bool Contains(const AnsiString& s, const AnsiString& Part)
{
    return s.find(Part) != AnsiString::npos;
}

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

// ---------------------------------------------------------------------------
// The document with every item kind

// Text styles: 0-5 the defaults (4 and 5 hyperlinks), 6 Unicode, 7 HTML code,
// 8 raised, underlined and struck out on yellow. Paragraph styles: 0, 1
// centred, 2 right-aligned on silver. Lists: 0 decimal in two levels, 1
// bullets, 2 images of the image list.
class TDocument {
public:
    TDocument() : Data(&Style)
    {
        // A control writes what the program makes of it.
        Data.ComponentText = [](const AnsiString&, TComponent* saveMe, TRVSaveFormat format) {
            return format == rvsfHTML && saveMe ? AnsiString("<INPUT type=button value=\"a control\">")
                                                : AnsiString();
        };
        for (int i = 0; i < 3; ++i)
            Images.AddPixels(TPixelBuffer(12, 12, 0xFF000000u | (0x40u << (8 * i))));
        TFontInfos* t = Style.TextStyles();
        TFontInfo* Uni = t->Add();
        Uni->SetUnicode(true);
        Uni->SetFontName("Times New Roman");
        Uni->SetSize(12);
        Uni->SetColor(clRed);
        t->Add()->SetOptions({rvteoHTMLCode});
        TFontInfo* Raised = t->Add();
        Raised->SetVShift(50);
        Raised->SetStyle({fsUnderline, fsStrikeOut});
        Raised->SetBackColor(clYellow);
        Raised->SetFontName("Courier New");
        TParaInfo* Boxed = Style.ParaStyles()->Add();
        Boxed->SetAlignment(rvaRight);
        Boxed->Background()->SetColor(clSilver);
        TRVListInfo* Numbers = Style.ListStyles()->Add();
        AddLevel(Numbers, rvlstDecimal, "%0:s.");
        AddLevel(Numbers, rvlstLowerAlpha, "%1:s)");
        AddLevel(Style.ListStyles()->Add(), rvlstBullet, "*");
        TRVListLevel* Pictures = AddLevel(Style.ListStyles()->Add(), rvlstImageList, "");
        Pictures->SetImageList(&Images);
        Pictures->SetImageIndex(2);
    }

    static TRVListLevel* AddLevel(TRVListInfo* List, TRVListType Type, const AnsiString& Format)
    {
        TRVListLevel* Level = List->Levels()->Add();
        Level->SetListType(Type);
        Level->SetFormatString(Format);
        return Level;
    }

    void Build()
    {
        Data.AddNamedCheckpointExTag("top", false, TRVTag());
        Data.AddNL("Title  <&> text", 1, 1);
        Data.AddNL(" leading and trailing ", 0, 0);
        Data.AddNL("bold", 1, -1);
        Data.AddNL(" and more", 1, -1);
        Data.AddTextBlockNL("line one\r\nline two", 3, 0);
        Data.AddNL("a link", 4, 0);
        Link(0, "http://example.com/?a=1&b=\"2\"");
        Data.AddNL(" after the link", 0, -1);
        Data.AddNLWTag(u"\u00DCn\u00EFc\u00F6de \u2713", 6, 2, TRVTag());
        Data.AddNL("<b>raw</b>", 7, 0);
        Data.AddNL("raised", 8, -1);
        Data.AddBulletEx("bullet", 0, &Images, 0);
        Data.CheckItemClass<TRVRectItemInfo>(Data.GetItemCount() - 1)->VShift = 50;
        Data.AddNL(" a bullet and a hot spot ", 0, -1);
        Data.AddHotspotEx("hot", 1, 2, &Images, -1);
        Link(1, "#top");
        // A bitmap (written as JPEG), raised by half its height; a JPEG
        // picture (written as it is) that is a hyperlink; a control.
        Data.AddPictureEx("bitmap", NewBitmap(10, 6, clBlue), 0, rvvaBaseline);
        Data.CheckItemClass<TRVRectItemInfo>(Data.GetItemCount() - 1)->VShift = 50;
        auto* Jpeg = new TJPEGImage;
        std::unique_ptr<TBitmap> Source(NewBitmap(8, 8, clGreen));
        Jpeg->Assign(Source.get());
        Data.AddHotPicture("jpeg", Jpeg, -1, rvvaMiddle);
        Link(2, "pages/next page.html");
        Data.AddControlEx("control", new TControl(nullptr), -1, rvvaBaseline);
        Data.AddBreakEx(2, rvbsLine, clRed);
        Data.AddNamedCheckpointExTag("", false, TRVTag());
        Marker(0, 0);
        Data.AddNL("first", 0, -1);
        Marker(0, 1);
        Data.AddNL("nested", 2, -1);
        Data.AddBreak();
        Marker(0, 0);
        Data.AddNL("second", 0, -1);
        Marker(1, 0);
        Data.AddNL("bulleted", 0, -1);
        Marker(2, 0);
        Data.AddNL("pictured", 0, -1);
        Data.AddNL("after the lists", 0, 0);
        Data.AddNamedCheckpointExTag("end", false, TRVTag());
    }

    static TBitmap* NewBitmap(int Width, int Height, TColor Color)
    {
        auto* Bitmap = new TBitmap;
        Bitmap->SetSize(Width, Height);
        Bitmap->Canvas()->Brush()->SetColor(Color);
        Bitmap->Canvas()->FillRect(Rect(0, 0, Width, Height));
        return Bitmap;
    }
    void Link(int ID, const AnsiString& Target)
    {
        Data.GetItem(Data.GetItemCount() - 1)->SetJumpID(ID);
        Data.URLs[ID] = Target;
    }
    void Marker(int ListNo, int Level) { Data.SetListMarkerInfo(-1, ListNo, Level, 1, 0, false); }

    TRVStyle Style{nullptr};
    TImageList Images{nullptr};
    TDocTestData Data;
};

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

// ---------------------------------------------------------------------------
// Real programs

namespace {

// The page written into a folder with its pictures.
std::string WritePage(const TempDir& Dir, TDocument& Doc, bool CSS, const AnsiString& Name,
                      TRVSaveOptions Options = {})
{
    TPageArgs a;
    a.Options = Options;
    a.Path = Dir.Path() + "/";
    a.Title = "Check <page> & title";
    a.Color = clWhite;
    return Dir.Write(Name, CSS ? WithCSS(Doc.Data, a) : Plain(Doc.Data, a));
}

} // namespace

// Every form of the page (plain or with CSS, markers as list tags or as text)
// through tidy (2 for errors, 1 for warnings of old-style markup) and html5lib
// (pages carry no DOCTYPE: browsers show them in quirks mode).
TEST(HTMLRealPrograms, TidyAndHtml5libFindNoErrors)
{
    const bool Tidy = ProgramAvailable("/usr/bin/tidy");
    const std::string Python = PythonWithHTML5Lib();
    if (!Tidy && Python.empty())
        GTEST_SKIP() << "neither tidy nor python3 with html5lib is installed";
    TempDir Dir;
    TDocument Doc;
    Doc.Build();
    const std::string Script = Dir.Write("check.py", "import sys, html5lib\n"
                                                     "p = html5lib.HTMLParser(strict=False)\n"
                                                     "p.parse(open(sys.argv[1], 'rb').read())\n"
                                                     "for pos, code, args in p.errors:\n"
                                                     "    if code != 'expected-doctype-but-got-start-tag':\n"
                                                     "        print(pos, code, args)\n");
    for (int Form = 0; Form < 4; ++Form) {
        SCOPED_TRACE(Form);
        const TRVSaveOptions Options = Form & 2 ? TRVSaveOptions{rvsoMarkersAsText} : TRVSaveOptions{};
        const std::string Page =
            WritePage(Dir, Doc, Form & 1, "page" + std::to_string(Form) + ".html", Options);
        int Status = 0;
        if (Tidy) {
            const std::string Report = RunCommand("tidy -errors -q '" + Page + "' 2>&1", Status);
            EXPECT_LT(Status, 2) << Report;
            EXPECT_EQ(Report.find("Error:"), std::string::npos) << Report;
        }
        if (!Python.empty()) {
            const std::string Errors = RunCommand(Python + " '" + Script + "' '" + Page + "' 2>&1", Status);
            EXPECT_EQ(Status, 0) << Errors;
            EXPECT_EQ(Errors, "");
        }
    }
}

TEST(HTMLRealPrograms, PicturesOpenInImageMagick)
{
    if (!ProgramAvailable("/usr/bin/identify"))
        GTEST_SKIP() << "ImageMagick is not installed";
    TempDir Dir;
    TDocument Doc;
    Doc.Build();
    TTestBackground Background(2, TDocument::NewBitmap(4, 4, clWhite));
    TPageArgs a;
    a.Path = Dir.Path() + "/";
    a.Background = &Background;
    int Counter = 0;
    Dir.Write("page.html", WithCSS(Doc.Data, a, &Counter));
    ASSERT_GE(Counter, 4);
    int Checked = 0;
    for (const auto& Entry : std::filesystem::directory_iterator(Dir.Path())) {
        if (Entry.path().extension() != ".jpg")
            continue;
        int Status = 0;
        const std::string Info = RunCommand("identify '" + Entry.path().string() + "' 2>&1", Status);
        EXPECT_EQ(Status, 0) << Info;
        EXPECT_NE(Info.find(" JPEG "), std::string::npos) << Info;
        ++Checked;
    }
    EXPECT_EQ(Checked, Counter);
}

namespace {

AnsiString RGB(TColor c)
{
    const TColor rgb = ColorToRGB(c == clWindowText ? clBlack : c);
    return Format("rgb(%d, %d, %d)", {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)});
}

// The page's script: computed styles of every element of a text style class
// ("RVTSn.property=value"), declarations of inline styles that the browser
// dropped ("dropped=..."), and the body's margin and colour. A page without a
// DOCTYPE is read in quirks mode, which lets lengths without units pass, so
// each declaration is also tried in a standards-mode document.
const char* const ProbeScript =
    "<pre id=\"out\"></pre><script>\n"
    "const out = [];\n"
    "const strict = document.implementation.createHTMLDocument('').createElement('div');\n"
    "const props = ['color', 'font-family', 'font-size', 'font-style', 'font-weight', 'background-color'];\n"
    "for (const el of document.querySelectorAll('span[class], a[class]')) {\n"
    "  const cs = getComputedStyle(el);\n"
    "  for (const p of props) out.push(el.className + '.' + p + '=' + cs.getPropertyValue(p));\n"
    "}\n"
    "for (const el of document.querySelectorAll('[style]')) {\n"
    "  out.push('inline=' + el.tagName);\n"
    "  for (const decl of el.getAttribute('style').split(';')) {\n"
    "    if (decl.trim() === '') continue;\n"
    "    const name = decl.split(':')[0].trim();\n"
    "    strict.setAttribute('style', decl);\n"
    "    if (el.style.getPropertyValue(name) === '' || strict.style.getPropertyValue(name) === '')\n"
    "      out.push('dropped=' + el.tagName + ' ' + decl);\n"
    "  }\n"
    "}\n"
    "const body = getComputedStyle(document.body);\n"
    "out.push('body.margin=' + body.marginTop + ' ' + body.marginRight + ' ' + body.marginBottom + ' ' +\n"
    "         body.marginLeft);\n"
    "out.push('body.background=' + body.backgroundColor);\n"
    "document.getElementById('out').textContent = out.join('\\n');\n"
    "</script>";

} // namespace

TEST(HTMLRealPrograms, ChromiumShowsTheStyleSheetAndKeepsInlineStyles)
{
    if (!ChromiumAvailable())
        GTEST_SKIP() << "headless Chromium is not installed";
    for (const bool MarkersAsText : {false, true}) {
        SCOPED_TRACE(MarkersAsText ? "markers as text" : "list tags");
        TempDir Dir;
        TDocument Doc;
        Doc.Build();
        Doc.Data.ExtraHTML[rv_thms_End] = ProbeScript;
        const std::string Page =
            WritePage(Dir, Doc, true, "page.html",
                      MarkersAsText ? TRVSaveOptions{rvsoMarkersAsText} : TRVSaveOptions{});
        const auto Results = ParseKeyValueLines(ChromiumRunPage(Page, Dir.Path()));
        ASSERT_FALSE(Results.empty()) << "Chromium gave no results";
        EXPECT_EQ(Results.count("dropped"), 0u)
            << "inline CSS the browser dropped: " << Results.at("dropped");
        // The rule, the raised bullet and the list item of pictures carry inline
        // styles; as text, numbered paragraphs are P elements with their indents
        // and marker texts SPANs with their font.
        ASSERT_EQ(Results.count("inline"), 1u);
        for (const char* Tag : MarkersAsText ? std::vector<const char*>{"P", "SPAN"}
                                             : std::vector<const char*>{"HR", "IMG", "LI"})
            EXPECT_NE(Results.at("inline").find(Tag), std::string::npos) << Results.at("inline");
        if (MarkersAsText)
            continue;
        EXPECT_EQ(Results.at("body.margin"), "2px 3px 4px 1px");
        EXPECT_EQ(Results.at("body.background"), RGB(clWhite));

        // Every styled span and link shows its style's colours and font.
        int Checked = 0;
        for (int i = 1; i < Doc.Style.TextStyles()->Count(); ++i) {
            const std::string Key = "RVTS" + std::to_string(i);
            if (Results.count(Key + ".color") == 0)
                continue;
            const TFontInfo* ts = Doc.Style.TextStyles()->Items(i);
            auto Value = [&](const char* Prop) {
                const std::string v = Results.at(Key + "." + Prop);
                return v.substr(0, v.find('|')); // every element of the class is the same
            };
            EXPECT_EQ(Value("color"), RGB(ts->Color())) << Key;
            EXPECT_EQ(StringReplace(Value("font-family"), "\"", "", rfReplaceAll), ts->FontName()) << Key;
            EXPECT_NEAR(std::atof(Value("font-size").c_str()), ts->Size() * 96.0 / 72.0, 0.01) << Key;
            EXPECT_EQ(Value("font-weight"), ts->Style().Contains(fsBold) ? "700" : "400") << Key;
            EXPECT_EQ(Value("font-style"), ts->Style().Contains(fsItalic) ? "italic" : "normal") << Key;
            EXPECT_EQ(Value("background-color"),
                      ts->BackColor() == clNone ? AnsiString("rgba(0, 0, 0, 0)") : RGB(ts->BackColor()))
                << Key;
            ++Checked;
        }
        // Heading, keywords, link, Unicode, HTML code, raised.
        EXPECT_GE(Checked, 6);
    }
}
