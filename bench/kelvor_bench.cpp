// kelvor_bench: new log lines shown by Kelvor's own road against QPlainTextEdit,
// side by side in one process on the offscreen platform. A plain timing program
// (its output is read by people and scripts, line by line); built with the
// project, not run by CI.
//
// Kelvor's road is the one a poll takes: TForm1::TailNewText with the chunk as
// the monitor delivers it, which splits it into lines, appends them to a real
// pane, lays the pane out, scrolls it to its end and repaints it at once; a
// chunk larger than a piece is shown a piece at a time, the rest on the pane's
// timer, and the timing of a run of chunks lasts until the pane shows every
// line of them (the events run until it does). The
// other side gets the same chunk through QPlainTextEdit::appendPlainText (one
// call per chunk, its cheapest use), is scrolled to its end and repainted at
// once with QWidget::repaint, which paints the widget and its children (frame,
// viewport, scroll bars) synchronously. Both widgets are shown top-level
// windows of the same outer size, read-only, unwrapped, in the same font at
// the same pixel size; after every chunk both sides let the event loop run
// (processEvents inside the timing), so that no deferred work escapes it.
//
// Memory is the growth of the heap in use (mallinfo2) while lines are added,
// less their text: the allocator's own overhead and the containers' spare
// capacity are counted, the blocks that pools keep free for reuse are not.
// `kelvor_bench --memory` runs this case alone.
//
// The headline append ratio is the worst of the six cases of line length and
// chunk size, each the median of three rounds; the tail cost compares a pane
// of 1,000,000 lines with one of 1,000 (a pane that already shows its scroll
// bar: an empty pane pays once for the bar's first appearance).
//
// Runs through the monitor itself, one poll after another as the timer would
// run them, until the pane shows the last line: a burst of 200 MB into a pane
// purged at 100,000 lines (its highest heap against that of a pane holding
// 100,000 such lines, and the longest time one poll or one showing kept the
// event loop waiting), and one line of 5 MB without a line end arriving in
// pieces, into a fresh file and into one that was truncated (the longest
// block, and the heap it costs per byte once shown). The catch-up of a burst
// runs on the monitor's own timer in the event loop, as a user would wait for
// it: the time from the burst's first poll to its last line shown, for 200 MB
// against 20 MB, both into a pane purged at 100,000 lines. Last, another thread
// makes one write() of 200 MB into the file while the pane polls as often as
// it can: the longest time the UI thread was kept from its events. And bytes
// that are no valid UTF-8 (kelvor_bench_binary.cpp), each case shown twice:
// the longest block, worst of them; and one line of 512 KB of such bytes
// without a line end, first shown and then the window resized with it shown:
// the longest block of either. One line of 1 MB of sequences that are no
// UTF-8, one after another, against one of as many bytes 0x80-0xFF: the
// longest block while the first is shown, and the window's processor time
// of the first against the second (from when the line is in the file: the
// write is not the pane's work). `kelvor_bench --binary` runs these alone,
// `kelvor_bench --invalid-line` the last alone.
//
// One long line without a line end at two lengths (kelvor_bench_longline.cpp):
// the window's processor time of showing 4N bytes against N bytes (the
// file's write left out), for log text and for bytes 0x80-0xFF, on an idle
// core and on one the window shares with three busy threads; the headline is
// the worst of the four ratios.
// `kelvor_bench --long-line` runs these alone.
//
// The window's longest turn (kelvor_bench_turns.cpp): one line of 512 KB of
// bytes 0x80-0xFF without a line end, arriving in 4 KB writes (a turn of the
// monitor after each) and in one write, on an idle core and on one the window
// shares with three busy threads, three rounds each; every event the event
// loop hands to the program, and every turn of the monitor, is timed in the
// processor time of the window's thread. The headline is the longest turn of
// all, the fonts that draw the line's characters met before; a second one
// the longest turn of a process that meets them for the first time (the
// program run again, once for each way of arriving): a script new to the
// process has its fallback fonts looked for and loaded in one call of the
// toolkit, which no turn can split. On the machine this was measured on, the
// line meets some thirteen scripts new to the process, each call 20-35 ms of
// the processor, and the longest turn of the first meeting took 33-42 ms, the
// longest of those calls and a few ms besides; the longest turn once the
// fonts were met took 21-32 ms (a poll's first turn in one write).
// `kelvor_bench --turns` runs these alone.
//
// Special words (kelvor_bench_words.cpp): the same lines followed with 500
// special words that overlap one another and the lines' text, and with 3, each
// list in turn, through the same road: a burst of 20 MB caught up by the
// monitor into a pane purged at 100,000 lines (most lines only matched and
// counted), and 100,000 lines in chunks of 10,000 into a pane never purged
// (every line laid out as well). The headline is the worse of the two cases'
// cost with 500 words against the cost with 3, each the median of five
// rounds. `kelvor_bench --words` runs these alone.
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/Tail.h"
#include "app/U_kelvor.h"
#include "bench/kelvor_bench_binary.h"
#include "bench/kelvor_bench_longline.h"
#include "bench/kelvor_bench_monitor.h"
#include "bench/kelvor_bench_sides.h"
#include "bench/kelvor_bench_turns.h"
#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/graphics/gdiobjects.h"
#include "view/rollview.h"

