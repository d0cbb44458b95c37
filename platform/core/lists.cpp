// TList and TObjectList. An owning list always takes an entry out before it
// frees it, so that an entry whose destructor looks at or changes the list
// never sees itself there and is never freed twice.
#include "platform/core/lists.h"

#include <algorithm>

#include "platform/core/sysutils.h"

namespace {

[[noreturn]] void ListError(const char* message, int data)
{
    throw EListError(Format(message, {data}));
}

// Sets the room reserved for entries; it can shrink, but never below the count.
template <class T> void ResizeCapacity(std::vector<T>& items, int newCapacity)
{
    if (newCapacity < static_cast<int>(items.size()))
        ListError(SysConst::SListCapacityError, newCapacity);
    const auto wanted = static_cast<size_t>(newCapacity);
    if (wanted > items.capacity()) {
        items.reserve(wanted);
    } else if (wanted < items.capacity()) {
        std::vector<T> smaller;
        smaller.reserve(wanted);
        smaller.assign(items.begin(), items.end());
        items.swap(smaller);
    }
}

// Moves the entry at curIndex so that it ends up at newIndex; both are valid.
template <class T> void MoveEntry(std::vector<T>& items, int curIndex, int newIndex)
{
    auto first = items.begin();
    if (curIndex < newIndex)
        std::rotate(first + curIndex, first + curIndex + 1, first + newIndex + 1);
    else
        std::rotate(first + newIndex, first + curIndex, first + curIndex + 1);
}

} // namespace

// ---------------------------------------------------------------------------
// TList

void TList::Error(const char* message, int data)
{
    ListError(message, data);
}

void TList::SetCount(int newCount)
{
    if (newCount < 0)
        Error(SysConst::SListCountError, newCount);
    FItems.resize(static_cast<size_t>(newCount), nullptr);
}

void TList::SetCapacity(int newCapacity)
{
    ResizeCapacity(FItems, newCapacity);
}

const char* TList::IndexErrorMessage()
{
    return SysConst::SListIndexError;
}

void TList::Put(int index, void* item)
{
    if (index < 0 || index >= Count())
        Error(SysConst::SListIndexError, index);
    FItems[static_cast<size_t>(index)] = item;
}

void* TList::First() const
{
    return Get(0);
}

void* TList::Last() const
{
    return Get(Count() - 1);
}

int TList::Add(void* item)
{
    GrowListForOne(FItems);
    FItems.push_back(item);
    return Count() - 1;
}

void TList::Insert(int index, void* item)
{
    if (index < 0 || index > Count())
        Error(SysConst::SListIndexError, index);
    GrowListForOne(FItems);
    FItems.insert(FItems.begin() + index, item);
}

void TList::InsertNulls(int index, int count)
{
    if (index < 0 || index > Count())
        Error(SysConst::SListIndexError, index);
    if (count > 0)
        FItems.insert(FItems.begin() + index, static_cast<size_t>(count), nullptr);
}

void TList::Delete(int index)
{
    if (index < 0 || index >= Count())
        Error(SysConst::SListIndexError, index);
    FItems.erase(FItems.begin() + index);
}

int TList::Remove(void* item)
{
    const int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

void* TList::Extract(void* item)
{
    const int index = IndexOf(item);
    if (index < 0)
        return nullptr;
    FItems.erase(FItems.begin() + index);
    return item;
}

int TList::IndexOf(void* item) const
{
    auto found = std::find(FItems.begin(), FItems.end(), item);
    return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

void TList::Exchange(int index1, int index2)
{
    if (index1 < 0 || index1 >= Count())
        Error(SysConst::SListIndexError, index1);
    if (index2 < 0 || index2 >= Count())
        Error(SysConst::SListIndexError, index2);
    std::swap(FItems[static_cast<size_t>(index1)], FItems[static_cast<size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex)
{
    // Moving an entry onto itself checks nothing, as in the class library.
    if (curIndex == newIndex)
        return;
    if (curIndex < 0 || curIndex >= Count())
        Error(SysConst::SListIndexError, curIndex);
    if (newIndex < 0 || newIndex >= Count())
        Error(SysConst::SListIndexError, newIndex);
    MoveEntry(FItems, curIndex, newIndex);
}

void TList::Pack()
{
    FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr), FItems.end());
}

void TList::Sort(const TListSortCompare& compare)
{
    std::stable_sort(FItems.begin(), FItems.end(),
                     [&compare](void* a, void* b) { return compare(a, b) < 0; });
}

void TList::Clear()
{
    FItems.clear();
    FItems.shrink_to_fit();
}

// ---------------------------------------------------------------------------
// TObjectList

TObjectList::~TObjectList()
{
    // A subclass's Clear is gone by now; free what is left with this class's rules.
    TObjectList::Clear();
}

void TObjectList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        ListError(SysConst::SListIndexError, index);
}

void TObjectList::SetCapacity(int newCapacity)
{
    ResizeCapacity(FItems, newCapacity);
}

TObject* TObjectList::Get(int index) const
{
    CheckIndex(index);
    return FItems[static_cast<size_t>(index)];
}

void TObjectList::Put(int index, TObject* item)
{
    CheckIndex(index);
    TObject* old = FItems[static_cast<size_t>(index)];
    FItems[static_cast<size_t>(index)] = item;
    // Putting an entry over itself keeps it.
    if (FOwnsObjects && old != item)
        delete old;
}

TObject* TObjectList::First() const
{
    return Get(0);
}

TObject* TObjectList::Last() const
{
    return Get(Count() - 1);
}

int TObjectList::Add(TObject* item)
{
    GrowListForOne(FItems);
    FItems.push_back(item);
    return Count() - 1;
}

void TObjectList::Insert(int index, TObject* item)
{
    if (index < 0 || index > Count())
        ListError(SysConst::SListIndexError, index);
    GrowListForOne(FItems);
    FItems.insert(FItems.begin() + index, item);
}

void TObjectList::Delete(int index)
{
    TObject* item = ExtractAt(index);
    if (FOwnsObjects)
        delete item;
}

int TObjectList::Remove(TObject* item)
{
    const int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

TObject* TObjectList::Extract(TObject* item)
{
    const int index = IndexOf(item);
    return index < 0 ? nullptr : ExtractAt(index);
}

TObject* TObjectList::ExtractAt(int index)
{
    CheckIndex(index);
    TObject* item = FItems[static_cast<size_t>(index)];
    FItems.erase(FItems.begin() + index);
    return item;
}

int TObjectList::IndexOf(const TObject* item) const
{
    auto found = std::find(FItems.begin(), FItems.end(), item);
    return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

void TObjectList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(FItems[static_cast<size_t>(index1)], FItems[static_cast<size_t>(index2)]);
}

void TObjectList::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    MoveEntry(FItems, curIndex, newIndex);
}

void TObjectList::Sort(const std::function<int(TObject* item1, TObject* item2)>& compare)
{
    std::stable_sort(FItems.begin(), FItems.end(),
                     [&compare](TObject* a, TObject* b) { return compare(a, b) < 0; });
}

void TObjectList::Clear()
{
    // The entries leave the list before the first is freed, so a destructor that
    // looks itself up or removes itself finds nothing to do. Entries that such a
    // destructor adds are freed by the next round.
    while (!FItems.empty()) {
        std::vector<TObject*> taken;
        taken.swap(FItems);
        if (FOwnsObjects) {
            for (TObject* item : taken)
                delete item;
        }
    }
    FItems.shrink_to_fit();
}
