// The RTF import into documents: tables. The reader reports table starts,
// cell ends, row ends and table ends; the cells' content is read into a row
// buffer (a second table of one row) and moved into the table at each row end
// (rvrtfimport_tablerows.cpp); at the end the table's borders, padding,
// spacing and widths are finished from what the rows gave, and the table goes
// where it stands.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "document/crvdata.h"
#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "rtf/rvrtfimport.h"
#include "table/rvtable.h"

namespace {

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
// inserted. Everything else comes from the document around; its root and
// style sheet, which stay the same while the table is read, are asked once,
// so that tables nested deep do not walk up to the root at every level.
// Changes inside the table concern no document around it until it is
// inserted there (which counts as a change of that document): the counting
// of a change in its cells stops here, as it stops at a document read as a
// part of an item.
class TRVRTFTableHolder : public TCustomRVData {
public:
    explicit TRVRTFTableHolder(TCustomRVData* parent)
        : FParent(parent), FRoot(parent->GetRootData()), FAbsoluteRoot(parent->GetAbsoluteRootData()),
          FStyle(parent->GetRVStyle())
    {
        State.Include(rvstLoadingAsPartOfItem);
    }
    TCustomRVData* GetParentData() override { return FParent; }
    TCustomRVData* GetRootData() override { return FRoot; }
    TCustomRVData* GetAbsoluteParentData() override { return FParent; }
    TCustomRVData* GetAbsoluteRootData() override { return FAbsoluteRoot; }
    TRVStyle* GetRVStyle() override { return FStyle; }
    AnsiString GetURL(int) override { return AnsiString(); }
    void ControlAction2(TRVControlAction, int, TControl*&) override {}
    void HTMLSaveImage(TCustomRVData*, int, const AnsiString&, TColor, AnsiString&, bool&) override {}

private:
    TCustomRVData* FParent;
    TCustomRVData* FRoot;
    TCustomRVData* FAbsoluteRoot;
    TRVStyle* FStyle;
};

} // namespace

TRVRTFImport::TTableLevel::~TTableLevel() = default;

void TRVRTFImport::ReaderTable(TRVRTFTableEventKind whatHappens)
{
    FAfterRule = false;
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
    // The bookmarks waiting for an item mark the place where the table stands.
    level->Bookmarks.swap(FBookmarks);
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
    if (FCol + 1 >= rtfMaxCellsPerRow)
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
    AssignRowProperties(level);
    level.RowEnded = true;
    ++FRow;
    FCol = 0;
    // The buffer keeps its cells for the next row, each emptied of what this
    // row left there; the target moves to the first one directly.
    TRVTableRow& buffer = *level.RowBuffer->Rows->Get(0);
    for (int c = 0; c < buffer.Count(); ++c)
        buffer.Get(c)->Clear();
    FTarget = BufferCell(level, 0);
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
        // A page break read at the table's end belongs to what follows it.
        const bool pageBreak = FPageBreak;
        FPageBreak = false;
        // The table takes its own bookmarks; those read after its last row
        // wait for what follows it.
        std::vector<AnsiString> after = std::move(FBookmarks);
        FBookmarks = std::move(level->Bookmarks);
        AnsiString text;
        InsertItem(text, std::move(table), rtf_ts_NewPara);
        FBookmarks.insert(FBookmarks.end(), after.begin(), after.end());
        FPageBreak = pageBreak;
        // The markers of its cells are counted once it stands in the document.
        if (FTables.empty())
            FTarget->AddMarkersInList(FLastInserted, FLastInserted);
    } else
        FBookmarks.insert(FBookmarks.begin(), level->Bookmarks.begin(), level->Bookmarks.end());
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
                bool HasCheckpoint;
                AnsiString CheckpointName;
            };
            // The items leave the cell without their checkpoints, which wait
            // as bookmarks for the items' new places.
            std::vector<TEntry> moving;
            for (int i = 0; i < cell->GetItemCount(); ++i) {
                const TRVCPInfo* cp = cell->GetItem(i)->GetCheckpoint();
                moving.push_back(
                    {cell->GetItemText(i), cell->GetItem(i), cp != nullptr, cp ? cp->Name : AnsiString()});
                if (cp)
                    cell->RemoveCheckpoint(i);
            }
            cell->Items->Clear();
            bool afterMarker = false;
            std::vector<AnsiString> carried;
            for (TEntry& entry : moving) {
                std::unique_ptr<TCustomRVItemInfo> item(entry.Item);
                if (entry.HasCheckpoint)
                    carried.push_back(entry.CheckpointName);
                if (item->StyleNo == rvsListMarker) {
                    afterMarker = true;
                    continue;
                }
                FBookmarks.insert(FBookmarks.begin(), carried.begin(), carried.end());
                carried.clear();
                const TRVRTFPosition position = afterMarker             ? rtf_ts_NewPara
                                                : item->GetSameAsPrev() ? rtf_ts_ContinuePara
                                                : item->GetBR()         ? rtf_ts_NewLine
                                                                        : rtf_ts_NewPara;
                afterMarker = false;
                item->SetPageBreakBefore(false);
                // A table moved out into the document has its markers counted there.
                const bool table = FTables.empty() && dynamic_cast<TRVTableItemInfo*>(item.get()) != nullptr;
                InsertItem(entry.Text, std::move(item), position, true);
                if (table)
                    FTarget->AddMarkersInList(FLastInserted, FLastInserted);
            }
            FBookmarks.insert(FBookmarks.begin(), carried.begin(), carried.end());
        }
    }
}

// ---------------------------------------------------------------------------
// Finishing

void TRVRTFImport::FinishTable(TTableLevel& level)
{
    // The blocks of merged rows still open end with the table.
    MergeVMerges(level, INT_MAX);
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
