// Image lists: adding images from bitmaps and icons, drawing them plain,
// blended or etched, and copying them out.
#include "platform/graphics/imagelist.h"

#include <algorithm>

#include "platform/core/colors.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/graphicio.h"
#include "platform/graphics/icon.h"

using namespace graphicio;

namespace {

// An RGB colour (TColor, system colours resolved) as an opaque pixel.
uint32_t PixelOf(TColor color)
{
    TColor rgb = ColorToRGB(color);
    return 0xFF000000u | (GetRValue(rgb) << 16) | (GetGValue(rgb) << 8) | GetBValue(rgb);
}

// Every channel (alpha too) scaled by num/den.
uint32_t Scale(uint32_t px, uint32_t num, uint32_t den)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= ((((px >> shift) & 0xFF) * num + den / 2) / den) << shift;
    return out;
}

// A pixel counts as ink of a disabled image when it is mostly opaque and not light.
bool IsInk(uint32_t px)
{
    if ((px >> 24) < 128)
        return false;
    uint32_t c = Unpremultiply(px);
    uint32_t luminance = (((c >> 16) & 0xFF) * 30 + ((c >> 8) & 0xFF) * 59 + (c & 0xFF) * 11) / 100;
    return luminance < 0xC0;
}

} // namespace

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::TCustomImageList(TComponent* AOwner, int AWidth, int AHeight) : TComponent(AOwner)
{
    SetSize(AWidth, AHeight);
}

void TCustomImageList::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TCustomImageList::Assign(const TPersistent* Source)
{
    if (auto list = dynamic_cast<const TCustomImageList*>(Source)) {
        if (list == this)
            return;
        FWidth = list->FWidth;
        FHeight = list->FHeight;
        FImages = list->FImages;
        Changed();
    } else {
        TComponent::Assign(Source);
    }
}

void TCustomImageList::SetSize(int AWidth, int AHeight)
{
    if (AWidth < 1 || AWidth > 256 || AHeight < 1 || AHeight > 256)
        throw EInvalidOperation(GraphicConst::SInvalidImageSize);
    if (AWidth == FWidth && AHeight == FHeight)
        return;
    FWidth = AWidth;
    FHeight = AHeight;
    FImages.clear();
    Changed();
}

void TCustomImageList::SetWidth(int Value)
{
    SetSize(Value, FHeight);
}

void TCustomImageList::SetHeight(int Value)
{
    SetSize(FWidth, Value);
}

int TCustomImageList::AddPixels(const TPixelBuffer& Pixels)
{
    TPixelBuffer image(FWidth, FHeight, 0);
    const int w = std::min(FWidth, Pixels.Width), h = std::min(FHeight, Pixels.Height);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.At(x, y) = Pixels.At(x, y);
    FImages.push_back(std::move(image));
    Changed();
    return Count() - 1;
}

int TCustomImageList::Add(const TBitmap* Image, const TBitmap* Mask)
{
    if (!Image || Image->Empty())
        return -1;
    const TPixelBuffer& src = Image->Pixels();
    const int first = Count();
    const int parts = std::max(1, src.Width / FWidth);
    for (int part = 0; part < parts; ++part) {
        TPixelBuffer image(FWidth, FHeight, 0);
        for (int y = 0; y < std::min(FHeight, src.Height); ++y)
            for (int x = 0; x < FWidth && part * FWidth + x < src.Width; ++x) {
                const int sx = part * FWidth + x;
                bool masked = Mask && sx < Mask->Width() && y < Mask->Height() &&
                              (Mask->Pixels().At(sx, y) & 0xFFFFFF) == 0xFFFFFF;
                image.At(x, y) = masked ? 0 : src.At(sx, y);
            }
        FImages.push_back(std::move(image));
    }
    Changed();
    return first;
}

int TCustomImageList::AddMasked(const TBitmap* Image, TColor MaskColor)
{
    if (!Image || Image->Empty())
        return -1;
    const uint32_t key = PixelOf(MaskColor) & 0xFFFFFF;
    TBitmap keyed;
    TPixelBuffer pixels = Image->Pixels();
    for (uint32_t& px : pixels.Pixels)
        if ((Unpremultiply(px) & 0xFFFFFF) == key)
            px = 0;
    keyed.SetPixels(pixels);
    return Add(&keyed, nullptr);
}

