// Character boundaries for the caret and the deleting keys.
#include "edit/rvchars.h"

#include "document/rvuni.h"
#include "platform/core/charnextw.h"
#include "platform/core/codepages.h"

namespace {

constexpr WideChar ZeroWidthJoiner = 0x200D;
constexpr unsigned CodePageUtf8 = 65001;

bool IsUtf8Continuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

} // namespace

std::vector<int> RVE_CharBoundaries(const AnsiString& text, bool unicode, unsigned codePage)
{
    std::vector<int> result;
    if (!unicode) {
        codePage = ResolveCodePage(codePage);
        const int count = static_cast<int>(text.size());
        for (int i = 1; i < count; ++i)
            if (codePage != CodePageUtf8 || !IsUtf8Continuation(static_cast<unsigned char>(text[i])))
                result.push_back(i);
        return result;
    }
    const WideString w = RVU_RawUnicodeToWideString(text.substr(0, text.size() / 2 * 2));
    const WideChar* start = w.c_str();
    const WideChar* end = start + w.size();
    const WideChar* p = start;
    while (p < end) {
        const WideChar* next = CharNextW(p);
        // A joiner and the character it joins stay with the one before.
        while (next < end && *next == ZeroWidthJoiner) {
            next = CharNextW(next);
            if (next < end)
                next = CharNextW(next);
        }
        if (next >= end || next == p)
            break;
        result.push_back(static_cast<int>(next - start));
        p = next;
    }
    return result;
}

int RVE_PrevCharUnits(const AnsiString& text, bool unicode, unsigned codePage, int index)
{
    if (index <= 0)
        return 0;
    int prev = 0;
    for (int b : RVE_CharBoundaries(text, unicode, codePage)) {
        if (b >= index)
            break;
        prev = b;
    }
    return index - prev;
}
