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
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "document/rvdrawline.h"
#include "document/rvitem.h"
#include "document/rvstyle_para.h"
#include "table/rvdatalist.h"
#include "view/rvback.h"

class TRVTableItemInfo;
class TRVTableRow;
class TRVTableRows;
class TRVTableCellData;

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
// Whether the platform draws rectangles of any height; false keeps a colour
// border 32000 pixels or taller to single lines.
extern bool RVNT;

// The in-place cell editor as the table sees it. The editing layer implements
// it and sets the table's InplaceEditor while a cell is edited; the table never
// owns it.
class TRVTableInplaceEdit {
public:
    virtual ~TRVTableInplaceEdit() = default;
    // The cell being edited.
    virtual TRVTableCellData* GetEditedCell() = 0;
    // The document being edited in place of the cell's own.
    virtual TCustomRVFormattedData* GetEditorData() = 0;
    // The cell was laid out to a new width.
    virtual void SetEditorWidth(int Width) = 0;
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
    virtual void FormatCell(bool Force) = 0;
    // Paints the document with its top-left corner at (Left, Top + the vertical offset).
    virtual void DrawCell(TCanvas* Canvas, int Left, int Top, TRVItemDrawStates State) = 0;
};

// One cell: a sub-document owned by its row. Left, Top, Width and Height are
// the cell's rectangle relative to the table, padding included, written by the
// table's layout. RowSpan and ColSpan above 1 make a merged cell whose covered
// slots are null. A new cell holds one empty text line.
class TRVTableCellData : public TRVItemFormattedData {
public:
    explicit TRVTableCellData(TRVTableRow* ARow);
    ~TRVTableCellData() override;
    const char* ClassName() const override { return "TRVTableCellData"; }
    const TPropertyTable* PropertyTable() const override;
    // "Data" (the document as RVF) and "BackgroundImg" (class name and picture).
    void DefineProperties(TFiler* Filer) override;

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
    TCustomRVFormattedData* GetFormattedRVData();
    bool IsTransparent() const { return Color == clNone; }

    void SetColor(TColor Value) { Color = Value; }
    void SetBestWidth(TRVHTMLLength Value) { BestWidth = Value; }
    void SetBestHeight(int Value) { BestHeight = Value; }
    void SetVisibleBorders(const TRVBooleanRect* Value) { VisibleBorders->Assign(Value); }
    TGraphic* GetBackgroundImage() const;
    TRVItemBackgroundStyle GetBackgroundStyle() const;
    void SetBackgroundImage(TGraphic* Graphic) { SetBackgroundImage_(Graphic, true); }
    // Copy: the cell keeps a copy; else it takes the picture over.
    void SetBackgroundImage_(TGraphic* Graphic, bool Copy);
    void SetBackgroundStyle(TRVItemBackgroundStyle Value);
    void AssignAttributesFrom(const TRVTableCellData* Source, bool IncludeSize, int DivColSpan,
                              int DivRowSpan);
    void AssignSizeFrom(const TRVTableCellData* Source);

    TRVCellVAlign GetRealVAlign() const;
    int GetExtraVOffs();
    int GetCellHeight();
    // The narrowest content width; cached until the content or the units change.
    int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas);
    bool HasData(bool CheckStyles);
    // The cached minimum width is stale: the content changed.
    void ContentChanged() { FMinWidthValid = false; }

    // ---- Sub-document answers
    TRVOptions GetOptions() override;
    void ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, AnsiString& Text,
                    TCustomRVData* RVData) override;
    void GetOrigin(int& X, int& Y) override;
    int GetAreaWidth() override { return GetWidth(); }
    TRVBackground* GetBackground() override { return Background.get(); }
    int GetHOffs() override;
    int GetVOffs() override;
    int GetWidth() override;
    int GetHeight() override;
    TColor GetColor() override { return clNone; }
    bool SupportsPageBreaks() const override { return false; }
    void ControlAction2(TRVControlAction Action, int ItemNo, TControl*& Ctrl) override;
    TRVMarkerList* GetMarkers(bool AllowCreate) override;
    void DoSelect() override {}

    // ---- Selection, the chosen nested document and undo (rvtable_cellstate.cpp)
    // A nested document of this cell that is chosen (active), and its item.
    TCustomRVFormattedData* ChosenRVData = nullptr;
    TCustomRVItemInfo* ChosenItem = nullptr;
    TCustomRVData* GetChosenRVData() override { return ChosenRVData; }
    TCustomRVItemInfo* GetChosenItem() override { return ChosenItem; }
    // Also drops the cell as the chosen document of the table's document.
    void Deselect(TCustomRVItemInfo* NewPartiallySelected, bool MakeEvent) override;
    void UnassignChosenRVData(TCustomRVData* RVData) override;
    // The table's item number and a new TRVTableStoreSubRVData (the caller's) with this cell's slot.
    void GetParentInfo(int& ParentItemNo, TRVStoreSubRVData*& Location) override;
    void ResetSubCoords() override;
    // This cell's slot in its table; -1, -1 when it has none.
    void GetPosition(int& Row, int& Col) const;
    // Whether the cell may be cleared: none of its items is protected from deletion.
    bool CanClear();
    // The cell leaves its table for an undo record, and comes back.
    void MovingToUndoList(TObject* AUndoInfo);
    void MovingFromUndoList();

    // The background picture in its stored form: 32-bit length of the class
    // name, the name, the picture's binary block. Empty without a picture.
    AnsiString SaveBackgroundImg() const;
    // Reads the stored form; a class that is not registered or makes no picture
    // leaves the cell without a background picture.
    void LoadBackgroundImg(TStream& Stream);

