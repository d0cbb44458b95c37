// Small functions the whole document library shares: tab replacement, string
// replacement, character search, screen-to-device scaling, colours by colour
// mode and the colour and font-size fragments of HTML output.
#pragma once

#include "document/rvtag.h" // RV_CopyTag and RV_CompareTags come with the tag type
#include "platform/core/types.h"

// ---------------------------------------------------------------------------
// Text

// s with every tab (byte 9) replaced by SpacesInTab blanks (none when SpacesInTab <= 0).
AnsiString RV_ReplaceTabsA(const AnsiString& s, int spacesInTab);
// The same for UTF-16 little-endian text kept in a byte string: every tab code
// unit (bytes 09 00 at an even offset) becomes SpacesInTab blank units (20 00).
// A pair 09 00 that straddles two code units is left alone, and so is an odd last byte.
AnsiString RV_ReplaceTabsW(const AnsiString& s, int spacesInTab);

// Replaces every occurrence of SubStr in Str by NewStr, in place, in one pass.
// An occurrence may begin in text already produced, replacements included, but
// must end in text not yet examined; so the result is the one that repeated
// searching from the start would give ("   " with "  " -> "&nbsp; " gives
// "&nbsp;&nbsp; "), while a replacement is never searched on its own: one that
// contains SubStr is inserted once instead of forever. Linear in the lengths of
// Str and of the result. An empty SubStr changes nothing.
void RV_ReplaceStr(AnsiString& str, const AnsiString& subStr, const AnsiString& newStr);

// 1-based position of the first Chr among the first Length bytes of Str; 0 when
// there is none, when Length is 0 or less, or when Str is null.
int RV_CharPos(const char* str, char chr, int length);

// Left <= X < Left + Width and Top <= Y < Top + Height (computed without overflow).
bool RV_PointInRect(int x, int y, int left, int top, int width, int height);

// ---------------------------------------------------------------------------
// Screen and device

// Pixels per logical inch of the screen and of the output device (a printer,
// or the screen itself when laying out for the screen), and the document's
// margins in device pixels, which the layout engine fills before each layout
// pass. Copied whole, passed by reference.
class TCanvas;

struct TRVScreenAndDevice {
    int ScreenPpiX = 0;
    int ScreenPpiY = 0;
    int DevicePpiX = 0;
    int DevicePpiY = 0;
    int DevLeftMargin = 0;
    int DevRightMargin = 0;
};

// Screen lengths to device lengths and back, by MulDiv (-1 for a zero resolution).
// Fills the resolutions: the device's from the canvas (LOGPIXELSX/Y), the
// screen's from the screen (96 pixels per inch unless the screen says
// otherwise). The margins are left as they are.
void RV_InfoAboutSaD(TRVScreenAndDevice& sad, TCanvas* canvas);
int RV_XToDevice(int x, const TRVScreenAndDevice& sad);
int RV_YToDevice(int y, const TRVScreenAndDevice& sad);
int RV_XToScreen(int x, const TRVScreenAndDevice& sad);
int RV_YToScreen(int y, const TRVScreenAndDevice& sad);
// Left and Right by RV_XToScreen, Top and Bottom by RV_YToScreen, in place.
void RV_RectToScreen(TRect& r, const TRVScreenAndDevice& sad);

// ---------------------------------------------------------------------------
// Colours

enum TRVColorMode { rvcmColor, rvcmPrinterColor, rvcmGrayScale, rvcmBlackAndWhite, rvcmBlackOnWhite };

// Round(0.30 R + 0.59 G + 0.11 B) of the colour resolved to RGB (system colours
// by the system-colour table); clNone is not treated apart.
int RV_GetLuminance(TColor color);
// clNone stays clNone; otherwise the grey of the colour's luminance (at most 255).
TColor RV_GetGray(TColor color);
// clWindowText becomes black, clWindow white; every other value is unchanged.
TColor RV_GetPrnColor(TColor color);
// A text or line colour as the colour mode shows it. clNone stays clNone; in
// the two black-and-white modes only exactly white (0xFFFFFF) stays white and
// everything else becomes black.
TColor RV_GetColor(TColor color, TRVColorMode colorMode);
// A background colour as the colour mode shows it: as RV_GetColor, except that
// the two black-and-white modes give white for every colour (clNone, no
// background, stays clNone).
TColor RV_GetBackColor(TColor color, TRVColorMode colorMode);

// ---------------------------------------------------------------------------
// HTML fragments

