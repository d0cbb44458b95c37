// TPicture's files by extension, and the resources made from our own pixel art.
#include "platform/graphics/picture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/core/classreg.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/png.h"
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

namespace {

std::string SavedBytes(const TGraphic& graphic)
{
    TStringStream stream;
    graphic.SaveToStream(stream);
    return stream.DataString();
}

void PutLE(std::string& bytes, size_t at, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
}

void PutBE(std::string& bytes, size_t at, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * (size - 1 - i)));
}

// A small picture of the class, saved.
template <class T> std::string SmallFile(const std::function<void(T&)>& set = nullptr)
{
    TBitmap bitmap;
    bitmap.SetPixels(TPixelBuffer(4, 4, 0xFF336699u));
    T graphic;
    if (set)
        set(graphic);
    graphic.Assign(&bitmap);
    return SavedBytes(graphic);
}

std::string PngOf(uint32_t width, uint32_t height)
{
    std::string file = SmallFile<TPNGImage>();
    PutBE(file, 16, width, 4);
    PutBE(file, 20, height, 4);
    return file;
}

std::string JpegOf(uint16_t width, uint16_t height)
{
    std::string file = SmallFile<TJPEGImage>();
    const size_t sof = file.find("\xFF\xC0");
    PutBE(file, sof + 5, height, 2);
    PutBE(file, sof + 7, width, 2);
    return file;
}

std::string BmpOf(int32_t width, int32_t height)
{
    std::string file = SmallFile<TBitmap>();
    PutLE(file, 18, static_cast<uint32_t>(width), 4);
    PutLE(file, 22, static_cast<uint32_t>(height), 4);
    return file;
}

// A small metafile drawn on, saved.
std::string SmallMetafile(bool enhanced)
{
    TMetafile metafile;
    metafile.SetEnhanced(enhanced);
    metafile.SetWidth(4);
    metafile.SetHeight(4);
    {
        TMetafileCanvas canvas(&metafile);
    }
    return SavedBytes(metafile);
}

// An old-format metafile of Width x Height pixels (96 units an inch).
std::string WmfOf(int width, int height)
{
    std::string file = SmallMetafile(false);
    PutLE(file, 6, 0, 2);
    PutLE(file, 8, 0, 2);
    PutLE(file, 10, static_cast<uint32_t>(width), 2);
    PutLE(file, 12, static_cast<uint32_t>(height), 2);
    PutLE(file, 14, 96, 2);
    uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= static_cast<uint16_t>(uint8_t(file[2 * i]) | uint8_t(file[2 * i + 1]) << 8);
    PutLE(file, 20, checksum, 2);
    return file;
}

// An enhanced metafile whose frame is Width x Height pixels.
std::string EmfOf(int width, int height)
{
    std::string file = SmallMetafile(true);
    PutLE(file, 24, 0, 4);
    PutLE(file, 28, 0, 4);
    PutLE(file, 32, static_cast<uint32_t>(int64_t(width) * 2540 / 96), 4);
    PutLE(file, 36, static_cast<uint32_t>(int64_t(height) * 2540 / 96), 4);
    return file;
}

struct TBudgetCase {
    const char* Name;
    std::function<TGraphic*()> Make;
    std::string Over;  // a header beyond the budget, each side within the side limit
    std::string Under; // the same header within it
};

} // namespace

// Every decoder holds a picture to the same number of pixels: a header that
// asks for more is refused however each side compares with the side limit,
// and the graphic keeps what it held.
TEST(PictureBudget, EveryDecoderRefusesAHeaderBeyondThePixelBudget)
{
    static_assert(int64_t(8192) * 8192 > GraphicMaxPixels && int64_t(4096) * 4096 <= GraphicMaxPixels);
    const TBudgetCase cases[] = {
        {"PNG", [] { return new TPNGImage; }, PngOf(32768, 32768), PngOf(4096, 4096)},
        {"PNG8192", [] { return new TPNGImage; }, PngOf(8192, 8192), PngOf(4096, 4096)},
        {"JPEG", [] { return new TJPEGImage; }, JpegOf(8192, 8192), JpegOf(4096, 4096)},
        {"BMP", [] { return new TBitmap; }, BmpOf(8192, 8192), BmpOf(4, 4)},
        {"WMF", [] { return new TMetafile; }, WmfOf(8192, 8192), WmfOf(4096, 4096)},
        {"EMF", [] { return new TMetafile; }, EmfOf(8192, 8192), EmfOf(4096, 4096)},
    };
    for (const TBudgetCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TGraphic> graphic(c.Make());
        TStringStream under(c.Under);
        ASSERT_NO_THROW(graphic->LoadFromStream(under));
        const int width = graphic->Width();
        TStringStream over(c.Over);
        EXPECT_THROW(graphic->LoadFromStream(over), EInvalidGraphic);
        EXPECT_EQ(graphic->Width(), width) << "what the graphic held stays";
    }
}
