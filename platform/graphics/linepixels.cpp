// Width-1 line pixels within a clip rectangle. A segment of N pixels steps
// along its major axis once per pixel; the minor axis has stepped
// floor((2 * m * k + N) / (2 * N)) times before pixel k (m: the segment's
// extent across), exactly as Bresenham's error term decides. That closed form
// finds the pixels that enter and leave the clip by halving, and the error
// term at the first pixel kept, from which the walk goes on step by step.
#include "platform/graphics/linepixels.h"

#include <algorithm>
#include <cstdlib>

namespace {

// One segment's walk: pixel K lies at Start + Sign * K along the major axis
// and Start + Sign * MinorSteps(K) across.
struct TSegmentWalk {
    int64_t Steps = 0; // pixels: the larger of the two extents
    int64_t Across = 0;
    int64_t MinorSteps(int64_t k) const
    {
        // Up to 2^65 for ends 2^32 apart: in 128 bits.
        const __int128 twiceSteps = static_cast<__int128>(2) * Steps;
        return static_cast<int64_t>((2 * static_cast<__int128>(Across) * k + Steps) / twiceSteps);
    }
};

// The first pixel in [Low, High] whose minor steps are at least Value
// (High + 1 when none is): the count only grows along the walk.
int64_t FirstReaching(const TSegmentWalk& walk, int64_t value, int64_t low, int64_t high)
{
    int64_t end = high + 1;
    while (low < end) {
        const int64_t middle = low + (end - low) / 2;
        if (walk.MinorSteps(middle) >= value)
            end = middle;
        else
            low = middle + 1;
    }
    return low;
}

// The pixels K whose coordinate Start + Sign * Steps(K) lies in [Low, High),
// narrowed from [First, Last]; Steps is K itself on the major axis.
void ClipMajor(int64_t start, int sign, int64_t low, int64_t high, int64_t& first, int64_t& last)
{
    if (sign > 0) {
        first = std::max(first, low - start);
        last = std::min(last, high - 1 - start);
    } else {
        first = std::max(first, start - (high - 1));
        last = std::min(last, start - low);
    }
}

void ClipMinor(const TSegmentWalk& walk, int64_t start, int sign, int64_t low, int64_t high, int64_t& first,
               int64_t& last)
{
    if (first > last)
        return;
    // The minor steps allowed; a segment across within them keeps all.
    const int64_t fewest = sign > 0 ? low - start : start - (high - 1);
    const int64_t most = sign > 0 ? high - 1 - start : start - low;
    if (fewest <= 0 && most >= walk.Across)
        return;
    if (walk.MinorSteps(first) < fewest)
        first = FirstReaching(walk, fewest, first, last);
    if (first <= last && walk.MinorSteps(last) > most)
        last = FirstReaching(walk, most + 1, first, last) - 1;
}

} // namespace

void TLinePixels::AddSegment(const TPoint& from, const TPoint& to)
{
    const int64_t dx = std::abs(int64_t(to.X) - from.X);
    const int64_t dy = std::abs(int64_t(to.Y) - from.Y);
    const int sx = from.X < to.X ? 1 : -1;
    const int sy = from.Y < to.Y ? 1 : -1;
    const bool xMajor = dx >= dy;
    TSegmentWalk walk;
    walk.Steps = std::max(dx, dy);
    walk.Across = std::min(dx, dy);
    if (walk.Steps == 0)
        return;
    int64_t first = 0, last = walk.Steps - 1;
    if (xMajor) {
        ClipMajor(from.X, sx, FClip.Left, FClip.Right, first, last);
        ClipMinor(walk, from.Y, sy, FClip.Top, FClip.Bottom, first, last);
    } else {
        ClipMajor(from.Y, sy, FClip.Top, FClip.Bottom, first, last);
        ClipMinor(walk, from.X, sx, FClip.Left, FClip.Right, first, last);
    }
    if (first <= last) {
        // The place and the error term at pixel First (bounded by the
        // extents, though the products on the way are not).
        const int64_t minor = first > 0 ? walk.MinorSteps(first) : 0;
        const int64_t stepsX = xMajor ? first : minor, stepsY = xMajor ? minor : first;
        int64_t x = from.X + sx * stepsX, y = from.Y + sy * stepsY;
        int64_t err =
            static_cast<int64_t>(static_cast<__int128>(dx) - dy - static_cast<__int128>(stepsX) * dy +
                                 static_cast<__int128>(stepsY) * dx);
        for (int64_t k = first; k <= last; ++k) {
            FPixels.push_back({static_cast<int>(x), static_cast<int>(y)});
            FSteps.push_back(FWalked + k);
            const int64_t e2 = 2 * err;
            if (e2 >= -dy) {
                err -= dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
    }
    FWalked += walk.Steps;
}

void TLinePixels::AddPoint(const TPoint& at)
{
    if (FClip.Contains(at)) {
        FPixels.push_back(at);
        FSteps.push_back(FWalked);
    }
    ++FWalked;
}
