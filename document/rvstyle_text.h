// Text styles: TFontInfo (font, colours, hyperlink, Unicode flag, character
// set, extended styles) and its collection TFontInfos, with comparison,
// similarity, searches, ini persistence and drawing on a canvas.
#pragma once

#include <cstdint>

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
    explicit TFontInfo(TCollection* Collection);
    const char* ClassName() const override { return "TFontInfo"; }

    // From a TFontInfo: every property, then the base ones; from a TFont: name,
    // size, colour, style and character set; otherwise the base Assign.
    void Assign(const TPersistent* Source) override;
    // Component streaming; the legacy "SingleSymbols" is read as a defined property.
    const TPropertyTable* PropertyTable() const override;
    void DefineProperties(TFiler* Filer) override;

    const AnsiString& FontName() const { return FFontName; }
    void SetFontName(const AnsiString& Value) { FFontName = Value; }
    int Size() const { return FSize; }
    void SetSize(int Value) { FSize = Value; }
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset Value) { FCharset = Value; }
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value) { FStyle = Value; }
    TRVFontStyles StyleEx() const { return FStyleEx; }
    void SetStyleEx(TRVFontStyles Value) { FStyleEx = Value; }
    int VShift() const { return FVShift; }
    void SetVShift(int Value) { FVShift = Value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor Value) { FBackColor = Value; }
    TColor HoverColor() const { return FHoverColor; }
    void SetHoverColor(TColor Value) { FHoverColor = Value; }
    TColor HoverBackColor() const { return FHoverBackColor; }
    void SetHoverBackColor(TColor Value) { FHoverBackColor = Value; }
    bool Jump() const { return FJump; }
    void SetJump(bool Value) { FJump = Value; }
    TCursor JumpCursor() const { return FJumpCursor; }
    void SetJumpCursor(TCursor Value) { FJumpCursor = Value; }
    int CharScale() const { return FCharScale; }
    void SetCharScale(int Value) { FCharScale = Value; }
    int CharSpacing() const { return FCharSpacing; }
    void SetCharSpacing(int Value) { FCharSpacing = Value; }
    int NextStyleNo() const { return FNextStyleNo; }
    void SetNextStyleNo(int Value) { FNextStyleNo = Value; }
    TRVBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TRVBiDiMode Value) { FBiDiMode = Value; }
    bool Unicode() const { return FUnicode; }
    void SetUnicode(bool Value) { FUnicode = Value; }
    TRVProtectOptions Protection() const { return FProtection; }
    void SetProtection(TRVProtectOptions Value) { FProtection = Value; }
    TRVTextOptions Options() const { return FOptions; }
    void SetOptions(TRVTextOptions Value) { FOptions = Value; }
    // The legacy streamed property "SingleSymbols": true adds rvprStyleProtect
    // and rvprDoNotAutoSwitch to Protection.
    void SetSingleSymbols(bool Value);

    bool IsSimpleEqual(const TCustomRVInfo* Value, bool IgnoreID) const override;
    int SimilarityValue(const TCustomRVInfo* Value) const override;
    int* NextStyleReference() override { return &FNextStyleNo; }
    // Equality skipping the properties in IgnoreList. StyleName and Standard
    // are never compared.
    bool IsEqual(const TFontInfo* Value, TRVFontInfoProperties IgnoreList) const;

    // Ini keys with the pattern fs. A missing "Jump" key gives Jump = JumpByDefault
    // and JumpCursor = DefJumpCursor.
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs, bool JumpByDefault,
                     TCursor DefJumpCursor);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const;

    // ---- Drawing
    // The style's font for the canvas: the height for the collection's
    // PixelsPerInch, or for the canvas font's when that is 0.
    void AssignToLogFont(TLogFont& LogFont, TCanvas* Canvas) const;
    // Selects the font into the canvas, with character scale, character
    // spacing and reading direction (the style's, else DefBiDiMode). No colours.
    void Apply(TCanvas* Canvas, TRVBiDiMode DefBiDiMode) const;
    // Sets the font colour and the brush for a drawing state and colour mode;
    // RVStyle gives the selection and hover colours.
    void ApplyColor(TCanvas* Canvas, const TRVStyle* RVStyle, TRVTextDrawStates DrawState, bool Printing,
                    TRVColorMode ColorMode) const;
    // Draws one run of text whose font and colours are applied. s holds bytes,
    // or UTF-16 code units for a Unicode style.
    void Draw(const AnsiString& s, TCanvas* Canvas, int ThisStyleNo, int SpaceBefore, int Left, int Top,
              int Width, int Height, TRVStyle* RVStyle, TRVTextDrawStates DrawState, bool Printing,
              bool PreviewCorrection, TRVColorMode ColorMode, TRVBiDiMode DefBiDiMode) const;
    void DrawVertical(const AnsiString& s, TCanvas* Canvas, int ThisStyleNo, int SpaceBefore, int Left,
                      int Top, int Width, int Height, TRVStyle* RVStyle, TRVTextDrawStates DrawState) const;

