// Tables: the cell (a sub-document), the row and the row list with the
// measures layout asks of cells and columns, the table item with its published
// properties, its layout into column widths and row heights, and its painting.
//
// The implementation is split by concern:
//   rvtable_cells.cpp    the cell: defaults, measures, background, stored properties
//   rvtable_cellstate.cpp  the cell's slot, deselection, the chosen document, undo moves
//   rvtable_rows.cpp     rows and the row list: main cells, column measures, emptiness
//   rvtable.cpp          the table item: construction, defaults, properties, registration
//   rvtable_layout.cpp   minimum width, column widths, row heights, cell placement
//   rvtable_paint.cpp    background, rules, cells, print parts with heading rows
//   rvtable_border.cpp   borders in their five styles and the editing grid
//   rvtable_print.cpp    the print layout, its row bands and cell documents, painting a band
//   rvtable_subdocs.cpp  the cells as sub-documents: walking, choosing, hyperlinks, styles
//   rvtable_rvf.cpp      the table as a component stream: RVF records and plain streams
//   rvtable_rtf.cpp      the table in RTF: colour table, rows, cell definitions, merges
//   rvtable_html.cpp     the table in HTML (attributes and CSS) and as plain text
//   rvtable_struct.cpp   inserting and deleting rows and columns, merging, unmerging, clearing
//   rvtable_split.cpp    splitting cells into columns or rows
//   rvtable_do.cpp       the primitive steps on rows, slots and spans, recording their undo
//   rvtable_do_cells.cpp the primitive steps that clear, merge and unmerge cells
//   rvtable_undo.cpp     the undo records (rvtable_undo.h) and their opposites
//   rvtable_props.cpp    the table in an editor: undo groups, property setters by name, colours
//   rvtable_mouse.cpp    hit tests of rules and cells, the mouse protocol
//   rvtable_drag.cpp     dragging a rule into new widths or heights
//   rvtable_select.cpp   the cell selection, row and column commands on it
//   rvtable_selcmd.cpp   merging, unmerging, splitting, styling and clearing the selected cells
//   rvtable_nav.cpp      moving between cells, the keyboard focus, the chosen cell
//   rvtinplace_table.cpp the table's side of editing a cell in place (rvtinplace.h)
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
#include "platform/core/numbers.h"
#include "table/rvdatalist.h"
#include "view/rvback.h"

class TRVTableItemInfo;
class TRVTableRow;
class TRVTableRows;
class TRVTableCellData;
class TD;
class TReader;
class TWriter;

// A wanted width: above 0 pixels, below 0 a percentage (-50 is 50 %), 0 automatic.
using TRVHTMLLength = int;

enum TRVCellVAlign { rvcTop, rvcMiddle, rvcBottom, rvcVDefault };
enum TRVTableBorderStyle : uint8_t { rvtbRaised, rvtbLowered, rvtbColor, rvtbRaisedColor, rvtbLoweredColor };

enum TRVTableOption {
    rvtoEditing,
    rvtoRowSizing,
    rvtoColSizing,
    rvtoRowSelect,
    rvtoColSelect,
    rvtoRTFSaveCellPixelBestWidth,
    rvtoRTFAllowAutofit,
    rvtoHideGridLines,
    rvtoOverlappingCorners,
    rvtoCellBelowBorders,
};
using TRVTableOptions = TRVSet<TRVTableOption, uint16_t>;

enum TRVTablePrintOption { rvtoHalftoneBorders, rvtoRowsSplit, rvtoWhiteBackground };
using TRVTablePrintOptions = TRVSet<TRVTablePrintOption, uint8_t>;

enum TRVTableState {
    rvtsInserted,
    rvtsEditMode,
    rvtsModified,
    rvtsFormatInplace,
    rvtsVerticalDraggedRule,
    rvtsDRChangeTableWidth,
    rvtsJustCreated,
    rvtsInplaceIsReformatting,
    rvtsSelExists,
};
using TRVTableStates = TRVSet<TRVTableState, uint16_t>;

// The pen style of the editing grid; psClear switches the grid off for every table.
extern TPenStyle RollViewTableGridStyle;

// The in-place cell editor (table/rvtinplace.h): an editor control laid over
// the cell being edited, holding the cell's items meanwhile; owned by the table.
class TRVTableInplaceEdit;

// Directions from one cell to another: the four sides, the document's top and
// bottom (leaving the table), and reading order forwards and backwards.
enum TRVCellDirection {
    rvcdLeft,
    rvcdUp,
    rvcdRight,
    rvcdDown,
    rvcdDocTop,
    rvcdDocBottom,
    rvcdNext,
    rvcdPrev
};

// The edited cell's selection and place while its editor is closed for a moment.
struct TRVTableInplaceParamStorage {
    bool Stored = false;
    int StartItemNo = -1;
    int EndItemNo = -1;
    int StartItemOffs = -1;
    int EndItemOffs = -1;
    int Row = -1;
    int Col = -1;
    TCustomRVItemInfo* PartialSelectedItem = nullptr;
};

// A cell's document laid out for a printer, one per slot of a print layout. The
// printing layer implements it; the table lays it out and paints it through
// this interface. Lengths are device pixels.
class TRVTablePrintCell : public TObject {
public:
    const char* ClassName() const override { return "TRVTablePrintCell"; }
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    // The height of the laid-out document.
    virtual int GetDocumentHeight() = 0;
    // Lays the document out at Width.
    virtual void FormatCell(bool force) = 0;
    // Paints the document with its top-left corner at (Left, Top + the vertical offset).
    virtual void DrawCell(TCanvas* canvas, int left, int top, TRVItemDrawStates state) = 0;
    // The bottom of every line of the laid-out document (document Y, in
    // order): where a row taller than a page may be cut. One line here.
    virtual void GetLineBottoms(std::vector<int>& bottoms) { bottoms.assign(1, GetDocumentHeight()); }
    // From now on only the lines whose bottoms lie in (From, To] are painted,
    // moved up by From (To < 0: to the end); (0, -1) is the whole document.
    virtual void SetSlice(int from, int to)
    {
        (void)from;
        (void)to;
    }
};

