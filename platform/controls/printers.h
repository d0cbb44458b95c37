// The printer: one device interface (resolution, paper, printable area, copies,
// title, the job calls and a canvas per job) with three backends: PDF files, a
// recording image printer for tests, and the system's printers. Printer() is the
// printer the program prints on.
#pragma once

#include <memory>
#include <vector>

#include "platform/core/sysutils.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/pixelbuffer.h"

// Misuse of a printer (a job call out of turn, a printer that does not exist).
KELVOR_EXCEPTION(EPrinter, Exception)

namespace PrinterConst {
inline constexpr const char* SPrinting = "Printing in progress";
inline constexpr const char* SNotPrinting = "Printer is not currently printing";
inline constexpr const char* SInvalidPrinter = "Printer selected is not valid";
inline constexpr const char* SNoOutputFile = "No output file is set for the printer";
inline constexpr const char* SCannotStart = "The printer could not start the print job";
inline constexpr const char* SPageFailed = "The printer could not start a new page";
inline constexpr const char* SJobFailed = "The print job failed";
inline constexpr const char* SInvalidResolution = "Printer resolution %d x %d is not supported";
inline constexpr const char* SInvalidPaperSize =
    "Paper size %d x %d (tenths of a millimetre) is not supported";
} // namespace PrinterConst

// A paper size in tenths of a millimetre, width by height as the sheet is printed
// (a landscape sheet is wider than high).
struct TPaperSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TPaperSize& o) const { return Width == o.Width && Height == o.Height; }
    bool operator!=(const TPaperSize& o) const { return !(*this == o); }
};
inline constexpr TPaperSize PaperA4{2100, 2970};
inline constexpr TPaperSize PaperLetter{2159, 2794};

// Accepted ranges of the settable backends.
inline constexpr int MinPrinterResolution = 10;
inline constexpr int MaxPrinterResolution = 4800;
inline constexpr int MinPaperSize = 100;    // 1 cm
inline constexpr int MaxPaperSize = 100000; // 10 m

// The geometry of a printer's page in device pixels. The device draws only on
// the printable area: PageWidth x PageHeight pixels whose top-left corner lies
// OffsetX, OffsetY pixels from the sheet's corner. Canvas coordinates start at the
// printable area's corner, as the platform's printer contexts do.
struct TPrinterMetrics {
    int PixelsPerInchX = 0;
    int PixelsPerInchY = 0;
    int PhysicalWidth = 0; // the whole sheet
    int PhysicalHeight = 0;
    int OffsetX = 0; // the printable area inside the sheet
    int OffsetY = 0;
    int PageWidth = 0;
    int PageHeight = 0;
};

// The device query of a printer: LOGPIXELSX/Y, HORZRES/VERTRES (the printable area),
// HORZSIZE/VERTSIZE (the printable area in millimetres), PHYSICALWIDTH/HEIGHT,
// PHYSICALOFFSETX/Y; BITSPIXEL 24 and PLANES 1; 0 for other indexes.
int PrinterDeviceCaps(const TPrinterMetrics& metrics, int index);

enum TPrinterCapability { pcCopies };
// What a device does itself. Without pcCopies, a caller that wants several copies
// prints the pages several times (the device would print every page once).
struct TPrinterCapabilities {
    unsigned Bits = 0;
    bool Contains(TPrinterCapability c) const { return (Bits >> c) & 1u; }
    TPrinterCapabilities& Include(TPrinterCapability c)
    {
        Bits |= 1u << c;
        return *this;
    }
};

// The device interface. A job runs from BeginDoc to EndDoc (or Abort); pages
// count from 1, NewPage starts the next one. During a job Canvas() is the page
// canvas (device pixels, the printable area's corner at 0, 0), which lives until
// the job ends; outside a job it is the printer's own measuring canvas (text
// metrics at the printer's resolution, nothing is drawn), which lives as long as
// the printer. CreateMeasuringCanvas gives the caller a measuring canvas of its
// own, for laying out at printer resolution before a job starts.
// Title and Copies are read when a job begins. Settings that change the page
// (resolution, paper) and Copies cannot change while a job runs (EPrinter).
class TPrinter {
public:
    virtual ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // ---- The job
    void BeginDoc();
    void NewPage();
    void EndDoc();
    // Ends the job and discards what it printed, as far as the device can.
    void Abort();
    bool Printing() const { return FPrinting; }
    // True after Abort, until the next BeginDoc.
    bool Aborted() const { return FAborted; }
    // The page being printed (1 after BeginDoc); 0 outside a job.
    int PageNumber() const { return FPageNumber; }
    TCanvas* Canvas();
    std::unique_ptr<TCanvas> CreateMeasuringCanvas() const;

    // ---- The device
    virtual TPrinterMetrics Metrics() const = 0;
    virtual TPrinterCapabilities Capabilities() const = 0;
    int DeviceCaps(int index) const { return PrinterDeviceCaps(Metrics(), index); }
    int PageWidth() const { return Metrics().PageWidth; }
    int PageHeight() const { return Metrics().PageHeight; }

    // ---- The job's settings
    const AnsiString& Title() const { return FTitle; }
    void SetTitle(const AnsiString& value) { FTitle = value; }
    int Copies() const { return FCopies; }
    // Values below 1 mean 1.
    void SetCopies(int value);

protected:
    TPrinter();
    // Raises EPrinter while a job runs (for the backends' setters).
    void CheckNotPrinting() const;

