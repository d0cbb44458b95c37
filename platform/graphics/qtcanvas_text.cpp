// The Qt canvas's text: measured through the realised fonts of qtfont_qt.h
// and drawn character by character at the positions the measuring gave.
#include <QGlyphRun>

#include <unicode/uchar.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <unordered_map>

#include "platform/core/colors.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/canvas_clusters.h"
#include "platform/graphics/glyphmask_qt.h"
#include "platform/graphics/qtcanvas.h"
#include "platform/graphics/qtcanvas_qt.h"
#include "platform/graphics/qtcolor_qt.h"
#include "platform/graphics/qtfont_qt.h"
#include "platform/graphics/textshaping.h"
#include "platform/graphics/textshaping_qt.h"

namespace {

// Characters shown right to left take their mirrored forms (brackets).
std::u16string Mirrored(const std::u16string& text)
{
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        UChar32 c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            out.push_back(text[i]);
            out.push_back(text[++i]);
            continue;
        }
        c = u_charMirror(c);
        out.push_back(static_cast<char16_t>(c <= 0xFFFF ? c : text[i]));
    }
    return out;
}

// The glyphs of the text's joining-script words (below).
std::unordered_map<int, TQtGlyphs> ShapedGlyphs(TQtFontData& font, const WideString& text);

} // namespace

TQtFontData& TQtCanvas::CurrentFont()
{
    const TFont& f = *Font();
    if (FFontData && FFontVersion == f.Version())
        return *FFontData;
    FFontVersion = f.Version();
    TRealisedFor& r = FRealisedFor;
    const bool bold = f.Style().Contains(fsBold), italic = f.Style().Contains(fsItalic);
    if (FFontData && r.Height == f.Height() && r.Width == f.Width() && r.Bold == bold && r.Italic == italic &&
        r.Pitch == f.Pitch() && r.Name == f.Name())
        return *FFontData;
    FFontData = qtfontcache::FontFor(f);
    r = TRealisedFor{f.Name(), f.Height(), f.Width(), bold, italic, f.Pitch()};
    return *FFontData;
}

int TQtCanvas::CharAdvance(const WideChar* Char, int count)
{
    return CurrentFont().AdvanceOf(Char, count);
}

int TQtCanvas::KnownCharacters(const WideChar* str, int count)
{
    const TQtFontData& font = CurrentFont();
    int i = 0;
    while (i < count) {
        const int end = textclusters::ClusterEnd(str, count, i);
        if (!font.Knows(str + i, end - i))
            break;
        i = end;
    }
    return i;
}

int TQtCanvas::KnownUnits(const WideChar* str, int count)
{
    return CurrentFont().KnownUnits(str, count);
}

void TQtCanvas::UnitAdvances(const WideChar* str, int count, int* advances)
{
    TQtFontData& font = CurrentFont();
    for (int i = 0; i < count; ++i)
        advances[i] = font.AdvanceOf(str + i, 1);
}

const int* TQtCanvas::AsciiAdvances()
{
    TQtFontData& font = CurrentFont();
    if (!font.AsciiKnown) {
        for (WideChar c = 0; c < 0x80; ++c)
            font.Ascii[c] = font.GlyphsOf(&c, 1).Advance;
        const auto printable = font.Ascii.begin() + 0x20;
        const auto end = font.Ascii.begin() + 0x7F;
        font.PrintableAscii =
            std::all_of(printable, end, [&](int advance) { return advance == *printable; }) ? *printable : -1;
        font.AsciiKnown = true;
    }
    return font.Ascii.data();
}

int TQtCanvas::PrintableAsciiAdvance()
{
    AsciiAdvances();
    return CurrentFont().PrintableAscii;
}

void TQtCanvas::FontMetrics(TOutlineTextMetric& metrics)
{
    metrics = CurrentFont().Metrics;
    // A realised font serves every font of its face, size, weight and slant.
    TTextMetric& tm = metrics.otmTextMetrics;
    tm.tmUnderlined = Font()->Style().Contains(fsUnderline);
    tm.tmStruckOut = Font()->Style().Contains(fsStrikeOut);
    tm.tmCharSet = Font()->Charset();
}

