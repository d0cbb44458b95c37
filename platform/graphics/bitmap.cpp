// TBitmap: pixels, their canvas, BMP reading and writing, transparent drawing.
#include "platform/graphics/bitmap.h"

#include <algorithm>
#include <cmath>

#include "platform/core/colors.h"
#include "platform/core/streams.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/dibcodec.h"
#include "platform/graphics/graphicio.h"
#include "platform/graphics/qtcanvas.h"

using namespace graphicio;

// The file a bitmap was read from: its header (with masks and palette), and
// the header, tables and pixel data as bytes.
struct TBitmap::TKeptFile {
    dib::THeader Header;
    Bytes Dib;
    size_t BitsAt = 0;
};

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
    pixelbudget::Drop(this);
    // The canvas paints into the pixels' storage: it goes first.
    FCanvas.reset();
    if (FPalette)
        DeletePalette(FPalette);
}

TPixelBuffer& TBitmap::Decoded() const
{
    if (!FFile)
        return FPixels;
    auto* self = const_cast<TBitmap*>(this);
    if (FPixels.Pixels.empty() && !FPixels.Empty()) {
        const TKeptFile& file = *FFile;
        // Room is made before the pixels are decoded, so that the pictures
        // held and this one together never exceed the process's budget.
        pixelbudget::Hold(self, static_cast<int64_t>(FPixels.Width) * FPixels.Height);
        TPixelBuffer pixels;
        // The file was decoded once when it was read: it decodes again.
        if (!dib::DecodeBits(file.Header, file.Dib.data() + file.BitsAt, file.Dib.size() - file.BitsAt,
                             pixels) ||
            pixels.Width != FPixels.Width || pixels.Height != FPixels.Height)
            pixels = TPixelBuffer(FPixels.Width, FPixels.Height, 0xFF000000u);
        FPixels = std::move(pixels);
    } else {
        pixelbudget::Touch(self);
    }
    return FPixels;
}

void TBitmap::Own()
{
    if (!FFile)
        return;
    Decoded();
    FFile.reset();
    pixelbudget::Drop(this);
}

void TBitmap::ReleasePixels()
{
    // A canvas paints into the storage: a bitmap with one has no kept file.
    if (FFile && !FCanvas)
        std::vector<uint32_t>().swap(FPixels.Pixels);
}

void TBitmap::ReplacePixels(TPixelBuffer&& pixels)
{
    FFile.reset();
    pixelbudget::Drop(this);
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
        if (bitmap->FFile && !FCanvas) {
            // The kept file comes along; the pixels are decoded from it when asked for.
            ReplacePixels(TPixelBuffer());
            FFile = std::make_unique<TKeptFile>(*bitmap->FFile);
            FPixels.Width = bitmap->FPixels.Width;
            FPixels.Height = bitmap->FPixels.Height;
        } else {
            ReplacePixels(TPixelBuffer(bitmap->Decoded()));
        }
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
    Own();
    // A side of 0 leaves no pixels but keeps the other side, so that a bitmap
    // sized one side at a time (SetWidth, then SetHeight) gets both.
    if (!SizeAllowed(std::max(aWidth, 1), std::max(aHeight, 1)))
        throw EOutOfResources(GraphicConst::SOutOfResources);
    TPixelBuffer resized(aWidth, aHeight, 0xFFFFFFFFu);
    const int w = std::min(aWidth, Width()), h = std::min(aHeight, Height());
    if (!FPixels.Pixels.empty() && !resized.Pixels.empty())
        for (int y = 0; y < h; ++y)
            std::copy_n(&FPixels.At(0, y), w, &resized.At(0, y));
    ReplacePixels(std::move(resized));
    Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat value)
{
    if (value != pfDevice && value != pf32bit)
        value = pf24bit;
    if (value == FPixelFormat)
        return;
    // The file kept was of the old format: what is saved is now the pixels.
    Own();
    if (FPixelFormat == pf32bit)
        for (uint32_t& px : FPixels.Pixels)
            px = Unpremultiply(px) | 0xFF000000u;
    FPixelFormat = value;
    Changed(this);
}

