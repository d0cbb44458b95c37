// Paragraph styles and their parts: copying, comparison, similarity scores,
// ini keys, and the collection with its invalid-item style and searches.
// The drawing of borders and backgrounds is in rvstyle_paradraw.cpp.
#include "document/rvstyle_para.h"

#include "document/rvmapwht.h"
#include "platform/core/inifiles.h"
#include "platform/core/numbers.h"

// ---------------------------------------------------------------------------
// TRVRect

void TRVRect::Assign(const TPersistent* source)
{
    if (const auto* src = dynamic_cast<const TRVRect*>(source)) {
        FTop = src->FTop;
        FLeft = src->FLeft;
        FRight = src->FRight;
        FBottom = src->FBottom;
        Touch();
        return;
    }
    TPersistent::Assign(source);
}

void TRVRect::SetAll(int value)
{
    FTop = FLeft = FRight = FBottom = value;
    Touch();
}

void TRVRect::AssignToRect(TRect& rect) const
{
    rect = {FLeft, FTop, FRight, FBottom};
}

void TRVRect::AssignToRectIfGreater(TRect& rect) const
{
    if (FLeft > rect.Left)
        rect.Left = FLeft;
    if (FTop > rect.Top)
        rect.Top = FTop;
    if (FRight > rect.Right)
        rect.Right = FRight;
    if (FBottom > rect.Bottom)
        rect.Bottom = FBottom;
}

void TRVRect::InflateRect(TRect& rect) const
{
    rect.Left = WrapSub(rect.Left, FLeft);
    rect.Top = WrapSub(rect.Top, FTop);
    rect.Right = WrapAdd(rect.Right, FRight);
    rect.Bottom = WrapAdd(rect.Bottom, FBottom);
}

void TRVRect::InflateRectSaD(TRect& rect, const TRVScreenAndDevice& sad) const
{
    rect.Left = WrapSub(rect.Left, RV_XToDevice(FLeft, sad));
    rect.Top = WrapSub(rect.Top, RV_YToDevice(FTop, sad));
    rect.Right = WrapAdd(rect.Right, RV_XToDevice(FRight, sad));
    rect.Bottom = WrapAdd(rect.Bottom, RV_YToDevice(FBottom, sad));
}

bool TRVRect::IsEqual(const TRVRect* value) const
{
    return FLeft == value->FLeft && FTop == value->FTop && FRight == value->FRight &&
           FBottom == value->FBottom;
}

bool TRVRect::IsEqualEx(const TRVRect* value, bool ignL, bool ignT, bool ignR, bool ignB) const
{
    return (ignL || FLeft == value->FLeft) && (ignT || FTop == value->FTop) &&
           (ignR || FRight == value->FRight) && (ignB || FBottom == value->FBottom);
}

int TRVRect::SimilarityValue(const TRVRect* value, int weight) const
{
    return RV_Clamp32(
        int64_t(RV_CompareInts(FLeft, value->FLeft, weight)) + RV_CompareInts(FTop, value->FTop, weight) +
        RV_CompareInts(FRight, value->FRight, weight) + RV_CompareInts(FBottom, value->FBottom, weight));
}

void TRVRect::LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs)
{
    TRVIniKeys key(fs);
    FLeft = ini->ReadInteger(section, key("Left"), 0);
    FRight = ini->ReadInteger(section, key("Right"), 0);
    FTop = ini->ReadInteger(section, key("Top"), 0);
    FBottom = ini->ReadInteger(section, key("Bottom"), 0);
}

void TRVRect::SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const
{
    TRVIniKeys key(fs);
    WriteIntToIniIfNE(ini, section, key("Left"), FLeft, 0);
    WriteIntToIniIfNE(ini, section, key("Right"), FRight, 0);
    WriteIntToIniIfNE(ini, section, key("Top"), FTop, 0);
    WriteIntToIniIfNE(ini, section, key("Bottom"), FBottom, 0);
}

// ---------------------------------------------------------------------------
// TRVBooleanRect

