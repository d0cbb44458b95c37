// Tables at two sizes, as ratios in one run: painting a table screen by
// screen (the cost of one screen must not grow with the number of rows, since
// only the rows in the clip are painted), inserting a row into a table in
// an editor (only the new row is laid out when the column widths stand), and
// printing (paginating and painting every page on the recording printer) a
// block of rows held together by a cell of 100 pages of lines against one of
// 10 pages, and against a single row of as many lines and a table of as many
// pages of one-line rows. Prints the ratios last.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/benchedit.h"
#include "platform/controls/printers.h"
#include "platform/controls/winapi.h"
#include "print/ptblrv.h"
#include "table/rvtinplace.h"
#include "tests/support/testtable.h"

namespace {

constexpr int ScreenHeight = 600;

// Scrolls through a table of state.range(0) rows, one screen per iteration.
void BM_TableScreenPaint(benchmark::State& state)
{
    TTableDoc Doc;
    TRVTableItemInfo* Table = Doc.AddTable(static_cast<int>(state.range(0)), 3);
    for (int r = 0; r < Table->Rows->Count(); ++r)
        for (int c = 0; c < 3; ++c) {
            TRVTableCellData* Cell = Table->GetCells(r, c);
            Cell->Clear();
            Cell->AddNL("cell text of a row", 0, 0);
        }
    Doc.Format();
    TRecordingCanvas Canvas(400, ScreenHeight, 96);
    const int Height = Table->GetHeight();
    int Top = 0;
    for (auto _ : state) {
        Canvas.Clear();
        // The table moves up as the view scrolls down; the clip is the screen.
        Table->PaintTo(0, 400, -Top, 0, Table->Rows->Count(), &Canvas, {}, nullptr,
                       Table->FormattingInfo.get(), false, Rect(0, 0, 400, ScreenHeight), rvcmColor);
        benchmark::DoNotOptimize(Canvas.Count());
        Top += ScreenHeight;
        if (Top + ScreenHeight > Height)
            Top = 0;
    }
}
BENCHMARK(BM_TableScreenPaint)->Arg(100)->Arg(10000);

// A shown editor holding a paragraph, a table of Rows x 3 cells of text and a
// paragraph, laid out. The editor is about as tall as the 10-row table:
// repainting after an edit is bounded by the window, so that both sizes
// repaint a full window and the ratio shows what the number of rows adds.
struct TTableEditor : TBenchEditor {
    TRVTableItemInfo* Table = nullptr;
    explicit TTableEditor(int rows) : TBenchEditor(200)
    {
        RV_RegisterTableItem();
        Data->AddNL("before", 0, 0);
        Table = new TRVTableItemInfo(rows, 3, Data);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < 3; ++c) {
                TRVTableCellData* cell = Table->GetCells(r, c);
                cell->Clear();
                cell->AddNL("row " + std::to_string(r) + " cell " + std::to_string(c), 0, 0);
            }
        Data->AddItem(AnsiString(), Table);
        Data->AddNL("after", 0, 0);
        Edit->Format();
        Data->SetCaretAtItem(0, 1, false);
    }
};

