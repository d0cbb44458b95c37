// The editor's costs as ratios in one run: typing at the end of a large
// document against a small one, deleting a tenth of a document and undoing
// it, and applying a list or paragraph style to a whole document, at two
// sizes. Headless, on the recording canvas.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "bench/benchedit.h"
#include "document/rvstyle_list.h"
#include "platform/controls/clipbrd.h"
#include "tests/support/editcommands.h"

namespace {

// A shown editor of Paragraphs log lines, laid out.
struct TDocument : TBenchEditor {
    explicit TDocument(int Paragraphs)
    {
        AddLogLines(Paragraphs);
        Edit->Format();
    }
};

// Runs Work on a fresh document of Paragraphs paragraphs once per iteration,
// after Prepare. Only Work is timed: building the document, preparing it and
// freeing it (up to 100,000 paragraphs) run with the clock stopped.
void OnFreshDocument(benchmark::State& state, int paragraphs, const std::function<void(TDocument&)>& prepare,
                     const std::function<void(TDocument&)>& work)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<TDocument>(paragraphs);
        if (prepare)
            prepare(*doc);
        state.ResumeTiming();
        work(*doc);
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
}

// Types 1,000 characters at the end of a document of state.range(0) paragraphs.
void BM_Typing(benchmark::State& state)
{
    OnFreshDocument(
        state, static_cast<int>(state.range(0)), [](TDocument& doc) { doc.Data->OnEndPress(true); },
        [](TDocument& doc) {
            for (int i = 0; i < 1000; ++i) {
                editcommands::TypeChar(*doc.Data, i % 7 == 0 ? ' ' : 'a' + i % 26);
                doc.Data->Change();
            }
        });
}
BENCHMARK(BM_Typing)->Arg(100)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

// Deletes the middle tenth of a document of state.range(0) paragraphs and undoes it.
void BM_DeleteAndUndo(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    OnFreshDocument(state, n, nullptr, [n](TDocument& doc) {
        TRVEditRVData& d = *doc.Data;
        editcommands::DeleteRange(d, n / 2, 1, n / 2 + n / 10 - 1, d.GetOffsAfterItem(n / 2 + n / 10 - 1));
        d.Change();
        d.Undo();
    });
}
BENCHMARK(BM_DeleteAndUndo)->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

// Undoes the deletion of 1,000 paragraphs from the middle of a document of
// state.range(0) paragraphs (the deletion itself is not timed), and with a
// second argument of 1 redoes it after the undo instead.
void BM_UndoDeletion(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const bool redo = state.range(1) != 0;
    const int first = n / 2 - 500;
    OnFreshDocument(
        state, n,
        [first, redo](TDocument& doc) {
            TRVEditRVData& d = *doc.Data;
            editcommands::DeleteRange(d, first, 1, first + 999, d.GetOffsAfterItem(first + 999));
            d.Change();
            if (redo)
                d.Undo();
        },
        [redo](TDocument& doc) {
            if (redo)
                doc.Data->Redo();
            else
                doc.Data->Undo();
        });
}
BENCHMARK(BM_UndoDeletion)
    ->Args({1100, 0})
    ->Args({100000, 0})
    ->Args({1100, 1})
    ->Args({100000, 1})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// 200 Enter presses in the middle of a document of state.range(0)
// paragraphs, each splitting a paragraph, through the editor control.
void BM_Enter(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    OnFreshDocument(
        state, n, [n](TDocument& doc) { doc.Data->SetCaretAtItem(n / 2, 11, false); },
        [](TDocument& doc) {
            for (int i = 0; i < 200; ++i)
                doc.Edit->OnEnterPress(false);
        });
}
BENCHMARK(BM_Enter)->Arg(100)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

// 40 Backspace presses at a paragraph's start in the middle of a document of
// state.range(0) paragraphs, each joining two paragraphs.
void BM_Join(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    OnFreshDocument(state, n, nullptr, [n](TDocument& doc) {
        for (int i = 0; i < 40; ++i) {
            doc.Data->SetCaretAtItem(n / 2 + 20 - i, 1, false);
            doc.Edit->OnBackSpacePress(false);
        }
    });
}
BENCHMARK(BM_Join)->Arg(100)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

