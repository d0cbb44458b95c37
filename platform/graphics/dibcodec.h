// Device-independent bitmaps (the pixel data of BMP files, of icon entries and
// of bitmaps inside metafiles): reading every header form and depth, and
// writing 24- and 32-bit bitmaps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/graphics/graphicio.h"
#include "platform/graphics/pixelbuffer.h"

namespace dib {

enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

// The header of a bitmap: the core (12-byte) form or an info header of 40 to
// 124 bytes, with the colour masks and palette that follow it.
struct THeader {
    uint32_t HeaderSize = 0;
    int Width = 0;
    int Height = 0;       // rows, always positive
    bool TopDown = false; // rows stored top row first
    int BitCount = 0;
    uint32_t Compression = BI_RGB;
    uint32_t SizeImage = 0;
    uint32_t Masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    bool MasksInTables = false;       // masks follow a 40-byte header
    int PaletteEntries = 0;           // entries stored after the header
    int PaletteEntrySize = 4;         // 3 in the core form
    std::vector<uint32_t> Palette;    // opaque 0xFFRRGGBB
    // Bytes of masks and palette that follow the header.
    size_t TableBytes() const;
    // Bytes of uncompressed pixel data (stride x rows).
    int64_t BitsBytes() const;
    int Stride() const;
};

// Reads the header at p (n bytes available, at least 4). HeaderSize bytes must
// be there. False for anything that is not a bitmap this reader takes: an
// unknown header size, a depth or compression it does not know, a size outside
// the limits, top-down RLE.
bool ParseHeader(const uint8_t* p, size_t n, THeader& h);
// Reads the masks and palette that follow the header (h.TableBytes() bytes at p).
bool ParseTables(const uint8_t* p, size_t n, THeader& h);
// Decodes the pixel data (n bytes at p) into Out. Uncompressed data must hold
// every row; RLE data stops at its end code or at the end of the bytes, and
// pixels it never sets stay opaque black. False when the data is short.
// HasAlpha (optional) tells whether 16- or 32-bit data had an alpha channel
// that is not zero everywhere (one that is counts as opaque).
bool DecodeBits(const THeader& h, const uint8_t* p, size_t n, TPixelBuffer& out, bool* hasAlpha = nullptr);
// Whether DecodeBitsPart decodes this bitmap's pixels: all depths but the
// masked 16- and 32-bit ones, whose alpha is judged on the whole picture.
bool PartDecodable(const THeader& h);
// Decodes only the Width x Height pixels from (Left, Top) of the picture
// (rows counted from its top) into Out, as DecodeBits would decode them.
// False when the part is not inside the picture, the bitmap is not
// PartDecodable or the data is short.
bool DecodeBitsPart(const THeader& h, const uint8_t* p, size_t n, int left, int top, int width, int height,
                    TPixelBuffer& out);
// Whether DecodeBits succeeds on N bytes of pixel data: RLE data always does,
// uncompressed data when it holds every row.
bool BitsComplete(const THeader& h, size_t n);
// Whether the alpha that DecodeBits reports depends on the pixels: 16-bit
// data with an alpha mask (32-bit data counts as having alpha whatever it holds).
bool AlphaFromPixels(const THeader& h);

// A whole packed bitmap in memory (header, tables, bits); false when invalid.
bool DecodePacked(const uint8_t* p, size_t n, TPixelBuffer& out, THeader* header = nullptr);

// A packed bitmap: a 40-byte info header and bottom-up rows of BitCount 24
// (alpha dropped, colour kept) or 32 (straight alpha in the fourth byte).
graphicio::Bytes EncodePacked(const TPixelBuffer& pixels, int bitCount);
// The 14-byte file header followed by the packed bitmap: a BMP file.
graphicio::Bytes EncodeFile(const TPixelBuffer& pixels, int bitCount);

} // namespace dib
