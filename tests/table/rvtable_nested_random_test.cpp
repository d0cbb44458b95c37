// Seeded random editing of tables nested in cells: cells opened at every
// depth, tables put into them, keys to the focused cell editor, the table's
// own operations on tables at every depth, in open documents or in cells no
// editor is open on (rows and columns, merges and splits, borders, row
// alignment, pictures, copied cell attributes, published properties set by
// name, now and then with a cell of the same table just typed into, and two
// operations in the table's own undo group), grid operations over the edited
// cell, a program's undo group across cells, cells and tables copied into
// cells, a table deleted with cell editors open in it, undo and redo through
// the control and keys, under undo limits 1, 2, 5 or none, cell editors
// closed and the editor freed at any point; the table's operations laid out
// by the program's Format or as a command. After every step: undo and redo
// give back both documents byte for byte (a table's operation in one step,
// as far as the limit keeps steps), the layout is a fresh editor's, every
// grid is sound, no error box came up, the focus is in the editor and every
// cell editor is its table's; at the end undoing everything gives back the
// first document (without a limit), redoing it the last.
//
// KELVOR_NESTED_SEEDS sets how many seeds run, KELVOR_NESTED_SEED the first
// (without it a few seeds that met faults of their own run too);
// KELVOR_NESTED_TRACE prints every step.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/bitmap.h"
#include "table/rvtinplace.h"
#include "tests/support/nestedtables.h"
#include "tests/support/tablegrid.h"

namespace {

constexpr int MaxTables = 8;
// How deep tables are nested in cells at most (the outer table counts 1).
constexpr int MaxDepth = 3;

std::unique_ptr<TBitmap> SizedBitmap(int size)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(size, size);
    return bitmap;
}

