// Fonts, pens and brushes.
#include "platform/graphics/gdiobjects.h"

#include "platform/core/codepages.h"
#include "platform/core/colors.h"
#include "platform/core/numbers.h"

unsigned CharsetToCodePage(int charset)
{
    switch (charset) {
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

void TFont::Assign(const TPersistent* source)
{
    if (auto* f = dynamic_cast<const TFont*>(source)) {
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
    TPersistent::Assign(source);
}

void TFont::SetName(const AnsiString& value)
{
    if (value.empty() || value == FName)
        return;
    FName = value;
    Changed();
}

int TFont::Size() const
{
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int value)
{
    SetHeight(-MulDiv(value, FPixelsPerInch, 72));
}

void TFont::SetHeight(int value)
{
    if (value == FHeight)
        return;
    FHeight = value;
    Changed();
}

void TFont::SetWidth(int value)
{
    if (value < 0)
        value = 0;
    if (value == FWidth)
        return;
    FWidth = value;
    Changed();
}

void TFont::SetStyle(TFontStyles value)
{
    if (value == FStyle)
        return;
    FStyle = value;
    Changed();
}

void TFont::SetColor(TColor value)
{
    if (value == FColor)
        return;
    FColor = value;
    Changed();
}

void TFont::SetCharset(TFontCharset value)
{
    if (value == FCharset)
        return;
    FCharset = value;
    Changed();
}

void TFont::SetPitch(TFontPitch value)
{
    if (value == FPitch)
        return;
    FPitch = value;
    Changed();
}

void TFont::SetPixelsPerInch(int value)
{
    if (value < 1 || value == FPixelsPerInch)
        return;
    FPixelsPerInch = value;
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

void TPen::Assign(const TPersistent* source)
{
    if (auto* p = dynamic_cast<const TPen*>(source)) {
        if (p == this)
            return;
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        FMode = p->FMode;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

void TPen::SetColor(TColor value)
{
    if (value == FColor)
        return;
    FColor = value;
    Changed();
}

void TPen::SetWidth(int value)
{
    if (value < 0 || value == FWidth)
        return;
    FWidth = value;
    Changed();
}

void TPen::SetStyle(TPenStyle value)
{
    if (value == FStyle)
        return;
    FStyle = value;
    Changed();
}

void TPen::SetMode(TPenMode value)
{
    if (value == FMode)
        return;
    FMode = value;
    Changed();
}

// ---- TBrush

void TBrush::Assign(const TPersistent* source)
{
    if (auto* b = dynamic_cast<const TBrush*>(source)) {
        if (b == this)
            return;
        FColor = b->FColor;
        FStyle = b->FStyle;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

void TBrush::SetColor(TColor value)
{
    // A clear brush that is given a colour becomes solid, as in the class library.
    if (value == FColor && FStyle != bsClear)
        return;
    FColor = value;
    if (FStyle == bsClear)
        FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle value)
{
    if (value == FStyle)
        return;
    FStyle = value;
    Changed();
}
