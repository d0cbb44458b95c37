// The primitives every edit is made of. Each changes the document in one
// elementary way and, while a list records, first stores the record that
// reverses it. Primitives never lay anything out: their FullReformat flags
// tell the command's layout whether the document's minimum width may change.
#include <algorithm>

#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "document/rvtypes.h"
#include "document/rvuni.h"
#include "edit/rvervdata.h"
#include "edit/rvundorecords.h"
#include "platform/core/stringlist.h"

namespace {

constexpr const char* errUndo = "Undo error";
constexpr const char* errCheckpoint = "Checkpoint error";

template <class T> std::unique_ptr<T> MakeRecord(TRVUndoAction action)
{
    auto record = std::make_unique<T>();
    record->Action = action;
    return record;
}

// Removes the entries First..Last of a list (their objects are gone already).
// The list keeps its free room where it was last changed: removing from the
// last entry to the first moves the entries after them once, whatever the
// count removed, and copies none of their texts.
void EraseEntries(TStringList& list, int first, int last)
{
    list.BeginUpdate();
    for (int i = last; i >= first; --i) {
        list.PutObject(i, nullptr);
        list.Delete(i);
    }
    list.EndUpdate();
}

// Opens Count empty entries at Index. The list keeps its free room where it
// was last changed, so entries inserted one after another at one place move
// the entries after it once, not once each (nor copy their texts).
void OpenEntries(TStringList& list, int index, int count)
{
    list.BeginUpdate();
    for (int i = 0; i < count; ++i)
        list.InsertObject(index + i, AnsiString(), nullptr);
    list.EndUpdate();
}

} // namespace

void TRVEditRVData::ChangeItemText(int itemNo, const AnsiString& s)
{
    FEdited = true;
    AnsiString text = s;
    // Undo and redo put back texts that were written already: the hook that
    // may rewrite a text is asked for new texts only.
    if (!FPlaying)
        ItemAction(rviaTextModifying, GetItem(itemNo), text, this);
    SetItemText(itemNo, text);
}

void TRVEditRVData::DisposeItem(TCustomRVItemInfo* item)
{
    if (!item)
        return;
    AnsiString empty;
    ItemAction(rviaDestroying, item, empty, this);
    ControlAction(rvcaDestroyInUndoList, -1, item);
    item->SetTag(TRVTag());
    if (TRVCPInfo* cp = item->GetCheckpoint()) {
        item->SetCheckpoint(nullptr);
        if (cp->ItemInfo == item)
            cp->ItemInfo = nullptr;
        delete cp;
    }
    InternalFreeItem(item, false);
}

void TRVEditRVData::DisposeCheckpoint(TRVCPInfo* checkpoint)
{
    delete checkpoint;
}

// ---------------------------------------------------------------------------
// Removing and inserting items

void TRVEditRVData::Do_DeleteItem(int itemNo, bool& fullReformat)
{
    const TRVControlMovesTold moves;
    fullReformat = false;
    if (itemNo < 0 || itemNo >= GetItemCount())
        return;
    ForgetSelection();
    fullReformat = CalculateMinItemWidthPlusEx(itemNo) >= DocumentMinWidth;
    if (GetItem(itemNo)->GetCheckpoint())
        Do_DeleteCP(itemNo);
    TCustomRVItemInfo* item = GetItem(itemNo);
    NoteMarkerItem(item);
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoDeleteItemInfo>(rvuDeleteItem);
        record->ItemNo = itemNo;
        record->s = Items->Get(itemNo);
        TRVUndoDeleteItemInfo* raw = record.get();
        list->AddInfo(std::move(record));
        item->MovingToUndoList(itemNo, this, nullptr);
        DeleteMarkerFromList(item, false);
        raw->Item = item;
    } else {
        FreeItem(itemNo, false);
    }
    Items->Delete(itemNo);
    InvalidateTailLayout();
}

