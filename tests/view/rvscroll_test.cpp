// The scrolling control base: ranges and clamping, vertical units, child
// controls following the view, scroll-bar messages, keys and wheel, 32-bit
// positions, repainting on scroll and the chosen sub-document.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/canvas.h"
#include "tests/support/testrvdata.h"
#include "view/rvscroll.h"

namespace {

// A scroller as a viewer uses it: it logs what it paints and answers the
// chosen-data hooks the way the viewer does.
class TTestScroller : public TRVScroller {
public:
    explicit TTestScroller(TComponent* owner) : TRVScroller(owner) {}

    std::vector<TRect> Paints;
    int VScrolls = 0;
    int HScrolls = 0;
    // The cell editor, while EditorData is the chosen data.
    TWinControl* Editor = nullptr;
    TCustomRVData* EditorData = nullptr;
    std::vector<TCustomRVData*> Deselected;

protected:
    void Paint() override { Paints.push_back(Canvas()->ClipRect()); }
    void AfterVScroll() override
    {
        ++VScrolls;
        TRVScroller::AfterVScroll();
    }
    void AfterHScroll() override
    {
        ++HScrolls;
        TRVScroller::AfterHScroll();
    }
    void DeselectChosenData(TCustomRVData* rvData) override { Deselected.push_back(rvData); }
    TWinControl* GetChosenDataEditor(TCustomRVData* rvData) override
    {
        return rvData == EditorData ? Editor : nullptr;
    }
};

// An item that counts how often it was told its sub-document is no longer chosen.
class TChosenItem : public TCustomRVItemInfo {
public:
    explicit TChosenItem(TCustomRVData* rvData) : TCustomRVItemInfo(rvData) {}
    void CleanUpChosen() override { ++CleanUps; }
    int CleanUps = 0;
};

class RVScrollerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 400, 300);
        View = new TTestScroller(Form);
        View->SetBounds(0, 0, 200, 100);
        View->SetParent(Form);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }

    // A document heightPx pixels high (in units of the current step) and width wide.
    void SetDocument(int width, int heightPx)
    {
        const int step = View->VSmallStep();
        View->UpdateScrollBars(width, heightPx / step + (heightPx % step ? 1 : 0), true, true);
    }
    bool VBarShown() { return (GetWindowLong(View->Handle(), GWL_STYLE) & WS_VSCROLL) != 0; }
    void Scroll(UINT msg, int code, int pos = 0) { View->Perform(msg, MAKEWPARAM(code, pos), 0); }
    TWinControl* AddChild(TWinControl* parent, int tag)
    {
        auto* child = new TWinControl(parent);
        child->SetParent(parent);
        child->SetTag(tag);
        return child;
    }

    TForm* Form = nullptr;
    TTestScroller* View = nullptr;
};

} // namespace

TEST_F(RVScrollerTest, PositionsAreClampedAndAShrinkingDocumentPullsThemBack)
{
    EXPECT_FALSE(VBarShown());
    SetDocument(100, 2000);
    ASSERT_TRUE(VBarShown());
    View->SetVPos(150, true);
    ASSERT_EQ(View->VPos(), 150);
    SetDocument(100, 1000);
    const int page = View->VPage();
    EXPECT_EQ(View->VPos(), 100 - page);
    // With the bar shown, and kept hidden (the scroller's own clamping).
    for (bool visible : {true, false}) {
        View->SetVScrollVisible(visible);
        View->SetVPos(5000, true);
        EXPECT_EQ(View->VPos(), 100 - page) << visible;
        View->SetVPos(-7, true);
        EXPECT_EQ(View->VPos(), 0) << visible;
    }
    View->SetVScrollVisible(true);
    // A document narrower than the window has no horizontal room to scroll.
    View->SetHPos(80);
    EXPECT_EQ(View->HPos(), 0);
    // Shorter than the page: positions stay 0 and the bar hides.
    SetDocument(100, 30);
    EXPECT_EQ(View->VPos(), 0);
    EXPECT_FALSE(VBarShown());
    View->VScrolls = 0;
    View->SetVPos(3, true);
    EXPECT_EQ(View->VPos(), 0);
    EXPECT_EQ(View->VScrolls, 0) << "no event without a change";
}

