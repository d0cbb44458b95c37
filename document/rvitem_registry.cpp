// The item-class registry and the factory that turns an item-type code into a
// new item, and the duplication of items.
#include <memory>
#include <vector>

#include "document/crvdata.h"
#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "document/rvstr.h"

TRVItemClass RollViewTextItemClass = RVItemClassOf<TRVTextItemInfo>();

namespace {

// One registered code and its class.
struct TRollViewItemTypeInfo {
    int StyleNo;
    TRVItemClass ItemClass;
};

// The registry, made on first use so that registrations from other units'
// start-up code find it whatever the order of start-up.
std::vector<TRollViewItemTypeInfo>& Registry()
{
    static std::vector<TRollViewItemTypeInfo> List;
    return List;
}

// The built-in class of a code from -11 to -1; null for the reserved codes.
TRVItemClass BuiltInClass(int StyleNo)
{
    switch (StyleNo) {
    case rvsBreak:
        return RVItemClassOf<TRVBreakItemInfo>();
    case rvsPicture:
        return RVItemClassOf<TRVGraphicItemInfo>();
    case rvsComponent:
        return RVItemClassOf<TRVControlItemInfo>();
    case rvsHotPicture:
        return RVItemClassOf<TRVHotGraphicItemInfo>();
    case rvsHotspot:
        return RVItemClassOf<TRVHotspotItemInfo>();
    case rvsBullet:
        return RVItemClassOf<TRVBulletItemInfo>();
    case rvsListMarker:
        return RVItemClassOf<TRVMarkerItemInfo>();
    default:
        return nullptr;
    }
}

} // namespace

void RegisterRollViewItemClass(int StyleNo, TRVItemClass ItemClass)
{
    if (StyleNo >= -9)
        throw ERollViewError(errRVItemTypeRegistered);
    auto& List = Registry();
    for (const TRollViewItemTypeInfo& Info : List) {
        if (Info.StyleNo != StyleNo)
            continue;
        if (Info.ItemClass == ItemClass)
            return;
        throw ERollViewError(errRVItemTypeRegistered);
    }
    List.push_back({StyleNo, ItemClass});
}

TCustomRVItemInfo* CreateRollViewItem(int StyleNo, TCustomRVData* RVData)
{
    TRVItemClass ItemClass = nullptr;
    if (StyleNo >= 0)
        ItemClass = RollViewTextItemClass;
    else if (StyleNo >= -11)
        ItemClass = BuiltInClass(StyleNo);
    if (ItemClass == nullptr) {
        for (const TRollViewItemTypeInfo& Info : Registry())
            if (Info.StyleNo == StyleNo) {
                ItemClass = Info.ItemClass;
                break;
            }
    }
    if (ItemClass == nullptr)
        return nullptr;
    TCustomRVItemInfo* Item = ItemClass->Create(RVData);
    Item->StyleNo = StyleNo;
    return Item;
}

TCustomRVItemInfo* RV_DuplicateItem(const TCustomRVItemInfo* Source, TCustomRVData* RVData)
{
    const bool TagsArePChars = RVData != nullptr && RVData->GetOptions().Contains(rvoTagsArePChars);
    std::unique_ptr<TCustomRVItemInfo> Copy(Source->GetItemClass()->Create(RVData));
    Copy->Assign(Source);
    if (Source->Checkpoint != nullptr)
        Copy->Checkpoint = Source->Checkpoint->CreateCopy(TagsArePChars);
    Copy->Tag = RV_CopyTag(Source->Tag, TagsArePChars);
    return Copy.release();
}
