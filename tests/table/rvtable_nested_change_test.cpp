// Tables nested in cells that no editor edits, changed by name: a value equal
// to the one there moves nothing (no cell's items into an editor, no step, no
// change counted, every layout kept), and a change reaches the layout of every
// table around the changed one, which lays out again at its next layout.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/core/typinfo.h"
#include "tests/support/nestedtables.h"
#include "tests/support/tablegrid.h"
#include "tests/support/testtable.h"

namespace {

class NestedTableChange : public TTableEditFixture {
protected:
    // The editor's document: "before", a table of two rows and one column
    // whose second cell holds, after its text, a table like it, and so on
    // Depth tables deep, then "after"; every cell holds the text "r,c" of its
    // slot. Laid out afresh; the tables, outermost first.
    std::vector<TRVTableItemInfo*> NewNest(int depth)
    {
        AddText("before");
        std::vector<TRVTableItemInfo*> tables;
        TCustomRVData* holder = d;
        for (int level = 0; level <= depth; ++level) {
            auto* table = new TRVTableItemInfo(2, 1, holder);
            for (int r = 0; r < 2; ++r) {
                table->GetCells(r, 0)->Clear();
                table->GetCells(r, 0)->AddNL(AnsiString(std::to_string(r) + ",0"), 0, 0);
            }
            holder->AddItem(AnsiString(), table);
            tables.push_back(table);
            holder = table->GetCells(1, 0);
        }
        AddText("after");
        d->ClearUndo();
        Editor.Edit->Format();
        Table = tables.front();
        return tables;
    }

    // The layout of every table of the document, outermost first.
    std::string Layouts(const std::vector<TRVTableItemInfo*>& tables)
    {
        std::string s;
        for (TRVTableItemInfo* t : tables)
            s += tablegrid::LayoutOf(*d, *t);
        return s;
    }
};

// A property set by name to the value it has, on a table one or two deep in
// cells that no editor edits, as a property inspector or a component stream
// sets it: the table's own property and a cell's. The cells' items stay where
// they are (a cell of a table around that lent them to an editor would lose
// its laid-out lines until the next layout), no step is recorded, and the
// documents count no change (a print preview would lay them out again).
TEST_F(NestedTableChange, APropertyByNameEqualToItsValueMovesNothing)
{
    const struct {
        const char* Name;
        std::function<void(TRVTableItemInfo*)> Set;
    } cases[] = {
        {"table's property", [](TRVTableItemInfo* t) { SetOrdProp(t, "BorderWidth", t->BorderWidth); }},
        {"cell's property",
         [](TRVTableItemInfo* t) { t->SetCellBestWidth(t->GetCells(0, 0)->BestWidth, 0, 0); }},
    };
    for (const int depth : {1, 2})
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + ", " + std::to_string(depth) + " deep");
            d = Editor.NewEditor(&Style);
            const std::vector<TRVTableItemInfo*> tables = NewNest(depth);
            TRVTableItemInfo* target = tables[static_cast<size_t>(depth)];
            ASSERT_TRUE(target->State.Contains(rvtsInserted));
            ASSERT_NE(target->GetCells(0, 0)->DrawItems.Count(), 0) << "the nest is laid out";
            const std::string laidOut = Layouts(tables);
            const AnsiString saved = editinvariant::SaveRVF(*d);
            const uint64_t changes = d->ChangeCount();
            c.Set(target);
            EXPECT_EQ(Layouts(tables), laidOut);
            EXPECT_EQ(d->ChangeCount(), changes);
            EXPECT_EQ(d->UndoList->Count(), 0);
            EXPECT_TRUE(editinvariant::SaveRVF(*d) == saved);
        }
}

// In an editor that keeps no undo, a cell of a table one or two deep made
// taller by name changes the table in place; the editor's next layout (which
// lays out again only what changed) makes every table around it as tall as a
// fresh layout of the document does.
TEST_F(NestedTableChange, AChangeInATableInACellReachesTheLayoutOfTheTablesAroundIt)
{
    THeadlessEditor fresh;
    fresh.NewEditor(&Style);
    for (const int depth : {1, 2}) {
        SCOPED_TRACE(std::to_string(depth) + " deep");
        d = Editor.NewEditor(&Style);
        Editor.Edit->SetUndoLimit(0);
        const std::vector<TRVTableItemInfo*> tables = NewNest(depth);
        ASSERT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, fresh), "");
        const int height = Table->GetHeight();
        TRVTableItemInfo* target = tables[static_cast<size_t>(depth)];
        target->SetCellBestHeight(target->GetCells(0, 0)->Height + 100, 0, 0);
        d->FormatAll();
        EXPECT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, fresh), "");
        EXPECT_GE(Table->GetHeight(), height + 100);
    }
}

// A grid change of a table in a cell no editor edits, laid out as a program
// does (BeginModify and EndModify of the table around it in an open cell
// editor's document, then Change): the cell editor's document grows, and the
// tables holding the editors follow at once, each around the next, also
// where the change itself records nothing of the editor's own.
TEST_F(NestedTableChange, AGridChangeLaidOutAsACommandInACellEditorReachesTheTablesHoldingTheEditors)
{
    THeadlessEditor fresh;
    fresh.NewEditor(&Style);
    for (const int depth : {2, 3})
        for (const int limit : {0, -1}) {
            SCOPED_TRACE(std::to_string(depth) + " deep, undo limit " + std::to_string(limit));
            d = Editor.NewEditor(&Style);
            Editor.Edit->SetUndoLimit(limit);
            const std::vector<TRVTableItemInfo*> tables = NewNest(depth);
            // Every table but the innermost two has its second cell edited.
            for (size_t k = 0; k + 2 < tables.size(); ++k)
                tables[k]->EditCell(1, 0);
            TRVTableItemInfo* holder = tables[tables.size() - 2];
            TRVTableItemInfo* target = tables.back();
            TRVEditRVData* open = Editor.Edit->GetTopLevelEditor()->EditRVData();
            ASSERT_EQ(holder->GetRVData(), open);
            const int height = Table->GetHeight();
            const int itemNo = open->GetItemNo(holder);
            const int token = holder->BeginModify(itemNo);
            target->Rows->SplitCellHorizontally(0, 0, 2);
            holder->EndModify(itemNo, token);
            open->Change();
            EXPECT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, fresh), "");
            EXPECT_GT(Table->GetHeight(), height);
        }
}

} // namespace
