// kelvor_bench's sides and the cases of lines appended to both: the made-up
// service log, the heap in use, and the append and tail-cost cases.
#include "bench/kelvor_bench_sides.h"

#include <malloc.h>

#include <cstdio>

#include "bench/kelvor_bench_binary.h"
#include "platform/core/blockpool.h"

double Seconds(Clock::time_point From)
{
    return std::chrono::duration<double>(Clock::now() - From).count();
}

size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd - TBlockPools::FreeBytes();
}

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

namespace {

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

} // namespace

double AppendRatio(TKelvorSide& kelvor, TPlainSide& plain, int onlyLength, long onlyChunkLines)
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
