// The table in an editor: the queries that decide whether changes are
// recorded, the undo group of table commands, and the property setters by
// name that record each change as an undoable step.
#include <algorithm>
#include <exception>
#include <memory>
#include <utility>

#include "document/rvstyle.h"
#include "edit/rvervdata.h"
#include "platform/controls/freelater.h"
#include "platform/core/typinfo.h"
#include "table/rvtable.h"
#include "table/rvtable_undo.h"
#include "table/rvtcellundo.h"

namespace {

// Clears the "inserted" state for the lifetime of the guard, so that a setter
// reached by name stores its field, and restores it however the scope ends.
class TInsertedPause {
public:
    explicit TInsertedPause(TRVTableItemInfo* table)
        : FTable(table), FWasInserted(table->State.Contains(rvtsInserted))
    {
        FTable->State.Exclude(rvtsInserted);
    }
    ~TInsertedPause()
    {
        if (FWasInserted)
            FTable->State.Include(rvtsInserted);
    }
    TInsertedPause(const TInsertedPause&) = delete;
    TInsertedPause& operator=(const TInsertedPause&) = delete;

private:
    TRVTableItemInfo* FTable;
    bool FWasInserted;
};

// The editor's document that records the changes of Table: the one it lies
// in, else, for a table in a cell no editor edits, the one that records the
// changes of the cell's table; null where nothing records them.
TRVEditRVData* RecordingData(const TRVTableItemInfo* table)
{
    if (!table->State.Contains(rvtsInserted))
        return nullptr;
    if (TRVEditRVData* data = table->GetEditData())
        return data;
    auto* cell = dynamic_cast<TRVTableCellData*>(table->GetRVData());
    return cell != nullptr && cell->GetTable() != nullptr ? RecordingData(cell->GetTable()) : nullptr;
}

// Sets an integer property of Object (the table or one of its cells) by
// name. In an editor a changed value is one rvutModifyItem group with a
// record made by RecordClass, and in a cell no editor edits as in an editor
// (the cell's items keep their order there, so ItemNo holds); an equal value
// changes and records nothing, and puts no cell's items into an editor.
void ModifyIntProperty(TRVTableItemInfo* table, int itemNo, TPersistent* object, const AnsiString& propName,
                       int64_t value, bool affectSize, bool affectWidth,
                       const TRVIntPropertyRecordClass& recordClass)
{
    const TPropInfo& prop = FindPropInfo(object, propName);
    if (GetOrdProp(object, prop) == value)
        return;
    const TRVTableOperation running(table);
    if (TRVEditRVData* data = table->GetInsertedEditData()) {
        data->BeginUndoSequence(rvutModifyItem, true);
        data->Do_ModifyItemIntProperty(itemNo, object == table ? nullptr : object, propName, value,
                                       affectSize, affectWidth, recordClass);
        data->Invalidate();
    } else {
        TInsertedPause pause(table);
        SetOrdProp(object, prop, value);
    }
    table->Changed();
}

} // namespace

TRVEditRVData* TRVTableItemInfo::GetEditData() const
{
    return dynamic_cast<TRVEditRVData*>(GetRVData());
}

bool TRVTableItemInfo::IsInEditor() const
{
    return GetEditData() != nullptr;
}

bool TRVTableItemInfo::UndoEnabled() const
{
    TRVEditRVData* data = GetInsertedEditData();
    return data != nullptr && data->UndoList->Limit != 0;
}

int TRVTableItemInfo::GetMyItemNo() const
{
    TCustomRVData* data = GetRVData();
    if (data == nullptr)
        return -1;
    if (FMyItemNo >= 0 && FMyItemNo < data->GetItemCount() && data->GetItem(FMyItemNo) == this)
        return FMyItemNo;
    FMyItemNo = -1;
    for (int i = 0; i < data->GetItemCount(); ++i)
        if (data->GetItem(i) == this) {
            FMyItemNo = i;
            break;
        }
    return FMyItemNo;
}

int TRVTableItemInfo::GetEditorItemNoForUndo() const
{
    return State.Contains(rvtsInserted) && IsInEditor() && UndoEnabled() ? GetMyItemNo() : -1;
}

void TRVTableItemInfo::InitUndo()
{
    TRVEditRVData* data = RecordingData(this);
    TRVEditRVData* outermost = data != nullptr ? RVUndoOwnerData(data) : nullptr;
    // DoneUndo closes the group where it opened, whatever became of the
    // table and of the cell editors meanwhile.
    FProgramGroups.push_back(outermost);
    if (outermost != nullptr) {
        outermost->BeginUndoSequence(rvutModifyItem, true);
        outermost->SetUndoGroupMode(true);
    }
}

