// Byte tables of the single- and double-byte code pages, built once per code
// page from ICU's converters. Internal to the code-page functions (codepages.h).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/core/types.h"

namespace codepages_detail {

// Both directions of one code page of one- or two-byte characters. Built once,
// never changed afterwards, and kept until the program ends, so a pointer to it
// stays valid.
//
// Bytes 0x00-0x7F are ASCII in every code page here. A byte the page does not
// define maps to the code point of its own value, and so does a lead byte that
// is not followed by a trail byte completing a defined character.
struct TCodePageTable {
    unsigned CodePage = 0;
    int MaxCharSize = 1;         // 1, or 2 for a double-byte code page
    WideChar Single[256] = {};   // a byte alone
    bool Lead[256] = {};         // starts a double-byte character
    int16_t LeadSlot[256] = {};  // lead byte -> its row in Pairs, -1 for none
    std::vector<WideChar> Pairs; // row * 256 + trail byte; 0 where the pair is not defined
    // UTF-16 unit -> bytes: 0 for none, below 0x100 one byte, else lead << 8 | trail.
    // U+0000 is byte 0 and is not stored here.
    std::vector<uint16_t> Reverse;

    // The character of a lead byte and the byte after it; 0 when the pair is not defined.
    WideChar Pair(unsigned char lead, unsigned char trail) const
    {
        int slot = LeadSlot[lead];
        return slot < 0 ? WideChar(0) : Pairs[static_cast<size_t>(slot) * 256 + trail];
    }
};

// The table of a code page (not CP_ACP and the like: a resolved number), or null
// when ICU has no converter for it. The first call per page builds it.
const TCodePageTable* FindCodePageTable(unsigned codePage);

} // namespace codepages_detail
