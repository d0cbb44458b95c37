// The search for a line-break position in UTF-16 text, by the line-break class of
// each code unit and the pair table of classes.
#include <algorithm>

#include "document/rvuni.h"
#include "document/rvuni_tables.h"

int RVU_GetUnicodeLineBreakClass(WideChar Ch)
{
    const TRVLineBreakRange* const begin = RVLineBreakRanges;
    const TRVLineBreakRange* const end = RVLineBreakRanges + RVLineBreakRangeCount;
    // The first range that ends at or after Ch; Ch has its class when the range starts at or before it.
    const TRVLineBreakRange* range =
        std::lower_bound(begin, end, Ch, [](const TRVLineBreakRange& r, WideChar c) { return r.Last < c; });
    return range != end && range->First <= Ch ? range->Class : rvlbAL;
}

const WideChar* RVU_FindLineBreak(const WideChar* Str, int Length, int TextLength)
{
    // Str[Length], the first unit that does not fit, is read: it must be in the text.
    if (!Str || Length < 0 || Length >= TextLength)
        return nullptr;
    constexpr WideChar Space = 0x0020;
    if (Str[Length] == Space)
        return Str + Length; // the line may end after that space
    int after = RVU_GetUnicodeLineBreakClass(Str[Length]);
    for (int i = Length - 1; i >= 0; --i) {
        // Spaces are transparent to the pair rules: the class after them stays.
        if (Str[i] == Space)
            continue;
        const int before = RVU_GetUnicodeLineBreakClass(Str[i]);
        int rule = RVLineBreakPairs[before * RVLineBreakClassCount + after];
        if (rule == 1 && Str[i + 1] != Space)
            rule = 2; // these classes break only across spaces
        if (rule != 2) {
            // The line keeps the spaces after the break point, up to Str[Length - 1].
            int j = i;
            while (j + 1 < Length && Str[j + 1] == Space)
                ++j;
            return Str + j;
        }
        after = before;
    }
    return nullptr;
}
