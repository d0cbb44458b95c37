// Numbering of list markers: the markers list in document order, the counters
// it gives each marker, and the display strings built from the counters of a
// marker and of its parent levels through the level's format string.
#include <algorithm>
#include <climits>
#include <unordered_set>
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

int SaturatedIncrement(int value)
{
    return value == INT_MAX ? value : value + 1;
}

int ClampLevelText(int level)
{
    return std::clamp(level, 0, MaxLevelTexts - 1);
}

AnsiString AlphaText(int n, char first)
{
    AnsiString s;
    while (n > 0) {
        s.insert(s.begin(), static_cast<char>(first + (n - 1) % 26));
        n = (n - 1) / 26;
    }
    return s;
}

AnsiString RomanText(int n)
{
    static const struct {
        int Value;
        const char* Letters;
    } numerals[] = {{1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
                    {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
    if (n < 1)
        return "?";
    if (n > MaxRomanCounter)
        return IntToStr(n);
    AnsiString s;
    for (const auto& numeral : numerals)
        while (n >= numeral.Value) {
            s += numeral.Letters;
            n -= numeral.Value;
        }
    return s;
}

bool IsAlphaOrRoman(TRVListType listType)
{
    return listType == rvlstLowerAlpha || listType == rvlstUpperAlpha || listType == rvlstLowerRoman ||
           listType == rvlstUpperRoman;
}

// Reads "N:s" (N decimal, below MaxLevelTexts) after a "%" at Pos; the index
// and the position after the "s", or false.
bool ReadIndexedPlaceholder(const AnsiString& format, size_t pos, int& index, size_t& end)
{
    size_t i = pos;
    int value = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        value = value * 10 + (format[i] - '0');
        if (value >= MaxLevelTexts)
            return false;
        ++i;
    }
    if (i == pos || i + 1 >= format.size() || format[i] != ':' ||
        (format[i + 1] != 's' && format[i + 1] != 'S'))
        return false;
    index = value;
    end = i + 2;
    return true;
}

} // namespace

AnsiString RVGetListCounterText(int counter, TRVListType listType)
{
    switch (listType) {
    case rvlstDecimal:
    case rvlstImageListCounter:
        return IntToStr(counter);
    case rvlstLowerAlpha:
        return AlphaText(counter, 'a');
    case rvlstUpperAlpha:
        return AlphaText(counter, 'A');
    case rvlstUpperRoman:
        return RomanText(counter);
    case rvlstLowerRoman:
        return LowerCase(RomanText(counter));
    default:
        return AnsiString();
    }
}

AnsiString RVFormatMarkerString(const AnsiString& formatString, const AnsiString* Args, int argCount)
{
    auto arg = [&](int index) { return index < argCount ? Args[index] : AnsiString(); };
    AnsiString result;
    int next = 0; // the text a plain "%s" takes
    size_t i = 0;
    while (i < formatString.size()) {
        const char c = formatString[i];
        const char d = i + 1 < formatString.size() ? formatString[i + 1] : '\0';
        if (c != '%') {
            result += c;
            ++i;
        } else if (d == '%') {
            result += '%';
            i += 2;
        } else if ((d == 's' || d == 'S') && next < MaxLevelTexts) {
            result += arg(next++);
            i += 2;
        } else {
            int index = 0;
            size_t end = 0;
            if (ReadIndexedPlaceholder(formatString, i + 1, index, end)) {
                result += arg(index);
                next = index + 1;
                i = end;
            } else {
                // Not a placeholder of a marker text: kept as written.
                result += c;
                ++i;
            }
        }
    }
    return result;
}

// ---------------------------------------------------------------------------
// Display strings

void TRVMarkerItemInfo::CalcDisplayString(TRVStyle* rvStyle, TRVMarkerList* list, int listIndex)
{
    TRVListLevel* levelInfo = GetLevelInfo(rvStyle);
    if (levelInfo == nullptr) {
        DisplayString.clear();
        return;
    }
    switch (levelInfo->ListType()) {
    case rvlstBullet:
        DisplayString = levelInfo->FormatString();
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
    std::vector<AnsiString> texts(MaxLevelTexts);
    const bool legal = levelInfo->Options().Contains(rvloLegalStyleNumbering);
    const int ownLevel = ClampLevelText(Level);
    const TRVMarkerItemInfo* current = this;
    int currentIndex = listIndex;
    int l = ownLevel;
    for (;;) {
        const TRVListLevel* currentLevel = current->GetLevelInfo(rvStyle);
        if (currentLevel == nullptr)
            break;
        TRVListType listType = currentLevel->ListType();
        if (l < ownLevel && legal && IsAlphaOrRoman(listType))
            listType = rvlstDecimal;
        texts[l] = RVGetListCounterText(current->Counter, listType);
        if (l == 0)
            break;
        const int parent = list != nullptr && currentIndex >= 0 ? list->FindParentMarker(currentIndex) : -1;
        // Levels between this one and the parent's show their start values.
        const int parentLevel = parent >= 0 ? ClampLevelText(list->Marker(parent)->Level) : -1;
        for (int k = l - 1; k > parentLevel; --k) {
            const TRVListLevel* between = GetLevelInfoEx(rvStyle, k);
            if (between != nullptr)
                texts[k] = RVGetListCounterText(between->StartFrom(), between->ListType());
        }
        if (parent < 0)
            break;
        current = list->Marker(parent);
        currentIndex = parent;
        l = parentLevel;
    }
    DisplayString = RVFormatMarkerString(levelInfo->FormatString(), texts.data(), MaxLevelTexts);
}

// ---------------------------------------------------------------------------
// TRVMarkerList

int TRVMarkerList::FindParentMarker(int index) const
{
    const TRVMarkerItemInfo* marker0 = Marker(index);
    for (int i = index - 1; i >= 0; --i) {
        ++FWorkDone;
        const TRVMarkerItemInfo* other = Marker(i);
        if (other->ListNo == marker0->ListNo && other->Level < marker0->Level)
            return i;
    }
    return -1;
}

void TRVMarkerList::InsertAfter(TRVMarkerItemInfo* aMarker, TRVMarkerItemInfo* after)
{
    const int index = after != nullptr ? IndexOfMarker(after) + 1 : 0;
    Insert(index, aMarker);
    aMarker->FCachedIndexInList = index;
}

void TRVMarkerList::Append(TRVMarkerItemInfo* aMarker)
{
    aMarker->FCachedIndexInList = Add(aMarker);
}

int TRVMarkerList::InsertRange(const std::vector<TRVMarkerItemInfo*>& markers, TRVMarkerItemInfo* insertAfter)
{
    // A marker whose cached index is out of date may still be in the list:
    // the list is looked through once for all such markers together.
    std::vector<TRVMarkerItemInfo*> fresh;
    fresh.reserve(markers.size());
    for (TRVMarkerItemInfo* m : markers) {
        const int cached = m->FCachedIndexInList;
        if (!(cached >= 0 && cached < Count() && Get(cached) == m))
            fresh.push_back(m);
    }
    if (!fresh.empty() && Count() > 0) {
        std::unordered_set<const void*> held(fresh.begin(), fresh.end());
        std::unordered_set<const void*> found;
        for (int i = 0; i < Count(); ++i)
            if (held.count(Get(i)) != 0)
                found.insert(Get(i));
        FWorkDone += Count();
        if (!found.empty())
            fresh.erase(std::remove_if(fresh.begin(), fresh.end(),
                                       [&](const TRVMarkerItemInfo* m) { return found.count(m) != 0; }),
                        fresh.end());
    }
    if (fresh.empty())
        return -1;
    const int index = insertAfter != nullptr ? insertAfter->GetIndexInList(this) + 1 : 0;
    const int old = Count();
    const int added = static_cast<int>(fresh.size());
    SetCount(old + added);
    for (int i = old - 1; i >= index; --i)
        Put(i + added, Get(i));
    for (int k = 0; k < added; ++k)
        Put(index + k, fresh[static_cast<size_t>(k)]);
    for (int i = index; i < Count(); ++i)
        Marker(i)->FCachedIndexInList = i;
    FWorkDone += Count() - index;
    return index;
}

int TRVMarkerList::RemoveMarkers(const std::vector<TRVMarkerItemInfo*>& markers)
{
    if (markers.empty() || Count() == 0)
        return -1;
    const std::unordered_set<const void*> gone(markers.begin(), markers.end());
    int first = -1;
    int kept = 0;
    for (int i = 0; i < Count(); ++i) {
        void* entry = Get(i);
        if (gone.count(entry) != 0) {
            if (first < 0)
                first = i;
            continue;
        }
        if (first >= 0) {
            Put(kept, entry);
            static_cast<TRVMarkerItemInfo*>(entry)->FCachedIndexInList = kept;
        }
        ++kept;
    }
    FWorkDone += Count();
    if (first >= 0)
        SetCount(kept);
    return first;
}

int TRVMarkerList::IndexOfMarker(const TRVMarkerItemInfo* aMarker) const
{
    for (int i = 0; i < Count(); ++i) {
        ++FWorkDone;
        if (Get(i) == aMarker)
            return i;
    }
    return -1;
}

void TRVMarkerList::RecalcCounters(int startIndex, TRVStyle* rvStyle)
{
    if (startIndex < 0 || startIndex >= Count() || Marker(startIndex)->ListNo < 0)
        return;
    const int listNo = Marker(startIndex)->ListNo;
    for (int i = startIndex; i < Count(); ++i) {
        ++FWorkDone;
        TRVMarkerItemInfo* m = Marker(i);
        if (m->ListNo != listNo)
            continue;
        if (m->Reset) {
            m->Counter = m->StartFrom;
        } else {
            const TRVListLevel* levelInfo = m->GetLevelInfo(rvStyle);
            const int start = levelInfo != nullptr ? levelInfo->StartFrom() : 1;
            const bool levelReset = levelInfo != nullptr && levelInfo->Options().Contains(rvloLevelReset);
            m->Counter = start;
            for (int j = i - 1; j >= 0; --j) {
                ++FWorkDone;
                const TRVMarkerItemInfo* other = Marker(j);
                if (other->ListNo != listNo)
                    continue;
                if (other->Level == m->Level) {
                    m->Counter = SaturatedIncrement(other->Counter);
                    break;
                }
                if (other->Level < m->Level) {
                    if (levelReset)
                        break;
                } else {
                    // Deeper markers without one of this level before them
                    // showed this level's start value: this marker is the next.
                    m->Counter = SaturatedIncrement(start);
                }
            }
        }
        m->CalcDisplayString(rvStyle, this, i);
    }
}
