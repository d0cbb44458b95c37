// What bullets, hot spots and rules write and read: their RVF header fields
// (with the document's image lists, warnings and options), their RTF, HTML and
// plain text.
#include <gtest/gtest.h>

#include <functional>

#include "document/rvfmisc.h"
#include "document/rvitem.h"
#include "document/rvitemfmt.h"
#include "platform/core/streams.h"
#include "platform/graphics/imagelist.h"
#include "tests/support/tempdir.h"
#include "tests/support/testrvdata.h"

namespace {

// A document that hands out one image list (tag 7) and keeps RVF settings.
class TReadingData : public TTestRVData {
public:
    TReadingData()
    {
        Images.SetTag(7);
        for (int i = 0; i < 3; ++i)
            Images.AddPixels(TPixelBuffer(16, 16));
    }
    TCustomImageList* RVFImageListNeeded(int ImageListTag) override
    {
        return ImageListTag == 7 ? &Images : nullptr;
    }
    TRVFOptions GetRVFOptions() override { return RVFOptions; }
    TRVFWarnings GetRVFWarnings() override { return Warnings; }
    void SetRVFWarnings(TRVFWarnings Value) override { Warnings = Value; }

    TImageList Images{nullptr};
    TRVFOptions RVFOptions;
    TRVFWarnings Warnings;
};

template <class T> bool ReadHeader(T& Item, const AnsiString& Tail, TCustomRVData* Data)
{
    TRVFLineCursor P(Tail);
    return Item.ReadRVFHeader(P, Data);
}

AnsiString Written(const std::function<void(TStream&)>& Write)
{
    TStringStream Stream;
    Write(Stream);
    return Stream.DataString();
}

} // namespace

TEST(BulletRVF, HeaderTailRoundTrip)
{
    TReadingData Data;
    TRVBulletItemInfo Bullet(nullptr, 2, &Data.Images, rvvaBaseline);
    EXPECT_EQ(Bullet.SaveRVFHeaderTail(&Data), "7 2");

    TRVHotspotItemInfo Hotspot(nullptr, 1, 2, &Data.Images, rvvaBaseline);
    EXPECT_EQ(Hotspot.SaveRVFHeaderTail(&Data), "7 1 2");
}

// Header tails as read from files: image list tag, image index, hot image
// index. An unknown list leaves the item without one; an index beyond the
// list warns and fails unless it is to be made 0; a missing hot image is the
// image itself.
TEST(BulletRVF, HeaderTailsFromFiles)
{
    const struct {
        const char* Tail;
        bool Hotspot, ConvertLarge, Accepted;
        int ImageIndex, HotImageIndex;
        bool Warned;
    } Cases[] = {
        {"", false, false, false, 0, 0, false},     {"7", false, false, false, 0, 0, false},
        {"7 x", false, false, false, 0, 0, false},  {"99 5", false, false, true, 5, 0, false},
        {"7 3", false, false, false, 0, 0, true},   {"7 3", false, true, true, 0, 0, true},
        {"7 1", true, false, true, 1, 1, false},    {"7 1 2", true, false, true, 1, 2, false},
        {"7 1 z", true, false, false, 1, 0, false}, {"7 1 3", true, false, false, 1, 0, true},
    };
    for (const auto& c : Cases) {
        SCOPED_TRACE(c.Tail);
        TReadingData Data;
        if (c.ConvertLarge)
            Data.RVFOptions.Include(rvfoConvLargeImageIdxToZero);
        TRVHotspotItemInfo Hotspot(nullptr);
        TRVBulletItemInfo Bullet(nullptr);
        TRVBulletItemInfo& Item = c.Hotspot ? Hotspot : Bullet;
        EXPECT_EQ(c.Hotspot ? ReadHeader(Hotspot, c.Tail, &Data) : ReadHeader(Bullet, c.Tail, &Data),
                  c.Accepted);
        EXPECT_EQ(Data.Warnings.Contains(rvfwConvLargeImageIdx), c.Warned);
        if (!c.Accepted)
            continue;
        EXPECT_EQ(Item.ImageIndex, c.ImageIndex);
        EXPECT_EQ(Item.ImageList, c.Tail[0] == '7' ? &Data.Images : nullptr);
        if (c.Hotspot) {
            EXPECT_EQ(Hotspot.HotImageIndex, c.HotImageIndex);
        }
    }
}

TEST(BulletRVF, DataLinesAreTheNameAndExtraProperties)
{
    TRVBulletItemInfo Bullet(nullptr);
    AnsiString Name;
    TRVFReadMode Mode = rmText;
    TRVFReadState State = rstData;
    EXPECT_TRUE(Bullet.ReadRVFLine("bullet name", nullptr, 0, 0, 3, Name, Mode, State));
    EXPECT_TRUE(Bullet.ReadRVFLine("spacing=4", nullptr, 0, 1, 3, Name, Mode, State));
    EXPECT_TRUE(Bullet.ReadRVFLine("vshift=-3", nullptr, 0, 2, 3, Name, Mode, State));
    EXPECT_EQ(Name, "bullet name");
    EXPECT_EQ(Bullet.Spacing, 4);
    EXPECT_EQ(Bullet.VShift, -3);
}

