// The item store: list markers. A numbered or bulleted paragraph starts with a
// marker item; the markers list of the outermost root holds every marker of the
// document, nested documents included, in document order, and numbers them.
//
// Positions of sub-documents (TRVStoreSubRVData) that GetSubRVData and
// GetParentInfo hand out belong to the caller, which frees them when done;
// rvdNext and rvdPrev move the position they are given.
#include <memory>

#include "document/crvdata.h"
#include "document/rvmarker.h"

namespace {

TRVMarkerItemInfo* AsMarker(TCustomRVItemInfo* Item)
{
    return Item && Item->StyleNo == rvsListMarker ? dynamic_cast<TRVMarkerItemInfo*>(Item) : nullptr;
}

TRVMarkerItemInfo* LastMarkerFrom(TCustomRVData* Data, int ItemNo);

// The last marker in the sub-documents of Item that GetSubRVData gives from
// State on, stepping by Step.
TRVMarkerItemInfo* LastMarkerInSubDocs(TCustomRVItemInfo* Item, TRVStoreSubRVData*& State,
                                       TRVSubRVDataPos First, TRVSubRVDataPos Step)
{
    for (TCustomRVData* Sub = Item->GetSubRVData(State, First); Sub; Sub = Item->GetSubRVData(State, Step))
        if (TRVMarkerItemInfo* Marker = LastMarkerFrom(Sub, Sub->GetItemCount() - 1))
            return Marker;
    return nullptr;
}

// The last marker of Data at or before item ItemNo, its sub-documents included.
TRVMarkerItemInfo* LastMarkerFrom(TCustomRVData* Data, int ItemNo)
{
    if (ItemNo >= Data->GetItemCount())
        ItemNo = Data->GetItemCount() - 1;
    for (int i = ItemNo; i >= 0; --i) {
        TCustomRVItemInfo* Item = Data->GetItem(i);
        if (TRVMarkerItemInfo* Marker = AsMarker(Item))
            return Marker;
        TRVStoreSubRVData* State = nullptr;
        TRVMarkerItemInfo* Marker = LastMarkerInSubDocs(Item, State, rvdLast, rvdPrev);
        delete State;
        if (Marker)
            return Marker;
    }
    return nullptr;
}

// Whether Data or one of its sub-documents holds Marker.
bool HoldsMarker(TCustomRVData* Data, const TRVMarkerItemInfo* Marker);

bool SubDocsHoldMarker(TCustomRVItemInfo* Item, const TRVMarkerItemInfo* Marker)
{
    TRVStoreSubRVData* State = nullptr;
    bool Found = false;
    for (TCustomRVData* Sub = Item->GetSubRVData(State, rvdFirst); Sub && !Found;
         Sub = Item->GetSubRVData(State, rvdNext))
        Found = HoldsMarker(Sub, Marker);
    delete State;
    return Found;
}

bool HoldsMarker(TCustomRVData* Data, const TRVMarkerItemInfo* Marker)
{
    for (int i = 0; i < Data->GetItemCount(); ++i) {
        TCustomRVItemInfo* Item = Data->GetItem(i);
        if (Item == Marker || SubDocsHoldMarker(Item, Marker))
            return true;
    }
    return false;
}

} // namespace

// ---------------------------------------------------------------------------
// Markers of paragraphs

int TCustomRVData::SetListMarkerInfo(int ItemNo, int ListNo, int Level, int StartFrom, int ParaNo,
                                     bool UseStartFrom)
{
    const int Count = Items->Count();
    if (ItemNo >= 0 && ItemNo < Count) {
        ItemNo = GetFirstParaItem(ItemNo);
        // A horizontal rule or a table cannot be numbered.
        if (GetItem(ItemNo)->GetBoolValue(rvbpFullWidth))
            return -1;
    } else {
        ItemNo = Count;
    }

    if (ItemNo < Count) {
        if (TRVMarkerItemInfo* Marker = AsMarker(GetItem(ItemNo))) {
            const int OldListNo = Marker->ListNo;
            Marker->ListNo = ListNo;
            Marker->Level = Level;
            Marker->StartFrom = StartFrom;
            Marker->Reset = UseStartFrom;
            if (TRVMarkerList* List = GetMarkers(false)) {
                const int Index = Marker->GetIndexInList(List);
                List->RecalcCounters(Index, GetRVStyle());
                // A marker moved to another list leaves a gap in its old one.
                if (OldListNo != ListNo && Index >= 0)
                    for (int i = Index + 1; i < List->Count(); ++i)
                        if (List->Marker(i)->ListNo == OldListNo) {
                            List->RecalcCounters(i, GetRVStyle());
                            break;
                        }
            }
            return ItemNo;
        }
    } else if (Count > 0 && GetItem(Count - 1)->StyleNo == rvsListMarker) {
        // A marker is never followed directly by the start of a new paragraph.
        AddNL(AnsiString(), 0, -1);
        ItemNo = Items->Count();
    }

    std::unique_ptr<TRVMarkerItemInfo> Marker(
        new TRVMarkerItemInfo(this, ListNo, Level, StartFrom, UseStartFrom));
    AnsiString Text;
    Marker->Inserting(this, Text, false);
    if (ItemNo < Items->Count()) {
        // The paragraph's first item now continues the marker's line; the
        // paragraph's page break moves to the marker, which starts it.
        TCustomRVItemInfo* First = GetItem(ItemNo);
        const bool PageBreak = First->GetPageBreakBefore();
        First->SetSameAsPrev(true);
        Marker->ParaNo = First->ParaNo;
        Marker->SetPageBreakBefore(PageBreak);
    } else if (ParaNo >= 0) {
        Marker->ParaNo = ParaNo;
    } else {
        Marker->ParaNo = ItemNo > 0 ? GetItem(ItemNo - 1)->ParaNo : 0;
    }
    Items->InsertObject(ItemNo, Text, Marker.get());
    TRVMarkerItemInfo* Inserted = Marker.release();
    Inserted->Inserted(this, ItemNo);
    AddMarkerInList(ItemNo);
    return ItemNo;
}