// ---- Drawing a run

void TQtGlyphBatch::Start(QPainter& painter, TQtFontData& font, const QColor& color)
{
    FPainter = &painter;
    FFont = &font;
    FColor = color;
    FPenSet = false;
    FFace = -1;
    FIndexes.clear();
    FPositions.clear();
}

void TQtGlyphBatch::DrawGathered()
{
    if (!FPenSet) {
        FPainter->setPen(FColor);
        FPenSet = true;
    }
    const TQtFace& face = FFont->Faces[static_cast<size_t>(FFace)];
    FRun.setRawFont(face.Font);
    FRun.setFlags(face.Flags);
    FRun.setRawData(FIndexes.data(), FPositions.data(), static_cast<int>(FIndexes.size()));
    FPainter->drawGlyphRun(QPointF(0, 0), FRun);
    // The run lets go of the glyphs before they change.
    FRun.setRawData(nullptr, nullptr, 0);
    FIndexes.clear();
    FPositions.clear();
}

namespace {

// Where a run's cell is drawn on the painter: at the run's place; under a
// scaling mapping the run is drawn at its own size and scaled onto the device
// around its place there (the clip stays in device pixels).
struct TRunOrigin {
    int X;
    int Y;
    bool Scaled;
};

TRunOrigin PlaceRun(QPainter& p, const TTextRun& run)
{
    if (run.ScaleX == 1.0 && run.ScaleY == 1.0)
        return TRunOrigin{run.X, run.Y, false};
    p.translate(run.X, run.Y);
    p.scale(run.ScaleX, run.ScaleY);
    return TRunOrigin{0, 0, true};
}

// On an unscaled device a character whose glyphs lie wholly outside the clip
// draws nothing, so that a long run draws only what shows: a glyph's ink may
// reach beyond its advance, and a margin of a few em sizes covers it; nor does
// a character whose ink lies wholly above or below the clip.
struct TRunCulling {
    bool Scaled;
    TRect Clip;
    int Margin;
    int Y; // the top of the run's cells

    bool Skips(int x, const TQtGlyphs& g) const
    {
        if (Scaled)
            return false;
        if (x - Margin >= Clip.Right || x + std::abs(g.Advance) + Margin <= Clip.Left)
            return true;
        return g.InkKnown && (Y + g.InkBottom <= Clip.Top || Y + g.InkTop >= Clip.Bottom);
    }
};

// A cluster's glyphs: those of its shaped word when it is in one; else the
// font's own for its characters (mirrored when shown right to left), which
// Own then points at (null for a shaped word's).
const TQtGlyphs& ClusterGlyphs(TQtFontData& font, const TTextRun& run, const TTextRun::TCluster& c,
                               const std::unordered_map<int, TQtGlyphs>& shaped, TQtGlyphs*& own)
{
    const auto word = shaped.empty() ? shaped.end() : shaped.find(c.Start);
    if (word != shaped.end()) {
        own = nullptr;
        return word->second;
    }
    const WideChar* text = run.Text.data() + c.Start;
    own = c.Mirrored ? &font.GlyphsOf(Mirrored(std::u16string(text, size_t(c.Count))))
                     : &font.GlyphsOf(text, c.Count);
    return *own;
}

// One glyph of the font's own, blended into the target at (X, Y) from its
// mask, taken once at its place with the cluster's baseline shift (a fraction
// of a pixel as often as not); the glyphs gathered before it are drawn first.
// False when it has no mask (the toolkit draws it).
bool BlendOwnGlyph(TQtFontData& font, TQtGlyph& glyph, qreal baselineShift, const TCoverageBlend& blend,
                   const TGlyphTarget& target, TQtGlyphBatch& batch, int x, int y)
{
    TGlyphMask& mask = glyph.Mask;
    if (mask.State == TGlyphMask::Unknown) {
        const TQtFace& f = font.Faces[static_cast<size_t>(glyph.Face)];
        TakeGlyphMask(f.Font, f.Flags, glyph.Index, QPointF(glyph.At.x(), glyph.At.y() + baselineShift),
                      mask);
        font.AddGlyphBytes(static_cast<std::ptrdiff_t>(mask.Coverage.capacity()));
    }
    if (mask.State != TGlyphMask::Ready)
        return false;
    batch.Flush();
    // The pixels blended over a background, kept with the mask, count too.
    const size_t over = mask.Over.Pixels.capacity();
    BlendGlyphMask(mask, blend, target, x, y);
    if (mask.Over.Pixels.capacity() != over)
        font.AddGlyphBytes(static_cast<std::ptrdiff_t>(mask.Over.Pixels.capacity() - over) *
                           static_cast<std::ptrdiff_t>(sizeof(uint32_t)));
    return true;
}

// The run's lines in the text's colour: the underline and the strike-out across
// its cells as the font's style asks, and the underline of the cluster that
// holds the prefixed character.
void DrawRunLines(QPainter& p, const TOutlineTextMetric& m, TFontStyles style, const TTextRun& run,
                  const TRunOrigin& o, const QColor& color)
{
    const int baseline = o.Y + m.otmTextMetrics.tmAscent;
    if (style.Contains(fsUnderline))
        p.fillRect(QRect(o.X, baseline - m.otmsUnderscorePosition, run.Width, m.otmsUnderscoreSize), color);
    if (style.Contains(fsStrikeOut))
        p.fillRect(QRect(o.X, baseline - m.otmsStrikeoutPosition, run.Width, m.otmsStrikeoutSize), color);
    if (run.PrefixUnit < 0)
        return;
    for (const TTextRun::TCluster& c : run.Clusters)
        if (run.PrefixUnit >= c.Start && run.PrefixUnit < c.Start + c.Count) {
            int w = 0;
            for (int u = c.Start; u < c.Start + c.Count; ++u)
                w += run.Advances[static_cast<size_t>(u)];
            p.fillRect(QRect(o.X + c.Offset, baseline - m.otmsUnderscorePosition, w, m.otmsUnderscoreSize),
                       color);
        }
}

} // namespace

