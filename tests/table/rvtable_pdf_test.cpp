// Tables printed to PDF and read back with poppler: the text after a table
// follows the table's printed height whether the viewer never showed the
// table or showed it narrow or wide, also when the table crosses pages; a row
// taller than a page continues on the next pages with every line of its cells
// printed once, a shorter cell of it where its vertical alignment puts it in
// the whole row; a block of rows held together by a spanning cell taller
// than two pages likewise, its short cells beside the spanning cell's lines
// as in the whole block; a preview draws one-pixel rules as thin as the page
// scaled down. Skipped when poppler is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "table/rvtable.h"
#include "tests/support/testpdfprint.h"
#include "tests/support/testtableprint.h"

namespace {

class TablePdfTest : public PdfPrintFixture {
protected:
    void SetUp() override
    {
        PdfPrintFixture::SetUp();
        RV_RegisterTableItem();
    }
    TRVTableItemInfo* AddTable(int Rows, int Cols) { return AddLabelledTable(Source, Rows, Cols, 0); }
    // A table of 3 rows of 2 cells whose row 1 holds 151 lines "L0x<i>" in
    // its first cell and 40 lines "L1x<i>" in its second: taller than a page.
    TRVTableItemInfo* AddTableWithATallRow()
    {
        TRVTableItemInfo* t = AddTable(3, 2);
        for (int c = 0; c < 2; ++c) {
            TRVTableCellData* Cell = t->GetCells(1, c);
            Cell->Clear();
            for (int i = 0; i < (c == 0 ? 151 : 40); ++i)
                Cell->AddNL("L" + std::to_string(c) + "x" + std::to_string(i), 0, 0);
        }
        return t;
    }
    // How often each word is printed; every word lies within the sheet's
    // printable area (nothing in the 20 mm margins).
    std::map<std::string, int> CountWithinMargins(const std::vector<TPdfWord>& All)
    {
        std::map<std::string, int> Seen;
        for (const TPdfWord& W : All) {
            ++Seen[W.Text];
            EXPECT_GE(W.YMin, 20 * 72 / 25.4 - 1) << W.Text;
            EXPECT_LE(W.YMax, 842 - 20 * 72 / 25.4 + 1) << W.Text;
        }
        return Seen;
    }
    const TPdfWord* Find(const std::vector<TPdfWord>& All, const std::string& Text)
    {
        for (const TPdfWord& W : All)
            if (W.Text == Text)
                return &W;
        return nullptr;
    }
};

TEST_F(TablePdfTest, TheLineAfterATableFollowsItsPrintedHeight)
{
    struct TCase {
        const char* Name;
        int ShownWidth; // 0: never shown
        int Rows;
    };
    const TCase Cases[] = {{"never shown", 0, 4},
                           {"shown narrow", 300, 4},
                           {"shown wide", 1500, 4},
                           {"crossing pages", 600, 400}};
    for (const TCase& c : Cases) {
        SCOPED_TRACE(c.Name);
        Source->Clear();
        Source->AddNL("Opening", 0, 0);
        AddTable(c.Rows, 3);
        Source->AddNL("Closing", 0, 0);
        if (c.ShownWidth > 0) {
            Source->SetBounds(0, 0, c.ShownWidth, 400);
            Source->Format();
        }
        const int Pages = FormatAndPrint();
        const std::vector<TPdfWord> All = Words();
        // Every cell once, in order; the closing line below the last row on the last page.
        for (int r = 0; r < c.Rows; ++r) {
            const std::string Label = CellLabel(r, 2);
            ASSERT_EQ(
                std::count_if(All.begin(), All.end(), [&](const TPdfWord& W) { return W.Text == Label; }), 1)
                << Label;
        }
        const TPdfWord* Last = Find(All, CellLabel(c.Rows - 1, 0));
        const TPdfWord* Closing = Find(All, "Closing");
        ASSERT_NE(Last, nullptr);
        ASSERT_NE(Closing, nullptr) << "the closing line is printed";
        EXPECT_EQ(Closing->Page, Pages);
        EXPECT_EQ(Closing->Page, Last->Page);
        EXPECT_GT(Closing->YMin, Last->YMax) << "nothing overlaps";
        EXPECT_LT(Closing->YMin - Last->YMax, 12) << "no gap of screen pixels";
        EXPECT_LE(Closing->YMax, 842 - 20 * 72 / 25.4 + 1) << "inside the sheet's printable area";
    }
}

TEST_F(TablePdfTest, ARowTallerThanAPageContinuesOnTheNextPages)
{
    TRVTableItemInfo* t = AddTableWithATallRow();
    t->CellBorderWidth = 1;
    Source->AddNL("Closing", 0, 0);
    const int Pages = FormatAndPrint();
    EXPECT_GE(Pages, 3);
    const std::vector<TPdfWord> All = Words();
    std::map<std::string, int> Seen = CountWithinMargins(All);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < (c == 0 ? 151 : 40); ++i) {
            const std::string Line = "L" + std::to_string(c) + "x" + std::to_string(i);
            EXPECT_EQ(Seen[Line], 1) << Line;
        }
    EXPECT_EQ(Seen["r0c0"], 1);
    EXPECT_EQ(Seen["r2c1"], 1);
    EXPECT_EQ(Seen["Closing"], 1);
    // Lines keep their order down the pages.
    const TPdfWord* Prev = nullptr;
    for (const TPdfWord& W : All)
        if (W.Text.rfind("L0x", 0) == 0) {
            if (Prev) {
                EXPECT_TRUE(W.Page > Prev->Page || (W.Page == Prev->Page && W.YMin > Prev->YMin)) << W.Text;
            }
            Prev = &W;
        }
}

