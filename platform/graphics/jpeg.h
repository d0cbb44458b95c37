// TJPEGImage: a JPEG picture, decoded and encoded with libjpeg.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics/encodedimage.h"

// JPEG errors carry libjpeg's message number: "JPEG error #%d".
KELVOR_EXCEPTION(EJPEG, EInvalidGraphic)

enum TJPEGPixelFormat { jf24Bit, jf8Bit };

// A JPEG picture, decoded and encoded with libjpeg. A picture made from a
// bitmap is encoded with CompressionQuality, over white where the bitmap was
// transparent. A header must give a frame size within the limits of graphic.h;
// a picture whose compressed data is damaged further on shows what libjpeg
// could decode of it, and one whose file ends within its first scan the rows
// that scan reached (decoding costs the rows the data holds, not the frame the
// header claims). libjpeg's fatal errors become EJPEG; its warnings are not
// shown.
//
// PixelFormat is kept for the callers that switch to jf8Bit for palette-based
// screens; screens here are true-colour, so decoding always gives full colour.
class TJPEGImage : public TEncodedImage {
public:
    TJPEGImage();
    ~TJPEGImage() override;
    const char* ClassName() const override { return "TJPEGImage"; }

    int CompressionQuality() const { return FCompressionQuality; }
    void SetCompressionQuality(int value); // 1..100, default 90
    TJPEGPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TJPEGPixelFormat value) { FPixelFormat = value; }
    bool Grayscale() const { return FGrayscale; }

protected:
    void CheckHeader(const std::vector<uint8_t>& data, int& width, int& height) override;
    bool Decode(const std::vector<uint8_t>& data, TPixelBuffer& pixels, int& code) const override;
    bool Encode(const TPixelBuffer& pixels, std::vector<uint8_t>& data, int& code) const override;
    [[noreturn]] void FormatError(int code) const override;
    [[noreturn]] void FileTooLarge() const override;
    const char* SizeChangeMessage() const override { return GraphicConst::SChangeJPGSize; }
    TPixelFormat BitmapFormat() const override { return pf24bit; }
    void AssignSettings(const TEncodedImage& source) override;
    void ClearSettings() override { FGrayscale = false; }

private:
    bool FGrayscale = false;
    int FCompressionQuality = 90;
    TJPEGPixelFormat FPixelFormat = jf24Bit;
};

// libjpeg under an error manager that never ends the program: false (with
// libjpeg's message number in ErrorCode) when the data is not a JPEG file this
// reader takes. Exposed for the tests and the fuzz target.
namespace jpegcodec {
// The frame size and colour kind of a JPEG file.
bool ReadHeader(const uint8_t* data, size_t size, int& width, int& height, bool& grayscale, int& errorCode);
// The picture's rows from the top: all of them, or those that a file ending
// within its first scan holds (see TJPEGImage); room is made for no more than
// the data can hold.
bool Decode(const uint8_t* data, size_t size, TPixelBuffer& out, int& errorCode);
// Opaque pixels (alpha composed over Background, 0xRRGGBB, white unless
// given) as a baseline JPEG file.
bool Encode(const TPixelBuffer& pixels, int quality, std::vector<uint8_t>& out, int& errorCode,
            uint32_t background = 0xFFFFFF);
} // namespace jpegcodec
