// TIcon: reading ICO files (bitmap and PNG entries) and writing one-image
// icons. PNG entries are decoded by Qt, after their size is checked here.
#include "platform/graphics/icon.h"

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/core/streams.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/dibcodec.h"
#include "platform/graphics/graphicio.h"
#include "platform/graphics/pixelbuffer_qt.h"

using namespace graphicio;

namespace {

constexpr int64_t MaxIconFile = 32 << 20;
constexpr int MaxIconSide = 1024;
constexpr int SystemIconSize = 32;
const uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

struct TEntry {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;
    uint32_t Size = 0;
    uint32_t Offset = 0;
};

[[noreturn]] void InvalidIcon()
{
    throw EInvalidGraphic(GraphicConst::SInvalidIcon);
}

bool IsPng(const uint8_t* p, size_t n)
{
    return n >= 8 && std::memcmp(p, PngSignature, 8) == 0;
}

bool DecodePng(const uint8_t* p, size_t n, TPixelBuffer& out)
{
    // The first chunk must be the image header; its size is checked before Qt
    // is given the data, so that no absurd image is ever allocated.
    if (n < 24 || std::memcmp(p + 12, "IHDR", 4) != 0)
        return false;
    uint32_t width = U32BE(p + 16), height = U32BE(p + 20);
    if (width < 1 || height < 1 || width > MaxIconSide || height > MaxIconSide)
        return false;
    QImage image;
    if (!image.loadFromData(p, static_cast<int>(n), "PNG") || image.width() != static_cast<int>(width) ||
        image.height() != static_cast<int>(height))
        return false;
    out = PixelsOfImage(image);
    return true;
}

// A bitmap entry: the header's height counts the colour rows and the AND mask
// rows together.
bool DecodeDibEntry(const uint8_t* p, size_t n, TPixelBuffer& out)
{
    dib::THeader h;
    if (!dib::ParseHeader(p, n, h) || h.TopDown || h.Height < 2 ||
        (h.Compression != dib::BI_RGB && h.Compression != dib::BI_BITFIELDS))
        return false;
    h.Height /= 2;
    if (!dib::ParseTables(p + h.HeaderSize, n - h.HeaderSize, h))
        return false;
    size_t bits = h.HeaderSize + h.TableBytes();
    size_t colourBytes = static_cast<size_t>(h.BitsBytes());
    bool hasAlpha = false;
    if (n - bits < colourBytes || !dib::DecodeBits(h, p + bits, colourBytes, out, &hasAlpha))
        return false;
    // An image with an alpha channel of its own ignores the mask.
    const size_t maskStride = ((static_cast<size_t>(h.Width) + 31) / 32) * 4;
    const uint8_t* mask = p + bits + colourBytes;
    const size_t maskBytes = n - bits - colourBytes;
    if (maskBytes < maskStride * h.Height)
        return hasAlpha; // only an icon with its own alpha can do without the mask
    if (hasAlpha)
        return true;
    for (int row = 0; row < h.Height; ++row) {
        const uint8_t* m = mask + maskStride * row;
        for (int x = 0; x < h.Width; ++x)
            if ((m[x >> 3] >> (7 - (x & 7))) & 1)
                out.At(x, h.Height - 1 - row) = 0;
    }
    return true;
}

bool DecodeEntry(const uint8_t* p, size_t n, TPixelBuffer& out)
{
    return IsPng(p, n) ? DecodePng(p, n, out) : DecodeDibEntry(p, n, out);
}

// The image shown: closest to the system icon size, then the most colours.
size_t ChooseEntry(const std::vector<TEntry>& entries)
{
    size_t best = 0;
    auto distance = [](const TEntry& e) {
        return std::abs(e.Width - SystemIconSize) + std::abs(e.Height - SystemIconSize);
    };
    for (size_t i = 1; i < entries.size(); ++i) {
        int d = distance(entries[i]), bestD = distance(entries[best]);
        if (d < bestD || (d == bestD && entries[i].BitCount > entries[best].BitCount))
            best = i;
    }
    return best;
}

std::vector<uint8_t> EncodeIcon(const TPixelBuffer& pixels)
{
    Bytes image = dib::EncodePacked(pixels, 32);
    const size_t maskStride = ((static_cast<size_t>(pixels.Width) + 31) / 32) * 4;
    const size_t colourBytes = image.size() - 40;
    Set32(image, 8, static_cast<uint32_t>(pixels.Height * 2));
    Set32(image, 20, static_cast<uint32_t>(colourBytes + maskStride * pixels.Height));
    for (int row = pixels.Height - 1; row >= 0; --row) {
        size_t start = image.size();
        image.resize(start + maskStride, 0);
        for (int x = 0; x < pixels.Width; ++x)
            if (pixels.At(x, row) >> 24 == 0)
                image[start + (x >> 3)] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
    Bytes file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, 1);
    file.push_back(static_cast<uint8_t>(pixels.Width & 0xFF)); // 256 is written as 0
    file.push_back(static_cast<uint8_t>(pixels.Height & 0xFF));
    file.push_back(0);
    file.push_back(0);
    Put16(file, 1);
    Put16(file, 32);
    Put32(file, static_cast<uint32_t>(image.size()));
    Put32(file, 6 + 16);
    file.insert(file.end(), image.begin(), image.end());
    return file;
}

} // namespace

