// What a program may rely on when it drives an editor with tables nested in
// cells (depths 0-3), checked over seeded random sequences of everything the
// program API allows: cells opened by the program, by keys and by clicks;
// letters typed as keys and text inserted; every operation of a table's own
// API and of its row list, with and without the table's undo bracket, on
// tables in open documents and in cells no editor edits, those that delete
// the edited row, column or the whole table among them; published properties
// set by name; undo groups of the control and of tables, opened before or
// after a cell, nested, holding any of these; undo and redo through the
// control and through keys, interleaved with new edits and partial undos, and
// "undo everything" loops with no event handled between the calls; and
// handlers of the editor's and the tables' events that close and reopen the
// edited cell, delete its row, run a table operation, clear the document or
// run the message loop when they fire.
//
// A model of the history holds the document every undo and redo must give
// back. After every step:
//   - a step that changed the document (outside a program's group) is one
//     undo step (a key that types over a selection two, a handler's own
//     operations one more each), and the model learns the documents each
//     undo of it gives back, byte for byte; the redo list is empty;
//   - a step that changed nothing left the history as it was;
//   - a program's group, once its outermost bracket closes, is one step;
//   - undo and redo give back exactly the model's documents, and answer an
//     action exactly when the model has one: each call the answer promises
//     takes a step, with no event handled in between;
//   - no error box, no exception out of undo or redo, every grid sound, the
//     layout a fresh editor's, every cell editor its table's;
//   - a program's operation left the keyboard focus where it was.
//
// KELVOR_PROGRAM_SEEDS sets how many seeds run, KELVOR_PROGRAM_SEED the first;
// KELVOR_PROGRAM_TRACE prints every step.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <typeinfo>
#include <vector>

#include <gtest/gtest.h>

#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/core/typinfo.h"
#include "table/rvtinplace.h"
#include "tests/support/nestedtables.h"
#include "tests/support/tablegrid.h"

namespace {

constexpr int MaxTables = 7;
constexpr int MaxDepth = 3;
constexpr int StepsPerSession = 40;

// What a handler does when it fires.
enum class TDisrupt { Reopen, DeleteRow, TableOperation, Clear, MessageLoop };
const char* const DisruptNames[] = {"reopens the edited cell", "deletes the edited row",
                                    "inserts a row into the edited table", "clears the document",
                                    "runs the message loop"};

class ProgramContractTest : public TTableEditFixture {
protected:
    ProgramContractTest() { Fresh.NewEditor(&Style); }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(Random); }
    bool Coin() { return Pick(0, 1) == 1; }
    bool Trace() const { return std::getenv("KELVOR_PROGRAM_TRACE") != nullptr; }

    // ---- The editors and tables
    std::vector<TCustomRollViewEdit*> Editors() const
    {
        std::vector<TCustomRollViewEdit*> editors{Editor.Edit};
        while (TCustomRollViewEdit* e = editors.back()->CellEditor())
            editors.push_back(e);
        return editors;
    }
    int Depth() const { return int(Editors().size()) - 1; }
    TRVTableInplaceEdit* Innermost() const { return dynamic_cast<TRVTableInplaceEdit*>(Editors().back()); }
    std::vector<TRVTableItemInfo*> Tables() const { return nestedtables::TablesWithCells(d); }
    TRVTableItemInfo* AnyTable()
    {
        const std::vector<TRVTableItemInfo*> tables = Tables();
        return tables.empty() ? nullptr : tables[size_t(Pick(0, int(tables.size()) - 1))];
    }
    void PickMainCell(TRVTableItemInfo* t, int& row, int& col)
    {
        row = Pick(0, t->Rows->Count() - 1);
        col = Pick(0, t->Rows->GetColCount() - 1);
        t->Rows->GetMainCell(row, col, row, col);
    }
    static std::string At(TRVTableItemInfo* t)
    {
        return " at depth " + std::to_string(t->GetRVData()->TableNestingLevel());
    }
    void Settle() { nestedtables::SettleMessages(); }
    TCustomRollViewEdit* Focused()
    {
        TCustomRollViewEdit* top = Editor.Edit->GetTopLevelEditor();
        if (!top->Focused())
            top->SetFocus();
        return top;
    }
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
    // Where the keyboard focus is: 0 nowhere, 1 in the editor or a cell
    // editor, 2 in the other control of the form.
    int FocusPlace() const
    {
        if (Editor.Other->Focused())
            return 2;
        for (TCustomRollViewEdit* e : Editors())
            if (e->Focused())
                return 1;
        return 0;
    }

