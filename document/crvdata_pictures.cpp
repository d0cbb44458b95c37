// The item store's picture and control operations: adding picture,
// hypertext-picture and control items, and reading and changing them.
#include <memory>

#include "document/crvdata.h"
#include "document/rvitem.h"
#include "document/rvstr.h"
#include "platform/controls/controls.h"

namespace {

// Appends Item (which the store owns from then on) with its paragraph and tag.
template <class T>
void AddOwned(TCustomRVData* RVData, std::unique_ptr<T> Item, const AnsiString& Name, int ParaNo,
              const TRVTag& Tag)
{
    Item->ParaNo = ParaNo;
    Item->Tag = Tag;
    RVData->AddItem(Name, Item.get());
    Item.release();
}

} // namespace

void TCustomRVData::AddPictureExTag(const AnsiString& Name, TGraphic* Graphic, int ParaNo, TRVVAlign VAlign,
                                    const TRVTag& Tag)
{
    if (Graphic == nullptr)
        throw ERollViewError(errRVNilParameter);
    AddOwned(this, std::make_unique<TRVGraphicItemInfo>(this, Graphic, VAlign), Name, ParaNo, Tag);
}

void TCustomRVData::AddHotPictureTag(const AnsiString& Name, TGraphic* Graphic, int ParaNo, TRVVAlign VAlign,
                                     const TRVTag& Tag)
{
    if (Graphic == nullptr)
        throw ERollViewError(errRVNilParameter);
    AddOwned(this, std::make_unique<TRVHotGraphicItemInfo>(this, Graphic, VAlign), Name, ParaNo, Tag);
}

void TCustomRVData::AddControlExTag(const AnsiString& Name, TControl* Control, int ParaNo, TRVVAlign VAlign,
                                    const TRVTag& Tag)
{
    if (Control == nullptr)
        throw ERollViewError(errRVNilParameter);
    AddOwned(this, std::make_unique<TRVControlItemInfo>(this, Control, VAlign), Name, ParaNo, Tag);
    Control->SetParent(GetParentControl());
}

void TCustomRVData::GetPictureInfo(int ItemNo, AnsiString& AName, TGraphic*& AGraphic, TRVVAlign& AVAlign,
                                   TRVTag& ATag) const
{
    const TRVGraphicItemInfo* Item = CheckItemClass<TRVGraphicItemInfo>(ItemNo);
    AName = Items->Get(ItemNo);
    AGraphic = Item->Image();
    AVAlign = Item->VAlign;
    ATag = Item->Tag;
}

bool TCustomRVData::SetPictureInfo(int ItemNo, const AnsiString& AName, TGraphic* AGraphic, TRVVAlign AVAlign,
                                   const TRVTag& ATag)
{
    TRVGraphicItemInfo* Item = CheckItemClass<TRVGraphicItemInfo>(ItemNo);
    if (AGraphic == nullptr)
        throw ERollViewError(errRVNilParameter);
    const TGraphic* Old = Item->Image();
    const bool SameLayout = Old != nullptr && AGraphic->Width() == Old->Width() &&
                            AGraphic->Height() == Old->Height() && AVAlign == Item->VAlign;
    Item->SetImage(AGraphic);
    Item->VAlign = AVAlign;
    SetItemTag(ItemNo, ATag);
    Items->Put(ItemNo, AName);
    ItemTextChanged(ItemNo);
    Item->UpdatePaletteInfo(GetDoInPaletteMode(), true, GetRVPalette(), GetRVLogPalette());
    return !SameLayout;
}

void TCustomRVData::GetControlInfo(int ItemNo, AnsiString& AName, TControl*& AControl, TRVVAlign& AVAlign,
                                   TRVTag& ATag) const
{
    const TRVControlItemInfo* Item = CheckItemClass<TRVControlItemInfo>(ItemNo);
    AName = Items->Get(ItemNo);
    AControl = Item->Control();
    AVAlign = Item->VAlign;
    ATag = Item->Tag;
}

bool TCustomRVData::SetControlInfo(int ItemNo, const AnsiString& AName, TRVVAlign AVAlign, const TRVTag& ATag)
{
    TRVControlItemInfo* Item = CheckItemClass<TRVControlItemInfo>(ItemNo);
    const bool Changed = Item->VAlign != AVAlign;
    Item->VAlign = AVAlign;
    SetItemTag(ItemNo, ATag);
    Items->Put(ItemNo, AName);
    ItemTextChanged(ItemNo);
    return Changed;
}