TRVBooleanRect::TRVBooleanRect(bool defValue)
    : FTop(defValue), FLeft(defValue), FRight(defValue), FBottom(defValue)
{}

void TRVBooleanRect::Assign(const TPersistent* source)
{
    if (const auto* src = dynamic_cast<const TRVBooleanRect*>(source)) {
        SetValues(src->FLeft, src->FTop, src->FRight, src->FBottom);
        return;
    }
    TPersistent::Assign(source);
}

void TRVBooleanRect::SetAll(bool value)
{
    FTop = FLeft = FRight = FBottom = value;
    Touch();
}

void TRVBooleanRect::SetValues(bool aLeft, bool aTop, bool aRight, bool aBottom)
{
    FLeft = aLeft;
    FTop = aTop;
    FRight = aRight;
    FBottom = aBottom;
    Touch();
}

bool TRVBooleanRect::IsEqual(const TRVBooleanRect* value) const
{
    return IsEqual2(value->FLeft, value->FTop, value->FRight, value->FBottom);
}

bool TRVBooleanRect::IsEqual2(bool aLeft, bool aTop, bool aRight, bool aBottom) const
{
    return FLeft == aLeft && FTop == aTop && FRight == aRight && FBottom == aBottom;
}

bool TRVBooleanRect::IsAllEqual(bool value) const
{
    return IsEqual2(value, value, value, value);
}

bool TRVBooleanRect::IsEqualEx(const TRVBooleanRect* value, bool ignL, bool ignT, bool ignR, bool ignB) const
{
    return (ignL || FLeft == value->FLeft) && (ignT || FTop == value->FTop) &&
           (ignR || FRight == value->FRight) && (ignB || FBottom == value->FBottom);
}

void TRVBooleanRect::LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs)
{
    TRVIniKeys key(fs);
    FLeft = IniReadBool(ini, section, key("Left"), true);
    FRight = IniReadBool(ini, section, key("Right"), true);
    FTop = IniReadBool(ini, section, key("Top"), true);
    FBottom = IniReadBool(ini, section, key("Bottom"), true);
}

void TRVBooleanRect::SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const
{
    TRVIniKeys key(fs);
    WriteBoolToIniIfNE(ini, section, key("Left"), FLeft, true);
    WriteBoolToIniIfNE(ini, section, key("Right"), FRight, true);
    WriteBoolToIniIfNE(ini, section, key("Top"), FTop, true);
    WriteBoolToIniIfNE(ini, section, key("Bottom"), FBottom, true);
}

// ---------------------------------------------------------------------------
// TRVBorder

TRVBorder::TRVBorder() = default;

void TRVBorder::SetOwnerInfo(TCustomRVInfo* info)
{
    TRVStylePart::SetOwnerInfo(info);
    FVisibleBorders.SetOwnerInfo(info);
    FBorderOffsets.SetOwnerInfo(info);
}

void TRVBorder::Assign(const TPersistent* source)
{
    if (const auto* src = dynamic_cast<const TRVBorder*>(source)) {
        FWidth = src->FWidth;
        FStyle = src->FStyle;
        FColor = src->FColor;
        FInternalWidth = src->FInternalWidth;
        FVisibleBorders.Assign(&src->FVisibleBorders);
        FBorderOffsets.Assign(&src->FBorderOffsets);
        Touch();
        return;
    }
    TPersistent::Assign(source);
}

int TRVBorder::GetTotalWidth() const
{
    switch (FStyle) {
    case rvbSingle:
        return FWidth;
    case rvbDouble:
        return 2 * FWidth + FInternalWidth;
    case rvbTriple:
        return 3 * FWidth + 2 * FInternalWidth;
    case rvbThickInside:
    case rvbThickOutside:
        return 3 * FWidth + FInternalWidth;
    case rvbNone:
        break;
    }
    return 0;
}

bool TRVBorder::IsEqual(const TRVBorder* value) const
{
    return FStyle == value->FStyle && FColor == value->FColor && FWidth == value->FWidth &&
           FInternalWidth == value->FInternalWidth && FBorderOffsets.IsEqual(&value->FBorderOffsets) &&
           FVisibleBorders.IsEqual(&value->FVisibleBorders);
}

