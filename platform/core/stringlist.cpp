// TStringList: entries, sorted insertion and search, the "Name=Value" helpers,
// text and comma-text conversion, and loading and saving.
#include "platform/core/stringlist.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "platform/core/streams.h"
#include "platform/core/sysutils.h"

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

bool NeedsQuotes(const AnsiString& s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return IsBlank(c) || c == '"' || c == ','; });
}

AnsiString Quoted(const AnsiString& s)
{
    AnsiString result = "\"";
    for (char c : s) {
        if (c == '"')
            result += '"';
        result += c;
    }
    result += '"';
    return result;
}

// Reads a quoted entry starting at the opening quote; doubled quotes stand for one.
// An entry without its closing quote runs to the end of the text.
AnsiString ExtractQuoted(const AnsiString& text, size_t& i)
{
    AnsiString result;
    ++i;
    while (i < text.size()) {
        if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
                result += '"';
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        result += text[i++];
    }
    return result;
}

} // namespace

TStringList::~TStringList()
{
    OnChange = nullptr;
    if (FOwnsObjects)
        FreeObjects();
}

// Runs a change of several steps as one update, so that OnChange comes once at
// the end, also when a step fails.
template <class Fn> void TStringList::Updating(Fn&& change)
{
    BeginUpdate();
    try {
        change();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStringList::EndUpdate()
{
    if (FUpdateCount > 0)
        --FUpdateCount;
    Changed();
}

void TStringList::Changed()
{
    if (FUpdateCount == 0 && OnChange)
        OnChange(this);
}

void TStringList::IndexError(int index) const
{
    throw EStringListError(Format(SysConst::SListIndexError, {index}));
}

void TStringList::CheckNotSorted() const
{
    if (FSorted)
        throw EStringListError(SysConst::SSortedListError);
}

void TStringList::FreeObjects()
{
    // The entries leave the list first: an object's destructor may look at it.
    TGapVector<TStringItem> taken(std::move(FItems));
    for (size_t i = 0; i < taken.size(); ++i)
        delete taken[i].FObject;
}

void TStringList::Assign(const TPersistent* source)
{
    if (auto other = dynamic_cast<const TStringList*>(source)) {
        if (other == this)
            return;
        Updating([&] {
            Clear();
            AddStrings(*other);
        });
        return;
    }
    TPersistent::Assign(source);
}

void TStringList::Put(int index, const AnsiString& s)
{
    CheckNotSorted();
    CheckIndex(index);
    FItems[static_cast<size_t>(index)].FString = TPackedString(s);
    Changed();
}

void TStringList::PutObject(int index, TObject* object)
{
    CheckIndex(index);
    TObject* old = FItems[static_cast<size_t>(index)].FObject;
    FItems[static_cast<size_t>(index)].FObject = object;
    // An owning list would otherwise lose the object it held.
    if (FOwnsObjects && old != object)
        delete old;
    Changed();
}

int TStringList::Add(const AnsiString& s)
{
    return AddObject(s, nullptr);
}

int TStringList::AddObject(const AnsiString& s, TObject* object)
{
    int index = Count();
    if (FSorted && Find(s, index)) {
        if (FDuplicates == dupIgnore)
            return index;
        if (FDuplicates == dupError)
            throw EStringListError(SysConst::SDuplicateString);
    }
    InsertItem(index, s, object);
    return index;
}

void TStringList::AddStrings(const TStringList& strings)
{
    // A copy first: the source may be this list, and a sorted list reorders as it grows.
    std::vector<TStringItem> source;
    source.reserve(strings.FItems.size());
    for (size_t i = 0; i < strings.FItems.size(); ++i)
        source.push_back(strings.FItems[i]);
    Updating([&] {
        for (const TStringItem& item : source)
            AddObject(item.FString.Str(), item.FObject);
    });
}

void TStringList::Insert(int index, const AnsiString& s)
{
    InsertObject(index, s, nullptr);
}

void TStringList::InsertObject(int index, const AnsiString& s, TObject* object)
{
    CheckNotSorted();
    if (index < 0 || index > Count())
        throw EStringListError(Format(SysConst::SListIndexError, {index}));
    InsertItem(index, s, object);
}

void TStringList::InsertItem(int index, const AnsiString& s, TObject* object)
{
    FItems.insert(static_cast<size_t>(index), TStringItem{TPackedString(s), object});
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    TObject* object = FItems[static_cast<size_t>(index)].FObject;
    FItems.erase(static_cast<size_t>(index));
    if (FOwnsObjects)
        delete object;
    Changed();
}

void TStringList::Clear()
{
    if (FItems.empty())
        return;
    if (FOwnsObjects)
        FreeObjects();
    else
        FItems.clear();
    Changed();
}

void TStringList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(FItems[static_cast<size_t>(index1)], FItems[static_cast<size_t>(index2)]);
    Changed();
}

void TStringList::SwapEntries(TStringList& other)
{
    if (&other == this)
        return;
    std::swap(FItems, other.FItems);
    Changed();
    other.Changed();
}

void TStringList::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    // Checked before anything moves, so a refused move loses nothing.
    CheckNotSorted();
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    TStringItem item = std::move(FItems[static_cast<size_t>(curIndex)]);
    FItems.erase(static_cast<size_t>(curIndex));
    FItems.insert(static_cast<size_t>(newIndex), std::move(item));
    Changed();
}

