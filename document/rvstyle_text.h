// Text styles: TFontInfo (font, colours, hyperlink, Unicode flag, character
// set, extended styles) and its collection TFontInfos, with comparison,
// similarity, searches, ini persistence and drawing on a canvas.
#pragma once

#include <cstdint>
#include <string_view>

#include "document/rvfuncs.h"
#include "document/rvstyle_info.h"
#include "platform/core/colors.h"
#include "platform/graphics/gdiobjects.h"

class TCanvas;
class TRVStyle;

// The hyperlink cursor of the style sheet and of new hyperlink styles.
inline constexpr TCursor crJump = 101;

enum TRVFontStyle { rvfsOverline, rvfsAllCaps };
using TRVFontStyles = TRVSet<TRVFontStyle, uint8_t>;

enum TRVTextOption { rvteoHTMLCode, rvteoRTFCode };
using TRVTextOptions = TRVSet<TRVTextOption, uint8_t>;

enum TRVTextDrawState {
    rvtsSelected,
    rvtsHover,
    rvtsItemStart,
    rvtsItemEnd,
    rvtsDrawItemStart,
    rvtsDrawItemEnd,
    rvtsControlFocused,
};
using TRVTextDrawStates = TRVSet<TRVTextDrawState, uint8_t>;

enum TRVFontInfoProperty {
    rvfiFontName,
    rvfiSize,
    rvfiCharset,
    rvfiUnicode,
    rvfiBold,
    rvfiItalic,
    rvfiUnderline,
    rvfiStrikeout,
    rvfiOverline,
    rvfiAllCaps,
    rvfiVShift,
    rvfiColor,
    rvfiBackColor,
    rvfiJump,
    rvfiHoverBackColor,
    rvfiHoverColor,
    rvfiJumpCursor,
    rvfiNextStyleNo,
    rvfiProtection,
    rvfiCharScale,
    rvfiBaseStyleNo,
    rvfiBiDiMode,
    rvfiCharSpacing,
    rvfiHTMLCode,
    rvfiRTFCode,
};
using TRVFontInfoProperties = TRVSet<TRVFontInfoProperty, uint32_t>;
inline constexpr TRVFontInfoProperties RVAllFontInfoProperties =
    TRVFontInfoProperties::Range(rvfiFontName, rvfiRTFCode);

class TFontInfos;

// One text style. Documents refer to it by its index in the style sheet's
// TextStyles. The properties are plain values; a change shows after the
// viewers' next layout.
class TFontInfo : public TCustomRVInfo {
public:
    explicit TFontInfo(TCollection* collection);
    const char* ClassName() const override { return "TFontInfo"; }

    // From a TFontInfo: every property, then the base ones; from a TFont: name,
    // size, colour, style and character set; otherwise the base Assign.
    void Assign(const TPersistent* source) override;
    // Component streaming; the legacy "SingleSymbols" is read as a defined property.
    const TPropertyTable* PropertyTable() const override;
    void DefineProperties(TFiler* filer) override;

    const AnsiString& FontName() const { return FFontName; }
    void SetFontName(const AnsiString& value) { SetField(FFontName, value); }
    int Size() const { return FSize; }
    void SetSize(int value) { SetField(FSize, value); }
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset value) { SetField(FCharset, value); }
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles value) { SetField(FStyle, value); }
    TRVFontStyles StyleEx() const { return FStyleEx; }
    void SetStyleEx(TRVFontStyles value) { SetField(FStyleEx, value); }
    int VShift() const { return FVShift; }
    void SetVShift(int value) { SetField(FVShift, value); }
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { SetField(FColor, value); }
    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor value) { SetField(FBackColor, value); }
    TColor HoverColor() const { return FHoverColor; }
    void SetHoverColor(TColor value) { SetField(FHoverColor, value); }
    TColor HoverBackColor() const { return FHoverBackColor; }
    void SetHoverBackColor(TColor value) { SetField(FHoverBackColor, value); }
    bool Jump() const { return FJump; }
    void SetJump(bool value) { SetField(FJump, value); }
    TCursor JumpCursor() const { return FJumpCursor; }
    void SetJumpCursor(TCursor value) { SetField(FJumpCursor, value); }
    int CharScale() const { return FCharScale; }
    void SetCharScale(int value) { SetField(FCharScale, value); }
    int CharSpacing() const { return FCharSpacing; }
    void SetCharSpacing(int value) { SetField(FCharSpacing, value); }
    int NextStyleNo() const { return FNextStyleNo; }
    void SetNextStyleNo(int value) { SetField(FNextStyleNo, value); }
    TRVBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TRVBiDiMode value) { SetField(FBiDiMode, value); }
    bool Unicode() const { return FUnicode; }
    void SetUnicode(bool value) { SetField(FUnicode, value); }
    TRVProtectOptions Protection() const { return FProtection; }
    void SetProtection(TRVProtectOptions value) { SetField(FProtection, value); }
    TRVTextOptions Options() const { return FOptions; }
    void SetOptions(TRVTextOptions value) { SetField(FOptions, value); }
    // The legacy streamed property "SingleSymbols": true adds rvprStyleProtect
    // and rvprDoNotAutoSwitch to Protection.
    void SetSingleSymbols(bool value);

    bool IsSimpleEqual(const TCustomRVInfo* value, bool ignoreId) const override;
    int SimilarityValue(const TCustomRVInfo* value) const override;
    int* NextStyleReference() override { return &FNextStyleNo; }
    // Equality skipping the properties in IgnoreList. StyleName and Standard
    // are never compared.
    bool IsEqual(const TFontInfo* value, TRVFontInfoProperties ignoreList) const;

    // Ini keys with the pattern fs. A missing "Jump" key gives Jump = JumpByDefault
    // and JumpCursor = DefJumpCursor.
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs, bool jumpByDefault,
                     TCursor defJumpCursor);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const;

    // ---- Drawing
    // The style's font for the canvas: the height for the collection's
    // PixelsPerInch, or for the canvas font's when that is 0.
    void AssignToLogFont(TLogFont& logFont, TCanvas* canvas) const;
    // Selects the font into the canvas, with character scale, character
    // spacing and reading direction (the style's, else DefBiDiMode). No colours.
    void Apply(TCanvas* canvas, TRVBiDiMode defBiDiMode) const;
    // Sets the font colour and the brush for a drawing state and colour mode;
    // RVStyle gives the selection and hover colours.
    void ApplyColor(TCanvas* canvas, const TRVStyle* rvStyle, TRVTextDrawStates drawState, bool printing,
                    TRVColorMode colorMode) const;
    // Draws one run of text whose font and colours are applied. s holds bytes,
    // or UTF-16 code units for a Unicode style.
    void Draw(std::string_view s, TCanvas* canvas, int thisStyleNo, int spaceBefore, int left, int top,
              int width, int height, TRVStyle* rvStyle, TRVTextDrawStates drawState, bool printing,
              bool previewCorrection, TRVColorMode colorMode, TRVBiDiMode defBiDiMode) const;
    void DrawVertical(std::string_view s, TCanvas* canvas, int thisStyleNo, int spaceBefore, int left,
                      int top, int width, int height, TRVStyle* rvStyle, TRVTextDrawStates drawState) const;

