// Fuzz target of the ICO reader: any input loads or raises EInvalidGraphic,
// and an icon that loads writes back exactly the bytes it read.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/core/streams.h"
#include "platform/graphics/icon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream stream;
    stream.Write(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    TIcon icon;
    try {
        icon.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    TMemoryStream saved;
    icon.SaveToStream(saved);
    const int64_t consumed = stream.Position();
    if (saved.Size() != consumed ||
        (consumed && std::memcmp(saved.Memory(), data, static_cast<size_t>(consumed))))
        std::abort();
    return 0;
}
