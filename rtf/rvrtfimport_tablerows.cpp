// The RTF import into documents: the rows of a table. At each row end the
// row's cell boundaries are fitted to the table's column grid, the cells' content and
// attributes move from the row buffer into a new row of the table, and merged
// cells are merged. Every change of the grid goes through the table's own
// operations.
#include <algorithm>
#include <climits>

#include "document/crvdata.h"
#include "document/rvitem.h"
#include "rtf/rvrtfimport.h"
#include "table/rvtable.h"

namespace {

// A cell boundary within this many twips of a grid boundary falls on it.
constexpr int RV_TableGridEps = 1;
// A table has at most this many columns: boundaries beyond fall on the nearest one.
constexpr int MaxTableColumns = rtfMaxCellsPerRow;

bool SideHasType(const TRVRTFParaBorder& border, TRVRTFSide side)
{
    const TRVRTFBorderSide* s = border.Side(side);
    return s && s->BorderType != rtf_brdr_None;
}

} // namespace

int TRVRTFImport::GridIndex(TTableLevel& level, int x, int after)
{
    std::vector<int>& grid = level.Grid;
    const int size = static_cast<int>(grid.size());
    auto first = grid.begin() + (after + 1);
    auto found = std::lower_bound(first, grid.end(), x - RV_TableGridEps);
    if (found != grid.end() && *found <= x + RV_TableGridEps)
        return static_cast<int>(found - grid.begin());
    const int rows = level.Table->Rows->Count();
    if (size - 1 >= MaxTableColumns || static_cast<int64_t>(rows) * size > RVTableMaxStoredSlots) {
        // No more columns: the nearest boundary after After.
        if (found == grid.end())
            return size - 1;
        if (found != first && x - *(found - 1) < *found - x)
            --found;
        return static_cast<int>(found - grid.begin());
    }
    const int p = static_cast<int>(found - grid.begin());
    // The blocks of merged rows are merged before the columns move.
    MergeVMerges(level, INT_MAX);
    TRVTableRows& rowList = *level.Table->Rows;
    if (p == 0 || p == size) {
        // A column at an edge: the earlier rows get empty cells without borders there.
        rowList.InsertCols(p == 0 ? 0 : rowList.GetColCount(), 1, -1, false);
        const int col = p == 0 ? 0 : rowList.GetColCount() - 1;
        for (int r = 0; r < rowList.Count(); ++r)
            if (TRVTableCellData* cell = rowList.Get(r)->Get(col)) {
                cell->VisibleBorders->SetAll(false);
                MakeEmptyCell(cell);
            }
    } else {
        SplitGridColumn(level, p - 1);
    }
    grid.insert(grid.begin() + p, x);
    return p;
}

void TRVRTFImport::SplitGridColumn(TTableLevel& level, int col)
{
    // A new column after Col, then every cell that ended at Col is merged
    // back across it, so that the earlier rows look as they did.
    TRVTableRows& rows = *level.Table->Rows;
    rows.InsertCols(col + 1, 1, col, false);
    for (int r = 0; r < rows.Count(); ++r) {
        int mRow = r, mCol = col;
        TRVTableCellData* main = rows.GetMainCell(r, col, mRow, mCol);
        if (!main || mRow != r || mCol + main->ColSpan - 1 != col)
            continue;
        if (rows.Get(r)->Get(col + 1) == nullptr)
            continue;
        const int bestWidth = main->BestWidth;
        if (rows.CanMergeCells(mRow, mCol, main->ColSpan + 1, main->RowSpan, true))
            rows.MergeCells(mRow, mCol, main->ColSpan + 1, main->RowSpan, true, false);
        main->BestWidth = bestWidth;
    }
}

void TRVRTFImport::MakeEmptyCell(TRVTableCellData* cell)
{
    cell->Clear();
    auto item = MakeEmptyText();
    item->ParaNo = GetEmptyParaNo(rvaLeft);
    cell->AddItem(AnsiString(), item.release());
}

