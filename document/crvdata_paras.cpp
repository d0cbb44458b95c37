// The item store: paragraph and line-run bounds, paragraph styles of whole
// paragraphs, merging adjacent text items, character steps inside an item and
// the reading direction of items and paragraphs.
#include "document/crvdata.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/charnextw.h"

// ---------------------------------------------------------------------------
// Bounds

bool TCustomRVData::IsFromNewLine(int ItemNo) const
{
    return !GetItem(ItemNo)->GetSameAsPrev();
}

bool TCustomRVData::IsParaStart(int ItemNo) const
{
    const TCustomRVItemInfo* Item = GetItem(ItemNo);
    return !Item->GetSameAsPrev() && !Item->GetBR();
}

int TCustomRVData::GetFirstParaItem(int ItemNo) const
{
    while (ItemNo > 0 && !IsParaStart(ItemNo))
        --ItemNo;
    return ItemNo;
}

int TCustomRVData::GetFirstParaSectionItem(int ItemNo) const
{
    while (ItemNo > 0 && !IsFromNewLine(ItemNo))
        --ItemNo;
    return ItemNo;
}

void TCustomRVData::ExpandToPara(int StartItemNo, int EndItemNo, int& ParaStart, int& ParaEnd) const
{
    ParaStart = GetFirstParaItem(StartItemNo);
    ParaEnd = EndItemNo + 1;
    while (ParaEnd < Items->Count() && !IsParaStart(ParaEnd))
        ++ParaEnd;
    --ParaEnd;
}

void TCustomRVData::ExpandToParaSection(int StartItemNo, int EndItemNo, int& ParaStart, int& ParaEnd) const
{
    ParaStart = GetFirstParaSectionItem(StartItemNo);
    ParaEnd = EndItemNo + 1;
    while (ParaEnd < Items->Count() && !IsFromNewLine(ParaEnd))
        ++ParaEnd;
    --ParaEnd;
}

void TCustomRVData::AdjustInItemsRange(int& ItemNo) const
{
    if (ItemNo >= Items->Count())
        ItemNo = Items->Count() - 1;
    if (ItemNo < 0)
        ItemNo = 0;
}

// ---------------------------------------------------------------------------
// Paragraph styles

void TCustomRVData::NormalizeParas(int StartItemNo)
{
    const int Count = Items->Count();
    if (Count == 0)
        return;
    int i = StartItemNo;
    AdjustInItemsRange(i);
    while (i > 0 && !GetItem(i)->CanBeBorderStart())
        --i;
    const int ParaNo = GetItem(i)->ParaNo;
    for (++i; i < Count; ++i) {
        TCustomRVItemInfo* Item = GetItem(i);
        if (Item->CanBeBorderStart())
            break;
        Item->ParaNo = ParaNo;
    }
}

void TCustomRVData::SetParagraphStyleToAll(int ParaNo)
{
    for (int i = 0; i < Items->Count(); ++i) {
        TCustomRVItemInfo* Item = GetItem(i);
        if (Item->StyleNo != rvsBreak)
            Item->ParaNo = ParaNo;
    }
}

// ---------------------------------------------------------------------------
// Merging text items

bool TCustomRVData::RV_CanConcateItems(int FirstItemNo, const TCustomRVItemInfo* Item1,
                                       const TCustomRVItemInfo* Item2, bool IgnorePara)
{
    if (!Item1 || !Item2 || Item1->StyleNo < 0 || Item2->StyleNo < 0)
        return false;
    if (FirstItemNo < 0 || FirstItemNo + 1 >= Items->Count())
        return false;
    const AnsiString& S1 = Items->Get(FirstItemNo);
    const AnsiString& S2 = Items->Get(FirstItemNo + 1);
    const bool Continues = IgnorePara || Item2->GetSameAsPrev();
    // An empty item merges with any neighbour on its line.
    if (S1.empty() || S2.empty())
        return Continues;
    if (Item1->StyleNo != Item2->StyleNo || !Continues)
        return false;
    if (!RV_CompareTags(Item1->Tag, Item2->Tag, TagsArePChars()) || Item2->Checkpoint)
        return false;
    // UTF-16 and byte text cannot be joined as they are.
    if (Item1->ItemOptions.Contains(rvioUnicode) != Item2->ItemOptions.Contains(rvioUnicode))
        return false;
    TRVStyle* Style = GetRVStyle();
    if (!Style)
        return true;
    const TRVProtectOptions Protection = Style->TextStyles()->Items(Item1->StyleNo)->Protection();
    return !Protection.Contains(rvprModifyProtect) && !Protection.Contains(rvprConcateProtect);
}

