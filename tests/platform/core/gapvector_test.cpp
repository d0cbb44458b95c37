// The gap vector: entries that own a block keep their order and are owned
// exactly once however the vector grows (small and large blocks, the gap at
// the end or in the middle), is sorted in place, cleared or moved.
#include "platform/core/gapvector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// An entry that owns a heap number through a plain pointer, counting the
// numbers alive: a slot lost, destroyed twice or left behind shows in the count.
struct TOwned {
    static constexpr bool TriviallyRelocatable = true;
    static inline int Alive = 0;

    TOwned() noexcept = default;
    explicit TOwned(int value) : Value(new int(value)) { ++Alive; }
    TOwned(TOwned&& other) noexcept : Value(std::exchange(other.Value, nullptr)) {}
    TOwned& operator=(TOwned&& other) noexcept
    {
        std::swap(Value, other.Value);
        return *this;
    }
    ~TOwned()
    {
        if (Value) {
            --Alive;
            delete Value;
        }
    }

    int* Value = nullptr;
};

std::vector<int> Values(const TGapVector<TOwned>& v)
{
    std::vector<int> values;
    for (size_t i = 0; i < v.size(); ++i)
        values.push_back(v[i].Value ? *v[i].Value : -1);
    return values;
}

} // namespace

// Appends, inserts at a moving place and deletes, against a plain vector, in
// lists that stay within a small block and in lists that grow a large one.
TEST(TGapVectorTest, GrowingWithTheGapAnywhereKeepsOrderAndOwnership)
{
    for (int count : {40, 30000}) {
        SCOPED_TRACE(count);
        {
            TGapVector<TOwned> v;
            std::vector<int> model;
            unsigned seed = 7;
            auto next = [&](size_t n) {
                seed = seed * 1103515245u + 12345u;
                return static_cast<size_t>((seed >> 8) % n);
            };
            size_t place = 0;
            for (int i = 0; i < count; ++i) {
                const size_t what = next(8);
                if (what == 0 && !model.empty()) {
                    const size_t at = next(model.size());
                    v.erase(at);
                    model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
                    continue;
                }
                // Mostly at one place that moves now and then (the gap grows
                // there and the block with it), sometimes at the end.
                if (what == 1)
                    place = next(model.size() + 1);
                const size_t at = what == 2 ? model.size() : std::min(place, model.size());
                v.insert(at, TOwned(i));
                model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), i);
                place = at + 1;
            }
            ASSERT_EQ(Values(v), model);
            EXPECT_EQ(TOwned::Alive, static_cast<int>(model.size()));

            // Side by side, sorted in place, then grown again at the front.
            TOwned* first = v.Contiguous();
            std::sort(first, first + v.size(),
                      [](const TOwned& a, const TOwned& b) { return *a.Value < *b.Value; });
            std::sort(model.begin(), model.end());
            ASSERT_EQ(Values(v), model);
            for (int i = 0; i < 100; ++i) {
                v.insert(0, TOwned(-2 - i));
                model.insert(model.begin(), -2 - i);
            }
            ASSERT_EQ(Values(v), model);
            EXPECT_EQ(TOwned::Alive, static_cast<int>(model.size()));
        }
        EXPECT_EQ(TOwned::Alive, 0);
    }
}

TEST(TGapVectorTest, ClearAndMoveLeaveEveryEntryOwnedOnce)
{
    {
        TGapVector<TOwned> v;
        for (int i = 0; i < 5000; ++i)
            v.insert(v.size(), TOwned(i));
        v.insert(100, TOwned(-1)); // a gap in the middle
        TGapVector<TOwned> taken(std::move(v));
        EXPECT_TRUE(v.empty());
        EXPECT_EQ(taken.size(), 5001u);
        EXPECT_EQ(*taken[100].Value, -1);
        EXPECT_EQ(*taken[5000].Value, 4999);
        EXPECT_EQ(TOwned::Alive, 5001);

        // The emptied vector is usable again; assigning over it frees what it held.
        v.insert(0, TOwned(1));
        v = std::move(taken);
        EXPECT_EQ(TOwned::Alive, 5001);
        EXPECT_EQ(v.size(), 5001u);

        v.clear();
        EXPECT_TRUE(v.empty());
        EXPECT_EQ(TOwned::Alive, 0);
        v.insert(0, TOwned(3));
        v.insert(0, TOwned(2));
        EXPECT_EQ(Values(v), (std::vector<int>{2, 3}));
    }
    EXPECT_EQ(TOwned::Alive, 0);
}
