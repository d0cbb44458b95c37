// Printing tables on the recording printer at 600 pixels per inch: the row
// bands pagination cuts a long table into cover every row once, never cut a
// block held together by a row-spanning cell, and repeat the heading rows on
// every page (unless a cell of the last heading row reaches below it); a table
// that may not be cut is never cut; a nested table prints inside its cell; a page saved as RVF stores only
// its band; and a cell laid out on an in-place editor's document paints the cell's current document once the
// editor is gone.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "platform/core/streams.h"
#include "table/rvtableprint.h"
#include "tests/support/testtableprint.h"

namespace {

constexpr int Ppi = 600;
constexpr int PageWidth = 3000;

class TablePrintTest : public TPrintFixture {
protected:
    TPrinterMetrics Metrics(int PageHeight) const { return TestMetrics(PageWidth, PageHeight, Ppi); }
};

struct TBandCase {
    const char* Name;
    int Rows;
    int Headings;
    std::vector<TTestRowSpan> Spans;
    bool RowsSplit;
    int PageHeight;
    // Whether the heading rows may repeat (painted on every page when rows are cut).
    bool HeadingsRepeat;
};

const TBandCase BandCases[] = {
    {"plain rows, two heading rows", 40, 2, {}, true, 1200, true},
    {"row-spanning cells",
     40,
     1,
     {{4, 0, 5}, {9, 1, 4}, {12, 2, 6}, {21, 0, 7}, {30, 1, 9}},
     true,
     1200,
     true},
    {"a cell of the heading row reaches below it", 30, 1, {{0, 0, 2}}, true, 1000, false},
    {"a block taller than a page stays whole", 16, 1, {{3, 0, 10}}, true, 600, true},
    {"rows may not be cut: the table overflows its page", 20, 1, {}, false, 1000, true},
};

TEST_F(TablePrintTest, BandsCoverEveryRowOnceNeverCutASpanAndRepeatHeadings)
{
    for (const TBandCase& Case : BandCases) {
        SCOPED_TRACE(Case.Name);
        Source->Clear();
        AddLines(2);
        TRVTableItemInfo* Table = AddLabelledTable(Source, Case.Rows, 3, Case.Headings, Case.Spans);
        if (!Case.RowsSplit)
            Table->PrintOptions.Exclude(rvtoRowsSplit);
        const int Pages = Format(PageWidth, Case.PageHeight, Ppi);
        TRVTablePrintDrawItem* Item = TablePrintItem(Print);
        ASSERT_NE(Item, nullptr);
        EXPECT_EQ(Item->UseHeadingRows, Case.HeadingsRepeat);
        const int H = Case.HeadingsRepeat && Case.RowsSplit ? Case.Headings : 0;

        if (!Case.RowsSplit) {
            EXPECT_EQ(Item->PartsList.Count(), 0);
            EXPECT_GT(Item->Height, Case.PageHeight);
            const auto Painted = PaintedPages(Print, Metrics(Case.PageHeight));
            EXPECT_EQ(std::count_if(Painted.begin(), Painted.end(),
                                    [](const std::vector<std::string>& Texts) {
                                        return std::find(Texts.begin(), Texts.end(), "r0c0") != Texts.end();
                                    }),
                      1);
        } else {
            ASSERT_GT(Pages, 2);
            ASSERT_EQ(Item->PartsList.Count(), Pages);
            int Next = H;
            for (int p = 0; p < Item->PartsList.Count(); ++p) {
                const auto* Band = static_cast<TRVTablePrintPart*>(Item->GetPart(p));
                SCOPED_TRACE("band " + std::to_string(p));
                EXPECT_EQ(Band->FirstRow, Next);
                EXPECT_GT(Band->RowCount, 0);
                EXPECT_EQ(Band->GetSoftPageBreakInfo(), Band->FirstRow);
                for (const TTestRowSpan& s : Case.Spans)
                    EXPECT_FALSE(s.Row < Band->FirstRow && Band->FirstRow < s.Row + s.RowSpan);
                const bool OneBlock =
                    Table->GetSplitRowBelow(Band->FirstRow) == Band->FirstRow + Band->RowCount - 1;
                EXPECT_TRUE(Band->Height <= Case.PageHeight || OneBlock) << Band->Height;
                Next = Band->FirstRow + Band->RowCount;
            }
            EXPECT_EQ(Next, Case.Rows);
        }

        // Every cell is painted once, on one page; the headings once more on every later page.
        std::map<std::string, int> Seen;
        const auto Painted = PaintedPages(Print, Metrics(Case.PageHeight));
        for (size_t p = 0; p < Painted.size(); ++p) {
            for (const std::string& s : Painted[p])
                ++Seen[s];
            for (int r = 0; r < H; ++r) {
                EXPECT_EQ(std::count(Painted[p].begin(), Painted[p].end(), CellLabel(r, 2)), 1)
                    << "page " << p + 1;
            }
        }
        for (int r = 0; r < Case.Rows; ++r) {
            for (int c = 0; c < 3; ++c) {
                if (Table->GetCells(r, c) != nullptr) {
                    EXPECT_EQ(Seen[CellLabel(r, c)], r < H ? static_cast<int>(Painted.size()) : 1)
                        << CellLabel(r, c);
                }
            }
        }
    }
}

TEST_F(TablePrintTest, SplitRowsAboveAndBelowFollowSpans)
{
    TRVTableItemInfo* Table = AddLabelledTable(Source, 10, 3, 0, {{1, 0, 3}, {2, 2, 4}, {7, 1, 2}});
    // Row: {the first row of its block, the last row of the block starting there}.
    const int Expected[10][2] = {{0, 0}, {1, 5}, {1, 5}, {1, 5}, {1, 5},
                                 {1, 5}, {6, 6}, {7, 8}, {7, 8}, {9, 9}};
    for (int r = 0; r < 10; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(Table->GetSplitRowAbove(r), Expected[r][0]);
        if (Expected[r][0] == r) {
            EXPECT_EQ(Table->GetSplitRowBelow(r), Expected[r][1]);
        }
    }
}

TEST_F(TablePrintTest, APageSavedAsRVFStoresOnlyItsBand)
{
    AddLabelledTable(Source, 40, 3, 1);
    ASSERT_GT(Format(PageWidth, 1200, Ppi), 2);
    const auto* Band = static_cast<TRVTablePrintPart*>(TablePrintItem(Print)->GetPart(1));
    TMemoryStream Stream;
    ASSERT_TRUE(Print->SavePageAsRVF(Stream, 2));
    Stream.SetPosition(0);
    TRollView* Copy = new TRollView(Root.get());
    Copy->SetStyle(Style);
    ASSERT_TRUE(Copy->LoadRVFFromStream(&Stream));
    ASSERT_EQ(Copy->RVData->GetItemCount(), 1);
    auto* Saved = dynamic_cast<TRVTableItemInfo*>(Copy->RVData->GetItem(0));
    ASSERT_NE(Saved, nullptr);
    ASSERT_EQ(Saved->Rows->Count(), Band->RowCount);
    for (int r = 0; r < Band->RowCount; ++r)
        EXPECT_EQ(Saved->GetCells(r, 1)->GetItemText(0), CellLabel(Band->FirstRow + r, 1));
}

TEST_F(TablePrintTest, ANestedTablePrintsInsideItsCell)
{
    TRVTableItemInfo* Table = AddLabelledTable(Source, 3, 2, 1);
    TRVTableCellData* Holder = Table->GetCells(1, 1);
    Holder->Clear();
    auto* Inner = new TRVTableItemInfo(2, 2, Holder);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c)
            Inner->GetCells(r, c)->SetItemText(0, "in" + CellLabel(r, c));
    Holder->AddItem(AnsiString(), Inner);
    ASSERT_EQ(Format(PageWidth, 2000, Ppi), 1);
    const auto Texts = PaintedPages(Print, Metrics(2000)).at(0);
    for (const char* Label : {"r0c0", "r1c0", "r2c1", "inr0c0", "inr0c1", "inr1c0", "inr1c1"})
        EXPECT_EQ(std::count(Texts.begin(), Texts.end(), Label), 1) << Label;
    EXPECT_EQ(std::count(Texts.begin(), Texts.end(), "r1c1"), 0);
}

