// Inserting and deleting rows and columns, merging, unmerging and clearing
// cells: the operations of the row list built from its primitive steps.
#include <algorithm>
#include <vector>

#include "edit/rvervdata.h"
#include "table/rvtable.h"
#include "table/rvtable_axis.h"

namespace {

[[noreturn]] void BadIndex()
{
    throw ERollViewError("Invalid row or column index");
}

} // namespace

void TRVTableRows::InsertRows(int index, int count, int copyIndex, bool divideHeights)
{
    InsertLines(true, index, count, copyIndex, divideHeights);
}

void TRVTableRows::InsertCols(int index, int count, int copyIndex, bool divideWidths)
{
    InsertLines(false, index, count, copyIndex, divideWidths);
}

void TRVTableRows::DeleteRows(int index, int count, bool divideHeights)
{
    DeleteLines(true, index, count, divideHeights);
}

void TRVTableRows::DeleteCols(int index, int count, bool divideWidths)
{
    DeleteLines(false, index, count, divideWidths);
}

// Inserts Count lines before Index, copying the attributes of line CopyIndex
// (-1: plain new cells). The row list holds rows, so new rows go in whole
// before their slots are filled, while a new column is put into each row in turn.
void TRVTableRows::InsertLines(bool rows, int index, int count, int copyIndex, bool divideSizes)
{
    const TRVTableAxis axis{rows};
    const int lineCount = axis.LineCount(*this);
    if (index < 0 || index > lineCount || copyIndex < -1 || copyIndex > lineCount - 1)
        BadIndex();
    if (count < 1)
        return;
    const int crossCount = axis.CrossCount(*this);
    const TRVTableOperation running(Table);
    const TRVTableStep step(Table);
    const int itemNo = BeginGridChange();
    Bracket(itemNo, true);
    // Slots across whose new lines a cell from before covers: it grows by Count lines.
    std::vector<bool> covered(static_cast<size_t>(crossCount), false);
    if (index != lineCount)
        for (int a = crossCount - 1; a >= 0;) {
            int mLine = 0;
            int mAcross = 0;
            TRVTableCellData* cell = axis.MainCell(*this, index, a, mLine, mAcross);
            if (mLine < index) {
                for (int k = mAcross; k < mAcross + axis.CrossSpan(cell); ++k)
                    covered[static_cast<size_t>(k)] = true;
                Do_SetSpan(itemNo, axis.Row(mLine, mAcross), axis.Col(mLine, mAcross),
                           axis.Span(cell) + count, !rows);
            }
            a = mAcross - 1;
        }
    if (rows) {
        if (copyIndex >= index)
            copyIndex += count;
        Do_BeforeInsertRows(itemNo, index, count);
        Do_InsertRows(index, count);
    }
    for (int a = 0; a < crossCount;) {
        if (covered[static_cast<size_t>(a)]) {
            // The covering cell takes these slots: they stay empty.
            if (rows) {
                Do_BeforeFreeEmptyCells(itemNo, index, a, 1, count);
                Do_FreeEmptyCells(index, a, 1, count);
            } else {
                Do_BeforeInsertEmptyCells(itemNo, a, index, count, 1);
                Do_InsertEmptyCells(a, index, count, 1);
            }
            ++a;
            continue;
        }
        TRVTableCellData* source = copyIndex >= 0 ? axis.Cell(*this, copyIndex, a) : nullptr;
        // The copies spread as the source does, but never over a slot that a
        // cell from before covers.
        int spread = 1;
        if (source != nullptr)
            while (spread < axis.CrossSpan(source) && a + spread < crossCount &&
                   !covered[static_cast<size_t>(a + spread)])
                ++spread;
        if (source != nullptr && divideSizes) {
            const int share = axis.BestSize(source) * axis.Span(source) / (axis.Span(source) + count);
            if (rows)
                Table->SetCellBestHeight_(itemNo, share, copyIndex, a);
            else
                Table->SetCellBestWidth_(itemNo, share, a, copyIndex);
        }
        for (int i = 0; i < count; ++i) {
            const int row = axis.Row(index + i, a);
            const int col = axis.Col(index + i, a);
            if (!rows) {
                // Every copy goes in at Index: the column opens one slot at a time.
                Do_BeforeInsertCell(itemNo, a, index);
                Get(a)->Insert(index);
            }
            if (source == nullptr)
                continue;
            const int span = axis.Span(source);
            Table->AssignCellAttributes(itemNo, row, rows ? col : index, source, true, axis.Col(span, 1),
                                        axis.Row(span, 1));
            if (rows && spread > 1) {
                Do_BeforeSpreadOverEmptyCells(itemNo, row, col, spread);
                Do_SpreadOverEmptyCells(row, col, spread);
            } else if (!rows) {
                Do_SetSpan(itemNo, a, index, spread, false);
            }
        }
        if (!rows && spread > 1) {
            Do_BeforeInsertEmptyCells(itemNo, a + 1, index, count, spread - 1);
            Do_InsertEmptyCells(a + 1, index, count, spread - 1);
        }
        a += spread;
    }
    Bracket(itemNo, false);
}

