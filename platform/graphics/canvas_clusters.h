// The characters of UTF-16 text as the canvas measures, draws and places them:
// surrogate pairs, clusters of a code point and its combining marks, whether the
// text needs the bidirectional algorithm, and its clusters in visual order.
// Shared by the canvas's text units (canvas_text.cpp, canvas_textout.cpp).
#pragma once

#include <unicode/uchar.h>

#include <cstdint>
#include <vector>

#include "platform/graphics/canvas.h"

namespace textclusters {

inline bool IsHighSurrogate(WideChar c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
inline bool IsLowSurrogate(WideChar c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

inline UChar32 CodePointAt(const WideChar* s, int n, int i, int& units)
{
    if (IsHighSurrogate(s[i]) && i + 1 < n && IsLowSurrogate(s[i + 1])) {
        units = 2;
        return 0x10000 + ((UChar32(s[i]) - 0xD800) << 10) + (UChar32(s[i + 1]) - 0xDC00);
    }
    units = 1;
    return s[i];
}

inline bool IsCombining(UChar32 c)
{
    // No mark lies below the combining diacritics' block: most text is
    // answered without asking the character database.
    if (c < 0x300)
        return false;
    const int8_t type = u_charType(c);
    return type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_COMBINING_SPACING_MARK;
}

// The end of the character that starts at i: a code point and the combining marks after it.
inline int ClusterEnd(const WideChar* s, int n, int i)
{
    // A character below the combining marks followed by another: alone.
    if (s[i] < 0x300 && (i + 1 >= n || s[i + 1] < 0x300))
        return i + 1;
    int units = 1;
    CodePointAt(s, n, i, units);
    i += units;
    while (i < n) {
        UChar32 c = CodePointAt(s, n, i, units);
        if (!IsCombining(c))
            break;
        i += units;
    }
    return i;
}

// Calls Visit(start, count) for each character of the text in logical order.
template <typename F> void ForEachCluster(const WideChar* s, int n, F visit)
{
    for (int i = 0; i < n;) {
        const int end = ClusterEnd(s, n, i);
        visit(i, end - i);
        i = end;
    }
}

// Whether the text needs the bidirectional algorithm at all.
inline bool HasRightToLeft(const WideChar* s, int n)
{
    for (int i = 0; i < n; ++i) {
        const WideChar c = s[i];
        // Hebrew, Arabic, Syriac, Thaana, NKo ... and their presentation forms, the
        // explicit direction marks and embeddings, and the right-to-left planes.
        if ((c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF) ||
            c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0xD802 ||
            c == 0xD803 || c == 0xD83A || c == 0xD83B)
            return true;
    }
    return false;
}

struct TClusterInfo {
    int Start;
    int Count;
    uint8_t Level;
};

// Clusters of the text in visual order, with their levels; base level 1 for right to left.
std::vector<TClusterInfo> VisualClusters(const WideChar* s, int n, bool rightToLeft);

} // namespace textclusters
