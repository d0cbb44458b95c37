// The item store: construction, the settings asked of the root data, freeing
// and deleting items, clearing, and the links of the checkpoint chain.
#include "document/crvdata.h"

#include "document/rvmarker.h"

namespace {

// Runs EndUpdate on a string list however the block is left.
class TUpdateGuard {
public:
    explicit TUpdateGuard(TStringList* List) : FList(List) { FList->BeginUpdate(); }
    ~TUpdateGuard() { FList->EndUpdate(); }
    TUpdateGuard(const TUpdateGuard&) = delete;
    TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
    TStringList* FList;
};

} // namespace

TCustomRVData::TCustomRVData() : Items(new TStringList), FOwnsItems(true) {}

TCustomRVData::~TCustomRVData()
{
    TCustomRVData::Clear();
    if (FOwnsItems)
        delete Items;
}

// ---------------------------------------------------------------------------
// Settings: a store that is not its own root asks its root; a root that does
// not override an operation answers the neutral value instead of asking itself
// forever.

TRVOptions TCustomRVData::GetOptions()
{
    return IsRoot() ? TRVOptions() : GetRootData()->GetOptions();
}

void TCustomRVData::SetOptions(TRVOptions Value)
{
    if (!IsRoot())
        GetRootData()->SetOptions(Value);
}

TRVFOptions TCustomRVData::GetRVFOptions()
{
    return IsRoot() ? TRVFOptions() : GetRootData()->GetRVFOptions();
}

void TCustomRVData::SetRVFOptions(TRVFOptions Value)
{
    if (!IsRoot())
        GetRootData()->SetRVFOptions(Value);
}

TRVRTFOptions TCustomRVData::GetRTFOptions()
{
    return IsRoot() ? TRVRTFOptions() : GetRootData()->GetRTFOptions();
}

void TCustomRVData::SetRTFOptions(TRVRTFOptions Value)
{
    if (!IsRoot())
        GetRootData()->SetRTFOptions(Value);
}

TRVFWarnings TCustomRVData::GetRVFWarnings()
{
    return IsRoot() ? TRVFWarnings() : GetRootData()->GetRVFWarnings();
}

void TCustomRVData::SetRVFWarnings(TRVFWarnings Value)
{
    if (!IsRoot())
        GetRootData()->SetRVFWarnings(Value);
}

TRVFReaderStyleMode TCustomRVData::GetRVFTextStylesReadMode()
{
    return IsRoot() ? rvf_sIgnore : GetRootData()->GetRVFTextStylesReadMode();
}

TRVFReaderStyleMode TCustomRVData::GetRVFParaStylesReadMode()
{
    return IsRoot() ? rvf_sIgnore : GetRootData()->GetRVFParaStylesReadMode();
}

HPALETTE TCustomRVData::GetRVPalette()
{
    return IsRoot() ? 0 : GetRootData()->GetRVPalette();
}

PLogPalette TCustomRVData::GetRVLogPalette()
{
    return IsRoot() ? nullptr : GetRootData()->GetRVLogPalette();
}

TRVPaletteAction TCustomRVData::GetDoInPaletteMode()
{
    return IsRoot() ? rvpaDoNothing : GetRootData()->GetDoInPaletteMode();
}

TRVBiDiMode TCustomRVData::GetBiDiMode()
{
    return IsRoot() ? rvbdUnspecified : GetRootData()->GetBiDiMode();
}

AnsiString TCustomRVData::GetDelimiters()
{
    return IsRoot() ? AnsiString() : GetRootData()->GetDelimiters();
}

TRVRTFReaderProperties* TCustomRVData::GetRTFProperties()
{
    return IsRoot() ? nullptr : GetRootData()->GetRTFProperties();
}

AnsiString TCustomRVData::GetExtraRTFCode(TRVRTFSaveArea Area, TObject* Obj, int Index1, int Index2,
                                          bool InStyleSheet)
{
    return IsRoot() ? AnsiString() : GetRootData()->GetExtraRTFCode(Area, Obj, Index1, Index2, InStyleSheet);
}

AnsiString TCustomRVData::GetExtraHTMLCode(TRVHTMLSaveArea Area, bool CSSVersion)
{
    return IsRoot() ? AnsiString() : GetRootData()->GetExtraHTMLCode(Area, CSSVersion);
}

AnsiString TCustomRVData::SaveComponentToFile(const AnsiString& Path, TComponent* SaveMe,
                                              TRVSaveFormat SaveFormat)
{
    return IsRoot() ? AnsiString() : GetRootData()->SaveComponentToFile(Path, SaveMe, SaveFormat);
}

