// Deleting the styles a document does not use: what counts as used, and the
// renumbering of every reference that remains.
#include <gtest/gtest.h>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "tests/support/testrvdata.h"

namespace {

class StylesTest : public ::testing::Test {
protected:
    // Text styles "t0".."t4", paragraph styles "p0".."p3", list styles
    // "l0".."l2"; none of them standard.
    void SetUp() override
    {
        TFontInfos* Text = Style.TextStyles();
        while (Text->Count() > 5)
            Text->Delete(Text->Count() - 1);
        for (int i = 0; i < 5; ++i) {
            Text->Items(i)->SetStyleName("t" + IntToStr(i));
            Text->Items(i)->SetStandard(false);
        }
        TParaInfos* Paras = Style.ParaStyles();
        while (Paras->Count() < 4)
            Paras->Add();
        for (int i = 0; i < 4; ++i) {
            Paras->Items(i)->SetStyleName("p" + IntToStr(i));
            Paras->Items(i)->SetStandard(false);
        }
        for (int i = 0; i < 3; ++i) {
            TRVListInfo* List = Style.ListStyles()->Add();
            List->SetStyleName("l" + IntToStr(i));
            List->SetStandard(false);
        }
    }

    AnsiString TextNames() const
    {
        AnsiString s;
        for (int i = 0; i < Style.TextStyles()->Count(); ++i)
            s += Style.TextStyles()->Items(i)->StyleName() + " ";
        return s;
    }

    AnsiString ParaNames() const
    {
        AnsiString s;
        for (int i = 0; i < Style.ParaStyles()->Count(); ++i)
            s += Style.ParaStyles()->Items(i)->StyleName() + " ";
        return s;
    }

    TFontInfo* Text(int i) const { return Style.TextStyles()->Items(i); }

    TRVStyle Style{nullptr};
    TTestRVData Data{&Style};
};

} // namespace

TEST_F(StylesTest, NothingFlaggedChangesNothing)
{
    Data.AddNL("a", 3, 2);
    Data.DeleteUnusedStyles(false, false, false);
    EXPECT_EQ(Style.TextStyles()->Count(), 5);
    EXPECT_EQ(Style.ParaStyles()->Count(), 4);
    EXPECT_EQ(Style.ListStyles()->Count(), 3);
    EXPECT_EQ(Data.GetItemStyle(0), 3);
    EXPECT_EQ(Data.GetItemPara(0), 2);
}

TEST_F(StylesTest, UnusedTextStylesGoAndItemsAreRenumbered)
{
    Data.AddNL("a", 0, 0);
    Data.AddNL("b", 3, 0);
    Data.DeleteUnusedStyles(true, false, false);
    EXPECT_EQ(TextNames(), "t0 t3 ");
    EXPECT_EQ(Data.GetItemStyle(0), 0);
    EXPECT_EQ(Data.GetItemStyle(1), 1);
    // Paragraph styles were not to be cleaned.
    EXPECT_EQ(Style.ParaStyles()->Count(), 4);
}

TEST_F(StylesTest, ReferencesKeepStylesAliveAlongChainsAndCycles)
{
    Text(0)->SetNextStyleNo(2);
    Text(2)->SetBaseStyleNo(4);
    Text(4)->SetNextStyleNo(0); // back to the start: a cycle
    Text(1)->SetNextStyleNo(3); // style 1 is unused, so 3 is not kept by it
    Data.AddNL("a", 0, 0);
    Data.DeleteUnusedStyles(true, false, false);
    EXPECT_EQ(TextNames(), "t0 t2 t4 ");
    EXPECT_EQ(Text(0)->NextStyleNo(), 1);
    EXPECT_EQ(Text(1)->BaseStyleNo(), 2);
    EXPECT_EQ(Text(2)->NextStyleNo(), 0);
}

TEST_F(StylesTest, LongReferenceChainIsFollowedToItsEnd)
{
    TFontInfos* Styles = Style.TextStyles();
    while (Styles->Count() < 5000)
        Styles->Add()->SetStandard(false);
    for (int i = 0; i < 4999; ++i)
        Styles->Items(i)->SetNextStyleNo(i + 1);
    Data.AddNL("a", 0, 0);
    Data.DeleteUnusedStyles(true, false, false);
    EXPECT_EQ(Styles->Count(), 5000);
}

