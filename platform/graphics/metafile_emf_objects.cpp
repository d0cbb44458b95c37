// The object records of enhanced metafiles: pens, brushes and fonts made in
// the handle table, selected and deleted; offsets count from the record's
// start.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/graphics/metafile_player.h"

namespace metafileplayer {

bool TEmfPlayer::ObjectRecord(uint32_t type, const TRecord& r)
{
    if (!r.Has(12))
        return false;
    const uint32_t index = r.U32At(8);
    switch (type) {
    case EMR_SELECTOBJECT: {
        const TMetaObject* object = ObjectAt(index);
        if (!object)
            return true;
        TMetaState& s = FDC.State();
        if (object->Kind == TMetaObject::Pen)
            s.Pen = object->PenValue;
        else if (object->Kind == TMetaObject::Brush)
            s.Brush = object->BrushValue;
        else if (object->Kind == TMetaObject::Font)
            s.Font = object->FontValue;
        return true;
    }
    case EMR_DELETEOBJECT:
        if (TMetaObject* object = Handle(index))
            *object = TMetaObject();
        return true;
    case EMR_CREATEPEN:
    case EMR_EXTCREATEPEN:
        return CreatePen(type, r);
    case EMR_EXTCREATEFONTINDIRECTW:
        return CreateFontRecord(r);
    default:
        return CreateBrush(type, r);
    }
}

bool TEmfPlayer::CreatePen(uint32_t type, const TRecord& r)
{
    TMetaObject object;
    object.Kind = TMetaObject::Pen;
    TMetaPen& pen = object.PenValue;
    if (type == EMR_CREATEPEN) {
        if (!r.Has(28))
            return false;
        // The style, with the end cap and the join that writers give wide pens.
        const uint32_t style = r.U32At(12) & PS_STYLE_MASK;
        pen.Style =
            (style <= PS_INSIDEFRAME ? style : PS_SOLID) | (r.U32At(12) & (PS_ENDCAP_MASK | PS_JOIN_MASK));
        pen.Width = std::abs(r.I32At(16));
        pen.Cosmetic = pen.Width == 0;
        pen.Color = ColorRef(r.U32At(24));
    } else {
        if (!r.Has(52))
            return false;
        pen.Style = r.U32At(28);
        pen.Extended = true;
        pen.Cosmetic = (pen.Style & PS_GEOMETRIC) == 0;
        pen.Width = r.U32At(32) <= (1u << 30) ? r.U32At(32) : 1;
        pen.Color = ColorRef(r.U32At(40));
        // A pen of no brush draws nothing.
        if (r.U32At(36) == BS_NULL)
            pen.Style = (pen.Style & ~PS_STYLE_MASK) | PS_NULL;
        const uint32_t entries = r.U32At(48);
        if ((pen.Style & PS_STYLE_MASK) == PS_USERSTYLE && entries <= 16 && r.Has(52 + 4 * size_t(entries)))
            for (uint32_t i = 0; i < entries; ++i)
                pen.Dashes.push_back(r.U32At(52 + 4 * size_t(i)));
    }
    if (TMetaObject* slot = Handle(r.U32At(8)))
        *slot = object;
    return true;
}

bool TEmfPlayer::CreateBrush(uint32_t type, const TRecord& r)
{
    TMetaObject object;
    object.Kind = TMetaObject::Brush;
    TMetaBrush& brush = object.BrushValue;
    if (type == EMR_CREATEBRUSHINDIRECT) {
        if (!r.Has(24))
            return false;
        const uint32_t style = r.U32At(12), hatch = r.U32At(20);
        brush.Color = ColorRef(r.U32At(16));
        if (style == BS_NULL) {
            brush.Style = BS_NULL;
        } else if (style == BS_HATCHED && hatch <= HS_DIAGCROSS) {
            brush.Style = BS_HATCHED;
            brush.Hatch = hatch;
        }
    } else {
        // A pattern: the bitmap at the offsets after its colour use; a
        // monochrome one takes the text and background colours.
        if (!r.Has(32))
            return false;
        const uint32_t offInfo = r.U32At(16), infoSize = r.U32At(20), offBits = r.U32At(24),
                       bitsSize = r.U32At(28);
        if (offInfo <= r.Size && infoSize <= r.Size - offInfo && offBits <= r.Size &&
            bitsSize <= r.Size - offBits) {
            const uint8_t *info = r.P + offInfo, *bits = r.P + offBits;
            if (type == EMR_CREATEMONOBRUSH)
                MonochromePatternOfDib(FDC, info, infoSize, r.U32At(12), bits, bitsSize, brush);
            else
                PatternOfDib(FDC, info, infoSize, bits, bitsSize, brush);
        }
    }
    if (TMetaObject* slot = Handle(r.U32At(8)))
        *slot = object;
    return true;
}

bool TEmfPlayer::CreateFontRecord(const TRecord& r)
{
    if (!r.Has(40))
        return false;
    TMetaObject object;
    object.Kind = TMetaObject::Font;
    TMetaFont& font = object.FontValue;
    font.Height = r.I32At(12);
    font.Escapement = r.I32At(20);
    font.Weight = r.I32At(28);
    font.Italic = r.P[32] != 0;
    font.Underline = r.P[33] != 0;
    font.StrikeOut = r.P[34] != 0;
    font.Charset = r.P[35];
    // The face: up to 32 UTF-16 units, ended by a zero or by the record.
    std::u16string face;
    for (size_t at = 40; at + 2 <= std::min(r.Size, size_t(104)) && r.U16At(at) != 0; at += 2)
        face += static_cast<char16_t>(r.U16At(at));
    font.Face = QString::fromUtf16(face.data(), static_cast<qsizetype>(face.size())).toStdString();
    if (TMetaObject* slot = Handle(r.U32At(8)))
        *slot = object;
    return true;
}

} // namespace metafileplayer
