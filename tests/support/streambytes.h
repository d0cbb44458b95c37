// The bytes of streams for tests: what a memory stream holds, for tests that
// compare what was written into a stream that is read back afterwards (a test
// that only looks at what was written writes into a TStringStream and takes
// its DataString()), and the length prefix of a binary block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/core/streams.h"

inline AnsiString StreamBytes(TMemoryStream& Stream)
{
    return AnsiString(static_cast<const char*>(Stream.Memory()), static_cast<size_t>(Stream.Size()));
}

// A 32-bit count in four bytes, the lowest first (Value taken modulo 2^32),
// as binary blocks of RVF and the clipboard carry their lengths.
inline AnsiString Count32(uint64_t Value)
{
    const uint32_t v = static_cast<uint32_t>(Value);
    return AnsiString{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                      static_cast<char>(v >> 24)};
}
