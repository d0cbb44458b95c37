// TRVBackground: picture ownership and palette copies, the placement rules,
// drawing on the screen and printing on a device; and the control images.
#include "view/rvback.h"

#include <algorithm>
#include <climits>

#include "document/crvdata.h"
#include "document/rvprintsvc.h"
#include "platform/core/colors.h"
#include "platform/core/numbers.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/jpeg.h"

namespace {

// Division rounding down, so that tiles also cover the parts of a rectangle
// that lie before the area's origin.
int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Restores the canvas's clip and origins on every way out.
class TCanvasState {
public:
    explicit TCanvasState(TCanvas* canvas) : FCanvas(canvas), FLevel(canvas->SaveDC()) {}
    ~TCanvasState() { FCanvas->RestoreDC(FLevel); }
    TCanvasState(const TCanvasState&) = delete;
    TCanvasState& operator=(const TCanvasState&) = delete;

private:
    TCanvas* FCanvas;
    int FLevel;
};

// Clips the canvas to R and moves its origin so that logical (0, 0) lands on R's top-left.
void EnterRect(TCanvas* canvas, const TRect& r)
{
    canvas->IntersectClipRect(r.Left, r.Top, r.Right, r.Bottom);
    const TPoint org = canvas->WindowOrg();
    canvas->SetWindowOrgEx(org.X - r.Left, org.Y - r.Top);
}

// Fills R with Color resolved to RGB, leaving the canvas's own brush as it was.
void FillColor(TCanvas* canvas, const TRect& r, TColor color)
{
    TBrush saved;
    saved.Assign(canvas->Brush());
    canvas->Brush()->SetColor(ColorToRGB(color));
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(r);
    canvas->Brush()->Assign(&saved);
}

// Puts the picture into Dest, scaled. An opaque bitmap is copied pixel for
// pixel from its own canvas; other pictures, and transparent bitmaps (whose
// transparent parts must let the colour under them show), draw themselves.
void PutPicture(TCanvas* canvas, TGraphic* picture, const TRect& dest)
{
    auto* bitmap = dynamic_cast<TBitmap*>(picture);
    if (bitmap && !bitmap->Transparent())
        canvas->CopyRect(dest, bitmap->Canvas(), Rect(0, 0, bitmap->Width(), bitmap->Height()));
    else
        canvas->StretchDraw(dest, picture);
}

// A new, empty graphic of Graphic's class, made through the program's hook;
// null for a class that is not registered.
std::unique_ptr<TGraphic> NewGraphicLike(const TGraphic* graphic)
{
    RegisterGraphicClasses();
    return std::unique_ptr<TGraphic>(RV_CreateGraphics(GraphicClassOf(graphic)));
}

} // namespace

// ---------------------------------------------------------------------------
// The picture

TRVBackground::TRVBackground(bool createBitmap)
{
    if (createBitmap)
        FImage = std::make_unique<TBitmap>();
}

TRVBackground::~TRVBackground() = default;

TBitmap* TRVBackground::GetBitmap() const
{
    return dynamic_cast<TBitmap*>(FImage.get());
}

bool TRVBackground::ScrollRequiresFullRedraw() const
{
    if (!FImage || FImage->Empty())
        return false;
    return FBackgroundStyle != bsNoBitmap && FBackgroundStyle != bsTiledAndScrolled;
}

bool TRVBackground::Empty() const
{
    return FBackgroundStyle == bsNoBitmap && (!FImage || FImage->Empty());
}

bool TRVBackground::IsSemitransparent() const
{
    if (!FImage || FImage->Empty())
        return false;
    return FImage->Transparent() || FBackgroundStyle == bsCentered;
}

TRVItemBackgroundStyle TRVBackground::GetItemBackStyle() const
{
    switch (FBackgroundStyle) {
    case bsStretched:
        return rvbsStretched;
    case bsTiled:
    case bsTiledAndScrolled:
        return rvbsTiled;
    case bsCentered:
        return rvbsCentered;
    case bsNoBitmap:
    default:
        return rvbsColor;
    }
}

void TRVBackground::SetItemBackStyle(TRVItemBackgroundStyle value)
{
    switch (value) {
    case rvbsStretched:
        FBackgroundStyle = bsStretched;
        break;
    case rvbsTiled:
        FBackgroundStyle = bsTiled;
        break;
    case rvbsCentered:
        FBackgroundStyle = bsCentered;
        break;
    case rvbsColor:
    default:
        FBackgroundStyle = bsNoBitmap;
        break;
    }
}

TRVItemBackgroundStyle RV_GetItemBackgroundStyle(const TRVBackground* background)
{
    return background ? background->GetItemBackStyle() : rvbsColor;
}

