// The display of new text in a real pane (offscreen): chunks are handed to the
// window's callbacks as the monitor hands them (LineComplete changing after the
// call), and the pane's items are inspected.
#include "app/U_kelvor.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Tail.h"
#include "document/rvstyle.h"
#include "platform/core/codepages.h"
#include "tests/app/U_kelvor_display_fixture.h"
#include "tests/app/U_kelvor_fixture.h"
#include "tests/support/scriptedui.h"
#include "tests/support/tempdir.h"
#include "tests/support/testrvfdata.h"
#include "view/rollview.h"

namespace {

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

// With only special-word lines shown, each piece of a line that arrives in
// pieces is shown or left out by the words it holds itself.
TEST_F(KelvorDisplayTest, WithOnlySpecialWordLinesEachPieceIsShownOrLeftOutOnItsOwn)
{
    struct TCase {
        std::vector<std::string> Pieces;
        TItems Shown;
    };
    const TCase cases[] = {
        // The line appears from its first piece that holds a word.
        {{"plain start", " then ERROR\n"}, {{" then ERROR", 1, true}}},
        // A later piece without one is left out: the line appears cut.
        {{"ERROR first", " plain rest\n"}, {{"ERROR first", 1, true}}},
        // A middle piece without one is left out, and the pieces around it
        // join with nothing to show the gap.
        {{"ERROR one", " plain middle", " ERROR three\n"},
         {{"ERROR one", 1, true}, {" ERROR three", 1, false}}},
    };
    Form->SetShowOnlySpecialWordLogs(true);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        File = Form->OpenTailFile(Dir.Write("case" + std::to_string(i) + ".log", ""));
        ASSERT_NE(File, nullptr);
        File->LineComplete = true;
        View = File->View;
        for (const std::string& piece : cases[i].Pieces)
            Feed(piece);
        EXPECT_EQ(Shown(), cases[i].Shown);
        EXPECT_EQ(File->LineCount, 1);
    }
}

// A log that writes 50 lines a second, polled every half second (25 lines a
// poll), with the default purge line of 250: the pane is cleared every 11
// polls, and a poll's lines stay in it for 1 to 11 polls, 6 on average.
TEST_F(KelvorDisplayTest, APurgeLineOf250KeepsAPollOf25LinesInThePaneForOneToElevenPolls)
{
    Form->PurgeAtLine = 250;
    Form->SetShowOnlySpecialWordLogs(true);
    constexpr int polls = 44;
    std::vector<int> inView(polls, 0);
    int clears = 0;
    for (int poll = 0; poll < polls; ++poll) {
        std::string chunk = "ERROR " + std::to_string(poll) + "\n";
        for (int line = 1; line < 25; ++line)
            chunk += "plain\n";
        const int before = View->GetLineCount();
        Feed(chunk);
        if (View->GetLineCount() <= before)
            ++clears;
        for (int i = 0; i < View->GetLineCount(); ++i)
            ++inView[std::stoi(View->GetItemText(i).substr(6))];
    }
    // The first 11 polls fill the pane; every 11 polls after that clear it.
    EXPECT_EQ(clears, polls / 11 - 1);
    // The polls of the cycles that ended (the last one's lines are still shown).
    int sum = 0;
    for (int poll = 0; poll < polls - 11; ++poll) {
        SCOPED_TRACE(poll);
        EXPECT_EQ(inView[poll], 11 - poll % 11);
        sum += inView[poll];
    }
    EXPECT_EQ(sum, 6 * (polls - 11));
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
