// Paragraph styles and their parts: copying, comparison, similarity scores,
// ini keys, and the collection with its invalid-item style and searches.
// The drawing of borders and backgrounds is in rvstyle_paradraw.cpp.
#include "document/rvstyle_para.h"

#include "document/rvmapwht.h"
#include "platform/core/inifiles.h"

namespace {

// Scores are summed in 64 bits and clamped, since values read from files are not bounded.
int ClampScore(int64_t r)
{
    if (r > INT32_MAX)
        return INT32_MAX;
    if (r < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(r);
}

} // namespace

// ---------------------------------------------------------------------------
// TRVRect

void TRVRect::Assign(const TPersistent* Source)
{
    if (const auto* src = dynamic_cast<const TRVRect*>(Source)) {
        FTop = src->FTop;
        FLeft = src->FLeft;
        FRight = src->FRight;
        FBottom = src->FBottom;
        return;
    }
    TPersistent::Assign(Source);
}

void TRVRect::SetAll(int Value)
{
    FTop = FLeft = FRight = FBottom = Value;
}

void TRVRect::AssignToRect(TRect& Rect) const
{
    Rect = {FLeft, FTop, FRight, FBottom};
}

void TRVRect::AssignToRectIfGreater(TRect& Rect) const
{
    if (FLeft > Rect.Left)
        Rect.Left = FLeft;
    if (FTop > Rect.Top)
        Rect.Top = FTop;
    if (FRight > Rect.Right)
        Rect.Right = FRight;
    if (FBottom > Rect.Bottom)
        Rect.Bottom = FBottom;
}

void TRVRect::InflateRect(TRect& Rect) const
{
    Rect.Left = WrapSub(Rect.Left, FLeft);
    Rect.Top = WrapSub(Rect.Top, FTop);
    Rect.Right = WrapAdd(Rect.Right, FRight);
    Rect.Bottom = WrapAdd(Rect.Bottom, FBottom);
}

void TRVRect::InflateRectSaD(TRect& Rect, const TRVScreenAndDevice& sad) const
{
    Rect.Left = WrapSub(Rect.Left, RV_XToDevice(FLeft, sad));
    Rect.Top = WrapSub(Rect.Top, RV_YToDevice(FTop, sad));
    Rect.Right = WrapAdd(Rect.Right, RV_XToDevice(FRight, sad));
    Rect.Bottom = WrapAdd(Rect.Bottom, RV_YToDevice(FBottom, sad));
}

bool TRVRect::IsEqual(const TRVRect* Value) const
{
    return FLeft == Value->FLeft && FTop == Value->FTop && FRight == Value->FRight &&
           FBottom == Value->FBottom;
}

bool TRVRect::IsEqualEx(const TRVRect* Value, bool IgnL, bool IgnT, bool IgnR, bool IgnB) const
{
    return (IgnL || FLeft == Value->FLeft) && (IgnT || FTop == Value->FTop) &&
           (IgnR || FRight == Value->FRight) && (IgnB || FBottom == Value->FBottom);
}

int TRVRect::SimilarityValue(const TRVRect* Value, int Weight) const
{
    return ClampScore(
        int64_t(RV_CompareInts(FLeft, Value->FLeft, Weight)) + RV_CompareInts(FTop, Value->FTop, Weight) +
        RV_CompareInts(FRight, Value->FRight, Weight) + RV_CompareInts(FBottom, Value->FBottom, Weight));
}

void TRVRect::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs)
{
    FLeft = ini->ReadInteger(Section, RVIniKey(fs, "Left"), 0);
    FRight = ini->ReadInteger(Section, RVIniKey(fs, "Right"), 0);
    FTop = ini->ReadInteger(Section, RVIniKey(fs, "Top"), 0);
    FBottom = ini->ReadInteger(Section, RVIniKey(fs, "Bottom"), 0);
}

void TRVRect::SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const
{
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Left"), FLeft, 0);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Right"), FRight, 0);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Top"), FTop, 0);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Bottom"), FBottom, 0);
}

