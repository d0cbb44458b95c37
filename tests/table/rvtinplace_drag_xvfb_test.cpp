// Drag and drop between controls on a real X server, worked by xdotool's
// pointer: a drag from a control onto a viewer that takes it drops there,
// in the viewer's coordinates, and the source hears where; a viewer that
// takes no drags gets no drop; a drag onto a table cell being edited is
// asked of the editor that holds the table and dropped on it. Skipped when
// Xvfb or xdotool is missing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "edit/rollviewedit.h"
#include "platform/controls/forms.h"
#include "table/rvtinplace.h"
#include "tests/support/e2eprocess.h"
#include "tests/support/pumpevents.h"
#include "tests/support/xvfbchild.h"

TEST(InplaceDragXvfbTest, DragsBetweenControlsWorkAsAUserMakesThem)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    if (FindProgram("xdotool").empty())
        GTEST_SKIP() << "xdotool is not installed";
    const TXvfbRun run = RunUnderXvfb("InplaceDragXvfbChildTest.*");
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, "done");
}

namespace {

// A plain control to drag from.
class TSourceBox : public TCustomControl {
public:
    explicit TSourceBox(TComponent* AOwner) : TCustomControl(AOwner) {}
};

std::string PointText(TObject* sender, TObject* expected, int x, int y)
{
    return std::string(sender == expected ? "" : "other ") + std::to_string(x) + "," + std::to_string(y);
}

class InplaceDragXvfbChildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!InXvfbChild())
            GTEST_SKIP() << "runs under the Xvfb test";
        RV_RegisterTableItem();
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 640, 440);
        Style = new TRVStyle(Form);
        Source = new TSourceBox(Form);
        Source->SetParent(Form);
        Source->SetBounds(10, 10, 120, 80);
        Source->SetDragMode(dmAutomatic);
        Source->OnEndDrag = [this](TObject* sender, TObject* target, int x, int y) {
            Events.push_back("end " +
                             std::string(target == Viewer ? "viewer "
                                         : target         ? "other "
                                                          : "none ") +
                             PointText(sender, Source, x, y));
        };
        Viewer = new TRollView(Form);
        Viewer->SetStyle(Style);
        Viewer->SetParent(Form);
        Viewer->SetBounds(200, 10, 300, 150);
        Edit = new TRollViewEdit(Form);
        Edit->SetStyle(Style);
        Edit->SetParent(Form);
        Edit->SetBounds(10, 200, 500, 200);
        Form->Show();
        ASSERT_TRUE(FocusXvfbWindow(Form, "kelvor-control-drag-under-xvfb", Edit));
        Viewer->AddNL("a viewer", 0, 0);
        Viewer->Format();
        TRVEditRVData* data = Edit->EditRVData();
        Edit->Clear();
        data->AddNL("before", 0, 0);
        Table = new TRVTableItemInfo(2, 2, data);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 2; ++c) {
                TRVTableCellData* cell = Table->GetCells(r, c);
                cell->Clear();
                cell->AddNL("cell", 0, 0);
            }
        data->AddItem(AnsiString(), Table);
        data->AddNL("after", 0, 0);
        Edit->Format();
    }
    void TearDown() override
    {
        if (!InXvfbChild())
            return;
        Form->Free();
        if (!HasFailure())
            WriteXvfbResult("done");
    }

    // Presses in the middle of the source, moves in steps to To (screen) and
    // releases there, as a user would, then handles events until Done holds.
    // Every event is on its way before the first is handled, as when the
    // program is slow: the toolkit's drag, begun at a move, takes the moves
    // and the release that follow it from the program's queue in their order,
    // and a target in this program answers each position at once.
    template <typename F> bool DragTo(const TPoint& to, F done)
    {
        const TPoint from = Source->ClientToScreen(TPoint{60, 40});
        std::string args = "mousemove --sync " + XdoPoint(from) + " mousedown 1";
        for (int step = 1; step <= 8; ++step)
            args += " mousemove --sync " + XdoPoint(TPoint{from.X + (to.X - from.X) * step / 8,
                                                           from.Y + (to.Y - from.Y) * step / 8});
        // A move within the target after the one that entered it.
        args += " mousemove --sync " + XdoPoint(TPoint{to.X + 1, to.Y}) + " mousemove --sync " +
                XdoPoint(to) + " mouseup 1";
        CaptureOutput("xdotool " + args);
        return WaitUntil(done, WaitDeadlineMs, PumpEvents);
    }

    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TSourceBox* Source = nullptr;
    TRollView* Viewer = nullptr;
    TRollViewEdit* Edit = nullptr;
    TRVTableItemInfo* Table = nullptr;
    std::vector<std::string> Events;
};

} // namespace

TEST_F(InplaceDragXvfbChildTest, ADragFromAControlDropsOnAViewerThatTakesIt)
{
    // Without OnDragOver the viewer takes nothing: the drag ends without a target.
    Viewer->OnDragDrop = [this](TObject*, TObject*, int, int) { Events.push_back("drop"); };
    ASSERT_TRUE(DragTo(Viewer->ClientToScreen(TPoint{50, 60}), [&] { return !Events.empty(); }));
    EXPECT_EQ(Events, (std::vector<std::string>{"end none 0,0"}));
    Events.clear();

    std::vector<TDragState> states;
    Viewer->OnDragOver = [&](TObject* sender, TObject* source, int, int, TDragState state, bool& accept) {
        states.push_back(state);
        accept = sender == Viewer && source == Source;
    };
    Viewer->OnDragDrop = [this](TObject* sender, TObject* source, int x, int y) {
        Events.push_back(std::string("drop ") + (source == Source ? "" : "other ") +
                         PointText(sender, Viewer, x, y));
    };
    ASSERT_TRUE(DragTo(Viewer->ClientToScreen(TPoint{50, 60}), [&] { return Events.size() >= 2; }));
    EXPECT_EQ(Events, (std::vector<std::string>{"drop 50,60", "end viewer 50,60"}));
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.front(), dsDragEnter);
    EXPECT_FALSE(Source->Dragging());
}

TEST_F(InplaceDragXvfbChildTest, ADragOntoACellBeingEditedDropsOnTheEditorThatHoldsTheTable)
{
    Table->CreateInplace(-1, 1, 1, false, true, false, false, true);
    int row, col;
    TRVTableInplaceEdit* cell = Table->GetEditedCell(row, col);
    ASSERT_NE(cell, nullptr);
    Edit->OnDragOver = [this](TObject* sender, TObject* source, int, int, TDragState, bool& accept) {
        accept = sender == Edit && source == Source;
    };
    Edit->OnDragDrop = [this](TObject* sender, TObject* source, int x, int y) {
        Events.push_back(std::string("drop ") + (source == Source ? "" : "other ") +
                         PointText(sender, Edit, x, y));
    };
    const TPoint inCell{cell->ClientWidth() / 2, cell->ClientHeight() / 2};
    const TPoint inEdit = Edit->ScreenToClient(cell->ClientToScreen(inCell));
    ASSERT_TRUE(DragTo(cell->ClientToScreen(inCell), [&] { return Events.size() >= 2; }));
    const std::string where = std::to_string(inEdit.X) + "," + std::to_string(inEdit.Y);
    // The drop reaches the holder after the drag's end reached the source.
    EXPECT_EQ(Events, (std::vector<std::string>{"end other " + std::to_string(inCell.X) + "," +
                                                    std::to_string(inCell.Y),
                                                "drop " + where}));
    EXPECT_EQ(Table->GetEditedCell(row, col), cell) << "the cell is still being edited";
}
