// The printer's device interface: the job's states and checks, the device query,
// the printer canvases, and the current printer.
#include "platform/controls/printers.h"

#include "platform/controls/printers_qt.h"
#include "platform/core/numbers.h"

int PrinterDeviceCaps(const TPrinterMetrics& Metrics, int Index)
{
    switch (Index) {
    case LOGPIXELSX:
        return Metrics.PixelsPerInchX;
    case LOGPIXELSY:
        return Metrics.PixelsPerInchY;
    case HORZRES:
        return Metrics.PageWidth;
    case VERTRES:
        return Metrics.PageHeight;
    case HORZSIZE:
        return Metrics.PixelsPerInchX > 0 ? MulDiv(Metrics.PageWidth, 254, Metrics.PixelsPerInchX * 10) : 0;
    case VERTSIZE:
        return Metrics.PixelsPerInchY > 0 ? MulDiv(Metrics.PageHeight, 254, Metrics.PixelsPerInchY * 10) : 0;
    case PHYSICALWIDTH:
        return Metrics.PhysicalWidth;
    case PHYSICALHEIGHT:
        return Metrics.PhysicalHeight;
    case PHYSICALOFFSETX:
        return Metrics.OffsetX;
    case PHYSICALOFFSETY:
        return Metrics.OffsetY;
    case BITSPIXEL:
        return 24;
    case PLANES:
        return 1;
    default:
        return 0;
    }
}

// ---- TPrinterCanvas

TPrinterCanvas::TPrinterCanvas(QPaintDevice* Device, const TPrinterMetrics& Metrics)
    : TQtCanvas(Device, Metrics.PixelsPerInchX, Metrics.PixelsPerInchY), FMetrics(Metrics)
{
}

void TPrinterCanvas::SetMetrics(const TPrinterMetrics& Metrics)
{
    FMetrics = Metrics;
    Font()->SetPixelsPerInch(Metrics.PixelsPerInchY);
}

void TPrinterCanvas::DoLine(const TPoint& From, const TPoint& To)
{
    DoPolyline({From, To});
}

void TPrinterCanvas::DoPolyline(const std::vector<TPoint>& Points)
{
    const TPen* pen = Pen();
    const bool solidThin = (pen->Style() == psSolid || pen->Style() == psInsideFrame) && pen->Width() <= 1 &&
                           pen->Mode() == pmCopy;
    if (!solidThin) {
        TQtCanvas::DoPolyline(Points);
        return;
    }
    // The span of a segment leaves out its end point, as a line does; the brush
    // lends its fill for the span and gets its own state back.
    const TColor brushColor = Brush()->Color();
    const TBrushStyle brushStyle = Brush()->Style();
    bool brushLent = false;
    auto span = [&](const TRect& r) {
        if (!brushLent) {
            Brush()->SetColor(pen->Color());
            Brush()->SetStyle(bsSolid);
            brushLent = true;
        }
        TQtCanvas::DoFillRect(r);
    };
    for (size_t i = 0; i + 1 < Points.size(); ++i) {
        const TPoint& a = Points[i];
        const TPoint& b = Points[i + 1];
        if (a == b)
            continue;
        if (a.Y == b.Y)
            span(a.X < b.X ? TRect{a.X, a.Y, b.X, a.Y + 1} : TRect{b.X + 1, a.Y, a.X + 1, a.Y + 1});
        else if (a.X == b.X)
            span(a.Y < b.Y ? TRect{a.X, a.Y, a.X + 1, b.Y} : TRect{a.X, b.Y + 1, a.X + 1, a.Y + 1});
        else
            TQtCanvas::DoPolyline({a, b});
    }
    if (brushLent) {
        Brush()->SetColor(brushColor);
        Brush()->SetStyle(brushStyle);
    }
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

void TPrinter::SetCopies(int Value)
{
    CheckNotPrinting();
    FCopies = Value < 1 ? 1 : Value;
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

namespace
{

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

std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> NewPrinter)
{
    std::unique_ptr<TPrinter> old = std::move(CurrentPrinter());
    CurrentPrinter() = std::move(NewPrinter);
    return old;
}
