// TPNGImage: a PNG picture, kept as the bytes it was read from.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics/encodedimage.h"

// Raised when bytes are not a PNG file this reader takes.
KELVOR_EXCEPTION(EPNGError, EInvalidGraphic)
namespace GraphicConst {
inline constexpr const char* SInvalidPNG = "PNG image is not valid";
inline constexpr const char* SChangePNGSize = "Cannot change the size of a PNG image";
} // namespace GraphicConst

// A PNG picture, decoded and encoded through the platform's PNG codec. A
// header must give a size within the limits of graphic.h.
class TPNGImage : public TEncodedImage {
public:
    TPNGImage();
    ~TPNGImage() override;
    const char* ClassName() const override { return "TPNGImage"; }

    // The size recorded in the header of a PNG file; false when the bytes do
    // not start as one or the size is out of range.
    static bool ReadHeader(const uint8_t* data, size_t size, int& width, int& height);

protected:
    void CheckHeader(const std::vector<uint8_t>& data, int& width, int& height) override;
    bool Decode(const std::vector<uint8_t>& data, TPixelBuffer& pixels, int& code) const override;
    bool Encode(const TPixelBuffer& pixels, std::vector<uint8_t>& data, int& code) const override;
    [[noreturn]] void FormatError(int code) const override;
    [[noreturn]] void FileTooLarge() const override;
    const char* SizeChangeMessage() const override { return GraphicConst::SChangePNGSize; }
    TPixelFormat BitmapFormat() const override { return pf32bit; }
};
