// Fitting text into lines: the characters of a piece, their measurement (by
// prefix extents once the piece is long) and the fit search.
#include "view/crvfdata_fit.h"

#include <algorithm>

#include "document/rvuni.h"
#include "platform/core/charnextw.h"
#include "platform/core/codepages.h"
#include "platform/graphics/textshaping.h"

namespace {

// Up to this many characters a piece is measured part by part on the canvas:
// taking the extents of its prefixes would cost more than it saves.
constexpr int DirectMeasureLimit = 256;
// Bytes at the end of a window of ANSI text whose characters may be cut.
constexpr int CutMargin = 8;

} // namespace

TPieceText::TPieceText(std::string_view text, int offs, int len, bool unicode, int windowChars)
    : FUnicode(unicode), FLen(len), FWindowChars(std::max(windowChars, 1)),
      FRaw(text.data() + (unicode ? 2 * static_cast<size_t>(offs) : offs))
{
    if (unicode)
        FWide = RVU_RawUnicodeUnits(std::string_view(FRaw, 2 * static_cast<size_t>(len)));
    else
        FAnsi = text.data() + offs;
}

bool TPieceText::IsSpace(int index) const
{
    if (index < 0 || index >= FLen)
        return false;
    return FUnicode ? FWide[static_cast<size_t>(index)] == 0x0020 : FAnsi[index] == ' ';
}

TSize TPieceText::Measure(TCanvas* canvas, int start, int count)
{
    if (count > 0 && FByPrefixes) {
        const int end = start + count;
        // The rest of the piece: its whole width less the width before Start.
        if (end == FLen && Cover(canvas, start, start) && StartAt(start))
            return TSize{FTotal - PrefixAt(start), FHeight};
        if (end < FLen && Cover(canvas, start, end) && StartAt(start) && StartAt(end))
            return TSize{PrefixAt(end) - PrefixAt(start), FHeight};
    }
    TSize size;
    bool ok = FUnicode ? canvas->GetTextExtentPoint32W(Wide() + start, count, size)
                       : canvas->GetTextExtentPoint32A(FAnsi + start, count, size);
    // A failing measurement gives a zero size.
    return ok ? size : TSize();
}

void TPieceText::MeasureByPrefixes(TCanvas* canvas)
{
    if (FByPrefixes)
        return;
    TSize size;
    const bool ok = FUnicode ? canvas->GetTextExtentPoint32W(Wide(), FLen, size)
                             : canvas->GetTextExtentPoint32A(FAnsi, FLen, size);
    if (!ok)
        return;
    FTotal = size.cx;
    FHeight = size.cy;
    FByPrefixes = true;
    FWinTrusted = -1;
}

void TPieceText::ForgetPrefixes()
{
    FByPrefixes = false;
    FWinTrusted = -1;
    FWinDx.clear();
    FWinStarts.clear();
}

bool TPieceText::Cover(TCanvas* canvas, int from, int to)
{
    if (!FByPrefixes || from < 0 || to > FLen || from > to)
        return false;
    if (FWinTrusted >= 0 && from >= FWinStart && to <= FWinTrusted)
        return true;
    // The window moves on from the last character start it knows at or before
    // From, whose width before it is known; else it starts again at the start.
    int start = 0;
    int base = 0;
    if (FWinTrusted >= 0 && from >= FWinStart) {
        start = std::min(from, FWinTrusted);
        // A word of a joining script is measured whole (its letters' forms
        // depend on each other): a window never begins inside one.
        while (start > FWinStart && (!StartAt(start) || JoinedAt(canvas, start)))
            --start;
        base = PrefixAt(start);
    }
    // Measured into the spare buffers, which then change places with the
    // window's: a window that moves on reuses their memory.
    std::vector<int>& dx = FSpareDx;
    std::vector<uint8_t>& starts = FSpareStarts;
    for (int span = to - start + FWindowChars;; span *= 2) {
        const int end = span >= FLen - start ? FLen : start + span;
        TSize size;
        const bool ok = FUnicode
                            ? canvas->GetTextPrefixExtentsW(Wide() + start, end - start, dx, starts, size)
                            : canvas->GetTextPrefixExtentsA(FAnsi + start, end - start, dx, starts, size);
        if (!ok || dx.size() != static_cast<size_t>(end - start) ||
            starts.size() != static_cast<size_t>(end - start) + 1) {
            FWinTrusted = -1;
            return false;
        }
        // Near a cut end a character may be cut too (ANSI text is read by
        // characters of several bytes): what lies there is measured again.
        int trusted = end == FLen ? FLen : end - (FUnicode ? 1 : CutMargin);
        // Nor is a word that the window's end cuts trusted: it is measured again whole.
        if (end < FLen && JoinedAt(canvas, end))
            while (trusted > start && JoinedAt(canvas, trusted))
                --trusted;
        if (trusted >= to || end == FLen) {
            FWinStart = start;
            FWinBase = base;
            FWinTrusted = trusted;
            FWinDx.swap(dx);
            FWinStarts.swap(starts);
            return true;
        }
    }
}

