// The RTF parser's and the whole import's speed: linear in the size of the
// document (also when varied formatting adds thousands of styles, twice as
// many in the document twice as large), and against a peer converter (unrtf
// --text) on the same generated files, in one run: our parser alone started
// as a program on the file exactly as the peer is, and the whole import. The
// headline ratios are printed last, one per line.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/benchedit.h"
#include "document/rvstyle.h"
#include "platform/controls/clipbrd.h"
#include "platform/core/streams.h"
#include "rtf/rvrtfimport.h"
#include "rtf/rvrtfreader.h"
#include "tests/support/testrvdata.h"

extern char** environ;

namespace {

constexpr const char* Peer = "/usr/bin/unrtf";
// The option under which this program only parses the file it is given.
constexpr const char* ParseOption = "--parse-only";
constexpr int BaseParagraphs = 20000;

// Formatted text, a table row every 10 paragraphs and a small picture every 50.
std::string MakeRTF(int paragraphs)
{
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times;}}"
                      "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\\uc1\n";
    std::string picture = "{\\pict\\dibitmap0\\picw2\\pich2 28000000020000000200000001001800";
    picture += std::string(48, '0') + std::string(32, 'f') + "}";
    for (int i = 0; i < paragraphs; ++i) {
        if (i % 10 == 9) {
            rtf += "\\trowd\\trgaph108\\cellx3000\\clcbpat1\\cellx6000\\pard\\intbl cell one\\cell "
                   "{\\b cell} two\\cell\\row\\pard\n";
            continue;
        }
        rtf += "\\pard\\li200\\sa120 Line " + std::to_string(i) +
               " of the document {\\b bold} and {\\i\\cf1 coloured} text, caf\\'e9 \\u8364? end.";
        if (i % 50 == 0)
            rtf += picture;
        rtf += "\\par\n";
    }
    return rtf + "}";
}

// Every run formatted its own way: about 3,000 text styles are added for
// every 20,000 paragraphs (the colours grow with the document), so that twice
// the paragraphs bring twice the styles.
std::string MakeVariedRTF(int paragraphs)
{
    const int colours = 50 * std::max(1, paragraphs / BaseParagraphs);
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times;}}{\\colortbl;";
    for (int c = 0; c < colours; ++c)
        rtf += "\\red" + std::to_string(c % 256) + "\\green" + std::to_string(255 - c / 256) + "\\blue128;";
    rtf += "}\n";
    for (int i = 0; i < paragraphs; ++i)
        rtf += "\\pard\\li" + std::to_string(20 * (i % 13)) + " {\\f" + std::to_string(i % 2) + "\\fs" +
               std::to_string(16 + 2 * (i % 61)) + "\\cf" + std::to_string(1 + i % colours) + " run " +
               std::to_string(i) + "} and plain text\\par\n";
    return rtf + "}";
}

const std::string& Document(int scale, bool varied = false)
{
    static std::map<int, std::string> documents;
    const int key = varied ? -scale : scale;
    auto it = documents.find(key);
    if (it == documents.end())
        it = documents
                 .emplace(key,
                          varied ? MakeVariedRTF(BaseParagraphs * scale) : MakeRTF(BaseParagraphs * scale))
                 .first;
    return it->second;
}

// A headless document as a program holds one: it keeps no log of item actions.
class TBenchData : public TTestRVData {
public:
    using TTestRVData::TTestRVData;
    void ItemAction(TRVItemAction, TCustomRVItemInfo*, AnsiString&, TCustomRVData*) override {}
};

// The whole import into a headless document, styles added as needed.
void Import(benchmark::State& state, bool varied)
{
    RV_RegisterRTFImport();
    const std::string& rtf = Document(static_cast<int>(state.range(0)), varied);
    TMemoryStream stream;
    stream.WriteBuffer(rtf.data(), static_cast<int64_t>(rtf.size()));
    int styles = 0;
    for (auto _ : state) {
        TRVStyle style(nullptr);
        TBenchData data(&style);
        TRVRTFReaderProperties props;
        props.SetTextStyleMode(rvrsAddIfNeeded);
        props.SetParaStyleMode(rvrsAddIfNeeded);
        props.SetUnicodeMode(rvruMixed);
        stream.SetPosition(0);
        if (props.ReadFromStream(stream, &data) != rtf_ec_OK)
            state.SkipWithError("import failed");
        styles = style.TextStyles()->Count();
    }
    state.counters["text styles"] = styles;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rtf.size()));
}