// ---------------------------------------------------------------------------
// TRVBooleanRect

TRVBooleanRect::TRVBooleanRect(bool DefValue)
    : FTop(DefValue), FLeft(DefValue), FRight(DefValue), FBottom(DefValue)
{}

void TRVBooleanRect::Assign(const TPersistent* Source)
{
    if (const auto* src = dynamic_cast<const TRVBooleanRect*>(Source)) {
        SetValues(src->FLeft, src->FTop, src->FRight, src->FBottom);
        return;
    }
    TPersistent::Assign(Source);
}

void TRVBooleanRect::SetAll(bool Value)
{
    FTop = FLeft = FRight = FBottom = Value;
}

void TRVBooleanRect::SetValues(bool ALeft, bool ATop, bool ARight, bool ABottom)
{
    FLeft = ALeft;
    FTop = ATop;
    FRight = ARight;
    FBottom = ABottom;
}

bool TRVBooleanRect::IsEqual(const TRVBooleanRect* Value) const
{
    return IsEqual2(Value->FLeft, Value->FTop, Value->FRight, Value->FBottom);
}

bool TRVBooleanRect::IsEqual2(bool ALeft, bool ATop, bool ARight, bool ABottom) const
{
    return FLeft == ALeft && FTop == ATop && FRight == ARight && FBottom == ABottom;
}

bool TRVBooleanRect::IsAllEqual(bool Value) const
{
    return IsEqual2(Value, Value, Value, Value);
}

bool TRVBooleanRect::IsEqualEx(const TRVBooleanRect* Value, bool IgnL, bool IgnT, bool IgnR, bool IgnB) const
{
    return (IgnL || FLeft == Value->FLeft) && (IgnT || FTop == Value->FTop) &&
           (IgnR || FRight == Value->FRight) && (IgnB || FBottom == Value->FBottom);
}

void TRVBooleanRect::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs)
{
    FLeft = IniReadBool(ini, Section, RVIniKey(fs, "Left"), true);
    FRight = IniReadBool(ini, Section, RVIniKey(fs, "Right"), true);
    FTop = IniReadBool(ini, Section, RVIniKey(fs, "Top"), true);
    FBottom = IniReadBool(ini, Section, RVIniKey(fs, "Bottom"), true);
}

void TRVBooleanRect::SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const
{
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "Left"), FLeft, true);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "Right"), FRight, true);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "Top"), FTop, true);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "Bottom"), FBottom, true);
}

// ---------------------------------------------------------------------------
// TRVBorder

TRVBorder::TRVBorder() = default;

