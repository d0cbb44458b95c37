// TMetafile: reading metafile headers, keeping the bytes, drawing the frame;
// TMetafileCanvas: drawing that ends up as a one-record metafile.
#include "platform/graphics/metafile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/core/numbers.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/graphicio.h"
#include "platform/graphics/pixelbudget.h"

using namespace graphicio;

namespace {

constexpr uint32_t PlaceableKey = 0x9AC6CDD7u;
constexpr uint32_t EmfSignature = 0x464D4520u; // " EMF"
constexpr int64_t MaxMetafile = int64_t(256) << 20;
constexpr int PixelsPerInch = 96;
constexpr int HundredthMMPerInch = 2540;
// The largest size in 0.01 mm: a picture as large as the graphic limits allow.
constexpr int MaxMM = GraphicMaxSide / PixelsPerInch * HundredthMMPerInch;

[[noreturn]] void InvalidMetafile()
{
    throw EInvalidGraphic(GraphicConst::SInvalidMetafile);
}

// Appends the records of an old-format metafile up to and with its end
// record; false when the stream ends first or a record is damaged.
bool ReadWmfRecords(TStream& stream, Bytes& data)
{
    while (int64_t(data.size()) <= MaxMetafile) {
        const size_t at = data.size();
        if (!ReadAppend(stream, data, 6))
            return false;
        const int64_t recordBytes = int64_t(U32(&data[at])) * 2;
        if (recordBytes < 6 || recordBytes > MaxMetafile || !ReadAppend(stream, data, recordBytes - 6))
            return false;
        if (U16(&data[at + 4]) == 0)
            return true;
    }
    return false;
}

int ClampMM(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, 0, MaxMM));
}

} // namespace

TMetafile::TMetafile()
{
    FTransparent = true;
}

TMetafile::~TMetafile() = default;

void TMetafile::DropRendered()
{
    FRendered = TPixelBuffer();
    FRenderedFor = TSize{0, 0};
    pixelbudget::Drop(this);
}

void TMetafile::ReleasePixels()
{
    FRendered = TPixelBuffer();
    FRenderedFor = TSize{0, 0};
}

void TMetafile::Assign(const TPersistent* source)
{
    if (!source) {
        DropRendered();
        FData.clear();
        FPixels = TPixelBuffer();
        FMMWidth = FMMHeight = FInch = 0;
        FEnhanced = true;
        FHeaderChanged = false;
        Changed(this);
    } else if (auto metafile = dynamic_cast<const TMetafile*>(source)) {
        if (metafile == this)
            return;
        DropRendered();
        FData = metafile->FData;
        FPixels = metafile->FPixels;
        FMMWidth = metafile->FMMWidth;
        FMMHeight = metafile->FMMHeight;
        FInch = metafile->FInch;
        FEnhanced = metafile->FEnhanced;
        FHeaderChanged = metafile->FHeaderChanged;
        Changed(this);
    } else {
        TGraphic::Assign(source);
    }
}

int TMetafile::Width() const
{
    return MulDiv(FMMWidth, PixelsPerInch, HundredthMMPerInch);
}

int TMetafile::Height() const
{
    return MulDiv(FMMHeight, PixelsPerInch, HundredthMMPerInch);
}

void TMetafile::SetWidth(int value)
{
    SetMMWidth(MulDiv(std::max(value, 0), HundredthMMPerInch, PixelsPerInch));
}

void TMetafile::SetHeight(int value)
{
    SetMMHeight(MulDiv(std::max(value, 0), HundredthMMPerInch, PixelsPerInch));
}

void TMetafile::SetMMWidth(int value)
{
    if (ClampMM(value) != FMMWidth) {
        FMMWidth = ClampMM(value);
        SizeChanged();
    }
}

void TMetafile::SetMMHeight(int value)
{
    if (ClampMM(value) != FMMHeight) {
        FMMHeight = ClampMM(value);
        SizeChanged();
    }
}

void TMetafile::SetInch(int value)
{
    value = std::clamp(value, 0, 0xFFFF);
    if (value != FInch) {
        FInch = value;
        SizeChanged();
    }
}

void TMetafile::SizeChanged()
{
    DropRendered();
    if (!FPixels.Empty())
        Encode();
    else
        FHeaderChanged = !FData.empty();
    Changed(this);
}

