// What the display's turns spend their time on: meeting the characters of
// text new to the pane's fonts (a few at a time, before the layout), laying
// text out (a part charged its processor time, however long the thread
// waited meanwhile), and painting (the turn keeps time for it).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/LayoutCosts.h"
#include "app/Tail.h"
#include "app/U_kelvor.h"
#include "document/rvstyle.h"
#include "platform/core/codepages.h"
#include "platform/graphics/textcut.h"
#include "tests/app/U_kelvor_display_fixture.h"
#include "tests/app/U_kelvor_fixture.h"
#include "view/rollview.h"

namespace {

// Bytes bytes from 0x80 to 0xFF (characters of many scripts, and bytes that
// are no UTF-8), then " #" and Mark.
std::string HighText(std::mt19937& random, size_t bytes, const std::string& mark)
{
    std::uniform_int_distribution<int> high(0x80, 0xFF);
    std::string text;
    while (text.size() < bytes)
        text += static_cast<char>(high(random));
    return text + " #" + mark;
}

// Gives the text styles of the window a size that no font of this program
// had before: the pane's fonts know none of the characters that follow.
void GiveUnmetFonts(TForm1* form)
{
    static int size = 40;
    ++size;
    TFontInfos* styles = form->RVStyle->TextStyles();
    for (int i = 0; i < styles->Count(); ++i)
        styles->Items(i)->SetSize(size);
}

class KelvorDisplayTimeTest : public KelvorDisplayTest {
protected:
    void SetUp() override
    {
        KelvorDisplayTest::SetUp();
        SetACP(CP_UTF8);
    }
    void TearDown() override
    {
        SetACP(0);
        KelvorDisplayTest::TearDown();
    }
};

TEST_F(KelvorDisplayTimeTest, LinesInCharactersTheFontsHaveNotMetAreShownWholeAndInOrder)
{
    // Lines in characters no font has met, which take the turns far longer to
    // meet than to lay out: a long line goes in pieces cut where the text
    // allows, none shorter than a cut a quarter KiB in allows (however few
    // bytes a turn has met), continuing its paragraph; lines of the usual
    // length go whole, each a paragraph of one item, however many turns their
    // meeting takes; nothing is lost, doubled or reordered.
    GiveUnmetFonts(Form);
    std::mt19937 random(13);
    const std::string longLine = HighText(random, size_t{256} << 10, "end");
    std::vector<std::string> lines;
    std::string chunk = longLine + '\n';
    for (int i = 0; i < 40; ++i) {
        lines.push_back(HighText(random, 900, std::to_string(i)));
        chunk += lines.back() + '\n';
    }
    Feed(chunk + "plain after\n");
    std::string joined;
    int item = 0;
    for (; joined.size() < longLine.size() && item < View->GetLineCount(); ++item) {
        SCOPED_TRACE(item);
        const std::string piece = View->GetItemText(item);
        const std::string_view rest = std::string_view(longLine).substr(joined.size());
        if (piece.size() < rest.size()) {
            EXPECT_EQ(TextCutNear(rest, piece.size(), GetACP()), piece.size()) << "a cut the text allows no";
            EXPECT_LE(TextCutNear(rest, TLayoutCosts::MinPieceBytes, GetACP()), piece.size())
                << "a piece of a few bytes";
        }
        EXPECT_EQ(View->IsParaStart(item), item == 0);
        joined += piece;
    }
    EXPECT_EQ(joined, longLine);
    ASSERT_EQ(View->GetLineCount(), item + 41);
    for (int i = 0; i < 40; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(View->GetItemText(item + i), lines[static_cast<size_t>(i)]);
        EXPECT_TRUE(View->IsParaStart(item + i));
    }
    EXPECT_EQ(View->GetItemText(item + 40), "plain after");
    EXPECT_EQ(File->LineCount, 42);
}

TEST_F(KelvorDisplayTimeTest, APaneThatFollowsALongLineDrawsAFewKiBOfItAtATime)
{
    // Long lines of bytes above 0x7F (their characters met by the pane's
    // fonts) arrive, as a binary file followed by mistake does, and go in
    // pieces, each a turn's: the first line teaches the pane what such text
    // costs, so that a turn lays out far more of the second than 16 KiB.
    // Every turn paints the pane, which shows the lines' starts. No text
    // drawn is longer than 4 KiB, more than the widest screen shows of a
    // line: a paint draws a piece of a line whole, and a paint of 16 KiB of
    // such characters takes milliseconds, which every turn would spend.
    std::mt19937 random(23);
    const std::string first = HighText(random, size_t{256} << 10, "first");
    const std::string line = HighText(random, size_t{512} << 10, "end");
    MeetCharactersOf(View, first + '\n' + line);
    Feed(first + '\n');
    const int lineStart = View->GetLineCount();
    const auto longest = std::make_shared<size_t>(0);
    const auto paints = std::make_shared<int>(0);
    Form->RVStyle->OnDrawStyleText = [longest, paints](TRVStyle*, const AnsiString& text, TCanvas*, int, int,
                                                       int, int, int, int, TRVTextDrawStates, bool&) {
        *longest = std::max(*longest, text.size());
        ++*paints;
    };
    Feed(line);
    ASSERT_GT(View->GetLineCount() - lineStart, 2) << "the line went whole";
    EXPECT_GT(*paints, 0);
    EXPECT_LE(*longest, size_t{4} << 10);
    std::string joined;
    for (int i = lineStart; i < View->GetLineCount(); ++i)
        joined += View->GetItemText(i);
    EXPECT_EQ(joined, line);
}

// Count letters from U+00C0 to U+00FF (two bytes each): characters the
// pane's own font draws, quick to measure, so that a turn lays out a large
// part of a long line of them.
std::string LatinLetters(std::mt19937& random, size_t count)
{
    std::uniform_int_distribution<int> letter(0xC0, 0xFF);
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        const int c = letter(random);
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    return text;
}

TEST_F(KelvorDisplayTimeTest, APartWhoseLayoutWaitsIsChargedItsProcessorTime)
{
    // In a pane that shows its scroll bar already (a bar that comes has the
    // pane laid out whole), a long line without an end is shown, so that the
    // pane learns what its text costs; then as much again continues it, and
    // the layout of the first part of that is held a second and a half
    // without working (the style sheet's hook, there from the start, as a
    // layout with one measures its text again, moves the display's clock on
    // once). The part is charged the
    // processor time its layout took: the wait counts only as the share of
    // time the machine left the window, which sizes parts down to an eighth
    // at the most, so that the next piece is an eighth of the first at the
    // least (a sixteenth, for the noise of a busy machine). Charged the wait,
    // a byte would cost a hundred times more, and the pieces would shrink to
    // the few hundred bytes a turn asks at least.
    std::mt19937 random(17);
    const std::string learned = LatinLetters(random, size_t{1} << 20);
    const std::string held = LatinLetters(random, size_t{1} << 20);
    const auto armed = std::make_shared<bool>(false);
    TRollView* view = View;
    Form->RVStyle->OnApplyStyle = [armed, view](TRVStyle*, TCanvas* canvas, int, bool&) {
        if (*armed && canvas == view->GetFormattingCanvas()) {
            *armed = false;
            AdvanceDisplayClock(std::chrono::milliseconds(1500));
        }
    };
    // (Lines of ASCII alone would teach the pane what their bytes cost with
    // what each line costs besides, as if a byte of ASCII were slow.)
    std::string lines;
    for (int i = 0; i < 100; ++i)
        lines += "l\xC3\xADne " + std::to_string(i) + '\n';
    Feed(lines + learned);
    const int first = View->GetLineCount();
    *armed = true;
    Feed(held);
    EXPECT_FALSE(*armed) << "no layout called the style sheet's hook";
    ASSERT_GE(View->GetLineCount() - first, 3) << "the line went in fewer than three pieces";
    const size_t piece = View->GetItemText(first).size();
    const size_t next = View->GetItemText(first + 1).size();
    EXPECT_GE(next * 16, piece) << "pieces of " << piece << " and then " << next << " bytes";
}

// Count Greek and Cyrillic letters (two bytes each), of an alphabet small
// enough that the fonts keep every one of them once met.
std::string GreekAndCyrillic(std::mt19937& random, size_t count)
{
    static const char16_t Letters[] =
        u"\u03B1\u03B2\u03B3\u03B4\u03B5\u03B6\u03B7\u03B8\u03B9\u03BA\u03BB\u03BC"
        u"\u0430\u0431\u0432\u0433\u0434\u0435\u0436\u0437\u0438\u043A\u043B\u043C";
    std::uniform_int_distribution<size_t> pick(0, std::size(Letters) - 2);
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        const char16_t c = Letters[pick(random)];
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    return text;
}

TEST_F(KelvorDisplayTimeTest, ATurnKeepsTimeForItsPaint)
{
    // Lines in letters the fonts know wait to be shown, more than many turns
    // lay out, and the pane's timer runs its turns: first with the window
    // hidden, so that a paint costs next to nothing; then shown, its paints
    // taking long (the style sheet's hook for drawing text works a
    // millisecond of the processor for each line drawn). A turn lays out for
    // what its paint leaves of it: all of it first, a quarter of it then, so
    // that the first part of a turn (sized for the time the turn has) holds
    // at most half as many lines then. The layout of each turn's first part
    // is held a tenth of a second without working (the display's clock moved
    // on), so that the pane counts its
    // parts as stretched by a busy machine as far as it counts at all, in
    // both halves alike, however busy the machine really is.
    std::mt19937 random(19);
    std::vector<std::string> lines;
    std::string chunk;
    for (int i = 0; i < 20000; ++i) {
        lines.push_back(GreekAndCyrillic(random, 50) + " #" + std::to_string(i));
        chunk += lines.back() + '\n';
    }
    MeetCharactersOf(View, chunk);
    const auto slowPaint = std::make_shared<bool>(false);
    Form->RVStyle->OnDrawStyleText = [slowPaint](TRVStyle*, const AnsiString&, TCanvas*, int, int, int, int,
                                                 int, int, TRVTextDrawStates, bool&) {
        for (const double start = ThreadCpuSeconds(); *slowPaint && ThreadCpuSeconds() - start < 1e-3;) {
        }
    };
    Form->Hide();
    // The pane learns what such lines cost before they wait: shown whole,
    // in turns of many parts, nothing waiting in their layout.
    std::string learning;
    for (int i = 0; i < 2000; ++i)
        learning += GreekAndCyrillic(random, 50) + " #learning" + std::to_string(i) + '\n';
    MeetCharactersOf(View, learning);
    Feed(learning);
    const int before = View->GetLineCount();
    FeedOnce(chunk);
    const std::vector<TTimer*> timers = PaneTimers(View);
    ASSERT_EQ(timers.size(), 1u);
    // The lines of the first part a turn of the pane's timer lays out (the
    // lines added when the layout first asks the style sheet's hook for a
    // text style), of the next turn that lays out a part (turns that find
    // their pass's time spent lay out none); 0 once no line waits. A turn
    // sizes its first part for the time it has; how many parts follow goes
    // with how long the machine leaves it to work.
    struct TFirstPart {
        bool Counting = false;
        int Before = 0;
        int Lines = 0;
    };
    const auto first = std::make_shared<TFirstPart>();
    TRollView* view = View;
    Form->RVStyle->OnApplyStyle = [first, view](TRVStyle*, TCanvas* canvas, int, bool&) {
        if (first->Counting && canvas == view->GetFormattingCanvas()) {
            first->Counting = false;
            first->Lines = view->GetLineCount() - first->Before;
            AdvanceDisplayClock(std::chrono::milliseconds(100));
        }
    };
    const auto firstPart = [&] {
        while (LinesWaitIn(View)) {
            *first = {true, View->GetLineCount(), 0};
            timers[0]->OnTimer(timers[0]);
            if (!first->Counting)
                return first->Lines;
        }
        first->Counting = false;
        return 0;
    };
    // The middle of Turns turns' first parts, once the pane has learned how
    // much longer than their processor time its parts take and what its
    // paints take (its first parts grow or shrink turn by turn meanwhile):
    // once three turns in a row held no more lines than the most before
    // them. 0 when the lines ran out first.
    const auto typicalTurn = [&](int turns) {
        int most = 0;
        for (int steady = 0; steady < 3;) {
            const int lines = firstPart();
            if (lines == 0)
                return 0;
            steady = lines <= most ? steady + 1 : 0;
            most = std::max(most, lines);
        }
        std::vector<int> counts;
        for (int turn = 0; turn < turns; ++turn)
            counts.push_back(firstPart());
        const auto middle = counts.begin() + turns / 2;
        std::nth_element(counts.begin(), middle, counts.end());
        return *middle;
    };
    const int quick = typicalTurn(9);
    Form->Show();
    *slowPaint = true;
    const int slow = typicalTurn(9);
    ASSERT_TRUE(LinesWaitIn(View)) << "every line was shown before the turns were counted";
    EXPECT_GT(slow, 0);
    EXPECT_LE(slow * 2, quick) << quick << " lines in a turn's first part with a quick paint, " << slow
                               << " with a slow one";
    for (int i = 0; i < View->GetLineCount() - before; i += 997)
        ASSERT_EQ(View->GetItemText(before + i), lines[static_cast<size_t>(i)]) << i;
}

} // namespace
