// Character boundaries of an item's text as the caret and the deleting keys
// see them: a Unicode item steps by the platform's characters (a code point
// with its combining marks), and a zero-width joiner binds the character
// after it (an emoji sequence is one character); an 8-bit item in a
// multi-byte code page steps by whole characters.
#pragma once

#include <vector>

#include "platform/core/types.h"

// The boundaries strictly inside Text (a count of units before each: UTF-16
// code units for Unicode, bytes otherwise), in increasing order.
std::vector<int> RVE_CharBoundaries(const AnsiString& text, bool unicode, unsigned codePage);
// The number of units of the character that ends before unit Index (0-based
// count of units before the caret); 0 at the start.
int RVE_PrevCharUnits(const AnsiString& text, bool unicode, unsigned codePage, int index);
