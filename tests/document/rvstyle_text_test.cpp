// Text styles: defaults, copying, comparison, similarity, searches, the
// invalid-item style and ini persistence.
#include "document/rvstyle.h"

#include <gtest/gtest.h>

#include "platform/core/colors.h"
#include "platform/core/inifiles.h"
#include "tests/document/doctestdata.h"

namespace {

class TextStyleTest : public ::testing::Test {
protected:
    TRVStyle Style{nullptr};
    TFontInfos* Fonts() { return Style.TextStyles(); }
};

// A style with every property away from its default.
void MakeNonDefault(TFontInfo* f)
{
    f->SetStyleName("Odd = style");
    f->SetBaseStyleNo(2);
    f->SetStandard(false);
    f->SetFontName("Courier New");
    f->SetSize(13);
    f->SetCharset(204);
    f->SetStyle({fsBold, fsItalic, fsUnderline, fsStrikeOut});
    f->SetStyleEx({rvfsOverline, rvfsAllCaps});
    f->SetVShift(-30);
    f->SetColor(0x123456);
    f->SetBackColor(clYellow);
    f->SetHoverColor(clRed);
    f->SetHoverBackColor(clAqua);
    f->SetJump(true);
    f->SetJumpCursor(-21);
    f->SetCharScale(150);
    f->SetCharSpacing(3);
    f->SetNextStyleNo(4);
    f->SetBiDiMode(rvbdRightToLeft);
    f->SetUnicode(true);
    f->SetProtection({rvprModifyProtect, rvprDeleteProtect, rvprDoNotAutoSwitch});
    f->SetOptions({rvteoHTMLCode, rvteoRTFCode});
}

} // namespace

TEST_F(TextStyleTest, AssignCopiesEveryPropertyAndRefusesStrangers)
{
    TFontInfo* a = Fonts()->Add();
    MakeNonDefault(a);
    TFontInfo* b = Fonts()->Add();
    b->Assign(a);
    EXPECT_TRUE(b->IsSimpleEqual(a, false));
    EXPECT_TRUE(b->IsEqual(a, TRVFontInfoProperties()));
    EXPECT_FALSE(b->Standard());

    TParaInfo para(nullptr);
    EXPECT_THROW(b->Assign(&Style), EConvertError);
    // From another kind of style entry only the base properties come.
    para.SetStyleName("P");
    b->Assign(&para);
    EXPECT_EQ(b->StyleName(), "P");
    EXPECT_EQ(b->Size(), 13);
}

TEST_F(TextStyleTest, SimpleEqualityComparesHoverOnlyForHyperlinks)
{
    TFontInfo* a = Fonts()->Add();
    TFontInfo* b = Fonts()->Add();
    b->SetHoverColor(clRed);
    b->SetJumpCursor(5);
    b->SetStyleName("other name");
    b->SetBaseStyleNo(3);
    EXPECT_TRUE(a->IsSimpleEqual(b, false));
    a->SetJump(true);
    b->SetJump(true);
    EXPECT_FALSE(a->IsSimpleEqual(b, false));
    b->SetHoverColor(clNone);
    b->SetJumpCursor(crJump);
    EXPECT_TRUE(a->IsSimpleEqual(b, false));
    b->SetFontName("ARIAL");
    EXPECT_TRUE(a->IsSimpleEqual(b, false));
    b->SetNextStyleNo(2);
    EXPECT_FALSE(a->IsSimpleEqual(b, false));
    EXPECT_TRUE(a->IsSimpleEqual(b, true));
    b->SetCharSpacing(1);
    EXPECT_FALSE(a->IsSimpleEqual(b, true));
}

TEST_F(TextStyleTest, IsEqualSkipsTheIgnoredProperties)
{
    TFontInfo* a = Fonts()->Add();
    TFontInfo* b = Fonts()->Add();
    b->SetStyle({fsBold});
    EXPECT_FALSE(a->IsEqual(b, {rvfiItalic}));
    EXPECT_TRUE(a->IsEqual(b, {rvfiBold}));
    b->SetStyleEx({rvfsAllCaps});
    EXPECT_FALSE(a->IsEqual(b, {rvfiBold, rvfiOverline}));
    EXPECT_TRUE(a->IsEqual(b, {rvfiBold, rvfiAllCaps}));
    b->SetOptions({rvteoRTFCode});
    EXPECT_FALSE(a->IsEqual(b, {rvfiBold, rvfiAllCaps, rvfiHTMLCode}));
    EXPECT_TRUE(a->IsEqual(b, {rvfiBold, rvfiAllCaps, rvfiRTFCode}));
    // BaseStyleNo counts here, unlike in the simple equality.
    b->SetBaseStyleNo(0);
    EXPECT_FALSE(a->IsEqual(b, {rvfiBold, rvfiAllCaps, rvfiRTFCode}));
    EXPECT_TRUE(a->IsEqual(b, {rvfiBold, rvfiAllCaps, rvfiRTFCode, rvfiBaseStyleNo}));
    EXPECT_TRUE(a->IsEqual(b, RVAllFontInfoProperties));
}

