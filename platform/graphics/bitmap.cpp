// TBitmap: pixels, their canvas, BMP reading and writing, transparent drawing.
#include "platform/graphics/bitmap.h"

#include <algorithm>

#include "platform/core/colors.h"
#include "platform/core/streams.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/dibcodec.h"
#include "platform/graphics/graphicio.h"
#include "platform/graphics/qtcanvas.h"

using namespace graphicio;

namespace {

[[noreturn]] void InvalidBitmap()
{
    throw EInvalidGraphic(GraphicConst::SInvalidBitmap);
}

// Bytes of pixel data to read for a header: all rows when uncompressed; for
// RLE the size the header gives, or, when it gives none, at most what the
// worst case of the encoding can use for this size.
int64_t BitsToRead(const dib::THeader& h, int64_t remaining)
{
    if (h.Compression != dib::BI_RLE8 && h.Compression != dib::BI_RLE4)
        return h.BitsBytes();
    if (h.SizeImage)
        return h.SizeImage;
    int64_t worst = 2 * static_cast<int64_t>(h.Width) * h.Height + 2 * static_cast<int64_t>(h.Height) + 2;
    return std::min(remaining, worst);
}

} // namespace

TBitmap::TBitmap() : FTransparentColor(clDefault) {}

TBitmap::~TBitmap()
{
    // The canvas paints into the pixels' storage: it goes first.
    FCanvas.reset();
    if (FPalette)
        DeletePalette(FPalette);
}

void TBitmap::ReplacePixels(TPixelBuffer&& pixels)
{
    if (FCanvas && (pixels.Width != FPixels.Width || pixels.Height != FPixels.Height)) {
        // The one canvas moves to the new pixels; the old storage lives until it has let go.
        TPixelBuffer old = std::move(FPixels);
        FPixels = std::move(pixels);
        RebindBufferCanvas(*FCanvas, FPixels);
    } else {
        // Same size: the storage is copied over in place, so the canvas stays valid.
        if (FCanvas)
            std::copy(pixels.Pixels.begin(), pixels.Pixels.end(), FPixels.Pixels.begin());
        else
            FPixels = std::move(pixels);
    }
}

void TBitmap::Assign(const TPersistent* source)
{
    if (!source) {
        ReplacePixels(TPixelBuffer());
        FTransparent = false;
        FTransparentColor = clDefault;
        FTransparentMode = tmAuto;
        SetPalette(0);
        Changed(this);
    } else if (auto bitmap = dynamic_cast<const TBitmap*>(source)) {
        if (bitmap == this)
            return;
        ReplacePixels(TPixelBuffer(bitmap->FPixels));
        FPixelFormat = bitmap->FPixelFormat;
        FTransparent = bitmap->FTransparent;
        FTransparentColor = bitmap->FTransparentColor;
        FTransparentMode = bitmap->FTransparentMode;
        HPALETTE copy = bitmap->FPalette ? CreatePalette(GetPaletteEntries(bitmap->FPalette)) : 0;
        if (FPalette)
            DeletePalette(FPalette);
        FPalette = copy;
        Changed(this);
    } else {
        TGraphic::Assign(source);
    }
}

void TBitmap::SetSize(int aWidth, int aHeight)
{
    aWidth = std::max(aWidth, 0);
    aHeight = std::max(aHeight, 0);
    if (aWidth == Width() && aHeight == Height())
        return;
    TPixelBuffer resized;
    if (aWidth > 0 && aHeight > 0) {
        if (!SizeAllowed(aWidth, aHeight))
            throw EOutOfResources(GraphicConst::SOutOfResources);
        resized = TPixelBuffer(aWidth, aHeight, 0xFFFFFFFFu);
        const int w = std::min(aWidth, Width()), h = std::min(aHeight, Height());
        for (int y = 0; y < h; ++y)
            std::copy_n(&FPixels.At(0, y), w, &resized.At(0, y));
    }
    ReplacePixels(std::move(resized));
    Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat value)
{
    if (value != pfDevice && value != pf32bit)
        value = pf24bit;
    if (value == FPixelFormat)
        return;
    if (FPixelFormat == pf32bit)
        for (uint32_t& px : FPixels.Pixels)
            px = Unpremultiply(px) | 0xFF000000u;
    FPixelFormat = value;
    Changed(this);
}

int TBitmap::BytesPerScanLine() const
{
    const int bpp = FPixelFormat == pf32bit ? 32 : 24;
    return static_cast<int>(((static_cast<int64_t>(Width()) * bpp + 31) / 32) * 4);
}

