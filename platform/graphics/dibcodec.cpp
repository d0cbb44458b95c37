// Reading and writing device-independent bitmaps. Every field read comes from
// outside: sizes are checked against the limits and every read against the
// bytes that remain.
#include "platform/graphics/dibcodec.h"

#include <algorithm>

#include "platform/graphics/graphic.h"

namespace dib {

using namespace graphicio;

namespace {

// One colour channel of a 16- or 32-bit pixel, taken out by its mask.
struct TChannel {
    uint32_t Mask = 0;
    int Shift = 0;
    uint64_t Max = 0;

    explicit TChannel(uint32_t mask) : Mask(mask)
    {
        if (!mask)
            return;
        while (!((mask >> Shift) & 1))
            ++Shift;
        Max = mask >> Shift; // a mask with holes counts as its whole span
    }
    uint32_t Get(uint32_t pixel, uint32_t ifNone) const
    {
        if (!Mask)
            return ifNone;
        uint64_t v = (pixel & Mask) >> Shift;
        return static_cast<uint32_t>((v * 255 + Max / 2) / Max);
    }
};

bool KnownHeaderSize(uint32_t size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool ParseCore(const uint8_t* p, THeader& h)
{
    h.Width = U16(p + 4);
    h.Height = U16(p + 6);
    h.BitCount = U16(p + 10);
    h.Compression = BI_RGB;
    h.PaletteEntrySize = 3;
    if (h.BitCount != 1 && h.BitCount != 4 && h.BitCount != 8 && h.BitCount != 24)
        return false;
    h.PaletteEntries = h.BitCount <= 8 ? 1 << h.BitCount : 0;
    return true;
}

bool ParseInfo(const uint8_t* p, THeader& h)
{
    int32_t width = I32(p + 4);
    int64_t height = I32(p + 8);
    h.BitCount = U16(p + 14);
    h.Compression = U32(p + 16);
    h.SizeImage = U32(p + 20);
    uint32_t clrUsed = U32(p + 32);
    if (width <= 0 || height == 0)
        return false;
    h.TopDown = height < 0;
    height = height < 0 ? -height : height;
    if (height > GraphicMaxSide)
        return false;
    h.Width = width;
    h.Height = static_cast<int>(height);

    const int bpp = h.BitCount;
    switch (h.Compression) {
    case BI_RGB:
        if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
            return false;
        if (bpp == 16) {
            h.Masks[0] = 0x7C00;
            h.Masks[1] = 0x03E0;
            h.Masks[2] = 0x001F;
        } else if (bpp == 32) {
            h.Masks[0] = 0xFF0000;
            h.Masks[1] = 0xFF00;
            h.Masks[2] = 0xFF;
            h.Masks[3] = 0xFF000000u;
        }
        break;
    case BI_RLE8:
    case BI_RLE4:
        if (bpp != (h.Compression == BI_RLE8 ? 8 : 4) || h.TopDown)
            return false;
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        if (bpp != 16 && bpp != 32)
            return false;
        if (h.HeaderSize == 40) {
            h.MasksInTables = true;
        } else {
            for (int i = 0; i < 3; ++i)
                h.Masks[i] = U32(p + 40 + 4 * i);
            if (h.HeaderSize >= 56)
                h.Masks[3] = U32(p + 52);
        }
        break;
    default:
        return false; // JPEG or PNG inside a bitmap, or nonsense
    }
    if (clrUsed > 256)
        return false;
    if (bpp <= 8)
        h.PaletteEntries = clrUsed ? static_cast<int>(clrUsed) : 1 << bpp;
    else
        h.PaletteEntries = static_cast<int>(clrUsed); // an optional table, skipped
    return true;
}

// The part of a bitmap that is decoded: columns Left..Left+Width-1 of rows
// Top..Top+Height-1, rows counted from the top of the picture.
struct TPart {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// Pixel data of uncompressed rows: indexes, 24-bit or masked 16/32-bit pixels.
// Masked pixels are decoded whole only (their alpha is judged on every pixel).
bool DecodeRows(const THeader& h, const uint8_t* p, size_t n, const TPart& part, TPixelBuffer& out,
                bool& anyAlpha)
{
    if (!BitsComplete(h, n))
        return false;
    const int64_t stride = h.Stride();
    const TChannel red(h.Masks[0]), green(h.Masks[1]), blue(h.Masks[2]), alpha(h.Masks[3]);
    const bool masked = h.BitCount == 16 || h.BitCount == 32;
    auto indexed = [&h](uint32_t i) { return i < h.Palette.size() ? h.Palette[i] : 0xFF000000u; };

    for (int top = part.Top; top < part.Top + part.Height; ++top) {
        const uint8_t* s = p + stride * (h.TopDown ? top : h.Height - 1 - top);
        uint32_t* d = &out.At(0, top - part.Top);
        for (int x = part.Left; x < part.Left + part.Width; ++x, ++d) {
            switch (h.BitCount) {
            case 1:
                *d = indexed((s[x >> 3] >> (7 - (x & 7))) & 1);
                break;
            case 4:
                *d = indexed((s[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
                break;
            case 8:
                *d = indexed(s[x]);
                break;
            case 24:
                *d = 0xFF000000u | (s[3 * x + 2] << 16) | (s[3 * x + 1] << 8) | s[3 * x];
                break;
            default: {
                uint32_t v = h.BitCount == 16 ? U16(s + 2 * x) : U32(s + 4 * x);
                uint32_t a = alpha.Get(v, 0);
                anyAlpha = anyAlpha || a != 0;
                *d = (a << 24) | (red.Get(v, 0) << 16) | (green.Get(v, 0) << 8) | blue.Get(v, 0);
            }
            }
        }
    }
    if (masked) {
        // Most writers leave the fourth byte 0: an alpha channel that is zero
        // everywhere means "no alpha", not "invisible".
        for (uint32_t& px : out.Pixels)
            px = anyAlpha ? Premultiply(px) : (px | 0xFF000000u);
    }
    return true;
}

// Run-length data of 4- or 8-bit bitmaps (always bottom-up). A run is
// decoded only where it crosses the part; the rest of it is stepped over.
void DecodeRle(const THeader& h, const uint8_t* p, size_t n, const TPart& part, TPixelBuffer& out)
{
    const bool rle4 = h.Compression == BI_RLE4;
    const int64_t left = part.Left, right = int64_t(part.Left) + part.Width;
    int64_t x = 0, y = 0;
    auto index = [&h](uint32_t i) { return i < h.Palette.size() ? h.Palette[i] : 0xFF000000u; };
    // Count pixels of row Y from X on, the K-th of them of index Pixel(K).
    auto run = [&](int count, auto pixel) {
        const int64_t top = h.Height - 1 - y;
        if (top >= part.Top && top < int64_t(part.Top) + part.Height) {
            uint32_t* d = &out.At(0, static_cast<int>(top - part.Top));
            const int64_t from = std::max(x, left), to = std::min(x + count, right);
            for (int64_t at = from; at < to; ++at)
                d[at - left] = index(pixel(static_cast<int>(at - x)));
        }
        x += count;
    };
    size_t i = 0;
    while (i + 1 < n && y < h.Height) {
        uint8_t count = p[i], value = p[i + 1];
        i += 2;
        if (count > 0) {
            run(count, [rle4, value](int k) -> uint32_t {
                return rle4 ? ((k & 1) ? value & 0xF : value >> 4) : value;
            });
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // move right and up
            if (i + 1 >= n)
                break;
            x += p[i];
            y += p[i + 1];
            i += 2;
        } else { // absolute run of 'value' pixels, padded to a 16-bit boundary
            size_t bytes = rle4 ? (value + 1u) / 2 : value;
            bytes += bytes & 1;
            if (i + bytes > n)
                break;
            const uint8_t* q = p + i;
            run(value, [rle4, q](int k) -> uint32_t {
                return rle4 ? ((k & 1) ? q[k / 2] & 0xF : q[k / 2] >> 4) : q[k];
            });
            i += bytes;
        }
    }
}

bool DecodePart(const THeader& h, const uint8_t* p, size_t n, const TPart& part, TPixelBuffer& out,
                bool* hasAlpha)
{
    bool anyAlpha = false;
    if (hasAlpha)
        *hasAlpha = false;
    out = TPixelBuffer(part.Width, part.Height, 0xFF000000u);
    if (h.Compression == BI_RLE8 || h.Compression == BI_RLE4) {
        DecodeRle(h, p, n, part, out);
        return true;
    }
    if (DecodeRows(h, p, n, part, out, anyAlpha)) {
        if (hasAlpha)
            *hasAlpha = anyAlpha;
        return true;
    }
    out = TPixelBuffer();
    return false;
}

} // namespace

int THeader::Stride() const
{
    return static_cast<int>(((static_cast<int64_t>(Width) * BitCount + 31) / 32) * 4);
}

int64_t THeader::BitsBytes() const
{
    return static_cast<int64_t>(Stride()) * Height;
}

size_t THeader::TableBytes() const
{
    size_t masks = MasksInTables ? (Compression == BI_ALPHABITFIELDS ? 16 : 12) : 0;
    return masks + static_cast<size_t>(PaletteEntries) * PaletteEntrySize;
}

bool ParseHeader(const uint8_t* p, size_t n, THeader& h)
{
    h = THeader();
    if (n < 4)
        return false;
    h.HeaderSize = U32(p);
    if (!KnownHeaderSize(h.HeaderSize) || n < h.HeaderSize)
        return false;
    if (!(h.HeaderSize == 12 ? ParseCore(p, h) : ParseInfo(p, h)))
        return false;
    return SizeAllowed(h.Width, h.Height);
}

bool ParseTables(const uint8_t* p, size_t n, THeader& h)
{
    if (n < h.TableBytes())
        return false;
    if (h.MasksInTables) {
        int count = h.Compression == BI_ALPHABITFIELDS ? 4 : 3;
        for (int i = 0; i < count; ++i)
            h.Masks[i] = U32(p + 4 * i);
        p += 4 * count;
    }
    h.Palette.clear();
    if (h.BitCount <= 8) {
        h.Palette.reserve(h.PaletteEntries);
        for (int i = 0; i < h.PaletteEntries; ++i) {
            const uint8_t* e = p + static_cast<size_t>(i) * h.PaletteEntrySize;
            h.Palette.push_back(0xFF000000u | (e[2] << 16) | (e[1] << 8) | e[0]);
        }
    }
    return true;
}

bool BitsComplete(const THeader& h, size_t n)
{
    if (h.Compression == BI_RLE8 || h.Compression == BI_RLE4)
        return true;
    const int64_t lastRow = (static_cast<int64_t>(h.Width) * h.BitCount + 7) / 8;
    return static_cast<int64_t>(n) >= static_cast<int64_t>(h.Stride()) * (h.Height - 1) + lastRow;
}

bool AlphaFromPixels(const THeader& h)
{
    return h.BitCount == 16 && h.Masks[3] != 0;
}

bool DecodeBits(const THeader& h, const uint8_t* p, size_t n, TPixelBuffer& out, bool* hasAlpha)
{
    return DecodePart(h, p, n, TPart{0, 0, h.Width, h.Height}, out, hasAlpha);
}

bool PartDecodable(const THeader& h)
{
    return h.BitCount != 16 && h.BitCount != 32;
}

bool DecodeBitsPart(const THeader& h, const uint8_t* p, size_t n, int left, int top, int width, int height,
                    TPixelBuffer& out)
{
    if (!PartDecodable(h) || left < 0 || top < 0 || width <= 0 || height <= 0 || width > h.Width - left ||
        height > h.Height - top)
        return false;
    return DecodePart(h, p, n, TPart{left, top, width, height}, out, nullptr);
}

bool DecodePacked(const uint8_t* p, size_t n, TPixelBuffer& out, THeader* header)
{
    THeader h;
    if (!ParseHeader(p, n, h) || !ParseTables(p + h.HeaderSize, n - h.HeaderSize, h))
        return false;
    size_t offset = h.HeaderSize + h.TableBytes();
    if (!DecodeBits(h, p + offset, n - offset, out))
        return false;
    if (header)
        *header = std::move(h);
    return true;
}

Bytes EncodePacked(const TPixelBuffer& pixels, int bitCount)
{
    const int bpp = bitCount == 32 ? 32 : 24;
    THeader h;
    h.Width = pixels.Width;
    h.Height = pixels.Height;
    h.BitCount = bpp;
    const int stride = h.Stride();
    Bytes out;
    out.reserve(40 + static_cast<size_t>(h.BitsBytes()));
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(pixels.Width));
    Put32(out, static_cast<uint32_t>(pixels.Height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bpp));
    Put32(out, BI_RGB);
    Put32(out, static_cast<uint32_t>(h.BitsBytes()));
    Put32(out, 3780); // 96 pixels per inch
    Put32(out, 3780);
    Put32(out, 0);
    Put32(out, 0);
    for (int row = pixels.Height - 1; row >= 0; --row) {
        size_t start = out.size();
        for (int x = 0; x < pixels.Width; ++x) {
            uint32_t px = Unpremultiply(pixels.At(x, row));
            out.push_back(static_cast<uint8_t>(px));
            out.push_back(static_cast<uint8_t>(px >> 8));
            out.push_back(static_cast<uint8_t>(px >> 16));
            if (bpp == 32)
                out.push_back(static_cast<uint8_t>(px >> 24));
        }
        out.resize(start + stride, 0);
    }
    return out;
}

Bytes EncodeFile(const TPixelBuffer& pixels, int bitCount)
{
    Bytes packed = EncodePacked(pixels, bitCount);
    Bytes out;
    out.reserve(14 + packed.size());
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<uint32_t>(14 + packed.size()));
    Put32(out, 0);
    Put32(out, 14 + 40);
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

} // namespace dib
