// A document built aside for another one, and handing its items out.
#include "document/rvasidedata.h"

#include "document/rvitem.h"

TRVAsideRVData::~TRVAsideRVData()
{
    TCustomRVData::Clear();
}

void TRVAsideRVData::DoneStyleMappings(TRVIntegerList* textMap, TRVIntegerList* paraMap,
                                       TRVIntegerList* listMap)
{
    // The maps were the target root's (InitStyleMappings asked it): it frees them.
    GetRootData()->DoneStyleMappings(textMap, paraMap, listMap);
}

std::vector<std::pair<AnsiString, TCustomRVItemInfo*>> TRVAsideRVData::TakeItems()
{
    std::vector<std::pair<AnsiString, TCustomRVItemInfo*>> items;
    const int count = GetItemCount();
    items.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        TCustomRVItemInfo* item = GetItem(i);
        if (TRVCPInfo* cp = item->GetCheckpoint()) {
            cp->Prev = nullptr;
            cp->Next = nullptr;
            cp->ItemInfo = nullptr;
        }
        items.emplace_back(Items->Get(i), item);
        Items->PutObject(i, nullptr);
    }
    Items->Clear();
    FirstCP = nullptr;
    LastCP = nullptr;
    FreeCheckpoint(NotAddedCP, false, false);
    CPCount = 0;
    return items;
}
