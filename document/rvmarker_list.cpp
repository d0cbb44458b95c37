// Numbering of list markers: the markers list in document order, the counters
// it gives each marker, and the display strings built from the counters of a
// marker and of its parent levels through the level's format string.
#include <algorithm>
#include <climits>
#include <vector>

#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "platform/core/sysutils.h"

namespace {

// The display string has one text per level; deeper levels share the last one.
constexpr int MaxLevelTexts = 256;
// Above this a Roman numeral is written in decimal: the numeral grows by one
// "M" per thousand, and counters come from files.
constexpr int MaxRomanCounter = 100000;

int SaturatedIncrement(int Value)
{
    return Value == INT_MAX ? Value : Value + 1;
}

int ClampLevelText(int Level)
{
    return std::clamp(Level, 0, MaxLevelTexts - 1);
}

AnsiString AlphaText(int n, char First)
{
    AnsiString s;
    while (n > 0) {
        s.insert(s.begin(), static_cast<char>(First + (n - 1) % 26));
        n = (n - 1) / 26;
    }
    return s;
}

AnsiString RomanText(int n)
{
    static const struct {
        int Value;
        const char* Letters;
    } Numerals[] = {{1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
                    {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
    if (n < 1)
        return "?";
    if (n > MaxRomanCounter)
        return IntToStr(n);
    AnsiString s;
    for (const auto& Numeral : Numerals)
        while (n >= Numeral.Value) {
            s += Numeral.Letters;
            n -= Numeral.Value;
        }
    return s;
}

bool IsAlphaOrRoman(TRVListType ListType)
{
    return ListType == rvlstLowerAlpha || ListType == rvlstUpperAlpha || ListType == rvlstLowerRoman ||
           ListType == rvlstUpperRoman;
}

// Reads "N:s" (N decimal, below MaxLevelTexts) after a "%" at Pos; the index
// and the position after the "s", or false.
bool ReadIndexedPlaceholder(const AnsiString& Format, size_t Pos, int& Index, size_t& End)
{
    size_t i = Pos;
    int Value = 0;
    while (i < Format.size() && Format[i] >= '0' && Format[i] <= '9') {
        Value = Value * 10 + (Format[i] - '0');
        if (Value >= MaxLevelTexts)
            return false;
        ++i;
    }
    if (i == Pos || i + 1 >= Format.size() || Format[i] != ':' ||
        (Format[i + 1] != 's' && Format[i + 1] != 'S'))
        return false;
    Index = Value;
    End = i + 2;
    return true;
}

} // namespace

AnsiString RVGetListCounterText(int Counter, TRVListType ListType)
{
    switch (ListType) {
    case rvlstDecimal:
    case rvlstImageListCounter:
        return IntToStr(Counter);
    case rvlstLowerAlpha:
        return AlphaText(Counter, 'a');
    case rvlstUpperAlpha:
        return AlphaText(Counter, 'A');
    case rvlstUpperRoman:
        return RomanText(Counter);
    case rvlstLowerRoman:
        return LowerCase(RomanText(Counter));
    default:
        return AnsiString();
    }
}

AnsiString RVFormatMarkerString(const AnsiString& FormatString, const AnsiString* Args, int ArgCount)
{
    auto Arg = [&](int Index) { return Index < ArgCount ? Args[Index] : AnsiString(); };
    AnsiString Result;
    int Next = 0; // the text a plain "%s" takes
    size_t i = 0;
    while (i < FormatString.size()) {
        const char c = FormatString[i];
        const char d = i + 1 < FormatString.size() ? FormatString[i + 1] : '\0';
        if (c != '%') {
            Result += c;
            ++i;
        } else if (d == '%') {
            Result += '%';
            i += 2;
        } else if ((d == 's' || d == 'S') && Next < MaxLevelTexts) {
            Result += Arg(Next++);
            i += 2;
        } else {
            int Index = 0;
            size_t End = 0;
            if (ReadIndexedPlaceholder(FormatString, i + 1, Index, End)) {
                Result += Arg(Index);
                Next = Index + 1;
                i = End;
            } else {
                // Not a placeholder of a marker text: kept as written.
                Result += c;
                ++i;
            }
        }
    }
    return Result;
}

// ---------------------------------------------------------------------------
// Display strings

void TRVMarkerItemInfo::CalcDisplayString(TRVStyle* RVStyle, TRVMarkerList* List, int ListIndex)
{
    TRVListLevel* LevelInfo = GetLevelInfo(RVStyle);
    if (LevelInfo == nullptr) {
        DisplayString.clear();
        return;
    }
    switch (LevelInfo->ListType()) {
    case rvlstBullet:
        DisplayString = LevelInfo->FormatString();
        return;
    case rvlstPicture:
    case rvlstImageList:
    case rvlstImageListCounter:
    case rvlstUnicodeBullet:
        DisplayString.clear();
        return;
    default:
        break;
    }
    std::vector<AnsiString> Texts(MaxLevelTexts);
    const bool Legal = LevelInfo->Options().Contains(rvloLegalStyleNumbering);
    const int OwnLevel = ClampLevelText(Level);
    const TRVMarkerItemInfo* Current = this;
    int CurrentIndex = ListIndex;
    int L = OwnLevel;
    for (;;) {
        const TRVListLevel* CurrentLevel = Current->GetLevelInfo(RVStyle);
        if (CurrentLevel == nullptr)
            break;
        TRVListType ListType = CurrentLevel->ListType();
        if (L < OwnLevel && Legal && IsAlphaOrRoman(ListType))
            ListType = rvlstDecimal;
        Texts[L] = RVGetListCounterText(Current->Counter, ListType);
        if (L == 0)
            break;
        const int Parent = List != nullptr && CurrentIndex >= 0 ? List->FindParentMarker(CurrentIndex) : -1;
        // Levels between this one and the parent's show their start values.
        const int ParentLevel = Parent >= 0 ? ClampLevelText(List->Marker(Parent)->Level) : -1;
        for (int l = L - 1; l > ParentLevel; --l) {
            const TRVListLevel* Between = GetLevelInfoEx(RVStyle, l);
            if (Between != nullptr)
                Texts[l] = RVGetListCounterText(Between->StartFrom(), Between->ListType());
        }
        if (Parent < 0)
            break;
        Current = List->Marker(Parent);
        CurrentIndex = Parent;
        L = ParentLevel;
    }
    DisplayString = RVFormatMarkerString(LevelInfo->FormatString(), Texts.data(), MaxLevelTexts);
}

// ---------------------------------------------------------------------------
// TRVMarkerList

int TRVMarkerList::FindParentMarker(int Index) const
{
    const TRVMarkerItemInfo* Marker0 = Marker(Index);
    for (int i = Index - 1; i >= 0; --i) {
        ++FWorkDone;
        const TRVMarkerItemInfo* Other = Marker(i);
        if (Other->ListNo == Marker0->ListNo && Other->Level < Marker0->Level)
            return i;
    }
    return -1;
}

void TRVMarkerList::InsertAfter(TRVMarkerItemInfo* AMarker, TRVMarkerItemInfo* After)
{
    const int Index = After != nullptr ? IndexOfMarker(After) + 1 : 0;
    Insert(Index, AMarker);
    AMarker->FCachedIndexInList = Index;
}

void TRVMarkerList::Append(TRVMarkerItemInfo* AMarker)
{
    AMarker->FCachedIndexInList = Add(AMarker);
}

int TRVMarkerList::IndexOfMarker(const TRVMarkerItemInfo* AMarker) const
{
    for (int i = 0; i < Count(); ++i) {
        ++FWorkDone;
        if (Get(i) == AMarker)
            return i;
    }
    return -1;
}

void TRVMarkerList::RecalcCounters(int StartIndex, TRVStyle* RVStyle)
{
    if (StartIndex < 0 || StartIndex >= Count() || Marker(StartIndex)->ListNo < 0)
        return;
    const int ListNo = Marker(StartIndex)->ListNo;
    for (int i = StartIndex; i < Count(); ++i) {
        ++FWorkDone;
        TRVMarkerItemInfo* M = Marker(i);
        if (M->ListNo != ListNo)
            continue;
        if (M->Reset) {
            M->Counter = M->StartFrom;
        } else {
            const TRVListLevel* LevelInfo = M->GetLevelInfo(RVStyle);
            const int Start = LevelInfo != nullptr ? LevelInfo->StartFrom() : 1;
            const bool LevelReset = LevelInfo != nullptr && LevelInfo->Options().Contains(rvloLevelReset);
            M->Counter = Start;
            for (int j = i - 1; j >= 0; --j) {
                ++FWorkDone;
                const TRVMarkerItemInfo* Other = Marker(j);
                if (Other->ListNo != ListNo)
                    continue;
                if (Other->Level == M->Level) {
                    M->Counter = SaturatedIncrement(Other->Counter);
                    break;
                }
                if (Other->Level < M->Level) {
                    if (LevelReset)
                        break;
                } else {
                    // Deeper markers without one of this level before them
                    // showed this level's start value: this marker is the next.
                    M->Counter = SaturatedIncrement(Start);
                }
            }
        }
        M->CalcDisplayString(RVStyle, this, i);
    }
}
