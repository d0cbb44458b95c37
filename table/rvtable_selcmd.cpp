// Commands on the selected cells: merging, unmerging and splitting them,
// applying a paragraph style to their contents and clearing them, each one
// undo step; and the hidden editor the style commands change cells through.
#include <memory>

#include "document/rvstyle.h"
#include "edit/rvervdata.h"
#include "table/rvtable.h"
#include "table/rvtcellundo.h"
#include "table/rvtinplace.h"

namespace {

TRVEditRVData* EditorDataOf(const TRVTableItemInfo* table)
{
    return table->State.Contains(rvtsInserted) ? dynamic_cast<TRVEditRVData*>(table->GetRVData()) : nullptr;
}

// Runs Operation between InitUndo and DoneUndo, closing the group also when it raises.
template <class F> void InUndoGroup(TRVTableItemInfo* table, F operation)
{
    table->InitUndo();
    try {
        operation();
    } catch (...) {
        table->DoneUndo();
        throw;
    }
    table->DoneUndo();
}

// Applies Mode's change to the whole document of Editor (everything selected);
// false when the change is not one this editor can make.
bool ApplyToCell(TCustomRollViewEdit* editor, int mode, int value)
{
    TRVEditRVData* data = editor->EditRVData();
    if (mode != 1 || data->GetItemCount() == 0)
        return false;
    TRVStyle* style = data->GetRVStyle();
    if (style == nullptr || value < 0 || value >= style->ParaStyles()->Count())
        return false;
    data->BeginUndoSequence(rvutPara, true);
    bool full = false;
    data->Do_Para(0, data->GetItemCount() - 1, value, full);
    data->UndoList->PopIfEmpty();
    data->UndoDest = udNone;
    return true;
}

} // namespace

bool TRVTableItemInfo::CanMergeCells(int topRow, int leftCol, int colSpan, int rowSpan,
                                     bool allowMergeRC) const
{
    return Rows->CanMergeCells(topRow, leftCol, colSpan, rowSpan, allowMergeRC);
}

void TRVTableItemInfo::MergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool allowMergeRC)
{
    DestroyInplace(true);
    InUndoGroup(this, [&] { Rows->MergeCells(topRow, leftCol, colSpan, rowSpan, allowMergeRC, true); });
    Changed();
}

bool TRVTableItemInfo::CanMergeSelectedCells(bool allowMergeRC)
{
    int top, left, cols, rows;
    return State.Contains(rvtsSelExists) && GetNormalizedSelectionBounds(false, top, left, cols, rows) &&
           CanMergeCells(top, left, cols, rows, allowMergeRC);
}

void TRVTableItemInfo::MergeSelectedCells(bool allowMergeRC)
{
    int top, left, cols, rows;
    if (State.Contains(rvtsSelExists) && GetNormalizedSelectionBounds(false, top, left, cols, rows))
        MergeCells(top, left, cols, rows, allowMergeRC);
}

void TRVTableItemInfo::UnmergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool unmergeRows,
                                    bool unmergeCols)
{
    SaveInplace();
    InUndoGroup(this,
                [&] { Rows->UnmergeCells(topRow, leftCol, colSpan, rowSpan, unmergeRows, unmergeCols); });
    RestoreInplace();
    Changed();
}

void TRVTableItemInfo::UnmergeSelectedCells(bool unmergeRows, bool unmergeCols)
{
    int top, left, cols, rows;
    if (GetNormalizedSelectionBounds(true, top, left, cols, rows))
        UnmergeCells(top, left, cols, rows, unmergeRows, unmergeCols);
}

void TRVTableItemInfo::SplitSelectedCellsVertically(int colCount)
{
    int top, left, cols, rows;
    if (!GetNormalizedSelectionBounds(true, top, left, cols, rows))
        return;
    DestroyInplace(true);
    InUndoGroup(this, [&] {
        const int added = Rows->SplitCellsVertically(top, left, cols, rows, colCount);
        Select(top, left, rows - 1, cols + added - 1);
    });
    Changed();
}

void TRVTableItemInfo::SplitSelectedCellsHorizontally(int rowCount)
{
    int top, left, cols, rows;
    if (!GetNormalizedSelectionBounds(true, top, left, cols, rows))
        return;
    DestroyInplace(true);
    InUndoGroup(this, [&] {
        const int added = Rows->SplitCellsHorizontally(top, left, cols, rows, rowCount);
        Select(top, left, rows + added - 1, cols - 1);
    });
    Changed();
}

