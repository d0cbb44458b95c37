// TEncodedImage: the bytes and pixels that JPEG and PNG pictures share.
#include "platform/graphics/encodedimage.h"

#include <algorithm>
#include <typeinfo>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/graphicio.h"

namespace {

// A file larger than this is refused before it is read.
constexpr int64_t MaxEncodedFile = int64_t(256) << 20;

} // namespace

void TEncodedImage::NotePixels() const
{
    auto* self = const_cast<TEncodedImage*>(this);
    if (!FData.empty() && !FPixels.Empty())
        pixelbudget::Hold(self, static_cast<int64_t>(FPixels.Width) * FPixels.Height);
    else
        pixelbudget::Drop(self);
}

void TEncodedImage::ReleasePixels()
{
    if (!FData.empty())
        FPixels = TPixelBuffer();
}

void TEncodedImage::Clear()
{
    FData.clear();
    FPixels = TPixelBuffer();
    pixelbudget::Drop(this);
    FDecodeFailed = false;
    FWidth = FHeight = 0;
    ClearSettings();
}

void TEncodedImage::Assign(const TPersistent* source)
{
    if (!source) {
        Clear();
        Changed(this);
    } else if (auto image = dynamic_cast<const TEncodedImage*>(source);
               image && typeid(*image) == typeid(*this)) {
        if (image == this)
            return;
        FData = image->FData;
        FPixels = image->FPixels;
        FDecodeFailed = image->FDecodeFailed;
        FWidth = image->FWidth;
        FHeight = image->FHeight;
        NotePixels();
        AssignSettings(*image);
        Changed(this);
    } else if (auto bitmap = dynamic_cast<const TBitmap*>(source)) {
        Clear();
        const TPinnedPixels pixels = bitmap->Pixels();
        FPixels = *pixels;
        FWidth = FPixels.Width;
        FHeight = FPixels.Height;
        Changed(this);
    } else {
        TGraphic::Assign(source);
    }
}

void TEncodedImage::AssignTo(TPersistent* dest) const
{
    if (auto bitmap = dynamic_cast<TBitmap*>(dest)) {
        TBitmap decoded;
        decoded.SetPixelFormat(BitmapFormat());
        if (!Empty()) {
            const TPinnedPixels pinned = Pixels();
            const TPixelBuffer& pixels = *pinned;
            if (pixels.Height == FHeight) {
                decoded.SetPixels(pixels);
            } else {
                // The rows the file held, over white.
                TPixelBuffer whole(FWidth, FHeight);
                std::copy(pixels.Pixels.begin(), pixels.Pixels.end(), whole.Pixels.begin());
                decoded.SetPixels(whole);
            }
        }
        bitmap->Assign(&decoded);
    } else {
        TGraphic::AssignTo(dest);
    }
}

void TEncodedImage::SetWidth(int)
{
    throw EInvalidGraphicOperation(SizeChangeMessage());
}

void TEncodedImage::SetHeight(int)
{
    throw EInvalidGraphicOperation(SizeChangeMessage());
}

TPinnedPixels TEncodedImage::Pixels() const
{
    if (FPixels.Empty() && !FData.empty()) {
        // Room is made before the pixels are decoded, so that the pictures
        // held and this one together never exceed the process's budget.
        if (!FDecodeFailed)
            pixelbudget::Hold(const_cast<TEncodedImage*>(this), static_cast<int64_t>(FWidth) * FHeight);
        int code = 0;
        if (FDecodeFailed || !Decode(FData, FPixels, code)) {
            FDecodeFailed = true;
            FPixels = TPixelBuffer();
            FormatError(code);
        }
        NotePixels();
    } else if (!FData.empty()) {
        pixelbudget::Touch(const_cast<TEncodedImage*>(this));
    }
    return TPinnedPixels(this, FPixels);
}

void TEncodedImage::LoadFromStream(TStream& stream)
{
    const int64_t size = graphicio::Remaining(stream);
    if (size == 0) {
        Clear();
        Changed(this);
        return;
    }
    if (size > MaxEncodedFile)
        FileTooLarge();
    graphicio::Bytes data;
    if (!graphicio::ReadAppend(stream, data, size))
        throw EReadError(SysConst::SReadError);
    int width = 0, height = 0;
    CheckHeader(data, width, height);
    if (!pixelbudget::ChargeLoad(static_cast<int64_t>(width) * height))
        throw EOutOfResources(GraphicConst::SOutOfResources);
    FData = std::move(data);
    FPixels = TPixelBuffer();
    pixelbudget::Drop(this);
    FDecodeFailed = false;
    FWidth = width;
    FHeight = height;
    Changed(this);
}

void TEncodedImage::SaveToStream(TStream& stream) const
{
    if (Empty())
        return;
    int code = 0;
    if (FData.empty()) {
        if (!Encode(FPixels, FData, code))
            FormatError(code);
        // The pixels can now be decoded again: they join the budget.
        NotePixels();
    }
    graphicio::Write(stream, FData);
}

void TEncodedImage::Draw(TCanvas* aCanvas, const TRect& rect)
{
    if (Empty())
        return;
    TPinnedPixels pixels(nullptr, FPixels);
    try {
        pixels = Pixels();
    } catch (const EInvalidGraphic&) {
        return; // damaged beyond decoding: nothing to show
    }
    // The rows a file cut short holds take their part of the picture's place.
    TRect dest = rect;
    if (pixels->Height < FHeight)
        dest.Bottom = rect.Top + static_cast<int>(int64_t(rect.Height()) * pixels->Height / FHeight);
    if (pixels->Height > 0 && dest.Bottom != dest.Top)
        aCanvas->DrawPixels(dest, *pixels, Bounds(0, 0, pixels->Width, pixels->Height));
}