namespace {

// The purge line of the pane in the cases through the monitor.
constexpr long PurgeLines = 100000;

std::string TempFolder()
{
    char pattern[] = "/tmp/kelvor_bench.XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return dir;
}

// What the program's arguments ask for: "--memory" runs the memory case
// alone; "--append [LENGTH [CHUNK-LINES]]" runs the append cases alone (those
// of that line length and chunk size); "--catch-up" runs the two burst
// catch-up cases alone; "--binary" and "--words" run the cases of bytes that
// are no UTF-8 and of special words alone, "--invalid-line" the one line of
// invalid UTF-8 against high bytes alone, "--long-line" the long line at two
// lengths alone, "--turns" the window's longest turn alone; "--first-meeting
// WRITE" shows the high-byte line once in writes of WRITE bytes and prints
// its longest turn (what the turns case runs in a process of its own).
struct TBenchArgs {
    bool CatchUpOnly = false;
    bool BinaryOnly = false;
    bool InvalidLineOnly = false;
    bool LongLineOnly = false;
    bool TurnsOnly = false;
    size_t FirstMeetingWrite = 0;
    bool WordsOnly = false;
    bool MemoryOnly = false;
    bool AppendOnly = false;
    int OnlyLength = 0;
    long OnlyChunkLines = 0;
};

TBenchArgs ReadArgs(int argc, char** argv)
{
    TBenchArgs args;
    args.CatchUpOnly = argc > 1 && std::string(argv[1]) == "--catch-up";
    args.MemoryOnly = argc > 1 && std::string(argv[1]) == "--memory";
    args.BinaryOnly = argc > 1 && std::string(argv[1]) == "--binary";
    args.InvalidLineOnly = argc > 1 && std::string(argv[1]) == "--invalid-line";
    args.LongLineOnly = argc > 1 && std::string(argv[1]) == "--long-line";
    args.WordsOnly = argc > 1 && std::string(argv[1]) == "--words";
    args.TurnsOnly = argc > 1 && std::string(argv[1]) == "--turns";
    if (argc > 2 && std::string(argv[1]) == FirstMeetingArg)
        args.FirstMeetingWrite = std::strtoul(argv[2], nullptr, 10);
    args.AppendOnly = argc > 1 && std::string(argv[1]) == "--append";
    args.OnlyLength = args.AppendOnly && argc > 2 ? std::atoi(argv[2]) : 0;
    args.OnlyChunkLines = args.AppendOnly && argc > 3 ? std::atol(argv[3]) : 0;
    return args;
}

// Starts Kelvor's window on settings (written to Ini) of one pane following
// the new empty file Log, opened at start-up and sized by the window as the
// program does; the pane's file, or null when the pane could not be opened.
TTailFile* OpenPane(const std::string& ini, const std::string& log)
{
    std::ofstream(log) << "";
    std::ofstream(ini) << "[Options]\nActive=0\nPurgeAtLine=0\nFontName=DejaVu Sans Mono\nFontSize=9\n"
                          "Left=0\nTop=0\nWidth=800\nHeight=600\n[TailFiles]\nFile1="
                       << log << "\n";
    SetCommandLine({AnsiString(), ini});

    Application->Initialize();
    Application->CreateForm(Form1);
    Form1->Show();
    TTailFile* file = Form1->Tail->GetCount() == 1 ? Form1->Tail->GetFile(0) : nullptr;
    if (!file || !file->View)
        return nullptr;
    file->LineComplete = true;
    QCoreApplication::processEvents();
    return file;
}

// The figures of a whole run, printed last as the headline lines.
struct THeadlines {
    double AppendRatio = 0;
    double TailRatio = 0;
    double BytesPerLine = 0;
    TBurstFigures Burst;
    double CatchUpRatio = 0;
    TLongLineFigures LongLine;
    double SingleBlock = 0;
    double BinaryBlock = 0;
    double BinaryLineBlock = 0;
    double InvalidLineBlock = 0;
    double InvalidLineCpuRatio = 0;
    double LongLineCpuRatio = 0;
    double SpecialWordsRatio = 0;
    TTurnFigures Turns;
};

void PrintInvalidLineHeadline(double block, double cpuRatio)
{
    std::printf("one invalid UTF-8 line longest block ms (bound 100): %.0f; CPU against as many high bytes "
                "(bound 2): %.2f\n",
                block * 1000, cpuRatio);
}

void PrintLongLineHeadline(double ratio)
{
    std::printf("one long line CPU 4N/N bytes, worst of log text and high bytes on an idle and a shared core "
                "(bound 6): %.2f\n",
                ratio);
}

void PrintTurnsHeadlines(const TTurnFigures& turns)
{
    if (turns.FirstMeeting >= 0)
        std::printf("high-byte line longest turn CPU ms, its fonts met for the first time: %.0f\n",
                    turns.FirstMeeting * 1000);
    std::printf("high-byte line longest turn CPU ms: %.0f\n", turns.Longest * 1000);
}

// This program's file, which the first meeting of fonts runs again.
std::string ProgramPath()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

void PrintHeadlines(const THeadlines& h)
{
    std::printf("append ratio kelvor/qplaintextedit, worst of six cases: %.2f\n", h.AppendRatio);
    std::printf("tail cost 1M/1k lines: %.2f\n", h.TailRatio);
    std::printf("bytes per line: %.0f\n", h.BytesPerLine);
    std::printf("burst peak heap / purge-line heap: %.2f\n", h.Burst.PeakRatio);
    std::printf("burst longest block ms: %.0f\n", h.Burst.BlockSeconds * 1000);
    std::printf("burst catch-up cost 200MB/20MB: %.2f\n", h.CatchUpRatio);
    std::printf("long line longest block ms: %.0f\n", h.LongLine.BlockSeconds * 1000);
    std::printf("long line bytes per byte, worst of fresh and truncated file: %.1f\n", h.LongLine.PerByte);
    std::printf("single 200MB write longest ui block ms: %.0f\n", h.SingleBlock * 1000);
    std::printf("binary and invalid UTF-8 lines longest block ms, worst of the cases: %.0f\n",
                h.BinaryBlock * 1000);
    std::printf("one binary line longest block ms, worst of first showing and resizes: %.0f\n",
                h.BinaryLineBlock * 1000);
    PrintInvalidLineHeadline(h.InvalidLineBlock, h.InvalidLineCpuRatio);
    std::printf("cost with 500 special words against 3, worse of the two cases: %.2f\n", h.SpecialWordsRatio);
    PrintLongLineHeadline(h.LongLineCpuRatio);
    PrintTurnsHeadlines(h.Turns);
}

// The pane's font at the pane's pixel size (PixelSize), for QPlainTextEdit.
QFont PaneFont(int& pixelSize)
{
    const TFontInfo* normal = Form1->RVStyle->TextStyles()->Items(0);
    TFont paneFont;
    paneFont.SetSize(normal->Size());
    pixelSize = -paneFont.Height();
    QFont font(QString::fromStdString(normal->FontName()));
    font.setPixelSize(pixelSize);
    font.setKerning(false);
    return font;
}

// Heap bytes per line beyond the text on both sides, printed; Kelvor's.
double MemoryCase(TKelvorSide& kelvor, TPlainSide& plain)
{
    const long memoryLines = 100000;
    const double kelvorBytes = BytesPerLine(kelvor, memoryLines, 100);
    const double plainBytes = BytesPerLine(plain, memoryLines, 100);
    std::printf("memory, %ld lines of 100 characters, heap bytes per line beyond the text: "
                "kelvor %.1f, qplaintextedit %.1f\n",
                memoryLines, kelvorBytes, plainBytes);
    return kelvorBytes;
}

// The cases of bytes that are no UTF-8 alone, their headlines printed.
void BinaryCases(TTailFile* file, const std::string& dir)
{
    const double line = BinaryLineLongestBlock(file, dir);
    const double lines = BinaryLongestBlock(file, dir);
    double cpuRatio = 0;
    const double invalid = InvalidLineLongestBlock(file, dir, cpuRatio);
    std::printf("binary and invalid UTF-8 lines longest block ms, worst of the cases: %.0f\n", lines * 1000);
    std::printf("one binary line longest block ms, worst of first showing and resizes: %.0f\n", line * 1000);
    PrintInvalidLineHeadline(invalid, cpuRatio);
}

// Runs the case or cases the arguments ask for alone, with their headlines;
// false when they ask for the whole run.
bool RunAlone(const TBenchArgs& args, TKelvorSide& kelvor, TPlainSide& plain, const std::string& dir,
              const std::string& log)
{
    TTailFile* file = kelvor.File;
    double cpuRatio = 0, small = 0, large = 0;
    if (args.AppendOnly)
        std::printf("append ratio kelvor/qplaintextedit, worst of the cases run: %.2f\n",
                    AppendRatio(kelvor, plain, args.OnlyLength, args.OnlyChunkLines));
    else if (args.InvalidLineOnly) {
        // The ratio is known once the case has run.
        const double block = InvalidLineLongestBlock(file, dir, cpuRatio);
        PrintInvalidLineHeadline(block, cpuRatio);
    } else if (args.LongLineOnly)
        PrintLongLineHeadline(LongLineCpuRatio(file, dir));
    else if (args.BinaryOnly)
        BinaryCases(file, dir);
    else if (args.TurnsOnly)
        PrintTurnsHeadlines(HighByteLineTurns(file, dir, ProgramPath()));
    else if (args.FirstMeetingWrite > 0)
        FirstMeetingTurn(file, dir, args.FirstMeetingWrite);
    else if (args.WordsOnly)
        std::printf("cost with 500 special words against 3, worse of the two cases: %.2f\n",
                    SpecialWordsRatio(kelvor, log, PurgeLines));
    else if (args.CatchUpOnly) {
        CatchUpCosts(file, log, PurgeLines, small, large);
        std::printf("burst catch-up cost 200MB/20MB: %.2f\n", large / small);
    } else if (args.MemoryOnly)
        std::printf("bytes per line: %.0f\n", MemoryCase(kelvor, plain));
    else
        return false;
    return true;
}

// Every case in turn, each printed as it ends; the headline figures.
THeadlines RunAll(TKelvorSide& kelvor, TPlainSide& plain, const std::string& dir, const std::string& log)
{
    TTailFile* file = kelvor.File;
    THeadlines h;
    // Memory first, from fresh containers.
    h.BytesPerLine = MemoryCase(kelvor, plain);
    // Throughput: the same chunks to both, each starting empty.
    h.AppendRatio = AppendRatio(kelvor, plain);
    // The cost of 1,000 new lines (chunks of 100) as the pane grows.
    h.TailRatio = TailCostRatio(kelvor, plain);
    // A burst of 200 MB of 100-character lines into a pane that is purged at
    // 100,000 lines, through the monitor as the timer would run it; against the
    // heap of a pane that holds 100,000 such lines.
    h.Burst = Burst(kelvor, plain, log, PurgeLines);
    double catchUpSmall = 0, catchUpLarge = 0;
    CatchUpCosts(file, log, PurgeLines, catchUpSmall, catchUpLarge);
    h.CatchUpRatio = catchUpLarge / catchUpSmall;
    // One line of 5 MB without a line end, through the monitor in pieces.
    h.LongLine = LongLines(kelvor, dir, log, 5000000);
    h.SingleBlock = SingleWriteCost(kelvor, file, log, PurgeLines);
    h.BinaryLineBlock = BinaryLineLongestBlock(file, dir);
    h.BinaryBlock = BinaryLongestBlock(file, dir);
    h.InvalidLineBlock = InvalidLineLongestBlock(file, dir, h.InvalidLineCpuRatio);
    h.LongLineCpuRatio = LongLineCpuRatio(file, dir);
    h.SpecialWordsRatio = SpecialWordsRatio(kelvor, log, PurgeLines);
    h.Turns = HighByteLineTurns(file, dir, ProgramPath());
    return h;
}

} // namespace

