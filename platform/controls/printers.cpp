// The printer's device interface: the job's states and checks, the device query,
// the printer canvases, and the current printer.
#include "platform/controls/printers.h"

#include "platform/controls/printers_qt.h"
#include "platform/core/numbers.h"

int PrinterDeviceCaps(const TPrinterMetrics& metrics, int index)
{
    switch (index) {
    case LOGPIXELSX:
        return metrics.PixelsPerInchX;
    case LOGPIXELSY:
        return metrics.PixelsPerInchY;
    case HORZRES:
        return metrics.PageWidth;
    case VERTRES:
        return metrics.PageHeight;
    case HORZSIZE:
        return metrics.PixelsPerInchX > 0 ? MulDiv(metrics.PageWidth, 254, metrics.PixelsPerInchX * 10) : 0;
    case VERTSIZE:
        return metrics.PixelsPerInchY > 0 ? MulDiv(metrics.PageHeight, 254, metrics.PixelsPerInchY * 10) : 0;
    case PHYSICALWIDTH:
        return metrics.PhysicalWidth;
    case PHYSICALHEIGHT:
        return metrics.PhysicalHeight;
    case PHYSICALOFFSETX:
        return metrics.OffsetX;
    case PHYSICALOFFSETY:
        return metrics.OffsetY;
    case BITSPIXEL:
        return 24;
    case PLANES:
        return 1;
    default:
        return 0;
    }
}

// ---- TPrinterCanvas

TPrinterCanvas::TPrinterCanvas(QPaintDevice* device, const TPrinterMetrics& metrics)
    : TQtCanvas(device, metrics.PixelsPerInchX, metrics.PixelsPerInchY), FMetrics(metrics)
{}

void TPrinterCanvas::SetMetrics(const TPrinterMetrics& metrics)
{
    FMetrics = metrics;
    Font()->SetPixelsPerInch(metrics.PixelsPerInchY);
}

// ---- TPrinter

TPrinter::TPrinter() = default;

// The backends abort a running job in their own destructors, while they still exist.
TPrinter::~TPrinter() = default;

void TPrinter::CheckNotPrinting() const
{
    if (FPrinting)
        throw EPrinter(PrinterConst::SPrinting);
}

void TPrinter::CheckPrinting() const
{
    if (!FPrinting)
        throw EPrinter(PrinterConst::SNotPrinting);
}

void TPrinter::SetCopies(int value)
{
    CheckNotPrinting();
    FCopies = value < 1 ? 1 : value;
}

void TPrinter::BeginDoc()
{
    CheckNotPrinting();
    FAborted = false;
    FPageCanvas = DoBeginDoc();
    FPrinting = true;
    FPageNumber = 1;
}

void TPrinter::NewPage()
{
    CheckPrinting();
    DoNewPage();
    ++FPageNumber;
}

void TPrinter::Finished()
{
    FPrinting = false;
    FPageNumber = 0;
    FPageCanvas = nullptr;
}

void TPrinter::EndDoc()
{
    CheckPrinting();
    // The backend has closed its job even when it raises (a file that could not be
    // written): the printer is idle again either way.
    try {
        DoEndDoc();
    } catch (...) {
        Finished();
        throw;
    }
    Finished();
}

void TPrinter::Abort()
{
    CheckPrinting();
    try {
        DoAbort();
    } catch (...) {
        Finished();
        FAborted = true;
        throw;
    }
    Finished();
    FAborted = true;
}

TCanvas* TPrinter::Canvas()
{
    if (FPrinting && FPageCanvas)
        return FPageCanvas;
    if (!FInfoCanvas)
        FInfoCanvas = std::make_unique<TPrinterCanvas>(nullptr, Metrics());
    else
        static_cast<TPrinterCanvas*>(FInfoCanvas.get())->SetMetrics(Metrics());
    return FInfoCanvas.get();
}

std::unique_ptr<TCanvas> TPrinter::CreateMeasuringCanvas() const
{
    return std::make_unique<TPrinterCanvas>(nullptr, Metrics());
}

// ---- The current printer

namespace {

std::unique_ptr<TPrinter>& CurrentPrinter()
{
    static std::unique_ptr<TPrinter> printer;
    return printer;
}

} // namespace

TPrinter* Printer()
{
    std::unique_ptr<TPrinter>& current = CurrentPrinter();
    if (!current) {
        const AnsiString name = DefaultPrinterName();
        if (!name.empty()) {
            // The default printer can vanish between the question and the answer.
            try {
                current = std::make_unique<TSystemPrinter>(name);
            } catch (const EPrinter&) {
            }
        }
        if (!current)
            current = std::make_unique<TPdfPrinter>();
    }
    return current.get();
}

std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> newPrinter)
{
    std::unique_ptr<TPrinter> old = std::move(CurrentPrinter());
    CurrentPrinter() = std::move(newPrinter);
    return old;
}
