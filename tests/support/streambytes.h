// The bytes a memory stream holds, for tests that compare what was written
// into a stream that is read back afterwards. A test that only looks at what
// was written writes into a TStringStream and takes its DataString().
#pragma once

#include <cstddef>

#include "platform/core/streams.h"

inline AnsiString StreamBytes(TMemoryStream& Stream)
{
    return AnsiString(static_cast<const char*>(Stream.Memory()), static_cast<size_t>(Stream.Size()));
}
