// TCollection and TCollectionItem: items made through the item class, freed by
// the collection or by themselves, numbered with IDs that are never reused.
#include "platform/core/collection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/stringlist.h"
#include "platform/core/sysutils.h"

namespace {

class TTestItem : public TCollectionItem {
public:
    explicit TTestItem(TCollection* Collection) : TCollectionItem(Collection), Magic(42) {}
    ~TTestItem() override { ++Freed; }
    const char* ClassName() const override { return "TTestItem"; }

    int Value = 0;
    int Magic;
    static int Freed;
};
int TTestItem::Freed = 0;

// Records every Update: the changed item, or null for the whole collection. Each
// call also checks that the items it can see are complete.
class TTestCollection : public TCollection {
public:
    TTestCollection() : TCollection([](TCollection* c) { return new TTestItem(c); }) {}
    const char* ClassName() const override { return "TTestCollection"; }
    TTestItem* Item(int index) const { return static_cast<TTestItem*>(GetItem(index)); }

    std::vector<TCollectionItem*> Updates;

protected:
    void Update(TCollectionItem* Item) override
    {
        Updates.push_back(Item);
        for (int i = 0; i < Count(); ++i)
            EXPECT_EQ(static_cast<TTestItem*>(GetItem(i))->Magic, 42) << "Update saw an unfinished item";
    }
};

std::vector<int> Values(const TTestCollection& c)
{
    std::vector<int> values;
    for (int i = 0; i < c.Count(); ++i)
        values.push_back(c.Item(i)->Value);
    return values;
}

std::vector<int> IDs(const TTestCollection& c)
{
    std::vector<int> ids;
    for (int i = 0; i < c.Count(); ++i)
        ids.push_back(c.Item(i)->ID());
    return ids;
}

class CollectionTest : public ::testing::Test {
protected:
    void SetUp() override { TTestItem::Freed = 0; }
};

} // namespace

TEST_F(CollectionTest, ItemsAreMadeNumberedAndFreedByTheCollection)
{
    {
        TTestCollection c;
        for (int i = 0; i < 4; ++i)
            static_cast<TTestItem*>(c.Add())->Value = i;
        EXPECT_EQ(c.Count(), 4);
        EXPECT_EQ(c.Item(2)->Collection(), &c);
        EXPECT_EQ(c.Item(2)->Index(), 2);
        EXPECT_EQ(IDs(c), (std::vector<int>{0, 1, 2, 3}));

        c.Delete(1);
        EXPECT_EQ(TTestItem::Freed, 1);
        EXPECT_EQ(Values(c), (std::vector<int>{0, 2, 3}));
        // An item freed on its own leaves the collection.
        delete c.Item(0);
        EXPECT_EQ(Values(c), (std::vector<int>{2, 3}));

        // IDs are never given twice, even after deletions.
        c.Add();
        EXPECT_EQ(IDs(c), (std::vector<int>{2, 3, 4}));
        EXPECT_EQ(c.FindItemID(3), c.Item(1));
        EXPECT_EQ(c.FindItemID(1), nullptr);

        c.Clear();
        EXPECT_EQ(TTestItem::Freed, 5);
        EXPECT_EQ(c.Count(), 0);
        c.Add();
        c.Add();
        EXPECT_EQ(c.Item(0)->ID(), 5);
    }
    EXPECT_EQ(TTestItem::Freed, 7);
}
