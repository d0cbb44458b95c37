// A cell's items lent to an editor for one operation on a table in the cell:
// the cell keeps its layout meanwhile, and afterwards lays out and measures
// again only the item the operation changed.
#include <algorithm>

#include "document/rvset.h"
#include "document/rvstyle.h"
#include "table/rvtablecell.h"

void TRVTableCellData::LendItems(TCustomRVData* data, int itemNo)
{
    TRVStyle* style = GetRVStyle();
    // The layout that stands for the cell as it is, or else the kept one
    // while the same item still waits (operations on one table with no
    // layout between them), is kept; one that numbered hyperlinks is made anew.
    const bool stands = LayoutStands(style);
    const bool waits = !stands && KeptItemWaits(true, style) && FKept->ItemNo == itemNo;
    const std::unique_ptr<TRVKeptLayout> before = std::move(FKept);
    // Item ItemNo is gone when the operation undone deleted it.
    if ((stands || waits) && JumpCount == 0 && itemNo < GetItemCount()) {
        auto kept = std::make_unique<TRVKeptLayout>();
        kept->ItemNo = itemNo;
        kept->ItemCount = GetItemCount();
        kept->DocumentHeight = DocumentHeight;
        kept->Width = stands ? FLaidOutWidth : before->Width;
        kept->Key = TRVMeasureKey(ChangeCount(), style, nullptr);
        // The widths before the item changed, while its new width waits.
        if (!stands && before->MinWidthWaits) {
            kept->MinWidthWaits = true;
            kept->MinWidth = before->MinWidth;
            kept->ItemMinWidth = before->ItemMinWidth;
        } else if (MinWidthStands(nullptr, style)) {
            kept->MinWidthWaits = true;
            kept->MinWidth = FMinWidth;
            kept->ItemMinWidth = ItemSectionMinWidth(itemNo, GetFormattingCanvas());
        }
        kept->DrawItems.Swap(DrawItems);
        FKept = std::move(kept);
    }
    data->DrainFrom(this);
}

void TRVTableCellData::TakeItemsBack(TCustomRVData* data)
{
    std::unique_ptr<TRVKeptLayout> kept = std::move(FKept);
    DrainFrom(data);
    ContentChanged();
    // The cell holds as many items as it lent (the operation took none away).
    if (!kept || GetItemCount() != kept->ItemCount)
        return;
    DrawItems.Swap(kept->DrawItems);
    DocumentHeight = kept->DocumentHeight;
    // The style sheet as it was when the items were lent.
    kept->Key.Changes = ChangeCount();
    kept->Back = true;
    kept->LayoutWaits = true;
    FKept = std::move(kept);
}

bool TRVTableCellData::KeptItemWaits(bool layout, const TRVStyle* style) const
{
    return FKept && FKept->Back && (layout ? FKept->LayoutWaits : FKept->MinWidthWaits) &&
           FKept->Key == TRVMeasureKey(ChangeCount(), style, nullptr);
}

bool TRVTableCellData::KeepsLayoutFor(const TCustomRVItemInfo* item)
{
    const TRVStyle* style = GetRVStyle();
    return (KeptItemWaits(true, style) || KeptItemWaits(false, style)) && FKept->ItemNo < GetItemCount() &&
           GetItem(FKept->ItemNo) == item;
}

void TRVTableCellData::FollowKeptItem()
{
    if (FKept)
        FKept->Key.Changes = ChangeCount();
}

int TRVTableCellData::ItemSectionMinWidth(int itemNo, TCanvas* canvas)
{
    int paraStartItem = -1;
    return CalculateParaSectionsMinWidth(itemNo, itemNo, paraStartItem, nullptr, canvas);
}

bool TRVTableCellData::MeasureKeptItem(const TRVScreenAndDevice* sad, TCanvas* canvas, const TRVStyle* style)
{
    // The cell's minimum width is the widest section's: the other sections
    // are as they were, so the item's decides unless it was the widest and
    // became narrower. Measured for the screen alone.
    if (sad != nullptr || !KeptItemWaits(false, style))
        return false;
    const int now = ItemSectionMinWidth(FKept->ItemNo, canvas);
    if (now < FKept->ItemMinWidth && FKept->ItemMinWidth >= FKept->MinWidth)
        return false;
    FMinWidth = std::max(FKept->MinWidth, now);
    return true;
}

bool TRVTableCellData::FormatKeptItem(const TRVStyle* style)
{
    if (!KeptItemWaits(true, style) || GetWidth() != FKept->Width)
        return false;
    // The cell is as wide as its widest section needs (its table makes it
    // so): its text is as wide as the cell, as it was.
    const int itemNo = FKept->ItemNo;
    FKept->LayoutWaits = false;
    int first = -1;
    Item2FirstDrawItem(itemNo, first);
    int last = first;
    while (last + 1 < DrawItems.Count() && DrawItems[last + 1]->ItemNo == itemNo)
        ++last;
    FLaidOut = false;
    {
        TRVFlagGuard noMove(State, rvstDoNotMoveChildren, true);
        FormatParas(first, last, 0);
    }
    NoteLaidOut(style);
    return true;
}