void TCustomRVData::ReadHyperlink(const AnsiString& Target, const AnsiString& Extras, TRVLoadFormat DocFormat,
                                  int& StyleNo, TRVTag& ItemTag, AnsiString& ItemName)
{
    if (!IsRoot())
        GetRootData()->ReadHyperlink(Target, Extras, DocFormat, StyleNo, ItemTag, ItemName);
}

TGraphic* TCustomRVData::RVFPictureNeeded(const AnsiString& ItemName, const TRVTag& ItemTag)
{
    return IsRoot() ? nullptr : GetRootData()->RVFPictureNeeded(ItemName, ItemTag);
}

TControl* TCustomRVData::RVFControlNeeded(const AnsiString& ItemName, const TRVTag& ItemTag)
{
    return IsRoot() ? nullptr : GetRootData()->RVFControlNeeded(ItemName, ItemTag);
}

TCustomImageList* TCustomRVData::RVFImageListNeeded(int ImageListTag)
{
    return IsRoot() ? nullptr : GetRootData()->RVFImageListNeeded(ImageListTag);
}

TWinControl* TCustomRVData::GetParentControl()
{
    return IsRoot() ? nullptr : GetRootData()->GetParentControl();
}

void TCustomRVData::InitStyleMappings(TRVIntegerList*& PTextStylesMapping,
                                      TRVIntegerList*& PParaStylesMapping,
                                      TRVIntegerList*& PListStylesMapping)
{
    if (IsRoot()) {
        PTextStylesMapping = nullptr;
        PParaStylesMapping = nullptr;
        PListStylesMapping = nullptr;
        return;
    }
    GetRootData()->InitStyleMappings(PTextStylesMapping, PParaStylesMapping, PListStylesMapping);
}

void TCustomRVData::DoneStyleMappings(TRVIntegerList*, TRVIntegerList*, TRVIntegerList*) {}

TRVStyle* TCustomRVData::GetRVStyle()
{
    TCustomRVData* Parent = GetParentData();
    return Parent ? Parent->GetRVStyle() : nullptr;
}

void TCustomRVData::GetParentInfo(int& ParentItemNo, TRVStoreSubRVData*& Location)
{
    ParentItemNo = -1;
    Location = nullptr;
}

void TCustomRVData::ItemAction(TRVItemAction, TCustomRVItemInfo*, AnsiString&, TCustomRVData*) {}

// Only control items own a control to report; no item of the kinds built so
// far does, so there is nothing to pass to ControlAction2.
void TCustomRVData::ControlAction(TRVControlAction, int, TCustomRVItemInfo*) {}

// ---------------------------------------------------------------------------
// List markers

TRVMarkerList* TCustomRVData::GetMarkers(bool AllowCreate)
{
    TCustomRVData* Root = GetAbsoluteRootData();
    return Root == this ? nullptr : Root->GetMarkers(AllowCreate);
}

void TCustomRVData::DestroyMarkers()
{
    TCustomRVData* Root = GetAbsoluteRootData();
    if (Root != this)
        Root->DestroyMarkers();
}

void TCustomRVData::DeleteMarkerFromList(TCustomRVItemInfo* Item, bool Clearing)
{
    if (!Item || Item->StyleNo != rvsListMarker)
        return;
    TRVMarkerList* List = GetMarkers(false);
    if (!List)
        return;
    const auto* Marker = dynamic_cast<const TRVMarkerItemInfo*>(Item);
    const int ListNo = Marker ? Marker->ListNo : -1;
    const int Index = List->Remove(Item);
    if (Index < 0)
        return;
    if (List->Count() == 0) {
        DestroyMarkers();
        return;
    }
    if (Clearing)
        return;
    // Renumber the removed marker's own list from where it stood: the marker
    // that now stands there may belong to another list.
    for (int i = Index; i < List->Count(); ++i)
        if (List->Marker(i)->ListNo == ListNo) {
            List->RecalcCounters(i, GetRVStyle());
            break;
        }
}

// ---------------------------------------------------------------------------
// Freeing and deleting

void TCustomRVData::InternalFreeItem(TCustomRVItemInfo* Item, bool Clearing)
{
    if (!Item)
        return;
    DeleteMarkerFromList(Item, Clearing);
    if (Item->Checkpoint && Item->Checkpoint->ItemInfo == Item) {
        TRVCPInfo* cp = Item->Checkpoint;
        Item->Checkpoint = nullptr;
        FreeCheckpoint(cp, true, true);
    }
    delete Item; // with a checkpoint it carries unattached, which no chain counts
}

