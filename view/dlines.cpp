// The draw-item list with its deferred deletion and text access, and the page
// start list's search.
#include "view/dlines.h"

#include "document/rvuni.h"
#include "platform/core/stringlist.h"

TRVDrawLines::~TRVDrawLines()
{
    Clear();
}

void TRVDrawLines::Clear()
{
    for (int i = 0; i < Count(); ++i)
        delete Get(i);
    TList::Clear();
    MarkedFirst = -1;
    MarkedCount = 0;
}

void TRVDrawLines::Insert(int Index, TRVDrawLineInfo* Item)
{
    if (MarkedCount > 0) {
        // The caller inserts at MarkedFirst: the slot is free, nothing moves.
        TList::Put(Index, Item);
        ++MarkedFirst;
        --MarkedCount;
        return;
    }
    TList::Insert(Index, Item);
}

void TRVDrawLines::Delete(int Index)
{
    delete Get(Index);
    if (MarkedCount > 0) {
        // The caller deletes just before the marked range, which grows down by one.
        TList::Put(Index, nullptr);
        --MarkedFirst;
        ++MarkedCount;
        return;
    }
    TList::Delete(Index);
}

void TRVDrawLines::DeleteRange(int First, int Last)
{
    const int n = Count();
    if (First < 0 || Last >= n || First > Last)
        return;
    const int Removed = Last - First + 1;
    for (int i = Last + 1; i < n; ++i)
        TList::Put(i - Removed, TList::Get(i));
    SetCount(n - Removed);
}

void TRVDrawLines::MarkForDelete(int First, int Last)
{
    MarkedFirst = First;
    MarkedCount = Last - First + 1;
    for (int i = First; i <= Last; ++i) {
        delete Get(i);
        TList::Put(i, nullptr);
    }
}

void TRVDrawLines::DeleteMarked()
{
    if (MarkedCount <= 0)
        return;
    DeleteRange(MarkedFirst, MarkedFirst + MarkedCount - 1);
    MarkedCount = 0;
}

void TRVDrawLines::DeleteFrom(int First)
{
    if (First < 0)
        First = 0;
    for (int i = First; i < Count(); ++i)
        delete Get(i);
    if (First < Count())
        SetCount(First);
}

namespace {

TRVItemOptions OptionsOf(TStringList* AItems, int ItemNo)
{
    const auto* Item = static_cast<const TCustomRVItemInfo*>(AItems->GetObject(ItemNo));
    return Item != nullptr ? Item->ItemOptions : TRVItemOptions();
}

// Count characters from character From (1-based) of the item's text, cut to
// the text: a draw item that outlived a text change reads only what is there.
AnsiString ItemChars(TStringList* AItems, int ItemNo, int From, int Count)
{
    if (Count <= 0 || ItemNo < 0 || ItemNo >= AItems->Count())
        return AnsiString();
    const AnsiString& s = AItems->Get(ItemNo);
    const TRVItemOptions Options = OptionsOf(AItems, ItemNo);
    const int Length = RVU_Length(s, Options);
    if (From < 1)
        From = 1;
    if (From > Length)
        return AnsiString();
    if (Count > Length - From + 1)
        Count = Length - From + 1;
    return RVU_Copy(s, From, Count, Options);
}

} // namespace

AnsiString TRVDrawLines::GetString(int Index, TStringList* AItems) const
{
    const TRVDrawLineInfo* dli = Get(Index);
    return ItemChars(AItems, dli->ItemNo, dli->Offs, dli->Length);
}

AnsiString TRVDrawLines::GetSubString(int Index, TStringList* AItems, int Start, int Count) const
{
    const TRVDrawLineInfo* dli = Get(Index);
    if (Start < 1)
        Start = 1;
    if (Count > dli->Length + 1 - Start)
        Count = dli->Length + 1 - Start;
    return ItemChars(AItems, dli->ItemNo, dli->Offs + Start - 1, Count);
}

AnsiString TRVDrawLines::GetRightString(int Index, TStringList* AItems, int Start) const
{
    const TRVDrawLineInfo* dli = Get(Index);
    if (Start < 1)
        Start = 1;
    return ItemChars(AItems, dli->ItemNo, dli->Offs + Start - 1, dli->Length - Start + 1);
}

int TRVSoftPageBreakList::FindItem(int ItemNo) const
{
    if (Count() == 0)
        return -1;
    int Low = 0;
    int High = Count() - 1;
    int Found = -1;
    while (High - Low >= 2) {
        const int Mid = (Low + High) / 2;
        const int MidItem = Get(Mid)->ItemNo;
        if (MidItem == ItemNo) {
            Found = Mid;
            break;
        }
        if (MidItem > ItemNo)
            High = Mid;
        else
            Low = Mid;
    }
    if (Found < 0) {
        if (Get(Low)->ItemNo == ItemNo)
            Found = Low;
        else if (Get(High)->ItemNo == ItemNo)
            Found = High;
        else
            return -1;
    }
    // Several pages may start in one item: the first of them.
    while (Found > 0 && Get(Found - 1)->ItemNo == ItemNo)
        --Found;
    return Found;
}
