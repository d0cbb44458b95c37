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
    return CurrentFont().GlyphsOf(Char, count).Advance;
}

void TQtCanvas::UnitAdvances(const WideChar* str, int count, int* advances)
{
    TQtFontData& font = CurrentFont();
    for (int i = 0; i < count; ++i)
        advances[i] = font.GlyphsOf(str + i, 1).Advance;
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

void TQtCanvas::DoTextRun(const TTextRun& run)
{
    TQtFontData& font = CurrentFont();
    const TRect clipRect = run.Rect;
    const bool clipped = run.HasRect && (run.Options & ETO_CLIPPED);
    if (run.HasRect && (run.Options & ETO_OPAQUE)) {
        QPainter& p = Painter();
        if (p.isActive())
            p.fillRect(QRect(clipRect.Left, clipRect.Top, clipRect.Width(), clipRect.Height()),
                       ToQColor(Brush()->Color()));
    }
    QPainter& p = Painter(clipped ? &clipRect : nullptr);
    if (!p.isActive())
        return;
    // Under a scaling mapping the run is drawn at its own size and scaled onto
    // the device around its place there; the clip stays in device pixels.
    int x0 = run.X;
    int y0 = run.Y;
    const bool scaled = run.ScaleX != 1.0 || run.ScaleY != 1.0;
    if (scaled) {
        p.translate(run.X, run.Y);
        p.scale(run.ScaleX, run.ScaleY);
        x0 = 0;
        y0 = 0;
    }
    if (Brush()->Style() == bsSolid && run.Width > 0)
        p.fillRect(QRect(x0, y0, run.Width, run.Height), ToQColor(Brush()->Color()));
    const QColor color = ToQColor(Font()->Color());
    // The pen is set when the toolkit first draws glyphs of the run.
    bool penSet = false;
    // Each character's glyphs at the place the measuring gave it, gathered into
    // one run per face in drawing order, so that a line is a few draw calls
    // rather than one per character.
    std::vector<quint32>& indexes = FGlyphIndexes;
    std::vector<QPointF>& positions = FGlyphPositions;
    indexes.clear();
    positions.clear();
    int face = -1;
    const std::unordered_map<int, TQtGlyphs> shaped = ShapedGlyphs(font, run.Text);
    // A character whose glyphs lie wholly outside the clip draws nothing: on
    // an unscaled device a long run draws only what shows. A glyph's ink may
    // reach beyond its advance; a margin of a few em sizes covers it.
    const TRect clip = DeviceClip();
    const int margin =
        2 * (font.Metrics.otmTextMetrics.tmHeight + font.Metrics.otmTextMetrics.tmMaxCharWidth);
    auto outside = [&](int x, int advance) {
        return !scaled && (x - margin >= clip.Right || x + advance + margin <= clip.Left);
    };
    // Nor does a character whose ink lies wholly above or below the clip.
    auto offRows = [&](const TQtGlyphs& g) {
        return !scaled && g.InkKnown && (y0 + g.InkBottom <= clip.Top || y0 + g.InkTop >= clip.Bottom);
    };
    auto flush = [&] {
        if (indexes.empty())
            return;
        if (!penSet) {
            p.setPen(color);
            penSet = true;
        }
        QGlyphRun& glyphs = FGlyphRun;
        glyphs.setRawFont(font.Faces[static_cast<size_t>(face)].Font);
        glyphs.setFlags(font.Faces[static_cast<size_t>(face)].Flags);
        glyphs.setRawData(indexes.data(), positions.data(), static_cast<int>(indexes.size()));
        p.drawGlyphRun(QPointF(0, 0), glyphs);
        // The run lets go of the glyphs before they change.
        glyphs.setRawData(nullptr, nullptr, 0);
        indexes.clear();
        positions.clear();
    };
    // On an unscaled 32-bit image the glyphs of the font's own characters are
    // blended into the pixels by the canvas itself, from their ink taken once
    // from the toolkit, in the order the toolkit would draw them; the others
    // (shaped words, glyphs between pixels) go to the toolkit.
    const bool blend = !scaled && TakesGlyphMasks(FImage);
    TGlyphTarget target;
    if (blend) {
        const uint32_t rgb = color.rgb();
        if (FBlend.Color != rgb)
            FBlend.MakeFor(rgb);
        TRect visible = DeviceClip();
        if (clipped && !IntersectRect(visible, visible, clipRect))
            visible = TRect{};
        if (!IntersectRect(visible, visible, TRect{0, 0, FImage->width(), FImage->height()}))
            visible = TRect{};
        target = TGlyphTarget{FImage->bits(), FImage->bytesPerLine(), visible};
    }
    for (const TTextRun::TCluster& c : run.Clusters) {
        const WideChar* text = run.Text.data() + c.Start;
        const auto word = shaped.empty() ? shaped.end() : shaped.find(c.Start);
        TQtGlyphs* own = nullptr;
        if (word == shaped.end())
            own = c.Mirrored ? &font.GlyphsOf(Mirrored(std::u16string(text, size_t(c.Count))))
                             : &font.GlyphsOf(text, c.Count);
        const TQtGlyphs& g = own ? *own : word->second;
        if (outside(x0 + c.Offset, std::abs(g.Advance)) || offRows(g))
            continue;
        const QPointF origin(x0 + c.Offset, y0 + g.BaselineShift);
        for (size_t k = 0; k < g.Glyphs.size(); ++k) {
            const TQtGlyph& glyph = g.Glyphs[k];
            if (blend && own) {
                TGlyphMask& mask = own->Glyphs[k].Mask;
                if (mask.State == TGlyphMask::Unknown) {
                    const TQtFace& f = font.Faces[static_cast<size_t>(glyph.Face)];
                    TakeGlyphMask(f.Font, f.Flags, glyph.Index,
                                  QPointF(glyph.At.x(), glyph.At.y() + g.BaselineShift), mask);
                    font.AddGlyphBytes(static_cast<std::ptrdiff_t>(mask.Coverage.capacity()));
                }
                if (mask.State == TGlyphMask::Ready) {
                    flush();
                    // The pixels blended over a background, kept with the mask, count too.
                    const size_t over = mask.Over.Pixels.capacity();
                    BlendGlyphMask(mask, FBlend, target, x0 + c.Offset, y0);
                    if (mask.Over.Pixels.capacity() != over)
                        font.AddGlyphBytes(static_cast<std::ptrdiff_t>(mask.Over.Pixels.capacity() - over) *
                                           static_cast<std::ptrdiff_t>(sizeof(uint32_t)));
                    continue;
                }
            }
            if (glyph.Face != face) {
                flush();
                face = glyph.Face;
            }
            indexes.push_back(glyph.Index);
            positions.push_back(glyph.At + origin);
        }
    }
    flush();
    const TOutlineTextMetric& m = font.Metrics;
    const int baseline = y0 + m.otmTextMetrics.tmAscent;
    if (Font()->Style().Contains(fsUnderline))
        p.fillRect(QRect(x0, baseline - m.otmsUnderscorePosition, run.Width, m.otmsUnderscoreSize), color);
    if (Font()->Style().Contains(fsStrikeOut))
        p.fillRect(QRect(x0, baseline - m.otmsStrikeoutPosition, run.Width, m.otmsStrikeoutSize), color);
    if (run.PrefixUnit >= 0) {
        for (const TTextRun::TCluster& c : run.Clusters)
            if (run.PrefixUnit >= c.Start && run.PrefixUnit < c.Start + c.Count) {
                int w = 0;
                for (int u = c.Start; u < c.Start + c.Count; ++u)
                    w += run.Advances[static_cast<size_t>(u)];
                p.fillRect(QRect(x0 + c.Offset, baseline - m.otmsUnderscorePosition, w, m.otmsUnderscoreSize),
                           color);
            }
    }
    if (scaled)
        p.resetTransform();
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
