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

// The changed-width rule.
bool WidthChangeNeedsFull(int W0, int W1, int DocMinWidth)
{
    return W0 != W1 && (W1 > DocMinWidth || W0 >= DocMinWidth);
}

template <class T> std::unique_ptr<T> MakeRecord(TRVUndoAction Action)
{
    auto Record = std::make_unique<T>();
    Record->Action = Action;
    return Record;
}

// Removes the entries First..Last of a list in one pass: the entries after
// them move down once, whatever the count removed.
void EraseEntries(TStringList& List, int First, int Last)
{
    const int Count = List.Count();
    const int Removed = Last - First + 1;
    List.BeginUpdate();
    for (int i = Last + 1; i < Count; ++i) {
        List.Put(i - Removed, List.Get(i));
        List.PutObject(i - Removed, List.GetObject(i));
    }
    for (int i = Count - 1; i >= Count - Removed; --i)
        List.Delete(i);
    List.EndUpdate();
}

// Opens Count empty entries at Index in one pass.
void OpenEntries(TStringList& List, int Index, int Count)
{
    const int Old = List.Count();
    List.BeginUpdate();
    for (int i = 0; i < Count; ++i)
        List.AddObject(AnsiString(), nullptr);
    for (int i = Old - 1; i >= Index; --i) {
        List.Put(i + Count, List.Get(i));
        List.PutObject(i + Count, List.GetObject(i));
    }
    List.EndUpdate();
}

} // namespace

void TRVEditRVData::ChangeItemText(int ItemNo, const AnsiString& s)
{
    AnsiString Text = s;
    ItemAction(rviaTextModifying, GetItem(ItemNo), Text, this);
    Items->Put(ItemNo, Text);
    InvalidateTailLayout();
}

void TRVEditRVData::DisposeItem(TCustomRVItemInfo* Item)
{
    if (!Item)
        return;
    AnsiString Empty;
    ItemAction(rviaDestroying, Item, Empty, this);
    ControlAction(rvcaDestroyInUndoList, -1, Item);
    Item->Tag = TRVTag();
    if (TRVCPInfo* cp = Item->Checkpoint) {
        Item->Checkpoint = nullptr;
        if (cp->ItemInfo == Item)
            cp->ItemInfo = nullptr;
        delete cp;
    }
    InternalFreeItem(Item, false);
}

void TRVEditRVData::DisposeCheckpoint(TRVCPInfo* Checkpoint)
{
    delete Checkpoint;
}

// ---------------------------------------------------------------------------
// Removing and inserting items

void TRVEditRVData::Do_DeleteItem(int ItemNo, bool& FullReformat)
{
    FullReformat = false;
    if (ItemNo < 0 || ItemNo >= GetItemCount())
        return;
    FullReformat = CalculateMinItemWidthPlusEx(ItemNo) >= DocumentMinWidth;
    if (GetItem(ItemNo)->Checkpoint)
        Do_DeleteCP(ItemNo);
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoDeleteItemInfo>(rvuDeleteItem);
        Record->ItemNo = ItemNo;
        Record->s = Items->Get(ItemNo);
        TRVUndoDeleteItemInfo* Raw = Record.get();
        List->AddInfo(std::move(Record));
        Item->MovingToUndoList(ItemNo, this, nullptr);
        DeleteMarkerFromList(Item, false);
        Raw->Item = Item;
    } else {
        FreeItem(ItemNo, false);
    }
    Items->Delete(ItemNo);
    InvalidateTailLayout();
}

