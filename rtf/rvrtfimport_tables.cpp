// The RTF import into documents: tables. The reader reports table starts,
// cell ends, row ends and table ends; the cells' content is read into a row
// buffer (a second table of one row) and moved into the table at each row end,
// where the row's cell boundaries are fitted to the table's column grid. Every
// change of the grid goes through the table's own operations.
#include <algorithm>
#include <cstdlib>

#include "document/crvdata.h"
#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "rtf/rvrtfimport.h"
#include "table/rvtable.h"

namespace {

// A cell boundary within this many twips of a grid boundary falls on it.
constexpr int RV_TableGridEps = 1;
// A table grows at most to this many slots; further rows start a new table.
constexpr int64_t MaxTableSlots = 1 << 20;
// A table has at most this many columns: boundaries beyond fall on the nearest one.
constexpr int MaxTableColumns = rtfMaxCellsPerRow;

bool SideHasType(const TRVRTFParaBorder& border, TRVRTFSide side)
{
    const TRVRTFBorderSide* s = border.Side(side);
    return s && s->BorderType != rtf_brdr_None;
}

TRVAlignment AlignmentOf(TRVRTFAlignment alignment)
{
    return alignment == rtf_al_Right ? rvaRight : alignment == rtf_al_Center ? rvaCenter : rvaLeft;
}

int RoundDiv64(int64_t x, int64_t d)
{
    return d > 0 ? static_cast<int>(Round(static_cast<long double>(x) / d)) : 0;
}

// A table being built stands in a document of its own, so that asking for its
// place (which its cells do for their list markers) costs nothing until it is
// inserted. Everything else comes from the document around.
class TRVRTFTableHolder : public TCustomRVData {
public:
    explicit TRVRTFTableHolder(TCustomRVData* parent) : FParent(parent) {}
    TCustomRVData* GetParentData() override { return FParent; }
    TCustomRVData* GetRootData() override { return FParent->GetRootData(); }
    TCustomRVData* GetAbsoluteParentData() override { return FParent; }
    TCustomRVData* GetAbsoluteRootData() override { return FParent->GetAbsoluteRootData(); }
    AnsiString GetURL(int) override { return AnsiString(); }
    void ControlAction2(TRVControlAction, int, TControl*&) override {}
    void HTMLSaveImage(TCustomRVData*, int, const AnsiString&, TColor, AnsiString&, bool&) override {}

private:
    TCustomRVData* FParent;
};

} // namespace

TRVRTFImport::TTableLevel::~TTableLevel() = default;

void TRVRTFImport::ReaderTable(TRVRTFTableEventKind whatHappens)
{
    switch (whatHappens) {
    case rvf_tbl_TableStart:
        TableStart();
        break;
    case rvf_tbl_CellEnd:
        CellEnd();
        break;
    case rvf_tbl_RowEnd:
        RowEnd();
        break;
    case rvf_tbl_TableEnd:
        TableEnd();
        break;
    }
}

TCustomRVData* TRVRTFImport::OutsideTarget() const
{
    if (FHFType == rtf_hf_Header && FProps->Header())
        return FProps->Header();
    if (FHFType == rtf_hf_Footer && FProps->Footer())
        return FProps->Footer();
    return FMain;
}

TRVTableCellData* TRVRTFImport::BufferCell(TTableLevel& level, int col) const
{
    TRVTableRows& rows = *level.RowBuffer->Rows;
    col = std::clamp(col, 0, rows.GetColCount() - 1);
    return rows.Get(0)->Get(col);
}

// ---------------------------------------------------------------------------
// Table events

void TRVRTFImport::TableStart()
{
    auto level = std::make_unique<TTableLevel>();
    level->Holder =
        std::make_unique<TRVRTFTableHolder>(FTables.empty() ? FTarget : FTables.back()->Holder.get());
    level->Table = std::make_unique<TRVTableItemInfo>(0, 0, level->Holder.get());
    level->Table->BeforeLoading(rvlfRTF);
    level->RowBuffer = std::make_unique<TRVTableItemInfo>(1, 1, level->Holder.get());
    level->RowBuffer->BeforeLoading(rvlfRTF);
    TRVTableItemInfo& table = *level->Table;
    table.Color = clNone;
    table.BorderStyle = rvtbRaisedColor;
    table.CellBorderStyle = rvtbLoweredColor;
    table.BorderColor = table.BorderLightColor = rtfAutoColor;
    table.CellBorderColor = table.CellBorderLightColor = rtfAutoColor;
    level->SavedRow = FRow;
    level->SavedCol = FCol;
    FRow = FCol = 0;
    TRVTableCellData* cell = BufferCell(*level, 0);
    cell->Clear();
    FTables.push_back(std::move(level));
    SetTarget(cell);
}

