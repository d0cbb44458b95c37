// Item access of the item store: texts in both forms, tags, per-kind
// information, page-break flags, code pages and word delimiters.
#include <gtest/gtest.h>

#include <vector>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "platform/graphics/gdiobjects.h"
#include "tests/support/testrvdata.h"

namespace {

class ItemsTest : public ::testing::Test {
protected:
    TRVStyle Style{nullptr};
    TTestRVData Data{&Style};
};

void ExpectKindError(const std::function<void()>& Call)
{
    try {
        Call();
        ADD_FAILURE() << "no error";
    } catch (const ERollViewError& e) {
        EXPECT_STREQ(e.what(), "Can't get or set this kind of information for this item");
    }
}

// Notes the items whose text the store reports as replaced.
class TTextWatchData : public TTestRVData {
public:
    using TTestRVData::TTestRVData;
    std::vector<int> Changed;

protected:
    void ItemTextChanged(int ItemNo) override { Changed.push_back(ItemNo); }
};

} // namespace

TEST(ItemTextChanged, EveryReplacementOfAnItemTextIsReported)
{
    TRVStyle Style(nullptr);
    TTextWatchData Watch(&Style);
    TCustomRVData& Data = Watch;
    Data.AddNL("one", 0, 0);
    Data.AddBulletEx("bullet", 0, nullptr, 0);
    Data.AddNL("two", 0, 0);
    EXPECT_TRUE(Watch.Changed.empty()); // adding is no replacement
    Data.SetItemText(0, "1");
    Data.SetItemTextA(2, "2");
    Data.SetItemTextW(0, u"one");
    Data.SetBulletInfo(1, "renamed", 0, nullptr, 0);
    EXPECT_EQ(Watch.Changed, (std::vector<int>{0, 2, 0, 1}));
    // Two text items of one line merged: the first has the text of both.
    Watch.Changed.clear();
    Data.AddNL("three", 0, -1);
    Data.MassSimpleConcate(2, 3);
    EXPECT_EQ(Data.GetItemText(2), "2three");
    EXPECT_EQ(Watch.Changed, (std::vector<int>{2}));
}

TEST_F(ItemsTest, ReadsWhatWasAdded)
{
    Data.AddNLTag("hello", 2, 1, 42);
    Data.AddBreak();
    EXPECT_EQ(Data.GetItemCount(), 2);
    EXPECT_EQ(Data.GetItemStyle(0), 2);
    EXPECT_EQ(Data.GetItemPara(0), 1);
    EXPECT_EQ(Data.GetItemTag(0), TRVTag(42));
    EXPECT_EQ(Data.GetItemNo(Data.GetItem(1)), 1);
    EXPECT_EQ(Data.GetItemNo(nullptr), -1);
    EXPECT_EQ(Data.ItemLength(0), 5);
    EXPECT_EQ(Data.ItemLength(1), 1);
    EXPECT_EQ(Data.GetOffsBeforeItem(0), 1);
    EXPECT_EQ(Data.GetOffsAfterItem(0), 6);
    EXPECT_EQ(Data.GetOffsBeforeItem(1), 0);
    EXPECT_EQ(Data.GetOffsAfterItem(1), 1);
    EXPECT_THROW(Data.GetItem(2), EListError);

    AnsiString Text;
    TRVTag Tag;
    Data.GetTextInfo(0, Text, Tag);
    EXPECT_EQ(Text, "hello");
    EXPECT_EQ(Tag, TRVTag(42));
    ExpectKindError([&] { Data.GetTextInfo(1, Text, Tag); });
}

