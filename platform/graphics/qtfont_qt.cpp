// The Qt canvas's fonts: faces with a fixed fallback, fonts realised with their
// metrics, the glyph map of each font, and the bounded cache of realised fonts.
#include "platform/graphics/qtfont_qt.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <list>
#include <map>
#include <set>

#include "platform/core/sysutils.h"
#include "platform/graphics/fontsubst.h"
#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/qtcanvas.h"
#include "platform/graphics/qtsupport.h"

void NoteInk(TQtGlyphs& g, const std::vector<TQtFace>& faces)
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

namespace {

constexpr int kMaxPixelSize = 2000;
// Entries of the small lookups below (names to faces, faces to their cell
// height) beyond which they start again: documents are untrusted and may name
// any number of fonts.
constexpr size_t kMaxLookups = 4096;

// What an entry of a glyph map holds besides its masks: the node of the map
// and the storage of its text and glyphs.
size_t EntryBytes(const std::u16string& text, const TQtGlyphs& g)
{
    constexpr size_t node = sizeof(std::pair<const std::u16string, TQtGlyphs>) + 3 * sizeof(void*);
    const size_t textBytes = text.size() > 7 ? (text.capacity() + 1) * sizeof(char16_t) : 0;
    return node + textBytes + g.Glyphs.capacity() * sizeof(TQtGlyph);
}

} // namespace

// ---------------------------------------------------------------------------
// The cache

class TQtFontCache {
public:
    static TQtFontCache& Instance()
    {
        // Lives as long as the program (reachable, never freed), as the
        // toolkit it holds fonts of does.
        static auto* cache = new TQtFontCache;
        return *cache;
    }

    std::shared_ptr<TQtFontData> Find(const AnsiString& key)
    {
        auto it = FIndex.find(key);
        if (it == FIndex.end())
            return nullptr;
        FOrder.splice(FOrder.begin(), FOrder, it->second);
        return it->second->second;
    }

    void Add(const AnsiString& key, const std::shared_ptr<TQtFontData>& font)
    {
        FOrder.emplace_front(key, font);
        FIndex[key] = FOrder.begin();
        font->FCached = true;
        FBytes += font->CachedBytes();
        Trim(font.get());
    }

    // Lets go of the least recently used fonts beyond the bounds, never Keep.
    void Trim(const TQtFontData* keep)
    {
        while (
            (FOrder.size() > static_cast<size_t>(qtfontcache::MaxFonts) || FBytes > qtfontcache::MaxBytes) &&
            !FOrder.empty()) {
            auto last = std::prev(FOrder.end());
            if (last->second.get() == keep) {
                if (FOrder.size() == 1)
                    return;
                FOrder.splice(FOrder.begin(), FOrder, last);
                continue;
            }
            last->second->FCached = false;
            FBytes -= std::min(FBytes, last->second->CachedBytes());
            FIndex.erase(last->first);
            FOrder.erase(last);
        }
    }

    void Counted(std::ptrdiff_t bytes)
    {
        FBytes = bytes < 0 ? FBytes - std::min(FBytes, static_cast<size_t>(-bytes))
                           : FBytes + static_cast<size_t>(bytes);
    }

    qtfontcache::TUsage Usage() const
    {
        qtfontcache::TUsage usage;
        usage.Fonts = static_cast<int>(FOrder.size());
        usage.Bytes = FBytes;
        for (const auto& entry : FOrder)
            usage.LargestFontBytes = std::max(usage.LargestFontBytes, entry.second->CachedBytes());
        return usage;
    }

private:
    using TEntry = std::pair<AnsiString, std::shared_ptr<TQtFontData>>;
    std::list<TEntry> FOrder; // the most recently used first
    std::unordered_map<AnsiString, std::list<TEntry>::iterator> FIndex;
    size_t FBytes = 0;
};

// ---------------------------------------------------------------------------
// A font's glyphs

TQtFontData::~TQtFontData() = default;

void TQtFontData::AddGlyphBytes(std::ptrdiff_t bytes)
{
    FGlyphBytes = bytes < 0 ? FGlyphBytes - std::min(FGlyphBytes, static_cast<size_t>(-bytes))
                            : FGlyphBytes + static_cast<size_t>(bytes);
    if (FCached)
        TQtFontCache::Instance().Counted(bytes);
}

void TQtFontData::ClearGlyphs()
{
    Glyphs.clear();
    Latin.fill(nullptr);
    AddGlyphBytes(-static_cast<std::ptrdiff_t>(FGlyphBytes));
}

TQtGlyphs& TQtFontData::GlyphsOf(const WideChar* text, int count)
{
    if (count == 1 && text[0] < 0x100) {
        TQtGlyphs*& known = Latin[text[0]];
        if (!known)
            known = &GlyphsOf(std::u16string(text, 1));
        return *known;
    }
    return GlyphsOf(std::u16string(text, static_cast<size_t>(count)));
}

