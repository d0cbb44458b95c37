// HTML pages of the item store checked by real programs where installed: tidy
// and html5lib parse them without errors, headless Chromium shows the style
// sheet's colours and fonts and keeps every inline style, and ImageMagick
// opens the pictures written beside them.
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