void BM_Import(benchmark::State& state)
{
    Import(state, false);
}
BENCHMARK(BM_Import)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_ImportVaried(benchmark::State& state)
{
    Import(state, true);
}
BENCHMARK(BM_ImportVaried)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_Parse(benchmark::State& state)
{
    const std::string& rtf = Document(static_cast<int>(state.range(0)));
    size_t seen = 0;
    TMemoryStream stream;
    stream.WriteBuffer(rtf.data(), static_cast<int64_t>(rtf.size()));
    for (auto _ : state) {
        TRVRTFReader reader(nullptr);
        reader.OnNewText = [&](TRVRTFReader*, const AnsiString& t, TRVRTFPosition) { seen += t.size(); };
        reader.OnNewUnicodeText = [&](TRVRTFReader*, const WideString& t, TRVRTFPosition) {
            seen += t.size();
        };
        reader.OnTable = [&](TRVRTFReader*, TRVRTFTableEventKind) { ++seen; };
        reader.OnNewPicture = [&](TRVRTFReader*, TRVRTFPicture*, std::unique_ptr<TGraphic> g,
                                  TRVRTFPosition) { seen += g != nullptr; };
        stream.SetPosition(0);
        if (reader.ReadFromStream(stream) != rtf_ec_OK)
            state.SkipWithError("parse failed");
    }
    benchmark::DoNotOptimize(seen);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rtf.size()));
}
BENCHMARK(BM_Parse)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Runs a program on the 1x document (written to a file) once per iteration,
// its output thrown away: what a user would wait for, start-up included.
void RunOnDocument(benchmark::State& state, const char* program, std::vector<const char*> args)
{
    if (access(program, X_OK) != 0) {
        state.SkipWithError("the program is not installed");
        return;
    }
    char path[] = "/tmp/kelvor-rtf-bench-XXXXXX";
    const int fd = mkstemp(path);
    const std::string& rtf = Document(1);
    if (fd < 0 || write(fd, rtf.data(), rtf.size()) != static_cast<ssize_t>(rtf.size())) {
        state.SkipWithError("cannot write the document");
        return;
    }
    close(fd);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const char* arg : args)
        argv.push_back(const_cast<char*>(arg));
    argv.push_back(path);
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t pid;
        int status = 0;
        if (posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the program did not run");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    unlink(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rtf.size()));
}

