// Moving between cells: the cell reached in a direction, editing a cell
// (nested tables first edit their own cell in the outer table), where the
// caret enters a table, the keyboard focus walking through the cells' items,
// and the chosen (active) cell of the document.
#include "platform/controls/dialogs.h"
#include "table/rvtable.h"
#include "table/rvtinplace.h"

bool TRVTableItemInfo::GetCellTo(int row, int col, TRVCellDirection dir, int& newRow, int& newCol,
                                 bool quiet) const
{
    newRow = -1;
    newCol = -1;
    const int rowCount = Rows->Count();
    if (row < 0 || row >= rowCount || col < 0 || col >= Rows->Get(row)->Count() ||
        GetCells(row, col) == nullptr)
        return false;
    const TRVTableCellData* cell = GetCells(row, col);
    auto mainOf = [&](int r, int c) {
        int mr, mc;
        if (Rows->GetMainCell(r, c, mr, mc) == nullptr)
            return false;
        newRow = mr;
        newCol = mc;
        return true;
    };
    switch (dir) {
    case rvcdLeft:
        if (col >= 1)
            return mainOf(row, col - 1);
        return row > 0 && GetCellTo(row, col, rvcdPrev, newRow, newCol, true);
    case rvcdUp:
        return row > 0 && mainOf(row - 1, col);
    case rvcdRight: {
        const bool lastCol = col + cell->ColSpan >= Rows->Get(row)->Count();
        if (lastCol && row + cell->RowSpan >= rowCount)
            return false;
        if (lastCol)
            return GetCellTo(row, col, rvcdNext, newRow, newCol, true);
        return mainOf(row, col + cell->ColSpan);
    }
    case rvcdDown:
        return row + cell->RowSpan < rowCount && mainOf(row + cell->RowSpan, col);
    case rvcdNext:
    case rvcdPrev: {
        int r = row, c = col;
        if (NextCellSlot(r, c, dir == rvcdNext)) {
            newRow = r;
            newCol = c;
            return true;
        }
        break;
    }
    default:
        return false;
    }
    if (!quiet)
        MessageBeep(0);
    return false;
}

void TRVTableItemInfo::EditCell_(int row, int col, bool skipQuery)
{
    // A program without a message loop keeps at most the editors closed
    // since it last opened one: those are freed here, before any hold.
    TRVTableInplaceEdit::FreeClosed();
    // The program hears of the editors that open and close once the cell is
    // open: a handler that deletes the row holding this table runs after
    // this table's code.
    const TRVTableTells tells;
    if (auto* outerCell = dynamic_cast<TRVTableCellData*>(GetRVData())) {
        TRVTableItemInfo* outer = outerCell->GetTable();
        int outerRow = -1, outerCol = -1;
        if (outer != nullptr)
            outerCell->GetPosition(outerRow, outerCol);
        if (outerRow < 0)
            throw ERollViewError("Internal error");
        outer->EditCell_(outerRow, outerCol, skipQuery);
    }
    if (dynamic_cast<TRVTableCellData*>(GetRVData()) == nullptr)
        CreateInplace(-1, row, col, false, true, false, false, skipQuery);
}

bool TRVTableItemInfo::EnterItem(TRVEnterDirection from, int coord)
{
    const int rowCount = Rows->Count();
    if (rowCount == 0 || !Options.Contains(rvtoEditing))
        return false;
    int row = 0, col = 0;
    bool toStart = true;
    switch (from) {
    case rvedLeft:
        break;
    case rvedRight:
        row = rowCount - 1;
        col = Rows->Get(row)->Count() - 1;
        toStart = false;
        break;
    case rvedTop:
    case rvedBottom:
        col = GetColNo(coord);
        if (col < 0)
            return false;
        row = from == rvedTop ? 0 : rowCount - 1;
        toStart = from == rvedTop;
        break;
    }
    int mr, mc;
    if (Rows->GetMainCell(row, col, mr, mc) == nullptr)
        return false;
    CreateInplace(-1, mr, mc, false, toStart, !toStart, false, false);
    return true;
}

