// Hostile and heavy input, each worst case at two sizes in one run: tables a
// few bytes of RVF describe (a cell spanning a million rows, a grid under one
// cell, columns of tall cells, a cells list that ends long before the grid it
// claims, many tables each claiming a million slots) loaded, laid out,
// painted and saved as RVF, RTF, HTML and text; tables nested 16 and 32 deep
// saved and read as text and binary RVF and as RTF, and saved as HTML; RTF files of many run-length pictures
// of the largest size, read, drawn and saved; RTF files that define tens of thousands of fonts and list
// overrides, each used once; RTF documents naming 5,000 font sizes or 5,000 missing font names, laid out
// and painted on the Qt canvas (the growth of the resident size they leave behind, in MB, is printed last
// with the ratios); width-1 lines and outlines, dotted, dashed and in XOR mode, reaching 5 * 10^4 or 5 * 10^7
// pixels past a 100 x 100 image; and Kelvor starting and closing with a thousand or two saved files. A plain
// timing program (the best of a few runs of each case; the nested tables and Kelvor's start and exit are
// timed at their two sizes in turn, round by round, so that the load of a busy machine falls on both alike,
// the nested tables and Kelvor's closing over spans of about the same length at both sizes);
// the headline ratios of the larger size to the smaller are printed last, one per line, each the worst of the
// cases it stands for. The metafile cases are in hostile_bench_metafiles.cpp, the lines in
// hostile_bench_lines.cpp, Kelvor's start and exit in hostile_bench_kelvor.cpp.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/U_kelvor.h"
#include "bench/hostile_bench.h"
#include "document/rvitem_pictures.h"
#include "document/rvrtfprops.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "rtf/rvrtfimport.h"
#include "rtf/rvrtfreader.h"
#include "tests/fuzz/fuzz_document.h"
#include "tests/support/tablestream.h"
#include "tests/support/testtable.h"

