// The document's helper functions: tab and string replacement, character
// search, scaling, colour modes, HTML fragments of fonts and styles and the
// escaping of names, pictures on devices, palettes and the picture hooks.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>

#include "document/rvfuncs.h"
#include "document/rvstyle.h"
#include "platform/core/colors.h"
#include "platform/core/numbers.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/recordingcanvas.h"

namespace {

// Replacement by searching again from the start after every change, for pairs
// whose replacement does not contain the searched text.
AnsiString ReplaceFromStart(AnsiString s, const AnsiString& sub, const AnsiString& rep)
{
    for (size_t p; (p = s.find(sub)) != AnsiString::npos;)
        s.replace(p, sub.size(), rep);
    return s;
}

AnsiString Replaced(AnsiString s, const AnsiString& sub, const AnsiString& rep)
{
    RV_ReplaceStr(s, sub, rep);
    return s;
}

AnsiString Bytes(std::initializer_list<int> bytes)
{
    AnsiString s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

} // namespace

TEST(RVFuncsTextTest, ReplaceTabsA)
{
    EXPECT_EQ(RV_ReplaceTabsA("no tabs", 4), "no tabs");
    EXPECT_EQ(RV_ReplaceTabsA("\ta\t\tb\t", 2), "  a    b  ");
    EXPECT_EQ(RV_ReplaceTabsA("a\tb", 0), "ab");
    EXPECT_EQ(RV_ReplaceTabsA("a\tb", -3), "ab");
}

TEST(RVFuncsTextTest, ReplaceTabsWTouchesWholeCodeUnitsOnly)
{
    EXPECT_EQ(RV_ReplaceTabsW(Bytes({'a', 0, 9, 0, 'b', 0}), 3),
              Bytes({'a', 0, 32, 0, 32, 0, 32, 0, 'b', 0}));
    // 09 00 straddling the units 'a'+09 and 00+'b' is not a tab.
    const AnsiString straddling = Bytes({'a', 9, 0, 'b'});
    EXPECT_EQ(RV_ReplaceTabsW(straddling, 8), straddling);
    // An odd last byte is kept as it is.
    EXPECT_EQ(RV_ReplaceTabsW(Bytes({9, 0, 9}), 1), Bytes({32, 0, 9}));
}

TEST(RVFuncsTextTest, ReplaceStrAgreesWithSearchingFromTheStart)
{
    EXPECT_EQ(Replaced("a<b>c>", ">", "&gt;"), "a<b&gt;c&gt;");
    EXPECT_EQ(Replaced("   ", "  ", "&nbsp; "), "&nbsp;&nbsp; ");
    EXPECT_EQ(Replaced("no match", "xyz", "!"), "no match");
    EXPECT_EQ(Replaced("abc", "", "!"), "abc");
    EXPECT_EQ(Replaced("aXbX", "X", ""), "ab");

    // The pairs the writers use, on random text.
    const std::pair<AnsiString, AnsiString> pairs[] = {{">", "&gt;"}, {"<", "&lt;"},   {"  ", "&nbsp; "},
                                                       {"\xA7", "*"}, {"\xDB", "<=>"}, {"aa", "a"}};
    std::mt19937 random(12345);
    const char alphabet[] = {' ', ' ', '<', '>', 'a', 'b', '\xA7', '\xDB'};
    for (int round = 0; round < 400; ++round) {
        AnsiString text;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i)
            text.push_back(alphabet[random() % sizeof alphabet]);
        for (const auto& pair : pairs)
            EXPECT_EQ(Replaced(text, pair.first, pair.second),
                      ReplaceFromStart(text, pair.first, pair.second))
                << "text '" << text << "' replacing '" << pair.first << "'";
    }
}

TEST(RVFuncsTextTest, ReplaceStrEndsWhenTheReplacementHoldsTheSearchedText)
{
    EXPECT_EQ(Replaced("aXa", "a", "aa"), "aaXaa");
    EXPECT_EQ(Replaced("<<", "<", "<&lt;"), "<&lt;<&lt;");
    // An occurrence must end in text not yet examined: one that a replacement
    // forms with the text before it stays. Chasing those would let pairs such as
    // "ab" -> "bba" grow the text exponentially.
    EXPECT_EQ(Replaced("aab", "ab", "b"), "ab");
    EXPECT_EQ(Replaced("aab", "ab", "bba"), "abba");
    // A long run stays a single pass: n blanks give n - 1 "&nbsp;" and a blank.
    const int n = 200000;
    AnsiString expected;
    for (int i = 0; i < n - 1; ++i)
        expected += "&nbsp;";
    expected += " ";
    EXPECT_EQ(Replaced(AnsiString(n, ' '), "  ", "&nbsp; "), expected);
}

