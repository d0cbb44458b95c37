// RVF tokens: line writers, hexadecimal encodings, binary blocks, header-field
// readers, the tag token and safe data lines.
#include "document/rvfmisc.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "document/rvuni.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"

// ---------------------------------------------------------------------------
// Writing

void RVFWrite(TStream& stream, const AnsiString& s)
{
    stream.WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
}

void RVFWriteLine(TStream& stream, const AnsiString& s)
{
    RVFWrite(stream, s);
    stream.WriteBuffer("\r\n", 2);
}

void RVFWriteLineX(TStream& stream, const AnsiString& s, bool unicode)
{
    RVFWrite(stream, s);
    if (unicode)
        stream.WriteBuffer("\x29\x20", 2); // U+2029, little-endian
    else
        stream.WriteBuffer("\r\n", 2);
}

// ---------------------------------------------------------------------------
// Hexadecimal text

namespace {

const char HexDigits[] = "0123456789ABCDEF";

// Decodes the pairs of s into out (room for s.size() / 2 bytes) until a pair
// that is not hexadecimal; returns the number of bytes decoded.
size_t DecodeBytes(const AnsiString& s, uint8_t* out)
{
    const size_t pairs = s.size() / 2;
    for (size_t i = 0; i < pairs; ++i) {
        const int high = HexDigitValue(s[2 * i]);
        const int low = HexDigitValue(s[2 * i + 1]);
        if ((high | low) < 0)
            return i;
        out[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return pairs;
}

void WriteCount(TStream& stream, uint32_t count)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                              static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)};
    stream.WriteBuffer(bytes, 4);
}

} // namespace

AnsiString RVEncodeBytes(const uint8_t* data, size_t size)
{
    AnsiString result;
    result.resize(size * 2);
    for (size_t i = 0; i < size; ++i) {
        result[2 * i] = HexDigits[data[i] >> 4];
        result[2 * i + 1] = HexDigits[data[i] & 15];
    }
    return result;
}

