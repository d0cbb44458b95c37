// The costs of laying out a pane's text as the display learns them from the
// processor and wall time of its parts, on an idle and on a busy machine.
#include "app/LayoutCosts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Parts of Bytes ASCII bytes, each of which took Cpu seconds of the
// processor and Wall seconds of time, as many as make earlier ones count for
// (almost) nothing.
void NoteParts(TLayoutCosts& costs, size_t bytes, double cpu, double wall)
{
    for (int i = 0; i < 60; ++i)
        costs.Note(bytes, 0, cpu, wall);
}

TEST(LayoutCostsTest, ABusyMachineStretchesWhatAPartTakesNotWhatItsBytesCost)
{
    // Parts that cost 1 ms of the processor each, on a machine that leaves
    // the window a quarter of its time: each takes 4 ms. A part as large is
    // expected to take as long; its bytes cost the processor's 1 ms, so that
    // the stretch goes with the busy machine.
    TLayoutCosts costs;
    NoteParts(costs, 10000, 1e-3, 4e-3);
    EXPECT_NEAR(costs.ExpectedSeconds(10000, 0), 4e-3, 1e-5);
    NoteParts(costs, 10000, 1e-3, 1e-3);
    EXPECT_NEAR(costs.ExpectedSeconds(10000, 0), 1e-3, 1e-5);
}

TEST(LayoutCostsTest, APartHeldUpOnceLeavesALongLinesPiecesLong)
{
    // A long line's piece sized for 8 ms on an idle machine, and again after
    // one part was held up for 100 times its processor time (others ran
    // meanwhile): the piece is smaller only by the most a busy machine
    // stretches a part, never by the time the part was held up.
    const std::string line(size_t{1} << 20, 'x');
    TLayoutCosts costs;
    NoteParts(costs, 10000, 1e-3, 1e-3);
    const size_t idle = costs.LineBytesToShow(line, 8e-3, line.size(), 20e-3);
    ASSERT_LT(idle, line.size());
    costs.Note(10000, 0, 1e-3, 100e-3);
    const size_t held = costs.LineBytesToShow(line, 8e-3, line.size(), 20e-3);
    EXPECT_LT(held, idle);
    EXPECT_GE(held, idle / 8);
}

TEST(LayoutCostsTest, ALongLinesFirstPieceHoldsAFewKiBWhateverTheTimeLeft)
{
    // Text that lays out quickly, with time for a MiB of it: a line that a
    // turn lays out whole goes whole, however long; one that it does not is
    // cut to MaxFirstPieceBytes where the piece begins the line, and to what
    // the time allows after that.
    const std::string line(size_t{1} << 20, 'x');
    TLayoutCosts costs;
    NoteParts(costs, 10000, 1e-5, 1e-5);
    EXPECT_EQ(costs.LineBytesToShow(line, 8e-3, line.size(), 20e-3, true), line.size());
    EXPECT_EQ(costs.LineBytesToShow(line, 8e-3, line.size(), 1e-4, true), TLayoutCosts::MaxFirstPieceBytes);
    EXPECT_EQ(costs.LineBytesToShow(line, 8e-3, line.size(), 1e-4, false), line.size());
}

TEST(LayoutCostsTest, APartOfAFewBytesLeavesWhatLargePartsTaughtNearlyAsItWas)
{
    // Parts of 64 KiB of ASCII that cost 10 ns a byte and of bytes above 0x7F
    // that cost 100 ns; then a part of the 22 ASCII bytes that end a long
    // line, which took 30 us (what every part costs besides, whatever its
    // length), and another part above 0x7F as before. A long line's piece of
    // either kind, sized for 4 ms, is at least half as long as it was: the
    // few bytes charged the whole part would cost a hundred times more than
    // ASCII does, and bytes above 0x7F (never cheaper than ASCII) as much.
    struct TLine {
        const char* Name;
        std::string Text;
    };
    const TLine lines[] = {{"ASCII", std::string(size_t{1} << 20, 'x')},
                           {"above 0x7F", std::string(size_t{1} << 20, '\x80')}};
    constexpr size_t Bytes = size_t{64} << 10;
    TLayoutCosts costs;
    for (int i = 0; i < 60; ++i) {
        costs.Note(Bytes, 0, Bytes * 10e-9, Bytes * 10e-9);
        costs.Note(Bytes, Bytes, Bytes * 100e-9, Bytes * 100e-9);
    }
    std::vector<size_t> before;
    for (const TLine& line : lines)
        before.push_back(costs.LineBytesToShow(line.Text, 4e-3, line.Text.size(), 8e-3));
    costs.Note(22, 0, 30e-6, 30e-6);
    costs.Note(Bytes, Bytes, Bytes * 100e-9, Bytes * 100e-9);
    for (size_t i = 0; i < std::size(lines); ++i) {
        SCOPED_TRACE(lines[i].Name);
        ASSERT_LT(before[i], lines[i].Text.size());
        const size_t after = costs.LineBytesToShow(lines[i].Text, 4e-3, lines[i].Text.size(), 8e-3);
        EXPECT_GE(after * 2, before[i]) << before[i] << " bytes before, " << after << " after";
    }
}

TEST(LayoutCostsTest, AHighByteIsFoundWhereverItLies)
{
    // Texts of every length up to three blocks of eight words, with no byte
    // above 0x7F and with one at each place: whether one is there agrees
    // with the count of them. Then at every second or third place, and
    // counted from each of the first eight places: counted as one by one.
    const auto countOneByOne = [](std::string_view text) {
        size_t high = 0;
        for (const char c : text)
            high += static_cast<unsigned char>(c) > 0x7F ? 1 : 0;
        return high;
    };
    for (size_t length = 0; length <= 200; ++length) {
        SCOPED_TRACE(length);
        std::string text(length, 'a');
        ASSERT_FALSE(HasHighBytes(text));
        ASSERT_EQ(HighBytes(text), 0u);
        for (size_t at = 0; at < length; ++at) {
            text[at] = static_cast<char>(0x80 + at % 0x80);
            ASSERT_TRUE(HasHighBytes(text)) << at;
            ASSERT_EQ(HighBytes(text), 1u) << at;
            text[at] = static_cast<char>(0x7F);
        }
        ASSERT_FALSE(HasHighBytes(text));
        for (size_t step = 2; step <= 3; ++step) {
            std::string spread = text;
            for (size_t at = 0; at < length; at += step)
                spread[at] = static_cast<char>(0xFF - at % 0x80);
            for (size_t from = 0; from < std::min<size_t>(length, 8); ++from) {
                const std::string_view rest = std::string_view(spread).substr(from);
                ASSERT_EQ(HighBytes(rest), countOneByOne(rest)) << step << ' ' << from;
            }
        }
    }
}

} // namespace
