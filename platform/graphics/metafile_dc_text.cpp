// The metafile device's text: fonts, alignment, advances, rotation, the
// order of right-to-left text, the shaping of joining scripts, and text given
// as glyph numbers of the font the file names.
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>

#include <unicode/uchar.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/core/codepages.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/canvas_clusters.h"
#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/metafile_dc.h"
#include "platform/graphics/qtcanvas.h"
#include "platform/graphics/textshaping.h"
#include "platform/graphics/textshaping_qt.h"

namespace metafileplayer {

namespace {

constexpr double Pi = 3.14159265358979323846;

// The pixel size (em height) that gives a cell of the wanted height.
double EmForCell(QFont font, double cell)
{
    font.setPixelSize(100);
    const QFontMetricsF m(font);
    const double height = m.ascent() + m.descent();
    return height > 0 ? cell * 100 / height : cell;
}

} // namespace

// ---------------------------------------------------------------------------
// Text

namespace {

// The font of a text, and the scale its glyphs are drawn at.
struct TTextFont {
    QFont Font;
    double GlyphScale = 1;
};

// The angle of a text's baseline on the bitmap, counterclockwise in degrees:
// along the logical x axis, kept upright when the mapping mirrors the
// picture, then turned by the escapement.
double BaselineRotation(const QTransform& t, int escapement)
{
    double base = std::atan2(t.m12(), t.m11()) * 180 / Pi;
    if (t.determinant() < 0 && t.m11() < 0)
        base = std::atan2(-t.m12(), -t.m11()) * 180 / Pi;
    return base - escapement / 10.0;
}

// The toolkit font of a metafile font whose height is scaled by Sy onto the
// bitmap.
TTextFont TextFont(const TMetaFont& f, double sy)
{
    QFont font(
        QString::fromStdString(ResolveFontFace(f.Face.empty() ? AnsiString("Arial") : f.Face, fpDefault)));
    // Weights are taken to the nearest hundred, the steps faces come in, so
    // that the toolkit keeps at most nine weights of a face and size.
    const int weight = f.Weight > 0 ? std::clamp((std::min(f.Weight, 900) + 50) / 100 * 100, 100, 900) : 400;
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.StrikeOut);
    font.setKerning(false);
    double em = f.Height < 0 ? -f.Height * sy : f.Height > 0 ? EmForCell(font, f.Height * sy) : 12 * sy;
    em = std::clamp(em, 1.0, double(MaxTextPixels));
    // The toolkit makes (and keeps) a font of its own for every size of a
    // face: sizes past 24 pixels are taken from steps of 8 percent and the
    // glyphs scaled the rest of the way, so that a file's text needs few
    // sizes however many it asks for.
    const int size = em <= 24 ? std::max(1, static_cast<int>(std::lround(em)))
                              : static_cast<int>(std::lround(
                                    24 * std::pow(1.08, std::round(std::log(em / 24) / std::log(1.08)))));
    font.setPixelSize(size);
    return {font, em <= 24 ? 1 : em / size};
}

// The face whose glyph numbers a text given as glyph indexes names: the face
// of Font when it is the one the file names (installed under that name), so
// that its numbers are the writer's; an invalid face when it is a stand-in,
// whose numbers name other glyphs.
QRawFont WritersFace(const QFont& font, const AnsiString& face)
{
    if (face.empty())
        return QRawFont();
    QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid() || raw.familyName().compare(QString::fromStdString(face), Qt::CaseInsensitive) != 0)
        return QRawFont();
    return raw;
}

// The advances of a text of glyph indexes on the bitmap: the record's, or
// the face's own widened by the state's extra space. Returns the width.
double GlyphAdvances(const QRawFont& face, const std::u16string& glyphs, const std::vector<double>* dx,
                     unsigned options, double sx, double glyphScale, const TMetaState& state,
                     std::vector<double>& advances)
{
    const bool pairs = (options & ETO_PDY) != 0;
    advances.assign(glyphs.size(), 0);
    double width = 0;
    if (dx && dx->size() >= glyphs.size() * (pairs ? 2 : 1)) {
        for (size_t i = 0; i < glyphs.size(); ++i)
            width += advances[i] = (*dx)[pairs ? 2 * i : i] * sx;
        return width;
    }
    if (!face.isValid())
        return 0;
    QList<quint32> indexes(glyphs.begin(), glyphs.end());
    const QList<QPointF> own = face.advancesForGlyphIndexes(indexes);
    for (size_t i = 0; i < glyphs.size() && i < static_cast<size_t>(own.size()); ++i)
        width += advances[i] = own[static_cast<qsizetype>(i)].x() * glyphScale + state.CharExtra * sx;
    return width;
}

