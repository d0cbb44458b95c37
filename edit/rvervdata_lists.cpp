// List markers in the editor: applying a list style to the paragraphs of the
// selection, removing their markers or moving them between levels, and the
// layout that numbers of variable width need after any edit that adds or
// removes markers (the markers after them are numbered again, and their
// paragraphs may need more or less room).
#include <algorithm>
#include <unordered_set>
#include <vector>

#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvstyle_list.h"
#include "edit/rvervdata.h"

// The markers ApplyListStyle takes out of the document while it batches the
// markers list (the lists they numbered are renumbered at the end).
struct TRVMarkerBatch {
    std::vector<const void*> Removed;
    std::vector<int> RemovedListNos;
};

namespace {

bool IsVariableWidthList(TRVStyle* style, int listNo)
{
    return style && listNo >= 0 && listNo < style->ListStyles()->Count() &&
           style->ListStyles()->Items(listNo)->HasVariableWidth();
}

void AddUnique(std::vector<int>& list, int value)
{
    if (std::find(list.begin(), list.end(), value) == list.end())
        list.push_back(value);
}

} // namespace

TRVMarkerList* TRVEditRVData::GetMarkers(bool allowCreate)
{
    return FMarkerBatch ? nullptr : TRollViewRVData::GetMarkers(allowCreate);
}

// ---------------------------------------------------------------------------
// Applying list styles

void TRVEditRVData::ApplyListStyle(int listNo, int listLevel, int startFrom, bool useStartFrom, bool,
                                   TRVParaListOperation operation)
{
    TRVStyle* style = GetRVStyle();
    if (!style || GetItemCount() == 0 || DrawItems.Count() == 0)
        return;
    // A marker of a list the style sheet does not hold would show nothing.
    if (operation == rvplopChange && (listNo < 0 || listNo >= style->ListStyles()->Count()))
        return;
    TRVSelectedParas paras;
    if (!SelectedParagraphs(paras))
        return;
    int(&sel)[4] = paras.Sel;
    const bool hadSelection = paras.HadSelection;
    const int first = paras.FirstItemNo;
    const int last = paras.LastItemNo;
    int firstDi = paras.FirstDrawItemNo;
    int lastDi = paras.LastDrawItemNo;
    // No position rests on a marker, which may go.
    AdjustMarkerPos(sel[0], sel[1]);
    AdjustMarkerPos(sel[2], sel[3]);
    GetParaBounds(firstDi, lastDi, firstDi, lastDi);

    BeginUndoSequence(rvutList, true);
    SetUndoGroupMode(true);
    bool full = false;
    try {
        const int added =
            ApplyListStyle_(first, last, listNo, listLevel, startFrom, useStartFrom, operation, sel, full);
        Reformat_(full, firstDi, lastDi, added);
        if (hadSelection) {
            RestoreSelBounds(sel[0], sel[2], sel[1], sel[3]);
            MoveCaretTo(SelEndNo, SelEndOffs);
            ChangeCaret(rvcmScrollToCaret);
        } else {
            KeepCaretAt(sel[2], sel[3]);
        }
    } catch (...) {
        SetUndoGroupMode(false);
        Change();
        throw;
    }
    SetUndoGroupMode(false);
    Change();
}

