// ObjectBinaryToText: a component stream in the class library's text form, for
// reading streams by eye (tests, diagnostics). The input is checked as the
// reader checks it.
#include "platform/core/compstream.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <type_traits>

#include "platform/core/streams.h"

namespace {

// Printable runs go between quotes (a quote doubled), other characters become
// #n, as the class library's text form writes them. The printable characters
// are those from 32 to LastPrintable.
template <typename Char> AnsiString QuoteText(const std::basic_string<Char>& s, unsigned lastPrintable)
{
    AnsiString out;
    bool quoted = false;
    for (Char ch : s) {
        const auto c = static_cast<std::make_unsigned_t<Char>>(ch);
        if (c < 32 || c > lastPrintable) {
            if (quoted)
                out += '\'';
            quoted = false;
            out += "#" + IntToStr(c);
        } else {
            if (!quoted)
                out += '\'';
            quoted = true;
            out += static_cast<char>(c);
            if (c == '\'')
                out += '\'';
        }
    }
    if (quoted)
        out += '\'';
    return out.empty() ? AnsiString("''") : out;
}

// Bytes are written as they are, control characters apart.
AnsiString QuoteBytes(const AnsiString& s)
{
    return QuoteText(s, 255);
}
// Wide text keeps only ASCII between quotes.
AnsiString QuoteWide(const WideString& s)
{
    return QuoteText(s, 126);
}

AnsiString FloatText(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    // The shortest of 15 or 17 significant digits that reads back the same.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    if (std::strtod(buffer, nullptr) != value)
        std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

class TTextConverter {
public:
    TTextConverter(TStream& input, TStream& output) : FReader(input), FOutput(output) {}

    void Convert()
    {
        FReader.ReadSignature();
        ConvertObject(0);
    }

private:
    void Line(int indent, const AnsiString& text)
    {
        const AnsiString line = AnsiString(static_cast<size_t>(indent) * 2, ' ') + text + "\n";
        FOutput.WriteBuffer(line.data(), static_cast<int64_t>(line.size()));
    }

    void Enter()
    {
        if (FNesting >= FilerConst::MaxNesting)
            throw EReadError(FilerConst::SInvalidImage);
        ++FNesting;
    }

    void ConvertObject(int indent)
    {
        Enter();
        TFilerFlags flags = 0;
        int childPos = 0;
        FReader.ReadPrefix(flags, childPos);
        const AnsiString className = FReader.ReadStr();
        const AnsiString name = FReader.ReadStr();
        AnsiString header = (flags & ffInherited) ? "inherited " : (flags & ffInline) ? "inline " : "object ";
        header += name.empty() ? className : name + ": " + className;
        if (flags & ffChildPos)
            header += " [" + IntToStr(childPos) + "]";
        Line(indent, header);
        ConvertProperties(indent + 1);
        while (!FReader.EndOfList())
            ConvertObject(indent + 1);
        FReader.ReadListEnd();
        Line(indent, "end");
        --FNesting;
    }

    void ConvertProperties(int indent)
    {
        while (!FReader.EndOfList()) {
            const AnsiString name = FReader.ReadStr();
            ConvertValue(indent, name + " = ");
        }
        FReader.ReadListEnd();
    }

    // Writes one value; Lead is what goes before it on its first line.
    void ConvertValue(int indent, const AnsiString& lead)
    {
        switch (FReader.NextValue()) {
        case vaList: {
            FReader.ReadValue();
            Enter();
            Line(indent, lead + "(");
            while (!FReader.EndOfList())
                ConvertValue(indent + 1, AnsiString());
            FReader.ReadListEnd();
            Line(indent, ")");
            --FNesting;
            return;
        }
        case vaInt8:
        case vaInt16:
        case vaInt32:
        case vaInt64:
        case vaQWord: // beyond the signed 64-bit range the reader refuses it
            return Line(indent, lead + IntToStr(FReader.ReadInt64()));
        case vaExtended:
            return Line(indent, lead + FloatText(FReader.ReadFloat()));
        case vaSingle:
            return Line(indent, lead + FloatText(FReader.ReadFloat()) + "s");
        case vaCurrency:
            return Line(indent, lead + FloatText(FReader.ReadFloat()) + "c");
        case vaDate:
            return Line(indent, lead + FloatText(FReader.ReadFloat()) + "d");
        case vaString:
        case vaLString:
            return Line(indent, lead + QuoteBytes(FReader.ReadString()));
        case vaWString:
        case vaUString:
        case vaUTF8String:
            return Line(indent, lead + QuoteWide(FReader.ReadWideString()));
        case vaIdent:
        case vaFalse:
        case vaTrue:
        case vaNil:
        case vaNull:
            return Line(indent, lead + FReader.ReadIdent());
        case vaBinary:
            return ConvertBinary(indent, lead);
        case vaSet: {
            FReader.ReadValue();
            AnsiString text = "[";
            for (AnsiString member = FReader.ReadStr(); !member.empty(); member = FReader.ReadStr())
                text += (text.size() > 1 ? ", " : "") + member;
            return Line(indent, lead + text + "]");
        }
        case vaCollection:
            return ConvertCollection(indent, lead);
        default:
            throw EReadError(FilerConst::SInvalidImage);
        }
    }

    void ConvertBinary(int indent, const AnsiString& lead)
    {
        const AnsiString bytes = FReader.ReadBinary();
        Line(indent, lead + "{");
        static const char digits[] = "0123456789ABCDEF";
        for (size_t start = 0; start < bytes.size(); start += 32) {
            AnsiString hex;
            for (size_t i = start; i < bytes.size() && i < start + 32; ++i) {
                const auto b = static_cast<unsigned char>(bytes[i]);
                hex += digits[b >> 4];
                hex += digits[b & 15];
            }
            Line(indent + 1, hex);
        }
        Line(indent, "}");
    }

    void ConvertCollection(int indent, const AnsiString& lead)
    {
        FReader.ReadValue();
        Enter();
        Line(indent, lead + "<");
        while (!FReader.EndOfList()) {
            AnsiString item = "item";
            const TValueType tag = FReader.NextValue();
            if (tag == vaInt8 || tag == vaInt16 || tag == vaInt32)
                item += " [" + IntToStr(FReader.ReadInteger()) + "]";
            FReader.ReadListBegin();
            Line(indent + 1, item);
            ConvertProperties(indent + 2);
            Line(indent + 1, "end");
        }
        FReader.ReadListEnd();
        Line(indent, ">");
        --FNesting;
    }

    TReader FReader;
    TStream& FOutput;
    int FNesting = 0;
};

} // namespace

void ObjectBinaryToText(TStream& input, TStream& output)
{
    TTextConverter converter(input, output);
    converter.Convert();
}
