// The soundness of a document's markers list: it holds exactly the markers of
// the document, nested documents included, in document order, each once, and
// every marker carries the counter and display string that numbering the
// whole list afresh gives it. A list entry that names no marker of the
// document (one freed, or kept in an undo record) is reported without being
// touched.
#pragma once

#include <string>
#include <vector>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"

namespace markercheck {

// The markers of the root document and of its sub-documents, in document order.
inline std::vector<TRVMarkerItemInfo*> DocumentMarkers(TCustomRVData& root)
{
    std::vector<TRVMarkerItemInfo*> markers;
    root.CollectMarkers(0, root.GetItemCount() - 1, markers);
    return markers;
}

// The entries of the root's markers list, as pointers (none is dereferenced).
inline std::vector<const void*> ListEntries(TCustomRVData& root)
{
    std::vector<const void*> entries;
    if (TRVMarkerList* list = root.GetMarkers(false))
        for (int i = 0; i < list->Count(); ++i)
            entries.push_back(list->Get(i));
    return entries;
}

// Empty when the markers list of Root is sound; else what is wrong with it.
inline std::string Fault(TCustomRVData& root)
{
    const std::vector<TRVMarkerItemInfo*> markers = DocumentMarkers(root);
    const std::vector<const void*> entries = ListEntries(root);
    const std::vector<const void*> expected(markers.begin(), markers.end());
    if (entries != expected) {
        std::string s = "the markers list holds " + std::to_string(entries.size()) +
                        " entries, the document " + std::to_string(markers.size()) + " markers;";
        for (size_t i = 0; i < entries.size(); ++i)
            if (i >= expected.size() || entries[i] != expected[i]) {
                s += " the first difference is at entry " + std::to_string(i);
                return s;
            }
        return s + " the list lacks the last ones";
    }
    TRVMarkerList* list = root.GetMarkers(false);
    if (list == nullptr)
        return std::string();
    // Numbered afresh, every list from its first marker: nothing may change.
    struct TShown {
        int Counter;
        AnsiString Text;
    };
    std::vector<TShown> shown;
    for (TRVMarkerItemInfo* m : markers)
        shown.push_back({m->Counter, m->DisplayString});
    std::vector<int> numbered;
    for (int i = 0; i < list->Count(); ++i) {
        const int listNo = list->Marker(i)->ListNo;
        bool seen = false;
        for (int n : numbered)
            seen = seen || n == listNo;
        if (!seen) {
            numbered.push_back(listNo);
            list->RecalcCounters(i, root.GetRVStyle());
        }
    }
    for (size_t i = 0; i < markers.size(); ++i)
        if (markers[i]->Counter != shown[i].Counter || markers[i]->DisplayString != shown[i].Text)
            return "marker " + std::to_string(i) + " shows " + std::to_string(shown[i].Counter) + " \"" +
                   shown[i].Text + "\", numbered afresh " + std::to_string(markers[i]->Counter) + " \"" +
                   markers[i]->DisplayString + "\"";
    return std::string();
}

} // namespace markercheck
