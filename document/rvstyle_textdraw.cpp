// Text styles on a canvas: selecting the font (scale, spacing, direction),
// colours for a drawing state and colour mode, and drawing one run of text
// with the space before it, its underline and overline, stretched or spaced
// output for printing.
#include "document/rvstyle_text.h"

#include <climits>
#include <vector>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/numbers.h"
#include "platform/graphics/canvas.h"

namespace {

TRVItemOptions TextOptions(bool Unicode)
{
    TRVItemOptions options;
    if (Unicode)
        options.Include(rvioUnicode);
    return options;
}

// The code units of raw Unicode text; an odd last byte is not part of the text.
WideString RawToWide(const AnsiString& s)
{
    WideString w(s.size() / 2, u'\0');
    for (size_t i = 0; i < w.size(); ++i)
        w[i] = static_cast<WideChar>(static_cast<unsigned char>(s[2 * i]) |
                                     (static_cast<unsigned char>(s[2 * i + 1]) << 8));
    return w;
}

} // namespace

void TFontInfo::AssignToLogFont(TLogFont& LogFont, TCanvas* Canvas) const
{
    LogFont = TLogFont();
    int ppi = PixelsPerInch();
    if (ppi == 0)
        ppi = Canvas->Font()->PixelsPerInch();
    LogFont.lfHeight = -MulDiv(FSize, ppi, 72);
    LogFont.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    LogFont.lfItalic = FStyle.Contains(fsItalic) ? 1 : 0;
    LogFont.lfUnderline = FStyle.Contains(fsUnderline) ? 1 : 0;
    LogFont.lfStrikeOut = FStyle.Contains(fsStrikeOut) ? 1 : 0;
    LogFont.lfCharSet = FCharset;
    LogFont.lfFaceName = FFontName;
}

void TFontInfo::Apply(TCanvas* Canvas, TRVBiDiMode DefBiDiMode) const
{
    TFont* font = Canvas->Font();
    if (FCharScale != 100) {
        TLogFont logFont;
        AssignToLogFont(logFont, Canvas);
        font->SetLogFont(logFont);
        TTextMetric metrics;
        const int average = Canvas->GetTextMetrics(metrics) ? metrics.tmAveCharWidth : Canvas->TextWidth("x");
        // A scale read from a file may be absurd: the width is kept within the
        // range of int, and a negative one means the face's own.
        const int64_t width = int64_t(average) * FCharScale / 100;
        logFont.lfWidth = width < 0 ? 0 : width > INT_MAX ? INT_MAX : static_cast<int>(width);
        font->SetLogFont(logFont);
    } else {
        // A scaled style applied before must not stretch this one.
        font->SetWidth(0);
        font->SetStyle(FStyle);
        const int ppi = PixelsPerInch();
        if (ppi != 0)
            font->SetHeight(-MulDiv(FSize, ppi, 72));
        else
            font->SetSize(FSize);
        font->SetName(FFontName);
        font->SetCharset(FCharset);
    }

    const TRVBiDiMode direction = FBiDiMode != rvbdUnspecified ? FBiDiMode : DefBiDiMode;
    switch (direction) {
    case rvbdLeftToRight:
        Canvas->SetTextCharacterExtra(0);
        Canvas->SetTextAlign(TA_LEFT | TA_TOP);
        break;
    case rvbdRightToLeft:
        Canvas->SetTextCharacterExtra(0);
        Canvas->SetTextAlign(TA_RTLREADING);
        break;
    case rvbdUnspecified:
        Canvas->SetTextCharacterExtra(FCharSpacing);
        // Text without a direction of its own must not inherit the
        // right-to-left reading of a style applied before.
        Canvas->SetTextAlign(Canvas->GetTextAlign() & ~static_cast<unsigned>(TA_RTLREADING));
        break;
    }
}

