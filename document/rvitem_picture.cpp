// Pictures and hypertext pictures: their sizes, capability answers, painting,
// printing, palette copies and extra properties.
#include <algorithm>

#include "document/crvdata.h"
#include "document/rvfuncs.h"
#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
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
std::unique_ptr<TGraphic> NewGraphicOfClass(const TGraphic* graphic)
{
    if (graphic == nullptr)
        return nullptr;
    RegisterGraphicClasses();
    return std::unique_ptr<TGraphic>(RV_CreateGraphics(GraphicClassOf(graphic)));
}

} // namespace

int RVGetPrintPartOffset(const TRVDrawLineInfo* dli, int part)
{
    const auto* multi = dynamic_cast<const TRVMultiImagePrintInfo*>(dli);
    if (multi == nullptr || part < 0 || part >= multi->PartsList.Count())
        return 0;
    const auto* imagePart = dynamic_cast<const TRVImagePrintPart*>(multi->GetPart(part));
    return imagePart != nullptr ? -imagePart->ImgTop : 0;
}

// ---------------------------------------------------------------------------
// TRVGraphicItemInfo

TRVGraphicItemInfo::TRVGraphicItemInfo(TCustomRVData* rvData) : TRVRectItemInfo(rvData) {}

TRVGraphicItemInfo::TRVGraphicItemInfo(TCustomRVData* rvData, TGraphic* aImage, TRVVAlign avAlign)
    : TRVRectItemInfo(rvData), FImage(aImage)
{
    StyleNo = rvsPicture;
    VAlign = avAlign;
}

TRVGraphicItemInfo::~TRVGraphicItemInfo() = default;

TRVItemClass TRVGraphicItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVGraphicItemInfo>();
}

void TRVGraphicItemInfo::SetImage(TGraphic* value)
{
    if (value == FImage.get())
        return;
    FImageCopy.reset();
    FImage.reset(value);
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
    const int width = GetWidth();
    return sad != nullptr ? MulDiv(width, sad->DevicePpiX, sad->ScreenPpiX) : width;
}

TGraphic* TRVGraphicItemInfo::AsImage()
{
    return FImage.get();
}

bool TRVGraphicItemInfo::GetBoolValue(TRVItemBoolProperty prop) const
{
    switch (prop) {
    case rvbpValid:
        return FImage != nullptr;
    case rvbpDisplayActiveState:
    case rvbpDrawingChangesFont:
        return true;
    case rvbpResizable:
        return FImage != nullptr && dynamic_cast<const TIcon*>(FImage.get()) == nullptr;
    default:
        return TRVRectItemInfo::GetBoolValue(prop);
    }
}

bool TRVGraphicItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const
{
    // A metafile prints as itself: a bitmap of it would lose its resolution.
    if (prop == rvbpPrintToBMP)
        return dynamic_cast<const TMetafile*>(FImage.get()) == nullptr;
    if (prop == rvbpActualPrintSize)
        return true;
    return TRVRectItemInfo::GetBoolValueEx(prop, rvStyle);
}

void TRVGraphicItemInfo::Paint(int x, int y, TCanvas* canvas, TRVItemDrawStates state, TRVStyle* style,
                               TRVDrawLineInfo*)
{
    x += Spacing;
    y += Spacing;
    const int w = GetImageWidth(style);
    const int h = GetImageHeight(style);
    const bool naturalSize = ImageWidth < 1 && ImageHeight < 1;
    TGraphic* graphic = FImageCopy ? FImageCopy.get() : FImage.get();
    if (auto* copyBitmap = dynamic_cast<TBitmap*>(FImageCopy.get())) {
        // The palette copy is copied pixel for pixel, as the platform's block
        // transfer would, at its own size or stretched.
        const TRect source = Rect(0, 0, copyBitmap->Width(), copyBitmap->Height());
        const TRect dest =
            naturalSize ? Bounds(x, y, copyBitmap->Width(), copyBitmap->Height()) : Bounds(x, y, w, h);
        if (!copyBitmap->Empty())
            canvas->CopyRect(dest, copyBitmap->Canvas(), source);
    } else if (graphic != nullptr) {
        if (naturalSize)
            canvas->Draw(x, y, graphic);
        else
            canvas->StretchDraw(Bounds(x, y, w, h), graphic);
    }
    if (style == nullptr)
        return;
    if (state.Contains(rvidsCurrent) && style->HoverColor() != clNone)
        RV_DrawFrame(canvas, style->HoverColor(), x - Spacing - 1, y - Spacing - 1, x + w + Spacing + 1,
                     y + h + Spacing + 1);
    if (state.Contains(rvidsSelected)) {
        const TColor color =
            state.Contains(rvidsControlFocused) ? style->SelColor() : style->InactiveSelColor();
        if (color != clNone)
            RV_DrawFrame(canvas, color, x - Spacing, y - Spacing, x + w + Spacing, y + h + Spacing);
    }
}

