// The editor with a cell editor open over a table cell: the commands act on
// the cell editor, and undo and redo reach back to this editor once the cell
// editor has nothing left to undo.
#include "edit/rollviewedit.h"
#include "platform/controls/winapi.h"

TCustomRollViewEdit* TCustomRollViewEdit::CellEditor()
{
    return dynamic_cast<TCustomRollViewEdit*>(GetInplaceEditor());
}

TCustomRollViewEdit* TCustomRollViewEdit::GetTopLevelEditor()
{
    TCustomRollViewEdit* editor = this;
    while (TCustomRollViewEdit* inner = editor->CellEditor())
        editor = inner;
    return editor;
}

bool TCustomRollViewEdit::ForwardUndo(bool redo)
{
    TCustomRollViewEdit* cell = CellEditor();
    if (cell == nullptr)
        return false;
    // The cell editor's answer takes the editors open inside it into account.
    if ((redo ? cell->RedoAction() : cell->UndoAction()) != rvutNone) {
        if (redo)
            cell->Redo();
        else
            cell->Undo();
    } else if ((redo ? EditRVData()->RedoList : EditRVData()->UndoList)->CurrentUndoType() != rvutNone &&
               HandleAllocated()) {
        // The cell editor closes first (its edits join this editor's list), later.
        PostMessage(Handle(), redo ? WM_RVREDOFROMINPLACE : WM_RVUNDOFROMINPLACE, 0, 0);
    }
    return true;
}