private:
    int FMinWidth = 0;
    bool FMinWidthValid = false;
    TRVScreenAndDevice FMinWidthSad;
    bool FMinWidthHasSad = false;
    int FMinWidthItems = -1;
};

// One row: a slot per column, each a cell or null (covered by a merged cell).
class TRVTableRow : public TRVDataList {
public:
    TRVTableRow(int ColCount, TRVTableRows* ARows, TCustomRVData* MainRVData);
    // Frees the cells while they can still reach their table.
    ~TRVTableRow() override { Clear(); }
    const char* ClassName() const override { return "TRVTableRow"; }

    TRVCellVAlign VAlign = rvcTop;
    TRVTableRows* Rows;

    TCustomRVData* GetParentRVData() override;
    TRVTableCellData* Add();
    TRVTableCellData* Insert(int Index);
    void InsertEmpty(int Index);
    void InsertPointer(int Index, TRVTableCellData* Cell);
    TRVTableCellData* Get(int Index) const { return static_cast<TRVTableCellData*>(TRVList::Get(Index)); }
    TRVTableCellData* operator[](int Index) const { return Get(Index); }
    void Put(int Index, TRVTableCellData* Cell);
    // The largest BestHeight among the cells that do not span rows; 0 when none.
    int GetBestHeight() const;
    // The largest cell height among the cells that do not span rows; 10 when 0.
    int GetHeight() const;
    // Whether a cell of this row (row Index) ends within RangeStart..RangeStart+Count-1.
    bool HasCellsInRange(int Index, int RangeStart, int Count) const;
};

// The rows, top to bottom; owns them (a row owns its cells).
class TRVTableRows : public TRVList {
public:
    TRVTableRows(int RowCount, int ColCount, TCustomRVData* AMainRVData, TRVTableItemInfo* ATable);
    ~TRVTableRows() override { Clear(); }
    const char* ClassName() const override { return "TRVTableRows"; }

    TCustomRVData* MainRVData;
    TRVTableItemInfo* Table;

    void Reset(int RowCount, int ColCount);
    // No rows, or rows without slots.
    bool Empty() const;
    TRVTableRow* Add(int ColCount);
    TRVTableRow* Insert(int Index, int ColCount);
    void InsertPointer(int Index, TRVTableRow* Row);
    TRVTableRow* Get(int Index) const { return static_cast<TRVTableRow*>(TRVList::Get(Index)); }
    TRVTableRow* operator[](int Index) const { return Get(Index); }
    void Put(int Index, TRVTableRow* Row);

    int GetColCount() const;
    // The cell whose block holds slot (Row, Col), and its slot; null (and -1, -1)
    // only for a grid that breaks the invariants.
    TRVTableCellData* GetMainCell(int Row, int Col, int& MRow, int& MCol) const;
    // The wanted width of a block; percentages win over pixels.
    int GetBestWidth(int TopRow, int LeftCol, int ColSpan, int RowSpan) const;
    bool IsEmptyCols(int FirstRow, int Col1, int Count1, int RowCount, int Col2, int Count2) const;
    bool IsEmptyRows(int Row1, int FirstCol, int ColCount, int Count1, int Row2, int Count2) const;
    int GetMinColWidth(int Col, const TRVScreenAndDevice* sad, TCanvas* Canvas) const;
    bool IsPercentWidthColumn(int Col) const;
    int GetPercentColWidth(int Col, int TableWidth) const;
    int GetPixelColWidth(int Col) const;
    // The cells of a block leave their rows for an undo record, and come back.
    void MovingToUndoList(int Row, int Col, int ColCount, int RowCount, TObject* UndoInfo);
    void MovingFromUndoList(int Row, int Col, int ColCount, int RowCount);
};

// The slot of a cell as a sub-document position.
class TRVTableStoreSubRVData : public TRVStoreSubRVData {
public:
    TRVTableStoreSubRVData(int ARow, int ACol) : Row(ARow), Col(ACol) {}
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
    explicit TRVTableItemFormattingInfo(bool CreatePrintCells);
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
    TRVTablePrintCell* PrintCell(int Index) const;
};

// The draw item of a table laid out for a device: the printing layer makes it
// (with one printable cell document per slot in Fmt.PrintCells) and the table
// lays it out with Device set to Sad.
class TRVTablePrintDrawItem : public TRVDrawLineInfo {
public:
    TRVTablePrintDrawItem() : Fmt(true) {}
    const char* ClassName() const override { return "TRVTablePrintDrawItem"; }
    TRVTableItemFormattingInfo Fmt;
    TRVScreenAndDevice Sad;
};