int TQtFontData::AdvanceOf(const WideChar* text, int count)
{
    if (count != 1)
        return ClusterAdvance(text, count);
    const WideChar c = text[0];
    if (c < 0x100)
        return GlyphsOf(text, 1).Advance;
    if (c >= 0xD800 && c <= 0xDFFF)
        return ClusterAdvance(text, count);
    std::unique_ptr<std::array<int, 256>>& page = FUnitAdvances[c >> 8];
    if (page && (*page)[c & 0xFF] != UnknownAdvance)
        return (*page)[c & 0xFF];
    const int advance = ClusterAdvance(text, count);
    if (!page) {
        page = std::make_unique<std::array<int, 256>>();
        page->fill(UnknownAdvance);
        FUnitAdvanceBytes += sizeof(*page);
        if (FCached)
            TQtFontCache::Instance().Counted(static_cast<std::ptrdiff_t>(sizeof(*page)));
    }
    (*page)[c & 0xFF] = advance;
    return advance;
}

bool TQtFontData::Knows(const WideChar* text, int count) const
{
    bool surrogates = false;
    for (int i = 0; i < count; ++i) {
        if (text[i] >= 0xD800 && text[i] <= 0xDFFF)
            surrogates = true;
        else if (!WasMet(text[i]))
            return false;
    }
    if (!surrogates)
        return true;
    // Measured characters are remembered among the answers; drawn ones in
    // the glyph map, which may keep what the answers let go of.
    const std::u16string key(text, static_cast<size_t>(count));
    return FAnswers.count(key) != 0 || Glyphs.count(key) != 0;
}

int TQtFontData::ClusterAdvance(const WideChar* text, int count)
{
    const std::u16string key(text, static_cast<size_t>(count));
    // A cluster that is not remembered is kept in the map, for as long as
    // the map keeps it, rather than laid out each time it is measured.
    if (key.size() > MaxClusterUnits)
        return GlyphsOf(key).Advance;
    const auto it = Glyphs.find(key);
    if (it != Glyphs.end())
        return it->second.Advance;
    const auto known = FAnswers.find(key);
    if (known != FAnswers.end())
        return known->second.Advance;
    const TQtGlyphs g = LaidOut(key);
    Remember(key, g);
    return g.Advance;
}

TQtGlyphs& TQtFontData::GlyphsOf(const std::u16string& text)
{
    auto it = Glyphs.find(text);
    if (it != Glyphs.end())
        return it->second;
    if (FGlyphBytes >= MaxGlyphBytes)
        ClearGlyphs();
    TQtGlyphs g;
    const auto known = FAnswers.find(text);
    if (known != FAnswers.end()) {
        const TAnswer& a = known->second;
        g.Advance = a.Advance;
        g.BaselineShift = a.BaselineShift;
        g.InkKnown = a.InkKnown;
        g.InkTop = a.InkTop;
        g.InkBottom = a.InkBottom;
        for (const TAnswerGlyph& glyph : a.Glyphs)
            g.Glyphs.push_back({glyph.Face, glyph.Index, QPointF(glyph.X, glyph.Y), {}});
    } else {
        g = LaidOut(text);
        Remember(text, g);
    }
    AddGlyphBytes(static_cast<std::ptrdiff_t>(EntryBytes(text, g)));
    return Glyphs.emplace(text, std::move(g)).first->second;
}

void TQtFontData::Remember(const std::u16string& text, const TQtGlyphs& g)
{
    if (text.size() > MaxClusterUnits)
        return;
    TAnswer a{g.Advance, static_cast<float>(g.BaselineShift), g.InkKnown, g.InkTop, g.InkBottom, {}};
    a.Glyphs.reserve(g.Glyphs.size());
    for (const TQtGlyph& glyph : g.Glyphs)
        a.Glyphs.push_back(
            {glyph.Face, glyph.Index, static_cast<float>(glyph.At.x()), static_cast<float>(glyph.At.y())});
    // The node, the text beyond its own room and the glyphs.
    const size_t bytes = sizeof(std::pair<const std::u16string, TAnswer>) + 3 * sizeof(void*) +
                         (text.size() > 7 ? (text.size() + 1) * sizeof(char16_t) : 0) +
                         a.Glyphs.capacity() * sizeof(TAnswerGlyph);
    if (FAnswers.size() >= MaxAnswers || FAnswerBytes + bytes > MaxAnswerBytes) {
        FAnswers.clear();
        if (FCached)
            TQtFontCache::Instance().Counted(-static_cast<std::ptrdiff_t>(FAnswerBytes));
        FAnswerBytes = 0;
    }
    FAnswers.emplace(text, std::move(a));
    FAnswerBytes += bytes;
    if (FCached)
        TQtFontCache::Instance().Counted(static_cast<std::ptrdiff_t>(bytes));
}

