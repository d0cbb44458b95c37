// The item store: reading and changing single items, their texts in ANSI and
// wide form, tags, per-kind information, page-break flags, code pages and the
// word-delimiter test.
#include "document/crvdata.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"

namespace {

bool IsUnicodeTextItem(const TCustomRVItemInfo* Item)
{
    return Item->StyleNo >= 0 && Item->ItemOptions.Contains(rvioUnicode);
}

} // namespace

// ---------------------------------------------------------------------------
// Items

TCustomRVItemInfo* TCustomRVData::GetItem(int ItemNo) const
{
    return static_cast<TCustomRVItemInfo*>(Items->GetObject(ItemNo));
}

int TCustomRVData::GetItemNo(const TCustomRVItemInfo* Item) const
{
    return Items->IndexOfObject(Item);
}

int TCustomRVData::GetItemCount() const
{
    return Items->Count();
}

int TCustomRVData::GetItemStyle(int ItemNo) const
{
    return GetItem(ItemNo)->StyleNo;
}

int TCustomRVData::GetItemPara(int ItemNo) const
{
    return GetItem(ItemNo)->ParaNo;
}

TRVItemOptions TCustomRVData::GetItemOptions(int ItemNo) const
{
    return GetItem(ItemNo)->ItemOptions;
}

const TRVTag& TCustomRVData::GetItemTag(int ItemNo) const
{
    return GetItem(ItemNo)->Tag;
}

void TCustomRVData::SetItemTag(int ItemNo, const TRVTag& Tag)
{
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (Item->Tag != Tag)
        Item->Tag = Tag;
}

const AnsiString& TCustomRVData::GetItemText(int ItemNo) const
{
    return Items->Get(ItemNo);
}

void TCustomRVData::SetItemText(int ItemNo, const AnsiString& s)
{
    if (GetItem(ItemNo)->ItemOptions.Contains(rvioUnicode))
        RVCheckUni(static_cast<int64_t>(s.size()));
    Items->Put(ItemNo, s);
    ItemTextChanged(ItemNo);
}

void TCustomRVData::ItemTextChanged(int ItemNo)
{
    (void)ItemNo;
}

AnsiString TCustomRVData::GetTextInItemFormatA(int ItemNo, const AnsiString& s)
{
    const TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (IsUnicodeTextItem(Item))
        return RVU_AnsiToUnicode(GetStyleCodePage(Item->StyleNo), s);
    return s;
}

AnsiString TCustomRVData::GetTextInItemFormatW(int ItemNo, const WideString& s)
{
    const TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (IsUnicodeTextItem(Item))
        return RVU_GetRawUnicode(s);
    return RVU_UnicodeToAnsi(GetStyleCodePage(Item->StyleNo), RVU_GetRawUnicode(s));
}

AnsiString TCustomRVData::GetItemTextA(int ItemNo)
{
    const TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (IsUnicodeTextItem(Item))
        return RVU_UnicodeToAnsi(GetStyleCodePage(Item->StyleNo), Items->Get(ItemNo));
    return Items->Get(ItemNo);
}

WideString TCustomRVData::GetItemTextW(int ItemNo)
{
    const TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (IsUnicodeTextItem(Item))
        return RVU_RawUnicodeToWideString(Items->Get(ItemNo));
    return RVU_RawUnicodeToWideString(RVU_AnsiToUnicode(GetStyleCodePage(Item->StyleNo), Items->Get(ItemNo)));
}

void TCustomRVData::SetItemTextA(int ItemNo, const AnsiString& s)
{
    SetItemText(ItemNo, GetTextInItemFormatA(ItemNo, s));
}

void TCustomRVData::SetItemTextW(int ItemNo, const WideString& s)
{
    SetItemText(ItemNo, GetTextInItemFormatW(ItemNo, s));
}

int TCustomRVData::ItemLength(int ItemNo) const
{
    const TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (Item->StyleNo < 0)
        return 1;
    return RVU_Length(Items->Get(ItemNo), Item->ItemOptions);
}

int TCustomRVData::GetOffsBeforeItem(int ItemNo) const
{
    return GetItem(ItemNo)->StyleNo >= 0 ? 1 : 0;
}

int TCustomRVData::GetOffsAfterItem(int ItemNo) const
{
    const TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (Item->StyleNo < 0)
        return 1;
    return RVU_Length(Items->Get(ItemNo), Item->ItemOptions) + 1;
}

bool TCustomRVData::SetItemExtraIntProperty(int ItemNo, TRVExtraItemProperty Prop, int Value)
{
    return GetItem(ItemNo)->SetExtraIntProperty(Prop, Value);
}

bool TCustomRVData::GetItemExtraIntProperty(int ItemNo, TRVExtraItemProperty Prop, int& Value)
{
    return GetItem(ItemNo)->GetExtraIntProperty(Prop, Value);
}

int TCustomRVData::FindControlItemNo(TControl* ActualCtrl) const
{
    for (int i = 0; i < Items->Count(); ++i)
        if (GetItem(i)->OwnsControl(ActualCtrl))
            return i;
    return -1;
}

// ---------------------------------------------------------------------------
// Per-kind information

void TCustomRVData::GetTextInfo(int ItemNo, AnsiString& AText, TRVTag& ATag) const
{
    const TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (Item->StyleNo < 0)
        throw ERollViewError(errRVItemInfoKind);
    AText = Items->Get(ItemNo);
    ATag = Item->Tag;
}

