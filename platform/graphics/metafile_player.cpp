// Playing old-format (WMF) metafile records onto a canvas: the mapping, the
// pens, brushes and fonts selected into the canvas, polygons, text and
// bitmaps, and the entry that walks the records of a file.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/graphics/dibcodec.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_player.h"

using graphicio::I16;
using graphicio::U16;
using graphicio::U32;

namespace metafileplayer {

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

bool TWmfPlayer::Bitmap(uint16_t function, const TRecord& r)
{
    const uint8_t* p = r.P;
    const size_t size = r.Size;
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
    // Back to the caller's state, dropping the states the records saved.
    canvas->RestoreDC(level);
    return valid;
}

} // namespace metafileplayer
