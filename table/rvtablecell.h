// Table cells and rows: the cell (a sub-document) with the measures layout
// asks of it, the row, and the row list with the column measures and the
// structural operations on the grid (implemented in the rvtable_*.cpp units).
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "document/rvdrawline.h"
#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "document/rvstyle_para.h"
#include "edit/rollviewedit.h"
#include "platform/core/component.h"
#include "table/rvdatalist.h"
#include "view/dlines.h"
#include "view/rvback.h"

class TRVTableItemInfo;
class TRVTableRow;
class TRVTableRows;
class TRVTableCellData;
class TRVSaveAnswers;

// A wanted width: above 0 pixels, below 0 a percentage (-50 is 50 %), 0 automatic.
using TRVHTMLLength = int;

enum TRVCellVAlign { rvcTop, rvcMiddle, rvcBottom, rvcVDefault };

// What a kept measure of a document was taken for: the document's change
// count, the style sheet with its change count, and the units of the device
// (all 0 for the screen). The measure stands while the key made now equals
// the kept one.
struct TRVMeasureKey {
    uint64_t Changes = 0;
    uint64_t StyleChanges = 0;
    const TRVStyle* Style = nullptr;
    int DevicePpiX = 0;
    int ScreenPpiX = 0;
    bool HasSad = false;

    TRVMeasureKey() = default;
    TRVMeasureKey(uint64_t changes, const TRVStyle* style, const TRVScreenAndDevice* sad)
        : Changes(changes), StyleChanges(style != nullptr ? style->ChangeCount() : 0), Style(style),
          DevicePpiX(sad != nullptr ? sad->DevicePpiX : 0), ScreenPpiX(sad != nullptr ? sad->ScreenPpiX : 0),
          HasSad(sad != nullptr)
    {}
    bool operator==(const TRVMeasureKey& other) const
    {
        return Changes == other.Changes && StyleChanges == other.StyleChanges && Style == other.Style &&
               DevicePpiX == other.DevicePpiX && ScreenPpiX == other.ScreenPpiX && HasSad == other.HasSad;
    }
    bool operator!=(const TRVMeasureKey& other) const { return !(*this == other); }
};

// One cell: a sub-document owned by its row. Left, Top, Width and Height are
// the cell's rectangle relative to the table, padding included, written by the
// table's layout. RowSpan and ColSpan above 1 make a merged cell whose covered
// slots are null. A new cell holds one empty text line.
class TRVTableCellData : public TRVItemFormattedData {
public:
    explicit TRVTableCellData(TRVTableRow* aRow);
    ~TRVTableCellData() override;
    const char* ClassName() const override { return "TRVTableCellData"; }
    const TPropertyTable* PropertyTable() const override;
    // "Data" (the document as RVF) and "BackgroundImg" (class name and picture).
    void DefineProperties(TFiler* filer) override;

    TColor Color = clNone;
    TRVCellVAlign VAlign = rvcVDefault;
    TRVHTMLLength BestWidth = 0;
    int BestHeight = 0;
    int RowSpan = 1;
    int ColSpan = 1;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

private:
    // Next to the rectangle, which the table's layout reads with them for
    // every cell: the kept minimum width and what it was measured for, and
    // what the last layout made by FormatIfStale was made for.
    TRVMeasureKey FMinWidthKey;
    int FMinWidth = 0;
    bool FMinWidthValid = false;
    bool FLaidOut = false;
    int FLaidOutWidth = 0;
    int FLaidOutHeight = 0;
    // Laid out for no device: the key's units stay 0.
    TRVMeasureKey FLaidOutKey;
    // The layout of a cell whose items are lent to an editor for an operation
    // that changes one item alone (a table in the cell), kept aside with how
    // many items were lent; once as many are back, the layout and minimum
    // width waiting for that item alone (while the cell stays as wide).
    struct TRVKeptLayout {
        int ItemNo = -1;
        int ItemCount = 0;
        TRVDrawLines DrawItems;
        int DocumentHeight = 0;
        int Width = 0;
        // While lent, the key of the layout kept; once back, the cell's key
        // then: what waits stands only while nothing else changed since.
        TRVMeasureKey Key;
        bool Back = false;
        bool LayoutWaits = false;
        // The minimum widths of the cell and of the item's section before.
        bool MinWidthWaits = false;
        int MinWidth = 0;
        int ItemMinWidth = 0;
    };
    std::unique_ptr<TRVKeptLayout> FKept;

public:
    TRVBooleanRect* VisibleBorders;
    TColor BorderColor = clNone;
    TColor BorderLightColor = clNone;
    std::unique_ptr<TRVBackground> Background;
    // Set while the cell is kept by an undo record, away from its table.
    TObject* UndoInfo = nullptr;

