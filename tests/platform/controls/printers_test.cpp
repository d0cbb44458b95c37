// The printer: the job's rules, PDF files checked byte-wise and with poppler's
// tools where installed, pages too large to hold, and the system's printers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/controls/printers.h"
#include "platform/core/colors.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/tempdir.h"
#include "tests/support/xvfbchild.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// The standard output of a command, byte for byte (file names are test
// folders: no quoting needed).
std::string RunCommand(const std::string& command)
{
    int status = 0;
    return ::RunCommand(command, status);
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
    if (FindProgram("pdfinfo").empty())
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
    if (FindProgram("pdfinfo").empty())
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
    if (!FindProgram("pdftotext").empty()) {
        EXPECT_NE(RunCommand("pdftotext '" + file + "' - 2>/dev/null").find("Kelvor prints"),
                  std::string::npos);
    }
    if (FindProgram("pdftoppm").empty())
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
    if (FindProgram("pdftoppm").empty())
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
