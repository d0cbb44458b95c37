// Searching the text of a laid-out document both ways, with case and
// whole-word options, and selecting what is found. Every item is compared in
// UTF-16: a Unicode item as it is, an ANSI item converted character by
// character with its style's code page, so that no code page conversion can
// make a false hit or lose a character, and a hit maps back to whole
// characters of the item's own text.
#include <algorithm>
#include <memory>
#include <vector>

#include "document/rvuni.h"
#include "platform/core/codepages.h"
#include "platform/core/unicase.h"
#include "view/crvfdata.h"

namespace {

bool IsHighSurrogate(WideChar ch)
{
    return ch >= 0xD800 && ch <= 0xDBFF;
}

bool IsLowSurrogate(WideChar ch)
{
    return ch >= 0xDC00 && ch <= 0xDFFF;
}

WideString UpperCased(WideString s)
{
    if (!s.empty())
        CharUpperBuffW(&s[0], static_cast<int>(s.size()));
    return s;
}

// One text item as the search sees it: its UTF-16 units (Text, and Keyed,
// upper-cased without MatchCase) and, for an ANSI item whose characters are
// not one unit per byte, the item offset of every unit's character (Offs has
// one more entry: the offset after the last character). With Offs empty unit
// i is character i + 1 of the item.
struct TSearchItem {
    WideString Text;
    WideString Keyed;
    std::vector<int> Offs;

    int OffsOfUnit(size_t i) const { return Offs.empty() ? static_cast<int>(i) + 1 : Offs[i]; }
    // The first unit whose character starts at or after the item offset Offs.
    size_t UnitAtOrAfter(int itemOffs) const
    {
        if (Offs.empty())
            return static_cast<size_t>(std::clamp(itemOffs - 1, 0, static_cast<int>(Text.size())));
        return static_cast<size_t>(std::lower_bound(Offs.begin(), Offs.end() - 1, itemOffs) - Offs.begin());
    }
    // Whether a hit may begin (or end) before unit i: never inside one
    // character of the item or between the two units of a surrogate pair.
    bool IsBoundary(size_t i) const
    {
        if (i == 0 || i >= Text.size())
            return true;
        if (IsLowSurrogate(Text[i]) && IsHighSurrogate(Text[i - 1]))
            return false;
        return Offs.empty() || Offs[i] != Offs[i - 1];
    }
};

// ANSI text in a code page as UTF-16 with the offset of each unit's character.
void ConvertAnsiItem(const AnsiString& s, unsigned codePage, TSearchItem& result)
{
    codePage = ResolveCodePage(codePage);
    if (CodePageMaxCharSize(codePage) == 1) {
        // One character per byte: the whole text at once, when it keeps that.
        result.Text = AnsiToWide(s, codePage);
        if (result.Text.size() == s.size())
            return;
    }
    result.Text.clear();
    result.Text.reserve(s.size());
    result.Offs.reserve(s.size() + 1);
    const char* const start = s.data();
    const char* const end = start + s.size();
    for (const char* p = start; p < end;) {
        const char* next = CharNextExA(codePage, p, end);
        if (next <= p)
            next = p + 1;
        const int offs = static_cast<int>(p - start) + 1;
        const auto byte = static_cast<unsigned char>(*p);
        if (next == p + 1 && byte < 0x80) {
            result.Text += static_cast<WideChar>(byte);
            result.Offs.push_back(offs);
        } else {
            WideString ch = AnsiToWide(AnsiString(p, static_cast<size_t>(next - p)), codePage);
            // A character the code page cannot convert still takes a place.
            if (ch.empty())
                ch.assign(1, static_cast<WideChar>(0xFFFD));
            result.Text += ch;
            result.Offs.insert(result.Offs.end(), ch.size(), offs);
        }
        p = next;
    }
    result.Offs.push_back(static_cast<int>(s.size()) + 1);
}

TSearchItem MakeSearchItem(TCustomRVData& data, int itemNo, bool matchCase)
{
    TSearchItem result;
    const AnsiString& s = data.GetItemText(itemNo);
    const TCustomRVItemInfo* item = data.GetItem(itemNo);
    if (item->ItemOptions.Contains(rvioUnicode))
        result.Text = RVU_RawUnicodeUnits(s);
    else
        ConvertAnsiItem(s, data.GetStyleCodePage(item->StyleNo), result);
    result.Keyed = matchCase ? result.Text : UpperCased(result.Text);
    return result;
}

// The search of one text item's units First..Last - 1 for Key: the first hit
// (Down) or the last one; its item offset and length in item characters.
bool FindInItem(TCustomRVData& Data, const TSearchItem& item, size_t first, size_t last,
                const WideString& Key, bool down, bool WholeWord, int& offs, int& length)
{
    const size_t n = Key.size();
    if (n == 0 || last > item.Text.size() || first > last || last - first < n)
        return false;
    auto matches = [&](size_t p) {
        if (!std::equal(Key.begin(), Key.end(), item.Keyed.begin() + static_cast<std::ptrdiff_t>(p)))
            return false;
        if (!item.IsBoundary(p) || !item.IsBoundary(p + n))
            return false;
        // Words are judged by the item's whole text, not by the part searched.
        if (WholeWord && ((p > 0 && !Data.IsDelimiterW(item.Text[p - 1])) ||
                          (p + n < item.Text.size() && !Data.IsDelimiterW(item.Text[p + n]))))
            return false;
        return true;
    };
    const size_t lastStart = last - n;
    for (size_t i = 0; i <= lastStart - first; ++i) {
        const size_t p = down ? first + i : lastStart - i;
        if (matches(p)) {
            offs = item.OffsOfUnit(p);
            length = item.OffsOfUnit(p + n) - offs;
            return true;
        }
    }
    return false;
}

// The sub-documents of Item from Position on, each searching from its own
// selection; the one that finds the text becomes the chosen one.
bool SearchSubDocuments(TCustomRVItemInfo* item, TRVSubRVDataPos position, bool down, bool matchCase,
                        bool wholeWord, const AnsiString& text)
{
    TRVStoreSubRVData* rawStore = nullptr;
    TCustomRVData* sub = item->GetSubRVData(rawStore, position);
    std::unique_ptr<TRVStoreSubRVData> store(rawStore);
    while (sub != nullptr) {
        auto* fSub = dynamic_cast<TCustomRVFormattedData*>(sub->GetRVData());
        if (fSub != nullptr && fSub->SearchText(down, matchCase, wholeWord, text)) {
            item->ChooseSubRVData(store.get());
            return true;
        }
        rawStore = store.release();
        sub = item->GetSubRVData(rawStore, down ? rvdNext : rvdPrev);
        store.reset(rawStore);
    }
    return false;
}

} // namespace

