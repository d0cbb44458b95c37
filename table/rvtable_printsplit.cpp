// Where a printed table is cut between pages: the blocks of rows that
// row-spanning cells hold together, and the row bands pagination cuts the
// table into. A row, or a block of rows, taller than a page is cut between
// the lines of its cells, each cell where its own lines allow.
#include <algorithm>
#include <utility>
#include <vector>

#include "document/rvstr.h"
#include "table/rvtable.h"

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

void TRVTablePrintInfo::Crossers(int row, std::vector<TCrosser>& crossers) const
{
    crossers.clear();
    const TRVTableRows& rows = *Table->Rows;
    const int last = rows.Count() - 1;
    for (int c = rows.Get(row)->Count() - 1; c >= 0;) {
        int mRow = 0;
        int mCol = 0;
        const TRVTableCellData* main = rows.GetMainCell(row, c, mRow, mCol);
        if (main == nullptr) {
            --c;
            continue;
        }
        crossers.push_back({mRow, mCol, std::clamp(mRow + main->RowSpan - 1, row, last)});
        c = std::min(c, mCol) - 1;
    }
}

bool TRVTablePrintInfo::CellLines(int row, int col, TCellLines& lines) const
{
    lines = TCellLines();
    const int cols = Table->Rows->GetColCount();
    if (col >= cols)
        return false;
    TRVTablePrintCell* cell = FmtInfo.PrintCell(row * cols + col);
    if (cell == nullptr)
        return false;
    lines.Bottoms = &cell->LineBottoms();
    if (lines.Bottoms->empty())
        return false;
    const TRVTableRow* cells = Table->Rows->Get(row);
    const TRVTableCellData* data = col < cells->Count() ? cells->Get(col) : nullptr;
    const int space = std::max(0, cell->Height - lines.Bottoms->back());
    if (data != nullptr && data->GetRealVAlign() == rvcMiddle)
        lines.Offset = space / 2;
    else if (data != nullptr && data->GetRealVAlign() == rvcBottom)
        lines.Offset = space;
    return true;
}

int TRVTablePrintInfo::TCellLines::LastAtOrAbove(int limit, int from) const
{
    const auto at = std::upper_bound(Bottoms->begin(), Bottoms->end(), limit - Offset);
    return at == Bottoms->begin() ? from : std::max(from, *(at - 1) + Offset);
}

int TRVTablePrintInfo::TCellLines::FirstBelow(int from) const
{
    const auto at = std::upper_bound(Bottoms->begin(), Bottoms->end(), from - Offset);
    return at == Bottoms->end() ? from : *at + Offset;
}

int TRVTablePrintInfo::ShownFrom(const TRVTablePrintPart* part, const TCrosser& cell) const
{
    if (cell.Row > part->FirstRow || cell.End < part->FirstRow ||
        cell.Col >= static_cast<int>(part->FirstRowFrom.size()))
        return 0;
    return part->FirstRowFrom[cell.Col];
}

// A cell shown in the band from From up to To needs To - From of the rows it
// crosses there; the rows the band holds whole give what they give, and the
// first and the last row grow to give the rest. A first row shown from inside
// keeps, for a cell that goes on below it, what is left of the cell's part of
// the row, so that its lines stay beside those of the rows below; the last
// row, once the first is known, whatever a cell needs beyond the rows above.
TRVTablePrintInfo::TEdgeHeights TRVTablePrintInfo::EdgeHeights(const TRVTablePrintPart* part) const
{
    const int first = part->FirstRow;
    const int last = first + part->RowCount - 1;
    TEdgeHeights heights{FmtInfo.RowHeights[first], FmtInfo.RowHeights[last]};
    const bool fromInside = !part->FirstRowFrom.empty();
    const bool toInside = !part->LastRowTo.empty();
    if (!fromInside && !toInside)
        return heights;
    auto shownTo = [&](const TCrosser& cell, const TCellLines& lines) {
        return toInside && cell.End >= last && cell.Col < static_cast<int>(part->LastRowTo.size())
                   ? part->LastRowTo[cell.Col]
                   : lines.Back();
    };
    std::vector<TCrosser> cells;
    TCellLines lines;
    if (first == last) {
        Crossers(first, cells);
        int height = 0;
        for (const TCrosser& cell : cells)
            if (CellLines(cell.Row, cell.Col, lines))
                height = std::max(height, shownTo(cell, lines) - ShownFrom(part, cell));
        return {height, height};
    }
    if (fromInside) {
        Crossers(first, cells);
        int height = 0;
        for (const TCrosser& cell : cells) {
            if (!CellLines(cell.Row, cell.Col, lines))
                continue;
            const int to = shownTo(cell, lines);
            const int rowEnd = cell.End > first ? RowBottom(first) - FmtInfo.RowStarts[cell.Row] : to;
            height = std::max(height, std::min(to, rowEnd) - ShownFrom(part, cell));
        }
        heights.First = height;
    }
    if (toInside) {
        Crossers(last, cells);
        const int shift = FmtInfo.RowHeights[first] - heights.First;
        int height = 0;
        for (const TCrosser& cell : cells) {
            if (!CellLines(cell.Row, cell.Col, lines))
                continue;
            const int top = std::max(cell.Row, first);
            const int above = FmtInfo.RowStarts[last] - FmtInfo.RowStarts[top] - (top == first ? shift : 0);
            height = std::max(height, shownTo(cell, lines) - ShownFrom(part, cell) - above);
        }
        heights.Last = height;
    }
    return heights;
}