int main(int argc, char** argv)
{
    const TBenchArgs args = ReadArgs(argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    StartTurnClock();
    const std::string dir = TempFolder();
    const std::string ini = dir + "/kelvor.ini";
    const std::string log = dir + "/bench.log";
    TTailFile* file = OpenPane(ini, log);
    if (!file) {
        std::fprintf(stderr, "kelvor_bench: the pane could not be opened\n");
        return 1;
    }
    TRollView* view = file->View;
    int pixelSize = 0;
    const QFont font = PaneFont(pixelSize);
    TKelvorSide kelvor(file);
    TPlainSide plain(font, view->Width(), view->Height());
    std::printf("kelvor_bench: pane %dx%d, %s %d px, QPlainTextEdit %dx%d\n", view->Width(), view->Height(),
                font.family().toStdString().c_str(), pixelSize, plain.Edit.width(), plain.Edit.height());

    // Warm both up (fonts, glyph caches, first layouts), then start empty.
    FeedAll(kelvor, Chunks(0, 200, 200, 100));
    FeedAll(plain, Chunks(0, 200, 200, 100));
    if (!RunAlone(args, kelvor, plain, dir, log))
        PrintHeadlines(RunAll(kelvor, plain, dir, log));

    // The window goes, and the files it followed and read.
    std::fflush(stdout);
    Form1->Free();
    Form1 = nullptr;
    unlink(log.c_str());
    unlink(ini.c_str());
    rmdir(dir.c_str());
    return 0;
}
