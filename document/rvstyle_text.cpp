// Text styles: copying, comparison, similarity scores, the searches of the
// collection, its invalid-item style and ini persistence. Drawing is in
// rvstyle_textdraw.cpp.
#include "document/rvstyle_text.h"

#include <utility>

#include "document/rvmapwht.h"
#include "platform/core/inifiles.h"
#include "platform/core/numbers.h"

// ---------------------------------------------------------------------------
// TFontInfo

TFontInfo::TFontInfo(TCollection* collection) : TCustomRVInfo(collection)
{
    SetStyleName("Font Style");
}

void TFontInfo::Assign(const TPersistent* source)
{
    if (const auto* src = dynamic_cast<const TFontInfo*>(source)) {
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
        TCustomRVInfo::Assign(source);
        return;
    }
    if (const auto* font = dynamic_cast<const TFont*>(source)) {
        FFontName = font->Name();
        FSize = font->Size();
        FColor = font->Color();
        FStyle = font->Style();
        FCharset = font->Charset();
        return;
    }
    TCustomRVInfo::Assign(source);
}

void TFontInfo::AssignTo(TPersistent* dest) const
{
    if (auto* font = dynamic_cast<TFont*>(dest)) {
        font->SetName(FFontName);
        font->SetSize(FSize);
        font->SetColor(FColor);
        font->SetStyle(FStyle);
        // A Unicode style's text is not in the code page of a character set.
        if (!FUnicode)
            font->SetCharset(FCharset);
        return;
    }
    TCustomRVInfo::AssignTo(dest);
}

void TFontInfo::SetSingleSymbols(bool value)
{
    if (value)
        FProtection = FProtection + TRVProtectOptions{rvprStyleProtect, rvprDoNotAutoSwitch};
}

bool TFontInfo::IsSimpleEqual(const TCustomRVInfo* value, bool ignoreId) const
{
    const auto* v = dynamic_cast<const TFontInfo*>(value);
    if (v == nullptr)
        return false;
    if (FSize != v->FSize || FCharset != v->FCharset || FUnicode != v->FUnicode || FStyle != v->FStyle ||
        FStyleEx != v->FStyleEx || !SameText(FFontName, v->FFontName) || FVShift != v->FVShift ||
        FColor != v->FColor || FBackColor != v->FBackColor || FJump != v->FJump)
        return false;
    if (FJump && (FHoverColor != v->FHoverColor || FHoverBackColor != v->FHoverBackColor ||
                  FJumpCursor != v->FJumpCursor))
        return false;
    if (!ignoreId && FNextStyleNo != v->FNextStyleNo)
        return false;
    return FProtection == v->FProtection && FOptions == v->FOptions && FCharScale == v->FCharScale &&
           FCharSpacing == v->FCharSpacing && FBiDiMode == v->FBiDiMode;
}

bool TFontInfo::IsEqual(const TFontInfo* value, TRVFontInfoProperties ignoreList) const
{
    auto differs = [ignoreList](TRVFontInfoProperty p, bool different) {
        return different && !ignoreList.Contains(p);
    };
    auto styleDiffers = [&](TRVFontInfoProperty p, TFontStyle s) {
        return differs(p, FStyle.Contains(s) != value->FStyle.Contains(s));
    };
    if (differs(rvfiSize, FSize != value->FSize) || differs(rvfiCharset, FCharset != value->FCharset) ||
        differs(rvfiUnicode, FUnicode != value->FUnicode) || styleDiffers(rvfiBold, fsBold) ||
        styleDiffers(rvfiItalic, fsItalic) || styleDiffers(rvfiUnderline, fsUnderline) ||
        styleDiffers(rvfiStrikeout, fsStrikeOut) ||
        differs(rvfiOverline, FStyleEx.Contains(rvfsOverline) != value->FStyleEx.Contains(rvfsOverline)) ||
        differs(rvfiAllCaps, FStyleEx.Contains(rvfsAllCaps) != value->FStyleEx.Contains(rvfsAllCaps)) ||
        differs(rvfiFontName, !SameText(FFontName, value->FFontName)) ||
        differs(rvfiVShift, FVShift != value->FVShift) || differs(rvfiColor, FColor != value->FColor) ||
        differs(rvfiBackColor, FBackColor != value->FBackColor) || differs(rvfiJump, FJump != value->FJump))
        return false;
    if (FJump && (differs(rvfiHoverColor, FHoverColor != value->FHoverColor) ||
                  differs(rvfiHoverBackColor, FHoverBackColor != value->FHoverBackColor) ||
                  differs(rvfiJumpCursor, FJumpCursor != value->FJumpCursor)))
        return false;
    return !(
        differs(rvfiNextStyleNo, FNextStyleNo != value->FNextStyleNo) ||
        differs(rvfiProtection, FProtection != value->FProtection) ||
        differs(rvfiRTFCode, FOptions.Contains(rvteoRTFCode) != value->FOptions.Contains(rvteoRTFCode)) ||
        differs(rvfiHTMLCode, FOptions.Contains(rvteoHTMLCode) != value->FOptions.Contains(rvteoHTMLCode)) ||
        differs(rvfiCharScale, FCharScale != value->FCharScale) ||
        differs(rvfiCharSpacing, FCharSpacing != value->FCharSpacing) ||
        differs(rvfiBiDiMode, FBiDiMode != value->FBiDiMode) ||
        differs(rvfiBaseStyleNo, BaseStyleNo() != value->BaseStyleNo()));
}

