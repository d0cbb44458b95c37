// The draw-item list: text of draw items cut to the item texts, the page-start
// search, and the draw item's compact marker offset.
#include <gtest/gtest.h>

#include "document/rvitem.h"
#include "platform/core/stringlist.h"
#include "view/dlines.h"

namespace {

TRVDrawLineInfo* Piece(int ItemNo, int Offs, int Length)
{
    auto* dli = new TRVDrawLineInfo();
    dli->ItemNo = ItemNo;
    dli->Offs = Offs;
    dli->Length = Length;
    return dli;
}

class DrawLinesText : public ::testing::Test {
protected:
    DrawLinesText()
    {
        Ansi.ItemOptions = TRVItemOptions();
        Uni.ItemOptions = {rvioUnicode};
        Items.AddObject("hello world", &Ansi);
        Items.AddObject(AnsiString("a\0b\0c\0d\0", 8), &Uni);
        Lines.Add(Piece(0, 7, 5)); // "world"
        Lines.Add(Piece(1, 2, 3)); // "bcd"
    }
    ~DrawLinesText() override { Items.Clear(); }

    TRVTextItemInfo Ansi{nullptr};
    TRVTextItemInfo Uni{nullptr};
    TStringList Items;
    TRVDrawLines Lines;
};

TEST_F(DrawLinesText, TextShorterThanTheDrawItemIsNeverReadPast)
{
    Items.Put(0, "hello wo");
    EXPECT_EQ(Lines.GetString(0, &Items), "wo");
    Items.Put(0, "hi");
    EXPECT_EQ(Lines.GetString(0, &Items), "");
    EXPECT_EQ(Lines.GetRightString(0, &Items, 1), "");
    EXPECT_EQ(Lines.GetSubString(0, &Items, 0, 3), "");
    Items.Put(1, AnsiString("a\0b\0", 4));
    EXPECT_EQ(Lines.GetString(1, &Items), AnsiString("b\0", 2));
    // An item that is gone reads as nothing.
    Lines[0]->ItemNo = 5;
    EXPECT_EQ(Lines.GetString(0, &Items), "");
}

TEST(SoftPageBreaks, FindItemGivesTheFirstPageOfTheItem)
{
    TRVSoftPageBreakList List;
    EXPECT_EQ(List.FindItem(7), -1);
    for (int ItemNo : {2, 7, 7, 7, 9}) {
        auto* pb = new TRVSoftPageBreakInfo();
        pb->ItemNo = ItemNo;
        List.Add(pb);
    }
    EXPECT_EQ(List.FindItem(7), 1);
    EXPECT_EQ(List.FindItem(8), -1);
    EXPECT_EQ(List.FindItem(9), 4);
}

TEST(DrawLineInfo, StaysCompactAndKeepsMarkerOffsetsInRange)
{
    EXPECT_LE(sizeof(TRVDrawLineInfo), 48u);
    TRVDrawLineInfo dli;
    dli.MarkerOffset = -14;
    EXPECT_EQ(static_cast<int>(dli.MarkerOffset), -14);
    dli.MarkerOffset = 100000;
    EXPECT_EQ(static_cast<int>(dli.MarkerOffset), 32767);
    dli.MarkerOffset = -100000;
    EXPECT_EQ(static_cast<int>(dli.MarkerOffset), -32768);
}

} // namespace
