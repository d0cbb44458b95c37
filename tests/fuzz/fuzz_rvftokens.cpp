// Fuzz target for the RVF token readers and decoders: header fields read with a
// line cursor, hexadecimal text of bytes and wide strings, and binary blocks.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "document/rvfmisc.h"
#include "platform/core/streams.h"

namespace {

// Reads fields of every kind in turn until the line is used up; every reader
// must either move the cursor or leave it for the next one.
void ReadFields(const AnsiString& line)
{
    TRVFLineCursor p(line);
    for (int kind = 0; !p.AtEnd(); kind = (kind + 1) % 5) {
        const size_t before = p.Position();
        AnsiString s;
        int v = 0;
        TRVTag tag;
        switch (kind) {
        case 0:
            RVFReadInteger(p, v);
            break;
        case 1:
            s = RVFReadText(p);
            break;
        case 2:
            RVFReadTag(p, true, tag);
            break;
        case 3:
            RVFReadTag(p, false, tag);
            break;
        case 4:
            RVFReadString(p, s);
            break;
        }
        if (p.Position() < before || p.Position() > line.size())
            abort();
    }
}

// Decoding then encoding gives back the decoded prefix of the text, in upper case.
void CheckHex(const AnsiString& text)
{
    const AnsiString bytes = RVDecodeString(text);
    const AnsiString again = RVEncodeString(bytes);
    for (size_t i = 0; i < again.size(); ++i)
        if (again[i] != toupper(static_cast<unsigned char>(text[i])))
            abort();

    TMemoryStream stream;
    const bool complete = RVFTextString2Stream(text, stream);
    if (stream.Size() != static_cast<int64_t>(bytes.size()) || RVFStream2TextString(stream) != again)
        abort();
    if (complete != (text.size() % 2 == 0 && bytes.size() * 2 == text.size()))
        abort();

    const WideString wide = RVDecodeWideString(text);
    if (wide.size() * 4 > text.size())
        abort();
}

void CheckBlock(const AnsiString& data)
{
    TStringStream stream(data);
    TMemoryStream block;
    if (RVFReadBinaryBlock(stream, block)) {
        if (stream.Position() != 4 + block.Size())
            abort();
    } else if (stream.Position() != 0) {
        abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const AnsiString input(reinterpret_cast<const char*>(data), size);
    ReadFields(input);
    CheckHex(input);
    CheckBlock(input);
    return 0;
}