void RV_SetItemBackgroundStyle(std::unique_ptr<TRVBackground>& background, TRVItemBackgroundStyle value)
{
    if (value == RV_GetItemBackgroundStyle(background.get()))
        return;
    if (!background && value != rvbsColor)
        background = std::make_unique<TRVBackground>(false);
    if (background) {
        background->SetItemBackStyle(value);
        if (background->Empty())
            background.reset();
    }
}

void TRVBackground::FreeImage()
{
    FImage.reset();
    FImageCopy.reset();
}

void TRVBackground::AssignImage(TGraphic* graphic, TCustomRVData* rvData, bool copy)
{
    if (graphic == FImage.get())
        return;
    FreeImage();
    if (copy) {
        if (graphic) {
            FImage = NewGraphicLike(graphic);
            if (FImage)
                FImage->Assign(graphic);
        }
    } else {
        FImage.reset(graphic);
    }
    if (rvData)
        UpdatePaletted(rvData->GetDoInPaletteMode(), rvData->GetRVPalette(), rvData->GetRVLogPalette());
}

void TRVBackground::UpdatePaletted(TRVPaletteAction action, ::HPALETTE, PLogPalette logPalette)
{
    FImageCopy.reset();
    if (!FImage || !logPalette || FImage->Empty())
        return;
    switch (action) {
    case rvpaAssignPallette:
        RV_SetPaletteToPicture(FImage.get(), logPalette);
        break;
    case rvpaCreateCopies:
    case rvpaCreateCopiesEx: {
        std::unique_ptr<TGraphic> copy;
        if (action == rvpaCreateCopiesEx && dynamic_cast<TBitmap*>(FImage.get()))
            copy = std::make_unique<TBitmap>();
        else
            copy = NewGraphicLike(FImage.get());
        if (!copy)
            break;
        copy->Assign(FImage.get());
        RV_SetPaletteToPicture(copy.get(), logPalette);
        if (auto* bitmap = dynamic_cast<TBitmap*>(copy.get()))
            bitmap->SetIgnorePalette(true);
        FImageCopy = std::move(copy);
        break;
    }
    case rvpaDoNothing:
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// Screen

bool TRVBackground::FillsWithColor(TColor color) const
{
    const TGraphic* picture = Picture();
    const bool hasPicture = picture && !picture->Empty();
    return color != clNone && (!hasPicture || picture->Transparent() || FBackgroundStyle == bsNoBitmap ||
                               FBackgroundStyle == bsCentered);
}

void TRVBackground::Draw(TCanvas* canvas, const TRect& rect, int hOffs, int vOffs, int areaLeft, int areaTop,
                         int areaWidth, int areaHeight, TColor color, bool clip)
{
    TCanvasState state(canvas);
    if (clip)
        EnterRect(canvas, rect);
    // Rect measured from the area's origin; the drawing is placed relative to its top-left.
    TRect r = rect;
    OffsetRect(r, -areaLeft, -areaTop);
    const int64_t l = r.Left;
    const int64_t t = r.Top;
    TGraphic* picture = Picture();
    const bool hasPicture = picture && !picture->Empty();

    if (FillsWithColor(color))
        FillColor(canvas, ::Rect(0, 0, r.Width(), r.Height()), color);
    if (!hasPicture)
        return;

    const int64_t PW = picture->Width();
    const int64_t PH = picture->Height();
    auto copyAt = [&](int64_t x, int64_t y) {
        PutPicture(canvas, picture,
                   Bounds(RV_Clamp32(x), RV_Clamp32(y), static_cast<int>(PW), static_cast<int>(PH)));
    };
    switch (FBackgroundStyle) {
    case bsStretched:
        // One picture spread over the whole area, whatever part is painted.
        PutPicture(canvas, picture, Bounds(RV_Clamp32(-l), RV_Clamp32(-t), areaWidth, areaHeight));
        break;
    case bsTiled:
        // Tiles fixed to the area's origin.
        for (int64_t row = FloorDiv(r.Top, PH); row <= FloorDiv(int64_t(r.Bottom) - 1, PH); ++row)
            for (int64_t col = FloorDiv(r.Left, PW); col <= FloorDiv(int64_t(r.Right) - 1, PW); ++col)
                copyAt(col * PW - l, row * PH - t);
        break;
    case bsTiledAndScrolled: {
        // Tiles fixed to the document, moving with the scroll offsets.
        const int64_t top = int64_t(r.Top) + vOffs;
        const int64_t bottom = int64_t(r.Bottom) + vOffs;
        const int64_t left = int64_t(r.Left) + hOffs;
        const int64_t right = int64_t(r.Right) + hOffs;
        for (int64_t row = FloorDiv(top, PH); row <= FloorDiv(bottom - 1, PH); ++row)
            for (int64_t col = FloorDiv(left, PW); col <= FloorDiv(right - 1, PW); ++col)
                copyAt(col * PW - hOffs - l, row * PH - vOffs - t);
        break;
    }
    case bsCentered:
        // Centred in the area, not scrolled; a larger picture shows its middle.
        copyAt((areaWidth - PW) / 2 - l, (areaHeight - PH) / 2 - t);
        break;
    case bsNoBitmap:
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// Device

void TRVBackground::Print(TCanvas* canvas, const TRect& aRect, const TRect& fullRect,
                          const TRVScreenAndDevice& sad, TColor color, bool ToScreen, PLogPalette logPalette,
                          TRVPrintableDataServices* RVData, int itemBackgroundLayer)
{
    TCanvasState state(canvas);
    EnterRect(canvas, aRect);
    // The part's place in the area; every piece below is placed relative to the
    // whole area, so that a part printed on its own shows its own part of the picture.
    const int64_t DX = int64_t(aRect.Left) - fullRect.Left;
    const int64_t DY = int64_t(aRect.Top) - fullRect.Top;
    const int w = aRect.Width();
    const int h = aRect.Height();
    TGraphic* picture = Picture();
    const bool hasPicture = picture && !picture->Empty();

    // A transparent picture is not counted here: the tile below carries the colour.
    if (color != clNone && (!hasPicture || FBackgroundStyle == bsNoBitmap || FBackgroundStyle == bsCentered))
        FillColor(canvas, Rect(0, 0, w, h), color);
    if (!hasPicture || FBackgroundStyle == bsNoBitmap)
        return;

    // The picture at screen resolution on its own tile, the colour under it.
    const bool seeThrough = picture->Transparent() && color == clNone;
    TBitmap tile;
    tile.SetSize(picture->Width(), picture->Height());
    if (logPalette)
        tile.SetPalette(CreatePalette(logPalette));
    if (color != clNone)
        FillColor(tile.Canvas(), Rect(0, 0, tile.Width(), tile.Height()), color);
    if (!seeThrough)
        tile.Canvas()->Draw(0, 0, picture);
    const int devW = RV_XToDevice(picture->Width(), sad);
    const int devH = RV_YToDevice(picture->Height(), sad);
    if (devW <= 0 || devH <= 0)
        return;

    // What the page shows under the piece at (x, y) goes into the tile first.
    auto fillUnder = [&](int64_t x, int64_t y) {
        if (RVData)
            RVData->DrawBackToBitmap(RV_XToScreen(RV_Clamp32(DX + x), sad),
                                     RV_YToScreen(RV_Clamp32(DY + y), sad), &tile, sad, itemBackgroundLayer,
                                     true);
    };
    auto tilePiece = [&](int64_t x, int64_t y) {
        if (seeThrough) {
            fillUnder(x, y);
            tile.Canvas()->Draw(0, 0, picture);
        }
        RV_PictureToDevice(canvas, RV_Clamp32(x), RV_Clamp32(y), tile.Width(), tile.Height(), sad, &tile,
                           ToScreen);
    };

    switch (FBackgroundStyle) {
    case bsStretched: {
        const int64_t x = -DX;
        const int64_t y = -DY;
        const int screenW = RV_XToScreen(fullRect.Width(), sad);
        const int screenH = RV_YToScreen(fullRect.Height(), sad);
        if (screenW <= 0 || screenH <= 0)
            break;
        if (seeThrough) {
            tile.SetSize(screenW, screenH);
            fillUnder(x, y);
            tile.Canvas()->StretchDraw(Rect(0, 0, screenW, screenH), picture);
        }
        RV_PictureToDevice(canvas, RV_Clamp32(x), RV_Clamp32(y), screenW, screenH, sad, &tile, ToScreen);
        break;
    }
    case bsTiled:
    case bsTiledAndScrolled:
        for (int64_t row = FloorDiv(DY, devH); row <= FloorDiv(DY + h - 1, devH); ++row)
            for (int64_t col = FloorDiv(DX, devW); col <= FloorDiv(DX + w - 1, devW); ++col)
                tilePiece(col * devW - DX, row * devH - DY);
        break;
    case bsCentered:
        tilePiece((int64_t(fullRect.Width()) - devW) / 2 - DX, (int64_t(fullRect.Height()) - devH) / 2 - DY);
        break;
    case bsNoBitmap:
    default:
        break;
    }
}

void TRVBackground::SetRVFBackgroundStyle(int style)
{
    // The value comes from a file: anything that is not a placement is none.
    FBackgroundStyle =
        style >= bsNoBitmap && style <= bsCentered ? static_cast<TBackgroundStyle>(style) : bsNoBitmap;
}
