// Commands on the selected cells: merging, unmerging and splitting them,
// applying a paragraph style or converting the text or paragraph styles of
// their contents and clearing them, each one undo step; and the hidden editor
// the style commands change cells through.
#include <memory>
#include <vector>

#include "document/rvstyle.h"
#include "edit/rollviewedit.h"
#include "edit/rvervdata.h"
#include "platform/core/streams.h"
#include "table/rvtable.h"
#include "table/rvtcellundo.h"
#include "table/rvtinplace.h"

namespace {

// Applies Mode's change to the whole document of Editor (nothing is laid
// out), a conversion asking Conversion for every style it meets; false when
// there is nothing to change.
bool ApplyToCell(TCustomRollViewEdit* editor, int mode, int value, const TRVStyleConversionEvent& conversion)
{
    TRVEditRVData* data = editor->EditRVData();
    TRVStyle* style = data->GetRVStyle();
    if (data->GetItemCount() == 0 || style == nullptr)
        return false;
    if (mode == 1 && (value < 0 || value >= style->ParaStyles()->Count()))
        return false;
    editor->CurStyleConversion = conversion;
    data->BeginUndoSequence(mode == 0 ? rvutStyleNo : rvutPara, true);
    bool full = false;
    if (mode == 0) {
        data->ConvertAllTextStyles(value);
    } else if (mode == 1) {
        data->Do_Para(0, data->GetItemCount() - 1, value, full);
    } else {
        std::vector<int> styles;
        for (int i = 0; i < data->GetItemCount(); ++i)
            styles.push_back(data->ConvertParaStyle(data->GetItemPara(i), value));
        data->Do_ParaList(0, styles, full);
    }
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
    const TRVTableTells tells;
    DestroyInplace(true);
    InUndoGroup([&] { Rows->MergeCells(topRow, leftCol, colSpan, rowSpan, allowMergeRC, true); });
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
    const TRVTableTells tells;
    int top, left, cols, rows;
    if (State.Contains(rvtsSelExists) && GetNormalizedSelectionBounds(false, top, left, cols, rows))
        MergeCells(top, left, cols, rows, allowMergeRC);
}

void TRVTableItemInfo::UnmergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool unmergeRows,
                                    bool unmergeCols)
{
    const TRVTableTells tells;
    SaveInplace();
    InUndoGroup([&] { Rows->UnmergeCells(topRow, leftCol, colSpan, rowSpan, unmergeRows, unmergeCols); });
    RestoreInplace();
    Changed();
}

void TRVTableItemInfo::UnmergeSelectedCells(bool unmergeRows, bool unmergeCols)
{
    const TRVTableTells tells;
    int top, left, cols, rows;
    if (GetNormalizedSelectionBounds(true, top, left, cols, rows))
        UnmergeCells(top, left, cols, rows, unmergeRows, unmergeCols);
}

void TRVTableItemInfo::SplitSelectedCellsVertically(int colCount)
{
    const TRVTableTells tells;
    int top, left, cols, rows;
    if (!GetNormalizedSelectionBounds(true, top, left, cols, rows))
        return;
    DestroyInplace(true);
    InUndoGroup([&] {
        const int added = Rows->SplitCellsVertically(top, left, cols, rows, colCount);
        Select(top, left, rows - 1, cols + added - 1);
    });
    Changed();
}

void TRVTableItemInfo::SplitSelectedCellsHorizontally(int rowCount)
{
    const TRVTableTells tells;
    int top, left, cols, rows;
    if (!GetNormalizedSelectionBounds(true, top, left, cols, rows))
        return;
    DestroyInplace(true);
    InUndoGroup([&] {
        const int added = Rows->SplitCellsHorizontally(top, left, cols, rows, rowCount);
        Select(top, left, rows + added - 1, cols - 1);
    });
    Changed();
}

TCustomRollViewEdit* TRVTableItemInfo::CreateTemporalEditor()
{
    TRVEditRVData* data = GetInsertedEditData();
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
    const TRVTableTells tells;
    int top, left, cols, rows;
    TRVEditRVData* data = GetInsertedEditData();
    if (data == nullptr || !Options.Contains(rvtoEditing) ||
        !GetNormalizedSelectionBounds(false, top, left, cols, rows) || !BeforeChange())
        return;
    const int itemNo = GetMyItemNo();
    const int token = BeginModify(itemNo);
    State.Exclude(rvtsModified);
    InUndoGroup([&] {
        ApplyToCells(data, mode, value, true);
        // The table is laid out again before the group closes.
        if (State.Contains(rvtsModified))
            EndModify(itemNo, token);
    });
    Change();
}

