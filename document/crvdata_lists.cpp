// The item store: list markers. A numbered or bulleted paragraph starts with a
// marker item; the markers list of the outermost root holds every marker of the
// document, nested documents included, in document order, and numbers them.
//
// Positions of sub-documents (TRVStoreSubRVData) that GetSubRVData and
// GetParentInfo hand out belong to the caller, which frees them when done;
// rvdNext and rvdPrev move the position they are given.
#include <algorithm>
#include <memory>
#include <vector>

#include "document/crvdata.h"
#include "document/rvmarker.h"

namespace {

TRVMarkerItemInfo* AsMarker(TCustomRVItemInfo* item)
{
    return item && item->StyleNo == rvsListMarker ? dynamic_cast<TRVMarkerItemInfo*>(item) : nullptr;
}

TRVMarkerItemInfo* LastMarkerFrom(TCustomRVData* data, int itemNo);

// The last marker in the sub-documents of Item that GetSubRVData gives from
// State on, stepping by Step.
TRVMarkerItemInfo* LastMarkerInSubDocs(TCustomRVItemInfo* item, TRVStoreSubRVData*& state,
                                       TRVSubRVDataPos first, TRVSubRVDataPos step)
{
    for (TCustomRVData* sub = item->GetSubRVData(state, first); sub; sub = item->GetSubRVData(state, step))
        if (TRVMarkerItemInfo* marker = LastMarkerFrom(sub, sub->GetItemCount() - 1))
            return marker;
    return nullptr;
}

// The last marker of Data at or before item ItemNo, its sub-documents included.
TRVMarkerItemInfo* LastMarkerFrom(TCustomRVData* data, int itemNo)
{
    if (itemNo >= data->GetItemCount())
        itemNo = data->GetItemCount() - 1;
    for (int i = itemNo; i >= 0; --i) {
        TCustomRVItemInfo* item = data->GetItem(i);
        if (TRVMarkerItemInfo* marker = AsMarker(item))
            return marker;
        TRVStoreSubRVData* state = nullptr;
        TRVMarkerItemInfo* marker = LastMarkerInSubDocs(item, state, rvdLast, rvdPrev);
        delete state;
        if (marker)
            return marker;
    }
    return nullptr;
}

// Whether Data or one of its sub-documents holds Marker.
bool HoldsMarker(TCustomRVData* data, const TRVMarkerItemInfo* marker);

bool SubDocsHoldMarker(TCustomRVItemInfo* item, const TRVMarkerItemInfo* marker)
{
    TRVStoreSubRVData* state = nullptr;
    bool found = false;
    for (TCustomRVData* sub = item->GetSubRVData(state, rvdFirst); sub && !found;
         sub = item->GetSubRVData(state, rvdNext))
        found = HoldsMarker(sub, marker);
    delete state;
    return found;
}

bool HoldsMarker(TCustomRVData* data, const TRVMarkerItemInfo* marker)
{
    for (int i = 0; i < data->GetItemCount(); ++i) {
        TCustomRVItemInfo* item = data->GetItem(i);
        if (item == marker || SubDocsHoldMarker(item, marker))
            return true;
    }
    return false;
}

} // namespace

// ---------------------------------------------------------------------------
// Markers of paragraphs

