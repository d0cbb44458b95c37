// Printing to PDF and reading the file back with poppler: a fixture with a
// source viewer, a print component and the PDF printer as the current
// printer; the page count (pdfinfo), the text of each page (pdftotext), the
// words of each page with their boxes in points (pdftotext -bbox) and a page
// rendered to pixels (pdftoppm). Tests skip when poppler is missing.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "platform/controls/printers.h"
#include "print/ptblrv.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/tempdir.h"
#include "view/rollview.h"

struct TPpm {
    int Width = 0;
    int Height = 0;
    std::string Rgb;
    unsigned char R(int x, int y) const { return Rgb[3 * (y * Width + x)]; }
    unsigned char G(int x, int y) const { return Rgb[3 * (y * Width + x) + 1]; }
    unsigned char B(int x, int y) const { return Rgb[3 * (y * Width + x) + 2]; }
};

// A word of a printed page, its box in points from the sheet's top-left corner.
struct TPdfWord {
    int Page = 0; // from 1
    double XMin = 0;
    double YMin = 0;
    double XMax = 0;
    double YMax = 0;
    std::string Text;
};

class PdfPrintFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ProgramAvailable("/usr/bin/pdftotext") || !ProgramAvailable("/usr/bin/pdfinfo") ||
            !ProgramAvailable("/usr/bin/pdftoppm"))
            GTEST_SKIP() << "poppler is not installed";
        Root = std::make_unique<TComponent>(nullptr);
        Style = new TRVStyle(Root.get());
        Source = MakeView();
        Print = new TRVPrint(Root.get());
        Pdf = Dir.File("out.pdf");
        OldPrinter = SetPrinter(std::make_unique<TPdfPrinter>(Pdf));
    }
    void TearDown() override
    {
        Root.reset();
        if (OldPrinter)
            SetPrinter(std::move(OldPrinter));
    }
    TRollView* MakeView()
    {
        auto* View = new TRollView(Root.get());
        View->SetStyle(Style);
        return View;
    }
    // A header and a footer of one line each.
    void HeaderAndFooter(const AnsiString& Head, const AnsiString& Foot)
    {
        TRollView* HeadView = MakeView();
        HeadView->AddNL(Head, 0, 0);
        TRollView* FootView = MakeView();
        FootView->AddNL(Foot, 0, 0);
        Print->SetHeader(HeadView->RVData);
        Print->SetFooter(FootView->RVData);
    }
    void AddLines(int Count)
    {
        for (int i = 0; i < Count; ++i) {
            char Line[32];
            std::snprintf(Line, sizeof Line, "Line %03d", i);
            Source->AddNL(Line, 0, 0);
        }
    }
    int FormatAndPrint(int Copies = 1, bool Collate = true)
    {
        Print->AssignSource(Source);
        const int Pages = Print->FormatPages();
        Print->Print("Kelvor test", Copies, Collate);
        return Pages;
    }
    std::string Run(const std::string& Command)
    {
        int Status = 0;
        std::string Out = RunCommand(Command, Status);
        EXPECT_EQ(Status, 0) << Command;
        return Out;
    }
    int PdfPages()
    {
        const std::string Info = Run("pdfinfo '" + Pdf + "'");
        const size_t At = Info.find("Pages:");
        return At == std::string::npos ? -1 : std::atoi(Info.c_str() + At + 6);
    }
    // The text of every page, in order.
    std::vector<std::string> PageTexts()
    {
        std::vector<std::string> Pages;
        std::string Text = Run("pdftotext -layout '" + Pdf + "' -");
        size_t Start = 0;
        for (size_t ff; (ff = Text.find('\f', Start)) != std::string::npos; Start = ff + 1)
            Pages.push_back(Text.substr(Start, ff - Start));
        return Pages;
    }
    // Every word of the file with its page and box.
    std::vector<TPdfWord> Words()
    {
        std::vector<TPdfWord> Result;
        const std::string Html = Run("pdftotext -bbox '" + Pdf + "' -");
        int Page = 0;
        for (size_t At = 0; At < Html.size();) {
            const size_t PageAt = Html.find("<page ", At);
            const size_t WordAt = Html.find("<word ", At);
            if (WordAt == std::string::npos)
                break;
            if (PageAt != std::string::npos && PageAt < WordAt) {
                ++Page;
                At = PageAt + 6;
                continue;
            }
            TPdfWord W;
            W.Page = Page;
            auto Attr = [&](const char* Name) {
                const size_t A = Html.find(std::string(Name) + "=\"", WordAt);
                return std::atof(Html.c_str() + A + std::string(Name).size() + 2);
            };
            W.XMin = Attr("xMin");
            W.YMin = Attr("yMin");
            W.XMax = Attr("xMax");
            W.YMax = Attr("yMax");
            const size_t TextAt = Html.find('>', WordAt) + 1;
            const size_t End = Html.find("</word>", TextAt);
            W.Text = Html.substr(TextAt, End - TextAt);
            Result.push_back(W);
            At = End;
        }
        return Result;
    }
    // Page PageNo rendered at Dpi pixels per inch.
    TPpm Render(int PageNo = 1, int Dpi = 20)
    {
        const std::string Base = Dir.File("page");
        const std::string P = std::to_string(PageNo);
        Run("pdftoppm -r " + std::to_string(Dpi) + " -f " + P + " -l " + P + " -singlefile '" + Pdf + "' '" +
            Base + "'");
        std::istringstream In(Dir.Read(Base + ".ppm"));
        std::string Magic;
        int Max = 0;
        TPpm Image;
        In >> Magic >> Image.Width >> Image.Height >> Max;
        In.get();
        Image.Rgb.resize(static_cast<size_t>(3 * Image.Width * Image.Height));
        In.read(&Image.Rgb[0], static_cast<std::streamsize>(Image.Rgb.size()));
        EXPECT_EQ(Magic, "P6");
        return Image;
    }

    TempDir Dir;
    std::string Pdf;
    std::unique_ptr<TComponent> Root;
    TRVStyle* Style = nullptr;
    TRollView* Source = nullptr;
    TRVPrint* Print = nullptr;
    std::unique_ptr<TPrinter> OldPrinter;
};
