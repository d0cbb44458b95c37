// The item store: reading and changing single items, their texts in ANSI and
// wide form, tags, per-kind information, page-break flags, code pages and the
// word-delimiter test.
#include <algorithm>

#include "document/crvdata.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"

namespace {

bool IsUnicodeTextItem(const TCustomRVItemInfo* item)
{
    return item->StyleNo >= 0 && item->ItemOptions.Contains(rvioUnicode);
}

} // namespace

// ---------------------------------------------------------------------------
// Items

TCustomRVItemInfo* TCustomRVData::GetItem(int itemNo) const
{
    return static_cast<TCustomRVItemInfo*>(Items->GetObject(itemNo));
}

int TCustomRVData::GetItemNo(const TCustomRVItemInfo* item) const
{
    return Items->IndexOfObject(item);
}

int TCustomRVData::GetItemCount() const
{
    return Items->Count();
}

int TCustomRVData::GetItemStyle(int itemNo) const
{
    return GetItem(itemNo)->StyleNo;
}

int TCustomRVData::GetItemPara(int itemNo) const
{
    return GetItem(itemNo)->ParaNo;
}

TRVItemOptions TCustomRVData::GetItemOptions(int itemNo) const
{
    return GetItem(itemNo)->ItemOptions;
}

const TRVTag& TCustomRVData::GetItemTag(int itemNo) const
{
    return GetItem(itemNo)->GetTag();
}

void TCustomRVData::SetItemTag(int itemNo, const TRVTag& tag)
{
    TCustomRVItemInfo* item = GetItem(itemNo);
    if (item->GetTag() != tag)
        item->SetTag(tag);
}

AnsiString TCustomRVData::GetItemText(int itemNo) const
{
    return Items->Get(itemNo);
}

void TCustomRVData::SetItemText(int itemNo, const AnsiString& s)
{
    if (GetItem(itemNo)->ItemOptions.Contains(rvioUnicode))
        RVCheckUni(static_cast<int64_t>(s.size()));
    Items->Put(itemNo, s);
    ItemTextChanged(itemNo);
}

void TCustomRVData::ItemTextChanged(int itemNo)
{
    (void)itemNo;
}

AnsiString TCustomRVData::GetTextInItemFormatA(int itemNo, const AnsiString& s)
{
    const TCustomRVItemInfo* item = GetItem(itemNo);
    if (IsUnicodeTextItem(item))
        return RVU_AnsiToUnicode(GetStyleCodePage(item->StyleNo), s);
    return s;
}

AnsiString TCustomRVData::GetTextInItemFormatW(int itemNo, const WideString& s)
{
    const TCustomRVItemInfo* item = GetItem(itemNo);
    if (IsUnicodeTextItem(item))
        return RVU_GetRawUnicode(s);
    return RVU_UnicodeToAnsi(GetStyleCodePage(item->StyleNo), RVU_GetRawUnicode(s));
}

AnsiString TCustomRVData::GetItemTextA(int itemNo)
{
    const TCustomRVItemInfo* item = GetItem(itemNo);
    if (IsUnicodeTextItem(item))
        return RVU_UnicodeToAnsi(GetStyleCodePage(item->StyleNo), Items->Get(itemNo));
    return Items->Get(itemNo);
}

WideString TCustomRVData::GetItemTextW(int itemNo)
{
    const TCustomRVItemInfo* item = GetItem(itemNo);
    if (IsUnicodeTextItem(item))
        return RVU_RawUnicodeToWideString(Items->Get(itemNo));
    return RVU_RawUnicodeToWideString(RVU_AnsiToUnicode(GetStyleCodePage(item->StyleNo), Items->Get(itemNo)));
}

void TCustomRVData::SetItemTextA(int itemNo, const AnsiString& s)
{
    SetItemText(itemNo, GetTextInItemFormatA(itemNo, s));
}

void TCustomRVData::SetItemTextW(int itemNo, const WideString& s)
{
    SetItemText(itemNo, GetTextInItemFormatW(itemNo, s));
}

