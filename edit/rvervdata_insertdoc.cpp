// TRVEditRVData: an RVF or RTF document inserted at the caret. The document is
// read whole into a store of its own (TRVAsideRVData), with the editor's style
// sheet and settings; only when that succeeded are its items put at the caret,
// in one piece: one insertion record, one pass over the item list, the markers
// it brings entered and numbered once. A failed read changes nothing.
#include <algorithm>

#include "document/rvasidedata.h"
#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "document/rvrtfprops.h"
#include "document/rvstyle.h"
#include "document/rvstyle_para.h"
#include "document/rvuni.h"
#include "edit/rvervdata.h"

namespace {

bool IsMarker(const TCustomRVItemInfo* item)
{
    return item->StyleNo == rvsListMarker;
}

bool IsFullWidth(const TCustomRVItemInfo* item)
{
    return item->GetBoolValue(rvbpFullWidth);
}

// Frees the items of a block that were not put into the document.
class TBlockGuard {
public:
    explicit TBlockGuard(TRVItemList& block) : FBlock(block) {}
    ~TBlockGuard()
    {
        for (auto& entry : FBlock) {
            TCustomRVItemInfo* item = entry.second;
            if (!item)
                continue;
            delete item->GetCheckpoint();
            item->SetCheckpoint(nullptr);
            delete item;
        }
        FBlock.clear();
    }
    TBlockGuard(const TBlockGuard&) = delete;
    TBlockGuard& operator=(const TBlockGuard&) = delete;

private:
    TRVItemList& FBlock;
};

// Makes a block read from outside keep the document's rules: a marker starts
// its paragraph and is followed by text of it, nothing continues a full-width
// item, and an item that continues a paragraph has its paragraph style.
void SettleBlock(TRVEditRVData& d, TRVItemList& block)
{
    for (size_t k = 0; k < block.size(); ++k) {
        TCustomRVItemInfo* item = block[k].second;
        TCustomRVItemInfo* prev = k > 0 ? block[k - 1].second : nullptr;
        if (IsMarker(item) || IsFullWidth(item) || (prev && IsFullWidth(prev))) {
            if (item->GetSameAsPrev() || (IsMarker(item) && item->GetBR())) {
                item->SetSameAsPrev(false);
                item->SetBR(false);
            }
        }
        if (prev && !item->CanBeBorderStart())
            item->ParaNo = prev->ParaNo;
        if (IsMarker(item)) {
            const TCustomRVItemInfo* next = k + 1 < block.size() ? block[k + 1].second : nullptr;
            if (!next || next->CanBeBorderStart() || IsMarker(next) || IsFullWidth(next)) {
                TCustomRVItemInfo* text =
                    d.CreateTextItem(TRVTag(), item->ParaNo, d.CurTextStyleNo, true, false);
                block.insert(block.begin() + static_cast<std::ptrdiff_t>(k) + 1, {AnsiString(), text});
            }
        }
    }
}

} // namespace

bool TRVEditRVData::InsertRVFFromStreamEd_(TStream& stream)
{
    TRVAsideRVData aside(this);
    int index = 0;
    int nonFirstItemsAdded = 0;
    bool reading = false;
    bool fullReformat = false;
    // The colour and background a document brings belong to loading it, not to inserting it.
    TColor color = clNone;
    if (!aside.InsertRVFFromStream_(stream, index, -1, false, false, true, color, nullptr, nullptr,
                                    nonFirstItemsAdded, reading, fullReformat)) {
        EditBeep();
        return false;
    }
    aside.MassSimpleConcate(0, aside.GetItemCount() - 1);
    TRVItemList block = aside.TakeItems();
    return InsertBlock(block);
}

bool TRVEditRVData::InsertRTFFromStreamEd_(TStream& stream)
{
    TRVRTFReaderProperties* properties = GetRTFProperties();
    if (!properties)
        return false;
    TRVAsideRVData aside(this);
    if (properties->ReadFromStream(stream, &aside) != rtf_ec_OK) {
        EditBeep();
        return false;
    }
    aside.MassSimpleConcate(0, aside.GetItemCount() - 1);
    TRVItemList block = aside.TakeItems();
    return InsertBlock(block);
}

// ---------------------------------------------------------------------------
// The block at the caret