int TRVEditRVData::ApplyListStyle_(int firstItemNo, int lastItemNo, int listNo, int listLevel, int startFrom,
                                   bool useStartFrom, TRVParaListOperation operation, int (&selItems)[4],
                                   bool& fullReformat)
{
    TRVStyle* style = GetRVStyle();
    TRVMarkerChanges changes;
    bool firstMarker = true;
    for (int p = firstItemNo; p <= lastItemNo && p < GetItemCount(); p = GetParaEndItemNo(p) + 1) {
        TCustomRVItemInfo* item = GetItem(p);
        if (item->GetBoolValue(rvbpFullWidth))
            continue;
        auto* old = GetItemStyle(p) == rvsListMarker ? dynamic_cast<TRVMarkerItemInfo*>(item) : nullptr;
        if (!old && operation != rvplopChange)
            continue;
        TRVMarkerItemInfo* marker = nullptr;
        if (operation == rvplopChange) {
            const int level = listLevel >= 0 ? listLevel : (old ? old->Level : 0);
            marker = new TRVMarkerItemInfo(this, listNo, level, startFrom, useStartFrom && firstMarker);
        } else if (operation == rvplopLevel) {
            const int levels = old->ListNo >= 0 && old->ListNo < style->ListStyles()->Count()
                                   ? style->ListStyles()->Items(old->ListNo)->Levels()->Count()
                                   : 1;
            const int level = std::clamp(old->Level + listLevel, 0, std::max(levels - 1, 0));
            marker = new TRVMarkerItemInfo(this, old->ListNo, level, old->StartFrom, old->Reset);
        }
        firstMarker = false;
        // A marker that would stay as it is stays.
        if (old && marker && marker->ListNo == old->ListNo && marker->Level == old->Level &&
            marker->StartFrom == old->StartFrom && marker->Reset == old->Reset) {
            delete marker;
            continue;
        }
        // A checkpoint on a marker that goes is recorded going on its own.
        if (old && old->GetCheckpoint())
            Do_DeleteCP(p);
        changes.push_back({p, marker});
    }
    // Positions move with the markers that come (before them) and go.
    for (int k = 0; k < 4; k += 2) {
        int shift = 0;
        for (const TRVMarkerChange& change : changes) {
            const bool removes = GetItemStyle(change.ItemNo) == rvsListMarker;
            if (change.ItemNo > selItems[k] || (removes && change.ItemNo == selItems[k]))
                break;
            shift += (change.Marker ? 1 : 0) - (removes ? 1 : 0);
        }
        selItems[k] += shift;
    }
    const int before = GetItemCount();
    Do_ChangeListMarkers(changes, false, fullReformat);
    return GetItemCount() - before;
}

void TRVEditRVData::Do_ChangeListMarkers(TRVMarkerChanges& changes, bool fromUndo, bool& fullReformat)
{
    fullReformat = false;
    if (changes.empty())
        return;
    ForgetSelection();
    const int first = changes.front().ItemNo;
    const int w0 = CalculateParaSectionsMinWidthDef(first, GetParaEndItemNo(changes.back().ItemNo));
    TRVUndoListMarkersInfo* record = nullptr;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto info = std::make_unique<TRVUndoListMarkersInfo>();
        info->Action = rvuChangeListMarker;
        record = info.get();
        list->AddInfo(std::move(info));
    }
    TRVMarkerBatch batch;
    FMarkerBatch = &batch;
    // The entries of the list after the change, made in one pass.
    std::vector<std::pair<AnsiString, TObject*>> entries;
    std::vector<std::pair<int, TRVMarkerItemInfo*>> inserted;
    const int count = GetItemCount();
    entries.reserve(static_cast<size_t>(count) + changes.size());
    size_t k = 0;
    for (int i = 0; i < count; ++i) {
        if (k >= changes.size() || changes[k].ItemNo != i) {
            entries.emplace_back(Items->Get(i), Items->GetObject(i));
            continue;
        }
        TRVMarkerItemInfo* marker = changes[k++].Marker;
        auto* old = GetItemStyle(i) == rvsListMarker ? static_cast<TRVMarkerItemInfo*>(GetItem(i)) : nullptr;
        TCustomRVItemInfo* text = GetItem(old ? i + 1 : i);
        const bool pageBreak = (old ? static_cast<TCustomRVItemInfo*>(old) : text)->GetPageBreakBefore();
        const int at = static_cast<int>(entries.size());
        if (marker) {
            AnsiString name;
            marker->Inserting(this, name, false);
            marker->ParaNo = text->ParaNo;
            marker->SetSameAsPrev(false);
            marker->SetPageBreakBefore(pageBreak);
            entries.emplace_back(name, marker);
            inserted.emplace_back(at, marker);
            text->SetSameAsPrev(true);
        } else {
            text->SetSameAsPrev(false);
            text->SetPageBreakBefore(pageBreak);
        }
        if (record)
            record->Changes.push_back({at, old});
        if (old) {
            batch.Removed.push_back(old);
            AddUnique(batch.RemovedListNos, old->ListNo);
            if (record) {
                old->MovingToUndoList(i, this, nullptr);
            } else {
                FreeItem(i, false);
            }
            continue;
        }
        entries.emplace_back(Items->Get(i), Items->GetObject(i));
    }
    changes.clear();
    Items->BeginUpdate();
    while (Items->Count() < static_cast<int>(entries.size()))
        Items->AddObject(AnsiString(), nullptr);
    while (Items->Count() > static_cast<int>(entries.size()))
        Items->Delete(Items->Count() - 1);
    for (size_t e = 0; e < entries.size(); ++e) {
        Items->Put(static_cast<int>(e), entries[e].first);
        Items->PutObject(static_cast<int>(e), entries[e].second);
    }
    Items->EndUpdate();
    InvalidateTailLayout();
    for (const auto& [at, marker] : inserted) {
        marker->Inserted(this, at);
        if (fromUndo)
            marker->MovingFromUndoList(at, this);
        marker->UpdatePaletteInfo(GetDoInPaletteMode(), false, GetRVPalette(), GetRVLogPalette());
    }
    const int last = record && !record->Changes.empty() ? record->Changes.back().ItemNo : first;
    const int lastItem = GetParaEndItemNo(std::min(last, GetItemCount() - 1));
    EndMarkerBatch(batch, first, lastItem);
    const int w1 = CalculateParaSectionsMinWidthDef(first, lastItem);
    fullReformat = MinWidthChangeNeedsFull(w0, w1);
    if (record) {
        record->Added = count - GetItemCount();
        record->FullReformat = fullReformat;
    }
}

