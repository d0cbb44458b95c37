// Drawing of paragraph borders and backgrounds, on the screen and, scaled, on
// a device.
#include "document/rvstyle_para.h"

#include "platform/core/numbers.h"
#include "platform/graphics/canvas.h"

// ---------------------------------------------------------------------------
// TRVBorder

void TRVBorder::Draw(TRect Rect, TCanvas* Canvas) const
{
    if (FStyle == rvbNone)
        return;
    FBorderOffsets.InflateRect(Rect);
    DoDraw(Rect, Canvas, FWidth, FInternalWidth, 1, rvcmColor);
}

void TRVBorder::DrawSaD(TRect Rect, TCanvas* Canvas, const TRVScreenAndDevice& sad,
                        TRVColorMode ColorMode) const
{
    if (FStyle == rvbNone)
        return;
    FBorderOffsets.InflateRectSaD(Rect, sad);
    // Line widths scale with the vertical resolution on both axes, so that
    // vertical and horizontal lines stay equally thick.
    const int w = MulDiv(FWidth, sad.DevicePpiY, sad.ScreenPpiY);
    const int g = MulDiv(FInternalWidth, sad.DevicePpiY, sad.ScreenPpiY);
    const int p = MulDiv(1, sad.DevicePpiY, sad.ScreenPpiY);
    DoDraw(Rect, Canvas, w, g, p, ColorMode);
}

void TRVBorder::DoDraw(TRect R, TCanvas* Canvas, int w, int g, int p, TRVColorMode ColorMode) const
{
    TPen* pen = Canvas->Pen();
    pen->SetStyle(psInsideFrame);
    switch (ColorMode) {
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
    auto side = [Canvas](int x1, int y1, int x2, int y2) {
        Canvas->MoveTo(x1, y1);
        Canvas->LineTo(x2, y2);
        Canvas->LineTo(x1, y1);
    };
    for (int k = passes; k >= 1; --k) {
        const bool thick = (k == 1 && FStyle == rvbThickOutside) || (k == 2 && FStyle == rvbThickInside);
        pen->SetWidth(thick ? 2 * w : w);
        if (FVisibleBorders.Top())
            side(R.Left, R.Top, R.Right, R.Top);
        if (FVisibleBorders.Right())
            side(R.Right, R.Top, R.Right, R.Bottom);
        if (FVisibleBorders.Bottom())
            side(R.Right, R.Bottom, R.Left, R.Bottom);
        if (FVisibleBorders.Left())
            side(R.Left, R.Bottom, R.Left, R.Top);
        const int grow = WrapAdd(g, p);
        R = {WrapSub(R.Left, grow), WrapSub(R.Top, grow), WrapAdd(R.Right, grow), WrapAdd(R.Bottom, grow)};
        // A 2-pixel line drawn inside its frame takes one more pixel on the
        // side away from the text when its nominal width is 1.
        if (w == 1) {
            if (FStyle == rvbThickOutside) {
                R.Bottom = WrapAdd(R.Bottom, p);
                R.Right = WrapAdd(R.Right, p);
            } else if (FStyle == rvbThickInside) {
                R.Top = WrapSub(R.Top, p);
                R.Left = WrapSub(R.Left, p);
            }
        }
    }
    pen->SetWidth(1);
}

// ---------------------------------------------------------------------------
// TRVBackgroundRect

void TRVBackgroundRect::Draw(TRect Rect, TCanvas* Canvas, bool Printing, TRVColorMode ColorMode) const
{
    if (FColor == clNone)
        return;
    if (Printing && (ColorMode == rvcmBlackAndWhite || ColorMode == rvcmBlackOnWhite))
        return;
    TBrush* brush = Canvas->Brush();
    brush->SetStyle(bsSolid);
    brush->SetColor(ColorMode == rvcmGrayScale ? RV_GetGray(RV_GetPrnColor(FColor)) : RV_GetPrnColor(FColor));
    Canvas->Pen()->SetStyle(psClear);
    Rect.Right = WrapAdd(Rect.Right, 1);
    Rect.Bottom = WrapAdd(Rect.Bottom, 1);
    Canvas->FillRect(Rect);
    Canvas->Pen()->SetStyle(psSolid);
    brush->SetStyle(bsClear);
}
