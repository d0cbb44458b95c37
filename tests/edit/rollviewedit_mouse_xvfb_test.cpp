// The editor as a user works it on a real X server, with xdotool's pointer
// and keyboard: a click places the caret, a drag and a double click select,
// Shift with the arrows selects, Up and Down keep the column, a smaller window
// rewraps the text, a read-only editor undoes nothing and follows its links,
// and what the window shows after editing is what painting it afresh shows.
// Skipped when Xvfb or xdotool is missing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/rvstyle_text.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/pixelbuffer.h"
#include "tests/support/e2eprocess.h"
#include "tests/support/pumpevents.h"
#include "tests/support/testeditcontrol.h"
#include "tests/support/xvfbchild.h"

TEST(RollViewEditMouseXvfbTest, PointerAndKeysWorkTheEditorAsAUserWould)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    if (FindProgram("xdotool").empty())
        GTEST_SKIP() << "xdotool is not installed";
    const TXvfbRun run = RunUnderXvfb("RollViewEditMouseXvfbChildTest.*");
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, "done");
}

namespace {

class RollViewEditMouseXvfbChildTest : public ::testing::Test, public TEditControlFixture {
protected:
    void SetUp() override
    {
        if (!InXvfbChild())
            GTEST_SKIP() << "runs under the Xvfb test";
        ASSERT_TRUE(FocusXvfbWindow(Form, "kelvor-editor-mouse-under-xvfb", Edit, &Window));
    }
    void TearDown() override
    {
        if (InXvfbChild() && !HasFailure())
            WriteXvfbResult("done");
    }
    // Three paragraphs, laid out, nothing to undo.
    void Three()
    {
        Load("alpha beta gamma");
        Data().AddNL("delta epsilon zeta", 0, 0);
        Data().AddNL("eta theta iota", 0, 0);
        Edit->Format();
        Data().ClearUndo();
    }
    // The screen point of the place before character Offs (1-based) of item
    // ItemNo, in the middle of its line: where the caret would stand.
    TPoint ScreenPointOf(int itemNo, int offs)
    {
        TRVEditRVData& d = Data();
        const int oldItem = d.GetCurItemNo();
        const int oldOffs = d.GetOffsetInCurItem();
        d.SetCaretAtItem(itemNo, offs, false);
        const TRect caret = Edit->CaretRect();
        d.SetCaretAtItem(oldItem, oldOffs, false);
        return Edit->ClientToScreen(TPoint{caret.Left + 1, (caret.Top + caret.Bottom) / 2});
    }
    bool TextBecomes(const AnsiString& expected)
    {
        return WaitUntil([&] { return Text() == expected; }, WaitDeadlineMs, PumpEvents);
    }
    std::vector<int> Selection()
    {
        int a, oa, b, ob;
        Data().GetSelectionBounds(a, oa, b, ob, true);
        return {a, oa, b, ob};
    }
    // Handles events until the selection is Expected and the editor has let
    // the mouse go: the release that ends a drag or a double click may come
    // some rounds of the event loop later.
    bool SelectionBecomes(const std::vector<int>& expected)
    {
        return WaitUntil([&] { return Selection() == expected && !Edit->MouseCapture(); }, WaitDeadlineMs,
                         PumpEvents);
    }
    bool CaretBecomes(int itemNo, int offs)
    {
        return WaitUntil(
            [&] { return Data().GetCurItemNo() == itemNo && Data().GetOffsetInCurItem() == offs; },
            WaitDeadlineMs, PumpEvents);
    }