void TRVGraphicItemInfo::Print(TCanvas* canvas, int x, int y, int, bool preview, bool,
                               const TRVScreenAndDevice& sad, TRVPrintingViewer* printViewer,
                               TRVDrawLineInfo* dli, int, TRVColorMode, TCustomRVData*)
{
    if (FImage == nullptr)
        return;
    TRVStyle* style = printViewer != nullptr ? printViewer->GetPrintRVStyle() : nullptr;
    const int spaceX = MulDiv(Spacing, sad.DevicePpiX, sad.ScreenPpiX);
    const int spaceY = MulDiv(Spacing, sad.DevicePpiY, sad.ScreenPpiY);
    int w = MulDiv(GetImageWidth(style), sad.DevicePpiX, sad.ScreenPpiX);
    int h = MulDiv(GetImageHeight(style), sad.DevicePpiY, sad.ScreenPpiY);
    // Laid out smaller (scaled down to fit the page): the draw item's size.
    if (dli != nullptr && dli->Width > 0 && dli->Height > 0) {
        w = std::min(w, dli->Width - 2 * spaceX);
        h = std::min(h, dli->Height - 2 * spaceY);
    }
    const TRect dest = Bounds(x + spaceX, y + spaceY, w, h);
    // A printer's clip and origins are kept whatever the picture does to them.
    const int savedState = preview ? 0 : canvas->SaveDC();
    canvas->StretchDraw(dest, FImage.get());
    if (!preview)
        canvas->RestoreDC(savedState);
}

bool TRVGraphicItemInfo::PrintToBitmap(TBitmap* bkgnd, bool preview, TRVPrintingViewer*, TRVDrawLineInfo* dli,
                                       int part, TRVColorMode)
{
    if (FImage == nullptr)
        return false;
    const int offset = RVGetPrintPartOffset(dli, part);
    TCanvas* canvas = bkgnd->Canvas();
    // A picture printed smaller than it is shown (scaled down to fit a page):
    // the bitmap has the printed size, and the picture is stretched into it.
    if (part < 0 && (bkgnd->Width() < GetImageWidth(nullptr) || bkgnd->Height() < GetImageHeight(nullptr))) {
        canvas->StretchDraw(Rect(0, 0, bkgnd->Width(), bkgnd->Height()),
                            preview && FImageCopy ? FImageCopy.get() : FImage.get());
        return true;
    }
    if (ImageWidth < 1 && ImageHeight < 1) {
        canvas->Draw(0, offset, preview && FImageCopy ? FImageCopy.get() : FImage.get());
        return true;
    }
    if (preview && FImageCopy) {
        canvas->StretchDraw(Rect(0, offset, bkgnd->Width(), bkgnd->Height()), FImageCopy.get());
        return true;
    }
    const bool ownWidth = ImageWidth < 1 || ImageWidth == FImage->Width();
    const bool ownHeight = ImageHeight < 1 || ImageHeight == FImage->Height();
    if (ownWidth && ownHeight) {
        canvas->StretchDraw(Rect(0, offset, bkgnd->Width(), bkgnd->Height()), FImage.get());
        return true;
    }
    // Shown at another size: the bitmap takes the picture's own size (the
    // printing code stretches it), keeping what lies under a transparent picture.
    const bool transparent = RV_IsGraphicTransparent(FImage.get());
    std::unique_ptr<TBitmap> under;
    if (transparent) {
        under = std::make_unique<TBitmap>();
        under->Assign(bkgnd);
    }
    bkgnd->SetWidth(FImage->Width());
    if (part < 0)
        bkgnd->SetHeight(FImage->Height());
    canvas = bkgnd->Canvas(); // a new size makes a new canvas
    if (under != nullptr && !under->Empty())
        canvas->StretchDraw(Rect(0, 0, bkgnd->Width(), bkgnd->Height()), under.get());
    canvas->Draw(0, offset, FImage.get());
    return true;
}

