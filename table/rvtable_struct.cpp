// Inserting and deleting rows and columns, merging, unmerging and clearing
// cells: the operations of the row list built from its primitive steps.
#include <algorithm>
#include <vector>

#include "edit/rvervdata.h"
#include "table/rvtable.h"

namespace {

[[noreturn]] void BadIndex()
{
    throw ERollViewError("Invalid row or column index");
}

} // namespace

void TRVTableRows::InsertRows(int index, int count, int copyIndex, bool divideHeights)
{
    const int rowCount = Count();
    if (index < 0 || index > rowCount || copyIndex < -1 || copyIndex > rowCount - 1)
        BadIndex();
    if (count < 1)
        return;
    const int colCount = GetColCount();
    const int itemNo = Table->GetEditorItemNoForUndo();
    Bracket(itemNo, true);
    // Columns whose new slots a cell from above covers: it grows by Count rows.
    std::vector<bool> covered(static_cast<size_t>(colCount), false);
    if (index != rowCount)
        for (int c = colCount - 1; c >= 0;) {
            int mRow = 0;
            int mCol = 0;
            TRVTableCellData* cell = GetMainCell(index, c, mRow, mCol);
            if (mRow < index) {
                for (int k = mCol; k < mCol + cell->ColSpan; ++k)
                    covered[static_cast<size_t>(k)] = true;
                Do_SetSpan(itemNo, mRow, mCol, cell->RowSpan + count, false);
            }
            c = mCol - 1;
        }
    if (copyIndex >= index)
        copyIndex += count;
    Do_BeforeInsertRows(itemNo, index, count);
    Do_InsertRows(index, count);
    for (int c = 0; c < colCount;) {
        if (covered[static_cast<size_t>(c)]) {
            Do_BeforeFreeEmptyCells(itemNo, index, c, 1, count);
            Do_FreeEmptyCells(index, c, 1, count);
            ++c;
            continue;
        }
        TRVTableCellData* source = copyIndex >= 0 ? Get(copyIndex)->Get(c) : nullptr;
        if (source == nullptr) {
            ++c;
            continue;
        }
        // The copies spread as the source does, but never over a column
        // that a cell from above covers.
        int spread = 1;
        while (spread < source->ColSpan && c + spread < colCount && !covered[static_cast<size_t>(c + spread)])
            ++spread;
        if (divideHeights)
            Table->SetCellBestHeight_(
                itemNo, source->BestHeight * source->RowSpan / (source->RowSpan + count), copyIndex, c);
        for (int i = 0; i < count; ++i) {
            Table->AssignCellAttributes(itemNo, index + i, c, source, true, 1, source->RowSpan);
            if (spread > 1) {
                Do_BeforeSpreadOverEmptyCells(itemNo, index + i, c, spread);
                Do_SpreadOverEmptyCells(index + i, c, spread);
            }
        }
        c += spread;
    }
    Bracket(itemNo, false);
}

void TRVTableRows::InsertCols(int index, int count, int copyIndex, bool divideWidths)
{
    const int colCount = GetColCount();
    if (index < 0 || index > colCount || copyIndex < -1 || copyIndex > colCount - 1)
        BadIndex();
    if (count < 1)
        return;
    const int rowCount = Count();
    const int itemNo = Table->GetEditorItemNoForUndo();
    Bracket(itemNo, true);
    // Rows whose new slots a cell from the left covers: it grows by Count columns.
    std::vector<bool> covered(static_cast<size_t>(rowCount), false);
    if (index != colCount)
        for (int r = rowCount - 1; r >= 0;) {
            int mRow = 0;
            int mCol = 0;
            TRVTableCellData* cell = GetMainCell(r, index, mRow, mCol);
            if (mCol < index) {
                for (int k = mRow; k < mRow + cell->RowSpan; ++k)
                    covered[static_cast<size_t>(k)] = true;
                Do_SetSpan(itemNo, mRow, mCol, cell->ColSpan + count, true);
            }
            r = mRow - 1;
        }
    for (int r = 0; r < rowCount;) {
        if (covered[static_cast<size_t>(r)]) {
            Do_BeforeInsertEmptyCells(itemNo, r, index, count, 1);
            Do_InsertEmptyCells(r, index, count, 1);
            ++r;
            continue;
        }
        TRVTableCellData* source = copyIndex >= 0 ? Get(r)->Get(copyIndex) : nullptr;
        // The copies span down as the source does, but never over a row that
        // a cell from the left covers.
        int spread = 1;
        if (source != nullptr)
            while (spread < source->RowSpan && r + spread < rowCount &&
                   !covered[static_cast<size_t>(r + spread)])
                ++spread;
        if (source != nullptr && divideWidths)
            Table->SetCellBestWidth_(itemNo, source->BestWidth * source->ColSpan / (source->ColSpan + count),
                                     r, copyIndex);
        for (int i = 0; i < count; ++i) {
            Do_BeforeInsertCell(itemNo, r, index);
            Get(r)->Insert(index);
            if (source != nullptr) {
                Table->AssignCellAttributes(itemNo, r, index, source, true, source->ColSpan, 1);
                Do_SetSpan(itemNo, r, index, spread, false);
            }
        }
        if (spread > 1) {
            Do_BeforeInsertEmptyCells(itemNo, r + 1, index, count, spread - 1);
            Do_InsertEmptyCells(r + 1, index, count, spread - 1);
        }
        r += spread;
    }
    Bracket(itemNo, false);
}