void TRVTableItemInfo::DoneUndo()
{
    if (FProgramGroups.empty())
        return;
    TRVEditRVData* outermost = FProgramGroups.back();
    FProgramGroups.pop_back();
    if (outermost != nullptr) {
        outermost->SetUndoGroupMode(false);
        // A group that recorded nothing leaves no step.
        outermost->UndoList->PopIfEmpty();
    }
    // Deleted with nothing to keep it while the group was open.
    if (FProgramGroups.empty() && FFreeOnRelease)
        FreeLater([this] { delete this; });
}

TRVTableStep::TRVTableStep(const TRVTableItemInfo* table) : FData(RecordingData(table))
{
    if (FData != nullptr) {
        FData->BeginUndoSequence(rvutModifyItem, true);
        FData->SetUndoGroupMode(true);
    }
}

TRVTableStep::~TRVTableStep()
{
    if (FData != nullptr) {
        FData->SetUndoGroupMode(false);
        FData->UndoList->PopIfEmpty();
    }
}

void TRVTableTells::TellEndEdit(TRVTableItemInfo* table, int row, int col, bool clearing)
{
    // Told later, the table waits for its freeing while the tells run
    // (FHold), whatever a handler does with it.
    TRVEndEditsHeld::Tell([table, row, col, clearing] {
        if (table->OnCellEndEdit)
            table->OnCellEndEdit(table, row, col, clearing);
    });
}

void TRVTableItemInfo::SetProperty(const AnsiString& propName, int64_t value, bool affectSize,
                                   bool affectWidth)
{
    const TRVTableTells tells;
    ModifyIntProperty(this, GetMyItemNo(), this, propName, value, affectSize, affectWidth, nullptr);
}

void TRVTableItemInfo::SetStrProperty(const AnsiString& propName, const AnsiString& value)
{
    const TRVTableTells tells;
    const AnsiString old = GetStrProp(this, propName);
    if (old == value)
        return;
    const TRVTableOperation running(this);
    // The group opens while the table still counts as inserted: a cell
    // editor open in it hands over its edits before this step.
    if (TRVEditRVData* data = GetInsertedEditData()) {
        data->BeginUndoSequence(rvutModifyItem, true);
        if (auto* record = AddTableUndoInfo<TRVUndoTableStrProperty>(data, GetMyItemNo(), false, false)) {
            record->PropertyName = propName;
            record->Value = old;
        }
        data->Invalidate();
    }
    {
        TInsertedPause pause(this);
        SetStrProp(this, propName, value);
    }
    Changed();
}

void TRVTableItemInfo::SetCellProperty(int itemNo, const AnsiString& propName, int64_t value, int row,
                                       int col, bool affectSize, bool affectWidth)
{
    const TRVTableTells tells;
    ModifyIntProperty(this, itemNo == -1 ? GetMyItemNo() : itemNo, GetCells(row, col), propName, value,
                      affectSize, affectWidth, [row, col] {
                          auto record = std::make_unique<TRVUndoModifyCellIntProperty>();
                          record->Row = row;
                          record->Col = col;
                          return record;
                      });
}

void TRVTableItemInfo::SetCellBestWidth_(int itemNo, TRVHTMLLength value, int row, int col)
{
    SetCellProperty(itemNo, "BestWidth", value, row, col, true, true);
}

void TRVTableItemInfo::SetCellBestHeight_(int itemNo, int value, int row, int col)
{
    SetCellProperty(itemNo, "BestHeight", value, row, col, true, false);
}

void TRVTableItemInfo::SetCellColor_(int itemNo, TColor value, int row, int col)
{
    SetCellProperty(itemNo, "Color", value, row, col, false, false);
}

void TRVTableItemInfo::SetCellVAlign_(int itemNo, TRVCellVAlign value, int row, int col)
{
    SetCellProperty(itemNo, "VAlign", value, row, col, true, false);
}

void TRVTableItemInfo::SetCellBorderColor_(int itemNo, TColor value, int row, int col)
{
    SetCellProperty(itemNo, "BorderColor", value, row, col, false, false);
}

void TRVTableItemInfo::SetCellBorderLightColor_(int itemNo, TColor value, int row, int col)
{
    SetCellProperty(itemNo, "BorderLightColor", value, row, col, false, false);
}

void TRVTableItemInfo::SetCellBackgroundStyle_(int itemNo, TRVItemBackgroundStyle value, int row, int col)
{
    SetCellProperty(itemNo, "BackgroundStyle", value, row, col, false, false);
}

