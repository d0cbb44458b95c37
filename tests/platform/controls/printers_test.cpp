// The printer: device geometry at 600 pixels per inch on A4, the job's rules,
// PDF files checked byte-wise and with poppler's tools where installed, the
// recording printer's log and page pixels, and the current printer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/controls/printers.h"
#include "platform/core/colors.h"
#include "tests/support/tempdir.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlue = 0xFF0000FFu;

bool ToolInstalled(const std::string& tool)
{
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// The standard output of a command (file names are test folders: no quoting needed).
std::string RunCommand(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[4096];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0)
            out.append(chunk, n);
        pclose(pipe);
    }
    return out;
}

// The value of one "Key: value" line of pdfinfo's report.
std::string PdfInfo(const std::string& file, const std::string& key)
{
    std::istringstream report(RunCommand("pdfinfo '" + file + "' 2>/dev/null"));
    std::string line;
    while (std::getline(report, line))
        if (line.compare(0, key.size() + 1, key + ":") == 0) {
            const size_t start = line.find_first_not_of(' ', key.size() + 1);
            return start == std::string::npos ? std::string() : line.substr(start);
        }
    return "<no " + key + ">";
}

// Page objects of a PDF ("/Type /Page", not the "/Type /Pages" tree).
int CountPageObjects(const std::string& pdf)
{
    int n = 0;
    const std::string key = "/Type /Page";
    for (size_t at = pdf.find(key); at != std::string::npos; at = pdf.find(key, at + 1))
        n += at + key.size() >= pdf.size() || pdf[at + key.size()] != 's';
    return n;
}

void FillRect(TCanvas* canvas, const TRect& r, TColor color)
{
    canvas->Brush()->SetColor(color);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(r);
}

class PdfPrinterTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string file = dir.File("out.pdf");
    TPdfPrinter printer{file};

    void PrintPages(int pages)
    {
        printer.BeginDoc();
        for (int p = 1; p <= pages; ++p) {
            if (p > 1)
                printer.NewPage();
            FillRect(printer.Canvas(), TRect{100 * p, 100, 100 * p + 300, 400}, clBlack);
        }
        printer.EndDoc();
    }
};

} // namespace

// ---- Geometry

TEST(PrinterGeometryTest, PdfAt600PpiOnA4)
{
    TPdfPrinter printer;
    // The PDF page box holds whole points: A4 is 595 x 842 points, which at 600
    // pixels per inch are 4958 x 7017 pixels (within a millimetre of 210 x 297).
    EXPECT_EQ(printer.DeviceCaps(LOGPIXELSX), 600);
    EXPECT_EQ(printer.DeviceCaps(LOGPIXELSY), 600);
    EXPECT_EQ(printer.DeviceCaps(PHYSICALWIDTH), 4958);
    EXPECT_EQ(printer.DeviceCaps(PHYSICALHEIGHT), 7017);
    EXPECT_NEAR(printer.DeviceCaps(PHYSICALWIDTH), 210 * 600 / 25.4, 600 / 25.4);
    EXPECT_NEAR(printer.DeviceCaps(PHYSICALHEIGHT), 297 * 600 / 25.4, 600 / 25.4);
    // The whole sheet is printable.
    EXPECT_EQ(printer.DeviceCaps(HORZRES), 4958);
    EXPECT_EQ(printer.DeviceCaps(VERTRES), 7017);
    EXPECT_EQ(printer.DeviceCaps(PHYSICALOFFSETX), 0);
    EXPECT_EQ(printer.DeviceCaps(PHYSICALOFFSETY), 0);
    EXPECT_EQ(printer.DeviceCaps(HORZSIZE), 210);
    EXPECT_EQ(printer.DeviceCaps(VERTSIZE), 297);
    EXPECT_EQ(printer.PageWidth(), 4958);
    EXPECT_EQ(printer.PageHeight(), 7017);
    EXPECT_EQ(printer.DeviceCaps(12345), 0);
    EXPECT_FALSE(printer.Capabilities().Contains(pcCopies));
}

