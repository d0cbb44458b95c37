// The viewer as a user meets it, offscreen: a pane of 10,000 lines scrolled
// with the keys, the wheel and the scroll bar, showing the lines the position
// says; and lines appended while the user drags a selection.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/recordingcanvas.h"
#include "view/rollview.h"

namespace {

constexpr int LineCount = 10000;

class RollViewUserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 400, 300);
        Style = new TRVStyle(Form);
        View = new TRollView(Form);
        View->SetAlign(alClient);
        View->SetStyle(Style);
        View->SetParent(Form);
        Form->Show();
        for (int i = 0; i < LineCount; ++i)
            View->AddNL("line " + std::to_string(i), 0, 0);
        View->Format();
        View->SetFocus();
    }
    void TearDown() override { Form->Free(); }

    // The texts the document paints into the window's client area now, top to
    // bottom (the window copies them from its off-screen bitmap).
    std::vector<std::string> PaintedLines()
    {
        TRecordingCanvas Canvas(400, 300);
        View->RVData->PaintTo(&Canvas, View->ClientRect());
        std::vector<std::string> Lines;
        for (const TCanvasRecord* t : Canvas.RecordsOf(TCanvasOp::Text))
            Lines.push_back(t->TextUtf8());
        return Lines;
    }
    // The item whose line is at the top of the view.
    int TopLine() { return View->GetFirstItemVisible(); }
    int LineHeight() { return View->RVData->DrawItems[1]->Top - View->RVData->DrawItems[0]->Top; }

    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TRollView* View = nullptr;
};

TEST_F(RollViewUserTest, TheWholeDocumentIsLaidOutAndTheTopIsShown)
{
    ASSERT_EQ(View->RVData->DrawItems.Count(), LineCount);
    EXPECT_EQ(View->VPos(), 0);
    EXPECT_EQ(View->VSmallStep(), 10);
    EXPECT_EQ(View->VRange(), (View->GetDocumentHeight() + 9) / 10);
    const auto Lines = PaintedLines();
    ASSERT_FALSE(Lines.empty());
    EXPECT_EQ(Lines.front(), "line 0");
    // Only what the window shows is painted.
    EXPECT_LT(Lines.size(), 40u);
}

TEST_F(RollViewUserTest, KeysScrollByLinePageAndToEitherEnd)
{
    SimulateKey(View, VK_DOWN);
    EXPECT_EQ(View->VPos(), 1);
    SimulateKey(View, VK_NEXT);
    EXPECT_EQ(View->VPos(), 1 + View->VPage());
    SimulateKey(View, VK_END);
    EXPECT_EQ(View->VPos(), View->GetVScrollMax());
    EXPECT_EQ(View->GetLastItemVisible(), LineCount - 1);
    const auto Lines = PaintedLines();
    ASSERT_FALSE(Lines.empty());
    EXPECT_EQ(Lines.back(), "line 9999");
    SimulateKey(View, VK_PRIOR);
    EXPECT_EQ(View->VPos(), View->GetVScrollMax() - View->VPage());
    SimulateKey(View, VK_UP);
    EXPECT_EQ(View->VPos(), View->GetVScrollMax() - View->VPage() - 1);
    SimulateKey(View, VK_HOME);
    EXPECT_EQ(View->VPos(), 0);
    EXPECT_EQ(PaintedLines().front(), "line 0");
}

TEST_F(RollViewUserTest, TheWheelScrollsTwoUnitsANotch)
{
    SimulateWheel(View, -WHEEL_DELTA, 100, 100);
    EXPECT_EQ(View->VPos(), 2);
    SimulateWheel(View, -3 * WHEEL_DELTA, 100, 100);
    EXPECT_EQ(View->VPos(), 8);
    SimulateWheel(View, WHEEL_DELTA, 100, 100);
    EXPECT_EQ(View->VPos(), 6);
    // Half notches add up.
    SimulateWheel(View, -WHEEL_DELTA / 2, 100, 100);
    EXPECT_EQ(View->VPos(), 6);
    SimulateWheel(View, -WHEEL_DELTA / 2, 100, 100);
    EXPECT_EQ(View->VPos(), 8);
}

