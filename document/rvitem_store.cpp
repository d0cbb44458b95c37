// The item operations that report to the document they belong to: insertion,
// moving to an undo list, and the hypertext action.
#include "document/crvdata.h"
#include "document/rvitem.h"

namespace {

// The document's jump handler, when the document is laid out (and so has one).
void JumpThrough(TCustomRVData* RVData, const TCustomRVItemInfo* Item)
{
    if (auto* Handler = dynamic_cast<TRVJumpHandler*>(RVData))
        Handler->DoJump(RVData->FirstJumpNo + Item->JumpID);
}

} // namespace

void TCustomRVItemInfo::Inserting(TCustomRVData* RVData, AnsiString& Text, bool Safe)
{
    (void)Safe;
    if (RVData != nullptr)
        RVData->ItemAction(rviaInserting, this, Text, RVData);
}

void TCustomRVItemInfo::Inserted(TCustomRVData* RVData, int ItemNo)
{
    (void)ItemNo;
    if (RVData != nullptr) {
        AnsiString Empty;
        RVData->ItemAction(rviaInserted, this, Empty, RVData);
    }
}

void TCustomRVItemInfo::MovingToUndoList(int ItemNo, TCustomRVData* RVData, TObject* AContainerUndoItem)
{
    (void)ItemNo;
    (void)AContainerUndoItem;
    AnsiString Empty;
    RVData->ItemAction(rviaMovingToUndoList, this, Empty, RVData);
}

void TCustomRVItemInfo::Execute(TCustomRVData* RVData)
{
    (void)RVData;
}

void TRVTextItemInfo::Execute(TCustomRVData* RVData)
{
    if (RVData != nullptr && GetBoolValueEx(rvbpJump, RVData->GetRVStyle()))
        JumpThrough(RVData, this);
}

void TRVHotspotItemInfo::Execute(TCustomRVData* RVData)
{
    if (RVData != nullptr)
        JumpThrough(RVData, this);
}