// The peer converting the 1x document to text. --nopict: it writes no
// picture files (less work than ours, which decodes them).
void BM_Peer(benchmark::State& state)
{
    RunOnDocument(state, Peer, {"--nopict", "--text"});
}
BENCHMARK(BM_Peer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Our parser alone reading the same file, started and timed as the peer is.
void BM_ParseAlone(benchmark::State& state)
{
    RunOnDocument(state, "/proc/self/exe", {ParseOption});
}
BENCHMARK(BM_ParseAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The child's work for BM_ParseAlone: the file read and parsed, the events counted.
int ParseFile(const char* path)
{
    TFileStream stream(path, fmOpenRead);
    size_t seen = 0;
    TRVRTFReader reader(nullptr);
    reader.OnNewText = [&](TRVRTFReader*, const AnsiString& t, TRVRTFPosition) { seen += t.size(); };
    reader.OnNewUnicodeText = [&](TRVRTFReader*, const WideString& t, TRVRTFPosition) { seen += t.size(); };
    reader.OnTable = [&](TRVRTFReader*, TRVRTFTableEventKind) { ++seen; };
    reader.OnNewPicture = [&](TRVRTFReader*, TRVRTFPicture*, std::unique_ptr<TGraphic> g, TRVRTFPosition) {
        seen += g != nullptr;
    };
    const bool ok = reader.ReadFromStream(stream) == rtf_ec_OK;
    std::printf("%zu\n", seen);
    return ok ? 0 : 1;
}

// Pastes RTF of state.range(0) paragraphs (formatted text, tables, pictures)
// from the clipboard into the middle of a shown editor of 10,000 paragraphs.
void BM_Paste(benchmark::State& state)
{
    RV_RegisterRTFImport();
    const std::string rtf = MakeRTF(static_cast<int>(state.range(0)));
    const unsigned format = RegisterClipboardFormatA("Rich Text Format");
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<TBenchEditor>();
        TRVRTFReaderProperties* props = doc->Edit->GetRTFReadProperties();
        props->SetTextStyleMode(rvrsAddIfNeeded);
        props->SetParaStyleMode(rvrsAddIfNeeded);
        doc->AddLogLines(10000);
        doc->Edit->Format();
        doc->Data->SetCaretAtItem(5000, 11, false);
        Clipboard()->SetBuffer(format, rtf.data(), rtf.size());
        state.ResumeTiming();
        doc->Edit->Paste();
        state.PauseTiming();
        if (doc->Data->GetItemCount() <= 10000)
            state.SkipWithError("nothing was pasted");
        doc.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Paste)->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

// Tables of merged cells: MergedRows(rows, started) is one cell merged down
// every row of the table (begun by \clvmgf, or with \clvmrg alone when not
// started) beside a cell of its own per row; MergedCells(rows) has rows of 1,000
// cells of which all but the first are \clmrg.
std::string MergedRowsRTF(int rows, bool started)
{
    std::string rtf = "{\\rtf1\\ansi\n";
    for (int r = 0; r < rows; ++r)
        rtf += std::string("\\trowd") + (r == 0 && started ? "\\clvmgf" : "\\clvmrg") +
               "\\cellx1000\\cellx2000\\pard\\intbl a\\cell row " + std::to_string(r) + "\\cell\\row\n";
    return rtf + "\\pard after\\par}";
}

std::string MergedCellsRTF(int rows)
{
    std::string rtf = "{\\rtf1\\ansi\n";
    for (int r = 0; r < rows; ++r) {
        rtf += "\\trowd";
        for (int c = 0; c < 1000; ++c)
            rtf += std::string(c == 0 ? "\\clmgf" : "\\clmrg") + "\\cellx" + std::to_string(10 * (c + 1));
        rtf += "\\pard\\intbl";
        for (int c = 0; c < 1000; ++c)
            rtf += " x\\cell";
        rtf += "\\row\n";
    }
    return rtf + "\\pard after\\par}";
}

void ImportTable(benchmark::State& state, const std::string& rtf)
{
    RV_RegisterRTFImport();
    TMemoryStream stream;
    stream.WriteBuffer(rtf.data(), static_cast<int64_t>(rtf.size()));
    for (auto _ : state) {
        TRVStyle style(nullptr);
        TBenchData data(&style);
        TRVRTFReaderProperties props;
        stream.SetPosition(0);
        if (props.ReadFromStream(stream, &data) != rtf_ec_OK || data.GetItemCount() != 2)
            state.SkipWithError("import failed");
    }
}

void BM_MergedRows(benchmark::State& state)
{
    ImportTable(state, MergedRowsRTF(static_cast<int>(state.range(0)), state.range(1) != 0));
}
BENCHMARK(BM_MergedRows)
    ->Args({4000, 1})
    ->Args({8000, 1})
    ->Args({4000, 0})
    ->Args({8000, 0})
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);

void BM_MergedCells(benchmark::State& state)
{
    ImportTable(state, MergedCellsRTF(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_MergedCells)->Arg(50)->Arg(100)->Repetitions(3)->Unit(benchmark::kMillisecond);

// Keeps the CPU and real time per iteration of every run by name; with
// repetitions, the median's.
class TCollector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations <= 0)
                continue;
            std::string name = run.benchmark_name();
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median)
                continue;
            if (median)
                name = name.substr(0, name.size() - std::string("_median").size());
            if (median || !Medians.count(name)) {
                CPU[name] = run.GetAdjustedCPUTime();
                Real[name] = run.GetAdjustedRealTime();
            }
            if (median)
                Medians[name] = true;
            if (run.run_type != Run::RT_Aggregate &&
                (!MinCPU.count(name) || run.GetAdjustedCPUTime() < MinCPU[name]))
                MinCPU[name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> CPU, Real;
    // The least CPU time of each name's repetitions.
    std::map<std::string, double> MinCPU;
    std::map<std::string, bool> Medians;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == ParseOption)
        return ParseFile(argv[2]);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    TCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    auto time = [](const std::map<std::string, double>& t, const std::string& name) {
        return t.count(name) ? t.at(name) : 0.0;
    };
    // Both sizes run in this process: CPU time, which other load on the
    // machine does not inflate. The peer runs in a child: real time for both.
    const double one = time(collector.CPU, "BM_Parse/1"), two = time(collector.CPU, "BM_Parse/2");
    const double peer = time(collector.Real, "BM_Peer/iterations:5/real_time");
    const double parseAlone = time(collector.Real, "BM_ParseAlone/iterations:5/real_time");
    const double importOne = time(collector.CPU, "BM_Import/1"),
                 importTwo = time(collector.CPU, "BM_Import/2");
    const double variedOne = time(collector.CPU, "BM_ImportVaried/1"),
                 variedTwo = time(collector.CPU, "BM_ImportVaried/2");
    const double importReal = time(collector.Real, "BM_Import/1");
    // The cases of the import's cost first; its headline is the worst of them.
    double importCost = 0;
    if (importOne > 0 && importTwo > 0) {
        std::printf("rtf import cost 2x/1x, tables and pictures: %.2f\n", importTwo / importOne);
        importCost = importTwo / importOne;
    }
    if (variedOne > 0 && variedTwo > 0) {
        std::printf("rtf import cost 2x/1x, thousands of styles: %.2f\n", variedTwo / variedOne);
        importCost = std::max(importCost, variedTwo / variedOne);
    }
    if (one > 0 && two > 0)
        std::printf("rtf parse cost 2x/1x: %.2f\n", two / one);
    // Both started as programs on the same file and timed alike; ours only
    // parses, the peer converts to text.
    if (parseAlone > 0 && peer > 0)
        std::printf("rtf parse speed ours parsing/unrtf converting to text: %.2f\n", peer / parseAlone);
    else
        std::printf("rtf parse speed ours parsing/unrtf converting to text: skipped (no peer)\n");
    if (importCost > 0)
        std::printf("rtf import cost 2x/1x: %.2f\n", importCost);
    // Ours: the whole import into a document (pictures decoded, tables built);
    // the peer: the whole conversion to text, pictures not written.
    if (importReal > 0 && peer > 0)
        std::printf("rtf import speed ours/unrtf: %.2f\n", peer / importReal);
    else
        std::printf("rtf import speed ours/unrtf: skipped (no peer)\n");
    const double pasteSmall = time(collector.CPU, "BM_Paste/1000/iterations:3"),
                 pasteLarge = time(collector.CPU, "BM_Paste/10000/iterations:3");
    if (pasteSmall > 0 && pasteLarge > 0)
        std::printf("rtf paste cost 10k/1k paragraphs: %.2f\n", pasteLarge / pasteSmall);
    // The merges: each case's ratio, then the worst of the row cases.
    double mergedRows = 0;
    for (const char* started : {"1", "0"}) {
        // The least CPU time of the repetitions: the figure that other load on
        // the machine (cache and memory contention) inflates least.
        auto name = [&](const char* rows) {
            return std::string("BM_MergedRows/") + rows + "/" + started + "/repeats:5";
        };
        const double small = time(collector.MinCPU, name("4000")),
                     large = time(collector.MinCPU, name("8000"));
        if (small > 0 && large > 0) {
            std::printf("rtf merged rows cost 8k/4k rows, %s: %.2f\n",
                        *started == '1' ? "\\clvmgf started" : "\\clvmrg alone", large / small);
            mergedRows = std::max(mergedRows, large / small);
        }
    }
    const double cellsSmall = time(collector.MinCPU, "BM_MergedCells/50/repeats:3"),
                 cellsLarge = time(collector.MinCPU, "BM_MergedCells/100/repeats:3");
    if (cellsSmall > 0 && cellsLarge > 0)
        std::printf("rtf merged cells cost 100/50 rows of 1,000 cells: %.2f\n", cellsLarge / cellsSmall);
    if (mergedRows > 0)
        std::printf("rtf merged rows cost 8k/4k rows: %.2f\n", mergedRows);
    benchmark::Shutdown();
    return 0;
}
