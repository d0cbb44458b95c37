// Cell editors open one inside the other, and what closes them: leaving for
// the outermost document from the innermost cell editor, row and cell
// operations over the cell being edited, a program's undo group spanning
// cells played under every undo limit, the caret placed in the outermost
// document while cell editors stay open, and a command recorded while they do.
#include <gtest/gtest.h>

#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "table/rvtinplace.h"
#include "tests/support/nestedtables.h"
#include "tests/support/tablegrid.h"

namespace {

class NestedCellEditors : public TTableEditFixture {
protected:
    std::string Content() { return nestedtables::Content(d); }
    static void Pump()
    {
        for (int i = 0; i < 3; ++i)
            Application->ProcessMessages();
    }
    // A table of Rows x Cols put at the caret of the innermost editor, and its
    // cell (0, 0) opened: the table, or null when the cell did not open.
    TRVTableItemInfo* OpenNestedTable(int rows, int cols)
    {
        auto* table = new TRVTableItemInfo(rows, cols, Editor.Edit->GetTopLevelEditor()->EditRVData());
        if (!Editor.Edit->InsertItem("", table))
            return nullptr;
        table->EditCell(0, 0);
        int r = -1;
        int c = -1;
        return table->GetEditedCell(r, c) != nullptr ? table : nullptr;
    }
    // The cell editors open now, the outermost first.
    std::vector<TCustomRollViewEdit*> CellEditors() const
    {
        std::vector<TCustomRollViewEdit*> editors;
        for (TCustomRollViewEdit* e = Editor.Edit->CellEditor(); e != nullptr; e = e->CellEditor())
            editors.push_back(e);
        return editors;
    }
    // Undo (redo) through the control, the messages it posts handled.
    void Step(bool redo)
    {
        redo ? Editor.Edit->Redo() : Editor.Edit->Undo();
        Pump();
    }
};

// Ctrl+Home and Ctrl+End in the innermost of two or three cell editors take
// the caret to the start or end of the outermost document: every cell editor
// closes, the editor has the focus, the document is as it was.
TEST_F(NestedCellEditors, CtrlHomeAndEndFromTheInnermostCellReachTheOutermostDocument)
{
    for (const int depth : {2, 3})
        for (const WORD key : {VK_HOME, VK_END}) {
            SCOPED_TRACE(std::to_string(depth) + " deep, " + (key == VK_HOME ? "Ctrl+Home" : "Ctrl+End"));
            d = Editor.NewEditor(&Style);
            NewTable(2, 2);
            Table->EditCell(1, 1);
            for (int k = 1; k < depth; ++k)
                ASSERT_NE(OpenNestedTable(2, 2), nullptr);
            ASSERT_EQ(CellEditors().size(), size_t(depth));
            const std::string content = Content();
            SimulateKey(Editor.Edit->GetTopLevelEditor(), key, TShiftState{ssCtrl});
            Pump();
            EXPECT_TRUE(CellEditors().empty());
            EXPECT_EQ(Content(), content);
            EXPECT_TRUE(Editor.Edit->Focused());
            const int last = d->GetItemCount() - 1;
            EXPECT_EQ(d->GetCurItemNo(), key == VK_HOME ? 0 : last);
            EXPECT_EQ(d->GetOffsetInCurItem(),
                      key == VK_HOME ? d->GetOffsBeforeItem(0) : d->GetOffsAfterItem(last));
        }
}

// Row and cell operations of the row list run by a program (in an undo group
// of the table) while the caret, moved into cell (0, 0) by the Right key,
// edits it: the table, its undo and its redo are those made without a cell
// editor open, nothing of any cell is lost.
TEST_F(NestedCellEditors, GridOperationsOverTheEditedCellKeepEveryCellsText)
{
    struct TCase {
        const char* Name;
        std::function<void(TRVTableRows&)> Operation;
    };
    const TCase cases[] = {
        {"split (2, 0) in two columns", [](TRVTableRows& rows) { rows.SplitCellVertically(2, 0, 2); }},
        {"split (0, 0) in two rows", [](TRVTableRows& rows) { rows.SplitCellHorizontally(0, 0, 2); }},
        {"merge rows 0-1", [](TRVTableRows& rows) { rows.MergeCells(0, 0, 1, 2, true, true); }},
        {"merge rows 1-2", [](TRVTableRows& rows) { rows.MergeCells(1, 0, 1, 2, true, true); }},
        {"delete row 0", [](TRVTableRows& rows) { rows.DeleteRows(0, 1, false); }},
        {"insert a column", [](TRVTableRows& rows) { rows.InsertCols(0, 1, 0, false); }},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        std::string expected[3];
        for (const bool editing : {false, true}) {
            d = Editor.NewEditor(&Style);
            NewTable(3, 1);
            if (editing) {
                Caret(0, d->GetOffsAfterItem(0));
                for (int k = 0; k < 3 && Editor.Edit->CellEditor() == nullptr; ++k) {
                    SimulateKey(Editor.Edit, VK_RIGHT);
                    Pump();
                }
                ASSERT_NE(Editor.Edit->CellEditor(), nullptr);
            }
            const std::string start = Content();
            const int token = Table->BeginModify(1);
            Table->InUndoGroup([&] { test.Operation(*Table->Rows); });
            Table->EndModify(1, token);
            d->Change();
            const std::string done = Content();
            EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "");
            Step(false);
            EXPECT_EQ(Content(), start);
            Step(true);
            EXPECT_EQ(Content(), done);
            const std::string got[3] = {start, done, Content()};
            for (int i = 0; i < 3; ++i)
                if (editing)
                    EXPECT_EQ(got[i], expected[i]) << "state " << i;
                else
                    expected[i] = got[i];
        }
    }
}

