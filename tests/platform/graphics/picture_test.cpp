// Graphic classes by name and extension, TPicture, the palette stand-in, and
// the resources made from our own pixel art.
#include "platform/graphics/picture.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/core/classreg.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/resources.h"
#include "tests/support/tempdir.h"

TEST(GraphicClasses, RegisteredByNameAtStartUp)
{
    // No call to RegisterGraphicClasses: start-up did it.
    for (const char* name : {"TBitmap", "TIcon", "TMetafile", "TJPEGImage", "tbitmap"}) {
        TGraphicClass cls = GetClass(name);
        ASSERT_NE(cls, nullptr) << name;
        std::unique_ptr<TGraphic> graphic(CreateGraphic(cls));
        ASSERT_NE(graphic, nullptr);
        EXPECT_TRUE(SameText(graphic->ClassName(), name));
        EXPECT_TRUE(graphic->Empty());
    }
    TBitmap bitmap;
    EXPECT_EQ(GraphicClassOf(&bitmap), GetClass("TBitmap"));
    EXPECT_EQ(CreateGraphic(nullptr), nullptr);
    // A class that makes no graphic gives none (and leaks nothing).
    TPersistentClass notGraphic = RegisterClass<TPicture>("TPicture");
    EXPECT_EQ(CreateGraphic(notGraphic), nullptr);
    UnRegisterClass("TPicture");
}

TEST(GraphicClasses, Extensions)
{
    EXPECT_EQ(GraphicExtension(GetClass("TBitmap")), "bmp");
    EXPECT_EQ(GraphicExtension(GetClass("TIcon")), "ico");
    EXPECT_EQ(GraphicExtension(GetClass("TMetafile")), "emf");
    EXPECT_EQ(GraphicExtension(GetClass("TJPEGImage")), "jpg");
    EXPECT_EQ(GraphicExtension(nullptr), "");
    EXPECT_EQ(GraphicClassOfExtension(".JPEG"), GetClass("TJPEGImage"));
    EXPECT_EQ(GraphicClassOfExtension("wmf"), GetClass("TMetafile"));
    EXPECT_EQ(GraphicClassOfExtension(".gif"), nullptr);
}

TEST(Palettes, HandlesNameCopiesOfTheirEntries)
{
    EXPECT_EQ(CreatePalette(nullptr), 0u);
    TLogPalette log;
    log.palPalEntry.push_back({1, 2, 3, 0});
    HPALETTE a = CreatePalette(&log), b = CreatePalette(&log);
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    log.palPalEntry.clear();
    ASSERT_NE(GetPaletteEntries(a), nullptr);
    EXPECT_EQ(GetPaletteEntries(a)->palPalEntry[0].peGreen, 2);
    EXPECT_TRUE(DeletePalette(a));
    EXPECT_FALSE(DeletePalette(a));
    EXPECT_EQ(GetPaletteEntries(a), nullptr);
    // Graphics other than bitmaps keep no palette: the handle stays the caller's.
    TJPEGImage jpeg;
    jpeg.SetPalette(b);
    EXPECT_EQ(jpeg.Palette(), 0u);
    EXPECT_TRUE(DeletePalette(b));
}

TEST(Picture, HoldsACopyOfItsGraphic)
{
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&changes](TObject*) { ++changes; };
    EXPECT_EQ(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Width(), 0);
    TBitmap bitmap;
    bitmap.SetSize(5, 3);
    picture.SetGraphic(&bitmap);
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_NE(picture.Graphic(), &bitmap);
    EXPECT_STREQ(picture.Graphic()->ClassName(), "TBitmap");
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(changes, 1);
    // Changes of the graphic reach the picture's listeners.
    picture.Bitmap()->SetWidth(7);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(picture.Width(), 7);

    TPicture other;
    other.Assign(&picture);
    EXPECT_TRUE(other.Graphic()->Equals(picture.Graphic()));
    // Bitmap() replaces a graphic of another class by an empty bitmap.
    TIcon icon;
    icon.SetPixels(TPixelBuffer(2, 2));
    other.SetGraphic(&icon);
    EXPECT_STREQ(other.Graphic()->ClassName(), "TIcon");
    EXPECT_TRUE(other.Bitmap()->Empty());
    EXPECT_STREQ(other.Graphic()->ClassName(), "TBitmap");
    // Into a graphic, and back to nothing.
    TBitmap out;
    out.Assign(&picture);
    EXPECT_EQ(out.Width(), 7);
    other.Assign(nullptr);
    EXPECT_EQ(other.Graphic(), nullptr);
}

