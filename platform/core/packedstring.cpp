// TPackedString's blocks: a pool per size class up to PooledBlockMax, the heap
// beyond.
#include "platform/core/packedstring.h"

#include <array>
#include <limits>
#include <new>
#include <stdexcept>

#include "platform/core/blockpool.h"

namespace {

constexpr size_t Granule = 8;
constexpr size_t ClassCount = TPackedString::PooledBlockMax / Granule;

struct TPoolCalls {
    void* (*Allocate)();
    void (*Release)(void* block);
};

template <size_t... Index>
constexpr std::array<TPoolCalls, sizeof...(Index)> PoolTable(std::index_sequence<Index...>)
{
    return {TPoolCalls{&TBlockPool<(Index + 1) * Granule, alignof(uint32_t)>::Allocate,
                       &TBlockPool<(Index + 1) * Granule, alignof(uint32_t)>::Release}...};
}

// Entry k serves blocks of (k + 1) * Granule bytes.
constexpr std::array<TPoolCalls, ClassCount> Pools = PoolTable(std::make_index_sequence<ClassCount>());

size_t ClassOf(size_t blockBytes)
{
    return (blockBytes + Granule - 1) / Granule - 1;
}

} // namespace

size_t TPackedString::BlockBytes(size_t length)
{
    if (length == 0)
        return 0;
    const size_t bytes = HeaderBytes + length;
    return bytes <= PooledBlockMax ? (ClassOf(bytes) + 1) * Granule : bytes;
}

char* TPackedString::Make(std::string_view s)
{
    if (s.empty())
        return nullptr;
    if (s.size() > std::numeric_limits<uint32_t>::max())
        throw std::length_error("TPackedString: string too long");
    const size_t bytes = HeaderBytes + s.size();
    char* block = static_cast<char*>(bytes <= PooledBlockMax ? Pools[ClassOf(bytes)].Allocate()
                                                             : ::operator new(bytes));
    const auto length = static_cast<uint32_t>(s.size());
    std::memcpy(block, &length, sizeof length);
    std::memcpy(block + HeaderBytes, s.data(), s.size());
    return block;
}

void TPackedString::Free(char* block)
{
    if (!block)
        return;
    const size_t bytes = HeaderBytes + Length(block);
    if (bytes <= PooledBlockMax)
        Pools[ClassOf(bytes)].Release(block);
    else
        ::operator delete(block);
}