// A program's undo group spanning three cells edited one after the other is
// one step: undo gives back the first document, redo the edited one, under
// every undo limit (the group must outlive the groups that closing the cell
// editors gives the list while it is played).
TEST_F(NestedCellEditors, AProgramsUndoGroupAcrossCellsIsOneStep)
{
    for (const int limit : {-1, 1, 2, 5}) {
        SCOPED_TRACE("undo limit " + std::to_string(limit));
        d = Editor.NewEditor(&Style);
        Editor.Edit->SetUndoLimit(limit);
        NewTable(2, 2);
        const std::string start = Content();
        Editor.Edit->BeginUndoGroup(rvutModifyItem);
        Editor.Edit->SetUndoGroupMode(true);
        Table->EditCell(0, 0);
        Editor.Edit->InsertText("a");
        Table->EditCell(1, 0);
        Editor.Edit->InsertText("b");
        Editor.Edit->InsertText("c");
        Table->EditCell(0, 1);
        Editor.Edit->SetUndoGroupMode(false);
        const std::string edited = Content();
        ASSERT_EQ(edited, "\"before\" | { [\"a0,0\"] [\"0,1\"] / [\"bc1,0\"] [\"1,1\"] } | \"after\"");
        ASSERT_NE(Editor.Edit->UndoAction(), rvutNone);
        Step(false);
        EXPECT_EQ(Content(), start);
        EXPECT_EQ(Editor.UI.CallsOf(TUICallKind::MessageBox).size(), 0u);
        for (int n = 0; n < 3 && Editor.Edit->RedoAction() != rvutNone; ++n)
            Step(true);
        EXPECT_EQ(Content(), edited);
        for (int n = 0; n < 3 && Editor.Edit->UndoAction() != rvutNone; ++n)
            Step(false);
        EXPECT_EQ(Content(), start);
    }
}

// The caret placed at every position of the outermost document while a cell
// editor and one inside it stay open names a place of its own item.
TEST_F(NestedCellEditors, TheCaretPlacedWhileCellEditorsAreOpenStaysInItsItem)
{
    // Two items on the first line: the end of one is the start of the next.
    AddText("abcdef");
    d->AddNL("x", 1, -1);
    NewTable(2, 2);
    Table->EditCell(0, 0);
    TRVTableItemInfo* inner = OpenNestedTable(2, 2);
    ASSERT_NE(inner, nullptr);
    Editor.Edit->InsertText("hello");
    for (int i = 0; i < d->GetItemCount(); ++i)
        for (int offs = d->GetOffsBeforeItem(i); offs <= d->GetOffsAfterItem(i); ++offs) {
            SCOPED_TRACE("item " + std::to_string(i) + ", offset " + std::to_string(offs));
            d->SetCaretAtItem(i, offs, false);
            ASSERT_EQ(CellEditors().size(), 2u);
            const int item = d->GetCurItemNo();
            ASSERT_GE(item, 0);
            const int at = d->GetOffsetInCurItem();
            EXPECT_GE(at, d->GetOffsBeforeItem(item));
            EXPECT_LE(at, d->GetOffsAfterItem(item));
        }
}

// A table whose cell is edited with the focus leaves the cell editor's
// document (its insertion undone there): its cell editor closes and the
// focus stays with the cell editor that held the table.
TEST_F(NestedCellEditors, ATableLeavingTheDocumentLeavesTheFocusWithItsHolder)
{
    NewTable(2, 2);
    Table->EditCell(0, 0);
    TCustomRollViewEdit* holder = Editor.Edit->CellEditor();
    ASSERT_NE(OpenNestedTable(2, 2), nullptr);
    ASSERT_EQ(CellEditors().size(), 2u);
    ASSERT_TRUE(CellEditors().back()->Focused());
    holder->EditRVData()->Undo();
    Pump();
    EXPECT_EQ(CellEditors().size(), 1u);
    EXPECT_EQ(nestedtables::TablesOf(holder->EditRVData()).size(), 0u);
    EXPECT_TRUE(holder->Focused());
}

// A command of the document that leaves open cell editors open (a table
// property) comes after what was typed in the innermost one: the first undo
// takes the command back, the second the typing.
TEST_F(NestedCellEditors, ACommandLeavingCellEditorsOpenComesAfterTheirEdits)
{
    NewTable(2, 2);
    Table->EditCell(0, 0);
    ASSERT_NE(OpenNestedTable(1, 1), nullptr);
    const std::string withTable = Content();
    Editor.Edit->InsertText("z");
    const std::string typed = Content();
    const TColor color = Table->Color;
    Table->SetColor(clRed);
    ASSERT_EQ(CellEditors().size(), 2u);
    Step(false);
    EXPECT_EQ(Table->Color, color);
    EXPECT_EQ(Content(), typed);
    Step(false);
    EXPECT_EQ(Content(), withTable);
}

} // namespace
