// The CSS of a style sheet: differences from parent styles, decorations,
// missing colours, escaping of names, and a check by
// headless Chromium (where installed) that every declaration is valid CSS and
// that the computed styles of a test document equal the style sheet.
#include "document/rvstyle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "platform/core/colors.h"
#include "platform/core/streams.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/tempdir.h"

namespace {

AnsiString CSS(const TRVStyle& style, TRVSaveCSSOptions options = {})
{
    TStringStream stream;
    style.SaveCSSToStream(&stream, options);
    return stream.DataString();
}

// The lines of one rule, from its selector line to its closing brace.
AnsiString Rule(const AnsiString& css, const AnsiString& selectorLine)
{
    const size_t start = css.find(selectorLine + "\r\n");
    if (start == AnsiString::npos)
        return "(no rule " + selectorLine + ")";
    const size_t end = css.find("}\r\n", start);
    return css.substr(start, end + 3 - start);
}

} // namespace

// With the option, a style writes what differs from its base style (style 0
// when it has none or a missing one); hyperlinks always write their colour.
TEST(StyleCSSTest, OnlyDifferenceFromTheBaseStyle)
{
    TRVStyle style(nullptr);
    EXPECT_EQ(CSS(style, {rvcssOnlyDifference}), CSS(style)) << "no base styles: differences from style 0";
    TFontInfos* t = style.TextStyles();
    t->Items(2)->SetBaseStyleNo(1);  // Subheading on Heading: only the colour differs
    t->Items(5)->SetBaseStyleNo(4);  // the same as its base
    t->Items(3)->SetBaseStyleNo(40); // no such style: style 0 is the parent
    const AnsiString css = CSS(style, {rvcssOnlyDifference});
    EXPECT_EQ(Rule(css, "SPAN.RVTS2 /* Subheading */"), "SPAN.RVTS2 /* Subheading */\r\n{\r\n"
                                                        "  color: #000080;\r\n}\r\n");
    EXPECT_EQ(Rule(css, "A.RVTS5, SPAN.RVTS5 /* Jump 2 */"),
              "A.RVTS5, SPAN.RVTS5 /* Jump 2 */\r\n{\r\n  color: #008000;\r\n}\r\n");
    EXPECT_NE(Rule(css, "SPAN.RVTS3 /* Keywords */").find("font-style: italic"), AnsiString::npos);
    EXPECT_NE(Rule(CSS(style), "SPAN.RVTS2 /* Subheading */").find("font-weight: bold"), AnsiString::npos)
        << "without the option base styles are ignored";
}

// Combined lines make one valid value, never "none" with another; a border
// or text without a colour writes no colour; style 0 with a background is
// not the body.
TEST(StyleCSSTest, DecorationsBordersAndMissingColours)
{
    TRVStyle style(nullptr);
    TFontInfos* t = style.TextStyles();
    t->Items(4)->SetStyle({fsStrikeOut});
    t->Items(5)->SetStyle({});
    t->Items(5)->SetStyleEx({rvfsOverline});
    TFontInfo* both = t->Add();
    both->SetJump(true);
    both->SetStyle({fsUnderline, fsStrikeOut});
    both->SetStyleEx({rvfsOverline});
    t->Add()->SetColor(clNone);
    const AnsiString css = CSS(style);
    EXPECT_NE(css.find("text-decoration: underline overline;"), AnsiString::npos);
    EXPECT_EQ(css.find("none line-through"), AnsiString::npos);
    EXPECT_EQ(css.find("none overline"), AnsiString::npos);
    EXPECT_EQ(Rule(css, "SPAN.RVTS7 /* Font Style */").find("color"), AnsiString::npos);

    TParaInfo* boxed = style.ParaStyles()->Add();
    boxed->Border()->SetStyle(rvbSingle);
    boxed->Border()->SetColor(clNone);
    EXPECT_EQ(CSS(style).find("border-style"), AnsiString::npos);

    t->Items(0)->SetBackColor(clSilver);
    EXPECT_EQ(CSS(style).find("BODY, TABLE"), AnsiString::npos);
}

TEST(StyleCSSTest, NamesAreEscaped)
{
    TRVStyle style(nullptr);
    TFontInfo* f = style.TextStyles()->Items(1);
    f->SetFontName("Evil\" </style><script>x</script> \\ 'q'");
    f->SetStyleName("end */ <b>\r\nx");
    const AnsiString css = CSS(style);
    EXPECT_NE(css.find("SPAN.RVTS1 /* end *\\/ \\3C b>  x */\r\n"), AnsiString::npos);
    EXPECT_NE(css.find("  font-family: \"Evil\\22  \\3C /style\\3E \\3C script\\3E x\\3C /script\\3E  \\5C  "
                       "\\27 q\\27 \";\r\n"),
              AnsiString::npos);
    EXPECT_EQ(css.find("</"), AnsiString::npos);
}