void TRVEditRVData::EndMarkerBatch(TRVMarkerBatch& batch, int firstItemNo, int lastItemNo)
{
    FMarkerBatch = nullptr;
    std::vector<TRVMarkerItemInfo*> inRange;
    CollectMarkers(firstItemNo, lastItemNo, inRange);
    TRVMarkerList* list = GetMarkers(!inRange.empty());
    if (!list)
        return;
    // The list in document order again: the markers before the range, those
    // of the range, then the rest, without the markers that left.
    std::unordered_set<const void*> drop(batch.Removed.begin(), batch.Removed.end());
    drop.insert(inRange.begin(), inRange.end());
    TRVMarkerItemInfo* previous = firstItemNo > 0 ? FindPreviousMarker(firstItemNo - 1) : nullptr;
    std::vector<TRVMarkerItemInfo*> order;
    order.reserve(static_cast<size_t>(list->Count()) + inRange.size());
    int rangeAt = previous ? -1 : 0;
    for (int i = 0; i < list->Count(); ++i) {
        TRVMarkerItemInfo* marker = list->Marker(i);
        if (drop.count(marker) == 0)
            order.push_back(marker);
        if (marker == previous)
            rangeAt = static_cast<int>(order.size());
    }
    if (rangeAt < 0)
        rangeAt = static_cast<int>(order.size());
    order.insert(order.begin() + rangeAt, inRange.begin(), inRange.end());
    if (order.empty()) {
        DestroyMarkers();
        return;
    }
    list->Clear();
    for (TRVMarkerItemInfo* marker : order)
        list->Append(marker);
    // Every list that gained or lost markers is numbered again from the range on.
    std::vector<int> lists = batch.RemovedListNos;
    for (TRVMarkerItemInfo* marker : inRange)
        AddUnique(lists, marker->ListNo);
    TRVStyle* style = GetRVStyle();
    for (int listNo : lists) {
        for (int i = rangeAt; i < list->Count(); ++i)
            if (list->Marker(i)->ListNo == listNo) {
                list->RecalcCounters(i, style);
                break;
            }
        NoteMarkerChange(listNo, rangeAt + static_cast<int>(inRange.size()));
    }
}

// ---------------------------------------------------------------------------
// The layout after markers came or went

