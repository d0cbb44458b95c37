// The records of old-format metafiles: the dispatch by record function and
// one handler for each kind, every count checked against its record.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/graphics/metafile_player.h"

namespace metafileplayer {

bool TWmfPlayer::Play(uint16_t function, const uint8_t* p, size_t size)
{
    const TRecord r{p, size};
    switch (function) {
    case META_SAVEDC:
    case META_RESTOREDC:
    case META_SETBKMODE:
    case META_SETROP2:
    case META_SETPOLYFILLMODE:
    case META_SETSTRETCHBLTMODE:
    case META_SETTEXTCHAREXTRA:
    case META_SETTEXTJUSTIFICATION:
    case META_SETTEXTALIGN:
    case META_SETBKCOLOR:
    case META_SETTEXTCOLOR:
        return StateRecord(function, r);
    case META_SETMAPMODE:
    case META_SETLAYOUT:
    case META_SETWINDOWORG:
    case META_SETWINDOWEXT:
    case META_OFFSETWINDOWORG:
    case META_SCALEWINDOWEXT:
    case META_SETVIEWPORTORG:
    case META_SETVIEWPORTEXT:
    case META_OFFSETVIEWPORTORG:
    case META_SCALEVIEWPORTEXT:
        return MappingRecord(function, r);
    case META_INTERSECTCLIPRECT:
    case META_EXCLUDECLIPRECT:
    case META_OFFSETCLIPRGN:
        return ClipRecord(function, r);
    case META_MOVETO:
    case META_LINETO:
        return Line(function, r);
    case META_RECTANGLE:
    case META_ELLIPSE:
    case META_ROUNDRECT:
    case META_ARC:
    case META_PIE:
    case META_CHORD:
    case META_SETPIXEL:
    case META_FLOODFILL:
    case META_EXTFLOODFILL:
        return Shape(function, r);
    case META_POLYGON:
    case META_POLYLINE:
        return Poly(function, r);
    case META_POLYPOLYGON:
        return PolyPolygonRecord(r);
    case META_TEXTOUT:
        return TextOutRecord(r);
    case META_EXTTEXTOUT:
        return ExtTextOutRecord(r);
    case META_PATBLT:
    case META_DIBBITBLT:
    case META_DIBSTRETCHBLT:
    case META_STRETCHDIB:
    case META_SETDIBTODEV:
        return Bitmap(function, r);
    case META_BITBLT:
    case META_STRETCHBLT:
        return DeviceBitmap(function, r);
    case META_FILLREGION:
    case META_FRAMEREGION:
    case META_INVERTREGION:
    case META_PAINTREGION:
    case META_SELECTCLIPREGION:
        return RegionRecord(function, r);
    case META_CREATEPENINDIRECT:
        return CreatePen(r);
    case META_CREATEBRUSHINDIRECT:
        return CreateBrush(r);
    case META_DIBCREATEPATTERNBRUSH:
    case META_CREATEPATTERNBRUSH:
        return CreatePatternBrush(function, r);
    case META_CREATEFONTINDIRECT:
        return CreateFontRecord(r);
    case META_CREATEREGION:
        return CreateRegion(r);
    case META_CREATEPALETTE:
    case META_SELECTPALETTE:
    case META_SETPALENTRIES:
    case META_ANIMATEPALETTE:
    case META_RESIZEPALETTE:
        return PaletteRecord(function, r);
    case META_SELECTOBJECT:
    case META_DELETEOBJECT:
        return SelectOrDelete(function, r);
    default:
        return true; // records that change nothing drawn here
    }
}

bool TWmfPlayer::ReadsDestination(uint16_t function, const TRecord& r)
{
    switch (function) {
    case META_SETROP2:
        return r.Has(2) && TMetaDC::Rop2ReadsDestination(r.I16At(0));
    case META_PATBLT:
    case META_DIBBITBLT:
    case META_DIBSTRETCHBLT:
    case META_STRETCHDIB:
    case META_BITBLT:
    case META_STRETCHBLT:
        return r.Has(4) && TMetaDC::RopReadsDestination(r.U32At(0));
    case META_INVERTREGION:
        return true;
    default:
        return false;
    }
}

// ---- State

bool TWmfPlayer::StateRecord(uint16_t function, const TRecord& r)
{
    TMetaState& s = FDC.State();
    switch (function) {
    case META_SAVEDC:
        FDC.SaveDC();
        return true;
    case META_RESTOREDC:
        if (!r.Has(2))
            return false;
        FDC.RestoreDC(r.I16At(0));
        return true;
    case META_SETBKCOLOR:
    case META_SETTEXTCOLOR:
        if (!r.Has(4))
            return false;
        (function == META_SETBKCOLOR ? s.BkColor : s.TextColor) = ColorRef(r.U32At(0));
        return true;
    case META_SETTEXTJUSTIFICATION:
        // The breaks and the extra space to spread over them.
        if (!r.Has(4))
            return false;
        s.BreakCount = r.I16At(0);
        s.BreakExtra = r.I16At(2);
        return true;
    default:
        break;
    }
    if (!r.Has(2))
        return false;
    const unsigned value = r.U16At(0);
    switch (function) {
    case META_SETBKMODE:
        s.BkMode = static_cast<int>(value);
        break;
    case META_SETROP2:
        s.Rop2 = value >= 1 && value <= 16 ? static_cast<int>(value) : R2_COPYPEN;
        break;
    case META_SETPOLYFILLMODE:
        s.PolyFillMode = value == WINDING ? WINDING : ALTERNATE;
        break;
    case META_SETSTRETCHBLTMODE:
        s.StretchMode = static_cast<int>(value);
        break;
    case META_SETTEXTCHAREXTRA:
        s.CharExtra = static_cast<int16_t>(value);
        break;
    default:
        s.TextAlign = value & (TA_UPDATECP | TA_CENTER | TA_BASELINE | TA_RTLREADING);
        break;
    }
    return true;
}

bool TWmfPlayer::MappingRecord(uint16_t function, const TRecord& r)
{
    // Words in reverse: y before x, a denominator before its numerator.
    const bool window = function == META_SETWINDOWORG || function == META_SETWINDOWEXT ||
                        function == META_OFFSETWINDOWORG || function == META_SCALEWINDOWEXT;
    switch (function) {
    case META_SETMAPMODE:
    case META_SETLAYOUT:
        if (!r.Has(2))
            return false;
        if (function == META_SETMAPMODE)
            FDC.SetMapMode(r.U16At(0));
        else
            FDC.SetLayout(r.U16At(0));
        return true;
    case META_SCALEWINDOWEXT:
    case META_SCALEVIEWPORTEXT:
        if (!r.Has(8))
            return false;
        FDC.ScaleExtent(window, r.I16At(6), r.I16At(4), r.I16At(2), r.I16At(0));
        return true;
    default:
        break;
    }
    if (!r.Has(4))
        return false;
    const QPointF value(r.I16At(2), r.I16At(0));
    if (function == META_SETWINDOWEXT || function == META_SETVIEWPORTEXT)
        FDC.SetExtent(window, value.x(), value.y());
    else if (function == META_OFFSETWINDOWORG || function == META_OFFSETVIEWPORTORG)
        FDC.OffsetOrigin(window, value);
    else
        FDC.SetOrigin(window, value);
    return true;
}

bool TWmfPlayer::ClipRecord(uint16_t function, const TRecord& r)
{
    if (function == META_OFFSETCLIPRGN) {
        if (!r.Has(4))
            return false;
        FDC.OffsetClip(r.I16At(2), r.I16At(0));
        return true;
    }
    if (!r.Has(8))
        return false;
    if (function == META_INTERSECTCLIPRECT)
        FDC.IntersectClipRect(Box(r, 0));
    else
        FDC.ExcludeClipRect(Box(r, 0));
    return true;
}

// ---- Lines and shapes

bool TWmfPlayer::Line(uint16_t function, const TRecord& r)
{
    if (!r.Has(4))
        return false;
    if (function == META_LINETO)
        FDC.LineTo(Pt(r, 0));
    else
        FDC.MoveTo(Pt(r, 0));
    return true;
}

bool TWmfPlayer::Shape(uint16_t function, const TRecord& r)
{
    switch (function) {
    case META_SETPIXEL:
        if (!r.Has(8))
            return false;
        FDC.SetPixel(Pt(r, 4), ColorRef(r.U32At(0)));
        return true;
    case META_FLOODFILL:
        if (!r.Has(8))
            return false;
        FDC.FloodFill(Pt(r, 4), ColorRef(r.U32At(0)), false);
        return true;
    case META_EXTFLOODFILL:
        // Mode 1 fills the surface of the colour, 0 up to a border of it.
        if (!r.Has(10))
            return false;
        FDC.FloodFill(Pt(r, 6), ColorRef(r.U32At(2)), r.U16At(0) == 1);
        return true;
    case META_ROUNDRECT:
        if (!r.Has(12))
            return false;
        FDC.RoundRect(Box(r, 4), QSizeF(r.I16At(2), r.I16At(0)));
        return true;
    case META_ARC:
    case META_PIE:
    case META_CHORD: {
        if (!r.Has(16))
            return false;
        const TMetaDC::TArcKind kind = function == META_ARC   ? TMetaDC::akArc
                                       : function == META_PIE ? TMetaDC::akPie
                                                              : TMetaDC::akChord;
        FDC.Arc(Box(r, 8), Pt(r, 4), Pt(r, 0), kind);
        return true;
    }
    default:
        break;
    }
    if (!r.Has(8))
        return false;
    if (function == META_RECTANGLE)
        FDC.Rectangle(Box(r, 0));
    else
        FDC.Ellipse(Box(r, 0));
    return true;
}

bool TWmfPlayer::Poly(uint16_t function, const TRecord& r)
{
    if (!r.Has(2))
        return false;
    const int count = r.I16At(0);
    if (count < 0 || !r.Has(2 + 4 * size_t(count)))
        return false;
    if (function == META_POLYLINE)
        FDC.Polyline(Points(r.P + 2, count));
    else if (count >= 2)
        FDC.Polygons({Points(r.P + 2, count)});
    return true;
}

bool TWmfPlayer::PolyPolygonRecord(const TRecord& r)
{
    if (!r.Has(2))
        return false;
    const int polygons = r.I16At(0);
    if (polygons < 0 || !r.Has(2 + 2 * size_t(polygons)))
        return false;
    size_t offset = 2 + 2 * size_t(polygons);
    std::vector<std::vector<QPointF>> all;
    for (int i = 0; i < polygons; ++i) {
        const int count = r.I16At(2 + 2 * size_t(i));
        if (count < 0 || !r.Has(offset + 4 * size_t(count)))
            return false;
        all.push_back(Points(r.P + offset, count));
        offset += 4 * size_t(count);
    }
    FDC.Polygons(all);
    return true;
}

// ---- Text

bool TWmfPlayer::TextOutRecord(const TRecord& r)
{
    if (!r.Has(2))
        return false;
    const int count = r.I16At(0);
    const size_t padded = (size_t(std::max(count, 0)) + 1) & ~size_t(1);
    if (count < 0 || !r.Has(2 + padded + 4))
        return false;
    Text(r.I16At(2 + padded + 2), r.I16At(2 + padded), 0, nullptr, reinterpret_cast<const char*>(r.P + 2),
         count, nullptr, 0);
    return true;
}

bool TWmfPlayer::ExtTextOutRecord(const TRecord& r)
{
    if (!r.Has(8))
        return false;
    const int y = r.I16At(0), x = r.I16At(2), count = r.I16At(4);
    const unsigned options = r.U16At(6);
    size_t offset = 8;
    QRectF rect;
    const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
    if (hasRect) {
        if (!r.Has(16))
            return false;
        rect = QRectF(QPointF(r.I16At(8), r.I16At(10)), QPointF(r.I16At(12), r.I16At(14)));
        offset = 16;
    }
    if (count < 0 || !r.Has(offset + size_t(count)))
        return false;
    // The advances follow the text (padded to a whole word), as many as the
    // record has room for, one a byte at most.
    const size_t padded = (size_t(count) + 1) & ~size_t(1);
    const size_t dxCount =
        r.Has(offset + padded) ? std::min(size_t(count), (r.Size - offset - padded) / 2) : size_t(0);
    Text(x, y, options, hasRect ? &rect : nullptr, reinterpret_cast<const char*>(r.P + offset), count,
         dxCount > 0 ? r.P + offset + padded : nullptr, dxCount);
    return true;
}

// ---- Objects

bool TWmfPlayer::CreatePen(const TRecord& r)
{
    if (!r.Has(10))
        return false;
    TMetaObject object;
    object.Kind = TMetaObject::Pen;
    // The style, with the end cap and the join that writers give wide pens.
    const uint32_t style = r.U16At(0) & PS_STYLE_MASK;
    object.PenValue.Style =
        (style <= PS_INSIDEFRAME ? style : PS_SOLID) | (r.U16At(0) & (PS_ENDCAP_MASK | PS_JOIN_MASK));
    object.PenValue.Width = std::abs(r.I16At(2));
    object.PenValue.Cosmetic = object.PenValue.Width == 0;
    object.PenValue.Color = ColorRef(r.U32At(6));
    return CreateObject(object);
}

bool TWmfPlayer::CreateBrush(const TRecord& r)
{
    if (!r.Has(8))
        return false;
    TMetaObject object;
    object.Kind = TMetaObject::Brush;
    const unsigned style = r.U16At(0), hatch = r.U16At(6);
    object.BrushValue.Color = ColorRef(r.U32At(2));
    // Solid, none, hatched; a pattern named here without its bitmap is its colour.
    if (style == BS_NULL) {
        object.BrushValue.Style = BS_NULL;
    } else if (style == BS_HATCHED && hatch <= HS_DIAGCROSS) {
        object.BrushValue.Style = BS_HATCHED;
        object.BrushValue.Hatch = hatch;
    }
    return CreateObject(object);
}

bool TWmfPlayer::CreateFontRecord(const TRecord& r)
{
    if (!r.Has(18))
        return false;
    TMetaObject object;
    object.Kind = TMetaObject::Font;
    TMetaFont& font = object.FontValue;
    font.Height = r.I16At(0);
    font.Escapement = r.I16At(4);
    font.Weight = r.I16At(8);
    font.Italic = r.P[10] != 0;
    font.Underline = r.P[11] != 0;
    font.StrikeOut = r.P[12] != 0;
    font.Charset = r.P[13];
    // The face name: up to 32 bytes, ended by a zero or by the record.
    const size_t faceEnd = std::min(r.Size, size_t(18 + 32));
    std::string face;
    for (size_t i = 18; i < faceEnd && r.P[i] != 0; ++i)
        face += static_cast<char>(r.P[i]);
    const std::u16string wide = AnsiText(face.data(), face.size(), font.Charset);
    font.Face = QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size())).toStdString();
    return CreateObject(object);
}

bool TWmfPlayer::SelectOrDelete(uint16_t function, const TRecord& r)
{
    if (!r.Has(2))
        return false;
    const size_t index = r.U16At(0);
    if (index >= FObjects.size())
        return true; // no such object: nothing changes
    TMetaObject& object = FObjects[index];
    TMetaState& s = FDC.State();
    if (function == META_DELETEOBJECT) {
        object = TMetaObject();
        FFirstFree = std::min(FFirstFree, index);
    } else if (object.Kind == TMetaObject::Pen) {
        s.Pen = object.PenValue;
    } else if (object.Kind == TMetaObject::Brush) {
        s.Brush = object.BrushValue;
    } else if (object.Kind == TMetaObject::Font) {
        s.Font = object.FontValue;
    } else if (object.Kind == TMetaObject::Region) {
        FDC.SelectClip(FDC.LogicalRegion(object.RegionValue), RGN_COPY);
    }
    return true;
}

} // namespace metafileplayer
