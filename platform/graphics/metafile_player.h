// Internal to platform/graphics: the players of metafile records behind
// metafileplayer::PlayWmf and PlayEmf: the record functions they know, the
// objects the records make (pens, brushes, fonts, regions) and the tables
// that hold them. Both draw through the metafile device (metafile_dc.h).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/graphics/graphicio.h"
#include "platform/graphics/metafile_dc.h"

namespace metafileplayer {

// Old-format record functions played or skipped with intent.
enum : uint16_t {
    META_EOF = 0x0000,
    META_ESCAPE = 0x0626,
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
    META_SETVIEWPORTORG = 0x020D,
    META_SETVIEWPORTEXT = 0x020E,
    META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211,
    META_SETMAPMODE = 0x0103,
    META_SETLAYOUT = 0x0149,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_FILLREGION = 0x0228,
    META_SCALEWINDOWEXT = 0x0410,
    META_SCALEVIEWPORTEXT = 0x0412,
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
    META_SELECTPALETTE = 0x0234,
    META_SETPALENTRIES = 0x0037,
    META_ANIMATEPALETTE = 0x0436,
    META_RESIZEPALETTE = 0x0139,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_CREATEREGION = 0x06FF,
};

// An object a record makes; a region in logical units.
struct TMetaObject {
    enum { None, Pen, Brush, Font, Region, Palette, Other } Kind = None;
    TMetaPen PenValue;
    TMetaBrush BrushValue;
    TMetaFont FontValue;
    std::vector<QRectF> RegionValue;    // logical units
    std::vector<uint32_t> PaletteValue; // 0xRRGGBB
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
    // The mapping mode, the window, the viewport and the layout.
    bool MappingRecord(uint16_t function, const TRecord& r);
    bool ClipRecord(uint16_t function, const TRecord& r);
    bool Line(uint16_t function, const TRecord& r);
    bool Shape(uint16_t function, const TRecord& r);
    bool Poly(uint16_t function, const TRecord& r);
    bool PolyPolygonRecord(const TRecord& r);
    bool TextOutRecord(const TRecord& r);
    bool ExtTextOutRecord(const TRecord& r);
    // Text of Count bytes: characters of the font's code page, or with
    // ETO_GLYPH_INDEX glyph numbers of two bytes each. Dx holds DxCount
    // advances (at most Count), or is null.
    void Text(int x, int y, unsigned options, const QRectF* rect, const char* str, int count,
              const uint8_t* dx, size_t dxCount);
    bool Bitmap(uint16_t function, const TRecord& r);
    // The device-dependent bitmap of BITBLT and STRETCHBLT.
    bool DeviceBitmap(uint16_t function, const TRecord& r);
    bool RegionRecord(uint16_t function, const TRecord& r);
    bool CreatePen(const TRecord& r);
    bool CreateBrush(const TRecord& r);
    bool CreatePatternBrush(uint16_t function, const TRecord& r);
    bool CreateFontRecord(const TRecord& r);
    bool CreateRegion(const TRecord& r);
    bool PaletteRecord(uint16_t function, const TRecord& r);
    // The selected palette when a bitmap's colour use says its table indexes it.
    const std::vector<uint32_t>* PaletteFor(unsigned usage) const
    {
        return usage == DIB_PAL_COLORS ? &FDC.State().Palette : nullptr;
    }
    bool SelectOrDelete(uint16_t function, const TRecord& r);

