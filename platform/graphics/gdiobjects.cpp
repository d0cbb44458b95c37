// Fonts, pens and brushes.
#include "platform/graphics/gdiobjects.h"

#include "platform/core/codepages.h"
#include "platform/core/colors.h"
#include "platform/core/numbers.h"

unsigned CharsetToCodePage(int Charset)
{
    switch (Charset) {
    case ANSI_CHARSET:
        return 1252;
    case SYMBOL_CHARSET:
        return 1252;
    case MAC_CHARSET:
        return GetMacCP();
    case SHIFTJIS_CHARSET:
        return 932;
    case HANGEUL_CHARSET:
        return 949;
    case JOHAB_CHARSET:
        return 1361;
    case GB2312_CHARSET:
        return 936;
    case CHINESEBIG5_CHARSET:
        return 950;
    case GREEK_CHARSET:
        return 1253;
    case TURKISH_CHARSET:
        return 1254;
    case VIETNAMESE_CHARSET:
        return 1258;
    case HEBREW_CHARSET:
        return 1255;
    case ARABIC_CHARSET:
        return 1256;
    case BALTIC_CHARSET:
        return 1257;
    case RUSSIAN_CHARSET:
        return 1251;
    case THAI_CHARSET:
        return 874;
    case EASTEUROPE_CHARSET:
        return 1250;
    case OEM_CHARSET:
        return GetOEMCP();
    default:
        return GetACP();
    }
}

int ScreenPixelsPerInch()
{
    return 96;
}

void TGraphicsObject::Changed()
{
    ++FVersion;
    if (OnChange)
        OnChange(this);
}

// ---- TFont

TFont::TFont()
    : FName("MS Sans Serif"), FHeight(-MulDiv(8, ScreenPixelsPerInch(), 72)), FColor(clWindowText),
      FPixelsPerInch(ScreenPixelsPerInch())
{}

void TFont::Assign(const TPersistent* Source)
{
    if (auto* f = dynamic_cast<const TFont*>(Source)) {
        if (f == this)
            return;
        FName = f->FName;
        FHeight = f->FHeight;
        FWidth = f->FWidth;
        FStyle = f->FStyle;
        FColor = f->FColor;
        FCharset = f->FCharset;
        FPitch = f->FPitch;
        // The class library converts through the pixels per inch of each font: a
        // font assigned to a printer's font keeps its point size, not its pixels.
        if (f->FPixelsPerInch != FPixelsPerInch)
            FHeight = -MulDiv(f->Size(), FPixelsPerInch, 72);
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TFont::SetName(const AnsiString& Value)
{
    if (Value.empty() || Value == FName)
        return;
    FName = Value;
    Changed();
}

int TFont::Size() const
{
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int Value)
{
    SetHeight(-MulDiv(Value, FPixelsPerInch, 72));
}

void TFont::SetHeight(int Value)
{
    if (Value == FHeight)
        return;
    FHeight = Value;
    Changed();
}

void TFont::SetWidth(int Value)
{
    if (Value < 0)
        Value = 0;
    if (Value == FWidth)
        return;
    FWidth = Value;
    Changed();
}

void TFont::SetStyle(TFontStyles Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    Changed();
}

void TFont::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    Changed();
}

void TFont::SetCharset(TFontCharset Value)
{
    if (Value == FCharset)
        return;
    FCharset = Value;
    Changed();
}

void TFont::SetPitch(TFontPitch Value)
{
    if (Value == FPitch)
        return;
    FPitch = Value;
    Changed();
}

void TFont::SetPixelsPerInch(int Value)
{
    if (Value < 1 || Value == FPixelsPerInch)
        return;
    FPixelsPerInch = Value;
    Changed();
}

TLogFont TFont::GetLogFont() const
{
    TLogFont lf;
    lf.lfHeight = FHeight;
    lf.lfWidth = FWidth;
    lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic);
    lf.lfUnderline = FStyle.Contains(fsUnderline);
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
    lf.lfCharSet = FCharset;
    lf.lfPitchAndFamily = FPitch == fpFixed      ? FIXED_PITCH
                          : FPitch == fpVariable ? VARIABLE_PITCH
                                                 : DEFAULT_PITCH;
    lf.lfFaceName = FName;
    return lf;
}

void TFont::SetLogFont(const TLogFont& lf)
{
    if (!lf.lfFaceName.empty())
        FName = lf.lfFaceName;
    FHeight = lf.lfHeight;
    FWidth = lf.lfWidth > 0 ? lf.lfWidth : 0;
    TFontStyles style;
    if (lf.lfWeight >= FW_BOLD)
        style.Include(fsBold);
    if (lf.lfItalic)
        style.Include(fsItalic);
    if (lf.lfUnderline)
        style.Include(fsUnderline);
    if (lf.lfStrikeOut)
        style.Include(fsStrikeOut);
    FStyle = style;
    FCharset = lf.lfCharSet;
    switch (lf.lfPitchAndFamily & 3) {
    case FIXED_PITCH:
        FPitch = fpFixed;
        break;
    case VARIABLE_PITCH:
        FPitch = fpVariable;
        break;
    default:
        FPitch = fpDefault;
        break;
    }
    Changed();
}

// ---- TPen

void TPen::Assign(const TPersistent* Source)
{
    if (auto* p = dynamic_cast<const TPen*>(Source)) {
        if (p == this)
            return;
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        FMode = p->FMode;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TPen::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    Changed();
}

void TPen::SetWidth(int Value)
{
    if (Value < 0 || Value == FWidth)
        return;
    FWidth = Value;
    Changed();
}

void TPen::SetStyle(TPenStyle Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    Changed();
}

void TPen::SetMode(TPenMode Value)
{
    if (Value == FMode)
        return;
    FMode = Value;
    Changed();
}

// ---- TBrush

void TBrush::Assign(const TPersistent* Source)
{
    if (auto* b = dynamic_cast<const TBrush*>(Source)) {
        if (b == this)
            return;
        FColor = b->FColor;
        FStyle = b->FStyle;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TBrush::SetColor(TColor Value)
{
    // A clear brush that is given a colour becomes solid, as in the class library.
    if (Value == FColor && FStyle != bsClear)
        return;
    FColor = Value;
    if (FStyle == bsClear)
        FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    Changed();
}
