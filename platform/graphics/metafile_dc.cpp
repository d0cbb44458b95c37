// The metafile device: the mapping from logical units onto the bitmap, saved
// states, the clip, and pens, brushes and mixing modes turned into the
// painter's.
#include <QRegion>

#include <algorithm>
#include <cmath>

#include "platform/graphics/metafile_dc.h"
#include "platform/graphics/qtsupport.h"

namespace metafileplayer {

TMetaDC::TMetaDC(TPixelBuffer& target, TMetafilePlayStats* stats)
    : FTarget(target), FImage(reinterpret_cast<uchar*>(target.Pixels.data()), target.Width, target.Height,
                              target.Width * 4, QImage::Format_ARGB32_Premultiplied),
      FStats(stats), FBudget(FillBudget(target.Width, target.Height))
{
    EnsureQtApplication();
    if (FStats) {
        *FStats = TMetafilePlayStats();
        FStats->FillBudget = FBudget;
    }
}

TMetaDC::~TMetaDC()
{
    if (FPainter.isActive())
        FPainter.end();
}

QPainter& TMetaDC::Painter()
{
    if (!FPainter.isActive() && !FImage.isNull()) {
        FPainter.begin(&FImage);
        FPainter.setRenderHint(QPainter::Antialiasing, false);
        FClipApplied = false;
    }
    ApplyClip();
    return FPainter;
}

const QTransform& TMetaDC::Transform()
{
    if (FTransformValid)
        return FTransform;
    const TMetaState& s = FState;
    double sx = 1, sy = 1;
    bool centred = false;
    // Millimetres a unit of each metric mode measures.
    double mm = 0;
    switch (s.MapMode) {
    case MAP_LOMETRIC:
        mm = 0.1;
        break;
    case MAP_HIMETRIC:
        mm = 0.01;
        break;
    case MAP_LOENGLISH:
        mm = 0.254;
        break;
    case MAP_HIENGLISH:
        mm = 0.0254;
        break;
    case MAP_TWIPS:
        mm = 25.4 / 1440;
        break;
    case MAP_ISOTROPIC:
    case MAP_ANISOTROPIC:
        sx = s.WindowExt.width() ? s.ViewportExt.width() / s.WindowExt.width() : 1;
        sy = s.WindowExt.height() ? s.ViewportExt.height() / s.WindowExt.height() : 1;
        if (s.MapMode == MAP_ISOTROPIC) {
            const double scale = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(scale, sx);
            sy = std::copysign(scale, sy);
            centred = FIsotropicCentred;
        }
        break;
    default:
        break;
    }
    if (mm > 0) {
        // The metric modes count y upward.
        sx = FPixelsPerMMX * mm;
        sy = -FPixelsPerMMY * mm;
    }
    // The window's origin onto the viewport's, or its centre onto the
    // viewport's centre.
    QPointF from = s.WindowOrg, to = s.ViewportOrg;
    if (centred) {
        from += QPointF(s.WindowExt.width() / 2, s.WindowExt.height() / 2);
        to += QPointF(s.ViewportExt.width() / 2, s.ViewportExt.height() / 2);
    }
    const QTransform page(sx, 0, 0, sy, to.x() - from.x() * sx, to.y() - from.y() * sy);
    FTransform = s.World * page * FDevice * Mirror();
    // A transform that nothing could be drawn with (infinite or undefined
    // values from a damaged file) maps everything away.
    const double values[] = {FTransform.m11(), FTransform.m12(), FTransform.m21(),
                             FTransform.m22(), FTransform.dx(),  FTransform.dy()};
    if (!std::all_of(std::begin(values), std::end(values),
                     [](double v) { return std::isfinite(v) && std::abs(v) < 1e12; }))
        FTransform = QTransform(0, 0, 0, 0, -1e7, -1e7);
    FTransformValid = true;
    return FTransform;
}

void TMetaDC::SetMapMode(int64_t mode)
{
    if (mode >= MAP_TEXT && mode <= MAP_ANISOTROPIC)
        FState.MapMode = static_cast<int>(mode);
    FTransformValid = false;
}

void TMetaDC::SetOrigin(bool window, const QPointF& origin)
{
    (window ? FState.WindowOrg : FState.ViewportOrg) = origin;
    FTransformValid = false;
}

void TMetaDC::OffsetOrigin(bool window, const QPointF& offset)
{
    (window ? FState.WindowOrg : FState.ViewportOrg) += offset;
    FTransformValid = false;
}

void TMetaDC::SetExtent(bool window, double x, double y)
{
    if ((FState.MapMode == MAP_ISOTROPIC || FState.MapMode == MAP_ANISOTROPIC) && x && y)
        (window ? FState.WindowExt : FState.ViewportExt) = QSizeF(x, y);
    FTransformValid = false;
}

void TMetaDC::ScaleExtent(bool window, double xNum, double xDenom, double yNum, double yDenom)
{
    QSizeF& ext = window ? FState.WindowExt : FState.ViewportExt;
    if (xDenom && yDenom && xNum && yNum)
        ext = QSizeF(ext.width() * xNum / xDenom, ext.height() * yNum / yDenom);
    FTransformValid = false;
}

void TMetaDC::SetLayout(uint32_t layout)
{
    FState.Layout = layout & (LAYOUT_RTL | LAYOUT_BITMAPORIENTATIONPRESERVED);
    FTransformValid = false;
}

// ---------------------------------------------------------------------------
// States and clipping

void TMetaDC::SaveDC()
{
    if (FSaved.size() < MaxSavedStates)
        FSaved.push_back(FState);
}

void TMetaDC::RestoreDC(int level)
{
    const int64_t index = level < 0 ? int64_t(FSaved.size()) + level : int64_t(level) - 1;
    if (index < 0 || index >= int64_t(FSaved.size()))
        return;
    FState = FSaved[static_cast<size_t>(index)];
    FSaved.resize(static_cast<size_t>(index));
    FTransformValid = false;
    FClipApplied = false;
}

void TMetaDC::ApplyClip()
{
    if (FClipApplied || !FPainter.isActive())
        return;
    if (FState.Clip)
        FPainter.setClipRegion(*FState.Clip);
    else
        FPainter.setClipping(false);
    FClipApplied = true;
}

namespace {

// The union of rectangles, halves joined to halves, so that a region of
// many costs its rectangles' count times its logarithm.
QRegion UnionOf(const std::vector<QRect>& rects, size_t first, size_t last)
{
    if (last - first == 1)
        return QRegion(rects[first]);
    const size_t middle = first + (last - first) / 2;
    return UnionOf(rects, first, middle).united(UnionOf(rects, middle, last));
}

// A rectangle on the bitmap's pixels (those whose centres it holds), kept
// within reach of it.
QRect PixelRect(const QRectF& r)
{
    const auto edge = [](double v) { return static_cast<int>(std::clamp(std::ceil(v - 0.5), -1e8, 1e8)); };
    const int left = edge(r.left()), top = edge(r.top()), right = edge(r.right()), bottom = edge(r.bottom());
    return right > left && bottom > top ? QRect(left, top, right - left, bottom - top) : QRect();
}

} // namespace

QRegion TMetaDC::RegionOf(const std::vector<QRectF>& rects, const QTransform& map)
{
    if (!Charge(RegionRectCost * int64_t(rects.size())))
        return QRegion();
    std::vector<QRect> pixels;
    pixels.reserve(rects.size());
    const bool aligned = map.m12() == 0 && map.m21() == 0;
    QRegion turned;
    for (const QRectF& r : rects) {
        if (aligned) {
            const QRect p = PixelRect(map.mapRect(r.normalized()));
            if (!p.isEmpty())
                pixels.push_back(p);
        } else {
            // A rectangle turned by the mapping: the pixels of its polygon.
            turned = turned.united(QRegion(map.map(QPolygonF(r.normalized())).toPolygon()));
        }
    }
    return pixels.empty() ? turned : UnionOf(pixels, 0, pixels.size()).united(turned);
}

QRegion TMetaDC::RegionOf(const QPainterPath& path)
{
    if (!Charge(FillCost(path)))
        return QRegion();
    // The pixels the path fills, drawn on a mask of one byte a pixel over
    // its box within the picture.
    const QRect box = path.boundingRect().toAlignedRect() & FImage.rect();
    if (box.isEmpty())
        return QRegion();
    QImage mask(box.size(), QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.translate(-box.topLeft());
        painter.fillPath(path, Qt::black);
    }
    QRegion region;
    std::vector<QRect> rows;
    for (int y = 0; y < box.height(); ++y) {
        const uchar* line = mask.constScanLine(y);
        for (int x = 0; x < box.width();) {
            const auto set = [&](int i) { return line[i] >= 128; };
            if (!set(x)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < box.width() && set(x))
                ++x;
            rows.emplace_back(box.left() + start, box.top() + y, x - start, 1);
        }
    }
    return rows.empty() ? QRegion() : UnionOf(rows, 0, rows.size());
}

void TMetaDC::SelectClip(const std::optional<QRegion>& region, int mode)
{
    // A region of many rectangles costs them, so that a flood of them is
    // bounded like drawing.
    const int current = FState.Clip ? FState.Clip->rectCount() : 1;
    if (!Charge(RegionRectCost * (int64_t(region ? region->rectCount() : 0) + current)))
        return;
    FClipApplied = false;
    if (mode == RGN_COPY || !region) {
        if (mode == RGN_COPY)
            FState.Clip = region;
        return;
    }
    const QRegion clip = FState.Clip ? *FState.Clip : QRegion(FImage.rect());
    switch (mode) {
    case RGN_AND:
        FState.Clip = clip.intersected(*region);
        break;
    case RGN_OR:
        FState.Clip = clip.united(*region);
        break;
    case RGN_XOR:
        FState.Clip = clip.xored(*region);
        break;
    case RGN_DIFF:
        FState.Clip = clip.subtracted(*region);
        break;
    default:
        break;
    }
}

void TMetaDC::IntersectClipRect(const QRectF& rect)
{
    SelectClip(LogicalRegion({rect}), RGN_AND);
}

void TMetaDC::ExcludeClipRect(const QRectF& rect)
{
    SelectClip(LogicalRegion({rect}), RGN_DIFF);
}

void TMetaDC::OffsetClip(double dx, double dy)
{
    if (!FState.Clip)
        return;
    const QTransform& t = Transform();
    const double x = t.m11() * dx + t.m21() * dy, y = t.m12() * dx + t.m22() * dy;
    FState.Clip->translate(static_cast<int>(std::clamp(std::round(x), -1e8, 1e8)),
                           static_cast<int>(std::clamp(std::round(y), -1e8, 1e8)));
    FClipApplied = false;
}

// ---------------------------------------------------------------------------
// Pens, brushes and mixing

QColor TMetaDC::Color(TColor c) const
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

double TMetaDC::PenPixels() const
{
    const TMetaPen& pen = FState.Pen;
    if (pen.Cosmetic || pen.Width <= 0)
        return 1;
    // A pen's width is in logical units: scaled as the mapping scales areas.
    const QTransform& t = const_cast<TMetaDC*>(this)->Transform();
    const double scale = std::sqrt(std::abs(t.determinant()));
    // No wider than the picture: a wider pen draws nothing more.
    const double limit = std::max(FImage.width(), FImage.height()) * 2.0 + 2;
    return std::clamp(pen.Width * scale, 1.0, limit);
}

QPen TMetaDC::MakePen() const
{
    const TMetaPen& p = FState.Pen;
    const uint32_t style = p.Style & PS_STYLE_MASK;
    if (style == PS_NULL)
        return QPen(Qt::NoPen);
    QColor color = Color(p.Color);
    if (FState.Rop2 == R2_BLACK)
        color = Qt::black;
    else if (FState.Rop2 == R2_WHITE)
        color = Qt::white;
    const double width = PenPixels();
    QPen pen(color);
    const bool thin = width <= 1.5;
    pen.setWidthF(thin ? 0 : width);
    if (thin) {
        // One-pixel lines leave out their last pixel.
        pen.setCapStyle(Qt::FlatCap);
    } else {
        const uint32_t cap = p.Style & PS_ENDCAP_MASK;
        pen.setCapStyle(cap == PS_ENDCAP_FLAT     ? Qt::FlatCap
                        : cap == PS_ENDCAP_SQUARE ? Qt::SquareCap
                                                  : Qt::RoundCap);
    }
    // A miter longer than the miter limit times the pen's width (measured
    // from the inner corner to the tip) becomes a bevel, as the toolkit's
    // SVG miter measures and does it (its plain one is cut short instead,
    // at a length measured from the line's middle).
    const uint32_t join = p.Style & PS_JOIN_MASK;
    pen.setJoinStyle(join == PS_JOIN_MITER   ? Qt::SvgMiterJoin
                     : join == PS_JOIN_BEVEL ? Qt::BevelJoin
                                             : Qt::RoundJoin);
    pen.setMiterLimit(FState.MiterLimit);
    // Dashes: one-pixel pens in pixels, the geometric ones of an extended
    // pen in widths; an old-style wide pen is solid.
    QVector<qreal> dashes;
    if (thin) {
        static const QVector<qreal> patterns[] = {{}, {18, 6}, {3, 3}, {9, 6, 3, 6}, {9, 3, 3, 3, 3, 3}};
        if (style >= PS_DASH && style <= PS_DASHDOTDOT)
            dashes = patterns[style];
    } else if (p.Extended) {
        static const QVector<qreal> patterns[] = {{}, {3, 1}, {1, 1}, {3, 1, 1, 1}, {3, 1, 1, 1, 1, 1}};
        if (style >= PS_DASH && style <= PS_DASHDOTDOT)
            dashes = patterns[style];
    }
    if (style == PS_ALTERNATE)
        dashes = {1, 1};
    if (style == PS_USERSTYLE && !p.Dashes.empty()) {
        // Lengths in logical units for a geometric pen, pixels for a cosmetic one.
        const double scale =
            p.Cosmetic ? 1 : std::sqrt(std::abs(const_cast<TMetaDC*>(this)->Transform().determinant()));
        for (double d : p.Dashes)
            dashes.push_back(std::max(d * scale / std::max(width, 1.0), 0.01));
        if (dashes.size() % 2)
            dashes.push_back(dashes.back());
    }
    if (!dashes.isEmpty())
        pen.setDashPattern(dashes);
    return pen;
}

QBrush TMetaDC::MakeBrush(const TMetaBrush& b) const
{
    QColor color = Color(b.Color);
    if (FState.Rop2 == R2_BLACK)
        return QBrush(Qt::black);
    if (FState.Rop2 == R2_WHITE)
        return QBrush(Qt::white);
    switch (b.Style) {
    case BS_NULL:
        return QBrush(Qt::NoBrush);
    case BS_HATCHED: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                 Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(color, b.Hatch < 6 ? hatches[b.Hatch] : Qt::SolidPattern);
    }
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT: {
        if (b.Pattern.isNull())
            return QBrush(color);
        if (!b.Monochrome)
            return QBrush(b.Pattern);
        // Set (white) bits take the background colour, clear (black) ones
        // the text colour.
        QImage image = b.Pattern.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QRgb text = Color(FState.TextColor).rgb(), back = Color(FState.BkColor).rgb();
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] = qGray(row[x]) >= 128 ? back : text;
        }
        return QBrush(image);
    }
    default:
        return QBrush(color);
    }
}

