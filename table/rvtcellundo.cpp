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
        if (composite != nullptr && composite->UndoList)
            RVAdoptUndoList(*composite->UndoList, owner);
    }
}

} // namespace

TRVEditRVData* RVUndoOwnerData(TCustomRVData* data)
{
    if (data == nullptr)
        return nullptr;
    if (auto* root = dynamic_cast<TRVEditRVData*>(data->GetAbsoluteRootData()))
        return root;
    return dynamic_cast<TRVEditRVData*>(data);
}

void RVAdoptUndoList(TRVUndoList& list, TRVEditRVData* owner)
{
    list.RVData = owner;
    for (int i = 0; i < list.Count(); ++i)
        AdoptNestedLists(*list.Group(i), owner);
}

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
    if (!UndoList || UndoList->Count() == 0)
        return;
    if (Row < 0 || Row >= table->Rows->Count() || Col < 0 || Col >= table->Rows->Get(Row)->Count() ||
        table->GetCells(Row, Col) == nullptr)
        throw ERollViewError("Undo error");
    // The cell's editor takes the groups back and plays the last one now, as
    // its own undo (redo) would: the document's undo leaves the cell edited
    // and the rest of the cell's groups in its editor, in their order.
    int row = -1;
    int col = -1;
    if (table->GetEditedCell(row, col) == nullptr || row != Row || col != Col)
        table->EditCell_(Row, Col, true);
    TRVTableInplaceEdit* editor = table->GetEditedCell(row, col);
    if (editor == nullptr || row != Row || col != Col)
        throw ERollViewError("Undo error");
    TRVEditRVData* data = editor->EditRVData();
    TRVUndoList& target = IsRedo ? *data->RedoList : *data->UndoList;
    RVMoveUndoGroups(*UndoList, target, UndoList->Count());
    if (data->GetItemCount() > 0) {
        const int item = std::clamp(CaretItemNo, 0, data->GetItemCount() - 1);
        const int offs = std::clamp(CaretOffs, data->GetOffsBeforeItem(item), data->GetOffsAfterItem(item));
        data->SetCaretAtItem(item, offs, false);
    }
    if (IsRedo)
        data->Redo();
    else
        data->Undo();
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