TEST_F(StylesTest, ReferencesOutsideTheCollectionBecomeMinusOne)
{
    Text(0)->SetNextStyleNo(5);
    Text(0)->SetBaseStyleNo(99);
    Style.ParaStyles()->Items(0)->SetNextParaNo(4);
    Data.AddNL("a", 0, 0);
    Data.DeleteUnusedStyles(true, true, false);
    EXPECT_EQ(Text(0)->NextStyleNo(), -1);
    EXPECT_EQ(Text(0)->BaseStyleNo(), -1);
    EXPECT_EQ(Style.ParaStyles()->Items(0)->NextParaNo(), -1);
}

TEST_F(StylesTest, DefaultUnicodeStyleIsKeptOrDropped)
{
    Style.SetDefUnicodeStyle(4);
    Data.AddNL("a", 0, 0);
    Data.DeleteUnusedStyles(true, false, false);
    EXPECT_EQ(TextNames(), "t0 t4 ");
    EXPECT_EQ(Style.DefUnicodeStyle(), 1);

    Style.SetDefUnicodeStyle(7);
    Data.DeleteUnusedStyles(true, false, false);
    EXPECT_EQ(Style.DefUnicodeStyle(), -1);
    EXPECT_EQ(TextNames(), "t0 ");
}

TEST_F(StylesTest, StandardStylesSurvive)
{
    Text(2)->SetStandard(true);
    Data.AddNL("a", 4, 0);
    Data.DeleteUnusedStyles(true, false, false);
    EXPECT_EQ(TextNames(), "t2 t4 ");
    EXPECT_EQ(Data.GetItemStyle(0), 1);
}

TEST_F(StylesTest, ParagraphStylesOfEveryItemAreRenumbered)
{
    Data.AddNL("a", 0, 3);
    Data.AddBreak(); // paragraph style 0
    Data.GetItem(1)->ParaNo = 1;
    Data.AddBulletEx("b", 0, nullptr, 3);
    Data.DeleteUnusedStyles(false, true, false);
    EXPECT_EQ(ParaNames(), "p1 p3 ");
    EXPECT_EQ(Data.GetItemPara(0), 1);
    EXPECT_EQ(Data.GetItemPara(1), 0);
    EXPECT_EQ(Data.GetItemPara(2), 1);
}

TEST_F(StylesTest, EveryCollectionAtOnceInOrder)
{
    // Paragraph style 3 refers on to 2, text style 3 is based on 1; a marker uses list 2.
    Style.ParaStyles()->Items(3)->SetNextParaNo(2);
    Text(3)->SetBaseStyleNo(1);
    Style.ListStyles()->Items(1)->SetBaseStyleNo(0);
    Data.AddItem("", new TRVMarkerItemInfo(&Data, 2, 0, 1, false));
    Data.GetItem(0)->ParaNo = 3;
    Data.AddNL("x", 3, -1);
    Data.DeleteUnusedStyles(true, true, true);
    EXPECT_EQ(TextNames(), "t1 t3 ");
    EXPECT_EQ(ParaNames(), "p2 p3 ");
    EXPECT_EQ(Style.ListStyles()->Count(), 1);
    EXPECT_EQ(Style.ListStyles()->Items(0)->StyleName(), "l2");
    EXPECT_EQ(static_cast<TRVMarkerItemInfo*>(Data.GetItem(0))->ListNo, 0);
    EXPECT_EQ(Data.GetItemPara(0), 1);
    EXPECT_EQ(Data.GetItemPara(1), 1);
    EXPECT_EQ(Data.GetItemStyle(1), 1);
    EXPECT_EQ(Text(1)->BaseStyleNo(), 0);
    EXPECT_EQ(Style.ParaStyles()->Items(1)->NextParaNo(), 0);
}

TEST_F(StylesTest, StyleNumbersOutsideTheStyleSheetStayAsTheyAre)
{
    Data.AddNL("a", 0, 0);
    Data.AddNL("b", 99, 0);
    Data.GetItem(1)->ParaNo = 42;
    Data.DeleteUnusedStyles(true, true, true);
    EXPECT_EQ(Data.GetItemStyle(0), 0);
    EXPECT_EQ(Data.GetItemStyle(1), 99);
    EXPECT_EQ(Data.GetItemPara(1), 42);
    EXPECT_EQ(TextNames(), "t0 ");
}

TEST_F(StylesTest, WithoutAStyleSheetNothingHappens)
{
    TTestRVData Bare;
    Bare.AddNL("a", 3, 0);
    Bare.DeleteUnusedStyles(true, true, true);
    EXPECT_EQ(Bare.GetItemStyle(0), 3);
}