    TRVTableRow* GetRow() const;
    // Null while the cell is away from a table.
    TRVTableItemInfo* GetTable() const;
    // The document really edited: the in-place editor's while it edits this cell.
    TCustomRVData* GetRVData() override;
    // The in-place editor while it edits this cell, else null.
    TWinControl* GetEditor() override;
    TCustomRVFormattedData* GetFormattedRVData();
    // Opens the table's in-place editor on this cell unless it edits it
    // already; the document really edited afterwards.
    TCustomRVData* Edit() override;
    bool IsTransparent() const { return Color == clNone; }

    // An in-place editor of this cell takes the colour the cell is now painted with.
    void SetColor(TColor value);
    void SetBestWidth(TRVHTMLLength value) { BestWidth = value; }
    void SetBestHeight(int value) { BestHeight = value; }
    void SetVisibleBorders(const TRVBooleanRect* value) { VisibleBorders->Assign(value); }
    TGraphic* GetBackgroundImage() const;
    TRVItemBackgroundStyle GetBackgroundStyle() const;
    void SetBackgroundImage(TGraphic* graphic) { SetBackgroundImage_(graphic, true); }
    // Copy: the cell keeps a copy; else it takes the picture over.
    void SetBackgroundImage_(TGraphic* graphic, bool copy);
    void SetBackgroundStyle(TRVItemBackgroundStyle value);
    void AssignAttributesFrom(const TRVTableCellData* source, bool includeSize, int divColSpan,
                              int divRowSpan);
    void AssignSizeFrom(const TRVTableCellData* source);