void TCustomRVData::FreeItem(int ItemNo, bool Clearing)
{
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    AnsiString s = Items->Get(ItemNo);
    ItemAction(rviaDestroying, Item, s, this);
    ControlAction(rvcaDestroy, ItemNo, Item);
    // The entry stays for the caller to delete; it no longer names the item.
    Items->PutObject(ItemNo, nullptr);
    InternalFreeItem(Item, Clearing);
}

void TCustomRVData::DeleteItems(int FirstItemNo, int Count)
{
    if (ShareItems() || !FOwnsItems)
        return;
    if (FirstItemNo < 0) {
        Count += FirstItemNo;
        FirstItemNo = 0;
    }
    const int ItemCount = Items->Count();
    if (FirstItemNo >= ItemCount || Count <= 0)
        return;
    if (Count > ItemCount - FirstItemNo)
        Count = ItemCount - FirstItemNo;
    TUpdateGuard Guard(Items);
    for (int i = FirstItemNo; i < FirstItemNo + Count; ++i)
        FreeItem(i, false);
    // From the end of the range, so that each deletion moves only what follows it.
    for (int i = FirstItemNo + Count - 1; i >= FirstItemNo; --i)
        Items->Delete(i);
}

void TCustomRVData::DeleteSection(const AnsiString& CpName)
{
    if (ShareItems())
        return;
    TRVCPInfo* cp = FirstCP;
    while (cp && cp->Name != CpName)
        cp = cp->Next;
    if (!cp)
        return;
    const int StartNo = GetItemNo(cp->ItemInfo);
    if (StartNo < 0)
        return;
    int EndNo = Items->Count() - 1;
    // Unnamed checkpoints inside the section go with it.
    for (TRVCPInfo* Next = cp->Next; Next; Next = Next->Next)
        if (!Next->Name.empty()) {
            EndNo = GetItemNo(Next->ItemInfo) - 1;
            break;
        }
    DeleteItems(StartNo, EndNo - StartNo + 1);
}

void TCustomRVData::Clear()
{
    const bool WasClearing = State.Contains(rvstClearing);
    State.Include(rvstClearing);
    State.Exclude(rvstFirstParaAborted);
    State.Exclude(rvstLastParaAborted);
    if (!ShareItems() && FOwnsItems) {
        TUpdateGuard Guard(Items);
        for (int i = 0; i < Items->Count(); ++i)
            FreeItem(i, true);
        Items->Clear();
    }
    FreeCheckpoint(NotAddedCP, false, true);
    FirstCP = nullptr;
    LastCP = nullptr;
    CPCount = 0;
    if (!WasClearing)
        State.Exclude(rvstClearing);
}

// ---------------------------------------------------------------------------
// Links of the checkpoint chain

void TCustomRVData::SetCP(TCustomRVItemInfo* Item, TRVCPInfo* Prev, TRVCPInfo*& cp)
{
    if (!cp)
        return;
    cp->Prev = Prev;
    cp->ItemInfo = Item;
    if (!Prev) {
        cp->Next = FirstCP;
        if (FirstCP)
            FirstCP->Prev = cp;
        FirstCP = cp;
        if (!LastCP)
            LastCP = cp;
    } else {
        cp->Next = Prev->Next;
        Prev->Next = cp;
        if (cp->Next)
            cp->Next->Prev = cp;
        if (Prev == LastCP)
            LastCP = cp;
    }
    Item->Checkpoint = cp;
    cp = nullptr;
}

void TCustomRVData::UnlinkCheckpoint(TRVCPInfo* cp, bool DecreaseCPCount)
{
    if (!cp)
        return;
    cp->ItemInfo = nullptr;
    if (FirstCP == cp)
        FirstCP = cp->Next;
    if (LastCP == cp)
        LastCP = cp->Prev;
    if (cp->Prev)
        cp->Prev->Next = cp->Next;
    if (cp->Next)
        cp->Next->Prev = cp->Prev;
    cp->Prev = nullptr;
    cp->Next = nullptr;
    if (DecreaseCPCount)
        --CPCount;
}

void TCustomRVData::FreeCheckpoint(TRVCPInfo*& cp, bool AdjustLinks, bool DecreaseCPCount)
{
    if (!cp)
        return;
    if (AdjustLinks)
        UnlinkCheckpoint(cp, false);
    delete cp; // its tag goes with it
    cp = nullptr;
    if (DecreaseCPCount)
        --CPCount;
}

// ---------------------------------------------------------------------------
// Helpers

TCustomRVItemInfo* TCustomRVData::LastItem() const
{
    const int Count = Items->Count();
    return Count ? GetItem(Count - 1) : nullptr;
}