bool TRVBorder::IsEqual_Para(const TRVBorder* value, TRVParaInfoProperties ignoreList) const
{
    auto same = [ignoreList](TRVParaInfoProperty p, bool equal) { return equal || ignoreList.Contains(p); };
    return same(rvpiBorder_Style, FStyle == value->FStyle) &&
           same(rvpiBorder_Color, FColor == value->FColor) &&
           same(rvpiBorder_Width, FWidth == value->FWidth) &&
           same(rvpiBorder_InternalWidth, FInternalWidth == value->FInternalWidth) &&
           FBorderOffsets.IsEqualEx(&value->FBorderOffsets, ignoreList.Contains(rvpiBorder_BO_Left),
                                    ignoreList.Contains(rvpiBorder_BO_Top),
                                    ignoreList.Contains(rvpiBorder_BO_Right),
                                    ignoreList.Contains(rvpiBorder_BO_Bottom)) &&
           FVisibleBorders.IsEqualEx(&value->FVisibleBorders, ignoreList.Contains(rvpiBorder_Vis_Left),
                                     ignoreList.Contains(rvpiBorder_Vis_Top),
                                     ignoreList.Contains(rvpiBorder_Vis_Right),
                                     ignoreList.Contains(rvpiBorder_Vis_Bottom));
}

int TRVBorder::SimilarityValue(const TRVBorder* value) const
{
    // The sides in the order left, top, right, bottom.
    const bool ownVisible[4] = {FVisibleBorders.Left(), FVisibleBorders.Top(), FVisibleBorders.Right(),
                                FVisibleBorders.Bottom()};
    const bool otherVisible[4] = {value->FVisibleBorders.Left(), value->FVisibleBorders.Top(),
                                  value->FVisibleBorders.Right(), value->FVisibleBorders.Bottom()};
    const int ownOffsets[4] = {FBorderOffsets.Left(), FBorderOffsets.Top(), FBorderOffsets.Right(),
                               FBorderOffsets.Bottom()};
    const int otherOffsets[4] = {value->FBorderOffsets.Left(), value->FBorderOffsets.Top(),
                                 value->FBorderOffsets.Right(), value->FBorderOffsets.Bottom()};
    bool ownDraws[4];
    bool otherDraws[4];
    int both = 0;
    for (int side = 0; side < 4; ++side) {
        ownDraws[side] = FStyle != rvbNone && ownVisible[side];
        otherDraws[side] = value->FStyle != rvbNone && otherVisible[side];
        if (ownDraws[side] && otherDraws[side])
            ++both;
    }
    int64_t r = 0;
    if (both > 0) {
        int64_t lines = int64_t(RV_CompareColors(FColor, value->FColor, 3333, 3000)) +
                        RV_CompareInts(FWidth, value->FWidth, 1000) +
                        RV_CompareInts(FInternalWidth, value->FInternalWidth, 1000);
        if (FStyle == value->FStyle)
            lines += 1000;
        r = lines * both;
    }
    for (int side = 0; side < 4; ++side) {
        if (!ownDraws[side] && !otherDraws[side])
            r += 20000;
        else if (ownDraws[side] != otherDraws[side])
            r -= 20000;
        else
            r += RV_CompareInts(ownOffsets[side], otherOffsets[side], 100);
    }
    return RV_Clamp32(r);
}

void TRVBorder::LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs)
{
    TRVIniKeys key(fs);
    FWidth = ini->ReadInteger(section, key("Width"), 1);
    const int style = ini->ReadInteger(section, key("Style"), rvbNone);
    FStyle = style >= rvbNone && style <= rvbThickOutside ? static_cast<TRVBorderStyle>(style) : rvbNone;
    FColor = ini->ReadInteger(section, key("Color"), clWindowText);
    FInternalWidth = ini->ReadInteger(section, key("InternalWidth"), 1);
    FBorderOffsets.LoadFromINI(ini, section, key("Offsets%s"));
    FVisibleBorders.LoadFromINI(ini, section, key("Visible%s"));
}

