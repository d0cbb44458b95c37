// Minimum widths: a paragraph that does not wrap needs its whole line, one
// that wraps its widest unbreakable item, both plus their indents; list
// indents; scaling to a device; ranges of items with whole sections between
// them; a list marker kept with the item after it.
#include <gtest/gtest.h>

#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "tests/view/crvfdata_test_helpers.h"

namespace {

class MinWidthTest : public ::testing::Test {
protected:
    MinWidthTest() : Style(nullptr), Data(&Style)
    {
        // Paragraph 2: not wrapped, indents 5 + 7 and a first-line indent of 3.
        TParaInfo* NoWrap = Style.ParaStyles()->Add();
        NoWrap->SetOptions({rvpaoNoWrap});
        NoWrap->SetLeftIndent(5);
        NoWrap->SetRightIndent(7);
        NoWrap->SetFirstIndent(3);
        // Paragraph 3: wrapped, indents 10 + 4, a hanging first line (not counted).
        TParaInfo* Wrap = Style.ParaStyles()->Add();
        Wrap->SetLeftIndent(10);
        Wrap->SetRightIndent(4);
        Wrap->SetFirstIndent(-5);
    }

    TTestBoxItem* AddBox(int Width, int ParaNo)
    {
        auto* Box = new TTestBoxItem(&Data, Width, 10);
        Box->ParaNo = ParaNo; // -1 continues the line
        Data.AddItem("", Box);
        return Box;
    }

