// Code pages: conversion between bytes in a code page and UTF-16, with the
// platform's rules. An unknown code page falls back to the ANSI code page; a
// byte the code page does not define (or a malformed multi-byte sequence) maps
// to the code point of its own value; a UTF-16 unit with no equivalent in the
// code page becomes the default character '?'.
#pragma once

#include "platform/core/types.h"

// Code-page identifiers with a meaning of their own.
enum : unsigned {
    CP_ACP = 0,         // the ANSI code page
    CP_OEMCP = 1,       // the OEM code page
    CP_MACCP = 2,       // the Macintosh code page
    CP_THREAD_ACP = 3,  // the ANSI code page
    CP_SYMBOL = 42,     // bytes map to U+F000 + byte
    CP_UTF7 = 65000,
    CP_UTF8 = 65001,
};

// The ANSI code page: that of the locale's character set (LC_ALL, LC_CTYPE,
// LANG): 65001 for UTF-8, 1252 for Latin-1 and the C locale's ASCII, or the
// Windows code page of the same name. SetACP overrides it (tests, settings).
unsigned GetACP();
void SetACP(unsigned CodePage);  // 0 returns to the locale's
unsigned GetOEMCP();             // 437 unless set
void SetOEMCP(unsigned CodePage);
unsigned GetMacCP();             // 10000 unless set
void SetMacCP(unsigned CodePage);
// CP_ACP, CP_OEMCP, CP_MACCP, CP_THREAD_ACP become the code page they stand for.
unsigned ResolveCodePage(unsigned CodePage);

// True when the code page can be converted here.
bool IsValidCodePage(unsigned CodePage);
// Maximum bytes per character of the code page (1 for single-byte ones, 4 for UTF-8).
int CodePageMaxCharSize(unsigned CodePage);
bool IsDBCSLeadByteEx(unsigned CodePage, unsigned char Byte);

// Windows-style calls: convert Count bytes/units (-1: up to and including a
// terminating zero). With a null or empty output they return the length
// needed; otherwise they fill at most OutSize elements and return how many,
// 0 when the output is too small. Flags are accepted and ignored.
int MultiByteToWideChar(unsigned CodePage, unsigned Flags, const char* MultiByteStr, int Count,
                        WideChar* WideCharStr, int OutSize);
int WideCharToMultiByte(unsigned CodePage, unsigned Flags, const WideChar* WideCharStr, int Count,
                        char* MultiByteStr, int OutSize, const char* DefaultChar, bool* UsedDefaultChar);

// The same conversions on whole strings.
WideString AnsiToWide(const AnsiString& s, unsigned CodePage = CP_ACP);
AnsiString WideToAnsi(const WideString& s, unsigned CodePage = CP_ACP);
// UTF-8 <-> UTF-16. A malformed UTF-8 byte becomes the code point of its value;
// a lone surrogate becomes U+FFFD in UTF-8.
WideString UTF8Decode(const AnsiString& s);
AnsiString UTF8Encode(const WideString& s);

// Stepping through multi-byte text by characters. CharNextExA returns the start
// of the next character (never past End); CharPrevExA the start of the character
// before Current (never before Start).
const char* CharNextExA(unsigned CodePage, const char* Current, const char* End);
const char* CharPrevExA(unsigned CodePage, const char* Start, const char* Current);
// The same in the ANSI code page.
const char* CharNext(const char* Current, const char* End);
const char* CharPrev(const char* Start, const char* Current);