int TCustomRVData::SetListMarkerInfo(int itemNo, int listNo, int level, int startFrom, int paraNo,
                                     bool useStartFrom)
{
    const int count = Items->Count();
    if (itemNo >= 0 && itemNo < count) {
        itemNo = GetFirstParaItem(itemNo);
        // A horizontal rule or a table cannot be numbered.
        if (GetItem(itemNo)->GetBoolValue(rvbpFullWidth))
            return -1;
    } else {
        itemNo = count;
    }

    if (itemNo < count) {
        if (TRVMarkerItemInfo* marker = AsMarker(GetItem(itemNo))) {
            const int oldListNo = marker->ListNo;
            marker->ListNo = listNo;
            marker->Level = level;
            marker->StartFrom = startFrom;
            marker->Reset = useStartFrom;
            if (TRVMarkerList* list = GetMarkers(false)) {
                const int index = marker->GetIndexInList(list);
                list->RecalcCounters(index, GetRVStyle());
                // A marker moved to another list leaves a gap in its old one.
                if (oldListNo != listNo && index >= 0)
                    for (int i = index + 1; i < list->Count(); ++i)
                        if (list->Marker(i)->ListNo == oldListNo) {
                            list->RecalcCounters(i, GetRVStyle());
                            break;
                        }
            }
            return itemNo;
        }
    } else if (count > 0 && GetItem(count - 1)->StyleNo == rvsListMarker) {
        // A marker is never followed directly by the start of a new paragraph.
        AddNL(AnsiString(), 0, -1);
        itemNo = Items->Count();
    }

    std::unique_ptr<TRVMarkerItemInfo> marker(
        new TRVMarkerItemInfo(this, listNo, level, startFrom, useStartFrom));
    AnsiString text;
    marker->Inserting(this, text, false);
    if (itemNo < Items->Count()) {
        // The paragraph's first item now continues the marker's line; the
        // paragraph's page break moves to the marker, which starts it.
        TCustomRVItemInfo* first = GetItem(itemNo);
        const bool pageBreak = first->GetPageBreakBefore();
        first->SetSameAsPrev(true);
        marker->ParaNo = first->ParaNo;
        marker->SetPageBreakBefore(pageBreak);
    } else if (paraNo >= 0) {
        marker->ParaNo = paraNo;
    } else {
        marker->ParaNo = itemNo > 0 ? GetItem(itemNo - 1)->ParaNo : 0;
    }
    Items->InsertObject(itemNo, text, marker.get());
    TRVMarkerItemInfo* inserted = marker.release();
    inserted->Inserted(this, itemNo);
    AddMarkerInList(itemNo);
    return itemNo;
}

void TCustomRVData::RemoveListMarker(int itemNo)
{
    if (itemNo < 0 || itemNo >= Items->Count())
        return;
    const int first = GetFirstParaItem(itemNo);
    TRVMarkerItemInfo* marker = AsMarker(GetItem(first));
    if (!marker)
        return;
    const bool pageBreak = marker->GetPageBreakBefore();
    DeleteItems(first, 1);
    // DeleteItems refuses in a store that does not own its items.
    if (first < Items->Count() && GetItem(first) != marker) {
        TCustomRVItemInfo* item = GetItem(first);
        if (item->GetSameAsPrev()) {
            item->SetSameAsPrev(false);
            item->SetPageBreakBefore(pageBreak);
        }
    }
}

int TCustomRVData::GetListMarkerInfo(int itemNo, int& listNo, int& level, int& startFrom, bool& useStartFrom)
{
    if (itemNo < 0 || itemNo >= Items->Count())
        return -1;
    const int first = GetFirstParaItem(itemNo);
    const TRVMarkerItemInfo* marker = AsMarker(GetItem(first));
    if (!marker)
        return -1;
    listNo = marker->ListNo;
    level = marker->Level;
    startFrom = marker->StartFrom;
    useStartFrom = marker->Reset;
    return first;
}

// ---------------------------------------------------------------------------
// The markers list

void TCustomRVData::RecalcMarker(int itemNo, bool allowCreate)
{
    if (itemNo < 0 || itemNo >= Items->Count())
        return;
    TRVMarkerItemInfo* marker = AsMarker(GetItem(itemNo));
    if (!marker)
        return;
    if (TRVMarkerList* list = GetMarkers(allowCreate))
        list->RecalcCounters(marker->GetIndexInList(list), GetRVStyle());
}

void TCustomRVData::AddMarkerInList(int itemNo)
{
    if (itemNo < 0 || itemNo >= Items->Count())
        return;
    TRVMarkerItemInfo* marker = AsMarker(GetItem(itemNo));
    if (!marker)
        return;
    TRVMarkerList* list = GetMarkers(true);
    if (!list)
        return;
    TRVMarkerItemInfo* previous = FindPreviousMarker(itemNo - 1);
    const int count = list->Count();
    const TRVMarkerItemInfo* last = count > 0 ? list->Marker(count - 1) : nullptr;
    if (previous == last && marker != last) {
        // Appended after the last marker of the document (a load, an append):
        // it cannot be in the list yet, and it is numbered alone, so that
        // adding markers one after another costs no search of the list.
        list->Append(marker);
        list->RecalcCounters(count, GetRVStyle());
        return;
    }
    if (marker->GetIndexInList(list) >= 0)
        return;
    list->InsertAfter(marker, previous);
    list->RecalcCounters(marker->GetIndexInList(list), GetRVStyle());
}