int TCustomImageList::AddIcon(const TIcon* Image)
{
    if (!Image || Image->Empty())
        return -1;
    return AddPixels(Image->Pixels());
}

void TCustomImageList::Delete(int Index)
{
    if (!Valid(Index))
        throw EListError(Format(SysConst::SListIndexError, {Index}));
    FImages.erase(FImages.begin() + Index);
    Changed();
}

void TCustomImageList::Clear()
{
    FImages.clear();
    Changed();
}

const TPixelBuffer& TCustomImageList::Image(int Index) const
{
    if (!Valid(Index))
        throw EListError(Format(SysConst::SListIndexError, {Index}));
    return FImages[static_cast<size_t>(Index)];
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) const
{
    if (!Canvas || !Valid(Index))
        return;
    const TPixelBuffer& image = FImages[static_cast<size_t>(Index)];
    if (Enabled) {
        Canvas->DrawPixels(Bounds(X, Y, FWidth, FHeight), image, Bounds(0, 0, FWidth, FHeight));
        return;
    }
    // Etched: the highlight one pixel down and right, the shadow over it.
    TPixelBuffer etched(FWidth + 1, FHeight + 1, 0);
    const uint32_t highlight = PixelOf(clBtnHighlight), shadow = PixelOf(clBtnShadow);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x)
            if (IsInk(image.At(x, y)))
                etched.At(x + 1, y + 1) = highlight;
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x)
            if (IsInk(image.At(x, y)))
                etched.At(x, y) = shadow;
    Canvas->DrawPixels(Bounds(X, Y, FWidth + 1, FHeight + 1), etched, Bounds(0, 0, FWidth + 1, FHeight + 1));
}

void TCustomImageList::GetBitmap(int Index, TBitmap* Image) const
{
    if (!Image || !Valid(Index))
        return;
    Image->SetSize(FWidth, FHeight);
    TPixelBuffer pixels = Image->Pixels();
    const TPixelBuffer& image = FImages[static_cast<size_t>(Index)];
    for (size_t i = 0; i < pixels.Pixels.size(); ++i)
        pixels.Pixels[i] = Blend(image.Pixels[i], pixels.Pixels[i]);
    Image->SetPixels(pixels);
}

void TCustomImageList::GetIcon(int Index, TIcon* Image) const
{
    if (Image && Valid(Index))
        Image->SetPixels(FImages[static_cast<size_t>(Index)]);
}

// ---------------------------------------------------------------------------

bool ImageList_DrawEx(const TCustomImageList* List, int Index, TCanvas* Canvas, int X, int Y, int DX, int DY,
                      TColor Bk, TColor Fg, unsigned Style)
{
    if (!List || !Canvas || Index < 0 || Index >= List->Count())
        return false;
    TPixelBuffer image = List->Image(Index);
    const int w = DX > 0 ? std::min(DX, image.Width) : image.Width;
    const int h = DY > 0 ? std::min(DY, image.Height) : image.Height;
    const uint32_t blendPart = (Style & ILD_BLEND50) ? 2 : ((Style & ILD_BLEND25) ? 1 : 0); // quarters
    if (blendPart) {
        if (Fg == CLR_NONE) {
            for (uint32_t& px : image.Pixels)
                px = Scale(px, 4 - blendPart, 4);
        } else {
            const uint32_t fg = PixelOf(Fg == CLR_DEFAULT ? clHighlight : Fg);
            for (uint32_t& px : image.Pixels) {
                // The colour is mixed in only where the image has pixels, in proportion to its alpha.
                const uint32_t alpha = px >> 24, tint = Scale(fg, alpha, 255);
                uint32_t mixed = alpha << 24;
                for (int shift = 0; shift < 24; shift += 8) {
                    uint32_t c = (px >> shift) & 0xFF, t = (tint >> shift) & 0xFF;
                    mixed |= std::min(alpha, (c * (4 - blendPart) + t * blendPart + 2) / 4) << shift;
                }
                px = mixed;
            }
        }
    }
    if (!(Style & ILD_TRANSPARENT) && Bk != CLR_NONE && Bk != CLR_DEFAULT) {
        const uint32_t bk = PixelOf(Bk);
        for (uint32_t& px : image.Pixels)
            px = Blend(px, bk);
    }
    Canvas->DrawPixels(Bounds(X, Y, w, h), image, Bounds(0, 0, w, h));
    return true;
}
