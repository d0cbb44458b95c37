// The cost of laying out a pane's new text: learned from processor and wall
// time, and used to size the parts and the pieces of long lines.
#include "app/LayoutCosts.h"

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// How much longer than their processor time the parts took lately is counted
// up to this.
constexpr double MaxWallPerCpu = 8;
// The share of what was measured before that each new part keeps.
constexpr double KeepOfWallPerCpu = 0.75;
// A long line is costed a block at a time.
constexpr size_t CostBlock = 4096;
// What a part of ASCII text measures of its bytes' cost counts as much as
// the cost known before when the part has this many bytes, more when it has
// more and less when fewer: every part costs about as much besides (its
// paragraph laid out again, the pane's width measured), which a part of a
// few bytes (the end of a long line, a short line alone) would charge to
// each of them, and a byte of ASCII costs so little that this would set its
// cost many times too high; the cost of the other bytes is never taken below
// it.
constexpr double WeighedAsciiBytes = 4096;

} // namespace

size_t HighBytes(std::string_view text)
{
    // The top bits of eight bytes at a time, counted: a long line is costed
    // as far as a turn could lay it out, megabytes of ASCII text.
    constexpr uint64_t Tops = 0x8080808080808080u;
    size_t count = 0;
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        // Each byte's top bit moved to its lowest, the eight summed into the
        // top byte by one multiplication (no instruction counts bits on
        // every processor the program is built for).
        count += static_cast<size_t>((((word & Tops) >> 7) * 0x0101010101010101u) >> 56);
    }
    for (; i < text.size(); ++i)
        count += static_cast<unsigned char>(text[i]) >> 7;
    return count;
}

bool HasHighBytes(std::string_view text)
{
    // The top bits of eight bytes at a time, looked at every 64 bytes.
    constexpr uint64_t Tops = 0x8080808080808080u;
    uint64_t tops = 0;
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        tops |= word;
        if (i % 64 == 56 && (tops & Tops) != 0)
            return true;
    }
    for (; i < text.size(); ++i)
        tops |= static_cast<unsigned char>(text[i]);
    return (tops & Tops) != 0;
}

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

namespace {

std::chrono::steady_clock::duration DisplayClockAhead{};

} // namespace

std::chrono::steady_clock::time_point DisplayNow()
{
    return std::chrono::steady_clock::now() + DisplayClockAhead;
}

void AdvanceDisplayClock(std::chrono::steady_clock::duration by)
{
    DisplayClockAhead += by;
}

double TLayoutCosts::ExpectedSeconds(size_t bytes, size_t high) const
{
    return (static_cast<double>(bytes - high) * FAsciiCost + static_cast<double>(high) * FOtherCost) *
           FWallPerCpu;
}

void TLayoutCosts::Note(size_t bytes, size_t high, double cpu, double wall)
{
    if (bytes == 0)
        return;
    FWallSum = FWallSum * KeepOfWallPerCpu + wall;
    FCpuSum = FCpuSum * KeepOfWallPerCpu + cpu;
    FWallPerCpu = std::clamp(FWallSum / std::max(FCpuSum, 1e-9), 1.0, MaxWallPerCpu);
    const double ascii = static_cast<double>(bytes - high);
    if (high == 0) {
        FAsciiCost += (cpu / ascii - FAsciiCost) * ascii / (ascii + WeighedAsciiBytes);
        return;
    }
    // What the ASCII bytes are known to cost, the rest is the others'. Their
    // cost varies with what the part meets for the first time (a script whose
    // fallback fonts are looked for and loaded): it rises at once and falls
    // by quarters, so that a part that happened to meet nothing new does not
    // size the next one for text that is all known.
    const double others = std::max(cpu - ascii * FAsciiCost, 0.0);
    const double measured = others / static_cast<double>(high);
    FOtherCost = std::max(measured >= FOtherCost ? measured : (3 * FOtherCost + measured) / 4, FAsciiCost);
}

void TLayoutCosts::NotePaint(double cpu)
{
    FPaintCost = cpu >= FPaintCost ? cpu : (3 * FPaintCost + cpu) / 4;
}

// The line is costed a block at a time, from a count of the block's bytes
// above 0x7F, and only as far as a turn could lay out: each piece of a long
// line reads about what it shows, never the whole rest of the line.
size_t TLayoutCosts::LineBytesToShow(std::string_view text, double seconds, size_t most, double turnSeconds,
                                     bool lineStart) const
{
    if (text.size() <= MinCutLineBytes)
        return text.size();
    auto costOf = [&](std::string_view bytes) { return ExpectedSeconds(bytes.size(), HighBytes(bytes)); };
    // The blocks that fit in Seconds, then the byte of the next block at
    // which the cost passes it; a line's first piece of MaxFirstPieceBytes at
    // the most.
    const size_t room = std::min({text.size(), most, lineStart ? MaxFirstPieceBytes : text.size()});
    size_t fits = room;
    size_t at = 0;
    double cost = 0;
    for (; at < room; at += CostBlock) {
        const double blockCost = costOf(text.substr(at, CostBlock));
        if (cost + blockCost > seconds) {
            double walked = cost;
            for (size_t i = at; i < std::min(at + CostBlock, room); ++i) {
                walked += ExpectedSeconds(1, static_cast<unsigned char>(text[i]) > 0x7F ? 1 : 0);
                if (walked > seconds) {
                    fits = std::max(i, std::min(MinPieceBytes, room));
                    break;
                }
            }
            break;
        }
        cost += blockCost;
    }
    // The line goes whole when a turn lays it all out: counted on only as far
    // as a turn goes.
    for (; at < text.size() && cost <= turnSeconds; at += CostBlock)
        cost += costOf(text.substr(at, CostBlock));
    return cost <= turnSeconds ? text.size() : fits;
}
