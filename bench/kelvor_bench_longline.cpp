// kelvor_bench's cost of one long line against its length: a line without a
// line end appended at once to a fresh file the pane follows, shown through
// the monitor poll after poll in pieces, at two lengths, on an idle core and
// on a core the window shares with busy threads.
#include "bench/kelvor_bench_longline.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/LayoutCosts.h"
#include "app/Tail.h"
#include "bench/kelvor_bench_binary.h"
#include "bench/kelvor_bench_core.h"
#include "view/rollview.h"

namespace {

// Log text of Bytes bytes without a line end: log lines joined by spaces.
std::string LogText(size_t bytes)
{
    static const char* const Words[] = {"2024-05-01", "12:00:00.000", "INFO", "[worker-03]", "request",
                                        "served",     "cache",        "miss", "for",         "user"};
    std::string text;
    for (unsigned long w = 0; text.size() < bytes; w = w * 7 + 3)
        text += std::string(Words[w % 10]) + ' ';
    text.resize(bytes);
    return text;
}

// Bytes bytes from 0x80 to 0xFF: characters of many scripts, slow to lay out.
std::string HighText(size_t bytes)
{
    std::mt19937 random(20240504);
    std::uniform_int_distribution<int> high(0x80, 0xFF);
    std::string text(bytes, '\0');
    for (char& c : text)
        c = static_cast<char>(high(random));
    return text;
}

// The window's processor time of showing Text as one line in a fresh file:
// its own thread's, without the busy threads beside it or the file's write.
double ShowCpu(TTailFile* file, const std::string& log, const std::string& text)
{
    double cpu = 0;
    ShowOneLine(file, log, text, "#end-of-the-long-line", &cpu);
    return cpu;
}

} // namespace

double LongLineCpuRatio(TTailFile* file, const std::string& dir)
{
    struct TText {
        const char* Name;
        size_t Bytes; // N
        std::string (*Make)(size_t);
    };
    const TText texts[] = {{"log text", size_t{16} << 20, LogText},
                           {"bytes 0x80-0xFF", size_t{512} << 10, HighText}};
    const std::string previous = file->FileName;
    const std::string log = dir + "/long-line.log";
    double worst = 0;
    for (const int busy : {0, 3}) {
        for (const TText& t : texts) {
            // The longer line is the shorter four times over: the same
            // characters, which the fonts know once the shorter was shown.
            const std::string shorter = t.Make(t.Bytes);
            const std::string longer = shorter + shorter + shorter + shorter;
            // Once untimed: the fonts of its characters are met for the first time.
            ShowCpu(file, log, shorter);
            std::vector<double> shortCpu, longCpu;
            {
                const TSharedCore core(busy);
                // In turns, so that a moment of other load does not decide.
                for (int round = 0; round < 5; ++round) {
                    shortCpu.push_back(ShowCpu(file, log, shorter));
                    longCpu.push_back(ShowCpu(file, log, longer));
                }
            }
            const double ratio = Median(longCpu) / Median(shortCpu);
            std::printf("one line of %s without a line end, %s: %zu KB %.3f CPU-s, %zu KB %.3f CPU-s, "
                        "ratio %.2f\n",
                        t.Name, busy == 0 ? "the window's core idle" : "its core shared with 3 busy threads",
                        t.Bytes >> 10, Median(shortCpu), (4 * t.Bytes) >> 10, Median(longCpu), ratio);
            worst = std::max(worst, ratio);
        }
    }
    file->Reopen(previous);
    file->View->Clear();
    file->View->Format();
    return worst;
}
