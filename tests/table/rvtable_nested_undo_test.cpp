// Undo and redo of edits in cells and in tables nested in cells, through the
// editor control as a program calls it (Undo while UndoAction answers, then
// the messages it deferred handled): the steps come back
// in the order they were made, every one of them, redo mirrors undo, freeing
// the editor afterwards frees what the lists keep, and the program's Format
// after a change of a nested table lays out what a fresh editor would.
#include <functional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "document/rvmarker.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/bitmap.h"
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
    // Table's cell (Row, Col) opened, a table of one cell put into it and that
    // table's cell opened: the inner table, or null when a cell did not open.
    TRVTableItemInfo* OpenNested(int row, int col)
    {
        if (Open(Table, row, col) == nullptr)
            return nullptr;
        TRVTableItemInfo* inner = InsertTable(1, 1);
        return Open(inner, 0, 0) ? inner : nullptr;
    }
    // One undo (redo) through the control, until nothing it deferred is queued.
    void Step(bool redo)
    {
        redo ? Editor.Edit->Redo() : Editor.Edit->Undo();
        nestedtables::SettleMessages();
    }
    // Undo while the control has something to undo, each call changing the
    // document, back to Start in Steps calls; then redo while it has something
    // to redo, each call giving back the document the matching undo took away,
    // forward to the edited one and nothing left to redo.
    void ExpectStepsUndoneAndRedone(size_t steps, const std::string& start)
    {
        std::vector<std::string> states{Content()};
        while (states.size() < 50 && Editor.Edit->UndoAction() != rvutNone) {
            Step(false);
            EXPECT_NE(Content(), states.back()) << "undo " << states.size() << " did nothing";
            states.push_back(Content());
        }
        EXPECT_EQ(states.size(), steps + 1);
        EXPECT_EQ(Content(), start);
        for (size_t i = states.size() - 1; i > 0 && Editor.Edit->RedoAction() != rvutNone; --i) {
            Step(true);
            EXPECT_EQ(Content(), states[i - 1]) << "redo " << states.size() - i;
        }
        EXPECT_EQ(Editor.Edit->RedoAction(), rvutNone);
        EXPECT_EQ(Content(), states.front());
    }
    std::string Content() { return nestedtables::Content(d); }
    std::string FreshFault() { return nestedtables::FreshLayoutFault(*Editor.Edit, Fresh); }

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
    Table = InsertTable(3, 2);
    ASSERT_NE(OpenNested(0, 1), nullptr);
    InsertTable(2, 1);
    ExpectStepsUndoneAndRedone(3, start);
    int undos = 0;
    for (; undos < 50 && Editor.Edit->UndoAction() != rvutNone; ++undos)
        Step(false);
    EXPECT_EQ(undos, 3);
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
            nestedtables::SettleMessages();
        } else {
            Open(Table, 0, 0);
        }
        ASSERT_NE(Editor.Edit->CellEditor(), nullptr);
        Editor.Edit->InsertText("a");
        if (way == ByDownKey) {
            SimulateKey(Editor.Edit->CellEditor(), VK_DOWN);
            nestedtables::SettleMessages();
        } else {
            Open(Table, 1, 0);
        }
        Editor.Edit->InsertText("b");
        if (way == ClosedByMerge) {
            Table->MergeCells(0, 1, 1, 2, false);
            Editor.Edit->Change();
            Editor.Edit->Format();
        }
        const std::string edited = Content();
        EXPECT_NE(edited.find("[\"a0,0\"]"), std::string::npos) << edited;
        EXPECT_NE(edited.find("[\"b1,0\"]"), std::string::npos) << edited;
        ExpectStepsUndoneAndRedone(way == ClosedByMerge ? 3 : 2, start);
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
    ASSERT_NE(OpenNested(0, 0), nullptr);
    Editor.Edit->InsertText("q");
    Table->Select(0, 0, 0, 1);
    Table->MergeSelectedCells(false);
    Editor.Edit->Change();
    Table->UnmergeCells(0, 0, 2, 1, false, true);
    Editor.Edit->Change();
    Editor.Edit->Format();
    ExpectStepsUndoneAndRedone(4, start);
    EXPECT_EQ(FreshFault(), "");
}

