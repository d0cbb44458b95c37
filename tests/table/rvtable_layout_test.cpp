// Table layout: the width of a table from the document width, pixel,
// percentage and automatic columns, minimum widths, spanning cells, row
// heights, device scaling, hostile sizes and tables without cells.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/core/numbers.h"
#include "tests/support/testtable.h"
#include "tests/view/crvfdata_test_helpers.h"

namespace {

class TableLayoutTest : public ::testing::Test {
protected:
    std::vector<int> ColWidths(TRVTableItemInfo* t) const
    {
        std::vector<int> r;
        for (int i = 0; i < t->FormattingInfo->ColWidths.Count(); ++i)
            r.push_back(t->FormattingInfo->ColWidths[i]);
        return r;
    }
    std::vector<int> RowHeights(TRVTableItemInfo* t) const
    {
        std::vector<int> r;
        for (int i = 0; i < t->FormattingInfo->RowHeights.Count(); ++i)
            r.push_back(t->FormattingInfo->RowHeights[i]);
        return r;
    }
    // The cell's content: one box n * 7 pixels wide and 13 high, which is
    // also its minimum width.
    void Text(TRVTableCellData* Cell, int n)
    {
        Cell->Clear();
        auto* Box = new TTestBoxItem(Cell, n * 7, 13);
        Box->ParaNo = 0;
        Cell->AddItem(AnsiString(), Box);
    }
    TTableDoc Doc;
};

TEST_F(TableLayoutTest, OneCellFillsTheDocumentWidthLessBorderSpacingAndPadding)
{
    TRVTableItemInfo* t = Doc.AddTable(1, 1);
    Doc.Format();
    EXPECT_EQ(t->GetWidth(), 400);
    EXPECT_EQ(ColWidths(t), std::vector<int>({394}));
    // The cell's rectangle: border spacing 2, padding inside it.
    TRVTableCellData* c = t->GetCells(0, 0);
    EXPECT_EQ(c->Left, 2);
    EXPECT_EQ(c->Width, 396);
    EXPECT_EQ(c->GetWidth(), 394);
    // One empty line of 13 pixels, padding 1 above and below, spacing 2 around.
    EXPECT_EQ(RowHeights(t), std::vector<int>({13}));
    EXPECT_EQ(t->GetHeight(), 13 + 2 + 4);
    EXPECT_EQ(Doc.Data.DI(0)->Height, t->GetHeight());
}

TEST_F(TableLayoutTest, FixedWidthTableIgnoresTheDocumentWidth)
{
    for (int DocWidth : {300, 400, 900}) {
        SCOPED_TRACE(DocWidth);
        TTableDoc D;
        D.Data.Width = DocWidth;
        TRVTableItemInfo* t = D.AddTable(2, 2);
        t->GetCells(0, 0)->BestWidth = 50;
        t->GetCells(1, 1)->BestWidth = 70;
        D.Format();
        ASSERT_TRUE(t->IsFixedWidthTable());
        EXPECT_EQ(ColWidths(t), std::vector<int>({50, 70}));
        // Widths, padding 2 per column, extra 2 + 4 + 2.
        EXPECT_EQ(t->GetWidth(), 50 + 70 + 4 + 2 + 4);
    }
}

TEST_F(TableLayoutTest, PercentColumnTakesItsShareAndTheOtherTheRest)
{
    TRVTableItemInfo* t = Doc.AddTable(1, 2);
    t->GetCells(0, 0)->BestWidth = -50;
    Doc.Format();
    // Content 400 - 6 = 394; half of it less the padding.
    EXPECT_EQ(ColWidths(t), std::vector<int>({195, 394 - 4 - 195}));
    EXPECT_EQ(t->GetWidth(), 400);
}

TEST_F(TableLayoutTest, MinimumWidthsBeyondTheFreeWidthMakeTheTableWider)
{
    TRVTableItemInfo* t = Doc.AddTable(1, 2);
    Text(t->GetCells(0, 0), 40); // 280 pixels
    Text(t->GetCells(0, 1), 30); // 210 pixels
    Doc.Format();
    EXPECT_EQ(ColWidths(t), std::vector<int>({280, 210}));
    EXPECT_EQ(t->GetWidth(), 280 + 210 + 4 + 6);
    EXPECT_EQ(t->GetMinWidth(nullptr, &Doc.Data.Canvas, &Doc.Data), t->GetWidth());
}

TEST_F(TableLayoutTest, SpanningRowGrowsItsRowsInProportion)
{
    // Column 0 spans two rows and holds three lines; column 1 has a cell of
    // its own in each row, so both rows grow, in proportion to their heights.
    TRVTableItemInfo* t = Doc.AddTable(2, 2);
    TRVTableCellData* Tall = t->GetCells(0, 0);
    Tall->Clear();
    for (int i = 0; i < 5; ++i)
        Tall->AddNL("x", 0, 0);
    MergeBlock(t, 0, 0, 1, 2);
    t->GetCells(1, 1)->AddNL("second line", 0, 0);
    Doc.Format();
    // Needed: 65 + 2; had: 13 + 26 + 2 * (2 + 2) - 2 = 45; both rows take the 22.
    const std::vector<int> h = RowHeights(t);
    ASSERT_EQ(h.size(), 2u);
    EXPECT_EQ(h[0] + h[1], 65 + 2 - 6 + 2 - 4 + 2);
    EXPECT_EQ(h[0], 13 + MulDiv(13, 22, 39));
    EXPECT_EQ(Tall->Height, t->GetCells(1, 1)->Top + t->GetCells(1, 1)->Height - Tall->Top);
}

TEST_F(TableLayoutTest, RowOfOnlySpanningCellsIsTenHigh)
{
    TRVTableItemInfo* t = Doc.AddTable(2, 1);
    MergeBlock(t, 0, 0, 1, 2);
    EXPECT_EQ(t->Rows->Get(1)->GetHeight(), 10);
    Doc.Format();
    EXPECT_EQ(RowHeights(t)[1], 10);
}

TEST_F(TableLayoutTest, LayingOutAgainAtTheSameWidthChangesNothing)
{
    TRVTableItemInfo* t = Doc.AddTable(2, 3);
    t->GetCells(0, 1)->BestWidth = -30;
    Text(t->GetCells(1, 2), 12);
    Doc.Format();
    const std::vector<int> w = ColWidths(t);
    const std::vector<int> h = RowHeights(t);
    const int Left = t->GetCells(1, 2)->Left;
    t->GetCells(1, 2)->Left = -1; // a second layout at the same width must not run
    int HShift = 0;
    int Desc = 0;
    t->OnDocWidthChange(400, Doc.Data.DI(0), false, &Doc.Data.Canvas, &Doc.Data, nullptr, HShift, Desc,
                        false);
    EXPECT_EQ(t->GetCells(1, 2)->Left, -1);
    t->OnDocWidthChange(400, Doc.Data.DI(0), false, &Doc.Data.Canvas, &Doc.Data, nullptr, HShift, Desc, true);
    EXPECT_EQ(t->GetCells(1, 2)->Left, Left);
    EXPECT_EQ(ColWidths(t), w);
    EXPECT_EQ(RowHeights(t), h);
}

TEST_F(TableLayoutTest, DeviceUnitsScaleEveryLength)
{
    TRVTableItemInfo* t = Doc.AddTable(1, 2);
    t->BorderWidth = 1;
    t->CellBorderWidth = 1;
    t->GetCells(0, 0)->BestWidth = 96;
    t->GetCells(0, 1)->BestWidth = 48;
    TRVScreenAndDevice sad{96, 96, 600, 600, 0, 0};
    t->Device = &sad;
    EXPECT_EQ(t->GetDevX(96), 600);
    EXPECT_EQ(t->GetDevY(1), 6); // 6.25 rounds to 6
    EXPECT_EQ(t->GetHorzExtra(), MulDiv(2 + 2 * 3 + 4, 600, 96));
    t->Device = nullptr;
    const int Screen = t->GetMinWidth(nullptr, &Doc.Data.Canvas, &Doc.Data);
    const int Device = t->GetMinWidth(&sad, &Doc.Data.Canvas, &Doc.Data);
    EXPECT_EQ(t->Device, nullptr);
    EXPECT_EQ(Screen, 96 + 48 + 4 + 2 + 6 + 4);
    EXPECT_EQ(Device, 600 + 300 + MulDiv(4, 600, 96) + MulDiv(12, 600, 96));
}

TEST_F(TableLayoutTest, HostileSizesNeitherOverflowNorTrap)
{
    struct Case {
        int TableBest;
        int CellBest;
        int BestHeight;
        int Padding;
    };
    const Case Cases[] = {
        {INT_MIN, 0, 0, 1}, {0, INT_MIN, 0, 1}, {0, INT_MAX, 0, 1},
        {INT_MAX, 0, 0, 1}, {0, 0, INT_MAX, 1}, {0, -50, INT_MAX, INT_MAX / 2},
    };
    for (const Case& c : Cases) {
        SCOPED_TRACE(testing::Message() << c.TableBest << " " << c.CellBest << " " << c.BestHeight);
        TTableDoc D;
        TRVTableItemInfo* t = D.AddTable(3, 2);
        t->BestWidth = c.TableBest;
        t->CellPadding = c.Padding;
        for (int r = 0; r < 3; ++r) {
            t->GetCells(r, 0)->BestWidth = c.CellBest;
            t->GetCells(r, 1)->BestHeight = c.BestHeight;
        }
        MergeBlock(t, 0, 0, 2, 1);
        D.Format();
        EXPECT_GE(t->GetWidth(), 0);
        EXPECT_GE(t->GetHeight(), 0);
        for (int i = 0; i < t->FormattingInfo->ColWidths.Count(); ++i)
            EXPECT_GE(t->FormattingInfo->ColWidths[i], 0);
    }
}

// The layout's scaling takes its 64-bit operands whole: rounded as MulDiv
// rounds within the int range, saturated beyond it, and where MulDiv answers
// (operands and result within int) the same as MulDiv.
TEST(TableScaleSafe, TakesItsOperandsWholeAndSaturates)
{
    const struct {
        int64_t A, B, C;
        int Want;
    } Cases[] = {
        {1000, 3000000000, 6000000000, 500},
        {-1000, 3000000000, 6000000000, -500},
        {1, 5, 2, 3},
        {-1, 5, 2, -3},
        {1, -5, -2, 3},
        {7, 0, 3, 0},
        {7, 3, 0, 0},
        {INT64_MAX, INT64_MAX, 1, INT_MAX},
        {INT64_MIN, INT64_MAX, 1, INT_MIN},
        {INT64_MIN, INT64_MIN, INT64_MIN, INT_MIN},
        {INT64_MAX, INT64_MAX, INT64_MAX, INT_MAX},
        {int64_t(1) << 40, 3, int64_t(1) << 20, 3 << 20},
        {INT_MAX, 2, 2, INT_MAX},
        {int64_t(INT_MAX) + 1, 1, 1, INT_MAX},
    };
    for (const auto& c : Cases) {
        SCOPED_TRACE(testing::Message() << c.A << " * " << c.B << " / " << c.C);
        EXPECT_EQ(ScaleSafe(c.A, c.B, c.C), c.Want);
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<int> any(INT_MIN, INT_MAX);
    for (int i = 0; i < 10000; ++i) {
        const int a = any(random), b = any(random) >> (i % 31), c = (any(random) >> (i % 29)) | 1;
        const int mulDiv = MulDiv(a, b, c);
        const int64_t exact = int64_t(a) * b / c;
        if (mulDiv != -1 && exact > INT_MIN + 1 && exact < INT_MAX - 1) {
            ASSERT_EQ(ScaleSafe(a, b, c), mulDiv) << a << " * " << b << " / " << c;
        }
    }
}

TEST_F(TableLayoutTest, SpanOverColumnsOfNoWidthSharesEvenly)
{
    // No padding and empty columns: the weights of the spanned columns sum to 0.
    TRVTableItemInfo* t = Doc.AddTable(2, 2);
    t->CellPadding = 0;
    MergeBlock(t, 1, 0, 2, 1);
    Text(t->GetCells(1, 0), 10);
    t->GetCells(0, 0)->Clear();
    t->GetCells(0, 1)->Clear();
    const int Min = t->GetMinWidth(nullptr, &Doc.Data.Canvas, &Doc.Data);
    // The span needs 70 less the spacing between its two columns, shared 34 + 34.
    EXPECT_EQ(Min, 70 - t->CellHSpacing + t->GetHorzExtra());
}

TEST_F(TableLayoutTest, TablesWithoutCellsAreTheirBorder)
{
    struct Case {
        int Rows;
        int Cols;
    };
    for (const Case& c : {Case{0, 0}, Case{0, 3}, Case{2, 0}}) {
        SCOPED_TRACE(testing::Message() << c.Rows << "x" << c.Cols);
        TTableDoc D;
        TRVTableItemInfo* t = D.AddTable(c.Rows, c.Cols);
        t->BorderWidth = 1;
        t->VRuleWidth = 1;
        t->HRuleWidth = 1;
        D.Format();
        EXPECT_EQ(t->GetWidth(), 6);
        EXPECT_EQ(t->GetHeight(), 6);
        EXPECT_EQ(t->GetMinWidth(nullptr, &D.Data.Canvas, &D.Data), 6);
        D.Data.Canvas.Clear();
        D.Data.PaintTo(&D.Data.Canvas, Rect(0, 0, 400, 100));
        EXPECT_GT(D.Data.Canvas.Count(), 0);
    }
}

TEST_F(TableLayoutTest, RowsOfDifferentLengthsAreLaidOutAndPaintedWithoutIndexingPastThem)
{
    TRVTableItemInfo* t = Doc.AddTable(3, 3);
    t->VRuleWidth = 1;
    t->HRuleWidth = 1;
    t->GetCells(2, 2)->BestWidth = -20;
    t->Rows->Get(1)->Delete(2);
    t->Rows->Get(2)->Delete(0);
    EXPECT_NO_THROW(Doc.Format());
    EXPECT_NO_THROW(t->IsFixedWidthTable());
    EXPECT_NO_THROW(t->Rows->IsPercentWidthColumn(2));
    Doc.Data.Canvas.Clear();
    EXPECT_NO_THROW(Doc.Data.PaintTo(&Doc.Data.Canvas, Rect(0, 0, 400, 200)));
}

} // namespace