TEST(BreakRVF, HeaderTail)
{
    TRVBreakItemInfo Rule(nullptr, 3, rvbs3d, clRed);
    EXPECT_EQ(Rule.SaveRVFHeaderTail(nullptr), "255 2 3");

    TRVBreakItemInfo Read(nullptr);
    ASSERT_TRUE(ReadHeader(Read, "255 2 3", nullptr));
    EXPECT_EQ(Read.Style, rvbs3d);

    // No tail: a one-pixel line in the colour of text style 0.
    ASSERT_TRUE(ReadHeader(Read, "", nullptr));
    EXPECT_EQ(Read.Color, clNone);
    EXPECT_EQ(Read.LineWidth, 1);

    EXPECT_FALSE(ReadHeader(Read, "255 2", nullptr));
    EXPECT_FALSE(ReadHeader(Read, "red 2 3", nullptr));
}

TEST(BreakText, RowOfCharacters)
{
    TRVBreakItemInfo Thin(nullptr, 1, rvbsLine, clNone);
    EXPECT_EQ(Thin.AsText(0, nullptr, "", "", false, false), "-");
    EXPECT_EQ(Thin.AsText(-5, nullptr, "", "", false, false), "-");
    TRVBreakItemInfo Thick(nullptr, 3, rvbsLine, clNone);
    EXPECT_EQ(Thick.AsText(5, nullptr, "", "", false, false), "=====");
    // A text item has no text of its own as an item: the store holds it.
    TRVTextItemInfo Text(nullptr);
    EXPECT_EQ(Text.AsText(80, nullptr, "abc", "", false, false), "");
}

// ---------------------------------------------------------------------------
// Bullet images in RTF and HTML

namespace {

// A document whose RTF options can be set.
class TRTFData : public TReadingData {
public:
    TRVRTFOptions GetRTFOptions() override { return RTFOptions; }
    TRVRTFOptions RTFOptions;
};

} // namespace

TEST(BulletRTF, RowBytesOfTheWrittenBitmap)
{
    // 24-bit rows padded to 4 bytes, also for a picture of one row.
    auto Head = [](int Width, int Height) {
        TImageList Images(nullptr);
        Images.SetWidth(Width);
        Images.SetHeight(Height);
        Images.AddPixels(TPixelBuffer(Width, Height));
        TRVRTFOptions Options;
        Options.Include(rvrtfSaveBitmapDefault);
        const AnsiString RTF =
            Written([&](TStream& s) { RVSaveImageListImageToRTF(s, 15, &Images, 0, Options); });
        return RTF.substr(0, RTF.find(' '));
    };
    EXPECT_EQ(Head(5, 1), "{\\pict\\dibitmap0\\wbmwidthbytes16\\picw5\\pich1\\picwgoal75\\pichgoal15");
    EXPECT_EQ(Head(16, 16), "{\\pict\\dibitmap0\\wbmwidthbytes48\\picw16\\pich16\\picwgoal240\\pichgoal240");
}

TEST(BulletRTF, NothingForBadImages)
{
    TRTFData Data;
    TRVBulletItemInfo Bullet(nullptr, 3, &Data.Images, rvvaBaseline);
    TRVBulletItemInfo NoList(nullptr);
    for (TRVBulletItemInfo* Item : {&Bullet, &NoList})
        EXPECT_EQ(Written([&](TStream& s) {
                      Item->SaveRTF(s, &Data, 0, "", 15, 0, nullptr, nullptr, nullptr, nullptr, nullptr);
                  }),
                  "");
}

TEST(BulletHTML, EachImageIsWrittenOncePerColour)
{
    TempDir Dir;
    TRTFData Data;
    TRVList Bullets;
    TRVBulletItemInfo First(nullptr, 1, &Data.Images, rvvaBaseline);
    TRVHotspotItemInfo Second(nullptr, 1, 2, &Data.Images, rvvaBaseline);
    int Counter = 0;
    const AnsiString Path = Dir.Path() + "/";
    auto HTML = [&](TRVBulletItemInfo& Item, TColor Back, TRVSaveOptions Options) {
        return Written([&](TStream& s) {
            Item.SaveToHTML(s, &Data, 0, "", Path, "img", Counter, Back, Options, false, &Bullets);
        });
    };
    EXPECT_EQ(HTML(First, clWhite, {}), HTML(Second, clWhite, {}));
    EXPECT_EQ(Bullets.Count(), 1);
    EXPECT_EQ(HTML(First, clYellow, {}), "<IMG src=\"img2.jpg\">");
    EXPECT_EQ(Bullets.Count(), 2);
    EXPECT_EQ(Counter, 2);
    EXPECT_FALSE(Dir.Read("img1.jpg").empty());
    EXPECT_FALSE(Dir.Read("img2.jpg").empty());
}
