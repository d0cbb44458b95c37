// Editing commands built from the primitives: deleting the selection, the
// Enter key, the text items they make, and the layout step that ends every
// command (only the touched paragraphs unless the minimum width changed).
// Inserting one item at the caret is in rvervdata_insertitem.cpp.
#include <algorithm>

#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvstyle_para.h"
#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "edit/rollviewedit.h"
#include "edit/rvervdata.h"

// ---------------------------------------------------------------------------
// Text items

TCustomRVItemInfo* TRVEditRVData::CreateTextItem(const TRVTag& tag, int paraNo, int styleNo, bool sameAsPrev,
                                                 bool br)
{
    auto* item = new TRVTextItemInfo(this);
    item->StyleNo = styleNo;
    item->ParaNo = paraNo;
    item->SetSameAsPrev(sameAsPrev);
    item->SetBR(br);
    if (GetRVStyle()->TextStyles()->Items(styleNo)->Unicode())
        item->ItemOptions.Include(rvioUnicode);
    item->SetTag(tag);
    return item;
}

TCustomRVItemInfo* TRVEditRVData::CreateTextItemLike(int sourceItemNo, bool sameAsPrev)
{
    const TCustomRVItemInfo* source = GetItem(sourceItemNo);
    auto* item = new TRVTextItemInfo(this);
    item->Assign(source);
    item->ItemOptions = TRVItemOptions();
    if (source->ItemOptions.Contains(rvioUnicode))
        item->ItemOptions.Include(rvioUnicode);
    item->SetSameAsPrev(sameAsPrev);
    item->SetTag(RV_CopyTag(source->GetTag(), TagsArePChars()));
    return item;
}

TCustomRVItemInfo* TRVEditRVData::InsString(const AnsiString& s, int index, const TRVTag& tag, int paraNo,
                                            int styleNo, bool sameAsPrev, bool br, bool& fullReformat)
{
    TCustomRVItemInfo* item = CreateTextItem(tag, paraNo, styleNo, sameAsPrev, br);
    AnsiString text = s;
    Do_InsertItem(index, text, item, false, fullReformat);
    return item;
}

TCustomRVItemInfo* TRVEditRVData::InsEmptyString(int index, const TRVTag& tag, int paraNo, int styleNo,
                                                 bool sameAsPrev, bool br)
{
    bool dropped = false;
    return InsString(AnsiString(), index, tag, paraNo, styleNo, sameAsPrev, br, dropped);
}

bool TRVEditRVData::ReplicateMarker(int referenceItemNo, int insertItemNo, bool& fullReformat)
{
    fullReformat = false;
    if (referenceItemNo < 0 || referenceItemNo >= GetItemCount())
        return false;
    const int first = GetFirstParaItem(referenceItemNo);
    if (GetItemStyle(first) != rvsListMarker)
        return false;
    auto* marker = static_cast<TRVMarkerItemInfo*>(RV_DuplicateItem(GetItem(first), this));
    marker->Reset = false;
    marker->SetPageBreakBefore(false);
    AnsiString text = Items->Get(first);
    Do_InsertItem(insertItemNo, text, marker, false, fullReformat);
    return true;
}

// ---------------------------------------------------------------------------
// Layout after a command

