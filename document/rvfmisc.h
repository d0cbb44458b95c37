// The tokens and data encodings of RVF, the library's own document format:
// writing strings and lines, hexadecimal text of bytes and of wide strings,
// binary blocks, pictures and controls in both forms, reading the
// blank-separated fields of a header line, the text form of tags, the fields
// that name text and paragraph styles, and the document background as the
// format reads and writes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "document/rvtag.h"
#include "platform/core/types.h"

class TComponent;
class TCustomRVData;
class TGraphic;
class TMemoryStream;
class TRVStyle;
class TStream;
class TWinControl;

// ---------------------------------------------------------------------------
// Writing

// The bytes of s, nothing added.
void RVFWrite(TStream& stream, const AnsiString& s);
// s and CR LF.
void RVFWriteLine(TStream& stream, const AnsiString& s);
// s, then the UTF-16 little-endian unit U+2029 (bytes 29 20) when Unicode is set,
// which ends a line of a Unicode text item; else CR LF.
void RVFWriteLineX(TStream& stream, const AnsiString& s, bool unicode);

// ---------------------------------------------------------------------------
// Hexadecimal text: two digits per byte, high digit first, written in upper
// case and read in either case. Decoding stops at the first pair (or group of
// four for wide strings) that is not hexadecimal, and the result holds exactly
// the bytes decoded before it. Text of odd length (for wide strings, of a length
// that is not a multiple of 4) decodes to nothing.

// All bytes of the stream (whatever its position) as hexadecimal text.
AnsiString RVFStream2TextString(TMemoryStream& stream);
AnsiString RVEncodeString(const AnsiString& s);
AnsiString RVEncodeBytes(const uint8_t* data, size_t size);
// The stream's content is replaced by the bytes decoded from s and the stream
// is positioned at its start; true when all of s was decoded.
bool RVFTextString2Stream(const AnsiString& s, TMemoryStream& stream);
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
void RVFWriteBinaryBlock(TStream& stream, const std::function<void(TStream& stream)>& writeData);
// Reads a block from the stream's position into Data (replacing its content,
// positioned at its start). False, with the stream back where it was and Data
// unchanged, when the count is missing, negative or runs past the end of the stream.
bool RVFReadBinaryBlock(TStream& stream, TMemoryStream& data);
// Reads a block in place: ReadData gets a stream of exactly the block's bytes
// (positioned at its start), and the stream is left after the block whatever
// ReadData took. False, with the stream back where it was and ReadData not
// called, when the count is missing, negative or runs past the end.
bool RVFReadBinaryBlockInPlace(TStream& stream, const std::function<void(TStream& stream)>& readData);
// Replaces the stream's content by the raw bytes of a block already cut out of
// an RVF line and positions it at its start.
void RVFBytesToStream(const AnsiString& bytes, TMemoryStream& stream);

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
    explicit TRVFLineCursor(AnsiString line);

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
bool RVFReadString(TRVFLineCursor& p, AnsiString& str);
// A signed decimal integer token ("-" or a digit, then digits up to a blank or
// the end; a lone "-" reads as 0), then one blank is passed over. False, with V
// unchanged, when the first byte cannot start a number (the cursor does not
// move), when a later byte is not a digit (the cursor stays on it) or when the
// value does not fit 32 bits (the cursor stays on the digit that overflows).
bool RVFReadInteger(TRVFLineCursor& p, int& v);
// A double-quoted string whose inner quotes are doubled; the cursor passes the
// closing quote and one blank after it. A string that is not closed runs to the
// end of the line. Not on a quote: empty, and the cursor does not move.
AnsiString RVFReadText(TRVFLineCursor& p);
// A tag token. With string tags, "0" is the integer tag 0 (no string) and any
// other token a string tag; otherwise a decimal 32-bit integer. False when the
// token is empty or, for integer tags, not a number (Tag unchanged).
bool RVFReadTag(TRVFLineCursor& p, bool tagsArePChars, TRVTag& tag);

// ---------------------------------------------------------------------------
// Writing header fields

// The tag's token. With string tags: the text of a string tag, "0" for an empty
// string, and an integer tag in decimal (0 for no string); a blank, CR, LF or
// zero byte of the text is written as "_", since it would end the field or the
// header line. With integer tags: the integer in decimal (a string tag has no
// integer and writes 0).
AnsiString RVFSaveTag(bool tagsArePChars, const TRVTag& tag);

// Text made safe for one RVF data line. 8-bit text: a zero byte becomes "?",
// CR and LF become blanks. UTF-16 text (Unicode set; an odd last byte is
// dropped): U+0000 becomes "?" and U+2029, which ends a Unicode line, a blank.
AnsiString RVFMakeLineSafe(const AnsiString& s, bool unicode);

// ---------------------------------------------------------------------------
// Fields naming styles. A style is written as its number or, when the
// document saves style names, as its StyleName in double quotes (inner quotes
// doubled; line ends and zero bytes of the name written as blanks). Negative
// numbers are always numbers.