void TRVEditRVData::Do_DeleteItems(int FirstItemNo, int LastItemNo, bool& FullReformat)
{
    FullReformat = false;
    FirstItemNo = std::max(FirstItemNo, 0);
    LastItemNo = std::min(LastItemNo, GetItemCount() - 1);
    if (FirstItemNo > LastItemNo)
        return;
    FullReformat = CalculateMinItemsWidthPlusEx(FirstItemNo, LastItemNo) >= DocumentMinWidth;
    for (int i = LastItemNo; i >= FirstItemNo; --i)
        if (GetItem(i)->Checkpoint)
            Do_DeleteCP(i);
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoDeleteItemsInfo>(rvuDeleteItems);
        Record->StartItemNo = FirstItemNo;
        Record->EndItemNo = LastItemNo;
        TRVUndoDeleteItemsInfo* Raw = Record.get();
        List->AddInfo(std::move(Record));
        Raw->Kept.reserve(static_cast<size_t>(LastItemNo - FirstItemNo + 1));
        for (int i = LastItemNo; i >= FirstItemNo; --i) {
            TCustomRVItemInfo* Item = GetItem(i);
            Item->MovingToUndoList(i, this, nullptr);
            DeleteMarkerFromList(Item, false);
            Raw->Kept.emplace_back(Items->Get(i), Item);
            Items->PutObject(i, nullptr);
        }
    } else {
        for (int i = LastItemNo; i >= FirstItemNo; --i)
            FreeItem(i, false);
    }
    EraseEntries(*Items, FirstItemNo, LastItemNo);
    InvalidateTailLayout();
}

void TRVEditRVData::Do_InsertItem(int ItemNo, AnsiString& s, TCustomRVItemInfo* Item, bool FromUndo,
                                  bool& FullReformat)
{
    FullReformat = false;
    ItemNo = std::clamp(ItemNo, 0, GetItemCount());
    int ParaEnd = -1;
    if (Item->CanBeBorderStart() && ItemNo < GetItemCount() && !GetItem(ItemNo)->CanBeBorderStart())
        ParaEnd = GetParaEndItemNo(ItemNo);
    TRVCPInfo* cp = Item->Checkpoint;
    Item->Checkpoint = nullptr;
    if (cp)
        cp->ItemInfo = nullptr;
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoInsertItemInfo>(rvuInsertItem);
        Record->ItemNo = ItemNo;
        Record->LastAffectedItemNo = ParaEnd;
        List->AddInfo(std::move(Record));
    }
    Item->Inserting(this, s, false);
    Items->InsertObject(ItemNo, s, Item);
    Item->Inserted(this, ItemNo);
    AddMarkerInList(ItemNo);
    if (FromUndo)
        Item->MovingFromUndoList(ItemNo, this);
    Item->UpdatePaletteInfo(GetDoInPaletteMode(), false, GetRVPalette(), GetRVLogPalette());
    InvalidateTailLayout();
    if (ParaEnd != -1)
        Do_Para(ItemNo + 1, ParaEnd + 1, Item->ParaNo, FullReformat);
    if (cp)
        Do_AddCP(ItemNo, cp);
}

TRVUndoInfo* TRVEditRVData::Do_InsertItems_1(int ItemNo, int Count)
{
    if (Count == 0)
        return nullptr;
    TRVUndoList* List = GetUndoList();
    if (!List)
        return nullptr;
    auto Record = MakeRecord<TRVUndoInsertItemsInfo>(rvuInsertItems);
    Record->ItemNo = ItemNo;
    Record->Count = Count;
    TRVUndoInfo* Raw = Record.get();
    List->AddInfo(std::move(Record));
    return Raw;
}

void TRVEditRVData::Do_InsertItems(int ItemNo, TRVItemList& List, bool FromUndo, bool& FullReformat)
{
    FullReformat = false;
    if (List.empty())
        return;
    const int Count = static_cast<int>(List.size());
    TRVUndoInfo* Record = Do_InsertItems_1(ItemNo, Count);
    // The list is last-first: entry k goes to ItemNo + Count - 1 - k.
    OpenEntries(*Items, ItemNo, Count);
    for (int k = 0; k < Count; ++k) {
        const int At = ItemNo + Count - 1 - k;
        Items->Put(At, List[static_cast<size_t>(k)].first);
        Items->PutObject(At, List[static_cast<size_t>(k)].second);
    }
    for (int k = Count - 1; k >= 0; --k) {
        const int At = ItemNo + Count - 1 - k;
        TCustomRVItemInfo* Item = List[static_cast<size_t>(k)].second;
        List[static_cast<size_t>(k)].second = nullptr;
        AnsiString Text = Items->Get(At);
        Item->Inserting(this, Text, false);
        Items->Put(At, Text);
        Item->Inserted(this, At);
        AddMarkerInList(At);
        if (FromUndo)
            Item->MovingFromUndoList(At, this);
        Item->UpdatePaletteInfo(GetDoInPaletteMode(), false, GetRVPalette(), GetRVLogPalette());
    }
    List.clear();
    InvalidateTailLayout();
    Do_InsertItems_2(ItemNo, Count, Record, FullReformat);
}

