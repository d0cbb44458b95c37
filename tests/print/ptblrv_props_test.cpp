// The print component's published properties: its names with their defaults
// (the margins in millimetres always written), and random settings, kept in
// the hidden viewer and its printable data, that come back from a stream.
#include <gtest/gtest.h>

#include <random>

#include "print/ptblrv.h"
#include "print/ptrvdata.h"
#include "tests/support/publishedprops.h"

TEST(RVPrintProperties, EveryListedNameIsPublishedWithItsDefault)
{
    TRVPrint print(nullptr);
    ExpectPublished(&print,
                    {{"Name", pkString},
                     {"Tag", pkInteger, 0},
                     {"PreviewCorrection", pkBoolean},
                     {"TransparentBackground", pkBoolean, 0},
                     {"ColorMode", pkEnumeration, rvcmPrinterColor},
                     {"ClipMargins", pkBoolean, 0},
                     {"MirrorMargins", pkBoolean, 0},
                     {"LeftMarginMM", pkInteger},
                     {"RightMarginMM", pkInteger},
                     {"TopMarginMM", pkInteger},
                     {"BottomMarginMM", pkInteger},
                     {"HeaderYMM", pkInteger, 10},
                     {"FooterYMM", pkInteger, 10}},
                    true);
    EXPECT_EQ(print.LeftMarginMM(), 20);
    // The base component, which has no hidden viewer, writes its defaults.
    TCustomRVPrint base(nullptr);
    EXPECT_FALSE(GetOrdProp(&base, "TransparentBackground"));
    SetOrdProp(&base, "ColorMode", rvcmGrayScale);
    EXPECT_EQ(GetOrdProp(&base, "ColorMode"), rvcmPrinterColor);
}

TEST(RVPrintProperties, RandomSettingsComeBackFromAStream)
{
    std::mt19937 random(4101);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        TRVPrint source(nullptr);
        RandomizePublished(&source, random, {});
        const AnsiString bytes = ComponentBytes(&source);
        TRVPrint back(nullptr);
        ReadComponentBytes(bytes, &back);
        EXPECT_EQ(ComponentBytes(&back), bytes);
        EXPECT_EQ(back.PrintableData()->Transparent, source.TransparentBackground());
    }
}
