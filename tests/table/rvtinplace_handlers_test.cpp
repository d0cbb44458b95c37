// A program's handler may do anything when it fires: for every event the
// editor and its cell editors fire, a handler that reopens the edited cell,
// one that deletes the edited cell's row, one that closes every cell editor,
// one that clears the document and one that runs the message loop, each
// fired by the operation that raises the event, with cell editors one, two
// and three deep. Nothing the handler closes is freed while the code that
// fired it runs (the sanitizer build reports any use after free); the grids
// stay sound; and, but where the handler cleared the document, undoing
// everything gives back every text of the first document: no text is lost.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "tests/support/nestedtables.h"
#include "tests/support/tablegrid.h"

namespace {

enum class TAction { Reopen, DeleteRow, CloseAll, Clear, MessageLoop };

struct TEventCase {
    const char* Event;
    // Sets Handler as the program's handler of the event.
    std::function<void(TCustomRollViewEdit& editor, TRVTableItemInfo& table, std::function<void()> handler)>
        Set;
    // Does what raises the event, with Cell the innermost cell editor.
    std::function<void(TCustomRollViewEdit& editor, TCustomRollViewEdit& cell)> Raise;
};

void Type(TCustomRollViewEdit&, TCustomRollViewEdit& cell)
{
    cell.SetFocus();
    SimulateKey(&cell, 'K');
}

void Click(TCustomRollViewEdit&, TCustomRollViewEdit& cell)
{
    SimulateClick(&cell, mbLeft, 3, 3);
}

const std::vector<TEventCase>& EventCases()
{
    using E = TCustomRollViewEdit;
    using T = TRVTableItemInfo;
    using H = std::function<void()>;
    static const std::vector<TEventCase> cases = {
        {"OnChange", [](E& e, T&, H h) { e.OnChange = [h](TObject*) { h(); }; },
         [](E& e, E&) { e.InsertText("new"); }},
        {"OnChanging", [](E& e, T&, H h) { e.OnChanging = [h](TCustomRollViewEdit*, bool&) { h(); }; },
         [](E& e, E&) { e.InsertText("new"); }},
        {"OnSelect by SelectAll", [](E& e, T&, H h) { e.OnSelect = [h](TObject*) { h(); }; },
         [](E&, E& cell) { cell.SelectAll(); }},
        {"OnSelect by typing", [](E& e, T&, H h) { e.OnSelect = [h](TObject*) { h(); }; },
         [](E& e, E& cell) {
             cell.SelectAll();
             e.InsertText("new");
         }},
        {"OnSelect by DeleteSelection", [](E& e, T&, H h) { e.OnSelect = [h](TObject*) { h(); }; },
         [](E& e, E& cell) {
             cell.SelectAll();
             e.DeleteSelection();
         }},
        {"OnSelect by a caret key", [](E& e, T&, H h) { e.OnSelect = [h](TObject*) { h(); }; },
         [](E& e, E& cell) {
             // The selection (made telling no one) goes before the key moves the caret.
             const auto told = cell.OnSelect;
             e.OnSelect = cell.OnSelect = nullptr;
             cell.SelectAll();
             e.OnSelect = cell.OnSelect = told;
             cell.SetFocus();
             SimulateKey(&cell, VK_LEFT);
         }},
        {"OnCaretMove", [](E& e, T&, H h) { e.OnCaretMove = [h](TObject*) { h(); }; },
         [](E& e, E&) { e.EditRVData()->DestroyInplaceEditor(); }},
        {"OnCurTextStyleChanged", [](E& e, T&, H h) { e.OnCurTextStyleChanged = [h](TObject*) { h(); }; },
         [](E& e, E&) { e.ApplyTextStyle(1); }},
        {"OnCurParaStyleChanged", [](E& e, T&, H h) { e.OnCurParaStyleChanged = [h](TObject*) { h(); }; },
         [](E& e, E&) { e.ApplyParaStyle(1); }},
        {"OnStyleConversion",
         [](E& e, T&, H h) {
             e.OnStyleConversion = [h](TCustomRollViewEdit*, int, int, bool, int& newStyleNo) {
                 newStyleNo = 1;
                 h();
             };
         },
         [](E& e, E& cell) {
             cell.SelectAll();
             e.ApplyStyleConversion(0);
         }},
        {"OnKeyDown", [](E& e, T&, H h) { e.OnKeyDown = [h](TObject*, WORD&, TShiftState) { h(); }; }, Type},
        {"OnKeyPress", [](E& e, T&, H h) { e.OnKeyPress = [h](TObject*, char&) { h(); }; }, Type},
        {"OnMouseDown",
         [](E& e, T&, H h) { e.OnMouseDown = [h](TObject*, TMouseButton, TShiftState, int, int) { h(); }; },
         Click},
        {"OnClick", [](E& e, T&, H h) { e.OnClick = [h](TObject*) { h(); }; }, Click},
        {"OnRVMouseUp",
         [](E& e, T&, H h) {
             e.OnRVMouseUp = [h](TObject*, TMouseButton, TShiftState, int, int, int) { h(); };
         },
         Click},
        {"OnDragOver",
         [](E& e, T&, H h) {
             e.OnDragOver = [h](TObject*, TObject*, int, int, TDragState, bool& accept) {
                 accept = false;
                 h();
             };
         },
         [](E&, E& cell) {
             // The table's handler on the cell editor passes a drag on.
             bool accept = true;
             if (cell.OnDragOver)
                 cell.OnDragOver(&cell, nullptr, 3, 3, dsDragMove, accept);
         }},
        {"OnPaint", [](E& e, T&, H h) { e.OnPaint = [h](TObject*, TCanvas*, bool) { h(); }; },
         [](E&, E& cell) {
             cell.Invalidate();
             cell.Update();
         }},
        {"OnControlAction",
         [](E& e, T&, H h) {
             e.OnControlAction = [h](TObject*, TRVControlAction action, int, TControl*&) {
                 if (action == rvcaMoveToUndoList)
                     h();
             };
         },
         [](E& e, E& cell) {
             auto* control = new TCustomControl(nullptr);
             control->SetBounds(0, 0, 8, 8);
             e.InsertControl("c", control, rvvaBaseline);
             cell.SelectAll();
             e.DeleteSelection();
         }},
        {"OnCellEditing",
         [](E&, T& t, H h) { t.OnCellEditing = [h](TRVTableItemInfo*, int, int, bool, bool&) { h(); }; },
         [](E& e, E&) {
             auto* cell = dynamic_cast<TRVTableInplaceEdit*>(e.GetTopLevelEditor());
             cell->Table->EditCell(cell->Row, 1 - cell->Col);
         }},
        {"OnCellEndEdit",
         [](E&, T& t, H h) { t.OnCellEndEdit = [h](TRVTableItemInfo*, int, int, bool) { h(); }; },
         [](E& e, E&) {
             auto* cell = dynamic_cast<TRVTableInplaceEdit*>(e.GetTopLevelEditor());
             cell->Table->DestroyInplace(true);
         }},
        // The editor closes while the document holding its table is deselected:
        // the caret leaves the table past its last column (a posted Tab's
        // move), the table the selected item of its document since a click in
        // the cell ...
        {"OnCellEndEdit by the caret leaving the table",
         [](E&, T& t, H h) { t.OnCellEndEdit = [h](TRVTableItemInfo*, int, int, bool) { h(); }; },
         [](E&, E& cell) {
             SimulateClick(&cell, mbLeft, 3, 3);
             cell.Perform(WM_RVMOVEEDITOR, rvcdRight, 0);
         }},
        // ... or the program deselecting the table ...
        {"OnCellEndEdit by the table's Deselect",
         [](E&, T& t, H h) { t.OnCellEndEdit = [h](TRVTableItemInfo*, int, int, bool) { h(); }; },
         [](E& e, E&) {
             auto* cell = dynamic_cast<TRVTableInplaceEdit*>(e.GetTopLevelEditor());
             cell->Table->Deselect();
         }},
        // ... or the program closing the outermost cell editor ...
        {"OnCellEndEdit by closing the outermost cell editor",
         [](E&, T& t, H h) { t.OnCellEndEdit = [h](TRVTableItemInfo*, int, int, bool) { h(); }; },
         [](E& e, E&) { nestedtables::TablesOf(e.EditRVData()).front()->DestroyInplace(true); }},
        // ... or a selection made in the outermost document, every document
        // between deselected on the way down.
        {"OnCellEndEdit by a selection in the document",
         [](E&, T& t, H h) { t.OnCellEndEdit = [h](TRVTableItemInfo*, int, int, bool) { h(); }; },
         [](E& e, E&) { e.EditRVData()->SetSelectionBounds(0, 0, 0, 0); }},
    };
    return cases;
}

class AnyHandler : public TTableEditFixture {
protected:
    AnyHandler() { Fresh.NewEditor(&Style); }
    // The name of the case of Event's handler doing Action (a TAction) Depth
    // deep; empty when KELVOR_HANDLERS_ONLY names cases that it is not part of.
    static std::string CaseName(const TEventCase& event, int action, int depth)
    {
        static const char* const actions[] = {"reopens the cell", "deletes the row",
                                              "closes every cell editor", "clears the document",
                                              "runs the message loop"};
        std::string name =
            std::string(event.Event) + " handler " + actions[action] + ", " + std::to_string(depth) + " deep";
        const char* only = std::getenv("KELVOR_HANDLERS_ONLY");
        return only == nullptr || name.find(only) != std::string::npos ? name : std::string();
    }
    // The editor's table, with tables nested to Depth in cell (1, 1) of
    // each, every cell with text, the innermost cell edited; the handlers'
    // table is the innermost one.
    TRVTableItemInfo* Build(int depth)
    {
        NewTable(2, 2);
        TRVTableItemInfo* t = Table;
        t->EditCell(1, 1);
        for (int k = 1; k < depth; ++k) {
            auto* inner = new TRVTableItemInfo(2, 2, Editor.Edit->GetTopLevelEditor()->EditRVData());
            for (int r = 0; r < 2; ++r)
                for (int c = 0; c < 2; ++c) {
                    inner->GetCells(r, c)->Clear();
                    inner->GetCells(r, c)->AddNL(AnsiString("d") + char('0' + k) + char('a' + 2 * r + c), 0,
                                                 0);
                }
            EXPECT_TRUE(Editor.Edit->InsertItem("", inner));
            inner->EditCell(1, 1);
            t = inner;
        }
        nestedtables::SettleMessages();
        Editor.Edit->ClearUndo();
        return t;
    }
    // The texts of the document saved as Saved that the editor's document
    // lacks now (each text item counted, at every depth), joined by spaces.
    std::string LostTexts(const AnsiString& saved)
    {
        TStringStream stream(saved);
        if (!Fresh.Edit->LoadRVFFromStream(&stream))
            return "not read back";
        std::multiset<std::string> have = Texts(d);
        std::string lost;
        for (const std::string& text : Texts(Fresh.Edit->EditRVData())) {
            const auto found = have.find(text);
            if (found == have.end())
                lost += text + " ";
            else
                have.erase(found);
        }
        return lost;
    }
    static std::multiset<std::string> Texts(TCustomRVData* doc)
    {
        std::multiset<std::string> texts;
        for (int i = 0; i < doc->GetItemCount(); ++i) {
            if (!doc->GetItemText(i).empty())
                texts.insert(std::string(doc->GetItemText(i)));
            if (auto* t = dynamic_cast<TRVTableItemInfo*>(doc->GetItem(i)))
                for (int r = 0; r < t->Rows->Count(); ++r)
                    for (int c = 0; c < t->Rows->Get(r)->Count(); ++c)
                        if (TRVTableCellData* cell = t->GetCells(r, c))
                            for (const std::string& text : Texts(cell->GetRVData()))
                                texts.insert(text);
        }
        return texts;
    }
    THeadlessEditor Fresh;

