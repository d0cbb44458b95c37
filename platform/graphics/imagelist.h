// TCustomImageList / TImageList: a list of same-sized images (menu images,
// bullets, hot spots), and the platform's ImageList_DrawEx over it.
#pragma once

#include <vector>

#include "platform/core/component.h"
#include "platform/graphics/pixelbuffer.h"

class TBitmap;
class TCanvas;
class TIcon;

// A component holding images of Width x Height pixels each (16 x 16 unless
// set), with their transparency (premultiplied alpha). Indexes count from 0.
// Changing the size empties the list. The list's Tag (a component property)
// identifies it in documents that refer to it.
class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* aOwner);
    TCustomImageList(TComponent* aOwner, int aWidth, int aHeight);
    const char* ClassName() const override { return "TCustomImageList"; }

    // From another image list: size and images.
    void Assign(const TPersistent* source) override;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Sizes from 1 to 256; others raise EInvalidOperation "Invalid image size".
    void SetWidth(int value);
    void SetHeight(int value);
    int Count() const { return static_cast<int>(FImages.size()); }

    // Adds the images of a bitmap: one per Width columns of it (at least one),
    // each cut from the top-left of its part; what the bitmap does not cover is
    // transparent. With a Mask, the mask's white pixels make the image
    // transparent there; without one, the bitmap's own alpha counts. Returns the
    // index of the first image added, -1 for an empty bitmap.
    int Add(const TBitmap* image, const TBitmap* mask);
    // The same, with the pixels of MaskColor transparent.
    int AddMasked(const TBitmap* image, TColor maskColor);
    int AddIcon(const TIcon* image);
    // Adds pixels of any size as one image (cut or padded with transparency).
    int AddPixels(const TPixelBuffer& pixels);
    void Delete(int index); // EListError for a bad index
    void Clear();

    // The image's pixels; EListError "List index out of bounds (%d)" for a bad index.
    const TPixelBuffer& Image(int index) const;

    // Draws the image at its size at (X, Y), blended over what is there. A
    // disabled image is drawn etched: its shape in the button shadow colour with
    // a highlight one pixel down and right. A bad index draws nothing.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) const;
    // The image on the bitmap: the bitmap becomes Width x Height (keeping what
    // it had there, white where new) and the image is drawn over it at (0, 0).
    // A bad index leaves the bitmap unchanged.
    void GetBitmap(int index, TBitmap* image) const;
    // The image as an icon, alpha kept. A bad index leaves the icon unchanged.
    void GetIcon(int index, TIcon* image) const;

    TNotifyEvent OnChange;

private:
    void Changed();
    void SetSize(int aWidth, int aHeight);
    bool Valid(int index) const { return index >= 0 && index < Count(); }

    int FWidth = 16;
    int FHeight = 16;
    std::vector<TPixelBuffer> FImages;
};

class TImageList : public TCustomImageList {
public:
    using TCustomImageList::TCustomImageList;
    const char* ClassName() const override { return "TImageList"; }
};

// The platform's image-list drawing. Colours: CLR_NONE (no colour),
// CLR_DEFAULT (the list's default: none here), or an RGB value.
inline constexpr TColor CLR_NONE = TColorOf(0xFFFFFFFFu);
inline constexpr TColor CLR_DEFAULT = TColorOf(0xFF000000u);
enum : unsigned { ILD_NORMAL = 0x0, ILD_TRANSPARENT = 0x1, ILD_BLEND25 = 0x2, ILD_BLEND50 = 0x4 };

// Draws image Index of the list at (X, Y): DX x DY pixels of it from its
// top-left (0 for the whole width or height). Without ILD_TRANSPARENT and with
// a background colour, the transparent parts are filled with it. ILD_BLEND50
// (ILD_BLEND25) mixes the image's pixels half (a quarter) with the foreground
// colour: CLR_DEFAULT is the highlight colour, and with CLR_NONE the image is
// blended with what lies under it (drawn half, or three quarters, opaque).
// False, drawing nothing, for a missing list or a bad index.
bool ImageList_DrawEx(const TCustomImageList* list, int index, TCanvas* canvas, int x, int y, int dx, int dy,
                      TColor bk, TColor fg, unsigned style);
