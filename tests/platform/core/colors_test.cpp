// Colour text forms: shared values and every system colour read back; colours
// as opaque pixels.
#include "platform/core/colors.h"

#include <gtest/gtest.h>

#include "platform/core/sysutils.h"

namespace {

TEST(Colors, SharedValuesWriteThePrimaryNameAndReadBoth)
{
    EXPECT_EQ(ColorToString(clDkGray), "clGray");
    EXPECT_EQ(ColorToString(clLtGray), "clSilver");
    EXPECT_EQ(StringToColor("clDkGray"), clGray);
    EXPECT_EQ(StringToColor("clLtGray"), clSilver);
    EXPECT_EQ(StringToColor("clSilver"), clSilver);
}

TEST(Colors, EverySystemColourTextReadsBack)
{
    for (uint32_t index = 0; index <= 0x40; ++index) {
        TColor color = TColorOf(0x80000000u + index);
        EXPECT_EQ(StringToColor(ColorToString(color)), color) << ColorToString(color);
    }
    EXPECT_EQ(ColorToString(TColorOf(0x80000019u)), "$80000019"); // index 25 has no name
}

TEST(Colors, PixelsAreOpaqueWithTheChannelsInPixelOrder)
{
    // TColor keeps red in the low byte; a pixel keeps it above green and blue.
    EXPECT_EQ(ColorToPixel(TColorOf(0x00336699u)), 0xFF996633u);
    EXPECT_EQ(ColorToPixel(clBlack), 0xFF000000u);
    // The high byte (palette-relative) goes; a system colour is resolved first.
    EXPECT_EQ(ColorToPixel(TColorOf(0x02336699u)), 0xFF996633u);
    const TColor window = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(ColorToPixel(clWindow), ColorToPixel(window));
}

} // namespace
