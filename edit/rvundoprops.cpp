// The play-back of the property records: each sets the old value back through
// the primitive that records the opposite change, and answers whether the
// layout after the group must cover the whole document.
#include "edit/rvundoprops.h"

#include <algorithm>

#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "edit/rvervdata.h"

void TRVUndoResizeInfo::Undo(TRVEditRVData* rvData)
{
    StoreOldWidth(rvData);
    rvData->Do_Resize(ItemNo, Width, Height, false);
}

bool TRVUndoModifyItemProps::RequiresFullReformat1(TRVEditRVData* rvData)
{
    if (!AffectSize || !AffectWidth || ItemNo < 0 || ItemNo >= rvData->GetItemCount())
        return false;
    OldWidth = rvData->CalculateMinItemWidthPlusEx(ItemNo);
    return rvData->DocumentMinWidth <= OldWidth;
}

bool TRVUndoModifyItemProps::RequiresFullReformat2(TRVEditRVData* rvData)
{
    if (!AffectSize || !AffectWidth || ItemNo < 0 || ItemNo >= rvData->GetItemCount())
        return false;
    const int now = rvData->CalculateMinItemWidthPlusEx(ItemNo);
    return now != OldWidth && now > rvData->DocumentMinWidth;
}

void TRVUndoModifyItemProps::SetOppositeUndoInfoProps(TRVUndoModifyItemProps*) {}

TPersistent* TRVUndoModifyItemProps::GetSubObject(TRVEditRVData*)
{
    return SubObject;
}

void TRVUndoModifyItemIntProperty::Undo(TRVEditRVData* rvData)
{
    TRVUndoModifyItemProps* opposite =
        rvData->Do_ModifyItemIntProperty(ItemNo, GetSubObject(rvData), PropertyName, Value, AffectSize,
                                         AffectWidth, [this] { return CreateOpposite(); });
    SetOppositeUndoInfoProps(opposite);
}

std::unique_ptr<TRVUndoModifyItemIntProperty> TRVUndoModifyItemIntProperty::CreateOpposite() const
{
    return std::make_unique<TRVUndoModifyItemIntProperty>();
}

void TRVUndoModifyItemIntProperties::Undo(TRVEditRVData* rvData)
{
    TRVUndoModifyItemProps* opposite = rvData->Do_ModifyItemIntProperties(
        ItemNo, GetSubObject(rvData), PropList, AffectSize, AffectWidth, [this] { return CreateOpposite(); });
    SetOppositeUndoInfoProps(opposite);
}

std::unique_ptr<TRVUndoModifyItemIntProperties> TRVUndoModifyItemIntProperties::CreateOpposite() const
{
    return std::make_unique<TRVUndoModifyItemIntProperties>();
}

TRVUndoListMarkersInfo::~TRVUndoListMarkersInfo()
{
    for (const TRVMarkerChange& change : Changes) {
        if (!change.Marker)
            continue;
        if (List)
            List->DisposeItem(change.Marker);
        else
            delete change.Marker;
    }
}

void TRVUndoListMarkersInfo::Undo(TRVEditRVData* rvData)
{
    TRVMarkerChanges changes;
    changes.swap(Changes);
    rvData->Do_ChangeListMarkers(changes, true, FullReformat);
}

bool TRVUndoListMarkersInfo::SetItemsRange(int& startItemNo, int& endItemNo, TRVEditRVData* rvData)
{
    if (Changes.empty())
        return false;
    startItemNo = Changes.front().ItemNo;
    endItemNo = rvData->GetParaEndItemNo(std::min(Changes.back().ItemNo, rvData->GetItemCount() - 1));
    return true;
}
