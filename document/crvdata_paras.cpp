// The item store: paragraph and line-run bounds, paragraph styles of whole
// paragraphs, merging adjacent text items, character steps inside an item and
// the reading direction of items and paragraphs.
#include "document/crvdata.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/charnextw.h"

// ---------------------------------------------------------------------------
// Bounds

bool TCustomRVData::IsFromNewLine(int itemNo) const
{
    return !GetItem(itemNo)->GetSameAsPrev();
}

bool TCustomRVData::IsParaStart(int itemNo) const
{
    const TCustomRVItemInfo* item = GetItem(itemNo);
    return !item->GetSameAsPrev() && !item->GetBR();
}

int TCustomRVData::GetFirstParaItem(int itemNo) const
{
    while (itemNo > 0 && !IsParaStart(itemNo))
        --itemNo;
    return itemNo;
}

int TCustomRVData::GetFirstParaSectionItem(int itemNo) const
{
    while (itemNo > 0 && !IsFromNewLine(itemNo))
        --itemNo;
    return itemNo;
}

void TCustomRVData::ExpandToPara(int startItemNo, int endItemNo, int& paraStart, int& paraEnd) const
{
    paraStart = GetFirstParaItem(startItemNo);
    paraEnd = endItemNo + 1;
    while (paraEnd < Items->Count() && !IsParaStart(paraEnd))
        ++paraEnd;
    --paraEnd;
}

void TCustomRVData::ExpandToParaSection(int startItemNo, int endItemNo, int& paraStart, int& paraEnd) const
{
    paraStart = GetFirstParaSectionItem(startItemNo);
    paraEnd = endItemNo + 1;
    while (paraEnd < Items->Count() && !IsFromNewLine(paraEnd))
        ++paraEnd;
    --paraEnd;
}

void TCustomRVData::AdjustInItemsRange(int& itemNo) const
{
    if (itemNo >= Items->Count())
        itemNo = Items->Count() - 1;
    if (itemNo < 0)
        itemNo = 0;
}

// ---------------------------------------------------------------------------
// Paragraph styles

void TCustomRVData::NormalizeParas(int startItemNo)
{
    const int count = Items->Count();
    if (count == 0)
        return;
    int i = startItemNo;
    AdjustInItemsRange(i);
    while (i > 0 && !GetItem(i)->CanBeBorderStart())
        --i;
    const int paraNo = GetItem(i)->ParaNo;
    for (++i; i < count; ++i) {
        TCustomRVItemInfo* item = GetItem(i);
        if (item->CanBeBorderStart())
            break;
        item->ParaNo = paraNo;
    }
}

void TCustomRVData::SetParagraphStyleToAll(int paraNo)
{
    NoteChange();
    for (int i = 0; i < Items->Count(); ++i) {
        TCustomRVItemInfo* item = GetItem(i);
        if (item->StyleNo != rvsBreak)
            item->ParaNo = paraNo;
    }
}

// ---------------------------------------------------------------------------
// Merging text items

bool TCustomRVData::RV_CanConcateItems(int firstItemNo, const TCustomRVItemInfo* item1,
                                       const TCustomRVItemInfo* item2, bool ignorePara)
{
    if (!item1 || !item2 || item1->StyleNo < 0 || item2->StyleNo < 0)
        return false;
    if (firstItemNo < 0 || firstItemNo + 1 >= Items->Count())
        return false;
    const AnsiString& s1 = Items->Get(firstItemNo);
    const AnsiString& s2 = Items->Get(firstItemNo + 1);
    const bool continues = ignorePara || item2->GetSameAsPrev();
    // An empty item merges with any neighbour on its line.
    if (s1.empty() || s2.empty())
        return continues;
    if (item1->StyleNo != item2->StyleNo || !continues)
        return false;
    if (!RV_CompareTags(item1->GetTag(), item2->GetTag(), TagsArePChars()) || item2->GetCheckpoint())
        return false;
    // UTF-16 and byte text cannot be joined as they are.
    if (item1->ItemOptions.Contains(rvioUnicode) != item2->ItemOptions.Contains(rvioUnicode))
        return false;
    TRVStyle* style = GetRVStyle();
    if (!style)
        return true;
    const TRVProtectOptions protection = style->TextStyles()->Items(item1->StyleNo)->Protection();
    return !protection.Contains(rvprModifyProtect) && !protection.Contains(rvprConcateProtect);
}

void TCustomRVData::SimpleConcate(int firstItemNo, TCustomRVItemInfo* item1, TCustomRVItemInfo* item2)
{
    JoinIntoFirst(firstItemNo, item1, item2);
    Items->Delete(firstItemNo + 1);
}

