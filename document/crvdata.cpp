// The item store: construction, the settings asked of the root data, freeing
// and deleting items, clearing, and the links of the checkpoint chain.
#include "document/crvdata.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "document/rvitem_pictures.h"
#include "document/rvmarker.h"
#include "platform/controls/freelater.h"
#include "platform/core/callhold.h"

namespace {

// Runs EndUpdate on a string list however the block is left.
class TUpdateGuard {
public:
    explicit TUpdateGuard(TStringList* list) : FList(list) { FList->BeginUpdate(); }
    ~TUpdateGuard() { FList->EndUpdate(); }
    TUpdateGuard(const TUpdateGuard&) = delete;
    TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
    TStringList* FList;
};

} // namespace

TCustomRVData::TCustomRVData() : Items(new TStringList), FOwnsItems(true)
{
    Items->OnChange = [this](TObject*) { NoteChange(); };
}

TCustomRVData::~TCustomRVData()
{
    TCustomRVData::Clear();
    if (FOwnsItems)
        delete Items;
    // A store made later at the same address is not this one.
    TRVSaveAnswers::Forget(this);
}

void TCustomRVData::NoteChange()
{
    // The documents around this one (a cell's table's document, and so on)
    // count it too. A document read as part of an item counts the changes
    // inside it and passes them on once, when its read ends (DataReader), so
    // that a read of documents nested in it costs no walk per item.
    TCustomRVData* data = this;
    for (int depth = 0; data != nullptr && depth < 256; ++depth) {
        ++data->FChangeCount;
        if (data->State.Contains(rvstLoadingAsPartOfItem))
            break;
        TCustomRVData* parent = data->GetAbsoluteParentData();
        data = parent != data ? parent : nullptr;
    }
}

// ---------------------------------------------------------------------------
// Settings: a store that is not its own root asks its root; a root that does
// not override an operation answers the neutral value instead of asking itself
// forever.

TRVOptions TCustomRVData::GetOptions()
{
    return IsRoot() ? TRVOptions() : GetRootData()->GetOptions();
}

void TCustomRVData::SetOptions(TRVOptions value)
{
    if (!IsRoot())
        GetRootData()->SetOptions(value);
}

TRVFOptions TCustomRVData::GetRVFOptions()
{
    return IsRoot() ? TRVFOptions() : GetRootData()->GetRVFOptions();
}

void TCustomRVData::SetRVFOptions(TRVFOptions value)
{
    if (!IsRoot())
        GetRootData()->SetRVFOptions(value);
}

TRVRTFOptions TCustomRVData::GetRTFOptions()
{
    return IsRoot() ? TRVRTFOptions() : GetRootData()->GetRTFOptions();
}

void TCustomRVData::SetRTFOptions(TRVRTFOptions value)
{
    if (!IsRoot())
        GetRootData()->SetRTFOptions(value);
}

TRVFWarnings TCustomRVData::GetRVFWarnings()
{
    return IsRoot() ? TRVFWarnings() : GetRootData()->GetRVFWarnings();
}