    TRVCellVAlign GetRealVAlign() const;
    int GetExtraVOffs();
    int GetCellHeight();
    // The narrowest content width; cached until the content, the style sheet or the units change.
    int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas);
    // The same with the cell's style sheet known (the table's walks over its
    // cells): the kept width without a call when it stands.
    int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas, const TRVStyle* style)
    {
        return MinWidthStands(sad, style) ? FMinWidth : MeasureMinWidth(sad, canvas, style);
    }
    bool HasData(bool checkStyles);
    // The cached minimum width and layout are stale: the content changed.
    void ContentChanged()
    {
        FMinWidthValid = false;
        FLaidOut = false;
        FKept.reset();
    }
    // The cell's items go to Data (an empty document of an editor) for an
    // operation that changes item ItemNo alone. A cell laid out as it is
    // keeps its layout aside meanwhile (and the item's minimum width).
    void LendItems(TCustomRVData* data, int itemNo);
    // The items come back from Data. When as many come back as were lent,
    // the kept layout comes back with them, and the next layout (of the cell
    // as wide as then) lays out only the item changed, the next measure
    // measures only its section, unless anything else changes before.
    void TakeItemsBack(TCustomRVData* data);
    // The cell keeps its layout (or minimum width) for Item alone, and
    // nothing else changed since its items came back.
    bool KeepsLayoutFor(const TCustomRVItemInfo* item);
    // A change of that item noted in the cell since (the item is laid out
    // and measured again anyway) leaves what waits for it standing.
    void FollowKeptItem();
    // Lays the cell out unless Force is false and its layout still stands: it
    // was made by this call for the cell's present content width (the table's
    // padding may change it while the cell keeps its width), and neither the
    // cell (its documents inside included) nor the style sheet changed since.
    // Answers the height of the laid-out content (DocumentHeight).
    int FormatIfStale(bool force, const TRVStyle* style)
    {
        if (force || !LayoutStands(style))
            if (force || !FormatKeptItem(style))
                FormatAgain(force, style);
        return FLaidOutHeight;
    }

    // ---- Sub-document answers
    TRVOptions GetOptions() override;
    void ItemAction(TRVItemAction action, TCustomRVItemInfo* item, AnsiString& text,
                    TCustomRVData* rvData) override;
    void GetOrigin(int& x, int& y) override;
    // As GetOrigin through the shown origins of the documents around, plus the
    // vertical offset of the content in the cell.
    void GetOriginEx(int& x, int& y) override;
    int GetAreaWidth() override { return GetWidth(); }
    TRVBackground* GetBackground() override { return Background.get(); }
    int GetHOffs() override;
    int GetVOffs() override;
    int GetWidth() override;
    int GetHeight() override;
    TColor GetColor() override { return clNone; }
    bool SupportsPageBreaks() const override { return false; }
    void ControlAction2(TRVControlAction action, int itemNo, TControl*& ctrl) override;
    TRVMarkerList* GetMarkers(bool allowCreate) override;
    void DoSelect() override {}

    // ---- Selection, the chosen nested document and undo (rvtable_cellstate.cpp)
    // A nested document of this cell that is chosen (active), and its item.
    TCustomRVFormattedData* ChosenRVData = nullptr;
    TCustomRVItemInfo* ChosenItem = nullptr;
    TCustomRVData* GetChosenRVData() override { return ChosenRVData; }
    TCustomRVItemInfo* GetChosenItem() override { return ChosenItem; }
    // Also drops the cell as the chosen document of the table's document.
    void Deselect(TCustomRVItemInfo* newPartiallySelected, bool makeEvent) override;
    void UnassignChosenRVData(TCustomRVData* rvData) override;
    // The document that edits the cell: the cell, or its editor in place.
    TCustomRVFormattedData* EditedData();
    // The table's item number and a new TRVTableStoreSubRVData (the caller's) with this cell's slot.
    void GetParentInfo(int& parentItemNo, TRVStoreSubRVData*& location) override;
    void ResetSubCoords() override;
    // This cell's slot in its table; -1, -1 when it has none.
    void GetPosition(int& row, int& col) const;
    // Whether the cell may be cleared: none of its items is protected from deletion.
    bool CanClear();
    // The cell leaves its table for an undo record, and comes back.
    void MovingToUndoList(TObject* aUndoInfo);
    void MovingFromUndoList();

    // The background picture in its stored form: 32-bit length of the class
    // name, the name, the picture's binary block. Empty without a picture.
    AnsiString SaveBackgroundImg() const;
    // Reads the stored form; a class that is not registered or makes no picture
    // leaves the cell without a background picture.
    void LoadBackgroundImg(TStream& stream);

private:
    void OriginInHolder(int& x, int& y, bool withOffsets);
    // The document holding the cell's table, or null.
    TCustomRVData* Holder();
    // The first document around the cell that is not a cell itself (the
    // document of the outermost table it lies in), or null when the cell is
    // in no document, kept in Answers. The cells in between only pass options
    // and item actions on to it.
    TCustomRVData* OuterHolder(TRVSaveAnswers& answers);
    // The kept minimum width was measured for the cell as it is (it never
    // stands while an in-place editor holds the cell's items: taking them
    // changed the cell).
    bool MinWidthStands(const TRVScreenAndDevice* sad, const TRVStyle* style) const
    {
        return FMinWidthValid && FMinWidthKey == TRVMeasureKey(ChangeCount(), style, sad);
    }
    int MeasureMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas, const TRVStyle* style);
    void FormatAgain(bool force, const TRVStyle* style);
    // The kept layout's item waits for its layout (minimum width) and nothing
    // else changed since its items came back.
    bool KeptItemWaits(bool layout, const TRVStyle* style) const;
    // The last layout made by FormatIfStale stands: the cell is as it was
    // laid out, as wide, with the same style sheet.
    bool LayoutStands(const TRVStyle* style)
    {
        return FLaidOut && FLaidOutWidth == GetWidth() &&
               FLaidOutKey == TRVMeasureKey(ChangeCount(), style, nullptr);
    }
    // What the layout just made stands for.
    void NoteLaidOut(const TRVStyle* style);
    // Lays out again only the kept layout's item, when that is all that
    // waits and the cell is as wide as when it was kept; false when it did not.
    bool FormatKeptItem(const TRVStyle* style);
    // The minimum width from the kept one and the new width of the kept
    // item's section, when that decides it; false when the cell must be
    // measured whole.
    bool MeasureKeptItem(const TRVScreenAndDevice* sad, TCanvas* canvas, const TRVStyle* style);
    // The minimum width of the paragraph section holding item ItemNo.
    int ItemSectionMinWidth(int itemNo, TCanvas* canvas);
};

