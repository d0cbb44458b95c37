// Pictures for the tests of the pixel budgets: run-length BMP files that
// hold many pixels in a few bytes, and smaller budgets set for one test.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/graphics/pixelbudget.h"

inline void AddLE32(std::string& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// An RLE8 BMP of Side x Side pixels, every row one run of the palette's only
// colour: a few bytes for many pixels.
inline std::string RleBmp(int side, uint32_t rgb)
{
    std::string bits;
    for (int y = 0; y < side; ++y) {
        for (int left = side; left > 0; left -= 255) {
            bits += static_cast<char>(std::min(left, 255));
            bits += '\0';
        }
        bits += std::string("\0\0", 2); // end of line
    }
    bits += std::string("\0\1", 2); // end of bitmap
    std::string header;
    AddLE32(header, 40);
    AddLE32(header, static_cast<uint32_t>(side));
    AddLE32(header, static_cast<uint32_t>(side));
    header += std::string("\1\0\x08\0", 4); // one plane, 8 bits
    AddLE32(header, 1);                     // BI_RLE8
    AddLE32(header, static_cast<uint32_t>(bits.size()));
    AddLE32(header, 3780);
    AddLE32(header, 3780);
    AddLE32(header, 1); // one palette entry
    AddLE32(header, 0);
    std::string palette;
    AddLE32(palette, rgb);
    std::string file = "BM";
    AddLE32(file, static_cast<uint32_t>(14 + header.size() + palette.size() + bits.size()));
    AddLE32(file, 0);
    AddLE32(file, static_cast<uint32_t>(14 + header.size() + palette.size()));
    return file + header + palette + bits;
}

// Sets smaller budgets for a test and puts the old ones back.
class TSmallPixelBudgets {
public:
    TSmallPixelBudgets(int64_t process, int64_t load)
        : FProcess(pixelbudget::SetProcessBudget(process)), FLoad(pixelbudget::SetLoadBudget(load))
    {}
    ~TSmallPixelBudgets()
    {
        pixelbudget::SetProcessBudget(FProcess);
        pixelbudget::SetLoadBudget(FLoad);
    }

private:
    int64_t FProcess;
    int64_t FLoad;
};
