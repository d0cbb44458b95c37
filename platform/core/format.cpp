// Format: the class library's formatting of text with numbered-free specifiers
// %[-][width][.precision]type, with '*' taking width or precision from the arguments.
#include <cinttypes>
#include <cstdio>

#include "platform/core/sysutils.h"

namespace {

[[noreturn]] void FormatError(const AnsiString& format)
{
    throw EConvertError(Format(SysConst::SInvalidFormat, {format}));
}

AnsiString Pad(AnsiString text, int width, bool leftAlign)
{
    if (width > static_cast<int>(text.size())) {
        AnsiString fill(static_cast<size_t>(width) - text.size(), ' ');
        text = leftAlign ? text + fill : fill + text;
    }
    return text;
}

// The digits of an integer with at least `precision` digits (zeros in front).
AnsiString Digits(uint64_t magnitude, int base, bool upper, int precision)
{
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    AnsiString text;
    do {
        text.insert(text.begin(), digits[magnitude % static_cast<unsigned>(base)]);
        magnitude /= static_cast<unsigned>(base);
    } while (magnitude);
    if (precision > static_cast<int>(text.size()))
        text.insert(0, static_cast<size_t>(precision) - text.size(), '0');
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

    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%') {
            out += c;
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
                // The class library shows a negative value's 32-bit pattern.
                magnitude = static_cast<uint32_t>(v);
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
            // A negative 32-bit value shows its 32-bit pattern, a wider one its 64 bits.
            uint64_t bits = (v < 0 && v >= INT32_MIN) ? static_cast<uint32_t>(v) : static_cast<uint64_t>(v);
            text = Digits(bits, 16, true, precision);  // the class library writes upper case
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
            long double v = a.GetKind() == TFormatArg::Kind::Float ? a.AsFloat()
                            : isInt                                 ? static_cast<long double>(a.AsInt())
                                                                    : (FormatError(format), 0.0L);
            char spec[8] = {'%', '.', '*', 'L', static_cast<char>(type | 0x20), 0};
            int prec = precision >= 0 ? precision : (type == 'g' || type == 'G' ? 15 : 2);
            char buffer[512];
            std::snprintf(buffer, sizeof buffer, spec, prec, v);
            text = buffer;
            if (type == 'E' || type == 'G')
                for (char& ch : text)
                    if (ch == 'e')
                        ch = 'E';
            break;
        }
        default:
            FormatError(format);
        }
        out += Pad(std::move(text), width, leftAlign);
    }
    return out;
}
