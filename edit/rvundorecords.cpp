// The undo records' play-back: each calls the primitive that reverses its
// change (which records the opposite record into the other list) and answers
// what the layout after the group has to cover.
#include "edit/rvundorecords.h"

#include "document/rvitem.h"
#include "document/rvuni.h"
#include "edit/rvervdata.h"

namespace {

// The width rule: after a change of an item from OldWidth, does the whole
// document need laying out?
bool WidthRequiresFull(TRVEditRVData* RVData, int ItemNo, int OldWidth)
{
    if (ItemNo < 0 || ItemNo >= RVData->GetItemCount())
        return false;
    const int New = RVData->CalculateMinItemWidthPlusEx(ItemNo);
    if (New == OldWidth)
        return false;
    return OldWidth >= RVData->DocumentMinWidth || New > RVData->DocumentMinWidth;
}

} // namespace

bool TRVUndoItemNoInfo::SetItemsRange(int& StartItemNo, int& EndItemNo, TRVEditRVData*)
{
    if (ItemNo < 0)
        return false;
    StartItemNo = ItemNo;
    EndItemNo = LastAffectedItemNo == -1 ? ItemNo : LastAffectedItemNo;
    return true;
}

void TRVUndoWidthInfo::StoreOldWidth(TRVEditRVData* RVData)
{
    OldWidth =
        ItemNo >= 0 && ItemNo < RVData->GetItemCount() ? RVData->CalculateMinItemWidthPlusEx(ItemNo) : 0;
}

bool TRVUndoWidthInfo::RequiresFullReformat2(TRVEditRVData* RVData)
{
    return WidthRequiresFull(RVData, ItemNo, OldWidth);
}

void TRVUndoChangeTextInfo::Undo(TRVEditRVData* RVData)
{
    StoreOldWidth(RVData);
    RVData->Do_ChangeText(ItemNo, s);
}

void TRVUndoDeleteSubstringInfo::Undo(TRVEditRVData* RVData)
{
    StoreOldWidth(RVData);
    RVData->Do_InsertSubstring(ItemNo, Index, s);
}

void TRVUndoInsertSubstringInfo::Undo(TRVEditRVData* RVData)
{
    StoreOldWidth(RVData);
    RVData->Do_DeleteSubstring(ItemNo, Index, Length);
}

void TRVUndoTypingInfo::Undo(TRVEditRVData* RVData)
{
    StoreOldWidth(RVData);
    AnsiString Text = RVData->GetItemText(ItemNo);
    const size_t Unit = Unicode ? 2 : 1;
    const size_t Pos = static_cast<size_t>(Index + Length - 2) * Unit;
    const AnsiString Removed = Text.substr(Pos, Unit);
    Text.erase(Pos, Unit);
    --Length;
    RVData->Items->Put(ItemNo, Text);
    RVData->InvalidateTailLayout();
    RVData->RedoList->AddUntyping(Removed, ItemNo, Index + Length + 1);
}

void TRVRedoTypingInfo::Undo(TRVEditRVData* RVData)
{
    StoreOldWidth(RVData);
    AnsiString Text = RVData->GetItemText(ItemNo);
    const size_t Unit = Unicode ? 2 : 1;
    const int N = CharCount();
    const size_t Pos = static_cast<size_t>(Index - N - 1) * Unit;
    Text.insert(Pos, s.substr(s.size() - Unit));
    s.erase(s.size() - Unit);
    RVData->Items->Put(ItemNo, Text);
    RVData->InvalidateTailLayout();
    RVData->UndoList->AddTyping(ItemNo, Index - N, Unicode);
}

TRVUndoItemInfo::~TRVUndoItemInfo()
{
    if (Item && List)
        List->DisposeItem(Item);
    else
        delete Item;
}

TCustomRVItemInfo* TRVUndoItemInfo::TakeItem()
{
    TCustomRVItemInfo* Back = Item;
    Item = nullptr;
    return Back;
}

void TRVUndoDeleteItemInfo::Undo(TRVEditRVData* RVData)
{
    RVData->Do_InsertItem(ItemNo, s, TakeItem(), true, FullReformat);
}

void TRVUndoModifyItemInfo::Undo(TRVEditRVData* RVData)
{
    RVData->Do_ModifyItem(ItemNo, s, TakeItem());
}

bool TRVUndoModifyItemInfo::RequiresFullReformat1(TRVEditRVData* RVData)
{
    if (!Item)
        return false;
    const int Cur = RVData->CalculateMinItemWidthPlusEx(ItemNo);
    const int Projected = Cur - RVData->GetItem(ItemNo)->GetMinWidth(nullptr, nullptr, RVData) +
                          Item->GetMinWidth(nullptr, nullptr, RVData);
    if (Projected == Cur)
        return false;
    return Projected > RVData->DocumentMinWidth || Cur >= RVData->DocumentMinWidth;
}

void TRVUndoReplaceItemInfo::Undo(TRVEditRVData* RVData)
{
    RVData->Do_ReplaceItem(ItemNo, TakeItem());
}