// Draws glyphs of Face at their positions from Origin.
void DrawRun(QPainter& painter, const QRawFont& face, const QList<quint32>& indexes,
             const QList<QPointF>& positions, const QPointF& origin)
{
    QGlyphRun run;
    run.setRawFont(face);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    painter.drawGlyphRun(origin, run);
}

// Draws glyph indexes of Face from (X0, Baseline) at the advances, in the
// painter's placed and scaled coordinates: they are shaped and in visual
// order already.
void DrawGlyphIndexes(QPainter& painter, const QRawFont& face, const std::u16string& glyphs,
                      const std::vector<double>& advances, double x0, double baseline, double glyphScale)
{
    QList<quint32> indexes;
    QList<QPointF> positions;
    double x = x0;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        indexes.push_back(glyphs[i]);
        positions.push_back(QPointF(x / glyphScale, baseline / glyphScale));
        x += advances[i];
    }
    DrawRun(painter, face, indexes, positions, QPointF(0, 0));
}

// The words of joining scripts in a text, shaped whole as the canvas shapes
// them: each shaped cluster (a letter in its joined form, a ligature) with
// the face that shapes it, and for each code unit the cluster that holds it
// (-1 for none).
struct TShapedText {
    struct TPiece {
        QRawFont Face;
        TShapedCluster Cluster;
    };
    std::vector<TPiece> Pieces;
    std::vector<int> PieceOf;
};

// Shapes a word in the font's own face, or in the face the toolkit falls
// back to for its script when the font's lacks a letter of it.
bool ShapeWord(const QFont& font, const WideChar* str, int count, QRawFont& face,
               std::vector<TShapedCluster>& clusters)
{
    face = QRawFont::fromFont(font);
    if (ShapeJoiningWord(face, str, count, clusters))
        return true;
    const TJoiningScript script = JoiningScriptOf(str[0]);
    face = QRawFont::fromFont(font, script == TJoiningScript::Syriac ? QFontDatabase::Syriac
                                    : script == TJoiningScript::NKo  ? QFontDatabase::Nko
                                                                     : QFontDatabase::Arabic);
    return ShapeJoiningWord(face, str, count, clusters);
}

TShapedText ShapeText(const QFont& font, const std::u16string& text)
{
    TShapedText shaped;
    const int count = static_cast<int>(text.size());
    if (!HasJoiningScript(text.data(), count))
        return shaped;
    shaped.PieceOf.assign(text.size(), -1);
    std::vector<TShapedCluster> clusters;
    for (const TJoiningStretch& stretch : FindJoiningStretches(text.data(), count)) {
        QRawFont face;
        if (!ShapeWord(font, text.data() + stretch.Start, stretch.Count, face, clusters))
            continue;
        for (const TShapedCluster& c : clusters) {
            for (int u = 0; u < c.Count; ++u)
                shaped.PieceOf[static_cast<size_t>(stretch.Start + c.Start + u)] =
                    static_cast<int>(shaped.Pieces.size());
            shaped.Pieces.push_back({face, c});
        }
    }
    return shaped;
}

// The font's own advance of each character at its first code unit (0 at
// the others): a shaped cluster's advance, or the character's measured.
std::vector<double> OwnAdvances(const std::u16string& text, const TShapedText& shaped,
                                const QFontMetricsF& metrics, double glyphScale)
{
    std::vector<double> advances(text.size(), 0);
    textclusters::ForEachCluster(text.data(), static_cast<int>(text.size()), [&](int start, int count) {
        const int piece = shaped.PieceOf.empty() ? -1 : shaped.PieceOf[static_cast<size_t>(start)];
        if (piece < 0)
            advances[static_cast<size_t>(start)] =
                metrics.horizontalAdvance(QString::fromUtf16(text.data() + start, count)) * glyphScale;
        else if (start == 0 || shaped.PieceOf[static_cast<size_t>(start - 1)] != piece)
            advances[static_cast<size_t>(start)] =
                shaped.Pieces[static_cast<size_t>(piece)].Cluster.Advance * glyphScale;
    });
    return advances;
}

// The advances of a text's code units on the bitmap (Sx the mapping's
// horizontal scale): the record's (Dx, pairs of x and y with ETO_PDY), or
// the font's own widened by the state's extra space; left empty when the
// text is drawn whole by the toolkit (Ordered: it is not, as its characters
// are put in visual order first). Returns the text's width.
double TextAdvances(const std::u16string& text, const QString& string, const std::vector<double>* dx,
                    unsigned options, double sx, const QFontMetricsF& metrics, double glyphScale,
                    const TMetaState& state, const TShapedText& shaped, bool ordered,
                    std::vector<double>& advances)
{
    const bool pairs = (options & ETO_PDY) != 0;
    double width = 0;
    if (dx && dx->size() >= text.size() * (pairs ? 2 : 1)) {
        advances.resize(text.size());
        for (size_t i = 0; i < text.size(); ++i) {
            advances[i] = (*dx)[pairs ? 2 * i : i] * sx;
            width += advances[i];
        }
        return width;
    }
    // Extra space after every character, and the justification's extra
    // shared by the breaks (spaces).
    const bool extra = state.CharExtra != 0 || (state.BreakExtra != 0 && state.BreakCount > 0);
    if (!extra && !ordered)
        return metrics.horizontalAdvance(string) * glyphScale;
    advances = OwnAdvances(text, shaped, metrics, glyphScale);
    for (size_t i = 0; i < text.size(); ++i) {
        if (extra && CharacterStartsAt(text.data(), static_cast<int>(text.size()), int(i)))
            advances[i] += state.CharExtra * sx;
        if (text[i] == u' ' && state.BreakCount > 0)
            advances[i] += state.BreakExtra * sx / state.BreakCount;
        width += advances[i];
    }
    return width;
}

