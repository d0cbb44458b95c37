// The editor control's item operations: reading the item at the caret,
// changing the properties of any item as one undo group each (the item's
// paragraph laid out again when its size may have changed), embedded controls
// and checkpoints.
#include <memory>

#include "document/rvfuncs.h"
#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
#include "document/rvstr.h"
#include "edit/rollviewedit.h"
#include "platform/graphics/graphic.h"

template <class T> T* TCustomRollViewEdit::BeginItemChange(int itemNo, TRVUndoType undoType)
{
    if (!BeforeChange(false))
        return nullptr;
    // The class is checked before any group is opened: a wrong item changes nothing.
    T* item = EditRVData()->CheckItemClass<T>(itemNo);
    EditRVData()->BeginUndoSequence(undoType, true);
    return item;
}

// Exchanges item ItemNo for NewItem (taken) in the open group, laying its
// paragraph out again for the new item's size.
void TCustomRollViewEdit::ReplaceItem(int itemNo, TCustomRVItemInfo* newItem, const AnsiString& name)
{
    TRVEditRVData* data = EditRVData();
    int itemData = 0;
    data->BeginItemModify(itemNo, itemData);
    data->Do_ModifyItem(itemNo, name, newItem);
    data->EndItemModify(itemNo, itemData);
    Invalidate();
    Change();
}

// ---------------------------------------------------------------------------
// The item at the caret

TCustomRVItemInfo* TCustomRollViewEdit::GetCurrentItem()
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentItem();
    const int itemNo = GetCurItemNo();
    return itemNo >= 0 ? EditRVData()->GetItem(itemNo) : nullptr;
}

bool TCustomRollViewEdit::GetCurrentItemEx(TRVItemClass requiredClass, TCustomRollViewEdit*& editor,
                                           TCustomRVItemInfo*& item)
{
    editor = nullptr;
    item = nullptr;
    const int itemNo = GetCurItemNo();
    if (itemNo >= 0 && requiredClass && requiredClass->IsInstance(EditRVData()->GetItem(itemNo))) {
        editor = this;
        item = EditRVData()->GetItem(itemNo);
    }
    if (TCustomRollViewEdit* inner = CellEditor(); inner && inner->GetCurItemNo() >= 0) {
        TCustomRollViewEdit* innerEditor = nullptr;
        TCustomRVItemInfo* innerItem = nullptr;
        if (inner->GetCurrentItemEx(requiredClass, innerEditor, innerItem)) {
            editor = innerEditor;
            item = innerItem;
        }
    }
    return item != nullptr;
}

void TCustomRollViewEdit::GetCurrentBreakInfo(uint8_t& width, TRVBreakStyle& style, TColor& color,
                                              TRVTag& tag)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentBreakInfo(width, style, color, tag);
    GetBreakInfo(GetCurItemNo(), width, style, color, tag);
}

void TCustomRollViewEdit::GetCurrentBulletInfo(AnsiString& name, int& imageIndex,
                                               TCustomImageList*& imageList, TRVTag& tag)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentBulletInfo(name, imageIndex, imageList, tag);
    GetBulletInfo(GetCurItemNo(), name, imageIndex, imageList, tag);
}

void TCustomRollViewEdit::GetCurrentHotspotInfo(AnsiString& name, int& imageIndex, int& hotImageIndex,
                                                TCustomImageList*& imageList, TRVTag& tag)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentHotspotInfo(name, imageIndex, hotImageIndex, imageList, tag);
    GetHotspotInfo(GetCurItemNo(), name, imageIndex, hotImageIndex, imageList, tag);
}

void TCustomRollViewEdit::GetCurrentPictureInfo(AnsiString& name, TGraphic*& graphic, TRVVAlign& vAlign,
                                                TRVTag& tag)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentPictureInfo(name, graphic, vAlign, tag);
    GetPictureInfo(GetCurItemNo(), name, graphic, vAlign, tag);
}

