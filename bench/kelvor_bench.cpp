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
// longest block while the first is shown, and the processor time of the
// first against the second. `kelvor_bench --binary` runs these alone,
// `kelvor_bench --invalid-line` the last alone.
//
// One long line without a line end at two lengths (kelvor_bench_longline.cpp):
// the window's processor time of showing 4N bytes against N bytes, for log
// text and for bytes 0x80-0xFF, on an idle core and on one the window shares
// with three busy threads; the headline is the worst of the four ratios.
// `kelvor_bench --long-line` runs these alone.
//
// Special words (kelvor_bench_words.cpp): the same lines followed with 500
// special words that overlap one another and the lines' text, and with 3, each
// list in turn, through the same road: a burst of 20 MB caught up by the
// monitor into a pane purged at 100,000 lines (most lines only matched and
// counted), and 100,000 lines in chunks of 10,000 into a pane never purged
// (every line laid out as well). The headline is the worse of the two cases'
// cost with 500 words against the cost with 3, each the median of five
// rounds. `kelvor_bench --words` runs these alone.
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/Tail.h"
#include "app/U_kelvor.h"
#include "bench/kelvor_bench_binary.h"
#include "bench/kelvor_bench_longline.h"
#include "bench/kelvor_bench_words.h"
#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/core/blockpool.h"
#include "platform/graphics/gdiobjects.h"
#include "view/rollview.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point From)
{
    return std::chrono::duration<double>(Clock::now() - From).count();
}

// Small blocks in use plus the large ones the allocator maps apart, less the
// blocks that the pools of items, draw items and texts keep free for reuse
// (the allocator counts their slabs as in use).
size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd - TBlockPools::FreeBytes();
}

// Line Index of a made-up service log, exactly Length characters long: a time
// stamp, a level, a thread, a message, then words up to the length.
std::string LogLine(long Index, int Length)
{
    static const char* const Levels[] = {"INFO ", "DEBUG", "INFO ", "WARN ", "INFO "};
    static const char* const Words[] = {"request", "served", "cache",     "miss",     "for",     "user",
                                        "session", "token",  "refreshed", "upstream", "latency", "ok"};
    char head[96];
    std::snprintf(head, sizeof head, "2024-05-01 %02ld:%02ld:%02ld.%03ld %s [worker-%02ld] id=%07ld ",
                  (Index / 3600000) % 24, (Index / 60000) % 60, (Index / 1000) % 60, Index % 1000,
                  Levels[Index % 5], Index % 16, Index);
    std::string line = head;
    for (unsigned long w = static_cast<unsigned long>(Index); static_cast<int>(line.size()) < Length;
         w = w * 7 + 3)
        line += std::string(Words[w % 12]) + ' ';
    line.resize(static_cast<size_t>(Length));
    return line;
}

// Lines Count of length Length from First on, as chunks of ChunkLines lines,
// each line ended by a line feed (as the monitor delivers complete lines).
std::vector<std::string> Chunks(long First, long Count, int Length, long ChunkLines)
{
    std::vector<std::string> chunks;
    for (long i = 0; i < Count; i += ChunkLines) {
        std::string chunk;
        for (long j = i; j < std::min(Count, i + ChunkLines); ++j)
            chunk += LogLine(First + j, Length) + '\n';
        chunks.push_back(std::move(chunk));
    }
    return chunks;
}

// Kelvor's window with one pane following a file; the pane is fed directly.
class TKelvorSide {
public:
    TKelvorSide(TTailFile* AFile) : File(AFile) {}