int TFontInfo::SimilarityValue(const TCustomRVInfo* value) const
{
    const auto* v = dynamic_cast<const TFontInfo*>(value);
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
    return RV_Clamp32(r);
}

void TFontInfo::LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs,
                            bool jumpByDefault, TCursor defJumpCursor)
{
    TRVIniKeys key(fs);
    TCustomRVInfo::LoadFromINI(ini, section, fs, "Font Style");
    FFontName = ini->ReadString(section, key("Name"), "Arial");
    const AnsiString jump = ini->ReadString(section, key("Jump"), "?");
    if (jump == "?") {
        FJump = jumpByDefault;
        FJumpCursor = defJumpCursor;
    } else {
        FJump = UpperCase(jump) == "YES";
        FJumpCursor = static_cast<TCursor>(ini->ReadInteger(section, key("JumpCursor"), crJump));
    }
    FSize = ini->ReadInteger(section, key("Size"), 10);
    FColor = ini->ReadInteger(section, key("Color"), clWindowText);
    FBackColor = ini->ReadInteger(section, key("BackColor"), clNone);
    FHoverBackColor = ini->ReadInteger(section, key("HoverBackColor"), clNone);
    FHoverColor = ini->ReadInteger(section, key("HoverColor"), clNone);
    FCharset = static_cast<TFontCharset>(ini->ReadInteger(section, key("Charset"), DEFAULT_CHARSET));
    FCharScale = ini->ReadInteger(section, key("CharScale"), 100);
    FCharSpacing = ini->ReadInteger(section, key("CharSpacing"), 0);
    const int bidi = ini->ReadInteger(section, key("BiDiMode"), rvbdUnspecified);
    FBiDiMode =
        bidi >= rvbdUnspecified && bidi <= rvbdRightToLeft ? static_cast<TRVBiDiMode>(bidi) : rvbdUnspecified;
    FStyle = TFontStyles();
    auto readStyle = [&](const char* name, TFontStyle s) {
        if (IniReadBool(ini, section, key(name), false))
            FStyle.Include(s);
    };
    readStyle("Bold", fsBold);
    readStyle("Underline", fsUnderline);
    readStyle("StrikeOut", fsStrikeOut);
    readStyle("Italic", fsItalic);
    FStyleEx = TRVFontStyles();
    FStyleEx.Set(rvfsOverline, IniReadBool(ini, section, key("Overline"), false));
    FStyleEx.Set(rvfsAllCaps, IniReadBool(ini, section, key("Caps"), false));
    FProtection = TRVProtectOptions::FromBits(
        static_cast<uint8_t>(ini->ReadInteger(section, key("Protection"), 0) & 0x3F));
    SetSingleSymbols(IniReadBool(ini, section, key("SingleSymbols"), false));
    FOptions = TRVTextOptions();
    FOptions.Set(rvteoRTFCode, IniReadBool(ini, section, key("RTFCode"), false));
    FOptions.Set(rvteoHTMLCode, IniReadBool(ini, section, key("HTMLCode"), false));
    FVShift = ini->ReadInteger(section, key("VShift"), 0);
    FNextStyleNo = ini->ReadInteger(section, key("NextStyleNo"), -1);
    FUnicode = IniReadBool(ini, section, key("Unicode"), false);
}