    // What a backend does. DoBeginDoc starts the device's job with Title() and
    // Copies() and answers the page canvas (owned by the backend, alive until
    // DoEndDoc or DoAbort return); it raises when the job cannot start, leaving
    // nothing open. DoEndDoc and DoAbort release the canvas and the device's job
    // even when they raise.
    virtual TCanvas* DoBeginDoc() = 0;
    virtual void DoNewPage() = 0;
    virtual void DoEndDoc() = 0;
    virtual void DoAbort() = 0;

private:
    void CheckPrinting() const;
    void Finished();

    AnsiString FTitle;
    int FCopies = 1;
    bool FPrinting = false;
    bool FAborted = false;
    int FPageNumber = 0;
    TCanvas* FPageCanvas = nullptr;
    std::unique_ptr<TCanvas> FInfoCanvas;
};

// Writes each job as a PDF file (the file is replaced only when the job ends;
// an aborted or failed job leaves any earlier file as it was). The whole sheet is
// printable. The device makes no copies: several copies are several passes of
// the pages. Defaults: 600 pixels per inch, A4.
class TPdfPrinter : public TPrinter {
public:
    explicit TPdfPrinter(const AnsiString& fileName = AnsiString());
    ~TPdfPrinter() override;

    TPrinterMetrics Metrics() const override;
    TPrinterCapabilities Capabilities() const override { return {}; }

    const AnsiString& FileName() const { return FFileName; }
    void SetFileName(const AnsiString& value);
    int Resolution() const { return FResolution; }
    void SetResolution(int value);
    TPaperSize PaperSize() const { return FPaperSize; }
    void SetPaperSize(const TPaperSize& value);

protected:
    TCanvas* DoBeginDoc() override;
    void DoNewPage() override;
    void DoEndDoc() override;
    void DoAbort() override;

private:
    struct TJob;
    AnsiString FFileName;
    int FResolution = 600;
    TPaperSize FPaperSize = PaperA4;
    std::unique_ptr<TJob> FJob;
};

// What happened to a recording printer, in order.
enum class TPrintEvent { BeginDoc, NewPage, EndDoc, Abort };
struct TPrintLogEntry {
    TPrintEvent Event;
    int PageNumber; // the page begun (BeginDoc, NewPage) or the last page (EndDoc, Abort)
    int Copies;     // the job's copy count
    AnsiString Title;
};

// The test printer: every page is painted into pixels (white sheets, the
// printable area only) at a settable resolution, and every job call is logged
// with the job's title and copy count. Whether the device makes copies is
// settable; it keeps one image per page either way. Defaults: 150 pixels per
// inch, A4, the whole sheet printable, no copies by the device.
class TRecordingPrinter : public TPrinter {
public:
    TRecordingPrinter();
    ~TRecordingPrinter() override;

    TPrinterMetrics Metrics() const override;
    TPrinterCapabilities Capabilities() const override;

    void SetResolution(int x, int y);
    void SetPaperSize(const TPaperSize& value);
    // The unprintable margins of the sheet in device pixels (left, top, right,
    // bottom; each 0 or more, leaving at least one pixel printable).
    void SetUnprintableMargins(int left, int top, int right, int bottom);
    void SetMakesCopies(bool value) { FMakesCopies = value; }

    // The pages of the last job (of the running one: those finished so far).
    const std::vector<TPixelBuffer>& Pages() const { return FPages; }
    const std::vector<TPrintLogEntry>& Log() const { return FLog; }
    // The log as lines: "BeginDoc 1 copies=2 title=Report", "NewPage 2", "EndDoc 2", "Abort 1".
    AnsiString LogText() const;
    void ClearLog() { FLog.clear(); }

protected:
    TCanvas* DoBeginDoc() override;
    void DoNewPage() override;
    void DoEndDoc() override;
    void DoAbort() override;

private:
    struct TJob;
    void AddLog(TPrintEvent event);
    void KeepPage();

    int FResolutionX = 150;
    int FResolutionY = 150;
    TPaperSize FPaperSize = PaperA4;
    TRect FMargins; // left, top, right, bottom widths
    bool FMakesCopies = false;
    std::vector<TPixelBuffer> FPages;
    std::vector<TPrintLogEntry> FLog;
    std::unique_ptr<TJob> FJob;
};

// A printer of the system (through the toolkit's print support), chosen by name;
// an empty name is the system's default printer. Raises EPrinter with
// SInvalidPrinter when there is no such printer.
class TSystemPrinter : public TPrinter {
public:
    explicit TSystemPrinter(const AnsiString& name = AnsiString());
    ~TSystemPrinter() override;

    TPrinterMetrics Metrics() const override;
    TPrinterCapabilities Capabilities() const override;
    const AnsiString& Name() const { return FName; }
    void SetResolution(int value);

protected:
    TCanvas* DoBeginDoc() override;
    void DoNewPage() override;
    void DoEndDoc() override;
    void DoAbort() override;

private:
    struct TDevice;
    AnsiString FName;
    std::unique_ptr<TDevice> FDevice;
};

// The system's printers by name, and the default one ("" when there is none).
std::vector<AnsiString> PrinterNames();
AnsiString DefaultPrinterName();

// The current printer, made on first use: the system's default printer when
// there is one, else a TPdfPrinter whose file name the program sets.
TPrinter* Printer();
// Makes NewPrinter the current printer (none: the default is made again on next
// use) and answers the previous one. A printer in the middle of a job can still be
// replaced; its job is aborted when it is destroyed.
std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> newPrinter);
