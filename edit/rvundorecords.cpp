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
bool WidthRequiresFull(TRVEditRVData* rvData, int itemNo, int oldWidth)
{
    if (itemNo < 0 || itemNo >= rvData->GetItemCount())
        return false;
    return rvData->MinWidthChangeNeedsFull(oldWidth, rvData->CalculateMinItemWidthPlusEx(itemNo));
}

} // namespace

bool TRVUndoItemNoInfo::SetItemsRange(int& startItemNo, int& endItemNo, TRVEditRVData*)
{
    if (ItemNo < 0)
        return false;
    startItemNo = ItemNo;
    endItemNo = LastAffectedItemNo == -1 ? ItemNo : LastAffectedItemNo;
    return true;
}

void TRVUndoWidthInfo::StoreOldWidth(TRVEditRVData* rvData)
{
    OldWidth =
        ItemNo >= 0 && ItemNo < rvData->GetItemCount() ? rvData->CalculateMinItemWidthPlusEx(ItemNo) : 0;
}

bool TRVUndoWidthInfo::RequiresFullReformat2(TRVEditRVData* rvData)
{
    return WidthRequiresFull(rvData, ItemNo, OldWidth);
}

void TRVUndoChangeTextInfo::Undo(TRVEditRVData* rvData)
{
    StoreOldWidth(rvData);
    rvData->Do_ChangeText(ItemNo, s);
}

void TRVUndoDeleteSubstringInfo::Undo(TRVEditRVData* rvData)
{
    StoreOldWidth(rvData);
    rvData->Do_InsertSubstring(ItemNo, Index, s);
}

void TRVUndoInsertSubstringInfo::Undo(TRVEditRVData* rvData)
{
    StoreOldWidth(rvData);
    rvData->Do_DeleteSubstring(ItemNo, Index, Length);
}

void TRVUndoTypingInfo::Undo(TRVEditRVData* rvData)
{
    StoreOldWidth(rvData);
    AnsiString text = rvData->GetItemText(ItemNo);
    const size_t unit = Unicode ? 2 : 1;
    const size_t pos = static_cast<size_t>(Index + Length - 2) * unit;
    const AnsiString removed = text.substr(pos, unit);
    text.erase(pos, unit);
    --Length;
    rvData->ChangeItemText(ItemNo, text);
    rvData->RedoList->AddUntyping(removed, ItemNo, Index + Length + 1);
}

void TRVRedoTypingInfo::Undo(TRVEditRVData* rvData)
{
    StoreOldWidth(rvData);
    AnsiString text = rvData->GetItemText(ItemNo);
    const size_t unit = Unicode ? 2 : 1;
    const int n = CharCount();
    const size_t pos = static_cast<size_t>(Index - n - 1) * unit;
    text.insert(pos, s.substr(s.size() - unit));
    s.erase(s.size() - unit);
    rvData->ChangeItemText(ItemNo, text);
    rvData->UndoList->AddTyping(ItemNo, Index - n, Unicode);
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
    TCustomRVItemInfo* back = Item;
    Item = nullptr;
    return back;
}

void TRVUndoDeleteItemInfo::Undo(TRVEditRVData* rvData)
{
    rvData->Do_InsertItem(ItemNo, s, TakeItem(), true, FullReformat);
}

void TRVUndoModifyItemInfo::Undo(TRVEditRVData* rvData)
{
    rvData->Do_ModifyItem(ItemNo, s, TakeItem());
}

bool TRVUndoModifyItemInfo::RequiresFullReformat1(TRVEditRVData* rvData)
{
    if (!Item)
        return false;
    const int cur = rvData->CalculateMinItemWidthPlusEx(ItemNo);
    const int projected = cur - rvData->GetItem(ItemNo)->GetMinWidth(nullptr, nullptr, rvData) +
                          Item->GetMinWidth(nullptr, nullptr, rvData);
    return rvData->MinWidthChangeNeedsFull(cur, projected);
}

void TRVUndoReplaceItemInfo::Undo(TRVEditRVData* rvData)
{
    rvData->Do_ReplaceItem(ItemNo, TakeItem());
}

void TRVUndoReformateRange::Undo(TRVEditRVData* rvData)
{
    rvData->Do_ReformateRange(ItemNo, LastAffectedItemNo, SuperReformat);
}

void TRVUndoChangeVAlignInfo::Undo(TRVEditRVData* rvData)
{
    rvData->Do_ChangeVAlign(ItemNo, VAlign);
}

void TRVUndoExtraIntProperty::Undo(TRVEditRVData* rvData)
{
    StoreOldWidth(rvData);
    rvData->Do_ExtraIntProperty(ItemNo, Prop, Value);
}