// Draws the text from (X0, Baseline) in the painter's placed and scaled
// coordinates: whole, or, at the advances, its characters in visual order
// (the bidirectional algorithm with a right-to-left base under RightToLeft)
// each at the sum of the advances of those left of it, as the canvas places
// a run; a shaped cluster is drawn once, at the left of the characters it
// holds, and a character of a right-to-left run takes its mirrored form.
void DrawGlyphs(QPainter& painter, const std::u16string& text, const QString& string,
                const std::vector<double>& advances, const TShapedText& shaped, bool rightToLeft, double x0,
                double baseline, double glyphScale)
{
    if (advances.empty()) {
        painter.drawText(QPointF(x0 / glyphScale, baseline / glyphScale), string);
        return;
    }
    const WideChar* str = text.data();
    const int count = static_cast<int>(text.size());
    std::vector<textclusters::TClusterInfo> clusters;
    if (rightToLeft || textclusters::HasRightToLeft(str, count))
        clusters = textclusters::VisualClusters(str, count, rightToLeft);
    else
        textclusters::ForEachCluster(str, count, [&](int start, int n) {
            clusters.push_back({start, n, 0});
        });
    std::vector<double> left(text.size(), 0);
    std::vector<double> pieceLeft(shaped.Pieces.size(), std::numeric_limits<double>::max());
    double x = x0;
    for (const textclusters::TClusterInfo& c : clusters)
        for (int u = c.Start; u < c.Start + c.Count; ++u) {
            left[static_cast<size_t>(u)] = x;
            if (!shaped.PieceOf.empty() && shaped.PieceOf[static_cast<size_t>(u)] >= 0) {
                double& at = pieceLeft[static_cast<size_t>(shaped.PieceOf[static_cast<size_t>(u)])];
                at = std::min(at, x);
            }
            x += advances[static_cast<size_t>(u)];
        }
    std::vector<bool> drawn(shaped.Pieces.size(), false);
    for (const textclusters::TClusterInfo& c : clusters) {
        const int piece = shaped.PieceOf.empty() ? -1 : shaped.PieceOf[static_cast<size_t>(c.Start)];
        if (piece >= 0) {
            if (drawn[static_cast<size_t>(piece)])
                continue;
            drawn[static_cast<size_t>(piece)] = true;
            const TShapedText::TPiece& p = shaped.Pieces[static_cast<size_t>(piece)];
            QList<quint32> indexes;
            QList<QPointF> positions;
            for (const TShapedGlyph& g : p.Cluster.Glyphs) {
                indexes.push_back(g.Index);
                positions.push_back(g.At);
            }
            DrawRun(painter, p.Face, indexes, positions,
                    QPointF(pieceLeft[static_cast<size_t>(piece)] / glyphScale, baseline / glyphScale));
            continue;
        }
        QString character = QString::fromUtf16(str + c.Start, c.Count);
        if ((c.Level & 1) && !character.isEmpty() && !character[0].isSurrogate())
            character[0] = QChar(static_cast<char16_t>(u_charMirror(character[0].unicode())));
        painter.drawText(QPointF(left[static_cast<size_t>(c.Start)] / glyphScale, baseline / glyphScale),
                         character);
    }
}

} // namespace