TEST_F(RVScrollerTest, ChildControlsFollowTheView)
{
    SetDocument(100, 1000);
    TWinControl* nearChild = AddChild(View, 50);
    nearChild->SetBounds(5, 50, 20, 10);
    TWinControl* farChild = AddChild(View, 10020);
    RV_Tag2Y(farChild);
    EXPECT_EQ(farChild->Top(), 10000);
    View->SetVPos(3, true); // three units of 10 pixels: 30 pixels up
    EXPECT_EQ(nearChild->Top(), 20);
    EXPECT_EQ(farChild->Top(), 9990);
    View->SetVPos(0, false); // without repainting the children still move
    EXPECT_EQ(nearChild->Top(), 50);
    SetDocument(1000, 1000);
    View->SetHPos(15);
    EXPECT_EQ(nearChild->Left(), -10);
    EXPECT_EQ(View->HScrolls, 1);
}

TEST_F(RVScrollerTest, ScrollBarMessagesKeysAndWheel)
{
    SetDocument(1000, 1000);
    View->SetFocus();
    const int page = View->ClientHeight() / 10;
    const int max = View->GetVScrollMax();
    struct TStep {
        const char* Name;
        std::function<void()> Act;
        int VPos, HPos;
    };
    auto vMsg = [&](int code, int pos = 0) { return [=] { Scroll(WM_VSCROLL, code, pos); }; };
    auto key = [&](WORD k, TShiftState shift = TShiftState()) {
        return [=] { SimulateKey(View, k, shift); };
    };
    auto bar = [&](int code, int pos = 0) {
        return [=] { ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, code, pos)); };
    };
    auto wheel = [&](int delta) { return [=] { SimulateWheel(View, delta, 10, 10); }; };
    const TStep steps[] = {
        {"line down", vMsg(SB_LINEDOWN), 1, 0},
        {"page down", vMsg(SB_PAGEDOWN), 1 + page, 0},
        {"page up", vMsg(SB_PAGEUP), 1, 0},
        {"line up", vMsg(SB_LINEUP), 0, 0},
        {"bottom", vMsg(SB_BOTTOM), max, 0},
        {"top", vMsg(SB_TOP), 0, 0},
        {"thumb track", vMsg(SB_THUMBTRACK, 20), 20, 0},
        {"a horizontal line right", [&] { Scroll(WM_HSCROLL, SB_LINERIGHT); }, 20, 10},
        {"a horizontal line left", [&] { Scroll(WM_HSCROLL, SB_LINELEFT); }, 20, 0},
        {"the bar's line down", bar(SB_LINEDOWN), 21, 0},
        {"the bar's thumb let go", bar(SB_THUMBPOSITION, 35), 35, 0},
        {"the bar's bottom", bar(SB_BOTTOM), max, 0},
        {"Home", key(VK_HOME), 0, 0},
        {"Down", key(VK_DOWN), 1, 0},
        {"Page Down", key(VK_NEXT), 1 + page, 0},
        {"Home again", key(VK_HOME), 0, 0},
        {"Shift+Right", key(VK_RIGHT, {ssShift}), 0, 10},
        {"Left", key(VK_LEFT), 0, 0},
        {"a wheel notch", wheel(-WHEEL_DELTA), 2, 0},
        {"two notches", wheel(-2 * WHEEL_DELTA), 6, 0},
        {"a notch back", wheel(WHEEL_DELTA), 4, 0},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Name);
        step.Act();
        EXPECT_EQ(View->VPos(), step.VPos);
        EXPECT_EQ(View->HPos(), step.HPos);
    }
    // Without tracking the thumb moves nothing until it is let go.
    View->SetTracking(false);
    Scroll(WM_VSCROLL, SB_THUMBTRACK, 40);
    EXPECT_EQ(View->VPos(), 4);
    Scroll(WM_VSCROLL, SB_THUMBPOSITION, 40);
    EXPECT_EQ(View->VPos(), 40);
    // No key scrolls when keyboard scrolling is off.
    View->SetKeyboardScroll(false);
    SimulateKey(View, VK_NEXT);
    EXPECT_EQ(View->VPos(), 40);
    // A wheel step of 0 neither scrolls nor takes the wheel: it goes on to the parent.
    int formWheels = 0;
    Form->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool&) { ++formWheels; };
    View->SetWheelStep(0);
    SimulateWheel(View, -WHEEL_DELTA, 10, 10);
    EXPECT_EQ(View->VPos(), 40);
    EXPECT_EQ(formWheels, 1);
}

