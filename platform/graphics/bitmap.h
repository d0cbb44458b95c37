// TBitmap: a picture of pixels with a canvas to draw on, read from and written
// to BMP files.
#pragma once

#include <memory>

#include "platform/graphics/graphic.h"
#include "platform/graphics/pixelbudget.h"
#include "platform/graphics/pixelbuffer.h"

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

// A bitmap owns its pixels (a TPixelBuffer: premultiplied 0xAARRGGBB, rows top
// down) and one canvas that paints into them, made on first use and kept for the
// bitmap's life.
//
// BMP files of 1, 4, 8, 16, 24 and 32 bits per pixel are read (core and info
// headers up to the fifth version, RLE4 and RLE8, bit fields, bottom-up and
// top-down rows). A bitmap is written as 24-bit BMP, or 32-bit with straight
// alpha when its PixelFormat is pf32bit. So that PixelFormat always tells what a
// save writes, a loaded bitmap reads back as pf32bit when its file had 32 bits
// (or 16 bits with an alpha mask) and as pf24bit otherwise; asking for a
// palette or 15/16-bit format gives pf24bit, and pfDevice (the default of a new
// bitmap) saves as 24 bits. Going from pf32bit to another format drops alpha.
//
// A new or grown area of a bitmap is opaque white; resizing keeps the pixels of
// the part that stays. Transparent drawing leaves out the pixels of
// TransparentColor: with tmAuto, the colour of the bottom-left pixel.
//
// A loaded bitmap keeps its file (header, tables and pixel data, compressed or
// not) and saves it as it was read until its pixels, size or format change;
// its pixels are decoded when first needed (a copy shares the file and decodes
// on its own), count against the process's pixel budget and may be dropped for
// other pictures, to be decoded again when next needed, unless pinned. A load
// counts the bitmap's size against the allowance of the document load in
// progress.
class TBitmap : public TGraphic, public TPixelHolder {
public:
    TBitmap();
    ~TBitmap() override;
    const char* ClassName() const override { return "TBitmap"; }

    // From a bitmap (pixels, format, transparency and a copy of its palette) or
    // null (empty); other graphics may copy themselves in (a JPEG picture does).
    void Assign(const TPersistent* source) override;

    bool Empty() const override { return FPixels.Empty(); }
    int Width() const override { return FPixels.Width; }
    int Height() const override { return FPixels.Height; }
    // Sizes below 0 count as 0; a size beyond the limits of graphic.h raises
    // EOutOfResources.
    void SetWidth(int value) override { SetSize(value, Height()); }
    void SetHeight(int value) override { SetSize(Width(), value); }
    void SetSize(int aWidth, int aHeight);

    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat value);
    // Bytes in one row of the BMP this bitmap saves (rows padded to 4 bytes;
    // for a kept file, the rows of its depth).
    int BytesPerScanLine() const;

    // tmAuto: the bottom-left pixel's colour (clDefault for an empty bitmap).
    TColor TransparentColor() const;
    // clDefault switches to tmAuto, any other colour to tmFixed.
    void SetTransparentColor(TColor value);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode value);

    // Set on palette-adjusted copies; with true-colour screens it changes nothing.
    bool IgnorePalette() const { return FIgnorePalette; }
    void SetIgnorePalette(bool value) { FIgnorePalette = value; }
    HPALETTE Palette() const override { return FPalette; }
    // Takes over the handle (freeing the one held before).
    void SetPalette(HPALETTE value) override;

    // The canvas painting into the pixels: one object for the bitmap's life
    // (a new size or new pixels only move it to them; its font, pen, brush and
    // origins stay, a clip is removed). Drawing on it sets Modified; the class
    // library's drawing methods (TCanvas::OnChange) also raise OnChange.
    TCanvas* Canvas();

    // Decoded when needed, and pinned while the handle lives (see
    // TPinnedPixels): name the handle to use the pixels.
    TPinnedPixels Pixels() const { return TPinnedPixels(this, Decoded()); }
    // Replaces the pixels (size included).
    void SetPixels(const TPixelBuffer& pixels);

    // A BMP file from the stream's position; an empty rest gives an empty
    // bitmap. Raises EInvalidGraphic "Bitmap image is not valid" for anything
    // else that is not a whole bitmap, and EOutOfResources when the load in
    // progress has no room for its pixels; the bitmap is then unchanged.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;

    void Draw(TCanvas* aCanvas, const TRect& rect) override;

    // Drops the decoded pixels of a bitmap that keeps its file.
    void ReleasePixels() override;

protected:
    // In component streams a bitmap's data is its file behind the file's
    // length (32 bits, little-endian); EReadError for a length beyond the data.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;

private:
    struct TKeptFile;

    void ReplacePixels(TPixelBuffer&& pixels);
    // The pixels, decoded from the kept file when they were dropped.
    TPixelBuffer& Decoded() const;
    // The pixels are about to change: decoded, and the kept file let go.
    void Own();
    // Draws a large picture not decoded now, of which the canvas shows a
    // small part, from that part decoded alone (nothing when none shows);
    // false, with nothing drawn, when the whole picture is to be decoded.
    bool DrawPart(TCanvas* aCanvas, const TRect& rect) const;

    mutable TPixelBuffer FPixels; // without pixels but sized while dropped
    std::unique_ptr<TKeptFile> FFile;
    std::unique_ptr<TCanvas> FCanvas;
    TPixelFormat FPixelFormat = pfDevice;
    TColor FTransparentColor;
    TTransparentMode FTransparentMode = tmAuto;
    bool FIgnorePalette = false;
    HPALETTE FPalette = 0;
};
