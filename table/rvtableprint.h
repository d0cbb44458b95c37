// The printable document of a table cell: the cell's items laid out at the
// printer's resolution inside the cell's rectangle of a page, and the print
// cell the table lays out and paints through.
#pragma once

#include <memory>
#include <vector>

#include "print/ptrvdata.h"
#include "table/rvtable.h"

// Shares the items of the cell's current document (its own, or its in-place
// editor's while one is open). The document is resolved again before every
// paint: when it is no longer the one laid out (the editor closed, or its
// items changed), the items are shared anew and laid out again, so that a
// page never paints items that are gone.
class TCellPtblRVData : public TRectPtblRVData {
public:
    TCellPtblRVData(TCustomRollView* aRollView, TRVTableCellData* aCell, TCustomPrintableRVData* parentData);
    const char* ClassName() const override { return "TCellPtblRVData"; }
    // The style sheet of the cell's current document.
    TRVStyle* GetRVStyle() override;
    // Lays the cell's current document out on Canvas at Width.
    void LayOut(TCanvas* canvas);
    // Whether the cell's current document is still the one laid out, item for item.
    bool IsCurrent();
    // The draw items of a slice: the lines whose bottoms lie in (SliceFrom, SliceTo].
    void GetDrawItemsRange(int pageNo, int& startNo, int& endNo, int& part) override;
    int GetTopCoord(int pageNo) override;
    // The bottom of every line as laid out, the last one's at least the
    // document's height (one line at 0 without draw items).
    const std::vector<int>& LineBottoms() const { return FLineBottoms; }

    TRVTableCellData* Cell;
    // The slice painted (document Y; SliceTo < 0: to the end). A negative
    // SliceFrom moves the lines down: the space a cell's vertical alignment
    // leaves above them in a row cut between pages.
    int SliceFrom = 0;
    int SliceTo = -1;

private:
    void Snapshot();
    // Notes the lines of the layout: their bottoms and first draw items.
    void NoteLines();

    std::vector<const TCustomRVItemInfo*> FLaidOut;
    std::vector<int> FLineBottoms{0};
    std::vector<int> FLineStarts;
};

// The table's print cell over a TCellPtblRVData (owned).
class TRVTableCellPrint : public TRVTablePrintCell {
public:
    explicit TRVTableCellPrint(std::unique_ptr<TCellPtblRVData> aData) : Data(std::move(aData)) {}
    const char* ClassName() const override { return "TRVTableCellPrint"; }
    // While a slice is shown, the slice fills the cell.
    int GetDocumentHeight() override
    {
        return Data->SliceFrom != 0 || Data->SliceTo >= 0 ? Height : Data->DocumentHeight;
    }
    // Lays the document out on the canvas of the layout in progress.
    void FormatCell(bool force) override;
    void DrawCell(TCanvas* canvas, int left, int top, TRVItemDrawStates state) override;
    const std::vector<int>& LineBottoms() override { return Data->LineBottoms(); }
    void SetSlice(int from, int to) override
    {
        Data->SliceFrom = from;
        Data->SliceTo = to;
    }

    std::unique_ptr<TCellPtblRVData> Data;
};