    // ---- Handlers that may do anything when they fire
    void Disrupt(const char* event)
    {
        if (!Armed || Disrupted || Pick(0, 3) != 0)
            return;
        Disrupted = true;
        const TDisrupt what = HandlerAction;
        if (Trace())
            std::fprintf(stderr, "  %s handler %s\n", event, DisruptNames[int(what)]);
        ++Tally[std::string(event) + " handler " + DisruptNames[int(what)]];
        TRVTableInplaceEdit* edit = Innermost();
        switch (what) {
        case TDisrupt::Reopen:
            if (edit != nullptr && edit->Table != nullptr) {
                TRVTableItemInfo* t = edit->Table;
                const int row = edit->Row;
                const int col = edit->Col;
                t->EditCell(row == 0 ? t->Rows->Count() - 1 : 0, col);
                t->EditCell(row, col);
            }
            break;
        case TDisrupt::DeleteRow:
            // As a program does: the operation, then the document laid out.
            if (edit != nullptr && edit->Table != nullptr) {
                edit->Table->DeleteRows(edit->Row, 1, false);
                Editor.Edit->Format();
            }
            break;
        case TDisrupt::TableOperation:
            if (edit != nullptr && edit->Table != nullptr && edit->Table->Rows->Count() < 5) {
                edit->Table->InsertRows(0, 1, -1, false);
                Editor.Edit->Format();
            }
            break;
        case TDisrupt::Clear:
            if (Groups.empty()) {
                Editor.Edit->Clear();
                Editor.Edit->Format();
                // A cleared document has no history.
                EXPECT_EQ(Editor.Edit->UndoAction(), rvutNone) << "history after clearing";
                EXPECT_EQ(Editor.Edit->RedoAction(), rvutNone) << "history after clearing";
                Cleared = true;
            }
            break;
        case TDisrupt::MessageLoop:
            Application->ProcessMessages();
            break;
        }
    }
    void HandleTable(TRVTableItemInfo* t)
    {
        t->OnCellEndEdit = [this](TRVTableItemInfo*, int, int, bool clearing) {
            if (!clearing)
                Disrupt("OnCellEndEdit");
        };
    }
    // Handlers on the editor (the cell editors take them as they open).
    void SetHandlers(std::string& name)
    {
        HandlerAction = TDisrupt(Pick(0, 4));
        TTestRollViewEdit* e = Editor.Edit;
        name = std::string("handlers that ") + DisruptNames[int(HandlerAction)];
        e->OnChange = [this](TObject*) { Disrupt("OnChange"); };
        e->OnChanging = [this](TCustomRollViewEdit*, bool&) { Disrupt("OnChanging"); };
        e->OnSelect = [this](TObject*) { Disrupt("OnSelect"); };
        e->OnCaretMove = [this](TObject*) { Disrupt("OnCaretMove"); };
        e->OnCurTextStyleChanged = [this](TObject*) { Disrupt("OnCurTextStyleChanged"); };
        e->OnCurParaStyleChanged = [this](TObject*) { Disrupt("OnCurParaStyleChanged"); };
        e->OnKeyDown = [this](TObject*, WORD&, TShiftState) { Disrupt("OnKeyDown"); };
        e->OnKeyPress = [this](TObject*, char&) { Disrupt("OnKeyPress"); };
        e->OnRVMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int, int) {
            Disrupt("OnRVMouseDown");
        };
        e->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { Disrupt("OnMouseDown"); };
        for (TRVTableItemInfo* t : nestedtables::AllTables(d))
            HandleTable(t);
    }

    // ---- The steps; each names itself and says whether it is a program's
    // operation (the focus must stay where it is).
    void OpenCell(std::string& name)
    {
        TRVTableItemInfo* t = Tables().empty() ? nullptr : AnyTable();
        name = "no cell to open";
        if (t == nullptr)
            return;
        int row, col;
        PickMainCell(t, row, col);
        name = "open a cell" + At(t);
        t->EditCell(row, col);
        Settle();
    }
    // A click into a cell of a table in the innermost open document.
    void ClickCell(std::string& name)
    {
        TCustomRollViewEdit* top = Editors().back();
        std::vector<TRVTableItemInfo*> tables = nestedtables::TablesOf(top->EditRVData());
        tables.erase(
            std::remove_if(tables.begin(), tables.end(),
                           [](auto* t) { return t->Rows->Count() == 0 || t->Rows->GetColCount() == 0; }),
            tables.end());
        name = "no table to click";
        if (tables.empty())
            return;
        TRVTableItemInfo* t = tables[size_t(Pick(0, int(tables.size()) - 1))];
        int row, col;
        PickMainCell(t, row, col);
        TRVTableCellData* cell = t->GetCells(row, col);
        int left = 0, top_ = 0;
        TRVEditRVData* data = top->EditRVData();
        const int itemNo = data->GetItemNo(t);
        if (itemNo < 0 || data->DrawItems.Count() == 0)
            return;
        data->GetItemClientCoords(itemNo, left, top_);
        const int x = left + cell->Left + std::max(cell->Width / 2, 1);
        const int y = top_ + cell->Top + std::max(cell->Height / 2, 1);
        if (x < 0 || y < 0 || x >= top->ClientWidth() || y >= top->ClientHeight())
            return;
        name = "click a cell" + At(t);
        SimulateClick(top, mbLeft, x, y);
        Settle();
    }
    void InsertTable(std::string& name)
    {
        TRVEditRVData* top = Editors().back()->EditRVData();
        name = "insert a table at depth " + std::to_string(Depth());
        if (int(nestedtables::AllTables(d).size()) >= MaxTables || top->TableNestingLevel() >= MaxDepth)
            return;
        const int cols = Pick(1, 3);
        auto* table = new TRVTableItemInfo(Pick(1, 3), cols, top);
        for (int r = 0; r < table->Rows->Count(); ++r)
            for (int c = 0; c < table->Rows->GetColCount(); ++c)
                if (Coin()) {
                    table->GetCells(r, c)->Clear();
                    table->GetCells(r, c)->AddNL(AnsiString(size_t(Pick(1, 6)), char('a' + r + 2 * c)), 0, 0);
                }
        HandleTable(table);
        Editor.Edit->InsertItem("", table);
        Settle();
    }
    void TypeKeys(std::string& name)
    {
        const int letters = Pick(1, 3);
        name = std::to_string(letters) + " letters typed at depth " + std::to_string(Depth());
        for (int i = 0; i < letters; ++i)
            Key(WORD('A' + Pick(0, 25)));
        KeysTyped = letters;
    }
    void InsertText(std::string& name)
    {
        name = "text inserted at depth " + std::to_string(Depth());
        Editor.Edit->InsertText(Coin() ? "ab" : "c d");
        Settle();
        Program = true;
    }
    void EditKey(std::string& name)
    {
        static const char* const names[] = {"Backspace", "Delete", "Enter", "Left",      "Right",
                                            "Up",        "Down",   "Tab",   "Shift+Tab", "Ctrl+End"};
        static const WORD keys[] = {VK_BACK, VK_DELETE, VK_RETURN, VK_LEFT, VK_RIGHT,
                                    VK_UP,   VK_DOWN,   VK_TAB,    VK_TAB,  VK_END};
        // The editor itself takes no Tab: the focus would go to the next control.
        const int k = Pick(0, Depth() > 0 ? 9 : 6);
        name = names[k] + std::string(" at depth ") + std::to_string(Depth());
        Key(keys[k], k == 8 ? TShiftState{ssShift} : k == 9 ? TShiftState{ssCtrl} : TShiftState());
    }
    // Runs Operation on Table as a program does: in the table's own undo
    // bracket or not; the document told of the change, laid out by the
    // program (Format) or as a command around the table.
    void AsProgram(TRVTableItemInfo* t, std::string& name, const std::function<void()>& operation)
    {
        TRVTableItemInfo* holder = nullptr;
        TRVEditRVData* open = nestedtables::OpenAround(t, holder);
        ASSERT_NE(open, nullptr) << name;
        const bool bracket = Coin();
        const bool format = Coin();
        name += bracket ? ", bracketed" : "";
        name += format ? ", Format" : ", laid out as a command";
        const int itemNo = open->GetItemNo(holder);
        const int token = format ? 0 : holder->BeginModify(itemNo);
        if (bracket)
            t->InitUndo();
        try {
            operation();
        } catch (...) {
            if (bracket)
                t->DoneUndo();
            throw;
        }
        if (bracket)
            t->DoneUndo();
        // Deleting every row or column of a table deletes the table.
        if (!format && itemNo >= 0 && itemNo < open->GetItemCount() && open->GetItem(itemNo) == holder)
            holder->EndModify(itemNo, token);
        open->Change();
        if (format)
            Editor.Edit->Format();
        Settle();
        Program = true;
    }
    // An operation of a table's own API or of its row list on a table at any
    // depth (the edited table more often).
    void Grid(std::string& name)
    {
        TRVTableInplaceEdit* edit = Innermost();
        TRVTableItemInfo* t = edit != nullptr && edit->Table != nullptr && edit->Table->Rows->Count() > 0 &&
                                      edit->Table->Rows->GetColCount() > 0 && Coin()
                                  ? edit->Table
                                  : AnyTable();
        name = "no table";
        if (t == nullptr)
            return;
        const int rows = t->Rows->Count();
        const int cols = t->Rows->GetColCount();
        int r, c;
        PickMainCell(t, r, c);
        if (edit != nullptr && edit->Table == t && Coin()) {
            r = edit->Row;
            c = edit->Col;
        }
        const int a = Pick(1, 2);
        const int b = Pick(1, 2);
        const int kind = Pick(0, 15);
        static const char* const names[] = {
            "insert rows",       "insert cols",       "delete rows", "delete cols",       "merge",
            "unmerge",           "split across",      "split down",  "rows: insert rows", "rows: insert cols",
            "rows: delete rows", "rows: delete cols", "rows: merge", "rows: unmerge",     "delete every row",
            "no picture"};
        name = names[kind] + At(t);
        AsProgram(t, name, [&] {
            switch (kind) {
            case 0:
                if (rows < 5)
                    t->InsertRows(Pick(0, rows), a, Pick(-1, rows - 1), false);
                break;
            case 1:
                if (cols < 5)
                    t->InsertCols(Pick(0, cols), a, Pick(-1, cols - 1), false);
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
            case 5:
                t->UnmergeCells(r, c, a, b, Coin(), Coin());
                break;
            case 6:
                if (cols < 5)
                    t->Rows->SplitCellVertically(r, c, 2);
                break;
            case 7:
                if (rows < 5)
                    t->Rows->SplitCellHorizontally(r, c, 2);
                break;
            case 8:
                if (rows < 5)
                    t->Rows->InsertRows(Pick(0, rows), 1, Pick(-1, rows - 1), Coin());
                break;
            case 9:
                if (cols < 5)
                    t->Rows->InsertCols(Pick(0, cols), 1, Pick(-1, cols - 1), Coin());
                break;
            case 10:
                t->Rows->DeleteRows(r, a, Coin());
                break;
            case 11:
                t->Rows->DeleteCols(c, a, Coin());
                break;
            case 12:
                t->Rows->MergeCells(r, c, a, b, true, Coin());
                break;
            case 13:
                t->Rows->UnmergeCell(r, c, Coin(), Coin());
                break;
            case 14:
                if (Coin())
                    t->DeleteRows(0, rows, false);
                else
                    t->DeleteCols(0, cols, false);
                break;
            default:
                // Changes nothing on a table without a picture.
                if (t->GetBackgroundImage() == nullptr)
                    t->SetBackgroundImage(nullptr);
                break;
            }
        });
    }
    // A published property of a table at any depth set by name (now and then
    // to the value it has), or a cell's attribute.
    void Property(std::string& name)
    {
        TRVTableItemInfo* t = AnyTable();
        name = "no table";
        if (t == nullptr)
            return;
        if (Coin()) {
            int row, col;
            PickMainCell(t, row, col);
            name = "cell colour or borders" + At(t);
            AsProgram(t, name, [&] {
                if (Coin())
                    t->SetCellColor(Coin() ? clRed : clNone, row, col);
                else
                    t->SetCellVisibleBorders(Coin(), true, true, true, row, col);
            });
            return;
        }
        static const char* const props[] = {"CellPadding", "CellVSpacing", "BorderWidth", "CellHSpacing",
                                            "BorderVSpacing"};
        const char* prop = props[Pick(0, 4)];
        const int value = Coin() ? int(GetOrdProp(t, prop)) : Pick(0, 4);
        name = std::string("set ") + prop + At(t);
        AsProgram(t, name, [&] { SetOrdProp(t, prop, value); });
    }
    // A program's undo group: the control's (on the editor) or a table's.
    void OpenGroup(std::string& name)
    {
        if (Groups.size() >= 2 || Limit == 0)
            return;
        TRVTableItemInfo* t = Coin() ? AnyTable() : nullptr;
        if (Groups.empty()) {
            GroupStart = Save();
            GroupStartContent = LastContent;
        }
        if (t != nullptr) {
            name = "the table's undo group opened" + At(t);
            t->InitUndo();
        } else {
            name = "the control's undo group opened";
            Editor.Edit->BeginUndoGroup(rvutCustom);
            Editor.Edit->SetUndoGroupMode(true);
        }
        Groups.push_back(t);
        Program = true;
    }
    void CloseGroup(std::string& name)
    {
        if (Groups.empty())
            return;
        TRVTableItemInfo* t = Groups.back();
        Groups.pop_back();
        name = t != nullptr ? "the table's undo group closed" : "the control's undo group closed";
        if (t != nullptr)
            t->DoneUndo();
        else
            Editor.Edit->SetUndoGroupMode(false);
        Settle();
        Program = true;
    }
    void CloseEditors(std::string& name)
    {
        const int depth = Pick(0, Depth());
        name = "close the cell editors from depth " + std::to_string(depth);
        Editors()[size_t(depth)]->EditRVData()->DestroyInplaceEditor();
        Settle();
        Program = true;
    }
    // The table of a cell editor, deleted by a program from its document.
    void DeleteEditedTable(std::string& name)
    {
        TRVTableInplaceEdit* edit =
            Depth() > 0 ? dynamic_cast<TRVTableInplaceEdit*>(Editors()[size_t(Pick(1, Depth()))]) : nullptr;
        name = "no cell edited";
        if (edit == nullptr || edit->Table == nullptr)
            return;
        auto* doc = dynamic_cast<TRVEditRVData*>(edit->ParentData);
        const int itemNo = doc != nullptr ? doc->GetItemNo(edit->Table) : -1;
        name = "the edited table deleted" + At(edit->Table);
        if (itemNo < 0 || doc->GetItemCount() < 2)
            return;
        doc->SetSelectionBounds(itemNo, 0, itemNo, 1);
        doc->RollViewEdit()->DeleteSelection();
        Settle();
        Program = true;
    }
    void FocusElsewhere(std::string& name)
    {
        name = "the focus to another control";
        Editor.Other->SetFocus();
    }

    // Where two saved documents first differ, shown as text.
    static std::string Difference(const AnsiString& a, const AnsiString& b)
    {
        size_t at = 0;
        while (at < a.size() && at < b.size() && a[at] == b[at])
            ++at;
        const size_t from = at > 40 ? at - 40 : 0;
        const auto shown = [&](const AnsiString& s) {
            std::string out;
            for (const char c : s.substr(std::min(from, s.size()), 160))
                out += c >= 32 && c < 127 ? std::string(1, c) : "\\" + std::to_string(int(uint8_t(c)));
            return out;
        };
        return "  one:   " + shown(a) + "\n  other: " + shown(b) + "\n";
    }

    // The groups of every open editor's lists, records named by class.
    std::string HistoryDump() const
    {
        std::string out;
        int depth = 0;
        for (TCustomRollViewEdit* e : Editors()) {
            for (const bool redo : {false, true}) {
                const TRVUndoList& list = redo ? *e->EditRVData()->RedoList : *e->EditRVData()->UndoList;
                out += "  " + std::to_string(depth) + (redo ? " redo:" : " undo:");
                for (int g = 0; g < list.Count(); ++g) {
                    out += " [";
                    for (const auto& r : list.Group(g)->Records) {
                        const TRVUndoInfo& record = *r;
                        out += std::string(typeid(record).name()).substr(0, 40) + " ";
                    }
                    out += "]";
                }
                out += "\n";
            }
            ++depth;
        }
        return out;
    }

    // ---- History
    // Undo (redo) once through the control or keys; checks the answer of
    // UndoAction (RedoAction) and the document against the model.
    void Play(bool redo, bool keys, const std::string& where)
    {
        std::vector<AnsiString>& from = redo ? Model.Redo : Model.Undo;
        std::vector<AnsiString>& to = redo ? Model.Undo : Model.Redo;
        const bool offered = (redo ? Editor.Edit->RedoAction() : Editor.Edit->UndoAction()) != rvutNone;
        const char* what = redo ? "redo" : "undo";
        EXPECT_EQ(offered, !from.empty()) << where << ": " << what << (offered ? " offered" : " not offered")
                                          << " with " << from.size() << " steps in the model";
        if (!offered)
            return;
        const AnsiString before = Save();
        const std::string content = LastContent;
        if (Trace())
            std::fprintf(stderr, "%s %s, history:\n%s", where.c_str(), what, HistoryDump().c_str());
        try {
            if (keys)
                SimulateKey(Focused(), 'Z', redo ? TShiftState{ssCtrl, ssShift} : TShiftState{ssCtrl});
            else if (redo)
                Editor.Edit->Redo();
            else
                Editor.Edit->Undo();
        } catch (const Exception& e) {
            ADD_FAILURE() << where << ": " << what << " raised " << e.Message();
        }
        const AnsiString now = Save();
        if (from.empty()) {
            EXPECT_TRUE(now == before) << where << ": " << what << " changed a document with no step";
            return;
        }
        EXPECT_TRUE(now == from.back()) << where << ": " << what << " does not give back the model's document"
                                        << " (" << from.size() << " steps in the model)"
                                        << "\nbefore: " << content << "\nnow: " << LastContent << "\n"
                                        << Difference(from.back(), now);
        to.push_back(before);
        from.pop_back();
    }
    void History(std::string& name, bool loop)
    {
        const bool redo = Pick(0, 2) == 0;
        if (!loop) {
            const bool keys = Coin();
            name = std::string(redo ? "redo" : "undo") + (keys ? " by keys" : " by the control");
            Play(redo, keys && FocusPlace() != 2, name);
            Program = !keys;
            return;
        }
        name = std::string(redo ? "redo" : "undo") + " everything, no event between";
        const size_t steps = (redo ? Model.Redo : Model.Undo).size();
        size_t n = 0;
        while ((redo ? Editor.Edit->RedoAction() : Editor.Edit->UndoAction()) != rvutNone && !HasFailure()) {
            if (n++ > steps) {
                ADD_FAILURE() << name << ": " << n << " calls, " << steps << " steps in the model";
                break;
            }
            Play(redo, false, name);
        }
        EXPECT_TRUE((redo ? Model.Redo : Model.Undo).empty()) << name << ": steps left in the model";
        Program = true;
    }

    // Undo (redo) once through the control, then the messages it posted;
    // false, with a failure, when it raised.
    bool PlayOnce(bool redo, const std::string& where)
    {
        try {
            if (redo)
                Editor.Edit->Redo();
            else
                Editor.Edit->Undo();
        } catch (const Exception& e) {
            ADD_FAILURE() << where << (redo ? ": redo raised " : ": undo raised ") << e.Message();
            return false;
        }
        Settle();
        return true;
    }
    // How many steps of its own (at most Most) a step that left the document
    // as it was recorded before the model's: steps that take one another
    // back (a row deleted, one inserted by a handler; a program's group that
    // inserted a table and deleted it). Undoing them gives back documents
    // the model may hold too (the step before did the same), so undo goes
    // on until one reading alone fits what the undos give back: K steps of
    // its own, the K-th giving back After, then the model's documents; then
    // redo as often. -1 when no reading fits.
    int StepsOfItsOwn(const AnsiString& after, int most, const std::string& where)
    {
        const size_t known = Model.Undo.size();
        std::vector<int> readings;
        for (int k = 0; k <= most; ++k)
            readings.push_back(k);
        size_t undone = 0;
        const auto keep = [&](const std::function<bool(size_t)>& fits) {
            readings.erase(
                std::remove_if(readings.begin(), readings.end(), [&](int k) { return !fits(size_t(k)); }),
                readings.end());
        };
        while (readings.size() > 1) {
            if (Editor.Edit->UndoAction() == rvutNone) {
                keep([&](size_t k) { return known + k == undone; });
                break;
            }
            if (!PlayOnce(false, where))
                return -1;
            const AnsiString doc = Save();
            const size_t i = ++undone;
            keep([&](size_t k) {
                if (i < k)
                    return true;
                if (i == k)
                    return doc == after;
                return i - k <= known && doc == Model.Undo[known - (i - k)];
            });
        }
        for (size_t i = 0; i < undone; ++i)
            if (!PlayOnce(true, where))
                return -1;
        EXPECT_TRUE(Save() == after) << where << ": undo and redo of the step";
        return readings.size() == 1 ? readings.front() : -1;
    }

    // Undo until the document before the step comes back (at most Most
    // times), then redo as often: every undo and redo gives back the
    // document it gave before; the model learns them.
    void LearnStep(const AnsiString& before, const AnsiString& after, int most, const std::string& where)
    {
        EXPECT_EQ(Editor.Edit->RedoAction(), rvutNone) << where << ": a change left something to redo";
        std::vector<AnsiString> undone;
        std::vector<std::string> contents;
        while (int(undone.size()) < most && Editor.Edit->UndoAction() != rvutNone) {
            const AnsiString was = Save();
            if (!PlayOnce(false, where))
                return;
            undone.push_back(Save());
            contents.push_back(LastContent);
            if (undone.back() == was) {
                ADD_FAILURE() << where << ": an undo offered took no step";
                return;
            }
            if (undone.back() == before)
                break;
        }
        if (undone.empty() || !(undone.back() == before)) {
            ADD_FAILURE() << where << ": " << undone.size() << " undos do not give back the document"
                          << "\nbefore: " << BeforeContent
                          << "\nundone: " << (contents.empty() ? std::string("nothing") : contents.back());
            return;
        }
        Check(where + ": undone");
        for (size_t i = undone.size(); i-- > 0;) {
            if (!PlayOnce(true, where))
                return;
            const AnsiString expected = i == 0 ? after : undone[i - 1];
            if (!(Save() == expected)) {
                ADD_FAILURE() << where << ": redo " << undone.size() - i << " does not give back the document"
                              << "\nredone: " << LastContent;
                return;
            }
        }
        Check(where + ": redone");
        // Each undo gives back the one after it in the model (the last the step's own before).
        for (size_t i = undone.size(); i-- > 0;)
            Model.Undo.push_back(undone[i]);
        Model.Redo.clear();
    }

    // ---- The checks after every step
    void Check(const std::string& where)
    {
        for (TRVTableItemInfo* t : nestedtables::AllTables(d))
            EXPECT_EQ(tablegrid::GridFault(*t->Rows), "") << where;
        const std::vector<TCustomRollViewEdit*> editors = Editors();
        // No button is held between steps: nothing keeps the mouse.
        for (size_t i = 0; i < editors.size(); ++i)
            EXPECT_EQ(editors[i]->EditRVData()->MouseCaptureItem, nullptr)
                << where << ": the mouse is still captured at depth " << i;
        EXPECT_EQ(GetCapture(), HWND(0)) << where << ": a window still holds the mouse";
        for (size_t i = 1; i < editors.size(); ++i) {
            auto* edit = dynamic_cast<TRVTableInplaceEdit*>(editors[i]);
            int row, col;
            EXPECT_TRUE(edit != nullptr && edit->Table != nullptr &&
                        edit->Table->GetEditedCell(row, col) == edit &&
                        edit->ParentData == editors[i - 1]->EditRVData())
                << where << ": cell editor " << i << " is not its table's";
        }
        EXPECT_EQ(nestedtables::FreshLayoutFault(*Editor.Edit, Fresh), "") << where;
    }

    using S = ProgramContractTest;
    struct TStep {
        int Weight;
        void (S::*Run)(std::string&);
    };
    void Undo1(std::string& name) { History(name, false); }
    void UndoAll(std::string& name) { History(name, true); }
    const std::vector<TStep>& Steps() const
    {
        static const std::vector<TStep> steps = {
            {10, &S::OpenCell},      {3, &S::ClickCell},   {5, &S::InsertTable},  {10, &S::TypeKeys},
            {5, &S::InsertText},     {5, &S::EditKey},     {14, &S::Grid},        {7, &S::Property},
            {4, &S::OpenGroup},      {6, &S::CloseGroup},  {3, &S::CloseEditors}, {2, &S::DeleteEditedTable},
            {3, &S::FocusElsewhere}, {3, &S::SetHandlers}, {12, &S::Undo1},       {2, &S::UndoAll}};
        return steps;
    }

    void Session(int seed)
    {
        d = Editor.NewEditor(&Style);
        Model = {};
        Groups.clear();
        Limit = Pick(0, 9) == 0 ? 0 : -1;
        Editor.Edit->SetUndoLimit(Limit);
        NewTable(Pick(1, 3), Pick(1, 3));
        HandleTable(Table);
        int total = 0;
        for (const TStep& s : Steps())
            total += s.Weight;
        for (int i = 0; i < StepsPerSession + 2 && !HasFailure(); ++i) {
            // Groups left open at the end are closed by the last steps.
            if (i >= StepsPerSession && Groups.empty())
                break;
            const bool closing = i >= StepsPerSession;
            int draw = Pick(0, total - 1);
            const TStep* step = &Steps().front();
            for (const TStep& s : Steps()) {
                step = &s;
                if (draw < s.Weight)
                    break;
                draw -= s.Weight;
            }
            // No undo or redo inside a program's group.
            if (!Groups.empty() && (step->Run == &S::Undo1 || step->Run == &S::UndoAll))
                step = &Steps()[5];
            if (closing)
                step = &Steps()[9];
            RunStep(seed, i, *step);
        }
        if (HasFailure())
            return;
        // Everything undone gives back the first document, everything redone the last.
        std::string name;
        while (!Model.Undo.empty() && !HasFailure())
            Play(false, false, "seed " + std::to_string(seed) + ": undo all");
        while (!Model.Redo.empty() && !HasFailure())
            Play(true, false, "seed " + std::to_string(seed) + ": redo all");
        Check("seed " + std::to_string(seed) + ": undo all, redo all");
    }
    void RunStep(int seed, int index, const TStep& step)
    {
        std::string name = "nothing";
        const AnsiString before = Save();
        BeforeContent = LastContent;
        const int focus = FocusPlace();
        const bool redoOffered = Editor.Edit->RedoAction() != rvutNone;
        const bool undoOffered = Editor.Edit->UndoAction() != rvutNone;
        const bool hadSelection =
            Editor.Edit->GetTopLevelEditor()->EditRVData()->SelectionExists(false, false);
        const size_t groupsBefore = Groups.size();
        Program = false;
        Disrupted = false;
        Cleared = false;
        KeysTyped = 0;
        Armed = true;
        const bool isHistory = step.Run == &S::Undo1 || step.Run == &S::UndoAll;
        const std::string where0 = "seed " + std::to_string(seed) + ", step " + std::to_string(index);
        try {
            if (isHistory)
                Armed = false;
            (this->*step.Run)(name);
        } catch (const ERollViewError& e) {
            // A refusal (a row or column outside the grid) changes nothing.
            if (Trace())
                std::fprintf(stderr, "refused: %s\n", e.Message().c_str());
            EXPECT_TRUE(Save() == before) << where0 << " (" << name << "): a refusal changed the document";
        }
        Armed = false;
        Settle();
        const std::string where = where0 + " (" + name + ", " + std::to_string(Depth()) +
                                  " cell editors open" + (Groups.empty() ? "" : ", in a group") + ")";
        const AnsiString after = Save();
        const bool changed = !(after == before);
        if (Trace()) {
            std::fprintf(stderr, "%s%s\n", where.c_str(), changed ? " changed" : "");
            if (std::getenv("KELVOR_PROGRAM_HISTORY"))
                std::fprintf(stderr, "%s", HistoryDump().c_str());
            if (changed && std::getenv("KELVOR_PROGRAM_DIFF")) {
                std::fprintf(stderr, "%s", Difference(before, after).c_str());
            }
        }
        Check(where);
        if (Program && focus == 2 && name.rfind("open a cell", 0) != 0) {
            EXPECT_EQ(FocusPlace(), 2) << where << ": the focus moved";
        }
        if (HasFailure() || isHistory)
            return;
        if (Cleared) {
            // What the step did after its handler cleared the document is a
            // history the model does not know: both start afresh.
            Model = {};
            Editor.Edit->ClearUndo();
            return;
        }
        ++Tally[name.substr(0, name.find(" at depth"))];
        if (Limit == 0) {
            EXPECT_EQ(Editor.Edit->UndoAction(), rvutNone) << where << ": recorded with an undo limit of 0";
            return;
        }
        if (!Groups.empty() || groupsBefore > 0) {
            // Inside a group nothing is learnt; the outermost bracket closing makes one step.
            if (Groups.empty() && !(after == GroupStart)) {
                BeforeContent = GroupStartContent;
                LearnStep(GroupStart, after, 1, where);
            } else if (Groups.empty()) {
                // A group whose changes undo one another is a step that gives
                // back the same document; one that recorded nothing is none.
                const int own = StepsOfItsOwn(after, 1, where);
                EXPECT_GE(own, 0) << where << ": the undos are not the model's, with the group or without";
                if (own == 1) {
                    Model.Undo.push_back(after);
                    Model.Redo.clear();
                }
            }
            return;
        }
        const int most = std::max(KeysTyped, 1) + (hadSelection ? 1 : 0) + (Disrupted ? 2 : 0);
        // Steps that take one another back drop redo, or undo gives back
        // other documents than the model's.
        if (!changed && !(Disrupted && (redoOffered ? Editor.Edit->RedoAction() == rvutNone
                                                    : StepsOfItsOwn(after, most, where) != 0))) {
            EXPECT_EQ(Editor.Edit->UndoAction() != rvutNone, undoOffered)
                << where << ": no change, undo differs";
            EXPECT_EQ(Editor.Edit->RedoAction() != rvutNone, redoOffered)
                << where << ": no change, redo differs";
            return;
        }
        LearnStep(before, after, most, where);
    }

    std::mt19937 Random;
    THeadlessEditor Fresh;
    struct TModel {
        std::vector<AnsiString> Undo;
        std::vector<AnsiString> Redo;
    } Model;
    // The program's groups open, innermost last (the table, or null for the control's).
    std::vector<TRVTableItemInfo*> Groups;
    AnsiString GroupStart;
    std::string GroupStartContent;
    int Limit = -1;
    TDisrupt HandlerAction = TDisrupt::MessageLoop;
    bool Armed = false;
    bool Disrupted = false;
    bool Cleared = false;
    bool Program = false;
    int KeysTyped = 0;
    std::string LastContent;
    std::string BeforeContent;
    std::map<std::string, int> Tally;
};

