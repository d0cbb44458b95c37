// HTML fragments of fonts and text styles, and the escaping of names for HTML
// attributes and CSS.
#include "document/rvfuncs.h"

#include <gtest/gtest.h>

#include "document/rvstyle.h"
#include "platform/core/colors.h"

TEST(RVFuncsHTMLTest, FontCSS)
{
    TFont font;
    font.SetName("Arial");
    font.SetSize(10);
    font.SetStyle({fsBold});
    font.SetColor(clBlack);
    EXPECT_EQ(RV_GetHTMLFontCSS(&font), "font: bold 10pt 'Arial'; color: #000000;");

    font.SetStyle({fsItalic, fsUnderline, fsStrikeOut});
    font.SetColor(clWindowText);
    font.SetName("Times New Roman");
    EXPECT_EQ(
        RV_GetHTMLFontCSS(&font),
        "font: italic 10pt 'Times New Roman'; text-decoration: underline line-through; color: #000000;");

    // Below 1 point the height in pixels is written.
    font.SetStyle({});
    font.SetHeight(1);
    EXPECT_EQ(RV_GetHTMLFontCSS(&font), "font: 1px 'Times New Roman'; color: #000000;");
    font.SetColor(clNone);
    font.SetName("O'Brien\"s");
    EXPECT_EQ(RV_GetHTMLFontCSS(&font), "font: 1px 'O\\27 Brien\\22 s';");
}

TEST(RVFuncsHTMLTest, AbsoluteFontTags)
{
    TFontInfo ts(nullptr);
    TFontInfo normal(nullptr);
    ts.SetSize(14);
    ts.SetColor(clRed);
    ts.SetFontName("Verdana");
    ts.SetStyle({fsBold, fsUnderline, fsStrikeOut});
    ts.SetVShift(3);
    EXPECT_EQ(RV_HTMLOpenFontTag(&ts, &normal, false),
              "<FONT size=4 color=#FF0000 face=\"Verdana\"><B><U><S><SUP>");
    EXPECT_EQ(RV_HTMLCloseFontTag(&ts, &normal, false), "</SUP></S></U></B></FONT>");
    ts.SetVShift(-1);
    ts.SetStyle({});
    EXPECT_EQ(RV_HTMLOpenFontTag(&ts, &normal, false), "<FONT size=4 color=#FF0000 face=\"Verdana\"><SUB>");
    EXPECT_EQ(RV_HTMLCloseFontTag(&ts, &normal, false), "</SUB></FONT>");
}

TEST(RVFuncsHTMLTest, RelativeFontTagsUndoTheNormalStyle)
{
    TFontInfo normal(nullptr);
    normal.SetStyle({fsBold, fsItalic});
    TFontInfo ts(nullptr);
    ts.Assign(&normal);
    EXPECT_EQ(RV_HTMLOpenFontTag(&ts, &normal, true), "");
    EXPECT_EQ(RV_HTMLCloseFontTag(&ts, &normal, true), "");

    ts.SetStyle({fsItalic, fsUnderline});
    ts.SetFontName("ARIAL"); // names compare without regard to case
    EXPECT_EQ(RV_HTMLOpenFontTag(&ts, &normal, true), "</B><U>");
    EXPECT_EQ(RV_HTMLCloseFontTag(&ts, &normal, true), "</U><B>");

    ts.SetColor(clBlue);
    EXPECT_EQ(RV_HTMLOpenFontTag(&ts, &normal, true), "<FONT color=#0000FF></B><U>");
    EXPECT_EQ(RV_HTMLCloseFontTag(&ts, &normal, true), "</U><B></FONT>");

    // A style without a colour gets no colour attribute, and then no FONT tag
    // to close either.
    ts.SetColor(clNone);
    EXPECT_EQ(RV_HTMLOpenFontTag(&ts, &normal, true), "</B><U>");
    EXPECT_EQ(RV_HTMLCloseFontTag(&ts, &normal, true), "</U><B>");

    ts.SetFontName("A \"quoted\" <face> & co");
    EXPECT_EQ(RV_HTMLOpenFontTag(&ts, &normal, true),
              "<FONT face=\"A &quot;quoted&quot; &lt;face&gt; &amp; co\"></B><U>");
}

TEST(RVFuncsHTMLTest, FontTagsOfPlainFonts)
{
    TFontInfo normal(nullptr);
    TFont font;
    font.SetName("Arial");
    font.SetSize(10);
    font.SetColor(clWindowText);
    EXPECT_EQ(RV_HTMLOpenFontTag2(&font, &normal), "");
    EXPECT_EQ(RV_HTMLCloseFontTag2(&font, &normal), "");
    font.SetSize(20);
    font.SetStyle({fsStrikeOut});
    EXPECT_EQ(RV_HTMLOpenFontTag2(&font, &normal), "<FONT size=6><S>");
    EXPECT_EQ(RV_HTMLCloseFontTag2(&font, &normal), "</S></FONT>");
}

TEST(RVFuncsHTMLTest, Escaping)
{
    EXPECT_EQ(RV_EscapeHTMLAttribute("Times New Roman"), "Times New Roman");
    EXPECT_EQ(RV_EscapeHTMLAttribute("a&b\"<>'"), "a&amp;b&quot;&lt;&gt;'");
    EXPECT_EQ(RV_EscapeCSSString("Times New Roman"), "Times New Roman");
    EXPECT_EQ(RV_EscapeCSSString("\xD0\x96-1_x"), "\xD0\x96-1_x");
    EXPECT_EQ(RV_EscapeCSSString("a\"b'c\\d<e>f&g\nh"), "a\\22 b\\27 c\\5C d\\3C e\\3E f\\26 g\\A h");
    EXPECT_EQ(RV_EscapeCSSComment("Normal text"), "Normal text");
    EXPECT_EQ(RV_EscapeCSSComment("a */ b\r\n</style>"), "a *\\/ b  \\3C /style>");
    EXPECT_EQ(RV_EscapeCSSComment("**/"), "**\\/");
}
