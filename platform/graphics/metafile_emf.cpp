// Playing enhanced (EMF) metafiles: the header's frame mapped onto the
// bitmap, the handle table with the stock objects, points, bitmaps and
// regions read from records, and the entry that walks a file's records.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/graphics/dibcodec.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/metafile_player.h"

using graphicio::I32;
using graphicio::U16;
using graphicio::U32;

namespace metafileplayer {

namespace {

constexpr uint32_t EmfSignature = 0x464D4520u; // " EMF"
constexpr uint32_t StockFlag = 0x80000000u;

// The stock objects a record may select by number.
bool StockObject(uint32_t index, TMetaObject& out)
{
    out = TMetaObject();
    switch (index & ~StockFlag) {
    case 0: // white, light grey, grey, dark grey and black brushes
    case 1:
    case 2:
    case 3:
    case 4: {
        static const TColor colours[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0};
        out.Kind = TMetaObject::Brush;
        out.BrushValue.Color = colours[index & 7];
        return true;
    }
    case 5:
        out.Kind = TMetaObject::Brush;
        out.BrushValue.Style = BS_NULL;
        return true;
    case 6: // white, black and no pen
    case 7:
    case 8:
        out.Kind = TMetaObject::Pen;
        out.PenValue.Cosmetic = true;
        out.PenValue.Color = (index & ~StockFlag) == 6 ? 0xFFFFFF : 0;
        out.PenValue.Style = (index & ~StockFlag) == 8 ? PS_NULL : PS_SOLID;
        return true;
    case 10: // the fixed and system fonts
    case 11:
    case 12:
    case 13:
    case 14:
    case 16:
    case 17:
        out.Kind = TMetaObject::Font;
        out.FontValue.Face =
            (index & ~StockFlag) == 10 || (index & ~StockFlag) == 11 || (index & ~StockFlag) == 16
                ? "Courier New"
                : "Arial";
        out.FontValue.Height = -13;
        return true;
    default:
        return false;
    }
}

} // namespace

QRectF TEmfPlayer::RectL(const TRecord& r, size_t at) const
{
    return QRectF(QPointF(r.I32At(at), r.I32At(at + 4)), QPointF(r.I32At(at + 8), r.I32At(at + 12)));
}

bool TEmfPlayer::PointsAt(const TRecord& r, size_t at, uint32_t count, bool small,
                          std::vector<QPointF>& out) const
{
    const size_t each = small ? 4 : 8;
    if (at > r.Size || count > (r.Size - at) / each)
        return false;
    out.clear();
    out.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t p = at + i * each;
        if (small)
            out.emplace_back(r.I16At(p), r.I16At(p + 2));
        else
            out.emplace_back(r.I32At(p), r.I32At(p + 4));
    }
    return true;
}

bool TEmfPlayer::DibAt(const TRecord& r, size_t at, size_t usageAt, TPixelBuffer& out)
{
    if (!r.Has(at + 16) || !r.Has(usageAt + 4))
        return false;
    const uint32_t offInfo = r.U32At(at), infoSize = r.U32At(at + 4);
    const uint32_t offBits = r.U32At(at + 8), bitsSize = r.U32At(at + 12);
    if (infoSize < 12 || offInfo > r.Size || infoSize > r.Size - offInfo || offBits > r.Size ||
        bitsSize > r.Size - offBits)
        return false;
    dib::THeader header;
    if (!dib::ParseHeader(r.P + offInfo, infoSize, header) ||
        !FDC.ChargeBitmap(int64_t(header.Width) * header.Height))
        return false;
    return DecodeDib(r.P + offInfo, infoSize, r.P + offBits, bitsSize, out,
                     r.U32At(usageAt) == DIB_PAL_COLORS ? &FDC.State().Palette : nullptr);
}

bool TEmfPlayer::PaletteRecord(uint32_t type, const TRecord& r)
{
    // CREATEPALETTE: the handle, a version and a count of 16 bits, the
    // entries (red, green, blue, flags). SELECTPALETTE: a handle.
    // SETPALETTEENTRIES: the handle, the first entry, a count, the entries.
    // RESIZEPALETTE: the handle and the new count.
    if (!r.Has(12))
        return false;
    const uint32_t index = r.U32At(8);
    TMetaObject* handle = Handle(index);
    std::vector<uint32_t>& selected = FDC.State().Palette;
    switch (type) {
    case EMR_SELECTPALETTE:
        if (handle && handle->Kind == TMetaObject::Palette)
            selected = handle->PaletteValue;
        else if (index & StockFlag)
            selected.clear(); // the default palette
        return true;
    case EMR_CREATEPALETTE: {
        if (!r.Has(16))
            return false;
        const size_t count = r.U16At(14);
        if (!r.Has(16 + 4 * count))
            return false;
        if (handle) {
            *handle = TMetaObject();
            handle->Kind = TMetaObject::Palette;
            handle->PaletteValue = PaletteEntries(r.P + 16, count);
        }
        return true;
    }
    case EMR_RESIZEPALETTE:
        if (!r.Has(16))
            return false;
        if (handle && handle->Kind == TMetaObject::Palette)
            handle->PaletteValue.resize(std::min<uint32_t>(r.U32At(12), 1024));
        return true;
    default: {
        if (!r.Has(20))
            return false;
        const uint32_t start = r.U32At(12), count = r.U32At(16);
        if (count > (r.Size - 20) / 4)
            return false;
        if (handle && handle->Kind == TMetaObject::Palette) {
            const std::vector<uint32_t> entries = PaletteEntries(r.P + 20, count);
            for (uint32_t i = 0; i < count && size_t(start) + i < handle->PaletteValue.size(); ++i)
                handle->PaletteValue[start + i] = entries[i];
        }
        return true;
    }
    }
}

