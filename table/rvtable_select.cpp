// The table's cell selection (an anchor cell and the offsets to the opposite
// corner, grown to whole merged cells when read) and the row and column
// commands that act on it or on the cell being edited.
#include <algorithm>

#include "edit/rvervdata.h"
#include "table/rvtable.h"
#include "table/rvtinplace.h"

namespace {

TCustomRVFormattedData* FormattedDataOf(const TRVTableItemInfo* table)
{
    return dynamic_cast<TCustomRVFormattedData*>(table->GetRVData());
}

void BeepIn(TCustomRVData* data)
{
    if (auto* edit = dynamic_cast<TRVEditRVData*>(data))
        edit->EditBeep();
}

} // namespace

// ---------------------------------------------------------------------------
// Selecting

void TRVTableItemInfo::Select(int startRow, int startCol, int rowOffs, int colOffs)
{
    if (!State.Contains(rvtsInserted))
        return;
    DestroyInplace(true);
    TCustomRVFormattedData* data = FormattedDataOf(this);
    if (data == nullptr || !data->GetOptions().Contains(rvoAllowSelection))
        return;
    data->SetPartialSelectedItem(this);
    State.Include(rvtsSelExists);
    FSelStartRow = startRow;
    FSelStartCol = startCol;
    FSelRowOffs = rowOffs;
    FSelColOffs = colOffs;
    UpdateCellSel();
    data->Invalidate();
}

void TRVTableItemInfo::SelectCols(int startCol, int count)
{
    Select(0, startCol, Rows->Count() - 1, count - 1);
}

void TRVTableItemInfo::SelectRows(int startRow, int count)
{
    Select(startRow, 0, count - 1, Rows->Get(startRow)->Count() - 1);
}

void TRVTableItemInfo::Deselect()
{
    // Closing the cell editor tells the program once the cells are deselected
    // too: its handler may take the table, or the cell holding it, away.
    const TRVTableTells tells;
    DestroyInplace(true);
    State.Exclude(rvtsSelExists);
    FSelStartRow = -1;
    FSelStartCol = -1;
    FSelRowOffs = 0;
    FSelColOffs = 0;
    UpdateCellSel();
    UnAssignActiveCell();
    if (TCustomRVFormattedData* data = FormattedDataOf(this))
        data->Invalidate();
}

bool TRVTableItemInfo::StartSelecting(int row, int col)
{
    TCustomRVFormattedData* data = FormattedDataOf(this);
    if (data == nullptr || !data->GetOptions().Contains(rvoAllowSelection))
        return false;
    // Marking the table first: that may clear an older selection of it.
    data->SetPartialSelectedItem(this);
    FSelStartRow = row;
    FSelStartCol = col;
    FSelRowOffs = 0;
    FSelColOffs = 0;
    State.Exclude(rvtsSelExists);
    data->SetMouseCapture(this, DocLeft, DocTop);
    UpdateCellSel();
    FSelecting = true;
    return true;
}

bool TRVTableItemInfo::GetSelectionBounds(int& startRow, int& startCol, int& rowOffs, int& colOffs) const
{
    startRow = FSelStartRow;
    startCol = FSelStartCol;
    rowOffs = FSelRowOffs;
    colOffs = FSelColOffs;
    return State.Contains(rvtsSelExists);
}

bool TRVTableItemInfo::SelectionBlock(int& top, int& left, int& bottom, int& right) const
{
    if (!State.Contains(rvtsSelExists))
        return false;
    const TRVTableRows& rows = *Rows;
    auto inGrid = [&rows](int r, int c) {
        return r >= 0 && r < rows.Count() && c >= 0 && c < rows.Get(r)->Count();
    };
    if (!inGrid(FSelStartRow, FSelStartCol) ||
        !inGrid(FSelStartRow + FSelRowOffs, FSelStartCol + FSelColOffs))
        return false;
    int mr, mc;
    const TRVTableCellData* a = rows.GetMainCell(FSelStartRow, FSelStartCol, mr, mc);
    if (a == nullptr)
        return false;
    top = mr;
    left = mc;
    bottom = mr + a->RowSpan - 1;
    right = mc + a->ColSpan - 1;
    const TRVTableCellData* b =
        rows.GetMainCell(FSelStartRow + FSelRowOffs, FSelStartCol + FSelColOffs, mr, mc);
    if (b == nullptr)
        return false;
    top = std::min(top, mr);
    left = std::min(left, mc);
    bottom = std::max(bottom, mr + b->RowSpan - 1);
    right = std::max(right, mc + b->ColSpan - 1);
    return true;
}