// One cell: a sub-document owned by its row. Left, Top, Width and Height are
// the cell's rectangle relative to the table, padding included, written by the
// table's layout. RowSpan and ColSpan above 1 make a merged cell whose covered
// slots are null. A new cell holds one empty text line.
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
    }
    // Lays the cell out unless Force is false and its layout still stands: it
    // was made by this call for the cell's present width, and neither the cell
    // (its documents inside included) nor the style sheet changed since.
    // Answers the height of the laid-out content (DocumentHeight).
    int FormatIfStale(bool force, const TRVStyle* style)
    {
        if (force || !FLaidOut || FLaidOutWidth != Width ||
            FLaidOutKey != TRVMeasureKey(ChangeCount(), style, nullptr))
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
    // The kept minimum width was measured for the cell as it is (it never
    // stands while an in-place editor holds the cell's items: taking them
    // changed the cell).
    bool MinWidthStands(const TRVScreenAndDevice* sad, const TRVStyle* style) const
    {
        return FMinWidthValid && FMinWidthKey == TRVMeasureKey(ChangeCount(), style, sad);
    }
    int MeasureMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas, const TRVStyle* style);
    void FormatAgain(bool force, const TRVStyle* style);
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

// The result of a layout: column content widths and left edges, row content
// heights and top edges (relative to the table), the table's size, and for a
// print layout the printable cell documents (row * column count + column).
class TRVTableItemFormattingInfo : public TObject {
public:
    explicit TRVTableItemFormattingInfo(bool createPrintCells);
    const char* ClassName() const override { return "TRVTableItemFormattingInfo"; }

    TRVIntegerList ColWidths;
    TRVIntegerList RowHeights;
    TRVIntegerList ColStarts;
    TRVIntegerList RowStarts;
    int Width = 0;
    int Height = 0;
    std::unique_ptr<TRVList> PrintCells;

    void Clear();
    void QuickClear() { Clear(); }
    TRVTablePrintCell* PrintCell(int index) const;
};

class TRVTablePrintPart;

// The draw item of a table laid out for a device, with one printable cell
// document per slot in FmtInfo.PrintCells (the table lays it out with Device set
// to SaD). Pagination may cut it into row bands (TRVTablePrintPart): the
// heading rows are left out of the bands, to be painted again above each one,
// and a block of rows held together by a row-spanning cell is never cut.
class TRVTablePrintInfo : public TRVMultiDrawItemInfo {
public:
    explicit TRVTablePrintInfo(TRVTableItemInfo* aTable = nullptr) : FmtInfo(true), Table(aTable) {}
    const char* ClassName() const override { return "TRVTablePrintInfo"; }
    // The size comes from the table's print layout alone.
    void SetSize(int, int) override {}
    // False unless the table's print options allow cutting rows; else one band
    // of every row below the heading rows.
    bool InitSplit() override;
    // Whether the first block of body rows fits in Y device pixels.
    bool CanSplitFirst(int y) override;
    // Cuts the last band so that it fits in Y; false when nothing can be cut.
    // A row taller than Y alone is cut between the lines of its cells.
    bool SplitAt(int y) override;
    // The height band Part takes on a page.
    int BandHeight(const TRVTablePrintPart* part) const;
    // The layout shows band Part for the time of painting it: a row it holds
    // only in part is as high as that part, its cells showing only its lines.
    class TBandScope;

    TRVTableItemFormattingInfo FmtInfo;
    TRVScreenAndDevice SaD;
    TRVTableItemInfo* Table;
    // The heading rows are painted again above every band.
    bool UseHeadingRows = false;

private:
    // The heading rows repeated on every page.
    int HeadingCount() const;
    // The height of the table above its first body row and below its last row.
    int ExtraHeight() const;
    int RowBottom(int row) const;
    // The height of the lines of row Row's cells between From and To (per
    // column; empty: the whole documents).
    int SliceHeight(int row, const std::vector<int>& from, const std::vector<int>& to) const;
    // Cuts band Part inside its first row, a single row taller than Y; false
    // when what is left of that row fits.
    bool SliceFirstRow(TRVTablePrintPart* part, int y);
};

// One page band of a table cut by rows for printing.
class TRVTablePrintPart : public TRVMultiDrawItemPart {
public:
    const char* ClassName() const override { return "TRVTablePrintPart"; }
    // A soft page break before this band stores its first row.
    int GetSoftPageBreakInfo() const override { return FirstRow; }
    int FirstRow = 0;
    int RowCount = 0;
    // A band that begins (ends) inside a row taller than a page: per column,
    // the document Y of that row's cell from which (up to which) the band shows
    // its lines. Empty when the band begins (ends) with the row whole.
    std::vector<int> FirstRowFrom;
    std::vector<int> LastRowTo;
};

// The border drawing hook: DoDefault false suppresses the border and its grid.
using TRVTableDrawBorderEvent = std::function<void(
    TRVTableItemInfo* sender, TCanvas* canvas, int left, int top, int right, int bottom, int width,
    TColor lightColor, TColor color, TColor backgroundColor, TRVTableBorderStyle style, bool printing,
    TRVBooleanRect* visibleBorders, int row, int col, bool& doDefault)>;
using TRVCellEditingEvent =
    std::function<void(TRVTableItemInfo* sender, int row, int col, bool automatic, bool& allowEdit)>;
using TRVCellEndEditEvent = std::function<void(TRVTableItemInfo* sender, int row, int col, bool clearing)>;

// The table item (item-type code -60): a whole-line item that owns its grid,
// its screen layout and its background. Lengths in the properties are screen
// pixels; while Device is set (a print layout) they are scaled to the device.
class TRVTableItemInfo : public TRVFullLineItemInfo {
public:
    // The registry's constructor: a 1 x 1 table.
    explicit TRVTableItemInfo(TCustomRVData* rvData);
    TRVTableItemInfo(int rowCount, int colCount, TCustomRVData* rvData);
    ~TRVTableItemInfo() override;
    const char* ClassName() const override { return "TRVTableItemInfo"; }
    TRVItemClass GetItemClass() const override;
    const TPropertyTable* PropertyTable() const override;

