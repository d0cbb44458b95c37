// Code pages: the ANSI, OEM and Mac code pages, the Windows-style conversion
// calls, our own UTF-8 coding and the stepping through multi-byte text.
#include "platform/core/codepages.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/core/codepages_icu.h"

using codepages_detail::FindCodePageTable;
using codepages_detail::TCodePageTable;

namespace {

// ---------------------------------------------------------------------------
// Locale and settings

unsigned ACPOverride = 0;
unsigned LocaleACP = 0; // 0 until the locale has been read
unsigned OEMCP = 0;
unsigned MacCP = 0;

constexpr unsigned DefaultOEMCP = 437;
constexpr unsigned DefaultMacCP = 10000;

// The character set part of a locale name: "language_TERRITORY.charset@modifier".
AnsiString CharsetOfLocaleName(const char* name)
{
    const char* dot = std::strchr(name, '.');
    if (!dot)
        return AnsiString();
    const char* at = std::strchr(dot, '@');
    return at ? AnsiString(dot + 1, at) : AnsiString(dot + 1);
}

AnsiString LocaleCharset()
{
    // The C library knows the character set of an installed locale even when its
    // name does not say it; newlocale reads LC_ALL, LC_CTYPE and LANG as setlocale does.
    if (locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0))) {
        AnsiString charset = nl_langinfo_l(CODESET, loc);
        freelocale(loc);
        return charset;
    }
    // A locale that is not installed: its name still says what the text is.
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value)
            return CharsetOfLocaleName(value);
    }
    return AnsiString();
}

