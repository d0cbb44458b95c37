// The editor control on a real X server: when Xvfb and xdotool are installed,
// this program runs again under a server of its own, shows an editor and lets
// xdotool type ASCII text into it and press Tab and the undo and redo
// shortcuts, as a user's keyboard would; type in two keyboard layouts, the
// text style following the keyboard's language; and type Arabic, the caret
// following the letters as they are drawn. Skipped when a program is missing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/rvstyle_text.h"
#include "platform/controls/syntheticinput.h"
#include "platform/graphics/pixelbuffer.h"
#include "tests/support/e2eprocess.h"
#include "tests/support/inkmatch.h"
#include "tests/support/pumpevents.h"
#include "tests/support/testeditcontrol.h"
#include "tests/support/xvfbchild.h"

TEST(RollViewEditXvfbTest, TypedTextAndShortcutsReachTheDocument)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    if (FindProgram("xdotool").empty())
        GTEST_SKIP() << "xdotool is not installed";
    const TXvfbRun run = RunUnderXvfb("RollViewEditXvfbChildTest.*");
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, "typed");
}

namespace {

class RollViewEditXvfbChildTest : public ::testing::Test, public TEditControlFixture {
protected:
    void SetUp() override
    {
        if (!InXvfbChild())
            GTEST_SKIP() << "runs under the Xvfb test";
        Load("", Uni);
        ASSERT_TRUE(FocusXvfbWindow(Form, "kelvor-editor-under-xvfb", Edit));
    }
    // Runs an xdotool command, then handles events until the document reads Expected.
    bool Send(const std::string& args, const AnsiString& expected)
    {
        CaptureOutput("xdotool " + args);
        return WaitUntil([&] { return Text() == expected; }, WaitDeadlineMs, PumpEvents);
    }
};

TEST_F(RollViewEditXvfbChildTest, TypingAndShortcuts)
{
    struct TStep {
        std::string Args;
        AnsiString Expected;
    };
    Edit->SetEditorOptions(TRVEditorOptions{rvoWantTabs});
    Style->SetSpacesInTab(2);
    const AnsiString typed = "Hi there";
    const AnsiString tabbed = typed + "  ";
    const std::vector<TStep> steps = {
        {"type --delay 30 'Hi there'", typed},
        {"key Tab", tabbed},
        {"key ctrl+z", typed},
        {"key shift+ctrl+z", tabbed},
        {"key alt+BackSpace", typed},
        {"key alt+shift+BackSpace", tabbed},
        {"key ctrl+y", tabbed},
        {"key BackSpace BackSpace", typed},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Args);
        EXPECT_TRUE(Send(step.Args, step.Expected)) << "the document reads " << Text();
        Check(step.Args);
    }
    if (!::testing::Test::HasFailure())
        WriteXvfbResult("typed");
}

} // namespace

// A switch of the keyboard's layout group on a real server: the X server is
// given the layouts us and ru, and xdotool types a Cyrillic letter (switching
// to the Russian group for it) and then a Latin one.
TEST(RollViewEditXvfbTest, TheKeyboardsLanguageSwitchesTheTextStyle)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    if (FindProgram("xdotool").empty() || FindProgram("setxkbmap").empty())
        GTEST_SKIP() << "xdotool or setxkbmap is not installed";
    const TXvfbRun run = RunUnderXvfb("RollViewEditLangXvfbChildTest.*");
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, "switched");
}

namespace {

class RollViewEditLangXvfbChildTest : public ::testing::Test, public TEditControlFixture {
protected:
    void SetUp() override
    {
        if (!InXvfbChild())
            GTEST_SKIP() << "runs under the Xvfb test";
        CaptureOutput("setxkbmap -layout us,ru");
        Load("ab", 0);
        Edit->SetEditorOptions(TRVEditorOptions{rvoAutoSwitchLang});
        ASSERT_TRUE(FocusXvfbWindow(Form, "kelvor-editor-language-under-xvfb", Edit));
    }
    TFontCharset CurrentCharset() { return Style->TextStyles()->Items(Edit->CurTextStyleNo())->Charset(); }
};

TEST_F(RollViewEditLangXvfbChildTest, TypingInAnotherGroup)
{
    struct TStep {
        std::string Letter;
        AnsiString Expected;
        TFontCharset Charset;
    };
    // The group the keyboard is in at the first key is no switch; the Russian
    // letter goes into a Russian 8-bit style in its code page (0xE6).
    const std::vector<TStep> steps = {
        {"b", "abb", DEFAULT_CHARSET},
        {"ж", "abb\xE6", RUSSIAN_CHARSET},
        {"c",
         "abb\xE6"
         "c",
         ANSI_CHARSET},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Letter);
        CaptureOutput("xdotool type --delay 30 '" + step.Letter + "'");
        EXPECT_TRUE(WaitUntil([&] { return Text() == step.Expected; }, WaitDeadlineMs, PumpEvents)) << Text();
        EXPECT_EQ(CurrentCharset(), step.Charset);
    }
    Check("typed");
    if (!::testing::Test::HasFailure())
        WriteXvfbResult("switched");
}

} // namespace

