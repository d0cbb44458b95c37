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

bool AtTailEnd(const TRVFLineCursor& P)
{
    const char c = P.Peek();
    return c == '\0' || c == '\n' || c == '\r';
}

} // namespace

// ---------------------------------------------------------------------------
// TRVBulletItemInfo

TRVBulletItemInfo::TRVBulletItemInfo(TCustomRVData* RVData) : TRVRectItemInfo(RVData) {}

TRVBulletItemInfo::TRVBulletItemInfo(TCustomRVData* RVData, int AImageIndex, TCustomImageList* AImageList,
                                     TRVVAlign AVAlign)
    : TRVRectItemInfo(RVData)
{
    StyleNo = rvsBullet;
    ImageIndex = AImageIndex;
    ImageList = AImageList;
    VAlign = AVAlign;
}

TRVItemClass TRVBulletItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVBulletItemInfo>();
}

int TRVBulletItemInfo::GetImageIndex(bool Hot) const
{
    (void)Hot;
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
    const int Width = GetWidth();
    if (sad != nullptr)
        return MulDiv(Width, sad->DevicePpiX, sad->ScreenPpiX);
    return Width;
}

bool TRVBulletItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const
{
    switch (Prop) {
    case rvbpValid:
        return ImageList != nullptr;
    case rvbpDisplayActiveState:
        return true;
    default:
        return TRVRectItemInfo::GetBoolValue(Prop);
    }
}

void TRVBulletItemInfo::Paint(int X, int Y, TCanvas* Canvas, TRVItemDrawStates State, TRVStyle* Style,
                              TRVDrawLineInfo* dli)
{
    (void)dli;
    TColor Blend = clNone;
    if (State.Contains(rvidsSelected) && Style != nullptr)
        Blend = State.Contains(rvidsControlFocused) ? Style->SelColor() : Style->InactiveSelColor();
    const int Width = GetImageWidth(Style);
    const int Height = GetImageHeight(Style);
    if (Blend != clNone)
        ImageList_DrawEx(ImageList, GetImageIndex(State.Contains(rvidsHover)), Canvas, X + Spacing,
                         Y + Spacing, Width, Height, CLR_NONE, ColorToRGB(Blend),
                         ILD_TRANSPARENT | ILD_BLEND50);
    else
        ImageList_DrawEx(ImageList, GetImageIndex(State.Contains(rvidsHover)), Canvas, X + Spacing,
                         Y + Spacing, Width, Height, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    if (State.Contains(rvidsCurrent) && Style != nullptr && Style->HoverColor() != clNone) {
        // The frame is filled with whatever brush the canvas holds, as drawn before.
        Canvas->Pen()->SetColor(Style->HoverColor());
        Canvas->Rectangle(X, Y, X + Width + 2 * Spacing, Y + Height + 2 * Spacing);
    }
}

bool TRVBulletItemInfo::PrintToBitmap(TBitmap* Bkgnd, bool, TRVPrintingViewer*, TRVDrawLineInfo*, int,
                                      TRVColorMode)
{
    // Printing shows the plain image, never the hot one.
    if (ImageList != nullptr)
        ImageList->Draw(Bkgnd->Canvas(), 0, 0, ImageIndex, true);
    return true;
}

void TRVBulletItemInfo::Assign(const TPersistent* Source)
{
    if (const auto* Item = dynamic_cast<const TRVBulletItemInfo*>(Source)) {
        ImageList = Item->ImageList;
        ImageIndex = Item->ImageIndex;
    }
    TRVRectItemInfo::Assign(Source);
}

AnsiString TRVBulletItemInfo::SaveRVFHeaderTail(TCustomRVData*)
{
    const int ListTag = ImageList != nullptr ? ImageList->Tag() : 0;
    return Format("%d %d", {ListTag, ImageIndex});
}

void TRVBulletItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int, int ParaNo,
                                const AnsiString& Name, TRVMultiDrawItemPart*, bool ForceSameAsPrev)
{
    WriteRVFHeader(Stream, RVData, ParaNo, GetRVFExtraPropertyCount() + 1, 0, ForceSameAsPrev);
    RVFWriteLine(Stream, RVFMakeLineSafe(Name, false));
    SaveRVFExtraProperties(Stream);
}

