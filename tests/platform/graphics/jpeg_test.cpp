// TJPEGImage: byte-identical round trips, encoding from bitmaps, decoding,
// damaged and truncated files, and libjpeg's errors as exceptions.
#include "platform/graphics/jpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/recordingcanvas.h"

namespace {

using Bytes = std::string;

TPixelBuffer Quadrants(int w, int h)
{
    TPixelBuffer p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.At(x, y) =
                x < w / 2 ? (y < h / 2 ? 0xFFFF0000u : 0xFF00FF00u) : (y < h / 2 ? 0xFF0000FFu : 0xFFFFFFFFu);
    return p;
}

Bytes EncodeBitmap(const TPixelBuffer& pixels, int quality = 90)
{
    TBitmap bitmap;
    bitmap.SetPixels(pixels);
    TJPEGImage jpeg;
    jpeg.SetCompressionQuality(quality);
    jpeg.Assign(&bitmap);
    TStringStream stream;
    jpeg.SaveToStream(stream);
    return stream.DataString();
}

void Load(TJPEGImage& jpeg, const Bytes& data)
{
    TStringStream stream(data);
    jpeg.LoadFromStream(stream);
}

Bytes Save(const TJPEGImage& jpeg)
{
    TStringStream stream;
    jpeg.SaveToStream(stream);
    return stream.DataString();
}

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int s = 0; s < 32; s += 8)
        if (std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > tolerance)
            return false;
    return true;
}

} // namespace

TEST(JpegFiles, RoundTripIsByteIdentical)
{
    const Bytes file = EncodeBitmap(Quadrants(32, 16));
    ASSERT_GT(file.size(), 100u);
    EXPECT_EQ(file.substr(0, 2), "\xFF\xD8");
    TJPEGImage jpeg;
    Load(jpeg, file);
    EXPECT_EQ(jpeg.Width(), 32);
    EXPECT_EQ(jpeg.Height(), 16);
    EXPECT_FALSE(jpeg.Grayscale());
    // Decoding, drawing or a new quality do not change what is written.
    (void)jpeg.Pixels();
    jpeg.SetCompressionQuality(10);
    EXPECT_EQ(Save(jpeg), file);
    TJPEGImage copy;
    copy.Assign(&jpeg);
    EXPECT_EQ(Save(copy), file);
    EXPECT_TRUE(copy.Equals(&jpeg));
}

TEST(JpegFiles, EncodingFromBitmapsComposesAlphaOverWhite)
{
    TPixelBuffer pixels(16, 16, 0); // fully transparent
    TJPEGImage jpeg;
    Load(jpeg, EncodeBitmap(pixels));
    EXPECT_TRUE(Near(jpeg.Pixels().At(8, 8), 0xFFFFFFFFu, 2));
    // Quality decides the size.
    TPixelBuffer noise(64, 64);
    for (size_t i = 0; i < noise.Pixels.size(); ++i)
        noise.Pixels[i] = 0xFF000000u | static_cast<uint32_t>((i * 2654435761u) & 0xFFFFFF);
    EXPECT_LT(EncodeBitmap(noise, 20).size(), EncodeBitmap(noise, 95).size());
}

TEST(JpegFiles, NotJpegRaisesWithLibjpegsNumber)
{
    TJPEGImage jpeg;
    Load(jpeg, EncodeBitmap(Quadrants(8, 8)));
    try {
        Load(jpeg, "this is not a picture");
        FAIL();
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.Message().rfind("JPEG error #", 0), 0u) << e.Message();
    }
    EXPECT_EQ(jpeg.Width(), 8); // unchanged
    EXPECT_THROW(Load(jpeg, "\xFF\xD8\xFF"), EInvalidGraphic);
}

TEST(JpegFiles, TruncatedFilesNeverReadPastTheirEnd)
{
    const Bytes file = EncodeBitmap(Quadrants(24, 24));
    for (size_t length = 1; length < file.size(); ++length) {
        TJPEGImage jpeg;
        try {
            Load(jpeg, file.substr(0, length));
        } catch (const EJPEG&) {
            EXPECT_TRUE(jpeg.Empty());
            continue; // the header was cut
        }
        // The header is whole: what libjpeg can decode of the rest shows.
        EXPECT_EQ(jpeg.Width(), 24);
        TRecordingCanvas canvas;
        canvas.Draw(0, 0, &jpeg);
        EXPECT_LE(canvas.RecordsOf(TCanvasOp::Pixels).size(), 1u);
    }
}

TEST(JpegFiles, HugeFramesAreRefused)
{
    Bytes file = EncodeBitmap(Quadrants(8, 8));
    size_t sof = file.find("\xFF\xC0");
    ASSERT_NE(sof, Bytes::npos);
    file[sof + 5] = '\xFF'; // height 0xFF08
    file[sof + 7] = '\xFF'; // width 0xFF08
    TJPEGImage jpeg;
    EXPECT_THROW(Load(jpeg, file), EJPEG);
}

TEST(JpegFiles, CorruptDataDecodesWithoutHarm)
{
    Bytes file = EncodeBitmap(Quadrants(64, 64));
    size_t sos = file.find("\xFF\xDA");
    ASSERT_NE(sos, Bytes::npos);
    for (size_t i = sos + 20; i + 2 < file.size(); i += 7)
        file[i] = static_cast<char>(file[i] ^ 0x5A);
    TJPEGImage jpeg;
    Load(jpeg, file);
    try {
        const TPixelBuffer& p = jpeg.Pixels();
        EXPECT_EQ(p.Width, 64);
    } catch (const EJPEG&) {
        // refusing the damaged data is as good as showing what is left
    }
    TRecordingCanvas canvas;
    canvas.Draw(0, 0, &jpeg); // never raises
}
