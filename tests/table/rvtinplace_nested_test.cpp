// Cell editors open one inside the other: the caret placed in the outermost
// document while they stay open, Ctrl+Home and Ctrl+End from the innermost,
// and a program's undo and redo of the document while a cell editor holds an
// edit. Cell editors opened and closed under the call stack: by records of a
// program's own played from the document or from a cell editor, by a
// program's key handler in a cell editor, and many times over by a program
// that never runs the message loop.
// The random test of nested tables walks the rest (grid operations over the
// edited cell, undo groups across cells, the order of the groups, the focus).
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

class NestedCellEditors : public TTableEditFixture {
protected:
    std::string Content() { return nestedtables::Content(d); }
    // The messages a step defers handled.
    void Settle() { nestedtables::SettleMessages(); }
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

// A program's own record: playing it runs Play in the document it is played
// in, then records itself again into the group the play opened (redo runs it
// too).
class TProgramRecord : public TRVUndoInfo {
public:
    using TPlay = std::function<void()>;
    explicit TProgramRecord(TPlay play) : Play(std::move(play)) {}
    bool RequiresFormat() override { return false; }
    void Undo(TRVEditRVData* rvData) override
    {
        Play();
        if (TRVUndoList* list = rvData->NoteEditAndGetUndoList())
            list->AddInfo(std::make_unique<TProgramRecord>(Play));
    }
    TPlay Play;
};

// Counts the components linked to it that are freed.
class TFreeWatcher : public TComponent {
public:
    TFreeWatcher() : TComponent(nullptr) {}
    int Freed = 0;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove)
            ++Freed;
    }
};

class CellEditorsUnderTheStack : public NestedCellEditors {
protected:
    // A group of its own in Doc's undo list holding a program's record.
    void AddProgramGroup(TRVEditRVData* doc, TProgramRecord::TPlay play)
    {
        doc->BeginUndoSequence(rvutCustom, true);
        doc->NoteEditAndGetUndoList()->AddInfo(std::make_unique<TProgramRecord>(std::move(play)));
        doc->Change();
    }
    // The control's undo (redo), the messages it posts handled.
    void Play(bool redo)
    {
        redo ? Editor.Edit->Redo() : Editor.Edit->Undo();
        Settle();
    }
    // The open cell editor, watched from now on (Freed counts it once freed).
    TCustomRollViewEdit* WatchedCellEditor()
    {
        TCustomRollViewEdit* editor = Editor.Edit->CellEditor();
        if (editor != nullptr)
            editor->FreeNotification(&Watcher);
        return editor;
    }
    // What a program's handler or record does after closing the cell editor:
    // opens another cell, or runs the message loop as a modal box does.
    enum TThen { OpensACell, RunsTheMessageLoop };
    void Then(TThen then)
    {
        if (then == OpensACell)
            Table->EditCell(1, 1);
        else
            Application->ProcessMessages();
    }
    static const char* Name(TThen then)
    {
        return then == OpensACell ? "then opens a cell" : "then runs the message loop";
    }
    TFreeWatcher Watcher;
    // The cell the open cell editor edits, "none" without one.
    std::string Edited()
    {
        int row = -1;
        int col = -1;
        return Table->GetEditedCell(row, col) != nullptr ? std::to_string(row) + "," + std::to_string(col)
                                                         : "none";
    }
};

// A record that opens a cell editor over the cell that the next record of
// its group splits again (two cells merged): the merge's record closes the
// editor before it moves the cells' items (the merged text goes back into the
// cell first), and the cells come back as they were.
TEST_F(CellEditorsUnderTheStack, AGridRecordClosesTheCellEditorThatARecordBeforeItOpened)
{
    NewTable(2, 2);
    const std::string plain = Content();
    Table->MergeCells(0, 0, 2, 1, false);
    d->Change();
    d->UndoList->AddInfo(std::make_unique<TProgramRecord>([this] { Table->EditCell(0, 0); }));
    const std::string merged = Content();
    Play(false);
    EXPECT_EQ(Content(), plain);
    EXPECT_EQ(Edited(), "none");
    EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "");
    Play(true);
    EXPECT_EQ(Content(), merged);
    EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "");
}

