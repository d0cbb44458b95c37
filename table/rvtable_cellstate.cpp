// The cell's place in its table as a sub-document: its slot, deselection and
// the chosen nested document, what may be cleared, and how cells leave their
// table for an undo record and come back.
#include "document/rvstyle.h"
#include "table/rvtable.h"

namespace {

// Adds a state flag for the duration of a scope, also when an exception passes.
class TStateFlag {
public:
    TStateFlag(TCustomRVData* A, TCustomRVData* B, TRVState Flag)
        : FA(A), FB(B != A ? B : nullptr), FFlag(Flag)
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

void TRVTableCellData::GetPosition(int& Row, int& Col) const
{
    Row = -1;
    Col = -1;
    TRVTableRow* R = GetRow();
    if (R == nullptr || R->Rows == nullptr)
        return;
    const int r = R->Rows->IndexOf(R);
    const int c = R->IndexOf(this);
    if (r >= 0 && c >= 0) {
        Row = r;
        Col = c;
    }
}

void TRVTableCellData::Deselect(TCustomRVItemInfo* NewPartiallySelected, bool MakeEvent)
{
    TRVItemFormattedData::Deselect(NewPartiallySelected, MakeEvent);
    if (UndoInfo != nullptr || State.Contains(rvstDeselecting))
        return;
    auto* Edited = dynamic_cast<TCustomRVFormattedData*>(GetRVData());
    TStateFlag Guard(this, Edited != nullptr ? Edited : this, rvstDeselecting);
    TRVTableItemInfo* Table = GetTable();
    if (NewPartiallySelected == nullptr && Table != nullptr)
        if (auto* Main = dynamic_cast<TCustomRVFormattedData*>(Table->GetRVData()))
            Main->UnassignChosenRVData(this);
}

void TRVTableCellData::UnassignChosenRVData(TCustomRVData* RVData)
{
    TRVItemFormattedData::UnassignChosenRVData(RVData);
    if (State.Contains(rvstUnAssigningChosen))
        return;
    auto* Edited = dynamic_cast<TCustomRVFormattedData*>(GetRVData());
    TStateFlag Guard(this, Edited != nullptr ? Edited : this, rvstUnAssigningChosen);
    if (ChosenRVData == nullptr || (ChosenRVData != RVData && ChosenRVData->GetRVData() != RVData))
        return;
    if (auto* Chosen = dynamic_cast<TCustomRVFormattedData*>(ChosenRVData->GetRVData()))
        Chosen->Deselect(nullptr, false);
    ChosenRVData = nullptr;
    if (ChosenItem != nullptr) {
        TCustomRVItemInfo* Item = ChosenItem;
        ChosenItem = nullptr;
        Item->CleanUpChosen();
    }
}

void TRVTableCellData::GetParentInfo(int& ParentItemNo, TRVStoreSubRVData*& Location)
{
    ParentItemNo = -1;
    Location = nullptr;
    TRVTableItemInfo* Table = GetTable();
    if (Table == nullptr || Table->GetRVData() == nullptr)
        return;
    ParentItemNo = Table->GetRVData()->GetItemNo(Table);
    int Row = 0;
    int Col = 0;
    GetPosition(Row, Col);
    Location = new TRVTableStoreSubRVData(Row, Col);
}

void TRVTableCellData::ResetSubCoords()
{
    TRVItemFormattedData::ResetSubCoords();
    if (TRVTableItemInfo* Table = GetTable())
        Table->ResetSubCoords();
}

bool TRVTableCellData::CanClear()
{
    TRVStyle* Style = GetRVStyle();
    if (Style == nullptr)
        return true;
    for (int i = 0; i < GetItemCount(); ++i) {
        const TCustomRVItemInfo* Item = GetItem(i);
        if (Item->StyleNo >= 0) {
            if (Item->StyleNo < Style->TextStyles()->Count() &&
                Style->TextStyles()->Items(Item->StyleNo)->Protection().Contains(rvprDeleteProtect))
                return false;
        } else if (const auto* NonText = dynamic_cast<const TRVNonTextItemInfo*>(Item);
                   NonText != nullptr && NonText->DeleteProtect) {
            return false;
        }
    }
    return true;
}

void TRVTableCellData::MovingToUndoList(TObject* AUndoInfo)
{
    for (int i = 0; i < GetItemCount(); ++i)
        GetItem(i)->MovingToUndoList(i, this, AUndoInfo);
    UndoInfo = AUndoInfo;
    List = nullptr;
}

void TRVTableCellData::MovingFromUndoList()
{
    UndoInfo = nullptr;
    for (int i = 0; i < GetItemCount(); ++i)
        GetItem(i)->MovingFromUndoList(i, this);
}

void TRVTableRows::MovingToUndoList(int Row, int Col, int ColCount, int RowCount, TObject* UndoInfo)
{
    for (int r = Row; r < Row + RowCount && r < Count(); ++r)
        for (int c = Col; c < Col + ColCount && c < Get(r)->Count(); ++c)
            if (TRVTableCellData* Cell = Get(r)->Get(c))
                Cell->MovingToUndoList(UndoInfo);
}

void TRVTableRows::MovingFromUndoList(int Row, int Col, int ColCount, int RowCount)
{
    for (int r = Row; r < Row + RowCount && r < Count(); ++r)
        for (int c = Col; c < Col + ColCount && c < Get(r)->Count(); ++c)
            if (TRVTableCellData* Cell = Get(r)->Get(c)) {
                Cell->List = Get(r);
                Cell->MovingFromUndoList();
            }
}
