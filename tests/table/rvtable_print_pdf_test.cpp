// A long table printed to PDF and read back with poppler: every page shows the
// heading rows above its band, every other cell is printed once, and the rows
// of a row-spanning cell end up on one page. Skipped when poppler is missing.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "platform/controls/printers.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/tempdir.h"
#include "tests/support/testtableprint.h"

namespace {

class TablePdfTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ProgramAvailable("/usr/bin/pdftotext"))
            GTEST_SKIP() << "poppler is not installed";
        Root = std::make_unique<TComponent>(nullptr);
        Style = new TRVStyle(Root.get());
        Source = new TRollView(Root.get());
        Source->SetStyle(Style);
        Print = new TRVPrint(Root.get());
        Pdf = Dir.File("table.pdf");
        OldPrinter = SetPrinter(std::make_unique<TPdfPrinter>(Pdf));
    }
    void TearDown() override
    {
        Root.reset();
        if (OldPrinter)
            SetPrinter(std::move(OldPrinter));
    }
    // The words of every page, in order.
    std::vector<std::vector<std::string>> PageWords()
    {
        int Status = 0;
        const std::string Text = RunCommand("pdftotext -layout '" + Pdf + "' -", Status);
        EXPECT_EQ(Status, 0);
        std::vector<std::vector<std::string>> Pages;
        size_t Start = 0;
        for (size_t ff; (ff = Text.find('\f', Start)) != std::string::npos; Start = ff + 1) {
            std::istringstream In(Text.substr(Start, ff - Start));
            Pages.emplace_back();
            for (std::string Word; In >> Word;)
                Pages.back().push_back(Word);
        }
        return Pages;
    }

    TempDir Dir;
    std::string Pdf;
    std::unique_ptr<TComponent> Root;
    TRVStyle* Style = nullptr;
    TRollView* Source = nullptr;
    TRVPrint* Print = nullptr;
    std::unique_ptr<TPrinter> OldPrinter;
};

TEST_F(TablePdfTest, EveryPageShowsTheHeadingRowsAndNoSpannedRowIsCut)
{
    constexpr int Rows = 120;
    constexpr int Headings = 2;
    const std::vector<TTestRowSpan> Spans = {{10, 0, 6}, {33, 1, 8}, {47, 2, 5}, {70, 0, 9}, {101, 1, 7}};
    Source->AddNL("Before the table", 0, 0);
    TRVTableItemInfo* Table = AddLabelledTable(Source, Rows, 3, Headings, Spans);
    Print->AssignSource(Source);
    const int Pages = Print->FormatPages();
    ASSERT_GE(Pages, 3);
    Print->Print("Kelvor table", 1, true);

    const auto Words = PageWords();
    ASSERT_EQ(static_cast<int>(Words.size()), Pages);
    std::map<std::string, std::set<int>> PagesOf;
    std::map<std::string, int> Count;
    for (int p = 0; p < Pages; ++p)
        for (const std::string& w : Words[p]) {
            PagesOf[w].insert(p);
            ++Count[w];
        }
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < 3; ++c) {
            if (Table->GetCells(r, c) == nullptr)
                continue;
            SCOPED_TRACE(CellLabel(r, c));
            EXPECT_EQ(Count[CellLabel(r, c)], r < Headings ? Pages : 1);
        }
    // A spanning cell and every row it spans share one page.
    for (const TTestRowSpan& s : Spans)
        for (int r = s.Row; r < s.Row + s.RowSpan; ++r) {
            SCOPED_TRACE(CellLabel(r, (s.Col + 1) % 3));
            EXPECT_EQ(PagesOf[CellLabel(r, (s.Col + 1) % 3)], PagesOf[CellLabel(s.Row, s.Col)]);
        }
}

} // namespace