// The border drawing hook: DoDefault false suppresses the border and its grid.
using TRVTableDrawBorderEvent = std::function<void(
    TRVTableItemInfo* Sender, TCanvas* Canvas, int Left, int Top, int Right, int Bottom, int Width,
    TColor LightColor, TColor Color, TColor BackgroundColor, TRVTableBorderStyle Style, bool Printing,
    TRVBooleanRect* VisibleBorders, int Row, int Col, bool& DoDefault)>;
using TRVCellEditingEvent =
    std::function<void(TRVTableItemInfo* Sender, int Row, int Col, bool Automatic, bool& AllowEdit)>;
using TRVCellEndEditEvent = std::function<void(TRVTableItemInfo* Sender, int Row, int Col, bool Clearing)>;

// The table item (item-type code -60): a whole-line item that owns its grid,
// its screen layout and its background. Lengths in the properties are screen
// pixels; while Device is set (a print layout) they are scaled to the device.
class TRVTableItemInfo : public TRVFullLineItemInfo {
public:
    // The registry's constructor: a 1 x 1 table.
    explicit TRVTableItemInfo(TCustomRVData* RVData);
    TRVTableItemInfo(int RowCount, int ColCount, TCustomRVData* RVData);
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

    void Init(int RowCount, int ColCount, TCustomRVData* RVData);
    void ClearTemporal();
    TRVTableCellData* GetCells(int Row, int Col) const { return Rows->Get(Row)->Get(Col); }
    // Copies the attributes of Value into the cell of the slot; nothing for a covered slot.
    void SetCells(int Row, int Col, const TRVTableCellData* Value);
    TGraphic* GetBackgroundImage() const;
    void SetBackgroundImage(TGraphic* Graphic);
    TRVItemBackgroundStyle GetBackgroundStyle() const;
    void SetBackgroundStyle(TRVItemBackgroundStyle Value);
    // The document that holds the table (the row list's).
    TCustomRVData* GetRVData() const { return Rows ? Rows->MainRVData : nullptr; }

    // ---- Sizes and layout (rvtable_layout.cpp)
    int GetHeight() const override;
    int GetWidth() const override;
    int GetHorzExtra() const;
    int GetDevX(int X) const;
    int GetDevY(int Y) const;
    int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* RVData) override;
    bool IsFixedWidthTable() const;
    void OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, bool Printing, TCanvas* Canvas,
                          TCustomRVData* RVData, const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                          bool Reformat) override;
    void InternalOnDocWidthChange(int DocWidth, TRVTableItemFormattingInfo* Fmt, TCanvas* Canvas, bool Force);
    void UpdateCellXCoords(TRVTableItemFormattingInfo* Fmt, bool Force);
    void UpdateCellYCoords(TRVTableItemFormattingInfo* Fmt);

    // ---- Painting (rvtable_paint.cpp, rvtable_border.cpp)
    void PaintFullWidth(int Left, int Right, int Top, TCanvas* Canvas, TRVItemDrawStates State,
                        TRVStyle* Style, const TRect& ClipRect, TRVDrawLineInfo* dli) override;
    void PaintTo(int Left, int Right, int Top, int FirstRow, int RowCount, TCanvas* Canvas,
                 TRVItemDrawStates DrawState, TRVStyle* Style, TRVTableItemFormattingInfo* Fmt,
                 bool PaintHeadings, const TRect& Clip, TRVColorMode ColorMode);
    void DrawBorder(TCanvas* Canvas, int Left, int Top, int Right, int Bottom, int Width, TColor LightColor,
                    TColor Color, TColor BackgroundColor, TRVTableBorderStyle Style, bool DrawGrid,
                    bool Printing, const TRect& Clip, TRVBooleanRect* VisibleBorders, int Row, int Col,
                    TRVColorMode ColorMode);
    // Paints what lies under the content of Cell into R (the in-place editor's
    // background): the table's picture placed as over the whole table, else its colour.
    void DrawBackgroundUnderCell(TCanvas* Canvas, TRVTableCellData* Cell, const TRect& R);
    bool IsSemiTransparentBackground() const;
    // Whether the table's cell selection holds the cell; none in a viewer.
    virtual bool IsCellSelected(int Row, int Col) const;

private:
    struct TLayoutPass;
    void WidenSpan(TLayoutPass& Pass, int Row, int Col, int Wanted, bool MinMode, int MaxKind);
    void DistributeRest(TLayoutPass& Pass, int Content);
    void LayOutRows(TRVTableItemFormattingInfo* Fmt);
    void PaintCell(int Row, int Col, int X, int Y, TCanvas* Canvas, const TRect& Clip,
                   TRVTableItemFormattingInfo* Fmt, TRVItemDrawStates DrawState, TColor SelColor,
                   TRVColorMode ColorMode, bool Printing, bool DrawGrid);
    bool GridOverlapped(TRVBooleanRect* VisibleBorders, int Row, int Col, int Side) const;
};

// The smallest index whose start lies before Value in a list of ascending starts.
int RV_GetCrossed(int Value, const TRVIntegerList& List);
// Registers the table item under its item-type code (also done at start-up).
void RV_RegisterTableItem();
