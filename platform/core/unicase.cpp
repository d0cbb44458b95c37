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

int CharUpperBuffW(WideChar* buffer, int count)
{
    if (!buffer || count < 1)
        return 0;
    for (int i = 0; i < count;) {
        const WideChar c = buffer[i];
        if (IsHighSurrogate(c) && i + 1 < count && IsLowSurrogate(buffer[i + 1])) {
            const UChar32 cp = 0x10000 + ((UChar32(c) - 0xD800) << 10) + (UChar32(buffer[i + 1]) - 0xDC00);
            const UChar32 upper = u_toupper(cp);
            if (upper >= 0x10000) {
                buffer[i] = static_cast<WideChar>(0xD800 + ((upper - 0x10000) >> 10));
                buffer[i + 1] = static_cast<WideChar>(0xDC00 + ((upper - 0x10000) & 0x3FF));
            }
            i += 2;
            continue;
        }
        if (!IsHighSurrogate(c) && !IsLowSurrogate(c)) {
            const UChar32 upper = u_toupper(c);
            if (upper < 0x10000 && !(upper >= 0xD800 && upper <= 0xDFFF))
                buffer[i] = static_cast<WideChar>(upper);
        }
        ++i;
    }
    return count;
}
