// TJPEGImage: a JPEG picture, decoded and encoded with libjpeg.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics/graphic.h"
#include "platform/graphics/pixelbuffer.h"

// JPEG errors carry libjpeg's message number: "JPEG error #%d".
KELVOR_EXCEPTION(EJPEG, EInvalidGraphic)

enum TJPEGPixelFormat { jf24Bit, jf8Bit };

// A JPEG picture keeps the bytes it was read from and writes them back
// unchanged, so a load and a save give the same file. Its pixels are decoded
// when first needed (drawing, copying into a bitmap). A picture made from a
// bitmap (Assign) is encoded when first saved, with CompressionQuality, over
// white where the bitmap was transparent.
//
// Loading reads the rest of the stream and checks the header (the frame size
// must be within the limits of graphic.h); a picture whose compressed data is
// damaged further on shows what libjpeg could decode of it. libjpeg's fatal
// errors become EJPEG; its warnings are not shown.
//
// PixelFormat is kept for the callers that switch to jf8Bit for palette-based
// screens; screens here are true-colour, so decoding always gives full colour.
class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;
    const char* ClassName() const override { return "TJPEGImage"; }

    // From a JPEG picture (bytes and settings) or a bitmap (its pixels, to be
    // encoded), or null (empty).
    void Assign(const TPersistent* source) override;

    bool Empty() const override { return FWidth == 0 || FHeight == 0; }
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    // Raise EInvalidGraphicOperation "Cannot change the size of a JPEG image".
    void SetWidth(int value) override;
    void SetHeight(int value) override;

    int CompressionQuality() const { return FCompressionQuality; }
    void SetCompressionQuality(int value); // 1..100, default 90
    TJPEGPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TJPEGPixelFormat value) { FPixelFormat = value; }
    bool Grayscale() const { return FGrayscale; }

    // The decoded pixels; raises EJPEG when the data cannot be decoded.
    const TPixelBuffer& Pixels() const;

    // Raises EJPEG when the rest of the stream is not a JPEG file (the picture
    // is then unchanged); an empty rest gives an empty picture.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;

    // Draws the decoded pixels; a picture that cannot be decoded draws nothing.
    void Draw(TCanvas* aCanvas, const TRect& rect) override;

protected:
    // Into a bitmap: the decoded pixels, as pf24bit.
    void AssignTo(TPersistent* dest) const override;

private:
    void Clear();

    mutable std::vector<uint8_t> FData; // the JPEG file; encoded on demand after Assign from pixels
    mutable TPixelBuffer FPixels;       // decoded on demand
    mutable bool FDecodeFailed = false;
    int FWidth = 0;
    int FHeight = 0;
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
bool Decode(const uint8_t* data, size_t size, TPixelBuffer& out, int& errorCode);
// Opaque pixels (alpha composed over white) as a baseline JPEG file.
bool Encode(const TPixelBuffer& pixels, int quality, std::vector<uint8_t>& out, int& errorCode);
} // namespace jpegcodec