void TRVUndoModifyItemTerminator::Undo(TRVEditRVData* rvData)
{
    rvData->Do_ItemModifyTerminator(ItemNo, !Opening);
}

bool TRVUndoDeleteItemInfo::RequiresFullReformat2(TRVEditRVData* rvData)
{
    return FullReformat || rvData->CalculateMinItemWidthPlusEx(ItemNo) > rvData->DocumentMinWidth;
}

TRVUndoDeleteItemsInfo::~TRVUndoDeleteItemsInfo()
{
    for (auto& entry : Kept) {
        if (List)
            List->DisposeItem(entry.second);
        else
            delete entry.second;
    }
}

void TRVUndoDeleteItemsInfo::Undo(TRVEditRVData* rvData)
{
    FAdded = static_cast<int>(Kept.size());
    TRVItemList back;
    back.swap(Kept);
    rvData->Do_InsertItems(StartItemNo, back, true, FullReformat);
    EndItemNo = StartItemNo + FAdded - 1;
}

bool TRVUndoDeleteItemsInfo::SetItemsRange(int& aStartItemNo, int& aEndItemNo, TRVEditRVData*)
{
    aStartItemNo = StartItemNo;
    aEndItemNo = LastAffectedItemNo == -1 ? StartItemNo + static_cast<int>(Kept.size()) : LastAffectedItemNo;
    return true;
}

int TRVUndoDeleteItemsInfo::ItemsAdded()
{
    return Kept.empty() ? FAdded : static_cast<int>(Kept.size());
}

bool TRVUndoDeleteItemsInfo::RequiresFullReformat2(TRVEditRVData* rvData)
{
    return FullReformat ||
           rvData->CalculateMinItemsWidthPlusEx(StartItemNo, EndItemNo) > rvData->DocumentMinWidth;
}

void TRVUndoInsertItemInfo::Undo(TRVEditRVData* rvData)
{
    rvData->Do_DeleteItem(ItemNo, FullReformat);
}

bool TRVUndoInsertItemInfo::RequiresFullReformat1(TRVEditRVData* rvData)
{
    return rvData->CalculateMinItemWidthPlusEx(ItemNo) >= rvData->DocumentMinWidth;
}

void TRVUndoInsertItemsInfo::Undo(TRVEditRVData* rvData)
{
    rvData->Do_DeleteItems(ItemNo, ItemNo + Count - 1, FullReformat);
}

bool TRVUndoInsertItemsInfo::RequiresFullReformat1(TRVEditRVData* rvData)
{
    return rvData->CalculateMinItemsWidthPlusEx(ItemNo, ItemNo + Count - 1) >= rvData->DocumentMinWidth;
}

void TRVUndoNewLineInfo::Undo(TRVEditRVData* rvData)
{
    rvData->Do_NewLine(ItemNo, SameAsPrev, ParaNo, FullReformat);
}

void TRVUndoBRInfo::Undo(TRVEditRVData* rvData)
{
    bool full = false;
    rvData->Do_BR(ItemNo, BR, full);
}

void TRVUndoPageBreakInfo::Undo(TRVEditRVData* rvData)
{
    rvData->Do_PageBreak(ItemNo, PageBreak);
}

void TRVUndoParaListInfo::Undo(TRVEditRVData* rvData)
{
    rvData->Do_ParaList(StartItemNo, Styles, FullReformat);
}

bool TRVUndoParaListInfo::SetItemsRange(int& aStartItemNo, int& aEndItemNo, TRVEditRVData*)
{
    aStartItemNo = StartItemNo;
    aEndItemNo = StartItemNo + static_cast<int>(Styles.size());
    return true;
}

void TRVUndoStyleNoInfo::Undo(TRVEditRVData* rvData)
{
    StoreOldWidth(rvData);
    rvData->Do_StyleNo(ItemNo, StyleNo);
}

void TRVUndoTagInfo::Undo(TRVEditRVData* rvData)
{
    rvData->Do_Tag(ItemNo, Tag);
}

void TRVUndoAddCPInfo::Undo(TRVEditRVData* rvData)
{
    rvData->Do_DeleteCP(ItemNo);
}

TRVUndoDeleteCPInfo::~TRVUndoDeleteCPInfo()
{
    if (Checkpoint && List && List->RVData)
        List->RVData->DisposeCheckpoint(Checkpoint);
    else
        delete Checkpoint;
}

void TRVUndoDeleteCPInfo::Undo(TRVEditRVData* rvData)
{
    TRVCPInfo* back = Checkpoint;
    Checkpoint = nullptr;
    rvData->Do_AddCP(ItemNo, back);
}