TCustomRollViewEdit* TRVTableItemInfo::CreateTemporalEditor()
{
    TRVEditRVData* data = EditorDataOf(this);
    TCustomRollViewEdit* source = data != nullptr ? data->RollViewEdit() : nullptr;
    if (source == nullptr)
        return nullptr;
    auto* editor = new TRVTableInplaceEdit(nullptr);
    editor->SetVisible(false);
    editor->SetParentRVData(data);
    editor->SetParent(source);
    editor->SetEditorOptions(source->EditorOptions());
    editor->SetUndoLimit(source->UndoLimit() != 0 ? -1 : 0);
    return editor;
}

void TRVTableItemInfo::ApplyToPartiallySelected(int mode, int value)
{
    int top, left, cols, rows;
    TRVEditRVData* data = EditorDataOf(this);
    if (data == nullptr || !Options.Contains(rvtoEditing) ||
        !GetNormalizedSelectionBounds(false, top, left, cols, rows) || !BeforeChange())
        return;
    const int itemNo = GetMyItemNo();
    const int token = BeginModify(itemNo);
    State.Exclude(rvtsModified);
    InitUndo();
    try {
        std::unique_ptr<TCustomRollViewEdit> editor(CreateTemporalEditor());
        TRVUndoMultiCellsModify* record =
            AddTableUndoInfo<TRVUndoMultiCellsModify>(data, GetEditorItemNoForUndo(), true, true);
        if (record != nullptr)
            record->UndoList = std::make_unique<TRVUndoList>(data);
        TRVEditRVData* inner = editor->EditRVData();
        for (int r = 0; r < Rows->Count(); ++r)
            for (int c = 0; c < Rows->Get(r)->Count(); ++c) {
                TRVTableCellData* cell = GetCells(r, c);
                if (cell == nullptr || !IsCellSelected(r, c) || !DoOnCellEditing(r, c, true))
                    continue;
                inner->Clear();
                inner->DrainFrom(cell);
                inner->FormatAll();
                const bool applied = ApplyToCell(editor.get(), mode, value);
                const int groups = inner->UndoList->Count();
                if (applied && groups > 0) {
                    if (record != nullptr) {
                        record->Rows.push_back(r);
                        record->Cols.push_back(c);
                        record->GroupCounts.push_back(groups);
                        RVMoveUndoGroups(*inner->UndoList, *record->UndoList, groups);
                    }
                    Changed();
                }
                inner->UndoList->Clear();
                cell->DrainFrom(inner);
                cell->ContentChanged();
            }
    } catch (...) {
        DoneUndo();
        throw;
    }
    if (State.Contains(rvtsModified))
        EndModify(itemNo, token);
    DoneUndo();
    Change();
}

bool TRVTableItemInfo::CanDeletePartiallySelected() const
{
    auto* self = const_cast<TRVTableItemInfo*>(this);
    int top, left, cols, rows;
    if (!Options.Contains(rvtoEditing) || EditorDataOf(this) == nullptr ||
        !self->GetNormalizedSelectionBounds(false, top, left, cols, rows))
        return false;
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c)
            if (TRVTableCellData* cell = GetCells(r, c);
                cell != nullptr && IsCellSelected(r, c) && !cell->CanClear())
                return false;
    return true;
}

void TRVTableItemInfo::DeletePartiallySelected()
{
    int top, left, cols, rows;
    if (!GetNormalizedSelectionBounds(false, top, left, cols, rows) || !BeforeChange())
        return;
    const int itemNo = GetEditorItemNoForUndo();
    TRVIntegerList rowList;
    TRVIntegerList colList;
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c)
            if (GetCells(r, c) != nullptr && IsCellSelected(r, c) && DoOnCellEditing(r, c, true)) {
                rowList.Add(r);
                colList.Add(c);
            }
    if (rowList.Count() == 0)
        return;
    const int myItemNo = GetMyItemNo();
    const int token = BeginModify(myItemNo);
    InUndoGroup(this, [&] {
        std::vector<TRVTableCellData*>* cellList = nullptr;
        TObject* record = Rows->Do_BeforeClearCells(itemNo, rowList, colList, cellList);
        Rows->Do_ClearCells(cellList, rowList, colList, record);
    });
    EndModify(myItemNo, token);
    Change();
}