TIcon::TIcon()
{
    FTransparent = true;
}

void TIcon::Assign(const TPersistent* source)
{
    if (!source) {
        FData.clear();
        FPixels = TPixelBuffer();
        Changed(this);
    } else if (auto icon = dynamic_cast<const TIcon*>(source)) {
        if (icon != this) {
            FData = icon->FData;
            FPixels = icon->FPixels;
            Changed(this);
        }
    } else {
        TGraphic::Assign(source);
    }
}

void TIcon::SetWidth(int)
{
    throw EInvalidGraphicOperation(GraphicConst::SChangeIconSize);
}

void TIcon::SetHeight(int)
{
    throw EInvalidGraphicOperation(GraphicConst::SChangeIconSize);
}

void TIcon::SetPixels(const TPixelBuffer& pixels)
{
    if (pixels.Width > 256 || pixels.Height > 256 ||
        pixels.Pixels.size() != static_cast<size_t>(pixels.Width) * static_cast<size_t>(pixels.Height))
        throw EInvalidGraphicOperation(GraphicConst::SInvalidImageSize);
    FPixels = pixels;
    FData = pixels.Empty() ? std::vector<uint8_t>() : EncodeIcon(pixels);
    Changed(this);
}

void TIcon::LoadFromStream(TStream& stream)
{
    if (Remaining(stream) == 0) {
        FData.clear();
        FPixels = TPixelBuffer();
        Changed(this);
        return;
    }
    Bytes data;
    if (!ReadAppend(stream, data, 6) || U16(&data[0]) != 0 || U16(&data[2]) != 1 || U16(&data[4]) == 0)
        InvalidIcon();
    const int count = U16(&data[4]);
    if (!ReadAppend(stream, data, 16 * static_cast<int64_t>(count)))
        InvalidIcon();
    const int64_t directoryEnd = 6 + 16 * static_cast<int64_t>(count);
    std::vector<TEntry> entries;
    int64_t end = directoryEnd;
    for (int i = 0; i < count; ++i) {
        const uint8_t* e = &data[6 + 16 * i];
        TEntry entry;
        entry.Width = e[0] ? e[0] : 256;
        entry.Height = e[1] ? e[1] : 256;
        entry.BitCount = U16(e + 6);
        entry.Size = U32(e + 8);
        entry.Offset = U32(e + 12);
        if (entry.Offset < directoryEnd || entry.Size == 0)
            InvalidIcon();
        end = std::max<int64_t>(end, int64_t(entry.Offset) + entry.Size);
        entries.push_back(entry);
    }
    if (end > MaxIconFile || !ReadAppend(stream, data, end - directoryEnd))
        InvalidIcon();

    const TEntry& chosen = entries[ChooseEntry(entries)];
    TPixelBuffer pixels;
    if (!DecodeEntry(&data[chosen.Offset], chosen.Size, pixels))
        InvalidIcon();
    FData = std::move(data);
    FPixels = std::move(pixels);
    Changed(this);
}

void TIcon::SaveToStream(TStream& stream) const
{
    Write(stream, FData);
}

void TIcon::Draw(TCanvas* aCanvas, const TRect& rect)
{
    if (!Empty())
        aCanvas->DrawPixels(rect, FPixels, Bounds(0, 0, Width(), Height()));
}