void TRVRTFImport::AssignRowProperties(TTableLevel& level)
{
    TRVTableRows& rows = *level.Table->Rows;
    TRVTableRows& buffer = *level.RowBuffer->Rows;
    static const TRVRTFRowProperties noRow;
    const TRVRTFRowProperties* rowProps = FReader->State().RowProps();
    const TRVRTFRowProperties& row = rowProps ? *rowProps : noRow;

    // The cells read: the closed ones, and the open one when it holds something.
    int read = std::min(FCol, buffer.GetColCount());
    if (FCol < buffer.GetColCount() && buffer.Get(0)->Get(FCol)->GetItemCount() > 0)
        read = FCol + 1;
    const int records = row.CellCount();
    const int count = std::min(std::max(read, records), MaxTableColumns);
    if (read == 0 || count == 0)
        return;

    // The cell boundaries, each at least two twips right of the one before.
    std::vector<int> bounds(static_cast<size_t>(count) + 1);
    bounds[0] = RVRTFClampLength(row.Left);
    for (int i = 0; i < count; ++i) {
        const int width = i > 0 ? bounds[i] - bounds[i - 1] : 1440;
        const int x = i < records ? row.Cell(i).RightBoundary : bounds[i] + width;
        bounds[i + 1] = std::max(x, bounds[i] + RV_TableGridEps + 1);
    }

    // The row's place in the grid (the first row makes the grid). A row that
    // would make the table too large goes into the last cell.
    const int r = rows.Count();
    if (r > 0 && static_cast<int64_t>(r + 1) * std::max(rows.GetColCount(), count) > RVTableMaxStoredSlots) {
        int mRow = r - 1, mCol = rows.GetColCount() - 1;
        if (TRVTableCellData* last = rows.GetMainCell(r - 1, rows.GetColCount() - 1, mRow, mCol))
            for (int i = 0; i < read; ++i)
                last->DrainFrom(buffer.Get(0)->Get(i));
        return;
    }
    std::vector<int> idx(bounds.size());
    const int placed = PlaceRowInGrid(level, bounds, count, idx);
    AssignRowTableAttributes(level, row, r);
    AssignRowCells(level, row, r, idx, placed, read);
    MergeRowCells(level, row, r, idx, placed);
    // Blocks this row did not continue end above it.
    MergeVMerges(level, r);
}

int TRVRTFImport::PlaceRowInGrid(TTableLevel& level, const std::vector<int>& bounds, int count,
                                 std::vector<int>& idx)
{
    TRVTableRows& rows = *level.Table->Rows;
    const int r = rows.Count();
    int placed = count;
    if (r == 0) {
        level.Grid = bounds;
        for (size_t i = 0; i < idx.size(); ++i)
            idx[i] = static_cast<int>(i);
        rows.Reset(1, count);
    } else {
        // A boundary is inserted only right of the one before it, so the
        // indices found stay right. The left edge is never the last boundary.
        idx[0] = std::min(GridIndex(level, bounds[0], -1), static_cast<int>(level.Grid.size()) - 2);
        for (int i = 0; i < count; ++i) {
            if (idx[i] >= static_cast<int>(level.Grid.size()) - 1) {
                placed = i;
                break;
            }
            const int found = GridIndex(level, bounds[i + 1], idx[i]);
            idx[i + 1] = std::clamp(found, idx[i] + 1, static_cast<int>(level.Grid.size()) - 1);
        }
        rows.InsertRows(r, 1, -1, false);
    }
    const int cols = rows.GetColCount();

    // Slots of this row outside its cells hold empty cells without borders.
    for (int c = 0; c < cols; ++c)
        if (c < idx[0] || c >= idx[placed]) {
            TRVTableCellData* cell = rows.Get(r)->Get(c);
            cell->VisibleBorders->SetAll(false);
            MakeEmptyCell(cell);
        }
    return placed;
}

