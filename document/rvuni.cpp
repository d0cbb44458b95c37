// Item text in characters, code-page conversions and tables, and the UTF-16
// file test.
#include "document/rvuni.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "document/rvstr.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "platform/graphics/gdiobjects.h"

bool RVNT = true;

namespace {

bool IsUnicode(TRVItemOptions itemOptions)
{
    return itemOptions.Contains(rvioUnicode);
}

int ClampedSize(size_t n)
{
    return n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

// Flags of the conversions: precomposed characters and glyph characters for
// control codes one way, composite check, default character, separate characters
// and discarded non-spacing marks the other way (accepted by the platform's calls).
constexpr unsigned AnsiToWideFlags = 5;
constexpr unsigned WideToAnsiFlags = 0x270;

} // namespace

// ---------------------------------------------------------------------------
// Strings in characters

int RVU_Length(std::string_view s, TRVItemOptions itemOptions)
{
    return ClampedSize(IsUnicode(itemOptions) ? s.size() / 2 : s.size());
}

AnsiString RVU_Copy(const AnsiString& s, int from, int count, TRVItemOptions itemOptions)
{
    if (!IsUnicode(itemOptions))
        return Copy(s, from, count);
    return Copy(s, 2 * static_cast<int64_t>(from) - 1, 2 * static_cast<int64_t>(count));
}

void RVU_Delete(AnsiString& s, int index, int count, TRVItemOptions itemOptions)
{
    if (!IsUnicode(itemOptions))
        Delete(s, index, count);
    else
        Delete(s, 2 * static_cast<int64_t>(index) - 1, 2 * static_cast<int64_t>(count));
}

void RVU_Insert(const AnsiString& sub, AnsiString& s, int index, TRVItemOptions itemOptions)
{
    if (!IsUnicode(itemOptions))
        Insert(sub, s, index);
    else
        Insert(sub, s, 2 * static_cast<int64_t>(index) - 1);
}

int RVU_OffsInPChar(int offset, TRVItemOptions itemOptions)
{
    return IsUnicode(itemOptions) ? offset * 2 : offset;
}

bool RVU_IsSpace(std::string_view s, int index, TRVItemOptions itemOptions)
{
    if (index < 1 || index > RVU_Length(s, itemOptions))
        return false;
    if (!IsUnicode(itemOptions))
        return s[static_cast<size_t>(index) - 1] == ' ';
    const size_t low = 2 * (static_cast<size_t>(index) - 1);
    return s[low] == ' ' && s[low + 1] == 0;
}

const WideChar* RVU_StrScanW(const WideChar* str, WideChar ch, int length)
{
    if (!str)
        return nullptr;
    for (int i = 0; i < length; ++i)
        if (str[i] == ch)
            return str + i;
    return nullptr;
}

void RVU_SwapWordBytes(char* buffer, int count)
{
    if (!buffer)
        return;
    for (int i = 0; i < count; ++i)
        std::swap(buffer[2 * i], buffer[2 * i + 1]);
}

void RVCheckUni(int64_t length)
{
    if (length % 2 != 0)
        throw ERollViewError(errRVUnicodeOperation);
}

WideString RVU_RawUnicodeUnits(std::string_view bytes)
{
    WideString w(bytes.size() / 2, 0);
    for (size_t i = 0; i < w.size(); ++i)
        w[i] = RVU_RawUnicodeUnit(bytes.data(), i);
    return w;
}

WideString RVU_RawUnicodeToWideString(const AnsiString& s)
{
    RVCheckUni(static_cast<int64_t>(s.size()));
    return RVU_RawUnicodeUnits(s);
}

AnsiString RVU_GetRawUnicode(const WideString& s)
{
    AnsiString raw(s.size() * 2, '\0');
    for (size_t i = 0; i < s.size(); ++i) {
        raw[2 * i] = static_cast<char>(s[i] & 0xFF);
        raw[2 * i + 1] = static_cast<char>(s[i] >> 8);
    }
    return raw;
}

// ---------------------------------------------------------------------------
// Code pages

AnsiString RVU_AnsiToUnicode(unsigned codePage, const AnsiString& s)
{
    if (s.empty())
        return AnsiString();
    const int count = ClampedSize(s.size());
    int length = MultiByteToWideChar(codePage, AnsiToWideFlags, s.data(), count, nullptr, 0);
    if (length == 0 && codePage != CP_ACP) {
        codePage = CP_ACP;
        length = MultiByteToWideChar(codePage, AnsiToWideFlags, s.data(), count, nullptr, 0);
    }
    if (length > 0) {
        WideString w(static_cast<size_t>(length), 0);
        const int written = MultiByteToWideChar(codePage, AnsiToWideFlags, s.data(), count, w.data(), length);
        w.resize(static_cast<size_t>(written > 0 ? written : 0));
        if (!w.empty())
            return RVU_GetRawUnicode(w);
    }
    return RVU_GetRawUnicode(WideString(s.size(), u'?'));
}

AnsiString RVU_UnicodeToAnsi(unsigned codePage, const AnsiString& s)
{
    if (s.empty())
        return AnsiString();
    const WideString w = RVU_RawUnicodeToWideString(s);
    const int count = ClampedSize(w.size());
    const char defaultChar[2] = {'?', 0};
    auto convert = [&](unsigned cp, char* out, int outSize) {
        return WideCharToMultiByte(cp, WideToAnsiFlags, w.data(), count, out, outSize, defaultChar, nullptr);
    };
    int length = convert(codePage, nullptr, 0);
    if (length == 0 && codePage != CP_ACP) {
        codePage = CP_ACP;
        length = convert(codePage, nullptr, 0);
    }
    if (length > 0) {
        AnsiString a(static_cast<size_t>(length), '\0');
        const int written = convert(codePage, a.data(), length);
        a.resize(static_cast<size_t>(written > 0 ? written : 0));
        if (!a.empty())
            return a;
    }
    return AnsiString(w.size(), '?');
}

unsigned RVU_GetKeyboardCodePage()
{
    return GetACP();
}

AnsiString RVU_KeyToUnicode(const AnsiString& s)
{
    return RVU_AnsiToUnicode(RVU_GetKeyboardCodePage(), s);
}

namespace {

struct TCharsetValue {
    int Charset;
    unsigned Value;
};

// Character sets not listed have no code page of their own: the ANSI code page.
constexpr TCharsetValue CharsetCodePages[] = {
    {ANSI_CHARSET, 1252},    {DEFAULT_CHARSET, CP_ACP}, {SYMBOL_CHARSET, CP_ACP},
    {MAC_CHARSET, CP_MACCP}, {SHIFTJIS_CHARSET, 932},   {HANGEUL_CHARSET, 949},
    {JOHAB_CHARSET, 1361},   {GB2312_CHARSET, 936},     {CHINESEBIG5_CHARSET, 950},
    {GREEK_CHARSET, 1253},   {TURKISH_CHARSET, 1254},   {VIETNAMESE_CHARSET, 1258},
    {HEBREW_CHARSET, 1255},  {ARABIC_CHARSET, 1256},    {BALTIC_CHARSET, 1257},
    {RUSSIAN_CHARSET, 1251}, {THAI_CHARSET, 874},       {EASTEUROPE_CHARSET, 1250},
    {OEM_CHARSET, CP_OEMCP},
};

// Character sets not listed, Arabic and Baltic among them, give the neutral language.
constexpr TCharsetValue CharsetLanguages[] = {
    {SHIFTJIS_CHARSET, 0x411}, {HANGEUL_CHARSET, 0x412},     {JOHAB_CHARSET, 0x812},
    {GB2312_CHARSET, 0x804},   {CHINESEBIG5_CHARSET, 0x404}, {GREEK_CHARSET, 0x408},
    {TURKISH_CHARSET, 0x41F},  {VIETNAMESE_CHARSET, 0x42A},  {HEBREW_CHARSET, 0x40D},
    {RUSSIAN_CHARSET, 0x419},  {THAI_CHARSET, 0x41E},
};
constexpr unsigned LANG_NEUTRAL_DEFAULT = 0x400;

template <size_t N> unsigned ValueOf(const TCharsetValue (&table)[N], int charset, unsigned Default)
{
    for (const TCharsetValue& entry : table)
        if (entry.Charset == charset)
            return entry.Value;
    return Default;
}

} // namespace

unsigned RVU_Charset2CodePage(int charset)
{
    return ValueOf(CharsetCodePages, charset, CP_ACP);
}

unsigned RVU_Charset2Language(int charset)
{
    return ValueOf(CharsetLanguages, charset, LANG_NEUTRAL_DEFAULT);
}

TRVUnicodeTestResult RV_TestFileUnicode(const AnsiString& fileName)
{
    // Only a regular file is opened: opening a named pipe would wait for a writer.
    if (!FileExists(fileName))
        return rvutError;
    try {
        TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
        const int64_t size = stream.Size();
        if (size < 0)
            return rvutError;
        if (size == 0)
            return rvutEmpty;
        if (size % 2 != 0)
            return rvutNo;
        unsigned char mark[2];
        stream.ReadBuffer(mark, 2);
        const unsigned first = mark[0] | mark[1] << 8;
        if (first == 0xFEFF || first == 0xFFFE)
            return rvutYes;
        unsigned char sample[500];
        const int64_t count = std::min<int64_t>(size - 2, sizeof(sample));
        stream.ReadBuffer(sample, count);
        return std::memchr(sample, 0, static_cast<size_t>(count)) ? rvutYes : rvutProbably;
    } catch (...) {
        return rvutError;
    }
}