    void Feed(const std::string& Chunk)
    {
        File->NewText = Chunk;
        Form1->TailNewText(0, File);
        File->LineComplete = Chunk.empty() || Chunk.back() == '\n';
        QCoreApplication::processEvents();
    }
    // Runs the events until the pane shows Lines lines: what a chunk larger
    // than a piece left waiting is shown on the pane's timer.
    void Settle(long Lines)
    {
        while (this->Lines() < Lines)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    void Clear()
    {
        File->View->Clear();
        File->View->Format();
        File->View->Repaint();
        QCoreApplication::processEvents();
    }
    long Lines() const { return File->View->GetLineCount(); }

    TTailFile* File;
};

// QPlainTextEdit as a log view: read-only, unwrapped, no undo history.
class TPlainSide {
public:
    TPlainSide(const QFont& Font, int Width, int Height)
    {
        Edit.setReadOnly(true);
        Edit.setUndoRedoEnabled(false);
        Edit.setLineWrapMode(QPlainTextEdit::NoWrap);
        Edit.setFont(Font);
        Edit.resize(Width, Height);
        Edit.setWindowTitle("QPlainTextEdit");
        Edit.show();
        QCoreApplication::processEvents();
    }

    void Feed(const std::string& Chunk)
    {
        // appendPlainText adds a paragraph: the chunk without its last line feed.
        const size_t n = !Chunk.empty() && Chunk.back() == '\n' ? Chunk.size() - 1 : Chunk.size();
        Edit.appendPlainText(QString::fromUtf8(Chunk.data(), static_cast<qsizetype>(n)));
        QScrollBar* bar = Edit.verticalScrollBar();
        bar->setValue(bar->maximum());
        Edit.repaint();
        QCoreApplication::processEvents();
    }
    // Every chunk is shown once fed.
    void Settle(long) {}
    void Clear()
    {
        Edit.clear();
        Edit.repaint();
        QCoreApplication::processEvents();
    }
    long Lines() const { return Edit.document()->blockCount(); }