    // ---- Published properties (defaults set by Init)
    TRVTableOptions Options;
    TRVTablePrintOptions PrintOptions;
    TRVHTMLLength BestWidth = 0;
    TColor Color = clWindow;
    int HeadingRowCount = 0;
    AnsiString TextRowSeparator;
    AnsiString TextColSeparator;
    int BorderWidth = 0;
    TColor BorderColor = clWindowText;
    TColor BorderLightColor = clBtnHighlight;
    TRVTableBorderStyle BorderStyle = rvtbRaised;
    int BorderVSpacing = 2;
    int BorderHSpacing = 2;
    int CellBorderWidth = 0;
    TColor CellBorderColor = clWindowText;
    TColor CellBorderLightColor = clBtnHighlight;
    int CellPadding = 1;
    TRVTableBorderStyle CellBorderStyle = rvtbLowered;
    int VRuleWidth = 0;
    TColor VRuleColor = clWindowText;
    int HRuleWidth = 0;
    TColor HRuleColor = clWindowText;
    int CellVSpacing = 2;
    int CellHSpacing = 2;
    bool VOutermostRule = false;
    bool HOutermostRule = false;
    TRVCellEditingEvent OnCellEditing;
    TRVCellEndEditEvent OnCellEndEdit;
    TRVTableDrawBorderEvent OnDrawBorder;

    // ---- State
    TRVTableStates State;
    std::unique_ptr<TRVTableRows> Rows;
    std::unique_ptr<TRVTableItemFormattingInfo> FormattingInfo;
    std::unique_ptr<TRVBackground> Background;
    // Set only while the table is measured or laid out for a device.
    const TRVScreenAndDevice* Device = nullptr;
    TRVTableInplaceEdit* InplaceEditor = nullptr;
    int FocusedCellRow = -1;
    int FocusedCellCol = -1;
    int ChosenCellRow = -1;
    int ChosenCellCol = -1;
    // Where the table was last painted (canvas coordinates).
    int CurLeft = 0;
    int CurTop = 0;

    void Init(int rowCount, int colCount, TCustomRVData* rvData);
    // The published setters of Color and CellPadding: an open in-place
    // editor follows (its colour, its margins and a new layout); in a
    // document the change goes through SetProperty.
    void SetColor(TColor value);
    void SetCellPadding(int value);
    // The in-place editor, when it edits Cell (any cell: null), takes the
    // cell's painting colour and see-through state.
    void InplaceCellColorChanged(const TRVTableCellData* cell);

    // ---- The editor around the table (rvtable_props.cpp)
    // The table's document is an editor's document data.
    bool IsInEditor() const;
    // That editor's document data; null outside an editor.
    TRVEditRVData* GetEditData() const;
    // The same while the table counts as inserted in it (an undo record
    // setting a property back lifts that state for the time it sets).
    TRVEditRVData* GetInsertedEditData() const
    {
        return State.Contains(rvtsInserted) ? GetEditData() : nullptr;
    }
    // Inserted, in an editor whose undo list records.
    bool UndoEnabled() const;
    // The table's item number in its document (cached while still right).
    int GetMyItemNo() const;
    // GetMyItemNo when the table is inserted in an editor with undo, else -1.
    int GetEditorItemNoForUndo() const;
    // Open and close a table-level undo group around structural changes.
    void InitUndo();
    void DoneUndo();
    // Runs Operation between InitUndo and DoneUndo, closing the group also when it raises.
    template <class F> void InUndoGroup(F operation)
    {
        InitUndo();
        try {
            operation();
        } catch (...) {
            DoneUndo();
            throw;
        }
        DoneUndo();
    }
    // The table must be laid out again; its document notes the change.
    void Changed();
    // Sets a published integer property by name: in an editor as one undoable
    // group, elsewhere directly. Either way the table is marked changed.
    void SetProperty(const AnsiString& propName, int64_t value, bool affectSize, bool affectWidth);
    // The same for a property of the cell at (Row, Col); ItemNo -1: the table's own.
    void SetCellProperty(int itemNo, const AnsiString& propName, int64_t value, int row, int col,
                         bool affectSize, bool affectWidth);
    void SetCellBestWidth_(int itemNo, TRVHTMLLength value, int row, int col);
    void SetCellBestHeight_(int itemNo, int value, int row, int col);
    void SetCellColor_(int itemNo, TColor value, int row, int col);
    void SetCellVAlign_(int itemNo, TRVCellVAlign value, int row, int col);
    void SetCellBorderColor_(int itemNo, TColor value, int row, int col);
    void SetCellBorderLightColor_(int itemNo, TColor value, int row, int col);
    void SetCellBackgroundStyle_(int itemNo, TRVItemBackgroundStyle value, int row, int col);
    // Answers whether the borders already had these values (nothing recorded then).
    bool SetCellVisibleBorders_(int itemNo, bool left, bool top, bool right, bool bottom, int row, int col);
    // A copy of Graphic (none: null) becomes the cell's picture, undoably in an editor.
    void SetCellBackgroundImage(TGraphic* graphic, int row, int col);
    // Records the picture of the cell (Row and Col -1: of the table) before it changes.
    void RecordBackgroundImage(int row, int col);
    // A row's vertical alignment, undoably in an editor; nothing for an equal value.
    void SetRowVAlign_(int itemNo, TRVCellVAlign value, int row);
    // The same setters for the table's own item: undoable in an editor.
    void SetCellBestWidth(TRVHTMLLength value, int row, int col) { SetCellBestWidth_(-1, value, row, col); }
    void SetCellBestHeight(int value, int row, int col) { SetCellBestHeight_(-1, value, row, col); }
    void SetCellColor(TColor value, int row, int col) { SetCellColor_(-1, value, row, col); }
    void SetCellVAlign(TRVCellVAlign value, int row, int col) { SetCellVAlign_(-1, value, row, col); }
    void SetCellBorderColor(TColor value, int row, int col) { SetCellBorderColor_(-1, value, row, col); }
    void SetCellBorderLightColor(TColor value, int row, int col)
    {
        SetCellBorderLightColor_(-1, value, row, col);
    }
    void SetCellBackgroundStyle(TRVItemBackgroundStyle value, int row, int col)
    {
        SetCellBackgroundStyle_(-1, value, row, col);
    }
    bool SetCellVisibleBorders(bool left, bool top, bool right, bool bottom, int row, int col)
    {
        return SetCellVisibleBorders_(-1, left, top, right, bottom, row, col);
    }
    void SetRowVAlign(TRVCellVAlign value, int row) { SetRowVAlign_(-1, value, row); }
    // Copies Source's attributes to the cell at (Row, Col), undoably in an
    // editor: the borders and the picture as their own steps, the integer
    // properties as one record (TRVUndoModifyCellIntProperties).
    void AssignCellAttributes(int itemNo, int row, int col, const TRVTableCellData* source, bool includeSize,
                              int divColSpan, int divRowSpan);
    // Around an undo record re-setting an old value: the value is stored directly.
    void BeforeUndoChangeProperty() override { State.Exclude(rvtsInserted); }
    void AfterUndoChangeProperty() override
    {
        State.Include(rvtsInserted);
        Changed();
    }
    // Deletes rows (columns) as one undo group and marks the table changed.
    // Deleting every row or column of a table in an editor deletes the table
    // item itself, in the same group (the table is then no longer the
    // document's; in an editor without undo it is freed). Elsewhere deleting
    // them all is refused. A bad index raises "Invalid row or column index".
    void DeleteRows(int index, int count, bool decreaseHeight);
    void DeleteCols(int index, int count, bool decreaseWidth);
    void ClearTemporal();
    TRVTableCellData* GetCells(int row, int col) const { return Rows->Get(row)->Get(col); }
    // Copies the attributes of Value into the cell of the slot; nothing for a covered slot.
    void SetCells(int row, int col, const TRVTableCellData* value);
    TGraphic* GetBackgroundImage() const;
    // A copy of Graphic becomes the table's picture, undoably in an editor.
    void SetBackgroundImage(TGraphic* graphic);
    TRVItemBackgroundStyle GetBackgroundStyle() const;
    void SetBackgroundStyle(TRVItemBackgroundStyle value);
    // The document that holds the table (the row list's).
    TCustomRVData* GetRVData() const { return Rows ? Rows->MainRVData : nullptr; }