void TRVBorder::SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const
{
    TRVIniKeys key(fs);
    WriteIntToIniIfNE(ini, section, key("Width"), FWidth, 1);
    WriteIntToIniIfNE(ini, section, key("Style"), FStyle, rvbNone);
    WriteIntToIniIfNE(ini, section, key("Color"), FColor, clWindowText);
    WriteIntToIniIfNE(ini, section, key("InternalWidth"), FInternalWidth, 1);
    FBorderOffsets.SaveToINI(ini, section, key("Offsets%s"));
    FVisibleBorders.SaveToINI(ini, section, key("Visible%s"));
}

// ---------------------------------------------------------------------------
// TRVBackgroundRect

void TRVBackgroundRect::SetOwnerInfo(TCustomRVInfo* info)
{
    TRVStylePart::SetOwnerInfo(info);
    FBorderOffsets.SetOwnerInfo(info);
}

void TRVBackgroundRect::Assign(const TPersistent* source)
{
    if (const auto* src = dynamic_cast<const TRVBackgroundRect*>(source)) {
        FColor = src->FColor;
        FBorderOffsets.Assign(&src->FBorderOffsets);
        Touch();
        return;
    }
    TPersistent::Assign(source);
}

void TRVBackgroundRect::PrepareDraw(TRect& rect) const
{
    FBorderOffsets.InflateRect(rect);
}

void TRVBackgroundRect::PrepareDrawSaD(TRect& rect, const TRVScreenAndDevice& sad) const
{
    FBorderOffsets.InflateRectSaD(rect, sad);
}

bool TRVBackgroundRect::IsEqual(const TRVBackgroundRect* value) const
{
    return FColor == value->FColor && FBorderOffsets.IsEqual(&value->FBorderOffsets);
}

bool TRVBackgroundRect::IsEqual_Para(const TRVBackgroundRect* value, TRVParaInfoProperties ignoreList) const
{
    return (FColor == value->FColor || ignoreList.Contains(rvpiBackground_Color)) &&
           FBorderOffsets.IsEqualEx(&value->FBorderOffsets, ignoreList.Contains(rvpiBackground_BO_Left),
                                    ignoreList.Contains(rvpiBackground_BO_Top),
                                    ignoreList.Contains(rvpiBackground_BO_Right),
                                    ignoreList.Contains(rvpiBackground_BO_Bottom));
}

int TRVBackgroundRect::SimilarityValue(const TRVBackgroundRect* value) const
{
    return RV_Clamp32(int64_t(RV_CompareColors(FColor, value->FColor, 10000, 50000)) +
                      FBorderOffsets.SimilarityValue(&value->FBorderOffsets, 100));
}

void TRVBackgroundRect::LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs)
{
    TRVIniKeys key(fs);
    FColor = ini->ReadInteger(section, key("Color"), clNone);
    FBorderOffsets.LoadFromINI(ini, section, key("Offsets%s"));
}

void TRVBackgroundRect::SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const
{
    TRVIniKeys key(fs);
    WriteIntToIniIfNE(ini, section, key("Color"), FColor, clNone);
    FBorderOffsets.SaveToINI(ini, section, key("Offsets%s"));
}

// ---------------------------------------------------------------------------
// TParaInfo

TParaInfo::TParaInfo(TCollection* collection) : TCustomRVInfo(collection)
{
    FBorder.SetOwnerInfo(this);
    FBackground.SetOwnerInfo(this);
    SetStyleName("Paragraph Style");
}

void TParaInfo::Assign(const TPersistent* source)
{
    if (const auto* src = dynamic_cast<const TParaInfo*>(source)) {
        FFirstIndent = src->FFirstIndent;
        FLeftIndent = src->FLeftIndent;
        FRightIndent = src->FRightIndent;
        FSpaceBefore = src->FSpaceBefore;
        FSpaceAfter = src->FSpaceAfter;
        FLineSpacing = src->FLineSpacing;
        FLineSpacingType = src->FLineSpacingType;
        FAlignment = src->FAlignment;
        FBorder.Assign(&src->FBorder);
        FNextParaNo = src->FNextParaNo;
        FBackground.Assign(&src->FBackground);
        FOptions = src->FOptions;
        FBiDiMode = src->FBiDiMode;
    }
    TCustomRVInfo::Assign(source);
}