void TRVEditRVData::Do_DeleteItems(int firstItemNo, int lastItemNo, bool& fullReformat)
{
    const TRVControlMovesTold moves;
    fullReformat = false;
    firstItemNo = std::max(firstItemNo, 0);
    lastItemNo = std::min(lastItemNo, GetItemCount() - 1);
    if (firstItemNo > lastItemNo)
        return;
    ForgetSelection();
    fullReformat = CalculateMinItemsWidthPlusEx(firstItemNo, lastItemNo) >= DocumentMinWidth;
    for (int i = lastItemNo; i >= firstItemNo; --i) {
        if (GetItem(i)->GetCheckpoint())
            Do_DeleteCP(i);
        NoteMarkerItem(GetItem(i));
    }
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoDeleteItemsInfo>(rvuDeleteItems);
        record->StartItemNo = firstItemNo;
        record->EndItemNo = lastItemNo;
        TRVUndoDeleteItemsInfo* raw = record.get();
        list->AddInfo(std::move(record));
        raw->Kept.reserve(static_cast<size_t>(lastItemNo - firstItemNo + 1));
        for (int i = lastItemNo; i >= firstItemNo; --i) {
            TCustomRVItemInfo* item = GetItem(i);
            item->MovingToUndoList(i, this, nullptr);
            DeleteMarkerFromList(item, false);
            raw->Kept.emplace_back(Items->Get(i), item);
            Items->PutObject(i, nullptr);
        }
    } else {
        for (int i = lastItemNo; i >= firstItemNo; --i)
            FreeItem(i, false);
    }
    EraseEntries(*Items, firstItemNo, lastItemNo);
    InvalidateTailLayout();
}

void TRVEditRVData::Do_InsertItem(int itemNo, AnsiString& s, TCustomRVItemInfo* item, bool fromUndo,
                                  bool& fullReformat)
{
    const TRVControlMovesTold moves;
    fullReformat = false;
    itemNo = std::clamp(itemNo, 0, GetItemCount());
    ForgetSelection();
    int paraEnd = -1;
    if (item->CanBeBorderStart() && itemNo < GetItemCount() && !GetItem(itemNo)->CanBeBorderStart())
        paraEnd = GetParaEndItemNo(itemNo);
    TRVCPInfo* cp = item->GetCheckpoint();
    item->SetCheckpoint(nullptr);
    if (cp)
        cp->ItemInfo = nullptr;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoInsertItemInfo>(rvuInsertItem);
        record->ItemNo = itemNo;
        record->LastAffectedItemNo = paraEnd;
        list->AddInfo(std::move(record));
    }
    item->Inserting(this, s, false);
    Items->InsertObject(itemNo, s, item);
    item->Inserted(this, itemNo);
    // The item's own marker, or those of the documents inside it.
    AddMarkersInList(itemNo, itemNo);
    NoteMarkerItem(item);
    if (fromUndo)
        item->MovingFromUndoList(itemNo, this);
    item->UpdatePaletteInfo(GetDoInPaletteMode(), false, GetRVPalette(), GetRVLogPalette());
    InvalidateTailLayout();
    if (paraEnd != -1)
        Do_Para(itemNo + 1, paraEnd + 1, item->ParaNo, fullReformat);
    if (cp)
        Do_AddCP(itemNo, cp);
}

TRVUndoInfo* TRVEditRVData::Do_InsertItems_1(int itemNo, int count)
{
    if (count == 0)
        return nullptr;
    TRVUndoList* list = NoteEditAndGetUndoList();
    if (!list)
        return nullptr;
    auto record = MakeRecord<TRVUndoInsertItemsInfo>(rvuInsertItems);
    record->ItemNo = itemNo;
    record->Count = count;
    TRVUndoInfo* raw = record.get();
    list->AddInfo(std::move(record));
    return raw;
}

