// TPackedString: every length round-trips byte for byte across the pooled size
// classes and the heap, and copies own their bytes; a string list keeps its
// packed entries through every change.
#include "platform/core/packedstring.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/stringlist.h"

namespace {

// Length bytes that differ from one position to the next, NUL included.
std::string Pattern(size_t length, int seed)
{
    std::string s(length, '\0');
    for (size_t i = 0; i < length; ++i)
        s[i] = static_cast<char>((i * 31 + static_cast<size_t>(seed)) % 256);
    return s;
}

} // namespace

TEST(TPackedStringTest, EveryLengthRoundTripsAndCopiesOwnTheirBytes)
{
    // Around every size-class edge, the last pooled size and beyond it; all
    // alive at once, so that blocks of one class sit side by side.
    std::vector<TPackedString> kept;
    std::vector<std::string> expected;
    for (size_t length : {0u, 1u, 3u, 4u, 5u, 11u, 12u, 13u, 100u, 507u, 508u, 509u, 100000u}) {
        for (int seed = 0; seed < 3; ++seed) {
            expected.push_back(Pattern(length, seed));
            kept.emplace_back(expected.back());
            EXPECT_EQ(kept.back().empty(), length == 0);
        }
    }
    for (size_t i = 0; i < kept.size(); ++i)
        ASSERT_EQ(kept[i].Str(), expected[i]) << "string " << i;

    TPackedString copy(kept[30]);
    kept[30] = TPackedString("short");
    EXPECT_EQ(copy.Str(), expected[30]);
    TPackedString moved(std::move(copy));
    EXPECT_TRUE(copy.empty());
    const TPackedString& same = moved;
    moved = same;
    EXPECT_EQ(moved.Str(), expected[30]);
}

// Inserts, puts, exchanges and deletes against a model; Get and GetView agree.
TEST(TPackedStringTest, AStringListKeepsItsEntriesThroughEveryChange)
{
    TStringList list;
    std::vector<std::string> model;
    for (int i = 0; i < 300; ++i) {
        const int at = i % 3 == 0 ? 0 : list.Count() / 2;
        list.InsertObject(at, Pattern(static_cast<size_t>(i * 7 % 600), i), nullptr);
        model.insert(model.begin() + at, Pattern(static_cast<size_t>(i * 7 % 600), i));
    }
    for (int i = 0; i < 100; ++i) {
        list.Put(i * 2, Pattern(static_cast<size_t>(i), -i));
        model[static_cast<size_t>(i * 2)] = Pattern(static_cast<size_t>(i), -i);
        list.Delete(i);
        model.erase(model.begin() + i);
    }
    list.Exchange(3, 150);
    std::swap(model[3], model[150]);
    list.Put(5, list.Get(5));
    ASSERT_EQ(list.Count(), static_cast<int>(model.size()));
    for (int i = 0; i < list.Count(); ++i) {
        ASSERT_EQ(list.Get(i), model[static_cast<size_t>(i)]) << "entry " << i;
        ASSERT_EQ(list.GetView(i), model[static_cast<size_t>(i)]) << "entry " << i;
    }
}