// A record whose play opens a cell editor, types into it and closes it, and
// may then run the message loop: the typing clears the redo list the play
// records into, and the closed editor hands its history to the undo list
// being played; both wait until the play has returned, and so does freeing
// the editor. The play's own group goes, the typing is the next undo step,
// and the typing left nothing to redo.
TEST_F(CellEditorsUnderTheStack, AHistoryHandedOverDuringAPlayWaitsForThePlay)
{
    for (const bool messageLoop : {false, true}) {
        SCOPED_TRACE(messageLoop ? "then runs the message loop" : "and returns");
        d = Editor.NewEditor(&Style);
        NewTable(2, 2);
        const std::string plain = Content();
        Watcher.Freed = 0;
        int freedInPlay = -1;
        AddProgramGroup(d, [&] {
            Table->EditCell(0, 0);
            WatchedCellEditor();
            Editor.Edit->InsertText("q");
            Table->DestroyInplace(true);
            if (messageLoop)
                Application->ProcessMessages();
            freedInPlay = Watcher.Freed;
        });
        Play(false);
        EXPECT_EQ(freedInPlay, 0);
        EXPECT_EQ(Watcher.Freed, 1);
        EXPECT_NE(Content().find("[\"q0,0\"]"), std::string::npos) << Content();
        EXPECT_EQ(Edited(), "none");
        EXPECT_EQ(Editor.Edit->RedoAction(), rvutNone);
        ASSERT_NE(Editor.Edit->UndoAction(), rvutNone);
        Play(false);
        EXPECT_EQ(Content(), plain);
        EXPECT_EQ(Editor.Edit->UndoAction(), rvutNone);
    }
}

// The document's change handlers, run by text inserted into a cell editor
// (OnChanging asked before, OnChange told after), close that editor and then
// open another cell or run the message loop; OnChanging refuses the change.
// The editor is not freed while its insertion runs, and is freed after it.
TEST_F(CellEditorsUnderTheStack, AChangeHandlerClosingTheCellEditorThatTypesKeepsItUntilTheTypingReturns)
{
    for (const bool changing : {true, false})
        for (const TThen then : {OpensACell, RunsTheMessageLoop}) {
            SCOPED_TRACE(std::string(changing ? "OnChanging " : "OnChange ") + Name(then));
            d = Editor.NewEditor(&Style);
            NewTable(2, 2);
            Table->EditCell(0, 0);
            TCustomRollViewEdit* typing = WatchedCellEditor();
            ASSERT_NE(typing, nullptr);
            int freedInHandler = -1;
            const auto closeAndThen = [&] {
                Table->DestroyInplace(true);
                Then(then);
                freedInHandler = Watcher.Freed;
            };
            if (changing)
                Editor.Edit->OnChanging = [&](TObject*, bool& allow) {
                    closeAndThen();
                    allow = false;
                };
            else
                Editor.Edit->OnChange = [&](TObject*) {
                    if (freedInHandler < 0)
                        closeAndThen();
                };
            Watcher.Freed = 0;
            typing->InsertText("t");
            EXPECT_EQ(freedInHandler, 0);
            EXPECT_EQ(Content().find("[\"t0,0\"]") != std::string::npos, !changing) << Content();
            EXPECT_EQ(Edited(), then == OpensACell ? "1,1" : "none");
            Settle();
            EXPECT_EQ(Watcher.Freed, 1);
            Editor.Edit->OnChanging = nullptr;
            Editor.Edit->OnChange = nullptr;
        }
}

