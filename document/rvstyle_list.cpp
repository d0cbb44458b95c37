// List styles: marker fonts, levels, lists and their collection; comparison,
// similarity, searches and the HTML list tags. Ini persistence is in
// rvstyle_listini.cpp.
#include "document/rvstyle_list.h"

#include "platform/core/colors.h"
#include "platform/core/numbers.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/picture.h"

// ---------------------------------------------------------------------------
// TRVMarkerFont

TRVMarkerFont::TRVMarkerFont()
{
    SetName("Arial");
    SetSize(8);
}

bool TRVMarkerFont::IsDefault() const
{
    return Size() == 8 && Color() == clWindowText && Charset() == DEFAULT_CHARSET && Style().Empty() &&
           SameText(Name(), "Arial");
}

bool TRVMarkerFont::IsEqual(const TFont* font) const
{
    return Height() == font->Height() && Style() == font->Style() && Color() == font->Color() &&
           Charset() == font->Charset() && SameText(Name(), font->Name());
}

// ---------------------------------------------------------------------------
// TRVListLevel

TRVListLevel::TRVListLevel(TCollection* collection) : TCollectionItem(collection) {}

TRVListLevel::~TRVListLevel() = default;

void TRVListLevel::Assign(const TPersistent* source)
{
    if (const auto* src = dynamic_cast<const TRVListLevel*>(source)) {
        if (src == this)
            return;
        FListType = src->FListType;
        FStartFrom = src->FStartFrom;
        SetImageList(src->FImageList);
        FImageIndex = src->FImageIndex;
        FFormatString = src->FFormatString;
        FFormatStringW = src->FFormatStringW;
        FLeftIndent = src->FLeftIndent;
        FFirstIndent = src->FFirstIndent;
        FMarkerIndent = src->FMarkerIndent;
        FMarkerAlignment = src->FMarkerAlignment;
        SetPicture(src->FPicture.get());
        SetFont(src->FFont.get());
        FOptions = src->FOptions;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(source);
}

AnsiString TRVListLevel::DisplayName() const
{
    return Format("List Level %d", {Index()});
}

void TRVListLevel::SetImageList(TCustomImageList* value)
{
    FImageList = value;
    FImageListComponent = value;
    Changed(false);
    if (value == nullptr)
        return;
    const TRVListInfos* lists = ListInfos();
    if (auto* styleSheet = lists ? dynamic_cast<TComponent*>(lists->Owner()) : nullptr)
        value->FreeNotification(styleSheet);
}

// level -> levels -> list -> list styles
const TRVListInfos* TRVListLevel::ListInfos() const
{
    const auto* levels = dynamic_cast<const TRVListLevelCollection*>(Collection());
    const auto* list = levels ? dynamic_cast<const TRVListInfo*>(levels->Owner()) : nullptr;
    return list ? dynamic_cast<const TRVListInfos*>(list->Collection()) : nullptr;
}

TPicture* TRVListLevel::Picture()
{
    if (!FPicture)
        FPicture = std::make_unique<TPicture>();
    return FPicture.get();
}

void TRVListLevel::SetPicture(const TPicture* value)
{
    if (value != nullptr && value == FPicture.get())
        return;
    if (value != nullptr && value->Graphic() != nullptr) {
        Picture()->Assign(value);
        if (TGraphic* graphic = FPicture->Graphic())
            graphic->SetTransparent(true);
    } else {
        FPicture.reset();
    }
    Changed(false);
}

TRVMarkerFont* TRVListLevel::Font()
{
    if (!FFont)
        FFont = std::make_unique<TRVMarkerFont>();
    return FFont.get();
}

void TRVListLevel::SetFont(const TFont* value)
{
    if (value != nullptr && value == FFont.get())
        return;
    if (value == nullptr)
        FFont.reset();
    else
        Font()->Assign(value);
    Changed(false);
}

bool TRVListLevel::HasNumbering() const
{
    return (FListType >= rvlstDecimal && FListType <= rvlstUpperRoman) || FListType == rvlstImageListCounter;
}

bool TRVListLevel::HasVariableWidth() const
{
    return FListType >= rvlstDecimal && FListType <= rvlstUpperRoman;
}

bool TRVListLevel::UsesFont() const
{
    return FListType == rvlstBullet || (FListType >= rvlstDecimal && FListType <= rvlstUpperRoman) ||
           FListType == rvlstUnicodeBullet;
}

bool TRVListLevel::HasPicture() const
{
    return FPicture && FPicture->Graphic() != nullptr;
}

bool TRVListLevel::SameFont(const TRVListLevel* value) const
{
    const bool ownDefault = !FFont || FFont->IsDefault();
    const bool otherDefault = !value->FFont || value->FFont->IsDefault();
    if (ownDefault && otherDefault)
        return true;
    return FFont && value->FFont && FFont->IsEqual(value->FFont.get());
}

bool TRVListLevel::SamePicture(const TRVListLevel* value) const
{
    const TGraphic* own = FPicture ? FPicture->Graphic() : nullptr;
    const TGraphic* other = value->FPicture ? value->FPicture->Graphic() : nullptr;
    if (own == nullptr || other == nullptr)
        return own == other;
    if (AnsiString(own->ClassName()) != other->ClassName() || own->Width() != other->Width() ||
        own->Height() != other->Height())
        return false;
    // The same class and the same saved bytes.
    return own->Equals(other);
}

bool TRVListLevel::IsSimpleEqual(const TRVListLevel* value) const
{
    return FListType == value->FListType && FStartFrom == value->FStartFrom &&
           FImageList == value->FImageList && FImageIndex == value->FImageIndex &&
           FFormatString == value->FFormatString && FFormatStringW == value->FFormatStringW &&
           FLeftIndent == value->FLeftIndent && FFirstIndent == value->FFirstIndent &&
           FMarkerIndent == value->FMarkerIndent && FMarkerAlignment == value->FMarkerAlignment &&
           SameFont(value) && FOptions == value->FOptions && SamePicture(value);
}

int TRVListLevel::SimilarityValue(const TRVListLevel* value) const
{
    int r = 0;
    if (FListType == value->FListType)
        r += 5000;
    const bool same[] = {FStartFrom == value->FStartFrom,
                         FImageList == value->FImageList,
                         FImageIndex == value->FImageIndex,
                         FFormatString == value->FFormatString,
                         FFormatStringW == value->FFormatStringW,
                         FLeftIndent == value->FLeftIndent,
                         FFirstIndent == value->FFirstIndent,
                         FMarkerIndent == value->FMarkerIndent,
                         FMarkerAlignment == value->FMarkerAlignment,
                         FOptions == value->FOptions,
                         SameFont(value),
                         SamePicture(value)};
    for (bool s : same)
        if (s)
            r += 100;
    return r;
}

AnsiString TRVListLevel::GetHTMLOpenTagForCSS() const
{
    return HasNumbering() ? "OL" : "UL";
}

AnsiString TRVListLevel::GetIndentCSSForTextVersion() const
{
    return Format("text-indent: %dpx; margin-left: %dpx;", {FMarkerIndent - FLeftIndent, FLeftIndent});
}

void TRVListLevel::HTMLOpenTag(TStream* stream, bool useCss) const
{
    AnsiString style;
    if (useCss) {
        const AnsiString css = FMarkerIndent < FLeftIndent
                                   ? Format("text-indent: %dpx; margin-left: %dpx; list-style:outside;",
                                            {FFirstIndent, FLeftIndent})
                                   : Format("text-indent: %dpx; margin-left: %dpx; list-style:inside;",
                                            {FMarkerIndent - FLeftIndent, FLeftIndent});
        style = " style=\"" + css + "\"";
    }
    if (HasNumbering()) {
        AnsiString type;
        switch (FListType) {
        case rvlstLowerAlpha:
            type = " type=a";
            break;
        case rvlstUpperAlpha:
            type = " type=A";
            break;
        case rvlstLowerRoman:
            type = " type=i";
            break;
        case rvlstUpperRoman:
            type = " type=I";
            break;
        default:
            break;
        }
        RVWrite(stream, Format("<OL%s%s>", {type, style}));
    } else {
        RVWrite(stream, Format("<UL%s>", {style}));
    }
}

void TRVListLevel::HTMLCloseTag(TStream* stream, bool) const
{
    RVWrite(stream, HasNumbering() ? "</OL>" : "</UL>");
}

// ---------------------------------------------------------------------------
// TRVListLevelCollection

TRVListLevelCollection::TRVListLevelCollection(TPersistent* owner)
    : TCollection([](TCollection* c) -> TCollectionItem* { return new TRVListLevel(c); }, owner)
{}

void TRVListLevelCollection::Update(TCollectionItem* item)
{
    TCollection::Update(item);
    if (auto* list = dynamic_cast<TRVListInfo*>(GetOwner()))
        list->NoteChanged();
}

bool TRVListLevelCollection::IsSimpleEqual(const TRVListLevelCollection* value) const
{
    if (Count() != value->Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (!Items(i)->IsSimpleEqual(value->Items(i)))
            return false;
    return true;
}

// ---------------------------------------------------------------------------
// TRVListInfo

TRVListInfo::TRVListInfo(TCollection* collection) : TCustomRVInfo(collection), FLevels(this)
{
    SetStyleName("List Style");
}

void TRVListInfo::Assign(const TPersistent* source)
{
    if (const auto* src = dynamic_cast<const TRVListInfo*>(source)) {
        if (src != this)
            FLevels.Assign(&src->FLevels);
        FOneLevelPreview = src->FOneLevelPreview;
    }
    TCustomRVInfo::Assign(source);
}

bool TRVListInfo::HasNumbering() const
{
    for (int i = 0; i < FLevels.Count(); ++i)
        if (FLevels.Items(i)->HasNumbering())
            return true;
    return false;
}

bool TRVListInfo::AllNumbered() const
{
    for (int i = 0; i < FLevels.Count(); ++i)
        if (!FLevels.Items(i)->HasNumbering())
            return false;
    return true;
}

bool TRVListInfo::HasVariableWidth() const
{
    for (int i = 0; i < FLevels.Count(); ++i)
        if (FLevels.Items(i)->HasVariableWidth())
            return true;
    return false;
}

bool TRVListInfo::IsSimpleEqual(const TCustomRVInfo* value, bool) const
{
    const auto* v = dynamic_cast<const TRVListInfo*>(value);
    return v != nullptr && FOneLevelPreview == v->FOneLevelPreview && FLevels.IsSimpleEqual(&v->FLevels);
}

bool TRVListInfo::IsSimpleEqualEx(TCustomRVInfo* value, const TRVIntegerList*)
{
    return IsSimpleEqual(value, true);
}

int TRVListInfo::SimilarityValue(const TCustomRVInfo* value) const
{
    const auto* v = dynamic_cast<const TRVListInfo*>(value);
    if (v == nullptr)
        return 0;
    int64_t r = FOneLevelPreview == v->FOneLevelPreview ? 100 : 0;
    const int own = FLevels.Count();
    const int other = v->FLevels.Count();
    const int common = own < other ? own : other;
    for (int i = 0; i < common; ++i)
        r += FLevels.Items(i)->SimilarityValue(v->FLevels.Items(i));
    r -= 100 * int64_t(own > other ? own - other : other - own);
    return RV_Clamp32(r);
}

// ---------------------------------------------------------------------------
// TRVListInfos

TRVListInfos::TRVListInfos(TCollectionItemClass itemClass, TPersistent* owner)
    : TCustomRVInfos(std::move(itemClass), owner)
{}

void TRVListInfos::RemoveImageList(const TCustomImageList* imageList)
{
    for (int i = 0; i < Count(); ++i) {
        TRVListLevelCollection* levels = Items(i)->Levels();
        for (int j = 0; j < levels->Count(); ++j)
            if (levels->Items(j)->ImageList() == imageList)
                levels->Items(j)->SetImageList(nullptr);
    }
}

void TRVListInfos::RemoveImageListComponent(const TComponent* component)
{
    for (int i = 0; i < Count(); ++i) {
        TRVListLevelCollection* levels = Items(i)->Levels();
        for (int j = 0; j < levels->Count(); ++j)
            if (levels->Items(j)->FImageListComponent == component)
                levels->Items(j)->SetImageList(nullptr);
    }
}

int TRVListInfos::FindSuchStyle(const TRVListInfo* style, bool addIfNotFound)
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->IsSimpleEqual(style, true))
            return i;
    if (!addIfNotFound)
        return -1;
    TRVListInfo* list = Add();
    list->Assign(style);
    if (RollViewResetStandardFlag)
        list->SetStandard(false);
    return Count() - 1;
}

int TRVListInfos::FindStyleWithLevels(const TRVListLevelCollection* levels,
                                      const AnsiString& styleNameForAdding, bool addIfNotFound)
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Levels()->IsSimpleEqual(levels))
            return i;
    if (!addIfNotFound)
        return -1;
    TRVListInfo* list = Add();
    if (RollViewResetStandardFlag)
        list->SetStandard(false);
    list->SetStyleName(styleNameForAdding);
    list->SetOneLevelPreview(true);
    list->SetLevels(levels);
    return Count() - 1;
}
