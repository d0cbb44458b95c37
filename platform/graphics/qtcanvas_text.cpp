// The Qt canvas's fonts and text: faces with a fixed fallback, realised fonts
// cached with their metrics and per-character advances and glyphs, and text drawn
// character by character at the positions the measuring gave.
#include <QFontDatabase>
#include <QGlyphRun>
#include <QTextLayout>

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <set>
#include <unordered_map>

#include "platform/core/colors.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/fontsubst.h"
#include "platform/graphics/glyphmask_qt.h"
#include "platform/graphics/qtcanvas.h"
#include "platform/graphics/qtcanvas_qt.h"
#include "platform/graphics/qtcolor_qt.h"
#include "platform/graphics/qtsupport.h"
#include "platform/graphics/textshaping.h"
#include "platform/graphics/textshaping_qt.h"

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
static void NoteInk(TQtGlyphs& g, const std::vector<TQtFace>& faces)
{
    constexpr qreal Bleed = 2;
    qreal top = g.Glyphs.empty() ? 0 : std::numeric_limits<qreal>::max();
    qreal bottom = g.Glyphs.empty() ? 0 : std::numeric_limits<qreal>::lowest();
    for (const TQtGlyph& glyph : g.Glyphs) {
        if (glyph.Face < 0 || static_cast<size_t>(glyph.Face) >= faces.size())
            return;
        const QRectF bounds = faces[static_cast<size_t>(glyph.Face)].Font.boundingRect(glyph.Index);
        top = std::min(top, g.BaselineShift + glyph.At.y() + bounds.top());
        bottom = std::max(bottom, g.BaselineShift + glyph.At.y() + bounds.bottom());
    }
    g.InkTop = static_cast<int>(std::floor(top - Bleed));
    g.InkBottom = static_cast<int>(std::ceil(bottom + Bleed));
    g.InkKnown = true;
}

// A font realised once: the toolkit font, its metrics, and the advances and
// glyphs of every character met so far. Characters of one code unit below
// 0x100 (most of a log's text) are also found through a table, without a
// string or a hash; entries of the map never move, so the table points at them.
struct TQtFontData {
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

    TQtGlyphs& GlyphsOf(const WideChar* text, int count)
    {
        if (count == 1 && text[0] < 0x100) {
            TQtGlyphs*& known = Latin[text[0]];
            if (!known)
                known = &GlyphsOf(std::u16string(text, 1));
            return *known;
        }
        return GlyphsOf(std::u16string(text, static_cast<size_t>(count)));
    }

    TQtGlyphs& GlyphsOf(const std::u16string& text)
    {
        auto it = Glyphs.find(text);
        if (it != Glyphs.end())
            return it->second;
        TQtGlyphs g;
        QTextLayout layout(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())), Font);
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        option.setTextDirection(Qt::LeftToRight);
        option.setAlignment(Qt::AlignLeft);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid()) {
            line.setPosition(QPointF(0, 0));
            layout.endLayout();
            g.Advance = static_cast<int>(std::lround(line.horizontalAdvance()));
            g.BaselineShift = Metrics.otmTextMetrics.tmAscent - line.ascent();
            for (const QGlyphRun& run : layout.glyphRuns()) {
                const int face = FaceOf(run);
                const QList<quint32> indexes = run.glyphIndexes();
                const QList<QPointF> positions = run.positions();
                for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i)
                    g.Glyphs.push_back({face, indexes[i], positions[i], {}});
            }
            NoteInk(g, Faces);
        } else {
            layout.endLayout();
        }
        return Glyphs.emplace(text, std::move(g)).first->second;
    }

    int FaceOf(const QGlyphRun& run)
    {
        const QRawFont font = run.rawFont();
        for (size_t i = 0; i < Faces.size(); ++i)
            if (Faces[i].Font == font && Faces[i].Flags == run.flags())
                return static_cast<int>(i);
        Faces.push_back({font, run.flags()});
        return static_cast<int>(Faces.size()) - 1;
    }
};

