// Colour names both ways, the colour text forms, and the fixed system colours.
#include "platform/core/colors.h"

#include <gtest/gtest.h>

#include "platform/core/sysutils.h"

namespace {

TEST(Colors, NamesBothWays)
{
    EXPECT_EQ(ColorToString(clRed), "clRed");
    EXPECT_EQ(ColorToString(clWindowText), "clWindowText");
    EXPECT_EQ(ColorToString(cl3DDkShadow), "cl3DDkShadow");
    EXPECT_EQ(ColorToString(clNone), "clNone");
    EXPECT_EQ(ColorToString(clDefault), "clDefault");
    EXPECT_EQ(ColorToString(clMenuBar), "clMenuBar");

    TColor color = 0;
    EXPECT_TRUE(IdentToColor("CLRED", color));
    EXPECT_EQ(color, clRed);
    EXPECT_TRUE(IdentToColor("clinfobk", color));
    EXPECT_EQ(color, clInfoBk);
    EXPECT_FALSE(IdentToColor("Red", color));
    EXPECT_FALSE(IdentToColor("", color));

    AnsiString ident;
    EXPECT_FALSE(ColorToIdent(RGB(1, 2, 3), ident));
    EXPECT_TRUE(ColorToIdent(clMoneyGreen, ident));
    EXPECT_EQ(ident, "clMoneyGreen");
}

TEST(Colors, SharedValuesWriteThePrimaryNameAndReadBoth)
{
    EXPECT_EQ(ColorToString(clDkGray), "clGray");
    EXPECT_EQ(ColorToString(clLtGray), "clSilver");
    EXPECT_EQ(StringToColor("clDkGray"), clGray);
    EXPECT_EQ(StringToColor("clLtGray"), clSilver);
    EXPECT_EQ(StringToColor("clSilver"), clSilver);
}

TEST(Colors, NumbersAsText)
{
    EXPECT_EQ(ColorToString(RGB(0x40, 0x80, 0xFF)), "$00FF8040");
    EXPECT_EQ(ColorToString(TColorOf(0x80000040u)), "$80000040");
    EXPECT_EQ(ColorToString(TColorOf(0xFFFFFFFFu)), "$FFFFFFFF");
    EXPECT_EQ(StringToColor("$00FF8040"), RGB(0x40, 0x80, 0xFF));
    EXPECT_EQ(StringToColor("0x10"), 16);
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_EQ(StringToColor("-1"), -1);
    EXPECT_THROW(StringToColor("clNoSuchColour"), EConvertError);
    EXPECT_THROW(StringToColor(""), EConvertError);
    EXPECT_THROW(StringToColor("$1FFFFFFFF"), EConvertError);
}

TEST(Colors, EverySystemColourTextReadsBack)
{
    for (uint32_t index = 0; index <= 0x40; ++index) {
        TColor color = TColorOf(0x80000000u + index);
        EXPECT_EQ(StringToColor(ColorToString(color)), color) << ColorToString(color);
    }
    EXPECT_EQ(ColorToString(TColorOf(0x80000019u)), "$80000019"); // index 25 has no name
}

} // namespace

TEST(Colors, ColorToRGB)
{
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(212, 208, 200));
    EXPECT_EQ(ColorToRGB(clWindowText), RGB(0, 0, 0));
    EXPECT_EQ(ColorToRGB(clInfoBk), RGB(255, 255, 225));
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    EXPECT_EQ(ColorToRGB(clNone), TColorOf(0xFFFFFFu));
    EXPECT_EQ(ColorToRGB(TColorOf(0x02123456u)), TColorOf(0x123456u));
}
