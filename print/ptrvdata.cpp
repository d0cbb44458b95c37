// The printable data: construction, the layout environment at the printer's
// resolution, and Prepare (margins in device pixels, header and footer).
#include "print/ptrvdata.h"

#include <algorithm>

#include "document/rvstyle.h"
#include "platform/controls/printers.h"
#include "platform/core/numbers.h"
#include "print/ptblrv.h"
#include "view/rollview.h"

namespace {

// Millimetres to device pixels: MulDiv(mm, ppi * 5, 127).
int MMToPix(int mm, int ppi)
{
    return MulDiv(mm, ppi * 5, 127);
}

} // namespace

// ---- TCustomPrintableRVData

TCustomPrintableRVData::TCustomPrintableRVData(TCustomRollView* ARollView) : TRollViewRVData(ARollView) {}

TCustomPrintableRVData::~TCustomPrintableRVData()
{
    // The items belong to the shared store: only the draw items go.
    ClearTemporal();
}

int TCustomPrintableRVData::GetTopCoord(int)
{
    return 0;
}

int TCustomPrintableRVData::GetTopCoord2(int)
{
    return 0;
}

int TCustomPrintableRVData::GetPrintableAreaLeft(int)
{
    return 0;
}

void TCustomPrintableRVData::DoPagePrepaint(TCanvas*, int, bool, bool) {}

void TCustomPrintableRVData::DoPagePostpaint(TCanvas*, int, bool) {}

void TCustomPrintableRVData::GetDrawItemsRange(int, int& StartNo, int& EndNo, int& Part)
{
    StartNo = 0;
    EndNo = DrawItems.Count() - 1;
    Part = -1;
}

void TCustomPrintableRVData::CheckPageNo(int) {}

// ---- TCustomMainPtblRVData

TCustomMainPtblRVData::TCustomMainPtblRVData(TCustomRollView* ARollView) : TCustomPrintableRVData(ARollView)
{}

TCustomMainPtblRVData::~TCustomMainPtblRVData() = default;

void TCustomMainPtblRVData::Clear()
{
    TCustomPrintableRVData::Clear();
    Pages.clear();
    FirstMarkerListNo = -1;
    FirstMarkerLevel = -1;
}

bool TCustomMainPtblRVData::GetFirstItemMarker(int& ListNo, int& Level)
{
    if (!State.Contains(rvstFirstParaAborted))
        return TCustomPrintableRVData::GetFirstItemMarker(ListNo, Level);
    ListNo = FirstMarkerListNo;
    Level = FirstMarkerLevel;
    return ListNo >= 0;
}

void TCustomMainPtblRVData::GetSADForFormatting(TCanvas*, TRVScreenAndDevice& sad)
{
    sad = PrnSaD;
}

TColor TCustomMainPtblRVData::GetColor()
{
    return Transparent ? clNone : TCustomPrintableRVData::GetColor();
}

TRVBackground* TCustomMainPtblRVData::GetBack()
{
    return RollView()->Background();
}

int TCustomMainPtblRVData::GetTopCoord(int PageNo)
{
    int Result = Pages[PageNo - 1].StartY - TopMarginPix - TmpTMPix;
    if (PageNo == 1)
        Result -= GetStartAt();
    return Result;
}

int TCustomMainPtblRVData::GetTopCoord2(int PageNo)
{
    int Result = Pages[PageNo - 1].StartY2 - TopMarginPix - TmpTMPix;
    if (PageNo == 1)
        Result -= GetStartAt();
    return Result;
}

int TCustomMainPtblRVData::GetPrintableAreaLeft(int)
{
    return LeftMarginPix;
}

void TCustomMainPtblRVData::CheckPageNo(int PageNo)
{
    if (PageNo < 1 || PageNo > PagesCount())
        throw ERollViewError(errRVInvalidPageNo);
}

void TCustomMainPtblRVData::DrawPage(int PageNo, TCanvas* Canvas, bool Preview, bool Correction)
{
    if (PageNo < 1 || PageNo > PagesCount())
        return;
    TCustomPrintableRVData::DrawPage(PageNo, Canvas, Preview, Correction);
}

void TCustomMainPtblRVData::DoFormatting(int, TRVPrintingStep) {}

void TCustomMainPtblRVData::SetClientSize(int Width, int Height)
{
    FClientWidth = Width;
    FClientHeight = Height;
}

void TCustomMainPtblRVData::Prepare()
{
    TRVScreenAndDevice sad;
    TCustomPrintableRVData::GetSADForFormatting(PrinterCanvas, sad);
    PrnSaD = sad;
    TmpTMPix = MulDiv(TmpTM, PrnSaD.DevicePpiY, PrnSaD.ScreenPpiY);
    TmpBMPix = MulDiv(TmpBM, PrnSaD.DevicePpiY, PrnSaD.ScreenPpiY);
}

// ---- TPrintableRVData

