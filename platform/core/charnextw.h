// Stepping through zero-terminated UTF-16 text by characters as the platform's
// wide-character calls group them: a code point (a surrogate pair counts as
// one) with the combining marks that follow it.
#pragma once

#include <vector>

#include "platform/core/types.h"

// The start of the character after the one at Current; Current itself when it
// points at the terminating zero.
const WideChar* CharNextW(const WideChar* current);
// The start of the character before Current, never before Start; Start itself
// when Current is not after it.
const WideChar* CharPrevW(const WideChar* start, const WideChar* current);

// The boundaries between the user-perceived characters (extended grapheme
// clusters) of the Length units of Text, strictly inside it, as counts of
// units from its start: a letter with its marks, an emoji with its skin tone,
// a flag, a joined emoji sequence and CR LF are one character each.
std::vector<int> GraphemeBoundaries(const WideChar* text, int length);