namespace {

constexpr int kMaxPixelSize = 2000;

// A family that more than one foundry ships is listed as "Family [foundry]",
// once for each; documents and the font configuration name the family alone.
QString WithoutFoundry(const QString& family)
{
    const qsizetype open = family.lastIndexOf(QLatin1String(" ["));
    if (open > 0 && family.endsWith(QLatin1Char(']')))
        return family.left(open);
    return family;
}

// The families installed here, by lower-case name without a foundry.
const std::map<QString, QString>& InstalledFaces()
{
    static const std::map<QString, QString>* faces = [] {
        auto* m = new std::map<QString, QString>;
        for (const QString& family : QFontDatabase::families()) {
            const QString name = WithoutFoundry(family);
            m->emplace(name.toLower(), name);
        }
        return m;
    }();
    return *faces;
}

AnsiString FontKey(const TFont& f)
{
    return f.Name() + "|" + IntToStr(f.Height()) + "|" + IntToStr(f.Width()) + "|" +
           IntToStr(f.Style().Bits) + "|" + IntToStr(f.Pitch());
}

// Realised fonts are few and live as long as the program (reachable, never freed).
std::map<AnsiString, TQtFontData*>& FontCache()
{
    static auto* cache = new std::map<AnsiString, TQtFontData*>;
    return *cache;
}

// The pixel size (em height) that gives a cell of the wanted height.
int PixelSizeForCell(QFont font, int cellHeight)
{
    font.setPixelSize(100);
    const QFontMetricsF m(font);
    const qreal cell = m.ascent() + m.descent();
    if (cell <= 0)
        return cellHeight;
    return std::max(1, static_cast<int>(std::lround(cellHeight * 100 / cell)));
}

TQtFontData* Realise(const TFont& f)
{
    auto* data = new TQtFontData;
    QFont font(QString::fromStdString(ResolveFontFace(f.Name(), f.Pitch())));
    font.setKerning(false);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    font.setBold(f.Style().Contains(fsBold));
    font.setItalic(f.Style().Contains(fsItalic));
    // A height of 0 asks for the default size. Heights come from documents, which
    // are untrusted: glyphs beyond kMaxPixelSize would need huge bitmaps, so they
    // are drawn at that size.
    const int height = std::clamp(f.Height(), -kMaxPixelSize, kMaxPixelSize);
    int pixelSize = height < 0 ? -height : height > 0 ? PixelSizeForCell(font, height) : 12;
    pixelSize = std::min(pixelSize, kMaxPixelSize);
    font.setPixelSize(pixelSize);
    if (f.Width() > 0) {
        const int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0)
            font.setStretch(std::clamp(static_cast<int>(std::lround(f.Width() * 100.0 / natural)), 1, 4000));
    }
    data->Font = font;
    const QFontMetrics m(font);
    TTextMetric& tm = data->Metrics.otmTextMetrics;
    tm.tmAscent = m.ascent();
    tm.tmDescent = m.descent();
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max(0, tm.tmHeight - pixelSize);
    tm.tmExternalLeading = std::max(0, m.leading());
    tm.tmAveCharWidth = m.averageCharWidth();
    tm.tmMaxCharWidth = m.maxWidth();
    tm.tmWeight = f.Style().Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    tm.tmItalic = f.Style().Contains(fsItalic);
    tm.tmUnderlined = f.Style().Contains(fsUnderline);
    tm.tmStruckOut = f.Style().Contains(fsStrikeOut);
    tm.tmCharSet = f.Charset();
    tm.tmPitchAndFamily = QFontInfo(font).fixedPitch() ? 0 : 1; // the platform's bit: 1 = variable pitch
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
    TOutlineTextMetric& otm = data->Metrics;
    otm.otmAscent = tm.tmAscent;
    otm.otmDescent = -tm.tmDescent;
    otm.otmEMSquare = static_cast<unsigned>(pixelSize);
    otm.otmsUnderscoreSize = std::max(1, m.lineWidth());
    otm.otmsUnderscorePosition = -std::max(1, m.underlinePos());
    otm.otmsStrikeoutSize = std::max(1, m.lineWidth());
    otm.otmsStrikeoutPosition = m.strikeOutPos();
    return data;
}

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

AnsiString ResolveFontFace(const AnsiString& name, TFontPitch pitch)
{
    EnsureQtApplication();
    const QString lower = QString::fromStdString(name).toLower();
    const auto& faces = InstalledFaces();
    auto it = faces.find(lower);
    if (it != faces.end())
        return it->second.toStdString();
    // The face the system substitutes for it (a metric-compatible one, when
    // installed), as the desktop's own programs would draw it.
    const AnsiString substitute = SystemFontSubstitute(name, pitch == fpFixed);
    it = faces.find(QString::fromStdString(substitute).toLower());
    if (!substitute.empty() && it != faces.end())
        return it->second.toStdString();
    static const std::set<QString> mono{"courier new", "courier",  "lucida console",
                                        "consolas",    "fixedsys", "terminal"};
    static const std::set<QString> serif{"times new roman", "times", "georgia", "book antiqua"};
    if (pitch == fpFixed || mono.count(lower))
        return "DejaVu Sans Mono";
    if (serif.count(lower))
        return "DejaVu Serif";
    return "DejaVu Sans";
}

TQtFontData& TQtCanvas::CurrentFont()
{
    if (FFontData && FFontVersion == Font()->Version())
        return *FFontData;
    const AnsiString key = FontKey(*Font());
    auto& cache = FontCache();
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.emplace(key, Realise(*Font())).first;
    FFontData = it->second;
    FFontVersion = Font()->Version();
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
                }
                if (mask.State == TGlyphMask::Ready) {
                    flush();
                    BlendGlyphMask(mask, FBlend, target, x0 + c.Offset, y0);
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
