// The draw-item list with its deferred deletion and text access, and the page
// start list's search.
#include "view/dlines.h"

#include <string_view>
#include <utility>

#include "document/rvuni.h"
#include "platform/core/stringlist.h"

TRVDrawLines::~TRVDrawLines()
{
    Clear();
}

void TRVDrawLines::Clear()
{
    for (int i = 0; i < Count(); ++i)
        delete Raw(i);
    TList::Clear();
    ForgetShift();
    MarkedFirst = -1;
    MarkedCount = 0;
}

void TRVDrawLines::Swap(TRVDrawLines& other)
{
    SwapEntries(other);
    std::swap(FShiftedFrom, other.FShiftedFrom);
    std::swap(FShiftTop, other.FShiftTop);
    std::swap(FShiftItemNo, other.FShiftItemNo);
    std::swap(FGapGrowth, other.FGapGrowth);
    std::swap(MarkedFirst, other.MarkedFirst);
    std::swap(MarkedCount, other.MarkedCount);
}

void TRVDrawLines::ForgetShift() const
{
    FShiftedFrom = NoShift;
    FShiftTop = 0;
    FShiftItemNo = 0;
}

void TRVDrawLines::MoveRange(int first, int last, int dTop, int dItemNo) const
{
    for (int i = first; i <= last; ++i)
        if (TRVDrawLineInfo* dli = Raw(i)) {
            dli->Top += dTop;
            dli->ItemNo += dItemNo;
        }
}

void TRVDrawLines::SettleTo(int last) const
{
    last = std::min(last, Count() - 1);
    if (last < FShiftedFrom)
        return;
    MoveRange(FShiftedFrom, last, FShiftTop, FShiftItemNo);
    FShiftedFrom = last + 1;
    if (FShiftedFrom >= Count())
        ForgetShift();
}

void TRVDrawLines::ShiftFrom(int first, int dTop, int dItemNo)
{
    if ((dTop == 0 && dItemNo == 0) || first >= Count())
        return;
    first = std::max(first, 0);
    Settle(first - 1);
    if (FShiftedFrom == NoShift)
        FShiftedFrom = first;
    // Draw items already settled below First move now; the rest keep waiting
    // with the sum of both moves.
    MoveRange(first, FShiftedFrom - 1, dTop, dItemNo);
    FShiftTop += dTop;
    FShiftItemNo += dItemNo;
}

void TRVDrawLines::OpenGap(int index)
{
    // The slots a layout of a range fills beyond the ones it marked open in
    // blocks that double, so that laying out a thousand new lines above a
    // hundred thousand moves the lines below a few times, not once per line.
    const int gap = std::max(256, FGapGrowth);
    FGapGrowth = gap * 2;
    TList::InsertNulls(index, gap);
    if (FShiftedFrom != NoShift)
        FShiftedFrom += gap;
    MarkedFirst = index;
    MarkedCount = gap;
}

void TRVDrawLines::Insert(int index, TRVDrawLineInfo* item)
{
    Settle(index);
    if (MarkedCount == 0 && MarkedFirst >= 0 && index == MarkedFirst)
        OpenGap(index);
    if (MarkedCount > 0) {
        // The caller inserts at MarkedFirst: the slot is free, nothing moves.
        TList::Put(index, item);
        ++MarkedFirst;
        --MarkedCount;
        return;
    }
    TList::Insert(index, item);
    if (FShiftedFrom != NoShift)
        ++FShiftedFrom;
}

void TRVDrawLines::Delete(int index)
{
    delete Get(index);
    if (MarkedCount > 0) {
        // The caller deletes just before the marked range, which grows down by one.
        TList::Put(index, nullptr);
        --MarkedFirst;
        ++MarkedCount;
        return;
    }
    TList::Delete(index);
    if (FShiftedFrom != NoShift)
        --FShiftedFrom;
}

void TRVDrawLines::DeleteRange(int first, int last)
{
    const int n = Count();
    if (first < 0 || last >= n || first > last)
        return;
    Settle(last);
    const int removed = last - first + 1;
    for (int i = last + 1; i < n; ++i)
        TList::Put(i - removed, TList::Get(i));
    SetCount(n - removed);
    if (FShiftedFrom != NoShift)
        FShiftedFrom -= removed;
}