TEST_F(ProgramContractTest, TheHistoryHoldsForEverySequenceOfTheProgramApi)
{
    const char* count = std::getenv("KELVOR_PROGRAM_SEEDS");
    const char* first = std::getenv("KELVOR_PROGRAM_SEED");
    for (int seed = first ? std::atoi(first) : 1, n = count ? std::max(std::atoi(count), 1) : 20;
         n > 0 && !HasFailure(); --n, ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Random.seed(static_cast<unsigned>(seed));
        Session(seed);
    }
    if (count)
        for (const auto& [name, steps] : Tally)
            std::printf("%s: %d\n", name.c_str(), steps);
}

// Runs that once found a fault, each the only one that reaches its sequence
// within the default seeds: a grid change left its table laid out as before
// (53); opening a cell told the program before the cell was open (388); a
// closed editor kept the press and the table its mouse (424), also when the
// selection's start closed the editor (658); a cell opened by an operation
// closed another table's editor, whose handler cleared the document, and
// the document kept the cell as chosen (978); a handler told of a nested
// editor's end reopened the cell whose editor was still closing (1929); an
// operation shrank an edited cell's document and a handler closed it before
// the table followed (814); a handler told of an editor opened for a cell
// of a table in a cell deleted the row holding that table while its code
// still ran (3820); a caret key went on in a cell editor that the handler
// told of the selection it dropped had closed (18374); a step whose handler
// inserted the row the step deleted recorded two steps, the first of which
// gave back the document the step before gave, and the model took them for
// none (17459); a program's group that recorded nothing closed after one
// that inserted a table and deleted it, and the model took the undo of that
// one, which gave back the same document, for the new group's (13760); a
// handler told of the end of a cell editor that a posted Tab's move closed,
// deselecting its table, deleted the row holding that table while the table
// still walked its cells (28009); a handler told of the end of a nested cell
// editor that selecting a table in the document closed, deselecting the
// documents on the way, deleted the row of the editor holding that table
// while the viewer around it was still letting that editor go (28972); a
// grid change of a table in a cell laid out as a command in a cell editor's
// document that recorded nothing of the editor's own left the table holding
// the editor with its old row heights (25416), also where a handler reopened
// the cell meanwhile (24933); the undo of deleting every row of a table in a
// cell, the cell's last item, named an item past the cell's end as the one
// to lay out again (451); a program's group that put a table into an empty
// cell and changed it, undone, laid out again only the item that took the
// table's place (2654).
TEST_F(ProgramContractTest, TheRunsThatOnceFoundAFaultStillHold)
{
    for (const int seed : {53, 388, 424, 658, 978, 1929, 814, 3820, 18374, 17459, 13760, 28009, 28972, 25416,
                           24933, 451, 2654}) {
        if (HasFailure())
            break;
        SCOPED_TRACE("seed " + std::to_string(seed));
        Random.seed(static_cast<unsigned>(seed));
        Session(seed);
    }
}

} // namespace
