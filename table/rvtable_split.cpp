// Splitting cells into several columns or rows: a cell is unmerged first;
// missing parts come from copied columns (rows) whose cells in the other rows
// (columns) are merged back, surplus parts are merged into groups.
#include <algorithm>

#include "table/rvtable.h"

int TRVTableRows::SplitCellVertically(int row, int col, int colCount)
{
    TRVTableCellData* cell = Get(row)->Get(col);
    if (cell == nullptr || colCount <= 1)
        return 0;
    const int n = cell->ColSpan;
    if (n > 1)
        UnmergeCell(row, col, false, true);
    if (n < colCount) {
        int k = colCount;
        int m = n;
        for (int c = col + n - 1; c >= col; --c) {
            const int q = k / m;
            if (q > 1) {
                InsertCols(c, q - 1, c, true);
                // Only this cell is split: the copies in the other rows join their originals.
                for (int r = Count() - 1; r >= 0;) {
                    int mRow = 0;
                    int mCol = 0;
                    TRVTableCellData* main = GetMainCell(r, c, mRow, mCol);
                    if (mRow != row) {
                        int eRow = 0;
                        int eCol = 0;
                        const TRVTableCellData* end = GetMainCell(mRow, c + q - 1, eRow, eCol);
                        MergeCells(mRow, mCol, eCol + end->ColSpan - mCol, main->RowSpan, true, true);
                    }
                    r = mRow - 1;
                }
            }
            k -= q;
            m -= 1;
        }
        return colCount - n;
    }
    int m = n;
    int k = colCount;
    for (int c = col + n - 1; k > 0 && c >= col;) {
        const int g = m / k;
        const int first = c - g + 1;
        MergeCells(row, first, g, Get(row)->Get(first)->RowSpan, true, true);
        m -= g;
        k -= 1;
        c = first - 1;
    }
    return 0;
}

int TRVTableRows::SplitCellHorizontally(int row, int col, int rowCount)
{
    TRVTableCellData* cell = Get(row)->Get(col);
    if (cell == nullptr || rowCount <= 1)
        return 0;
    const int n = cell->RowSpan;
    if (n > 1)
        UnmergeCell(row, col, true, false);
    if (n < rowCount) {
        int k = rowCount;
        int m = n;
        for (int r = row + n - 1; r >= row; --r) {
            const int q = k / m;
            if (q > 1) {
                InsertRows(r, q - 1, r, true);
                for (int c = GetColCount() - 1; c >= 0;) {
                    int mRow = 0;
                    int mCol = 0;
                    TRVTableCellData* main = GetMainCell(r, c, mRow, mCol);
                    if (mCol != col) {
                        int eRow = 0;
                        int eCol = 0;
                        const TRVTableCellData* end = GetMainCell(r + q - 1, mCol, eRow, eCol);
                        MergeCells(mRow, mCol, main->ColSpan, eRow + end->RowSpan - mRow, true, true);
                    }
                    c = mCol - 1;
                }
            }
            k -= q;
            m -= 1;
        }
        return rowCount - n;
    }
    int m = n;
    int k = rowCount;
    for (int r = row + n - 1; k > 0 && r >= row;) {
        const int g = m / k;
        const int first = r - g + 1;
        MergeCells(first, col, Get(first)->Get(col)->ColSpan, g, true, true);
        m -= g;
        k -= 1;
        r = first - 1;
    }
    return 0;
}

int TRVTableRows::SplitCellsHorizontally(int row, int col, int colSpan, int rowSpan, int rowCount)
{
    int total = 0;
    for (int r = row + rowSpan - 1; r >= row; --r) {
        int added = 0;
        for (int c = col; c < col + colSpan && c < Get(r)->Count(); ++c) {
            TRVTableCellData* cell = Get(r)->Get(c);
            if (cell == nullptr)
                continue;
            if (added > 0) {
                int k = 0;
                for (int i = r + 1; i <= r + added && i < Count(); ++i)
                    if (Get(i)->Get(c) != nullptr)
                        ++k;
                if (k > 0)
                    MergeCells(r, c, cell->ColSpan, cell->RowSpan + k, true, true);
            }
            added += SplitCellHorizontally(r, c, rowCount);
        }
        total += added;
    }
    return total;
}

int TRVTableRows::SplitCellsVertically(int row, int col, int colSpan, int rowSpan, int colCount)
{
    int total = 0;
    for (int c = col + colSpan - 1; c >= col; --c) {
        int added = 0;
        for (int r = row; r < row + rowSpan && r < Count(); ++r) {
            TRVTableCellData* cell = Get(r)->Get(c);
            if (cell == nullptr)
                continue;
            if (added > 0) {
                int k = 0;
                for (int i = c + 1; i <= c + added && i < Get(r)->Count(); ++i)
                    if (Get(r)->Get(i) != nullptr)
                        ++k;
                if (k > 0)
                    MergeCells(r, c, cell->ColSpan + k, cell->RowSpan, true, true);
            }
            added += SplitCellVertically(r, c, colCount);
        }
        total += added;
    }
    return total;
}
