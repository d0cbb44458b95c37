// Fitting text into lines: the characters of a piece, their measurement (by
// prefix extents once the piece is long) and the fit search.
#include "view/crvfdata_fit.h"

#include <algorithm>

#include "document/rvuni.h"
#include "platform/core/charnextw.h"
#include "platform/core/codepages.h"

namespace {

// Up to this many characters a piece is measured part by part on the canvas:
// taking the extents of all its prefixes would cost more than it saves.
constexpr int DirectMeasureLimit = 256;

} // namespace

TPieceText::TPieceText(const AnsiString& text, int offs, int len, bool unicode)
    : FUnicode(unicode), FLen(len), FRaw(text.data() + (unicode ? 2 * static_cast<size_t>(offs) : offs))
{
    if (unicode) {
        FWide.resize(static_cast<size_t>(len));
        for (int i = 0; i < len; ++i) {
            const size_t b = static_cast<size_t>(offs + i) * 2;
            FWide[static_cast<size_t>(i)] = static_cast<WideChar>(
                static_cast<unsigned char>(text[b]) | static_cast<unsigned char>(text[b + 1]) << 8);
        }
    } else {
        FAnsi = text.data() + offs;
    }
}

bool TPieceText::IsSpace(int index) const
{
    if (index < 0 || index >= FLen)
        return false;
    return FUnicode ? FWide[static_cast<size_t>(index)] == 0x0020 : FAnsi[index] == ' ';
}

TSize TPieceText::Measure(TCanvas* canvas, int start, int count) const
{
    if (FHasPrefixes && FStarts[static_cast<size_t>(start)] && FStarts[static_cast<size_t>(start + count)])
        return TSize{FPrefix[static_cast<size_t>(start + count)] - FPrefix[static_cast<size_t>(start)],
                     FHeight};
    TSize size;
    bool ok = FUnicode ? canvas->GetTextExtentPoint32W(Wide() + start, count, size)
                       : canvas->GetTextExtentPoint32A(FAnsi + start, count, size);
    // A failing measurement gives a zero size.
    return ok ? size : TSize();
}

void TPieceText::MeasurePrefixes(TCanvas* canvas)
{
    if (FHasPrefixes)
        return;
    std::vector<int> dx;
    TSize size;
    const bool ok = FUnicode ? canvas->GetTextPrefixExtentsW(Wide(), FLen, dx, FStarts, size)
                             : canvas->GetTextPrefixExtentsA(FAnsi, FLen, dx, FStarts, size);
    if (!ok || static_cast<int>(dx.size()) != FLen || static_cast<int>(FStarts.size()) != FLen + 1) {
        FStarts.clear();
        return;
    }
    FPrefix.resize(static_cast<size_t>(FLen) + 1);
    FPrefix[0] = 0;
    std::copy(dx.begin(), dx.end(), FPrefix.begin() + 1);
    FHeight = size.cy;
    FHasPrefixes = true;
}

void TPieceText::ForgetPrefixes()
{
    FHasPrefixes = false;
    FPrefix.clear();
    FStarts.clear();
}

int TPieceText::CharEnd(TCanvas* canvas, int start) const
{
    if (start >= FLen)
        return FLen;
    if (FUnicode)
        return std::min(static_cast<int>(CharNextW(Wide() + start) - Wide()), FLen);
    const unsigned codePage = canvas->FontCodePage();
    if (CodePageMaxCharSize(codePage) == 1)
        return start + 1;
    const char* next = CharNextExA(codePage, FAnsi + start, FAnsi + FLen);
    return std::max(static_cast<int>(next - FAnsi), start + 1);
}

int TPieceText::AnsiBoundaryBefore(TCanvas* canvas, int start, int pos) const
{
    const unsigned codePage = canvas->FontCodePage();
    if (FUnicode || CodePageMaxCharSize(codePage) == 1)
        return pos;
    int boundary = start;
    while (boundary < pos) {
        const int next = CharEnd(canvas, boundary);
        if (next > pos)
            break;
        boundary = next;
    }
    return boundary;
}