void TMetaDC::Text(QPointF reference, unsigned options, const QRectF* rect, const std::u16string& text,
                   const std::vector<double>* dx)
{
    if (FPathOpen)
        return;
    const bool updateCP = (FState.TextAlign & TA_UPDATECP) != 0;
    if (updateCP)
        reference = FState.Position;
    const QTransform& t = Transform();
    const QPointF origin = t.map(reference);
    const double sx = std::hypot(t.m11(), t.m12()), sy = std::hypot(t.m21(), t.m22());
    // A right-to-left layout mirrors the whole drawing: the baseline of the
    // unmirrored text at angle A lies, mirrored, along the line at -A (the
    // glyphs, not mirrored, still read along it from left to right).
    const double rotation = Mirrored() ? -BaselineRotation(t * Mirror(), FState.Font.Escapement)
                                       : BaselineRotation(t, FState.Font.Escapement);
    const TTextFont textFont = TextFont(FState.Font, sy);
    const QFont& font = textFont.Font;
    const double glyphScale = textFont.GlyphScale;
    const QFontMetricsF metrics(font);
    const QString string = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));

    // The advances on the bitmap: the record's, or the font's own. Text of
    // right-to-left scripts or in a right-to-left reading order is put in
    // visual order, and words of joining scripts are shaped whole.
    // Glyph indexes are the writer's font's: shaped and in visual order.
    const bool glyphIndexes = (options & ETO_GLYPH_INDEX) != 0;
    const QRawFont glyphFace = glyphIndexes ? WritersFace(font, FState.Font.Face) : QRawFont();
    const int count = static_cast<int>(text.size());
    const bool rightToLeft = (options & ETO_RTLREADING) || (FState.TextAlign & TA_RTLREADING);
    const TShapedText shaped = glyphIndexes ? TShapedText() : ShapeText(font, text);
    const bool ordered =
        rightToLeft || !shaped.Pieces.empty() || textclusters::HasRightToLeft(text.data(), count);
    std::vector<double> advances;
    const double width = glyphIndexes
                             ? GlyphAdvances(glyphFace, text, dx, options, sx, glyphScale, FState, advances)
                             : TextAdvances(text, string, dx, options, sx, metrics, glyphScale, FState,
                                            shaped, ordered, advances);
    const double ascent = metrics.ascent() * glyphScale, descent = metrics.descent() * glyphScale;
    if (updateCP)
        FState.Position = reference + QPointF(sx > 0 ? width / sx : 0, 0);

    QTransform place;
    place.translate(origin.x(), origin.y());
    place.rotate(rotation);
    unsigned horizontal = FState.TextAlign & 6;
    const unsigned vertical = FState.TextAlign & 24;
    // Mirrored, the reference point is; the glyphs are not: the text runs
    // leftward from it, its left and right alignments swapped.
    if (Mirrored() && horizontal != TA_CENTER)
        horizontal = horizontal == TA_RIGHT ? TA_LEFT : TA_RIGHT;
    const double x0 = horizontal == TA_RIGHT ? -width : horizontal == TA_CENTER ? -width / 2 : 0;
    const double baseline = vertical == TA_BASELINE ? 0 : vertical == TA_BOTTOM ? -descent : ascent;
    const QRectF cells(x0, baseline - ascent, width, ascent + descent);
    QPainterPath opaque;
    if (rect && (options & ETO_OPAQUE))
        opaque.addRect(rect->normalized());
    // Every glyph is drawn, whatever the advances: each costs at least its
    // cell, however the advances crowd them.
    const double cell =
        (ascent + descent) * std::max(ascent + descent, width / std::max<size_t>(text.size(), 1));
    const int64_t glyphs = static_cast<int64_t>(std::min(cell, double(FImage.width()) * FImage.height()));
    int64_t cost = AreaCost(place.mapRect(cells)) + AreaCost(t.map(opaque).boundingRect()) +
                   glyphs * static_cast<int64_t>(text.size());
    if (!Charge(cost))
        return;
    QPainter& painter = Painter();
    if (!painter.isActive())
        return;
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    // The box behind the glyphs is filled here as the background mode asks;
    // the painter's own mode (left by the last shape) must add none.
    painter.setBackgroundMode(Qt::TransparentMode);
    if (!opaque.isEmpty())
        painter.fillPath(t.map(opaque), Color(FState.BkColor));
    if (rect && (options & ETO_CLIPPED)) {
        QPainterPath clip;
        clip.addRect(rect->normalized());
        painter.setClipPath(t.map(clip), Qt::IntersectClip);
    }
    // Glyph indexes name the glyphs of the writer's font: they are drawn only
    // with that font, not with a stand-in for it.
    if (!text.empty() && (!glyphIndexes || glyphFace.isValid())) {
        painter.setTransform(place);
        if (FState.BkMode == OPAQUE_MODE && opaque.isEmpty())
            painter.fillRect(cells, Color(FState.BkColor));
        painter.setFont(font);
        painter.setPen(Color(FState.TextColor));
        painter.scale(glyphScale, glyphScale);
        if (glyphIndexes)
            DrawGlyphIndexes(painter, glyphFace, text, advances, x0, baseline, glyphScale);
        else
            DrawGlyphs(painter, text, string, advances, shaped, rightToLeft, x0, baseline, glyphScale);
    }
    painter.restore();
    FClipApplied = true;
}

std::u16string AnsiText(const char* text, size_t count, int charset)
{
    return AnsiToWide(AnsiString(text, count), CharsetToCodePage(charset));
}

} // namespace metafileplayer
