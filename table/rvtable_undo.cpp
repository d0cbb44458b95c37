// The table undo records: each records its opposite into the group the undo
// opened, then plays the inverse step on the table's row list.
#include "table/rvtable_undo.h"

#include "document/rvitem.h"
#include "platform/core/typinfo.h"

TRVTableItemInfo* RVUndoTable(TRVEditRVData* rvData, int itemNo)
{
    auto* table = dynamic_cast<TRVTableItemInfo*>(rvData->GetItem(itemNo));
    if (table == nullptr)
        throw ERollViewError("Undo error");
    return table;
}

TRVTableItemInfo* TRVUndoTableProps::Table(TRVEditRVData* rvData) const
{
    TRVTableItemInfo* table = RVUndoTable(rvData, ItemNo);
    // The record changes the grid or the cells' contents, which are all in
    // their cells only while no cell editor is open.
    table->DestroyInplace(true);
    return table;
}

// ---------------------------------------------------------------------------
// Properties

TPersistent* TRVUndoCellPlace::Cell(TRVEditRVData* rvData, int itemNo) const
{
    return RVUndoTable(rvData, itemNo)->GetCells(Row, Col);
}

void TRVUndoCellPlace::TableChanging(TRVEditRVData* rvData, int itemNo)
{
    RVUndoTable(rvData, itemNo)->Changed();
}

void TRVUndoCellPlace::CopyPlaceTo(TRVUndoModifyItemProps* opposite) const
{
    if (auto* place = dynamic_cast<TRVUndoCellPlace*>(opposite)) {
        place->Row = Row;
        place->Col = Col;
    }
}

void TRVUndoModifyCellIntProperty::Undo(TRVEditRVData* rvData)
{
    TableChanging(rvData, ItemNo);
    TRVUndoModifyItemIntProperty::Undo(rvData);
}

std::unique_ptr<TRVUndoModifyItemIntProperty> TRVUndoModifyCellIntProperty::CreateOpposite() const
{
    return std::make_unique<TRVUndoModifyCellIntProperty>();
}

void TRVUndoModifyCellIntProperties::Undo(TRVEditRVData* rvData)
{
    TableChanging(rvData, ItemNo);
    TRVUndoModifyItemIntProperties::Undo(rvData);
}

std::unique_ptr<TRVUndoModifyItemIntProperties> TRVUndoModifyCellIntProperties::CreateOpposite() const
{
    return std::make_unique<TRVUndoModifyCellIntProperties>();
}

void TRVUndoTableStrProperty::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = RVUndoTable(rvData, ItemNo);
    if (auto* o = AddTableUndoInfo<TRVUndoTableStrProperty>(rvData, ItemNo, false, false)) {
        o->PropertyName = PropertyName;
        o->Value = GetStrProp(table, PropertyName);
    }
    table->BeforeUndoChangeProperty();
    try {
        SetStrProp(table, PropertyName, Value);
    } catch (...) {
        table->AfterUndoChangeProperty();
        throw;
    }
    table->AfterUndoChangeProperty();
}

void TRVUndoModifyCellVisibleBorders::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    TRVBooleanRect* borders = table->GetCells(Row, Col)->VisibleBorders;
    if (auto* o = AddTableUndoInfo<TRVUndoModifyCellVisibleBorders>(rvData, ItemNo, false, false)) {
        o->Row = Row;
        o->Col = Col;
        o->Left = borders->Left();
        o->Top = borders->Top();
        o->Right = borders->Right();
        o->Bottom = borders->Bottom();
    }
    borders->SetValues(Left, Top, Right, Bottom);
    table->Changed();
}

std::unique_ptr<TRVBackground> KeepBackgroundImage(TGraphic* graphic)
{
    if (graphic == nullptr)
        return nullptr;
    auto kept = std::make_unique<TRVBackground>(false);
    kept->AssignImage(graphic, nullptr, true);
    return kept;
}

void TRVUndoModifyBackgroundImage::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    const bool ofTable = Row < 0 || Col < 0;
    TRVTableCellData* cell = ofTable ? nullptr : table->GetCells(Row, Col);
    TGraphic* current = ofTable ? table->GetBackgroundImage() : cell->GetBackgroundImage();
    if (auto* o = AddTableUndoInfo<TRVUndoModifyBackgroundImage>(rvData, ItemNo, false, false)) {
        o->Row = Row;
        o->Col = Col;
        o->Kept = KeepBackgroundImage(current);
    }
    TGraphic* graphic = Kept ? Kept->Image() : nullptr;
    if (ofTable) {
        table->BeforeUndoChangeProperty();
        table->SetBackgroundImage(graphic);
        table->AfterUndoChangeProperty();
    } else {
        cell->SetBackgroundImage_(graphic, true);
        table->Changed();
    }
    Kept.reset();
}

