// The item store's picture and control operations: adding picture,
// hypertext-picture and control items, and reading and changing them.
#include <memory>

#include "document/crvdata.h"
#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
#include "document/rvstr.h"
#include "platform/controls/controls.h"

namespace {

// Appends Item (which the store owns from then on) with its paragraph and tag.
template <class T>
void AddOwned(TCustomRVData* rvData, std::unique_ptr<T> item, const AnsiString& name, int paraNo,
              const TRVTag& tag)
{
    item->ParaNo = paraNo;
    item->SetTag(tag);
    rvData->AddItem(name, item.get());
    item.release();
}

} // namespace

void TCustomRVData::AddPictureExTag(const AnsiString& name, TGraphic* graphic, int paraNo, TRVVAlign vAlign,
                                    const TRVTag& tag)
{
    if (graphic == nullptr)
        throw ERollViewError(errRVNilParameter);
    AddOwned(this, std::make_unique<TRVGraphicItemInfo>(this, graphic, vAlign), name, paraNo, tag);
}

void TCustomRVData::AddHotPictureTag(const AnsiString& name, TGraphic* graphic, int paraNo, TRVVAlign vAlign,
                                     const TRVTag& tag)
{
    if (graphic == nullptr)
        throw ERollViewError(errRVNilParameter);
    AddOwned(this, std::make_unique<TRVHotGraphicItemInfo>(this, graphic, vAlign), name, paraNo, tag);
}

void TCustomRVData::AddControlExTag(const AnsiString& name, TControl* control, int paraNo, TRVVAlign vAlign,
                                    const TRVTag& tag)
{
    if (control == nullptr)
        throw ERollViewError(errRVNilParameter);
    AddOwned(this, std::make_unique<TRVControlItemInfo>(this, control, vAlign), name, paraNo, tag);
    control->SetParent(GetParentControl());
}

void TCustomRVData::GetPictureInfo(int itemNo, AnsiString& aName, TGraphic*& aGraphic, TRVVAlign& avAlign,
                                   TRVTag& aTag) const
{
    const TRVGraphicItemInfo* item = CheckItemClass<TRVGraphicItemInfo>(itemNo);
    aName = Items->Get(itemNo);
    aGraphic = item->Image();
    avAlign = item->VAlign;
    aTag = item->GetTag();
}

bool TCustomRVData::SetPictureInfo(int itemNo, const AnsiString& aName, TGraphic* aGraphic, TRVVAlign avAlign,
                                   const TRVTag& aTag)
{
    NoteChange();
    TRVGraphicItemInfo* item = CheckItemClass<TRVGraphicItemInfo>(itemNo);
    if (aGraphic == nullptr)
        throw ERollViewError(errRVNilParameter);
    const TGraphic* old = item->Image();
    const bool sameLayout = old != nullptr && aGraphic->Width() == old->Width() &&
                            aGraphic->Height() == old->Height() && avAlign == item->VAlign;
    item->SetImage(aGraphic);
    item->VAlign = avAlign;
    SetItemTag(itemNo, aTag);
    Items->Put(itemNo, aName);
    ItemTextChanged(itemNo);
    UpdateItemPaletteInfo(item, true);
    return !sameLayout;
}

void TCustomRVData::GetControlInfo(int itemNo, AnsiString& aName, TControl*& aControl, TRVVAlign& avAlign,
                                   TRVTag& aTag) const
{
    const TRVControlItemInfo* item = CheckItemClass<TRVControlItemInfo>(itemNo);
    aName = Items->Get(itemNo);
    aControl = item->Control();
    avAlign = item->VAlign;
    aTag = item->GetTag();
}

bool TCustomRVData::SetControlInfo(int itemNo, const AnsiString& aName, TRVVAlign avAlign, const TRVTag& aTag)
{
    NoteChange();
    TRVControlItemInfo* item = CheckItemClass<TRVControlItemInfo>(itemNo);
    const bool changed = item->VAlign != avAlign;
    item->VAlign = avAlign;
    SetItemTag(itemNo, aTag);
    Items->Put(itemNo, aName);
    ItemTextChanged(itemNo);
    return changed;
}
