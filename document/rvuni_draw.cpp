// Item text on a canvas: widths, extents of prefixes, caret positions of
// reordered text and the drawing of a selected part of mixed-direction text.
#include "document/rvuni.h"

#include <vector>

#include "platform/graphics/canvas.h"

namespace {

bool IsUnicode(TRVItemOptions itemOptions)
{
    return itemOptions.Contains(rvioUnicode);
}

// Reordering, kerning, shaping and diacritics, as the layout asks of the platform.
constexpr unsigned PlacementFlags = GCP_REORDER | GCP_USEKERNING | GCP_GLYPHSHAPE | GCP_DIACRITIC;

// The placement of a text for display: Order[logical] is the visual position,
// Inverse[visual] the logical character shown there, Dx[visual] its advance,
// Class[logical] its character class (only when asked for).
struct TPlacement {
    std::vector<unsigned> Order;
    std::vector<int> Inverse;
    std::vector<int> Dx;
    std::vector<char> Class;
};

// False when the canvas cannot place the text, or gives an order that is not a
// one-to-one map of the characters (the walks below rely on it).
bool Place(TCanvas* canvas, const AnsiString& s, TRVItemOptions itemOptions, bool withClass, TPlacement& p)
{
    const int n = RVU_Length(s, itemOptions);
    if (n <= 0)
        return false;
    const size_t count = static_cast<size_t>(n);
    p.Order.assign(count, 0);
    p.Dx.assign(count, 0);
    p.Class.assign(withClass ? count : 0, 0);
    TGCPResults results;
    results.lpOrder = p.Order.data();
    results.lpDx = p.Dx.data();
    results.lpClass = withClass ? p.Class.data() : nullptr;
    results.nGlyphs = static_cast<unsigned>(n);
    unsigned placed;
    if (IsUnicode(itemOptions)) {
        const WideString w = RVU_RawUnicodeUnits(s);
        placed = canvas->GetCharacterPlacementW(w.data(), n, 0, results, PlacementFlags);
    } else {
        placed = canvas->GetCharacterPlacementA(s.data(), n, 0, results, PlacementFlags);
    }
    if (placed == 0)
        return false;
    p.Inverse.assign(count, -1);
    for (size_t i = 0; i < count; ++i) {
        const unsigned v = p.Order[i];
        if (v >= count || p.Inverse[v] != -1)
            return false;
        p.Inverse[v] = static_cast<int>(i);
    }
    return true;
}

} // namespace

bool RVU_TextExtent(std::string_view s, TCanvas* canvas, TRVItemOptions itemOptions, TSize& size)
{
    const int n = RVU_Length(s, itemOptions);
    if (IsUnicode(itemOptions)) {
        const WideString w = RVU_RawUnicodeUnits(s);
        return canvas->GetTextExtentPoint32W(w.data(), n, size);
    }
    return canvas->GetTextExtentPoint32A(s.data(), n, size);
}

int RVU_TextWidth(std::string_view s, TCanvas* canvas, TRVItemOptions itemOptions)
{
    TSize size;
    RVU_TextExtent(s, canvas, itemOptions, size);
    return size.cx;
}

void RVU_GetTextExtentExPoint(TCanvas* canvas, const AnsiString& s, int maxExtent, int& fit, int* posArray,
                              TRVItemOptions itemOptions)
{
    TSize size;
    RVU_GetTextExtentExPointPC(canvas, s.data(), RVU_Length(s, itemOptions), maxExtent, fit, posArray,
                               itemOptions, size);
}

void RVU_GetTextExtentExPointPC(TCanvas* canvas, const char* buffer, int length, int maxExtent, int& fit,
                                int* posArray, TRVItemOptions itemOptions, TSize& size)
{
    fit = 0;
    size = TSize();
    if (!buffer || length <= 0)
        return;
    bool measured;
    if (IsUnicode(itemOptions)) {
        const WideString w = RVU_RawUnicodeUnits(std::string_view(buffer, 2 * static_cast<size_t>(length)));
        measured = canvas->GetTextExtentExPointW(w.data(), length, maxExtent, &fit, posArray, size);
    } else {
        measured = canvas->GetTextExtentExPointA(buffer, length, maxExtent, &fit, posArray, size);
    }
    if (!measured) {
        fit = 0;
        size = TSize();
    }
}

bool RVU_GetTextCaretPos(TCanvas* canvas, const AnsiString& s, int* posArray, TRVItemOptions itemOptions)
{
    TPlacement p;
    if (!Place(canvas, s, itemOptions, true, p))
        return false;
    // Walk the characters as they are shown, left to right: the caret after a
    // right-to-left character is at its left edge, after any other at its right
    // edge (one pixel on); the place before the first character is its other edge.
    int x = 0;
    for (size_t v = 0; v < p.Inverse.size(); ++v) {
        const int l = p.Inverse[v];
        const int dx = p.Dx[v];
        if (p.Class[static_cast<size_t>(l)] == GCPCLASS_HEBREW) {
            posArray[l + 1] = x;
            if (l == 0)
                posArray[0] = x + dx;
        } else {
            posArray[l + 1] = x + dx + 1;
            if (l == 0)
                posArray[0] = x;
        }
        x += dx;
    }
    return true;
}

bool RVU_DrawSelectedTextEx(int left, int top, int height, const AnsiString& s, TCanvas* canvas, int index1,
                            int index2, TRVItemOptions itemOptions, TRVBiDiMode biDiMode)
{
    if (biDiMode == rvbdUnspecified)
        return false;
    const int n = RVU_Length(s, itemOptions);
    if (index1 < 1 || index1 > index2 || index2 > n)
        return false;
    TPlacement p;
    if (!Place(canvas, s, itemOptions, false, p))
        return false;
    // One left-to-right walk over the characters as shown finds every stretch of
    // selected characters that stand side by side on the screen, whatever their
    // logical order: each is painted by drawing the whole text clipped to it. A
    // walk over n positions ends, and painting adjacent stretches apart would give
    // the same pixels with more calls.
    struct TStretch {
        int X;
        int Width;
    };
    std::vector<TStretch> stretches;
    int x = 0;
    for (int v = 0; v < n;) {
        const int l = p.Inverse[static_cast<size_t>(v)] + 1;
        if (l < index1 || l > index2) {
            x += p.Dx[static_cast<size_t>(v)];
            ++v;
            continue;
        }
        TStretch stretch{x, 0};
        for (; v < n; ++v) {
            const int k = p.Inverse[static_cast<size_t>(v)] + 1;
            if (k < index1 || k > index2)
                break;
            stretch.Width += p.Dx[static_cast<size_t>(v)];
        }
        x += stretch.Width;
        stretches.push_back(stretch);
    }
    const WideString w = IsUnicode(itemOptions) ? RVU_RawUnicodeUnits(s) : WideString();
    for (const TStretch& stretch : stretches) {
        const TRect clip = Rect(left + stretch.X, top, left + stretch.X + stretch.Width, top + height);
        if (IsUnicode(itemOptions))
            canvas->ExtTextOutW(left, top, ETO_CLIPPED | ETO_OPAQUE, &clip, w.data(), n, nullptr);
        else
            canvas->ExtTextOutA(left, top, ETO_CLIPPED | ETO_OPAQUE, &clip, s.data(), n, nullptr);
    }
    return true;
}
