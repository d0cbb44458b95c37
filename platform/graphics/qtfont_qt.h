// Internal to platform/graphics: the fonts the Qt canvas realises, with their
// metrics and the advances, glyphs and glyph masks of the characters met, kept
// for reuse within fixed bounds.
#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/graphics/glyphmask_qt.h"

// One glyph of a character: which of the font's faces draws it (an index into
// TQtFontData::Faces), its index in that face and its place from the
// character's origin; and its ink, once the canvas has drawn it into an image
// itself.
struct TQtGlyph {
    int Face;
    quint32 Index;
    QPointF At;
    TGlyphMask Mask{};
};

struct TQtGlyphs {
    int Advance = 0;
    qreal BaselineShift = 0; // from the layout's baseline to the font's
    std::vector<TQtGlyph> Glyphs;
    // Rows of the character's cell (0 its top) between which its ink lies,
    // with room for the smoothing and hinting of the drawn glyphs; when not
    // known, the ink may lie anywhere.
    bool InkKnown = false;
    int InkTop = 0;
    int InkBottom = 0;
};

// A face that draws glyphs of a realised font (the font itself or a fallback),
// with the flags its runs carry.
struct TQtFace {
    QRawFont Font;
    QGlyphRun::GlyphRunFlags Flags;
};

// Notes where the ink of G's glyphs lies, from their outlines' bounds.
void NoteInk(TQtGlyphs& g, const std::vector<TQtFace>& faces);

// A font realised once: the toolkit font, its metrics, and the advances and
// glyphs of the characters met. Characters of one code unit below 0x100 (most
// of a log's text) are also found through a table, without a string or a
// hash; entries of the map never move, so the table points at them. The map
// and the glyph masks of its entries hold at most MaxGlyphBytes: when a new
// character would go past that, the map starts again (a reference that
// GlyphsOf gave is good until the next GlyphsOf). The metrics describe the
// face, size, weight and slant: underline, strike-out and character set are
// the asking font's own.
//
// Besides, the answers for the characters and clusters met (which face draws
// them, the font's own or the fallback the toolkit's font matching found,
// their glyphs, advance and ink) are remembered apart from the map, without
// masks: when the map starts again they spare the toolkit's layout and its
// search through the fallback fonts. At most MaxAnswers of them in at most
// MaxAnswerBytes; when a new one would go past either, they start again.
// Their bytes count in the cache's total (CachedBytes), not in the map's.
//
// A cluster of more than MaxClusterUnits code units (a letter under a pile of
// combining marks, as junk or hostile text makes them) is not remembered: it
// stays in the map while the map keeps it, and is laid out again once the
// map has started again, so that no length of cluster grows what the font
// holds past the map's bound by more than that one entry.
struct TQtFontData {
    static constexpr size_t MaxGlyphBytes = size_t(4) << 20;
    static constexpr size_t MaxAnswers = 32768;
    static constexpr size_t MaxAnswerBytes = size_t(4) << 20;
    static constexpr size_t MaxClusterUnits = 32;

    QFont Font;
    TOutlineTextMetric Metrics;
    std::unordered_map<std::u16string, TQtGlyphs> Glyphs;
    std::array<TQtGlyphs*, 0x100> Latin{};
    // The advances of the ASCII characters, once asked for, and the one
    // advance of the printable ones when they share it (else -1).
    std::array<int, 0x80> Ascii{};
    int PrintableAscii = -1;
    bool AsciiKnown = false;
    std::vector<TQtFace> Faces;

    TQtFontData() = default;
    TQtFontData(const TQtFontData&) = delete;
    TQtFontData& operator=(const TQtFontData&) = delete;
    ~TQtFontData();

