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

namespace {

bool IsUnicode(TRVItemOptions ItemOptions)
{
    return ItemOptions.Contains(rvioUnicode);
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

int RVU_Length(const AnsiString& s, TRVItemOptions ItemOptions)
{
    return ClampedSize(IsUnicode(ItemOptions) ? s.size() / 2 : s.size());
}

AnsiString RVU_Copy(const AnsiString& s, int From, int Count, TRVItemOptions ItemOptions)
{
    if (!IsUnicode(ItemOptions))
        return Copy(s, From, Count);
    return Copy(s, 2 * static_cast<int64_t>(From) - 1, 2 * static_cast<int64_t>(Count));
}

void RVU_Delete(AnsiString& s, int Index, int Count, TRVItemOptions ItemOptions)
{
    if (!IsUnicode(ItemOptions))
        Delete(s, Index, Count);
    else
        Delete(s, 2 * static_cast<int64_t>(Index) - 1, 2 * static_cast<int64_t>(Count));
}

void RVU_Insert(const AnsiString& Sub, AnsiString& s, int Index, TRVItemOptions ItemOptions)
{
    if (!IsUnicode(ItemOptions))
        Insert(Sub, s, Index);
    else
        Insert(Sub, s, 2 * static_cast<int64_t>(Index) - 1);
}

int RVU_OffsInPChar(int Offset, TRVItemOptions ItemOptions)
{
    return IsUnicode(ItemOptions) ? Offset * 2 : Offset;
}

bool RVU_IsSpace(const AnsiString& s, int Index, TRVItemOptions ItemOptions)
{
    if (Index < 1 || Index > RVU_Length(s, ItemOptions))
        return false;
    if (!IsUnicode(ItemOptions))
        return s[static_cast<size_t>(Index) - 1] == ' ';
    const size_t low = 2 * (static_cast<size_t>(Index) - 1);
    return s[low] == ' ' && s[low + 1] == 0;
}

const WideChar* RVU_StrScanW(const WideChar* Str, WideChar Ch, int Length)
{
    if (!Str)
        return nullptr;
    for (int i = 0; i < Length; ++i)
        if (Str[i] == Ch)
            return Str + i;
    return nullptr;
}

void RVU_SwapWordBytes(char* Buffer, int Count)
{
    if (!Buffer)
        return;
    for (int i = 0; i < Count; ++i)
        std::swap(Buffer[2 * i], Buffer[2 * i + 1]);
}

void RVCheckUni(int64_t Length)
{
    if (Length % 2 != 0)
        throw ERollViewError(errRVUnicodeOperation);
}

WideString RVU_RawUnicodeToWideString(const AnsiString& s)
{
    RVCheckUni(static_cast<int64_t>(s.size()));
    WideString w(s.size() / 2, 0);
    for (size_t i = 0; i < w.size(); ++i)
        w[i] = static_cast<WideChar>(static_cast<unsigned char>(s[2 * i]) |
                                     static_cast<unsigned char>(s[2 * i + 1]) << 8);
    return w;
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

AnsiString RVU_AnsiToUnicode(unsigned CodePage, const AnsiString& s)
{
    if (s.empty())
        return AnsiString();
    const int count = ClampedSize(s.size());
    int length = MultiByteToWideChar(CodePage, AnsiToWideFlags, s.data(), count, nullptr, 0);
    if (length == 0 && CodePage != CP_ACP) {
        CodePage = CP_ACP;
        length = MultiByteToWideChar(CodePage, AnsiToWideFlags, s.data(), count, nullptr, 0);
    }
    if (length > 0) {
        WideString w(static_cast<size_t>(length), 0);
        const int written = MultiByteToWideChar(CodePage, AnsiToWideFlags, s.data(), count, w.data(), length);
        w.resize(static_cast<size_t>(written > 0 ? written : 0));
        if (!w.empty())
            return RVU_GetRawUnicode(w);
    }
    return RVU_GetRawUnicode(WideString(s.size(), u'?'));
}

AnsiString RVU_UnicodeToAnsi(unsigned CodePage, const AnsiString& s)
{
    if (s.empty())
        return AnsiString();
    const WideString w = RVU_RawUnicodeToWideString(s);
    const int count = ClampedSize(w.size());
    const char defaultChar[2] = {'?', 0};
    auto convert = [&](unsigned cp, char* out, int outSize) {
        return WideCharToMultiByte(cp, WideToAnsiFlags, w.data(), count, out, outSize, defaultChar, nullptr);
    };
    int length = convert(CodePage, nullptr, 0);
    if (length == 0 && CodePage != CP_ACP) {
        CodePage = CP_ACP;
        length = convert(CodePage, nullptr, 0);
    }
    if (length > 0) {
        AnsiString a(static_cast<size_t>(length), '\0');
        const int written = convert(CodePage, a.data(), length);
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

template <size_t N> unsigned ValueOf(const TCharsetValue (&Table)[N], int Charset, unsigned Default)
{
    for (const TCharsetValue& entry : Table)
        if (entry.Charset == Charset)
            return entry.Value;
    return Default;
}

} // namespace

unsigned RVU_Charset2CodePage(int Charset)
{
    return ValueOf(CharsetCodePages, Charset, CP_ACP);
}

unsigned RVU_Charset2Language(int Charset)
{
    return ValueOf(CharsetLanguages, Charset, LANG_NEUTRAL_DEFAULT);
}

TRVUnicodeTestResult RV_TestFileUnicode(const AnsiString& FileName)
{
    // Only a regular file is opened: opening a named pipe would wait for a writer.
    if (!FileExists(FileName))
        return rvutError;
    try {
        TFileStream stream(FileName, fmOpenRead | fmShareDenyNone);
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
