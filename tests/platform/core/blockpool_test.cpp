// The pool of equal blocks: distinct, aligned blocks across many slabs,
// released blocks given out again, the bytes kept free, a free list that
// stays whole however takes and releases interleave, and (under
// AddressSanitizer) a use of a released block reported.
#include "platform/core/blockpool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#ifdef KELVOR_ADDRESS_SANITIZER
#include <sanitizer/lsan_interface.h>
#endif

namespace {

using TPool = TBlockSlabs<40, 8>;

} // namespace

TEST(TBlockPoolTest, BlocksAreDistinctAlignedAndReused)
{
    // Far more than one slab holds: no two blocks overlap.
    std::vector<char*> blocks;
    for (int i = 0; i < 10000; ++i) {
        char* block = static_cast<char*>(TPool::Allocate());
        ASSERT_EQ(reinterpret_cast<uintptr_t>(block) % 8, 0u);
        // Every byte of the block is the caller's.
        for (int k = 0; k < 40; ++k)
            block[k] = static_cast<char>(i);
        blocks.push_back(block);
    }
    std::set<char*> sorted(blocks.begin(), blocks.end());
    ASSERT_EQ(sorted.size(), blocks.size());
    char* previous = nullptr;
    for (char* block : sorted) {
        if (previous) {
            EXPECT_GE(block - previous, 40);
        }
        previous = block;
    }
    for (size_t i = 0; i < blocks.size(); ++i)
        for (int k = 0; k < 40; ++k)
            ASSERT_EQ(blocks[i][k], static_cast<char>(i)) << "block " << i << " was overwritten";
    for (char* block : blocks)
        TPool::Release(block);
    TPool::Release(nullptr);
    // What was released comes back before any new slab is taken.
    std::set<char*> again;
    for (size_t i = 0; i < blocks.size(); ++i)
        again.insert(static_cast<char*>(TPool::Allocate()));
    EXPECT_EQ(again, sorted);
    for (char* block : again)
        TPool::Release(block);
}

// The bytes all pools keep free: a block given out leaves them, a released one
// joins them again, whatever pool it belongs to.
TEST(TBlockPoolTest, FreeBytesFollowWhatThePoolsKeepForReuse)
{
    // The first blocks may take new slabs; the next ones come from those.
    void* first = TBlockSlabs<24, 8>::Allocate();
    TPool::Release(TPool::Allocate());
    const size_t free = TBlockPools::FreeBytes();
    void* second = TBlockSlabs<24, 8>::Allocate();
    void* third = TPool::Allocate();
    EXPECT_EQ(TBlockPools::FreeBytes(), free - 24 - 40);
    TPool::Release(third);
    TBlockSlabs<24, 8>::Release(second);
    TBlockSlabs<24, 8>::Release(first);
    EXPECT_EQ(TBlockPools::FreeBytes(), free + 24);
}

// Takes and releases in an order that hops between slabs: a block held keeps
// what its holder wrote, no block is given out twice, and once everything is
// back the blocks given out before come back first, taking no new slab.
TEST(TBlockPoolTest, InterleavedTakesAndReleasesKeepTheFreeListWhole)
{
    using TMixedPool = TBlockSlabs<48, 8>;
    std::vector<std::pair<char*, char>> held; // a block and the byte its holder filled it with
    std::set<char*> holding, seen;
    uint32_t state = 12345;
    const auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 8; };
    for (int step = 0; step < 20000; ++step) {
        // Mostly takes early on, mostly releases later, so the count held
        // rises over several slabs and falls again.
        if (held.empty() || next() % 100 < (step < 10000 ? 70u : 30u)) {
            char* block = static_cast<char*>(TMixedPool::Allocate());
            ASSERT_TRUE(holding.insert(block).second) << "step " << step << ": a held block given out again";
            const char fill = static_cast<char>(next());
            std::memset(block, fill, 48);
            held.emplace_back(block, fill);
            seen.insert(block);
            continue;
        }
        std::swap(held[next() % held.size()], held.back());
        const auto [block, fill] = held.back();
        for (int k = 0; k < 48; ++k)
            ASSERT_EQ(block[k], fill) << "step " << step << ": a held block was overwritten";
        TMixedPool::Release(block);
        holding.erase(block);
        held.pop_back();
    }
    ASSERT_GT(seen.size(), 2u * (65536 / 48));
    for (const auto& [block, fill] : held)
        TMixedPool::Release(block);
    const size_t free = TBlockPools::FreeBytes();
    std::vector<char*> again;
    for (size_t i = 0; i < seen.size(); ++i)
        again.push_back(static_cast<char*>(TMixedPool::Allocate()));
    EXPECT_EQ(std::set<char*>(again.begin(), again.end()), seen);
    EXPECT_EQ(TBlockPools::FreeBytes(), free - seen.size() * 48);
    for (char* block : again)
        TMixedPool::Release(block);
}

#ifdef KELVOR_ADDRESS_SANITIZER
// A released block, a second release and the padding past a block's bytes
// are poisoned: touching them is reported, for the slabs and for the blocks
// the program's objects are made from.
TEST(TBlockPoolDeathTest, UsesOfReleasedBlocksAreReported)
{
    using TPadded = TBlockSlabs<20, 8>; // blocks of 24 bytes
    struct TCase {
        const char* Name;
        std::function<void()> Misuse;
        const char* Report;
    };
    const TCase cases[] = {
        {"read after release",
         [] {
             auto* block = static_cast<volatile char*>(TPool::Allocate());
             TPool::Release(const_cast<char*>(block));
             (void)block[8];
         },
         "use-after-poison"},
        {"write after release",
         [] {
             auto* block = static_cast<volatile char*>(TPool::Allocate());
             TPool::Release(const_cast<char*>(block));
             block[39] = 1;
         },
         "use-after-poison"},
        {"second release",
         [] {
             void* block = TPool::Allocate();
             TPool::Release(block);
             TPool::Release(block);
         },
         "use-after-poison"},
        {"write past the block",
         [] {
             auto* block = static_cast<volatile char*>(TPadded::Allocate());
             block[20] = 1;
         },
         "use-after-poison"},
        {"program's pool, read after release",
         [] {
             auto* block = static_cast<volatile char*>(TBlockPool<40, 8>::Allocate());
             TBlockPool<40, 8>::Release(const_cast<char*>(block));
             (void)block[8];
         },
         "heap-use-after-free"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_DEATH(c.Misuse(), c.Report);
    }
}

// The slabs live as long as the program and are reachable from their pool:
// LeakSanitizer finds no leak in them, with blocks held and with none.
TEST(TBlockPoolTest, SlabsAreNoLeak)
{
    using TSlabs = TBlockSlabs<32, 8>;
    std::vector<void*> blocks;
    for (int i = 0; i < 5000; ++i)
        blocks.push_back(TSlabs::Allocate());
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
    // With every block free, nothing but the pool points into the slabs.
    for (void* block : blocks)
        TSlabs::Release(block);
    std::vector<void*>().swap(blocks);
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
}
#endif
