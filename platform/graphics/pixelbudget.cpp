// The register of decoded pixels (least recently used first out) and the
// allowance of document loads. Pictures live on the thread of the user
// interface; the register is used from there alone.
#include "platform/graphics/pixelbudget.h"

#include <algorithm>
#include <cassert>
#include <list>
#include <unordered_map>

namespace {

struct THeld {
    TPixelHolder* Holder;
    int64_t Pixels;
};

// Most recently used first.
struct TRegister {
    std::list<THeld> Order;
    std::unordered_map<TPixelHolder*, std::list<THeld>::iterator> Index;
    int64_t Total = 0;
};

// Never destroyed: pictures that live in static objects leave it at exit,
// after the statics made before it are gone.
TRegister& Register()
{
    static TRegister* const instance = new TRegister;
    return *instance;
}

// What the load in progress may still read; -1 outside a load.
int64_t LoadAllowance = -1;
int64_t ProcessPixels = PictureProcessPixelBudget;
int64_t LoadPixels = PictureLoadPixelBudget;

} // namespace

TPixelHolder::~TPixelHolder()
{
    assert(FPins == 0 && "a pin outlives its picture");
    pixelbudget::Drop(this);
}

TPinnedPixels& TPinnedPixels::operator=(TPinnedPixels&& other) noexcept
{
    if (this != &other) {
        if (FHolder)
            Unpin();
        FHolder = other.FHolder;
        FPixels = other.FPixels;
        other.FHolder = nullptr;
    }
    return *this;
}

void TPinnedPixels::Unpin() noexcept
{
    // What was kept over the budget for the pin goes now.
    if (FHolder && --FHolder->FPins == 0)
        pixelbudget::Settle(FHolder);
    FHolder = nullptr;
}

namespace pixelbudget {

void Hold(TPixelHolder* holder, int64_t pixels)
{
    TRegister& r = Register();
    Drop(holder);
    r.Order.push_front({holder, std::max<int64_t>(pixels, 0)});
    r.Index[holder] = r.Order.begin();
    r.Total += r.Order.front().Pixels;
    Settle(holder);
}

void Settle(TPixelHolder* keep)
{
    TRegister& r = Register();
    // The oldest unpinned others give their pixels back (ReleasePixels may
    // call Drop); the pinned ones are passed over and stay where they are.
    auto at = r.Order.end();
    while (r.Total > ProcessPixels && at != r.Order.begin()) {
        --at;
        TPixelHolder* oldest = at->Holder;
        if (oldest == keep || oldest->Pins() > 0)
            continue;
        // Dropping it leaves the one after valid; the next step back from
        // there reaches the next newer one.
        ++at;
        oldest->ReleasePixels();
        Drop(oldest);
    }
}

void Touch(TPixelHolder* holder)
{
    TRegister& r = Register();
    const auto found = r.Index.find(holder);
    if (found != r.Index.end())
        r.Order.splice(r.Order.begin(), r.Order, found->second);
}

void Drop(TPixelHolder* holder)
{
    TRegister& r = Register();
    const auto found = r.Index.find(holder);
    if (found == r.Index.end())
        return;
    r.Total -= found->second->Pixels;
    r.Order.erase(found->second);
    r.Index.erase(found);
}

int64_t HeldPixels()
{
    return Register().Total;
}

int64_t ProcessBudget()
{
    return ProcessPixels;
}

int64_t SetProcessBudget(int64_t pixels)
{
    const int64_t old = ProcessPixels;
    ProcessPixels = std::max<int64_t>(pixels, 0);
    return old;
}

int64_t SetLoadBudget(int64_t pixels)
{
    const int64_t old = LoadPixels;
    LoadPixels = std::max<int64_t>(pixels, 0);
    return old;
}

bool ChargeLoad(int64_t pixels)
{
    if (LoadAllowance < 0)
        return true;
    if (pixels > LoadAllowance)
        return false;
    LoadAllowance -= std::max<int64_t>(pixels, 0);
    return true;
}

} // namespace pixelbudget

TPictureLoadBudget::TPictureLoadBudget() : FOuter(LoadAllowance < 0)
{
    if (FOuter)
        LoadAllowance = LoadPixels;
}

TPictureLoadBudget::~TPictureLoadBudget()
{
    if (FOuter)
        LoadAllowance = -1;
}