    // ---- Sizes and layout (rvtable_layout.cpp)
    int GetHeight() const override;
    int GetWidth() const override;
    int GetHorzExtra() const;
    int GetDevX(int x) const;
    int GetDevY(int y) const;
    int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas, TCustomRVData* rvData) override;
    bool IsFixedWidthTable() const;
    void OnDocWidthChange(int docWidth, TRVDrawLineInfo* dli, bool printing, TCanvas* canvas,
                          TCustomRVData* rvData, const TRVScreenAndDevice* sad, int& hShift, int& desc,
                          bool reformat) override;
    void InternalOnDocWidthChange(int docWidth, TRVTableItemFormattingInfo* fmt, TCanvas* canvas, bool force);
    // PlaceDown: no cell spans rows, so each row is placed down as soon as its cells are laid out.
    void UpdateCellXCoords(TRVTableItemFormattingInfo* fmt, bool force, bool placeDown);
    // A row's height on screen from its cells' heights noted by UpdateCellXCoords.
    int LaidOutRowHeight(int row) const;
    void UpdateCellYCoords(TRVTableItemFormattingInfo* fmt);

    // ---- Painting (rvtable_paint.cpp, rvtable_border.cpp)
    void PaintFullWidth(int left, int right, int top, TCanvas* canvas, TRVItemDrawStates state,
                        TRVStyle* style, const TRect& clipRect, TRVDrawLineInfo* dli) override;
    void PaintTo(int left, int right, int top, int firstRow, int rowCount, TCanvas* canvas,
                 TRVItemDrawStates drawState, TRVStyle* style, TRVTableItemFormattingInfo* fmt,
                 bool paintHeadings, const TRect& clip, TRVColorMode colorMode);
    void DrawBorder(TCanvas* canvas, int left, int top, int right, int bottom, int width, TColor lightColor,
                    TColor color, TColor backgroundColor, TRVTableBorderStyle style, bool drawGrid,
                    bool printing, const TRect& clip, TRVBooleanRect* visibleBorders, int row, int col,
                    TRVColorMode colorMode);
    // Paints what lies under the content of Cell into R (the in-place editor's
    // background): the table's picture placed as over the whole table, else its colour.
    void DrawBackgroundUnderCell(TCanvas* canvas, TRVTableCellData* cell, const TRect& r);
    bool IsSemiTransparentBackground() const;

    // ---- Printing (rvtable_print.cpp)
    // A print layout of the table with a printable document for every cell
    // that has content; a plain draw item outside printable data.
    TRVDrawLineInfo* CreatePrintingDrawItem(TCustomRVData* rvData, const TRVScreenAndDevice& sad) override;
    // Paints band Part of the print layout (every row when Part < 0), with the
    // heading rows above a band when the layout repeats them.
    void Print(TCanvas* canvas, int x, int y, int x2, bool preview, bool correction,
               const TRVScreenAndDevice& sad, TRVPrintingViewer* richView, TRVDrawLineInfo* dli, int part,
               TRVColorMode colorMode, TCustomRVData* rvData) override;
    // The table prints itself on the device canvas, never through a bitmap.
    bool GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const override;
    // Whether heading rows can repeat: some exist and no cell of the last one reaches below it.
    bool CanUseHeadingRowCount() const;
    // The last row of the block of rows that begins at Row and that no row-spanning cell crosses.
    int GetSplitRowBelow(int row) const;
    // The first row of the block that holds Row: the table may be cut above it.
    int GetSplitRowAbove(int row) const;
    // Whether the table's cell selection holds the cell; none in a viewer.
    virtual bool IsCellSelected(int row, int col) const;
    // The colour a cell is painted with: its own, else the table's, else the
    // colour of the document holding the table (clNone when it has none).
    TColor GetCellColor(const TRVTableCellData* cell) const;
    // The table's own colour, else (in a laid-out document) its paragraph's
    // background colour, else with UseDocColor the document's colour.
    TColor GetTableColor(bool useDocColor) const;
    // Neither the cell, the table nor the table's paragraph has a colour.
    bool CanSeeBackgroundThroughCell(const TRVTableCellData* cell) const;

    // ---- The cells as sub-documents (rvtable_subdocs.cpp)
    // Drawing the table changes the canvas's font (the cells' text).
    bool GetBoolValue(TRVItemBoolProperty prop) const override;
    // First, last, next and previous cells in reading order, the chosen (or
    // edited) one; a new position goes to the caller, Next and Prev move it.
    TCustomRVData* GetSubRVData(TRVStoreSubRVData*& storeState, TRVSubRVDataPos position) override;
    // The current document of the cell under the point (table coordinates); null off the cells.
    TCustomRVData* GetSubRVDataAt(int x, int y) override;
    // (rvtable_nav.cpp:) the table is selected in its document and the cell
    // becomes its chosen document, keeping the cell's own selection; in an
    // editor in edit mode the cell is edited in place.
    void ChooseSubRVData(TRVStoreSubRVData* storeState) override;
    void ChooseSubRVData_(int row, int col);
    // No cell chosen any more, the edited one closed.
    void CleanUpChosen() override;
    // A chosen slot outside the grid is dropped; inside, it moves to its main cell.
    bool ValidateChosen();
    // The hyperlink rectangles of every cell, in reading order, moved into the
    // coordinates of the table's document (Left, Top: the table's place).
    void BuildJumps(int left, int top, int& nextJumpNo, TList* jumps) override;
    void MarkStylesInUse(TRVIntegerList* usedTextStyles, TRVIntegerList* usedParaStyles,
                         TRVIntegerList* usedListStyles) override;
    void UpdateStyles(TRVIntegerList* textStylesShift, TRVIntegerList* paraStylesShift,
                      TRVIntegerList* listStylesShift) override;
    // The top of row Data (a page break before that row).
    int GetSoftPageBreakDY(int data) override;

    // ---- Stored form (rvtable_rvf.cpp)
    // The band of rows the next write stores.
    int SavedFirstRow = 0;
    int SavedRowCount = 0;
    // Raised while the table's cells are written out.
    int ExportDepth = 0;
    // "BackgroundImg": the background picture, when there is one.
    void DefineProperties(TFiler* filer) override;
    void SaveRVF(TStream& stream, TCustomRVData* rvData, int itemNo, int paraNo, const AnsiString& name,
                 TRVMultiDrawItemPart* part, bool forceSameAsPrev) override;
    bool ReadRVFLine(const AnsiString& s, TCustomRVData* rvData, int readType, int lineNo, int lineCount,
                     AnsiString& name, TRVFReadMode& readMode, TRVFReadState& readState) override;
    // The component stream of Count rows from Index (band of a printed page).
    void SaveRowsToStream(TStream& stream, int index, int count);
    void SaveToStream(TStream& stream);
    // Replaces the grid and properties by a component stream; EReadError when it is malformed.
    void LoadFromStream(TStream& stream);
    void BeforeLoading(TRVLoadFormat fileFormat) override;
    // Every item of every cell: its list marker is registered and it hears AfterLoading.
    void AfterLoading(TRVLoadFormat fileFormat) override;
    // A table just made binds its cells' markers and items once.
    void Inserted(TCustomRVData* rvData, int itemNo) override;
    void Inserting(TCustomRVData* rvData, AnsiString& text, bool safe) override;
    void StartExport() override { ++ExportDepth; }
    void EndExport() override { --ExportDepth; }
    // The "C" property: row count, column count, then a list of
    // (ColSpan, RowSpan, cell) entries, one per cell of the saved band.
    void CellsWriter(TWriter* writer);
    void CellsReader(TReader* reader, TD* cellReader);
    void RowVAlignWriter(TWriter* writer);
    void RowVAlignReader(TReader* reader);
    bool HasRowVAlign() const;

    // ---- Export (rvtable_rtf.cpp, rvtable_html.cpp)
    void FillRTFTables(TRVColorList* colorList, TRVIntegerList* listOverrideCountList,
                       TCustomRVData* rvData) override;
    void SaveRTF(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& name,
                 double twipsPerPixel, int level, TRVColorList* colorList, TRVIntegerList* styleToFont,
                 TRVIntegerList* listOverrideOffsetsList1, TRVIntegerList* listOverrideOffsetsList2,
                 TRVRTFFontTable* fontTable) override;
    void SaveToHTML(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& text,
                    const AnsiString& path, const AnsiString& imagesPrefix, int& imageCounter,
                    TColor currentFileColor, TRVSaveOptions saveOptions, bool useCss,
                    TRVList* bullets) override;
    AnsiString AsText(int lineWidth, TCustomRVData* rvData, const AnsiString& text, const AnsiString& path,
                      bool textOnly, bool unicode) override;

    // ==== The mouse, the cell selection, commands on selected cells, moving
    // between cells and editing a cell in place (rvtable_mouse.cpp,
    // rvtable_drag.cpp, rvtable_select.cpp, rvtable_selcmd.cpp, rvtable_nav.cpp,
    // rvtinplace_table.cpp). Mouse coordinates are the table's: (0, 0) is its
    // top-left corner.

    // ---- Hit tests
    // The column (row) rule within max(width / 2, 2) pixels of X (Y), -1 for
    // none: 0 the left (top) edge, n the right (bottom) edge. Min: the smallest
    // position the rule may be dragged to (-1: none); RuleX (RuleY): its position.
    int GetVerticalRuleNo(int x, int& minX, int& ruleX) const;
    int GetHorizontalRuleNo(int y, int& minY, int& ruleY) const;
    // The column (row) whose extent holds X (Y); -1 when none.
    int GetColNo(int x) const;
    int GetRowNo(int y) const;
    // The main cell under the point (not on its outermost pixel); GetCellAt
    // remembers the last cell found and tries it first.
    bool GetCellAt(int x, int y, int& row, int& col);
    bool GetCellAt_(int x, int y, int& row, int& col) const;

    // ---- The mouse protocol of the document holding the table
    bool MouseMove(TShiftState shift, int x, int y, int itemNo, TCustomRVData* rvData) override;
    bool MouseDown(TMouseButton button, TShiftState shift, int x, int y, int itemNo,
                   TCustomRVData* rvData) override;
    bool MouseUp(TMouseButton button, TShiftState shift, int x, int y, int itemNo,
                 TCustomRVData* rvData) override;
    // The dragged rule's feedback line (client coordinates of the document's
    // control), drawn as an inverting dotted line: a second call erases it.
    void XorDrawing(TObject* sender, TShiftState shift, int x, int y);
    // A mouse cell selection is running (cleared by the release or a lost capture).
    bool IsSelecting() const { return FSelecting; }
    // The capture of the document's control went elsewhere: a running cell
    // selection or rule drag ends without a change.
    void MouseCaptureLost();
    // A rule is being dragged.
    bool IsDraggingRule() const { return FDraggedRule >= 0; }

    // ---- The cell selection
    void Select(int startRow, int startCol, int rowOffs, int colOffs);
    void SelectRows(int startRow, int count);
    void SelectCols(int startCol, int count);
    void Deselect();
    void DeselectPartial() override { Deselect(); }
    bool PartiallySelected() const override { return State.Contains(rvtsSelExists); }
    // The anchor and the offsets to the opposite corner; whether a selection exists.
    bool GetSelectionBounds(int& startRow, int& startCol, int& rowOffs, int& colOffs) const;
    // The selection grown to whole merged cells; without one, with
    // IncludeEditedCell, the cell being edited. False when neither.
    bool GetNormalizedSelectionBounds(bool includeEditedCell, int& topRow, int& leftCol, int& colCount,
                                      int& rowCount);
    // Marks the selected cells rvstCompletelySelected and deselects the others inside.
    void UpdateCellSel();
    // Starts a mouse cell selection at a cell; false unless the document allows selecting.
    bool StartSelecting(int row, int col);
    // The document's own selection covers the whole table item.
    bool CompletelySelected();

    // ---- Row and column commands on the selection (or the edited cell)
    // Index 0..count, CopyIndex -1..count-1 (the line whose attributes the new
    // ones copy); Select selects the new lines.
    void InsertCols(int index, int count, int copyIndex, bool select);
    void InsertRows(int index, int count, int copyIndex, bool select);
    void InsertColsLeft(int count);
    void InsertColsRight(int count);
    void InsertRowsAbove(int count);
    void InsertRowsBelow(int count);
    void DeleteSelectedRows();
    void DeleteSelectedCols();
    // Rows (columns) whose slots are all covered from elsewhere.
    void DeleteEmptyRows();
    void DeleteEmptyCols();

    // ---- Commands on the selected cells
    bool CanMergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool allowMergeRC) const;
    void MergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool allowMergeRC);
    bool CanMergeSelectedCells(bool allowMergeRC);
    void MergeSelectedCells(bool allowMergeRC);
    void UnmergeCells(int topRow, int leftCol, int colSpan, int rowSpan, bool unmergeRows, bool unmergeCols);
    void UnmergeSelectedCells(bool unmergeRows, bool unmergeCols);
    void SplitSelectedCellsVertically(int colCount);
    void SplitSelectedCellsHorizontally(int rowCount);
    // Mode 0: a text style conversion (Value: its user data), 1: paragraph
    // style Value, 2: a paragraph style conversion; on every selected cell, as
    // one undo group.
    void ApplyToPartiallySelected(int mode, int value);
    void ApplyStyleConversionToPartiallySelected(int userData) override
    {
        ApplyToPartiallySelected(0, userData);
    }
    void ApplyParaStyleToPartiallySelected(int paraNo) override { ApplyToPartiallySelected(1, paraNo); }
    void ApplyParaStyleConversionToPartiallySelected(int userData) override
    {
        ApplyToPartiallySelected(2, userData);
    }
    // A text style conversion of every cell's text (a selection that holds
    // the whole table), recorded into the editor's open undo group.
    void ApplyStyleConversion(TCustomRVData* rvData, int userData) override;
    bool CanDeletePartiallySelected() const override;
    // Clears the selected cells (their attributes and spans stay).
    void DeletePartiallySelected() override;
    // A new table for RVData of the selected block of cells, with their
    // contents, attributes and the spans that lie inside the block.
    TCustomRVItemInfo* CopyPartiallySelected(TCustomRVData* rvData) override;
    // A hidden editor in the control that shows the table, for changing cells
    // through the editing commands (owned by the caller); null outside an editor.
    TCustomRollViewEdit* CreateTemporalEditor();

    // ---- The editor around the table
    // False outside an editor; else the editor's BeforeChange from outside.
    bool BeforeChange();
    bool CanChange() const { return IsInEditor(); }
    // Before and after a change of the table's size: the token says whether
    // the whole document must be laid out again (the table was as wide as the
    // document's minimum width); EndModify lays the table out again.
    int BeginModify(int itemNo);
    void EndModify(int itemNo, int token);
    void Change() { ChangeEx(true); }
    void ChangeEx(bool clearRedo);

    // ---- Moving between cells, the keyboard focus and the chosen cell
    // The cell reached from the main cell at (Row, Col) going Dir; false at
    // the table's ends (rvcdNext and rvcdPrev beep there unless Quiet).
    bool GetCellTo(int row, int col, TRVCellDirection dir, int& newRow, int& newCol, bool quiet) const;
    // The open editor and its cell; null and -1, -1 without one.
    TRVTableInplaceEdit* GetEditedCell(int& row, int& col) const;
    void EditCell(int row, int col) { EditCell_(row, col, false); }
    // A table inside a cell first has its outer table edit that cell.
    void EditCell_(int row, int col, bool skipQuery);
    bool EnterItem(TRVEnterDirection from, int coord) override;
    void ValidateFocused();
    bool MoveFocus(bool goForward, TCustomRVData*& topFocusedRvData, int& topFocusedItemNo) override;
    void ClearFocus() override;
    void AdjustFocus(int row, int col, TCustomRVData* topFocusedRvData, int topFocusedItemNo);
    bool AdjustFocusToControl(TControl* aControl, TCustomRVData*& topFocusedRvData,
                              int& topFocusedItemNo) override;
    bool CellIsChosen();
    void UnAssignActiveCell();
    void ResetSubCoords() override;
    // Places the editor; a height over 10000 is cut to 10000 (the editor scrolls itself then).
    void SetInplaceBounds(int left, int top, int width, int height);

    // ---- Editing a cell in place (rvtinplace_table.cpp)
    // Opens the editor over the main cell at (Row, Col) of a table inserted in
    // an editor. ItemNo: the table's item number (-1: looked up).
    void CreateInplace(int itemNo, int row, int col, bool linksActive, bool caretToStart, bool caretToEnd,
                       bool stampTime, bool skipQuery);
    bool DoOnCellEditing(int row, int col, bool automatic);
    // Closes the editor; its items go back into the cell.
    void DestroyInplace(bool reassignChosen);
    // Called by the editor while it goes.
    void InplaceDeleted(bool clearing);
    // Closes the editor for an operation that must not run with it, and reopens it.
    void SaveInplace();
    void RestoreInplace();
    void StoreRVSelection(TCustomRVFormattedData* rvData, TRVTableInplaceParamStorage& storage);
    void RestoreRVSelection(TCustomRVFormattedData* rvData, const TRVTableInplaceParamStorage& storage);
    // The editor's undo (and redo) groups become one cell-edit record each in
    // the document's lists; the editor keeps new empty lists.
    void MergeInplaceUndo();
    void FinalizeUndoGroup() override { MergeInplaceUndo(); }
    void InplaceEditorChange(TCustomRollViewEdit* sender, bool clearRedo);
    void InplaceEditorCaretGetout(TCustomRollViewEdit* sender, TRVGetOutDirection direction);
    void InplaceEditorMouseDown(TCustomRollView* sender, TMouseButton button, TShiftState shift, int itemNo,
                                int x, int y);
    void InplaceEditorMouseUp(TCustomRollView* sender, TMouseButton button, TShiftState shift, int itemNo,
                              int x, int y);
    void InplaceEditorMouseMove(TObject* sender, TShiftState shift, int x, int y);
    // A drag over the cell editor, or dropped on it, asks (tells) the control
    // that shows the table's document at once, in that control's client
    // coordinates. A control that takes no drags refuses it over the cell too.
    void InplaceEditorDragOver(TObject* sender, TObject* source, int x, int y, TDragState state,
                               bool& accept);
    void InplaceEditorDragDrop(TObject* sender, TObject* source, int x, int y);
    void InplaceEditorControlAction(TCustomRollView* sender, TRVControlAction action, int itemNo,
                                    TControl*& ctrl);
    void AdjustInserted(int x, int y, bool adjustY) override;
    bool OwnsControl(TControl* aControl) const override;
    bool GetCellWhichOwnsControl(TControl* aControl, int& row, int& col, int& itemNo) const;
    bool OwnsInplaceEditor(TControl* aEditor) const override;
    void MovingToUndoList(int itemNo, TCustomRVData* rvData, TObject* aContainerUndoItem) override;
    void MovingFromUndoList(int itemNo, TCustomRVData* rvData) override;
    // The last minimum widths seen while the editor is open.
    int CachedItemMinWidth = 0;
    int CachedEditorMinWidth = 0;
    TRVTableInplaceParamStorage InplaceParams;
    // The table's position in its document when its editor opened or the mouse was captured.
    int DocLeft = 0;
    int DocTop = 0;

