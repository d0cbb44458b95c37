// Colour text forms: shared values and every system colour read back.
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

} // namespace
