// The primitive steps that replace, merge and unmerge cells, with what their
// undo records keep.
#include <algorithm>
#include <memory>

#include "document/rvitem.h"
#include "edit/rvervdata.h"
#include "table/rvtable.h"
#include "table/rvtable_undo.h"

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
            // Their markers, those of tables among them too, take their
            // places in the list again once the items are back in the cell.
            main->DeleteMarkersOfItems(first, main->GetItemCount() - 1, false);
            for (int i = first; i < main->GetItemCount(); ++i) {
                // The item learns its holder again: a table among them finds
                // its document through it.
                AnsiString text = main->Items->Get(i);
                TCustomRVItemInfo* moved = main->GetItem(i);
                moved->Inserting(cell, text, false);
                cell->Items->AddObject(text, moved);
            }
            for (int i = main->GetItemCount() - 1; i >= first; --i)
                main->Items->Delete(i);
            cell->AddMarkersInList(0, cell->GetItemCount() - 1);
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
    if (auto* r = AddTableUndoInfo<TRVUndoUnmerge>(TableUndoData(Table), itemNo, true, true))
        r->NoteCell(row, col, unmergeRows, unmergeCols, Get(row)->Get(col));
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