void TMetaDC::SetMixing(QPainter& painter)
{
    static const QPainter::CompositionMode modes[17] = {
        QPainter::CompositionMode_SourceOver,
        QPainter::CompositionMode_SourceOver,          // R2_BLACK (the colour is black)
        QPainter::RasterOp_NotSourceAndNotDestination, // R2_NOTMERGEPEN
        QPainter::RasterOp_NotSourceAndDestination,    // R2_MASKNOTPEN
        QPainter::RasterOp_NotSource,                  // R2_NOTCOPYPEN
        QPainter::RasterOp_SourceAndNotDestination,    // R2_MASKPENNOT
        QPainter::RasterOp_NotDestination,             // R2_NOT
        QPainter::RasterOp_SourceXorDestination,       // R2_XORPEN
        QPainter::RasterOp_NotSourceOrNotDestination,  // R2_NOTMASKPEN
        QPainter::RasterOp_SourceAndDestination,       // R2_MASKPEN
        QPainter::RasterOp_NotSourceXorDestination,    // R2_NOTXORPEN
        QPainter::CompositionMode_Destination,         // R2_NOP
        QPainter::RasterOp_NotSourceOrDestination,     // R2_MERGENOTPEN
        QPainter::CompositionMode_SourceOver,          // R2_COPYPEN
        QPainter::RasterOp_SourceOrNotDestination,     // R2_MERGEPENNOT
        QPainter::RasterOp_SourceOrDestination,        // R2_MERGEPEN
        QPainter::CompositionMode_SourceOver,          // R2_WHITE (the colour is white)
    };
    const int rop = FState.Rop2;
    painter.setCompositionMode(rop >= 1 && rop <= 16 ? modes[rop] : QPainter::CompositionMode_SourceOver);
}

