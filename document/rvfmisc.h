// The tokens and data encodings of RVF, the library's own document format:
// writing strings and lines, hexadecimal text of bytes and of wide strings,
// binary blocks, reading the blank-separated fields of a header line, and the
// text form of tags.
#pragma once

#include <cstddef>
#include <functional>

#include "document/rvtag.h"
#include "platform/core/types.h"

class TStream;
class TMemoryStream;

// ---------------------------------------------------------------------------
// Writing

// The bytes of s, nothing added.
void RVFWrite(TStream& Stream, const AnsiString& s);
// s and CR LF.
void RVFWriteLine(TStream& Stream, const AnsiString& s);
// s, then the UTF-16 little-endian unit U+2029 (bytes 29 20) when Unicode is set,
// which ends a line of a Unicode text item; else CR LF.
void RVFWriteLineX(TStream& Stream, const AnsiString& s, bool Unicode);

// ---------------------------------------------------------------------------
// Hexadecimal text: two digits per byte, high digit first, written in upper
// case and read in either case. Decoding stops at the first pair (or group of
// four for wide strings) that is not hexadecimal, and the result holds exactly
// the bytes decoded before it. Text of odd length (for wide strings, of a length
// that is not a multiple of 4) decodes to nothing.

// All bytes of the stream (whatever its position) as hexadecimal text.
AnsiString RVFStream2TextString(TMemoryStream& Stream);
AnsiString RVEncodeString(const AnsiString& s);
// The stream's content is replaced by the bytes decoded from s and the stream
// is positioned at its start; true when all of s was decoded.
bool RVFTextString2Stream(const AnsiString& s, TMemoryStream& Stream);
AnsiString RVDecodeString(const AnsiString& s);
// Four digits per UTF-16 unit, most significant first (U+00E9 -> "00E9").
AnsiString RVEncodeWideString(const WideString& s);
WideString RVDecodeWideString(const AnsiString& s);

// ---------------------------------------------------------------------------
// Binary blocks: a 32-bit little-endian byte count, then that many bytes. The
// pictures and controls of a document saved in binary form, and binary
// component properties, are stored this way.

// Writes a block at the stream's position: a placeholder count, whatever
// WriteData writes, then the real count (the bytes written after the count
// field); the stream is left at the end of the data. The stream must be able
// to seek back. EWriteError when the data exceeds what the count can hold.
void RVFWriteBinaryBlock(TStream& Stream, const std::function<void(TStream& Stream)>& WriteData);
// Reads a block from the stream's position into Data (replacing its content,
// positioned at its start). False, with the stream back where it was and Data
// unchanged, when the count is missing, negative or runs past the end of the stream.
bool RVFReadBinaryBlock(TStream& Stream, TMemoryStream& Data);
// Replaces the stream's content by the raw bytes of a block already cut out of
// an RVF line and positions it at its start.
void RVFBytesToStream(const AnsiString& Bytes, TMemoryStream& Stream);

// ---------------------------------------------------------------------------
// Reading header fields

// A read position in one line of RVF. The token readers take it by reference
// and move it past what they read, as they would a character pointer into a
// zero-terminated line. It keeps its own copy of the line and never moves past
// the line's end, so no reader can read beyond it. The line ends at its last
// byte or at its first zero byte; Peek() gives 0 there. Copy a cursor to
// remember a position.
class TRVFLineCursor {
public:
    explicit TRVFLineCursor(AnsiString Line);

    char Peek() const { return FPos < FEnd ? FLine[FPos] : '\0'; }
    bool AtEnd() const { return FPos >= FEnd; }
    // One byte on; nothing at the end.
    void Next()
    {
        if (FPos < FEnd)
            ++FPos;
    }
    // Bytes passed since the start of the line.
    size_t Position() const { return FPos; }
    // The bytes from the position to the end of the line.
    AnsiString Rest() const { return FLine.substr(FPos, FEnd - FPos); }

private:
    AnsiString FLine;
    size_t FEnd;
    size_t FPos = 0;
};

// The token (bytes up to the next blank or the end); one blank after it is
// passed over. True when the token is not empty.
bool RVFReadString(TRVFLineCursor& P, AnsiString& Str);
// A signed decimal integer token ("-" or a digit, then digits up to a blank or
// the end; a lone "-" reads as 0), then one blank is passed over. False, with V
// unchanged, when the first byte cannot start a number (the cursor does not
// move), when a later byte is not a digit (the cursor stays on it) or when the
// value does not fit 32 bits (the cursor stays on the digit that overflows).
bool RVFReadInteger(TRVFLineCursor& P, int& V);
// A double-quoted string whose inner quotes are doubled; the cursor passes the
// closing quote and one blank after it. A string that is not closed runs to the
// end of the line. Not on a quote: empty, and the cursor does not move.
AnsiString RVFReadText(TRVFLineCursor& P);
// A tag token. With string tags, "0" is the integer tag 0 (no string) and any
// other token a string tag; otherwise a decimal 32-bit integer. False when the
// token is empty or, for integer tags, not a number (Tag unchanged).
bool RVFReadTag(TRVFLineCursor& P, bool TagsArePChars, TRVTag& Tag);

// ---------------------------------------------------------------------------
// Writing header fields

// The tag's token. With string tags: the text of a string tag, "0" for an empty
// string, and an integer tag in decimal (0 for no string). With integer tags:
// the integer in decimal (a string tag has no integer and writes 0).
AnsiString RVFSaveTag(bool TagsArePChars, const TRVTag& Tag);
