// TRVBackground: picture ownership and palette copies, the placement rules,
// drawing on the screen and printing on a device; and the control images.
#include "view/rvback.h"

#include <algorithm>
#include <climits>

#include "document/crvdata.h"
#include "document/rvprintsvc.h"
#include "platform/controls/controls.h"
#include "platform/core/colors.h"
#include "platform/core/numbers.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/jpeg.h"

namespace {

int ClampToInt(int64_t Value)
{
    return static_cast<int>(std::clamp<int64_t>(Value, INT_MIN, INT_MAX));
}

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
    explicit TCanvasState(TCanvas* Canvas) : FCanvas(Canvas), FLevel(Canvas->SaveDC()) {}
    ~TCanvasState() { FCanvas->RestoreDC(FLevel); }
    TCanvasState(const TCanvasState&) = delete;
    TCanvasState& operator=(const TCanvasState&) = delete;

private:
    TCanvas* FCanvas;
    int FLevel;
};

// Clips the canvas to R and moves its origin so that logical (0, 0) lands on R's top-left.
void EnterRect(TCanvas* Canvas, const TRect& R)
{
    Canvas->IntersectClipRect(R.Left, R.Top, R.Right, R.Bottom);
    const TPoint org = Canvas->WindowOrg();
    Canvas->SetWindowOrgEx(org.X - R.Left, org.Y - R.Top);
}

// Fills R with Color resolved to RGB, leaving the canvas's own brush as it was.
void FillColor(TCanvas* Canvas, const TRect& R, TColor Color)
{
    TBrush saved;
    saved.Assign(Canvas->Brush());
    Canvas->Brush()->SetColor(ColorToRGB(Color));
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->FillRect(R);
    Canvas->Brush()->Assign(&saved);
}

// Puts the picture into Dest, scaled. An opaque bitmap is copied pixel for
// pixel from its own canvas; other pictures, and transparent bitmaps (whose
// transparent parts must let the colour under them show), draw themselves.
void PutPicture(TCanvas* Canvas, TGraphic* Picture, const TRect& Dest)
{
    auto* bitmap = dynamic_cast<TBitmap*>(Picture);
    if (bitmap && !bitmap->Transparent())
        Canvas->CopyRect(Dest, bitmap->Canvas(), Rect(0, 0, bitmap->Width(), bitmap->Height()));
    else
        Canvas->StretchDraw(Dest, Picture);
}

// A new, empty graphic of Graphic's class, made through the program's hook;
// null for a class that is not registered.
std::unique_ptr<TGraphic> NewGraphicLike(const TGraphic* Graphic)
{
    RegisterGraphicClasses();
    return std::unique_ptr<TGraphic>(RV_CreateGraphics(GraphicClassOf(Graphic)));
}

} // namespace

// ---------------------------------------------------------------------------
// The picture

