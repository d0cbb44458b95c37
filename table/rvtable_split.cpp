// Splitting cells into several columns or rows: a cell is unmerged first;
// missing parts come from copied columns (rows) whose cells in the other rows
// (columns) are merged back, surplus parts are merged into groups.
#include <algorithm>

#include "table/rvtable.h"
#include "table/rvtable_axis.h"

namespace {

// Merges the block at (line, across) of LineSpan lines and AcrossSpan slots.
void MergeAlong(TRVTableRows& rows, const TRVTableAxis& axis, int line, int across, int lineSpan,
                int acrossSpan)
{
    rows.MergeCells(axis.Row(line, across), axis.Col(line, across), axis.Col(lineSpan, acrossSpan),
                    axis.Row(lineSpan, acrossSpan), true, true);
}

} // namespace

int TRVTableRows::SplitCellVertically(int row, int col, int colCount)
{
    return SplitCellAlong(false, row, col, colCount);
}

int TRVTableRows::SplitCellHorizontally(int row, int col, int rowCount)
{
    return SplitCellAlong(true, row, col, rowCount);
}

int TRVTableRows::SplitCellsHorizontally(int row, int col, int colSpan, int rowSpan, int rowCount)
{
    return SplitCellsAlong(true, row, col, colSpan, rowSpan, rowCount);
}

int TRVTableRows::SplitCellsVertically(int row, int col, int colSpan, int rowSpan, int colCount)
{
    return SplitCellsAlong(false, row, col, colSpan, rowSpan, colCount);
}

// Splits the cell at (Row, Col) into Count lines along the axis; returns the
// number of lines added to the table.
int TRVTableRows::SplitCellAlong(bool rows, int row, int col, int count)
{
    const TRVTableAxis axis{rows};
    TRVTableCellData* cell = Get(row)->Get(col);
    if (cell == nullptr || count <= 1)
        return 0;
    const TRVTableOperation running(Table);
    const TRVTableStep step(Table);
    const int line = rows ? row : col;
    const int across = rows ? col : row;
    const int n = axis.Span(cell);
    if (n > 1)
        UnmergeCell(row, col, rows, !rows);
    if (n < count) {
        int k = count;
        int m = n;
        for (int l = line + n - 1; l >= line; --l) {
            const int q = k / m;
            if (q > 1) {
                if (rows)
                    InsertRows(l, q - 1, l, true);
                else
                    InsertCols(l, q - 1, l, true);
                // Only this cell is split: the copies in the other lines join their originals.
                for (int a = axis.CrossCount(*this) - 1; a >= 0;) {
                    int mLine = 0;
                    int mAcross = 0;
                    TRVTableCellData* main = axis.MainCell(*this, l, a, mLine, mAcross);
                    if (mAcross != across) {
                        int eLine = 0;
                        int eAcross = 0;
                        TRVTableCellData* end = axis.MainCell(*this, l + q - 1, mAcross, eLine, eAcross);
                        MergeAlong(*this, axis, mLine, mAcross, eLine + axis.Span(end) - mLine,
                                   axis.CrossSpan(main));
                    }
                    a = mAcross - 1;
                }
            }
            k -= q;
            m -= 1;
        }
        return count - n;
    }
    int m = n;
    int k = count;
    for (int l = line + n - 1; k > 0 && l >= line;) {
        const int g = m / k;
        const int first = l - g + 1;
        MergeAlong(*this, axis, first, across, g, axis.CrossSpan(axis.Cell(*this, first, across)));
        m -= g;
        k -= 1;
        l = first - 1;
    }
    return 0;
}

// Splits every cell of the block into Count lines along the axis, from the
// last line up; a cell after one that added lines first grows over them.
int TRVTableRows::SplitCellsAlong(bool rows, int row, int col, int colSpan, int rowSpan, int count)
{
    const TRVTableAxis axis{rows};
    const int line = rows ? row : col;
    const int lineSpan = rows ? rowSpan : colSpan;
    const int across = rows ? col : row;
    const int acrossSpan = rows ? colSpan : rowSpan;
    const TRVTableOperation running(Table);
    const TRVTableStep step(Table);
    int total = 0;
    for (int l = line + lineSpan - 1; l >= line; --l) {
        int added = 0;
        for (int a = across; a < across + acrossSpan && a < axis.SlotsOf(*this, l); ++a) {
            TRVTableCellData* cell = axis.Cell(*this, l, a);
            if (cell == nullptr)
                continue;
            if (added > 0) {
                int k = 0;
                for (int i = l + 1; i <= l + added && i < axis.LinesAt(*this, a); ++i)
                    if (axis.Cell(*this, i, a) != nullptr)
                        ++k;
                if (k > 0)
                    MergeAlong(*this, axis, l, a, axis.Span(cell) + k, axis.CrossSpan(cell));
            }
            added += SplitCellAlong(rows, axis.Row(l, a), axis.Col(l, a), count);
        }
        total += added;
    }
    return total;
}