void TRVTableRows::DeleteRows(int index, int count, bool divideHeights)
{
    const int rowCount = Count();
    if (index < 0 || index >= rowCount || count < 1 || (index == 0 && count > rowCount))
        BadIndex();
    count = std::min(count, rowCount - index);
    // Every row gone would leave a table without a grid: the table itself is
    // deleted instead, by the document holding it.
    if (count == rowCount)
        BadIndex();
    const int colCount = GetColCount();
    const int last = index + count - 1;
    const int itemNo = Table->GetEditorItemNoForUndo();
    Bracket(itemNo, true);
    // Cells that start in the deleted rows and reach below: their part below survives.
    if (last + 1 < rowCount)
        for (int c = colCount - 1; c >= 0;) {
            int mRow = 0;
            int mCol = 0;
            TRVTableCellData* cell = GetMainCell(last, c, mRow, mCol);
            if (mRow >= index && mRow + cell->RowSpan - 1 > last) {
                Do_BeforeSplitCellHorz(itemNo, mRow, mCol, last + 1, divideHeights);
                Do_SplitCellHorz(mRow, mCol, last + 1, divideHeights);
            }
            c = mCol - 1;
        }
    // Cells from above lose the deleted rows.
    for (int c = colCount - 1; c >= 0;) {
        int mRow = 0;
        int mCol = 0;
        TRVTableCellData* cell = GetMainCell(index, c, mRow, mCol);
        if (mRow < index) {
            const int oldSpan = cell->RowSpan;
            const int newSpan = mRow + oldSpan - 1 > last ? oldSpan - count : index - mRow;
            if (divideHeights)
                Table->SetCellBestHeight_(itemNo, cell->BestHeight * newSpan / oldSpan, mRow, mCol);
            Do_SetSpan(itemNo, mRow, mCol, newSpan, false);
        }
        c = mCol - 1;
    }
    TObject* record = Do_BeforeDeleteRows(itemNo, index, count);
    Do_DeleteRows(itemNo, index, count, record);
    Bracket(itemNo, false);
}

void TRVTableRows::DeleteCols(int index, int count, bool divideWidths)
{
    const int colCount = GetColCount();
    if (index < 0 || index >= colCount || count < 1 || (index == 0 && count > colCount))
        BadIndex();
    count = std::min(count, colCount - index);
    // Rows of no slots would break the grid: the table itself is deleted instead.
    if (count == colCount)
        BadIndex();
    const int rowCount = Count();
    const int last = index + count - 1;
    const int itemNo = Table->GetEditorItemNoForUndo();
    Bracket(itemNo, true);
    if (last + 1 < colCount)
        for (int r = rowCount - 1; r >= 0;) {
            int mRow = 0;
            int mCol = 0;
            TRVTableCellData* cell = GetMainCell(r, last, mRow, mCol);
            if (mCol >= index && mCol + cell->ColSpan - 1 > last) {
                Do_BeforeSplitCellVert(itemNo, mRow, mCol, last + 1, divideWidths);
                Do_SplitCellVert(mRow, mCol, last + 1, divideWidths);
            }
            r = mRow - 1;
        }
    for (int r = rowCount - 1; r >= 0;) {
        int mRow = 0;
        int mCol = 0;
        TRVTableCellData* cell = GetMainCell(r, index, mRow, mCol);
        if (mCol < index) {
            const int oldSpan = cell->ColSpan;
            const int newSpan = mCol + oldSpan - 1 > last ? oldSpan - count : index - mCol;
            if (divideWidths)
                Table->SetCellBestWidth_(itemNo, cell->BestWidth * newSpan / oldSpan, mRow, mCol);
            Do_SetSpan(itemNo, mRow, mCol, newSpan, true);
        }
        r = mRow - 1;
    }
    TObject* record = Do_BeforeDeleteCols(itemNo, index, count);
    Do_DeleteCols(itemNo, index, count, record);
    Bracket(itemNo, false);
}

