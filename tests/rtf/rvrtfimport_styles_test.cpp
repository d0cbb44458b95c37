// Style choice of RTF loads: the closest text style by weighted score, exact
// matches and added styles, the paragraph styles and the border translation.
#include <gtest/gtest.h>

#include "tests/support/rtfimport.h"

namespace {

const char* const FontTable = R"({\fonttbl{\f0\fswiss Arial;}{\f1\froman Times New Roman;}})";

std::string Doc(const std::string& body)
{
    return std::string(R"({\rtf1\ansi)") + FontTable + body + "}";
}

struct TSheetStyle {
    const char* Font;
    int Size;
    TFontStyles Style;
    bool AllCaps = false;
    int CharSpacing = 0;
    TColor Color = clWindowText;
};

struct TClosestCase {
    const char* Name;
    std::vector<TSheetStyle> Sheet;
    const char* Body;
    int Expected;
};

const TClosestCase ClosestCases[] = {
    {"ties go to the earliest",
     {{"Times New Roman", 12, {}}, {"Arial", 10, {}}, {"Arial", 10, {}}},
     R"(\f0\fs20 x)",
     1},
    {"bold Arial at 10 points",
     {{"Arial", 10, {}}, {"Arial", 10, {fsBold}}, {"Times New Roman", 10, {fsBold}}},
     R"(\f0\fs20\b x)",
     1},
    {"all caps loses to an otherwise equal style",
     {{"Times New Roman", 14, {}}, {"Arial", 10, {}, true}, {"Arial", 10, {}}},
     R"(\f0\fs20 x)",
     2},
    {"the font name counts", {{"Arial", 12, {}}, {"Times New Roman", 12, {}}}, R"(\f1\fs24 x)", 1},
    {"the size counts", {{"Arial", 8, {}}, {"Arial", 24, {}}, {"Arial", 11, {}}}, R"(\f0\fs22 x)", 2},
    {"extreme sizes do not overflow the score",
     {{"Arial", 10, {}}, {"Arial", 1638, {}}},
     R"(\f0\fs99999999 x)",
     1},
    // Two scores far below the 32-bit range would wrap around to a winning one.
    {"extreme styles lose",
     {{"Times New Roman", 40, {fsBold}}, {"Arial", 2000000000, {}, false, 2000000000}},
     R"(\f0\fs20 x)",
     0},
    {"a system colour beyond the table",
     {{"Times New Roman", 12, {}}, {"Arial", 10, {}, false, 0, TColor(0x800000FF)}},
     R"(\f0\fs20 x)",
     1},
};

} // namespace

TEST_F(TRTFImportTest, ClosestTextStyleWinsByScore)
{
    for (const TClosestCase& c : ClosestCases) {
        SCOPED_TRACE(c.Name);
        Data.Clear();
        Style.ResetTextStyles();
        Style.TextStyles()->Clear();
        for (const TSheetStyle& s : c.Sheet) {
            TFontInfo* info = Style.TextStyles()->Add();
            info->SetFontName(s.Font);
            info->SetSize(s.Size);
            info->SetStyle(s.Style);
            if (s.AllCaps)
                info->SetStyleEx(TRVFontStyles{rvfsAllCaps});
            info->SetCharSpacing(s.CharSpacing);
            info->SetColor(s.Color);
        }
        ASSERT_EQ(Load(Doc(c.Body)), rtf_ec_OK);
        ASSERT_EQ(Data.GetItemCount(), 1);
        EXPECT_EQ(Data.GetItemStyle(0), c.Expected);
        EXPECT_EQ(Style.TextStyles()->Count(), static_cast<int>(c.Sheet.size()));
    }
}

TEST_F(TRTFImportTest, AllowUseStyleSkipsStyles)
{
    TFontInfo* bold = Style.TextStyles()->Add();
    bold->SetStyle({fsBold});
    Props.OnAllowUseStyle = [](int styleNo, bool textStyle, bool& allow) {
        allow = !(textStyle && styleNo > 0);
    };
    ASSERT_EQ(Load(Doc(R"(\b x)")), rtf_ec_OK);
    EXPECT_EQ(Data.GetItemStyle(0), 0);
}