    TMetaDC& FDC;
    // The object table grows as objects are made, up to the header's count;
    // every place before FFirstFree is taken.
    std::vector<TMetaObject> FObjects;
    size_t FObjectLimit;
    size_t FFirstFree = 0;
};

// Enhanced record types played or skipped with intent.
enum : uint32_t {
    EMR_HEADER = 1,
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_SETBRUSHORGEX = 13,
    EMR_EOF = 14,
    EMR_SETPIXELV = 15,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETROP2 = 20,
    EMR_SETSTRETCHBLTMODE = 21,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_OFFSETCLIPRGN = 26,
    EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ANGLEARC = 41,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_SELECTPALETTE = 48,
    EMR_CREATEPALETTE = 49,
    EMR_SETPALETTEENTRIES = 50,
    EMR_RESIZEPALETTE = 51,
    EMR_EXTFLOODFILL = 53,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_POLYDRAW = 56,
    EMR_SETARCDIRECTION = 57,
    EMR_SETMITERLIMIT = 58,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_FLATTENPATH = 65,
    EMR_WIDENPATH = 66,
    EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68,
    EMR_GDICOMMENT = 70,
    EMR_FILLRGN = 71,
    EMR_FRAMERGN = 72,
    EMR_INVERTRGN = 73,
    EMR_PAINTRGN = 74,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77,
    EMR_MASKBLT = 78,
    EMR_PLGBLT = 79,
    EMR_SETDIBITSTODEVICE = 80,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_POLYDRAW16 = 92,
    EMR_CREATEMONOBRUSH = 93,
    EMR_CREATEDIBPATTERNBRUSHPT = 94,
    EMR_EXTCREATEPEN = 95,
    EMR_POLYTEXTOUTA = 96,
    EMR_POLYTEXTOUTW = 97,
    EMR_SMALLTEXTOUT = 108,
    EMR_ALPHABLEND = 114,
    EMR_SETLAYOUT = 115,
    EMR_TRANSPARENTBLT = 116,
    EMR_GRADIENTFILL = 118,
    EMR_SETTEXTJUSTIFICATION = 120,
};

// Plays enhanced records through the device; owns the handle table (the
// header's count of handles).
class TEmfPlayer {
public:
    TEmfPlayer(TMetaDC& dc, int handles) : FDC(dc), FHandles(static_cast<size_t>(std::max(handles, 1))) {}
    // One record: its type and its whole bytes (Size, at least 8). False for
    // a record whose parameters do not fit it.
    bool Play(uint32_t type, const uint8_t* p, size_t size);
    static bool ReadsDestination(uint32_t type, const TRecord& r);

private:
    QPointF PointL(const TRecord& r, size_t at) const { return QPointF(r.I32At(at), r.I32At(at + 4)); }
    QRectF RectL(const TRecord& r, size_t at) const;
    // Count points at At, 16- or 32-bit; false when they do not fit.
    bool PointsAt(const TRecord& r, size_t at, uint32_t count, bool small, std::vector<QPointF>& out) const;
    // A DIB whose header and bits are at the offsets given at At (offset,
    // size, offset, size), all counted from the record's start, its colour
    // use (DIB_PAL_COLORS: its table indexes the palette) at UsageAt.
    bool DibAt(const TRecord& r, size_t at, size_t usageAt, TPixelBuffer& out);
    bool PaletteRecord(uint32_t type, const TRecord& r);
    // A region's rectangles (RGNDATA at At, Size bytes) as a path in its units.
    bool RegionAt(const TRecord& r, size_t at, size_t size, std::vector<QRectF>& out) const;
    TMetaObject* Handle(uint32_t index);
    // A handle's object or a stock object (the number with its high bit set).
    const TMetaObject* ObjectAt(uint32_t index);

    // The records that set the state, the mapping, the clip, objects and
    // palettes, and those that draw: what the record's handler returns, none
    // for a record of another kind.
    std::optional<bool> SettingRecord(uint32_t type, const TRecord& r);
    std::optional<bool> DrawingRecord(uint32_t type, const TRecord& r);
    bool StateRecord(uint32_t type, const TRecord& r);
    bool MappingRecord(uint32_t type, const TRecord& r);
    bool ClipRecord(uint32_t type, const TRecord& r);
    bool PolyRecord(uint32_t type, const TRecord& r);
    bool PolyPolyRecord(uint32_t type, const TRecord& r);
    bool ShapeRecord(uint32_t type, const TRecord& r);
    bool PathRecord(uint32_t type, const TRecord& r);
    bool RegionRecord(uint32_t type, const TRecord& r);
    bool TextRecord(uint32_t type, const TRecord& r);
    // One text of an EMRTEXT at At (offsets from the record's start).
    bool EmrText(const TRecord& r, size_t at, bool wide);
    bool SmallTextRecord(const TRecord& r);
    bool GradientRecord(const TRecord& r);
    bool PolyDrawRecord(uint32_t type, const TRecord& r);
    // MASKBLT and PLGBLT: the source with the mask's clear bits left out.
    bool MaskedBitmapRecord(uint32_t type, const TRecord& r);
    bool BitmapRecord(uint32_t type, const TRecord& r);
    bool ObjectRecord(uint32_t type, const TRecord& r);
    bool CreatePen(uint32_t type, const TRecord& r);
    bool CreateBrush(uint32_t type, const TRecord& r);
    bool CreateFontRecord(const TRecord& r);

    TMetaDC& FDC;
    std::vector<TMetaObject> FHandles;
    TMetaObject FStock; // the stock object last asked for
};

} // namespace metafileplayer