bool TRVTableItemInfo::SetCellVisibleBorders_(int itemNo, bool left, bool top, bool right, bool bottom,
                                              int row, int col)
{
    const TRVTableTells tells;
    TRVBooleanRect* borders = GetCells(row, col)->VisibleBorders;
    if (borders->Left() == left && borders->Top() == top && borders->Right() == right &&
        borders->Bottom() == bottom)
        return true;
    const TRVTableOperation running(this);
    if (TRVEditRVData* data = GetInsertedEditData()) {
        data->BeginUndoSequence(rvutModifyItem, true);
        if (auto* r = AddTableUndoInfo<TRVUndoModifyCellVisibleBorders>(
                data, itemNo == -1 ? GetMyItemNo() : itemNo, false, false)) {
            r->Row = row;
            r->Col = col;
            r->Left = borders->Left();
            r->Top = borders->Top();
            r->Right = borders->Right();
            r->Bottom = borders->Bottom();
        }
    }
    borders->SetValues(left, top, right, bottom);
    Changed();
    return false;
}

void TRVTableItemInfo::RecordBackgroundImage(int row, int col)
{
    TRVEditRVData* data = GetInsertedEditData();
    if (data == nullptr)
        return;
    data->BeginUndoSequence(rvutModifyItem, true);
    if (auto* record = AddTableUndoInfo<TRVUndoModifyBackgroundImage>(data, GetMyItemNo(), false, false)) {
        record->Row = row;
        record->Col = col;
        record->Kept = KeepBackgroundImage(row < 0 || col < 0 ? GetBackgroundImage()
                                                              : GetCells(row, col)->GetBackgroundImage());
    }
}

void TRVTableItemInfo::SetCellBackgroundImage(TGraphic* graphic, int row, int col)
{
    const TRVTableTells tells;
    TRVTableCellData* cell = GetCells(row, col);
    if (graphic == cell->GetBackgroundImage() ||
        (graphic == nullptr && cell->GetBackgroundImage() == nullptr))
        return;
    const TRVTableOperation running(this);
    RecordBackgroundImage(row, col);
    cell->SetBackgroundImage_(graphic, true);
    Changed();
}

void TRVTableItemInfo::SetRowVAlign_(int itemNo, TRVCellVAlign value, int row)
{
    const TRVTableTells tells;
    TRVTableRow* r = Rows->Get(row);
    if (r->VAlign == value)
        return;
    const TRVTableOperation running(this);
    if (TRVEditRVData* data = GetInsertedEditData()) {
        data->BeginUndoSequence(rvutModifyItem, true);
        if (auto* record = AddTableUndoInfo<TRVUndoRowVAlign>(data, itemNo == -1 ? GetMyItemNo() : itemNo,
                                                              true, false)) {
            record->Row = row;
            record->VAlign = r->VAlign;
        }
    }
    r->VAlign = value;
}

void TRVTableItemInfo::AssignCellAttributes(int itemNo, int row, int col, const TRVTableCellData* source,
                                            bool includeSize, int divColSpan, int divRowSpan)
{
    const TRVTableTells tells;
    TRVTableCellData* cell = GetCells(row, col);
    // The borders, the picture and the other attributes are one step.
    InUndoGroup([&] {
        if (!State.Contains(rvtsInserted) || !IsInEditor()) {
            cell->AssignAttributesFrom(source, includeSize, divColSpan, divRowSpan);
            return;
        }
        if (itemNo == -1)
            itemNo = GetMyItemNo();
        const TRVBooleanRect* b = source->VisibleBorders;
        SetCellVisibleBorders_(itemNo, b->Left(), b->Top(), b->Right(), b->Bottom(), row, col);
        SetCellBackgroundImage(source->GetBackgroundImage(), row, col);
        TRVIntPropertyList props = {{"Color", source->Color},
                                    {"BorderColor", source->BorderColor},
                                    {"BorderLightColor", source->BorderLightColor},
                                    {"VAlign", source->VAlign},
                                    {"BackgroundStyle", source->GetBackgroundStyle()}};
        if (includeSize) {
            props.emplace_back("BestWidth",
                               divColSpan != 0 ? source->BestWidth / divColSpan : source->BestWidth);
            props.emplace_back("BestHeight",
                               divRowSpan != 0 ? source->BestHeight / divRowSpan : source->BestHeight);
        }
        TRVEditRVData* data = GetEditData();
        TInsertedPause pause(this);
        data->BeginUndoSequence(rvutModifyItem, true);
        data->Do_ModifyItemIntProperties(itemNo, cell, props, includeSize, includeSize, [row, col] {
            auto record = std::make_unique<TRVUndoModifyCellIntProperties>();
            record->Row = row;
            record->Col = col;
            return record;
        });
    });
    Changed();
}

