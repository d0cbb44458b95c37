// Item text on a canvas: widths, extents of prefixes, caret positions of
// reordered text and the drawing of a selected part of mixed-direction text.
#include "document/rvuni.h"

#include <algorithm>
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
// Level[logical] its embedding level (odd: shown right to left; only when asked for).
struct TPlacement {
    std::vector<unsigned> Order;
    std::vector<int> Inverse;
    std::vector<int> Dx;
    std::vector<uint8_t> Level;
};

// False when the canvas cannot place the text, or gives an order that is not a
// one-to-one map of the characters (the walks below rely on it).
bool Place(TCanvas* canvas, const AnsiString& s, TRVItemOptions itemOptions, bool withLevel, TPlacement& p)
{
    const int n = RVU_Length(s, itemOptions);
    if (n <= 0)
        return false;
    const size_t count = static_cast<size_t>(n);
    p.Order.assign(count, 0);
    p.Dx.assign(count, 0);
    p.Level.assign(withLevel ? count : 0, 0);
    TGCPResults results;
    results.lpOrder = p.Order.data();
    results.lpDx = p.Dx.data();
    results.lpLevel = withLevel ? p.Level.data() : nullptr;
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

bool RVU_HasRightToLeft(TCanvas* canvas, const AnsiString& s, TRVItemOptions itemOptions)
{
    const int n = RVU_Length(s, itemOptions);
    if (n <= 0)
        return false;
    if (!IsUnicode(itemOptions))
        return canvas->HasRightToLeftA(s.data(), n);
    // Asked for every text measured where the caret goes: a block at a time,
    // without copying the text. A surrogate pair cut by a block's end still
    // shows its plane in its first unit.
    constexpr int Block = 256;
    WideChar units[Block];
    for (int start = 0; start < n; start += Block) {
        const int count = std::min(Block, n - start);
        for (int i = 0; i < count; ++i)
            units[i] = RVU_RawUnicodeUnit(s.data(), static_cast<size_t>(start + i));
        if (canvas->HasRightToLeftW(units, count))
            return true;
    }
    return false;
}

bool RVU_GetTextCaretPos(TCanvas* canvas, const AnsiString& s, int* posArray, TRVItemOptions itemOptions)
{
    TPlacement p;
    if (!Place(canvas, s, itemOptions, true, p))
        return false;
    const int n = static_cast<int>(p.Inverse.size());
    // The left edge of every visual position.
    std::vector<int> left(static_cast<size_t>(n) + 1, 0);
    for (int v = 0; v < n; ++v)
        left[static_cast<size_t>(v) + 1] = left[static_cast<size_t>(v)] + p.Dx[static_cast<size_t>(v)];
    auto logical = [&](int v) { return p.Inverse[static_cast<size_t>(v)]; };
    auto rightToLeft = [&](int v) { return (p.Level[static_cast<size_t>(logical(v))] & 1) != 0; };
    // The units of one character (a code point and its marks, or a surrogate
    // pair) stand side by side in logical order, at one level; the characters
    // of a right-to-left stretch stand in the reverse order. So a unit shown
    // right to left belongs to the character whose first unit is found going
    // left while the logical order goes down by one.
    auto characterStart = [&](int v) {
        while (v > 0 && rightToLeft(v - 1) && logical(v - 1) == logical(v) - 1)
            --v;
        return v;
    };
    auto characterEnd = [&](int v) {
        while (v + 1 < n && rightToLeft(v + 1) && logical(v + 1) == logical(v) + 1)
            ++v;
        return v + 1;
    };
    // The place after a character: at its left edge when it is shown right to
    // left, else one pixel right of its right edge. The place before one: at
    // its right edge when it is shown right to left, else at its left edge.
    auto after = [&](int l) {
        const int v = static_cast<int>(p.Order[static_cast<size_t>(l)]);
        return rightToLeft(v) ? left[static_cast<size_t>(characterStart(v))]
                              : left[static_cast<size_t>(v) + 1] + 1;
    };
    auto before = [&](int l) {
        const int v = static_cast<int>(p.Order[static_cast<size_t>(l)]);
        return rightToLeft(v) ? left[static_cast<size_t>(characterEnd(v))] : left[static_cast<size_t>(v)];
    };
    // A place between two characters belongs to the one of the deeper level
    // (the one that starts a stretch of another direction), so that the two
    // ends of such a stretch are places of their own: the place before the
    // first Arabic letter after a Latin word is at that letter's right edge,
    // the place after the last one at the left edge of the last.
    auto level = [&](int l) { return p.Level[static_cast<size_t>(l)]; };
    posArray[0] = before(0);
    for (int l = 1; l < n; ++l)
        posArray[l] = level(l) > level(l - 1) ? before(l) : after(l - 1);
    posArray[n] = after(n - 1);
    return true;
}

bool RVU_DrawSelectedTextEx(int left, int top, int height, const AnsiString& s, TCanvas* canvas, int index1,
                            int index2, TRVItemOptions itemOptions, TRVBiDiMode biDiMode)
{
    const int n = RVU_Length(s, itemOptions);
    if (index1 < 1 || index1 > index2 || index2 > n)
        return false;
    // Text without a direction of its own is drawn in its logical order unless
    // it holds characters that read right to left.
    if (biDiMode == rvbdUnspecified && !RVU_HasRightToLeft(canvas, s, itemOptions))
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
