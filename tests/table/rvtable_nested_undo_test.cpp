// Undo and redo of edits in cells and in tables nested in cells, through the
// editor control as a program calls it (Undo while UndoAction answers, the
// application's messages handled once after each call): the steps come back
// in the order they were made, every one of them, redo mirrors undo, freeing
// the editor afterwards frees what the lists keep, and the program's Format
// after a change of a nested table lays out what a fresh editor would.
#include <gtest/gtest.h>

#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "table/rvtinplace.h"
#include "tests/support/nestedtables.h"
#include "tests/support/tablegrid.h"
#include "tests/support/tablegridcheck.h"

namespace {

class NestedTableUndo : public TTableEditFixture {
protected:
    NestedTableUndo() { Fresh.NewEditor(&Style); }

    TRVTableInplaceEdit* Open(TRVTableItemInfo* table, int row, int col)
    {
        table->EditCell(row, col);
        int r = -1;
        int c = -1;
        return table->GetEditedCell(r, c);
    }
    // A new table put at the caret of the innermost editor, as a program does.
    TRVTableItemInfo* InsertTable(int rows, int cols)
    {
        auto* table = new TRVTableItemInfo(rows, cols, Editor.Edit->GetTopLevelEditor()->EditRVData());
        EXPECT_TRUE(Editor.Edit->InsertItem("", table));
        return table;
    }
    // Undo (redo) while the control has something to undo (redo); the
    // messages an undo posts are handled once after each call. The calls made.
    int PlayAll(bool redo)
    {
        int calls = 0;
        while (calls < 50 && (redo ? Editor.Edit->RedoAction() : Editor.Edit->UndoAction()) != rvutNone) {
            if (redo)
                Editor.Edit->Redo();
            else
                Editor.Edit->Undo();
            Application->ProcessMessages();
            ++calls;
        }
        return calls;
    }
    std::string Content() { return nestedtables::Content(d); }

    THeadlessEditor Fresh;
};

// A table kept by an undo record of a cell editor inside another cell editor
// belongs to the editor's lists, not to the cell editors' documents, which go
// when the cell editors close: undoing everything and freeing the editor
// frees it without touching them.
TEST_F(NestedTableUndo, ATableUndoneInACellInsideACellIsFreedWithTheEditor)
{
    AddText("x");
    d->FormatAll();
    Caret(0, 1);
    const std::string start = Content();
    TRVTableItemInfo* outer = InsertTable(3, 2);
    ASSERT_NE(Open(outer, 0, 1), nullptr);
    TRVTableItemInfo* inner = InsertTable(1, 1);
    ASSERT_NE(Open(inner, 0, 0), nullptr);
    InsertTable(2, 1);
    const std::string nested = Content();
    EXPECT_EQ(PlayAll(false), 3);
    EXPECT_EQ(Content(), start);
    EXPECT_EQ(PlayAll(true), 3);
    EXPECT_EQ(Content(), nested);
    EXPECT_EQ(PlayAll(false), 3);
    delete Editor.Edit;
    Editor.Edit = nullptr;
}

// The control's undo takes back the edit of the cell open now and then that
// of the cell edited before, as Ctrl+Z in the focused cell editor does, in
// as many calls as there were edits; redo gives them back in the same number.
TEST_F(NestedTableUndo, EveryCellsEditComesBackInOrder)
{
    enum TWay { ByEditCell, ByDownKey, ClosedByMerge };
    for (const TWay way : {ByEditCell, ByDownKey, ClosedByMerge}) {
        SCOPED_TRACE(way == ByEditCell ? "EditCell" : way == ByDownKey ? "Down key" : "MergeCells");
        d = Editor.NewEditor(&Style);
        NewTable(2, 2);
        const std::string start = Content();
        if (way == ByDownKey) {
            // From the middle of the text above, over the first column.
            Caret(0, 4);
            SimulateKey(Editor.Edit, VK_DOWN);
            Application->ProcessMessages();
        } else {
            Open(Table, 0, 0);
        }
        ASSERT_NE(Editor.Edit->CellEditor(), nullptr);
        Editor.Edit->InsertText("a");
        if (way == ByDownKey) {
            SimulateKey(Editor.Edit->CellEditor(), VK_DOWN);
            Application->ProcessMessages();
        } else {
            Open(Table, 1, 0);
        }
        Editor.Edit->InsertText("b");
        int steps = 2;
        if (way == ClosedByMerge) {
            Table->MergeCells(0, 1, 1, 2, false);
            Editor.Edit->Change();
            Editor.Edit->Format();
            ++steps;
        }
        const std::string edited = Content();
        EXPECT_NE(edited.find("[\"a0,0\"]"), std::string::npos) << edited;
        EXPECT_NE(edited.find("[\"b1,0\"]"), std::string::npos) << edited;
        EXPECT_EQ(PlayAll(false), steps);
        EXPECT_EQ(Content(), start);
        EXPECT_EQ(PlayAll(true), steps);
        EXPECT_EQ(Content(), edited);
    }
}

// A table put into a cell and typed into through a cell editor of its own,
// then the outer table's cells merged and unmerged: undo and redo take the
// same steps, each one doing something, back to the first document and
// forward to the last.
TEST_F(NestedTableUndo, MergingAfterACellInsertUndoesAndRedoesInTheSameSteps)
{
    NewTable(2, 2);
    const std::string start = Content();
    ASSERT_NE(Open(Table, 0, 0), nullptr);
    TRVTableItemInfo* inner = InsertTable(1, 1);
    ASSERT_NE(Open(inner, 0, 0), nullptr);
    Editor.Edit->InsertText("q");
    Table->Select(0, 0, 0, 1);
    Table->MergeSelectedCells(false);
    Editor.Edit->Change();
    Table->UnmergeCells(0, 0, 2, 1, false, true);
    Editor.Edit->Change();
    Editor.Edit->Format();
    const std::string edited = Content();
    std::vector<std::string> states{edited};
    while (states.size() < 10 && Editor.Edit->UndoAction() != rvutNone) {
        Editor.Edit->Undo();
        Application->ProcessMessages();
        EXPECT_NE(Content(), states.back()) << "undo " << states.size() << " did nothing";
        states.push_back(Content());
    }
    EXPECT_EQ(states.size(), 5u);
    EXPECT_EQ(Content(), start);
    for (size_t i = states.size() - 1; i > 0 && Editor.Edit->RedoAction() != rvutNone; --i) {
        Editor.Edit->Redo();
        Application->ProcessMessages();
        EXPECT_EQ(Content(), states[i - 1]) << "redo " << states.size() - i;
    }
    EXPECT_EQ(Editor.Edit->RedoAction(), rvutNone);
    EXPECT_EQ(Content(), edited);
    EXPECT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, Fresh), "");
}

