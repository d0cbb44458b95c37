// The primitive steps of the row list: each before-step records the undo
// record that reverses the do-step that follows it, when the table records.
#include <algorithm>

#include "document/rvitem.h"
#include "edit/rvervdata.h"
#include "table/rvtable.h"
#include "table/rvtable_axis.h"
#include "table/rvtable_undo.h"

TRVEditRVData* TableUndoData(const TRVTableItemInfo* table)
{
    TRVEditRVData* data = table != nullptr ? table->GetInsertedEditData() : nullptr;
    return data != nullptr && data->NoteEditAndGetUndoList() != nullptr ? data : nullptr;
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

int TRVTableRows::BeginGridChange()
{
    Table->DestroyInplace(true);
    // Whoever lays the document out next lays the table out anew (a table
    // in a cell too, whose cell's table lays it out only when marked).
    Table->Changed();
    return Table->GetEditorItemNoForUndo();
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
    Do_SplitCellAlong(true, row, col, newRow, divideHeights);
}

void TRVTableRows::Do_UnSplitCellHorz(int row, int col, int newRow, int oldBestHeight)
{
    Do_UnSplitCellAlong(true, row, col, newRow, oldBestHeight);
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
    Do_SplitCellAlong(false, row, col, newCol, divideWidths);
}

void TRVTableRows::Do_UnSplitCellVert(int row, int col, int newCol, int oldBestWidth)
{
    Do_UnSplitCellAlong(false, row, col, newCol, oldBestWidth);
}

// The cell at (Row, Col) keeps its lines before NewLine along the axis; a
// copy of its attributes takes the rest, with its share of the best size.
void TRVTableRows::Do_SplitCellAlong(bool rows, int row, int col, int newLine, bool divideSizes)
{
    const TRVTableAxis axis{rows};
    const int line = rows ? row : col;
    const int across = rows ? col : row;
    TRVTableCellData* cell = Get(row)->Get(col);
    TRVTableRow* home = Get(axis.Row(newLine, across));
    auto* part = new TRVTableCellData(home);
    part->AssignAttributesFrom(cell, true, 1, 1);
    axis.CrossSpan(part) = axis.CrossSpan(cell);
    axis.Span(part) = line + axis.Span(cell) - newLine;
    axis.BestSize(part) = axis.BestSize(cell) * axis.Span(part) / axis.Span(cell);
    home->Put(axis.Col(newLine, across), part);
    if (divideSizes)
        axis.BestSize(cell) = (axis.Span(cell) - axis.Span(part)) * axis.BestSize(cell) / axis.Span(cell);
    axis.Span(cell) -= axis.Span(part);
}

void TRVTableRows::Do_UnSplitCellAlong(bool rows, int row, int col, int newLine, int oldBestSize)
{
    const TRVTableAxis axis{rows};
    const int across = rows ? col : row;
    TRVTableCellData* cell = Get(row)->Get(col);
    axis.BestSize(cell) = oldBestSize;
    axis.Span(cell) += axis.Span(axis.Cell(*this, newLine, across));
    Get(axis.Row(newLine, across))->Put(axis.Col(newLine, across), nullptr);
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
                cell->SetList(row);
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