void TRVUndoRowVAlign::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    TRVTableRow* row = table->Rows->Get(Row);
    if (auto* o = AddTableUndoInfo<TRVUndoRowVAlign>(rvData, ItemNo, true, false)) {
        o->Row = Row;
        o->VAlign = row->VAlign;
    }
    row->VAlign = VAlign;
    table->Changed();
}

// ---------------------------------------------------------------------------
// Rows, slots and spans

void TRVUndoInsertTableRows::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    if (auto* o = AddTableUndoInfo<TRVUndoInsertTableRows>(rvData, ItemNo, true, true)) {
        o->Row = Row;
        o->Count = Count;
        o->Insert = !Insert;
    }
    if (Insert)
        table->Rows->Do_InsertRows(Row, Count);
    else
        table->Rows->Do_UnInsertRows(Row, Count);
    table->Changed();
}

void TRVUndoInsertTableCell::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    if (auto* o = AddTableUndoInfo<TRVUndoInsertTableCell>(rvData, ItemNo, true, true)) {
        o->Row = Row;
        o->Col = Col;
        o->Insert = !Insert;
    }
    if (Insert)
        table->Rows->Get(Row)->Insert(Col);
    else
        table->Rows->Get(Row)->Delete(Col);
    table->Changed();
}

void TRVUndoSpreadOverEmptyCells::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    if (auto* o = AddTableUndoInfo<TRVUndoSpreadOverEmptyCells>(rvData, ItemNo, true, true)) {
        o->Row = Row;
        o->Col = Col;
        o->ColSpan = ColSpan;
        o->Spread = !Spread;
    }
    if (Spread)
        table->Rows->Do_SpreadOverEmptyCells(Row, Col, ColSpan);
    else
        table->Rows->Do_UnSpreadOverEmptyCells(Row, Col, ColSpan);
    table->Changed();
}

void TRVUndoSpan::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    TRVTableCellData* cell = table->GetCells(Row, Col);
    int& span = IsRowSpan ? cell->RowSpan : cell->ColSpan;
    if (auto* o = AddTableUndoInfo<TRVUndoSpan>(rvData, ItemNo, true, true)) {
        o->IsRowSpan = IsRowSpan;
        o->Row = Row;
        o->Col = Col;
        o->Span = span;
    }
    span = Span;
    table->Changed();
}

void TRVUndoFreeEmptyCell::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    if (auto* o = AddTableUndoInfo<TRVUndoFreeEmptyCell>(rvData, ItemNo, true, true)) {
        o->Row = Row;
        o->Col = Col;
        o->ColCount = ColCount;
        o->RowCount = RowCount;
        o->Free = !Free;
    }
    if (Free)
        table->Rows->Do_FreeEmptyCells(Row, Col, ColCount, RowCount);
    else
        table->Rows->Do_UnFreeEmptyCells(Row, Col, ColCount, RowCount);
    table->Changed();
}

void TRVUndoInsertEmptyCell::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    if (auto* o = AddTableUndoInfo<TRVUndoInsertEmptyCell>(rvData, ItemNo, true, true)) {
        o->Row = Row;
        o->Col = Col;
        o->ColCount = ColCount;
        o->RowCount = RowCount;
        o->Insert = !Insert;
    }
    if (Insert)
        table->Rows->Do_InsertEmptyCells(Row, Col, ColCount, RowCount);
    else
        table->Rows->Do_UnInsertEmptyCells(Row, Col, ColCount, RowCount);
    table->Changed();
}

void TRVUndoCellSpitHorz::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    if (auto* o = AddTableUndoInfo<TRVUndoCellSpitHorz>(rvData, ItemNo, false, true)) {
        o->Row = Row;
        o->Col = Col;
        o->NewRow = NewRow;
        o->DivideHeights = DivideHeights;
        o->Split = !Split;
        o->OldBestHeight = table->GetCells(Row, Col)->BestHeight;
    }
    if (Split)
        table->Rows->Do_SplitCellHorz(Row, Col, NewRow, DivideHeights);
    else
        table->Rows->Do_UnSplitCellHorz(Row, Col, NewRow, OldBestHeight);
    table->Changed();
}

void TRVUndoCellSpitVert::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    if (auto* o = AddTableUndoInfo<TRVUndoCellSpitVert>(rvData, ItemNo, true, true)) {
        o->Row = Row;
        o->Col = Col;
        o->NewCol = NewCol;
        o->DivideWidths = DivideWidths;
        o->Split = !Split;
        o->OldBestWidth = table->GetCells(Row, Col)->BestWidth;
    }
    if (Split)
        table->Rows->Do_SplitCellVert(Row, Col, NewCol, DivideWidths);
    else
        table->Rows->Do_UnSplitCellVert(Row, Col, NewCol, OldBestWidth);
    table->Changed();
}

