// Code pages: conversion between bytes in a code page and UTF-16, with the
// platform's rules. An unknown code page falls back to the ANSI code page; a
// byte the code page does not define (or a malformed multi-byte sequence) maps
// to the code point of its own value; a UTF-16 unit with no equivalent in the
// code page becomes the default character '?'. Best-fit mapping is not done.
//
// Converted here: UTF-8 (65001, our own code), CP_SYMBOL (42: byte b <-> U+F000 + b,
// control bytes below 0x20 kept as themselves), and through tables built once
// from ICU: 874, 932, 936, 949, 950, 1250-1258, the OEM pages 437, 720, 737, 775,
// 850, 852, 855, 857, 858, 860-863, 865, 866, 869, Mac Roman 10000, ASCII 20127,
// KOI8-R 20866, KOI8-U 21866, ISO-8859 28591-28599, 28603, 28605. Every call is
// linear in the length of the text.
#pragma once

#include "platform/core/types.h"

// Code-page identifiers with a meaning of their own.
enum : unsigned {
    CP_ACP = 0,        // the ANSI code page
    CP_OEMCP = 1,      // the OEM code page
    CP_MACCP = 2,      // the Macintosh code page
    CP_THREAD_ACP = 3, // the ANSI code page
    CP_SYMBOL = 42,    // bytes map to U+F000 + byte
    CP_UTF7 = 65000,
    CP_UTF8 = 65001,
};

// The ANSI code page: that of the locale's character set (LC_ALL, then LC_CTYPE,
// then LANG, as setlocale chooses): 65001 for UTF-8, 1252 for ISO-8859-1, 20866
// for KOI8-R, 932 for Shift_JIS, 936 for GB2312/GBK/GB18030 (GB18030's four-byte
// forms then read byte by byte), the Windows code page of the same name for the
// others. The C and POSIX locales, an unset locale and any character set not
// converted here give 65001: programs on current Linux systems read and write
// UTF-8 whatever their locale says. The locale is read once; SetACP overrides
// it (tests, settings), and SetACP(0) reads the locale again.
unsigned GetACP();
void SetACP(unsigned codePage); // 0 returns to the locale's
unsigned GetOEMCP();            // 437 unless set
void SetOEMCP(unsigned codePage);
unsigned GetMacCP(); // 10000 unless set
void SetMacCP(unsigned codePage);
// CP_ACP, CP_OEMCP, CP_MACCP, CP_THREAD_ACP become the code page they stand for.
unsigned ResolveCodePage(unsigned codePage);

// True when the code page can be converted here.
bool IsValidCodePage(unsigned codePage);
// Maximum bytes per character of the code page (1 for single-byte ones, 2 for
// double-byte ones, 4 for UTF-8); an unknown code page answers for the ANSI one.
int CodePageMaxCharSize(unsigned codePage);
// True for a byte that starts a character of two bytes (of two to four in UTF-8).
bool IsDBCSLeadByteEx(unsigned codePage, unsigned char byte);

// Windows-style calls: convert Count bytes/units (-1: up to and including a
// terminating zero). With a null or empty output they return the length
// needed; otherwise they fill at most OutSize elements and return how many,
// 0 when the output is too small (nothing is then written). 0 also for no input,
// Count 0 or below -1, a negative OutSize, or a code page that cannot be converted
// even as the ANSI one. Flags are accepted and ignored.
// WideCharToMultiByte writes the first byte of DefaultChar (or '?') for a unit
// with no equivalent (once for a surrogate pair) and then sets *UsedDefaultChar;
// a DefaultChar that is a lead byte of the code page is replaced by '?'. UTF-8
// has no default character: a lone surrogate becomes U+FFFD.
int MultiByteToWideChar(unsigned codePage, unsigned flags, const char* multiByteStr, int count,
                        WideChar* wideCharStr, int outSize);
int WideCharToMultiByte(unsigned codePage, unsigned flags, const WideChar* wideCharStr, int count,
                        char* multiByteStr, int outSize, const char* defaultChar, bool* usedDefaultChar);

// The same conversions on whole strings. Should even the ANSI code page be
// unconvertible, the result is one '?' per byte or unit.
WideString AnsiToWide(const AnsiString& s, unsigned codePage = CP_ACP);
AnsiString WideToAnsi(const WideString& s, unsigned codePage = CP_ACP);
// UTF-8 <-> UTF-16. A malformed UTF-8 byte becomes the code point of its value;
// a lone surrogate becomes U+FFFD in UTF-8.
WideString UTF8Decode(const AnsiString& s);
AnsiString UTF8Encode(const WideString& s);

// Stepping through multi-byte text by characters, as the conversions divide it:
// a lead byte and its trail byte are one character when they form a defined
// one, a malformed UTF-8 byte is a character of its own. CharNextExA returns the
// start of the next character (never past End; Current itself at or past End);
// CharPrevExA the start of the character before Current (never before Start;
// Start itself when Current is not after it). Start and Current must be
// character boundaries. CharPrevExA in a double-byte code page looks back over
// the run of possible lead bytes before Current, as the platform's does.
const char* CharNextExA(unsigned codePage, const char* current, const char* end);
const char* CharPrevExA(unsigned codePage, const char* start, const char* current);
// The UTF-8 character at Current (before End) as the conversions read it:
// its code point, and the start of the next character. A byte that begins no
// well-formed sequence is a character of its own, the code point of its value.
// Utf8LeadCharAt reads it when its first byte (0xC2 to 0xF4) may begin a
// sequence; ASCII and the bytes that begin none (most of a binary file) are
// read inline.
const char* Utf8LeadCharAt(const char* current, const char* end, unsigned& codePoint);
inline const char* Utf8CharAt(const char* current, const char* end, unsigned& codePoint)
{
    const unsigned b = static_cast<unsigned char>(*current);
    if (b < 0xC2 || b > 0xF4) {
        codePoint = b;
        return current + 1;
    }
    return Utf8LeadCharAt(current, end, codePoint);
}
// The same in the ANSI code page.
const char* CharNext(const char* current, const char* end);
const char* CharPrev(const char* start, const char* current);