void TRVEditRVData::Do_InsertItems_2(int ItemNo, int Count, TRVUndoInfo* UndoInfo, bool& FullReformat)
{
    FullReformat = false;
    if (Count == 0)
        return;
    const int Last = ItemNo + Count - 1;
    int ParaEnd = -1;
    if (Last + 1 < GetItemCount() && !GetItem(Last + 1)->CanBeBorderStart())
        ParaEnd = GetParaEndItemNo(Last);
    if (auto* Info = dynamic_cast<TRVUndoItemNoInfo*>(UndoInfo))
        Info->LastAffectedItemNo = ParaEnd;
    if (ParaEnd != -1)
        Do_Para(Last, ParaEnd, GetItemPara(Last), FullReformat);
    for (int i = ItemNo; i <= Last; ++i) {
        TCustomRVItemInfo* Item = GetItem(i);
        if (TRVCPInfo* cp = Item->Checkpoint) {
            Item->Checkpoint = nullptr;
            cp->ItemInfo = nullptr;
            Do_AddCP(i, cp);
        }
    }
}

// ---------------------------------------------------------------------------
// Text

void TRVEditRVData::Do_InsertSubstring(int ItemNo, int Index, const AnsiString& s)
{
    if (s.empty())
        return;
    if (ItemNo < 0 || ItemNo >= GetItemCount() || GetItemStyle(ItemNo) < 0)
        throw ERollViewError(errUndo);
    const TRVItemOptions Options = GetItemOptions(ItemNo);
    AnsiString Text = Items->Get(ItemNo);
    if (Index < 1 || Index > RVU_Length(Text, Options) + 1)
        throw ERollViewError(errUndo);
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoInsertSubstringInfo>(rvuInsertSubstring);
        Record->ItemNo = ItemNo;
        Record->Index = Index;
        Record->Length = RVU_Length(s, Options);
        List->AddInfo(std::move(Record));
    }
    RVU_Insert(s, Text, Index, Options);
    ChangeItemText(ItemNo, Text);
}

void TRVEditRVData::Do_DeleteSubstring(int ItemNo, int Index, int Count)
{
    if (ItemNo < 0 || ItemNo >= GetItemCount() || GetItemStyle(ItemNo) < 0)
        throw ERollViewError(errUndo);
    const TRVItemOptions Options = GetItemOptions(ItemNo);
    AnsiString Text = Items->Get(ItemNo);
    const int Length = RVU_Length(Text, Options);
    if (Index < 1 || Index > Length + 1)
        throw ERollViewError(errUndo);
    if (Count < 0)
        Count = Length - Index + 1;
    Count = std::min(Count, Length - Index + 1);
    if (Count <= 0)
        return;
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoDeleteSubstringInfo>(rvuDeleteSubstring);
        Record->ItemNo = ItemNo;
        Record->Index = Index;
        Record->s = RVU_Copy(Text, Index, Count, Options);
        List->AddInfo(std::move(Record));
    }
    RVU_Delete(Text, Index, Count, Options);
    ChangeItemText(ItemNo, Text);
}

void TRVEditRVData::Do_ChangeText(int ItemNo, const AnsiString& s)
{
    if (Items->Get(ItemNo) == s)
        return;
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoChangeTextInfo>(rvuChangeText);
        Record->ItemNo = ItemNo;
        Record->s = Items->Get(ItemNo);
        List->AddInfo(std::move(Record));
    }
    ChangeItemText(ItemNo, s);
}

