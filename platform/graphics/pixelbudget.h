// The decoded-pixel budget of pictures: one for the process, shared by every
// picture that keeps its file's bytes, and one for each load of a document,
// shared by the pictures the load reads.
#pragma once

#include <cstdint>

#include "platform/graphics/pixelbuffer.h"

// Pixels held decoded at once by pictures that can decode again from their
// bytes, and pixels that the pictures of one document load may have in all:
// 64 Mi pixels (256 MiB), two of the largest pictures graphic.h allows.
inline constexpr int64_t PictureProcessPixelBudget = int64_t(1) << 26;
inline constexpr int64_t PictureLoadPixelBudget = int64_t(1) << 26;

// A picture whose decoded pixels may be dropped and decoded again from the
// bytes it keeps. It registers its pixels while it holds them and leaves the
// register when it drops them or is destroyed. While pins are held on it
// (TPinnedPixels), the budget does not make it drop them.
class TPixelHolder {
public:
    // Frees the decoded pixels; the picture decodes again when next asked.
    virtual void ReleasePixels() = 0;
    // The pins held on the pixels now.
    int Pins() const { return FPins; }

protected:
    TPixelHolder() = default;
    TPixelHolder(const TPixelHolder&) {}
    TPixelHolder& operator=(const TPixelHolder&) { return *this; }
    ~TPixelHolder();

private:
    friend class TPinnedPixels;
    int FPins = 0; // a count of the object, never copied with the picture
};

// A picture's decoded pixels, pinned for as long as this handle lives: the
// budget releases other pictures' pixels to make room, or is exceeded by the
// pinned pixels while no others can go, and gets back within its bound when
// the last pin on them goes. This is the one way to the decoded pixels of
// a picture that may drop them, so a caller that keeps them while another
// picture decodes (drawing one picture into another, copying a picture while
// decoding a second) holds the pin that keeps them. The buffer is reached
// through a named handle only (the accessors of a temporary handle are
// deleted; At, Width and Height read a value on the spot from any handle),
// so that no reference or pointer outlives its pin. Pins nest and cost a count on the picture; a handle may
// be moved, not copied, and must not outlive its picture (a debug build
// checks that when the picture goes). A pin keeps the pixels from the budget
// only: changing the picture itself (a new size, new pixels, another load)
// still replaces them.
class TPinnedPixels {
public:
    // Holder null for pixels that no budget releases.
    TPinnedPixels(const TPixelHolder* holder, const TPixelBuffer& pixels) noexcept
        : FHolder(const_cast<TPixelHolder*>(holder)), FPixels(&pixels)
    {
        if (FHolder)
            ++FHolder->FPins;
    }
    TPinnedPixels(TPinnedPixels&& other) noexcept : FHolder(other.FHolder), FPixels(other.FPixels)
    {
        other.FHolder = nullptr;
    }
    TPinnedPixels& operator=(TPinnedPixels&& other) noexcept;
    TPinnedPixels(const TPinnedPixels&) = delete;
    TPinnedPixels& operator=(const TPinnedPixels&) = delete;
    ~TPinnedPixels()
    {
        if (FHolder)
            Unpin();
    }

    const TPixelBuffer& Buffer() const& { return *FPixels; }
    const TPixelBuffer& operator*() const& { return *FPixels; }
    const TPixelBuffer* operator->() const& { return FPixels; }
    const TPixelBuffer& Buffer() const&& = delete;
    const TPixelBuffer& operator*() const&& = delete;
    const TPixelBuffer* operator->() const&& = delete;
    // Values read on the spot, from a temporary handle as well.
    uint32_t At(int x, int y) const { return FPixels->At(x, y); }
    int Width() const { return FPixels->Width; }
    int Height() const { return FPixels->Height; }

private:
    void Unpin() noexcept;

    TPixelHolder* FHolder;
    const TPixelBuffer* FPixels;
};

namespace pixelbudget {

// Notes that Holder now holds Pixels decoded pixels (replacing what it held)
// and makes it the most recently used; the least recently used other holders
// release theirs until the process's total is within its budget (a picture
// larger than the budget alone is held with nothing else). Pinned holders
// keep theirs: the total then stays over the budget until they are unpinned.
// Pixels in use across the next decoding are therefore reached only through
// a pin (TPinnedPixels).
void Hold(TPixelHolder* holder, int64_t pixels);
// Makes Holder the most recently used (its pixels were used).
void Touch(TPixelHolder* holder);
// Holder no longer holds pixels.
void Drop(TPixelHolder* holder);
// The least recently used unpinned holders other than Keep release their
// pixels until the total is within the budget (done when a last pin goes).
void Settle(TPixelHolder* keep);
// The decoded pixels registered now, in all.
int64_t HeldPixels();

// The budgets in force (the constants above unless set); each setter gives
// the value it replaces. Tests and benchmarks set smaller ones.
int64_t ProcessBudget();
int64_t SetProcessBudget(int64_t pixels);
int64_t SetLoadBudget(int64_t pixels);

// Takes a picture's Pixels from the allowance of the document load in
// progress; true outside a load. False (nothing taken) when the load's
// pictures would exceed the load budget together: the picture is then
// not read.
bool ChargeLoad(int64_t pixels);

} // namespace pixelbudget

// Opens the pixel allowance of a document load: pictures read meanwhile share
// the load budget (PictureLoadPixelBudget unless set). Nested loads (the documents of table cells) share
// the outermost one's allowance.
class TPictureLoadBudget {
public:
    TPictureLoadBudget();
    ~TPictureLoadBudget();
    TPictureLoadBudget(const TPictureLoadBudget&) = delete;
    TPictureLoadBudget& operator=(const TPictureLoadBudget&) = delete;

private:
    bool FOuter;
};
