// Style entries: what text, paragraph and list styles share (name, base style,
// comparison, merging one collection into another) and the ini value rules
// with which every style entry saves itself.
#pragma once

#include <string_view>

#include <algorithm>
#include <cstdint>

#include "document/rvclasses.h"
#include "document/rvset.h"
#include "document/rvtypes.h"
#include "platform/core/collection.h"

class TCustomIniFile;
class TFont;

// Editing protection of text of a style. Only the first six members are kept
// in ini files.
enum TRVProtectOption {
    rvprStyleProtect,
    rvprModifyProtect,
    rvprDeleteProtect,
    rvprConcateProtect,
    rvprRVFInsertProtect,
    rvprDoNotAutoSwitch,
    rvprParaStartProtect,
    rvprSticking,
};
using TRVProtectOptions = TRVSet<TRVProtectOption, uint8_t>;

enum TRVStyleMergeMode { rvs_merge_SmartMerge, rvs_merge_Map, rvs_merge_Append };

// When true (the initial value), styles appended by a merge or by the list
// searches that add lists lose their Standard flag.
extern bool RollViewResetStandardFlag;

// The largest entry count that a style collection reads from an ini section
// ("FontsCount", "ParasCount", "ListCount", "LevelsCount"); a larger or negative
// count marks the section as corrupt.
inline constexpr int RVMaxIniStyleCount = 65536;
// Indents and paragraph spacing of paragraph and list styles read from a
// file (screen pixels) are kept within this many pixels either way: 22
// inches at 96 pixels an inch, the limit the RTF import keeps, so that the
// layout's sums of them cannot overflow.
inline constexpr int RVMaxStyleLength = 2112;
// Value brought within -RVMaxStyleLength .. RVMaxStyleLength.
inline int RV_ClampStyleLength(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, -RVMaxStyleLength, RVMaxStyleLength));
}
// The message of ERollViewError for a corrupt style section (Format with the section).
inline constexpr const char* errRVCorruptStyleSection = "Invalid style data in the section \"%s\"";

// The base of every style entry. An entry lives in its collection (which owns
// it) or, as an invalid-item substitute, in no collection at all.
//
// Entries may refer to other entries of their collection by index: BaseStyleNo
// here, and one "next style" reference in text and paragraph styles
// (NextStyleNo, NextParaNo), which merging renumbers.
class TCustomRVInfo : public TCollectionItem {
public:
    explicit TCustomRVInfo(TCollection* collection);
    const char* ClassName() const override { return "TCustomRVInfo"; }

    // From another style entry: StyleName, BaseStyleNo and Standard; anything
    // else raises the class library's conversion error.
    void Assign(const TPersistent* source) override;
    AnsiString DisplayName() const override { return FStyleName; }
    // Component streaming: the published properties and the defined ones.
    const TPropertyTable* PropertyTable() const override;

    int BaseStyleNo() const { return FBaseStyleNo; }
    void SetBaseStyleNo(int value) { SetField(FBaseStyleNo, value); }
    const AnsiString& StyleName() const { return FStyleName; }
    void SetStyleName(const AnsiString& value) { SetField(FStyleName, value); }
    bool Standard() const { return FStandard; }
    void SetStandard(bool value) { SetField(FStandard, value); }

    // Equality of everything that matters for merging; with IgnoreID, the
    // reference to the next style is not compared.
    virtual bool IsSimpleEqual(const TCustomRVInfo* value, bool ignoreId) const = 0;
    // IsSimpleEqual with the next-style reference compared through Mapping (the
    // target indexes of the incoming entries mapped so far). This entry is the
    // one already in the collection, Value the incoming one; a reference of
    // Value forward to an entry not mapped yet is set to -1 and counts as equal.
    virtual bool IsSimpleEqualEx(TCustomRVInfo* value, const TRVIntegerList* mapping);
    // How alike Value is to this entry; higher is more alike.
    virtual int SimilarityValue(const TCustomRVInfo* value) const = 0;

    // The entry (or a border, background or rectangle it holds) changed: the
    // style sheet notes it (TRVStyle::ChangeCount).
    void NoteChanged() { Changed(false); }

    // The reference to another entry of the collection that merging renumbers
    // besides BaseStyleNo (NextStyleNo, NextParaNo); null when there is none.
    virtual int* NextStyleReference() { return nullptr; }

    // The base keys: "StyleName", "BaseStyleNo" and "Standard".
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs,
                     const AnsiString& defName);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const;

protected:
    template <class T, class V> void SetField(T& field, const V& value)
    {
        field = value;
        Changed(false);
    }

private:
    int FBaseStyleNo = -1;
    AnsiString FStyleName;
    bool FStandard = true;
};

// The base of the style collections. The owner (the style sheet) is the
// collection's owner. Items are TCustomRVInfo of the collection's item class.
class TCustomRVInfos : public TCollection {
public:
    TCustomRVInfos(TCollectionItemClass itemClass, TPersistent* owner);
    const char* ClassName() const override { return "TCustomRVInfos"; }