void TCustomRollViewEdit::GetCurrentControlInfo(AnsiString& name, TControl*& control, TRVVAlign& vAlign,
                                                TRVTag& tag)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentControlInfo(name, control, vAlign, tag);
    GetControlInfo(GetCurItemNo(), name, control, vAlign, tag);
}

void TCustomRollViewEdit::GetCurrentTextInfo(AnsiString& text, TRVTag& tag)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentTextInfo(text, tag);
    GetTextInfo(GetCurItemNo(), text, tag);
}

TRVTag TCustomRollViewEdit::GetCurrentTag()
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentTag();
    EditRVData()->PrepareForEdit();
    const int itemNo = GetCurItemNo();
    return itemNo >= 0 ? GetItemTag(itemNo) : TRVTag();
}

AnsiString TCustomRollViewEdit::GetCurrentItemText()
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentItemText();
    EditRVData()->PrepareForEdit();
    const int itemNo = GetCurItemNo();
    return itemNo >= 0 ? GetItemText(itemNo) : AnsiString();
}

AnsiString TCustomRollViewEdit::GetCurrentItemTextA()
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentItemTextA();
    EditRVData()->PrepareForEdit();
    const int itemNo = GetCurItemNo();
    return itemNo >= 0 ? GetItemTextA(itemNo) : AnsiString();
}

WideString TCustomRollViewEdit::GetCurrentItemTextW()
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentItemTextW();
    EditRVData()->PrepareForEdit();
    const int itemNo = GetCurItemNo();
    return itemNo >= 0 ? GetItemTextW(itemNo) : WideString();
}

bool TCustomRollViewEdit::GetCurrentItemExtraIntProperty(TRVExtraItemProperty prop, int& value)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentItemExtraIntProperty(prop, value);
    const int itemNo = GetCurItemNo();
    return itemNo >= 0 && GetItemExtraIntProperty(itemNo, prop, value);
}

void TCustomRollViewEdit::SetCurrentBreakInfo(uint8_t width, TRVBreakStyle style, TColor color,
                                              const TRVTag& tag)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->SetCurrentBreakInfo(width, style, color, tag);
    SetBreakInfoEd(GetCurItemNo(), width, style, color, tag);
}

void TCustomRollViewEdit::SetCurrentBulletInfo(const AnsiString& name, int imageIndex,
                                               TCustomImageList* imageList, const TRVTag& tag)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->SetCurrentBulletInfo(name, imageIndex, imageList, tag);
    SetBulletInfoEd(GetCurItemNo(), name, imageIndex, imageList, tag);
}

void TCustomRollViewEdit::SetCurrentHotspotInfo(const AnsiString& name, int imageIndex, int hotImageIndex,
                                                TCustomImageList* imageList, const TRVTag& tag)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->SetCurrentHotspotInfo(name, imageIndex, hotImageIndex, imageList, tag);
    SetHotspotInfoEd(GetCurItemNo(), name, imageIndex, hotImageIndex, imageList, tag);
}

void TCustomRollViewEdit::SetCurrentPictureInfo(const AnsiString& name, TGraphic* graphic, TRVVAlign vAlign,
                                                const TRVTag& tag)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->SetCurrentPictureInfo(name, graphic, vAlign, tag);
    SetPictureInfoEd(GetCurItemNo(), name, graphic, vAlign, tag);
}

void TCustomRollViewEdit::SetCurrentControlInfo(const AnsiString& name, TRVVAlign vAlign, const TRVTag& tag)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->SetCurrentControlInfo(name, vAlign, tag);
    SetControlInfoEd(GetCurItemNo(), name, vAlign, tag);
}

void TCustomRollViewEdit::SetCurrentItemText(const AnsiString& s)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->SetCurrentItemText(s);
    SetItemTextEd(GetCurItemNo(), s);
}

void TCustomRollViewEdit::SetCurrentItemTextA(const AnsiString& s)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->SetCurrentItemTextA(s);
    EditRVData()->PrepareForEdit();
    SetItemTextEdA(GetCurItemNo(), s);
}

void TCustomRollViewEdit::SetCurrentItemTextW(const WideString& s)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->SetCurrentItemTextW(s);
    EditRVData()->PrepareForEdit();
    SetItemTextEdW(GetCurItemNo(), s);
}

