// TCanvas text output: runs of text drawn with their advances in visual order,
// long runs cut to the part that is visible, and the TextOut and TextRect forms.
#include <algorithm>
#include <cstring>

#include "platform/core/codepages.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/canvas_clusters.h"

using namespace textclusters;

namespace {

// A code point of a right-to-left script or an explicit direction control,
// as HasRightToLeft finds them in UTF-16.
bool IsRightToLeftCodePoint(UChar32 c)
{
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF) ||
           c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
           (c >= 0x10800 && c <= 0x10FFF) || (c >= 0x1E800 && c <= 0x1EFFF);
}

// Whether UTF-8 text holds a right-to-left character, without converting it.
bool Utf8HasRightToLeft(const char* s, int n)
{
    for (int i = 0; i < n; ++i) {
        const unsigned char lead = static_cast<unsigned char>(s[i]);
        if (lead < 0xC2)
            continue;
        const int length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (i + length > n)
            return false;
        UChar32 c = lead & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        if (IsRightToLeftCodePoint(c))
            return true;
    }
    return false;
}

// The walk along a run, character by character in logical order, that finds
// the characters reaching into [From, To) (device pixels).
class TSpanWalk {
public:
    TSpanWalk(int64_t pen, int64_t from, int64_t to) : FStartPen(pen), FPen(pen), FFrom(from), FTo(to) {}
    // The character [Start, End) of the run, Advance pixels wide.
    void Step(int start, int advance)
    {
        if (FFirst < 0 && FPen + advance > FFrom) {
            FFirst = start;
            FFirstPen = FPen;
        }
        if (FFirst >= 0 && FPen >= FTo) {
            FLast = start;
            return;
        }
        FPen += advance;
    }
    bool Done() const { return FLast >= 0; }
    // False when the part found is the whole run of Count.
    bool Result(int count, int& first, int& last, int& offset) const
    {
        first = FFirst >= 0 ? FFirst : count;
        last = FLast >= 0 ? FLast : count;
        offset = static_cast<int>((FFirst >= 0 ? FFirstPen : FPen) - FStartPen);
        return first > 0 || last < count;
    }

private:
    int64_t FStartPen;
    int64_t FPen;
    int64_t FFrom;
    int64_t FTo;
    int FFirst = -1;
    int FLast = -1;
    int64_t FFirstPen = 0;
};

// Runs shorter than this are drawn whole: cutting them saves nothing.
constexpr int LongRunUnits = 4096;
// The text a long run is measured in at a time while its visible part is looked for.
constexpr int SpanBlock = 256;

} // namespace

// ---- Direction

bool TCanvas::HasRightToLeftW(const WideChar* str, int count) const
{
    return str && count > 0 && HasRightToLeft(str, count);
}

