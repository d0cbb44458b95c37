// TIcon: an icon picture read from and written to ICO files.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics/graphic.h"
#include "platform/graphics/pixelbuffer.h"

// An icon keeps the bytes of the ICO file it was read from and writes them back
// unchanged; an icon made from pixels (SetPixels) is written as a one-image ICO
// file of 32 bits with an AND mask. Of the images in a file, the one shown is
// the one closest in size to the system's icon size (32 x 32), of those the one
// with the most colours. Entries are device-independent bitmaps of 1 to 32 bits
// (the AND mask makes the transparent pixels) or PNG images. An icon is always
// transparent and its size cannot be set.
class TIcon : public TGraphic {
public:
    TIcon();
    const char* ClassName() const override { return "TIcon"; }

    // From an icon, or null (empty).
    void Assign(const TPersistent* source) override;

    bool Empty() const override { return FPixels.Empty(); }
    int Width() const override { return FPixels.Width; }
    int Height() const override { return FPixels.Height; }
    // Raise EInvalidGraphicOperation "Cannot change the size of an icon".
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    // Icons are drawn through their masks: always transparent.
    bool Transparent() const override { return true; }
    void SetTransparent(bool value) override { (void)value; }

    // The pixels of the image shown (alpha from the file's mask or alpha channel).
    const TPixelBuffer& Pixels() const { return FPixels; }
    // Makes the icon hold these pixels (at most 256 x 256).
    void SetPixels(const TPixelBuffer& pixels);

    // An ICO file from the stream's position; an empty rest gives an empty icon.
    // Raises EInvalidGraphic "Icon image is not valid" for anything else that is
    // not a whole icon file whose chosen image can be read, leaving the icon unchanged.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;

    void Draw(TCanvas* aCanvas, const TRect& rect) override;

private:
    std::vector<uint8_t> FData; // the ICO file
    TPixelBuffer FPixels;
};
