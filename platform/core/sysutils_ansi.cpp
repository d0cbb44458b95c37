// Text in the ANSI code page: case mapping and comparison by the letters of the
// code page (ICU's simple, locale-free case mapping per code point), and
// StringReplace, whose case-blind search uses the same mapping.
#include "platform/core/sysutils.h"

#include <unicode/uchar.h>

#include <array>
#include <vector>

#include "platform/core/codepages.h"

namespace {

enum class TCaseMap { Upper, Lower };

constexpr size_t NoBoundary = static_cast<size_t>(-1);

UChar32 MapCodePoint(UChar32 c, TCaseMap map)
{
    return map == TCaseMap::Upper ? u_toupper(c) : u_tolower(c);
}

// ---------------------------------------------------------------------------
// UTF-8, read strictly: overlong forms, surrogates and values past U+10FFFF are
// not characters. Returns the length of the character at s[i] (1 to 4) and its
// code point, or 0 when the bytes there do not start a valid character.

bool IsContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

size_t DecodeUtf8(const AnsiString& s, size_t i, char32_t& c)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    const size_t left = s.size() - i;
    if (b0 < 0x80) {
        c = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left < 2 || !IsContinuation(byte(i + 1)))
            return 0;
        c = (char32_t(b0 & 0x1F) << 6) | (byte(i + 1) & 0x3F);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3 || !IsContinuation(byte(i + 1)) || !IsContinuation(byte(i + 2)))
            return 0;
        const unsigned char b1 = byte(i + 1);
        if ((b0 == 0xE0 && b1 < 0xA0) || (b0 == 0xED && b1 > 0x9F)) // overlong, surrogate
            return 0;
        c = (char32_t(b0 & 0x0F) << 12) | (char32_t(b1 & 0x3F) << 6) | (byte(i + 2) & 0x3F);
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4 || !IsContinuation(byte(i + 1)) || !IsContinuation(byte(i + 2)) ||
            !IsContinuation(byte(i + 3)))
            return 0;
        const unsigned char b1 = byte(i + 1);
        if ((b0 == 0xF0 && b1 < 0x90) || (b0 == 0xF4 && b1 > 0x8F)) // overlong, past U+10FFFF
            return 0;
        c = (char32_t(b0 & 0x07) << 18) | (char32_t(b1 & 0x3F) << 12) | (char32_t(byte(i + 2) & 0x3F) << 6) |
            (byte(i + 3) & 0x3F);
        return 4;
    }
    return 0;
}

