// Fonts, pens and brushes: the drawing objects a canvas holds, with the class
// library's properties and defaults, and the font character sets with their code pages.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/core/object.h"

// Font character sets (the LOGFONT lfCharSet values).
enum : int {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    MAC_CHARSET = 77,
    SHIFTJIS_CHARSET = 128,
    HANGEUL_CHARSET = 129,
    JOHAB_CHARSET = 130,
    GB2312_CHARSET = 134,
    CHINESEBIG5_CHARSET = 136,
    GREEK_CHARSET = 161,
    TURKISH_CHARSET = 162,
    VIETNAMESE_CHARSET = 163,
    HEBREW_CHARSET = 177,
    ARABIC_CHARSET = 178,
    BALTIC_CHARSET = 186,
    RUSSIAN_CHARSET = 204,
    THAI_CHARSET = 222,
    EASTEUROPE_CHARSET = 238,
    OEM_CHARSET = 255,
};
using TFontCharset = uint8_t;

// The code page in which ANSI text drawn with a font of this character set is
// written: DEFAULT_CHARSET and unknown sets give the ANSI code page (GetACP),
// OEM_CHARSET the OEM code page, MAC_CHARSET the Macintosh one, the national sets
// their Windows code pages. SYMBOL_CHARSET gives 1252: no symbol-encoded fonts
// exist here, so symbol text shows as the Latin characters of its bytes.
unsigned CharsetToCodePage(int charset);

// Pixels per logical inch of the screen (fixed, as tests rely on).
int ScreenPixelsPerInch();

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of font styles.
struct TFontStyles {
    uint8_t Bits = 0;

    TFontStyles() = default;
    TFontStyles(std::initializer_list<TFontStyle> styles)
    {
        for (TFontStyle s : styles)
            Include(s);
    }
    bool Contains(TFontStyle s) const { return (Bits >> s) & 1; }
    TFontStyles& Include(TFontStyle s)
    {
        Bits = static_cast<uint8_t>(Bits | (1u << s));
        return *this;
    }
    TFontStyles& Exclude(TFontStyle s)
    {
        Bits = static_cast<uint8_t>(Bits & ~(1u << s));
        return *this;
    }
    bool Empty() const { return Bits == 0; }
    bool operator==(const TFontStyles& o) const { return Bits == o.Bits; }
    bool operator!=(const TFontStyles& o) const { return Bits != o.Bits; }
};

enum TFontPitch { fpDefault, fpVariable, fpFixed };

// The platform's font description record, for code that builds fonts field by field.
// Only the fields that change how text looks here are read: height, width, weight,
// italic, underline, strike-out, character set, pitch (low two bits) and face name.
struct TLogFont {
    int lfHeight = 0; // < 0: character height in pixels; > 0: cell height; 0: default
    int lfWidth = 0;  // average character width in pixels; 0: the font's own
    int lfEscapement = 0;
    int lfOrientation = 0;
    int lfWeight = 0; // 700 and above is bold
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0; // DEFAULT_PITCH 0, FIXED_PITCH 1, VARIABLE_PITCH 2
    AnsiString lfFaceName;
};

enum : int { FW_NORMAL = 400, FW_BOLD = 700 };
enum : int { DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2 };

// Base of fonts, pens and brushes: raises OnChange after every change of a
// property, and counts changes so that a canvas can tell cheaply whether the
// object it last realised is still current.
class TGraphicsObject : public TPersistent {
public:
    const char* ClassName() const override { return "TGraphicsObject"; }
    TNotifyEvent OnChange;
    // Grows by one on every change.
    uint64_t Version() const { return FVersion; }

protected:
    void Changed();

private:
    uint64_t FVersion = 0;
};

// A font as the class library describes it. Height is the stored value: negative
// for a character height in pixels, positive for a cell height. Size (points) is
// derived through PixelsPerInch: setting Size stores Height = -MulDiv(Size, PixelsPerInch, 72),
// reading it gives -MulDiv(Height, 72, PixelsPerInch). Changing PixelsPerInch keeps Height.
// Width is the average character width in pixels (0: the face's own); a canvas
// stretches the face horizontally to reach it.
// Defaults: "MS Sans Serif", 8 points (Height -11 at 96 ppi), clWindowText,
// DEFAULT_CHARSET, fpDefault, no styles. Faces that this system does not have are
// replaced when drawn (see qtcanvas.h); Name keeps what was set.
class TFont : public TGraphicsObject {
public:
    TFont();
    const char* ClassName() const override { return "TFont"; }
    void Assign(const TPersistent* source) override;

    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& value);
    int Size() const;
    void SetSize(int value);
    int Height() const { return FHeight; }
    void SetHeight(int value);
    int Width() const { return FWidth; }
    void SetWidth(int value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset value);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch value);
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int value); // values below 1 are ignored

    // The font as a LOGFONT record, and the font made from one (the colour is kept).
    TLogFont GetLogFont() const;
    void SetLogFont(const TLogFont& logFont);

private:
    AnsiString FName;
    int FHeight;
    int FWidth = 0;
    TFontStyles FStyle;
    TColor FColor;
    TFontCharset FCharset = DEFAULT_CHARSET;
    TFontPitch FPitch = fpDefault;
    int FPixelsPerInch;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// How the pen's pixels combine with those already there (the raster operations the system uses).
enum TPenMode { pmCopy, pmNot, pmXor, pmNotXor };

// A pen: defaults black, 1 pixel, solid, pmCopy. A width below 1 counts as 1 when
// drawing. Dashed styles are drawn as dashes only at width 1, as on Windows;
// wider pens draw them solid.
class TPen : public TGraphicsObject {
public:
    const char* ClassName() const override { return "TPen"; }
    void Assign(const TPersistent* source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    int Width() const { return FWidth; }
    void SetWidth(int value);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle value);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode value);

private:
    TColor FColor = 0;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

// A brush: defaults white, solid. As in the class library, giving a clear brush a
// colour makes it solid. A solid brush paints text cells opaque; any other style
// leaves the space between hatch lines and behind text untouched.
class TBrush : public TGraphicsObject {
public:
    const char* ClassName() const override { return "TBrush"; }
    void Assign(const TPersistent* source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle value);

private:
    TColor FColor = 0xFFFFFF;
    TBrushStyle FStyle = bsSolid;
};
