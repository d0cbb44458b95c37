// Playing old-format (WMF) metafile records onto a canvas: lines, shapes,
// polygons, text and bitmaps, with the pens, brushes and fonts the records
// make, mapped from the metafile's window onto a rectangle of the canvas.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/graphics/dibcodec.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/graphicio.h"
#include "platform/graphics/metafile.h"

using graphicio::I16;
using graphicio::U16;
using graphicio::U32;

namespace {

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

TColor ColorRef(uint32_t value)
{
    return static_cast<TColor>(value & 0x00FFFFFFu);
}

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
    void RestoreAll();

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
    bool Bitmap(uint16_t function, const uint8_t* p, size_t size);
    void FillPattern(uint32_t rop, const TRect& dest);

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

void TWmfPlayer::SelectPen()
{
    const TWmfPen& pen = FState.Pen;
    TPen* target = FCanvas->Pen();
    target->SetColor(pen.Color);
    target->SetStyle(pen.Style);
    // No wider than the picture: a pen beyond that draws nothing more.
    const int width = pen.Width <= 1 ? 1 : std::abs(Scale(pen.Width, FRect.Width(), FState.ExtX));
    target->SetWidth(std::clamp(width, 1, std::max({1, FRect.Width(), FRect.Height()})));
}

void TWmfPlayer::SelectBrush()
{
    TBrush* target = FCanvas->Brush();
    target->SetColor(FState.Brush.Color);
    target->SetStyle(FState.Brush.Style);
}

void TWmfPlayer::SelectFont()
{
    const TWmfFont& font = FState.Font;
    TFont* target = FCanvas->Font();
    target->SetName(font.Face.empty() ? AnsiString("Arial") : font.Face);
    // Negative: the character height; positive: the cell height, as the
    // canvas's fonts take it.
    const int height = Scale(font.Height, FRect.Height(), FState.ExtY);
    target->SetHeight(font.Height < 0 ? -std::max(1, std::abs(height)) : std::max(1, std::abs(height)));
    TFontStyles styles;
    if (font.Weight >= 600)
        styles.Include(fsBold);
    if (font.Italic)
        styles.Include(fsItalic);
    if (font.Underline)
        styles.Include(fsUnderline);
    if (font.StrikeOut)
        styles.Include(fsStrikeOut);
    target->SetStyle(styles);
    target->SetCharset(static_cast<TFontCharset>(font.Charset));
    target->SetColor(FState.TextColor);
}

bool TWmfPlayer::CreateObject(const TWmfObject& object)
{
    // The object takes the first free place; a full table keeps nothing.
    while (FFirstFree < FObjects.size() && FObjects[FFirstFree].Kind != TWmfObject::None)
        ++FFirstFree;
    if (FFirstFree == FObjects.size()) {
        if (FObjects.size() >= FObjectLimit)
            return true;
        FObjects.emplace_back();
    }
    FObjects[FFirstFree++] = object;
    return true;
}

std::vector<TPoint> TWmfPlayer::Points(const uint8_t* p, int count) const
{
    std::vector<TPoint> points;
    points.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        points.push_back(Point(I16(p + 4 * i), I16(p + 4 * i + 2)));
    return points;
}

void TWmfPlayer::PolyPolygon(const std::vector<std::vector<TPoint>>& polygons)
{
    SelectBrush();
    if (polygons.size() == 1) {
        SelectPen();
        FCanvas->Polygon(polygons[0]);
        return;
    }
    // Several polygons fill as one: each joined to the first point and back,
    // so that the even-odd rule leaves their holes open; the joins are not
    // outlined.
    std::vector<TPoint> joined;
    for (const auto& polygon : polygons) {
        if (polygon.empty())
            continue;
        joined.insert(joined.end(), polygon.begin(), polygon.end());
        joined.push_back(polygon.front());
        if (!(joined.front() == polygon.front()))
            joined.push_back(joined.front());
    }
    if (joined.size() >= 3) {
        FCanvas->Pen()->SetStyle(psClear);
        FCanvas->Polygon(joined);
    }
    SelectPen();
    if (FState.Pen.Style == psClear)
        return;
    for (const auto& polygon : polygons) {
        if (polygon.size() < 2)
            continue;
        std::vector<TPoint> ring = polygon;
        ring.push_back(polygon.front());
        FCanvas->Polyline(ring);
    }
}

void TWmfPlayer::Text(int x, int y, unsigned options, const TRect* rect, const char* str, int count,
                      const uint8_t* dx)
{
    SelectFont();
    FCanvas->SetTextAlign(FState.TextAlign & ~TA_UPDATECP);
    // Opaque mode paints the text's cells in the background colour.
    if (FState.BkMode == OPAQUE_MODE) {
        FCanvas->Brush()->SetColor(FState.BkColor);
        FCanvas->Brush()->SetStyle(bsSolid);
    } else {
        FCanvas->Brush()->SetStyle(bsClear);
    }
    TRect box;
    if (rect)
        box = Box(rect->Left, rect->Top, rect->Right, rect->Bottom);
    std::vector<int> advances;
    if (dx) {
        // Each position is mapped, so that the advances add up without drift.
        advances.resize(static_cast<size_t>(count));
        int logical = 0, previous = 0;
        for (int i = 0; i < count; ++i) {
            logical += I16(dx + 2 * i);
            const int mapped = Scale(logical, FRect.Width(), FState.ExtX);
            advances[static_cast<size_t>(i)] = mapped - previous;
            previous = mapped;
        }
    }
    FCanvas->ExtTextOutA(X(x), Y(y), options & (ETO_OPAQUE | ETO_CLIPPED), rect ? &box : nullptr, str, count,
                         dx ? advances.data() : nullptr);
}

void TWmfPlayer::FillPattern(uint32_t rop, const TRect& dest)
{
    TBrush* brush = FCanvas->Brush();
    if (rop == BLACKNESS || rop == WHITENESS) {
        brush->SetColor(rop == BLACKNESS ? 0 : 0xFFFFFF);
        brush->SetStyle(bsSolid);
    } else if (rop == PATCOPY) {
        SelectBrush();
    } else {
        return; // raster operations that combine with what is there are not played
    }
    FCanvas->FillRect(dest);
}

bool TWmfPlayer::Bitmap(uint16_t function, const uint8_t* p, size_t size)
{
    // The parameters before the bitmap: raster operation, then 16-bit values.
    const size_t words = function == META_STRETCHDIB ? 9 : function == META_DIBSTRETCHBLT ? 8 : 6;
    const size_t head = 4 + 2 * words;
    if (size < 4)
        return false;
    const uint32_t rop = U32(p);
    const bool withBitmap = size > head + 2;
    if (!withBitmap) {
        // No bitmap: a pattern fill of the destination (one reserved word more).
        if (size < head + 2)
            return false;
        const uint8_t* d = p + head + 2 - 8;
        FillPattern(rop, Box(I16(d + 6), I16(d + 4), I16(d + 6) + I16(d + 2), I16(d + 4) + I16(d)));
        return true;
    }
    int srcX, srcY, srcW, srcH;
    const uint8_t* d = p + head - 8; // destination height, width, y, x
    if (function == META_STRETCHDIB) {
        srcH = I16(p + 6), srcW = I16(p + 8), srcY = I16(p + 10), srcX = I16(p + 12);
    } else if (function == META_DIBSTRETCHBLT) {
        srcH = I16(p + 4), srcW = I16(p + 6), srcY = I16(p + 8), srcX = I16(p + 10);
    } else {
        srcY = I16(p + 4), srcX = I16(p + 6), srcH = I16(d), srcW = I16(d + 2);
    }
    const TRect dest = Box(I16(d + 6), I16(d + 4), I16(d + 6) + I16(d + 2), I16(d + 4) + I16(d));
    if (rop != SRCCOPY || FPixelsPlayed > MaxPlayedPixels)
        return true; // only copies are played; other operations combine with what is there
    TPixelBuffer pixels;
    dib::THeader header;
    if (!dib::DecodePacked(p + head, size - head, pixels, &header))
        return true; // a bitmap that cannot be read is left out
    FPixelsPlayed += int64_t(pixels.Width) * pixels.Height;
    // The source rectangle within the bitmap; StretchDIB counts rows from the
    // bottom of a bottom-up bitmap.
    if (function == META_STRETCHDIB && !header.TopDown)
        srcY = pixels.Height - srcY - srcH;
    TRect source{srcX, srcY, srcX + srcW, srcY + srcH};
    source = TRect{std::max(0, std::min(source.Left, source.Right)),
                   std::max(0, std::min(source.Top, source.Bottom)),
                   std::min(pixels.Width, std::max(source.Left, source.Right)),
                   std::min(pixels.Height, std::max(source.Top, source.Bottom))};
    if (source.IsEmpty() || dest.IsEmpty())
        return true;
    FCanvas->DrawPixels(dest, pixels, source);
    return true;
}

bool TWmfPlayer::Play(uint16_t function, const uint8_t* p, size_t size)
{
    auto need = [&](size_t bytes) { return size >= bytes; };
    switch (function) {
    case META_SAVEDC:
        if (FSaved.size() < MaxSavedStates) {
            FSaved.push_back(FState);
            FSaved.back().CanvasLevel = FCanvas->SaveDC();
        }
        return true;
    case META_RESTOREDC: {
        if (!need(2))
            return false;
        const int level = I16(p);
        // Negative: that many states back; positive: that state (from 1).
        const int64_t index = level < 0 ? int64_t(FSaved.size()) + level : int64_t(level) - 1;
        if (index < 0 || index >= int64_t(FSaved.size()))
            return true;
        FState = FSaved[static_cast<size_t>(index)];
        FCanvas->RestoreDC(FState.CanvasLevel);
        FSaved.resize(static_cast<size_t>(index));
        return true;
    }
    case META_SETBKMODE:
        if (!need(2))
            return false;
        FState.BkMode = U16(p);
        return true;
    case META_SETTEXTALIGN:
        if (!need(2))
            return false;
        FState.TextAlign = U16(p) & (TA_UPDATECP | TA_CENTER | TA_BASELINE | TA_RTLREADING);
        return true;
    case META_SETBKCOLOR:
    case META_SETTEXTCOLOR:
        if (!need(4))
            return false;
        (function == META_SETBKCOLOR ? FState.BkColor : FState.TextColor) = ColorRef(U32(p));
        return true;
    case META_SETWINDOWORG:
        if (!need(4))
            return false;
        SetWindow(I16(p + 2), I16(p), FState.ExtX, FState.ExtY);
        return true;
    case META_SETWINDOWEXT:
        if (!need(4))
            return false;
        SetWindow(FState.OrgX, FState.OrgY, I16(p + 2), I16(p));
        return true;
    case META_OFFSETWINDOWORG:
        if (!need(4))
            return false;
        SetWindow(FState.OrgX + I16(p + 2), FState.OrgY + I16(p), FState.ExtX, FState.ExtY);
        return true;
    case META_MOVETO:
        if (!need(4))
            return false;
        FState.Position = TPoint{I16(p + 2), I16(p)};
        return true;
    case META_LINETO: {
        if (!need(4))
            return false;
        const TPoint to{I16(p + 2), I16(p)};
        SelectPen();
        FCanvas->MoveTo(X(FState.Position.X), Y(FState.Position.Y));
        FCanvas->LineTo(X(to.X), Y(to.Y));
        FState.Position = to;
        return true;
    }
    case META_INTERSECTCLIPRECT: {
        if (!need(8))
            return false;
        const TRect r = Box(I16(p + 6), I16(p + 4), I16(p + 2), I16(p));
        FCanvas->IntersectClipRect(r.Left, r.Top, r.Right, r.Bottom);
        return true;
    }
    case META_RECTANGLE:
    case META_ELLIPSE: {
        if (!need(8))
            return false;
        const TRect r = Box(I16(p + 6), I16(p + 4), I16(p + 2), I16(p));
        SelectPen();
        SelectBrush();
        if (function == META_RECTANGLE)
            FCanvas->Rectangle(r);
        else
            FCanvas->Ellipse(r);
        return true;
    }
    case META_POLYGON:
    case META_POLYLINE: {
        if (!need(2))
            return false;
        const int count = I16(p);
        if (count < 0 || !need(2 + 4 * size_t(count)))
            return false;
        SelectPen();
        if (function == META_POLYLINE) {
            FCanvas->Polyline(Points(p + 2, count));
        } else if (count >= 3) {
            SelectBrush();
            FCanvas->Polygon(Points(p + 2, count));
        }
        return true;
    }
    case META_POLYPOLYGON: {
        if (!need(2))
            return false;
        const int polygons = I16(p);
        if (polygons < 0 || !need(2 + 2 * size_t(polygons)))
            return false;
        size_t offset = 2 + 2 * size_t(polygons);
        std::vector<std::vector<TPoint>> all;
        for (int i = 0; i < polygons; ++i) {
            const int count = I16(p + 2 + 2 * i);
            if (count < 0 || !need(offset + 4 * size_t(count)))
                return false;
            all.push_back(Points(p + offset, count));
            offset += 4 * size_t(count);
        }
        PolyPolygon(all);
        return true;
    }
    case META_TEXTOUT: {
        if (!need(2))
            return false;
        const int count = I16(p);
        const size_t padded = (size_t(std::max(count, 0)) + 1) & ~size_t(1);
        if (count < 0 || !need(2 + padded + 4))
            return false;
        Text(I16(p + 2 + padded + 2), I16(p + 2 + padded), 0, nullptr, reinterpret_cast<const char*>(p + 2),
             count, nullptr);
        return true;
    }
    case META_EXTTEXTOUT: {
        if (!need(8))
            return false;
        const int y = I16(p), x = I16(p + 2), count = I16(p + 4);
        const unsigned options = U16(p + 6);
        size_t offset = 8;
        TRect rect;
        const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
        if (hasRect) {
            if (!need(16))
                return false;
            rect = TRect{I16(p + 8), I16(p + 10), I16(p + 12), I16(p + 14)};
            offset = 16;
        }
        if (count < 0 || !need(offset + size_t(count)))
            return false;
        const size_t padded = (size_t(count) + 1) & ~size_t(1);
        const bool hasDx = need(offset + padded + 2 * size_t(count)) && count > 0;
        Text(x, y, options, hasRect ? &rect : nullptr, reinterpret_cast<const char*>(p + offset), count,
             hasDx ? p + offset + padded : nullptr);
        return true;
    }
    case META_PATBLT: {
        if (!need(12))
            return false;
        FillPattern(U32(p), Box(I16(p + 10), I16(p + 8), I16(p + 10) + I16(p + 6), I16(p + 8) + I16(p + 4)));
        return true;
    }
    case META_DIBBITBLT:
    case META_DIBSTRETCHBLT:
    case META_STRETCHDIB:
        return Bitmap(function, p, size);
    case META_CREATEPENINDIRECT: {
        if (!need(10))
            return false;
        TWmfObject object;
        object.Kind = TWmfObject::Pen;
        const unsigned style = U16(p) & 0x0F;
        object.PenValue.Style = style <= 6 ? static_cast<TPenStyle>(style) : psSolid;
        if (object.PenValue.Style == psInsideFrame)
            object.PenValue.Style = psSolid;
        object.PenValue.Width = std::abs(I16(p + 2));
        object.PenValue.Color = ColorRef(U32(p + 6));
        return CreateObject(object);
    }
    case META_CREATEBRUSHINDIRECT: {
        if (!need(8))
            return false;
        TWmfObject object;
        object.Kind = TWmfObject::Brush;
        const unsigned style = U16(p), hatch = U16(p + 6);
        object.BrushValue.Color = ColorRef(U32(p + 2));
        // Solid, none, hatched; patterns are shown in their colour.
        object.BrushValue.Style =
            style == 1   ? bsClear
            : style == 2 ? (hatch <= 5 ? static_cast<TBrushStyle>(bsHorizontal + hatch) : bsSolid)
                         : bsSolid;
        return CreateObject(object);
    }
    case META_CREATEFONTINDIRECT: {
        if (!need(18))
            return false;
        TWmfObject object;
        object.Kind = TWmfObject::Font;
        TWmfFont& font = object.FontValue;
        font.Height = I16(p);
        font.Weight = I16(p + 8);
        font.Italic = p[10] != 0;
        font.Underline = p[11] != 0;
        font.StrikeOut = p[12] != 0;
        font.Charset = p[13];
        const size_t faceEnd = std::min(size, size_t(18 + 32));
        for (size_t i = 18; i < faceEnd && p[i] != 0; ++i)
            font.Face += static_cast<char>(p[i]);
        return CreateObject(object);
    }
    case META_CREATEPALETTE:
    case META_DIBCREATEPATTERNBRUSH:
    case META_CREATEPATTERNBRUSH:
    case META_CREATEREGION: {
        TWmfObject object;
        object.Kind = TWmfObject::Other;
        return CreateObject(object);
    }
    case META_SELECTOBJECT:
    case META_DELETEOBJECT: {
        if (!need(2))
            return false;
        const size_t index = U16(p);
        if (index >= FObjects.size())
            return true;
        TWmfObject& object = FObjects[index];
        if (function == META_DELETEOBJECT) {
            object = TWmfObject();
            FFirstFree = std::min(FFirstFree, index);
        } else if (object.Kind == TWmfObject::Pen)
            FState.Pen = object.PenValue;
        else if (object.Kind == TWmfObject::Brush)
            FState.Brush = object.BrushValue;
        else if (object.Kind == TWmfObject::Font)
            FState.Font = object.FontValue;
        return true;
    }
    default:
        return true; // records that change nothing drawn here
    }
}

void TWmfPlayer::RestoreAll()
{
    if (!FSaved.empty())
        FCanvas->RestoreDC(FSaved.front().CanvasLevel);
}

} // namespace

