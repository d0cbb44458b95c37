// The records of enhanced metafiles: the dispatch by record type, and the
// handlers of the state, the mapping, the clip, lines and shapes, paths,
// regions and text (those of bitmaps and of objects are in files of their
// own); offsets count from the record's start (its type and size included),
// and every count and offset is checked against the record.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile_player.h"

namespace metafileplayer {

bool TEmfPlayer::Play(uint32_t type, const uint8_t* p, size_t size)
{
    const TRecord r{p, size};
    if (const std::optional<bool> played = SettingRecord(type, r))
        return *played;
    if (const std::optional<bool> played = DrawingRecord(type, r))
        return *played;
    // Comments (and the records of the extended format they carry, which the
    // records around them draw too) and records that change nothing drawn here.
    return true;
}

std::optional<bool> TEmfPlayer::SettingRecord(uint32_t type, const TRecord& r)
{
    switch (type) {
    case EMR_SETBKMODE:
    case EMR_SETPOLYFILLMODE:
    case EMR_SETROP2:
    case EMR_SETTEXTALIGN:
    case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR:
    case EMR_SETARCDIRECTION:
    case EMR_SETMITERLIMIT:
    case EMR_SETSTRETCHBLTMODE:
    case EMR_SETBRUSHORGEX:
    case EMR_SETTEXTJUSTIFICATION:
    case EMR_SAVEDC:
    case EMR_RESTOREDC:
    case EMR_MOVETOEX:
        return StateRecord(type, r);
    case EMR_SETWINDOWEXTEX:
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX:
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX:
    case EMR_SETMAPMODE:
    case EMR_SETLAYOUT:
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM:
        return MappingRecord(type, r);
    case EMR_OFFSETCLIPRGN:
    case EMR_EXCLUDECLIPRECT:
    case EMR_INTERSECTCLIPRECT:
    case EMR_EXTSELECTCLIPRGN:
    case EMR_SELECTCLIPPATH:
        return ClipRecord(type, r);
    case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT:
    case EMR_CREATEPEN:
    case EMR_EXTCREATEPEN:
    case EMR_CREATEBRUSHINDIRECT:
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_EXTCREATEFONTINDIRECTW:
        return ObjectRecord(type, r);
    case EMR_SELECTPALETTE:
    case EMR_CREATEPALETTE:
    case EMR_SETPALETTEENTRIES:
    case EMR_RESIZEPALETTE:
        return PaletteRecord(type, r);
    default:
        return std::nullopt;
    }
}

std::optional<bool> TEmfPlayer::DrawingRecord(uint32_t type, const TRecord& r)
{
    switch (type) {
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16:
        return PolyRecord(type, r);
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16:
        return PolyPolyRecord(type, r);
    case EMR_SETPIXELV:
    case EMR_LINETO:
    case EMR_ANGLEARC:
    case EMR_ELLIPSE:
    case EMR_RECTANGLE:
    case EMR_ROUNDRECT:
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE:
    case EMR_ARCTO:
    case EMR_EXTFLOODFILL:
        return ShapeRecord(type, r);
    case EMR_POLYDRAW:
    case EMR_POLYDRAW16:
        return PolyDrawRecord(type, r);
    case EMR_GRADIENTFILL:
        return GradientRecord(r);
    case EMR_BEGINPATH:
    case EMR_ENDPATH:
    case EMR_CLOSEFIGURE:
    case EMR_FILLPATH:
    case EMR_STROKEANDFILLPATH:
    case EMR_STROKEPATH:
    case EMR_FLATTENPATH:
    case EMR_WIDENPATH:
    case EMR_ABORTPATH:
        return PathRecord(type, r);
    case EMR_FILLRGN:
    case EMR_FRAMERGN:
    case EMR_INVERTRGN:
    case EMR_PAINTRGN:
        return RegionRecord(type, r);
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW:
    case EMR_POLYTEXTOUTA:
    case EMR_POLYTEXTOUTW:
        return TextRecord(type, r);
    case EMR_SMALLTEXTOUT:
        return SmallTextRecord(r);
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_SETDIBITSTODEVICE:
    case EMR_STRETCHDIBITS:
    case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT:
        return BitmapRecord(type, r);
    case EMR_MASKBLT:
    case EMR_PLGBLT:
        return MaskedBitmapRecord(type, r);
    default:
        return std::nullopt;
    }
}

bool TEmfPlayer::ReadsDestination(uint32_t type, const TRecord& r)
{
    switch (type) {
    case EMR_SETROP2:
        return r.Has(12) && TMetaDC::Rop2ReadsDestination(static_cast<int>(r.U32At(8)));
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
        return r.Has(44) && TMetaDC::RopReadsDestination(r.U32At(40));
    case EMR_STRETCHDIBITS:
        return r.Has(72) && TMetaDC::RopReadsDestination(r.U32At(68));
    case EMR_MASKBLT:
        return r.Has(44) && (TMetaDC::RopReadsDestination(r.U32At(40) & 0xFFFFFF) ||
                             TMetaDC::RopReadsDestination((r.U32At(40) >> 8) & 0xFF0000));
    case EMR_INVERTRGN:
        return true;
    default:
        return false;
    }
}

// ---- State and mapping

bool TEmfPlayer::StateRecord(uint32_t type, const TRecord& r)
{
    TMetaState& s = FDC.State();
    if (type == EMR_SAVEDC) {
        FDC.SaveDC();
        return true;
    }
    if (!r.Has(12))
        return false;
    const uint32_t value = r.U32At(8);
    switch (type) {
    case EMR_SETBKMODE:
        s.BkMode = static_cast<int>(value);
        break;
    case EMR_SETPOLYFILLMODE:
        s.PolyFillMode = value == WINDING ? WINDING : ALTERNATE;
        break;
    case EMR_SETROP2:
        s.Rop2 = value >= 1 && value <= 16 ? static_cast<int>(value) : R2_COPYPEN;
        break;
    case EMR_SETTEXTALIGN:
        s.TextAlign = value & (TA_UPDATECP | TA_CENTER | TA_BASELINE | TA_RTLREADING);
        break;
    case EMR_SETTEXTCOLOR:
        s.TextColor = ColorRef(value);
        break;
    case EMR_SETBKCOLOR:
        s.BkColor = ColorRef(value);
        break;
    case EMR_SETARCDIRECTION:
        s.ArcDirection = value == AD_CLOCKWISE ? AD_CLOCKWISE : AD_COUNTERCLOCKWISE;
        break;
    case EMR_SETSTRETCHBLTMODE:
        s.StretchMode = static_cast<int>(value);
        break;
    case EMR_SETBRUSHORGEX:
    case EMR_SETTEXTJUSTIFICATION:
        if (!r.Has(16))
            return false;
        if (type == EMR_SETBRUSHORGEX) {
            s.BrushOrigin = PointL(r, 8);
        } else {
            s.BreakExtra = r.I32At(8);
            s.BreakCount = r.I32At(12);
        }
        break;
    case EMR_SETMITERLIMIT: {
        // Written as a whole number, or by some writers as a float.
        double limit = value;
        if (value > 1000)
            limit = r.F32At(8);
        s.MiterLimit = std::isfinite(limit) ? std::clamp(limit, 1.0, 100.0) : 10.0;
        break;
    }
    case EMR_RESTOREDC:
        FDC.RestoreDC(r.I32At(8));
        break;
    case EMR_MOVETOEX:
        if (!r.Has(16))
            return false;
        FDC.MoveTo(PointL(r, 8));
        break;
    default:
        break;
    }
    return true;
}

bool TEmfPlayer::MappingRecord(uint32_t type, const TRecord& r)
{
    TMetaState& s = FDC.State();
    switch (type) {
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: {
        if (!r.Has(type == EMR_SETWORLDTRANSFORM ? 32 : 36))
            return false;
        const QTransform x(r.F32At(8), r.F32At(12), r.F32At(16), r.F32At(20), r.F32At(24), r.F32At(28));
        const uint32_t mode = type == EMR_SETWORLDTRANSFORM ? 4 : r.U32At(32);
        if (mode == 1)
            s.World = QTransform();
        else if (mode == 2)
            s.World = x * s.World;
        else if (mode == 3)
            s.World = s.World * x;
        else if (mode == 4)
            s.World = x;
        FDC.MappingChanged();
        return true;
    }
    case EMR_SETMAPMODE:
        if (!r.Has(12))
            return false;
        FDC.SetMapMode(r.U32At(8));
        return true;
    case EMR_SETLAYOUT:
        if (!r.Has(12))
            return false;
        FDC.SetLayout(r.U32At(8));
        return true;
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX:
        if (!r.Has(24))
            return false;
        FDC.ScaleExtent(type == EMR_SCALEWINDOWEXTEX, r.I32At(8), r.I32At(12), r.I32At(16), r.I32At(20));
        return true;
    default:
        break;
    }
    if (!r.Has(16))
        return false;
    const double x = r.I32At(8), y = r.I32At(12);
    switch (type) {
    case EMR_SETWINDOWEXTEX:
    case EMR_SETVIEWPORTEXTEX:
        FDC.SetExtent(type == EMR_SETWINDOWEXTEX, x, y);
        break;
    default:
        FDC.SetOrigin(type == EMR_SETWINDOWORGEX, QPointF(x, y));
        break;
    }
    return true;
}

bool TEmfPlayer::ClipRecord(uint32_t type, const TRecord& r)
{
    switch (type) {
    case EMR_OFFSETCLIPRGN:
        if (!r.Has(16))
            return false;
        FDC.OffsetClip(r.I32At(8), r.I32At(12));
        return true;
    case EMR_EXCLUDECLIPRECT:
    case EMR_INTERSECTCLIPRECT:
        if (!r.Has(24))
            return false;
        if (type == EMR_INTERSECTCLIPRECT)
            FDC.IntersectClipRect(RectL(r, 8));
        else
            FDC.ExcludeClipRect(RectL(r, 8));
        return true;
    case EMR_SELECTCLIPPATH:
        if (!r.Has(12))
            return false;
        FDC.SelectClipPath(static_cast<int>(r.U32At(8)));
        return true;
    default:
        break;
    }
    // A region in the device's units; none with RGN_COPY removes the clip.
    if (!r.Has(16))
        return false;
    const uint32_t bytes = r.U32At(8);
    const int mode = static_cast<int>(r.U32At(12));
    if (bytes == 0) {
        if (mode == RGN_COPY)
            FDC.SelectClip(std::nullopt, RGN_COPY);
        return true;
    }
    std::vector<QRectF> region;
    if (!RegionAt(r, 16, bytes, region))
        return false;
    FDC.SelectClip(FDC.DeviceRegion(region), mode);
    return true;
}

// ---- Lines and shapes

bool TEmfPlayer::PolyRecord(uint32_t type, const TRecord& r)
{
    if (!r.Has(28))
        return false;
    const bool small = type >= EMR_POLYBEZIER16;
    std::vector<QPointF> points;
    if (!PointsAt(r, 28, r.U32At(24), small, points))
        return false;
    switch (small ? type - EMR_POLYBEZIER16 + EMR_POLYBEZIER : type) {
    case EMR_POLYBEZIER:
        FDC.PolyBezier(points, false);
        break;
    case EMR_POLYGON:
        if (points.size() >= 2)
            FDC.Polygons({points});
        break;
    case EMR_POLYLINE:
        FDC.Polyline(points);
        break;
    case EMR_POLYBEZIERTO:
        FDC.PolyBezier(points, true);
        break;
    default:
        FDC.PolylineTo(points);
        break;
    }
    return true;
}

bool TEmfPlayer::PolyPolyRecord(uint32_t type, const TRecord& r)
{
    if (!r.Has(32))
        return false;
    const bool small = type == EMR_POLYPOLYLINE16 || type == EMR_POLYPOLYGON16;
    const uint32_t polys = r.U32At(24), total = r.U32At(28);
    if (polys > (r.Size - 32) / 4)
        return false;
    std::vector<QPointF> points;
    if (!PointsAt(r, 32 + 4 * size_t(polys), total, small, points))
        return false;
    std::vector<std::vector<QPointF>> all;
    size_t next = 0;
    for (uint32_t i = 0; i < polys; ++i) {
        const uint32_t count = r.U32At(32 + 4 * size_t(i));
        if (count > points.size() - next)
            return false;
        all.emplace_back(points.begin() + static_cast<std::ptrdiff_t>(next),
                         points.begin() + static_cast<std::ptrdiff_t>(next + count));
        next += count;
    }
    if (type == EMR_POLYPOLYGON || type == EMR_POLYPOLYGON16)
        FDC.Polygons(all);
    else
        FDC.Polylines(all);
    return true;
}

bool TEmfPlayer::ShapeRecord(uint32_t type, const TRecord& r)
{
    switch (type) {
    case EMR_SETPIXELV:
        if (!r.Has(20))
            return false;
        FDC.SetPixel(PointL(r, 8), ColorRef(r.U32At(16)));
        return true;
    case EMR_LINETO:
        if (!r.Has(16))
            return false;
        FDC.LineTo(PointL(r, 8));
        return true;
    case EMR_EXTFLOODFILL:
        // The start, the colour, and the mode: 1 fills the colour's surface.
        if (!r.Has(24))
            return false;
        FDC.FloodFill(PointL(r, 8), ColorRef(r.U32At(16)), r.U32At(20) == 1);
        return true;
    case EMR_ANGLEARC:
        if (!r.Has(28))
            return false;
        FDC.AngleArc(PointL(r, 8), std::min<uint32_t>(r.U32At(16), 1u << 30), r.F32At(20), r.F32At(24));
        return true;
    case EMR_ELLIPSE:
    case EMR_RECTANGLE:
        if (!r.Has(24))
            return false;
        if (type == EMR_ELLIPSE)
            FDC.Ellipse(RectL(r, 8));
        else
            FDC.Rectangle(RectL(r, 8));
        return true;
    case EMR_ROUNDRECT:
        if (!r.Has(32))
            return false;
        FDC.RoundRect(RectL(r, 8), QSizeF(r.I32At(24), r.I32At(28)));
        return true;
    default:
        break;
    }
    if (!r.Has(40))
        return false;
    const TMetaDC::TArcKind kind = type == EMR_ARC     ? TMetaDC::akArc
                                   : type == EMR_CHORD ? TMetaDC::akChord
                                   : type == EMR_PIE   ? TMetaDC::akPie
                                                       : TMetaDC::akArcTo;
    FDC.Arc(RectL(r, 8), PointL(r, 24), PointL(r, 32), kind);
    return true;
}

bool TEmfPlayer::PathRecord(uint32_t type, const TRecord& r)
{
    (void)r;
    switch (type) {
    case EMR_BEGINPATH:
        FDC.BeginPath();
        break;
    case EMR_ENDPATH:
        FDC.EndPath();
        break;
    case EMR_CLOSEFIGURE:
        FDC.CloseFigure();
        break;
    case EMR_FILLPATH:
        FDC.FillPath(false, true);
        break;
    case EMR_STROKEANDFILLPATH:
        FDC.FillPath(true, true);
        break;
    case EMR_STROKEPATH:
        FDC.FillPath(true, false);
        break;
    case EMR_WIDENPATH:
        FDC.WidenPath();
        break;
    case EMR_ABORTPATH:
        FDC.AbortPath();
        break;
    default:
        break; // curves stay curves: flattening changes nothing drawn
    }
    return true;
}

bool TEmfPlayer::RegionRecord(uint32_t type, const TRecord& r)
{
    if (!r.Has(28))
        return false;
    const uint32_t bytes = r.U32At(24);
    const size_t at = type == EMR_FILLRGN ? 32 : type == EMR_FRAMERGN ? 40 : 28;
    std::vector<QRectF> region;
    if (!r.Has(at) || !RegionAt(r, at, bytes, region))
        return false;
    const QRegion shape = FDC.LogicalRegion(region);
    if (type == EMR_INVERTRGN) {
        FDC.InvertRegion(shape);
    } else if (type == EMR_PAINTRGN) {
        FDC.FillRegion(shape, FDC.State().Brush);
    } else if (const TMetaObject* brush = ObjectAt(r.U32At(28)); brush && brush->Kind == TMetaObject::Brush) {
        if (type == EMR_FILLRGN)
            FDC.FillRegion(shape, brush->BrushValue);
        else
            FDC.FrameRegion(shape, brush->BrushValue, r.I32At(32), r.I32At(36));
    }
    return true;
}

// ---- Text

bool TEmfPlayer::TextRecord(uint32_t type, const TRecord& r)
{
    // After the bounds, the graphics mode and the scales: one text, or a
    // count of them (POLYTEXTOUT), each an EMRTEXT of 40 bytes.
    const bool wide = type == EMR_EXTTEXTOUTW || type == EMR_POLYTEXTOUTW;
    if (type == EMR_EXTTEXTOUTA || type == EMR_EXTTEXTOUTW)
        return EmrText(r, 36, wide);
    if (!r.Has(40))
        return false;
    const uint32_t count = r.U32At(36);
    if (count > (r.Size - 40) / 40)
        return false;
    for (uint32_t i = 0; i < count; ++i)
        if (!EmrText(r, 40 + 40 * size_t(i), wide))
            return false;
    return true;
}

bool TEmfPlayer::EmrText(const TRecord& r, size_t at, bool wide)
{
    // The reference, count, offset of the text, options, rectangle and
    // offset of the advances.
    if (!r.Has(at + 40))
        return false;
    const QPointF reference = PointL(r, at);
    const uint32_t count = r.U32At(at + 8), offString = r.U32At(at + 12), options = r.U32At(at + 16),
                   offDx = r.U32At(at + 36);
    const size_t bytes = size_t(count) * (wide ? 2 : 1);
    if (offString > r.Size || count > (r.Size - offString) / (wide ? 2 : 1))
        return false;
    std::u16string text;
    if (wide) {
        text.resize(count);
        for (uint32_t i = 0; i < count; ++i)
            text[i] = static_cast<char16_t>(r.U16At(offString + 2 * size_t(i)));
    } else if (options & ETO_GLYPH_INDEX) {
        // Glyph numbers, one a byte: no characters of a code page.
        text.assign(r.P + offString, r.P + offString + bytes);
    } else {
        text = AnsiText(reinterpret_cast<const char*>(r.P + offString), bytes, FDC.State().Font.Charset);
    }
    // The advances, one a character (two with ETO_PDY), when the record holds them.
    std::vector<double> dx;
    const size_t values = size_t(count) * ((options & ETO_PDY) ? 2 : 1);
    if (offDx >= 8 && offDx <= r.Size && values <= (r.Size - offDx) / 4 && (wide || text.size() == count)) {
        dx.reserve(values);
        for (size_t i = 0; i < values; ++i)
            dx.push_back(r.I32At(offDx + 4 * i));
    }
    const QRectF rect = RectL(r, at + 20);
    const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0 && !rect.isEmpty();
    FDC.Text(reference, options, hasRect ? &rect : nullptr, text, dx.empty() ? nullptr : &dx);
    return true;
}

bool TEmfPlayer::SmallTextRecord(const TRecord& r)
{
    // The reference, count, options, graphics mode and scales; a clipping
    // rectangle unless ETO_NO_RECT; the text, of single bytes with
    // ETO_SMALL_CHARS.
    enum : uint32_t { ETO_NO_RECT = 0x100, ETO_SMALL_CHARS = 0x200 };
    if (!r.Has(36))
        return false;
    const uint32_t count = r.U32At(16), options = r.U32At(20);
    const size_t at = (options & ETO_NO_RECT) ? 36 : 52;
    const size_t each = (options & ETO_SMALL_CHARS) ? 1 : 2;
    if (!r.Has(at) || count > (r.Size - at) / each)
        return false;
    std::u16string text(count, u'\0');
    for (uint32_t i = 0; i < count; ++i)
        text[i] = each == 1 ? char16_t(r.P[at + i]) : static_cast<char16_t>(r.U16At(at + 2 * size_t(i)));
    QRectF rect;
    if (!(options & ETO_NO_RECT))
        rect = RectL(r, 36);
    const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0 && !rect.isEmpty();
    FDC.Text(QPointF(r.I32At(8), r.I32At(12)), options & ~(ETO_NO_RECT | ETO_SMALL_CHARS),
             hasRect ? &rect : nullptr, text, nullptr);
    return true;
}

// ---- Gradients and drawn paths

bool TEmfPlayer::GradientRecord(const TRecord& r)
{
    // Vertices (x, y, then red, green, blue and alpha of 16 bits) and the
    // rectangles or triangles that index them.
    if (!r.Has(36))
        return false;
    const uint32_t vertices = r.U32At(24), shapes = r.U32At(28), mode = r.U32At(32);
    const size_t each = mode == 2 ? 12 : 8;
    if (vertices > (r.Size - 36) / 16 || shapes > (r.Size - 36 - 16 * size_t(vertices)) / each)
        return false;
    const auto point = [&](uint32_t i) {
        return QPointF(r.I32At(36 + 16 * size_t(i)), r.I32At(40 + 16 * size_t(i)));
    };
    const auto colour = [&](uint32_t i) {
        const size_t at = 44 + 16 * size_t(i);
        return uint32_t(r.U16At(at) >> 8) << 16 | uint32_t(r.U16At(at + 2) >> 8) << 8 |
               uint32_t(r.U16At(at + 4) >> 8);
    };
    const size_t list = 36 + 16 * size_t(vertices);
    for (uint32_t i = 0; i < shapes; ++i) {
        const size_t at = list + each * i;
        if (mode == 2) {
            const uint32_t a = r.U32At(at), b = r.U32At(at + 4), c = r.U32At(at + 8);
            if (a >= vertices || b >= vertices || c >= vertices)
                continue;
            const QPointF corners[3] = {point(a), point(b), point(c)};
            const uint32_t colours[3] = {colour(a), colour(b), colour(c)};
            FDC.GradientTriangle(corners, colours);
        } else {
            const uint32_t a = r.U32At(at), b = r.U32At(at + 4);
            if (a >= vertices || b >= vertices)
                continue;
            FDC.GradientRect(QRectF(point(a), point(b)), colour(a), colour(b), mode == 1);
        }
        if (FDC.Spent())
            break;
    }
    return true;
}

bool TEmfPlayer::PolyDrawRecord(uint32_t type, const TRecord& r)
{
    // The bounds, a count, the points and then one type a point.
    if (!r.Has(28))
        return false;
    const uint32_t count = r.U32At(24);
    const bool small = type == EMR_POLYDRAW16;
    std::vector<QPointF> points;
    if (!PointsAt(r, 28, count, small, points))
        return false;
    const size_t types = 28 + size_t(count) * (small ? 4 : 8);
    if (!r.Has(types + count))
        return false;
    FDC.PolyDraw(points, std::vector<uint8_t>(r.P + types, r.P + types + count));
    return true;
}

} // namespace metafileplayer
