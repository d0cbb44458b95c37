// Inserting one item at the caret: where it goes (before, after or inside
// the item at the caret, in place of an empty text), what it takes over from
// what was there, and the room a full-width item needs.
#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "document/rvstyle_para.h"
#include "document/rvuni.h"
#include "edit/rollviewedit.h"
#include "edit/rvervdata.h"

bool TRVEditRVData::InsertSomething(TCustomRVItemInfo*& item, AnsiString& s, bool autoTag, bool caretBefore)
{
    if (item->StyleNo != rvsBreak)
        item->ParaNo = CurParaStyleNo;
    if (PartialSelectedItem) {
        EditBeep();
        return false;
    }
    if (!NestsReadably(item)) {
        EditBeep();
        delete item;
        item = nullptr;
        return false;
    }
    int insertPoint = 0;
    int itemsAdded = 0;
    bool fullReformat = false;
    const int firstDi = CharPos.front().DrawItemNo;
    const int lastDi = CharPos.back().DrawItemNo;
    int paraFirst = 0;
    int paraLast = 0;
    GetParaBounds(firstDi, lastDi, paraFirst, paraLast);
    // An insertion may split or regroup paragraph sections (and list indents).
    const bool mayShrink = ReachesDocMinWidth(paraFirst, paraLast);
    if (!InsSomething(item, s, autoTag, insertPoint, itemsAdded, fullReformat)) {
        EditBeep();
        return false;
    }
    if (!item)
        return true;
    Reformat_(fullReformat || mayShrink, paraFirst, paraLast, itemsAdded);
    int offs;
    if (caretBefore)
        offs = GetOffsBeforeItem(insertPoint);
    else
        offs = GetOffsAfterItem(insertPoint);
    SetCaretAtItem(insertPoint, offs, false);
    return true;
}

bool TRVEditRVData::NestsReadably(TCustomRVItemInfo* item)
{
    return TableNestingLevel() + TableNestingDepth(item) <= MaxTableNesting;
}

bool TRVEditRVData::InsertAtNonText(TCustomRVItemInfo*& item, int caretItem, bool after, int& insertPoint,
                                    int& wantedPara, bool& fullReformat)
{
    TCustomRVItemInfo* at = GetItem(caretItem);
    bool flag = false;
    if (after) {
        insertPoint = caretItem + 1;
        wantedPara = -1;
        if (at->GetBoolValue(rvbpFullWidth))
            item->SetSameAsPrev(false);
        return true;
    }
    insertPoint = caretItem;
    if (at->GetSameAsPrev()) {
        wantedPara = -1;
        return true;
    }
    // The new item takes over the start of the line.
    item->SetSameAsPrev(false);
    item->SetBR(at->GetBR());
    if (at->GetBR())
        wantedPara = -1;
    if (at->GetPageBreakBefore()) {
        Do_PageBreak(caretItem, false);
        item->SetPageBreakBefore(true);
    }
    Do_NewLine(caretItem, true, -1, flag);
    fullReformat = fullReformat || flag;
    return true;
}

// Where an item inserted at the caret goes, and what the insertion brought
// along: the items it adds, the paragraph style it asks for (-1: none) and
// whether the whole document must be laid out again.
struct TRVEditRVData::TCaretInsertion {
    int& insertPoint;
    int& itemsAdded;
    bool& fullReformat;
    int wantedPara;
};