// The horizontal bar counts pixels: a line is one vertical step of pixels, a
// page the client width; the ends and the start clamp like the vertical bar.
TEST_F(RVScrollerTest, HorizontalBarMessagesInPixels)
{
    SetDocument(5000, 1000);
    const int width = View->ClientWidth();
    const int step = View->VSmallStep();
    ASSERT_GT(width, step);
    Scroll(WM_HSCROLL, SB_PAGERIGHT);
    EXPECT_EQ(View->HPos(), width);
    Scroll(WM_HSCROLL, SB_LINERIGHT);
    EXPECT_EQ(View->HPos(), width + step);
    Scroll(WM_HSCROLL, SB_PAGELEFT);
    EXPECT_EQ(View->HPos(), step);
    Scroll(WM_HSCROLL, SB_PAGELEFT);
    EXPECT_EQ(View->HPos(), 0) << "clamped at the start";
    Scroll(WM_HSCROLL, SB_RIGHT);
    EXPECT_EQ(View->HPos(), 5000 - width);
    Scroll(WM_HSCROLL, SB_PAGERIGHT);
    EXPECT_EQ(View->HPos(), 5000 - width) << "clamped at the end";
    Scroll(WM_HSCROLL, SB_LEFT);
    EXPECT_EQ(View->HPos(), 0);
    EXPECT_EQ(View->VPos(), 0) << "the other bar never moves";
}

TEST_F(RVScrollerTest, HorizontalPositionsBeyondSixteenBits)
{
    SetDocument(200000, 1000);
    View->SetHPos(40000);
    EXPECT_EQ(View->HPos(), 40000);
    // A thumb position between 32768 and 65535 in the message's 16 bits is not negative.
    Scroll(WM_HSCROLL, SB_THUMBPOSITION, 50000);
    EXPECT_EQ(View->HPos(), 50000);
    // Dragging the thumb beyond 16 bits: the bar's own 32-bit track position counts.
    ASSERT_TRUE(SimulateScrollBar(View, SB_HORZ, SB_THUMBTRACK, 150000));
    EXPECT_EQ(View->HPos(), 150000);
    // Without tracking, the position of the drag counts when the thumb is let go.
    View->SetTracking(false);
    ASSERT_TRUE(SimulateScrollBar(View, SB_HORZ, SB_THUMBTRACK, 180000));
    EXPECT_EQ(View->HPos(), 150000);
    ASSERT_TRUE(SimulateScrollBar(View, SB_HORZ, SB_THUMBPOSITION, 170000));
    EXPECT_EQ(View->HPos(), 170000);
    Scroll(WM_HSCROLL, SB_RIGHT);
    EXPECT_EQ(View->HPos(), 200000 - View->ClientWidth());
}

