// Pictures and hypertext pictures: their sizes, capability answers, painting,
// printing, palette copies and extra properties.
#include <algorithm>

#include "document/crvdata.h"
#include "document/rvfuncs.h"
#include "document/rvitem.h"
#include "document/rvprintsvc.h"
#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"

namespace {

// A new, empty picture of Graphic's class made through the creation hook;
// null for no picture or a class the hook cannot make.
std::unique_ptr<TGraphic> NewGraphicOfClass(const TGraphic* Graphic)
{
    if (Graphic == nullptr)
        return nullptr;
    RegisterGraphicClasses();
    return std::unique_ptr<TGraphic>(RV_CreateGraphics(GraphicClassOf(Graphic)));
}

} // namespace

int RVGetPrintPartOffset(const TRVDrawLineInfo* dli, int Part)
{
    const auto* Multi = dynamic_cast<const TRVMultiImagePrintInfo*>(dli);
    if (Multi == nullptr || Part < 0 || Part >= Multi->PartsList.Count())
        return 0;
    const auto* ImagePart = dynamic_cast<const TRVImagePrintPart*>(Multi->GetPart(Part));
    return ImagePart != nullptr ? -ImagePart->ImgTop : 0;
}

// ---------------------------------------------------------------------------
// TRVGraphicItemInfo

TRVGraphicItemInfo::TRVGraphicItemInfo(TCustomRVData* RVData) : TRVRectItemInfo(RVData) {}

TRVGraphicItemInfo::TRVGraphicItemInfo(TCustomRVData* RVData, TGraphic* AImage, TRVVAlign AVAlign)
    : TRVRectItemInfo(RVData), FImage(AImage)
{
    StyleNo = rvsPicture;
    VAlign = AVAlign;
}

TRVGraphicItemInfo::~TRVGraphicItemInfo() = default;

TRVItemClass TRVGraphicItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVGraphicItemInfo>();
}

void TRVGraphicItemInfo::SetImage(TGraphic* Value)
{
    if (Value == FImage.get())
        return;
    FImageCopy.reset();
    FImage.reset(Value);
}

int TRVGraphicItemInfo::GetImageWidth(TRVStyle*) const
{
    if (ImageWidth >= 1)
        return ImageWidth;
    return FImage ? FImage->Width() : 0;
}

int TRVGraphicItemInfo::GetImageHeight(TRVStyle*) const
{
    if (ImageHeight >= 1)
        return ImageHeight;
    return FImage ? FImage->Height() : 0;
}

int TRVGraphicItemInfo::GetWidth() const
{
    return GetImageWidth(nullptr) + 2 * Spacing;
}

int TRVGraphicItemInfo::GetHeight() const
{
    return GetImageHeight(nullptr) + 2 * Spacing;
}

int TRVGraphicItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas*, TCustomRVData*)
{
    const int Width = GetWidth();
    return sad != nullptr ? MulDiv(Width, sad->DevicePpiX, sad->ScreenPpiX) : Width;
}

TGraphic* TRVGraphicItemInfo::AsImage()
{
    return FImage.get();
}

bool TRVGraphicItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const
{
    switch (Prop) {
    case rvbpValid:
        return FImage != nullptr;
    case rvbpDisplayActiveState:
    case rvbpDrawingChangesFont:
        return true;
    case rvbpResizable:
        return FImage != nullptr && dynamic_cast<const TIcon*>(FImage.get()) == nullptr;
    default:
        return TRVRectItemInfo::GetBoolValue(Prop);
    }
}

bool TRVGraphicItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* RVStyle) const
{
    // A metafile prints as itself: a bitmap of it would lose its resolution.
    if (Prop == rvbpPrintToBMP)
        return dynamic_cast<const TMetafile*>(FImage.get()) == nullptr;
    return TRVRectItemInfo::GetBoolValueEx(Prop, RVStyle);
}

