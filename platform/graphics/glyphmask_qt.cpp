// Glyph masks: a glyph's coverage taken from the toolkit's own drawing of it,
// checked against the toolkit over varied pixels, and blended as it blends.
#include "platform/graphics/glyphmask_qt.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Each channel of X times A / 255, rounded as the toolkit rounds it.
inline uint32_t ByteMul(uint32_t x, uint32_t a)
{
    constexpr uint64_t Channels = 0x00FF00FF00FF00FFull;
    uint64_t t = ((uint64_t(x) | (uint64_t(x) << 24)) & Channels) * a;
    t = ((t + ((t >> 8) & Channels) + 0x0080008000800080ull) >> 8) & Channels;
    return static_cast<uint32_t>(t | (t >> 24));
}

// Glyph Index of Font drawn by the toolkit at Position on Image in Pen, with
// the painter set up as the canvas sets up its own.
void DrawWithToolkit(QImage& image, const QRawFont& font, QGlyphRun::GlyphRunFlags flags, quint32 index,
                     const QPointF& position, const QColor& pen)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setBackgroundMode(Qt::TransparentMode);
    p.setClipRect(image.rect());
    p.setPen(pen);
    QGlyphRun run;
    run.setRawFont(font);
    run.setFlags(flags);
    run.setGlyphIndexes({index});
    run.setPositions({position});
    p.drawGlyphRun(QPointF(0, 0), run);
}

// Opaque pixels of many values, that a drawing is checked over.
void FillVaried(QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = 0xFF000000u | (((x * 59u + y * 149u) & 0xFF) << 16) |
                     (((x * 113u ^ y * 29u) & 0xFF) << 8) | ((x + y) * 47u & 0xFF);
    }
}

#if defined(__SSE2__)
// Each 16-bit lane of X times the one of A / 255, rounded as ByteMul rounds:
// products stay below 2^16, and so do the sums that round them.
inline __m128i ByteMul16(__m128i x, __m128i a)
{
    __m128i t = _mm_mullo_epi16(x, a);
    t = _mm_add_epi16(t, _mm_srli_epi16(t, 8));
    t = _mm_add_epi16(t, _mm_set1_epi16(0x80));
    return _mm_srli_epi16(t, 8);
}

// Four pixels blended at once, each as the scalar blend does: the source of
// its coverage plus the destination times the source's inverse alpha.
inline void BlendFour(uint32_t* d, const uint8_t* coverage, const uint32_t* source)
{
    const __m128i src =
        _mm_set_epi32(static_cast<int>(source[coverage[3]]), static_cast<int>(source[coverage[2]]),
                      static_cast<int>(source[coverage[1]]), static_cast<int>(source[coverage[0]]));
    const __m128i inverse = _mm_sub_epi32(_mm_set1_epi32(255), _mm_srli_epi32(src, 24));
    const __m128i inverse16 = _mm_or_si128(inverse, _mm_slli_epi32(inverse, 16));
    const __m128i zero = _mm_setzero_si128();
    const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    const __m128i low = ByteMul16(_mm_unpacklo_epi8(dst, zero), _mm_unpacklo_epi32(inverse16, inverse16));
    const __m128i high = ByteMul16(_mm_unpackhi_epi8(dst, zero), _mm_unpackhi_epi32(inverse16, inverse16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_add_epi32(_mm_packus_epi16(low, high), src));
}
#endif

} // namespace

void TCoverageBlend::MakeFor(uint32_t color)
{
    Color = color;
    for (uint32_t a = 0; a < 256; ++a)
        Source[a] = ByteMul(color, a);
}