private:
    // The next (previous) slot holding a cell in reading order; false at the end.
    bool NextCellSlot(int& row, int& col, bool forward) const;
    // Calls Visit with the current document of every cell, in reading order.
    template <class Visit> void ForEachCellData(Visit visit)
    {
        for (int r = 0; r < Rows->Count(); ++r)
            for (int c = 0; c < Rows->Get(r)->Count(); ++c)
                if (TRVTableCellData* cell = Rows->Get(r)->Get(c))
                    visit(cell->GetRVData());
    }
    void DeleteLines(bool rows, int index, int count, const std::function<void()>& deleteLines);
    // Mode's change (as ApplyToPartiallySelected) on every cell, or on the
    // selected ones, through a temporary editor; one record in the open group.
    void ApplyToCells(TRVEditRVData* data, int mode, int value, bool selectedOnly);
    mutable int FMyItemNo = -1;
    // What the layout and the minimum width read of the grid, gathered in one
    // walk over the cells and kept while the document, the style sheet, the
    // units, the canvas and the table's sizes are those it was gathered for:
    // every change of a cell or of the table (Changed) is a change of the
    // document.
    struct TGridMeasure {
        struct TCellAt {
            int Row;
            int Col;
            TRVTableCellData* Cell;
        };
        bool Valid = false;
        const TCustomRVData* Data = nullptr;
        TRVMeasureKey Key;
        const TCanvas* Canvas = nullptr;
        std::vector<int> Sizes;
        // Of each column, from its cells that span no columns: the narrowest
        // content width, the largest pixel width (0 when a cell has a
        // percentage), the largest percentage (0: none).
        std::vector<int> ColMins;
        std::vector<int> Pixels;
        std::vector<int> Percents;
        // The cells spanning several columns (rows), in reading order.
        std::vector<TCellAt> Wide;
        std::vector<TCellAt> Tall;
        // The table's narrowest width; -1 until measured.
        int MinWidth = -1;
    };
    TGridMeasure FGrid;
    const TGridMeasure& GridMeasure(const TRVScreenAndDevice* sad, TCanvas* canvas);
    // The heights of the rows' cells that span no rows, gathered while the cells are laid out.
    std::vector<int> FCellRowHeights;
    struct TLayoutPass;
    void WidenSpan(TLayoutPass& pass, int row, int col, int wanted, bool minMode, int maxKind);
    void DistributeRest(TLayoutPass& pass, const TGridMeasure& grid, int content);
    void LayOutRows(TRVTableItemFormattingInfo* fmt, const TGridMeasure& grid);
    void PaintCell(int row, int col, int x, int y, TCanvas* canvas, const TRect& clip,
                   TRVTableItemFormattingInfo* fmt, TRVItemDrawStates drawState, TColor selColor,
                   TRVColorMode colorMode, bool printing, bool drawGrid);
    // The steps of PaintTo.
    void PaintBackground(TCanvas* canvas, const TRect& tableRect, const TRect& clip, bool printing,
                         TRVColorMode colorMode);
    void PaintVRules(TCanvas* canvas, int left, const TRect& tableRect, TRVTableItemFormattingInfo* fmt,
                     const TRect& clip, bool hRules);
    void PaintHRules(TCanvas* canvas, int left, int top, int bodyTop, int first, int last, int headings,
                     const TRect& tableRect, TRVTableItemFormattingInfo* fmt, const TRect& clip,
                     bool printing, bool vRules);
    void PaintCells(TCanvas* canvas, int left, int top, int bodyTop, int first, int last, int headings,
                    TRVTableItemFormattingInfo* fmt, const TRect& clip, TRVItemDrawStates drawState,
                    TColor selColor, TRVColorMode colorMode, bool printing, bool drawGrid);
    bool GridOverlapped(TRVBooleanRect* visibleBorders, int row, int col, int side) const;

    // ---- The mouse and the cell selection
    // The selected block (from the anchor to the opposite corner, grown to
    // whole merged cells); false without a selection.
    bool SelectionBlock(int& top, int& left, int& bottom, int& right) const;
    bool CellContentHit(const TRVTableCellData* cell, int x, int y) const;
    void PassToCell(int row, int col, int kind, TMouseButton button, TShiftState shift, int x, int y);
    void StartRuleDrag(TCustomRVFormattedData* data, int ruleNo, int minPos, int rulePos, int pointer,
                       bool vertical, bool changeTableWidth, int itemNo);
    void FinishRuleDrag(TCustomRVFormattedData* data, int x, int y);
    void SetRowHeightsFromRule(int row, int extent, int pos);
    void SetPixelWidthsFromRule(int col, int extent, int pos, bool next);
    void SetPercentWidthsFromRule(int col, int extent, int pos);
    // Calls Act with each cell that starts in its own row left of column Col
    // and spans up to it, ending there (with its row and column).
    void ForEachCellSpanningToColumn(int col, const std::function<void(TRVTableCellData*, int, int)>& act);
    // The same over either axis: cells that start in their own line (row when
    // Rows, column otherwise) before Line and span up to it, ending there.
    void ForEachCellSpanningToLine(bool rows, int line,
                                   const std::function<void(TRVTableCellData*, int, int)>& act);
    void ReformatInEditor();
    int FSelStartRow = -1;
    int FSelStartCol = -1;
    int FSelRowOffs = 0;
    int FSelColOffs = 0;
    bool FSelecting = false;
    int FLastHitRow = -1;
    int FLastHitCol = -1;
    int FDraggedRule = -1;
    int FDragMin = -1;
    int FDragLimit2 = -1;
    int FGrabOffs = 0;
    bool FPlacingInplace = false;
};

