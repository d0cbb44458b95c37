// Bullets and hot spots: images of an image list shown inline; a hot spot is
// a hyperlink that shows another image while the mouse is over it.
#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "platform/core/colors.h"
#include "platform/core/numbers.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/imagelist.h"

namespace {

bool AtTailEnd(const TRVFLineCursor& p)
{
    const char c = p.Peek();
    return c == '\0' || c == '\n' || c == '\r';
}

} // namespace

// ---------------------------------------------------------------------------
// TRVBulletItemInfo

TRVBulletItemInfo::TRVBulletItemInfo(TCustomRVData* rvData) : TRVRectItemInfo(rvData) {}

TRVBulletItemInfo::TRVBulletItemInfo(TCustomRVData* rvData, int aImageIndex, TCustomImageList* aImageList,
                                     TRVVAlign avAlign)
    : TRVRectItemInfo(rvData)
{
    StyleNo = rvsBullet;
    ImageIndex = aImageIndex;
    ImageList = aImageList;
    VAlign = avAlign;
}

TRVItemClass TRVBulletItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVBulletItemInfo>();
}

int TRVBulletItemInfo::GetImageIndex(bool hot) const
{
    (void)hot;
    return ImageIndex;
}

int TRVBulletItemInfo::GetImageWidth(TRVStyle*) const
{
    return ImageList != nullptr ? ImageList->Width() : 0;
}

int TRVBulletItemInfo::GetImageHeight(TRVStyle*) const
{
    return ImageList != nullptr ? ImageList->Height() : 0;
}

int TRVBulletItemInfo::GetWidth() const
{
    return GetImageWidth(nullptr) + 2 * Spacing;
}

int TRVBulletItemInfo::GetHeight() const
{
    return GetImageHeight(nullptr) + 2 * Spacing;
}

int TRVBulletItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas*, TCustomRVData*)
{
    const int width = GetWidth();
    if (sad != nullptr)
        return MulDiv(width, sad->DevicePpiX, sad->ScreenPpiX);
    return width;
}

bool TRVBulletItemInfo::GetBoolValue(TRVItemBoolProperty prop) const
{
    switch (prop) {
    case rvbpValid:
        return ImageList != nullptr;
    case rvbpDisplayActiveState:
        return true;
    default:
        return TRVRectItemInfo::GetBoolValue(prop);
    }
}

