// The primitive steps of the row list: each before-step records the undo
// record that reverses the do-step that follows it, when the table records.
#include <algorithm>

#include "document/rvitem.h"
#include "edit/rvervdata.h"
#include "table/rvtable.h"
#include "table/rvtable_undo.h"

TRVEditRVData* TableUndoData(const TRVTableItemInfo* table)
{
    if (table == nullptr || !table->State.Contains(rvtsInserted) || table->Rows == nullptr)
        return nullptr;
    auto* data = dynamic_cast<TRVEditRVData*>(table->Rows->MainRVData);
    return data != nullptr && data->GetUndoList() != nullptr ? data : nullptr;
}

namespace {

int OwnItemNo(const TRVTableRows* rows, int itemNo)
{
    return itemNo == -1 ? rows->Table->GetMyItemNo() : itemNo;
}

} // namespace

TRVTableCellData* TRVTableRows::TakeCell(int row, int col)
{
    TRVTableRow* r = Get(row);
    auto* cell = static_cast<TRVTableCellData*>(r->ExtractAt(col));
    r->InsertEmpty(col);
    return cell;
}

TRVTableCellData* TRVTableRows::NewCellAt(int row, int col)
{
    auto* cell = new TRVTableCellData(Get(row));
    Get(row)->Put(col, cell);
    return cell;
}

void TRVTableRows::Bracket(int itemNo, bool opening)
{
    if (itemNo == -1)
        return;
    if (auto* data = dynamic_cast<TRVEditRVData*>(MainRVData))
        data->Do_ItemModifyTerminator(itemNo, opening);
}

// ---------------------------------------------------------------------------
// Rows and slots

void TRVTableRows::Do_BeforeInsertRows(int itemNo, int index, int count)
{
    if (auto* r = AddTableUndoInfo<TRVUndoInsertTableRows>(TableUndoData(Table), OwnItemNo(this, itemNo),
                                                           true, true)) {
        r->Row = index;
        r->Count = count;
    }
}

void TRVTableRows::Do_InsertRows(int index, int count)
{
    const int colCount = GetColCount();
    for (int i = 0; i < count; ++i)
        Insert(index, colCount);
}

void TRVTableRows::Do_UnInsertRows(int index, int count)
{
    for (int i = 0; i < count; ++i)
        Delete(index);
}

void TRVTableRows::Do_BeforeInsertCell(int itemNo, int row, int col)
{
    if (auto* r = AddTableUndoInfo<TRVUndoInsertTableCell>(TableUndoData(Table), OwnItemNo(this, itemNo),
                                                           true, true)) {
        r->Row = row;
        r->Col = col;
    }
}

void TRVTableRows::Do_BeforeSpreadOverEmptyCells(int itemNo, int row, int col, int colSpan)
{
    if (auto* r = AddTableUndoInfo<TRVUndoSpreadOverEmptyCells>(TableUndoData(Table), itemNo, true, true)) {
        r->Row = row;
        r->Col = col;
        r->ColSpan = colSpan;
    }
}

void TRVTableRows::Do_SpreadOverEmptyCells(int row, int col, int colSpan)
{
    Get(row)->Get(col)->ColSpan = colSpan;
    for (int c = col + 1; c < col + colSpan; ++c)
        Get(row)->Put(c, nullptr);
}

void TRVTableRows::Do_UnSpreadOverEmptyCells(int row, int col, int colSpan)
{
    Get(row)->Get(col)->ColSpan = 1;
    for (int c = col + 1; c < col + colSpan; ++c)
        NewCellAt(row, c);
}

void TRVTableRows::Do_SetSpan(int itemNo, int row, int col, int value, bool isColSpan)
{
    TRVTableCellData* cell = Get(row)->Get(col);
    int& span = isColSpan ? cell->ColSpan : cell->RowSpan;
    if (span == value)
        return;
    if (auto* r = AddTableUndoInfo<TRVUndoSpan>(TableUndoData(Table), OwnItemNo(this, itemNo), true, true)) {
        r->IsRowSpan = !isColSpan;
        r->Row = row;
        r->Col = col;
        r->Span = span;
    }
    span = value;
}

void TRVTableRows::Do_BeforeFreeEmptyCells(int itemNo, int row, int col, int colCount, int rowCount)
{
    if (auto* r = AddTableUndoInfo<TRVUndoFreeEmptyCell>(TableUndoData(Table), itemNo, true, true)) {
        r->Row = row;
        r->Col = col;
        r->ColCount = colCount;
        r->RowCount = rowCount;
    }
}