// Deletes Count lines from Index on. Cells that start in them and reach
// beyond are split first, so that their part beyond survives; cells from
// before lose the deleted lines.
void TRVTableRows::DeleteLines(bool rows, int index, int count, bool divideSizes)
{
    const TRVTableAxis axis{rows};
    const int lineCount = axis.LineCount(*this);
    if (index < 0 || index >= lineCount || count < 1 || (index == 0 && count > lineCount))
        BadIndex();
    // Every line may go: the table is then empty (deleting every column
    // leaves its rows without slots), and is laid out as its border.
    count = std::min(count, lineCount - index);
    const int crossCount = axis.CrossCount(*this);
    const int last = index + count - 1;
    const TRVTableOperation running(Table);
    const TRVTableStep step(Table);
    const int itemNo = BeginGridChange();
    Bracket(itemNo, true);
    if (last + 1 < lineCount)
        for (int a = crossCount - 1; a >= 0;) {
            int mLine = 0;
            int mAcross = 0;
            TRVTableCellData* cell = axis.MainCell(*this, last, a, mLine, mAcross);
            if (mLine >= index && mLine + axis.Span(cell) - 1 > last) {
                const int mRow = axis.Row(mLine, mAcross);
                const int mCol = axis.Col(mLine, mAcross);
                if (rows)
                    Do_BeforeSplitCellHorz(itemNo, mRow, mCol, last + 1, divideSizes);
                else
                    Do_BeforeSplitCellVert(itemNo, mRow, mCol, last + 1, divideSizes);
                Do_SplitCellAlong(rows, mRow, mCol, last + 1, divideSizes);
            }
            a = mAcross - 1;
        }
    for (int a = crossCount - 1; a >= 0;) {
        int mLine = 0;
        int mAcross = 0;
        TRVTableCellData* cell = axis.MainCell(*this, index, a, mLine, mAcross);
        if (mLine < index) {
            const int mRow = axis.Row(mLine, mAcross);
            const int mCol = axis.Col(mLine, mAcross);
            const int oldSpan = axis.Span(cell);
            const int newSpan = mLine + oldSpan - 1 > last ? oldSpan - count : index - mLine;
            if (divideSizes) {
                const int share = axis.BestSize(cell) * newSpan / oldSpan;
                if (rows)
                    Table->SetCellBestHeight_(itemNo, share, mRow, mCol);
                else
                    Table->SetCellBestWidth_(itemNo, share, mRow, mCol);
            }
            Do_SetSpan(itemNo, mRow, mCol, newSpan, !rows);
        }
        a = mAcross - 1;
    }
    if (rows) {
        TObject* record = Do_BeforeDeleteRows(itemNo, index, count);
        Do_DeleteRows(itemNo, index, count, record);
    } else {
        TObject* record = Do_BeforeDeleteCols(itemNo, index, count);
        Do_DeleteCols(itemNo, index, count, record);
    }
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
    const TRVTableOperation running(Table);
    const TRVTableStep step(Table);
    const int itemNo = BeginGridChange();
    TObject* record = Do_BeforeMergeCells(itemNo, row, col, colSpan, rowSpan);
    Do_MergeCells(itemNo, row, col, colSpan, rowSpan, record, changeBestWidth);
}

void TRVTableRows::UnmergeCell(int row, int col, bool unmergeRows, bool unmergeCols)
{
    const TRVTableCellData* cell = Get(row)->Get(col);
    if (cell == nullptr || !((unmergeRows && cell->RowSpan > 1) || (unmergeCols && cell->ColSpan > 1)))
        return;
    const TRVTableOperation running(Table);
    const TRVTableStep step(Table);
    const int itemNo = BeginGridChange();
    Do_BeforeUnmergeCell(itemNo, row, col, unmergeRows, unmergeCols);
    Do_UnmergeCell(row, col, unmergeRows, unmergeCols);
}

void TRVTableRows::UnmergeCells(int row, int col, int colSpan, int rowSpan, bool unmergeRows,
                                bool unmergeCols)
{
    const TRVTableOperation running(Table);
    const TRVTableStep step(Table);
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
    const TRVTableOperation running(Table);
    const TRVTableStep step(Table);
    const int itemNo = BeginGridChange();
    std::vector<TRVTableCellData*>* cellList = nullptr;
    TObject* record = Do_BeforeClearCells(itemNo, rows, cols, cellList);
    Do_ClearCells(cellList, rows, cols, record);
}