    QPlainTextEdit Edit;
};

// The time from the first chunk fed until the side shows the last line of
// them (every chunk holds whole lines).
template <class Side> double FeedAll(Side& S, const std::vector<std::string>& Chunks)
{
    long lines = S.Lines();
    for (const std::string& chunk : Chunks)
        lines += static_cast<long>(std::count(chunk.begin(), chunk.end(), '\n'));
    const Clock::time_point start = Clock::now();
    for (const std::string& chunk : Chunks)
        S.Feed(chunk);
    S.Settle(lines);
    return Seconds(start);
}

// Fills a side up to Lines lines (untimed), in chunks of 10,000.
template <class Side> void FillTo(Side& S, long Lines, int Length)
{
    const long have = S.Lines();
    for (const std::string& chunk : Chunks(have, Lines - have, Length, 10000))
        S.Feed(chunk);
    S.Settle(Lines);
}

// The median time of appending 1,000 lines in chunks of 100 to a side that
// holds Lines lines; the empty side is emptied before each round.
template <class Side> double TailCost(Side& S, long Lines, int Length)
{
    std::vector<double> rounds;
    for (int r = 0; r < 7; ++r) {
        if (Lines == 0)
            S.Clear();
        else
            FillTo(S, Lines, Length);
        rounds.push_back(FeedAll(S, Chunks(Lines + 1000 * r, 1000, Length, 100)));
    }
    return Median(rounds);
}

// Heap bytes per line of Length characters beyond the text, over Lines lines
// added to the side from empty in chunks of 1,000.
template <class Side> double BytesPerLine(Side& S, long Lines, int Length)
{
    S.Clear();
    const size_t before = HeapInUse();
    for (const std::string& chunk : Chunks(0, Lines, Length, 1000))
        S.Feed(chunk);
    // An empty chunk: the window's line splitter lets go of the last chunk's lines.
    S.Feed(std::string());
    const double grown = static_cast<double>(HeapInUse()) - static_cast<double>(before);
    return grown / Lines - Length;
}

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

// Appends Bytes to the file at Path, as a writer that dumps its buffers does.
void AppendToFile(const std::string& Path, const std::string& Bytes)
{
    std::ofstream(Path, std::ios::app | std::ios::binary) << Bytes;
}

// The text of the pane's last line.
AnsiString LastShown(TRollView* View)
{
    const int n = View->GetLineCount();
    return n > 0 ? View->GetItemText(n - 1) : AnsiString();
}

// What the pane's last item holds once the last line of a file of Size bytes
// that ends with Last and a line feed is shown: the monitor reads it in pieces
// from the start, and the last piece may hold only the end of that line.
AnsiString LastItemOf(int64_t Size, const AnsiString& Last)
{
    const int64_t lineStart = Size - 1 - static_cast<int64_t>(Last.size());
    const int64_t piece = static_cast<int64_t>(CTail::PieceLimit);
    const int64_t pieceStart = (Size - 1) / piece * piece;
    return Last.substr(static_cast<size_t>(std::max<int64_t>(pieceStart - lineStart, 0)));
}

// Runs the monitor's poll until the file's record has read everything and the
// pane shows Last as its last line; the longest time one poll or one round
// of the events it left (a showing of waiting lines) kept the event loop from
// running, and the highest heap in use after any.
void PollToEnd(TTailFile* File, int64_t Length, const AnsiString& Last, double& LongestBlock,
               size_t& PeakHeap)
{
    LongestBlock = 0;
    PeakHeap = HeapInUse();
    while (File->Position < Length || LastShown(File->View) != Last) {
        const Clock::time_point start = Clock::now();
        if (File->Position < Length)
            Form1->Tail->TimerTimer(nullptr);
        QCoreApplication::processEvents();
        LongestBlock = std::max(LongestBlock, Seconds(start));
        PeakHeap = std::max(PeakHeap, HeapInUse());
    }
}

// A burst of exactly Bytes of 100-character lines (each its own) written at once into
// a pane purged at PurgeLines, shown by the monitor on its own timer: the time
// from the burst's first poll to its last line shown.
double CatchUp(TTailFile* File, const std::string& Log, int64_t Bytes, long PurgeLines)
{
    File->View->Clear();
    File->View->Format();
    File->LineCount = 0;
    File->LineComplete = true;
    Form1->PurgeAtLine = PurgeLines;
    // Switched on first: the monitor follows the file from its end as it stands.
    Form1->Tail->SetActive(true);
    // Exactly Bytes: the last line takes what is left.
    AnsiString last;
    std::string block;
    for (int64_t i = 0, left = Bytes; left > 0; ++i) {
        last = LogLine(static_cast<long>(i), left >= 202 ? 100 : static_cast<int>(left) - 1);
        block += last + '\n';
        left -= static_cast<int64_t>(last.size()) + 1;
        if (block.size() >= (size_t{1} << 20) || left == 0) {
            AppendToFile(Log, block);
            block.clear();
        }
    }
    struct stat info;
    stat(Log.c_str(), &info);
    last = LastItemOf(static_cast<int64_t>(info.st_size), last);
    malloc_trim(0);
    const Clock::time_point start = Clock::now();
    Form1->Tail->TimerTimer(nullptr);
    while (LastShown(File->View) != last)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = Seconds(start);
    Form1->Tail->SetActive(false);
    Form1->PurgeAtLine = 0;
    return seconds;
}

// One line of Bytes without a line end appended to the pane's file and shown
// through the monitor; its longest block, and the heap it costs per byte.
double LongLine(TTailFile* File, const std::string& Log, int64_t Bytes, double& PerByte)
{
    malloc_trim(0);
    const size_t before = HeapInUse();
    std::string line;
    for (long i = 0; static_cast<int64_t>(line.size()) < Bytes; ++i)
        line += LogLine(i, 100) + ' ';
    line.resize(static_cast<size_t>(Bytes));
    AppendToFile(Log, line);
    struct stat info;
    stat(Log.c_str(), &info);
    // The pane's last item holds the line's last piece: its last bytes.
    const AnsiString last =
        line.substr(line.size() - (line.size() % CTail::PieceLimit == 0 ? CTail::PieceLimit
                                                                        : line.size() % CTail::PieceLimit));
    line = std::string();
    double block = 0;
    size_t peak = 0;
    PollToEnd(File, static_cast<int64_t>(info.st_size), last, block, peak);
    PerByte = (static_cast<double>(HeapInUse()) - static_cast<double>(before)) / static_cast<double>(Bytes);
    return block;
}

// One write() of Bytes of 100-character lines into the pane's file by another
// thread, as a service that dumps its whole buffer in one call, while the
// pane polls as often as it can: the longest time one poll and the events it
// left kept the event loop from running, from before the write until the
// pane shows the write's last line. The file system lets a writer hold the
// file for its whole call; nothing the poll does on the UI thread may wait
// for that. Negative when the write failed.
double SingleWrite(TTailFile* File, const std::string& Log, int64_t Bytes, long PurgeLines)
{
    File->View->Clear();
    File->View->Format();
    File->LineCount = 0;
    File->LineComplete = true;
    Form1->PurgeAtLine = PurgeLines;
    Form1->Tail->SetActive(true);
    std::string buffer;
    buffer.reserve(static_cast<size_t>(Bytes) + 128);
    for (long i = 0; static_cast<int64_t>(buffer.size()) < Bytes - 100; ++i)
        buffer += LogLine(i, 100) + '\n';
    // A last line ending in a character no log line holds: any piece of it
    // shown last tells that the write has been shown to its end.
    const std::string last = "the single write ends here #";
    buffer += last + '\n';
    struct stat info;
    stat(Log.c_str(), &info);
    const int64_t end = static_cast<int64_t>(info.st_size) + static_cast<int64_t>(buffer.size());
    std::atomic<int> state{0}; // 0 writing, 1 written, -1 failed
    std::thread writer([&] {
        const int fd = open(Log.c_str(), O_WRONLY | O_APPEND);
        const ssize_t written = fd >= 0 ? write(fd, buffer.data(), buffer.size()) : -1;
        if (fd >= 0)
            close(fd);
        state = written == static_cast<ssize_t>(buffer.size()) ? 1 : -1;
    });
    const auto shownToEnd = [&] {
        const AnsiString shown = LastShown(File->View);
        return !shown.empty() && last.size() >= shown.size() &&
               last.compare(last.size() - shown.size(), shown.size(), shown) == 0;
    };
    double longest = 0;
    while (state == 0 || (state == 1 && (File->Position < end || !shownToEnd()))) {
        const Clock::time_point start = Clock::now();
        Form1->Tail->TimerTimer(nullptr);
        QCoreApplication::processEvents();
        longest = std::max(longest, Seconds(start));
    }
    writer.join();
    Form1->Tail->SetActive(false);
    Form1->PurgeAtLine = 0;
    return state == 1 ? longest : -1;
}

// The append ratio of every case of line length and chunk size (the median
// time of three rounds of each side), printed; the worst of them is answered. A length and a chunk size above
// 0 run that case alone.
double AppendRatio(TKelvorSide& kelvor, TPlainSide& plain, int onlyLength = 0, long onlyChunkLines = 0)
{
    double headlineRatio = 0;
    for (int length : {80, 200}) {
        for (long chunkLines : {1L, 100L, 10000L}) {
            if ((onlyLength > 0 && length != onlyLength) ||
                (onlyChunkLines > 0 && chunkLines != onlyChunkLines))
                continue;
            const long total = chunkLines == 1 ? 5000 : chunkLines == 100 ? 50000 : 100000;
            const std::vector<std::string> chunks = Chunks(0, total, length, chunkLines);
            // The median of three rounds, the sides taking turns, so that a
            // moment of load on the machine does not decide the case.
            std::vector<double> kelvorSeconds, plainSeconds;
            for (int round = 0; round < 3; ++round) {
                kelvor.Clear();
                kelvorSeconds.push_back(FeedAll(kelvor, chunks));
                plain.Clear();
                plainSeconds.push_back(FeedAll(plain, chunks));
            }
            const double k = total / Median(kelvorSeconds);
            const double p = total / Median(plainSeconds);
            std::printf("%3d-character lines, chunks of %5ld, %6ld lines: kelvor %9.0f lines/s, "
                        "qplaintextedit %9.0f lines/s, ratio %.2f\n",
                        length, chunkLines, total, k, p, k / p);
            headlineRatio = headlineRatio == 0 ? k / p : std::min(headlineRatio, k / p);
        }
    }
    return headlineRatio;
}

// The cost of 1,000 new lines (chunks of 100) as the pane grows, printed; the
// cost in a pane of 1,000,000 lines against one of 1,000 is answered.
double TailCostRatio(TKelvorSide& kelvor, TPlainSide& plain)
{
    kelvor.Clear();
    plain.Clear();
    double kelvorThousand = 0;
    double kelvorMillion = 0;
    for (long lines : {0L, 1000L, 100000L, 1000000L}) {
        const double k = TailCost(kelvor, lines, 80);
        const double p = TailCost(plain, lines, 80);
        std::printf("1,000 80-character lines in chunks of 100 into a pane of %7ld lines: "
                    "kelvor %7.2f ms, qplaintextedit %7.2f ms\n",
                    lines, k * 1000, p * 1000);
        if (lines == 1000)
            kelvorThousand = k;
        if (lines == 1000000)
            kelvorMillion = k;
    }
    return kelvorMillion / kelvorThousand;
}

// The cost of the same lines with 500 special words against 3 in both cases
// of the special words (see the top of the file), printed; the worse is answered.
double SpecialWordsRatio(TKelvorSide& kelvor, const std::string& log, long purgeLines)
{
    TTailFile* file = kelvor.File;
    const auto burst = [&] {
        truncate(log.c_str(), 0);
        Form1->Tail->TimerTimer(nullptr); // the file became shorter: starts again from 0
        return CatchUp(file, log, int64_t{20} << 20, purgeLines);
    };
    const std::vector<std::string> chunks = Chunks(0, 100000, 100, 10000);
    const auto append = [&] {
        kelvor.Clear();
        return FeedAll(kelvor, chunks);
    };
    struct TCase {
        const char* Name;
        std::function<double()> Run;
    };
    const TCase cases[] = {{"a 20 MB burst caught up into a pane purged at 100,000 lines", burst},
                           {"100,000 lines in chunks of 10,000 into a pane never purged", append}};
    const std::vector<std::string> few = OverlappingWords(3);
    const std::vector<std::string> many = OverlappingWords(500);
    double worst = 0;
    for (const TCase& c : cases) {
        std::vector<double> fewSeconds, manySeconds;
        for (int round = 0; round < 5; ++round) {
            SetSpecialWords(few);
            fewSeconds.push_back(c.Run());
            SetSpecialWords(many);
            manySeconds.push_back(c.Run());
        }
        const double ratio = Median(manySeconds) / Median(fewSeconds);
        std::printf("%s: 3 special words %.3f s, 500 special words %.3f s, ratio %.2f\n", c.Name,
                    Median(fewSeconds), Median(manySeconds), ratio);
        worst = std::max(worst, ratio);
    }
    SetSpecialWords({});
    kelvor.Clear();
    return worst;
}

struct TBurstFigures {
    double PeakRatio = 0;    // the highest heap against that of a full pane
    double BlockSeconds = 0; // the longest block of the event loop
};

// A burst of 200 MB of 100-character lines into a pane purged at PurgeLines,
// through the monitor as the timer would run it; the heap against that of a
// pane that holds PurgeLines such lines.
TBurstFigures Burst(TKelvorSide& kelvor, TPlainSide& plain, const std::string& log, long purgeLines)
{
    TTailFile* file = kelvor.File;
    kelvor.Clear();
    plain.Clear();
    malloc_trim(0);
    const size_t emptyHeap = HeapInUse();
    FillTo(kelvor, purgeLines, 100);
    const double purgeHeap = static_cast<double>(HeapInUse()) - static_cast<double>(emptyHeap);
    kelvor.Clear();
    Form1->PurgeAtLine = purgeLines;
    file->LineCount = 0;
    Form1->Tail->SetActive(true);
    std::string burstBlock;
    for (long i = 0; burstBlock.size() < (size_t{1} << 20); ++i)
        burstBlock += LogLine(i, 100) + '\n';
    const int64_t burstBytes = int64_t{200} << 20;
    for (int64_t written = 0; written < burstBytes; written += static_cast<int64_t>(burstBlock.size()))
        AppendToFile(log, burstBlock);
    burstBlock.pop_back();
    const AnsiString burstLast = burstBlock.substr(burstBlock.rfind('\n') + 1);
    burstBlock = std::string();
    struct stat logInfo;
    stat(log.c_str(), &logInfo);
    double burstBlockSeconds = 0;
    size_t burstPeak = 0;
    PollToEnd(file, static_cast<int64_t>(logInfo.st_size), LastItemOf(logInfo.st_size, burstLast),
              burstBlockSeconds, burstPeak);
    Form1->Tail->SetActive(false);
    const double burstRatio = (static_cast<double>(burstPeak) - static_cast<double>(emptyHeap)) / purgeHeap;
    std::printf("burst of %lld MB into a pane purged at %ld lines: pane heap %.1f MB at the purge line, "
                "%.1f MB at the peak, longest block %.1f ms\n",
                static_cast<long long>(burstBytes >> 20), purgeLines, purgeHeap / 1e6,
                (static_cast<double>(burstPeak) - static_cast<double>(emptyHeap)) / 1e6,
                burstBlockSeconds * 1000);
    Form1->PurgeAtLine = 0;
    return {burstRatio, burstBlockSeconds};
}

struct TLongLineFigures {
    double BlockSeconds = 0; // the longest block, worst of both files
    double PerByte = 0;      // heap per byte shown, worst of both files
};

// One line of LongBytes without a line end, through the monitor in pieces:
// into a fresh file (the pane reopened on a new one in Dir), and into Log after
// it was truncated (a break line above it).
TLongLineFigures LongLines(TKelvorSide& kelvor, const std::string& dir, const std::string& log,
                           int64_t longBytes)
{
    TTailFile* file = kelvor.File;
    const std::string freshLog = dir + "/fresh.log";
    std::ofstream(freshLog) << "";
    kelvor.Clear();
    file->Reopen(freshLog);
    file->LineComplete = true;
    double freshPerByte = 0;
    const double freshBlock = LongLine(file, freshLog, longBytes, freshPerByte);
    file->Reopen(log);
    kelvor.Clear();
    truncate(log.c_str(), 0);
    Form1->Tail->TimerTimer(nullptr); // the file became shorter: a break, and again from 0
    // What came before leaves the line splitter and the record first.
    kelvor.Feed(std::string());
    AnsiString().swap(file->NewText);
    file->LineComplete = true;
    double longPerByte = 0;
    const double truncatedBlock = LongLine(file, log, longBytes, longPerByte);
    unlink(freshLog.c_str());
    std::printf("one line of %lld bytes without a line end, in pieces: longest block %.1f ms into a fresh "
                "file, %.1f ms after a truncation; heap %.1f bytes per byte shown into a fresh file, %.1f "
                "after a truncation\n",
                static_cast<long long>(longBytes), freshBlock * 1000, truncatedBlock * 1000, freshPerByte,
                longPerByte);
    return {std::max(freshBlock, truncatedBlock), std::max(freshPerByte, longPerByte)};
}

// What the program's arguments ask for: "--memory" runs the memory case
// alone; "--append [LENGTH [CHUNK-LINES]]" runs the append cases alone (those
// of that line length and chunk size); "--catch-up" runs the two burst
// catch-up cases alone; "--binary" and "--words" run the cases of bytes that
// are no UTF-8 and of special words alone, "--invalid-line" the one line of
// invalid UTF-8 against high bytes alone, "--long-line" the long line at two
// lengths alone.
struct TBenchArgs {
    bool CatchUpOnly = false;
    bool BinaryOnly = false;
    bool InvalidLineOnly = false;
    bool LongLineOnly = false;
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

// The time until the last line of a burst shows, 20 MB (Small) and 200 MB
// (Large) into a pane purged at PurgeLines, each from an empty file; printed.
void CatchUpCosts(TTailFile* file, const std::string& log, long purgeLines, double& small, double& large)
{
    truncate(log.c_str(), 0);
    Form1->Tail->TimerTimer(nullptr); // the file became shorter: starts again from 0
    small = CatchUp(file, log, int64_t{20} << 20, purgeLines);
    truncate(log.c_str(), 0);
    Form1->Tail->TimerTimer(nullptr);
    large = CatchUp(file, log, int64_t{200} << 20, purgeLines);
    std::printf("burst into a pane purged at %ld lines, last line shown after: 20 MB %.3f s, 200 MB %.3f s\n",
                purgeLines, small, large);
}

// One 200 MB write() by another thread while the pane polls, from an empty
// pane and file: the longest block of the pane's thread, printed.
double SingleWriteCost(TKelvorSide& kelvor, TTailFile* file, const std::string& log, long purgeLines)
{
    file->Reopen(log);
    kelvor.Clear();
    truncate(log.c_str(), 0);
    Form1->Tail->TimerTimer(nullptr);
    const double singleBlock = SingleWrite(file, log, int64_t{200} << 20, purgeLines);
    if (singleBlock < 0)
        std::fprintf(stderr, "kelvor_bench: the single write failed\n");
    std::printf("one write() of 200 MB by another thread while the pane polls: longest block %.1f ms\n",
                singleBlock * 1000);
    return singleBlock;
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
}

} // namespace

int main(int argc, char** argv)
{
    const TBenchArgs args = ReadArgs(argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string dir = TempFolder();
    const std::string ini = dir + "/kelvor.ini";
    const std::string log = dir + "/bench.log";
    TTailFile* file = OpenPane(ini, log);
    if (!file) {
        std::fprintf(stderr, "kelvor_bench: the pane could not be opened\n");
        return 1;
    }
    TRollView* view = file->View;

    // The pane's font at the pane's pixel size, for both.
    const TFontInfo* normal = Form1->RVStyle->TextStyles()->Items(0);
    TFont paneFont;
    paneFont.SetSize(normal->Size());
    QFont font(QString::fromStdString(normal->FontName()));
    font.setPixelSize(-paneFont.Height());
    font.setKerning(false);

    TKelvorSide kelvor(file);
    TPlainSide plain(font, view->Width(), view->Height());
    std::printf("kelvor_bench: pane %dx%d, %s %d px, QPlainTextEdit %dx%d\n", view->Width(), view->Height(),
                normal->FontName().c_str(), -paneFont.Height(), plain.Edit.width(), plain.Edit.height());

    // Warm both up (fonts, glyph caches, first layouts), then start empty.
    FeedAll(kelvor, Chunks(0, 200, 200, 100));
    FeedAll(plain, Chunks(0, 200, 200, 100));

    // The window goes, and the files it followed and read.
    const auto finish = [&] {
        std::fflush(stdout);
        Form1->Free();
        Form1 = nullptr;
        unlink(log.c_str());
        unlink(ini.c_str());
        rmdir(dir.c_str());
        return 0;
    };
    if (args.AppendOnly) {
        const double ratio = AppendRatio(kelvor, plain, args.OnlyLength, args.OnlyChunkLines);
        std::printf("append ratio kelvor/qplaintextedit, worst of the cases run: %.2f\n", ratio);
        return finish();
    }

    if (args.InvalidLineOnly) {
        double cpuRatio = 0;
        const double invalid = InvalidLineLongestBlock(file, dir, cpuRatio);
        PrintInvalidLineHeadline(invalid, cpuRatio);
        return finish();
    }
    if (args.LongLineOnly) {
        PrintLongLineHeadline(LongLineCpuRatio(file, dir));
        return finish();
    }
    if (args.BinaryOnly) {
        const double line = BinaryLineLongestBlock(file, dir);
        const double lines = BinaryLongestBlock(file, dir);
        double cpuRatio = 0;
        const double invalid = InvalidLineLongestBlock(file, dir, cpuRatio);
        std::printf("binary and invalid UTF-8 lines longest block ms, worst of the cases: %.0f\n",
                    lines * 1000);
        std::printf("one binary line longest block ms, worst of first showing and resizes: %.0f\n",
                    line * 1000);
        PrintInvalidLineHeadline(invalid, cpuRatio);
        return finish();
    }

    const long purgeLines = 100000;
    if (args.WordsOnly) {
        std::printf("cost with 500 special words against 3, worse of the two cases: %.2f\n",
                    SpecialWordsRatio(kelvor, log, purgeLines));
        return finish();
    }

    double catchUpSmall = 0, catchUpLarge = 0;
    if (args.CatchUpOnly) {
        CatchUpCosts(file, log, purgeLines, catchUpSmall, catchUpLarge);
        std::printf("burst catch-up cost 200MB/20MB: %.2f\n", catchUpLarge / catchUpSmall);
        return finish();
    }

    // Memory first, from fresh containers.
    const long memoryLines = 100000;
    THeadlines h;
    h.BytesPerLine = BytesPerLine(kelvor, memoryLines, 100);
    const double plainBytes = BytesPerLine(plain, memoryLines, 100);
    std::printf("memory, %ld lines of 100 characters, heap bytes per line beyond the text: "
                "kelvor %.1f, qplaintextedit %.1f\n",
                memoryLines, h.BytesPerLine, plainBytes);
    if (args.MemoryOnly) {
        std::printf("bytes per line: %.0f\n", h.BytesPerLine);
        return finish();
    }

    // Throughput: the same chunks to both, each starting empty.
    h.AppendRatio = AppendRatio(kelvor, plain);

    // The cost of 1,000 new lines (chunks of 100) as the pane grows.
    h.TailRatio = TailCostRatio(kelvor, plain);

    // A burst of 200 MB of 100-character lines into a pane that is purged at
    // 100,000 lines, through the monitor as the timer would run it; against the
    // heap of a pane that holds 100,000 such lines.
    h.Burst = Burst(kelvor, plain, log, purgeLines);

    CatchUpCosts(file, log, purgeLines, catchUpSmall, catchUpLarge);
    h.CatchUpRatio = catchUpLarge / catchUpSmall;

    // One line of 5 MB without a line end, through the monitor in pieces.
    h.LongLine = LongLines(kelvor, dir, log, 5000000);

    h.SingleBlock = SingleWriteCost(kelvor, file, log, purgeLines);

    h.BinaryLineBlock = BinaryLineLongestBlock(file, dir);
    h.BinaryBlock = BinaryLongestBlock(file, dir);
    h.InvalidLineBlock = InvalidLineLongestBlock(file, dir, h.InvalidLineCpuRatio);
    h.LongLineCpuRatio = LongLineCpuRatio(file, dir);

    h.SpecialWordsRatio = SpecialWordsRatio(kelvor, log, purgeLines);

    PrintHeadlines(h);
    return finish();
}
