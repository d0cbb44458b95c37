// The item store: copying, moving and sharing the items of another store, and
// passing insertion and the palette on to every item.
#include <memory>
#include <vector>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstr.h"

namespace {

// Renumbers every list of the markers list from its first marker.
void RecalcAllLists(TRVMarkerList* list, TRVStyle* style)
{
    std::vector<int> done;
    for (int i = 0; i < list->Count(); ++i) {
        const int listNo = list->Marker(i)->ListNo;
        bool seen = false;
        for (int d : done)
            seen = seen || d == listNo;
        if (!seen) {
            done.push_back(listNo);
            list->RecalcCounters(i, style);
        }
    }
}

} // namespace

bool TCustomRVData::CanTakeWholeList(TCustomRVData* victim)
{
    // This store is empty with no checkpoint pending, and appends
    // paragraphs; no checkpoint waits after the victim's items. Markers of
    // documents inside the items (a table's cells) stay where they are listed:
    // in the one list both stores share (a cell's items lent to an editor
    // inside the same document), or in none.
    if (Items->Count() != 0 || NotAddedCP || !AddParagraphMode || victim->NotAddedCP)
        return false;
    TRVMarkerList* markers = GetMarkers(false);
    TRVMarkerList* victimMarkers = victim->GetMarkers(false);
    if (markers != victimMarkers && ((markers != nullptr && markers->Count() > 0) ||
                                     (victimMarkers != nullptr && victimMarkers->Count() > 0)))
        return false;
    // Every item stands as AddItem would leave it, with no checkpoint (one
    // moved item by item is made anew) and no list marker: the first starts a
    // paragraph, one that continues a line follows an item whose line it can
    // continue, in its paragraph; a full-width item breaks no line.
    const TCustomRVItemInfo* prev = nullptr;
    bool prevFullWidth = false;
    for (int i = 0; i < victim->Items->Count(); ++i) {
        const TCustomRVItemInfo* item = victim->GetItem(i);
        if (item == nullptr || item->GetCheckpoint() != nullptr || item->StyleNo == rvsListMarker ||
            item->ParaNo < 0)
            return false;
        const bool fullWidth = item->GetBoolValue(rvbpFullWidth);
        if (item->GetSameAsPrev() ? prev == nullptr || prevFullWidth || item->ParaNo != prev->ParaNo
                                  : fullWidth && item->GetBR())
            return false;
        prev = item;
        prevFullWidth = fullWidth;
    }
    return true;
}

void TCustomRVData::TakeWholeList(TCustomRVData* victim)
{
    Items->SwapEntries(*victim->Items);
    // Each item hears of its insertion here as AddItem tells it (a table
    // takes this store for its rows, a control its parent, the store's
    // handler may rename it), without its entry being made anew. The
    // documents around answer once for all the items (their root, and where
    // a cell passes the items' actions), and one text buffer serves them all.
    std::unique_ptr<TRVSaveAnswers> answers;
    if (!TRVSaveAnswers::Active())
        answers = std::make_unique<TRVSaveAnswers>();
    TCustomRVData* root = GetRootData();
    const TRVPaletteAction paletteAction = root->GetDoInPaletteMode();
    const HPALETTE palette = root->GetRVPalette();
    const PLogPalette logPalette = root->GetRVLogPalette();
    AnsiString text;
    for (int i = 0; i < Items->Count(); ++i) {
        TCustomRVItemInfo* item = GetItem(i);
        text.assign(Items->GetView(i));
        item->UpdatePaletteInfo(paletteAction, false, palette, logPalette);
        item->Inserting(this, text, false);
        if (text != Items->GetView(i))
            Items->Put(i, text);
        item->Inserted(this, i);
    }
}

void TCustomRVData::AppendFrom(TCustomRVData* source)
{
    if (!source)
        return;
    if (TagsArePChars() != source->TagsArePChars())
        throw ERollViewError(errRVTagsTypesMismatch);
    // Counted first: appending a store to itself copies what it held.
    const int count = source->Items->Count();
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<TCustomRVItemInfo> copy(RV_DuplicateItem(source->GetItem(i), this));
        if (!copy)
            continue;
        if (!copy->GetBoolValue(rvbpValid)) {
            InternalFreeItem(copy.release(), false);
            continue;
        }
        // An item that continued a line continues the line it is appended to.
        if (copy->GetSameAsPrev())
            copy->ParaNo = -1;
        AddItem(source->Items->Get(i), copy.get());
        copy.release();
        AddMarkerInList(Items->Count() - 1);
    }
}

