// Printing a table: its print layout with a printable document per cell, the
// row bands pagination cuts it into (heading rows left out of the bands and
// painted again above each one, row-spanning cells never cut), and painting a
// band on the page.
#include <algorithm>

#include "document/rvstr.h"
#include "document/rvstyle.h"
#include "table/rvtable.h"
#include "table/rvtableprint.h"

// ---------------------------------------------------------------------------
// The printable cell document

TCellPtblRVData::TCellPtblRVData(TCustomRollView* aRollView, TRVTableCellData* aCell,
                                 TCustomPrintableRVData* parentData)
    : TRectPtblRVData(aRollView, aCell->GetFormattedRVData(), parentData), Cell(aCell)
{
    Snapshot();
}

TRVStyle* TCellPtblRVData::GetRVStyle()
{
    return Cell->GetRVData()->GetRVStyle();
}

void TCellPtblRVData::Snapshot()
{
    TCustomRVData* source = SourceDataForPrinting;
    FLaidOut.clear();
    for (int i = 0; i < source->GetItemCount(); ++i)
        FLaidOut.push_back(source->GetItem(i));
}

bool TCellPtblRVData::IsCurrent()
{
    TCustomRVFormattedData* current = Cell->GetFormattedRVData();
    if (current != SourceDataForPrinting || current->GetItemCount() != static_cast<int>(FLaidOut.size()))
        return false;
    for (int i = 0; i < current->GetItemCount(); ++i)
        if (current->GetItem(i) != FLaidOut[i])
            return false;
    return true;
}

void TCellPtblRVData::LayOut(TCanvas* canvas)
{
    if (!IsCurrent()) {
        // The draw items name items of the document laid out before: they go
        // before the items do.
        DrawItems.Clear();
        SourceDataForPrinting = Cell->GetFormattedRVData();
        ShareItemsFrom(SourceDataForPrinting);
        Snapshot();
    }
    Height = 1;
    FormatOn(canvas);
}

void TRVTableCellPrint::FormatCell(bool)
{
    Data->Width = Width;
    if (TCanvas* canvas = Data->ParentPrintData->GetCanvas())
        Data->LayOut(canvas);
}

void TRVTableCellPrint::DrawCell(TCanvas* canvas, int left, int top, TRVItemDrawStates state)
{
    // A document that changed since pagination is laid out again on the page's
    // canvas rather than painted from draw items of items that may be gone.
    if (!Data->IsCurrent()) {
        Data->Width = Width;
        Data->LayOut(canvas);
    }
    Data->Left = left;
    Data->Top = top;
    Data->DrawPage(Data->ParentPrintData->CurrentPageNo, canvas, state.Contains(rvidsPreview),
                   state.Contains(rvidsPreviewCorrection));
}

// ---------------------------------------------------------------------------
// The print layout

TRVDrawLineInfo* TRVTableItemInfo::CreatePrintingDrawItem(TCustomRVData* rvData,
                                                          const TRVScreenAndDevice& sad)
{
    auto* printData = dynamic_cast<TCustomPrintableRVData*>(rvData);
    if (printData == nullptr)
        return TRVFullLineItemInfo::CreatePrintingDrawItem(rvData, sad);
    auto info = std::make_unique<TRVTablePrintInfo>(this);
    info->SaD = sad;
    info->UseHeadingRows = CanUseHeadingRowCount();
    const int cols = Rows->GetColCount();
    for (int r = 0; r < Rows->Count(); ++r) {
        const TRVTableRow* row = Rows->Get(r);
        for (int c = 0; c < cols; ++c) {
            TRVTableCellData* cell = c < row->Count() ? row->Get(c) : nullptr;
            const bool single = cell != nullptr && cell->RowSpan <= 1 && cell->ColSpan <= 1;
            if (cell == nullptr || (single && !cell->HasData(true))) {
                info->FmtInfo.PrintCells->Add(nullptr);
                continue;
            }
            auto data = std::make_unique<TCellPtblRVData>(printData->RollView(), cell, printData);
            data->Color = GetCellColor(cell);
            data->NoBackColor = true;
            data->Transparent = cell->IsTransparent();
            info->FmtInfo.PrintCells->Add(new TRVTableCellPrint(std::move(data)));
        }
    }
    return info.release();
}

bool TRVTableItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const
{
    if (prop == rvbpPrintToBMP)
        return false;
    // The size of the table's draw item is its layout's, on screen and on a device.
    if (prop == rvbpActualPrintSize)
        return true;
    return TRVFullLineItemInfo::GetBoolValueEx(prop, rvStyle);
}

void TRVTableItemInfo::Print(TCanvas* canvas, int x, int y, int x2, bool preview, bool correction,
                             const TRVScreenAndDevice&, TRVPrintingViewer*, TRVDrawLineInfo* dli, int part,
                             TRVColorMode colorMode, TCustomRVData* rvData)
{
    auto* info = dynamic_cast<TRVTablePrintInfo*>(dli);
    if (info == nullptr)
        return;
    int firstRow = 0;
    int rowCount = Rows->Count();
    bool headings = false;
    if (part >= 0 && part < info->PartsList.Count()) {
        const auto* band = static_cast<const TRVTablePrintPart*>(info->GetPart(part));
        firstRow = band->FirstRow;
        rowCount = band->RowCount;
        headings = info->UseHeadingRows;
    }
    TRVItemDrawStates state;
    state.Include(rvidsPrinting);
    if (preview)
        state.Include(rvidsPreview);
    if (correction)
        state.Include(rvidsPreviewCorrection);
    struct TDeviceScope {
        TRVTableItemInfo& Table;
        ~TDeviceScope() { Table.Device = nullptr; }
    } scope{*this};
    Device = &info->SaD;
    PaintTo(x, x2, y, firstRow, rowCount, canvas, state, rvData != nullptr ? rvData->GetRVStyle() : nullptr,
            &info->FmtInfo, headings, Rect(x, y, x + info->FmtInfo.Width, y + info->FmtInfo.Height),
            colorMode);
}

