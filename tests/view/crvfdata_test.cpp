// The formatted-data core: clearing and the hover reset,
// joining items, and line starts after list markers.
#include <gtest/gtest.h>

#include "document/rvstyle.h"
#include "tests/support/testrvfdata.h"

namespace {

class FormattedDataCore : public ::testing::Test {
protected:
    FormattedDataCore() : Style(nullptr) {}
    TRVStyle Style;
    TTestRVFData Data{&Style};
};

TEST_F(FormattedDataCore, ClearingForgetsTheLayoutAndTheHover)
{
    Data.AddNL("link", 4, 0);
    Data.FormatAll();
    ASSERT_EQ(Data.Jumps.Count(), 1);
    Data.HoverJumpData = &Data;
    Data.HoverJumpId = 0;
    Data.State.Include(rvstDrawHover);
    Data.ClearTemporal();
    // The hyperlink-leave event fires once, for the data that had the hover.
    EXPECT_EQ(Data.MouseMoveEvents, std::vector<int>{-1});
    EXPECT_EQ(Data.Jumps.Count(), 0);
    EXPECT_FALSE(Data.State.Contains(rvstDrawHover));
}

TEST_F(FormattedDataCore, DeletedItemsMakeTheNextTailLayoutFull)
{
    for (const char* s : {"one", "two", "three"})
        Data.AddNL(s, 0, 0);
    Data.FormatAll();
    Data.DeleteItems(0, 1);
    Data.AddNL("four", 0, 0);
    Data.FormatTail();
    ASSERT_EQ(Data.DrawItems.Count(), 3);
    EXPECT_EQ(Data.DI(0)->ItemNo, 0);
    EXPECT_EQ(Data.DrawItems.GetString(0, Data.Items), "two");
}

TEST_F(FormattedDataCore, ConcateItemsOfTwoEncodingsKeepsTheUnicodeItem)
{
    TFontInfo* Uni = Style.TextStyles()->Add();
    Uni->SetUnicode(true);
    Data.AddNL("ab", 0, 0);
    Data.AddNLWTag(WideString(u"cd"), Style.TextStyles()->Count() - 1, -1, TRVTag());
    Data.GetItem(0)->SetBR(true);
    Data.ConcateItems(0);
    ASSERT_EQ(Data.GetItemCount(), 1);
    EXPECT_TRUE(Data.GetItem(0)->ItemOptions.Contains(rvioUnicode));
    EXPECT_TRUE(Data.GetItem(0)->GetBR());
    EXPECT_FALSE(Data.GetItem(0)->GetSameAsPrev());
}

TEST_F(FormattedDataCore, NormalizeJoinsNeighboursFromTheEnd)
{
    Data.AddNL("a", 0, 0);
    Data.AddNL("b", 0, -1);
    Data.AddNL("c", 0, -1);
    Data.AddNL("d", 1, -1);
    Data.AddNL("e", 0, 0);
    Data.Normalize();
    ASSERT_EQ(Data.GetItemCount(), 3);
    EXPECT_EQ(Data.GetItemText(0), "abc");
    EXPECT_EQ(Data.GetItemText(1), "d");
    EXPECT_EQ(Data.GetItemText(2), "e");
}

TEST_F(FormattedDataCore, DrawItemsAfterAListMarkerCountAsLineStarts)
{
    TRVListLevel* Level = Style.ListStyles()->Add()->Levels()->Add();
    Level->SetListType(rvlstDecimal);
    Data.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
    Data.AddNL("text", 0, -1);
    Data.FormatAll();
    ASSERT_EQ(Data.DrawItems.Count(), 2);
    EXPECT_TRUE(Data.IsDrawItemFromNewLine(0));
    EXPECT_FALSE(Data.DI(1)->FromNewLine);
    EXPECT_TRUE(Data.IsDrawItemFromNewLine(1));
}

} // namespace
