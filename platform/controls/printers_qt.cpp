// The system's printers through the toolkit's print support: the list of
// printers and a thin device over one of them.
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

#include "platform/controls/printers.h"
#include "platform/controls/printers_qt.h"
#include "platform/core/codepages.h"
#include "platform/graphics/qtsupport.h"

namespace {

AnsiString ToAnsi(const QString& s)
{
    return WideToAnsi(
        WideString(reinterpret_cast<const WideChar*>(s.utf16()), static_cast<size_t>(s.size())));
}

QString ToQString(const AnsiString& s)
{
    const WideString w = AnsiToWide(s);
    return QString::fromUtf16(w.data(), static_cast<qsizetype>(w.size()));
}

int Pixels(qreal v)
{
    return static_cast<int>(std::lround(v));
}

} // namespace

std::vector<AnsiString> PrinterNames()
{
    EnsureQtApplication();
    std::vector<AnsiString> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        names.push_back(ToAnsi(name));
    return names;
}

AnsiString DefaultPrinterName()
{
    EnsureQtApplication();
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    return info.isNull() ? AnsiString() : ToAnsi(info.printerName());
}

// The toolkit's printer and, during a job, the page canvas painting on it
// (destroyed first: ending the painting sends the job).
struct TSystemPrinter::TDevice {
    QPrinter Printer;
    std::unique_ptr<TPrinterCanvas> Canvas;

    explicit TDevice(const QPrinterInfo& info) : Printer(info, QPrinter::HighResolution) {}
};

TSystemPrinter::TSystemPrinter(const AnsiString& name) : FName(name)
{
    EnsureQtApplication();
    if (FName.empty())
        FName = DefaultPrinterName();
    // The toolkit falls back to a file printer for a name it does not know; a
    // printer asked for by name must exist.
    const QString qtName = ToQString(FName);
    if (FName.empty() || !QPrinterInfo::availablePrinterNames().contains(qtName))
        throw EPrinter(PrinterConst::SInvalidPrinter);
    FDevice = std::make_unique<TDevice>(QPrinterInfo::printerInfo(qtName));
    if (!FDevice->Printer.isValid())
        throw EPrinter(PrinterConst::SInvalidPrinter);
}

TSystemPrinter::~TSystemPrinter()
{
    if (Printing()) {
        try {
            Abort();
        } catch (...) {
        }
    }
}

void TSystemPrinter::SetResolution(int value)
{
    CheckNotPrinting();
    if (value < MinPrinterResolution || value > MaxPrinterResolution)
        throw EPrinter(Format(PrinterConst::SInvalidResolution, {value, value}));
    FDevice->Printer.setResolution(value);
}

TPrinterMetrics TSystemPrinter::Metrics() const
{
    QPrinter& p = FDevice->Printer;
    const QRectF paper = p.paperRect(QPrinter::DevicePixel);
    const QRectF page = p.pageRect(QPrinter::DevicePixel);
    TPrinterMetrics m;
    m.PixelsPerInchX = m.PixelsPerInchY = p.resolution();
    m.PhysicalWidth = Pixels(paper.width());
    m.PhysicalHeight = Pixels(paper.height());
    m.OffsetX = Pixels(page.left() - paper.left());
    m.OffsetY = Pixels(page.top() - paper.top());
    m.PageWidth = Pixels(page.width());
    m.PageHeight = Pixels(page.height());
    return m;
}

TPrinterCapabilities TSystemPrinter::Capabilities() const
{
    TPrinterCapabilities c;
    if (FDevice->Printer.supportsMultipleCopies())
        c.Include(pcCopies);
    return c;
}

TCanvas* TSystemPrinter::DoBeginDoc()
{
    QPrinter& p = FDevice->Printer;
    p.setCopyCount(Copies());
    p.setDocName(ToQString(Title()));
    FDevice->Canvas = std::make_unique<TPrinterCanvas>(&p, Metrics());
    if (!p.paintingActive()) {
        FDevice->Canvas.reset();
        throw EPrinter(PrinterConst::SCannotStart);
    }
    return FDevice->Canvas.get();
}

void TSystemPrinter::DoNewPage()
{
    if (!FDevice->Printer.newPage())
        throw EPrinter(PrinterConst::SPageFailed);
}

void TSystemPrinter::DoEndDoc()
{
    FDevice->Canvas.reset();
    if (FDevice->Printer.printerState() == QPrinter::Error)
        throw EPrinter(PrinterConst::SJobFailed);
}

void TSystemPrinter::DoAbort()
{
    FDevice->Printer.abort();
    FDevice->Canvas.reset();
}
