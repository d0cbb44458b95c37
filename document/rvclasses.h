// The document library's own lists: TRVList, which owns its objects, and the
// integer and colour lists used for style maps, column widths and colour tables.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/core/lists.h"

// A list that owns its entries: Clear, Delete and the destructor free them
// (Clear from index 0 upwards); DeleteAsPointer hands an entry to the caller.
class TRVList : public TObjectList {
public:
    TRVList() : TObjectList(true) {}
    const char* ClassName() const override { return "TRVList"; }
    void DeleteAsPointer(int index) { ExtractAt(index); }
};

// Signed 32-bit integers, stored inline. Indexes count from 0; a bad index
// raises EListError "List index out of bounds (%d)".
class TRVIntegerList : public TObject {
public:
    TRVIntegerList() = default;
    // Count entries of Value (none when Count is 0 or less).
    TRVIntegerList(int count, int value);
    explicit TRVIntegerList(const TRVIntegerList* source);
    const char* ClassName() const override { return "TRVIntegerList"; }

    int Count() const { return static_cast<int>(FItems.size()); }
    int Add(int value); // the new index
    void Insert(int index, int value);
    void Delete(int index);
    void Clear() { FItems.clear(); }
    int Get(int index) const;
    void Put(int index, int value);
    int operator[](int index) const { return Get(index); }
    int IndexOf(int value) const; // -1 when absent
    // The index of the first entry equal to Value; appends it when there is none.
    int AddUnique(int value);
    void Assign(const TRVIntegerList* source);
    void InitWith(int value, int count);
    void Fill(int value);
    // Ascending, compared three-way (no subtraction that could overflow).
    void Sort();

private:
    void CheckIndex(int index) const;
    std::vector<int32_t> FItems;
};

// A colour table: clNone is never added, and a colour appears once.
class TRVColorList : public TRVIntegerList {
public:
    using TRVIntegerList::TRVIntegerList;
    const char* ClassName() const override { return "TRVColorList"; }
    void AddUnique(int color);
};
