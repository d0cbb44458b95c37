// Printing a tall picture (or control image) over several pages: the picture
// is cut into slices no lower than the item's MinHeightOnPage.
#include "document/rvitem.h"
#include "document/rvstr.h"
#include "platform/core/numbers.h"

int TRVImagePrintPart::GetSoftPageBreakInfo() const
{
    return ImgTop;
}

TRVMultiImagePrintInfo::TRVMultiImagePrintInfo(TRVRectItemInfo* aItem) : Item(aItem) {}

void TRVMultiImagePrintInfo::SetSize(int, int)
{
    // The size in device pixels was set when the draw item was made.
}

int TRVMultiImagePrintInfo::ToScreen(int y) const
{
    return MulDiv(y, sad.ScreenPpiY, sad.DevicePpiY);
}

int TRVMultiImagePrintInfo::ToDevice(int y) const
{
    return MulDiv(y, sad.DevicePpiY, sad.ScreenPpiY);
}

bool TRVMultiImagePrintInfo::InitSplit()
{
    if (Item->MinHeightOnPage == 0)
        return false;
    // Parts of an earlier pagination are stale: start again from the whole picture.
    PartsList.Clear();
    auto* part = new TRVImagePrintPart;
    part->ImgTop = 0;
    part->ImgHeight = Item->GetImageHeight(nullptr);
    part->Height = ToDevice(part->ImgHeight);
    PartsList.Add(part);
    return true;
}

bool TRVMultiImagePrintInfo::CanSplitFirst(int y)
{
    const int s = ToScreen(y);
    const int minHeight = Item->MinHeightOnPage;
    if (s < 1 || !Item->GetBoolValueEx(rvbpPrintToBMP, nullptr) || minHeight < 1 || minHeight > s)
        return false;
    const int imageHeight = Item->GetImageHeight(nullptr);
    // Either a slice of at least MinHeight stays for the next page, or the whole picture fits.
    return imageHeight - s >= minHeight || imageHeight < s;
}

bool TRVMultiImagePrintInfo::SplitAt(int y)
{
    const int minHeight = Item->MinHeightOnPage;
    if (minHeight < 1)
        return false;
    auto* last = PartsList.Count() > 0 ? dynamic_cast<TRVImagePrintPart*>(PartsList.Last()) : nullptr;
    if (last == nullptr)
        throw ERollViewError(errRVInternalPrinting);
    if (minHeight >= last->ImgHeight)
        return false;
    const int s = ToScreen(y);
    const int rest = last->ImgHeight - s;
    if (minHeight > rest || minHeight > s)
        return false;
    last->ImgHeight = s;
    last->Height = ToDevice(s);
    auto* part = new TRVImagePrintPart;
    part->ImgTop = last->ImgTop + s;
    part->ImgHeight = rest;
    part->Height = ToDevice(rest);
    PartsList.Add(part);
    return true;
}