void TRVTableRows::Do_FreeEmptyCells(int row, int col, int colCount, int rowCount)
{
    for (int r = row; r < row + rowCount; ++r)
        for (int c = col; c < col + colCount; ++c)
            Get(r)->Put(c, nullptr);
}

void TRVTableRows::Do_UnFreeEmptyCells(int row, int col, int colCount, int rowCount)
{
    for (int r = row; r < row + rowCount; ++r)
        for (int c = col; c < col + colCount; ++c)
            NewCellAt(r, c);
}

void TRVTableRows::Do_BeforeInsertEmptyCells(int itemNo, int row, int col, int colCount, int rowCount)
{
    if (colCount <= 0 || rowCount <= 0)
        return;
    if (auto* r = AddTableUndoInfo<TRVUndoInsertEmptyCell>(TableUndoData(Table), itemNo, true, true)) {
        r->Row = row;
        r->Col = col;
        r->ColCount = colCount;
        r->RowCount = rowCount;
    }
}

void TRVTableRows::Do_InsertEmptyCells(int row, int col, int colCount, int rowCount)
{
    for (int r = row; r < row + rowCount; ++r)
        for (int i = 0; i < colCount; ++i)
            Get(r)->InsertEmpty(col);
}

void TRVTableRows::Do_UnInsertEmptyCells(int row, int col, int colCount, int rowCount)
{
    for (int r = row; r < row + rowCount; ++r)
        for (int i = 0; i < colCount; ++i)
            Get(r)->Delete(col);
}

// ---------------------------------------------------------------------------
// Splitting a cell in two

void TRVTableRows::Do_BeforeSplitCellHorz(int itemNo, int row, int col, int newRow, bool divideHeights)
{
    if (auto* r = AddTableUndoInfo<TRVUndoCellSpitHorz>(TableUndoData(Table), itemNo, false, true)) {
        r->Row = row;
        r->Col = col;
        r->NewRow = newRow;
        r->DivideHeights = divideHeights;
        r->OldBestHeight = Get(row)->Get(col)->BestHeight;
    }
}

void TRVTableRows::Do_SplitCellHorz(int row, int col, int newRow, bool divideHeights)
{
    TRVTableCellData* cell = Get(row)->Get(col);
    auto* lower = new TRVTableCellData(Get(newRow));
    lower->AssignAttributesFrom(cell, true, 1, 1);
    lower->ColSpan = cell->ColSpan;
    lower->RowSpan = row + cell->RowSpan - newRow;
    lower->BestHeight = cell->BestHeight * lower->RowSpan / cell->RowSpan;
    Get(newRow)->Put(col, lower);
    if (divideHeights)
        cell->BestHeight = (cell->RowSpan - lower->RowSpan) * cell->BestHeight / cell->RowSpan;
    cell->RowSpan -= lower->RowSpan;
}

void TRVTableRows::Do_UnSplitCellHorz(int row, int col, int newRow, int oldBestHeight)
{
    TRVTableCellData* cell = Get(row)->Get(col);
    cell->BestHeight = oldBestHeight;
    cell->RowSpan += Get(newRow)->Get(col)->RowSpan;
    Get(newRow)->Put(col, nullptr);
}

void TRVTableRows::Do_BeforeSplitCellVert(int itemNo, int row, int col, int newCol, bool divideWidths)
{
    if (auto* r = AddTableUndoInfo<TRVUndoCellSpitVert>(TableUndoData(Table), itemNo, true, true)) {
        r->Row = row;
        r->Col = col;
        r->NewCol = newCol;
        r->DivideWidths = divideWidths;
        r->OldBestWidth = Get(row)->Get(col)->BestWidth;
    }
}

void TRVTableRows::Do_SplitCellVert(int row, int col, int newCol, bool divideWidths)
{
    TRVTableCellData* cell = Get(row)->Get(col);
    auto* right = new TRVTableCellData(Get(row));
    right->AssignAttributesFrom(cell, true, 1, 1);
    right->RowSpan = cell->RowSpan;
    right->ColSpan = col + cell->ColSpan - newCol;
    right->BestWidth = cell->BestWidth * right->ColSpan / cell->ColSpan;
    Get(row)->Put(newCol, right);
    if (divideWidths)
        cell->BestWidth = (cell->ColSpan - right->ColSpan) * cell->BestWidth / cell->ColSpan;
    cell->ColSpan -= right->ColSpan;
}

