// The owning object list and the integer and colour lists.
#include "document/rvclasses.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "platform/core/colors.h"
#include "platform/core/sysutils.h"

namespace {

// Records the order in which entries are freed.
struct Tracked : TObject {
    Tracked(std::vector<int>& log, int id) : FLog(log), FId(id) {}
    ~Tracked() override { FLog.push_back(FId); }
    std::vector<int>& FLog;
    int FId;
};

std::vector<int> Items(const TRVIntegerList& list)
{
    std::vector<int> result;
    for (int i = 0; i < list.Count(); ++i)
        result.push_back(list.Get(i));
    return result;
}

} // namespace

TEST(TRVListTest, OwnsItsEntries)
{
    std::vector<int> freed;
    {
        TRVList list;
        for (int i = 0; i < 4; ++i)
            list.Add(new Tracked(freed, i));
        list.Delete(1);
        EXPECT_EQ(freed, std::vector<int>({1}));
        EXPECT_EQ(list.Count(), 3);

        TObject* taken = list.Get(0);
        list.DeleteAsPointer(0); // the caller takes it over
        EXPECT_EQ(freed, std::vector<int>({1}));
        EXPECT_EQ(list.Count(), 2);
        delete taken;
        EXPECT_EQ(freed, std::vector<int>({1, 0}));

        list.Add(new Tracked(freed, 7));
        list.Clear(); // from index 0 upwards
        EXPECT_EQ(freed, std::vector<int>({1, 0, 2, 3, 7}));
        EXPECT_EQ(list.Count(), 0);
        list.Add(new Tracked(freed, 9));
    }
    EXPECT_EQ(freed.back(), 9); // the destructor frees what is left
}

TEST(TRVListTest, BadIndexRaisesTheListError)
{
    TRVList list;
    try {
        list.Delete(5);
        FAIL() << "no exception";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (5)");
    }
    EXPECT_THROW(list.DeleteAsPointer(0), EListError);
    EXPECT_THROW(list.DeleteAsPointer(-1), EListError);
}

TEST(TRVIntegerListTest, SortOrdersExtremesWithoutOverflow)
{
    // Comparing by subtraction would put INT_MIN after INT_MAX.
    TRVIntegerList list;
    for (int v : {INT_MAX, 0, INT_MIN, -1, 1, INT_MIN + 1, INT_MAX - 1, 0})
        list.Add(v);
    list.Sort();
    EXPECT_EQ(Items(list), std::vector<int>({INT_MIN, INT_MIN + 1, -1, 0, 0, 1, INT_MAX - 1, INT_MAX}));
}

TEST(TRVColorListTest, AddUniqueSkipsNoneAndDuplicates)
{
    TRVColorList colors;
    colors.AddUnique(clNone);
    EXPECT_EQ(colors.Count(), 0);
    colors.AddUnique(clRed);
    colors.AddUnique(clBlue);
    colors.AddUnique(clRed);
    EXPECT_EQ(Items(colors), std::vector<int>({clRed, clBlue}));
}

TEST(TRVIntegerListTest, CopiesAndBadIndexes)
{
    TRVIntegerList source(2, 8);
    TRVIntegerList copy(&source);
    source.Put(0, 1);
    EXPECT_EQ(Items(copy), std::vector<int>({8, 8}));
    copy.Assign(&copy); // assigning a list to itself keeps it
    EXPECT_EQ(Items(copy), std::vector<int>({8, 8}));
    EXPECT_EQ(TRVIntegerList(-4, 5).Count(), 0);
    EXPECT_EQ(copy.AddUnique(8), 0);

    TRVIntegerList list;
    list.InitWith(3, 0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(list.Get(0), EListError);
    EXPECT_THROW(list.Put(-1, 0), EListError);
    EXPECT_THROW(list.Insert(1, 0), EListError);
    EXPECT_THROW(list.Delete(0), EListError);
}