TEST_F(TRTFImportTest, AddedStylesAreFoundAgain)
{
    Props.SetTextStyleMode(rvrsAddIfNeeded);
    const int before = Style.TextStyles()->Count();
    ASSERT_EQ(Load(Doc(R"(\f1\fs28\i one\par{\b two}\par three\par{\b four}\par\sub five)")), rtf_ec_OK);
    EXPECT_EQ(Summary(), "one\ntwo\nthree\nfour\nfive");
    // Italic Times 14, bold italic Times 14, subscript italic Times 7.
    ASSERT_EQ(Style.TextStyles()->Count(), before + 3);
    EXPECT_EQ(Data.GetItemStyle(0), Data.GetItemStyle(2));
    EXPECT_EQ(Data.GetItemStyle(1), Data.GetItemStyle(3));
    const TFontInfo* added = Style.TextStyles()->Items(Data.GetItemStyle(1));
    EXPECT_EQ(added->FontName(), "Times New Roman");
    EXPECT_EQ(added->Size(), 14);
    EXPECT_TRUE(added->Style() == (TFontStyles{fsBold, fsItalic}));
    EXPECT_FALSE(added->Standard());
    const TFontInfo* sub = Style.TextStyles()->Items(Data.GetItemStyle(4));
    EXPECT_EQ(sub->Size(), 7);
    EXPECT_EQ(sub->VShift(), -25);
    // A second load finds the styles the first one added.
    Data.Clear();
    ASSERT_EQ(Load(Doc(R"(\f1\fs28\i one)")), rtf_ec_OK);
    EXPECT_EQ(Style.TextStyles()->Count(), before + 3);
}

// Of two styles equal to the text's formatting the first is taken, and a style
// of the default character set stands for any character set.
TEST_F(TRTFImportTest, AnExactMatchTakesTheFirstEqualStyle)
{
    Props.SetTextStyleMode(rvrsAddIfNeeded);
    ASSERT_EQ(Load(Doc(R"(\f1\fs28 x)")), rtf_ec_OK);
    const int first = Data.GetItemStyle(0);
    TFontInfo* copy = Style.TextStyles()->Add();
    copy->Assign(Style.TextStyles()->Items(first));
    TFontInfo* anyCharset = Style.TextStyles()->Add();
    anyCharset->Assign(Style.TextStyles()->Items(first));
    anyCharset->SetSize(30);
    anyCharset->SetCharset(DEFAULT_CHARSET);
    const int count = Style.TextStyles()->Count();
    Data.Clear();
    ASSERT_EQ(Load(Doc(R"(\f1\fs28 y\par\fs60 z)")), rtf_ec_OK);
    EXPECT_EQ(Data.GetItemStyle(0), first);
    EXPECT_EQ(Data.GetItemStyle(1), count - 1);
    EXPECT_EQ(Style.TextStyles()->Count(), count);
}

TEST_F(TRTFImportTest, SpecifiedStylesAreUsedForEverything)
{
    Style.TextStyles()->Add();
    Style.ParaStyles()->Add();
    Props.SetTextStyleMode(rvrsUseSpecified);
    Props.SetParaStyleMode(rvrsUseSpecified);
    Props.SetTextStyleNo(1);
    Props.SetParaStyleNo(1);
    ASSERT_EQ(Load(Doc(R"(\b one\par\qc\i two)")), rtf_ec_OK);
    for (int i = 0; i < Data.GetItemCount(); ++i) {
        EXPECT_EQ(Data.GetItemStyle(i), 1);
        EXPECT_EQ(Data.GetItemPara(i), 1);
    }
    // A number beyond the sheet falls back to the first style.
    Data.Clear();
    Props.SetTextStyleNo(99);
    ASSERT_EQ(Load(Doc("x")), rtf_ec_OK);
    EXPECT_EQ(Data.GetItemStyle(0), 0);
}

TEST_F(TRTFImportTest, ParagraphStylesAreAddedOnce)
{
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    const int before = Style.ParaStyles()->Count();
    ASSERT_EQ(Load(Doc(R"(\pard\qc\li1440 a\par b\par\pard c\par\pard\qc\li1440 d)")), rtf_ec_OK);
    EXPECT_EQ(Data.GetItemPara(0), Data.GetItemPara(1));
    EXPECT_EQ(Data.GetItemPara(0), Data.GetItemPara(3));
    const TParaInfo* centred = Style.ParaStyles()->Items(Data.GetItemPara(0));
    EXPECT_EQ(centred->Alignment(), rvaCenter);
    EXPECT_EQ(centred->LeftIndent(), ScreenPixelsPerInch());
    EXPECT_EQ(Data.GetItemPara(2), 0);
    EXPECT_EQ(Style.ParaStyles()->Count(), before + 1);
}