AnsiString RVFStream2TextString(TMemoryStream& stream)
{
    return RVEncodeBytes(static_cast<const uint8_t*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

AnsiString RVEncodeString(const AnsiString& s)
{
    return RVEncodeBytes(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

bool RVFTextString2Stream(const AnsiString& s, TMemoryStream& stream)
{
    if (s.size() % 2 != 0) {
        stream.Clear();
        return false;
    }
    const size_t size = s.size() / 2;
    stream.SetSize(static_cast<int64_t>(size));
    const size_t decoded = size == 0 ? 0 : DecodeBytes(s, static_cast<uint8_t*>(stream.Memory()));
    // Bytes after a bad pair were never written: cut them off.
    if (decoded < size)
        stream.SetSize(static_cast<int64_t>(decoded));
    stream.SetPosition(0);
    return decoded == size;
}

AnsiString RVDecodeString(const AnsiString& s)
{
    if (s.size() % 2 != 0)
        return AnsiString();
    AnsiString result(s.size() / 2, '\0');
    result.resize(DecodeBytes(s, reinterpret_cast<uint8_t*>(&result[0])));
    return result;
}

AnsiString RVEncodeWideString(const WideString& s)
{
    AnsiString result;
    result.resize(s.size() * 4);
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned unit = s[i];
        for (int d = 0; d < 4; ++d)
            result[4 * i + d] = HexDigits[(unit >> (12 - 4 * d)) & 15];
    }
    return result;
}

WideString RVDecodeWideString(const AnsiString& s)
{
    WideString result;
    if (s.size() % 4 != 0)
        return result;
    result.reserve(s.size() / 4);
    for (size_t i = 0; i < s.size(); i += 4) {
        unsigned unit = 0;
        for (size_t d = 0; d < 4; ++d) {
            const int v = HexDigitValue(s[i + d]);
            if (v < 0)
                return result;
            unit = unit << 4 | static_cast<unsigned>(v);
        }
        result.push_back(static_cast<WideChar>(unit));
    }
    return result;
}

// ---------------------------------------------------------------------------
// Binary blocks

void RVFWriteBinaryBlock(TStream& stream, const std::function<void(TStream& stream)>& writeData)
{
    const int64_t countPos = stream.Position();
    WriteCount(stream, 0);
    writeData(stream);
    const int64_t end = stream.Position();
    const int64_t size = end - countPos - 4;
    if (size < 0 || size > std::numeric_limits<int32_t>::max())
        throw EWriteError(SysConst::SWriteError);
    stream.SetPosition(countPos);
    WriteCount(stream, static_cast<uint32_t>(size));
    stream.SetPosition(end);
}

namespace {

// The four-byte count that opens a binary block, checked against what the
// stream still holds; false (the stream back at start) when it is missing,
// negative or longer than the rest.
bool ReadBlockCount(TStream& stream, int64_t start, int32_t& count)
{
    uint8_t bytes[4];
    if (stream.Read(bytes, 4) != 4) {
        stream.SetPosition(start);
        return false;
    }
    // Signed, as the count is written: a negative count is as bad as a long one.
    count = static_cast<int32_t>(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                                 uint32_t(bytes[3]) << 24);
    if (count < 0 || count > stream.Size() - stream.Position()) {
        stream.SetPosition(start);
        return false;
    }
    return true;
}

} // namespace

bool RVFReadBinaryBlockInPlace(TStream& stream, const std::function<void(TStream& stream)>& readData)
{
    const int64_t start = stream.Position();
    int32_t count = 0;
    if (!ReadBlockCount(stream, start, count))
        return false;
    {
        TStreamWindow block(stream, start + 4, count, false);
        readData(block);
    }
    stream.SetPosition(start + 4 + count);
    return true;
}

bool RVFReadBinaryBlock(TStream& stream, TMemoryStream& data)
{
    const int64_t start = stream.Position();
    int32_t count = 0;
    if (!ReadBlockCount(stream, start, count))
        return false;
    AnsiString block(static_cast<size_t>(count), '\0');
    if (count > 0 && stream.Read(&block[0], count) != count) {
        stream.SetPosition(start);
        return false;
    }
    RVFBytesToStream(block, data);
    return true;
}

void RVFBytesToStream(const AnsiString& bytes, TMemoryStream& stream)
{
    stream.SetSize(static_cast<int64_t>(bytes.size()));
    if (!bytes.empty())
        std::copy(bytes.begin(), bytes.end(), static_cast<char*>(stream.Memory()));
    stream.SetPosition(0);
}

// ---------------------------------------------------------------------------
// Reading header fields

TRVFLineCursor::TRVFLineCursor(AnsiString line) : FLine(std::move(line))
{
    // A zero byte ends the line, as it would end a zero-terminated buffer.
    const size_t zero = FLine.find('\0');
    FEnd = zero == AnsiString::npos ? FLine.size() : zero;
}

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

void SkipBlank(TRVFLineCursor& p)
{
    if (p.Peek() == ' ')
        p.Next();
}

} // namespace

bool RVFReadString(TRVFLineCursor& p, AnsiString& str)
{
    str.clear();
    while (!p.AtEnd() && p.Peek() != ' ') {
        str.push_back(p.Peek());
        p.Next();
    }
    SkipBlank(p);
    return !str.empty();
}

bool RVFReadInteger(TRVFLineCursor& p, int& v)
{
    const bool negative = p.Peek() == '-';
    if (!negative && !IsDigit(p.Peek()))
        return false;
    if (negative)
        p.Next();
    // The magnitude may reach 2^31 only for a negative number.
    const int64_t limit = negative ? int64_t(1) << 31 : std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    while (!p.AtEnd() && p.Peek() != ' ') {
        if (!IsDigit(p.Peek()))
            return false;
        value = value * 10 + (p.Peek() - '0');
        if (value > limit)
            return false;
        p.Next();
    }
    SkipBlank(p);
    v = static_cast<int>(negative ? -value : value);
    return true;
}

AnsiString RVFReadText(TRVFLineCursor& p)
{
    AnsiString result;
    if (p.Peek() != '"')
        return result;
    p.Next();
    while (!p.AtEnd()) {
        const char c = p.Peek();
        p.Next();
        if (c != '"') {
            result.push_back(c);
            continue;
        }
        // A quote followed by another stands for one quote; alone it closes the string.
        if (p.Peek() != '"')
            break;
        result.push_back('"');
        p.Next();
    }
    SkipBlank(p);
    return result;
}

bool RVFReadTag(TRVFLineCursor& p, bool tagsArePChars, TRVTag& tag)
{
    AnsiString token;
    if (!RVFReadString(p, token))
        return false;
    if (tagsArePChars) {
        tag = token == "0" ? TRVTag() : TRVTag(token);
        return true;
    }
    // A token holds no blank, so RVFReadInteger reads all of it or fails.
    TRVFLineCursor number(token);
    int value = 0;
    if (token == "-" || !RVFReadInteger(number, value))
        return false;
    tag = TRVTag(value);
    return true;
}

// ---------------------------------------------------------------------------
// Writing header fields

AnsiString RVFSaveTag(bool tagsArePChars, const TRVTag& tag)
{
    if (tagsArePChars && tag.IsString()) {
        if (tag.AsString().empty())
            return "0";
        // The token must stay one field of one line.
        AnsiString token = tag.AsString();
        for (char& c : token)
            if (c == ' ' || c == '\r' || c == '\n' || c == '\0')
                c = '_';
        return token;
    }
    return std::to_string(tag.AsInteger());
}

AnsiString RVFMakeLineSafe(const AnsiString& s, bool unicode)
{
    AnsiString result = s;
    if (!unicode) {
        for (char& c : result)
            if (c == '\0')
                c = '?';
            else if (c == '\r' || c == '\n')
                c = ' ';
        return result;
    }
    result.resize(result.size() & ~size_t(1));
    for (size_t i = 0; i < result.size(); i += 2) {
        const WideChar unit = RVU_RawUnicodeUnit(result.data(), i / 2);
        if (unit == 0)
            result[i] = '?';
        else if (unit == 0x2029) {
            result[i] = ' ';
            result[i + 1] = '\0';
        }
    }
    return result;
}

// ---------------------------------------------------------------------------
// Grid slots

namespace {

// What the read in progress may still claim; -1 outside a read.
int64_t GridAllowance = -1;

} // namespace

bool RVFClaimGridSlots(int64_t slots, int64_t ownBytes)
{
    if (slots < 0)
        return false;
    if (GridAllowance < 0)
        return slots <= RVFFreeGridSlots + RVFGridSlotsPerByte * std::max<int64_t>(ownBytes, 0);
    if (slots > GridAllowance)
        return false;
    GridAllowance -= slots;
    return true;
}

TRVFGridAllowance::TRVFGridAllowance(int64_t bytes) : FOuter(GridAllowance < 0)
{
    if (FOuter)
        GridAllowance = RVFFreeGridSlots + RVFGridSlotsPerByte * std::max<int64_t>(bytes, 0);
}

TRVFGridAllowance::~TRVFGridAllowance()
{
    if (FOuter)
        GridAllowance = -1;
}
