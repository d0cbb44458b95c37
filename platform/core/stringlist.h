// TStringList: a list of strings, each with an object pointer. The objects are
// not owned unless OwnsObjects is set. Indexes count from 0.
#pragma once

#include <vector>

#include "platform/core/object.h"

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TPersistent {
public:
    TStringList() = default;
    ~TStringList() override;
    const char* ClassName() const override { return "TStringList"; }
    void Assign(const TPersistent* Source) override;  // strings and objects of another list

    int Count() const { return static_cast<int>(FItems.size()); }
    const AnsiString& Get(int index) const;  // EListError for a bad index
    void Put(int index, const AnsiString& s);
    const AnsiString& operator[](int index) const { return Get(index); }
    TObject* GetObject(int index) const;
    void PutObject(int index, TObject* object);

    // Add keeps a sorted list sorted and applies Duplicates there; returns the index.
    int Add(const AnsiString& s);
    int AddObject(const AnsiString& s, TObject* object);
    void AddStrings(const TStringList& strings);
    // EListError "Operation not allowed on sorted list" when Sorted.
    void Insert(int index, const AnsiString& s);
    void InsertObject(int index, const AnsiString& s, TObject* object);
    void Delete(int index);
    void Clear();
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);

    // Matches by CompareStrings (ignoring case unless CaseSensitive); binary
    // search when Sorted. -1 when absent.
    int IndexOf(const AnsiString& s) const;
    int IndexOfObject(const TObject* object) const;
    // Sorted lists only: the index of s, or where it would be inserted.
    bool Find(const AnsiString& s, int& index) const;
    void Sort();
    void CustomSort(const std::function<int(TStringList* List, int Index1, int Index2)>& compare);

    // "Name=Value" entries.
    AnsiString Names(int index) const;
    AnsiString ValueFromIndex(int index) const;
    AnsiString Values(const AnsiString& name) const;
    void SetValue(const AnsiString& name, const AnsiString& value);  // an empty value deletes the entry
    int IndexOfName(const AnsiString& name) const;

    // The entries joined, each followed by LineBreak; setting it splits at CR LF,
    // LF or CR, and a final line break makes no empty last entry.
    AnsiString Text() const;
    void SetText(const AnsiString& text);
    const AnsiString& LineBreak() const { return FLineBreak; }
    void SetLineBreak(const AnsiString& value) { FLineBreak = value; }
    // Entries separated by commas, quoted with '"' when they hold blanks, commas or quotes.
    AnsiString CommaText() const;
    void SetCommaText(const AnsiString& text);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool value);  // sorting an unsorted list sorts it now
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates value) { FDuplicates = value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value);
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool value) { FOwnsObjects = value; }

    TNotifyEvent OnChange;

    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    void LoadFromFile(const AnsiString& fileName);
    // Replaces the file only once the new text is written in full.
    void SaveToFile(const AnsiString& fileName) const;

protected:
    virtual int CompareStrings(const AnsiString& a, const AnsiString& b) const;

private:
    struct TStringItem {
        AnsiString FString;
        TObject* FObject = nullptr;
    };
    void CheckIndex(int index) const;
    void InsertItem(int index, const AnsiString& s, TObject* object);
    void FreeObject(TObject* object);
    void Changed();

    std::vector<TStringItem> FItems;
    AnsiString FLineBreak = "\r\n";
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
    bool FOwnsObjects = false;
};

// The class library's abstract string list is this one class here.
using TStrings = TStringList;
