// Printing a table: its print layout with a printable document per cell, the
// row bands pagination cuts it into (heading rows left out of the bands and
// painted again above each one, row-spanning cells never cut), and painting a
// band on the page.
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
}

void TCellPtblRVData::GetLineBottoms(std::vector<int>& bottoms)
{
    bottoms.clear();
    for (int i = 0; i < DrawItems.Count(); ++i) {
        const TRVDrawLineInfo* d = DrawItems[i];
        const int bottom = d->Top + d->Height;
        if (d->FromNewLine || bottoms.empty())
            bottoms.push_back(bottom);
        else
            bottoms.back() = std::max(bottoms.back(), bottom);
    }
    if (bottoms.empty())
        bottoms.push_back(0);
    // The space below the last line belongs to it.
    bottoms.back() = std::max(bottoms.back(), DocumentHeight);
}

void TCellPtblRVData::GetDrawItemsRange(int pageNo, int& startNo, int& endNo, int& part)
{
    TRectPtblRVData::GetDrawItemsRange(pageNo, startNo, endNo, part);
    if (SliceFrom <= 0 && SliceTo < 0)
        return;
    std::vector<int> bottoms;
    GetLineBottoms(bottoms);
    // Draw item i lies on line lineOf[i]; a line is shown when its bottom lies in the slice.
    int line = -1;
    startNo = DrawItems.Count();
    endNo = -1;
    for (int i = 0; i < DrawItems.Count(); ++i) {
        if (DrawItems[i]->FromNewLine || line < 0)
            ++line;
        const int bottom = bottoms[std::min<size_t>(line, bottoms.size() - 1)];
        if (bottom > SliceFrom && (SliceTo < 0 || bottom <= SliceTo)) {
            startNo = std::min(startNo, i);
            endNo = i;
        }
    }
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
        if (first == last) {
            Shrink(first, band->FirstRowFrom, band->LastRowTo);
        } else {
            if (!band->FirstRowFrom.empty())
                Shrink(first, band->FirstRowFrom, {});
            if (!band->LastRowTo.empty())
                Shrink(last, {}, band->LastRowTo);
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
    void Shrink(int row, const std::vector<int>& from, const std::vector<int>& to)
    {
        TRVTableItemFormattingInfo& fmt = FInfo.FmtInfo;
        const int height = FInfo.SliceHeight(row, from, to);
        const int delta = fmt.RowHeights[row] - height;
        fmt.RowHeights.Put(row, height);
        for (int r = row + 1; r < fmt.RowStarts.Count(); ++r)
            fmt.RowStarts.Put(r, fmt.RowStarts[r] - delta);
        fmt.Height -= delta;
        const int cols = FInfo.Table->Rows->GetColCount();
        std::vector<int> bottoms;
        for (int c = 0; c < cols; ++c) {
            int offset = 0;
            TRVTablePrintCell* cell = fmt.PrintCell(row * cols + c);
            if (cell == nullptr || !FInfo.CellRowBottoms(row, c, bottoms, offset))
                continue;
            FCells.emplace_back(cell, cell->Height);
            cell->Height = height;
            // The slice in the row's Y, in the document's: the space above
            // the lines of a cell aligned lower moves them down.
            cell->SetSlice((c < static_cast<int>(from.size()) ? from[c] : 0) - offset,
                           c < static_cast<int>(to.size()) ? to[c] - offset : -1);
        }
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

bool TRVTablePrintInfo::CellRowBottoms(int row, int col, std::vector<int>& bottoms, int& offset) const
{
    offset = 0;
    const int cols = Table->Rows->GetColCount();
    TRVTablePrintCell* cell = FmtInfo.PrintCell(row * cols + col);
    if (cell == nullptr)
        return false;
    cell->GetLineBottoms(bottoms);
    const TRVTableRow* cells = Table->Rows->Get(row);
    const TRVTableCellData* data = col < cells->Count() ? cells->Get(col) : nullptr;
    const int space = std::max(0, cell->Height - bottoms.back());
    if (data != nullptr && data->GetRealVAlign() == rvcMiddle)
        offset = space / 2;
    else if (data != nullptr && data->GetRealVAlign() == rvcBottom)
        offset = space;
    for (int& b : bottoms)
        b += offset;
    return true;
}

int TRVTablePrintInfo::SliceHeight(int row, const std::vector<int>& from, const std::vector<int>& to) const
{
    const int cols = Table->Rows->GetColCount();
    int height = 0;
    std::vector<int> bottoms;
    for (int c = 0; c < cols; ++c) {
        int offset = 0;
        if (!CellRowBottoms(row, c, bottoms, offset))
            continue;
        const int bottom = c < static_cast<int>(to.size()) ? to[c] : bottoms.back();
        const int top = c < static_cast<int>(from.size()) ? from[c] : 0;
        height = std::max(height, bottom - top);
    }
    return height;
}

int TRVTablePrintInfo::BandHeight(const TRVTablePrintPart* part) const
{
    const int first = part->FirstRow;
    const int last = first + part->RowCount - 1;
    int height = RowBottom(last) + ExtraHeight() - FmtInfo.RowStarts[first];
    const bool fromInside = !part->FirstRowFrom.empty();
    const bool toInside = !part->LastRowTo.empty();
    if (first == last && (fromInside || toInside))
        return height - FmtInfo.RowHeights[first] + SliceHeight(first, part->FirstRowFrom, part->LastRowTo);
    if (fromInside)
        height -= FmtInfo.RowHeights[first] - SliceHeight(first, part->FirstRowFrom, {});
    if (toInside)
        height -= FmtInfo.RowHeights[last] - SliceHeight(last, {}, part->LastRowTo);
    return height;
}

bool TRVTablePrintInfo::SliceFirstRow(TRVTablePrintPart* part, int y)
{
    const int row = part->FirstRow;
    const int cols = Table->Rows->GetColCount();
    const int avail = y - ExtraHeight();
    std::vector<int> to(static_cast<size_t>(cols), 0);
    std::vector<int> bottoms;
    bool rest = false;
    bool moved = false;
    for (int c = 0; c < cols; ++c) {
        const int from = c < static_cast<int>(part->FirstRowFrom.size()) ? part->FirstRowFrom[c] : 0;
        to[c] = from;
        int offset = 0;
        if (!CellRowBottoms(row, c, bottoms, offset))
            continue;
        // The space above a cell's lines may be cut anywhere; then the last
        // whole line that fits, and at least one line, so that the row moves on.
        int cut = from < offset ? std::min(offset, from + std::max(avail, 0)) : from;
        for (int b : bottoms)
            if (b > cut && (b - from <= avail || cut == from))
                cut = b;
            else if (b > cut)
                break;
        to[c] = cut;
        moved = moved || cut > from;
        rest = rest || cut < bottoms.back();
    }
    if (!rest || !moved)
        return false;
    auto* next = new TRVTablePrintPart;
    next->FirstRow = row;
    next->RowCount = part->RowCount;
    next->FirstRowFrom = to;
    next->LastRowTo = part->LastRowTo;
    part->RowCount = 1;
    part->LastRowTo = std::move(to);
    part->Height = BandHeight(part);
    next->Height = BandHeight(next);
    PartsList.Add(next);
    return true;
}

bool TRVTablePrintInfo::SplitAt(int y)
{
    if (PartsList.Count() == 0)
        throw ERollViewError(errRVInternalPrinting);
    auto* band = static_cast<TRVTablePrintPart*>(GetPart(PartsList.Count() - 1));
    const int rowCount = Table->Rows->Count();
    if (band->Height <= y || HeadingCount() >= rowCount)
        return false;
    const int extra = ExtraHeight();
    const int first = band->FirstRow;
    // A first row shown from inside takes only what is left of it.
    const int shift = band->FirstRowFrom.empty()
                          ? 0
                          : FmtInfo.RowHeights[first] - SliceHeight(first, band->FirstRowFrom, {});
    const int limit = y - extra + FmtInfo.RowStarts[first] + shift;
    // A single row that does not fit alone is cut between its cells' lines.
    if (Table->GetSplitRowBelow(first) == first && RowBottom(first) >= limit && SliceFirstRow(band, y))
        return true;
    if (band->RowCount <= 1)
        return false;
    int r = first + 1;
    int k = 1;
    while (r < rowCount && RowBottom(r) < limit) {
        ++r;
        ++k;
    }
    if (band->RowCount <= k)
        return false;
    int cut = Table->GetSplitRowAbove(r);
    // No cut fits: the band keeps at least its first block of rows.
    if (cut <= first + 1)
        cut = Table->GetSplitRowBelow(first) + 1;
    const int n = k + (cut - r);
    if (band->RowCount < n)
        throw ERollViewError(errRVInternalPrinting);
    if (band->RowCount == n)
        return false;
    auto* next = new TRVTablePrintPart;
    next->FirstRow = cut;
    next->RowCount = rowCount - cut;
    next->LastRowTo = band->LastRowTo;
    band->RowCount = n;
    band->LastRowTo.clear();
    band->Height = BandHeight(band);
    next->Height = BandHeight(next);
    PartsList.Add(next);
    return true;
}
