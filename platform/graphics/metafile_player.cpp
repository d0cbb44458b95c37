// Playing old-format (WMF) metafiles: the object table, text, bitmaps,
// pattern brushes and regions, and the entry that walks the records of a
// file onto the bitmap it is drawn into.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/graphics/dibcodec.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_player.h"

using graphicio::I16;
using graphicio::U16;
using graphicio::U32;

namespace metafileplayer {

constexpr uint32_t PlaceableKey = 0x9AC6CDD7u;

float TRecord::F32At(size_t at) const
{
    const uint32_t bits = U32At(at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool TWmfPlayer::CreateObject(const TMetaObject& object)
{
    // The object takes the first free place; a full table keeps nothing.
    while (FFirstFree < FObjects.size() && FObjects[FFirstFree].Kind != TMetaObject::None)
        ++FFirstFree;
    if (FFirstFree == FObjects.size()) {
        if (FObjects.size() >= FObjectLimit)
            return true;
        FObjects.emplace_back();
    }
    FObjects[FFirstFree++] = object;
    return true;
}

const TMetaObject* TWmfPlayer::Object(size_t index, int kind) const
{
    return index < FObjects.size() && FObjects[index].Kind == kind ? &FObjects[index] : nullptr;
}

std::vector<QPointF> TWmfPlayer::Points(const uint8_t* p, int count) const
{
    std::vector<QPointF> points;
    points.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        points.emplace_back(I16(p + 4 * i), I16(p + 4 * i + 2));
    return points;
}

void TWmfPlayer::Text(int x, int y, unsigned options, const QRectF* rect, const char* str, int count,
                      const uint8_t* dx, size_t dxCount)
{
    const unsigned kept = options & (ETO_OPAQUE | ETO_CLIPPED | ETO_RTLREADING | ETO_GLYPH_INDEX);
    std::vector<double> advances;
    if (options & ETO_GLYPH_INDEX) {
        // The record's string is bytes: glyph numbers, which take 16 bits,
        // are stored in two bytes each (low byte first), and are drawn only
        // in the face the file names. The advances are one a byte, the two
        // of a glyph adding up to its advance (one a glyph where the record
        // holds only that many).
        const size_t glyphs = static_cast<size_t>(count) / 2;
        std::u16string text(glyphs, u'\0');
        for (size_t i = 0; i < glyphs; ++i)
            text[i] = static_cast<char16_t>(U16(reinterpret_cast<const uint8_t*>(str) + 2 * i));
        const bool byByte = dx && dxCount >= 2 * glyphs;
        if (dx && dxCount >= glyphs)
            for (size_t i = 0; i < glyphs; ++i)
                advances.push_back(byByte ? I16(dx + 4 * i) + I16(dx + 4 * i + 2) : I16(dx + 2 * i));
        FDC.Text(QPointF(x, y), kept, rect, text, advances.empty() ? nullptr : &advances);
        return;
    }
    const std::u16string text = AnsiText(str, static_cast<size_t>(count), FDC.State().Font.Charset);
    // One advance a byte: taken as they are when each byte is a character;
    // text of a multi-byte code page takes the font's own advances.
    const bool byByte =
        dx && dxCount >= static_cast<size_t>(count) && text.size() == static_cast<size_t>(count);
    if (byByte)
        for (int i = 0; i < count; ++i)
            advances.push_back(I16(dx + 2 * i));
    FDC.Text(QPointF(x, y), kept, rect, text, byByte ? &advances : nullptr);
}

bool TWmfPlayer::Bitmap(uint16_t function, const TRecord& r)
{
    if (function == META_PATBLT) {
        if (!r.Has(12))
            return false;
        const int height = r.I16At(4), width = r.I16At(6), y = r.I16At(8), x = r.I16At(10);
        FDC.PatBlt(QRectF(x, y, width, height), r.U32At(0));
        return true;
    }
    if (function == META_SETDIBTODEV) {
        // Colour use, scans, first scan, source y and x, size, destination
        // y and x, then the bitmap drawn at its own size.
        if (!r.Has(18))
            return false;
        const int height = r.I16At(10), width = r.I16At(12);
        TPixelBuffer pixels;
        dib::THeader header;
        if (!dib::ParseHeader(r.P + 18, r.Size - 18, header) ||
            !FDC.ChargeBitmap(int64_t(header.Width) * header.Height) ||
            !DecodePackedDib(r.P + 18, r.Size - 18, pixels, header, PaletteFor(r.U16At(0))))
            return true;
        int srcY = r.I16At(6);
        if (!header.TopDown)
            srcY = pixels.Height - srcY - height;
        FDC.StretchBits(QRectF(r.I16At(16), r.I16At(14), width, height), pixels,
                        QRectF(r.I16At(8), srcY, width, height), SRCCOPY);
        return true;
    }
    // The parameters before the bitmap: raster operation, then 16-bit values.
    const size_t words = function == META_STRETCHDIB ? 9 : function == META_DIBSTRETCHBLT ? 8 : 6;
    const size_t head = 4 + 2 * words;
    if (!r.Has(4))
        return false;
    const uint32_t rop = r.U32At(0);
    const bool withBitmap = r.Size > head + 2;
    if (!withBitmap) {
        // No bitmap: a pattern fill of the destination (one reserved word more).
        if (!r.Has(head + 2))
            return false;
        const size_t d = head + 2 - 8;
        FDC.PatBlt(QRectF(r.I16At(d + 6), r.I16At(d + 4), r.I16At(d + 2), r.I16At(d)), rop);
        return true;
    }
    int srcX, srcY, srcW, srcH;
    const size_t d = head - 8; // destination height, width, y, x
    if (function == META_STRETCHDIB) {
        srcH = r.I16At(6), srcW = r.I16At(8), srcY = r.I16At(10), srcX = r.I16At(12);
    } else if (function == META_DIBSTRETCHBLT) {
        srcH = r.I16At(4), srcW = r.I16At(6), srcY = r.I16At(8), srcX = r.I16At(10);
    } else {
        srcY = r.I16At(4), srcX = r.I16At(6), srcH = r.I16At(d), srcW = r.I16At(d + 2);
    }
    const QRectF dest(r.I16At(d + 6), r.I16At(d + 4), r.I16At(d + 2), r.I16At(d));
    dib::THeader header;
    if (!dib::ParseHeader(r.P + head, r.Size - head, header) ||
        !FDC.ChargeBitmap(int64_t(header.Width) * header.Height))
        return true; // a bitmap that cannot be read, or one more than a playing decodes, is left out
    TPixelBuffer pixels;
    // Only STRETCHDIB says how its colours are given (after the operation).
    if (!DecodePackedDib(r.P + head, r.Size - head, pixels, header,
                         function == META_STRETCHDIB ? PaletteFor(r.U16At(4)) : nullptr))
        return true;
    // StretchDIB counts the source's rows from the bottom of a bottom-up bitmap.
    if (function == META_STRETCHDIB && !header.TopDown)
        srcY = pixels.Height - srcY - srcH;
    FDC.StretchBits(dest, pixels, QRectF(srcX, srcY, srcW, srcH), rop);
    return true;
}

bool TWmfPlayer::DeviceBitmap(uint16_t function, const TRecord& r)
{
    // The raster operation, the source's size (STRETCHBLT) and corner, the
    // destination, then the bitmap: type, width, height, bytes a row,
    // planes and bits a pixel, then its rows; some writers put a pointer's
    // four bytes before the rows, others (as the format is published) do
    // not: the record's size tells which.
    const size_t head = function == META_STRETCHBLT ? 20 : 16;
    if (!r.Has(4))
        return false;
    const uint32_t rop = r.U32At(0);
    const size_t d = head - 8;
    if (r.Size <= head + 2) {
        // No bitmap: a pattern fill of the destination (one reserved word more).
        if (!r.Has(head + 2))
            return false;
        FDC.PatBlt(QRectF(r.I16At(d + 8), r.I16At(d + 6), r.I16At(d + 4), r.I16At(d + 2)), rop);
        return true;
    }
    const QRectF dest(r.I16At(d + 6), r.I16At(d + 4), r.I16At(d + 2), r.I16At(d));
    const int srcY = r.I16At(4 + (function == META_STRETCHBLT ? 4 : 0)),
              srcX = r.I16At(6 + (function == META_STRETCHBLT ? 4 : 0));
    const QSizeF srcSize = function == META_STRETCHBLT ? QSizeF(r.I16At(6), r.I16At(4)) : dest.size();
    if (!r.Has(head + 10))
        return false;
    const int width = r.I16At(head + 2), height = r.I16At(head + 4), rowBytes = r.I16At(head + 6);
    const int bits = r.P[head + 9];
    if (width <= 0 || height <= 0 || r.P[head + 8] != 1 || (bits != 1 && bits != 24 && bits != 32) ||
        rowBytes < (width * bits + 7) / 8)
        return true; // a bitmap of another depth is left out
    const size_t rowsSize = size_t(rowBytes) * size_t(height);
    const size_t bitsAt =
        r.Size == head + 10 + rowsSize || !r.Has(head + 14 + rowsSize) ? head + 10 : head + 14;
    if (!r.Has(bitsAt + rowsSize) || !FDC.ChargeBitmap(int64_t(width) * height))
        return true;
    // Rows top to bottom; a set bit of a one-bit bitmap is the background
    // colour, a clear one the text colour.
    TPixelBuffer pixels(width, height);
    const uint8_t* rows = r.P + bitsAt;
    const TMetaState& s = FDC.State();
    const auto argb = [](TColor c) {
        return 0xFF000000u | (uint32_t(c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    };
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = rows + size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            if (bits == 1) {
                pixels.At(x, y) = argb((row[x / 8] >> (7 - x % 8)) & 1 ? s.BkColor : s.TextColor);
            } else {
                const uint8_t* p = row + x * (bits / 8);
                pixels.At(x, y) = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            }
        }
    }
    FDC.StretchBits(dest, pixels, QRectF(QPointF(srcX, srcY), srcSize), rop);
    return true;
}

bool TWmfPlayer::PaletteRecord(uint16_t function, const TRecord& r)
{
    // A palette: its first entry and count, then the entries (red, green,
    // blue, flags); a selection names one; the others change the palette selected.
    std::vector<uint32_t>& selected = FDC.State().Palette;
    if (function == META_SELECTPALETTE) {
        if (!r.Has(2))
            return false;
        if (const TMetaObject* palette = Object(r.U16At(0), TMetaObject::Palette))
            selected = palette->PaletteValue;
        return true;
    }
    if (function == META_RESIZEPALETTE) {
        if (!r.Has(2))
            return false;
        selected.resize(r.U16At(0));
        return true;
    }
    if (!r.Has(4))
        return false;
    const size_t start = r.U16At(0), count = r.U16At(2);
    if (!r.Has(4 + 4 * count))
        return false;
    std::vector<uint32_t> entries = PaletteEntries(r.P + 4, count);
    if (function == META_CREATEPALETTE) {
        TMetaObject object;
        object.Kind = TMetaObject::Palette;
        object.PaletteValue = std::move(entries);
        return CreateObject(object);
    }
    for (size_t i = 0; i < count && start + i < selected.size(); ++i)
        selected[start + i] = entries[i];
    return true;
}

// ---- Pattern brushes and regions

bool TWmfPlayer::CreatePatternBrush(uint16_t function, const TRecord& r)
{
    TMetaObject object;
    object.Kind = TMetaObject::Brush;
    if (function == META_DIBCREATEPATTERNBRUSH) {
        // Style and colour use, then a packed bitmap.
        if (!r.Has(4))
            return false;
        TPixelBuffer pixels;
        dib::THeader header;
        if (PatternAllowed(FDC, r.P + 4, r.Size - 4) &&
            DecodePackedDib(r.P + 4, r.Size - 4, pixels, header, PaletteFor(r.U16At(2)))) {
            object.BrushValue.Style = BS_DIBPATTERN;
            object.BrushValue.Pattern =
                QImage(reinterpret_cast<const uchar*>(pixels.Pixels.data()), pixels.Width, pixels.Height,
                       pixels.Width * 4, QImage::Format_ARGB32_Premultiplied)
                    .copy();
        }
        return CreateObject(object); // a brush that cannot be read is solid white
    }
    // A device bitmap of one bit a pixel (width, height, bytes a row at 2,
    // 4, 6; planes and bits a pixel at 8 and 9) and its rows after 32 bytes.
    if (!r.Has(10))
        return false;
    const int width = r.I16At(2), height = r.I16At(4), rowBytes = r.I16At(6);
    if (r.P[8] == 1 && r.P[9] == 1 && width > 0 && height > 0 && width <= 64 && height <= 64 &&
        rowBytes >= (width + 7) / 8 && r.Has(32 + size_t(rowBytes) * height) &&
        FDC.ChargeBitmap(int64_t(width) * height)) {
        QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool set = (r.P[32 + size_t(y) * rowBytes + x / 8] >> (7 - x % 8)) & 1;
                image.setPixel(x, y, set ? 0xFFFFFFFFu : 0xFF000000u);
            }
        object.BrushValue.Style = BS_PATTERN;
        object.BrushValue.Pattern = image;
        object.BrushValue.Monochrome = true;
    }
    return CreateObject(object);
}

bool TWmfPlayer::CreateRegion(const TRecord& r)
{
    // A header of 22 bytes (its scan count at 10), then scans: a count of
    // edges, top and bottom, the edges in pairs, and the count again.
    TMetaObject object;
    object.Kind = TMetaObject::Region;
    if (!r.Has(22))
        return false;
    const int scans = r.I16At(10);
    size_t at = 22;
    std::vector<QRectF> rects;
    for (int i = 0; i < scans; ++i) {
        if (!r.Has(at + 6))
            return false;
        const int edges = r.U16At(at), top = r.I16At(at + 2), bottom = r.I16At(at + 4);
        if (!r.Has(at + 6 + 2 * size_t(edges) + 2))
            return false;
        if (!FDC.Charge(edges))
            return true;
        for (int e = 0; e + 1 < edges; e += 2)
            rects.emplace_back(QPointF(r.I16At(at + 6 + 2 * e), top),
                               QPointF(r.I16At(at + 8 + 2 * e), bottom));
        at += 6 + 2 * size_t(edges) + 2;
    }
    object.RegionValue = std::move(rects);
    return CreateObject(object);
}

bool TWmfPlayer::RegionRecord(uint16_t function, const TRecord& r)
{
    if (!r.Has(2))
        return false;
    const TMetaObject* region = Object(r.U16At(0), TMetaObject::Region);
    if (function == META_SELECTCLIPREGION) {
        // Region 0 or none: no clip.
        FDC.SelectClip(region ? std::optional<QRegion>(FDC.LogicalRegion(region->RegionValue)) : std::nullopt,
                       RGN_COPY);
        return true;
    }
    if (!region)
        return true;
    const QRegion shape = FDC.LogicalRegion(region->RegionValue);
    switch (function) {
    case META_INVERTREGION:
        FDC.InvertRegion(shape);
        return true;
    case META_PAINTREGION:
        FDC.FillRegion(shape, FDC.State().Brush);
        return true;
    default:
        break;
    }
    if (!r.Has(4))
        return false;
    const TMetaObject* brush = Object(r.U16At(2), TMetaObject::Brush);
    if (!brush)
        return true;
    if (function == META_FILLREGION) {
        FDC.FillRegion(shape, brush->BrushValue);
    } else {
        if (!r.Has(8))
            return false;
        FDC.FrameRegion(shape, brush->BrushValue, r.I16At(6), r.I16At(4));
    }
    return true;
}

// ---------------------------------------------------------------------------

namespace {

// Calls Visit(function, record) for each record from Offset on while it
// answers true; false when a record does not fit the file.
template <class F> void WalkRecords(const uint8_t* data, size_t size, size_t offset, F visit)
{
    while (offset + 6 <= size) {
        const uint64_t recordSize = uint64_t(U32(data + offset)) * 2;
        const uint16_t function = U16(data + offset + 4);
        if (recordSize < 6 || recordSize > size - offset)
            return;
        if (!visit(function, TRecord{data + offset + 6, static_cast<size_t>(recordSize - 6)}))
            return;
        offset += static_cast<size_t>(recordSize);
    }
}

// The enhanced metafile an old-format one carries in its comments (as the
// platform's conversions and LibreOffice write it): escapes of the comment
// kind, each holding the next chunk of it, in order, with its whole size
// and the bytes that remain after the chunk. False when there is none, or
// its chunks do not make it whole.
bool EmbeddedEmf(const uint8_t* data, size_t size, size_t first, std::vector<uint8_t>& emf)
{
    constexpr uint16_t MfComment = 0x000F;
    constexpr uint32_t Signature = 0x43464D57u; // "WMFC"
    constexpr size_t Head = 38;                 // the escape's function and count, then the chunk's header
    uint32_t total = 0, chunks = 0, seen = 0;
    bool whole = true;
    WalkRecords(data, size, first, [&](uint16_t function, const TRecord& r) {
        if (function != META_ESCAPE || !r.Has(Head) || r.U16At(0) != MfComment || r.U32At(4) != Signature ||
            r.U32At(8) != 1)
            return function != META_EOF;
        const uint32_t count = r.U32At(22), current = r.U32At(26), remaining = r.U32At(30);
        if (seen == 0) {
            total = r.U32At(34);
            chunks = count;
        }
        whole = r.U32At(34) == total && count == chunks && r.Has(Head + size_t(current)) &&
                r.U16At(2) >= 34 + current && current <= total - emf.size() &&
                remaining == total - emf.size() - current;
        if (whole) {
            emf.insert(emf.end(), r.P + Head, r.P + Head + current);
            ++seen;
        }
        return whole;
    });
    return seen > 0 && whole && seen == chunks && emf.size() == total && total >= 88 &&
           U32(emf.data()) == 1 && U32(emf.data() + 40) == 0x464D4520u;
}

} // namespace

bool PlayWmf(const uint8_t* data, size_t size, TPixelBuffer& target, TMetafilePlayStats* stats)
{
    // The placeable header (22 bytes) gives the frame in the file's units,
    // the metafile header (18 bytes) the number of objects.
    if (size < 22 + 18 || U32(data) != PlaceableKey || target.Empty())
        return false;
    const int left = I16(data + 6), top = I16(data + 8), right = I16(data + 10), bottom = I16(data + 12);
    const uint8_t* header = data + 22;
    const size_t headerSize = size_t(U16(header + 2)) * 2;
    if (headerSize < 18 || 22 + headerSize > size)
        return false;
    const size_t first = 22 + headerSize;
    // A file that carries an enhanced metafile is drawn from it, as other
    // readers draw it: the old format's 16-bit coordinates cannot hold all
    // that it holds (a gradient's bands reaching past the frame).
    std::vector<uint8_t> emf;
    if (EmbeddedEmf(data, size, first, emf))
        return PlayEmf(emf.data(), emf.size(), target, stats);
    bool over = false;
    WalkRecords(data, size, first, [&](uint16_t function, const TRecord& r) {
        over = over || TWmfPlayer::ReadsDestination(function, r);
        return function != META_EOF && !over;
    });
    if (over)
        std::fill(target.Pixels.begin(), target.Pixels.end(), 0xFFFFFFFFu);
    // The file's device counts Inch units to the inch; its frame fills the
    // bitmap. As a picture drawn into a rectangle, the file starts in the
    // anisotropic mode with the frame its window and its viewport: a window
    // it sets fills the picture unless it sets a viewport of its own. (No
    // units per inch count as 96, as for the picture's size.)
    const int inch = U16(data + 14) ? U16(data + 14) : 96;
    const double width = right != left ? right - left : 1, height = bottom != top ? bottom - top : 1;
    TMetaDC dc(target, stats);
    dc.SetDeviceTransform(QTransform::fromTranslate(-left, -top) *
                          QTransform::fromScale(target.Width / width, target.Height / height));
    dc.SetDevicePixelsPerMM(inch / 25.4, inch / 25.4);
    dc.SetIsotropicCentred(true);
    dc.SetMapMode(MAP_ANISOTROPIC);
    dc.SetOrigin(true, QPointF(left, top));
    dc.SetOrigin(false, QPointF(left, top));
    dc.SetExtent(true, width, height);
    dc.SetExtent(false, width, height);
    TWmfPlayer player(dc, U16(header + 10));
    bool valid = false;
    WalkRecords(data, size, first, [&](uint16_t function, const TRecord& r) {
        if (function == META_EOF) {
            valid = true;
            return false;
        }
        dc.CountRecord();
        return dc.Charge(RecordCost) && player.Play(function, r.P, r.Size) && !dc.Spent();
    });
    return valid;
}

bool WindowOfWmf(const uint8_t* data, size_t size, TRect& window)
{
    if (size < 18 || U16(data) > 2 || U16(data + 2) != 9)
        return false;
    bool found = false;
    int orgX = 0, orgY = 0;
    WalkRecords(data, size, 18, [&](uint16_t function, const TRecord& r) {
        if (function == META_SETWINDOWORG && r.Has(4)) {
            orgY = r.I16At(0);
            orgX = r.I16At(2);
        } else if (function == META_SETWINDOWEXT && r.Has(4) && r.I16At(0) && r.I16At(2)) {
            window = TRect{orgX, orgY, orgX + r.I16At(2), orgY + r.I16At(0)};
            found = true;
            return false;
        }
        return function != META_EOF;
    });
    return found;
}

} // namespace metafileplayer
