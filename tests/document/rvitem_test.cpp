// The item base and the intermediate bases: item options, capability answers,
// checkpoints, extra properties with their RVF lines, the rectangular item's
// header field and CSS, and the style renumbering of items.
#include <gtest/gtest.h>

#include <memory>

#include "document/rvfmisc.h"
#include "document/rvitem.h"
#include "document/rvstr.h"
#include "platform/core/streams.h"

namespace {

AnsiString ExtraLines(TRVNonTextItemInfo& Item)
{
    TStringStream Stream;
    Item.SaveRVFExtraProperties(Stream);
    return Stream.DataString();
}

// A rectangular item with a picture height, as pictures have.
class TTallItem : public TRVRectItemInfo {
public:
    using TRVRectItemInfo::TRVRectItemInfo;
    int GetImageHeight(TRVStyle*) const override { return ImageHeight; }
    int ImageHeight = 40;
};

} // namespace

TEST(ItemOptions, SettersKeepTheLineOptionsExclusive)
{
    TRVTextItemInfo Item(nullptr);
    Item.ItemOptions.Include(rvioUnicode);
    Item.SetPageBreakBefore(true);
    Item.SetSameAsPrev(true);
    EXPECT_FALSE(Item.GetPageBreakBefore());
    Item.SetBR(true);
    EXPECT_FALSE(Item.GetSameAsPrev());
    Item.SetPageBreakBefore(true);
    EXPECT_FALSE(Item.GetBR());
    Item.SetPageBreakBefore(false);
    // The Unicode flag is not a line option and survives every setter.
    EXPECT_EQ(Item.ItemOptions, TRVItemOptions{rvioUnicode});
}

TEST(ItemOptions, BRIsRefusedForFullWidthItems)
{
    TRVBreakItemInfo Break(nullptr, 1, rvbsLine, clNone);
    Break.SetSameAsPrev(true);
    Break.SetBR(true);
    EXPECT_FALSE(Break.GetBR());
    EXPECT_TRUE(Break.GetSameAsPrev()); // a refused BR changes nothing else

    TRVBulletItemInfo Bullet(nullptr);
    Bullet.SetSameAsPrev(true);
    Bullet.SetBR(true);
    EXPECT_TRUE(Bullet.GetBR());
    EXPECT_FALSE(Bullet.GetSameAsPrev());
    Bullet.SetBR(false);
    EXPECT_FALSE(Bullet.GetBR());
}

TEST(Checkpoints, AnItemFreesACheckpointItCarriesUnattached)
{
    // Run under LeakSanitizer: the carried checkpoint must go with the item.
    auto* Item = new TRVTextItemInfo(nullptr);
    Item->SetCheckpoint(new TRVCPInfo);
    Item->GetCheckpoint()->Name = "carried";
    delete Item;

    // An attached one belongs to the store's chain and stays.
    TRVCPInfo Chained;
    auto* Attached = new TRVTextItemInfo(nullptr);
    Attached->SetCheckpoint(&Chained);
    Chained.ItemInfo = Attached;
    delete Attached;
    EXPECT_EQ(Chained.Name, "");
}

TEST(ExtraProperties, RectItemWritesOnlyWhatDiffers)
{
    TRVRectItemInfo Item(nullptr);
    EXPECT_EQ(Item.GetRVFExtraPropertyCount(), 0);
    EXPECT_EQ(ExtraLines(Item), "");

    Item.Spacing = 0;
    EXPECT_EQ(Item.GetRVFExtraPropertyCount(), 1);
    EXPECT_EQ(ExtraLines(Item), "spacing=0\r\n");

    Item.DeleteProtect = true;
    Item.VShift = -20;
    Item.VShiftAbs = true;
    EXPECT_EQ(Item.GetRVFExtraPropertyCount(), 4);
    EXPECT_EQ(ExtraLines(Item), "unremovable=1\r\nvshift=-20\r\nvshiftabs=1\r\nspacing=0\r\n");
}

