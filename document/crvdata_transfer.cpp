// The item store: copying, moving and sharing the items of another store, and
// passing insertion and the palette on to every item.
#include <memory>
#include <vector>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstr.h"

namespace {

// Renumbers every list of the markers list from its first marker.
void RecalcAllLists(TRVMarkerList* List, TRVStyle* Style)
{
    std::vector<int> Done;
    for (int i = 0; i < List->Count(); ++i) {
        const int ListNo = List->Marker(i)->ListNo;
        bool Seen = false;
        for (int d : Done)
            Seen = Seen || d == ListNo;
        if (!Seen) {
            Done.push_back(ListNo);
            List->RecalcCounters(i, Style);
        }
    }
}

} // namespace

void TCustomRVData::AppendFrom(TCustomRVData* Source)
{
    if (!Source)
        return;
    if (TagsArePChars() != Source->TagsArePChars())
        throw ERollViewError(errRVTagsTypesMismatch);
    // Counted first: appending a store to itself copies what it held.
    const int Count = Source->Items->Count();
    for (int i = 0; i < Count; ++i) {
        std::unique_ptr<TCustomRVItemInfo> Copy(RV_DuplicateItem(Source->GetItem(i), this));
        if (!Copy)
            continue;
        if (!Copy->GetBoolValue(rvbpValid)) {
            InternalFreeItem(Copy.release(), false);
            continue;
        }
        // An item that continued a line continues the line it is appended to.
        if (Copy->GetSameAsPrev())
            Copy->ParaNo = -1;
        AddItem(Source->Items->Get(i), Copy.get());
        Copy.release();
        AddMarkerInList(Items->Count() - 1);
    }
}

void TCustomRVData::DrainFrom(TCustomRVData* Victim)
{
    if (!Victim || Victim == this)
        return;
    if (TagsArePChars() != Victim->TagsArePChars())
        throw ERollViewError(errRVTagsTypesMismatch);
    // Items the victim only shows belong to another store.
    if (Victim->ShareItems() || !Victim->FOwnsItems)
        return;

    // The entries leave the victim before anything is added here, so that no
    // item is ever in two stores: its marker leaves the victim's markers list
    // (which may be this store's own, in a nested document) and its checkpoint
    // leaves the victim's chain to travel with it, as a copy carries one.
    struct TEntry {
        AnsiString Text;
        TCustomRVItemInfo* Item;
    };
    std::vector<TEntry> Moving;
    Moving.reserve(static_cast<size_t>(Victim->Items->Count()));
    for (int i = 0; i < Victim->Items->Count(); ++i)
        Moving.push_back({Victim->Items->Get(i), Victim->GetItem(i)});
    for (const TEntry& Entry : Moving) {
        Victim->DeleteMarkerFromList(Entry.Item, true);
        TRVCPInfo* cp = Entry.Item->Checkpoint;
        if (cp && cp->ItemInfo == Entry.Item)
            Victim->UnlinkCheckpoint(cp, true);
    }
    Victim->Items->Clear();

    size_t Next = 0;
    try {
        for (; Next < Moving.size(); ++Next) {
            TCustomRVItemInfo* Item = Moving[Next].Item;
            const int SavedParaNo = Item->ParaNo;
            const TRVItemOptions SavedOptions = Item->ItemOptions;
            if (Item->GetSameAsPrev())
                Item->ParaNo = -1;
            try {
                AddItem(Moving[Next].Text, Item);
            } catch (...) {
                Item->ParaNo = SavedParaNo;
                Item->ItemOptions = SavedOptions;
                throw;
            }
            AddMarkerInList(Items->Count() - 1);
        }
    } catch (...) {
        // What was not moved goes back to the victim, with its checkpoints
        // and markers.
        for (size_t i = Next; i < Moving.size(); ++i) {
            TCustomRVItemInfo* Item = Moving[i].Item;
            Victim->Items->AddObject(Moving[i].Text, Item);
            if (TRVCPInfo* cp = Item->Checkpoint) {
                Item->Checkpoint = nullptr;
                Victim->SetCP(Item, Victim->LastCP, cp);
                ++Victim->CPCount;
            }
            Victim->AddMarkerInList(Victim->Items->Count() - 1);
        }
        throw;
    }

    // The victim's pending checkpoint waited for the item after its last one,
    // which is now the item after this store's last one.
    if (Victim->NotAddedCP && !NotAddedCP) {
        NotAddedCP = Victim->NotAddedCP;
        Victim->NotAddedCP = nullptr;
        --Victim->CPCount;
        ++CPCount;
    }
    // Markers that stay in the victim's list (a list shared with other
    // documents) are numbered without the ones that left.
    if (TRVMarkerList* List = Victim->GetMarkers(false))
        RecalcAllLists(List, Victim->GetRVStyle());
    Victim->FirstCP = nullptr;
    Victim->LastCP = nullptr;
    Victim->Clear();
}

void TCustomRVData::ShareItemsFrom(TCustomRVData* Source)
{
    if (!Source || Source == this || !ShareItems())
        return;
    if (FOwnsItems) {
        // Clear leaves the items of a sharing store alone: those in its own
        // list are its own and go now, with the list.
        for (int i = 0; i < Items->Count(); ++i)
            FreeItem(i, true);
        Items->Clear();
    }
    Clear();
    if (FOwnsItems)
        delete Items;
    Items = Source->Items;
    FOwnsItems = false;
}

void TCustomRVData::Inserting(TCustomRVData* RVData, bool Safe)
{
    for (int i = 0; i < Items->Count(); ++i) {
        AnsiString s = Items->Get(i);
        GetItem(i)->Inserting(RVData, s, Safe);
        Items->Put(i, s);
    }
}

void TCustomRVData::UpdateItemsPaletteInfo()
{
    if (ShareItems())
        return;
    for (int i = 0; i < Items->Count(); ++i)
        GetItem(i)->UpdatePaletteInfo(GetDoInPaletteMode(), false, GetRVPalette(), GetRVLogPalette());
}