void TCustomRVData::GetBreakInfo(int ItemNo, uint8_t& ALineWidth, TRVBreakStyle& AStyle, TColor& AColor,
                                 TRVTag& ATag) const
{
    const TRVBreakItemInfo* Item = CheckItemClass<TRVBreakItemInfo>(ItemNo);
    ALineWidth = Item->LineWidth;
    AStyle = Item->Style;
    AColor = Item->Color;
    ATag = Item->Tag;
}

void TCustomRVData::SetBreakInfo(int ItemNo, uint8_t ALineWidth, TRVBreakStyle AStyle, TColor AColor,
                                 const TRVTag& ATag)
{
    TRVBreakItemInfo* Item = CheckItemClass<TRVBreakItemInfo>(ItemNo);
    Item->LineWidth = ALineWidth;
    Item->Style = AStyle;
    Item->Color = AColor;
    SetItemTag(ItemNo, ATag);
}

void TCustomRVData::GetBulletInfo(int ItemNo, AnsiString& AName, int& AImageIndex,
                                  TCustomImageList*& AImageList, TRVTag& ATag) const
{
    const TRVBulletItemInfo* Item = CheckItemClass<TRVBulletItemInfo>(ItemNo);
    AName = Items->Get(ItemNo);
    AImageIndex = Item->ImageIndex;
    AImageList = Item->ImageList;
    ATag = Item->Tag;
}

// The image list stays the item's own: only the index, tag and name change.
void TCustomRVData::SetBulletInfo(int ItemNo, const AnsiString& AName, int AImageIndex, TCustomImageList*,
                                  const TRVTag& ATag)
{
    TRVBulletItemInfo* Item = CheckItemClass<TRVBulletItemInfo>(ItemNo);
    Item->ImageIndex = AImageIndex;
    SetItemTag(ItemNo, ATag);
    Items->Put(ItemNo, AName);
    ItemTextChanged(ItemNo);
}

void TCustomRVData::GetHotspotInfo(int ItemNo, AnsiString& AName, int& AImageIndex, int& AHotImageIndex,
                                   TCustomImageList*& AImageList, TRVTag& ATag) const
{
    const TRVHotspotItemInfo* Item = CheckItemClass<TRVHotspotItemInfo>(ItemNo);
    AName = Items->Get(ItemNo);
    AImageIndex = Item->ImageIndex;
    AHotImageIndex = Item->HotImageIndex;
    AImageList = Item->ImageList;
    ATag = Item->Tag;
}

void TCustomRVData::SetHotspotInfo(int ItemNo, const AnsiString& AName, int AImageIndex, int AHotImageIndex,
                                   TCustomImageList*, const TRVTag& ATag)
{
    TRVHotspotItemInfo* Item = CheckItemClass<TRVHotspotItemInfo>(ItemNo);
    Item->ImageIndex = AImageIndex;
    Item->HotImageIndex = AHotImageIndex;
    SetItemTag(ItemNo, ATag);
    Items->Put(ItemNo, AName);
    ItemTextChanged(ItemNo);
}

// ---------------------------------------------------------------------------
// Page breaks

bool TCustomRVData::GetPageBreaksBeforeItems(int ItemNo) const
{
    if (ItemNo < 0 || ItemNo >= Items->Count())
        throw ERollViewError(errRVItemIndex);
    // The first item of a numbered paragraph follows its marker, which keeps the flag.
    if (ItemNo > 0 && GetItem(ItemNo - 1)->StyleNo == rvsListMarker)
        return GetItem(ItemNo - 1)->ItemOptions.Contains(rvioPageBreakBefore);
    return GetItem(ItemNo)->ItemOptions.Contains(rvioPageBreakBefore);
}

void TCustomRVData::SetPageBreaksBeforeItems(int ItemNo, bool Value)
{
    if (ItemNo < 0 || ItemNo >= Items->Count())
        throw ERollViewError(errRVItemIndex);
    GetItem(ItemNo)->ItemOptions.Set(rvioPageBreakBefore, Value);
}

// ---------------------------------------------------------------------------
// Code pages and delimiters

unsigned TCustomRVData::GetStyleCodePage(int StyleNo)
{
    TRVStyle* Style = GetRVStyle();
    if (!Style)
        return 0;
    if (StyleNo < 0)
        return Style->DefCodePage();
    return RVU_Charset2CodePage(Style->TextStyles()->Items(StyleNo)->Charset());
}

unsigned TCustomRVData::GetDefaultCodePage()
{
    TRVStyle* Style = GetRVStyle();
    return Style ? Style->DefCodePage() : 0;
}

bool TCustomRVData::IsDelimiter(const AnsiString& s, int Index, TRVItemOptions ItemOptions)
{
    if (Index < 1 || Index > RVU_Length(s, ItemOptions))
        return false;
    if (ItemOptions.Contains(rvioUnicode)) {
        const size_t Offset = static_cast<size_t>(Index - 1) * 2;
        const WideChar Ch = static_cast<WideChar>(static_cast<uint8_t>(s[Offset]) |
                                                  (static_cast<uint8_t>(s[Offset + 1]) << 8));
        return IsDelimiterW(Ch);
    }
    return IsDelimiterA(s[static_cast<size_t>(Index - 1)]);
}

bool TCustomRVData::IsDelimiterA(char Ch)
{
    return GetDelimiters().find(Ch) != AnsiString::npos;
}

bool TCustomRVData::IsDelimiterW(WideChar Ch)
{
    return Ch < 256 && IsDelimiterA(static_cast<char>(Ch));
}

void TCustomRVData::Replace0(AnsiString& s)
{
    for (char& c : s)
        if (c == '\0')
            c = '?';
}