// Rows inserted into a table inside the cell being edited: the program's
// Format lays the outer table out as a fresh editor does.
TEST_F(NestedTableUndo, FormatAfterRowsGoIntoANestedTableLaysOutAfresh)
{
    NewTable(2, 2);
    ASSERT_NE(Open(Table, 0, 1), nullptr);
    TRVTableItemInfo* inner = InsertTable(1, 1);
    ASSERT_NE(Open(inner, 0, 0), nullptr);
    const int height = Table->GetHeight();
    inner->InsertRowsBelow(2);
    Editor.Edit->Format();
    EXPECT_GT(Table->GetHeight(), height);
    EXPECT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, Fresh), "");
}

// A command of the document while two cell editors are open one inside the
// other comes after their edits: the first undo takes the command back.
TEST_F(NestedTableUndo, ADocumentsCommandComesAfterTheEditsOfOpenCellEditors)
{
    NewTable(1, 2);
    ASSERT_NE(Open(Table, 0, 0), nullptr);
    TRVTableItemInfo* inner = InsertTable(1, 1);
    ASSERT_NE(Open(inner, 0, 0), nullptr);
    Editor.Edit->InsertText("z");
    const std::string typed = Content();
    Table->InsertRows(1, 1, 0, false);
    Editor.Edit->Change();
    EXPECT_EQ(Table->Rows->Count(), 2);
    Editor.Edit->Undo();
    Application->ProcessMessages();
    EXPECT_EQ(Table->Rows->Count(), 1);
    EXPECT_EQ(Content(), typed);
}

// Text typed into an emptied cell and undone: the table's columns are again
// those of a fresh layout, though the cell's lines kept their height; also
// when a merged cell above, wider than both columns need, keeps the table's
// minimum width as it was.
TEST_F(NestedTableUndo, AnUndoneTypingGivesTheColumnsBack)
{
    for (const bool merged : {false, true}) {
        SCOPED_TRACE(merged ? "under a merged cell" : "beside a longer cell");
        d = Editor.NewEditor(&Style);
        NewTable(2, 3);
        ASSERT_NE(Open(Table, 0, merged ? 0 : 2), nullptr);
        Editor.Edit->InsertText(" and a muchlongerword");
        if (merged) {
            Table->MergeCells(0, 0, 2, 1, false);
            Editor.Edit->Change();
            Editor.Edit->Format();
        }
        TRVTableInplaceEdit* editor = Open(Table, 1, 1);
        ASSERT_NE(editor, nullptr);
        editor->EditRVData()->SetSelectionBounds(0, 1, 0, 4);
        Editor.Edit->DeleteSelection();
        Editor.Edit->InsertText("yz");
        EXPECT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, Fresh), "");
        Editor.Edit->Undo();
        Application->ProcessMessages();
        EXPECT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, Fresh), "");
    }
}

// A table operation run without the program's Change after an undo leaves
// nothing to redo: the undone records no longer fit the grid.
TEST_F(NestedTableUndo, ATableOperationAfterAnUndoLeavesNothingToRedo)
{
    NewTable(2, 2);
    Table->InsertRows(1, 1, 0, false);
    Editor.Edit->Change();
    Editor.Edit->Undo();
    ASSERT_NE(Editor.Edit->RedoAction(), rvutNone);
    Table->DeleteRows(0, 1, false);
    EXPECT_EQ(Editor.Edit->RedoAction(), rvutNone);
    Editor.Edit->Redo();
    EXPECT_EQ(Table->Rows->Count(), 1);
    EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "");
}

} // namespace
