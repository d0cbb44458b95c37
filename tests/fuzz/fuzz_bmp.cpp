// Fuzz target of the BMP reader: any input loads or raises EInvalidGraphic, a
// bitmap that loads decodes its pixels, and writes a file that loads again at
// the same size.
// While fuzzing, the round trip is left out for large pictures: a few bytes of
// run-length data may describe millions of pixels, and writing them twice only
// costs time. For the same reason a header that asks for more than a small
// picture the reader would accept is skipped: filling its pixels costs a
// thousand times a small one's and reaches no other code. The seeds' replay
// reads and writes every picture.
#include <cstdint>
#include <cstdlib>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphic.h"

namespace {

#ifdef KELVOR_FUZZ_REPLAY
constexpr int64_t MaxPixelsRead = GraphicMaxPixels;
#else
constexpr int64_t MaxPixelsRead = int64_t(1) << 16;
#endif

int64_t Little(const uint8_t* p, int bytes)
{
    int64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

// Whether the header's size is one the reader would fill but that is more than
// the fuzzer needs (a header too short to tell passes).
bool LargePicture(const uint8_t* data, size_t size)
{
    if (size < 26)
        return false;
    int64_t width, height;
    if (Little(data + 14, 4) == 12) {
        width = Little(data + 18, 2);
        height = Little(data + 20, 2);
    } else {
        width = static_cast<int32_t>(Little(data + 18, 4));
        height = static_cast<int32_t>(Little(data + 22, 4));
    }
    height = height < 0 ? -height : height;
    if (width > GraphicMaxSide || height > GraphicMaxSide || width * height > GraphicMaxPixels)
        return false;
    return width * height > MaxPixelsRead;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (LargePicture(data, size))
        return 0;
    TMemoryStream stream;
    stream.Write(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    TBitmap bitmap;
    try {
        bitmap.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    // The pixels, decoded when first asked for, are as many as the size says.
    const TPinnedPixels pixelsPin = bitmap.Pixels();
    const TPixelBuffer& pixels = *pixelsPin;
    if (pixels.Pixels.size() != static_cast<size_t>(bitmap.Width()) * static_cast<size_t>(bitmap.Height()))
        std::abort();
#ifndef KELVOR_FUZZ_REPLAY
    if (static_cast<int64_t>(bitmap.Width()) * bitmap.Height() > (1 << 20))
        return 0;
#endif
    TMemoryStream saved;
    bitmap.SaveToStream(saved);
    saved.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(saved);
    if (back.Width() != bitmap.Width() || back.Height() != bitmap.Height())
        std::abort();
    return 0;
}