// "#RRGGBB" (upper-case hexadecimal) of the colour resolved to RGB, clWindowText
// taken as black; empty for clNone.
AnsiString RV_GetHTMLRGBStr(TColor color);
// The path with every backslash turned into a slash.
AnsiString RV_GetHTMLPath(const AnsiString& path);
// HTML font size 1 to 7 for a size in points.
int RV_HTMLGetFontSize(int pointSize);

// ---------------------------------------------------------------------------
// HTML fragments of fonts and text styles

class TFont;
class TFontInfo;

// CSS declarations of a font: "font: [bold] [italic] <size> '<name>';", then
// " text-decoration: ...;" when underlined or struck out, then " color: #RRGGBB;"
// (left out for clNone). The size is in points, or the height in pixels when
// the size is below 1.
AnsiString RV_GetHTMLFontCSS(const TFont* font);
// The markup that opens and closes text style ts: a FONT tag (size, colour,
// face) and B, I, U, S, SUB or SUP tags. With Relative only what differs from
// normalts is written, undoing normalts's own font styles inside and restoring
// them after. The FONT tag is closed exactly when it was opened.
AnsiString RV_HTMLOpenFontTag(const TFontInfo* ts, const TFontInfo* normalts, bool relative);
AnsiString RV_HTMLCloseFontTag(const TFontInfo* ts, const TFontInfo* normalts, bool relative);
// The same for a plain font (list markers), always relative to normalts and
// without SUB or SUP.
AnsiString RV_HTMLOpenFontTag2(const TFont* font, const TFontInfo* normalts);
AnsiString RV_HTMLCloseFontTag2(const TFont* font, const TFontInfo* normalts);

// Names taken from documents (style and font names), made safe for where they
// are written; ordinary names come back unchanged.
// In a double-quoted HTML attribute: & " < > become entities.
AnsiString RV_EscapeHTMLAttribute(const AnsiString& s);
// Inside an element (a title, a marker's text): & < > become entities.
AnsiString RV_EscapeHTMLText(const AnsiString& s);
// In a CSS string, single- or double-quoted, in a style sheet or a style
// attribute: quotes, backslash, < > & and control characters become CSS
// escapes ("\22 ").
AnsiString RV_EscapeCSSString(const AnsiString& s);
// In a CSS comment: control characters become blanks, "*/" cannot end the
// comment and "<" cannot end an enclosing STYLE element.
AnsiString RV_EscapeCSSComment(const AnsiString& s);

// ---------------------------------------------------------------------------
// Pictures: drawing on devices, palettes and the replaceable creation hooks
// (rvfuncs_graphics.cpp)

class TGraphic;
struct TLogPalette;
struct TPersistentClassInfo;

// A 1-pixel frame in Color around [Left, Right) x [Top, Bottom) that leaves
// what lies inside it (and the brush style) as they were: the hover and focus
// frames of pictures and controls.
void RV_DrawFrame(TCanvas* canvas, TColor color, int left, int top, int right, int bottom);
// Puts a picture made at screen resolution on a device at (x, y), scaled from
// screen to device pixels (a negative Width or Height means the picture's own).
// With ToScreen any picture is stretched into the place; otherwise only bitmaps
// are drawn (their pixels, opaque), other pictures are left out.
void RV_PictureToDevice(TCanvas* canvas, int x, int y, int width, int height, const TRVScreenAndDevice& sad,
                        TGraphic* graphic, bool toScreen);
// Gives the picture a palette made from LogPalette (nothing for a null one). A
// JPEG picture is switched to its 8-bit form first. A picture that keeps no
// palette leaves the handle with us, and it is freed.
void RV_SetPaletteToPicture(TGraphic* graphic, const TLogPalette* logPalette);
// The picture's Transparent flag; false for no picture.
bool RV_IsGraphicTransparent(const TGraphic* graphic);

// Every loader that makes a picture from a class found by name makes it through
// RV_CreateGraphics; the RTF reader hands every picture it has read to
// RV_AfterImportGraphic. Both may be replaced by the program; they start as the
// defaults below.
using TRVGraphicClass = const TPersistentClassInfo*;
using TRVCreateGraphicsFunction = TGraphic* (*)(TRVGraphicClass graphicClass);
using TRVAfterImportGraphicsProc = void (*)(TGraphic* graphic);
extern TRVCreateGraphicsFunction RV_CreateGraphics;
extern TRVAfterImportGraphicsProc RV_AfterImportGraphic;
// A new picture of the class (owned by the caller); null for no class or a
// class that makes no picture.
TGraphic* RV_CreateGraphicsDefault(TRVGraphicClass graphicClass);
// Does nothing.
void RV_AfterImportGraphicDefault(TGraphic* graphic);