// An in-place editor whose document holds "editing".
class TFakeCellEditor : public TRVTableInplaceEdit {
public:
    TFakeCellEditor(TRVTableCellData* ACell, TRVStyle* AStyle) : Cell(ACell), Data(AStyle)
    {
        Data.AddNL("editing", 0, 0);
    }
    TRVTableCellData* GetEditedCell() override { return Cell; }
    TCustomRVFormattedData* GetEditorData() override { return &Data; }
    void SetEditorWidth(int) override {}

    TRVTableCellData* Cell;
    TTableTestData Data;
};

TEST_F(TablePrintTest, CellsPaintTheirCurrentDocument)
{
    struct TCase {
        const char* Name;
        bool CloseEditor;
        // The pages are laid out again after the editor closed, before painting.
        bool Reformat;
        const char* Shown;
        const char* Hidden;
    };
    const TCase Cases[] = {
        {"the editor stays open", false, false, "editing", "r0c0"},
        {"the editor closes before the page is painted", true, false, "r0c0", "editing"},
        {"the editor closes and the pages are laid out again", true, true, "r0c0", "editing"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Source->Clear();
        TRVTableItemInfo* Table = AddLabelledTable(Source, 1, 2, 0);
        auto Editor = std::make_unique<TFakeCellEditor>(Table->GetCells(0, 0), Style);
        Table->InplaceEditor = Editor.get();
        ASSERT_EQ(Format(PageWidth, 1000, Ppi), 1);
        if (Case.CloseEditor) {
            Table->InplaceEditor = nullptr;
            Editor.reset();
        }
        if (Case.Reformat) {
            ASSERT_EQ(Print->FormatPages(), 1);
        }
        const auto Texts = PaintedPages(Print, Metrics(1000)).at(0);
        EXPECT_EQ(std::count(Texts.begin(), Texts.end(), Case.Shown), 1);
        EXPECT_EQ(std::count(Texts.begin(), Texts.end(), Case.Hidden), 0);
        EXPECT_EQ(std::count(Texts.begin(), Texts.end(), "r0c1"), 1);
        Table->InplaceEditor = nullptr;
    }
}

} // namespace