void TMetafile::SetEnhanced(bool value)
{
    if (value == FEnhanced || (!FData.empty() && FPixels.Empty()))
        return; // nothing to change, or records that cannot be converted here
    FEnhanced = value;
    if (!FPixels.Empty())
        Encode();
    Changed(this);
}

void TMetafile::SetContent(const TPixelBuffer& pixels)
{
    DropRendered();
    FPixels = pixels;
    if (FMMWidth == 0 || FMMHeight == 0) {
        FMMWidth = ClampMM(MulDiv(pixels.Width, HundredthMMPerInch, PixelsPerInch));
        FMMHeight = ClampMM(MulDiv(pixels.Height, HundredthMMPerInch, PixelsPerInch));
    }
    Encode();
    Changed(this);
}

void TMetafile::Encode()
{
    if (FEnhanced) {
        FData = metafilewriter::WriteEmf(FPixels, FMMWidth, FMMHeight);
    } else {
        FInch = FInch ? FInch : PixelsPerInch;
        FData = metafilewriter::WriteWmf(FPixels, FMMWidth, FMMHeight, FInch);
    }
    FHeaderChanged = false;
}

void TMetafile::LoadFromStream(TStream& stream)
{
    if (Remaining(stream) == 0) {
        Assign(nullptr);
        return;
    }
    Bytes data;
    if (!ReadAppend(stream, data, 4))
        InvalidMetafile();
    int64_t mmWidth = 0, mmHeight = 0;
    int inch = 0;
    bool enhanced = false;
    if (U32(&data[0]) == PlaceableKey) {
        // Placeable header (22 bytes) and the metafile header (18 bytes) that
        // gives the length of the rest in 16-bit words.
        if (!ReadAppend(stream, data, 22 - 4 + 18))
            InvalidMetafile();
        uint16_t checksum = 0;
        for (int i = 0; i < 10; ++i)
            checksum ^= U16(&data[2 * i]);
        const uint8_t* m = &data[22];
        uint16_t type = U16(m), headerWords = U16(m + 2);
        int64_t bytes = int64_t(U32(m + 6)) * 2;
        if (checksum != U16(&data[20]) || (type != 1 && type != 2) || headerWords != 9 || bytes < 18 ||
            bytes > MaxMetafile)
            InvalidMetafile();
        // Some writers count the placeable header in the length too, so that
        // it reaches past the file: the records are then read up to their end
        // record, as other readers read them.
        if (bytes - 18 <= Remaining(stream) ? !ReadAppend(stream, data, bytes - 18)
                                            : !ReadWmfRecords(stream, data))
            InvalidMetafile();
        inch = U16(&data[14]);
        int unitsPerInch = inch ? inch : PixelsPerInch;
        mmWidth = int64_t(std::abs(I16(&data[10]) - I16(&data[6]))) * HundredthMMPerInch / unitsPerInch;
        mmHeight = int64_t(std::abs(I16(&data[12]) - I16(&data[8]))) * HundredthMMPerInch / unitsPerInch;
    } else if (U32(&data[0]) == 1) {
        // The enhanced header record: its frame (0.01 mm) and the file's length.
        if (!ReadAppend(stream, data, 88 - 4))
            InvalidMetafile();
        uint32_t headerSize = U32(&data[4]);
        int64_t bytes = U32(&data[48]);
        if (U32(&data[40]) != EmfSignature || headerSize < 88 || bytes < headerSize || bytes > MaxMetafile ||
            !ReadAppend(stream, data, bytes - 88))
            InvalidMetafile();
        mmWidth = int64_t(I32(&data[32])) - I32(&data[24]);
        mmHeight = int64_t(I32(&data[36])) - I32(&data[28]);
        enhanced = true;
    } else {
        InvalidMetafile();
    }
    // The frame is what the picture measures and is drawn at: held to the
    // pixel budget of every decoder, as a bitmap of its size would be.
    const int64_t pixels = int64_t(MulDiv(ClampMM(mmWidth), PixelsPerInch, HundredthMMPerInch)) *
                           MulDiv(ClampMM(mmHeight), PixelsPerInch, HundredthMMPerInch);
    if (pixels > GraphicMaxPixels)
        InvalidMetafile();
    if (!pixelbudget::ChargeLoad(pixels))
        throw EOutOfResources(GraphicConst::SOutOfResources);
    DropRendered();
    FData = std::move(data);
    FPixels = TPixelBuffer();
    FMMWidth = ClampMM(mmWidth);
    FMMHeight = ClampMM(mmHeight);
    FInch = inch;
    FEnhanced = enhanced;
    FHeaderChanged = false;
    Changed(this);
}

