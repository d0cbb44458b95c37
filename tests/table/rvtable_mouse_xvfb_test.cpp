// A table in an editor worked by xdotool's pointer and keys on a real X
// server: a click into a cell and typing put the text into that cell, a drag
// across two cells selects them and merging them makes one cell of both, Tab
// moves the editing on to the next cell and Shift+Tab back. Skipped when Xvfb
// or xdotool is missing.
#include <gtest/gtest.h>

#include <string>

#include "platform/controls/syntheticinput.h"
#include "table/rvtinplace.h"
#include "tests/support/e2eprocess.h"
#include "tests/support/pumpevents.h"
#include "tests/support/tablegridcheck.h"
#include "tests/support/testeditcontrol.h"
#include "tests/support/xvfbchild.h"

TEST(TableMouseXvfbTest, PointerAndKeysWorkATableAsAUserWould)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    if (FindProgram("xdotool").empty())
        GTEST_SKIP() << "xdotool is not installed";
    const TXvfbRun run = RunUnderXvfb("TableMouseXvfbChildTest.*");
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, "done");
}

namespace {

class TableMouseXvfbChildTest : public ::testing::Test, public TEditControlFixture {
protected:
    void SetUp() override
    {
        if (!InXvfbChild())
            GTEST_SKIP() << "runs under the Xvfb test";
        RV_RegisterTableItem();
        ASSERT_TRUE(FocusXvfbWindow(Form, "kelvor-table-mouse-under-xvfb", Edit));
        // "before", a 2 x 3 table whose cells hold "r,c", "after".
        Load("before");
        Table = new TRVTableItemInfo(2, 3, &Data());
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c) {
                TRVTableCellData* cell = Table->GetCells(r, c);
                cell->Clear();
                cell->AddNL(AnsiString(std::to_string(r) + "," + std::to_string(c)), 0, 0);
            }
        Data().AddItem(AnsiString(), Table);
        Data().AddNL("after", 0, 0);
        Edit->Format();
        Data().SetCaretAtItem(0, 1, false);
        Data().ClearUndo();
        Edit->SetFocus();
        ASSERT_TRUE(Edit->Focused());
    }
    void TearDown() override
    {
        if (InXvfbChild() && !HasFailure())
            WriteXvfbResult("done");
    }
    // The screen point a few pixels inside the content of cell (Row, Col).
    TPoint CellPoint(int row, int col)
    {
        int left, top;
        Data().GetItemClientCoords(1, left, top);
        const TRVTableCellData* cell = Table->GetCells(row, col);
        return Edit->ClientToScreen(
            TPoint{left + cell->Left + Table->CellPadding + 2, top + cell->Top + cell->Height / 2});
    }
    std::string CellText(int row, int col)
    {
        TCustomRVData* data = Table->GetCells(row, col)->GetRVData();
        std::string s;
        for (int i = 0; i < data->GetItemCount(); ++i)
            s += (i ? "/" : "") + std::string(data->GetItemText(i));
        return s;
    }
    TRVTableInplaceEdit* Edited(int& row, int& col) { return Table->GetEditedCell(row, col); }

    TRVTableItemInfo* Table = nullptr;
};

