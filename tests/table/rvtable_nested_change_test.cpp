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

    // The editor's document: "before", Depth tables of one cell each nested
    // one in the cell of the other, each cell holding Lines lines (a
    // hyperlink after them when Link), then the next table and half as many
    // lines; the innermost cell holds a table of one cell (Other) and the
    // lines, then the target, a table of two rows and two columns, last;
    // then "after". Laid out, nothing to undo. The holders, outermost first.
    std::vector<TRVTableItemInfo*> NewBigNest(int depth, int lines, bool link, TRVTableItemInfo*& other,
                                              TRVTableItemInfo*& target)
    {
        AddText("before");
        std::vector<TRVTableItemInfo*> holders;
        TCustomRVData* doc = d;
        // The first line wraps: where depends on the cell's width.
        const auto addLines = [&](int count) {
            for (int i = 0; i < count; ++i)
                doc->AddNL(AnsiString(i > 0 ? "line " + std::to_string(i) + " of the cell"
                                            : "the first line of the cell, long enough to wrap in it"),
                           0, 0);
        };
        for (int level = 0; level < depth; ++level) {
            auto* holder = new TRVTableItemInfo(1, 1, doc);
            doc->AddItem(AnsiString(), holder);
            if (level > 0)
                addLines(lines / 2);
            holders.push_back(holder);
            doc = holder->GetCells(0, 0);
            doc->Clear();
            if (level + 1 == depth) {
                other = new TRVTableItemInfo(1, 1, doc);
                doc->AddItem(AnsiString(), other);
            }
            addLines(lines);
            if (link)
                doc->AddNL("a link", 4, 0);
        }
        target = new TRVTableItemInfo(2, 2, doc);
        doc->AddItem(AnsiString(), target);
        addLines(lines / 2 * (depth > 1));
        AddText("after");
        Editor.Edit->Format();
        d->ClearUndo();
        return holders;
    }
};

// The minimum width of every cell of every table of Doc at every depth, for
// a device of twice the screen's resolution.
std::string DeviceMinWidths(TCustomRVData* doc, TCanvas* canvas)
{
    TRVScreenAndDevice sad;
    sad.ScreenPpiX = sad.ScreenPpiY = 96;
    sad.DevicePpiX = sad.DevicePpiY = 192;
    std::string s;
    for (TRVTableItemInfo* t : nestedtables::AllTables(doc))
        for (int r = 0; r < t->Rows->Count(); ++r)
            for (int c = 0; c < t->Rows->Get(r)->Count(); ++c)
                if (TRVTableCellData* cell = t->GetCells(r, c))
                    s += " " + std::to_string(cell->GetMinWidth(&sad, canvas));
    return s;
}

// The layout of every cell of every table of Doc at every depth: each draw
// item's place, size and piece, the content's height, minimum width and
// hyperlinks.
std::string CellLayouts(TCustomRVData* doc, TCanvas* canvas)
{
    std::string s;
    for (TRVTableItemInfo* t : nestedtables::AllTables(doc))
        for (int r = 0; r < t->Rows->Count(); ++r)
            for (int c = 0; c < t->Rows->Get(r)->Count(); ++c) {
                TRVTableCellData* cell = t->GetCells(r, c);
                if (cell == nullptr)
                    continue;
                s += "height " + std::to_string(cell->DocumentHeight) + " min " +
                     std::to_string(cell->GetMinWidth(nullptr, canvas)) + " links " +
                     std::to_string(cell->JumpCount) + ":";
                for (int i = 0; i < cell->DrawItems.Count(); ++i) {
                    const TRVDrawLineInfo* dli = cell->DrawItems[i];
                    for (const int v : {dli->Left, dli->Top, dli->Width, dli->Height, dli->ItemNo, dli->Offs})
                        s += " " + std::to_string(v);
                    s += ";";
                }
                s += "\n";
            }
    return s;
}

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

