// TPicture's files by extension, and the resources made from our own pixel art.
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