void TRVRTFImport::AssignRowTableAttributes(TTableLevel& level, const TRVRTFRowProperties& row, int r)
{
    TRVTableItemInfo& table = *level.Table;
    // Heading rows, spacing, padding and the table border.
    if (row.Heading && table.HeadingRowCount == r)
        table.HeadingRowCount = r + 1;
    level.Alignment = row.Alignment;
    if (row.GetUseSpacing(rtf_side_Left) || row.GetUseSpacing(rtf_side_Right)) {
        level.HaveHSpacing = true;
        level.HSpacingSum += (row.GetUseSpacing(rtf_side_Left) ? row.GetSpacingTw(rtf_side_Left) : 0) +
                             (row.GetUseSpacing(rtf_side_Right) ? row.GetSpacingTw(rtf_side_Right) : 0);
    }
    const int top = row.GetUseSpacing(rtf_side_Top) ? row.GetSpacingTw(rtf_side_Top) : 0;
    const int bottom = row.GetUseSpacing(rtf_side_Bottom) ? row.GetSpacingTw(rtf_side_Bottom) : 0;
    if (row.GetUseSpacing(rtf_side_Top) || row.GetUseSpacing(rtf_side_Bottom))
        level.HaveVSpacing = true;
    if (r == 0)
        level.VSpacingTop = top;
    else
        level.VSpacingSum += level.PrevSpacingBottom + top;
    level.PrevSpacingBottom = bottom;
    level.VSpacingBottom = bottom;
    bool anyPadding = false;
    for (TRVRTFSide side : {rtf_side_Left, rtf_side_Top, rtf_side_Right, rtf_side_Bottom})
        if (row.GetUsePadding(side)) {
            level.PaddingSum += row.GetPaddingTw(side);
            ++level.PaddingCount;
            anyPadding = true;
        }
    if (!anyPadding && row.GapH > 0) {
        level.PaddingSum += row.GapH;
        ++level.PaddingCount;
    }
    for (TRVRTFSide side : {rtf_side_Left, rtf_side_Top, rtf_side_Right, rtf_side_Bottom}) {
        const TRVRTFBorderSide* s = row.Border.Side(side);
        const int type = s ? s->BorderType : rtf_brdr_None;
        const int width = s && type != rtf_brdr_None ? s->Width : 0;
        if (!level.HaveTableBorder) {
            level.HaveTableBorder = true;
            level.TableBorderType = type;
            level.TableBorderTw = width;
        } else if (type != level.TableBorderType || width != level.TableBorderTw) {
            level.TableBorderAgrees = false;
        }
        if (type == rtf_brdr_None)
            continue;
        level.BorderSum += s->Width;
        ++level.BorderCount;
        if (s->Color != rtfNoColor) {
            if (side == rtf_side_Left || side == rtf_side_Top)
                table.BorderLightColor = s->Color;
            else
                table.BorderColor = s->Color;
        }
    }

    // The table's width: the row's own with private widths, else the larger.
    if (row.HasPrivateWidths) {
        level.PrivateWidths = true;
        level.RawWidth = row.BestWidth;
    } else if (row.BestWidth < 0 || level.RawWidth < 0) {
        level.RawWidth = std::min(level.RawWidth, row.BestWidth);
    } else {
        level.RawWidth = std::max(level.RawWidth, row.BestWidth);
    }
}

void TRVRTFImport::AssignRowCells(TTableLevel& level, const TRVRTFRowProperties& row, int r,
                                  const std::vector<int>& idx, int placed, int read)
{
    TRVTableRows& rows = *level.Table->Rows;
    TRVTableRows& buffer = *level.RowBuffer->Rows;
    const int records = row.CellCount();
    // Cells wider than one grid column span their columns.
    for (int i = 0; i < placed; ++i)
        if (idx[i + 1] - idx[i] > 1 && rows.CanMergeCells(r, idx[i], idx[i + 1] - idx[i], 1, true))
            rows.MergeCells(r, idx[i], idx[i + 1] - idx[i], 1, true, false);

    // Attributes and content.
    static const TRVRTFCellProperties noCell;
    for (int i = 0; i < placed; ++i) {
        const TRVRTFCellProperties& record = i < records ? row.Cell(i) : noCell;
        TRVTableCellData* cell = rows.Get(r)->Get(idx[i]);
        if (!cell)
            continue;
        cell->Color = record.Color == rtfNoColor ? clNone : record.Color;
        cell->VAlign = record.VAlign == rtf_val_Bottom   ? rvcBottom
                       : record.VAlign == rtf_val_Center ? rvcMiddle
                                                         : rvcTop;
        bool sides[4] = {};
        int topBottom = 0;
        TColor borderColor = clNone;
        for (TRVRTFSide side : {rtf_side_Left, rtf_side_Top, rtf_side_Right, rtf_side_Bottom}) {
            if (!SideHasType(record.Border, side))
                continue;
            const TRVRTFBorderSide& s = *record.Border.Side(side);
            sides[side] = true;
            level.AnyCellBorder = true;
            level.CellBorderSum += s.Width;
            ++level.CellBorderCount;
            if (side == rtf_side_Top || side == rtf_side_Bottom)
                topBottom += Px(s.Width);
            if (s.Color != rtfNoColor) {
                if (borderColor != clNone && borderColor != s.Color)
                    level.CellBorderColorsAgree = false;
                borderColor = s.Color;
            }
        }
        cell->VisibleBorders->SetValues(sides[rtf_side_Left], sides[rtf_side_Top], sides[rtf_side_Right],
                                        sides[rtf_side_Bottom]);
        if (borderColor != clNone) {
            if (level.CellBorderColor == clNone)
                level.CellBorderColor = borderColor;
            else if (level.CellBorderColor != borderColor)
                level.CellBorderColorsAgree = false;
            cell->BorderColor = cell->BorderLightColor = borderColor;
        }
        if (row.HasPrivateWidths)
            cell->BestHeight = std::max(0, record.BestHeight);
        else if (row.Height > 0)
            cell->BestHeight = std::max(0, Px(row.Height) - topBottom);
        cell->Clear();
        if (i < read) {
            TRVTableCellData* source = buffer.Get(0)->Get(i);
            if (source->GetItemCount() > 0)
                cell->DrainFrom(source);
        }
        if (cell->GetItemCount() == 0)
            MakeEmptyCell(cell);
    }
    // The cells the row could not place go to its last cell.
    for (int i = placed; i < read; ++i)
        if (TRVTableCellData* last = rows.Get(r)->Get(idx[placed - 1]))
            last->DrainFrom(buffer.Get(0)->Get(i));
}