// ---------------------------------------------------------------------------
// Paragraph and line starts, paragraph styles

void TRVEditRVData::Do_NewLine(int ItemNo, bool SameAsPrev, int ParaNo, bool& FullReformat)
{
    FullReformat = false;
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (Item->GetBoolValue(rvbpFullWidth))
        return;
    if (!SameAsPrev && Item->CanBeBorderStart())
        return;
    bool Flag = false;
    if (SameAsPrev) {
        Do_BR(ItemNo, false, Flag);
        FullReformat = FullReformat || Flag;
        Do_PageBreak(ItemNo, false);
    }
    int ParaEnd = -1;
    if (ItemNo + 1 < GetItemCount() && !GetItem(ItemNo + 1)->CanBeBorderStart())
        ParaEnd = GetParaEndItemNo(ItemNo + 1);
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoNewLineInfo>(rvuNewLine);
        Record->ItemNo = ItemNo;
        Record->SameAsPrev = Item->GetSameAsPrev();
        Record->ParaNo = Item->ParaNo;
        Record->LastAffectedItemNo = ParaEnd;
        List->AddInfo(std::move(Record));
    }
    if (ParaEnd == -1)
        ParaEnd = ItemNo;
    if (!SameAsPrev) {
        if (ParaNo != -1)
            Do_Para(ItemNo, ParaEnd, ParaNo, Flag);
    } else if (ItemNo > 0) {
        Do_Para(ItemNo, ParaEnd, GetItemPara(ItemNo - 1), Flag);
    }
    FullReformat = FullReformat || Flag;
    Item->SetSameAsPrev(SameAsPrev);
    InvalidateTailLayout();
}

void TRVEditRVData::JoinLine(int ItemNo, bool& FullReformat)
{
    FullReformat = false;
    // A list marker always starts its paragraph.
    if (ItemNo <= 0 || ItemNo >= GetItemCount() || GetItemStyle(ItemNo) == rvsListMarker)
        return;
    const bool AfterFullWidth = GetItem(ItemNo - 1)->GetBoolValue(rvbpFullWidth);
    Do_NewLine(ItemNo, !AfterFullWidth, -1, FullReformat);
}

void TRVEditRVData::SettleAfterRemoval(int ItemNo, bool& FullReformat)
{
    FullReformat = false;
    if (ItemNo < 0 || ItemNo >= GetItemCount() || GetItem(ItemNo)->CanBeBorderStart())
        return;
    bool Flag = false;
    if (ItemNo == 0 || GetItem(ItemNo - 1)->GetBoolValue(rvbpFullWidth)) {
        Do_BR(ItemNo, false, Flag);
        FullReformat = Flag;
        Do_NewLine(ItemNo, false, -1, Flag);
        FullReformat = FullReformat || Flag;
    } else if (GetItemPara(ItemNo) != GetItemPara(ItemNo - 1)) {
        Do_Para(ItemNo, GetParaEndItemNo(ItemNo), GetItemPara(ItemNo - 1), FullReformat);
    }
}

void TRVEditRVData::Do_BR(int ItemNo, bool BR, bool& FullReformat)
{
    FullReformat = false;
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    const bool Current = Item->GetSameAsPrev() || Item->GetBR();
    if (Current == BR)
        return;
    const int W0 = CalculateMinItemWidthPlusEx(ItemNo);
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoBRInfo>(rvuBR);
        Record->ItemNo = ItemNo;
        Record->BR = Item->GetBR();
        List->AddInfo(std::move(Record));
    }
    Item->SetBR(BR);
    InvalidateTailLayout();
    FullReformat = WidthChangeNeedsFull(W0, CalculateMinItemWidthPlusEx(ItemNo), DocumentMinWidth);
}

void TRVEditRVData::Do_PageBreak(int ItemNo, bool PageBreak)
{
    if (ItemNo > 0 && GetItemStyle(ItemNo - 1) == rvsListMarker)
        --ItemNo;
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    const bool Current = Item->GetSameAsPrev() || Item->GetPageBreakBefore();
    if (Current == PageBreak)
        return;
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoPageBreakInfo>(rvuPageBreak);
        Record->ItemNo = ItemNo;
        Record->PageBreak = Item->GetPageBreakBefore();
        List->AddInfo(std::move(Record));
    }
    Item->SetPageBreakBefore(PageBreak);
}

