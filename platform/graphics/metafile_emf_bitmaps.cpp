// The bitmap records of enhanced metafiles: bitmaps copied, stretched,
// blended or keyed on a colour, and those drawn through a mask or onto a
// parallelogram; offsets count from the record's start.
#include <cstdint>
#include <vector>

#include "platform/graphics/dibcodec.h"
#include "platform/graphics/metafile_player.h"

namespace metafileplayer {

bool TEmfPlayer::BitmapRecord(uint32_t type, const TRecord& r)
{
    QRectF dest, source;
    uint32_t rop = SRCCOPY;
    size_t dib = 0;
    bool blend = false, fromBottom = false, transparent = false, ownAlpha = true;
    int alpha = 255;
    switch (type) {
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT: {
        if (!r.Has(type == EMR_BITBLT ? 100 : 108))
            return false;
        dest = QRectF(r.I32At(24), r.I32At(28), r.I32At(32), r.I32At(36));
        const QSizeF size = type == EMR_BITBLT ? dest.size() : QSizeF(r.I32At(100), r.I32At(104));
        source = QRectF(QPointF(r.I32At(44), r.I32At(48)), size);
        if (type == EMR_ALPHABLEND) {
            // The constant alpha, and the source's own alpha with AC_SRC_ALPHA.
            blend = true;
            alpha = r.P[42];
            ownAlpha = r.P[43] != 0;
        } else if (type == EMR_TRANSPARENTBLT) {
            transparent = true;
        } else {
            rop = r.U32At(40);
        }
        // Without a bitmap, a pattern fill.
        if (r.U32At(88) == 0 || r.U32At(96) == 0) {
            if (type == EMR_BITBLT || type == EMR_STRETCHBLT)
                FDC.PatBlt(dest, rop);
            return true;
        }
        dib = 84;
        break;
    }
    case EMR_STRETCHDIBITS:
        if (!r.Has(80))
            return false;
        dest = QRectF(r.I32At(24), r.I32At(28), r.I32At(72), r.I32At(76));
        source = QRectF(r.I32At(32), r.I32At(36), r.I32At(40), r.I32At(44));
        rop = r.U32At(68);
        dib = 48;
        fromBottom = true;
        break;
    default: // EMR_SETDIBITSTODEVICE
        if (!r.Has(76))
            return false;
        dest = QRectF(r.I32At(24), r.I32At(28), r.I32At(40), r.I32At(44));
        source = QRectF(r.I32At(32), r.I32At(36), r.I32At(40), r.I32At(44));
        dib = 48;
        fromBottom = true;
        break;
    }
    TPixelBuffer pixels;
    if (!DibAt(r, dib, dib == 84 ? 80 : 64, pixels))
        return true; // a bitmap that cannot be read, or one more than a playing decodes, is left out
    // These count the source's rows from the bottom of a bottom-up bitmap.
    dib::THeader header;
    const uint32_t offInfo = r.U32At(dib), infoSize = r.U32At(dib + 4);
    if (fromBottom && dib::ParseHeader(r.P + offInfo, infoSize, header) && !header.TopDown)
        source.moveTop(pixels.Height - source.top() - source.height());
    if (blend && !ownAlpha)
        for (uint32_t& p : pixels.Pixels)
            p |= 0xFF000000u;
    if (transparent) {
        // The pixels of the transparent colour are left out.
        const TColor key = ColorRef(r.U32At(40));
        const uint32_t wanted = (uint32_t(key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF);
        for (uint32_t& p : pixels.Pixels)
            if ((p & 0xFFFFFF) == wanted)
                p = 0;
            else
                p |= 0xFF000000u;
        blend = true;
    }
    FDC.StretchBits(dest, pixels, source, rop, blend, alpha);
    return true;
}

bool TEmfPlayer::MaskedBitmapRecord(uint32_t type, const TRecord& r)
{
    // MASKBLT: the destination, the raster operations (foreground in the
    // low three bytes, background in the high one), the source and its
    // bitmap at 84, the mask's corner at 100 and its bitmap at 112.
    // PLGBLT: the parallelogram's three corners, the source rectangle, its
    // bitmap at 96, the mask's corner at 112 and its bitmap at 124.
    const bool plg = type == EMR_PLGBLT;
    if (!r.Has(plg ? 140 : 128))
        return false;
    TPixelBuffer pixels;
    if (!DibAt(r, plg ? 96 : 84, plg ? 92 : 80, pixels))
        return true;
    QRectF source = plg ? QRectF(r.I32At(48), r.I32At(52), r.I32At(56), r.I32At(60))
                        : QRectF(r.I32At(44), r.I32At(48), r.I32At(32), r.I32At(36));
    const QPoint maskAt(r.I32At(plg ? 112 : 100), r.I32At(plg ? 116 : 104));
    TPixelBuffer mask;
    const bool masked = r.U32At(plg ? 128 : 116) != 0 && DibAt(r, plg ? 124 : 112, plg ? 120 : 108, mask);
    // The mask's clear (black) pixels take the background operation.
    TPixelBuffer fore = pixels, back = pixels;
    if (masked) {
        for (int y = 0; y < pixels.Height; ++y)
            for (int x = 0; x < pixels.Width; ++x) {
                const int mx = x - int(source.left()) + maskAt.x(), my = y - int(source.top()) + maskAt.y();
                const bool set = mx >= 0 && my >= 0 && mx < mask.Width && my < mask.Height &&
                                 (mask.At(mx, my) & 0xFFFFFF) != 0;
                (set ? back : fore).At(x, y) = 0;
                (set ? fore : back).At(x, y) |= 0xFF000000u;
            }
    }
    if (plg) {
        const QPointF corners[3] = {PointL(r, 24), PointL(r, 32), PointL(r, 40)};
        FDC.ParallelogramBits(corners, masked ? fore : pixels, source);
        return true;
    }
    const QRectF dest(r.I32At(24), r.I32At(28), r.I32At(32), r.I32At(36));
    const uint32_t rop = r.U32At(40);
    FDC.StretchBits(dest, masked ? fore : pixels, source, rop & 0xFFFFFF, masked);
    const uint32_t backRop = (rop >> 8) & 0xFF0000;
    if (masked && backRop != 0xAA0000)
        FDC.StretchBits(dest, back, source, backRop, true);
    return true;
}

} // namespace metafileplayer