void TakeGlyphMask(const QRawFont& font, QGlyphRun::GlyphRunFlags flags, quint32 index, const QPointF& at,
                   TGlyphMask& mask)
{
    mask = TGlyphMask();
    mask.State = TGlyphMask::Toolkit;
    // Between pixels across, the toolkit draws another form of the glyph;
    // down, it rounds to a whole pixel, which a fraction this small never
    // moves past wherever the pen stands.
    const qreal down = std::round(at.y());
    if (!font.isValid() || at.x() != std::floor(at.x()) || std::abs(at.y() - down) > 1.0 / 256)
        return;
    // A square around the pen with room to spare around the glyph's outline;
    // ink that reaches its edge may go on beyond it. Large glyphs are few on
    // a line and are left to the toolkit, which keeps the squares small.
    const QRectF bounds = font.boundingRect(index).translated(at);
    const qreal reach = std::max({std::abs(bounds.left()), std::abs(bounds.right()), std::abs(bounds.top()),
                                  std::abs(bounds.bottom()), font.pixelSize()});
    if (!(reach < 128))
        return;
    const int half = static_cast<int>(std::ceil(reach)) + 8;
    const int side = 2 * half;
    const QPointF position(half + at.x(), half + at.y());
    QImage ink(side, side, QImage::Format_ARGB32_Premultiplied);
    ink.fill(0);
    DrawWithToolkit(ink, font, flags, index, position, Qt::black);
    int left = side;
    int top = side;
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < side; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(ink.constScanLine(y));
        for (int x = 0; x < side; ++x) {
            if (row[x] == 0)
                continue;
            // A black pen over nothing leaves only its coverage: anything else
            // is a glyph of its own colours.
            if ((row[x] & 0x00FFFFFFu) != 0 || x == 0 || y == 0 || x == side - 1 || y == side - 1)
                return;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) {
        mask.State = TGlyphMask::Ready;
        return;
    }
    mask.Left = left - half;
    mask.Top = top - half;
    mask.Width = right - left + 1;
    mask.Height = bottom - top + 1;
    mask.Stride = (mask.Width + 3) & ~3;
    mask.Coverage.assign(static_cast<size_t>(mask.Stride) * static_cast<size_t>(mask.Height), 0);
    for (int y = 0; y < mask.Height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(ink.constScanLine(top + y));
        for (int x = 0; x < mask.Width; ++x) {
            const int at = y * mask.Stride + x;
            mask.Coverage[static_cast<size_t>(at)] = static_cast<uint8_t>(row[left + x] >> 24);
            if (mask.Blank < 0 && mask.Coverage[static_cast<size_t>(at)] == 0)
                mask.Blank = at;
        }
    }
    // The toolkit's drawing in another colour over varied pixels must be what
    // the mask blends there.
    QImage seen(side, side, QImage::Format_ARGB32_Premultiplied);
    FillVaried(seen);
    QImage blended = seen.copy();
    const QColor pen(0x2A, 0x8F, 0xD3);
    DrawWithToolkit(seen, font, flags, index, position, pen);
    TCoverageBlend blend;
    blend.MakeFor(pen.rgb());
    mask.State = TGlyphMask::Ready;
    BlendGlyphMask(mask, blend, TGlyphTarget{blended.bits(), blended.bytesPerLine(), TRect{0, 0, side, side}},
                   half, half);
    if (seen != blended) {
        mask = TGlyphMask();
        mask.State = TGlyphMask::Toolkit;
    }
    mask.Over = TGlyphMask::TOver();
}

namespace {

// The pixel that blending Blend's colour through coverage A over D gives.
inline uint32_t BlendOne(uint32_t d, uint32_t a, const TCoverageBlend& blend)
{
    const uint32_t source = blend.Source[a];
    return source + ByteMul(d, 255 - (source >> 24));
}

// The box's pixels blended over Background, made when the glyph is asked
// for the same colour over the same background twice running (a glyph
// whose lines alternate between two never pays for making them).
const uint32_t* OverBackground(TGlyphMask& mask, const TCoverageBlend& blend, uint32_t background)
{
    TGlyphMask::TOver& over = mask.Over;
    const bool same = over.Color == blend.Color && over.Background == background;
    if (same && over.Made)
        return over.Pixels.data();
    if (same && over.Asked) {
        over.Pixels.resize(mask.Coverage.size());
        for (size_t i = 0; i < mask.Coverage.size(); ++i)
            over.Pixels[i] = BlendOne(background, mask.Coverage[i], blend);
        over.Made = true;
        return over.Pixels.data();
    }
    over.Made = false;
    over.Asked = true;
    over.Color = blend.Color;
    over.Background = background;
    return nullptr;
}

} // namespace