void TFontInfo::SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const
{
    TRVIniKeys key(fs);
    TCustomRVInfo::SaveToINI(ini, section, fs);
    WriteIniString(ini, section, key("Name"), FFontName);
    ini->WriteString(section, key("Jump"), FJump ? "Yes" : "No");
    WriteIntToIniIfNE(ini, section, key("Size"), FSize, 10);
    WriteIntToIniIfNE(ini, section, key("Color"), FColor, clWindowText);
    WriteIntToIniIfNE(ini, section, key("BackColor"), FBackColor, clNone);
    WriteIntToIniIfNE(ini, section, key("HoverBackColor"), FHoverBackColor, clNone);
    WriteIntToIniIfNE(ini, section, key("HoverColor"), FHoverColor, clNone);
    WriteIntToIniIfNE(ini, section, key("JumpCursor"), FJumpCursor, crJump);
    WriteIntToIniIfNE(ini, section, key("Charset"), FCharset, DEFAULT_CHARSET);
    WriteIntToIniIfNE(ini, section, key("CharScale"), FCharScale, 100);
    WriteIntToIniIfNE(ini, section, key("CharSpacing"), FCharSpacing, 0);
    WriteIntToIniIfNE(ini, section, key("BiDiMode"), FBiDiMode, rvbdUnspecified);
    WriteBoolToIniIfNE(ini, section, key("Bold"), FStyle.Contains(fsBold), false);
    WriteBoolToIniIfNE(ini, section, key("Underline"), FStyle.Contains(fsUnderline), false);
    WriteBoolToIniIfNE(ini, section, key("StrikeOut"), FStyle.Contains(fsStrikeOut), false);
    WriteBoolToIniIfNE(ini, section, key("Italic"), FStyle.Contains(fsItalic), false);
    WriteBoolToIniIfNE(ini, section, key("Overline"), FStyleEx.Contains(rvfsOverline), false);
    WriteBoolToIniIfNE(ini, section, key("Caps"), FStyleEx.Contains(rvfsAllCaps), false);
    WriteIntToIniIfNE(ini, section, key("Protection"), FProtection.Bits & 0x3F, 0);
    WriteBoolToIniIfNE(ini, section, key("RTFCode"), FOptions.Contains(rvteoRTFCode), false);
    WriteBoolToIniIfNE(ini, section, key("HTMLCode"), FOptions.Contains(rvteoHTMLCode), false);
    WriteIntToIniIfNE(ini, section, key("VShift"), FVShift, 0);
    WriteIntToIniIfNE(ini, section, key("NextStyleNo"), FNextStyleNo, -1);
    WriteBoolToIniIfNE(ini, section, key("Unicode"), FUnicode, false);
}

int TFontInfo::PixelsPerInch() const
{
    const auto* infos = dynamic_cast<const TFontInfos*>(Collection());
    return infos != nullptr ? infos->PixelsPerInch() : 0;
}

// ---------------------------------------------------------------------------
// TFontInfos

TFontInfos::TFontInfos(TCollectionItemClass itemClass, TPersistent* owner)
    : TCustomRVInfos(std::move(itemClass), owner)
{}

TFontInfos::~TFontInfos()
{
    delete FInvalidItem;
}

TFontInfo* TFontInfos::Add()
{
    return static_cast<TFontInfo*>(TCollection::Add());
}

TFontInfo* TFontInfos::AddFont(const AnsiString& name, int size, TColor color, TColor backColor,
                               TFontStyles style)
{
    TFontInfo* info = Add();
    info->SetFontName(name);
    info->SetSize(size);
    info->SetColor(color);
    info->SetBackColor(backColor);
    info->SetStyle(style);
    return info;
}

TFontInfo* TFontInfos::AddFontEx(const AnsiString& name, int size, TColor color, TColor backColor,
                                 TFontStyles style, TFontCharset charset)
{
    TFontInfo* info = AddFont(name, size, color, backColor, style);
    info->SetCharset(charset);
    return info;
}

TFontInfo* TFontInfos::Items(int index) const
{
    if (index < 0 || index >= Count())
        return InvalidItem();
    return static_cast<TFontInfo*>(GetItem(index));
}