int TCustomRVData::ItemLength(int itemNo) const
{
    const TCustomRVItemInfo* item = GetItem(itemNo);
    if (item->StyleNo < 0)
        return 1;
    return RVU_Length(Items->GetView(itemNo), item->ItemOptions);
}

int TCustomRVData::GetOffsBeforeItem(int itemNo) const
{
    return GetItem(itemNo)->StyleNo >= 0 ? 1 : 0;
}

int TCustomRVData::GetOffsAfterItem(int itemNo) const
{
    const TCustomRVItemInfo* item = GetItem(itemNo);
    if (item->StyleNo < 0)
        return 1;
    return RVU_Length(Items->GetView(itemNo), item->ItemOptions) + 1;
}

bool TCustomRVData::SetItemExtraIntProperty(int itemNo, TRVExtraItemProperty prop, int value)
{
    NoteChange();
    return GetItem(itemNo)->SetExtraIntProperty(prop, value);
}

bool TCustomRVData::GetItemExtraIntProperty(int itemNo, TRVExtraItemProperty prop, int& value)
{
    return GetItem(itemNo)->GetExtraIntProperty(prop, value);
}

int TCustomRVData::FindControlItemNo(TControl* actualCtrl) const
{
    for (int i = 0; i < Items->Count(); ++i)
        if (GetItem(i)->OwnsControl(actualCtrl))
            return i;
    return -1;
}

// ---------------------------------------------------------------------------
// Per-kind information

void TCustomRVData::GetTextInfo(int itemNo, AnsiString& aText, TRVTag& aTag) const
{
    const TCustomRVItemInfo* item = GetItem(itemNo);
    if (item->StyleNo < 0)
        throw ERollViewError(errRVItemInfoKind);
    aText = Items->Get(itemNo);
    aTag = item->GetTag();
}

void TCustomRVData::GetBreakInfo(int itemNo, uint8_t& aLineWidth, TRVBreakStyle& aStyle, TColor& aColor,
                                 TRVTag& aTag) const
{
    const TRVBreakItemInfo* item = CheckItemClass<TRVBreakItemInfo>(itemNo);
    aLineWidth = item->LineWidth;
    aStyle = item->Style;
    aColor = item->Color;
    aTag = item->GetTag();
}

void TCustomRVData::SetBreakInfo(int itemNo, uint8_t aLineWidth, TRVBreakStyle aStyle, TColor aColor,
                                 const TRVTag& aTag)
{
    NoteChange();
    TRVBreakItemInfo* item = CheckItemClass<TRVBreakItemInfo>(itemNo);
    item->LineWidth = aLineWidth;
    item->Style = aStyle;
    item->Color = aColor;
    SetItemTag(itemNo, aTag);
}

void TCustomRVData::GetBulletInfo(int itemNo, AnsiString& aName, int& aImageIndex,
                                  TCustomImageList*& aImageList, TRVTag& aTag) const
{
    const TRVBulletItemInfo* item = CheckItemClass<TRVBulletItemInfo>(itemNo);
    aName = Items->Get(itemNo);
    aImageIndex = item->ImageIndex;
    aImageList = item->ImageList;
    aTag = item->GetTag();
}

// The image list stays the item's own: only the index, tag and name change.
void TCustomRVData::SetBulletInfo(int itemNo, const AnsiString& aName, int aImageIndex, TCustomImageList*,
                                  const TRVTag& aTag)
{
    NoteChange();
    TRVBulletItemInfo* item = CheckItemClass<TRVBulletItemInfo>(itemNo);
    item->ImageIndex = aImageIndex;
    SetItemTag(itemNo, aTag);
    Items->Put(itemNo, aName);
    ItemTextChanged(itemNo);
}

void TCustomRVData::GetHotspotInfo(int itemNo, AnsiString& aName, int& aImageIndex, int& aHotImageIndex,
                                   TCustomImageList*& aImageList, TRVTag& aTag) const
{
    const TRVHotspotItemInfo* item = CheckItemClass<TRVHotspotItemInfo>(itemNo);
    aName = Items->Get(itemNo);
    aImageIndex = item->ImageIndex;
    aHotImageIndex = item->HotImageIndex;
    aImageList = item->ImageList;
    aTag = item->GetTag();
}