void TRVBulletItemInfo::Paint(int x, int y, TCanvas* canvas, TRVItemDrawStates state, TRVStyle* style,
                              TRVDrawLineInfo* dli)
{
    (void)dli;
    TColor blend = clNone;
    if (state.Contains(rvidsSelected) && style != nullptr)
        blend = state.Contains(rvidsControlFocused) ? style->SelColor() : style->InactiveSelColor();
    const int width = GetImageWidth(style);
    const int height = GetImageHeight(style);
    if (blend != clNone)
        ImageList_DrawEx(ImageList, GetImageIndex(state.Contains(rvidsHover)), canvas, x + Spacing,
                         y + Spacing, width, height, CLR_NONE, ColorToRGB(blend),
                         ILD_TRANSPARENT | ILD_BLEND50);
    else
        ImageList_DrawEx(ImageList, GetImageIndex(state.Contains(rvidsHover)), canvas, x + Spacing,
                         y + Spacing, width, height, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    if (state.Contains(rvidsCurrent) && style != nullptr && style->HoverColor() != clNone) {
        // The frame is filled with whatever brush the canvas holds, as drawn before.
        canvas->Pen()->SetColor(style->HoverColor());
        canvas->Rectangle(x, y, x + width + 2 * Spacing, y + height + 2 * Spacing);
    }
}

bool TRVBulletItemInfo::PrintToBitmap(TBitmap* bkgnd, bool, TRVPrintingViewer*, TRVDrawLineInfo*, int,
                                      TRVColorMode)
{
    // Printing shows the plain image, never the hot one.
    if (ImageList != nullptr)
        ImageList->Draw(bkgnd->Canvas(), 0, 0, ImageIndex, true);
    return true;
}

void TRVBulletItemInfo::Assign(const TPersistent* source)
{
    if (const auto* item = dynamic_cast<const TRVBulletItemInfo*>(source)) {
        ImageList = item->ImageList;
        ImageIndex = item->ImageIndex;
    }
    TRVRectItemInfo::Assign(source);
}

AnsiString TRVBulletItemInfo::SaveRVFHeaderTail(TCustomRVData*)
{
    const int listTag = ImageList != nullptr ? ImageList->Tag() : 0;
    return Format("%d %d", {listTag, ImageIndex});
}

void TRVBulletItemInfo::SaveRVF(TStream& stream, TCustomRVData* rvData, int, int paraNo,
                                const AnsiString& name, TRVMultiDrawItemPart*, bool forceSameAsPrev)
{
    WriteRVFHeader(stream, rvData, paraNo, GetRVFExtraPropertyCount() + 1, 0, forceSameAsPrev);
    RVFWriteLine(stream, RVFMakeLineSafe(name, false));
    SaveRVFExtraProperties(stream);
}

bool TRVBulletItemInfo::CheckImageIndex(TCustomRVData* rvData, int& index) const
{
    if (ImageList == nullptr || index < ImageList->Count())
        return true;
    rvData->SetRVFWarnings(rvData->GetRVFWarnings() + TRVFWarnings{rvfwConvLargeImageIdx});
    if (!rvData->GetRVFOptions().Contains(rvfoConvLargeImageIdxToZero))
        return false;
    index = 0;
    return true;
}

bool TRVBulletItemInfo::ReadBulletFields(TRVFLineCursor& p, TCustomRVData* rvData)
{
    int listTag = 0, index = 0;
    if (!RVFReadInteger(p, listTag) || !RVFReadInteger(p, index))
        return false;
    ImageList = rvData != nullptr ? rvData->RVFImageListNeeded(listTag) : nullptr;
    ImageIndex = index;
    return CheckImageIndex(rvData, ImageIndex);
}

bool TRVBulletItemInfo::ReadRVFHeader(TRVFLineCursor& p, TCustomRVData* rvData)
{
    return ReadBulletFields(p, rvData);
}

bool TRVBulletItemInfo::ReadRVFLine(const AnsiString& s, TCustomRVData*, int, int lineNo, int,
                                    AnsiString& name, TRVFReadMode&, TRVFReadState&)
{
    if (lineNo == 0)
        name = s;
    else
        SetExtraPropertyFromRVFStr(s);
    return true;
}

// ---------------------------------------------------------------------------
// TRVHotspotItemInfo

TRVHotspotItemInfo::TRVHotspotItemInfo(TCustomRVData* rvData) : TRVBulletItemInfo(rvData) {}

TRVHotspotItemInfo::TRVHotspotItemInfo(TCustomRVData* rvData, int aImageIndex, int aHotImageIndex,
                                       TCustomImageList* aImageList, TRVVAlign avAlign)
    : TRVBulletItemInfo(rvData, aImageIndex, aImageList, avAlign)
{
    StyleNo = rvsHotspot;
    HotImageIndex = aHotImageIndex;
}

TRVItemClass TRVHotspotItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVHotspotItemInfo>();
}

int TRVHotspotItemInfo::GetImageIndex(bool hot) const
{
    return hot ? HotImageIndex : ImageIndex;
}

bool TRVHotspotItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const
{
    switch (prop) {
    case rvbpJump:
    case rvbpAllowsFocus:
    case rvbpXORFocus:
        return true;
    case rvbpHotColdJump:
        return ImageIndex != HotImageIndex;
    default:
        return TRVBulletItemInfo::GetBoolValueEx(prop, rvStyle);
    }
}

void TRVHotspotItemInfo::Assign(const TPersistent* source)
{
    if (const auto* item = dynamic_cast<const TRVHotspotItemInfo*>(source))
        HotImageIndex = item->HotImageIndex;
    TRVBulletItemInfo::Assign(source);
}

AnsiString TRVHotspotItemInfo::SaveRVFHeaderTail(TCustomRVData* rvData)
{
    return Format("%s %d", {TRVBulletItemInfo::SaveRVFHeaderTail(rvData), HotImageIndex});
}

bool TRVHotspotItemInfo::ReadRVFHeader(TRVFLineCursor& p, TCustomRVData* rvData)
{
    if (!ReadBulletFields(p, rvData))
        return false;
    if (AtTailEnd(p)) {
        HotImageIndex = ImageIndex;
        return true;
    }
    int index = 0;
    if (!RVFReadInteger(p, index))
        return false;
    HotImageIndex = index;
    return CheckImageIndex(rvData, HotImageIndex);
}