void TCustomRVData::RemoveListMarker(int ItemNo)
{
    if (ItemNo < 0 || ItemNo >= Items->Count())
        return;
    const int First = GetFirstParaItem(ItemNo);
    TRVMarkerItemInfo* Marker = AsMarker(GetItem(First));
    if (!Marker)
        return;
    const bool PageBreak = Marker->GetPageBreakBefore();
    DeleteItems(First, 1);
    // DeleteItems refuses in a store that does not own its items.
    if (First < Items->Count() && GetItem(First) != Marker) {
        TCustomRVItemInfo* Item = GetItem(First);
        if (Item->GetSameAsPrev()) {
            Item->SetSameAsPrev(false);
            Item->SetPageBreakBefore(PageBreak);
        }
    }
}

int TCustomRVData::GetListMarkerInfo(int ItemNo, int& ListNo, int& Level, int& StartFrom, bool& UseStartFrom)
{
    if (ItemNo < 0 || ItemNo >= Items->Count())
        return -1;
    const int First = GetFirstParaItem(ItemNo);
    const TRVMarkerItemInfo* Marker = AsMarker(GetItem(First));
    if (!Marker)
        return -1;
    ListNo = Marker->ListNo;
    Level = Marker->Level;
    StartFrom = Marker->StartFrom;
    UseStartFrom = Marker->Reset;
    return First;
}

// ---------------------------------------------------------------------------
// The markers list

void TCustomRVData::RecalcMarker(int ItemNo, bool AllowCreate)
{
    if (ItemNo < 0 || ItemNo >= Items->Count())
        return;
    TRVMarkerItemInfo* Marker = AsMarker(GetItem(ItemNo));
    if (!Marker)
        return;
    if (TRVMarkerList* List = GetMarkers(AllowCreate))
        List->RecalcCounters(Marker->GetIndexInList(List), GetRVStyle());
}

void TCustomRVData::AddMarkerInList(int ItemNo)
{
    if (ItemNo < 0 || ItemNo >= Items->Count())
        return;
    TRVMarkerItemInfo* Marker = AsMarker(GetItem(ItemNo));
    if (!Marker)
        return;
    TRVMarkerList* List = GetMarkers(true);
    if (!List)
        return;
    TRVMarkerItemInfo* Previous = FindPreviousMarker(ItemNo - 1);
    const int Count = List->Count();
    const TRVMarkerItemInfo* Last = Count > 0 ? List->Marker(Count - 1) : nullptr;
    if (Previous == Last && Marker != Last) {
        // Appended after the last marker of the document (a load, an append):
        // it cannot be in the list yet, and it is numbered alone, so that
        // adding markers one after another costs no search of the list.
        List->Append(Marker);
        List->RecalcCounters(Count, GetRVStyle());
        return;
    }
    if (Marker->GetIndexInList(List) >= 0)
        return;
    List->InsertAfter(Marker, Previous);
    List->RecalcCounters(Marker->GetIndexInList(List), GetRVStyle());
}

TRVMarkerItemInfo* TCustomRVData::FindPreviousMarker(int ItemNo)
{
    TCustomRVData* Data = this;
    for (;;) {
        if (TRVMarkerItemInfo* Marker = LastMarkerFrom(Data, ItemNo))
            return Marker;
        // Nothing before this place in this store: go on in the store around it,
        // first in the sub-documents of its item that come before this one.
        int ParentItemNo = -1;
        TRVStoreSubRVData* Location = nullptr;
        Data->GetParentInfo(ParentItemNo, Location);
        std::unique_ptr<TRVStoreSubRVData> LocationOwner(Location);
        TCustomRVData* Parent = Data->GetAbsoluteParentData();
        if (ParentItemNo < 0 || !Parent || ParentItemNo >= Parent->GetItemCount())
            return nullptr;
        TRVStoreSubRVData* State = Location;
        for (TCustomRVData* Sub = Parent->GetItem(ParentItemNo)->GetSubRVData(State, rvdPrev); Sub;
             Sub = Parent->GetItem(ParentItemNo)->GetSubRVData(State, rvdPrev))
            if (TRVMarkerItemInfo* Marker = LastMarkerFrom(Sub, Sub->GetItemCount() - 1))
                return Marker;
        Data = Parent;
        ItemNo = ParentItemNo - 1;
    }
}

int TCustomRVData::FindMarkerLocalLocationFrom(int StartItemNo, TRVMarkerItemInfo* Marker)
{
    if (!Marker)
        return -1;
    for (int i = StartItemNo < 0 ? 0 : StartItemNo; i < Items->Count(); ++i) {
        TCustomRVItemInfo* Item = GetItem(i);
        if (Item == Marker || SubDocsHoldMarker(Item, Marker))
            return i;
    }
    return -1;
}

int TCustomRVData::FindLastMarkerIndex(int From, TRVIntegerList* ListNos)
{
    TRVMarkerList* List = GetMarkers(false);
    if (!List || !ListNos)
        return -1;
    for (int i = List->Count() - 1; i >= 0 && i >= From; --i)
        if (ListNos->IndexOf(List->Marker(i)->ListNo) >= 0)
            return i;
    return -1;
}
