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

TRVCPInfo* TCustomRVData::GetNextCheckpoint(const TRVCPInfo* checkpointData) const
{
    CheckNotNull(checkpointData);
    if (checkpointData == NotAddedCP)
        return nullptr;
    return checkpointData->Next ? checkpointData->Next : NotAddedCP;
}

TRVCPInfo* TCustomRVData::GetPrevCheckpoint(const TRVCPInfo* checkpointData) const
{
    CheckNotNull(checkpointData);
    if (checkpointData == NotAddedCP)
        return LastCP;
    return checkpointData->Prev;
}

TRVCPInfo* TCustomRVData::GetItemCheckpoint(int itemNo) const
{
    return GetItem(itemNo)->GetCheckpoint();
}

int TCustomRVData::GetCheckpointItemNo(const TRVCPInfo* checkpointData) const
{
    CheckNotNull(checkpointData);
    if (checkpointData == NotAddedCP)
        return -1;
    const int itemNo = checkpointData->ItemInfo ? GetItemNo(checkpointData->ItemInfo) : -1;
    if (itemNo < 0)
        throw ERollViewError(errRVCheckpointData);
    return itemNo;
}

int TCustomRVData::GetCheckpointNo(const TRVCPInfo* checkpointData) const
{
    CheckNotNull(checkpointData);
    int no = 0;
    for (const TRVCPInfo* cp = FirstCP; cp; cp = cp->Next, ++no)
        if (cp == checkpointData)
            return no;
    if (checkpointData == NotAddedCP)
        return no;
    throw ERollViewError(errRVCheckpointData);
}

TRVCPInfo* TCustomRVData::GetCheckpointByNo(int no) const
{
    if (no < 0 || no >= CPCount)
        throw ERollViewError(Format(errRVCheckpointIndex, {no}));
    if (no == CPCount - 1 && NotAddedCP)
        return NotAddedCP;
    TRVCPInfo* cp = FirstCP;
    for (int i = 0; i < no && cp; ++i)
        cp = cp->Next;
    return cp;
}

void TCustomRVData::GetCheckpointInfo(const TRVCPInfo* checkpointData, TRVTag& tag, AnsiString& name,
                                      bool& raiseEvent) const
{
    CheckNotNull(checkpointData);
    tag = checkpointData->Tag;
    name = checkpointData->Name;
    raiseEvent = checkpointData->RaiseEvent;
}

TRVCPInfo* TCustomRVData::FindCheckpointByName(const AnsiString& name) const
{
    for (TRVCPInfo* cp = FirstCP; cp; cp = cp->Next)
        if (cp->Name == name)
            return cp;
    if (NotAddedCP && NotAddedCP->Name == name)
        return NotAddedCP;
    return nullptr;
}

TRVCPInfo* TCustomRVData::FindCheckpointByTag(const TRVTag& tag)
{
    const bool tagsPc = TagsArePChars();
    for (TRVCPInfo* cp = FirstCP; cp; cp = cp->Next)
        if (RV_CompareTags(cp->Tag, tag, tagsPc))
            return cp;
    if (NotAddedCP && RV_CompareTags(NotAddedCP->Tag, tag, tagsPc))
        return NotAddedCP;
    return nullptr;
}

TRVCPInfo* TCustomRVData::FindCPBeforeItem(int itemNo)
{
    UpdateCPItemNo();
    if (!FirstCP || FirstCP->ItemNo >= itemNo)
        return nullptr;
    TRVCPInfo* cp = FirstCP;
    while (cp->Next && cp->Next->ItemNo < itemNo)
        cp = cp->Next;
    return cp;
}

void TCustomRVData::InsertCheckpoint(int itemNo, const TRVTag& tag, const AnsiString& name, bool raiseEvent)
{
    TCustomRVItemInfo* item = GetItem(itemNo);
    if (item->GetCheckpoint())
        throw ERollViewError(errRVCheckpointExists);
    TRVCPInfo* cp = new TRVCPInfo;
    cp->Tag = tag;
    cp->Name = name;
    cp->RaiseEvent = raiseEvent;
    cp->ItemInfo = item;
    item->SetCheckpoint(cp);
    ++CPCount;
    UpdateCPPos(cp, itemNo);
}

void TCustomRVData::SetCheckpointInfo(int itemNo, const TRVTag& aTag, const AnsiString& aName,
                                      bool aRaiseEvent)
{
    TRVCPInfo* cp = GetItem(itemNo)->GetCheckpoint();
    if (!cp) {
        InsertCheckpoint(itemNo, aTag, aName, aRaiseEvent);
        return;
    }
    cp->Tag = aTag;
    cp->Name = aName;
    cp->RaiseEvent = aRaiseEvent;
}

bool TCustomRVData::RemoveCheckpoint(int itemNo)
{
    TCustomRVItemInfo* item = GetItem(itemNo);
    TRVCPInfo* cp = item->GetCheckpoint();
    if (!cp)
        return false;
    item->SetCheckpoint(nullptr);
    FreeCheckpoint(cp, true, true);
    return true;
}

void TCustomRVData::UpdateCPItemNo()
{
    // Only attached checkpoints are numbered: the pending one has no item.
    const int chained = CPCount - (NotAddedCP ? 1 : 0);
    int numbered = 0;
    for (int i = 0; i < Items->Count() && numbered < chained; ++i) {
        TRVCPInfo* cp = GetItem(i)->GetCheckpoint();
        if (cp) {
            cp->ItemNo = i;
            ++numbered;
        }
    }
}

void TCustomRVData::UpdateCPPos(TRVCPInfo* cp, int itemNo)
{
    if (itemNo == -1 || !cp)
        return;
    // A checkpoint already in the chain leaves its old place first.
    if (cp->Prev || cp->Next || FirstCP == cp) {
        TCustomRVItemInfo* item = cp->ItemInfo;
        UnlinkCheckpoint(cp, false);
        cp->ItemInfo = item;
    }
    UpdateCPItemNo();
    cp->ItemNo = itemNo;
    TRVCPInfo* prev = nullptr;
    if (!FirstCP || FirstCP->ItemNo > cp->ItemNo)
        prev = nullptr;
    else if (LastCP->ItemNo <= cp->ItemNo)
        prev = LastCP;
    else {
        prev = FirstCP;
        while (prev->Next && prev->Next->ItemNo <= cp->ItemNo)
            prev = prev->Next;
    }
    TRVCPInfo* linked = cp;
    SetCP(cp->ItemInfo ? cp->ItemInfo : GetItem(itemNo), prev, linked);
}
