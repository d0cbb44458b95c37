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
    // The layout that stands for the cell as it is, or the kept one while the
    // same item still waits (operations on one table with no layout between
    // them), is kept; one that numbered hyperlinks is made anew.
    const bool waits = KeptItemWaits(true, style) && FKept->ItemNo == itemNo;
    const std::unique_ptr<TRVKeptLayout> before = std::move(FKept);
    if ((LayoutStands(style) || waits) && JumpCount == 0 && itemNo >= 0 && itemNo < GetItemCount()) {
        auto kept = std::make_unique<TRVKeptLayout>();
        kept->ItemNo = itemNo;
        kept->ItemCount = GetItemCount();
        kept->DocumentHeight = DocumentHeight;
        kept->Width = waits ? before->Width : FLaidOutWidth;
        kept->Key = TRVMeasureKey(ChangeCount(), style, nullptr);
        // The widths before the item changed, while its new width waits.
        if (waits && before->MinWidthWaits) {
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
    try {
        data->DrainFrom(this);
    } catch (...) {
        if (FKept && GetItemCount() == FKept->ItemCount)
            DrawItems.Swap(FKept->DrawItems);
        FKept.reset();
        throw;
    }
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
    const int itemNo = FKept->ItemNo;
    FKept->LayoutWaits = false;
    // The text stays as wide as the cell: no section needed more, nor needs now.
    if (TextWidth != GetWidth() || DocumentWidth != TextWidth ||
        GetMinWidth(nullptr, GetFormattingCanvas(), style) > GetWidth())
        return false;
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
