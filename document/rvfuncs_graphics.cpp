// Pictures on devices: scaling a screen picture onto a printer, palettes, and
// the replaceable hooks through which loaders make pictures.
#include "document/rvfuncs.h"

#include "platform/core/numbers.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"

TRVCreateGraphicsFunction RV_CreateGraphics = RV_CreateGraphicsDefault;
TRVAfterImportGraphicsProc RV_AfterImportGraphic = RV_AfterImportGraphicDefault;

void RV_PictureToDevice(TCanvas* canvas, int x, int y, int width, int height, const TRVScreenAndDevice& sad,
                        TGraphic* graphic, bool toScreen)
{
    if (canvas == nullptr || graphic == nullptr)
        return;
    if (width < 0)
        width = graphic->Width();
    if (height < 0)
        height = graphic->Height();
    const int w = MulDiv(width, sad.DevicePpiX, sad.ScreenPpiX);
    const int h = MulDiv(height, sad.DevicePpiY, sad.ScreenPpiY);
    if (w <= 0 || h <= 0)
        return;
    const TRect dest = Bounds(x, y, w, h);
    if (toScreen) {
        canvas->StretchDraw(dest, graphic);
        return;
    }
    // A printer gets the bitmap's own pixels stretched over the place, as a
    // device-independent copy would give them; devices here are true-colour,
    // so no halftone palette is needed.
    auto* bitmap = dynamic_cast<TBitmap*>(graphic);
    if (bitmap == nullptr || bitmap->Empty())
        return;
    const TPinnedPixels pixels = bitmap->Pixels();
    canvas->DrawPixels(dest, *pixels, Rect(0, 0, bitmap->Width(), bitmap->Height()));
}

void RV_SetPaletteToPicture(TGraphic* graphic, const TLogPalette* logPalette)
{
    if (graphic == nullptr || logPalette == nullptr)
        return;
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(graphic))
        jpeg->SetPixelFormat(jf8Bit);
    const HPALETTE palette = CreatePalette(logPalette);
    graphic->SetPalette(palette);
    // A picture that keeps its own copy (or none) leaves our handle unused.
    if (graphic->Palette() != palette)
        DeletePalette(palette);
}

bool RV_IsGraphicTransparent(const TGraphic* graphic)
{
    return graphic != nullptr && graphic->Transparent();
}

TGraphic* RV_CreateGraphicsDefault(TRVGraphicClass graphicClass)
{
    if (graphicClass == nullptr)
        return nullptr;
    // The three classes whose constructors take no arguments of their own are
    // made directly; any other registered class through its factory.
    if (SameText(graphicClass->Name, "TBitmap"))
        return new TBitmap;
    if (SameText(graphicClass->Name, "TMetafile"))
        return new TMetafile;
    if (SameText(graphicClass->Name, "TIcon"))
        return new TIcon;
    return CreateGraphic(graphicClass);
}

void RV_AfterImportGraphicDefault(TGraphic* graphic)
{
    (void)graphic;
}

void RV_DrawFrame(TCanvas* canvas, TColor color, int left, int top, int right, int bottom)
{
    const TBrushStyle oldBrushStyle = canvas->Brush()->Style();
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetColor(color);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Rectangle(left, top, right, bottom);
    canvas->Brush()->SetStyle(oldBrushStyle);
}

void RV_InfoAboutSaD(TRVScreenAndDevice& sad, TCanvas* canvas)
{
    sad.ScreenPpiX = ScreenPixelsPerInch();
    sad.ScreenPpiY = ScreenPixelsPerInch();
    // Without a canvas the device is the screen.
    sad.DevicePpiX = canvas ? GetDeviceCaps(canvas, LOGPIXELSX) : sad.ScreenPpiX;
    sad.DevicePpiY = canvas ? GetDeviceCaps(canvas, LOGPIXELSY) : sad.ScreenPpiY;
}
