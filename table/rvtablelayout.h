// The results of a table's layout: column widths and row heights, the
// printable cell documents of a print layout, and the table's print draw item
// with the row bands pagination cuts it into.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "document/rvdrawline.h"
#include "document/rvitem.h"
#include "table/rvtablecell.h"

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
    // order), kept until it is laid out again: where a row taller than a page
    // may be cut. One line here.
    virtual const std::vector<int>& LineBottoms()
    {
        FOneLine.assign(1, GetDocumentHeight());
        return FOneLine;
    }
    // From now on only the lines whose bottoms lie in (From, To] are painted,
    // moved up by From (down for a negative From; To < 0: to the end), and
    // the slice fills the cell; (0, -1) is the whole document as laid out.
    virtual void SetSlice(int from, int to)
    {
        (void)from;
        (void)to;
    }

private:
    std::vector<int> FOneLine;
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
// heading rows are left out of the bands, to be painted again above each one;
// a block of rows held together by a row-spanning cell stays in one band
// unless it is taller than a page, when it is cut as a tall row is.
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
    // A row, or a block of rows held together by a row-spanning cell, taller
    // than Y is cut between the lines of its cells.
    bool SplitAt(int y) override;
    // The height band Part takes on a page.
    int BandHeight(const TRVTablePrintPart* part) const;
    // The layout shows band Part for the time of painting it: a row it holds
    // only in part is as high as that part, its cells (and the cells reaching
    // into it from the rows around it) showing only their lines in the band.
    class TBandScope;

    TRVTableItemFormattingInfo FmtInfo;
    TRVScreenAndDevice SaD;
    TRVTableItemInfo* Table;
    // The heading rows are painted again above every band.
    bool UseHeadingRows = false;

private:
    // A cell that crosses a row: its main slot and its last row.
    struct TCrosser {
        int Row;
        int Col;
        int End;
    };
    // The heights a band gives its first and its last row (the same row when
    // it holds one): the row's own where the band holds it whole.
    struct TEdgeHeights {
        int First;
        int Last;
    };

    // The heading rows repeated on every page.
    int HeadingCount() const;
    // The height of the table above its first body row and below its last row.
    int ExtraHeight() const;
    int RowBottom(int row) const;
    // The cells that cross row Row, each once, in no particular order.
    void Crossers(int row, std::vector<TCrosser>& crossers) const;
    // The lines of a cell: their bottoms in its document's Y, and the space
    // its vertical alignment leaves above them in the whole cell. The cell's
    // own Y of a line's bottom is the document's plus Offset.
    struct TCellLines {
        const std::vector<int>* Bottoms = nullptr;
        int Offset = 0;
        int Front() const { return Bottoms->front() + Offset; }
        int Back() const { return Bottoms->back() + Offset; }
        // In the cell's Y: the bottom of the last line ending at or above
        // Limit, else From.
        int LastAtOrAbove(int limit, int from) const;
        // In the cell's Y: the bottom of the first line ending below From,
        // else From.
        int FirstBelow(int from) const;
    };
    // The lines of the cell whose main slot is (Row, Col); false for an empty slot.
    bool CellLines(int row, int col, TCellLines& lines) const;
    // The Y in its own cell from which band Part shows Cell: where the band
    // begins inside a row, FirstRowFrom's for a cell crossing that row; else
    // 0, the cell's top.
    int ShownFrom(const TRVTablePrintPart* part, const TCrosser& cell) const;
    // The heights band Part gives its first and its last row.
    TEdgeHeights EdgeHeights(const TRVTablePrintPart* part) const;
    // Cuts band Part inside the block of rows that begins it, a block taller
    // than Y; false when nothing of it can be cut off.
    bool SliceFirstBlock(TRVTablePrintPart* part, int y);
    // Cuts band Part after row Last, the cells crossing it shown up to To, and
    // appends the rest, which begins at row Next (Last or Last + 1).
    void CutBand(TRVTablePrintPart* part, int last, std::vector<int> to, int next);
};

// One page band of a table cut by rows for printing.
class TRVTablePrintPart : public TRVMultiDrawItemPart {
public:
    const char* ClassName() const override { return "TRVTablePrintPart"; }
    // A soft page break before this band stores its first row.
    int GetSoftPageBreakInfo() const override { return FirstRow; }
    int FirstRow = 0;
    int RowCount = 0;
    // A band that begins (ends) inside a row or a block of rows taller than a
    // page: for each cell that crosses its first (last) row, at the cell's
    // main column, the Y in the cell from which (up to which) the band shows
    // its lines (in the cell's Y of CellLines: the space above the lines of a
    // cell aligned to the middle or the bottom is part of it; 0: its top).
    // Empty when the band begins (ends) where the table may be cut, every
    // cell of its first (last) row whole.
    std::vector<int> FirstRowFrom;
    std::vector<int> LastRowTo;
};

// A * B / C rounded as MulDiv rounds (halves away from zero), computed in
// full whatever the operands and brought back to int saturated; 0 when C is 0.
// The table's layout scales sums of hostile widths with it.
int ScaleSafe(int64_t a, int64_t b, int64_t c);