bool TCanvas::HasRightToLeftA(const char* str, int count)
{
    if (!str || count <= 0)
        return false;
    // ASCII reads left to right in every code page.
    if (std::all_of(str, str + count, [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return false;
    if (FontCodePage() == CP_UTF8)
        return Utf8HasRightToLeft(str, count);
    TAnsiText text;
    ConvertAnsi(str, count, text);
    return HasRightToLeft(text.Wide.data(), static_cast<int>(text.Wide.size()));
}

// ---- Output

bool TCanvas::ExtTextOutInternal(int x, int y, unsigned options, const TRect* rect, const WideChar* str,
                                 int count, const int* unitDx, const AnsiString* ansi)
{
    if (count < 0 || (count > 0 && !str))
        return false;
    TTextRun run;
    run.Options = options;
    if (count > 0)
        run.Text.assign(str, static_cast<size_t>(count));
    if (unitDx)
        run.Advances.assign(unitDx, unitDx + count);
    else
        MeasureUnits(str, count, run.Advances);
    if (ansi) {
        run.Ansi = *ansi;
        run.FromAnsi = true;
    }
    run.RightToLeft = (options & ETO_RTLREADING) || (FTextAlign & TA_RTLREADING);
    for (int a : run.Advances)
        run.Width += a;
    TOutlineTextMetric otm;
    FontMetrics(otm);
    run.Ascent = otm.otmTextMetrics.tmAscent;
    run.Height = otm.otmTextMetrics.tmHeight;

    BuildClusters(run);
    return OutputRun(run, x, y, rect);
}

bool TCanvas::AsciiTextOut(int x, int y, unsigned options, const TRect* rect, const char* str, int count)
{
    if (count <= 0 || FAsciiRunBusy || (options & ETO_RTLREADING) || (FTextAlign & TA_RTLREADING) ||
        FontCodePage() != CP_UTF8)
        return false;
    const int* ascii = AsciiAdvances();
    if (!ascii)
        return false;
    TTextRun& run = FAsciiRun;
    const size_t n = static_cast<size_t>(count);
    run.Text.resize(n);
    run.Advances.resize(n);
    run.Clusters.resize(n);
    // One pass: the bytes widened, their advances and their places; a byte
    // with the high bit set gives the text back to the general path.
    const int extra = FCharExtra;
    unsigned high = 0;
    int offset = 0;
    for (int i = 0; i < count; ++i) {
        const auto c = static_cast<unsigned char>(str[i]);
        high |= c;
        const int advance = ascii[c & 0x7F] + extra;
        run.Text[static_cast<size_t>(i)] = c;
        run.Advances[static_cast<size_t>(i)] = advance;
        run.Clusters[static_cast<size_t>(i)] = {i, 1, offset, false};
        offset += advance;
    }
    if (high & 0x80)
        return false;
    run.Ansi.assign(str, n);
    run.FromAnsi = true;
    run.Options = options;
    run.RightToLeft = false;
    run.Width = offset;
    TOutlineTextMetric otm;
    FontMetrics(otm);
    run.Ascent = otm.otmTextMetrics.tmAscent;
    run.Height = otm.otmTextMetrics.tmHeight;
    run.X = run.Y = 0;
    run.ScaleX = run.ScaleY = 1.0;
    run.Rect = TRect();
    run.HasRect = false;
    run.PrefixUnit = -1;
    struct TBusy {
        bool& Flag;
        ~TBusy() { Flag = false; }
    } busy{FAsciiRunBusy = true};
    OutputRun(run, x, y, rect);
    return true;
}

// The characters in visual order, each at the sum of the advances of those left of it.
void TCanvas::BuildClusters(TTextRun& run)
{
    int offset = 0;
    run.Clusters.clear();
    const WideChar* text = run.Text.data();
    const int count = static_cast<int>(run.Text.size());
    auto place = [&](int start, int count, bool mirrored) {
        run.Clusters.push_back({start, count, offset, mirrored});
        for (int u = start; u < start + count; ++u)
            offset += run.Advances[static_cast<size_t>(u)];
    };
    if (!run.RightToLeft && !HasRightToLeft(text, count)) {
        // Left to right throughout (most text): the logical order is the
        // visual one, without the reordering's copies.
        run.Clusters.reserve(run.Text.size());
        ForEachCluster(text, count, [&](int start, int n) { place(start, n, false); });
        return;
    }
    for (const TClusterInfo& c : VisualClusters(text, count, run.RightToLeft))
        place(c.Start, c.Count, (c.Level & 1) != 0);
}

bool TCanvas::OutputRun(TTextRun& run, int x, int y, const TRect* rect)
{
    const unsigned horizontal = FTextAlign & TA_CENTER;
    if (horizontal == TA_CENTER)
        x -= run.Width / 2;
    else if (horizontal == TA_RIGHT)
        x -= run.Width;
    if ((FTextAlign & TA_BASELINE) == TA_BASELINE)
        y -= run.Ascent;
    else if (FTextAlign & TA_BOTTOM)
        y -= run.Height;
    const TPoint p = ToDevice(TPoint{x, y});
    run.X = p.X;
    run.Y = p.Y;
    if (Scaled()) {
        run.ScaleX = double(FViewportExt.cx) / FWindowExt.cx;
        run.ScaleY = double(FViewportExt.cy) / FWindowExt.cy;
    }
    if (rect) {
        run.Rect = ToDevice(*rect);
        run.HasRect = true;
    } else {
        run.Options &= ~(ETO_OPAQUE | ETO_CLIPPED);
    }
    DoTextRun(run);
    return true;
}

bool TCanvas::MayDrawPart(unsigned options, int count) const
{
    return count >= LongRunUnits && !Scaled() && (FTextAlign & TA_CENTER) == 0 &&
           !(FTextAlign & TA_RTLREADING) && !(options & ETO_RTLREADING);
}

TCanvas::TSpanBounds TCanvas::VisibleSpanBounds(int x)
{
    TOutlineTextMetric otm;
    FontMetrics(otm);
    const int margin = 2 * (otm.otmTextMetrics.tmHeight + otm.otmTextMetrics.tmMaxCharWidth);
    const TRect clip = DeviceClip();
    return {ToDevice(TPoint{x, 0}).X, int64_t(clip.Left) - margin, int64_t(clip.Right) + margin};
}

bool TCanvas::VisibleSpanA(int x, unsigned options, const char* str, int count, int& first, int& last,
                           int& offset)
{
    if (!MayDrawPart(options, count))
        return false;
    const unsigned cp = FontCodePage();
    const bool utf8 = cp == CP_UTF8;
    if (utf8) {
        if (Utf8HasRightToLeft(str, count))
            return false;
    } else {
        if (CodePageMaxCharSize(cp) != 1)
            return false;
        // A single-byte code page: which of its upper half reads right to left.
        bool rightToLeft[128];
        for (int b = 0; b < 128; ++b) {
            const char c = static_cast<char>(0x80 + b);
            WideChar w = 0;
            rightToLeft[b] = MultiByteToWideChar(cp, 0, &c, 1, &w, 1) == 1 && HasRightToLeft(&w, 1);
        }
        if (std::any_of(str, str + count, [&](char c) {
                return static_cast<unsigned char>(c) >= 0x80 &&
                       rightToLeft[static_cast<unsigned char>(c) - 0x80];
            }))
            return false;
    }
    const auto [pen, from, to] = VisibleSpanBounds(x);
    TSpanWalk walk(pen, from, to);
    TAnsiText text;
    std::vector<int> units;
    for (int pos = 0; pos < count && !walk.Done();) {
        int end = std::min(count, pos + SpanBlock);
        // A block ends where a character begins.
        if (utf8)
            while (end < count && end > pos + 1 && (static_cast<unsigned char>(str[end]) & 0xC0) == 0x80)
                --end;
        ConvertAnsi(str + pos, end - pos, text);
        MeasureUnits(text.Wide.data(), static_cast<int>(text.Wide.size()), units);
        for (int i = 0, charStart = 0; i < end - pos && !walk.Done(); ++i) {
            if (!text.LastByte[static_cast<size_t>(i)])
                continue;
            int advance = 0;
            for (int u = text.ByteUnit[static_cast<size_t>(charStart)];
                 u < text.ByteUnit[static_cast<size_t>(i) + 1]; ++u)
                advance += units[static_cast<size_t>(u)];
            walk.Step(pos + charStart, advance);
            charStart = i + 1;
        }
        pos = end;
    }
    return walk.Result(count, first, last, offset);
}

bool TCanvas::VisibleSpanW(int x, unsigned options, const WideChar* str, int count, int& first, int& last,
                           int& offset)
{
    if (!MayDrawPart(options, count) || HasRightToLeft(str, count))
        return false;
    const auto [pen, from, to] = VisibleSpanBounds(x);
    TSpanWalk walk(pen, from, to);
    std::vector<int> advances;
    std::vector<uint8_t> starts;
    for (int pos = 0; pos < count && !walk.Done();) {
        int end = std::min(count, pos + SpanBlock);
        // A block ends where a character begins: not inside a surrogate pair
        // nor before a combining mark.
        while (end < count && end > pos + 1 && ClusterEnd(str, count, end - 1) > end)
            --end;
        MeasureUnits(str + pos, end - pos, advances, &starts);
        for (int i = 0; i < end - pos && !walk.Done();) {
            int next = i + 1;
            int advance = advances[static_cast<size_t>(i)];
            for (; next < end - pos && !starts[static_cast<size_t>(next)]; ++next)
                advance += advances[static_cast<size_t>(next)];
            walk.Step(pos + i, advance);
            i = next;
        }
        pos = end;
    }
    return walk.Result(count, first, last, offset);
}

bool TCanvas::ExtTextOutW(int x, int y, unsigned options, const TRect* rect, const WideChar* str, int count,
                          const int* dx)
{
    int first = 0;
    int last = 0;
    int offset = 0;
    if (!dx && count > 0 && str && VisibleSpanW(x, options, str, count, first, last, offset)) {
        str += first;
        count = last - first;
        x += offset;
    }
    const bool done = ExtTextOutInternal(x, y, options, rect, str, count, dx, nullptr);
    if (done)
        Drawn(false);
    return done;
}

bool TCanvas::ExtTextOutA(int x, int y, unsigned options, const TRect* rect, const char* str, int count,
                          const int* dx)
{
    if (count < 0 || (count > 0 && !str))
        return false;
    int first = 0;
    int last = 0;
    int offset = 0;
    if (!dx && VisibleSpanA(x, options, str, count, first, last, offset)) {
        str += first;
        count = last - first;
        x += offset;
    }
    if (!dx && AsciiTextOut(x, y, options, rect, str, count)) {
        Drawn(false);
        return true;
    }
    TAnsiText text;
    ConvertAnsi(str, count, text);
    const AnsiString ansi(str, static_cast<size_t>(count));
    const int units = static_cast<int>(text.Wide.size());
    // Per-byte advances become per-unit ones: a character's bytes together give
    // its advance, placed on its first code unit.
    std::vector<int> unitDx;
    if (dx) {
        unitDx.assign(static_cast<size_t>(units), 0);
        for (int i = 0; i < count; ++i) {
            const int u = text.ByteUnit[static_cast<size_t>(i)];
            if (u < units)
                unitDx[static_cast<size_t>(u)] += dx[i];
        }
    }
    const bool done =
        ExtTextOutInternal(x, y, options, rect, text.Wide.data(), units, dx ? unitDx.data() : nullptr, &ansi);
    if (done)
        Drawn(false);
    return done;
}

bool TCanvas::TextOutW(int x, int y, const WideChar* str, int count)
{
    return ExtTextOutW(x, y, 0, nullptr, str, count, nullptr);
}

bool TCanvas::TextOutA(int x, int y, const char* str, int count)
{
    return ExtTextOutA(x, y, 0, nullptr, str, count, nullptr);
}

void TCanvas::TextOut(int x, int y, const AnsiString& text)
{
    {
        TDrawScope scope(*this);
        TextOutA(x, y, text.data(), static_cast<int>(text.size()));
    }
    MoveTo(x + TextWidth(text), y);
    Drawn(true);
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const AnsiString& text)
{
    unsigned options = ETO_CLIPPED;
    if (FBrush->Style() == bsSolid)
        options |= ETO_OPAQUE;
    {
        TDrawScope scope(*this);
        ExtTextOutA(x, y, options, &rect, text.data(), static_cast<int>(text.size()), nullptr);
    }
    Drawn(true);
}
