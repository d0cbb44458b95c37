// Similarity scores of integers and colours.
#include "document/rvmapwht.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

#include "platform/core/colors.h"
#include "platform/core/numbers.h"

int RV_CompareInts(int value1, int value2, int weight)
{
    if (value1 == 0)
        return RV_Clamp32((1 - std::llabs(int64_t(value2))) * int64_t(weight));
    const long double diff = static_cast<long double>(std::llabs(int64_t(value1) - int64_t(value2)));
    const long double base = static_cast<long double>(std::llabs(int64_t(value1)));
    // The same expression, in the same order, as for small values, so that sane
    // inputs keep their exact rounding ((1 - 5/6) * 3 is a hair above 0.5 here).
    const long double score = (1.0L - diff / base) * weight;
    if (score >= static_cast<long double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (score <= static_cast<long double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return RV_Clamp32(Round(score));
}

int RV_CompareColors(TColor color1, TColor color2, int weight1, int weight2)
{
    if (color1 == clNone || color2 == clNone) {
        if (color1 == color2)
            return RV_Clamp32(3 * int64_t(weight1) + weight2);
        return 0;
    }
    const TColor rgb1 = ColorToRGB(color1);
    const TColor rgb2 = ColorToRGB(color2);
    int64_t score = 0;
    int bright1 = 0;
    int bright2 = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = (rgb1 >> shift) & 0xFF;
        const int b = (rgb2 >> shift) & 0xFF;
        if (a > 64)
            ++bright1;
        if (b > 64)
            ++bright2;
        // Integer division truncates toward zero, as the score's definition asks.
        score -= int64_t(std::abs(a - b)) * weight1 / 255;
    }
    if ((bright1 == 0) == (bright2 == 0))
        score += weight2;
    return RV_Clamp32(score);
}
