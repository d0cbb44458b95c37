// The tables of the line-break search, shared by the Unicode functions only.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

// The line-break classes, numbered as RVU_GetUnicodeLineBreakClass reports them.
enum TRVLineBreakClass : uint8_t {
    rvlbOP,
    rvlbCL,
    rvlbQU,
    rvlbGL,
    rvlbNS,
    rvlbEX,
    rvlbSY,
    rvlbIS,
    rvlbPR,
    rvlbPO,
    rvlbNU,
    rvlbAL,
    rvlbID,
    rvlbIN,
    rvlbHY,
    rvlbBA,
    rvlbBB,
    rvlbB2,
    rvlbZW,
    rvlbCM,
};
inline constexpr int RVLineBreakClassCount = 20;

struct TRVLineBreakRange {
    WideChar First;
    WideChar Last;
    TRVLineBreakClass Class;
};

// Every code unit outside these ranges is AL.
extern const TRVLineBreakRange RVLineBreakRanges[];
extern const int RVLineBreakRangeCount;

// Indexed by Before * RVLineBreakClassCount + After: 0 a break is allowed, 1 only
// when a space follows the unit before, 2 no break.
extern const uint8_t RVLineBreakPairs[RVLineBreakClassCount * RVLineBreakClassCount];
