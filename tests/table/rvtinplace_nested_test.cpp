// Cell editors open one inside the other: the caret placed in the outermost
// document while they stay open, Ctrl+Home and Ctrl+End from the innermost,
// and a program's undo and redo of the document while a cell editor holds an edit.
// The random test of nested tables walks the rest (grid operations over the
// edited cell, undo groups across cells, the order of the groups, the focus).
#include <gtest/gtest.h>

#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "tests/support/nestedtables.h"
#include "tests/support/tablegrid.h"

namespace {

class NestedCellEditors : public TTableEditFixture {
protected:
    std::string Content() { return nestedtables::Content(d); }
    void Settle() { ASSERT_TRUE(nestedtables::SettleMessages(*Editor.Edit)) << "the messages never settle"; }
    size_t CellEditors() const
    {
        size_t n = 0;
        for (TCustomRollViewEdit* e = Editor.Edit->CellEditor(); e != nullptr; e = e->CellEditor())
            ++n;
        return n;
    }
};

// Cell editors two and three deep, something typed in the innermost: the
// caret placed at every position of the outermost document names a place of
// its own item and leaves them open (two items on the first line: the end of
// one is the start of the next); then Ctrl+Home or Ctrl+End in the innermost
// closes them all and takes the caret to the start or end of the outermost
// document, which has the focus, the document as it was.
TEST_F(NestedCellEditors, TheOutermostCaretWithCellEditorsOpenAndCtrlHomeAndEndFromTheInnermost)
{
    for (const int depth : {2, 3})
        for (const bool home : {true, false}) {
            SCOPED_TRACE(std::to_string(depth) + " deep, " + (home ? "Ctrl+Home" : "Ctrl+End"));
            d = Editor.NewEditor(&Style);
            AddText("abcdef");
            d->AddNL("x", 1, -1);
            NewTable(2, 2);
            Table->EditCell(1, 1);
            for (int k = 1; k < depth; ++k) {
                auto* inner = new TRVTableItemInfo(2, 2, Editor.Edit->GetTopLevelEditor()->EditRVData());
                ASSERT_TRUE(Editor.Edit->InsertItem("", inner));
                inner->EditCell(0, 0);
            }
            Editor.Edit->InsertText("hello");
            ASSERT_EQ(CellEditors(), size_t(depth));
            for (int i = 0; i < d->GetItemCount(); ++i)
                for (int offs = d->GetOffsBeforeItem(i); offs <= d->GetOffsAfterItem(i); ++offs) {
                    d->SetCaretAtItem(i, offs, false);
                    const int item = d->GetCurItemNo();
                    ASSERT_GE(item, 0) << "item " << i << ", offset " << offs;
                    EXPECT_GE(d->GetOffsetInCurItem(), d->GetOffsBeforeItem(item)) << "item " << i;
                    EXPECT_LE(d->GetOffsetInCurItem(), d->GetOffsAfterItem(item)) << "item " << i;
                }
            ASSERT_EQ(CellEditors(), size_t(depth));
            const std::string content = Content();
            SimulateKey(Editor.Edit->GetTopLevelEditor(), home ? VK_HOME : VK_END, TShiftState{ssCtrl});
            Settle();
            EXPECT_EQ(CellEditors(), 0u);
            EXPECT_EQ(Content(), content);
            EXPECT_TRUE(Editor.Edit->Focused());
            const int item = home ? 0 : d->GetItemCount() - 1;
            EXPECT_EQ(d->GetCurItemNo(), item);
            EXPECT_EQ(d->GetOffsetInCurItem(), home ? d->GetOffsBeforeItem(item) : d->GetOffsAfterItem(item));
        }
}

// A program undoes and redoes the document itself while a cell editor holds
// an edit made after the document's last step (a row put into the table):
// the editor hands its edit over first, so that each play takes the latest
// step, the edit and then the row, and redoes them in turn, under every undo
// limit; a redo list the edit made stale is not played.
TEST_F(NestedCellEditors, AProgramsUndoOfTheDocumentTakesTheCellEditorsEditFirst)
{
    for (const int limit : {-1, 1, 2}) {
        SCOPED_TRACE("undo limit " + std::to_string(limit));
        d = Editor.NewEditor(&Style);
        Editor.Edit->SetUndoLimit(limit);
        NewTable(2, 2);
        const std::string plain = Content();
        const int token = Table->BeginModify(1);
        Table->InsertRows(0, 1, -1, false);
        Table->EndModify(1, token);
        d->Change();
        const std::string rowAdded = Content();
        Table->EditCell(1, 0);
        Editor.Edit->InsertText("a");
        const std::string edited = Content();
        d->Undo();
        Settle();
        EXPECT_EQ(Content(), rowAdded);
        if (limit != 1) {
            d->Undo();
            Settle();
            EXPECT_EQ(Content(), plain);
            d->Redo();
            Settle();
            EXPECT_EQ(Content(), rowAdded);
        }
        d->Redo();
        Settle();
        EXPECT_EQ(Content(), edited);
        // Typed again after an undo: the redo left is stale, and goes.
        d->Undo();
        Settle();
        Table->EditCell(0, 0);
        Editor.Edit->InsertText("b");
        const std::string retyped = Content();
        d->Redo();
        Settle();
        EXPECT_EQ(Content(), retyped);
    }
}

} // namespace