TEST_F(RollViewUserTest, TheScrollBarMovesTheViewAndThePaintFollows)
{
    const int Middle = View->GetVScrollMax() / 2;
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_THUMBPOSITION, Middle));
    EXPECT_EQ(View->VPos(), Middle);
    // The line at the top is the one at that height of the document.
    const int Expected = View->RVData->GetFirstItemVisible();
    EXPECT_NEAR(Expected, Middle * 10 / LineHeight(), 1);
    const auto Lines = PaintedLines();
    ASSERT_FALSE(Lines.empty());
    EXPECT_EQ(Lines.front(), "line " + std::to_string(Expected));
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_LINEDOWN));
    EXPECT_EQ(View->VPos(), Middle + 1);
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_PAGEUP));
    EXPECT_EQ(View->VPos(), Middle + 1 - View->VPage());
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_BOTTOM));
    EXPECT_EQ(View->VPos(), View->GetVScrollMax());
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_TOP));
    EXPECT_EQ(View->VPos(), 0);
}

TEST_F(RollViewUserTest, AppendingScrollsToTheEndAndKeepsTheTopWhenAskedNot)
{
    for (int i = 0; i < 10; ++i)
        View->AddNL("new " + std::to_string(i), 0, 0);
    View->FormatTail();
    EXPECT_EQ(View->RVData->DrawItems.Count(), LineCount + 10);
    EXPECT_EQ(View->GetLastItemVisible(), LineCount + 9);
    TRVOptions Options = View->Options();
    Options.Exclude(rvoScrollToEnd);
    View->SetOptions(Options);
    View->SetVScrollPos(100);
    View->AddNL("more", 0, 0);
    View->FormatTail();
    EXPECT_EQ(View->VPos(), 100);
}

TEST_F(RollViewUserTest, LinesAppendedDuringADragDoNotCancelIt)
{
    // A pane that is not full yet: the poll that fills it shows the scroll
    // bar, and the narrower pane is laid out again from the top.
    View->Clear();
    for (int i = 0; i < 5; ++i)
        View->AddNL("line " + std::to_string(i), 0, 0);
    View->Format();
    ASSERT_EQ(View->VRange() <= View->VPage(), true);
    TRVOptions Options = View->Options();
    Options.Exclude(rvoScrollToEnd);
    View->SetOptions(Options);
    const TRVDrawLineInfo* First = View->RVData->DrawItems[0];
    const TRVDrawLineInfo* Third = View->RVData->DrawItems[2];
    SimulateMouseDown(View, mbLeft, First->Left + 1, First->Top + First->Height / 2);
    SimulateMouseMove(View, Third->Left + 10, Third->Top + Third->Height / 2, TShiftState{ssLeft});
    ASSERT_TRUE(View->RVData->State.Contains(rvstMakingSelection));
    const int Width = View->ClientWidth();
    for (int i = 5; i < 200; ++i)
        View->AddNL("line " + std::to_string(i), 0, 0);
    View->FormatTail();
    ASSERT_LT(View->ClientWidth(), Width); // the bar came
    EXPECT_EQ(View->RVData->DrawItems.Count(), 200);
    EXPECT_TRUE(View->RVData->State.Contains(rvstMakingSelection));
    const TRVDrawLineInfo* Fifth = View->RVData->DrawItems[4];
    SimulateMouseMove(View, Fifth->Left + 10, Fifth->Top + Fifth->Height / 2, TShiftState{ssLeft});
    SimulateMouseUp(View, mbLeft, Fifth->Left + 10, Fifth->Top + Fifth->Height / 2);
    int StartItem, StartOffs, EndItem, EndOffs;
    View->GetSelectionBounds(StartItem, StartOffs, EndItem, EndOffs, true);
    EXPECT_EQ(StartItem, 0);
    EXPECT_EQ(EndItem, 4);
    EXPECT_TRUE(View->SelectionExists());
}

} // namespace
