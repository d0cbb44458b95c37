// The minimal metafile writer: old-format and enhanced metafiles that hold one
// bitmap record showing a 24-bit bitmap over the whole picture.
#include <algorithm>

#include "platform/core/numbers.h"
#include "platform/graphics/dibcodec.h"
#include "platform/graphics/graphicio.h"
#include "platform/graphics/metafile.h"

using namespace graphicio;

namespace metafilewriter {

namespace {

constexpr uint32_t SRCCOPY = 0x00CC0020u;
constexpr int MM_ANISOTROPIC = 8;
enum : uint16_t {
    META_EOF = 0x0000,
    META_SETMAPMODE = 0x0103,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_STRETCHDIB = 0x0F43
};
enum : uint32_t { EMR_HEADER = 1, EMR_EOF = 14, EMR_STRETCHDIBITS = 81 };

// Old-format coordinates are 16-bit.
uint16_t Coord16(int v)
{
    return static_cast<uint16_t>(std::clamp(v, 0, 0x7FFF));
}

// A size in 0.01 mm in units of which there are UnitsPerInch to the inch (at least 1).
int UnitsOf(int mm, int unitsPerInch)
{
    return std::max(1, MulDiv(mm, unitsPerInch, 2540));
}

// A record of 16-bit parameters: size in words, function, parameters.
void WmfRecord(Bytes& out, uint16_t function, std::initializer_list<uint16_t> params)
{
    Put32(out, static_cast<uint32_t>(3 + params.size()));
    Put16(out, function);
    for (uint16_t p : params)
        Put16(out, p);
}

} // namespace

Bytes PlaceableHeader(int right, int bottom, int inch)
{
    Bytes out;
    Put32(out, 0x9AC6CDD7u);
    Put16(out, 0); // no handle
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, Coord16(right));
    Put16(out, Coord16(bottom));
    Put16(out, static_cast<uint32_t>(inch));
    Put32(out, 0);
    uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= U16(&out[2 * i]);
    Put16(out, checksum);
    return out;
}

Bytes WriteWmf(const TPixelBuffer& pixels, int mmWidth, int mmHeight, int inch)
{
    // The picture's logical units are those of the placeable header.
    inch = inch > 0 ? inch : 96;
    const int width = UnitsOf(mmWidth, inch), height = UnitsOf(mmHeight, inch);
    const Bytes dib = dib::EncodePacked(pixels, 24); // always of even length
    Bytes out = PlaceableHeader(width, height, inch);
    const size_t bodyStart = out.size();
    // Metafile header: memory metafile, 9 words, version 3; size and largest
    // record are filled in at the end.
    Put16(out, 1);
    Put16(out, 9);
    Put16(out, 0x0300);
    Put32(out, 0);
    Put16(out, 0);
    Put32(out, 0);
    Put16(out, 0);
    WmfRecord(out, META_SETMAPMODE, {MM_ANISOTROPIC});
    WmfRecord(out, META_SETWINDOWORG, {0, 0});
    WmfRecord(out, META_SETWINDOWEXT, {Coord16(height), Coord16(width)});
    const uint32_t dibWords = static_cast<uint32_t>((28 + dib.size()) / 2);
    Put32(out, dibWords);
    Put16(out, META_STRETCHDIB);
    Put32(out, SRCCOPY);
    Put16(out, 0); // DIB_RGB_COLORS
    for (int v : {pixels.Height, pixels.Width, 0, 0, height, width, 0, 0})
        Put16(out, Coord16(v)); // source height, width, y, x; destination height, width, y, x
    out.insert(out.end(), dib.begin(), dib.end());
    WmfRecord(out, META_EOF, {});
    const uint32_t words = static_cast<uint32_t>((out.size() - bodyStart) / 2);
    Set32(out, bodyStart + 6, words);
    Set32(out, bodyStart + 12, dibWords);
    return out;
}

Bytes WriteEmf(const TPixelBuffer& pixels, int mmWidth, int mmHeight)
{
    const int width = UnitsOf(mmWidth, 96), height = UnitsOf(mmHeight, 96);
    const Bytes dib = dib::EncodePacked(pixels, 24);
    Bytes out;
    // Header record (108 bytes, with the pixel-format and micrometre extensions).
    Put32(out, EMR_HEADER);
    Put32(out, 108);
    for (int v : {0, 0, width - 1, height - 1}) // bounds, device pixels, inclusive
        Put32(out, static_cast<uint32_t>(v));
    for (int v : {0, 0, mmWidth, mmHeight}) // frame, 0.01 mm
        Put32(out, static_cast<uint32_t>(v));
    Put32(out, 0x464D4520u);
    Put32(out, 0x00010000u);
    Put32(out, 0); // file size, below
    Put32(out, 3); // records
    Put16(out, 1); // handles (the reserved one)
    Put16(out, 0);
    Put32(out, 0); // no description
    Put32(out, 0);
    Put32(out, 0);    // no palette
    Put32(out, 1024); // reference device: 1024 x 768 pixels at 96 per inch
    Put32(out, 768);
    Put32(out, 271);
    Put32(out, 203);
    Put32(out, 0); // no pixel format
    Put32(out, 0);
    Put32(out, 0); // not OpenGL
    Put32(out, 270933);
    Put32(out, 203200);

    const size_t fixed = 80;
    Put32(out, EMR_STRETCHDIBITS);
    Put32(out, static_cast<uint32_t>(fixed + dib.size()));
    for (int v : {0, 0, width - 1, height - 1})
        Put32(out, static_cast<uint32_t>(v));
    for (int v : {0, 0, 0, 0, pixels.Width, pixels.Height}) // destination x, y; source x, y, width, height
        Put32(out, static_cast<uint32_t>(v));
    Put32(out, static_cast<uint32_t>(fixed)); // bitmap header
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(fixed + 40)); // bits
    Put32(out, static_cast<uint32_t>(dib.size() - 40));
    Put32(out, 0); // DIB_RGB_COLORS
    Put32(out, SRCCOPY);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    out.insert(out.end(), dib.begin(), dib.end());

    Put32(out, EMR_EOF);
    Put32(out, 20);
    Put32(out, 0);
    Put32(out, 16);
    Put32(out, 20);
    Set32(out, 48, static_cast<uint32_t>(out.size()));
    return out;
}

} // namespace metafilewriter