void TRVEditRVData::Do_InsertItems(int itemNo, TRVItemList& list, bool fromUndo, bool& fullReformat)
{
    const TRVControlMovesTold moves;
    fullReformat = false;
    if (list.empty())
        return;
    const int count = static_cast<int>(list.size());
    ForgetSelection();
    TRVUndoInfo* record = Do_InsertItems_1(itemNo, count);
    // The list is last-first: entry k goes to ItemNo + Count - 1 - k.
    OpenEntries(*Items, itemNo, count);
    for (int k = 0; k < count; ++k) {
        const int at = itemNo + count - 1 - k;
        Items->Put(at, list[static_cast<size_t>(k)].first);
        Items->PutObject(at, list[static_cast<size_t>(k)].second);
    }
    for (int k = count - 1; k >= 0; --k) {
        const int at = itemNo + count - 1 - k;
        TCustomRVItemInfo* item = list[static_cast<size_t>(k)].second;
        list[static_cast<size_t>(k)].second = nullptr;
        AnsiString text = Items->Get(at);
        item->Inserting(this, text, false);
        Items->Put(at, text);
        item->Inserted(this, at);
        if (fromUndo)
            item->MovingFromUndoList(at, this);
        item->UpdatePaletteInfo(GetDoInPaletteMode(), false, GetRVPalette(), GetRVLogPalette());
    }
    list.clear();
    // The markers of the block enter the list in one piece, each list numbered once.
    AddMarkersInList(itemNo, itemNo + count - 1);
    for (int i = itemNo; i < itemNo + count; ++i)
        NoteMarkerItem(GetItem(i));
    InvalidateTailLayout();
    Do_InsertItems_2(itemNo, count, record, fullReformat);
}

void TRVEditRVData::Do_InsertItems_2(int itemNo, int count, TRVUndoInfo* undoInfo, bool& fullReformat)
{
    fullReformat = false;
    if (count == 0)
        return;
    const int last = itemNo + count - 1;
    int paraEnd = -1;
    if (last + 1 < GetItemCount() && !GetItem(last + 1)->CanBeBorderStart())
        paraEnd = GetParaEndItemNo(last);
    if (auto* info = dynamic_cast<TRVUndoItemNoInfo*>(undoInfo))
        info->LastAffectedItemNo = paraEnd;
    if (paraEnd != -1)
        Do_Para(last, paraEnd, GetItemPara(last), fullReformat);
    for (int i = itemNo; i <= last; ++i) {
        TCustomRVItemInfo* item = GetItem(i);
        if (TRVCPInfo* cp = item->GetCheckpoint()) {
            item->SetCheckpoint(nullptr);
            cp->ItemInfo = nullptr;
            Do_AddCP(i, cp);
        }
    }
}

// ---------------------------------------------------------------------------
// Text

void TRVEditRVData::Do_InsertSubstring(int itemNo, int index, const AnsiString& s)
{
    if (s.empty())
        return;
    if (itemNo < 0 || itemNo >= GetItemCount() || !IsTextItem(itemNo))
        throw ERollViewError(errUndo);
    const TRVItemOptions options = GetItemOptions(itemNo);
    AnsiString text = Items->Get(itemNo);
    if (index < 1 || index > RVU_Length(text, options) + 1)
        throw ERollViewError(errUndo);
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoInsertSubstringInfo>(rvuInsertSubstring);
        record->ItemNo = itemNo;
        record->Index = index;
        record->Length = RVU_Length(s, options);
        list->AddInfo(std::move(record));
    }
    RVU_Insert(s, text, index, options);
    ChangeItemText(itemNo, text);
}

void TRVEditRVData::Do_DeleteSubstring(int itemNo, int index, int count)
{
    if (itemNo < 0 || itemNo >= GetItemCount() || !IsTextItem(itemNo))
        throw ERollViewError(errUndo);
    const TRVItemOptions options = GetItemOptions(itemNo);
    AnsiString text = Items->Get(itemNo);
    const int length = RVU_Length(text, options);
    if (index < 1 || index > length + 1)
        throw ERollViewError(errUndo);
    if (count < 0)
        count = length - index + 1;
    count = std::min(count, length - index + 1);
    if (count <= 0)
        return;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoDeleteSubstringInfo>(rvuDeleteSubstring);
        record->ItemNo = itemNo;
        record->Index = index;
        record->s = RVU_Copy(text, index, count, options);
        list->AddInfo(std::move(record));
    }
    RVU_Delete(text, index, count, options);
    ChangeItemText(itemNo, text);
}