void TRVGraphicItemInfo::Paint(int X, int Y, TCanvas* Canvas, TRVItemDrawStates State, TRVStyle* Style,
                               TRVDrawLineInfo*)
{
    X += Spacing;
    Y += Spacing;
    const int w = GetImageWidth(Style);
    const int h = GetImageHeight(Style);
    const bool NaturalSize = ImageWidth < 1 && ImageHeight < 1;
    TGraphic* Graphic = FImageCopy ? FImageCopy.get() : FImage.get();
    if (auto* CopyBitmap = dynamic_cast<TBitmap*>(FImageCopy.get())) {
        // The palette copy is copied pixel for pixel, as the platform's block
        // transfer would, at its own size or stretched.
        const TRect Source = Rect(0, 0, CopyBitmap->Width(), CopyBitmap->Height());
        const TRect Dest =
            NaturalSize ? Bounds(X, Y, CopyBitmap->Width(), CopyBitmap->Height()) : Bounds(X, Y, w, h);
        if (!CopyBitmap->Empty())
            Canvas->CopyRect(Dest, CopyBitmap->Canvas(), Source);
    } else if (Graphic != nullptr) {
        if (NaturalSize)
            Canvas->Draw(X, Y, Graphic);
        else
            Canvas->StretchDraw(Bounds(X, Y, w, h), Graphic);
    }
    if (Style == nullptr)
        return;
    if (State.Contains(rvidsCurrent) && Style->HoverColor() != clNone)
        RV_DrawFrame(Canvas, Style->HoverColor(), X - Spacing - 1, Y - Spacing - 1, X + w + Spacing + 1,
                     Y + h + Spacing + 1);
    if (State.Contains(rvidsSelected)) {
        const TColor Color =
            State.Contains(rvidsControlFocused) ? Style->SelColor() : Style->InactiveSelColor();
        if (Color != clNone)
            RV_DrawFrame(Canvas, Color, X - Spacing, Y - Spacing, X + w + Spacing, Y + h + Spacing);
    }
}

void TRVGraphicItemInfo::Print(TCanvas* Canvas, int X, int Y, int, bool Preview, bool,
                               const TRVScreenAndDevice& sad, TRVPrintingViewer* RichView, TRVDrawLineInfo*,
                               int, TRVColorMode, TCustomRVData*)
{
    if (FImage == nullptr)
        return;
    TRVStyle* Style = RichView != nullptr ? RichView->GetPrintRVStyle() : nullptr;
    const TRect Dest = Bounds(X + MulDiv(Spacing, sad.DevicePpiX, sad.ScreenPpiX),
                              Y + MulDiv(Spacing, sad.DevicePpiY, sad.ScreenPpiY),
                              MulDiv(GetImageWidth(Style), sad.DevicePpiX, sad.ScreenPpiX),
                              MulDiv(GetImageHeight(Style), sad.DevicePpiY, sad.ScreenPpiY));
    // A printer's clip and origins are kept whatever the picture does to them.
    const int SavedState = Preview ? 0 : Canvas->SaveDC();
    Canvas->StretchDraw(Dest, FImage.get());
    if (!Preview)
        Canvas->RestoreDC(SavedState);
}