void TQtCanvas::DoTextRun(const TTextRun& run)
{
    TQtFontData& font = CurrentFont();
    const TRect* clipRect = run.HasRect && (run.Options & ETO_CLIPPED) ? &run.Rect : nullptr;
    if (run.HasRect && (run.Options & ETO_OPAQUE)) {
        QPainter& p = Painter();
        if (p.isActive())
            p.fillRect(QRect(run.Rect.Left, run.Rect.Top, run.Rect.Width(), run.Rect.Height()),
                       ToQColor(Brush()->Color()));
    }
    QPainter& p = Painter(clipRect);
    if (!p.isActive())
        return;
    const TRunOrigin origin = PlaceRun(p, run);
    if (Brush()->Style() == bsSolid && run.Width > 0)
        p.fillRect(QRect(origin.X, origin.Y, run.Width, run.Height), ToQColor(Brush()->Color()));
    const QColor color = ToQColor(Font()->Color());
    DrawRunGlyphs(p, font, run, origin.X, origin.Y, origin.Scaled, color, clipRect);
    DrawRunLines(p, font.Metrics, Font()->Style(), run, origin, color);
    if (origin.Scaled)
        p.resetTransform();
}

// Each character's glyphs at the place the measuring gave it, gathered into one
// batch per face in drawing order, so that a line is a few draw calls rather
// than one per character. On an unscaled 32-bit image the glyphs of the font's
// own characters are blended into the pixels by the canvas itself, from their
// ink taken once from the toolkit, in the order the toolkit would draw them;
// the others (shaped words, glyphs between pixels) go to the toolkit.
void TQtCanvas::DrawRunGlyphs(QPainter& p, TQtFontData& font, const TTextRun& run, int x0, int y0,
                              bool scaled, const QColor& color, const TRect* clipRect)
{
    const std::unordered_map<int, TQtGlyphs> shaped = ShapedGlyphs(font, run.Text);
    const TTextMetric& tm = font.Metrics.otmTextMetrics;
    const TRunCulling culling{scaled, DeviceClip(), 2 * (tm.tmHeight + tm.tmMaxCharWidth), y0};
    const bool blend = !scaled && TakesGlyphMasks(FImage);
    const TGlyphTarget target = blend ? GlyphTarget(color.rgb(), clipRect) : TGlyphTarget{};
    TQtGlyphBatch& batch = FGlyphBatch;
    batch.Start(p, font, color);
    for (const TTextRun::TCluster& c : run.Clusters) {
        TQtGlyphs* own = nullptr;
        const TQtGlyphs& g = ClusterGlyphs(font, run, c, shaped, own);
        const int x = x0 + c.Offset;
        if (culling.Skips(x, g))
            continue;
        const QPointF origin(x, y0 + g.BaselineShift);
        for (size_t k = 0; k < g.Glyphs.size(); ++k) {
            const TQtGlyph& glyph = g.Glyphs[k];
            if (blend && own &&
                BlendOwnGlyph(font, own->Glyphs[k], g.BaselineShift, FBlend, target, batch, x, y0))
                continue;
            batch.Add(glyph.Face, glyph.Index, glyph.At + origin);
        }
    }
    batch.Flush();
}