TEST(PrinterGeometryTest, PdfPaperAndResolutionSettings)
{
    TPdfPrinter printer;
    printer.SetResolution(300);
    printer.SetPaperSize(TPaperSize{2970, 2100}); // A4 on its side
    EXPECT_EQ(printer.DeviceCaps(LOGPIXELSY), 300);
    EXPECT_EQ(printer.PageWidth(), 3508);  // 842 points
    EXPECT_EQ(printer.PageHeight(), 2479); // 595 points
    printer.SetPaperSize(PaperLetter);
    EXPECT_EQ(printer.PageWidth(), 2550); // 8.5 inches
    EXPECT_EQ(printer.PageHeight(), 3300);
    EXPECT_THROW(printer.SetResolution(0), EPrinter);
    EXPECT_THROW(printer.SetResolution(MaxPrinterResolution + 1), EPrinter);
    EXPECT_THROW(printer.SetPaperSize(TPaperSize{0, 2970}), EPrinter);
    EXPECT_THROW(printer.SetPaperSize(TPaperSize{2100, -5}), EPrinter);
    EXPECT_EQ(printer.Resolution(), 300);
    EXPECT_EQ(printer.PaperSize(), PaperLetter);
}

TEST(PrinterGeometryTest, RecordingPrinterWithUnprintableMargins)
{
    TRecordingPrinter printer;
    printer.SetResolution(300, 600);
    printer.SetPaperSize(PaperA4);
    printer.SetUnprintableMargins(50, 60, 70, 80);
    // 210 mm at 300 ppi: 2480; 297 mm at 600 ppi: 7016.
    EXPECT_EQ(printer.DeviceCaps(PHYSICALWIDTH), 2480);
    EXPECT_EQ(printer.DeviceCaps(PHYSICALHEIGHT), 7016);
    EXPECT_EQ(printer.DeviceCaps(PHYSICALOFFSETX), 50);
    EXPECT_EQ(printer.DeviceCaps(PHYSICALOFFSETY), 60);
    EXPECT_EQ(printer.DeviceCaps(HORZRES), 2480 - 50 - 70);
    EXPECT_EQ(printer.DeviceCaps(VERTRES), 7016 - 60 - 80);
    EXPECT_EQ(printer.DeviceCaps(LOGPIXELSX), 300);
    EXPECT_EQ(printer.DeviceCaps(LOGPIXELSY), 600);
    // Margins wider than the sheet leave one printable pixel, never a negative size.
    printer.SetUnprintableMargins(5000, 0, 5000, 0);
    EXPECT_EQ(printer.PageWidth(), 1);
    EXPECT_EQ(printer.DeviceCaps(PHYSICALOFFSETX), 2479);
}

TEST(PrinterGeometryTest, MeasuringCanvasHasThePrintersResolution)
{
    TPdfPrinter printer;
    std::unique_ptr<TCanvas> measuring = printer.CreateMeasuringCanvas();
    for (int index : {LOGPIXELSX, LOGPIXELSY, HORZRES, VERTRES, PHYSICALWIDTH, PHYSICALHEIGHT,
                      PHYSICALOFFSETX, PHYSICALOFFSETY})
        EXPECT_EQ(GetDeviceCaps(measuring.get(), index), printer.DeviceCaps(index)) << index;
    EXPECT_EQ(measuring->ClipRect(), (TRect{0, 0, 4958, 7017}));

    // A 10-point font is 6.25 times as large at 600 pixels per inch as at 96.
    TRecordingPrinter screenLike;
    screenLike.SetResolution(96, 96);
    std::unique_ptr<TCanvas> screen = screenLike.CreateMeasuringCanvas();
    for (TCanvas* c : {measuring.get(), screen.get()}) {
        c->Font()->SetName("DejaVu Sans");
        c->Font()->SetSize(10);
    }
    EXPECT_EQ(measuring->Font()->Height(), -83);
    EXPECT_EQ(screen->Font()->Height(), -13);
    const int wide = measuring->TextWidth("Printed at device resolution");
    const int narrow = screen->TextWidth("Printed at device resolution");
    ASSERT_GT(narrow, 0);
    EXPECT_NEAR(double(wide) / narrow, 83.0 / 13, 0.35);
    TTextMetric tm;
    ASSERT_TRUE(measuring->GetTextMetrics(tm));
    EXPECT_GE(tm.tmHeight, 83);
    EXPECT_LT(tm.tmHeight, 83 * 3 / 2);

    // Drawing on a measuring canvas paints nowhere and does no harm.
    FillRect(measuring.get(), TRect{0, 0, 100, 100}, clRed);
    measuring->TextOut(10, 10, "nothing");
}

