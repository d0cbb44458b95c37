// TIcon: ICO files with bitmap and PNG images, round trips and damaged files.
#include "platform/graphics/icon.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/core/streams.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/qtcanvas.h"

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

// A bitmap image of an icon: a solid colour (an index into a palette whose
// entry 1 is Colour, or the colour itself at 24/32 bits), the AND mask making
// the top-left pixel transparent.
Bytes DibEntry(int w, int h, int bpp, uint32_t colour, uint8_t alpha = 0)
{
    Bytes b;
    Add32(b, 40);
    Add32(b, static_cast<uint32_t>(w));
    Add32(b, static_cast<uint32_t>(2 * h));
    Add16(b, 1);
    Add16(b, static_cast<uint32_t>(bpp));
    for (int i = 0; i < 6; ++i)
        Add32(b, 0);
    if (bpp <= 8)
        for (int i = 0; i < (1 << bpp); ++i)
            Add32(b, i == 1 ? colour : 0);
    const int stride = ((w * bpp + 31) / 32) * 4;
    for (int row = 0; row < h; ++row) {
        Bytes line(stride, '\0');
        for (int x = 0; x < w; ++x) {
            switch (bpp) {
            case 1:
                line[x / 8] = static_cast<char>(line[x / 8] | (0x80 >> (x % 8)));
                break;
            case 4:
                line[x / 2] = static_cast<char>(line[x / 2] | (x % 2 ? 0x01 : 0x10));
                break;
            case 8:
                line[x] = 1;
                break;
            default:
                for (int k = 0; k < 3; ++k)
                    line[x * (bpp / 8) + k] = static_cast<char>((colour >> (8 * k)) & 0xFF);
                if (bpp == 32)
                    line[x * 4 + 3] = static_cast<char>(alpha);
            }
        }
        b += line;
    }
    const int maskStride = ((w + 31) / 32) * 4;
    for (int row = 0; row < h; ++row) {
        Bytes line(maskStride, '\0');
        if (row == h - 1) // the top row is stored last
            line[0] = static_cast<char>(0x80);
        b += line;
    }
    return b;
}

struct TTestEntry {
    int W, H, Bpp;
    Bytes Data;
};

