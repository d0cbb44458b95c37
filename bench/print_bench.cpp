// print_bench: printing a plain-text log with the print component, in one
// process on the offscreen platform. A plain timing program (its output is
// read by people and scripts, line by line); built with the project, not run
// by CI.
//
// 1. Pagination cost per page: FormatPages of a document of 1,000 pages
//    against one of 100 pages (lines of the same text, A4 at 600 ppi, 20 mm
//    margins); the ratio of the costs per page, best of three runs each.
// 2. Against QTextDocument::print: the same 100-page log, as plain text in
//    the same font at the same size, printed to PDF on A4 at 600 ppi with the
//    same margins by both; the ratio of the times (building the document from
//    the same lines and formatting included on both sides) and of the PDF
//    file sizes. pdftotext reads our text back when poppler is there.
// 3. The readiness check (Ready, asked by every Print and DrawPreview) of the
//    1,000-page document against the 100-page one: the time of 100,000 checks
//    each, best of three runs; it should not grow with the document.
// 4. The same as 2 for one paragraph of 1,000,000 characters.
#include <QApplication>
#include <QFile>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "document/rvstyle.h"
#include "platform/controls/printers.h"
#include "print/ptblrv.h"
#include "view/rollview.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point From)
{
    return std::chrono::duration<double>(Clock::now() - From).count();
}

std::string LogLine(int i)
{
    char Line[128];
    std::snprintf(Line, sizeof Line,
                  "2024-05-01 12:%02d:%02d.%03d INFO  worker-%d request %06d handled in %d ms", (i / 60) % 60,
                  i % 60, i % 1000, i % 8, i, i % 97);
    return Line;
}

struct TSetup {
    std::unique_ptr<TComponent> Root = std::make_unique<TComponent>(nullptr);
    TRVStyle* Style = new TRVStyle(Root.get());
    TRollView* Source = new TRollView(Root.get());
    TRVPrint* Print = new TRVPrint(Root.get());
    TSetup() { Source->SetStyle(Style); }
    void Fill(int Lines)
    {
        Source->Clear();
        for (int i = 0; i < Lines; ++i)
            Source->AddNL(LogLine(i), 0, 0);
        Print->AssignSource(Source);
    }
};

// Lines for about Pages pages.
int LinesFor(TSetup& s, int Pages)
{
    s.Fill(1000);
    const int PerPage = 1000 / std::max(1, s.Print->FormatPages() - 1);
    return PerPage * Pages;
}

double BestFormat(TSetup& s, int& Pages)
{
    double Best = 1e30;
    for (int r = 0; r < 3; ++r) {
        const auto Start = Clock::now();
        Pages = s.Print->FormatPages();
        Best = std::min(Best, Seconds(Start));
    }
    return Best;
}

// 100,000 readiness checks, best of three runs.
double BestReadyChecks(TSetup& s)
{
    double Best = 1e30;
    for (int r = 0; r < 3; ++r) {
        int ReadyCount = 0;
        const auto Start = Clock::now();
        for (int i = 0; i < 100000; ++i)
            ReadyCount += s.Print->Ready() ? 1 : 0;
        Best = std::min(Best, Seconds(Start));
        if (ReadyCount != 100000)
            std::printf("not ready after formatting\n");
    }
    return Best;
}

long FileSize(const std::string& Name)
{
    QFile f(QString::fromStdString(Name));
    return f.exists() ? static_cast<long>(f.size()) : 0;
}

// Ours: the lines as paragraphs of the source view, paginated and printed
// to PDF; the time from the first line added to the file written.
double OurPdf(TSetup& s, const std::vector<std::string>& Lines, int& Pages)
{
    s.Source->Clear();
    const auto Start = Clock::now();
    for (const std::string& Line : Lines)
        s.Source->AddNL(Line, 0, 0);
    s.Print->AssignSource(s.Source);
    Pages = s.Print->FormatPages();
    s.Print->Print("log", 1, true);
    return Seconds(Start);
}

