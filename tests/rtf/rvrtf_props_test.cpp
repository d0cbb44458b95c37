// The RTF reader component's published properties: its names with their
// defaults, and values of its own that come back from a component stream.
#include <gtest/gtest.h>

#include "rtf/rvrtfreader.h"
#include "tests/support/publishedprops.h"

TEST(RVRTFReaderComponent, ItsNamesAreWrittenOnlyAwayFromTheirDefaults)
{
    TRVRTFReader reader(nullptr);
    ExpectPublished(&reader,
                    {{"Name", pkString},
                     {"Tag", pkInteger, 0},
                     {"DefCodePage", pkInt64, 0},
                     {"ConvertHighlight", pkEnumeration, rtf_hl_FixedColors}},
                    true);
    EXPECT_EQ(ComponentBytes(&reader), "TPF0\x0CTRVRTFReader\x00\x00\x00"_bytes);

    reader.DefCodePage = 65001;
    reader.ConvertHighlight = rtf_hl_ColorTable;
    TRVRTFReader back(nullptr);
    ReadComponentBytes(ComponentBytes(&reader), &back);
    EXPECT_EQ(back.DefCodePage, 65001u);
    EXPECT_EQ(back.ConvertHighlight, rtf_hl_ColorTable);
}
