// The RTF reader's records: tables, copies, finishing steps and rounding.
#include "rtf/rvrtfrecords.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

TEST(RTFRecords, HalvesRoundToEven)
{
    const std::pair<int, int> cases[] = {{24, 12},
                                         {25, 12},
                                         {23, 12},
                                         {27, 14},
                                         {21, 10},
                                         {-25, -12},
                                         {-27, -14},
                                         {INT_MAX, 1073741824},
                                         {INT_MIN, -1073741824}};
    for (auto [halfPoints, points] : cases)
        EXPECT_EQ(RVRTFHalfRoundEven(halfPoints), points) << halfPoints;
}

TEST(RTFRecords, ColorTableEntries)
{
    TRVRTFColorList colors;
    colors.Add(); // the entry opened by the table itself
    colors.Add(); // after the first ';'
    colors.SetLastRed(300);
    colors.SetLastGreen(0);
    colors.SetLastBlue(0);
    colors.Add(); // after the second ';'
    colors.Finalize();
    ASSERT_EQ(colors.Count(), 2);
    EXPECT_EQ(colors.Get(0), rtfAutoColor);
    EXPECT_EQ(colors.Get(1), 0x00002C); // 300 masked to 8 bits
    TRVRTFColorList empty;
    empty.SetLastRed(5); // nothing to address
    empty.Finalize();
    EXPECT_EQ(empty.Count(), 0);
}

TEST(RTFRecords, CharsetSuffixesLeaveFontNames)
{
    struct TCase {
        const char* Name;
        uint8_t Charset;
        const char* Expected;
    } cases[] = {{"Arial CYR", 204, "Arial"},
                 {"Times New Roman Greek", 161, "Times New Roman"},
                 {"Arial CE", 238, "Arial"},
                 {"Arial CYR", 0, "Arial CYR"},
                 {" cyr", 204, " cyr"},
                 {"ArialCYR", 204, "ArialCYR"},
                 {"Tahoma Baltic", 186, "Tahoma"},
                 {"Arial Tur", 204, "Arial Tur"}};
    TRVRTFFontList fonts;
    for (const TCase& c : cases) {
        TRVRTFFont& font = fonts.Add(0);
        font.Name = c.Name;
        font.Charset = c.Charset;
    }
    fonts.RemoveChasetFromNames();
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(fonts.Items[i]->Name, cases[i].Expected) << cases[i].Name;
}

TEST(RTFRecords, FontIndexFallsBackToDefault)
{
    TRVRTFFontList fonts;
    fonts.Add(3);
    fonts.Add(7);
    EXPECT_EQ(fonts.GetFontIndex(7, 3), 1);
    EXPECT_EQ(fonts.GetFontIndex(9, 7), 1); // missing: the default's index
    EXPECT_EQ(fonts.GetFontIndex(9, 5), 0); // missing default too
    EXPECT_EQ(fonts.GetFontIndex(5, 5), 0);
}

TEST(RTFRecords, RowOfThreeCellsAfterFinalize)
{
    TRVRTFRowProperties row;
    for (int right : {1000, 2000, 3000}) {
        row.GetLastCellProp()->RightBoundary = right;
        ASSERT_TRUE(row.AddCell());
    }
    row.GetLastCellProp()->Color = 0x123456; // the open record, dropped at the end of the row
    row.Finalize();
    ASSERT_EQ(row.CellCount(), 3);
    EXPECT_EQ(row.Cell(2).RightBoundary, 3000);
    EXPECT_FALSE(row.LastCellOpen);
}

TEST(RTFRecords, CellsPerRowAreBounded)
{
    TRVRTFRowProperties row;
    int added = 0;
    while (row.AddCell() && added < 5000)
        ++added;
    EXPECT_EQ(added, rtfMaxCellsPerRow);
    row.Finalize();
    EXPECT_EQ(row.CellCount(), rtfMaxCellsPerRow);
}