// A text style number: a number, or the index of the first text style whose
// StyleName equals the quoted name exactly (0 when none does, or without a
// style sheet). False when the field is neither a number nor a quoted name.
bool RVFReadTextStyle(TRVFLineCursor& p, int& styleNo, TRVStyle* rvStyle);
// The same with the paragraph styles.
bool RVFReadParaStyle(TRVFLineCursor& p, int& paraNo, TRVStyle* rvStyle);
// The quoted StyleName of text style StyleNo when UseStyleNames is set and the
// style exists; else the number.
AnsiString RVFSaveText(TRVStyle* rvStyle, bool useStyleNames, int styleNo);
AnsiString RVFSavePara(TRVStyle* rvStyle, bool useStyleNames, int paraNo);
// The paragraph field of an item's header: RVFSavePara with the document's
// style sheet and rvfoUseStyleNames; -1 when ForceSameAsPrev is set.
AnsiString RVFItemSavePara(int paraNo, TCustomRVData* rvData, bool forceSameAsPrev);

// ---------------------------------------------------------------------------
// Pictures and controls. The picture or component is the caller's.

// The picture's stream data (TGraphic::SaveToStream) as hexadecimal text.
AnsiString RVFSavePicture(const TGraphic* graphic);
// Writes the picture's stream data from byte Skip on as hexadecimal text,
// a block at a time: a large picture's text never exists whole in memory.
void RVFWritePictureHex(TStream& stream, const TGraphic* graphic, size_t skip = 0);
// Decodes the text and has the picture load what was decoded; the result is
// the decoding's (the picture's own loading may raise).
bool RVFLoadPicture(const AnsiString& s, TGraphic* graphic);
// A binary block holding the picture's stream data.
void RVFSavePictureBinary(TStream& stream, const TGraphic* graphic);
// Has the picture load raw bytes (a binary block already cut out of a line).
void RVFLoadPictureBinary(const AnsiString& data, TGraphic* graphic);
// Reads a binary block from the stream and has the picture load it.
// EReadError "Stream read error" when the block is missing or runs past the end.
void RVFLoadPictureBinary2(TStream& stream, TGraphic* graphic);
// The component stream (TStream::WriteComponent) as hexadecimal text.
AnsiString RVFSaveControl(TComponent* control);
void RVFSaveControlBinary(TStream& stream, TComponent* control);
// Reads a component stream into Control. With a ClassName, Control becomes a
// new component of that registered class with no owner (null when the name is
// not registered or names no component class). A control gets Parent before
// and after the reading. When the reading fails, the component is freed and
// Control set to null. The caller owns what Control holds afterwards. The
// result is the decoding's.
bool RVFLoadControl(const AnsiString& s, TComponent*& control, const AnsiString& className,
                    TWinControl* parent);
// The same from raw bytes.
void RVFLoadControlBinary(const AnsiString& data, TComponent*& control, const AnsiString& className,
                          TWinControl* parent);

// ---------------------------------------------------------------------------
// Grid slots a read may claim. A table's record claims slots (and rows) that
// its bytes need not describe one by one: a cell spanning a million rows
// takes a few bytes. A read may therefore claim at most RVFFreeGridSlots plus
// RVFGridSlotsPerByte for each byte of the data it reads, across all the
// tables in it (nested ones included); a record that claims more fails.

inline constexpr int64_t RVFFreeGridSlots = 65536;
inline constexpr int64_t RVFGridSlotsPerByte = 16;

// Takes Slots from the allowance of the RVF read in progress; outside one,
// checks them against OwnBytes, the bytes of the record making the claim.
// False (and nothing taken) when they exceed what is left.
bool RVFClaimGridSlots(int64_t slots, int64_t ownBytes);

// Opens an allowance for a read of Bytes bytes; the outermost one counts,
// reads inside it (the documents of cells) share it.
class TRVFGridAllowance {
public:
    explicit TRVFGridAllowance(int64_t bytes);
    ~TRVFGridAllowance();
    TRVFGridAllowance(const TRVFGridAllowance&) = delete;
    TRVFGridAllowance& operator=(const TRVFGridAllowance&) = delete;

private:
    bool FOuter;
};

// ---------------------------------------------------------------------------
// The document background as RVF reads and writes it: a style (the ordinal of
// the view's TBackgroundStyle; 0 is "no picture") and a picture. The view
// layer, which owns the background, hands the store an object of this kind.
class TRVFBackground {
public:
    virtual int GetRVFBackgroundStyle() const = 0;
    virtual void SetRVFBackgroundStyle(int style) = 0;
    // The picture; null when there is none.
    virtual TGraphic* GetRVFBackgroundImage() const = 0;
    // Takes Image over (null: no picture), freeing the old one.
    virtual void SetRVFBackgroundImage(TGraphic* image) = 0;

protected:
    ~TRVFBackground() = default;
};
