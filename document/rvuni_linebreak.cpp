// The search for a line-break position in UTF-16 text, by the line-break class of
// each code unit and the pair table of classes.
#include <algorithm>

#include "document/rvuni.h"
#include "document/rvuni_tables.h"

int RVU_GetUnicodeLineBreakClass(WideChar ch)
{
    const TRVLineBreakRange* const begin = RVLineBreakRanges;
    const TRVLineBreakRange* const end = RVLineBreakRanges + RVLineBreakRangeCount;
    // The first range that ends at or after Ch; Ch has its class when the range starts at or before it.
    const TRVLineBreakRange* range =
        std::lower_bound(begin, end, ch, [](const TRVLineBreakRange& r, WideChar c) { return r.Last < c; });
    return range != end && range->First <= ch ? range->Class : rvlbAL;
}

const WideChar* RVU_FindLineBreak(const WideChar* str, int length, int textLength)
{
    // Str[Length], the first unit that does not fit, is read: it must be in the text.
    if (!str || length < 0 || length >= textLength)
        return nullptr;
    constexpr WideChar space = 0x0020;
    if (str[length] == space)
        return str + length; // the line may end after that space
    int after = RVU_GetUnicodeLineBreakClass(str[length]);
    for (int i = length - 1; i >= 0; --i) {
        // Spaces are transparent to the pair rules: the class after them stays.
        if (str[i] == space)
            continue;
        const int before = RVU_GetUnicodeLineBreakClass(str[i]);
        int rule = RVLineBreakPairs[before * RVLineBreakClassCount + after];
        if (rule == 1 && str[i + 1] != space)
            rule = 2; // these classes break only across spaces
        if (rule != 2) {
            // The line keeps the spaces after the break point, up to Str[Length - 1].
            int j = i;
            while (j + 1 < length && str[j + 1] == space)
                ++j;
            return str + j;
        }
        after = before;
    }
    return nullptr;
}
