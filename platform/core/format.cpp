// Format: the class library's formatting of text with specifiers (no argument
// indexes) %[-][width][.precision]type, '*' taking width or precision from the arguments.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <vector>

#include "platform/core/sysutils.h"

namespace {

[[noreturn]] void FormatError(const AnsiString& format)
{
    throw EConvertError(Format(SysConst::SInvalidFormat, {format}));
}

// The digits of an integer with at least `precision` digits (zeros in front).
AnsiString Digits(uint64_t magnitude, int base, bool upper, int precision)
{
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    // Written from the end of a buffer wide enough for 64 bits in base 10 or 16.
    char buffer[24];
    char* first = buffer + sizeof buffer;
    do {
        *--first = digits[magnitude % static_cast<unsigned>(base)];
        magnitude /= static_cast<unsigned>(base);
    } while (magnitude);
    const size_t count = static_cast<size_t>(buffer + sizeof buffer - first);
    AnsiString text;
    if (precision > static_cast<int>(count))
        text.assign(static_cast<size_t>(precision) - count, '0');
    text.append(first, count);
    return text;
}

// A floating-point number as C's printf writes it in the C locale ('.' before the
// decimals) whatever the process locale is: to_chars never consults the locale.
AnsiString FloatText(long double value, std::chars_format form, int precision)
{
    // The widest fixed form of a long double has under 5,000 digits before the point.
    std::vector<char> buffer(static_cast<size_t>(precision) + 128);
    for (;;) {
        const std::to_chars_result r =
            std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, form, precision);
        if (r.ec == std::errc())
            return AnsiString(buffer.data(), r.ptr);
        buffer.resize(buffer.size() * 2);
    }
}

// The text of one argument for a specifier of Type (before padding to the width).
AnsiString ArgText(const AnsiString& format, char type, const TFormatArg& a, int precision)
{
    bool isInt = a.GetKind() == TFormatArg::Kind::Int || a.GetKind() == TFormatArg::Kind::UInt;
    AnsiString text;
    switch (type) {
    case 'd':
    case 'D':
    case 'u':
    case 'U': {
        if (!isInt)
            FormatError(format);
        int64_t v = a.AsInt();
        bool negative = a.GetKind() == TFormatArg::Kind::Int && v < 0;
        uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        if ((type == 'u' || type == 'U') && negative) {
            // The class library shows a negative value's 32-bit pattern (64 bits for a wider one).
            magnitude = v >= INT32_MIN ? static_cast<uint32_t>(v) : static_cast<uint64_t>(v);
            negative = false;
        }
        text = (negative ? "-" : "") + Digits(magnitude, 10, false, precision);
        break;
    }
    case 'x':
    case 'X': {
        if (!isInt)
            FormatError(format);
        int64_t v = a.AsInt();
        // A negative 32-bit value shows its 32-bit pattern, a wider one its 64 bits;
        // unsigned arguments are shown as they are.
        const bool signedArg = a.GetKind() == TFormatArg::Kind::Int;
        uint64_t bits =
            (signedArg && v < 0 && v >= INT32_MIN) ? static_cast<uint32_t>(v) : static_cast<uint64_t>(v);
        text = Digits(bits, 16, true, precision); // the class library writes upper case
        break;
    }
    case 's':
    case 'S':
        if (a.GetKind() == TFormatArg::Kind::Str)
            text = a.AsStr();
        else if (a.GetKind() == TFormatArg::Kind::Char)
            text = AnsiString(1, static_cast<char>(a.AsInt()));
        else
            FormatError(format);
        if (precision >= 0 && precision < static_cast<int>(text.size()))
            text.resize(static_cast<size_t>(precision));
        break;
    case 'c':
    case 'C':
        if (a.GetKind() != TFormatArg::Kind::Char && !isInt)
            FormatError(format);
        text = AnsiString(1, static_cast<char>(a.AsInt()));
        break;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G': {
        if (a.GetKind() != TFormatArg::Kind::Float && !isInt)
            FormatError(format);
        const long double v = a.GetKind() == TFormatArg::Kind::Float ? a.AsFloat()
                              : a.GetKind() == TFormatArg::Kind::UInt
                                  ? static_cast<long double>(static_cast<uint64_t>(a.AsInt()))
                                  : static_cast<long double>(a.AsInt());
        const char lower = static_cast<char>(type | 0x20);
        const std::chars_format form = lower == 'f'   ? std::chars_format::fixed
                                       : lower == 'e' ? std::chars_format::scientific
                                                      : std::chars_format::general;
        // %g defaults to 15 significant digits, %f and %e to 2 decimals.
        const int prec = precision >= 0 ? precision : (lower == 'g' ? 15 : 2);
        text = FloatText(v, form, prec);
        if (type != lower) // %E, %G, %F: "E", "INF", "NAN"
            for (char& ch : text)
                if (ch >= 'a' && ch <= 'z')
                    ch = static_cast<char>(ch - ('a' - 'A'));
        break;
    }
    default:
        FormatError(format);
    }
    return text;
}

} // namespace

AnsiString Format(const AnsiString& format, std::initializer_list<TFormatArg> args)
{
    AnsiString out;
    auto arg = args.begin();
    auto nextArg = [&]() -> const TFormatArg& {
        if (arg == args.end())
            FormatError(format);
        return *arg++;
    };
    auto readNumber = [&](size_t& i) -> int {
        if (i < format.size() && format[i] == '*') {
            ++i;
            const TFormatArg& a = nextArg();
            if (a.GetKind() != TFormatArg::Kind::Int && a.GetKind() != TFormatArg::Kind::UInt)
                FormatError(format);
            // The same bound as written digits: a huge width would only exhaust memory.
            if (a.AsInt() < -100000 || a.AsInt() > 100000)
                FormatError(format);
            return static_cast<int>(a.AsInt());
        }
        int n = -1;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            n = (n < 0 ? 0 : n) * 10 + (format[i] - '0');
            if (n > 100000)
                FormatError(format);
            ++i;
        }
        return n;
    };

    out.reserve(format.size() + 16);
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            // The text up to the next specifier goes at once.
            const size_t next = std::min(format.find('%', i), format.size());
            out.append(format, i, next - i);
            i = next - 1;
            continue;
        }
        if (++i >= format.size())
            FormatError(format);
        if (format[i] == '%') {
            out += '%';
            continue;
        }
        bool leftAlign = false;
        if (format[i] == '-') {
            leftAlign = true;
            ++i;
        }
        int width = readNumber(i);
        int precision = -1;
        if (i < format.size() && format[i] == '.') {
            ++i;
            precision = readNumber(i);
            if (precision < 0)
                precision = 0;
        }
        if (i >= format.size())
            FormatError(format);
        char type = format[i];
        const TFormatArg& a = nextArg();
        const AnsiString text = ArgText(format, type, a, precision);
        const size_t fill =
            width > static_cast<int>(text.size()) ? static_cast<size_t>(width) - text.size() : 0;
        if (!leftAlign)
            out.append(fill, ' ');
        out += text;
        if (leftAlign)
            out.append(fill, ' ');
    }
    return out;
}