void TRVEditRVData::Reformat_(bool fullFormat, int startDrawItemNo, int endDrawItemNo, int itemsAdded)
{
    const int oldCount = DrawItems.Count();
    // The range ends at a paragraph's end: lines that continue the changed
    // paragraph (line breaks inside it) follow its new style and indents. The
    // draw items after the range name their items before the change.
    if (endDrawItemNo >= 0) {
        while (endDrawItemNo + 1 < oldCount) {
            const int next = DrawItems[endDrawItemNo + 1]->ItemNo + itemsAdded;
            if (next < 0 || next >= GetItemCount() || GetItem(next)->CanBeBorderStart())
                break;
            ++endDrawItemNo;
        }
    }
    // The range starts at a paragraph's start, so that a line of a numbered
    // paragraph that begins with a line break keeps the list's indent. The
    // items before the range are as they were.
    if (startDrawItemNo > 0 && startDrawItemNo < oldCount) {
        int itemNo = DrawItems[startDrawItemNo]->ItemNo;
        while (itemNo > 0 && itemNo < GetItemCount() && !GetItem(itemNo)->CanBeBorderStart())
            --itemNo;
        while (startDrawItemNo > 0 && DrawItems[startDrawItemNo]->ItemNo > itemNo)
            --startDrawItemNo;
        while (startDrawItemNo > 0 && DrawItems[startDrawItemNo - 1]->ItemNo == itemNo)
            --startDrawItemNo;
    }
    const int itemCount = GetItemCount();
    if (oldCount == 0 || itemCount == 0 || startDrawItemNo < 0 || endDrawItemNo >= oldCount ||
        startDrawItemNo > endDrawItemNo ||
        MinDocWidthChanged(fullFormat, startDrawItemNo, endDrawItemNo, itemsAdded)) {
        Format_(false, true, false, 0, GetFormattingCanvas(), false, false);
        Invalidate();
        return;
    }
    FormatParas(startDrawItemNo, endDrawItemNo, itemsAdded);
}

bool TRVEditRVData::ReachesDocMinWidth(int firstDrawItemNo, int lastDrawItemNo)
{
    const int count = DrawItems.Count();
    if (count == 0 || GetItemCount() == 0)
        return true;
    const int itemCount = GetItemCount();
    const int first =
        std::clamp(DrawItems[std::clamp(firstDrawItemNo, 0, count - 1)]->ItemNo, 0, itemCount - 1);
    const int last =
        std::clamp(DrawItems[std::clamp(lastDrawItemNo, 0, count - 1)]->ItemNo, first, itemCount - 1);
    return CalculateParaSectionsMinWidthDef(first, last) >= DocumentMinWidth;
}

