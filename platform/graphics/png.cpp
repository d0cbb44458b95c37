// TPNGImage: original bytes kept, pixels decoded on demand through the
// toolkit's PNG reader, bitmaps encoded on save.
#include "platform/graphics/png.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include "platform/core/streams.h"
#include "platform/graphics/graphicio.h"
#include "platform/graphics/pixelbuffer_qt.h"

namespace {

constexpr uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

[[noreturn]] void PngError()
{
    throw EPNGError(GraphicConst::SInvalidPNG);
}

uint32_t BigEndian32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

} // namespace

TPNGImage::TPNGImage() = default;
TPNGImage::~TPNGImage() = default;

bool TPNGImage::ReadHeader(const uint8_t* data, size_t size, int& width, int& height)
{
    // Signature, then the IHDR chunk: length 13, type, width, height.
    if (size < 33 || !std::equal(Signature, Signature + 8, data) || BigEndian32(data + 8) != 13 ||
        std::string(reinterpret_cast<const char*>(data + 12), 4) != "IHDR")
        return false;
    const uint32_t w = BigEndian32(data + 16);
    const uint32_t h = BigEndian32(data + 20);
    // The pixel budget of every decoder, not only the side limit: a header
    // within both sides may still ask for gigabytes.
    if (!graphicio::SizeAllowed(w, h))
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

void TPNGImage::CheckHeader(const std::vector<uint8_t>& data, int& width, int& height)
{
    if (!ReadHeader(data.data(), data.size(), width, height))
        PngError();
}

bool TPNGImage::Decode(const std::vector<uint8_t>& data, TPixelBuffer& pixels, int&) const
{
    QImage image;
    if (!image.loadFromData(data.data(), static_cast<int>(data.size()), "PNG") || image.width() != Width() ||
        image.height() != Height())
        return false;
    pixels = PixelsOfImage(image);
    return true;
}

bool TPNGImage::Encode(const TPixelBuffer& pixels, std::vector<uint8_t>& data, int&) const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!ImageOfPixels(pixels).save(&buffer, "PNG"))
        return false;
    data.assign(bytes.begin(), bytes.end());
    return true;
}

void TPNGImage::FormatError(int) const
{
    PngError();
}

void TPNGImage::FileTooLarge() const
{
    PngError();
}
