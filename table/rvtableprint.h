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

    TRVTableCellData* Cell;

private:
    void Snapshot();

    std::vector<const TCustomRVItemInfo*> FLaidOut;
};

// The table's print cell over a TCellPtblRVData (owned).
class TRVTableCellPrint : public TRVTablePrintCell {
public:
    explicit TRVTableCellPrint(std::unique_ptr<TCellPtblRVData> aData) : Data(std::move(aData)) {}
    const char* ClassName() const override { return "TRVTableCellPrint"; }
    int GetDocumentHeight() override { return Data->DocumentHeight; }
    // Lays the document out on the canvas of the layout in progress.
    void FormatCell(bool force) override;
    void DrawCell(TCanvas* canvas, int left, int top, TRVItemDrawStates state) override;

    std::unique_ptr<TCellPtblRVData> Data;
};