TEST_F(TRTFImportTest, ClosestParagraphStyle)
{
    Style.ParaStyles()->Clear();
    Style.ParaStyles()->Add();
    TParaInfo* centred = Style.ParaStyles()->Add();
    centred->SetAlignment(rvaCenter);
    TParaInfo* indented = Style.ParaStyles()->Add();
    indented->SetLeftIndent(ScreenPixelsPerInch());
    ASSERT_EQ(Load(Doc(R"(\pard\qc a\par\pard\li1440 b\par\pard c)")), rtf_ec_OK);
    EXPECT_EQ(Data.GetItemPara(0), 1);
    EXPECT_EQ(Data.GetItemPara(1), 2);
    EXPECT_EQ(Data.GetItemPara(2), 0);
}

TEST_F(TRTFImportTest, DoubleBorderMakesADoubleParagraphBorder)
{
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    // 45 twips are 3 pixels at 96 pixels per inch.
    const int twips = 3 * 1440 / ScreenPixelsPerInch();
    ASSERT_EQ(Load(Doc(R"(\pard\brdrt\brdrdb\brdrw)" + std::to_string(twips) + R"(\brdrcf0 x)")), rtf_ec_OK);
    const TRVBorder* border = Style.ParaStyles()->Items(Data.GetItemPara(0))->Border();
    EXPECT_EQ(border->Style(), rvbDouble);
    EXPECT_EQ(border->Width(), 3);
    EXPECT_EQ(border->InternalWidth(), 5);
    EXPECT_TRUE(border->VisibleBorders()->IsEqual2(false, true, false, false));
}

TEST(RTFBorders, TranslateByTypeAndSide)
{
    struct TCase {
        TRVRTFBorderType Type;
        int Width;
        bool Far;
        TRVRTFBorderLook Expected;
    };
    const TCase cases[] = {
        {rtf_brdr_None, 4, false, {rvbNone, 0, 0}},
        {rtf_brdr_SingleThickness, 4, false, {rvbSingle, 4, 0}},
        {rtf_brdr_Dot, 2, true, {rvbSingle, 2, 0}},
        {rtf_brdr_DoubleThickness, 4, false, {rvbSingle, 8, 0}},
        {rtf_brdr_Hairline, 9, false, {rvbSingle, 1, 0}},
        {rtf_brdr_Double, 3, false, {rvbDouble, 3, 5}},
        {rtf_brdr_DoubleWavy, 1, false, {rvbDouble, 1, 1}},
        {rtf_brdr_Triple, 2, false, {rvbTriple, 2, 3}},
        {rtf_brdr_ThickThinSmall, 4, false, {rvbThickOutside, 2, 3}},
        {rtf_brdr_ThickThinSmall, 4, true, {rvbThickInside, 2, 3}},
        {rtf_brdr_ThinThickSmall, 4, false, {rvbThickInside, 2, 3}},
        {rtf_brdr_ThinThickSmall, 4, true, {rvbThickOutside, 2, 3}},
        {rtf_brdr_ThinThickThinSmall, 6, false, {rvbTriple, 2, 3}},
        {rtf_brdr_ThickThinMed, 4, true, {rvbThickInside, 2, 5}},
        {rtf_brdr_ThinThickMed, 4, true, {rvbThickOutside, 2, 5}},
        {rtf_brdr_ThinThickThinMed, 4, false, {rvbTriple, 2, 5}},
        {rtf_brdr_ThickThinLarge, 3, false, {rvbThickOutside, 1, 4}},
        {rtf_brdr_ThinThickLarge, 3, true, {rvbThickOutside, 1, 4}},
        {rtf_brdr_ThinThickThinLarge, 3, false, {rvbTriple, 1, 3}},
        // Thin borders stay drawable: at least a pixel, never a negative gap.
        {rtf_brdr_Double, 0, false, {rvbDouble, 1, 0}},
        {rtf_brdr_ThinThickThinSmall, 1, false, {rvbTriple, 1, 0}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.Type << " width " << c.Width << " far " << c.Far);
        const TRVRTFBorderLook look = RVRTFTranslateBorder(c.Type, c.Width, c.Width * 2, c.Far);
        EXPECT_EQ(look.Style, c.Expected.Style);
        EXPECT_EQ(look.Width, c.Expected.Width);
        EXPECT_EQ(look.InternalWidth, c.Expected.InternalWidth);
    }
}
