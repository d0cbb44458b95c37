// List styles: marker fonts, levels, lists and their collection; comparison,
// similarity, searches and the HTML list tags. Ini persistence is in
// rvstyle_listini.cpp.
#include "document/rvstyle_list.h"

#include "platform/core/colors.h"
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

bool TRVMarkerFont::IsEqual(const TFont* Font) const
{
    return Height() == Font->Height() && Style() == Font->Style() && Color() == Font->Color() &&
           Charset() == Font->Charset() && SameText(Name(), Font->Name());
}

// ---------------------------------------------------------------------------
// TRVListLevel

TRVListLevel::TRVListLevel(TCollection* Collection) : TCollectionItem(Collection) {}

TRVListLevel::~TRVListLevel() = default;

void TRVListLevel::Assign(const TPersistent* Source)
{
    if (const auto* src = dynamic_cast<const TRVListLevel*>(Source)) {
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
        return;
    }
    TCollectionItem::Assign(Source);
}

AnsiString TRVListLevel::DisplayName() const
{
    return Format("List Level %d", {Index()});
}

void TRVListLevel::SetImageList(TCustomImageList* Value)
{
    FImageList = Value;
    FImageListComponent = Value;
    if (Value == nullptr)
        return;
    const TRVListInfos* lists = ListInfos();
    if (auto* styleSheet = lists ? dynamic_cast<TComponent*>(lists->Owner()) : nullptr)
        Value->FreeNotification(styleSheet);
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

void TRVListLevel::SetPicture(const TPicture* Value)
{
    if (Value != nullptr && Value == FPicture.get())
        return;
    if (Value != nullptr && Value->Graphic() != nullptr) {
        Picture()->Assign(Value);
        if (TGraphic* graphic = FPicture->Graphic())
            graphic->SetTransparent(true);
    } else {
        FPicture.reset();
    }
}

TRVMarkerFont* TRVListLevel::Font()
{
    if (!FFont)
        FFont = std::make_unique<TRVMarkerFont>();
    return FFont.get();
}

void TRVListLevel::SetFont(const TFont* Value)
{
    if (Value != nullptr && Value == FFont.get())
        return;
    if (Value == nullptr)
        FFont.reset();
    else
        Font()->Assign(Value);
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

bool TRVListLevel::SameFont(const TRVListLevel* Value) const
{
    const bool ownDefault = !FFont || FFont->IsDefault();
    const bool otherDefault = !Value->FFont || Value->FFont->IsDefault();
    if (ownDefault && otherDefault)
        return true;
    return FFont && Value->FFont && FFont->IsEqual(Value->FFont.get());
}

bool TRVListLevel::SamePicture(const TRVListLevel* Value) const
{
    const TGraphic* own = FPicture ? FPicture->Graphic() : nullptr;
    const TGraphic* other = Value->FPicture ? Value->FPicture->Graphic() : nullptr;
    if (own == nullptr || other == nullptr)
        return own == other;
    if (AnsiString(own->ClassName()) != other->ClassName() || own->Width() != other->Width() ||
        own->Height() != other->Height())
        return false;
    // The same class and the same saved bytes.
    return own->Equals(other);
}

bool TRVListLevel::IsSimpleEqual(const TRVListLevel* Value) const
{
    return FListType == Value->FListType && FStartFrom == Value->FStartFrom &&
           FImageList == Value->FImageList && FImageIndex == Value->FImageIndex &&
           FFormatString == Value->FFormatString && FFormatStringW == Value->FFormatStringW &&
           FLeftIndent == Value->FLeftIndent && FFirstIndent == Value->FFirstIndent &&
           FMarkerIndent == Value->FMarkerIndent && FMarkerAlignment == Value->FMarkerAlignment &&
           SameFont(Value) && FOptions == Value->FOptions && SamePicture(Value);
}

int TRVListLevel::SimilarityValue(const TRVListLevel* Value) const
{
    int r = 0;
    if (FListType == Value->FListType)
        r += 5000;
    const bool same[] = {FStartFrom == Value->FStartFrom,
                         FImageList == Value->FImageList,
                         FImageIndex == Value->FImageIndex,
                         FFormatString == Value->FFormatString,
                         FFormatStringW == Value->FFormatStringW,
                         FLeftIndent == Value->FLeftIndent,
                         FFirstIndent == Value->FFirstIndent,
                         FMarkerIndent == Value->FMarkerIndent,
                         FMarkerAlignment == Value->FMarkerAlignment,
                         FOptions == Value->FOptions,
                         SameFont(Value),
                         SamePicture(Value)};
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

void TRVListLevel::HTMLOpenTag(TStream* Stream, bool UseCSS) const
{
    AnsiString style;
    if (UseCSS) {
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
        RVWrite(Stream, Format("<OL%s%s>", {type, style}));
    } else {
        RVWrite(Stream, Format("<UL%s>", {style}));
    }
}

void TRVListLevel::HTMLCloseTag(TStream* Stream, bool) const
{
    RVWrite(Stream, HasNumbering() ? "</OL>" : "</UL>");
}

// ---------------------------------------------------------------------------
// TRVListLevelCollection

TRVListLevelCollection::TRVListLevelCollection(TPersistent* Owner)
    : TCollection([](TCollection* c) -> TCollectionItem* { return new TRVListLevel(c); }, Owner)
{}

bool TRVListLevelCollection::IsSimpleEqual(const TRVListLevelCollection* Value) const
{
    if (Count() != Value->Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (!Items(i)->IsSimpleEqual(Value->Items(i)))
            return false;
    return true;
}

// ---------------------------------------------------------------------------
// TRVListInfo

TRVListInfo::TRVListInfo(TCollection* Collection) : TCustomRVInfo(Collection), FLevels(this)
{
    SetStyleName("List Style");
}

void TRVListInfo::Assign(const TPersistent* Source)
{
    if (const auto* src = dynamic_cast<const TRVListInfo*>(Source)) {
        if (src != this)
            FLevels.Assign(&src->FLevels);
        FOneLevelPreview = src->FOneLevelPreview;
    }
    TCustomRVInfo::Assign(Source);
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

bool TRVListInfo::IsSimpleEqual(const TCustomRVInfo* Value, bool) const
{
    const auto* v = dynamic_cast<const TRVListInfo*>(Value);
    return v != nullptr && FOneLevelPreview == v->FOneLevelPreview && FLevels.IsSimpleEqual(&v->FLevels);
}

bool TRVListInfo::IsSimpleEqualEx(TCustomRVInfo* Value, const TRVIntegerList*)
{
    return IsSimpleEqual(Value, true);
}

int TRVListInfo::SimilarityValue(const TCustomRVInfo* Value) const
{
    const auto* v = dynamic_cast<const TRVListInfo*>(Value);
    if (v == nullptr)
        return 0;
    int64_t r = FOneLevelPreview == v->FOneLevelPreview ? 100 : 0;
    const int own = FLevels.Count();
    const int other = v->FLevels.Count();
    const int common = own < other ? own : other;
    for (int i = 0; i < common; ++i)
        r += FLevels.Items(i)->SimilarityValue(v->FLevels.Items(i));
    r -= 100 * int64_t(own > other ? own - other : other - own);
    return r < INT32_MIN ? INT32_MIN : r > INT32_MAX ? INT32_MAX : static_cast<int>(r);
}

// ---------------------------------------------------------------------------
// TRVListInfos

TRVListInfos::TRVListInfos(TCollectionItemClass ItemClass, TPersistent* Owner)
    : TCustomRVInfos(std::move(ItemClass), Owner)
{}

void TRVListInfos::RemoveImageList(const TCustomImageList* ImageList)
{
    for (int i = 0; i < Count(); ++i) {
        TRVListLevelCollection* levels = Items(i)->Levels();
        for (int j = 0; j < levels->Count(); ++j)
            if (levels->Items(j)->ImageList() == ImageList)
                levels->Items(j)->SetImageList(nullptr);
    }
}

void TRVListInfos::RemoveImageListComponent(const TComponent* Component)
{
    for (int i = 0; i < Count(); ++i) {
        TRVListLevelCollection* levels = Items(i)->Levels();
        for (int j = 0; j < levels->Count(); ++j)
            if (levels->Items(j)->FImageListComponent == Component)
                levels->Items(j)->SetImageList(nullptr);
    }
}

int TRVListInfos::FindSuchStyle(const TRVListInfo* Style, bool AddIfNotFound)
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->IsSimpleEqual(Style, true))
            return i;
    if (!AddIfNotFound)
        return -1;
    TRVListInfo* list = Add();
    list->Assign(Style);
    if (RollViewResetStandardFlag)
        list->SetStandard(false);
    return Count() - 1;
}

int TRVListInfos::FindStyleWithLevels(const TRVListLevelCollection* Levels,
                                      const AnsiString& StyleNameForAdding, bool AddIfNotFound)
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Levels()->IsSimpleEqual(Levels))
            return i;
    if (!AddIfNotFound)
        return -1;
    TRVListInfo* list = Add();
    if (RollViewResetStandardFlag)
        list->SetStandard(false);
    list->SetStyleName(StyleNameForAdding);
    list->SetOneLevelPreview(true);
    list->SetLevels(Levels);
    return Count() - 1;
}