bool TRVEditRVData::MinDocWidthChanged(bool mayShrink, int startDrawItemNo, int endDrawItemNo, int itemsAdded)
{
    // The items of the range now: those before it are as they were.
    const int itemCount = GetItemCount();
    const int first = std::clamp(DrawItems[startDrawItemNo]->ItemNo, 0, itemCount - 1);
    const int last = std::clamp(DrawItems[endDrawItemNo]->ItemNo + itemsAdded, first, itemCount - 1);
    int from = first;
    int to = last;
    ExpandToParaSection(first, last, from, to);
    const int width = CalculateParaSectionsMinWidthDef(from, to);
    if (width > DocumentMinWidth)
        return true;
    if (width == DocumentMinWidth || !mayShrink)
        return false;
    // The range no longer reaches the document's minimum width: it stays only
    // when a section elsewhere does (in most documents one of the first does).
    TCanvas* canvas = GetFormattingCanvas();
    int paraStart = -1;
    for (int i = 0; i < itemCount;) {
        if (i == from) {
            i = to + 1;
            paraStart = -1;
            continue;
        }
        int sectionFirst = i;
        int sectionLast = i;
        ExpandToParaSection(i, i, sectionFirst, sectionLast);
        if (CalculateParaSectionMinWidth(i, paraStart, nullptr, canvas) >= DocumentMinWidth)
            return false;
        i = std::max(sectionLast, i) + 1;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Deleting the selection

namespace {

// Whether a text item may lose the piece From..To of its offsets.
bool PieceDeletable(TRVEditRVData& d, int itemNo, int from, int to)
{
    if (!d.IsTextItem(itemNo))
        return true;
    const int before = d.GetOffsBeforeItem(itemNo);
    const int after = d.GetOffsAfterItem(itemNo);
    from = std::max(from, before);
    to = std::min(to, after);
    if (from >= to)
        return true;
    const bool whole = from <= before && to >= after;
    if (d.IsProtected(itemNo, rvprDeleteProtect) && whole)
        return false;
    if (!d.IsProtected(itemNo, rvprModifyProtect))
        return true;
    return whole;
}

} // namespace

void TRVEditRVData::SelectionToDelete(int& startNo, int& startOffs, int& endNo, int& endOffs)
{
    StoreSelBounds(startNo, endNo, startOffs, endOffs, true);
    if (startNo > 0 && GetItem(startNo)->GetSameAsPrev() && startOffs <= GetOffsBeforeItem(startNo)) {
        --startNo;
        startOffs = GetOffsAfterItem(startNo);
    }
    AdjustMarkerPos(startNo, startOffs);
    AdjustMarkerPos(endNo, endOffs);
    startOffs = CharacterEdge(startNo, startOffs, false);
    endOffs = CharacterEdge(endNo, endOffs, true);
}

bool TRVEditRVData::CanDelete()
{
    if (!SelectionExists(false, false))
        return PartialSelectedItem ? PartialSelectedItem->CanDeletePartiallySelected() : true;
    int startNo = 0;
    int endNo = 0;
    int startOffs = 0;
    int endOffs = 0;
    SelectionToDelete(startNo, startOffs, endNo, endOffs);
    for (int i = startNo + 1; i < endNo; ++i)
        if (IsProtected(i, rvprDeleteProtect))
            return false;
    if (startNo == endNo) {
        if (!PieceDeletable(*this, startNo, startOffs, endOffs))
            return false;
    } else if (!PieceDeletable(*this, startNo, startOffs, GetOffsAfterItem(startNo)) ||
               !PieceDeletable(*this, endNo, GetOffsBeforeItem(endNo), endOffs)) {
        return false;
    }
    if (IsItemParaProtected(startNo) &&
        !(GetItem(startNo)->CanBeBorderStart() && startOffs <= GetOffsBeforeItem(startNo)))
        return false;
    if (IsItemParaProtected(endNo) &&
        !(endOffs >= GetOffsAfterItem(endNo) &&
          (endNo == GetItemCount() - 1 || GetItem(endNo + 1)->CanBeBorderStart())))
        return false;
    return !IsParaProtected(CurParaStyleNo, rvpaoReadOnly);
}

// What a deletion of the selection did so far: the items it removed (less the
// empty ones it put in), whether the whole document must be laid out, and
// where the caret goes.
struct TRVEditRVData::TSelectionCut {
    int Deleted = 0;
    bool FullReformat = false;
    // The place after the deleted part starts a paragraph (of its own or after a marker).
    bool NextStartsPara = true;
    // The rest of the end item joins the start's line.
    bool JoinNext = false;
    int CaretItem = 0;
    int CaretOffs = 0;
};

bool TRVEditRVData::DeleteSelection_()
{
    if (!SelectionExists(true, false)) {
        if (!PartialSelectedItem)
            return true;
        const bool can = PartialSelectedItem->CanDeletePartiallySelected();
        if (can)
            PartialSelectedItem->DeletePartiallySelected();
        else
            EditBeep();
        return can;
    }
    if (!CanDelete() || GetChosenRVData()) {
        EditBeep();
        return false;
    }
    BeginUndoSequence(rvutDelete, true);
    int startDi = 0;
    int endDi = 0;
    int startDOffs = 0;
    int endDOffs = 0;
    GetSelBounds(startDi, endDi, startDOffs, endDOffs, true);
    int paraStartDi = 0;
    int paraEndDi = 0;
    GetParaBounds(startDi, endDi, paraStartDi, paraEndDi);
    const bool mayShrink = ReachesDocMinWidth(paraStartDi, paraEndDi);
    int startNo = 0;
    int endNo = 0;
    int startOffs = 0;
    int endOffs = 0;
    SelectionToDelete(startNo, startOffs, endNo, endOffs);
    Deselect(nullptr, false);

    TSelectionCut cut;
    cut.CaretItem = startNo;
    cut.CaretOffs = startOffs;
    CutSelection_(cut, startNo, startOffs, endNo, endOffs);
    SettleAfterCut_(cut, startNo);
    // A deletion across paragraphs may move items into another paragraph style.
    Reformat_(cut.FullReformat || mayShrink, paraStartDi, paraEndDi, -cut.Deleted);
    SetCaretAtItem(cut.CaretItem, cut.CaretOffs, true);
    DoSelect();
    return true;
}

void TRVEditRVData::CutSelection_(TSelectionCut& cut, int startNo, int startOffs, int endNo, int endOffs)
{
    bool flag = false;
    if (startNo == endNo) {
        cut.NextStartsPara = startNo + 1 >= GetItemCount() || !GetItem(startNo + 1)->GetSameAsPrev();
        CutSelectionStart_(cut, startNo, startOffs, endOffs);
        return;
    }
    if (endOffs < GetOffsAfterItem(endNo)) {
        if (IsTextItem(endNo) && endOffs > 1)
            Do_DeleteSubstring(endNo, 1, endOffs - 1);
        cut.JoinNext = true;
        cut.NextStartsPara = false;
    } else {
        cut.NextStartsPara = endNo + 1 >= GetItemCount() || !GetItem(endNo + 1)->GetSameAsPrev();
        Do_DeleteItem(endNo, flag);
        cut.FullReformat = cut.FullReformat || flag;
        ++cut.Deleted;
    }
    if (endNo - 1 >= startNo + 1) {
        cut.Deleted += endNo - 1 - startNo;
        Do_DeleteItems(startNo + 1, endNo - 1, flag);
        cut.FullReformat = cut.FullReformat || flag;
    }
    CutSelectionStart_(cut, startNo, startOffs, GetOffsAfterItem(startNo));
}

void TRVEditRVData::CutSelectionStart_(TSelectionCut& cut, int i, int from, int to)
{
    bool flag = false;
    auto note = [&]() { cut.FullReformat = cut.FullReformat || flag; };
    // The rest of the end item joins the start's line, unless that ends with
    // a full-width item, which nothing continues.
    auto joinAt = [&](int itemNo) {
        JoinLine(itemNo, flag);
        note();
    };
    if (!(from <= GetOffsBeforeItem(i) && to >= GetOffsAfterItem(i))) {
        if (IsTextItem(i) && to > from) {
            Do_DeleteSubstring(i, from, to - from);
        }
        cut.CaretItem = i;
        cut.CaretOffs = from;
        if (cut.JoinNext)
            joinAt(i + 1);
        return;
    }
    TCustomRVItemInfo* item = GetItem(i);
    const bool startsPara = !item->GetSameAsPrev();
    if (cut.NextStartsPara)
        cut.NextStartsPara = startsPara || (i > 0 && GetItemStyle(i - 1) == rvsListMarker);
    const bool br = item->GetBR();
    const bool sameAsPrev = item->GetSameAsPrev();
    const int paraNo = item->ParaNo;
    Do_DeleteItem(i, flag);
    note();
    ++cut.Deleted;
    if (cut.NextStartsPara) {
        InsEmptyString(i, TRVTag(), paraNo, CurTextStyleNo, sameAsPrev, br);
        --cut.Deleted;
        cut.CaretItem = i;
        cut.CaretOffs = 1;
    } else if (startsPara && i < GetItemCount()) {
        if (!(i > 0 && IsProtected(i, rvprParaStartProtect))) {
            Do_NewLine(i, false, -1, flag);
            note();
            if (br) {
                Do_BR(i, true, flag);
                note();
            }
        }
        cut.CaretItem = i;
        cut.CaretOffs = GetOffsBeforeItem(i);
    } else {
        cut.CaretItem = i - 1;
        cut.CaretOffs = GetOffsAfterItem(i - 1);
        if (cut.JoinNext)
            joinAt(i);
    }
}

void TRVEditRVData::SettleAfterCut_(TSelectionCut& cut, int startNo)
{
    bool flag = false;
    for (int i = startNo; i <= startNo + 1; ++i) {
        SettleAfterRemoval(i, flag);
        cut.FullReformat = cut.FullReformat || flag;
    }
    if (cut.CaretItem >= 0 && cut.CaretItem + 1 < GetItemCount() &&
        RV_CanConcateItems(cut.CaretItem, GetItem(cut.CaretItem), GetItem(cut.CaretItem + 1), false)) {
        cut.FullReformat = Do_Concate(cut.CaretItem) || cut.FullReformat;
        ++cut.Deleted;
    }
    if (cut.CaretItem < 0) {
        cut.CaretItem = 0;
        cut.CaretOffs = GetOffsBeforeItem(0);
    }
    // A marker keeps a line to number: an empty text when nothing follows it.
    if (GetItemStyle(cut.CaretItem) == rvsListMarker &&
        (cut.CaretItem + 1 >= GetItemCount() || GetItem(cut.CaretItem + 1)->CanBeBorderStart())) {
        InsEmptyString(cut.CaretItem + 1, TRVTag(), GetItemPara(cut.CaretItem), CurTextStyleNo, true, false);
        --cut.Deleted;
        ++cut.CaretItem;
        cut.CaretOffs = 1;
    }
}

// ---------------------------------------------------------------------------
// Enter

void TRVEditRVData::OnEnterPress_(bool shift)
{
    CaretDrawItemNo = CharPos[static_cast<size_t>(CaretOffs)].DrawItemNo;
    const TRVDrawLineInfo* dli = DrawItems[CaretDrawItemNo];
    const int i = dli->ItemNo;
    if (IsParaProtected(GetItemPara(i), rvpaoDoNotWantReturns)) {
        EditBeep();
        return;
    }
    BeginUndoSequence(rvutMiscTyping, true);
    int paraFirst = 0;
    int paraLast = 0;
    GetParaBounds(CharPos.front().DrawItemNo, CharPos.back().DrawItemNo, paraFirst, paraLast);
    const bool mayShrink = ReachesDocMinWidth(paraFirst, paraLast);
    // On an empty line the caret is at both edges: the new line goes after it.
    CaretDrawItemNo = CharPos[CaretOffs].DrawItemNo;
    const bool atEnd = CaretAtTheEndOfParaSection();
    const bool atStart = !atEnd && CaretAtTheBeginningOfParaSection();
    bool full = false;
    int caretItem = i;
    int added = 0;
    const bool done = atStart || atEnd ? EnterAtSectionEdge_(shift, i, atStart, full, caretItem, added)
                                       : EnterInsideSection_(shift, dli, i, full, caretItem, added);
    if (!done)
        return;
    // A new paragraph (or a copied marker) regroups the paragraph sections.
    Reformat_(full || mayShrink, paraFirst, paraLast, added);
    SetCaretAtItem(caretItem, GetOffsBeforeItem(caretItem), false);
}

bool TRVEditRVData::EnterAtSectionEdge_(bool shift, int i, bool atStart, bool& full, int& caretItem,
                                        int& added)
{
    bool flag = false;
    if (IsProtected(i, rvprParaStartProtect)) {
        EditBeep();
        return false;
    }
    const bool atLineEnd = CaretAtTheEndOfLine();
    const int styleNo = GetItemStyle(i);
    if (atLineEnd && styleNo == CurTextStyleNo && styleNo >= 0 &&
        GetRVStyle()->TextStyles()->Items(styleNo)->NextStyleNo() != -1)
        RollViewEdit()->SetCurTextStyleNo(GetRVStyle()->TextStyles()->Items(styleNo)->NextStyleNo());
    if (!shift && !(i + 1 < GetItemCount() && GetItem(i + 1)->GetBR())) {
        const int next = GetRVStyle()->ParaStyles()->Items(GetItemPara(i))->NextParaNo();
        if (IsItemParaProtected(i) || (atLineEnd && next != -1))
            RollViewEdit()->SetCurParaStyleNo(next == -1 ? 0 : next);
    }
    const int newStyle = IsProtected(i, rvprModifyProtect) && styleNo == CurTextStyleNo ? 0 : CurTextStyleNo;
    TCustomRVItemInfo* n = CreateTextItem(TRVTag(), CurParaStyleNo, newStyle, false, false);
    const bool afterMarker = i > 0 && GetItemStyle(i - 1) == rvsListMarker;
    if (shift && atStart && afterMarker) {
        // The marker's line keeps the new empty text; the old one goes on a new line.
        n->ParaNo = GetItemPara(i - 1);
        n->SetSameAsPrev(true);
    } else if (shift) {
        n->ParaNo = GetItemPara(i);
        if (atStart && CharPos.size() > 1) {
            n->SetBR(GetItem(i)->GetBR());
            Do_BR(i, true, flag);
            full = full || flag;
        } else {
            n->SetBR(true);
        }
    }
    if (styleNo == n->StyleNo)
        n->SetTag(RV_CopyTag(GetItem(i)->GetTag(), TagsArePChars()));
    AnsiString empty;
    added = 1;
    if (atStart && shift && afterMarker) {
        Do_InsertItem(i, empty, n, false, flag);
        full = full || flag;
        Do_NewLine(i + 1, false, -1, flag);
        full = full || flag;
        Do_BR(i + 1, true, flag);
        caretItem = i + 1;
    } else if (atStart) {
        if (afterMarker && !shift) {
            // The new empty line keeps the marker; the old text gets a copy of it.
            n->SetSameAsPrev(true);
            n->ParaNo = GetItemPara(i - 1);
            Do_InsertItem(i, empty, n, false, flag);
            full = full || flag;
            ReplicateMarker(i, i + 1, flag);
            added = 2;
            caretItem = i + 2;
        } else {
            Do_InsertItem(i, empty, n, false, flag);
            caretItem = i + 1;
        }
    } else {
        int at = i + 1;
        if (!shift && ReplicateMarker(i, at, flag)) {
            full = full || flag;
            n->SetSameAsPrev(true);
            n->ParaNo = GetItemPara(at);
            ++at;
            added = 2;
        }
        Do_InsertItem(at, empty, n, false, flag);
        caretItem = at;
    }
    full = full || flag;
    return true;
}

bool TRVEditRVData::EnterInsideSection_(bool shift, const TRVDrawLineInfo* dli, int i, bool& full,
                                        int& caretItem, int& added)
{
    bool flag = false;
    if (IsItemParaProtected(i)) {
        EditBeep();
        return false;
    }
    const int w = CalculateParaSectionMinWidthDef(i);
    const bool noWrap = IsParaProtected(GetItemPara(i), rvpaoNoWrap);
    const bool isText = IsTextItem(i);
    const int p = isText ? dli->Offs + CharPos[static_cast<size_t>(CaretOffs)].Offset - 1
                         : CharPos[static_cast<size_t>(CaretOffs)].Offset;
    int target = i;
    if ((!isText && p == 0) || (isText && p <= 1)) {
        target = i;
    } else if (isText && p <= ItemLength(i)) {
        if (IsProtected(i, rvprParaStartProtect) || IsProtected(i, rvprModifyProtect)) {
            EditBeep();
            return false;
        }
        AnsiString tail = RVU_Copy(Items->Get(i), p, ItemLength(i) - p + 1, GetItemOptions(i));
        Do_DeleteSubstring(i, p, -1);
        TCustomRVItemInfo* newItem = CreateTextItemLike(i, false);
        int at = i + 1;
        added = 1;
        if (shift) {
            newItem->SetBR(true);
        } else if (ReplicateMarker(i, at, flag)) {
            full = full || flag;
            newItem->SetSameAsPrev(true);
            newItem->ParaNo = GetItemPara(at);
            ++at;
            added = 2;
        }
        Do_InsertItem(at, tail, newItem, false, flag);
        full = full || flag;
        target = -1;
        caretItem = at;
    } else {
        target = i + 1;
    }
    if (target >= 0) {
        if (IsProtected(target, rvprParaStartProtect)) {
            EditBeep();
            return false;
        }
        if (shift) {
            Do_NewLine(target, false, -1, flag);
            full = full || flag;
            Do_BR(target, true, flag);
            full = full || flag;
        } else if (ReplicateMarker(target - 1, target, flag)) {
            // The item continues a copy of its paragraph's marker.
            ++target;
            ++added;
        } else {
            Do_NewLine(target, false, -1, flag);
        }
        full = full || flag;
        caretItem = target;
    }
    full = full || (noWrap && DocumentMinWidth <= w);
    return true;
}
