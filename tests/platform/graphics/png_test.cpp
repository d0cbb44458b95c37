// TPNGImage: byte-identical round trips, pixels from and into bitmaps, the
// class found by name and extension, and damaged files.
#include "platform/graphics/png.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/picture.h"
#include "platform/graphics/recordingcanvas.h"

namespace {

TPixelBuffer Stripes(int w, int h)
{
    TPixelBuffer p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.At(x, y) = x % 2 ? 0xFFFF0000u : 0xFF0000FFu;
    return p;
}

std::string Encode(const TPixelBuffer& pixels)
{
    TBitmap bitmap;
    bitmap.SetPixels(pixels);
    TPNGImage png;
    png.Assign(&bitmap);
    TStringStream stream;
    png.SaveToStream(stream);
    return stream.DataString();
}

void Load(TPNGImage& png, const std::string& bytes)
{
    TStringStream stream(bytes);
    png.LoadFromStream(stream);
}

std::string Saved(const TGraphic& graphic)
{
    TStringStream stream;
    graphic.SaveToStream(stream);
    return stream.DataString();
}

} // namespace

TEST(PNGImage, KeepsTheBytesItWasReadFrom)
{
    // A text chunk the encoder would not write shows that the bytes are kept.
    std::string bytes = Encode(Stripes(6, 4));
    const size_t end = bytes.size() - 12; // before IEND
    bytes.insert(end, std::string("\0\0\0\x04tEXtabcd\0\0\0\0", 16));
    TPNGImage png;
    Load(png, bytes);
    EXPECT_EQ(png.Width(), 6);
    EXPECT_EQ(png.Height(), 4);
    EXPECT_EQ(Saved(png), bytes);
    TPNGImage copy;
    copy.Assign(&png);
    EXPECT_EQ(Saved(copy), bytes);
    EXPECT_TRUE(png.Equals(&copy));
}

TEST(PNGImage, PixelsSurviveEncodingAndDecoding)
{
    const TPixelBuffer pixels = Stripes(5, 3);
    TPNGImage png;
    Load(png, Encode(pixels));
    EXPECT_EQ(png.Pixels().At(0, 0), pixels.At(0, 0));
    EXPECT_EQ(png.Pixels().At(1, 2), pixels.At(1, 2));
    TBitmap bitmap;
    bitmap.Assign(&png);
    EXPECT_EQ(bitmap.Width(), 5);
    EXPECT_EQ(bitmap.Pixels().At(3, 1), pixels.At(3, 1));
    EXPECT_THROW(png.SetWidth(3), EInvalidGraphicOperation);
}

TEST(PNGImage, IsFoundByNameAndExtension)
{
    RegisterGraphicClasses();
    TPNGImage png;
    const TGraphicClass byName = GraphicClassOf(&png);
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(GraphicClassOfExtension(".PNG"), byName);
    EXPECT_EQ(GraphicExtension(byName), "png");
    std::unique_ptr<TGraphic> made(CreateGraphic(byName));
    EXPECT_NE(dynamic_cast<TPNGImage*>(made.get()), nullptr);
}

TEST(PNGImage, RefusesWhatIsNotAPngFile)
{
    const std::string good = Encode(Stripes(4, 4));
    std::string huge = good;
    huge[16] = '\x7F'; // width far beyond the limit
    std::string zero = good;
    zero.replace(20, 4, std::string(4, '\0'));
    const std::string cases[] = {"GIF89a", good.substr(0, 20), std::string("x") + good.substr(1), huge, zero};
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        TPNGImage png;
        Load(png, good);
        EXPECT_THROW(Load(png, bytes), EPNGError);
        // The picture is unchanged.
        EXPECT_EQ(Saved(png), good);
    }
}

TEST(PNGImage, DamagedDataDrawsNothing)
{
    std::string bytes = Encode(Stripes(8, 8));
    for (size_t i = 41; i < bytes.size() - 12; ++i)
        bytes[i] = '\x55';
    TPNGImage png;
    Load(png, bytes);
    EXPECT_EQ(png.Width(), 8);
    EXPECT_THROW(png.Pixels(), EPNGError);
    TRecordingCanvas canvas;
    png.Draw(&canvas, Rect(0, 0, 8, 8));
    EXPECT_TRUE(canvas.Records().empty());
}