void TRVEditRVData::Do_ChangeText(int itemNo, const AnsiString& s)
{
    if (Items->Get(itemNo) == s)
        return;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoChangeTextInfo>(rvuChangeText);
        record->ItemNo = itemNo;
        record->s = Items->Get(itemNo);
        list->AddInfo(std::move(record));
    }
    ChangeItemText(itemNo, s);
}

// ---------------------------------------------------------------------------
// Paragraph and line starts, paragraph styles

void TRVEditRVData::Do_NewLine(int itemNo, bool sameAsPrev, int paraNo, bool& fullReformat)
{
    fullReformat = false;
    TCustomRVItemInfo* item = GetItem(itemNo);
    if (item->GetBoolValue(rvbpFullWidth))
        return;
    if (!sameAsPrev && item->CanBeBorderStart())
        return;
    bool flag = false;
    if (sameAsPrev) {
        Do_BR(itemNo, false, flag);
        fullReformat = fullReformat || flag;
        Do_PageBreak(itemNo, false);
    }
    int paraEnd = -1;
    if (itemNo + 1 < GetItemCount() && !GetItem(itemNo + 1)->CanBeBorderStart())
        paraEnd = GetParaEndItemNo(itemNo + 1);
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoNewLineInfo>(rvuNewLine);
        record->ItemNo = itemNo;
        record->SameAsPrev = item->GetSameAsPrev();
        record->ParaNo = item->ParaNo;
        record->LastAffectedItemNo = paraEnd;
        list->AddInfo(std::move(record));
    }
    if (paraEnd == -1)
        paraEnd = itemNo;
    if (!sameAsPrev) {
        if (paraNo != -1)
            Do_Para(itemNo, paraEnd, paraNo, flag);
    } else if (itemNo > 0) {
        Do_Para(itemNo, paraEnd, GetItemPara(itemNo - 1), flag);
    }
    fullReformat = fullReformat || flag;
    item->SetSameAsPrev(sameAsPrev);
    InvalidateTailLayout();
}

void TRVEditRVData::JoinLine(int itemNo, bool& fullReformat)
{
    fullReformat = false;
    // A list marker always starts its paragraph.
    if (itemNo <= 0 || itemNo >= GetItemCount() || GetItemStyle(itemNo) == rvsListMarker)
        return;
    const bool afterFullWidth = GetItem(itemNo - 1)->GetBoolValue(rvbpFullWidth);
    Do_NewLine(itemNo, !afterFullWidth, -1, fullReformat);
}

void TRVEditRVData::SettleAfterRemoval(int itemNo, bool& fullReformat)
{
    fullReformat = false;
    if (itemNo < 0 || itemNo >= GetItemCount() || GetItem(itemNo)->CanBeBorderStart())
        return;
    bool flag = false;
    if (itemNo == 0 || GetItem(itemNo - 1)->GetBoolValue(rvbpFullWidth)) {
        Do_BR(itemNo, false, flag);
        fullReformat = flag;
        Do_NewLine(itemNo, false, -1, flag);
        fullReformat = fullReformat || flag;
    } else if (GetItemPara(itemNo) != GetItemPara(itemNo - 1)) {
        Do_Para(itemNo, GetParaEndItemNo(itemNo), GetItemPara(itemNo - 1), fullReformat);
    }
}

void TRVEditRVData::Do_BR(int itemNo, bool br, bool& fullReformat)
{
    fullReformat = false;
    TCustomRVItemInfo* item = GetItem(itemNo);
    const bool current = item->GetSameAsPrev() || item->GetBR();
    if (current == br)
        return;
    const int w0 = CalculateMinItemWidthPlusEx(itemNo);
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoBRInfo>(rvuBR);
        record->ItemNo = itemNo;
        record->BR = item->GetBR();
        list->AddInfo(std::move(record));
    }
    item->SetBR(br);
    InvalidateTailLayout();
    fullReformat = MinWidthChangeNeedsFull(w0, CalculateMinItemWidthPlusEx(itemNo));
}