void TRVBorder::Assign(const TPersistent* Source)
{
    if (const auto* src = dynamic_cast<const TRVBorder*>(Source)) {
        FWidth = src->FWidth;
        FStyle = src->FStyle;
        FColor = src->FColor;
        FInternalWidth = src->FInternalWidth;
        FVisibleBorders.Assign(&src->FVisibleBorders);
        FBorderOffsets.Assign(&src->FBorderOffsets);
        return;
    }
    TPersistent::Assign(Source);
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

bool TRVBorder::IsEqual(const TRVBorder* Value) const
{
    return FStyle == Value->FStyle && FColor == Value->FColor && FWidth == Value->FWidth &&
           FInternalWidth == Value->FInternalWidth && FBorderOffsets.IsEqual(&Value->FBorderOffsets) &&
           FVisibleBorders.IsEqual(&Value->FVisibleBorders);
}

bool TRVBorder::IsEqual_Para(const TRVBorder* Value, TRVParaInfoProperties IgnoreList) const
{
    auto same = [IgnoreList](TRVParaInfoProperty p, bool equal) { return equal || IgnoreList.Contains(p); };
    return same(rvpiBorder_Style, FStyle == Value->FStyle) &&
           same(rvpiBorder_Color, FColor == Value->FColor) &&
           same(rvpiBorder_Width, FWidth == Value->FWidth) &&
           same(rvpiBorder_InternalWidth, FInternalWidth == Value->FInternalWidth) &&
           FBorderOffsets.IsEqualEx(&Value->FBorderOffsets, IgnoreList.Contains(rvpiBorder_BO_Left),
                                    IgnoreList.Contains(rvpiBorder_BO_Top),
                                    IgnoreList.Contains(rvpiBorder_BO_Right),
                                    IgnoreList.Contains(rvpiBorder_BO_Bottom)) &&
           FVisibleBorders.IsEqualEx(&Value->FVisibleBorders, IgnoreList.Contains(rvpiBorder_Vis_Left),
                                     IgnoreList.Contains(rvpiBorder_Vis_Top),
                                     IgnoreList.Contains(rvpiBorder_Vis_Right),
                                     IgnoreList.Contains(rvpiBorder_Vis_Bottom));
}

int TRVBorder::SimilarityValue(const TRVBorder* Value) const
{
    // The sides in the order left, top, right, bottom.
    const bool ownVisible[4] = {FVisibleBorders.Left(), FVisibleBorders.Top(), FVisibleBorders.Right(),
                                FVisibleBorders.Bottom()};
    const bool otherVisible[4] = {Value->FVisibleBorders.Left(), Value->FVisibleBorders.Top(),
                                  Value->FVisibleBorders.Right(), Value->FVisibleBorders.Bottom()};
    const int ownOffsets[4] = {FBorderOffsets.Left(), FBorderOffsets.Top(), FBorderOffsets.Right(),
                               FBorderOffsets.Bottom()};
    const int otherOffsets[4] = {Value->FBorderOffsets.Left(), Value->FBorderOffsets.Top(),
                                 Value->FBorderOffsets.Right(), Value->FBorderOffsets.Bottom()};
    bool ownDraws[4];
    bool otherDraws[4];
    int both = 0;
    for (int side = 0; side < 4; ++side) {
        ownDraws[side] = FStyle != rvbNone && ownVisible[side];
        otherDraws[side] = Value->FStyle != rvbNone && otherVisible[side];
        if (ownDraws[side] && otherDraws[side])
            ++both;
    }
    int64_t r = 0;
    if (both > 0) {
        int64_t lines = int64_t(RV_CompareColors(FColor, Value->FColor, 3333, 3000)) +
                        RV_CompareInts(FWidth, Value->FWidth, 1000) +
                        RV_CompareInts(FInternalWidth, Value->FInternalWidth, 1000);
        if (FStyle == Value->FStyle)
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
    return ClampScore(r);
}

void TRVBorder::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs)
{
    FWidth = ini->ReadInteger(Section, RVIniKey(fs, "Width"), 1);
    const int style = ini->ReadInteger(Section, RVIniKey(fs, "Style"), rvbNone);
    FStyle = style >= rvbNone && style <= rvbThickOutside ? static_cast<TRVBorderStyle>(style) : rvbNone;
    FColor = ini->ReadInteger(Section, RVIniKey(fs, "Color"), clWindowText);
    FInternalWidth = ini->ReadInteger(Section, RVIniKey(fs, "InternalWidth"), 1);
    FBorderOffsets.LoadFromINI(ini, Section, RVIniKey(fs, "Offsets%s"));
    FVisibleBorders.LoadFromINI(ini, Section, RVIniKey(fs, "Visible%s"));
}

void TRVBorder::SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const
{
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Width"), FWidth, 1);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Style"), FStyle, rvbNone);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Color"), FColor, clWindowText);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "InternalWidth"), FInternalWidth, 1);
    FBorderOffsets.SaveToINI(ini, Section, RVIniKey(fs, "Offsets%s"));
    FVisibleBorders.SaveToINI(ini, Section, RVIniKey(fs, "Visible%s"));
}

// ---------------------------------------------------------------------------
// TRVBackgroundRect

