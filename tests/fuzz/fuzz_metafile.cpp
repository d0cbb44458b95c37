// Fuzz target of the metafile reader and its players (old-format and
// enhanced files): any input loads or raises EInvalidGraphic, a metafile that
// loads writes back the bytes it read, and drawing it (its records played
// into a bitmap) keeps within its fill budget and leaves the canvas's clip as
// it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/core/streams.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/recordingcanvas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream stream;
    stream.Write(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    TMetafile metafile;
    try {
        metafile.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    TMemoryStream saved;
    metafile.SaveToStream(saved);
    const int64_t consumed = stream.Position();
    if (saved.Size() != consumed ||
        (consumed && std::memcmp(saved.Memory(), data, static_cast<size_t>(consumed))))
        std::abort();
    if (metafile.Width() < 0 || metafile.Height() < 0)
        std::abort();
    TRecordingCanvas canvas(200, 200);
    canvas.StretchDraw(TRect{10, 10, 190, 190}, &metafile);
    if (!(canvas.ClipRect() == TRect{0, 0, 200, 200}))
        std::abort();
    if (metafile.LastPlay().Filled > metafile.LastPlay().FillBudget)
        std::abort();
    return 0;
}
