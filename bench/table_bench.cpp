// Tables at two sizes, as ratios in one run: painting a table screen by
// screen (the cost of one screen must not grow with the number of rows, since
// only the rows in the clip are painted), and inserting a row into a table in
// an editor (only the new row is laid out when the column widths stand).
// Prints the ratios last.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "bench/benchedit.h"
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

// Keeps each run's time per iteration by its name.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& Reports) override
    {
        for (const Run& r : Reports)
            Times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(Reports);
    }
    std::map<std::string, double> Times;
};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    TRatioReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    const double Small = Reporter.Times["BM_TableScreenPaint/100"];
    const double Large = Reporter.Times["BM_TableScreenPaint/10000"];
    if (Small > 0)
        std::printf("table screen paint 10k/100 rows: %.2f\n", Large / Small);
    const double Ten = Reporter.Times["BM_TableRowInsert/10/repeats:5_median"];
    const double Thousand = Reporter.Times["BM_TableRowInsert/1000/repeats:5_median"];
    if (Ten > 0)
        std::printf("table row insert cost 1000/10 rows: %.2f\n", Thousand / Ten);
    benchmark::Shutdown();
    return 0;
}
