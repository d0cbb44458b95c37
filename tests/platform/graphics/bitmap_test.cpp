// TBitmap: BMP files of every depth and header form in and out, damaged files,
// and files another program reads.
#include "platform/graphics/bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/colors.h"
#include "platform/core/streams.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/pixelbudget.h"
#include "platform/graphics/qtcanvas.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/tempdir.h"

namespace {

using Bytes = std::string;

void Add16(Bytes& b, uint32_t v)
{
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
}
void Add32(Bytes& b, uint32_t v)
{
    Add16(b, v & 0xFFFF);
    Add16(b, v >> 16);
}

// A BMP file: file header (offset as given, or right after the tables), an
// info header of headerSize bytes (12 for the core form), then tables and bits.
Bytes MakeBmp(int width, int height, int bpp, uint32_t compression, const Bytes& tables, const Bytes& bits,
              uint32_t headerSize = 40, int64_t offset = -1, uint32_t clrUsed = 0, uint32_t sizeImage = 0)
{
    Bytes header;
    Add32(header, headerSize);
    if (headerSize == 12) {
        Add16(header, static_cast<uint32_t>(width));
        Add16(header, static_cast<uint32_t>(height));
        Add16(header, 1);
        Add16(header, static_cast<uint32_t>(bpp));
    } else {
        Add32(header, static_cast<uint32_t>(width));
        Add32(header, static_cast<uint32_t>(height));
        Add16(header, 1);
        Add16(header, static_cast<uint32_t>(bpp));
        Add32(header, compression);
        Add32(header, sizeImage ? sizeImage : static_cast<uint32_t>(bits.size()));
        Add32(header, 3780);
        Add32(header, 3780);
        Add32(header, clrUsed);
        Add32(header, 0);
        header.resize(headerSize, '\0');
    }
    Bytes file = "BM";
    uint32_t off = offset >= 0 ? static_cast<uint32_t>(offset) : 14 + header.size() + tables.size();
    Add32(file, static_cast<uint32_t>(14 + header.size() + tables.size() + bits.size()));
    Add32(file, 0);
    Add32(file, off);
    return file + header + tables + bits;
}

// A palette of RGB quads (or triples for the core form).
Bytes Palette(std::initializer_list<uint32_t> rgb, bool core = false)
{
    Bytes b;
    for (uint32_t c : rgb) {
        b += static_cast<char>(c & 0xFF);
        b += static_cast<char>((c >> 8) & 0xFF);
        b += static_cast<char>((c >> 16) & 0xFF);
        if (!core)
            b += '\0';
    }
    return b;
}

void Load(TBitmap& bitmap, const Bytes& data)
{
    TStringStream stream(data);
    bitmap.LoadFromStream(stream);
}

Bytes Save(const TGraphic& graphic)
{
    TStringStream stream;
    graphic.SaveToStream(stream);
    return stream.DataString();
}

uint32_t Px(const TBitmap& b, int x, int y)
{
    return b.Pixels().At(x, y);
}

TPixelBuffer Gradient(int w, int h, bool alpha)
{
    TPixelBuffer p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t a = alpha ? static_cast<uint32_t>((x * 255) / (w > 1 ? w - 1 : 1)) : 255;
            uint32_t c =
                (uint32_t(x * 40 % 256) << 16) | (uint32_t(y * 60 % 256) << 8) | uint32_t((x + y) * 20 % 256);
            // premultiply the test colour so that it is a valid pixel
            uint32_t r = ((c >> 16) & 0xFF) * a / 255, g = ((c >> 8) & 0xFF) * a / 255,
                     b = (c & 0xFF) * a / 255;
            p.At(x, y) = (a << 24) | (r << 16) | (g << 8) | b;
        }
    return p;
}

} // namespace

TEST(BitmapFiles, TwentyFourBitRoundTripIsExactAndWellFormed)
{
    TBitmap bitmap;
    bitmap.SetPixels(Gradient(5, 3, false)); // 5 * 3 = 15 bytes a row, padded to 16
    EXPECT_EQ(bitmap.PixelFormat(), pfDevice);
    EXPECT_EQ(bitmap.BytesPerScanLine(), 16);
    Bytes file = Save(bitmap);
    ASSERT_EQ(file.size(), 14u + 40 + 16 * 3);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<uint8_t>(file[10]), 54); // pixel data right after the header
    EXPECT_EQ(static_cast<uint8_t>(file[28]), 24);

    TBitmap back;
    Load(back, file);
    EXPECT_EQ(back.PixelFormat(), pf24bit);
    const TPinnedPixels backPixels = back.Pixels(), bitmapPixels = bitmap.Pixels();
    EXPECT_EQ(backPixels->Pixels, bitmapPixels->Pixels);
    EXPECT_EQ(Save(back), file);
}