void TCustomRVData::SimpleConcate(int FirstItemNo, TCustomRVItemInfo* Item1, TCustomRVItemInfo* Item2)
{
    const AnsiString& S1 = Items->Get(FirstItemNo);
    const AnsiString& S2 = Items->Get(FirstItemNo + 1);
    if (S1.empty() && !S2.empty()) {
        // The text that remains keeps its own style and encoding; the line
        // options, tag and checkpoint stay the first item's.
        Item1->StyleNo = Item2->StyleNo;
        Item1->ItemOptions.Set(rvioUnicode, Item2->ItemOptions.Contains(rvioUnicode));
        Items->Put(FirstItemNo, S2);
    } else if (!S2.empty()) {
        Items->Put(FirstItemNo, S1 + S2);
    }
    // A checkpoint of the second item would be lost with it: when the first has
    // none, it moves over (its place in the chain stays right, as the two are neighbours).
    if (!Item1->Checkpoint && Item2->Checkpoint && Item2->Checkpoint->ItemInfo == Item2) {
        Item1->Checkpoint = Item2->Checkpoint;
        Item1->Checkpoint->ItemInfo = Item1;
        Item2->Checkpoint = nullptr;
    }
    const bool TextReplaced = !S2.empty();
    Items->PutObject(FirstItemNo + 1, nullptr);
    InternalFreeItem(Item2, false);
    Items->Delete(FirstItemNo + 1);
    if (TextReplaced)
        ItemTextChanged(FirstItemNo);
}

void TCustomRVData::MassSimpleConcate(int FirstItemNo, int LastItemNo)
{
    if (FirstItemNo < 0)
        FirstItemNo = 0;
    if (LastItemNo >= Items->Count())
        LastItemNo = Items->Count() - 1;
    // Downwards, so that a merge never moves an index still to be visited.
    for (int i = LastItemNo; i > FirstItemNo; --i)
        if (RV_CanConcateItems(i - 1, GetItem(i - 1), GetItem(i), false))
            SimpleConcate(i - 1, GetItem(i - 1), GetItem(i));
}

// ---------------------------------------------------------------------------
// Characters

int TCustomRVData::NextCharStr(const AnsiString& s, int ItemNo, int Index) const
{
    const int Length = static_cast<int>(s.size() / 2);
    if (!RVNT || !GetItem(ItemNo)->ItemOptions.Contains(rvioUnicode) || Index < 1 || Index > Length)
        return Index + 1;
    const WideString w = RVU_RawUnicodeToWideString(s.substr(0, static_cast<size_t>(Length) * 2));
    const WideChar* Start = w.c_str();
    return static_cast<int>(CharNextW(Start + Index - 1) - Start) + 1;
}

int TCustomRVData::PrevCharStr(const AnsiString& s, int ItemNo, int Index) const
{
    const int Length = static_cast<int>(s.size() / 2);
    if (!RVNT || !GetItem(ItemNo)->ItemOptions.Contains(rvioUnicode) || Index < 1 || Index > Length + 1)
        return Index - 1;
    const WideString w = RVU_RawUnicodeToWideString(s.substr(0, static_cast<size_t>(Length) * 2));
    const WideChar* Start = w.c_str();
    return static_cast<int>(CharPrevW(Start, Start + Index - 1) - Start) + 1;
}

int TCustomRVData::NextChar(int ItemNo, int Index) const
{
    return NextCharStr(Items->Get(ItemNo), ItemNo, Index);
}

int TCustomRVData::PrevChar(int ItemNo, int Index) const
{
    return PrevCharStr(Items->Get(ItemNo), ItemNo, Index);
}

// ---------------------------------------------------------------------------
// Reading direction

TRVBiDiMode TCustomRVData::GetItemBiDiMode(int ItemNo)
{
    const TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (Item->StyleNo >= 0) {
        TRVStyle* Style = GetRVStyle();
        if (Style) {
            const TRVBiDiMode Mode = Style->TextStyles()->Items(Item->StyleNo)->BiDiMode();
            if (Mode != rvbdUnspecified)
                return Mode;
        }
    }
    return GetParaBiDiMode(Item->ParaNo);
}

TRVBiDiMode TCustomRVData::GetParaBiDiMode(int ParaNo)
{
    TRVStyle* Style = GetRVStyle();
    if (Style) {
        const TRVBiDiMode Mode = Style->ParaStyles()->Items(ParaNo)->BiDiMode();
        if (Mode != rvbdUnspecified)
            return Mode;
    }
    return GetBiDiMode();
}