TEST(StyleCSSTest, SaveToFile)
{
    TempDir dir;
    TRVStyle style(nullptr);
    EXPECT_TRUE(style.SaveCSS(dir.File("a.css"), {}));
    EXPECT_EQ(dir.Read("a.css"), CSS(style));
    EXPECT_FALSE(style.SaveCSS(dir.Path() + "/missing/a.css", {}));
}

// ---------------------------------------------------------------------------
// Headless Chromium

namespace {

AnsiString HexColor(TColor c)
{
    const TColor rgb = ColorToRGB(c == clWindowText ? clBlack : c);
    return Format("rgb(%d, %d, %d)", {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)});
}

struct Probe {
    AnsiString Key;                            // name of the element in the results
    AnsiString Markup;                         // the element, with data-k = Key
    std::map<AnsiString, AnsiString> Expected; // computed property -> value
};

std::map<AnsiString, AnsiString> RunChromium(const TempDir& dir, const AnsiString& html)
{
    const AnsiString page = dir.Write("page.html", html);
    return ParseKeyValueLines(ChromiumRunPage(page, dir.Path()));
}

AnsiString Px(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%gpx", v);
    return text;
}

// What a text style shows, as computed styles.
std::map<AnsiString, AnsiString> TextExpectation(const TFontInfo* f)
{
    AnsiString lines;
    if (f->Style().Contains(fsUnderline))
        lines = "underline";
    else if (f->Style().Contains(fsStrikeOut))
        lines = "line-through";
    if (f->StyleEx().Contains(rvfsOverline))
        lines = lines.empty() ? AnsiString("overline") : "underline overline";
    const double px = f->Size() * 96.0 / 72.0;
    return {
        {"font-size", Px(std::round(px * 1000) / 1000)},
        {"font-family", f->FontName()},
        {"font-style", f->Style().Contains(fsItalic) ? "italic" : "normal"},
        {"font-weight", f->Style().Contains(fsBold) ? "700" : "400"},
        {"color", HexColor(f->Color())},
        {"background-color", f->BackColor() == clNone ? "rgba(0, 0, 0, 0)" : HexColor(f->BackColor())},
        {"letter-spacing", f->CharSpacing() == 0 ? "normal" : Px(f->CharSpacing())},
        {"text-transform", f->StyleEx().Contains(rvfsAllCaps) ? "uppercase" : "none"},
        {"vertical-align", f->VShift() > 0   ? "super"
                           : f->VShift() < 0 ? "sub"
                                             : "baseline"},
        {"text-decoration-line", lines.empty() ? AnsiString("none") : lines},
    };
}

std::map<AnsiString, AnsiString> ParaExpectation(const TParaInfo* p, double fontPx)
{
    static const char* const aligns[] = {"left", "right", "center", "justify"};
    const TRVBorder* b = p->Border();
    const bool border = b->Style() != rvbNone;
    TRect pad;
    if (border)
        b->BorderOffsets()->AssignToRect(pad);
    if (p->Background()->Color() != clNone)
        p->Background()->BorderOffsets()->AssignToRectIfGreater(pad);
    std::map<AnsiString, AnsiString> e = {
        {"text-align", aligns[p->Alignment()]},
        {"text-indent", Px(p->FirstIndent())},
        {"white-space", p->Options().Contains(rvpaoNoWrap) ? "nowrap" : "normal"},
        {"background-color",
         p->Background()->Color() == clNone ? "rgba(0, 0, 0, 0)" : HexColor(p->Background()->Color())},
        {"padding-top", Px(pad.Top)},
        {"padding-right", Px(pad.Right)},
        {"padding-bottom", Px(pad.Bottom)},
        {"padding-left", Px(pad.Left)},
        {"margin-top", Px(p->SpaceBefore() - pad.Top)},
        {"margin-right", Px(p->RightIndent() - pad.Right)},
        {"margin-bottom", Px(p->SpaceAfter() - pad.Bottom)},
        {"margin-left", Px(p->LeftIndent() - pad.Left)},
        {"line-height", p->LineSpacingType() == rvlsPercent && p->LineSpacing() != 100
                            ? Px(fontPx * p->LineSpacing() / 100)
                            : AnsiString("normal")},
    };
    const bool visible[] = {b->VisibleBorders()->Top(), b->VisibleBorders()->Right(),
                            b->VisibleBorders()->Bottom(), b->VisibleBorders()->Left()};
    const char* sides[] = {"top", "right", "bottom", "left"};
    for (int i = 0; i < 4; ++i) {
        const AnsiString side = sides[i];
        const bool shown = border && visible[i];
        e["border-" + side + "-style"] = !shown ? "none" : b->Style() == rvbSingle ? "solid" : "double";
        if (shown)
            e["border-" + side + "-color"] = HexColor(b->Color());
    }
    return e;
}