bool TPieceText::JoinedAt(TCanvas* canvas, int i) const
{
    if (i <= 0 || i >= FLen)
        return false;
    if (FUnicode)
        return JoinsWithPrevious(Wide(), FLen, i);
    if (canvas->FontCodePage() != CP_UTF8)
        return false;
    auto byte = [&](int k) { return static_cast<unsigned char>(FAnsi[k]); };
    // In UTF-8 the joining scripts (U+0600 to U+07FF) begin with the bytes D8
    // to DF, the joiners with E2 80 8C/8D; inside a character is inside its word.
    auto inWord = [&](int k) {
        const unsigned char b = byte(k);
        return (b & 0xC0) == 0x80 || (b >= 0xD8 && b <= 0xDF) ||
               (b == 0xE2 && k + 2 < FLen && byte(k + 1) == 0x80 &&
                (byte(k + 2) == 0x8C || byte(k + 2) == 0x8D));
    };
    int before = i - 1;
    while (before > 0 && i - before < 4 && (byte(before) & 0xC0) == 0x80)
        --before;
    return inWord(i) && inWord(before);
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
    if (codePage == CP_UTF8) {
        // No UTF-8 character holds a byte below 0x80 but as itself: the walk
        // by characters passes every such byte, and the one after it.
        if (pos >= FLen || static_cast<unsigned char>(FAnsi[pos]) < 0x80)
            return pos;
        for (int i = pos - 1; i >= start; --i)
            if (static_cast<unsigned char>(FAnsi[i]) < 0x80) {
                boundary = i + 1;
                break;
            }
    }
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
bool TPieceText::BeginsChar(TCanvas* canvas, int from, int index)
{
    if (index == from)
        return true;
    if (Cover(canvas, from, index))
        return StartAt(index);
    const WideChar* p = Wide() + from;
    return CharPrevW(p, Wide() + index + 1) == Wide() + index;
}

int TPieceText::CharStartBefore(TCanvas* canvas, int from, int end)
{
    if (end <= from)
        return from;
    if (!Cover(canvas, from, end))
        return static_cast<int>(CharPrevW(Wide() + from, Wide() + end) - Wide());
    int i = end - 1;
    while (i > from && !StartAt(i))
        --i;
    return i;
}

int TPieceText::DecidingCount(TCanvas* canvas, int pos, int remaining, int avail)
{
    if (!Cover(canvas, pos, pos) || !StartAt(pos))
        return remaining;
    for (int i = pos + 1; i < pos + remaining; ++i) {
        if (i > FWinTrusted && !Cover(canvas, pos, std::min(pos + remaining, i + FWindowChars)))
            return remaining;
        if (StartAt(i) && PrefixAt(i) - PrefixAt(pos) > avail)
            return i - pos;
    }
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
            chars.MeasureByPrefixes(canvas);
        // The characters after the first one that overflows change nothing.
        fit = 0;
        TSize size;
        RVU_GetTextExtentExPointPC(canvas, chars.Raw(pos), chars.DecidingCount(canvas, pos, remaining, avail),
                                   avail, fit, nullptr,
                                   chars.Unicode() ? TRVItemOptions{rvioUnicode} : TRVItemOptions(), size);
    } else {
        if (!noWrap && remaining > DirectMeasureLimit)
            chars.MeasureByPrefixes(canvas);
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
        while (fit < remaining && !chars.BeginsChar(canvas, pos, pos + fit))
            ++fit;
        if (fit != old && chars.Measure(canvas, pos, fit).cx > avail)
            fit = chars.CharStartBefore(canvas, pos, pos + fit - 1) - pos;
    } else {
        fit = chars.AnsiBoundaryBefore(canvas, pos, pos + fit) - pos;
    }
    return fit;
}
