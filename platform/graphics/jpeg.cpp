// TJPEGImage: the JPEG format of an encoded picture, through libjpeg.
#include "platform/graphics/jpeg.h"

#include <jerror.h>

#include "platform/core/sysutils.h"

namespace {

[[noreturn]] void JpegError(int code)
{
    throw EJPEG(Format(GraphicConst::SJPEGError, {code}));
}

} // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::AssignSettings(const TEncodedImage& source)
{
    const auto& jpeg = static_cast<const TJPEGImage&>(source);
    FGrayscale = jpeg.FGrayscale;
    FCompressionQuality = jpeg.FCompressionQuality;
    FPixelFormat = jpeg.FPixelFormat;
}

void TJPEGImage::SetCompressionQuality(int value)
{
    FCompressionQuality = value < 1 ? 1 : (value > 100 ? 100 : value);
}

void TJPEGImage::CheckHeader(const std::vector<uint8_t>& data, int& width, int& height)
{
    int code = 0;
    bool grayscale = false;
    if (!jpegcodec::ReadHeader(data.data(), data.size(), width, height, grayscale, code))
        JpegError(code);
    FGrayscale = grayscale;
}

bool TJPEGImage::Decode(const std::vector<uint8_t>& data, TPixelBuffer& pixels, int& code) const
{
    return jpegcodec::Decode(data.data(), data.size(), pixels, code);
}

bool TJPEGImage::Encode(const TPixelBuffer& pixels, std::vector<uint8_t>& data, int& code) const
{
    return jpegcodec::Encode(pixels, FCompressionQuality, data, code);
}

void TJPEGImage::FormatError(int code) const
{
    JpegError(code ? code : JERR_BAD_LENGTH);
}

void TJPEGImage::FileTooLarge() const
{
    JpegError(JERR_IMAGE_TOO_BIG);
}
