// Internal to platform/graphics: the player of old-format metafile records
// behind metafileplayer::PlayWmf: the record functions it knows, the objects
// the records make (pens, brushes, fonts, regions) and the table that holds
// them. It draws through the metafile device (metafile_dc.h).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/graphics/graphicio.h"
#include "platform/graphics/metafile_dc.h"

namespace metafileplayer {

// Old-format record functions played or skipped with intent.
enum : uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_SETBKMODE = 0x0102,
    META_SETROP2 = 0x0104,
    META_SETPOLYFILLMODE = 0x0106,
    META_SETSTRETCHBLTMODE = 0x0107,
    META_SETTEXTCHAREXTRA = 0x0108,
    META_SETTEXTJUSTIFICATION = 0x020A,
    META_RESTOREDC = 0x0127,
    META_INVERTREGION = 0x012A,
    META_PAINTREGION = 0x012B,
    META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DELETEOBJECT = 0x01F0,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_OFFSETWINDOWORG = 0x020F,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_FILLREGION = 0x0228,
    META_SCALEWINDOWEXT = 0x0410,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_SETPIXEL = 0x041F,
    META_FLOODFILL = 0x0419,
    META_EXTFLOODFILL = 0x0548,
    META_BITBLT = 0x0922,
    META_STRETCHBLT = 0x0B23,
    META_SETDIBTODEV = 0x0D33,
    META_FRAMEREGION = 0x0429,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_DIBSTRETCHBLT = 0x0B41,
    META_STRETCHDIB = 0x0F43,
    META_CREATEPALETTE = 0x00F7,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_CREATEREGION = 0x06FF,
};

// An object a record makes; a region in logical units.
struct TMetaObject {
    enum { None, Pen, Brush, Font, Region, Other } Kind = None;
    TMetaPen PenValue;
    TMetaBrush BrushValue;
    TMetaFont FontValue;
    QPainterPath RegionValue;
};

// The parameters of one record: Size bytes at P.
struct TRecord {
    const uint8_t* P;
    size_t Size;
    bool Has(size_t bytes) const { return Size >= bytes; }
    int I16At(size_t at) const { return graphicio::I16(P + at); }
    unsigned U16At(size_t at) const { return graphicio::U16(P + at); }
    uint32_t U32At(size_t at) const { return graphicio::U32(P + at); }
    int32_t I32At(size_t at) const { return graphicio::I32(P + at); }
    float F32At(size_t at) const;
};

inline TColor ColorRef(uint32_t value)
{
    return static_cast<TColor>(value & 0x00FFFFFFu);
}

// Plays old-format records through the device; owns the object table (at
// most the header's count of objects).
class TWmfPlayer {
public:
    TWmfPlayer(TMetaDC& dc, int objects) : FDC(dc), FObjectLimit(static_cast<size_t>(objects)) {}
    // The window mapped onto the whole bitmap.
    void SetWindow(double orgX, double orgY, double extX, double extY);
    // One record: its function and its parameters (Size bytes). False for a
    // record whose parameters do not fit it.
    bool Play(uint16_t function, const uint8_t* p, size_t size);
    // Whether a record mixes with what lies under it (see PlayWmf).
    static bool ReadsDestination(uint16_t function, const TRecord& r);

private:
    QPointF Pt(const TRecord& r, size_t at) const { return QPointF(r.I16At(at + 2), r.I16At(at)); }
    // Four words (bottom, right, top, left) at At as a box.
    QRectF Box(const TRecord& r, size_t at) const
    {
        return QRectF(QPointF(r.I16At(at + 6), r.I16At(at + 4)), QPointF(r.I16At(at + 2), r.I16At(at)));
    }
    std::vector<QPointF> Points(const uint8_t* p, int count) const;
    bool CreateObject(const TMetaObject& object);
    const TMetaObject* Object(size_t index, int kind) const;

    bool StateRecord(uint16_t function, const TRecord& r);
    bool WindowRecord(uint16_t function, const TRecord& r);
    bool ClipRecord(uint16_t function, const TRecord& r);
    bool Line(uint16_t function, const TRecord& r);
    bool Shape(uint16_t function, const TRecord& r);
    bool Poly(uint16_t function, const TRecord& r);
    bool PolyPolygonRecord(const TRecord& r);
    bool TextOutRecord(const TRecord& r);
    bool ExtTextOutRecord(const TRecord& r);
    void Text(int x, int y, unsigned options, const QRectF* rect, const char* str, int count,
              const uint8_t* dx);
    bool Bitmap(uint16_t function, const TRecord& r);
    // The device-dependent bitmap of BITBLT and STRETCHBLT.
    bool DeviceBitmap(uint16_t function, const TRecord& r);
    bool RegionRecord(uint16_t function, const TRecord& r);
    bool CreatePen(const TRecord& r);
    bool CreateBrush(const TRecord& r);
    bool CreatePatternBrush(uint16_t function, const TRecord& r);
    bool CreateFontRecord(const TRecord& r);
    bool CreateRegion(const TRecord& r);
    bool SelectOrDelete(uint16_t function, const TRecord& r);

    TMetaDC& FDC;
    // The object table grows as objects are made, up to the header's count;
    // every place before FFirstFree is taken.
    std::vector<TMetaObject> FObjects;
    size_t FObjectLimit;
    size_t FFirstFree = 0;
};

} // namespace metafileplayer
