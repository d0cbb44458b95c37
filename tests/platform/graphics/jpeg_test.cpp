// TJPEGImage: byte-identical round trips, encoding from bitmaps, decoding,
// damaged and truncated files (decoded as far as their data goes, at the cost
// of what it holds), and libjpeg's errors as exceptions.
#include "platform/graphics/jpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixelbudget.h"
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

// A segment: marker, 16-bit length, payload.
Bytes Segment(uint8_t marker, const Bytes& payload)
{
    const size_t length = payload.size() + 2;
    return Bytes{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                 static_cast<char>(length)} +
           payload;
}

// A grey JPEG of W x H whose Huffman tables code a DC difference of 0 and the
// end of a block each as the one-bit code 0, followed by ScanBytes zero bytes
// of its first scan and the end of the file. A baseline block takes two of
// those bits, a block of a progressive file's first (DC) scan one.
Bytes FlatJpeg(int w, int h, bool progressive, size_t scanBytes)
{
    const Bytes oneCode = Bytes("\x01", 1) + Bytes(15, '\0') + Bytes(1, '\0');
    Bytes file = "\xFF\xD8";
    file += Segment(0xDB, Bytes(1, '\0') + Bytes(64, '\x01'));
    file += Segment(progressive ? 0xC2 : 0xC0,
                    Bytes{'\x08', static_cast<char>(h >> 8), static_cast<char>(h), static_cast<char>(w >> 8),
                          static_cast<char>(w), '\x01', '\x01', '\x11', '\x00'});
    file += Segment(0xC4, Bytes(1, '\x00') + oneCode);
    file += Segment(0xC4, Bytes(1, '\x10') + oneCode);
    file += Segment(0xDA, Bytes{'\x01', '\x01', '\x00', '\x00', progressive ? '\x00' : '\x3F', '\x00'});
    return file + Bytes(scanBytes, '\0') + "\xFF\xD9";
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
        const TPinnedPixels pPin = jpeg.Pixels();
        const TPixelBuffer& p = *pPin;
        EXPECT_EQ(p.Width, 64);
    } catch (const EJPEG&) {
        // refusing the damaged data is as good as showing what is left
    }
    TRecordingCanvas canvas;
    canvas.Draw(0, 0, &jpeg); // never raises
}

// A file whose first scan ends early decodes the rows that scan reached (and
// up to two rows of blocks past them, where the decoder's read-ahead may have
// taken the last of the data), with room made for no more: a header that
// claims the largest frame costs what the data holds. Rows of blocks are 8
// pixels; a row of a 5792-wide grey picture holds 724 blocks.
TEST(JpegTruncated, AScanCutShortCostsTheRowsItHolds)
{
    struct TCase {
        const char* Name;
        int Side;
        bool Progressive;
        size_t ScanBytes;
        int HeldRows; // rows the scan's bits code whole
    };
    const TCase cases[] = {
        {"empty baseline scan", 5792, false, 0, 0},
        {"ten rows of a baseline scan", 5792, false, 1810, 80},
        {"empty progressive scan", 5792, true, 0, 0},
        {"ten rows of a progressive scan", 5792, true, 905, 80},
        {"whole baseline scan", 800, false, 100 * 100 * 2 / 8, 800},
        {"whole first scan of a progressive file", 800, true, 100 * 100 / 8, 800},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const Bytes file = FlatJpeg(c.Side, c.Side, c.Progressive, c.ScanBytes);
        TPixelBuffer out;
        int code = -1;
        ASSERT_TRUE(jpegcodec::Decode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), out, code));
        EXPECT_EQ(out.Width, c.Side);
        EXPECT_GE(out.Height, c.HeldRows);
        EXPECT_LE(out.Height, std::min(c.HeldRows + 16, c.Side));
        EXPECT_EQ(out.Pixels.size(), size_t(out.Width) * size_t(out.Height));
        EXPECT_LE(out.Pixels.capacity(), size_t(out.Width) * size_t(out.Height + 16));
        if (out.Height > 0) {
            EXPECT_TRUE(Near(out.At(c.Side / 2, out.Height - 1), 0xFF808080u, 1)) << "grey as coded";
        }
    }
}

TEST(JpegTruncated, ThePictureHoldsAndDrawsItsRowsInTheirPlace)
{
    const int side = 5792;
    const Bytes file = FlatJpeg(side, side, false, 1810);
    TJPEGImage jpeg;
    Load(jpeg, file);
    EXPECT_EQ(jpeg.Width(), side);
    EXPECT_EQ(jpeg.Height(), side);
    const int64_t before = pixelbudget::HeldPixels();
    TRecordingCanvas canvas(400, 400, 96);
    canvas.StretchDraw(Rect(0, 0, 400, 400), &jpeg);
    const int rows = jpeg.Pixels().Height();
    ASSERT_GE(rows, 80);
    ASSERT_LE(rows, 96);
    // The budget holds the rows decoded, not the frame.
    EXPECT_EQ(pixelbudget::HeldPixels() - before, int64_t(side) * rows);
    // Drawn into the top of the place, in proportion.
    const std::vector<const TCanvasRecord*> drawn = canvas.RecordsOf(TCanvasOp::Pixels);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0]->Rect, Rect(0, 0, 400, int(400LL * rows / side)));
    EXPECT_EQ(drawn[0]->SourceRect, Rect(0, 0, side, rows));
    // Pictures of real data cut within their scan keep what came before the
    // cut. (Rows of blocks are 16 pixels here; the read-ahead's margin is 3
    // of them for a picture 512 wide, and the colour of a row's last pixels
    // is smoothed with the next row's, the one the cut went through.)
    const Bytes real = EncodeBitmap(Quadrants(512, 512));
    const size_t sos = real.find("\xFF\xDA");
    const size_t cut = sos + 14 + (real.size() - sos) / 3;
    TJPEGImage whole, part;
    Load(whole, real);
    Load(part, real.substr(0, cut));
    const TPinnedPixels allPin = whole.Pixels();
    const TPixelBuffer& all = *allPin;
    const TPinnedPixels somePin = part.Pixels();
    const TPixelBuffer& some = *somePin;
    ASSERT_LT(some.Height, 512);
    ASSERT_GT(some.Height, 48);
    for (int y = 0; y < some.Height - 48 - 16; ++y)
        for (int x = 0; x < 512; ++x)
            ASSERT_EQ(some.At(x, y), all.At(x, y)) << x << "," << y;
    // As a bitmap it has its whole size, white below what the file held.
    TBitmap bitmap;
    bitmap.Assign(&part);
    EXPECT_EQ(bitmap.Width(), 512);
    EXPECT_EQ(bitmap.Height(), 512);
    EXPECT_EQ(bitmap.Pixels().At(5, 511), 0xFFFFFFFFu);
    EXPECT_EQ(bitmap.Pixels().At(5, 0), some.At(5, 0));
}
