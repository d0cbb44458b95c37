// Reading the instructions of RTF fields (INCLUDEPICTURE, HYPERLINK, SYMBOL).
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/types.h"

// When the trimmed instruction begins with fieldName, its first argument: the
// text between a double quote and the next one (blanks inside kept, doubled
// backslashes made single), or else the first blank-delimited word after the
// name. False when the instruction is another field or has no argument.
bool RVRTFFieldArgument(const AnsiString& instruction, const char* fieldName, AnsiString& argument);

// A SYMBOL field: "SYMBOL code \f "font" \s size". The code may be decimal or
// hexadecimal after 0x. False unless code, font and size are all present and valid.
bool RVRTFParseSymbolField(const AnsiString& instruction, int& code, AnsiString& fontName, int& size);

// Whether a font named by a field is a symbol font ("Symbol", "Wingdings", in
// any letter case): its character codes are glyph numbers, not letters of a code page.
bool RVRTFIsSymbolFontName(const AnsiString& fontName);

// The bytes of the file an INCLUDEPICTURE field names, when it is safe to
// read: the name relative and without "..", resolved (links followed) inside
// basePath, a regular file of at most maxSize bytes, opened without waiting
// on a FIFO or device. False otherwise.
bool RVRTFReadIncludedFile(const AnsiString& basePath, const AnsiString& name, int64_t maxSize,
                           std::string& bytes);