void TCustomRollViewEdit::SetCurrentItemExtraIntProperty(TRVExtraItemProperty prop, int value,
                                                         bool autoReformat)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->SetCurrentItemExtraIntProperty(prop, value, autoReformat);
    SetItemExtraIntPropertyEd(GetCurItemNo(), prop, value, autoReformat);
}

void TCustomRollViewEdit::SetCurrentTag(const TRVTag& tag)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->SetCurrentTag(tag);
    // Asking BeforeChange is SetItemTagEd's, once the tag differs.
    if (const int itemNo = GetCurItemNo(); itemNo >= 0)
        SetItemTagEd(itemNo, tag);
}

void TCustomRollViewEdit::ResizeCurrentControl(int width, int height)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->ResizeCurrentControl(width, height);
    ResizeControl(GetCurItemNo(), width, height);
}

void TCustomRollViewEdit::BeginItemModify(int itemNo, int& itemData)
{
    EditRVData()->BeginItemModify(itemNo, itemData);
}

void TCustomRollViewEdit::EndItemModify(int itemNo, int itemData)
{
    EditRVData()->EndItemModify(itemNo, itemData);
}

void TCustomRollViewEdit::BeginCurrentItemModify(int& itemData)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->BeginCurrentItemModify(itemData);
    BeginItemModify(GetCurItemNo(), itemData);
}

void TCustomRollViewEdit::EndCurrentItemModify(int itemData)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->EndCurrentItemModify(itemData);
    EndItemModify(GetCurItemNo(), itemData);
}

// ---------------------------------------------------------------------------
// Any item

void TCustomRollViewEdit::SetBreakInfoEd(int itemNo, uint8_t width, TRVBreakStyle style, TColor color,
                                         const TRVTag& tag)
{
    if (!BeginItemChange<TRVBreakItemInfo>(itemNo, rvutModifyItem))
        return;
    auto* item = new TRVBreakItemInfo(EditRVData(), width, style, color);
    item->SetTag(tag);
    ReplaceItem(itemNo, item, AnsiString());
}

void TCustomRollViewEdit::SetBulletInfoEd(int itemNo, const AnsiString& name, int imageIndex,
                                          TCustomImageList*, const TRVTag& tag)
{
    auto* old = BeginItemChange<TRVBulletItemInfo>(itemNo, rvutModifyItem);
    if (!old)
        return;
    auto* item = new TRVBulletItemInfo(EditRVData(), imageIndex, old->ImageList, old->VAlign);
    item->SetTag(tag);
    ReplaceItem(itemNo, item, name);
}

void TCustomRollViewEdit::SetHotspotInfoEd(int itemNo, const AnsiString& name, int imageIndex,
                                           int hotImageIndex, TCustomImageList*, const TRVTag& tag)
{
    auto* old = BeginItemChange<TRVHotspotItemInfo>(itemNo, rvutModifyItem);
    if (!old)
        return;
    auto* item = new TRVHotspotItemInfo(EditRVData(), imageIndex, hotImageIndex, old->ImageList, old->VAlign);
    item->SetTag(tag);
    ReplaceItem(itemNo, item, name);
}

void TCustomRollViewEdit::SetPictureInfoEd(int itemNo, const AnsiString& name, TGraphic* graphic,
                                           TRVVAlign vAlign, const TRVTag& tag)
{
    auto* old = BeginItemChange<TRVGraphicItemInfo>(itemNo, rvutModifyItem);
    if (!old)
        return;
    TRVEditRVData* data = EditRVData();
    int itemData = 0;
    data->BeginItemModify(itemNo, itemData);
    const TGraphic* oldGraphic = old->Image();
    const bool sameSize = graphic && oldGraphic && graphic->Width() == oldGraphic->Width() &&
                          graphic->Height() == oldGraphic->Height();
    const bool reformat = !sameSize || vAlign != old->VAlign;
    // A new item of the item's own class with the old one's properties: it
    // holds a copy of the old picture, which the new picture replaces (the
    // item's own picture stays as that copy, the old item keeping its own for undo).
    std::unique_ptr<TCustomRVItemInfo> made(old->GetItemClass()->Create(data));
    auto* item = dynamic_cast<TRVGraphicItemInfo*>(made.get());
    if (!item)
        throw ERollViewError(errRVItemInfoKind);
    item->Assign(old);
    if (graphic != oldGraphic)
        item->SetImage(graphic);
    item->VAlign = vAlign;
    item->SetTag(tag);
    data->Do_ModifyItem(itemNo, name, made.release());
    if (reformat)
        data->EndItemModify(itemNo, itemData);
    Invalidate();
    Change();
}