// ---------------------------------------------------------------------------
// Merging

bool TRVTableRows::StartMergeCells(int row, int col, int& colSpan, int& rowSpan) const
{
    rowSpan = std::min(rowSpan, Count() - row);
    colSpan = std::min(colSpan, GetColCount() - col);
    if (colSpan < 2 && rowSpan < 2)
        return false;
    if (colSpan < 1 || rowSpan < 1)
        throw ERollViewError("Parameters for cell merging are not correct");
    const TRVTableCellData* cell = Get(row)->Get(col);
    if (cell == nullptr)
        return false;
    return cell->RowSpan < rowSpan || cell->ColSpan < colSpan;
}

bool TRVTableRows::CanMergeCells(int row, int col, int colSpan, int rowSpan, bool allowMergeRC) const
{
    if (!StartMergeCells(row, col, colSpan, rowSpan))
        return false;
    const TRVTableCellData* topLeft = Get(row)->Get(col);
    bool other = false;
    for (int r = row; r < row + rowSpan; ++r)
        for (int c = col; c < col + colSpan; ++c) {
            int mRow = 0;
            int mCol = 0;
            const TRVTableCellData* cell = GetMainCell(r, c, mRow, mCol);
            if (cell == nullptr || mRow < row || mCol < col || mRow + cell->RowSpan > row + rowSpan ||
                mCol + cell->ColSpan > col + colSpan)
                return false;
            other = other || cell != topLeft;
        }
    if (allowMergeRC)
        return other;
    const int last = Count() - 1;
    const int lastCol = GetColCount() - 1;
    if (colSpan > 1 && IsEmptyRows(0, col + 1, colSpan - 1, row, row + rowSpan, last - (row + rowSpan) + 1))
        return false;
    if (rowSpan > 1)
        return !IsEmptyCols(row + 1, 0, col, rowSpan - 1, col + colSpan, lastCol - (col + colSpan) + 1);
    return true;
}

void TRVTableRows::MergeCells(int row, int col, int colSpan, int rowSpan, bool allowMergeRC,
                              bool changeBestWidth)
{
    if (!StartMergeCells(row, col, colSpan, rowSpan))
        return;
    if (!CanMergeCells(row, col, colSpan, rowSpan, allowMergeRC)) {
        if (auto* data = dynamic_cast<TRVEditRVData*>(MainRVData))
            data->EditBeep();
        else if (MainRVData != nullptr)
            MainRVData->Beep();
        return;
    }
    const int itemNo = Table->GetEditorItemNoForUndo();
    TObject* record = Do_BeforeMergeCells(itemNo, row, col, colSpan, rowSpan);
    Do_MergeCells(itemNo, row, col, colSpan, rowSpan, record, changeBestWidth);
}

void TRVTableRows::UnmergeCell(int row, int col, bool unmergeRows, bool unmergeCols)
{
    const TRVTableCellData* cell = Get(row)->Get(col);
    if (cell == nullptr || !((unmergeRows && cell->RowSpan > 1) || (unmergeCols && cell->ColSpan > 1)))
        return;
    const int itemNo = Table->GetEditorItemNoForUndo();
    Do_BeforeUnmergeCell(itemNo, row, col, unmergeRows, unmergeCols);
    Do_UnmergeCell(row, col, unmergeRows, unmergeCols);
}

void TRVTableRows::UnmergeCells(int row, int col, int colSpan, int rowSpan, bool unmergeRows,
                                bool unmergeCols)
{
    for (int r = std::min(row + rowSpan, Count()) - 1; r >= row; --r)
        for (int c = std::min(col + colSpan, Get(r)->Count()) - 1; c >= col; --c)
            UnmergeCell(r, c, unmergeRows, unmergeCols);
}

// ---------------------------------------------------------------------------
// Clearing

void TRVTableRows::ClearCells(const TRVIntegerList& rowList, const TRVIntegerList& colList)
{
    // Only slots that hold a cell are cleared.
    TRVIntegerList rows;
    TRVIntegerList cols;
    for (int i = 0; i < std::min(rowList.Count(), colList.Count()); ++i) {
        const int r = rowList[i];
        const int c = colList[i];
        if (r >= 0 && r < Count() && c >= 0 && c < Get(r)->Count() && Get(r)->Get(c) != nullptr) {
            rows.Add(r);
            cols.Add(c);
        }
    }
    if (rows.Count() == 0)
        return;
    const int itemNo = Table->GetEditorItemNoForUndo();
    std::vector<TRVTableCellData*>* cellList = nullptr;
    TObject* record = Do_BeforeClearCells(itemNo, rows, cols, cellList);
    Do_ClearCells(cellList, rows, cols, record);
}
