// Data laid out inside a rectangle of a page (TRectPtblRVData), the page's
// header and footer (TRVHeaderFooterRVData), and the page events of the print
// component's data: the header and footer painted, the margins clipped.
#include "document/rvstyle.h"
#include "platform/graphics/bitmap.h"
#include "print/ptblrv.h"
#include "print/ptrvdata.h"

// ---- TRectPtblRVData

TRectPtblRVData::TRectPtblRVData(TCustomRollView* aRollView, TCustomRVFormattedData* sourceData,
                                 TCustomPrintableRVData* parentData)
    : TCustomPrintableRVData(aRollView), SourceDataForPrinting(sourceData), ParentPrintData(parentData)
{
    ShareItemsFrom(sourceData);
}

TCustomMainPtblRVData* TRectPtblRVData::RootPrintData() const
{
    TCustomPrintableRVData* data = ParentPrintData;
    while (auto* rect = dynamic_cast<TRectPtblRVData*>(data))
        data = rect->ParentPrintData;
    return dynamic_cast<TCustomMainPtblRVData*>(data);
}

int TRectPtblRVData::GetTopCoord(int)
{
    return -(Top + DY);
}

int TRectPtblRVData::GetPrintableAreaLeft(int)
{
    return Left + DX;
}

TRVColorMode TRectPtblRVData::GetColorMode()
{
    TCustomMainPtblRVData* root = RootPrintData();
    return root ? root->ColorMode : rvcmPrinterColor;
}

int TRectPtblRVData::GetPrintablePageHeight()
{
    TCustomMainPtblRVData* root = RootPrintData();
    return root ? root->GetPrintablePageHeight() : 0;
}

void TRectPtblRVData::GetSADForFormatting(TCanvas* canvas, TRVScreenAndDevice& sad)
{
    if (TCustomMainPtblRVData* root = RootPrintData())
        sad = root->PrnSaD;
    else
        TCustomPrintableRVData::GetSADForFormatting(canvas, sad);
}

void TRectPtblRVData::FormatOn(TCanvas* canvas)
{
    FLayoutCanvas = canvas;
    try {
        Format_(false, true, false, 0, canvas, false, false);
    } catch (...) {
        FLayoutCanvas = nullptr;
        throw;
    }
    FLayoutCanvas = nullptr;
}

void TRectPtblRVData::DrawBackToBitmap(int aLeft, int aTop, TBitmap* bitmap, const TRVScreenAndDevice& sad,
                                       int itemBackgroundLayer, bool relativeToItem)
{
    const TCustomRVItemInfo* item = CurrentDrawItem ? GetItem(CurrentDrawItem->ItemNo) : nullptr;
    const bool paraColored =
        item && GetRVStyle()->ParaStyles()->Items(item->ParaNo)->Background()->Color() != clNone;
    if (paraColored || !Transparent || ParentPrintData == nullptr) {
        TCustomPrintableRVData::DrawBackToBitmap(aLeft, aTop, bitmap, sad, itemBackgroundLayer,
                                                 relativeToItem);
        return;
    }
    if (relativeToItem && CurrentDrawItem) {
        aLeft += RV_XToScreen(CurrentDrawItem->Left, sad);
        aTop += RV_YToScreen(CurrentItemTop - GetPrintableAreaTop(), sad);
    }
    const int page = ParentPrintData->CurrentPageNo;
    aLeft += RV_XToScreen(GetPrintableAreaLeft(page) - ParentPrintData->GetPrintableAreaLeft(page), sad);
    aTop += RV_YToScreen(GetPrintableAreaTop() - ParentPrintData->GetPrintableAreaTop(), sad);
    ParentPrintData->DrawBackToBitmap(aLeft, aTop, bitmap, sad, 0, false);
    if (itemBackgroundLayer != 0 && item)
        GetItem(CurrentDrawItem->ItemNo)
            ->DrawBackgroundForPrinting(bitmap->Canvas(), Rect(0, 0, bitmap->Width(), bitmap->Height()),
                                        Rect(0, 0, bitmap->Width(), bitmap->Height()), GetColorMode(),
                                        itemBackgroundLayer);
}

// ---- TRVHeaderFooterRVData

TRVHeaderFooterRVData::TRVHeaderFooterRVData(TCustomRollView* aRollView, TCustomRVFormattedData* sourceData,
                                             TCustomPrintableRVData* parentData)
    : TRectPtblRVData(aRollView, sourceData, parentData)
{
    Color = clNone;
}

// ---- The print component's page events

TRect TPrintableRVData::PrintArea(int pageNo)
{
    const int l = GetPrintableAreaLeft(pageNo);
    const int t = GetPrintableAreaTop();
    return Rect(l, t, l + GetWidth(), t + GetHeight());
}

void TPrintableRVData::DoPagePrepaint(TCanvas* canvas, int pageNo, bool preview, bool correction)
{
    const TRect area = PrintArea(pageNo);
    auto* print = dynamic_cast<TRVPrint*>(PrintableRV()->RVPrint);
    if (print && print->OnPagePrepaint)
        print->OnPagePrepaint(print, pageNo, canvas, preview, PageRect(), area);
    // Header and footer follow the page's left margin (mirrored on even pages).
    const int dx = area.Left - LeftMarginPix;
    if (FHeader) {
        FHeader->DX = dx;
        FHeader->DrawPage(pageNo, canvas, preview, correction);
    }
    if (FFooter) {
        FFooter->DX = dx;
        FFooter->DrawPage(pageNo, canvas, preview, correction);
    }
    if (print && print->ClipMargins)
        canvas->IntersectClipRect(area.Left, area.Top, area.Right, area.Bottom);
}

void TPrintableRVData::DoPagePostpaint(TCanvas* canvas, int pageNo, bool preview)
{
    auto* print = dynamic_cast<TRVPrint*>(PrintableRV()->RVPrint);
    if (print && print->OnPagePostpaint)
        print->OnPagePostpaint(print, pageNo, canvas, preview, PageRect(), PrintArea(pageNo));
}
