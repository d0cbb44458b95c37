// List styles: levels, marker fonts and pictures, equality and similarity,
// searches and ini persistence.
#include "document/rvstyle.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/core/classreg.h"
#include "platform/core/colors.h"
#include "platform/core/inifiles.h"
#include "platform/core/streams.h"
#include "platform/core/stringlist.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/picture.h"

namespace {

std::unique_ptr<TPicture> MakeBitmapPicture(uint32_t pixel)
{
    TBitmap bitmap;
    bitmap.SetPixels(TPixelBuffer(2, 3, pixel));
    auto picture = std::make_unique<TPicture>();
    picture->SetGraphic(&bitmap);
    return picture;
}

class ListTest : public ::testing::Test {
protected:
    TRVStyle Style{nullptr};
    TRVListInfos* Lists() { return Style.ListStyles(); }
    void TearDown() override { RollViewResetStandardFlag = true; }
};

} // namespace

TEST_F(ListTest, MarkerFonts)
{
    // A default font compares equal to a level without a font object; the
    // font name in any case.
    TRVListLevel plain(nullptr);
    TRVListLevel defaultFont(nullptr);
    defaultFont.Font()->SetName("arial");
    TRVListLevel nine(nullptr);
    nine.Font()->SetSize(9);
    EXPECT_TRUE(plain.IsSimpleEqual(&defaultFont));
    EXPECT_TRUE(defaultFont.IsSimpleEqual(&plain));
    EXPECT_FALSE(plain.IsSimpleEqual(&nine));
    EXPECT_FALSE(nine.IsSimpleEqual(&defaultFont));
    EXPECT_LT(plain.SimilarityValue(&nine), plain.SimilarityValue(&defaultFont));

    nine.SetFont(nine.Font()); // onto itself: kept
    EXPECT_EQ(nine.Font()->Size(), 9);
}

TEST_F(ListTest, MarkerPictures)
{
    TRVListLevel red(nullptr);
    auto redPictureOwner = MakeBitmapPicture(0xFFFF0000u);
    TPicture& redPicture = *redPictureOwner;
    red.SetPicture(&redPicture);
    ASSERT_TRUE(red.HasPicture());
    EXPECT_TRUE(red.Picture()->Graphic()->Transparent());
    EXPECT_FALSE(redPicture.Graphic()->Transparent());

    TRVListLevel blue(nullptr);
    auto bluePictureOwner = MakeBitmapPicture(0xFF0000FFu);
    TPicture& bluePicture = *bluePictureOwner;
    blue.SetPicture(&bluePicture);
    EXPECT_FALSE(red.IsSimpleEqual(&blue));
    TRVListLevel red2(nullptr);
    red2.SetPicture(&redPicture);
    EXPECT_TRUE(red.IsSimpleEqual(&red2));

    TRVListLevel none(nullptr);
    TRVListLevel empty(nullptr);
    empty.Picture();
    EXPECT_TRUE(none.IsSimpleEqual(&empty));
    EXPECT_FALSE(none.IsSimpleEqual(&red));

    // An empty picture frees the level's.
    TPicture nothing;
    red2.SetPicture(&nothing);
    EXPECT_FALSE(red2.HasPictureObject());
    red2.SetPicture(&redPicture);
    red2.SetPicture(nullptr);
    EXPECT_FALSE(red2.HasPictureObject());

    red2.Assign(&red);
    EXPECT_TRUE(red2.IsSimpleEqual(&red));
    EXPECT_NE(red2.Picture(), red.Picture());
}

TEST_F(ListTest, ListEquality)
{
    TRVListInfo* a = Lists()->Add();
    TRVListInfo* b = Lists()->Add();
    a->Levels()->Add();
    a->Levels()->Add();
    b->Levels()->Add();
    b->Levels()->Add();
    b->SetStyleName("other");
    EXPECT_TRUE(a->IsSimpleEqual(b, false));
    b->Levels()->Add();
    EXPECT_FALSE(a->IsSimpleEqual(b, false));
    EXPECT_EQ(a->SimilarityValue(b), b->SimilarityValue(a));
    b->Levels()->Delete(2);
    b->SetOneLevelPreview(true);
    EXPECT_FALSE(a->IsSimpleEqual(b, false));

    TRVListInfo c(nullptr);
    c.Assign(b);
    EXPECT_TRUE(c.IsSimpleEqual(b, false));
}