// The table's stored form: a component whose published T is the table and
// whose defined properties are "C" (the cells list) and "RowVAlign". The
// writer saves the rows from the table's SavedFirstRow, SavedRowCount of them.
class TRVTableSW : public TComponent {
public:
    explicit TRVTableSW(TRVTableItemInfo* aTable);
    ~TRVTableSW() override;
    const char* ClassName() const override { return "TRVTableSW"; }
    const TPropertyTable* PropertyTable() const override;
    void DefineProperties(TFiler* filer) override;

    TRVTableItemInfo* T;
    // The component each cell is written and read through.
    TD* CellWriter;
};

// One cell of the cells list, streamed as a component whose published C is the cell.
class TD : public TComponent {
public:
    explicit TD(TRVTableSW* aOwner) : TComponent(nullptr), SW(aOwner) {}
    const char* ClassName() const override { return "TD"; }
    const TPropertyTable* PropertyTable() const override;

    TRVTableCellData* C = nullptr;
    // The cells read through this component.
    int CellsRead = 0;
    TRVTableSW* SW;
};

// The largest grid (rows x columns) read from a stored table: every slot
// costs memory before its cell is read, whatever the file's size.
inline constexpr int64_t RVTableMaxStoredSlots = int64_t(1) << 20;
// The largest grid whose main cells are indexed (four bytes a slot); a larger
// one, which only a program can build, finds them by walking the grid.
inline constexpr int64_t RVTableMaxIndexedSlots = int64_t(1) << 24;

// A background picture in its stored form: 32-bit little-endian length of the
// class name, the name, then the picture as a binary block. Empty for none.
AnsiString RVTableSaveBackgroundImg(TGraphic* image);
// Reads the stored form. A name longer than 255 bytes or than the bytes left
// raises EReadError; an unknown class (or one that makes no picture) skips
// the picture's block and answers null.
std::unique_ptr<TGraphic> RVTableLoadBackgroundImg(TStream& stream);

// The smallest index whose start lies before Value in a list of ascending starts.
int RV_GetCrossed(int value, const TRVIntegerList& list);
// Registers the table item under its item-type code (linking the library does it).
void RV_RegisterTableItem();
