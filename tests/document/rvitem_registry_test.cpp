// The item-class registry, the factory and the duplication of items.
#include <gtest/gtest.h>

#include <memory>

#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "document/rvstr.h"
#include "tests/support/testrvdata.h"

namespace {

// A table stand-in: a full-line item class of its own.
class TTestTableItem : public TRVFullLineItemInfo {
public:
    using TRVFullLineItemInfo::TRVFullLineItemInfo;
    TRVItemClass GetItemClass() const override { return RVItemClassOf<TTestTableItem>(); }
};

class TOtherItem : public TRVNonTextItemInfo {
public:
    using TRVNonTextItemInfo::TRVNonTextItemInfo;
    TRVItemClass GetItemClass() const override { return RVItemClassOf<TOtherItem>(); }
};

std::unique_ptr<TCustomRVItemInfo> Make(int StyleNo)
{
    return std::unique_ptr<TCustomRVItemInfo>(CreateRollViewItem(StyleNo, nullptr));
}

} // namespace

TEST(ItemFactory, ReservedAndUnknownCodesMakeNothing)
{
    for (int Code : {rvsCheckpoint, rvsBack, rvsVersionInfo, rvsDocProperty, -12, -1000})
        EXPECT_EQ(Make(Code), nullptr) << Code;
}

TEST(ItemFactory, BeforeAndAfterRegistration)
{
    EXPECT_EQ(Make(rvsTable), nullptr);

    RegisterRollViewItemClass(rvsTable, RVItemClassOf<TTestTableItem>());
    auto Table = Make(rvsTable);
    ASSERT_NE(dynamic_cast<TTestTableItem*>(Table.get()), nullptr);
    EXPECT_EQ(Table->StyleNo, rvsTable);
    EXPECT_TRUE(Table->GetBoolValue(rvbpFullWidth));

    // The same class again is accepted; another class for the code is not.
    EXPECT_NO_THROW(RegisterRollViewItemClass(rvsTable, RVItemClassOf<TTestTableItem>()));
    EXPECT_THROW(RegisterRollViewItemClass(rvsTable, RVItemClassOf<TOtherItem>()), ERollViewError);
    EXPECT_NE(dynamic_cast<TTestTableItem*>(Make(rvsTable).get()), nullptr);

    // Codes of -9 and above belong to the library.
    try {
        RegisterRollViewItemClass(-9, RVItemClassOf<TOtherItem>());
        FAIL() << "no error";
    } catch (const ERollViewError& e) {
        EXPECT_STREQ(e.what(), errRVItemTypeRegistered);
    }
    EXPECT_THROW(RegisterRollViewItemClass(rvsBreak, RVItemClassOf<TOtherItem>()), ERollViewError);
    EXPECT_THROW(RegisterRollViewItemClass(0, RVItemClassOf<TOtherItem>()), ERollViewError);

    // The built-in marker class wins over a registration of its code.
    RegisterRollViewItemClass(rvsListMarker, RVItemClassOf<TOtherItem>());
    EXPECT_NE(dynamic_cast<TRVMarkerItemInfo*>(Make(rvsListMarker).get()), nullptr);
}

TEST(ItemFactory, TheTextItemClassCanBeReplaced)
{
    class TMyText : public TRVTextItemInfo {
    public:
        using TRVTextItemInfo::TRVTextItemInfo;
        TRVItemClass GetItemClass() const override { return RVItemClassOf<TMyText>(); }
    };
    const TRVItemClass Saved = RollViewTextItemClass;
    RollViewTextItemClass = RVItemClassOf<TMyText>();
    auto Item = Make(3);
    RollViewTextItemClass = Saved;
    EXPECT_NE(dynamic_cast<TMyText*>(Item.get()), nullptr);
    EXPECT_EQ(Item->StyleNo, 3);
}

TEST(DuplicateItem, CopiesClassFieldsTagAndCheckpoint)
{
    TTestRVData Data;
    Data.Options.Include(rvoTagsArePChars);

    TRVHotspotItemInfo Source(nullptr, 1, 2, nullptr, rvvaMiddle);
    Source.ParaNo = 3;
    Source.SetTag(TRVTag(AnsiString("http://x")));
    Source.SetJumpID(8);
    TRVCPInfo Chained;
    Chained.Name = "here";
    Chained.Tag = TRVTag(AnsiString("cp tag"));
    Chained.ItemInfo = &Source;
    Source.SetCheckpoint(&Chained);

    std::unique_ptr<TCustomRVItemInfo> Copy(RV_DuplicateItem(&Source, &Data));
    Source.SetCheckpoint(nullptr);
    auto* Hot = dynamic_cast<TRVHotspotItemInfo*>(Copy.get());
    ASSERT_NE(Hot, nullptr);
    EXPECT_EQ(Hot->HotImageIndex, 2);
    EXPECT_EQ(Hot->GetJumpID(), 0);
    EXPECT_EQ(Hot->DrawItemNo, -1);
    ASSERT_TRUE(Hot->GetTag().IsString());
    EXPECT_EQ(Hot->GetTag().AsString(), "http://x");

    // The copy carries its own unattached checkpoint (freed with it).
    ASSERT_NE(Hot->GetCheckpoint(), nullptr);
    EXPECT_NE(Hot->GetCheckpoint(), &Chained);
    EXPECT_EQ(Hot->GetCheckpoint()->Tag.AsString(), "cp tag");
    EXPECT_EQ(Hot->GetCheckpoint()->ItemInfo, nullptr);
}

TEST(DuplicateItem, ACarriedCheckpointBecomesPendingWhenAdded)
{
    TTestRVData Data;
    TRVTextItemInfo Source(nullptr);
    TRVCPInfo Chained;
    Chained.Name = "copy me";
    Chained.ItemInfo = &Source;
    Source.SetCheckpoint(&Chained);
    TCustomRVItemInfo* Copy = RV_DuplicateItem(&Source, &Data);
    Source.SetCheckpoint(nullptr);

    // Another checkpoint is pending already: the carried one must not leak.
    Data.AddNamedCheckpointExTag("pending", false, TRVTag());
    Data.AddItem("text", Copy);
    ASSERT_NE(Copy->GetCheckpoint(), nullptr);
    EXPECT_EQ(Copy->GetCheckpoint()->Name, "pending");
    EXPECT_EQ(Data.CPCount, 1);

    TCustomRVItemInfo* Second = RV_DuplicateItem(&Source, &Data);
    Second->SetCheckpoint(Chained.CreateCopy(false));
    Data.AddItem("more", Second);
    ASSERT_NE(Second->GetCheckpoint(), nullptr);
    EXPECT_EQ(Second->GetCheckpoint()->Name, "copy me");
    EXPECT_EQ(Data.CPCount, 2);
}
