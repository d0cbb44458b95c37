// The printable data: construction, the layout environment at the printer's
// resolution, and Prepare (margins in device pixels, header and footer).
#include "print/ptrvdata.h"

#include <algorithm>
#include <cstdint>

#include "document/rvstyle.h"
#include "platform/controls/printers.h"
#include "platform/core/numbers.h"
#include "print/ptblrv.h"
#include "view/rollview.h"

namespace {

// Millimetres to device pixels: MulDiv(mm, ppi * 5, 127). A length no page
// can hold (beyond a kilometre, or the 32 bits of a device length) is refused
// as a margin that leaves no printable area.
int MMToPix(int mm, int ppi)
{
    constexpr int64_t maxMM = 1000000;
    if (mm > maxMM || mm < -maxMM)
        throw ERollViewError(errRVPrintableAreaEmpty);
    return MulDiv(mm, ppi * 5, 127);
}

} // namespace

// ---- TCustomPrintableRVData

TCustomPrintableRVData::TCustomPrintableRVData(TCustomRollView* aRollView) : TRollViewRVData(aRollView) {}

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

void TCustomPrintableRVData::GetDrawItemsRange(int, int& startNo, int& endNo, int& part)
{
    startNo = 0;
    endNo = DrawItems.Count() - 1;
    part = -1;
}

void TCustomPrintableRVData::CheckPageNo(int) {}

// ---- TCustomMainPtblRVData

TCustomMainPtblRVData::TCustomMainPtblRVData(TCustomRollView* aRollView) : TCustomPrintableRVData(aRollView)
{}

TCustomMainPtblRVData::~TCustomMainPtblRVData() = default;

void TCustomMainPtblRVData::Clear()
{
    TCustomPrintableRVData::Clear();
    Pages.clear();
    FirstMarkerListNo = -1;
    FirstMarkerLevel = -1;
}

bool TCustomMainPtblRVData::GetFirstItemMarker(int& listNo, int& level)
{
    if (!State.Contains(rvstFirstParaAborted))
        return TCustomPrintableRVData::GetFirstItemMarker(listNo, level);
    listNo = FirstMarkerListNo;
    level = FirstMarkerLevel;
    return listNo >= 0;
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

int TCustomMainPtblRVData::GetTopCoord(int pageNo)
{
    int result = Pages[pageNo - 1].StartY - TopMarginPix - TmpTMPix;
    if (pageNo == 1)
        result -= GetStartAt();
    return result;
}

int TCustomMainPtblRVData::GetTopCoord2(int pageNo)
{
    int result = Pages[pageNo - 1].StartY2 - TopMarginPix - TmpTMPix;
    if (pageNo == 1)
        result -= GetStartAt();
    return result;
}

int TCustomMainPtblRVData::GetPrintableAreaLeft(int)
{
    return LeftMarginPix;
}

void TCustomMainPtblRVData::CheckPageNo(int pageNo)
{
    if (pageNo < 1 || pageNo > PagesCount())
        throw ERollViewError(errRVInvalidPageNo);
}

void TCustomMainPtblRVData::DrawPage(int pageNo, TCanvas* canvas, bool preview, bool correction)
{
    if (pageNo < 1 || pageNo > PagesCount())
        return;
    TCustomPrintableRVData::DrawPage(pageNo, canvas, preview, correction);
}

void TCustomMainPtblRVData::DoFormatting(int, TRVPrintingStep) {}

void TCustomMainPtblRVData::SetClientSize(int width, int height)
{
    FClientWidth = width;
    FClientHeight = height;
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

TPrintableRVData::TPrintableRVData(TCustomRollView* aRollView) : TCustomMainPtblRVData(aRollView) {}

TPrintableRVData::~TPrintableRVData() = default;

TCustomPrintableRV* TPrintableRVData::PrintableRV() const
{
    return static_cast<TCustomPrintableRV*>(RollView());
}

void TPrintableRVData::SetHeader(std::unique_ptr<TRVHeaderFooterRVData> value)
{
    FHeader = std::move(value);
}

void TPrintableRVData::SetFooter(std::unique_ptr<TRVHeaderFooterRVData> value)
{
    FFooter = std::move(value);
}

int TPrintableRVData::GetPrintableAreaLeft(int pageNo)
{
    if (pageNo % 2 == 0 && static_cast<TPrintableRV*>(PrintableRV())->MirrorMargins)
        return MirroredLeftMarginPix;
    return LeftMarginPix;
}

std::unique_ptr<TCanvas> TPrintableRVData::InitPrinterCanvas()
{
    return Printer()->CreateMeasuringCanvas();
}

void TPrintableRVData::DoFormatting(int pageCompleted, TRVPrintingStep step)
{
    TCustomRVPrint* print = PrintableRV()->RVPrint;
    auto* rvPrint = dynamic_cast<TRVPrint*>(print);
    if (rvPrint && rvPrint->OnFormatting)
        rvPrint->OnFormatting(PrintableRV(), pageCompleted, step);
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
    TCustomRVPrint* print = PrintableRV()->RVPrint;
    return print ? print->StartAt : 0;
}

void TPrintableRVData::SetEndAt(int value)
{
    if (TCustomRVPrint* print = PrintableRV()->RVPrint)
        print->EndAt = value;
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
    const int pw = GetPageWidth();
    const int ph = GetPageHeight();
    const auto* view = static_cast<TPrintableRV*>(PrintableRV());
    LeftMarginPix = std::max(0, MMToPix(view->LeftMarginMM, ppiX) - offX);
    TopMarginPix = std::max(0, MMToPix(view->TopMarginMM, ppiY) - offY);
    RightMarginPix = std::max(0, MMToPix(view->RightMarginMM, ppiX) - (paperW - (pw + offX)));
    BottomMarginPix = std::max(0, MMToPix(view->BottomMarginMM, ppiY) - (paperH - (ph + offY)));
    MirroredLeftMarginPix = std::max(0, MMToPix(view->RightMarginMM, ppiX) - offX);
    if (FHeader) {
        FHeader->Left = LeftMarginPix;
        FHeader->Width = pw - (LeftMarginPix + RightMarginPix);
        FHeader->Top = std::max(0, MMToPix(HeaderYMM, ppiY) - offY);
        FHeader->Height = 1;
        FHeader->FormatOn(PrinterCanvas);
        TopMarginPix = std::max(TopMarginPix, FHeader->Top + FHeader->DocumentHeight);
    }
    if (FFooter) {
        FFooter->Left = LeftMarginPix;
        FFooter->Width = pw - (LeftMarginPix + RightMarginPix);
        FFooter->Top = 0;
        FFooter->Height = 1;
        FFooter->FormatOn(PrinterCanvas);
        const int footerSpace = MMToPix(FooterYMM, ppiY) - (paperH - (ph + offY)) + FFooter->DocumentHeight;
        FFooter->Top = ph - footerSpace;
        BottomMarginPix = std::max(BottomMarginPix, footerSpace);
    }
    SetClientSize(pw - (LeftMarginPix + RightMarginPix), ph - (TopMarginPix + BottomMarginPix));
}

TRect TPrintableRVData::PageRect() const
{
    return Rect(0, 0, ClientWidth() + LeftMarginPix + RightMarginPix,
                ClientHeight() + TopMarginPix + BottomMarginPix);
}
