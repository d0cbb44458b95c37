// Which pages a job prints and where, read back from the PDF with poppler:
// ranges beyond the document print only its pages, a range without any of
// them and an empty document print nothing and say so; with mirrored margins
// the header and footer move with the body on even pages; a picture larger
// than the printable area prints scaled down into it, and a huge one does not
// fail the job. Skipped when poppler is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "tests/support/testpdfprint.h"

namespace {

class PdfPagesTest : public PdfPrintFixture {
protected:
    // A document of three pages: page breaks before lines 10 and 20.
    void ThreePages()
    {
        AddLines(30);
        Source->SetPageBreaksBeforeItems(10, true);
        Source->SetPageBreaksBeforeItems(20, true);
        Print->AssignSource(Source);
        ASSERT_EQ(Print->FormatPages(), 3);
    }
    bool PdfWritten() { return !Dir.Read(Pdf).empty(); }
    void ForgetPdf() { std::remove(Pdf.c_str()); }
    // The first line ("Line nnn") of every printed page.
    std::string Firsts()
    {
        std::string s;
        for (const std::string& Page : PageTexts()) {
            const size_t At = Page.find("Line ");
            s += (s.empty() ? "" : " ") + (At == std::string::npos ? "-" : Page.substr(At + 5, 3));
        }
        return s;
    }
};

TEST_F(PdfPagesTest, RangesPrintOnlyTheDocumentsPages)
{
    ThreePages();
    struct TCase {
        int First;
        int Last;
        bool Printed;
        const char* Firsts;
    };
    const TCase Cases[] = {
        {1, 1000, true, "000 010 020"},
        {2, 2, true, "010"},
        {0, 2, true, "000 010"},
        {3, 9, true, "020"},
        {-5, -1, false, ""},
        {2, 1, false, ""},
        {4, 10, false, ""},
        {-2147483647 - 1, 2147483647, true, "000 010 020"},
    };
    for (const TCase& c : Cases) {
        SCOPED_TRACE(std::to_string(c.First) + ".." + std::to_string(c.Last));
        ForgetPdf();
        int Steps = 0;
        Print->OnSendingToPrinter = [&Steps](TCustomRollView*, int, TRVPrintingStep) { ++Steps; };
        EXPECT_EQ(Print->PrintPages(c.First, c.Last, "range", 1, true), c.Printed);
        ASSERT_EQ(PdfWritten(), c.Printed);
        if (!c.Printed) {
            EXPECT_EQ(Steps, 0) << "nothing is reported as sent";
            continue;
        }
        EXPECT_EQ(Firsts(), c.Firsts);
        EXPECT_EQ(PdfPages(),
                  static_cast<int>(std::count(c.Firsts, c.Firsts + std::string(c.Firsts).size(), ' ')) + 1);
    }
}

TEST_F(PdfPagesTest, AnEmptyDocumentPrintsNothingAndHasNoPreview)
{
    Print->AssignSource(Source);
    ASSERT_EQ(Print->FormatPages(), 0);
    EXPECT_FALSE(Print->Print("empty", 1, true));
    EXPECT_FALSE(PdfWritten());
    TBitmap Preview;
    EXPECT_FALSE(Print->MakePreview(1, &Preview));
    ThreePages();
    for (int Page : {0, 4, 99, -1}) {
        SCOPED_TRACE(Page);
        TBitmap Bitmap;
        Bitmap.SetSize(7, 9);
        EXPECT_FALSE(Print->MakePreview(Page, &Bitmap));
        EXPECT_EQ(Bitmap.Width(), 7) << "a missing page leaves the bitmap alone";
    }
    TBitmap Bitmap;
    EXPECT_TRUE(Print->MakePreview(3, &Bitmap));
    EXPECT_TRUE(Print->Print("three", 1, true));
    EXPECT_EQ(PdfPages(), 3);
}

TEST_F(PdfPagesTest, MirroredMarginsMoveTheHeaderAndFooterWithTheBody)
{
    HeaderAndFooter("HEADWORD", "FOOTWORD");
    Print->SetLeftMarginMM(40);
    Print->SetRightMarginMM(10);
    Print->SetMirrorMargins(true);
    AddLines(4);
    Source->SetPageBreaksBeforeItems(2, true);
    ASSERT_EQ(FormatAndPrint(), 2);
    const std::vector<TPdfWord> All = Words();
    auto LeftOf = [&All](int Page, const std::string& Text) {
        for (const TPdfWord& W : All)
            if (W.Page == Page && W.Text == Text)
                return W.XMin;
        ADD_FAILURE() << Text << " not on page " << Page;
        return -1.0;
    };
    const double MM = 72 / 25.4;
    for (int Page : {1, 2}) {
        SCOPED_TRACE(Page);
        const double Margin = (Page == 1 ? 40 : 10) * MM;
        EXPECT_NEAR(LeftOf(Page, "HEADWORD"), Margin, 1.5);
        EXPECT_NEAR(LeftOf(Page, "FOOTWORD"), Margin, 1.5);
        // The body also keeps the source viewer's own left margin (5 pixels).
        EXPECT_NEAR(LeftOf(Page, "Line"), Margin + 5 * 0.75, 1.5);
    }
}

TEST_F(PdfPagesTest, APictureLargerThanThePagePrintsScaledIntoIt)
{
    struct TCase {
        int Width; // as shown
        int Height;
        int Scale; // the picture's own size is the shown size divided by Scale
    };
    // 6000 x 9000 pixels shown: more than a bitmap may hold here.
    for (const TCase& c : {TCase{1500, 2000, 1}, TCase{6000, 9000, 10}, TCase{3000, 200, 1}}) {
        SCOPED_TRACE(std::to_string(c.Width) + "x" + std::to_string(c.Height));
        Source->Clear();
        auto* Picture = new TBitmap;
        Picture->SetSize(c.Width / c.Scale, c.Height / c.Scale);
        Picture->Canvas()->Brush()->SetColor(clRed);
        Picture->Canvas()->FillRect(Rect(0, 0, Picture->Width(), Picture->Height()));
        Source->AddNL("Before", 0, 0);
        Source->AddPictureEx("big", Picture, 0, rvvaBaseline);
        Source->AddNL("After", 0, 0);
        if (c.Scale != 1) {
            Source->SetItemExtraIntProperty(1, rvepImageWidth, c.Width);
            Source->SetItemExtraIntProperty(1, rvepImageHeight, c.Height);
        }
        ForgetPdf();
        FormatAndPrint();
        ASSERT_TRUE(PdfWritten());
        // The stored size stays the picture's own.
        EXPECT_EQ(Source->RVData->GetItem(1)->GetImageWidth(nullptr), c.Width);
        std::string Text;
        for (const std::string& Page : PageTexts())
            Text += Page;
        EXPECT_NE(Text.find("Before"), std::string::npos);
        EXPECT_NE(Text.find("After"), std::string::npos);
        // The page holding the picture: red inside the margins, white outside, the
        // picture's proportions kept.
        const int Pages = PdfPages();
        int Found = 0;
        for (int p = 1; p <= Pages; ++p) {
            const TPpm Image = Render(p, 20);
            int Left = Image.Width, Right = -1, Top = Image.Height, Bottom = -1;
            for (int y = 0; y < Image.Height; ++y)
                for (int x = 0; x < Image.Width; ++x)
                    if (Image.R(x, y) > 200 && Image.G(x, y) < 60 && Image.B(x, y) < 60) {
                        Left = std::min(Left, x);
                        Right = std::max(Right, x);
                        Top = std::min(Top, y);
                        Bottom = std::max(Bottom, y);
                    }
            if (Right < 0)
                continue; // no picture on this page
            ++Found;
            // 20 mm margins at 20 ppi: about 16 pixels.
            EXPECT_GE(Left, 14);
            EXPECT_GE(Top, 14);
            EXPECT_LE(Right, Image.Width - 14);
            EXPECT_LE(Bottom, Image.Height - 14);
            const double Ratio = double(Right - Left + 1) / (Bottom - Top + 1);
            EXPECT_NEAR(Ratio, double(c.Width) / c.Height, 0.1 * double(c.Width) / c.Height);
        }
        EXPECT_EQ(Found, 1);
    }
}

} // namespace

namespace {

TEST_F(PdfPagesTest, AFaceThisSystemLacksPrintsInItsSubstitute)
{
    if (!FontFamiliesInstalled({"Liberation Sans"}))
        GTEST_SKIP() << "the Liberation fonts are not installed";
    Style->TextStyles()->Items(0)->SetFontName("Arial");
    AddLines(2);
    FormatAndPrint();
    const std::string Fonts = Run("pdffonts '" + Pdf + "'");
    EXPECT_NE(Fonts.find("LiberationSans"), std::string::npos) << Fonts;
    EXPECT_EQ(Fonts.find("DejaVuSans"), std::string::npos) << Fonts;
}

} // namespace