void TRVEditRVData::Do_PageBreak(int itemNo, bool pageBreak)
{
    if (itemNo > 0 && GetItemStyle(itemNo - 1) == rvsListMarker)
        --itemNo;
    TCustomRVItemInfo* item = GetItem(itemNo);
    const bool current = item->GetSameAsPrev() || item->GetPageBreakBefore();
    if (current == pageBreak)
        return;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoPageBreakInfo>(rvuPageBreak);
        record->ItemNo = itemNo;
        record->PageBreak = item->GetPageBreakBefore();
        list->AddInfo(std::move(record));
    }
    item->SetPageBreakBefore(pageBreak);
}

void TRVEditRVData::Do_Para(int firstItemNo, int lastItemNo, int paraNo, bool& fullReformat)
{
    fullReformat = false;
    lastItemNo = std::min(lastItemNo, GetItemCount() - 1);
    if (lastItemNo < firstItemNo)
        return;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoParaListInfo>(rvuPara);
        record->StartItemNo = firstItemNo;
        for (int i = firstItemNo; i <= lastItemNo; ++i)
            record->Styles.push_back(GetItemPara(i));
        list->AddInfo(std::move(record));
    }
    SetParaStyle(firstItemNo, lastItemNo, paraNo, fullReformat);
}

void TRVEditRVData::Do_ParaList(int firstItemNo, const std::vector<int>& list, bool& fullReformat)
{
    fullReformat = false;
    const int last = std::min(firstItemNo + static_cast<int>(list.size()), GetItemCount()) - 1;
    if (last < firstItemNo)
        return;
    // Every item keeps its own style in the record, so that undoing a change
    // that left several styles restores each of them.
    if (TRVUndoList* undoTo = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoParaListInfo>(rvuPara);
        record->StartItemNo = firstItemNo;
        for (int i = firstItemNo; i <= last; ++i)
            record->Styles.push_back(GetItemPara(i));
        undoTo->AddInfo(std::move(record));
    }
    const int w0 = CalculateParaSectionsMinWidthDef(firstItemNo, last);
    for (int i = firstItemNo; i <= last; ++i)
        GetItem(i)->ParaNo = list[static_cast<size_t>(i - firstItemNo)];
    InvalidateTailLayout();
    fullReformat = MinWidthChangeNeedsFull(w0, CalculateParaSectionsMinWidthDef(firstItemNo, last));
}

void TRVEditRVData::SetParaStyle(int firstItemNo, int lastItemNo, int paraNo, bool& fullReformat)
{
    const int w0 = CalculateParaSectionsMinWidthDef(firstItemNo, lastItemNo);
    for (int i = firstItemNo; i <= lastItemNo; ++i) {
        TCustomRVItemInfo* item = GetItem(i);
        if (IsParaProtected(item->ParaNo, rvpaoStyleProtect) &&
            !(i > 0 && !item->CanBeBorderStart() && GetItemPara(i - 1) == paraNo))
            continue;
        item->ParaNo = paraNo;
    }
    InvalidateTailLayout();
    const int w1 = CalculateParaSectionsMinWidthDef(firstItemNo, lastItemNo);
    fullReformat = w1 > DocumentMinWidth || w0 >= DocumentMinWidth;
}

// ---------------------------------------------------------------------------
// Other item fields

void TRVEditRVData::Do_StyleNo(int itemNo, int styleNo)
{
    TCustomRVItemInfo* item = GetItem(itemNo);
    if (item->StyleNo < 0 || item->StyleNo == styleNo)
        return;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoStyleNoInfo>(rvuStyleNo);
        record->ItemNo = itemNo;
        record->StyleNo = item->StyleNo;
        list->AddInfo(std::move(record));
    }
    const bool oldUnicode = GetRVStyle()->TextStyles()->Items(item->StyleNo)->Unicode();
    const bool newUnicode = GetRVStyle()->TextStyles()->Items(styleNo)->Unicode();
    if (oldUnicode && !newUnicode)
        item->ItemOptions.Exclude(rvioUnicode);
    else if (!oldUnicode && newUnicode)
        item->ItemOptions.Include(rvioUnicode);
    item->StyleNo = styleNo;
    InvalidateTailLayout();
}

