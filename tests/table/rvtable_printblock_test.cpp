// Printing blocks of rows held together by a row-spanning cell at 600 pixels
// per inch on the recording printer: a block taller than a page is cut between
// the lines of its cells, every line printed once, inside the page, in order,
// at the place its alignment gives it in the whole block, heading rows
// repeated; a page saved as RVF keeps whole rows; random table shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/core/streams.h"
#include "table/rvtableprint.h"
#include "tests/support/testtableprint.h"

namespace {

constexpr int Ppi = 600;
constexpr int PageWidth = 3000;
constexpr int PageHeight = 500;

// A text painted on a page: its page (from 0) and its top; in reading order.
struct TPaintedLine {
    int Page;
    int Y;
    bool operator<(const TPaintedLine& o) const { return std::tie(Page, Y) < std::tie(o.Page, o.Y); }
};

// Lines of a cell: "r<row>c<col>x<i>", or its label alone for one line.
void FillCell(TRVTableCellData* Cell, int Row, int Col, int Lines)
{
    if (Lines <= 1)
        return;
    Cell->Clear();
    for (int i = 0; i < Lines; ++i)
        Cell->AddNL(CellLabel(Row, Col) + "x" + std::to_string(i), 0, 0);
}

class TablePrintBlockTest : public TPrintFixture {
protected:
    TRVTablePrintInfo* PrintItem() { return FirstTablePrintItem(Print); }
    // Every text painted on the pages as formatted, with where it was painted.
    std::map<std::string, std::vector<TPaintedLine>> Paint()
    {
        std::map<std::string, std::vector<TPaintedLine>> Lines;
        for (int p = 1; p <= Print->GetPagesCount(); ++p) {
            TTestPrinterCanvas Canvas(Print->TestData()->Metrics);
            Print->rv->DrawPage(p, &Canvas, false, false);
            for (const TCanvasRecord& r : Canvas.Records())
                if (r.Op == TCanvasOp::Text)
                    Lines[r.TextUtf8()].push_back({p - 1, r.Y});
        }
        return Lines;
    }
    // The height of a line of text on the printer.
    int LineHeight()
    {
        TTestPrinterCanvas Canvas(TestMetrics(PageWidth, 1000, Ppi));
        Style->ApplyStyle(&Canvas, 0, rvbdUnspecified);
        return Canvas.TextHeight("Wg");
    }
    // Every line of every cell of Table painted once (a repeated heading row
    // on every page), whole inside the page's print area, and a cell's lines
    // in their order down the pages.
    void ExpectEveryLineOnceInsideThePage(TRVTableItemInfo* Table)
    {
        TRVTablePrintInfo* Item = PrintItem();
        ASSERT_NE(Item, nullptr);
        const int Pages = std::max(Item->PartsList.Count(), 1); // the pages showing the table
        const int Headings =
            Item->UseHeadingRows ? std::min(Table->HeadingRowCount, Table->Rows->Count()) : 0;
        TCustomMainPtblRVData* Data = Print->rv->PrintData();
        const int Top = Data->TopMarginPix + Data->TmpTMPix;
        const int Bottom = Top + Data->GetPrintablePageHeight();
        for (int p = 0; p < Item->PartsList.Count(); ++p)
            EXPECT_LE(Item->GetPart(p)->Height, Bottom - Top) << "band " << p;
        const auto Painted = Paint();
        const int Line = LineHeight();
        for (int r = 0; r < Table->Rows->Count(); ++r)
            for (int c = 0; c < Table->Rows->Get(r)->Count(); ++c) {
                TRVTableCellData* Cell = Table->GetCells(r, c);
                if (Cell == nullptr)
                    continue;
                TPaintedLine Prev{-1, 0};
                for (int i = 0; i < Cell->GetItemCount(); ++i) {
                    const std::string Text = Cell->GetItemText(i);
                    const auto At = Painted.find(Text);
                    const size_t Count = At == Painted.end() ? 0 : At->second.size();
                    ASSERT_EQ(Count, r < Headings ? static_cast<size_t>(Pages) : 1u) << Text;
                    const TPaintedLine& L = At->second.front();
                    EXPECT_GE(L.Y, Top) << Text;
                    EXPECT_LE(L.Y + Line, Bottom) << Text;
                    if (r >= Headings) {
                        EXPECT_TRUE(Prev < L) << Text;
                        Prev = L;
                    }
                }
            }
    }
};

// A table of a heading row or two, a row, the block (its first column one
// cell spanning it) and two rows below it.
struct TBlockCase {
    const char* Name;
    int Headings;
    int BlockRows;
    int SpanLines;             // lines of the spanning cell
    std::vector<int> OwnLines; // lines of each block row's second cell
    TRVCellVAlign SpanAlign;   // of the spanning cell
    TRVCellVAlign OwnAlign;    // of the block rows' cells
    int MinPages;              // on pages of PageHeight
};

// clang-format off
const TBlockCase BlockCases[] = {
    {"2 rows, a cell over 2 pages", 1, 2, 60, {3, 2}, rvcTop, rvcTop, 2},
    {"3 rows, a cell over 3 pages, short cells in the middle", 1, 3, 110, {4, 1, 6}, rvcTop, rvcMiddle, 3},
    {"5 rows, 2 heading rows, short cells below", 2, 5, 150, {2, 9, 1, 5, 3}, rvcMiddle, rvcBottom, 4},
    {"4 tall rows, a short spanning cell in the middle", 0, 4, 12, {30, 45, 20, 40}, rvcMiddle, rvcTop, 4},
    {"2 tall rows, a short spanning cell at the bottom", 1, 2, 10, {50, 50}, rvcBottom, rvcTop, 3},
    {"1 row, a short cell at the bottom of a page of space", 1, 1, 120, {10}, rvcTop, rvcBottom, 3},
    {"a block that fits a page stays whole", 1, 2, 8, {2, 2}, rvcTop, rvcTop, 1},
};
// clang-format on

using TLineKind = std::function<bool(const std::string&)>;

// For each line of kind Other, the number of lines of kind Ref painted above
// it, in reading order down the pages.
std::map<std::string, int> LinesAbove(const std::map<std::string, std::vector<TPaintedLine>>& Painted,
                                      const TLineKind& Ref, const TLineKind& Other)
{
    std::map<std::string, int> Above;
    for (const auto& [Text, At] : Painted) {
        if (!Other(Text))
            continue;
        int n = 0;
        for (const auto& [RefText, RefAt] : Painted)
            n += Ref(RefText) && RefAt[0] < At[0];
        Above[Text] = n;
    }
    return Above;
}

TEST_F(TablePrintBlockTest, ABlockTallerThanAPageIsCutBetweenTheLinesOfItsCells)
{
    for (const TBlockCase& Case : BlockCases) {
        SCOPED_TRACE(Case.Name);
        Source->Clear();
        const int First = Case.Headings + 1;
        const int Rows = First + Case.BlockRows + 2;
        TRVTableItemInfo* Table =
            AddLabelledTable(Source, Rows, 3, Case.Headings, {{First, 0, Case.BlockRows}});
        FillCell(Table->GetCells(First, 0), First, 0, Case.SpanLines);
        Table->GetCells(First, 0)->VAlign = Case.SpanAlign;
        for (int r = 0; r < Case.BlockRows; ++r) {
            FillCell(Table->GetCells(First + r, 1), First + r, 1, Case.OwnLines[r]);
            Table->GetCells(First + r, 1)->VAlign = Case.OwnAlign;
            Table->GetCells(First + r, 2)->VAlign = Case.OwnAlign;
        }
        Table->CellBorderWidth = 1;
        // Where the lines lie on one page tall enough for the whole table.
        Format(PageWidth, 100000, Ppi);
        const auto Whole = Paint();
        const int Pages = Format(PageWidth, PageHeight, Ppi);
        EXPECT_GE(Pages, Case.MinPages);
        ExpectEveryLineOnceInsideThePage(Table);
        if (Case.MinPages == 1) {
            for (int p = 0; p < PrintItem()->PartsList.Count(); ++p) {
                const auto* Band = static_cast<TRVTablePrintPart*>(PrintItem()->GetPart(p));
                EXPECT_TRUE(Band->FirstRowFrom.empty() && Band->LastRowTo.empty()) << p;
            }
            continue;
        }
        // The lines of the block's cells keep their places beside those of
        // the tallest: as many of its lines above each as in the whole block.
        const std::string Span = CellLabel(First, 0) + "x";
        const TLineKind SpanLine = [&](const std::string& t) { return t.rfind(Span, 0) == 0; };
        const TLineKind OwnLine = [&](const std::string& t) { return t.find("c1x") != std::string::npos; };
        const bool SpanTallest =
            Case.SpanLines > *std::max_element(Case.OwnLines.begin(), Case.OwnLines.end());
        const TLineKind& Ref = SpanTallest ? SpanLine : OwnLine;
        const TLineKind& Other = SpanTallest ? OwnLine : SpanLine;
        const auto Cut = LinesAbove(Paint(), Ref, Other);
        for (const auto& [Text, n] : LinesAbove(Whole, Ref, Other))
            EXPECT_NEAR(Cut.at(Text), n, 2) << Text;
    }
}

TEST_F(TablePrintBlockTest, APageSavedAsRVFStoresTheWholeRowsOfACutBlock)
{
    TRVTableItemInfo* Table = AddLabelledTable(Source, 6, 2, 0, {{1, 0, 3}});
    FillCell(Table->GetCells(1, 0), 1, 0, 100);
    ASSERT_GE(Format(PageWidth, PageHeight, Ppi), 3);
    std::set<int> PagesOfBlock;
    for (const auto& [Text, At] : Paint())
        if (Text.rfind("r1c0x", 0) == 0)
            PagesOfBlock.insert(At[0].Page + 1);
    EXPECT_GE(PagesOfBlock.size(), 3u);
    for (int Page = 1; Page <= Print->GetPagesCount(); ++Page) {
        SCOPED_TRACE(Page);
        TRollView* Copy = PageReadBack(Page);
        ASSERT_NE(Copy, nullptr);
        auto* Saved = dynamic_cast<TRVTableItemInfo*>(Copy->RVData->GetItem(0));
        ASSERT_NE(Saved, nullptr);
        // A page that shows part of the block stores its rows, the spanning
        // cell whole.
        bool Spanning = false;
        for (int r = 0; r < Saved->Rows->Count(); ++r)
            if (TRVTableCellData* Cell = Saved->GetCells(r, 0))
                Spanning = Spanning || (Cell->RowSpan == 3 && Cell->GetItemCount() == 100);
        EXPECT_EQ(Spanning, PagesOfBlock.count(Page) == 1);
    }
}

// Random shapes: merged blocks of up to five rows and three columns, cells of
// up to 70 lines in any alignment, heading rows, paddings and pages of
// several heights.
TEST_F(TablePrintBlockTest, RandomTablesPrintEveryLineOnceInsideThePage)
{
    std::mt19937 Random(20261208);
    auto Pick = [&](int From, int To) { return std::uniform_int_distribution<int>(From, To)(Random); };
    for (int Round = 0; Round < 200; ++Round) {
        SCOPED_TRACE("round " + std::to_string(Round));
        Source->Clear();
        AddLines(Pick(0, 30));
        const int Rows = Pick(2, 14);
        const int Cols = Pick(1, 4);
        const int Headings = Pick(0, std::min(2, Rows - 1));
        TRVTableItemInfo* Table = AddLabelledTable(Source, Rows, Cols, Headings);
        std::vector<std::vector<bool>> Taken(Rows, std::vector<bool>(Cols, false));
        for (int m = Pick(0, 4); m > 0; --m) {
            const int r = Pick(0, Rows - 1);
            const int c = Pick(0, Cols - 1);
            const int RowSpan = std::min(Pick(1, 5), Rows - r);
            const int ColSpan = std::min(Pick(1, 3), Cols - c);
            bool Free = true;
            for (int i = r; i < r + RowSpan; ++i)
                for (int j = c; j < c + ColSpan; ++j)
                    Free = Free && !Taken[i][j];
            if (!Free)
                continue;
            for (int i = r; i < r + RowSpan; ++i)
                for (int j = c; j < c + ColSpan; ++j)
                    Taken[i][j] = true;
            MergeBlock(Table, r, c, ColSpan, RowSpan);
        }
        const TRVCellVAlign Aligns[] = {rvcTop, rvcMiddle, rvcBottom, rvcVDefault};
        for (int r = 0; r < Rows; ++r)
            for (int c = 0; c < Cols; ++c)
                if (TRVTableCellData* Cell = Table->GetCells(r, c)) {
                    FillCell(Cell, r, c,
                             r < Headings      ? Pick(1, 2)
                             : Pick(0, 3) == 0 ? Pick(20, 70)
                                               : Pick(1, 4));
                    Cell->VAlign = Aligns[Pick(0, 3)];
                }
        Table->CellPadding = Pick(0, 8);
        Table->CellBorderWidth = Pick(0, 2);
        Table->CellVSpacing = Pick(0, 4);
        Table->BorderWidth = Pick(0, 3);
        // A page that holds the repeated heading rows, the table's frame and
        // the viewer's margins with room for 3 to 40 lines below them.
        Format(PageWidth, 100000, Ppi);
        const TRVTablePrintInfo* Item = PrintItem();
        const TRVTableItemFormattingInfo& Fmt = Item->FmtInfo;
        const int H = Item->UseHeadingRows ? Headings : 0;
        const int Frame = Fmt.RowStarts[H] + Fmt.Height - Fmt.RowStarts[Rows - 1] - Fmt.RowHeights[Rows - 1];
        const int Margins = 100000 - Print->rv->PrintData()->GetPrintablePageHeight();
        Format(PageWidth, Margins + Frame + LineHeight() * Pick(3, 40), Ppi);
        ExpectEveryLineOnceInsideThePage(Table);
        if (HasFatalFailure())
            return;
    }
}

} // namespace
