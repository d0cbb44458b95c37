// Item text whether ANSI or Unicode: string functions in characters, measuring
// and caret positions on a canvas, selected mixed-direction text, the Unicode
// line-break search, code-page conversions and tables, UTF-8 decoding, HTML
// escaping and the all-capitals form of a text.
//
// Item text is a byte string. Under the item option rvioUnicode it holds UTF-16
// code units, two bytes each, low byte first, and counts in units (a surrogate
// pair is two characters); otherwise it is ANSI text, one byte per character.
// Character positions given to the string functions count from 1; offsets into a
// buffer count from 0. Item texts are shorter than 2 GiB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "document/rvtypes.h"
#include "platform/core/types.h"

class TCanvas;
class TFontInfo;
class TStream;

// True on the platforms of the wide-character calls, which also draw rectangles
// of any height; it is true here, so text is measured and upper-cased with the
// wide functions. Tests switch it to reach the other paths.
extern bool RVNT;

enum TRVUnicodeTestResult { rvutNo, rvutYes, rvutProbably, rvutEmpty, rvutError };

// ---------------------------------------------------------------------------
// Strings in characters

// Characters: bytes, or bytes div 2 for Unicode text.
int RVU_Length(std::string_view s, TRVItemOptions itemOptions);
// Count characters from From (1-based), with Copy's rules for positions outside the text.
AnsiString RVU_Copy(const AnsiString& s, int from, int count, TRVItemOptions itemOptions);
// Removes Count characters at Index; nothing for an Index outside the text.
void RVU_Delete(AnsiString& s, int index, int count, TRVItemOptions itemOptions);
// Inserts the raw bytes of Sub before character Index (clamped to the text).
void RVU_Insert(const AnsiString& sub, AnsiString& s, int index, TRVItemOptions itemOptions);
// The byte offset of a 0-based character offset.
int RVU_OffsInPChar(int offset, TRVItemOptions itemOptions);
// Whether character Index (1-based) is the space U+0020 (no other blank counts);
// false outside the text.
bool RVU_IsSpace(std::string_view s, int index, TRVItemOptions itemOptions);
// The first unit equal to Ch among Str[0..Length-1]; null when there is none.
const WideChar* RVU_StrScanW(const WideChar* str, WideChar ch, int length);
// Swaps the two bytes of each of Count code units in place (big-endian input).
void RVU_SwapWordBytes(char* buffer, int count);
// Raises ERollViewError "Can't perform Unicode operation" for an odd byte length.
void RVCheckUni(int64_t length);
// Code unit Index (0-based) of raw Unicode text: two bytes, low byte first, at
// any address.
inline WideChar RVU_RawUnicodeUnit(const char* bytes, size_t index)
{
    return static_cast<WideChar>(static_cast<unsigned char>(bytes[2 * index]) |
                                 static_cast<unsigned char>(bytes[2 * index + 1]) << 8);
}
// The whole code units of raw Unicode text, Bytes.size() / 2 of them: a trailing
// odd byte is not a code unit and is left out, as RVU_Length counts.
WideString RVU_RawUnicodeUnits(std::string_view bytes);
// The code units of raw Unicode text that must be whole: ERollViewError for an
// odd byte length, else RVU_RawUnicodeUnits.
WideString RVU_RawUnicodeToWideString(const AnsiString& s);
// The bytes of wide text, two per unit, low byte first.
AnsiString RVU_GetRawUnicode(const WideString& s);

// ---------------------------------------------------------------------------
// Measuring and drawing with the canvas's current font. Canvas is never null.

// Width in pixels of the whole text.
int RVU_TextWidth(std::string_view s, TCanvas* canvas, TRVItemOptions itemOptions);
// The size of the whole text as the canvas measures it; false when the
// measurement failed (Size is then what the canvas left in it).
bool RVU_TextExtent(std::string_view s, TCanvas* canvas, TRVItemOptions itemOptions, TSize& size);
// Fit: the number of leading characters whose extent is at most MaxExtent.
// PosArray (when given, RVU_Length(s) entries): the extent of every prefix.
// An empty text gives Fit 0.
void RVU_GetTextExtentExPoint(TCanvas* canvas, const AnsiString& s, int maxExtent, int& fit, int* posArray,
                              TRVItemOptions itemOptions);
// The same on Length characters of a buffer (bytes, or UTF-16 units in bytes),
// with the size of the measured text. Length 0 gives Fit 0 and Size (0, 0).
void RVU_GetTextExtentExPointPC(TCanvas* canvas, const char* buffer, int length, int maxExtent, int& fit,
                                int* posArray, TRVItemOptions itemOptions, TSize& size);
// Whether the text holds characters that read right to left, so that the
// canvas reorders it when drawing it, whatever the reading direction.
bool RVU_HasRightToLeft(TCanvas* canvas, const AnsiString& s, TRVItemOptions itemOptions);
// PosArray[0..n] (n = RVU_Length(s), so n + 1 entries): the x of each caret place,
// before the first character and after each character in logical order, in pixels
// from the text's left edge, as the characters are placed for display (mixed
// directions reordered): after a character shown right to left at its left edge,
// after any other one pixel right of its right edge; before the first character
// at its other edge. A character's direction is the one the bidirectional
// algorithm gives it (a space between two right-to-left words reads right to
// left too). False, with PosArray untouched, when the placement fails.
bool RVU_GetTextCaretPos(TCanvas* canvas, const AnsiString& s, int* posArray, TRVItemOptions itemOptions);
// Draws characters Index1..Index2 (1-based, 1 <= Index1 <= Index2 <= length) of a
// text placed at (Left, Top) in the canvas's current font and colours, each visual
// run of them opaque and clipped to its own rectangle Height pixels high. False,
// drawing nothing, for rvbdUnspecified with text the canvas does not reorder
// (RVU_HasRightToLeft), a range outside the text or a failed placement: the
// caller then draws the selection itself.
bool RVU_DrawSelectedTextEx(int left, int top, int height, const AnsiString& s, TCanvas* canvas, int index1,
                            int index2, TRVItemOptions itemOptions, TRVBiDiMode biDiMode);

