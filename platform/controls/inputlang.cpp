// The character sets of keyboard languages and layouts, and the notice sent
// to the focused window when the keyboard's language changes.
#include "platform/controls/inputlang.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "platform/controls/messages.h"
#include "platform/controls/winapi.h"

namespace {

struct TCharsetNames {
    TFontCharset Charset;
    std::initializer_list<const char*> Names;
};

// ISO 639 codes of the languages written with each national character set.
const TCharsetNames LanguageCharsets[] = {
    {RUSSIAN_CHARSET, {"ru", "uk", "be", "bg", "mk", "sr", "kk", "ky", "mn", "tg", "tt", "ba", "cv"}},
    {GREEK_CHARSET, {"el"}},
    {TURKISH_CHARSET, {"tr", "az"}},
    {EASTEUROPE_CHARSET, {"cs", "sk", "pl", "hu", "sl", "hr", "ro", "sq", "bs"}},
    {BALTIC_CHARSET, {"lt", "lv", "et"}},
    {HEBREW_CHARSET, {"he", "iw", "yi"}},
    {ARABIC_CHARSET, {"ar", "fa", "ur"}},
    {THAI_CHARSET, {"th"}},
    {VIETNAMESE_CHARSET, {"vi"}},
};

// XKB layout names (mostly countries) of the same languages.
const TCharsetNames LayoutCharsets[] = {
    {RUSSIAN_CHARSET, {"ru", "ua", "by", "bg", "mk", "rs", "kz", "kg", "mn", "tj"}},
    {GREEK_CHARSET, {"gr"}},
    {TURKISH_CHARSET, {"tr", "az"}},
    {EASTEUROPE_CHARSET, {"cz", "sk", "pl", "hu", "si", "hr", "ro", "al", "ba"}},
    {BALTIC_CHARSET, {"lt", "lv", "ee"}},
    {HEBREW_CHARSET, {"il"}},
    {ARABIC_CHARSET, {"ara", "ir", "pk", "iq", "sy"}},
    {THAI_CHARSET, {"th"}},
    {VIETNAMESE_CHARSET, {"vn"}},
};

// Name up to the first of Stops, trimmed and in lower case.
AnsiString Stem(const AnsiString& name, const char* stops)
{
    AnsiString s = name.substr(0, name.find_first_of(stops));
    const size_t first = s.find_first_not_of(" \t");
    if (first == AnsiString::npos)
        return AnsiString();
    s = s.substr(first, s.find_last_not_of(" \t") - first + 1);
    std::transform(s.begin(), s.end(), s.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

template <size_t N> TFontCharset Lookup(const TCharsetNames (&table)[N], const AnsiString& stem)
{
    for (const TCharsetNames& entry : table)
        for (const char* n : entry.Names)
            if (stem == n)
                return entry.Charset;
    return ANSI_CHARSET;
}

} // namespace

TFontCharset CharsetOfLanguage(const AnsiString& language)
{
    return Lookup(LanguageCharsets, Stem(language, "_-.@"));
}

TFontCharset CharsetOfXkbLayout(const AnsiString& layout)
{
    return Lookup(LayoutCharsets, Stem(layout, "(:"));
}

AnsiString XkbLayoutOfGroup(const AnsiString& layouts, int group)
{
    if (group < 0)
        return AnsiString();
    size_t start = 0;
    for (int i = 0; i < group; ++i) {
        start = layouts.find(',', start);
        if (start == AnsiString::npos)
            return AnsiString();
        ++start;
    }
    const size_t end = layouts.find(',', start);
    return Stem(layouts.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start), "");
}

void InputLanguageChanged(TFontCharset charset)
{
    if (HWND focus = GetFocus())
        SendMessage(focus, WM_INPUTLANGCHANGE, charset, 0);
}
