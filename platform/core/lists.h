// TList: the class library's list of untyped pointers, and TObjectList: a list
// of objects that owns them when OwnsObjects is set (the default).
// Indexes count from 0; a bad index raises EListError "List index out of bounds (%d)".
// Sort keeps equal entries in their order.
#pragma once

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/core/object.h"

// Compares two entries: negative, 0 or positive.
using TListSortCompare = std::function<int(void* item1, void* item2)>;

// Makes room for one more entry when Items is full, growing as the class
// library's lists grow: by a quarter past 64 entries, by 16 past 8, else by 4.
// A long list (a document's items, one per line of a log) then keeps at most a
// quarter of its size spare, where doubling would keep up to as much again.
template <class T> void GrowListForOne(std::vector<T>& items)
{
    const size_t capacity = items.capacity();
    if (items.size() < capacity)
        return;
    const size_t delta = capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
    items.reserve(capacity + delta);
}

// Raises EListError "List index out of bounds (Index)".
[[noreturn]] void RV_ListIndexError(int index);

// The entries of TList and TObjectList (T is void* or TObject*) and the
// operations the two lists share: each is written here once, and the lists
// add what owning means. Indexes count from 0 and are checked; a bad one
// raises EListError. Owns nothing.
template <class T> class TListEntries {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    int Capacity() const { return static_cast<int>(FItems.capacity()); }
    // The room reserved; it can shrink, but never below the count.
    void SetCapacity(int newCapacity);
    void SetCount(int newCount); // new entries are null

    void CheckIndex(int index) const
    {
        if (static_cast<size_t>(index) >= FItems.size())
            RV_ListIndexError(index);
    }
    // Inline: the layout reads lists of hundreds of thousands of entries.
    T Get(int index) const
    {
        CheckIndex(index);
        return FItems[static_cast<size_t>(index)];
    }
    // Puts Item at Index and gives the entry it replaces.
    T Put(int index, T item);

    int Add(T item);
    void Insert(int index, T item);
    // Opens Count null entries at Index, moving the entries after it once.
    void InsertNulls(int index, int count);
    // Takes the entry at Index out and gives it.
    T ExtractAt(int index);
    // Takes the first occurrence of Item out: its index then, or -1.
    int Remove(const void* item);
    int IndexOf(const void* item) const;
    void Exchange(int index1, int index2);
    // Moves the entry at CurIndex so that it ends up at NewIndex; moving an
    // entry onto itself checks nothing, as in the class library.
    void Move(int curIndex, int newIndex);
    void Pack(); // removes null entries
    // Orders the entries by Compare (negative, 0 or positive), equal ones kept in their order.
    template <class Compare> void Sort(const Compare& compare)
    {
        std::stable_sort(FItems.begin(), FItems.end(), [&compare](T a, T b) { return compare(a, b) < 0; });
    }
    // Trades every entry with Other.
    void Swap(TListEntries& other) { FItems.swap(other.FItems); }
    // Empties the list and gives what it held, the room included.
    std::vector<T> TakeAll()
    {
        std::vector<T> taken;
        taken.swap(FItems);
        return taken;
    }

private:
    std::vector<T> FItems;
};

// Holds pointers and owns nothing.
class TList : public TObject {
public:
    TList() = default;
    ~TList() override = default;
    const char* ClassName() const override { return "TList"; }

    int Count() const { return FItems.Count(); }
    void SetCount(int newCount) { FItems.SetCount(newCount); }
    int Capacity() const { return FItems.Capacity(); }
    void SetCapacity(int newCapacity) { FItems.SetCapacity(newCapacity); }

    void* Get(int index) const { return FItems.Get(index); }
    void Put(int index, void* item) { FItems.Put(index, item); }
    void* operator[](int index) const { return Get(index); }
    void* First() const { return Get(0); }
    void* Last() const { return Get(Count() - 1); }

    int Add(void* item) { return FItems.Add(item); }
    void Insert(int index, void* item) { FItems.Insert(index, item); }
    // Opens Count null entries at Index, moving the entries after it once.
    void InsertNulls(int index, int count) { FItems.InsertNulls(index, count); }
    void Delete(int index) { FItems.ExtractAt(index); }
    int Remove(void* item) { return FItems.Remove(item); } // index it had, or -1
    // Removes the first occurrence; returns it, or null.
    void* Extract(void* item) { return FItems.Remove(item) >= 0 ? item : nullptr; }
    int IndexOf(void* item) const { return FItems.IndexOf(item); }
    void Exchange(int index1, int index2) { FItems.Exchange(index1, index2); }
    void Move(int curIndex, int newIndex) { FItems.Move(curIndex, newIndex); }
    void Pack() { FItems.Pack(); } // removes null entries
    void Sort(const TListSortCompare& compare) { FItems.Sort(compare); }
    virtual void Clear() { FItems.TakeAll(); }
    // Trades every entry with Other, without copying them.
    void SwapEntries(TList& other) { FItems.Swap(other.FItems); }

protected:
    [[noreturn]] static void Error(const char* message, int data);

private:
    TListEntries<void*> FItems;
};

// Objects held by pointer. With OwnsObjects, Delete, Remove, Clear, Put (over a
// different object) and the destructor free the objects they take out; Extract and
// ExtractAt never do. An entry is always out of the list before it is freed, so its
// destructor may look at or change the list without being freed twice.
class TObjectList : public TObject {
public:
    explicit TObjectList(bool ownsObjects = true) : FOwnsObjects(ownsObjects) {}
    ~TObjectList() override;
    const char* ClassName() const override { return "TObjectList"; }

    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool value) { FOwnsObjects = value; }

    int Count() const { return FItems.Count(); }
    int Capacity() const { return FItems.Capacity(); }
    void SetCapacity(int newCapacity) { FItems.SetCapacity(newCapacity); }

    TObject* Get(int index) const { return FItems.Get(index); }
    void Put(int index, TObject* item);
    TObject* operator[](int index) const { return Get(index); }
    TObject* First() const { return Get(0); }
    TObject* Last() const { return Get(Count() - 1); }

    int Add(TObject* item) { return FItems.Add(item); }
    void Insert(int index, TObject* item) { FItems.Insert(index, item); }
    void Delete(int index);
    int Remove(TObject* item);
    TObject* Extract(TObject* item) { return FItems.Remove(item) >= 0 ? item : nullptr; }
    TObject* ExtractAt(int index) { return FItems.ExtractAt(index); } // removes the entry without freeing it
    int IndexOf(const TObject* item) const { return FItems.IndexOf(item); }
    void Exchange(int index1, int index2) { FItems.Exchange(index1, index2); }
    void Move(int curIndex, int newIndex) { FItems.Move(curIndex, newIndex); }
    void Sort(const std::function<int(TObject* item1, TObject* item2)>& compare) { FItems.Sort(compare); }
    // Frees from index 0 upwards. The list is already empty while the entries are
    // freed; entries that their destructors add are freed as well.
    virtual void Clear();

protected:
    void CheckIndex(int index) const { FItems.CheckIndex(index); }

private:
    TListEntries<TObject*> FItems;
    bool FOwnsObjects;
};
