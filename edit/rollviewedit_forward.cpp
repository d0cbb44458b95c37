// The editor with a cell editor open over a table cell: the commands act on
// the cell editor, and undo and redo reach back to this editor once the cell
// editor has nothing left to undo.
#include "edit/rollviewedit.h"

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
    if (cell == nullptr || (redo ? cell->RedoAction() : cell->UndoAction()) == rvutNone)
        return false;
    if (redo)
        cell->Redo();
    else
        cell->Undo();
    return true;
}
