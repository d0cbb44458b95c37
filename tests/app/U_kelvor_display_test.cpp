// The display of new text in a real pane (offscreen): chunks are handed to the
// window's callbacks as the monitor hands them (LineComplete changing after the
// call), and the pane's items are inspected.
#include "app/U_kelvor.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/Tail.h"
#include "document/rvstyle.h"
#include "platform/core/codepages.h"
#include "platform/graphics/textcut.h"
#include "tests/app/U_kelvor_fixture.h"
#include "tests/support/pumpevents.h"
#include "tests/support/scriptedui.h"
#include "tests/support/tempdir.h"
#include "tests/support/testrvfdata.h"
#include "view/rollview.h"

namespace {

// ERROR is style 1 (red), WARN style 2 (green).
const char* const Settings = "[Options]\nPurgeAtLine=0\nWidth=400\nHeight=300\n"
                             "[SpecialWords]\nSpecialWord1=ERROR\nSpecialColor1=255\n"
                             "SpecialWord2=WARN\nSpecialColor2=$FF00\n";

struct TShownItem {
    std::string Text;
    int Style;
    bool ParaStart;
    bool operator==(const TShownItem& o) const
    {
        return Text == o.Text && Style == o.Style && ParaStart == o.ParaStart;
    }
};

std::ostream& operator<<(std::ostream& os, const TShownItem& i)
{
    return os << "{\"" << i.Text << "\", " << i.Style << (i.ParaStart ? ", para" : ", cont") << "}";
}

class KelvorDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir.Write("k.ini", Settings);
        SetCommandLine({Dir.File("kelvor"), Dir.File("k.ini")});
        Form = new TForm1(nullptr);
        Form->AfterConstruction();
        Form->Show();
        File = Form->OpenTailFile(Dir.Write("a.log", ""));
        ASSERT_NE(File, nullptr);
        File->LineComplete = true;
        View = File->View;
    }
    void TearDown() override
    {
        Form->Free();
        SetCommandLine({});
    }

    // One poll's delivery of Text, as the monitor makes it: the pane shows
    // what one turn may show, its timer the rest.
    void FeedOnce(const std::string& Text, TTailFile* To = nullptr)
    {
        TTailFile* file = To ? To : File;
        file->NewText = Text;
        Form->TailNewText(0, file);
        if (!Text.empty())
            file->LineComplete = Text.back() == '\n';
    }
    // One poll's delivery of Text, then the events until the panes show it all.
    void Feed(const std::string& Text, TTailFile* To = nullptr)
    {
        FeedOnce(Text, To);
        ASSERT_TRUE(WaitUntilPanesShowAll(Form)) << "lines still wait to be shown";
    }

    std::vector<TShownItem> Shown() const
    {
        std::vector<TShownItem> items;
        for (int i = 0; i < View->GetLineCount(); ++i)
            items.push_back({View->GetItemText(i), View->GetItemStyle(i), View->IsParaStart(i)});
        return items;
    }

    TScriptedUI UI;
    TempDir Dir;
    TForm1* Form = nullptr;
    TTailFile* File = nullptr;
    TRollView* View = nullptr;
};

using TItems = std::vector<TShownItem>;

TEST_F(KelvorDisplayTest, SpecialWordsColourWholeLinesAndTheFirstListedWins)
{
    EXPECT_EQ(Form->GetSpecialWordStyle("a WARN and an ERROR"), 1);
    EXPECT_EQ(Form->GetSpecialWordStyle("WARNING"), 2);
    EXPECT_EQ(Form->GetSpecialWordStyle("error"), -1);
    Feed("plain\nWARN then ERROR\nsome WARNING\n");
    EXPECT_EQ(Shown(), (TItems{{"plain", 0, true}, {"WARN then ERROR", 1, true}, {"some WARNING", 2, true}}));
    EXPECT_EQ(File->LineCount, 3);
}

