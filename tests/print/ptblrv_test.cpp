// The print component: copies and collation on the recording printer, a
// device that makes copies itself, a job that fails part-way, Ready after the
// source changed or went away, and what a page paints on a canvas (letter
// spacing per run, the caller's canvas state kept, split parts, paragraph
// colour around a picture).
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "document/rvstr.h"
#include "platform/controls/extctrls_panel.h"
#include "platform/controls/forms.h"
#include "platform/controls/stdctrls.h"
#include "platform/core/colors.h"
#include "platform/core/numbers.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/imagelist.h"
#include "tests/support/testprint.h"

namespace {

class PrintComponentTest : public TPrintFixture {
protected:
    void SetUp() override
    {
        TPrintFixture::SetUp();
        Recording->SetResolution(96, 96);
        Print->OnSendingToPrinter = [this](TCustomRollView*, int Page, TRVPrintingStep Step) {
            if (Step == rvpsProceeding)
                Sent.push_back(Page);
        };
    }
    // Two pages of ten lines each.
    void TwoPages()
    {
        AddLines(20);
        ASSERT_EQ(Format(300, 140), 2);
    }
    std::vector<int> Sent;
};

struct TCopiesCase {
    bool Collate;
    bool DeviceCopies;
    std::vector<int> Order; // pages sent, in order
    const char* Log;
};

TEST_F(PrintComponentTest, CopiesAndCollation)
{
    const TCopiesCase Cases[] = {
        {true,
         false,
         {1, 2, 1, 2, 1, 2},
         "BeginDoc 1 copies=1 title=T\nNewPage 2\nNewPage 3\nNewPage 4\nNewPage 5\nNewPage 6\nEndDoc 6\n"},
        {false,
         false,
         {1, 1, 1, 2, 2, 2},
         "BeginDoc 1 copies=1 title=T\nNewPage 2\nNewPage 3\nNewPage 4\nNewPage 5\nNewPage 6\nEndDoc 6\n"},
        // The device copies: one pass, its count set for the job.
        {true, true, {1, 2}, "BeginDoc 1 copies=3 title=T\nNewPage 2\nEndDoc 2\n"},
    };
    TwoPages();
    for (const TCopiesCase& c : Cases) {
        SCOPED_TRACE(std::string(c.Collate ? "collated" : "not collated") +
                     (c.DeviceCopies ? ", device" : ""));
        Sent.clear();
        Recording->ClearLog();
        Recording->SetMakesCopies(c.DeviceCopies);
        Recording->SetCopies(2);
        Print->Print("T", 3, c.Collate);
        EXPECT_EQ(Sent, c.Order);
        EXPECT_EQ(Recording->LogText(), c.Log);
        EXPECT_EQ(Recording->Copies(), 2); // given back
        // The sheets show what was sent: equal pages, different pages.
        const auto& Sheets = Recording->Pages();
        ASSERT_EQ(Sheets.size(), c.Order.size());
        for (size_t i = 1; i < Sheets.size(); ++i)
            EXPECT_EQ(Sheets[i].Pixels == Sheets[0].Pixels, c.Order[i] == c.Order[0]) << i;
    }
}

TEST_F(PrintComponentTest, AJobThatFailsIsAbortedAndTheCopyCountRestored)
{
    TwoPages();
    for (bool DeviceCopies : {false, true}) {
        SCOPED_TRACE(DeviceCopies);
        Recording->ClearLog();
        Recording->SetMakesCopies(DeviceCopies);
        Recording->SetCopies(2);
        Print->OnPagePrepaint = [](TRVPrint*, int PageNo, TCanvas*, bool, const TRect&, const TRect&) {
            if (PageNo == 2)
                throw std::runtime_error("stop");
        };
        EXPECT_THROW(Print->Print("T", 3, true), std::runtime_error);
        EXPECT_FALSE(Printer()->Printing());
        EXPECT_EQ(Recording->Copies(), 2);
        EXPECT_NE(Recording->LogText().find("Abort 2"), AnsiString::npos);
        EXPECT_EQ(Recording->LogText().find("EndDoc"), AnsiString::npos);
        Print->OnPagePrepaint = nullptr;
    }
}

TEST_F(PrintComponentTest, AChangedOrDestroyedSourceIsNotReady)
{
    TwoPages();
    TRecordingCanvas Canvas(300, 300);
    EXPECT_TRUE(Print->Ready());
    EXPECT_TRUE(Print->DrawPreview(1, &Canvas, Rect(0, 0, 300, 300)));
    Source->SetItemText(3, "changed");
    EXPECT_FALSE(Print->Ready());
    Canvas.Clear();
    EXPECT_FALSE(Print->DrawPreview(1, &Canvas, Rect(0, 0, 300, 300)));
    EXPECT_EQ(Canvas.Count(), 0);
    EXPECT_THROW(Print->Print("T", 1, true), ERollViewError);
    Print->FormatPages();
    EXPECT_TRUE(Print->Ready());
    Source->AddNL("more", 0, 0);
    EXPECT_FALSE(Print->Ready());
    Print->FormatPages();
    delete Source;
    Source = nullptr;
    EXPECT_FALSE(Print->Ready());
    EXPECT_FALSE(Print->DrawPreview(1, &Canvas, Rect(0, 0, 300, 300)));
    EXPECT_EQ(Print->GetPagesCount(), 0);
}

TEST_F(PrintComponentTest, ADestroyedFooterSourceIsNotReady)
{
    TwoPages();
    TRollView* Foot = new TRollView(Root.get());
    Foot->SetStyle(Style);
    Foot->AddNL("foot", 0, 0);
    Print->SetFooter(Foot->RVData);
    Print->FormatPages();
    EXPECT_TRUE(Print->Ready());
    Print->SetFooter(nullptr);
    delete Foot;
    EXPECT_FALSE(Print->Ready());
}

TEST_F(PrintComponentTest, EveryTextRunSetsItsOwnLetterSpacing)
{
    TFontInfo* Spaced = Style->TextStyles()->Add();
    Spaced->SetCharSpacing(2);
    Source->AddNL("ab", Spaced->Index(), 0);
    Source->Add("cd", 0);
    Source->AddNL("ef", 0, 0);
    Format(300, 140);
    TRecordingCanvas Canvas(300, 300);
    Canvas.SetTextCharacterExtra(5);
    Print->rv->DrawPage(1, &Canvas, false, false);
    const auto Texts = Canvas.RecordsOf(TCanvasOp::Text);
    ASSERT_EQ(Texts.size(), 3u);
    EXPECT_EQ(Texts[0]->CharX, (std::vector<int>{0, 9}));
    EXPECT_EQ(Texts[1]->CharX, (std::vector<int>{0, 7}));
    EXPECT_EQ(Texts[2]->CharX, (std::vector<int>{0, 7}));
    // The caller's canvas is as it was.
    EXPECT_EQ(Canvas.GetTextCharacterExtra(), 5);
}

TEST_F(PrintComponentTest, DrawingAPageKeepsTheCallersClipAndFont)
{
    TwoPages();
    Print->ClipMargins = true;
    TRecordingCanvas Canvas(300, 300);
    Canvas.Font()->SetPixelsPerInch(72);
    Canvas.Font()->SetName("Keep");
    const TRect Clip = Canvas.ClipRect();
    Print->rv->DrawPage(1, &Canvas, false, false);
    EXPECT_EQ(Canvas.ClipRect(), Clip);
    EXPECT_EQ(Canvas.Font()->PixelsPerInch(), 72);
    EXPECT_EQ(Canvas.Font()->Name(), "Keep");
}

TEST_F(PrintComponentTest, NothingPaintedAfterThePrepaintLeavesTheMarginsWithClipMargins)
{
    Print->SetLeftMarginMM(10);
    Print->SetTopMarginMM(10);
    AddLines(20);
    Format(300, 240);
    Print->ClipMargins = true;
    TRect Area;
    Print->OnPagePostpaint = [&](TRVPrint*, int, TCanvas* Canvas, bool, const TRect&,
                                 const TRect& PrintArea) {
        Area = PrintArea;
        Canvas->Brush()->SetColor(clRed);
        Canvas->FillRect(Rect(0, 0, 300, 300)); // the whole sheet, clipped to the area
    };
    TRecordingCanvas Canvas(300, 300);
    Print->rv->DrawPage(1, &Canvas, false, false);
    const auto Fills = Canvas.RecordsOf(TCanvasOp::FillRect);
    ASSERT_FALSE(Fills.empty());
    EXPECT_EQ(Fills.back()->Clip, Area);
    EXPECT_EQ(Area.Left, 38); // 10 mm at 96 ppi
}

TEST_F(PrintComponentTest, APageOfASplitPicturePaintsItsPartAtTheTop)
{
    AddLines(5);
    auto* Bitmap = new TBitmap;
    Bitmap->SetSize(40, 300);
    Source->AddPictureEx("p", Bitmap, 0, rvvaBaseline);
    Source->SetItemExtraIntProperty(5, rvepMinHeightOnPage, 10);
    ASSERT_EQ(Format(300, 140), 3);
    TRecordingCanvas Canvas(300, 300);
    Print->rv->DrawPage(2, &Canvas, false, false);
    const auto Pictures = Canvas.RecordsOf(TCanvasOp::Pixels);
    ASSERT_EQ(Pictures.size(), 1u);
    // The part sits at the top of the page's text (the source's 5 px margin),
    // inside the picture's 1 px spacing.
    EXPECT_EQ(Pictures[0]->Rect.Top, 5 + 1);
    EXPECT_EQ(Pictures[0]->Rect.Bottom - Pictures[0]->Rect.Top, 130);
}

TEST_F(PrintComponentTest, APictureOnAColouredParagraphHasThatColourAroundIt)
{
    TParaInfo* Coloured = Style->ParaStyles()->Add();
    Coloured->Background()->SetColor(clRed);
    auto* Bitmap = new TBitmap;
    Bitmap->SetSize(20, 20);
    Bitmap->Canvas()->Brush()->SetColor(clBlue);
    Bitmap->Canvas()->FillRect(Rect(0, 0, 20, 20));
    Source->AddPictureEx("p", Bitmap, Coloured->Index(), rvvaBaseline);
    Source->SetItemExtraIntProperty(0, rvepSpacing, 4);
    Format(300, 140);
    Print->Print("T", 1, true);
    ASSERT_EQ(Recording->Pages().size(), 1u);
    const TPixelBuffer& Sheet = Recording->Pages()[0];
    const TRVDrawLineInfo* dli = Print->PrintableData()->DrawItems[0];
    const int X = dli->Left;
    const int Y = dli->Top + 5;                                // below the source's top margin
    EXPECT_EQ(Sheet.At(X + 1, Y + 1) & 0xFFFFFF, 0xFF0000u);   // the spacing: the paragraph's red
    EXPECT_EQ(Sheet.At(X + 10, Y + 10) & 0xFFFFFF, 0x0000FFu); // the picture
}

// The page's colour fills the page and the space around a picture on a
// paragraph without a colour of its own, as the colour mode shows a background.
TEST_F(PrintComponentTest, ThePageColourFollowsTheColourMode)
{
    auto* Bitmap = new TBitmap;
    Bitmap->SetSize(20, 20);
    Source->AddPictureEx("p", Bitmap, 0, rvvaBaseline);
    Source->SetItemExtraIntProperty(0, rvepSpacing, 4);
    Source->SetColor(RGB(40, 160, 60));
    const struct {
        TRVColorMode Mode;
        uint32_t Rgb;
    } Cases[] = {{rvcmColor, 0x28A03C},
                 {rvcmPrinterColor, 0x28A03C},
                 {rvcmGrayScale, 0x717171},
                 {rvcmBlackAndWhite, 0xFFFFFF},
                 {rvcmBlackOnWhite, 0xFFFFFF}};
    for (const auto& c : Cases) {
        SCOPED_TRACE(static_cast<int>(c.Mode));
        Print->SetColorMode(c.Mode);
        Format(300, 140);
        Print->Print("T", 1, true);
        ASSERT_FALSE(Recording->Pages().empty());
        const TPixelBuffer& Sheet = Recording->Pages().back();
        const TRVDrawLineInfo* dli = Print->PrintableData()->DrawItems[0];
        const int X = dli->Left;
        const int Y = dli->Top + 5;                            // below the source's top margin
        EXPECT_EQ(Sheet.At(X + 1, Y + 1) & 0xFFFFFF, c.Rgb);   // the spacing
        EXPECT_EQ(Sheet.At(X + 60, Y + 60) & 0xFFFFFF, c.Rgb); // the page below the line
    }
}

TEST_F(PrintComponentTest, PaintingWithoutAStyleSheetIsRefused)
{
    TwoPages();
    Print->rv->SetStyle(nullptr);
    TRecordingCanvas Canvas(300, 300);
    EXPECT_THROW(Print->PrintableData()->TCustomPrintableRVData::DrawPage(1, &Canvas, false, false),
                 ERollViewError);
    EXPECT_EQ(Canvas.Count(), 0);
}

TEST_F(PrintComponentTest, TheMarginsRectangleFollowsMirroredMargins)
{
    Print->SetLeftMarginMM(10);  // 38 pixels at 96 ppi
    Print->SetRightMarginMM(20); // 76 pixels
    Print->SetMirrorMargins(true);
    TwoPages();
    TRecordingCanvas Canvas(400, 400);
    // The sheet (300 x 140) at half its size, 10 pixels right and 20 down.
    const TRect PageRect = Rect(10, 20, 160, 90);
    Print->DrawMarginsRect(&Canvas, PageRect, 1);
    Print->DrawMarginsRect(&Canvas, PageRect, 2);
    const auto Rects = Canvas.RecordsOf(TCanvasOp::Rectangle);
    ASSERT_EQ(Rects.size(), 2u);
    EXPECT_EQ(Rects[0]->Rect, Rect(10 + 19, 20, 10 + 112, 20 + 70)); // left margin 38 on odd pages
    EXPECT_EQ(Rects[1]->Rect, Rect(10 + 38, 20, 10 + 131, 20 + 70)); // 76 on even ones
}

TEST_F(PrintComponentTest, AControlPrintsAsThePictureTheEventGives)
{
    auto* Control = new TCustomControl(nullptr); // the item owns it
    Control->SetBounds(0, 0, 30, 20);
    Source->AddControlEx("c", Control, 0, rvvaBaseline);
    Format(300, 140);
    TControl* Asked = nullptr;
    Print->OnPrintComponent = [&](TCustomRVPrint*, TControl* PrintMe, std::unique_ptr<TBitmap>& Image) {
        Asked = PrintMe;
        Image = std::make_unique<TBitmap>();
        Image->SetSize(30, 20);
        Image->Canvas()->Brush()->SetColor(clRed);
        Image->Canvas()->FillRect(Rect(0, 0, 30, 20));
    };
    Print->Print("T", 1, true);
    EXPECT_EQ(Asked, Control);
    const TRVDrawLineInfo* dli = Print->PrintableData()->DrawItems[0];
    const TPixelBuffer& Sheet = Recording->Pages().at(0);
    EXPECT_EQ(Sheet.At(dli->Left + 15, dli->Top + 5 + 10) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(PrintComponentTest, APanelPrintsAsItsPictureWithItsButtonAndEditBox)
{
    auto* Panel = new TPanel(nullptr); // the item owns it
    Panel->SetBounds(0, 0, 120, 60);
    auto* Button = new TButton(Panel);
    Button->SetParent(Panel);
    Button->SetBounds(10, 5, 50, 20);
    auto* Edit = new TEdit(Panel);
    Edit->SetParent(Panel);
    Edit->SetBounds(10, 30, 100, 20);
    Edit->SetColor(clYellow);
    Source->AddControlEx("panel", Panel, 0, rvvaBaseline);
    Format(300, 140);
    Print->Print("T", 1, true);
    const TRVDrawLineInfo* dli = Print->PrintableData()->DrawItems[0];
    const TPixelBuffer& Sheet = Recording->Pages().at(0);
    const int X = dli->Left + 1, Y = dli->Top + 5 + 1; // inside the item's spacing of 1
    auto Rgb = [](TColor c) {
        const TColor rgb = ColorToRGB(c);
        return uint32_t(GetRValue(rgb)) << 16 | uint32_t(GetGValue(rgb)) << 8 | GetBValue(rgb);
    };
    EXPECT_EQ(Sheet.At(X + 10, Y + 5) & 0xFFFFFF, Rgb(clBtnHighlight)) << "the button's edge";
    EXPECT_EQ(Sheet.At(X + 59, Y + 24) & 0xFFFFFF, Rgb(cl3DDkShadow));
    EXPECT_EQ(Sheet.At(X + 105, Y + 45) & 0xFFFFFF, Rgb(clYellow)) << "the edit box's face";
    EXPECT_EQ(Sheet.At(X + 115, Y + 55) & 0xFFFFFF, Rgb(clBtnFace)) << "the panel's face";
}

TEST_F(PrintComponentTest, APreviewIsTheSheetScaledIntoThePageRectangle)
{
    TwoPages();
    TRecordingCanvas Canvas(400, 400);
    Canvas.Font()->SetPixelsPerInch(72);
    Canvas.IntersectClipRect(0, 0, 390, 390);
    // The 300 x 140 sheet at half its size, 10 pixels right and 20 down.
    ASSERT_TRUE(Print->DrawPreview(1, &Canvas, Rect(10, 20, 160, 90)));
    const auto Fills = Canvas.RecordsOf(TCanvasOp::FillRect);
    ASSERT_FALSE(Fills.empty());
    EXPECT_EQ(Fills[0]->Rect, Rect(10, 20, 160, 90)); // the white sheet
    const auto Texts = Canvas.RecordsOf(TCanvasOp::Text);
    ASSERT_EQ(Texts.size(), 10u);
    const TRVDrawLineInfo* dli = Print->PrintableData()->DrawItems[1];
    EXPECT_EQ(Texts[1]->X, 10 + MulDiv(dli->Left, 1, 2));
    EXPECT_EQ(Texts[1]->Y, 20 + MulDiv(dli->Top + 5, 1, 2));
    // The caller's canvas is as it was.
    EXPECT_EQ(Canvas.GetMapMode(), MM_TEXT);
    EXPECT_EQ(Canvas.ViewportOrg(), (TPoint{0, 0}));
    EXPECT_EQ(Canvas.ClipRect(), Rect(0, 0, 390, 390));
    EXPECT_EQ(Canvas.Font()->PixelsPerInch(), 72);
}

TEST_F(PrintComponentTest, APreviewAt100PercentIsTheSheetAtScreenResolution)
{
    AddLines(3);
    Format(4960, 7016, 600); // A4 at 600 ppi
    TBitmap Preview;
    ASSERT_TRUE(Print->MakePreview(1, &Preview));
    EXPECT_EQ(Preview.Width(), MulDiv(4960, 96, 600));
    EXPECT_EQ(Preview.Height(), MulDiv(7016, 96, 600));
}

TEST_F(PrintComponentTest, EveryItemKindPrints)
{
    TImageList Images(nullptr, 8, 8);
    Images.AddPixels(TPixelBuffer(8, 8, 0xFF0000FFu));
    auto Square = [] {
        auto* Bitmap = new TBitmap;
        Bitmap->SetSize(12, 12);
        Bitmap->Canvas()->Brush()->SetColor(clGreen);
        Bitmap->Canvas()->FillRect(Rect(0, 0, 12, 12));
        return Bitmap;
    };
    TRVListLevel* Level = Style->ListStyles()->Add()->Levels()->Add();
    Level->SetListType(rvlstDecimal);
    Level->SetFormatString("%0:s.");
    Source->AddNL("text", 0, 0);
    Source->AddBreak();
    Source->AddBulletEx("bullet", 0, &Images, 0);
    Source->AddHotspotEx("hot spot", 0, 0, &Images, 0);
    Source->AddPictureEx("picture", Square(), 0, rvvaBaseline);
    Source->AddHotPicture("hot picture", Square(), 0, rvvaBaseline);
    auto* Control = new TCustomControl(nullptr); // the item owns it
    Control->SetBounds(0, 0, 10, 10);
    Source->AddControlEx("control", Control, 0, rvvaBaseline);
    Source->AddNL("listed", 0, 0);
    ASSERT_EQ(Source->SetListMarkerInfo(-1, 0, 0, 1, 0, false), 8);
    Print->OnPrintComponent = [](TCustomRVPrint*, TControl*, std::unique_ptr<TBitmap>& Image) {
        Image = std::make_unique<TBitmap>();
        Image->SetSize(10, 10);
        Image->Canvas()->Brush()->SetColor(clRed);
        Image->Canvas()->FillRect(Rect(0, 0, 10, 10));
    };
    ASSERT_EQ(Format(300, 240), 1);
    Print->Print("T", 1, true);
    const TPixelBuffer& Sheet = Recording->Pages().at(0);
    const TRVDrawLines& Items = Print->PrintableData()->DrawItems;
    std::vector<int> Printed(Source->GetLineCount(), 0);
    for (int i = 0; i < Items.Count(); ++i) {
        const TRVDrawLineInfo* dli = Items[i];
        for (int y = dli->Top + 5; y < dli->Top + 5 + dli->Height; ++y)
            for (int x = std::max(0, dli->Left); x < std::min(300, dli->Left + std::max(dli->Width, 1)); ++x)
                Printed[dli->ItemNo] += (Sheet.At(x, y) & 0xFFFFFF) != 0xFFFFFF;
    }
    for (int ItemNo = 0; ItemNo < Source->GetLineCount(); ++ItemNo)
        EXPECT_GT(Printed[ItemNo], 0) << "item " << ItemNo << " style " << Source->GetItemStyle(ItemNo);
}

TEST_F(PrintComponentTest, ContinuousOutputPrintsInsideTheCallersJob)
{
    TwoPages();
    Printer()->BeginDoc();
    Print->ContinuousPrint();
    Printer()->EndDoc();
    EXPECT_EQ(Recording->LogText(), "BeginDoc 1 copies=1 title=\nNewPage 2\nEndDoc 2\n");
    EXPECT_TRUE(Sent.empty());
    EXPECT_NE(Recording->Pages()[0].Pixels, Recording->Pages()[1].Pixels);
}

TEST_F(PrintComponentTest, ABackgroundPictureFillsThePrintableArea)
{
    TBitmap Back; // copied by the viewer
    Back.SetSize(10, 10);
    Back.Canvas()->Brush()->SetColor(clRed);
    Back.Canvas()->FillRect(Rect(0, 0, 10, 10));
    Source->SetBackBitmap(&Back);
    Source->SetBackgroundStyle(bsTiled);
    Print->SetLeftMarginMM(10); // 38 pixels at 96 ppi
    AddLines(3);
    Format(300, 140);
    TRecordingCanvas Canvas(300, 300);
    Print->rv->DrawPage(1, &Canvas, false, false);
    const auto Pictures = Canvas.RecordsOf(TCanvasOp::Pixels);
    ASSERT_FALSE(Pictures.empty());
    EXPECT_EQ(Pictures[0]->Rect, Rect(38, 0, 300, 140)); // the area, drawn before the text
    EXPECT_EQ(Canvas.Records()[0].Op, TCanvasOp::Pixels);
}

} // namespace

namespace {

TEST_F(PrintComponentTest, ChangesAfterFormattingAreNoticedWhereverTheyAre)
{
    Style->TextStyles()->Add();
    auto* Picture = new TBitmap;
    Picture->SetSize(20, 10);
    AddLines(4);
    Source->AddPictureEx("pic", Picture, 0, rvvaBaseline); // item 4
    AddLines(2, 4);
    using TChange = std::function<void()>;
    const std::vector<std::pair<const char*, TChange>> Changes = {
        {"text style size", [this] { Style->TextStyles()->Items(0)->SetSize(40); }},
        {"text style name", [this] { Style->TextStyles()->Items(1)->SetFontName("Other"); }},
        {"text styles cleared", [this] { Style->TextStyles()->Clear(); }},
        {"paragraph spacing", [this] { Style->ParaStyles()->Items(0)->SetSpaceBefore(30); }},
        {"paragraph border", [this] { Style->ParaStyles()->Items(0)->Border()->SetWidth(3); }},
        {"page break added", [this] { Source->SetPageBreaksBeforeItems(2, true); }},
        {"picture size", [this] { Source->SetItemExtraIntProperty(4, rvepImageHeight, 200); }},
        {"item text", [this] { Source->SetItemText(1, "other"); }},
        {"line added", [this] { Source->AddNL("more", 0, 0); }},
    };
    for (const auto& [Name, Change] : Changes) {
        SCOPED_TRACE(Name);
        Print->AssignSource(Source);
        Print->FormatPages();
        ASSERT_TRUE(Print->Ready());
        Change();
        EXPECT_FALSE(Print->Ready());
        EXPECT_THROW(Print->Print("T", 1, true), ERollViewError);
        if (Style->TextStyles()->Count() == 0)
            Style->TextStyles()->Add();
    }
    // Nothing changed: still ready.
    Print->FormatPages();
    Source->GetItemText(0);
    EXPECT_TRUE(Print->Ready());
}

TEST_F(PrintComponentTest, MarginsThatCannotBePrintedAreRefused)
{
    AddLines(3);
    const int Values[] = {1000, 2147483647, -2147483647 - 1};
    for (int Side = 0; Side < 4; ++Side)
        for (int Value : Values) {
            SCOPED_TRACE(std::to_string(Side) + ": " + std::to_string(Value));
            Print->SetLeftMarginMM(Side == 0 ? Value : 10);
            Print->SetRightMarginMM(Side == 1 ? Value : 10);
            Print->SetTopMarginMM(Side == 2 ? Value : 10);
            Print->SetBottomMarginMM(Side == 3 ? Value : 10);
            Print->AssignSource(Source);
            Print->TestData()->Metrics = TestMetrics(800, 1100);
            EXPECT_THROW(Print->FormatPages(), ERollViewError);
        }
    Print->SetLeftMarginMM(10);
    Print->SetRightMarginMM(10);
    Print->SetTopMarginMM(10);
    Print->SetBottomMarginMM(10);
    EXPECT_EQ(Print->FormatPages(), 1);
}

TEST_F(PrintComponentTest, TheSourcesPaletteModeIsCopied)
{
    for (TRVPaletteAction Mode : {rvpaDoNothing, rvpaAssignPallette, rvpaCreateCopiesEx}) {
        Source->SetDoInPaletteMode(Mode);
        Print->AssignSource(Source);
        EXPECT_EQ(Print->rv->DoInPaletteMode(), Mode);
    }
}

TEST_F(PrintComponentTest, APageRecordAssignsEveryField)
{
    TRVPageInfo Page;
    Page.StartY = 1;
    Page.StartDrawItemNo = 2;
    Page.StartPart = 3;
    Page.StartY2 = 4;
    TRVPageInfo Copy;
    Copy.Assign(&Page);
    EXPECT_EQ((std::vector<int>{Copy.StartY, Copy.StartDrawItemNo, Copy.StartPart, Copy.StartY2}),
              (std::vector<int>{1, 2, 3, 4}));
    TPersistent Other;
    EXPECT_THROW(Copy.Assign(&Other), Exception);
}

TEST_F(PrintComponentTest, TheHiddenViewerIsParentedToAWindowThatOwnsTheComponent)
{
    auto* Form = new TForm(Root.get());
    auto* P = new TRVPrint(Form);
    EXPECT_EQ(P->rv->Parent(), Form);
    EXPECT_EQ(P->rv->Owner(), P);
    EXPECT_FALSE(P->rv->Visible());
    // Without a window for an owner the viewer has no parent.
    EXPECT_EQ(Print->rv->Parent(), nullptr);
    delete Form;
}

} // namespace