void TRVEditRVData::NoteMarkerChange(int listNo, int markerIndex)
{
    if (!IsVariableWidthList(GetRVStyle(), listNo))
        return;
    FChangedMarkerLists.AddUnique(listNo);
    if (FChangedMarkerIndex < 0 || markerIndex < FChangedMarkerIndex)
        FChangedMarkerIndex = std::max(markerIndex, 0);
}

void TRVEditRVData::NoteMarkerItem(TCustomRVItemInfo* item)
{
    if (FMarkerBatch || !item || item->StyleNo != rvsListMarker)
        return;
    auto* marker = dynamic_cast<TRVMarkerItemInfo*>(item);
    TRVMarkerList* list = GetMarkers(false);
    if (marker && list)
        NoteMarkerChange(marker->ListNo, marker->GetIndexInList(list));
}

void TRVEditRVData::ForgetMarkerChanges()
{
    FChangedMarkerLists.Clear();
    FChangedMarkerIndex = -1;
}

void TRVEditRVData::UpdateChangedMarkers()
{
    if (FChangedMarkerLists.Count() == 0)
        return;
    TRVIntegerList lists;
    lists.Assign(&FChangedMarkerLists);
    const int from = FChangedMarkerIndex;
    ForgetMarkerChanges();
    TRVMarkerList* markers = GetMarkers(false);
    if (!markers || DrawItems.Count() == 0)
        return;
    // The first marker whose number may have changed: its paragraph is where
    // the layout starts.
    for (int i = std::max(from, 0); i < markers->Count(); ++i) {
        TRVMarkerItemInfo* marker = markers->Marker(i);
        if (lists.IndexOf(marker->ListNo) < 0)
            continue;
        int itemNo = -1;
        const int drawItemNo = marker->DrawItemNo;
        if (drawItemNo >= 0 && drawItemNo < DrawItems.Count() &&
            DrawItems[drawItemNo]->ItemNo < GetItemCount() &&
            GetItem(DrawItems[drawItemNo]->ItemNo) == marker)
            itemNo = DrawItems[drawItemNo]->ItemNo;
        else
            itemNo = FindMarkerLocalLocationFrom(0, marker);
        UpdateAfterMarkers(itemNo < 0 ? 0 : itemNo, i, lists);
        return;
    }
}

void TRVEditRVData::UpdateAfterMarkers(int itemNo, int lastMarkerIndex, const TRVIntegerList& listNos)
{
    TRVMarkerList* markers = GetMarkers(false);
    if (listNos.Count() == 0 || !markers || GetItemCount() == 0)
        return;
    TRVIntegerList lists;
    lists.Assign(&listNos);
    const int lastIndex = FindLastMarkerIndex(lastMarkerIndex, &lists);
    if (lastIndex < 0)
        return;
    TRVMarkerItemInfo* last = markers->Marker(lastIndex);
    itemNo = std::clamp(itemNo, 0, GetItemCount() - 1);
    int caretItem = -1;
    int caretOffs = 0;
    const bool hadCaret = CaretItemPosition(caretItem, caretOffs);
    const int location = FindMarkerLocalLocationFrom(itemNo, last);
    if (location < 0) {
        // Before ItemNo: no marker after it has a new number.
        if (FindMarkerLocalLocationFrom(0, last) >= 0)
            return;
        // In another document of the same root (a table's cell around this one).
        Do_ReformateRange(itemNo, itemNo, true);
        if (auto* root = dynamic_cast<TCustomRVFormattedData*>(GetAbsoluteRootData()); root && root != this)
            root->Format_(false, true, false, 0, nullptr, false, false);
        else
            FormatAll();
    } else {
        const int endItemNo = GetParaEndItemNo(location);
        Do_ReformateRange(itemNo, endItemNo, false);
        int firstDi = 0;
        int lastDi = 0;
        int offs = 0;
        Item2FirstDrawItem(itemNo, firstDi);
        Item2DrawItem(endItemNo, GetOffsAfterItem(endItemNo), lastDi, offs);
        // New widths of numbers may make or end the widest section.
        Reformat_(true, firstDi, lastDi, 0);
    }
    if (hadCaret && !SelectionExists(false, false))
        KeepCaretAt(caretItem, caretOffs);
}
