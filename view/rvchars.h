// Character boundaries of an item's text as the caret, the deleting keys and
// the ends of a selection see them: the user-perceived characters (extended
// grapheme clusters) of a Unicode item or of UTF-8 text, so that an emoji with
// its skin tone, a flag, a joined emoji sequence and a letter with its marks
// are one character each; the whole characters of a multi-byte code page,
// never a lead byte without its trail byte.
#pragma once

#include <vector>

#include "platform/core/types.h"

// The boundaries strictly inside Text (a count of units before each: UTF-16
// code units for Unicode, bytes otherwise), in increasing order.
std::vector<int> RVE_CharBoundaries(const AnsiString& text, bool unicode, unsigned codePage);
// The number of units of the character that ends before unit Index (0-based
// count of units before the caret); 0 at the start.
int RVE_PrevCharUnits(const AnsiString& text, bool unicode, unsigned codePage, int index);