// ---------------------------------------------------------------------------
// The keyboard focus

void TRVTableItemInfo::ValidateFocused()
{
    if (FocusedCellRow < 0 || FocusedCellRow >= Rows->Count() || FocusedCellCol < 0 ||
        FocusedCellCol >= Rows->Get(FocusedCellRow)->Count() ||
        GetCells(FocusedCellRow, FocusedCellCol) == nullptr) {
        FocusedCellRow = -1;
        FocusedCellCol = -1;
    }
}

bool TRVTableItemInfo::MoveFocus(bool goForward, TCustomRVData*& topFocusedRvData, int& topFocusedItemNo)
{
    ValidateFocused();
    if (Rows->Count() == 0)
        return false;
    if (FocusedCellRow < 0) {
        int row = 0, col = 0;
        if (!goForward) {
            row = Rows->Count() - 1;
            col = Rows->Get(row)->Count() - 1;
        }
        int mr, mc;
        if (Rows->GetMainCell(row, col, mr, mc) == nullptr)
            return false;
        FocusedCellRow = mr;
        FocusedCellCol = mc;
    }
    while (true) {
        auto* data =
            dynamic_cast<TCustomRVFormattedData*>(GetCells(FocusedCellRow, FocusedCellCol)->GetRVData());
        if (data != nullptr) {
            const int next =
                data->GetNextFocusedItem(data->FocusedItemNo, goForward, topFocusedRvData, topFocusedItemNo);
            data->FocusedItemNo = next;
            if (next >= 0)
                return true;
        }
        int row, col;
        if (!GetCellTo(FocusedCellRow, FocusedCellCol, goForward ? rvcdNext : rvcdPrev, row, col, true)) {
            FocusedCellRow = -1;
            FocusedCellCol = -1;
            return false;
        }
        FocusedCellRow = row;
        FocusedCellCol = col;
    }
}

void TRVTableItemInfo::ClearFocus()
{
    ValidateFocused();
    if (FocusedCellRow >= 0)
        if (auto* data =
                dynamic_cast<TCustomRVFormattedData*>(GetCells(FocusedCellRow, FocusedCellCol)->GetRVData()))
            data->ClearFocus();
    FocusedCellRow = -1;
    FocusedCellCol = -1;
}

void TRVTableItemInfo::AdjustFocus(int row, int col, TCustomRVData* topFocusedRvData, int topFocusedItemNo)
{
    FocusedCellRow = row;
    FocusedCellCol = col;
    if (auto* data = dynamic_cast<TCustomRVFormattedData*>(GetRVData()))
        data->AdjustFocus(GetMyItemNo(), topFocusedRvData, topFocusedItemNo);
}

bool TRVTableItemInfo::AdjustFocusToControl(TControl* aControl, TCustomRVData*& topFocusedRvData,
                                            int& topFocusedItemNo)
{
    int row, col, itemNo;
    if (!GetCellWhichOwnsControl(aControl, row, col, itemNo))
        return false;
    FocusedCellRow = row;
    FocusedCellCol = col;
    TRVTableCellData* cell = GetCells(row, col);
    auto* data = dynamic_cast<TCustomRVFormattedData*>(cell->GetRVData());
    if (data == nullptr)
        return true;
    data->FocusedItemNo = itemNo;
    TCustomRVItemInfo* item = data->GetItem(itemNo);
    item->AdjustFocusToControl(aControl, topFocusedRvData, topFocusedItemNo);
    if (item->GetBoolValue(rvbpImmediateControlOwner)) {
        topFocusedItemNo = itemNo;
        topFocusedRvData = cell;
    }
    return true;
}

// ---------------------------------------------------------------------------
// The chosen cell

