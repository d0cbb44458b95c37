// The draw-item list: text of draw items cut to the item texts, the page-start
// search, and the draw item's compact marker offset.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

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

// The narrow fields of a draw item keep their ranges apart: the flag never
// bleeds into the signed field beside it, and a 16-bit field keeps its bound.
TEST(DrawLineInfo, PackedFieldsKeepTheirRangesApart)
{
    EXPECT_LE(sizeof(TRVDrawLineInfo), 40u);
    const TRVDrawLineInfo made(1, 2, 3, 4, 5, true);
    EXPECT_TRUE(made.FromNewLine);
    EXPECT_EQ(made.ExtraSpaceBelow, 0);
    EXPECT_EQ(static_cast<int>(made.SpaceBefore), 0);
    TRVDrawLineInfo dli;
    for (int extra : {TRVDrawLineInfo::MinExtraSpaceBelow, -1, 1, TRVDrawLineInfo::MaxExtraSpaceBelow}) {
        for (bool fromNewLine : {false, true}) {
            dli.ExtraSpaceBelow = static_cast<int16_t>(extra);
            dli.FromNewLine = fromNewLine;
            EXPECT_EQ(dli.ExtraSpaceBelow, extra);
            EXPECT_EQ(dli.FromNewLine, fromNewLine);
        }
    }
    dli.SpaceBefore = 40000;
    EXPECT_EQ(static_cast<int>(dli.SpaceBefore), 32767);
}

// The deferred move of the draw items below an edit: what a reader sees is
// always the moved value, whichever way it reads and whatever changes the
// list in between; the model moves every entry at once.
TEST(DrawLinesShift, ReadersSeeMovedValuesWhateverChangesTheListInBetween)
{
    TRVDrawLines Lines;
    std::vector<std::pair<int, int>> Model; // Top, ItemNo
    for (int i = 0; i < 200; ++i) {
        auto* dli = Piece(i, 1, 1);
        dli->Top = i * 10;
        Lines.Add(dli);
        Model.emplace_back(i * 10, i);
    }
    auto shift = [&](int first, int dTop, int dItemNo) {
        Lines.ShiftFrom(first, dTop, dItemNo);
        for (size_t i = static_cast<size_t>(first); i < Model.size(); ++i) {
            Model[i].first += dTop;
            Model[i].second += dItemNo;
        }
    };
    auto expectSame = [&](const char* where) {
        SCOPED_TRACE(where);
        ASSERT_EQ(Lines.Count(), static_cast<int>(Model.size()));
        // Peeking first, settling after: both see the same.
        for (int i = Lines.Count() - 1; i >= 0; --i) {
            ASSERT_EQ(Lines.TopOf(i), Model[static_cast<size_t>(i)].first) << i;
            ASSERT_EQ(Lines.ItemNoOf(i), Model[static_cast<size_t>(i)].second) << i;
        }
        for (int i = 0; i < Lines.Count(); ++i) {
            ASSERT_EQ(Lines[i]->Top, Model[static_cast<size_t>(i)].first) << i;
            ASSERT_EQ(Lines[i]->ItemNo, Model[static_cast<size_t>(i)].second) << i;
        }
    };

    shift(100, 13, 1);
    EXPECT_EQ(Lines.ShiftedFrom(), 100);
    EXPECT_EQ(Lines[120]->Top, 120 * 10 + 13); // settles up to 120 only
    EXPECT_EQ(Lines.ShiftedFrom(), 121);
    shift(110, -3, 2); // above the settled edge: those between move now
    shift(150, 5, -1); // below it: settles down to 149 first
    EXPECT_EQ(Lines.ShiftedFrom(), 150);
    // A draw item inserted and one deleted above the waiting ones.
    auto* added = Piece(77, 1, 1);
    added->Top = 777;
    Lines.Insert(40, added);
    Model.insert(Model.begin() + 40, {777, 77});
    Lines.Delete(10);
    Model.erase(Model.begin() + 10);
    EXPECT_EQ(Lines.ShiftedFrom(), 150);
    // A range laid out again below the settled edge.
    Lines.MarkForDelete(160, 162);
    for (int k = 0; k < 2; ++k) {
        auto* piece = Piece(500 + k, 1, 1);
        piece->Top = 5000 + k;
        Lines.Insert(160 + k, piece);
    }
    Lines.DeleteMarked();
    Model.erase(Model.begin() + 160, Model.begin() + 163);
    Model.insert(Model.begin() + 160, {{5000, 500}, {5001, 501}});
    shift(161, 7, 0);
    expectSame("after the changes");
    shift(0, 1, 1);
    Lines.DeleteFrom(190);
    Model.resize(190);
    expectSame("after cutting the end");
    EXPECT_EQ(Lines.ShiftedFrom(), Lines.Count());
}

} // namespace