namespace {

// The cell at (Row, Col) lies in the block or reaches into it.
bool CellMeetsBlock(const TRVTableCellData* cell, int row, int col, int top, int left, int bottom, int right)
{
    return row <= bottom && row + cell->RowSpan - 1 >= top && col <= right && col + cell->ColSpan - 1 >= left;
}

} // namespace

bool TRVTableItemInfo::GetNormalizedSelectionBounds(bool includeEditedCell, int& topRow, int& leftCol,
                                                    int& colCount, int& rowCount)
{
    if (State.Contains(rvtsSelExists) && (FSelStartRow < 0 || FSelStartCol < 0)) {
        State.Exclude(rvtsSelExists);
        if (TCustomRVFormattedData* data = FormattedDataOf(this)) {
            data->ReleaseMouseCapture(this);
            if (data->GetChosenRVData() != nullptr)
                data->SilentReplaceChosenRVData(nullptr);
        }
        FSelecting = false;
    }
    int bottom, right;
    if (SelectionBlock(topRow, leftCol, bottom, right)) {
        colCount = right - leftCol + 1;
        rowCount = bottom - topRow + 1;
        return true;
    }
    int row, col;
    if (includeEditedCell && GetEditedCell(row, col) != nullptr) {
        const TRVTableCellData* cell = GetCells(row, col);
        topRow = row;
        leftCol = col;
        colCount = cell->ColSpan;
        rowCount = cell->RowSpan;
        return true;
    }
    return false;
}

bool TRVTableItemInfo::IsCellSelected(int row, int col) const
{
    int top, left, bottom, right;
    if (!SelectionBlock(top, left, bottom, right))
        return false;
    const TRVTableCellData* cell = GetCells(row, col);
    return cell != nullptr && CellMeetsBlock(cell, row, col, top, left, bottom, right);
}

void TRVTableItemInfo::MarkSelectedCells()
{
    int top = 0, left = 0, bottom = 0, right = 0;
    const bool block = SelectionBlock(top, left, bottom, right);
    if (!block && !FCellsMarked)
        return;
    bool marked = false;
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c)
            if (TRVTableCellData* cell = GetCells(r, c)) {
                if (block && CellMeetsBlock(cell, r, c, top, left, bottom, right)) {
                    cell->State.Include(rvstCompletelySelected);
                    marked = true;
                } else {
                    cell->State.Exclude(rvstCompletelySelected);
                }
            }
    FCellsMarked = marked;
}

void TRVTableItemInfo::UpdateCellSel()
{
    // The block is read before the walk and again only after a cell's
    // document is deselected: that raises the selection event, whose handler
    // may select otherwise in the table.
    int top = 0, left = 0, bottom = 0, right = 0;
    bool block = SelectionBlock(top, left, bottom, right);
    FCellsMarked = false;
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c) {
            TRVTableCellData* cell = GetCells(r, c);
            if (cell == nullptr)
                continue;
            if (block && CellMeetsBlock(cell, r, c, top, left, bottom, right)) {
                cell->State.Include(rvstCompletelySelected);
                FCellsMarked = true;
                continue;
            }
            cell->State.Exclude(rvstCompletelySelected);
            if (r != FSelStartRow || c != FSelStartCol)
                if (auto* data = dynamic_cast<TCustomRVFormattedData*>(cell->GetRVData())) {
                    data->Deselect(nullptr, true);
                    block = SelectionBlock(top, left, bottom, right);
                }
        }
}

