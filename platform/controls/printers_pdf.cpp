// The PDF printer: each job is drawn by the toolkit's PDF writer into memory and
// saved to the file when the job ends, so that an aborted job leaves no half file.
#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>

#include "platform/controls/printers.h"
#include "platform/controls/printers_qt.h"
#include "platform/core/codepages.h"
#include "platform/graphics/qtsupport.h"

namespace {

// The page as the writer lays it out: the paper, upright, no margins. The writer
// keeps paper sizes in whole points, so the pixel sizes follow from those (A4 is
// 595 x 842 points).
QPageLayout PdfLayout(const TPaperSize& paper)
{
    const QPageSize size(QSizeF(paper.Width / 10.0, paper.Height / 10.0), QPageSize::Millimeter, QString(),
                         QPageSize::FuzzyMatch);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

QString FileNameOf(const AnsiString& name)
{
    return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

[[noreturn]] void CannotWrite(const AnsiString& name, const QString& why)
{
    throw EFCreateError(Format(SysConst::SFCreateErrorEx, {name, why.toStdString()}));
}

} // namespace

// One job: the target file (opened at once, so that a bad name fails BeginDoc),
// the PDF in memory, its writer and the page canvas. Members are destroyed in
// reverse order: the canvas ends its painting before the writer goes.
struct TPdfPrinter::TJob {
    QSaveFile File;
    QByteArray Bytes;
    QBuffer Buffer;
    QPdfWriter Writer;
    std::unique_ptr<TPrinterCanvas> Canvas;

    explicit TJob(const QString& fileName) : File(fileName), Buffer(&Bytes), Writer(&Buffer) {}
};

TPdfPrinter::TPdfPrinter(const AnsiString& fileName) : FFileName(fileName) {}

TPdfPrinter::~TPdfPrinter()
{
    if (Printing()) {
        try {
            Abort();
        } catch (...) {
        }
    }
}

void TPdfPrinter::SetFileName(const AnsiString& value)
{
    CheckNotPrinting();
    FFileName = value;
}

void TPdfPrinter::SetResolution(int value)
{
    CheckNotPrinting();
    if (value < MinPrinterResolution || value > MaxPrinterResolution)
        throw EPrinter(Format(PrinterConst::SInvalidResolution, {value, value}));
    FResolution = value;
}

void TPdfPrinter::SetPaperSize(const TPaperSize& value)
{
    CheckNotPrinting();
    if (value.Width < MinPaperSize || value.Width > MaxPaperSize || value.Height < MinPaperSize ||
        value.Height > MaxPaperSize)
        throw EPrinter(Format(PrinterConst::SInvalidPaperSize, {value.Width, value.Height}));
    FPaperSize = value;
}

TPrinterMetrics TPdfPrinter::Metrics() const
{
    EnsureQtApplication();
    const QRect full = PdfLayout(FPaperSize).fullRectPixels(FResolution);
    TPrinterMetrics m;
    m.PixelsPerInchX = m.PixelsPerInchY = FResolution;
    m.PhysicalWidth = m.PageWidth = full.width();
    m.PhysicalHeight = m.PageHeight = full.height();
    return m;
}

TCanvas* TPdfPrinter::DoBeginDoc()
{
    if (FFileName.empty())
        throw EPrinter(PrinterConst::SNoOutputFile);
    EnsureQtApplication();
    auto job = std::make_unique<TJob>(FileNameOf(FFileName));
    if (!job->File.open(QIODevice::WriteOnly))
        CannotWrite(FFileName, job->File.errorString());
    job->Buffer.open(QIODevice::WriteOnly);
    job->Writer.setResolution(FResolution);
    job->Writer.setPageLayout(PdfLayout(FPaperSize));
    const WideString title = AnsiToWide(Title());
    job->Writer.setTitle(QString::fromUtf16(title.data(), static_cast<qsizetype>(title.size())));
    job->Canvas = std::make_unique<TPrinterCanvas>(&job->Writer, Metrics());
    if (!job->Writer.paintingActive())
        throw EPrinter(PrinterConst::SCannotStart);
    FJob = std::move(job);
    return FJob->Canvas.get();
}

void TPdfPrinter::DoNewPage()
{
    FJob->Writer.newPage();
}

void TPdfPrinter::DoEndDoc()
{
    std::unique_ptr<TJob> job = std::move(FJob);
    // Ending the painting completes the document in memory.
    job->Canvas.reset();
    const qint64 size = job->Bytes.size();
    if (job->File.write(job->Bytes) != size || !job->File.commit())
        CannotWrite(FFileName, job->File.errorString());
}

void TPdfPrinter::DoAbort()
{
    std::unique_ptr<TJob> job = std::move(FJob);
    job->Canvas.reset();
    job->File.cancelWriting();
}