    TRVStyle Style;
    TTestRVFData Data;
};

TEST_F(MinWidthTest, UnwrappedParagraphNeedsItsWholeLine)
{
    Data.AddNL("short", 0, 0);      // wrapped: a text item needs 20
    AddBox(40, 0);                  // wrapped: 40
    Data.AddNL("abcdefghij", 0, 2); // 70
    Data.AddNL("xyz", 0, -1);       // 21
    AddBox(20, -1);                 // 20
    const int Line = 5 + 7 + 3 + 70 + 21 + 20;
    EXPECT_EQ(Data.CalculateMinDocWidthPlus(nullptr, nullptr), Line);
    // A longer text makes the line wider.
    Data.SetItemText(2, "abcdefghijkl");
    EXPECT_EQ(Data.CalculateMinDocWidthPlus(nullptr, nullptr), Line + 14);
}

TEST_F(MinWidthTest, WrappedParagraphNeedsItsWidestItem)
{
    Data.AddNL("a long text that wraps anywhere", 0, 3);
    AddBox(50, -1);
    AddBox(30, -1);
    // The hanging first-line indent is not counted.
    EXPECT_EQ(Data.CalculateMinDocWidthPlus(nullptr, nullptr), 50 + 10 + 4);
}

TEST_F(MinWidthTest, DeviceResolutionScalesIndentsAndItems)
{
    Data.AddNL("abcdefghij", 0, 2);
    AddBox(20, -1);
    TRVScreenAndDevice sad;
    sad.ScreenPpiX = sad.ScreenPpiY = 96;
    sad.DevicePpiX = sad.DevicePpiY = 192;
    // Text is measured on the device canvas given; indents and items scale.
    EXPECT_EQ(Data.CalculateMinDocWidthPlus(&sad, nullptr), 2 * 15 + 70 + 40);
    // Equal resolutions scale nothing.
    sad.DevicePpiX = sad.DevicePpiY = 96;
    EXPECT_EQ(Data.CalculateMinDocWidthPlus(&sad, nullptr), 15 + 70 + 20);
}

TEST_F(MinWidthTest, IndentsOfParagraphsAndLists)
{
    TParaInfo* Plain = Style.ParaStyles()->Items(0);
    Plain->SetLeftIndent(6);
    Plain->SetRightIndent(4);
    Plain->SetFirstIndent(3);
    Data.AddNL("text", 0, 0);
    Data.AddBreak();
    Data.GetItem(1)->ParaNo = 0;
    // A full-width item has no first line to indent.
    int ParaStart = -1;
    EXPECT_EQ(Data.GetMaxIndent(1, ParaStart), 10);

    // A list paragraph takes the level's indents and the paragraph's far side.
    TRVListLevel* Level = Style.ListStyles()->Add()->Levels()->Add();
    Level->SetLeftIndent(30);
    Level->SetFirstIndent(10);
    auto* Marker = new TRVMarkerItemInfo(&Data, 0, 0, 0, false);
    Data.AddItem("", Marker);
    Data.GetMarkers(true)->InsertAfter(Marker, nullptr);
    Data.AddNL("listed", 0, -1);
    ParaStart = -1;
    EXPECT_EQ(Data.GetMaxIndent(3, ParaStart), 30 + 10 + 4);
    Plain->SetBiDiMode(rvbdRightToLeft);
    ParaStart = -1;
    EXPECT_EQ(Data.GetMaxIndent(3, ParaStart), 30 + 10 + 6);

    // The marker and the text after it on its line are not parted.
    const int MarkerWidth = Marker->GetMinWidth(nullptr, &Data.Canvas, &Data);
    EXPECT_EQ(Data.CalculateMinItemWidthPlus_WithoutPSWidth(3, nullptr, nullptr), MarkerWidth + 20);
}

TEST_F(MinWidthTest, RangesCountWholeSectionsBetweenTheirEnds)
{
    AddBox(30, 0); // section A: items 0, 1
    AddBox(80, -1);
    AddBox(100, 0); // section B: item 2
    AddBox(10, 0);  // section C: items 3, 4
    AddBox(60, -1);
    EXPECT_EQ(Data.CalculateMinItemsWidthPlusEx(3, 3), 10);
    // From item 1 to item 3: part of A, all of B, part of C.
    EXPECT_EQ(Data.CalculateMinItemsWidthPlusEx(1, 3), 100);
    EXPECT_EQ(Data.CalculateMinItemsWidthPlusEx(4, 3), 0);
    EXPECT_EQ(Data.CalculateParaSectionsMinWidthDef(3, 3), 60);
    EXPECT_EQ(Data.CalculateParaSectionsMinWidthDef(1, 2), 100);
}

TEST_F(MinWidthTest, WidthAfterInsertInAnUnwrappedParagraph)
{
    Data.AddNL("abc", 0, 2);
    TTestBoxItem Box(&Data, 33, 10);
    EXPECT_EQ(Data.CalculateMinWidthAfterInsert(&Box, 0), 33 + 15 + 21);
    Data.AddNL("def", 0, 0);
    EXPECT_EQ(Data.CalculateMinWidthAfterInsert(&Box, 1), 33);
}

// The layout's minimum width measures one-line paragraphs one after another,
// giving the canvas a style only when it changes: each line is still measured
// in its own style and reading direction, whole and as it grows at the tail.
TEST_F(MinWidthTest, OneLineParagraphsInChangingStylesAreEachMeasuredInTheirOwn)
{
    Style.TextStyles()->Add()->SetFontName("Wide");
    const int Wide = Style.TextStyles()->Count() - 1;
    Data.Canvas.MetricsForFont = [](const TFont& Font) {
        TRecordingMetrics m;
        m.CharWidth = Font.Name() == "Wide" ? 20 : 7;
        return m;
    };
    Data.Width = 10; // narrower than every line: the text is as wide as it needs
    const int Indents = 5 + 7 + 3;
    Data.AddNL("abc", Wide, 2);   // 60
    Data.AddNL("abcdefgh", 0, 2); // 56
    Data.FormatAll();
    EXPECT_EQ(Data.TextWidth, Indents + 60);
    Data.AddNL("abcd", Wide, 2); // 80: in the wide style again after the narrow one
    Data.FormatTail();
    EXPECT_EQ(Data.TextWidth, Indents + 80);
    Data.AddNL("abcdefghijklm", 0, 2); // 91
    Data.FormatTail();
    EXPECT_EQ(Data.TextWidth, Indents + 91);
    Data.FormatAll();
    EXPECT_EQ(Data.TextWidth, Indents + 91) << "a whole layout agrees";
}

} // namespace
