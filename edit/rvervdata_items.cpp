// The primitives that change item objects and item properties: exchanging
// an item object, the vertical alignment, the extra integer properties, and
// the records that only ask for a layout or bracket a change.
#include "document/rvitem.h"
#include "edit/rvervdata.h"
#include "edit/rvundorecords.h"

void TRVEditRVData::Do_ModifyItem(int itemNo, const AnsiString& s, TCustomRVItemInfo* newItem)
{
    TCustomRVItemInfo* old = GetItem(itemNo);
    if (TRVCPInfo* cp = old->GetCheckpoint()) {
        old->SetCheckpoint(nullptr);
        newItem->SetCheckpoint(cp);
        cp->ItemInfo = newItem;
    }
    newItem->ParaNo = old->ParaNo;
    newItem->ItemOptions = old->ItemOptions;
    newItem->SetJumpID(old->GetJumpID());
    newItem->DrawItemNo = old->DrawItemNo;
    if (PartialSelectedItem == old)
        PartialSelectedItem = newItem;
    if (CurrentItem == old)
        CurrentItem = newItem;
    if (MouseCaptureItem == old)
        MouseCaptureItem = nullptr;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = std::make_unique<TRVUndoModifyItemInfo>();
        record->Action = rvuModifyItem;
        record->ItemNo = itemNo;
        record->s = Items->Get(itemNo);
        TRVUndoModifyItemInfo* raw = record.get();
        list->AddInfo(std::move(record));
        raw->Item = old;
    } else {
        InternalFreeItem(old, false);
    }
    Items->Put(itemNo, s);
    Items->PutObject(itemNo, newItem);
    InvalidateTailLayout();
}

void TRVEditRVData::Do_ReplaceItem(int itemNo, TCustomRVItemInfo* newItem)
{
    TCustomRVItemInfo* old = GetItem(itemNo);
    const int styleNo = newItem->StyleNo;
    newItem->Assign(old);
    newItem->StyleNo = styleNo;
    newItem->ItemOptions = old->ItemOptions;
    newItem->SetJumpID(old->GetJumpID());
    newItem->SetTag(old->GetTag());
    newItem->DrawItemNo = old->DrawItemNo;
    old->SetTag(TRVTag());
    if (TRVCPInfo* cp = old->GetCheckpoint()) {
        old->SetCheckpoint(nullptr);
        newItem->SetCheckpoint(cp);
        cp->ItemInfo = newItem;
    }
    if (MouseCaptureItem == old)
        ReleaseMouseCapture(old);
    if (CurrentItem == old)
        CurrentItem = newItem;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = std::make_unique<TRVUndoReplaceItemInfo>();
        record->Action = rvuModifyItem;
        record->ItemNo = itemNo;
        TRVUndoReplaceItemInfo* raw = record.get();
        list->AddInfo(std::move(record));
        old->MovingToUndoList(itemNo, this, nullptr);
        raw->Item = old;
    } else {
        FreeItem(itemNo, false);
    }
    AnsiString text = Items->Get(itemNo);
    newItem->Inserting(this, text, false);
    Items->PutObject(itemNo, newItem);
    newItem->Inserted(this, itemNo);
    InvalidateTailLayout();
}

void TRVEditRVData::Do_ChangeVAlign(int itemNo, TRVVAlign vAlign)
{
    auto* item = CheckItemClass<TRVRectItemInfo>(itemNo);
    if (item->VAlign == vAlign)
        return;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = std::make_unique<TRVUndoChangeVAlignInfo>();
        record->Action = rvuChangeVAlign;
        record->ItemNo = itemNo;
        record->VAlign = item->VAlign;
        list->AddInfo(std::move(record));
    }
    item->VAlign = vAlign;
    InvalidateTailLayout();
}

void TRVEditRVData::Do_ExtraIntProperty(int itemNo, TRVExtraItemProperty prop, int value)
{
    TCustomRVItemInfo* item = GetItem(itemNo);
    int old = 0;
    if (!item->GetExtraIntProperty(prop, old) || old == value)
        return;
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = std::make_unique<TRVUndoExtraIntProperty>();
        record->Action = rvuModifyItem;
        record->ItemNo = itemNo;
        record->Value = old;
        record->Prop = prop;
        list->AddInfo(std::move(record));
    }
    item->SetExtraIntProperty(prop, value);
    InvalidateTailLayout();
}

void TRVEditRVData::Do_ReformateRange(int startItemNo, int endItemNo, bool superReformat)
{
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = std::make_unique<TRVUndoReformateRange>();
        record->Action = rvuMisc;
        record->ItemNo = startItemNo;
        record->LastAffectedItemNo = endItemNo;
        record->SuperReformat = superReformat;
        list->AddInfo(std::move(record));
    }
}

void TRVEditRVData::Do_ItemModifyTerminator(int itemNo, bool opening)
{
    if (TRVUndoList* list = NoteEditAndGetUndoList()) {
        auto record = std::make_unique<TRVUndoModifyItemTerminator>();
        record->Action = rvuModifyItem;
        record->ItemNo = itemNo;
        record->Opening = opening;
        list->AddInfo(std::move(record));
    }
}