void TRVTableRows::Do_UnSplitCellVert(int row, int col, int newCol, int oldBestWidth)
{
    TRVTableCellData* cell = Get(row)->Get(col);
    cell->BestWidth = oldBestWidth;
    cell->ColSpan += Get(row)->Get(newCol)->ColSpan;
    Get(row)->Put(newCol, nullptr);
}

// ---------------------------------------------------------------------------
// Deleting rows and columns

TObject* TRVTableRows::Do_BeforeDeleteRows(int itemNo, int index, int count)
{
    auto* r = AddTableUndoInfo<TRVUndoDeleteRows>(TableUndoData(Table), itemNo, true, true);
    if (r == nullptr)
        return nullptr;
    r->Row = index;
    r->Count = count;
    return reinterpret_cast<TObject*>(r);
}

void TRVTableRows::Do_DeleteRows(int itemNo, int index, int count, TObject* record)
{
    auto* r = reinterpret_cast<TRVUndoDeleteRows*>(record);
    if (itemNo == -1 || r == nullptr) {
        for (int i = 0; i < count; ++i)
            Delete(index);
        return;
    }
    MovingToUndoList(index, 0, GetColCount(), count, record);
    for (int i = 0; i < count; ++i)
        r->Rows.push_back(static_cast<TRVTableRow*>(ExtractAt(index)));
}

void TRVTableRows::Do_UnDeleteRows(int index, std::vector<TRVTableRow*>& rows)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        TRVTableRow* row = rows[i];
        InsertPointer(index + static_cast<int>(i), row);
        for (int c = 0; c < row->Count(); ++c)
            if (TRVTableCellData* cell = row->Get(c))
                cell->List = row;
    }
    MovingFromUndoList(index, 0, GetColCount(), static_cast<int>(rows.size()));
    rows.clear();
}

TObject* TRVTableRows::Do_BeforeDeleteCols(int itemNo, int index, int count)
{
    auto* r = AddTableUndoInfo<TRVUndoDeleteCols>(TableUndoData(Table), itemNo, true, true);
    if (r == nullptr)
        return nullptr;
    r->Col = index;
    r->Count = count;
    return reinterpret_cast<TObject*>(r);
}

void TRVTableRows::Do_DeleteCols(int itemNo, int index, int count, TObject* record)
{
    auto* r = reinterpret_cast<TRVUndoDeleteCols*>(record);
    if (itemNo != -1 && r != nullptr)
        MovingToUndoList(0, index, count, Count(), record);
    for (int row = 0; row < Count(); ++row)
        for (int c = index + count - 1; c >= index; --c) {
            if (itemNo != -1 && r != nullptr)
                r->Cells.push_back(static_cast<TRVTableCellData*>(Get(row)->ExtractAt(c)));
            else
                Get(row)->Delete(c);
        }
}

void TRVTableRows::Do_UnDeleteCols(int index, std::vector<TRVTableCellData*>& cells)
{
    if (Count() == 0)
        return;
    const size_t perRow = cells.size() / static_cast<size_t>(Count());
    size_t k = 0;
    for (int row = 0; row < Count(); ++row)
        for (size_t i = 0; i < perRow; ++i)
            Get(row)->InsertPointer(index, cells[k++]);
    MovingFromUndoList(0, index, static_cast<int>(perRow), Count());
    cells.clear();
}

// ---------------------------------------------------------------------------
// Clearing cells

TObject* TRVTableRows::Do_BeforeClearCells(int itemNo, const TRVIntegerList& rowList,
                                           const TRVIntegerList& colList,
                                           std::vector<TRVTableCellData*>*& cellList)
{
    cellList = nullptr;
    auto* r = AddTableUndoInfo<TRVUndoCellsClear>(TableUndoData(Table), itemNo, true, true);
    if (r == nullptr)
        return nullptr;
    r->RowList.Assign(&rowList);
    r->ColList.Assign(&colList);
    cellList = &r->Cells;
    return reinterpret_cast<TObject*>(r);
}

