// Text styles: copying, comparison, similarity scores, the searches of the
// collection, its invalid-item style and ini persistence. Drawing is in
// rvstyle_textdraw.cpp.
#include "document/rvstyle_text.h"

#include <utility>

#include "document/rvmapwht.h"
#include "platform/core/inifiles.h"

// ---------------------------------------------------------------------------
// TFontInfo

TFontInfo::TFontInfo(TCollection* Collection) : TCustomRVInfo(Collection)
{
    SetStyleName("Font Style");
}

void TFontInfo::Assign(const TPersistent* Source)
{
    if (const auto* src = dynamic_cast<const TFontInfo*>(Source)) {
        FFontName = src->FFontName;
        FSize = src->FSize;
        FCharset = src->FCharset;
        FStyle = src->FStyle;
        FStyleEx = src->FStyleEx;
        FVShift = src->FVShift;
        FColor = src->FColor;
        FBackColor = src->FBackColor;
        FHoverColor = src->FHoverColor;
        FHoverBackColor = src->FHoverBackColor;
        FJump = src->FJump;
        FJumpCursor = src->FJumpCursor;
        FCharScale = src->FCharScale;
        FCharSpacing = src->FCharSpacing;
        FNextStyleNo = src->FNextStyleNo;
        FBiDiMode = src->FBiDiMode;
        FUnicode = src->FUnicode;
        FProtection = src->FProtection;
        FOptions = src->FOptions;
        TCustomRVInfo::Assign(Source);
        return;
    }
    if (const auto* font = dynamic_cast<const TFont*>(Source)) {
        FFontName = font->Name();
        FSize = font->Size();
        FColor = font->Color();
        FStyle = font->Style();
        FCharset = font->Charset();
        return;
    }
    TCustomRVInfo::Assign(Source);
}

void TFontInfo::AssignTo(TPersistent* Dest) const
{
    if (auto* font = dynamic_cast<TFont*>(Dest)) {
        font->SetName(FFontName);
        font->SetSize(FSize);
        font->SetColor(FColor);
        font->SetStyle(FStyle);
        // A Unicode style's text is not in the code page of a character set.
        if (!FUnicode)
            font->SetCharset(FCharset);
        return;
    }
    TCustomRVInfo::AssignTo(Dest);
}

void TFontInfo::SetSingleSymbols(bool Value)
{
    if (Value)
        FProtection = FProtection + TRVProtectOptions{rvprStyleProtect, rvprDoNotAutoSwitch};
}

bool TFontInfo::IsSimpleEqual(const TCustomRVInfo* Value, bool IgnoreID) const
{
    const auto* v = dynamic_cast<const TFontInfo*>(Value);
    if (v == nullptr)
        return false;
    if (FSize != v->FSize || FCharset != v->FCharset || FUnicode != v->FUnicode || FStyle != v->FStyle ||
        FStyleEx != v->FStyleEx || !SameText(FFontName, v->FFontName) || FVShift != v->FVShift ||
        FColor != v->FColor || FBackColor != v->FBackColor || FJump != v->FJump)
        return false;
    if (FJump && (FHoverColor != v->FHoverColor || FHoverBackColor != v->FHoverBackColor ||
                  FJumpCursor != v->FJumpCursor))
        return false;
    if (!IgnoreID && FNextStyleNo != v->FNextStyleNo)
        return false;
    return FProtection == v->FProtection && FOptions == v->FOptions && FCharScale == v->FCharScale &&
           FCharSpacing == v->FCharSpacing && FBiDiMode == v->FBiDiMode;
}

