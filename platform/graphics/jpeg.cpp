// TJPEGImage: original bytes kept, pixels decoded on demand, bitmaps encoded on save.
#include "platform/graphics/jpeg.h"

#include <jerror.h>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/graphicio.h"

namespace {

// A JPEG file larger than this is refused before it is read.
constexpr int64_t MaxJpegFile = int64_t(256) << 20;

[[noreturn]] void JpegError(int code)
{
    throw EJPEG(Format(GraphicConst::SJPEGError, {code}));
}

} // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Clear()
{
    FData.clear();
    FPixels = TPixelBuffer();
    FDecodeFailed = false;
    FWidth = FHeight = 0;
    FGrayscale = false;
}

void TJPEGImage::Assign(const TPersistent* source)
{
    if (!source) {
        Clear();
        Changed(this);
    } else if (auto jpeg = dynamic_cast<const TJPEGImage*>(source)) {
        if (jpeg == this)
            return;
        FData = jpeg->FData;
        FPixels = jpeg->FPixels;
        FDecodeFailed = jpeg->FDecodeFailed;
        FWidth = jpeg->FWidth;
        FHeight = jpeg->FHeight;
        FGrayscale = jpeg->FGrayscale;
        FCompressionQuality = jpeg->FCompressionQuality;
        FPixelFormat = jpeg->FPixelFormat;
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

void TJPEGImage::AssignTo(TPersistent* dest) const
{
    if (auto bitmap = dynamic_cast<TBitmap*>(dest)) {
        TBitmap decoded;
        decoded.SetPixelFormat(pf24bit);
        if (!Empty())
            decoded.SetPixels(Pixels());
        bitmap->Assign(&decoded);
    } else {
        TGraphic::AssignTo(dest);
    }
}

void TJPEGImage::SetWidth(int)
{
    throw EInvalidGraphicOperation(GraphicConst::SChangeJPGSize);
}

void TJPEGImage::SetHeight(int)
{
    throw EInvalidGraphicOperation(GraphicConst::SChangeJPGSize);
}

void TJPEGImage::SetCompressionQuality(int value)
{
    FCompressionQuality = value < 1 ? 1 : (value > 100 ? 100 : value);
}

const TPixelBuffer& TJPEGImage::Pixels() const
{
    if (FPixels.Empty() && !FData.empty()) {
        int code = 0;
        if (FDecodeFailed || !jpegcodec::Decode(FData.data(), FData.size(), FPixels, code)) {
            FDecodeFailed = true;
            JpegError(code ? code : JERR_BAD_LENGTH);
        }
    }
    return FPixels;
}

void TJPEGImage::LoadFromStream(TStream& stream)
{
    int64_t size = graphicio::Remaining(stream);
    if (size == 0) {
        Clear();
        Changed(this);
        return;
    }
    if (size > MaxJpegFile)
        JpegError(JERR_IMAGE_TOO_BIG);
    graphicio::Bytes data;
    if (!graphicio::ReadAppend(stream, data, size))
        throw EReadError(SysConst::SReadError);
    int width = 0, height = 0, code = 0;
    bool grayscale = false;
    if (!jpegcodec::ReadHeader(data.data(), data.size(), width, height, grayscale, code))
        JpegError(code);
    Clear();
    FData = std::move(data);
    FWidth = width;
    FHeight = height;
    FGrayscale = grayscale;
    Changed(this);
}

void TJPEGImage::SaveToStream(TStream& stream) const
{
    if (Empty())
        return;
    if (FData.empty()) {
        int code = 0;
        if (!jpegcodec::Encode(FPixels, FCompressionQuality, FData, code))
            JpegError(code);
    }
    graphicio::Write(stream, FData);
}

void TJPEGImage::Draw(TCanvas* aCanvas, const TRect& rect)
{
    if (Empty())
        return;
    const TPixelBuffer* pixels = nullptr;
    try {
        pixels = &Pixels();
    } catch (const EJPEG&) {
        return; // damaged beyond decoding: nothing to show
    }
    aCanvas->DrawPixels(rect, *pixels, Bounds(0, 0, pixels->Width, pixels->Height));
}