bool TCustomRVFormattedData::SearchText(bool down, bool matchCase, bool wholeWord, const AnsiString& text)
{
    const int count = GetItemCount();
    if (text.empty() || count == 0)
        return false;
    WideString key = AnsiToWide(text, ResolveCodePage(GetDefaultCodePage()));
    if (!matchCase)
        key = UpperCased(key);
    if (key.empty())
        return false;

    // A sub-document holding the selection (or being edited) is searched on first.
    TCustomRVItemInfo* subItem = GetChosenItem();
    if (subItem == nullptr)
        subItem = PartialSelectedItem;
    if (subItem != nullptr &&
        SearchSubDocuments(subItem, down ? rvdChosenDown : rvdChosenUp, down, matchCase, wholeWord, text))
        return true;

    int itemNo = 0, offs = 0;
    SrchStart(down, itemNo, offs);
    if (itemNo < 0 || itemNo >= count)
        return false;
    const int step = down ? 1 : -1;

    TCustomRVItemInfo* start = GetItem(itemNo);
    if (start == subItem) {
        itemNo += step;
    } else if (start->StyleNo >= 0) {
        const TSearchItem item = MakeSearchItem(*this, itemNo, matchCase);
        const size_t cut = item.UnitAtOrAfter(offs);
        const size_t first = down ? cut : 0;
        const size_t last = down ? item.Text.size() : cut;
        int foundOffs = 0, length = 0;
        if (FindInItem(*this, item, first, last, key, down, wholeWord, foundOffs, length))
            return SrchSelectIt(itemNo, foundOffs, length, !down);
        itemNo += step;
    } else if (down ? offs > 0 : offs < 1) {
        // Past the item in the search direction; before it, it is searched below.
        itemNo += step;
    }

    for (; itemNo >= 0 && itemNo < count; itemNo += step) {
        TCustomRVItemInfo* item = GetItem(itemNo);
        if (item->StyleNo < 0) {
            if (SearchSubDocuments(item, down ? rvdFirst : rvdLast, down, matchCase, wholeWord, text))
                return true;
            continue;
        }
        const TSearchItem searched = MakeSearchItem(*this, itemNo, matchCase);
        int foundOffs = 0, length = 0;
        if (FindInItem(*this, searched, 0, searched.Text.size(), key, down, wholeWord, foundOffs, length))
            return SrchSelectIt(itemNo, foundOffs, length, !down);
    }
    return false;
}

void TCustomRVFormattedData::SrchStart(bool down, int& itemNo, int& offs)
{
    if (SelectionExists(true, false)) {
        int startItemNo, startOffs;
        StoreSelBounds(startItemNo, itemNo, startOffs, offs, false);
    } else if (down) {
        itemNo = GetFirstItemVisible();
        offs = itemNo >= 0 ? GetOffsBeforeItem(itemNo) : 0;
    } else {
        itemNo = GetLastItemVisible();
        // Not laid out: every item lies before the end.
        if (itemNo < 0)
            itemNo = GetItemCount() - 1;
        offs = itemNo >= 0 ? GetOffsAfterItem(itemNo) + 1 : 0;
    }
    if (itemNo < 0)
        itemNo = 0;
}

bool TCustomRVFormattedData::SrchSelectIt(int itemNo, int offs, int length, bool up)
{
    DeselectPartiallySelectedItem(nullptr);
    if (up)
        RestoreSelBounds(itemNo, itemNo, offs + length, offs);
    else
        RestoreSelBounds(itemNo, itemNo, offs, offs + length);
    if (SelStartNo >= 0 && SelStartNo < DrawItems.Count()) {
        const TRVDrawLineInfo* dli = DrawItems[SelStartNo];
        ShowRectangle(dli->Left, dli->Top, dli->Width, dli->Height);
    }
    Invalidate();
    DoOnSelection();
    DoSelect();
    return true;
}
