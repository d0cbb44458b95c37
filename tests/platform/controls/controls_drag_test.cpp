// Drag and drop between controls, the parts that need no window system: a
// press on an automatic-drag control begins a drag instead of the mouse
// events, a drag released before the pointer moved ends without a target,
// a drag measures its threshold from where the button went down,
// the drag object a handler gives stays the handler's, one drag at a time, a
// source that goes ends its drag, the threshold a drag waits for, and a
// docking control that begins no drag.
// Targets, drops and the toolkit's drag are tested on a real X server
// (tests/table/rvtinplace_drag_xvfb_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"

namespace {

class TDragProbe : public TCustomControl {
public:
    explicit TDragProbe(TComponent* AOwner) : TCustomControl(AOwner)
    {
        OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) {
            Events.push_back("MouseDown");
        };
        OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { Events.push_back("MouseUp"); };
        OnClick = [this](TObject*) { Events.push_back("Click"); };
        OnStartDrag = [this](TObject*, TDragObject*& Object) {
            Events.push_back("StartDrag");
            Object = Given;
        };
        OnEndDrag = [this](TObject*, TObject* Target, int X, int Y) {
            Events.push_back("EndDrag " + std::string(Target ? "target" : "none") + " " + std::to_string(X) +
                             "," + std::to_string(Y));
        };
    }
    std::vector<std::string> Events;
    TDragObject* Given = nullptr;
};

class ControlsDragTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 300, 200);
        A = new TDragProbe(Form);
        A->SetParent(Form);
        A->SetBounds(10, 10, 100, 80);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }

    TForm* Form = nullptr;
    TDragProbe* A = nullptr;
};

} // namespace

TEST_F(ControlsDragTest, AnAutomaticDragReleasedInPlaceEndsWithoutATargetAndNoClick)
{
    A->SetDragMode(dmAutomatic);
    SimulateMouseDown(A, mbLeft, 5, 5);
    EXPECT_TRUE(A->Dragging());
    EXPECT_EQ(GetCapture(), A->Handle()) << "the moves come to the source";
    SimulateMouseUp(A, mbLeft, 5, 5);
    EXPECT_FALSE(A->Dragging());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(A->Events, (std::vector<std::string>{"StartDrag", "EndDrag none 0,0"}));

    // A manual control gets its mouse events, and no drag.
    A->Events.clear();
    A->SetDragMode(dmManual);
    SimulateClick(A, mbLeft, 5, 5);
    EXPECT_EQ(A->Events, (std::vector<std::string>{"MouseDown", "Click", "MouseUp"}));
}

TEST_F(ControlsDragTest, OneDragAtATimeAndTheHandlersDragObjectStaysItsOwn)
{
    TDragObject given;
    A->Given = &given;
    TDragProbe* other = new TDragProbe(Form);
    other->SetParent(Form);
    A->BeginDrag(false);
    ASSERT_TRUE(A->Dragging());
    other->BeginDrag(true);
    EXPECT_FALSE(other->Dragging()) << "a drag runs already";
    EXPECT_TRUE(other->Events.empty());
    other->EndDrag(false);
    EXPECT_TRUE(A->Dragging()) << "another control cannot end it";
    A->EndDrag(true);
    EXPECT_FALSE(A->Dragging());
    EXPECT_EQ(A->Events, (std::vector<std::string>{"StartDrag", "EndDrag none 0,0"}));
    EXPECT_FALSE(given.Dropped);
    EXPECT_EQ(given.DragTarget, nullptr);
    // The move that comes after the drag is the control's again.
    int moves = 0;
    A->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
    SimulateMouseMove(A, 20, 20);
    EXPECT_EQ(moves, 1);
}

TEST_F(ControlsDragTest, AMoveWithoutTheButtonOrASourceThatGoesEndsThePendingDrag)
{
    A->BeginDrag(true);
    int moves = 0;
    A->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
    SimulateMouseMove(A, 30, 30);
    EXPECT_FALSE(A->Dragging()) << "the toolkit drags only with the button down";
    EXPECT_EQ(moves, 0) << "the move ended the drag";
    EXPECT_EQ(A->Events.back(), "EndDrag none 0,0");

    A->BeginDrag(false);
    ASSERT_TRUE(A->Dragging());
    delete A;
    A = nullptr;
    auto* next = new TDragProbe(Form);
    next->SetParent(Form);
    next->BeginDrag(false);
    EXPECT_TRUE(next->Dragging()) << "the gone source's drag ended with it";
    next->EndDrag(false);
}

TEST_F(ControlsDragTest, APendingDragWaitsForThePointerToPassTheThreshold)
{
    A->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { A->BeginDrag(false, 10); };
    SimulateMouseDown(A, mbLeft, 2, 2);
    SimulateMouseMove(A, 12, 12, TShiftState{ssLeft});
    EXPECT_TRUE(A->Dragging()) << "still within the threshold";
    EXPECT_EQ(A->Events, (std::vector<std::string>{"StartDrag"}));
    // Past it, the toolkit's drag runs; with nothing here to drop on, it ends
    // without a target.
    SimulateMouseMove(A, 40, 40, TShiftState{ssLeft});
    EXPECT_FALSE(A->Dragging());
    EXPECT_EQ(A->Events, (std::vector<std::string>{"StartDrag", "EndDrag none 0,0"}));
    EXPECT_EQ(GetCapture(), nullptr);
}

// A busy program handles the press when the pointer is further on already
// and the moves that took it there come as one: the threshold is measured
// from where the button went down, so that the drag goes at that move. A
// move back within the threshold of the press is no drag yet.
TEST_F(ControlsDragTest, APressHandledLateStartsItsDragFromWhereTheButtonWentDown)
{
    struct TCase {
        const char* Name;
        bool ViaHandler; // begun by an OnMouseDown handler, not by the drag mode
        TPoint Move;
        bool Goes;
    };
    for (const TCase& c : {TCase{"automatic, past the threshold", false, {80, 70}, true},
                           TCase{"automatic, within it", false, {4, 4}, false},
                           TCase{"handler, past the threshold", true, {80, 70}, true}}) {
        SCOPED_TRACE(c.Name);
        A->Events.clear();
        A->SetDragMode(c.ViaHandler ? dmManual : dmAutomatic);
        A->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
            if (c.ViaHandler)
                A->BeginDrag(false, 10);
        };
        // The pointer stands where the move will take it when the press at
        // (2, 2) is handled.
        SimulateMouseMove(A, c.Move.X, c.Move.Y);
        A->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ASSERT_TRUE(A->Dragging());
        SimulateMouseMove(A, c.Move.X, c.Move.Y, TShiftState{ssLeft});
        EXPECT_EQ(A->Dragging(), !c.Goes);
        if (A->Dragging())
            A->EndDrag(false);
        EXPECT_EQ(A->Events, (std::vector<std::string>{"StartDrag", "EndDrag none 0,0"}));
    }
}

TEST_F(ControlsDragTest, ADockingControlBeginsNoDragAndKeepsItsMouseEvents)
{
    A->SetDragKind(dkDock);
    A->BeginDrag(true);
    EXPECT_FALSE(A->Dragging());
    A->SetDragMode(dmAutomatic);
    SimulateClick(A, mbLeft, 5, 5);
    EXPECT_FALSE(A->Dragging());
    EXPECT_EQ(A->Events, (std::vector<std::string>{"MouseDown", "Click", "MouseUp"}));
}