void TFontInfo::ApplyColor(TCanvas* Canvas, const TRVStyle* RVStyle, TRVTextDrawStates DrawState,
                           bool Printing, TRVColorMode ColorMode) const
{
    TColor fontColor = FColor;
    TColor brushColor = FBackColor;
    if (DrawState.Contains(rvtsSelected)) {
        if (DrawState.Contains(rvtsControlFocused)) {
            brushColor = RVStyle->SelColor();
            fontColor = RVStyle->SelTextColor();
        } else {
            brushColor = RVStyle->InactiveSelColor();
            fontColor = RVStyle->InactiveSelTextColor();
        }
        if (fontColor == clNone)
            fontColor = FColor;
    } else if (DrawState.Contains(rvtsHover)) {
        fontColor = RVStyle->GetHoverColorByColor(FHoverColor);
        if (fontColor == clNone)
            fontColor = FColor;
        brushColor = FHoverBackColor;
    } else if (Printing) {
        const TColor prnText = RV_GetPrnColor(FColor);
        const TColor prnBack = RV_GetPrnColor(FBackColor);
        switch (ColorMode) {
        case rvcmColor:
            break;
        case rvcmPrinterColor:
            fontColor = prnText;
            brushColor = prnBack;
            break;
        case rvcmGrayScale:
            fontColor = RV_GetGray(prnText);
            brushColor = RV_GetGray(prnBack);
            break;
        case rvcmBlackAndWhite:
            if (FBackColor == clNone) {
                brushColor = clNone;
                fontColor = prnText == clWhite ? clWhite : clBlack;
            } else if (RV_GetLuminance(prnBack) > RV_GetLuminance(prnText)) {
                brushColor = clWhite;
                fontColor = clBlack;
            } else {
                brushColor = clBlack;
                fontColor = clWhite;
            }
            break;
        case rvcmBlackOnWhite:
            fontColor = clBlack;
            brushColor = clNone;
            break;
        }
    }
    Canvas->Font()->SetColor(fontColor);
    Canvas->Brush()->SetColor(brushColor);
    Canvas->Brush()->SetStyle(brushColor != clNone ? bsSolid : bsClear);
}

void TFontInfo::TextOutPlain(const AnsiString& s, TCanvas* Canvas, int X, int Y) const
{
    if (FUnicode) {
        const WideString w = RawToWide(s);
        Canvas->TextOutW(X, Y, w.data(), static_cast<int>(w.size()));
    } else {
        Canvas->TextOutA(X, Y, s.data(), static_cast<int>(s.size()));
    }
}

// Draws the text character by character: stretched to the run's width
// (Stretch), or with Extra added to every character's width. False, drawing nothing, when
// the text has fewer than two characters, when stretching is not needed, or
// when not every character could be measured.
bool TFontInfo::DrawStretched(const AnsiString& s, TCanvas* Canvas, int Left, int Top, int Width,
                              int SpaceBefore, bool Stretch, int Extra) const
{
    const TRVItemOptions options = TextOptions(FUnicode);
    const int n = RVU_Length(s, options);
    if (n < 2)
        return false;
    std::vector<int> widths(static_cast<size_t>(n), 0);
    int fit = 0;
    // Every character is measured; a canvas that still reports fewer leaves
    // widths unknown, and then the run is drawn plainly.
    RVU_GetTextExtentExPoint(Canvas, s, INT_MAX, fit, widths.data(), options);
    if (fit < n)
        return false;
    for (int k = n - 1; k > 0; --k)
        widths[k] -= widths[k - 1];
    if (Stretch) {
        const int textWidth = RVU_TextWidth(s, Canvas, options);
        if (textWidth == Width)
            return false;
        // The free space is shared from the first character on, each taking
        // what is left divided by the characters left.
        int64_t freeSpace = int64_t(Width) - SpaceBefore - textWidth;
        for (int k = 0; k < n; ++k) {
            const int64_t share = freeSpace / (n - k);
            widths[k] = static_cast<int>(widths[k] + share);
            freeSpace -= share;
        }
    } else {
        for (int& w : widths)
            w += Extra;
    }
    if (FUnicode) {
        const WideString w = RawToWide(s);
        Canvas->ExtTextOutW(Left + SpaceBefore, Top, 0, nullptr, w.data(), n, widths.data());
    } else {
        Canvas->ExtTextOutA(Left + SpaceBefore, Top, 0, nullptr, s.data(), n, widths.data());
    }
    return true;
}

