// Style entries: the base properties, the mapping comparison and merging one
// collection into another in every mode, with renumbered references.
#include "document/rvstyle.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/core/colors.h"
#include "platform/core/stringlist.h"

namespace {

std::vector<int> Values(const TRVIntegerList& list)
{
    std::vector<int> v;
    for (int i = 0; i < list.Count(); ++i)
        v.push_back(list[i]);
    return v;
}

class MergeTest : public ::testing::Test {
protected:
    TRVStyle Target{nullptr};
    TRVStyle Source{nullptr};
    TRVIntegerList Mapping;

    TFontInfos* T() { return Target.TextStyles(); }
    TFontInfos* S() { return Source.TextStyles(); }
    void TearDown() override { RollViewResetStandardFlag = true; }
};

} // namespace

TEST_F(MergeTest, SmartMergeOfAnEqualCollectionAddsNothing)
{
    T()->MergeWith(S(), rvs_merge_SmartMerge, &Mapping);
    EXPECT_EQ(T()->Count(), 6);
    EXPECT_EQ(Values(Mapping), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    // Style 5 equals style 4, but the same index is preferred.
}

TEST_F(MergeTest, SmartMergeFindsEqualStylesAnywhereAndAppendsTheRest)
{
    S()->Clear();
    S()->Add()->Assign(T()->Items(3)); // 0 -> 3
    TFontInfo* fresh = S()->Add();     // 1 -> new
    fresh->SetSize(30);
    fresh->SetNextStyleNo(0);
    fresh->SetBaseStyleNo(2);
    S()->Add()->Assign(T()->Items(0)); // 2 -> 0
    T()->Items(3)->SetStandard(true);
    T()->MergeWith(S(), rvs_merge_SmartMerge, &Mapping);
    EXPECT_EQ(Values(Mapping), (std::vector<int>{3, 6, 0}));
    ASSERT_EQ(T()->Count(), 7);
    TFontInfo* added = T()->Items(6);
    EXPECT_EQ(added->Size(), 30);
    // References of the appended style go through the mapping.
    EXPECT_EQ(added->NextStyleNo(), 3);
    EXPECT_EQ(added->BaseStyleNo(), 0);
    EXPECT_FALSE(added->Standard());
    EXPECT_TRUE(T()->Items(3)->Standard());
}

TEST_F(MergeTest, StandardFlagKeptWhenAsked)
{
    RollViewResetStandardFlag = false;
    S()->Items(0)->SetSize(50);
    T()->MergeWith(S(), rvs_merge_SmartMerge, &Mapping);
    EXPECT_EQ(Mapping[0], 6);
    EXPECT_TRUE(T()->Items(6)->Standard());
}

TEST_F(MergeTest, SmartMergeComparesReferencesThroughTheMapping)
{
    // Target: 6 = size 20 -> next 1; incoming 0 = size 20 -> next 1, and
    // incoming 1 maps to target 0, so the references differ.
    TFontInfo* t6 = T()->Add();
    t6->SetSize(20);
    t6->SetNextStyleNo(1);
    S()->Clear();
    TFontInfo* s0 = S()->Add();
    s0->SetSize(20);
    s0->SetNextStyleNo(1);
    S()->Add();
    // s0's reference points forward to an entry not mapped yet: dropped, equal.
    T()->MergeWith(S(), rvs_merge_SmartMerge, &Mapping);
    EXPECT_EQ(Values(Mapping), (std::vector<int>{6, 0}));
    EXPECT_EQ(s0->NextStyleNo(), -1);

    // A backward reference is compared through the mapping.
    S()->Clear();
    S()->Add(); // 0 -> target 0
    TFontInfo* s1 = S()->Add();
    s1->SetSize(20);
    s1->SetNextStyleNo(0); // -> target 0, while target 6 goes to 1
    T()->MergeWith(S(), rvs_merge_SmartMerge, &Mapping);
    EXPECT_EQ(Values(Mapping), (std::vector<int>{0, 7}));
    EXPECT_EQ(T()->Items(7)->NextStyleNo(), 0);
    s1->SetNextStyleNo(1);
    T()->Items(7)->SetNextStyleNo(5);
    S()->Items(0)->Assign(T()->Items(1));
    T()->MergeWith(S(), rvs_merge_SmartMerge, &Mapping);
    EXPECT_EQ(Values(Mapping), (std::vector<int>{1, 6}));
}

TEST_F(MergeTest, AppendMapsToTheNewEntries)
{
    S()->Items(1)->SetNextStyleNo(5);
    S()->Items(2)->SetBaseStyleNo(1);
    T()->MergeWith(S(), rvs_merge_Append, &Mapping);
    EXPECT_EQ(Values(Mapping), (std::vector<int>{6, 7, 8, 9, 10, 11}));
    ASSERT_EQ(T()->Count(), 12);
    EXPECT_EQ(T()->Items(7)->NextStyleNo(), 11);
    EXPECT_EQ(T()->Items(8)->BaseStyleNo(), 7);
    for (int i = 6; i < 12; ++i)
        EXPECT_FALSE(T()->Items(i)->Standard());
    // Appending a collection to itself appends each entry once.
    T()->MergeWith(T(), rvs_merge_Append, &Mapping);
    EXPECT_EQ(T()->Count(), 24);
}

TEST_F(MergeTest, ReferenceOutsideTheMappingIsDroppedNotFatal)
{
    S()->Clear();
    TFontInfo* a = S()->Add();
    a->SetSize(31);
    a->SetNextStyleNo(7); // no incoming style 7
    a->SetBaseStyleNo(1);
    TFontInfo* b = S()->Add();
    b->SetSize(32);
    b->SetBaseStyleNo(0);
    b->SetNextStyleNo(-5);
    T()->MergeWith(S(), rvs_merge_Append, &Mapping);
    ASSERT_EQ(T()->Count(), 8);
    EXPECT_EQ(T()->Items(6)->NextStyleNo(), -1);
    EXPECT_EQ(T()->Items(6)->BaseStyleNo(), 7);
    // The entries after the bad reference are renumbered all the same.
    EXPECT_EQ(T()->Items(7)->BaseStyleNo(), 6);
    EXPECT_EQ(T()->Items(7)->NextStyleNo(), -5);

    TParaInfos* paras = Target.ParaStyles();
    TParaInfos* incoming = Source.ParaStyles();
    incoming->Items(1)->SetNextParaNo(40);
    incoming->Items(1)->SetBaseStyleNo(0);
    paras->MergeWith(incoming, rvs_merge_Append, &Mapping);
    EXPECT_EQ(paras->Items(3)->NextParaNo(), -1);
    EXPECT_EQ(paras->Items(3)->BaseStyleNo(), 2);
}

TEST_F(MergeTest, MapIntoAnEmptyCollectionGivesMinusOne)
{
    T()->Clear();
    T()->MergeWith(S(), rvs_merge_Map, &Mapping);
    EXPECT_EQ(Values(Mapping), (std::vector<int>(6, -1)));
    EXPECT_EQ(T()->Count(), 0);
}

TEST_F(MergeTest, MapChoosesTheMostSimilarStyle)
{
    S()->Clear();
    TFontInfo* bigBold = S()->Add();
    bigBold->SetStyle({fsBold});
    bigBold->SetSize(11);
    bigBold->SetColor(0xFE0000);
    TFontInfo* link = S()->Add();
    link->SetJump(true);
    TFontInfo* plain = S()->Add();
    plain->SetColor(clMaroon);
    T()->MergeWith(S(), rvs_merge_Map, &Mapping);
    EXPECT_EQ(Values(Mapping), (std::vector<int>{1, 4, 0}));
    EXPECT_EQ(T()->Count(), 6);

    // Equal scores: the lower index wins (styles 4 and 5 are the same).
    S()->Clear();
    S()->Add()->Assign(T()->Items(5));
    T()->MergeWith(S(), rvs_merge_Map, &Mapping);
    EXPECT_EQ(Mapping[0], 4);

    // A hyperlink maps to a non-hyperlink only when the target has none.
    T()->Delete(5);
    T()->Delete(4);
    T()->MergeWith(S(), rvs_merge_Map, &Mapping);
    EXPECT_GE(Mapping[0], 0);
    EXPECT_FALSE(T()->Items(Mapping[0])->Jump());
    // With no hyperlink style at all, the same Unicode flag decides.
    T()->Items(3)->SetUnicode(true);
    S()->Items(0)->SetUnicode(true);
    T()->MergeWith(S(), rvs_merge_Map, &Mapping);
    EXPECT_EQ(Mapping[0], 3);
}

TEST(StyleInfoListMergeTest, NumberedListsAreNotJoined)
{
    TRVStyle target(nullptr);
    TRVStyle source(nullptr);
    auto addNumbered = [](TRVListInfos* lists) {
        TRVListInfo* list = lists->Add();
        list->Levels()->Add()->SetListType(rvlstDecimal);
        return list;
    };
    addNumbered(target.ListStyles());
    addNumbered(source.ListStyles());
    addNumbered(source.ListStyles());
    source.ListStyles()->Add()->Levels()->Add(); // a bullet list
    TRVIntegerList mapping;
    target.ListStyles()->MergeWith(source.ListStyles(), rvs_merge_SmartMerge, &mapping);
    // The second numbered list gets a list of its own.
    EXPECT_EQ(Values(mapping), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(target.ListStyles()->Count(), 3);

    // Bullet lists may share.
    TRVStyle bullets(nullptr);
    bullets.ListStyles()->Add()->Levels()->Add();
    bullets.ListStyles()->Add()->Levels()->Add();
    target.ListStyles()->MergeWith(bullets.ListStyles(), rvs_merge_SmartMerge, &mapping);
    EXPECT_EQ(Values(mapping), (std::vector<int>{2, 2}));

    target.ListStyles()->MergeWith(source.ListStyles(), rvs_merge_Map, &mapping);
    EXPECT_EQ(Values(mapping), (std::vector<int>{0, 0, 2}));
}