void TCustomRVData::JoinIntoFirst(int firstItemNo, TCustomRVItemInfo* item1, TCustomRVItemInfo* item2)
{
    const AnsiString& s1 = Items->Get(firstItemNo);
    const AnsiString& s2 = Items->Get(firstItemNo + 1);
    if (s1.empty() && !s2.empty()) {
        // The text that remains keeps its own style and encoding; the line
        // options, tag and checkpoint stay the first item's.
        item1->StyleNo = item2->StyleNo;
        item1->ItemOptions.Set(rvioUnicode, item2->ItemOptions.Contains(rvioUnicode));
        Items->Put(firstItemNo, s2);
    } else if (!s2.empty()) {
        Items->Put(firstItemNo, s1 + s2);
    }
    // A checkpoint of the second item would be lost with it: when the first has
    // none, it moves over (its place in the chain stays right, as the two are neighbours).
    if (!item1->GetCheckpoint() && item2->GetCheckpoint() && item2->GetCheckpoint()->ItemInfo == item2) {
        item1->SetCheckpoint(item2->GetCheckpoint());
        item1->GetCheckpoint()->ItemInfo = item1;
        item2->SetCheckpoint(nullptr);
    }
    const bool textReplaced = !s2.empty();
    Items->Put(firstItemNo + 1, AnsiString());
    Items->PutObject(firstItemNo + 1, nullptr);
    InternalFreeItem(item2, false);
    if (textReplaced)
        ItemTextChanged(firstItemNo);
}

void TCustomRVData::MassSimpleConcate(int firstItemNo, int lastItemNo)
{
    if (firstItemNo < 0)
        firstItemNo = 0;
    if (lastItemNo >= Items->Count())
        lastItemNo = Items->Count() - 1;
    if (firstItemNo >= lastItemNo)
        return;
    // Forwards, the items that stay packed after Kept: each item is moved next
    // to the last one kept and merged into it where it can be, and the entries
    // merges emptied go in one pass at the end, so that the cost stays linear
    // however many items merge.
    int kept = firstItemNo;
    for (int i = firstItemNo + 1; i <= lastItemNo; ++i) {
        // The slot after Kept is one that a merge emptied.
        if (i != kept + 1)
            Items->Exchange(kept + 1, i);
        if (RV_CanConcateItems(kept, GetItem(kept), GetItem(kept + 1), false))
            JoinIntoFirst(kept, GetItem(kept), GetItem(kept + 1));
        else
            ++kept;
    }
    const int removed = lastItemNo - kept;
    if (removed == 0)
        return;
    const int count = Items->Count();
    Items->BeginUpdate();
    for (int i = lastItemNo + 1; i < count; ++i)
        Items->Exchange(i - removed, i);
    for (int i = count - 1; i >= count - removed; --i)
        Items->Delete(i);
    Items->EndUpdate();
}

// ---------------------------------------------------------------------------
// Characters

int TCustomRVData::NextCharStr(const AnsiString& s, int itemNo, int index) const
{
    const int length = static_cast<int>(s.size() / 2);
    if (!RVNT || !GetItem(itemNo)->ItemOptions.Contains(rvioUnicode) || index < 1 || index > length)
        return index + 1;
    const WideString w = RVU_RawUnicodeUnits(s);
    const WideChar* start = w.c_str();
    return static_cast<int>(CharNextW(start + index - 1) - start) + 1;
}

int TCustomRVData::PrevCharStr(const AnsiString& s, int itemNo, int index) const
{
    const int length = static_cast<int>(s.size() / 2);
    if (!RVNT || !GetItem(itemNo)->ItemOptions.Contains(rvioUnicode) || index < 1 || index > length + 1)
        return index - 1;
    const WideString w = RVU_RawUnicodeUnits(s);
    const WideChar* start = w.c_str();
    return static_cast<int>(CharPrevW(start, start + index - 1) - start) + 1;
}

int TCustomRVData::NextChar(int itemNo, int index) const
{
    return NextCharStr(Items->Get(itemNo), itemNo, index);
}

int TCustomRVData::PrevChar(int itemNo, int index) const
{
    return PrevCharStr(Items->Get(itemNo), itemNo, index);
}

// ---------------------------------------------------------------------------
// Reading direction

TRVBiDiMode TCustomRVData::GetItemBiDiMode(int itemNo)
{
    const TCustomRVItemInfo* item = GetItem(itemNo);
    if (item->StyleNo >= 0) {
        TRVStyle* style = GetRVStyle();
        if (style) {
            const TRVBiDiMode mode = style->TextStyles()->Items(item->StyleNo)->BiDiMode();
            if (mode != rvbdUnspecified)
                return mode;
        }
    }
    return GetParaBiDiMode(item->ParaNo);
}

TRVBiDiMode TCustomRVData::GetParaBiDiMode(int paraNo)
{
    TRVStyle* style = GetRVStyle();
    if (style) {
        const TRVBiDiMode mode = style->ParaStyles()->Items(paraNo)->BiDiMode();
        if (mode != rvbdUnspecified)
            return mode;
    }
    return GetBiDiMode();
}