TEST(PrinterGeometryTest, CanvasOutsideAJobMeasuresAndFollowsSettings)
{
    TRecordingPrinter printer;
    TCanvas* info = printer.Canvas();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->DeviceCaps(LOGPIXELSX), 150);
    printer.SetResolution(200, 300);
    // The same canvas takes on the new settings.
    EXPECT_EQ(printer.Canvas(), info);
    EXPECT_EQ(info->DeviceCaps(LOGPIXELSX), 200);
    EXPECT_EQ(info->DeviceCaps(LOGPIXELSY), 300);
    EXPECT_EQ(info->Font()->PixelsPerInch(), 300);
}

// ---- The job's rules

TEST(PrinterJobTest, CallsOutOfTurnRaise)
{
    TRecordingPrinter printer;
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(printer.PageNumber(), 0);
    EXPECT_THROW(printer.NewPage(), EPrinter);
    EXPECT_THROW(printer.EndDoc(), EPrinter);
    EXPECT_THROW(printer.Abort(), EPrinter);
    try {
        printer.EndDoc();
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(), "Printer is not currently printing");
    }

    printer.BeginDoc();
    EXPECT_TRUE(printer.Printing());
    EXPECT_EQ(printer.PageNumber(), 1);
    EXPECT_THROW(printer.BeginDoc(), EPrinter);
    EXPECT_THROW(printer.SetCopies(2), EPrinter);
    EXPECT_THROW(printer.SetResolution(300, 300), EPrinter);
    EXPECT_THROW(printer.SetPaperSize(PaperLetter), EPrinter);
    EXPECT_THROW(printer.SetUnprintableMargins(1, 1, 1, 1), EPrinter);
    printer.NewPage();
    EXPECT_EQ(printer.PageNumber(), 2);
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(printer.PageNumber(), 0);
    EXPECT_FALSE(printer.Aborted());
    // Nothing of the refused settings took hold.
    EXPECT_EQ(printer.DeviceCaps(LOGPIXELSX), 150);
    EXPECT_EQ(printer.Copies(), 1);
}

TEST(PrinterJobTest, AbortEndsTheJobAndIsReportedUntilTheNextJob)
{
    TRecordingPrinter printer;
    printer.BeginDoc();
    printer.Abort();
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(printer.Aborted());
    EXPECT_EQ(printer.PageNumber(), 0);
    EXPECT_THROW(printer.EndDoc(), EPrinter);
    printer.BeginDoc();
    EXPECT_FALSE(printer.Aborted());
    printer.EndDoc();
    EXPECT_EQ(printer.LogText(),
              "BeginDoc 1 copies=1 title=\nAbort 1\nBeginDoc 1 copies=1 title=\nEndDoc 1\n");
}

TEST(PrinterJobTest, PrinterDestroyedDuringAJobReleasesEverything)
{
    TempDir dir;
    {
        TRecordingPrinter recording;
        recording.BeginDoc();
        FillRect(recording.Canvas(), TRect{0, 0, 10, 10}, clRed);
    }
    {
        TPdfPrinter pdf(dir.File("never.pdf"));
        pdf.SetResolution(72);
        pdf.BeginDoc();
        FillRect(pdf.Canvas(), TRect{0, 0, 10, 10}, clRed);
    }
    // An unfinished job writes no file.
    std::ifstream never(dir.File("never.pdf"));
    EXPECT_FALSE(never.good());
}

// ---- The recording printer

TEST(RecordingPrinterTest, LogsCopiesTitleAndPages)
{
    TRecordingPrinter printer;
    printer.SetResolution(72, 72);
    printer.SetTitle("Report");
    printer.SetCopies(2);
    printer.BeginDoc();
    printer.NewPage();
    printer.SetTitle("Later"); // read when a job begins
    printer.NewPage();
    printer.EndDoc();
    EXPECT_EQ(printer.LogText(), "BeginDoc 1 copies=2 title=Report\nNewPage 2\nNewPage 3\nEndDoc 3\n");
    ASSERT_EQ(printer.Log().size(), 4u);
    EXPECT_EQ(printer.Log()[0].Event, TPrintEvent::BeginDoc);
    EXPECT_EQ(printer.Log()[0].Copies, 2);
    EXPECT_EQ(printer.Log()[0].Title, "Report");
    EXPECT_EQ(printer.Log()[3].Event, TPrintEvent::EndDoc);
    EXPECT_EQ(printer.Log()[3].PageNumber, 3);
    EXPECT_EQ(printer.Pages().size(), 3u);

    // The next job replaces the pages and adds to the log.
    printer.BeginDoc();
    printer.EndDoc();
    EXPECT_EQ(printer.Pages().size(), 1u);
    EXPECT_EQ(printer.Log().size(), 6u);
    printer.ClearLog();
    EXPECT_EQ(printer.LogText(), "");
}