// Rows inserted into a table inside the cell being edited: the program's
// Format lays the outer table out as a fresh editor does.
TEST_F(NestedTableUndo, FormatAfterRowsGoIntoANestedTableLaysOutAfresh)
{
    NewTable(2, 2);
    TRVTableItemInfo* inner = OpenNested(0, 1);
    ASSERT_NE(inner, nullptr);
    const int height = Table->GetHeight();
    inner->InsertRowsBelow(2);
    Editor.Edit->Format();
    EXPECT_GT(Table->GetHeight(), height);
    EXPECT_EQ(FreshFault(), "");
}

// A command of the document while two cell editors are open one inside the
// other comes after their edits: the first undo takes the command back.
TEST_F(NestedTableUndo, ADocumentsCommandComesAfterTheEditsOfOpenCellEditors)
{
    NewTable(1, 2);
    ASSERT_NE(OpenNested(0, 0), nullptr);
    Editor.Edit->InsertText("z");
    const std::string typed = Content();
    Table->InsertRows(1, 1, 0, false);
    Editor.Edit->Change();
    EXPECT_EQ(Table->Rows->Count(), 2);
    Step(false);
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
        EXPECT_EQ(FreshFault(), "");
        Step(false);
        EXPECT_EQ(FreshFault(), "");
    }
}