// One row: a slot per column, each a cell or null (covered by a merged cell).
class TRVTableRow : public TRVDataList {
public:
    TRVTableRow(int colCount, TRVTableRows* aRows, TCustomRVData* mainRvData);
    // Frees the cells while they can still reach their table.
    ~TRVTableRow() override { Clear(); }
    const char* ClassName() const override { return "TRVTableRow"; }

    TRVCellVAlign VAlign = rvcTop;
    TRVTableRows* Rows;

    TCustomRVData* GetParentRVData() override;
    TRVTableCellData* Add();
    TRVTableCellData* Insert(int index);
    void InsertEmpty(int index);
    void InsertPointer(int index, TRVTableCellData* cell);
    TRVTableCellData* Get(int index) const { return static_cast<TRVTableCellData*>(TRVList::Get(index)); }
    TRVTableCellData* operator[](int index) const { return Get(index); }
    void Put(int index, TRVTableCellData* cell);
    // The largest BestHeight among the cells that do not span rows; 0 when none.
    int GetBestHeight() const;
    // The largest cell height among the cells that do not span rows; 10 when 0.
    int GetHeight() const;
    // Whether a cell of this row (row Index) ends within RangeStart..RangeStart+Count-1.
    bool HasCellsInRange(int index, int rangeStart, int count) const;
};

// The rows, top to bottom; owns them (a row owns its cells).
class TRVTableRows : public TRVList {
public:
    TRVTableRows(int rowCount, int colCount, TCustomRVData* aMainRvData, TRVTableItemInfo* aTable);
    ~TRVTableRows() override { Clear(); }
    const char* ClassName() const override { return "TRVTableRows"; }

    TCustomRVData* MainRVData;
    TRVTableItemInfo* Table;

    void Reset(int rowCount, int colCount);
    // No rows, or rows without slots.
    bool Empty() const;
    TRVTableRow* Add(int colCount);
    TRVTableRow* Insert(int index, int colCount);
    void InsertPointer(int index, TRVTableRow* row);
    TRVTableRow* Get(int index) const { return static_cast<TRVTableRow*>(TRVList::Get(index)); }
    TRVTableRow* operator[](int index) const { return Get(index); }
    void Put(int index, TRVTableRow* row);

    int GetColCount() const;
    // The cell whose block holds slot (Row, Col), and its slot; null (and -1, -1)
    // only for a grid that breaks the invariants.
    TRVTableCellData* GetMainCell(int row, int col, int& mRow, int& mCol) const;
    // The slots looked at by main-cell lookups so far: what finding main cells costs.
    int64_t GetMainCellSteps() const { return FMainCellSteps; }
    // The wanted width of a block; percentages win over pixels.
    int GetBestWidth(int topRow, int leftCol, int colSpan, int rowSpan) const;
    bool IsEmptyCols(int firstRow, int col1, int count1, int rowCount, int col2, int count2) const;
    bool IsEmptyRows(int row1, int firstCol, int colCount, int count1, int row2, int count2) const;
    int GetMinColWidth(int col, const TRVScreenAndDevice* sad, TCanvas* canvas) const;
    bool IsPercentWidthColumn(int col) const;
    int GetPercentColWidth(int col, int tableWidth) const;
    int GetPixelColWidth(int col) const;
    // The cells of a block leave their rows for an undo record, and come back.
    void MovingToUndoList(int row, int col, int colCount, int rowCount, TObject* undoInfo);
    void MovingFromUndoList(int row, int col, int colCount, int rowCount);