// The style sheet of the check: hyperlinks struck out, overlined and in the
// body's colour; a text style with every decoration and a raised shift; one
// whose names try to break out of the sheet; a paragraph style with borders,
// a background, indents and spacing; and one with space between lines.
void AddCheckedStyles(TRVStyle& style)
{
    TFontInfos* t = style.TextStyles();
    t->Items(4)->SetStyle({fsStrikeOut}); // a struck-out hyperlink
    t->Items(4)->SetHoverColor(clRed);
    t->Items(5)->SetColor(clWindowText); // a hyperlink in the body's colour
    t->Items(5)->SetStyleEx({rvfsOverline});
    TFontInfo* rich = t->Add(); // 6
    rich->SetCharSpacing(2);
    rich->SetStyleEx({rvfsAllCaps, rvfsOverline});
    rich->SetStyle({fsUnderline, fsItalic});
    rich->SetVShift(5);
    rich->SetBackColor(clYellow);
    rich->SetSize(14);
    rich->SetFontName("Times New Roman");
    TFontInfo* evil = t->Add(); // 7
    evil->SetFontName("Evil\" </style><b>'x'\\");
    evil->SetStyleName("*/ </style> <i>");
    evil->SetVShift(-3);
    TParaInfos* p = style.ParaStyles();
    TParaInfo* boxed = p->Add(); // 2
    boxed->SetSpaceBefore(10);
    boxed->SetSpaceAfter(12);
    boxed->SetLeftIndent(20);
    boxed->SetRightIndent(6);
    boxed->SetFirstIndent(-8);
    boxed->SetLineSpacing(150);
    boxed->SetAlignment(rvaJustify);
    boxed->SetOptions({rvpaoNoWrap});
    boxed->Border()->SetStyle(rvbDouble);
    boxed->Border()->SetColor(clRed);
    boxed->Border()->VisibleBorders()->SetValues(false, true, true, false);
    boxed->Border()->BorderOffsets()->SetAll(4);
    boxed->Background()->SetColor(clSilver);
    TRVRect* offsets = boxed->Background()->BorderOffsets();
    offsets->SetLeft(1);
    offsets->SetTop(5);
    offsets->SetRight(2);
    offsets->SetBottom(9);
    TParaInfo* spaced = p->Add(); // 3
    spaced->SetLineSpacingType(rvlsSpaceBetween);
    spaced->SetLineSpacing(6);
    spaced->SetAlignment(rvaRight);
}

// An element for each text and paragraph style, and what its computed style
// must be.
std::vector<Probe> StyleProbes(TRVStyle& style)
{
    TFontInfos* t = style.TextStyles();
    TParaInfos* p = style.ParaStyles();
    std::vector<Probe> probes;
    for (int i = 0; i < t->Count(); ++i) {
        const TFontInfo* f = t->Items(i);
        const AnsiString key = "t" + IntToStr(i);
        AnsiString markup;
        if (i == 0)
            markup = "<span data-k=\"t0\">x</span>";
        else if (f->Jump())
            markup = Format("<a href=\"#\" class=\"RVTS%d\" data-k=\"%s\">x</a>", {i, key});
        else
            markup = Format("<span class=\"RVTS%d\" data-k=\"%s\">x</span>", {i, key});
        auto expected = TextExpectation(f);
        if (i == 0) {
            // Style 0 is the body's: a span inside it inherits the inherited
            // properties; the others are the span's own defaults.
            expected["vertical-align"] = "baseline";
            expected["text-decoration-line"] = "none";
        }
        probes.push_back({key, markup, expected});
    }
    const double bodyPx = t->Items(0)->Size() * 96.0 / 72.0;
    for (int i = 0; i < p->Count(); ++i) {
        const AnsiString key = "p" + IntToStr(i);
        const AnsiString cls = i == 0 ? AnsiString() : Format(" class=\"RVPS%d\"", {i});
        probes.push_back(
            {key, Format("<p%s data-k=\"%s\">x</p>", {cls, key}), ParaExpectation(p->Items(i), bodyPx)});
    }
    return probes;
}

