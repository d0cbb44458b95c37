// The all-capitals form of a text, which keeps the text's length so that
// offsets into the original hold for what is shown; the text as a style shows
// it, copied only for capitals.
#include <climits>

#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "platform/core/codepages.h"
#include "platform/core/unicase.h"

namespace {

int ClampedSize(size_t n)
{
    return n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

// ANSI text in the ANSI code page, upper-cased character by character; a
// character whose capital has another byte length stays as it is.
AnsiString AnsiCapitals(std::string_view s)
{
    AnsiString out(s);
    const char* const begin = s.data();
    const char* const end = begin + s.size();
    for (const char* p = begin; p < end;) {
        const unsigned char lead = static_cast<unsigned char>(*p);
        if (lead < 0x80) {
            // ASCII is ASCII at a character start in every ANSI code page.
            if (lead >= 'a' && lead <= 'z')
                out[static_cast<size_t>(p - begin)] = static_cast<char>(lead - 'a' + 'A');
            ++p;
            continue;
        }
        const char* next = CharNext(p, end);
        if (next <= p) // never stall on a stepping function that does not advance
            next = p + 1;
        const size_t length = static_cast<size_t>(next - p);
        const AnsiString upper = AnsiUpperCase(AnsiString(p, length));
        if (upper.size() == length)
            out.replace(static_cast<size_t>(p - begin), length, upper);
        p = next;
    }
    return out;
}

} // namespace

AnsiString RV_ReturnCapitalized(std::string_view s, bool allCaps, bool unicode)
{
    if (!allCaps)
        return AnsiString(s);
    if (!unicode)
        return AnsiCapitals(s);
    // The raw units are upper-cased as a wide string; a trailing odd byte is not
    // text and stays as it is.
    WideString w = RVU_RawUnicodeUnits(s);
    CharUpperBuffW(w.data(), ClampedSize(w.size()));
    AnsiString out = RVU_GetRawUnicode(w);
    if (s.size() % 2 != 0)
        out += s.back();
    return out;
}

AnsiString RV_ReturnCapitalized(std::string_view s, const TFontInfo* textStyle)
{
    return RV_ReturnCapitalized(s, textStyle->StyleEx().Contains(rvfsAllCaps), textStyle->Unicode());
}

TRVShownText::TRVShownText(std::string_view s, const TFontInfo* textStyle) : FView(s)
{
    if (textStyle->StyleEx().Contains(rvfsAllCaps)) {
        FCaps = RV_ReturnCapitalized(s, true, textStyle->Unicode());
        FView = FCaps;
    }
}
