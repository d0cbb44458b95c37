// Comparing a picture drawn here with another program's drawing of it: what
// each covers (pixels that are not near white), cut out and divided into a
// grid of cells whose mean colours are compared. The other program may put
// the picture on a page or draw it at another resolution; the cells line up
// all the same.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/core/types.h"
#include "platform/graphics/pixelbuffer.h"

namespace picturecompare {

inline bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// The box of the pixels that are not within 12 of white.
inline TRect Covered(const TPixelBuffer& px)
{
    TRect box{px.Width, px.Height, 0, 0};
    for (int y = 0; y < px.Height; ++y)
        for (int x = 0; x < px.Width; ++x)
            if (!Near(px.At(x, y), 0xFFFFFFFFu, 12)) {
                box.Left = std::min(box.Left, x), box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1), box.Bottom = std::max(box.Bottom, y + 1);
            }
    return box;
}

struct TCellComparison {
    int Cells = 0;    // of the grid
    int Differ = 0;   // whose mean colours differ by more than the tolerance
    int Coloured = 0; // not near white in the other drawing
};

// The mean colours of Cols x Rows cells of what Ours and Theirs cover.
inline TCellComparison CompareCells(const TPixelBuffer& ours, const TPixelBuffer& theirs, int cols = 40,
                                    int rows = 30, int tolerance = 80)
{
    const TRect a = Covered(ours), b = Covered(theirs);
    TCellComparison result;
    result.Cells = cols * rows;
    if (a.IsEmpty() || b.IsEmpty()) {
        result.Differ = result.Cells;
        return result;
    }
    const auto mean = [&](const TPixelBuffer& px, const TRect& box, int c, int r) {
        const int x0 = box.Left + box.Width() * c / cols, x1 = box.Left + box.Width() * (c + 1) / cols;
        const int y0 = box.Top + box.Height() * r / rows, y1 = box.Top + box.Height() * (r + 1) / rows;
        int64_t sum[3] = {0, 0, 0}, n = 0;
        for (int y = y0; y < std::max(y1, y0 + 1); ++y)
            for (int x = x0; x < std::max(x1, x0 + 1); ++x, ++n)
                for (int ch = 0; ch < 3; ++ch)
                    sum[ch] += (px.At(x, y) >> (8 * ch)) & 0xFF;
        return uint32_t(sum[2] / n) << 16 | uint32_t(sum[1] / n) << 8 | uint32_t(sum[0] / n);
    };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const uint32_t theirsMean = mean(theirs, b, c, r);
            result.Differ += !Near(mean(ours, a, c, r), theirsMean, tolerance);
            result.Coloured += !Near(theirsMean, 0xFFFFFFu, 15);
        }
    return result;
}

} // namespace picturecompare