// Inserts a row in the middle of a table of state.range(0) rows in an editor,
// as an editing command does: the table's modification bracket around the
// undoable insertion, then the editor's change. Undone untimed.
void BM_TableRowInsert(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    TTableEditor doc(rows);
    TRVTableItemInfo* table = doc.Table;
    const int itemNo = table->GetMyItemNo();
    for (auto _ : state) {
        const int token = table->BeginModify(itemNo);
        table->InsertRows(rows / 2, 1, rows / 2, false);
        table->EndModify(itemNo, token);
        doc.Data->Change();
        state.PauseTiming();
        doc.Data->Undo();
        state.ResumeTiming();
    }
}
// The median of five runs: a busy machine disturbs single runs.
BENCHMARK(BM_TableRowInsert)
    ->Arg(10)
    ->Arg(1000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

// A viewer holding one table of three columns for the print component, on
// the recording printer.
struct TTablePrint {
    std::unique_ptr<TComponent> Root = std::make_unique<TComponent>(nullptr);
    TRVStyle* Style = new TRVStyle(Root.get());
    TRollView* Source = new TRollView(Root.get());
    TRVPrint* Print = new TRVPrint(Root.get());
    std::unique_ptr<TPrinter> OldPrinter = SetPrinter(std::make_unique<TRecordingPrinter>());
    TTablePrint() { Source->SetStyle(Style); }
    ~TTablePrint() { SetPrinter(std::move(OldPrinter)); }
    // Paginates and paints every page; the page count.
    int PrintPages()
    {
        const int pages = Print->FormatPages();
        const TPrinterMetrics m = Printer()->Metrics();
        for (int p = 1; p <= pages; ++p) {
            TRecordingCanvas canvas(m.PageWidth, m.PageHeight, m.PixelsPerInchX);
            Print->rv->DrawPage(p, &canvas, false, false);
            benchmark::DoNotOptimize(canvas.Count());
        }
        return pages;
    }
};

// Lines of text in cell Cell.
void FillLines(TRVTableCellData* cell, int lines)
{
    cell->Clear();
    for (int i = 0; i < lines; ++i)
        cell->AddNL("a line of the cell " + std::to_string(i), 0, 0);
}

// What a printed table holds: one-line rows, a block of rows held together by
// a cell of many lines, or a row with a cell of many lines.
enum TPrintedTable { ptRows, ptBlock, ptTallRow };

// A table of Kind whose many lines (or rows) number Lines, in Doc's viewer:
// the block is the second to fifth of six rows, the tall row the second of three.
void AddPrintedTable(TTablePrint& doc, int lines, TPrintedTable kind)
{
    RV_RegisterTableItem();
    doc.Source->Clear();
    auto* table = new TRVTableItemInfo(kind == ptRows    ? lines
                                       : kind == ptBlock ? 6
                                                         : 3,
                                       3, doc.Source->RVData);
    if (kind == ptBlock)
        MergeBlock(table, 1, 0, 1, 4);
    if (kind != ptRows)
        FillLines(table->GetCells(1, 0), lines);
    doc.Source->AddItem(AnsiString(), table);
    doc.Print->AssignSource(doc.Source);
}

// The lines (or rows) for a table of Kind of about Pages pages.
int LinesFor(int pages, TPrintedTable kind)
{
    TTablePrint doc;
    const int probe = kind == ptRows ? 500 : 2000;
    AddPrintedTable(doc, probe, kind);
    return std::max(1, probe * pages / std::max(1, doc.Print->FormatPages()));
}

// Prints a table of state.range(1)'s kind of state.range(0) pages; counts the pages.
void BM_TablePrint(benchmark::State& state)
{
    const auto kind = static_cast<TPrintedTable>(state.range(1));
    TTablePrint doc;
    AddPrintedTable(doc, LinesFor(static_cast<int>(state.range(0)), kind), kind);
    int printed = 0;
    for (auto _ : state)
        printed = doc.PrintPages();
    state.counters["pages"] = printed;
}
BENCHMARK(BM_TablePrint)
    ->Args({10, ptBlock})
    ->Args({100, ptBlock})
    ->Args({100, ptTallRow})
    ->Args({100, ptRows})
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// A shown editor holding "before", Depth tables of one cell each nested one
// in the cell of the other, the innermost cell holding Lines log lines and
// then a table of 3 x 3 cells (the target), and "after"; at Depth 0 the lines
// and the target lie in the document itself. Laid out, nothing to undo.
struct TNestEditor : TBenchEditor {
    TRVTableItemInfo* Target = nullptr;
    std::vector<TRVTableItemInfo*> Holders;
    TNestEditor(int depth, int lines) : TBenchEditor(400)
    {
        RV_RegisterTableItem();
        Data->AddNL("before", 0, 0);
        TCustomRVData* doc = Data;
        for (int level = 0; level < depth; ++level) {
            auto* holder = new TRVTableItemInfo(1, 1, doc);
            doc->AddItem(AnsiString(), holder);
            Holders.push_back(holder);
            doc = holder->GetCells(0, 0);
            doc->Clear();
        }
        for (int i = 0; i < lines; ++i)
            doc->AddNL("2024-05-01 12:00:00 INFO request " + std::to_string(i) + " handled", 0, 0);
        Target = new TRVTableItemInfo(3, 3, doc);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                Target->GetCells(r, c)->Clear();
                Target->GetCells(r, c)->AddNL("r" + std::to_string(r) + " c" + std::to_string(c), 0, 0);
            }
        doc->AddItem(AnsiString(), Target);
        Data->AddNL("after", 0, 0);
        Edit->Format();
        Data->ClearUndo();
    }
    // Handles what an undo through the control deferred (moves between cell
    // editors, notices, closed editors to free) until none is queued.
    static void Settle()
    {
        while (MessageQueued(WM_RVMOVEEDITOR, WM_RVGIVENOTICES) || MessageQueued(CM_RELEASE, CM_RELEASE))
            Application->ProcessMessages();
    }
    // Back to no cell edited, laid out, nothing to undo.
    void Reset()
    {
        for (TRVTableItemInfo* holder : Holders)
            holder->DestroyInplace(true);
        Settle();
        Edit->Format();
        Data->ClearUndo();
    }
};

