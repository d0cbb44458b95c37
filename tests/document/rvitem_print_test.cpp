// Cutting a tall picture into page parts for printing, at screen and at
// printer resolution.
#include <gtest/gtest.h>

#include "document/rvdrawline.h"
#include "document/rvitem.h"
#include "document/rvstr.h"
#include "platform/core/numbers.h"

namespace {

// A picture stand-in: a rectangular item 120 screen pixels high.
class TPictureLike : public TRVRectItemInfo {
public:
    using TRVRectItemInfo::TRVRectItemInfo;
    int GetImageHeight(TRVStyle*) const override { return 120; }
    bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* RVStyle) const override
    {
        if (Prop == rvbpPrintToBMP)
            return PrintToBMP;
        return TRVRectItemInfo::GetBoolValueEx(Prop, RVStyle);
    }
    bool PrintToBMP = true;
};

TRVImagePrintPart* Part(const TRVMultiImagePrintInfo& Info, int Index)
{
    return static_cast<TRVImagePrintPart*>(Info.GetPart(Index));
}

class ImageSplit : public testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        Item.MinHeightOnPage = 50;
        Info.sad = {96, 96, GetParam(), GetParam(), 0, 0};
    }
    // Screen pixels as the device measures them.
    int Device(int ScreenPixels) const { return MulDiv(ScreenPixels, GetParam(), 96); }

    TPictureLike Item{nullptr};
    TRVMultiImagePrintInfo Info{&Item};
};

} // namespace

TEST_P(ImageSplit, FirstPartNeedsRoomForBothSlices)
{
    // 120 high, at least 50 per slice.
    EXPECT_TRUE(Info.CanSplitFirst(Device(60)));   // 60 here, 60 left
    EXPECT_FALSE(Info.CanSplitFirst(Device(100))); // 20 would be left
    EXPECT_TRUE(Info.CanSplitFirst(Device(130)));  // the whole picture fits
    EXPECT_FALSE(Info.CanSplitFirst(Device(40)));  // less than a slice
    EXPECT_FALSE(Info.CanSplitFirst(0));

    Item.PrintToBMP = false;
    EXPECT_FALSE(Info.CanSplitFirst(Device(60)));
    Item.PrintToBMP = true;
    Item.MinHeightOnPage = 0;
    EXPECT_FALSE(Info.CanSplitFirst(Device(60)));
}

TEST_P(ImageSplit, SplittingMakesPartsThatCoverThePicture)
{
    ASSERT_TRUE(Info.InitSplit());
    ASSERT_EQ(Info.PartsList.Count(), 1);
    EXPECT_EQ(Part(Info, 0)->ImgTop, 0);
    EXPECT_EQ(Part(Info, 0)->ImgHeight, 120);
    EXPECT_EQ(Part(Info, 0)->Height, Device(120));

    // 100 on the first page would leave 20: refused.
    EXPECT_FALSE(Info.SplitAt(Device(100)));
    EXPECT_EQ(Info.PartsList.Count(), 1);
    // 60 and 60.
    ASSERT_TRUE(Info.SplitAt(Device(60)));
    ASSERT_EQ(Info.PartsList.Count(), 2);
    EXPECT_EQ(Part(Info, 0)->Height, Device(60));
    EXPECT_EQ(Part(Info, 1)->ImgTop, 60);
    EXPECT_EQ(Part(Info, 1)->ImgHeight, 60);
    EXPECT_EQ(Part(Info, 1)->GetSoftPageBreakInfo(), 60);
    // The last part is only 60 high: no more cuts of 50.
    EXPECT_FALSE(Info.SplitAt(Device(40)));
    EXPECT_FALSE(Info.SplitAt(Device(30)));

    // A new pagination starts from the whole picture again.
    ASSERT_TRUE(Info.InitSplit());
    EXPECT_EQ(Info.PartsList.Count(), 1);
    EXPECT_EQ(Part(Info, 0)->ImgHeight, 120);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, ImageSplit, testing::Values(96, 600));

TEST(ImagePrintInfo, NotSplitWithoutAMinimumHeight)
{
    TPictureLike Item(nullptr);
    TRVMultiImagePrintInfo Info(&Item);
    Info.sad = {96, 96, 96, 96, 0, 0};
    EXPECT_FALSE(Info.InitSplit());
    EXPECT_FALSE(Info.SplitAt(60));
    EXPECT_EQ(Info.PartsList.Count(), 0);
}

TEST(ImagePrintInfo, SplittingWithoutPartsIsAnInternalError)
{
    TPictureLike Item(nullptr);
    Item.MinHeightOnPage = 10;
    TRVMultiImagePrintInfo Info(&Item);
    Info.sad = {96, 96, 96, 96, 0, 0};
    try {
        Info.SplitAt(60);
        FAIL() << "no error";
    } catch (const ERollViewError& e) {
        EXPECT_STREQ(e.what(), errRVInternalPrinting);
    }
}

TEST(ImagePrintInfo, SizeIsFixedAtCreation)
{
    TPictureLike Item(nullptr);
    TRVMultiImagePrintInfo Info(&Item);
    Info.Width = 500;
    Info.Height = 750;
    Info.SetSize(1, 1);
    EXPECT_EQ(Info.Width, 500);
    EXPECT_EQ(Info.Height, 750);
}

TEST(DrawLine, PlainDrawItemsAreNeverSplit)
{
    TRVDrawLineInfo Line(1, 2, 30, 40, 5, true);
    EXPECT_FALSE(Line.InitSplit());
    EXPECT_FALSE(Line.CanSplitFirst(100));
    EXPECT_FALSE(Line.SplitAt(100));
    TRVMultiDrawItemPart BasePart;
    EXPECT_EQ(BasePart.GetSoftPageBreakInfo(), -1);
}
