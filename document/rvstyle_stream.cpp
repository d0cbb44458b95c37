// Component streaming of the style sheet and its entries: the published
// property tables, the defined properties (legacy and encoded ones), and the
// identifiers of character sets and cursors used in the streams.
#include "document/rvstyle.h"

#include <vector>

#include "document/rvfmisc.h"
#include "platform/core/compstream.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/picture.h"

namespace {

// The setter of a style length (an indent or paragraph spacing): a value
// read from a stream is kept within the limit the layout's sums allow.
template <class T> auto Length(int T::*field)
{
    return [field](T* entry, int64_t value) { entry->*field = RV_ClampStyleLength(value); };
}

struct TIdentEntry {
    int Value;
    const char* Ident;
};

const TIdentEntry CharsetIdents[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},
    {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
    {MAC_CHARSET, "MAC_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
    {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {JOHAB_CHARSET, "JOHAB_CHARSET"},
    {GB2312_CHARSET, "GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
    {GREEK_CHARSET, "GREEK_CHARSET"},
    {TURKISH_CHARSET, "TURKISH_CHARSET"},
    {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"},
    {ARABIC_CHARSET, "ARABIC_CHARSET"},
    {BALTIC_CHARSET, "BALTIC_CHARSET"},
    {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
    {THAI_CHARSET, "THAI_CHARSET"},
    {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"},
};

// The class library's standard cursors; the hyperlink cursor 101 has no name.
const TIdentEntry CursorIdents[] = {
    {0, "crDefault"},     {-1, "crNone"},     {-2, "crArrow"},    {-3, "crCross"},     {-4, "crIBeam"},
    {-6, "crSizeNESW"},   {-7, "crSizeNS"},   {-8, "crSizeNWSE"}, {-9, "crSizeWE"},    {-10, "crUpArrow"},
    {-11, "crHourGlass"}, {-12, "crDrag"},    {-13, "crNoDrop"},  {-14, "crHSplit"},   {-15, "crVSplit"},
    {-16, "crMultiDrag"}, {-17, "crSQLWait"}, {-18, "crNo"},      {-19, "crAppStart"}, {-20, "crHelp"},
    {-21, "crHandPoint"}, {-22, "crSizeAll"},
};

template <size_t N> bool ToIdent(const TIdentEntry (&table)[N], int value, AnsiString& ident)
{
    for (const TIdentEntry& e : table)
        if (e.Value == value) {
            ident = e.Ident;
            return true;
        }
    return false;
}

template <size_t N> bool FromIdent(const TIdentEntry (&table)[N], const AnsiString& ident, int& value)
{
    for (const TIdentEntry& e : table)
        if (SameText(ident, e.Ident)) {
            value = e.Value;
            return true;
        }
    return false;
}

bool CharsetToIdent(int value, AnsiString& ident)
{
    return ToIdent(CharsetIdents, value, ident);
}
bool IdentToCharset(const AnsiString& ident, int& value)
{
    return FromIdent(CharsetIdents, ident, value);
}
bool CursorToIdent(int value, AnsiString& ident)
{
    return ToIdent(CursorIdents, value, ident);
}
bool IdentToCursor(const AnsiString& ident, int& value)
{
    return FromIdent(CursorIdents, ident, value);
}

const std::vector<AnsiString> BiDiModeNames = {"rvbdUnspecified", "rvbdLeftToRight", "rvbdRightToLeft"};
const std::vector<AnsiString> FontStyleNames = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

} // namespace

// ---------------------------------------------------------------------------
// Style entries

const TPropertyTable* TCustomRVInfo::PropertyTable() const
{
    using I = TCustomRVInfo;
    static const TPropertyTable table = TPropTableBuilder<I>("TCustomRVInfo", nullptr)
                                            .Str("StyleName", &I::FStyleName, &I::FStyleName)
                                            .Int("BaseStyleNo", &I::FBaseStyleNo, &I::FBaseStyleNo, -1)
                                            .Bool("Standard", &I::FStandard, &I::FStandard, true)
                                            .Build();
    return &table;
}

const TPropertyTable* TFontInfo::PropertyTable() const
{
    using F = TFontInfo;
    static const TPropertyTable table =
        TPropTableBuilder<F>("TFontInfo", TCustomRVInfo::PropertyTable())
            .Str("FontName", &F::FFontName, &F::FFontName)
            .Int("Size", &F::FSize, &F::FSize, 10)
            .Int("Charset", &F::FCharset, &F::FCharset, DEFAULT_CHARSET)
            .WithIdents(CharsetToIdent, IdentToCharset)
            .Set(
                "Style", [](const F* f) { return f->FStyle.Bits; },
                [](F* f, int64_t v) { f->FStyle.Bits = static_cast<uint8_t>(v & 0x0F); }, FontStyleNames, 0u)
            .Set(
                "StyleEx", [](const F* f) { return f->FStyleEx.Bits; },
                [](F* f, int64_t v) { f->FStyleEx.Bits = static_cast<uint8_t>(v & 0x03); },
                {"rvfsOverline", "rvfsAllCaps"}, 0u)
            .Int("VShift", &F::FVShift, &F::FVShift, 0)
            .Color("Color", &F::FColor, &F::FColor, clWindowText)
            .Color("BackColor", &F::FBackColor, &F::FBackColor, clNone)
            .Color("HoverColor", &F::FHoverColor, &F::FHoverColor, clNone)
            .Color("HoverBackColor", &F::FHoverBackColor, &F::FHoverBackColor, clNone)
            .Bool("Jump", &F::FJump, &F::FJump, false)
            .Int("JumpCursor", &F::FJumpCursor, &F::FJumpCursor, crJump)
            .WithIdents(CursorToIdent, IdentToCursor)
            .Int("CharScale", &F::FCharScale, &F::FCharScale, 100)
            .Int("CharSpacing", &F::FCharSpacing, &F::FCharSpacing, 0)
            .Int("NextStyleNo", &F::FNextStyleNo, &F::FNextStyleNo, -1)
            .Enum("BiDiMode", &F::FBiDiMode, &F::FBiDiMode, BiDiModeNames, rvbdUnspecified)
            .Bool("Unicode", &F::FUnicode, &F::FUnicode, false)
            .Set(
                "Protection", [](const F* f) { return f->FProtection.Bits; },
                [](F* f, int64_t v) { f->FProtection.Bits = static_cast<uint8_t>(v); },
                {"rvprStyleProtect", "rvprModifyProtect", "rvprDeleteProtect", "rvprConcateProtect",
                 "rvprRVFInsertProtect", "rvprDoNotAutoSwitch", "rvprParaStartProtect", "rvprSticking"},
                0u)
            .Set(
                "Options", [](const F* f) { return f->FOptions.Bits; },
                [](F* f, int64_t v) { f->FOptions.Bits = static_cast<uint8_t>(v & 0x03); },
                {"rvteoHTMLCode", "rvteoRTFCode"}, 0u)
            .Build();
    return &table;
}

void TFontInfo::DefineProperties(TFiler* filer)
{
    TCustomRVInfo::DefineProperties(filer);
    // Written by older versions only: read, never written.
    filer->DefineProperty(
        "SingleSymbols", [this](TReader* reader) { SetSingleSymbols(reader->ReadBoolean()); }, nullptr,
        false);
}

// ---------------------------------------------------------------------------
// Paragraph styles

const TPropertyTable* TRVRect::PropertyTable() const
{
    using R = TRVRect;
    static const TPropertyTable table = TPropTableBuilder<R>("TRVRect", nullptr)
                                            .Int("Left", &R::FLeft, &R::FLeft, 0)
                                            .Int("Right", &R::FRight, &R::FRight, 0)
                                            .Int("Top", &R::FTop, &R::FTop, 0)
                                            .Int("Bottom", &R::FBottom, &R::FBottom, 0)
                                            .Build();
    return &table;
}

const TPropertyTable* TRVBooleanRect::PropertyTable() const
{
    using R = TRVBooleanRect;
    static const TPropertyTable table = TPropTableBuilder<R>("TRVBooleanRect", nullptr)
                                            .Bool("Left", &R::FLeft, &R::FLeft, true)
                                            .Bool("Right", &R::FRight, &R::FRight, true)
                                            .Bool("Top", &R::FTop, &R::FTop, true)
                                            .Bool("Bottom", &R::FBottom, &R::FBottom, true)
                                            .Build();
    return &table;
}

const TPropertyTable* TRVBorder::PropertyTable() const
{
    using B = TRVBorder;
    static const TPropertyTable table =
        TPropTableBuilder<B>("TRVBorder", nullptr)
            .Int("Width", &B::FWidth, &B::FWidth, 1)
            .Enum("Style", &B::FStyle, &B::FStyle,
                  {"rvbNone", "rvbSingle", "rvbDouble", "rvbTriple", "rvbThickInside", "rvbThickOutside"},
                  rvbNone)
            .Color("Color", &B::FColor, &B::FColor, clWindowText)
            .Int("InternalWidth", &B::FInternalWidth, &B::FInternalWidth, 1)
            .Object("VisibleBorders", &B::FVisibleBorders)
            .Object("BorderOffsets", &B::FBorderOffsets)
            .Build();
    return &table;
}

const TPropertyTable* TRVBackgroundRect::PropertyTable() const
{
    using B = TRVBackgroundRect;
    static const TPropertyTable table = TPropTableBuilder<B>("TRVBackgroundRect", nullptr)
                                            .Color("Color", &B::FColor, &B::FColor, clNone)
                                            .Object("BorderOffsets", &B::FBorderOffsets)
                                            .Build();
    return &table;
}

const TPropertyTable* TParaInfo::PropertyTable() const
{
    using P = TParaInfo;
    static const TPropertyTable table =
        TPropTableBuilder<P>("TParaInfo", TCustomRVInfo::PropertyTable())
            .Int("FirstIndent", &P::FFirstIndent, Length(&P::FFirstIndent), 0)
            .Int("LeftIndent", &P::FLeftIndent, Length(&P::FLeftIndent), 0)
            .Int("RightIndent", &P::FRightIndent, Length(&P::FRightIndent), 0)
            .Int("SpaceBefore", &P::FSpaceBefore, Length(&P::FSpaceBefore), 0)
            .Int("SpaceAfter", &P::FSpaceAfter, Length(&P::FSpaceAfter), 0)
            .Int("LineSpacing", &P::FLineSpacing, &P::FLineSpacing, 100)
            .Enum("LineSpacingType", &P::FLineSpacingType, &P::FLineSpacingType,
                  {"rvlsPercent", "rvlsSpaceBetween"}, rvlsPercent)
            .Enum("Alignment", &P::FAlignment, &P::FAlignment,
                  {"rvaLeft", "rvaRight", "rvaCenter", "rvaJustify"}, rvaLeft)
            .Object("Border", &P::FBorder)
            .Int("NextParaNo", &P::FNextParaNo, &P::FNextParaNo, -1)
            .Object("Background", &P::FBackground)
            .Set(
                "Options", [](const P* p) { return p->FOptions.Bits; },
                [](P* p, int64_t v) { p->FOptions.Bits = static_cast<uint8_t>(v & 0x0F); },
                {"rvpaoNoWrap", "rvpaoReadOnly", "rvpaoStyleProtect", "rvpaoDoNotWantReturns"}, 0u)
            .Enum("BiDiMode", &P::FBiDiMode, &P::FBiDiMode, BiDiModeNames, rvbdUnspecified)
            .Build();
    return &table;
}

// ---------------------------------------------------------------------------
// List styles

const TPropertyTable* TRVMarkerFont::PropertyTable() const
{
    using M = TRVMarkerFont;
    static const TPropertyTable table =
        TPropTableBuilder<M>("TRVMarkerFont", nullptr)
            .Int(
                "Charset", [](const M* m) { return m->Charset(); },
                [](M* m, int64_t v) { m->SetCharset(static_cast<TFontCharset>(v)); }, DEFAULT_CHARSET)
            .WithIdents(CharsetToIdent, IdentToCharset)
            .Color("Color", &TFont::Color, &TFont::SetColor, clWindowText)
            .Int("Height", &TFont::Height, &TFont::SetHeight)
            .StoredWhen([](const M* m) { return m->Size() != 8; })
            .Str("Name", &TFont::Name, &TFont::SetName)
            .StoredWhen([](const M* m) { return m->Name() != "Arial"; })
            .Enum("Pitch", &TFont::Pitch, &TFont::SetPitch, {"fpDefault", "fpVariable", "fpFixed"}, fpDefault)
            .Set(
                "Style", [](const M* m) { return m->Style().Bits; },
                [](M* m, int64_t v) {
                    TFontStyles s;
                    s.Bits = static_cast<uint8_t>(v & 0x0F);
                    m->SetStyle(s);
                },
                FontStyleNames, 0u)
            .Build();
    return &table;
}

const TPropertyTable* TRVListLevel::PropertyTable() const
{
    using L = TRVListLevel;
    static const TPropertyTable table =
        TPropTableBuilder<L>("TRVListLevel", nullptr)
            .Enum("ListType", &L::FListType, &L::FListType,
                  {"rvlstBullet", "rvlstPicture", "rvlstImageList", "rvlstDecimal", "rvlstLowerAlpha",
                   "rvlstUpperAlpha", "rvlstLowerRoman", "rvlstUpperRoman", "rvlstImageListCounter",
                   "rvlstUnicodeBullet"},
                  rvlstBullet)
            .Int("StartFrom", &L::FStartFrom, &L::FStartFrom, 1)
            .Int("ImageIndex", &L::FImageIndex, &L::FImageIndex, 0)
            .Int("LeftIndent", &L::FLeftIndent, Length(&L::FLeftIndent), 0)
            .Int("FirstIndent", &L::FFirstIndent, Length(&L::FFirstIndent), 10)
            .Int("MarkerIndent", &L::FMarkerIndent, Length(&L::FMarkerIndent), 0)
            .Enum("MarkerAlignment", &L::FMarkerAlignment, &L::FMarkerAlignment,
                  {"rvmaLeft", "rvmaRight", "rvmaCenter"}, rvmaLeft)
            .Object("Picture", [](L* l) { return l->Picture(); })
            .StoredWhen([](const L* l) { return l->FPicture != nullptr; })
            .Object("Font", [](L* l) { return l->Font(); })
            .StoredWhen([](const L* l) { return l->FFont != nullptr; })
            .Set(
                "Options", [](const L* l) { return l->FOptions.Bits; },
                [](L* l, int64_t v) { l->FOptions.Bits = static_cast<uint8_t>(v & 0x07); },
                {"rvloContinuous", "rvloLevelReset", "rvloLegalStyleNumbering"},
                TRVListLevelOptions{rvloContinuous, rvloLevelReset}.Bits)
            .Build();
    return &table;
}

void TRVListLevel::DefineProperties(TFiler* filer)
{
    TCollectionItem::DefineProperties(filer);
    // Inside a document the image list is named by its tag; the document finds it.
    const TRVListInfos* infos = ListInfos();
    if (infos != nullptr && infos->RVData() != nullptr) {
        TPersistent* rvData = infos->RVData();
        filer->DefineProperty(
            "ILTag",
            [this, rvData](TReader* reader) {
                const int tag = reader->ReadInteger();
                auto* provider = dynamic_cast<TRVImageListProvider*>(rvData);
                SetImageList(provider != nullptr ? provider->RVFImageListNeeded(tag) : nullptr);
            },
            [this](TWriter* writer) { writer->WriteInteger(FImageList->Tag()); }, FImageList != nullptr);
    }
    filer->DefineProperty(
        "FormatStringCode", [this](TReader* reader) { FFormatString = RVDecodeString(reader->ReadString()); },
        [this](TWriter* writer) { writer->WriteString(RVEncodeString(FFormatString)); },
        FFormatString != "\xB7");
    filer->DefineProperty(
        "FormatStringWCode",
        [this](TReader* reader) { FFormatStringW = RVDecodeWideString(reader->ReadString()); },
        [this](TWriter* writer) { writer->WriteString(RVEncodeWideString(FFormatStringW)); },
        !FFormatStringW.empty());
}

const TPropertyTable* TRVListInfo::PropertyTable() const
{
    using L = TRVListInfo;
    static const TPropertyTable table =
        TPropTableBuilder<L>("TRVListInfo", TCustomRVInfo::PropertyTable())
            .Collection("Levels", &L::FLevels)
            .Bool("OneLevelPreview", &L::FOneLevelPreview, &L::FOneLevelPreview, false)
            .Build();
    return &table;
}

// ---------------------------------------------------------------------------
// The style sheet

const TPropertyTable* TRVStyle::PropertyTable() const
{
    using S = TRVStyle;
    static const TPropertyTable table =
        TPropTableBuilder<S>("TRVStyle", &ComponentPropertyTable())
            .Collection("TextStyles", [](S* s) { return s->FTextStyles.get(); })
            .Collection("ParaStyles", [](S* s) { return s->FParaStyles.get(); })
            .Collection("ListStyles", [](S* s) { return s->FListStyles.get(); })
            .Int("SpacesInTab", &S::FSpacesInTab, &S::FSpacesInTab, 8)
            .Int("JumpCursor", &S::FJumpCursor, &S::FJumpCursor, crJump)
            .WithIdents(CursorToIdent, IdentToCursor)
            .Bool("FullRedraw", &S::FFullRedraw, &S::FFullRedraw, false)
            .Bool("UseSound", &S::FUseSound, &S::FUseSound, true)
            .Color("Color", &S::FColor, &S::FColor, clWindow)
            .Color("HoverColor", &S::FHoverColor, &S::FHoverColor, clNone)
            .Color("SelColor", &S::FSelColor, &S::FSelColor, clHighlight)
            .Color("SelTextColor", &S::FSelTextColor, &S::FSelTextColor, clHighlightText)
            .Color("InactiveSelColor", &S::FInactiveSelColor, &S::FInactiveSelColor, clHighlight)
            .Color("InactiveSelTextColor", &S::FInactiveSelTextColor, &S::FInactiveSelTextColor,
                   clHighlightText)
            .Color("CheckpointColor", &S::FCheckpointColor, &S::FCheckpointColor, clGreen)
            .Color("CheckpointEvColor", &S::FCheckpointEvColor, &S::FCheckpointEvColor, clLime)
            .Color("PageBreakColor", &S::FPageBreakColor, &S::FPageBreakColor, clBtnShadow)
            .Color("SoftPageBreakColor", &S::FSoftPageBreakColor, &S::FSoftPageBreakColor, clBtnFace)
            .Int("DefUnicodeStyle", &S::FDefUnicodeStyle, &S::FDefUnicodeStyle, -1)
            .Int("DefCodePage", &S::FDefCodePage, &S::FDefCodePage, 0)
            .Object("InvalidPicture", [](S* s) { return s->InvalidPicture(); })
            .StoredWhen([](const S* s) { return s->FInvalidPicture != nullptr; })
            .Build();
    return &table;
}