void TCustomRVData::SetRVFWarnings(TRVFWarnings value)
{
    if (!IsRoot())
        GetRootData()->SetRVFWarnings(value);
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

void TCustomRVData::UpdateItemPaletteInfo(TCustomRVItemInfo* item, bool forceRecreateCopy)
{
    TCustomRVData* root = GetRootData();
    item->UpdatePaletteInfo(root->GetDoInPaletteMode(), forceRecreateCopy, root->GetRVPalette(),
                            root->GetRVLogPalette());
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

AnsiString TCustomRVData::GetExtraRTFCode(TRVRTFSaveArea area, TObject* obj, int index1, int index2,
                                          bool inStyleSheet)
{
    return IsRoot() ? AnsiString() : GetRootData()->GetExtraRTFCode(area, obj, index1, index2, inStyleSheet);
}

AnsiString TCustomRVData::GetExtraHTMLCode(TRVHTMLSaveArea area, bool cssVersion)
{
    return IsRoot() ? AnsiString() : GetRootData()->GetExtraHTMLCode(area, cssVersion);
}

AnsiString TCustomRVData::SaveComponentToFile(const AnsiString& path, TComponent* saveMe,
                                              TRVSaveFormat saveFormat)
{
    return IsRoot() ? AnsiString() : GetRootData()->SaveComponentToFile(path, saveMe, saveFormat);
}

void TCustomRVData::ReadHyperlink(const AnsiString& target, const AnsiString& extras, TRVLoadFormat docFormat,
                                  int& styleNo, TRVTag& itemTag, AnsiString& itemName)
{
    if (!IsRoot())
        GetRootData()->ReadHyperlink(target, extras, docFormat, styleNo, itemTag, itemName);
}

TGraphic* TCustomRVData::RVFPictureNeeded(const AnsiString& itemName, const TRVTag& itemTag)
{
    return IsRoot() ? nullptr : GetRootData()->RVFPictureNeeded(itemName, itemTag);
}

TControl* TCustomRVData::RVFControlNeeded(const AnsiString& itemName, const TRVTag& itemTag)
{
    return IsRoot() ? nullptr : GetRootData()->RVFControlNeeded(itemName, itemTag);
}

TCustomImageList* TCustomRVData::RVFImageListNeeded(int imageListTag)
{
    return IsRoot() ? nullptr : GetRootData()->RVFImageListNeeded(imageListTag);
}

TWinControl* TCustomRVData::GetParentControl()
{
    return IsRoot() ? nullptr : GetRootData()->GetParentControl();
}

void TCustomRVData::InitStyleMappings(TRVIntegerList*& pTextStylesMapping,
                                      TRVIntegerList*& pParaStylesMapping,
                                      TRVIntegerList*& pListStylesMapping)
{
    if (IsRoot()) {
        pTextStylesMapping = nullptr;
        pParaStylesMapping = nullptr;
        pListStylesMapping = nullptr;
        return;
    }
    GetRootData()->InitStyleMappings(pTextStylesMapping, pParaStylesMapping, pListStylesMapping);
}

void TCustomRVData::DoneStyleMappings(TRVIntegerList*, TRVIntegerList*, TRVIntegerList*) {}

TRVStyle* TCustomRVData::GetRVStyle()
{
    TRVSaveAnswers* answers = TRVSaveAnswers::Active();
    if (answers) {
        const auto known = answers->Styles.find(this);
        if (known != answers->Styles.end())
            return known->second;
    }
    TCustomRVData* parent = GetParentData();
    TRVStyle* style = parent ? parent->GetRVStyle() : nullptr;
    if (answers)
        answers->Styles.emplace(this, style);
    return style;
}

namespace {
TRVSaveAnswers* ActiveSaveAnswers = nullptr;
}

TRVSaveAnswers::TRVSaveAnswers() : FOuter(ActiveSaveAnswers == nullptr)
{
    if (FOuter)
        ActiveSaveAnswers = this;
}

TRVSaveAnswers::~TRVSaveAnswers()
{
    if (FOuter)
        ActiveSaveAnswers = nullptr;
}

TRVSaveAnswers* TRVSaveAnswers::Active()
{
    return ActiveSaveAnswers;
}

void TRVSaveAnswers::Forget(const TCustomRVData* data)
{
    TRVSaveAnswers* answers = ActiveSaveAnswers;
    if (answers == nullptr)
        return;
    if (data == nullptr) {
        answers->Roots.clear();
        answers->Styles.clear();
        answers->ActionTargets.clear();
        return;
    }
    answers->Roots.erase(data);
    answers->Styles.erase(data);
    answers->ActionTargets.erase(data);
}

void TCustomRVData::GetParentInfo(int& parentItemNo, TRVStoreSubRVData*& location)
{
    parentItemNo = -1;
    location = nullptr;
}

void TCustomRVData::ItemAction(TRVItemAction, TCustomRVItemInfo*, AnsiString&, TCustomRVData*) {}

// Only control items own a control to report. The receiver gets the item's
// own control field: it may free the control and leave null there (the item
// then frees nothing), or hand the item another one.
void TCustomRVData::ControlAction(TRVControlAction controlAction, int itemNo, TCustomRVItemInfo* item)
{
    // Text, the most common item, is never a control: no cast is tried.
    if (item == nullptr || item->StyleNo >= 0)
        return;
    auto* controlItem = dynamic_cast<TRVControlItemInfo*>(item);
    if (controlItem == nullptr)
        return;
    // The item outlives the wait: a control item is freed only once no
    // program's code runs (CallsProgramCode), and none runs before the scope closes.
    if (controlAction == rvcaMoveToUndoList || controlAction == rvcaMoveFromUndoList) {
        TRVControlMovesTold::Tell([this, controlAction, itemNo, controlItem] {
            ControlAction2(controlAction, itemNo, controlItem->ControlRef());
        });
        return;
    }
    ControlAction2(controlAction, itemNo, controlItem->ControlRef());
}

// ---------------------------------------------------------------------------
// List markers

TRVMarkerList* TCustomRVData::GetMarkers(bool allowCreate)
{
    TCustomRVData* root = GetAbsoluteRootData();
    return root == this ? nullptr : root->GetMarkers(allowCreate);
}

void TCustomRVData::DestroyMarkers()
{
    TCustomRVData* root = GetAbsoluteRootData();
    if (root != this)
        root->DestroyMarkers();
}

void TCustomRVData::DeleteMarkerFromList(TCustomRVItemInfo* item, bool clearing)
{
    if (!item || item->StyleNo != rvsListMarker)
        return;
    if (auto* marker = dynamic_cast<TRVMarkerItemInfo*>(item))
        DeleteMarkersFromList({marker}, clearing);
}

void TCustomRVData::DeleteMarkersOfItems(int firstItemNo, int lastItemNo, bool clearing)
{
    if (GetMarkers(false) == nullptr)
        return;
    std::vector<TRVMarkerItemInfo*> markers;
    CollectMarkers(firstItemNo, lastItemNo, markers);
    DeleteMarkersFromList(markers, clearing);
}

void TCustomRVData::DeleteMarkersFromList(const std::vector<TRVMarkerItemInfo*>& markers, bool clearing)
{
    TRVMarkerList* list = GetMarkers(false);
    if (list == nullptr || markers.empty())
        return;
    const int index = list->RemoveMarkers(markers);
    if (index < 0)
        return;
    if (list->Count() == 0) {
        DestroyMarkers();
        return;
    }
    if (clearing)
        return;
    std::vector<int> numbered;
    for (const TRVMarkerItemInfo* marker : markers) {
        if (std::find(numbered.begin(), numbered.end(), marker->ListNo) != numbered.end())
            continue;
        numbered.push_back(marker->ListNo);
        for (int i = index; i < list->Count(); ++i)
            if (list->Marker(i)->ListNo == marker->ListNo) {
                list->RecalcCounters(i, GetRVStyle());
                break;
            }
    }
}

// ---------------------------------------------------------------------------
// Freeing and deleting

void TCustomRVData::InternalFreeItem(TCustomRVItemInfo* item, bool clearing)
{
    if (!item)
        return;
    // Clear took the document's markers out of the list before freeing its items.
    if (!State.Contains(rvstClearing))
        DeleteMarkerFromList(item, clearing);
    if (item->GetCheckpoint() && item->GetCheckpoint()->ItemInfo == item) {
        TRVCPInfo* cp = item->GetCheckpoint();
        item->SetCheckpoint(nullptr);
        FreeCheckpoint(cp, true, true);
    }
    // A table's code may be what a program's handler freeing it returns into.
    if (item->CallsProgramCode() && (TCallHold::Any() || item->HeldByProgram())) {
        item->LeaveDocument();
        if (item->HeldByProgram())
            item->FreeOnRelease();
        else
            FreeLater([item] { delete item; });
        return;
    }
    delete item; // with a checkpoint it carries unattached, which no chain counts
}

void TCustomRVData::FreeItem(int itemNo, bool clearing)
{
    TCustomRVItemInfo* item = GetItem(itemNo);
    if (item != nullptr && item->StyleNo < 0 && item->StyleNo != rvsListMarker &&
        !State.Contains(rvstClearing))
        DeleteMarkersOfItems(itemNo, itemNo, clearing);
    AnsiString s = Items->Get(itemNo);
    ItemAction(rviaDestroying, item, s, this);
    ControlAction(rvcaDestroy, itemNo, item);
    // The entry stays for the caller to delete; it no longer names the item.
    Items->PutObject(itemNo, nullptr);
    InternalFreeItem(item, clearing);
}

void TCustomRVData::DeleteItems(int firstItemNo, int count)
{
    if (ShareItems() || !FOwnsItems)
        return;
    if (firstItemNo < 0) {
        count += firstItemNo;
        firstItemNo = 0;
    }
    const int itemCount = Items->Count();
    if (firstItemNo >= itemCount || count <= 0)
        return;
    if (count > itemCount - firstItemNo)
        count = itemCount - firstItemNo;
    TUpdateGuard guard(Items);
    for (int i = firstItemNo; i < firstItemNo + count; ++i)
        FreeItem(i, false);
    // From the end of the range, so that each deletion moves only what follows it.
    for (int i = firstItemNo + count - 1; i >= firstItemNo; --i)
        Items->Delete(i);
}

void TCustomRVData::DeleteSection(const AnsiString& cpName)
{
    if (ShareItems())
        return;
    TRVCPInfo* cp = FirstCP;
    while (cp && cp->Name != cpName)
        cp = cp->Next;
    if (!cp)
        return;
    const int startNo = GetItemNo(cp->ItemInfo);
    if (startNo < 0)
        return;
    int endNo = Items->Count() - 1;
    // Unnamed checkpoints inside the section go with it.
    for (TRVCPInfo* next = cp->Next; next; next = next->Next)
        if (!next->Name.empty()) {
            endNo = GetItemNo(next->ItemInfo) - 1;
            break;
        }
    DeleteItems(startNo, endNo - startNo + 1);
}

void TCustomRVData::Clear()
{
    // The documents inside items (only non-text items hold any) ask their
    // holders as they go.
    std::unique_ptr<TRVSaveAnswers> answers;
    if (!ShareItems() && FOwnsItems && !TRVSaveAnswers::Active())
        for (int i = 0; i < Items->Count() && !answers; ++i)
            if (const TCustomRVItemInfo* item = GetItem(i); item != nullptr && item->StyleNo < 0)
                answers = std::make_unique<TRVSaveAnswers>();
    const bool wasClearing = State.Contains(rvstClearing);
    State.Include(rvstClearing);
    State.Exclude(rvstFirstParaAborted);
    State.Exclude(rvstLastParaAborted);
    if (!ShareItems() && FOwnsItems) {
        // The markers of the whole document leave the markers list first, in
        // one step: the list itself goes when it is this document's own.
        if (GetAbsoluteRootData() == this)
            DestroyMarkers();
        else
            DeleteMarkersOfItems(0, Items->Count() - 1, false);
        TUpdateGuard guard(Items);
        for (int i = 0; i < Items->Count(); ++i)
            FreeItem(i, true);
        Items->Clear();
    }
    FreeCheckpoint(NotAddedCP, false, true);
    FirstCP = nullptr;
    LastCP = nullptr;
    CPCount = 0;
    if (!wasClearing)
        State.Exclude(rvstClearing);
}

// ---------------------------------------------------------------------------
// Links of the checkpoint chain

void TCustomRVData::SetCP(TCustomRVItemInfo* item, TRVCPInfo* prev, TRVCPInfo*& cp)
{
    if (!cp)
        return;
    cp->Prev = prev;
    cp->ItemInfo = item;
    if (!prev) {
        cp->Next = FirstCP;
        if (FirstCP)
            FirstCP->Prev = cp;
        FirstCP = cp;
        if (!LastCP)
            LastCP = cp;
    } else {
        cp->Next = prev->Next;
        prev->Next = cp;
        if (cp->Next)
            cp->Next->Prev = cp;
        if (prev == LastCP)
            LastCP = cp;
    }
    item->SetCheckpoint(cp);
    cp = nullptr;
}

void TCustomRVData::UnlinkCheckpoint(TRVCPInfo* cp, bool decreaseCpCount)
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
    if (decreaseCpCount)
        --CPCount;
}

void TCustomRVData::FreeCheckpoint(TRVCPInfo*& cp, bool adjustLinks, bool decreaseCpCount)
{
    if (!cp)
        return;
    if (adjustLinks)
        UnlinkCheckpoint(cp, false);
    delete cp; // its tag goes with it
    cp = nullptr;
    if (decreaseCpCount)
        --CPCount;
}

// ---------------------------------------------------------------------------
// Helpers

TCustomRVItemInfo* TCustomRVData::LastItem() const
{
    const int count = Items->Count();
    return count ? GetItem(count - 1) : nullptr;
}