void TCustomRollViewEdit::SetControlInfoEd(int itemNo, const AnsiString& name, TRVVAlign vAlign,
                                           const TRVTag& tag)
{
    auto* item = BeginItemChange<TRVControlItemInfo>(itemNo, rvutModifyItem);
    if (!item)
        return;
    TRVEditRVData* data = EditRVData();
    const bool realign = item->VAlign != vAlign;
    data->SetUndoGroupMode(true);
    try {
        data->Do_ChangeText(itemNo, name);
        data->Do_ChangeVAlign(itemNo, vAlign);
        data->Do_Tag(itemNo, tag);
    } catch (...) {
        data->SetUndoGroupMode(false);
        throw;
    }
    data->SetUndoGroupMode(false);
    if (realign)
        data->Reformat(false, itemNo);
    Change();
}

void TCustomRollViewEdit::SetItemTextEd(int itemNo, const AnsiString& s)
{
    if (!BeforeChange(false))
        return;
    TRVEditRVData* data = EditRVData();
    data->BeginUndoSequence(rvutModifyItem, true);
    int itemData = 0;
    data->BeginItemModify(itemNo, itemData);
    data->Do_ChangeText(itemNo, s);
    data->EndItemModify(itemNo, itemData);
    Change();
}

void TCustomRollViewEdit::SetItemTextEdA(int itemNo, const AnsiString& s)
{
    SetItemTextEd(itemNo, EditRVData()->GetTextInItemFormatA(itemNo, s));
}

void TCustomRollViewEdit::SetItemTextEdW(int itemNo, const WideString& s)
{
    SetItemTextEd(itemNo, EditRVData()->GetTextInItemFormatW(itemNo, s));
}

void TCustomRollViewEdit::SetItemTagEd(int itemNo, const TRVTag& tag)
{
    if (EditRVData()->GetItem(itemNo)->GetTag() == tag || !BeforeChange(false))
        return;
    EditRVData()->BeginUndoSequence(rvutTag, true);
    EditRVData()->Do_Tag(itemNo, tag);
    Change();
}

void TCustomRollViewEdit::SetItemExtraIntPropertyEd(int itemNo, TRVExtraItemProperty prop, int value,
                                                    bool autoReformat)
{
    TRVEditRVData* data = EditRVData();
    int old = 0;
    if (!data->GetItem(itemNo)->GetExtraIntProperty(prop, old) || old == value || !BeforeChange(false))
        return;
    data->BeginUndoSequence(rvutModifyItem, true);
    int itemData = 0;
    if (autoReformat)
        data->BeginItemModify(itemNo, itemData);
    data->Do_ExtraIntProperty(itemNo, prop, value);
    if (autoReformat) {
        data->EndItemModify(itemNo, itemData);
        Change();
    }
}

void TCustomRollViewEdit::ResizeControl(int itemNo, int width, int height)
{
    TRVEditRVData* data = EditRVData();
    data->CheckItemClass<TRVControlItemInfo>(itemNo);
    data->BeginUndoSequence(rvutModifyItem, true);
    data->Do_Resize(itemNo, width, height, true);
    Change();
}

void TCustomRollViewEdit::AdjustControlPlacement(int itemNo)
{
    EditRVData()->AdjustControlPlacement(itemNo);
}