bool TFontInfo::IsEqual(const TFontInfo* Value, TRVFontInfoProperties IgnoreList) const
{
    auto differs = [IgnoreList](TRVFontInfoProperty p, bool different) {
        return different && !IgnoreList.Contains(p);
    };
    auto styleDiffers = [&](TRVFontInfoProperty p, TFontStyle s) {
        return differs(p, FStyle.Contains(s) != Value->FStyle.Contains(s));
    };
    if (differs(rvfiSize, FSize != Value->FSize) || differs(rvfiCharset, FCharset != Value->FCharset) ||
        differs(rvfiUnicode, FUnicode != Value->FUnicode) || styleDiffers(rvfiBold, fsBold) ||
        styleDiffers(rvfiItalic, fsItalic) || styleDiffers(rvfiUnderline, fsUnderline) ||
        styleDiffers(rvfiStrikeout, fsStrikeOut) ||
        differs(rvfiOverline, FStyleEx.Contains(rvfsOverline) != Value->FStyleEx.Contains(rvfsOverline)) ||
        differs(rvfiAllCaps, FStyleEx.Contains(rvfsAllCaps) != Value->FStyleEx.Contains(rvfsAllCaps)) ||
        differs(rvfiFontName, !SameText(FFontName, Value->FFontName)) ||
        differs(rvfiVShift, FVShift != Value->FVShift) || differs(rvfiColor, FColor != Value->FColor) ||
        differs(rvfiBackColor, FBackColor != Value->FBackColor) || differs(rvfiJump, FJump != Value->FJump))
        return false;
    if (FJump && (differs(rvfiHoverColor, FHoverColor != Value->FHoverColor) ||
                  differs(rvfiHoverBackColor, FHoverBackColor != Value->FHoverBackColor) ||
                  differs(rvfiJumpCursor, FJumpCursor != Value->FJumpCursor)))
        return false;
    return !(
        differs(rvfiNextStyleNo, FNextStyleNo != Value->FNextStyleNo) ||
        differs(rvfiProtection, FProtection != Value->FProtection) ||
        differs(rvfiRTFCode, FOptions.Contains(rvteoRTFCode) != Value->FOptions.Contains(rvteoRTFCode)) ||
        differs(rvfiHTMLCode, FOptions.Contains(rvteoHTMLCode) != Value->FOptions.Contains(rvteoHTMLCode)) ||
        differs(rvfiCharScale, FCharScale != Value->FCharScale) ||
        differs(rvfiCharSpacing, FCharSpacing != Value->FCharSpacing) ||
        differs(rvfiBiDiMode, FBiDiMode != Value->FBiDiMode) ||
        differs(rvfiBaseStyleNo, BaseStyleNo() != Value->BaseStyleNo()));
}

