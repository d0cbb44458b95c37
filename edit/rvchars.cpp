// Character boundaries for the caret and the deleting keys.
#include "edit/rvchars.h"

#include "document/rvuni.h"
#include "platform/core/charnextw.h"
#include "platform/core/codepages.h"

namespace {

constexpr WideChar ZeroWidthJoiner = 0x200D;
constexpr unsigned CodePageUtf8 = 65001;

bool IsUtf8Continuation(unsigned char Byte)
{
    return (Byte & 0xC0) == 0x80;
}

} // namespace

std::vector<int> RVE_CharBoundaries(const AnsiString& Text, bool Unicode, unsigned CodePage)
{
    std::vector<int> Result;
    if (!Unicode) {
        CodePage = ResolveCodePage(CodePage);
        const int Count = static_cast<int>(Text.size());
        for (int i = 1; i < Count; ++i)
            if (CodePage != CodePageUtf8 || !IsUtf8Continuation(static_cast<unsigned char>(Text[i])))
                Result.push_back(i);
        return Result;
    }
    const WideString w = RVU_RawUnicodeToWideString(Text.substr(0, Text.size() / 2 * 2));
    const WideChar* Start = w.c_str();
    const WideChar* End = Start + w.size();
    const WideChar* p = Start;
    while (p < End) {
        const WideChar* Next = CharNextW(p);
        // A joiner and the character it joins stay with the one before.
        while (Next < End && *Next == ZeroWidthJoiner) {
            Next = CharNextW(Next);
            if (Next < End)
                Next = CharNextW(Next);
        }
        if (Next >= End || Next == p)
            break;
        Result.push_back(static_cast<int>(Next - Start));
        p = Next;
    }
    return Result;
}

int RVE_PrevCharUnits(const AnsiString& Text, bool Unicode, unsigned CodePage, int Index)
{
    if (Index <= 0)
        return 0;
    int Prev = 0;
    for (int b : RVE_CharBoundaries(Text, Unicode, CodePage)) {
        if (b >= Index)
            break;
        Prev = b;
    }
    return Index - Prev;
}