class NestedTableRandomTest : public TTableEditFixture {
protected:
    NestedTableRandomTest() { Fresh.NewEditor(&Style); }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(Random); }
    bool Coin() { return Pick(0, 1) == 1; }

    // The editor, then the cell editors open one inside the other; the
    // document at a depth (0: the editor's); the depth of the innermost.
    std::vector<TCustomRollViewEdit*> Editors() const
    {
        std::vector<TCustomRollViewEdit*> editors{Editor.Edit};
        while (TCustomRollViewEdit* e = editors.back()->CellEditor())
            editors.push_back(e);
        return editors;
    }
    TRVEditRVData* Doc(int depth) const { return Editors()[static_cast<size_t>(depth)]->EditRVData(); }
    int Depth() const { return int(Editors().size()) - 1; }
    // A table of the document at Depth, or null.
    TRVTableItemInfo* TableAt(int depth)
    {
        const std::vector<TRVTableItemInfo*> tables = nestedtables::TablesOf(Doc(depth));
        return tables.empty() ? nullptr : tables[static_cast<size_t>(Pick(0, int(tables.size()) - 1))];
    }
    // A depth of the open documents, the deeper ones more often. (Draws that
    // feed one call are taken one statement at a time elsewhere, so that a
    // seed takes the same steps whatever order a compiler gives arguments.)
    int PickDepth() { return std::max(Pick(0, Depth()), Pick(0, Depth())); }
    void PickCell(TRVTableItemInfo* t, int& row, int& col)
    {
        row = Pick(0, t->Rows->Count() - 1);
        col = Pick(0, t->Rows->GetColCount() - 1);
    }
    // A cell editor open at a random depth (1: the outermost), or null.
    TRVTableInplaceEdit* PickCellEditor(int& depth, std::string& name)
    {
        name = "no cell edited";
        depth = Depth() > 0 ? Pick(1, Depth()) : 0;
        return dynamic_cast<TRVTableInplaceEdit*>(Editors()[static_cast<size_t>(depth)]);
    }

    TCustomRollViewEdit* Focused()
    {
        TCustomRollViewEdit* top = Editor.Edit->GetTopLevelEditor();
        if (!top->Focused())
            top->SetFocus();
        return top;
    }
    // The messages a step posted handled, and those their handlers post.
    void Settle() { nestedtables::SettleMessages(); }
    void Key(WORD key, TShiftState shift = TShiftState())
    {
        SimulateKey(Focused(), key, shift);
        Settle();
    }
    AnsiString Save()
    {
        LastContent = nestedtables::Content(d);
        return editinvariant::SaveRVF(*d);
    }

    // ---- The steps; each names itself.
    void OpenCell(std::string& name)
    {
        const int depth = PickDepth();
        name = "open a cell at depth " + std::to_string(depth);
        if (depth > 0 && Pick(0, 3) == 0) {
            static const WORD keys[] = {VK_TAB, VK_DOWN, VK_UP, VK_RIGHT};
            const bool plain = Coin();
            const WORD key = keys[Pick(0, 3)];
            Key(key, plain ? TShiftState() : TShiftState{ssShift});
            return;
        }
        if (TRVTableItemInfo* t = TableAt(depth)) {
            const int col = Pick(0, t->Rows->GetColCount() - 1);
            t->EditCell(Pick(0, t->Rows->Count() - 1), col);
        }
    }
    void InsertTable(std::string& name)
    {
        TRVEditRVData* top = Doc(Depth());
        name = "insert a table at depth " + std::to_string(Depth());
        if (int(nestedtables::AllTables(d).size()) >= MaxTables || top->TableNestingLevel() >= MaxDepth)
            return;
        const int cols = Pick(1, 3);
        auto* table = new TRVTableItemInfo(Pick(1, 3), cols, top);
        for (int r = 0; r < table->Rows->Count(); ++r)
            for (int c = 0; c < table->Rows->GetColCount(); ++c)
                if (Coin()) {
                    table->GetCells(r, c)->Clear();
                    table->GetCells(r, c)->AddNL(AnsiString(size_t(Pick(1, 12)), char('a' + r + c)), 0, 0);
                }
        Editor.Edit->InsertItem("", table);
    }
    // Key K to the focused (innermost) editor: caret keys, then deleting keys.
    void PressKey(int k, std::string& name)
    {
        static const char* const names[] = {"Tab",       "Shift+Tab", "Left", "Right",     "Up",
                                            "Down",      "Home",      "End",  "Ctrl+Home", "Ctrl+End",
                                            "Backspace", "Delete",    "Enter"};
        static const WORD keys[] = {VK_TAB, VK_TAB,  VK_LEFT, VK_RIGHT, VK_UP,     VK_DOWN,  VK_HOME,
                                    VK_END, VK_HOME, VK_END,  VK_BACK,  VK_DELETE, VK_RETURN};
        name = names[k];
        Key(keys[k], k == 1 ? TShiftState{ssShift} : k == 8 || k == 9 ? TShiftState{ssCtrl} : TShiftState());
    }
    // A caret key; the editor itself takes no Tab (the focus would go to the next control).
    void Navigate(std::string& name)
    {
        const std::string depth = " at depth " + std::to_string(Depth());
        PressKey(Pick(Depth() > 0 ? 0 : 2, 9), name);
        name += depth;
    }
    // A program's undo group in group mode over cells of a table at a random
    // depth typed into one after the other, the last closed: one undo step.
    void ProgramGroup(std::string& name)
    {
        const int depth = PickDepth();
        TRVTableItemInfo* t = TableAt(depth);
        name = "an undo group over cells at depth " + std::to_string(depth);
        if (t == nullptr)
            return;
        TCustomRollViewEdit* owner = Editors()[static_cast<size_t>(depth)];
        owner->BeginUndoGroup(rvutModifyItem);
        owner->SetUndoGroupMode(true);
        for (int n = Pick(2, 3), row, col; n > 0; --n) {
            PickCell(t, row, col);
            t->EditCell(row, col);
            Editor.Edit->InsertText(n % 2 ? "g" : "hh");
        }
        t->DestroyInplace(true);
        owner->SetUndoGroupMode(false);
        Settle();
    }
    // A row-list operation run by a program over the cell being edited at a
    // random depth: merged with its neighbours, split, unmerged.
    void GridOverEditedCell(std::string& name)
    {
        int depth = 0;
        TRVTableInplaceEdit* edit = PickCellEditor(depth, name);
        if (edit == nullptr)
            return;
        TRVTableItemInfo* t = edit->Table;
        TRVEditRVData* doc = Doc(depth - 1);
        const int row = edit->Row;
        const int col = edit->Col;
        const int kind = Pick(0, 4);
        static const char* const names[] = {"merge from", "merge into", "split across", "split down",
                                            "unmerge"};
        name = std::string(names[kind]) + " the edited cell at depth " + std::to_string(depth);
        const int span = Pick(2, 3);
        const int across = kind == 0 ? Pick(1, span) : span;
        const int down = kind == 0 ? Pick(1, span) : span;
        const bool room = kind == 2 ? t->Rows->GetColCount() < 5 : t->Rows->Count() < 5;
        const int itemNo = doc->GetItemNo(t);
        const int token = t->BeginModify(itemNo);
        t->InUndoGroup([&] {
            if (kind < 2)
                t->Rows->MergeCells(std::max(row - kind, 0), std::max(col - kind, 0), across, down, true,
                                    true);
            else if (kind == 4)
                t->Rows->UnmergeCell(row, col, true, true);
            else if (room && kind == 2)
                t->Rows->SplitCellVertically(row, col, span);
            else if (room)
                t->Rows->SplitCellHorizontally(row, col, span);
        });
        t->EndModify(itemNo, token);
        doc->Change();
    }
    // Cells of a table, or a whole table, copied; a cell opened; pasted there.
    void CopyAndPaste(std::string& name)
    {
        const int depth = PickDepth();
        TRVTableItemInfo* t = TableAt(depth);
        name = "no table to copy at depth " + std::to_string(depth);
        if (t == nullptr)
            return;
        TCustomRollViewEdit* owner = Editors()[static_cast<size_t>(depth)];
        const bool cells = Coin();
        name = std::string(cells ? "cells" : "a table") + " copied at depth " + std::to_string(depth);
        if (cells) {
            int row, col, lastRow, lastCol;
            PickCell(t, row, col);
            PickCell(t, lastRow, lastCol);
            t->Select(row, col, lastRow - row, lastCol - col);
        } else {
            const int itemNo = owner->EditRVData()->GetItemNo(t);
            owner->EditRVData()->SetSelectionBounds(itemNo, 0, itemNo, 1);
        }
        owner->CopyRVF();
        std::string opened;
        OpenCell(opened);
        name += ", " + opened + ", pasted";
        Editor.Edit->Paste();
        Settle();
    }
    // The table of a cell editor open at a random depth, with every cell
    // editor inside it, deleted by a program from the document that holds it.
    void DeleteEditedTable(std::string& name)
    {
        int depth = 0;
        TRVTableInplaceEdit* edit = PickCellEditor(depth, name);
        if (edit == nullptr)
            return;
        TRVEditRVData* doc = Doc(depth - 1);
        const int itemNo = doc->GetItemNo(edit->Table);
        name = "the table edited at depth " + std::to_string(depth) + " deleted";
        if (itemNo < 0 || doc->GetItemCount() < 2)
            return;
        doc->BeginUndoSequence(rvutDelete, true);
        bool full = true;
        doc->Do_DeleteItem(itemNo, full);
        if (itemNo < doc->GetItemCount())
            doc->SettleAfterRemoval(itemNo, full);
        doc->FormatAll();
        const int at = std::min(itemNo, doc->GetItemCount() - 1);
        doc->SetCaretAtItem(at, doc->GetOffsBeforeItem(at), false);
        doc->Change();
        Settle();
    }
    void Type(std::string& name)
    {
        if (Coin()) {
            name = "typing through the editor";
            Editor.Edit->InsertText(Coin() ? "x" : "yz zy");
        } else {
            name = "typing";
            SimulateKey(Focused(), WORD('A' + Pick(0, 25)));
        }
        Settle();
    }
    void Delete(std::string& name) { PressKey(10 + Pick(0, 2), name); }
    // A table with cells at any depth, in a document open in an editor or in
    // a cell no editor is open on (null when there is none).
    TRVTableItemInfo* AnyTable()
    {
        const std::vector<TRVTableItemInfo*> tables = nestedtables::TablesWithCells(d);
        if (tables.empty())
            return nullptr;
        return tables[static_cast<size_t>(Pick(0, int(tables.size()) - 1))];
    }
    static std::string DepthOf(TRVTableItemInfo* t)
    {
        return " at depth " + std::to_string(t->GetRVData()->TableNestingLevel());
    }
    // Runs a program's operation on Table and tells the document that holds
    // the table of the change (as the editor's own commands do), laid out by
    // the program (the editor's Format) or as a command in the innermost open
    // document around the table, laid out around it.
    void AsACommand(TRVTableItemInfo* t, std::string& name, const std::function<void()>& operation)
    {
        TRVTableItemInfo* holder = nullptr;
        TRVEditRVData* open = nestedtables::OpenAround(t, holder);
        ASSERT_NE(open, nullptr) << name;
        const bool program = Coin();
        name += program ? ", Format" : ", laid out as a command";
        const int itemNo = open->GetItemNo(holder);
        const int token = program ? 0 : holder->BeginModify(itemNo);
        operation();
        // Deleting every row or column of a table in an open document deletes
        // the table, laid out then.
        if (!program && itemNo < open->GetItemCount() && open->GetItem(itemNo) == holder)
            holder->EndModify(itemNo, token);
        open->Change();
        if (program)
            Editor.Edit->Format();
        Settle();
    }
    // A row, column, merge or split operation on a table at any depth.
    void Structure(std::string& name)
    {
        TRVTableItemInfo* t = AnyTable();
        name = "no table";
        if (t == nullptr)
            return;
        const int rows = t->Rows->Count();
        const int cols = t->Rows->GetColCount();
        const int r = Pick(0, rows - 1);
        const int c = Pick(0, cols - 1);
        const int a = Pick(1, 2);
        const int b = Pick(1, 2);
        const int kind = Pick(0, 8);
        static const char* const names[] = {"insert rows",  "insert cols", "delete rows",
                                            "delete cols",  "merge",       "unmerge",
                                            "split across", "split down",  "insert rows below"};
        name = names[kind] + DepthOf(t);
        OneStep = true;
        // Cells open around the table, the table laid out in the editor's document.
        if (kind == 8)
            t->EditCell(r, c);
        AsACommand(t, name, [&] {
            switch (kind) {
            case 0:
                if (rows < 5) {
                    const int copy = Pick(-1, rows - 1);
                    t->InsertRows(Pick(0, rows), a, copy, false);
                }
                break;
            case 1:
                if (cols < 5) {
                    const int copy = Pick(-1, cols - 1);
                    t->InsertCols(Pick(0, cols), a, copy, false);
                }
                break;
            case 2:
                t->DeleteRows(r, a, Coin());
                break;
            case 3:
                t->DeleteCols(c, a, Coin());
                break;
            case 4:
                t->MergeCells(r, c, a, b, Coin());
                break;
            case 5: {
                const bool unmergeCols = Coin();
                t->UnmergeCells(r, c, a, b, Coin(), unmergeCols);
                break;
            }
            case 6:
            case 7: {
                const int lastCol = Pick(0, cols - 1);
                t->Select(r, c, Pick(0, rows - 1) - r, lastCol - c);
                if (kind == 6 && cols < 5)
                    t->SplitSelectedCellsVertically(2);
                else if (kind == 7 && rows < 5)
                    t->SplitSelectedCellsHorizontally(2);
                break;
            }
            default:
                if (rows < 5)
                    t->InsertRowsBelow(1);
                break;
            }
        });
    }
    // A main cell of Table: its row and column.
    void PickMainCell(TRVTableItemInfo* t, int& row, int& col)
    {
        PickCell(t, row, col);
        t->Rows->GetMainCell(row, col, row, col);
    }
    // A cell's or a row's attributes set through a table's own API on a
    // table at any depth: visible borders, a row's alignment, a cell's or
    // the table's background picture, the attributes of a cell of any table
    // copied, a cell's colour or width.
    void CellAttributes(std::string& name)
    {
        TRVTableItemInfo* t = AnyTable();
        name = "no table";
        if (t == nullptr)
            return;
        int row, col;
        PickMainCell(t, row, col);
        const int kind = Pick(0, 5);
        static const char* const names[] = {
            "borders",       "row alignment",          "cell picture",
            "table picture", "cell attributes copied", "cell colour or width"};
        name = names[kind] + DepthOf(t);
        OneStep = true;
        TGraphic* picture = Pictures[Pick(0, 2)];
        AsACommand(t, name, [&] {
            switch (kind) {
            case 0: {
                const bool left = Coin();
                const bool top = Coin();
                const bool right = Coin();
                t->SetCellVisibleBorders(left, top, right, Coin(), row, col);
                break;
            }
            case 1:
                t->SetRowVAlign(TRVCellVAlign(Pick(0, 2)), row);
                break;
            case 2:
                t->SetCellBackgroundImage(picture, row, col);
                break;
            case 3:
                t->SetBackgroundImage(picture);
                break;
            case 4: {
                TRVTableItemInfo* from = AnyTable();
                int fromRow, fromCol;
                PickMainCell(from, fromRow, fromCol);
                const bool size = Coin();
                t->AssignCellAttributes(-1, row, col, from->GetCells(fromRow, fromCol), size, 1, 1);
                break;
            }
            default: {
                static const TColor colors[] = {clNone, clRed, clBlue, clWindow};
                if (Coin())
                    t->SetCellColor(colors[Pick(0, 3)], row, col);
                else
                    t->SetCellBestWidth(Pick(0, 3) * 20, row, col);
                break;
            }
            }
        });
    }
    // A program's InitUndo and DoneUndo around two operations of a table at
    // any depth: one step.
    void BracketedOperations(std::string& name)
    {
        TRVTableItemInfo* t = AnyTable();
        name = "no table";
        if (t == nullptr)
            return;
        name = "two operations in the table's undo group" + DepthOf(t);
        OneStep = true;
        AsACommand(t, name, [&] {
            t->InitUndo();
            for (int n = 0; n < 2; ++n) {
                int row, col;
                PickMainCell(t, row, col);
                const int kind = Pick(0, 3);
                if (kind == 0 && t->Rows->Count() < 5)
                    t->InsertRows(row, 1, row, false);
                else if (kind == 1)
                    t->MergeCells(row, col, 2, 1, true);
                else if (kind == 2)
                    t->SetCellColor(n == 0 ? clRed : clBlue, row, col);
                else
                    SetOrdProp(t, "CellPadding", Pick(0, 6));
            }
            t->DoneUndo();
        });
    }
    // A published property of a table at any depth (in a document open in an
    // editor or in a cell no editor is open on) set by name, as a property
    // inspector sets it; now and then first typed into a cell of the same
    // table opened for it. Told to the document and laid out as AsACommand does.
    void SetPublished(std::string& name)
    {
        TRVTableItemInfo* t = AnyTable();
        name = "no table to set a property of";
        if (t == nullptr)
            return;
        const std::vector<const TPropInfo*>& props = GetPropertyTable(t)->AllProps();
        const TPropInfo* prop = props[static_cast<size_t>(Pick(0, int(props.size()) - 1))];
        name = "set " + std::string(prop->Name) + DepthOf(t);
        TRVTableItemInfo* holder = nullptr;
        if (nestedtables::OpenAround(t, holder) != nullptr && t == holder && Pick(0, 2) == 0) {
            int row, col;
            PickMainCell(t, row, col);
            t->EditCell(row, col);
            const bool keys = Coin();
            name += keys ? " typed into" : " inserted into";
            name += " a cell of it";
            if (keys)
                Key(WORD('A' + Pick(0, 25)));
            else
                Editor.Edit->InsertText(Coin() ? "ab" : "c");
        } else {
            OneStep = true;
        }
        AsACommand(t, name, [&] {
            const auto names = static_cast<int64_t>(prop->EnumNames.size());
            if (prop->Kind == pkString) {
                const int letter = Pick(0, 2);
                SetStrProp(t, prop->Name, GetStrProp(t, prop->Name) + char('a' + letter));
            } else if (prop->Kind == pkBoolean) {
                SetOrdProp(t, *prop, Pick(0, 1));
            } else if (prop->Kind == pkEnumeration) {
                SetOrdProp(t, *prop, Pick(0, int(names) - 1));
            } else if (prop->Kind == pkSet) {
                SetOrdProp(t, *prop, GetOrdProp(t, *prop) ^ (int64_t{1} << Pick(0, int(names) - 1)));
            } else if (prop->Kind == pkColor) {
                static const TColor colors[] = {clNone, clRed, clBlue, clWindow};
                SetOrdProp(t, *prop, colors[Pick(0, 3)]);
            } else {
                SetOrdProp(t, *prop, Pick(0, 6));
            }
        });
    }
    void CloseEditors(std::string& name)
    {
        const int depth = Pick(0, Depth());
        name = "close the cell editors from depth " + std::to_string(depth);
        Doc(depth)->DestroyInplaceEditor();
    }
    // Undo or redo through the control or through the keys of the focused editor.
    bool History(bool redo, bool keys)
    {
        if ((redo ? Editor.Edit->RedoAction() : Editor.Edit->UndoAction()) == rvutNone)
            return false;
        if (keys)
            Key('Z', redo ? TShiftState{ssCtrl, ssShift} : TShiftState{ssCtrl});
        else
            redo ? Editor.Edit->Redo() : Editor.Edit->Undo();
        Settle();
        return true;
    }
    // Undo (redo) all, each call through the control or through keys.
    void HistoryAll(bool redo)
    {
        for (int n = 0; n < 1000 && History(redo, Coin()); ++n)
            continue;
    }

    // ---- The checks
    void Check(const std::string& where)
    {
        for (TRVTableItemInfo* t : nestedtables::AllTables(d))
            EXPECT_EQ(tablegrid::GridFault(*t->Rows), "") << where;
        // The focus is in the editor or a cell editor, and every cell editor is
        // its table's, over a cell of the document of the editor it lies in.
        const std::vector<TCustomRollViewEdit*> editors = Editors();
        EXPECT_TRUE(std::any_of(editors.begin(), editors.end(), [](auto* e) { return e->Focused(); }))
            << where;
        for (size_t i = 1; i < editors.size(); ++i) {
            auto* edit = dynamic_cast<TRVTableInplaceEdit*>(editors[i]);
            int row, col;
            EXPECT_TRUE(edit != nullptr && edit->Table != nullptr &&
                        edit->Table->GetEditedCell(row, col) == edit &&
                        edit->ParentData == editors[i - 1]->EditRVData())
                << where << ": cell editor " << i << " is not its table's";
        }
        // An error box that comes up fails the test by itself.
        EXPECT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, Fresh), "") << where;
    }
    // Undo of a step gives back the document before it, redo the one after.
    // A key that replaces a selection makes two groups (the deletion, then
    // what the key does): up to three undos may be needed, and as many redos.
    void RoundTrip(const AnsiString& before, const AnsiString& after, const std::string& name)
    {
        const bool keys = Coin();
        const std::string how = keys ? " by keys" : " by the editor";
        const std::string edited = LastContent;
        int undos = 0;
        while (undos < 3 && History(false, keys)) {
            ++undos;
            if (Save() == before)
                break;
        }
        // An undo limit may have dropped the step's first groups: then nothing is left to undo.
        const bool limited = Limit > 0 && Editor.Edit->UndoAction() == rvutNone;
        EXPECT_TRUE(!OneStep || undos == 1 || limited) << name << ": undone in " << undos << " steps";
        EXPECT_TRUE(Save() == before || limited)
            << name << ": undo" << how << " does not restore the document\nbefore: " << Before
            << "\nedited: " << edited << "\nundone: " << LastContent;
        Check(name + ": undone" + how);
        for (int i = 0; i < undos; ++i)
            EXPECT_TRUE(History(true, keys)) << name << ": nothing to redo";
        EXPECT_TRUE(Save() == after) << name << ": redo" << how
                                     << " does not repeat the change\nedited: " << edited
                                     << "\nredone: " << LastContent;
        Check(name + ": redone" + how);
    }

    // One session; false when it ended by freeing the editor.
    void Session(int seed, int steps)
    {
        d = Editor.NewEditor(&Style);
        static const int limits[] = {-1, -1, -1, 1, 2, 5};
        Limit = limits[Pick(0, 5)];
        Editor.Edit->SetUndoLimit(Limit);
        const int cols = Pick(1, 3);
        NewTable(Pick(1, 3), cols);
        const AnsiString start = Save();
        const std::string startContent = LastContent;
        for (int i = 0; i < steps && !HasFailure(); ++i) {
            std::string name;
            const AnsiString before = Save();
            Before = LastContent;
            OneStep = false;
            const int kind = Pick(0, 99);
            if (kind < 2) {
                // The editor goes with cells open and both lists full.
                Editor.NewEditor(&Style);
                d = nullptr;
                ++Tally["editor freed"];
                return;
            }
            try {
                const int* bound = std::upper_bound(std::begin(StepBounds), std::end(StepBounds), kind);
                if (bound != std::end(StepBounds))
                    (this->*Steps[bound - StepBounds])(name);
                else {
                    name = kind < 94 ? "undo" : "redo";
                    History(kind >= 94, Coin());
                }
            } catch (const ERollViewError& e) {
                if (std::getenv("KELVOR_NESTED_TRACE"))
                    std::fprintf(stderr, "refused: %s\n", e.Message().c_str());
                EXPECT_TRUE(Save() == before) << name << ": a refusal changed the document";
            }
            const std::string where = "seed " + std::to_string(seed) + ", step " + std::to_string(i) + " (" +
                                      name + ", " + std::to_string(Depth()) + " cell editors open)";
            if (std::getenv("KELVOR_NESTED_TRACE"))
                std::fprintf(stderr, "%s%s\n", where.c_str(), Save() != before ? " changed" : "");
            Check(where);
            const AnsiString after = Save();
            if (after != before) {
                ++Tally[name.substr(0, name.find(" at depth"))];
                if (name != "undo" && name != "redo")
                    RoundTrip(before, after, where);
            }
        }
        // Whatever the steps left to redo first: the last document is the one
        // every redo makes.
        HistoryAll(true);
        const AnsiString end = Save();
        const std::string endContent = LastContent;
        HistoryAll(false);
        EXPECT_TRUE(Save() == start || Limit > 0)
            << "seed " << seed << ": undo all\nstart: " << startContent << "\nundone: " << LastContent;
        HistoryAll(true);
        EXPECT_TRUE(Save() == end) << "seed " << seed << ": redo all\nend: " << endContent
                                   << "\nredone: " << LastContent;
        Check("seed " + std::to_string(seed) + ": undo all, redo all");
    }

    // The steps, each taken by a draw of 0-99 below its bound and at or above
    // the one before (below 2 the editor is freed, at 86 and above undo or redo).
    using S = NestedTableRandomTest;
    static constexpr int StepBounds[] = {16, 26, 35, 41, 47, 57, 62, 65, 69, 71, 75, 81, 86, 88};
    static constexpr void (S::*Steps[])(std::string&) = {&S::OpenCell,
                                                         &S::InsertTable,
                                                         &S::Type,
                                                         &S::Delete,
                                                         &S::Navigate,
                                                         &S::Structure,
                                                         &S::GridOverEditedCell,
                                                         &S::ProgramGroup,
                                                         &S::CopyAndPaste,
                                                         &S::DeleteEditedTable,
                                                         &S::CloseEditors,
                                                         &S::SetPublished,
                                                         &S::CellAttributes,
                                                         &S::BracketedOperations};

    std::mt19937 Random;
    // The step must be one undo step (as far as the limit keeps it).
    bool OneStep = false;
    // Background pictures a step sets: none, or one of two sizes.
    const std::unique_ptr<TBitmap> Small = SizedBitmap(2);
    const std::unique_ptr<TBitmap> Large = SizedBitmap(3);
    TGraphic* const Pictures[3] = {nullptr, Small.get(), Large.get()};
    // The session's undo limit (-1: none).
    int Limit = -1;
    THeadlessEditor Fresh;
    // The content of the document as last saved, and before the step.
    std::string LastContent;
    std::string Before;
    std::map<std::string, int> Tally;
};