void TMetafile::SaveToStream(TStream& stream) const
{
    if (FData.empty())
        return;
    if (FEnhanced || !FHeaderChanged) {
        Write(stream, FData);
        return;
    }
    int unitsPerInch = FInch ? FInch : PixelsPerInch;
    Bytes header =
        metafilewriter::PlaceableHeader(MulDiv(FMMWidth, unitsPerInch, HundredthMMPerInch),
                                        MulDiv(FMMHeight, unitsPerInch, HundredthMMPerInch), FInch);
    Write(stream, header);
    stream.WriteBuffer(FData.data() + 22, static_cast<int64_t>(FData.size()) - 22);
}

void TMetafile::Draw(TCanvas* aCanvas, const TRect& rect)
{
    if (Empty() || !aCanvas || rect.IsEmpty())
        return;
    // Nothing is drawn for a picture wholly outside the clip.
    const TRect clip = aCanvas->ClipRect();
    if (std::max(rect.Left, clip.Left) >= std::min(rect.Right, clip.Right) ||
        std::max(rect.Top, clip.Top) >= std::min(rect.Bottom, clip.Bottom))
        return;
    const TRect device = aCanvas->DeviceRect(rect);
    const TPinnedPixels pixels = Render(std::abs(device.Width()), std::abs(device.Height()));
    if (!pixels->Empty())
        aCanvas->DrawPixels(rect, *pixels, TRect{0, 0, pixels->Width, pixels->Height});
}

TPinnedPixels TMetafile::Render(int width, int height)
{
    static const TPixelBuffer none;
    if (Empty() || width <= 0 || height <= 0)
        return TPinnedPixels(nullptr, none);
    if (FRenderedFor == TSize{width, height} && !FRendered.Empty()) {
        pixelbudget::Touch(this);
        return TPinnedPixels(this, FRendered);
    }
    // The bitmap within the budget: each side within the graphic limits and
    // no more pixels than one picture may hold, nor than the process's budget.
    const int64_t limit = std::max<int64_t>(1, std::min(GraphicMaxPixels, pixelbudget::ProcessBudget()));
    double scale = std::min({1.0, double(GraphicMaxSide) / width, double(GraphicMaxSide) / height});
    if (int64_t(width) * height * scale * scale > double(limit))
        scale = std::sqrt(double(limit) / (double(width) * height));
    const int w = std::max(1, static_cast<int>(width * scale)),
              h = std::max(1, static_cast<int>(height * scale));
    DropRendered();
    // Room is made before the pixels are drawn, so that the pictures held
    // and this one together stay within the process's budget.
    pixelbudget::Hold(this, int64_t(w) * h);
    FRendered = TPixelBuffer(w, h, 0);
    if (FEnhanced)
        metafileplayer::PlayEmf(FData.data(), FData.size(), FRendered, &FLastPlay);
    else
        metafileplayer::PlayWmf(FData.data(), FData.size(), FRendered, &FLastPlay);
    FRenderedFor = TSize{width, height};
    ++FPlays;
    return TPinnedPixels(this, FRendered);
}

// ---------------------------------------------------------------------------

TMetafileCanvas::TMetafileCanvas(TMetafile* aMetafile) : FMetafile(aMetafile), FBitmap(new TBitmap)
{
    FBitmap->SetPixelFormat(pf24bit);
    FBitmap->SetSize(std::max(1, aMetafile->Width()), std::max(1, aMetafile->Height()));
}

TMetafileCanvas::~TMetafileCanvas()
{
    const TPinnedPixels pixels = FBitmap->Pixels();
    FMetafile->SetContent(*pixels);
}

TCanvas* TMetafileCanvas::Canvas()
{
    return FBitmap->Canvas();
}
