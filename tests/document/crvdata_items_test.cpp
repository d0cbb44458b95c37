// Item access of the item store: texts in both forms, tags, per-kind
// information, page-break flags, code pages and word delimiters.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "platform/graphics/gdiobjects.h"
#include "tests/document/doctestdata.h"

namespace {

class ItemsTest : public ::testing::Test {
protected:
    TRVStyle Style{nullptr};
    TTestRVData Data{&Style};
};

void ExpectError(const std::function<void()>& call,
                 const char* message = "Can't get or set this kind of information for this item")
{
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const ERollViewError& e) {
        EXPECT_STREQ(e.what(), message);
    }
}

// Notes the items whose text the store reports as replaced.
class TTextWatchData : public TTestRVData {
public:
    using TTestRVData::TTestRVData;
    std::vector<int> Changed;

protected:
    void ItemTextChanged(int itemNo) override { Changed.push_back(itemNo); }
};

} // namespace

TEST(ItemTextChanged, EveryReplacementOfAnItemTextIsReported)
{
    TRVStyle style(nullptr);
    TTextWatchData watch(&style);
    TCustomRVData& data = watch;
    data.AddNL("one", 0, 0);
    data.AddBulletEx("bullet", 0, nullptr, 0);
    data.AddNL("two", 0, 0);
    EXPECT_TRUE(watch.Changed.empty()); // adding is no replacement
    data.SetItemText(0, "1");
    data.SetItemTextA(2, "2");
    data.SetItemTextW(0, u"one");
    data.SetBulletInfo(1, "renamed", 0, nullptr, 0);
    EXPECT_EQ(watch.Changed, (std::vector<int>{0, 2, 0, 1}));
    // Two text items of one line merged: the first has the text of both.
    watch.Changed.clear();
    data.AddNL("three", 0, -1);
    data.MassSimpleConcate(2, 3);
    EXPECT_EQ(Shape(data), "P0:one P0:<bullet> P0:2three");
    EXPECT_EQ(watch.Changed, (std::vector<int>{2}));
}

TEST_F(ItemsTest, ReadsWhatWasAddedAndOffsets)
{
    Data.AddNLTag("hello", 2, 1, 42);
    Data.AddBreak();
    EXPECT_EQ(Data.GetItemNo(Data.GetItem(1)), 1);
    EXPECT_EQ(Data.GetItemNo(nullptr), -1);
    EXPECT_THROW(Data.GetItem(2), EListError);
    // Text items count characters from 1; others are one position wide from 0.
    const int offsets[][3] = {{0, 1, 6}, {1, 0, 1}};
    for (const auto& [itemNo, before, after] : offsets) {
        EXPECT_EQ(Data.GetOffsBeforeItem(itemNo), before) << itemNo;
        EXPECT_EQ(Data.GetOffsAfterItem(itemNo), after) << itemNo;
        EXPECT_EQ(Data.ItemLength(itemNo), after - before) << itemNo;
    }
    AnsiString text;
    TRVTag tag;
    ExpectError([&] { Data.GetTextInfo(1, text, tag); });

    // A string tag set to itself stays.
    Data.Options.Include(rvoTagsArePChars);
    Data.AddNLTag("a", 0, 0, TRVTag(AnsiString("first")));
    Data.SetItemTag(2, Data.GetItemTag(2));
    EXPECT_EQ(Data.GetItemTag(2).AsString(), "first");
}

TEST_F(ItemsTest, TextFormsAndUnicodeItemsTakeWholeUnits)
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

TEST_F(ItemsTest, InformationOfTheWrongKindOfItemIsRefused)
{
    TCustomImageList* list = reinterpret_cast<TCustomImageList*>(&Style); // never dereferenced
    Data.AddBulletEx("bullet", 3, list, 0);
    Data.AddHotspotExTag("spot", 1, 2, list, 0, 7);
    Data.AddNL("text", 0, 0);
    AnsiString name;
    int index = 0, hotIndex = 0;
    TCustomImageList* got = nullptr;
    TRVTag tag;
    // The image list passed to the setter is not taken.
    Data.SetBulletInfo(0, "renamed", 4, nullptr, 9);
    Data.GetBulletInfo(0, name, index, got, tag);
    EXPECT_EQ(got, list);
    // A hot spot is a bullet too, but a bullet is no hot spot.
    Data.GetBulletInfo(1, name, index, got, tag);
    EXPECT_EQ(name, "spot");
    ExpectError([&] { Data.GetHotspotInfo(0, name, index, hotIndex, got, tag); });
    uint8_t width = 0;
    TRVBreakStyle breakStyle = rvbsLine;
    TColor color = 0;
    ExpectError([&] { Data.GetBreakInfo(2, width, breakStyle, color, tag); });
    ExpectError([&] { Data.SetBulletInfo(2, "x", 0, nullptr, 0); });
    EXPECT_EQ(Data.GetItemText(2), "text");
    EXPECT_FALSE(Data.SetItemExtraIntProperty(2, rvepSpacing, 5));
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
    ExpectError([&] { Data.GetPageBreaksBeforeItems(3); }, "Item index is out of bounds");
    EXPECT_THROW(Data.SetPageBreaksBeforeItems(-1, true), ERollViewError);
}

TEST_F(ItemsTest, CodePagesAndDelimiters)
{
    Style.TextStyles()->Items(1)->SetCharset(RUSSIAN_CHARSET);
    Style.SetDefCodePage(1250);
    EXPECT_EQ(Data.GetStyleCodePage(1), 1251u);
    EXPECT_EQ(Data.GetStyleCodePage(-1), 1250u);
    TTestRVData bare;
    EXPECT_EQ(bare.GetStyleCodePage(1), 0u);

    Data.Delimiters = " ,";
    EXPECT_FALSE(Data.IsDelimiterW(0x012C)); // its low byte is ','
    EXPECT_TRUE(Data.IsDelimiter("a,b", 2, TRVItemOptions()));
    EXPECT_FALSE(Data.IsDelimiter("a,b", 4, TRVItemOptions()));
    const AnsiString wide("a\0,\0,\x01", 6);
    EXPECT_TRUE(Data.IsDelimiter(wide, 2, TRVItemOptions{rvioUnicode}));
    EXPECT_FALSE(Data.IsDelimiter(wide, 3, TRVItemOptions{rvioUnicode}));
    EXPECT_FALSE(Data.IsDelimiter(wide, 0, TRVItemOptions{rvioUnicode}));
    AnsiString s("a\0b\0", 4);
    TCustomRVData::Replace0(s);
    EXPECT_EQ(s, "a?b?");
}