// The peer: the same lines as plain text, font, paper, resolution and
// margins, set into a QTextDocument and printed; timed alike.
double PeerPdf(TSetup& s, const std::vector<std::string>& Lines, const std::string& File)
{
    const TFontInfo* Font = s.Style->TextStyles()->Items(0);
    const auto Start = Clock::now();
    std::string Text;
    for (const std::string& Line : Lines)
        Text += Line + "\n";
    QPdfWriter Writer(QString::fromStdString(File));
    Writer.setResolution(600);
    Writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
    QTextDocument Document;
    Document.setDefaultFont(QFont(QString::fromStdString(Font->FontName()), Font->Size()));
    Document.setPlainText(QString::fromStdString(Text));
    Document.print(&Writer);
    return Seconds(Start);
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication App(argc, argv);
    const std::string Dir = "/tmp/print_bench_" + std::to_string(getpid());
    std::system(("mkdir -p " + Dir).c_str());
    const std::string Ours = Dir + "/ours.pdf";
    const std::string Peer = Dir + "/qtextdocument.pdf";
    SetPrinter(std::make_unique<TPdfPrinter>(Ours));

    TSetup s;
    const int PerPage100 = LinesFor(s, 100);
    const int Lines100 = PerPage100;
    s.Fill(Lines100);
    int Pages100 = 0;
    const double T100 = BestFormat(s, Pages100);
    const double Ready100 = BestReadyChecks(s);
    s.Fill(Lines100 * 10);
    int Pages1000 = 0;
    const double T1000 = BestFormat(s, Pages1000);
    const double Ready1000 = BestReadyChecks(s);
    std::printf("pagination: %d pages in %.3f s, %d pages in %.3f s\n", Pages100, T100, Pages1000, T1000);
    std::printf("readiness: 100000 checks of %d pages in %.4f s, of %d pages in %.4f s\n", Pages100, Ready100,
                Pages1000, Ready1000);

    // The 100-page log to PDF by both, from the same lines, document building
    // and formatting included on both sides.
    std::vector<std::string> Lines;
    for (int i = 0; i < Lines100; ++i)
        Lines.push_back(LogLine(i));
    int OurPages = 0;
    const double OurTime = OurPdf(s, Lines, OurPages);
    const double PeerTime = PeerPdf(s, Lines, Peer);
    const long OurSize = FileSize(Ours);
    const long PeerSize = FileSize(Peer);
    std::printf("pdf: ours %d pages %.3f s %ld bytes, qtextdocument %.3f s %ld bytes\n", OurPages, OurTime,
                OurSize, PeerTime, PeerSize);
    if (std::system("command -v pdftotext >/dev/null 2>&1") == 0) {
        const std::string Check = "pdftotext '" + Ours + "' - | grep -c 'request' ";
        if (FILE* p = popen(Check.c_str(), "r")) {
            int Found = 0;
            if (std::fscanf(p, "%d", &Found) != 1)
                Found = 0;
            pclose(p);
            std::printf("pdftotext reads back %d of %d lines\n", Found, Lines100);
        }
    }

    // One paragraph of 1,000,000 characters (words of the log, no line ends).
    std::string Paragraph;
    for (int i = 0; Paragraph.size() < 1000000; ++i)
        Paragraph += LogLine(i) + ' ';
    Paragraph.resize(1000000);
    int LongPages = 0;
    const double OurLong = OurPdf(s, {Paragraph}, LongPages);
    const double PeerLong = PeerPdf(s, {Paragraph}, Peer);
    std::printf("long paragraph pdf: ours %d pages %.3f s %ld bytes, qtextdocument %.3f s %ld bytes\n",
                LongPages, OurLong, FileSize(Ours), PeerLong, FileSize(Peer));
    std::system(("rm -rf " + Dir).c_str());

    std::printf("pagination per-page cost 1000/100: %.2f\n", (T1000 / Pages1000) / (T100 / Pages100));
    std::printf("readiness check time 1000 pages/100 pages: %.2f\n", Ready1000 / Ready100);
    std::printf("pdf time ours/qtextdocument: %.2f\n", OurTime / PeerTime);
    std::printf("pdf size ours/qtextdocument: %.2f\n", static_cast<double>(OurSize) / PeerSize);
    std::printf("long paragraph pdf time ours/qtextdocument: %.2f\n", OurLong / PeerLong);
    return 0;
}