TEST_F(TextStyleTest, InvalidItemIsStyleZeroWhiteOnRed)
{
    Fonts()->Items(0)->SetSize(17);
    TFontInfo* bad = Fonts()->Items(-1);
    EXPECT_EQ(bad, Fonts()->Items(Fonts()->Count()));
    EXPECT_EQ(bad->Size(), 17);
    EXPECT_EQ(bad->Color(), clWhite);
    EXPECT_EQ(bad->BackColor(), clRed);
    // Later changes of style 0 do not reach it.
    Fonts()->Items(0)->SetSize(30);
    EXPECT_EQ(Fonts()->Items(99)->Size(), 17);

    TFontInfos empty(Style.GetTextStyleClass(), nullptr);
    TFontInfo replacement(nullptr);
    replacement.SetSize(40);
    empty.SetInvalidItem(&replacement);
    EXPECT_EQ(empty.Items(5)->Size(), 40);
    empty.SetInvalidItem(empty.InvalidItem());
    EXPECT_EQ(empty.Items(5)->Size(), 40);
}

TEST_F(TextStyleTest, NonDefaultStyleRoundTrips)
{
    TMemIniFile ini("");
    TFontInfo f(nullptr);
    MakeNonDefault(&f);
    f.SaveToINI(&ini, "S", "Font%s3");
    EXPECT_EQ(SectionMap(ini, "S").at("FontProtection3"), "38"); // modify 2 + delete 4 + auto-switch 32

    TFontInfo g(nullptr);
    g.LoadFromINI(&ini, "S", "Font%s3", false, 0);
    EXPECT_TRUE(g.IsSimpleEqual(&f, false));
    EXPECT_TRUE(g.IsEqual(&f, TRVFontInfoProperties()));
    EXPECT_FALSE(g.Standard());
}

TEST_F(TextStyleTest, IniValueRules)
{
    TMemIniFile ini("");
    ini.WriteString("S", "FontName0", "Verdana");
    ini.WriteString("S", "FontBold0", "yes");
    ini.WriteString("S", "FontItalic0", "1");
    ini.WriteString("S", "FontUnderline0", "true");
    ini.WriteString("S", "FontSingleSymbols0", "YES");
    ini.WriteString("S", "FontProtection0", "255");
    ini.WriteString("S", "FontBiDiMode0", "7");
    TFontInfo f(nullptr);
    f.LoadFromINI(&ini, "S", "Font%s0", true, 33);
    EXPECT_EQ(f.Style(), TFontStyles{fsBold});
    // No "Jump" key: the caller's defaults.
    EXPECT_TRUE(f.Jump());
    EXPECT_EQ(f.JumpCursor(), 33);
    // Sticking and paragraph-start protection are never stored.
    EXPECT_FALSE(f.Protection().Contains(rvprSticking));
    EXPECT_FALSE(f.Protection().Contains(rvprParaStartProtect));
    EXPECT_EQ(f.Protection().Bits, 0x3F);
    EXPECT_EQ(f.BiDiMode(), rvbdUnspecified);

    ini.WriteString("S", "FontJump0", "no");
    f.LoadFromINI(&ini, "S", "Font%s0", true, 33);
    EXPECT_FALSE(f.Jump());
    EXPECT_EQ(f.JumpCursor(), crJump);

    TFontInfo sticky(nullptr);
    sticky.SetProtection({rvprSticking, rvprDeleteProtect});
    TMemIniFile out("");
    sticky.SaveToINI(&out, "S", "F%s");
    TFontInfo back(nullptr);
    back.LoadFromINI(&out, "S", "F%s", false, crJump);
    EXPECT_EQ(back.Protection(), TRVProtectOptions{rvprDeleteProtect});
}