protected:
    // To a TFont: name, size, colour and style, and the character set unless Unicode.
    void AssignTo(TPersistent* dest) const override;

private:
    int PixelsPerInch() const;
    bool DrawStretched(std::string_view s, TCanvas* canvas, int left, int top, int width, int spaceBefore,
                       bool stretch, int extra) const;
    void TextOutPlain(std::string_view s, TCanvas* canvas, int x, int y) const;

    AnsiString FFontName = "Arial";
    int FSize = 10;
    TFontCharset FCharset = DEFAULT_CHARSET;
    TFontStyles FStyle;
    TRVFontStyles FStyleEx;
    int FVShift = 0;
    TColor FColor = clWindowText;
    TColor FBackColor = clNone;
    TColor FHoverColor = clNone;
    TColor FHoverBackColor = clNone;
    bool FJump = false;
    TCursor FJumpCursor = crJump;
    int FCharScale = 100;
    int FCharSpacing = 0;
    int FNextStyleNo = -1;
    TRVBiDiMode FBiDiMode = rvbdUnspecified;
    bool FUnicode = false;
    TRVProtectOptions FProtection;
    TRVTextOptions FOptions;
};

// The text styles of a style sheet. Items(i) never fails: an index outside the
// collection reads the invalid-item style, made on first request from style 0
// and drawn white on red; the collection owns it.
class TFontInfos : public TCustomRVInfos {
public:
    TFontInfos(TCollectionItemClass itemClass, TPersistent* owner);
    ~TFontInfos() override;
    const char* ClassName() const override { return "TFontInfos"; }

    TFontInfo* Add();
    TFontInfo* AddFont(const AnsiString& name, int size, TColor color, TColor backColor, TFontStyles style);
    TFontInfo* AddFontEx(const AnsiString& name, int size, TColor color, TColor backColor, TFontStyles style,
                         TFontCharset charset);
    TFontInfo* Items(int index) const;
    TFontInfo* operator[](int index) const { return Items(index); }
    void SetItem(int index, const TFontInfo* value);
    TFontInfo* InvalidItem() const;
    void SetInvalidItem(const TFontInfo* value);

    // When not 0, font heights are computed for this resolution instead of the
    // canvas font's.
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int value) { FPixelsPerInch = value; }

    // Searches from the base style BaseStyle: BaseStyle itself when it passes
    // the filter, else the lowest other index that passes and equals it apart
    // from the searched properties; -1 when there is none.
    int FindStyleWithFont(int baseStyle, const TFont* font) const;
    int FindStyleWithFontSize(int baseStyle, int size) const;
    int FindStyleWithColor(int baseStyle, TColor color, TColor backColor) const;
    int FindStyleWithFontName(int baseStyle, const AnsiString& fontName) const;
    int FindStyleWithCharset(int baseStyle, TFontCharset charset) const;
    int FindStyleWithFontStyle(int baseStyle, TFontStyles value, TFontStyles mask) const;
    // The style equal to Style in the properties of Mask: BaseStyle when it is,
    // else the lowest such other index; -1 when there is none.
    int FindSuchStyle(int baseStyle, const TFontInfo* style, TRVFontInfoProperties mask) const;

    // "FontsCount" and the keys "Font%s" + index. Loading replaces every style;
    // a missing count gives 6 default styles, of which 4 and 5 are hyperlinks.
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& section, TCursor defJumpCursor);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& section) const;

private:
    template <class Filter>
    int FindStyle(int baseStyle, TRVFontInfoProperties ignoreList, Filter passes) const;

    mutable TFontInfo* FInvalidItem = nullptr;
    int FPixelsPerInch = 0;
};