protected:
    // To a TFont: name, size, colour and style, and the character set unless Unicode.
    void AssignTo(TPersistent* Dest) const override;

private:
    int PixelsPerInch() const;
    bool DrawStretched(const AnsiString& s, TCanvas* Canvas, int Left, int Top, int Width, int SpaceBefore,
                       bool Stretch, int Extra) const;
    void TextOutPlain(const AnsiString& s, TCanvas* Canvas, int X, int Y) const;

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
    TFontInfos(TCollectionItemClass ItemClass, TPersistent* Owner);
    ~TFontInfos() override;
    const char* ClassName() const override { return "TFontInfos"; }

    TFontInfo* Add();
    TFontInfo* AddFont(const AnsiString& Name, int Size, TColor Color, TColor BackColor, TFontStyles Style);
    TFontInfo* AddFontEx(const AnsiString& Name, int Size, TColor Color, TColor BackColor, TFontStyles Style,
                         TFontCharset Charset);
    TFontInfo* Items(int Index) const;
    TFontInfo* operator[](int Index) const { return Items(Index); }
    void SetItem(int Index, const TFontInfo* Value);
    TFontInfo* InvalidItem() const;
    void SetInvalidItem(const TFontInfo* Value);

    // When not 0, font heights are computed for this resolution instead of the
    // canvas font's.
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }

    // Searches from the base style BaseStyle: BaseStyle itself when it passes
    // the filter, else the lowest other index that passes and equals it apart
    // from the searched properties; -1 when there is none.
    int FindStyleWithFont(int BaseStyle, const TFont* Font) const;
    int FindStyleWithFontSize(int BaseStyle, int Size) const;
    int FindStyleWithColor(int BaseStyle, TColor Color, TColor BackColor) const;
    int FindStyleWithFontName(int BaseStyle, const AnsiString& FontName) const;
    int FindStyleWithCharset(int BaseStyle, TFontCharset Charset) const;
    int FindStyleWithFontStyle(int BaseStyle, TFontStyles Value, TFontStyles Mask) const;
    // The style equal to Style in the properties of Mask: BaseStyle when it is,
    // else the lowest such other index; -1 when there is none.
    int FindSuchStyle(int BaseStyle, const TFontInfo* Style, TRVFontInfoProperties Mask) const;

    // "FontsCount" and the keys "Font%s" + index. Loading replaces every style;
    // a missing count gives 6 default styles, of which 4 and 5 are hyperlinks.
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, TCursor DefJumpCursor);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& Section) const;

private:
    template <class Filter>
    int FindStyle(int BaseStyle, TRVFontInfoProperties IgnoreList, Filter Passes) const;

    mutable TFontInfo* FInvalidItem = nullptr;
    int FPixelsPerInch = 0;
};