int TFontInfo::SimilarityValue(const TCustomRVInfo* Value) const
{
    const auto* v = dynamic_cast<const TFontInfo*>(Value);
    if (v == nullptr)
        return 0;
    // Scores are summed in 64 bits and clamped: every term is bounded, but
    // sizes and shifts read from files are not.
    int64_t r = 0;
    r += RV_CompareInts(v->FSize, FSize, 10000);
    r += RV_CompareInts(v->FVShift, FVShift, 1000);
    r += RV_CompareInts(v->FCharScale, FCharScale, 300);
    r += RV_CompareInts(v->FCharSpacing, FCharSpacing, 1000);
    r += RV_CompareColors(v->FColor, FColor, 3333, 3000);
    r += RV_CompareColors(v->FBackColor, FBackColor, 10000, 50000);
    if (FBiDiMode == v->FBiDiMode)
        r += 10000;
    if (SameText(FFontName, v->FFontName))
        r += 10000;
    for (TFontStyle s : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
        if (FStyle.Contains(s) == v->FStyle.Contains(s))
            r += 50000;
    for (TRVFontStyle s : {rvfsOverline, rvfsAllCaps})
        if (FStyleEx.Contains(s) == v->FStyleEx.Contains(s))
            r += 50000;
    const bool plain = FStyle.Empty() && FStyleEx.Empty();
    const bool vPlain = v->FStyle.Empty() && v->FStyleEx.Empty();
    if (plain == vPlain)
        r += 50000;
    if (FJump && v->FJump) {
        if (FJumpCursor == v->FJumpCursor)
            r += 5000;
        r += RV_CompareColors(v->FHoverColor, FHoverColor, 3333, 3000) / 2;
        r += RV_CompareColors(v->FHoverBackColor, FHoverBackColor, 10000, 50000) / 2;
    }
    if (FProtection != v->FProtection)
        r -= 100000;
    for (TRVTextOption o : {rvteoHTMLCode, rvteoRTFCode})
        if (FOptions.Contains(o) == v->FOptions.Contains(o))
            r += 50000;
    if (FCharset == v->FCharset)
        r += 50000;
    else if (FCharset == DEFAULT_CHARSET || v->FCharset == DEFAULT_CHARSET)
        r += 12500;
    if (r > INT32_MAX)
        return INT32_MAX;
    if (r < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(r);
}

void TFontInfo::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs,
                            bool JumpByDefault, TCursor DefJumpCursor)
{
    TCustomRVInfo::LoadFromINI(ini, Section, fs, "Font Style");
    FFontName = ini->ReadString(Section, RVIniKey(fs, "Name"), "Arial");
    const AnsiString jump = ini->ReadString(Section, RVIniKey(fs, "Jump"), "?");
    if (jump == "?") {
        FJump = JumpByDefault;
        FJumpCursor = DefJumpCursor;
    } else {
        FJump = UpperCase(jump) == "YES";
        FJumpCursor = static_cast<TCursor>(ini->ReadInteger(Section, RVIniKey(fs, "JumpCursor"), crJump));
    }
    FSize = ini->ReadInteger(Section, RVIniKey(fs, "Size"), 10);
    FColor = ini->ReadInteger(Section, RVIniKey(fs, "Color"), clWindowText);
    FBackColor = ini->ReadInteger(Section, RVIniKey(fs, "BackColor"), clNone);
    FHoverBackColor = ini->ReadInteger(Section, RVIniKey(fs, "HoverBackColor"), clNone);
    FHoverColor = ini->ReadInteger(Section, RVIniKey(fs, "HoverColor"), clNone);
    FCharset = static_cast<TFontCharset>(ini->ReadInteger(Section, RVIniKey(fs, "Charset"), DEFAULT_CHARSET));
    FCharScale = ini->ReadInteger(Section, RVIniKey(fs, "CharScale"), 100);
    FCharSpacing = ini->ReadInteger(Section, RVIniKey(fs, "CharSpacing"), 0);
    const int bidi = ini->ReadInteger(Section, RVIniKey(fs, "BiDiMode"), rvbdUnspecified);
    FBiDiMode =
        bidi >= rvbdUnspecified && bidi <= rvbdRightToLeft ? static_cast<TRVBiDiMode>(bidi) : rvbdUnspecified;
    FStyle = TFontStyles();
    auto readStyle = [&](const char* key, TFontStyle s) {
        if (IniReadBool(ini, Section, RVIniKey(fs, key), false))
            FStyle.Include(s);
    };
    readStyle("Bold", fsBold);
    readStyle("Underline", fsUnderline);
    readStyle("StrikeOut", fsStrikeOut);
    readStyle("Italic", fsItalic);
    FStyleEx = TRVFontStyles();
    FStyleEx.Set(rvfsOverline, IniReadBool(ini, Section, RVIniKey(fs, "Overline"), false));
    FStyleEx.Set(rvfsAllCaps, IniReadBool(ini, Section, RVIniKey(fs, "Caps"), false));
    FProtection = TRVProtectOptions::FromBits(
        static_cast<uint8_t>(ini->ReadInteger(Section, RVIniKey(fs, "Protection"), 0) & 0x3F));
    SetSingleSymbols(IniReadBool(ini, Section, RVIniKey(fs, "SingleSymbols"), false));
    FOptions = TRVTextOptions();
    FOptions.Set(rvteoRTFCode, IniReadBool(ini, Section, RVIniKey(fs, "RTFCode"), false));
    FOptions.Set(rvteoHTMLCode, IniReadBool(ini, Section, RVIniKey(fs, "HTMLCode"), false));
    FVShift = ini->ReadInteger(Section, RVIniKey(fs, "VShift"), 0);
    FNextStyleNo = ini->ReadInteger(Section, RVIniKey(fs, "NextStyleNo"), -1);
    FUnicode = IniReadBool(ini, Section, RVIniKey(fs, "Unicode"), false);
}

void TFontInfo::SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const
{
    TCustomRVInfo::SaveToINI(ini, Section, fs);
    WriteIniString(ini, Section, RVIniKey(fs, "Name"), FFontName);
    ini->WriteString(Section, RVIniKey(fs, "Jump"), FJump ? "Yes" : "No");
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Size"), FSize, 10);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Color"), FColor, clWindowText);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "BackColor"), FBackColor, clNone);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "HoverBackColor"), FHoverBackColor, clNone);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "HoverColor"), FHoverColor, clNone);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "JumpCursor"), FJumpCursor, crJump);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Charset"), FCharset, DEFAULT_CHARSET);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "CharScale"), FCharScale, 100);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "CharSpacing"), FCharSpacing, 0);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "BiDiMode"), FBiDiMode, rvbdUnspecified);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "Bold"), FStyle.Contains(fsBold), false);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "Underline"), FStyle.Contains(fsUnderline), false);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "StrikeOut"), FStyle.Contains(fsStrikeOut), false);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "Italic"), FStyle.Contains(fsItalic), false);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "Overline"), FStyleEx.Contains(rvfsOverline), false);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "Caps"), FStyleEx.Contains(rvfsAllCaps), false);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "Protection"), FProtection.Bits & 0x3F, 0);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "RTFCode"), FOptions.Contains(rvteoRTFCode), false);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "HTMLCode"), FOptions.Contains(rvteoHTMLCode), false);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "VShift"), FVShift, 0);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "NextStyleNo"), FNextStyleNo, -1);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "Unicode"), FUnicode, false);
}