// The markers of items First..Last and of their sub-documents, in document order.
void TCustomRVData::CollectMarkers(int firstItemNo, int lastItemNo, std::vector<TRVMarkerItemInfo*>& markers)
{
    lastItemNo = std::min(lastItemNo, Items->Count() - 1);
    for (int i = std::max(firstItemNo, 0); i <= lastItemNo; ++i) {
        TCustomRVItemInfo* item = GetItem(i);
        if (TRVMarkerItemInfo* marker = AsMarker(item)) {
            markers.push_back(marker);
            continue;
        }
        TRVStoreSubRVData* state = nullptr;
        for (TCustomRVData* sub = item->GetSubRVData(state, rvdFirst); sub;
             sub = item->GetSubRVData(state, rvdNext))
            sub->CollectMarkers(0, sub->GetItemCount() - 1, markers);
        delete state;
    }
}

void TCustomRVData::AddMarkersInList(int firstItemNo, int lastItemNo)
{
    firstItemNo = std::max(firstItemNo, 0);
    lastItemNo = std::min(lastItemNo, Items->Count() - 1);
    if (firstItemNo > lastItemNo)
        return;
    std::vector<TRVMarkerItemInfo*> markers;
    CollectMarkers(firstItemNo, lastItemNo, markers);
    if (markers.empty())
        return;
    TRVMarkerList* list = GetMarkers(true);
    if (!list)
        return;
    const int index = list->InsertRange(markers, FindPreviousMarker(firstItemNo - 1));
    if (index < 0)
        return;
    // Each list is numbered once, from its first marker that was inserted.
    std::vector<int> numbered;
    for (TRVMarkerItemInfo* marker : markers) {
        if (std::find(numbered.begin(), numbered.end(), marker->ListNo) != numbered.end())
            continue;
        numbered.push_back(marker->ListNo);
        list->RecalcCounters(marker->GetIndexInList(list), GetRVStyle());
    }
}

TRVMarkerItemInfo* TCustomRVData::FindPreviousMarker(int itemNo)
{
    TCustomRVData* data = this;
    for (;;) {
        if (TRVMarkerItemInfo* marker = LastMarkerFrom(data, itemNo))
            return marker;
        // Nothing before this place in this store: go on in the store around it,
        // first in the sub-documents of its item that come before this one.
        int parentItemNo = -1;
        TRVStoreSubRVData* location = nullptr;
        data->GetParentInfo(parentItemNo, location);
        std::unique_ptr<TRVStoreSubRVData> locationOwner(location);
        TCustomRVData* parent = data->GetAbsoluteParentData();
        if (parentItemNo < 0 || !parent || parentItemNo >= parent->GetItemCount())
            return nullptr;
        TRVStoreSubRVData* state = location;
        for (TCustomRVData* sub = parent->GetItem(parentItemNo)->GetSubRVData(state, rvdPrev); sub;
             sub = parent->GetItem(parentItemNo)->GetSubRVData(state, rvdPrev))
            if (TRVMarkerItemInfo* marker = LastMarkerFrom(sub, sub->GetItemCount() - 1))
                return marker;
        data = parent;
        itemNo = parentItemNo - 1;
    }
}

int TCustomRVData::FindMarkerLocalLocationFrom(int startItemNo, TRVMarkerItemInfo* marker)
{
    if (!marker)
        return -1;
    for (int i = startItemNo < 0 ? 0 : startItemNo; i < Items->Count(); ++i) {
        TCustomRVItemInfo* item = GetItem(i);
        if (item == marker || SubDocsHoldMarker(item, marker))
            return i;
    }
    return -1;
}

int TCustomRVData::FindLastMarkerIndex(int from, TRVIntegerList* listNos)
{
    TRVMarkerList* list = GetMarkers(false);
    if (!list || !listNos)
        return -1;
    for (int i = list->Count() - 1; i >= 0 && i >= from; --i)
        if (listNos->IndexOf(list->Marker(i)->ListNo) >= 0)
            return i;
    return -1;
}
