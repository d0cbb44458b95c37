// The splitter: which control it resizes, dragging it with the mouse, the
// limits of the new size, and OnCanResize.
#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/extctrls_splitter.h"
#include "platform/controls/forms.h"

namespace {

// A form holding, from the top: a pane, a splitter 2 pixels high, a second pane.
class SplitterTest : public ::testing::Test {
protected:
    SplitterTest()
    {
        form->SetBounds(0, 0, 300, 200);
        form->SetClientHeight(200);
        upper = AddPane(0, 100);
        splitter = new TSplitter(form.get());
        splitter->SetParent(form.get());
        splitter->SetAlign(alTop);
        splitter->SetBounds(0, 100, 300, 2);
        splitter->SetMinSize(1);
        lower = AddPane(102, 60);
        splitter->OnMoved = [this](TObject* Sender) {
            EXPECT_EQ(Sender, splitter);
            ++moved;
        };
        form->Show();
    }

    TCustomControl* AddPane(int top, int height)
    {
        auto* pane = new TCustomControl(form.get());
        pane->SetParent(form.get());
        pane->SetAlign(alTop);
        pane->SetBounds(0, top, 300, height);
        return pane;
    }

    void Mouse(UINT message, int x, int y)
    {
        WPARAM keys = message == WM_LBUTTONUP ? WPARAM(0) : WPARAM(MK_LBUTTON);
        splitter->Perform(message, keys, PointToLParam(x, y));
    }

    // Presses at the splitter's middle, moves by Dy (relative to where the
    // splitter is at each step, as the mouse events come) and releases.
    void Drag(int dy)
    {
        Mouse(WM_LBUTTONDOWN, 5, 1);
        int pressedAt = splitter->Top() + 1;
        Mouse(WM_MOUSEMOVE, 5, pressedAt + dy / 2 - splitter->Top());
        Mouse(WM_MOUSEMOVE, 5, pressedAt + dy - splitter->Top());
        Mouse(WM_LBUTTONUP, 5, pressedAt + dy - splitter->Top());
    }

    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TCustomControl* upper;
    TCustomControl* lower;
    TSplitter* splitter;
    int moved = 0;
};

TEST_F(SplitterTest, ResizesTheControlAboveIt)
{
    ASSERT_EQ(form->ClientHeight(), 200);
    ASSERT_EQ(splitter->Top(), 100);
    EXPECT_EQ(splitter->FindResizeControl(), upper);
    Drag(-30);
    EXPECT_EQ(splitter->Cursor(), crVSplit);
    EXPECT_EQ(upper->Height(), 70);
    // The splitter and the pane below follow the new height.
    EXPECT_EQ(splitter->Top(), 70);
    EXPECT_EQ(lower->Top(), 72);
    EXPECT_EQ(lower->Height(), 60);
    EXPECT_EQ(moved, 2); // one per change of size while dragging
}

TEST_F(SplitterTest, GrowsOnlyIntoTheFreeRoom)
{
    // 200 - MinSize 1 - (100 + 2 + 60) + 100: the upper pane can take 137.
    Drag(+30);
    EXPECT_EQ(upper->Height(), 130);
    Drag(+500);
    EXPECT_EQ(upper->Height(), 137);
    EXPECT_EQ(lower->Top() + lower->Height(), 199);
}

TEST_F(SplitterTest, ShrinksDownToMinSizeAndTheControlsConstraints)
{
    Drag(-500);
    EXPECT_EQ(upper->Height(), 1);
    upper->SetHeight(100);
    upper->Constraints()->SetMinHeight(10);
    Drag(-500);
    EXPECT_EQ(upper->Height(), 10);
}

TEST_F(SplitterTest, OnCanResizeMayChangeOrRefuseTheSize)
{
    splitter->OnCanResize = [](TObject*, int& NewSize, bool& Accept) {
        if (NewSize < 50)
            Accept = false;
        else
            NewSize -= NewSize % 10;
    };
    Drag(-27);
    EXPECT_EQ(upper->Height(), 70);
    Drag(-60); // 10 would be too small: refused
    EXPECT_EQ(upper->Height(), 70);
}

TEST_F(SplitterTest, TheResizedControlMayGoDuringTheDrag)
{
    Mouse(WM_LBUTTONDOWN, 5, 1);
    delete upper;
    Mouse(WM_MOUSEMOVE, 5, 20);
    Mouse(WM_LBUTTONUP, 5, 20);
    EXPECT_EQ(moved, 0);
}

} // namespace
