// kelvor_bench's longest turn while one long line of bytes 0x80-0xFF arrives:
// every turn of the window's thread (an event the event loop hands to the
// program, or a turn of the monitor's timer that the bench runs itself) timed
// in the thread's own processor time.
#include "bench/kelvor_bench_turns.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "app/LayoutCosts.h"
#include "app/Tail.h"
#include "app/U_kelvor.h"
#include "bench/kelvor_bench_core.h"
#include "view/rollview.h"

namespace {

constexpr size_t LineBytes = size_t{512} << 10;
constexpr size_t SmallWrite = size_t{4} << 10;
const std::string EndMark = "#end-of-the-high-byte-line";

// The application object: a turn is an event handed to the program from the
// event loop, with everything sent on while it is handled (paints included).
class TTurnClock : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        bool handled = false;
        Turn([&] { handled = QApplication::notify(receiver, event); });
        return handled;
    }
    // Runs Work as a turn unless it runs inside one.
    template <class F> void Turn(F work)
    {
        if (FDepth++ > 0 || !FTiming) {
            work();
            --FDepth;
            return;
        }
        const double start = ThreadCpuSeconds();
        try {
            work();
        } catch (...) {
            --FDepth;
            throw;
        }
        --FDepth;
        FLongest = std::max(FLongest, ThreadCpuSeconds() - start);
    }
    // Times turns from now on, the longest so far forgotten.
    void Start()
    {
        FTiming = true;
        FLongest = 0;
    }
    // Stops timing; the longest turn since Start, in processor seconds.
    double Stop()
    {
        FTiming = false;
        return FLongest;
    }

private:
    int FDepth = 0;
    bool FTiming = false;
    double FLongest = 0;
};

TTurnClock* Clock = nullptr;

// The pane's last item ends in the line's end mark.
bool ShowsEnd(const TTailFile* file)
{
    const int n = file->View->GetLineCount();
    const std::string last = n > 0 ? file->View->GetItemText(n - 1) : std::string();
    return last.size() >= EndMark.size() &&
           last.compare(last.size() - EndMark.size(), EndMark.size(), EndMark) == 0;
}

// Appends Bytes and the end mark to a fresh file Log that the pane follows,
// Write bytes at a time (a turn of the monitor's timer and a pass of the event
// loop after each write), then runs both until the pane shows the end mark;
// the longest turn in processor seconds.
double ShowInWrites(TTailFile* file, const std::string& log, const std::string& bytes, size_t write)
{
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    file->Reopen(log);
    file->View->Clear();
    file->View->Format();
    file->LineComplete = true;
    QCoreApplication::processEvents();
    const std::string text = bytes + EndMark;
    Clock->Start();
    for (size_t written = 0; written < text.size() || file->MoreWaiting || !ShowsEnd(file);) {
        if (written < text.size()) {
            const size_t n = std::min(write, text.size() - written);
            if (::write(fd, text.data() + written, n) != static_cast<ssize_t>(n))
                std::perror("write");
            written += n;
        }
        Clock->Turn([] { Form1->Tail->Tick(); });
        QCoreApplication::processEvents();
    }
    // The paint that a last turn may have left to the event loop.
    QCoreApplication::processEvents();
    const double longest = Clock->Stop();
    close(fd);
    unlink(log.c_str());
    return longest;
}

// The line's bytes: 0x80-0xFF, characters of many scripts and bytes that are
// no UTF-8.
std::string HighLine()
{
    std::mt19937 random(20240505);
    std::uniform_int_distribution<int> high(0x80, 0xFF);
    std::string bytes(LineBytes, '\0');
    for (char& c : bytes)
        c = static_cast<char>(high(random));
    return bytes;
}

const char* WritesName(size_t write)
{
    return write == SmallWrite ? "4 KB writes" : "one write";
}

// The longest turn of Program run again to show the line once in writes of
// Write bytes, in a process of its own (negative when it gave none).
double FirstMeetingElsewhere(const std::string& program, size_t write)
{
    const std::string command =
        "'" + program + "' " + FirstMeetingArg + " " + std::to_string(write) + " 2>/dev/null";
    FILE* out = popen(command.c_str(), "r");
    if (!out)
        return -1;
    double longest = -1;
    char line[256];
    const size_t argLength = std::strlen(FirstMeetingArg);
    while (std::fgets(line, sizeof line, out))
        if (std::strncmp(line, FirstMeetingArg, argLength) == 0)
            longest = std::strtod(line + argLength, nullptr);
    return pclose(out) == 0 ? longest : -1;
}

} // namespace

void StartTurnClock()
{
    // The application object keeps references to these for its whole life.
    static int argc = 1;
    static char name[] = "kelvor_bench";
    static char* argv[] = {name, nullptr};
    Clock = new TTurnClock(argc, argv);
}

void FirstMeetingTurn(TTailFile* file, const std::string& dir, size_t write)
{
    std::printf("%s %.6f\n", FirstMeetingArg,
                ShowInWrites(file, dir + "/high-byte-line.log", HighLine(), write));
}

TTurnFigures HighByteLineTurns(TTailFile* file, const std::string& dir, const std::string& program)
{
    const std::string bytes = HighLine();
    const std::string previous = file->FileName;
    const std::string log = dir + "/high-byte-line.log";
    const size_t oneWrite = bytes.size() + EndMark.size();
    TTurnFigures figures;
    for (const size_t write : {SmallWrite, oneWrite}) {
        const double longest = FirstMeetingElsewhere(program, write);
        if (longest < 0) {
            figures.FirstMeeting = -1;
            break;
        }
        std::printf(
            "one line of 512 KB of bytes 0x80-0xFF in %s, its fonts met for the first time: longest turn "
            "%.1f CPU-ms\n",
            WritesName(write), longest * 1000);
        figures.FirstMeeting = std::max(figures.FirstMeeting, longest);
    }
    // Once untimed: the fonts of its characters are met for the first time.
    ShowInWrites(file, log, bytes, oneWrite);
    for (const int busy : {0, 3}) {
        for (const size_t write : {SmallWrite, oneWrite}) {
            double longest = 0;
            {
                const TSharedCore core(busy);
                // Three rounds: the worst turn of any.
                for (int round = 0; round < 3; ++round)
                    longest = std::max(longest, ShowInWrites(file, log, bytes, write));
            }
            std::printf("one line of 512 KB of bytes 0x80-0xFF in %s, %s: longest turn %.1f CPU-ms\n",
                        WritesName(write),
                        busy == 0 ? "the window's core idle" : "its core shared with 3 busy threads",
                        longest * 1000);
            figures.Longest = std::max(figures.Longest, longest);
        }
    }
    file->Reopen(previous);
    file->View->Clear();
    file->View->Format();
    return figures;
}