bool TParaInfo::ExtraLineSpacing() const
{
    return (FLineSpacingType == rvlsPercent && FLineSpacing > 100) ||
           (FLineSpacingType == rvlsSpaceBetween && FLineSpacing > 0);
}

bool TParaInfo::IsSimpleEqual(const TCustomRVInfo* value, bool ignoreId) const
{
    const auto* v = dynamic_cast<const TParaInfo*>(value);
    if (v == nullptr)
        return false;
    return FAlignment == v->FAlignment && FFirstIndent == v->FFirstIndent && FLeftIndent == v->FLeftIndent &&
           FRightIndent == v->FRightIndent && FSpaceBefore == v->FSpaceBefore &&
           FSpaceAfter == v->FSpaceAfter && FLineSpacing == v->FLineSpacing &&
           FLineSpacingType == v->FLineSpacingType && FOptions == v->FOptions && FBiDiMode == v->FBiDiMode &&
           (ignoreId || FNextParaNo == v->FNextParaNo) && FBackground.IsEqual(&v->FBackground) &&
           FBorder.IsEqual(&v->FBorder);
}

bool TParaInfo::IsEqual(const TParaInfo* value, TRVParaInfoProperties ignoreList) const
{
    auto same = [ignoreList](TRVParaInfoProperty p, bool equal) { return equal || ignoreList.Contains(p); };
    auto sameOption = [&](TRVParaInfoProperty p, TRVParaOption o) {
        return same(p, FOptions.Contains(o) == value->FOptions.Contains(o));
    };
    return same(rvpiAlignment, FAlignment == value->FAlignment) &&
           same(rvpiFirstIndent, FFirstIndent == value->FFirstIndent) &&
           same(rvpiLeftIndent, FLeftIndent == value->FLeftIndent) &&
           same(rvpiRightIndent, FRightIndent == value->FRightIndent) &&
           same(rvpiSpaceBefore, FSpaceBefore == value->FSpaceBefore) &&
           same(rvpiSpaceAfter, FSpaceAfter == value->FSpaceAfter) &&
           same(rvpiLineSpacing, FLineSpacing == value->FLineSpacing) &&
           same(rvpiLineSpacingType, FLineSpacingType == value->FLineSpacingType) &&
           sameOption(rvpiNoWrap, rvpaoNoWrap) && sameOption(rvpiReadOnly, rvpaoReadOnly) &&
           sameOption(rvpiStyleProtect, rvpaoStyleProtect) &&
           sameOption(rvpiDoNotWantReturns, rvpaoDoNotWantReturns) &&
           same(rvpiBiDiMode, FBiDiMode == value->FBiDiMode) &&
           same(rvpiNextParaNo, FNextParaNo == value->FNextParaNo) &&
           FBackground.IsEqual_Para(&value->FBackground, ignoreList) &&
           FBorder.IsEqual_Para(&value->FBorder, ignoreList);
}

int TParaInfo::SimilarityValue(const TCustomRVInfo* value) const
{
    const auto* v = dynamic_cast<const TParaInfo*>(value);
    if (v == nullptr)
        return 0;
    int64_t r = int64_t(RV_CompareInts(FFirstIndent, v->FFirstIndent, 1000)) +
                RV_CompareInts(FLeftIndent, v->FLeftIndent, 1000) +
                RV_CompareInts(FRightIndent, v->FRightIndent, 1000) +
                RV_CompareInts(FSpaceBefore, v->FSpaceBefore, 1000) +
                RV_CompareInts(FSpaceAfter, v->FSpaceAfter, 1000) +
                FBackground.SimilarityValue(&v->FBackground) + FBorder.SimilarityValue(&v->FBorder);
    if (FAlignment == v->FAlignment)
        r += 50000;
    if (FBiDiMode == v->FBiDiMode)
        r += 10000;
    auto sameOption = [&](TRVParaOption o) { return FOptions.Contains(o) == v->FOptions.Contains(o); };
    if (sameOption(rvpaoNoWrap))
        r += 1000;
    if (sameOption(rvpaoReadOnly))
        r += 100000;
    if (sameOption(rvpaoStyleProtect))
        r += 1000;
    if (sameOption(rvpaoDoNotWantReturns))
        r += 10000;
    if (FLineSpacingType == v->FLineSpacingType)
        r += RV_CompareInts(FLineSpacing, v->FLineSpacing, 5000);
    else if (ExtraLineSpacing() != v->ExtraLineSpacing())
        r -= 20000;
    return RV_Clamp32(r);
}