void TRVEditRVData::Do_Para(int FirstItemNo, int LastItemNo, int ParaNo, bool& FullReformat)
{
    FullReformat = false;
    LastItemNo = std::min(LastItemNo, GetItemCount() - 1);
    if (LastItemNo < FirstItemNo)
        return;
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoParaListInfo>(rvuPara);
        Record->StartItemNo = FirstItemNo;
        for (int i = FirstItemNo; i <= LastItemNo; ++i)
            Record->Styles.push_back(GetItemPara(i));
        List->AddInfo(std::move(Record));
    }
    SetParaStyle(FirstItemNo, LastItemNo, ParaNo, FullReformat);
}

void TRVEditRVData::Do_ParaList(int FirstItemNo, const std::vector<int>& List, bool& FullReformat)
{
    FullReformat = false;
    const int Last = std::min(FirstItemNo + static_cast<int>(List.size()), GetItemCount()) - 1;
    if (Last < FirstItemNo)
        return;
    // Every item keeps its own style in the record, so that undoing a change
    // that left several styles restores each of them.
    if (TRVUndoList* UndoTo = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoParaListInfo>(rvuPara);
        Record->StartItemNo = FirstItemNo;
        for (int i = FirstItemNo; i <= Last; ++i)
            Record->Styles.push_back(GetItemPara(i));
        UndoTo->AddInfo(std::move(Record));
    }
    const int W0 = CalculateParaSectionsMinWidthDef(FirstItemNo, Last);
    for (int i = FirstItemNo; i <= Last; ++i)
        GetItem(i)->ParaNo = List[static_cast<size_t>(i - FirstItemNo)];
    InvalidateTailLayout();
    FullReformat =
        WidthChangeNeedsFull(W0, CalculateParaSectionsMinWidthDef(FirstItemNo, Last), DocumentMinWidth);
}

void TRVEditRVData::SetParaStyle(int FirstItemNo, int LastItemNo, int ParaNo, bool& FullReformat)
{
    const int W0 = CalculateParaSectionsMinWidthDef(FirstItemNo, LastItemNo);
    for (int i = FirstItemNo; i <= LastItemNo; ++i) {
        TCustomRVItemInfo* Item = GetItem(i);
        if (IsParaProtected(Item->ParaNo, rvpaoStyleProtect) &&
            !(i > 0 && !Item->CanBeBorderStart() && GetItemPara(i - 1) == ParaNo))
            continue;
        Item->ParaNo = ParaNo;
    }
    InvalidateTailLayout();
    const int W1 = CalculateParaSectionsMinWidthDef(FirstItemNo, LastItemNo);
    FullReformat = W1 > DocumentMinWidth || W0 >= DocumentMinWidth;
}

// ---------------------------------------------------------------------------
// Other item fields

void TRVEditRVData::Do_StyleNo(int ItemNo, int StyleNo)
{
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (Item->StyleNo < 0 || Item->StyleNo == StyleNo)
        return;
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoStyleNoInfo>(rvuStyleNo);
        Record->ItemNo = ItemNo;
        Record->StyleNo = Item->StyleNo;
        List->AddInfo(std::move(Record));
    }
    const bool OldUnicode = Style->TextStyles()->Items(Item->StyleNo)->Unicode();
    const bool NewUnicode = Style->TextStyles()->Items(StyleNo)->Unicode();
    if (OldUnicode && !NewUnicode)
        Item->ItemOptions.Exclude(rvioUnicode);
    else if (!OldUnicode && NewUnicode)
        Item->ItemOptions.Include(rvioUnicode);
    Item->StyleNo = StyleNo;
    InvalidateTailLayout();
}