// Two edits typed in a cell, then a record in the cell editor's own list
// that closes that editor and then opens another cell, runs the message loop
// or clears the document: the editor is not freed under the play, though a
// cell editor opens in it or the message loop runs, and is freed after it.
// The closed editor's history reaches the document when the play returns (the
// two edits undo and redo in turn), unless the document was cleared: with
// the table gone, the history goes too, and nothing is left to undo.
TEST_F(CellEditorsUnderTheStack, ARecordThatClosesItsOwnCellEditorLosesNoHistory)
{
    enum TAfter { OpenCell, MessageLoop, ClearDocument };
    for (const TAfter after : {OpenCell, MessageLoop, ClearDocument}) {
        SCOPED_TRACE(after == OpenCell      ? "then opens a cell"
                     : after == MessageLoop ? "then runs the message loop"
                                            : "then clears the document");
        d = Editor.NewEditor(&Style);
        NewTable(2, 2);
        const std::string plain = Content();
        Table->EditCell(0, 0);
        Editor.Edit->InsertText("a");
        const std::string first = Content();
        Editor.Edit->InsertText("b");
        const std::string typed = Content();
        WatchedCellEditor();
        Watcher.Freed = 0;
        int freedInPlay = -1;
        AddProgramGroup(Editor.Edit->CellEditor()->EditRVData(), [&] {
            Table->DestroyInplace(true);
            if (after == ClearDocument)
                d->Clear();
            else
                Then(after == OpenCell ? OpensACell : RunsTheMessageLoop);
            freedInPlay = Watcher.Freed;
        });
        Play(false);
        EXPECT_EQ(freedInPlay, 0);
        EXPECT_EQ(Watcher.Freed, 1);
        if (after == ClearDocument) {
            EXPECT_EQ(Content(), "");
            EXPECT_EQ(Editor.Edit->UndoAction(), rvutNone);
            EXPECT_NO_THROW(Play(false));
            continue;
        }
        EXPECT_EQ(Content(), typed);
        EXPECT_EQ(Edited(), after == OpenCell ? "1,1" : "none");
        Play(false);
        EXPECT_EQ(Content(), first);
        Play(false);
        EXPECT_EQ(Content(), plain);
        Play(true);
        EXPECT_EQ(Content(), first);
        Play(true);
        EXPECT_EQ(Content(), typed);
    }
}

// A program's key handler in a cell editor closes that editor and then opens
// its cell again (a table operation does both) or runs the message loop: the
// closed editor stays until the handler has returned, and is freed after it.
TEST_F(CellEditorsUnderTheStack, AKeyHandlerThatReopensItsCellKeepsTheClosedEditor)
{
    for (const TThen then : {OpensACell, RunsTheMessageLoop}) {
        SCOPED_TRACE(Name(then));
        d = Editor.NewEditor(&Style);
        NewTable(2, 2);
        int freedInHandler = -1;
        Editor.Edit->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
            if (key != VK_F2)
                return;
            if (then == OpensACell) {
                Table->UnmergeCells(0, 0, 1, 1, true, true);
            } else {
                Table->DestroyInplace(true);
                Then(then);
            }
            freedInHandler = Watcher.Freed;
        };
        Table->EditCell(0, 0);
        Editor.Edit->InsertText("k");
        const std::string typed = Content();
        Watcher.Freed = 0;
        SimulateKey(WatchedCellEditor(), VK_F2);
        EXPECT_EQ(freedInHandler, 0);
        Settle();
        EXPECT_EQ(Watcher.Freed, 1);
        EXPECT_EQ(Content(), typed);
        EXPECT_EQ(Edited(), then == OpensACell ? "0,0" : "none");
        Editor.Edit->OnKeyDown = nullptr;
    }
}

// Asks a control about a drag over it, as a drag whose target it is does.
struct TDragAsker : TControl {
    static void Ask(TControl* control, TDragState state, bool& accept)
    {
        (control->*(&TDragAsker::DragOver))(nullptr, 3, 3, state, accept);
    }
};

