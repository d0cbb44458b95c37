#pragma once
// One direction of the table's grid, so that an algorithm on rows and its twin
// on columns are written once: positions are (line, across) pairs, where a line
// is a row when the axis runs along rows and a column otherwise.
#include "table/rvtable.h"

struct TRVTableAxis {
    // True: lines are rows (the row index counts them); false: lines are columns.
    bool Rows;

    int Row(int line, int across) const { return Rows ? line : across; }
    int Col(int line, int across) const { return Rows ? across : line; }

    // The span and the best size measured along the axis, and the span across it.
    int& Span(TRVTableCellData* cell) const { return Rows ? cell->RowSpan : cell->ColSpan; }
    int& CrossSpan(TRVTableCellData* cell) const { return Rows ? cell->ColSpan : cell->RowSpan; }
    int& BestSize(TRVTableCellData* cell) const { return Rows ? cell->BestHeight : cell->BestWidth; }

    // Number of lines of the grid, and of slots across it.
    int LineCount(const TRVTableRows& rows) const { return Rows ? rows.Count() : rows.GetColCount(); }
    int CrossCount(const TRVTableRows& rows) const { return Rows ? rows.GetColCount() : rows.Count(); }
    // The same counts read from the row list itself: the slots of one row, or the rows.
    int LinesAt(const TRVTableRows& rows, int across) const
    {
        return Rows ? rows.Count() : rows.Get(across)->Count();
    }
    int SlotsOf(const TRVTableRows& rows, int line) const
    {
        return Rows ? rows.Get(line)->Count() : rows.Count();
    }

    TRVTableCellData* Cell(const TRVTableRows& rows, int line, int across) const
    {
        return rows.Get(Row(line, across))->Get(Col(line, across));
    }
    TRVTableCellData* MainCell(const TRVTableRows& rows, int line, int across, int& mLine, int& mAcross) const
    {
        int mRow = 0;
        int mCol = 0;
        TRVTableCellData* cell = rows.GetMainCell(Row(line, across), Col(line, across), mRow, mCol);
        mLine = Rows ? mRow : mCol;
        mAcross = Rows ? mCol : mRow;
        return cell;
    }
};