int TFontInfo::PixelsPerInch() const
{
    const auto* infos = dynamic_cast<const TFontInfos*>(Collection());
    return infos != nullptr ? infos->PixelsPerInch() : 0;
}

// ---------------------------------------------------------------------------
// TFontInfos

TFontInfos::TFontInfos(TCollectionItemClass ItemClass, TPersistent* Owner)
    : TCustomRVInfos(std::move(ItemClass), Owner)
{}

TFontInfos::~TFontInfos()
{
    delete FInvalidItem;
}

TFontInfo* TFontInfos::Add()
{
    return static_cast<TFontInfo*>(TCollection::Add());
}

TFontInfo* TFontInfos::AddFont(const AnsiString& Name, int Size, TColor Color, TColor BackColor,
                               TFontStyles Style)
{
    TFontInfo* info = Add();
    info->SetFontName(Name);
    info->SetSize(Size);
    info->SetColor(Color);
    info->SetBackColor(BackColor);
    info->SetStyle(Style);
    return info;
}

TFontInfo* TFontInfos::AddFontEx(const AnsiString& Name, int Size, TColor Color, TColor BackColor,
                                 TFontStyles Style, TFontCharset Charset)
{
    TFontInfo* info = AddFont(Name, Size, Color, BackColor, Style);
    info->SetCharset(Charset);
    return info;
}

TFontInfo* TFontInfos::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        return InvalidItem();
    return static_cast<TFontInfo*>(GetItem(Index));
}

void TFontInfos::SetItem(int Index, const TFontInfo* Value)
{
    GetItem(Index)->Assign(Value);
}

TFontInfo* TFontInfos::InvalidItem() const
{
    if (FInvalidItem == nullptr) {
        FInvalidItem = NewDetachedEntry<TFontInfo>();
        FInvalidItem->SetColor(clWhite);
        FInvalidItem->SetBackColor(clRed);
    }
    return FInvalidItem;
}

void TFontInfos::SetInvalidItem(const TFontInfo* Value)
{
    TFontInfo* item = InvalidItem();
    if (Value != item)
        item->Assign(Value);
}

