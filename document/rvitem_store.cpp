// The item operations that report to the document they belong to: insertion,
// moving to an undo list, and the hypertext action.
#include "document/crvdata.h"
#include "document/rvitem.h"

namespace {

// The document's jump handler, when the document is laid out (and so has one).
void JumpThrough(TCustomRVData* rvData, const TCustomRVItemInfo* item)
{
    if (auto* handler = dynamic_cast<TRVJumpHandler*>(rvData))
        handler->DoJump(rvData->FirstJumpNo + item->GetJumpID());
}

} // namespace

void TCustomRVItemInfo::Inserting(TCustomRVData* rvData, AnsiString& text, bool safe)
{
    (void)safe;
    if (rvData != nullptr)
        rvData->ItemAction(rviaInserting, this, text, rvData);
}

void TCustomRVItemInfo::Inserted(TCustomRVData* rvData, int itemNo)
{
    (void)itemNo;
    if (rvData != nullptr) {
        AnsiString empty;
        rvData->ItemAction(rviaInserted, this, empty, rvData);
    }
}

void TCustomRVItemInfo::MovingToUndoList(int itemNo, TCustomRVData* rvData, TObject* aContainerUndoItem)
{
    (void)itemNo;
    (void)aContainerUndoItem;
    AnsiString empty;
    rvData->ItemAction(rviaMovingToUndoList, this, empty, rvData);
}

void TCustomRVItemInfo::Execute(TCustomRVData* rvData)
{
    (void)rvData;
}

void TRVTextItemInfo::Execute(TCustomRVData* rvData)
{
    if (rvData != nullptr && GetBoolValueEx(rvbpJump, rvData->GetRVStyle()))
        JumpThrough(rvData, this);
}

void TRVHotspotItemInfo::Execute(TCustomRVData* rvData)
{
    if (rvData != nullptr)
        JumpThrough(rvData, this);
}