TEST(RVFuncsColorTest, LuminanceAndGray)
{
    EXPECT_EQ(RV_GetLuminance(clLime), 150); // 150.45
    // System colours are resolved first.
    EXPECT_EQ(RV_GetLuminance(clBtnFace), RV_GetLuminance(GetSysColor(COLOR_BTNFACE)));

    EXPECT_EQ(RV_GetGray(clWhite), clWhite);
    EXPECT_EQ(RV_GetGray(clNone), clNone);
    EXPECT_EQ(RV_GetGray(clLime), RGB(150, 150, 150));
}

TEST(RVFuncsColorTest, ColorModes)
{
    EXPECT_EQ(RV_GetPrnColor(clWindowText), clBlack);
    EXPECT_EQ(RV_GetPrnColor(clWindow), clWhite);
    EXPECT_EQ(RV_GetPrnColor(clBtnFace), clBtnFace);

    EXPECT_EQ(RV_GetColor(clBtnFace, rvcmColor), clBtnFace);
    EXPECT_EQ(RV_GetColor(clWindow, rvcmPrinterColor), clWhite);
    EXPECT_EQ(RV_GetColor(clWindowText, rvcmGrayScale), clBlack);
    EXPECT_EQ(RV_GetColor(clLime, rvcmGrayScale), RGB(150, 150, 150));
    for (TRVColorMode mode : {rvcmBlackAndWhite, rvcmBlackOnWhite}) {
        EXPECT_EQ(RV_GetColor(clWhite, mode), clWhite);
        EXPECT_EQ(RV_GetColor(clWindow, mode), clBlack); // only exactly 0xFFFFFF stays white
        EXPECT_EQ(RV_GetColor(clSilver, mode), clBlack);
        EXPECT_EQ(RV_GetBackColor(clBlack, mode), clWhite);
        EXPECT_EQ(RV_GetBackColor(clWindowText, mode), clWhite);
        EXPECT_EQ(RV_GetBackColor(clNone, mode), clNone);
    }
    for (TRVColorMode mode : {rvcmColor, rvcmPrinterColor, rvcmGrayScale, rvcmBlackAndWhite})
        EXPECT_EQ(RV_GetColor(clNone, mode), clNone);
    EXPECT_EQ(RV_GetBackColor(clWindow, rvcmPrinterColor), clWhite);
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

TEST(RVFuncsHTMLTest, Escaping)
{
    EXPECT_EQ(RV_EscapeHTMLAttribute("Times New Roman"), "Times New Roman");
    EXPECT_EQ(RV_EscapeHTMLAttribute("a&b\"<>'"), "a&amp;b&quot;&lt;&gt;'");
    EXPECT_EQ(RV_EscapeHTMLText("a&b\"<>'"), "a&amp;b\"&lt;&gt;'");
    EXPECT_EQ(RV_EscapeCSSString("Times New Roman"), "Times New Roman");
    EXPECT_EQ(RV_EscapeCSSString("\xD0\x96-1_x"), "\xD0\x96-1_x");
    EXPECT_EQ(RV_EscapeCSSString("a\"b'c\\d<e>f&g\nh"), "a\\22 b\\27 c\\5C d\\3C e\\3E f\\26 g\\A h");
    EXPECT_EQ(RV_EscapeCSSComment("Normal text"), "Normal text");
    EXPECT_EQ(RV_EscapeCSSComment("a */ b\r\n</style>"), "a *\\/ b  \\3C /style>");
    EXPECT_EQ(RV_EscapeCSSComment("**/"), "**\\/");
}

namespace {

TRVScreenAndDevice ScreenTo(int Device)
{
    TRVScreenAndDevice sad;
    sad.ScreenPpiX = sad.ScreenPpiY = 96;
    sad.DevicePpiX = sad.DevicePpiY = Device;
    return sad;
}

} // namespace

TEST(RVPictureToDevice, ScalesToTheDeviceAndPrintsOnlyBitmaps)
{
    TBitmap Bitmap;
    Bitmap.SetSize(10, 20);
    TRecordingCanvas Printer(6000, 6000, 600);
    // A negative size is the picture's own.
    RV_PictureToDevice(&Printer, 5, 7, -1, -1, ScreenTo(600), &Bitmap, false);
    auto Pixels = Printer.RecordsOf(TCanvasOp::Pixels);
    ASSERT_EQ(Pixels.size(), 1u);
    EXPECT_EQ(Pixels[0]->Rect, Bounds(5, 7, MulDiv(10, 600, 96), MulDiv(20, 600, 96)));
    EXPECT_EQ(Pixels[0]->SourceRect, Rect(0, 0, 10, 20));

    // Other pictures are drawn only for the screen.
    TMetafile Metafile;
    Metafile.SetWidth(10);
    Metafile.SetHeight(10);
    {
        TMetafileCanvas Canvas(&Metafile);
    }
    Printer.Clear();
    RV_PictureToDevice(&Printer, 0, 0, 30, 10, ScreenTo(600), &Metafile, false);
    EXPECT_EQ(Printer.Count(), 0);
    RV_PictureToDevice(&Printer, 0, 0, 30, 10, ScreenTo(192), &Metafile, true);
    auto Graphics = Printer.RecordsOf(TCanvasOp::Graphic);
    ASSERT_EQ(Graphics.size(), 1u);
    EXPECT_EQ(Graphics[0]->Rect, Rect(0, 0, 60, 20));

    // Nothing to draw, nowhere to draw it, or no room: nothing happens.
    Printer.Clear();
    RV_PictureToDevice(&Printer, 0, 0, 0, 10, ScreenTo(600), &Bitmap, false);
    RV_PictureToDevice(&Printer, 0, 0, 10, 10, ScreenTo(600), nullptr, false);
    RV_PictureToDevice(nullptr, 0, 0, 10, 10, ScreenTo(600), &Bitmap, false);
    EXPECT_EQ(Printer.Count(), 0);
}

TEST(RVSetPaletteToPicture, KeptByBitmapsFreedOtherwise)
{
    TLogPalette Log;
    Log.palPalEntry.resize(3);
    Log.palPalEntry[1].peRed = 200;
    TBitmap Bitmap;
    RV_SetPaletteToPicture(&Bitmap, &Log);
    ASSERT_NE(Bitmap.Palette(), 0u);
    ASSERT_NE(GetPaletteEntries(Bitmap.Palette()), nullptr);
    EXPECT_EQ(GetPaletteEntries(Bitmap.Palette())->palPalEntry[1].peRed, 200);

    // A JPEG picture switches to its 8-bit form; it keeps no palette, so the
    // handle made for it is freed again (LeakSanitizer and the next handle tell).
    TJPEGImage Jpeg;
    RV_SetPaletteToPicture(&Jpeg, &Log);
    EXPECT_EQ(Jpeg.PixelFormat(), jf8Bit);
    EXPECT_EQ(Jpeg.Palette(), 0u);

    TBitmap Untouched;
    RV_SetPaletteToPicture(&Untouched, nullptr);
    EXPECT_EQ(Untouched.Palette(), 0u);
    RV_SetPaletteToPicture(nullptr, &Log);
}

TEST(RVGraphicHooks, DefaultsMakePicturesByClassAndCanBeReplaced)
{
    RegisterGraphicClasses();
    for (const char* Name : {"TBitmap", "TMetafile", "TIcon", "TJPEGImage"}) {
        std::unique_ptr<TGraphic> Graphic(RV_CreateGraphics(GetClass(Name)));
        ASSERT_NE(Graphic, nullptr) << Name;
        EXPECT_STREQ(Graphic->ClassName(), Name);
    }
    EXPECT_EQ(RV_CreateGraphics(nullptr), nullptr);
    EXPECT_EQ(RV_CreateGraphics(GetClass("TPicture")), nullptr) << "not a graphic";

    // A program may replace the hooks; every loader then goes through its own.
    static int Made = 0;
    const TRVCreateGraphicsFunction Saved = RV_CreateGraphics;
    RV_CreateGraphics = [](TRVGraphicClass) -> TGraphic* {
        ++Made;
        return new TBitmap;
    };
    std::unique_ptr<TGraphic> Graphic(RV_CreateGraphics(GetClass("TIcon")));
    RV_CreateGraphics = Saved;
    EXPECT_EQ(Made, 1);
    EXPECT_STREQ(Graphic->ClassName(), "TBitmap");
    RV_AfterImportGraphic(Graphic.get());
}

TEST(RVInfoAboutSaDTest, DeviceFromTheCanvasScreenFromTheScreen)
{
    TRecordingCanvas printer(100, 100, 600);
    TRVScreenAndDevice sad;
    sad.DevLeftMargin = 7;
    RV_InfoAboutSaD(sad, &printer);
    EXPECT_EQ(sad.DevLeftMargin, 7) << "margins are the layout's";
    EXPECT_EQ(RV_XToDevice(10, sad), 63); // 96 to 600 ppi
}
