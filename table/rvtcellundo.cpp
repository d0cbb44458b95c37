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
// Playing groups in a cell without its editor

void RVPlayCellGroups(TRVTableItemInfo* table, TCustomRollViewEdit* editor, int row, int col,
                      TRVUndoList& list, int count, bool redo, TRVUndoList* opposite, int changedItemNo)
{
    TRVTableCellData* cell =
        row >= 0 && row < table->Rows->Count() && col >= 0 && col < table->Rows->Get(row)->Count()
            ? table->GetCells(row, col)
            : nullptr;
    if (cell == nullptr)
        throw ERollViewError("Undo error");
    TRVEditRVData* data = editor->EditRVData();
    data->Clear();
    if (changedItemNo >= 0)
        cell->LendItems(data, changedItemNo);
    else
        data->DrainFrom(cell);
    data->FormatAll();
    TRVUndoList& played = redo ? *data->RedoList : *data->UndoList;
    TRVUndoList& made = redo ? *data->UndoList : *data->RedoList;
    RVMoveUndoGroups(list, played, count);
    try {
        for (int i = 0; i < count && played.Count() > 0; ++i)
            redo ? data->Redo() : data->Undo();
    } catch (...) {
        cell->DrainFrom(data);
        cell->ContentChanged();
        throw;
    }
    if (opposite != nullptr)
        RVMoveUndoGroups(made, *opposite, made.Count());
    if (changedItemNo >= 0) {
        cell->TakeItemsBack(data);
    } else {
        // Any item may have changed: a layout kept from before goes.
        cell->DrainFrom(data);
        cell->ContentChanged();
    }
}

// ---------------------------------------------------------------------------
// One cell's editing

bool TRVUndoCellModify::AloneInGroup() const
{
    const TRVUndoInfos* group = List != nullptr ? List->Last() : nullptr;
    return group == nullptr || group->Records.size() == 1;
}

bool TRVUndoCellModify::RequiresFullReformat1(TRVEditRVData* rvData)
{
    if (!RequiresFormat() || ItemNo < 0 || ItemNo >= rvData->GetItemCount())
        return false;
    OldWidth = rvData->CalculateMinItemWidthPlusEx(ItemNo);
    return rvData->DocumentMinWidth <= OldWidth;
}

bool TRVUndoCellModify::RequiresFullReformat2(TRVEditRVData* rvData)
{
    if (!RequiresFormat() || ItemNo < 0 || ItemNo >= rvData->GetItemCount())
        return false;
    const int now = rvData->CalculateMinItemWidthPlusEx(ItemNo);
    return now != OldWidth && now > rvData->DocumentMinWidth;
}

bool TRVUndoCellModify::PlaysHidden(TRVEditRVData* rvData) const
{
    // In a temporary editor (tied to no cell), playing the groups of an
    // outer cell whole, the record is played whole with them. The step of an
    // operation made with no editor on the cell finds none there either: the
    // document's undo closes its cell editors before it plays.
    auto* temporary = dynamic_cast<TRVTableInplaceRVData*>(rvData);
    return !AloneInGroup() || Hidden || (temporary != nullptr && temporary->EditedCell() == nullptr);
}