TRVBackground::TRVBackground(bool CreateBitmap)
{
    if (CreateBitmap)
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

void TRVBackground::SetItemBackStyle(TRVItemBackgroundStyle Value)
{
    switch (Value) {
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

void TRVBackground::FreeImage()
{
    FImage.reset();
    FImageCopy.reset();
}

void TRVBackground::AssignImage(TGraphic* Graphic, TCustomRVData* RVData, bool Copy)
{
    if (Graphic == FImage.get())
        return;
    FreeImage();
    if (Copy) {
        if (Graphic) {
            FImage = NewGraphicLike(Graphic);
            if (FImage)
                FImage->Assign(Graphic);
        }
    } else {
        FImage.reset(Graphic);
    }
    if (RVData)
        UpdatePaletted(RVData->GetDoInPaletteMode(), RVData->GetRVPalette(), RVData->GetRVLogPalette());
}

void TRVBackground::UpdatePaletted(TRVPaletteAction Action, ::HPALETTE, PLogPalette LogPalette)
{
    FImageCopy.reset();
    if (!FImage || !LogPalette || FImage->Empty())
        return;
    switch (Action) {
    case rvpaAssignPallette:
        RV_SetPaletteToPicture(FImage.get(), LogPalette);
        break;
    case rvpaCreateCopies:
    case rvpaCreateCopiesEx: {
        std::unique_ptr<TGraphic> copy;
        if (Action == rvpaCreateCopiesEx && dynamic_cast<TBitmap*>(FImage.get()))
            copy = std::make_unique<TBitmap>();
        else
            copy = NewGraphicLike(FImage.get());
        if (!copy)
            break;
        copy->Assign(FImage.get());
        RV_SetPaletteToPicture(copy.get(), LogPalette);
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

bool TRVBackground::FillsWithColor(TColor Color) const
{
    const TGraphic* picture = Picture();
    const bool hasPicture = picture && !picture->Empty();
    return Color != clNone && (!hasPicture || picture->Transparent() || FBackgroundStyle == bsNoBitmap ||
                               FBackgroundStyle == bsCentered);
}

void TRVBackground::Draw(TCanvas* Canvas, const TRect& Rect, int HOffs, int VOffs, int AreaLeft, int AreaTop,
                         int AreaWidth, int AreaHeight, TColor Color, bool Clip)
{
    TCanvasState state(Canvas);
    if (Clip)
        EnterRect(Canvas, Rect);
    // Rect measured from the area's origin; the drawing is placed relative to its top-left.
    TRect r = Rect;
    OffsetRect(r, -AreaLeft, -AreaTop);
    const int64_t L = r.Left;
    const int64_t T = r.Top;
    TGraphic* picture = Picture();
    const bool hasPicture = picture && !picture->Empty();

    if (FillsWithColor(Color))
        FillColor(Canvas, ::Rect(0, 0, r.Width(), r.Height()), Color);
    if (!hasPicture)
        return;

    const int64_t PW = picture->Width();
    const int64_t PH = picture->Height();
    auto copyAt = [&](int64_t x, int64_t y) {
        PutPicture(Canvas, picture,
                   Bounds(ClampToInt(x), ClampToInt(y), static_cast<int>(PW), static_cast<int>(PH)));
    };
    switch (FBackgroundStyle) {
    case bsStretched:
        // One picture spread over the whole area, whatever part is painted.
        PutPicture(Canvas, picture, Bounds(ClampToInt(-L), ClampToInt(-T), AreaWidth, AreaHeight));
        break;
    case bsTiled:
        // Tiles fixed to the area's origin.
        for (int64_t row = FloorDiv(r.Top, PH); row <= FloorDiv(int64_t(r.Bottom) - 1, PH); ++row)
            for (int64_t col = FloorDiv(r.Left, PW); col <= FloorDiv(int64_t(r.Right) - 1, PW); ++col)
                copyAt(col * PW - L, row * PH - T);
        break;
    case bsTiledAndScrolled: {
        // Tiles fixed to the document, moving with the scroll offsets.
        const int64_t top = int64_t(r.Top) + VOffs;
        const int64_t bottom = int64_t(r.Bottom) + VOffs;
        const int64_t left = int64_t(r.Left) + HOffs;
        const int64_t right = int64_t(r.Right) + HOffs;
        for (int64_t row = FloorDiv(top, PH); row <= FloorDiv(bottom - 1, PH); ++row)
            for (int64_t col = FloorDiv(left, PW); col <= FloorDiv(right - 1, PW); ++col)
                copyAt(col * PW - HOffs - L, row * PH - VOffs - T);
        break;
    }
    case bsCentered:
        // Centred in the area, not scrolled; a larger picture shows its middle.
        copyAt((AreaWidth - PW) / 2 - L, (AreaHeight - PH) / 2 - T);
        break;
    case bsNoBitmap:
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// Device

void TRVBackground::Print(TCanvas* Canvas, const TRect& ARect, const TRect& FullRect,
                          const TRVScreenAndDevice& sad, TColor Color, bool ToScreen, PLogPalette LogPalette,
                          TRVPrintableDataServices* RVData, int ItemBackgroundLayer)
{
    TCanvasState state(Canvas);
    EnterRect(Canvas, ARect);
    // The part's place in the area; every piece below is placed relative to the
    // whole area, so that a part printed on its own shows its own part of the picture.
    const int64_t DX = int64_t(ARect.Left) - FullRect.Left;
    const int64_t DY = int64_t(ARect.Top) - FullRect.Top;
    const int W = ARect.Width();
    const int H = ARect.Height();
    TGraphic* picture = Picture();
    const bool hasPicture = picture && !picture->Empty();

    // A transparent picture is not counted here: the tile below carries the colour.
    if (Color != clNone && (!hasPicture || FBackgroundStyle == bsNoBitmap || FBackgroundStyle == bsCentered))
        FillColor(Canvas, Rect(0, 0, W, H), Color);
    if (!hasPicture || FBackgroundStyle == bsNoBitmap)
        return;

    // The picture at screen resolution on its own tile, the colour under it.
    const bool seeThrough = picture->Transparent() && Color == clNone;
    TBitmap tile;
    tile.SetSize(picture->Width(), picture->Height());
    if (LogPalette)
        tile.SetPalette(CreatePalette(LogPalette));
    if (Color != clNone)
        FillColor(tile.Canvas(), Rect(0, 0, tile.Width(), tile.Height()), Color);
    if (!seeThrough)
        tile.Canvas()->Draw(0, 0, picture);
    const int DevW = RV_XToDevice(picture->Width(), sad);
    const int DevH = RV_YToDevice(picture->Height(), sad);
    if (DevW <= 0 || DevH <= 0)
        return;

    // What the page shows under the piece at (x, y) goes into the tile first.
    auto fillUnder = [&](int64_t x, int64_t y) {
        if (RVData)
            RVData->DrawBackToBitmap(RV_XToScreen(ClampToInt(DX + x), sad),
                                     RV_YToScreen(ClampToInt(DY + y), sad), &tile, sad, ItemBackgroundLayer,
                                     true);
    };
    auto tilePiece = [&](int64_t x, int64_t y) {
        if (seeThrough) {
            fillUnder(x, y);
            tile.Canvas()->Draw(0, 0, picture);
        }
        RV_PictureToDevice(Canvas, ClampToInt(x), ClampToInt(y), tile.Width(), tile.Height(), sad, &tile,
                           ToScreen);
    };

    switch (FBackgroundStyle) {
    case bsStretched: {
        const int64_t x = -DX;
        const int64_t y = -DY;
        const int screenW = RV_XToScreen(FullRect.Width(), sad);
        const int screenH = RV_YToScreen(FullRect.Height(), sad);
        if (screenW <= 0 || screenH <= 0)
            break;
        if (seeThrough) {
            tile.SetSize(screenW, screenH);
            fillUnder(x, y);
            tile.Canvas()->StretchDraw(Rect(0, 0, screenW, screenH), picture);
        }
        RV_PictureToDevice(Canvas, ClampToInt(x), ClampToInt(y), screenW, screenH, sad, &tile, ToScreen);
        break;
    }
    case bsTiled:
    case bsTiledAndScrolled:
        for (int64_t row = FloorDiv(DY, DevH); row <= FloorDiv(DY + H - 1, DevH); ++row)
            for (int64_t col = FloorDiv(DX, DevW); col <= FloorDiv(DX + W - 1, DevW); ++col)
                tilePiece(col * DevW - DX, row * DevH - DY);
        break;
    case bsCentered:
        tilePiece((int64_t(FullRect.Width()) - DevW) / 2 - DX, (int64_t(FullRect.Height()) - DevH) / 2 - DY);
        break;
    case bsNoBitmap:
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// Control images

std::unique_ptr<TBitmap> DrawControl(TControl* Control)
{
    if (!Control)
        return nullptr;
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(Control->Width(), Control->Height());
    // A windowed control paints itself and its visible children, each at its place.
    if (auto* window = dynamic_cast<TWinControl*>(Control))
        window->PaintTo(bitmap->Canvas(), 0, 0);
    return bitmap;
}

void TRVBackground::SetRVFBackgroundStyle(int Style)
{
    // The value comes from a file: anything that is not a placement is none.
    FBackgroundStyle =
        Style >= bsNoBitmap && Style <= bsCentered ? static_cast<TBackgroundStyle>(Style) : bsNoBitmap;
}
