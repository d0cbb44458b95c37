// Length-keeping upper case of UTF-16 text through ICU's simple case mapping.
#include "platform/core/unicase.h"

#include <unicode/uchar.h>

namespace {

bool IsHighSurrogate(WideChar c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(WideChar c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

int CharUpperBuffW(WideChar* Buffer, int Count)
{
    if (!Buffer || Count < 1)
        return 0;
    for (int i = 0; i < Count;) {
        const WideChar c = Buffer[i];
        if (IsHighSurrogate(c) && i + 1 < Count && IsLowSurrogate(Buffer[i + 1])) {
            const UChar32 cp = 0x10000 + ((UChar32(c) - 0xD800) << 10) + (UChar32(Buffer[i + 1]) - 0xDC00);
            const UChar32 upper = u_toupper(cp);
            if (upper >= 0x10000) {
                Buffer[i] = static_cast<WideChar>(0xD800 + ((upper - 0x10000) >> 10));
                Buffer[i + 1] = static_cast<WideChar>(0xDC00 + ((upper - 0x10000) & 0x3FF));
            }
            i += 2;
            continue;
        }
        if (!IsHighSurrogate(c) && !IsLowSurrogate(c)) {
            const UChar32 upper = u_toupper(c);
            if (upper < 0x10000 && !(upper >= 0xD800 && upper <= 0xDFFF))
                Buffer[i] = static_cast<WideChar>(upper);
        }
        ++i;
    }
    return Count;
}