void TRVEditRVData::Do_Tag(int ItemNo, const TRVTag& Tag)
{
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (Item->Tag == Tag)
        return;
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoTagInfo>(rvuTag);
        Record->ItemNo = ItemNo;
        Record->Tag = Item->Tag;
        List->AddInfo(std::move(Record));
    }
    Item->Tag = Tag;
}

void TRVEditRVData::Do_AddCP(int ItemNo, TRVCPInfo* Checkpoint)
{
    TRVCPInfo* Present = ItemNo == -1 ? NotAddedCP : GetItem(ItemNo)->Checkpoint;
    if (Present) {
        delete Checkpoint;
        throw ERollViewError(errCheckpoint);
    }
    if (!Checkpoint)
        return;
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoAddCPInfo>(rvuCheckpoint);
        Record->ItemNo = ItemNo;
        List->AddInfo(std::move(Record));
    }
    ++CPCount;
    if (ItemNo == -1) {
        Checkpoint->ItemInfo = nullptr;
        NotAddedCP = Checkpoint;
        return;
    }
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    Item->Checkpoint = Checkpoint;
    Checkpoint->ItemInfo = Item;
    UpdateCPPos(Checkpoint, ItemNo);
}

void TRVEditRVData::Do_DeleteCP(int ItemNo)
{
    TRVCPInfo* cp = ItemNo == -1 ? NotAddedCP : GetItem(ItemNo)->Checkpoint;
    if (!cp)
        throw ERollViewError(errCheckpoint);
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = MakeRecord<TRVUndoDeleteCPInfo>(rvuCheckpoint);
        Record->ItemNo = ItemNo;
        TRVUndoDeleteCPInfo* Raw = Record.get();
        List->AddInfo(std::move(Record));
        if (ItemNo == -1)
            --CPCount;
        else
            UnlinkCheckpoint(cp, true);
        Raw->Checkpoint = cp;
    } else {
        FreeCheckpoint(cp, ItemNo != -1, true);
    }
    if (ItemNo == -1)
        NotAddedCP = nullptr;
    else
        GetItem(ItemNo)->Checkpoint = nullptr;
}

bool TRVEditRVData::Do_Concate(int ItemNo)
{
    TCustomRVItemInfo* First = GetItem(ItemNo);
    TCustomRVItemInfo* Next = GetItem(ItemNo + 1);
    const bool FirstUnicode = First->ItemOptions.Contains(rvioUnicode);
    const bool NextUnicode = Next->ItemOptions.Contains(rvioUnicode);
    const bool FirstEmpty = ItemLength(ItemNo) == 0;
    const bool NextEmpty = ItemLength(ItemNo + 1) == 0;
    bool Flag = false;
    bool Full = false;
    auto Note = [&]() { Full = Full || Flag; };
    if (FirstUnicode != NextUnicode && !NextEmpty) {
        // Texts of two encodings never join: only an empty first item gives way.
        if (!FirstEmpty)
            return false;
        if (!First->GetSameAsPrev()) {
            Do_NewLine(ItemNo + 1, false, First->ParaNo, Flag);
            Note();
        }
        if (First->GetBR()) {
            Do_BR(ItemNo + 1, true, Flag);
            Note();
        }
        if (First->Checkpoint && !Next->Checkpoint)
            Do_AddCP(ItemNo + 1, First->Checkpoint->CreateCopy(TagsArePChars()));
        Do_DeleteItem(ItemNo, Flag);
        Note();
        return Full;
    }
    const bool TakeStyle = FirstEmpty;
    const int NextStyle = Next->StyleNo;
    if (TakeStyle)
        Do_Tag(ItemNo, Next->Tag);
    Do_InsertSubstring(ItemNo, ItemLength(ItemNo) + 1, Items->Get(ItemNo + 1));
    if (Next->Checkpoint && !First->Checkpoint)
        Do_AddCP(ItemNo, Next->Checkpoint->CreateCopy(TagsArePChars()));
    Do_DeleteItem(ItemNo + 1, Flag);
    Note();
    if (TakeStyle)
        Do_StyleNo(ItemNo, NextStyle);
    return Full || CalculateMinItemWidthPlusEx(ItemNo) > DocumentMinWidth;
}