Bytes MakeIco(const std::vector<TTestEntry>& entries)
{
    Bytes b;
    Add16(b, 0);
    Add16(b, 1);
    Add16(b, static_cast<uint32_t>(entries.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
    for (const TTestEntry& e : entries) {
        b += static_cast<char>(e.W & 0xFF);
        b += static_cast<char>(e.H & 0xFF);
        b += '\0';
        b += '\0';
        Add16(b, 1);
        Add16(b, static_cast<uint32_t>(e.Bpp));
        Add32(b, static_cast<uint32_t>(e.Data.size()));
        Add32(b, offset);
        offset += static_cast<uint32_t>(e.Data.size());
    }
    for (const TTestEntry& e : entries)
        b += e.Data;
    return b;
}

// 2 x 2 RGBA: red, green at half alpha / blue transparent, white.
const Bytes TinyPng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x02\x08\x06"
    "\x00\x00\x00\x72\xB6\x0D\x24\x00\x00\x00\x14\x49\x44\x41\x54\x78\x9C\x63\xF8\xCF\xC0\xF0\x1F\x08\x1B\x18"
    "\xC0\x34\x10\x00\x00\x3F\xD7\x08\x79\x8F\x13\x8A\x8A\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    77);

void Load(TIcon& icon, const Bytes& data)
{
    TStringStream stream(data);
    icon.LoadFromStream(stream);
}

Bytes Save(const TIcon& icon)
{
    TStringStream stream;
    icon.SaveToStream(stream);
    return stream.DataString();
}

} // namespace

TEST(IconFiles, MadeFromPixelsRoundTrips)
{
    TPixelBuffer pixels(3, 2, 0xFF336699u);
    pixels.At(0, 0) = 0;           // transparent
    pixels.At(1, 0) = 0x80402010u; // half transparent, premultiplied
    TIcon icon;
    icon.SetPixels(pixels);
    Bytes file = Save(icon);
    ASSERT_GE(file.size(), 6u + 16 + 40);
    EXPECT_EQ(file.substr(0, 6), Bytes("\0\0\1\0\1\0", 6));
    EXPECT_EQ(static_cast<uint8_t>(file[6]), 3);
    EXPECT_EQ(static_cast<uint8_t>(file[7]), 2);

    TIcon back;
    Load(back, file);
    EXPECT_EQ(back.Width(), 3);
    EXPECT_EQ(back.Height(), 2);
    EXPECT_EQ(back.Pixels().At(0, 0), 0u);
    EXPECT_EQ(back.Pixels().At(1, 0), 0x80402010u);
    EXPECT_EQ(back.Pixels().At(2, 1), 0xFF336699u);
    EXPECT_EQ(Save(back), file); // bytes read are written back unchanged
}

TEST(IconFiles, PngImages)
{
    TIcon icon;
    Load(icon, MakeIco({{2, 2, 32, TinyPng}}));
    ASSERT_EQ(icon.Width(), 2);
    EXPECT_EQ(icon.Pixels().At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(icon.Pixels().At(1, 0) >> 24, 128u);
    EXPECT_EQ(icon.Pixels().At(0, 1), 0u);
    EXPECT_EQ(icon.Pixels().At(1, 1), 0xFFFFFFFFu);

    // A PNG claiming a huge size is refused before it is decoded.
    Bytes huge = TinyPng;
    huge[16] = '\x7F';
    TIcon refused;
    EXPECT_THROW(Load(refused, MakeIco({{2, 2, 32, huge}})), EInvalidGraphic);
    // So is a damaged one.
    Bytes damaged = TinyPng.substr(0, 50);
    EXPECT_THROW(Load(refused, MakeIco({{2, 2, 32, damaged}})), EInvalidGraphic);
}

TEST(IconFiles, TruncatedFilesAreRejectedAndChangeNothing)
{
    TIcon source;
    source.SetPixels(TPixelBuffer(4, 4, 0xFF102030u));
    const Bytes files[] = {Save(source), MakeIco({{2, 2, 4, DibEntry(2, 2, 4, 0xFF)}}),
                           MakeIco({{2, 2, 32, TinyPng}})};
    for (const Bytes& file : files)
        for (size_t length = 1; length < file.size(); ++length) {
            TIcon icon;
            icon.SetPixels(TPixelBuffer(1, 1, 0xFF00FF00u));
            EXPECT_THROW(Load(icon, file.substr(0, length)), EInvalidGraphic) << length;
            EXPECT_EQ(icon.Width(), 1);
        }
}

TEST(IconFiles, DamagedDirectoriesAreRejected)
{
    const Bytes good = MakeIco({{2, 2, 8, DibEntry(2, 2, 8, 0xFF)}});
    auto patched = [&good](size_t at, const Bytes& with) {
        Bytes b = good;
        b.replace(at, with.size(), with);
        return b;
    };
    const Bytes bad[] = {
        patched(0, Bytes("\1\0", 2)),                 // reserved field set
        patched(2, Bytes("\2\0", 2)),                 // a cursor file
        patched(4, Bytes("\0\0", 2)),                 // no images
        patched(4, Bytes("\xFF\xFF", 2)),             // more images than the directory holds
        patched(6 + 8, Bytes("\0\0\0\0", 4)),         // empty image
        patched(6 + 12, Bytes("\x04\0\0\0", 4)),      // image inside the directory
        patched(6 + 8, Bytes("\xFF\xFF\xFF\x7F", 4)), // image beyond the file
        patched(22, Bytes("\x11\0\0\0", 4)),          // not a bitmap header
        patched(22 + 14, Bytes("\x07\0", 2)),         // no such depth
    };
    for (const Bytes& file : bad) {
        TIcon icon;
        EXPECT_THROW(Load(icon, file), EInvalidGraphic);
        EXPECT_TRUE(icon.Empty());
    }
    try {
        TIcon icon;
        Load(icon, "junk");
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Icon image is not valid");
    }
}