TEST_F(ItemsTest, UnicodeItemTextMustBeWholeUnits)
{
    Style.TextStyles()->Items(1)->SetUnicode(true);
    Data.AddNLWTag(u"ab", 1, 0, 0);
    EXPECT_THROW(Data.SetItemText(0, "abc"), ERollViewError);
    EXPECT_EQ(Data.GetItemTextW(0), u"ab");
    Data.SetItemTextA(0, "xyz");
    EXPECT_EQ(Data.GetItemText(0), AnsiString("x\0y\0z\0", 6));
    EXPECT_EQ(Data.GetItemTextA(0), "xyz");
    Data.SetItemTextW(0, u"w");
    EXPECT_EQ(Data.GetItemTextA(0), "w");

    Data.AddNL("plain", 0, 0);
    EXPECT_EQ(Data.GetItemTextW(1), u"plain");
    Data.SetItemTextW(1, u"wide");
    EXPECT_EQ(Data.GetItemText(1), "wide");
    EXPECT_EQ(Data.GetTextInItemFormatA(0, "q"), AnsiString("q\0", 2));
    EXPECT_EQ(Data.GetTextInItemFormatA(1, "q"), "q");
}

TEST_F(ItemsTest, TagsAreReplacedAsValues)
{
    Data.Options.Include(rvoTagsArePChars);
    Data.AddNLTag("a", 0, 0, TRVTag(AnsiString("first")));
    Data.SetItemTag(0, Data.GetItemTag(0)); // the very tag: nothing changes
    EXPECT_EQ(Data.GetItemTag(0).AsString(), "first");
    Data.SetItemTag(0, TRVTag(AnsiString("second")));
    EXPECT_EQ(Data.GetItemTag(0).AsString(), "second");
}

TEST_F(ItemsTest, BulletAndHotspotInformation)
{
    TCustomImageList* List = reinterpret_cast<TCustomImageList*>(&Style); // never dereferenced
    Data.AddBulletEx("bullet", 3, List, 0);
    Data.AddHotspotExTag("spot", 1, 2, List, 0, 7);
    AnsiString Name;
    int Index = 0, HotIndex = 0;
    TCustomImageList* Got = nullptr;
    TRVTag Tag;
    Data.GetBulletInfo(0, Name, Index, Got, Tag);
    EXPECT_EQ(Name, "bullet");
    EXPECT_EQ(Index, 3);
    EXPECT_EQ(Got, List);
    // The image list passed to the setter is not taken.
    Data.SetBulletInfo(0, "renamed", 4, nullptr, 9);
    Data.GetBulletInfo(0, Name, Index, Got, Tag);
    EXPECT_EQ(Name, "renamed");
    EXPECT_EQ(Index, 4);
    EXPECT_EQ(Got, List);
    EXPECT_EQ(Tag, TRVTag(9));

    // A hot spot is a bullet too, but a bullet is no hot spot.
    Data.GetBulletInfo(1, Name, Index, Got, Tag);
    EXPECT_EQ(Name, "spot");
    Data.SetHotspotInfo(1, "spot2", 5, 6, nullptr, 8);
    Data.GetHotspotInfo(1, Name, Index, HotIndex, Got, Tag);
    EXPECT_EQ(Index, 5);
    EXPECT_EQ(HotIndex, 6);
    EXPECT_EQ(Got, List);
    EXPECT_EQ(Tag, TRVTag(8));
    ExpectKindError([&] { Data.GetHotspotInfo(0, Name, Index, HotIndex, Got, Tag); });

    Data.AddNL("text", 0, 0);
    uint8_t Width = 0;
    TRVBreakStyle BreakStyle = rvbsLine;
    TColor Color = 0;
    ExpectKindError([&] { Data.GetBreakInfo(2, Width, BreakStyle, Color, Tag); });
    ExpectKindError([&] { Data.SetBulletInfo(2, "x", 0, nullptr, 0); });
    EXPECT_EQ(Data.GetItemText(2), "text");
}

TEST_F(ItemsTest, BreakInformation)
{
    Data.AddBreak();
    Data.SetBreakInfo(0, 4, rvbsRectangle, clBlue, 3);
    uint8_t Width = 0;
    TRVBreakStyle BreakStyle = rvbsLine;
    TColor Color = 0;
    TRVTag Tag;
    Data.GetBreakInfo(0, Width, BreakStyle, Color, Tag);
    EXPECT_EQ(Width, 4);
    EXPECT_EQ(BreakStyle, rvbsRectangle);
    EXPECT_EQ(Color, clBlue);
    EXPECT_EQ(Tag, TRVTag(3));
}