void TRVRTFImport::CellEnd()
{
    // A \cell outside any table only ends a paragraph.
    if (FTables.empty())
        return;
    TTableLevel& level = *FTables.back();
    if (FTarget->GetItemCount() == 0) {
        AnsiString empty;
        AddText(&empty, nullptr, rtf_ts_NewPara);
        UpdateMarker();
    }
    TRVTableRows& buffer = *level.RowBuffer->Rows;
    // Cells past the most a row may have all go to its last one.
    if (FCol + 1 >= MaxTableColumns)
        return;
    ++FCol;
    if (FCol >= buffer.GetColCount()) {
        buffer.InsertCols(buffer.GetColCount(), 1, -1, false);
        BufferCell(level, FCol)->Clear();
    }
    SetTarget(BufferCell(level, FCol));
}

void TRVRTFImport::RowEnd()
{
    if (FTables.empty())
        return;
    TTableLevel& level = *FTables.back();
    UpdateMarker();
    CloseMarker();
    TTableLevel& current = level;
    AssignRowProperties(current);
    current.RowEnded = true;
    ++FRow;
    FCol = 0;
    // The buffer's cells go away: the target moves to the new first cell directly.
    current.RowBuffer->Rows->Reset(1, 1);
    TRVTableCellData* cell = BufferCell(current, 0);
    cell->Clear();
    FTarget = cell;
    FPendingMarker = -1;
    FHeldPosition = rtf_ts_ContinuePara;
}