void TCustomRollViewEdit::AdjustControlPlacement2(TControl* control)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        inner->AdjustControlPlacement2(control);
    const int itemNo = FindControlItemNo(control);
    if (itemNo >= 0)
        EditRVData()->AdjustControlPlacement(itemNo);
}

namespace {

// The picture item ItemNo (the caret's below 0) when it has the item-type code StyleNo.
int PictureItemOf(TCustomRollViewEdit& editor, int itemNo, int styleNo)
{
    if (itemNo < 0)
        itemNo = editor.GetCurItemNo();
    TRVEditRVData* data = editor.EditRVData();
    return itemNo >= 0 && itemNo < data->GetItemCount() && data->GetItemStyle(itemNo) == styleNo ? itemNo
                                                                                                 : -1;
}

} // namespace

void TCustomRollViewEdit::ConvertToHotPicture(int itemNo)
{
    itemNo = PictureItemOf(*this, itemNo, rvsPicture);
    if (itemNo < 0 || !BeforeChange(false))
        return;
    TRVEditRVData* data = EditRVData();
    data->BeginUndoSequence(rvutModifyItem, true);
    data->Do_ReplaceItem(itemNo, new TRVHotGraphicItemInfo(data, nullptr, rvvaBaseline));
    Invalidate();
    Change();
}

void TCustomRollViewEdit::ConvertToPicture(int itemNo)
{
    itemNo = PictureItemOf(*this, itemNo, rvsHotPicture);
    if (itemNo < 0 || !BeforeChange(false))
        return;
    TRVEditRVData* data = EditRVData();
    data->BeginUndoSequence(rvutModifyItem, true);
    data->Do_ReplaceItem(itemNo, new TRVGraphicItemInfo(data, nullptr, rvvaBaseline));
    Invalidate();
    Change();
}

// ---------------------------------------------------------------------------
// Checkpoints

void TCustomRollViewEdit::SetCheckpointInfoEd(int itemNo, const TRVTag& tag, const AnsiString& name,
                                              bool raiseEvent)
{
    TRVEditRVData* data = EditRVData();
    TCustomRVItemInfo* item = data->GetItem(itemNo);
    if (!BeforeChange(false))
        return;
    // Copies first: Tag and Name may belong to the checkpoint that goes.
    auto checkpoint = std::make_unique<TRVCPInfo>();
    checkpoint->Name = name;
    checkpoint->Tag = tag;
    checkpoint->RaiseEvent = raiseEvent;
    data->BeginUndoSequence(item->GetCheckpoint() ? rvutModifyCheckpoint : rvutAddCheckpoint, true);
    if (item->GetCheckpoint())
        data->Do_DeleteCP(itemNo);
    data->Do_AddCP(itemNo, checkpoint.release());
    Change();
    Invalidate();
}

void TCustomRollViewEdit::RemoveCheckpointEd(int itemNo)
{
    TRVEditRVData* data = EditRVData();
    if (!data->GetItem(itemNo)->GetCheckpoint() || !BeforeChange(false))
        return;
    data->BeginUndoSequence(rvutRemoveCheckpoint, true);
    data->Do_DeleteCP(itemNo);
    Change();
    Invalidate();
}

void TCustomRollViewEdit::SetCurrentCheckpointInfo(const TRVTag& tag, const AnsiString& name, bool raiseEvent)
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->SetCurrentCheckpointInfo(tag, name, raiseEvent);
    const int itemNo = GetCurItemNo();
    if (itemNo >= 0)
        SetCheckpointInfoEd(itemNo, tag, name, raiseEvent);
}

TRVCPInfo* TCustomRollViewEdit::GetCurrentCheckpoint()
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->GetCurrentCheckpoint();
    const int itemNo = GetCurItemNo();
    return itemNo >= 0 ? GetItemCheckpoint(itemNo) : nullptr;
}

void TCustomRollViewEdit::RemoveCurrentCheckpoint()
{
    if (TCustomRollViewEdit* inner = CellEditor())
        return inner->RemoveCurrentCheckpoint();
    const int itemNo = GetCurItemNo();
    if (itemNo >= 0)
        RemoveCheckpointEd(itemNo);
}