    TPersistent* Owner() const { return GetOwner(); }
    // The entry at Index; EListError for a bad index.
    TCustomRVInfo* Info(int index) const { return static_cast<TCustomRVInfo*>(GetItem(index)); }

    // Merges the entries of Styles (a collection of the same kind) into this
    // one and fills Mapping (cleared first) with one target index per entry of
    // Styles (-1 when the mode maps into an empty collection). References of the
    // appended entries are renumbered through Mapping; a reference that lies
    // outside Mapping becomes -1.
    void MergeWith(TCustomRVInfos* styles, TRVStyleMergeMode mode, TRVIntegerList* mapping);

protected:
    // Every change of the collection or of an entry counts as a change of the
    // style sheet that owns it.
    void Update(TCollectionItem* item) override;
    // Into a string list: the StyleName of every entry in index order.
    void AssignTo(TPersistent* dest) const override;

    // A new entry of the item class outside the collection (an Info when the
    // item class makes something else), a copy of entry 0 when there is one.
    // The caller owns it.
    template <class Info> Info* NewDetachedEntry() const
    {
        TCollectionItem* item = ItemClass()(nullptr);
        Info* result = dynamic_cast<Info*>(item);
        if (result == nullptr) {
            delete item;
            result = new Info(nullptr);
        }
        if (Count() > 0)
            result->Assign(GetItem(0));
        return result;
    }
    // Replaces every entry with NewCount new ones of class Info, LoadEntry(entry,
    // index) filling each, inside one update that ends also when a load raises.
    template <class Info, class Load> void ReplaceEntries(int newCount, Load loadEntry)
    {
        BeginUpdate();
        try {
            Clear();
            for (int i = 0; i < newCount; ++i)
                loadEntry(static_cast<Info*>(Add()), i);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
    }
    // BaseStyle when Matches(BaseStyle), else the lowest other index that
    // matches; -1 when none does.
    template <class Match> int FindFromBase(int baseStyle, Match matches) const
    {
        if (matches(baseStyle))
            return baseStyle;
        for (int i = 0; i < Count(); ++i)
            if (i != baseStyle && matches(i))
                return i;
        return -1;
    }

private:
    void SmartMerge(TCustomRVInfos* styles, TRVIntegerList* mapping);
    void MapMerge(TCustomRVInfos* styles, TRVIntegerList* mapping);
    int BestMatch(const TCustomRVInfo* value, int pass) const;
};

// ---------------------------------------------------------------------------
// Ini values. Keys are made from a key pattern holding one "%s" for the
// property's name. Integers and colours are decimal and written only when they
// differ from their default; booleans are "Yes"/"No", written only when they
// differ, and read as true exactly when the value is "YES" in any case.

// The key: Format(fs, {Name}).
AnsiString RVIniKey(const AnsiString& fs, const AnsiString& name);
// The keys of one pattern, as RVIniKey makes them, each made in the same
// string, which keeps its room: a style reads and writes dozens of keys of one
// pattern. What a call returns holds until the next call.
class TRVIniKeys {
public:
    explicit TRVIniKeys(const AnsiString& fs);
    const AnsiString& operator()(std::string_view name);

private:
    AnsiString FKey;
    AnsiString FRest; // the pattern after "%s"; the whole pattern when it goes through Format
    size_t FAt;       // where the name goes; npos when the pattern goes through Format
};
void WriteIntToIniIfNE(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key, int value,
                       int defValue);
void WriteBoolToIniIfNE(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key, bool value,
                        bool defValue);
bool IniReadBool(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key, bool defValue);

// Strings, names above all, are written so that they read back as they were:
// line breaks and other control characters become blanks, and a value that
// the ini rules would change on reading (blanks at either end, or surrounding
// quotes) is enclosed in double quotes, which reading removes. Ordinary values
// are written unchanged.
AnsiString RVEscapeIniValue(const AnsiString& value);
void WriteIniString(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key,
                    const AnsiString& value);
// Strings longer than 500 characters go in pieces under Key + "_0", "_1", ...;
// reading joins the pieces up to the first missing or empty one.
void WriteLongStringToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key,
                          const AnsiString& value);
AnsiString ReadLongStringFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key);

// A font as one text "name,height,styles,pitch,colour,charset": styles are the
// letters B, I, U and S; the colour as the class library names colours.
AnsiString RVFontToString(const TFont* font);
// Reads the fields in order and stops where the text ends, so missing trailing
// fields keep the font's values. Style letters count in any case and order;
// other characters there are ignored. A field that cannot be read (a height
// that is not a number, an unknown colour name) keeps the font's value.
void RVStringToFont(const AnsiString& s, TFont* font);

// Reads a count key of a style section: DefValue when absent; ERollViewError
// (errRVCorruptStyleSection) when the value is negative or above RVMaxIniStyleCount.
int RVReadIniCount(TCustomIniFile* ini, const AnsiString& section, const AnsiString& key, int defValue);

// ---------------------------------------------------------------------------
// Text output of every writer

class TStream;
// The bytes of s; the stream's write error when they cannot all be written.
void RVWrite(TStream* stream, const AnsiString& s);
// s and then CR LF.
void RVWriteLn(TStream* stream, const AnsiString& s);