// Sets the target's cell padding by name (as a property inspector does) and
// undoes it through the document, in a document of state.range(0) lines
// where the target lies in a cell (state.range(1) 1) or in the document
// itself (0). Both sides start laid out with no cell edited; putting that
// back after the undo (which leaves the holder's cell edited) is untimed.
void BM_TableOperationUndo(benchmark::State& state)
{
    TNestEditor nest(static_cast<int>(state.range(1)), static_cast<int>(state.range(0)));
    int padding = nest.Target->CellPadding;
    for (auto _ : state) {
        padding = padding == 1 ? 2 : 1;
        nest.Target->SetProperty("CellPadding", padding, true, true);
        nest.Edit->Undo();
        TNestEditor::Settle();
        state.PauseTiming();
        nest.Reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TableOperationUndo)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

// Operation I of a mixed history on Table: properties of the table and of a
// cell, a row inserted and deleted.
void MixedOperation(TRVTableItemInfo* table, int i)
{
    switch (i % 6) {
    case 0:
        table->SetProperty("CellPadding", 1 + i % 4, true, true);
        break;
    case 1:
        table->SetCellColor(static_cast<TColor>(0x10000 * (i % 200 + 1)), 0, 1);
        break;
    case 2:
        table->InsertRows(1, 1, 0, false);
        break;
    case 3:
        table->DeleteRows(table->Rows->Count() - 1, 1, true);
        break;
    case 4:
        table->SetCellBestHeight(10 + i % 30, 1, 1);
        break;
    default:
        table->SetProperty("BorderWidth", i % 3, true, true);
        break;
    }
}

// Undoes, then redoes, a history of 12 mixed operations through the control,
// as the program's Undo and Redo do, on the target state.range(0) cells deep
// (each holder's cell holding 1,000 lines before the next table). The history
// is made untimed on a fresh editor for every iteration.
void BM_TableUndoHistory(benchmark::State& state)
{
    const int depth = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        {
            TNestEditor nest(depth, 1000);
            for (int i = 0; i < 12; ++i)
                MixedOperation(nest.Target, i);
            state.ResumeTiming();
            while (nest.Edit->UndoAction() != rvutNone) {
                nest.Edit->Undo();
                TNestEditor::Settle();
            }
            while (nest.Edit->RedoAction() != rvutNone) {
                nest.Edit->Redo();
                TNestEditor::Settle();
            }
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TableUndoHistory)
    ->Arg(0)
    ->Arg(2)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// Keeps each run's time per iteration by its name.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& Reports) override
    {
        for (const Run& r : Reports) {
            Times[r.benchmark_name()] = r.GetAdjustedRealTime();
            if (r.counters.count("pages") != 0)
                Pages[r.benchmark_name()] = r.counters.at("pages");
        }
        ConsoleReporter::ReportRuns(Reports);
    }
    std::map<std::string, double> Times;
    std::map<std::string, double> Pages;
    // The time per printed page of a run.
    double PerPage(const std::string& name) { return Pages[name] > 0 ? Times[name] / Pages[name] : 0; }
};

// Prints the ratio Part / Whole under Label, when both were measured.
void PrintRatio(const char* label, double part, double whole)
{
    if (part > 0 && whole > 0)
        std::printf("%s: %.2f\n", label, part / whole);
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    TRatioReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    std::map<std::string, double>& Times = Reporter.Times;
    PrintRatio("table screen paint 10k/100 rows", Times["BM_TableScreenPaint/10000"],
               Times["BM_TableScreenPaint/100"]);
    PrintRatio("table row insert cost 1000/10 rows", Times["BM_TableRowInsert/1000/repeats:5_median"],
               Times["BM_TableRowInsert/10/repeats:5_median"]);
    const double Block100 = Reporter.PerPage("BM_TablePrint/100/1/repeats:3_median");
    PrintRatio("table block print cost per page 100/10 pages", Block100,
               Reporter.PerPage("BM_TablePrint/10/1/repeats:3_median"));
    PrintRatio("table block/tall row print cost per page, 100 pages", Block100,
               Reporter.PerPage("BM_TablePrint/100/2/repeats:3_median"));
    PrintRatio("table block/one-line rows print cost per page, 100 pages", Block100,
               Reporter.PerPage("BM_TablePrint/100/0/repeats:3_median"));
    PrintRatio("nested/document table operation cost, 10000-line holder",
               Times["BM_TableOperationUndo/10000/1/repeats:3_median"],
               Times["BM_TableOperationUndo/10000/0/repeats:3_median"]);
    PrintRatio("undo depth 2/depth 0 cost", Times["BM_TableUndoHistory/2/repeats:3_median"],
               Times["BM_TableUndoHistory/0/repeats:3_median"]);
    benchmark::Shutdown();
    return 0;
}
