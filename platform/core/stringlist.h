// TStringList: a list of strings, each with an object pointer. The objects are
// not owned unless OwnsObjects is set. Indexes count from 0.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "platform/core/gapvector.h"
#include "platform/core/object.h"
#include "platform/core/packedstring.h"

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Strings compare by CompareStrings: the locale's case-insensitive comparison
// (AnsiCompareText), or AnsiCompareStr when CaseSensitive. A Sorted list stays in
// that order: Add inserts at the sorted place, Find and IndexOf search by halves.
// Strings are byte strings and may hold any byte, NUL included. The list keeps
// them packed (TPackedString: one word per entry and a pooled block per string),
// so Get gives a copy, and GetView the bytes in place.
//
// Ownership: with OwnsObjects the list frees an entry's object when the entry is
// deleted or cleared, when another object is put over it, and in the destructor.
// Assign and AddStrings copy object pointers, so at most one of the two lists may
// own them. An entry is out of the list before its object is freed.
//
// Errors raise EStringListError: "List index out of bounds (%d)" for a bad index,
// "Operation not allowed on sorted list" for Insert, Put and Move on a sorted list,
// "String list does not allow duplicates" for Add under dupError.
//
// OnChange follows every change, unless inside BeginUpdate/EndUpdate; the
// outermost EndUpdate then calls it once.
class TStringList : public TPersistent {
public:
    TStringList() = default;
    ~TStringList() override; // OnChange is not called
    const char* ClassName() const override { return "TStringList"; }
    // Strings and objects of another list (replacing these); any other source
    // goes through TPersistent::Assign.
    void Assign(const TPersistent* source) override;

    int Count() const { return static_cast<int>(FItems.size()); }
    // The entries there is room for before the list must grow.
    int Capacity() const { return static_cast<int>(FItems.capacity()); }
    AnsiString Get(int index) const { return AnsiString(GetView(index)); }
    // The bytes of entry Index without a copy, valid until the list changes.
    std::string_view GetView(int index) const
    {
        CheckIndex(index);
        return FItems[static_cast<size_t>(index)].FString.View();
    }
    void Put(int index, const AnsiString& s);
    AnsiString operator[](int index) const { return Get(index); }
    TObject* GetObject(int index) const
    {
        CheckIndex(index);
        return FItems[static_cast<size_t>(index)].FObject;
    }
    void PutObject(int index, TObject* object);

    // Appends, or on a sorted list inserts at the sorted place; returns the index.
    // On a sorted list a string already there is handled by Duplicates: dupIgnore
    // returns the existing index (the object is not stored: the caller keeps it),
    // dupError raises, dupAccept inserts before the equal strings.
    int Add(const AnsiString& s);
    int AddObject(const AnsiString& s, TObject* object);
    void AddStrings(const TStringList& strings);
    void Insert(int index, const AnsiString& s);
    void InsertObject(int index, const AnsiString& s, TObject* object);
    void Delete(int index);
    void Clear();
    void Exchange(int index1, int index2);
    // Trades every entry with Other (strings and objects, not the settings
    // or OnChange of either list); both lists change.
    void SwapEntries(TStringList& other);
    void Move(int curIndex, int newIndex);

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();

    // The first entry equal to s by CompareStrings; -1 when absent.
    int IndexOf(const AnsiString& s) const;
    int IndexOfObject(const TObject* object) const;
    // Binary search, meaningful on sorted lists: true when s is there. Index is the
    // first entry equal to s, or where s would be inserted.
    bool Find(const AnsiString& s, int& index) const;
    // Sorts an unsorted list (a sorted one is in order already). Equal strings keep
    // their order.
    void Sort();
    // Sorts an unsorted list by a comparison of two of its entries given by index;
    // the list does not change while the comparison runs.
    void CustomSort(const std::function<int(TStringList* list, int index1, int index2)>& compare);

    // "Name=Value" entries: the name is the text before the first '=' (empty when
    // there is none), the value the text after it. Names match by CompareStrings.
    AnsiString Names(int index) const;
    AnsiString ValueFromIndex(int index) const;
    AnsiString Values(const AnsiString& name) const; // empty when there is no such name
    // Replaces the entry's value, or appends "name=value"; an empty value deletes the entry.
    void SetValue(const AnsiString& name, const AnsiString& value);
    int IndexOfName(const AnsiString& name) const;

    // The entries joined, each followed by LineBreak; setting it splits at CR LF,
    // LF or CR (LF CR is two breaks), and a final line break makes no empty last entry.
    AnsiString Text() const;
    void SetText(const AnsiString& text);
    const AnsiString& LineBreak() const { return FLineBreak; }
    void SetLineBreak(const AnsiString& value) { FLineBreak = value; }
    // Entries separated by commas, quoted with '"' (inner quotes doubled) when they
    // hold blanks, control characters, commas or quotes; a single empty entry is "".
    // Reading splits at commas and at unquoted blanks.
    AnsiString CommaText() const;
    void SetCommaText(const AnsiString& text);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool value); // sorting an unsorted list sorts it now
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates value) { FDuplicates = value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value); // a sorted list is sorted again by the new rule
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool value) { FOwnsObjects = value; }

    TNotifyEvent OnChange;

    // Replaces the entries by the text from the stream's position to its end.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const AnsiString& fileName);
    // Replaces the file only once the new text is written in full.
    void SaveToFile(const AnsiString& fileName) const;

protected:
    virtual int CompareStrings(const AnsiString& a, const AnsiString& b) const;

private:
    struct TStringItem {
        static constexpr bool TriviallyRelocatable = TPackedString::TriviallyRelocatable;
        TPackedString FString;
        TObject* FObject = nullptr;
    };
    void CheckIndex(int index) const
    {
        if (static_cast<size_t>(index) >= FItems.size())
            IndexError(index);
    }
    [[noreturn]] void IndexError(int index) const;
    void CheckNotSorted() const;
    void InsertItem(int index, const AnsiString& s, TObject* object);
    void FreeObjects();
    void SortItems();
    void Changed();
    template <class Fn> void Updating(Fn&& change);

    // A gap buffer: an editor inserts and deletes item texts at one place
    // of a long document again and again.
    TGapVector<TStringItem> FItems;
    AnsiString FLineBreak = "\r\n";
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
    bool FOwnsObjects = false;
    int FUpdateCount = 0;
};

// The class library's abstract string list is this one class here.
using TStrings = TStringList;
