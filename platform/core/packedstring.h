// TPackedString: a byte string held in one word, for the lists that keep a
// string per entry by the hundred thousand (a document's item texts: one per
// line of a log).
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/core/types.h"

// A byte string in one pointer: null for the empty string, else a block that
// holds the length (32 bits) and then the bytes, with no terminating NUL. Blocks
// up to PooledBlockMax bytes come from pools of blocks of one size (multiples
// of 8 bytes, no allocator header each), larger ones from the heap. A value:
// a copy has its own block. A string of 4 GiB or more is refused with
// std::length_error, before anything changes.
class TPackedString {
public:
    static constexpr size_t PooledBlockMax = 512;
    // The one word moves as bytes: it points to a block, never into itself.
    static constexpr bool TriviallyRelocatable = true;

    TPackedString() = default;
    TPackedString(std::string_view s) : FBlock(Make(s)) {}
    TPackedString(const TPackedString& other) : FBlock(Make(other.View())) {}
    TPackedString(TPackedString&& other) noexcept : FBlock(std::exchange(other.FBlock, nullptr)) {}
    // Inline for the empty string: a list that grows moves its strings and
    // destroys what they leave behind, empty every one.
    ~TPackedString()
    {
        if (FBlock)
            Free(FBlock);
    }
    TPackedString& operator=(const TPackedString& other)
    {
        if (this != &other) {
            TPackedString copy(other);
            std::swap(FBlock, copy.FBlock);
        }
        return *this;
    }
    TPackedString& operator=(TPackedString&& other) noexcept
    {
        TPackedString taken(std::move(other));
        std::swap(FBlock, taken.FBlock);
        return *this;
    }

    bool empty() const { return FBlock == nullptr; }
    size_t size() const { return FBlock ? Length(FBlock) : 0; }
    // The bytes, valid while this string is neither changed nor destroyed.
    std::string_view View() const
    {
        return FBlock ? std::string_view(FBlock + HeaderBytes, Length(FBlock)) : std::string_view();
    }
    AnsiString Str() const { return AnsiString(View()); }

    // The bytes a string of Length bytes takes beyond this word (0 when empty).
    static size_t BlockBytes(size_t length);

private:
    static constexpr size_t HeaderBytes = sizeof(uint32_t);
    static uint32_t Length(const char* block)
    {
        uint32_t length;
        std::memcpy(&length, block, sizeof length);
        return length;
    }
    static char* Make(std::string_view s);
    static void Free(char* block);

    char* FBlock = nullptr;
};
static_assert(sizeof(TPackedString) == sizeof(void*), "a packed string is one word");
