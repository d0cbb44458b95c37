// Small types that many units of the document library name: the library's
// exception class, the options every item carries and the reading direction.
#pragma once

#include <cstdint>

#include "document/rvset.h"
#include "platform/core/sysutils.h"

// The library's errors that are not reported by a return value; the messages
// are the fixed texts of document/rvstr.h.
KELVOR_EXCEPTION(ERollViewError, Exception)

// Options of an item, a set held in one byte (bit n is option n).
enum TRVItemOption {
    rvioSameAsPrev, // the item continues the line of the previous item
    rvioPageBreakBefore,
    rvioBR,      // the item starts a new line but not a new paragraph
    rvioUnicode, // the item's text is UTF-16, two bytes per unit, low byte first
};

using TRVItemOptions = TRVSet<TRVItemOption, uint8_t>;

// Reading direction of text, paragraphs and documents; one byte.
enum TRVBiDiMode : uint8_t { rvbdUnspecified, rvbdLeftToRight, rvbdRightToLeft };