int TBitmap::BytesPerScanLine() const
{
    const int bpp = FFile ? FFile->Header.BitCount : FPixelFormat == pf32bit ? 32 : 24;
    return static_cast<int>(((static_cast<int64_t>(Width()) * bpp + 31) / 32) * 4);
}

TColor TBitmap::TransparentColor() const
{
    if (FTransparentColor != clDefault)
        return ColorToRGB(FTransparentColor);
    if (Empty())
        return clDefault;
    uint32_t px = Unpremultiply(Decoded().At(0, Height() - 1));
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
    // Drawing changes the pixels: they are no longer the kept file's.
    Own();
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
    if (!pixelbudget::ChargeLoad(static_cast<int64_t>(h.Width) * h.Height))
        throw EOutOfResources(GraphicConst::SOutOfResources);
    auto kept = std::make_unique<TKeptFile>();
    kept->BitsAt = dibBytes.size();
    if (!ReadAppend(stream, dibBytes, BitsToRead(h, Remaining(stream))))
        InvalidBitmap();
    const uint8_t* bits = dibBytes.data() + kept->BitsAt;
    const size_t bitsSize = dibBytes.size() - kept->BitsAt;
    if (!FCanvas && !dib::AlphaFromPixels(h)) {
        // The file is kept and its pixels are decoded when first asked for:
        // a load costs what the file holds, not what it describes.
        if (!dib::BitsComplete(h, bitsSize))
            InvalidBitmap();
        ReplacePixels(TPixelBuffer());
        FPixels.Width = h.Width;
        FPixels.Height = h.Height;
        FPixelFormat = h.BitCount == 32 ? pf32bit : pf24bit;
        kept->Header = std::move(h);
        kept->Dib = std::move(dibBytes);
        FFile = std::move(kept);
        Changed(this);
        return;
    }
    TPixelBuffer pixels;
    bool alpha = false;
    if (!dib::DecodeBits(h, bits, bitsSize, pixels, &alpha))
        InvalidBitmap();
    ReplacePixels(std::move(pixels));
    FPixelFormat = h.BitCount == 32 || alpha ? pf32bit : pf24bit;
    // The file is kept unless a canvas may still draw here.
    if (!FCanvas) {
        kept->Header = std::move(h);
        kept->Dib = std::move(dibBytes);
        FFile = std::move(kept);
        pixelbudget::Hold(this, static_cast<int64_t>(FPixels.Width) * FPixels.Height);
    }
    Changed(this);
}

void TBitmap::SaveToStream(TStream& stream) const
{
    if (Empty())
        return;
    if (!FFile) {
        Write(stream, dib::EncodeFile(FPixels, FPixelFormat == pf32bit ? 32 : 24));
        return;
    }
    // The kept file behind a file header of its own (the pixel data right
    // after the tables, whatever gap the file read had).
    const uint32_t size = static_cast<uint32_t>(14 + FFile->Dib.size());
    Bytes header(14, 0);
    header[0] = 'B';
    header[1] = 'M';
    Set32(header, 2, size);
    Set32(header, 10, static_cast<uint32_t>(14 + FFile->BitsAt));
    Write(stream, header);
    Write(stream, FFile->Dib);
}

