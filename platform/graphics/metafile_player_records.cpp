// The records of old-format metafiles: the dispatch by record function and
// one handler for each kind, every count checked against its record.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/graphics/metafile_player.h"

namespace metafileplayer {

bool TWmfPlayer::Play(uint16_t function, const uint8_t* p, size_t size)
{
    const TRecord r{p, size};
    switch (function) {
    case META_SAVEDC:
        return SaveState();
    case META_RESTOREDC:
        return RestoreState(r);
    case META_SETBKMODE:
    case META_SETTEXTALIGN:
    case META_SETBKCOLOR:
    case META_SETTEXTCOLOR:
        return SetAttribute(function, r);
    case META_SETWINDOWORG:
    case META_SETWINDOWEXT:
    case META_OFFSETWINDOWORG:
        return SetWindowRecord(function, r);
    case META_MOVETO:
    case META_LINETO:
        return Line(function, r);
    case META_INTERSECTCLIPRECT:
        return ClipRecord(r);
    case META_RECTANGLE:
    case META_ELLIPSE:
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
        return PatBltRecord(r);
    case META_DIBBITBLT:
    case META_DIBSTRETCHBLT:
    case META_STRETCHDIB:
        return Bitmap(function, r);
    case META_CREATEPENINDIRECT:
        return CreatePen(r);
    case META_CREATEBRUSHINDIRECT:
        return CreateBrush(r);
    case META_CREATEFONTINDIRECT:
        return CreateFontRecord(r);
    case META_CREATEPALETTE:
    case META_DIBCREATEPATTERNBRUSH:
    case META_CREATEPATTERNBRUSH:
    case META_CREATEREGION: {
        TWmfObject object;
        object.Kind = TWmfObject::Other;
        return CreateObject(object);
    }
    case META_SELECTOBJECT:
    case META_DELETEOBJECT:
        return SelectOrDelete(function, r);
    default:
        return true; // records that change nothing drawn here
    }
}

// ---- State

bool TWmfPlayer::SaveState()
{
    if (FSaved.size() < MaxSavedStates) {
        FSaved.push_back(FState);
        FSaved.back().CanvasLevel = FCanvas->SaveDC();
    }
    return true;
}

bool TWmfPlayer::RestoreState(const TRecord& r)
{
    if (!r.Has(2))
        return false;
    const int level = r.I16At(0);
    // Negative: that many states back; positive: that state (from 1).
    const int64_t index = level < 0 ? int64_t(FSaved.size()) + level : int64_t(level) - 1;
    if (index < 0 || index >= int64_t(FSaved.size()))
        return true;
    FState = FSaved[static_cast<size_t>(index)];
    FCanvas->RestoreDC(FState.CanvasLevel);
    FSaved.resize(static_cast<size_t>(index));
    return true;
}

bool TWmfPlayer::SetAttribute(uint16_t function, const TRecord& r)
{
    if (!r.Has(function == META_SETBKCOLOR || function == META_SETTEXTCOLOR ? 4 : 2))
        return false;
    switch (function) {
    case META_SETBKMODE:
        FState.BkMode = static_cast<int>(r.U16At(0));
        break;
    case META_SETTEXTALIGN:
        FState.TextAlign = r.U16At(0) & (TA_UPDATECP | TA_CENTER | TA_BASELINE | TA_RTLREADING);
        break;
    case META_SETBKCOLOR:
        FState.BkColor = ColorRef(r.U32At(0));
        break;
    default:
        FState.TextColor = ColorRef(r.U32At(0));
        break;
    }
    return true;
}

bool TWmfPlayer::SetWindowRecord(uint16_t function, const TRecord& r)
{
    if (!r.Has(4))
        return false;
    const int y = r.I16At(0), x = r.I16At(2);
    if (function == META_SETWINDOWORG)
        SetWindow(x, y, FState.ExtX, FState.ExtY);
    else if (function == META_SETWINDOWEXT)
        SetWindow(FState.OrgX, FState.OrgY, x, y);
    else
        SetWindow(FState.OrgX + x, FState.OrgY + y, FState.ExtX, FState.ExtY);
    return true;
}

bool TWmfPlayer::ClipRecord(const TRecord& r)
{
    if (!r.Has(8))
        return false;
    const TRect clip = Box(r.I16At(6), r.I16At(4), r.I16At(2), r.I16At(0));
    FCanvas->IntersectClipRect(clip.Left, clip.Top, clip.Right, clip.Bottom);
    return true;
}

// ---- Lines and shapes

bool TWmfPlayer::Line(uint16_t function, const TRecord& r)
{
    if (!r.Has(4))
        return false;
    const TPoint to{r.I16At(2), r.I16At(0)};
    if (function == META_LINETO) {
        SelectPen();
        FCanvas->MoveTo(X(FState.Position.X), Y(FState.Position.Y));
        FCanvas->LineTo(X(to.X), Y(to.Y));
    }
    FState.Position = to;
    return true;
}

bool TWmfPlayer::Shape(uint16_t function, const TRecord& r)
{
    if (!r.Has(8))
        return false;
    const TRect box = Box(r.I16At(6), r.I16At(4), r.I16At(2), r.I16At(0));
    SelectPen();
    SelectBrush();
    if (function == META_RECTANGLE)
        FCanvas->Rectangle(box);
    else
        FCanvas->Ellipse(box);
    return true;
}

bool TWmfPlayer::Poly(uint16_t function, const TRecord& r)
{
    if (!r.Has(2))
        return false;
    const int count = r.I16At(0);
    if (count < 0 || !r.Has(2 + 4 * size_t(count)))
        return false;
    SelectPen();
    if (function == META_POLYLINE) {
        FCanvas->Polyline(Points(r.P + 2, count));
    } else if (count >= 3) {
        SelectBrush();
        FCanvas->Polygon(Points(r.P + 2, count));
    }
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
    std::vector<std::vector<TPoint>> all;
    for (int i = 0; i < polygons; ++i) {
        const int count = r.I16At(2 + 2 * size_t(i));
        if (count < 0 || !r.Has(offset + 4 * size_t(count)))
            return false;
        all.push_back(Points(r.P + offset, count));
        offset += 4 * size_t(count);
    }
    PolyPolygon(all);
    return true;
}

bool TWmfPlayer::PatBltRecord(const TRecord& r)
{
    if (!r.Has(12))
        return false;
    const int height = r.I16At(4), width = r.I16At(6), y = r.I16At(8), x = r.I16At(10);
    FillPattern(r.U32At(0), Box(x, y, x + width, y + height));
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
         count, nullptr);
    return true;
}

