// The display's turns with text whose characters the pane's fonts have not
// met (met a few at a time before the layout), and what a part of text is
// charged for its layout when the window's thread waits meanwhile.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <thread>
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

class KelvorDisplayMeetingTest : public KelvorDisplayTest {
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

TEST_F(KelvorDisplayMeetingTest, LinesInCharactersTheFontsHaveNotMetAreShownWholeAndInOrder)
{
    // Lines in characters no font has met, which take the turns far longer to
    // meet than to lay out: lines of the usual length go whole all the same,
    // each a paragraph of one item, however many turns their meeting takes;
    // a long line goes in pieces cut where the text allows, none shorter than
    // a cut a quarter KiB in allows, continuing its paragraph; nothing is
    // lost, doubled or reordered.
    GiveUnmetFonts(Form);
    std::mt19937 random(13);
    std::vector<std::string> lines;
    std::string chunk;
    for (int i = 0; i < 40; ++i) {
        lines.push_back(HighText(random, 900, std::to_string(i)));
        chunk += lines.back() + '\n';
    }
    const std::string longLine = HighText(random, size_t{256} << 10, "end");
    Feed(chunk + longLine + "\nplain after\n");
    ASSERT_GT(View->GetLineCount(), 41);
    for (int i = 0; i < 40; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(View->GetItemText(i), lines[static_cast<size_t>(i)]);
        EXPECT_TRUE(View->IsParaStart(i));
    }
    std::string joined;
    int item = 40;
    for (; joined.size() < longLine.size() && item < View->GetLineCount(); ++item) {
        SCOPED_TRACE(item);
        const std::string piece = View->GetItemText(item);
        const std::string_view rest = std::string_view(longLine).substr(joined.size());
        if (piece.size() < rest.size()) {
            EXPECT_EQ(TextCutNear(rest, piece.size(), GetACP()), piece.size()) << "a cut the text allows no";
            EXPECT_LE(TextCutNear(rest, TLayoutCosts::MinPieceBytes, GetACP()), piece.size())
                << "a piece of a few bytes";
        }
        EXPECT_EQ(View->IsParaStart(item), item == 40);
        joined += piece;
    }
    EXPECT_EQ(joined, longLine);
    ASSERT_EQ(item + 1, View->GetLineCount());
    EXPECT_EQ(View->GetItemText(item), "plain after");
    EXPECT_EQ(File->LineCount, 42);
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

TEST_F(KelvorDisplayMeetingTest, APartWhoseLayoutWaitsIsChargedItsProcessorTime)
{
    // In a pane that shows its scroll bar already (a bar that comes has the
    // pane laid out whole), a long line without an end is shown, so that the
    // pane learns what its text costs; then as much again continues it, and
    // the layout of the first part of that waits a second and a half without
    // working (the style sheet's hook, there from the start, as a layout with
    // one measures its text again, sleeps once). The part is charged the
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
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
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

} // namespace
