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
template <typename F> void ForEachCluster(const WideChar* s, int n, F Visit)
{
    for (int i = 0; i < n;) {
        const int end = ClusterEnd(s, n, i);
        Visit(i, end - i);
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

void TCanvas::UnitAdvances(const WideChar* Str, int Count, int* Advances)
{
    for (int i = 0; i < Count; ++i)
        Advances[i] = CharAdvance(Str + i, 1);
}

void TCanvas::MeasureUnits(const WideChar* Str, int Count, std::vector<int>& Advances)
{
    Advances.assign(static_cast<size_t>(Count), 0);
    if (std::all_of(Str, Str + Count, [](WideChar c) { return c < 0x300; })) {
        // Below the combining marks every code unit is a character of its own.
        UnitAdvances(Str, Count, Advances.data());
        for (int& a : Advances)
            a += FCharExtra;
        return;
    }
    ForEachCluster(Str, Count, [&](int start, int count) {
        Advances[static_cast<size_t>(start)] = CharAdvance(Str + start, count) + FCharExtra;
    });
}

void TCanvas::ConvertAnsi(const char* Str, int Count, TAnsiText& Out)
{
    const unsigned cp = FontCodePage();
    Out.Wide.clear();
    Out.ByteUnit.assign(static_cast<size_t>(Count) + 1, 0);
    Out.LastByte.assign(static_cast<size_t>(Count), 0);
    if (Count <= 0)
        return;
    if (CodePageMaxCharSize(cp) == 1) {
        // A single-byte code page gives one code unit per byte.
        Out.Wide.resize(static_cast<size_t>(Count));
        int n = MultiByteToWideChar(cp, 0, Str, Count, Out.Wide.data(), Count);
        if (n == Count) {
            for (int i = 0; i <= Count; ++i)
                Out.ByteUnit[static_cast<size_t>(i)] = i;
            std::fill(Out.LastByte.begin(), Out.LastByte.end(), 1);
            return;
        }
        Out.Wide.clear();
    }
    const char* end = Str + Count;
    // In UTF-8 a byte below 0x80 is a character of its own: runs of them are
    // widened without asking the converter where each character ends.
    const bool asciiAlone = cp == CP_UTF8;
    Out.Wide.reserve(static_cast<size_t>(Count));
    for (const char* p = Str; p < end;) {
        if (asciiAlone && static_cast<unsigned char>(*p) < 0x80) {
            const size_t at = static_cast<size_t>(p - Str);
            Out.ByteUnit[at] = static_cast<int>(Out.Wide.size());
            Out.LastByte[at] = 1;
            Out.Wide.push_back(static_cast<unsigned char>(*p));
            ++p;
            continue;
        }
        const char* next = CharNextExA(cp, p, end);
        if (next <= p)
            next = p + 1;
        const int first = static_cast<int>(Out.Wide.size());
        const unsigned char lead = static_cast<unsigned char>(*p);
        if (next - p == 1 && lead < 0x80) {
            Out.Wide.push_back(lead);
        } else {
            WideChar buf[8];
            int n = MultiByteToWideChar(cp, 0, p, static_cast<int>(next - p), buf, 8);
            if (n <= 0) {
                buf[0] = u'?';
                n = 1;
            }
            Out.Wide.append(buf, static_cast<size_t>(n));
        }
        for (const char* b = p; b < next; ++b)
            Out.ByteUnit[static_cast<size_t>(b - Str)] = first;
        Out.LastByte[static_cast<size_t>(next - 1 - Str)] = 1;
        p = next;
    }
    Out.ByteUnit[static_cast<size_t>(Count)] = static_cast<int>(Out.Wide.size());
}

// A character's advance goes to its last byte; its other bytes get 0.
void TCanvas::AnsiAdvances(const TAnsiText& Text, const std::vector<int>& UnitAdvances, int* ByteAdvances)
{
    const int count = static_cast<int>(Text.LastByte.size());
    for (int i = 0; i < count; ++i) {
        int sum = 0;
        if (Text.LastByte[static_cast<size_t>(i)])
            for (int u = Text.ByteUnit[static_cast<size_t>(i)]; u < Text.ByteUnit[static_cast<size_t>(i) + 1];
                 ++u)
                sum += UnitAdvances[static_cast<size_t>(u)];
        ByteAdvances[i] = sum;
    }
}

// ---- Extents and metrics

bool TCanvas::GetTextExtentPoint32W(const WideChar* Str, int Count, TSize& Size)
{
    return GetTextExtentExPointW(Str, Count, 0, nullptr, nullptr, Size);
}

bool TCanvas::GetTextExtentPoint32A(const char* Str, int Count, TSize& Size)
{
    if (Count > 0 && Str && FontCodePage() == CP_UTF8 &&
        std::all_of(Str, Str + Count, [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        // ASCII in UTF-8 (most of a log): a byte is a character and a code unit
        // of its own, so the advances add up without converting the text.
        WideChar units[256];
        int advances[256];
        int sum = 0;
        for (int done = 0; done < Count;) {
            const int n = std::min(Count - done, 256);
            for (int i = 0; i < n; ++i)
                units[i] = static_cast<unsigned char>(Str[done + i]);
            UnitAdvances(units, n, advances);
            for (int i = 0; i < n; ++i)
                sum += advances[i] + FCharExtra;
            done += n;
        }
        TOutlineTextMetric otm;
        FontMetrics(otm);
        Size = {sum, otm.otmTextMetrics.tmHeight};
        return true;
    }
    return GetTextExtentExPointA(Str, Count, 0, nullptr, nullptr, Size);
}

bool TCanvas::GetTextExtentExPointW(const WideChar* Str, int Count, int MaxExtent, int* Fit, int* Dx,
                                    TSize& Size)
{
    if (Count < 0 || (Count > 0 && !Str))
        return false;
    std::vector<int> advances;
    MeasureUnits(Str, Count, advances);
    int sum = 0;
    int fit = 0;
    for (int i = 0; i < Count; ++i) {
        sum += advances[static_cast<size_t>(i)];
        if (Dx)
            Dx[i] = sum;
        // Trailing units of a character add nothing, so they fit with their character.
        if (sum <= MaxExtent && fit == i)
            fit = i + 1;
    }
    if (Fit)
        *Fit = fit;
    TOutlineTextMetric otm;
    FontMetrics(otm);
    Size = {sum, otm.otmTextMetrics.tmHeight};
    return true;
}

bool TCanvas::GetTextExtentExPointA(const char* Str, int Count, int MaxExtent, int* Fit, int* Dx, TSize& Size)
{
    if (Count < 0 || (Count > 0 && !Str))
        return false;
    TAnsiText text;
    ConvertAnsi(Str, Count, text);
    std::vector<int> units;
    MeasureUnits(text.Wide.data(), static_cast<int>(text.Wide.size()), units);
    std::vector<int> bytes(static_cast<size_t>(Count));
    AnsiAdvances(text, units, bytes.data());
    int sum = 0;
    int fit = 0;
    int charStart = 0;
    for (int i = 0; i < Count; ++i) {
        sum += bytes[static_cast<size_t>(i)];
        if (Dx)
            Dx[i] = sum;
        if (!text.LastByte[static_cast<size_t>(i)])
            continue;
        // Only whole characters fit: decided on the last byte, which carries the advance.
        if (sum <= MaxExtent && fit == charStart)
            fit = i + 1;
        charStart = i + 1;
    }
    if (Fit)
        *Fit = fit;
    TOutlineTextMetric otm;
    FontMetrics(otm);
    Size = {sum, otm.otmTextMetrics.tmHeight};
    return true;
}

TSize TCanvas::TextExtent(const AnsiString& Text)
{
    TSize size;
    GetTextExtentPoint32A(Text.data(), static_cast<int>(Text.size()), size);
    return size;
}

bool TCanvas::GetTextMetrics(TTextMetric& Metrics)
{
    TOutlineTextMetric otm;
    FontMetrics(otm);
    Metrics = otm.otmTextMetrics;
    return true;
}

bool TCanvas::GetOutlineTextMetrics(TOutlineTextMetric& Metrics)
{
    FontMetrics(Metrics);
    return true;
}

int TCanvas::SetTextCharacterExtra(int Extra)
{
    const int old = FCharExtra;
    FCharExtra = Extra;
    return old;
}

unsigned TCanvas::SetTextAlign(unsigned Align)
{
    const unsigned old = FTextAlign;
    FTextAlign = Align;
    return old;
}

// ---- Output

bool TCanvas::ExtTextOutInternal(int X, int Y, unsigned Options, const TRect* Rect, const WideChar* Str,
                                 int Count, const int* UnitDx, const AnsiString* Ansi)
{
    if (Count < 0 || (Count > 0 && !Str))
        return false;
    TTextRun run;
    run.Options = Options;
    if (Count > 0)
        run.Text.assign(Str, static_cast<size_t>(Count));
    if (UnitDx)
        run.Advances.assign(UnitDx, UnitDx + Count);
    else
        MeasureUnits(Str, Count, run.Advances);
    if (Ansi) {
        run.Ansi = *Ansi;
        run.FromAnsi = true;
    }
    run.RightToLeft = (Options & ETO_RTLREADING) || (FTextAlign & TA_RTLREADING);
    for (int a : run.Advances)
        run.Width += a;
    TOutlineTextMetric otm;
    FontMetrics(otm);
    run.Ascent = otm.otmTextMetrics.tmAscent;
    run.Height = otm.otmTextMetrics.tmHeight;

    BuildClusters(run);
    return OutputRun(run, X, Y, Rect);
}

// The characters in visual order, each at the sum of the advances of those left of it.
void TCanvas::BuildClusters(TTextRun& Run)
{
    int offset = 0;
    Run.Clusters.clear();
    const WideChar* text = Run.Text.data();
    const int count = static_cast<int>(Run.Text.size());
    auto Place = [&](int Start, int Count, bool Mirrored) {
        Run.Clusters.push_back({Start, Count, offset, Mirrored});
        for (int u = Start; u < Start + Count; ++u)
            offset += Run.Advances[static_cast<size_t>(u)];
    };
    if (!Run.RightToLeft && !HasRightToLeft(text, count)) {
        // Left to right throughout (most text): the logical order is the
        // visual one, without the reordering's copies.
        Run.Clusters.reserve(Run.Text.size());
        ForEachCluster(text, count, [&](int start, int n) { Place(start, n, false); });
        return;
    }
    for (const TClusterInfo& c : VisualClusters(text, count, Run.RightToLeft))
        Place(c.Start, c.Count, (c.Level & 1) != 0);
}

bool TCanvas::OutputRun(TTextRun& Run, int X, int Y, const TRect* Rect)
{
    const unsigned horizontal = FTextAlign & TA_CENTER;
    if (horizontal == TA_CENTER)
        X -= Run.Width / 2;
    else if (horizontal == TA_RIGHT)
        X -= Run.Width;
    if ((FTextAlign & TA_BASELINE) == TA_BASELINE)
        Y -= Run.Ascent;
    else if (FTextAlign & TA_BOTTOM)
        Y -= Run.Height;
    const TPoint p = ToDevice(TPoint{X, Y});
    Run.X = p.X;
    Run.Y = p.Y;
    if (Rect) {
        Run.Rect = ToDevice(*Rect);
        Run.HasRect = true;
    } else {
        Run.Options &= ~(ETO_OPAQUE | ETO_CLIPPED);
    }
    DoTextRun(Run);
    return true;
}

bool TCanvas::ExtTextOutW(int X, int Y, unsigned Options, const TRect* Rect, const WideChar* Str, int Count,
                          const int* Dx)
{
    const bool done = ExtTextOutInternal(X, Y, Options, Rect, Str, Count, Dx, nullptr);
    if (done)
        Drawn(false);
    return done;
}

bool TCanvas::ExtTextOutA(int X, int Y, unsigned Options, const TRect* Rect, const char* Str, int Count,
                          const int* Dx)
{
    if (Count < 0 || (Count > 0 && !Str))
        return false;
    TAnsiText text;
    ConvertAnsi(Str, Count, text);
    const AnsiString ansi(Str, static_cast<size_t>(Count));
    const int units = static_cast<int>(text.Wide.size());
    // Per-byte advances become per-unit ones: a character's bytes together give
    // its advance, placed on its first code unit.
    std::vector<int> unitDx;
    if (Dx) {
        unitDx.assign(static_cast<size_t>(units), 0);
        for (int i = 0; i < Count; ++i) {
            const int u = text.ByteUnit[static_cast<size_t>(i)];
            if (u < units)
                unitDx[static_cast<size_t>(u)] += Dx[i];
        }
    }
    const bool done =
        ExtTextOutInternal(X, Y, Options, Rect, text.Wide.data(), units, Dx ? unitDx.data() : nullptr, &ansi);
    if (done)
        Drawn(false);
    return done;
}

bool TCanvas::TextOutW(int X, int Y, const WideChar* Str, int Count)
{
    return ExtTextOutW(X, Y, 0, nullptr, Str, Count, nullptr);
}

bool TCanvas::TextOutA(int X, int Y, const char* Str, int Count)
{
    return ExtTextOutA(X, Y, 0, nullptr, Str, Count, nullptr);
}

void TCanvas::TextOut(int X, int Y, const AnsiString& Text)
{
    {
        TDrawScope scope(*this);
        TextOutA(X, Y, Text.data(), static_cast<int>(Text.size()));
    }
    MoveTo(X + TextWidth(Text), Y);
    Drawn(true);
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const AnsiString& Text)
{
    unsigned options = ETO_CLIPPED;
    if (FBrush->Style() == bsSolid)
        options |= ETO_OPAQUE;
    {
        TDrawScope scope(*this);
        ExtTextOutA(X, Y, options, &Rect, Text.data(), static_cast<int>(Text.size()), nullptr);
    }
    Drawn(true);
}

// ---- Character placement

unsigned TCanvas::Placement(const WideChar* Str, int Count, std::vector<int>& Order,
                            std::vector<int>& VisualDx, std::vector<char>& Classes, std::vector<int>& Carets)
{
    std::vector<int> advances;
    MeasureUnits(Str, Count, advances);
    Order.assign(static_cast<size_t>(Count), 0);
    VisualDx.assign(static_cast<size_t>(Count), 0);
    Classes.assign(static_cast<size_t>(Count), GCPCLASS_NEUTRAL);
    Carets.assign(static_cast<size_t>(Count), 0);
    int visual = 0;
    int x = 0;
    for (const TClusterInfo& c : VisualClusters(Str, Count, (FTextAlign & TA_RTLREADING) != 0)) {
        int units = 1;
        const char cls = ClassOf(CodePointAt(Str, Count, c.Start, units));
        int width = 0;
        for (int u = c.Start; u < c.Start + c.Count; ++u)
            width += advances[static_cast<size_t>(u)];
        for (int u = c.Start; u < c.Start + c.Count; ++u) {
            Order[static_cast<size_t>(u)] = visual;
            VisualDx[static_cast<size_t>(visual)] = advances[static_cast<size_t>(u)];
            Classes[static_cast<size_t>(u)] = cls;
            // The leading edge: the left of a left-to-right character, the right of a right-to-left one.
            Carets[static_cast<size_t>(u)] = (c.Level & 1) ? x + width : x;
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

unsigned TCanvas::GetCharacterPlacementW(const WideChar* Str, int Count, int MaxExtent, TGCPResults& Results,
                                         unsigned Flags)
{
    if (Count <= 0 || !Str || (Results.nGlyphs != 0 && Results.nGlyphs < static_cast<unsigned>(Count)))
        return 0;
    std::vector<int> order, dx, carets;
    std::vector<char> classes;
    const unsigned size = Placement(Str, Count, order, dx, classes, carets);
    for (int i = 0; i < Count; ++i) {
        const size_t k = static_cast<size_t>(i);
        if (Results.lpOrder)
            Results.lpOrder[i] = static_cast<unsigned>(order[k]);
        if (Results.lpDx)
            Results.lpDx[i] = dx[k];
        if (Results.lpCaretPos)
            Results.lpCaretPos[i] = carets[k];
        if (Results.lpClass)
            Results.lpClass[i] = classes[k];
    }
    Results.nGlyphs = static_cast<unsigned>(Count);
    Results.nMaxFit = Count;
    if (Flags & GCP_MAXEXTENT) {
        std::vector<int> logical(static_cast<size_t>(Count));
        for (int i = 0; i < Count; ++i)
            logical[static_cast<size_t>(i)] = dx[static_cast<size_t>(order[static_cast<size_t>(i)])];
        Results.nMaxFit = MaxFit(logical.data(), Count, MaxExtent);
    }
    return size;
}

unsigned TCanvas::GetCharacterPlacementA(const char* Str, int Count, int MaxExtent, TGCPResults& Results,
                                         unsigned Flags)
{
    if (Count <= 0 || !Str || (Results.nGlyphs != 0 && Results.nGlyphs < static_cast<unsigned>(Count)))
        return 0;
    TAnsiText text;
    ConvertAnsi(Str, Count, text);
    const int units = static_cast<int>(text.Wide.size());
    std::vector<int> order, dx, carets;
    std::vector<char> classes;
    const unsigned size = Placement(text.Wide.data(), units, order, dx, classes, carets);
    // The characters in visual order, each by its first code unit.
    std::vector<int> unitByVisual(static_cast<size_t>(units));
    for (int u = 0; u < units; ++u)
        unitByVisual[static_cast<size_t>(order[static_cast<size_t>(u)])] = u;
    std::vector<int> firstByteOfUnit(static_cast<size_t>(units), -1);
    for (int b = Count - 1; b >= 0; --b)
        firstByteOfUnit[static_cast<size_t>(text.ByteUnit[static_cast<size_t>(b)])] = b;
    std::vector<int> byteAdvances(static_cast<size_t>(Count));
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
        for (int b = first; b < Count; ++b) {
            const size_t k = static_cast<size_t>(b);
            if (Results.lpOrder)
                Results.lpOrder[b] = static_cast<unsigned>(visual);
            if (Results.lpDx)
                Results.lpDx[visual] = byteAdvances[k];
            if (Results.lpCaretPos)
                Results.lpCaretPos[b] = carets[static_cast<size_t>(u)];
            if (Results.lpClass)
                Results.lpClass[b] = classes[static_cast<size_t>(u)];
            ++visual;
            if (text.LastByte[k])
                break;
        }
    }
    Results.nGlyphs = static_cast<unsigned>(Count);
    Results.nMaxFit = Count;
    if (Flags & GCP_MAXEXTENT)
        Results.nMaxFit = MaxFit(byteAdvances.data(), Count, MaxExtent);
    return size;
}
