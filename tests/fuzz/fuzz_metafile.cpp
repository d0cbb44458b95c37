// Fuzz target of the metafile reader and its players (old-format and
// enhanced files): any input loads or raises EInvalidGraphic, a metafile that
// loads writes back the bytes it read, and drawing it (its records played
// into a bitmap) keeps within its fill budget and leaves the canvas's clip as
// it was.
//
// While fuzzing, a playing may do less work than the player allows: the
// budget's floor is 512 Ki instead of 4 Mi, within which every seed that is
// not made to spend the budget plays to its end, and the others stop sooner
// at the same checks. The bitmap is 160 pixels a side, so that the
// sanitizer's allocator takes its 100 KiB from blocks it reuses: a block past
// about 125 KiB is mapped afresh for each input. The seeds' replay plays
// with the player's floor.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/core/streams.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/recordingcanvas.h"

namespace {

constexpr int Side = 160;
constexpr int Margin = 10;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
#ifndef KELVOR_FUZZ_REPLAY
    static const bool floorSet = (metafileplayer::SetFillBudgetFloor(int64_t(1) << 19), true);
    (void)floorSet;
#endif
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
    TRecordingCanvas canvas(Side + 2 * Margin, Side + 2 * Margin);
    canvas.StretchDraw(TRect{Margin, Margin, Margin + Side, Margin + Side}, &metafile);
    if (!(canvas.ClipRect() == TRect{0, 0, Side + 2 * Margin, Side + 2 * Margin}))
        std::abort();
    if (metafile.LastPlay().Filled > metafile.LastPlay().FillBudget)
        std::abort();
    return 0;
}
