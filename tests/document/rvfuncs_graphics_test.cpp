// Pictures on devices, palettes and the picture creation hooks.
#include <gtest/gtest.h>

#include <memory>

#include "document/rvfuncs.h"
#include "platform/core/colors.h"
#include "platform/core/numbers.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/recordingcanvas.h"

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

    TBitmap Bitmap;
    Bitmap.SetTransparent(true);
    EXPECT_TRUE(RV_IsGraphicTransparent(&Bitmap));
    TIcon Icon;
    EXPECT_TRUE(RV_IsGraphicTransparent(&Icon));
    EXPECT_FALSE(RV_IsGraphicTransparent(nullptr));

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
    EXPECT_EQ(sad.DevicePpiX, 600);
    EXPECT_EQ(sad.DevicePpiY, 600);
    EXPECT_EQ(sad.ScreenPpiX, 96);
    EXPECT_EQ(sad.ScreenPpiY, 96);
    EXPECT_EQ(sad.DevLeftMargin, 7) << "margins are the layout's";
    EXPECT_EQ(RV_XToDevice(10, sad), 63);
}