TColor TBitmap::TransparentColor() const
{
    if (FTransparentColor != clDefault)
        return ColorToRGB(FTransparentColor);
    if (Empty())
        return clDefault;
    uint32_t px = Unpremultiply(FPixels.At(0, Height() - 1));
    return RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
}

void TBitmap::SetTransparentColor(TColor value)
{
    if (value == FTransparentColor)
        return;
    FTransparentMode = value == clDefault ? tmAuto : tmFixed;
    FTransparentColor = value;
    Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode value)
{
    if (value == FTransparentMode)
        return;
    SetTransparentColor(value == tmAuto ? clDefault : TransparentColor());
}

void TBitmap::SetPalette(HPALETTE value)
{
    if (value == FPalette)
        return;
    if (FPalette)
        DeletePalette(FPalette);
    FPalette = value;
    Changed(this);
}

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas) {
        FCanvas = CreateBufferCanvas(FPixels);
        // Drawing changes the picture: every drawing marks it modified; the class
        // library's drawing methods also raise OnChange, as the class library does.
        FCanvas->OnDrawn = [this](TObject*) { FModified = true; };
        FCanvas->OnChange = [this](TObject*) { Changed(this); };
    }
    return FCanvas.get();
}

void TBitmap::SetPixels(const TPixelBuffer& pixels)
{
    if (pixels.Pixels.size() != static_cast<size_t>(pixels.Width) * static_cast<size_t>(pixels.Height) ||
        (!pixels.Empty() && !SizeAllowed(pixels.Width, pixels.Height)))
        throw EOutOfResources(GraphicConst::SOutOfResources);
    ReplacePixels(TPixelBuffer(pixels));
    Changed(this);
}

void TBitmap::LoadFromStream(TStream& stream)
{
    if (Remaining(stream) == 0) {
        ReplacePixels(TPixelBuffer());
        Changed(this);
        return;
    }
    // File header, then the bitmap header (its first 4 bytes give its size),
    // masks and palette, then the pixel data.
    Bytes file;
    if (!ReadAppend(stream, file, 14) || file[0] != 'B' || file[1] != 'M')
        InvalidBitmap();
    const uint32_t bitsOffset = U32(&file[10]);
    Bytes dibBytes;
    if (!ReadAppend(stream, dibBytes, 4))
        InvalidBitmap();
    const uint32_t headerSize = U32(dibBytes.data());
    dib::THeader h;
    if (headerSize < 12 || headerSize > 124 || !ReadAppend(stream, dibBytes, headerSize - 4) ||
        !dib::ParseHeader(dibBytes.data(), dibBytes.size(), h) ||
        !ReadAppend(stream, dibBytes, static_cast<int64_t>(h.TableBytes())) ||
        !dib::ParseTables(dibBytes.data() + h.HeaderSize, dibBytes.size() - h.HeaderSize, h))
        InvalidBitmap();
    // The offset of the pixel data: some writers leave a gap before it; a zero
    // or short offset (bitmaps taken from RTF get a zero one) means right here.
    const int64_t here = 14 + static_cast<int64_t>(dibBytes.size());
    if (bitsOffset > here && !Skip(stream, bitsOffset - here))
        InvalidBitmap();
    Bytes bits;
    if (!ReadAppend(stream, bits, BitsToRead(h, Remaining(stream))))
        InvalidBitmap();
    TPixelBuffer pixels;
    bool alpha = false;
    if (!dib::DecodeBits(h, bits.data(), bits.size(), pixels, &alpha))
        InvalidBitmap();
    ReplacePixels(std::move(pixels));
    FPixelFormat = h.BitCount == 32 || alpha ? pf32bit : pf24bit;
    Changed(this);
}

void TBitmap::SaveToStream(TStream& stream) const
{
    if (!Empty())
        Write(stream, dib::EncodeFile(FPixels, FPixelFormat == pf32bit ? 32 : 24));
}

void TBitmap::Draw(TCanvas* aCanvas, const TRect& rect)
{
    if (Empty())
        return;
    const TRect source = Bounds(0, 0, Width(), Height());
    if (!FTransparent) {
        aCanvas->DrawPixels(rect, FPixels, source);
        return;
    }
    // Pixels of the transparent colour are left out.
    const TColor key = TransparentColor();
    const uint32_t rgb = (GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key);
    TPixelBuffer masked(FPixels);
    for (uint32_t& px : masked.Pixels)
        if ((Unpremultiply(px) & 0xFFFFFF) == rgb)
            px = 0;
    aCanvas->DrawPixels(rect, masked, source);
}
