// TLayoutCosts: what laying out a pane's new text costs, learned from the
// parts of it that the display laid out lately, and how much of a long line
// a part may take by those costs.
#pragma once

#include <chrono>
#include <cstddef>
#include <string_view>

// A byte is charged the processor time its layout took, never the time the
// machine gave to others meanwhile: a part preempted on a busy core would
// otherwise charge its bytes for that time, and the pieces of a long line
// would shrink to a few bytes, each paying again for painting and scrolling
// the pane. How much longer than their processor time the parts took lately
// (the share of time the machine leaves the window) scales what a part is
// expected to take, so that a turn still ends near its limit.
class TLayoutCosts {
public:
    // The time Bytes bytes (High of them above 0x7F) are expected to take to
    // lay out, on the machine as busy as it was lately.
    double ExpectedSeconds(size_t bytes, size_t high) const;
    // Learns from a part of Bytes bytes (High of them above 0x7F) whose
    // layout took Cpu seconds of the processor and Wall seconds of time.
    void Note(size_t bytes, size_t high, double cpu, double wall);
    // How many bytes of a waiting line go into a part that has Seconds left
    // and room for Most bytes: the whole line when it is of the usual length
    // or a whole turn of TurnSeconds lays it out, else its start that is
    // expected to lay out within Seconds (Most at the most, and
    // MaxFirstPieceBytes when the piece would begin the line: LineStart). A
    // turn with time
    // left asks for MinPieceBytes at least: the cut then falls at the last
    // place at or before that where the line may be cut, else the first after
    // it (TextCutNear), which may lie closer to the start.
    size_t LineBytesToShow(std::string_view text, double seconds, size_t most, double turnSeconds,
                           bool lineStart = false) const;
    // The time scrolling the pane to its end and painting it is expected to
    // take at the end of a turn, on the machine as busy as it was lately.
    double ExpectedPaintSeconds() const { return FPaintCost * FWallPerCpu; }
    // Learns from a paint that took Cpu seconds of the processor. What a
    // paint costs goes with what the pane shows (a long run of text that
    // reads right to left is drawn whole): it rises at once and falls by
    // quarters.
    void NotePaint(double cpu);

    // A line is cut into pieces shown in turns of their own only when it is
    // longer than this as well as than a turn can lay out: lines of the usual
    // lengths go whole, however slow their characters.
    static constexpr size_t MinCutLineBytes = 1024;
    // What a turn with time left asks of a long line at least: every turn
    // pays for painting and scrolling the pane, which pieces of a few bytes
    // would repeat for every few bytes.
    static constexpr size_t MinPieceBytes = 256;
    // What the first piece of a long line holds at the most: a piece is one
    // item of the pane, drawn whole by every paint that shows any of it, and
    // a pane that follows its file's end shows the start of its lines, so
    // that a paint would otherwise shape as much text as a turn laid out (16
    // KiB of characters from fallback fonts takes a paint 3 ms of the
    // processor, which every turn spends and keeps time for). 4 KiB is more
    // than the widest screen shows. The pieces after it are as long as a
    // turn allows: each piece of a line lays its line out again.
    static constexpr size_t MaxFirstPieceBytes = size_t{4} << 10;

private:
    // The cost of a byte in seconds of the processor: ASCII bytes, and bytes
    // above 0x7F (their characters, and those of the ASCII bytes with them).
    // Until the pane has measured its own: ASCII text, and text whose glyphs
    // may come from fallback fonts met for the first time (far slower, so
    // assumed as slow as bytes of a binary file that meet a script new to
    // the process every few characters).
    double FAsciiCost = 2e-7;
    double FOtherCost = 1e-4;
    // The time the parts took and their processor time lately (each part's
    // sums weigh less by a quarter per part after it), and their ratio, from
    // 1 (an idle machine) to MaxWallPerCpu.
    double FWallSum = 0;
    double FCpuSum = 0;
    double FWallPerCpu = 1;
    // What a paint costs the processor, until the pane painted: nothing.
    double FPaintCost = 0;
};

// The bytes of Text that are above 0x7F.
size_t HighBytes(std::string_view text);
// Whether any byte of Text is above 0x7F.
bool HasHighBytes(std::string_view text);
// The processor time the calling thread has used, in seconds.
double ThreadCpuSeconds();
// The wall clock the display's turns keep time by: the steady clock, moved
// forward by all that AdvanceDisplayClock added. A test moves it on to stand
// for a thread held without working (a machine busy elsewhere) without
// waiting that long.
std::chrono::steady_clock::time_point DisplayNow();
void AdvanceDisplayClock(std::chrono::steady_clock::duration by);