int TStringList::CompareStrings(const AnsiString& a, const AnsiString& b) const
{
    return FCaseSensitive ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

int TStringList::IndexOf(const AnsiString& s) const
{
    if (FSorted) {
        int index = 0;
        return Find(s, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(FItems[static_cast<size_t>(i)].FString.Str(), s) == 0)
            return i;
    return -1;
}

int TStringList::IndexOfObject(const TObject* object) const
{
    for (int i = 0; i < Count(); ++i)
        if (FItems[static_cast<size_t>(i)].FObject == object)
            return i;
    return -1;
}

bool TStringList::Find(const AnsiString& s, int& index) const
{
    // The lower bound: with duplicates accepted, the first of the equal strings.
    int low = 0;
    int high = Count() - 1;
    bool found = false;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        const int c = CompareStrings(FItems[static_cast<size_t>(middle)].FString.Str(), s);
        if (c < 0) {
            low = middle + 1;
        } else {
            high = middle - 1;
            if (c == 0)
                found = true;
        }
    }
    index = low;
    return found;
}

void TStringList::SortItems()
{
    if (Count() < 2)
        return;
    TStringItem* items = FItems.Contiguous();
    std::stable_sort(items, items + FItems.size(), [this](const TStringItem& a, const TStringItem& b) {
        return CompareStrings(a.FString.Str(), b.FString.Str()) < 0;
    });
    Changed();
}

void TStringList::Sort()
{
    if (!FSorted)
        SortItems();
}

void TStringList::CustomSort(const std::function<int(TStringList* list, int index1, int index2)>& compare)
{
    if (FSorted || Count() < 2)
        return;
    // The comparison names entries by index, so the order is found on a permutation
    // while the entries stay where they are, and applied afterwards.
    std::vector<int> order(FItems.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(this, a, b) < 0; });
    TStringItem* items = FItems.Contiguous();
    std::vector<TStringItem> sorted;
    sorted.reserve(order.size());
    for (int i : order)
        sorted.push_back(std::move(items[static_cast<size_t>(i)]));
    std::move(sorted.begin(), sorted.end(), items);
    Changed();
}

void TStringList::SetSorted(bool value)
{
    if (FSorted == value)
        return;
    if (value)
        SortItems();
    FSorted = value;
}

void TStringList::SetCaseSensitive(bool value)
{
    if (FCaseSensitive == value)
        return;
    FCaseSensitive = value;
    // Find searches by halves, so a sorted list must follow the new order.
    if (FSorted)
        SortItems();
}

AnsiString TStringList::Names(int index) const
{
    const AnsiString& s = Get(index);
    const size_t equals = s.find('=');
    return equals == AnsiString::npos ? AnsiString() : s.substr(0, equals);
}

AnsiString TStringList::ValueFromIndex(int index) const
{
    const AnsiString& s = Get(index);
    const size_t equals = s.find('=');
    return equals == AnsiString::npos ? AnsiString() : s.substr(equals + 1);
}

