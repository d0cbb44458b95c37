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

bool IsHighSurrogate(WideChar Ch)
{
    return Ch >= 0xD800 && Ch <= 0xDBFF;
}

bool IsLowSurrogate(WideChar Ch)
{
    return Ch >= 0xDC00 && Ch <= 0xDFFF;
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
    size_t UnitAtOrAfter(int ItemOffs) const
    {
        if (Offs.empty())
            return static_cast<size_t>(std::clamp(ItemOffs - 1, 0, static_cast<int>(Text.size())));
        return static_cast<size_t>(std::lower_bound(Offs.begin(), Offs.end() - 1, ItemOffs) - Offs.begin());
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
void ConvertAnsiItem(const AnsiString& s, unsigned CodePage, TSearchItem& Result)
{
    CodePage = ResolveCodePage(CodePage);
    if (CodePageMaxCharSize(CodePage) == 1) {
        // One character per byte: the whole text at once, when it keeps that.
        Result.Text = AnsiToWide(s, CodePage);
        if (Result.Text.size() == s.size())
            return;
    }
    Result.Text.clear();
    Result.Text.reserve(s.size());
    Result.Offs.reserve(s.size() + 1);
    const char* const Start = s.data();
    const char* const End = Start + s.size();
    for (const char* p = Start; p < End;) {
        const char* Next = CharNextExA(CodePage, p, End);
        if (Next <= p)
            Next = p + 1;
        const int Offs = static_cast<int>(p - Start) + 1;
        const auto Byte = static_cast<unsigned char>(*p);
        if (Next == p + 1 && Byte < 0x80) {
            Result.Text += static_cast<WideChar>(Byte);
            Result.Offs.push_back(Offs);
        } else {
            WideString Ch = AnsiToWide(AnsiString(p, static_cast<size_t>(Next - p)), CodePage);
            // A character the code page cannot convert still takes a place.
            if (Ch.empty())
                Ch.assign(1, static_cast<WideChar>(0xFFFD));
            Result.Text += Ch;
            Result.Offs.insert(Result.Offs.end(), Ch.size(), Offs);
        }
        p = Next;
    }
    Result.Offs.push_back(static_cast<int>(s.size()) + 1);
}

TSearchItem MakeSearchItem(TCustomRVData& Data, int ItemNo, bool MatchCase)
{
    TSearchItem Result;
    const AnsiString& s = Data.GetItemText(ItemNo);
    const TCustomRVItemInfo* Item = Data.GetItem(ItemNo);
    if (Item->ItemOptions.Contains(rvioUnicode))
        Result.Text = RVU_RawUnicodeToWideString(s.size() % 2 ? s.substr(0, s.size() - 1) : s);
    else
        ConvertAnsiItem(s, Data.GetStyleCodePage(Item->StyleNo), Result);
    Result.Keyed = MatchCase ? Result.Text : UpperCased(Result.Text);
    return Result;
}

// The search of one text item's units First..Last - 1 for Key: the first hit
// (Down) or the last one; its item offset and length in item characters.
bool FindInItem(TCustomRVData& Data, const TSearchItem& Item, size_t First, size_t Last,
                const WideString& Key, bool Down, bool WholeWord, int& Offs, int& Length)
{
    const size_t n = Key.size();
    if (n == 0 || Last > Item.Text.size() || First > Last || Last - First < n)
        return false;
    auto Matches = [&](size_t p) {
        if (!std::equal(Key.begin(), Key.end(), Item.Keyed.begin() + static_cast<std::ptrdiff_t>(p)))
            return false;
        if (!Item.IsBoundary(p) || !Item.IsBoundary(p + n))
            return false;
        // Words are judged by the item's whole text, not by the part searched.
        if (WholeWord && ((p > 0 && !Data.IsDelimiterW(Item.Text[p - 1])) ||
                          (p + n < Item.Text.size() && !Data.IsDelimiterW(Item.Text[p + n]))))
            return false;
        return true;
    };
    const size_t LastStart = Last - n;
    for (size_t i = 0; i <= LastStart - First; ++i) {
        const size_t p = Down ? First + i : LastStart - i;
        if (Matches(p)) {
            Offs = Item.OffsOfUnit(p);
            Length = Item.OffsOfUnit(p + n) - Offs;
            return true;
        }
    }
    return false;
}

// The sub-documents of Item from Position on, each searching from its own
// selection; the one that finds the text becomes the chosen one.
bool SearchSubDocuments(TCustomRVItemInfo* Item, TRVSubRVDataPos Position, bool Down, bool MatchCase,
                        bool WholeWord, const AnsiString& Text)
{
    TRVStoreSubRVData* RawStore = nullptr;
    TCustomRVData* Sub = Item->GetSubRVData(RawStore, Position);
    std::unique_ptr<TRVStoreSubRVData> Store(RawStore);
    while (Sub != nullptr) {
        auto* FSub = dynamic_cast<TCustomRVFormattedData*>(Sub->GetRVData());
        if (FSub != nullptr && FSub->SearchText(Down, MatchCase, WholeWord, Text)) {
            Item->ChooseSubRVData(Store.get());
            return true;
        }
        RawStore = Store.release();
        Sub = Item->GetSubRVData(RawStore, Down ? rvdNext : rvdPrev);
        Store.reset(RawStore);
    }
    return false;
}

} // namespace

bool TCustomRVFormattedData::SearchText(bool Down, bool MatchCase, bool WholeWord, const AnsiString& Text)
{
    const int Count = GetItemCount();
    if (Text.empty() || Count == 0)
        return false;
    WideString Key = AnsiToWide(Text, ResolveCodePage(GetDefaultCodePage()));
    if (!MatchCase)
        Key = UpperCased(Key);
    if (Key.empty())
        return false;

    // A sub-document holding the selection (or being edited) is searched on first.
    TCustomRVItemInfo* SubItem = GetChosenItem();
    if (SubItem == nullptr)
        SubItem = PartialSelectedItem;
    if (SubItem != nullptr &&
        SearchSubDocuments(SubItem, Down ? rvdChosenDown : rvdChosenUp, Down, MatchCase, WholeWord, Text))
        return true;

    int ItemNo = 0, Offs = 0;
    SrchStart(Down, ItemNo, Offs);
    if (ItemNo < 0 || ItemNo >= Count)
        return false;
    const int Step = Down ? 1 : -1;

    TCustomRVItemInfo* Start = GetItem(ItemNo);
    if (Start == SubItem) {
        ItemNo += Step;
    } else if (Start->StyleNo >= 0) {
        const TSearchItem Item = MakeSearchItem(*this, ItemNo, MatchCase);
        const size_t Cut = Item.UnitAtOrAfter(Offs);
        const size_t First = Down ? Cut : 0;
        const size_t Last = Down ? Item.Text.size() : Cut;
        int FoundOffs = 0, Length = 0;
        if (FindInItem(*this, Item, First, Last, Key, Down, WholeWord, FoundOffs, Length))
            return SrchSelectIt(ItemNo, FoundOffs, Length, !Down);
        ItemNo += Step;
    } else if (Down ? Offs > 0 : Offs < 1) {
        // Past the item in the search direction; before it, it is searched below.
        ItemNo += Step;
    }

    for (; ItemNo >= 0 && ItemNo < Count; ItemNo += Step) {
        TCustomRVItemInfo* Item = GetItem(ItemNo);
        if (Item->StyleNo < 0) {
            if (SearchSubDocuments(Item, Down ? rvdFirst : rvdLast, Down, MatchCase, WholeWord, Text))
                return true;
            continue;
        }
        const TSearchItem Searched = MakeSearchItem(*this, ItemNo, MatchCase);
        int FoundOffs = 0, Length = 0;
        if (FindInItem(*this, Searched, 0, Searched.Text.size(), Key, Down, WholeWord, FoundOffs, Length))
            return SrchSelectIt(ItemNo, FoundOffs, Length, !Down);
    }
    return false;
}

void TCustomRVFormattedData::SrchStart(bool Down, int& ItemNo, int& Offs)
{
    if (SelectionExists(true, false)) {
        int StartItemNo, StartOffs;
        StoreSelBounds(StartItemNo, ItemNo, StartOffs, Offs, false);
    } else if (Down) {
        ItemNo = GetFirstItemVisible();
        Offs = ItemNo >= 0 ? GetOffsBeforeItem(ItemNo) : 0;
    } else {
        ItemNo = GetLastItemVisible();
        // Not laid out: every item lies before the end.
        if (ItemNo < 0)
            ItemNo = GetItemCount() - 1;
        Offs = ItemNo >= 0 ? GetOffsAfterItem(ItemNo) + 1 : 0;
    }
    if (ItemNo < 0)
        ItemNo = 0;
}

bool TCustomRVFormattedData::SrchSelectIt(int ItemNo, int Offs, int Length, bool Up)
{
    DeselectPartiallySelectedItem(nullptr);
    if (Up)
        RestoreSelBounds(ItemNo, ItemNo, Offs + Length, Offs);
    else
        RestoreSelBounds(ItemNo, ItemNo, Offs, Offs + Length);
    if (SelStartNo >= 0 && SelStartNo < DrawItems.Count()) {
        const TRVDrawLineInfo* dli = DrawItems[SelStartNo];
        ShowRectangle(dli->Left, dli->Top, dli->Width, dli->Height);
    }
    Invalidate();
    DoOnSelection();
    DoSelect();
    return true;
}
