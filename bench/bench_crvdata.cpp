// Appending log lines to an item store: the cost of one AddTextNL must stay
// flat however many lines the store already holds.
#include <benchmark/benchmark.h>

#include "document/crvdata.h"
#include "document/rvstyle.h"

namespace {

class TBenchRVData : public TCustomRVData {
public:
    explicit TBenchRVData(TRVStyle* AStyle) : FStyle(AStyle) {}
    TRVStyle* GetRVStyle() override { return FStyle; }
    AnsiString GetURL(int) override { return AnsiString(); }
    void ControlAction2(TRVControlAction, int, TControl*&) override {}
    void HTMLSaveImage(TCustomRVData*, int, const AnsiString&, TColor, AnsiString&, bool&) override {}

private:
    TRVStyle* FStyle;
};

// Appends lines to a store that already holds state.range(0) of them.
void BM_AddTextNL(benchmark::State& state)
{
    TRVStyle Style(nullptr);
    TBenchRVData Data(&Style);
    const AnsiString Line = "2024-05-01 12:00:00.123 INFO  worker-7 request handled in 12 ms";
    for (int64_t i = 0; i < state.range(0); ++i)
        Data.AddTextNL(Line, 0, 0, 0);
    for (auto _ : state)
        Data.AddTextNL(Line, 0, 0, 0);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AddTextNL)->Arg(1000)->Arg(100000)->Arg(1000000);

// A chunk of several lines, as the monitor reads it, continuing the last line.
void BM_AddTextNLChunk(benchmark::State& state)
{
    TRVStyle Style(nullptr);
    TBenchRVData Data(&Style);
    AnsiString Chunk;
    for (int i = 0; i < 16; ++i)
        Chunk += "line of a log file with some text in it\r\n";
    for (auto _ : state)
        Data.AddTextNL(Chunk, 0, -1, 0);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Chunk.size()));
}
BENCHMARK(BM_AddTextNLChunk);

} // namespace
