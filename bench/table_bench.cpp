// Painting a table screen by screen: the cost of one screen must not grow with
// the number of rows, since only the rows in the clip are painted. Prints the
// ratio of a 10,000-row table's screen to a 100-row table's last.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

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
    benchmark::Initialize(&argc, argv);
    TRatioReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    const double Small = Reporter.Times["BM_TableScreenPaint/100"];
    const double Large = Reporter.Times["BM_TableScreenPaint/10000"];
    if (Small > 0)
        std::printf("table screen paint 10k/100 rows: %.2f\n", Large / Small);
    benchmark::Shutdown();
    return 0;
}