TEST(RecordingPrinterTest, PagesShowWhatWasDrawnWhereItWasDrawn)
{
    TRecordingPrinter printer;
    printer.SetResolution(72, 72);
    printer.SetUnprintableMargins(10, 10, 10, 10);
    printer.BeginDoc();
    TCanvas* canvas = printer.Canvas();
    EXPECT_EQ(canvas->DeviceCaps(HORZRES), printer.PageWidth());
    EXPECT_EQ(canvas->DeviceCaps(PHYSICALOFFSETX), 10);
    EXPECT_EQ(canvas->ClipRect(), (TRect{0, 0, printer.PageWidth(), printer.PageHeight()}));
    FillRect(canvas, TRect{20, 30, 50, 70}, clRed);
    printer.NewPage();
    EXPECT_EQ(printer.Canvas(), canvas); // one canvas for the whole job
    FillRect(canvas, TRect{100, 200, 101, 201}, clBlue);
    printer.EndDoc();

    ASSERT_EQ(printer.Pages().size(), 2u);
    const TPixelBuffer& first = printer.Pages()[0];
    const TPixelBuffer& second = printer.Pages()[1];
    // Pages are the printable area: A4 at 72 ppi is 595 x 842, less the margins.
    EXPECT_EQ(first.Width, 595 - 20);
    EXPECT_EQ(first.Height, 842 - 20);
    EXPECT_EQ(first.At(20, 30), kRed);
    EXPECT_EQ(first.At(49, 69), kRed);
    EXPECT_EQ(first.At(50, 69), kWhite); // right and bottom edges are outside
    EXPECT_EQ(first.At(49, 70), kWhite);
    EXPECT_EQ(first.At(19, 30), kWhite);
    EXPECT_EQ(first.At(20, 29), kWhite);
    EXPECT_EQ(first.At(100, 200), kWhite);
    // The second sheet starts white: nothing of the first shows through.
    EXPECT_EQ(second.At(20, 30), kWhite);
    EXPECT_EQ(second.At(100, 200), kBlue);
    int inked = 0;
    for (uint32_t px : second.Pixels)
        inked += px != kWhite;
    EXPECT_EQ(inked, 1);
}

TEST(RecordingPrinterTest, ThinLinesKeepThePlatformsPixels)
{
    TRecordingPrinter printer;
    printer.SetResolution(72, 72);
    printer.BeginDoc();
    TCanvas* canvas = printer.Canvas();
    canvas->Brush()->SetColor(clBlue);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Pen()->SetColor(clRed);
    canvas->MoveTo(10, 5);
    canvas->LineTo(20, 5); // right: 10 .. 19
    canvas->MoveTo(20, 7);
    canvas->LineTo(10, 7);                            // left: 20 .. 11
    canvas->Polyline({{30, 10}, {30, 20}, {40, 20}}); // down, then right; the last point stays out
    canvas->MoveTo(50, 50);
    canvas->LineTo(54, 54); // a slanting line, pixel by pixel
    // Lines leave the brush as it was.
    EXPECT_EQ(canvas->Brush()->Color(), clBlue);
    EXPECT_EQ(canvas->Brush()->Style(), bsClear);
    printer.EndDoc();
    const TPixelBuffer& page = printer.Pages()[0];
    EXPECT_EQ(page.At(9, 5), kWhite);
    EXPECT_EQ(page.At(10, 5), kRed);
    EXPECT_EQ(page.At(19, 5), kRed);
    EXPECT_EQ(page.At(20, 5), kWhite);
    EXPECT_EQ(page.At(10, 7), kWhite);
    EXPECT_EQ(page.At(11, 7), kRed);
    EXPECT_EQ(page.At(20, 7), kRed);
    EXPECT_EQ(page.At(30, 10), kRed);
    EXPECT_EQ(page.At(30, 20), kRed); // the joint
    EXPECT_EQ(page.At(39, 20), kRed);
    EXPECT_EQ(page.At(40, 20), kWhite);
    EXPECT_EQ(page.At(50, 50), kRed);
    EXPECT_EQ(page.At(53, 53), kRed);
    EXPECT_EQ(page.At(54, 54), kWhite);
    int inked = 0;
    for (uint32_t px : page.Pixels)
        inked += px != kWhite;
    EXPECT_EQ(inked, 10 + 10 + 10 + 10 + 4);
}