void TRVBackgroundRect::Assign(const TPersistent* Source)
{
    if (const auto* src = dynamic_cast<const TRVBackgroundRect*>(Source)) {
        FColor = src->FColor;
        FBorderOffsets.Assign(&src->FBorderOffsets);
        return;
    }
    TPersistent::Assign(Source);
}

void TRVBackgroundRect::PrepareDraw(TRect& Rect) const
{
    FBorderOffsets.InflateRect(Rect);
}

void TRVBackgroundRect::PrepareDrawSaD(TRect& Rect, const TRVScreenAndDevice& sad) const
{
    FBorderOffsets.InflateRectSaD(Rect, sad);
}

bool TRVBackgroundRect::IsEqual(const TRVBackgroundRect* Value) const
{
    return FColor == Value->FColor && FBorderOffsets.IsEqual(&Value->FBorderOffsets);
}

bool TRVBackgroundRect::IsEqual_Para(const TRVBackgroundRect* Value, TRVParaInfoProperties IgnoreList) const
{
    return (FColor == Value->FColor || IgnoreList.Contains(rvpiBackground_Color)) &&
           FBorderOffsets.IsEqualEx(&Value->FBorderOffsets, IgnoreList.Contains(rvpiBackground_BO_Left),
                                    IgnoreList.Contains(rvpiBackground_BO_Top),
                                    IgnoreList.Contains(rvpiBackground_BO_Right),
                                    IgnoreList.Contains(rvpiBackground_BO_Bottom));
}

int TRVBackgroundRect::SimilarityValue(const TRVBackgroundRect* Value) const
{
    return ClampScore(int64_t(RV_CompareColors(FColor, Value->FColor, 10000, 50000)) +
                      FBorderOffsets.SimilarityValue(&Value->FBorderOffsets, 100));
}

void TRVBackgroundRect::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs)
{
    FColor = ini->ReadInteger(Section, RVIniKey(fs, "Color"), clNone);
    FBorderOffsets.LoadFromINI(ini, Section, RVIniKey(fs, "Offsets%s"));
}

void TRVBackgroundRect::SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const
{
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Color"), FColor, clNone);
    FBorderOffsets.SaveToINI(ini, Section, RVIniKey(fs, "Offsets%s"));
}

// ---------------------------------------------------------------------------
// TParaInfo

TParaInfo::TParaInfo(TCollection* Collection) : TCustomRVInfo(Collection)
{
    SetStyleName("Paragraph Style");
}