void AppendUtf8(AnsiString& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// ---------------------------------------------------------------------------
// UTF-16

// The code points of UTF-16 text; a lone surrogate stands for itself.
std::vector<char32_t> WideCodePoints(const WideString& w)
{
    std::vector<char32_t> points;
    points.reserve(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        char32_t c = w[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (w[i + 1] - 0xDC00);
            ++i;
        }
        points.push_back(c);
    }
    return points;
}

WideString WideOf(char32_t c)
{
    if (c < 0x10000)
        return WideString(1, static_cast<WideChar>(c));
    c -= 0x10000;
    return {static_cast<WideChar>(0xD800 + (c >> 10)), static_cast<WideChar>(0xDC00 + (c & 0x3FF))};
}

// ---------------------------------------------------------------------------
// Case mapping in code pages other than UTF-8

// One character of code page `cp` (its bytes) with its case mapped, or the bytes
// unchanged when they are not one character, when the mapped letter has no
// equivalent in the code page, or when it does not convert back to itself.
AnsiString MapCharacterBytes(unsigned cp, const AnsiString& bytes, TCaseMap map)
{
    const std::vector<char32_t> points = WideCodePoints(AnsiToWide(bytes, cp));
    if (points.size() != 1)
        return bytes;
    const char32_t mapped = static_cast<char32_t>(MapCodePoint(static_cast<UChar32>(points[0]), map));
    if (mapped == points[0])
        return bytes;
    const WideString wide = WideOf(mapped);
    AnsiString result = WideToAnsi(wide, cp);
    if (result.empty() || AnsiToWide(result, cp) != wide)
        return bytes;
    return result;
}

// Byte -> byte tables of a single-byte code page, built again only when the code page changes.
struct TByteCaseTables {
    unsigned CodePage = 0;
    bool Built = false;
    std::array<unsigned char, 256> Upper{};
    std::array<unsigned char, 256> Lower{};
};

const TByteCaseTables& ByteCaseTables(unsigned cp)
{
    static TByteCaseTables tables;
    if (tables.Built && tables.CodePage == cp)
        return tables;
    for (int b = 0; b < 256; ++b) {
        const AnsiString bytes(1, static_cast<char>(b));
        const AnsiString upper = MapCharacterBytes(cp, bytes, TCaseMap::Upper);
        const AnsiString lower = MapCharacterBytes(cp, bytes, TCaseMap::Lower);
        // A single-byte code page maps a byte to one byte; anything else stays as it is.
        tables.Upper[b] = static_cast<unsigned char>(upper.size() == 1 ? upper[0] : bytes[0]);
        tables.Lower[b] = static_cast<unsigned char>(lower.size() == 1 ? lower[0] : bytes[0]);
    }
    tables.CodePage = cp;
    tables.Built = true;
    return tables;
}

// Records in `boundaries` (when given) the source offset `source` for the result
// offset `resultStart` and marks the bytes up to `resultEnd` as inside the character.
void MarkCharacter(std::vector<size_t>* boundaries, size_t source, size_t resultStart, size_t resultEnd)
{
    if (!boundaries)
        return;
    boundaries->resize(resultEnd, NoBoundary);
    (*boundaries)[resultStart] = source;
}

// The text with every character's case mapped. When `boundaries` is given it
// receives one entry per byte of the result and one for its end: the offset in
// `s` of the character that starts at that byte, or NoBoundary inside a character.
AnsiString MapAnsiCase(const AnsiString& s, TCaseMap map, std::vector<size_t>* boundaries)
{
    AnsiString out;
    out.reserve(s.size());
    if (boundaries) {
        boundaries->clear();
        boundaries->reserve(s.size() + 1);
    }
    const unsigned cp = GetACP();
    if (cp == CP_UTF8) {
        for (size_t i = 0; i < s.size();) {
            const size_t start = out.size();
            char32_t c;
            size_t length = DecodeUtf8(s, i, c);
            if (length == 0) {
                out += s[i]; // not UTF-8: the byte stays as it is
                length = 1;
            } else {
                const char32_t mapped = static_cast<char32_t>(MapCodePoint(static_cast<UChar32>(c), map));
                if (mapped == c)
                    out.append(s, i, length);
                else
                    AppendUtf8(out, mapped);
            }
            MarkCharacter(boundaries, i, start, out.size());
            i += length;
        }
    } else if (CodePageMaxCharSize(cp) == 1) {
        const TByteCaseTables& tables = ByteCaseTables(cp);
        const auto& table = map == TCaseMap::Upper ? tables.Upper : tables.Lower;
        for (size_t i = 0; i < s.size(); ++i) {
            out += static_cast<char>(table[static_cast<unsigned char>(s[i])]);
            MarkCharacter(boundaries, i, i, i + 1);
        }
    } else {
        const char* const begin = s.data();
        const char* const end = begin + s.size();
        for (const char* p = begin; p < end;) {
            const char* next = CharNextExA(cp, p, end);
            if (next <= p) // never stall on a stepping function that does not advance
                next = p + 1;
            const size_t start = out.size();
            const size_t length = static_cast<size_t>(next - p);
            const unsigned char lead = static_cast<unsigned char>(*p);
            // The ANSI code pages are ASCII at a character start; the rest goes through Unicode.
            if (length == 1 && lead < 0x80)
                out += static_cast<char>(MapCodePoint(lead, map));
            else
                out += MapCharacterBytes(cp, AnsiString(p, length), map);
            MarkCharacter(boundaries, static_cast<size_t>(p - begin), start, out.size());
            p = next;
        }
    }
    if (boundaries)
        boundaries->push_back(s.size());
    return out;
}

// The code points of ANSI text for comparing. A byte that is not part of a
// character of UTF-8 becomes 0x110000 + its value: unequal to every character
// and to every other byte, and sorted after them all.
std::vector<char32_t> AnsiCodePoints(const AnsiString& s)
{
    const unsigned cp = GetACP();
    if (cp != CP_UTF8)
        return WideCodePoints(AnsiToWide(s, cp));
    std::vector<char32_t> points;
    points.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t c;
        const size_t length = DecodeUtf8(s, i, c);
        if (length == 0) {
            points.push_back(0x110000 + static_cast<unsigned char>(s[i]));
            ++i;
        } else {
            points.push_back(c);
            i += length;
        }
    }
    return points;
}

