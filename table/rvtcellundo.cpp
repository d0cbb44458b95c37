// The composite undo records of tables (rvtcellundo.h).
#include "table/rvtcellundo.h"

#include <algorithm>

#include "table/rvtinplace.h"

namespace {

// The lists of the composite records in Group, and of those nested in them,
// dispose of what they keep through Owner from now on.
void AdoptNestedLists(TRVUndoInfos& group, TRVEditRVData* owner)
{
    for (const std::unique_ptr<TRVUndoInfo>& record : group.Records) {
        auto* composite = dynamic_cast<TRVCompositeUndo*>(record.get());
        if (composite == nullptr || !composite->UndoList)
            continue;
        composite->UndoList->RVData = owner;
        for (int i = 0; i < composite->UndoList->Count(); ++i)
            AdoptNestedLists(*composite->UndoList->Group(i), owner);
    }
}

} // namespace

void RVMoveUndoGroups(TRVUndoList& from, TRVUndoList& to, int count)
{
    for (int i = 0; i < count && from.Count() > 0; ++i) {
        std::unique_ptr<TRVUndoInfos> group = from.TakeGroup(0);
        AdoptNestedLists(*group, to.RVData);
        to.AddInfos(std::move(group));
    }
}

// ---------------------------------------------------------------------------
// One cell's editing

void TRVUndoCellModify::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    (void)table;
    TCustomRollViewEdit* holder = rvData->RollViewEdit();
    if (!UndoList || UndoList->Count() == 0 || holder == nullptr)
        return;
    // The groups leave the record now (its group is freed when this returns);
    // the cell editor takes them and plays the last one once the holder's own
    // undo has finished laying out and placing its caret, which would close
    // an editor opened here. Meanwhile the holder takes no edits.
    std::shared_ptr<TRVUndoList> groups(UndoList.release());
    groups->RVData = rvData;
    const bool wasReadOnly = holder->GetReadOnly();
    holder->SetReadOnly(true);
    const int itemNo = ItemNo;
    const int row = Row;
    const int col = Col;
    const int caretItemNo = CaretItemNo;
    const int caretOffs = CaretOffs;
    const bool isRedo = IsRedo;
    UndoList = std::make_unique<TRVUndoList>(nullptr);
    holder->Defer([rvData, holder, groups, wasReadOnly, itemNo, row, col, caretItemNo, caretOffs, isRedo] {
        holder->SetReadOnly(wasReadOnly);
        if (itemNo < 0 || itemNo >= rvData->GetItemCount())
            return;
        auto* tbl = dynamic_cast<TRVTableItemInfo*>(rvData->GetItem(itemNo));
        if (tbl == nullptr || row >= tbl->Rows->Count() || col >= tbl->Rows->Get(row)->Count() ||
            tbl->GetCells(row, col) == nullptr)
            return;
        int editedRow, editedCol;
        if (tbl->GetEditedCell(editedRow, editedCol) == nullptr || editedRow != row || editedCol != col)
            tbl->EditCell_(row, col, true);
        TRVTableInplaceEdit* editor = tbl->GetEditedCell(editedRow, editedCol);
        if (editor == nullptr || editedRow != row || editedCol != col)
            return;
        TRVEditRVData* data = editor->EditRVData();
        TRVUndoList& target = isRedo ? *data->RedoList : *data->UndoList;
        RVMoveUndoGroups(*groups, target, groups->Count());
        if (data->GetItemCount() > 0) {
            const int item = std::clamp(caretItemNo, 0, data->GetItemCount() - 1);
            const int offs =
                std::clamp(caretOffs, data->GetOffsBeforeItem(item), data->GetOffsAfterItem(item));
            data->SetCaretAtItem(item, offs, false);
        }
        if (isRedo)
            editor->Redo();
        else
            editor->Undo();
    });
}

// ---------------------------------------------------------------------------
// Several cells

void TRVUndoMultiCellsModify::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    auto* opposite = AddTableUndoInfo<TRVUndoMultiCellsModify>(rvData, ItemNo, true, true);
    if (opposite != nullptr) {
        opposite->IsRedo = !IsRedo;
        opposite->UndoList = std::make_unique<TRVUndoList>(GetUndoListOwnerRVData());
    }
    std::unique_ptr<TCustomRollViewEdit> editor(table->CreateTemporalEditor());
    if (!editor)
        throw ERollViewError("Undo error");
    TRVEditRVData* data = editor->EditRVData();
    while (!Rows.empty() && UndoList && UndoList->Count() > 0) {
        const int row = Rows.front();
        const int col = Cols.front();
        const int count = GroupCounts.front();
        Rows.erase(Rows.begin());
        Cols.erase(Cols.begin());
        GroupCounts.erase(GroupCounts.begin());
        TRVTableCellData* cell = row < table->Rows->Count() && col < table->Rows->Get(row)->Count()
                                     ? table->GetCells(row, col)
                                     : nullptr;
        if (cell == nullptr)
            throw ERollViewError("Undo error");
        data->Clear();
        data->DrainFrom(cell);
        data->FormatAll();
        RVMoveUndoGroups(*UndoList, *data->UndoList, count);
        try {
            for (int i = 0; i < count && data->UndoList->Count() > 0; ++i)
                data->Undo();
        } catch (...) {
            cell->DrainFrom(data);
            cell->ContentChanged();
            throw;
        }
        if (opposite != nullptr) {
            const int made = data->RedoList->Count();
            opposite->Rows.push_back(row);
            opposite->Cols.push_back(col);
            opposite->GroupCounts.push_back(made);
            RVMoveUndoGroups(*data->RedoList, *opposite->UndoList, made);
        }
        cell->DrainFrom(data);
        cell->ContentChanged();
    }
    table->Changed();
}