TQtGlyphs TQtFontData::LaidOut(const std::u16string& text)
{
    ++FLayouts;
    for (const char16_t unit : text)
        if (unit < 0xD800 || unit > 0xDFFF)
            FMetUnits[unit >> 6] |= uint64_t{1} << (unit & 63);
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
    return g;
}

int TQtFontData::FaceOf(const QGlyphRun& run)
{
    const QRawFont font = run.rawFont();
    for (size_t i = 0; i < Faces.size(); ++i)
        if (Faces[i].Font == font && Faces[i].Flags == run.flags())
            return static_cast<int>(i);
    Faces.push_back({font, run.flags()});
    return static_cast<int>(Faces.size()) - 1;
}

// ---------------------------------------------------------------------------
// Faces

namespace {

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

// A small lookup that starts again when it has KMaxLookups entries.
template <class V>
V& Remembered(std::unordered_map<AnsiString, V>& lookup, const AnsiString& key, bool& found)
{
    auto it = lookup.find(key);
    found = it != lookup.end();
    if (found)
        return it->second;
    if (lookup.size() >= kMaxLookups)
        lookup.clear();
    return lookup[key];
}

// The face a font name is drawn with, remembered.
const AnsiString& FaceOfName(const AnsiString& name, TFontPitch pitch)
{
    static auto* faces = new std::unordered_map<AnsiString, AnsiString>;
    bool found = false;
    AnsiString& face = Remembered(*faces, IntToStr(pitch) + "|" + name, found);
    if (!found)
        face = ResolveFontFace(name, pitch);
    return face;
}

QFont FaceFont(const AnsiString& face, bool bold, bool italic)
{
    QFont font(QString::fromStdString(face));
    font.setKerning(false);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// The pixel size (em height) that gives a cell of the wanted height, from the
// cell of the face at 100 pixels (remembered).
int PixelSizeForCell(const AnsiString& face, bool bold, bool italic, int cellHeight)
{
    static auto* cells = new std::unordered_map<AnsiString, qreal>;
    bool found = false;
    qreal& cell = Remembered(*cells, IntToStr(int(bold) * 2 + int(italic)) + "|" + face, found);
    if (!found) {
        QFont font = FaceFont(face, bold, italic);
        font.setPixelSize(100);
        const QFontMetricsF m(font);
        cell = m.ascent() + m.descent();
    }
    if (cell <= 0)
        return cellHeight;
    return std::max(1, static_cast<int>(std::lround(cellHeight * 100 / cell)));
}

// The pixel size a font is drawn at. A height of 0 asks for the default size.
// Heights come from documents, which are untrusted: glyphs beyond
// kMaxPixelSize would need huge bitmaps, so they are drawn at that size.
int PixelSizeOf(const TFont& f, const AnsiString& face)
{
    const int height = std::clamp(f.Height(), -kMaxPixelSize, kMaxPixelSize);
    const int pixelSize = height < 0   ? -height
                          : height > 0 ? PixelSizeForCell(face, f.Style().Contains(fsBold),
                                                          f.Style().Contains(fsItalic), height)
                                       : 12;
    return std::min(pixelSize, kMaxPixelSize);
}

std::shared_ptr<TQtFontData> Realise(const TFont& f, const AnsiString& face, int pixelSize)
{
    auto data = std::make_shared<TQtFontData>();
    QFont font = FaceFont(face, f.Style().Contains(fsBold), f.Style().Contains(fsItalic));
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

namespace qtfontcache {

// The font in use is never let go of: what one font can hold stays well
// within the bound of them all.
static_assert(TQtFontData::MaxGlyphBytes + TQtFontData::MaxAnswerBytes + 256 * sizeof(std::array<int, 256>) <=
              MaxBytes / 2);

std::shared_ptr<TQtFontData> FontFor(const TFont& f)
{
    const AnsiString& face = FaceOfName(f.Name(), f.Pitch());
    const int pixelSize = PixelSizeOf(f, face);
    const bool bold = f.Style().Contains(fsBold), italic = f.Style().Contains(fsItalic);
    const AnsiString key = face + "|" + IntToStr(pixelSize) + "|" + IntToStr(std::max(f.Width(), 0)) + "|" +
                           IntToStr(int(bold) * 2 + int(italic));
    TQtFontCache& cache = TQtFontCache::Instance();
    std::shared_ptr<TQtFontData> font = cache.Find(key);
    if (!font) {
        font = Realise(f, face, pixelSize);
        cache.Add(key, font);
    } else {
        cache.Trim(font.get());
    }
    return font;
}

TUsage Usage()
{
    return TQtFontCache::Instance().Usage();
}

} // namespace qtfontcache
