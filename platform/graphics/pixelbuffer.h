// TPixelBuffer: the pixels of a bitmap, icon or decoded picture, held without
// any toolkit type so that pictures can be made, loaded and compared headless.
// Pixels are 32-bit 0xAARRGGBB, premultiplied by alpha, rows top to bottom.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct TPixelBuffer {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels; // Width * Height entries

    TPixelBuffer() = default;
    TPixelBuffer(int width, int height, uint32_t fill = 0xFFFFFFFFu)
        : Width(width > 0 ? width : 0), Height(height > 0 ? height : 0),
          Pixels(static_cast<size_t>(Width) * static_cast<size_t>(Height), fill)
    {}
    bool Empty() const { return Width <= 0 || Height <= 0; }
    uint32_t& At(int x, int y) { return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + x]; }
    uint32_t At(int x, int y) const
    {
        return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + x];
    }
};
