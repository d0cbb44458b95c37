// Internal to platform/graphics: the player of old-format metafile records
// behind metafileplayer::PlayWmf: the record functions it knows, the pens,
// brushes and fonts the records make, the state that SaveDC keeps, and the
// player, which maps the metafile's window onto a rectangle of the canvas.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/core/sysutils.h"
#include "platform/core/types.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/graphicio.h"

namespace metafileplayer {

// Record functions played or skipped with intent.
enum : uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_SETBKMODE = 0x0102,
    META_RESTOREDC = 0x0127,
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
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_PATBLT = 0x061D,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_DIBSTRETCHBLT = 0x0B41,
    META_STRETCHDIB = 0x0F43,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    // Objects this player does not use but that take a place in the table.
    META_CREATEPALETTE = 0x00F7,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_CREATEREGION = 0x06FF,
};

constexpr uint32_t SRCCOPY = 0x00CC0020u;
constexpr uint32_t PATCOPY = 0x00F00021u;
constexpr uint32_t BLACKNESS = 0x00000042u;
constexpr uint32_t WHITENESS = 0x00FF0062u;
constexpr int OPAQUE_MODE = 2;
constexpr size_t MaxSavedStates = 256;
// Bitmaps decoded in one playing, in pixels: more are skipped, so that a small
// file cannot ask for unbounded work.
constexpr int64_t MaxPlayedPixels = GraphicMaxPixels * 2;

struct TWmfPen {
    TPenStyle Style = psSolid;
    int Width = 0; // logical units; 0 and 1 are one pixel
    TColor Color = 0;
};
struct TWmfBrush {
    TBrushStyle Style = bsSolid;
    TColor Color = 0xFFFFFF;
};
struct TWmfFont {
    int Height = -12; // logical units
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Charset = 0;
    AnsiString Face;
};
struct TWmfObject {
    enum { None, Pen, Brush, Font, Other } Kind = None;
    TWmfPen PenValue;
    TWmfBrush BrushValue;
    TWmfFont FontValue;
};

struct TPlayState {
    int OrgX = 0, OrgY = 0, ExtX = 1, ExtY = 1;
    TWmfPen Pen;
    TWmfBrush Brush;
    TWmfFont Font;
    TColor TextColor = 0;
    TColor BkColor = 0xFFFFFF;
    int BkMode = OPAQUE_MODE;
    unsigned TextAlign = TA_LEFT | TA_TOP;
    TPoint Position; // logical
    int CanvasLevel = 0;
};

// The parameters of one record: Size bytes at P.
struct TRecord {
    const uint8_t* P;
    size_t Size;
    bool Has(size_t bytes) const { return Size >= bytes; }
    int I16At(size_t at) const { return graphicio::I16(P + at); }
    unsigned U16At(size_t at) const { return graphicio::U16(P + at); }
    uint32_t U32At(size_t at) const { return graphicio::U32(P + at); }
};

inline TColor ColorRef(uint32_t value)
{
    return static_cast<TColor>(value & 0x00FFFFFFu);
}

// Plays records onto Canvas, the metafile's window mapped onto Rect; owns
// the object table (at most the header's count of objects) and the saved
// states (at most MaxSavedStates).
class TWmfPlayer {
public:
    TWmfPlayer(TCanvas* canvas, const TRect& rect, int objects)
        : FCanvas(canvas), FRect(rect), FObjectLimit(static_cast<size_t>(objects))
    {}
    void SetWindow(int orgX, int orgY, int extX, int extY)
    {
        FState.OrgX = orgX;
        FState.OrgY = orgY;
        FState.ExtX = extX ? extX : 1;
        FState.ExtY = extY ? extY : 1;
    }
    // One record: its function and its parameters (Size bytes). False for a
    // record whose parameters do not fit it.
    bool Play(uint16_t function, const uint8_t* p, size_t size);

private:
    int X(int x) const { return FRect.Left + Scale(x - FState.OrgX, FRect.Width(), FState.ExtX); }
    int Y(int y) const { return FRect.Top + Scale(y - FState.OrgY, FRect.Height(), FState.ExtY); }
    TPoint Point(int x, int y) const { return TPoint{X(x), Y(y)}; }
    // Value x Num / Den rounded to the nearest, kept far inside the int range.
    static int Scale(int64_t value, int64_t num, int64_t den)
    {
        const int64_t product = value * num;
        const int64_t half = std::abs(den) / 2;
        const int64_t result = (product >= 0) == (den > 0) ? (product + (den > 0 ? half : -half)) / den
                                                           : (product - (den > 0 ? half : -half)) / den;
        return static_cast<int>(std::clamp<int64_t>(result, -(int64_t(1) << 30), int64_t(1) << 30));
    }
    // A rectangle of logical corners, normalised.
    TRect Box(int left, int top, int right, int bottom) const
    {
        const int x1 = X(left), x2 = X(right), y1 = Y(top), y2 = Y(bottom);
        return TRect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    }
    void SelectPen();
    void SelectBrush();
    void SelectFont();
    bool CreateObject(const TWmfObject& object);
    std::vector<TPoint> Points(const uint8_t* p, int count) const;
    void PolyPolygon(const std::vector<std::vector<TPoint>>& polygons);
    void Text(int x, int y, unsigned options, const TRect* rect, const char* str, int count,
              const uint8_t* dx);
    bool Bitmap(uint16_t function, const TRecord& r);
    void FillPattern(uint32_t rop, const TRect& dest);

    // ---- Records (metafile_player_records.cpp), each false when its
    // parameters do not fit it
    bool SaveState();
    bool RestoreState(const TRecord& r);
    bool SetAttribute(uint16_t function, const TRecord& r);
    bool SetWindowRecord(uint16_t function, const TRecord& r);
    bool Line(uint16_t function, const TRecord& r);
    bool ClipRecord(const TRecord& r);
    bool Shape(uint16_t function, const TRecord& r);
    bool Poly(uint16_t function, const TRecord& r);
    bool PolyPolygonRecord(const TRecord& r);
    bool TextOutRecord(const TRecord& r);
    bool ExtTextOutRecord(const TRecord& r);
    bool PatBltRecord(const TRecord& r);
    bool CreatePen(const TRecord& r);
    bool CreateBrush(const TRecord& r);
    bool CreateFontRecord(const TRecord& r);
    bool SelectOrDelete(uint16_t function, const TRecord& r);

    TCanvas* FCanvas;
    TRect FRect;
    TPlayState FState;
    std::vector<TPlayState> FSaved;
    // The object table grows as objects are made, up to the header's count;
    // every place before FFirstFree is taken.
    std::vector<TWmfObject> FObjects;
    size_t FObjectLimit;
    size_t FFirstFree = 0;
    int64_t FPixelsPlayed = 0;
};

} // namespace metafileplayer
