// TPNGImage: original bytes kept, pixels decoded on demand through the
// toolkit's PNG reader, bitmaps encoded on save.
#include "platform/graphics/png.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/graphicio.h"
#include "platform/graphics/pixelbuffer_qt.h"

namespace {

// A PNG file larger than this is refused before it is read.
constexpr int64_t MaxPngFile = int64_t(256) << 20;
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
    if (w == 0 || h == 0 || w > uint32_t(GraphicMaxSide) || h > uint32_t(GraphicMaxSide))
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

void TPNGImage::Clear()
{
    FData.clear();
    FPixels = TPixelBuffer();
    FDecodeFailed = false;
    FWidth = FHeight = 0;
}

void TPNGImage::Assign(const TPersistent* source)
{
    if (!source) {
        Clear();
        Changed(this);
    } else if (auto png = dynamic_cast<const TPNGImage*>(source)) {
        if (png == this)
            return;
        FData = png->FData;
        FPixels = png->FPixels;
        FDecodeFailed = png->FDecodeFailed;
        FWidth = png->FWidth;
        FHeight = png->FHeight;
        Changed(this);
    } else if (auto bitmap = dynamic_cast<const TBitmap*>(source)) {
        Clear();
        FPixels = bitmap->Pixels();
        FWidth = FPixels.Width;
        FHeight = FPixels.Height;
        Changed(this);
    } else {
        TGraphic::Assign(source);
    }
}

void TPNGImage::AssignTo(TPersistent* dest) const
{
    if (auto bitmap = dynamic_cast<TBitmap*>(dest)) {
        TBitmap decoded;
        decoded.SetPixelFormat(pf32bit);
        if (!Empty())
            decoded.SetPixels(Pixels());
        bitmap->Assign(&decoded);
    } else {
        TGraphic::AssignTo(dest);
    }
}

void TPNGImage::SetWidth(int)
{
    throw EInvalidGraphicOperation(GraphicConst::SChangePNGSize);
}

void TPNGImage::SetHeight(int)
{
    throw EInvalidGraphicOperation(GraphicConst::SChangePNGSize);
}

const TPixelBuffer& TPNGImage::Pixels() const
{
    if (FPixels.Empty() && !FData.empty()) {
        QImage image;
        if (FDecodeFailed || !image.loadFromData(FData.data(), static_cast<int>(FData.size()), "PNG") ||
            image.width() != FWidth || image.height() != FHeight) {
            FDecodeFailed = true;
            PngError();
        }
        FPixels = PixelsOfImage(image);
    }
    return FPixels;
}

void TPNGImage::LoadFromStream(TStream& stream)
{
    const int64_t size = graphicio::Remaining(stream);
    if (size == 0) {
        Clear();
        Changed(this);
        return;
    }
    if (size > MaxPngFile)
        PngError();
    graphicio::Bytes data;
    if (!graphicio::ReadAppend(stream, data, size))
        throw EReadError(SysConst::SReadError);
    int width = 0, height = 0;
    if (!ReadHeader(data.data(), data.size(), width, height))
        PngError();
    Clear();
    FData = std::move(data);
    FWidth = width;
    FHeight = height;
    Changed(this);
}

void TPNGImage::SaveToStream(TStream& stream) const
{
    if (Empty())
        return;
    if (FData.empty()) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!ImageOfPixels(FPixels).save(&buffer, "PNG"))
            PngError();
        FData.assign(bytes.begin(), bytes.end());
    }
    graphicio::Write(stream, FData);
}

void TPNGImage::Draw(TCanvas* aCanvas, const TRect& rect)
{
    if (Empty())
        return;
    const TPixelBuffer* pixels = nullptr;
    try {
        pixels = &Pixels();
    } catch (const EPNGError&) {
        return; // damaged beyond decoding: nothing to show
    }
    aCanvas->DrawPixels(rect, *pixels, Bounds(0, 0, pixels->Width, pixels->Height));
}