TEST_F(KelvorDisplayTest, LinesAreMatchedAgainstTheSpecialWordsAsTheyStandNow)
{
    // Each change gives the line another answer than the words before it did;
    // a list put in the place of the window's is followed as well.
    TStringList* words = Form->SpecialWords.get();
    const std::string line = "an ERROR here";
    const std::pair<std::function<void()>, int> changes[] = {
        {[&] { words->Exchange(0, 1); }, 1},
        {[&] { words->InsertObject(0, "here", TForm1::SpecialWordStyleObject(3)); }, 3},
        {[&] { words->Put(0, "absent"); }, 1},
        {[&] { words->Delete(2); }, -1},
        {[&] { words->AddObject("an", TForm1::SpecialWordStyleObject(2)); }, 2},
        {[&] { words->Clear(); }, -1},
    };
    for (size_t i = 0; i < std::size(changes); ++i) {
        SCOPED_TRACE(i);
        changes[i].first();
        EXPECT_EQ(Form->GetSpecialWordStyle(line), changes[i].second);
    }
    Form->SpecialWords = std::make_unique<TStringList>();
    Form->SpecialWords->AddObject("absent", TForm1::SpecialWordStyleObject(3));
    Form->SpecialWords->AddObject("here", TForm1::SpecialWordStyleObject(2));
    Feed(line + "\n");
    EXPECT_EQ(Shown().back().Style, 2);
    // A list freed before the next is made, which the allocator mostly puts
    // where the freed one lay: the new list, and its changes, count all the same.
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        Form->SpecialWords.reset();
        Form->SpecialWords = std::make_unique<TStringList>();
        EXPECT_EQ(Form->GetSpecialWordStyle(line), -1);
        Form->SpecialWords->AddObject(round == 2 ? "ERROR" : "here", TForm1::SpecialWordStyleObject(round));
        EXPECT_EQ(Form->GetSpecialWordStyle(line), round);
    }
}

TEST_F(KelvorDisplayTest, ALineInPiecesContinuesItsParagraphEachPieceInItsOwnStyle)
{
    Feed("start ERR");
    Feed("OR end WARN");
    Feed("\nnext\n");
    EXPECT_EQ(Shown(), (TItems{{"start ERR", 0, true}, {"OR end WARN", 2, false}, {"next", 0, true}}));
    // A line is counted once, when it starts.
    EXPECT_EQ(File->LineCount, 2);
}

TEST_F(KelvorDisplayTest, NulBytesShowAsQuestionMarksAndCutNothing)
{
    Feed(std::string("a\0b\n\0\nc\n", 8));
    EXPECT_EQ(Shown(), (TItems{{"a?b", 0, true}, {"?", 0, true}, {"c", 0, true}}));
}

TEST_F(KelvorDisplayTest, ACarriageReturnThatReachesTheWindowEndsALineToo)
{
    // The monitor drops them; a chunk handed over with them splits as lines
    // of a string list do: at CR, LF or both.
    Feed(std::string("a\rb\r\nc\n\r\nd\r", 11));
    EXPECT_EQ(Shown(),
              (TItems{{"a", 0, true}, {"b", 0, true}, {"c", 0, true}, {"", 0, true}, {"d", 0, true}}));
    EXPECT_EQ(File->LineCount, 5);
}

TEST_F(KelvorDisplayTest, APaneIsPurgedWhenAChunkArrivesAfterTheLimitWasPassed)
{
    Form->PurgeAtLine = 3;
    Feed("1\n2\n3\n");
    Feed("4\n5\n"); // passes the limit: shown in full
    EXPECT_EQ(View->GetLineCount(), 5);
    EXPECT_EQ(File->LineCount, 5);
    Feed("6\n");
    EXPECT_EQ(Shown(), (TItems{{"6", 0, true}}));
    EXPECT_EQ(File->LineCount, 1);
}

TEST_F(KelvorDisplayTest, HiddenLinesStillCountAndTheirContinuationStartsAParagraph)
{
    Form->SetShowOnlySpecialWordLogs(true);
    Form->PurgeAtLine = 4;
    Feed("first ERROR\nplain\nhidden start");
    EXPECT_EQ(Shown(), (TItems{{"first ERROR", 1, true}}));
    EXPECT_EQ(File->LineCount, 3);
    // The rest of the hidden line has a special word: shown, but not glued to
    // the line before it.
    Feed(" with WARN\n");
    EXPECT_EQ(Shown(), (TItems{{"first ERROR", 1, true}, {" with WARN", 2, true}}));
    Feed("x\ny\nz\n");
    EXPECT_EQ(File->LineCount, 6);
    EXPECT_EQ(View->GetLineCount(), 2);
    Feed("ERROR after purge\n");
    EXPECT_EQ(Shown(), (TItems{{"ERROR after purge", 1, true}}));
}

TEST_F(KelvorDisplayTest, BeepsOncePerChunkThatShowedSomething)
{
    Form->SetBeepOnLogEvent(true);
    Feed("one\ntwo\nthree\n");
    auto beeps = UI.CallsOf(TUICallKind::Beep);
    ASSERT_EQ(beeps.size(), 1u);
    EXPECT_EQ(beeps[0].Frequency, 480u);
    EXPECT_EQ(beeps[0].Duration, 250u);
    Feed(""); // carriage returns only
    Form->SetShowOnlySpecialWordLogs(true);
    Feed("nothing special\n");
    EXPECT_EQ(UI.CallsOf(TUICallKind::Beep).size(), 1u);
}

