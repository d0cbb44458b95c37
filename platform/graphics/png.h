// TPNGImage: a PNG picture. It keeps the bytes it was read from and writes
// them back unchanged; its pixels are decoded when first needed.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics/graphic.h"
#include "platform/graphics/pixelbuffer.h"

// Raised when bytes are not a PNG file this reader takes.
KELVOR_EXCEPTION(EPNGError, EInvalidGraphic)
namespace GraphicConst {
inline constexpr const char* SInvalidPNG = "PNG image is not valid";
inline constexpr const char* SChangePNGSize = "Cannot change the size of a PNG image";
} // namespace GraphicConst

// Loading reads the rest of the stream and checks the signature and the
// header (the size must be within the limits of graphic.h); data damaged
// further on is found when the pixels are first needed, and such a picture
// draws nothing. A picture made from a bitmap (Assign) is encoded when first
// saved.
class TPNGImage : public TGraphic {
public:
    TPNGImage();
    ~TPNGImage() override;
    const char* ClassName() const override { return "TPNGImage"; }

    // From a PNG picture (its bytes) or a bitmap (its pixels, to be encoded),
    // or null (empty).
    void Assign(const TPersistent* source) override;

    bool Empty() const override { return FWidth == 0 || FHeight == 0; }
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    // Raise EInvalidGraphicOperation "Cannot change the size of a PNG image".
    void SetWidth(int value) override;
    void SetHeight(int value) override;

    // The decoded pixels; raises EPNGError when the data cannot be decoded.
    const TPixelBuffer& Pixels() const;

    // Raises EPNGError when the rest of the stream is not a PNG file (the
    // picture is then unchanged); an empty rest gives an empty picture.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    void Draw(TCanvas* aCanvas, const TRect& rect) override;

    // The size recorded in the header of a PNG file; false when the bytes do
    // not start as one or the size is out of range.
    static bool ReadHeader(const uint8_t* data, size_t size, int& width, int& height);

protected:
    // Into a bitmap: the decoded pixels.
    void AssignTo(TPersistent* dest) const override;

private:
    void Clear();

    mutable std::vector<uint8_t> FData; // the PNG file; encoded on demand after Assign from pixels
    mutable TPixelBuffer FPixels;       // decoded on demand
    mutable bool FDecodeFailed = false;
    int FWidth = 0;
    int FHeight = 0;
};