TEST(RTFRecords, ShadingMixes)
{
    TRVRTFParaProperties para;
    para.Color = 0xFFFFFF;
    para.ForeColor = 0x000000;
    para.Shading = 5000;
    para.Finalize();
    EXPECT_EQ(para.Color, 0x7F7F7F);
    EXPECT_EQ(para.Shading, 0);
    TRVRTFCellProperties cell; // no colour counts as white
    cell.ForeColor = 0x0000FF;
    cell.Shading = 10000;
    cell.Finalize();
    EXPECT_EQ(cell.Color, 0x0000FF);
}

TEST(RTFRecords, BorderCopiesAndFirstSides)
{
    TRVRTFParaProperties para;
    EXPECT_FALSE(para.HasBorder());
    para.GetBorder().GetSides(rtf_side_Top).BorderType = rtf_brdr_Double;
    TRVRTFParaProperties copy = para;
    para.GetBorder().GetSides(rtf_side_Top).BorderType = rtf_brdr_Dot;
    EXPECT_TRUE(copy.HasBorder());
    EXPECT_EQ(copy.Border->Side(rtf_side_Top)->BorderType, rtf_brdr_Double);
    EXPECT_EQ(copy.Border->Side(rtf_side_Left), nullptr);
    copy.Reset();
    EXPECT_FALSE(copy.HasBorder());
}

TEST(RTFRecords, MarkerAssignKeepsExplicitValues)
{
    TRVRTFMarkerProperties level;
    level.FontSize = 20;
    level.Color = 0xFF;
    level.Level = 10;
    level.FontStyle.Include(fsBold);
    level.ListType = rtf_pn_UpperRoman;
    TRVRTFMarkerProperties target;
    target.FontSize = 8;
    target.ExplicitProps.Set(rtfmp_Size, true);
    target.Assign(level, true);
    EXPECT_EQ(target.FontSize, 8);
    EXPECT_EQ(target.Color, 0xFF);
    EXPECT_TRUE(target.FontStyle.Contains(fsBold));
    EXPECT_EQ(target.ListType, rtf_pn_UpperRoman);
    EXPECT_EQ(target.Level, 0); // only copied without KeepExplicit
    target.Assign(level, false);
    EXPECT_EQ(target.FontSize, 20);
    EXPECT_EQ(target.Level, 10);

    TRVRTFCharProperties chars;
    chars.Size = 30;
    chars.Color = 0x00FF00;
    TRVRTFMarkerProperties updated;
    updated.ExplicitProps.Set(rtfmp_Color, true);
    updated.Color = 0x0000FF;
    updated.UpdateFrom(chars);
    EXPECT_EQ(updated.FontSize, 30);
    EXPECT_EQ(updated.Color, 0x0000FF);
}

TEST(RTFRecords, StateCopiesShareUntilChanged)
{
    TRVRTFReaderState outer;
    outer.GetRowProps().GetLastCellProp()->Color = 1;
    outer.SectionProps.GetListDefault(3).Indent = 100;
    TRVRTFReaderState inner;
    inner.Assign(outer);
    inner.GetRowProps().GetLastCellProp()->Color = 2;
    inner.SectionProps.GetListDefault(3).Indent = 200;
    EXPECT_EQ(outer.RowProps()->Cell(0).Color, 1);
    EXPECT_EQ(inner.RowProps()->Cell(0).Color, 2);
    EXPECT_EQ((*outer.SectionProps.ListDefaults())[2].Indent, 100);
    EXPECT_EQ((*inner.SectionProps.ListDefaults())[2].Indent, 200);

    // Percent and heading flags of the row are a state's own.
    outer.GetRowProps().PercentWidth = true;
    inner.Assign(outer);
    EXPECT_FALSE(inner.RowProps()->PercentWidth);
    inner.GetRowProps().Heading = true;
    inner.Assign(outer);
    EXPECT_TRUE(inner.RowProps()->Heading);
    // Character language and font name stay too.
    inner.CharProps.Language = 1049;
    outer.CharProps.Size = 30;
    inner.Assign(outer);
    EXPECT_EQ(inner.CharProps.Language, 1049);
    EXPECT_EQ(inner.CharProps.Size, 30);
}

} // namespace