void TParaInfo::LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs)
{
    TRVIniKeys key(fs);
    TCustomRVInfo::LoadFromINI(ini, section, fs, "Paragraph Style");
    // Lengths from a file are kept within the limit the layout's sums allow.
    FSpaceBefore = RV_ClampStyleLength(ini->ReadInteger(section, key("SpaceBefore"), 0));
    FSpaceAfter = RV_ClampStyleLength(ini->ReadInteger(section, key("SpaceAfter"), 0));
    FLeftIndent = RV_ClampStyleLength(ini->ReadInteger(section, key("LeftIndent"), 0));
    FRightIndent = RV_ClampStyleLength(ini->ReadInteger(section, key("RightIndent"), 0));
    FFirstIndent = RV_ClampStyleLength(ini->ReadInteger(section, key("FirstIndent"), 0));
    FLineSpacing = ini->ReadInteger(section, key("LineSpacing"), 100);
    const int lsType = ini->ReadInteger(section, key("LSType"), rvlsPercent);
    FLineSpacingType = lsType == rvlsSpaceBetween ? rvlsSpaceBetween : rvlsPercent;
    FNextParaNo = ini->ReadInteger(section, key("NextParaNo"), -1);
    const int alignment = ini->ReadInteger(section, key("Alignment"), rvaLeft);
    FAlignment =
        alignment >= rvaLeft && alignment <= rvaJustify ? static_cast<TRVAlignment>(alignment) : rvaLeft;
    const int bidi = ini->ReadInteger(section, key("BiDiMode"), rvbdUnspecified);
    FBiDiMode =
        bidi >= rvbdUnspecified && bidi <= rvbdRightToLeft ? static_cast<TRVBiDiMode>(bidi) : rvbdUnspecified;
    FOptions = TRVParaOptions();
    FOptions.Set(rvpaoNoWrap, IniReadBool(ini, section, key("NoWrap"), false));
    FOptions.Set(rvpaoReadOnly, IniReadBool(ini, section, key("ReadOnly"), false));
    FOptions.Set(rvpaoStyleProtect, IniReadBool(ini, section, key("StyleProtect"), false));
    FOptions.Set(rvpaoDoNotWantReturns, IniReadBool(ini, section, key("DoNotWantReturns"), false));
    FBorder.LoadFromINI(ini, section, key("Border%s"));
    FBackground.LoadFromINI(ini, section, key("Background%s"));
}

