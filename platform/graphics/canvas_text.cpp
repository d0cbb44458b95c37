// TCanvas text functions: characters and their advances, ANSI text through the
// font's code page, extents, metrics, output runs, bidirectional reordering and
// character placement.
#include "platform/graphics/canvas.h"

#include <unicode/ubidi.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <cstring>

#include "platform/core/codepages.h"

namespace {

bool IsHighSurrogate(WideChar c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(WideChar c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

UChar32 CodePointAt(const WideChar* s, int n, int i, int& units)
{
    if (IsHighSurrogate(s[i]) && i + 1 < n && IsLowSurrogate(s[i + 1])) {
        units = 2;
        return 0x10000 + ((UChar32(s[i]) - 0xD800) << 10) + (UChar32(s[i + 1]) - 0xDC00);
    }
    units = 1;
    return s[i];
}

bool IsCombining(UChar32 c)
{
    // No mark lies below the combining diacritics' block: most text is
    // answered without asking the character database.
    if (c < 0x300)
        return false;
    const int8_t type = u_charType(c);
    return type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_COMBINING_SPACING_MARK;
}

// The end of the character that starts at i: a code point and the combining marks after it.
int ClusterEnd(const WideChar* s, int n, int i)
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

char ClassOf(UChar32 c)
{
    switch (u_charDirection(c)) {
    case U_LEFT_TO_RIGHT:
        return GCPCLASS_LATIN;
    case U_RIGHT_TO_LEFT:
    case U_RIGHT_TO_LEFT_ARABIC:
        return GCPCLASS_HEBREW;
    case U_EUROPEAN_NUMBER:
        return GCPCLASS_LATINNUMBER;
    case U_ARABIC_NUMBER:
        return GCPCLASS_LOCALNUMBER;
    case U_EUROPEAN_NUMBER_SEPARATOR:
        return GCPCLASS_LATINNUMERICSEPARATOR;
    case U_EUROPEAN_NUMBER_TERMINATOR:
        return GCPCLASS_LATINNUMERICTERMINATOR;
    case U_COMMON_NUMBER_SEPARATOR:
        return GCPCLASS_NUMERICSEPARATOR;
    default:
        return GCPCLASS_NEUTRAL;
    }
}

// Whether the text needs the bidirectional algorithm at all.
bool HasRightToLeft(const WideChar* s, int n)
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

struct TClusterInfo {
    int Start;
    int Count;
    uint8_t Level;
};

// Clusters of the text in visual order, with their levels; base level 1 for right to left.
std::vector<TClusterInfo> VisualClusters(const WideChar* s, int n, bool rightToLeft)
{
    std::vector<TClusterInfo> clusters;
    ForEachCluster(s, n, [&](int start, int count) { clusters.push_back({start, count, 0}); });
    if (clusters.empty() || (!rightToLeft && !HasRightToLeft(s, n)))
        return clusters;
    UErrorCode status = U_ZERO_ERROR;
    UBiDi* bidi = ubidi_openSized(n, 0, &status);
    if (U_SUCCESS(status))
        ubidi_setPara(bidi, reinterpret_cast<const UChar*>(s), n, rightToLeft ? 1 : 0, nullptr, &status);
    const UBiDiLevel* levels = U_SUCCESS(status) ? ubidi_getLevels(bidi, &status) : nullptr;
    if (U_SUCCESS(status) && levels) {
        std::vector<UBiDiLevel> clusterLevels(clusters.size());
        for (size_t k = 0; k < clusters.size(); ++k)
            clusterLevels[k] = clusters[k].Level = levels[clusters[k].Start];
        std::vector<int32_t> map(clusters.size());
        ubidi_reorderVisual(clusterLevels.data(), static_cast<int32_t>(clusters.size()), map.data());
        std::vector<TClusterInfo> visual;
        visual.reserve(clusters.size());
        for (int32_t logical : map)
            visual.push_back(clusters[static_cast<size_t>(logical)]);
        clusters.swap(visual);
    }
    if (bidi)
        ubidi_close(bidi);
    return clusters;
}

} // namespace

// ---- Characters and advances

void TCanvas::UnitAdvances(const WideChar* str, int count, int* advances)
{
    for (int i = 0; i < count; ++i)
        advances[i] = CharAdvance(str + i, 1);
}

void TCanvas::MeasureUnits(const WideChar* Str, int count, std::vector<int>& advances,
                           std::vector<uint8_t>* starts)
{
    advances.assign(static_cast<size_t>(count), 0);
    if (std::all_of(Str, Str + count, [](WideChar c) { return c < 0x300; })) {
        // Below the combining marks every code unit is a character of its own.
        UnitAdvances(Str, count, advances.data());
        for (int& a : advances)
            a += FCharExtra;
        if (starts)
            starts->assign(static_cast<size_t>(count), 1);
        return;
    }
    if (starts)
        starts->assign(static_cast<size_t>(count), 0);
    ForEachCluster(Str, count, [&](int start, int count) {
        advances[static_cast<size_t>(start)] = CharAdvance(Str + start, count) + FCharExtra;
        if (starts)
            (*starts)[static_cast<size_t>(start)] = 1;
    });
    ShapeJoiningStretches(Str, count, advances, starts);
}

void TCanvas::ConvertAnsi(const char* str, int count, TAnsiText& out)
{
    const unsigned cp = FontCodePage();
    out.Wide.clear();
    out.ByteUnit.assign(static_cast<size_t>(count) + 1, 0);
    out.LastByte.assign(static_cast<size_t>(count), 0);
    if (count <= 0)
        return;
    if (CodePageMaxCharSize(cp) == 1) {
        // A single-byte code page gives one code unit per byte.
        out.Wide.resize(static_cast<size_t>(count));
        int n = MultiByteToWideChar(cp, 0, str, count, out.Wide.data(), count);
        if (n == count) {
            for (int i = 0; i <= count; ++i)
                out.ByteUnit[static_cast<size_t>(i)] = i;
            std::fill(out.LastByte.begin(), out.LastByte.end(), 1);
            return;
        }
        out.Wide.clear();
    }
    const char* end = str + count;
    // In UTF-8 a byte below 0x80 is a character of its own: runs of them are
    // widened without asking the converter where each character ends.
    const bool asciiAlone = cp == CP_UTF8;
    out.Wide.reserve(static_cast<size_t>(count));
    for (const char* p = str; p < end;) {
        if (asciiAlone && static_cast<unsigned char>(*p) < 0x80) {
            const size_t at = static_cast<size_t>(p - str);
            out.ByteUnit[at] = static_cast<int>(out.Wide.size());
            out.LastByte[at] = 1;
            out.Wide.push_back(static_cast<unsigned char>(*p));
            ++p;
            continue;
        }
        const char* next = CharNextExA(cp, p, end);
        if (next <= p)
            next = p + 1;
        const int first = static_cast<int>(out.Wide.size());
        const unsigned char lead = static_cast<unsigned char>(*p);
        if (next - p == 1 && lead < 0x80) {
            out.Wide.push_back(lead);
        } else {
            WideChar buf[8];
            int n = MultiByteToWideChar(cp, 0, p, static_cast<int>(next - p), buf, 8);
            if (n <= 0) {
                buf[0] = u'?';
                n = 1;
            }
            out.Wide.append(buf, static_cast<size_t>(n));
        }
        for (const char* b = p; b < next; ++b)
            out.ByteUnit[static_cast<size_t>(b - str)] = first;
        out.LastByte[static_cast<size_t>(next - 1 - str)] = 1;
        p = next;
    }
    out.ByteUnit[static_cast<size_t>(count)] = static_cast<int>(out.Wide.size());
}

// A character's advance goes to its last byte; its other bytes get 0.
void TCanvas::AnsiAdvances(const TAnsiText& text, const std::vector<int>& unitAdvances, int* byteAdvances)
{
    const int count = static_cast<int>(text.LastByte.size());
    for (int i = 0; i < count; ++i) {
        int sum = 0;
        if (text.LastByte[static_cast<size_t>(i)])
            for (int u = text.ByteUnit[static_cast<size_t>(i)]; u < text.ByteUnit[static_cast<size_t>(i) + 1];
                 ++u)
                sum += unitAdvances[static_cast<size_t>(u)];
        byteAdvances[i] = sum;
    }
}

// ---- Extents and metrics

bool TCanvas::GetTextExtentPoint32W(const WideChar* str, int count, TSize& size)
{
    return GetTextExtentExPointW(str, count, 0, nullptr, nullptr, size);
}

bool TCanvas::AsciiExtents(const char* str, int count, int* prefixes, TSize& size)
{
    if (count <= 0 || !str || FontCodePage() != CP_UTF8 ||
        !std::all_of(str, str + count, [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return false;
    // ASCII in UTF-8 (most of a log): a byte is a character and a code unit
    // of its own, so the advances add up without converting the text.
    if (const int* ascii = AsciiAdvances()) {
        const int extra = FCharExtra;
        int sum = 0;
        if (prefixes) {
            for (int i = 0; i < count; ++i)
                prefixes[i] = sum += ascii[static_cast<unsigned char>(str[i])] + extra;
        } else {
            for (int i = 0; i < count; ++i)
                sum += ascii[static_cast<unsigned char>(str[i])];
            sum += extra * count;
        }
        TOutlineTextMetric otm;
        FontMetrics(otm);
        size = {sum, otm.otmTextMetrics.tmHeight};
        return true;
    }
    WideChar units[256];
    int own[256];
    int sum = 0;
    for (int done = 0; done < count;) {
        const int n = std::min(count - done, 256);
        for (int i = 0; i < n; ++i)
            units[i] = static_cast<unsigned char>(str[done + i]);
        int* advances = prefixes ? prefixes + done : own;
        UnitAdvances(units, n, advances);
        for (int i = 0; i < n; ++i) {
            sum += advances[i] + FCharExtra;
            advances[i] = sum;
        }
        done += n;
    }
    TOutlineTextMetric otm;
    FontMetrics(otm);
    size = {sum, otm.otmTextMetrics.tmHeight};
    return true;
}

bool TCanvas::GetTextExtentPoint32A(const char* str, int count, TSize& size)
{
    if (AsciiExtents(str, count, nullptr, size))
        return true;
    return GetTextExtentExPointA(str, count, 0, nullptr, nullptr, size);
}

bool TCanvas::GetTextExtentExPointW(const WideChar* str, int count, int maxExtent, int* fit, int* dx,
                                    TSize& size)
{
    if (count < 0 || (count > 0 && !str))
        return false;
    std::vector<int> advances;
    MeasureUnits(str, count, advances);
    int sum = 0;
    int fitted = 0;
    for (int i = 0; i < count; ++i) {
        sum += advances[static_cast<size_t>(i)];
        if (dx)
            dx[i] = sum;
        // Trailing units of a character add nothing, so they fitted with their character.
        if (sum <= maxExtent && fitted == i)
            fitted = i + 1;
    }
    if (fit)
        *fit = fitted;
    TOutlineTextMetric otm;
    FontMetrics(otm);
    size = {sum, otm.otmTextMetrics.tmHeight};
    return true;
}

bool TCanvas::GetTextExtentExPointA(const char* str, int count, int maxExtent, int* fit, int* dx, TSize& size)
{
    if (count < 0 || (count > 0 && !str))
        return false;
    TAnsiText text;
    ConvertAnsi(str, count, text);
    std::vector<int> units;
    MeasureUnits(text.Wide.data(), static_cast<int>(text.Wide.size()), units);
    std::vector<int> bytes(static_cast<size_t>(count));
    AnsiAdvances(text, units, bytes.data());
    int sum = 0;
    int fitted = 0;
    int charStart = 0;
    for (int i = 0; i < count; ++i) {
        sum += bytes[static_cast<size_t>(i)];
        if (dx)
            dx[i] = sum;
        if (!text.LastByte[static_cast<size_t>(i)])
            continue;
        // Only whole characters fitted: decided on the last byte, which carries the advance.
        if (sum <= maxExtent && fitted == charStart)
            fitted = i + 1;
        charStart = i + 1;
    }
    if (fit)
        *fit = fitted;
    TOutlineTextMetric otm;
    FontMetrics(otm);
    size = {sum, otm.otmTextMetrics.tmHeight};
    return true;
}

TSize TCanvas::TextExtent(const AnsiString& text)
{
    TSize size;
    GetTextExtentPoint32A(text.data(), static_cast<int>(text.size()), size);
    return size;
}

bool TCanvas::GetTextPrefixExtentsW(const WideChar* str, int count, std::vector<int>& dx,
                                    std::vector<uint8_t>& starts, TSize& size)
{
    if (count < 0 || (count > 0 && !str))
        return false;
    MeasureUnits(str, count, dx, &starts);
    int sum = 0;
    for (int& d : dx) {
        sum += d;
        d = sum;
    }
    starts.push_back(1);
    TOutlineTextMetric otm;
    FontMetrics(otm);
    size = {sum, otm.otmTextMetrics.tmHeight};
    return true;
}

bool TCanvas::GetTextPrefixExtentsA(const char* str, int count, std::vector<int>& dx,
                                    std::vector<uint8_t>& starts, TSize& size)
{
    if (count < 0 || (count > 0 && !str))
        return false;
    dx.resize(static_cast<size_t>(count));
    if (AsciiExtents(str, count, dx.data(), size)) {
        // Every byte a character of its own.
        starts.assign(static_cast<size_t>(count) + 1, 1);
        return true;
    }
    TAnsiText text;
    ConvertAnsi(str, count, text);
    std::vector<int> units;
    std::vector<uint8_t> unitStarts;
    MeasureUnits(text.Wide.data(), static_cast<int>(text.Wide.size()), units, &unitStarts);
    dx.assign(static_cast<size_t>(count), 0);
    AnsiAdvances(text, units, dx.data());
    starts.assign(static_cast<size_t>(count) + 1, 0);
    int sum = 0;
    for (int i = 0; i < count; ++i) {
        // A byte begins a character when the one before it ended one and the
        // character's first unit is not a mark that joins the one before.
        const size_t unit = static_cast<size_t>(text.ByteUnit[static_cast<size_t>(i)]);
        const bool charStart = i == 0 || text.LastByte[static_cast<size_t>(i) - 1];
        starts[static_cast<size_t>(i)] = charStart && unit < unitStarts.size() && unitStarts[unit];
        sum += dx[static_cast<size_t>(i)];
        dx[static_cast<size_t>(i)] = sum;
    }
    starts[static_cast<size_t>(count)] = 1;
    TOutlineTextMetric otm;
    FontMetrics(otm);
    size = {sum, otm.otmTextMetrics.tmHeight};
    return true;
}

bool TCanvas::GetTextMetrics(TTextMetric& metrics)
{
    TOutlineTextMetric otm;
    FontMetrics(otm);
    metrics = otm.otmTextMetrics;
    return true;
}

bool TCanvas::GetOutlineTextMetrics(TOutlineTextMetric& metrics)
{
    FontMetrics(metrics);
    return true;
}

int TCanvas::SetTextCharacterExtra(int extra)
{
    const int old = FCharExtra;
    FCharExtra = extra;
    return old;
}

unsigned TCanvas::SetTextAlign(unsigned align)
{
    const unsigned old = FTextAlign;
    FTextAlign = align;
    return old;
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
    TOutlineTextMetric otm;
    FontMetrics(otm);
    const int margin = 2 * (otm.otmTextMetrics.tmHeight + otm.otmTextMetrics.tmMaxCharWidth);
    const TRect clip = DeviceClip();
    TSpanWalk walk(ToDevice(TPoint{x, 0}).X, int64_t(clip.Left) - margin, int64_t(clip.Right) + margin);
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
    TOutlineTextMetric otm;
    FontMetrics(otm);
    const int margin = 2 * (otm.otmTextMetrics.tmHeight + otm.otmTextMetrics.tmMaxCharWidth);
    const TRect clip = DeviceClip();
    TSpanWalk walk(ToDevice(TPoint{x, 0}).X, int64_t(clip.Left) - margin, int64_t(clip.Right) + margin);
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

// ---- Character placement

unsigned TCanvas::Placement(const WideChar* str, int count, std::vector<int>& order,
                            std::vector<int>& visualDx, std::vector<char>& classes, std::vector<int>& carets)
{
    std::vector<int> advances;
    MeasureUnits(str, count, advances);
    order.assign(static_cast<size_t>(count), 0);
    visualDx.assign(static_cast<size_t>(count), 0);
    classes.assign(static_cast<size_t>(count), GCPCLASS_NEUTRAL);
    carets.assign(static_cast<size_t>(count), 0);
    int visual = 0;
    int x = 0;
    for (const TClusterInfo& c : VisualClusters(str, count, (FTextAlign & TA_RTLREADING) != 0)) {
        int units = 1;
        const char cls = ClassOf(CodePointAt(str, count, c.Start, units));
        int width = 0;
        for (int u = c.Start; u < c.Start + c.Count; ++u)
            width += advances[static_cast<size_t>(u)];
        for (int u = c.Start; u < c.Start + c.Count; ++u) {
            order[static_cast<size_t>(u)] = visual;
            visualDx[static_cast<size_t>(visual)] = advances[static_cast<size_t>(u)];
            classes[static_cast<size_t>(u)] = cls;
            // The leading edge: the left of a left-to-right character, the right of a right-to-left one.
            carets[static_cast<size_t>(u)] = (c.Level & 1) ? x + width : x;
            ++visual;
        }
        x += width;
    }
    TOutlineTextMetric otm;
    FontMetrics(otm);
    const unsigned width = static_cast<unsigned>(std::min(std::max(x, 0), 0xFFFF));
    const unsigned height = static_cast<unsigned>(std::min(std::max(otm.otmTextMetrics.tmHeight, 0), 0xFFFF));
    // A text of width and height 0 still succeeded: report at least one pixel of height.
    return width | (std::max(height, 1u) << 16);
}

static int MaxFit(const int* advancesInLogicalOrder, int count, int maxExtent)
{
    int sum = 0;
    for (int i = 0; i < count; ++i) {
        sum += advancesInLogicalOrder[i];
        if (sum > maxExtent)
            return i;
    }
    return count;
}

unsigned TCanvas::GetCharacterPlacementW(const WideChar* str, int count, int maxExtent, TGCPResults& results,
                                         unsigned flags)
{
    if (count <= 0 || !str || (results.nGlyphs != 0 && results.nGlyphs < static_cast<unsigned>(count)))
        return 0;
    std::vector<int> order, dx, carets;
    std::vector<char> classes;
    const unsigned size = Placement(str, count, order, dx, classes, carets);
    for (int i = 0; i < count; ++i) {
        const size_t k = static_cast<size_t>(i);
        if (results.lpOrder)
            results.lpOrder[i] = static_cast<unsigned>(order[k]);
        if (results.lpDx)
            results.lpDx[i] = dx[k];
        if (results.lpCaretPos)
            results.lpCaretPos[i] = carets[k];
        if (results.lpClass)
            results.lpClass[i] = classes[k];
    }
    results.nGlyphs = static_cast<unsigned>(count);
    results.nMaxFit = count;
    if (flags & GCP_MAXEXTENT) {
        std::vector<int> logical(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            logical[static_cast<size_t>(i)] = dx[static_cast<size_t>(order[static_cast<size_t>(i)])];
        results.nMaxFit = MaxFit(logical.data(), count, maxExtent);
    }
    return size;
}

unsigned TCanvas::GetCharacterPlacementA(const char* str, int count, int maxExtent, TGCPResults& results,
                                         unsigned flags)
{
    if (count <= 0 || !str || (results.nGlyphs != 0 && results.nGlyphs < static_cast<unsigned>(count)))
        return 0;
    TAnsiText text;
    ConvertAnsi(str, count, text);
    const int units = static_cast<int>(text.Wide.size());
    std::vector<int> order, dx, carets;
    std::vector<char> classes;
    const unsigned size = Placement(text.Wide.data(), units, order, dx, classes, carets);
    // The characters in visual order, each by its first code unit.
    std::vector<int> unitByVisual(static_cast<size_t>(units));
    for (int u = 0; u < units; ++u)
        unitByVisual[static_cast<size_t>(order[static_cast<size_t>(u)])] = u;
    std::vector<int> firstByteOfUnit(static_cast<size_t>(units), -1);
    for (int b = count - 1; b >= 0; --b)
        firstByteOfUnit[static_cast<size_t>(text.ByteUnit[static_cast<size_t>(b)])] = b;
    std::vector<int> byteAdvances(static_cast<size_t>(count));
    {
        std::vector<int> logicalUnitAdvances(static_cast<size_t>(units));
        for (int u = 0; u < units; ++u)
            logicalUnitAdvances[static_cast<size_t>(u)] =
                dx[static_cast<size_t>(order[static_cast<size_t>(u)])];
        AnsiAdvances(text, logicalUnitAdvances, byteAdvances.data());
    }
    // A character's bytes stay together and in their order at the visual place of the character.
    int visual = 0;
    for (int v = 0; v < units; ++v) {
        const int u = unitByVisual[static_cast<size_t>(v)];
        const int first = firstByteOfUnit[static_cast<size_t>(u)];
        if (first < 0)
            continue; // a second unit of a character that was placed already
        for (int b = first; b < count; ++b) {
            const size_t k = static_cast<size_t>(b);
            if (results.lpOrder)
                results.lpOrder[b] = static_cast<unsigned>(visual);
            if (results.lpDx)
                results.lpDx[visual] = byteAdvances[k];
            if (results.lpCaretPos)
                results.lpCaretPos[b] = carets[static_cast<size_t>(u)];
            if (results.lpClass)
                results.lpClass[b] = classes[static_cast<size_t>(u)];
            ++visual;
            if (text.LastByte[k])
                break;
        }
    }
    results.nGlyphs = static_cast<unsigned>(count);
    results.nMaxFit = count;
    if (flags & GCP_MAXEXTENT)
        results.nMaxFit = MaxFit(byteAdvances.data(), count, maxExtent);
    return size;
}