// A closed cell editor not freed yet has no window to get the pointer, but a
// move, a press, a release or a drag's question sent to it still passes
// nothing on to the editor that held its table, also once the table is gone;
// nor does a control that a record closing it put into its document, as it
// is freed with the editor. An open editor passes them all on.
TEST_F(CellEditorsUnderTheStack, AClosedCellEditorPassesNothingOn)
{
    for (const bool cleared : {false, true}) {
        SCOPED_TRACE(cleared ? "the table gone" : "the table kept");
        d = Editor.NewEditor(&Style);
        NewTable(2, 2);
        std::set<std::string> heard;
        Editor.Edit->OnMouseMove = [&](TObject*, TShiftState, int, int) { heard.insert("move"); };
        Editor.Edit->OnRVMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int, int) {
            heard.insert("press");
        };
        Editor.Edit->OnRVMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int, int) {
            heard.insert("release");
        };
        Editor.Edit->OnDragOver = [&](TObject*, TObject*, int, int, TDragState, bool&) {
            heard.insert("drag");
        };
        Editor.Edit->OnControlAction = [&](TObject*, TRVControlAction, int, TControl*&) {
            heard.insert("control");
        };
        Table->EditCell(0, 0);
        TCustomRollViewEdit* cell = Editor.Edit->CellEditor();
        ASSERT_NE(cell, nullptr);
        const auto sendAll = [&] {
            // The left button's press would take the mouse, which needs a window.
            cell->Perform(WM_MOUSEMOVE, 0, 3 | (3 << 16));
            cell->Perform(WM_RBUTTONDOWN, MK_RBUTTON, 3 | (3 << 16));
            cell->Perform(WM_LBUTTONUP, 0, 3 | (3 << 16));
            bool accept = false;
            TDragAsker::Ask(cell, dsDragLeave, accept);
            Settle();
        };
        sendAll();
        EXPECT_EQ(heard, (std::set<std::string>{"move", "press", "release", "drag"}));
        // A record of the cell editor's closes it and then puts a control
        // into the document it is played in, the closed editor's.
        TRVEditRVData* inner = cell->EditRVData();
        AddProgramGroup(inner, [&] {
            Table->DestroyInplace(true);
            inner->AddControlEx("", new TCustomControl(nullptr), 0, rvvaBaseline);
            if (cleared)
                d->Clear();
        });
        heard.clear();
        // Closed, not freed yet: no message handled since.
        Editor.Edit->Undo();
        EXPECT_EQ(Editor.Edit->CellEditor(), nullptr);
        sendAll();
        EXPECT_EQ(heard, std::set<std::string>());
    }
}

// A program that never runs the message loop opens and closes cell editors
// many times, typing in each: the closed editors are freed as the next one
// opens, and the message loop frees the last.
TEST_F(CellEditorsUnderTheStack, WithoutAMessageLoopClosedCellEditorsAreFreed)
{
    NewTable(2, 2);
    TFreeWatcher watcher;
    const int cycles = 200;
    for (int i = 0; i < cycles; ++i) {
        Table->EditCell(i % 2, (i / 2) % 2);
        ASSERT_NE(Editor.Edit->CellEditor(), nullptr);
        Editor.Edit->CellEditor()->FreeNotification(&watcher);
        Editor.Edit->InsertText("x");
        if (i % 3 == 0)
            d->DestroyInplaceEditor();
    }
    d->DestroyInplaceEditor();
    EXPECT_GE(watcher.Freed, cycles - 2);
    Settle();
    EXPECT_EQ(watcher.Freed, cycles);
}

} // namespace

// A record of a program's own that closes the cell editor it is played in,
// with the cell's typing before it in the same group: the typing is played
// in an editor that no longer holds the cell. Undo raises nothing and shows no
// box; the half-played group is handed to no one, and the document's history
// goes on undoing to its end (before, the document's next undo freed a null item).
TEST_F(CellEditorsUnderTheStack, ARecordThatClosesItsEditorBeforeTheRestOfItsGroupEndsTheHistoryQuietly)
{
    for (const bool loop : {false, true}) {
        SCOPED_TRACE(loop ? "then runs the message loop" : "closes only");
        d = Editor.NewEditor(&Style);
        NewTable(2, 2);
        Editor.Edit->InsertText("x");
        Table->EditCell(0, 0);
        TRVEditRVData* cell = Editor.Edit->CellEditor()->EditRVData();
        cell->BeginUndoSequence(rvutCustom, true);
        cell->SetUndoGroupMode(true);
        Editor.Edit->InsertText("ab");
        // Joins the typing's group (group mode).
        cell->BeginUndoSequence(rvutCustom, true);
        cell->NoteEditAndGetUndoList()->AddInfo(std::make_unique<TProgramRecord>([&] {
            Table->DestroyInplace(true);
            if (loop)
                Application->ProcessMessages();
        }));
        cell->SetUndoGroupMode(false);
        cell->Change();
        EXPECT_NO_THROW(Play(false));
        for (int n = 0; n < 20 && Editor.Edit->UndoAction() != rvutNone; ++n)
            EXPECT_NO_THROW(Play(false));
        EXPECT_EQ(Editor.Edit->UndoAction(), rvutNone);
        EXPECT_EQ(tablegrid::GridFault(*Table->Rows), "");
        EXPECT_TRUE(Editor.UI.CallsOf(TUICallKind::MessageBox).empty());
    }
}
