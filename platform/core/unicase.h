// Case mapping of UTF-16 text that keeps its length, for text whose offsets
// must stay valid after it is shown in capitals.
#pragma once

#include "platform/core/types.h"

// Upper-cases Count code units of Buffer in place, one code point at a time, with
// Unicode's simple case mapping and no language rules ("ß" stays "ß"). A code point
// whose upper case takes a different number of code units stays as it is, and so
// does a lone surrogate, so every offset into the text keeps its meaning. Returns
// the number of units processed (0 for a null buffer or a Count below 1).
int CharUpperBuffW(WideChar* buffer, int count);