void BlendGlyphMask(TGlyphMask& mask, const TCoverageBlend& blend, const TGlyphTarget& target, int x, int y)
{
    const int64_t boxLeft = int64_t(x) + mask.Left;
    const int64_t boxTop = int64_t(y) + mask.Top;
    const int64_t left = std::max<int64_t>(boxLeft, target.Clip.Left);
    const int64_t right = std::min<int64_t>(boxLeft + mask.Width, target.Clip.Right);
    const int64_t top = std::max<int64_t>(boxTop, target.Clip.Top);
    const int64_t bottom = std::min<int64_t>(boxTop + mask.Height, target.Clip.Bottom);
    if (left >= right || top >= bottom)
        return;
    const uint32_t color = blend.Color;
    const bool opaque = color >= 0xFF000000u;
    const int width = static_cast<int>(right - left);
    // Most glyphs land on pixels of one colour, the background: a pixel the
    // glyph leaves blank shows which, and where the pixels under the glyph
    // are all of it, the glyph's pixels blended over it once are copied.
    // Elsewhere (a neighbour's ink, a background of many colours) they are
    // blended.
    const uint32_t* over = nullptr;
    uint32_t background = 0;
    if (mask.Blank >= 0) {
        const int64_t blankX = boxLeft + mask.Blank % mask.Stride;
        const int64_t blankY = boxTop + mask.Blank / mask.Stride;
        if (blankX >= left && blankX < right && blankY >= top && blankY < bottom) {
            background =
                reinterpret_cast<const uint32_t*>(target.Bits + blankY * target.BytesPerLine)[blankX];
            over = OverBackground(mask, blend, background);
        }
    }
#if defined(__SSE2__)
    // The pixels blended four at a time: past the part of a row that shows,
    // up to the row's stride where the clip leaves room (coverage 0 there
    // leaves the pixels as they are).
    const int64_t skipped = left - boxLeft;
    const int64_t room = std::min<int64_t>(mask.Stride - skipped, target.Clip.Right - left);
    const int grouped = static_cast<int>(std::min<int64_t>((width + 3) & ~3, room) & ~3);
    const __m128i backgrounds = _mm_set1_epi32(static_cast<int>(background));
#endif
    for (int64_t row = top; row < bottom; ++row) {
        const int64_t at = (row - boxTop) * mask.Stride + (left - boxLeft);
        const uint8_t* coverage = mask.Coverage.data() + at;
        const uint32_t* blended = over ? over + at : nullptr;
        auto* d = reinterpret_cast<uint32_t*>(target.Bits + row * target.BytesPerLine) + left;
        int i = 0;
#if defined(__SSE2__)
        for (; i < grouped; i += 4) {
            uint32_t four;
            std::memcpy(&four, coverage + i, sizeof four);
            if (four == 0)
                continue;
            if (blended) {
                const __m128i under = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
                if (_mm_movemask_epi8(_mm_cmpeq_epi32(under, backgrounds)) == 0xFFFF) {
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(blended + i)));
                    continue;
                }
            }
            if (four == 0xFFFFFFFFu && opaque) {
                std::fill(d + i, d + i + 4, color);
                continue;
            }
            BlendFour(d + i, coverage + i, blend.Source);
        }
#endif
        for (; i < width; ++i) {
            const uint32_t a = coverage[i];
            if (a == 0)
                continue;
            if (blended && d[i] == background)
                d[i] = blended[i];
            else if (a == 255 && opaque)
                d[i] = color;
            else
                d[i] = BlendOne(d[i], a, blend);
        }
    }
}
