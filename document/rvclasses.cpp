// The document library's own lists: the owning object list, and the integer and colour lists.
#include "document/rvclasses.h"

#include <algorithm>

#include "platform/core/colors.h"
#include "platform/core/sysutils.h"

TRVIntegerList::TRVIntegerList(int count, int value)
{
    if (count > 0)
        FItems.assign(static_cast<size_t>(count), value);
}

TRVIntegerList::TRVIntegerList(const TRVIntegerList* source)
{
    Assign(source);
}

void TRVIntegerList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(Format(SysConst::SListIndexError, {index}));
}

int TRVIntegerList::Add(int value)
{
    FItems.push_back(value);
    return Count() - 1;
}

void TRVIntegerList::Insert(int index, int value)
{
    if (index < 0 || index > Count())
        throw EListError(Format(SysConst::SListIndexError, {index}));
    FItems.insert(FItems.begin() + index, value);
}

void TRVIntegerList::Delete(int index)
{
    CheckIndex(index);
    FItems.erase(FItems.begin() + index);
}

int TRVIntegerList::Get(int index) const
{
    CheckIndex(index);
    return FItems[static_cast<size_t>(index)];
}

void TRVIntegerList::Put(int index, int value)
{
    CheckIndex(index);
    FItems[static_cast<size_t>(index)] = value;
}

int TRVIntegerList::IndexOf(int value) const
{
    auto it = std::find(FItems.begin(), FItems.end(), value);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

int TRVIntegerList::AddUnique(int value)
{
    int index = IndexOf(value);
    return index >= 0 ? index : Add(value);
}

void TRVIntegerList::Assign(const TRVIntegerList* source)
{
    // Assigning a list to itself keeps it as it is (clearing first would empty it).
    if (source == this)
        return;
    FItems.clear();
    if (source)
        FItems = source->FItems;
}

void TRVIntegerList::InitWith(int value, int count)
{
    FItems.assign(static_cast<size_t>(std::max(count, 0)), value);
}

void TRVIntegerList::Fill(int value)
{
    std::fill(FItems.begin(), FItems.end(), value);
}

void TRVIntegerList::Sort()
{
    std::sort(FItems.begin(), FItems.end());
}

void TRVColorList::AddUnique(int color)
{
    if (color != clNone)
        TRVIntegerList::AddUnique(color);
}