bool TRVTableItemInfo::ValidateChosen()
{
    if (ChosenCellRow < 0 || ChosenCellRow >= Rows->Count() || ChosenCellCol < 0 ||
        ChosenCellCol >= Rows->Get(ChosenCellRow)->Count()) {
        ChosenCellRow = -1;
        ChosenCellCol = -1;
        return false;
    }
    int mr, mc;
    if (Rows->GetMainCell(ChosenCellRow, ChosenCellCol, mr, mc) == nullptr) {
        ChosenCellRow = -1;
        ChosenCellCol = -1;
        return false;
    }
    ChosenCellRow = mr;
    ChosenCellCol = mc;
    return true;
}

bool TRVTableItemInfo::CellIsChosen()
{
    ValidateChosen();
    if (ChosenCellRow < 0)
        return false;
    auto* data = dynamic_cast<TCustomRVFormattedData*>(GetCells(ChosenCellRow, ChosenCellCol)->GetRVData());
    return data != nullptr && data->SelectionExists(false, false);
}

void TRVTableItemInfo::UnAssignActiveCell()
{
    ValidateChosen();
    if (ChosenCellRow >= 0)
        if (auto* data = dynamic_cast<TCustomRVFormattedData*>(GetRVData())) {
            TRVTableCellData* cell = GetCells(ChosenCellRow, ChosenCellCol);
            ChosenCellRow = -1;
            ChosenCellCol = -1;
            data->UnassignChosenRVData(cell);
        }
    ChosenCellRow = -1;
    ChosenCellCol = -1;
}

void TRVTableItemInfo::CleanUpChosen()
{
    ValidateChosen();
    if (ChosenCellRow >= 0)
        if (auto* data =
                dynamic_cast<TCustomRVFormattedData*>(GetCells(ChosenCellRow, ChosenCellCol)->GetRVData()))
            data->Deselect(nullptr, false);
    ChosenCellRow = -1;
    ChosenCellCol = -1;
    DestroyInplace(true);
}

void TRVTableItemInfo::ChooseSubRVData_(int row, int col)
{
    if (row == ChosenCellRow && col == ChosenCellCol)
        return;
    auto* data = dynamic_cast<TCustomRVFormattedData*>(GetRVData());
    if (data == nullptr || row < 0 || row >= Rows->Count() || col < 0 || col >= Rows->Get(row)->Count() ||
        GetCells(row, col) == nullptr)
        return;
    TRVTableCellData* cell = GetCells(row, col);
    int startNo, startOffs, endNo, endOffs;
    cell->GetFormattedRVData()->GetSelectionBoundsEx(startNo, startOffs, endNo, endOffs, false);
    const int itemNo = GetMyItemNo();
    data->SetSelectionBounds(itemNo, 1, itemNo, 1);
    data->AssignChosenRVData(cell, this);
    ChosenCellRow = row;
    ChosenCellCol = col;
    if (State.Contains(rvtsEditMode) && State.Contains(rvtsInserted))
        EditCell(row, col);
    TCustomRVFormattedData* current = cell->GetFormattedRVData();
    if (startNo >= 0 && endNo >= 0 && startNo < current->GetItemCount() && endNo < current->GetItemCount())
        current->SetSelectionBounds(startNo, startOffs, endNo, endOffs);
    current->Invalidate();
}

void TRVTableItemInfo::ChooseSubRVData(TRVStoreSubRVData* storeState)
{
    if (auto* store = dynamic_cast<TRVTableStoreSubRVData*>(storeState))
        ChooseSubRVData_(store->Row, store->Col);
}

void TRVTableItemInfo::ResetSubCoords()
{
    if (auto* data = dynamic_cast<TCustomRVFormattedData*>(GetRVData())) {
        const int itemNo = GetMyItemNo();
        if (itemNo >= 0)
            data->GetItemClientCoords(itemNo, CurLeft, CurTop);
    }
}
