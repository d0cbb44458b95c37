// Printing a table: its print layout with a printable document per cell, and
// painting a row band on the page (rvtable_printsplit.cpp cuts the bands),
// rows and cells it holds only in part shown as that part.
#include <algorithm>
#include <utility>
#include <vector>

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
    NoteLines();
}

void TCellPtblRVData::NoteLines()
{
    FLineBottoms.clear();
    FLineStarts.clear();
    for (int i = 0; i < DrawItems.Count(); ++i) {
        const TRVDrawLineInfo* d = DrawItems[i];
        const int bottom = d->Top + d->Height;
        if (d->FromNewLine || FLineBottoms.empty()) {
            FLineBottoms.push_back(bottom);
            FLineStarts.push_back(i);
        } else {
            FLineBottoms.back() = std::max(FLineBottoms.back(), bottom);
        }
    }
    if (FLineBottoms.empty())
        FLineBottoms.push_back(0);
    // The space below the last line belongs to it.
    FLineBottoms.back() = std::max(FLineBottoms.back(), DocumentHeight);
}

void TCellPtblRVData::GetDrawItemsRange(int pageNo, int& startNo, int& endNo, int& part)
{
    TRectPtblRVData::GetDrawItemsRange(pageNo, startNo, endNo, part);
    if (SliceFrom <= 0 && SliceTo < 0)
        return;
    // The lines whose bottoms lie in the slice, and the draw items on them.
    const auto begin = FLineBottoms.begin();
    const size_t first = std::upper_bound(begin, FLineBottoms.end(), SliceFrom) - begin;
    const size_t end =
        SliceTo < 0 ? FLineBottoms.size() : std::upper_bound(begin, FLineBottoms.end(), SliceTo) - begin;
    startNo = DrawItems.Count();
    endNo = -1;
    if (first >= end || first >= FLineStarts.size())
        return;
    startNo = FLineStarts[first];
    endNo = (end < FLineStarts.size() ? FLineStarts[end] : DrawItems.Count()) - 1;
}

int TCellPtblRVData::GetTopCoord(int pageNo)
{
    return TRectPtblRVData::GetTopCoord(pageNo) + SliceFrom;
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

// ---------------------------------------------------------------------------
// Painting a band that holds a row in part

class TRVTablePrintInfo::TBandScope {
public:
    TBandScope(TRVTablePrintInfo& info, const TRVTablePrintPart* band) : FInfo(info)
    {
        if (band == nullptr || (band->FirstRowFrom.empty() && band->LastRowTo.empty()))
            return;
        FActive = true;
        TRVTableItemFormattingInfo& fmt = info.FmtInfo;
        FRowHeights.Assign(&fmt.RowHeights);
        FRowStarts.Assign(&fmt.RowStarts);
        FHeight = fmt.Height;
        const int first = band->FirstRow;
        const int last = first + band->RowCount - 1;
        // The slices are found while every cell has the height of its layout,
        // from which its alignment's offset comes.
        std::vector<TSlice> slices;
        Slices(band, first, last, slices);
        const TEdgeHeights heights = info.EdgeHeights(band);
        SetRowHeight(first, heights.First);
        if (last != first)
            SetRowHeight(last, heights.Last);
        for (const TSlice& s : slices) {
            FCells.emplace_back(s.Cell, s.Cell->Height);
            s.Cell->Height = fmt.RowStarts[s.Bottom] + fmt.RowHeights[s.Bottom] - fmt.RowStarts[s.Top];
            s.Cell->SetSlice(s.From, s.To);
        }
    }
    ~TBandScope()
    {
        if (!FActive)
            return;
        TRVTableItemFormattingInfo& fmt = FInfo.FmtInfo;
        fmt.RowHeights.Assign(&FRowHeights);
        fmt.RowStarts.Assign(&FRowStarts);
        fmt.Height = FHeight;
        for (const auto& [cell, height] : FCells) {
            cell->Height = height;
            cell->SetSlice(0, -1);
        }
    }
    TBandScope(const TBandScope&) = delete;
    TBandScope& operator=(const TBandScope&) = delete;

private:
    // A cell shown in part: its slice in its document's Y, and the rows of
    // the band it spans.
    struct TSlice {
        TRVTablePrintCell* Cell;
        int From;
        int To;
        int Top;
        int Bottom;
    };

    // The cells crossing the band's first row, when it begins inside it, and
    // its last row, when it ends inside it.
    void Slices(const TRVTablePrintPart* band, int first, int last, std::vector<TSlice>& slices)
    {
        std::vector<TCrosser> cells;
        std::vector<TCrosser> lastCells;
        if (!band->FirstRowFrom.empty())
            FInfo.Crossers(first, cells);
        if (!band->LastRowTo.empty())
            FInfo.Crossers(last, lastCells);
        for (const TCrosser& cell : lastCells)
            if (cell.Row > first || band->FirstRowFrom.empty())
                cells.push_back(cell);
        const int cols = FInfo.Table->Rows->GetColCount();
        TCellLines lines;
        for (const TCrosser& cell : cells) {
            TRVTablePrintCell* print = FInfo.FmtInfo.PrintCell(cell.Row * cols + cell.Col);
            if (print == nullptr || !FInfo.CellLines(cell.Row, cell.Col, lines))
                continue;
            const bool cutBelow = !band->LastRowTo.empty() && cell.End >= last &&
                                  cell.Col < static_cast<int>(band->LastRowTo.size());
            const int to = cutBelow ? band->LastRowTo[cell.Col] : lines.Back();
            // The slice in the cell's Y, in the document's: the space above
            // the lines of a cell aligned lower moves them down.
            slices.push_back({print, FInfo.ShownFrom(band, cell) - lines.Offset,
                              std::max(0, to - lines.Offset), std::max(cell.Row, first),
                              std::min(cell.End, last)});
        }
    }

    void SetRowHeight(int row, int height)
    {
        TRVTableItemFormattingInfo& fmt = FInfo.FmtInfo;
        const int delta = fmt.RowHeights[row] - height;
        fmt.RowHeights.Put(row, height);
        for (int r = row + 1; r < fmt.RowStarts.Count(); ++r)
            fmt.RowStarts.Put(r, fmt.RowStarts[r] - delta);
        fmt.Height -= delta;
    }

    TRVTablePrintInfo& FInfo;
    bool FActive = false;
    TRVIntegerList FRowHeights;
    TRVIntegerList FRowStarts;
    int FHeight = 0;
    std::vector<std::pair<TRVTablePrintCell*, int>> FCells;
};

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
    const TRVTablePrintPart* band = nullptr;
    if (part >= 0 && part < info->PartsList.Count()) {
        band = static_cast<const TRVTablePrintPart*>(info->GetPart(part));
        firstRow = band->FirstRow;
        rowCount = band->RowCount;
        headings = info->UseHeadingRows;
    }
    TRVTablePrintInfo::TBandScope bandScope(*info, band);
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