TEST_F(ListTest, IniRoundTripKeepsEverything)
{
    TRVListInfo* a = Lists()->Add();
    a->SetStyleName("Numbers");
    a->SetOneLevelPreview(true);
    TRVListLevel* l0 = a->Levels()->Add();
    l0->SetListType(rvlstLowerRoman);
    l0->SetStartFrom(5);
    l0->SetOptions({rvloLegalStyleNumbering});
    l0->SetFormatString(AnsiString(1200, 'x') + "%0:s.");
    l0->SetFormatStringW(u"\u2022 \U0001F600");
    l0->SetLeftIndent(20);
    l0->SetFirstIndent(-5);
    l0->SetMarkerIndent(3);
    l0->SetMarkerAlignment(rvmaRight);
    l0->SetImageIndex(7);
    l0->Font()->SetName("Times, Roman");
    l0->Font()->SetSize(11);
    l0->Font()->SetColor(clMaroon);
    l0->Font()->SetStyle({fsBold, fsStrikeOut});
    l0->SetPicture(MakeBitmapPicture(0xFF00FF00u).get());
    TRVListLevel* l1 = a->Levels()->Add();
    l1->SetFormatString(" leading blank ");
    TRVListInfo* b = Lists()->Add();
    b->Levels()->Add()->SetListType(rvlstDecimal);

    TMemIniFile ini("");
    Lists()->SaveToINI(&ini, "S");
    EXPECT_EQ(ini.ReadString("S", "List0LvlFormatString0_0", "").size(), 500u) << "long strings in pieces";

    TRVStyle other(nullptr);
    other.ListStyles()->LoadFromINI(&ini, "S");
    ASSERT_EQ(other.ListStyles()->Count(), 2);
    TRVListInfo* a2 = other.ListStyles()->Items(0);
    EXPECT_TRUE(a2->OneLevelPreview());
    EXPECT_FALSE(other.ListStyles()->Items(1)->OneLevelPreview());
    ASSERT_EQ(a2->Levels()->Count(), 2);
    TRVListLevel* m0 = a2->Levels()->Items(0);
    EXPECT_EQ(m0->FormatString(), l0->FormatString());
    EXPECT_EQ(m0->FormatStringW(), l0->FormatStringW());
    EXPECT_EQ(m0->Font()->Name(), "Times, Roman");
    EXPECT_EQ(a2->Levels()->Items(1)->FormatString(), " leading blank ");
    // Pictures come back as loaded (not made transparent): compare the pixels.
    ASSERT_TRUE(m0->HasPicture());
    EXPECT_TRUE(m0->Picture()->Graphic()->Equals(l0->Picture()->Graphic()));
    m0->Picture()->Graphic()->SetTransparent(true);
    EXPECT_TRUE(a2->IsSimpleEqual(a, false));
    EXPECT_TRUE(other.ListStyles()->Items(1)->IsSimpleEqual(b, false));
}

TEST_F(ListTest, IniReadsTheOldSharedPreviewKey)
{
    TMemIniFile ini("");
    ini.WriteString("S", "ListCount", "2");
    ini.WriteString("S", "OneLevelPreview", "Yes");
    ini.WriteString("S", "ListOneLevelPreview1", "No");
    Lists()->LoadFromINI(&ini, "S");
    ASSERT_EQ(Lists()->Count(), 2);
    EXPECT_TRUE(Lists()->Items(0)->OneLevelPreview());
    EXPECT_FALSE(Lists()->Items(1)->OneLevelPreview());
}

TEST_F(ListTest, IniKeepsDefaultsForBadPicturesAndColours)
{
    RegisterClass<TStringList>("TStringList");
    TMemIniFile ini("");
    ini.WriteString("S", "ListCount", "1");
    ini.WriteString("S", "ListLevelsCount0", "4");
    // Not a graphic class, a class that does not exist, bytes that are no bitmap.
    ini.WriteString("S", "List0LvlGraphicClass0", "TStringList");
    ini.WriteString("S", "List0LvlPicture0", "0102");
    ini.WriteString("S", "List0LvlGraphicClass1", "TNoSuchGraphic");
    ini.WriteString("S", "List0LvlPicture1", "0102");
    ini.WriteString("S", "List0LvlGraphicClass2", "TBitmap");
    ini.WriteString("S", "List0LvlPicture2", "424D0102ZZ");
    ini.WriteString("S", "List0LvlListType2", "3");
    ini.WriteString("S", "List0LvlFont3", "Verdana,-15,bu,1,clNoSuchColour,204");
    ini.WriteString("S", "List0LvlFormatStringW3", "4100420");
    Lists()->LoadFromINI(&ini, "S");
    ASSERT_EQ(Lists()->Count(), 1);
    TRVListLevelCollection* levels = Lists()->Items(0)->Levels();
    ASSERT_EQ(levels->Count(), 4);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(levels->Items(i)->HasPictureObject()) << i;
    EXPECT_EQ(levels->Items(2)->ListType(), rvlstDecimal);
    TRVMarkerFont* font = levels->Items(3)->Font();
    EXPECT_EQ(font->Style(), (TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ(font->Color(), clWindowText);
    EXPECT_EQ(font->Charset(), 204);
    // An odd count of hex digits is no byte string: no format string is read.
    EXPECT_EQ(levels->Items(3)->FormatStringW(), u"");
}

TEST_F(ListTest, ImageListsAreClearedWhenTheyGo)
{
    TRVListLevel* level = Lists()->Add()->Levels()->Add();
    auto* images = new TImageList(nullptr);
    level->SetImageList(images);
    TRVListLevel* copy = Lists()->Add()->Levels()->Add();
    copy->Assign(level);
    EXPECT_EQ(copy->ImageList(), images);
    delete images;
    EXPECT_EQ(level->ImageList(), nullptr);
    EXPECT_EQ(copy->ImageList(), nullptr);

    TImageList other(nullptr);
    level->SetImageList(&other);
    Lists()->RemoveImageList(&other);
    EXPECT_EQ(level->ImageList(), nullptr);
}