    std::string Window;
};

TEST_F(RollViewEditMouseXvfbChildTest, AClickPlacesTheCaretAndADragSelectsWhatDeleteRemoves)
{
    Three();
    Xdo("mousemove " + XdoPoint(ScreenPointOf(0, 8)) + " click 1");
    Xdo("type X");
    EXPECT_TRUE(TextBecomes("alpha bXeta gamma|delta epsilon zeta|eta theta iota")) << Text();
    Three();
    // The points are found before the press: finding one moves the caret for a moment.
    const TPoint from = ScreenPointOf(0, 7), to = ScreenPointOf(1, 7);
    Xdo("mousemove " + XdoPoint(from) + " mousedown 1");
    Xdo("mousemove " + XdoPoint(to) + " mouseup 1");
    ASSERT_TRUE(SelectionBecomes({0, 7, 1, 7})) << ::testing::PrintToString(Selection());
    Xdo("key Delete");
    EXPECT_TRUE(TextBecomes("alpha epsilon zeta|eta theta iota")) << Text();
    Check("after the drag and Delete");
}

TEST_F(RollViewEditMouseXvfbChildTest, ADoubleClickSelectsAWordAndShiftRightThreeCharacters)
{
    Three();
    Xdo("mousemove " + XdoPoint(ScreenPointOf(2, 7)) + " click --repeat 2 --delay 80 1");
    EXPECT_TRUE(SelectionBecomes({2, 5, 2, 10})) << ::testing::PrintToString(Selection());
    Data().SetCaretAtItem(1, 1, false);
    Data().Deselect(nullptr, true);
    Xdo("key shift+Right shift+Right shift+Right");
    Xdo("type Q");
    EXPECT_TRUE(TextBecomes("alpha beta gamma|Qta epsilon zeta|eta theta iota")) << Text();
}

TEST_F(RollViewEditMouseXvfbChildTest, UpThenDownComeBackToTheSameColumn)
{
    Three();
    Data().SetCaretAtItem(1, 12, false);
    Xdo("key Up");
    ASSERT_TRUE(WaitUntil([&] { return Data().GetCurItemNo() == 0; }, WaitDeadlineMs, PumpEvents));
    Xdo("key Down");
    EXPECT_TRUE(CaretBecomes(1, 12)) << Data().GetCurItemNo() << ", " << Data().GetOffsetInCurItem();
}

TEST_F(RollViewEditMouseXvfbChildTest, ASmallerWindowRewrapsTheText)
{
    Edit->SetAlign(alClient);
    Three();
    Xdo("windowsize " + Window + " 100 300");
    TRVEditRVData& d = Data();
    ASSERT_TRUE(
        WaitUntil([&] { return Edit->Width() < 150 && d.DrawItems.Count() > 3; }, WaitDeadlineMs, PumpEvents))
        << Edit->Width() << " pixels wide, " << d.DrawItems.Count() << " lines";
    for (int i = 0; i < d.DrawItems.Count(); ++i)
        EXPECT_LE(d.DrawItems[i]->Left + d.DrawItems[i]->Width - Edit->HPos(), Edit->ClientWidth()) << i;
}

TEST_F(RollViewEditMouseXvfbChildTest, AReadOnlyEditorUndoesNothingAndFollowsItsLinks)
{
    Load("see ");
    const int link = Style->TextStyles()->Count();
    Style->TextStyles()->Add()->SetJump(true);
    Data().AddNL("here", link, -1);
    Edit->Format();
    Data().SetCaretAtItem(0, 1, false);
    Xdo("type ab");
    ASSERT_TRUE(TextBecomes("absee here"));
    std::vector<int> jumps;
    Edit->OnJump = [&](TObject*, int id) { jumps.push_back(id); };
    Edit->SetReadOnly(true);
    Xdo("key ctrl+z");
    // The click on the link comes after the key: once it is handled, so is the key.
    Xdo("mousemove " + XdoPoint(ScreenPointOf(1, 3)) + " click 1");
    EXPECT_TRUE(WaitUntil([&] { return !jumps.empty(); }, WaitDeadlineMs, PumpEvents));
    EXPECT_EQ(jumps, std::vector<int>({0}));
    EXPECT_EQ(Text(), "absee here");
}

TEST_F(RollViewEditMouseXvfbChildTest, TheScreenAfterEditingIsWhatPaintingAfreshShows)
{
    Three();
    const TPoint inFirst = ScreenPointOf(0, 3);
    Data().SetCaretAtItem(1, 6, false);
    Xdo("type --delay 20 typed");
    Xdo("key Return BackSpace BackSpace Return ctrl+z");
    Xdo("mousemove " + XdoPoint(inFirst) + " click 1");
    Xdo("key End Return");
    // The picture is taken once every key and the click are handled.
    ASSERT_TRUE(TextBecomes("alpha beta gamma||deltatype epsilon zeta|eta theta iota")) << Text();
    // Without the focus the caret is not drawn in either picture: the form's
    // own window takes the keyboard.
    ::SetFocus(Form->Handle());
    ASSERT_FALSE(Edit->Focused());
    TPixelBuffer shown;
    ASSERT_TRUE(GrabWindow(Edit, shown));
    Edit->Invalidate();
    TPixelBuffer afresh;
    ASSERT_TRUE(GrabWindow(Edit, afresh));
    ASSERT_EQ(shown.Width, afresh.Width);
    ASSERT_EQ(shown.Height, afresh.Height);
    int differing = 0;
    for (int y = 0; y < shown.Height; ++y)
        for (int x = 0; x < shown.Width; ++x)
            differing += shown.Pixels[static_cast<size_t>(y * shown.Width + x)] !=
                         afresh.Pixels[static_cast<size_t>(y * shown.Width + x)];
    EXPECT_EQ(differing, 0) << "pixels left from earlier paints";
}

} // namespace