// ---------------------------------------------------------------------------
// Where a printed table may be cut

bool TRVTableItemInfo::CanUseHeadingRowCount() const
{
    const int h = std::min(HeadingRowCount, Rows->Count());
    if (h <= 0)
        return false;
    const TRVTableRow* row = Rows->Get(h - 1);
    for (int c = 0; c < row->Count(); ++c) {
        int mRow = 0;
        int mCol = 0;
        const TRVTableCellData* main = Rows->GetMainCell(h - 1, c, mRow, mCol);
        if (main != nullptr && mRow + main->RowSpan - 1 > h - 1)
            return false;
    }
    return true;
}

int TRVTableItemInfo::GetSplitRowBelow(int row) const
{
    const int last = Rows->Count() - 1;
    int current = std::clamp(row, 0, std::max(last, 0));
    bool moved = true;
    while (moved && current < last) {
        moved = false;
        for (int c = Rows->Get(current)->Count() - 1; c >= 0; --c) {
            int mRow = 0;
            int mCol = 0;
            const TRVTableCellData* main = Rows->GetMainCell(current, c, mRow, mCol);
            if (main == nullptr)
                continue;
            const int bottom = mRow + main->RowSpan - 1;
            if (bottom > current) {
                current = std::min(bottom, last);
                moved = true;
                break;
            }
        }
    }
    return current;
}

int TRVTableItemInfo::GetSplitRowAbove(int row) const
{
    int current = std::clamp(row, 0, std::max(Rows->Count() - 1, 0));
    bool moved = true;
    while (moved && current > 0) {
        moved = false;
        for (int c = Rows->Get(current)->Count() - 1; c >= 0; --c) {
            int mRow = 0;
            int mCol = 0;
            if (Rows->GetMainCell(current, c, mRow, mCol) != nullptr && mRow < current) {
                current = mRow;
                moved = true;
                break;
            }
        }
    }
    return current;
}

// ---------------------------------------------------------------------------
// Row bands

int TRVTablePrintInfo::HeadingCount() const
{
    return UseHeadingRows ? std::min(Table->HeadingRowCount, Table->Rows->Count()) : 0;
}

int TRVTablePrintInfo::RowBottom(int row) const
{
    return FmtInfo.RowStarts[row] + FmtInfo.RowHeights[row];
}

int TRVTablePrintInfo::ExtraHeight() const
{
    const int last = Table->Rows->Count() - 1;
    return FmtInfo.RowStarts[HeadingCount()] + (FmtInfo.Height - RowBottom(last));
}

bool TRVTablePrintInfo::InitSplit()
{
    PartsList.Clear();
    if (Table == nullptr || !Table->PrintOptions.Contains(rvtoRowsSplit) || Table->Rows->Empty())
        return false;
    const int rowCount = Table->Rows->Count();
    if (FmtInfo.RowStarts.Count() != rowCount || FmtInfo.RowHeights.Count() != rowCount)
        return false;
    auto* band = new TRVTablePrintPart;
    band->FirstRow = HeadingCount();
    band->RowCount = rowCount - band->FirstRow;
    band->Height = FmtInfo.Height;
    PartsList.Add(band);
    return true;
}

bool TRVTablePrintInfo::CanSplitFirst(int y)
{
    const int h = HeadingCount();
    if (h >= Table->Rows->Count())
        return false;
    const int below = Table->GetSplitRowBelow(h);
    return RowBottom(below) < y - ExtraHeight() + FmtInfo.RowStarts[h];
}

bool TRVTablePrintInfo::SplitAt(int y)
{
    if (PartsList.Count() == 0)
        throw ERollViewError(errRVInternalPrinting);
    auto* band = static_cast<TRVTablePrintPart*>(GetPart(PartsList.Count() - 1));
    const int rowCount = Table->Rows->Count();
    if (band->RowCount <= 1 || band->Height <= y || HeadingCount() >= rowCount)
        return false;
    const int extra = ExtraHeight();
    const int limit = y - extra + FmtInfo.RowStarts[band->FirstRow];
    int r = band->FirstRow + 1;
    int k = 1;
    while (r < rowCount && RowBottom(r) < limit) {
        ++r;
        ++k;
    }
    if (band->RowCount <= k)
        throw ERollViewError(errRVInternalPrinting);
    int cut = Table->GetSplitRowAbove(r);
    // No cut fits: the band keeps at least its first block of rows.
    if (cut <= band->FirstRow + 1)
        cut = Table->GetSplitRowBelow(band->FirstRow) + 1;
    const int n = k + (cut - r);
    if (band->RowCount < n)
        throw ERollViewError(errRVInternalPrinting);
    if (band->RowCount == n)
        return false;
    band->RowCount = n;
    band->Height = RowBottom(cut - 1) + extra - FmtInfo.RowStarts[band->FirstRow];
    auto* next = new TRVTablePrintPart;
    next->FirstRow = cut;
    next->RowCount = rowCount - cut;
    next->Height = RowBottom(rowCount - 1) + extra - FmtInfo.RowStarts[cut];
    PartsList.Add(next);
    return true;
}
