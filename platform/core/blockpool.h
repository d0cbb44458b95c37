// TBlockPool: blocks of one size carved from large slabs (TBlockSlabs), for
// the objects a document holds by the hundred thousand (an item and a draw
// item per line of a log). Like the documents whose objects they hold, the pools belong to the
// one thread that runs the program: they take no lock.
#pragma once

#include <cstddef>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define KELVOR_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVOR_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef KELVOR_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#define KELVOR_BLOCKPOOL_HEAP 1
#endif

// What every pool keeps free for reuse, in bytes: the blocks released and the
// blocks of new slabs not yet given out, over all block sizes. Memory figures
// that read the allocator's heap in use take it off (the allocator counts it as
// in use).
struct TBlockPools {
    static size_t FreeBytes() { return FFreeBytes; }
    static inline size_t FFreeBytes = 0;

    // Under AddressSanitizer, bytes that no caller may touch: a block on a
    // free list, and a block's padding up to the next one. Nothing elsewhere.
    static void Poison([[maybe_unused]] void* bytes, [[maybe_unused]] size_t count)
    {
#ifdef KELVOR_ADDRESS_SANITIZER
        ASAN_POISON_MEMORY_REGION(bytes, count);
#endif
    }
    static void Unpoison([[maybe_unused]] void* bytes, [[maybe_unused]] size_t count)
    {
#ifdef KELVOR_ADDRESS_SANITIZER
        ASAN_UNPOISON_MEMORY_REGION(bytes, count);
#endif
    }
};

// The slabs and the free list of the blocks of Size bytes aligned to
// Alignment, with no allocator header of their own and none of the
// allocator's rounding. A released block is kept for the next allocation of
// the same size; the slabs live as long as the program, so what a document
// once held stays ready for the next lines (a purged pane fills up again).
// Under AddressSanitizer a block is poisoned while it is free, so that a use
// after release, a second release or a write past the block is reported.
template <size_t Size, size_t Alignment> class TBlockSlabs {
public:
    static void* Allocate()
    {
        if (!FFree)
            Grow();
        TFreeBlock* block = FFree;
        TBlockPools::Unpoison(block, sizeof(TFreeBlock));
        FFree = block->Next;
        TBlockPools::Poison(block, BlockBytes);
        TBlockPools::Unpoison(block, Size);
        TBlockPools::FFreeBytes -= BlockBytes;
        return block;
    }
    static void Release(void* block)
    {
        if (!block)
            return;
        // A block of Size bytes holds the link: writing it into a block
        // already released is reported as a use of poisoned memory.
        if constexpr (Size < sizeof(TFreeBlock))
            TBlockPools::Unpoison(block, sizeof(TFreeBlock));
        auto* free = static_cast<TFreeBlock*>(block);
        free->Next = FFree;
        FFree = free;
        TBlockPools::Poison(block, BlockBytes);
        TBlockPools::FFreeBytes += BlockBytes;
    }

private:
    struct TFreeBlock {
        TFreeBlock* Next;
    };
    static constexpr size_t Unit = Alignment > alignof(TFreeBlock) ? Alignment : alignof(TFreeBlock);
    static constexpr size_t Stride = (Size > sizeof(TFreeBlock) ? Size : sizeof(TFreeBlock)) + Unit - 1;
    static constexpr size_t BlockBytes = Stride - Stride % Unit;
    static constexpr size_t SlabBytes = size_t{1} << 16;
    // The first block's room of every slab links it to the slab before. It is
    // never poisoned: LeakSanitizer does not look into poisoned bytes, and
    // this chain is what keeps every slab reachable from the pool.
    static constexpr size_t PerSlab = SlabBytes / BlockBytes - 1;
    static_assert(PerSlab > 0, "a slab holds at least one block");
    static_assert(Alignment <= alignof(std::max_align_t), "slabs are aligned for fundamental types only");

    // A new slab's blocks join the free list in address order.
    static void Grow()
    {
        char* slab = static_cast<char*>(::operator new((PerSlab + 1) * BlockBytes));
        reinterpret_cast<TFreeBlock*>(slab)->Next = FSlabs;
        FSlabs = reinterpret_cast<TFreeBlock*>(slab);
        for (size_t i = PerSlab; i > 0; --i) {
            auto* free = reinterpret_cast<TFreeBlock*>(slab + i * BlockBytes);
            free->Next = FFree;
            FFree = free;
            TBlockPools::Poison(free, BlockBytes);
        }
        TBlockPools::FFreeBytes += PerSlab * BlockBytes;
    }

    static inline TFreeBlock* FFree = nullptr;
    static inline TFreeBlock* FSlabs = nullptr;
};

// Where the program's pooled objects come from: the slabs above, or under
// AddressSanitizer the heap, one block each. The heap keeps the sanitizers'
// own checks of these objects whole: LeakSanitizer reports an object the
// program lost (inside a slab the pool keeps, it would be found reachable),
// and a use after release is caught however soon a pool would have given
// the block out again. The slabs themselves are checked by their own tests
// in that build.
template <size_t Size, size_t Alignment> class TBlockPool {
public:
    static void* Allocate()
    {
#ifdef KELVOR_BLOCKPOOL_HEAP
        return ::operator new(Size);
#else
        return TBlockSlabs<Size, Alignment>::Allocate();
#endif
    }
    static void Release(void* block)
    {
#ifdef KELVOR_BLOCKPOOL_HEAP
        ::operator delete(block);
#else
        TBlockSlabs<Size, Alignment>::Release(block);
#endif
    }

    // For a class's own operator new and delete: a block of the pool for an
    // object of exactly Size bytes, an ordinary heap block for a larger
    // subclass.
    static void* AllocateFor(size_t size)
    {
        return size == Size ? Allocate() : ::operator new(size);
    }
    static void ReleaseFor(void* block, size_t size)
    {
        if (size == Size)
            Release(block);
        else
            ::operator delete(block);
    }
};