TEST(ExtraProperties, LinesReadFromFiles)
{
    TRVRectItemInfo Item(nullptr);
    Item.SetExtraPropertyFromRVFStr("vshift=25");
    EXPECT_EQ(Item.VShift, 25);
    Item.SetExtraPropertyFromRVFStr("vshift=abc");
    EXPECT_EQ(Item.VShift, 0);
    Item.SetExtraPropertyFromRVFStr("VSHIFT=9");
    EXPECT_EQ(Item.VShift, 0);
    Item.SetExtraPropertyFromRVFStr("vshift 9");
    EXPECT_EQ(Item.VShift, 0);
    Item.SetExtraPropertyFromRVFStr("spacing=-8");
    EXPECT_EQ(Item.Spacing, 0);
    Item.SetExtraPropertyFromRVFStr("width=50"); // not held: skipped
    Item.SetExtraPropertyFromRVFStr("=1");
    Item.SetExtraPropertyFromRVFStr("");
    Item.SetExtraPropertyFromRVFStr("unremovable=1=2"); // the value is all after the first "="
    EXPECT_FALSE(Item.DeleteProtect);
    Item.SetExtraPropertyFromRVFStr("unremovable=1");
    EXPECT_TRUE(Item.DeleteProtect);
}

TEST(RectItem, VAlignInTheHeader)
{
    TRVRectItemInfo Item(nullptr);
    Item.VAlign = rvvaMiddle;
    EXPECT_EQ(Item.SaveRVFHeaderTail(nullptr), "1");

    TRVFLineCursor Empty("");
    EXPECT_TRUE(Item.ReadRVFHeader(Empty, nullptr));
    EXPECT_EQ(Item.VAlign, rvvaBaseline);

    Item.VAlign = rvvaMiddle;
    TRVFLineCursor LineEnd("\r\n");
    EXPECT_TRUE(Item.ReadRVFHeader(LineEnd, nullptr));
    EXPECT_EQ(Item.VAlign, rvvaBaseline);

    TRVFLineCursor One("1");
    EXPECT_TRUE(Item.ReadRVFHeader(One, nullptr));
    EXPECT_EQ(Item.VAlign, rvvaMiddle);

    TRVFLineCursor Bad("x");
    EXPECT_FALSE(Item.ReadRVFHeader(Bad, nullptr));
    EXPECT_EQ(Item.VAlign, rvvaMiddle);
}

TEST(RectItem, VShiftCSS)
{
    TTallItem Item(nullptr);
    EXPECT_EQ(Item.GetVShiftCSS(nullptr), "");
    Item.VShift = 50;
    EXPECT_EQ(Item.GetVShiftCSS(nullptr), "vertical-align: 20px");
    Item.VShiftAbs = true;
    EXPECT_EQ(Item.GetVShiftCSS(nullptr), "vertical-align: 50px");
    Item.VAlign = rvvaMiddle;
    EXPECT_EQ(Item.GetVShiftCSS(nullptr), "");
    Item.VAlign = rvvaBaseline;
    Item.ImageHeight = 0;
    EXPECT_EQ(Item.GetVShiftCSS(nullptr), "");
}

TEST(ItemStyles, MarkingSkipsNumbersOutsideTheMaps)
{
    TRVIntegerList UsedText(3, 0), UsedPara(2, 0), UsedList(1, 0);
    TRVTextItemInfo Text(nullptr);
    Text.StyleNo = 2;
    Text.ParaNo = 1;
    Text.MarkStylesInUse(&UsedText, &UsedPara, &UsedList);
    EXPECT_EQ(UsedText[2], 1);
    EXPECT_EQ(UsedPara[1], 1);

    TRVTextItemInfo FromFile(nullptr);
    FromFile.StyleNo = 70;
    FromFile.ParaNo = -3;
    FromFile.MarkStylesInUse(&UsedText, &UsedPara, &UsedList); // no out-of-range write
    EXPECT_EQ(UsedText[0] + UsedText[1], 0);
    EXPECT_EQ(UsedPara[0], 0);
}

TEST(ItemStyles, RenumberingKeepsNumbersOutsideTheMaps)
{
    // Styles 0 and 2 deleted: shift entries are (deleted below) + 1.
    TRVIntegerList TextShift;
    for (int v : {1, 2, 2, 3})
        TextShift.Add(v);
    TRVIntegerList ParaShift(2, 1);
    ParaShift.Put(1, 2);

    TRVTextItemInfo Text(nullptr);
    Text.StyleNo = 3;
    Text.ParaNo = 1;
    Text.UpdateStyles(&TextShift, &ParaShift, nullptr);
    EXPECT_EQ(Text.StyleNo, 1);
    EXPECT_EQ(Text.ParaNo, 0);

    Text.StyleNo = 99;
    Text.ParaNo = 5;
    Text.UpdateStyles(&TextShift, &ParaShift, nullptr);
    EXPECT_EQ(Text.StyleNo, 99);
    EXPECT_EQ(Text.ParaNo, 5);
}