    // ---- Structural operations (rvtable_struct.cpp, rvtable_split.cpp). In an
    // editor with undo each records what reverses it into the open undo group;
    // the caller opens and closes the group. A bad index raises ERollViewError
    // "Invalid row or column index" with nothing changed.
    void InsertRows(int index, int count, int copyIndex, bool divideHeights);
    void InsertCols(int index, int count, int copyIndex, bool divideWidths);
    // Count is cut to the rows (columns) from Index; Index 0 with a Count above
    // the count is refused.
    void DeleteRows(int index, int count, bool divideHeights);
    void DeleteCols(int index, int count, bool divideWidths);
    bool StartMergeCells(int row, int col, int& colSpan, int& rowSpan) const;
    bool CanMergeCells(int row, int col, int colSpan, int rowSpan, bool allowMergeRC) const;
    // A block that may not be merged makes the document beep and changes nothing.
    void MergeCells(int row, int col, int colSpan, int rowSpan, bool allowMergeRC, bool changeBestWidth);
    void UnmergeCell(int row, int col, bool unmergeRows, bool unmergeCols);
    void UnmergeCells(int row, int col, int colSpan, int rowSpan, bool unmergeRows, bool unmergeCols);
    // Each answers the number of columns (rows) added.
    int SplitCellVertically(int row, int col, int colCount);
    int SplitCellHorizontally(int row, int col, int rowCount);
    int SplitCellsVertically(int row, int col, int colSpan, int rowSpan, int colCount);
    int SplitCellsHorizontally(int row, int col, int colSpan, int rowSpan, int rowCount);
    // Replaces the contents of the cells at (RowList[i], ColList[i]) by one empty line.
    void ClearCells(const TRVIntegerList& rowList, const TRVIntegerList& colList);

