// Printing to PDF, read back with poppler: the page count and A4 size, every
// line once and in order across page breaks, header and footer text on every
// page, the order of copies, and pixels: nothing outside the margins with
// ClipMargins, grey only in grey-scale mode, a coloured background printed
// white in black-and-white mode. Skipped when poppler is missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/testpdfprint.h"

namespace {

using PdfPrintTest = PdfPrintFixture;

TEST_F(PdfPrintTest, ThreePagesOfA4WithEveryLineOnceInOrderAndHeaderAndFooterOnEach)
{
    HeaderAndFooter("HEADER TEXT", "FOOTER TEXT");
    Print->AssignSource(Source);
    // Enough lines for three pages.
    int Lines = 0;
    while (Print->GetPagesCount() < 3) {
        AddLines(10);
        Lines += 10;
        Source->Clear();
        AddLines(Lines);
        Print->AssignSource(Source);
        Print->FormatPages();
    }
    ASSERT_EQ(FormatAndPrint(), 3);
    const std::string Info = Run("pdfinfo '" + Pdf + "'");
    EXPECT_NE(Info.find("Pages:           3"), std::string::npos) << Info;
    EXPECT_NE(Info.find("595"), std::string::npos) << Info;
    EXPECT_NE(Info.find("842"), std::string::npos) << Info;

    const std::vector<std::string> Pages = PageTexts();
    ASSERT_EQ(Pages.size(), 3u);
    std::string All;
    for (const std::string& Page : Pages) {
        EXPECT_NE(Page.find("HEADER TEXT"), std::string::npos);
        EXPECT_NE(Page.find("FOOTER TEXT"), std::string::npos);
        EXPECT_LT(Page.find("HEADER TEXT"), Page.find("Line"));
        EXPECT_GT(Page.find("FOOTER TEXT"), Page.rfind("Line"));
        All += Page;
    }
    size_t At = 0;
    for (int i = 0; i < Lines; ++i) {
        char Line[32];
        std::snprintf(Line, sizeof Line, "Line %03d", i);
        const size_t Found = All.find(Line, At);
        ASSERT_NE(Found, std::string::npos) << Line;
        EXPECT_EQ(All.find(Line, Found + 1), std::string::npos) << Line << " doubled";
        At = Found;
    }
}

TEST_F(PdfPrintTest, CopiesComeInTheirOrder)
{
    // Two pages: a page break before the second half.
    AddLines(4);
    Source->SetPageBreaksBeforeItems(2, true);
    struct TCase {
        bool Collate;
        const char* Firsts; // the first line of each sheet
    };
    const TCase Cases[] = {{true, "000 002 000 002 000 002"}, {false, "000 000 000 002 002 002"}};
    for (const TCase& c : Cases) {
        SCOPED_TRACE(c.Collate);
        ASSERT_EQ(FormatAndPrint(3, c.Collate), 2);
        std::string Firsts;
        for (const std::string& Page : PageTexts()) {
            const size_t At = Page.find("Line ");
            ASSERT_NE(At, std::string::npos);
            Firsts += (Firsts.empty() ? "" : " ") + Page.substr(At + 5, 3);
        }
        EXPECT_EQ(Firsts, c.Firsts);
    }
}

TEST_F(PdfPrintTest, NothingIsDrawnOutsideTheMarginsWithClipMargins)
{
    AddLines(3);
    Print->ClipMargins = true;
    Print->OnPagePostpaint = [](TRVPrint*, int, TCanvas* Canvas, bool, const TRect& PageRect, const TRect&) {
        Canvas->Brush()->SetColor(clBlack);
        Canvas->FillRect(PageRect);
    };
    FormatAndPrint();
    const TPpm Image = Render();
    ASSERT_GT(Image.Width, 100);
    // 20 mm margins at 20 ppi are about 16 pixels; look 3 pixels inside and outside.
    const int M = 16;
    EXPECT_EQ(Image.R(M - 3, Image.Height / 2), 255);
    EXPECT_EQ(Image.R(Image.Width / 2, M - 3), 255);
    EXPECT_EQ(Image.R(Image.Width - M + 3, Image.Height / 2), 255);
    EXPECT_EQ(Image.R(Image.Width / 2, Image.Height - M + 3), 255);
    EXPECT_EQ(Image.R(M + 3, M + 3), 0);
    EXPECT_EQ(Image.R(Image.Width - M - 3, Image.Height - M - 3), 0);
}

TEST_F(PdfPrintTest, ColourModesPrintGreyAndWhite)
{
    Style->TextStyles()->Items(0)->SetColor(clRed);
    Source->SetColor(RGB(40, 160, 60));
    AddLines(40);
    struct TCase {
        TRVColorMode Mode;
        bool Grey;
        bool WhiteBackground;
    };
    const TCase Cases[] = {
        {rvcmGrayScale, true, false}, {rvcmBlackAndWhite, true, true}, {rvcmColor, false, false}};
    for (const TCase& c : Cases) {
        SCOPED_TRACE(static_cast<int>(c.Mode));
        Print->SetColorMode(c.Mode);
        FormatAndPrint();
        const TPpm Image = Render();
        bool AllGrey = true;
        for (int y = 0; y < Image.Height; ++y)
            for (int x = 0; x < Image.Width; ++x)
                AllGrey = AllGrey && Image.R(x, y) == Image.G(x, y) && Image.G(x, y) == Image.B(x, y);
        EXPECT_EQ(AllGrey, c.Grey);
        // Inside the printable area, below the text.
        const int x = Image.Width / 2;
        const int y = Image.Height - 30;
        EXPECT_EQ(Image.R(x, y) == 255 && Image.G(x, y) == 255, c.WhiteBackground);
    }
}

} // namespace