TEST(BitmapFiles, ThirtyTwoBitKeepsAlpha)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    TPixelBuffer source = Gradient(7, 4, true);
    bitmap.SetPixels(source);
    EXPECT_EQ(bitmap.BytesPerScanLine(), 28);
    Bytes file = Save(bitmap);
    EXPECT_EQ(static_cast<uint8_t>(file[28]), 32);
    TBitmap back;
    Load(back, file);
    EXPECT_EQ(back.PixelFormat(), pf32bit);
    const TPinnedPixels backPixels = back.Pixels();
    for (size_t i = 0; i < source.Pixels.size(); ++i) {
        uint32_t a = backPixels->Pixels[i], b = source.Pixels[i];
        EXPECT_EQ(a >> 24, b >> 24);
        for (int s = 0; s < 24; s += 8) // premultiplying again may round by one
            EXPECT_LE(std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)), 1) << i;
    }
}

TEST(BitmapFiles, PaletteDepthsBottomUpAndTopDown)
{
    // 1 bit: 10 pixels wide (2 bytes + 2 padding), two rows, bottom row first.
    TBitmap one;
    Load(one, MakeBmp(10, 2, 1, 0, Palette({0x000000, 0xFF0000}),
                      Bytes("\xA0\x40\0\0", 4) + Bytes("\x01\x80\0\0", 4)));
    EXPECT_EQ(Px(one, 0, 1), 0xFFFF0000u); // bottom row from the first stored row: 1010 0000
    EXPECT_EQ(Px(one, 1, 1), 0xFF000000u);
    EXPECT_EQ(Px(one, 9, 1), 0xFFFF0000u); // second byte 0x40: pixel 9
    EXPECT_EQ(Px(one, 7, 0), 0xFFFF0000u); // top row: 0000 0001 1000 0000
    EXPECT_EQ(Px(one, 8, 0), 0xFFFF0000u);
    EXPECT_EQ(one.PixelFormat(), pf24bit);

    // 4 bits, 3 pixels, top-down (negative height), two rows.
    TBitmap four;
    Load(four, MakeBmp(3, -2, 4, 0, Palette({0x000000, 0x00FF00, 0x0000FF}),
                       Bytes("\x12\x00\0\0", 4) + Bytes("\x21\x10\0\0", 4), 40, -1, 3));
    EXPECT_EQ(Px(four, 0, 0), 0xFF00FF00u);
    EXPECT_EQ(Px(four, 1, 0), 0xFF0000FFu);
    EXPECT_EQ(Px(four, 2, 0), 0xFF000000u);
    EXPECT_EQ(Px(four, 0, 1), 0xFF0000FFu);
    EXPECT_EQ(Px(four, 2, 1), 0xFF00FF00u);

    // 8 bits: an index beyond the palette shows black rather than reading past it.
    TBitmap eight;
    Load(eight, MakeBmp(2, 1, 8, 0, Palette({0x123456}), Bytes("\x00\x07\0\0", 4), 40, -1, 1));
    EXPECT_EQ(Px(eight, 0, 0), 0xFF123456u);
    EXPECT_EQ(Px(eight, 1, 0), 0xFF000000u);
}