template <class Filter>
int TFontInfos::FindStyle(int BaseStyle, TRVFontInfoProperties IgnoreList, Filter Passes) const
{
    // Another style must equal the base style in everything the filter does not look at.
    const TFontInfo* base = Items(BaseStyle);
    return FindFromBase(BaseStyle, [&](int i) {
        const TFontInfo* candidate = Items(i);
        return Passes(candidate) && (i == BaseStyle || base->IsEqual(candidate, IgnoreList));
    });
}

int TFontInfos::FindStyleWithFont(int BaseStyle, const TFont* Font) const
{
    return FindStyle(
        BaseStyle,
        {rvfiFontName, rvfiSize, rvfiCharset, rvfiBold, rvfiItalic, rvfiUnderline, rvfiStrikeout, rvfiColor},
        [Font](const TFontInfo* f) {
            return f->Size() == Font->Size() && f->Style() == Font->Style() &&
                   f->FontName() == Font->Name() && f->Charset() == Font->Charset() &&
                   f->Color() == Font->Color();
        });
}

int TFontInfos::FindStyleWithFontSize(int BaseStyle, int Size) const
{
    return FindStyle(BaseStyle, {rvfiSize}, [Size](const TFontInfo* f) { return f->Size() == Size; });
}

int TFontInfos::FindStyleWithColor(int BaseStyle, TColor Color, TColor BackColor) const
{
    return FindStyle(BaseStyle, {rvfiColor, rvfiBackColor}, [Color, BackColor](const TFontInfo* f) {
        return f->Color() == Color && f->BackColor() == BackColor;
    });
}

int TFontInfos::FindStyleWithFontName(int BaseStyle, const AnsiString& FontName) const
{
    return FindStyle(BaseStyle, {rvfiFontName},
                     [&FontName](const TFontInfo* f) { return f->FontName() == FontName; });
}

int TFontInfos::FindStyleWithCharset(int BaseStyle, TFontCharset Charset) const
{
    return FindStyle(BaseStyle, {rvfiCharset, rvfiUnicode},
                     [Charset](const TFontInfo* f) { return f->Charset() == Charset && !f->Unicode(); });
}

int TFontInfos::FindStyleWithFontStyle(int BaseStyle, TFontStyles Value, TFontStyles Mask) const
{
    TRVFontInfoProperties ignore;
    const std::pair<TFontStyle, TRVFontInfoProperty> styles[] = {{fsBold, rvfiBold},
                                                                 {fsItalic, rvfiItalic},
                                                                 {fsUnderline, rvfiUnderline},
                                                                 {fsStrikeOut, rvfiStrikeout}};
    for (const auto& s : styles)
        if (Mask.Contains(s.first))
            ignore.Include(s.second);
    return FindStyle(BaseStyle, ignore, [Value, Mask](const TFontInfo* f) {
        return ((f->Style().Bits ^ Value.Bits) & Mask.Bits) == 0;
    });
}

int TFontInfos::FindSuchStyle(int BaseStyle, const TFontInfo* Style, TRVFontInfoProperties Mask) const
{
    const TRVFontInfoProperties ignore = RVAllFontInfoProperties - Mask;
    return FindFromBase(BaseStyle, [&](int i) { return Style->IsEqual(Items(i), ignore); });
}

void TFontInfos::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, TCursor DefJumpCursor)
{
    // The count is checked before anything changes, so a corrupt section
    // leaves the styles as they were.
    const int count = RVReadIniCount(ini, Section, "FontsCount", 6);
    ReplaceEntries<TFontInfo>(count, [&](TFontInfo* info, int i) {
        info->LoadFromINI(ini, Section, "Font%s" + IntToStr(i), i == 4 || i == 5, DefJumpCursor);
    });
}

void TFontInfos::SaveToINI(TCustomIniFile* ini, const AnsiString& Section) const
{
    ini->WriteInteger(Section, "FontsCount", Count());
    for (int i = 0; i < Count(); ++i)
        Items(i)->SaveToINI(ini, Section, "Font%s" + IntToStr(i));
}