// An operation on a table in a big cell no editor edits, one to three cells
// deep, then the editor's next layout, an undo and a redo: every cell is laid out
// and measured as a fresh layout of the document makes it, also when the
// table grows wider than the cell's lines or than the cell, its rows all go,
// the cell holds a hyperlink, another table of the cell changed before with
// no layout between, or the table holding the cell, the cell's lines or
// (with no undo) the other table changed after. An operation that leaves the text as wide as the cell lays
// out (and measures) again only the changed table, not the cell's lines.
TEST_F(NestedTableChange, AnOperationOnATableInABigCellLaysTheCellOutAsAFreshLayout)
{
    using TTable = TRVTableItemInfo*;
    const struct {
        const char* Name;
        std::function<void(TTable)> Run;
        bool Cheap;
    } operations[] = {
        {"padding", [](TTable t) { t->SetProperty("CellPadding", 3, true, true); }, true},
        {"rows inserted", [](TTable t) { t->InsertRows(1, 2, 0, false); }, true},
        {"wider than the lines", [](TTable t) { t->SetProperty("CellPadding", 30, true, true); }, false},
        {"wider than the cell", [](TTable t) { t->SetProperty("CellPadding", 200, true, true); }, false},
        {"every row deleted", [](TTable t) { t->DeleteRows(0, 2, false); }, false},
    };
    enum TAround { Nothing, Link, OtherBefore, HolderAfter, LineAfter, OtherAfterUnrecorded };
    THeadlessEditor fresh;
    fresh.NewEditor(&Style);
    constexpr int lines = 60;
    for (const int depth : {1, 2, 3})
        for (const auto& op : operations)
            for (const TAround around :
                 {Nothing, Link, OtherBefore, HolderAfter, LineAfter, OtherAfterUnrecorded}) {
                SCOPED_TRACE(std::string(op.Name) + ", " + std::to_string(depth) + " deep, around " +
                             std::to_string(around));
                d = Editor.NewEditor(&Style);
                TTable other = nullptr;
                TTable target = nullptr;
                const std::vector<TTable> holders = NewBigNest(depth, lines, around == Link, other, target);
                TRecordingCanvas& measure = Editor.Edit->Measure;
                const auto expectFresh = [&](const char* when) {
                    ASSERT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, fresh), "") << when;
                    EXPECT_EQ(CellLayouts(d, &measure),
                              CellLayouts(fresh.Edit->EditRVData(), &fresh.Edit->Measure))
                        << when;
                };
                // Laid out again by the program's Format, or by the undo and the redo themselves.
                const auto step = [&](const char* when, const std::function<void()>& change) {
                    measure.ResetTextsMeasured();
                    change();
                    nestedtables::SettleMessages();
                    if (op.Cheap && around == Nothing) {
                        EXPECT_LT(measure.TextsMeasured(), lines) << when;
                    }
                    expectFresh(when);
                };
                std::string deviceWidths;
                step("operation", [&] {
                    if (around == OtherBefore)
                        other->SetProperty("BorderWidth", 3, true, true);
                    op.Run(target);
                    if (around == HolderAfter)
                        holders.back()->SetProperty("CellPadding", 40, true, true);
                    if (around == LineAfter)
                        holders.back()->GetCells(0, 0)->AddNL("a line added", 0, 0);
                    // Changed in place, the cell's items staying in the cell.
                    if (around == OtherAfterUnrecorded) {
                        Editor.Edit->SetUndoLimit(0);
                        other->SetProperty("BorderWidth", 3, true, true);
                    }
                    Editor.Edit->Change();
                    // Measured for a device before the layout measures for the screen.
                    deviceWidths = DeviceMinWidths(d, &measure);
                    d->FormatAll();
                });
                EXPECT_EQ(deviceWidths, DeviceMinWidths(fresh.Edit->EditRVData(), &fresh.Edit->Measure));
                if (around == OtherAfterUnrecorded)
                    continue;
                step("undo", [&] { Editor.Edit->Undo(); });
                step("redo", [&] { Editor.Edit->Redo(); });
            }
}

// A program's undo group on a table (InitUndo, DoneUndo) that puts a table
// into one of its cells through a cell editor and then changes that table
// with no editor open: undone (the cell empty again, with as many items) and
// redone as one step,
// every cell is laid out and measured as a fresh layout of the document does.
TEST_F(NestedTableChange, AGroupThatPutsATableIntoACellAndChangesItUndoesToAFreshLayout)
{
    THeadlessEditor fresh;
    fresh.NewEditor(&Style);
    NewTable(1, 3);
    // The table takes the place of the cell's empty line.
    SetCellText(0, 1, "");
    d->FormatAll();
    d->ClearUndo();
    Table->InitUndo();
    Table->EditCell(0, 1);
    auto* inner = new TRVTableItemInfo(1, 2, Editor.Edit->GetTopLevelEditor()->EditRVData());
    ASSERT_TRUE(Editor.Edit->InsertItem("", inner));
    Table->DestroyInplace(true);
    nestedtables::SettleMessages();
    inner->InsertCols(1, 1, 0, false);
    Table->DoneUndo();
    Editor.Edit->Change();
    d->FormatAll();
    for (const char* when : {"done", "undone", "redone"}) {
        if (std::string(when) != "done") {
            when[0] == 'u' ? Editor.Edit->Undo() : Editor.Edit->Redo();
            nestedtables::SettleMessages();
        }
        ASSERT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, fresh), "") << when;
        EXPECT_EQ(CellLayouts(d, &Editor.Edit->Measure),
                  CellLayouts(fresh.Edit->EditRVData(), &fresh.Edit->Measure))
            << when;
    }
}

} // namespace