TEST(BitmapFiles, CoreHeaderAndSixteenBitForms)
{
    TBitmap core;
    Load(core, MakeBmp(1, 1, 1, 0, Palette({0, 0xABCDEF}, true), Bytes("\x80\0\0\0", 4), 12));
    EXPECT_EQ(Px(core, 0, 0), 0xFFABCDEFu);

    // 16 bits, 5-5-5 by default: 0x7C00 is full red.
    Bytes bits;
    Add16(bits, 0x7C00);
    Add16(bits, 0x001F);
    TBitmap rgb555;
    Load(rgb555, MakeBmp(2, 1, 16, 0, "", bits));
    EXPECT_EQ(Px(rgb555, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Px(rgb555, 1, 0), 0xFF0000FFu);

    // 16 bits with 5-6-5 masks after the header: 0x07E0 is full green.
    Bytes masks;
    Add32(masks, 0xF800);
    Add32(masks, 0x07E0);
    Add32(masks, 0x001F);
    Bytes bits565;
    Add16(bits565, 0x07E0);
    Add16(bits565, 0);
    TBitmap rgb565;
    Load(rgb565, MakeBmp(2, 1, 16, 3, masks, bits565));
    EXPECT_EQ(Px(rgb565, 0, 0), 0xFF00FF00u);
}

TEST(BitmapFiles, RunLengthEncoded)
{
    // RLE8, 4 x 3: row 0 (bottom) a run of 3 of index 1, end of line; row 1 an
    // absolute run of 3 (padded), end of line; then a move by (1, 1) and one
    // pixel; end of bitmap. Unset pixels are black.
    Bytes rle8("\x03\x01\x00\x00"
               "\x00\x03\x02\x01\x02\x00\x00\x00"
               "\x00\x02\x01\x00\x01\x02\x00\x01",
               20);
    TBitmap eight;
    Load(eight, MakeBmp(4, 3, 8, 1, Palette({0x000000, 0xFF0000, 0x00FF00}), rle8, 40, -1, 3));
    EXPECT_EQ(Px(eight, 0, 2), 0xFFFF0000u);
    EXPECT_EQ(Px(eight, 2, 2), 0xFFFF0000u);
    EXPECT_EQ(Px(eight, 3, 2), 0xFF000000u);
    EXPECT_EQ(Px(eight, 0, 1), 0xFF00FF00u);
    EXPECT_EQ(Px(eight, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(Px(eight, 2, 1), 0xFF00FF00u);
    EXPECT_EQ(Px(eight, 1, 0), 0xFF00FF00u); // after the move to (1, 2)
    EXPECT_EQ(Px(eight, 0, 0), 0xFF000000u);

    // RLE4: a run of 5 alternating indexes 1 and 2, and an absolute run of 3.
    Bytes rle4("\x05\x12\x00\x00"
               "\x00\x03\x21\x20\x00\x01",
               10);
    TBitmap four;
    Load(four, MakeBmp(5, 2, 4, 2, Palette({0x000000, 0xFF0000, 0x0000FF}), rle4, 40, -1, 3));
    EXPECT_EQ(Px(four, 0, 1), 0xFFFF0000u);
    EXPECT_EQ(Px(four, 1, 1), 0xFF0000FFu);
    EXPECT_EQ(Px(four, 4, 1), 0xFFFF0000u);
    EXPECT_EQ(Px(four, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(Px(four, 1, 0), 0xFFFF0000u);
    EXPECT_EQ(Px(four, 2, 0), 0xFF0000FFu);

    // Runs past the right edge and moves past the top are clipped, not written.
    Bytes wild("\xFF\x01\x00\x02\x00\xFF\xFF\x01\x00\x01", 10);
    TBitmap clipped;
    Load(clipped, MakeBmp(2, 2, 8, 1, Palette({0, 0xFF0000}), wild, 40, -1, 2));
    EXPECT_EQ(Px(clipped, 1, 1), 0xFFFF0000u);
}

TEST(BitmapFiles, ReadsOnlyItsOwnBytes)
{
    TBitmap a, b;
    a.SetPixels(TPixelBuffer(2, 2, 0xFF102030u));
    b.SetPixels(TPixelBuffer(3, 1, 0xFF405060u));
    TStringStream stream(Save(a) + Save(b));
    TBitmap first, second;
    first.LoadFromStream(stream);
    second.LoadFromStream(stream);
    EXPECT_EQ(first.Width(), 2);
    EXPECT_EQ(second.Width(), 3);
    EXPECT_EQ(Px(second, 2, 0), 0xFF405060u);
}

TEST(BitmapFiles, EmptyBitmapSavesNothingAndLoadsFromNothing)
{
    TBitmap empty;
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(Save(empty), "");
    TBitmap bitmap;
    bitmap.SetSize(3, 3);
    Load(bitmap, "");
    EXPECT_TRUE(bitmap.Empty());
}

TEST(BitmapFiles, TruncatedFilesAreRejectedAndChangeNothing)
{
    TBitmap source;
    source.SetPixels(Gradient(6, 5, false));
    const Bytes files[] = {
        Save(source),
        MakeBmp(4, 3, 8, 1, Palette({0, 0xFF0000}), Bytes("\x03\x01\x00\x00\x00\x01", 6), 40, -1, 2),
        MakeBmp(3, 1, 4, 0, Palette({0, 0xFF}), Bytes("\x12\x00\0\0", 4), 40, -1, 2),
    };
    for (const Bytes& file : files)
        for (size_t length = 1; length < file.size(); ++length) {
            TBitmap bitmap;
            bitmap.SetPixels(TPixelBuffer(1, 1, 0xFF00FF00u));
            EXPECT_THROW(Load(bitmap, file.substr(0, length)), EInvalidGraphic) << length;
            EXPECT_EQ(bitmap.Width(), 1);
            EXPECT_EQ(Px(bitmap, 0, 0), 0xFF00FF00u);
        }
}

TEST(BitmapFiles, DamagedHeadersAreRejected)
{
    Bytes bits(64, '\0');
    const Bytes bad[] = {
        Bytes("XM") + MakeBmp(1, 1, 24, 0, "", bits).substr(2), // not "BM"
        MakeBmp(1, 1, 24, 0, "", bits, 20),                     // unknown header size
        MakeBmp(1, 1, 7, 0, "", bits),                          // no such depth
        MakeBmp(1, 1, 24, 4, "", bits),                         // JPEG inside
        MakeBmp(0, 1, 24, 0, "", bits),                         // no width
        MakeBmp(1, 0, 24, 0, "", bits),                         // no height
        MakeBmp(100000, 1, 24, 0, "", bits),                    // beyond the limits
        MakeBmp(30000, 30000, 1, 0, Palette({0, 1}), bits),     // too many pixels
        MakeBmp(2, -2, 8, 1, Palette({0, 1}), bits, 40, -1, 2), // top-down RLE
        MakeBmp(1, 1, 8, 0, Palette({0}), bits, 40, -1, 1000),  // palette too large
        MakeBmp(1, 1, 24, 1, "", bits),                         // RLE8 of 24 bits
        MakeBmp(1, 1, 24, 0, "", bits, 40, 1 << 30),            // data beyond the end
    };
    for (const Bytes& file : bad) {
        TBitmap bitmap;
        EXPECT_THROW(Load(bitmap, file), EInvalidGraphic);
        EXPECT_TRUE(bitmap.Empty());
    }
    try {
        TBitmap bitmap;
        Load(bitmap, "BMxx");
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Bitmap image is not valid");
    }
}

TEST(BitmapFiles, OpensInImageMagick)
{
    int status = 0;
    if (RunCommand("command -v identify", status), status != 0)
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    TempDir dir;
    for (TPixelFormat format : {pf24bit, pf32bit}) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetPixels(Gradient(13, 7, format == pf32bit));
        std::string file = dir.File(format == pf32bit ? "b32.bmp" : "b24.bmp");
        bitmap.SaveToFile(file);
        EXPECT_EQ(RunCommand("identify -format '%w %h' '" + file + "' 2>&1", status), "13 7");
        EXPECT_EQ(status, 0);
    }
}

// ---------------------------------------------------------------------------
// Sizing

// Each side set alone is kept, also while the other is still 0; the pixels
// come once both sides are there, and a side past the limits is refused.
TEST(BitmapSize, EachSideIsKeptWhenSetAlone)
{
    TBitmap bitmap;
    bitmap.SetWidth(10);
    EXPECT_EQ(bitmap.Width(), 10);
    EXPECT_EQ(bitmap.Height(), 0);
    EXPECT_TRUE(bitmap.Empty());
    bitmap.SetHeight(120);
    EXPECT_EQ(bitmap.Width(), 10);
    EXPECT_EQ(bitmap.Height(), 120);
    ASSERT_FALSE(bitmap.Empty());
    {
        const TPinnedPixels pixels = bitmap.Pixels();
        EXPECT_EQ(pixels->Pixels.size(), 1200u);
    }

    TBitmap other;
    other.SetHeight(7);
    other.SetWidth(3);
    EXPECT_EQ(other.Width(), 3);
    EXPECT_EQ(other.Height(), 7);
    EXPECT_EQ(other.Pixels().At(2, 6), 0xFFFFFFFFu);

    // Back to one side of 0: no pixels, the other side stays.
    other.SetWidth(0);
    EXPECT_TRUE(other.Empty());
    EXPECT_EQ(other.Height(), 7);
    EXPECT_EQ(Save(other), "");
    EXPECT_THROW(other.SetWidth(GraphicMaxSide + 1), EOutOfResources);
    EXPECT_EQ(other.Height(), 7);
}

// A picture past a million pixels, every pixel's colour given by its place:
// 8-bit rows, or RLE8 or RLE4 data of repeated and absolute runs, moves right
// and up, and rows ended early (the pixels they skip stay black).
Bytes LargePicture(uint32_t compression)
{
    const int width = 1280, height = 1024;
    const bool rle4 = compression == 2;
    const int bpp = rle4 ? 4 : 8, colours = rle4 ? 16 : 256;
    Bytes palette;
    for (int i = 0; i < colours; ++i)
        palette += Palette({static_cast<uint32_t>(i * 0x010305 + (i % 7) * 0x200000)});
    Bytes bits;
    auto index = [colours](int x, int y) { return (x / 3 + y * 7) % colours; };
    if (compression == 0) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bits += static_cast<char>(index(x, y));
        return MakeBmp(width, height, bpp, 0, palette, bits, 40, -1, colours);
    }
    for (int y = 0; y < height; ++y) {
        if (y == 500) {
            bits += Bytes("\0\2\0\3", 4); // three rows up
            y += 3;
        }
        // A repeated run, a move right over 30 pixels, then absolute runs.
        bits += static_cast<char>(40);
        bits += static_cast<char>(rle4 ? (index(0, y) << 4) | index(1, y) : index(0, y));
        bits += Bytes("\0\2\x1E\0", 4);
        const int end = y % 50 == 0 ? width / 2 : width;
        for (int x = 70; x < end;) {
            const int count = std::min(200, end - x);
            Bytes run;
            for (int k = 0; k < count; ++k) {
                const int i = index(x + k, y);
                if (!rle4)
                    run += static_cast<char>(i);
                else if (k % 2 == 0)
                    run += static_cast<char>(i << 4);
                else
                    run.back() = static_cast<char>(run.back() | i);
            }
            if (run.size() % 2)
                run += '\0';
            bits += '\0';
            bits += static_cast<char>(count);
            bits += run;
            x += count;
        }
        bits += Bytes("\0\0", 2); // end of line
    }
    bits += Bytes("\0\1", 2);
    return MakeBmp(width, height, bpp, compression, palette, bits, 40, -1, colours);
}

// What a canvas of 64 x 48 shows of the picture drawn at Rect (over a grey
// background).
std::vector<uint32_t> Shown(TBitmap& picture, const TRect& rect)
{
    TBitmap target;
    target.SetSize(64, 48);
    target.Canvas()->Brush()->SetColor(static_cast<TColor>(0x808080));
    target.Canvas()->FillRect(TRect{0, 0, 64, 48});
    target.Canvas()->StretchDraw(rect, &picture);
    const TPinnedPixels shown = target.Pixels();
    return shown->Pixels;
}

// A large picture of which the canvas shows a small part is drawn from that
// part alone, pixel for pixel as from the whole picture decoded, at its own
// size and scaled, opaque and with its transparent colour left out; it
// decodes nothing while no part of it shows.
TEST(BitmapDraw, ALargePictureMostlyHiddenIsDrawnFromThePartThatShows)
{
    const TRect places[] = {
        {-600, -500, 680, 524}, {-1200, -1000, 1360, 1048}, {-10, -20, 1270, 1004}, {-1240, -990, 40, 34}};
    for (uint32_t compression : {0u, 1u, 2u}) {
        const Bytes file = LargePicture(compression);
        for (bool transparent : {false, true}) {
            TBitmap part, whole;
            Load(part, file);
            Load(whole, file);
            part.SetTransparent(transparent);
            whole.SetTransparent(transparent);
            const int64_t held = pixelbudget::HeldPixels();
            EXPECT_EQ(Shown(part, TRect{5000, 5000, 6280, 6024}),
                      Shown(whole, TRect{5000, 5000, 6280, 6024}));
            std::vector<std::vector<uint32_t>> parts;
            for (const TRect& place : places)
                parts.push_back(Shown(part, place));
            EXPECT_EQ(pixelbudget::HeldPixels(), held) << compression;
            {
                const TPinnedPixels decoded = whole.Pixels();
                ASSERT_FALSE(decoded->Pixels.empty()); // decoded whole from here on
            }
            for (size_t i = 0; i < std::size(places); ++i)
                EXPECT_EQ(parts[i], Shown(whole, places[i])) << compression << " " << transparent << " " << i;
        }
    }
}
