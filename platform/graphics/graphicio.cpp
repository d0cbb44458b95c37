// Bounded stream reading and pixel arithmetic for the picture readers and writers.
#include "platform/graphics/graphicio.h"

#include <algorithm>

#include "platform/core/streams.h"
#include "platform/graphics/graphic.h"

namespace graphicio {

int64_t Remaining(TStream& Stream)
{
    int64_t left = Stream.Size() - Stream.Position();
    return left > 0 ? left : 0;
}

bool ReadAppend(TStream& Stream, Bytes& Out, int64_t Count)
{
    if (Count < 0 || Count > Remaining(Stream))
        return false;
    size_t old = Out.size();
    Out.resize(old + static_cast<size_t>(Count));
    int64_t done = 0;
    while (done < Count) {
        int64_t n = Stream.Read(Out.data() + old + done, Count - done);
        if (n <= 0) {
            Out.resize(old);
            return false;
        }
        done += n;
    }
    return true;
}

bool Skip(TStream& Stream, int64_t Count)
{
    if (Count < 0 || Count > Remaining(Stream))
        return false;
    Stream.Seek(Count, soCurrent);
    return true;
}

void Write(TStream& Stream, const Bytes& Data)
{
    if (!Data.empty())
        Stream.WriteBuffer(Data.data(), static_cast<int64_t>(Data.size()));
}

bool SizeAllowed(int64_t Width, int64_t Height)
{
    return Width > 0 && Height > 0 && Width <= GraphicMaxSide && Height <= GraphicMaxSide &&
           Width * Height <= GraphicMaxPixels;
}

uint32_t Premultiply(uint32_t Argb)
{
    uint32_t a = Argb >> 24;
    if (a == 255)
        return Argb;
    if (a == 0)
        return 0;
    auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (mul((Argb >> 16) & 0xFF) << 16) | (mul((Argb >> 8) & 0xFF) << 8) | mul(Argb & 0xFF);
}

uint32_t Unpremultiply(uint32_t Argb)
{
    uint32_t a = Argb >> 24;
    if (a == 255 || a == 0)
        return Argb;
    auto div = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
    return (a << 24) | (div((Argb >> 16) & 0xFF) << 16) | (div((Argb >> 8) & 0xFF) << 8) | div(Argb & 0xFF);
}

uint32_t Blend(uint32_t Source, uint32_t Dest)
{
    uint32_t a = Source >> 24;
    if (a == 255)
        return Source;
    if (a == 0)
        return Dest;
    uint32_t inv = 255 - a;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t s = (Source >> shift) & 0xFF;
        uint32_t d = (Dest >> shift) & 0xFF;
        out |= std::min<uint32_t>(255, s + (d * inv + 127) / 255) << shift;
    }
    return out;
}

uint32_t OverBackground(uint32_t Argb, uint32_t Rgb)
{
    return Blend(Argb, 0xFF000000u | (Rgb & 0xFFFFFFu));
}

} // namespace graphicio