int CompareCodePoints(const std::vector<char32_t>& a, const std::vector<char32_t>& b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return (a.size() > b.size()) - (a.size() < b.size());
}

void FoldCase(std::vector<char32_t>& points)
{
    for (char32_t& c : points)
        if (c < 0x110000)
            c = static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

// KMP failure function: fail[i] is the length of the longest proper border of pattern[0..i].
std::vector<size_t> BorderTable(const AnsiString& pattern)
{
    std::vector<size_t> fail(pattern.size(), 0);
    for (size_t i = 1, k = 0; i < pattern.size(); ++i) {
        while (k > 0 && pattern[i] != pattern[k])
            k = fail[k - 1];
        if (pattern[i] == pattern[k])
            ++k;
        fail[i] = k;
    }
    return fail;
}

} // namespace

AnsiString AnsiUpperCase(const AnsiString& s)
{
    return MapAnsiCase(s, TCaseMap::Upper, nullptr);
}

AnsiString AnsiLowerCase(const AnsiString& s)
{
    return MapAnsiCase(s, TCaseMap::Lower, nullptr);
}

// The platform compares with the locale's collation; code-point order is a
// stable, locale-free stand-in that agrees with it on equality.
int AnsiCompareStr(const AnsiString& a, const AnsiString& b)
{
    return CompareCodePoints(AnsiCodePoints(a), AnsiCodePoints(b));
}

// Compares the case-folded code points (simple folding), as a stand-in for the
// platform's case-blind collation.
int AnsiCompareText(const AnsiString& a, const AnsiString& b)
{
    std::vector<char32_t> pa = AnsiCodePoints(a);
    std::vector<char32_t> pb = AnsiCodePoints(b);
    FoldCase(pa);
    FoldCase(pb);
    return CompareCodePoints(pa, pb);
}

bool AnsiSameText(const AnsiString& a, const AnsiString& b)
{
    return AnsiCompareText(a, b) == 0;
}

AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern, const AnsiString& newPattern,
                         int flags)
{
    if (oldPattern.empty() || s.empty())
        return s;
    const bool replaceAll = (flags & rfReplaceAll) != 0;
    const bool ignoreCase = (flags & rfIgnoreCase) != 0;

    // A case-blind search runs over upper-cased copies; `boundaries` leads a match
    // back to the source, and a match that cuts a character in two does not count.
    std::vector<size_t> boundaries;
    const AnsiString text = ignoreCase ? MapAnsiCase(s, TCaseMap::Upper, &boundaries) : AnsiString();
    const AnsiString pattern = ignoreCase ? AnsiUpperCase(oldPattern) : oldPattern;
    const AnsiString& haystack = ignoreCase ? text : s;
    const auto sourceOffset = [&](size_t offset) { return ignoreCase ? boundaries[offset] : offset; };

    // Knuth-Morris-Pratt: one pass over the text, whatever the pattern and the replacement.
    const std::vector<size_t> fail = BorderTable(pattern);
    const size_t m = pattern.size();
    AnsiString out;
    out.reserve(s.size());
    size_t copied = 0; // source bytes up to here are in `out` or replaced
    size_t k = 0;
    for (size_t i = 0; i < haystack.size(); ++i) {
        while (k > 0 && haystack[i] != pattern[k])
            k = fail[k - 1];
        if (haystack[i] == pattern[k])
            ++k;
        if (k < m)
            continue;
        const size_t from = sourceOffset(i + 1 - m);
        const size_t to = sourceOffset(i + 1);
        if (from == NoBoundary || to == NoBoundary) {
            k = fail[m - 1]; // not on character boundaries: keep looking
            continue;
        }
        out.append(s, copied, from - copied);
        out += newPattern;
        copied = to;
        k = 0; // matches do not overlap
        if (!replaceAll)
            break;
    }
    out.append(s, copied, AnsiString::npos);
    return out;
}
