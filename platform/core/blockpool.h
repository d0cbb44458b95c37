// TBlockPool: blocks of one size carved from large slabs, for the objects a
// document holds by the hundred thousand (an item and a draw item per line of
// a log).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <new>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define KELVOR_BLOCKPOOL_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVOR_BLOCKPOOL_HEAP 1
#endif
#endif

// What every pool keeps free for reuse, in bytes: the blocks released and the
// blocks of new slabs not yet given out, over all block sizes. Memory figures
// that read the allocator's heap in use take it off (the allocator counts it as
// in use).
struct TBlockPools {
    static size_t FreeBytes() { return FFreeBytes.load(std::memory_order_relaxed); }
    static inline std::atomic<size_t> FFreeBytes{0};
};

// The lock of one pool: held only while a block is taken from or given back
// to its free list, a few instructions, so a waiter spins (yielding its turn
// to a holder that may have been preempted) instead of sleeping in the kernel.
class TBlockPoolLock {
public:
    void lock()
    {
        while (FHeld.exchange(true, std::memory_order_acquire))
            while (FHeld.load(std::memory_order_relaxed))
                std::this_thread::yield();
    }
    void unlock() { FHeld.store(false, std::memory_order_release); }

private:
    std::atomic<bool> FHeld{false};
};

// Blocks of Size bytes aligned to Alignment, with no
// allocator header of their own and none of the allocator's rounding. A
// released block is kept for the next allocation of the same size; the slabs
// live as long as the program, so what a document once held stays ready for
// the next lines (a purged pane fills up again). Safe from any thread.
// Under AddressSanitizer every block is an ordinary heap block, so that a
// use after release is still caught.
template <size_t Size, size_t Alignment> class TBlockPool {
public:
    static void* Allocate()
    {
#ifdef KELVOR_BLOCKPOOL_HEAP
        return ::operator new(Size);
#else
        std::lock_guard<TBlockPoolLock> lock(FLock);
        if (!FFree)
            Grow();
        TFreeBlock* block = FFree;
        FFree = block->Next;
        TBlockPools::FFreeBytes.fetch_sub(BlockBytes, std::memory_order_relaxed);
        return block;
#endif
    }
    static void Release(void* block)
    {
#ifdef KELVOR_BLOCKPOOL_HEAP
        ::operator delete(block);
#else
        if (!block)
            return;
        std::lock_guard<TBlockPoolLock> lock(FLock);
        auto* free = static_cast<TFreeBlock*>(block);
        free->Next = FFree;
        FFree = free;
        TBlockPools::FFreeBytes.fetch_add(BlockBytes, std::memory_order_relaxed);
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

private:
    struct TFreeBlock {
        TFreeBlock* Next;
    };
    static constexpr size_t Unit = Alignment > alignof(TFreeBlock) ? Alignment : alignof(TFreeBlock);
    static constexpr size_t Stride = (Size > sizeof(TFreeBlock) ? Size : sizeof(TFreeBlock)) + Unit - 1;
    static constexpr size_t BlockBytes = Stride - Stride % Unit;
    static constexpr size_t SlabBytes = size_t{1} << 16;
    // The first block's room of every slab links it to the slab before.
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
        }
        TBlockPools::FFreeBytes.fetch_add(PerSlab * BlockBytes, std::memory_order_relaxed);
    }

    static inline TBlockPoolLock FLock;
    static inline TFreeBlock* FFree = nullptr;
    static inline TFreeBlock* FSlabs = nullptr;
};
