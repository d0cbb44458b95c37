// Data laid out inside a rectangle of a page (TRectPtblRVData), the page's
// header and footer (TRVHeaderFooterRVData), and the page events of the print
// component's data: the header and footer painted, the margins clipped.
#include "document/rvstyle.h"
#include "platform/graphics/bitmap.h"
#include "print/ptblrv.h"
#include "print/ptrvdata.h"

// ---- TRectPtblRVData

TRectPtblRVData::TRectPtblRVData(TCustomRollView* ARollView, TCustomRVFormattedData* SourceData,
                                 TCustomPrintableRVData* ParentData)
    : TCustomPrintableRVData(ARollView), SourceDataForPrinting(SourceData), ParentPrintData(ParentData)
{
    ShareItemsFrom(SourceData);
}

TCustomMainPtblRVData* TRectPtblRVData::RootPrintData() const
{
    TCustomPrintableRVData* Data = ParentPrintData;
    while (auto* Rect = dynamic_cast<TRectPtblRVData*>(Data))
        Data = Rect->ParentPrintData;
    return dynamic_cast<TCustomMainPtblRVData*>(Data);
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
    TCustomMainPtblRVData* Root = RootPrintData();
    return Root ? Root->ColorMode : rvcmPrinterColor;
}

void TRectPtblRVData::GetSADForFormatting(TCanvas* Canvas, TRVScreenAndDevice& sad)
{
    if (TCustomMainPtblRVData* Root = RootPrintData())
        sad = Root->PrnSaD;
    else
        TCustomPrintableRVData::GetSADForFormatting(Canvas, sad);
}

void TRectPtblRVData::FormatOn(TCanvas* Canvas)
{
    FLayoutCanvas = Canvas;
    try {
        Format_(false, true, false, 0, Canvas, false, false);
    } catch (...) {
        FLayoutCanvas = nullptr;
        throw;
    }
    FLayoutCanvas = nullptr;
}

void TRectPtblRVData::DrawBackToBitmap(int ALeft, int ATop, TBitmap* Bitmap, const TRVScreenAndDevice& sad,
                                       int ItemBackgroundLayer, bool RelativeToItem)
{
    const TCustomRVItemInfo* Item = CurrentDrawItem ? GetItem(CurrentDrawItem->ItemNo) : nullptr;
    const bool ParaColored =
        Item && GetRVStyle()->ParaStyles()->Items(Item->ParaNo)->Background()->Color() != clNone;
    if (ParaColored || !Transparent || ParentPrintData == nullptr) {
        TCustomPrintableRVData::DrawBackToBitmap(ALeft, ATop, Bitmap, sad, ItemBackgroundLayer,
                                                 RelativeToItem);
        return;
    }
    if (RelativeToItem && CurrentDrawItem) {
        ALeft += RV_XToScreen(CurrentDrawItem->Left, sad);
        ATop += RV_YToScreen(CurrentItemTop - GetPrintableAreaTop(), sad);
    }
    const int Page = ParentPrintData->CurrentPageNo;
    ALeft += RV_XToScreen(GetPrintableAreaLeft(Page) - ParentPrintData->GetPrintableAreaLeft(Page), sad);
    ATop += RV_YToScreen(GetPrintableAreaTop() - ParentPrintData->GetPrintableAreaTop(), sad);
    ParentPrintData->DrawBackToBitmap(ALeft, ATop, Bitmap, sad, 0, false);
    if (ItemBackgroundLayer != 0 && Item)
        GetItem(CurrentDrawItem->ItemNo)
            ->DrawBackgroundForPrinting(Bitmap->Canvas(), Rect(0, 0, Bitmap->Width(), Bitmap->Height()),
                                        Rect(0, 0, Bitmap->Width(), Bitmap->Height()), GetColorMode(),
                                        ItemBackgroundLayer);
}

// ---- TRVHeaderFooterRVData

TRVHeaderFooterRVData::TRVHeaderFooterRVData(TCustomRollView* ARollView, TCustomRVFormattedData* SourceData,
                                             TCustomPrintableRVData* ParentData)
    : TRectPtblRVData(ARollView, SourceData, ParentData)
{
    Color = clNone;
}

// ---- The print component's page events

TRect TPrintableRVData::PrintArea(int PageNo)
{
    const int L = GetPrintableAreaLeft(PageNo);
    const int T = GetPrintableAreaTop();
    return Rect(L, T, L + GetWidth(), T + GetHeight());
}

void TPrintableRVData::DoPagePrepaint(TCanvas* Canvas, int PageNo, bool Preview, bool Correction)
{
    const TRect Area = PrintArea(PageNo);
    auto* Print = dynamic_cast<TRVPrint*>(PrintableRV()->RVPrint);
    if (Print && Print->OnPagePrepaint)
        Print->OnPagePrepaint(Print, PageNo, Canvas, Preview, PageRect(), Area);
    if (FHeader)
        FHeader->DrawPage(PageNo, Canvas, Preview, Correction);
    if (FFooter)
        FFooter->DrawPage(PageNo, Canvas, Preview, Correction);
    if (Print && Print->ClipMargins)
        Canvas->IntersectClipRect(Area.Left, Area.Top, Area.Right, Area.Bottom);
}

void TPrintableRVData::DoPagePostpaint(TCanvas* Canvas, int PageNo, bool Preview)
{
    auto* Print = dynamic_cast<TRVPrint*>(PrintableRV()->RVPrint);
    if (Print && Print->OnPagePostpaint)
        Print->OnPagePostpaint(Print, PageNo, Canvas, Preview, PageRect(), PrintArea(PageNo));
}
