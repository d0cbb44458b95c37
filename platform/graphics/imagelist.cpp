// Image lists: adding images from bitmaps and icons, drawing them plain,
// blended or etched, and copying them out.
#include "platform/graphics/imagelist.h"

#include <algorithm>
#include <optional>

#include "platform/core/colors.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/graphicio.h"
#include "platform/graphics/icon.h"

using namespace graphicio;

namespace {

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

TCustomImageList::TCustomImageList(TComponent* aOwner) : TComponent(aOwner) {}

TCustomImageList::TCustomImageList(TComponent* aOwner, int aWidth, int aHeight) : TComponent(aOwner)
{
    SetSize(aWidth, aHeight);
}

void TCustomImageList::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TCustomImageList::Assign(const TPersistent* source)
{
    if (auto list = dynamic_cast<const TCustomImageList*>(source)) {
        if (list == this)
            return;
        FWidth = list->FWidth;
        FHeight = list->FHeight;
        FImages = list->FImages;
        Changed();
    } else {
        TComponent::Assign(source);
    }
}

void TCustomImageList::SetSize(int aWidth, int aHeight)
{
    if (aWidth < 1 || aWidth > 256 || aHeight < 1 || aHeight > 256)
        throw EInvalidOperation(GraphicConst::SInvalidImageSize);
    if (aWidth == FWidth && aHeight == FHeight)
        return;
    FWidth = aWidth;
    FHeight = aHeight;
    FImages.clear();
    Changed();
}

void TCustomImageList::SetWidth(int value)
{
    SetSize(value, FHeight);
}

void TCustomImageList::SetHeight(int value)
{
    SetSize(FWidth, value);
}

int TCustomImageList::AddPixels(const TPixelBuffer& pixels)
{
    TPixelBuffer image(FWidth, FHeight, 0);
    const int w = std::min(FWidth, pixels.Width), h = std::min(FHeight, pixels.Height);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.At(x, y) = pixels.At(x, y);
    FImages.push_back(std::move(image));
    Changed();
    return Count() - 1;
}

int TCustomImageList::Add(const TBitmap* image, const TBitmap* mask)
{
    if (!image || image->Empty())
        return -1;
    // Both pinned: decoding the mask must not release the image's pixels.
    const TPinnedPixels pixels = image->Pixels();
    const TPixelBuffer& src = *pixels;
    std::optional<TPinnedPixels> maskPixels;
    if (mask && !mask->Empty())
        maskPixels.emplace(mask->Pixels());
    const int first = Count();
    const int parts = std::max(1, src.Width / FWidth);
    for (int part = 0; part < parts; ++part) {
        TPixelBuffer tile(FWidth, FHeight, 0);
        for (int y = 0; y < std::min(FHeight, src.Height); ++y)
            for (int x = 0; x < FWidth && part * FWidth + x < src.Width; ++x) {
                const int sx = part * FWidth + x;
                bool masked = maskPixels && sx < mask->Width() && y < mask->Height() &&
                              ((*maskPixels)->At(sx, y) & 0xFFFFFF) == 0xFFFFFF;
                tile.At(x, y) = masked ? 0 : src.At(sx, y);
            }
        FImages.push_back(std::move(tile));
    }
    Changed();
    return first;
}

int TCustomImageList::AddMasked(const TBitmap* image, TColor maskColor)
{
    if (!image || image->Empty())
        return -1;
    const uint32_t key = ColorToPixel(maskColor) & 0xFFFFFF;
    TBitmap keyed;
    const TPinnedPixels source = image->Pixels();
    TPixelBuffer pixels = *source;
    for (uint32_t& px : pixels.Pixels)
        if ((Unpremultiply(px) & 0xFFFFFF) == key)
            px = 0;
    keyed.SetPixels(pixels);
    return Add(&keyed, nullptr);
}

int TCustomImageList::AddIcon(const TIcon* image)
{
    if (!image || image->Empty())
        return -1;
    return AddPixels(image->Pixels());
}

void TCustomImageList::Delete(int index)
{
    if (!Valid(index))
        throw EListError(Format(SysConst::SListIndexError, {index}));
    FImages.erase(FImages.begin() + index);
    Changed();
}

void TCustomImageList::Clear()
{
    FImages.clear();
    Changed();
}

const TPixelBuffer& TCustomImageList::Image(int index) const
{
    if (!Valid(index))
        throw EListError(Format(SysConst::SListIndexError, {index}));
    return FImages[static_cast<size_t>(index)];
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) const
{
    if (!canvas || !Valid(index))
        return;
    const TPixelBuffer& image = FImages[static_cast<size_t>(index)];
    if (enabled) {
        canvas->DrawPixels(Bounds(x, y, FWidth, FHeight), image, Bounds(0, 0, FWidth, FHeight));
        return;
    }
    // Etched: the highlight one pixel down and right, the shadow over it.
    TPixelBuffer etched(FWidth + 1, FHeight + 1, 0);
    const uint32_t highlight = ColorToPixel(clBtnHighlight), shadow = ColorToPixel(clBtnShadow);
    for (int py = 0; py < FHeight; ++py)
        for (int px = 0; px < FWidth; ++px)
            if (IsInk(image.At(px, py)))
                etched.At(px + 1, py + 1) = highlight;
    for (int py = 0; py < FHeight; ++py)
        for (int px = 0; px < FWidth; ++px)
            if (IsInk(image.At(px, py)))
                etched.At(px, py) = shadow;
    canvas->DrawPixels(Bounds(x, y, FWidth + 1, FHeight + 1), etched, Bounds(0, 0, FWidth + 1, FHeight + 1));
}

void TCustomImageList::GetBitmap(int index, TBitmap* image) const
{
    if (!image || !Valid(index))
        return;
    image->SetSize(FWidth, FHeight);
    const TPinnedPixels source = image->Pixels();
    TPixelBuffer pixels = *source;
    const TPixelBuffer& stored = FImages[static_cast<size_t>(index)];
    for (size_t i = 0; i < pixels.Pixels.size(); ++i)
        pixels.Pixels[i] = Blend(stored.Pixels[i], pixels.Pixels[i]);
    image->SetPixels(pixels);
}

void TCustomImageList::GetIcon(int index, TIcon* image) const
{
    if (image && Valid(index))
        image->SetPixels(FImages[static_cast<size_t>(index)]);
}

// ---------------------------------------------------------------------------

bool ImageList_DrawEx(const TCustomImageList* list, int index, TCanvas* canvas, int x, int y, int dx, int dy,
                      TColor bk, TColor fg, unsigned style)
{
    if (!list || !canvas || index < 0 || index >= list->Count())
        return false;
    TPixelBuffer image = list->Image(index);
    const int w = dx > 0 ? std::min(dx, image.Width) : image.Width;
    const int h = dy > 0 ? std::min(dy, image.Height) : image.Height;
    const uint32_t blendPart = (style & ILD_BLEND50) ? 2 : ((style & ILD_BLEND25) ? 1 : 0); // quarters
    if (blendPart) {
        if (fg == CLR_NONE) {
            for (uint32_t& px : image.Pixels)
                px = Scale(px, 4 - blendPart, 4);
        } else {
            const uint32_t colour = ColorToPixel(fg == CLR_DEFAULT ? clHighlight : fg);
            for (uint32_t& px : image.Pixels) {
                // The colour is mixed in only where the image has pixels, in proportion to its alpha.
                const uint32_t alpha = px >> 24, tint = Scale(colour, alpha, 255);
                uint32_t mixed = alpha << 24;
                for (int shift = 0; shift < 24; shift += 8) {
                    uint32_t c = (px >> shift) & 0xFF, t = (tint >> shift) & 0xFF;
                    mixed |= std::min(alpha, (c * (4 - blendPart) + t * blendPart + 2) / 4) << shift;
                }
                px = mixed;
            }
        }
    }
    if (!(style & ILD_TRANSPARENT) && bk != CLR_NONE && bk != CLR_DEFAULT) {
        const uint32_t background = ColorToPixel(bk);
        for (uint32_t& px : image.Pixels)
            px = Blend(px, background);
    }
    canvas->DrawPixels(Bounds(x, y, w, h), image, Bounds(0, 0, w, h));
    return true;
}
