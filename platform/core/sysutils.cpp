// String functions of the class library (1-based positions, ASCII case) and
// integers as text.
#include "platform/core/sysutils.h"

#include <algorithm>
#include <limits>

namespace {

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}
char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

int Sign(int difference)
{
    return (difference > 0) - (difference < 0);
}

// -1, 0 or 1 after comparing bytes as unsigned values through `fold`; a string
// that is a prefix of the other is the smaller.
template <typename Fold> int CompareBytes(const AnsiString& a, const AnsiString& b, Fold fold)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const int ca = static_cast<unsigned char>(fold(a[i]));
        const int cb = static_cast<unsigned char>(fold(b[i]));
        if (ca != cb)
            return Sign(ca - cb);
    }
    return (a.size() > b.size()) - (a.size() < b.size());
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// Reads an integer whose magnitude must not exceed `maxPositive` (decimal,
// positive), `maxNegative` (any base, after '-') or `maxHex` (hexadecimal
// without '-', read as a bit pattern of the target width, so "$FFFFFFFF" is -1
// for 32 bits). Leading spaces, then an optional sign, then "$", "0x" or "0X"
// for hexadecimal; nothing may follow the digits.
bool ParseInteger(const AnsiString& s, uint64_t maxPositive, uint64_t maxNegative, uint64_t maxHex,
                  bool& negative, uint64_t& magnitude)
{
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size())
        return false;
    const uint64_t limit = negative ? maxNegative : (base == 16 ? maxHex : maxPositive);
    magnitude = 0;
    for (; i < s.size(); ++i) {
        const int digit = base == 16 ? HexDigitValue(s[i]) : ((s[i] >= '0' && s[i] <= '9') ? s[i] - '0' : -1);
        if (digit < 0)
            return false;
        // magnitude * base + digit <= limit, checked without overflowing.
        if (magnitude > (limit - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base))
            return false;
        magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    return true;
}

[[noreturn]] void InvalidInteger(const AnsiString& s)
{
    throw EConvertError(Format(SysConst::SInvalidInteger, {s}));
}

} // namespace

namespace {

// The value of each byte as a hexadecimal digit, -1 for any other byte: the
// readers of hexadecimal text look up every digit of long runs of it.
struct THexDigitValues {
    signed char Value[256];
    constexpr THexDigitValues() : Value()
    {
        for (int c = 0; c < 256; ++c)
            Value[c] = static_cast<signed char>(c >= '0' && c <= '9'   ? c - '0'
                                                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                       : -1);
    }
};
constexpr THexDigitValues HexDigitValues;

} // namespace

int HexDigitValue(char c)
{
    return HexDigitValues.Value[static_cast<unsigned char>(c)];
}

// ---------------------------------------------------------------------------
// 1-based substrings

AnsiString Copy(const AnsiString& s, int64_t index, int64_t count)
{
    if (index < 1)
        index = 1;
    const int64_t length = static_cast<int64_t>(s.size());
    if (count <= 0 || index > length)
        return AnsiString();
    return s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(std::min(count, length - index + 1)));
}

int Pos(const AnsiString& sub, const AnsiString& s)
{
    return PosEx(sub, s, 1);
}

int PosEx(const AnsiString& sub, const AnsiString& s, int offset)
{
    if (sub.empty() || offset < 1 || static_cast<size_t>(offset) > s.size())
        return 0;
    const size_t found = s.find(sub, static_cast<size_t>(offset) - 1);
    // Positions are int: a match beyond 2 GiB cannot be reported and counts as none.
    if (found == AnsiString::npos || found >= static_cast<size_t>(std::numeric_limits<int>::max()))
        return 0;
    return static_cast<int>(found) + 1;
}

void Delete(AnsiString& s, int64_t index, int64_t count)
{
    const int64_t length = static_cast<int64_t>(s.size());
    if (index < 1 || index > length || count <= 0)
        return;
    s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(std::min(count, length - index + 1)));
}

void Insert(const AnsiString& sub, AnsiString& s, int64_t index)
{
    const int64_t length = static_cast<int64_t>(s.size());
    index = std::clamp<int64_t>(index, 1, length + 1);
    s.insert(static_cast<size_t>(index - 1), sub);
}

