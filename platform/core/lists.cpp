// TList and TObjectList over the entries they share. An owning list always
// takes an entry out before it frees it, so that an entry whose destructor
// looks at or changes the list never sees itself there and is never freed twice.
#include "platform/core/lists.h"

#include <algorithm>

#include "platform/core/sysutils.h"

namespace {

[[noreturn]] void ListError(const char* message, int data)
{
    throw EListError(Format(message, {data}));
}

// An index where an entry may be inserted: 0 .. Count.
void CheckInsertIndex(int index, int count)
{
    if (index < 0 || index > count)
        ListError(SysConst::SListIndexError, index);
}

} // namespace

void RV_ListIndexError(int index)
{
    ListError(SysConst::SListIndexError, index);
}

// ---------------------------------------------------------------------------
// The shared entries

template <class T> void TListEntries<T>::SetCapacity(int newCapacity)
{
    if (newCapacity < Count())
        ListError(SysConst::SListCapacityError, newCapacity);
    const auto wanted = static_cast<size_t>(newCapacity);
    if (wanted > FItems.capacity()) {
        FItems.reserve(wanted);
    } else if (wanted < FItems.capacity()) {
        std::vector<T> smaller;
        smaller.reserve(wanted);
        smaller.assign(FItems.begin(), FItems.end());
        FItems.swap(smaller);
    }
}

template <class T> void TListEntries<T>::SetCount(int newCount)
{
    if (newCount < 0)
        ListError(SysConst::SListCountError, newCount);
    FItems.resize(static_cast<size_t>(newCount), nullptr);
}

template <class T> T TListEntries<T>::Put(int index, T item)
{
    CheckIndex(index);
    T& entry = FItems[static_cast<size_t>(index)];
    T old = entry;
    entry = item;
    return old;
}

template <class T> int TListEntries<T>::Add(T item)
{
    GrowListForOne(FItems);
    FItems.push_back(item);
    return Count() - 1;
}

template <class T> void TListEntries<T>::Insert(int index, T item)
{
    CheckInsertIndex(index, Count());
    GrowListForOne(FItems);
    FItems.insert(FItems.begin() + index, item);
}

template <class T> void TListEntries<T>::InsertNulls(int index, int count)
{
    CheckInsertIndex(index, Count());
    if (count > 0)
        FItems.insert(FItems.begin() + index, static_cast<size_t>(count), nullptr);
}

template <class T> T TListEntries<T>::ExtractAt(int index)
{
    CheckIndex(index);
    T item = FItems[static_cast<size_t>(index)];
    FItems.erase(FItems.begin() + index);
    return item;
}

template <class T> int TListEntries<T>::Remove(const void* item)
{
    const int index = IndexOf(item);
    if (index >= 0)
        FItems.erase(FItems.begin() + index);
    return index;
}

template <class T> int TListEntries<T>::IndexOf(const void* item) const
{
    auto found = std::find(FItems.begin(), FItems.end(), item);
    return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

template <class T> void TListEntries<T>::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(FItems[static_cast<size_t>(index1)], FItems[static_cast<size_t>(index2)]);
}

template <class T> void TListEntries<T>::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    auto first = FItems.begin();
    if (curIndex < newIndex)
        std::rotate(first + curIndex, first + curIndex + 1, first + newIndex + 1);
    else
        std::rotate(first + newIndex, first + curIndex, first + curIndex + 1);
}

template <class T> void TListEntries<T>::Pack()
{
    FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr), FItems.end());
}

template class TListEntries<void*>;
template class TListEntries<TObject*>;

// ---------------------------------------------------------------------------
// TList

void TList::Error(const char* message, int data)
{
    ListError(message, data);
}

// ---------------------------------------------------------------------------
// TObjectList

TObjectList::~TObjectList()
{
    // A subclass's Clear is gone by now; free what is left with this class's rules.
    TObjectList::Clear();
}

void TObjectList::Put(int index, TObject* item)
{
    TObject* old = FItems.Put(index, item);
    // Putting an entry over itself keeps it.
    if (FOwnsObjects && old != item)
        delete old;
}

void TObjectList::Delete(int index)
{
    TObject* item = FItems.ExtractAt(index);
    if (FOwnsObjects)
        delete item;
}

int TObjectList::Remove(TObject* item)
{
    const int index = FItems.Remove(item);
    if (index >= 0 && FOwnsObjects)
        delete item;
    return index;
}

void TObjectList::Clear()
{
    // The entries leave the list before the first is freed, so a destructor that
    // looks itself up or removes itself finds nothing to do. Entries that such a
    // destructor adds are freed by the next round.
    while (FItems.Count() > 0) {
        const std::vector<TObject*> taken = FItems.TakeAll();
        if (FOwnsObjects) {
            for (TObject* item : taken)
                delete item;
        }
    }
}