// ---------------------------------------------------------------------------
// Line breaking with the classes of Unicode's line-breaking rules

// The line-break class of a code unit: 0 OP, 1 CL, 2 QU, 3 GL, 4 NS, 5 EX, 6 SY,
// 7 IS, 8 PR, 9 PO, 10 NU, 11 AL (everything not listed), 12 ID, 13 IN, 14 HY,
// 15 BA, 16 BB, 17 B2, 18 ZW, 19 CM.
int RVU_GetUnicodeLineBreakClass(WideChar ch);
// The last unit after which a line of Str may end, when Str[0..Length-1] fits on
// the line and Str[Length] does not: Str[Length] itself when it is a space, else
// the place found by the pair rules with spaces kept at the end of the line (up to
// Str[Length-1]). Null when there is none: no break is ever placed before Str[0].
// TextLength is the number of units readable from Str; null also unless
// 0 <= Length < TextLength (no unit is read past the text).
const WideChar* RVU_FindLineBreak(const WideChar* str, int length, int textLength);

// ---------------------------------------------------------------------------
// Code pages

// ANSI text in a code page to raw Unicode text. A code page that cannot convert
// the text falls back to the ANSI code page, and a total failure gives one '?'
// per byte. Never raises.
AnsiString RVU_AnsiToUnicode(unsigned codePage, const AnsiString& s);
// Raw Unicode text to ANSI text in a code page, with the same fallbacks (one '?'
// per unit). ERollViewError for an odd byte length.
AnsiString RVU_UnicodeToAnsi(unsigned codePage, const AnsiString& s);
// Text typed on the keyboard to raw Unicode text (the keyboard's code page).
AnsiString RVU_KeyToUnicode(const AnsiString& s);
// The code page of the keyboard: the ANSI code page.
unsigned RVU_GetKeyboardCodePage();
// The Windows code page of a font character set (0, the ANSI code page, for the
// default and symbol sets and for unknown ones).
unsigned RVU_Charset2CodePage(int charset);
// The Windows language identifier of a font character set (1024, neutral, for
// sets without one).
unsigned RVU_Charset2Language(int charset);

// Whether a file holds UTF-16 text: empty, odd size (no), a byte-order mark as
// its first unit (yes), a zero byte among the 500 bytes after that unit (yes) or
// none (probably); rvutError when the file cannot be read. Never raises.
TRVUnicodeTestResult RV_TestFileUnicode(const AnsiString& fileName);

// ---------------------------------------------------------------------------
// UTF-8 (well-formed UTF-8 only: no overlong forms, no surrogates, nothing above
// U+10FFFF; code points above U+FFFF become surrogate pairs)

// Converts SrcLen bytes of Src. With Dest: writes at most MaxDest - 1 units (never
// half a pair) and a terminating 0 after them, and returns the units written plus
// one; MaxDest below 1 writes nothing and returns 0. Without Dest: returns the
// units the whole input needs plus one. -1 for malformed input (whatever was
// written then is not a result); 0 when Src is null.
int RVU_Utf8ToUnicodeBuf(WideChar* dest, int maxDest, const char* src, int srcLen);
// UTF-8 to UTF-16; empty for malformed input.
WideString Utf8Decode(const AnsiString& s);

// ---------------------------------------------------------------------------
// HTML

// Raw Unicode text as HTML: one "&#n;" reference per code point from U+0080 on
// ("&#65533;" for a lone surrogate); with SpecialCode the other characters are
// written as they are, else "&", "<", ">" are escaped and spaces alternate plain
// space and "&nbsp;" (starting with "&nbsp;" at the start, a last space always
// "&nbsp;"). An empty text gives "&nbsp;" with NoEmptyLines. A trailing odd byte
// is not text and is ignored.
AnsiString RVU_GetHTMLEncodedUnicode(const AnsiString& s, bool noEmptyLines, bool specialCode);
// Writes the same HTML text to the stream.
void RVU_WriteHTMLEncodedUnicode(TStream& stream, const AnsiString& s, bool noEmptyLines, bool specialCode);

// ---------------------------------------------------------------------------
// All capitals

// The text as a style with all capitals shows it (AllCaps: the style's extended
// styles hold rvfsAllCaps; Unicode: the style's text is Unicode): unchanged without
// AllCaps, else upper-cased character by character with Unicode's simple mapping
// (ANSI text in the ANSI code page). The length never changes, so offsets into the
// original text hold for the result: a character whose capital is longer or
// shorter stays as it is.
AnsiString RV_ReturnCapitalized(std::string_view s, bool allCaps, bool unicode);
// The same for a text style: its rvfsAllCaps and its Unicode flag. TextStyle is never null.
AnsiString RV_ReturnCapitalized(std::string_view s, const TFontInfo* textStyle);

// A text as a text style shows it (RV_ReturnCapitalized) for drawing: the text
// itself, read in place, unless the style shows it in capitals; only the
// capitals are a copy. The text read must outlive the object.
class TRVShownText {
public:
    TRVShownText(std::string_view s, const TFontInfo* textStyle);
    TRVShownText(const TRVShownText&) = delete;
    TRVShownText& operator=(const TRVShownText&) = delete;
    std::string_view View() const { return FView; }

private:
    AnsiString FCaps;
    std::string_view FView;
};