TEST(Picture, FilesByExtension)
{
    TempDir dir;
    TBitmap bitmap;
    bitmap.SetPixels(TPixelBuffer(4, 2, 0xFF123456u));
    bitmap.SaveToFile(dir.File("a.BMP"));
    TPicture picture;
    picture.LoadFromFile(dir.File("a.BMP"));
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_STREQ(picture.Graphic()->ClassName(), "TBitmap");
    EXPECT_EQ(picture.Width(), 4);
    picture.SaveToFile(dir.File("b.bmp"));
    EXPECT_EQ(dir.Read("b.bmp"), dir.Read("a.BMP"));

    dir.Write("c.gif", "whatever");
    try {
        picture.LoadFromFile(dir.File("c.gif"));
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Unknown picture file extension (.gif)");
    }
    EXPECT_EQ(picture.Width(), 4); // unchanged
    dir.Write("c.png", "whatever");
    EXPECT_THROW(picture.LoadFromFile(dir.File("c.png")), EInvalidGraphic);
    EXPECT_EQ(picture.Width(), 4);
    dir.Write("d.bmp", "not a bitmap");
    EXPECT_THROW(picture.LoadFromFile(dir.File("d.bmp")), EInvalidGraphic);
    EXPECT_THROW(picture.LoadFromFile(dir.File("missing.bmp")), EFOpenError);
}

TEST(Resources, CursorsHaveTheirHotSpotsOnThePicture)
{
    for (const char* name : {"RV_JUMP_CURSOR", "RV_SELECTROW_CURSOR", "rv_selectcol_cursor"}) {
        TCursorImage cursor;
        ASSERT_TRUE(LoadCursorResource(name, cursor)) << name;
        ASSERT_FALSE(cursor.Image.Empty());
        ASSERT_TRUE(Bounds(0, 0, cursor.Image.Width, cursor.Image.Height).Contains(cursor.HotSpot)) << name;
        // The hot spot lies on the outline of the pointer.
        EXPECT_EQ(cursor.Image.At(cursor.HotSpot.X, cursor.HotSpot.Y), 0xFF000000u) << name;
    }
    TCursorImage none;
    EXPECT_FALSE(LoadCursorResource("RV_NO_SUCH_CURSOR", none));
}

TEST(Resources, InvalidPictureAndMenuImages)
{
    TBitmap broken;
    broken.SetTransparent(true);
    LoadInvalidPicture(&broken);
    EXPECT_EQ(broken.Width(), 24);
    EXPECT_EQ(broken.Height(), 24);
    EXPECT_FALSE(broken.Transparent());

    TImageList list(nullptr);
    list.SetWidth(32);
    LoadMenuImages(&list);
    ASSERT_EQ(list.Count(), MenuImageCount);
    EXPECT_EQ(list.Width(), 16);
    for (int i = 0; i < list.Count(); ++i) {
        const TPixelBuffer& image = list.Image(i);
        int opaque = 0;
        for (uint32_t px : image.Pixels)
            opaque += px >> 24 == 255;
        EXPECT_GT(opaque, 40) << i; // every image shows something
    }
    // Image 10 serves as the tray icon.
    TIcon tray;
    list.GetIcon(10, &tray);
    EXPECT_EQ(tray.Width(), 16);
    EXPECT_EQ(tray.Pixels().Pixels, list.Image(10).Pixels);
}
