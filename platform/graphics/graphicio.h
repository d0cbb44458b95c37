// Helpers shared by the picture readers and writers of this folder: bounded
// reading from streams, little-endian fields, premultiplied pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/pixelbuffer.h"

class TStream;

namespace graphicio {

using Bytes = std::vector<uint8_t>;

// Bytes left between the stream's position and its end (0 when none).
int64_t Remaining(TStream& stream);
// Appends exactly Count bytes read from Stream to Out; false (with Out back
// at its old size) when the stream ends first.
bool ReadAppend(TStream& stream, Bytes& out, int64_t count);
// Moves the stream's position forward by Count bytes; false when fewer remain.
bool Skip(TStream& stream, int64_t count);
void Write(TStream& stream, const Bytes& data);

inline uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline int16_t I16(const uint8_t* p)
{
    return static_cast<int16_t>(U16(p));
}
inline uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t I32(const uint8_t* p)
{
    return static_cast<int32_t>(U32(p));
}
inline uint32_t U32BE(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

inline void Put16(Bytes& b, uint32_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void Set32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// True when a picture of that size may be made (positive sides within the
// limits of graphic.h).
bool SizeAllowed(int64_t width, int64_t height);

// 0xAARRGGBB straight alpha -> premultiplied, and back (colour kept where alpha > 0).
uint32_t Premultiply(uint32_t argb);
uint32_t Unpremultiply(uint32_t argb);
// The pixel composed over an opaque background colour (0xRRGGBB).
uint32_t OverBackground(uint32_t argb, uint32_t rgb);
// The pixel drawn over Dest (both premultiplied): source-over.
uint32_t Blend(uint32_t source, uint32_t dest);

} // namespace graphicio