void TParaInfo::SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const
{
    TRVIniKeys key(fs);
    TCustomRVInfo::SaveToINI(ini, section, fs);
    WriteIntToIniIfNE(ini, section, key("SpaceBefore"), FSpaceBefore, 0);
    WriteIntToIniIfNE(ini, section, key("SpaceAfter"), FSpaceAfter, 0);
    WriteIntToIniIfNE(ini, section, key("LeftIndent"), FLeftIndent, 0);
    WriteIntToIniIfNE(ini, section, key("RightIndent"), FRightIndent, 0);
    WriteIntToIniIfNE(ini, section, key("FirstIndent"), FFirstIndent, 0);
    WriteIntToIniIfNE(ini, section, key("LineSpacing"), FLineSpacing, 100);
    WriteIntToIniIfNE(ini, section, key("LSType"), FLineSpacingType, rvlsPercent);
    WriteIntToIniIfNE(ini, section, key("NextParaNo"), FNextParaNo, -1);
    WriteIntToIniIfNE(ini, section, key("Alignment"), FAlignment, rvaLeft);
    WriteIntToIniIfNE(ini, section, key("BiDiMode"), FBiDiMode, rvbdUnspecified);
    WriteBoolToIniIfNE(ini, section, key("NoWrap"), FOptions.Contains(rvpaoNoWrap), false);
    WriteBoolToIniIfNE(ini, section, key("ReadOnly"), FOptions.Contains(rvpaoReadOnly), false);
    WriteBoolToIniIfNE(ini, section, key("StyleProtect"), FOptions.Contains(rvpaoStyleProtect), false);
    WriteBoolToIniIfNE(ini, section, key("DoNotWantReturns"), FOptions.Contains(rvpaoDoNotWantReturns),
                       false);
    FBorder.SaveToINI(ini, section, key("Border%s"));
    FBackground.SaveToINI(ini, section, key("Background%s"));
}

// ---------------------------------------------------------------------------
// TParaInfos

TParaInfos::TParaInfos(TCollectionItemClass itemClass, TPersistent* owner)
    : TCustomRVInfos(std::move(itemClass), owner)
{}

TParaInfos::~TParaInfos()
{
    delete FInvalidItem;
}

TParaInfo* TParaInfos::Add()
{
    return static_cast<TParaInfo*>(TCollection::Add());
}

TParaInfo* TParaInfos::Items(int index) const
{
    if (index < 0 || index >= Count())
        return InvalidItem();
    return static_cast<TParaInfo*>(GetItem(index));
}

void TParaInfos::SetItem(int index, const TParaInfo* value)
{
    GetItem(index)->Assign(value);
}

TParaInfo* TParaInfos::InvalidItem() const
{
    if (FInvalidItem == nullptr) {
        FInvalidItem = NewDetachedEntry<TParaInfo>();
        FInvalidItem->SetSpaceBefore(1);
        FInvalidItem->SetSpaceAfter(1);
        FInvalidItem->SetLeftIndent(1);
        FInvalidItem->SetRightIndent(1);
        TRVBorder* border = FInvalidItem->Border();
        border->SetStyle(rvbSingle);
        border->SetColor(clRed);
        border->SetWidth(2);
        border->BorderOffsets()->SetAll(1);
    }
    return FInvalidItem;
}

void TParaInfos::SetInvalidItem(const TParaInfo* value)
{
    TParaInfo* item = InvalidItem();
    if (value != item)
        item->Assign(value);
}

int TParaInfos::FindStyleWithAlignment(int baseStyle, TRVAlignment Alignment) const
{
    // Another style must equal the base style in everything but the alignment.
    const TParaInfo* base = Items(baseStyle);
    return FindFromBase(baseStyle, [&](int i) {
        const TParaInfo* candidate = Items(i);
        return candidate->Alignment() == Alignment &&
               (i == baseStyle || base->IsEqual(candidate, {rvpiAlignment}));
    });
}

int TParaInfos::FindSuchStyle(int baseStyle, const TParaInfo* style, TRVParaInfoProperties mask) const
{
    const TRVParaInfoProperties ignore = RVAllParaInfoProperties - mask;
    return FindFromBase(baseStyle, [&](int i) { return style->IsEqual(Items(i), ignore); });
}

void TParaInfos::LoadFromINI(TCustomIniFile* ini, const AnsiString& section)
{
    const int count = RVReadIniCount(ini, section, "ParasCount", 2);
    ReplaceEntries<TParaInfo>(
        count, [&](TParaInfo* info, int i) { info->LoadFromINI(ini, section, "Para%s" + IntToStr(i)); });
}

void TParaInfos::SaveToINI(TCustomIniFile* ini, const AnsiString& section) const
{
    ini->WriteInteger(section, "ParasCount", Count());
    for (int i = 0; i < Count(); ++i)
        Items(i)->SaveToINI(ini, section, "Para%s" + IntToStr(i));
}