// A row of 151 lines beside a cell of 40 aligned to the top, the middle or
// the bottom: the short cell's lines keep their place beside the tall one's
// (at its first, 56th or 112th line) across the pages, each printed once.
TEST_F(TablePdfTest, AShortCellOfARowCutBetweenPagesKeepsItsVerticalAlignment)
{
    for (const auto& [Align, Beside] : {std::pair{rvcTop, 0}, {rvcMiddle, 55}, {rvcBottom, 111}}) {
        SCOPED_TRACE(Beside);
        Source->Clear();
        TRVTableItemInfo* t = AddTableWithATallRow();
        t->GetCells(1, 1)->VAlign = Align;
        ASSERT_GE(FormatAndPrint(), 3);
        std::vector<TPdfWord> All = Words();
        std::stable_sort(All.begin(), All.end(), [](const TPdfWord& A, const TPdfWord& B) {
            return A.Page != B.Page ? A.Page < B.Page : A.YMin < B.YMin;
        });
        std::map<std::string, int> Seen;
        for (const TPdfWord& W : All)
            ++Seen[W.Text];
        for (int i = 0; i < 40; ++i)
            EXPECT_EQ(Seen["L1x" + std::to_string(i)], 1) << i;
        EXPECT_EQ(Seen["L0x150"], 1);
        // The tall cell's lines above the short cell's first and last lines.
        for (const auto& [Short, Tall] : {std::pair{0, Beside}, {39, Beside + 39}}) {
            const std::string Label = "L1x" + std::to_string(Short);
            const auto At =
                std::find_if(All.begin(), All.end(), [&](const TPdfWord& W) { return W.Text == Label; });
            ASSERT_NE(At, All.end());
            const int Above = static_cast<int>(std::count_if(
                All.begin(), At, [](const TPdfWord& W) { return W.Text.rfind("L0x", 0) == 0; }));
            EXPECT_NEAR(Above, Tall, 3) << Label;
        }
    }
}

