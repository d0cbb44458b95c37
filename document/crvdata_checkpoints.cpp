// The item store: the checkpoint chain seen from outside: traversal, ordinals,
// lookup by name and tag, creation, change and removal on items.
#include "document/crvdata.h"

namespace {

void CheckNotNull(const TRVCPInfo* cp)
{
    if (!cp)
        throw ERollViewError(errRVNilParameter);
}

} // namespace

TRVCPInfo* TCustomRVData::GetFirstCheckpoint() const
{
    return FirstCP ? FirstCP : NotAddedCP;
}

TRVCPInfo* TCustomRVData::GetLastCheckpoint() const
{
    return NotAddedCP ? NotAddedCP : LastCP;
}

TRVCPInfo* TCustomRVData::GetNextCheckpoint(const TRVCPInfo* CheckpointData) const
{
    CheckNotNull(CheckpointData);
    if (CheckpointData == NotAddedCP)
        return nullptr;
    return CheckpointData->Next ? CheckpointData->Next : NotAddedCP;
}

TRVCPInfo* TCustomRVData::GetPrevCheckpoint(const TRVCPInfo* CheckpointData) const
{
    CheckNotNull(CheckpointData);
    if (CheckpointData == NotAddedCP)
        return LastCP;
    return CheckpointData->Prev;
}

TRVCPInfo* TCustomRVData::GetItemCheckpoint(int ItemNo) const
{
    return GetItem(ItemNo)->Checkpoint;
}

int TCustomRVData::GetCheckpointItemNo(const TRVCPInfo* CheckpointData) const
{
    CheckNotNull(CheckpointData);
    if (CheckpointData == NotAddedCP)
        return -1;
    const int ItemNo = CheckpointData->ItemInfo ? GetItemNo(CheckpointData->ItemInfo) : -1;
    if (ItemNo < 0)
        throw ERollViewError(errRVCheckpointData);
    return ItemNo;
}

int TCustomRVData::GetCheckpointNo(const TRVCPInfo* CheckpointData) const
{
    CheckNotNull(CheckpointData);
    int No = 0;
    for (const TRVCPInfo* cp = FirstCP; cp; cp = cp->Next, ++No)
        if (cp == CheckpointData)
            return No;
    if (CheckpointData == NotAddedCP)
        return No;
    throw ERollViewError(errRVCheckpointData);
}

TRVCPInfo* TCustomRVData::GetCheckpointByNo(int No) const
{
    if (No < 0 || No >= CPCount)
        throw ERollViewError(Format(errRVCheckpointIndex, {No}));
    if (No == CPCount - 1 && NotAddedCP)
        return NotAddedCP;
    TRVCPInfo* cp = FirstCP;
    for (int i = 0; i < No && cp; ++i)
        cp = cp->Next;
    return cp;
}

void TCustomRVData::GetCheckpointInfo(const TRVCPInfo* CheckpointData, TRVTag& Tag, AnsiString& Name,
                                      bool& RaiseEvent) const
{
    CheckNotNull(CheckpointData);
    Tag = CheckpointData->Tag;
    Name = CheckpointData->Name;
    RaiseEvent = CheckpointData->RaiseEvent;
}

TRVCPInfo* TCustomRVData::FindCheckpointByName(const AnsiString& Name) const
{
    for (TRVCPInfo* cp = FirstCP; cp; cp = cp->Next)
        if (cp->Name == Name)
            return cp;
    if (NotAddedCP && NotAddedCP->Name == Name)
        return NotAddedCP;
    return nullptr;
}

TRVCPInfo* TCustomRVData::FindCheckpointByTag(const TRVTag& Tag)
{
    const bool TagsPC = TagsArePChars();
    for (TRVCPInfo* cp = FirstCP; cp; cp = cp->Next)
        if (RV_CompareTags(cp->Tag, Tag, TagsPC))
            return cp;
    if (NotAddedCP && RV_CompareTags(NotAddedCP->Tag, Tag, TagsPC))
        return NotAddedCP;
    return nullptr;
}

TRVCPInfo* TCustomRVData::FindCPBeforeItem(int ItemNo)
{
    UpdateCPItemNo();
    if (!FirstCP || FirstCP->ItemNo >= ItemNo)
        return nullptr;
    TRVCPInfo* cp = FirstCP;
    while (cp->Next && cp->Next->ItemNo < ItemNo)
        cp = cp->Next;
    return cp;
}

void TCustomRVData::InsertCheckpoint(int ItemNo, const TRVTag& Tag, const AnsiString& Name, bool RaiseEvent)
{
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (Item->Checkpoint)
        throw ERollViewError(errRVCheckpointExists);
    TRVCPInfo* cp = new TRVCPInfo;
    cp->Tag = Tag;
    cp->Name = Name;
    cp->RaiseEvent = RaiseEvent;
    cp->ItemInfo = Item;
    Item->Checkpoint = cp;
    ++CPCount;
    UpdateCPPos(cp, ItemNo);
}

void TCustomRVData::SetCheckpointInfo(int ItemNo, const TRVTag& ATag, const AnsiString& AName,
                                      bool ARaiseEvent)
{
    TRVCPInfo* cp = GetItem(ItemNo)->Checkpoint;
    if (!cp) {
        InsertCheckpoint(ItemNo, ATag, AName, ARaiseEvent);
        return;
    }
    cp->Tag = ATag;
    cp->Name = AName;
    cp->RaiseEvent = ARaiseEvent;
}

bool TCustomRVData::RemoveCheckpoint(int ItemNo)
{
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    TRVCPInfo* cp = Item->Checkpoint;
    if (!cp)
        return false;
    Item->Checkpoint = nullptr;
    FreeCheckpoint(cp, true, true);
    return true;
}

void TCustomRVData::UpdateCPItemNo()
{
    // Only attached checkpoints are numbered: the pending one has no item.
    const int Chained = CPCount - (NotAddedCP ? 1 : 0);
    int Numbered = 0;
    for (int i = 0; i < Items->Count() && Numbered < Chained; ++i) {
        TRVCPInfo* cp = GetItem(i)->Checkpoint;
        if (cp) {
            cp->ItemNo = i;
            ++Numbered;
        }
    }
}

void TCustomRVData::UpdateCPPos(TRVCPInfo* cp, int ItemNo)
{
    if (ItemNo == -1 || !cp)
        return;
    // A checkpoint already in the chain leaves its old place first.
    if (cp->Prev || cp->Next || FirstCP == cp) {
        TCustomRVItemInfo* Item = cp->ItemInfo;
        UnlinkCheckpoint(cp, false);
        cp->ItemInfo = Item;
    }
    UpdateCPItemNo();
    cp->ItemNo = ItemNo;
    TRVCPInfo* Prev = nullptr;
    if (!FirstCP || FirstCP->ItemNo > cp->ItemNo)
        Prev = nullptr;
    else if (LastCP->ItemNo <= cp->ItemNo)
        Prev = LastCP;
    else {
        Prev = FirstCP;
        while (Prev->Next && Prev->Next->ItemNo <= cp->ItemNo)
            Prev = Prev->Next;
    }
    TRVCPInfo* Linked = cp;
    SetCP(cp->ItemInfo ? cp->ItemInfo : GetItem(ItemNo), Prev, Linked);
}