void TRVUndoCellModify::Undo(TRVEditRVData* rvData)
{
    if (!UndoList || UndoList->Count() == 0)
        return;
    if (PlaysHidden(rvData)) {
        // The whole group is one step: the cell's groups are played here, all
        // of them, and the opposite record keeps what they made.
        TRVTableItemInfo* table = Table(rvData);
        auto* opposite = AddTableUndoInfo<TRVUndoCellModify>(rvData, ItemNo, false, false);
        if (opposite != nullptr) {
            opposite->IsRedo = !IsRedo;
            opposite->Row = Row;
            opposite->Col = Col;
            opposite->CaretItemNo = CaretItemNo;
            opposite->CaretOffs = CaretOffs;
            opposite->Hidden = Hidden;
            opposite->UndoList = std::make_unique<TRVUndoList>(GetUndoListOwnerRVData());
        }
        std::unique_ptr<TCustomRollViewEdit> editor(table->CreateTemporalEditor());
        if (!editor)
            throw ERollViewError("Undo error");
        // The groups of an operation on a table in the cell change that table alone.
        RVPlayCellGroups(table, editor.get(), Row, Col, *UndoList, UndoList->Count(), IsRedo,
                         opposite != nullptr ? opposite->UndoList.get() : nullptr, Hidden ? CaretItemNo : -1);
        table->Changed();
        return;
    }
    TRVTableItemInfo* table = RVUndoTable(rvData, ItemNo);
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
    while (!Rows.empty() && UndoList && UndoList->Count() > 0) {
        const int row = Rows.front();
        const int col = Cols.front();
        const int count = GroupCounts.front();
        Rows.erase(Rows.begin());
        Cols.erase(Cols.begin());
        GroupCounts.erase(GroupCounts.begin());
        const int before = opposite != nullptr ? opposite->UndoList->Count() : 0;
        RVPlayCellGroups(table, editor.get(), row, col, *UndoList, count, IsRedo,
                         opposite != nullptr ? opposite->UndoList.get() : nullptr);
        if (opposite != nullptr) {
            opposite->Rows.push_back(row);
            opposite->Cols.push_back(col);
            opposite->GroupCounts.push_back(opposite->UndoList->Count() - before);
        }
    }
    table->Changed();
}

// ---------------------------------------------------------------------------
// Operations on a table in a cell no editor edits

TRVTemporalCellEdit::TRVTemporalCellEdit(TRVTableItemInfo* table)
{
    auto* cell = dynamic_cast<TRVTableCellData*>(table->GetRVData());
    TRVTableItemInfo* holder = cell != nullptr ? cell->GetTable() : nullptr;
    if (holder == nullptr || !table->State.Contains(rvtsInserted) || !holder->State.Contains(rvtsInserted))
        return;
    if (holder->GetInsertedEditData() == nullptr)
        FOuter = std::make_unique<TRVTemporalCellEdit>(holder);
    if (!holder->UndoEnabled() ||
        !(FEditor = std::unique_ptr<TCustomRollViewEdit>(holder->CreateTemporalEditor()))) {
        FOuter.reset();
        return;
    }
    FHolder = holder;
    FCell = cell;
    FItemNo = std::max(table->GetMyItemNo(), 0);
    TRVEditRVData* data = FEditor->EditRVData();
    cell->LendItems(data, FItemNo);
    // Whatever the operation records is one step.
    data->BeginUndoSequence(rvutModifyItem, false);
    data->SetUndoGroupMode(true);
}

TRVTemporalCellEdit::~TRVTemporalCellEdit()
{
    if (!FEditor)
        return;
    TRVEditRVData* data = FEditor->EditRVData();
    data->SetUndoGroupMode(false);
    data->UndoList->PopIfEmpty();
    // The groups go before the items, which take the editor's lists with them.
    TRVEditRVData* outer = FHolder->GetInsertedEditData();
    std::unique_ptr<TRVUndoCellModify> record;
    if (data->UndoList->Count() > 0 && outer != nullptr) {
        record = std::make_unique<TRVUndoCellModify>();
        FCell->GetPosition(record->Row, record->Col);
        record->CaretItemNo = FItemNo;
        record->CaretOffs = 1;
        record->Hidden = true;
        record->UndoList = std::make_unique<TRVUndoList>(RVUndoOwnerData(outer));
        RVMoveUndoGroups(*data->UndoList, *record->UndoList, data->UndoList->Count());
    }
    FCell->TakeItemsBack(data);
    if (record) {
        // After the edits of a cell editor open in the cell's table, which
        // starting the step hands over.
        outer->BeginUndoSequence(rvutModifyItem, true);
        if (TRVUndoList* list = outer->NoteEditAndGetUndoList())
            AddModifyItemPropsRecord(list, std::move(record), FHolder->GetMyItemNo(), false, false);
    }
    FHolder->Changed();
}
