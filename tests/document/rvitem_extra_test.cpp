// The rarely set fields of items (checkpoint, tag, hyperlink number), held
// apart from the items: every item sees its own values, a new item starts at
// the defaults even where a freed one stood, and the fields go back to their
// defaults one by one.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/rvitem.h"

TEST(ItemExtras, DefaultsUntilSet)
{
    TRVTextItemInfo Item(nullptr);
    EXPECT_EQ(Item.GetCheckpoint(), nullptr);
    EXPECT_EQ(Item.GetTag(), TRVTag());
    EXPECT_EQ(Item.GetJumpID(), 0);
    static_assert(sizeof(void*) != 8 || sizeof(TRVTextItemInfo) == 24, "a text item holds no extra field");
}

TEST(ItemExtras, EachFieldGoesBackOnItsOwn)
{
    TRVCPInfo Chained;
    TRVTextItemInfo Item(nullptr);
    Chained.ItemInfo = &Item;
    Item.SetTag(TRVTag(AnsiString("link")));
    Item.SetJumpID(-3);
    Item.SetCheckpoint(&Chained);

    Item.SetTag(TRVTag());
    EXPECT_EQ(Item.GetTag(), TRVTag());
    EXPECT_EQ(Item.GetJumpID(), -3) << "clearing the tag keeps the others";
    EXPECT_EQ(Item.GetCheckpoint(), &Chained);

    Item.SetJumpID(0);
    EXPECT_EQ(Item.GetCheckpoint(), &Chained);
    Item.SetCheckpoint(nullptr);
    EXPECT_EQ(Item.GetCheckpoint(), nullptr);

    // Set again after all went back to the defaults.
    Item.SetTag(TRVTag(AnsiString("again")));
    EXPECT_EQ(Item.GetTag().AsString(), "again");
    EXPECT_EQ(Item.GetJumpID(), 0);
    // An empty string tag is a string, not "no tag".
    Item.SetTag(TRVTag(AnsiString()));
    EXPECT_TRUE(Item.GetTag().IsString());
}

TEST(ItemExtras, ValuesStayWithTheirItems)
{
    std::vector<std::unique_ptr<TRVTextItemInfo>> Items;
    for (int i = 0; i < 100; ++i) {
        Items.push_back(std::make_unique<TRVTextItemInfo>(nullptr));
        if (i % 3 == 0)
            Items.back()->SetTag(TRVTag(AnsiString("tag ") + std::to_string(i)));
        if (i % 5 == 0)
            Items.back()->SetJumpID(i);
    }
    // A reference read before other items come, change and go stays good.
    const TRVTag& kept = Items[3]->GetTag();
    for (int i = 0; i < 100; i += 2)
        Items[static_cast<size_t>(i)].reset();
    for (int i = 100; i < 300; ++i)
        Items.push_back(std::make_unique<TRVTextItemInfo>(nullptr));
    for (size_t i = 100; i < Items.size(); ++i)
        Items[i]->SetJumpID(static_cast<int>(i));
    EXPECT_EQ(kept.AsString(), "tag 3");
    for (size_t i = 1; i < 100; i += 2) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Items[i]->GetTag(), i % 3 == 0 ? TRVTag(AnsiString("tag ") + std::to_string(i)) : TRVTag());
        EXPECT_EQ(Items[i]->GetJumpID(), i % 5 == 0 ? static_cast<int>(i) : 0);
    }
}

TEST(ItemExtras, ANewItemWhereAFreedOneStoodStartsClean)
{
    // Items of one size reuse the blocks of freed ones: what the freed item
    // set must not show through the new one.
    std::vector<TRVTextItemInfo*> Freed;
    for (int i = 0; i < 16; ++i) {
        auto* item = new TRVTextItemInfo(nullptr);
        item->SetTag(TRVTag(7));
        item->SetJumpID(3);
        item->SetCheckpoint(new TRVCPInfo); // carried: freed with the item
        Freed.push_back(item);
    }
    for (TRVTextItemInfo* item : Freed)
        delete item;
    for (int i = 0; i < 16; ++i) {
        auto Item = std::make_unique<TRVTextItemInfo>(nullptr);
        EXPECT_EQ(Item->GetTag(), TRVTag());
        EXPECT_EQ(Item->GetJumpID(), 0);
        EXPECT_EQ(Item->GetCheckpoint(), nullptr);
    }
}

// Items of several documents set and clear their fields in turn, one
// record made as another goes: each item ends with its own value.
TEST(ItemExtras, ItemsOfManyDocumentsInTurn)
{
    constexpr int DocCount = 4;
    constexpr int PerDoc = 2000;
    std::vector<std::vector<std::unique_ptr<TRVTextItemInfo>>> Docs(DocCount);
    for (int i = 0; i < PerDoc; ++i)
        for (int d = 0; d < DocCount; ++d) {
            auto& items = Docs[static_cast<size_t>(d)];
            items.push_back(std::make_unique<TRVTextItemInfo>(nullptr));
            items.back()->SetTag(TRVTag(d * PerDoc + i));
            if (i % 2 == 1)
                items[static_cast<size_t>(i - 1)]->SetTag(TRVTag());
        }
    for (int d = 0; d < DocCount; ++d) {
        int wrong = 0;
        for (int i = 0; i < PerDoc; ++i) {
            const int expected = i % 2 == 0 && i + 1 < PerDoc ? 0 : d * PerDoc + i;
            if (Docs[static_cast<size_t>(d)][static_cast<size_t>(i)]->GetTag().AsInteger() != expected)
                ++wrong;
        }
        EXPECT_EQ(wrong, 0) << "document " << d;
    }
}