// The caret is in an empty text item: the item takes its place (and its line
// start, page break and paragraph), or goes after it when a full-width item
// follows a list marker's empty line.
TRVEditRVData::TCaretInsertVerdict TRVEditRVData::InsertAtEmptyText(TCustomRVItemInfo* item, int caretItem,
                                                                    TCaretInsertion& at)
{
    const int i = caretItem;
    if (item->GetBoolValue(rvbpFullWidth) && i > 0 && GetItemStyle(i - 1) == rvsListMarker) {
        // The empty line after a marker stays: the full-width item goes after it.
        at.insertPoint = i + 1;
        return TCaretInsertVerdict::Insert;
    }
    if (IsSticking(i - 1) || IsSticking(i))
        return TCaretInsertVerdict::RefuseSticking;
    TCustomRVItemInfo* empty = GetItem(i);
    if (!empty->GetSameAsPrev()) {
        item->SetSameAsPrev(false);
        item->SetBR(empty->GetBR());
        if (empty->GetBR())
            at.wantedPara = -1;
    }
    if (empty->GetPageBreakBefore())
        item->SetPageBreakBefore(true);
    // No item of a paragraph keeps another style: an item that continues
    // the empty text's paragraph takes its style; one that takes over its
    // start has the whole paragraph take the current style (below).
    if (item->GetSameAsPrev()) {
        item->ParaNo = empty->ParaNo;
        at.wantedPara = -1;
    } else {
        item->ParaNo = empty->GetSameAsPrev() ? CurParaStyleNo : empty->ParaNo;
    }
    bool flag = false;
    Do_DeleteItem(i, flag);
    at.fullReformat = at.fullReformat || flag;
    at.insertPoint = i;
    --at.itemsAdded;
    return TCaretInsertVerdict::Insert;
}

// The caret is in a text item with characters: the item goes before it, after
// it, or between the two halves it is split into; with AutoTag an untagged
// text item of the same style takes the tag of the text beside it.
TRVEditRVData::TCaretInsertVerdict TRVEditRVData::InsertAtText(TCustomRVItemInfo* item, int caretItem,
                                                               bool autoTag, TCaretInsertion& at)
{
    const int i = caretItem;
    const bool fullWidth = item->GetBoolValue(rvbpFullWidth);
    const TRVDrawLineInfo* dli = DrawItems[CaretDrawItemNo];
    const int p = dli->Offs + CharPos[static_cast<size_t>(CaretOffs)].Offset - 1;
    TCustomRVItemInfo* text = GetItem(i);
    const bool fullWidthAfterMarker = fullWidth && i > 0 && GetItemStyle(i - 1) == rvsListMarker;
    const TRVTag* autoTagFrom = nullptr;
    if (p <= 1 && !fullWidthAfterMarker) {
        at.insertPoint = i;
        if (IsSticking(i - 1))
            return TCaretInsertVerdict::RefuseSticking;
        if (!fullWidth && !text->GetSameAsPrev()) {
            InsertAtNonText(item, i, false, at.insertPoint, at.wantedPara, at.fullReformat);
        } else {
            at.wantedPara = -1;
        }
        autoTagFrom = &text->GetTag();
    } else if (p <= ItemLength(i)) {
        if (IsProtected(i, rvprModifyProtect))
            return TCaretInsertVerdict::Refuse;
        at.wantedPara = -1;
        ++at.itemsAdded;
        at.insertPoint = i + 1;
        AnsiString tail = RVU_Copy(Items->Get(i), p, ItemLength(i) - p + 1, GetItemOptions(i));
        Do_DeleteSubstring(i, p, -1);
        bool flag = false;
        Do_InsertItem(i + 1, tail, CreateTextItemLike(i, true), false, flag);
        at.fullReformat = at.fullReformat || flag;
        autoTagFrom = &GetItem(i + 1)->GetTag();
    } else {
        at.wantedPara = -1;
        at.insertPoint = i + 1;
        if (IsSticking(i))
            return TCaretInsertVerdict::RefuseSticking;
        autoTagFrom = &text->GetTag();
    }
    if (autoTag && autoTagFrom && item->StyleNo >= 0 && item->GetTag() == TRVTag() &&
        item->StyleNo == text->StyleNo)
        item->SetTag(RV_CopyTag(*autoTagFrom, TagsArePChars()));
    return TCaretInsertVerdict::Insert;
}