TEST(RecordingPrinterTest, AbortKeepsTheSheetsSoFar)
{
    TRecordingPrinter printer;
    printer.SetResolution(72, 72);
    printer.BeginDoc();
    FillRect(printer.Canvas(), TRect{0, 0, 5, 5}, clRed);
    printer.Abort();
    ASSERT_EQ(printer.Pages().size(), 1u);
    EXPECT_EQ(printer.Pages()[0].At(4, 4), kRed);
    EXPECT_EQ(printer.LogText(), "BeginDoc 1 copies=1 title=\nAbort 1\n");
}

TEST(RecordingPrinterTest, RefusesPagesTooLargeToHold)
{
    TRecordingPrinter printer;
    printer.SetResolution(MaxPrinterResolution, MaxPrinterResolution);
    printer.SetPaperSize(TPaperSize{MaxPaperSize, MaxPaperSize});
    EXPECT_THROW(printer.BeginDoc(), EPrinter);
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(printer.LogText(), "");
}

// ---- PDF files

TEST_F(PdfPrinterTest, WritesAValidPdfWithItsPages)
{
    printer.SetTitle("Kelvor pages");
    PrintPages(3);
    const std::string pdf = dir.Read(file);
    ASSERT_GE(pdf.size(), 5u);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_EQ(CountPageObjects(pdf), 3);
    EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
    if (!ToolInstalled("pdfinfo"))
        GTEST_SKIP() << "pdfinfo is not installed";
    EXPECT_EQ(PdfInfo(file, "Pages"), "3");
    EXPECT_EQ(PdfInfo(file, "Page size"), "595 x 842 pts (A4)");
    EXPECT_EQ(PdfInfo(file, "Title"), "Kelvor pages");
}

TEST_F(PdfPrinterTest, PaperSizeReachesTheFile)
{
    printer.SetPaperSize(TPaperSize{2970, 2100});
    PrintPages(1);
    EXPECT_EQ(CountPageObjects(dir.Read(file)), 1);
    if (!ToolInstalled("pdfinfo"))
        GTEST_SKIP() << "pdfinfo is not installed";
    EXPECT_EQ(PdfInfo(file, "Page size").substr(0, 13), "842 x 595 pts");
    printer.SetPaperSize(PaperLetter);
    PrintPages(2);
    EXPECT_EQ(PdfInfo(file, "Page size"), "612 x 792 pts (letter)");
    EXPECT_EQ(PdfInfo(file, "Pages"), "2");
}

TEST_F(PdfPrinterTest, DrawingLandsAtItsDevicePosition)
{
    printer.BeginDoc();
    TCanvas* canvas = printer.Canvas();
    EXPECT_EQ(canvas->DeviceCaps(LOGPIXELSX), 600);
    EXPECT_EQ(canvas->ClipRect(), (TRect{0, 0, 4958, 7017}));
    // One inch to three inches across, two to four down.
    FillRect(canvas, TRect{600, 1200, 1800, 2400}, clBlack);
    canvas->Font()->SetName("DejaVu Sans");
    canvas->Font()->SetSize(12);
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(600, 3000, "Kelvor prints");
    printer.EndDoc();
    if (ToolInstalled("pdftotext")) {
        EXPECT_NE(RunCommand("pdftotext '" + file + "' - 2>/dev/null").find("Kelvor prints"),
                  std::string::npos);
    }
    if (!ToolInstalled("pdftoppm"))
        GTEST_SKIP() << "pdftoppm is not installed";
    // Rendered at 60 pixels per inch (a tenth of the device's), as a grey map.
    const std::string pgm = RunCommand("pdftoppm -r 60 -gray '" + file + "' 2>/dev/null");
    std::istringstream in(pgm);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    ASSERT_EQ(magic, "P5");
    ASSERT_EQ(maxValue, 255);
    const std::string pixels = pgm.substr(static_cast<size_t>(in.tellg()));
    ASSERT_EQ(pixels.size(), static_cast<size_t>(width) * height);
    auto grey = [&](int x, int y) { return static_cast<unsigned char>(pixels[size_t(y) * width + x]); };
    EXPECT_EQ(width, 496);
    EXPECT_LT(grey(65, 125), 64);   // inside, near the top-left corner
    EXPECT_LT(grey(175, 235), 64);  // inside, near the bottom-right corner
    EXPECT_GT(grey(55, 125), 192);  // left of it
    EXPECT_GT(grey(185, 235), 192); // right of it
    EXPECT_GT(grey(120, 245), 192); // below it
}

