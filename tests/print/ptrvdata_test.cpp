// Pagination of the printable data: where pages start (a line whose bottom
// lies on the page's edge fits, one pixel more does not), items taller than
// a page, continued output, page breaks, pictures split into parts, margins
// from millimetres and the printer's offsets, header and footer, areas that
// leave no room, and a page saved as RVF.
#include <gtest/gtest.h>

#include "document/rvstr.h"
#include "platform/core/numbers.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "tests/support/testprint.h"

namespace {

class PaginationTest : public TPrintFixture {
protected:
    // A picture Height screen pixels high, alone in its paragraph; split over
    // pages when MinHeight is above 0.
    int AddPicture(int Height, int MinHeight)
    {
        auto* Bitmap = new TBitmap;
        Bitmap->SetSize(40, Height);
        Source->AddPictureEx("p", Bitmap, 0, rvvaBaseline);
        const int ItemNo = Source->GetLineCount() - 1;
        Source->SetItemExtraIntProperty(ItemNo, rvepMinHeightOnPage, MinHeight);
        return ItemNo;
    }
};

// The sheet is 300 x Height; the source's top and bottom margins (5 + 5)
// come off it, so a page holds (Height - 10) / 13 lines of 13 pixels.
struct TEdgeCase {
    int Height;
    int Lines;
    const char* Starts;
};

TEST_F(PaginationTest, ALineEndingOnThePageEdgeFitsAndOnePixelMoreDoesNot)
{
    const TEdgeCase Cases[] = {
        {140, 25, "0 10 20"},                   // 130 pixels: ten lines end exactly at the edge
        {139, 25, "0 9 18"},                    // one pixel less: the tenth line moves on
        {141, 20, "0 10"},    {23, 3, "0 1 2"}, // one line per page
        {22, 3, "0 1 2"},                       // a line higher than the page still stands alone
    };
    for (const TEdgeCase& c : Cases) {
        SCOPED_TRACE(c.Height);
        Source->Clear();
        AddLines(c.Lines);
        Format(300, c.Height);
        EXPECT_EQ(PageStarts(), c.Starts);
    }
}

TEST_F(PaginationTest, TheSourceShowsThePageStartsAsSoftPageBreaks)
{
    AddLines(25);
    Format(300, 140);
    Source->AssignSoftPageBreaks(Print);
    const TRVSoftPageBreakList* Breaks = Source->RVData->SoftPageBreaks.get();
    ASSERT_EQ(Breaks->Count(), 3);
    EXPECT_EQ(Breaks->Get(1)->ItemNo, 10);
    EXPECT_EQ(Breaks->Get(1)->OffsetInItem, 1);
    EXPECT_EQ(Breaks->Get(2)->ItemNo, 20);
}

TEST_F(PaginationTest, AnEmptyDocumentHasNoPagesAndOnlyStartsFormatting)
{
    std::vector<TRVPrintingStep> Steps;
    Print->OnFormatting = [&](TCustomRollView*, int, TRVPrintingStep Step) { Steps.push_back(Step); };
    EXPECT_EQ(Format(300, 140), 0);
    EXPECT_EQ(Steps, std::vector<TRVPrintingStep>{rvpsStarting});
    EXPECT_TRUE(Print->Ready());
}

TEST_F(PaginationTest, AnItemTallerThanAPageStandsAlone)
{
    AddLines(2);
    AddPicture(400, 0);
    AddLines(2, 2);
    Format(300, 140);
    EXPECT_EQ(PageStarts(), "0 2 3");
}

TEST_F(PaginationTest, ContinuedOutputThatLeavesNoRoomForTheFirstLineLeavesPageOneEmpty)
{
    AddLines(12);
    Print->StartAt = 125; // 5 pixels left on the first sheet
    Format(300, 140);
    EXPECT_EQ(PageStarts(), "0 0 10");
    int StartNo = 0, EndNo = 0, Part = 0;
    Print->PrintableData()->GetDrawItemsRange(1, StartNo, EndNo, Part);
    EXPECT_LT(EndNo, StartNo); // page 1 shows nothing
    // The end is measured on the last sheet: two lines.
    EXPECT_EQ(Print->EndAt, 26);
}

TEST_F(PaginationTest, APageBreakAtThePageTopAddsNoEmptyPage)
{
    struct TBreakCase {
        int BreakItem;
        const char* Starts;
    };
    const TBreakCase Cases[] = {{10, "0 10 20"}, {3, "0 3 13 23"}, {0, "0 10 20"}};
    for (const TBreakCase& c : Cases) {
        SCOPED_TRACE(c.BreakItem);
        Source->Clear();
        AddLines(25);
        Source->SetPageBreaksBeforeItems(c.BreakItem, true);
        Format(300, 140);
        EXPECT_EQ(PageStarts(), c.Starts);
    }
}

TEST_F(PaginationTest, APictureSplitOverThreePagesHasPartsOneTwoThree)
{
    AddLines(5);
    const int Picture = AddPicture(300, 10);
    AddLines(1, 6);
    ASSERT_EQ(Format(300, 140), 3);
    const auto& Pages = Print->PrintableData()->Pages;
    // 65 pixels of lines, then 65 + 130 + 105 pixels of the picture, and
    // the last line below the picture's last part.
    EXPECT_EQ(Pages[0].StartPart, 0);
    EXPECT_EQ(Pages[1].StartPart, 2);
    EXPECT_EQ(Pages[2].StartPart, 3);
    EXPECT_EQ(Pages[2].StartY2, 65 + 302 - 105); // the draw item holds 1 px of spacing around the picture
    for (int p = 2; p <= 3; ++p) {
        int ItemNo = 0, Offs = 0, Extra = 0;
        Print->GetFirstItemOnPageEx(p, ItemNo, Offs, Extra);
        EXPECT_EQ(ItemNo, Picture);
        EXPECT_EQ(Offs, 0);
        EXPECT_EQ(Extra, p == 2 ? 65 : 195); // the part's top in the picture
    }
    // Page 1 ends with the split draw item (its first part).
    int StartNo = 0, EndNo = 0, Part = 0;
    Print->PrintableData()->GetDrawItemsRange(1, StartNo, EndNo, Part);
    EXPECT_EQ(Print->PrintableData()->DrawItems[EndNo]->ItemNo, Picture);
    Print->PrintableData()->GetDrawItemsRange(2, StartNo, EndNo, Part);
    EXPECT_EQ(StartNo, EndNo);
    EXPECT_EQ(Part, 1);
    EXPECT_EQ(PageStarts(), "0 5 5");
}

TEST_F(PaginationTest, SpacingThatFillsThePageStillEnds)
{
    TParaInfo* Spaced = Style->ParaStyles()->Add();
    Spaced->SetSpaceBefore(70);
    Spaced->SetSpaceAfter(70);
    auto* Bitmap = new TBitmap;
    Bitmap->SetSize(40, 300);
    Source->AddPictureEx("p", Bitmap, Spaced->Index(), rvvaBaseline);
    Source->SetItemExtraIntProperty(0, rvepMinHeightOnPage, 1);
    AddLines(2);
    const int Pages = Format(300, 140);
    EXPECT_GT(Pages, 1);
    EXPECT_LT(Pages, 400); // one pixel or more per part
}

TEST_F(PaginationTest, AnAreaWithNoRoomOrNoStyleSheetIsRefusedAndItsCanvasReleased)
{
    AddLines(3);
    const int Heights[] = {10, 5}; // page height 0 and below
    for (int h : Heights) {
        SCOPED_TRACE(h);
        EXPECT_THROW(Format(300, h), ERollViewError);
        EXPECT_EQ(TTestPrintData::CanvasesAlive, 0);
        EXPECT_FALSE(Print->Ready());
    }
    // A text width of 0 (the source's 5 + 5 pixel margins fill the sheet).
    EXPECT_THROW(Format(10, 140), ERollViewError);
    EXPECT_EQ(TTestPrintData::CanvasesAlive, 0);
    // No style sheet.
    Source->SetStyle(nullptr);
    EXPECT_THROW(Format(300, 140), ERollViewError);
    EXPECT_EQ(TTestPrintData::CanvasesAlive, 0);
}

TEST_F(PaginationTest, MarginsComeFromMillimetresLessThePrinterOffsets)
{
    AddLines(1);
    TPrinterMetrics m;
    m.PixelsPerInchX = m.PixelsPerInchY = 600;
    m.PhysicalWidth = 4960;
    m.PhysicalHeight = 7016;
    m.OffsetX = 50;
    m.OffsetY = 60;
    m.PageWidth = 4960 - 50 - 70;
    m.PageHeight = 7016 - 60 - 80;
    Print->SetLeftMarginMM(20);
    Print->SetRightMarginMM(30);
    Print->SetTopMarginMM(20);
    Print->SetBottomMarginMM(5);
    Print->SetMirrorMargins(true);
    Print->TestData()->Metrics = m;
    Print->AssignSource(Source);
    Print->FormatPages();
    const TPrintableRVData* d = Print->PrintableData();
    EXPECT_EQ(d->LeftMarginPix, 472 - 50);
    EXPECT_EQ(d->TopMarginPix, 472 - 60);
    EXPECT_EQ(d->RightMarginPix, 709 - 70);
    EXPECT_EQ(d->BottomMarginPix, 118 - 80);
    EXPECT_EQ(d->MirroredLeftMarginPix, 709 - 50);
    EXPECT_EQ(Print->PrintableData()->GetPrintableAreaLeft(1), 472 - 50);
    EXPECT_EQ(Print->PrintableData()->GetPrintableAreaLeft(2), 709 - 50);
    EXPECT_EQ(d->ClientWidth(), m.PageWidth - (472 - 50) - (709 - 70));
    // Margins smaller than the offsets are 0.
    Print->SetLeftMarginMM(0);
    Print->SetBottomMarginMM(0);
    Print->FormatPages();
    EXPECT_EQ(d->LeftMarginPix, 0);
    EXPECT_EQ(d->BottomMarginPix, 0);
    // The preview of the sheet at 100 % on a 96 ppi screen.
    EXPECT_EQ(Print->GetPreview100PercentWidth(), MulDiv(m.PageWidth, 96, 600));
}

TEST_F(PaginationTest, HeaderAndFooterPushTheMargins)
{
    AddLines(30);
    TRollView* Head = new TRollView(Root.get());
    Head->SetStyle(Style);
    Head->AddNL("head", 0, 0);
    Head->AddNL("head 2", 0, 0);
    TRollView* Foot = new TRollView(Root.get());
    Foot->SetStyle(Style);
    Foot->AddNL("foot", 0, 0);
    // 254 ppi: a millimetre is 10 pixels.
    Print->SetTopMarginMM(2);
    Print->SetBottomMarginMM(2);
    Print->SetHeaderYMM(1);
    Print->SetFooterYMM(1);
    Print->SetHeader(Head->RVData);
    Print->SetFooter(Foot->RVData);
    Format(500, 600, 254);
    EXPECT_EQ(Print->GetHeaderRect(), Rect(0, 10, 500, 10 + 26));
    EXPECT_EQ(Print->PrintableData()->TopMarginPix, 36); // below the header, not 20
    EXPECT_EQ(Print->PrintableData()->BottomMarginPix, 10 + 13);
    // The footer's bottom lies 1 mm above the sheet's.
    EXPECT_EQ(Print->GetFooterRect(), Rect(0, 600 - 23, 500, 600 - 10));
    // Without them, the millimetres alone.
    Print->SetHeader(nullptr);
    Print->SetFooter(nullptr);
    Print->FormatPages();
    EXPECT_EQ(Print->PrintableData()->TopMarginPix, 20);
    EXPECT_EQ(Print->GetHeaderRect(), Rect(0, 0, 0, 0));
}

TEST_F(PaginationTest, ABadPageNumberIsRefused)
{
    AddLines(25);
    Format(300, 140);
    int ItemNo = 0, Offs = 0, Extra = 0;
    for (int p : {0, -1, 4, 100}) {
        SCOPED_TRACE(p);
        EXPECT_THROW(Print->GetFirstItemOnPageEx(p, ItemNo, Offs, Extra), ERollViewError);
        TMemoryStream Stream;
        EXPECT_THROW(Print->SavePageAsRVF(Stream, p), ERollViewError);
    }
}

TEST_F(PaginationTest, FormattingIDWrapsAfter9999)
{
    Print->AssignSource(Source);
    for (int i = 0; i < 9999; ++i)
        Print->FormatPages();
    EXPECT_EQ(Print->FormattingID, 9999);
    Print->FormatPages();
    EXPECT_EQ(Print->FormattingID, 0);
}

TEST_F(PaginationTest, APageSavedAsRVFReloadsAsThatPagesItems)
{
    AddLines(25);
    ASSERT_EQ(Format(300, 140), 3);
    TRollView* Copy = PageReadBack(2);
    ASSERT_NE(Copy, nullptr);
    ASSERT_EQ(Copy->GetLineCount(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Copy->GetItemText(i), "line " + std::to_string(10 + i));
}

} // namespace