// The canvas's characters and the platform's character steps group units
// alike (a code point with the marks after it), so that the notes of the
// prefix measurement answer without walking back over marks.
bool TPieceText::BeginsChar(int from, int index) const
{
    if (index == from)
        return true;
    if (FHasPrefixes)
        return FStarts[static_cast<size_t>(index)] != 0;
    const WideChar* p = Wide() + from;
    return CharPrevW(p, Wide() + index + 1) == Wide() + index;
}

int TPieceText::CharStartBefore(int from, int end) const
{
    if (end <= from)
        return from;
    if (!FHasPrefixes)
        return static_cast<int>(CharPrevW(Wide() + from, Wide() + end) - Wide());
    int i = end - 1;
    while (i > from && !FStarts[static_cast<size_t>(i)])
        --i;
    return i;
}

int TPieceText::DecidingCount(int pos, int remaining, int avail) const
{
    if (!FHasPrefixes || !FStarts[static_cast<size_t>(pos)])
        return remaining;
    const int base = FPrefix[static_cast<size_t>(pos)];
    for (int i = pos + 1; i <= pos + remaining; ++i)
        if (FStarts[static_cast<size_t>(i)] && FPrefix[static_cast<size_t>(i)] - base > avail)
            return i - pos;
    return remaining;
}

int FitChars(TPieceText& chars, int pos, int remaining, int avail, bool noWrap, bool byCharacter,
             TCanvas* canvas, TSize& whole)
{
    whole = TSize{-1, 0};
    int fit;
    if (byCharacter) {
        if (noWrap)
            return remaining;
        if (remaining > DirectMeasureLimit)
            chars.MeasurePrefixes(canvas);
        // The characters after the first one that overflows change nothing.
        fit = 0;
        TSize size;
        RVU_GetTextExtentExPointPC(canvas, chars.Raw(pos), chars.DecidingCount(pos, remaining, avail), avail,
                                   fit, nullptr,
                                   chars.Unicode() ? TRVItemOptions{rvioUnicode} : TRVItemOptions(), size);
    } else {
        if (!noWrap && remaining > DirectMeasureLimit)
            chars.MeasurePrefixes(canvas);
        whole = chars.Measure(canvas, pos, remaining);
        if (noWrap || (whole.cx > 0 && whole.cx <= avail))
            return remaining;
        // Interpolation between a count that fits (Lo, WLo) and one that does
        // not (Hi, WHi). Counts times widths exceed 32 bits on long lines.
        int lo = 0;
        int hi = remaining;
        int64_t wLo = 0;
        int64_t wHi = whole.cx;
        while (lo + 1 < hi) {
            if (wHi == wLo)
                ++wHi;
            int64_t mid = int64_t(hi - lo) * (int64_t(avail) - wLo) / (wHi - wLo) + lo;
            mid = std::clamp<int64_t>(mid, lo + 1, hi - 1);
            const int w = chars.Measure(canvas, pos, static_cast<int>(mid)).cx;
            if (w == avail) {
                lo = hi = static_cast<int>(mid);
            } else if (w < avail && w > 0) {
                lo = static_cast<int>(mid);
                wLo = w;
            } else {
                hi = static_cast<int>(mid);
                wHi = w;
            }
        }
        fit = lo;
    }
    if (chars.Unicode()) {
        // A piece never ends inside a character cluster.
        const int old = fit;
        while (fit < remaining && !chars.BeginsChar(pos, pos + fit))
            ++fit;
        if (fit != old && chars.Measure(canvas, pos, fit).cx > avail)
            fit = chars.CharStartBefore(pos, pos + fit - 1) - pos;
    } else {
        fit = chars.AnsiBoundaryBefore(canvas, pos, pos + fit) - pos;
    }
    return fit;
}