void TFontInfo::Draw(const AnsiString& s, TCanvas* Canvas, int ThisStyleNo, int SpaceBefore, int Left,
                     int Top, int Width, int Height, TRVStyle* RVStyle, TRVTextDrawStates DrawState,
                     bool Printing, bool PreviewCorrection, TRVColorMode ColorMode,
                     TRVBiDiMode DefBiDiMode) const
{
    const TRVBiDiMode direction = FBiDiMode != rvbdUnspecified ? FBiDiMode : DefBiDiMode;
    bool drawn = false;
    if (Printing && direction == rvbdUnspecified) {
        if (Canvas->Brush()->Style() != bsClear) {
            Canvas->Pen()->SetStyle(psClear);
            Canvas->FillRect(Bounds(Left, Top, Width, Height));
            Canvas->Brush()->SetStyle(bsClear);
            Canvas->Pen()->SetStyle(psSolid);
        }
        if (PreviewCorrection) {
            drawn = DrawStretched(s, Canvas, Left, Top, Width, SpaceBefore, true, 0);
        } else if (const int extra = Canvas->GetTextCharacterExtra(); extra != 0) {
            // Printers space characters unevenly with a character extra; the
            // positions are given explicitly instead.
            Canvas->SetTextCharacterExtra(0);
            drawn = DrawStretched(s, Canvas, Left, Top, Width, SpaceBefore, false, extra);
            Canvas->SetTextCharacterExtra(extra);
        }
    }
    if (!drawn)
        TextOutPlain(s, Canvas, Left + SpaceBefore, Top);

    if (SpaceBefore != 0 && !Printing) {
        if (DrawState.Contains(rvtsSelected) && s.empty())
            RVStyle->ApplyStyleColor(Canvas, ThisStyleNo, DrawState - TRVTextDrawStates{rvtsSelected}, false,
                                     ColorMode);
        if (Canvas->Brush()->Style() != bsClear)
            Canvas->FillRect(Bounds(Left, Top, SpaceBefore, Height));
    }
    Canvas->Brush()->SetStyle(bsClear);

    TPen* pen = Canvas->Pen();
    TOutlineTextMetric metrics;
    bool haveMetrics = false;
    if (SpaceBefore != 0 && Canvas->Font()->Style().Contains(fsUnderline)) {
        haveMetrics = Canvas->GetOutlineTextMetrics(metrics);
        if (haveMetrics) {
            // The underline goes on under the space before the text.
            pen->SetColor(Canvas->Font()->Color());
            pen->SetWidth(metrics.otmsUnderscoreSize);
            pen->SetStyle(psInsideFrame);
            const int y = Top - metrics.otmsUnderscorePosition + metrics.otmTextMetrics.tmAscent +
                          metrics.otmsUnderscoreSize / 2;
            Canvas->MoveTo(Left, y);
            Canvas->LineTo(Left + SpaceBefore + 1, y);
            pen->SetStyle(psSolid);
        }
    }
    if (FStyleEx.Contains(rvfsOverline)) {
        if (!haveMetrics)
            haveMetrics = Canvas->GetOutlineTextMetrics(metrics);
        pen->SetWidth(haveMetrics ? metrics.otmsUnderscoreSize : 1);
        pen->SetColor(Canvas->Font()->Color());
        pen->SetStyle(psSolid);
        Canvas->MoveTo(Left, Top);
        Canvas->LineTo(Left + Width, Top);
    }
}

void TFontInfo::DrawVertical(const AnsiString& s, TCanvas* Canvas, int ThisStyleNo, int SpaceBefore, int Left,
                             int Top, int Width, int Height, TRVStyle* RVStyle,
                             TRVTextDrawStates DrawState) const
{
    TextOutPlain(s, Canvas, Left, Top + SpaceBefore);
    if (SpaceBefore != 0) {
        if (DrawState.Contains(rvtsSelected) && s.empty())
            RVStyle->ApplyStyleColor(Canvas, ThisStyleNo, DrawState - TRVTextDrawStates{rvtsSelected}, false,
                                     rvcmColor);
        if (Canvas->Brush()->Style() != bsClear)
            Canvas->FillRect(Bounds(Left, Top, Height, SpaceBefore));
    }
    Canvas->Brush()->SetStyle(bsClear);
    if (FStyleEx.Contains(rvfsOverline)) {
        TPen* pen = Canvas->Pen();
        pen->SetColor(Canvas->Font()->Color());
        pen->SetWidth(1);
        pen->SetStyle(psSolid);
        Canvas->MoveTo(Left, Top);
        Canvas->LineTo(Left, Top + Width);
    }
}