void TRVDrawLines::MarkForDelete(int first, int last)
{
    Settle(last);
    MarkedFirst = first;
    MarkedCount = last - first + 1;
    FGapGrowth = 0;
    for (int i = first; i <= last; ++i) {
        delete Raw(i);
        TList::Put(i, nullptr);
    }
}

void TRVDrawLines::DeleteMarked()
{
    if (MarkedCount > 0)
        DeleteRange(MarkedFirst, MarkedFirst + MarkedCount - 1);
    MarkedCount = 0;
    // Inserts after this are plain list inserts again.
    MarkedFirst = -1;
}

void TRVDrawLines::DeleteFrom(int first)
{
    if (first < 0)
        first = 0;
    Settle(first - 1);
    for (int i = first; i < Count(); ++i)
        delete Raw(i);
    if (first < Count())
        SetCount(first);
    if (FShiftedFrom >= Count())
        ForgetShift();
}

namespace {

TRVItemOptions OptionsOf(TStringList* aItems, int itemNo)
{
    const auto* item = static_cast<const TCustomRVItemInfo*>(aItems->GetObject(itemNo));
    return item != nullptr ? item->ItemOptions : TRVItemOptions();
}

// Count characters from character From (1-based) of the item's text, cut to
// the text: a draw item that outlived a text change reads only what is there.
// The bytes are the item's own, in place.
std::string_view ItemChars(TStringList* aItems, int itemNo, int from, int count)
{
    if (count <= 0 || itemNo < 0 || itemNo >= aItems->Count())
        return {};
    const std::string_view s = aItems->GetView(itemNo);
    const TRVItemOptions options = OptionsOf(aItems, itemNo);
    const int length = RVU_Length(s, options);
    if (from < 1)
        from = 1;
    if (from > length)
        return {};
    if (count > length - from + 1)
        count = length - from + 1;
    const size_t unit = options.Contains(rvioUnicode) ? 2 : 1;
    return s.substr(unit * static_cast<size_t>(from - 1), unit * static_cast<size_t>(count));
}

} // namespace

AnsiString TRVDrawLines::GetString(int index, TStringList* aItems) const
{
    return AnsiString(GetStringView(index, aItems));
}

std::string_view TRVDrawLines::GetStringView(int index, TStringList* aItems) const
{
    const TRVDrawLineInfo* dli = Get(index);
    return ItemChars(aItems, dli->ItemNo, dli->Offs, dli->Length);
}

AnsiString TRVDrawLines::GetSubString(int index, TStringList* aItems, int start, int count) const
{
    const TRVDrawLineInfo* dli = Get(index);
    if (start < 1)
        start = 1;
    if (count > dli->Length + 1 - start)
        count = dli->Length + 1 - start;
    return AnsiString(ItemChars(aItems, dli->ItemNo, dli->Offs + start - 1, count));
}

AnsiString TRVDrawLines::GetRightString(int index, TStringList* aItems, int start) const
{
    const TRVDrawLineInfo* dli = Get(index);
    if (start < 1)
        start = 1;
    return AnsiString(ItemChars(aItems, dli->ItemNo, dli->Offs + start - 1, dli->Length - start + 1));
}

int TRVSoftPageBreakList::FindItem(int itemNo) const
{
    if (Count() == 0)
        return -1;
    int low = 0;
    int high = Count() - 1;
    int found = -1;
    while (high - low >= 2) {
        const int mid = (low + high) / 2;
        const int midItem = Get(mid)->ItemNo;
        if (midItem == itemNo) {
            found = mid;
            break;
        }
        if (midItem > itemNo)
            high = mid;
        else
            low = mid;
    }
    if (found < 0) {
        if (Get(low)->ItemNo == itemNo)
            found = low;
        else if (Get(high)->ItemNo == itemNo)
            found = high;
        else
            return -1;
    }
    // Several pages may start in one item: the first of them.
    while (found > 0 && Get(found - 1)->ItemNo == itemNo)
        --found;
    return found;
}
