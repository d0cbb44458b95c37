// Fuzz target of the JPEG reader: any input loads or raises EJPEG; a picture
// that loads decodes or raises EJPEG, draws without raising, and writes back
// exactly the bytes it read. While fuzzing, a frame of more than 256 Ki pixels
// is not decoded: it decodes the same way as a small one, only slower (a
// progressive one is gone over whole for each of its scans). The seeds'
// replay decodes every frame.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/core/streams.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/recordingcanvas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream stream;
    stream.Write(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    TJPEGImage jpeg;
    try {
        jpeg.LoadFromStream(stream);
    } catch (const EJPEG&) {
        return 0;
    }
    TMemoryStream saved;
    jpeg.SaveToStream(saved);
    if (saved.Size() != static_cast<int64_t>(size) || (size && std::memcmp(saved.Memory(), data, size)))
        std::abort();
#ifndef KELVOR_FUZZ_REPLAY
    if (static_cast<int64_t>(jpeg.Width()) * jpeg.Height() > (int64_t(1) << 18))
        return 0;
#endif
    try {
        (void)jpeg.Pixels();
    } catch (const EJPEG&) {
    }
    TRecordingCanvas canvas;
    canvas.Draw(0, 0, &jpeg);
    return 0;
}
