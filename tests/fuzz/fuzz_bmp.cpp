// Fuzz target of the BMP reader: any input loads or raises EInvalidGraphic,
// and a bitmap that loads writes a file that loads again at the same size.
// The round trip is left out for large pictures: a few bytes of run-length
// data may describe millions of pixels, and writing them twice only costs time.
#include <cstdint>
#include <cstdlib>

#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream stream;
    stream.Write(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    TBitmap bitmap;
    try {
        bitmap.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    if (static_cast<int64_t>(bitmap.Width()) * bitmap.Height() > (1 << 20))
        return 0;
    TMemoryStream saved;
    bitmap.SaveToStream(saved);
    saved.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(saved);
    if (back.Width() != bitmap.Width() || back.Height() != bitmap.Height())
        std::abort();
    return 0;
}