// Every operation of a table's own API (its commands and its row list's)
// on a table in a cell no editor is open on (one or two cells deep), after
// letters typed into one of its cells: one undo step that gives back the
// document before it, byte for byte, then the letters and the tables go
// step by step; redo retraces them. A program's InitUndo and DoneUndo
// around two operations make them one step. The table, of two rows and
// three columns: a cell over the last two columns of the first row, one
// over the first two of the second.
TEST_F(NestedTableUndo, AnOperationOnATableInACellNoEditorEditsIsOneStep)
{
    TBitmap picture;
    picture.SetSize(2, 2);
    using TTable = TRVTableItemInfo*;
    const std::pair<const char*, std::function<void(TTable)>> operations[] = {
        {"insert rows", [](TTable t) { t->InsertRows(0, 1, -1, false); }},
        {"delete rows", [](TTable t) { t->DeleteRows(0, 1, false); }},
        {"delete cols", [](TTable t) { t->DeleteCols(0, 1, false); }},
        {"delete every row", [](TTable t) { t->DeleteRows(0, 2, false); }},
        {"merge", [](TTable t) { t->MergeCells(0, 0, 3, 1, true); }},
        {"unmerge", [](TTable t) { t->UnmergeCells(0, 0, 3, 2, true, true); }},
        {"row list: insert rows", [](TTable t) { t->Rows->InsertRows(1, 1, 0, true); }},
        {"row list: delete cols", [](TTable t) { t->Rows->DeleteCols(2, 1, true); }},
        {"row list: merge", [](TTable t) { t->Rows->MergeCells(0, 0, 3, 1, true, true); }},
        {"row list: unmerge one", [](TTable t) { t->Rows->UnmergeCell(0, 1, true, true); }},
        {"row list: unmerge", [](TTable t) { t->Rows->UnmergeCells(0, 0, 3, 2, true, true); }},
        {"row list: clear",
         [](TTable t) {
             TRVIntegerList rows;
             TRVIntegerList cols;
             rows.Add(1);
             cols.Add(2);
             t->Rows->ClearCells(rows, cols);
         }},
        {"row list: split", [](TTable t) { t->Rows->SplitCellVertically(0, 0, 3); }},
        {"row list: split cells", [](TTable t) { t->Rows->SplitCellsHorizontally(0, 0, 3, 1, 2); }},
        {"borders", [](TTable t) { t->SetCellVisibleBorders(false, true, false, true, 0, 1); }},
        {"row alignment", [](TTable t) { t->SetRowVAlign(rvcBottom, 1); }},
        {"cell picture", [&](TTable t) { t->SetCellBackgroundImage(&picture, 1, 0); }},
        {"table picture", [&](TTable t) { t->SetBackgroundImage(&picture); }},
        {"attributes", [](TTable t) { t->AssignCellAttributes(-1, 1, 2, t->GetCells(0, 0), true, 1, 1); }},
        {"property", [](TTable t) { SetOrdProp(t, "CellPadding", 6); }},
        {"a program's group",
         [](TTable t) {
             t->InitUndo();
             t->InsertRows(2, 1, 1, false);
             t->MergeCells(1, 2, 1, 2, true);
             t->DoneUndo();
         }},
    };
    for (const int depth : {1, 2})
        for (const auto& [name, operation] : operations) {
            SCOPED_TRACE(std::string(name) + " at depth " + std::to_string(depth));
            d = Editor.NewEditor(&Style);
            NewTable(1, 1);
            // The document after each step, in RVF.
            std::vector<AnsiString> states{editinvariant::SaveRVF(*d)};
            TRVTableItemInfo* holder = Table;
            for (int level = 1; level < depth; ++level) {
                ASSERT_NE(Open(holder, 0, 0), nullptr);
                holder = InsertTable(1, 1);
                states.push_back(editinvariant::SaveRVF(*d));
            }
            ASSERT_NE(Open(holder, 0, 0), nullptr);
            // Its first cell's colour for the attributes that are copied.
            holder = new TRVTableItemInfo(2, 3, Editor.Edit->GetTopLevelEditor()->EditRVData());
            holder->GetCells(0, 0)->Color = clRed;
            holder->Rows->MergeCells(0, 1, 2, 1, true, false);
            holder->Rows->MergeCells(1, 0, 2, 1, true, false);
            ASSERT_TRUE(Editor.Edit->InsertItem("", holder));
            states.push_back(editinvariant::SaveRVF(*d));
            TRVTableItemInfo* inner = holder;
            ASSERT_NE(Open(inner, 1, 2), nullptr);
            Editor.Edit->InsertText("XY");
            Table->DestroyInplace(true);
            nestedtables::SettleMessages();
            states.push_back(editinvariant::SaveRVF(*d));
            // Nothing to unmerge there: no step.
            inner->UnmergeCells(1, 2, 1, 1, true, true);
            const size_t tables = nestedtables::AllTables(d).size();
            operation(inner);
            // As in the document, deleting every row deletes the table.
            EXPECT_EQ(nestedtables::AllTables(d).size(), tables - (std::string(name) == "delete every row"));
            Editor.Edit->Change();
            Editor.Edit->Format();
            states.push_back(editinvariant::SaveRVF(*d));
            ASSERT_FALSE(states.back() == states[states.size() - 2]);
            EXPECT_EQ(FreshFault(), "");
            for (size_t i = states.size() - 1; i > 0; --i) {
                Step(false);
                EXPECT_TRUE(editinvariant::SaveRVF(*d) == states[i - 1]) << "undo " << states.size() - i;
                EXPECT_EQ(FreshFault(), "");
            }
            EXPECT_EQ(Editor.Edit->UndoAction(), rvutNone);
            for (size_t i = 1; i < states.size(); ++i) {
                Step(true);
                EXPECT_TRUE(editinvariant::SaveRVF(*d) == states[i]) << "redo " << i;
            }
            EXPECT_EQ(FreshFault(), "");
        }
}

// A table operation run without the program's Change after an undo leaves
// nothing to redo: the undone records no longer fit the grid. So it is for
// a table in the document and for one in a cell no editor is open on.
TEST_F(NestedTableUndo, ATableOperationAfterAnUndoLeavesNothingToRedo)
{
    for (const bool nested : {false, true}) {
        SCOPED_TRACE(nested ? "in a cell" : "in the document");
        d = Editor.NewEditor(&Style);
        NewTable(2, 2);
        TRVTableItemInfo* table = Table;
        if (nested) {
            table = OpenNested(0, 0);
            ASSERT_NE(table, nullptr);
            Table->DestroyInplace(true);
            nestedtables::SettleMessages();
        }
        const int rows = table->Rows->Count();
        table->InsertRows(1, 1, 0, false);
        Editor.Edit->Change();
        Step(false);
        // Undone in the cell's editor: closed, it hands the redo to the document.
        Table->DestroyInplace(true);
        nestedtables::SettleMessages();
        ASSERT_NE(Editor.Edit->RedoAction(), rvutNone);
        table->InsertRows(0, 1, -1, false);
        EXPECT_EQ(Editor.Edit->RedoAction(), rvutNone);
        Editor.Edit->Redo();
        EXPECT_EQ(table->Rows->Count(), rows + 1);
        EXPECT_EQ(tablegrid::GridFault(*table->Rows), "");
    }
}

} // namespace