void TCustomRVData::SetHotspotInfo(int itemNo, const AnsiString& aName, int aImageIndex, int aHotImageIndex,
                                   TCustomImageList*, const TRVTag& aTag)
{
    NoteChange();
    TRVHotspotItemInfo* item = CheckItemClass<TRVHotspotItemInfo>(itemNo);
    item->ImageIndex = aImageIndex;
    item->HotImageIndex = aHotImageIndex;
    SetItemTag(itemNo, aTag);
    Items->Put(itemNo, aName);
    ItemTextChanged(itemNo);
}

// ---------------------------------------------------------------------------
// Page breaks

bool TCustomRVData::GetPageBreaksBeforeItems(int itemNo) const
{
    if (itemNo < 0 || itemNo >= Items->Count())
        throw ERollViewError(errRVItemIndex);
    // The first item of a numbered paragraph follows its marker, which keeps the flag.
    if (itemNo > 0 && GetItem(itemNo - 1)->StyleNo == rvsListMarker)
        return GetItem(itemNo - 1)->ItemOptions.Contains(rvioPageBreakBefore);
    return GetItem(itemNo)->ItemOptions.Contains(rvioPageBreakBefore);
}

void TCustomRVData::SetPageBreaksBeforeItems(int itemNo, bool value)
{
    NoteChange();
    if (itemNo < 0 || itemNo >= Items->Count())
        throw ERollViewError(errRVItemIndex);
    GetItem(itemNo)->ItemOptions.Set(rvioPageBreakBefore, value);
}

// ---------------------------------------------------------------------------
// Code pages and delimiters

unsigned TCustomRVData::GetStyleCodePage(int styleNo)
{
    TRVStyle* style = GetRVStyle();
    if (!style)
        return 0;
    if (styleNo < 0)
        return style->DefCodePage();
    return RVU_Charset2CodePage(style->TextStyles()->Items(styleNo)->Charset());
}

unsigned TCustomRVData::GetDefaultCodePage()
{
    TRVStyle* style = GetRVStyle();
    return style ? style->DefCodePage() : 0;
}

bool TCustomRVData::IsDelimiter(const AnsiString& s, int index, TRVItemOptions itemOptions)
{
    if (index < 1 || index > RVU_Length(s, itemOptions))
        return false;
    if (itemOptions.Contains(rvioUnicode)) {
        return IsDelimiterW(RVU_RawUnicodeUnit(s.data(), static_cast<size_t>(index - 1)));
    }
    return IsDelimiterA(s[static_cast<size_t>(index - 1)]);
}

bool TCustomRVData::IsDelimiterA(char ch)
{
    return GetDelimiters().find(ch) != AnsiString::npos;
}

bool TCustomRVData::IsDelimiterW(WideChar ch)
{
    return ch < 256 && IsDelimiterA(static_cast<char>(ch));
}

void TCustomRVData::Replace0(AnsiString& s)
{
    for (char& c : s)
        if (c == '\0')
            c = '?';
}

// ---------------------------------------------------------------------------
// Tables around and inside

int TCustomRVData::TableNestingLevel()
{
    int level = 0;
    for (TCustomRVData* d = GetAbsoluteParentData(); d; d = d->GetAbsoluteParentData())
        ++level;
    return level;
}

int TCustomRVData::TableNestingDepth(TCustomRVItemInfo* item)
{
    TRVStoreSubRVData* state = nullptr;
    int inner = -1;
    for (TCustomRVData* sub = item->GetSubRVData(state, rvdFirst); sub;
         sub = item->GetSubRVData(state, rvdNext)) {
        inner = std::max(inner, 0);
        for (int i = 0; i < sub->GetItemCount(); ++i)
            inner = std::max(inner, TableNestingDepth(sub->GetItem(i)));
    }
    delete state;
    return inner + 1;
}