// A standards-mode page with the sheet and the probes whose script lists
// every probe's computed properties, the rules parsed against those of the
// sheet's text, and the declarations the browser drops.
AnsiString ProbePage(const AnsiString& css, const std::vector<Probe>& probes)
{
    AnsiString body;
    for (const Probe& probe : probes) {
        AnsiString props;
        for (const auto& e : probe.Expected)
            props += (props.empty() ? "" : ",") + e.first;
        body += StringReplace(probe.Markup, " data-k=", " data-p=\"" + props + "\" data-k=", 0) + "\n";
    }
    // Each declaration of the sheet's text, tried alone on an element in a
    // standards-mode page: one the browser drops leaves the element without
    // style. Every rule of the text must be a rule of the parsed sheet.
    const AnsiString html =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><style>\n" + css + "</style></head>\n<body>\n" +
        body +
        "<pre id=\"out\"></pre>\n<script>\n"
        "const out = [];\n"
        "for (const el of document.querySelectorAll('[data-k]')) {\n"
        "  const cs = getComputedStyle(el);\n"
        "  for (const p of el.dataset.p.split(',')) out.push(el.dataset.k + '.' + p + '=' + "
        "cs.getPropertyValue(p));\n"
        "}\n"
        "const text = document.querySelector('style').textContent.replace(/\\/\\*[\\s\\S]*?\\*\\//g, '');\n"
        "const blocks = [...text.matchAll(/\\{([^}]*)\\}/g)];\n"
        "out.push('rules=' + document.styleSheets[0].cssRules.length + ' of ' + blocks.length);\n"
        "const probe = document.createElement('div');\n"
        "for (const b of blocks) for (const d of b[1].split(';')) {\n"
        "  if (d.trim() === '') continue;\n"
        "  probe.setAttribute('style', d);\n"
        "  if (probe.style.length === 0) out.push('dropped=' + d.trim());\n"
        "}\n"
        "document.getElementById('out').textContent = out.join('\\n');\n"
        "</script></body></html>\n";
    return html;
}

} // namespace

// The style sheet is shown in headless Chromium once for every test of the
// suite: the page of probes and what the browser computed for it.
class StyleCSSChromiumTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!ChromiumAvailable())
            return;
        TRVStyle style(nullptr);
        AddCheckedStyles(style);
        Probes = StyleProbes(style);
        TempDir dir;
        Results = RunChromium(dir, ProbePage(CSS(style), Probes));
    }
    static void TearDownTestSuite()
    {
        Probes.clear();
        Results.clear();
    }
    void SetUp() override
    {
        if (!ChromiumAvailable())
            GTEST_SKIP() << "headless Chromium is not installed";
    }

    // Every probe whose key starts with Prefix computes the expected style.
    static void ExpectComputedStyles(char prefix)
    {
        const std::map<AnsiString, AnsiString>& results = Results;
        for (const Probe& probe : Probes) {
            if (probe.Key[0] != prefix)
                continue;
            for (const auto& e : probe.Expected) {
                const AnsiString key = probe.Key + "." + e.first;
                ASSERT_EQ(results.count(key), 1u) << key;
                AnsiString actual = results.at(key);
                if (e.first == "font-family")
                    actual = StringReplace(actual, "\"", "", rfReplaceAll);
                if (e.first == "font-family" && e.second.find('"') != AnsiString::npos) {
                    // A name with quotes comes back escaped; compare without the escapes.
                    EXPECT_NE(actual.find("Evil"), AnsiString::npos) << key;
                    continue;
                }
                if (e.first == "font-size" || (e.first == "line-height" && e.second != "normal")) {
                    EXPECT_NEAR(std::atof(actual.c_str()), std::atof(e.second.c_str()), 0.01) << key;
                    continue;
                }
                EXPECT_EQ(actual, e.second) << key;
            }
        }
    }

    static std::vector<Probe> Probes;
    static std::map<AnsiString, AnsiString> Results;
};

std::vector<Probe> StyleCSSChromiumTest::Probes;
std::map<AnsiString, AnsiString> StyleCSSChromiumTest::Results;

// Every declaration of the sheet is one the browser keeps, and every rule of
// the sheet's text is a rule of the parsed sheet.
TEST_F(StyleCSSChromiumTest, TheBrowserKeepsEveryDeclarationAndRule)
{
    const std::map<AnsiString, AnsiString>& results = Results;
    ASSERT_FALSE(results.empty()) << "Chromium gave no results";
    EXPECT_EQ(results.count("dropped"), 0u) << "declarations the browser dropped: " << results.at("dropped");
    const AnsiString ruleCounts = results.at("rules");
    EXPECT_EQ(ruleCounts.substr(0, ruleCounts.find(' ')), ruleCounts.substr(ruleCounts.rfind(' ') + 1));
}

TEST_F(StyleCSSChromiumTest, TextStylesComputeAsTheStyleSheetSays)
{
    ASSERT_FALSE(Results.empty()) << "Chromium gave no results";
    ExpectComputedStyles('t');
}

TEST_F(StyleCSSChromiumTest, ParagraphStylesComputeAsTheStyleSheetSays)
{
    ASSERT_FALSE(Results.empty()) << "Chromium gave no results";
    ExpectComputedStyles('p');
}
