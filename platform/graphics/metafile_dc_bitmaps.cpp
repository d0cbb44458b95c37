// The metafile device's bitmaps (stretched, combined with what lies under
// them by any raster operation), pattern fills, gradients, and the decoding
// of the bitmaps that records carry.
#include <QLinearGradient>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "platform/graphics/dibcodec.h"
#include "platform/graphics/metafile_dc.h"

namespace metafileplayer {

namespace {

QImage ImageOf(const TPixelBuffer& pixels)
{
    return QImage(reinterpret_cast<const uchar*>(pixels.Pixels.data()), pixels.Width, pixels.Height,
                  pixels.Width * 4, QImage::Format_ARGB32_Premultiplied);
}

// A raster operation's result for one pixel: the truth table (P, S, D)
// applied bit by bit.
// Each term's sign: bit 2 of a term's number is P, bit 1 S, bit 0 D; a term
// takes a value or its inverse (all ones in Flip).
struct TTernary {
    uint32_t Count = 0;
    uint32_t FlipP[8], FlipS[8], FlipD[8];
    explicit TTernary(uint32_t table)
    {
        for (uint32_t i = 0; i < 8; ++i)
            if ((table >> i) & 1) {
                FlipP[Count] = (i & 4) ? 0 : ~0u;
                FlipS[Count] = (i & 2) ? 0 : ~0u;
                FlipD[Count] = (i & 1) ? 0 : ~0u;
                ++Count;
            }
    }
    uint32_t operator()(uint32_t p, uint32_t s, uint32_t d) const
    {
        uint32_t r = 0;
        for (uint32_t k = 0; k < Count; ++k)
            r |= (p ^ FlipP[k]) & (s ^ FlipS[k]) & (d ^ FlipD[k]);
        return 0xFF000000u | (r & 0xFFFFFFu);
    }
};

// The toolkit's own modes for the operations that are one: the source (the
// brush, or a bitmap) mixed with what lies under it.
bool ModeOfRop(uint32_t rop, QPainter::CompositionMode& mode)
{
    switch (rop >> 16) {
    case 0xCC: // SRCCOPY
    case 0xF0: // PATCOPY
        mode = QPainter::CompositionMode_SourceOver;
        return true;
    case 0xEE: // SRCPAINT
    case 0xFA: // P | D
        mode = QPainter::RasterOp_SourceOrDestination;
        return true;
    case 0x88: // SRCAND
    case 0xA0: // P & D
        mode = QPainter::RasterOp_SourceAndDestination;
        return true;
    case 0x66: // SRCINVERT
    case 0x5A: // PATINVERT
        mode = QPainter::RasterOp_SourceXorDestination;
        return true;
    case 0x33: // NOTSRCCOPY
    case 0x0F: // ~P
        mode = QPainter::RasterOp_NotSource;
        return true;
    case 0x44: // SRCERASE
    case 0x50: // P & ~D
        mode = QPainter::RasterOp_SourceAndNotDestination;
        return true;
    case 0x11: // NOTSRCERASE
    case 0x05: // ~(P | D)
        mode = QPainter::RasterOp_NotSourceAndNotDestination;
        return true;
    case 0xBB: // MERGEPAINT
    case 0xAF: // ~P | D
        mode = QPainter::RasterOp_NotSourceOrDestination;
        return true;
    default:
        return false;
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Bitmaps and pattern fills

// Combines what lies in Area with the brush and with a source under a
// raster operation, a band of rows at a time (so that a large area needs no
// more than a band's copies): Source paints the band's part of the source
// into a transparent band image, its top left at the band's; the pixels it
// leaves transparent keep what they hold.
void TMetaDC::RopBlit(const QRect& area, const std::function<void(QPainter&)>& source, uint32_t rop)
{
    constexpr int BandRows = 128;
    const TTernary ternary((rop >> 16) & 0xFF);
    const QBrush brush = MakeBrush(FState.Brush);
    QPainter& painter = Painter();
    if (!painter.isActive())
        return;
    for (int top = area.top(); top <= area.bottom(); top += BandRows) {
        const QRect band(area.left(), top, area.width(), std::min(BandRows, area.bottom() + 1 - top));
        QImage out = FImage.copy(band);
        QImage pattern(band.size(), QImage::Format_ARGB32_Premultiplied);
        QImage reach(band.size(), QImage::Format_ARGB32_Premultiplied);
        reach.fill(0);
        {
            QPainter p(&pattern);
            p.setBackgroundMode(FState.BkMode == OPAQUE_MODE ? Qt::OpaqueMode : Qt::TransparentMode);
            p.setBackground(Color(FState.BkColor));
            p.setBrushOrigin(-band.topLeft());
            p.fillRect(pattern.rect(), Qt::white);
            p.fillRect(pattern.rect(), brush);
        }
        {
            QPainter p(&reach);
            p.translate(-band.left(), -band.top());
            source(p);
        }
        for (int y = 0; y < band.height(); ++y) {
            auto* o = reinterpret_cast<uint32_t*>(out.scanLine(y));
            const auto* pat = reinterpret_cast<const uint32_t*>(pattern.constScanLine(y));
            const auto* s = reinterpret_cast<const uint32_t*>(reach.constScanLine(y));
            for (int x = 0; x < band.width(); ++x)
                if ((s[x] >> 24) != 0)
                    o[x] = ternary(pat[x], s[x], o[x]);
        }
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(band.topLeft(), out);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TMetaDC::PatBlt(const QRectF& dest, uint32_t rop)
{
    if (FPathOpen)
        return;
    QPainterPath logical;
    logical.addRect(dest.normalized());
    const QPainterPath shape = Transform().map(logical);
    // An operation the toolkit has no mode for is worked out pixel by pixel,
    // at RopCost times a fill's cost.
    const uint32_t table = (rop >> 16) & 0xFF;
    QPainter::CompositionMode mode;
    const bool brushMode = ((table ^ (table >> 2)) & 0x33) == 0 && ModeOfRop(rop, mode);
    const bool direct = brushMode || rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT;
    if (!Charge(FillCost(shape) * (direct ? 1 : RopCost)) || rop == 0x00AA0029u)
        return; // the operation that keeps what is there
    QPainter& painter = Painter();
    if (!painter.isActive())
        return;
    if (brushMode && FState.Brush.Style != BS_NULL) {
        painter.setCompositionMode(mode);
        painter.setBackgroundMode(FState.BkMode == OPAQUE_MODE ? Qt::OpaqueMode : Qt::TransparentMode);
        painter.setBackground(Color(FState.BkColor));
        painter.setBrushOrigin(FDevice.map(FState.BrushOrigin));
        painter.fillPath(shape, MakeBrush(FState.Brush));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    switch (rop) {
    case BLACKNESS:
    case WHITENESS:
        painter.fillPath(shape, rop == BLACKNESS ? Qt::black : Qt::white);
        return;
    case PATCOPY:
        if (FState.Brush.Style != BS_NULL) {
            painter.setBackgroundMode(FState.BkMode == OPAQUE_MODE ? Qt::OpaqueMode : Qt::TransparentMode);
            painter.setBackground(Color(FState.BkColor));
            painter.fillPath(shape, MakeBrush(FState.Brush));
        }
        return;
    case DSTINVERT:
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillPath(shape, Qt::black);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    default:
        break;
    }
    const QRect area = shape.boundingRect().toAlignedRect() & FImage.rect();
    if (area.isEmpty())
        return;
    // Where the fill reaches: the shape, black (the operation reads no source).
    RopBlit(
        area, [&](QPainter& p) { p.fillPath(shape, Qt::black); }, rop);
}

void TMetaDC::StretchBits(const QRectF& dest, TPixelBuffer& source, const QRectF& sourceRect, uint32_t rop,
                          bool keepAlpha, int constantAlpha)
{
    if (FPathOpen || source.Empty())
        return;
    // Whether the operation reads the source at all: without, a pattern fill.
    const uint32_t table = (rop >> 16) & 0xFF;
    if (((table ^ (table >> 2)) & 0x33) == 0) {
        PatBlt(dest, rop);
        return;
    }
    const QTransform& t = Transform();
    QPainterPath logical;
    logical.addRect(dest.normalized());
    const QPainterPath shape = t.map(logical);
    // The operations of the source alone and what lies under it that are the
    // toolkit's own modes are drawn so; the others are worked out pixel by
    // pixel, at RopCost times a fill's cost.
    QPainter::CompositionMode mode;
    const bool sourceOnly = ((table ^ (table >> 4)) & 0x0F) == 0;
    // (A source whose alpha says what it covers mixes only by copying: the
    // toolkit's other modes would mix its uncovered pixels too.)
    const bool direct =
        ModeOfRop(rop, mode) && sourceOnly && (!keepAlpha || mode == QPainter::CompositionMode_SourceOver);
    if (!Charge(AreaCost(shape.boundingRect()) * (direct ? 1 : RopCost)))
        return;
    const QRect part = sourceRect.normalized().toAlignedRect() & QRect(0, 0, source.Width, source.Height);
    if (part.isEmpty())
        return;
    // Bitmaps are opaque unless blended by their alpha.
    if (!keepAlpha)
        for (uint32_t& p : source.Pixels)
            p |= 0xFF000000u;
    const QImage image = ImageOf(source);
    // Mirrored as a negative size of either rectangle asks: the part drawn
    // into the destination turned round.
    // (A mirrored layout mirrors the bitmap along with its place unless it
    // keeps the bitmap's orientation: then it is turned back.)
    const bool keepOrientation = Mirrored() && (FState.Layout & LAYOUT_BITMAPORIENTATIONPRESERVED);
    const bool mirrorX = ((dest.width() < 0) != (sourceRect.width() < 0)) != keepOrientation;
    const bool mirrorY = (dest.height() < 0) != (sourceRect.height() < 0);
    const QRectF target = dest.normalized();
    QTransform place = t;
    if (mirrorX || mirrorY)
        place =
            QTransform(mirrorX ? -1 : 1, 0, 0, mirrorY ? -1 : 1, mirrorX ? target.left() + target.right() : 0,
                       mirrorY ? target.top() + target.bottom() : 0) *
            t;
    // Bitmaps are stretched pixel by pixel, as the platform's default
    // stretching mode does; smoothed in HALFTONE mode and when shrunk, where
    // dropping pixels would break their lines.
    const QRectF shown = t.mapRect(target);
    const bool smooth = FState.StretchMode == HALFTONE || shown.width() < part.width() - 0.5 ||
                        shown.height() < part.height() - 0.5;
    const auto draw = [&](QPainter& p) {
        p.setTransform(place, true);
        p.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        p.drawImage(target, image, QRectF(part));
    };
    if (direct) {
        QPainter& painter = Painter();
        if (!painter.isActive())
            return;
        painter.save();
        painter.setCompositionMode(mode);
        painter.setOpacity(std::clamp(constantAlpha, 0, 255) / 255.0);
        draw(painter);
        painter.restore();
        FClipApplied = true;
        return;
    }
    const QRect area = shape.boundingRect().toAlignedRect() & FImage.rect();
    if (!area.isEmpty())
        RopBlit(area, draw, rop);
}

void TMetaDC::ParallelogramBits(const QPointF corners[3], const TPixelBuffer& source,
                                const QRectF& sourceRect)
{
    const QRect part = sourceRect.normalized().toAlignedRect() & QRect(0, 0, source.Width, source.Height);
    if (FPathOpen || part.isEmpty())
        return;
    // The source's corners onto the parallelogram's, then onto the bitmap.
    const QPointF u = corners[1] - corners[0], v = corners[2] - corners[0];
    QTransform place(u.x() / part.width(), u.y() / part.width(), v.x() / part.height(), v.y() / part.height(),
                     corners[0].x(), corners[0].y());
    // A mirrored layout that keeps bitmaps' orientation turns the source round first.
    if (Mirrored() && (FState.Layout & LAYOUT_BITMAPORIENTATIONPRESERVED))
        place = QTransform(-1, 0, 0, 1, part.width(), 0) * place;
    const QTransform whole = place * Transform();
    if (!Charge(AreaCost(whole.mapRect(QRectF(0, 0, part.width(), part.height())))))
        return;
    QPainter& painter = Painter();
    if (!painter.isActive())
        return;
    painter.save();
    painter.setTransform(whole);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(0, 0, part.width(), part.height()), ImageOf(source), QRectF(part));
    painter.restore();
    FClipApplied = true;
}

// ---------------------------------------------------------------------------
// Gradients

namespace {

QColor Rgb(uint32_t rgb)
{
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace

void TMetaDC::GradientRect(const QRectF& rect, uint32_t from, uint32_t to, bool vertical)
{
    QPainterPath logical;
    logical.addRect(rect.normalized());
    const QPainterPath shape = Transform().map(logical);
    if (FPathOpen || !Charge(FillCost(shape)))
        return;
    const QRectF r = rect.normalized();
    QLinearGradient gradient(Map(r.topLeft()), Map(vertical ? r.bottomLeft() : r.topRight()));
    gradient.setColorAt(0, Rgb(from));
    gradient.setColorAt(1, Rgb(to));
    QPainter& painter = Painter();
    if (painter.isActive())
        painter.fillPath(shape, gradient);
}

void TMetaDC::GradientTriangle(const QPointF corners[3], const uint32_t colours[3])
{
    QPointF p[3];
    for (int i = 0; i < 3; ++i)
        p[i] = Map(corners[i]);
    QPolygonF triangle;
    triangle << p[0] << p[1] << p[2];
    const QRect area = triangle.boundingRect().toAlignedRect() & FImage.rect();
    if (FPathOpen || area.isEmpty() || !Charge(AreaCost(area)))
        return;
    // Each pixel inside takes the corners' colours weighed by its
    // barycentric coordinates.
    const double det =
        (p[1].y() - p[2].y()) * (p[0].x() - p[2].x()) + (p[2].x() - p[1].x()) * (p[0].y() - p[2].y());
    if (std::abs(det) < 1e-9)
        return;
    QPainter& painter = Painter();
    if (!painter.isActive())
        return;
    // A band of rows at a time, so that a large triangle needs no copy of
    // its whole box.
    constexpr int BandRows = 128;
    for (int top = area.top(); top <= area.bottom(); top += BandRows) {
        const int rows = std::min(BandRows, area.bottom() + 1 - top);
        QImage band(area.width(), rows, QImage::Format_ARGB32_Premultiplied);
        band.fill(0);
        for (int y = 0; y < rows; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(band.scanLine(y));
            const double py = top + y + 0.5;
            for (int x = 0; x < area.width(); ++x) {
                const double px = area.left() + x + 0.5;
                const double a =
                    ((p[1].y() - p[2].y()) * (px - p[2].x()) + (p[2].x() - p[1].x()) * (py - p[2].y())) / det;
                const double b =
                    ((p[2].y() - p[0].y()) * (px - p[2].x()) + (p[0].x() - p[2].x()) * (py - p[2].y())) / det;
                const double c = 1 - a - b;
                if (a < 0 || b < 0 || c < 0)
                    continue;
                uint32_t out = 0xFF000000u;
                for (int shift : {0, 8, 16}) {
                    const double v = a * ((colours[0] >> shift) & 0xFF) + b * ((colours[1] >> shift) & 0xFF) +
                                     c * ((colours[2] >> shift) & 0xFF);
                    out |= uint32_t(std::clamp(std::lround(v), 0l, 255l)) << shift;
                }
                row[x] = out;
            }
        }
        painter.drawImage(QPoint(area.left(), top), band);
    }
}

// ---------------------------------------------------------------------------
// Decoding

namespace {

// The header and table of a DIB whose table holds palette indexes, with
// the palette's colours in their place; the table's length in the record
// goes to TableBytes. Empty when it is not such a header.
std::vector<uint8_t> PaletteHeader(const uint8_t* info, size_t infoSize, const std::vector<uint32_t>& palette,
                                   size_t& tableBytes)
{
    dib::THeader h;
    if (infoSize < 40 || !dib::ParseHeader(info, infoSize, h) || h.HeaderSize < 40 || h.BitCount > 8)
        return {};
    uint32_t entries = graphicio::U32(info + 32);
    if (entries == 0 || entries > (1u << h.BitCount))
        entries = 1u << h.BitCount;
    tableBytes = size_t(entries) * 2;
    if (infoSize < h.HeaderSize + tableBytes)
        return {};
    std::vector<uint8_t> out(info, info + h.HeaderSize);
    for (uint32_t i = 0; i < entries; ++i) {
        const uint32_t index = graphicio::U16(info + h.HeaderSize + 2 * i);
        const uint32_t rgb = index < palette.size() ? palette[index] : 0;
        out.push_back(static_cast<uint8_t>(rgb));
        out.push_back(static_cast<uint8_t>(rgb >> 8));
        out.push_back(static_cast<uint8_t>(rgb >> 16));
        out.push_back(0);
    }
    return out;
}

} // namespace

bool DecodeDib(const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize, TPixelBuffer& out,
               const std::vector<uint32_t>* palette)
{
    std::vector<uint8_t> translated;
    if (palette) {
        size_t tableBytes = 0;
        translated = PaletteHeader(info, infoSize, *palette, tableBytes);
        if (translated.empty())
            return false;
        info = translated.data();
        infoSize = translated.size();
    }
    dib::THeader h;
    if (infoSize < 4 || !dib::ParseHeader(info, infoSize, h) ||
        !dib::ParseTables(info + h.HeaderSize, infoSize - h.HeaderSize, h))
        return false;
    return dib::DecodeBits(h, bits, bitsSize, out);
}

bool DecodePackedDib(const uint8_t* p, size_t size, TPixelBuffer& out, dib::THeader& header,
                     const std::vector<uint32_t>* palette)
{
    if (!palette)
        return dib::DecodePacked(p, size, out, &header);
    size_t tableBytes = 0;
    const std::vector<uint8_t> translated = PaletteHeader(p, size, *palette, tableBytes);
    if (translated.empty() || !dib::ParseHeader(translated.data(), translated.size(), header))
        return false;
    const size_t bits = header.HeaderSize + tableBytes;
    return DecodeDib(translated.data(), translated.size(), p + bits, size - bits, out);
}

bool PatternAllowed(TMetaDC& dc, const uint8_t* info, size_t infoSize)
{
    dib::THeader h;
    return infoSize >= 4 && dib::ParseHeader(info, infoSize, h) && h.Width <= MaxPatternSide &&
           h.Height <= MaxPatternSide && dc.ChargeBitmap(int64_t(h.Width) * h.Height);
}

bool PatternOfDib(TMetaDC& dc, const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize,
                  TMetaBrush& brush, const std::vector<uint32_t>* palette)
{
    TPixelBuffer pixels;
    if (!PatternAllowed(dc, info, infoSize) || !DecodeDib(info, infoSize, bits, bitsSize, pixels, palette))
        return false;
    brush.Style = BS_DIBPATTERN;
    brush.Pattern = ImageOf(pixels).copy();
    return true;
}

bool MonochromePatternOfDib(TMetaDC& dc, const uint8_t* info, size_t infoSize, uint32_t usage,
                            const uint8_t* bits, size_t bitsSize, TMetaBrush& brush)
{
    dib::THeader h;
    const bool bare = infoSize >= 4 && dib::ParseHeader(info, infoSize, h) && h.BitCount == 1 &&
                      (usage == DIB_PAL_INDICES || infoSize - h.HeaderSize < h.TableBytes());
    if (!bare) {
        if (!PatternOfDib(dc, info, infoSize, bits, bitsSize, brush))
            return false;
    } else {
        TPixelBuffer pixels;
        h.Palette = {0xFF000000u, 0xFFFFFFFFu};
        if (!PatternAllowed(dc, info, infoSize) || !dib::DecodeBits(h, bits, bitsSize, pixels))
            return false;
        brush.Style = BS_DIBPATTERN;
        brush.Pattern = ImageOf(pixels).copy();
    }
    brush.Monochrome = true;
    return true;
}

std::vector<uint32_t> PaletteEntries(const uint8_t* p, size_t count)
{
    std::vector<uint32_t> out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i)
        out.push_back(uint32_t(p[4 * i]) << 16 | uint32_t(p[4 * i + 1]) << 8 | p[4 * i + 2]);
    return out;
}

} // namespace metafileplayer