AnsiString TStringList::Values(const AnsiString& name) const
{
    const int index = IndexOfName(name);
    return index < 0 ? AnsiString() : ValueFromIndex(index);
}

void TStringList::SetValue(const AnsiString& name, const AnsiString& value)
{
    const int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0)
            Delete(index);
        return;
    }
    const AnsiString entry = name + "=" + value;
    if (index < 0) {
        Add(entry);
    } else if (FSorted) {
        // A sorted list cannot take Put: the entry goes to its new sorted place.
        Updating([&] {
            Delete(index);
            Add(entry);
        });
    } else {
        Put(index, entry);
    }
}

int TStringList::IndexOfName(const AnsiString& name) const
{
    for (int i = 0; i < Count(); ++i) {
        const AnsiString s = FItems[static_cast<size_t>(i)].FString.Str();
        const size_t equals = s.find('=');
        if (equals != AnsiString::npos && CompareStrings(s.substr(0, equals), name) == 0)
            return i;
    }
    return -1;
}

AnsiString TStringList::Text() const
{
    size_t size = 0;
    for (size_t i = 0; i < FItems.size(); ++i)
        size += FItems[i].FString.size() + FLineBreak.size();
    AnsiString text;
    text.reserve(size);
    for (size_t i = 0; i < FItems.size(); ++i) {
        text += FItems[i].FString.View();
        text += FLineBreak;
    }
    return text;
}

void TStringList::SetText(const AnsiString& text)
{
    Updating([&] {
        Clear();
        // NUL is an ordinary byte here: the text runs to its full length.
        const size_t n = text.size();
        size_t i = 0;
        while (i < n) {
            const size_t start = i;
            while (i < n && text[i] != '\r' && text[i] != '\n')
                ++i;
            Add(text.substr(start, i - start));
            if (i < n && text[i] == '\r')
                ++i;
            if (i < n && text[i] == '\n')
                ++i;
        }
    });
}

AnsiString TStringList::CommaText() const
{
    if (Count() == 1 && FItems[0].FString.empty())
        return "\"\"";
    AnsiString text;
    for (size_t i = 0; i < FItems.size(); ++i) {
        if (i > 0)
            text += ',';
        const AnsiString s = FItems[i].FString.Str();
        text += NeedsQuotes(s) ? Quoted(s) : s;
    }
    return text;
}

void TStringList::SetCommaText(const AnsiString& text)
{
    Updating([&] {
        Clear();
        const size_t n = text.size();
        size_t i = 0;
        auto skipBlanks = [&] {
            while (i < n && IsBlank(text[i]))
                ++i;
        };
        skipBlanks();
        while (i < n) {
            if (text[i] == '"') {
                Add(ExtractQuoted(text, i));
            } else {
                const size_t start = i;
                while (i < n && !IsBlank(text[i]) && text[i] != ',')
                    ++i;
                Add(text.substr(start, i - start));
            }
            skipBlanks();
            if (i < n && text[i] == ',') {
                // A comma that ends the text still separates an empty last entry.
                if (i + 1 == n)
                    Add(AnsiString());
                ++i;
                skipBlanks();
            }
        }
    });
}

void TStringList::LoadFromStream(TStream& stream)
{
    // Read until the stream gives no more rather than trusting its size, so that a
    // stream whose size is wrong or unknown still loads what it holds.
    AnsiString text;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const int64_t got = stream.Read(buffer.data(), static_cast<int64_t>(buffer.size()));
        if (got <= 0)
            break;
        // A stream that claims more than it was asked for gets no trust beyond the buffer.
        const int64_t used = std::min<int64_t>(got, static_cast<int64_t>(buffer.size()));
        text.append(buffer.data(), static_cast<size_t>(used));
    }
    SetText(text);
}

void TStringList::SaveToStream(TStream& stream) const
{
    const AnsiString text = Text();
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void TStringList::LoadFromFile(const AnsiString& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TStringList::SaveToFile(const AnsiString& fileName) const
{
    SafeWriteFile(fileName, [this](TStream& stream) { SaveToStream(stream); });
}
