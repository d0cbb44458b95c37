// The viewer as a user meets it, offscreen, through the toolkit's own input
// events: a pane of 10,000 lines scrolled with the keys, the wheel and the
// scroll bar, showing the lines the position says; a drag below the window
// that scrolls; a drag and a hyperlink press that survive the
// pane being appended to; the hyperlink cursor.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/pumpevents.h"
#include "tests/support/testrvfdata.h"
#include "view/rollview.h"

namespace {

class RollViewUserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 500, 400);
        Style = new TRVStyle(Form);
        View = new TRollView(Form);
        View->SetBounds(0, 0, 400, 300);
        View->SetStyle(Style);
        View->SetParent(Form);
        Form->Show();
        View->SetFocus();
        View->OnSelect = [this](TObject*) { ++Selects; };
        View->OnJump = [this](TObject*, int id) { Jumps.push_back(id); };
        View->OnRVMouseMove = [this](TObject*, int id) { Hovers.push_back(id); };
    }
    void TearDown() override { Form->Free(); }

    // Lines "line <i> alpha beta gamma", each a paragraph of its own.
    void AddLines(int count, int from = 0)
    {
        for (int i = from; i < from + count; ++i)
            View->AddNL("line " + std::to_string(i) + " alpha beta gamma", 0, 0);
    }
    void AddLinesAndFormat(int count)
    {
        AddLines(count);
        View->Format();
    }
    const TRVDrawLineInfo* DrawItemOf(int itemNo)
    {
        return View->RVData->DrawItems[View->RVData->GetItem(itemNo)->DrawItemNo];
    }
    // Shows item itemNo near the top of the view.
    void ScrollToItem(int itemNo) { View->SetVScrollPos(DrawItemOf(itemNo)->Top / View->VSmallStep()); }
    // The client point over character offs (1-based) of item itemNo, measured
    // on the pane's own canvas.
    TPoint At(int itemNo, int offs)
    {
        const TRVDrawLineInfo* dli = DrawItemOf(itemNo);
        TCustomRVFormattedData* data = View->RVData;
        TCanvas* canvas = data->GetCanvas();
        Style->ApplyStyle(canvas, data->GetItemStyle(itemNo), rvbdUnspecified);
        const AnsiString& text = data->GetItemText(itemNo);
        const TRVItemOptions options = data->GetItemOptions(itemNo);
        const int before = RVU_TextWidth(RVU_Copy(text, 1, offs - 1, options), canvas, options);
        const int width = RVU_TextWidth(RVU_Copy(text, offs, 1, options), canvas, options);
        return {dli->Left + before + width / 2 - View->HPos(), dli->Top + dli->Height / 2 - data->GetVOffs()};
    }
    TSel Selection()
    {
        TSel s;
        View->GetSelectionBounds(s.StartItem, s.StartOffs, s.EndItem, s.EndOffs, true);
        return s;
    }
    void Drag(TPoint from, TPoint to)
    {
        SimulateMouseDown(View, mbLeft, from.X, from.Y);
        SimulateMouseMove(View, (from.X + to.X) / 2, (from.Y + to.Y) / 2, {ssLeft});
        SimulateMouseMove(View, to.X, to.Y, {ssLeft});
        SimulateMouseUp(View, mbLeft, to.X, to.Y);
    }
    // The texts the document paints into the client area now, top to bottom.
    std::vector<std::string> PaintedLines()
    {
        TRecordingCanvas canvas(400, 300);
        View->RVData->PaintTo(&canvas, View->ClientRect());
        std::vector<std::string> lines;
        for (const TCanvasRecord* t : canvas.RecordsOf(TCanvasOp::Text))
            lines.push_back(t->TextUtf8());
        return lines;
    }
    void NoScrollToEnd() { View->SetOptions(View->Options() - TRVOptions{rvoScrollToEnd}); }

    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TRollView* View = nullptr;
    int Selects = 0;
    std::vector<int> Jumps;
    std::vector<int> Hovers;
};

TEST_F(RollViewUserTest, KeysWheelAndScrollBarMoveTheViewAndThePaintFollows)
{
    AddLinesAndFormat(10000);
    ASSERT_EQ(View->RVData->DrawItems.Count(), 10000);
    EXPECT_EQ(View->VRange(), (View->GetDocumentHeight() + 9) / 10);
    auto lines = PaintedLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "line 0 alpha beta gamma");
    EXPECT_LT(lines.size(), 40u) << "only what the window shows is painted";
    const int max = View->GetVScrollMax();
    struct TStep {
        const char* Name;
        std::function<void()> Act;
        int Pos;
    };
    const TStep steps[] = {
        {"down", [&] { SimulateKey(View, VK_DOWN); }, 1},
        {"end", [&] { SimulateKey(View, VK_END); }, max},
        {"home", [&] { SimulateKey(View, VK_HOME); }, 0},
        {"a wheel notch", [&] { SimulateWheel(View, -WHEEL_DELTA, 100, 100); }, 2},
        {"half a notch", [&] { SimulateWheel(View, -WHEEL_DELTA / 2, 100, 100); }, 2},
        {"the other half", [&] { SimulateWheel(View, -WHEEL_DELTA / 2, 100, 100); }, 4},
        {"the thumb to the middle", [&] { SimulateScrollBar(View, SB_VERT, SB_THUMBPOSITION, max / 2); },
         max / 2},
        {"the bar to the bottom", [&] { SimulateScrollBar(View, SB_VERT, SB_BOTTOM); }, max},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Name);
        step.Act();
        EXPECT_EQ(View->VPos(), step.Pos);
        // The line at the top is the one the position says.
        lines = PaintedLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), View->GetItemText(View->GetFirstItemVisible()));
    }
    EXPECT_EQ(View->GetLastItemVisible(), 9999);
    EXPECT_EQ(lines.back(), "line 9999 alpha beta gamma");
}