bool TRVBulletItemInfo::CheckImageIndex(TCustomRVData* RVData, int& Index) const
{
    if (ImageList == nullptr || Index < ImageList->Count())
        return true;
    RVData->SetRVFWarnings(RVData->GetRVFWarnings() + TRVFWarnings{rvfwConvLargeImageIdx});
    if (!RVData->GetRVFOptions().Contains(rvfoConvLargeImageIdxToZero))
        return false;
    Index = 0;
    return true;
}

bool TRVBulletItemInfo::ReadBulletFields(TRVFLineCursor& P, TCustomRVData* RVData)
{
    int ListTag = 0, Index = 0;
    if (!RVFReadInteger(P, ListTag) || !RVFReadInteger(P, Index))
        return false;
    ImageList = RVData != nullptr ? RVData->RVFImageListNeeded(ListTag) : nullptr;
    ImageIndex = Index;
    return CheckImageIndex(RVData, ImageIndex);
}

bool TRVBulletItemInfo::ReadRVFHeader(TRVFLineCursor& P, TCustomRVData* RVData)
{
    return ReadBulletFields(P, RVData);
}

bool TRVBulletItemInfo::ReadRVFLine(const AnsiString& s, TCustomRVData*, int, int LineNo, int,
                                    AnsiString& Name, TRVFReadMode&, TRVFReadState&)
{
    if (LineNo == 0)
        Name = s;
    else
        SetExtraPropertyFromRVFStr(s);
    return true;
}

// ---------------------------------------------------------------------------
// TRVHotspotItemInfo

TRVHotspotItemInfo::TRVHotspotItemInfo(TCustomRVData* RVData) : TRVBulletItemInfo(RVData) {}

TRVHotspotItemInfo::TRVHotspotItemInfo(TCustomRVData* RVData, int AImageIndex, int AHotImageIndex,
                                       TCustomImageList* AImageList, TRVVAlign AVAlign)
    : TRVBulletItemInfo(RVData, AImageIndex, AImageList, AVAlign)
{
    StyleNo = rvsHotspot;
    HotImageIndex = AHotImageIndex;
}

TRVItemClass TRVHotspotItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVHotspotItemInfo>();
}

int TRVHotspotItemInfo::GetImageIndex(bool Hot) const
{
    return Hot ? HotImageIndex : ImageIndex;
}

bool TRVHotspotItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* RVStyle) const
{
    switch (Prop) {
    case rvbpJump:
    case rvbpAllowsFocus:
    case rvbpXORFocus:
        return true;
    case rvbpHotColdJump:
        return ImageIndex != HotImageIndex;
    default:
        return TRVBulletItemInfo::GetBoolValueEx(Prop, RVStyle);
    }
}

void TRVHotspotItemInfo::Assign(const TPersistent* Source)
{
    if (const auto* Item = dynamic_cast<const TRVHotspotItemInfo*>(Source))
        HotImageIndex = Item->HotImageIndex;
    TRVBulletItemInfo::Assign(Source);
}

AnsiString TRVHotspotItemInfo::SaveRVFHeaderTail(TCustomRVData* RVData)
{
    return Format("%s %d", {TRVBulletItemInfo::SaveRVFHeaderTail(RVData), HotImageIndex});
}

bool TRVHotspotItemInfo::ReadRVFHeader(TRVFLineCursor& P, TCustomRVData* RVData)
{
    if (!ReadBulletFields(P, RVData))
        return false;
    if (AtTailEnd(P)) {
        HotImageIndex = ImageIndex;
        return true;
    }
    int Index = 0;
    if (!RVFReadInteger(P, Index))
        return false;
    HotImageIndex = Index;
    return CheckImageIndex(RVData, HotImageIndex);
}
