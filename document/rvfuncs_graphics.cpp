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

void RV_PictureToDevice(TCanvas* Canvas, int x, int y, int Width, int Height, const TRVScreenAndDevice& sad,
                        TGraphic* Graphic, bool ToScreen)
{
    if (Canvas == nullptr || Graphic == nullptr)
        return;
    if (Width < 0)
        Width = Graphic->Width();
    if (Height < 0)
        Height = Graphic->Height();
    const int w = MulDiv(Width, sad.DevicePpiX, sad.ScreenPpiX);
    const int h = MulDiv(Height, sad.DevicePpiY, sad.ScreenPpiY);
    if (w <= 0 || h <= 0)
        return;
    const TRect Dest = Bounds(x, y, w, h);
    if (ToScreen) {
        Canvas->StretchDraw(Dest, Graphic);
        return;
    }
    // A printer gets the bitmap's own pixels stretched over the place, as a
    // device-independent copy would give them; devices here are true-colour,
    // so no halftone palette is needed.
    auto* Bitmap = dynamic_cast<TBitmap*>(Graphic);
    if (Bitmap == nullptr || Bitmap->Empty())
        return;
    Canvas->DrawPixels(Dest, Bitmap->Pixels(), Rect(0, 0, Bitmap->Width(), Bitmap->Height()));
}

void RV_SetPaletteToPicture(TGraphic* Graphic, const TLogPalette* LogPalette)
{
    if (Graphic == nullptr || LogPalette == nullptr)
        return;
    if (auto* Jpeg = dynamic_cast<TJPEGImage*>(Graphic))
        Jpeg->SetPixelFormat(jf8Bit);
    const HPALETTE Palette = CreatePalette(LogPalette);
    Graphic->SetPalette(Palette);
    // A picture that keeps its own copy (or none) leaves our handle unused.
    if (Graphic->Palette() != Palette)
        DeletePalette(Palette);
}

bool RV_IsGraphicTransparent(const TGraphic* Graphic)
{
    return Graphic != nullptr && Graphic->Transparent();
}

TGraphic* RV_CreateGraphicsDefault(TRVGraphicClass GraphicClass)
{
    if (GraphicClass == nullptr)
        return nullptr;
    // The three classes whose constructors take no arguments of their own are
    // made directly; any other registered class through its factory.
    if (SameText(GraphicClass->Name, "TBitmap"))
        return new TBitmap;
    if (SameText(GraphicClass->Name, "TMetafile"))
        return new TMetafile;
    if (SameText(GraphicClass->Name, "TIcon"))
        return new TIcon;
    return CreateGraphic(GraphicClass);
}

void RV_AfterImportGraphicDefault(TGraphic* Graphic)
{
    (void)Graphic;
}

void RV_DrawFrame(TCanvas* Canvas, TColor Color, int Left, int Top, int Right, int Bottom)
{
    const TBrushStyle OldBrushStyle = Canvas->Brush()->Style();
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetColor(Color);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Rectangle(Left, Top, Right, Bottom);
    Canvas->Brush()->SetStyle(OldBrushStyle);
}

void RV_InfoAboutSaD(TRVScreenAndDevice& sad, TCanvas* Canvas)
{
    sad.ScreenPpiX = ScreenPixelsPerInch();
    sad.ScreenPpiY = ScreenPixelsPerInch();
    // Without a canvas the device is the screen.
    sad.DevicePpiX = Canvas ? GetDeviceCaps(Canvas, LOGPIXELSX) : sad.ScreenPpiX;
    sad.DevicePpiY = Canvas ? GetDeviceCaps(Canvas, LOGPIXELSY) : sad.ScreenPpiY;
}
