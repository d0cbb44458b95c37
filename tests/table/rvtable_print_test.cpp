// Printing tables at 600 pixels per inch on the recording printer: the row
// bands cover every row once, cut a block held together by a row-spanning
// cell only when it is taller than a page, and repeat the heading rows on
// every page (unless a cell of the last heading row reaches below it); a
// table that may not be cut is never cut; an empty grid prints its frame
// alone; a page saved as RVF stores only its band; a nested table prints in
// its cell; a cell laid out on an in-place editor's document paints the
// cell's current document once the editor is gone. Then a long table printed
// to PDF and read back with poppler (skipped when it is missing).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "platform/core/streams.h"
#include "table/rvtableprint.h"
#include "table/rvtinplace.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/tempdir.h"
#include "tests/support/testtableprint.h"

namespace {

constexpr int Ppi = 600;
constexpr int PageWidth = 3000;

class TablePrintTest : public TPrintFixture {
protected:
    TRVTablePrintInfo* PrintItem() { return FirstTablePrintItem(Print); }
    std::vector<std::vector<std::string>> Painted(int PageHeight)
    {
        return PaintedPages(Print, TestMetrics(PageWidth, PageHeight, Ppi));
    }
};

struct TBandCase {
    const char* Name;
    int Rows;
    int Headings;
    std::vector<TTestRowSpan> Spans;
    bool RowsSplit;
    int PageHeight;
    bool HeadingsUsable;
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
    {"a block taller than a page is cut", 16, 1, {{3, 0, 10}}, true, 600, true},
    {"rows may not be cut: the table overflows its page", 20, 1, {}, false, 1000, true},
};

TEST_F(TablePrintTest, BandsCoverEveryRowOnceCutOnlyTallBlocksAndRepeatHeadings)
{
    for (const TBandCase& Case : BandCases) {
        SCOPED_TRACE(Case.Name);
        Source->Clear();
        AddLines(2);
        TRVTableItemInfo* Table = AddLabelledTable(Source, Case.Rows, 3, Case.Headings, Case.Spans);
        if (!Case.RowsSplit)
            Table->PrintOptions.Exclude(rvtoRowsSplit);
        const int Pages = Format(PageWidth, Case.PageHeight, Ppi);
        TRVTablePrintInfo* Item = PrintItem();
        ASSERT_NE(Item, nullptr);
        EXPECT_EQ(Item->UseHeadingRows, Case.HeadingsUsable);
        const int H = Case.HeadingsUsable && Case.RowsSplit ? Case.Headings : 0;
        ASSERT_EQ(Item->PartsList.Count(), Case.RowsSplit ? Pages : 0);
        EXPECT_GT(Item->Height, Case.PageHeight);
        int Next = H;
        for (int p = 0; p < Item->PartsList.Count(); ++p) {
            SCOPED_TRACE("band " + std::to_string(p));
            const auto* Band = static_cast<TRVTablePrintPart*>(Item->GetPart(p));
            EXPECT_EQ(Band->FirstRow, Next);
            // A block is cut only when it is taller than a page (with the
            // heading rows and the table's frame).
            const TRVTableItemFormattingInfo& Fmt = Item->FmtInfo;
            const auto Bottom = [&](int r) { return Fmt.RowStarts[r] + Fmt.RowHeights[r]; };
            for (const TTestRowSpan& s : Case.Spans) {
                const int Taller = Bottom(s.Row + s.RowSpan - 1) - Fmt.RowStarts[s.Row] + Fmt.RowStarts[H] +
                                   Fmt.Height - Bottom(Case.Rows - 1);
                EXPECT_FALSE(s.Row < Band->FirstRow && Band->FirstRow < s.Row + s.RowSpan &&
                             Taller < Case.PageHeight);
            }
            EXPECT_LE(Band->Height, Case.PageHeight);
            // A band that ends inside a row may leave the rest of it to the next.
            Next = Band->FirstRow + Band->RowCount;
            if (!Band->LastRowTo.empty() && p + 1 < Item->PartsList.Count() &&
                static_cast<TRVTablePrintPart*>(Item->GetPart(p + 1))->FirstRow == Next - 1)
                --Next;
        }
        EXPECT_EQ(Next, Case.RowsSplit ? Case.Rows : H);

        // Every cell is painted once; a repeated heading once on every page.
        std::map<std::string, int> Seen;
        std::set<int> PagesOfTable;
        const auto PaintedTexts = Painted(Case.PageHeight);
        for (size_t p = 0; p < PaintedTexts.size(); ++p)
            for (const std::string& s : PaintedTexts[p]) {
                ++Seen[s];
                if (s[0] == 'r')
                    PagesOfTable.insert(static_cast<int>(p));
            }
        EXPECT_EQ(PagesOfTable.size(), Case.RowsSplit ? PaintedTexts.size() : 1u);
        for (int r = 0; r < Case.Rows; ++r)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(Seen[CellLabel(r, c)], Table->GetCells(r, c) == nullptr ? 0
                                                 : r < H                          ? Pages
                                                                                  : 1)
                    << CellLabel(r, c);
    }
}

TEST_F(TablePrintTest, APageSavedAsRVFStoresOnlyItsBand)
{
    AddLabelledTable(Source, 40, 3, 1);
    ASSERT_GT(Format(PageWidth, 1200, Ppi), 2);
    const auto* Band = static_cast<TRVTablePrintPart*>(PrintItem()->GetPart(1));
    TRollView* Copy = PageReadBack(2);
    ASSERT_NE(Copy, nullptr);
    auto* Saved = dynamic_cast<TRVTableItemInfo*>(Copy->RVData->GetItem(0));
    ASSERT_NE(Saved, nullptr);
    ASSERT_EQ(Saved->Rows->Count(), Band->RowCount);
    for (int r = 0; r < Band->RowCount; ++r)
        EXPECT_EQ(Saved->GetCells(r, 1)->GetItemText(0), CellLabel(Band->FirstRow + r, 1));
}

// An in-place editor of Cell whose document holds "editing".
std::unique_ptr<TRVTableInplaceEdit> FakeCellEditor(TRVTableCellData* cell, TRVStyle* style)
{
    auto editor = std::make_unique<TRVTableInplaceEdit>(nullptr);
    editor->SetStyle(style);
    editor->Cell = cell;
    editor->EditRVData()->AddNL("editing", 0, 0);
    return editor;
}

TEST_F(TablePrintTest, CellsPaintTheirCurrentDocument)
{
    struct TCase {
        const char* Name;
        bool CloseEditor;
        bool Reformat; // the pages are laid out again after the editor closed
        std::vector<std::string> Shown;
    };
    const TCase Cases[] = {
        {"the editor stays open", false, false, {"editing", "r0c1"}},
        {"the editor closes before the page is painted", true, false, {"r0c0", "r0c1"}},
        {"the editor closes and the pages are laid out again", true, true, {"r0c0", "r0c1"}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Source->Clear();
        TRVTableItemInfo* Table = AddLabelledTable(Source, 1, 2, 0);
        auto Editor = FakeCellEditor(Table->GetCells(0, 0), Style);
        Table->InplaceEditor = Editor.get();
        ASSERT_EQ(Format(PageWidth, 1000, Ppi), 1);
        if (Case.CloseEditor) {
            Table->InplaceEditor = nullptr;
            Editor.reset();
        }
        if (Case.Reformat) {
            ASSERT_EQ(Print->FormatPages(), 1);
        }
        EXPECT_EQ(Painted(1000).at(0), Case.Shown);
        Table->InplaceEditor = nullptr;
    }
}

TEST_F(TablePrintTest, AChangeInsideACellOrOfTheTableIsNoticed)
{
    TRVTableCellData* Holder = AddLabelledTable(Source, 2, 2, 0)->GetCells(1, 0);
    Holder->Clear();
    auto* Inner = new TRVTableItemInfo(1, 1, Holder);
    Holder->AddItem(AnsiString(), Inner);
    auto* Table = static_cast<TRVTableItemInfo*>(Source->RVData->GetItem(0));
    using TChange = std::function<void()>;
    const std::vector<std::pair<const char*, TChange>> Changes = {
        {"cell text", [&] { Table->GetCells(0, 1)->SetItemText(0, "other"); }},
        {"line added to a cell", [&] { Table->GetCells(1, 1)->AddNL("more", 0, 0); }},
        {"nested cell", [&] { Inner->GetCells(0, 0)->AddNL("deep", 0, 0); }},
        {"rows inserted",
         [&] {
             Table->Rows->InsertRows(1, 1, 0, false);
             Table->Changed();
         }},
    };
    for (const auto& [Name, Change] : Changes) {
        SCOPED_TRACE(Name);
        ASSERT_EQ(Format(PageWidth, 2000, Ppi), 1);
        ASSERT_TRUE(Print->Ready());
        Change();
        EXPECT_FALSE(Print->Ready());
    }
}

TEST_F(TablePrintTest, ANestedTablePrintsInsideItsCell)
{
    TRVTableCellData* Holder = AddLabelledTable(Source, 2, 1, 0)->GetCells(1, 0);
    Holder->Clear();
    auto* Inner = new TRVTableItemInfo(1, 2, Holder);
    Inner->GetCells(0, 0)->SetItemText(0, "in0");
    Inner->GetCells(0, 1)->SetItemText(0, "in1");
    Holder->AddItem(AnsiString(), Inner);
    ASSERT_EQ(Format(PageWidth, 2000, Ppi), 1);
    EXPECT_EQ(Painted(2000).at(0), (std::vector<std::string>{"r0c0", "in0", "in1"}));
}

TEST_F(TablePrintTest, AnEmptyGridPrintsItsFrameAlone)
{
    // No rows, and heading rows without slots (every column deleted).
    for (const int rows : {0, 3}) {
        SCOPED_TRACE(rows);
        Source->Clear();
        AddLabelledTable(Source, rows, 0, 2);
        Source->AddNL("after", 0, 0);
        ASSERT_EQ(Format(PageWidth, 1000, Ppi), 1);
        EXPECT_EQ(PrintItem()->PartsList.Count(), 0);
        EXPECT_EQ(Painted(1000).at(0), std::vector<std::string>{"after"});
    }
}

TEST_F(TablePrintTest, ALongTableInPdfShowsItsHeadingsOnEveryPageAndNoCutSpan)
{
    if (!ProgramAvailable("/usr/bin/pdftotext"))
        GTEST_SKIP() << "poppler is not installed";
    TempDir Dir;
    const std::string Pdf = Dir.File("table.pdf");
    auto Recorder = SetPrinter(std::make_unique<TPdfPrinter>(Pdf));
    const std::vector<TTestRowSpan> Spans = {{10, 0, 6}, {33, 1, 8}, {47, 2, 5}, {70, 0, 9}, {101, 1, 7}};
    TRVTableItemInfo* Table = AddLabelledTable(Source, 120, 3, 2, Spans);
    auto* PdfPrint = new TRVPrint(Root.get());
    PdfPrint->AssignSource(Source);
    const int Pages = PdfPrint->FormatPages();
    ASSERT_GE(Pages, 3);
    PdfPrint->Print("Kelvor table", 1, true);

    int Status = 0;
    const std::string Text = RunCommand("pdftotext -layout '" + Pdf + "' -", Status);
    ASSERT_EQ(Status, 0);
    std::map<std::string, std::multiset<int>> PagesOf;
    int Page = 0;
    for (size_t Start = 0, ff; (ff = Text.find('\f', Start)) != std::string::npos; Start = ff + 1, ++Page) {
        std::istringstream In(Text.substr(Start, ff - Start));
        for (std::string Word; In >> Word;)
            PagesOf[Word].insert(Page);
    }
    ASSERT_EQ(Page, Pages);
    for (int r = 0; r < 120; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(PagesOf[CellLabel(r, c)].size(), Table->GetCells(r, c) == nullptr ? 0u
                                                       : r < 2                          ? Pages
                                                                                        : 1u)
                << CellLabel(r, c);
    // A spanning cell and every row it spans share one page.
    for (const TTestRowSpan& s : Spans)
        for (int r = s.Row; r < s.Row + s.RowSpan; ++r)
            EXPECT_EQ(PagesOf[CellLabel(r, (s.Col + 1) % 3)], PagesOf[CellLabel(s.Row, s.Col)]) << r;
}

} // namespace