void TRVTableRows::Do_ClearCells(std::vector<TRVTableCellData*>* cellList, const TRVIntegerList& rowList,
                                 const TRVIntegerList& colList, TObject* record)
{
    auto* chosenOwner = dynamic_cast<TCustomRVFormattedData*>(MainRVData);
    for (int i = 0; i < rowList.Count(); ++i) {
        const int row = rowList[i];
        const int col = colList[i];
        TRVTableCellData* cell = Get(row)->Get(col);
        if (cellList == nullptr) {
            cell->Clear();
            cell->AddNL(AnsiString(), 0, 0);
            cell->ContentChanged();
            continue;
        }
        cell->Deselect(nullptr, false);
        cell->State.Exclude(rvstCompletelySelected);
        TakeCell(row, col);
        cell->MovingToUndoList(record);
        cellList->push_back(cell);
        TRVTableCellData* fresh = NewCellAt(row, col);
        fresh->AssignAttributesFrom(cell, true, 1, 1);
        fresh->AssignSizeFrom(cell);
        fresh->ColSpan = cell->ColSpan;
        fresh->RowSpan = cell->RowSpan;
        if (chosenOwner != nullptr && chosenOwner->GetChosenRVData() == cell)
            chosenOwner->SilentReplaceChosenRVData(fresh);
    }
}

void TRVTableRows::Do_UnClearCells(std::vector<TRVTableCellData*>& cellList, const TRVIntegerList& rowList,
                                   const TRVIntegerList& colList)
{
    // Last first: a slot named twice gets its first cell back last.
    const int n = std::min(rowList.Count(), static_cast<int>(cellList.size()));
    for (int i = n - 1; i >= 0; --i) {
        TRVTableCellData* cell = cellList[static_cast<size_t>(i)];
        Get(rowList[i])->Put(colList[i], cell);
        cell->MovingFromUndoList();
    }
    cellList.clear();
}

// ---------------------------------------------------------------------------
// Merging and unmerging

TObject* TRVTableRows::Do_BeforeMergeCells(int itemNo, int row, int col, int colSpan, int rowSpan)
{
    auto* r = AddTableUndoInfo<TRVUndoMerge>(TableUndoData(Table), itemNo, true, true);
    if (r == nullptr)
        return nullptr;
    const TRVTableCellData* main = Get(row)->Get(col);
    r->Row = row;
    r->Col = col;
    r->OldColSpan = main->ColSpan;
    r->OldRowSpan = main->RowSpan;
    r->OldBestWidth = main->BestWidth;
    r->NewColSpan = colSpan;
    r->NewRowSpan = rowSpan;
    return reinterpret_cast<TObject*>(r);
}

void TRVTableRows::Do_MergeCells(int itemNo, int row, int col, int colSpan, int rowSpan, TObject* record,
                                 bool changeBestWidth)
{
    auto* r = reinterpret_cast<TRVUndoMerge*>(record);
    TRVTableCellData* main = Get(row)->Get(col);
    if (changeBestWidth)
        main->BestWidth = GetBestWidth(row, col, colSpan, rowSpan);
    if (r != nullptr)
        r->ChangeBestWidth = changeBestWidth;
    for (int rr = row; rr < row + rowSpan; ++rr)
        for (int c = col; c < col + colSpan; ++c) {
            if (rr == row && c == col)
                continue;
            TRVTableCellData* cell = Get(rr)->Get(c);
            if (cell == nullptr)
                continue;
            const bool hasData = cell->HasData(false);
            const int itemCount = hasData ? cell->GetItemCount() : 0;
            if (hasData)
                main->DrainFrom(cell);
            if (itemNo != -1 && r != nullptr) {
                TakeCell(rr, c);
                cell->MovingToUndoList(record);
                cell->State.Exclude(rvstCompletelySelected);
                auto item = std::make_unique<TRVUndoMergeItem>();
                item->Row = rr;
                item->Col = c;
                item->ItemCount = itemCount;
                item->Cell = cell;
                r->Items.push_back(std::move(item));
            } else {
                Get(rr)->Put(c, nullptr);
            }
        }
    main->ColSpan = colSpan;
    main->RowSpan = rowSpan;
    main->ContentChanged();
}

