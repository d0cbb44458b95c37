// Fonts: assignment across resolutions, logical fonts and change notification.
#include <gtest/gtest.h>

#include "platform/core/codepages.h"
#include "platform/core/colors.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/gdiobjects.h"

TEST(TFontTest, AssignKeepsPointSizeAcrossResolutions)
{
    TFont screen;
    screen.SetName("Arial");
    screen.SetSize(10);
    screen.SetStyle({fsBold, fsUnderline});
    screen.SetColor(clRed);
    TFont printer;
    printer.SetPixelsPerInch(600);
    printer.Assign(&screen);
    EXPECT_EQ(printer.Name(), "Arial");
    EXPECT_EQ(printer.Size(), 10);
    EXPECT_EQ(printer.Height(), -83);
    EXPECT_TRUE(printer.Style().Contains(fsBold));
    EXPECT_TRUE(printer.Style().Contains(fsUnderline));
    EXPECT_FALSE(printer.Style().Contains(fsItalic));
    EXPECT_EQ(printer.Color(), clRed);

    TPen pen;
    EXPECT_THROW(printer.Assign(&pen), EConvertError);
    EXPECT_THROW(printer.Assign(nullptr), EConvertError);
}

TEST(TFontTest, LogFontRoundTripAndNotification)
{
    TFont f;
    int changes = 0;
    f.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &f);
        ++changes;
    };
    TLogFont lf = f.GetLogFont();
    EXPECT_EQ(lf.lfHeight, -11);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    lf.lfWeight = FW_BOLD;
    lf.lfItalic = 1;
    lf.lfWidth = 5;
    lf.lfCharSet = RUSSIAN_CHARSET;
    lf.lfPitchAndFamily = FIXED_PITCH;
    lf.lfFaceName = "Courier New";
    f.SetLogFont(lf);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(f.Name(), "Courier New");
    EXPECT_EQ(f.Width(), 5);
    EXPECT_EQ(f.Style(), TFontStyles({fsBold, fsItalic}));
    EXPECT_EQ(f.Charset(), RUSSIAN_CHARSET);
    EXPECT_EQ(f.Pitch(), fpFixed);
    const uint64_t version = f.Version();
    f.SetColor(f.Color()); // no change, no event
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(f.Version(), version);
    f.SetColor(clBlue);
    EXPECT_EQ(changes, 2);
    EXPECT_GT(f.Version(), version);
}