TPrintableRVData::TPrintableRVData(TCustomRollView* ARollView) : TCustomMainPtblRVData(ARollView) {}

TPrintableRVData::~TPrintableRVData() = default;

TCustomPrintableRV* TPrintableRVData::PrintableRV() const
{
    return static_cast<TCustomPrintableRV*>(RollView());
}

void TPrintableRVData::SetHeader(std::unique_ptr<TRVHeaderFooterRVData> Value)
{
    FHeader = std::move(Value);
}

void TPrintableRVData::SetFooter(std::unique_ptr<TRVHeaderFooterRVData> Value)
{
    FFooter = std::move(Value);
}

int TPrintableRVData::GetPrintableAreaLeft(int PageNo)
{
    if (PageNo % 2 == 0 && static_cast<TPrintableRV*>(PrintableRV())->MirrorMargins)
        return MirroredLeftMarginPix;
    return LeftMarginPix;
}

std::unique_ptr<TCanvas> TPrintableRVData::InitPrinterCanvas()
{
    return Printer()->CreateMeasuringCanvas();
}

void TPrintableRVData::DoFormatting(int PageCompleted, TRVPrintingStep Step)
{
    TCustomRVPrint* Print = PrintableRV()->RVPrint;
    auto* RVPrint = dynamic_cast<TRVPrint*>(Print);
    if (RVPrint && RVPrint->OnFormatting)
        RVPrint->OnFormatting(PrintableRV(), PageCompleted, Step);
}

int TPrintableRVData::GetPageWidth()
{
    return Printer()->PageWidth();
}

int TPrintableRVData::GetPageHeight()
{
    return Printer()->PageHeight();
}

int TPrintableRVData::GetStartAt()
{
    TCustomRVPrint* Print = PrintableRV()->RVPrint;
    return Print ? Print->StartAt : 0;
}

void TPrintableRVData::SetEndAt(int Value)
{
    if (TCustomRVPrint* Print = PrintableRV()->RVPrint)
        Print->EndAt = Value;
}

void TPrintableRVData::Prepare()
{
    TCustomMainPtblRVData::Prepare();
    PrinterCanvas->Font()->SetPixelsPerInch(PrnSaD.DevicePpiY);
    const int ppiY = GetDeviceCaps(PrinterCanvas, LOGPIXELSY);
    const int ppiX = GetDeviceCaps(PrinterCanvas, LOGPIXELSX);
    const int offX = GetDeviceCaps(PrinterCanvas, PHYSICALOFFSETX);
    const int offY = GetDeviceCaps(PrinterCanvas, PHYSICALOFFSETY);
    const int paperW = GetDeviceCaps(PrinterCanvas, PHYSICALWIDTH);
    const int paperH = GetDeviceCaps(PrinterCanvas, PHYSICALHEIGHT);
    const int PW = GetPageWidth();
    const int PH = GetPageHeight();
    const auto* View = static_cast<TPrintableRV*>(PrintableRV());
    LeftMarginPix = std::max(0, MMToPix(View->LeftMarginMM, ppiX) - offX);
    TopMarginPix = std::max(0, MMToPix(View->TopMarginMM, ppiY) - offY);
    RightMarginPix = std::max(0, MMToPix(View->RightMarginMM, ppiX) - (paperW - (PW + offX)));
    BottomMarginPix = std::max(0, MMToPix(View->BottomMarginMM, ppiY) - (paperH - (PH + offY)));
    MirroredLeftMarginPix = std::max(0, MMToPix(View->RightMarginMM, ppiX) - offX);
    if (FHeader) {
        FHeader->Left = LeftMarginPix;
        FHeader->Width = PW - (LeftMarginPix + RightMarginPix);
        FHeader->Top = std::max(0, MMToPix(HeaderYMM, ppiY) - offY);
        FHeader->Height = 1;
        FHeader->FormatOn(PrinterCanvas);
        TopMarginPix = std::max(TopMarginPix, FHeader->Top + FHeader->DocumentHeight);
    }
    if (FFooter) {
        FFooter->Left = LeftMarginPix;
        FFooter->Width = PW - (LeftMarginPix + RightMarginPix);
        FFooter->Top = 0;
        FFooter->Height = 1;
        FFooter->FormatOn(PrinterCanvas);
        const int FooterSpace = MMToPix(FooterYMM, ppiY) - (paperH - (PH + offY)) + FFooter->DocumentHeight;
        FFooter->Top = PH - FooterSpace;
        BottomMarginPix = std::max(BottomMarginPix, FooterSpace);
    }
    SetClientSize(PW - (LeftMarginPix + RightMarginPix), PH - (TopMarginPix + BottomMarginPix));
}

TRect TPrintableRVData::PageRect() const
{
    return Rect(0, 0, ClientWidth() + LeftMarginPix + RightMarginPix,
                ClientHeight() + TopMarginPix + BottomMarginPix);
}