void TCustomRVData::DrainFrom(TCustomRVData* victim)
{
    if (!victim || victim == this)
        return;
    if (TagsArePChars() != victim->TagsArePChars())
        throw ERollViewError(errRVTagsTypesMismatch);
    // Items the victim only shows belong to another store.
    if (victim->ShareItems() || !victim->FOwnsItems)
        return;
    // An empty store takes a whole list at once (a cell's items lent to an
    // editor for one operation and taken back): the entries change lists in
    // one exchange instead of one by one.
    if (CanTakeWholeList(victim)) {
        TakeWholeList(victim);
        victim->Clear();
        return;
    }

    // The entries leave the victim before anything is added here, so that no
    // item is ever in two stores: its marker leaves the victim's markers list
    // (which may be this store's own, in a nested document) and its checkpoint
    // leaves the victim's chain to travel with it, as a copy carries one.
    struct TEntry {
        AnsiString Text;
        TCustomRVItemInfo* Item;
    };
    std::vector<TEntry> moving;
    moving.reserve(static_cast<size_t>(victim->Items->Count()));
    for (int i = 0; i < victim->Items->Count(); ++i)
        moving.push_back({victim->Items->Get(i), victim->GetItem(i)});
    // Those of documents inside the items too, in one pass.
    victim->DeleteMarkersOfItems(0, victim->Items->Count() - 1, true);
    for (const TEntry& entry : moving) {
        TRVCPInfo* cp = entry.Item->GetCheckpoint();
        if (cp && cp->ItemInfo == entry.Item)
            victim->UnlinkCheckpoint(cp, true);
    }
    victim->Items->Clear();

    const int firstMoved = Items->Count();
    size_t next = 0;
    try {
        for (; next < moving.size(); ++next) {
            TCustomRVItemInfo* item = moving[next].Item;
            const int savedParaNo = item->ParaNo;
            const TRVItemOptions savedOptions = item->ItemOptions;
            if (item->GetSameAsPrev())
                item->ParaNo = -1;
            try {
                AddItem(moving[next].Text, item);
            } catch (...) {
                item->ParaNo = savedParaNo;
                item->ItemOptions = savedOptions;
                throw;
            }
        }
    } catch (...) {
        // What was moved keeps its markers here; what was not goes back to
        // the victim, with its checkpoints and markers.
        AddMarkersInList(firstMoved, Items->Count() - 1);
        const int firstBack = victim->Items->Count();
        for (size_t i = next; i < moving.size(); ++i) {
            TCustomRVItemInfo* item = moving[i].Item;
            victim->Items->AddObject(moving[i].Text, item);
            if (TRVCPInfo* cp = item->GetCheckpoint()) {
                item->SetCheckpoint(nullptr);
                victim->SetCP(item, victim->LastCP, cp);
                ++victim->CPCount;
            }
        }
        victim->AddMarkersInList(firstBack, victim->Items->Count() - 1);
        throw;
    }
    // The moved markers enter the list at their new places in one pass.
    AddMarkersInList(firstMoved, Items->Count() - 1);

    // The victim's pending checkpoint waited for the item after its last one,
    // which is now the item after this store's last one.
    if (victim->NotAddedCP && !NotAddedCP) {
        NotAddedCP = victim->NotAddedCP;
        victim->NotAddedCP = nullptr;
        --victim->CPCount;
        ++CPCount;
    }
    // Markers that stay in the victim's list (a list shared with other
    // documents) are numbered without the ones that left.
    if (TRVMarkerList* list = victim->GetMarkers(false))
        RecalcAllLists(list, victim->GetRVStyle());
    victim->FirstCP = nullptr;
    victim->LastCP = nullptr;
    victim->Clear();
}

void TCustomRVData::ShareItemsFrom(TCustomRVData* source)
{
    if (!source || source == this || !ShareItems())
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
    Items = source->Items;
    FOwnsItems = false;
}

void TCustomRVData::Inserting(TCustomRVData* rvData, bool safe)
{
    for (int i = 0; i < Items->Count(); ++i) {
        AnsiString s = Items->Get(i);
        GetItem(i)->Inserting(rvData, s, safe);
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