bool TRVTableItemInfo::CompletelySelected()
{
    TCustomRVFormattedData* data = FormattedDataOf(this);
    if (data == nullptr || !data->SelectionExists(false, false))
        return false;
    const int itemNo = GetMyItemNo();
    int startNo, startOffs, endNo, endOffs;
    data->GetSelectionBounds(startNo, startOffs, endNo, endOffs, true);
    const bool startsBefore = startNo < itemNo || (startNo == itemNo && startOffs == 0);
    const bool endsAfter = endNo > itemNo || (endNo == itemNo && endOffs == 1);
    return itemNo >= 0 && startsBefore && endsAfter;
}

// ---------------------------------------------------------------------------
// Rows and columns

void TRVTableItemInfo::InsertCols(int index, int count, int copyIndex, bool select)
{
    const TRVTableTells tells;
    const int cols = Rows->GetColCount();
    if (index < 0 || index > cols || copyIndex < -1 || copyIndex >= cols)
        throw ERollViewError("Invalid row or column index");
    DestroyInplace(true);
    InUndoGroup([&] { Rows->InsertCols(index, count, copyIndex, true); });
    if (select)
        SelectCols(index, count);
    Changed();
}

void TRVTableItemInfo::InsertRows(int index, int count, int copyIndex, bool select)
{
    const TRVTableTells tells;
    const int rows = Rows->Count();
    if (index < 0 || index > rows || copyIndex < -1 || copyIndex >= rows)
        throw ERollViewError("Invalid row or column index");
    DestroyInplace(true);
    InUndoGroup([&] { Rows->InsertRows(index, count, copyIndex, true); });
    if (select)
        SelectRows(index, count);
    Changed();
}

void TRVTableItemInfo::InsertColsLeft(int count)
{
    const TRVTableTells tells;
    int top, left, cols, rows;
    if (GetNormalizedSelectionBounds(true, top, left, cols, rows))
        InsertCols(left, count, left, true);
    else
        BeepIn(GetRVData());
}

void TRVTableItemInfo::InsertColsRight(int count)
{
    const TRVTableTells tells;
    int top, left, cols, rows;
    if (GetNormalizedSelectionBounds(true, top, left, cols, rows))
        InsertCols(left + cols, count, left + cols - 1, true);
    else
        BeepIn(GetRVData());
}

void TRVTableItemInfo::InsertRowsAbove(int count)
{
    const TRVTableTells tells;
    int top, left, cols, rows;
    if (GetNormalizedSelectionBounds(true, top, left, cols, rows))
        InsertRows(top, count, top, true);
    else
        BeepIn(GetRVData());
}

void TRVTableItemInfo::InsertRowsBelow(int count)
{
    const TRVTableTells tells;
    int top, left, cols, rows;
    if (GetNormalizedSelectionBounds(true, top, left, cols, rows))
        InsertRows(top + rows, count, top + rows - 1, true);
    else
        BeepIn(GetRVData());
}

void TRVTableItemInfo::DeleteSelectedRows()
{
    const TRVTableTells tells;
    int top, left, cols, rows;
    if (GetNormalizedSelectionBounds(true, top, left, cols, rows))
        DeleteRows(top, rows, true);
    else
        BeepIn(GetRVData());
}

void TRVTableItemInfo::DeleteSelectedCols()
{
    const TRVTableTells tells;
    int top, left, cols, rows;
    if (GetNormalizedSelectionBounds(true, top, left, cols, rows))
        DeleteCols(left, cols, true);
    else
        BeepIn(GetRVData());
}

void TRVTableItemInfo::DeleteEmptyRows()
{
    const TRVTableTells tells;
    for (int r = Rows->Count() - 1; r >= 0 && Rows->Count() > 1; --r) {
        const TRVTableRow* row = Rows->Get(r);
        bool empty = true;
        for (int c = 0; c < row->Count() && empty; ++c)
            empty = row->Get(c) == nullptr;
        if (empty)
            DeleteRows(r, 1, false);
    }
}

void TRVTableItemInfo::DeleteEmptyCols()
{
    const TRVTableTells tells;
    for (int c = Rows->GetColCount() - 1; c >= 0 && Rows->GetColCount() > 1; --c) {
        bool empty = true;
        for (int r = 0; r < Rows->Count() && empty; ++r)
            empty = Rows->Get(r)->Get(c) == nullptr;
        if (empty)
            DeleteCols(c, 1, false);
    }
}
