// TCanvas text functions: characters and their advances, ANSI text through the
// font's code page, extents, metrics, bidirectional reordering and character
// placement. Drawing text is in canvas_textout.cpp.
#include "platform/graphics/canvas.h"

#include <unicode/ubidi.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/core/codepages.h"
#include "platform/graphics/canvas_clusters.h"

using namespace textclusters;

namespace {

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

// Whether every byte is a printable ASCII character (0x20 to 0x7E), tested
// eight bytes at a time: a byte below 0x20 borrows into its top bit when 0x20
// is taken from it, and a byte above 0x7E has its top bit set once 1 is added
// (a borrow or a carry crosses into the next byte only from a byte that
// failed already).
bool AllPrintableAscii(const char* str, int count)
{
    constexpr uint64_t Ones = 0x0101010101010101u;
    constexpr uint64_t Tops = 0x8080808080808080u;
    uint64_t outside = 0;
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t w;
        std::memcpy(&w, str + i, sizeof w);
        outside |= ((w - Ones * 0x20) & ~w & Tops) | (((w + Ones) | w) & Tops);
    }
    for (; i < count; ++i)
        outside |= static_cast<unsigned char>(static_cast<unsigned char>(str[i]) - 0x20) > 0x5E;
    return outside == 0;
}

} // namespace

// Clusters of the text in visual order, with their levels; base level 1 for right to left.
std::vector<TClusterInfo> textclusters::VisualClusters(const WideChar* s, int n, bool rightToLeft)
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

// ---- Characters and advances

int TCanvas::KnownCharacters(const WideChar*, int)
{
    return 0;
}