    TQtGlyphs& GlyphsOf(const WideChar* text, int count);
    TQtGlyphs& GlyphsOf(const std::u16string& text);
    // The advance of a character or cluster: from the glyph map or the
    // answers when either has it, else laid out and remembered (measuring
    // alone makes no entry of the map, which holds what is drawn).
    int AdvanceOf(const WideChar* text, int count);
    // Whether the toolkit has looked for the fonts of every code point of the
    // character or cluster: measuring it searches no fallback font that was
    // not searched before, though a cluster first met in pieces may still be
    // laid out (in the fonts found then). Code points beyond the 16-bit units
    // count as met only within a cluster that AdvanceOf answers without
    // laying it out.
    bool Knows(const WideChar* text, int count) const;
    // How many leading code units of Text (none a surrogate) the toolkit has
    // looked for the fonts of.
    int KnownUnits(const WideChar* text, int count) const
    {
        int i = 0;
        while (i < count && WasMet(text[i]))
            ++i;
        return i;
    }
    int FaceOf(const QGlyphRun& run);

    // What the glyph map and its masks hold, in bytes (as counted by
    // AddGlyphBytes: the entries' own storage and the masks' pixels).
    size_t GlyphBytes() const { return FGlyphBytes; }
    // Counts bytes that an entry's masks took or let go of.
    void AddGlyphBytes(std::ptrdiff_t bytes);
    // The answers remembered, and the bytes the font holds in all (its map
    // and its answers).
    size_t AnswerCount() const { return FAnswers.size(); }
    size_t AnswerBytes() const { return FAnswerBytes; }
    // The times the toolkit was asked to lay a character or cluster out.
    size_t LayoutCount() const { return FLayouts; }
    size_t CachedBytes() const { return FGlyphBytes + FAnswerBytes + FUnitAdvanceBytes; }

private:
    friend class TQtFontCache;
    void ClearGlyphs();
    // The toolkit's layout of Text in this font.
    TQtGlyphs LaidOut(const std::u16string& text);
    void Remember(const std::u16string& text, const TQtGlyphs& g);
    // One glyph of a remembered answer.
    struct TAnswerGlyph {
        int Face;
        quint32 Index;
        float X;
        float Y;
    };
    struct TAnswer {
        int Advance;
        float BaselineShift;
        bool InkKnown;
        int InkTop;
        int InkBottom;
        std::vector<TAnswerGlyph> Glyphs;
    };
    std::unordered_map<std::u16string, TAnswer> FAnswers;
    // The advances of single code units from U+0100 up (not surrogates), a
    // page of 256 at a time, made as a unit of the page is measured: most
    // measuring of text in other scripts is a lookup. An advance never
    // changes, so they outlive the answers.
    static constexpr int UnknownAdvance = INT_MIN;
    std::array<std::unique_ptr<std::array<int, 256>>, 256> FUnitAdvances{};
    // The 16-bit code units (not surrogates) of every text the toolkit laid
    // out, a bit each: their fonts have been looked for, and stay found for
    // as long as the font lives, whatever the answers and the map let go of.
    std::array<uint64_t, 0x10000 / 64> FMetUnits{};
    bool WasMet(WideChar unit) const { return (FMetUnits[unit >> 6] >> (unit & 63)) & 1; }
    size_t FUnitAdvanceBytes = 0;
    int ClusterAdvance(const WideChar* text, int count);
    size_t FAnswerBytes = 0;
    size_t FLayouts = 0;
    size_t FGlyphBytes = 0;
    // Held by the cache: its bytes count in the cache's total.
    bool FCached = false;
};

// The fonts realised for the Qt canvases, by what they are drawn with: the
// face a name resolves to, the pixel size, the width asked, bold and italic
// (names that resolve to one face share its fonts). The least recently used
// are let go of beyond MaxFonts fonts or MaxBytes bytes of glyph maps in all;
// a canvas keeps the font it draws with alive while it uses it.
namespace qtfontcache {

constexpr int MaxFonts = 32;
constexpr size_t MaxBytes = size_t(24) << 20;

// The realised font for F, made when the cache has none.
std::shared_ptr<TQtFontData> FontFor(const TFont& f);

struct TUsage {
    int Fonts = 0;               // fonts held
    size_t Bytes = 0;            // bytes of their glyph maps in all
    size_t LargestFontBytes = 0; // of the font that holds most
};
TUsage Usage();

} // namespace qtfontcache
