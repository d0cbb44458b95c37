// Stepping through zero-terminated UTF-16 text by characters as the platform's
// wide-character calls group them: a code point (a surrogate pair counts as
// one) with the combining marks that follow it.
#pragma once

#include "platform/core/types.h"

// The start of the character after the one at Current; Current itself when it
// points at the terminating zero.
const WideChar* CharNextW(const WideChar* current);
// The start of the character before Current, never before Start; Start itself
// when Current is not after it.
const WideChar* CharPrevW(const WideChar* start, const WideChar* current);
