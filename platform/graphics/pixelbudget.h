// The decoded-pixel budget of pictures: one for the process, shared by every
// picture that keeps its file's bytes, and one for each load of a document,
// shared by the pictures the load reads.
#pragma once

#include <cstdint>

// Pixels held decoded at once by pictures that can decode again from their
// bytes, and pixels that the pictures of one document load may have in all:
// 64 Mi pixels (256 MiB), two of the largest pictures graphic.h allows.
inline constexpr int64_t PictureProcessPixelBudget = int64_t(1) << 26;
inline constexpr int64_t PictureLoadPixelBudget = int64_t(1) << 26;

// A picture whose decoded pixels may be dropped and decoded again from the
// bytes it keeps. It registers its pixels while it holds them and leaves the
// register when it drops them or is destroyed.
class TPixelHolder {
public:
    // Frees the decoded pixels; the picture decodes again when next asked.
    virtual void ReleasePixels() = 0;

protected:
    ~TPixelHolder();
};

namespace pixelbudget {

// Notes that Holder now holds Pixels decoded pixels (replacing what it held)
// and makes it the most recently used; the least recently used other holders
// release theirs until the process's total is within its budget (a picture
// larger than the budget alone is held with nothing else). A reference
// to another picture's pixels may therefore not outlive the next decoding.
void Hold(TPixelHolder* holder, int64_t pixels);
// Makes Holder the most recently used (its pixels were used).
void Touch(TPixelHolder* holder);
// Holder no longer holds pixels.
void Drop(TPixelHolder* holder);
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