void TRVEditRVData::Do_Tag(int itemNo, const TRVTag& tag)
{
    TCustomRVItemInfo* item = GetItem(itemNo);
    if (item->GetTag() == tag)
        return;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoTagInfo>(rvuTag);
        record->ItemNo = itemNo;
        record->Tag = item->GetTag();
        list->AddInfo(std::move(record));
    }
    item->SetTag(tag);
}

void TRVEditRVData::Do_AddCP(int itemNo, TRVCPInfo* checkpoint)
{
    TRVCPInfo* present = itemNo == -1 ? NotAddedCP : GetItem(itemNo)->GetCheckpoint();
    if (present) {
        delete checkpoint;
        throw ERollViewError(errCheckpoint);
    }
    if (!checkpoint)
        return;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoAddCPInfo>(rvuCheckpoint);
        record->ItemNo = itemNo;
        list->AddInfo(std::move(record));
    }
    ++CPCount;
    if (itemNo == -1) {
        checkpoint->ItemInfo = nullptr;
        NotAddedCP = checkpoint;
        return;
    }
    TCustomRVItemInfo* item = GetItem(itemNo);
    item->SetCheckpoint(checkpoint);
    checkpoint->ItemInfo = item;
    UpdateCPPos(checkpoint, itemNo);
}

void TRVEditRVData::Do_DeleteCP(int itemNo)
{
    TRVCPInfo* cp = itemNo == -1 ? NotAddedCP : GetItem(itemNo)->GetCheckpoint();
    if (!cp)
        throw ERollViewError(errCheckpoint);
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = MakeRecord<TRVUndoDeleteCPInfo>(rvuCheckpoint);
        record->ItemNo = itemNo;
        TRVUndoDeleteCPInfo* raw = record.get();
        list->AddInfo(std::move(record));
        if (itemNo == -1)
            --CPCount;
        else
            UnlinkCheckpoint(cp, true);
        raw->Checkpoint = cp;
    } else {
        FreeCheckpoint(cp, itemNo != -1, true);
    }
    if (itemNo == -1)
        NotAddedCP = nullptr;
    else
        GetItem(itemNo)->SetCheckpoint(nullptr);
}

bool TRVEditRVData::Do_Concate(int itemNo)
{
    TCustomRVItemInfo* first = GetItem(itemNo);
    TCustomRVItemInfo* next = GetItem(itemNo + 1);
    const bool firstUnicode = first->ItemOptions.Contains(rvioUnicode);
    const bool nextUnicode = next->ItemOptions.Contains(rvioUnicode);
    const bool firstEmpty = ItemLength(itemNo) == 0;
    const bool nextEmpty = ItemLength(itemNo + 1) == 0;
    bool flag = false;
    bool Full = false;
    auto note = [&]() { Full = Full || flag; };
    if (firstUnicode != nextUnicode && !nextEmpty) {
        // Texts of two encodings never join: only an empty first item gives way.
        if (!firstEmpty)
            return false;
        if (!first->GetSameAsPrev()) {
            Do_NewLine(itemNo + 1, false, first->ParaNo, flag);
            note();
        }
        if (first->GetBR()) {
            Do_BR(itemNo + 1, true, flag);
            note();
        }
        if (first->GetCheckpoint() && !next->GetCheckpoint())
            Do_AddCP(itemNo + 1, first->GetCheckpoint()->CreateCopy(TagsArePChars()));
        Do_DeleteItem(itemNo, flag);
        note();
        return Full;
    }
    const bool takeStyle = firstEmpty;
    const int nextStyle = next->StyleNo;
    if (takeStyle)
        Do_Tag(itemNo, next->GetTag());
    Do_InsertSubstring(itemNo, ItemLength(itemNo) + 1, Items->Get(itemNo + 1));
    if (next->GetCheckpoint() && !first->GetCheckpoint())
        Do_AddCP(itemNo, next->GetCheckpoint()->CreateCopy(TagsArePChars()));
    Do_DeleteItem(itemNo + 1, flag);
    note();
    if (takeStyle)
        Do_StyleNo(itemNo, nextStyle);
    return Full || CalculateMinItemWidthPlusEx(itemNo) > DocumentMinWidth;
}
