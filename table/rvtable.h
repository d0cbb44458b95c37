// Tables: the table item with its published properties, its layout into
// column widths and row heights, and its painting. The cell, the row and the
// row list are in rvtablecell.h, the results of a layout in rvtablelayout.h,
// the scopes every operation runs in in rvtable_scopes.h, the components a
// table is streamed through in rvtable_stream.h.
//
// The implementation is split by concern:
//   rvtable_cells.cpp    the cell: defaults, measures, background, stored properties
//   rvtable_cellstate.cpp  the cell's slot, deselection, the chosen document, undo moves
//   rvtable_rows.cpp     rows and the row list: main cells, column measures, emptiness
//   rvtable.cpp          the table item: construction, defaults, properties, registration
//   rvtable_layout.cpp   minimum width, column widths, row heights, cell placement
//   rvtable_paint.cpp    background, rules, cells, print parts with heading rows
//   rvtable_border.cpp   borders in their five styles and the editing grid
//   rvtable_print.cpp    the print layout and its cell documents, painting a band
//   rvtable_printsplit.cpp  where a printed table may be cut, the row bands pagination cuts it into
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
#include <tuple>
#include <vector>

#include "document/rvdrawline.h"
#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "document/rvstyle_para.h"
#include "edit/rollviewedit.h"
#include "platform/core/callhold.h"
#include "platform/core/component.h"
#include "platform/core/numbers.h"
#include "table/rvdatalist.h"
#include "table/rvtable_scopes.h"
#include "table/rvtablecell.h"
#include "table/rvtablelayout.h"
#include "view/rollview.h"
#include "view/rvback.h"

class TD;
class TReader;
class TWriter;

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

// The border drawing hook: DoDefault false suppresses the border and its grid.
using TRVTableDrawBorderEvent =
    TEvent<void(TRVTableItemInfo* sender, TCanvas* canvas, int left, int top, int right, int bottom,
                int width, TColor lightColor, TColor color, TColor backgroundColor, TRVTableBorderStyle style,
                bool printing, TRVBooleanRect* visibleBorders, int row, int col, bool& doDefault)>;
using TRVCellEditingEvent =
    TEvent<void(TRVTableItemInfo* sender, int row, int col, bool automatic, bool& allowEdit)>;
using TRVCellEndEditEvent = TEvent<void(TRVTableItemInfo* sender, int row, int col, bool clearing)>;

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
    // A program's undo group around its operations on the table: one undo
    // step, whatever runs inside (cells opened and typed into, grid
    // operations, the table itself deleted), closed where the program closes
    // it. A program's groups are the outermost document's (as the control's
    // BeginUndoGroup and SetUndoGroupMode are): the cell editors' commands
    // meanwhile collect in one group each (TRVUndoList::Outer), handed to it
    // when the group closes. DoneUndo closes the group InitUndo opened.
    void InitUndo();
    void DoneUndo();
    // Runs Operation as one undo step of the document that records the
    // table's changes (joining a program's group when one is open); for a
    // table in a cell no editor edits, the cell's items lie in a hidden editor
    // for the operation's time (TRVTemporalCellEdit). Every public operation
    // that changes the table runs in one, those of its row list included.
    template <class F> void InUndoGroup(F operation)
    {
        const TRVTableOperation running(this);
        const TRVTableStep step(this);
        operation();
    }
    // The table must be laid out again; its document notes the change.
    void Changed();
    // Sets a published integer property by name: in an editor as one undoable
    // group (for a table in a cell no editor edits, a cell edit of the
    // document around the cell's table), elsewhere directly. Either way the
    // table is marked changed.
    void SetProperty(const AnsiString& propName, int64_t value, bool affectSize, bool affectWidth);
    // The same for a published text property (no layout depends on one).
    void SetStrProperty(const AnsiString& propName, const AnsiString& value);
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
    // them all leaves the table empty. A bad index raises "Invalid row or
    // column index".
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
               const TRVScreenAndDevice& sad, TRVPrintingViewer* printViewer, TRVDrawLineInfo* dli, int part,
               TRVColorMode colorMode, TCustomRVData* rvData) override;
    // The table prints itself on the device canvas, never through a bitmap.
    bool GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const override;
    // ---- Where a printed table may be cut (rvtable_printsplit.cpp)
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
    // A layout between the two (a property set by name lays the table out)
    // may have measured the document's minimum width with the table as wide
    // as it was then: EndModify then lays the whole document out.
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
    // the document's lists (those of a cell editor open inside it joining its
    // lists first); the editor keeps new empty lists.
    void MergeInplaceUndo();
    void FinalizeUndoGroup() override { MergeInplaceUndo(); }
    void InplaceEditorChange(TCustomRollViewEdit* sender, bool clearRedo);
    // The table follows its open editor's document if that changed its size or
    // the width it needs since the table last followed it.
    void FollowChangedInplaceEditor();
    // After the table is laid out again in Data: the table whose cell editor
    // Data is follows it.
    static void FollowHoldingEditor(TRVEditRVData* data);
    // The table laid out again for the open editor's document, whose minimum
    // width is now EditorMin and the table's ItemMin: the whole document when
    // the table's minimum width may have been or become the document's.
    void FollowInplaceEditor(TRVEditRVData* data, int editorMin, int itemMin);
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
    bool CallsProgramCode() const override { return true; }
    // A program's group opened by InitUndo waits for its DoneUndo.
    bool HeldByProgram() const override { return !FProgramGroups.empty(); }
    void FreeOnRelease() override { FFreeOnRelease = true; }
    void LeaveDocument() override;
    void MovingFromUndoList(int itemNo, TCustomRVData* rvData) override;
    // The last minimum widths seen while the editor is open.
    int CachedItemMinWidth = 0;
    int CachedEditorMinWidth = 0;
    // The editor's count of layouts that measured its minimum width, at the
    // last BeginModify.
    uint64_t FModifyMinWidthLayouts = 0;
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
    // The documents where the program's groups opened by InitUndo are open,
    // innermost last (null: the table recorded nothing when it opened).
    std::vector<TRVEditRVData*> FProgramGroups;
    // Taken out of its document for good, its freeing waiting (LeaveDocument);
    // freed by the DoneUndo that closes the last of the program's groups.
    bool FLeftDocument = false;
    bool FFreeOnRelease = false;
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
    // The percentage and the pixel columns of a layout pass given their widths.
    void GivePercentWidths(TLayoutPass& pass, const TGridMeasure& grid, int64_t content, int64_t pad2);
    void GivePixelWidths(TLayoutPass& pass, const TGridMeasure& grid);
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
    // Only the marks: every cell that meets the selected block has
    // rvstCompletelySelected, every other cell has not. Without a selection
    // and without marks nothing is walked.
    void MarkSelectedCells();
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
    // Some cell of the grid may carry rvstCompletelySelected: the marks need
    // taking off even when no cell is selected.
    bool FCellsMarked = false;
    int FLastHitRow = -1;
    int FLastHitCol = -1;
    int FDraggedRule = -1;
    int FDragMin = -1;
    int FDragLimit2 = -1;
    int FGrabOffs = 0;
    bool FPlacingInplace = false;
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