void TRVGraphicItemInfo::OnDocWidthChange(int docWidth, TRVDrawLineInfo* dli, bool printing, TCanvas* canvas,
                                          TCustomRVData* rvData, const TRVScreenAndDevice* sad, int& hShift,
                                          int& desc, bool reformat)
{
    TRVRectItemInfo::OnDocWidthChange(docWidth, dli, printing, canvas, rvData, sad, hShift, desc, reformat);
    if (dli == nullptr)
        return;
    if (!printing || sad == nullptr) {
        dli->Width = GetWidth();
        dli->Height = GetHeight();
        return;
    }
    desc = MulDiv(desc, sad->DevicePpiY, sad->ScreenPpiY);
    // A picture split over pages keeps the size it was made with.
    if (dynamic_cast<TRVMultiImagePrintInfo*>(dli) != nullptr)
        return;
    const int spaceX = MulDiv(Spacing, sad->DevicePpiX, sad->ScreenPpiX);
    const int spaceY = MulDiv(Spacing, sad->DevicePpiY, sad->ScreenPpiY);
    int64_t w = MulDiv(GetImageWidth(nullptr), sad->DevicePpiX, sad->ScreenPpiX);
    int64_t h = MulDiv(GetImageHeight(nullptr), sad->DevicePpiY, sad->ScreenPpiY);
    auto* services = dynamic_cast<TRVPrintableDataServices*>(rvData);
    const int64_t maxW = docWidth - 2 * spaceX;
    const int64_t maxH = services != nullptr ? services->GetPrintablePageHeight() - 2 * spaceY : 0;
    if (maxW > 0 && w > maxW) {
        h = std::max<int64_t>(1, h * maxW / w);
        w = maxW;
    }
    if (maxH > 0 && h > maxH) {
        w = std::max<int64_t>(1, w * maxH / h);
        h = maxH;
    }
    dli->Width = static_cast<int>(w) + 2 * spaceX;
    dli->Height = static_cast<int>(h) + 2 * spaceY;
}

TRVDrawLineInfo* TRVGraphicItemInfo::CreatePrintingDrawItem(TCustomRVData*, const TRVScreenAndDevice& sad)
{
    // A picture shown at another height than its own is never split.
    const bool ownHeight = ImageHeight < 1 || (FImage && ImageHeight == FImage->Height());
    if (!GetBoolValueEx(rvbpPrintToBMP, nullptr) || MinHeightOnPage == 0 || !ownHeight)
        return new TRVDrawLineInfo;
    auto* dli = new TRVMultiImagePrintInfo(this);
    dli->sad = sad;
    dli->Width = MulDiv(GetWidth(), sad.DevicePpiX, sad.ScreenPpiX);
    dli->Height = MulDiv(GetHeight(), sad.DevicePpiY, sad.ScreenPpiY);
    return dli;
}

void TRVGraphicItemInfo::UpdatePaletteInfo(TRVPaletteAction paletteAction, bool forceRecreateCopy,
                                           HPALETTE palette, const TLogPalette* logPalette)
{
    const bool makesCopies = paletteAction == rvpaCreateCopies || paletteAction == rvpaCreateCopiesEx;
    if (!makesCopies || forceRecreateCopy || palette == 0)
        FImageCopy.reset();
    if (FImage == nullptr || logPalette == nullptr)
        return;
    if (paletteAction == rvpaAssignPallette) {
        RV_SetPaletteToPicture(FImage.get(), logPalette);
        return;
    }
    if (!makesCopies || FImageCopy)
        return;
    if (paletteAction == rvpaCreateCopiesEx && dynamic_cast<TJPEGImage*>(FImage.get()))
        FImageCopy = std::make_unique<TBitmap>();
    else
        FImageCopy = NewGraphicOfClass(FImage.get());
    if (FImageCopy == nullptr)
        return;
    FImageCopy->Assign(FImage.get());
    RV_SetPaletteToPicture(FImageCopy.get(), logPalette);
    if (auto* bitmap = dynamic_cast<TBitmap*>(FImageCopy.get()))
        bitmap->SetIgnorePalette(true);
}