    // ---- Primitive steps (rvtable_do.cpp). A Do_Before* records an undo
    // record (only when the table records); a Do_* changes the grid; a
    // Do_Un* is the inverse an undo record plays.
    void Do_BeforeInsertRows(int itemNo, int index, int count);
    void Do_InsertRows(int index, int count);
    void Do_UnInsertRows(int index, int count);
    void Do_BeforeInsertCell(int itemNo, int row, int col);
    void Do_BeforeSpreadOverEmptyCells(int itemNo, int row, int col, int colSpan);
    void Do_SpreadOverEmptyCells(int row, int col, int colSpan);
    void Do_UnSpreadOverEmptyCells(int row, int col, int colSpan);
    void Do_SetSpan(int itemNo, int row, int col, int value, bool isColSpan);
    void Do_BeforeFreeEmptyCells(int itemNo, int row, int col, int colCount, int rowCount);
    void Do_FreeEmptyCells(int row, int col, int colCount, int rowCount);
    void Do_UnFreeEmptyCells(int row, int col, int colCount, int rowCount);
    void Do_BeforeInsertEmptyCells(int itemNo, int row, int col, int colCount, int rowCount);
    void Do_InsertEmptyCells(int row, int col, int colCount, int rowCount);
    void Do_UnInsertEmptyCells(int row, int col, int colCount, int rowCount);
    void Do_BeforeSplitCellHorz(int itemNo, int row, int col, int newRow, bool divideHeights);
    void Do_SplitCellHorz(int row, int col, int newRow, bool divideHeights);
    void Do_UnSplitCellHorz(int row, int col, int newRow, int oldBestHeight);
    void Do_BeforeSplitCellVert(int itemNo, int row, int col, int newCol, bool divideWidths);
    void Do_SplitCellVert(int row, int col, int newCol, bool divideWidths);
    void Do_UnSplitCellVert(int row, int col, int newCol, int oldBestWidth);
    // Record: the TRVUndoDeleteRows (Cols, CellsClear, Merge) to keep what is
    // removed, or null to free it.
    TObject* Do_BeforeDeleteRows(int itemNo, int index, int count);
    void Do_DeleteRows(int itemNo, int index, int count, TObject* record);
    void Do_UnDeleteRows(int index, std::vector<TRVTableRow*>& rows);
    TObject* Do_BeforeDeleteCols(int itemNo, int index, int count);
    void Do_DeleteCols(int itemNo, int index, int count, TObject* record);
    void Do_UnDeleteCols(int index, std::vector<TRVTableCellData*>& cells);
    TObject* Do_BeforeClearCells(int itemNo, const TRVIntegerList& rowList, const TRVIntegerList& colList,
                                 std::vector<TRVTableCellData*>*& cellList);
    void Do_ClearCells(std::vector<TRVTableCellData*>* cellList, const TRVIntegerList& rowList,
                       const TRVIntegerList& colList, TObject* record);
    void Do_UnClearCells(std::vector<TRVTableCellData*>& cellList, const TRVIntegerList& rowList,
                         const TRVIntegerList& colList);
    TObject* Do_BeforeMergeCells(int itemNo, int row, int col, int colSpan, int rowSpan);
    void Do_MergeCells(int itemNo, int row, int col, int colSpan, int rowSpan, TObject* record,
                       bool changeBestWidth);
    void Do_UndoMergeCells(int row, int col, int oldColSpan, int oldRowSpan, TObject* record,
                           int oldBestWidth);
    void Do_BeforeUnmergeCell(int itemNo, int row, int col, bool unmergeRows, bool unmergeCols);
    void Do_UnmergeCell(int row, int col, bool unmergeRows, bool unmergeCols);
    void Do_UndoUnmergeCell(int row, int col, int oldColSpan, int oldRowSpan, int oldBestWidth,
                            int oldBestHeight);

private:
    // Main cells by slot, built from the grid on demand. An entry is the
    // flat position (row * FIndexCols + col) of the cell whose block holds
    // the slot, or -1. The grid changes without telling the index: an entry
    // is trusted only once the cell it names is found there still covering
    // the slot, which in a sound grid makes it that slot's only main cell.
    mutable std::vector<int32_t> FMainIndex;
    mutable int FIndexRows = -1;
    mutable int FIndexCols = -1;
    // Slots looked at by walks since the index was last built: a stale index
    // is built again once walking has cost as much as building it.
    mutable int64_t FWalkSteps = 0;
    mutable int64_t FMainCellSteps = 0;
    bool IndexedMainCell(int row, int col, int& mRow, int& mCol, TRVTableCellData*& cell) const;
    void BuildMainIndex() const;
    TRVTableCellData* WalkMainCell(int row, int col, int& mRow, int& mCol) const;
    // Takes the cell out of a slot without freeing it; the slot becomes empty.
    TRVTableCellData* TakeCell(int row, int col);
    // A new cell in an empty slot.
    TRVTableCellData* NewCellAt(int row, int col);
    // The start of an operation that changes the grid or the cells' contents:
    // the table's cell editor closes first, so that every cell holds its own
    // items and no cell editor closes while the operation drains and moves
    // cells. The table's item number for its records (-1: none).
    int BeginGridChange();
    // Opens (closes) the bracket of an operation's records.
    void Bracket(int itemNo, bool opening);
    // The row and column twins written once: Rows picks the direction in
    // which lines are counted (true: rows, false: columns).
    void InsertLines(bool rows, int index, int count, int copyIndex, bool divideSizes);
    void DeleteLines(bool rows, int index, int count, bool divideSizes);
    int SplitCellAlong(bool rows, int row, int col, int count);
    int SplitCellsAlong(bool rows, int row, int col, int colSpan, int rowSpan, int count);
    void Do_SplitCellAlong(bool rows, int row, int col, int newLine, bool divideSizes);
    void Do_UnSplitCellAlong(bool rows, int row, int col, int newLine, int oldBestSize);
};

// The slot of a cell as a sub-document position.
class TRVTableStoreSubRVData : public TRVStoreSubRVData {
public:
    TRVTableStoreSubRVData(int aRow, int aCol) : Row(aRow), Col(aCol) {}
    const char* ClassName() const override { return "TRVTableStoreSubRVData"; }
    TRVStoreSubRVData* Duplicate() const override { return new TRVTableStoreSubRVData(Row, Col); }
    int Row;
    int Col;
};