TGlyphTarget TQtCanvas::GlyphTarget(uint32_t rgb, const TRect* clipRect)
{
    if (FBlend.Color != rgb)
        FBlend.MakeFor(rgb);
    TRect visible = DeviceClip();
    if (clipRect && !IntersectRect(visible, visible, *clipRect))
        visible = TRect{};
    if (!IntersectRect(visible, visible, TRect{0, 0, FImage->width(), FImage->height()}))
        visible = TRect{};
    return TGlyphTarget{FImage->bits(), FImage->bytesPerLine(), visible};
}

// ---- Words of joining scripts

namespace {

// The face that draws a word's first letter (the font's own or a fallback), which shapes the whole word.
const TQtFace* WordFace(TQtFontData& font, const WideChar* str, int count)
{
    const bool pair = count > 1 && str[0] >= 0xD800 && str[0] <= 0xDBFF;
    const TQtGlyphs& first = font.GlyphsOf(str, pair ? 2 : 1);
    if (first.Glyphs.empty())
        return nullptr;
    return &font.Faces[static_cast<size_t>(first.Glyphs.front().Face)];
}

// Each cluster's glyphs under its first unit, the cluster's other units with
// none; units of words that cannot be shaped have no entry.
std::unordered_map<int, TQtGlyphs> ShapedGlyphs(TQtFontData& font, const WideString& text)
{
    std::unordered_map<int, TQtGlyphs> glyphs;
    const int count = static_cast<int>(text.size());
    std::vector<TShapedCluster> clusters;
    for (const TJoiningStretch& s : FindJoiningStretches(text.data(), count)) {
        const TQtFace* face = WordFace(font, text.data() + s.Start, s.Count);
        if (!face || !ShapeJoiningWord(face->Font, text.data() + s.Start, s.Count, clusters))
            continue;
        const int faceIndex = static_cast<int>(face - font.Faces.data());
        for (const TShapedCluster& c : clusters) {
            TQtGlyphs& g = glyphs[s.Start + c.Start];
            g.Advance = c.Advance;
            g.BaselineShift = font.Metrics.otmTextMetrics.tmAscent;
            for (const TShapedGlyph& shapedGlyph : c.Glyphs)
                g.Glyphs.push_back({faceIndex, shapedGlyph.Index, shapedGlyph.At, {}});
            NoteInk(g, font.Faces);
            for (int u = 1; u < c.Count; ++u)
                glyphs[s.Start + c.Start + u] = TQtGlyphs();
        }
    }
    return glyphs;
}

} // namespace

bool TQtCanvas::ShapeJoiningText(const WideChar* str, int count, int* advances, uint8_t* starts)
{
    TQtFontData& font = CurrentFont();
    const TQtFace* face = WordFace(font, str, count);
    std::vector<TShapedCluster> clusters;
    if (!face || !ShapeJoiningWord(face->Font, str, count, clusters))
        return false;
    std::fill(advances, advances + count, 0);
    std::fill(starts, starts + count, 0);
    for (const TShapedCluster& c : clusters) {
        advances[c.Start] = c.Advance;
        starts[c.Start] = 1;
    }
    return true;
}