TEST_F(KelvorDisplayTest, ABreakMarksATruncationAndTheContinuationStartsBelowIt)
{
    Feed("line\nhalf");
    Form->TailFileTruncated(0, File);
    EXPECT_EQ(File->LineCount, 2);
    Feed(" rest\nnew\n");
    const TItems items = Shown();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(View->GetItemStyle(2), rvsBreak);
    EXPECT_EQ(items[3], (TShownItem{" rest", 0, true}));
    EXPECT_EQ(items[4], (TShownItem{"new", 0, true}));
}

TEST_F(KelvorDisplayTest, ACharacterCutByTheChunksEndWaitsForTheNextChunk)
{
    SetACP(CP_UTF8);
    Feed("caf\xC3");
    EXPECT_EQ(Shown(), (TItems{{"caf", 0, true}}));
    Feed("\xA9 ok\nline\n\xE2");
    Feed("\x82\xAC\n");
    EXPECT_EQ(
        Shown(),
        (TItems{{"caf", 0, true}, {"\xC3\xA9 ok", 0, false}, {"line", 0, true}, {"\xE2\x82\xAC", 0, true}}));
    EXPECT_EQ(File->LineCount, 3);
    // Bytes that are no start of a character are shown as they come.
    Feed("x\xA9\n");
    EXPECT_EQ(Shown().back(), (TShownItem{"x\xA9", 0, true}));
    SetACP(0);
}

TEST_F(KelvorDisplayTest, RecordsWithoutAPaneAreIgnored)
{
    TTailFile bare(Form->Tail.get());
    bare.NewText = "text\n";
    Form->TailNewText(0, &bare);
    Form->TailFileTruncated(0, &bare);
    EXPECT_EQ(View->GetLineCount(), 0);
}

TEST_F(KelvorDisplayTest, TheTailLayoutEqualsAWholeLayoutAndThePaneShowsItsEnd)
{
    for (int i = 0; i < 40; ++i)
        Feed("line " + std::to_string(i) + (i % 3 ? " ERROR\n" : "\nmore "));
    EXPECT_GT(View->GetVScrollMax(), 0);
    EXPECT_EQ(View->VPos(), View->GetVScrollMax());
    const TLayoutFields tail = LayoutFieldsOf(*View->RVData);
    const int range = View->VRange();
    View->Format();
    const TLayoutFields whole = LayoutFieldsOf(*View->RVData);
    EXPECT_EQ(tail.DrawItems, whole.DrawItems);
    EXPECT_EQ(tail.Items, whole.Items);
    EXPECT_EQ(tail.Document, whole.Document);
    EXPECT_EQ(range, View->VRange());
}

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
// is far less than a piece (a turn bounded by bytes would show it all).
// Lines gets every line fed, in order.
template <class F> void FeedUntilLinesWait(const TRollView* pane, F feedOnce, std::vector<std::string>& lines)
{
    for (size_t bytes = size_t{32} << 10; !LinesWaitIn(pane); bytes *= 2) {
        ASSERT_LE(bytes, size_t{64} << 20) << "one turn showed every line of a chunk this large";
        const std::vector<std::string> chunk = SlowLines(bytes);
        feedOnce(Joined(chunk));
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

TEST_F(KelvorDisplayTest, ShowOnLogEventBringsAHiddenWindowUpWithTheFilesName)
{
    Form->SetShowOnLogEvent(true);
    Form->Hide();
    Feed("wake up\n");
    EXPECT_TRUE(Form->Visible());
    EXPECT_EQ(Form->Caption(), "Kelvor:" + File->FileName);
}

TEST_F(KelvorDisplayTest, TheMonitorsPollReachesThePane)
{
    // The whole road: the monitor reads the appended bytes and calls the window.
    Form->SetActive(true);
    FILE* f = fopen(Dir.File("a.log").c_str(), "ab");
    ASSERT_NE(f, nullptr);
    fputs("polled ERROR\r\n", f);
    fclose(f);
    Form->Tail->TimerTimer(nullptr);
    ASSERT_TRUE(WaitUntilPanesShowAll(Form));
    EXPECT_EQ(Shown(), (TItems{{"polled ERROR", 1, true}}));
}

} // namespace