int TRVTablePrintInfo::BandHeight(const TRVTablePrintPart* part) const
{
    const int first = part->FirstRow;
    const int last = first + part->RowCount - 1;
    const TEdgeHeights heights = EdgeHeights(part);
    int height = RowBottom(last) + ExtraHeight() - FmtInfo.RowStarts[first];
    height -= FmtInfo.RowHeights[first] - heights.First;
    if (last != first)
        height -= FmtInfo.RowHeights[last] - heights.Last;
    return height;
}

void TRVTablePrintInfo::CutBand(TRVTablePrintPart* part, int last, std::vector<int> to, int next)
{
    const int end = part->FirstRow + part->RowCount;
    if (last < part->FirstRow || (next != last && next != last + 1) || next >= end)
        throw ERollViewError(errRVInternalPrinting);
    auto rest = std::make_unique<TRVTablePrintPart>();
    rest->FirstRow = next;
    rest->RowCount = end - next;
    rest->LastRowTo = part->LastRowTo;
    if (next == last) {
        rest->FirstRowFrom = to;
    } else {
        // The cells that go on below the cut continue from where it left them.
        std::vector<TCrosser> cells;
        Crossers(next, cells);
        for (const TCrosser& cell : cells)
            if (cell.Row < next) {
                rest->FirstRowFrom.resize(to.size(), 0);
                rest->FirstRowFrom[cell.Col] = to[cell.Col];
            }
    }
    part->RowCount = last - part->FirstRow + 1;
    part->LastRowTo = std::move(to);
    part->Height = BandHeight(part);
    rest->Height = BandHeight(rest.get());
    PartsList.Add(rest.release());
}

bool TRVTablePrintInfo::SliceFirstBlock(TRVTablePrintPart* part, int y)
{
    const int first = part->FirstRow;
    const int blockEnd = std::min(Table->GetSplitRowBelow(first), first + part->RowCount - 1);
    const int avail = y - ExtraHeight();
    const int shift = FmtInfo.RowHeights[first] - EdgeHeights(part).First;
    // Where row R begins and ends in the band.
    auto top = [&](int r) {
        return FmtInfo.RowStarts[r] - FmtInfo.RowStarts[first] - (r > first ? shift : 0);
    };
    auto bottom = [&](int r) { return RowBottom(r) - FmtInfo.RowStarts[first] - shift; };
    // Row K, the first of the block that does not end above the page's
    // bottom, is cut: each cell crossing it after the last of its lines that
    // fits (the space above a cell's lines may be cut anywhere), and in the
    // band's first row after at least one line, so that the band moves on.
    int k = first;
    while (k < blockEnd && bottom(k) < avail)
        ++k;
    const int cols = Table->Rows->GetColCount();
    std::vector<int> to(static_cast<size_t>(cols), 0);
    // The same, less the space above the lines of the row's own cells that
    // show no line above the cut.
    std::vector<int> lines(static_cast<size_t>(cols), 0);
    std::vector<TCrosser> cells;
    TCellLines cellLines;
    Crossers(k, cells);
    bool moved = false;
    bool rest = false; // a cell that ends in row K keeps lines for the next page
    for (const TCrosser& cell : cells) {
        if (!CellLines(cell.Row, cell.Col, cellLines))
            continue;
        const int from = ShownFrom(part, cell);
        const int room = avail - top(std::max(cell.Row, first));
        const int space =
            from < cellLines.Offset ? std::min(cellLines.Offset, from + std::max(room, 0)) : from;
        int cut = cellLines.LastAtOrAbove(from + room, space);
        if (k == first && cut == from)
            cut = cellLines.FirstBelow(from);
        to[cell.Col] = cut;
        lines[cell.Col] = cell.Row == k && cut < cellLines.Front() ? from : cut;
        moved = moved || cut > from;
        rest = rest || (cell.End == k && cut < cellLines.Back());
    }
    if (rest && k == first && !moved)
        return false;
    TRVTablePrintPart probe;
    probe.FirstRow = first;
    probe.RowCount = k - first + 1;
    probe.FirstRowFrom = part->FirstRowFrom;
    probe.LastRowTo = std::move(lines);
    if (k > first && EdgeHeights(&probe).Last <= 0) {
        // No line of row K shows above the cut: the band ends with the row
        // above, whose own cells show whole.
        Crossers(k - 1, cells);
        for (const TCrosser& cell : cells)
            if (cell.End == k - 1 && CellLines(cell.Row, cell.Col, cellLines))
                to[cell.Col] = cellLines.Back();
        CutBand(part, k - 1, std::move(to), k);
        return true;
    }
    if (rest) {
        CutBand(part, k, std::move(to), k);
        return true;
    }
    // The cells ending in row K show whole. The rest of the row goes on with
    // the cells that reach below it, beside their lines in it; when none of
    // them has any of the row left, the rest begins below it.
    const int end = first + part->RowCount;
    probe.FirstRow = k;
    probe.RowCount = end - k;
    probe.FirstRowFrom = to;
    probe.LastRowTo = part->LastRowTo;
    const int next = (k > first || moved) && EdgeHeights(&probe).First > 0 ? k : k + 1;
    if (next >= end) {
        // Nothing is left: the band ends with the cells' lines, above the
        // rows' own heights.
        part->LastRowTo = std::move(to);
        part->Height = BandHeight(part);
        return false;
    }
    CutBand(part, k, std::move(to), next);
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
    const int shift = band->FirstRowFrom.empty() ? 0 : FmtInfo.RowHeights[first] - EdgeHeights(band).First;
    const int limit = y - extra + FmtInfo.RowStarts[first] + shift;
    // A row, or a block of rows held together, that does not fit alone is
    // cut between its cells' lines.
    if (RowBottom(Table->GetSplitRowBelow(first)) >= limit && SliceFirstBlock(band, y))
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
