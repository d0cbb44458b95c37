// The item-class registry and the factory that turns an item-type code into a
// new item, and the duplication of items.
#include <memory>
#include <vector>

#include "document/crvdata.h"
#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
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
    static std::vector<TRollViewItemTypeInfo> list;
    return list;
}

// The built-in class of a code from -11 to -1; null for the reserved codes.
TRVItemClass BuiltInClass(int styleNo)
{
    switch (styleNo) {
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

void RegisterRollViewItemClass(int styleNo, TRVItemClass itemClass)
{
    if (styleNo >= -9)
        throw ERollViewError(errRVItemTypeRegistered);
    auto& list = Registry();
    for (const TRollViewItemTypeInfo& info : list) {
        if (info.StyleNo != styleNo)
            continue;
        if (info.ItemClass == itemClass)
            return;
        throw ERollViewError(errRVItemTypeRegistered);
    }
    list.push_back({styleNo, itemClass});
}

TCustomRVItemInfo* CreateRollViewItem(int styleNo, TCustomRVData* rvData)
{
    TRVItemClass itemClass = nullptr;
    if (styleNo >= 0)
        itemClass = RollViewTextItemClass;
    else if (styleNo >= -11)
        itemClass = BuiltInClass(styleNo);
    if (itemClass == nullptr) {
        for (const TRollViewItemTypeInfo& info : Registry())
            if (info.StyleNo == styleNo) {
                itemClass = info.ItemClass;
                break;
            }
    }
    if (itemClass == nullptr)
        return nullptr;
    TCustomRVItemInfo* item = itemClass->Create(rvData);
    item->StyleNo = styleNo;
    return item;
}

TCustomRVItemInfo* RV_DuplicateItem(const TCustomRVItemInfo* source, TCustomRVData* rvData)
{
    const bool tagsArePChars = rvData != nullptr && rvData->GetOptions().Contains(rvoTagsArePChars);
    std::unique_ptr<TCustomRVItemInfo> copy(source->GetItemClass()->Create(rvData));
    copy->Assign(source);
    if (source->GetCheckpoint() != nullptr)
        copy->SetCheckpoint(source->GetCheckpoint()->CreateCopy(tagsArePChars));
    copy->SetTag(RV_CopyTag(source->GetTag(), tagsArePChars));
    return copy.release();
}
