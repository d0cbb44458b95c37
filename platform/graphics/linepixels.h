// The pixels of width-1 lines as the platform draws them, listed only where
// they fall inside a clip rectangle, so that a line reaching far past the
// device costs what shows.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/core/types.h"

// Walks segments pixel by pixel as Bresenham's algorithm steps from each
// segment's start towards its end, the end left out (the platform's rule for
// lines), and keeps the pixels inside Clip, in the order walked. Each pixel
// kept has its step: how many pixels the walk made before it, those outside
// the clip included, so that a dash pattern runs on as if every pixel had
// been walked. The part of a segment outside the clip is stepped over in
// one go: the cost is that of the pixels kept, however far the ends lie.
// Coordinates may lie anywhere in the int range.
class TLinePixels {
public:
    explicit TLinePixels(const TRect& clip) : FClip(clip) {}

    // Walks From..To (without To) after the segments walked before.
    void AddSegment(const TPoint& from, const TPoint& to);
    // Walks one pixel At (a figure that is a single point), kept when the clip holds it.
    void AddPoint(const TPoint& at);

    // The pixels kept and their steps, in the order walked.
    const std::vector<TPoint>& Pixels() const { return FPixels; }
    const std::vector<int64_t>& Steps() const { return FSteps; }
    // The pixels walked so far, kept or not.
    int64_t Walked() const { return FWalked; }

private:
    TRect FClip;
    std::vector<TPoint> FPixels;
    std::vector<int64_t> FSteps;
    int64_t FWalked = 0;
};