bool IsDigits(const AnsiString& s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The code page of a character set name, matched ignoring case and punctuation;
// 65001 for ASCII, unknown names and names of pages not converted here.
unsigned CodePageOfCharset(const AnsiString& charset)
{
    AnsiString key;
    for (char c : charset) {
        if (c >= 'a' && c <= 'z')
            key.push_back(static_cast<char>(c - 'a' + 'A'));
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            key.push_back(c);
    }
    static const struct {
        const char* Name;
        unsigned CodePage;
    } names[] = {
        {"UTF8", CP_UTF8},    {"ISO88591", 1252},  {"ISO88592", 28592}, {"ISO88593", 28593},
        {"ISO88594", 28594},  {"ISO88595", 28595}, {"ISO88596", 28596}, {"ISO88597", 28597},
        {"ISO88598", 28598},  {"ISO88599", 28599}, {"ISO885911", 874},  {"ISO885913", 28603},
        {"ISO885915", 28605}, {"TIS620", 874},     {"KOI8R", 20866},    {"KOI8U", 21866},
        {"SJIS", 932},        {"SHIFTJIS", 932},   {"WINDOWS31J", 932}, {"MSKANJI", 932},
        {"GB2312", 936},      {"EUCCN", 936},      {"GBK", 936},        {"GB18030", 936},
        {"BIG5", 950},        {"BIG5HKSCS", 950},  {"EUCKR", 949},      {"UHC", 949},
        {"MACINTOSH", 10000}, {"MACROMAN", 10000},
    };
    unsigned codePage = CP_UTF8;
    for (const auto& entry : names)
        if (key == entry.Name)
            codePage = entry.CodePage;
    // "CP1251", "WINDOWS-1251", "IBM866": the number is the code page.
    for (const char* prefix : {"CP", "WINDOWS", "IBM"}) {
        size_t n = std::strlen(prefix);
        if (key.compare(0, n, prefix) == 0 && IsDigits(key.substr(n)) && key.size() - n <= 5)
            codePage = static_cast<unsigned>(std::atoi(key.c_str() + n));
    }
    return IsValidCodePage(codePage) && codePage >= 256 ? codePage : CP_UTF8;
}

// ---------------------------------------------------------------------------
// Converters

enum class TKind { None, Utf8, Symbol, Table };

struct TConverter {
    TKind Kind = TKind::None;
    const TCodePageTable* Table = nullptr;
};

TConverter ConverterOf(unsigned codePage)
{
    if (codePage == CP_UTF8)
        return {TKind::Utf8, nullptr};
    if (codePage == CP_SYMBOL)
        return {TKind::Symbol, nullptr};
    if (const TCodePageTable* table = FindCodePageTable(codePage))
        return {TKind::Table, table};
    return {};
}

// The converter of a code page, or of the ANSI code page for one not converted here.
TConverter FindConverter(unsigned codePage)
{
    TConverter cnv = ConverterOf(ResolveCodePage(codePage));
    return cnv.Kind != TKind::None ? cnv : ConverterOf(GetACP());
}

bool IsHighSurrogate(unsigned u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(unsigned u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}
bool IsContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at p (1 to 4 bytes, none of them past
// end), or 0 when p does not start one: overlong forms, surrogates and values
// past U+10FFFF are not well-formed.
int Utf8SequenceLength(const unsigned char* p, const unsigned char* end)
{
    unsigned b = p[0];
    if (b < 0x80)
        return 1;
    std::ptrdiff_t avail = end - p;
    if (b >= 0xC2 && b <= 0xDF)
        return avail >= 2 && IsContinuation(p[1]) ? 2 : 0;
    if (avail < 2)
        return 0;
    unsigned b1 = p[1];
    if (b >= 0xE0 && b <= 0xEF) {
        unsigned low = b == 0xE0 ? 0xA0 : 0x80;
        unsigned high = b == 0xED ? 0x9F : 0xBF;
        return b1 >= low && b1 <= high && avail >= 3 && IsContinuation(p[2]) ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        unsigned low = b == 0xF0 ? 0x90 : 0x80;
        unsigned high = b == 0xF4 ? 0x8F : 0xBF;
        return b1 >= low && b1 <= high && avail >= 4 && IsContinuation(p[2]) && IsContinuation(p[3]) ? 4 : 0;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Decoding. Every decoder writes at most one unit per byte, so the output is
// sized to the input first and shortened at the end.

WideChar* DecodeUtf8(const unsigned char* p, const unsigned char* end, WideChar* out)
{
    while (p < end) {
        unsigned b = *p;
        if (b < 0x80) {
            *out++ = static_cast<WideChar>(b);
            ++p;
            continue;
        }
        switch (Utf8SequenceLength(p, end)) {
        case 2:
            *out++ = static_cast<WideChar>((b & 0x1F) << 6 | (p[1] & 0x3F));
            p += 2;
            break;
        case 3:
            *out++ = static_cast<WideChar>((b & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
            p += 3;
            break;
        case 4: {
            unsigned cp = (b & 0x07) << 18 | (p[1] & 0x3F) << 12 | (p[2] & 0x3F) << 6 | (p[3] & 0x3F);
            cp -= 0x10000;
            *out++ = static_cast<WideChar>(0xD800 + (cp >> 10));
            *out++ = static_cast<WideChar>(0xDC00 + (cp & 0x3FF));
            p += 4;
            break;
        }
        default:
            // Not well-formed: this byte alone, as the code point of its value.
            *out++ = static_cast<WideChar>(b);
            ++p;
            break;
        }
    }
    return out;
}

WideChar* DecodeSymbol(const unsigned char* p, const unsigned char* end, WideChar* out)
{
    for (; p < end; ++p)
        *out++ = static_cast<WideChar>(*p < 0x20 ? *p : 0xF000 + *p);
    return out;
}

WideChar* DecodeTable(const TCodePageTable& table, const unsigned char* p, const unsigned char* end,
                      WideChar* out)
{
    while (p < end) {
        unsigned char b = *p;
        if (table.Lead[b] && end - p >= 2) {
            if (WideChar unit = table.Pair(b, p[1])) {
                *out++ = unit;
                p += 2;
                continue;
            }
        }
        *out++ = table.Single[b];
        ++p;
    }
    return out;
}

// Appends the decoded bytes to out.
void Decode(const TConverter& cnv, const char* bytes, size_t count, WideString& out)
{
    size_t start = out.size();
    out.resize(start + count);
    auto p = reinterpret_cast<const unsigned char*>(bytes);
    WideChar* first = &out[0] + start;
    WideChar* last = first;
    switch (cnv.Kind) {
    case TKind::Utf8:
        last = DecodeUtf8(p, p + count, first);
        break;
    case TKind::Symbol:
        last = DecodeSymbol(p, p + count, first);
        break;
    case TKind::Table:
        last = DecodeTable(*cnv.Table, p, p + count, first);
        break;
    case TKind::None:
        break;
    }
    out.resize(start + static_cast<size_t>(last - first));
}

// ---------------------------------------------------------------------------
// Encoding. At most three bytes per unit (UTF-8), so the output is sized to that
// first. Each encoder returns the end of its output and tells whether it wrote
// the default character.

char* EncodeUtf8(const WideChar* s, const WideChar* end, char* out)
{
    auto put = [&out](unsigned byte) { *out++ = static_cast<char>(byte); };
    while (s < end) {
        unsigned u = *s++;
        if (u < 0x80) {
            put(u);
        } else if (u < 0x800) {
            put(0xC0 | u >> 6);
            put(0x80 | (u & 0x3F));
        } else if (IsHighSurrogate(u) && s < end && IsLowSurrogate(*s)) {
            unsigned cp = 0x10000 + ((u - 0xD800) << 10) + (*s++ - 0xDC00u);
            put(0xF0 | cp >> 18);
            put(0x80 | (cp >> 12 & 0x3F));
            put(0x80 | (cp >> 6 & 0x3F));
            put(0x80 | (cp & 0x3F));
        } else {
            if (IsHighSurrogate(u) || IsLowSurrogate(u))
                u = 0xFFFD;
            put(0xE0 | u >> 12);
            put(0x80 | (u >> 6 & 0x3F));
            put(0x80 | (u & 0x3F));
        }
    }
    return out;
}

char* EncodeSymbol(const WideChar* s, const WideChar* end, char* out, char defaultChar, bool& usedDefault)
{
    while (s < end) {
        unsigned u = *s++;
        if (u < 0x20) {
            *out++ = static_cast<char>(u);
        } else if (u >= 0xF020 && u <= 0xF0FF) {
            *out++ = static_cast<char>(u - 0xF000);
        } else {
            if (IsHighSurrogate(u) && s < end && IsLowSurrogate(*s))
                ++s;
            *out++ = defaultChar;
            usedDefault = true;
        }
    }
    return out;
}

// The first byte that unit u would be written as (before the lead-byte check below).
unsigned FirstByteOf(const TCodePageTable& table, unsigned u, char defaultChar)
{
    if (u == 0)
        return 0;
    unsigned bytes = table.Reverse[u];
    if (bytes == 0 || IsHighSurrogate(u) || IsLowSurrogate(u))
        return static_cast<unsigned char>(defaultChar);
    return bytes >= 0x100 ? bytes >> 8 : bytes;
}

char* EncodeTable(const TCodePageTable& table, const WideChar* s, const WideChar* end, char* out,
                  char defaultChar, bool& usedDefault)
{
    while (s < end) {
        unsigned u = *s++;
        if (u < 0x80) {
            *out++ = static_cast<char>(u);
            continue;
        }
        unsigned bytes = (IsHighSurrogate(u) || IsLowSurrogate(u)) ? 0 : table.Reverse[u];
        if (bytes >= 0x100) {
            *out++ = static_cast<char>(bytes >> 8);
            *out++ = static_cast<char>(bytes & 0xFF);
            continue;
        }
        // A lead byte written alone (it came from a lone lead byte) must not pair
        // with the byte that follows it, or the text would read back differently.
        if (bytes != 0 && table.Lead[bytes] && s < end &&
            table.Pair(static_cast<unsigned char>(bytes),
                       static_cast<unsigned char>(FirstByteOf(table, *s, defaultChar))) != 0)
            bytes = 0;
        if (bytes != 0) {
            *out++ = static_cast<char>(bytes);
            continue;
        }
        if (IsHighSurrogate(u) && s < end && IsLowSurrogate(*s))
            ++s; // one default character for the whole character
        *out++ = defaultChar;
        usedDefault = true;
    }
    return out;
}

// Appends the encoded units to out; returns whether the default character was used.
bool Encode(const TConverter& cnv, const WideChar* units, size_t count, const char* defaultChar,
            AnsiString& out)
{
    char def = defaultChar ? *defaultChar : '?';
    if (cnv.Kind == TKind::Table && cnv.Table->Lead[static_cast<unsigned char>(def)])
        def = '?';
    size_t start = out.size();
    out.resize(start + 3 * count);
    char* first = &out[0] + start;
    char* last = first;
    bool usedDefault = false;
    switch (cnv.Kind) {
    case TKind::Utf8:
        last = EncodeUtf8(units, units + count, first);
        break;
    case TKind::Symbol:
        last = EncodeSymbol(units, units + count, first, def, usedDefault);
        break;
    case TKind::Table:
        last = EncodeTable(*cnv.Table, units, units + count, first, def, usedDefault);
        break;
    case TKind::None:
        break;
    }
    out.resize(start + static_cast<size_t>(last - first));
    return usedDefault;
}

// ---------------------------------------------------------------------------
// Stepping

const unsigned char* Bytes(const char* p)
{
    return reinterpret_cast<const unsigned char*>(p);
}

const char* NextChar(const TConverter& cnv, const char* current, const char* end)
{
    if (cnv.Kind == TKind::Utf8) {
        int length = Utf8SequenceLength(Bytes(current), Bytes(end));
        return current + (length > 0 ? length : 1);
    }
    if (cnv.Kind == TKind::Table && cnv.Table->Lead[Bytes(current)[0]] && end - current >= 2 &&
        cnv.Table->Pair(Bytes(current)[0], Bytes(current)[1]) != 0)
        return current + 2;
    return current + 1;
}

const char* PrevChar(const TConverter& cnv, const char* start, const char* current)
{
    if (cnv.Kind == TKind::Utf8) {
        // A well-formed sequence of k bytes that ends exactly at current is one
        // character; anything else leaves the last byte a character of its own.
        const char* q = current - 1;
        for (int k = 2; k <= 4 && q > start && IsContinuation(Bytes(q)[0]); ++k) {
            --q;
            if (Utf8SequenceLength(Bytes(q), Bytes(current)) == k)
                return q;
        }
        return current - 1;
    }
    if (cnv.Kind != TKind::Table || cnv.Table->MaxCharSize == 1)
        return current - 1;
    // A byte that cannot lead ends a character. From the last such byte before
    // current - 1, the characters are found going forward.
    const char* sync = current - 1;
    while (sync > start && cnv.Table->Lead[Bytes(sync)[-1]])
        --sync;
    const char* prev = sync;
    for (const char* p = sync; p < current; p = NextChar(cnv, p, current))
        prev = p;
    return prev;
}

template <typename Char> bool CountArgument(const Char* text, int count, size_t& length)
{
    if (!text || count == 0 || count < -1)
        return false;
    if (count == -1) {
        length = 0;
        while (text[length] != 0)
            ++length;
        ++length; // the terminating zero is converted too
    } else {
        length = static_cast<size_t>(count);
    }
    return true;
}

// Copies a converted text out in the Windows manner: its length when no output
// is given, 0 when it does not fit, else the number of elements written.
template <typename String, typename Char> int CopyOut(const String& converted, Char* out, int outSize)
{
    if (converted.size() > static_cast<size_t>(INT_MAX))
        return 0;
    int length = static_cast<int>(converted.size());
    if (!out || outSize == 0)
        return length;
    if (length > outSize)
        return 0;
    std::copy(converted.begin(), converted.end(), out);
    return length;
}

} // namespace

// ---------------------------------------------------------------------------
// Code-page settings

unsigned GetACP()
{
    if (ACPOverride)
        return ACPOverride;
    if (LocaleACP == 0)
        LocaleACP = CodePageOfCharset(LocaleCharset());
    return LocaleACP;
}

void SetACP(unsigned codePage)
{
    ACPOverride = codePage;
    if (codePage == 0)
        LocaleACP = 0;
}

unsigned GetOEMCP()
{
    return OEMCP ? OEMCP : DefaultOEMCP;
}

void SetOEMCP(unsigned codePage)
{
    OEMCP = codePage;
}

unsigned GetMacCP()
{
    return MacCP ? MacCP : DefaultMacCP;
}

void SetMacCP(unsigned codePage)
{
    MacCP = codePage;
}

unsigned ResolveCodePage(unsigned codePage)
{
    switch (codePage) {
    case CP_ACP:
    case CP_THREAD_ACP:
        return GetACP();
    case CP_OEMCP:
        return GetOEMCP();
    case CP_MACCP:
        return GetMacCP();
    default:
        return codePage;
    }
}

bool IsValidCodePage(unsigned codePage)
{
    return ConverterOf(ResolveCodePage(codePage)).Kind != TKind::None;
}

int CodePageMaxCharSize(unsigned codePage)
{
    TConverter cnv = FindConverter(codePage);
    switch (cnv.Kind) {
    case TKind::Utf8:
        return 4;
    case TKind::Table:
        return cnv.Table->MaxCharSize;
    default:
        return 1;
    }
}

bool IsDBCSLeadByteEx(unsigned codePage, unsigned char byte)
{
    TConverter cnv = FindConverter(codePage);
    if (cnv.Kind == TKind::Utf8)
        return byte >= 0xC2 && byte <= 0xF4;
    return cnv.Kind == TKind::Table && cnv.Table->Lead[byte];
}

// ---------------------------------------------------------------------------
// Conversions

int MultiByteToWideChar(unsigned codePage, unsigned /*Flags*/, const char* multiByteStr, int count,
                        WideChar* wideCharStr, int outSize)
{
    size_t length;
    if (!CountArgument(multiByteStr, count, length) || outSize < 0)
        return 0;
    TConverter cnv = FindConverter(codePage);
    if (cnv.Kind == TKind::None)
        return 0;
    WideString converted;
    Decode(cnv, multiByteStr, length, converted);
    return CopyOut(converted, wideCharStr, outSize);
}

int WideCharToMultiByte(unsigned codePage, unsigned /*Flags*/, const WideChar* wideCharStr, int count,
                        char* multiByteStr, int outSize, const char* defaultChar, bool* usedDefaultChar)
{
    if (usedDefaultChar)
        *usedDefaultChar = false;
    size_t length;
    if (!CountArgument(wideCharStr, count, length) || outSize < 0)
        return 0;
    TConverter cnv = FindConverter(codePage);
    if (cnv.Kind == TKind::None)
        return 0;
    AnsiString converted;
    bool usedDefault = Encode(cnv, wideCharStr, length, defaultChar, converted);
    if (usedDefaultChar)
        *usedDefaultChar = usedDefault;
    return CopyOut(converted, multiByteStr, outSize);
}

WideString AnsiToWide(const AnsiString& s, unsigned codePage)
{
    WideString result;
    TConverter cnv = FindConverter(codePage);
    if (cnv.Kind == TKind::None)
        result.assign(s.size(), u'?');
    else
        Decode(cnv, s.data(), s.size(), result);
    return result;
}

AnsiString WideToAnsi(const WideString& s, unsigned codePage)
{
    AnsiString result;
    TConverter cnv = FindConverter(codePage);
    if (cnv.Kind == TKind::None)
        result.assign(s.size(), '?');
    else
        Encode(cnv, s.data(), s.size(), nullptr, result);
    return result;
}

WideString UTF8Decode(const AnsiString& s)
{
    WideString result;
    Decode({TKind::Utf8, nullptr}, s.data(), s.size(), result);
    return result;
}

AnsiString UTF8Encode(const WideString& s)
{
    AnsiString result;
    Encode({TKind::Utf8, nullptr}, s.data(), s.size(), nullptr, result);
    return result;
}

// ---------------------------------------------------------------------------
// Stepping

const char* CharNextExA(unsigned codePage, const char* current, const char* end)
{
    if (!current || !end || current >= end)
        return current;
    return NextChar(FindConverter(codePage), current, end);
}

const char* CharPrevExA(unsigned codePage, const char* start, const char* current)
{
    if (!start || !current || current <= start)
        return start;
    return PrevChar(FindConverter(codePage), start, current);
}

const char* Utf8LeadCharAt(const char* current, const char* end, unsigned& codePoint)
{
    const unsigned char* p = Bytes(current);
    const unsigned b = p[0];
    switch (Utf8SequenceLength(p, Bytes(end))) {
    case 2:
        codePoint = (b & 0x1F) << 6 | (p[1] & 0x3F);
        return current + 2;
    case 3:
        codePoint = (b & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
        return current + 3;
    case 4:
        codePoint = (b & 0x07) << 18 | (p[1] & 0x3F) << 12 | (p[2] & 0x3F) << 6 | (p[3] & 0x3F);
        return current + 4;
    default:
        codePoint = b;
        return current + 1;
    }
}

const char* CharNext(const char* current, const char* end)
{
    return CharNextExA(CP_ACP, current, end);
}

const char* CharPrev(const char* start, const char* current)
{
    return CharPrevExA(CP_ACP, start, current);
}
