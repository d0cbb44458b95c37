// The pool of equal blocks: distinct, aligned blocks across many slabs,
// released blocks given out again, and blocks shared by no two threads.
#include "platform/core/blockpool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace {

using TPool = TBlockPool<40, 8>;

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
#ifndef KELVOR_BLOCKPOOL_HEAP
    // What was released comes back before any new slab is taken.
    std::set<char*> again;
    for (size_t i = 0; i < blocks.size(); ++i)
        again.insert(static_cast<char*>(TPool::Allocate()));
    EXPECT_EQ(again, sorted);
    for (char* block : again)
        TPool::Release(block);
#endif
}

#ifndef KELVOR_BLOCKPOOL_HEAP
// The bytes all pools keep free: a block given out leaves them, a released one
// joins them again, whatever pool it belongs to.
TEST(TBlockPoolTest, FreeBytesFollowWhatThePoolsKeepForReuse)
{
    // The first blocks may take new slabs; the next ones come from those.
    void* first = TBlockPool<24, 8>::Allocate();
    TPool::Release(TPool::Allocate());
    const size_t free = TBlockPools::FreeBytes();
    void* second = TBlockPool<24, 8>::Allocate();
    void* third = TPool::Allocate();
    EXPECT_EQ(TBlockPools::FreeBytes(), free - 24 - 40);
    TPool::Release(third);
    TBlockPool<24, 8>::Release(second);
    TBlockPool<24, 8>::Release(first);
    EXPECT_EQ(TBlockPools::FreeBytes(), free + 24);
}
#endif

// Threads that take and give back blocks at once never get the same block
// twice and lose none: what each wrote stays until it gives the block back.
TEST(TBlockPoolTest, ThreadsTakingAndReleasingAtOnceShareNoBlock)
{
    using TSharedPool = TBlockPool<48, 8>;
    constexpr int ThreadCount = 4;
    constexpr int Rounds = 200;
    constexpr int Held = 300;
    std::atomic<int> overwritten{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < ThreadCount; ++t) {
        threads.emplace_back([t, &overwritten] {
            std::vector<char*> blocks;
            for (int round = 0; round < Rounds; ++round) {
                for (int i = 0; i < Held; ++i) {
                    char* block = static_cast<char*>(TSharedPool::Allocate());
                    std::memset(block, t * 31 + round % 7, 48);
                    blocks.push_back(block);
                }
                for (char* block : blocks) {
                    for (int k = 0; k < 48; ++k)
                        if (block[k] != static_cast<char>(t * 31 + round % 7))
                            ++overwritten;
                    TSharedPool::Release(block);
                }
                blocks.clear();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(overwritten.load(), 0);
}
