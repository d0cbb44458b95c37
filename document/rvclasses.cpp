// The document library's own lists: the owning object list, and the integer and colour lists.
#include "document/rvclasses.h"

#include <algorithm>

#include "platform/core/colors.h"
#include "platform/core/sysutils.h"

TRVIntegerList::TRVIntegerList(int Count, int Value)
{
    if (Count > 0)
        FItems.assign(static_cast<size_t>(Count), Value);
}

TRVIntegerList::TRVIntegerList(const TRVIntegerList* Source)
{
    Assign(Source);
}

void TRVIntegerList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(Format(SysConst::SListIndexError, {Index}));
}

int TRVIntegerList::Add(int Value)
{
    FItems.push_back(Value);
    return Count() - 1;
}

void TRVIntegerList::Insert(int Index, int Value)
{
    if (Index < 0 || Index > Count())
        throw EListError(Format(SysConst::SListIndexError, {Index}));
    FItems.insert(FItems.begin() + Index, Value);
}

void TRVIntegerList::Delete(int Index)
{
    CheckIndex(Index);
    FItems.erase(FItems.begin() + Index);
}

int TRVIntegerList::Get(int Index) const
{
    CheckIndex(Index);
    return FItems[static_cast<size_t>(Index)];
}

void TRVIntegerList::Put(int Index, int Value)
{
    CheckIndex(Index);
    FItems[static_cast<size_t>(Index)] = Value;
}

int TRVIntegerList::IndexOf(int Value) const
{
    auto it = std::find(FItems.begin(), FItems.end(), Value);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

int TRVIntegerList::AddUnique(int Value)
{
    int index = IndexOf(Value);
    return index >= 0 ? index : Add(Value);
}

void TRVIntegerList::Assign(const TRVIntegerList* Source)
{
    // Assigning a list to itself keeps it as it is (clearing first would empty it).
    if (Source == this)
        return;
    FItems.clear();
    if (Source)
        FItems = Source->FItems;
}

void TRVIntegerList::InitWith(int Value, int Count)
{
    FItems.assign(static_cast<size_t>(std::max(Count, 0)), Value);
}

void TRVIntegerList::Fill(int Value)
{
    std::fill(FItems.begin(), FItems.end(), Value);
}

void TRVIntegerList::Sort()
{
    std::sort(FItems.begin(), FItems.end());
}

void TRVColorList::AddUnique(int Color)
{
    if (Color != clNone)
        TRVIntegerList::AddUnique(Color);
}