bool TRVGraphicItemInfo::PrintToBitmap(TBitmap* Bkgnd, bool Preview, TRVPrintingViewer*, TRVDrawLineInfo* dli,
                                       int Part, TRVColorMode)
{
    if (FImage == nullptr)
        return false;
    const int Offset = RVGetPrintPartOffset(dli, Part);
    TCanvas* Canvas = Bkgnd->Canvas();
    if (ImageWidth < 1 && ImageHeight < 1) {
        Canvas->Draw(0, Offset, Preview && FImageCopy ? FImageCopy.get() : FImage.get());
        return true;
    }
    if (Preview && FImageCopy) {
        Canvas->StretchDraw(Rect(0, Offset, Bkgnd->Width(), Bkgnd->Height()), FImageCopy.get());
        return true;
    }
    const bool OwnWidth = ImageWidth < 1 || ImageWidth == FImage->Width();
    const bool OwnHeight = ImageHeight < 1 || ImageHeight == FImage->Height();
    if (OwnWidth && OwnHeight) {
        Canvas->StretchDraw(Rect(0, Offset, Bkgnd->Width(), Bkgnd->Height()), FImage.get());
        return true;
    }
    // Shown at another size: the bitmap takes the picture's own size (the
    // printing code stretches it), keeping what lies under a transparent picture.
    const bool Transparent = RV_IsGraphicTransparent(FImage.get());
    std::unique_ptr<TBitmap> Under;
    if (Transparent) {
        Under = std::make_unique<TBitmap>();
        Under->Assign(Bkgnd);
    }
    Bkgnd->SetWidth(FImage->Width());
    if (Part < 0)
        Bkgnd->SetHeight(FImage->Height());
    Canvas = Bkgnd->Canvas(); // a new size makes a new canvas
    if (Under != nullptr && !Under->Empty())
        Canvas->StretchDraw(Rect(0, 0, Bkgnd->Width(), Bkgnd->Height()), Under.get());
    Canvas->Draw(0, Offset, FImage.get());
    return true;
}

TRVDrawLineInfo* TRVGraphicItemInfo::CreatePrintingDrawItem(TCustomRVData*, const TRVScreenAndDevice& sad)
{
    // A picture shown at another height than its own is never split.
    const bool OwnHeight = ImageHeight < 1 || (FImage && ImageHeight == FImage->Height());
    if (!GetBoolValueEx(rvbpPrintToBMP, nullptr) || MinHeightOnPage == 0 || !OwnHeight)
        return new TRVDrawLineInfo;
    auto* dli = new TRVMultiImagePrintInfo(this);
    dli->sad = sad;
    dli->Width = MulDiv(GetWidth(), sad.DevicePpiX, sad.ScreenPpiX);
    dli->Height = MulDiv(GetHeight(), sad.DevicePpiY, sad.ScreenPpiY);
    return dli;
}

void TRVGraphicItemInfo::UpdatePaletteInfo(TRVPaletteAction PaletteAction, bool ForceRecreateCopy,
                                           HPALETTE Palette, const TLogPalette* LogPalette)
{
    const bool MakesCopies = PaletteAction == rvpaCreateCopies || PaletteAction == rvpaCreateCopiesEx;
    if (!MakesCopies || ForceRecreateCopy || Palette == 0)
        FImageCopy.reset();
    if (FImage == nullptr || LogPalette == nullptr)
        return;
    if (PaletteAction == rvpaAssignPallette) {
        RV_SetPaletteToPicture(FImage.get(), LogPalette);
        return;
    }
    if (!MakesCopies || FImageCopy)
        return;
    if (PaletteAction == rvpaCreateCopiesEx && dynamic_cast<TJPEGImage*>(FImage.get()))
        FImageCopy = std::make_unique<TBitmap>();
    else
        FImageCopy = NewGraphicOfClass(FImage.get());
    if (FImageCopy == nullptr)
        return;
    FImageCopy->Assign(FImage.get());
    RV_SetPaletteToPicture(FImageCopy.get(), LogPalette);
    if (auto* Bitmap = dynamic_cast<TBitmap*>(FImageCopy.get()))
        Bitmap->SetIgnorePalette(true);
}

void TRVGraphicItemInfo::MovingToUndoList(int ItemNo, TCustomRVData* RVData, TObject* AContainerUndoItem)
{
    FImageCopy.reset();
    TRVRectItemInfo::MovingToUndoList(ItemNo, RVData, AContainerUndoItem);
}