// 2,000 clicks, each placing the caret, on the lines in view in the middle of a
// document of state.range(0) paragraphs.
void BM_ClickToCaret(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    OnFreshDocument(
        state, n, [n](TDocument& doc) { doc.Data->SetCaretAtItem(n / 2, 1, false); },
        [](TDocument& doc) {
            for (int i = 0; i < 2000; ++i) {
                const int y = 10 + (i * 37) % 300;
                const int x = 10 + (i * 53) % 250;
                doc.Edit->MouseDown(mbLeft, TShiftState{ssLeft}, x, y);
                doc.Edit->MouseUp(mbLeft, TShiftState(), x, y);
            }
        });
}
BENCHMARK(BM_ClickToCaret)->Arg(100)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

// A numbered list of decimal numbers (widths that change as they count)
// applied to every paragraph of a document of state.range(0) paragraphs
// (their markers made, the list numbered, the paragraphs laid out again).
void BM_ApplyListStyle(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    OnFreshDocument(
        state, n,
        [n](TDocument& doc) {
            TRVListLevel* level = doc.Style.ListStyles()->Add()->Levels()->Add();
            level->SetListType(rvlstDecimal);
            level->SetFormatString("%0:s.");
            doc.Data->SetSelectionBounds(0, 1, n - 1, doc.Data->GetOffsAfterItem(n - 1));
        },
        [](TDocument& doc) { doc.Edit->ApplyListStyle(0, 0, 1, false, false); });
}
BENCHMARK(BM_ApplyListStyle)->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

// Paragraph style 1 applied to every paragraph of a document of state.range(0) paragraphs.
void BM_ApplyParaStyle(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    OnFreshDocument(
        state, n,
        [n](TDocument& doc) { doc.Data->SetSelectionBounds(0, 1, n - 1, doc.Data->GetOffsAfterItem(n - 1)); },
        [](TDocument& doc) { doc.Edit->ApplyParaStyle(1); });
}
BENCHMARK(BM_ApplyParaStyle)->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

// Pastes state.range(0) lines of text from the clipboard into the middle of a
// paragraph in the middle of a document of 10,000 paragraphs.
void BM_Paste(benchmark::State& state)
{
    const int lines = static_cast<int>(state.range(0));
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += "pasted line " + std::to_string(i) + " of the clipboard\r\n";
    OnFreshDocument(
        state, 10000,
        [&](TDocument& doc) {
            doc.Data->SetCaretAtItem(5000, 11, false);
            Clipboard()->SetAsText(text);
        },
        [](TDocument& doc) { doc.Edit->Paste(); });
}
BENCHMARK(BM_Paste)->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

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
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
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
    std::printf("enter cost 100k/100 paragraphs: %.2f\n",
                Ratio("BM_Enter/100000/iterations:3", "BM_Enter/100/iterations:3"));
    std::printf("join cost 100k/100 paragraphs: %.2f\n",
                Ratio("BM_Join/100000/iterations:3", "BM_Join/100/iterations:3"));
    std::printf("click to caret cost 100k/100 paragraphs: %.2f\n",
                Ratio("BM_ClickToCaret/100000/iterations:3", "BM_ClickToCaret/100/iterations:3"));
    std::printf("paste cost 10k/1k paragraphs: %.2f\n",
                Ratio("BM_Paste/10000/iterations:3", "BM_Paste/1000/iterations:3"));
    std::printf("delete and undo cost 10k/1k paragraphs: %.2f\n",
                Ratio("BM_DeleteAndUndo/10000/iterations:3", "BM_DeleteAndUndo/1000/iterations:3"));
    std::printf("redo of 1k deleted paragraphs cost 100k/1.1k paragraphs: %.2f\n",
                Ratio("BM_UndoDeletion/100000/1/iterations:5", "BM_UndoDeletion/1100/1/iterations:5"));
    std::printf("list style cost 10k/1k paragraphs: %.2f\n",
                Ratio("BM_ApplyListStyle/10000/iterations:3", "BM_ApplyListStyle/1000/iterations:3"));
    std::printf("paragraph style cost 10k/1k paragraphs: %.2f\n",
                Ratio("BM_ApplyParaStyle/10000/iterations:3", "BM_ApplyParaStyle/1000/iterations:3"));
    // The undo figure is the one this bench watches most: it comes last.
    std::printf("undo of 1k deleted paragraphs cost 100k/1.1k paragraphs: %.2f\n",
                Ratio("BM_UndoDeletion/100000/0/iterations:5", "BM_UndoDeletion/1100/0/iterations:5"));
    return 0;
}
