// The editor's costs as ratios in one run: typing at the end of a large
// document against a small one, and deleting a tenth of a document and
// undoing it at two sizes. Headless, on the recording canvas.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "document/rvstyle.h"
#include "edit/rvedithost.h"
#include "edit/rvervdata.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/editcommands.h"

namespace {

class TBenchHost : public TRVEditHost {
public:
    void Beep() override {}
    void SetCaret(const TRect&, bool) override {}
    bool Focused() override { return true; }
    bool ReadOnly() override { return false; }
    void Defer(std::function<void()>) override {}
    void SetCursor(TCursor) override {}
    void Invalidate() override {}
    int GetHOffs() override { return 0; }
    int GetVOffs() override { return VOffs; }
    int GetWidth() override { return 600; }
    int GetHeight() override { return 400; }
    void ScrollTo(int Y) override { VOffs = Y; }
    void HScrollTo(int) override {}
    void SetDocumentAreaSize(int, int) override {}
    TCanvas* GetCanvas() override { return &Canvas; }
    int VOffs = 0;
    TRecordingCanvas Canvas{1000, 1000, 96};
};

struct TDocument {
    TRVStyle Style{nullptr};
    TBenchHost Host;
    std::unique_ptr<TRVEditRVData> Data;
    explicit TDocument(int Paragraphs)
    {
        Data = std::make_unique<TRVEditRVData>(&Style, &Host);
        for (int i = 0; i < Paragraphs; ++i)
            Data->AddNL("2024-05-01 12:00:00 INFO request " + std::to_string(i) + " handled", 0, 0);
        Data->FormatAll();
    }
};

// Types 1,000 characters at the end of a document of state.range(0) paragraphs.
void BM_Typing(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TDocument Doc(static_cast<int>(state.range(0)));
        TRVEditRVData& d = *Doc.Data;
        d.OnEndPress(true);
        state.ResumeTiming();
        for (int i = 0; i < 1000; ++i) {
            editcommands::TypeChar(d, i % 7 == 0 ? ' ' : 'a' + i % 26);
            d.Change();
        }
    }
}
BENCHMARK(BM_Typing)->Arg(100)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

// Deletes the middle tenth of a document of state.range(0) paragraphs and undoes it.
void BM_DeleteAndUndo(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TDocument Doc(n);
        TRVEditRVData& d = *Doc.Data;
        state.ResumeTiming();
        editcommands::DeleteRange(d, n / 2, 1, n / 2 + n / 10 - 1, d.GetOffsAfterItem(n / 2 + n / 10 - 1));
        d.Change();
        d.Undo();
    }
}
BENCHMARK(BM_DeleteAndUndo)->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

// Keeps the real time per iteration of every run, by name.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> Times;
    void ReportRuns(const std::vector<Run>& Reports) override
    {
        for (const Run& r : Reports)
            Times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(Reports);
    }
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TRatioReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    benchmark::Shutdown();
    auto Ratio = [&](const char* a, const char* b) {
        const auto i = Reporter.Times.find(a);
        const auto j = Reporter.Times.find(b);
        return i == Reporter.Times.end() || j == Reporter.Times.end() || j->second <= 0
                   ? 0.0
                   : i->second / j->second;
    };
    std::printf("typing cost 100k/100 paragraphs: %.2f\n",
                Ratio("BM_Typing/100000/iterations:3", "BM_Typing/100/iterations:3"));
    std::printf("delete and undo cost 10k/1k paragraphs: %.2f\n",
                Ratio("BM_DeleteAndUndo/10000/iterations:3", "BM_DeleteAndUndo/1000/iterations:3"));
    return 0;
}