void TRVGraphicItemInfo::Assign(const TPersistent* Source)
{
    const auto* Item = dynamic_cast<const TRVGraphicItemInfo*>(Source);
    if (Item != nullptr && Item != this) {
        ImageWidth = Item->ImageWidth;
        ImageHeight = Item->ImageHeight;
        FImage.reset();
        FImageCopy.reset();
        FImage = NewGraphicOfClass(Item->FImage.get());
        if (FImage)
            FImage->Assign(Item->FImage.get());
        FImageCopy = NewGraphicOfClass(Item->FImageCopy.get());
        if (FImageCopy)
            FImageCopy->Assign(Item->FImageCopy.get());
    }
    TRVRectItemInfo::Assign(Source);
}

bool TRVGraphicItemInfo::SetExtraIntProperty(TRVExtraItemProperty Prop, int Value)
{
    auto* Bitmap = dynamic_cast<TBitmap*>(FImage.get());
    switch (Prop) {
    case rvepMinHeightOnPage:
        MinHeightOnPage = Value;
        return true;
    case rvepImageWidth:
        ImageWidth = Value;
        return true;
    case rvepImageHeight:
        ImageHeight = Value;
        return true;
    case rvepTransparent:
        if (Bitmap == nullptr)
            return false;
        Bitmap->SetTransparent(Value != 0);
        return true;
    case rvepTransparentMode:
        if (Bitmap == nullptr)
            return false;
        Bitmap->SetTransparentMode(Value != 0 ? tmFixed : tmAuto);
        return true;
    case rvepTransparentColor:
        if (Bitmap == nullptr)
            return false;
        Bitmap->SetTransparentColor(static_cast<TColor>(Value));
        return true;
    default:
        return TRVRectItemInfo::SetExtraIntProperty(Prop, Value);
    }
}

bool TRVGraphicItemInfo::GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) const
{
    const auto* Bitmap = dynamic_cast<const TBitmap*>(FImage.get());
    switch (Prop) {
    case rvepMinHeightOnPage:
        Value = MinHeightOnPage;
        return true;
    case rvepImageWidth:
        Value = ImageWidth;
        return true;
    case rvepImageHeight:
        Value = ImageHeight;
        return true;
    case rvepTransparent:
        if (Bitmap == nullptr)
            return false;
        Value = Bitmap->Transparent() ? 1 : 0;
        return true;
    case rvepTransparentMode:
        if (Bitmap == nullptr)
            return false;
        Value = static_cast<int>(Bitmap->TransparentMode());
        return true;
    case rvepTransparentColor:
        if (Bitmap == nullptr)
            return false;
        Value = static_cast<int>(Bitmap->TransparentColor());
        return true;
    default:
        return TRVRectItemInfo::GetExtraIntProperty(Prop, Value);
    }
}

// ---------------------------------------------------------------------------
// TRVHotGraphicItemInfo

TRVHotGraphicItemInfo::TRVHotGraphicItemInfo(TCustomRVData* RVData) : TRVGraphicItemInfo(RVData) {}

TRVHotGraphicItemInfo::TRVHotGraphicItemInfo(TCustomRVData* RVData, TGraphic* AImage, TRVVAlign AVAlign)
    : TRVGraphicItemInfo(RVData, AImage, AVAlign)
{
    StyleNo = rvsHotPicture;
}

TRVItemClass TRVHotGraphicItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVHotGraphicItemInfo>();
}

bool TRVHotGraphicItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* RVStyle) const
{
    switch (Prop) {
    case rvbpJump:
    case rvbpAllowsFocus:
    case rvbpXORFocus:
        return true;
    default:
        return TRVGraphicItemInfo::GetBoolValueEx(Prop, RVStyle);
    }
}

void TRVHotGraphicItemInfo::Execute(TCustomRVData* RVData)
{
    // Only a laid-out document has hyperlink numbers and a handler for them.
    if (auto* Handler = dynamic_cast<TRVJumpHandler*>(RVData))
        Handler->DoJump(RVData->FirstJumpNo + JumpID);
}