TEST_F(ItemsTest, ExtraPropertiesGoToTheItem)
{
    Data.AddBulletEx("b", 0, nullptr, 0);
    Data.AddNL("t", 0, 0);
    int Value = 0;
    EXPECT_TRUE(Data.SetItemExtraIntProperty(0, rvepSpacing, 5));
    EXPECT_TRUE(Data.GetItemExtraIntProperty(0, rvepSpacing, Value));
    EXPECT_EQ(Value, 5);
    EXPECT_FALSE(Data.SetItemExtraIntProperty(1, rvepSpacing, 5));
}

TEST_F(ItemsTest, PageBreakOfANumberedParagraphLivesOnItsMarker)
{
    Data.AddNL("a", 0, 0);
    Data.AddItem("", new TRVMarkerItemInfo(&Data, 0, 0, 1, false));
    Data.AddNL("b", 0, -1);
    Data.SetPageBreaksBeforeItems(1, true);
    EXPECT_TRUE(Data.GetPageBreaksBeforeItems(2));
    EXPECT_TRUE(Data.GetPageBreaksBeforeItems(1));
    EXPECT_FALSE(Data.GetPageBreaksBeforeItems(0));
    Data.SetPageBreaksBeforeItems(0, true);
    EXPECT_TRUE(Data.GetItemOptions(0).Contains(rvioPageBreakBefore));
    Data.SetPageBreaksBeforeItems(0, false);
    EXPECT_FALSE(Data.GetPageBreaksBeforeItems(0));
    try {
        Data.GetPageBreaksBeforeItems(3);
        ADD_FAILURE();
    } catch (const ERollViewError& e) {
        EXPECT_STREQ(e.what(), "Item index is out of bounds");
    }
    EXPECT_THROW(Data.SetPageBreaksBeforeItems(-1, true), ERollViewError);
}

TEST_F(ItemsTest, CodePagesComeFromTheStyleSheet)
{
    Style.TextStyles()->Items(1)->SetCharset(RUSSIAN_CHARSET);
    Style.SetDefCodePage(1250);
    EXPECT_EQ(Data.GetStyleCodePage(1), 1251u);
    EXPECT_EQ(Data.GetStyleCodePage(-1), 1250u);
    EXPECT_EQ(Data.GetDefaultCodePage(), 1250u);
    TTestRVData Bare;
    EXPECT_EQ(Bare.GetStyleCodePage(1), 0u);
    EXPECT_EQ(Bare.GetDefaultCodePage(), 0u);
}

TEST_F(ItemsTest, Delimiters)
{
    Data.Delimiters = " ,";
    EXPECT_TRUE(Data.IsDelimiterA(','));
    EXPECT_FALSE(Data.IsDelimiterA('a'));
    EXPECT_TRUE(Data.IsDelimiterW(u','));
    // The low byte of U+012C is ',': still no delimiter.
    EXPECT_FALSE(Data.IsDelimiterW(0x012C));
    EXPECT_TRUE(Data.IsDelimiter("a,b", 2, TRVItemOptions()));
    EXPECT_FALSE(Data.IsDelimiter("a,b", 3, TRVItemOptions()));
    EXPECT_FALSE(Data.IsDelimiter("a,b", 4, TRVItemOptions()));
    const AnsiString Wide("a\0,\0,\x01", 6);
    EXPECT_TRUE(Data.IsDelimiter(Wide, 2, TRVItemOptions{rvioUnicode}));
    EXPECT_FALSE(Data.IsDelimiter(Wide, 3, TRVItemOptions{rvioUnicode}));
    EXPECT_FALSE(Data.IsDelimiter(Wide, 0, TRVItemOptions{rvioUnicode}));

    AnsiString s("a\0b\0", 4);
    TCustomRVData::Replace0(s);
    EXPECT_EQ(s, "a?b?");
}
