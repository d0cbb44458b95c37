// TList: the class library's list of untyped pointers, and TObjectList: a list
// of objects that owns them when OwnsObjects is set (the default).
// Indexes count from 0; a bad index raises EListError "List index out of bounds (%d)".
// Sort keeps equal entries in their order.
#pragma once

#include <functional>
#include <vector>

#include "platform/core/object.h"

// Compares two entries: negative, 0 or positive.
using TListSortCompare = std::function<int(void* item1, void* item2)>;

// Holds pointers and owns nothing.
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

class TList : public TObject {
public:
    TList() = default;
    ~TList() override = default;
    const char* ClassName() const override { return "TList"; }

    int Count() const { return static_cast<int>(FItems.size()); }
    void SetCount(int newCount); // new entries are null
    int Capacity() const { return static_cast<int>(FItems.capacity()); }
    void SetCapacity(int newCapacity);

    // Inline: the layout reads lists of hundreds of thousands of entries.
    void* Get(int index) const
    {
        if (static_cast<size_t>(index) >= FItems.size())
            Error(IndexErrorMessage(), index);
        return FItems[static_cast<size_t>(index)];
    }
    void Put(int index, void* item);
    void* operator[](int index) const { return Get(index); }
    void* First() const;
    void* Last() const;

    int Add(void* item);
    void Insert(int index, void* item);
    // Opens Count null entries at Index, moving the entries after it once.
    void InsertNulls(int index, int count);
    void Delete(int index);
    int Remove(void* item);    // index it had, or -1
    void* Extract(void* item); // removes the first occurrence; returns it, or null
    int IndexOf(void* item) const;
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    void Pack(); // removes null entries
    void Sort(const TListSortCompare& compare);
    virtual void Clear();

protected:
    [[noreturn]] static void Error(const char* message, int data);

private:
    static const char* IndexErrorMessage();
    std::vector<void*> FItems;
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

    int Count() const { return static_cast<int>(FItems.size()); }
    int Capacity() const { return static_cast<int>(FItems.capacity()); }
    void SetCapacity(int newCapacity);

    TObject* Get(int index) const;
    void Put(int index, TObject* item);
    TObject* operator[](int index) const { return Get(index); }
    TObject* First() const;
    TObject* Last() const;

    int Add(TObject* item);
    void Insert(int index, TObject* item);
    void Delete(int index);
    int Remove(TObject* item);
    TObject* Extract(TObject* item);
    TObject* ExtractAt(int index); // removes the entry without freeing it
    int IndexOf(const TObject* item) const;
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    void Sort(const std::function<int(TObject* item1, TObject* item2)>& compare);
    // Frees from index 0 upwards. The list is already empty while the entries are
    // freed; entries that their destructors add are freed as well.
    virtual void Clear();

protected:
    void CheckIndex(int index) const;

private:
    std::vector<TObject*> FItems;
    bool FOwnsObjects;
};