// Arabic typed on a real X server into a paragraph without a direction of its
// own: the toolkit draws the letters joined and right to left, and after each
// letter the caret stands at the left end of what is drawn, where the next one
// goes. Right then moves the caret right through the word (back through the
// text) and Left brings it back. Skipped when a program or a font with Arabic
// letters is missing.
TEST(RollViewEditXvfbTest, TypedArabicKeepsTheCaretWhereItsLettersAreDrawn)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    if (FindProgram("xdotool").empty() || FindProgram("setxkbmap").empty())
        GTEST_SKIP() << "xdotool or setxkbmap is not installed";
    if (InstalledFamilyFor(":lang=ar").empty())
        GTEST_SKIP() << "no installed font covers Arabic";
    const TXvfbRun run = RunUnderXvfb("RollViewEditArabicXvfbChildTest.*");
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, "arabic");
}

namespace {

class RollViewEditArabicXvfbChildTest : public ::testing::Test, public TEditControlFixture {
protected:
    void SetUp() override
    {
        if (!InXvfbChild())
            GTEST_SKIP() << "runs under the Xvfb test";
        // The keyboard has an Arabic group for xdotool to type in.
        CaptureOutput("setxkbmap -layout us,ara");
        TFontInfo* font = Style->TextStyles()->Items(Uni);
        font->SetFontName(InstalledFamilyFor(":lang=ar"));
        font->SetSize(16);
        Load("", Uni);
        ASSERT_TRUE(FocusXvfbWindow(Form, "kelvor-editor-arabic-under-xvfb", Edit));
    }
    // The ink of the first line as shown, the caret's columns left out. The
    // paint that a typed letter asks for may still wait in the event queue
    // when the document holds the letter: it is done first.
    TInk LineInk()
    {
        Edit->Update();
        TPixelBuffer shown;
        EXPECT_TRUE(WaitUntil([&] { return GrabShownClient(Edit, shown); }, WaitDeadlineMs, PumpEvents));
        const TRVDrawLineInfo* dli = Data().DrawItems[0];
        const TRect caret = Edit->CaretRect();
        return TInk(shown.Width, dli->Height, [&](int x, int y) {
            const int py = dli->Top + y;
            if ((x >= caret.Left && x < caret.Right) || py >= shown.Height)
                return 0xFFFFFFFFu;
            return shown.At(x, py);
        });
    }
    int CaretOffs() { return Data().GetOffsetInCurItem(); }
};

TEST_F(RollViewEditArabicXvfbChildTest, TypingAndMovingThroughTheWord)
{
    // Kaf, teh, alef, beh: "book".
    const std::vector<std::string> letters = {"\xD9\x83", "\xD8\xAA", "\xD8\xA7", "\xD8\xA8"};
    AnsiString typed;
    for (const std::string& letter : letters) {
        SCOPED_TRACE(letter);
        CaptureOutput("xdotool type --delay 30 '" + letter + "'");
        typed += letter;
        ASSERT_TRUE(WaitUntil([&] { return Text() == typed; }, WaitDeadlineMs, PumpEvents)) << Text();
        const TInk ink = LineInk();
        const TRect caret = Edit->CaretRect();
        ASSERT_GT(ink.Count, 0);
        EXPECT_LE(caret.Right, ink.Left + 1) << "the caret at the left end of the drawn letters";
        EXPECT_GT(ink.Right, caret.Right + 3);
        const TRVDrawLineInfo* dli = Data().DrawItems[0];
        EXPECT_NEAR(caret.Left, dli->Left + dli->SpaceBefore - 1, 1);
    }
    const int end = CaretOffs();
    // Right goes back through the word, each step further right.
    int x = Edit->CaretRect().Left;
    for (int offs = end - 1; offs >= 1; --offs) {
        CaptureOutput("xdotool key Right");
        EXPECT_TRUE(WaitUntil([&] { return CaretOffs() == offs; }, WaitDeadlineMs, PumpEvents))
            << CaretOffs();
        EXPECT_GT(Edit->CaretRect().Left, x);
        x = Edit->CaretRect().Left;
    }
    for (int offs = 2; offs <= end; ++offs) {
        CaptureOutput("xdotool key Left");
        EXPECT_TRUE(WaitUntil([&] { return CaretOffs() == offs; }, WaitDeadlineMs, PumpEvents))
            << CaretOffs();
        EXPECT_LT(Edit->CaretRect().Left, x);
        x = Edit->CaretRect().Left;
    }
    Check("typed and moved");
    if (!::testing::Test::HasFailure())
        WriteXvfbResult("arabic");
}

} // namespace