// A block of four rows under a heading row, held together by a cell of 160
// lines that spans them (taller than two pages), each row's own cell three
// lines at its bottom: every line is printed once inside the margins, the
// heading row on every page, and each short cell beside the 40th, 80th...
// line of the spanning cell, where the rows it shares out among end.
TEST_F(TablePdfTest, ABlockTallerThanTwoPagesContinuesOnTheNextPages)
{
    TRVTableItemInfo* t = AddLabelledTable(Source, 7, 3, 1, {{2, 0, 4}});
    TRVTableCellData* Span = t->GetCells(2, 0);
    Span->Clear();
    for (int i = 0; i < 160; ++i)
        Span->AddNL("S" + std::to_string(i), 0, 0);
    for (int r = 2; r < 6; ++r) {
        TRVTableCellData* Cell = t->GetCells(r, 1);
        Cell->Clear();
        for (int i = 0; i < 3; ++i)
            Cell->AddNL("B" + std::to_string(r) + "x" + std::to_string(i), 0, 0);
        Cell->VAlign = rvcBottom;
    }
    t->CellBorderWidth = 1;
    Source->AddNL("Closing", 0, 0);
    const int Pages = FormatAndPrint();
    ASSERT_GE(Pages, 3);
    std::vector<TPdfWord> All = Words();
    std::stable_sort(All.begin(), All.end(), [](const TPdfWord& A, const TPdfWord& B) {
        return A.Page != B.Page ? A.Page < B.Page : A.YMin < B.YMin;
    });
    std::map<std::string, int> Seen = CountWithinMargins(All);
    EXPECT_EQ(Seen["r0c0"], Pages);
    for (int i = 0; i < 160; ++i)
        EXPECT_EQ(Seen["S" + std::to_string(i)], 1) << i;
    for (const char* Once : {"r1c0", "r2c2", "r5c2", "r6c0", "Closing"})
        EXPECT_EQ(Seen[Once], 1) << Once;
    auto Above = [&](const std::string& Label) {
        const auto At =
            std::find_if(All.begin(), All.end(), [&](const TPdfWord& W) { return W.Text == Label; });
        return static_cast<int>(
            std::count_if(All.begin(), At, [](const TPdfWord& W) { return W.Text[0] == 'S'; }));
    };
    for (int r = 2; r < 6; ++r)
        for (int i = 0; i < 3; ++i) {
            const std::string Label = "B" + std::to_string(r) + "x" + std::to_string(i);
            EXPECT_EQ(Seen[Label], 1) << Label;
            EXPECT_NEAR(Above(Label), 40 * (r - 1) - 3 + i, 3) << Label;
        }
}

TEST_F(TablePdfTest, APreviewDrawsOnePixelRulesThin)
{
    TRVTableItemInfo* t = AddTable(3, 3);
    t->BorderWidth = 1;
    t->BorderStyle = rvtbColor;
    t->BorderColor = clBlack;
    t->CellBorderWidth = 1;
    t->CellBorderStyle = rvtbColor;
    t->CellBorderColor = clBlack;
    Print->AssignSource(Source);
    ASSERT_EQ(Print->FormatPages(), 1);
    TBitmap Preview;
    ASSERT_TRUE(Print->MakePreview(1, &Preview));
    const TPinnedPixels PxPin = Preview.Pixels();
    const TPixelBuffer& Px = *PxPin;
    // Down a column through the table's left part: every dark run is one or two pixels.
    const int X = Px.Width / 4;
    int Run = 0;
    int Longest = 0;
    int Runs = 0;
    for (int y = 0; y < Px.Height / 2; ++y) {
        const uint32_t p = Px.At(X, y);
        const bool Dark = ((p >> 16) & 0xFF) < 100 && ((p >> 8) & 0xFF) < 100 && (p & 0xFF) < 100;
        if (Dark) {
            ++Run;
            Longest = std::max(Longest, Run);
        } else {
            Runs += Run > 0 ? 1 : 0;
            Run = 0;
        }
    }
    EXPECT_GE(Runs, 4) << "the table's rules cross the column";
    EXPECT_LE(Longest, 2);
}

} // namespace