namespace hostile {

// The best of Runs runs of Work, in seconds.
double Best(int runs, const std::function<void()>& work)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

// This thread's processor time in seconds, which other programs on a busy
// machine disturb less than the clock.
double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The median of a list of numbers.
double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string SaveRVF(TTableDoc& doc, bool binary)
{
    doc.Data.RVFOptions = binary ? TRVFOptions{rvfoSaveBinary} : TRVFOptions();
    TMemoryStream out;
    doc.Data.SaveRVFToStream(out, false, clNone, nullptr, nullptr);
    return std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

std::string SaveRTF(TTableDoc& doc)
{
    TMemoryStream out;
    doc.Data.SaveRTFToStream(out, false, 0, clNone, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0);
    return std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

} // namespace hostile

using namespace hostile;

namespace {

// Two pieces of work timed in turn, Rounds times each, in seconds of this
// thread's processor time, the one that goes first changing every round; a
// first round warms the caches and the allocator up and is not counted.
// Best gets the best time of each; the answer is the median, over the
// rounds, of the second's time to the first's in the same round: the two
// timings of a round lie side by side, so that the load of a busy machine,
// which changes from one moment to the next, falls on both alike.
double RatioInTurn(int rounds, const std::function<void()>& first, const std::function<void()>& second,
                   double best[2])
{
    best[0] = best[1] = 1e30;
    std::vector<double> ratios;
    const std::function<void()>* work[2] = {&first, &second};
    for (int round = 0; round <= rounds; ++round) {
        double seconds[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            const int which = (round + k) % 2;
            const double start = ThreadSeconds();
            (*work[which])();
            seconds[which] = ThreadSeconds() - start;
        }
        if (round == 0)
            continue;
        for (int which = 0; which < 2; ++which)
            best[which] = std::min(best[which], seconds[which]);
        ratios.push_back(seconds[1] / seconds[0]);
    }
    return Median(ratios);
}

// ---------------------------------------------------------------------------
// Tables

// A grid of Rows x Cols and the cells list's entries (column span, row span).
std::string Grid(int rows, int cols, const std::vector<std::pair<int, int>>& entries)
{
    return RVFWithTableStream(TableStream([&](TWriter& w) {
                                  w.WriteInteger(rows);
                                  w.WriteInteger(cols);
                                  w.WriteListBegin();
                                  for (const auto& entry : entries)
                                      WriteCellEntry(w, entry.first, entry.second);
                                  w.WriteListEnd();
                              }),
                              true);
}

// Rows x Cols slots under one cell.
std::string OneCell(int rows, int cols)
{
    return Grid(rows, cols, {{cols, rows}});
}

// Cols columns, each one cell as tall as the table.
std::string TallColumns(int rows, int cols)
{
    return Grid(rows, cols, std::vector<std::pair<int, int>>(static_cast<size_t>(cols), {1, rows}));
}

// A grid of Rows x Cols claimed, and a list that ends after one cell.
std::string EndsEarly(int rows, int cols)
{
    return Grid(rows, cols, {{1, 1}});
}

// Reads the RVF; when it reads, lays it out at a fixed width, paints a
// screen in the middle and saves it in every format.
void LoadLayOutPaintSave(const std::string& rvf)
{
    TTableDoc doc;
    TStringStream in(rvf);
    TColor color = clNone;
    if (!doc.Data.LoadRVFFromStream(in, color, nullptr, nullptr))
        return;
    doc.Format();
    if (auto* table = dynamic_cast<TRVTableItemInfo*>(doc.Data.GetItem(0))) {
        TRecordingCanvas canvas(400, 600, 96);
        const int middle = table->GetHeight() / 2;
        table->PaintTo(0, 400, -middle, 0, table->Rows->Count(), &canvas, {}, nullptr,
                       table->FormattingInfo.get(), false, Rect(0, 0, 400, 600), rvcmColor);
    }
    for (bool binary : {false, true}) {
        doc.Data.RVFOptions = binary ? TRVFOptions{rvfoSaveBinary} : TRVFOptions();
        TMemoryStream out;
        doc.Data.SaveRVFToStream(out, false, clNone, nullptr, nullptr);
    }
    TMemoryStream rtf, html, text;
    doc.Data.SaveRTFToStream(rtf, false, 0, clNone, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0);
    int counter = 0;
    doc.Data.SaveHTMLToStream(html, "", "t", "img", TRVSaveOptions(), clWhite, counter, 0, 0, 0, 0, nullptr,
                              nullptr);
    doc.Data.SaveTextToStream("", text, 80, false, false, false);
}

struct TCase {
    const char* Name;
    std::string Small; // the worst case at one size
    std::string Large; // and at twice the slots
};

double TableCosts()
{
    const std::vector<TCase> cases = {
        {"one cell over 524,288 / 1,048,576 rows", OneCell(524288, 1), OneCell(1048576, 1)},
        {"one cell over 512x512 / 512x1024 slots", OneCell(512, 512), OneCell(512, 1024)},
        {"512 cells each 512 / 1024 rows tall", TallColumns(512, 512), TallColumns(1024, 512)},
        {"list ending after one cell of 512x1024 / 1024x1024", EndsEarly(512, 1024), EndsEarly(1024, 1024)},
    };
    double worst = 0;
    for (const TCase& c : cases) {
        const double small = Best(5, [&] { LoadLayOutPaintSave(c.Small); });
        const double large = Best(5, [&] { LoadLayOutPaintSave(c.Large); });
        std::printf("table, %s (%zu / %zu bytes of RVF): %.3f s / %.3f s, ratio %.2f\n", c.Name,
                    c.Small.size(), c.Large.size(), small, large, large / small);
        worst = std::max(worst, large / small);
    }
    return worst;
}

// The costs of spanning grids: Tables tables one after another, each one cell
// spanning Rows x Cols (a grid a few bytes claim), and a grid whose cells
// each span 64 columns of a row (one its bytes justify).
std::string SpanningTables(int tables, int rows, int cols)
{
    const std::string one = OneCell(rows, cols);
    std::string rvf;
    for (int i = 0; i < tables; ++i)
        rvf += one;
    return rvf;
}

std::string WideCells(int rows)
{
    return Grid(rows, 1024, std::vector<std::pair<int, int>>(static_cast<size_t>(rows) * 16, {64, 1}));
}

double SpanningGridCosts()
{
    const std::vector<TCase> cases = {
        {"40 / 80 cells each spanning 1024x1024", SpanningTables(40, 1024, 1024),
         SpanningTables(80, 1024, 1024)},
        {"256 / 512 rows of 16 cells each spanning 64 columns", WideCells(256), WideCells(512)},
    };
    double worst = 0;
    for (const TCase& c : cases) {
        const double small = Best(3, [&] { LoadLayOutPaintSave(c.Small); });
        const double large = Best(3, [&] { LoadLayOutPaintSave(c.Large); });
        std::printf("spanning grid, %s (%zu / %zu bytes of RVF): %.3f s / %.3f s, ratio %.2f\n", c.Name,
                    c.Small.size(), c.Large.size(), small, large, large / small);
        worst = std::max(worst, large / small);
    }
    return worst;
}

// ---------------------------------------------------------------------------
// Nested tables: every reader and writer of them at 16 and 32 levels

// Tables nested Depth deep, each 1 x 1, the innermost cell holding text.
void AddNested(TTableDoc& doc, int depth)
{
    TRVTableItemInfo* table = doc.AddTable(1, 1);
    for (int level = 1; level < depth; ++level) {
        TRVTableCellData* holder = table->GetCells(0, 0);
        holder->Clear();
        table = new TRVTableItemInfo(1, 1, holder);
        holder->AddItem(AnsiString(), table);
    }
    table->GetCells(0, 0)->Clear();
    table->GetCells(0, 0)->AddNL("deep", 0, 0);
}

std::string SaveHTML(TTableDoc& doc)
{
    TMemoryStream out;
    int counter = 0;
    doc.Data.SaveHTMLToStream(out, "", "t", "img", TRVSaveOptions(), clWhite, counter, 0, 0, 0, 0, nullptr,
                              nullptr);
    return std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

// Reads RVF into a fresh document; false when the read fails.
bool LoadRVF(const std::string& rvf)
{
    TTableDoc doc;
    TStringStream in(rvf);
    TColor color = clNone;
    return doc.Data.LoadRVFFromStream(in, color, nullptr, nullptr) && doc.Data.GetItemCount() > 0;
}

bool LoadRTF(const std::string& rtf)
{
    TTableDoc doc;
    TRVRTFReaderProperties props;
    TStringStream in(rtf);
    return props.ReadFromStream(in, &doc.Data) == rtf_ec_OK && doc.Data.GetItemCount() > 0;
}

// One way of handling the nested document: Run does it once at the given
// depth and answers the bytes it read or wrote.
struct TNestedCase {
    const char* Name;
    std::function<size_t(TTableDoc& doc, const std::string& textRVF, const std::string& binaryRVF,
                         const std::string& rtf)>
        Run;
};

// The cost ratio of 32 to 16 levels of each reader and writer of nested
// tables, by case; SizeRatio gets the ratio of the text RVF's sizes and
// TextToBinary the worse ratio of text RVF to binary RVF size.
std::vector<std::pair<const char*, double>> NestedCosts(double& sizeRatio, double& textToBinary)
{
    const std::vector<TNestedCase> cases = {
        {"text RVF save", [](TTableDoc& d, auto&, auto&, auto&) { return SaveRVF(d, false).size(); }},
        {"binary RVF save", [](TTableDoc& d, auto&, auto&, auto&) { return SaveRVF(d, true).size(); }},
        {"text RVF load",
         [](TTableDoc&, const std::string& t, auto&, auto&) { return LoadRVF(t) ? t.size() : 0; }},
        {"binary RVF load",
         [](TTableDoc&, auto&, const std::string& b, auto&) { return LoadRVF(b) ? b.size() : 0; }},
        {"RTF save", [](TTableDoc& d, auto&, auto&, auto&) { return SaveRTF(d).size(); }},
        {"RTF load",
         [](TTableDoc&, auto&, auto&, const std::string& r) { return LoadRTF(r) ? r.size() : 0; }},
        {"HTML save", [](TTableDoc& d, auto&, auto&, auto&) { return SaveHTML(d).size(); }},
    };
    RV_RegisterRTFImport();
    const int depths[2] = {16, 32};
    TTableDoc docs[2];
    std::string text[2], binary[2], rtf[2];
    textToBinary = 0;
    for (int i = 0; i < 2; ++i) {
        AddNested(docs[i], depths[i]);
        text[i] = SaveRVF(docs[i], false);
        binary[i] = SaveRVF(docs[i], true);
        rtf[i] = SaveRTF(docs[i]);
        textToBinary = std::max(textToBinary, double(text[i].size()) / double(binary[i].size()));
        std::printf("nested tables, %d levels: text RVF %zu bytes, binary RVF %zu bytes, RTF %zu bytes\n",
                    depths[i], text[i].size(), binary[i].size(), rtf[i].size());
    }
    sizeRatio = double(text[1].size()) / double(text[0].size());
    std::vector<std::pair<const char*, double>> ratios;
    for (const TNestedCase& c : cases) {
        // One run takes well under a millisecond: runs are timed in blocks
        // of about the same length at both depths (twice as many at 16
        // levels as at 32), the two depths in turn, Rounds blocks of each;
        // the ratio is the median of the rounds' ratios of the time of one
        // run, and the best blocks give the times shown. A handled depth
        // that read nothing is reported.
        constexpr int Repeats[2] = {200, 100};
        constexpr int Rounds = 30;
        size_t bytes[2] = {0, 0};
        const auto repeat = [&](int i) {
            for (int k = 0; k < Repeats[i]; ++k)
                bytes[i] = c.Run(docs[i], text[i], binary[i], rtf[i]);
        };
        double best[2];
        const double ratio = RatioInTurn(
                                 Rounds, [&] { repeat(0); }, [&] { repeat(1); }, best) *
                             Repeats[0] / Repeats[1];
        const double seconds[2] = {best[0] / Repeats[0], best[1] / Repeats[1]};
        if (bytes[0] == 0 || bytes[1] == 0)
            std::fprintf(stderr, "hostile_bench: nested tables, %s failed\n", c.Name);
        std::printf("nested tables, %s, 16 / 32 levels (%zu / %zu bytes): %.1f us / %.1f us a run at best, "
                    "ratio (median of rounds) %.2f\n",
                    c.Name, bytes[0], bytes[1], seconds[0] * 1e6, seconds[1] * 1e6, ratio);
        ratios.emplace_back(c.Name, ratio);
    }
    return ratios;
}

// ---------------------------------------------------------------------------
// Pictures: run-length bitmaps of 5792 x 5792 pixels (the most one picture
// may have) in RTF of a few hundred bytes

std::string RlePictures(int count)
{
    // A DIB header, one palette entry and the end-of-bitmap code, as hex.
    std::string dib;
    const auto add32 = [&dib](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            dib += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    add32(40);
    add32(5792);
    add32(5792);
    dib += std::string("\1\0\x08\0", 4);
    add32(1); // RLE8
    add32(2);
    add32(0);
    add32(0);
    add32(1);
    add32(0);
    add32(0x336699);
    dib += std::string("\0\1", 2);
    std::string hex;
    for (unsigned char c : dib) {
        hex += "0123456789abcdef"[c >> 4];
        hex += "0123456789abcdef"[c & 15];
    }
    std::string rtf = "{\\rtf1 ";
    for (int i = 0; i < count; ++i)
        rtf += "{\\pict\\dibitmap0\\picw5792\\pich5792 " + hex + "}";
    return rtf + "}";
}

// Reads the RTF, draws every picture and saves the document as text RVF and
// RTF; Output gets the bytes written.
void LoadDrawSavePictures(const std::string& rtf, size_t& output)
{
    TTableDoc doc;
    TRVRTFReaderProperties props;
    TStringStream in(rtf);
    props.ReadFromStream(in, &doc.Data);
    TRecordingCanvas canvas(400, 400, 96);
    for (int i = 0; i < doc.Data.GetItemCount(); ++i)
        if (auto* item = dynamic_cast<TRVGraphicItemInfo*>(doc.Data.GetItem(i)))
            item->Image()->Draw(&canvas, Rect(0, 0, 400, 400));
    doc.Data.RVFOptions = TRVFOptions{rvfoSavePicturesBody};
    TMemoryStream rvf, out;
    doc.Data.SaveRVFToStream(rvf, false, clNone, nullptr, nullptr);
    doc.Data.SaveRTFToStream(out, false, 0, clNone, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0);
    output = static_cast<size_t>(rvf.Size() + out.Size());
}

// The peak resident size of the process so far, in MB.
double PeakMB()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

double PictureCosts(double& peak)
{
    RV_RegisterRTFImport();
    const std::string small = RlePictures(8), large = RlePictures(16);
    size_t smallOut = 0, largeOut = 0;
    const double a = Best(3, [&] { LoadDrawSavePictures(small, smallOut); });
    const double b = Best(3, [&] { LoadDrawSavePictures(large, largeOut); });
    peak = PeakMB();
    std::printf("pictures, 8 / 16 run-length bitmaps of 5792x5792 (%zu / %zu bytes of RTF): %.3f s / %.3f s, "
                "%zu / %zu bytes of RVF and RTF written, ratio %.2f\n",
                small.size(), large.size(), a, b, smallOut, largeOut, b / a);
    return b / a;
}

// ---------------------------------------------------------------------------
// Fonts

// The resident size of the process now, in MB.
double ResidentMB()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A document laid out and painted on a Qt canvas (a bitmap's).
class TQtCanvasDoc : public TFuzzFormattedData {
public:
    TQtCanvasDoc(TRVStyle* style, TCanvas* canvas) : TFuzzFormattedData(style), FCanvas(canvas) {}
    TCanvas* GetCanvas() override { return FCanvas; }

private:
    TCanvas* FCanvas;
};

// A paragraph of Text at each of Count font sizes (half points from 2 up) or,
// with Names, in each of Count font names the system does not have.
std::string ManyFontsUsed(int count, bool names, const char* text)
{
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}";
    if (names)
        for (int i = 1; i <= count; ++i)
            rtf += "{\\f" + std::to_string(i) + "\\fswiss Face" + std::to_string(i) + ";}";
    rtf += "}\n";
    for (int i = 1; i <= count; ++i)
        rtf += names ? "{\\f" + std::to_string(i) + "\\fs20 " + text + "\\par}\n"
                     : "{\\fs" + std::to_string(i + 1) + " " + text + "\\par}\n";
    return rtf + "}";
}

// Reads the RTF, lays it out and paints it screen by screen on a bitmap's
// canvas; the growth of the resident size, in MB, from before the read to
// after the document has gone.
double FontGrowth(const std::string& rtf)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(FuzzDocumentWidth, FuzzScreenHeight);
    // The toolkit and the fallback face are set up before the count starts.
    bitmap.Canvas()->TextOut(0, 0, "Kelvor");
    const double before = ResidentMB();
    {
        TRVStyle style(nullptr);
        TQtCanvasDoc doc(&style, bitmap.Canvas());
        TRVRTFReaderProperties props;
        props.SetTextStyleMode(rvrsAddIfNeeded);
        TStringStream in(rtf);
        props.ReadFromStream(in, &doc);
        doc.Format_(false, true, false, 0, nullptr, false, true);
        for (int top = 0; top < doc.DocumentHeight; top += FuzzScreenHeight)
            doc.PaintTo(bitmap.Canvas(), Rect(0, top, FuzzDocumentWidth, top + FuzzScreenHeight));
    }
    return ResidentMB() - before;
}

// The growth for 5,000 sizes and for 5,000 names, each printed; the larger.
double FontCosts()
{
    RV_RegisterRTFImport();
    const double sizes = FontGrowth(ManyFontsUsed(5000, false, "Kelvor"));
    std::printf("fonts, 5,000 sizes each used for a word, laid out and painted: %.1f MB of growth\n", sizes);
    const double names = FontGrowth(ManyFontsUsed(5000, true, "Kelvor"));
    std::printf("fonts, 5,000 missing names each used for a word, laid out and painted: %.1f MB of growth\n",
                names);
    return std::max(sizes, names);
}

// ---------------------------------------------------------------------------
// RTF

// Fonts defined in the font table, each used once.
std::string ManyFonts(int fonts)
{
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl";
    for (int i = 0; i < fonts; ++i)
        rtf += "{\\f" + std::to_string(i) + "\\fswiss Font" + std::to_string(i) + ";}";
    rtf += "}\n";
    for (int i = 0; i < fonts; ++i)
        rtf += "{\\f" + std::to_string(i) + " x}";
    return rtf + "}";
}

// Lists and their overrides, each override used once.
std::string ManyListOverrides(int overrides)
{
    std::string rtf = "{\\rtf1\\ansi{\\*\\listtable";
    for (int i = 0; i < overrides; ++i)
        rtf += "{\\list\\listid" + std::to_string(i + 1) + "{\\listlevel\\levelnfc0}}";
    rtf += "}{\\*\\listoverridetable";
    for (int i = 0; i < overrides; ++i)
        rtf += "{\\listoverride\\listid" + std::to_string(i + 1) + "\\listoverridecount0\\ls" +
               std::to_string(i + 1) + "}";
    rtf += "}\n";
    for (int i = 0; i < overrides; ++i)
        rtf += "\\pard\\ls" + std::to_string(i + 1) + " x\\par\n";
    return rtf + "}";
}

void Parse(const std::string& rtf)
{
    TRVRTFReader reader(nullptr);
    size_t seen = 0;
    reader.OnNewText = [&](TRVRTFReader*, const AnsiString& text, TRVRTFPosition) { seen += text.size(); };
    TStringStream stream(rtf);
    reader.ReadFromStream(stream);
}

double RtfRatio(const char* name, const std::string& small, const std::string& large)
{
    const double a = Best(5, [&] { Parse(small); });
    const double b = Best(5, [&] { Parse(large); });
    std::printf("rtf, %s (%zu / %zu bytes): %.3f s / %.3f s, ratio %.2f\n", name, small.size(), large.size(),
                a, b, b / a);
    return b / a;
}

} // namespace

int main(int argc, char** argv)
{
    // hostile_bench [tables] [nested] [pictures] [metafiles] [rtf] [fonts] [lines] [kelvor]: only those parts
    // (all by default); the nested tables are a part of the tables.
    const auto part = [&](const char* name) {
        if (argc < 2)
            return true;
        for (int i = 1; i < argc; ++i)
            if (std::string(argv[i]) == name)
                return true;
        return false;
    };
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc == 3 && std::string(argv[1]) == "metafile-case") {
        const std::vector<TMetafileCase> cases = MetafileCases();
        char folder[] = "/tmp/hostile-bench-metafile-XXXXXX";
        if (!mkdtemp(folder))
            return 1;
        RunMetafileCase(cases.at(std::stoul(argv[2])), folder);
        std::system(("rm -rf '" + std::string(folder) + "'").c_str());
        return 0;
    }
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    RV_RegisterTableItem();

    const double tables = part("tables") ? TableCosts() : 0;
    const double spanning = part("tables") ? SpanningGridCosts() : 0;
    double nestedSize = 0, nestedTextToBinary = 0;
    std::vector<std::pair<const char*, double>> nested;
    if (part("tables") || part("nested"))
        nested = NestedCosts(nestedSize, nestedTextToBinary);
    double lookup = 0;
    if (part("rtf")) {
        const double fonts =
            RtfRatio("60,000 / 120,000 fonts each used once", ManyFonts(60000), ManyFonts(120000));
        const double overrides = RtfRatio("20,000 / 40,000 list overrides each used once",
                                          ManyListOverrides(20000), ManyListOverrides(40000));
        lookup = std::max(fonts, overrides);
    }
    double pictures = 0, picturesPeak = 0;
    if (part("pictures"))
        pictures = PictureCosts(picturesPeak);
    const double fonts = part("fonts") ? FontCosts() : 0;
    const double lines = part("lines") ? LineCosts() : 0;
    double metafileSeconds = 0, metafileMB = 0;
    if (part("metafiles"))
        MetafileCosts(argv[0], metafileSeconds, metafileMB);
    double start = 0;
    double closing = 0;
    if (part("kelvor")) {
        Application->Initialize();
        char folder[] = "/tmp/hostile-bench-XXXXXX";
        if (!mkdtemp(folder))
            return 1;
        const TKelvorCosts costs = KelvorStartAndExit(folder, 1000, 2000, 15);
        const TKelvorCost& small = costs.Best[0];
        const TKelvorCost& large = costs.Best[1];
        std::printf(
            "kelvor start, 1000 / 2000 saved files: %.3f s / %.3f s at best, ratio (median of rounds) "
            "%.2f\n",
            small.Start, large.Start, costs.StartRatio);
        std::printf("kelvor exit with settings saved, 1000 / 2000 files (two windows of 1000 closed in turn, "
                    "halved), processor time: %.3f s / %.3f s at best, ratio (median of rounds) %.2f\n",
                    small.Exit, large.Exit, costs.ExitRatio);
        std::system(("rm -rf '" + std::string(folder) + "'").c_str());
        start = costs.StartRatio;
        closing = costs.ExitRatio;
    }

    if (part("tables")) {
        std::printf("hostile table cost 2x/1x slots: %.2f\n", tables);
        std::printf("spanning grid cost 2x/1x, worst of claimed and justified grids: %.2f\n", spanning);
    }
    if (part("tables") || part("nested")) {
        double worst = 0;
        for (const auto& [name, ratio] : nested) {
            std::printf("nested tables %s cost 32/16 levels: %.2f\n", name, ratio);
            worst = std::max(worst, ratio);
        }
        std::printf("nested tables cost 32/16 levels, worst of RVF, RTF and HTML reading and writing: %.2f\n",
                    worst);
        std::printf("nested tables text RVF size 32/16 levels: %.2f\n", nestedSize);
        std::printf("nested tables text RVF size / binary size, worst: %.2f\n", nestedTextToBinary);
    }
    if (part("pictures")) {
        std::printf("pictures cost 16/8 bitmaps past the pixel budget: %.2f\n", pictures);
        std::printf("pictures peak resident size, MB: %.0f\n", picturesPeak);
    }
    if (part("metafiles")) {
        std::printf("metafiles of 64 KiB read, laid out, painted and saved, worst time, s: %.2f\n",
                    metafileSeconds);
        std::printf(
            "metafiles of 64 KiB read, laid out, painted and saved, worst peak resident size, MB: %.0f\n",
            metafileMB);
    }
    if (part("rtf"))
        std::printf("rtf lookup cost 2x/1x, worst of fonts and list overrides: %.2f\n", lookup);
    if (part("fonts"))
        std::printf("fonts resident growth, worst of 5,000 sizes and 5,000 names, MB: %.1f\n", fonts);
    if (part("lines"))
        std::printf("lines and outlines reaching 1000x further past a 100 x 100 image, cost ratio, worst of "
                    "dotted, dashed, XOR and focus figures: %.2f\n",
                    lines);
    if (part("kelvor")) {
        std::printf("kelvor start cost 2000/1000 files: %.2f\n", start);
        std::printf("kelvor exit cost 2000/1000 files: %.2f\n", closing);
    }
    return 0;
}