namespace metafileplayer {

bool PlayWmf(const uint8_t* data, size_t size, TCanvas* canvas, const TRect& rect)
{
    // The placeable header (22 bytes) gives the frame in the file's units,
    // the metafile header (18 bytes) the number of objects.
    if (!canvas || size < 22 + 18 || U32(data) != 0x9AC6CDD7u || rect.IsEmpty())
        return false;
    const int left = I16(data + 6), top = I16(data + 8), right = I16(data + 10), bottom = I16(data + 12);
    const uint8_t* header = data + 22;
    const size_t headerSize = size_t(U16(header + 2)) * 2;
    if (headerSize < 18 || 22 + headerSize > size)
        return false;
    TWmfPlayer player(canvas, rect, U16(header + 10));
    player.SetWindow(left, top, right - left, bottom - top);
    const int level = canvas->SaveDC();
    canvas->IntersectClipRect(rect.Left, rect.Top, rect.Right, rect.Bottom);
    bool valid = false;
    size_t offset = 22 + headerSize;
    while (offset + 6 <= size) {
        const uint64_t recordSize = uint64_t(U32(data + offset)) * 2;
        const uint16_t function = U16(data + offset + 4);
        if (recordSize < 6 || recordSize > size - offset)
            break;
        if (function == META_EOF) {
            valid = true;
            break;
        }
        if (!player.Play(function, data + offset + 6, static_cast<size_t>(recordSize - 6)))
            break;
        offset += static_cast<size_t>(recordSize);
    }
    player.RestoreAll();
    canvas->RestoreDC(level);
    return valid;
}

} // namespace metafileplayer
