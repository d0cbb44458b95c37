// Fonts for drawing a script, and comparing drawn text with a reference drawing by its ink: which pixels are
// dark, their bounding box, and how much of one drawing's ink has no ink of the
// other within a pixel, at the best of small shifts. Used where glyphs may land
// a pixel apart from a reference but must have the same forms.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct TInk {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Dark; // Width * Height
    int Left = 0, Right = -1, Top = 0, Bottom = -1;
    int Count = 0;

    // Pixel(x, y) gives 0xAARRGGBB; a pixel is ink when darker than mid grey.
    template <typename F> TInk(int width, int height, F pixel) : Width(width), Height(height)
    {
        Dark.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        Left = width;
        Top = height;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t p = pixel(x, y);
                const int gray = (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
                if (gray >= 160)
                    continue;
                Dark[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = 1;
                ++Count;
                Left = std::min(Left, x);
                Right = std::max(Right, x);
                Top = std::min(Top, y);
                Bottom = std::max(Bottom, y);
            }
    }
    bool At(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < Width && y < Height &&
               Dark[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)];
    }
};

// The share of A's ink with no ink of B within a pixel, B moved by (Dx, Dy).
inline double UnmatchedInk(const TInk& a, const TInk& b, int dx, int dy)
{
    int missed = 0;
    for (int y = 0; y < a.Height; ++y)
        for (int x = 0; x < a.Width; ++x) {
            if (!a.At(x, y))
                continue;
            bool near = false;
            for (int j = -1; j <= 1 && !near; ++j)
                for (int i = -1; i <= 1 && !near; ++i)
                    near = b.At(x + i - dx, y + j - dy);
            missed += !near;
        }
    return a.Count ? double(missed) / a.Count : 1.0;
}

// The worse of the two directions' unmatched shares, at the best shift of up to
// two pixels across and one down after lining up the left edges of the ink.
inline double InkMismatch(const TInk& ours, const TInk& theirs)
{
    double best = 1.0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const int shift = theirs.Left - ours.Left + dx;
            best = std::min(best, std::max(UnmatchedInk(ours, theirs, shift, dy),
                                           UnmatchedInk(theirs, ours, -shift, -dy)));
        }
    return best;
}

// The first family fontconfig lists for a pattern (":lang=ar"), preferring
// DejaVu Sans; empty when none (or fc-list is missing).
inline std::string InstalledFamilyFor(const std::string& pattern)
{
    std::string out;
    if (FILE* pipe = popen(("fc-list '" + pattern + "' family 2>/dev/null").c_str(), "r")) {
        char buf[512];
        while (fgets(buf, sizeof buf, pipe))
            out += buf;
        pclose(pipe);
    }
    std::string first;
    size_t at = 0;
    while (at < out.size()) {
        size_t end = out.find('\n', at);
        if (end == std::string::npos)
            end = out.size();
        std::string line = out.substr(at, end - at);
        line = line.substr(0, line.find(','));
        if (line == "DejaVu Sans")
            return line;
        if (first.empty())
            first = line;
        at = end + 1;
    }
    return first;
}
