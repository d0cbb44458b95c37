// Similarity scores of single style properties, on which the merging and
// mapping of style sheets rest. Higher means more alike.
#pragma once

#include "platform/core/types.h"

// Weight for equal values, 0 when they differ by |Value1|, negative beyond; the
// difference is measured relative to Value1, so the score is not symmetric. For
// Value1 = 0: (1 - |Value2|) * Weight. Computed in 64-bit and extended precision
// (halves rounded to even) and clamped to 32 bits, so that values read from
// files cannot overflow.
int RV_CompareInts(int value1, int value2, int weight);

// Weight2 for two identical colours, down to about -3 * Weight1 for the farthest
// pair: each RGB channel costs |a - b| * Weight1 div 255, and Weight2 is added
// when both colours are dark (no channel above 64) or both are not. Two clNone
// score 3 * Weight1 + Weight2, clNone against a colour 0. Clamped to 32 bits.
int RV_CompareColors(TColor color1, TColor color2, int weight1, int weight2);
