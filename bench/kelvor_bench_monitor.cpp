// kelvor_bench's cases through the monitor: the pane's file written as a
// logging program writes it, and the monitor's poll run until the pane shows
// the last line, timing the event loop's longest block and the heap.
#include "bench/kelvor_bench_monitor.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "bench/kelvor_bench_binary.h"
#include "bench/kelvor_bench_words.h"

namespace {

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

// An empty pane purged at PurgeLines, and the monitor switched on: it follows
// the file from its end as it stands.
void StartWatching(TTailFile* File, long PurgeLines)
{
    File->View->Clear();
    File->View->Format();
    File->LineCount = 0;
    File->LineComplete = true;
    Form1->PurgeAtLine = PurgeLines;
    Form1->Tail->SetActive(true);
}

// A burst of exactly Bytes of 100-character lines (each its own) written at once into
// a pane purged at PurgeLines, shown by the monitor on its own timer: the time
// from the burst's first poll to its last line shown.
double CatchUp(TTailFile* File, const std::string& Log, int64_t Bytes, long PurgeLines)
{
    StartWatching(File, PurgeLines);
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
    StartWatching(File, PurgeLines);
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

} // namespace

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