void TRVRTFImport::TableEnd()
{
    if (FTables.empty())
        return;
    UpdateMarker();
    CloseMarker();
    std::unique_ptr<TTableLevel> level = std::move(FTables.back());
    FTables.pop_back();
    FRow = level->SavedRow;
    FCol = level->SavedCol;
    FTarget = FTables.empty() ? OutsideTarget() : BufferCell(*FTables.back(), FCol);
    FPendingMarker = -1;
    FHeldPosition = rtf_ts_ContinuePara;

    if (!level->Table->Rows->Empty()) {
        FinishTable(*level);
        std::unique_ptr<TRVTableItemInfo> table = std::move(level->Table);
        table->ParaNo = GetEmptyParaNo(AlignmentOf(level->Alignment));
        TRVTableItemInfo* raw = table.get();
        // A page break read at the table's end belongs to what follows it.
        const bool pageBreak = FPageBreak;
        FPageBreak = false;
        AnsiString text;
        InsertItem(text, std::move(table), rtf_ts_NewPara);
        FPageBreak = pageBreak;
        if (FTables.empty())
            RegisterTableMarkers(raw);
    }
    if (!FTables.empty())
        FTables.back()->RowEnded = false;

    // What was read after the last \row is no part of the table: it goes on
    // after it, without its list markers.
    if (!level->RowEnded) {
        TRVTableRows& buffer = *level->RowBuffer->Rows;
        for (int c = 0; c < buffer.GetColCount(); ++c) {
            TRVTableCellData* cell = buffer.Get(0)->Get(c);
            struct TEntry {
                AnsiString Text;
                TCustomRVItemInfo* Item;
            };
            std::vector<TEntry> moving;
            for (int i = 0; i < cell->GetItemCount(); ++i)
                moving.push_back({cell->GetItemText(i), cell->GetItem(i)});
            cell->Items->Clear();
            bool afterMarker = false;
            for (TEntry& entry : moving) {
                std::unique_ptr<TCustomRVItemInfo> item(entry.Item);
                if (item->StyleNo == rvsListMarker) {
                    afterMarker = true;
                    continue;
                }
                const TRVRTFPosition position = afterMarker             ? rtf_ts_NewPara
                                                : item->GetSameAsPrev() ? rtf_ts_ContinuePara
                                                : item->GetBR()         ? rtf_ts_NewLine
                                                                        : rtf_ts_NewPara;
                afterMarker = false;
                item->SetPageBreakBefore(false);
                // A table moved out into the document has its markers counted there.
                auto* table = FTables.empty() ? dynamic_cast<TRVTableItemInfo*>(item.get()) : nullptr;
                InsertItem(entry.Text, std::move(item), position, true);
                if (table)
                    RegisterTableMarkers(table);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Rows

int TRVRTFImport::GridIndex(TTableLevel& level, int x, int after)
{
    std::vector<int>& grid = level.Grid;
    const int size = static_cast<int>(grid.size());
    auto first = grid.begin() + (after + 1);
    auto found = std::lower_bound(first, grid.end(), x - RV_TableGridEps);
    if (found != grid.end() && *found <= x + RV_TableGridEps)
        return static_cast<int>(found - grid.begin());
    const int rows = level.Table->Rows->Count();
    if (size - 1 >= MaxTableColumns || static_cast<int64_t>(rows) * size > MaxTableSlots) {
        // No more columns: the nearest boundary after After.
        if (found == grid.end())
            return size - 1;
        if (found != first && x - *(found - 1) < *found - x)
            --found;
        return static_cast<int>(found - grid.begin());
    }
    const int p = static_cast<int>(found - grid.begin());
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
    TRVTableItemInfo& table = *level.Table;
    TRVTableRows& rows = *table.Rows;
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
    if (r > 0 && static_cast<int64_t>(r + 1) * std::max(rows.GetColCount(), count) > MaxTableSlots) {
        int mRow = r - 1, mCol = rows.GetColCount() - 1;
        if (TRVTableCellData* last = rows.GetMainCell(r - 1, rows.GetColCount() - 1, mRow, mCol))
            for (int i = 0; i < read; ++i)
                last->DrainFrom(buffer.Get(0)->Get(i));
        return;
    }
    std::vector<int> idx(bounds.size());
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

    // Merged cells: \clmrg into the cell on the left, then \clvmrg into the cell above.
    std::vector<int> groups;
    for (int i = 0; i < placed; ++i) {
        const bool merged = i > 0 && i < records && row.Cell(i).HMerge == rtf_cm_Merged;
        if (!merged) {
            groups.push_back(i);
            continue;
        }
        const int first = idx[groups.back()];
        if (rows.CanMergeCells(r, first, idx[i + 1] - first, 1, true))
            rows.MergeCells(r, first, idx[i + 1] - first, 1, true, false);
        else
            groups.push_back(i);
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
        int mRow = r - 1, mCol = a;
        TRVTableCellData* above = rows.GetMainCell(r - 1, a, mRow, mCol);
        if (!above || mCol != a || mCol + above->ColSpan != b)
            continue;
        if (rows.CanMergeCells(mRow, mCol, b - a, r - mRow + 1, true))
            rows.MergeCells(mRow, mCol, b - a, r - mRow + 1, true, false);
    }
}

// ---------------------------------------------------------------------------
// Finishing

void TRVRTFImport::FinishTable(TTableLevel& level)
{
    TRVTableItemInfo& table = *level.Table;
    TRVTableRows& rows = *table.Rows;
    const int rowCount = rows.Count();
    const int colCount = rows.GetColCount();
    const long double f = FTwipsToPixels;
    const auto px = [f](long double twips) { return static_cast<int>(Round(twips * f)); };

    if (level.AnyCellBorder)
        table.CellBorderStyle = rvtbColor;
    if (level.TableBorderAgrees)
        table.BorderStyle = rvtbColor;
    if (level.CellBorderColorsAgree && level.CellBorderColor != clNone)
        table.CellBorderColor = table.CellBorderLightColor = level.CellBorderColor;
    table.CellPadding =
        level.PaddingCount > 0 ? px(static_cast<long double>(level.PaddingSum) / level.PaddingCount) : 0;
    for (int r = 0; r < rowCount; ++r)
        for (int c = 0; c < colCount; ++c) {
            TRVTableCellData* cell = rows.Get(r)->Get(c);
            if (!cell)
                continue;
            // The boundaries hold the padding; the width wanted is the content's.
            if (!level.PrivateWidths && cell->BestWidth > 2 * table.CellPadding)
                cell->BestWidth -= 2 * table.CellPadding;
            if (cell->GetItemCount() == 0)
                MakeEmptyCell(cell);
        }

    if (level.HaveVSpacing) {
        table.CellVSpacing = rowCount > 1 ? px(static_cast<long double>(level.VSpacingSum) / (rowCount - 1))
                                          : table.CellVSpacing;
        table.BorderVSpacing = px(static_cast<long double>(level.VSpacingTop) + level.VSpacingBottom);
    } else {
        table.CellVSpacing = table.BorderVSpacing = -1;
    }
    if (level.HaveHSpacing) {
        table.CellHSpacing = px(static_cast<long double>(level.HSpacingSum) / rowCount);
        table.BorderHSpacing = table.CellHSpacing;
    } else {
        table.CellHSpacing = table.BorderHSpacing = -1;
    }

    // Doubled borders between cells that touch: the left (upper) one keeps its side.
    if (FProps->HideDoubleCellBorders)
        for (int r = 0; r < rowCount; ++r)
            for (int c = 0; c < colCount; ++c) {
                TRVTableCellData* cell = rows.Get(r)->Get(c);
                if (!cell)
                    continue;
                int mRow = r, mCol = c;
                if (!level.HaveHSpacing && c > 0 && cell->VisibleBorders->Left()) {
                    TRVTableCellData* left = rows.GetMainCell(r, c - 1, mRow, mCol);
                    if (left && left->VisibleBorders->Right())
                        cell->VisibleBorders->SetLeft(false);
                }
                if (!level.HaveVSpacing && r > 0 && cell->VisibleBorders->Top()) {
                    TRVTableCellData* above = rows.GetMainCell(r - 1, c, mRow, mCol);
                    if (above && above->VisibleBorders->Bottom())
                        cell->VisibleBorders->SetTop(false);
                }
            }

    const int borderTw = level.BorderCount > 0 ? RoundDiv64(level.BorderSum, level.BorderCount) : 0;
    if (level.PrivateWidths)
        table.BestWidth = level.RawWidth;
    else if (level.RawWidth < 0)
        table.BestWidth = std::max(-100, std::min(-1, level.RawWidth / 50));
    else if (level.RawWidth == 0)
        table.BestWidth = FProps->TableWidthFromGrid && level.Grid.size() > 1
                              ? px(static_cast<long double>(level.Grid.back()) - level.Grid.front())
                              : 0;
    else
        table.BestWidth = std::max(0, px(static_cast<long double>(level.RawWidth) - borderTw));
    if (level.CellBorderCount > 0)
        table.CellBorderWidth = px(static_cast<long double>(level.CellBorderSum) / level.CellBorderCount);
    if (level.BorderCount > 0)
        table.BorderWidth = px(borderTw);
    if (!level.HaveHSpacing && !level.HaveVSpacing && level.TableBorderAgrees)
        table.BorderWidth = table.BorderVSpacing = table.BorderHSpacing = 0;
    if (FProps->AutoHideTableGridLines())
        table.Options.Include(rvtoHideGridLines);
}

void TRVRTFImport::RegisterTableMarkers(TRVTableItemInfo* table)
{
    TRVTableRows& rows = *table->Rows;
    for (int r = 0; r < rows.Count(); ++r)
        for (int c = 0; c < rows.Get(r)->Count(); ++c) {
            TRVTableCellData* cell = rows.Get(r)->Get(c);
            if (!cell)
                continue;
            for (int i = 0; i < cell->GetItemCount(); ++i) {
                cell->AddMarkerInList(i);
                if (auto* nested = dynamic_cast<TRVTableItemInfo*>(cell->GetItem(i)))
                    RegisterTableMarkers(nested);
            }
        }
}

int TRVRTFImport::GetEmptyParaNo(TRVAlignment alignment)
{
    TParaInfos* styles = FStyle->ParaStyles();
    const int count = styles->Count();
    if (alignment == rvaLeft && FEmptyParaNo >= 0 && FEmptyParaNo < count)
        return FEmptyParaNo;
    int result = 0;
    if (FProps->ParaStyleMode() == rvrsUseSpecified) {
        result = FProps->ParaStyleNo() < count ? FProps->ParaStyleNo() : 0;
    } else if (FProps->ParaStyleMode() == rvrsAddIfNeeded) {
        const TParaInfo* first = styles->Items(0);
        const bool plain = first->Border()->Style() == rvbNone && first->Background()->Color() == clNone &&
                           first->LeftIndent() == 0 && first->RightIndent() == 0 &&
                           first->FirstIndent() == 0 && first->Alignment() == alignment;
        if (!plain) {
            TParaInfo wanted(nullptr);
            wanted.Assign(first);
            wanted.SetLeftIndent(0);
            wanted.SetRightIndent(0);
            wanted.SetFirstIndent(0);
            wanted.SetAlignment(alignment);
            result = styles->FindSuchStyle(0, &wanted, RVAllParaInfoProperties);
            if (result < 0) {
                TParaInfo* added = styles->Add();
                added->Assign(&wanted);
                added->SetStandard(false);
                result = styles->Count() - 1;
            }
        }
    }
    if (alignment == rvaLeft)
        FEmptyParaNo = result;
    return result;
}