TEST_F(TableMouseXvfbChildTest, AClickIntoACellAndTypingPutTheTextIntoThatCell)
{
    Xdo("mousemove " + XdoPoint(CellPoint(1, 1)) + " click 1");
    int row = -1, col = -1;
    ASSERT_TRUE(WaitUntil([&] { return Edited(row, col) != nullptr; }, WaitDeadlineMs, PumpEvents));
    EXPECT_EQ(row * 10 + col, 11);
    Xdo("type --delay 20 xyz");
    EXPECT_TRUE(WaitUntil([&] { return CellText(1, 1).find("xyz") != std::string::npos; }, WaitDeadlineMs,
                          PumpEvents))
        << CellText(1, 1);
    EXPECT_EQ(std::string(Data().GetItemText(0)), "before");
    // Closed, the cell keeps the text; undo takes the typed characters out
    // again one at a time, as the editor undoes typing, in the cell editor
    // that the first undo opens.
    Table->DestroyInplace(true);
    EXPECT_EQ(CellText(1, 1), "xyz1,1");
    Xdo("key ctrl+z");
    EXPECT_TRUE(WaitUntil([&] { return CellText(1, 1) == "xy1,1"; }, WaitDeadlineMs, PumpEvents))
        << CellText(1, 1);
    Xdo("key ctrl+z ctrl+z");
    EXPECT_TRUE(WaitUntil([&] { return CellText(1, 1) == "1,1"; }, WaitDeadlineMs, PumpEvents))
        << CellText(1, 1);
}

TEST_F(TableMouseXvfbChildTest, ADragAcrossTwoCellsSelectsThemAndMergingMakesOne)
{
    Xdo("mousemove " + XdoPoint(CellPoint(0, 0)) + " mousedown 1");
    Xdo("mousemove " + XdoPoint(CellPoint(0, 1)));
    Xdo("mouseup 1");
    // The release may come some rounds of the event loop later: the
    // selection is read once it spans the two cells, the editor has let the
    // mouse go and the cell editor that the press opened has gone (it closes
    // itself through a posted message once the release is handled).
    int top = -1, left = -1, cols = -1, rows = -1;
    int row, col;
    ASSERT_TRUE(WaitUntil(
        [&] {
            return Table->GetNormalizedSelectionBounds(false, top, left, cols, rows) &&
                   top * 1000 + left * 100 + cols * 10 + rows == 21 && !Edit->MouseCapture() &&
                   Edited(row, col) == nullptr;
        },
        WaitDeadlineMs, PumpEvents))
        << top << "," << left << " " << cols << "x" << rows << (Edited(row, col) ? ", a cell edited" : "");
    ASSERT_TRUE(Table->CanMergeSelectedCells(true));
    Table->MergeSelectedCells(true);
    Edit->Format();
    EXPECT_EQ(Table->GetCells(0, 0)->ColSpan, 2);
    EXPECT_EQ(Table->GetCells(0, 1), nullptr);
    EXPECT_EQ(CellText(0, 0), "0,0/0,1");
    EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "");
    // The merged cell takes a click like any other.
    Xdo("mousemove " + XdoPoint(CellPoint(0, 0)) + " click 1");
    ASSERT_TRUE(WaitUntil([&] { return Edited(row, col) != nullptr; }, WaitDeadlineMs, PumpEvents));
    EXPECT_EQ(row * 10 + col, 0);
}

TEST_F(TableMouseXvfbChildTest, TabAndShiftTabMoveBetweenCells)
{
    Xdo("mousemove " + XdoPoint(CellPoint(0, 1)) + " click 1");
    int row = -1, col = -1;
    ASSERT_TRUE(WaitUntil([&] { return Edited(row, col) != nullptr; }, WaitDeadlineMs, PumpEvents));
    EXPECT_EQ(row * 10 + col, 1);
    Xdo("key Tab");
    ASSERT_TRUE(
        WaitUntil([&] { return Edited(row, col) != nullptr && col == 2; }, WaitDeadlineMs, PumpEvents));
    EXPECT_EQ(row, 0);
    Xdo("type q");
    EXPECT_TRUE(WaitUntil([&] { return CellText(0, 2) == "q0,2"; }, WaitDeadlineMs, PumpEvents))
        << CellText(0, 2);
    Xdo("key shift+Tab");
    ASSERT_TRUE(
        WaitUntil([&] { return Edited(row, col) != nullptr && col == 1; }, WaitDeadlineMs, PumpEvents));
    EXPECT_EQ(CellText(0, 2), "q0,2"); // the cell left keeps its text
}

} // namespace