AnsiString StringOfChar(char c, int count)
{
    return count > 0 ? AnsiString(static_cast<size_t>(count), c) : AnsiString();
}

// ---------------------------------------------------------------------------
// ASCII case and comparison

AnsiString UpperCase(const AnsiString& s)
{
    AnsiString result(s);
    std::transform(result.begin(), result.end(), result.begin(), AsciiUpper);
    return result;
}

AnsiString LowerCase(const AnsiString& s)
{
    AnsiString result(s);
    std::transform(result.begin(), result.end(), result.begin(), AsciiLower);
    return result;
}

int CompareStr(const AnsiString& a, const AnsiString& b)
{
    return CompareBytes(a, b, [](char c) { return c; });
}

// Letters are compared as upper case, so '_' sorts after the letters as in the class library.
int CompareText(const AnsiString& a, const AnsiString& b)
{
    return CompareBytes(a, b, AsciiUpper);
}

bool SameText(const AnsiString& a, const AnsiString& b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

// ---------------------------------------------------------------------------
// Trimming

AnsiString Trim(const AnsiString& s)
{
    size_t first = 0;
    size_t last = s.size();
    while (first < last && IsBlank(s[first]))
        ++first;
    while (last > first && IsBlank(s[last - 1]))
        --last;
    return s.substr(first, last - first);
}

AnsiString TrimLeft(const AnsiString& s)
{
    size_t first = 0;
    while (first < s.size() && IsBlank(s[first]))
        ++first;
    return s.substr(first);
}

AnsiString TrimRight(const AnsiString& s)
{
    size_t last = s.size();
    while (last > 0 && IsBlank(s[last - 1]))
        --last;
    return s.substr(0, last);
}

// ---------------------------------------------------------------------------
// Integers as text

AnsiString IntToStr(int64_t value)
{
    return std::to_string(value);
}

AnsiString IntToHex(int64_t value, int digits)
{
    // A negative value of 32 bits shows its 32-bit pattern (as the integer form
    // of the class library does), a wider one its 64 bits.
    uint64_t bits = (value < 0 && value >= std::numeric_limits<int32_t>::min())
                        ? static_cast<uint32_t>(value)
                        : static_cast<uint64_t>(value);
    AnsiString text;
    do {
        text.push_back("0123456789ABCDEF"[bits & 0xF]);
        bits >>= 4;
    } while (bits);
    if (digits > static_cast<int>(text.size()))
        text.append(static_cast<size_t>(digits) - text.size(), '0');
    std::reverse(text.begin(), text.end());
    return text;
}

bool TryStrToInt(const AnsiString& s, int& value)
{
    bool negative;
    uint64_t magnitude;
    if (!ParseInteger(s, std::numeric_limits<int32_t>::max(), uint64_t{1} << 31,
                      std::numeric_limits<uint32_t>::max(), negative, magnitude))
        return false;
    // Unsigned arithmetic then the 32-bit pattern: -2^31 and "$FFFFFFFF" need no signed overflow.
    value = static_cast<int>(static_cast<uint32_t>(negative ? 0 - magnitude : magnitude));
    return true;
}

bool TryStrToInt64(const AnsiString& s, int64_t& value)
{
    bool negative;
    uint64_t magnitude;
    if (!ParseInteger(s, std::numeric_limits<int64_t>::max(), uint64_t{1} << 63,
                      std::numeric_limits<uint64_t>::max(), negative, magnitude))
        return false;
    value = static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
    return true;
}

int StrToInt(const AnsiString& s)
{
    int value;
    if (!TryStrToInt(s, value))
        InvalidInteger(s);
    return value;
}

int64_t StrToInt64(const AnsiString& s)
{
    int64_t value;
    if (!TryStrToInt64(s, value))
        InvalidInteger(s);
    return value;
}

int StrToIntDef(const AnsiString& s, int def)
{
    int value;
    return TryStrToInt(s, value) ? value : def;
}

int64_t StrToInt64Def(const AnsiString& s, int64_t def)
{
    int64_t value;
    return TryStrToInt64(s, value) ? value : def;
}