bool TEmfPlayer::RegionAt(const TRecord& r, size_t at, size_t size, std::vector<QRectF>& out) const
{
    // A header of 32 bytes (its rectangle count at 8), then the rectangles.
    if (size < 32 || at > r.Size || size > r.Size - at)
        return false;
    const uint32_t count = r.U32At(at + 8);
    if (count > (size - 32) / 16)
        return false;
    out.clear();
    out.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const QRectF rect = RectL(r, at + 32 + 16 * size_t(i));
        if (!rect.isEmpty())
            out.push_back(rect);
    }
    return true;
}

TMetaObject* TEmfPlayer::Handle(uint32_t index)
{
    // Index 0 stands for the file itself.
    return index > 0 && index < FHandles.size() ? &FHandles[index] : nullptr;
}

const TMetaObject* TEmfPlayer::ObjectAt(uint32_t index)
{
    if (index & StockFlag)
        return StockObject(index, FStock) ? &FStock : nullptr;
    return Handle(index);
}

// ---------------------------------------------------------------------------

namespace {

template <class F> void WalkEmf(const uint8_t* data, size_t size, F visit)
{
    size_t offset = 0;
    while (offset + 8 <= size) {
        const uint32_t type = U32(data + offset), recordSize = U32(data + offset + 4);
        if (recordSize < 8 || recordSize > size - offset)
            return;
        if (!visit(type, TRecord{data + offset, recordSize}))
            return;
        offset += recordSize;
    }
}

} // namespace

bool PlayEmf(const uint8_t* data, size_t size, TPixelBuffer& target, TMetafilePlayStats* stats)
{
    if (size < 88 || U32(data) != EMR_HEADER || U32(data + 40) != EmfSignature || target.Empty())
        return false;
    const TRecord header{data, size};
    // The reference device: pixels and millimetres.
    const double devX = header.I32At(72), devY = header.I32At(76);
    const double mmX = header.I32At(80), mmY = header.I32At(84);
    const double perMMX = devX > 0 && mmX > 0 ? devX / mmX : 96 / 25.4;
    const double perMMY = devY > 0 && mmY > 0 ? devY / mmY : 96 / 25.4;
    // The frame (0.01 mm) in the device's pixels, else the bounds.
    QRectF frame(QPointF(header.I32At(24) * perMMX / 100, header.I32At(28) * perMMY / 100),
                 QPointF(header.I32At(32) * perMMX / 100, header.I32At(36) * perMMY / 100));
    if (frame.width() <= 0 || frame.height() <= 0)
        frame = QRectF(QPointF(header.I32At(8), header.I32At(12)),
                       QPointF(header.I32At(16) + 1.0, header.I32At(20) + 1.0));
    if (frame.width() <= 0 || frame.height() <= 0)
        return false;
    bool over = false;
    WalkEmf(data, size, [&](uint32_t type, const TRecord& r) {
        over = over || TEmfPlayer::ReadsDestination(type, r);
        return type != EMR_EOF && !over;
    });
    if (over)
        std::fill(target.Pixels.begin(), target.Pixels.end(), 0xFFFFFFFFu);
    TMetaDC dc(target, stats);
    dc.SetDevicePixelsPerMM(perMMX, perMMY);
    dc.SetDeviceTransform(
        QTransform::fromTranslate(-frame.left(), -frame.top()) *
        QTransform::fromScale(target.Width / frame.width(), target.Height / frame.height()));
    TEmfPlayer player(dc, U16(data + 56));
    bool valid = false;
    WalkEmf(data, size, [&](uint32_t type, const TRecord& r) {
        if (type == EMR_EOF) {
            valid = true;
            return false;
        }
        if (type == EMR_HEADER)
            return true;
        dc.CountRecord();
        return dc.Charge(RecordCost) && player.Play(type, r.P, r.Size) && !dc.Spent();
    });
    return valid;
}

} // namespace metafileplayer
