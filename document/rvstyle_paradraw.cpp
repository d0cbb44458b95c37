// Drawing of paragraph borders and backgrounds, on the screen and, scaled, on
// a device.
#include "document/rvstyle_para.h"

#include "platform/core/numbers.h"
#include "platform/graphics/canvas.h"

// ---------------------------------------------------------------------------
// TRVBorder

void TRVBorder::Draw(TRect rect, TCanvas* canvas) const
{
    if (FStyle == rvbNone)
        return;
    FBorderOffsets.InflateRect(rect);
    DoDraw(rect, canvas, FWidth, FInternalWidth, 1, rvcmColor);
}

void TRVBorder::DrawSaD(TRect rect, TCanvas* canvas, const TRVScreenAndDevice& sad,
                        TRVColorMode colorMode) const
{
    if (FStyle == rvbNone)
        return;
    FBorderOffsets.InflateRectSaD(rect, sad);
    // Line widths scale with the vertical resolution on both axes, so that
    // vertical and horizontal lines stay equally thick.
    const int w = MulDiv(FWidth, sad.DevicePpiY, sad.ScreenPpiY);
    const int g = MulDiv(FInternalWidth, sad.DevicePpiY, sad.ScreenPpiY);
    const int p = MulDiv(1, sad.DevicePpiY, sad.ScreenPpiY);
    DoDraw(rect, canvas, w, g, p, colorMode);
}

void TRVBorder::DoDraw(TRect r, TCanvas* canvas, int w, int g, int p, TRVColorMode colorMode) const
{
    TPen* pen = canvas->Pen();
    pen->SetStyle(psInsideFrame);
    switch (colorMode) {
    case rvcmColor:
        pen->SetColor(FColor);
        break;
    case rvcmPrinterColor:
        pen->SetColor(RV_GetPrnColor(FColor));
        break;
    case rvcmGrayScale:
        pen->SetColor(RV_GetGray(RV_GetPrnColor(FColor)));
        break;
    case rvcmBlackAndWhite:
    case rvcmBlackOnWhite:
        pen->SetColor(clBlack);
        break;
    }

    int passes = 1;
    switch (FStyle) {
    case rvbDouble:
    case rvbThickInside:
    case rvbThickOutside:
        passes = 2;
        break;
    case rvbTriple:
        passes = 3;
        break;
    default:
        break;
    }

    // Each side is drawn there and back, so that both of its end points are
    // painted (a line leaves out its last pixel). The first pass is the innermost line.
    auto side = [canvas](int x1, int y1, int x2, int y2) {
        canvas->MoveTo(x1, y1);
        canvas->LineTo(x2, y2);
        canvas->LineTo(x1, y1);
    };
    for (int k = passes; k >= 1; --k) {
        const bool thick = (k == 1 && FStyle == rvbThickOutside) || (k == 2 && FStyle == rvbThickInside);
        pen->SetWidth(thick ? 2 * w : w);
        if (FVisibleBorders.Top())
            side(r.Left, r.Top, r.Right, r.Top);
        if (FVisibleBorders.Right())
            side(r.Right, r.Top, r.Right, r.Bottom);
        if (FVisibleBorders.Bottom())
            side(r.Right, r.Bottom, r.Left, r.Bottom);
        if (FVisibleBorders.Left())
            side(r.Left, r.Bottom, r.Left, r.Top);
        const int grow = WrapAdd(g, p);
        r = {WrapSub(r.Left, grow), WrapSub(r.Top, grow), WrapAdd(r.Right, grow), WrapAdd(r.Bottom, grow)};
        // A 2-pixel line drawn inside its frame takes one more pixel on the
        // side away from the text when its nominal width is 1.
        if (w == 1) {
            if (FStyle == rvbThickOutside) {
                r.Bottom = WrapAdd(r.Bottom, p);
                r.Right = WrapAdd(r.Right, p);
            } else if (FStyle == rvbThickInside) {
                r.Top = WrapSub(r.Top, p);
                r.Left = WrapSub(r.Left, p);
            }
        }
    }
    pen->SetWidth(1);
}

// ---------------------------------------------------------------------------
// TRVBackgroundRect

void TRVBackgroundRect::Draw(TRect rect, TCanvas* canvas, bool printing, TRVColorMode colorMode) const
{
    if (FColor == clNone)
        return;
    if (printing && (colorMode == rvcmBlackAndWhite || colorMode == rvcmBlackOnWhite))
        return;
    TBrush* brush = canvas->Brush();
    brush->SetStyle(bsSolid);
    brush->SetColor(colorMode == rvcmGrayScale ? RV_GetGray(RV_GetPrnColor(FColor)) : RV_GetPrnColor(FColor));
    canvas->Pen()->SetStyle(psClear);
    rect.Right = WrapAdd(rect.Right, 1);
    rect.Bottom = WrapAdd(rect.Bottom, 1);
    canvas->FillRect(rect);
    canvas->Pen()->SetStyle(psSolid);
    brush->SetStyle(bsClear);
}
