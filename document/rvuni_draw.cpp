// Item text on a canvas: widths, extents of prefixes, caret positions of
// reordered text and the drawing of a selected part of mixed-direction text.
#include "document/rvuni.h"

#include <vector>

#include "platform/graphics/canvas.h"

namespace {

bool IsUnicode(TRVItemOptions ItemOptions)
{
    return ItemOptions.Contains(rvioUnicode);
}

// Count code units kept as bytes, low byte first (the bytes need not be aligned).
WideString UnitsOf(const char* Bytes, int Count)
{
    WideString w(static_cast<size_t>(Count > 0 ? Count : 0), 0);
    for (size_t i = 0; i < w.size(); ++i)
        w[i] = static_cast<WideChar>(static_cast<unsigned char>(Bytes[2 * i]) |
                                     static_cast<unsigned char>(Bytes[2 * i + 1]) << 8);
    return w;
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
bool Place(TCanvas* Canvas, const AnsiString& s, TRVItemOptions ItemOptions, bool WithClass, TPlacement& P)
{
    const int n = RVU_Length(s, ItemOptions);
    if (n <= 0)
        return false;
    const size_t count = static_cast<size_t>(n);
    P.Order.assign(count, 0);
    P.Dx.assign(count, 0);
    P.Class.assign(WithClass ? count : 0, 0);
    TGCPResults results;
    results.lpOrder = P.Order.data();
    results.lpDx = P.Dx.data();
    results.lpClass = WithClass ? P.Class.data() : nullptr;
    results.nGlyphs = static_cast<unsigned>(n);
    unsigned placed;
    if (IsUnicode(ItemOptions)) {
        const WideString w = UnitsOf(s.data(), n);
        placed = Canvas->GetCharacterPlacementW(w.data(), n, 0, results, PlacementFlags);
    } else {
        placed = Canvas->GetCharacterPlacementA(s.data(), n, 0, results, PlacementFlags);
    }
    if (placed == 0)
        return false;
    P.Inverse.assign(count, -1);
    for (size_t i = 0; i < count; ++i) {
        const unsigned v = P.Order[i];
        if (v >= count || P.Inverse[v] != -1)
            return false;
        P.Inverse[v] = static_cast<int>(i);
    }
    return true;
}

} // namespace

int RVU_TextWidth(const AnsiString& s, TCanvas* Canvas, TRVItemOptions ItemOptions)
{
    TSize size;
    const int n = RVU_Length(s, ItemOptions);
    if (IsUnicode(ItemOptions)) {
        const WideString w = UnitsOf(s.data(), n);
        Canvas->GetTextExtentPoint32W(w.data(), n, size);
    } else {
        Canvas->GetTextExtentPoint32A(s.data(), n, size);
    }
    return size.cx;
}

void RVU_GetTextExtentExPoint(TCanvas* Canvas, const AnsiString& s, int MaxExtent, int& Fit, int* PosArray,
                              TRVItemOptions ItemOptions)
{
    TSize size;
    RVU_GetTextExtentExPointPC(Canvas, s.data(), RVU_Length(s, ItemOptions), MaxExtent, Fit, PosArray,
                               ItemOptions, size);
}

void RVU_GetTextExtentExPointPC(TCanvas* Canvas, const char* Buffer, int Length, int MaxExtent, int& Fit,
                                int* PosArray, TRVItemOptions ItemOptions, TSize& Size)
{
    Fit = 0;
    Size = TSize();
    if (!Buffer || Length <= 0)
        return;
    bool measured;
    if (IsUnicode(ItemOptions)) {
        const WideString w = UnitsOf(Buffer, Length);
        measured = Canvas->GetTextExtentExPointW(w.data(), Length, MaxExtent, &Fit, PosArray, Size);
    } else {
        measured = Canvas->GetTextExtentExPointA(Buffer, Length, MaxExtent, &Fit, PosArray, Size);
    }
    if (!measured) {
        Fit = 0;
        Size = TSize();
    }
}

bool RVU_GetTextCaretPos(TCanvas* Canvas, const AnsiString& s, int* PosArray, TRVItemOptions ItemOptions)
{
    TPlacement p;
    if (!Place(Canvas, s, ItemOptions, true, p))
        return false;
    // Walk the characters as they are shown, left to right: the caret after a
    // right-to-left character is at its left edge, after any other at its right
    // edge (one pixel on); the place before the first character is its other edge.
    int x = 0;
    for (size_t v = 0; v < p.Inverse.size(); ++v) {
        const int l = p.Inverse[v];
        const int dx = p.Dx[v];
        if (p.Class[static_cast<size_t>(l)] == GCPCLASS_HEBREW) {
            PosArray[l + 1] = x;
            if (l == 0)
                PosArray[0] = x + dx;
        } else {
            PosArray[l + 1] = x + dx + 1;
            if (l == 0)
                PosArray[0] = x;
        }
        x += dx;
    }
    return true;
}

bool RVU_DrawSelectedTextEx(int Left, int Top, int Height, const AnsiString& s, TCanvas* Canvas, int Index1,
                            int Index2, TRVItemOptions ItemOptions, TRVBiDiMode BiDiMode)
{
    if (BiDiMode == rvbdUnspecified)
        return false;
    const int n = RVU_Length(s, ItemOptions);
    if (Index1 < 1 || Index1 > Index2 || Index2 > n)
        return false;
    TPlacement p;
    if (!Place(Canvas, s, ItemOptions, false, p))
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
        if (l < Index1 || l > Index2) {
            x += p.Dx[static_cast<size_t>(v)];
            ++v;
            continue;
        }
        TStretch stretch{x, 0};
        for (; v < n; ++v) {
            const int k = p.Inverse[static_cast<size_t>(v)] + 1;
            if (k < Index1 || k > Index2)
                break;
            stretch.Width += p.Dx[static_cast<size_t>(v)];
        }
        x += stretch.Width;
        stretches.push_back(stretch);
    }
    const WideString w = IsUnicode(ItemOptions) ? UnitsOf(s.data(), n) : WideString();
    for (const TStretch& stretch : stretches) {
        const TRect clip = Rect(Left + stretch.X, Top, Left + stretch.X + stretch.Width, Top + Height);
        if (IsUnicode(ItemOptions))
            Canvas->ExtTextOutW(Left, Top, ETO_CLIPPED | ETO_OPAQUE, &clip, w.data(), n, nullptr);
        else
            Canvas->ExtTextOutA(Left, Top, ETO_CLIPPED | ETO_OPAQUE, &clip, s.data(), n, nullptr);
    }
    return true;
}