TEST_F(PdfPrinterTest, RuledLinesStaySmall)
{
    // Thin lines across a 600 ppi page are single marks, not one mark per pixel.
    printer.BeginDoc();
    TCanvas* canvas = printer.Canvas();
    for (int i = 0; i < 100; ++i) {
        canvas->MoveTo(0, 100 + i * 60);
        canvas->LineTo(4900, 100 + i * 60);
        canvas->MoveTo(100 + i * 40, 0);
        canvas->LineTo(100 + i * 40, 7000);
    }
    printer.EndDoc();
    EXPECT_LT(dir.Read(file).size(), 50000u);
}

// Thin lines of every direction, solid and dashed, in a 200 x 100 area.
static void DrawThinLines(TCanvas* canvas)
{
    canvas->Pen()->SetColor(clBlack);
    const std::vector<std::vector<TPoint>> lines{
        {{10, 10}, {190, 10}}, {{190, 14}, {10, 14}},  {{20, 20}, {20, 90}},
        {{24, 90}, {24, 20}},  {{30, 20}, {180, 35}},  {{30, 40}, {45, 95}},
        {{60, 40}, {110, 90}}, {{180, 40}, {120, 95}}, {{130, 50}, {170, 50}, {170, 70}, {130, 88}},
    };
    for (const auto& points : lines)
        canvas->Polyline(points);
    canvas->Pen()->SetStyle(psDash);
    canvas->MoveTo(10, 97);
    canvas->LineTo(190, 97);
    canvas->MoveTo(195, 5);
    canvas->LineTo(195, 95);
}

TEST_F(PdfPrinterTest, ThinLinesMarkTheSamePixelsOnThePage)
{
    // At 72 pixels per inch a device pixel is a point of the page.
    printer.SetResolution(72);
    printer.BeginDoc();
    DrawThinLines(printer.Canvas());
    printer.EndDoc();
    TRecordingPrinter recording;
    recording.SetResolution(72, 72);
    recording.BeginDoc();
    DrawThinLines(recording.Canvas());
    recording.EndDoc();
    const TPixelBuffer& expected = recording.Pages()[0];
    if (!ToolInstalled("pdftoppm"))
        GTEST_SKIP() << "pdftoppm is not installed";
    // Without smoothing, the top left 200 x 100 points as a grey map.
    const std::string pgm = RunCommand("pdftoppm -r 72 -aa no -aaVector no -gray -x 0 -y 0 -W 200 -H 100 '" +
                                       file + "' 2>/dev/null");
    std::istringstream in(pgm);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    ASSERT_EQ(magic, "P5");
    ASSERT_EQ(width, 200);
    ASSERT_EQ(height, 100);
    const std::string pixels = pgm.substr(static_cast<size_t>(in.tellg()));
    ASSERT_EQ(pixels.size(), 200u * 100u);
    int inked = 0;
    std::string wrong;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool dark = static_cast<unsigned char>(pixels[size_t(y) * 200 + x]) < 128;
            inked += dark;
            if (dark != (expected.At(x, y) != kWhite))
                wrong += " " + std::to_string(x) + "," + std::to_string(y) + (dark ? "+" : "-");
        }
    EXPECT_EQ(wrong, "");
    EXPECT_GT(inked, 900);
}

TEST_F(PdfPrinterTest, SlantingAndDashedLinesStaySmall)
{
    // A strip for each straight run of pixels, not a mark for each pixel.
    printer.BeginDoc();
    TCanvas* canvas = printer.Canvas();
    for (int i = 0; i < 100; ++i) {
        canvas->Pen()->SetStyle(psSolid);
        canvas->MoveTo(0, 100 + i * 60);
        canvas->LineTo(4900, 150 + i * 60);
        canvas->Pen()->SetStyle(psDash);
        canvas->MoveTo(100 + i * 40, 0);
        canvas->LineTo(100 + i * 40, 7000);
    }
    printer.EndDoc();
    EXPECT_LT(dir.Read(file).size(), 200000u);
}

