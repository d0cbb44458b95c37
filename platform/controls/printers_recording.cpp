// The recording printer: pages painted into pixels with the Qt canvas, and a log
// of the job calls, for tests of everything that prints.
#include <QImage>

#include <algorithm>

#include "platform/controls/printers.h"
#include "platform/controls/printers_qt.h"
#include "platform/core/numbers.h"
#include "platform/graphics/qtsupport.h"

namespace {

// Pages beyond this many pixels are refused rather than allocated (A4 at 600
// pixels per inch is about 35 million).
constexpr int64_t kMaxPagePixels = int64_t(1) << 27;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

const char* EventName(TPrintEvent event)
{
    switch (event) {
    case TPrintEvent::BeginDoc:
        return "BeginDoc";
    case TPrintEvent::NewPage:
        return "NewPage";
    case TPrintEvent::EndDoc:
        return "EndDoc";
    case TPrintEvent::Abort:
        return "Abort";
    }
    return "";
}

} // namespace

// The page being painted: its pixels, the image over them and the canvas on the
// image, destroyed in reverse order (the canvas stops painting first).
struct TRecordingPrinter::TJob {
    TPixelBuffer Pixels;
    QImage Image;
    std::unique_ptr<TPrinterCanvas> Canvas;

    TJob(int width, int height, const TPrinterMetrics& metrics)
        : Pixels(width, height, kWhite), Image(reinterpret_cast<uchar*>(Pixels.Pixels.data()), width, height,
                                               width * 4, QImage::Format_ARGB32_Premultiplied),
          Canvas(std::make_unique<TPrinterCanvas>(&Image, metrics))
    {}
};

TRecordingPrinter::TRecordingPrinter() = default;

TRecordingPrinter::~TRecordingPrinter()
{
    if (Printing()) {
        try {
            Abort();
        } catch (...) {
        }
    }
}

void TRecordingPrinter::SetResolution(int x, int y)
{
    CheckNotPrinting();
    if (x < MinPrinterResolution || x > MaxPrinterResolution || y < MinPrinterResolution ||
        y > MaxPrinterResolution)
        throw EPrinter(Format(PrinterConst::SInvalidResolution, {x, y}));
    FResolutionX = x;
    FResolutionY = y;
}

void TRecordingPrinter::SetPaperSize(const TPaperSize& value)
{
    CheckNotPrinting();
    if (value.Width < MinPaperSize || value.Width > MaxPaperSize || value.Height < MinPaperSize ||
        value.Height > MaxPaperSize)
        throw EPrinter(Format(PrinterConst::SInvalidPaperSize, {value.Width, value.Height}));
    FPaperSize = value;
}

void TRecordingPrinter::SetUnprintableMargins(int left, int top, int right, int bottom)
{
    CheckNotPrinting();
    FMargins = TRect{std::max(0, left), std::max(0, top), std::max(0, right), std::max(0, bottom)};
}

TPrinterMetrics TRecordingPrinter::Metrics() const
{
    TPrinterMetrics m;
    m.PixelsPerInchX = FResolutionX;
    m.PixelsPerInchY = FResolutionY;
    m.PhysicalWidth = MulDiv(FPaperSize.Width, FResolutionX, 254);
    m.PhysicalHeight = MulDiv(FPaperSize.Height, FResolutionY, 254);
    // Margins that would leave nothing printable (after a change of paper or
    // resolution) are cut so that one pixel remains.
    m.OffsetX = std::min(FMargins.Left, m.PhysicalWidth - 1);
    m.OffsetY = std::min(FMargins.Top, m.PhysicalHeight - 1);
    m.PageWidth = std::max(1, m.PhysicalWidth - m.OffsetX - FMargins.Right);
    m.PageHeight = std::max(1, m.PhysicalHeight - m.OffsetY - FMargins.Bottom);
    return m;
}

TPrinterCapabilities TRecordingPrinter::Capabilities() const
{
    TPrinterCapabilities c;
    if (FMakesCopies)
        c.Include(pcCopies);
    return c;
}

void TRecordingPrinter::AddLog(TPrintEvent event)
{
    FLog.push_back(TPrintLogEntry{event, PageNumber(), Copies(), Title()});
}

AnsiString TRecordingPrinter::LogText() const
{
    AnsiString text;
    for (const TPrintLogEntry& e : FLog) {
        text += EventName(e.Event);
        text += " " + IntToStr(e.PageNumber);
        if (e.Event == TPrintEvent::BeginDoc)
            text += " copies=" + IntToStr(e.Copies) + " title=" + e.Title;
        text += "\n";
    }
    return text;
}

void TRecordingPrinter::KeepPage()
{
    FPages.push_back(FJob->Pixels);
    std::fill(FJob->Pixels.Pixels.begin(), FJob->Pixels.Pixels.end(), kWhite);
}

TCanvas* TRecordingPrinter::DoBeginDoc()
{
    EnsureQtApplication();
    const TPrinterMetrics m = Metrics();
    if (int64_t(m.PageWidth) * m.PageHeight > kMaxPagePixels)
        throw EPrinter(PrinterConst::SCannotStart);
    FJob = std::make_unique<TJob>(m.PageWidth, m.PageHeight, m);
    FPages.clear();
    // The log tells page 1 began; the base class sets the number after this returns.
    FLog.push_back(TPrintLogEntry{TPrintEvent::BeginDoc, 1, Copies(), Title()});
    return FJob->Canvas.get();
}

void TRecordingPrinter::DoNewPage()
{
    KeepPage();
    FLog.push_back(TPrintLogEntry{TPrintEvent::NewPage, PageNumber() + 1, Copies(), Title()});
}

void TRecordingPrinter::DoEndDoc()
{
    FJob->Canvas.reset();
    KeepPage();
    AddLog(TPrintEvent::EndDoc);
    FJob.reset();
}

void TRecordingPrinter::DoAbort()
{
    // What the sheet held so far is kept, so that a test can see it; the log tells
    // the job was aborted.
    FJob->Canvas.reset();
    KeepPage();
    AddLog(TPrintEvent::Abort);
    FJob.reset();
}