void TRVRTFImport::MergeRowCells(TTableLevel& level, const TRVRTFRowProperties& row, int r,
                                 const std::vector<int>& idx, int placed)
{
    TRVTableRows& rows = *level.Table->Rows;
    const int records = row.CellCount();
    // Merged cells: each run of \clmrg merges into the cell on its left at once.
    // A run that cannot merge whole merges cell by cell as far as it can.
    std::vector<int> groups;
    for (int i = 0; i < placed;) {
        int end = i + 1;
        while (end < placed && end < records && row.Cell(end).HMerge == rtf_cm_Merged)
            ++end;
        groups.push_back(i);
        const int first = idx[i];
        if (end - i > 1 && rows.CanMergeCells(r, first, idx[end] - first, 1, true)) {
            rows.MergeCells(r, first, idx[end] - first, 1, true, false);
        } else {
            for (int k = i + 1; k < end; ++k) {
                const int from = idx[groups.back()];
                if (rows.CanMergeCells(r, from, idx[k + 1] - from, 1, true))
                    rows.MergeCells(r, from, idx[k + 1] - from, 1, true, false);
                else
                    groups.push_back(k);
            }
        }
        i = end;
    }
    groups.push_back(placed);
    for (size_t g = 0; g + 1 < groups.size(); ++g) {
        const int i = groups[g];
        const int a = idx[i], b = idx[groups[g + 1]];
        TRVTableCellData* cell = rows.Get(r)->Get(a);
        if (!cell)
            continue;
        // The width: the one written for this program, else the cells' percentages,
        // else the boundaries'.
        int percent = 0;
        bool allPercent = true;
        for (int k = i; k < groups[g + 1]; ++k) {
            const int w = k < records ? row.Cell(k).BestWidth : 0;
            if (w < 0)
                percent += w;
            else
                allPercent = false;
        }
        if (row.HasPrivateWidths)
            cell->BestWidth = i < records ? row.Cell(i).BestWidth : 0;
        else if (allPercent)
            cell->BestWidth = std::max(-100, percent / 50);
        else
            cell->BestWidth = Px(level.Grid[b] - level.Grid[a]);
        if (r == 0 || i >= records || row.Cell(i).VMerge != rtf_cm_Merged)
            continue;
        // \clvmrg: the cell joins the cell above. The rows of one block are
        // merged together once the block's last row is known.
        auto block = level.VMerges.find(a);
        if (block != level.VMerges.end() && block->second.LastRow == r - 1 && block->second.EndCol == b) {
            block->second.LastRow = r;
            continue;
        }
        int mRow = r - 1, mCol = a;
        TRVTableCellData* above = rows.GetMainCell(r - 1, a, mRow, mCol);
        if (!above || mCol != a || mCol + above->ColSpan != b)
            continue;
        level.VMerges[a] = {mRow, b, r};
    }
}

void TRVRTFImport::MergeVMerges(TTableLevel& level, int beforeRow)
{
    TRVTableRows& rows = *level.Table->Rows;
    for (auto it = level.VMerges.begin(); it != level.VMerges.end();) {
        const int col = it->first;
        const TTableLevel::TVMerge& block = it->second;
        if (block.LastRow >= beforeRow) {
            ++it;
            continue;
        }
        const int rowSpan = block.LastRow - block.Row + 1;
        if (rows.CanMergeCells(block.Row, col, block.EndCol - col, rowSpan, true))
            rows.MergeCells(block.Row, col, block.EndCol - col, rowSpan, true, false);
        it = level.VMerges.erase(it);
    }
}