void TRVUndoReformateRange::Undo(TRVEditRVData* RVData)
{
    RVData->Do_ReformateRange(ItemNo, LastAffectedItemNo, SuperReformat);
}

void TRVUndoChangeVAlignInfo::Undo(TRVEditRVData* RVData)
{
    RVData->Do_ChangeVAlign(ItemNo, VAlign);
}

void TRVUndoExtraIntProperty::Undo(TRVEditRVData* RVData)
{
    StoreOldWidth(RVData);
    RVData->Do_ExtraIntProperty(ItemNo, Prop, Value);
}

void TRVUndoModifyItemTerminator::Undo(TRVEditRVData* RVData)
{
    RVData->Do_ItemModifyTerminator(ItemNo, !Opening);
}

bool TRVUndoDeleteItemInfo::RequiresFullReformat2(TRVEditRVData* RVData)
{
    return FullReformat || RVData->CalculateMinItemWidthPlusEx(ItemNo) > RVData->DocumentMinWidth;
}

TRVUndoDeleteItemsInfo::~TRVUndoDeleteItemsInfo()
{
    for (auto& Entry : Kept) {
        if (List)
            List->DisposeItem(Entry.second);
        else
            delete Entry.second;
    }
}

void TRVUndoDeleteItemsInfo::Undo(TRVEditRVData* RVData)
{
    FAdded = static_cast<int>(Kept.size());
    TRVItemList Back;
    Back.swap(Kept);
    RVData->Do_InsertItems(StartItemNo, Back, true, FullReformat);
    EndItemNo = StartItemNo + FAdded - 1;
}

bool TRVUndoDeleteItemsInfo::SetItemsRange(int& AStartItemNo, int& AEndItemNo, TRVEditRVData*)
{
    AStartItemNo = StartItemNo;
    AEndItemNo = LastAffectedItemNo == -1 ? StartItemNo + static_cast<int>(Kept.size()) : LastAffectedItemNo;
    return true;
}

int TRVUndoDeleteItemsInfo::ItemsAdded()
{
    return Kept.empty() ? FAdded : static_cast<int>(Kept.size());
}

bool TRVUndoDeleteItemsInfo::RequiresFullReformat2(TRVEditRVData* RVData)
{
    return FullReformat ||
           RVData->CalculateMinItemsWidthPlusEx(StartItemNo, EndItemNo) > RVData->DocumentMinWidth;
}

void TRVUndoInsertItemInfo::Undo(TRVEditRVData* RVData)
{
    RVData->Do_DeleteItem(ItemNo, FullReformat);
}

bool TRVUndoInsertItemInfo::RequiresFullReformat1(TRVEditRVData* RVData)
{
    return RVData->CalculateMinItemWidthPlusEx(ItemNo) >= RVData->DocumentMinWidth;
}

void TRVUndoInsertItemsInfo::Undo(TRVEditRVData* RVData)
{
    RVData->Do_DeleteItems(ItemNo, ItemNo + Count - 1, FullReformat);
}

bool TRVUndoInsertItemsInfo::RequiresFullReformat1(TRVEditRVData* RVData)
{
    return RVData->CalculateMinItemsWidthPlusEx(ItemNo, ItemNo + Count - 1) >= RVData->DocumentMinWidth;
}

void TRVUndoNewLineInfo::Undo(TRVEditRVData* RVData)
{
    RVData->Do_NewLine(ItemNo, SameAsPrev, ParaNo, FullReformat);
}

void TRVUndoBRInfo::Undo(TRVEditRVData* RVData)
{
    bool Full = false;
    RVData->Do_BR(ItemNo, BR, Full);
}

void TRVUndoPageBreakInfo::Undo(TRVEditRVData* RVData)
{
    RVData->Do_PageBreak(ItemNo, PageBreak);
}

void TRVUndoParaListInfo::Undo(TRVEditRVData* RVData)
{
    RVData->Do_ParaList(StartItemNo, Styles, FullReformat);
}

bool TRVUndoParaListInfo::SetItemsRange(int& AStartItemNo, int& AEndItemNo, TRVEditRVData*)
{
    AStartItemNo = StartItemNo;
    AEndItemNo = StartItemNo + static_cast<int>(Styles.size());
    return true;
}

void TRVUndoStyleNoInfo::Undo(TRVEditRVData* RVData)
{
    StoreOldWidth(RVData);
    RVData->Do_StyleNo(ItemNo, StyleNo);
}

void TRVUndoTagInfo::Undo(TRVEditRVData* RVData)
{
    RVData->Do_Tag(ItemNo, Tag);
}

void TRVUndoAddCPInfo::Undo(TRVEditRVData* RVData)
{
    RVData->Do_DeleteCP(ItemNo);
}

TRVUndoDeleteCPInfo::~TRVUndoDeleteCPInfo()
{
    if (Checkpoint && List && List->RVData)
        List->RVData->DisposeCheckpoint(Checkpoint);
    else
        delete Checkpoint;
}

void TRVUndoDeleteCPInfo::Undo(TRVEditRVData* RVData)
{
    TRVCPInfo* Back = Checkpoint;
    Checkpoint = nullptr;
    RVData->Do_AddCP(ItemNo, Back);
}
