// The editor control's undo API (groups opened by the program, what undo and
// redo would do, clearing the history), search and selection at the caret,
// and copying event handlers from another viewer or editor.
#include "edit/rollviewedit.h"

// ---------------------------------------------------------------------------
// Undo groups and history

// A program's groups are the outermost document's, whichever editor the
// program asks: the cell editors' commands join them (TRVUndoList::Outer),
// and the group closes there whatever cell editors open and close meanwhile.
TRVEditRVData* TCustomRollViewEdit::GroupData()
{
    auto* outermost = dynamic_cast<TRVEditRVData*>(EditRVData()->GetAbsoluteRootData());
    return outermost != nullptr ? outermost : EditRVData();
}

void TCustomRollViewEdit::BeginUndoGroup(TRVUndoType undoType)
{
    GroupData()->BeginUndoSequence(undoType, true);
}

void TCustomRollViewEdit::BeginUndoCustomGroup(const AnsiString& name)
{
    GroupData()->BeginNamedUndoSequence(rvutCustom, name, true);
}

void TCustomRollViewEdit::SetUndoGroupMode(bool groupUndo)
{
    TRVEditRVData* data = GroupData();
    data->SetUndoGroupMode(groupUndo);
    if (!groupUndo)
        data->UndoList->PopIfEmpty();
}

TRVUndoType TCustomRollViewEdit::UndoAction()
{
    if (TCustomRollViewEdit* inner = CellEditor())
        if (const TRVUndoType action = inner->UndoAction(); action != rvutNone)
            return action;
    return EditRVData()->UndoList->CurrentUndoType();
}

TRVUndoType TCustomRollViewEdit::RedoAction()
{
    if (TCustomRollViewEdit* inner = CellEditor())
        if (const TRVUndoType action = inner->RedoAction(); action != rvutNone)
            return action;
    return EditRVData()->RedoList->CurrentUndoType();
}

AnsiString TCustomRollViewEdit::UndoName()
{
    if (TCustomRollViewEdit* inner = CellEditor(); inner && inner->UndoAction() != rvutNone)
        return inner->UndoName();
    return EditRVData()->UndoList->CurrentUndoCaption();
}

AnsiString TCustomRollViewEdit::RedoName()
{
    if (TCustomRollViewEdit* inner = CellEditor(); inner && inner->RedoAction() != rvutNone)
        return inner->RedoName();
    return EditRVData()->RedoList->CurrentUndoCaption();
}

void TCustomRollViewEdit::ClearUndo()
{
    if (TCustomRollViewEdit* inner = CellEditor())
        inner->ClearUndo();
    EditRVData()->ClearUndo();
}

// ---------------------------------------------------------------------------
// Search and selection

bool TCustomRollViewEdit::SearchText(const AnsiString& s, TRVESearchOptions options)
{
    return EditRVData()->SearchText(options.Contains(rvseoDown), options.Contains(rvseoMatchCase),
                                    options.Contains(rvseoWholeWord), s);
}

void TCustomRollViewEdit::SelectCurrentWord()
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->SelectCurrentWord();
    EditRVData()->SelectCurrentWord();
}

void TCustomRollViewEdit::SelectCurrentLine()
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->SelectCurrentLine();
    TRVEditRVData* data = EditRVData();
    const int itemNo = data->GetCurItemNo();
    if (itemNo < 0)
        return;
    data->SelectLine(itemNo, data->GetOffsetInCurItem());
    Invalidate();
}

void TCustomRollViewEdit::GetCurrentLineCol(int& line, int& column)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentLineCol(line, column);
    TRVEditRVData* data = EditRVData();
    const int itemNo = data->GetCurItemNo();
    line = itemNo >= 0 ? GetLineNo(itemNo, data->GetOffsetInCurItem()) : 0;
    column = data->CaretOffs + 1;
}

// ---------------------------------------------------------------------------
// Events

void TCustomRollViewEdit::AssignEvents(TCustomRollView* source)
{
    TCustomRollView::AssignEvents(source);
    auto* editor = dynamic_cast<TCustomRollViewEdit*>(source);
    if (!editor)
        return;
    OnStyleConversion = editor->OnStyleConversion;
    OnParaStyleConversion = editor->OnParaStyleConversion;
    OnCurParaStyleChanged = editor->OnCurParaStyleChanged;
    OnCurTextStyleChanged = editor->OnCurTextStyleChanged;
    OnCaretMove = editor->OnCaretMove;
    OnPaste = editor->OnPaste;
}