TEST_F(RVScrollerTest, MillionsOfLinesKeepTheNormalStepAndPaging)
{
    SetDocument(100, 13000000); // a million lines of 13 pixels in units of 10
    EXPECT_EQ(View->VSmallStep(), 10);
    EXPECT_EQ(View->VRange(), 1300000);
    const int page = View->VPage();
    View->SetVPos(1000000, true);
    Scroll(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(View->VPos(), 1000000 + page);
    Scroll(WM_VSCROLL, SB_PAGEUP);
    Scroll(WM_VSCROLL, SB_PAGEUP);
    EXPECT_EQ(View->VPos(), 1000000 - page);
    ASSERT_TRUE(SimulateScrollBar(View, SB_VERT, SB_THUMBTRACK, 1234567));
    EXPECT_EQ(View->VPos(), 1234567);
    Scroll(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(View->VPos(), 1300000 - page);
}

TEST_F(RVScrollerTest, PageIsAtLeastOneUnit)
{
    SetDocument(100, 1000);
    View->SetVSmallStep(500); // larger than the client area
    View->UpdateScrollBars(100, 2, true, true);
    EXPECT_EQ(View->VPage(), 1);
    View->SetVPos(0, true);
    Scroll(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(View->VPos(), 1);
}

TEST_F(RVScrollerTest, StepChangeKeepsTheViewInPlace)
{
    SetDocument(100, 10000);
    TWinControl* child = AddChild(View, 100);
    View->SetVPos(500, true); // pixel 5000
    EXPECT_EQ(child->Tag(), -4900);
    View->SetVSmallStep(13);
    // 5000 / 13 = 384 units = pixel 4992: the document moved 8 pixels down.
    EXPECT_EQ(View->VPos(), 384);
    EXPECT_EQ(child->Tag(), -4892);
    SetDocument(100, 10000);
    EXPECT_EQ(View->VPos(), 384);
    EXPECT_EQ(View->VRange(), 770);
    View->SetVSmallStep(10);
    EXPECT_EQ(View->VPos(), 499);
    View->SetVSmallStep(0); // steps below 1 are never taken
    View->SetVSmallStep(-3);
    EXPECT_EQ(View->VSmallStep(), 10);
}

TEST_F(RVScrollerTest, ScrollingRepaintsTheUncoveredStripOrEverythingAndReportsOnlyChanges)
{
    SetDocument(1000, 1000);
    View->Update();
    View->Paints.clear();
    int vEvents = 0, hEvents = 0;
    View->OnVScrolled = [&](TObject*) { ++vEvents; };
    View->OnHScrolled = [&](TObject*) { ++hEvents; };
    const int w = View->ClientWidth();
    const int h = View->ClientHeight();
    View->SetVPos(3, true);
    EXPECT_EQ(View->Paints, std::vector<TRect>{Rect(0, h - 30, w, h)}) << "painted before SetVPos returned";
    View->Paints.clear();
    View->SetVPos(0, false);
    View->Update();
    EXPECT_TRUE(View->Paints.empty()) << "the caller repaints";
    View->SetFullRedrawOnScroll(true);
    View->SetVPos(2, true);
    EXPECT_EQ(View->Paints, std::vector<TRect>{Rect(0, 0, w, h)});
    View->SetVPos(2, true);
    View->SetHPos(30);
    View->SetHPos(30);
    EXPECT_EQ(vEvents, 3);
    EXPECT_EQ(hEvents, 1);
}

TEST_F(RVScrollerTest, ChosenDataAndItsEditor)
{
    TTestRVData root;
    TTestSubRVData cell(&root);
    TTestSubRVData other(&root);
    TChosenItem item(&root);
    auto* editor = new TTestScroller(View);
    editor->SetParent(View);
    editor->SetBounds(10, 40, 50, 20);
    View->Editor = editor;
    View->EditorData = &cell;
    View->AssignChosenRVData(&cell, &item);
    EXPECT_EQ(editor->Tag(), 40) << "the editor's Y is kept in its Tag";
    View->UnassignChosenRVData(&other); // other data: nothing happens
    EXPECT_EQ(View->ChosenRVData(), &cell);
    View->UnassignChosenRVData(&cell);
    EXPECT_EQ(View->Deselected, std::vector<TCustomRVData*>{&cell});
    EXPECT_EQ(item.CleanUps, 1);
    // Choosing another sub-document frees the editor of the one before.
    View->AssignChosenRVData(&cell, &item);
    View->AssignChosenRVData(&other, nullptr);
    View->Editor = nullptr;
    EXPECT_EQ(View->ControlCount(), 0) << "the in-place editor was freed";
    EXPECT_EQ(item.CleanUps, 2);
}
