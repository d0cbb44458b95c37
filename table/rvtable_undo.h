// The undo records of tables: each reverses one primitive step of the row
// list or one property change of the table, a cell or a row. A record finds
// its table by item number, records its opposite into the group the undo
// opened (so that redo plays the same way), performs the inverse and marks the
// table changed. Rows, cells and pictures a record keeps belong to it until
// its Undo hands them back; destroying the record frees what it still holds.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "edit/rvervdata.h"
#include "edit/rvundoprops.h"
#include "edit/rvundorecords.h"
#include "table/rvtable.h"
#include "view/rvback.h"

class TRVEditRVData;

// The base of the table's structural records: the item, and how far undoing
// it lays the document out again.
class TRVUndoTableProps : public TRVUndoModifyItemProps {
public:
    bool RequiresFormat() override { return true; }
    bool RequiresFullReformat1(TRVEditRVData*) override { return AffectWidth; }
    bool RequiresFullReformat2(TRVEditRVData*) override { return AffectWidth; }

protected:
    // The table the record is about, its cell editor closed; ERollViewError
    // when the item is no table.
    TRVTableItemInfo* Table(TRVEditRVData* rvData) const;
};

// Creates a record of class T in the open group of the document's recording
// list, or answers null when nothing records.
template <class T> T* AddTableUndoInfo(TRVEditRVData* rvData, int itemNo, bool affectSize, bool affectWidth)
{
    TRVUndoList* list = rvData != nullptr ? rvData->NoteEditAndGetUndoList() : nullptr;
    return list != nullptr
               ? AddModifyItemPropsRecord(list, std::make_unique<T>(), itemNo, affectSize, affectWidth)
               : nullptr;
}

// The editor data holding the table when it records undo, else null.
TRVEditRVData* TableUndoData(const TRVTableItemInfo* table);

// A copy of a picture in a background of its own; null for none.
std::unique_ptr<TRVBackground> KeepBackgroundImage(TGraphic* graphic);

// The table ItemNo of RVData; ERollViewError "Undo error" when the item is no table.
TRVTableItemInfo* RVUndoTable(TRVEditRVData* rvData, int itemNo);

// Where the cell of a cell property record lies: (Row, Col) of its table.
// The cell object may have been replaced since the record was made (a merge
// undone, rows put back): it is looked up again every time.
class TRVUndoCellPlace {
public:
    int Row = 0;
    int Col = 0;

protected:
    TPersistent* Cell(TRVEditRVData* rvData, int itemNo) const;
    // The table told that it changes, before the property is set back.
    static void TableChanging(TRVEditRVData* rvData, int itemNo);
    // The record that undoing made is about the same cell.
    void CopyPlaceTo(TRVUndoModifyItemProps* opposite) const;
};

// One integer property by name of the cell at (Row, Col); the table's own
// properties are recorded by the editor's TRVUndoModifyItemIntProperty.
class TRVUndoModifyCellIntProperty : public TRVUndoModifyItemIntProperty, public TRVUndoCellPlace {
public:
    void Undo(TRVEditRVData* rvData) override;
    std::unique_ptr<TRVUndoModifyItemIntProperty> CreateOpposite() const override;
    void SetOppositeUndoInfoProps(TRVUndoModifyItemProps* opposite) override { CopyPlaceTo(opposite); }
    TPersistent* GetSubObject(TRVEditRVData* rvData) override { return Cell(rvData, ItemNo); }
};

// Several integer properties by name of the cell at (Row, Col), set together.
class TRVUndoModifyCellIntProperties : public TRVUndoModifyItemIntProperties, public TRVUndoCellPlace {
public:
    void Undo(TRVEditRVData* rvData) override;
    std::unique_ptr<TRVUndoModifyItemIntProperties> CreateOpposite() const override;
    void SetOppositeUndoInfoProps(TRVUndoModifyItemProps* opposite) override { CopyPlaceTo(opposite); }
    TPersistent* GetSubObject(TRVEditRVData* rvData) override { return Cell(rvData, ItemNo); }
};