TEST_F(RollViewUserTest, AppendingScrollsToTheEndUnlessAskedNot)
{
    AddLinesAndFormat(1000);
    AddLines(10, 1000);
    View->FormatTail();
    EXPECT_EQ(View->RVData->DrawItems.Count(), 1010);
    EXPECT_EQ(View->GetLastItemVisible(), 1009);
    NoScrollToEnd();
    View->SetVScrollPos(100);
    AddLines(1, 1010);
    View->FormatTail();
    EXPECT_EQ(View->VPos(), 100);
}

TEST_F(RollViewUserTest, DraggingBelowThePaneScrollsItAndSelectsToItsBottom)
{
    AddLinesAndFormat(10000);
    ScrollToItem(100);
    const int startPos = View->VPos();
    const TPoint from = At(102, 1);
    SimulateMouseDown(View, mbLeft, from.X, from.Y);
    const int below = View->ClientHeight() + 30;
    SimulateMouseMove(View, from.X, below, {ssLeft});
    EXPECT_EQ(View->ScrollDeltaY, 10);
    // The auto-scroll timer moves the view ten units a tick.
    EXPECT_TRUE(
        WaitUntil([&] { return View->VPos() >= startPos + 30; }, [&] { return View->VPos(); }, PumpEvents));
    SimulateMouseUp(View, mbLeft, from.X, below);
    EXPECT_FALSE(View->ScrollTimerActive());
    const int lastShown = View->RVData->GetLastItemVisible();
    const TSel s = Selection();
    EXPECT_EQ(s.StartItem, 102);
    EXPECT_GE(s.EndItem, lastShown - 1);
    EXPECT_LE(s.EndItem, lastShown);
    // Released: once the events waiting now are handled, the view stays.
    const int posAfter = View->VPos();
    bool delivered = false;
    View->OnClick = [&](TObject*) { delivered = true; };
    View->PostRVEvent(std::make_unique<TRVClickMessageData>());
    ASSERT_TRUE(WaitUntil([&] { return delivered; }, WaitDeadlineMs, PumpEvents));
    EXPECT_EQ(View->VPos(), posAfter);
}

// Enough lines appended to show the scroll bar make the pane narrower, and the
// whole document is laid out again for it: a drag or a hyperlink press under
// way goes on.
TEST_F(RollViewUserTest, APaneAppendedToWhileTheUserDragsKeepsTheDrag)
{
    NoScrollToEnd();
    AddLinesAndFormat(8);
    const int widthBefore = View->ClientWidth();
    const TPoint from = At(1, 3);
    SimulateMouseDown(View, mbLeft, from.X, from.Y);
    SimulateMouseMove(View, At(2, 4).X, At(2, 4).Y, {ssLeft});
    AddLines(200, 8);
    View->FormatTail();
    ASSERT_EQ(View->RVData->DrawItems.Count(), 208);
    ASSERT_LT(View->ClientWidth(), widthBefore);
    EXPECT_TRUE(View->RVData->State.Contains(rvstMakingSelection));
    const TPoint to = At(5, 8);
    SimulateMouseMove(View, to.X, to.Y, {ssLeft});
    SimulateMouseUp(View, mbLeft, to.X, to.Y);
    EXPECT_EQ(Selection(), (TSel{1, 3, 5, 8}));
    EXPECT_EQ(Selects, 1);
}

TEST_F(RollViewUserTest, APaneAppendedToKeepsTheHoveredAndThePressedHyperlink)
{
    NoScrollToEnd();
    AddLines(3);
    View->AddNL("open ", 0, 0);
    View->AddNL("the report", 4, -1); // item 4, hyperlink 0
    View->Format();
    const TPoint link = At(4, 3);
    SimulateMouseMove(View, link.X, link.Y);
    SimulateMouseDown(View, mbLeft, link.X, link.Y);
    AddLines(200, 3);
    View->FormatTail();
    ASSERT_LT(View->ClientWidth(), View->Width() - 10);
    SimulateMouseMove(View, link.X, link.Y + 1, {ssLeft});
    EXPECT_EQ(Hovers, std::vector<int>({0})) << "the pointer never left the hyperlink";
    SimulateMouseUp(View, mbLeft, link.X, link.Y + 1);
    EXPECT_EQ(Jumps, std::vector<int>({0}));
}

TEST_F(RollViewUserTest, AHyperlinkUnderThePointerSetsTheWindowsCursor)
{
    AddLines(50);
    View->AddNL("open ", 0, 0);
    View->AddNL("the report", 4, -1); // item 51, hyperlink 0
    AddLines(50, 50);
    View->SetFirstJumpNo(100);
    View->Format();
    ScrollToItem(48);
    const TPoint link = At(51, 3);
    const TPoint plain = At(49, 2);
    SimulateMouseMove(View, link.X, link.Y);
    EXPECT_EQ(Hovers, std::vector<int>({100}));
    // The window shows the hyperlink cursor; the viewer's own setting stays.
    EXPECT_EQ(View->TControl::Cursor(), Style->TextStyles()->Items(4)->JumpCursor());
    EXPECT_EQ(View->Cursor(), 0);
    SimulateMouseMove(View, plain.X, plain.Y);
    EXPECT_EQ(Hovers, std::vector<int>({100, -1}));
    EXPECT_EQ(View->TControl::Cursor(), 0);
}

} // namespace
