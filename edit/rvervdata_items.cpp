// The primitives that change item objects and item properties: exchanging
// an item object, the vertical alignment, the extra integer properties, and
// the records that only ask for a layout or bracket a change.
#include "document/rvitem.h"
#include "edit/rvervdata.h"
#include "edit/rvundorecords.h"

void TRVEditRVData::Do_ModifyItem(int ItemNo, const AnsiString& s, TCustomRVItemInfo* NewItem)
{
    TCustomRVItemInfo* Old = GetItem(ItemNo);
    if (TRVCPInfo* cp = Old->Checkpoint) {
        Old->Checkpoint = nullptr;
        NewItem->Checkpoint = cp;
        cp->ItemInfo = NewItem;
    }
    NewItem->ParaNo = Old->ParaNo;
    NewItem->ItemOptions = Old->ItemOptions;
    NewItem->JumpID = Old->JumpID;
    NewItem->DrawItemNo = Old->DrawItemNo;
    if (PartialSelectedItem == Old)
        PartialSelectedItem = NewItem;
    if (CurrentItem == Old)
        CurrentItem = NewItem;
    if (MouseCaptureItem == Old)
        MouseCaptureItem = nullptr;
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = std::make_unique<TRVUndoModifyItemInfo>();
        Record->Action = rvuModifyItem;
        Record->ItemNo = ItemNo;
        Record->s = Items->Get(ItemNo);
        TRVUndoModifyItemInfo* Raw = Record.get();
        List->AddInfo(std::move(Record));
        Raw->Item = Old;
    } else {
        InternalFreeItem(Old, false);
    }
    Items->Put(ItemNo, s);
    Items->PutObject(ItemNo, NewItem);
    InvalidateTailLayout();
}

void TRVEditRVData::Do_ReplaceItem(int ItemNo, TCustomRVItemInfo* NewItem)
{
    TCustomRVItemInfo* Old = GetItem(ItemNo);
    const int StyleNo = NewItem->StyleNo;
    NewItem->Assign(Old);
    NewItem->StyleNo = StyleNo;
    NewItem->ItemOptions = Old->ItemOptions;
    NewItem->JumpID = Old->JumpID;
    NewItem->Tag = Old->Tag;
    NewItem->DrawItemNo = Old->DrawItemNo;
    Old->Tag = TRVTag();
    if (TRVCPInfo* cp = Old->Checkpoint) {
        Old->Checkpoint = nullptr;
        NewItem->Checkpoint = cp;
        cp->ItemInfo = NewItem;
    }
    if (MouseCaptureItem == Old)
        ReleaseMouseCapture(Old);
    if (CurrentItem == Old)
        CurrentItem = NewItem;
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = std::make_unique<TRVUndoReplaceItemInfo>();
        Record->Action = rvuModifyItem;
        Record->ItemNo = ItemNo;
        TRVUndoReplaceItemInfo* Raw = Record.get();
        List->AddInfo(std::move(Record));
        Old->MovingToUndoList(ItemNo, this, nullptr);
        Raw->Item = Old;
    } else {
        FreeItem(ItemNo, false);
    }
    AnsiString Text = Items->Get(ItemNo);
    NewItem->Inserting(this, Text, false);
    Items->PutObject(ItemNo, NewItem);
    NewItem->Inserted(this, ItemNo);
    InvalidateTailLayout();
}

void TRVEditRVData::Do_ChangeVAlign(int ItemNo, TRVVAlign VAlign)
{
    auto* Item = CheckItemClass<TRVRectItemInfo>(ItemNo);
    if (Item->VAlign == VAlign)
        return;
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = std::make_unique<TRVUndoChangeVAlignInfo>();
        Record->Action = rvuChangeVAlign;
        Record->ItemNo = ItemNo;
        Record->VAlign = Item->VAlign;
        List->AddInfo(std::move(Record));
    }
    Item->VAlign = VAlign;
    InvalidateTailLayout();
}

void TRVEditRVData::Do_ExtraIntProperty(int ItemNo, TRVExtraItemProperty Prop, int Value)
{
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    int Old = 0;
    if (!Item->GetExtraIntProperty(Prop, Old) || Old == Value)
        return;
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = std::make_unique<TRVUndoExtraIntProperty>();
        Record->Action = rvuModifyItem;
        Record->ItemNo = ItemNo;
        Record->Value = Old;
        Record->Prop = Prop;
        List->AddInfo(std::move(Record));
    }
    Item->SetExtraIntProperty(Prop, Value);
    InvalidateTailLayout();
}

void TRVEditRVData::Do_ReformateRange(int StartItemNo, int EndItemNo, bool SuperReformat)
{
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = std::make_unique<TRVUndoReformateRange>();
        Record->Action = rvuMisc;
        Record->ItemNo = StartItemNo;
        Record->LastAffectedItemNo = EndItemNo;
        Record->SuperReformat = SuperReformat;
        List->AddInfo(std::move(Record));
    }
}

void TRVEditRVData::Do_ItemModifyTerminator(int ItemNo, bool Opening)
{
    if (TRVUndoList* List = GetUndoList()) {
        auto Record = std::make_unique<TRVUndoModifyItemTerminator>();
        Record->Action = rvuModifyItem;
        Record->ItemNo = ItemNo;
        Record->Opening = Opening;
        List->AddInfo(std::move(Record));
    }
}
