// Character boundaries for the caret, the deleting keys and the ends of a selection.
#include "view/rvchars.h"

#include "document/rvuni.h"
#include "platform/core/charnextw.h"
#include "platform/core/codepages.h"

namespace {

// The grapheme boundaries of UTF-8 bytes, as byte counts. Bytes that are no
// UTF-8 are characters of their own, as the code page reads them.
std::vector<int> Utf8Boundaries(const AnsiString& text)
{
    const char* start = text.data();
    const char* end = start + text.size();
    // The byte offset of every UTF-16 unit's character, and the units.
    std::vector<int> unitToByte;
    WideString units;
    for (const char* p = start; p < end;) {
        const char* next = CharNextExA(CP_UTF8, p, end);
        WideChar buffer[4];
        int n = MultiByteToWideChar(CP_UTF8, 0, p, static_cast<int>(next - p), buffer, 4);
        if (n <= 0) {
            buffer[0] = 0xFFFD;
            n = 1;
        }
        for (int k = 0; k < n; ++k) {
            units += buffer[k];
            unitToByte.push_back(static_cast<int>(p - start));
        }
        p = next;
    }
    std::vector<int> result;
    for (int b : GraphemeBoundaries(units.data(), static_cast<int>(units.size())))
        result.push_back(unitToByte[static_cast<size_t>(b)]);
    return result;
}

} // namespace

std::vector<int> RVE_CharBoundaries(const AnsiString& text, bool unicode, unsigned codePage)
{
    if (unicode) {
        const WideString w = RVU_RawUnicodeUnits(text);
        return GraphemeBoundaries(w.data(), static_cast<int>(w.size()));
    }
    codePage = ResolveCodePage(codePage);
    if (codePage == CP_UTF8)
        return Utf8Boundaries(text);
    std::vector<int> result;
    const char* start = text.data();
    const char* end = start + text.size();
    for (const char* p = CharNextExA(codePage, start, end); p < end; p = CharNextExA(codePage, p, end))
        result.push_back(static_cast<int>(p - start));
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