// A full-width item stands on lines of its own: a list marker before it keeps
// an empty text on its line, and the item after it starts a new paragraph.
void TRVEditRVData::MakeRoomForFullWidth(TCustomRVItemInfo* item, TCaretInsertion& at)
{
    if (at.insertPoint > 0 && GetItemStyle(at.insertPoint - 1) == rvsListMarker) {
        // A marker is never followed by a full-width item: its line keeps an empty text.
        InsEmptyString(at.insertPoint, TRVTag(), GetItemPara(at.insertPoint - 1), CurTextStyleNo, true,
                       false);
        ++at.insertPoint;
        ++at.itemsAdded;
    }
    if (at.insertPoint < GetItemCount()) {
        bool flag = false;
        Do_NewLine(at.insertPoint, false, -1, flag);
        at.fullReformat = at.fullReformat || flag;
        Do_BR(at.insertPoint, false, flag);
        at.fullReformat = at.fullReformat || flag;
        if (item->StyleNo == rvsBreak)
            item->ParaNo = 0;
    }
}

// Puts the item in at its place and gives its paragraph the style it asked
// for (a break keeps its own).
void TRVEditRVData::PlaceCaretInsertion(TCustomRVItemInfo* item, AnsiString& s, TCaretInsertion& at)
{
    bool flag = false;
    Do_InsertItem(at.insertPoint, s, item, false, flag);
    at.fullReformat = at.fullReformat || flag;
    if (at.wantedPara >= 0 && at.wantedPara != item->ParaNo && item->StyleNo != rvsBreak) {
        int paraStart = 0;
        int paraEnd = 0;
        ExpandToPara(at.insertPoint, at.insertPoint, paraStart, paraEnd);
        Do_Para(paraStart, paraEnd, at.wantedPara, flag);
        at.fullReformat = at.fullReformat || flag;
    }
}

bool TRVEditRVData::InsSomething(TCustomRVItemInfo*& item, AnsiString& s, bool autoTag, int& insertPoint,
                                 int& itemsAdded, bool& fullReformat)
{
    fullReformat = false;
    itemsAdded = 1;
    TCaretInsertion at{insertPoint, itemsAdded, fullReformat,
                       item->ParaNo >= 0 && item->ParaNo < GetRVStyle()->ParaStyles()->Count() ? item->ParaNo
                                                                                               : -1};
    const bool fullWidth = item->GetBoolValue(rvbpFullWidth);
    const bool marker = item->StyleNo == rvsListMarker;
    auto drop = [&](bool result) {
        delete item;
        item = nullptr;
        return result;
    };
    CaretDrawItemNo = CharPos[static_cast<size_t>(CaretOffs)].DrawItemNo;
    const int i = DrawItems[CaretDrawItemNo]->ItemNo;
    if (DrawItems.Count() > 0 && !fullWidth && !marker) {
        item->SetSameAsPrev(true);
        item->ParaNo = GetItemPara(i);
    } else {
        item->SetSameAsPrev(false);
        item->ParaNo = CurParaStyleNo;
    }
    if (IsParaProtected(item->ParaNo, rvpaoReadOnly))
        return drop(false);
    TCaretInsertVerdict verdict = TCaretInsertVerdict::Insert;
    if (!IsTextItem(i)) {
        if (marker)
            return drop(true);
        InsertAtNonText(item, i, CharPos[static_cast<size_t>(CaretOffs)].Offset != 0, at.insertPoint,
                        at.wantedPara, at.fullReformat);
    } else if (ItemLength(i) == 0) {
        verdict = InsertAtEmptyText(item, i, at);
    } else {
        if (marker)
            return drop(true);
        verdict = InsertAtText(item, i, autoTag, at);
    }
    switch (verdict) {
    case TCaretInsertVerdict::Insert:
        break;
    case TCaretInsertVerdict::Refuse:
        return drop(false);
    case TCaretInsertVerdict::RefuseSticking:
        // Nothing goes between sticking items; the refusal beeps.
        EditBeep();
        return drop(false);
    }
    if (fullWidth)
        MakeRoomForFullWidth(item, at);
    PlaceCaretInsertion(item, s, at);
    return true;
}