// ---------------------------------------------------------------------------
// Records that keep rows and cells

TRVUndoDeleteRows::~TRVUndoDeleteRows()
{
    for (TRVTableRow* row : Rows)
        delete row;
}

void TRVUndoDeleteRows::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    auto* o = AddTableUndoInfo<TRVUndoDeleteRows>(rvData, ItemNo, true, true);
    if (o != nullptr) {
        o->Row = Row;
        o->Count = Count;
        o->Delete = !Delete;
    }
    if (Delete)
        table->Rows->Do_DeleteRows(o != nullptr ? ItemNo : -1, Row, Count, reinterpret_cast<TObject*>(o));
    else
        table->Rows->Do_UnDeleteRows(Row, Rows);
    table->Changed();
}

TCustomRVUndoWithCells::~TCustomRVUndoWithCells()
{
    for (TRVTableCellData* cell : Cells)
        delete cell;
}

void TRVUndoDeleteCols::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    auto* o = AddTableUndoInfo<TRVUndoDeleteCols>(rvData, ItemNo, true, true);
    if (o != nullptr) {
        o->Col = Col;
        o->Count = Count;
        o->Delete = !Delete;
    }
    if (Delete)
        table->Rows->Do_DeleteCols(o != nullptr ? ItemNo : -1, Col, Count, reinterpret_cast<TObject*>(o));
    else
        table->Rows->Do_UnDeleteCols(Col, Cells);
    table->Changed();
}

void TRVUndoCellsClear::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    auto* o = AddTableUndoInfo<TRVUndoCellsClear>(rvData, ItemNo, true, true);
    if (o != nullptr) {
        o->RowList.Assign(&RowList);
        o->ColList.Assign(&ColList);
        o->Delete = !Delete;
    }
    if (Delete)
        table->Rows->Do_ClearCells(o != nullptr ? &o->Cells : nullptr, RowList, ColList,
                                   reinterpret_cast<TObject*>(o));
    else
        table->Rows->Do_UnClearCells(Cells, RowList, ColList);
    table->Changed();
}

TRVUndoMergeItem::~TRVUndoMergeItem()
{
    delete Cell;
}

void TRVUndoMerge::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    auto* o = AddTableUndoInfo<TRVUndoMerge>(rvData, ItemNo, true, true);
    if (o != nullptr) {
        o->Row = Row;
        o->Col = Col;
        o->OldColSpan = OldColSpan;
        o->OldRowSpan = OldRowSpan;
        o->OldBestWidth = OldBestWidth;
        o->NewColSpan = NewColSpan;
        o->NewRowSpan = NewRowSpan;
        o->ChangeBestWidth = ChangeBestWidth;
        o->Merge = !Merge;
    }
    if (Merge)
        table->Rows->Do_MergeCells(o != nullptr ? ItemNo : -1, Row, Col, NewColSpan, NewRowSpan,
                                   reinterpret_cast<TObject*>(o), ChangeBestWidth);
    else
        table->Rows->Do_UndoMergeCells(Row, Col, OldColSpan, OldRowSpan, reinterpret_cast<TObject*>(this),
                                       OldBestWidth);
    table->Changed();
}

void TRVUndoUnmerge::NoteCell(int row, int col, bool unmergeRows, bool unmergeCols,
                              const TRVTableCellData* cell)
{
    Row = row;
    Col = col;
    UnmergeRows = unmergeRows;
    UnmergeCols = unmergeCols;
    OldColSpan = cell->ColSpan;
    OldRowSpan = cell->RowSpan;
    OldBestWidth = cell->BestWidth;
    OldBestHeight = cell->BestHeight;
}

void TRVUndoUnmerge::Undo(TRVEditRVData* rvData)
{
    TRVTableItemInfo* table = Table(rvData);
    if (auto* o = AddTableUndoInfo<TRVUndoUnmerge>(rvData, ItemNo, true, true)) {
        o->NoteCell(Row, Col, UnmergeRows, UnmergeCols, table->GetCells(Row, Col));
        o->Unmerge = !Unmerge;
    }
    if (Unmerge)
        table->Rows->Do_UnmergeCell(Row, Col, UnmergeRows, UnmergeCols);
    else
        table->Rows->Do_UndoUnmergeCell(Row, Col, OldColSpan, OldRowSpan, OldBestWidth, OldBestHeight);
    table->Changed();
}