TEST_F(NestedTableRandomTest, EveryStepUndoesRedoesAndLaysOutAsAFreshEditor)
{
    const char* count = std::getenv("KELVOR_NESTED_SEEDS");
    const char* first = std::getenv("KELVOR_NESTED_SEED");
    std::vector<int> seeds;
    for (int seed = first ? std::atoi(first) : 1, n = count ? std::max(std::atoi(count), 1) : 25; n > 0; --n)
        seeds.push_back(seed++);
    // Seeds of sweeps that met faults of their own (a cell's emptied column
    // under a merged cell, a typed character over selected cells), kept in the
    // default run.
    if (first == nullptr)
        seeds.insert(seeds.end(), {294, 10296, 15890});
    for (const int seed : seeds) {
        if (HasFailure())
            break;
        SCOPED_TRACE("seed " + std::to_string(seed));
        Random.seed(static_cast<unsigned>(seed));
        Session(seed, 30);
    }
    if (count)
        for (const auto& [name, steps] : Tally)
            std::printf("%s: %d\n", name.c_str(), steps);
}

TEST_F(NestedTableRandomTest, ASeedThatFoundAFaultOnItsOwnStillHolds)
{
    // Run first in a fresh fixture, as a sweep of one seed runs it: a table
    // operation in a program's BeginModify and EndModify after a property
    // set by name had laid the document out with the table wider.
    Random.seed(1116u);
    Session(1116, 30);
}

} // namespace