void TBitmap::WriteData(TStream& stream) const
{
    TMemoryStream file;
    SaveToStream(file);
    const uint32_t size = static_cast<uint32_t>(file.Size());
    const uint8_t length[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                               static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    stream.WriteBuffer(length, 4);
    stream.WriteBuffer(file.Memory(), file.Size());
}

void TBitmap::ReadData(TStream& stream)
{
    uint8_t length[4];
    const int64_t start = stream.Position();
    if (stream.Size() - start < 4 || stream.Read(length, 4) != 4)
        throw EReadError(SysConst::SReadError);
    const int64_t size = static_cast<int64_t>(length[0]) | (static_cast<int64_t>(length[1]) << 8) |
                         (static_cast<int64_t>(length[2]) << 16) | (static_cast<int64_t>(length[3]) << 24);
    if (size > stream.Size() - start - 4)
        throw EReadError(SysConst::SReadError);
    // The file alone: whatever follows it is not the bitmap's.
    TStreamWindow file(stream, start + 4, size, false);
    LoadFromStream(file);
}

namespace {

// A picture of at least this many pixels that keeps its file and is drawn
// mostly outside the canvas's clip decodes only the part that shows.
constexpr int64_t PartDrawPixels = int64_t(1) << 20;

// Leaves out the pixels of the colour Key (RGB).
void MaskColor(TPixelBuffer& pixels, TColor key)
{
    const uint32_t rgb = (GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key);
    for (uint32_t& px : pixels.Pixels)
        if ((Unpremultiply(px) & 0xFFFFFF) == rgb)
            px = 0;
}

} // namespace

bool TBitmap::DrawPart(TCanvas* aCanvas, const TRect& rect) const
{
    const int64_t whole = static_cast<int64_t>(Width()) * Height();
    if (!FFile || FCanvas || !FPixels.Pixels.empty() || whole < PartDrawPixels || rect.IsEmpty() ||
        !dib::PartDecodable(FFile->Header))
        return false;
    TRect shown;
    if (!IntersectRect(shown, rect, aCanvas->ClipRect()))
        return true; // nothing of it shows
    // The picture's pixels under what shows, one more on each side for the
    // rounding of a scaled drawing.
    const double sx = double(Width()) / rect.Width(), sy = double(Height()) / rect.Height();
    const int left = std::max(0, static_cast<int>(std::floor((shown.Left - rect.Left) * sx)) - 1);
    const int top = std::max(0, static_cast<int>(std::floor((shown.Top - rect.Top) * sy)) - 1);
    const int right = std::min(Width(), static_cast<int>(std::ceil((shown.Right - rect.Left) * sx)) + 1);
    const int bottom = std::min(Height(), static_cast<int>(std::ceil((shown.Bottom - rect.Top) * sy)) + 1);
    if (right <= left || bottom <= top || static_cast<int64_t>(right - left) * (bottom - top) * 4 > whole)
        return false;
    const TKeptFile& file = *FFile;
    const uint8_t* bits = file.Dib.data() + file.BitsAt;
    const size_t size = file.Dib.size() - file.BitsAt;
    TPixelBuffer part;
    if (!dib::DecodeBitsPart(file.Header, bits, size, left, top, right - left, bottom - top, part))
        return false;
    if (FTransparent) {
        TColor key = FTransparentColor;
        if (key == clDefault) {
            // The bottom-left pixel's colour, as TransparentColor gives it.
            TPixelBuffer corner;
            if (!dib::DecodeBitsPart(file.Header, bits, size, 0, Height() - 1, 1, 1, corner))
                return false;
            const uint32_t px = Unpremultiply(corner.At(0, 0));
            key = RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
        }
        MaskColor(part, ColorToRGB(key));
    }
    // The whole picture's place, with the part's pixels where they lie in it.
    aCanvas->DrawPixels(rect, part, Bounds(-left, -top, Width(), Height()));
    return true;
}

void TBitmap::Draw(TCanvas* aCanvas, const TRect& rect)
{
    if (Empty() || DrawPart(aCanvas, rect))
        return;
    const TRect source = Bounds(0, 0, Width(), Height());
    const TPinnedPixels pixels = Pixels();
    if (!FTransparent) {
        aCanvas->DrawPixels(rect, *pixels, source);
        return;
    }
    // Pixels of the transparent colour are left out.
    TPixelBuffer masked(*pixels);
    MaskColor(masked, TransparentColor());
    aCanvas->DrawPixels(rect, masked, source);
}