namespace {

// Deletes the table item ItemNo from the editor's document as undoable steps;
// the document keeps at least an empty line and the caret stands where the
// table was.
void DeleteTableItem(TRVEditRVData* data, int itemNo)
{
    bool full = false;
    const bool wasOnly = data->GetItemCount() == 1;
    if (wasOnly)
        data->InsEmptyString(1, TRVTag(), data->GetItemPara(0), 0, false, false);
    data->Do_DeleteItem(itemNo, full);
    data->SettleAfterRemoval(itemNo, full);
    data->FormatAll();
    const int caretItem = std::min(itemNo, data->GetItemCount() - 1);
    data->SetCaretAtItem(caretItem, data->GetOffsBeforeItem(caretItem), false);
}

} // namespace

void TRVTableItemInfo::DeleteRows(int index, int count, bool decreaseHeight)
{
    const TRVTableTells tells;
    if (Rows->Count() == 0)
        return;
    DeleteLines(true, index, count, [&] { Rows->DeleteRows(index, count, decreaseHeight); });
}

void TRVTableItemInfo::DeleteCols(int index, int count, bool decreaseWidth)
{
    const TRVTableTells tells;
    if (Rows->Count() == 0 || Rows->GetColCount() == 0)
        return;
    DeleteLines(false, index, count, [&] { Rows->DeleteCols(index, count, decreaseWidth); });
}

// Deletes count of the table's rows (or columns) from index through
// deleteLines, as one undo group. The cell editor closes first and comes back
// on the cell it was on (or where the lines went). Deleting them all in an
// editor deletes the table itself; nothing of the table is touched after that
// (an editor without undo has freed it). Elsewhere the table is left empty.
void TRVTableItemInfo::DeleteLines(bool rows, int index, int count, const std::function<void()>& deleteLines)
{
    int editedRow, editedCol;
    const bool edited = GetEditedCell(editedRow, editedCol) != nullptr;
    int& editedLine = rows ? editedRow : editedCol;
    if (edited && editedLine >= index + count)
        editedLine -= count;
    DestroyInplace(true);
    Deselect();
    const int lines = rows ? Rows->Count() : Rows->GetColCount();
    if (index < 0 || index >= lines || count < 1 || (index == 0 && count > lines))
        throw ERollViewError("Invalid row or column index");
    // In a cell no editor edits as in an editor: deleting every line deletes the table there too.
    const TRVTableOperation running(this);
    if (index == 0 && count == lines) {
        if (TRVEditRVData* data = GetInsertedEditData()) {
            data->BeginUndoSequence(rvutDelete, true);
            DeleteTableItem(data, GetMyItemNo());
            return;
        }
    }
    InUndoGroup(deleteLines);
    Changed();
    if (Rows->Count() == 0 || Rows->GetColCount() == 0 || GetRVData() == nullptr || GetMyItemNo() < 0 ||
        !Options.Contains(rvtoEditing))
        return;
    const int row = std::min(edited ? editedRow : rows ? index : 0, Rows->Count() - 1);
    const int col = std::min(edited ? editedCol : rows ? 0 : index, Rows->Get(row)->Count() - 1);
    CreateInplace(-1, row, col, false, true, false, false, true);
}

namespace {

// The background colour of the table's paragraph; clNone outside a laid-out document.
TColor ParaBackColor(const TRVTableItemInfo* table)
{
    auto* doc = dynamic_cast<TCustomRVFormattedData*>(table->GetRVData());
    TRVStyle* style = doc != nullptr ? doc->GetRVStyle() : nullptr;
    if (style == nullptr || table->ParaNo < 0 || table->ParaNo >= style->ParaStyles()->Count())
        return clNone;
    return style->ParaStyles()->Items(table->ParaNo)->Background()->Color();
}

} // namespace

TColor TRVTableItemInfo::GetTableColor(bool useDocColor) const
{
    if (Color != clNone)
        return Color;
    auto* doc = dynamic_cast<TCustomRVFormattedData*>(GetRVData());
    if (doc == nullptr)
        return clNone;
    const TColor para = ParaBackColor(this);
    if (para != clNone || !useDocColor)
        return para;
    return doc->GetColor();
}

bool TRVTableItemInfo::CanSeeBackgroundThroughCell(const TRVTableCellData* cell) const
{
    return cell->Color == clNone && Color == clNone && ParaBackColor(this) == clNone;
}
