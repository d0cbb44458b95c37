// Words, hits and the selection of a laid-out document: the word under a
// point, selecting a word, a line or a control, the item at a point, the
// selection in item coordinates and its rectangle, and where checkpoints,
// hyperlinks and items lie.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "document/rvitem_pictures.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/controls.h"
#include "platform/core/stringlist.h"
#include "view/crvfdata.h"

namespace {

// The chosen sub-document (a table cell being edited) as a formatted document.
TCustomRVFormattedData* ChosenData(TCustomRVFormattedData* data)
{
    auto* chosen = dynamic_cast<TCustomRVFormattedData*>(data->GetChosenRVData());
    return chosen != data ? chosen : nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// Words

bool TCustomRVFormattedData::FindWordAt(AnsiString& word, int x, int y, int& styleNo, int& itemNo, int& offs,
                                        TCustomRVFormattedData*& rvData)
{
    rvData = this;
    itemNo = -1;
    styleNo = 0;
    offs = 0;
    word.clear();
    const int docX = x + GetZHOffs();
    const int docY = y + GetZVOffs();
    const int drawItemNo = FindDrawItemAtPos(docX, docY);
    if (drawItemNo < 0)
        return false;
    const TRVDrawLineInfo* dli = DrawItems[drawItemNo];
    TCustomRVItemInfo* item = GetItem(dli->ItemNo);
    itemNo = dli->ItemNo;
    styleNo = item->StyleNo;
    const AnsiString& text = Items->Get(itemNo);
    word = text;

    if (styleNo < 0) {
        // A non-text item answers with its name, unless a sub-document of it
        // (a table cell) lies under the point.
        item->ResetSubCoords();
        int left = 0, top = 0;
        GetItemClientCoords(itemNo, left, top);
        auto* sub = dynamic_cast<TCustomRVFormattedData*>(item->GetSubRVDataAt(x - left, y - top));
        if (sub == nullptr || sub == this)
            return true;
        int subX = x, subY = y;
        TWinControl* own = GetParentControl();
        TWinControl* subControl = sub->GetParentControl();
        if (subControl != nullptr && subControl != own && subControl->Parent() == own) {
            // The sub-document is shown in an in-place editor on this control.
            subX -= subControl->Left();
            subY -= subControl->Top();
        }
        return sub->FindWordAt(word, subX, subY, styleNo, itemNo, offs, rvData);
    }

    TRVStyle* rvStyle = GetRVStyle();
    TCanvas* canvas = GetFormattingCanvas();
    const TRVItemOptions options = item->ItemOptions;
    const int itemLen = RVU_Length(text, options);
    if (rvStyle == nullptr || canvas == nullptr || itemLen == 0) {
        word.clear();
        offs = dli->Offs;
        return true;
    }
    const int distance = docX - dli->Left - dli->SpaceBefore;
    // The number of characters before the one under the pointer: in text
    // shown reordered, the character whose places before and after it hold
    // the pointer between them (the narrowest pair, where a direction changes
    // and a pair spans more), else the nearest place; else the whole
    // characters left of the pointer.
    int count = 0;
    TRVCharStops stops;
    if (CharStops(drawItemNo, stops, true, std::max(distance, 0))) {
        if (stops.CaretPlaces) {
            const std::vector<int>& places = stops.X;
            int narrowest = -1;
            for (size_t j = 0; j + 1 < places.size(); ++j) {
                const int from = std::min(places[j], places[j + 1]);
                const int to = std::max(places[j], places[j + 1]);
                if (from <= docX && docX < to &&
                    (narrowest < 0 || to - from < std::abs(places[static_cast<size_t>(narrowest) + 1] -
                                                           places[static_cast<size_t>(narrowest)])))
                    narrowest = static_cast<int>(j);
            }
            if (narrowest >= 0) {
                count = narrowest;
            } else {
                for (int j = 1; j < static_cast<int>(places.size()); ++j)
                    if (std::abs(places[static_cast<size_t>(j)] - docX) <
                        std::abs(places[static_cast<size_t>(count)] - docX))
                        count = j;
            }
        } else if (distance > 0) {
            count = stops.Fit;
        }
    }
    const int p = std::clamp(count + dli->Offs, 1, itemLen);

    if (IsDelimiter(text, p, options)) {
        offs = p;
        word.clear();
        return true;
    }
    int first = p;
    while (first > 1 && !IsDelimiter(text, first - 1, options))
        --first;
    int last = p;
    while (last < itemLen && !IsDelimiter(text, last + 1, options))
        ++last;
    word = RVU_Copy(text, first, last - first + 1, options);
    offs = first;
    return true;
}

void TCustomRVFormattedData::SelectWordAt(int x, int y)
{
    if (!GetOptions().Contains(rvoAllowSelection))
        return;
    AnsiString word;
    int styleNo, itemNo, offs;
    TCustomRVFormattedData* data;
    if (!FindWordAt(word, x, y, styleNo, itemNo, offs, data))
        return;
    if (styleNo >= 0)
        data->SetSelectionBounds(itemNo, offs, itemNo, offs + RVU_Length(word, data->GetItemOptions(itemNo)));
    else
        data->SetSelectionBounds(itemNo, 0, itemNo, 1);
    Invalidate();
}

void TCustomRVFormattedData::SelectLine(int itemNo, int offs)
{
    if (itemNo < 0 || itemNo >= GetItemCount())
        return;
    int drawItemNo, drawOffs;
    Item2DrawItem(itemNo, offs, drawItemNo, drawOffs);
    if (drawItemNo < 0)
        return;
    int first, last;
    GetScreenLineBounds(drawItemNo, first, last);
    int startItemNo, startOffs, endItemNo, endOffs;
    DrawItem2Item(first, GetOffsBeforeDrawItem(first), startItemNo, startOffs);
    DrawItem2Item(last, GetOffsAfterDrawItem(last), endItemNo, endOffs);
    SetSelectionBounds(startItemNo, startOffs, endItemNo, endOffs);
}

bool TCustomRVFormattedData::SelectControl(TControl* aControl)
{
    for (int i = 0; i < GetItemCount(); ++i) {
        TCustomRVItemInfo* item = GetItem(i);
        if (item->StyleNo >= 0)
            continue;
        if (dynamic_cast<TRVControlItemInfo*>(item) != nullptr && item->OwnsControl(aControl)) {
            // Editing a cell moves its items into the cell's editor, whose
            // document then holds the control at the same number.
            auto* edited = dynamic_cast<TCustomRVFormattedData*>(Edit());
            if (edited == nullptr)
                edited = this;
            edited->SetSelectionBounds(i, 0, i, 1);
            edited->Invalidate();
            return true;
        }
        TRVStoreSubRVData* store = nullptr;
        bool found = false;
        for (TCustomRVData* sub = item->GetSubRVData(store, rvdFirst); sub != nullptr && !found;
             sub = item->GetSubRVData(store, rvdNext)) {
            auto* fSub = dynamic_cast<TCustomRVFormattedData*>(sub);
            found = fSub != nullptr && fSub->SelectControl(aControl);
        }
        delete store;
        if (found)
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Items at a point

void TCustomRVFormattedData::GetItemAt(int x, int y, int& itemNo, int& offs)
{
    int drawItemNo, drawOffs;
    FindDrawItemForSel(x, y, drawItemNo, drawOffs, true);
    itemNo = -1;
    offs = 0;
    if (drawItemNo >= 0)
        DrawItem2Item(drawItemNo, drawOffs, itemNo, offs);
}

void TCustomRVFormattedData::GetItemAtEx(int x, int y, TCustomRVFormattedData*& rvData, int& itemNo,
                                         int& offs, bool strict)
{
    rvData = this;
    itemNo = -1;
    offs = 0;
    int drawItemNo, drawOffs;
    FindDrawItemForSel(x, y, drawItemNo, drawOffs, strict);
    if (drawItemNo < 0)
        return;
    DrawItem2Item(drawItemNo, drawOffs, itemNo, offs);
    const TRVDrawLineInfo* dli = DrawItems[drawItemNo];
    auto* sub =
        dynamic_cast<TCustomRVFormattedData*>(GetItem(itemNo)->GetSubRVDataAt(x - dli->Left, y - dli->Top));
    if (sub == nullptr || sub == this)
        return;
    int ox, oy, sx, sy;
    GetOriginEx(ox, oy);
    sub->GetOriginEx(sx, sy);
    sub->GetItemAtEx(x + ox - sx, y + oy - sy, rvData, itemNo, offs, strict);
}

// ---------------------------------------------------------------------------
// The selection

bool TCustomRVFormattedData::SelectionExists(bool collapse, bool usePartial)
{
    if (TCustomRVFormattedData* chosen = ChosenData(this))
        return chosen->SelectionExists(collapse, usePartial);
    // The selection being dragged is never collapsed under the user's hand.
    if (State.Contains(rvstMakingSelection))
        collapse = false;
    if (usePartial && PartialSelectedItem != nullptr && PartialSelectedItem->PartiallySelected())
        return true;
    int startNo, endNo, startOffs, endOffs;
    GetSelBounds(startNo, endNo, startOffs, endOffs, true);
    if (startNo != -1 && startNo == endNo && startOffs == endOffs) {
        if (collapse)
            Deselect(PartialSelectedItem, true);
        return false;
    }
    return startNo != -1 && endNo != -1;
}

void TCustomRVFormattedData::GetSelStart(int& drawItemNo, int& offs)
{
    SelectionExists(true, false);
    drawItemNo = SelStartNo;
    offs = SelStartOffs;
}

bool TCustomRVFormattedData::InsideSelection(int drawItemNo, int offs)
{
    if (!SelectionExists(false, false))
        return false;
    int startNo, endNo, startOffs, endOffs;
    GetSelBounds(startNo, endNo, startOffs, endOffs, true);
    const bool afterStart = drawItemNo > startNo || (drawItemNo == startNo && offs >= startOffs);
    const bool beforeEnd = drawItemNo < endNo || (drawItemNo == endNo && offs <= endOffs);
    return afterStart && beforeEnd;
}

void TCustomRVFormattedData::GetSelectionBounds(int& startItemNo, int& startOffs, int& endItemNo,
                                                int& endOffs, bool normalize)
{
    StoreSelBounds(startItemNo, endItemNo, startOffs, endOffs, normalize);
}

void TCustomRVFormattedData::GetSelectionBoundsEx(int& startItemNo, int& startOffs, int& endItemNo,
                                                  int& endOffs, bool normalize)
{
    StoreSelBounds(startItemNo, endItemNo, startOffs, endOffs, normalize);
}

void TCustomRVFormattedData::SetSelectionBounds(int startItemNo, int startOffs, int endItemNo, int endOffs)
{
    DeselectPartiallySelectedItem(nullptr);
    DestroyInplaceEditor();
    const int count = GetItemCount();
    if (startItemNo >= 0 && startItemNo < count && endItemNo >= 0 && endItemNo < count) {
        // A list marker is not selected from: the paragraph's text is.
        if (GetItemStyle(startItemNo) == rvsListMarker && startItemNo + 1 < count) {
            ++startItemNo;
            startOffs = GetOffsBeforeItem(startItemNo);
        }
        if (GetItemStyle(endItemNo) == rvsListMarker && endItemNo + 1 < count) {
            ++endItemNo;
            endOffs = GetOffsBeforeItem(endItemNo);
        }
    }
    RestoreSelBounds(startItemNo, endItemNo, startOffs, endOffs);
    DoOnSelection();
    DoSelect();
}

TRect TCustomRVFormattedData::GetClientSelectionRect()
{
    if (TCustomRVFormattedData* chosen = ChosenData(this))
        return chosen->GetClientSelectionRect();
    int ox, oy;
    GetOrigin(ox, oy);
    if (!SelectionExists(false, false))
        return Bounds(ox, oy, GetWidth(), GetHeight());
    ResetSubCoords();
    int startNo, endNo, startOffs, endOffs;
    GetSelBounds(startNo, endNo, startOffs, endOffs, true);
    const int hOffs = GetHOffs();
    const int vOffs = GetVOffs();
    TRect r;
    for (int i = startNo; i <= endNo && i < DrawItems.Count(); ++i) {
        const TRVDrawLineInfo* dli = DrawItems[i];
        const TRect piece = Bounds(dli->Left - hOffs, dli->Top - vOffs, dli->Width, dli->Height);
        if (i == startNo)
            r = piece;
        else
            UnionRect(r, r, piece);
    }
    r.Left = std::clamp(r.Left, 0, GetWidth());
    r.Right = std::clamp(r.Right, 0, GetWidth());
    r.Top = std::clamp(r.Top, 0, GetHeight());
    r.Bottom = std::clamp(r.Bottom, 0, GetHeight());
    OffsetRect(r, ox, oy);
    return r;
}

TRect TCustomRVFormattedData::GetSelectionRect()
{
    if (TCustomRVFormattedData* chosen = ChosenData(this))
        return chosen->GetSelectionRect();
    TRect r = GetClientSelectionRect();
    const TPoint origin = ClientToScreen(TPoint{0, 0});
    OffsetRect(r, origin.X, origin.Y);
    return r;
}

// ---------------------------------------------------------------------------
// Positions of checkpoints, hyperlinks and items

void TCustomRVFormattedData::GetCheckpointXY(TRVCPInfo* checkpointData, int& x, int& y)
{
    if (checkpointData == nullptr)
        throw ERollViewError(errRVNilParameter);
    if (checkpointData == NotAddedCP) {
        x = 0;
        y = DocumentHeight;
        return;
    }
    const int drawItemNo = FindDrawItemOfItem(checkpointData->ItemInfo);
    if (drawItemNo < 0 || drawItemNo >= DrawItems.Count())
        throw ERollViewError(errRVNotFormatted);
    x = DrawItems[drawItemNo]->Left;
    y = DrawItems[drawItemNo]->Top;
}

int TCustomRVFormattedData::GetCheckpointYEx(TRVCPInfo* checkpointData)
{
    int x, y;
    GetCheckpointXY(checkpointData, x, y);
    return y;
}

namespace {

const TRVJumpInfo* FindJump(const TList& jumps, int id)
{
    for (int i = 0; i < jumps.Count(); ++i) {
        const auto* jump = static_cast<const TRVJumpInfo*>(jumps.Get(i));
        if (jump->Id == id)
            return jump;
    }
    return nullptr;
}

} // namespace

int TCustomRVFormattedData::GetJumpPointY(int id)
{
    if (TCustomRVFormattedData* chosen = ChosenData(this)) {
        const int y = chosen->GetJumpPointY(id);
        if (y > 0)
            return y;
    }
    const TRVJumpInfo* jump = FindJump(Jumps, id - FirstJumpNo);
    return jump != nullptr ? jump->Top : 0;
}

int TCustomRVFormattedData::GetJumpPointItemNo(int id)
{
    TCustomRVFormattedData* data = nullptr;
    int itemNo = -1;
    GetJumpPointLocation(id, data, itemNo);
    return itemNo;
}

void TCustomRVFormattedData::GetJumpPointLocation(int id, TCustomRVFormattedData*& rvData, int& itemNo)
{
    rvData = nullptr;
    itemNo = -1;
    if (TCustomRVFormattedData* chosen = ChosenData(this)) {
        chosen->GetJumpPointLocation(id, rvData, itemNo);
        if (itemNo != -1)
            return;
    }
    const TRVJumpInfo* jump = FindJump(Jumps, id - FirstJumpNo);
    if (jump == nullptr)
        return;
    rvData = jump->RVData != nullptr ? jump->RVData : this;
    if (jump->DrawItemNo < 0 || jump->DrawItemNo >= rvData->DrawItems.Count()) {
        rvData = nullptr;
        return;
    }
    itemNo = rvData->DrawItems[jump->DrawItemNo]->ItemNo;
}

bool TCustomRVFormattedData::GetItemCoords(int itemNo, int& left, int& top)
{
    left = 0;
    top = 0;
    if (itemNo < 0 || itemNo >= GetItemCount())
        return false;
    const int drawItemNo = FindDrawItemByItem(itemNo);
    if (drawItemNo < 0 || drawItemNo >= DrawItems.Count())
        return false;
    left = DrawItems[drawItemNo]->Left;
    top = DrawItems[drawItemNo]->Top;
    return true;
}

bool TCustomRVFormattedData::GetItemClientCoords(int itemNo, int& left, int& top)
{
    if (!GetItemCoords(itemNo, left, top))
        return false;
    left -= GetHOffs();
    top -= GetVOffs();
    return true;
}
