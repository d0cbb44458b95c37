// The pieces of RTF output that the item store's RTF writer shares with the
// items that write themselves: escaping of text and names, Unicode text,
// plain fonts, pictures, the resolution lengths are converted at, and the
// generator of list ids.
#pragma once

#include <cstdint>

#include "document/crvdata.h"

class TFont;
class TGraphic;
class TRVStyle;
class TStream;

// Pixels per inch at which pixel lengths become twips in RTF output; below 1
// (the default) the screen's resolution is used.
extern int RollViewPixelsPerInch;
// 1440 divided by the pixels per inch in force (RollViewPixelsPerInch, else the screen's).
double RV_GetRTFTwipsPerPixel();
// A pixel length in twips, rounded to the nearest integer (halves to even).
int RV_PixelsToTwips(int pixels, double twipsPerPixel);

// List and template ids of RTF list tables are drawn from one process-wide
// pseudo-random generator that gives the same sequence on every platform for
// the same seed. It starts from an unpredictable seed, so ids differ from save
// to save; tests seed it to get stable output.
void RV_SeedRTFListIds(uint32_t seed);
// The next id, from 0 to 2147483646.
int RV_NextRTFListId();

// 8-bit text as RTF: without SpecialCode a backslash goes before every "\",
// "{" and "}"; then every byte below 26 or from 128 up becomes "\'" and two
// lower-case hexadecimal digits.
AnsiString RVMakeRTFStr(const AnsiString& s, bool specialCode);
// A font name for the font table: escaped as text, and ";" (which would end
// the entry) as a hexadecimal escape too.
AnsiString RVMakeRTFFontName(const AnsiString& s);
// A style name for the style sheet: "\", "{" and "}" become "_", then it is
// escaped as a font name.
AnsiString RVMakeRTFStyleName(const AnsiString& s);
// A bookmark name: every byte that is not an ASCII letter or digit becomes "_".
AnsiString RVMakeRTFBookmarkName(const AnsiString& s);
// UTF-16 text kept in a byte string (an odd last byte is ignored) as RTF:
// units 1 to 127 as characters (escaped as with SpecialCode), every other unit
// as "\uN " with N signed 16-bit; with DuplicateUnicode each such unit is
// followed by its text in CodePage (with "\ucL" before and "\uc1 " after it
// when that is not one byte long).
void RVWriteUnicodeRTFStr(TStream& stream, const AnsiString& s, unsigned codePage, bool duplicateUnicode,
                          bool specialCode);
// The character formatting of a plain font (list markers): font number, styles,
// size, language and colour. Colours not in the table are left out.
void RVSaveFontToRTF(TStream& stream, const TFont* font, TRVColorList* colorList, TRVRTFFontTable* fontTable,
                     TRVStyle* rvStyle);
// "{\pict ...}" of the picture shown at Width x Height (below 1: its own size),
// in the form the options choose; nothing for no picture or an empty one.
void RVSaveImageToRTF(TStream& stream, double twipsPerPixel, TGraphic* graphic, int width, int height,
                      TRVRTFOptions options);
