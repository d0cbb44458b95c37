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

TRVItemOptions TextOptions(bool unicode)
{
    TRVItemOptions options;
    if (unicode)
        options.Include(rvioUnicode);
    return options;
}

} // namespace

void TFontInfo::AssignToLogFont(TLogFont& logFont, TCanvas* canvas) const
{
    logFont = TLogFont();
    int ppi = PixelsPerInch();
    if (ppi == 0)
        ppi = canvas->Font()->PixelsPerInch();
    logFont.lfHeight = -MulDiv(FSize, ppi, 72);
    logFont.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = FStyle.Contains(fsItalic) ? 1 : 0;
    logFont.lfUnderline = FStyle.Contains(fsUnderline) ? 1 : 0;
    logFont.lfStrikeOut = FStyle.Contains(fsStrikeOut) ? 1 : 0;
    logFont.lfCharSet = FCharset;
    logFont.lfFaceName = FFontName;
}

void TFontInfo::Apply(TCanvas* canvas, TRVBiDiMode defBiDiMode) const
{
    TFont* font = canvas->Font();
    if (FCharScale != 100) {
        TLogFont logFont;
        AssignToLogFont(logFont, canvas);
        font->SetLogFont(logFont);
        TTextMetric metrics;
        const int average = canvas->GetTextMetrics(metrics) ? metrics.tmAveCharWidth : canvas->TextWidth("x");
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

    const TRVBiDiMode direction = FBiDiMode != rvbdUnspecified ? FBiDiMode : defBiDiMode;
    switch (direction) {
    case rvbdLeftToRight:
        canvas->SetTextCharacterExtra(0);
        canvas->SetTextAlign(TA_LEFT | TA_TOP);
        break;
    case rvbdRightToLeft:
        canvas->SetTextCharacterExtra(0);
        canvas->SetTextAlign(TA_RTLREADING);
        break;
    case rvbdUnspecified:
        canvas->SetTextCharacterExtra(FCharSpacing);
        // Text without a direction of its own must not inherit the
        // right-to-left reading of a style applied before.
        canvas->SetTextAlign(canvas->GetTextAlign() & ~static_cast<unsigned>(TA_RTLREADING));
        break;
    }
}

void TFontInfo::ApplyColor(TCanvas* canvas, const TRVStyle* rvStyle, TRVTextDrawStates drawState,
                           bool printing, TRVColorMode colorMode) const
{
    TColor fontColor = FColor;
    TColor brushColor = FBackColor;
    if (drawState.Contains(rvtsSelected)) {
        if (drawState.Contains(rvtsControlFocused)) {
            brushColor = rvStyle->SelColor();
            fontColor = rvStyle->SelTextColor();
        } else {
            brushColor = rvStyle->InactiveSelColor();
            fontColor = rvStyle->InactiveSelTextColor();
        }
        if (fontColor == clNone)
            fontColor = FColor;
    } else if (drawState.Contains(rvtsHover)) {
        fontColor = rvStyle->GetHoverColorByColor(FHoverColor);
        if (fontColor == clNone)
            fontColor = FColor;
        brushColor = FHoverBackColor;
    } else if (printing) {
        const TColor prnText = RV_GetPrnColor(FColor);
        const TColor prnBack = RV_GetPrnColor(FBackColor);
        switch (colorMode) {
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
    canvas->Font()->SetColor(fontColor);
    canvas->Brush()->SetColor(brushColor);
    canvas->Brush()->SetStyle(brushColor != clNone ? bsSolid : bsClear);
}

void TFontInfo::TextOutPlain(std::string_view s, TCanvas* canvas, int x, int y) const
{
    if (FUnicode) {
        const WideString w = RVU_RawUnicodeUnits(s);
        canvas->TextOutW(x, y, w.data(), static_cast<int>(w.size()));
    } else {
        canvas->TextOutA(x, y, s.data(), static_cast<int>(s.size()));
    }
}

// Draws the text character by character: stretched to the run's width
// (Stretch), or with Extra added to every character's width. False, drawing nothing, when
// the text has fewer than two characters, when stretching is not needed, or
// when not every character could be measured.
bool TFontInfo::DrawStretched(std::string_view s, TCanvas* canvas, int left, int top, int width,
                              int spaceBefore, bool stretch, int extra) const
{
    const TRVItemOptions options = TextOptions(FUnicode);
    const int n = RVU_Length(s, options);
    if (n < 2)
        return false;
    std::vector<int> widths(static_cast<size_t>(n), 0);
    int fit = 0;
    // Every character is measured; a canvas that still reports fewer leaves
    // widths unknown, and then the run is drawn plainly.
    TSize size;
    RVU_GetTextExtentExPointPC(canvas, s.data(), n, INT_MAX, fit, widths.data(), options, size);
    if (fit < n)
        return false;
    for (int k = n - 1; k > 0; --k)
        widths[k] -= widths[k - 1];
    if (stretch) {
        const int textWidth = RVU_TextWidth(s, canvas, options);
        if (textWidth == width)
            return false;
        // The free space is shared from the first character on, each taking
        // what is left divided by the characters left.
        int64_t freeSpace = int64_t(width) - spaceBefore - textWidth;
        for (int k = 0; k < n; ++k) {
            const int64_t share = freeSpace / (n - k);
            widths[k] = static_cast<int>(widths[k] + share);
            freeSpace -= share;
        }
    } else {
        for (int& w : widths)
            w += extra;
    }
    if (FUnicode) {
        const WideString w = RVU_RawUnicodeUnits(s);
        canvas->ExtTextOutW(left + spaceBefore, top, 0, nullptr, w.data(), n, widths.data());
    } else {
        canvas->ExtTextOutA(left + spaceBefore, top, 0, nullptr, s.data(), n, widths.data());
    }
    return true;
}

void TFontInfo::Draw(std::string_view s, TCanvas* canvas, int thisStyleNo, int spaceBefore, int left, int top,
                     int width, int height, TRVStyle* rvStyle, TRVTextDrawStates drawState, bool printing,
                     bool previewCorrection, TRVColorMode colorMode, TRVBiDiMode defBiDiMode) const
{
    const TRVBiDiMode direction = FBiDiMode != rvbdUnspecified ? FBiDiMode : defBiDiMode;
    bool drawn = false;
    if (printing && direction == rvbdUnspecified) {
        if (canvas->Brush()->Style() != bsClear) {
            canvas->Pen()->SetStyle(psClear);
            canvas->FillRect(Bounds(left, top, width, height));
            canvas->Brush()->SetStyle(bsClear);
            canvas->Pen()->SetStyle(psSolid);
        }
        if (previewCorrection) {
            drawn = DrawStretched(s, canvas, left, top, width, spaceBefore, true, 0);
        } else if (const int extra = canvas->GetTextCharacterExtra(); extra != 0) {
            // Printers space characters unevenly with a character extra; the
            // positions are given explicitly instead.
            canvas->SetTextCharacterExtra(0);
            drawn = DrawStretched(s, canvas, left, top, width, spaceBefore, false, extra);
            canvas->SetTextCharacterExtra(extra);
        }
    }
    if (!drawn)
        TextOutPlain(s, canvas, left + spaceBefore, top);

    if (spaceBefore != 0 && !printing) {
        if (drawState.Contains(rvtsSelected) && s.empty())
            rvStyle->ApplyStyleColor(canvas, thisStyleNo, drawState - TRVTextDrawStates{rvtsSelected}, false,
                                     colorMode);
        if (canvas->Brush()->Style() != bsClear)
            canvas->FillRect(Bounds(left, top, spaceBefore, height));
    }
    canvas->Brush()->SetStyle(bsClear);

    TPen* pen = canvas->Pen();
    TOutlineTextMetric metrics;
    bool haveMetrics = false;
    if (spaceBefore != 0 && canvas->Font()->Style().Contains(fsUnderline)) {
        haveMetrics = canvas->GetOutlineTextMetrics(metrics);
        if (haveMetrics) {
            // The underline goes on under the space before the text.
            pen->SetColor(canvas->Font()->Color());
            pen->SetWidth(metrics.otmsUnderscoreSize);
            pen->SetStyle(psInsideFrame);
            const int y = top - metrics.otmsUnderscorePosition + metrics.otmTextMetrics.tmAscent +
                          metrics.otmsUnderscoreSize / 2;
            canvas->MoveTo(left, y);
            canvas->LineTo(left + spaceBefore + 1, y);
            pen->SetStyle(psSolid);
        }
    }
    if (FStyleEx.Contains(rvfsOverline)) {
        if (!haveMetrics)
            haveMetrics = canvas->GetOutlineTextMetrics(metrics);
        pen->SetWidth(haveMetrics ? metrics.otmsUnderscoreSize : 1);
        pen->SetColor(canvas->Font()->Color());
        pen->SetStyle(psSolid);
        canvas->MoveTo(left, top);
        canvas->LineTo(left + width, top);
    }
}

void TFontInfo::DrawVertical(std::string_view s, TCanvas* canvas, int thisStyleNo, int spaceBefore, int left,
                             int top, int width, int height, TRVStyle* rvStyle,
                             TRVTextDrawStates drawState) const
{
    TextOutPlain(s, canvas, left, top + spaceBefore);
    if (spaceBefore != 0) {
        if (drawState.Contains(rvtsSelected) && s.empty())
            rvStyle->ApplyStyleColor(canvas, thisStyleNo, drawState - TRVTextDrawStates{rvtsSelected}, false,
                                     rvcmColor);
        if (canvas->Brush()->Style() != bsClear)
            canvas->FillRect(Bounds(left, top, height, spaceBefore));
    }
    canvas->Brush()->SetStyle(bsClear);
    if (FStyleEx.Contains(rvfsOverline)) {
        TPen* pen = canvas->Pen();
        pen->SetColor(canvas->Font()->Color());
        pen->SetWidth(1);
        pen->SetStyle(psSolid);
        canvas->MoveTo(left, top);
        canvas->LineTo(left, top + width);
    }
}
