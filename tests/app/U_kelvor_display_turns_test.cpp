// The display of new text in turns: a chunk of many pieces, text that is slow
// to lay out, the turns of two panes, and long lines shown in pieces that show
// what the whole shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/Tail.h"
#include "app/U_kelvor.h"
#include "platform/core/codepages.h"
#include "platform/graphics/textcut.h"
#include "tests/app/U_kelvor_display_fixture.h"
#include "tests/app/U_kelvor_fixture.h"
#include "tests/support/testrvfdata.h"
#include "view/rollview.h"

namespace {

TEST_F(KelvorDisplayTest, AChunkOfManyPiecesIsShownWholeInOrderWithThePanesEndInView)
{
    // Four pieces' worth of lines in one chunk (a piece is what one showing
    // takes at least), every thousandth in red, then one more line: whatever
    // one turn leaves waiting is shown as the events run, and nothing is
    // lost, doubled or reordered.
    const auto line = [](int i) {
        return "line " + std::to_string(i) + (i % 1000 == 999 ? " ERROR" : "") + " of a large chunk";
    };
    std::string chunk;
    int count = 0;
    while (chunk.size() < 4 * CTail::PieceLimit)
        chunk += line(count++) + '\n';
    FeedOnce(chunk);
    const int shown = View->GetLineCount();
    EXPECT_GT(shown, 0) << "a turn shows one piece at least";
    if (shown < count) {
        // A poll that finds lines waiting shows one piece of them (the part
        // of lines that completes it may reach past it, never by a piece).
        const int perPiece = static_cast<int>(CTail::PieceLimit / line(0).size()) + 1;
        FeedOnce("after\n");
        EXPECT_LT(View->GetLineCount() - shown, 2 * perPiece);
    } else {
        FeedOnce("after\n");
    }
    ASSERT_TRUE(WaitUntilPanesShowAll(Form));
    ASSERT_EQ(View->GetLineCount(), count + 1);
    for (int i : {0, 1, 999, count / 2, count - 2, count - 1}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(View->GetItemText(i), line(i));
        EXPECT_EQ(View->GetItemStyle(i), i % 1000 == 999 ? 1 : 0);
        EXPECT_TRUE(View->IsParaStart(i));
    }
    EXPECT_EQ(View->GetItemText(count), "after");
    EXPECT_EQ(File->LineCount, count + 1);
    EXPECT_EQ(View->VPos(), View->GetVScrollMax());
}

// Lines of 49 random bytes 0x80-0xFF (characters of many scripts and bytes
// that are no UTF-8: slow to lay out while the process loads the fonts that
// draw them), each ending in " #" and its number, Bytes of them at least.
std::vector<std::string> SlowLines(size_t bytes)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> high(0x80, 0xFF);
    std::vector<std::string> lines;
    for (size_t size = 0; size < bytes; size += lines.back().size() + 1) {
        std::string line;
        for (int i = 0; i < 49; ++i)
            line += static_cast<char>(high(random));
        // Whole characters only: a line never ends inside one.
        lines.push_back(line + " #" + std::to_string(lines.size()));
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + '\n';
    return text;
}

// Feeds a pane chunks of such lines, one poll each (FeedOnce), each chunk
// twice the one before, until a poll leaves lines waiting in Pane: a turn is
// bounded by its time, so that a chunk large enough always does, however fast
// the machine and whatever fonts the process loaded before. The first chunk
// is far less than a piece (a turn bounded by bytes would show it all). The
// pane's fonts meet the characters of each chunk first, so that its turns
// lay lines out rather than meet characters new to the process.
// Lines gets every line fed, in order.
template <class F> void FeedUntilLinesWait(TRollView* pane, F feedOnce, std::vector<std::string>& lines)
{
    for (size_t bytes = size_t{32} << 10; !LinesWaitIn(pane); bytes *= 2) {
        ASSERT_LE(bytes, size_t{64} << 20) << "one turn showed every line of a chunk this large";
        const std::vector<std::string> chunk = SlowLines(bytes);
        const std::string text = Joined(chunk);
        MeetCharactersOf(pane, text);
        feedOnce(text);
        lines.insert(lines.end(), chunk.begin(), chunk.end());
    }
}

// The pane shows Lines, in order, and then Last.
void ExpectShownInOrder(TRollView* view, const std::vector<std::string>& lines, const std::string& last)
{
    ASSERT_EQ(view->GetLineCount(), static_cast<int>(lines.size()) + 1);
    for (size_t i = 0; i < lines.size(); ++i)
        ASSERT_EQ(view->GetItemText(static_cast<int>(i)), lines[i]) << "line " << i;
    EXPECT_EQ(view->GetItemText(static_cast<int>(lines.size())), last);
}

TEST_F(KelvorDisplayTest, BytesThatAreSlowToLayOutAreShownWholeAndInOrder)
{
    // Chunks of such lines until one leaves lines waiting, then plain text: a
    // turn is bounded by its time, not by bytes, and shows a line at least;
    // the rest shows as the events run, nothing lost, doubled or reordered.
    std::vector<std::string> lines;
    FeedUntilLinesWait(
        View, [&](const std::string& text) { FeedOnce(text); }, lines);
    EXPECT_GT(View->GetLineCount(), 0);
    Feed("plain after\n");
    ExpectShownInOrder(View, lines, "plain after");
    EXPECT_EQ(File->LineCount, static_cast<int>(lines.size()) + 1);
}

TEST_F(KelvorDisplayTest, APanesTimerTurnRightAfterAnotherPanesPollHasItsOwnTime)
{
    // Two panes, each fed more than a turn lays out: the second pane's poll
    // runs its turn to the end of its time between the first pane's poll and
    // that pane's timer turn, which still shows lines of its own.
    TTailFile* other = Form->OpenTailFile(Dir.Write("b.log", ""));
    ASSERT_NE(other, nullptr);
    other->LineComplete = true;
    std::vector<std::string> lines;
    FeedUntilLinesWait(
        View, [&](const std::string& text) { FeedOnce(text); }, lines);
    std::vector<std::string> otherLines;
    FeedUntilLinesWait(
        other->View, [&](const std::string& text) { FeedOnce(text, other); }, otherLines);
    const std::vector<TTimer*> timers = PaneTimers(View);
    ASSERT_EQ(timers.size(), 1u);
    const int before = View->GetLineCount();
    timers[0]->OnTimer(timers[0]);
    EXPECT_GT(View->GetLineCount(), before) << "the turn found its time spent by the other pane's poll";
    Feed("plain after\n");
    Feed("plain after\n", other);
    ExpectShownInOrder(View, lines, "plain after");
    ExpectShownInOrder(other->View, otherLines, "plain after");
}

TEST_F(KelvorDisplayTest, ALineTooLongForATurnIsShownInPiecesThatShowItAsAWhole)
{
    // 256 KB of bytes 0x80-0xFF (slow to lay out) after a special word, then a
    // short line: the long line shows in many pieces cut where they show what
    // the whole shows, none shorter than the cut a quarter KiB allows however
    // busy the machine, each continuing its paragraph in its colour, laid out
    // as afresh.
    std::mt19937 random(11);
    std::string line = "ERROR ";
    while (line.size() < (size_t{256} << 10))
        line += static_cast<char>(0x80 + random() % 0x80);
    line += "#end";
    Feed(line);
    Feed("\nplain after\n");
    const int pieces = View->GetLineCount() - 1;
    EXPECT_GT(pieces, 2);
    ASSERT_EQ(View->GetItemText(pieces), "plain after");
    EXPECT_TRUE(View->IsParaStart(pieces));
    std::string joined;
    TTextCutMemo memo;
    for (int i = 0; i < pieces; ++i) {
        SCOPED_TRACE(i);
        const std::string piece = View->GetItemText(i);
        if (i + 1 < pieces) {
            const std::string_view rest = std::string_view(line).substr(joined.size());
            EXPECT_EQ(TextCutNear(rest, piece.size(), GetACP(), &memo), piece.size());
            EXPECT_LE(TextCutNear(rest, 256, GetACP(), &memo), piece.size()) << "a piece of a few bytes";
        }
        EXPECT_EQ(View->GetItemStyle(i), 1);
        EXPECT_EQ(View->IsParaStart(i), i == 0);
        joined += piece;
    }
    EXPECT_EQ(joined, line);
    EXPECT_EQ(File->LineCount, 2);
    const TLayoutFields tail = LayoutFieldsOf(*View->RVData);
    View->Format();
    EXPECT_EQ(tail.DrawItems, LayoutFieldsOf(*View->RVData).DrawItems);
}

// The pane's items from First on that make up Line, each continuing its
// paragraph and cut where TextCutNear allows in the rest of Line; the number
// of them.
int ExpectPiecesOf(TRollView* view, int first, const std::string& line)
{
    std::string joined;
    int item = first;
    for (; joined.size() < line.size() && item < view->GetLineCount(); ++item) {
        SCOPED_TRACE(item);
        const std::string piece = view->GetItemText(item);
        const std::string_view rest = std::string_view(line).substr(joined.size());
        if (piece.size() < rest.size()) {
            EXPECT_EQ(TextCutNear(rest, piece.size(), GetACP()), piece.size()) << "a cut the text allows no";
        }
        EXPECT_EQ(view->IsParaStart(item), item == first);
        joined += piece;
    }
    EXPECT_EQ(joined, line);
    return item - first;
}

TEST_F(KelvorDisplayTest, EachLongLineIsCutWhereItsOwnTextAllows)
{
    // Two long lines in brackets that stay open: the first reads left to
    // right throughout, so that a piece of it may end inside them; the second
    // ends in a Hebrew letter, which has it reordered, so that no piece of it
    // may (it shows whole). What the cuts of the first found of its text
    // tells nothing of the second's.
    SetACP(CP_UTF8);
    std::string ltr = "(";
    while (ltr.size() < 2048)
        ltr += "\xC3\xA9";
    std::string rtl = "(";
    while (rtl.size() < 8192)
        rtl += "\xC3\xA9";
    rtl += "\xD7\x90)";
    Feed(ltr + "\n" + rtl + "\n");
    const int pieces = ExpectPiecesOf(View, 0, ltr);
    EXPECT_GT(pieces, 1) << "a cut a new pane makes of a line it expects to be slow";
    EXPECT_EQ(ExpectPiecesOf(View, pieces, rtl), 1);
    SetACP(0);
}

} // namespace
