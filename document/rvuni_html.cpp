// UTF-8 decoding to UTF-16 and the HTML form of Unicode text.
#include "document/rvuni.h"

#include <climits>
#include <cstdio>
#include <functional>

#include "platform/core/streams.h"

// ---------------------------------------------------------------------------
// UTF-8

namespace {

bool IsContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Decodes the well-formed sequence at Src[i]: its code point and byte length, or
// 0 for a malformed or cut-off one. The bounds of the second byte rule out
// overlong forms (E0, F0), surrogates (ED) and code points above U+10FFFF (F4).
int DecodeSequence(const unsigned char* src, int srcLen, int i, char32_t& codePoint)
{
    const unsigned char lead = src[i];
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    int length;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0; // a continuation byte, an overlong two-byte lead or beyond U+10FFFF
    }
    if (length > srcLen - i)
        return 0;
    const unsigned char second = src[i + 1];
    if (second < low || second > high)
        return 0;
    for (int k = 1; k < length; ++k) {
        const unsigned char b = src[i + k];
        if (!IsContinuation(b))
            return 0;
        codePoint = (codePoint << 6) | (b & 0x3F);
    }
    return length;
}

} // namespace

int RVU_Utf8ToUnicodeBuf(WideChar* dest, int maxDest, const char* src, int srcLen)
{
    if (!src)
        return 0;
    if (dest && maxDest < 1)
        return 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(src);
    const int byteCount = srcLen > 0 ? srcLen : 0;
    // Room for units before the terminator; counting alone has no limit.
    const int64_t room = dest ? static_cast<int64_t>(maxDest) - 1 : INT64_MAX;
    int64_t count = 0;
    for (int i = 0; i < byteCount;) {
        char32_t c;
        const int length = DecodeSequence(bytes, byteCount, i, c);
        if (length == 0)
            return -1;
        const int units = c >= 0x10000 ? 2 : 1;
        if (count + units > room)
            break; // the buffer is full: a pair is never cut in two
        if (dest) {
            if (units == 2) {
                dest[count] = static_cast<WideChar>(0xD800 + ((c - 0x10000) >> 10));
                dest[count + 1] = static_cast<WideChar>(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                dest[count] = static_cast<WideChar>(c);
            }
        }
        count += units;
        i += length;
    }
    if (dest)
        dest[count] = 0;
    return static_cast<int>(count + 1);
}

WideString Utf8Decode(const AnsiString& s)
{
    if (s.empty() || s.size() >= static_cast<size_t>(INT_MAX))
        return WideString();
    // A byte never gives more than one unit (a pair takes four bytes), so the
    // byte count plus the terminator always holds the whole text.
    WideString w(s.size() + 1, 0);
    const int count =
        RVU_Utf8ToUnicodeBuf(w.data(), static_cast<int>(w.size()), s.data(), static_cast<int>(s.size()));
    if (count <= 0)
        return WideString();
    w.resize(static_cast<size_t>(count) - 1);
    return w;
}

// ---------------------------------------------------------------------------
// HTML

namespace {

// Encodes the units of raw Unicode text piece by piece into Out.
void EncodeHTML(const AnsiString& s, bool noEmptyLines, bool specialCode,
                const std::function<void(const char* piece, size_t length)>& out)
{
    const size_t count = s.size() / 2;
    if (count == 0) {
        if (noEmptyLines)
            out("&nbsp;", 6);
        return;
    }
    auto unitAt = [&s](size_t i) -> unsigned { return RVU_RawUnicodeUnit(s.data(), i); };
    // Whether the previous output was a plain space: a run of spaces alternates
    // plain space and "&nbsp;", and a text never starts with a plain space.
    bool plainSpace = true;
    for (size_t i = 0; i < count; ++i) {
        const unsigned u = unitAt(i);
        if (u >= 128) {
            unsigned codePoint = u;
            const unsigned next = i + 1 < count ? unitAt(i + 1) : 0;
            if (u >= 0xD800 && u <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                codePoint = 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00);
                ++i;
            } else if (u >= 0xD800 && u <= 0xDFFF) {
                codePoint = 0xFFFD; // half a pair is no character
            }
            char ref[16];
            const int n = std::snprintf(ref, sizeof(ref), "&#%u;", codePoint);
            out(ref, static_cast<size_t>(n));
            plainSpace = false;
            continue;
        }
        const char c = static_cast<char>(u);
        if (specialCode) {
            out(&c, 1);
            plainSpace = false;
            continue;
        }
        switch (c) {
        case '&':
            out("&amp;", 5);
            break;
        case '<':
            out("&lt;", 4);
            break;
        case '>':
            out("&gt;", 4);
            break;
        case ' ':
            if (!plainSpace && i + 1 < count) {
                out(" ", 1);
                plainSpace = true;
                continue;
            }
            out("&nbsp;", 6);
            break;
        default:
            out(&c, 1);
            break;
        }
        plainSpace = false;
    }
}

} // namespace

AnsiString RVU_GetHTMLEncodedUnicode(const AnsiString& s, bool noEmptyLines, bool specialCode)
{
    AnsiString html;
    html.reserve(s.size() / 2);
    EncodeHTML(s, noEmptyLines, specialCode,
               [&html](const char* piece, size_t length) { html.append(piece, length); });
    return html;
}

void RVU_WriteHTMLEncodedUnicode(TStream& stream, const AnsiString& s, bool noEmptyLines, bool specialCode)
{
    // Pieces are gathered into blocks so that a long text is not one write per character.
    constexpr size_t blockSize = 64 * 1024;
    AnsiString block;
    EncodeHTML(s, noEmptyLines, specialCode, [&](const char* piece, size_t length) {
        block.append(piece, length);
        if (block.size() >= blockSize) {
            stream.WriteBuffer(block.data(), static_cast<int64_t>(block.size()));
            block.clear();
        }
    });
    if (!block.empty())
        stream.WriteBuffer(block.data(), static_cast<int64_t>(block.size()));
}