void TParaInfo::Assign(const TPersistent* Source)
{
    if (const auto* src = dynamic_cast<const TParaInfo*>(Source)) {
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
    TCustomRVInfo::Assign(Source);
}

bool TParaInfo::ExtraLineSpacing() const
{
    return (FLineSpacingType == rvlsPercent && FLineSpacing > 100) ||
           (FLineSpacingType == rvlsSpaceBetween && FLineSpacing > 0);
}

bool TParaInfo::IsSimpleEqual(const TCustomRVInfo* Value, bool IgnoreID) const
{
    const auto* v = dynamic_cast<const TParaInfo*>(Value);
    if (v == nullptr)
        return false;
    return FAlignment == v->FAlignment && FFirstIndent == v->FFirstIndent && FLeftIndent == v->FLeftIndent &&
           FRightIndent == v->FRightIndent && FSpaceBefore == v->FSpaceBefore &&
           FSpaceAfter == v->FSpaceAfter && FLineSpacing == v->FLineSpacing &&
           FLineSpacingType == v->FLineSpacingType && FOptions == v->FOptions && FBiDiMode == v->FBiDiMode &&
           (IgnoreID || FNextParaNo == v->FNextParaNo) && FBackground.IsEqual(&v->FBackground) &&
           FBorder.IsEqual(&v->FBorder);
}

bool TParaInfo::IsEqual(const TParaInfo* Value, TRVParaInfoProperties IgnoreList) const
{
    auto same = [IgnoreList](TRVParaInfoProperty p, bool equal) { return equal || IgnoreList.Contains(p); };
    auto sameOption = [&](TRVParaInfoProperty p, TRVParaOption o) {
        return same(p, FOptions.Contains(o) == Value->FOptions.Contains(o));
    };
    return same(rvpiAlignment, FAlignment == Value->FAlignment) &&
           same(rvpiFirstIndent, FFirstIndent == Value->FFirstIndent) &&
           same(rvpiLeftIndent, FLeftIndent == Value->FLeftIndent) &&
           same(rvpiRightIndent, FRightIndent == Value->FRightIndent) &&
           same(rvpiSpaceBefore, FSpaceBefore == Value->FSpaceBefore) &&
           same(rvpiSpaceAfter, FSpaceAfter == Value->FSpaceAfter) &&
           same(rvpiLineSpacing, FLineSpacing == Value->FLineSpacing) &&
           same(rvpiLineSpacingType, FLineSpacingType == Value->FLineSpacingType) &&
           sameOption(rvpiNoWrap, rvpaoNoWrap) && sameOption(rvpiReadOnly, rvpaoReadOnly) &&
           sameOption(rvpiStyleProtect, rvpaoStyleProtect) &&
           sameOption(rvpiDoNotWantReturns, rvpaoDoNotWantReturns) &&
           same(rvpiBiDiMode, FBiDiMode == Value->FBiDiMode) &&
           same(rvpiNextParaNo, FNextParaNo == Value->FNextParaNo) &&
           FBackground.IsEqual_Para(&Value->FBackground, IgnoreList) &&
           FBorder.IsEqual_Para(&Value->FBorder, IgnoreList);
}

int TParaInfo::SimilarityValue(const TCustomRVInfo* Value) const
{
    const auto* v = dynamic_cast<const TParaInfo*>(Value);
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
    return ClampScore(r);
}

void TParaInfo::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs)
{
    TCustomRVInfo::LoadFromINI(ini, Section, fs, "Paragraph Style");
    FSpaceBefore = ini->ReadInteger(Section, RVIniKey(fs, "SpaceBefore"), 0);
    FSpaceAfter = ini->ReadInteger(Section, RVIniKey(fs, "SpaceAfter"), 0);
    FLeftIndent = ini->ReadInteger(Section, RVIniKey(fs, "LeftIndent"), 0);
    FRightIndent = ini->ReadInteger(Section, RVIniKey(fs, "RightIndent"), 0);
    FFirstIndent = ini->ReadInteger(Section, RVIniKey(fs, "FirstIndent"), 0);
    FLineSpacing = ini->ReadInteger(Section, RVIniKey(fs, "LineSpacing"), 100);
    const int lsType = ini->ReadInteger(Section, RVIniKey(fs, "LSType"), rvlsPercent);
    FLineSpacingType = lsType == rvlsSpaceBetween ? rvlsSpaceBetween : rvlsPercent;
    FNextParaNo = ini->ReadInteger(Section, RVIniKey(fs, "NextParaNo"), -1);
    const int alignment = ini->ReadInteger(Section, RVIniKey(fs, "Alignment"), rvaLeft);
    FAlignment =
        alignment >= rvaLeft && alignment <= rvaJustify ? static_cast<TRVAlignment>(alignment) : rvaLeft;
    const int bidi = ini->ReadInteger(Section, RVIniKey(fs, "BiDiMode"), rvbdUnspecified);
    FBiDiMode =
        bidi >= rvbdUnspecified && bidi <= rvbdRightToLeft ? static_cast<TRVBiDiMode>(bidi) : rvbdUnspecified;
    FOptions = TRVParaOptions();
    FOptions.Set(rvpaoNoWrap, IniReadBool(ini, Section, RVIniKey(fs, "NoWrap"), false));
    FOptions.Set(rvpaoReadOnly, IniReadBool(ini, Section, RVIniKey(fs, "ReadOnly"), false));
    FOptions.Set(rvpaoStyleProtect, IniReadBool(ini, Section, RVIniKey(fs, "StyleProtect"), false));
    FOptions.Set(rvpaoDoNotWantReturns, IniReadBool(ini, Section, RVIniKey(fs, "DoNotWantReturns"), false));
    FBorder.LoadFromINI(ini, Section, RVIniKey(fs, "Border%s"));
    FBackground.LoadFromINI(ini, Section, RVIniKey(fs, "Background%s"));
}

