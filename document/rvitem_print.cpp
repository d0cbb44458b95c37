// Printing a tall picture (or control image) over several pages: the picture
// is cut into slices no lower than the item's MinHeightOnPage.
#include "document/rvitem.h"
#include "document/rvstr.h"
#include "platform/core/numbers.h"

int TRVImagePrintPart::GetSoftPageBreakInfo() const
{
    return ImgTop;
}

TRVMultiImagePrintInfo::TRVMultiImagePrintInfo(TRVRectItemInfo* AItem) : Item(AItem) {}

void TRVMultiImagePrintInfo::SetSize(int, int)
{
    // The size in device pixels was set when the draw item was made.
}

int TRVMultiImagePrintInfo::ToScreen(int Y) const
{
    return MulDiv(Y, sad.ScreenPpiY, sad.DevicePpiY);
}

int TRVMultiImagePrintInfo::ToDevice(int Y) const
{
    return MulDiv(Y, sad.DevicePpiY, sad.ScreenPpiY);
}

bool TRVMultiImagePrintInfo::InitSplit()
{
    if (Item->MinHeightOnPage == 0)
        return false;
    // Parts of an earlier pagination are stale: start again from the whole picture.
    PartsList.Clear();
    auto* Part = new TRVImagePrintPart;
    Part->ImgTop = 0;
    Part->ImgHeight = Item->GetImageHeight(nullptr);
    Part->Height = ToDevice(Part->ImgHeight);
    PartsList.Add(Part);
    return true;
}

bool TRVMultiImagePrintInfo::CanSplitFirst(int Y)
{
    const int S = ToScreen(Y);
    const int MinHeight = Item->MinHeightOnPage;
    if (S < 1 || !Item->GetBoolValueEx(rvbpPrintToBMP, nullptr) || MinHeight < 1 || MinHeight > S)
        return false;
    const int ImageHeight = Item->GetImageHeight(nullptr);
    // Either a slice of at least MinHeight stays for the next page, or the whole picture fits.
    return ImageHeight - S >= MinHeight || ImageHeight < S;
}

bool TRVMultiImagePrintInfo::SplitAt(int Y)
{
    const int MinHeight = Item->MinHeightOnPage;
    if (MinHeight < 1)
        return false;
    auto* Last = PartsList.Count() > 0 ? dynamic_cast<TRVImagePrintPart*>(PartsList.Last()) : nullptr;
    if (Last == nullptr)
        throw ERollViewError(errRVInternalPrinting);
    if (MinHeight >= Last->ImgHeight)
        return false;
    const int S = ToScreen(Y);
    const int Rest = Last->ImgHeight - S;
    if (MinHeight > Rest || MinHeight > S)
        return false;
    Last->ImgHeight = S;
    Last->Height = ToDevice(S);
    auto* Part = new TRVImagePrintPart;
    Part->ImgTop = Last->ImgTop + S;
    Part->ImgHeight = Rest;
    Part->Height = ToDevice(Rest);
    PartsList.Add(Part);
    return true;
}