// Where a block goes: the caret's text item is split, an empty line gives way.
// AtLineStart: the block's first item takes over the start of the line that
// item InsertPoint starts (Takeover*: what it takes over, when the line was an
// empty item that went); else it continues the line before InsertPoint.
struct TRVEditRVData::TInsertionPoint {
    int ItemNo = 0;
    bool AtLineStart = false;
    bool Replaced = false; // an empty line went: the block takes its line whole
    bool BR = false;
    bool PageBreak = false;
    int ParaNo = -1;
};

bool TRVEditRVData::OpenInsertionPoint(const TCustomRVItemInfo* first, TInsertionPoint& point, bool& full)
{
    full = false;
    const bool continuing = !IsMarker(first) && !IsFullWidth(first);
    CaretDrawItemNo = CharPos[static_cast<size_t>(CaretOffs)].DrawItemNo;
    const TRVDrawLineInfo* dli = DrawItems[CaretDrawItemNo];
    const int i = dli->ItemNo;
    const int caretOffset = CharPos[static_cast<size_t>(CaretOffs)].Offset;
    if (IsParaProtected(GetItemPara(i), rvpaoReadOnly))
        return false;
    TCustomRVItemInfo* at = GetItem(i);
    bool flag = false;
    if (!IsTextItem(i)) {
        if (caretOffset != 0) {
            point.ItemNo = i + 1;
            point.AtLineStart = IsFullWidth(at);
        } else {
            point.ItemNo = i;
            point.AtLineStart = !at->GetSameAsPrev();
        }
    } else if (ItemLength(i) == 0) {
        if (i > 0 && IsMarker(GetItem(i - 1)) && !continuing) {
            // The marker keeps its empty line; the block follows it.
            point.ItemNo = i + 1;
        } else {
            if (IsSticking(i - 1) || IsSticking(i)) {
                EditBeep();
                return false;
            }
            point.ItemNo = i;
            point.AtLineStart = !at->GetSameAsPrev();
            point.Replaced = point.AtLineStart;
            point.BR = at->GetBR();
            point.PageBreak = at->GetPageBreakBefore();
            point.ParaNo = at->ParaNo;
            Do_DeleteItem(i, flag);
            full = full || flag;
        }
    } else {
        const int p = dli->Offs + caretOffset - 1;
        if (p <= 1) {
            if (IsSticking(i - 1)) {
                EditBeep();
                return false;
            }
            point.ItemNo = i;
            point.AtLineStart = !at->GetSameAsPrev();
        } else if (p <= ItemLength(i)) {
            if (IsProtected(i, rvprModifyProtect))
                return false;
            AnsiString tail = RVU_Copy(Items->Get(i), p, ItemLength(i) - p + 1, GetItemOptions(i));
            Do_DeleteSubstring(i, p, -1);
            Do_InsertItem(i + 1, tail, CreateTextItemLike(i, true), false, flag);
            full = full || flag;
            point.ItemNo = i + 1;
        } else {
            if (IsSticking(i)) {
                EditBeep();
                return false;
            }
            point.ItemNo = i + 1;
        }
    }
    // A marker keeps a line of text before a block that cannot continue it.
    if (!continuing && point.ItemNo > 0 && IsMarker(GetItem(point.ItemNo - 1))) {
        InsEmptyString(point.ItemNo, TRVTag(), GetItemPara(point.ItemNo - 1), CurTextStyleNo, true, false);
        ++point.ItemNo;
    }
    return true;
}