// A numbered paragraph, a table whose cell holds a line and a table with a
// numbered paragraph in a cell, a numbered paragraph: an operation on the
// inner table (no editor open) and its undo keep the document's markers in
// the markers list in document order, numbered 1 to 3. The undo leaves the
// outer cell unedited, as before the operation, also when a program opened
// it since: the document's undo closes cell editors before it plays.
TEST_F(NestedTableUndo, AnOperationOnATableInACellKeepsTheMarkersOfItsCellsInOrder)
{
    for (const bool opened : {false, true}) {
        SCOPED_TRACE(opened ? "the outer cell opened before the undo" : "no cell edited");
        d = Editor.NewEditor(&Style);
        TRVListInfo* list = Style.ListStyles()->Add();
        list->Levels()->Clear();
        TRVListLevel* level = list->Levels()->Add();
        level->SetListType(rvlstDecimal);
        level->SetFormatString("%0:s.");
        const int listNo = list->Index();
        NewTable(1, 1);
        TRVTableCellData* holder = Table->GetCells(0, 0);
        auto* inner = new TRVTableItemInfo(1, 2, holder);
        inner->GetCells(0, 1)->SetListMarkerInfo(0, listNo, 0, 1, 0, false);
        holder->AddItem(AnsiString(), inner);
        d->SetListMarkerInfo(0, listNo, 0, 1, 0, false);
        d->SetListMarkerInfo(d->GetItemCount() - 1, listNo, 0, 1, 0, false);
        Editor.Edit->Format();
        Editor.Edit->ClearUndo();
        const auto expectNumbered = [&](const char* when) {
            std::vector<std::string> shown;
            TRVMarkerList* markers = d->GetMarkers(false);
            ASSERT_NE(markers, nullptr) << when;
            for (int i = 0; i < markers->Count(); ++i)
                shown.push_back(markers->Marker(i)->DisplayString);
            EXPECT_EQ(shown, (std::vector<std::string>{"1.", "2.", "3."})) << when;
        };
        const std::string before = Content();
        SetOrdProp(inner, "CellPadding", 7);
        Editor.Edit->Change();
        Editor.Edit->Format();
        expectNumbered("after the operation");
        if (opened) {
            ASSERT_NE(Open(Table, 0, 0), nullptr);
        }
        Step(false);
        EXPECT_EQ(Content(), before);
        int row = -1;
        int col = -1;
        EXPECT_EQ(Table->GetEditedCell(row, col), nullptr);
        expectNumbered("after its undo");
        EXPECT_EQ(FreshFault(), "");
    }
}

// A document holding a table with a numbered paragraph in a cell, drained
// into an empty document of another editor: the marker goes to that
// document's markers list with its item, and leaves the first one's.
TEST_F(NestedTableUndo, ADocumentDrainedIntoAnotherTakesTheMarkersOfItsCells)
{
    TRVListInfo* list = Style.ListStyles()->Add();
    list->Levels()->Clear();
    list->Levels()->Add()->SetListType(rvlstDecimal);
    NewTable(1, 1);
    Table->GetCells(0, 0)->SetListMarkerInfo(0, list->Index(), 0, 1, 0, false);
    TRVEditRVData* other = Fresh.Edit->EditRVData();
    other->Clear();
    other->DrainFrom(d);
    TRVMarkerList* taken = other->GetMarkers(false);
    ASSERT_NE(taken, nullptr);
    ASSERT_EQ(taken->Count(), 1);
    EXPECT_EQ(taken->Marker(0), Table->GetCells(0, 0)->GetItem(0));
    TRVMarkerList* left = d->GetMarkers(false);
    EXPECT_TRUE(left == nullptr || left->Count() == 0);
}
