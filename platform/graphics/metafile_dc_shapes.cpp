// The metafile device's lines, shapes, arcs, regions and paths: each built in
// logical units, mapped onto the bitmap and filled and outlined there.
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/graphics/metafile_dc.h"

namespace metafileplayer {

namespace {

constexpr double Pi = 3.14159265358979323846;

bool AxisAligned(const QTransform& t)
{
    return t.m12() == 0 && t.m21() == 0 && !t.isRotating();
}

// The pixel of the bitmap a point falls in; false outside it.
bool PixelAt(const QPointF& p, int width, int height, int& x, int& y)
{
    if (!(p.x() >= 0 && p.y() >= 0 && p.x() < width && p.y() < height))
        return false;
    x = static_cast<int>(p.x());
    y = static_cast<int>(p.y());
    return true;
}

QPainterPath PolylinePath(const std::vector<QPointF>& points, bool closed)
{
    QPainterPath path;
    if (points.empty())
        return path;
    path.moveTo(points[0]);
    for (size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    if (closed)
        path.closeSubpath();
    return path;
}

} // namespace

// ---------------------------------------------------------------------------
// Lines

void TMetaDC::MoveTo(const QPointF& p)
{
    FState.Position = p;
    if (FPathOpen && Charge(1)) {
        FPath.moveTo(Map(p));
        FFigureClosed = false;
    }
}

void TMetaDC::LineTo(const QPointF& p)
{
    const QPointF from = Map(FState.Position), to = Map(p);
    FState.Position = p;
    if (FPathOpen) {
        if (!Charge(1))
            return;
        if (FPath.elementCount() == 0 || FPath.currentPosition() != from || FFigureClosed)
            FPath.moveTo(from);
        FPath.lineTo(to);
        FFigureClosed = false;
        return;
    }
    QPainterPath path;
    path.moveTo(from);
    path.lineTo(to);
    Draw(path, StrokeGeometry(path), false, true);
}

void TMetaDC::Polyline(const std::vector<QPointF>& points)
{
    if (points.size() < 2)
        return;
    const QPainterPath path = Transform().map(PolylinePath(points, false));
    Draw(path, StrokeGeometry(path), false, true);
}

void TMetaDC::PolylineTo(const std::vector<QPointF>& points)
{
    if (points.empty())
        return;
    std::vector<QPointF> all;
    all.reserve(points.size() + 1);
    all.push_back(FState.Position);
    all.insert(all.end(), points.begin(), points.end());
    FState.Position = points.back();
    const QPainterPath path = Transform().map(PolylinePath(all, false));
    if (FPathOpen) {
        AddToPath(path, true);
        return;
    }
    Draw(path, StrokeGeometry(path), false, true);
}

void TMetaDC::PolyBezier(const std::vector<QPointF>& points, bool fromPosition)
{
    // The start, then three points a curve: two controls and its end.
    size_t first = fromPosition ? 0 : 1;
    if (points.size() < first + 3)
        return;
    QPainterPath path;
    path.moveTo(fromPosition ? FState.Position : points[0]);
    for (size_t i = first; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    if (fromPosition)
        FState.Position = path.currentPosition();
    StrokeOrAddToPath(path, fromPosition);
}

void TMetaDC::PolyDraw(const std::vector<QPointF>& points, const std::vector<uint8_t>& types)
{
    enum : uint8_t { PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6 };
    QPainterPath path;
    path.moveTo(FState.Position);
    for (size_t i = 0; i < points.size() && i < types.size(); ++i) {
        const uint8_t type = types[i] & ~PT_CLOSEFIGURE;
        if (type == PT_MOVETO) {
            path.moveTo(points[i]);
        } else if (type == PT_LINETO) {
            path.lineTo(points[i]);
        } else if (type == PT_BEZIERTO && i + 2 < points.size()) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else {
            break; // a point of no known type ends the figures
        }
        if (types[i] & PT_CLOSEFIGURE)
            path.closeSubpath();
    }
    FState.Position = path.currentPosition();
    StrokeOrAddToPath(path, true);
}

void TMetaDC::PolyPaths(const std::vector<std::vector<QPointF>>& paths, bool closed)
{
    QPainterPath path;
    for (const auto& points : paths)
        if (points.size() >= 2)
            path.addPath(PolylinePath(points, closed));
    if (path.isEmpty())
        return;
    const QPainterPath mapped = Transform().map(path);
    Draw(mapped, StrokeGeometry(mapped), closed, true);
}

void TMetaDC::Polygons(const std::vector<std::vector<QPointF>>& polygons)
{
    PolyPaths(polygons, true);
}

void TMetaDC::Polylines(const std::vector<std::vector<QPointF>>& lines)
{
    PolyPaths(lines, false);
}

// ---------------------------------------------------------------------------
// Shapes in a box: filled inside the box (its right and bottom pixels left
// out), outlined along the pixels just inside it.

void TMetaDC::StrokeOrAddToPath(const QPainterPath& path, bool connect)
{
    const QPainterPath mapped = Transform().map(path);
    if (FPathOpen) {
        AddToPath(mapped, connect);
        return;
    }
    Draw(mapped, StrokeGeometry(mapped), false, true);
}

void TMetaDC::BoxShape(const QRectF& box, void (QPainterPath::*add)(const QRectF&))
{
    const QTransform& t = Transform();
    QPainterPath fill, stroke;
    if (AxisAligned(t)) {
        const QRectF b = t.mapRect(box.normalized());
        (fill.*add)(b);
        const double inset = (FState.Pen.Style & PS_STYLE_MASK) == PS_INSIDEFRAME ? PenPixels() / 2 : 0.5;
        (stroke.*add)(b.adjusted(inset, inset, -inset, -inset));
    } else {
        QPainterPath logical;
        (logical.*add)(box.normalized());
        fill = t.map(logical);
        stroke = StrokeGeometry(fill);
    }
    Draw(fill, stroke, true, true);
}

void TMetaDC::Rectangle(const QRectF& box)
{
    BoxShape(box, &QPainterPath::addRect);
}

void TMetaDC::RoundRect(const QRectF& box, const QSizeF& corner)
{
    const QTransform& t = Transform();
    QPainterPath fill, stroke;
    if (AxisAligned(t)) {
        const QRectF b = t.mapRect(box.normalized());
        const double rx = std::min(std::abs(corner.width() * t.m11()) / 2, b.width() / 2);
        const double ry = std::min(std::abs(corner.height() * t.m22()) / 2, b.height() / 2);
        fill.addRoundedRect(b, rx, ry);
        stroke.addRoundedRect(b.adjusted(0.5, 0.5, -0.5, -0.5), rx, ry);
    } else {
        QPainterPath logical;
        const QRectF b = box.normalized();
        logical.addRoundedRect(b, std::min(std::abs(corner.width()) / 2, b.width() / 2),
                               std::min(std::abs(corner.height()) / 2, b.height() / 2));
        fill = t.map(logical);
        stroke = StrokeGeometry(fill);
    }
    Draw(fill, stroke, true, true);
}

void TMetaDC::Ellipse(const QRectF& box)
{
    BoxShape(box, &QPainterPath::addEllipse);
}

// The arc of the ellipse in Box from where the line from its centre through
// Start meets it to where the line through End does, counterclockwise as
// seen on the picture (clockwise with AD_CLOCKWISE); the same point twice is
// the whole ellipse.
QPainterPath TMetaDC::ArcPath(const QRectF& boxIn, const QPointF& start, const QPointF& end, TArcKind kind)
{
    const QRectF box = boxIn.normalized();
    const QPointF c = box.center();
    const double rx = std::max(box.width() / 2, 1e-9), ry = std::max(box.height() / 2, 1e-9);
    // Angles along the ellipse as the toolkit counts them: counterclockwise
    // from three o'clock, with y growing downward.
    const auto angle = [&](const QPointF& p) {
        return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180 / Pi;
    };
    const double a1 = angle(start), a2 = angle(end);
    double sweep = a2 - a1;
    while (sweep <= 0)
        sweep += 360;
    while (sweep > 360)
        sweep -= 360;
    // A mapping that mirrors the picture turns the direction round.
    bool clockwise = FState.ArcDirection == AD_CLOCKWISE;
    if (Transform().determinant() < 0)
        clockwise = !clockwise;
    if (clockwise)
        sweep -= 360;
    QPainterPath path;
    if (kind == akPie) {
        path.moveTo(c);
        path.arcTo(box, a1, sweep);
        path.closeSubpath();
    } else if (kind == akArcTo) {
        path.moveTo(FState.Position);
        path.arcTo(box, a1, sweep);
        FState.Position = path.currentPosition();
    } else {
        path.arcMoveTo(box, a1);
        path.arcTo(box, a1, sweep);
        if (kind == akChord)
            path.closeSubpath();
    }
    return Transform().map(path);
}

void TMetaDC::Arc(const QRectF& box, const QPointF& start, const QPointF& end, TArcKind kind)
{
    const QPainterPath path = ArcPath(box, start, end, kind);
    if (FPathOpen) {
        AddToPath(path, kind == akArcTo);
        return;
    }
    const bool closed = kind == akChord || kind == akPie;
    Draw(path, StrokeGeometry(path), closed, true);
}

void TMetaDC::AngleArc(const QPointF& center, double radius, double startDegrees, double sweepDegrees)
{
    const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path;
    path.moveTo(FState.Position);
    path.arcTo(box, startDegrees, std::clamp(sweepDegrees, -3600.0, 3600.0));
    FState.Position = path.currentPosition();
    StrokeOrAddToPath(path, true);
}

void TMetaDC::SetPixel(const QPointF& p, TColor color)
{
    int x = 0, y = 0;
    if (!Charge(1) || FPathOpen || !PixelAt(Map(p), FImage.width(), FImage.height(), x, y))
        return;
    if (FState.Clip && !FState.Clip->contains(QPoint(x, y)))
        return;
    FTarget.At(x, y) =
        0xFF000000u | (uint32_t(color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

void TMetaDC::FloodFill(const QPointF& p, TColor color, bool surface)
{
    const int width = FImage.width(), height = FImage.height();
    int x0 = 0, y0 = 0;
    if (!Charge(RopCost * int64_t(width) * height) || FPathOpen || !PixelAt(Map(p), width, height, x0, y0) ||
        FState.Brush.Style == BS_NULL)
        return;
    // The pixels that may be filled (1): those of the colour (Surface) or
    // not of it, as on a white page, and left by the clip. Filled ones
    // become 2.
    const uint32_t wanted = (uint32_t(color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
    std::vector<uint8_t> mask(size_t(width) * height);
    for (size_t i = 0; i < mask.size(); ++i) {
        const uint32_t v = FTarget.Pixels[i], a = v >> 24;
        uint32_t rgb = v & 0xFFFFFF;
        if (a != 255) {
            rgb = 0;
            for (int shift : {0, 8, 16})
                rgb |= std::min<uint32_t>(255, ((v >> shift) & 0xFF) + (255 - a)) << shift;
        }
        mask[i] = (rgb == wanted) == surface;
    }
    if (FState.Clip) {
        std::vector<uint8_t> open(mask.size(), 0);
        for (const QRect& r : *FState.Clip) {
            const QRect part = r & FImage.rect();
            for (int y = part.top(); y <= part.bottom(); ++y)
                std::memset(open.data() + size_t(y) * width + part.left(), 1, size_t(part.width()));
        }
        for (size_t i = 0; i < mask.size(); ++i)
            mask[i] &= open[i];
    }
    // Row spans from a stack of seeds. The stack is bounded: a fill that
    // would need more stops where it got to.
    constexpr size_t MaxSeeds = size_t(1) << 21;
    std::vector<QPoint> seeds{QPoint(x0, y0)};
    int firstRow = y0, lastRow = y0;
    while (!seeds.empty()) {
        const QPoint seed = seeds.back();
        seeds.pop_back();
        const int y = seed.y();
        uint8_t* row = mask.data() + size_t(y) * width;
        if (row[seed.x()] != 1)
            continue;
        int left = seed.x(), right = seed.x();
        while (left > 0 && row[left - 1] == 1)
            --left;
        while (right + 1 < width && row[right + 1] == 1)
            ++right;
        std::memset(row + left, 2, size_t(right - left + 1));
        firstRow = std::min(firstRow, y);
        lastRow = std::max(lastRow, y);
        for (int dy : {-1, 1}) {
            const int ny = y + dy;
            if (ny < 0 || ny >= height)
                continue;
            const uint8_t* next = mask.data() + size_t(ny) * width;
            for (int x = left; x <= right && seeds.size() < MaxSeeds; ++x)
                if (next[x] == 1 && (x == left || next[x - 1] != 1))
                    seeds.emplace_back(x, ny);
        }
    }
    // The brush over the filled pixels: a solid one's colour set at once,
    // any other drawn a row at a time.
    const bool solid = FState.Brush.Style == BS_SOLID && FState.Rop2 == R2_COPYPEN;
    const uint32_t fill = 0xFF000000u | (uint32_t(FState.Brush.Color & 0xFF) << 16) |
                          (FState.Brush.Color & 0xFF00) | ((FState.Brush.Color >> 16) & 0xFF);
    const QBrush brush = MakeBrush(FState.Brush);
    QImage line(width, 1, QImage::Format_ARGB32_Premultiplied);
    for (int y = firstRow; y <= lastRow; ++y) {
        const uint8_t* marked = mask.data() + size_t(y) * width;
        if (solid) {
            for (int x = 0; x < width; ++x)
                if (marked[x] == 2)
                    FTarget.At(x, y) = fill;
            continue;
        }
        line.fill(0);
        {
            QPainter painter(&line);
            painter.setBackgroundMode(FState.BkMode == OPAQUE_MODE ? Qt::OpaqueMode : Qt::TransparentMode);
            painter.setBackground(Color(FState.BkColor));
            painter.setBrushOrigin(0, -y);
            painter.fillRect(line.rect(), brush);
        }
        const auto* source = reinterpret_cast<const uint32_t*>(line.constScanLine(0));
        for (int x = 0; x < width; ++x) {
            if (marked[x] != 2)
                continue;
            // The brush over what is there.
            const uint32_t s = source[x], a = s >> 24;
            uint32_t& d = FTarget.At(x, y);
            uint32_t out = 0;
            for (int shift = 0; shift < 32; shift += 8)
                out |=
                    std::min<uint32_t>(255, ((s >> shift) & 0xFF) + ((d >> shift) & 0xFF) * (255 - a) / 255)
                    << shift;
            d = out;
        }
    }
}

// ---------------------------------------------------------------------------
// Regions

void TMetaDC::FillRegion(const QRegion& region, const TMetaBrush& brush)
{
    if (!Charge(AreaCost(region.boundingRect()) + RegionRectCost * region.rectCount()) ||
        FState.Rop2 == R2_NOP || brush.Style == BS_NULL || FPathOpen)
        return;
    QPainter& painter = Painter();
    if (!painter.isActive())
        return;
    painter.save();
    painter.setClipRegion(region, Qt::IntersectClip);
    SetMixing(painter);
    painter.setBackgroundMode(FState.BkMode == OPAQUE_MODE ? Qt::OpaqueMode : Qt::TransparentMode);
    painter.setBackground(Color(FState.BkColor));
    painter.setBrushOrigin(FDevice.map(FState.BrushOrigin));
    painter.fillRect(region.boundingRect(), MakeBrush(brush));
    painter.restore();
    FClipApplied = true;
}

void TMetaDC::FrameRegion(const QRegion& region, const TMetaBrush& brush, double width, double height)
{
    // The frame is what the region loses when shrunk by Width and Height
    // (logical units) on every side.
    const QTransform& t = Transform();
    const int w =
        static_cast<int>(std::clamp(std::abs(width * t.m11()) + std::abs(width * t.m21()), 1.0, 1e6));
    const int h =
        static_cast<int>(std::clamp(std::abs(height * t.m22()) + std::abs(height * t.m12()), 1.0, 1e6));
    if (!Charge(RegionRectCost * 4 * int64_t(region.rectCount())))
        return;
    QRegion inner = region;
    for (const QPoint& shift : {QPoint(w, 0), QPoint(-w, 0), QPoint(0, h), QPoint(0, -h)})
        inner = inner.intersected(region.translated(shift));
    FillRegion(region.subtracted(inner), brush);
}

void TMetaDC::InvertRegion(const QRegion& region)
{
    if (!Charge(AreaCost(region.boundingRect()) + RegionRectCost * region.rectCount()) || FPathOpen)
        return;
    QPainter& painter = Painter();
    if (!painter.isActive())
        return;
    painter.save();
    painter.setClipRegion(region, Qt::IntersectClip);
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.fillRect(region.boundingRect(), Qt::black);
    painter.restore();
    FClipApplied = true;
}

// ---------------------------------------------------------------------------
// Paths: the figures of the drawings made between their brackets, kept in
// pixels of the bitmap, then filled, outlined or made the clip.

void TMetaDC::BeginPath()
{
    FPath = QPainterPath();
    FFigureClosed = false;
    FPathOpen = true;
}

void TMetaDC::AbortPath()
{
    FPath = QPainterPath();
    FFigureClosed = false;
    FPathOpen = false;
}

void TMetaDC::CloseFigure()
{
    if (FPathOpen) {
        FPath.closeSubpath();
        FFigureClosed = true;
    }
}

void TMetaDC::FillPath(bool stroke, bool fill)
{
    FPathOpen = false;
    const QPainterPath path = FPath;
    FPath = QPainterPath();
    if (!path.isEmpty())
        Draw(path, StrokeGeometry(path), fill, stroke);
}

void TMetaDC::SelectClipPath(int mode)
{
    FPathOpen = false;
    QPainterPath path = FPath;
    FPath = QPainterPath();
    path.setFillRule(FState.PolyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    SelectClip(RegionOf(path), mode);
}

void TMetaDC::WidenPath()
{
    if (FPath.isEmpty() || !Charge(StrokeCost(FPath, PenPixels())))
        return;
    QPainterPathStroker stroker;
    stroker.setWidth(PenPixels());
    const QPen pen = MakePen();
    stroker.setCapStyle(pen.capStyle());
    stroker.setJoinStyle(pen.joinStyle());
    stroker.setMiterLimit(pen.miterLimit());
    FPath = stroker.createStroke(FPath);
}

} // namespace metafileplayer