int TCanvas::KnownUnits(const WideChar*, int)
{
    return 0;
}

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
    out.Wide.reserve(static_cast<size_t>(count));
    if (cp == CP_UTF8) {
        // UTF-8 is read here a character at a time, as the converter reads it:
        // a code point of one unit or of a surrogate pair.
        for (const char* p = str; p < end;) {
            unsigned c;
            const char* next = Utf8CharAt(p, end, c);
            const int first = static_cast<int>(out.Wide.size());
            if (c < 0x10000) {
                out.Wide.push_back(static_cast<WideChar>(c));
            } else {
                out.Wide.push_back(static_cast<WideChar>(0xD800 + ((c - 0x10000) >> 10)));
                out.Wide.push_back(static_cast<WideChar>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            }
            for (const char* b = p; b < next; ++b)
                out.ByteUnit[static_cast<size_t>(b - str)] = first;
            out.LastByte[static_cast<size_t>(next - 1 - str)] = 1;
            p = next;
        }
        out.ByteUnit[static_cast<size_t>(count)] = static_cast<int>(out.Wide.size());
        return;
    }
    for (const char* p = str; p < end;) {
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
    if (count <= 0 || !str || FontCodePage() != CP_UTF8)
        return false;
    // ASCII in UTF-8 (most of a log): a byte is a character and a code unit
    // of its own, so the advances add up without converting the text. With
    // the advances at hand the bytes are read once: added up, and tested for
    // ASCII on the way (a byte with the high bit set gives the text back).
    if (const int* ascii = AsciiAdvances()) {
        const int extra = FCharExtra;
        unsigned high = 0;
        int sum = 0;
        if (prefixes) {
            for (int i = 0; i < count; ++i) {
                const auto c = static_cast<unsigned char>(str[i]);
                high |= c;
                prefixes[i] = sum += ascii[c & 0x7F] + extra;
            }
        } else if (const int uniform = PrintableAsciiAdvance();
                   uniform >= 0 && AllPrintableAscii(str, count)) {
            // A fixed-pitch font: the width is a product.
            sum = static_cast<int>(int64_t{uniform + extra} * count);
        } else {
            for (int i = 0; i < count; ++i) {
                const auto c = static_cast<unsigned char>(str[i]);
                high |= c;
                sum += ascii[c & 0x7F];
            }
            sum += extra * count;
        }
        if (high & 0x80)
            return false;
        TOutlineTextMetric otm;
        FontMetrics(otm);
        size = {sum, otm.otmTextMetrics.tmHeight};
        return true;
    }
    if (!std::all_of(str, str + count, [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return false;
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

int TCanvas::MetPrefixA(const char* str, int count)
{
    if (FontCodePage() != CP_UTF8)
        return 0;
    // A block of characters at a time: their code units, and the byte each
    // begins at.
    constexpr int Block = 128;
    WideChar units[Block];
    int starts[Block];
    // Where the last character that is no combining mark begins, as far as
    // it is told cheaply: no character before it extends past it.
    int clusterStart = 0;
    for (int at = 0; at < count;) {
        int n = 0;
        int next = at;
        // A code point beyond the 16-bit units that ends the block.
        unsigned wide = 0;
        while (next < count && n < Block) {
            unsigned c;
            const int after = static_cast<int>(Utf8CharAt(str + next, str + count, c) - str);
            if (c >= 0x10000) {
                wide = c;
                break;
            }
            units[n] = static_cast<WideChar>(c);
            starts[n++] = next;
            next = after;
        }
        const int known = KnownUnits(units, n);
        for (int i = 0; i < known; ++i)
            if (units[i] < 0x300)
                clusterStart = starts[i];
        if (known < n)
            return units[known] < 0x300 ? starts[known] : clusterStart;
        at = next;
        if (wide == 0)
            continue;
        // A surrogate pair is known as a whole character: passed when it is
        // one (no mark of another, none after it) that the font knows.
        if (IsCombining(static_cast<UChar32>(wide)))
            return clusterStart;
        clusterStart = at;
        unsigned following = 0;
        const int after = static_cast<int>(Utf8CharAt(str + at, str + count, wide) - str);
        if (after < count)
            Utf8CharAt(str + after, str + count, following);
        const WideChar pair[2] = {static_cast<WideChar>(0xD800 + ((wide - 0x10000) >> 10)),
                                  static_cast<WideChar>(0xDC00 + ((wide - 0x10000) & 0x3FF))};
        if (IsCombining(static_cast<UChar32>(following)) || KnownCharacters(pair, 2) != 2)
            return clusterStart;
        at = after;
    }
    return count;
}

int TCanvas::MeetCharactersA(const char* str, int count, const std::function<bool()>& stop)
{
    if (count <= 0 || !str)
        return 0;
    // Most text a pane shows is in characters its fonts met long before: they
    // are passed over without converting them.
    const int passed = MetPrefixA(str, count);
    if (passed == count)
        return count;
    str += passed;
    count -= passed;
    TAnsiText text;
    ConvertAnsi(str, count, text);
    const WideChar* s = text.Wide.data();
    const int n = static_cast<int>(text.Wide.size());
    for (int i = KnownCharacters(s, n); i < n; i += KnownCharacters(s + i, n - i)) {
        if (stop()) {
            // The bytes before the first one of the character at unit I.
            const auto first = std::lower_bound(text.ByteUnit.begin(), text.ByteUnit.end(), i);
            return passed + static_cast<int>(first - text.ByteUnit.begin());
        }
        // The units measuring gives one advance: a code point and its marks.
        const int end = ClusterEnd(s, n, i);
        CharAdvance(s + i, end - i);
        i = end;
    }
    return passed + count;
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
// ---- Character placement

unsigned TCanvas::Placement(const WideChar* str, int count, std::vector<int>& order,
                            std::vector<int>& visualDx, std::vector<char>& classes, std::vector<int>& carets,
                            std::vector<uint8_t>& levels)
{
    std::vector<int> advances;
    MeasureUnits(str, count, advances);
    order.assign(static_cast<size_t>(count), 0);
    visualDx.assign(static_cast<size_t>(count), 0);
    classes.assign(static_cast<size_t>(count), GCPCLASS_NEUTRAL);
    carets.assign(static_cast<size_t>(count), 0);
    levels.assign(static_cast<size_t>(count), 0);
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
            levels[static_cast<size_t>(u)] = c.Level;
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
    std::vector<uint8_t> levels;
    const unsigned size = Placement(str, count, order, dx, classes, carets, levels);
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
        if (results.lpLevel)
            results.lpLevel[i] = levels[k];
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
    std::vector<uint8_t> levels;
    const unsigned size = Placement(text.Wide.data(), units, order, dx, classes, carets, levels);
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
            if (results.lpLevel)
                results.lpLevel[b] = levels[static_cast<size_t>(u)];
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
