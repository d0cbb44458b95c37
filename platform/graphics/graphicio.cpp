// Bounded stream reading and pixel arithmetic for the picture readers and writers.
#include "platform/graphics/graphicio.h"

#include <algorithm>

#include "platform/core/streams.h"
#include "platform/graphics/graphic.h"

namespace graphicio {

int64_t Remaining(TStream& stream)
{
    int64_t left = stream.Size() - stream.Position();
    return left > 0 ? left : 0;
}

bool ReadAppend(TStream& stream, Bytes& out, int64_t count)
{
    if (count < 0 || count > Remaining(stream))
        return false;
    size_t old = out.size();
    out.resize(old + static_cast<size_t>(count));
    int64_t done = 0;
    while (done < count) {
        int64_t n = stream.Read(out.data() + old + done, count - done);
        if (n <= 0) {
            out.resize(old);
            return false;
        }
        done += n;
    }
    return true;
}

bool Skip(TStream& stream, int64_t count)
{
    if (count < 0 || count > Remaining(stream))
        return false;
    stream.Seek(count, soCurrent);
    return true;
}

void Write(TStream& stream, const Bytes& data)
{
    if (!data.empty())
        stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
}

bool SizeAllowed(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= GraphicMaxSide && height <= GraphicMaxSide &&
           width * height <= GraphicMaxPixels;
}

uint32_t Premultiply(uint32_t argb)
{
    uint32_t a = argb >> 24;
    if (a == 255)
        return argb;
    if (a == 0)
        return 0;
    auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (mul((argb >> 16) & 0xFF) << 16) | (mul((argb >> 8) & 0xFF) << 8) | mul(argb & 0xFF);
}

uint32_t Unpremultiply(uint32_t argb)
{
    uint32_t a = argb >> 24;
    if (a == 255 || a == 0)
        return argb;
    auto div = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
    return (a << 24) | (div((argb >> 16) & 0xFF) << 16) | (div((argb >> 8) & 0xFF) << 8) | div(argb & 0xFF);
}

uint32_t Blend(uint32_t source, uint32_t dest)
{
    uint32_t a = source >> 24;
    if (a == 255)
        return source;
    if (a == 0)
        return dest;
    uint32_t inv = 255 - a;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t s = (source >> shift) & 0xFF;
        uint32_t d = (dest >> shift) & 0xFF;
        out |= std::min<uint32_t>(255, s + (d * inv + 127) / 255) << shift;
    }
    return out;
}

uint32_t OverBackground(uint32_t argb, uint32_t rgb)
{
    return Blend(argb, 0xFF000000u | (rgb & 0xFFFFFFu));
}

} // namespace graphicio
