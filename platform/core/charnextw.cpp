// Character steps in UTF-16 text, with ICU's general categories for the marks.
#include "platform/core/charnextw.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>

namespace {

bool IsHigh(WideChar c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(WideChar c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The code point at p and its length in units (a lone surrogate is one unit).
UChar32 CodePointAt(const WideChar* p, int& units)
{
    if (IsHigh(p[0]) && IsLow(p[1])) {
        units = 2;
        return 0x10000 + ((UChar32(p[0]) - 0xD800) << 10) + (UChar32(p[1]) - 0xDC00);
    }
    units = 1;
    return p[0];
}

bool IsCombining(UChar32 c)
{
    const int8_t type = u_charType(c);
    return type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_COMBINING_SPACING_MARK;
}

// The start of the code point that ends just before p (p > Start).
const WideChar* PrevCodePoint(const WideChar* start, const WideChar* p)
{
    --p;
    if (p > start && IsLow(p[0]) && IsHigh(p[-1]))
        --p;
    return p;
}

} // namespace

const WideChar* CharNextW(const WideChar* current)
{
    if (*current == 0)
        return current;
    int units = 1;
    CodePointAt(current, units);
    const WideChar* p = current + units;
    while (*p != 0 && IsCombining(CodePointAt(p, units)))
        p += units;
    return p;
}

const WideChar* CharPrevW(const WideChar* start, const WideChar* current)
{
    if (current <= start)
        return start;
    const WideChar* p = PrevCodePoint(start, current);
    int units = 1;
    // A mark belongs to the character before it: step back to that character's base.
    while (p > start && IsCombining(CodePointAt(p, units)))
        p = PrevCodePoint(start, p);
    return p;
}

std::vector<int> GraphemeBoundaries(const WideChar* text, int length)
{
    std::vector<int> result;
    if (text == nullptr || length <= 1)
        return result;
    // Opening a break iterator reads its rules: one is kept for the program
    // and given each text in turn.
    struct TIterator {
        UBreakIterator* Breaks = nullptr;
        ~TIterator()
        {
            if (Breaks)
                ubrk_close(Breaks);
        }
    };
    static TIterator iterator;
    UErrorCode status = U_ZERO_ERROR;
    if (!iterator.Breaks)
        iterator.Breaks = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
    if (U_SUCCESS(status) && iterator.Breaks)
        ubrk_setText(iterator.Breaks, reinterpret_cast<const UChar*>(text), length, &status);
    if (U_FAILURE(status) || !iterator.Breaks) {
        // Without the break rules, code points with their marks.
        const WideString copy(text, static_cast<size_t>(length));
        for (const WideChar* p = CharNextW(copy.c_str()); p < copy.c_str() + length; p = CharNextW(p))
            result.push_back(static_cast<int>(p - copy.c_str()));
        return result;
    }
    for (int32_t b = ubrk_next(iterator.Breaks); b != UBRK_DONE && b < length; b = ubrk_next(iterator.Breaks))
        result.push_back(b);
    return result;
}