void TRVGraphicItemInfo::MovingToUndoList(int itemNo, TCustomRVData* rvData, TObject* aContainerUndoItem)
{
    FImageCopy.reset();
    TRVRectItemInfo::MovingToUndoList(itemNo, rvData, aContainerUndoItem);
}

void TRVGraphicItemInfo::Assign(const TPersistent* source)
{
    const auto* item = dynamic_cast<const TRVGraphicItemInfo*>(source);
    if (item != nullptr && item != this) {
        ImageWidth = item->ImageWidth;
        ImageHeight = item->ImageHeight;
        FImage.reset();
        FImageCopy.reset();
        FImage = NewGraphicOfClass(item->FImage.get());
        if (FImage)
            FImage->Assign(item->FImage.get());
        FImageCopy = NewGraphicOfClass(item->FImageCopy.get());
        if (FImageCopy)
            FImageCopy->Assign(item->FImageCopy.get());
    }
    TRVRectItemInfo::Assign(source);
}

bool TRVGraphicItemInfo::SetExtraIntProperty(TRVExtraItemProperty prop, int value)
{
    auto* bitmap = dynamic_cast<TBitmap*>(FImage.get());
    switch (prop) {
    case rvepMinHeightOnPage:
        MinHeightOnPage = value;
        return true;
    case rvepImageWidth:
        ImageWidth = value;
        return true;
    case rvepImageHeight:
        ImageHeight = value;
        return true;
    case rvepTransparent:
        if (bitmap == nullptr)
            return false;
        bitmap->SetTransparent(value != 0);
        return true;
    case rvepTransparentMode:
        if (bitmap == nullptr)
            return false;
        bitmap->SetTransparentMode(value != 0 ? tmFixed : tmAuto);
        return true;
    case rvepTransparentColor:
        if (bitmap == nullptr)
            return false;
        bitmap->SetTransparentColor(static_cast<TColor>(value));
        return true;
    default:
        return TRVRectItemInfo::SetExtraIntProperty(prop, value);
    }
}

bool TRVGraphicItemInfo::GetExtraIntProperty(TRVExtraItemProperty prop, int& value) const
{
    const auto* bitmap = dynamic_cast<const TBitmap*>(FImage.get());
    switch (prop) {
    case rvepMinHeightOnPage:
        value = MinHeightOnPage;
        return true;
    case rvepImageWidth:
        value = ImageWidth;
        return true;
    case rvepImageHeight:
        value = ImageHeight;
        return true;
    case rvepTransparent:
        if (bitmap == nullptr)
            return false;
        value = bitmap->Transparent() ? 1 : 0;
        return true;
    case rvepTransparentMode:
        if (bitmap == nullptr)
            return false;
        value = static_cast<int>(bitmap->TransparentMode());
        return true;
    case rvepTransparentColor:
        if (bitmap == nullptr)
            return false;
        value = static_cast<int>(bitmap->TransparentColor());
        return true;
    default:
        return TRVRectItemInfo::GetExtraIntProperty(prop, value);
    }
}

// ---------------------------------------------------------------------------
// TRVHotGraphicItemInfo

TRVHotGraphicItemInfo::TRVHotGraphicItemInfo(TCustomRVData* rvData) : TRVGraphicItemInfo(rvData) {}

TRVHotGraphicItemInfo::TRVHotGraphicItemInfo(TCustomRVData* rvData, TGraphic* aImage, TRVVAlign avAlign)
    : TRVGraphicItemInfo(rvData, aImage, avAlign)
{
    StyleNo = rvsHotPicture;
}

TRVItemClass TRVHotGraphicItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVHotGraphicItemInfo>();
}

bool TRVHotGraphicItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const
{
    switch (prop) {
    case rvbpJump:
    case rvbpAllowsFocus:
    case rvbpXORFocus:
        return true;
    default:
        return TRVGraphicItemInfo::GetBoolValueEx(prop, rvStyle);
    }
}

void TRVHotGraphicItemInfo::Execute(TCustomRVData* rvData)
{
    // Only a laid-out document has hyperlink numbers and a handler for them.
    if (auto* handler = dynamic_cast<TRVJumpHandler*>(rvData))
        handler->DoJump(rvData->FirstJumpNo + GetJumpID());
}