TEST_F(PdfPrinterTest, AbortLeavesTheEarlierFile)
{
    PrintPages(2);
    const std::string before = dir.Read(file);
    printer.BeginDoc();
    printer.NewPage();
    printer.NewPage();
    printer.Abort();
    EXPECT_EQ(dir.Read(file), before);
    EXPECT_TRUE(printer.Aborted());
}

TEST_F(PdfPrinterTest, AFileThatCannotBeWrittenFailsBeginDoc)
{
    printer.SetFileName(dir.File("missing/folder/out.pdf"));
    EXPECT_THROW(printer.BeginDoc(), EFCreateError);
    EXPECT_FALSE(printer.Printing());
    printer.SetFileName("");
    try {
        printer.BeginDoc();
        FAIL() << "a job without a file began";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(), PrinterConst::SNoOutputFile);
    }
    EXPECT_FALSE(printer.Printing());
    // The printer still works once it has a file.
    printer.SetFileName(file);
    PrintPages(1);
    EXPECT_EQ(dir.Read(file).substr(0, 5), "%PDF-");
}

TEST_F(PdfPrinterTest, AFileThatCannotBeSavedFailsEndDoc)
{
    const std::string folder = dir.File("gone");
    ASSERT_EQ(std::system(("mkdir '" + folder + "'").c_str()), 0);
    printer.SetFileName(folder + "/out.pdf");
    printer.BeginDoc();
    ASSERT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0);
    EXPECT_THROW(printer.EndDoc(), EFCreateError);
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(printer.PageNumber(), 0);
}

// ---- System printers and the current printer

TEST(SystemPrinterTest, UnknownPrinterIsRefused)
{
    try {
        TSystemPrinter printer("no printer has this name");
        FAIL() << "a printer that does not exist was made";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(), "Printer selected is not valid");
    }
}

TEST(SystemPrinterTest, EveryListedPrinterCanBeOpened)
{
    // Machines without printers list none; where there are some, each opens with a sane geometry.
    for (const AnsiString& name : PrinterNames()) {
        TSystemPrinter printer(name);
        EXPECT_EQ(printer.Name(), name);
        EXPECT_GT(printer.DeviceCaps(LOGPIXELSX), 0);
        EXPECT_GT(printer.PageWidth(), 0);
        EXPECT_LE(printer.PageWidth() + printer.DeviceCaps(PHYSICALOFFSETX),
                  printer.DeviceCaps(PHYSICALWIDTH) + 1);
    }
    const AnsiString def = DefaultPrinterName();
    if (def.empty()) {
        EXPECT_THROW(TSystemPrinter(""), EPrinter);
    }
}

TEST(CurrentPrinterTest, DefaultAndReplacement)
{
    SetPrinter(nullptr);
    TPrinter* first = Printer();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Printer(), first);
    if (DefaultPrinterName().empty()) {
        EXPECT_NE(dynamic_cast<TPdfPrinter*>(first), nullptr);
    } else {
        EXPECT_NE(dynamic_cast<TSystemPrinter*>(first), nullptr);
    }

    auto recording = std::make_unique<TRecordingPrinter>();
    TRecordingPrinter* mine = recording.get();
    std::unique_ptr<TPrinter> old = SetPrinter(std::move(recording));
    EXPECT_EQ(old.get(), first);
    EXPECT_EQ(Printer(), mine);
    // A printer replaced during a job is handed back still printing; freeing it ends the job.
    Printer()->BeginDoc();
    std::unique_ptr<TPrinter> back = SetPrinter(nullptr);
    EXPECT_EQ(back.get(), mine);
    EXPECT_TRUE(back->Printing());
    back.reset();
    EXPECT_NE(Printer(), nullptr);
    SetPrinter(nullptr);
}

TEST(RecordingPrinterTest, DeviceCopiesAreSettable)
{
    TRecordingPrinter printer;
    EXPECT_FALSE(printer.Capabilities().Contains(pcCopies));
    printer.SetMakesCopies(true);
    EXPECT_TRUE(printer.Capabilities().Contains(pcCopies));
}

TEST(PrinterJobTest, CopiesBelowOneMeanOne)
{
    TRecordingPrinter printer;
    printer.SetCopies(3);
    EXPECT_EQ(printer.Copies(), 3);
    printer.SetCopies(0);
    EXPECT_EQ(printer.Copies(), 1);
    printer.SetCopies(-7);
    EXPECT_EQ(printer.Copies(), 1);
}