void TParaInfo::SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const
{
    TCustomRVInfo::SaveToINI(ini, Section, fs);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "SpaceBefore"), FSpaceBefore, 0);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "SpaceAfter"), FSpaceAfter, 0);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "LeftIndent"), FLeftIndent, 0);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "RightIndent"), FRightIndent, 0);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "FirstIndent"), FFirstIndent, 0);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "LineSpacing"), FLineSpacing, 100);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "LSType"), FLineSpacingType, rvlsPercent);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "NextParaNo"), FNextParaNo, -1);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Alignment"), FAlignment, rvaLeft);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "BiDiMode"), FBiDiMode, rvbdUnspecified);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "NoWrap"), FOptions.Contains(rvpaoNoWrap), false);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "ReadOnly"), FOptions.Contains(rvpaoReadOnly), false);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "StyleProtect"), FOptions.Contains(rvpaoStyleProtect),
                       false);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "DoNotWantReturns"),
                       FOptions.Contains(rvpaoDoNotWantReturns), false);
    FBorder.SaveToINI(ini, Section, RVIniKey(fs, "Border%s"));
    FBackground.SaveToINI(ini, Section, RVIniKey(fs, "Background%s"));
}

// ---------------------------------------------------------------------------
// TParaInfos

TParaInfos::TParaInfos(TCollectionItemClass ItemClass, TPersistent* Owner)
    : TCustomRVInfos(std::move(ItemClass), Owner)
{}

TParaInfos::~TParaInfos()
{
    delete FInvalidItem;
}

TParaInfo* TParaInfos::Add()
{
    return static_cast<TParaInfo*>(TCollection::Add());
}

TParaInfo* TParaInfos::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        return InvalidItem();
    return static_cast<TParaInfo*>(GetItem(Index));
}

void TParaInfos::SetItem(int Index, const TParaInfo* Value)
{
    GetItem(Index)->Assign(Value);
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

void TParaInfos::SetInvalidItem(const TParaInfo* Value)
{
    TParaInfo* item = InvalidItem();
    if (Value != item)
        item->Assign(Value);
}

int TParaInfos::FindStyleWithAlignment(int BaseStyle, TRVAlignment Alignment) const
{
    // Another style must equal the base style in everything but the alignment.
    const TParaInfo* base = Items(BaseStyle);
    return FindFromBase(BaseStyle, [&](int i) {
        const TParaInfo* candidate = Items(i);
        return candidate->Alignment() == Alignment &&
               (i == BaseStyle || base->IsEqual(candidate, {rvpiAlignment}));
    });
}

int TParaInfos::FindSuchStyle(int BaseStyle, const TParaInfo* Style, TRVParaInfoProperties Mask) const
{
    const TRVParaInfoProperties ignore = RVAllParaInfoProperties - Mask;
    return FindFromBase(BaseStyle, [&](int i) { return Style->IsEqual(Items(i), ignore); });
}

void TParaInfos::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section)
{
    const int count = RVReadIniCount(ini, Section, "ParasCount", 2);
    ReplaceEntries<TParaInfo>(
        count, [&](TParaInfo* info, int i) { info->LoadFromINI(ini, Section, "Para%s" + IntToStr(i)); });
}

void TParaInfos::SaveToINI(TCustomIniFile* ini, const AnsiString& Section) const
{
    ini->WriteInteger(Section, "ParasCount", Count());
    for (int i = 0; i < Count(); ++i)
        Items(i)->SaveToINI(ini, Section, "Para%s" + IntToStr(i));
}
