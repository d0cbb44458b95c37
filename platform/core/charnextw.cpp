// Character steps in UTF-16 text, with ICU's general categories for the marks.
#include "platform/core/charnextw.h"

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
UChar32 CodePointAt(const WideChar* p, int& Units)
{
    if (IsHigh(p[0]) && IsLow(p[1])) {
        Units = 2;
        return 0x10000 + ((UChar32(p[0]) - 0xD800) << 10) + (UChar32(p[1]) - 0xDC00);
    }
    Units = 1;
    return p[0];
}

bool IsCombining(UChar32 c)
{
    const int8_t Type = u_charType(c);
    return Type == U_NON_SPACING_MARK || Type == U_ENCLOSING_MARK || Type == U_COMBINING_SPACING_MARK;
}

// The start of the code point that ends just before p (p > Start).
const WideChar* PrevCodePoint(const WideChar* Start, const WideChar* p)
{
    --p;
    if (p > Start && IsLow(p[0]) && IsHigh(p[-1]))
        --p;
    return p;
}

} // namespace

const WideChar* CharNextW(const WideChar* Current)
{
    if (*Current == 0)
        return Current;
    int Units = 1;
    CodePointAt(Current, Units);
    const WideChar* p = Current + Units;
    while (*p != 0 && IsCombining(CodePointAt(p, Units)))
        p += Units;
    return p;
}

const WideChar* CharPrevW(const WideChar* Start, const WideChar* Current)
{
    if (Current <= Start)
        return Start;
    const WideChar* p = PrevCodePoint(Start, Current);
    int Units = 1;
    // A mark belongs to the character before it: step back to that character's base.
    while (p > Start && IsCombining(CodePointAt(p, Units)))
        p = PrevCodePoint(Start, p);
    return p;
}