bool TRVEditRVData::InsertBlock(TRVItemList& block)
{
    TBlockGuard guard(block);
    if (block.empty())
        return false;
    for (const auto& entry : block)
        if (!NestsReadably(entry.second)) {
            EditBeep();
            return false;
        }
    SettleBlock(*this, block);
    int paraFirst = 0;
    int paraLast = 0;
    GetParaBounds(CharPos.front().DrawItemNo, CharPos.back().DrawItemNo, paraFirst, paraLast);
    const bool mayShrink = ReachesDocMinWidth(paraFirst, paraLast);
    const int countBefore = GetItemCount();

    TCustomRVItemInfo* first = block.front().second;
    TCustomRVItemInfo* last = block.back().second;
    TInsertionPoint point;
    bool full = false;
    if (!OpenInsertionPoint(first, point, full)) {
        EditBeep();
        return false;
    }
    const int p = point.ItemNo;
    const bool continuing = !IsMarker(first) && !IsFullWidth(first);
    // What starts the line at the insertion point continues the block's last
    // line, when the block took that line start over.
    TCustomRVItemInfo* next = p < GetItemCount() ? GetItem(p) : nullptr;
    const bool nextJoins = continuing && point.AtLineStart && !point.Replaced && next && !IsMarker(next) &&
                           !IsFullWidth(next) && !IsFullWidth(last);
    const int nextPara = next ? next->ParaNo : -1;
    int paraNo = -1;
    if (continuing && !point.AtLineStart) {
        first->SetSameAsPrev(true);
        paraNo = GetItemPara(p - 1);
    } else if (continuing && (point.Replaced || nextJoins)) {
        first->SetSameAsPrev(false);
        first->SetBR(point.Replaced ? point.BR : next->GetBR());
        first->SetPageBreakBefore(point.Replaced ? point.PageBreak : next->GetPageBreakBefore());
        paraNo = point.Replaced ? point.ParaNo : next->ParaNo;
    } else {
        first->SetSameAsPrev(false);
        first->SetBR(false);
    }
    // The block's first paragraph is the paragraph it joins.
    if (paraNo >= 0)
        for (size_t k = 0; k < block.size() && (k == 0 || !block[k].second->CanBeBorderStart()); ++k)
            block[k].second->ParaNo = paraNo;
    bool markers = false;
    for (const auto& entry : block)
        markers = markers || IsMarker(entry.second);

    const int count = static_cast<int>(block.size());
    std::reverse(block.begin(), block.end());
    bool flag = false;
    Do_InsertItems(p, block, false, flag);
    full = full || flag;
    int lastNo = p + count - 1;
    if (lastNo + 1 < GetItemCount()) {
        if (nextJoins) {
            JoinLine(lastNo + 1, flag);
            full = full || flag;
        } else if (IsFullWidth(GetItem(lastNo)) && GetItem(lastNo + 1)->GetSameAsPrev()) {
            Do_NewLine(lastNo + 1, false, nextPara, flag);
            full = full || flag;
        }
    }
    int caretOffs = GetOffsAfterItem(lastNo);
    ConcateAfterAdding(p, lastNo, caretOffs);
    ReformatInsertion(full || mayShrink, paraFirst, paraLast, GetItemCount() - countBefore, markers, lastNo);
    SetCaretAtItem(lastNo, caretOffs, false);
    return true;
}

void TRVEditRVData::ConcateAfterAdding(int firstItemNo, int& lastItemNo, int& caretOffs)
{
    // The item after the range has its line settled by the insertion: it
    // only merges into the range's last item.
    if (lastItemNo + 1 < GetItemCount() &&
        RV_CanConcateItems(lastItemNo, GetItem(lastItemNo), GetItem(lastItemNo + 1), false))
        Do_Concate(lastItemNo);
    // Inside the range, from the end: merges shift nothing before them. The
    // caret's item is the last one as long as every merge so far succeeded.
    for (int i = lastItemNo; i > firstItemNo; --i) {
        if (!RV_CanConcateItems(i - 1, GetItem(i - 1), GetItem(i), false))
            continue;
        const int shift = ItemLength(i - 1);
        Do_Concate(i - 1);
        if (i == lastItemNo)
            caretOffs += shift;
        --lastItemNo;
    }
    if (firstItemNo > 0 &&
        RV_CanConcateItems(firstItemNo - 1, GetItem(firstItemNo - 1), GetItem(firstItemNo), false)) {
        const int shift = ItemLength(firstItemNo - 1);
        Do_Concate(firstItemNo - 1);
        if (lastItemNo == firstItemNo)
            caretOffs += shift;
        --lastItemNo;
    } else if (firstItemNo > 0 && IsTextItem(firstItemNo) && ItemLength(firstItemNo) == 0 &&
               GetItem(firstItemNo)->GetSameAsPrev() && !IsMarker(GetItem(firstItemNo - 1)) &&
               firstItemNo < lastItemNo) {
        bool full = false;
        Do_DeleteItem(firstItemNo, full);
        --lastItemNo;
    }
}