// One text property of the table by name (a separator of its plain text),
// that had the text Value; it changes nothing in the layout.
class TRVUndoTableStrProperty : public TRVUndoModifyItemProps {
public:
    AnsiString PropertyName;
    AnsiString Value;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoModifyCellVisibleBorders : public TRVUndoTableProps {
public:
    int Row = 0;
    int Col = 0;
    bool Left = true, Top = true, Right = true, Bottom = true;
    void Undo(TRVEditRVData* rvData) override;
};

// The picture a cell (or, with Row and Col -1, the table) had, kept as a copy
// in a background of its own; none when there was no picture.
class TRVUndoModifyBackgroundImage : public TRVUndoTableProps {
public:
    int Row = -1;
    int Col = -1;
    std::unique_ptr<TRVBackground> Kept;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoRowVAlign : public TRVUndoTableProps {
public:
    int Row = 0;
    TRVCellVAlign VAlign = rvcTop;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoInsertTableRows : public TRVUndoTableProps {
public:
    int Row = 0, Count = 0;
    bool Insert = false;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoInsertTableCell : public TRVUndoTableProps {
public:
    int Row = 0, Col = 0;
    bool Insert = false;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoSpreadOverEmptyCells : public TRVUndoTableProps {
public:
    int Row = 0, Col = 0, ColSpan = 1;
    bool Spread = false;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoSpan : public TRVUndoTableProps {
public:
    bool IsRowSpan = false;
    int Row = 0, Col = 0, Span = 1;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoFreeEmptyCell : public TRVUndoTableProps {
public:
    bool Free = false;
    int Row = 0, Col = 0, ColCount = 0, RowCount = 0;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoInsertEmptyCell : public TRVUndoTableProps {
public:
    bool Insert = false;
    int Row = 0, Col = 0, ColCount = 0, RowCount = 0;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoCellSpitHorz : public TRVUndoTableProps {
public:
    bool Split = false, DivideHeights = false;
    int Row = 0, Col = 0, NewRow = 0, OldBestHeight = 0;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoCellSpitVert : public TRVUndoTableProps {
public:
    bool Split = false, DivideWidths = false;
    int Row = 0, Col = 0, NewCol = 0, OldBestWidth = 0;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoDeleteRows : public TRVUndoTableProps {
public:
    ~TRVUndoDeleteRows() override;
    bool Delete = false;
    int Row = 0, Count = 0;
    std::vector<TRVTableRow*> Rows; // owned
    void Undo(TRVEditRVData* rvData) override;
};

class TCustomRVUndoWithCells : public TRVUndoTableProps {
public:
    ~TCustomRVUndoWithCells() override;
    bool Delete = false;
    std::vector<TRVTableCellData*> Cells; // owned; null entries for empty slots
};

class TRVUndoDeleteCols : public TCustomRVUndoWithCells {
public:
    int Col = 0, Count = 0;
    void Undo(TRVEditRVData* rvData) override;
};

// Delete set: clearing; else putting the kept contents back.
class TRVUndoCellsClear : public TCustomRVUndoWithCells {
public:
    TRVIntegerList RowList;
    TRVIntegerList ColList;
    void Undo(TRVEditRVData* rvData) override;
};

// A cell of a merged block other than its top-left one, with the number of
// items it gave the merged cell.
class TRVUndoMergeItem {
public:
    ~TRVUndoMergeItem();
    int Row = 0, Col = 0, ItemCount = 0;
    TRVTableCellData* Cell = nullptr; // owned while away from the table
};

class TRVUndoMerge : public TRVUndoTableProps {
public:
    bool Merge = false;
    int Row = 0, Col = 0, OldColSpan = 1, OldRowSpan = 1, OldBestWidth = 0, NewColSpan = 1, NewRowSpan = 1;
    bool ChangeBestWidth = false;
    std::vector<std::unique_ptr<TRVUndoMergeItem>> Items;
    void Undo(TRVEditRVData* rvData) override;
};

class TRVUndoUnmerge : public TRVUndoTableProps {
public:
    bool Unmerge = false, UnmergeRows = false, UnmergeCols = false;
    int Row = 0, Col = 0, OldColSpan = 1, OldRowSpan = 1, OldBestWidth = 0, OldBestHeight = 0;
    // The place and the directions of the unmerge, and the cell's spans and
    // best sizes before it.
    void NoteCell(int row, int col, bool unmergeRows, bool unmergeCols, const TRVTableCellData* cell);
    void Undo(TRVEditRVData* rvData) override;
};