void TRVTableRows::Do_UndoMergeCells(int row, int col, int oldColSpan, int oldRowSpan, TObject* record,
                                     int oldBestWidth)
{
    auto* r = reinterpret_cast<TRVUndoMerge*>(record);
    TRVTableCellData* main = Get(row)->Get(col);
    main->BestWidth = oldBestWidth;
    for (auto it = r->Items.rbegin(); it != r->Items.rend(); ++it) {
        TRVUndoMergeItem& item = **it;
        TRVTableCellData* cell = item.Cell;
        item.Cell = nullptr;
        Get(item.Row)->Put(item.Col, cell);
        cell->MovingFromUndoList();
        if (item.ItemCount > 0) {
            // The cell's items are the last ItemCount of the merged cell.
            cell->Clear();
            const int first = main->GetItemCount() - item.ItemCount;
            for (int i = first; i < main->GetItemCount(); ++i) {
                TCustomRVItemInfo* moved = main->GetItem(i);
                main->DeleteMarkerFromList(moved, true);
                cell->Items->AddObject(main->Items->Get(i), moved);
                cell->AddMarkerInList(cell->Items->Count() - 1);
            }
            for (int i = main->GetItemCount() - 1; i >= first; --i)
                main->Items->Delete(i);
            cell->ContentChanged();
        }
    }
    r->Items.clear();
    main->ColSpan = oldColSpan;
    main->RowSpan = oldRowSpan;
    main->ContentChanged();
}

void TRVTableRows::Do_BeforeUnmergeCell(int itemNo, int row, int col, bool unmergeRows, bool unmergeCols)
{
    if (auto* r = AddTableUndoInfo<TRVUndoUnmerge>(TableUndoData(Table), itemNo, true, true)) {
        const TRVTableCellData* cell = Get(row)->Get(col);
        r->Row = row;
        r->Col = col;
        r->UnmergeRows = unmergeRows;
        r->UnmergeCols = unmergeCols;
        r->OldColSpan = cell->ColSpan;
        r->OldRowSpan = cell->RowSpan;
        r->OldBestWidth = cell->BestWidth;
        r->OldBestHeight = cell->BestHeight;
    }
}

namespace {

// The width each column of a cell unmerged across gets: never 0 for a width that was set.
int WidthShare(const TRVTableCellData* cell, bool unmergeCols)
{
    if (!unmergeCols)
        return cell->BestWidth;
    int w = cell->BestWidth / cell->ColSpan;
    if (w == 0 && cell->BestWidth != 0)
        w = cell->BestWidth > 0 ? 1 : -1;
    return w;
}

} // namespace

void TRVTableRows::Do_UnmergeCell(int row, int col, bool unmergeRows, bool unmergeCols)
{
    TRVTableCellData* cell = Get(row)->Get(col);
    const int w = WidthShare(cell, unmergeCols);
    auto splitAcross = [&](int r, int rowSpan) {
        TRVTableCellData* first = Get(r)->Get(col);
        for (int c = col + 1; c < col + first->ColSpan; ++c) {
            TRVTableCellData* fresh = NewCellAt(r, c);
            fresh->AssignAttributesFrom(first, false, 1, 1);
            fresh->BestWidth = w;
            fresh->RowSpan = rowSpan;
        }
        first->ColSpan = 1;
        first->BestWidth = w;
    };
    if (unmergeRows) {
        const int rowSpan = cell->RowSpan;
        const int h = cell->BestHeight / rowSpan;
        for (int r = row + 1; r < row + rowSpan; ++r) {
            TRVTableCellData* fresh = NewCellAt(r, col);
            fresh->AssignAttributesFrom(cell, true, 1, rowSpan);
            fresh->ColSpan = cell->ColSpan;
        }
        cell->RowSpan = 1;
        cell->BestHeight = h;
        if (unmergeCols)
            for (int r = row; r < row + rowSpan; ++r)
                splitAcross(r, 1);
    } else if (unmergeCols) {
        splitAcross(row, cell->RowSpan);
    }
}

void TRVTableRows::Do_UndoUnmergeCell(int row, int col, int oldColSpan, int oldRowSpan, int oldBestWidth,
                                      int oldBestHeight)
{
    TRVTableCellData* cell = Get(row)->Get(col);
    if (cell->RowSpan != oldRowSpan)
        Do_FreeEmptyCells(row + 1, col, oldColSpan, oldRowSpan - 1);
    if (cell->ColSpan != oldColSpan)
        Do_FreeEmptyCells(row, col + 1, oldColSpan - 1, 1);
    cell->ColSpan = oldColSpan;
    cell->RowSpan = oldRowSpan;
    cell->BestWidth = oldBestWidth;
    cell->BestHeight = oldBestHeight;
}