void TFontInfos::SetItem(int index, const TFontInfo* value)
{
    GetItem(index)->Assign(value);
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

void TFontInfos::SetInvalidItem(const TFontInfo* value)
{
    TFontInfo* item = InvalidItem();
    if (value != item)
        item->Assign(value);
}

template <class Filter>
int TFontInfos::FindStyle(int baseStyle, TRVFontInfoProperties IgnoreList, Filter Passes) const
{
    // Another style must equal the base style in everything the filter does not look at.
    const TFontInfo* base = Items(baseStyle);
    return FindFromBase(baseStyle, [&](int i) {
        const TFontInfo* candidate = Items(i);
        return Passes(candidate) && (i == baseStyle || base->IsEqual(candidate, IgnoreList));
    });
}

int TFontInfos::FindStyleWithFont(int baseStyle, const TFont* font) const
{
    return FindStyle(
        baseStyle,
        {rvfiFontName, rvfiSize, rvfiCharset, rvfiBold, rvfiItalic, rvfiUnderline, rvfiStrikeout, rvfiColor},
        [font](const TFontInfo* f) {
            return f->Size() == font->Size() && f->Style() == font->Style() &&
                   f->FontName() == font->Name() && f->Charset() == font->Charset() &&
                   f->Color() == font->Color();
        });
}

int TFontInfos::FindStyleWithFontSize(int baseStyle, int size) const
{
    return FindStyle(baseStyle, {rvfiSize}, [size](const TFontInfo* f) { return f->Size() == size; });
}

int TFontInfos::FindStyleWithColor(int baseStyle, TColor color, TColor backColor) const
{
    return FindStyle(baseStyle, {rvfiColor, rvfiBackColor}, [color, backColor](const TFontInfo* f) {
        return f->Color() == color && f->BackColor() == backColor;
    });
}

int TFontInfos::FindStyleWithFontName(int baseStyle, const AnsiString& fontName) const
{
    return FindStyle(baseStyle, {rvfiFontName},
                     [&fontName](const TFontInfo* f) { return f->FontName() == fontName; });
}

int TFontInfos::FindStyleWithCharset(int baseStyle, TFontCharset charset) const
{
    return FindStyle(baseStyle, {rvfiCharset, rvfiUnicode},
                     [charset](const TFontInfo* f) { return f->Charset() == charset && !f->Unicode(); });
}

int TFontInfos::FindStyleWithFontStyle(int baseStyle, TFontStyles value, TFontStyles mask) const
{
    TRVFontInfoProperties ignore;
    const std::pair<TFontStyle, TRVFontInfoProperty> styles[] = {{fsBold, rvfiBold},
                                                                 {fsItalic, rvfiItalic},
                                                                 {fsUnderline, rvfiUnderline},
                                                                 {fsStrikeOut, rvfiStrikeout}};
    for (const auto& s : styles)
        if (mask.Contains(s.first))
            ignore.Include(s.second);
    return FindStyle(baseStyle, ignore, [value, mask](const TFontInfo* f) {
        return ((f->Style().Bits ^ value.Bits) & mask.Bits) == 0;
    });
}

int TFontInfos::FindSuchStyle(int baseStyle, const TFontInfo* style, TRVFontInfoProperties mask) const
{
    const TRVFontInfoProperties ignore = RVAllFontInfoProperties - mask;
    return FindFromBase(baseStyle, [&](int i) { return style->IsEqual(Items(i), ignore); });
}

void TFontInfos::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, TCursor defJumpCursor)
{
    // The count is checked before anything changes, so a corrupt section
    // leaves the styles as they were.
    const int count = RVReadIniCount(ini, Section, "FontsCount", 6);
    ReplaceEntries<TFontInfo>(count, [&](TFontInfo* info, int i) {
        info->LoadFromINI(ini, Section, "Font%s" + IntToStr(i), i == 4 || i == 5, defJumpCursor);
    });
}

void TFontInfos::SaveToINI(TCustomIniFile* ini, const AnsiString& section) const
{
    ini->WriteInteger(section, "FontsCount", Count());
    for (int i = 0; i < Count(); ++i)
        Items(i)->SaveToINI(ini, section, "Font%s" + IntToStr(i));
}