void TRVTableItemInfo::ApplyToCells(TRVEditRVData* data, int mode, int value, bool selectedOnly)
{
    std::unique_ptr<TCustomRollViewEdit> editor(CreateTemporalEditor());
    if (editor == nullptr)
        return;
    // The conversions of the editor that holds the table decide for the cells.
    const TRVStyleConversionEvent conversion = data->RollViewEdit()->CurStyleConversion;
    TRVUndoMultiCellsModify* record =
        AddTableUndoInfo<TRVUndoMultiCellsModify>(data, GetEditorItemNoForUndo(), true, true);
    if (record != nullptr)
        record->UndoList = std::make_unique<TRVUndoList>(RVUndoOwnerData(data));
    TRVEditRVData* inner = editor->EditRVData();
    bool moved = false;
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c) {
            TRVTableCellData* cell = GetCells(r, c);
            if (cell == nullptr || (selectedOnly && !IsCellSelected(r, c)) || !DoOnCellEditing(r, c, true))
                continue;
            inner->Clear();
            inner->DrainFrom(cell);
            inner->FormatAll();
            const bool applied = ApplyToCell(editor.get(), mode, value, conversion);
            const int groups = inner->UndoList->Count();
            if (applied && groups > 0 && record != nullptr) {
                record->Rows.push_back(r);
                record->Cols.push_back(c);
                record->GroupCounts.push_back(groups);
                RVMoveUndoGroups(*inner->UndoList, *record->UndoList, groups);
            }
            inner->UndoList->Clear();
            cell->DrainFrom(inner);
            cell->ContentChanged();
            moved = true;
        }
    // The cells whose items went out and back lost their layouts, whether the
    // style changed anything or not (or left no undo to tell): the table is
    // laid out again.
    if (moved)
        Changed();
}

void TRVTableItemInfo::ApplyStyleConversion(TCustomRVData* rvData, int userData)
{
    // Only the table of an editor converts: the change is recorded into the
    // group the editor's conversion opened, as one record over every cell.
    // A selection that holds the whole table leaves no cell editor open.
    TRVEditRVData* data = GetInsertedEditData();
    if (data == nullptr || data != rvData || InplaceEditor != nullptr)
        return;
    ApplyToCells(data, 0, userData, false);
}

bool TRVTableItemInfo::CanDeletePartiallySelected() const
{
    auto* self = const_cast<TRVTableItemInfo*>(this);
    int top, left, cols, rows;
    if (!Options.Contains(rvtoEditing) || GetInsertedEditData() == nullptr ||
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
    const TRVTableTells tells;
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
    InUndoGroup([&] {
        std::vector<TRVTableCellData*>* cellList = nullptr;
        TObject* record = Rows->Do_BeforeClearCells(itemNo, rowList, colList, cellList);
        Rows->Do_ClearCells(cellList, rowList, colList, record);
    });
    EndModify(myItemNo, token);
    Change();
}

TCustomRVItemInfo* TRVTableItemInfo::CopyPartiallySelected(TCustomRVData* rvData)
{
    int top, left, cols, rows;
    if (!GetNormalizedSelectionBounds(false, top, left, cols, rows))
        return nullptr;
    // The whole table is copied through its stored form; then only the
    // selected block stays, the lines after it going before those before it.
    TMemoryStream stream;
    SaveToStream(stream);
    stream.SetPosition(0);
    auto copy = std::make_unique<TRVTableItemInfo>(rvData);
    copy->ParaNo = ParaNo;
    copy->LoadFromStream(stream);
    TRVTableRows& grid = *copy->Rows;
    const int colCount = grid.GetColCount();
    if (left + cols < colCount)
        grid.DeleteCols(left + cols, colCount - left - cols, false);
    if (left > 0)
        grid.DeleteCols(0, left, false);
    const int rowCount = grid.Count();
    if (top + rows < rowCount)
        grid.DeleteRows(top + rows, rowCount - top - rows, false);
    if (top > 0)
        grid.DeleteRows(0, top, false);
    copy->Changed();
    return copy.release();
}
