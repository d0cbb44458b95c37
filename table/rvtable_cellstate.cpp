// The cell's place in its table as a sub-document: its slot, deselection and
// the chosen nested document, what may be cleared, and how cells leave their
// table for an undo record and come back.
#include "document/rvstyle.h"
#include "table/rvtable.h"

namespace {

// Adds a state flag for the duration of a scope, also when an exception passes.
class TStateFlag {
public:
    TStateFlag(TCustomRVData* a, TCustomRVData* b, TRVState flag)
        : FA(a), FB(b != a ? b : nullptr), FFlag(flag)
    {
        FA->State.Include(FFlag);
        if (FB != nullptr)
            FB->State.Include(FFlag);
    }
    ~TStateFlag()
    {
        FA->State.Exclude(FFlag);
        if (FB != nullptr)
            FB->State.Exclude(FFlag);
    }
    TStateFlag(const TStateFlag&) = delete;
    TStateFlag& operator=(const TStateFlag&) = delete;

private:
    TCustomRVData* FA;
    TCustomRVData* FB;
    TRVState FFlag;
};

} // namespace

void TRVTableCellData::GetPosition(int& row, int& col) const
{
    row = -1;
    col = -1;
    TRVTableRow* r = GetRow();
    if (r == nullptr || r->Rows == nullptr)
        return;
    const int rowIndex = r->Rows->IndexOf(r);
    const int colIndex = r->IndexOf(this);
    if (rowIndex >= 0 && colIndex >= 0) {
        row = rowIndex;
        col = colIndex;
    }
}

TCustomRVData* TRVTableCellData::Edit()
{
    if (GetRVData() == this) {
        TRVTableItemInfo* table = GetTable();
        int row = -1, col = -1;
        GetPosition(row, col);
        if (table == nullptr || row < 0)
            throw ERollViewError("Internal error");
        table->EditCell(row, col);
    }
    return GetRVData();
}

TCustomRVFormattedData* TRVTableCellData::EditedData()
{
    // The cell itself unless an editor in place edits it: no cast then.
    TCustomRVData* data = GetRVData();
    return data == this ? this : dynamic_cast<TCustomRVFormattedData*>(data);
}

void TRVTableCellData::Deselect(TCustomRVItemInfo* newPartiallySelected, bool makeEvent)
{
    TRVItemFormattedData::Deselect(newPartiallySelected, makeEvent);
    if (UndoInfo != nullptr || State.Contains(rvstDeselecting))
        return;
    TCustomRVFormattedData* edited = EditedData();
    TStateFlag guard(this, edited != nullptr ? edited : this, rvstDeselecting);
    TRVTableItemInfo* table = GetTable();
    if (newPartiallySelected == nullptr && table != nullptr)
        if (auto* main = dynamic_cast<TCustomRVFormattedData*>(table->GetRVData()))
            main->UnassignChosenRVData(this);
}

void TRVTableCellData::UnassignChosenRVData(TCustomRVData* rvData)
{
    TRVItemFormattedData::UnassignChosenRVData(rvData);
    if (State.Contains(rvstUnAssigningChosen))
        return;
    if (ChosenRVData == nullptr || (ChosenRVData != rvData && ChosenRVData->GetRVData() != rvData))
        return;
    TCustomRVFormattedData* edited = EditedData();
    TStateFlag guard(this, edited != nullptr ? edited : this, rvstUnAssigningChosen);
    if (auto* chosen = dynamic_cast<TCustomRVFormattedData*>(ChosenRVData->GetRVData()))
        chosen->Deselect(nullptr, false);
    ChosenRVData = nullptr;
    if (ChosenItem != nullptr) {
        TCustomRVItemInfo* item = ChosenItem;
        ChosenItem = nullptr;
        item->CleanUpChosen();
    }
}

void TRVTableCellData::GetParentInfo(int& parentItemNo, TRVStoreSubRVData*& location)
{
    parentItemNo = -1;
    location = nullptr;
    TRVTableItemInfo* table = GetTable();
    if (table == nullptr || table->GetRVData() == nullptr)
        return;
    parentItemNo = table->GetRVData()->GetItemNo(table);
    int row = 0;
    int col = 0;
    GetPosition(row, col);
    location = new TRVTableStoreSubRVData(row, col);
}

void TRVTableCellData::ResetSubCoords()
{
    TRVItemFormattedData::ResetSubCoords();
    if (TRVTableItemInfo* table = GetTable())
        table->ResetSubCoords();
}

bool TRVTableCellData::CanClear()
{
    TRVStyle* style = GetRVStyle();
    if (style == nullptr)
        return true;
    for (int i = 0; i < GetItemCount(); ++i) {
        const TCustomRVItemInfo* item = GetItem(i);
        if (item->StyleNo >= 0) {
            if (item->StyleNo < style->TextStyles()->Count() &&
                style->TextStyles()->Items(item->StyleNo)->Protection().Contains(rvprDeleteProtect))
                return false;
        } else if (const auto* nonText = dynamic_cast<const TRVNonTextItemInfo*>(item);
                   nonText != nullptr && nonText->DeleteProtect) {
            return false;
        }
    }
    return true;
}

void TRVTableCellData::MovingToUndoList(TObject* aUndoInfo)
{
    // A cell kept away from its table belongs to no cell selection: it comes
    // back unmarked, and its table marks it as its selection then says.
    State.Exclude(rvstCompletelySelected);
    for (int i = 0; i < GetItemCount(); ++i)
        GetItem(i)->MovingToUndoList(i, this, aUndoInfo);
    UndoInfo = aUndoInfo;
    SetList(nullptr);
}

void TRVTableCellData::MovingFromUndoList()
{
    UndoInfo = nullptr;
    for (int i = 0; i < GetItemCount(); ++i)
        GetItem(i)->MovingFromUndoList(i, this);
}

void TRVTableRows::MovingToUndoList(int row, int col, int colCount, int rowCount, TObject* undoInfo)
{
    for (int r = row; r < row + rowCount && r < Count(); ++r)
        for (int c = col; c < col + colCount && c < Get(r)->Count(); ++c)
            if (TRVTableCellData* cell = Get(r)->Get(c))
                cell->MovingToUndoList(undoInfo);
}

void TRVTableRows::MovingFromUndoList(int row, int col, int colCount, int rowCount)
{
    for (int r = row; r < row + rowCount && r < Count(); ++r)
        for (int c = col; c < col + colCount && c < Get(r)->Count(); ++c)
            if (TRVTableCellData* cell = Get(r)->Get(c)) {
                cell->SetList(Get(r));
                cell->MovingFromUndoList();
            }
}