bool TMetaDC::Rop2ReadsDestination(int rop2)
{
    return rop2 >= 1 && rop2 <= 16 && rop2 != R2_BLACK && rop2 != R2_WHITE && rop2 != R2_COPYPEN &&
           rop2 != 4 && rop2 != R2_NOP;
}

bool TMetaDC::RopReadsDestination(uint32_t rop)
{
    // The truth table (P, S, D) in bits 16 to 23: it reads D when flipping D
    // changes a result.
    const uint32_t table = (rop >> 16) & 0xFF;
    return ((table ^ (table >> 1)) & 0x55) != 0;
}

// ---------------------------------------------------------------------------
// Drawing a shape

bool TMetaDC::Draw(const QPainterPath& fillPath, const QPainterPath& strokePath, bool fill, bool stroke)
{
    if (FPathOpen) {
        AddToPath(fillPath, false);
        return true;
    }
    const bool brush = fill && FState.Brush.Style != BS_NULL;
    const bool pen = stroke && (FState.Pen.Style & PS_STYLE_MASK) != PS_NULL;
    const double width = pen ? PenPixels() : 0;
    QPainterPath shape = fillPath;
    shape.setFillRule(FState.PolyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    int64_t cost = 0;
    if (brush)
        cost += FillCost(shape);
    if (pen)
        cost += StrokeCost(strokePath, width);
    if (!Charge(cost))
        return false;
    if (FState.Rop2 == R2_NOP || (!brush && !pen))
        return true;
    QPainter& painter = Painter();
    if (!painter.isActive())
        return true;
    SetMixing(painter);
    painter.setBrushOrigin(FDevice.map(FState.BrushOrigin));
    if (brush) {
        painter.setBackgroundMode(FState.BkMode == OPAQUE_MODE ? Qt::OpaqueMode : Qt::TransparentMode);
        painter.setBackground(Color(FState.BkColor));
        painter.fillPath(shape, MakeBrush(FState.Brush));
    }
    if (pen) {
        painter.setBackgroundMode(FState.BkMode == OPAQUE_MODE ? Qt::OpaqueMode : Qt::TransparentMode);
        painter.strokePath(strokePath, MakePen());
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    return true;
}

QPainterPath TMetaDC::StrokeGeometry(const QPainterPath& fill) const
{
    // A pen follows the pixels' centres.
    return fill.translated(0.5, 0.5);
}

void TMetaDC::AddToPath(const QPainterPath& path, bool continueFigure)
{
    if (!Charge(path.elementCount()))
        return;
    // A figure goes on from the last point drawn; after a move (or a closed
    // figure) a new one starts where the path given does. (Joining to a
    // path whose last element is a move would drop the move and draw a
    // line to the new figure.)
    const int last = FPath.elementCount() - 1;
    if (!continueFigure || last < 0 || FPath.elementAt(last).isMoveTo() || FFigureClosed) {
        FPath.addPath(path);
    } else {
        FPath.connectPath(path);
    }
    FFigureClosed = false;
}

} // namespace metafileplayer