bool TWmfPlayer::ExtTextOutRecord(const TRecord& r)
{
    if (!r.Has(8))
        return false;
    const int y = r.I16At(0), x = r.I16At(2), count = r.I16At(4);
    const unsigned options = r.U16At(6);
    size_t offset = 8;
    TRect rect;
    const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
    if (hasRect) {
        if (!r.Has(16))
            return false;
        rect = TRect{r.I16At(8), r.I16At(10), r.I16At(12), r.I16At(14)};
        offset = 16;
    }
    if (count < 0 || !r.Has(offset + size_t(count)))
        return false;
    // The advances follow the text (padded to a whole word) when there is room.
    const size_t padded = (size_t(count) + 1) & ~size_t(1);
    const bool hasDx = count > 0 && r.Has(offset + padded + 2 * size_t(count));
    Text(x, y, options, hasRect ? &rect : nullptr, reinterpret_cast<const char*>(r.P + offset), count,
         hasDx ? r.P + offset + padded : nullptr);
    return true;
}

// ---- Objects

bool TWmfPlayer::CreatePen(const TRecord& r)
{
    if (!r.Has(10))
        return false;
    TWmfObject object;
    object.Kind = TWmfObject::Pen;
    const unsigned style = r.U16At(0) & 0x0F;
    object.PenValue.Style = style <= 6 ? static_cast<TPenStyle>(style) : psSolid;
    if (object.PenValue.Style == psInsideFrame)
        object.PenValue.Style = psSolid;
    object.PenValue.Width = std::abs(r.I16At(2));
    object.PenValue.Color = ColorRef(r.U32At(6));
    return CreateObject(object);
}

bool TWmfPlayer::CreateBrush(const TRecord& r)
{
    if (!r.Has(8))
        return false;
    TWmfObject object;
    object.Kind = TWmfObject::Brush;
    const unsigned style = r.U16At(0), hatch = r.U16At(6);
    object.BrushValue.Color = ColorRef(r.U32At(2));
    // Solid, none, hatched; patterns are shown in their colour.
    if (style == 1)
        object.BrushValue.Style = bsClear;
    else if (style == 2 && hatch <= 5)
        object.BrushValue.Style = static_cast<TBrushStyle>(bsHorizontal + hatch);
    else
        object.BrushValue.Style = bsSolid;
    return CreateObject(object);
}

bool TWmfPlayer::CreateFontRecord(const TRecord& r)
{
    if (!r.Has(18))
        return false;
    TWmfObject object;
    object.Kind = TWmfObject::Font;
    TWmfFont& font = object.FontValue;
    font.Height = r.I16At(0);
    font.Weight = r.I16At(8);
    font.Italic = r.P[10] != 0;
    font.Underline = r.P[11] != 0;
    font.StrikeOut = r.P[12] != 0;
    font.Charset = r.P[13];
    // The face name: up to 32 bytes, ended by a zero or by the record.
    const size_t faceEnd = std::min(r.Size, size_t(18 + 32));
    for (size_t i = 18; i < faceEnd && r.P[i] != 0; ++i)
        font.Face += static_cast<char>(r.P[i]);
    return CreateObject(object);
}

bool TWmfPlayer::SelectOrDelete(uint16_t function, const TRecord& r)
{
    if (!r.Has(2))
        return false;
    const size_t index = r.U16At(0);
    if (index >= FObjects.size())
        return true; // no such object: nothing changes
    TWmfObject& object = FObjects[index];
    if (function == META_DELETEOBJECT) {
        object = TWmfObject();
        FFirstFree = std::min(FFirstFree, index);
    } else if (object.Kind == TWmfObject::Pen) {
        FState.Pen = object.PenValue;
    } else if (object.Kind == TWmfObject::Brush) {
        FState.Brush = object.BrushValue;
    } else if (object.Kind == TWmfObject::Font) {
        FState.Font = object.FontValue;
    }
    return true;
}

} // namespace metafileplayer