    void Act(TAction action)
    {
        auto* cell = dynamic_cast<TRVTableInplaceEdit*>(Editor.Edit->GetTopLevelEditor());
        switch (action) {
        case TAction::Reopen:
            if (cell != nullptr && cell->Table != nullptr) {
                TRVTableItemInfo* t = cell->Table;
                const int row = cell->Row;
                const int col = cell->Col;
                t->EditCell(1 - row, col);
                t->EditCell(row, col);
            }
            break;
        case TAction::DeleteRow:
            if (cell != nullptr && cell->Table != nullptr)
                cell->Table->DeleteRows(cell->Row, 1, false);
            break;
        case TAction::CloseAll:
            Editor.Edit->EditRVData()->DestroyInplaceEditor();
            break;
        case TAction::Clear:
            Editor.Edit->Clear();
            Editor.Edit->Format();
            break;
        case TAction::MessageLoop:
            Application->ProcessMessages();
            break;
        }
    }
};

TEST_F(AnyHandler, MayCloseReopenDeleteOrClearUnderTheCodeThatFiredIt)
{
    for (const TEventCase& event : EventCases())
        for (int a = 0; a < 5; ++a)
            for (const int depth : {1, 2, 3}) {
                const TAction action = TAction(a);
                const std::string name = CaseName(event, a, depth);
                if (name.empty())
                    continue;
                SCOPED_TRACE(name);
                if (std::getenv("KELVOR_HANDLERS_TRACE"))
                    std::fprintf(stderr, "%s\n", name.c_str());
                // The editor's handlers are set before the cell editors open,
                // which take them; the table's once it is there.
                int fired = 0;
                bool armed = false;
                const auto handler = [&] {
                    if (armed && fired++ == 0)
                        Act(action);
                };
                d = Editor.NewEditor(&Style);
                TRVTableItemInfo none(1, 1, d);
                event.Set(*Editor.Edit, none, handler);
                TRVTableItemInfo* inner = Build(depth);
                event.Set(*Editor.Edit, *inner, handler);
                const AnsiString start = editinvariant::SaveRVF(*d);
                const std::string startContent = nestedtables::Content(d);
                armed = true;
                TCustomRollViewEdit* cell = Editor.Edit->GetTopLevelEditor();
                ASSERT_NE(cell, Editor.Edit);
                try {
                    event.Raise(*Editor.Edit, *cell);
                    nestedtables::SettleMessages();
                } catch (const Exception& e) {
                    ADD_FAILURE() << "raised " << e.Message();
                    continue;
                }
                EXPECT_GT(fired, 0) << "the event did not fire";
                for (TRVTableItemInfo* t : nestedtables::AllTables(d))
                    EXPECT_EQ(tablegrid::GridFault(*t->Rows), "");
                if (action == TAction::Clear) {
                    EXPECT_TRUE(nestedtables::AllTables(d).empty()) << nestedtables::Content(d);
                    continue;
                }
                // Undo everything: the first document comes back.
                try {
                    for (int n = 0; n < 50 && Editor.Edit->UndoAction() != rvutNone; ++n) {
                        Editor.Edit->Undo();
                        nestedtables::SettleMessages();
                    }
                } catch (const Exception& e) {
                    ADD_FAILURE() << "undo raised " << e.Message();
                    continue;
                }
                EXPECT_EQ(Editor.Edit->UndoAction(), rvutNone) << "undo does not end";
                EXPECT_EQ(LostTexts(start), "")
                    << "undone: " << nestedtables::Content(d) << "\nfirst: " << startContent;
            }
}

// Without undo a deleted row's cells are freed at once: a handler told of a
// cell editor's end that deletes the row holding the closing editor's table,
// or clears the document, must find every document the deselection that
// closed the editor walks through done with, also two and three deep.
TEST_F(AnyHandler, WithoutUndoTheDeselectionThatClosedTheCellIsDoneBeforeTheProgramHearsOfIt)
{
    for (const TEventCase& event : EventCases()) {
        if (std::string(event.Event).rfind("OnCellEndEdit by", 0) != 0)
            continue;
        // Every action but running the message loop.
        for (int a = 0; a < 4; ++a)
            for (const int depth : {1, 2, 3}) {
                const std::string name = CaseName(event, a, depth);
                if (name.empty())
                    continue;
                SCOPED_TRACE(name);
                int fired = 0;
                d = Editor.NewEditor(&Style);
                Editor.Edit->SetUndoLimit(0);
                TRVTableItemInfo* inner = Build(depth);
                event.Set(*Editor.Edit, *inner, [&] {
                    if (fired++ == 0)
                        Act(TAction(a));
                });
                TCustomRollViewEdit* cell = Editor.Edit->GetTopLevelEditor();
                ASSERT_NE(cell, Editor.Edit);
                event.Raise(*Editor.Edit, *cell);
                nestedtables::SettleMessages();
                EXPECT_GT(fired, 0) << "the event did not fire";
                for (TRVTableItemInfo* t : nestedtables::AllTables(d))
                    EXPECT_EQ(tablegrid::GridFault(*t->Rows), "");
                // Every cell editor still open is the one its table edits.
                TCustomRollViewEdit* holder = Editor.Edit;
                while (auto* open = dynamic_cast<TRVTableInplaceEdit*>(holder->CellEditor())) {
                    int row, col;
                    EXPECT_TRUE(!open->Closed() && open->Table != nullptr &&
                                open->Table->GetEditedCell(row, col) == open &&
                                open->ParentData == holder->EditRVData());
                    holder = open;
                }
            }
    }
}

} // namespace
